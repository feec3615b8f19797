#pragma once

// What the end-to-end tests share: the Qt serial backend and the link object opened on the
// simulator's pty, a controller access with a recording host, and a relay block whose every
// travelling field differs from relay to relay.

#include "SimProcess.h"
#include "core/AppContext.h"
#include "core/ControllerAccess.h"
#include "core/Settings.h"
#include "link/Komunikacja.h"
#include "link/QtSerialPort.h"
#include "project/Records.h"
#include "support/RecordingHost.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace zyl::test {

using Bytes = std::vector<std::uint8_t>;

// zylctl's link options for the simulator's pty at 19200 baud, with a short read timeout.
inline QStringList ZylctlLinkArgs(const SimProcess& sim, bool module, int timeoutMs = 100) {
    return {"--port",
            sim.PtyPath(),
            "--baud",
            "19200",
            "--timeout",
            QString::number(timeoutMs),
            module ? "--module" : "--direct"};
}

// A file's bytes; empty when it cannot be read.
inline QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// COM1 at 19200 baud; the device behind COM1 is the simulator's pty.
inline constexpr TLinkParams Com1At19200{0, 8};
inline constexpr std::uint8_t SimAddress = 1;
// Small enough that no test waits long on a timeout, large enough for a loaded machine.
inline constexpr int TestTimeoutStand = 150;

inline QByteArray HexOf(std::span<const std::uint8_t> bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qsizetype>(bytes.size()))
        .toHex()
        .toUpper();
}

// The serial port with COM1 mapped to the device, and the link object on it.
struct SimLink {
    explicit SimLink(const std::string& device, int timeoutStand = TestTimeoutStand)
        : port({{1, device}}), link(port) {
        LinkTuning tuning;
        tuning.timeoutStand = timeoutStand;
        link.SetTuning(tuning);
        link.ApplyTimeoutConstant();
    }
    void SetMinusOffset(bool on) {
        LinkTuning tuning = link.Tuning();
        tuning.MinusOffset[1] = on;
        link.SetTuning(tuning);
    }

    QtSerialPort port;
    TFkomunikacja link;
};

// A controller access as a window holds it: link settings COM1, 19200, address 1.
struct SimAccess {
    explicit SimAccess(const std::string& device, bool module, int waitForPanel = 2,
                       int timeoutStand = TestTimeoutStand)
        : line(device, timeoutStand), access(line.link, host, controls, settings) {
        controls.port = 0;
        controls.baud = 1;
        controls.address = SimAddress;
        settings.WaitForPanel = waitForPanel;
        settings.PytajOReset = true;
        settings.tuning = line.link.Tuning();
        access.moduleMode = module;
        access.ReadLinkSettings();
    }

    SimLink line;
    RecordingHost host;
    FixedLinkControls controls;
    AppSettings settings;
    ControllerAccess access;
};

// A host that lets the windows' events run while the link waits, as the program does; during
// runs at each of those moments when set.
struct LiveHost : RecordingHost {
    LiveHost() {
        onEvents = [this](RecordingHost&) {
            QCoreApplication::processEvents();
            if (during) during();
        };
    }
    std::function<void()> during;
};

// The program's shared state with COM1 on the simulator's pty at 19200, address 1.
struct SimContext {
    SimContext(const std::string& device, bool module) : port({{1, device}}) {
        ctx = std::make_unique<AppContext>(port, host);
        controls.port = 0;
        controls.baud = 1;
        controls.address = SimAddress;
        ctx->controls.target = &controls;
        ctx->settings.WaitForPanel = 2;
        ctx->settings.PytajOReset = true;
        LinkTuning tuning = ctx->link.Tuning();
        tuning.timeoutStand = TestTimeoutStand;
        ctx->link.SetTuning(tuning);
        ctx->link.ApplyTimeoutConstant();
        ctx->settings.tuning = tuning;
        ctx->access.moduleMode = module;
    }
    ~SimContext() { ctx->link.Close(); }

    QtSerialPort port;
    LiveHost host;
    FixedLinkControls controls;
    std::unique_ptr<AppContext> ctx;
};

// 32 relays whose travelling fields all differ, each within what its wire field carries:
// names of at most 14 characters, 16-bit types and times, tenths that survive x 100.
inline std::array<TRelayRecord, RelayCount> DistinctRelays() {
    std::array<TRelayRecord, RelayCount> relays{};
    for (int i = 0; i < RelayCount; ++i) {
        TRelayRecord& r = relays[static_cast<std::size_t>(i)];
        r.Number = i + 1;
        r.Name.SetText("PUMP-" + std::to_string(i + 1) + (i % 3 == 0 ? " HOT" : ""));
        r.TimeType = i % 6;
        r.TimeTa = 1000 + 37 * i;
        r.TimeTb = 65535 - 101 * i;
        r.RegulatorType = i % 7;
        r.MeasurementChannel = static_cast<std::uint8_t>(i % 10);
        r.SetValueSource = static_cast<std::uint8_t>((i * 5) % 19);
        r.Offset = -125 + 8 * i;
        r.RegulatorWindow = 255 - 7 * i;
        r.LowerHysteresis = 3 * i;
        r.UpperHysteresis = 254 - i;
    }
    return relays;
}

} // namespace zyl::test
