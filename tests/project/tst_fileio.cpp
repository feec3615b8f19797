// Reading and writing files: only regular files are read or replaced, reads are bounded,
// writes land whole or not at all, and every failure names the file and the reason.

#include "project/BlockFile.h"
#include "project/FileIO.h"
#include "project/Records.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace zyl;
using namespace zyl::test;

namespace {

std::string S(const QString& s) {
    return s.toStdString();
}

std::span<const std::byte> Bytes(const QByteArray& b) {
    return std::as_bytes(std::span(b.constData(), std::size_t(b.size())));
}

// A listening Unix socket at the path, closed with the holder.
struct SocketAt {
    int fd = -1;
    explicit SocketAt(const QString& path) {
        fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        const QByteArray p = QFile::encodeName(path);
        std::memcpy(addr.sun_path, p.constData(), std::size_t(p.size()));
        if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
            ::close(fd);
            fd = -1;
        }
    }
    ~SocketAt() {
        if (fd >= 0) ::close(fd);
    }
};

// Fails the rename number `failAt` (counted from 1) of the next write with EIO.
int renameCalls = 0;
int renameFailAt = 0;
int CountingRename(const char* from, const char* to) {
    if (++renameCalls == renameFailAt) {
        errno = EIO;
        return -1;
    }
    return std::rename(from, to);
}

QStringList Leftovers(const QString& folder, const QStringList& expected) {
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::System | QDir::Hidden);
    for (const QString& e : expected) names.removeAll(e);
    return names;
}

} // namespace

class TestFileIO : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { SetRenameFunctionForTesting(nullptr); }

    // Whatever stands at the target, only a regular file (or what a link names) is replaced.
    void writeTargets_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("written");
        QTest::addColumn<QString>("reason");
        QTest::newRow("new file") << "none" << true << "";
        QTest::newRow("regular file") << "regular" << true << "";
        QTest::newRow("link to a file") << "link" << true << "";
        QTest::newRow("link to a link to nothing yet") << "dangling" << true << "";
        QTest::newRow("fifo") << "fifo" << false << "not a regular file";
        QTest::newRow("socket") << "socket" << false << "not a regular file";
        QTest::newRow("directory") << "directory" << false << "Is a directory";
        QTest::newRow("missing folder") << "missing-folder" << false << "No such file or directory";
    }
    void writeTargets() {
        QFETCH(QString, kind);
        QFETCH(bool, written);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        QString path = dir.filePath("plant.rlz");
        const QString real = dir.filePath("real.rlz");
        std::unique_ptr<SocketAt> socket;
        if (kind == "regular") {
            WriteAll(path, "old");
            QVERIFY(::chmod(QFile::encodeName(path), 0640) == 0);
        } else if (kind == "link") {
            WriteAll(real, "old");
            QVERIFY(QFile::link("real.rlz", path));
        } else if (kind == "dangling") {
            QVERIFY(QFile::link("middle.rlz", path));
            QVERIFY(QFile::link("real.rlz", dir.filePath("middle.rlz")));
        } else if (kind == "fifo") {
            QVERIFY(::mkfifo(QFile::encodeName(path), 0600) == 0);
        } else if (kind == "socket") {
            socket = std::make_unique<SocketAt>(path);
            QVERIFY(socket->fd >= 0);
        } else if (kind == "directory") {
            QVERIFY(QDir(dir.path()).mkdir("plant.rlz"));
        } else if (kind == "missing-folder") {
            path = dir.filePath("missing/plant.rlz");
        }

        const QByteArray bytes(2944, 'n');
        const FileStatus checked = CheckWritable(S(path));
        const FileStatus status = WriteFileAtomically(S(path), Bytes(bytes));
        QCOMPARE(bool(status), written);
        QCOMPARE(bool(checked), written);
        if (!written) {
            QCOMPARE(QString::fromStdString(status.error), "cannot write " + path + ": " + reason);
            QCOMPARE(checked.error, status.error);
        }

        const QFileInfo info(path);
        if (kind == "regular") {
            QCOMPARE(ReadFileOrMissing(path), bytes);
            QCOMPARE(
                int(info.permissions() & (QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                          QFile::WriteGroup | QFile::ReadOther)),
                int(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
        } else if (kind == "link" || kind == "dangling") {
            // The link stays a link; the file it names holds the new bytes.
            QVERIFY(info.isSymLink());
            QCOMPARE(ReadFileOrMissing(real), bytes);
        } else if (kind == "fifo") {
            struct stat st {};
            QVERIFY(::lstat(QFile::encodeName(path), &st) == 0 && S_ISFIFO(st.st_mode));
        } else if (kind == "socket") {
            struct stat st {};
            QVERIFY(::lstat(QFile::encodeName(path), &st) == 0 && S_ISSOCK(st.st_mode));
        } else if (kind == "directory") {
            QVERIFY(info.isDir());
        }
        // No temporary is left behind.
        QCOMPARE(Leftovers(dir.path(), {"plant.rlz", "real.rlz", "middle.rlz"}), QStringList());
    }

    // Reads never wait, never take what is not a regular file, and stop after the buffer.
    void readSources_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("error"); // empty: read
        QTest::newRow("fifo with its writer open") << "fifo"
                                                   << "not a regular file";
        QTest::newRow("endless device") << "/dev/zero"
                                        << "not a regular file";
        QTest::newRow("directory") << "directory"
                                   << "Is a directory";
        QTest::newRow("missing") << "missing"
                                 << "No such file or directory";
        QTest::newRow("link to a file") << "link"
                                        << "";
        QTest::newRow("sparse file of 1 GiB") << "sparse"
                                              << "";
    }
    void readSources() {
        QFETCH(QString, source);
        QFETCH(QString, error);
        QTemporaryDir dir;
        QString path = dir.filePath("x.rlz");
        int writer = -1;
        if (source == "fifo") {
            QVERIFY(::mkfifo(QFile::encodeName(path), 0600) == 0);
            writer = ::open(QFile::encodeName(path), O_RDWR); // a writer that stays
            QVERIFY(writer >= 0);
        } else if (source.startsWith('/')) {
            path = source;
        } else if (source == "directory") {
            QVERIFY(QDir(dir.path()).mkdir("x.rlz"));
        } else if (source == "link") {
            WriteAll(dir.filePath("real"), QByteArray(100, 'r'));
            QVERIFY(QFile::link("real", path));
        } else if (source == "sparse") {
            WriteAll(path, "");
            QVERIFY(::truncate(QFile::encodeName(path), qint64(1) << 30) == 0);
        }
        std::array<std::byte, 64> buffer{};
        QElapsedTimer timer;
        timer.start();
        const FileRead read = ReadRegularFile(S(path), buffer);
        QVERIFY2(timer.elapsed() < 1000, "a read must never wait");
        if (writer >= 0) ::close(writer);
        QCOMPARE(QString::fromStdString(read.error),
                 error.isEmpty() ? QString() : "cannot read " + path + ": " + error);
        if (source == "link") {
            QCOMPARE(read.size, std::size_t(64));
            QVERIFY(read.more);
            QCOMPARE(read.fileSize, std::uint64_t(100));
        } else if (source == "sparse") {
            QCOMPARE(read.size, std::size_t(64));
            QVERIFY(read.more);
        } else {
            QCOMPARE(read.size, std::size_t(0));
        }
    }

    // A block file is taken in whole records, at most the block's own count.
    void blockFileRecords_data() {
        QTest::addColumn<int>("bytes");
        QTest::addColumn<int>("records");
        QTest::addColumn<bool>("beyond");
        QTest::addColumn<int>("partial");
        QTest::addColumn<bool>("whole");
        QTest::newRow("exactly 32 records") << 32 * 92 << 32 << false << 0 << true;
        QTest::newRow("10 records and half a record") << 10 * 92 + 46 << 10 << false << 46 << false;
        QTest::newRow("35 records") << 35 * 92 << 32 << true << 0 << false;
        QTest::newRow("32 records and one byte") << 32 * 92 + 1 << 32 << true << 0 << false;
        QTest::newRow("empty") << 0 << 0 << false << 0 << false;
        QTest::newRow("less than a record") << 91 << 0 << false << 91 << false;
    }
    void blockFileRecords() {
        QFETCH(int, bytes);
        QFETCH(int, records);
        QFETCH(bool, beyond);
        QFETCH(int, partial);
        QFETCH(bool, whole);
        QTemporaryDir dir;
        const QString path = dir.filePath("r.rlz");
        QByteArray contents;
        for (int i = 0; i < bytes; ++i) contents.append(char(1 + i / 92));
        WriteAll(path, contents);

        // The block sits between guards that must never change.
        struct Guarded {
            std::array<std::byte, 16> before;
            std::array<TRelayRecord, 32> relays;
            std::array<std::byte, 16> after;
        } g;
        std::memset(&g, 0xEE, sizeof g);
        const BlockFileRead read = ReadBlockFile<TRelayRecord>(S(path), g.relays);
        QVERIFY(read);
        QCOMPARE(read.records, records);
        QCOMPARE(read.beyond, beyond);
        QCOMPARE(read.partialBytes, partial);
        QCOMPARE(read.Whole(32), whole);
        QCOMPARE(read.fileSize, std::uint64_t(bytes));
        for (int r = 0; r < 32; ++r) {
            const auto* b = reinterpret_cast<const unsigned char*>(&g.relays[std::size_t(r)]);
            QCOMPARE(int(b[0]), r < records ? r + 1 : 0xEE);
            QCOMPARE(int(b[91]), r < records ? r + 1 : 0xEE);
        }
        for (std::byte b : g.before) QCOMPARE(int(b), 0xEE);
        for (std::byte b : g.after) QCOMPARE(int(b), 0xEE);
        if (!whole)
            QCOMPARE(QString::fromStdString(NotWholeBlockReason(
                         S(path), read, 32, sizeof(TRelayRecord), "relay record")),
                     path + " is " + QString::number(bytes) +
                         " bytes long, not the 2944 bytes of 32 relay records");
    }

    // Files written together are all new or all as they were, whichever rename fails.
    void groupWriteIsAllOrNone_data() {
        QTest::addColumn<int>("failAt");
        QTest::addColumn<bool>("pidExisted");
        QTest::newRow("first rename fails") << 1 << true;
        QTest::newRow("second rename fails") << 2 << true;
        QTest::newRow("third rename fails") << 3 << true;
        QTest::newRow("third fails, its file was new") << 3 << false;
        QTest::newRow("second fails, the third file was new") << 2 << false;
    }
    void groupWriteIsAllOrNone() {
        QFETCH(int, failAt);
        QFETCH(bool, pidExisted);
        QTemporaryDir dir;
        const QString main = dir.filePath("plant.zy2");
        WriteAll(main, "old main");
        WriteAll(main + "h", "old passwords");
        if (pidExisted) WriteAll(main + "pid", "old pid");
        const QByteArray newMain(100, 'M'), newH(50, 'H'), newPid(60, 'P');
        const FileToWrite files[] = {{S(main), Bytes(newMain)},
                                     {S(main + "h"), Bytes(newH)},
                                     {S(main + "pid"), Bytes(newPid)}};
        renameCalls = 0;
        renameFailAt = failAt;
        SetRenameFunctionForTesting(CountingRename);
        const FileStatus status = WriteFilesTogether(files);
        QVERIFY(!status);
        const QString failed = failAt == 1 ? main : failAt == 2 ? main + "h" : main + "pid";
        QCOMPARE(QString::fromStdString(status.error),
                 "cannot write " + failed + ": Input/output error");
        QCOMPARE(ReadFileOrMissing(main), QByteArray("old main"));
        QCOMPARE(ReadFileOrMissing(main + "h"), QByteArray("old passwords"));
        QCOMPARE(ReadFileOrMissing(main + "pid"), pidExisted ? QByteArray("old pid") : "<missing>");
        QCOMPARE(Leftovers(dir.path(), {"plant.zy2", "plant.zy2h", "plant.zy2pid"}), QStringList());

        // With renames working again the same call replaces all three.
        SetRenameFunctionForTesting(nullptr);
        QVERIFY(WriteFilesTogether(files));
        QCOMPARE(ReadFileOrMissing(main), newMain);
        QCOMPARE(ReadFileOrMissing(main + "h"), newH);
        QCOMPARE(ReadFileOrMissing(main + "pid"), newPid);
        QCOMPARE(Leftovers(dir.path(), {"plant.zy2", "plant.zy2h", "plant.zy2pid"}), QStringList());
    }

    // A group with one target that is not a regular file writes nothing at all.
    void groupWriteRefusesBeforeWriting() {
        QTemporaryDir dir;
        const QString main = dir.filePath("plant.zy2");
        WriteAll(main, "old main");
        QVERIFY(::mkfifo(QFile::encodeName(main + "pid"), 0600) == 0);
        const QByteArray bytes(10, 'n');
        const FileToWrite files[] = {{S(main), Bytes(bytes)}, {S(main + "pid"), Bytes(bytes)}};
        const FileStatus status = WriteFilesTogether(files);
        QCOMPARE(QString::fromStdString(status.error),
                 "cannot write " + main + "pid: not a regular file");
        QCOMPARE(ReadFileOrMissing(main), QByteArray("old main"));
        QCOMPARE(Leftovers(dir.path(), {"plant.zy2", "plant.zy2pid"}), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestFileIO)
#include "tst_fileio.moc"
