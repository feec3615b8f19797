#pragma once

// zyl200-sim as a child process of one test. The simulator is found through the environment
// variable ZYL_SIM. Its pty path is the first line it prints; its control socket lies in a
// temporary folder owned by this object. The destructor always stops the simulator (SIGTERM,
// then SIGKILL), and --stdin-quit ends it as well should the test process die first.

#include <QByteArray>
#include <QElapsedTimer>
#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace zyl::test {

class SimProcess {
public:
    explicit SimProcess(const QStringList& options = {}) {
        const QString program = qEnvironmentVariable("ZYL_SIM");
        if (program.isEmpty()) {
            error_ = "ZYL_SIM is not set";
            return;
        }
        if (!dir_.isValid()) {
            error_ = "no temporary folder";
            return;
        }
        controlPath_ = dir_.filePath("sim.sock");
        process_.setProgram(program);
        process_.setArguments(QStringList(options)
                              << "--control" << controlPath_ << "--stdin-quit");
        // Its complaints go straight to the test's log, so a full pipe never stalls it.
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start();
        if (!process_.waitForStarted(5000)) {
            error_ = "cannot start " + program + ": " + process_.errorString();
            return;
        }
        QElapsedTimer timer;
        timer.start();
        while (!process_.canReadLine() && timer.elapsed() < 5000 &&
               process_.state() == QProcess::Running)
            process_.waitForReadyRead(50);
        ptyPath_ = QString::fromLocal8Bit(process_.readLine()).trimmed();
        if (ptyPath_.isEmpty()) {
            error_ = "no pty path from the simulator";
            return;
        }
        // The control socket is opened after the pty path is printed.
        if (!Connect()) error_ = "no control socket at " + controlPath_;
    }

    ~SimProcess() { Stop(); }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    [[nodiscard]] bool IsRunning() const { return process_.state() == QProcess::Running; }
    // Empty when the simulator is up; otherwise why it is not.
    [[nodiscard]] const QString& Error() const { return error_; }
    [[nodiscard]] const QString& PtyPath() const { return ptyPath_; }
    [[nodiscard]] std::string Device() const { return ptyPath_.toStdString(); }
    [[nodiscard]] const QString& ControlPath() const { return controlPath_; }

    // Sends one control line; returns the answer's lines before its closing line. ok tells
    // whether that closing line was "ok" (false for "error ..." or no answer in time).
    QStringList Control(const QString& line, bool* ok = nullptr) {
        if (ok) *ok = false;
        QStringList lines;
        if (fd_ < 0 && !Connect()) return lines;
        const QByteArray out = line.toUtf8() + '\n';
        if (::send(fd_, out.constData(), static_cast<size_t>(out.size()), MSG_NOSIGNAL) !=
            out.size()) {
            Disconnect();
            return lines;
        }
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < ControlTimeoutMs) {
            qsizetype nl;
            while ((nl = input_.indexOf('\n')) >= 0) {
                const QString text = QString::fromUtf8(input_.left(nl)).trimmed();
                input_.remove(0, nl + 1);
                if (text == "ok") {
                    if (ok) *ok = true;
                    return lines;
                }
                if (text.startsWith("error")) {
                    lines << text;
                    return lines;
                }
                lines << text;
            }
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0) continue;
            char buffer[8192];
            const ssize_t r = ::read(fd_, buffer, sizeof buffer);
            if (r <= 0) {
                Disconnect();
                return lines;
            }
            input_.append(buffer, r);
        }
        return lines;
    }

    // Convenience: true when the line was answered "ok".
    bool Command(const QString& line) {
        bool ok = false;
        Control(line, &ok);
        return ok;
    }

    // The counters of `stats`: "writes" -> 6, "command submit G0C" -> 6. Counters that were
    // never touched are absent from the map for per-command lines, so value() gives 0.
    QMap<QString, qint64> Stats() {
        QMap<QString, qint64> counters;
        for (const QString& line : Control("stats")) {
            const qsizetype space = line.lastIndexOf(' ');
            if (space <= 0) continue;
            bool number = false;
            const qint64 value = line.mid(space + 1).toLongLong(&number);
            if (number) counters.insert(line.left(space), value);
        }
        return counters;
    }

    // One block of `dump KEY`: its bytes in hex as the simulator stores them, and whether it
    // was written ("written") or is the sample ("sample"); empty when the key is unknown.
    struct Block {
        QString how;
        QByteArray hex;
    };
    Block Dump(const QString& key) {
        for (const QString& line : Control("dump " + key)) {
            const QStringList parts = line.split(' ');
            if (parts.size() == 3 && parts[0] == key) return {parts[1], parts[2].toLatin1()};
        }
        return {};
    }

    // The summary lines of `dump`: "mode" -> "2 run", "clock" -> "2030-01-02 03:04:05".
    QMap<QString, QString> Summary() {
        QMap<QString, QString> fields;
        for (const QString& line : Control("dump")) {
            const qsizetype space = line.indexOf(' ');
            if (space > 0) fields.insert(line.left(space), line.mid(space + 1));
        }
        return fields;
    }

    void Stop() {
        Disconnect();
        if (process_.state() != QProcess::NotRunning) {
            process_.terminate();
            if (!process_.waitForFinished(3000)) {
                process_.kill();
                process_.waitForFinished(3000);
            }
        }
    }

private:
    static constexpr int ControlTimeoutMs = 5000;

    bool Connect() {
        const QByteArray path = controlPath_.toLocal8Bit();
        sockaddr_un address{};
        if (path.isEmpty() || static_cast<size_t>(path.size()) >= sizeof address.sun_path)
            return false;
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()) + 1);
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < ControlTimeoutMs && process_.state() == QProcess::Running) {
            const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
            if (fd < 0) return false;
            if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
                fd_ = fd;
                input_.clear();
                return true;
            }
            ::close(fd);
            ::usleep(10000);
        }
        return false;
    }

    void Disconnect() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
        input_.clear();
    }

    QTemporaryDir dir_;
    QProcess process_;
    QString ptyPath_;
    QString controlPath_;
    QString error_;
    int fd_ = -1;
    QByteArray input_;
};

} // namespace zyl::test

// Starts a simulator named `sim` with the options, or fails the test with the reason.
#define ZYL_START_SIM(sim, ...)                                                                    \
    ::zyl::test::SimProcess sim{__VA_ARGS__};                                                      \
    QVERIFY2((sim).Error().isEmpty(), qPrintable((sim).Error()))
