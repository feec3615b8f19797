#pragma once

// A small live chart of the measured values a readouts window has received: one line per
// value over the seconds since the window opened, with a legend.

#include "service/Readouts.h"

#include <QWidget>

namespace zyl {

class ReadoutChart : public QWidget {
    Q_OBJECT
public:
    explicit ReadoutChart(const ReadoutHistory& history, QWidget* parent = nullptr);

    [[nodiscard]] QSize sizeHint() const override { return {760, 200}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const ReadoutHistory& history_;
};

// A small turning mark that shows the window is alive.
class ActivityMark : public QWidget {
    Q_OBJECT
public:
    explicit ActivityMark(QWidget* parent = nullptr);
    [[nodiscard]] QSize sizeHint() const override { return {28, 28}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    int step_ = 0;
};

} // namespace zyl
