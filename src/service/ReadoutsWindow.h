#pragma once

// The readouts window: a live view of a controller reached through the communication module
// (clock, measured values, recording addresses, program version), polled every two seconds
// while it is open, and the setting of the controller's clock from a date and a time.

#include "core/AppContext.h"
#include "link/ControllerStatus.h"
#include "service/Readouts.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>

#include <array>
#include <optional>

class QDateEdit;
class QLabel;
class QPushButton;
class QTimeEdit;

namespace zyl {

class ReadoutChart;

class ReadoutsWindow : public QDialog {
    Q_OBJECT
public:
    static constexpr int PollInterval = 2000;

    explicit ReadoutsWindow(AppContext& ctx, QWidget* parent = nullptr);

    // The value boxes in the window's order: date, time, temperature, rotation, vacuum,
    // channels 3 to 12.
    static constexpr std::size_t BoxCount = 15;
    [[nodiscard]] QLabel* Box(std::size_t index) const { return boxes_[index]; }
    [[nodiscard]] QLabel* VersionLabel() const { return version_; }
    [[nodiscard]] QLabel* RecordingLine(std::size_t i) const { return recording_[i]; }
    [[nodiscard]] QLabel* Indicator() const { return indicator_; }
    [[nodiscard]] QDateEdit* DatePicker() const { return date_; }
    [[nodiscard]] QTimeEdit* TimePicker() const { return time_; }
    [[nodiscard]] QPushButton* SendButton() const { return send_; }
    [[nodiscard]] ReadoutChart* Chart() const { return chart_; }
    [[nodiscard]] const QTimer& PollTimer() const { return timer_; }
    [[nodiscard]] const TControllerStatus& LastStatus() const { return status_; }
    [[nodiscard]] const ReadoutHistory& History() const { return history_; }
    [[nodiscard]] bool Sending() const { return sendRequested_; }

    // Shows a status as a successful poll does (the boxes, the recording lines, the chart),
    // charted at the given second of the window's life, or now.
    void ShowStatus(const TControllerStatus& status, std::optional<double> atSecond = {});

    // The polling timer's interval (two seconds; tests take less).
    void SetPollInterval(int ms) { timer_.setInterval(ms); }

signals:
    // After each poll, successful or not, and after each clock setting.
    void polled(bool ok);
    void clockSent(Outcome outcome);

public slots:
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void Opened();
    void Activated();
    void Tick();
    void SendClicked();
    void SendClock();
    void SetIndicator(bool transmitting);
    void RestartTimer();

    AppContext& ctx_;
    TControllerStatus status_{};
    ReadoutHistory history_;
    QElapsedTimer lifetime_;
    QTimer timer_;
    bool opened_ = false;
    bool pickersSet_ = false;
    bool polling_ = false;
    bool sendRequested_ = false;
    bool closed_ = false;

    std::array<QLabel*, BoxCount> boxes_{};
    std::array<QLabel*, RecordingLineCount> recording_{};
    QLabel* version_ = nullptr;
    QLabel* indicator_ = nullptr;
    ReadoutChart* chart_ = nullptr;
    QDateEdit* date_ = nullptr;
    QTimeEdit* time_ = nullptr;
    QPushButton* send_ = nullptr;
};

// Opens the readouts window modally, created anew; returns when it is closed.
void OpenReadouts(AppContext& ctx, QWidget* parent);

} // namespace zyl
