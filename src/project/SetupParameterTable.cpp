#include "project/SetupParameterTable.h"

#include <array>
#include <cstdio>
#include <cstdlib>

namespace zyl {

namespace {

using K = ParameterKind;

constexpr std::array<SetupParameter, SetupParameterCount> MakeTable() {
    std::array<SetupParameter, SetupParameterCount> t{};
    for (auto& p : t) p = {"", K::Integer, 0, 999};
    auto set = [&t](int n, const char* name, K kind, int lo, int hi) {
        t[static_cast<std::size_t>(n - 1)] = {name, kind, lo, hi};
    };
    set(1, "Address RS-485", K::Integer, 1, 32);
    set(2, "Baud rate", K::Choice, 0, 1);
    set(3, "Menu info", K::Integer, 0, 11);
    set(4, "End condition time", K::Integer, 0, 99);
    set(5, "Pause status", K::Integer, 0, 2);
    set(6, "Alarm BEEP", K::Integer, 0, 9);
    set(7, "Temperature unit", K::Choice, 0, 1);
    set(8, "Channel 5 preset", K::Integer, -99, 999);
    set(9, "Channel 4 preset", K::Integer, -99, 999);
    set(10, "Delta status", K::Integer, 0, 3);
    set(11, "Sample rate (min):", K::Integer, 0, 99);
    set(12, "TIME FOR RESTART", K::Integer, 0, 200);
    set(13, "MAX. PRESET TEMP.", K::Integer, -99, 999);
    set(14, "MAX. PRESET ROTATION", K::Integer, -99, 999);
    set(15, "", K::Integer, 0, 2);
    set(16, "TIME TO WASHING", K::Integer, 0, 999);
    set(17, "START FROM PC", K::Integer, 0, 1);
    set(18, "ID ON/OFF", K::Integer, 0, 1);
    set(19, "OPERATOR ON/OFF", K::Integer, 0, 1);
    set(20, "KEYBOARD SOUND", K::Integer, 0, 20);
    set(21, "MAX. TEMPERATURE", K::Integer, -99, 999);
    set(22, "MAX. ROTATION", K::Integer, -99, 999);
    set(23, "MAX. CHANNEL 5", K::Integer, -99, 999);
    set(24, "MAX. CHANNEL 4", K::Integer, -99, 999);
    set(25, "MAX. VACUUM", K::Integer, 0, 99);
    set(26, " WEIGHT CORRECTION", K::Tenths, -200, 200);
    set(27, " TEMP. CORRECTION", K::Tenths, -200, 200);
    set(28, "VACUUM CORRECTION", K::Tenths, -200, 200);
    set(29, "CHANNEL 3 CORRECTION", K::Tenths, -200, 200);
    set(30, "CHANNEL 4 CORRECTION", K::Tenths, -200, 200);
    set(31, "HUMIDITY CORRECTION", K::Integer, -200, 200);
    set(32, "TYPE OF DIG.INPUTS", K::Integer, 0, 1);
    set(33, "END RELEASE", K::Integer, 0, 1);
    set(34, "END RELEASE NO.", K::Integer, 0, 32);
    set(35, "MIN. PRESET TEMP.", K::Integer, -199, 999);
    set(36, "Min preset rotation speed", K::Integer, -199, 999);
    set(37, "Min. preset vacuum", K::Integer, -199, 999);
    set(38, "Max. preset vacuum", K::Integer, -199, 999);
    set(39, "Min. preset additional 1", K::Integer, -999, 3000);
    set(40, "Max. preset additional 1", K::Integer, -999, 3000);
    set(41, "Min. preset additional 2", K::Integer, -999, 3000);
    set(42, "Max. preset additional 2", K::Integer, -999, 3000);
    set(43, "Smoking relay", K::Integer, 0, 32);
    set(44, "Set value 6", K::Integer, -200, 800);
    set(45, "Set value 7", K::Integer, -200, 800);
    set(46, "Set value 8", K::Integer, -200, 800);
    set(47, "Set value 9", K::Integer, -200, 800);
    set(48, "Set value 10", K::Integer, -200, 800);
    set(49, "Set value 11", K::Integer, -200, 800);
    set(50, "Set value 12", K::Integer, -200, 800);
    set(51, "CORRECTION CHANNEL 6", K::Tenths, -200, 800);
    set(52, "CORRECTION CHANNEL 7", K::Tenths, -200, 800);
    set(53, "CORRECTION CHANNEL 8", K::Tenths, -200, 800);
    set(54, "CORRECTION CHANNEL 9", K::Tenths, -200, 200);
    set(55, "CORRECTION CHANNEL 10", K::Tenths, -200, 200);
    set(56, "CORRECTION CHANNEL 11", K::Tenths, -200, 200);
    set(57, "CORRECTION CHANNEL 12", K::Tenths, -200, 200);
    set(58, "FORWARD/BACK Time", K::Integer, 0, 1);
    set(59, "Manual control", K::Integer, 0, 1);
    set(60, "Additional set", K::Integer, 0, 1);
    set(61, "INFO OFF TIME", K::Integer, 0, 13);
    set(62, "PSYCHRO. TYPE", K::Integer, 0, 6);
    set(63, "", K::Integer, -200, 200);
    set(64, "Max. card error", K::Integer, 0, 9);
    set(65, "Weight taring", K::Integer, 0, 3);
    set(66, "Counter taring", K::Integer, 0, 5);
    set(67, "Vacuum pulse length", K::Integer, 0, 9999);
    set(68, "Vacuum pulse spacing interval", K::Integer, 0, 9999);
    set(69, "Counter constant", K::Integer, 0, 9999);
    set(70, "LOOP PROG.STEPS.", K::Integer, -1, 200);
    set(71, "RH 1 FILTER", K::Integer, 0, 20);
    set(72, "RH 2 FILTER", K::Integer, 0, 5);
    return t;
}

constexpr auto Table = MakeTable();

} // namespace

const SetupParameter& SetupParameterInfo(int n) {
    if (n < 1 || n > SetupParameterCount) n = SetupParameterCount;
    return Table[static_cast<std::size_t>(n - 1)];
}

std::string SetupValueText(int n, int value) {
    if (n == 2 && (value == 0 || value == 1))
        return value == 0 ? "0 - 9600 [b/s]" : "1 - 19200 [b/s]";
    if (n == 7 && (value == 0 || value == 1))
        return value == 0 ? "0 -  Celsius" : "1 -  Fahrenheit";
    if (SetupParameterInfo(n).kind == ParameterKind::Tenths) return TenthsText(value);
    return std::to_string(value);
}

std::string SetupRowNumber(int n) {
    char text[8];
    std::snprintf(text, sizeof text, " F%02d", n);
    return text;
}

std::string TenthsText(std::int64_t tenths) {
    const std::int64_t whole = tenths < 0 ? -tenths : tenths;
    return (tenths < 0 ? "-" : "") + std::to_string(whole / 10) + '.' + std::to_string(whole % 10);
}

} // namespace zyl
