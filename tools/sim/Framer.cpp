#include "sim/Framer.h"

#include <algorithm>

namespace zyl::sim {

bool RequestKindOf(std::uint8_t letter, std::uint8_t code, RequestKind& kind) {
    if (letter == 'F' && code == 0x08)
        kind = RequestKind::Direct;
    else if (letter == 'G' && code == 0x09)
        kind = RequestKind::Submit;
    else if (letter == 'F' && code == 0x09)
        kind = RequestKind::Collect;
    else if (letter == 'F' && code == 0x00)
        kind = RequestKind::Status;
    else
        return false;
    return true;
}

void Framer::Drop(std::size_t count) {
    count = std::min(count, buffer_.size());
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(count));
    dropped_ += count;
}

std::vector<Bytes> Framer::Feed(std::span<const std::uint8_t> bytes, Clock::time_point now) {
    std::vector<Bytes> frames;
    if (!buffer_.empty() && now - last_ >= gap_) Drop(buffer_.size());
    if (!bytes.empty()) last_ = now;
    buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
    if (buffer_.size() > MaxBuffer) Drop(buffer_.size() - MaxBuffer);

    for (;;) {
        if (buffer_.size() < 2) break;
        RequestKind kind{};
        if (buffer_[1] != 'F' && buffer_[1] != 'G') {
            Drop(1);
            continue;
        }
        if (buffer_.size() < 3) break;
        if (!RequestKindOf(buffer_[1], buffer_[2], kind)) {
            Drop(1);
            continue;
        }
        if (buffer_.size() < 5) break;
        const std::size_t total = Be16(buffer_, 3);
        const bool inner = kind == RequestKind::Direct || kind == RequestKind::Submit;
        const bool plausible = inner ? total >= 11 && total <= MaxFrame : total == 7;
        if (!plausible) {
            Drop(1);
            continue;
        }
        if (buffer_.size() < total) break;
        if (!CrcMatches(std::span(buffer_).first(total))) {
            Drop(1);
            continue;
        }
        frames.emplace_back(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(total));
        buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(total));
    }
    return frames;
}

} // namespace zyl::sim
