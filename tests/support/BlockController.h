#pragma once

// A scripted controller and communication module for the block transfers, to answer a
// FakeSerialPort: it keeps each group a write sends as the item bytes it was sent, answers
// group reads with them (zero items before anything was written), answers module submits,
// collects and status requests, and can fall silent.

#include "support/WireBytes.h"

#include <functional>
#include <map>
#include <set>
#include <utility>

namespace zyl::test {

class BlockController {
public:
    // For a read command code: the size of its reply data after the group byte.
    std::map<int, std::size_t> readData;
    // Stored data per (read code, group); a write of code c stores under the read code
    // writeToRead[c] (the same code unless mapped).
    std::map<std::pair<int, int>, Bytes> stored;
    std::map<int, int> writeToRead;
    // Codes whose blocks move whole, without a group byte in the request or the reply.
    std::set<int> whole;
    int mode = 0;           // status byte 22: 2 or more is RUN
    bool panelReady = true; // status byte 61
    // Requests for which the controller gives no reply at all.
    std::function<bool(const Bytes& request)> silent;
    std::vector<Bytes> requests;

    Bytes operator()(const Bytes& req) {
        requests.push_back(req);
        if (silent && silent(req)) return {};
        if (req.size() == 7 && req[2] == 0x00) return Status();
        if (req.size() == 7) return lastAnswer_; // a collect
        if (req[1] == 0x47) {                    // a submit: answer at the collect
            Bytes direct = req;
            direct[1] = 0x46;
            direct[2] = 0x08;
            lastAnswer_ = Answer(direct);
            return WithChecksum({req[0], 0x47, 0x09, 0x00, 0x07});
        }
        return Answer(req);
    }

private:
    Bytes Status() const {
        Bytes r(62, 0);
        r[0] = 1;
        r[1] = 0x46;
        r[22] = std::uint8_t(mode);
        r[61] = panelReady ? 1 : 0;
        return WithChecksum(r);
    }

    Bytes Answer(const Bytes& req) {
        const int letter = req[5], code = req[6];
        const int readCode = writeToRead.count(code) ? writeToRead[code] : code;
        const bool grouped = !whole.count(readCode);
        const int group = grouped && req.size() > 11 ? req[9] : 0;
        if (letter == 0x46) {
            const std::size_t size = readData.count(code) ? readData[code] : 0;
            Bytes data = stored.count({code, group}) ? stored[{code, group}] : Bytes(size, 0);
            data.resize(size);
            const std::size_t total = 9 + (grouped ? 1 : 0) + size + 2;
            Bytes r = {req[0],
                       0x46,
                       0x08,
                       std::uint8_t(total >> 8),
                       std::uint8_t(total),
                       0x46,
                       std::uint8_t(code),
                       std::uint8_t((total - 7) >> 8),
                       std::uint8_t(total - 7)};
            if (grouped) r.push_back(std::uint8_t(group));
            r.insert(r.end(), data.begin(), data.end());
            return WithChecksum(r);
        }
        stored[{readCode, group}] = Bytes(req.begin() + (grouped ? 10 : 9), req.end() - 2);
        return WithChecksum({req[0], 0x46, 0x08, 0x00, 0x0B, 0x47, std::uint8_t(code), 0x00, 0x04});
    }

    Bytes lastAnswer_;
};

} // namespace zyl::test
