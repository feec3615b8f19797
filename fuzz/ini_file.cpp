// The INI reader and writer over documents of any content, and the settings read from them.
//
// Input: section NUL key NUL value NUL document. The document is loaded; the key is read in
// the section, written with the value and read back. A missing NUL leaves the later parts
// empty.

#include "FuzzSupport.h"

#include "core/Settings.h"
#include "project/IniFile.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using zyl::IniFile;

std::string_view NextPart(std::string_view& input) {
    const std::size_t nul = input.find('\0');
    const std::string_view part = input.substr(0, nul);
    input.remove_prefix(nul == std::string_view::npos ? input.size() : nul + 1);
    return part;
}

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return LowerAscii(x) == LowerAscii(y);
           });
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool HasLineBreak(std::string_view s) {
    return s.find_first_of("\r\n") != std::string_view::npos;
}

bool HasOuterBlank(std::string_view s) {
    return !s.empty() && (IsBlank(s.front()) || IsBlank(s.back()));
}

// The names the header says can be written: not empty, no outer blanks, no line break, no
// ']' in a section, no '=' in a key, and no key starting like a comment or a section.
bool WritableSection(std::string_view s) {
    return !s.empty() && !HasOuterBlank(s) && !HasLineBreak(s) &&
           s.find(']') == std::string_view::npos;
}

bool WritableKey(std::string_view k) {
    return !k.empty() && !HasOuterBlank(k) && !HasLineBreak(k) &&
           k.find('=') == std::string_view::npos && k.front() != ';' && k.front() != '#' &&
           k.front() != '[';
}

// A written value as it reads back: line breaks as blanks, outer blanks removed.
std::string ReadBack(std::string_view value) {
    std::string s(value);
    for (char& c : s)
        if (c == '\r' || c == '\n') c = ' ';
    const std::size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}

// A decimal integer with an optional sign, when it fits an int.
std::optional<int> DecimalValue(std::string_view s) {
    if (!s.empty() && s.front() == '+') {
        s.remove_prefix(1);
        if (!s.empty() && s.front() == '-') return std::nullopt;
    }
    int value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc{} || end != s.data() + s.size()) return std::nullopt;
    return value;
}

// The reads of one key agree with each other: ReadString and ReadInteger with ReadValue.
void CheckReads(const IniFile& ini, std::string_view section, std::string_view key) {
    const std::optional<std::string> value = ini.ReadValue(section, key);
    FUZZ_REQUIRE(ini.ReadString(section, key, "\x01") == (value ? *value : "\x01"));
    const std::optional<int> number = value ? DecimalValue(*value) : std::nullopt;
    const int a = ini.ReadInteger(section, key, 1234567);
    const int b = ini.ReadInteger(section, key, -7654321);
    if (number) {
        FUZZ_REQUIRE(a == *number && b == *number);
    } else {
        FUZZ_REQUIRE(a == 1234567 && b == -7654321);
    }
}

void CheckSettings(const IniFile& ini) {
    const zyl::AppSettings settings = zyl::ReadAppSettings(ini);
    const auto within = [](const zyl::SettingRange& range, int value) {
        return value >= range.low && value <= range.high;
    };
    FUZZ_REQUIRE(within(zyl::BlockCountRange, settings.ileBlokProgram) &&
                 within(zyl::WaitForPanelRange, settings.WaitForPanel) &&
                 within(zyl::IleSleepRange, settings.tuning.IleSleep) &&
                 within(zyl::TimeoutStandRange, settings.tuning.timeoutStand));
    FUZZ_REQUIRE(settings.tuning.IleSleep != 10);
    for (const auto& [n, device] : settings.ports) {
        FUZZ_REQUIRE(n >= 1 && n <= 16 && !device.empty());
        FUZZ_REQUIRE(zyl::DeviceForPort(settings.ports, "COM" + std::to_string(n)) == device);
    }
    (void)zyl::ReadLinkControls(ini);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::string_view section = NextPart(input);
    const std::string_view key = NextPart(input);
    const std::string_view value = NextPart(input);
    const std::string_view document = input;

    IniFile ini;
    ini.LoadText(document);
    FUZZ_REQUIRE(ini.Text() == document);

    CheckReads(ini, section, key);
    const std::vector<std::string> keys = ini.Keys(section);
    std::vector<std::string> values;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j) FUZZ_REQUIRE(!SameName(keys[i], keys[j]));
        const std::optional<std::string> v = ini.ReadValue(section, keys[i]);
        FUZZ_REQUIRE(v.has_value());
        values.push_back(*v);
        CheckReads(ini, section, keys[i]);
    }
    CheckSettings(ini);

    const std::string before = ini.Text();
    const bool hadKey = ini.ReadValue(section, key).has_value();
    ini.WriteString(section, key, value);
    if (!WritableSection(section) || !WritableKey(key)) {
        FUZZ_REQUIRE(ini.Text() == before);
    } else {
        const std::string expected = ReadBack(value);
        FUZZ_REQUIRE(ini.ReadValue(section, key) == expected);
        // The other keys keep their values; the key is added when it was new.
        const std::vector<std::string> keysAfter = ini.Keys(section);
        FUZZ_REQUIRE(keysAfter.size() == keys.size() + (hadKey ? 0 : 1));
        for (std::size_t i = 0; i < keys.size(); ++i)
            if (!SameName(keys[i], key)) FUZZ_REQUIRE(ini.ReadValue(section, keys[i]) == values[i]);
        // What was written survives a save and load.
        IniFile reloaded;
        reloaded.LoadText(ini.Text());
        FUZZ_REQUIRE(reloaded.Text() == ini.Text());
        FUZZ_REQUIRE(reloaded.ReadValue(section, key) == expected);

        int number = 0;
        std::memcpy(&number, value.data(), std::min(value.size(), sizeof number));
        ini.WriteInteger(section, key, number);
        FUZZ_REQUIRE(ini.ReadInteger(section, key, number ^ 1) == number);
    }

    // What closing the main window writes reads back.
    const int codePage = static_cast<int>(size % 4);
    const bool module = (size & 4) != 0;
    zyl::WriteClosingSettings(ini, codePage, module);
    const zyl::AppSettings settings = zyl::ReadAppSettings(ini);
    FUZZ_REQUIRE(settings.StronaKodowa == codePage && settings.JestModul == (module ? 1 : 0));

    const zyl::LinkControlValues link{static_cast<int>(size % 16), static_cast<int>(size % 2),
                                      static_cast<int>(size % 248)};
    zyl::WriteLinkControls(ini, link);
    const zyl::LinkControlValues read = zyl::ReadLinkControls(ini);
    FUZZ_REQUIRE(read.portIndex == link.portIndex && read.baudIndex == link.baudIndex &&
                 read.address == link.address);
    CheckSettings(ini);
    return 0;
}
