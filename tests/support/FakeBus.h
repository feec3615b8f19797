#pragma once

// Controllers behind a scripted port, for the scan's tests: each answers only at its address
// and while the port runs at its rate, the panel-info and setup reads directly, and the
// status request, the submit and the collect of the communication module. Anything else
// goes unanswered. A controller's replies can be damaged to stand for a noisy line.

#include "support/FakeSerialPort.h"
#include "support/WireBytes.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace zyl::test {

struct FakeController {
    enum class Damage { None, BadChecksum, ForeignAddress, Short };

    int address = 1;
    int baud = 19200;
    int version = 501;
    bool answersSetup = true; // the setup read and its collect
    Damage damage = Damage::None;
};

class FakeBus {
public:
    std::vector<FakeController> controllers;
    // The port's read-timeout constant and baud rate at each request it was sent.
    struct Request {
        Bytes frame;
        int baud;
        int timeoutConstant;
    };
    std::vector<Request> requests;

    // Answers the port's requests from now on.
    void Attach(FakeSerialPort& port) {
        port.respond = [this, &port](const Bytes& request) {
            requests.push_back({request, port.Baud(), port.readTimeoutConstant});
            return Respond(port.Baud(), request);
        };
    }

    // Requests for one address, at one rate.
    [[nodiscard]] int CountTo(int address, int baud) const {
        int n = 0;
        for (const Request& r : requests)
            if (!r.frame.empty() && r.frame[0] == address && r.baud == baud) ++n;
        return n;
    }

private:
    Bytes Respond(int baud, const Bytes& request) {
        if (request.size() < 7) return {};
        FakeController* c = Find(request[0], baud);
        if (!c) return {};
        const std::uint8_t outer = request[1], kind = request[2];
        const bool inner = request.size() >= 11;
        if (outer == 'F' && kind == 0x08 && inner) return Damaged(*c, Answer(*c, request));
        if (outer == 'F' && kind == 0x00) return Damaged(*c, Status(*c));
        if (outer == 'G' && kind == 0x09 && inner) {
            pending_ = Answer(*c, request);
            pendingFrom_ = c->address;
            return WithChecksum({std::uint8_t(c->address), 'G', 0x09, 0x00, 0x07});
        }
        if (outer == 'F' && kind == 0x09 && pendingFrom_ == c->address) return pending_;
        return {};
    }

    FakeController* Find(int address, int baud) {
        for (FakeController& c : controllers)
            if (c.address == address && c.baud == baud) return &c;
        return nullptr;
    }

    static Bytes Read(const FakeController& c, std::uint8_t letter, std::uint8_t code,
                      const Bytes& data) {
        const std::size_t total = 9 + data.size() + 2;
        Bytes r = {std::uint8_t(c.address), 'F',    0x08, std::uint8_t(total >> 8),
                   std::uint8_t(total),     letter, code, std::uint8_t((total - 7) >> 8),
                   std::uint8_t(total - 7)};
        r.insert(r.end(), data.begin(), data.end());
        return WithChecksum(r);
    }

    static Bytes Answer(const FakeController& c, const Bytes& request) {
        const std::uint8_t letter = request[5], code = request[6];
        if (letter == 'D' && code == 0x20) return Read(c, letter, code, {0x01, 0x00, 1, 2, 3, 4});
        if (letter == 'F' && code == 0x0A && c.answersSetup) {
            Bytes words(200, 0);
            words[198] = std::uint8_t(c.version >> 8);
            words[199] = std::uint8_t(c.version);
            return Read(c, letter, code, words);
        }
        return {};
    }

    static Bytes Status(const FakeController& c) {
        Bytes r(62, 0);
        r[0] = std::uint8_t(c.address);
        r[1] = 'F';
        r[4] = 0x40;
        r[61] = 1; // the panel is ready
        return WithChecksum(r);
    }

    static Bytes Damaged(const FakeController& c, Bytes reply) {
        if (reply.empty()) return reply;
        switch (c.damage) {
        case FakeController::Damage::None:
            break;
        case FakeController::Damage::BadChecksum:
            reply.back() ^= 0xFF;
            break;
        case FakeController::Damage::ForeignAddress:
            reply.pop_back();
            reply.pop_back();
            reply[0] = std::uint8_t(c.address + 1);
            AppendChecksum(reply);
            break;
        case FakeController::Damage::Short:
            reply.pop_back();
            break;
        }
        return reply;
    }

    Bytes pending_;
    int pendingFrom_ = -1;
};

} // namespace zyl::test
