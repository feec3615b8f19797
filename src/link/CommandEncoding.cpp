#include "link/CommandEncoding.h"

#include "panel/CodePage.h"

#include <cmath>
#include <limits>

namespace zyl {

namespace {

template <std::size_t N>
void Append(std::vector<std::uint8_t>& out, const std::array<std::uint8_t, N>& bytes) {
    out.insert(out.end(), bytes.begin(), bytes.end());
}

// A text field replaced whole: no bytes of the previous text stay behind it.
template <std::size_t Capacity> void StoreText(TPString<Capacity>& field, std::string_view text) {
    field = TPString<Capacity>{};
    field.SetText(text);
}

bool Blank(unsigned char c) {
    return c <= 0x20 || c == 0x7F;
}

template <std::size_t N>
std::span<const std::uint8_t, N> At(std::span<const std::uint8_t> data, std::size_t offset) {
    return data.subspan(offset).first<N>();
}

} // namespace

// --- numbers -----------------------------------------------------------------------------

void AppendU8(std::vector<std::uint8_t>& out, std::int64_t value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
}

void AppendU16(std::vector<std::uint8_t>& out, std::int64_t value) {
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
}

void AppendU32(std::vector<std::uint8_t>& out, std::int64_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>((value >> shift) & 0xFF));
}

std::uint16_t ReadU16(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint16_t>((bytes[at] << 8) | bytes[at + 1]);
}

std::int16_t ReadI16(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::int16_t>(ReadU16(bytes, at));
}

std::int32_t ReadI32(std::span<const std::uint8_t> bytes, std::size_t at) {
    const std::uint32_t v = (std::uint32_t{bytes[at]} << 24) |
                            (std::uint32_t{bytes[at + 1]} << 16) |
                            (std::uint32_t{bytes[at + 2]} << 8) | std::uint32_t{bytes[at + 3]};
    return static_cast<std::int32_t>(v);
}

std::int32_t RoundHalfEven(double value) {
    constexpr auto Low = std::numeric_limits<std::int32_t>::min();
    constexpr auto High = std::numeric_limits<std::int32_t>::max();
    if (std::isnan(value)) return 0;
    if (value <= double(Low)) return Low;
    if (value >= double(High)) return High;
    const double floor = std::floor(value);
    const double fraction = value - floor;
    double rounded = floor;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(floor, 2.0) != 0.0)) rounded = floor + 1.0;
    return static_cast<std::int32_t>(std::min(rounded, double(High)));
}

std::int64_t DivideRoundHalfEven(std::int64_t value, std::int64_t divisor) {
    std::int64_t quotient = value / divisor;
    const std::int64_t remainder = value % divisor;
    // Compared with what is left to the next multiple, so that no value is ever doubled.
    const std::int64_t part = remainder < 0 ? -remainder : remainder;
    const std::int64_t rest = divisor - part;
    const std::int64_t away = value < 0 ? -1 : 1;
    if (part > rest || (part == rest && quotient % 2 != 0)) quotient += away;
    return quotient;
}

// --- names and flag sets -----------------------------------------------------------------

WireName EncodeName(std::string_view text, int codePage) {
    const std::string converted = ToControllerText(codePage, text);
    WireName wire;
    wire.fill(' ');
    for (std::size_t i = 0; i < NameWireSize && i < converted.size(); ++i)
        wire[i] = static_cast<std::uint8_t>(converted[i]);
    return wire;
}

std::string DecodeName(std::span<const std::uint8_t, NameWireSize> wire, int codePage,
                       bool skipFF) {
    std::string raw;
    for (std::uint8_t b : wire) {
        if (b == 0x00 || (skipFF && b == 0xFF)) continue;
        raw.push_back(static_cast<char>(b));
    }
    const std::string text = FromControllerText(codePage, raw);
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && Blank(static_cast<unsigned char>(text[begin]))) ++begin;
    while (end > begin && Blank(static_cast<unsigned char>(text[end - 1]))) --end;
    return text.substr(begin, end - begin);
}

FlagWire EncodeFlags(std::span<const std::uint8_t, FlagCount> flags) {
    FlagWire wire{};
    for (std::size_t i = 0; i < FlagCount; ++i)
        if (flags[i] != 0) wire[i / 8] = static_cast<std::uint8_t>(wire[i / 8] | (1u << (i % 8)));
    return wire;
}

void DecodeFlags(std::span<const std::uint8_t, 4> wire, std::span<std::uint8_t, FlagCount> flags) {
    for (std::size_t i = 0; i < FlagCount; ++i) flags[i] = (wire[i / 8] >> (i % 8)) & 1u;
}

// --- items -------------------------------------------------------------------------------

std::array<std::uint8_t, SpecialStatusItemSize>
EncodeSpecialStatusItem(const TSpecialStatusRecord& record) {
    std::vector<std::uint8_t> out;
    AppendU16(out, record.SwitchOffTime);
    AppendU8(out, record.RelayLogic);
    Append(out, EncodeFlags(record.RelayOutputs));
    std::array<std::uint8_t, SpecialStatusItemSize> item{};
    std::copy(out.begin(), out.end(), item.begin());
    return item;
}

void DecodeSpecialStatusItem(std::span<const std::uint8_t, SpecialStatusItemSize> wire,
                             TSpecialStatusRecord& record) {
    // The editor allows -1 to 65000: 0xFFFF is -1, every other value its unsigned self, so
    // that whatever was written reads back the same.
    const std::uint16_t time = ReadU16(wire, 0);
    record.SwitchOffTime = time == 0xFFFF ? -1 : std::int32_t(time);
    record.RelayLogic = wire[2];
    DecodeFlags(wire.subspan<3, 4>(), record.RelayOutputs);
}

std::array<std::uint8_t, RelayItemSize> EncodeRelayItem(const TRelayRecord& record, int codePage) {
    std::vector<std::uint8_t> out;
    Append(out, EncodeName(record.Name.Text(), codePage));
    AppendU16(out, record.TimeType);
    AppendU16(out, record.TimeTa);
    AppendU16(out, record.TimeTb);
    AppendU16(out, record.RegulatorType);
    AppendU8(out, record.MeasurementChannel);
    AppendU8(out, record.SetValueSource);
    AppendU32(out, std::int64_t{record.Offset} * 100);
    AppendU32(out, std::int64_t{record.RegulatorWindow} * 100);
    AppendU32(out, std::int64_t{record.LowerHysteresis} * 100);
    AppendU32(out, std::int64_t{record.UpperHysteresis} * 100);
    std::array<std::uint8_t, RelayItemSize> item{};
    std::copy(out.begin(), out.end(), item.begin());
    return item;
}

void DecodeRelayItem(std::span<const std::uint8_t, RelayItemSize> wire, TRelayRecord& record,
                     int codePage) {
    const auto hundredths = [&](std::size_t at) {
        return static_cast<std::int32_t>(DivideRoundHalfEven(ReadI32(wire, at), 100));
    };
    StoreText(record.Name, DecodeName(wire.first<NameWireSize>(), codePage));
    record.TimeType = ReadU16(wire, 14);
    record.TimeTa = ReadU16(wire, 16);
    record.TimeTb = ReadU16(wire, 18);
    record.RegulatorType = ReadU16(wire, 20);
    record.MeasurementChannel = wire[22];
    record.SetValueSource = wire[23];
    record.ChannelWordHigh = 0;
    record.Offset = hundredths(24);
    record.RegulatorWindow = hundredths(28);
    record.LowerHysteresis = hundredths(32);
    record.UpperHysteresis = hundredths(36);
}

std::array<std::uint8_t, AnalogOutputItemSize>
EncodeAnalogOutputItem(const TAnalogOutputRecord& record, int codePage) {
    std::vector<std::uint8_t> out;
    Append(out, EncodeName(record.Name.Text(), codePage));
    AppendU8(out, record.OutputType);
    AppendU8(out, record.MeasurementChannel);
    AppendU8(out, record.SetValueSource);
    AppendU8(out, record.PidNumber);
    AppendU16(out, record.Value0V);
    AppendU16(out, record.Value10V);
    AppendU16(out, record.StopSetValue);
    AppendU16(out, record.PauseSetValue);
    for (int i = 0; i < 4; ++i) AppendU16(out, record.SpecialSetValues[i]);
    std::array<std::uint8_t, AnalogOutputItemSize> item{};
    std::copy(out.begin(), out.end(), item.begin());
    return item;
}

void DecodeAnalogOutputItem(std::span<const std::uint8_t, AnalogOutputItemSize> wire,
                            TAnalogOutputRecord& record, int codePage) {
    StoreText(record.Name, DecodeName(wire.first<NameWireSize>(), codePage));
    record.OutputType = wire[14];
    record.MeasurementChannel = wire[15];
    record.SetValueSource = wire[16];
    record.PidNumber = wire[17];
    record.Value0V = ReadU16(wire, 18);
    record.Value10V = ReadU16(wire, 20);
    record.StopSetValue = ReadU16(wire, 22);
    record.PauseSetValue = ReadU16(wire, 24);
    for (std::size_t i = 0; i < 4; ++i) record.SpecialSetValues[i] = ReadU16(wire, 26 + 2 * i);
}

std::array<std::uint8_t, PidItemSize> EncodePidItem(const TPidRecord& record) {
    std::vector<std::uint8_t> out;
    AppendU8(out, record.HeatingCooling);
    AppendU8(out, record.MeasurementChannel);
    AppendU8(out, record.SetValueSource);
    AppendU32(out, RoundHalfEven(record.Sample));
    AppendU32(out, RoundHalfEven(record.Gain * 10.0));
    AppendU32(out, RoundHalfEven(record.TimeTi));
    AppendU32(out, RoundHalfEven(record.TimeTd));
    AppendU32(out, RoundHalfEven(record.Period));
    std::array<std::uint8_t, PidItemSize> item{};
    std::copy(out.begin(), out.end(), item.begin());
    return item;
}

void DecodePidItem(std::span<const std::uint8_t, PidItemSize> wire, TPidRecord& record) {
    record.HeatingCooling = wire[0];
    record.MeasurementChannel = wire[1];
    record.SetValueSource = wire[2];
    record.Sample = ReadI32(wire, 3);
    record.Gain = ReadI32(wire, 7) / 10.0;
    record.TimeTi = ReadI32(wire, 11);
    record.TimeTd = ReadI32(wire, 15);
    record.Period = ReadI32(wire, 19);
}

std::array<std::uint8_t, AlarmItemSize> EncodeAlarmItem(const TAlarmRecord& record, int codePage) {
    std::vector<std::uint8_t> out;
    Append(out, EncodeName(record.Message.Text(), codePage));
    AppendU16(out, record.DelayTime);
    AppendU8(out, record.AlarmStatus);
    AppendU8(out, record.RelayLogic);
    Append(out, EncodeFlags(record.RelayOutputs));
    std::array<std::uint8_t, AlarmItemSize> item{};
    std::copy(out.begin(), out.end(), item.begin());
    return item;
}

void DecodeAlarmItem(std::span<const std::uint8_t, AlarmItemSize> wire, TAlarmRecord& record,
                     int codePage) {
    StoreText(record.Message, DecodeName(wire.first<NameWireSize>(), codePage));
    record.DelayTime = ReadU16(wire, 14);
    record.AlarmStatus = wire[16];
    record.RelayLogic = wire[17];
    DecodeFlags(wire.subspan<18, 4>(), record.RelayOutputs);
}

std::array<std::uint8_t, ProcessItemSize> EncodeProcessItem(const TProcessRecord& record,
                                                            int codePage) {
    std::vector<std::uint8_t> out;
    Append(out, EncodeName(record.Name.Text(), codePage));
    AppendU8(out, record.EndCondition);
    Append(out, EncodeFlags(record.RelayStates));
    std::array<std::uint8_t, ProcessItemSize> item{};
    std::copy(out.begin(), out.end(), item.begin());
    return item;
}

void DecodeProcessItem(std::span<const std::uint8_t, ProcessItemSize> wire, TProcessRecord& record,
                       int codePage) {
    StoreText(record.Name, DecodeName(wire.first<NameWireSize>(), codePage));
    record.EndCondition = wire[14];
    DecodeFlags(wire.subspan<15, 4>(), record.RelayStates);
}

std::array<std::uint8_t, ProcessParametersItemSize>
EncodeProcessParametersItem(const TProcessRecord& record) {
    std::vector<std::uint8_t> out;
    for (int i = 0; i < 5; ++i) AppendU16(out, record.StepPresets[i]);
    std::array<std::uint8_t, ProcessParametersItemSize> item{};
    std::copy(out.begin(), out.end(), item.begin());
    return item;
}

void DecodeProcessParametersItem(std::span<const std::uint8_t, ProcessParametersItemSize> wire,
                                 TProcessRecord& record) {
    for (std::size_t i = 0; i < 5; ++i) record.StepPresets[i] = ReadI16(wire, 2 * i);
}

// --- programs ----------------------------------------------------------------------------

ProgramPartLayout ProgramLayoutFor(int blockCount) {
    const int parts = blockCount < 1 ? 1 : blockCount;
    const int steps = static_cast<int>(DivideRoundHalfEven(StepCount, parts));
    return {steps, parts <= 2 ? std::size_t{16} : std::size_t{20}};
}

std::vector<std::uint8_t> EncodeStepItem(const TStepRecord& step, std::size_t stepSize) {
    std::vector<std::uint8_t> out;
    AppendU16(out, step.Temperature);
    AppendU16(out, step.Weight);
    AppendU16(out, step.Rotation);
    AppendU16(out, step.Counter);
    AppendU16(out, step.Vacuum);
    AppendU8(out, step.ExtraValue);
    AppendU8(out, step.OnOffPulse);
    AppendU8(out, step.VacuumPulse);
    const std::int32_t process = step.ProcessNumber;
    AppendU8(out, process >= 1 ? process - 1 : process);
    AppendU8(out, step.Hours);
    AppendU8(out, step.Minutes);
    if (stepSize >= 20) {
        AppendU16(out, step.WorkTime);
        AppendU16(out, step.PauseTime);
    }
    out.resize(stepSize, 0);
    return out;
}

void DecodeStepItem(std::span<const std::uint8_t> wire, TStepRecord& step) {
    if (wire.size() < 16) return;
    step.Temperature = ReadI16(wire, 0);
    step.Weight = ReadI16(wire, 2);
    step.Rotation = ReadI16(wire, 4);
    step.Counter = ReadI16(wire, 6);
    step.Vacuum = ReadI16(wire, 8);
    step.ExtraValue = wire[10];
    step.OnOffPulse = wire[11];
    step.VacuumPulse = wire[12];
    step.ProcessNumber = wire[13] + 1;
    step.Hours = wire[14];
    step.Minutes = wire[15];
    if (wire.size() >= 20) {
        step.WorkTime = ReadU16(wire, 16);
        step.PauseTime = ReadU16(wire, 18);
    }
}

namespace {

// Index (0-based) of step `i` of a part in the record, or -1 when it lies outside steps 1-30.
int StepIndex(int part, int stepsPerPart, int i) {
    const std::int64_t index = std::int64_t{part} * stepsPerPart + i;
    return index >= 0 && index < StepCount ? static_cast<int>(index) : -1;
}

} // namespace

std::vector<std::uint8_t> EncodeProgramPart(const TProgramRecord& program, int part, int blockCount,
                                            int codePage) {
    const ProgramPartLayout layout = ProgramLayoutFor(blockCount);
    std::vector<std::uint8_t> out;
    AppendU8(out, part);
    AppendU8(out, std::int64_t{program.Number} - 1);
    Append(out, EncodeName(program.Name.Text(), codePage));
    for (int i = 0; i < layout.stepsPerPart; ++i) {
        const int index = StepIndex(part, layout.stepsPerPart, i);
        if (index < 0) {
            out.resize(out.size() + layout.stepSize, 0);
            continue;
        }
        const auto item = EncodeStepItem(program.Steps[index], layout.stepSize);
        out.insert(out.end(), item.begin(), item.end());
    }
    return out;
}

void DecodeProgramPart(std::span<const std::uint8_t> data, TProgramRecord& program, int part,
                       int blockCount, int codePage) {
    const ProgramPartLayout layout = ProgramLayoutFor(blockCount);
    const std::size_t steps = static_cast<std::size_t>(layout.stepsPerPart);
    if (data.size() < ProgramPartHeaderSize + steps * layout.stepSize) return;
    program.Number = data[1] + 1;
    StoreText(program.Name, DecodeName(At<NameWireSize>(data, 2), codePage, true));
    for (int i = 0; i < layout.stepsPerPart; ++i) {
        const int index = StepIndex(part, layout.stepsPerPart, i);
        if (index < 0) continue;
        DecodeStepItem(
            data.subspan(ProgramPartHeaderSize + static_cast<std::size_t>(i) * layout.stepSize,
                         layout.stepSize),
            program.Steps[index]);
    }
}

// --- block reply data --------------------------------------------------------------------

void DecodeSetupParameters(std::span<const std::uint8_t> data, TSetupBlock& setup) {
    if (data.size() < 200) return;
    setup = TSetupBlock{};
    for (std::size_t i = 0; i < 100; ++i) setup.Words[i] = ReadI16(data, 2 * i);
}

void DecodePasswords(std::span<const std::uint8_t> data, TPasswordBlock& passwords) {
    if (data.size() < 37 * 6) return;
    passwords = TPasswordBlock{};
    for (std::size_t k = 0; k < 37; ++k) {
        passwords.Slots[k].Length = 6;
        std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(6 * k), 6, passwords.Slots[k].Chars);
    }
}

namespace {

// Decodes N items of ItemSize bytes, the first `skip` bytes into the data, each into a
// cleared record. Records with a Number are numbered firstNumber, firstNumber + 1, ...
// Data too short for all N items changes nothing.
template <std::size_t ItemSize, class Record, std::size_t N, class DecodeItem>
void DecodeItems(std::span<const std::uint8_t> data, std::size_t skip, std::span<Record, N> records,
                 std::int64_t firstNumber, DecodeItem decode) {
    if (data.size() < skip + N * ItemSize) return;
    for (std::size_t k = 0; k < N; ++k) {
        records[k] = Record{};
        decode(At<ItemSize>(data, skip + k * ItemSize), records[k]);
        if constexpr (requires { records[k].Number; })
            records[k].Number = static_cast<std::int32_t>(firstNumber + std::int64_t(k));
    }
}

} // namespace

void DecodeSpecialStatuses(std::span<const std::uint8_t> data,
                           std::span<TSpecialStatusRecord, 6> records) {
    DecodeItems<SpecialStatusItemSize>(data, 0, records, 1, [](auto wire, auto& record) {
        DecodeSpecialStatusItem(wire, record);
    });
}

void DecodeRelayGroup(std::span<const std::uint8_t> data, std::span<TRelayRecord, 6> records,
                      int group, int codePage) {
    DecodeItems<RelayItemSize>(
        data, 1, records, std::int64_t{group} * 6 + 1,
        [codePage](auto wire, auto& record) { DecodeRelayItem(wire, record, codePage); });
}

void DecodeAnalogOutputs(std::span<const std::uint8_t> data,
                         std::span<TAnalogOutputRecord, 5> records, int codePage) {
    DecodeItems<AnalogOutputItemSize>(data, 1, records, 0, [codePage](auto wire, auto& record) {
        DecodeAnalogOutputItem(wire, record, codePage);
    });
}

void DecodePidRegulators(std::span<const std::uint8_t> data, std::span<TPidRecord, 5> records) {
    DecodeItems<PidItemSize>(data, 1, records, 0,
                             [](auto wire, auto& record) { DecodePidItem(wire, record); });
}

void DecodeAlarmGroup(std::span<const std::uint8_t> data, std::span<TAlarmRecord, 12> records,
                      int group, int codePage) {
    DecodeItems<AlarmItemSize>(
        data, 1, records, std::int64_t{group} * 12 + 1,
        [codePage](auto wire, auto& record) { DecodeAlarmItem(wire, record, codePage); });
}

void DecodeProcessGroup(std::span<const std::uint8_t> data, std::span<TProcessRecord, 8> records,
                        int group, int codePage) {
    DecodeItems<ProcessItemSize>(
        data, 1, records, std::int64_t{group} * 8 + 1,
        [codePage](auto wire, auto& record) { DecodeProcessItem(wire, record, codePage); });
}

void DecodeProcessParameters(std::span<const std::uint8_t> data,
                             std::span<TProcessRecord, 16> records) {
    if (data.size() < 1 + 16 * ProcessParametersItemSize) return;
    for (std::size_t k = 0; k < 16; ++k)
        DecodeProcessParametersItem(
            At<ProcessParametersItemSize>(data, 1 + k * ProcessParametersItemSize), records[k]);
}

// --- status, clock and panel -------------------------------------------------------------

std::array<std::uint8_t, 6> EncodeClock(const ClockTime& time) {
    const int year = time.Year >= 2000 ? time.Year % 100 : time.Year;
    return {static_cast<std::uint8_t>(year & 0xFF),
            static_cast<std::uint8_t>(time.Month & 0xFF),
            static_cast<std::uint8_t>(time.Day & 0xFF),
            static_cast<std::uint8_t>(time.Hour & 0xFF),
            static_cast<std::uint8_t>(time.Minute & 0xFF),
            static_cast<std::uint8_t>(time.Second & 0xFF)};
}

std::array<std::uint8_t, 2> EncodePanelPageAddress(int page) {
    const std::uint64_t address =
        static_cast<std::uint64_t>(std::int64_t{page} * std::int64_t(PanelPageSize));
    return {static_cast<std::uint8_t>((address >> 8) & 0xFF),
            static_cast<std::uint8_t>(address & 0xFF)};
}

std::string PanelPageData(std::string_view data) {
    std::string page(data.substr(0, PanelPageSize));
    page.resize(PanelPageSize, ' ');
    return page;
}

} // namespace zyl
