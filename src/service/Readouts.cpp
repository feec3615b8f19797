#include "service/Readouts.h"

#include "link/Commands.h"

#include <algorithm>
#include <cstdio>

namespace zyl {

namespace {

std::string TwoDigits(int n) {
    const std::string digits = std::to_string(n);
    return n >= 0 && n < 10 ? "0" + digits : digits;
}

std::string Dashed(int a, int b, int c) {
    return TwoDigits(a) + "-" + TwoDigits(b) + "-" + TwoDigits(c);
}

} // namespace

std::string MeasuredText(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%8.1f", value);
    return text;
}

std::string VacuumText(int vacuum) {
    if (vacuum == 200) return "    XX";
    char text[16];
    std::snprintf(text, sizeof text, "%6d", vacuum);
    return text;
}

std::string DateText(const TControllerStatus& status) {
    return Dashed(status.Day, status.Month, status.Year);
}

std::string TimeText(const TControllerStatus& status) {
    return Dashed(status.Hour, status.Minute, status.Second);
}

double MeasuredValue(const TControllerStatus& status, Measured which) {
    switch (which) {
    case Measured::Temperature:
        return status.Temperature;
    case Measured::Rotation:
        return status.Rotation;
    case Measured::Channel3:
        return status.Channel3;
    case Measured::Channel4:
        return status.Channel4;
    case Measured::Channel5:
        return status.Channel5;
    case Measured::Channel6:
        return status.Channel6;
    case Measured::Channel7:
        return status.Channel7;
    case Measured::Channel8:
        return status.Channel8;
    case Measured::Channel9:
        return status.Channel9;
    case Measured::Channel10:
        return status.Channel10;
    case Measured::Channel11:
        return status.Channel11;
    case Measured::Channel12:
        return status.Channel12;
    }
    return 0;
}

ReadoutTexts FormatReadouts(const TControllerStatus& status) {
    ReadoutTexts texts;
    texts.date = DateText(status);
    texts.time = TimeText(status);
    texts.vacuum = VacuumText(status.Vacuum);
    for (std::size_t i = 0; i < MeasuredCount; ++i)
        texts.measured[i] = MeasuredText(MeasuredValue(status, Measured(i)));
    const auto captions = RecordingCaptions();
    const std::array<int, RecordingLineCount> values = {status.LastRecordingAddress,
                                                        status.PreviousRecordingAddress, 0, 0};
    for (std::size_t i = 0; i < RecordingLineCount; ++i)
        texts.recording[i] = captions[i] + " : " + std::to_string(values[i]);
    return texts;
}

std::array<std::string, RecordingLineCount> RecordingCaptions() {
    return {"Last recording address", "Previous recording address", "Recording counter",
            "Recording interlock"};
}

std::string ProgramVersionText(const TSetupBlock& setup) {
    return "Program version:  " + std::to_string(setup.Words[99]);
}

ClockTime ClockToSet(int year, int month, int day, int hour, int minute) {
    return {year, month, day, hour, minute, 0};
}

bool PollReadouts(ControllerAccess& access, TControllerStatus& status) {
    access.ReadLinkSettings();
    TControllerStatus reply{};
    if (ReadModuleStatus(access.link, reply, access.DeviceAddress, access.linkParams) != LinkOk)
        return false;
    status = reply;
    return true;
}

Outcome SetClockOnController(ControllerAccess& access, const ClockTime& clock) {
    access.ReadLinkSettings();
    if (SetControllerClock(access.link, clock, access.DeviceAddress, access.linkParams) != LinkOk)
        return access.Failed(false);
    switch (access.PanelWait()) {
    case PanelWaitOutcome::Ready:
        break;
    case PanelWaitOutcome::Cancelled:
        return Outcome::Cancelled;
    case PanelWaitOutcome::NotReady:
        return Outcome::NoCommunication;
    }
    if (CollectAck(access.link, 4, access.DeviceAddress, access.linkParams) != LinkOk)
        return access.Failed(false);
    return Outcome::Ok;
}

void ReadoutHistory::Add(double seconds, const TControllerStatus& status) {
    Sample sample{seconds, {}};
    for (std::size_t i = 0; i < SeriesCount; ++i)
        sample.values[i] = MeasuredValue(status, Measured(i));
    samples_.push_back(sample);
    while (samples_.size() > capacity_) samples_.pop_front();
}

ReadoutHistory::Range ReadoutHistory::ValueRange() const {
    if (samples_.empty()) return {};
    Range range{samples_.front().values[0], samples_.front().values[0]};
    for (const Sample& s : samples_)
        for (double v : s.values) {
            range.low = std::min(range.low, v);
            range.high = std::max(range.high, v);
        }
    return range;
}

std::string ReadoutHistory::SeriesName(std::size_t series) {
    if (series == 0) return "Temperature";
    if (series == 1) return "Rotation";
    return std::to_string(series + 1);
}

} // namespace zyl
