#pragma once

// The serial port on QSerialPort: real ports and pseudo-terminals.
//
// Names: the core asks for "COM1".."COM16". The [Ports] overrides given at construction (or
// later through SetPorts) map them to devices (DeviceForPort); on Windows COMn is the port
// itself. A name that is not
// COMn (a device path such as /dev/ttyUSB0 or a pty) is opened as it stands.
//
// RTS: after every open the backend asks the driver to switch RTS while it transmits (Linux
// RS-485 mode through TIOCSRS485, Windows RTS_CONTROL_TOGGLE). DriverTogglesRts() reports
// what the last open found; before the first open it gives the platform's expectation
// (true on Windows, false elsewhere). While the driver owns RTS, SetRts leaves the line alone.
// A port without modem-control lines (ptys, many USB dongles) is not an error: setting DTR or
// RTS then succeeds and modemLinesMissing() records it.

#include "link/SerialPort.h"

#include <QSerialPort>

#include <functional>
#include <map>
#include <memory>
#include <string>

namespace zyl {

class QtSerialPort final : public SerialPort {
public:
    explicit QtSerialPort(std::map<int, std::string> ports = {});
    ~QtSerialPort() override;
    QtSerialPort(const QtSerialPort&) = delete;
    QtSerialPort& operator=(const QtSerialPort&) = delete;

    [[nodiscard]] bool Open(const std::string& name, int baud) override;
    void Close() override;
    [[nodiscard]] bool IsOpen() const override;
    // The name and baud rate last asked for, as the core gave them ("COM3", not the device).
    [[nodiscard]] std::string Name() const override { return name_; }
    [[nodiscard]] int Baud() const override { return baud_; }

    [[nodiscard]] bool ApplyConfiguration() override;
    [[nodiscard]] bool DiscardBuffers() override;

    [[nodiscard]] bool DriverTogglesRts() const override { return driverRts_; }
    [[nodiscard]] bool SetRts(bool on) override;

    // Waits up to n x 100 ms + 1000 ms for the block to reach the driver. Bytes that have not
    // gone by then are discarded, so a late request never follows its timeout onto the line.
    [[nodiscard]] long Write(std::span<const std::uint8_t> bytes) override;
    // Queues the character and pushes it to the driver; Drain() waits until it has left.
    [[nodiscard]] bool WriteByte(std::uint8_t byte) override;
    void Drain() override;

    std::vector<std::uint8_t> Read(std::size_t n) override;
    // Waits in slices of 10 ms, calling idle between them; ends early when idle says so.
    std::vector<std::uint8_t> ReadWhileIdle(std::size_t n,
                                            const std::function<bool()>& idle) override;
    // Why the last open failed, or how the port failed during a read.
    [[nodiscard]] std::string ErrorText() const override { return errorText_; }
    // Default 2000 ms until the transport sets its own.
    void SetReadTimeoutConstant(int milliseconds) override { readTimeoutConstant_ = milliseconds; }
    [[nodiscard]] int ReadTimeoutConstant() const { return readTimeoutConstant_; }

    // Replaces the [Ports] overrides. When the port is open under a name that now leads to
    // another device, it is closed, so that the next exchange opens the new one.
    void SetPorts(std::map<int, std::string> ports);
    [[nodiscard]] const std::map<int, std::string>& Ports() const { return ports_; }

    // The device the last Open resolved its name to.
    [[nodiscard]] const std::string& Device() const { return device_; }
    // True when the open port refused DTR or RTS as unsupported (no modem-control lines).
    [[nodiscard]] bool modemLinesMissing() const { return modemLinesMissing_; }

private:
    struct DriverRtsState;

    // "COM3 (/dev/ttyUSB0)", or the device alone when it was named directly.
    [[nodiscard]] std::string Where() const;
    // Why the device cannot be a serial port we may open (missing, a folder or file, no
    // permission with the group to join); empty when nothing speaks against it.
    [[nodiscard]] std::string WhyNotASerialDevice() const;
    [[nodiscard]] std::string DescribeOpenFailure() const;
    [[nodiscard]] std::string DescribePortError() const;

    // Interprets the result of setting DTR or RTS; an unsupported line counts as done.
    bool ModemLineSet(bool ok);
    bool EnableDriverRts();
    void RestoreDriverRts();

    QSerialPort port_;
    std::map<int, std::string> ports_;
    std::string name_;
    std::string device_;
    std::string errorText_;
    int baud_ = 0;
    int readTimeoutConstant_ = 2000;
    bool driverRts_;
    bool modemLinesMissing_ = false;
    std::unique_ptr<DriverRtsState> savedRts_; // the driver's RTS setup before we changed it
};

} // namespace zyl
