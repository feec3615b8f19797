#pragma once

// The lists that several editors share; the index is what is stored. Texts are bytes of code
// page 1250.

#include <array>

namespace zyl {

inline constexpr std::array<const char*, 10> MeasurementChannelList = {
    "1.temperature", "2. Rotation speed", "3.Vacuum",     "4.Channel 4",  "5. Channel 5",
    "6. Weight",     "7. Channel 7",      "8. Channel 8", "9. Channel 9", "10. Channel 10"};

inline constexpr std::array<const char*, 19> SetValueSourceList = {
    "1.temperature",        "2.rotation speed",     "3.Vacuum",
    "4. Weight (Add 1)",    "5. (Counter Add 2)",   "6. Channel 4 (F08)",
    "7. Channel 5 (F09)",   "8. Channel 6",         "9. Channel 7",
    "10. Channel 8",        "11. Channel 9",        "12. Channel 10",
    "13. Channel 11",       "14. Channel 12",       "15 - Step preset SP1",
    "16 - Step preset SP2", "17 - Step preset SP3", "18 - Step preset SP4",
    "19 - Step preset SP5"};

inline constexpr std::array<const char*, 5> PidRegulatorList = {
    "0 - PID 1", "1 - PID 2", "2 - PID 3", "3 - PID 4", "4 - PID 5"};

// How the relays an alarm or a special status names are set (0x96 is an en dash).
inline constexpr std::array<const char*, 3> RelayLogicList = {
    "0 \x96 preset status assignment to outputs",
    "1 - logic sum of indicated relays and outputs - additional output switching on",
    "2 - logic product of indicated relays and outputs \x96 an output switching off"};

} // namespace zyl
