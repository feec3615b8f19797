#pragma once

// Small helpers for the simulator's tests: hex byte strings and request frames built here,
// independently of the core's frame builder.

#include "link/Frame.h"
#include "sim/Bytes.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <initializer_list>

namespace simtest {

using zyl::sim::Bytes;

inline Bytes Hex(const char* text) {
    const QByteArray b = QByteArray::fromHex(QByteArray(text).replace(' ', ""));
    return Bytes(b.begin(), b.end());
}

inline QString HexText(const Bytes& bytes) {
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(bytes.data()),
                                          static_cast<qsizetype>(bytes.size()))
                                   .toHex(' ')
                                   .toUpper());
}

inline QByteArray ToQ(const Bytes& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qsizetype>(bytes.size()));
}

inline Bytes FromQ(const QByteArray& bytes) {
    return Bytes(bytes.begin(), bytes.end());
}

inline void Crc(Bytes& frame) {
    const std::uint16_t crc = zyl::FrameChecksum(frame);
    frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
}

inline bool CrcOk(const Bytes& frame) {
    if (frame.size() < 2) return false;
    const std::uint16_t crc = zyl::FrameChecksum(std::span(frame).first(frame.size() - 2));
    return frame[frame.size() - 2] == (crc & 0xFF) && frame[frame.size() - 1] == (crc >> 8);
}

// A frame with an inner command: outer 'F' 0x08 (direct) or 'G' 0x09 (module submit).
inline Bytes Request(std::uint8_t address, bool submit, std::uint8_t letter, std::uint8_t code,
                     const Bytes& payload = {}) {
    const std::size_t total = 11 + payload.size();
    Bytes f{address,
            static_cast<std::uint8_t>(submit ? 'G' : 'F'),
            static_cast<std::uint8_t>(submit ? 0x09 : 0x08),
            static_cast<std::uint8_t>(total >> 8),
            static_cast<std::uint8_t>(total & 0xFF),
            letter,
            code,
            static_cast<std::uint8_t>((total - 7) >> 8),
            static_cast<std::uint8_t>((total - 7) & 0xFF)};
    f.insert(f.end(), payload.begin(), payload.end());
    Crc(f);
    return f;
}

inline Bytes StatusRequest(std::uint8_t address) {
    Bytes f{address, 'F', 0x00, 0x00, 0x07};
    Crc(f);
    return f;
}

inline Bytes CollectRequest(std::uint8_t address) {
    Bytes f{address, 'F', 0x09, 0x00, 0x07};
    Crc(f);
    return f;
}

// n bytes that differ from block to block: seed, seed + 7, seed + 14, ...
inline Bytes Pattern(std::size_t n, std::uint8_t seed) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(seed + 7 * i);
    return b;
}

inline Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

} // namespace simtest
