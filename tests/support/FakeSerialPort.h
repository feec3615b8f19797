#pragma once

// A scripted serial port: each written request is recorded, and each read returns the
// next scripted reply (or nothing). Open can be made to fail, RTS switching recorded.

#include "link/SerialPort.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace zyl::test {

class FakeSerialPort : public SerialPort {
public:
    // Replies handed out by Read, one per call; an empty reply means no answer.
    std::deque<std::vector<std::uint8_t>> replies;
    std::vector<std::vector<std::uint8_t>> written; // one entry per request
    std::vector<std::string> events;                // "open COM1 9600", "rts 1", "close"
    bool failOpen = false;
    bool failConfigure = false;
    bool driverRts = true;
    bool refuseAllBytes = false;
    int openCount = 0;
    int readTimeoutConstant = 0;
    std::vector<std::size_t> readRequests; // n of each Read call
    // When set, answers each request instead of the scripted replies.
    std::function<std::vector<std::uint8_t>(const std::vector<std::uint8_t>&)> respond;

    bool Open(const std::string& name, int baud) override {
        events.push_back("open " + name + " " + std::to_string(baud));
        if (failOpen) return false;
        open_ = true;
        name_ = name;
        baud_ = baud;
        ++openCount;
        return true;
    }
    void Close() override {
        events.push_back("close");
        open_ = false;
    }
    bool IsOpen() const override { return open_; }
    std::string Name() const override { return name_; }
    int Baud() const override { return baud_; }
    bool ApplyConfiguration() override { return !failConfigure; }
    bool DiscardBuffers() override { return true; }
    bool DriverTogglesRts() const override { return driverRts; }
    bool SetRts(bool on) override {
        events.push_back(on ? "rts 1" : "rts 0");
        return true;
    }
    long Write(std::span<const std::uint8_t> bytes) override {
        written.emplace_back(bytes.begin(), bytes.end());
        return static_cast<long>(bytes.size());
    }
    bool WriteByte(std::uint8_t byte) override {
        if (refuseAllBytes) return false;
        if (!inByteRequest_) {
            written.emplace_back();
            inByteRequest_ = true;
        }
        written.back().push_back(byte);
        return true;
    }
    void Drain() override { inByteRequest_ = false; }
    std::vector<std::uint8_t> Read(std::size_t n) override {
        inByteRequest_ = false;
        readRequests.push_back(n);
        if (respond) {
            auto reply = written.empty() ? std::vector<std::uint8_t>() : respond(written.back());
            if (reply.size() > n) reply.resize(n);
            return reply;
        }
        if (replies.empty()) return {};
        auto reply = std::move(replies.front());
        replies.pop_front();
        if (reply.size() > n) reply.resize(n);
        return reply;
    }
    void SetReadTimeoutConstant(int ms) override { readTimeoutConstant = ms; }

private:
    bool open_ = false;
    bool inByteRequest_ = false;
    std::string name_;
    int baud_ = 0;
};

} // namespace zyl::test
