#pragma once

// The system's serial ports, as the port drop-downs and `zylctl ports` list them.

#include "link/PortChoice.h"

#include <string>
#include <vector>

namespace zyl {

// Every serial port the system offers, sorted by device (ttyS2 before ttyS10), each with its
// stable name from the folder where there is one.
[[nodiscard]] std::vector<FoundPort>
ListSerialPorts(const std::string& stableNameFolder = StableNameFolder);

} // namespace zyl
