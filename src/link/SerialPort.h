#pragma once

// The seam under the transport: one serial port, opened by name and baud rate with 8 data
// bits, no parity, two stop bits and no flow control. Backends: Qt (real ports and
// pseudo-terminals) and a scripted fake in tests.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace zyl {

class SerialPort {
public:
    virtual ~SerialPort() = default;

    // Opens the port and applies 8N2, no flow control, DTR inactive, empty buffers.
    // False when the port cannot be opened or set up; the port then stays closed.
    [[nodiscard]] virtual bool Open(const std::string& name, int baud) = 0;
    virtual void Close() = 0;
    [[nodiscard]] virtual bool IsOpen() const = 0;
    [[nodiscard]] virtual std::string Name() const = 0;
    [[nodiscard]] virtual int Baud() const = 0;

    // Re-applies the fixed configuration (parity none). False on a port error.
    [[nodiscard]] virtual bool ApplyConfiguration() = 0;
    // Discards everything in the input and output buffers. False on a port error.
    [[nodiscard]] virtual bool DiscardBuffers() = 0;

    // True when the driver switches RTS by itself while it transmits (driver-toggled RTS).
    // A backend that learns this from the driver when the port opens reports what the last
    // open found, and before the first open what the platform is expected to offer.
    [[nodiscard]] virtual bool DriverTogglesRts() const = 0;
    // Raises or drops RTS by hand. A port without modem-control lines switches direction by
    // itself: that is not a failure and returns true. False only on a real port error.
    [[nodiscard]] virtual bool SetRts(bool on) = 0;

    // Writes the block; returns the number of bytes the port took (0..size), or -1 on error.
    [[nodiscard]] virtual long Write(std::span<const std::uint8_t> bytes) = 0;
    // Transmits one character; false when the port refused it.
    [[nodiscard]] virtual bool WriteByte(std::uint8_t byte) = 0;
    // Waits until every written byte has left the transmitter (used before dropping RTS).
    virtual void Drain() = 0;

    // Reads up to n bytes. Returns as soon as n bytes are in, or when n x 1 ms plus the
    // read-timeout constant have passed since the call began; a failing read returns what
    // had arrived.
    virtual std::vector<std::uint8_t> Read(std::size_t n) = 0;
    // The same read, calling idle at least every 10 ms while it waits; when idle returns false
    // the read ends at once with what had arrived. A backend that cannot wait in slices reads
    // as Read does.
    virtual std::vector<std::uint8_t> ReadWhileIdle(std::size_t n,
                                                    const std::function<bool()>& idle) {
        (void)idle;
        return Read(n);
    }
    // Why the last open failed or the port failed, in words; empty when unknown.
    [[nodiscard]] virtual std::string ErrorText() const { return {}; }
    virtual void SetReadTimeoutConstant(int milliseconds) = 0;
};

} // namespace zyl
