#include "sim/Commands.h"

#include "sim/StateFile.h"

#include <charconv>
#include <sstream>

namespace zyl::sim {

namespace {

std::vector<std::string> Words(std::string_view text) {
    std::istringstream in{std::string(text)};
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

bool ParseLong(const std::string& text, long& value, long low, long high) {
    int base = 10;
    std::string_view digits = text;
    bool negative = false;
    if (digits.starts_with('-')) {
        negative = true;
        digits.remove_prefix(1);
    }
    if (digits.starts_with("0x") || digits.starts_with("0X")) {
        base = 16;
        digits.remove_prefix(2);
    }
    long v = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v, base);
    if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size()) return false;
    v = negative ? -v : v;
    if (v < low || v > high) return false;
    value = v;
    return true;
}

std::string Rest(std::string_view line, std::size_t skipWords) {
    std::size_t pos = 0;
    for (std::size_t w = 0; w < skipWords; ++w) {
        pos = line.find_first_not_of(" \t", pos);
        if (pos == std::string_view::npos) return {};
        pos = line.find_first_of(" \t", pos);
        if (pos == std::string_view::npos) return {};
    }
    const std::size_t start = line.find_first_not_of(" \t", pos);
    return start == std::string_view::npos ? std::string() : std::string(line.substr(start));
}

ControlCommands::Result Fail(std::string text) {
    ControlCommands::Result r;
    r.ok = false;
    r.error = std::move(text);
    return r;
}

const char* HelpText[] = {
    "mode run|stop|N            status byte 22 (STOP 0, RUN 2, or any byte)",
    "panel-delay MS             panel ready this long after each module submit",
    "fault none|noreply|badcrc|wrongaddr|short|leadzero|garbage|ignore-writes",
    "      [every N | prob P [seed S]] [on all|direct|submit|collect|status]",
    "lead-zero on|off           a 0x00 in front of every reply",
    "version N                  setup word 99",
    "menu-layout structure|predefined|N   setup word 98",
    "setup-word N V             any setup word 0-100",
    "clock YYYY-MM-DD hh:mm:ss  sets the running clock",
    "status-byte N V            a measured-value byte 11-60 of the status reply",
    "pacing on|off              replies paced to the controller's rate",
    "baud 9600|19200            the rate the controller listens and answers at",
    "any-line on|off            answer whatever the line is set to",
    "controller [N [COMMAND]]   the bus; pick controller N for the following commands,",
    "                           or run one COMMAND on it",
    "dump [all|KEY|PREFIX]      summary, or stored blocks as hex",
    "stats [reset]              counters",
    "save [FILE], load FILE, clear, quit",
};

} // namespace

std::string ControlCommands::Render(const Result& result) {
    std::string text;
    for (const std::string& line : result.lines) text += line + "\n";
    text += result.ok ? "ok\n" : "error " + result.error + "\n";
    return text;
}

std::vector<std::string> ControlCommands::Summary(Engine::Clock::time_point now) const {
    const Memory& memory = engine_->memory();
    const auto mark = static_cast<std::uint16_t>(memory.SetupWord(98));
    char markText[16];
    std::snprintf(markText, sizeof markText, "%04X", mark);
    return {
        "address " + std::to_string(engine_->Address()),
        std::string("module ") + (engine_->HasModule() ? "on" : "off"),
        "mode " + std::to_string(engine_->Mode()) + (engine_->Running() ? " run" : " stop"),
        "panel-delay " + std::to_string(engine_->PanelDelay().count()),
        std::string("panel-ready ") + (engine_->PanelReady(now) ? "1" : "0"),
        std::string("pending-answer ") + (engine_->HasPendingAnswer() ? "1" : "0"),
        "clock " + FormatDateTime(engine_->ClockAt(now)),
        "version " + std::to_string(memory.SetupWord(99)),
        "block-count " + std::to_string(memory.ProgramBlockCount()),
        std::string("menu-layout ") +
            (memory.Layout() == MenuLayout::Structure ? "structure " : "predefined ") + markText,
        std::string("lead-zero ") + (engine_->faults().LeadZero() ? "on" : "off"),
        "fault " + DescribeFaultRule(engine_->faults().Rule()),
        std::string("pacing ") + (link_->pacing ? "on" : "off"),
        std::string("any-line ") + (link_->anyLine ? "on" : "off"),
        "baud " + std::to_string(engine_->Baud()),
        "written-blocks " + std::to_string(memory.Written().size()),
    };
}

std::vector<std::string> ControlCommands::Statistics() const {
    const Stats& s = engine_->stats();
    std::vector<std::string> lines = {
        "address " + std::to_string(engine_->Address()),
        "bytes-in " + std::to_string(s.bytesIn),
        "frames " + std::to_string(s.frames),
        "other-address " + std::to_string(s.otherAddress),
        "line-mismatch " + std::to_string(s.lineMismatch),
        "rejected " + std::to_string(s.rejected),
        "replies " + std::to_string(s.replies),
        "status " + std::to_string(s.status),
        "collects " + std::to_string(s.collects),
        "writes " + std::to_string(s.writes),
        "writes-in-run " + std::to_string(s.writesInRun),
        "resets " + std::to_string(s.resets),
        "damaged " + std::to_string(engine_->faults().Damaged()),
        "dropped-bytes " + std::to_string(engine_->framer().Dropped()),
    };
    for (const auto& [name, count] : s.commands)
        lines.push_back("command " + name + " " + std::to_string(count));
    lines.push_back("last-reject " + s.lastReject);
    return lines;
}

std::vector<Engine*> ControlCommands::Controllers() const {
    if (!bus_) return {engine_};
    std::vector<Engine*> all;
    for (std::size_t i = 0; i < bus_->Size(); ++i) all.push_back(&bus_->At(i));
    return all;
}

std::vector<ControllerMemory> ControlCommands::Memories() const {
    std::vector<ControllerMemory> memories;
    for (Engine* e : Controllers()) memories.push_back({e->Address(), &e->memory()});
    return memories;
}

ControlCommands::Result ControlCommands::Controller(const std::vector<std::string>& words,
                                                    std::string_view line,
                                                    Engine::Clock::time_point now) {
    Result ok;
    if (words.size() == 1) {
        for (Engine* e : Controllers())
            ok.lines.push_back("controller " + std::to_string(e->Address()) + " baud " +
                               std::to_string(e->Baud()) + (e == engine_ ? " selected" : ""));
        return ok;
    }
    long address = 0;
    Engine* chosen = nullptr;
    if (ParseLong(words[1], address, 0, 247))
        for (Engine* e : Controllers())
            if (e->Address() == address) chosen = e;
    if (!chosen) return Fail("no controller " + words[1] + " on the bus");
    if (words.size() == 2) {
        engine_ = chosen;
        return ok;
    }
    if (words[2] == "controller") return Fail("one controller at a time");
    Engine* const selected = engine_;
    engine_ = chosen;
    Result result = Execute(Rest(line, 2), now);
    engine_ = selected;
    return result;
}

ControlCommands::Result ControlCommands::Execute(std::string_view line,
                                                 Engine::Clock::time_point now) {
    const auto words = Words(line);
    Result ok;
    if (words.empty()) return ok;
    const std::string& verb = words[0];
    const std::size_t n = words.size();
    long value = 0;

    if (verb == "help") {
        ok.lines.assign(std::begin(HelpText), std::end(HelpText));
        return ok;
    }
    if (verb == "mode" && n == 2) {
        if (words[1] == "run")
            engine_->SetMode(2);
        else if (words[1] == "stop")
            engine_->SetMode(0);
        else if (ParseLong(words[1], value, 0, 255))
            engine_->SetMode(static_cast<std::uint8_t>(value));
        else
            return Fail("mode takes run, stop or a byte value");
        return ok;
    }
    if (verb == "panel-delay" && n == 2) {
        if (!ParseLong(words[1], value, 0, 3600000)) return Fail("panel-delay takes milliseconds");
        engine_->SetPanelDelay(std::chrono::milliseconds(value));
        return ok;
    }
    if (verb == "fault" && n >= 2) {
        std::string error;
        const auto rule = ParseFaultRule(Rest(line, 1), error);
        if (!rule) return Fail(error);
        engine_->faults().SetRule(*rule);
        return ok;
    }
    if (verb == "lead-zero" && n == 2 && (words[1] == "on" || words[1] == "off")) {
        engine_->faults().SetLeadZero(words[1] == "on");
        return ok;
    }
    if (verb == "version" && n == 2) {
        if (!ParseLong(words[1], value, -32768, 32767)) return Fail("version takes a 16-bit value");
        engine_->memory().SetSetupWord(99, static_cast<std::uint16_t>(value));
        return ok;
    }
    if (verb == "menu-layout" && n == 2) {
        if (words[1] == "structure")
            value = StructureLayoutMark;
        else if (words[1] == "predefined")
            value = 0;
        else if (!ParseLong(words[1], value, -32768, 65535))
            return Fail("menu-layout takes structure, predefined or a 16-bit value");
        engine_->memory().SetSetupWord(98, static_cast<std::uint16_t>(value));
        return ok;
    }
    if (verb == "setup-word" && n == 3) {
        long word = 0;
        if (!ParseLong(words[1], word, 0, 100) || !ParseLong(words[2], value, -32768, 65535))
            return Fail("setup-word takes a word 0-100 and a 16-bit value");
        engine_->memory().SetSetupWord(static_cast<int>(word), static_cast<std::uint16_t>(value));
        return ok;
    }
    if (verb == "clock" && n >= 2) {
        const auto t = ParseDateTime(Rest(line, 1));
        if (!t) return Fail("clock takes YYYY-MM-DD hh:mm:ss, years 2000 to 2255");
        engine_->SetClock(*t, now);
        return ok;
    }
    if (verb == "status-byte" && n == 3) {
        long index = 0;
        if (!ParseLong(words[1], index, 0, 63) || !ParseLong(words[2], value, 0, 255) ||
            !engine_->SetStatusByte(static_cast<int>(index), static_cast<std::uint8_t>(value)))
            return Fail("status-byte takes a byte 11-60 (not 22) and a value 0-255");
        return ok;
    }
    if (verb == "pacing" && n == 2 && (words[1] == "on" || words[1] == "off")) {
        link_->pacing = words[1] == "on";
        return ok;
    }
    if (verb == "any-line" && n == 2 && (words[1] == "on" || words[1] == "off")) {
        link_->anyLine = words[1] == "on";
        return ok;
    }
    if (verb == "baud" && n == 2 && (words[1] == "9600" || words[1] == "19200")) {
        engine_->SetBaud(std::stoi(words[1]));
        return ok;
    }
    if (verb == "controller") return Controller(words, line, now);
    if (verb == "dump" && n <= 2) {
        if (n == 1) {
            ok.lines = Summary(now);
            return ok;
        }
        ok.lines = DumpBlocks(engine_->memory(), words[1]);
        if (ok.lines.empty() && words[1] != "all") return Fail("no block named " + words[1]);
        return ok;
    }
    if (verb == "stats" && n == 1) {
        ok.lines = Statistics();
        return ok;
    }
    if (verb == "stats" && n == 2 && words[1] == "reset") {
        engine_->ResetStats();
        return ok;
    }
    if (verb == "save" && n <= 2) {
        const std::string path = n == 2 ? words[1] : statePath_;
        if (path.empty()) return Fail("no state file: give one or start with --state");
        std::string error;
        if (!SaveBusStateFile(Memories(), path, error)) return Fail(error);
        return ok;
    }
    if (verb == "load" && n == 2) {
        std::string error;
        if (!LoadBusStateFile(Memories(), words[1], error)) return Fail(error);
        return ok;
    }
    if (verb == "clear" && n == 1) {
        engine_->memory().Clear();
        return ok;
    }
    if (verb == "quit" && n == 1) {
        ok.quit = true;
        return ok;
    }
    return Fail("unknown command '" + std::string(line) + "' (try help)");
}

} // namespace zyl::sim
