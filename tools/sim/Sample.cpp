#include "sim/Sample.h"

#include <array>
#include <charconv>
#include <string>
#include <vector>

namespace zyl::sim {

namespace {

constexpr std::size_t NameBytes = 14;

void PutFlags(Bytes& out, const std::vector<int>& relays) {
    std::array<std::uint8_t, 4> set{};
    for (int relay : relays) {
        const int bit = relay - 1;
        set[static_cast<std::size_t>(bit / 8)] |= static_cast<std::uint8_t>(1u << (bit % 8));
    }
    out.insert(out.end(), set.begin(), set.end());
}

void PutS16(Bytes& out, int value) {
    PutBe16(out, static_cast<unsigned>(value) & 0xFFFF);
}
void PutS32(Bytes& out, long value) {
    PutBe32(out, static_cast<std::uint32_t>(value));
}

// ---- relays -------------------------------------------------------------------------------

struct Relay {
    const char* name;
    int timeType, ta, tb, regulator, channel, source;
    int offset, window, lower, upper; // tenths
};

constexpr std::array<Relay, 16> NamedRelays = {{
    {"PUMP", 1, 10, 5, 0, 0, 0, 0, 0, 0, 0},
    {"HEATER", 0, 0, 0, 1, 0, 0, 0, 20, 10, 10},
    {"FAN", 2, 30, 15, 0, 0, 0, 0, 0, 0, 0},
    {"VALVE IN", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {"VALVE OUT", 3, 5, 0, 0, 0, 0, 0, 0, 0, 0},
    {"MIXER", 4, 20, 20, 2, 1, 1, 0, 50, 20, 20},
    {"COOLER", 0, 0, 0, 3, 0, 0, -12, 30, 15, 5},
    {"STEAM", 5, 60, 10, 0, 0, 0, 0, 0, 0, 0},
    {"DRAIN", 1, 15, 0, 0, 0, 0, 0, 0, 0, 0},
    {"LIGHT", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {"HORN", 2, 2, 2, 0, 0, 0, 0, 0, 0, 0},
    {"SMOKE GEN", 0, 0, 0, 4, 3, 14, 25, 40, 10, 10},
    {"DOOR LOCK", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {"HUMIDIFIER", 0, 0, 0, 5, 5, 3, 0, 100, 25, 25},
    {"VACUUM PUMP", 1, 90, 30, 0, 2, 2, 0, 0, 0, 0},
    {"COMPRESSOR", 3, 120, 0, 6, 1, 0, 0, 0, 0, 0},
}};

void PutRelay(Bytes& out, int number) {
    if (number > 32) {
        out.insert(out.end(), 40, 0);
        return;
    }
    std::string fallback = "RELAY " + std::to_string(number);
    Relay r{fallback.c_str(), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    if (number <= static_cast<int>(NamedRelays.size()))
        r = NamedRelays[static_cast<std::size_t>(number - 1)];
    PutText(out, r.name, NameBytes);
    PutS16(out, r.timeType);
    PutS16(out, r.ta);
    PutS16(out, r.tb);
    PutS16(out, r.regulator);
    out.push_back(static_cast<std::uint8_t>(r.channel));
    out.push_back(static_cast<std::uint8_t>(r.source));
    PutS32(out, r.offset * 100L);
    PutS32(out, r.window * 100L);
    PutS32(out, r.lower * 100L);
    PutS32(out, r.upper * 100L);
}

Bytes RelayGroup(int g) {
    Bytes out{static_cast<std::uint8_t>(g)};
    for (int k = 0; k < 6; ++k) PutRelay(out, g * 6 + k + 1);
    return out;
}

// ---- processes ----------------------------------------------------------------------------

struct Process {
    const char* name;
    int endCondition;
    std::vector<int> relays;
    std::array<int, 5> presets;
};

const std::array<Process, 10> NamedProcesses = {{
    {"HEATING", 1, {2, 3}, {70, 0, 0, 0, 0}},
    {"DRYING", 2, {2, 3, 5}, {55, 30, 0, 0, 0}},
    {"SMOKING", 1, {3, 12}, {60, 0, 40, 0, 0}},
    {"COOKING", 1, {2, 8}, {78, 0, 0, 72, 0}},
    {"COOLING", 0, {1, 7}, {4, 0, 0, 0, 0}},
    {"STEAMING", 3, {8, 14}, {95, 90, 0, 0, 0}},
    {"VENTING", 0, {3, 5}, {0, 0, 0, 0, 0}},
    {"PAUSE", 0, {}, {0, 0, 0, 0, 0}},
    {"WAITING", 0, {10}, {0, 0, 0, 0, 0}},
    {"DEFROST", 2, {2}, {20, 0, 0, 0, 5}},
}};

const std::array<Process, 5> NamedWashingProcesses = {{
    {"PREWASH", 1, {1, 4}, {30, 0, 0, 0, 0}},
    {"WASH", 1, {1, 2, 4, 6}, {60, 0, 0, 0, 10}},
    {"RINSE", 2, {1, 4}, {20, 0, 0, 0, 0}},
    {"DRAIN", 0, {5, 9}, {0, 0, 0, 0, 0}},
    {"DRY", 2, {2, 3}, {50, 0, 0, 0, 0}},
}};

Process ProcessAt(bool washing, int number, std::string& fallback) {
    if (washing && number <= static_cast<int>(NamedWashingProcesses.size()))
        return NamedWashingProcesses[static_cast<std::size_t>(number - 1)];
    if (!washing && number <= static_cast<int>(NamedProcesses.size()))
        return NamedProcesses[static_cast<std::size_t>(number - 1)];
    fallback = (washing ? "WASHING " : "PROCESS ") + std::to_string(number);
    return {fallback.c_str(), 0, {}, {0, 0, 0, 0, 0}};
}

Bytes ProcessGroup(bool washing, int g) {
    Bytes out{static_cast<std::uint8_t>(g)};
    for (int k = 0; k < 8; ++k) {
        std::string fallback;
        const Process p = ProcessAt(washing, g * 8 + k + 1, fallback);
        PutText(out, p.name, NameBytes);
        out.push_back(static_cast<std::uint8_t>(p.endCondition));
        PutFlags(out, p.relays);
    }
    return out;
}

Bytes ProcessParameters(int kind) {
    Bytes out{static_cast<std::uint8_t>(kind)};
    for (int number = 1; number <= 16; ++number) {
        std::string fallback;
        const Process p = ProcessAt(kind == 1, number, fallback);
        for (int preset : p.presets) PutS16(out, preset);
    }
    return out;
}

// ---- alarms and special statuses ----------------------------------------------------------

struct Alarm {
    const char* message;
    int delay, status, logic;
    std::vector<int> relays;
};

const std::array<Alarm, 8> NamedAlarms = {{
    {"OVERHEAT", 5, 1, 0, {2}},
    {"LOW WATER", 10, 1, 1, {1, 4}},
    {"DOOR OPEN", 2, 1, 0, {13}},
    {"MOTOR FAULT", 3, 1, 0, {6}},
    {"SENSOR FAIL", 1, 1, 0, {}},
    {"LOW PRESSURE", 15, 0, 0, {15}},
    {"HIGH HUMIDITY", 30, 1, 1, {14}},
    {"FAN FAULT", 5, 1, 0, {3}},
}};

Bytes AlarmGroup(int g) {
    Bytes out{static_cast<std::uint8_t>(g)};
    for (int k = 0; k < 12; ++k) {
        const int number = g * 12 + k + 1;
        if (number > 21) {
            out.insert(out.end(), 22, 0);
            continue;
        }
        std::string fallback = "ALARM " + std::to_string(number);
        Alarm a{fallback.c_str(), 0, 0, 0, {}};
        if (number <= static_cast<int>(NamedAlarms.size()))
            a = NamedAlarms[static_cast<std::size_t>(number - 1)];
        PutText(out, a.message, NameBytes);
        PutS16(out, a.delay);
        out.push_back(static_cast<std::uint8_t>(a.status));
        out.push_back(static_cast<std::uint8_t>(a.logic));
        PutFlags(out, a.relays);
    }
    return out;
}

Bytes SpecialStatuses() {
    struct Status {
        int switchOff, logic;
        std::vector<int> relays;
    };
    const std::array<Status, 6> statuses = {{
        {30, 0, {1}},
        {60, 1, {2, 3}},
        {0, 0, {}},
        {120, 0, {8}},
        {10, 1, {11}},
        {0, 0, {}},
    }};
    Bytes out;
    for (const Status& s : statuses) {
        PutS16(out, s.switchOff);
        out.push_back(static_cast<std::uint8_t>(s.logic));
        PutFlags(out, s.relays);
    }
    return out;
}

// ---- analog outputs, PID regulators, passwords ---------------------------------------------

Bytes AnalogOutputs() {
    struct Output {
        const char* name;
        int type, channel, source, pid, v0, v10, stop, pause;
        std::array<int, 4> special;
    };
    const std::array<Output, 5> outputs = {{
        {"AO1 TEMP", 0, 0, 0, 0, 0, 150, 0, 20, {10, 20, 30, 40}},
        {"AO2 FAN SPEED", 1, 1, 1, 1, 0, 3000, 0, 0, {500, 1000, 1500, 2000}},
        {"AO3 VALVE", 0, 2, 2, 2, -10, 90, 0, 0, {0, 0, 0, 0}},
        {"AO4 SPARE", 0, 0, 0, 3, 0, 100, 0, 0, {0, 0, 0, 0}},
        {"AO5 SPARE", 0, 0, 0, 4, 0, 100, 0, 0, {0, 0, 0, 0}},
    }};
    Bytes out{0x00};
    for (const Output& o : outputs) {
        PutText(out, o.name, NameBytes);
        out.push_back(static_cast<std::uint8_t>(o.type));
        out.push_back(static_cast<std::uint8_t>(o.channel));
        out.push_back(static_cast<std::uint8_t>(o.source));
        out.push_back(static_cast<std::uint8_t>(o.pid));
        PutS16(out, o.v0);
        PutS16(out, o.v10);
        PutS16(out, o.stop);
        PutS16(out, o.pause);
        for (int v : o.special) PutS16(out, v);
    }
    return out;
}

Bytes PidRegulators() {
    struct Pid {
        int heatingCooling, channel, source;
        long sample, gainTenths, ti, td, period;
    };
    const std::array<Pid, 5> regulators = {{
        {0, 0, 0, 1, 25, 120, 30, 10},
        {1, 0, 0, 1, 15, 200, 0, 20},
        {0, 2, 2, 2, 10, 60, 15, 5},
        {0, 1, 1, 1, 5, 100, 0, 10},
        {0, 5, 3, 5, 10, 300, 60, 30},
    }};
    Bytes out{0x00};
    for (const Pid& p : regulators) {
        out.push_back(static_cast<std::uint8_t>(p.heatingCooling));
        out.push_back(static_cast<std::uint8_t>(p.channel));
        out.push_back(static_cast<std::uint8_t>(p.source));
        PutS32(out, p.sample);
        PutS32(out, p.gainTenths);
        PutS32(out, p.ti);
        PutS32(out, p.td);
        PutS32(out, p.period);
    }
    return out;
}

Bytes Passwords() {
    const std::array<const char*, 3> set = {"123456", "654321", "111111"};
    Bytes out;
    for (std::size_t slot = 0; slot < 37; ++slot) {
        if (slot < set.size())
            PutText(out, set[slot], 6);
        else
            out.insert(out.end(), 6, 0);
    }
    return out;
}

// ---- setup --------------------------------------------------------------------------------

Bytes Setup(const SampleParams& params) {
    std::array<int, 101> words{};
    words[1] = params.address >= 1 && params.address <= 32 ? params.address : 1;
    words[2] = params.fastBaud ? 1 : 0;
    const std::initializer_list<std::pair<int, int>> typical = {
        {3, 2},     {4, 5},     {5, 1},     {6, 3},    {8, 100},  {9, 100},  {11, 5},
        {12, 30},   {13, 120},  {14, 150},  {16, 60},  {20, 5},   {21, 130}, {22, 200},
        {23, 150},  {24, 150},  {25, 90},   {27, 5},   {35, 0},   {36, 10},  {38, 90},
        {40, 2000}, {42, 2000}, {43, 12},   {44, 100}, {45, 100}, {61, 5},   {62, 1},
        {64, 3},    {67, 500},  {68, 1000}, {69, 100}, {70, -1},  {71, 5},   {72, 2}};
    for (const auto& [word, value] : typical) words[static_cast<std::size_t>(word)] = value;
    for (const auto& [word, value] : params.setupWords)
        if (word >= 0 && word <= 100) words[static_cast<std::size_t>(word)] = value;
    words[98] = params.layoutMark;
    words[99] = params.version;
    Bytes out;
    for (int w : words) PutS16(out, w);
    return out;
}

// ---- programs -----------------------------------------------------------------------------

struct Step {
    int temperature, weight, rotation, counter, vacuum;
    int extra, onOff, vacuumPulse, process, hours, minutes, work, pause;
};

struct Program {
    const char* name;
    std::vector<Step> steps;
};

const Program* SampleProgram(int index) {
    static const Program ham{"HAM SMOKING",
                             {{55, 0, 0, 0, 0, 0, 0, 0, 2, 0, 45, 30, 10},
                              {60, 0, 0, 0, 0, 1, 1, 0, 3, 1, 30, 40, 20},
                              {65, 0, 0, 0, 0, 0, 0, 0, 3, 1, 0, 40, 20},
                              {78, 0, 0, 72, 0, 0, 0, 0, 4, 2, 0, 0, 0},
                              {95, 0, 0, 0, 0, 0, 0, 0, 6, 0, 20, 0, 0},
                              {4, 0, 0, 0, 0, 0, 0, 0, 5, 0, 30, 0, 0}}};
    static const Program sausage{"SAUSAGE COOK",
                                 {{50, 0, 0, 0, 0, 0, 0, 0, 2, 0, 20, 0, 0},
                                  {70, 0, 120, 0, 0, 0, 1, 0, 4, 0, 50, 15, 5},
                                  {80, 0, 120, 68, 0, 0, 0, 0, 4, 1, 10, 15, 5},
                                  {10, 0, 0, 0, 0, 0, 0, 0, 5, 0, 15, 0, 0}}};
    static const Program dry{"QUICK DRY",
                             {{45, 150, 0, 0, 30, 2, 0, 1, 2, 3, 0, 60, 30},
                              {50, 100, 0, 0, 40, 2, 0, 1, 2, 2, 0, 60, 30},
                              {0, 0, 0, 0, 0, 0, 0, 0, 8, 0, 5, 0, 0}}};
    static const Program washing{"WASHING",
                                 {{30, 0, 0, 0, 0, 0, 0, 0, 1, 0, 5, 0, 0},
                                  {60, 0, 0, 0, 0, 0, 1, 0, 2, 0, 15, 20, 5},
                                  {20, 0, 0, 0, 0, 0, 0, 0, 3, 0, 5, 0, 0},
                                  {0, 0, 0, 0, 0, 0, 0, 0, 4, 0, 3, 0, 0}}};
    switch (index) {
    case 0:
        return &ham;
    case 1:
        return &sausage;
    case 2:
        return &dry;
    case 100:
        return &washing;
    default:
        return nullptr;
    }
}

Bytes ProgramPart(int index, int blockCount, int part) {
    const ProgramFraming framing = FramingFor(blockCount);
    const Program* program = SampleProgram(index);
    Bytes out{static_cast<std::uint8_t>(part), static_cast<std::uint8_t>(index)};
    PutText(out, program ? program->name : "", NameBytes);
    for (int k = 0; k < framing.stepsPerPart; ++k) {
        const auto n = static_cast<std::size_t>(part * framing.stepsPerPart + k);
        Step s{};
        if (program && n < program->steps.size()) s = program->steps[n];
        PutS16(out, s.temperature);
        PutS16(out, s.weight);
        PutS16(out, s.rotation);
        PutS16(out, s.counter);
        PutS16(out, s.vacuum);
        out.push_back(static_cast<std::uint8_t>(s.extra));
        out.push_back(static_cast<std::uint8_t>(s.onOff));
        out.push_back(static_cast<std::uint8_t>(s.vacuumPulse));
        out.push_back(static_cast<std::uint8_t>(s.process > 0 ? s.process - 1 : 0));
        out.push_back(static_cast<std::uint8_t>(s.hours));
        out.push_back(static_cast<std::uint8_t>(s.minutes));
        if (framing.stepBytes == 20) {
            PutS16(out, s.work);
            PutS16(out, s.pause);
        }
    }
    return out;
}

// ---- operator menu ------------------------------------------------------------------------

struct MenuGroup {
    std::uint8_t mark1, mark2;
    std::vector<std::array<const char*, 4>> entries; // languages 0 to 3
};

const std::vector<MenuGroup>& SampleMenu() {
    static const std::vector<MenuGroup> menu = {
        {0x03,
         0x01,
         {{"PROGRAMY", "PROGRAMS", "PROGRAMME", "PROGRAMMES"},
          {"START", "START", "START", "DEMARRER"},
          {"STOP", "STOP", "STOPP", "ARRET"}}},
        {0x05,
         0x02,
         {{"USTAWIENIA", "SETTINGS", "EINSTELLUNGEN", "REGLAGES"},
          {"ZEGAR", "CLOCK", "UHR", "HORLOGE"},
          {"JEZYK", "LANGUAGE", "SPRACHE", "LANGUE"},
          {"HASLO", "PASSWORD", "PASSWORT", "MOT DE PASSE"}}},
        {0x03,
         0x04,
         {{"SERWIS", "SERVICE", "SERVICE", "ENTRETIEN"}, {"INFO", "INFO", "INFO", "INFO"}}},
    };
    return menu;
}

// One language's text stream, closed by an empty group and padded with blanks.
Bytes MenuStream(std::size_t language) {
    Bytes out{0xFF};
    for (const MenuGroup& group : SampleMenu()) {
        out.insert(out.end(), {0x00, static_cast<std::uint8_t>(group.entries.size()), group.mark1,
                               group.mark2});
        for (const auto& entry : group.entries) {
            out.push_back(0x00);
            PutText(out, entry[language], 20);
            out.push_back(0x00);
        }
    }
    out.insert(out.end(), {0x00, 0x00});
    out.resize(SampleMenuStreamSize(), 0x20);
    return out;
}

Bytes MenuStructure() {
    Bytes out{0xFF, 0x00};
    for (const MenuGroup& group : SampleMenu())
        out.insert(out.end(), {static_cast<std::uint8_t>(group.entries.size()), group.mark1,
                               group.mark2, 0x00});
    out.push_back(0xFE);
    out.resize(264, 0x00);
    return out;
}

Bytes PanelBlock(MenuLayout layout, std::string_view block) {
    if (block == "code-table") return {0x10, 0x02, 0x10, 0x02};
    Bytes out;
    if (layout == MenuLayout::Structure) {
        if (block == "predefined-block") return MenuStructure();
        for (std::size_t language = 0; language < 4; ++language) {
            const Bytes stream = MenuStream(language);
            out.insert(out.end(), stream.begin(), stream.end());
        }
        out.insert(out.end(), {0xFE, 0x00});
        return out;
    }
    if (block == "predefined-block") return MenuStream(0);
    for (std::size_t language = 1; language < 4; ++language) {
        const Bytes stream = MenuStream(language);
        out.insert(out.end(), stream.begin(), stream.end());
    }
    return out;
}

int Number(std::string_view text) {
    int value = -1;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

} // namespace

unsigned SampleMenuStreamSize() {
    unsigned size = 2 + 2;
    for (const MenuGroup& group : SampleMenu())
        size += 4 + 22 * static_cast<unsigned>(group.entries.size());
    return size;
}

Bytes SampleBlock(std::string_view key, const SampleParams& params) {
    if (!Memory::SizeOf(key)) return {};
    const std::size_t slash = key.find('/');
    const std::string_view family = key.substr(0, slash);
    const std::string_view rest = slash == std::string_view::npos ? "" : key.substr(slash + 1);
    if (family == "setup") return Setup(params);
    if (family == "passwords") return Passwords();
    if (family == "statuses") return SpecialStatuses();
    if (family == "analog") return AnalogOutputs();
    if (family == "pid") return PidRegulators();
    if (family == "relays") return RelayGroup(Number(rest));
    if (family == "alarms") return AlarmGroup(Number(rest));
    if (family == "processes") return ProcessGroup(false, Number(rest));
    if (family == "washing-processes") return ProcessGroup(true, Number(rest));
    if (family == "process-parameters") return ProcessParameters(Number(rest));
    if (family == "programs") {
        const std::size_t a = rest.find('/');
        const std::size_t b = rest.find('/', a + 1);
        return ProgramPart(Number(rest.substr(0, a)), Number(rest.substr(a + 1, b - a - 1)),
                           Number(rest.substr(b + 1)));
    }
    if (family == "panel") {
        const std::size_t a = rest.find('/');
        const MenuLayout layout =
            rest.substr(0, a) == "structure" ? MenuLayout::Structure : MenuLayout::Predefined;
        return PanelBlock(layout, rest.substr(a + 1));
    }
    return {};
}

} // namespace zyl::sim
