#pragma once

// The devices a COM port name can be pointed at: the system's serial ports as found, their
// stable names, and the list a user picks the device behind COMn from.

#include <map>
#include <string>
#include <vector>

namespace zyl {

// Where udev keeps one link per USB serial adapter, named after its vendor, model and serial
// number, whichever socket it is plugged into.
inline constexpr const char* StableNameFolder = "/dev/serial/by-id";

// A serial port the system offers.
struct FoundPort {
    std::string device;      // "/dev/ttyUSB0", or "COM3" on Windows
    std::string stableName;  // its link in the stable-name folder; empty when there is none
    std::string description; // "FT232R USB UART"; may be empty
    std::string manufacturer;
    int vendorId = -1; // USB ids; -1 when the port is not on USB
    int productId = -1;
};

// The links in the folder that resolve to each device, keyed by the device's resolved path,
// each list sorted. A missing folder, a dangling link or an entry that is not a link gives
// nothing.
[[nodiscard]] std::map<std::string, std::vector<std::string>>
StableNames(const std::string& folder);

// Gives each port the first of the folder's links that resolves to its device.
void AddStableNames(std::vector<FoundPort>& ports, const std::string& folder);

// One entry of the device list of COMn.
struct DeviceChoice {
    std::string device;  // what [Ports] gets: the stable name when there is one
    std::string text;    // the entry in the open list
    std::string label;   // the same, shorter, for the closed list: device and description
    std::string hint;    // device, stable name, description and USB ids, a line each
    bool present = true; // the device exists (the mapping of an unplugged adapter does not)
    bool isDefault = false;
};

struct DeviceChoices {
    std::vector<DeviceChoice> entries;
    int current = -1; // the entry COMn leads to now
};

// The list for COMn (1..16): the platform default /dev/ttyS<n-1> first, then the found ports
// in the order given, then the current mapping when it is neither (it may be unplugged). The
// current entry is the one the mapping names, directly, by its stable name or by a link that
// resolves to the same device.
[[nodiscard]] DeviceChoices ChoicesForPort(int comNumber, const std::map<int, std::string>& ports,
                                           const std::vector<FoundPort>& found);

} // namespace zyl
