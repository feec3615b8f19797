#include "editors/relays/Relays.h"

#include "editors/TextRules.h"
#include "link/CommandEncoding.h"
#include "project/ProjectImage.h"
#include "project/SetupParameterTable.h"
#include "project/ValueLists.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace zyl {

namespace {

constexpr RelayValueRule Rules[] = {
    {"P8", 0, 25.5, "Wrong parameter range ! < 0..25.4"},
    {"P7", 0, 25.5, "Wrong parameter range ! < 0..25.4"},
    {"P5", -12.5, 12.5, "Wrong parameter range ! < -12.5 .. 12.5"},
    {"P6", 0, 25.5, "Wrong parameter range ! < 0..25.4"},
};

} // namespace

std::string TimeTypeText(int value) {
    return value >= 0 && value < int(TimeTypeTexts.size()) ? TimeTypeTexts[std::size_t(value)] : "";
}

std::string RegulatorTypeText(int value) {
    return value >= 0 && value < int(RegulatorTypeTexts.size())
               ? RegulatorTypeTexts[std::size_t(value)]
               : "";
}

const RelayValueRule& RuleFor(RelayValueField field) {
    return Rules[static_cast<int>(field)];
}

std::optional<std::string> CheckRelayValue(RelayValueField field, std::string_view text) {
    const RelayValueRule& rule = RuleFor(field);
    switch (CheckRange(text, rule.low, rule.high)) {
    case RangeNotNumber:
        return std::string(MsgNotNumeric);
    case RangeOutside:
        return std::string(rule.message);
    default:
        return std::nullopt;
    }
}

std::string FormatTenths(std::int32_t tenths) {
    return TenthsText(tenths);
}

std::int32_t TenthsFromText(std::string_view text) {
    double value = 0;
    if (!ParseNumber(text, value)) return 0;
    return RoundHalfEven(value * 10.0);
}

RelayEditorValues RelayEditorValuesFor(const TRelayRecord& r) {
    RelayEditorValues v;
    v.name = r.Name.Text();
    v.timeType = r.TimeType;
    v.regulatorType = r.RegulatorType;
    v.p1 = std::to_string(r.TimeTa);
    v.p2 = std::to_string(r.TimeTb);
    const int listSize = r.RegulatorType == PidRegulatorType ? int(PidRegulatorList.size())
                                                             : int(MeasurementChannelList.size());
    v.channelIndex = r.MeasurementChannel < listSize ? r.MeasurementChannel : -1;
    v.setValueIndex = r.SetValueSource < SetValueSourceList.size() ? r.SetValueSource : -1;
    v.p5 = FormatTenths(r.Offset);
    v.p6 = FormatTenths(r.RegulatorWindow);
    v.p7 = FormatTenths(r.LowerHysteresis);
    v.p8 = FormatTenths(r.UpperHysteresis);
    return v;
}

void ApplyRelayEditor(const RelayEditorValues& v, TRelayRecord& r) {
    r.TimeType = v.timeType;
    r.RegulatorType = v.regulatorType;
    r.TimeTa = WholeNumberFromText(v.p1);
    r.TimeTb = WholeNumberFromText(v.p2);
    if (v.channelIndex >= 0) r.MeasurementChannel = static_cast<std::uint8_t>(v.channelIndex);
    if (v.setValueIndex >= 0) r.SetValueSource = static_cast<std::uint8_t>(v.setValueIndex);
    r.ChannelWordHigh = 0;
    r.Offset = TenthsFromText(v.p5);
    r.RegulatorWindow = TenthsFromText(v.p6);
    r.LowerHysteresis = TenthsFromText(v.p7);
    r.UpperHysteresis = TenthsFromText(v.p8);
    r.Name.SetText(FoldDiacritics(v.name).substr(0, 30));
}

std::array<std::string, 12> RelayRow(int row, const TRelayRecord& r) {
    return {std::to_string(row),
            r.Name.Text(),
            std::to_string(r.TimeType),
            std::to_string(r.TimeTa),
            std::to_string(r.TimeTb),
            std::to_string(r.RegulatorType),
            std::to_string(r.MeasurementChannel),
            std::to_string(r.SetValueSource),
            FormatTenths(r.Offset),
            FormatTenths(r.RegulatorWindow),
            FormatTenths(r.LowerHysteresis),
            FormatTenths(r.UpperHysteresis)};
}

Outcome ReadRelaysFromController(ControllerAccess& access,
                                 std::span<TRelayRecord, RelayCount> relays) {
    return ReadBlock<TRelayRecord>(
        access, relays, RelayTransferRules,
        [&access](Variant v, std::span<TRelayRecord> packet, int p) {
            return ReadRelayGroup(access.link, v, std::span<TRelayRecord, 6>(packet.data(), 6), p,
                                  access.DeviceAddress, access.linkParams);
        });
}

Outcome WriteRelaysToController(ControllerAccess& access,
                                std::span<TRelayRecord, RelayCount> relays) {
    NumberRelays(relays);
    const Outcome outcome = WriteBlock<TRelayRecord>(
        access, relays, RelayTransferRules,
        [&access](Variant v, std::span<TRelayRecord> packet, int p) {
            return WriteRelayGroup(access.link, v,
                                   std::span<const TRelayRecord, 6>(packet.data(), 6), p,
                                   access.DeviceAddress, access.linkParams);
        });
    access.OfferResetAfterWrite();
    return outcome;
}

} // namespace zyl
