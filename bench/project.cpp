// bench_project: the whole project (all ten blocks, program version 501) written to zyl200-sim
// and read back with the comparison, through the same row engine the windows and zylctl run,
// on the Qt serial backend, the simulator pacing its replies at 19200 baud; directly and
// through the communication module. Each run is set against its floor, computed from what
// went over the line (a counting port under the link object):
//
//   line time    request and reply bytes x 11 bits / baud
//   pauses       10 ms before every exchange, the RTS lead and lag of a port without
//                driver-switched RTS (IleSleep each), and in module mode the 100 ms pause
//                each panel wait makes before its first poll (the simulator's panel is ready
//                50 ms after a submit, so the first poll finds it ready)
//
// A pseudo-terminal carries the PC's request bytes at once (only the simulator's replies are
// paced), so a run on it can undercut the line floor by the requests' line time; the floor it
// can reach, without that, is printed beside it, and the last line gives the ratio to it.
//
//   bench_project [--sim PATH] [--direct | --module]

#include "BenchSupport.h"
#include "link/QtSerialPort.h"
#include "support/RecordingHost.h"
#include "transfer/ProjectTransfer.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int Baud = 19200;
constexpr int PanelWaitPauseMs = 100;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Forwards to the real port; counts the exchanges and their bytes as they go over the line,
// and the time spent inside the port.
class CountingPort final : public zyl::SerialPort {
public:
    explicit CountingPort(zyl::SerialPort& port) : port_(port) {}

    template <class F> auto Timed(double& ms, F&& f, const char* op) {
        const auto start = Clock::now();
        if (lastOp_) {
            Gap& g = gaps[std::string(lastOp_) + " -> " + op];
            g.ms += std::chrono::duration<double, std::milli>(start - lastEnd_).count();
            ++g.count;
        }
        auto result = f();
        ms += MsSince(start);
        lastEnd_ = Clock::now();
        lastOp_ = op;
        return result;
    }
    // Each exchange writes its request and then reads its reply once.
    std::vector<std::uint8_t> Counted(std::vector<std::uint8_t> reply) {
        ++exchanges;
        if (request_.size() > 1 && request_[1] == 0x47) ++submits;
        requestBytes += long(request_.size());
        replyBytes += long(reply.size());
        request_.clear();
        return reply;
    }

    // The time between one port operation's end and the next one's start, by the pair.
    struct Gap {
        double ms = 0;
        long count = 0;
    };
    std::map<std::string, Gap> gaps;
    long exchanges = 0, submits = 0;
    long requestBytes = 0, replyBytes = 0;
    double readMs = 0, writeMs = 0, setupMs = 0; // waiting for replies; writing; configure+discard

    void Reset() {
        gaps.clear();
        lastOp_ = nullptr;
        exchanges = submits = requestBytes = replyBytes = 0;
        readMs = writeMs = setupMs = 0;
        request_.clear();
    }

    bool Open(const std::string& name, int baud) override { return port_.Open(name, baud); }
    void Close() override { port_.Close(); }
    bool IsOpen() const override { return port_.IsOpen(); }
    std::string Name() const override { return port_.Name(); }
    int Baud() const override { return port_.Baud(); }
    bool ApplyConfiguration() override {
        return Timed(
            setupMs, [&] { return port_.ApplyConfiguration(); }, "configure");
    }
    bool DiscardBuffers() override {
        return Timed(
            setupMs, [&] { return port_.DiscardBuffers(); }, "discard");
    }
    bool DriverTogglesRts() const override { return port_.DriverTogglesRts(); }
    bool SetRts(bool on) override {
        return Timed(
            writeMs, [&] { return port_.SetRts(on); }, on ? "RTS on" : "RTS off");
    }
    long Write(std::span<const std::uint8_t> bytes) override {
        request_.insert(request_.end(), bytes.begin(), bytes.end());
        return Timed(
            writeMs, [&] { return port_.Write(bytes); }, "write");
    }
    bool WriteByte(std::uint8_t byte) override {
        request_.push_back(byte);
        return Timed(
            writeMs, [&] { return port_.WriteByte(byte); }, "write byte");
    }
    void Drain() override {
        Timed(
            writeMs,
            [&] {
                port_.Drain();
                return 0;
            },
            "drain");
    }
    std::vector<std::uint8_t> Read(std::size_t n) override {
        return Counted(Timed(
            readMs, [&] { return port_.Read(n); }, "read"));
    }
    std::vector<std::uint8_t> ReadWhileIdle(std::size_t n,
                                            const std::function<bool()>& idle) override {
        return Counted(Timed(
            readMs, [&] { return port_.ReadWhileIdle(n, idle); }, "read"));
    }
    std::string ErrorText() const override { return port_.ErrorText(); }
    void SetReadTimeoutConstant(int milliseconds) override {
        port_.SetReadTimeoutConstant(milliseconds);
    }

private:
    zyl::SerialPort& port_;
    std::vector<std::uint8_t> request_;
    const char* lastOp_ = nullptr;
    Clock::time_point lastEnd_;
};

class SilentView final : public zyl::ProjectRunView {
public:
    void RowStarted(zyl::ProjectBlock, int) override {}
    void RowProgress(zyl::ProjectBlock, int) override {}
    void RowEnded(zyl::ProjectBlock, zyl::BlockEnd) override {}
};

// Every block filled with values that vary from record to record.
std::unique_ptr<zyl::Project> BenchProject() {
    auto p = std::make_unique<zyl::Project>();
    zyl::TProjectImage& m = p->image;
    for (int w = 1; w <= 97; ++w) m.Setup.Words[w] = std::int16_t(w * 13);
    m.Setup.Words[99] = 501;
    for (int i = 0; i < zyl::RelayCount; ++i) {
        m.Relays[i].Name.SetText("RELAY " + std::to_string(i + 1));
        m.Relays[i].TimeTa = 100 + i;
        m.Relays[i].Offset = i - 10;
    }
    for (int i = 0; i < zyl::ProcessCount; ++i) {
        m.Processes[i].Name.SetText("PROCESS " + std::to_string(i + 1));
        m.WashingProcesses[i].Name.SetText("WASH " + std::to_string(i + 1));
        m.Processes[i].StepPresets[i % 5] = std::int16_t(100 * i);
        m.Processes[i].RelayStates[i] = 1;
    }
    for (int i = 0; i < zyl::AlarmCount; ++i) {
        m.Alarms[i].Message.SetText("ALARM " + std::to_string(i + 1));
        m.Alarms[i].DelayTime = 60 * i;
    }
    for (int i = 0; i < zyl::SpecialStatusCount; ++i) m.SpecialStatuses[i].SwitchOffTime = 10 * i;
    zyl::SetFixedSpecialStatusNames(m);
    for (int i = 0; i < zyl::ProgramCount; ++i) {
        zyl::TProgramRecord& program = m.Programs[i];
        program.Name.SetText("PROGRAM " + std::to_string(i + 1));
        for (int k = 0; k < zyl::StepCount; ++k) {
            program.Steps[k].ProcessNumber = 1 + (i + k) % 16;
            program.Steps[k].Temperature = (i + k) % 200;
            program.Steps[k].Minutes = k;
            program.Steps[k].WorkTime = std::uint16_t(1000 + i);
        }
    }
    m.WashingProgram = m.Programs[0];
    zyl::SetWashingProgramName(m);
    zyl::SetWashingProgramNumber(m);
    for (int i = 0; i < zyl::AnalogOutputCount; ++i) {
        m.AnalogOutputs[i].Name.SetText("OUTPUT " + std::to_string(i + 1));
        m.AnalogOutputs[i].Value10V = 1000 * i;
    }
    for (int i = 0; i < zyl::PidCount; ++i) {
        p->pid[i].Gain = 1.5 + i;
        p->pid[i].TimeTi = 100 + i;
    }
    return p;
}

struct Figures {
    double ms = 0, lineFloorMs = 0, ptyFloorMs = 0;
};

Figures Report(const char* what, double ms, const CountingPort& c, int ileSleep) {
    const double msPerByte = 11.0 * 1000.0 / Baud;
    const double pauses =
        double(c.exchanges) * (10.0 + 2.0 * ileSleep) + double(c.submits) * PanelWaitPauseMs;
    const double requestLine = double(c.requestBytes) * msPerByte;
    const double replyLine = double(c.replyBytes) * msPerByte;
    Figures f{ms, pauses + requestLine + replyLine, pauses + replyLine};
    std::printf("  %s: %.0f ms, %ld exchanges (%ld submits), %ld bytes out, %ld bytes back\n", what,
                ms, c.exchanges, c.submits, c.requestBytes, c.replyBytes);
    std::printf("    pauses %.0f ms, request line time %.0f ms, reply line time %.0f ms\n", pauses,
                requestLine, replyLine);
    std::printf("    line floor %.0f ms: ratio %.4f\n", f.lineFloorMs, ms / f.lineFloorMs);
    std::printf("    floor a pty can reach (requests not paced) %.0f ms: ratio %.4f, %.1f ms "
                "above it (%.2f ms an exchange)\n",
                f.ptyFloorMs, ms / f.ptyFloorMs, ms - f.ptyFloorMs,
                (ms - f.ptyFloorMs) / double(std::max(1L, c.exchanges)));
    std::printf("    inside the port: waiting for replies %.0f ms, writing (RTS, bytes, drain) "
                "%.0f ms, configure and discard %.0f ms\n",
                c.readMs, c.writeMs, c.setupMs);
    std::printf(
        "    outside the port, between operations (mean; the mandated pause in brackets):\n");
    for (const auto& [pair, gap] : c.gaps) {
        if (gap.ms / double(gap.count) < 0.05 && gap.ms < 20) continue;
        std::printf("      %-26s %8.0f ms  %6ld x  %7.3f ms\n", pair.c_str(), gap.ms, gap.count,
                    gap.ms / double(gap.count));
    }
    return f;
}

bool AllOk(const zyl::ProjectRunResult& r) {
    return r.completed && std::all_of(r.ends.begin(), r.ends.end(),
                                      [](zyl::BlockEnd e) { return e == zyl::BlockEnd::Ok; });
}

// The write and the compared read in one mode; the worst ratio to the pty's floor.
double Run(const std::string& device, bool module, bool& ok) {
    zyl::QtSerialPort port({{1, device}});
    CountingPort counting(port);
    zyl::TFkomunikacja link(counting);
    zyl::test::RecordingHost host;
    zyl::AppSettings settings;
    settings.WaitForPanel = 2;
    link.SetTuning(settings.tuning);
    zyl::FixedLinkControls controls;
    controls.port = 0;
    controls.baud = 1;
    controls.address = 1;
    zyl::ControllerAccess access(link, host, controls, settings);
    access.moduleMode = module;
    access.ReadLinkSettings();
    const int ileSleep = link.AutomaticRts() ? 0 : link.Tuning().IleSleep;

    // The port opens on a first exchange outside the measurement.
    (void)access.ConnectionTest();

    std::printf("\n%s, RTS %s:\n", module ? "through the module" : "direct requests",
                link.AutomaticRts() ? "switched by the driver" : "switched by hand");
    SilentView view;
    auto project = BenchProject();
    counting.Reset();
    auto start = Clock::now();
    const zyl::ProjectRunResult written =
        zyl::WriteProject(access, *project, zyl::AllProjectBlocks, view);
    const Figures w = Report("write", MsSince(start), counting, ileSleep);

    counting.Reset();
    start = Clock::now();
    const zyl::ProjectRunResult compared =
        zyl::ReadProject(access, *project, zyl::AllProjectBlocks, true, view);
    const Figures r = Report("read and compare", MsSince(start), counting, ileSleep);

    const bool runOk = AllOk(written) && AllOk(compared);
    if (!runOk) {
        std::printf("  NOT ALL OK:");
        for (const zyl::ProjectBlock b : zyl::ProjectBlocks)
            std::printf(" %s=%s/%s", zyl::ProjectBlockName(b),
                        zyl::RowResultText(written.ends[std::size_t(zyl::RowOf(b))]),
                        zyl::RowResultText(compared.ends[std::size_t(zyl::RowOf(b))]));
        std::printf("\n");
    }
    ok = ok && runOk;
    return std::max(w.ms / w.ptyFloorMs, r.ms / r.ptyFloorMs);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    zyl::bench::BenchArguments args;
    if (!zyl::bench::ParseBenchArguments(argc, argv, "bench_project",
                                         "[--sim PATH] [--direct | --module]", args, true))
        return 2;
    const auto simulator = zyl::bench::StartSimulator("bench_project", args.sim,
                                                      {"--baud", QString::number(Baud), "--quiet"});
    if (!simulator) return 1;
    std::printf("bench_project: all ten blocks, program version 501, written and then read with "
                "the comparison, %d baud, replies paced by the simulator\n",
                Baud);
    bool ok = true;
    double worst = 0;
    if (args.direct) worst = std::max(worst, Run(simulator->Device(), false, ok));
    if (args.module) worst = std::max(worst, Run(simulator->Device(), true, ok));
    std::printf("\nratio %.4f (the slowest run against the floor a pty can reach)\n", worst);
    return ok ? 0 : 1;
}
