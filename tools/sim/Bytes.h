#pragma once

// Byte strings as they travel on the line, and the few encodings the simulator needs.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zyl::sim {

using Bytes = std::vector<std::uint8_t>;

// Two upper-case hexadecimal digits per byte, no separators.
[[nodiscard]] std::string ToHex(std::span<const std::uint8_t> bytes);

// Reads pairs of hexadecimal digits; blanks between them are ignored. Nothing on any other
// character or on an odd digit count.
[[nodiscard]] std::optional<Bytes> FromHex(std::string_view text);

void PutBe16(Bytes& out, unsigned value);
void PutBe32(Bytes& out, std::uint32_t value);
[[nodiscard]] unsigned Be16(std::span<const std::uint8_t> bytes, std::size_t offset);

// Appends text as exactly width bytes: cut, or padded with blanks.
void PutText(Bytes& out, std::string_view text, std::size_t width);

// Appends the frame checksum of everything in out, low byte first.
void AppendCrc(Bytes& out);

// True when the last two bytes are the checksum of the bytes before them.
[[nodiscard]] bool CrcMatches(std::span<const std::uint8_t> frame);

} // namespace zyl::sim
