#pragma once

namespace zyl {

// How a controller operation ended, for callers that report it (the command line's exit
// status, tests). The windows have already shown their messages through the Host.
enum class Outcome {
    Ok,
    NoCommunication, // a command failed or the panel never became ready
    NotStopped,      // refused: the controller is not in STOP mode
    Cancelled,       // the progress window's cancel request
    Refused,         // data that cannot be sent as they stand; nothing was sent
};

} // namespace zyl
