#include "core/Settings.h"

#include <algorithm>
#include <cctype>

namespace zyl {

AppSettings ReadAppSettings(const IniFile& ini) {
    AppSettings s;
    const char* sec = SettingsSection;
    s.ileBlokProgram = BlockCountRange.Bound(ini.ReadInteger(sec, "ileBlokProgram", 2));
    for (int n = 1; n <= 16; ++n)
        s.tuning.MinusOffset[static_cast<std::size_t>(n)] =
            ini.ReadInteger(sec, "COM" + std::to_string(n) + "MinusOffset", 0) == 1;
    s.tuning.TransmisjaNT = ini.ReadInteger(sec, "TransmisjaNT", 0) == 1;
    s.WaitForPanel = WaitForPanelRange.Bound(ini.ReadInteger(sec, "WaitForPanel", 5));
    s.PytajOReset = ini.ReadInteger(sec, "PytajOReset", 1) == 1;
    s.tuning.IleSleep = ini.ReadInteger(sec, "IleSleep", 5);
    if (s.tuning.IleSleep == 10) s.tuning.IleSleep = 5;
    s.tuning.IleSleep = IleSleepRange.Bound(s.tuning.IleSleep);
    s.tuning.timeoutStand = TimeoutStandRange.Bound(ini.ReadInteger(sec, "timeoutStand", 2000));
    s.JestModul = ini.ReadInteger(sec, "JestModul", 0);
    s.StronaKodowa = ini.ReadInteger(sec, "StronaKodowa", 0);
    if (s.StronaKodowa < 0 || s.StronaKodowa > 3) s.StronaKodowa = 0;
    for (const std::string& key : ini.Keys(PortsSection)) {
        if (key.size() < 4) continue;
        std::string upper = key;
        std::transform(upper.begin(), upper.end(), upper.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        if (upper.rfind("COM", 0) != 0) continue;
        const std::string digits = upper.substr(3);
        if (digits.empty() || digits.size() > 2 ||
            !std::all_of(digits.begin(), digits.end(),
                         [](unsigned char c) { return std::isdigit(c); }))
            continue;
        const int n = std::stoi(digits);
        const std::string device = ini.ReadString(PortsSection, key, "");
        if (n >= 1 && n <= 16 && !device.empty()) s.ports[n] = device;
    }
    return s;
}

void WriteClosingSettings(IniFile& ini, int codePageIndex, bool moduleChecked) {
    ini.WriteInteger(SettingsSection, "StronaKodowa", codePageIndex);
    ini.WriteInteger(SettingsSection, "JestModul", moduleChecked ? 1 : 0);
}

LinkControlValues ReadLinkControls(const IniFile& ini) {
    LinkControlValues v;
    v.portIndex = ini.ReadInteger(SettingsSection, "ComboBoxPort_ItemIndex", 0);
    if (v.portIndex < 0 || v.portIndex > 15) v.portIndex = 0;
    v.baudIndex = ini.ReadInteger(SettingsSection, "ComboBoxPredkosc_ItemIndex", 0);
    if (v.baudIndex < 0 || v.baudIndex > 1) v.baudIndex = 0;
    v.address = ini.ReadInteger(SettingsSection, "IntEditAdres_Value", 1);
    v.address = std::clamp(v.address, 0, 247);
    return v;
}

void WriteLinkControls(IniFile& ini, const LinkControlValues& values) {
    ini.WriteInteger(SettingsSection, "ComboBoxPort_ItemIndex", values.portIndex);
    ini.WriteInteger(SettingsSection, "ComboBoxPredkosc_ItemIndex", values.baudIndex);
    ini.WriteInteger(SettingsSection, "IntEditAdres_Value", values.address);
    ini.WriteInteger(SettingsSection, "FormVersion", 0);
}

void WritePortDevice(IniFile& ini, int comNumber, const std::string& device) {
    if (comNumber < 1 || comNumber > 16 || device.empty()) return;
    ini.WriteString(PortsSection, "COM" + std::to_string(comNumber), device);
}

std::string DeviceForPort(const std::map<int, std::string>& ports, const std::string& comName) {
    int n = 0;
    if (comName.size() > 3 && comName.compare(0, 3, "COM") == 0) {
        const std::string digits = comName.substr(3);
        if (!digits.empty() && digits.size() <= 2 &&
            std::all_of(digits.begin(), digits.end(),
                        [](unsigned char c) { return std::isdigit(c); }))
            n = std::stoi(digits);
    }
    if (n == 0) return comName; // already a device path
    if (auto it = ports.find(n); it != ports.end()) return it->second;
#ifdef _WIN32
    return comName;
#else
    return "/dev/ttyS" + std::to_string(n - 1);
#endif
}

} // namespace zyl
