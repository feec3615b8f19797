#include "service/ReadoutsWindow.h"

#include "app/Dialogs.h"
#include "app/GuiHost.h"
#include "service/ReadoutChart.h"

#include <QApplication>
#include <QDateEdit>
#include <QDateTime>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QShowEvent>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace zyl {

namespace {

constexpr std::array<const char*, ReadoutsWindow::BoxCount> BoxCaptions = {
    "Date", "Time", "TEMPERATURE", "Rotation", "Vacuum", "3",    "4",    "5",
    " 6 ",  " 7 ",  " 8 ",         " 9 ",      " 10 ",   " 11 ", " 12  "};

constexpr std::size_t DateBox = 0, TimeBox = 1, VacuumBox = 4;
// The boxes of the measured values, in Measured order.
constexpr std::array<std::size_t, MeasuredCount> MeasuredBoxes = {2, 3,  5,  6,  7,  8,
                                                                  9, 10, 11, 12, 13, 14};

const QColor Lime(0, 255, 0);

QString Text(const std::string& s) {
    return FromPcText(s);
}

} // namespace

ReadoutsWindow::ReadoutsWindow(AppContext& ctx, QWidget* parent) : QDialog(parent), ctx_(ctx) {
    setWindowTitle(QStringLiteral("Readouts"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    timer_.setInterval(PollInterval);
    connect(&timer_, &QTimer::timeout, this, &ReadoutsWindow::Tick);

    // The readouts group.
    auto* readouts = new QGroupBox(QStringLiteral("Readouts"), this);
    version_ = new QLabel(QStringLiteral("Program version"), readouts);
    indicator_ = new QLabel(QStringLiteral("Transmission"), readouts);
    indicator_->setObjectName(QStringLiteral("TransmissionIndicator"));
    indicator_->setAlignment(Qt::AlignCenter);
    indicator_->setFrameStyle(QFrame::Panel | QFrame::Raised);
    indicator_->setAutoFillBackground(true);
    indicator_->setMinimumWidth(110);
    auto* mark = new ActivityMark(readouts);
    auto* head = new QHBoxLayout;
    head->addWidget(version_);
    head->addStretch();
    head->addWidget(mark);
    head->addWidget(indicator_);

    auto* lines = new QVBoxLayout;
    const auto captions = RecordingCaptions();
    for (std::size_t i = 0; i < RecordingLineCount; ++i) {
        recording_[i] = new QLabel(Text(captions[i]), readouts);
        lines->addWidget(recording_[i]);
    }

    auto* values = new QWidget(readouts);
    values->setAutoFillBackground(true);
    QPalette grey = values->palette();
    grey.setColor(QPalette::Window, QColor(192, 192, 192));
    values->setPalette(grey);
    auto* grid = new QGridLayout(values);
    QFont bold = font();
    bold.setBold(true);
    bold.setPointSize(bold.pointSize() + 2);
    const QFontMetrics boldMetrics(bold);
    for (std::size_t i = 0; i < BoxCount; ++i) {
        auto* frame = new QGroupBox(QString::fromLatin1(BoxCaptions[i]), values);
        auto* label = new QLabel(frame);
        label->setFont(bold);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setMinimumWidth(boldMetrics.horizontalAdvance(QStringLiteral("05-03-2003 ")));
        label->setObjectName(QStringLiteral("ReadoutBox%1").arg(i));
        auto* inner = new QVBoxLayout(frame);
        inner->setContentsMargins(6, 2, 6, 4);
        inner->addWidget(label);
        boxes_[i] = label;
        // Date, time, temperature, rotation and vacuum on the first row; channels below.
        const int row = i < 5 ? 0 : i < 10 ? 1 : 2;
        const int column = i < 5 ? int(i) : i < 10 ? int(i) - 5 : int(i) - 10;
        grid->addWidget(frame, row, column);
    }

    chart_ = new ReadoutChart(history_, readouts);
    auto* readoutsLayout = new QVBoxLayout(readouts);
    readoutsLayout->addLayout(head);
    readoutsLayout->addLayout(lines);
    readoutsLayout->addWidget(values);
    readoutsLayout->addWidget(chart_);

    // The clock group.
    auto* clock = new QGroupBox(QStringLiteral("Date"), this);
    auto* dateFrame = new QGroupBox(QStringLiteral("Date"), clock);
    date_ = new QDateEdit(dateFrame);
    date_->setDisplayFormat(QLocale().dateFormat(QLocale::LongFormat));
    // The controller keeps the year as two digits from 2000 on.
    date_->setDateRange(QDate(2000, 1, 1), QDate(2099, 12, 31));
    date_->setCalendarPopup(true);
    (new QVBoxLayout(dateFrame))->addWidget(date_);
    auto* timeFrame = new QGroupBox(QStringLiteral("Time"), clock);
    time_ = new QTimeEdit(timeFrame);
    time_->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    (new QVBoxLayout(timeFrame))->addWidget(time_);
    send_ = new QPushButton(QStringLiteral("Send"), clock);
    send_->setAutoDefault(false);
    connect(send_, &QPushButton::clicked, this, &ReadoutsWindow::SendClicked);
    auto* clockLayout = new QHBoxLayout(clock);
    clockLayout->addWidget(dateFrame, 2);
    clockLayout->addWidget(timeFrame, 1);
    clockLayout->addWidget(send_, 0, Qt::AlignBottom);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(readouts);
    layout->addWidget(clock);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    SetIndicator(false);
    CentreOnScreen(*this);
}

void ReadoutsWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (opened_) return;
    opened_ = true;
    lifetime_.start();
    // After the window is on the screen: the setup read lets events run while it waits.
    QTimer::singleShot(0, this, &ReadoutsWindow::Opened);
}

void ReadoutsWindow::Opened() {
    if (closed_) return;
    polling_ = true; // no poll and no clock setting while the setup block is read
    TSetupBlock setup{};
    if (ctx_.access.ReadControllerSetup(setup)) version_->setText(Text(ProgramVersionText(setup)));
    polling_ = false;
    if (sendRequested_) {
        SendClock();
        return;
    }
    Activated();
}

void ReadoutsWindow::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) Activated();
}

void ReadoutsWindow::Activated() {
    if (closed_ || !opened_ || polling_ || sendRequested_) return;
    // The pickers start at the PC's clock once; a later activation keeps what was chosen.
    if (!pickersSet_) {
        const QDateTime now = QDateTime::currentDateTime();
        date_->setDate(now.date());
        time_->setTime(now.time());
        pickersSet_ = true;
    }
    SetIndicator(true);
    if (!timer_.isActive()) timer_.start();
}

void ReadoutsWindow::SetIndicator(bool transmitting) {
    QPalette palette = indicator_->palette();
    palette.setColor(QPalette::Window,
                     transmitting ? Lime : QApplication::palette().color(QPalette::Button));
    indicator_->setPalette(palette);
}

void ReadoutsWindow::Tick() {
    // The timer stops before anything lets events run, so ticks never overlap.
    timer_.stop();
    if (closed_ || polling_ || sendRequested_) return;
    polling_ = true;
    SetIndicator(true);
    ctx_.host.ProcessEvents();
    bool ok = false;
    if (!closed_) {
        ok = PollReadouts(ctx_.access, status_);
        if (ok) ShowStatus(status_);
    }
    SetIndicator(false);
    ctx_.host.ProcessEvents();
    polling_ = false;
    emit polled(ok);
    // A "Send" pressed while the poll ran goes out now.
    if (sendRequested_)
        SendClock();
    else
        RestartTimer();
}

void ReadoutsWindow::RestartTimer() {
    if (!closed_) timer_.start();
}

void ReadoutsWindow::ShowStatus(const TControllerStatus& status, std::optional<double> atSecond) {
    status_ = status;
    const ReadoutTexts texts = FormatReadouts(status);
    boxes_[DateBox]->setText(Text(texts.date));
    boxes_[TimeBox]->setText(Text(texts.time));
    boxes_[VacuumBox]->setText(Text(texts.vacuum));
    for (std::size_t i = 0; i < MeasuredCount; ++i)
        boxes_[MeasuredBoxes[i]]->setText(Text(texts.measured[i]));
    for (std::size_t i = 0; i < RecordingLineCount; ++i)
        recording_[i]->setText(Text(texts.recording[i]));
    history_.Add(atSecond              ? *atSecond
                 : lifetime_.isValid() ? lifetime_.elapsed() / 1000.0
                                       : 0.0,
                 status);
    chart_->update();
}

void ReadoutsWindow::SendClicked() {
    if (sendRequested_ || closed_) return;
    sendRequested_ = true;
    send_->setEnabled(false);
    timer_.stop();
    // A poll or the setup read under way sends the clock when it has ended.
    if (!polling_) SendClock();
}

void ReadoutsWindow::SendClock() {
    timer_.stop();
    const QDate d = date_->date();
    const QTime t = time_->time();
    const Outcome outcome = SetClockOnController(
        ctx_.access, ClockToSet(d.year(), d.month(), d.day(), t.hour(), t.minute()));
    sendRequested_ = false;
    send_->setEnabled(true);
    emit clockSent(outcome);
    RestartTimer();
}

void ReadoutsWindow::done(int result) {
    closed_ = true;
    timer_.stop();
    QDialog::done(result);
}

void OpenReadouts(AppContext& ctx, QWidget* parent) {
    ReadoutsWindow window(ctx, parent);
    window.exec();
}

} // namespace zyl
