#pragma once

// The readouts of a running controller reached through the communication module: the texts
// its window shows for a status reply, the status poll, setting the controller's clock, and
// the history of measured values the window draws.

#include "core/ControllerAccess.h"
#include "core/Outcome.h"
#include "link/CommandEncoding.h"
#include "link/ControllerStatus.h"
#include "project/Records.h"

#include <array>
#include <cstddef>
#include <deque>
#include <string>

namespace zyl {

// A measured value with one decimal, right-aligned in eight characters: 23.5 -> "    23.5".
[[nodiscard]] std::string MeasuredText(double value);
// The vacuum byte right-aligned in six characters; 200 (no vacuum gauge) shows "    XX".
[[nodiscard]] std::string VacuumText(int vacuum);
// "05-03-2003": day, month, year, each below ten with a leading 0.
[[nodiscard]] std::string DateText(const TControllerStatus& status);
// "14-07-09": hour, minute, second.
[[nodiscard]] std::string TimeText(const TControllerStatus& status);

// The measured values the window shows in its boxes, in box order.
enum class Measured {
    Temperature,
    Rotation,
    Channel3,
    Channel4,
    Channel5,
    Channel6,
    Channel7,
    Channel8,
    Channel9,
    Channel10,
    Channel11,
    Channel12,
};
inline constexpr std::size_t MeasuredCount = 12;

[[nodiscard]] double MeasuredValue(const TControllerStatus& status, Measured which);

inline constexpr std::size_t RecordingLineCount = 4;

// Everything the window writes for one status reply.
struct ReadoutTexts {
    std::string date;
    std::string time;
    std::string vacuum;
    std::array<std::string, MeasuredCount> measured; // MeasuredText of each, in Measured order
    std::array<std::string, RecordingLineCount> recording;
};

[[nodiscard]] ReadoutTexts FormatReadouts(const TControllerStatus& status);

// The recording lines before the first readout: the captions without a value.
[[nodiscard]] std::array<std::string, RecordingLineCount> RecordingCaptions();

// "Program version:  501": word 99 of the controller's setup block.
[[nodiscard]] std::string ProgramVersionText(const TSetupBlock& setup);

// The clock to set from a chosen date and time: seconds are not sent, so the controller's
// clock is set to the whole minute.
[[nodiscard]] ClockTime ClockToSet(int year, int month, int day, int hour, int minute);

// One poll: the link settings, then the module status into status. On failure status keeps
// what it held and nothing is shown.
[[nodiscard]] bool PollReadouts(ControllerAccess& access, TControllerStatus& status);

// Sets the controller's clock: the clock submit, the panel wait and, when the panel became
// ready, the acknowledgement collect. Nothing is shown; the outcome says how it went.
Outcome SetClockOnController(ControllerAccess& access, const ClockTime& clock);

// The measured values of the polls of one window, oldest first, at most `capacity` of them.
// Channels 11 and 12 are not carried by the status reply and are not kept.
class ReadoutHistory {
public:
    static constexpr std::size_t SeriesCount = MeasuredCount - 2;

    struct Sample {
        double seconds; // since the window opened
        std::array<double, SeriesCount> values;
    };

    explicit ReadoutHistory(std::size_t capacity = 1800) : capacity_(capacity) {}

    void Add(double seconds, const TControllerStatus& status);
    [[nodiscard]] const std::deque<Sample>& Samples() const { return samples_; }

    // The smallest and largest value of every sample kept; {0, 0} while empty.
    struct Range {
        double low = 0;
        double high = 0;
    };
    [[nodiscard]] Range ValueRange() const;

    // "Temperature", "Rotation", "3" ... "10".
    [[nodiscard]] static std::string SeriesName(std::size_t series);

private:
    std::size_t capacity_;
    std::deque<Sample> samples_;
};

} // namespace zyl
