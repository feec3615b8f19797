#pragma once

// Reading and sending the controller's setup block, as the setup window does.

#include "core/ControllerAccess.h"
#include "core/Outcome.h"

namespace zyl {

// Reads the setup block into working; on any failure "No communication" is shown and
// working keeps what it held. Progress runs 0 to 3; its cancel request has no effect.
Outcome ReadSetupFromController(ControllerAccess& access, TSetupBlock& working);

// Sends the block (module mode: no STOP check), shows "No communication" or "Operation
// completed", then sets the reset-pending flag and offers the reset.
Outcome SendSetupToController(ControllerAccess& access, const TSetupBlock& setup);

} // namespace zyl
