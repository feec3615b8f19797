#include "project/RecordFields.h"

#include "project/SetupParameterTable.h"
#include "project/ValueLists.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstddef>
#include <cstring>
#include <stdexcept>

namespace zyl {

namespace {

constexpr FieldCompare No = FieldCompare::No;
constexpr FieldCompare ByValue = FieldCompare::Value;
constexpr FieldCompare ByBytes = FieldCompare::Bytes;

constexpr FieldDesc Text(std::string_view name, std::size_t offset, std::size_t capacity,
                         FieldCompare compare, std::size_t count = 1) {
    FieldDesc f;
    f.name = name;
    f.offset = offset;
    f.kind = FieldKind::Text;
    f.elementWidth = 1 + capacity;
    f.count = count;
    f.width = f.elementWidth * count;
    f.compare = compare;
    return f;
}

constexpr FieldDesc Number(FieldKind kind, std::string_view name, std::size_t offset,
                           std::size_t elementWidth, FieldCompare compare, std::size_t count,
                           std::size_t firstIndex) {
    FieldDesc f;
    f.name = name;
    f.offset = offset;
    f.kind = kind;
    f.elementWidth = elementWidth;
    f.count = count;
    f.firstIndex = firstIndex;
    f.width = elementWidth * count;
    f.compare = compare;
    return f;
}

constexpr FieldDesc Int(std::string_view name, std::size_t offset, std::size_t width,
                        FieldCompare compare, std::size_t count = 1, std::size_t firstIndex = 0) {
    return Number(FieldKind::Signed, name, offset, width, compare, count, firstIndex);
}

constexpr FieldDesc UInt(std::string_view name, std::size_t offset, std::size_t width,
                         FieldCompare compare, std::size_t count = 1) {
    return Number(FieldKind::Unsigned, name, offset, width, compare, count, 0);
}

constexpr FieldDesc Real(std::string_view name, std::size_t offset, FieldCompare compare) {
    return Number(FieldKind::Real, name, offset, 8, compare, 1, 0);
}

constexpr FieldDesc Raw(std::string_view name, std::size_t offset, std::size_t width,
                        FieldCompare compare) {
    return Number(FieldKind::Bytes, name, offset, width, compare, 1, 0);
}

constexpr FieldDesc Records(std::string_view name, std::size_t offset, const RecordLayout& sub,
                            std::size_t count, FieldCompare compare) {
    FieldDesc f = Number(FieldKind::Records, name, offset, sub.size, compare, count, 0);
    f.records = &sub;
    return f;
}

constexpr FieldDesc Listed(FieldDesc f, std::span<const char* const> texts) {
    f.valueTexts = texts;
    return f;
}

constexpr FieldDesc Meant(FieldDesc f, ValueMeaningFn meaning) {
    f.meaning = meaning;
    return f;
}

std::string Tenths(std::span<const std::uint8_t>, std::size_t, std::int64_t value) {
    return TenthsText(value);
}

template <std::size_t N>
std::string EntryOf(const std::array<const char*, N>& list, std::int64_t value) {
    return value >= 0 && std::uint64_t(value) < N ? list[std::size_t(value)] : "";
}

// A relay under PID control names a PID regulator where others name a measurement channel.
std::string RelayChannel(std::span<const std::uint8_t> record, std::size_t, std::int64_t value) {
    std::int32_t regulatorType = 0;
    std::memcpy(&regulatorType, record.data() + offsetof(TRelayRecord, RegulatorType),
                sizeof regulatorType);
    return regulatorType == 6 ? EntryOf(PidRegulatorList, value)
                              : EntryOf(MeasurementChannelList, value);
}

// Words 1 to 97 are the parameters F01 to F97; 98 and 99 the menu layout mark and the version.
std::string SetupWordName(std::size_t index) {
    if (index >= 1 && index <= std::size_t(SetupParameterCount)) {
        std::string name = SetupParameterInfo(int(index)).name;
        const std::size_t first = name.find_first_not_of(' ');
        name = first == std::string::npos ? "" : " " + name.substr(first);
        while (!name.empty() && name.back() == ' ') name.pop_back();
        return (index < 10 ? "F0" : "F") + std::to_string(index) + name;
    }
    if (index == std::size_t(SetupMenuLayoutWord)) return "Menu layout mark";
    if (index == std::size_t(SetupVersionWord)) return "Program version";
    return {};
}

std::string SetupWordMeaning(std::span<const std::uint8_t>, std::size_t index, std::int64_t value) {
    if (index < 1 || index > std::size_t(SetupParameterCount)) return {};
    const std::string text = SetupValueText(int(index), int(value));
    return text == std::to_string(value) ? std::string() : text;
}

constexpr FieldDesc SetupWords(std::size_t offset, FieldCompare compare, std::size_t count,
                               std::size_t firstIndex) {
    FieldDesc f = Meant(Int("Words", offset, 2, compare, count, firstIndex), SetupWordMeaning);
    f.elementName = SetupWordName;
    return f;
}

// The fields follow one another from byte 0 to the record's last byte.
constexpr bool CoversExactly(std::span<const FieldDesc> fields, std::size_t size) {
    std::size_t next = 0;
    for (const FieldDesc& f : fields) {
        if (f.offset != next || f.width == 0 || f.width != f.elementWidth * f.count) return false;
        next += f.width;
    }
    return next == size;
}

constexpr FieldDesc SetupFields[] = {
    SetupWords(0, ByValue, 70, 0),
    SetupWords(140, No, 31, 70),
};

constexpr FieldDesc RelayFields[] = {
    Int("Number", 0, 4, ByValue),
    Text("Name", 4, 30, ByValue),
    Raw("Filler 35", 35, 1, No),
    Listed(Int("Time type", 36, 4, ByValue), TimeTypeTexts),
    Int("Ta", 40, 4, ByValue),
    Int("Tb", 44, 4, ByValue),
    Listed(Int("Regulator type", 48, 4, ByValue), RegulatorTypeTexts),
    Meant(UInt("Measurement channel", 52, 1, ByValue), RelayChannel),
    Listed(UInt("Set value source", 53, 1, ByValue), SetValueSourceList),
    UInt("Channel word high half", 54, 2, ByValue),
    Raw("Reserved 56", 56, 4, ByBytes),
    Meant(Int("Offset", 60, 4, ByValue), Tenths),
    Meant(Int("Regulator window", 64, 4, ByValue), Tenths),
    Meant(Int("Lower hysteresis", 68, 4, ByValue), Tenths),
    Meant(Int("Upper hysteresis", 72, 4, ByValue), Tenths),
    Raw("Reserved 76", 76, 16, No),
};

constexpr FieldDesc ProcessFields[] = {
    Int("Number", 0, 4, ByValue),
    Text("Name", 4, 30, ByValue),
    Raw("Filler 35", 35, 1, No),
    Listed(Int("End condition", 36, 4, ByValue), EndConditionTexts),
    UInt("Relay states", 40, 1, ByBytes, 32),
    Raw("Reserved 72", 72, 32, ByBytes),
    Int("Step presets", 104, 2, ByBytes, 5),
    Raw("Reserved 114", 114, 6, No),
};

// Steps are compared only within a program's byte range, so byte for byte throughout.
constexpr FieldDesc StepFields[] = {
    Int("Process", 0, 4, ByBytes),       Int("Temperature", 4, 4, ByBytes),
    Int("Weight", 8, 4, ByBytes),        Int("Rotation", 12, 4, ByBytes),
    Int("Counter", 16, 4, ByBytes),      Int("Vacuum", 20, 4, ByBytes),
    Int("Extra value", 24, 4, ByBytes),  Int("Vacuum pulse", 28, 4, ByBytes),
    Int("Hours", 32, 4, ByBytes),        Int("Minutes", 36, 4, ByBytes),
    Raw("Reserved 40", 40, 32, ByBytes), Int("On/off pulse", 72, 4, ByBytes),
    UInt("Work time", 76, 2, ByBytes),   UInt("Pause time", 78, 2, ByBytes),
    Raw("Reserved 80", 80, 8, ByBytes),
};

constexpr RecordLayout StepLayout{"Program step", sizeof(TStepRecord), StepFields};

constexpr FieldDesc ProgramFields[] = {
    Text("Name", 0, 50, ByValue),
    Raw("Filler 51", 51, 1, No),
    Records("Steps", 52, StepLayout, StepCount, ByBytes),
    Int("Number", 2692, 4, ByValue),
    Raw("Reserved 2696", 2696, 12, No),
};

constexpr FieldDesc AlarmFields[] = {
    Int("Number", 0, 4, ByValue),
    Text("Message", 4, 30, ByValue),
    Raw("Filler 35", 35, 1, No),
    Int("Delay time", 36, 4, ByValue),
    Listed(Int("Alarm status", 40, 4, ByValue), AlarmStatusList),
    Listed(Int("Relay logic", 44, 4, ByValue), RelayLogicList),
    UInt("Relay outputs", 48, 1, ByBytes, 32),
    Raw("Unused 80", 80, 32, ByBytes),
    Raw("Unused 112", 112, 16, No),
};

constexpr FieldDesc SpecialStatusFields[] = {
    Int("Number", 0, 4, ByValue),
    Text("Name", 4, 50, ByValue),
    Raw("Filler 55", 55, 1, No),
    Int("Switch-off time", 56, 4, ByValue),
    Listed(Int("Relay logic", 60, 4, ByValue), RelayLogicList),
    UInt("Relay outputs", 64, 1, ByBytes, 32),
    Raw("Unused 96", 96, 32, ByBytes),
    Raw("Unused 128", 128, 16, No),
};

constexpr FieldDesc AnalogOutputFields[] = {
    Text("Name", 0, 100, ByValue),
    Raw("Filler 101", 101, 1, No),
    Listed(Int("Output type", 102, 2, ByValue), OutputTypeList),
    Listed(Int("Measurement channel", 104, 2, ByValue), MeasurementChannelList),
    Listed(Int("Set value source", 106, 2, ByValue), SetValueSourceList),
    Int("Value at 0 V", 108, 4, ByValue),
    Int("Value at 10 V", 112, 4, ByValue),
    Int("Stop set value", 116, 4, ByValue),
    Int("Pause set value", 120, 4, ByValue),
    Raw("Filler 124", 124, 4, No),
    Real("Sample", 128, ByValue),
    Real("Gain", 136, ByValue),
    Real("Ti", 144, ByValue),
    Real("Td", 152, ByValue),
    Int("Special set values", 160, 4, ByValue, 4),
    Listed(UInt("PID number", 176, 1, No), PidNumberList),
    Raw("Reserved 177", 177, 87, No),
};

constexpr FieldDesc PidFields[] = {
    Raw("Reserved 0", 0, 102, No),
    Listed(Int("Heating/cooling", 102, 2, ByValue), HeatingCoolingList),
    Listed(Int("Measurement channel", 104, 2, ByValue), MeasurementChannelList),
    Listed(Int("Set value source", 106, 2, ByValue), SetValueSourceList),
    Raw("Reserved 108", 108, 20, No),
    Real("Sample", 128, ByValue),
    Real("Gain", 136, ByValue),
    Real("Ti", 144, ByValue),
    Real("Td", 152, ByValue),
    Real("Period", 160, ByValue),
    Raw("Reserved 168", 168, 104, No),
};

constexpr FieldDesc PasswordFields[] = {
    Text("Slots", 0, 10, No, 50),
};

static_assert(CoversExactly(SetupFields, sizeof(TSetupBlock)));
static_assert(CoversExactly(RelayFields, sizeof(TRelayRecord)));
static_assert(CoversExactly(ProcessFields, sizeof(TProcessRecord)));
static_assert(CoversExactly(StepFields, sizeof(TStepRecord)));
static_assert(CoversExactly(ProgramFields, sizeof(TProgramRecord)));
static_assert(CoversExactly(AlarmFields, sizeof(TAlarmRecord)));
static_assert(CoversExactly(SpecialStatusFields, sizeof(TSpecialStatusRecord)));
static_assert(CoversExactly(AnalogOutputFields, sizeof(TAnalogOutputRecord)));
static_assert(CoversExactly(PidFields, sizeof(TPidRecord)));
static_assert(CoversExactly(PasswordFields, sizeof(TPasswordBlock)));

constexpr RecordLayout SetupLayout{"Setup", sizeof(TSetupBlock), SetupFields};
constexpr RecordLayout RelayLayout{"Relay", sizeof(TRelayRecord), RelayFields};
constexpr RecordLayout ProcessLayout{"Process", sizeof(TProcessRecord), ProcessFields};
constexpr RecordLayout ProgramLayout{"Program", sizeof(TProgramRecord), ProgramFields};
constexpr RecordLayout AlarmLayout{"Alarm", sizeof(TAlarmRecord), AlarmFields};
constexpr RecordLayout SpecialStatusLayout{"Special status", sizeof(TSpecialStatusRecord),
                                           SpecialStatusFields};
constexpr RecordLayout AnalogOutputLayout{"Analog output", sizeof(TAnalogOutputRecord),
                                          AnalogOutputFields};
constexpr RecordLayout PidLayout{"PID regulator", sizeof(TPidRecord), PidFields};
constexpr RecordLayout PasswordLayout{"Passwords", sizeof(TPasswordBlock), PasswordFields};

// --- values ------------------------------------------------------------------------------

template <class T> T Load(const std::uint8_t* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

std::string_view TextOf(const FieldDesc& f, const std::uint8_t* p) {
    const std::size_t n = std::min<std::size_t>(p[0], f.TextCapacity());
    return {reinterpret_cast<const char*>(p + 1), n};
}

std::string_view TrimBlanks(std::string_view s) {
    const std::size_t first = s.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

std::string Hex(const std::uint8_t* p, std::size_t n) {
    static constexpr char Digits[] = "0123456789ABCDEF";
    std::string s;
    s.reserve(n * 3);
    for (std::size_t i = 0; i < n; ++i) {
        if (i != 0) s += ' ';
        s += Digits[p[i] >> 4];
        s += Digits[p[i] & 15];
    }
    return s;
}

std::string ElementText(const FieldDesc& f, const std::uint8_t* p) {
    switch (f.kind) {
    case FieldKind::Text:
        return std::string(TextOf(f, p));
    case FieldKind::Signed:
        switch (f.elementWidth) {
        case 1:
            return std::to_string(Load<std::int8_t>(p));
        case 2:
            return std::to_string(Load<std::int16_t>(p));
        default:
            return std::to_string(Load<std::int32_t>(p));
        }
    case FieldKind::Unsigned:
        switch (f.elementWidth) {
        case 1:
            return std::to_string(Load<std::uint8_t>(p));
        case 2:
            return std::to_string(Load<std::uint16_t>(p));
        default:
            return std::to_string(Load<std::uint32_t>(p));
        }
    case FieldKind::Real: {
        char buffer[32];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, Load<double>(p));
        return std::string(buffer, result.ptr);
    }
    case FieldKind::Bytes:
    case FieldKind::Records:
        break;
    }
    return Hex(p, f.elementWidth);
}

std::int64_t ElementNumber(const FieldDesc& f, const std::uint8_t* p) {
    const bool sign = f.kind == FieldKind::Signed;
    switch (f.elementWidth) {
    case 1:
        return sign ? std::int64_t(Load<std::int8_t>(p)) : std::int64_t(Load<std::uint8_t>(p));
    case 2:
        return sign ? std::int64_t(Load<std::int16_t>(p)) : std::int64_t(Load<std::uint16_t>(p));
    default:
        return sign ? std::int64_t(Load<std::int32_t>(p)) : std::int64_t(Load<std::uint32_t>(p));
    }
}

std::string ElementMeaning(const FieldDesc& f, std::span<const std::uint8_t> record,
                           std::size_t element) {
    if (f.kind != FieldKind::Signed && f.kind != FieldKind::Unsigned) return {};
    const std::int64_t value = ElementNumber(f, record.data() + f.ElementOffset(element));
    if (f.meaning) return f.meaning(record, f.firstIndex + element, value);
    if (value < 0 || std::uint64_t(value) >= f.valueTexts.size()) return {};
    return f.valueTexts[std::size_t(value)];
}

bool ElementsEqual(const FieldDesc& f, FieldCompare how, const std::uint8_t* l,
                   const std::uint8_t* r) {
    if (how == FieldCompare::Value) {
        if (f.kind == FieldKind::Text) return TrimBlanks(TextOf(f, l)) == TrimBlanks(TextOf(f, r));
        if (f.kind == FieldKind::Real) return Load<double>(l) == Load<double>(r);
    }
    // Integers by value are their bytes; raw bytes are compared byte for byte either way.
    return std::memcmp(l, r, f.elementWidth) == 0;
}

// Appends the differences of the fields of one record; true when the search is to stop.
bool CompareFields(const RecordLayout& layout, const std::uint8_t* l, const std::uint8_t* r,
                   CompareMode mode, bool stopAtFirst, const std::string& prefix,
                   std::vector<FieldDifference>& out) {
    for (const FieldDesc& f : layout.fields) {
        const FieldCompare how = mode == CompareMode::EveryByte ? FieldCompare::Bytes : f.compare;
        if (how == FieldCompare::No) continue;
        for (std::size_t e = 0; e < f.count; ++e) {
            const std::uint8_t* le = l + f.ElementOffset(e);
            const std::uint8_t* re = r + f.ElementOffset(e);
            std::string path = prefix;
            path += f.name;
            if (f.count > 1) path += '[' + std::to_string(f.firstIndex + e) + ']';
            if (f.kind == FieldKind::Records) {
                if (how == FieldCompare::Bytes && std::memcmp(le, re, f.elementWidth) == 0)
                    continue;
                const CompareMode inner = how == FieldCompare::Bytes ? CompareMode::EveryByte
                                                                     : CompareMode::ComparedFields;
                if (CompareFields(*f.records, le, re, inner, stopAtFirst, path + '.', out))
                    return true;
                continue;
            }
            if (ElementsEqual(f, how, le, re)) continue;
            FieldDifference d{std::move(path),
                              ElementText(f, le),
                              ElementText(f, re),
                              FieldElementName(f, e),
                              ElementMeaning(f, {l, layout.size}, e),
                              ElementMeaning(f, {r, layout.size}, e),
                              &f};
            if (d.left == d.right) {
                d.left = Hex(le, f.elementWidth);
                d.right = Hex(re, f.elementWidth);
            }
            out.push_back(std::move(d));
            if (stopAtFirst) return true;
        }
    }
    return false;
}

} // namespace

template <> const RecordLayout& LayoutOf<TSetupBlock>() {
    return SetupLayout;
}
template <> const RecordLayout& LayoutOf<TRelayRecord>() {
    return RelayLayout;
}
template <> const RecordLayout& LayoutOf<TProcessRecord>() {
    return ProcessLayout;
}
template <> const RecordLayout& LayoutOf<TStepRecord>() {
    return StepLayout;
}
template <> const RecordLayout& LayoutOf<TProgramRecord>() {
    return ProgramLayout;
}
template <> const RecordLayout& LayoutOf<TAlarmRecord>() {
    return AlarmLayout;
}
template <> const RecordLayout& LayoutOf<TSpecialStatusRecord>() {
    return SpecialStatusLayout;
}
template <> const RecordLayout& LayoutOf<TAnalogOutputRecord>() {
    return AnalogOutputLayout;
}
template <> const RecordLayout& LayoutOf<TPidRecord>() {
    return PidLayout;
}
template <> const RecordLayout& LayoutOf<TPasswordBlock>() {
    return PasswordLayout;
}

std::vector<FieldDifference> CompareRecords(const RecordLayout& layout,
                                            std::span<const std::uint8_t> left,
                                            std::span<const std::uint8_t> right,
                                            CompareOptions options) {
    if (left.size() < layout.size || right.size() < layout.size)
        throw std::invalid_argument("record bytes shorter than the record");
    std::vector<FieldDifference> out;
    CompareFields(layout, left.data(), right.data(), options.mode, options.stopAtFirst, {}, out);
    return out;
}

bool RecordsEqual(const RecordLayout& layout, std::span<const std::uint8_t> left,
                  std::span<const std::uint8_t> right, CompareMode mode) {
    return CompareRecords(layout, left, right, {mode, true}).empty();
}

std::string FieldValueText(const FieldDesc& field, std::span<const std::uint8_t> record,
                           std::size_t element) {
    if (element >= field.count || record.size() < field.ElementOffset(element) + field.elementWidth)
        throw std::out_of_range("field element outside the record");
    return ElementText(field, record.data() + field.ElementOffset(element));
}

std::string FieldValueMeaning(const FieldDesc& field, std::span<const std::uint8_t> record,
                              std::size_t element) {
    if (element >= field.count || record.size() < field.offset + field.width)
        throw std::out_of_range("field element outside the record");
    return ElementMeaning(field, record, element);
}

std::string FieldElementName(const FieldDesc& field, std::size_t element) {
    return field.elementName ? field.elementName(field.firstIndex + element) : std::string();
}

} // namespace zyl
