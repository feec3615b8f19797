#pragma once

// The simulator's end of the line: a pseudo-terminal whose slave side the PC opens as its
// serial port. Replies are paced to the baud rate (11 bits per byte: start, 8 data, 2 stop),
// because a pty delivers bytes at once. The settings the PC gives its port (tcsetattr on the
// slave side) are read back from the master side.

#include "sim/Bytes.h"
#include "sim/Engine.h"

#include <string>

namespace zyl::sim {

class PtyLine {
public:
    PtyLine() = default;
    ~PtyLine();
    PtyLine(const PtyLine&) = delete;
    PtyLine& operator=(const PtyLine&) = delete;

    // Opens the pty raw at 9600 8N1, as a port nobody has set up, keeping its slave side open
    // so the line never hangs up when the PC closes and reopens it. False with the reason in
    // error.
    bool Open(std::string& error);
    [[nodiscard]] const std::string& SlavePath() const { return slavePath_; }
    [[nodiscard]] int MasterFd() const { return master_; }

    // Appends whatever has arrived; false when the line failed.
    bool ReadAvailable(Bytes& bytes);
    // What the PC's port is set to now. Linux ptys keep the rate and the stop bits as set but
    // always report 8 data bits and no parity.
    [[nodiscard]] LineSettings Settings() const;
    // Sends a reply, paced to baud unless it is 0. Bytes the far end does not take within a
    // short time are lost, as on a real line.
    void Send(const Bytes& reply, int baud);

private:
    void WriteNow(const std::uint8_t* data, std::size_t count);

    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
};

} // namespace zyl::sim
