#include "service/ReadoutChart.h"

#include <QPainter>
#include <QPainterPath>
#include <QPen>

#include <array>
#include <cmath>

namespace zyl {

namespace {

const std::array<QColor, ReadoutHistory::SeriesCount> SeriesColours = {
    QColor(200, 30, 30),  QColor(30, 90, 200), QColor(0, 140, 60),  QColor(190, 120, 0),
    QColor(130, 40, 170), QColor(0, 150, 160), QColor(120, 80, 40), QColor(220, 70, 150),
    QColor(90, 90, 90),   QColor(100, 160, 0)};

// A step of 1, 2 or 5 times a power of ten that cuts the span into about `parts` pieces.
double NiceStep(double span, int parts) {
    const double raw = span / parts;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (raw <= m * power) return m * power;
    return 10 * power;
}

} // namespace

ReadoutChart::ReadoutChart(const ReadoutHistory& history, QWidget* parent)
    : QWidget(parent), history_(history) {
    setMinimumSize(sizeHint());
}

void ReadoutChart::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), Qt::white);
    p.setPen(QColor(160, 160, 160));
    p.drawRect(rect().adjusted(0, 0, -1, -1));

    const QFontMetrics fm(font());
    const int legendWidth = fm.horizontalAdvance(QStringLiteral("Temperature")) + 26;
    const QRect plot = rect().adjusted(fm.horizontalAdvance(QStringLiteral("-3000.0")) + 10, 8,
                                       -legendWidth - 8, -fm.height() - 8);

    // Legend.
    for (std::size_t s = 0; s < ReadoutHistory::SeriesCount; ++s) {
        const int y = 8 + int(s) * (fm.height() + 1);
        const int x = plot.right() + 12;
        p.setPen(QPen(SeriesColours[s], 2));
        p.drawLine(x, y + fm.height() / 2, x + 12, y + fm.height() / 2);
        p.setPen(Qt::black);
        p.drawText(x + 16, y + fm.ascent(), QString::fromStdString(ReadoutHistory::SeriesName(s)));
    }

    const auto& samples = history_.Samples();
    if (samples.empty()) {
        p.setPen(Qt::gray);
        p.drawText(plot, Qt::AlignCenter, QStringLiteral("Waiting for readouts"));
        return;
    }

    auto range = history_.ValueRange();
    if (range.high - range.low < 1.0) {
        range.low -= 0.5;
        range.high += 0.5;
    }
    const double step = NiceStep(range.high - range.low, 4);
    const double low = std::floor(range.low / step) * step;
    const double high = std::ceil(range.high / step) * step;
    const double t0 = samples.front().seconds;
    const double t1 = std::max(samples.back().seconds, t0 + 10.0);

    auto xOf = [&](double t) { return plot.left() + (t - t0) / (t1 - t0) * plot.width(); };
    auto yOf = [&](double v) { return plot.bottom() - (v - low) / (high - low) * plot.height(); };

    // Grid with the value scale, and the time scale in seconds.
    for (double v = low; v <= high + step / 2; v += step) {
        const double y = yOf(v);
        p.setPen(QColor(225, 225, 225));
        p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        p.setPen(Qt::black);
        p.drawText(QRectF(0, y - fm.height() / 2.0, plot.left() - 4, fm.height()),
                   Qt::AlignRight | Qt::AlignVCenter, QString::number(v, 'f', step < 1 ? 1 : 0));
    }
    p.setPen(Qt::black);
    p.drawText(QRectF(plot.left(), plot.bottom() + 2, plot.width(), fm.height()), Qt::AlignLeft,
               QStringLiteral("%1 s").arg(t0, 0, 'f', 0));
    p.drawText(QRectF(plot.left(), plot.bottom() + 2, plot.width(), fm.height()), Qt::AlignRight,
               QStringLiteral("%1 s").arg(t1, 0, 'f', 0));
    p.setPen(QColor(120, 120, 120));
    p.drawRect(plot);

    p.setClipRect(plot.adjusted(-1, -1, 1, 1));
    for (std::size_t s = 0; s < ReadoutHistory::SeriesCount; ++s) {
        QPainterPath path;
        bool first = true;
        for (const auto& sample : samples) {
            const QPointF point(xOf(sample.seconds), yOf(sample.values[s]));
            if (first)
                path.moveTo(point);
            else
                path.lineTo(point);
            first = false;
        }
        p.setPen(QPen(SeriesColours[s], 1.6));
        p.drawPath(path);
        if (samples.size() == 1) p.drawEllipse(path.currentPosition(), 2, 2);
    }
}

ActivityMark::ActivityMark(QWidget* parent) : QWidget(parent) {
    setFixedSize(sizeHint());
    startTimer(120);
}

void ActivityMark::timerEvent(QTimerEvent*) {
    step_ = (step_ + 1) % 12;
    update();
}

void ActivityMark::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF centre = rect().center();
    const double radius = std::min(width(), height()) / 2.0 - 3;
    for (int i = 0; i < 12; ++i) {
        const double angle = (i * 30.0) * M_PI / 180.0;
        const int age = (step_ - i + 12) % 12;
        QColor colour(0, 110, 0);
        colour.setAlpha(255 - age * 20);
        p.setPen(QPen(colour, 2.5, Qt::SolidLine, Qt::RoundCap));
        const QPointF dir(std::cos(angle), std::sin(angle));
        p.drawLine(centre + dir * radius * 0.45, centre + dir * radius);
    }
}

} // namespace zyl
