#pragma once

// Byte helpers shared by the command tests: hexadecimal text to bytes and back, and the
// controller replies the fake port hands out.

#include "link/Frame.h"

#include <QByteArray>
#include <QMetaType>

#include <cstdint>
#include <span>
#include <vector>

namespace zyl::test {

using ByteVector = std::vector<std::uint8_t>;

inline QByteArray Hex(std::span<const std::uint8_t> bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qsizetype>(bytes.size()))
        .toHex(' ')
        .toUpper();
}

inline ByteVector Bytes(const QByteArray& hex) {
    const QByteArray b = QByteArray::fromHex(QByteArray(hex).replace(' ', ""));
    return ByteVector(b.begin(), b.end());
}

inline ByteVector Repeat(std::uint8_t byte, std::size_t count) {
    return ByteVector(count, byte);
}

inline ByteVector Concat(std::initializer_list<ByteVector> parts) {
    ByteVector all;
    for (const ByteVector& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

// A 7-byte module reply: address, two bytes, 00 07, checksum.
inline ByteVector ModuleReply(std::uint8_t b1, std::uint8_t b2, std::uint8_t address = 1) {
    ByteVector r{address, b1, b2, 0x00, 0x07};
    AppendChecksum(r);
    return r;
}

// A controller answer: a 9-byte header ('F' 0x08, the lengths, letter and code), the data and
// the checksum.
inline ByteVector Answer(const ByteVector& data, std::uint8_t address = 1,
                         std::uint8_t letter = 'F', std::uint8_t code = 0x00) {
    return BuildFrame(address, FrameKind::Direct, letter, code, data);
}

// An answer of `length` bytes in all whose data start with `first`.
inline ByteVector AnswerOfLength(std::size_t length, std::uint8_t first = 0,
                                 std::uint8_t address = 1) {
    ByteVector data(length - 11, 0);
    if (!data.empty()) data[0] = first;
    return Answer(data, address);
}

} // namespace zyl::test

Q_DECLARE_METATYPE(zyl::test::ByteVector)
