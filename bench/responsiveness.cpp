// bench_responsiveness: does the window stay alive while the link waits, and how fast does
// Cancel act? Against a silent zyl200-sim on a pty, under the offscreen platform:
//
//   1. the connection test (three attempts of the default 2 s timeout);
//   2. a relay read, its Cancel clicked after 1 s.
//
// A 1 ms timer stands for the user interface: it fires only when events are processed, so the
// longest gap between two of its ticks is the longest time the window was frozen (goal
// <= 50 ms). For the read, the time from the Cancel click to the end of the read (goal
// <= 100 ms).
//
//   bench_responsiveness [--sim PATH]

#include "BenchSupport.h"
#include "app/Dialogs.h"
#include "app/GuiHost.h"
#include "core/AppContext.h"
#include "editors/relays/Relays.h"
#include "link/QtSerialPort.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

// Ticks every millisecond the event loop lets it and keeps the longest gap between ticks.
class Heartbeat {
public:
    Heartbeat() {
        timer_.setInterval(1);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const qint64 now = clock_.elapsed();
            if (last_ >= 0) longest_ = std::max(longest_, now - last_);
            last_ = now;
            ++ticks_;
        });
    }
    void Start() {
        longest_ = 0;
        last_ = -1;
        ticks_ = 0;
        clock_.start();
        timer_.start();
    }
    void Stop() { timer_.stop(); }
    [[nodiscard]] qint64 Longest() const { return longest_; }
    [[nodiscard]] qint64 Ticks() const { return ticks_; }

private:
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 last_ = -1;
    qint64 longest_ = 0;
    qint64 ticks_ = 0;
};

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    zyl::bench::BenchArguments args;
    if (!zyl::bench::ParseBenchArguments(argc, argv, "bench_responsiveness", "[--sim PATH]", args))
        return 2;
    const auto simulator = zyl::bench::StartSimulator(
        "bench_responsiveness", args.sim, {"--baud", "9600", "--quiet", "--fault", "noreply"});
    if (!simulator) return 1;

    zyl::QtSerialPort port({{1, simulator->Device()}});
    zyl::GuiHost host;
    zyl::ProgressWindow progress;
    host.SetProgressWindow(&progress);
    auto ctx = std::make_unique<zyl::AppContext>(port, host);
    ctx->link.SetTuning(ctx->settings.tuning); // timeoutStand 2000 ms, as shipped
    Heartbeat heartbeat;

    // 1. The connection test.
    heartbeat.Start();
    QElapsedTimer took;
    took.start();
    const bool ok = ctx->access.ConnectionTest();
    const qint64 testMs = took.elapsed();
    heartbeat.Stop();
    std::printf("connection test: %s after %lld ms; longest gap between events %lld ms "
                "(%lld ticks)\n",
                ok ? "OK" : "ERR", static_cast<long long>(testMs),
                static_cast<long long>(heartbeat.Longest()),
                static_cast<long long>(heartbeat.Ticks()));
    std::printf("  cause: %s\n", ctx->link.FailureCause().c_str());
    const qint64 testGap = heartbeat.Longest();

    // 2. A relay read, cancelled after 1 s.
    std::array<zyl::TRelayRecord, zyl::RelayCount> relays{};
    QElapsedTimer clock;
    qint64 clicked = -1;
    QTimer::singleShot(1000, [&] {
        clicked = clock.elapsed();
        progress.CancelButton()->click();
    });
    heartbeat.Start();
    clock.start();
    const zyl::Outcome outcome = zyl::ReadRelaysFromController(ctx->access, relays);
    const qint64 ended = clock.elapsed();
    heartbeat.Stop();
    const qint64 readGap = heartbeat.Longest();
    std::printf("relay read: %s after %lld ms; longest gap between events %lld ms\n",
                outcome == zyl::Outcome::Cancelled ? "cancelled" : "not cancelled",
                static_cast<long long>(ended), static_cast<long long>(readGap));
    std::printf("  from Cancel to the end of the read: %lld ms\n",
                static_cast<long long>(clicked < 0 ? -1 : ended - clicked));

    const bool met = testGap <= 50 && readGap <= 50 && clicked >= 0 && ended - clicked <= 100 &&
                     outcome == zyl::Outcome::Cancelled;
    std::printf("goals (gap <= 50 ms, cancel <= 100 ms): %s\n", met ? "met" : "missed");
    host.SetProgressWindow(nullptr);
    ctx->link.Close();
    return 0;
}
