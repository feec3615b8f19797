#pragma once

// The lists of stored values and the texts the editors show for them; a value's index in its
// list is what is stored. Texts are bytes of code page 1250. The editors fill their choice
// boxes from these, and the field tables give them as the values' texts.

#include <array>

namespace zyl {

// --- relays ---------------------------------------------------------------------------------

inline constexpr std::array<const char*, 6> TimeTypeTexts = {
    "Relay disabled",           "Relay active",    "Switching on with delay",
    "Switching off with delay", "Pulse generator", "Pulse generator"};
inline constexpr std::array<const char*, 7> RegulatorTypeTexts = {"Control off",
                                                                  "Heating progress",
                                                                  "Cooling progress",
                                                                  "Heating hysteresis",
                                                                  "Cooling hysteresis",
                                                                  "Counter",
                                                                  "PID"};

// --- processes ------------------------------------------------------------------------------

// The step end conditions in code page 1250; the stored value is the index. Entries 0 to 9
// put two no-break spaces (0xA0) after the number, entries 19 to 24 an opening typographic
// quote (0x93) before the digit.
inline constexpr std::array<const char*, 25> EndConditionTexts = {
    "0\xA0\xA0 time longer than preset",
    "1\xA0\xA0 temperature higher than preset",
    "2\xA0\xA0"
    "free",
    "3\xA0\xA0 vacuum higher than preset",
    "4\xA0\xA0 time longer than preset or temperature higher than preset",
    "5\xA0\xA0"
    "free",
    "6\xA0\xA0 time longer than preset or vacuum higher than preset",
    "7\xA0\xA0 time longer than preset and temperature higher than preset",
    "8\xA0\xA0 free",
    "9\xA0\xA0 time longer than preset and vacuum higher than preset",
    "10.temperature lower than preset",
    "11.free",
    "12. vacuum lower then preset",
    "13.time longer than preset or temperature lower than preset",
    "14.free",
    "15.time longer than preset or vacuum lower than preset",
    "16.time longer than preset and temperature lower than preset",
    "17. free",
    "18. time longer than preset and vacuum lower than preset",
    "19.control input or relay in status \x93"
    "1\"",
    "20.time longer than preset and control input or relay in status \x93"
    "1\"",
    "21.time longer than preset or control input or relay in status \x93"
    "1\"",
    "22.control input or relay in status \x93"
    "0\"",
    "23.time longer than preset and control input or relay in status \x93"
    "0\"",
    "24.time longer than preset or control input or relay in status \x93"
    "0\"",
};

// --- alarms, special statuses ---------------------------------------------------------------

inline constexpr std::array<const char*, 3> AlarmStatusList = {
    "0 - Alarm disabled !", "1 - Alarm interrupting the process",
    "2 - Alarm not interrupting the process"};

// --- channels and set values that several blocks share --------------------------------------

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

// --- analog outputs and PID regulators -----------------------------------------------------

inline constexpr std::array<const char*, 3> OutputTypeList = {"0- Switched OFF", "1- Set value",
                                                              "2- PID"};
// As the controller's documentation numbers the entries; the index is what is stored, so
// "4. PID 4" stores 3.
inline constexpr std::array<const char*, 5> PidNumberList = {"0. PID 1", "1. PID 2", "2. PID 3",
                                                             "4. PID 4", "5. PID 5"};
inline constexpr std::array<const char*, 2> HeatingCoolingList = {"0 - Heating", "1 - Cooling"};

} // namespace zyl
