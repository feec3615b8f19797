#pragma once

// Files a test makes and looks at, through Qt and apart from the core's own file code.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtTest>

namespace zyl::test {

// Replaces the file with the bytes; the test fails when it cannot.
inline void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

// The file's bytes, or "<missing>" when it cannot be read.
inline QByteArray ReadFileOrMissing(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return "<missing>";
    return f.readAll();
}

} // namespace zyl::test
