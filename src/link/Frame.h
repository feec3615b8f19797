#pragma once

// Request frames and their checksum.
//
//   0 address | 1 outer letter | 2 outer code | 3-4 total length (big-endian)
//   [5 inner letter | 6 inner code | 7-8 inner length | payload] | checksum, low byte first

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace zyl {

// CRC-16 with polynomial 0xA001 (reflected 0x8005), initial value 0xFFFF, no final XOR.
// Count 0 gives 0xFFFF.
[[nodiscard]] std::uint16_t FrameChecksum(std::span<const std::uint8_t> bytes);

enum class FrameKind {
    Direct,        // 'F' 0x08, carries an inner command
    ModuleSubmit,  // 'G' 0x09, carries an inner command
    ModuleCollect, // 'F' 0x09, no inner command
    Status,        // 'F' 0x00, no inner command
};

// Builds a complete frame; letter, code and payload are ignored for the kinds without an
// inner command.
[[nodiscard]] std::vector<std::uint8_t> BuildFrame(std::uint8_t address, FrameKind kind,
                                                   std::uint8_t letter = 0, std::uint8_t code = 0,
                                                   std::span<const std::uint8_t> payload = {});

// Appends the checksum of everything in the buffer, low byte first.
void AppendChecksum(std::vector<std::uint8_t>& frame);

// True when the last two bytes are the checksum of the ones before (second-last low).
[[nodiscard]] bool ChecksumMatches(std::span<const std::uint8_t> frame);

} // namespace zyl
