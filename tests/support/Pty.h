#pragma once

// A pseudo-terminal held by a test. The program under test opens SlavePath() like a serial
// device; the test plays the far end through the master side. The pty is raw from the start
// and the test keeps its own slave descriptor open, so the line neither echoes, translates
// CR/LF nor hangs up when the program closes and reopens it.

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace zyl::test {

class Pty {
public:
    Pty() {
        termios raw{};
        cfmakeraw(&raw);
        raw.c_cflag |= CREAD | CLOCAL;
        cfsetspeed(&raw, B9600);
        if (openpty(&master_, &slave_, nullptr, &raw, nullptr) != 0) {
            master_ = slave_ = -1;
            return;
        }
        fcntl(master_, F_SETFD, FD_CLOEXEC);
        fcntl(slave_, F_SETFD, FD_CLOEXEC);
        fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
        char name[128] = {};
        if (ttyname_r(slave_, name, sizeof name) == 0) slavePath_ = name;
    }
    ~Pty() {
        if (master_ >= 0) ::close(master_);
        if (slave_ >= 0) ::close(slave_);
    }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    [[nodiscard]] bool IsOpen() const { return master_ >= 0 && !slavePath_.empty(); }
    [[nodiscard]] const std::string& SlavePath() const { return slavePath_; }
    [[nodiscard]] int MasterFd() const { return master_; }
    // The test's own slave descriptor: for tcgetattr on the line the program has set up.
    [[nodiscard]] int SlaveFd() const { return slave_; }

    // Sends the bytes to the program; false when they could not all go within the timeout.
    bool Write(std::span<const std::uint8_t> bytes, int timeoutMs = 1000) {
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t r = ::write(master_, bytes.data() + done, bytes.size() - done);
            if (r > 0) {
                done += static_cast<std::size_t>(r);
                continue;
            }
            if (r < 0 && errno != EAGAIN && errno != EINTR) return false;
            const int left = Left(deadline);
            if (left <= 0 || !Wait(POLLOUT, left)) return false;
        }
        return true;
    }

    // What the program sent: returns as soon as n bytes are in, or what arrived by the timeout.
    std::vector<std::uint8_t> Read(std::size_t n, int timeoutMs) {
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        std::vector<std::uint8_t> bytes;
        std::uint8_t buffer[512];
        while (bytes.size() < n) {
            const std::size_t want = std::min(sizeof buffer, n - bytes.size());
            const ssize_t r = ::read(master_, buffer, want);
            if (r > 0) {
                bytes.insert(bytes.end(), buffer, buffer + r);
                continue;
            }
            if (r == 0 || (errno != EAGAIN && errno != EINTR)) break;
            const int left = Left(deadline);
            if (left <= 0 || !Wait(POLLIN, left)) break;
        }
        return bytes;
    }

    // Everything the program sends until the line has been quiet for quietMs.
    std::vector<std::uint8_t> ReadUntilQuiet(int quietMs) {
        std::vector<std::uint8_t> bytes;
        for (;;) {
            const auto more = Read(4096, quietMs);
            if (more.empty()) return bytes;
            bytes.insert(bytes.end(), more.begin(), more.end());
        }
    }

private:
    using Clock = std::chrono::steady_clock;

    static int Left(Clock::time_point deadline) {
        return static_cast<int>(
            std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count());
    }
    bool Wait(short events, int timeoutMs) const {
        pollfd p{master_, events, 0};
        return ::poll(&p, 1, timeoutMs) > 0 && (p.revents & events) != 0;
    }

    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
};

} // namespace zyl::test
