#pragma once

// A scripted controller for whole-project runs: the block controller of the block transfers,
// set up with every block's read size and a program version, which also keeps each program
// frame it is sent apart by program (the block controller keys its groups by part only), so a
// project written to it reads back as it was sent.

#include "support/BlockController.h"
#include "support/FakeSerialPort.h"

#include <map>
#include <utility>

namespace zyl::test {

class ProjectController {
public:
    static constexpr int SetupCode = 0x0A, StatusesCode = 0x0E, RelayCode = 0x0C, AnalogCode = 0x12,
                         PidCode = 0x38, AlarmCode = 0x0F, ProcessCode = 0x0D,
                         WashingProcessCode = 0x10, ParametersCode = 0x13, ProgramCode = 0x0B;

    // Version 501 and later: three frames a program of ten 20-byte steps per frame.
    explicit ProjectController(int version = 501) {
        blocks.whole = {SetupCode, StatusesCode};
        blocks.readData = {{SetupCode, 200},      {StatusesCode, 42},
                           {RelayCode, 240},      {AnalogCode, 245},
                           {PidCode, 245},        {AlarmCode, 264},
                           {ProcessCode, 152},    {WashingProcessCode, 152},
                           {ParametersCode, 160}, {ProgramCode, 15 + 10 * 20}};
        Bytes setup(200, 0);
        setup[198] = std::uint8_t(version >> 8);
        setup[199] = std::uint8_t(version);
        blocks.stored[{SetupCode, 0}] = setup;
    }

    // Answers every request the port is sent (direct requests only).
    void Attach(FakeSerialPort& port) {
        port.respond = [this](const Bytes& req) { return (*this)(req); };
    }

    Bytes operator()(const Bytes& req) {
        if (req.size() <= 11 || req[6] != ProgramCode) return blocks(req);
        const std::pair<int, int> part{req[9], req[10]}; // frame of the program, program
        if (req[5] == 'F')
            blocks.stored[{ProgramCode, part.first}] =
                programs.count(part) ? programs[part] : Bytes{};
        Bytes reply = blocks(req);
        if (req[5] == 'G' && !reply.empty())
            programs[part] = blocks.stored[{ProgramCode, part.first}];
        return reply;
    }

    BlockController blocks;
    std::map<std::pair<int, int>, Bytes> programs;
};

} // namespace zyl::test
