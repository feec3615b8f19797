#include "sim/PtyLine.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>
#include <utility>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace zyl::sim {

PtyLine::~PtyLine() {
    if (master_ >= 0) ::close(master_);
    if (slave_ >= 0) ::close(slave_);
}

namespace {

int Rate(speed_t speed) {
    static constexpr std::pair<speed_t, int> rates[] = {
        {B50, 50},         {B75, 75},         {B110, 110},       {B134, 134},
        {B150, 150},       {B200, 200},       {B300, 300},       {B600, 600},
        {B1200, 1200},     {B1800, 1800},     {B2400, 2400},     {B4800, 4800},
        {B9600, 9600},     {B19200, 19200},   {B38400, 38400},   {B57600, 57600},
        {B115200, 115200}, {B230400, 230400}, {B460800, 460800}, {B921600, 921600}};
    for (const auto& [code, rate] : rates)
        if (code == speed) return rate;
    return 0;
}

} // namespace

bool PtyLine::Open(std::string& error) {
    termios raw{};
    cfmakeraw(&raw);
    raw.c_cflag |= CREAD | CLOCAL;
    raw.c_cflag &= ~CSTOPB;
    cfsetspeed(&raw, B9600);
    if (openpty(&master_, &slave_, nullptr, &raw, nullptr) != 0) {
        error = std::string("openpty: ") + std::strerror(errno);
        master_ = slave_ = -1;
        return false;
    }
    fcntl(master_, F_SETFD, FD_CLOEXEC);
    fcntl(slave_, F_SETFD, FD_CLOEXEC);
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    char name[256] = {};
    if (ttyname_r(slave_, name, sizeof name) != 0) {
        error = std::string("ttyname: ") + std::strerror(errno);
        return false;
    }
    slavePath_ = name;
    return true;
}

bool PtyLine::ReadAvailable(Bytes& bytes) {
    std::uint8_t buffer[4096];
    for (;;) {
        const ssize_t r = ::read(master_, buffer, sizeof buffer);
        if (r > 0) {
            bytes.insert(bytes.end(), buffer, buffer + r);
            continue;
        }
        if (r < 0 && errno == EINTR) continue;
        if (r < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
        return false;
    }
}

void PtyLine::WriteNow(const std::uint8_t* data, std::size_t count) {
    while (count > 0) {
        const ssize_t w = ::write(master_, data, count);
        if (w > 0) {
            data += w;
            count -= static_cast<std::size_t>(w);
            continue;
        }
        if (w < 0 && errno == EINTR) continue;
        if (w < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd p{master_, POLLOUT, 0};
            if (::poll(&p, 1, 200) > 0) continue;
        }
        return;
    }
}

LineSettings PtyLine::Settings() const {
    termios t{};
    if (::tcgetattr(master_, &t) != 0) return {0, 0, Parity::None, 0};
    LineSettings line;
    line.baud = Rate(cfgetospeed(&t));
    switch (t.c_cflag & CSIZE) {
    case CS5:
        line.dataBits = 5;
        break;
    case CS6:
        line.dataBits = 6;
        break;
    case CS7:
        line.dataBits = 7;
        break;
    default:
        line.dataBits = 8;
        break;
    }
    if (!(t.c_cflag & PARENB))
        line.parity = Parity::None;
    else if (t.c_cflag & CMSPAR)
        line.parity = (t.c_cflag & PARODD) ? Parity::Mark : Parity::Space;
    else
        line.parity = (t.c_cflag & PARODD) ? Parity::Odd : Parity::Even;
    line.stopBits = (t.c_cflag & CSTOPB) ? 2 : 1;
    return line;
}

void PtyLine::Send(const Bytes& reply, int baud) {
    if (baud <= 0) {
        WriteNow(reply.data(), reply.size());
        return;
    }
    using Clock = std::chrono::steady_clock;
    const auto byteTime = std::chrono::nanoseconds(11'000'000'000LL / baud);
    const Clock::time_point start = Clock::now();
    std::size_t sent = 0;
    while (sent < reply.size()) {
        std::this_thread::sleep_until(start + byteTime * static_cast<long>(sent + 1));
        // A byte is handed over once its stop bits would have passed; after a late wake-up
        // every byte that is due goes at once.
        const auto due = static_cast<std::size_t>((Clock::now() - start) / byteTime);
        const std::size_t upTo = std::clamp(due, sent + 1, reply.size());
        WriteNow(reply.data() + sent, upTo - sent);
        sent = upTo;
    }
}

} // namespace zyl::sim
