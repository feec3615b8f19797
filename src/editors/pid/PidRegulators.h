#pragma once

// The five PID regulators, the project's side block: the editor's rules and the transfer of
// the block to and from the controller. The windows call these and show what they return.

#include "core/ControllerAccess.h"
#include "core/Outcome.h"
#include "editors/BlockTransfer.h"
#include "project/Records.h"
#include "project/ValueLists.h"

#include <array>
#include <span>
#include <string>
#include <string_view>

namespace zyl {

// What the editor holds: list indexes (-1 for no selection) and the fields' texts (PC code
// page bytes), the reals with the system's decimal separator.
struct PidEditorValues {
    int typeIndex = -1;
    int channelIndex = -1;
    int setValueIndex = -1;
    std::string sample, gain, timeTi, timeTd, period;
};

// The values the editor shows: the sample rounded (halves to even) into 0 to 9999.
[[nodiscard]] PidEditorValues PidEditorValuesFor(const TPidRecord& record,
                                                 std::string_view separator);
// Takes the editor's values into the record: the sample within 0 to 9999, the reals as typed
// (a text that is not a number counts as 0). A list without a selection keeps the stored
// value (one outside the list can come from the controller or a file).
void ApplyPidEditor(const PidEditorValues& values, TPidRecord& record, std::string_view separator);

// The list's row: "No", "Type", "Measurement channel", "Set value", "Sample", "Gain",
// "Time Ti", "Time Td", "Period"; the reals with the system's decimal separator.
[[nodiscard]] std::array<std::string, 9> PidRow(int row, const TPidRecord& record,
                                                std::string_view separator);

// All five regulators in one exchange. A read's panel wait that ends not ready says
// "No communication", a write's not. The controller keeps the sample, Ti, Td and period as
// whole numbers and the gain in tenths.
inline constexpr BlockTransferRules PidTransferRules{PidCount, 1, true, false, false};

// Reads the five regulators; they replace the block only when the read succeeded.
Outcome ReadPidRegulatorsFromController(ControllerAccess& access,
                                        std::span<TPidRecord, PidCount> regulators);
// Writes the five regulators, then sets the reset-pending flag and offers the reset,
// whatever the outcome.
Outcome WritePidRegulatorsToController(ControllerAccess& access,
                                       std::span<TPidRecord, PidCount> regulators);

} // namespace zyl
