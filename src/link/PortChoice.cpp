#include "link/PortChoice.h"

#include "core/Settings.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace zyl {

namespace fs = std::filesystem;

namespace {

// The path with every link resolved; empty when it leads nowhere.
std::string Resolved(const std::string& path) {
    std::error_code ec;
    const fs::path resolved = fs::canonical(path, ec);
    return ec ? std::string() : resolved.string();
}

bool Exists(const std::string& path) {
    std::error_code ec;
    return fs::exists(path, ec);
}

bool SameDevice(const std::string& a, const std::string& b) {
    if (a == b) return true;
    const std::string resolved = Resolved(a);
    return !resolved.empty() && resolved == Resolved(b);
}

std::string UsbIds(const FoundPort& port) {
    if (port.vendorId < 0 || port.productId < 0) return {};
    char ids[16];
    std::snprintf(ids, sizeof ids, "%04x:%04x", port.vendorId & 0xFFFF, port.productId & 0xFFFF);
    return ids;
}

std::string Joined(std::initializer_list<std::string> parts, const char* separator) {
    std::string text;
    for (const std::string& part : parts) {
        if (part.empty()) continue;
        if (!text.empty()) text += separator;
        text += part;
    }
    return text;
}

DeviceChoice ChoiceFor(const FoundPort& port) {
    DeviceChoice choice;
    choice.device = port.stableName.empty() ? port.device : port.stableName;
    const std::string stable =
        port.stableName.empty() ? std::string() : fs::path(port.stableName).filename().string();
    choice.text = Joined({port.device, port.description, stable}, " \u2013 ");
    choice.label = Joined({port.device, port.description}, " \u2013 ");
    const std::string usb = UsbIds(port);
    choice.hint = Joined({port.device, port.stableName, port.description, port.manufacturer,
                          usb.empty() ? usb : "USB " + usb},
                         "\n");
    return choice;
}

} // namespace

std::map<std::string, std::vector<std::string>> StableNames(const std::string& folder) {
    std::map<std::string, std::vector<std::string>> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code linkEc;
        if (!it->is_symlink(linkEc) || linkEc) continue;
        const std::string link = it->path().string();
        const std::string device = Resolved(link);
        if (!device.empty()) names[device].push_back(link);
    }
    for (auto& [device, links] : names) std::sort(links.begin(), links.end());
    return names;
}

void AddStableNames(std::vector<FoundPort>& ports, const std::string& folder) {
    const auto names = StableNames(folder);
    if (names.empty()) return;
    for (FoundPort& port : ports) {
        const std::string device = Resolved(port.device);
        if (auto it = names.find(device.empty() ? port.device : device); it != names.end())
            port.stableName = it->second.front();
    }
}

DeviceChoices ChoicesForPort(int comNumber, const std::map<int, std::string>& ports,
                             const std::vector<FoundPort>& found) {
    DeviceChoices choices;
    const std::string name = "COM" + std::to_string(comNumber);
    const std::string fallback = DeviceForPort({}, name);
    const std::string current = DeviceForPort(ports, name);

    DeviceChoice standard;
    standard.device = fallback;
    standard.text = fallback + " (default)";
    standard.hint = fallback;
    standard.isDefault = true;
    standard.present = Exists(fallback);
    for (const FoundPort& port : found) {
        if (port.device != fallback) continue;
        standard.present = true;
        standard.hint = ChoiceFor(port).hint;
        if (!port.description.empty()) standard.text += " \u2013 " + port.description;
    }
    standard.label = standard.text;
    choices.entries.push_back(standard);
    if (current == fallback) choices.current = 0;

    for (const FoundPort& port : found) {
        if (port.device == fallback) continue;
        if (choices.current < 0 && (SameDevice(current, port.device) ||
                                    (!port.stableName.empty() && current == port.stableName)))
            choices.current = static_cast<int>(choices.entries.size());
        choices.entries.push_back(ChoiceFor(port));
    }

    if (choices.current < 0 && SameDevice(current, fallback)) choices.current = 0;
    if (choices.current < 0) {
        DeviceChoice missing;
        missing.device = current;
        missing.present = Exists(current);
        missing.text = missing.present ? current : current + " (not present)";
        missing.label = missing.text;
        missing.hint = current;
        choices.current = static_cast<int>(choices.entries.size());
        choices.entries.push_back(missing);
    }
    return choices;
}

} // namespace zyl
