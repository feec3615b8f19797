// The frame checksum, the reply checksum test, the request frame builder and the hex dump of
// the transmission log, over bytes of any content and length.
//
// The whole input is a frame for the checksum checks. For BuildFrame its first four bytes are
// the address, the kind (modulo 4), the inner letter and code; the rest is the payload.

#include "FuzzSupport.h"

#include "link/Frame.h"
#include "link/Komunikacja.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace {

using namespace zyl;
using Bytes = std::span<const std::uint8_t>;

// This CRC has no final XOR, so a frame followed by its own checksum (low byte first) has
// checksum zero, and a frame matches exactly when its checksum is zero.
void Checksum(Bytes frame) {
    FUZZ_REQUIRE(ChecksumMatches(frame) == (frame.size() >= 2 && FrameChecksum(frame) == 0));

    std::vector<std::uint8_t> sealed(frame.begin(), frame.end());
    AppendChecksum(sealed);
    const std::uint16_t crc = FrameChecksum(frame);
    FUZZ_REQUIRE(sealed.size() == frame.size() + 2 && sealed[frame.size()] == (crc & 0xFF) &&
                 sealed[frame.size() + 1] == (crc >> 8));
    FUZZ_REQUIRE(FrameChecksum(sealed) == 0 && ChecksumMatches(sealed));

    // Every single-bit error is detected.
    const std::size_t bit =
        frame.empty() ? 0 : (frame[0] * 131u + frame.size()) % (8 * sealed.size());
    sealed[bit / 8] = static_cast<std::uint8_t>(sealed[bit / 8] ^ (1u << (bit % 8)));
    FUZZ_REQUIRE(!ChecksumMatches(sealed));
}

void Build(Bytes input) {
    if (input.size() < 4) return;
    const std::uint8_t address = input[0];
    const auto kind = static_cast<FrameKind>(input[1] % 4);
    const std::uint8_t letter = input[2];
    const std::uint8_t code = input[3];
    const Bytes payload = input.subspan(4);
    const std::vector<std::uint8_t> frame = BuildFrame(address, kind, letter, code, payload);

    static constexpr std::uint8_t Outer[4][2] = {
        {0x46, 0x08}, {0x47, 0x09}, {0x46, 0x09}, {0x46, 0x00}};
    const bool inner = kind == FrameKind::Direct || kind == FrameKind::ModuleSubmit;
    FUZZ_REQUIRE(frame.size() == (inner ? 9 + payload.size() + 2 : 7));
    FUZZ_REQUIRE(ChecksumMatches(frame));
    FUZZ_REQUIRE(frame[0] == address && frame[1] == Outer[input[1] % 4][0] &&
                 frame[2] == Outer[input[1] % 4][1]);
    FUZZ_REQUIRE(((frame[3] << 8) | frame[4]) == static_cast<int>(frame.size() & 0xFFFF));
    if (inner) {
        FUZZ_REQUIRE(frame[5] == letter && frame[6] == code);
        FUZZ_REQUIRE(std::equal(payload.begin(), payload.end(), frame.begin() + 9));
    }
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Two upper-case hexadecimal digits and a blank for every byte.
void Dump(Bytes bytes) {
    const std::string text = HexDump(bytes);
    FUZZ_REQUIRE(text.size() == 3 * bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const int high = HexDigit(text[3 * i]);
        const int low = HexDigit(text[3 * i + 1]);
        FUZZ_REQUIRE(high >= 0 && low >= 0 && text[3 * i + 2] == ' ');
        FUZZ_REQUIRE(high * 16 + low == bytes[i]);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The published check value of this CRC (CRC-16/MODBUS).
    const std::uint8_t check[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    FUZZ_REQUIRE(FrameChecksum(check) == 0x4B37);
    FUZZ_REQUIRE(FrameChecksum({}) == 0xFFFF);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Bytes input(data, size);
    Checksum(input);
    Build(input);
    Dump(input);
    return 0;
}
