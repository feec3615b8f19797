#include "editors/pid/PidRegulators.h"

#include "project/ValueLists.h"
#include "editors/analog/AnalogOutputs.h"

namespace zyl {

PidEditorValues PidEditorValuesFor(const TPidRecord& r, std::string_view separator) {
    PidEditorValues v;
    v.typeIndex = ListIndex(r.HeatingCooling, HeatingCoolingList.size());
    v.channelIndex = ListIndex(r.MeasurementChannel, MeasurementChannelList.size());
    v.setValueIndex = ListIndex(r.SetValueSource, SetValueSourceList.size());
    v.sample = std::to_string(RoundedToFieldRange(r.Sample));
    v.gain = FormatReal(r.Gain, separator);
    v.timeTi = FormatReal(r.TimeTi, separator);
    v.timeTd = FormatReal(r.TimeTd, separator);
    v.period = FormatReal(r.Period, separator);
    return v;
}

void ApplyPidEditor(const PidEditorValues& v, TPidRecord& r, std::string_view separator) {
    if (v.typeIndex >= 0) r.HeatingCooling = static_cast<std::int16_t>(v.typeIndex);
    if (v.channelIndex >= 0) r.MeasurementChannel = static_cast<std::int16_t>(v.channelIndex);
    if (v.setValueIndex >= 0) r.SetValueSource = static_cast<std::int16_t>(v.setValueIndex);
    r.Sample = FieldValue(v.sample);
    r.Gain = RealFieldValue(v.gain, separator);
    r.TimeTi = RealFieldValue(v.timeTi, separator);
    r.TimeTd = RealFieldValue(v.timeTd, separator);
    r.Period = RealFieldValue(v.period, separator);
}

std::array<std::string, 9> PidRow(int row, const TPidRecord& r, std::string_view separator) {
    return {std::to_string(row),
            std::to_string(r.HeatingCooling),
            std::to_string(r.MeasurementChannel),
            std::to_string(r.SetValueSource),
            FormatReal(r.Sample, separator),
            FormatReal(r.Gain, separator),
            FormatReal(r.TimeTi, separator),
            FormatReal(r.TimeTd, separator),
            FormatReal(r.Period, separator)};
}

Outcome ReadPidRegulatorsFromController(ControllerAccess& access,
                                        std::span<TPidRecord, PidCount> regulators) {
    return ReadBlock<TPidRecord>(access, regulators, PidTransferRules,
                                 [&access](Variant v, std::span<TPidRecord> packet, int) {
                                     return ReadPidRegulators(
                                         access.link, v,
                                         std::span<TPidRecord, PidCount>(packet.data(), PidCount),
                                         access.DeviceAddress, access.linkParams);
                                 });
}

Outcome WritePidRegulatorsToController(ControllerAccess& access,
                                       std::span<TPidRecord, PidCount> regulators) {
    const Outcome outcome = WriteBlock<TPidRecord>(
        access, regulators, PidTransferRules,
        [&access](Variant v, std::span<TPidRecord> packet, int) {
            return WritePidRegulators(
                access.link, v, std::span<const TPidRecord, PidCount>(packet.data(), PidCount),
                access.DeviceAddress, access.linkParams);
        });
    access.OfferResetAfterWrite();
    return outcome;
}

} // namespace zyl
