#pragma once

// The settings of "ustawienia.ini" and "setupZYLust.ini".

#include "link/Komunikacja.h"
#include "project/IniFile.h"

#include <map>
#include <string>

namespace zyl {

inline constexpr const char* SettingsFileName = "ustawienia.ini";
inline constexpr const char* LinkControlsFileName = "setupZYLust.ini";
inline constexpr const char* SettingsSection = "Parametry";
inline constexpr const char* PortsSection = "Ports";

// The range a numeric setting is brought into when it is read: a value outside it would
// make the tool spin, wait for ever or send frames no controller takes.
struct SettingRange {
    const char* key;
    int low, high;
    [[nodiscard]] constexpr int Bound(int value) const {
        return value < low ? low : value > high ? high : value;
    }
};
inline constexpr SettingRange TimeoutStandRange{"timeoutStand", 10, 30000}; // ms
inline constexpr SettingRange IleSleepRange{"IleSleep", 0, 50};             // ms
inline constexpr SettingRange WaitForPanelRange{"WaitForPanel", 1, 60};     // s
inline constexpr SettingRange BlockCountRange{"ileBlokProgram", 2, 3};      // frames

struct AppSettings {
    int ileBlokProgram = 2;
    int WaitForPanel = 5;
    bool PytajOReset = true;
    int JestModul = 0;
    int StronaKodowa = 0;
    LinkTuning tuning;                // timeoutStand, IleSleep, TransmisjaNT, MinusOffset
    std::map<int, std::string> ports; // [Ports] COMn=device, for platforms without COMn names
};

// Reads the keys of "Parametry" in their documented order; missing or malformed keys take
// their defaults, numbers outside their range are brought to it. A stored IleSleep of 10 is
// read as 5.
[[nodiscard]] AppSettings ReadAppSettings(const IniFile& ini);

// Writes StronaKodowa and JestModul back, leaving every other line as it was.
void WriteClosingSettings(IniFile& ini, int codePageIndex, bool moduleChecked);

// The three link controls kept between runs.
struct LinkControlValues {
    int portIndex = 0; // ComboBoxPort_ItemIndex, 0 for "1"
    int baudIndex = 0; // ComboBoxPredkosc_ItemIndex, 0 for "9600"
    int address = 1;   // IntEditAdres_Value
};
[[nodiscard]] LinkControlValues ReadLinkControls(const IniFile& ini);
void WriteLinkControls(IniFile& ini, const LinkControlValues& values);

// Maps COMn (1..16) to the device in [Ports] ("COM3=/dev/ttyUSB0"), replacing an entry of
// the port in any letter case and leaving every other line as it was. Other numbers and an
// empty device are not written.
void WritePortDevice(IniFile& ini, int comNumber, const std::string& device);

// The device behind COMn: the [Ports] entry when there is one, else the platform default
// (/dev/ttyS<n-1> on Linux, the name itself on Windows).
[[nodiscard]] std::string DeviceForPort(const std::map<int, std::string>& ports,
                                        const std::string& comName);

} // namespace zyl
