#include "sim/Bytes.h"

#include "link/Frame.h"

namespace zyl::sim {

namespace {

int Nibble(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

} // namespace

std::string ToHex(std::span<const std::uint8_t> bytes) {
    static constexpr char Digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (std::uint8_t b : bytes) {
        text.push_back(Digits[b >> 4]);
        text.push_back(Digits[b & 0x0F]);
    }
    return text;
}

std::optional<Bytes> FromHex(std::string_view text) {
    Bytes bytes;
    int high = -1;
    for (char c : text) {
        if (c == ' ' || c == '\t') {
            if (high >= 0) return std::nullopt;
            continue;
        }
        const int n = Nibble(c);
        if (n < 0) return std::nullopt;
        if (high < 0) {
            high = n;
        } else {
            bytes.push_back(static_cast<std::uint8_t>(high * 16 + n));
            high = -1;
        }
    }
    if (high >= 0) return std::nullopt;
    return bytes;
}

void PutBe16(Bytes& out, unsigned value) {
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
}

void PutBe32(Bytes& out, std::uint32_t value) {
    PutBe16(out, value >> 16);
    PutBe16(out, value & 0xFFFF);
}

unsigned Be16(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return (unsigned{bytes[offset]} << 8) | bytes[offset + 1];
}

void PutText(Bytes& out, std::string_view text, std::size_t width) {
    for (std::size_t i = 0; i < width; ++i)
        out.push_back(i < text.size() ? static_cast<std::uint8_t>(text[i]) : 0x20);
}

void AppendCrc(Bytes& out) {
    const std::uint16_t crc = FrameChecksum(out);
    out.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    out.push_back(static_cast<std::uint8_t>(crc >> 8));
}

bool CrcMatches(std::span<const std::uint8_t> frame) {
    if (frame.size() < 2) return false;
    const std::uint16_t crc = FrameChecksum(frame.first(frame.size() - 2));
    return frame[frame.size() - 2] == (crc & 0xFF) && frame[frame.size() - 1] == (crc >> 8);
}

} // namespace zyl::sim
