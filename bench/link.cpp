// bench_link: the cost of one request/reply exchange through TFkomunikacja and QtSerialPort
// against zyl200-sim on a pty, compared with the pauses and line time the protocol mandates.
//
//   bench_link [--count N] [--sim PATH]
//
// Two runs of N exchanges, alternating a status read (7 bytes out, 64 back) and a relay group
// read (12 out, 252 back): one with the simulator pacing its replies at 19200 baud, one with
// pacing off. A timing shim between the link object and the port shows where the time goes.

#include "BenchSupport.h"
#include "link/Frame.h"
#include "link/Komunikacja.h"
#include "link/QtSerialPort.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Forwards to the real port and adds up the time spent in each operation.
class TimingPort final : public zyl::SerialPort {
public:
    explicit TimingPort(zyl::SerialPort& port) : port_(port) {}

    enum Op { OpConfigure, OpDiscard, OpRts, OpWriteByte, OpDrain, OpRead, OpOther, OpCount };
    static constexpr const char* Names[OpCount] = {
        "ApplyConfiguration", "DiscardBuffers", "SetRts", "WriteByte", "Drain", "Read", "other"};
    double ms[OpCount] = {};
    long calls[OpCount] = {};

    template <class F> auto Time(Op op, F&& f) {
        const auto start = Clock::now();
        auto result = f();
        ms[op] += MsSince(start);
        ++calls[op];
        return result;
    }

    void Reset() {
        std::fill(std::begin(ms), std::end(ms), 0.0);
        std::fill(std::begin(calls), std::end(calls), 0L);
    }

    bool Open(const std::string& name, int baud) override {
        return Time(OpOther, [&] { return port_.Open(name, baud); });
    }
    void Close() override { port_.Close(); }
    bool IsOpen() const override { return port_.IsOpen(); }
    std::string Name() const override { return port_.Name(); }
    int Baud() const override { return port_.Baud(); }
    bool ApplyConfiguration() override {
        return Time(OpConfigure, [&] { return port_.ApplyConfiguration(); });
    }
    bool DiscardBuffers() override {
        return Time(OpDiscard, [&] { return port_.DiscardBuffers(); });
    }
    bool DriverTogglesRts() const override { return port_.DriverTogglesRts(); }
    bool SetRts(bool on) override {
        return Time(OpRts, [&] { return port_.SetRts(on); });
    }
    long Write(std::span<const std::uint8_t> bytes) override {
        return Time(OpOther, [&] { return port_.Write(bytes); });
    }
    bool WriteByte(std::uint8_t byte) override {
        return Time(OpWriteByte, [&] { return port_.WriteByte(byte); });
    }
    void Drain() override {
        Time(OpDrain, [&] {
            port_.Drain();
            return 0;
        });
    }
    std::vector<std::uint8_t> Read(std::size_t n) override {
        return Time(OpRead, [&] { return port_.Read(n); });
    }
    void SetReadTimeoutConstant(int milliseconds) override {
        port_.SetReadTimeoutConstant(milliseconds);
    }

private:
    zyl::SerialPort& port_;
};

struct Request {
    Bytes frame;
    std::size_t replyLength;
};

struct RunResult {
    double totalMs = 0;
    double floorMs = 0;     // sleeps, RTS lead and lag, request and reply bytes on the line
    double pausesMs = 0;    // sleeps and RTS lead and lag only
    double replyLineMs = 0; // reply bytes on the line only
    std::vector<double> perExchange;
    int failures = 0;
};

RunResult Run(zyl::TFkomunikacja& link, const std::vector<Request>& requests, int count, int baud,
              bool pacing) {
    const zyl::TLinkParams params{0, static_cast<std::uint8_t>(baud == 19200 ? 8 : 6)};
    const int ileSleep = link.AutomaticRts() ? 0 : link.Tuning().IleSleep;
    RunResult r;
    Bytes reply;
    const auto start = Clock::now();
    for (int i = 0; i < count; ++i) {
        const Request& q = requests[static_cast<std::size_t>(i) % requests.size()];
        const auto one = Clock::now();
        if (link.ExchangeFrame(q.frame, q.replyLength, params, reply) != zyl::LinkOk) ++r.failures;
        r.perExchange.push_back(MsSince(one));
        const double pauses = 10.0 + 2.0 * ileSleep;
        const double line = (q.frame.size() + q.replyLength) * 11.0 * 1000.0 / baud;
        r.pausesMs += pauses;
        r.floorMs += pauses + (pacing ? line : 0.0);
        r.replyLineMs += pacing ? q.replyLength * 11.0 * 1000.0 / baud : 0.0;
    }
    r.totalMs = MsSince(start);
    return r;
}

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// How far a millisecond sleep overshoots on this machine (timer slack and wake-up latency).
double SleepOvershootMs(int milliseconds, int samples) {
    std::vector<double> over;
    for (int i = 0; i < samples; ++i) {
        const auto start = Clock::now();
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
        over.push_back(MsSince(start) - milliseconds);
    }
    return Median(over);
}

void PrintDistribution(const RunResult& r) {
    std::vector<double> v = r.perExchange;
    std::sort(v.begin(), v.end());
    if (v.empty()) return;
    std::printf("  per exchange: min %.3f  median %.3f  p95 %.3f  max %.3f ms\n", v.front(),
                v[v.size() / 2], v[v.size() * 95 / 100], v.back());
}

void PrintBreakdown(const TimingPort& timing, int count, double totalMs, double pausesMs) {
    double inPort = 0;
    std::printf("  time inside the port, per exchange:\n");
    for (int op = 0; op < TimingPort::OpCount; ++op) {
        if (timing.calls[op] == 0) continue;
        inPort += timing.ms[op];
        std::printf("    %-20s %8.3f ms  (%ld calls)\n", TimingPort::Names[op],
                    timing.ms[op] / count, timing.calls[op]);
    }
    std::printf("    %-20s %8.3f ms  (sleeps, RTS lead and lag, the core itself)\n",
                "outside the port", (totalMs - inPort) / count);
    std::printf("    %-20s %8.3f ms  (outside the port beyond the mandated pauses)\n",
                "of which extra", (totalMs - inPort - pausesMs) / count);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    zyl::bench::BenchArguments args;
    if (!zyl::bench::ParseBenchArguments(argc, argv, "bench_link", "[--count N] [--sim PATH]", args,
                                         false, {}, {"--count"}))
        return 2;
    const int count =
        args.values.count("--count") ? std::atoi(args.values["--count"].c_str()) : 200;
    if (count <= 0) return 2;

    constexpr int baud = 19200;
    const auto simulator = zyl::bench::StartSimulator("bench_link", args.sim,
                                                      {"--baud", QString::number(baud), "--quiet"});
    if (!simulator) return 1;

    zyl::QtSerialPort port({{1, simulator->Device()}});
    TimingPort timing(port);
    zyl::TFkomunikacja link(timing);
    link.SetTuning(zyl::LinkTuning{});
    link.ApplyTimeoutConstant();

    std::vector<Request> requests;
    for (int g = 0; g < 6; ++g) {
        requests.push_back({zyl::BuildFrame(1, zyl::FrameKind::Status), 64});
        const std::uint8_t group = static_cast<std::uint8_t>(g);
        requests.push_back(
            {zyl::BuildFrame(1, zyl::FrameKind::Direct, 'F', 0x0C, std::span(&group, 1)), 252});
    }

    // The first exchange opens the port; it is not measured.
    Run(link, requests, 1, baud, true);
    std::printf("bench_link: %d exchanges, status (%zu -> %zu bytes) and relay group (%zu -> "
                "%zu bytes) alternating, %d baud\n",
                count, requests[0].frame.size(), requests[0].replyLength, requests[1].frame.size(),
                requests[1].replyLength, baud);
    std::printf("RTS: %s, IleSleep %d ms; every exchange sleeps 10 ms first\n",
                link.AutomaticRts() ? "automatic" : "manual", link.Tuning().IleSleep);

    timing.Reset();
    const RunResult paced = Run(link, requests, count, baud, true);
    std::printf("\npacing on:\n");
    std::printf("  measured %.1f ms, floor %.1f ms, ratio %.4f\n", paced.totalMs, paced.floorMs,
                paced.totalMs / paced.floorMs);
    std::printf("  (floor without the request bytes, which a pty does not pace: %.1f ms, "
                "ratio %.4f)\n",
                paced.pausesMs + paced.replyLineMs,
                paced.totalMs / (paced.pausesMs + paced.replyLineMs));
    std::printf("  failed exchanges: %d\n", paced.failures);
    PrintDistribution(paced);
    PrintBreakdown(timing, count, paced.totalMs, paced.pausesMs);

    if (!simulator->Command("pacing off")) {
        std::fprintf(stderr, "bench_link: the simulator refused pacing off\n");
        return 1;
    }
    timing.Reset();
    const RunResult fast = Run(link, requests, count, baud, false);
    std::printf("\npacing off:\n");
    const double mandated = fast.pausesMs / count;
    std::printf("  measured %.1f ms, mandated pauses %.1f ms\n", fast.totalMs, fast.pausesMs);
    std::printf(
        "  overhead per exchange beyond the mandated pauses: mean %.3f ms, median %.3f ms\n",
        (fast.totalMs - fast.pausesMs) / count, Median(fast.perExchange) - mandated);
    std::printf("  failed exchanges: %d\n", fast.failures);
    PrintDistribution(fast);
    PrintBreakdown(timing, count, fast.totalMs, fast.pausesMs);
    std::printf("  sleep overshoot on this machine (median of 50): sleep_for(10) %.3f ms, "
                "sleep_for(%d) %.3f ms\n",
                SleepOvershootMs(10, 50), link.Tuning().IleSleep,
                SleepOvershootMs(link.Tuning().IleSleep, 50));
    return paced.failures + fast.failures == 0 ? 0 : 1;
}
