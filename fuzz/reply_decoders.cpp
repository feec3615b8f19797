// Every decoder of controller replies over data of any content and length: the block reply
// data, the items, program parts, names, flag sets and the module's status reply.
//
// Input: a selector byte (which decoder), a code page byte, two number bytes (a group or
// program part, and a program block count), then the data. A number byte counts as a signed
// byte, except 0x7F and 0x80, which stand for the largest and the smallest int.
//
// Besides what the sanitizers see, each decoder is held to its header: no byte written beside
// the destination, short data changing nothing, blocks replaced whole, items leaving the
// bytes that do not travel alone, and numbers that read back as the encoders send them.

#include "FuzzSupport.h"

#include "link/CommandEncoding.h"
#include "link/ControllerStatus.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <span>
#include <string_view>

namespace {

using namespace zyl;
using zylfuzz::AllBytesAre;
using zylfuzz::BytesOf;
using zylfuzz::Guarded;
using zylfuzz::SameBytes;
using Data = std::span<const std::uint8_t>;

constexpr std::uint8_t Pattern = 0xA5;

int NumberFrom(std::uint8_t b) {
    if (b == 0x7F) return std::numeric_limits<int>::max();
    if (b == 0x80) return std::numeric_limits<int>::min();
    return static_cast<std::int8_t>(b);
}

// The four code pages, and -1 and 4, which convert nothing.
int CodePageFrom(std::uint8_t b) {
    return static_cast<int>(b % 6) - 1;
}

std::int64_t BigEndian(Data bytes) {
    std::int64_t v = 0;
    for (std::uint8_t b : bytes) v = (v << 8) | b;
    return v;
}

bool Blank(unsigned char c) {
    return c <= 0x20 || c == 0x7F;
}

// A decoded name: at most one byte for each wire byte, no blank or control character at
// either end.
bool CleanName(std::string_view name) {
    return name.size() <= NameWireSize &&
           (name.empty() || (!Blank(static_cast<unsigned char>(name.front())) &&
                             !Blank(static_cast<unsigned char>(name.back()))));
}

// Bytes [from, to) of a record encoded again equal the wire it was decoded from.
template <std::size_t N>
bool SameWire(const std::array<std::uint8_t, N>& encoded, Data wire, std::size_t from,
              std::size_t to = N) {
    return std::equal(encoded.begin() + static_cast<std::ptrdiff_t>(from),
                      encoded.begin() + static_cast<std::ptrdiff_t>(to),
                      wire.begin() + static_cast<std::ptrdiff_t>(from));
}

// A block decoder replaces its records whole, so what they held before does not show, and
// data shorter than the block's layout changes nothing. Decodes into records that held zero
// bytes and into records that held the pattern; returns the first, or nothing for short data.
template <class Block, class Decode>
std::optional<Block> DecodeBlock(Data data, std::size_t layoutSize, Decode decode) {
    Guarded<Block> zero, pattern;
    zero.Fill(0);
    pattern.Fill(Pattern);
    decode(data, zero.value);
    decode(data, pattern.value);
    FUZZ_REQUIRE(zero.GuardsHold(0) && pattern.GuardsHold(Pattern));
    if (data.size() < layoutSize) {
        FUZZ_REQUIRE(zero.ValueIsAll(0) && pattern.ValueIsAll(Pattern));
        return std::nullopt;
    }
    FUZZ_REQUIRE(SameBytes(zero.value, pattern.value));
    return zero.value;
}

// Byte by byte, a record decoded over zero bytes and over the pattern is the same (the byte
// was set) or still what it held (the byte was left alone).
template <class Record> void RequireSetOrLeft(const Record& zero, const Record& pattern) {
    const auto a = BytesOf(zero);
    const auto b = BytesOf(pattern);
    for (std::size_t i = 0; i < a.size(); ++i)
        FUZZ_REQUIRE(a[i] == b[i] || (a[i] == 0 && b[i] == Pattern));
}

// An item decoder sets the fields that travel and leaves every other byte as it was.
template <class Record, class Decode> Record DecodeItem(Decode decode) {
    Guarded<Record> zero, pattern;
    zero.Fill(0);
    pattern.Fill(Pattern);
    decode(zero.value);
    decode(pattern.value);
    FUZZ_REQUIRE(zero.GuardsHold(0) && pattern.GuardsHold(Pattern));
    RequireSetOrLeft(zero.value, pattern.value);
    return zero.value;
}

template <std::size_t N> std::span<const std::uint8_t, N> Item(Data data, std::size_t at) {
    return data.subspan(at).first<N>();
}

std::int32_t GroupNumber(int group, int perGroup, std::size_t k) {
    return static_cast<std::int32_t>(std::int64_t{group} * perGroup + 1 + std::int64_t(k));
}

// A tuning value read as wire / 100 rounded lies within 50 of the wire value / 100.
bool Hundredths(std::int32_t field, Data wire) {
    const std::int64_t sent =
        static_cast<std::int32_t>(static_cast<std::uint32_t>(BigEndian(wire)));
    const std::int64_t off = sent - std::int64_t{field} * 100;
    return off >= -50 && off <= 50;
}

void CheckRelayRecord(const TRelayRecord& r, Data wire, int codePage) {
    FUZZ_REQUIRE(CleanName(r.Name.Text()));
    FUZZ_REQUIRE(SameWire(EncodeRelayItem(r, codePage), wire, NameWireSize, 24));
    FUZZ_REQUIRE(r.ChannelWordHigh == 0);
    FUZZ_REQUIRE(Hundredths(r.Offset, wire.subspan(24, 4)) &&
                 Hundredths(r.RegulatorWindow, wire.subspan(28, 4)) &&
                 Hundredths(r.LowerHysteresis, wire.subspan(32, 4)) &&
                 Hundredths(r.UpperHysteresis, wire.subspan(36, 4)));
}

void CheckAnalogOutputRecord(const TAnalogOutputRecord& r, Data wire, int codePage) {
    FUZZ_REQUIRE(CleanName(r.Name.Text()));
    FUZZ_REQUIRE(SameWire(EncodeAnalogOutputItem(r, codePage), wire, NameWireSize));
}

void CheckAlarmRecord(const TAlarmRecord& r, Data wire, int codePage) {
    FUZZ_REQUIRE(CleanName(r.Message.Text()));
    FUZZ_REQUIRE(SameWire(EncodeAlarmItem(r, codePage), wire, NameWireSize));
}

void CheckProcessRecord(const TProcessRecord& r, Data wire, int codePage) {
    FUZZ_REQUIRE(CleanName(r.Name.Text()));
    FUZZ_REQUIRE(SameWire(EncodeProcessItem(r, codePage), wire, NameWireSize));
}

// --- block reply data --------------------------------------------------------------------

void SetupParameters(Data data) {
    const auto setup = DecodeBlock<TSetupBlock>(
        data, 200, [](Data d, TSetupBlock& s) { DecodeSetupParameters(d, s); });
    if (!setup) return;
    for (std::size_t i = 0; i < 100; ++i)
        FUZZ_REQUIRE(setup->Words[i] ==
                     static_cast<std::int16_t>(BigEndian(data.subspan(2 * i, 2))));
    FUZZ_REQUIRE(setup->Words[100] == 0);
}

void Passwords(Data data) {
    const auto block = DecodeBlock<TPasswordBlock>(
        data, 37 * 6, [](Data d, TPasswordBlock& p) { DecodePasswords(d, p); });
    if (!block) return;
    for (std::size_t k = 0; k < 50; ++k) {
        const auto& slot = block->Slots[k];
        if (k < 37)
            FUZZ_REQUIRE(slot.Length == 6 && std::memcmp(slot.Chars, &data[6 * k], 6) == 0);
        else
            FUZZ_REQUIRE(AllBytesAre(BytesOf(slot), 0));
    }
}

void SpecialStatuses(Data data) {
    using Block = std::array<TSpecialStatusRecord, 6>;
    const auto records = DecodeBlock<Block>(data, 6 * SpecialStatusItemSize,
                                            [](Data d, Block& b) { DecodeSpecialStatuses(d, b); });
    if (!records) return;
    for (std::size_t k = 0; k < 6; ++k) {
        const auto& r = (*records)[k];
        FUZZ_REQUIRE(r.Number == static_cast<std::int32_t>(k + 1) && r.Name.Length == 0);
        FUZZ_REQUIRE(SameWire(EncodeSpecialStatusItem(r),
                              data.subspan(k * SpecialStatusItemSize, SpecialStatusItemSize), 0));
    }
}

void RelayGroup(Data data, int group, int codePage) {
    using Block = std::array<TRelayRecord, 6>;
    const auto records = DecodeBlock<Block>(data, 1 + 6 * RelayItemSize, [&](Data d, Block& b) {
        DecodeRelayGroup(d, b, group, codePage);
    });
    if (!records) return;
    for (std::size_t k = 0; k < 6; ++k) {
        FUZZ_REQUIRE((*records)[k].Number == GroupNumber(group, 6, k));
        CheckRelayRecord((*records)[k], data.subspan(1 + k * RelayItemSize, RelayItemSize),
                         codePage);
    }
}

void AnalogOutputs(Data data, int codePage) {
    using Block = std::array<TAnalogOutputRecord, 5>;
    const auto records =
        DecodeBlock<Block>(data, 1 + 5 * AnalogOutputItemSize,
                           [&](Data d, Block& b) { DecodeAnalogOutputs(d, b, codePage); });
    if (!records) return;
    for (std::size_t k = 0; k < 5; ++k)
        CheckAnalogOutputRecord((*records)[k],
                                data.subspan(1 + k * AnalogOutputItemSize, AnalogOutputItemSize),
                                codePage);
}

void PidRegulators(Data data) {
    using Block = std::array<TPidRecord, 5>;
    const auto records = DecodeBlock<Block>(data, 1 + 5 * PidItemSize,
                                            [](Data d, Block& b) { DecodePidRegulators(d, b); });
    if (!records) return;
    for (std::size_t k = 0; k < 5; ++k)
        FUZZ_REQUIRE(SameWire(EncodePidItem((*records)[k]),
                              data.subspan(1 + k * PidItemSize, PidItemSize), 0));
}

void AlarmGroup(Data data, int group, int codePage) {
    using Block = std::array<TAlarmRecord, 12>;
    const auto records = DecodeBlock<Block>(data, 1 + 12 * AlarmItemSize, [&](Data d, Block& b) {
        DecodeAlarmGroup(d, b, group, codePage);
    });
    if (!records) return;
    for (std::size_t k = 0; k < 12; ++k) {
        FUZZ_REQUIRE((*records)[k].Number == GroupNumber(group, 12, k));
        CheckAlarmRecord((*records)[k], data.subspan(1 + k * AlarmItemSize, AlarmItemSize),
                         codePage);
    }
}

void ProcessGroup(Data data, int group, int codePage) {
    using Block = std::array<TProcessRecord, 8>;
    const auto records = DecodeBlock<Block>(data, 1 + 8 * ProcessItemSize, [&](Data d, Block& b) {
        DecodeProcessGroup(d, b, group, codePage);
    });
    if (!records) return;
    for (std::size_t k = 0; k < 8; ++k) {
        const auto& r = (*records)[k];
        FUZZ_REQUIRE(r.Number == GroupNumber(group, 8, k));
        FUZZ_REQUIRE(std::all_of(std::begin(r.StepPresets), std::end(r.StepPresets),
                                 [](std::int16_t p) { return p == 0; }));
        CheckProcessRecord(r, data.subspan(1 + k * ProcessItemSize, ProcessItemSize), codePage);
    }
}

// Only the step presets change; nothing else of the sixteen records.
void ProcessParameters(Data data) {
    using Block = std::array<TProcessRecord, 16>;
    Guarded<Block> zero, pattern;
    zero.Fill(0);
    pattern.Fill(Pattern);
    DecodeProcessParameters(data, zero.value);
    DecodeProcessParameters(data, pattern.value);
    FUZZ_REQUIRE(zero.GuardsHold(0) && pattern.GuardsHold(Pattern));
    if (data.size() < 1 + 16 * ProcessParametersItemSize) {
        FUZZ_REQUIRE(zero.ValueIsAll(0) && pattern.ValueIsAll(Pattern));
        return;
    }
    constexpr std::size_t presetsBegin = offsetof(TProcessRecord, StepPresets);
    constexpr std::size_t presetsEnd = presetsBegin + sizeof(TProcessRecord::StepPresets);
    for (std::size_t k = 0; k < 16; ++k) {
        const auto a = BytesOf(zero.value[k]);
        const auto b = BytesOf(pattern.value[k]);
        for (std::size_t i = 0; i < a.size(); ++i) {
            if (i >= presetsBegin && i < presetsEnd)
                FUZZ_REQUIRE(a[i] == b[i]);
            else
                FUZZ_REQUIRE(a[i] == 0 && b[i] == Pattern);
        }
        FUZZ_REQUIRE(SameWire(
            EncodeProcessParametersItem(zero.value[k]),
            data.subspan(1 + k * ProcessParametersItemSize, ProcessParametersItemSize), 0));
    }
}

// Number, name and the part's steps within steps 1 to 30 change; nothing else.
void ProgramPart(Data data, int part, int blockCount, int codePage) {
    const ProgramPartLayout layout = ProgramLayoutFor(blockCount);
    FUZZ_REQUIRE(layout.stepsPerPart >= 0 && (layout.stepSize == 16 || layout.stepSize == 20));
    Guarded<TProgramRecord> zero, pattern;
    zero.Fill(0);
    pattern.Fill(Pattern);
    DecodeProgramPart(data, zero.value, part, blockCount, codePage);
    DecodeProgramPart(data, pattern.value, part, blockCount, codePage);
    FUZZ_REQUIRE(zero.GuardsHold(0) && pattern.GuardsHold(Pattern));
    const std::size_t steps = static_cast<std::size_t>(layout.stepsPerPart);
    if (data.size() < ProgramPartHeaderSize + steps * layout.stepSize) {
        FUZZ_REQUIRE(zero.ValueIsAll(0) && pattern.ValueIsAll(Pattern));
        return;
    }
    const TProgramRecord& program = zero.value;
    FUZZ_REQUIRE(program.Number == data[1] + 1);
    FUZZ_REQUIRE(CleanName(program.Name.Text()));

    const std::int64_t first = std::int64_t{part} * layout.stepsPerPart;
    const auto inPart = [&](std::int64_t index) {
        return index >= first && index < first + layout.stepsPerPart;
    };
    const auto a = BytesOf(zero.value);
    const auto b = BytesOf(pattern.value);
    constexpr std::size_t nameEnd = offsetof(TProgramRecord, Name) + sizeof(TProgramRecord::Name);
    constexpr std::size_t stepsBegin = offsetof(TProgramRecord, Steps);
    constexpr std::size_t stepsEnd = stepsBegin + sizeof(TProgramRecord::Steps);
    constexpr std::size_t numberBegin = offsetof(TProgramRecord, Number);
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (i < nameEnd || (i >= numberBegin && i < numberBegin + sizeof(std::int32_t)))
            FUZZ_REQUIRE(a[i] == b[i]);
        else if (i >= stepsBegin && i < stepsEnd &&
                 inPart(std::int64_t((i - stepsBegin) / sizeof(TStepRecord))))
            FUZZ_REQUIRE(a[i] == b[i] || (a[i] == 0 && b[i] == Pattern));
        else
            FUZZ_REQUIRE(a[i] == 0 && b[i] == Pattern);
    }
    for (std::size_t i = 0; i < steps; ++i) {
        const std::int64_t index = first + std::int64_t(i);
        if (index < 0 || index >= StepCount) continue;
        const auto wire =
            data.subspan(ProgramPartHeaderSize + i * layout.stepSize, layout.stepSize);
        const auto encoded = EncodeStepItem(program.Steps[index], layout.stepSize);
        FUZZ_REQUIRE(std::equal(encoded.begin(), encoded.end(), wire.begin(), wire.end()));
    }
}

// --- names, flags, status ----------------------------------------------------------------

void Name(Data data, bool skipFF, int codePage) {
    if (data.size() < NameWireSize) return;
    const auto wire = data.first<NameWireSize>();
    const std::string name = DecodeName(wire, codePage, skipFF);
    FUZZ_REQUIRE(CleanName(name));
    if (std::find(wire.begin(), wire.end(), 0xFF) == wire.end())
        FUZZ_REQUIRE(DecodeName(wire, codePage, !skipFF) == name);
}

void Flags(Data data) {
    if (data.size() < 4) return;
    const auto wire = data.first<4>();
    Guarded<std::array<std::uint8_t, FlagCount>> flags;
    flags.Fill(Pattern);
    DecodeFlags(wire, flags.value);
    FUZZ_REQUIRE(flags.GuardsHold(Pattern));
    for (std::uint8_t f : flags.value) FUZZ_REQUIRE(f == 0 || f == 1);
    FUZZ_REQUIRE(EncodeFlags(flags.value) == FlagWire({wire[0], wire[1], wire[2], wire[3]}));
}

void ControllerStatus(Data data) {
    const TControllerStatus status = DecodeControllerStatus(data);
    if (data.size() != 64) {
        FUZZ_REQUIRE(AllBytesAre(BytesOf(status), 0));
        return;
    }
    FUZZ_REQUIRE(status.Year == data[5] + 2000);
    FUZZ_REQUIRE(status.Mode == (data[22] & 0x3F));
    FUZZ_REQUIRE(status.PanelReady == (data[61] == 1));
    FUZZ_REQUIRE(status.LastRecordingAddress == BigEndian(data.subspan(17, 2)) &&
                 status.PreviousRecordingAddress == BigEndian(data.subspan(19, 2)));
    FUZZ_REQUIRE(status.Channel11 == -300.0 && status.Channel12 == -300.0);
}

// --- items -------------------------------------------------------------------------------

template <std::size_t N, class Record, class Decode, class Check>
void ItemOf(Data data, Decode decode, Check check) {
    if (data.size() < N) return;
    const auto wire = data.first<N>();
    const Record record = DecodeItem<Record>([&](Record& r) { decode(wire, r); });
    check(record, Data(wire));
}

void Items(std::uint8_t which, Data data, int codePage) {
    switch (which) {
    case 0:
        ItemOf<SpecialStatusItemSize, TSpecialStatusRecord>(
            data, [](auto wire, auto& r) { DecodeSpecialStatusItem(wire, r); },
            [](const auto& r, Data wire) {
                FUZZ_REQUIRE(SameWire(EncodeSpecialStatusItem(r), wire, 0));
            });
        break;
    case 1:
        ItemOf<RelayItemSize, TRelayRecord>(
            data, [&](auto wire, auto& r) { DecodeRelayItem(wire, r, codePage); },
            [&](const auto& r, Data wire) { CheckRelayRecord(r, wire, codePage); });
        break;
    case 2:
        ItemOf<AnalogOutputItemSize, TAnalogOutputRecord>(
            data, [&](auto wire, auto& r) { DecodeAnalogOutputItem(wire, r, codePage); },
            [&](const auto& r, Data wire) { CheckAnalogOutputRecord(r, wire, codePage); });
        break;
    case 3:
        ItemOf<PidItemSize, TPidRecord>(
            data, [](auto wire, auto& r) { DecodePidItem(wire, r); },
            [](const auto& r, Data wire) { FUZZ_REQUIRE(SameWire(EncodePidItem(r), wire, 0)); });
        break;
    case 4:
        ItemOf<AlarmItemSize, TAlarmRecord>(
            data, [&](auto wire, auto& r) { DecodeAlarmItem(wire, r, codePage); },
            [&](const auto& r, Data wire) { CheckAlarmRecord(r, wire, codePage); });
        break;
    case 5:
        ItemOf<ProcessItemSize, TProcessRecord>(
            data, [&](auto wire, auto& r) { DecodeProcessItem(wire, r, codePage); },
            [&](const auto& r, Data wire) { CheckProcessRecord(r, wire, codePage); });
        break;
    case 6:
        ItemOf<ProcessParametersItemSize, TProcessRecord>(
            data, [](auto wire, auto& r) { DecodeProcessParametersItem(wire, r); },
            [](const auto& r, Data wire) {
                FUZZ_REQUIRE(SameWire(EncodeProcessParametersItem(r), wire, 0));
            });
        break;
    default: {
        // Any length: 16 and 20 bytes are the two step sizes; fewer than 16 change nothing.
        const TStepRecord step =
            DecodeItem<TStepRecord>([&](TStepRecord& s) { DecodeStepItem(data, s); });
        if (data.size() >= 16) {
            const std::size_t stepSize = data.size() >= 20 ? 20 : 16;
            const auto encoded = EncodeStepItem(step, stepSize);
            FUZZ_REQUIRE(std::equal(encoded.begin(), encoded.end(), data.begin(),
                                    data.begin() + std::ptrdiff_t(stepSize)));
        }
        break;
    }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    if (size < 4) return 0;
    const std::uint8_t selector = bytes[0];
    const int codePage = CodePageFrom(bytes[1]);
    const int first = NumberFrom(bytes[2]);
    const int second = NumberFrom(bytes[3]);
    const Data data(bytes + 4, size - 4);

    switch (selector % 21) {
    case 0:
        SetupParameters(data);
        break;
    case 1:
        Passwords(data);
        break;
    case 2:
        SpecialStatuses(data);
        break;
    case 3:
        RelayGroup(data, first, codePage);
        break;
    case 4:
        AnalogOutputs(data, codePage);
        break;
    case 5:
        PidRegulators(data);
        break;
    case 6:
        AlarmGroup(data, first, codePage);
        break;
    case 7:
        ProcessGroup(data, first, codePage);
        break;
    case 8:
        ProcessParameters(data);
        break;
    case 9:
        ProgramPart(data, first, second, codePage);
        break;
    case 10:
        Name(data, (first & 1) != 0, codePage);
        break;
    case 11:
        Flags(data);
        break;
    case 12:
        ControllerStatus(data);
        break;
    default:
        Items(static_cast<std::uint8_t>(selector % 21 - 13), data, codePage);
        break;
    }
    return 0;
}
