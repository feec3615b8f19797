#include "link/Frame.h"

#include <array>

namespace zyl {

namespace {

constexpr std::array<std::uint16_t, 256> MakeTable() {
    std::array<std::uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        std::uint16_t crc = static_cast<std::uint16_t>(i);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1u) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001u)
                             : static_cast<std::uint16_t>(crc >> 1);
        table[i] = crc;
    }
    return table;
}

constexpr auto CrcTable = MakeTable();

} // namespace

std::uint16_t FrameChecksum(std::span<const std::uint8_t> bytes) {
    std::uint16_t crc = 0xFFFF;
    for (std::uint8_t b : bytes)
        crc = static_cast<std::uint16_t>((crc >> 8) ^ CrcTable[(crc ^ b) & 0xFFu]);
    return crc;
}

void AppendChecksum(std::vector<std::uint8_t>& frame) {
    const std::uint16_t crc = FrameChecksum(frame);
    frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
}

bool ChecksumMatches(std::span<const std::uint8_t> frame) {
    if (frame.size() < 2) return false;
    const std::uint16_t crc = FrameChecksum(frame.first(frame.size() - 2));
    return frame[frame.size() - 2] == (crc & 0xFF) && frame[frame.size() - 1] == (crc >> 8);
}

std::vector<std::uint8_t> BuildFrame(std::uint8_t address, FrameKind kind, std::uint8_t letter,
                                     std::uint8_t code, std::span<const std::uint8_t> payload) {
    std::vector<std::uint8_t> frame;
    frame.reserve(11 + payload.size());
    frame.push_back(address);
    switch (kind) {
    case FrameKind::Direct:
        frame.insert(frame.end(), {0x46, 0x08});
        break;
    case FrameKind::ModuleSubmit:
        frame.insert(frame.end(), {0x47, 0x09});
        break;
    case FrameKind::ModuleCollect:
        frame.insert(frame.end(), {0x46, 0x09});
        break;
    case FrameKind::Status:
        frame.insert(frame.end(), {0x46, 0x00});
        break;
    }
    frame.insert(frame.end(), {0, 0});
    const bool inner = kind == FrameKind::Direct || kind == FrameKind::ModuleSubmit;
    if (inner) {
        frame.insert(frame.end(), {letter, code, 0, 0});
        frame.insert(frame.end(), payload.begin(), payload.end());
    }
    // Both lengths follow from the finished frame: total = bytes before checksum + 2,
    // inner = bytes before checksum - 5.
    const std::size_t body = frame.size();
    const std::size_t total = body + 2;
    frame[3] = static_cast<std::uint8_t>((total >> 8) & 0xFF);
    frame[4] = static_cast<std::uint8_t>(total & 0xFF);
    if (inner) {
        const std::size_t innerLength = body - 5;
        frame[7] = static_cast<std::uint8_t>((innerLength >> 8) & 0xFF);
        frame[8] = static_cast<std::uint8_t>(innerLength & 0xFF);
    }
    AppendChecksum(frame);
    return frame;
}

} // namespace zyl
