#include "sim/Engine.h"

#include "sim/Sample.h"

#include <algorithm>
#include <cstdio>
#include <tuple>
#include <utility>

namespace zyl::sim {

namespace {

using namespace std::chrono;

std::string CommandName(std::uint8_t letter, std::uint8_t code) {
    char text[8];
    std::snprintf(text, sizeof text, "%c%02X", letter >= 0x20 && letter < 0x7F ? letter : '?',
                  code);
    return text;
}

Bytes Slice(const Bytes& bytes, std::size_t offset, std::size_t count, std::uint8_t fill) {
    Bytes out(count, fill);
    for (std::size_t i = 0; i < count && offset + i < bytes.size(); ++i) out[i] = bytes[offset + i];
    return out;
}

} // namespace

bool IsValid(const DateTime& t) {
    if (t.year < 2000 || t.year > 2255 || t.month < 1 || t.month > 12 || t.day < 1) return false;
    if (t.hour < 0 || t.hour > 23 || t.minute < 0 || t.minute > 59 || t.second < 0 || t.second > 59)
        return false;
    const year_month_day ymd{year{t.year}, month{static_cast<unsigned>(t.month)},
                             day{static_cast<unsigned>(t.day)}};
    return ymd.ok();
}

std::optional<DateTime> ParseDateTime(std::string_view text) {
    DateTime t;
    char sep = 0;
    const std::string s(text);
    int consumed = 0;
    if (std::sscanf(s.c_str(), "%4d-%2d-%2d%c%2d:%2d:%2d%n", &t.year, &t.month, &t.day, &sep,
                    &t.hour, &t.minute, &t.second, &consumed) != 7 ||
        static_cast<std::size_t>(consumed) != s.size() || (sep != ' ' && sep != 'T') || !IsValid(t))
        return std::nullopt;
    return t;
}

std::string Describe(const LineSettings& line) {
    return (line.baud > 0 ? std::to_string(line.baud) : std::string("non-standard-rate")) + " " +
           std::to_string(line.dataBits) + static_cast<char>(line.parity) +
           std::to_string(line.stopBits);
}

std::string FormatDateTime(const DateTime& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return text;
}

Engine::Engine(const EngineConfig& config, Clock::time_point now)
    : address_(config.address), baud_(config.baud), module_(config.module), mode_(config.mode),
      panelDelay_(config.panelDelay), framer_(config.gap) {
    memory_.SetSample(config.sample);
    SetClock(config.clock, now);
    // Readings of a machine at rest: 85.3 degrees, 120.0 rpm, a few channels in use.
    const std::initializer_list<std::pair<int, unsigned>> words = {
        {11, 853}, {13, 250}, {17, 0x0123}, {19, 0x0100}, {30, 455}, {32, 1200}, {43, 215},
        {45, 180}, {47, 650}, {49, 100},    {51, 200},    {53, 300}, {55, 400},  {57, 500}};
    for (const auto& [at, value] : words) {
        statusBytes_[static_cast<std::size_t>(at)] = static_cast<std::uint8_t>(value >> 8);
        statusBytes_[static_cast<std::size_t>(at) + 1] = static_cast<std::uint8_t>(value & 0xFF);
    }
    statusBytes_[15] = 12;
}

void Engine::SetClock(const DateTime& t, Clock::time_point now) {
    const year_month_day ymd{year{t.year}, month{static_cast<unsigned>(t.month)},
                             day{static_cast<unsigned>(t.day)}};
    clockBase_ = sys_days{ymd} + hours{t.hour} + minutes{t.minute} + seconds{t.second};
    clockRef_ = now;
}

DateTime Engine::ClockAt(Clock::time_point now) const {
    const sys_seconds current = clockBase_ + floor<seconds>(now - clockRef_);
    const sys_days date = floor<days>(current);
    const year_month_day ymd{date};
    const hh_mm_ss<seconds> time{current - date};
    return {static_cast<int>(ymd.year()),
            static_cast<int>(static_cast<unsigned>(ymd.month())),
            static_cast<int>(static_cast<unsigned>(ymd.day())),
            static_cast<int>(time.hours().count()),
            static_cast<int>(time.minutes().count()),
            static_cast<int>(time.seconds().count())};
}

bool Engine::SetStatusByte(int index, std::uint8_t value) {
    if (index < 11 || index > 60 || index == 22) return false;
    statusBytes_[static_cast<std::size_t>(index)] = value;
    return true;
}

Bytes Engine::StatusReply(Clock::time_point now) const {
    Bytes reply(statusBytes_.begin(), statusBytes_.end() - 2);
    reply[0] = address_;
    reply[1] = 'F';
    reply[2] = 0x00;
    reply[3] = 0x00;
    reply[4] = 64;
    const DateTime t = ClockAt(now);
    reply[5] = static_cast<std::uint8_t>(t.year - 2000);
    reply[6] = static_cast<std::uint8_t>(t.month);
    reply[7] = static_cast<std::uint8_t>(t.day);
    reply[8] = static_cast<std::uint8_t>(t.hour);
    reply[9] = static_cast<std::uint8_t>(t.minute);
    reply[10] = static_cast<std::uint8_t>(t.second);
    reply[22] = mode_;
    reply[61] = PanelReady(now) ? 1 : 0;
    AppendCrc(reply);
    return reply;
}

std::vector<Exchange> Engine::Receive(std::span<const std::uint8_t> bytes, Clock::time_point now,
                                      const std::optional<LineSettings>& line) {
    stats_.bytesIn += bytes.size();
    std::vector<Exchange> exchanges;
    for (Bytes& frame : framer_.Feed(bytes, now)) {
        Bytes reply = Answer(frame, now, line);
        const Engine* responder = reply.empty() ? nullptr : this;
        exchanges.push_back({std::move(frame), std::move(reply), responder});
    }
    return exchanges;
}

Bytes Engine::Reject(const std::string& reason) {
    ++stats_.rejected;
    stats_.lastReject = reason;
    if (onReject) onReject(reason);
    return {};
}

Bytes Engine::Reply(std::uint8_t letter, std::uint8_t code,
                    std::span<const std::uint8_t> data) const {
    const std::size_t total = 9 + data.size() + 2;
    Bytes reply{address_, 'F', 0x08};
    PutBe16(reply, static_cast<unsigned>(total));
    reply.push_back(letter);
    reply.push_back(code);
    PutBe16(reply, static_cast<unsigned>(total - 7));
    reply.insert(reply.end(), data.begin(), data.end());
    AppendCrc(reply);
    return reply;
}

Bytes Engine::Answer(std::span<const std::uint8_t> frame, Clock::time_point now,
                     const std::optional<LineSettings>& line) {
    ++stats_.frames;
    RequestKind kind{};
    if (frame.size() < 7 || !RequestKindOf(frame[1], frame[2], kind) ||
        Be16(frame, 3) != frame.size() || !CrcMatches(frame))
        return Reject("malformed frame " + ToHex(frame));
    if (frame[0] != address_) {
        ++stats_.otherAddress;
        return {};
    }
    if (line && *line != Line()) {
        // Not a refusal: the controller never made out a frame.
        ++stats_.lineMismatch;
        stats_.lastReject = "line set to " + Describe(*line) + ", controller " +
                            std::to_string(address_) + " listens at " + Describe(Line());
        if (onReject) onReject(stats_.lastReject);
        return {};
    }

    Bytes reply;
    switch (kind) {
    case RequestKind::Status:
        if (!module_) return Reject("status request without a communication module");
        ++stats_.status;
        reply = StatusReply(now);
        break;
    case RequestKind::Collect:
        if (!module_) return Reject("module collect without a communication module");
        ++stats_.collects;
        if (!pending_) return Reject("module collect with nothing submitted");
        if (!PanelReady(now)) return Reject("module collect before the panel is ready");
        reply = *pending_;
        break;
    case RequestKind::Direct:
    case RequestKind::Submit: {
        const bool submitted = kind == RequestKind::Submit;
        if (submitted && !module_) return Reject("module submit without a communication module");
        if (frame.size() < 11) return Reject("frame too short for an inner command");
        const unsigned inner = Be16(frame, 7);
        if (inner != frame.size() - 7)
            return Reject("inner length " + std::to_string(inner) + " in a frame of " +
                          std::to_string(frame.size()) + " bytes");
        const std::uint8_t letter = frame[5];
        const std::uint8_t code = frame[6];
        const auto payload = frame.subspan(9, frame.size() - 11);
        // What a write that the ignore-writes rule picks leaves behind.
        std::optional<Memory> kept;
        const auto keptClock = std::pair(clockBase_, clockRef_);
        if (faults_.Rule().kind == FaultKind::IgnoreWrites) kept = memory_;
        Outcome outcome = Execute(letter, code, payload, submitted, now);
        const std::string name = (submitted ? "submit " : "direct ") + CommandName(letter, code);
        if (!outcome.error.empty()) return Reject(name + ": " + outcome.error);
        ++stats_.commands[name];
        if (outcome.write) {
            ++stats_.writes;
            if (Running()) ++stats_.writesInRun;
            if (kept && faults_.DropsWrite(kind)) {
                memory_ = std::move(*kept);
                std::tie(clockBase_, clockRef_) = keptClock;
            }
        }
        if (submitted) {
            pending_ = std::move(outcome.answer);
            readyAt_ = now + panelDelay_;
            reply = {address_, 'G', 0x09, 0x00, 0x07};
            AppendCrc(reply);
        } else {
            reply = std::move(outcome.answer);
        }
        break;
    }
    }
    Bytes sent = faults_.Apply(std::move(reply), kind);
    if (!sent.empty()) ++stats_.replies;
    return sent;
}

Engine::Outcome Engine::Execute(std::uint8_t letter, std::uint8_t code,
                                std::span<const std::uint8_t> payload, bool submitted,
                                Clock::time_point now) {
    switch (letter) {
    case 'F':
        return Read(code, payload);
    case 'G':
        return Write(code, payload, submitted, now);
    case 'D':
        return Panel(code, payload);
    default:
        return {{}, "unknown command letter", false};
    }
}

Engine::Outcome Engine::Read(std::uint8_t code, std::span<const std::uint8_t> payload) {
    const auto wrongLength = [&](std::size_t expected) {
        return Outcome{{},
                       "payload of " + std::to_string(payload.size()) + " bytes, " +
                           std::to_string(expected) + " expected",
                       false};
    };
    const auto answer = [&](const Bytes& data) {
        return Outcome{Reply('F', code, data), {}, false};
    };
    const auto group = [&](const char* family, unsigned groups) -> Outcome {
        if (payload.size() != 1) return wrongLength(1);
        if (payload[0] >= groups)
            return {{}, "group " + std::to_string(payload[0]) + " does not exist", false};
        return answer(memory_.Get(std::string(family) + "/" + std::to_string(payload[0])));
    };
    const auto zeroSelector = [&]() -> std::optional<Outcome> {
        if (payload.size() != 1) return wrongLength(1);
        if (payload[0] != 0) return Outcome{{}, "selector byte is not 0x00", false};
        return std::nullopt;
    };

    switch (code) {
    case 0x0A:
        if (!payload.empty()) return wrongLength(0);
        return answer(Slice(memory_.Get("setup"), 0, 200, 0));
    case 0x11:
        if (!payload.empty()) return wrongLength(0);
        return answer(memory_.Get("passwords"));
    case 0x0E:
        if (!payload.empty()) return wrongLength(0);
        return answer(memory_.Get("statuses"));
    case 0x0C:
        return group("relays", 6);
    case 0x12:
        if (auto bad = zeroSelector()) return *bad;
        return answer(Slice(memory_.Get("analog"), 0, 171 + 75, 0));
    case 0x38:
        if (auto bad = zeroSelector()) return *bad;
        return answer(Slice(memory_.Get("pid"), 0, 116 + 130, 0));
    case 0x0F:
        return group("alarms", 2);
    case 0x0D:
        return group("processes", 2);
    case 0x10:
        return group("washing-processes", 2);
    case 0x13:
        return group("process-parameters", 2);
    case 0x0B: {
        if (payload.size() != 2) return wrongLength(2);
        const int count = memory_.ProgramBlockCount();
        if (payload[0] >= count)
            return {{},
                    "part " + std::to_string(payload[0]) + " of a program sent in " +
                        std::to_string(count) + " parts",
                    false};
        if (payload[1] > 100)
            return {{}, "program index " + std::to_string(payload[1]) + " does not exist", false};
        return answer(memory_.Get(ProgramKey(payload[1], count, payload[0])));
    }
    default:
        return {{}, "unknown read command", false};
    }
}

Engine::Outcome Engine::Write(std::uint8_t code, std::span<const std::uint8_t> payload,
                              bool submitted, Clock::time_point now) {
    const auto wrongLength = [&](std::size_t expected) {
        return Outcome{{},
                       "payload of " + std::to_string(payload.size()) + " bytes, " +
                           std::to_string(expected) + " expected",
                       false};
    };
    const Outcome done{Reply('G', code, {}), {}, true};
    const auto block = [&](const std::string& key) -> Outcome {
        const std::size_t size = *Memory::SizeOf(key);
        if (payload.size() != size) return wrongLength(size);
        memory_.Put(key, Bytes(payload.begin(), payload.end()));
        return done;
    };
    const auto group = [&](const char* family, std::size_t size, unsigned groups) -> Outcome {
        if (payload.size() != size) return wrongLength(size);
        if (payload[0] >= groups)
            return {{}, "group " + std::to_string(payload[0]) + " does not exist", false};
        return block(std::string(family) + "/" + std::to_string(payload[0]));
    };
    // One item written by its index into the group that holds it.
    const auto item = [&](const char* family, std::size_t itemBytes, unsigned perGroup,
                          unsigned groups, bool leadingGroupByte) -> Outcome {
        const std::size_t size = 1 + itemBytes;
        if (payload.size() != size) return wrongLength(size);
        const unsigned index = payload[0];
        if (index >= perGroup * groups)
            return {{}, "item " + std::to_string(index) + " does not exist", false};
        std::string key = family;
        if (groups > 1 || leadingGroupByte) key += "/" + std::to_string(index / perGroup);
        const std::size_t offset = (leadingGroupByte ? 1 : 0) + (index % perGroup) * itemBytes;
        memory_.Patch(key, offset, payload.subspan(1));
        return done;
    };

    switch (code) {
    case 0x0A:
        return block("setup");
    case 0x11:
        return block("passwords");
    case 0x0E:
        return block("statuses");
    case 0x16:
        return item("statuses", 7, 6, 1, false);
    case 0x0C:
        return group("relays", 241, 6);
    case 0x12:
        if (payload.size() == 171 && payload[0] != 0)
            return {{}, "selector byte is not 0x00", false};
        return block("analog");
    case 0x38:
        if (payload.size() == 116 && payload[0] != 0)
            return {{}, "selector byte is not 0x00", false};
        return block("pid");
    case 0x0F:
        return group("alarms", 265, 2);
    case 0x17:
        return item("alarms", 22, 12, 2, true);
    case 0x0D:
        return group("processes", 153, 2);
    case 0x10:
        return group("washing-processes", 153, 2);
    case 0x15:
        return item("processes", 19, 8, 2, true);
    case 0x18:
        return item("washing-processes", 19, 8, 2, true);
    case 0x13:
        return group("process-parameters", 161, 2);
    case 0x1A: {
        if (payload.size() != 11) return wrongLength(11);
        const unsigned index = payload[0];
        const bool washing = index >= 100;
        if (index % 100 >= 16 || index >= 116)
            return {{}, "process " + std::to_string(index) + " does not exist", false};
        memory_.Patch("process-parameters/" + std::to_string(washing ? 1 : 0),
                      1 + (index % 100) * 10, payload.subspan(1));
        return done;
    }
    case 0x0B: {
        int count = 0;
        for (int c : {2, 3})
            if (payload.size() == FramingFor(c).PartBytes()) count = c;
        if (count == 0)
            return {{},
                    "program part of " + std::to_string(payload.size()) +
                        " bytes (256 for 2 parts, 216 for 3)",
                    false};
        if (payload[0] >= count)
            return {{},
                    "part " + std::to_string(payload[0]) + " of a program sent in " +
                        std::to_string(count) + " parts",
                    false};
        if (payload[1] > 100)
            return {{}, "program index " + std::to_string(payload[1]) + " does not exist", false};
        return block(ProgramKey(payload[1], count, payload[0]));
    }
    case 0x06: {
        if (payload.size() != 6) return wrongLength(6);
        const DateTime t{2000 + payload[0], payload[1], payload[2],
                         payload[3],        payload[4], payload[5]};
        if (!IsValid(t)) return {{}, "invalid date or time " + ToHex(payload), false};
        SetClock(t, now);
        return done;
    }
    case 0xE6: {
        const std::size_t expected = submitted ? 2 : 0;
        if (payload.size() != expected) return wrongLength(expected);
        if (submitted && (payload[0] != 0 || payload[1] != 0))
            return {{}, "reset payload is not 00 00", false};
        ++stats_.resets;
        return {Reply('G', code, {}), {}, false};
    }
    default:
        return {{}, "unknown write command", false};
    }
}

Engine::Outcome Engine::Panel(std::uint8_t code, std::span<const std::uint8_t> payload) {
    const MenuLayout layout = memory_.Layout();
    const auto wrongLength = [&](std::size_t expected) {
        return Outcome{{},
                       "payload of " + std::to_string(payload.size()) + " bytes, " +
                           std::to_string(expected) + " expected",
                       false};
    };
    switch (code) {
    case 0x20: {
        if (!payload.empty()) return wrongLength(0);
        Bytes data;
        PutBe16(data, SampleMenuStreamSize());
        const Bytes table = memory_.Get(PanelKey(layout, "code-table"));
        data.insert(data.end(), table.begin(), table.end());
        return {Reply('D', code, data), {}, false};
    }
    case 0x21:
    case 0x22: {
        if (payload.size() != 2) return wrongLength(2);
        const std::size_t address = Be16(payload, 0);
        const Bytes block =
            memory_.Get(PanelKey(layout, code == 0x21 ? "user-block" : "predefined-block"));
        Bytes data(payload.begin(), payload.end());
        const Bytes page = Slice(block, address, 264, Memory::PanelFill);
        data.insert(data.end(), page.begin(), page.end());
        return {Reply('D', code, data), {}, false};
    }
    case 0x24: {
        if (payload.size() != 266) return wrongLength(266);
        memory_.Patch(PanelKey(layout, "user-block"), Be16(payload, 0), payload.subspan(2));
        return {Reply('D', code, payload.first(2)), {}, true};
    }
    case 0x23: {
        if (payload.size() != 4) return wrongLength(4);
        memory_.Put(PanelKey(layout, "code-table"), Bytes(payload.begin(), payload.end()));
        return {Reply('D', code, {}), {}, true};
    }
    default:
        return {{}, "unknown panel command", false};
    }
}

} // namespace zyl::sim
