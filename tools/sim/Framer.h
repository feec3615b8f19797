#pragma once

// Cuts the byte stream from the line into request frames.
//
// A frame starts with address, outer letter and code ('F' 0x08, 'G' 0x09, 'F' 0x09 or
// 'F' 0x00) and its total length; it is complete when that many bytes are in and its
// checksum matches. Bytes that cannot start a frame, and the first byte of a frame whose
// checksum fails, are dropped one at a time, so the next good frame in the stream is found.
// A partial frame left when the line has been quiet for the gap is discarded.

#include "sim/Bytes.h"

#include <chrono>
#include <cstdint>
#include <span>
#include <vector>

namespace zyl::sim {

enum class RequestKind { Direct, Submit, Collect, Status };

// The kind named by outer letter and code; false for any other pair.
[[nodiscard]] bool RequestKindOf(std::uint8_t letter, std::uint8_t code, RequestKind& kind);

class Framer {
public:
    using Clock = std::chrono::steady_clock;

    // Longest frame taken: the largest request is 277 bytes.
    static constexpr std::size_t MaxFrame = 600;
    // Input kept while a frame is incomplete.
    static constexpr std::size_t MaxBuffer = 4096;

    explicit Framer(Clock::duration gap) : gap_(gap) {}

    // Takes the bytes that arrived at now; returns the complete frames found, in order.
    [[nodiscard]] std::vector<Bytes> Feed(std::span<const std::uint8_t> bytes,
                                          Clock::time_point now);

    void SetGap(Clock::duration gap) { gap_ = gap; }
    [[nodiscard]] Clock::duration Gap() const { return gap_; }
    [[nodiscard]] std::size_t Pending() const { return buffer_.size(); }
    // Bytes dropped so far (not part of any frame returned).
    [[nodiscard]] std::uint64_t Dropped() const { return dropped_; }

private:
    void Drop(std::size_t count);

    Clock::duration gap_;
    Bytes buffer_;
    Clock::time_point last_{};
    std::uint64_t dropped_ = 0;
};

} // namespace zyl::sim
