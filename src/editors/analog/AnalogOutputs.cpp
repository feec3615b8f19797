#include "editors/analog/AnalogOutputs.h"

#include "project/ValueLists.h"
#include "editors/TextRules.h"
#include "link/CommandEncoding.h"

#include <algorithm>
#include <charconv>

namespace zyl {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string Replaced(std::string_view text, std::string_view from, std::string_view to) {
    std::string out;
    std::size_t at = 0;
    while (true) {
        const std::size_t found = text.find(from, at);
        out.append(text.substr(at, found - at));
        if (found == std::string_view::npos) return out;
        out.append(to);
        at = found + from.size();
    }
}

std::string_view SeparatorOrPoint(std::string_view separator) {
    return separator.empty() ? std::string_view(".") : separator;
}

std::string WholeText(std::int32_t value) {
    return std::to_string(value);
}

} // namespace

bool WholeNumberInputAllowed(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return IsDigit(c) || c == '+' || c == '-'; });
}

std::int32_t ToFieldRange(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, FieldLow, FieldHigh));
}

std::int32_t RoundedToFieldRange(double value) {
    return ToFieldRange(std::int64_t{RoundHalfEven(value)});
}

std::int32_t FieldValue(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    const std::size_t digits = i;
    std::int64_t magnitude = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i)
        magnitude = std::min<std::int64_t>(magnitude * 10 + (text[i] - '0'), 1'000'000'000);
    if (i == digits) return 0;
    while (i < text.size() && text[i] == ' ') ++i;
    if (i != text.size()) return 0;
    return ToFieldRange(negative ? -magnitude : magnitude);
}

std::string FormatReal(double value, std::string_view separator) {
    char text[64];
    std::string_view shown;
    for (int precision = 15; precision <= 17; ++precision) {
        const auto [end, ec] =
            std::to_chars(text, text + sizeof text, value, std::chars_format::general, precision);
        shown = std::string_view(text, static_cast<std::size_t>(end - text));
        double back = 0;
        if (ParseNumber(shown, back) && back == value) break;
    }
    return Replaced(shown, ".", SeparatorOrPoint(separator));
}

std::optional<double> ParseReal(std::string_view text, std::string_view separator) {
    separator = SeparatorOrPoint(separator);
    if (separator != "." && text.find('.') != std::string_view::npos) return std::nullopt;
    double value = 0;
    if (!ParseNumber(Replaced(text, separator, "."), value)) return std::nullopt;
    return value;
}

double RealFieldValue(std::string_view text, std::string_view separator) {
    return ParseReal(text, separator).value_or(0.0);
}

bool RealInputAllowed(std::string_view text, std::string_view separator) {
    separator = SeparatorOrPoint(separator);
    const std::string rest = Replaced(text, separator, "");
    if (text.size() - rest.size() > separator.size()) return false; // a second separator
    return std::all_of(rest.begin(), rest.end(), [](char c) {
        return IsDigit(c) || c == '+' || c == '-' || c == 'e' || c == 'E';
    });
}

int ListIndex(std::int64_t value, std::size_t listSize) {
    return value >= 0 && static_cast<std::uint64_t>(value) < listSize ? static_cast<int>(value)
                                                                      : -1;
}

AnalogOutputEditorValues AnalogOutputEditorValuesFor(const TAnalogOutputRecord& r,
                                                     std::string_view separator) {
    AnalogOutputEditorValues v;
    v.name = r.Name.Text();
    v.typeIndex = ListIndex(r.OutputType, OutputTypeList.size());
    v.channelIndex = ListIndex(r.MeasurementChannel, MeasurementChannelList.size());
    v.setValueIndex = ListIndex(r.SetValueSource, SetValueSourceList.size());
    v.pidIndex = ListIndex(r.PidNumber, PidNumberList.size());
    v.value0V = WholeText(ToFieldRange(std::int64_t{r.Value0V}));
    v.value10V = WholeText(ToFieldRange(std::int64_t{r.Value10V}));
    v.stopValue = WholeText(ToFieldRange(std::int64_t{r.StopSetValue}));
    v.pauseValue = WholeText(ToFieldRange(std::int64_t{r.PauseSetValue}));
    for (std::size_t i = 0; i < v.specialValues.size(); ++i)
        v.specialValues[i] = WholeText(ToFieldRange(std::int64_t{r.SpecialSetValues[i]}));
    v.sample = WholeText(RoundedToFieldRange(r.Sample));
    v.gain = FormatReal(r.Gain, separator);
    v.timeTi = FormatReal(r.TimeTi, separator);
    v.timeTd = FormatReal(r.TimeTd, separator);
    return v;
}

void ApplyAnalogOutputEditor(const AnalogOutputEditorValues& v, TAnalogOutputRecord& r,
                             std::string_view separator) {
    r.Name.SetText(std::string_view(v.name).substr(0, AnalogNameLimit));
    if (v.typeIndex >= 0) r.OutputType = static_cast<std::int16_t>(v.typeIndex);
    if (v.channelIndex >= 0) r.MeasurementChannel = static_cast<std::int16_t>(v.channelIndex);
    if (v.setValueIndex >= 0) r.SetValueSource = static_cast<std::int16_t>(v.setValueIndex);
    if (v.pidIndex >= 0) r.PidNumber = static_cast<std::uint8_t>(v.pidIndex);
    r.Value0V = FieldValue(v.value0V);
    r.Value10V = FieldValue(v.value10V);
    r.StopSetValue = FieldValue(v.stopValue);
    r.PauseSetValue = FieldValue(v.pauseValue);
    for (std::size_t i = 0; i < v.specialValues.size(); ++i)
        r.SpecialSetValues[i] = FieldValue(v.specialValues[i]);
    r.Sample = FieldValue(v.sample);
    r.Gain = RealFieldValue(v.gain, separator);
    r.TimeTi = RealFieldValue(v.timeTi, separator);
    r.TimeTd = RealFieldValue(v.timeTd, separator);
}

std::array<std::string, 10> AnalogOutputRow(int row, const TAnalogOutputRecord& r) {
    return {std::to_string(row),
            r.Name.Text(),
            std::to_string(r.OutputType),
            std::to_string(r.MeasurementChannel),
            std::to_string(r.SetValueSource),
            std::to_string(r.Value0V),
            std::to_string(r.Value10V),
            std::to_string(r.StopSetValue),
            std::to_string(r.PauseSetValue),
            std::to_string(r.PidNumber)};
}

Outcome ReadAnalogOutputsFromController(ControllerAccess& access,
                                        std::span<TAnalogOutputRecord, AnalogOutputCount> outputs) {
    return ReadBlock<TAnalogOutputRecord>(
        access, outputs, AnalogOutputTransferRules,
        [&access](Variant v, std::span<TAnalogOutputRecord> packet, int) {
            return ReadAnalogOutputs(
                access.link, v,
                std::span<TAnalogOutputRecord, AnalogOutputCount>(packet.data(), AnalogOutputCount),
                access.DeviceAddress, access.linkParams);
        });
}

Outcome WriteAnalogOutputsToController(ControllerAccess& access,
                                       std::span<TAnalogOutputRecord, AnalogOutputCount> outputs) {
    const Outcome outcome = WriteBlock<TAnalogOutputRecord>(
        access, outputs, AnalogOutputTransferRules,
        [&access](Variant v, std::span<TAnalogOutputRecord> packet, int) {
            return WriteAnalogOutputs(access.link, v,
                                      std::span<const TAnalogOutputRecord, AnalogOutputCount>(
                                          packet.data(), AnalogOutputCount),
                                      access.DeviceAddress, access.linkParams);
        });
    access.OfferResetAfterWrite();
    return outcome;
}

} // namespace zyl
