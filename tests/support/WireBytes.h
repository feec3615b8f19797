#pragma once

// Byte strings for tests that pin frames: from and to "01 46 0A" hex text, and with the
// frame checksum appended.

#include "link/Frame.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

namespace zyl::test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes FromHex(const char* hex) {
    const QByteArray b = QByteArray::fromHex(QByteArray(hex).replace(' ', ""));
    return Bytes(b.begin(), b.end());
}

// Upper-case hexadecimal pairs separated by blanks.
inline QString ToHex(const Bytes& bytes) {
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()))
            .toHex(' ')
            .toUpper());
}

inline Bytes WithChecksum(Bytes frame) {
    AppendChecksum(frame);
    return frame;
}

} // namespace zyl::test
