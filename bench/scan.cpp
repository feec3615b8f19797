// bench_scan: a full scan (addresses 0 to 247 at 9600 and 19200 baud) against zyl200-sim
// with one controller on the line, directly and through the module, compared with its floor:
// the sum of the silent addresses' read timeouts (reply length in ms plus the scan's
// constant). What lies above the floor is listed: the 10 ms every exchange waits first, the
// RTS lead and lag of a line without driver-switched RTS, and the answering controller's
// version read.
//
//   bench_scan [--sim PATH] [--direct | --module] [--automatic-rts]

#include "BenchSupport.h"
#include "core/ControllerScan.h"
#include "link/CommandCatalogue.h"
#include "link/Frame.h"
#include "link/QtSerialPort.h"
#include "support/RecordingHost.h"

#include <QCoreApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int ControllerAddress = 17;
constexpr int ControllerBaud = 19200;

// The read timeout of every silent attempt, added up.
double FloorMs(const zyl::ScanPlan& plan, bool module, bool drained) {
    const zyl::InnerRequest panelInfo = zyl::BuildReadPanelInfoRequest();
    const std::size_t request =
        module ? zyl::BuildFrame(0, zyl::FrameKind::Status).size()
               : zyl::BuildRequestFrame(panelInfo, zyl::Variant::Direct, 0).size();
    const std::size_t reply =
        module ? zyl::StatusReplyLength : zyl::ExpectedReplyLength(panelInfo, zyl::Variant::Direct);
    double floor = 0;
    for (int baud : plan.baudRates)
        for (int a = plan.firstAddress; a <= plan.lastAddress; ++a) {
            if (a == ControllerAddress && baud == ControllerBaud) continue;
            floor += double(reply) + zyl::ScanTimeoutConstant(baud, request, reply, drained);
        }
    return floor;
}

bool Run(const std::string& device, bool module, bool automaticRts) {
    zyl::QtSerialPort port({{1, device}});
    zyl::TFkomunikacja link(port);
    zyl::test::RecordingHost host;
    zyl::AppSettings settings;
    settings.tuning.TransmisjaNT = automaticRts;
    settings.WaitForPanel = 2;
    link.SetTuning(settings.tuning);
    zyl::FixedLinkControls controls;
    zyl::ControllerAccess access(link, host, controls, settings);
    access.moduleMode = module;

    const zyl::ScanPlan plan;
    const auto start = Clock::now();
    const zyl::ScanResult result = zyl::ScanForControllers(access, plan);
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();

    const int attempts = zyl::ScanAttemptCount(plan);
    const double floor = FloorMs(plan, module, !link.AutomaticRts());
    const int rts = link.AutomaticRts() ? 0 : link.Tuning().IleSleep;
    const double pauses = attempts * (10.0 + 2.0 * rts);
    std::printf("\n%s, RTS %s:\n", module ? "through the module" : "direct requests",
                link.AutomaticRts() ? "switched by the driver" : "switched by hand");
    std::printf("  found:");
    for (const zyl::FoundController& c : result.found)
        std::printf(" %d @ %d baud, version %s", c.address, c.baud,
                    c.version ? std::to_string(*c.version).c_str() : "-");
    std::printf("\n  %d attempts in %.0f ms (%.1f ms each)\n", attempts, ms, ms / attempts);
    std::printf("  floor (silent read timeouts): %.0f ms, ratio %.3f\n", floor, ms / floor);
    std::printf("  floor + the pauses of every exchange (10 ms, RTS lead and lag %d + %d ms): "
                "%.0f ms, ratio %.3f\n",
                rts, rts, floor + pauses, ms / (floor + pauses));
    return result.outcome == zyl::Outcome::Ok && result.found.size() == 1;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    zyl::bench::BenchArguments args;
    if (!zyl::bench::ParseBenchArguments(argc, argv, "bench_scan",
                                         "[--sim PATH] [--direct | --module] [--automatic-rts]",
                                         args, true, {"--automatic-rts"}))
        return 2;
    const bool automaticRts = args.flags.count("--automatic-rts") > 0;
    const auto simulator =
        zyl::bench::StartSimulator("bench_scan", args.sim,
                                   {"--address", QString::number(ControllerAddress), "--baud",
                                    QString::number(ControllerBaud), "--quiet"});
    if (!simulator) return 1;
    std::printf("bench_scan: addresses 0-247 at 9600 and 19200 baud, one controller (%d at %d "
                "baud); the scan's slack %d ms\n",
                ControllerAddress, ControllerBaud, zyl::ScanReplySlackMs);
    bool ok = true;
    if (args.direct) ok = Run(simulator->Device(), false, automaticRts) && ok;
    if (args.module) ok = Run(simulator->Device(), true, automaticRts) && ok;
    return ok ? 0 : 1;
}
