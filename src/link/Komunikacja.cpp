#include "link/Komunikacja.h"

#include "core/Paths.h"
#include "link/Frame.h"

#include <chrono>
#include <ctime>
#include <fstream>
#include <thread>

namespace zyl {

std::string HexDump(std::span<const std::uint8_t> bytes) {
    static constexpr char Digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() * 3);
    for (std::uint8_t b : bytes) {
        text.push_back(Digits[b >> 4]);
        text.push_back(Digits[b & 0x0F]);
        text.push_back(' ');
    }
    return text;
}

void PreciseDelay(int milliseconds) {
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const auto span = std::chrono::duration<double, std::milli>(milliseconds);
    while (Clock::now() - start < span) {
    }
}

// The millisecond sleep of the exchange. The system's sleep overshoots by a fraction of a
// millisecond on every call; sleeping to just short of the deadline and spinning the rest
// keeps an exchange at its mandated length.
static void SleepMs(int milliseconds) {
    using Clock = std::chrono::steady_clock;
    if (milliseconds <= 0) return;
    const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
    const auto early = std::chrono::microseconds(400);
    if (std::chrono::milliseconds(milliseconds) > early)
        std::this_thread::sleep_until(deadline - early);
    while (Clock::now() < deadline) {
    }
}

std::string PortNameFor(TLinkParams params) {
    return "COM" + std::to_string(params.PortIndex + 1);
}

TFkomunikacja::TFkomunikacja(SerialPort& port) : port_(port), driverRts_(port.DriverTogglesRts()) {}

bool TFkomunikacja::Pause(int milliseconds) {
    cancelled_ = false;
    if (!waitHook_) {
        PreciseDelay(milliseconds);
        return true;
    }
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        const auto left = deadline - Clock::now();
        if (left <= Clock::duration::zero()) return true;
        std::this_thread::sleep_for(std::min<Clock::duration>(left, std::chrono::milliseconds(10)));
        if (!waitHook_()) {
            cancelled_ = true;
            return false;
        }
    }
}

std::string TFkomunikacja::CauseOf(int result, std::span<const std::uint8_t> request,
                                   std::span<const std::uint8_t> reply, std::size_t expectedLength,
                                   int baud) const {
    const std::string address = request.empty() ? "?" : std::to_string(request[0]);
    switch (result) {
    case LinkPortError: {
        const std::string why = port_.ErrorText();
        return why.empty() ? "the port " + port_.Name() + " cannot be used" : why;
    }
    case LinkIncompleteWrite:
        return "the request could not be written completely to " + port_.Name();
    case LinkWrongLength:
        return "replies of the wrong length (" + std::to_string(reply.size()) +
               " bytes instead of " + std::to_string(expectedLength) + ")";
    case LinkChecksumError:
        return "replies with a bad checksum (wrong baud rate or noise on the line)";
    case LinkNoReply:
        if (cancelled_) return "cancelled";
        return "no reply from address " + address + " at " + std::to_string(baud) + " baud";
    case LinkWrongAddress:
        return "a reply from another address (" + std::to_string(reply.empty() ? 0 : reply[0]) +
               " answered)";
    default:
        return {};
    }
}

void TFkomunikacja::ApplyTimeoutConstant() {
    port_.SetReadTimeoutConstant(tuning_.timeoutStand);
}

long TFkomunikacja::WriteRequest(std::span<const std::uint8_t> request) {
    if (AutomaticRts()) {
        const long written = port_.Write(request);
        return written < 0 ? 0 : written;
    }
    // Manual RTS: lead time, RTS up, one character at a time, lag time, RTS down.
    SleepMs(tuning_.IleSleep);
    bool portOk = port_.SetRts(true);
    long written = 0;
    for (std::uint8_t byte : request) {
        int refusals = 0;
        while (!port_.WriteByte(byte)) {
            if (++refusals >= 1000) break;
        }
        if (refusals >= 1000) break;
        ++written;
    }
    port_.Drain();
    if (tuning_.IleSleep > 0) PreciseDelay(tuning_.IleSleep);
    portOk = port_.SetRts(false) && portOk;
    return portOk ? written : -1;
}

int TFkomunikacja::ExchangeFrame(std::span<const std::uint8_t> request, std::size_t expectedLength,
                                 TLinkParams params, std::vector<std::uint8_t>& reply) {
    reply.clear();
    cancelled_ = false;
    SleepMs(10);
    if (expectedLength < 4) {
        failureCause_ = "a reply shorter than 4 bytes cannot be checked";
        return LinkExpectedTooShort;
    }

    const std::string name = PortNameFor(params);
    const int baud = BaudRateForCode(params.BaudCode);
    if (port_.IsOpen() && (port_.Name() != name || port_.Baud() != baud)) port_.Close();
    if (!port_.IsOpen()) {
        if (baud == 0 || !port_.Open(name, baud)) {
            failureCause_ = CauseOf(LinkPortError, request, reply, expectedLength, baud);
            return LinkPortError;
        }
        // Whether the driver switches RTS is known once the port is open.
        driverRts_ = port_.DriverTogglesRts();
    }

    int result = LinkOk;
    bool portFailed = !port_.ApplyConfiguration();
    portFailed = !port_.DiscardBuffers() || portFailed;

    const long written = WriteRequest(request);
    if (written < 0) {
        portFailed = true;
    } else if (static_cast<std::size_t>(written) != request.size()) {
        failureCause_ = CauseOf(LinkIncompleteWrite, request, reply, expectedLength, baud);
        return LinkIncompleteWrite;
    }

    const bool minusOffset = params.PortIndex >= 0 && params.PortIndex < 16 &&
                             tuning_.MinusOffset[static_cast<std::size_t>(params.PortIndex) + 1];
    const auto idle = [this] {
        if (!waitHook_ || waitHook_()) return true;
        cancelled_ = true;
        return false;
    };
    if (minusOffset) {
        reply = port_.ReadWhileIdle(expectedLength + 1, idle);
        if (reply.size() == expectedLength + 1 && reply.front() == 0x00) reply.erase(reply.begin());
    } else {
        reply = port_.ReadWhileIdle(expectedLength, idle);
    }

    if (reply.size() != expectedLength)
        result = reply.empty() ? LinkNoReply : LinkWrongLength;
    else if (!ChecksumMatches(reply))
        result = LinkChecksumError;
    else if (reply[0] != request[0])
        result = LinkWrongAddress;
    if (portFailed) result = LinkPortError;
    if (cancelled_ && result != LinkOk) result = LinkNoReply;
    if (result != LinkOk) failureCause_ = CauseOf(result, request, reply, expectedLength, baud);

    if (logEnabled_) LogExchange(request, reply, result);
    return result;
}

void TFkomunikacja::LogExchange(std::span<const std::uint8_t> request,
                                std::span<const std::uint8_t> reply, int result) const {
    try {
        std::ofstream log(AddPathSeparator(logFolder_) + "trans.txt",
                          std::ios::binary | std::ios::app);
        if (!log) return;
        const std::time_t now = std::time(nullptr);
        char stamp[64] = {};
        std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", std::localtime(&now));
        log << " \n" << stamp << "\n \n";
        log << "  M: " << HexDump(request) << "   [" << request.size() << "]\n";
        log << "  S: " << HexDump(reply) << "   [" << reply.size() << "] " << result << "\n";
        log.flush();
    } catch (...) {
        // A failing log never changes the exchange's result.
    }
}

} // namespace zyl
