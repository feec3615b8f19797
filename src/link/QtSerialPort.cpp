#include "link/QtSerialPort.h"

#include "core/Settings.h"

#include <QDeadlineTimer>

#include <algorithm>
#include <climits>
#include <stdexcept>

#ifdef _WIN32
#define NOMINMAX
#include <windows.h>
#else
#include <cerrno>
#include <cstring>
#include <grp.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#endif
#ifdef __linux__
#include <linux/serial.h>
#include <sys/ioctl.h>
#endif

namespace zyl {

namespace {

#ifdef _WIN32
constexpr bool PlatformDriverRts = true;
#else
constexpr bool PlatformDriverRts = false;
#endif

constexpr qint64 ReadBufferSize = 4096;
constexpr int IdleSliceMs = 10;

qint64 WriteTimeout(qint64 bytes) {
    return bytes * 100 + 1000;
}

int Remaining(const QDeadlineTimer& deadline) {
    return static_cast<int>(std::clamp<qint64>(deadline.remainingTime(), 0, INT_MAX));
}

// Errors after which the port cannot be trusted; a timeout is not one of them.
bool IsPortFault(QSerialPort::SerialPortError error) {
    return error != QSerialPort::NoError && error != QSerialPort::TimeoutError;
}

} // namespace

#ifdef __linux__
struct QtSerialPort::DriverRtsState {
    serial_rs485 config{};
};
#else
struct QtSerialPort::DriverRtsState {};
#endif

QtSerialPort::QtSerialPort(std::map<int, std::string> ports)
    : ports_(std::move(ports)), driverRts_(PlatformDriverRts) {}

QtSerialPort::~QtSerialPort() {
    Close();
}

bool QtSerialPort::Open(const std::string& name, int baud) {
    Close();
    name_ = name;
    baud_ = baud;
    modemLinesMissing_ = false;
    driverRts_ = PlatformDriverRts;
    device_ = DeviceForPort(ports_, name);
    errorText_.clear();
    if (device_.empty() || baud <= 0) {
        errorText_ = "no device for " + name;
        return false;
    }
    if (std::string why = WhyNotASerialDevice(); !why.empty()) {
        errorText_ = why;
        return false;
    }

    port_.setPortName(QString::fromStdString(device_));
    port_.setReadBufferSize(ReadBufferSize);
    if (!port_.setBaudRate(baud) || !port_.setDataBits(QSerialPort::Data8) ||
        !port_.setParity(QSerialPort::NoParity) || !port_.setStopBits(QSerialPort::TwoStop) ||
        !port_.setFlowControl(QSerialPort::NoFlowControl) || !port_.open(QIODevice::ReadWrite)) {
        errorText_ = DescribeOpenFailure();
        port_.clearError();
        return false;
    }

    bool ok = ModemLineSet(port_.setDataTerminalReady(false));
    driverRts_ = EnableDriverRts();
    // Without driver control RTS rests inactive until a transmission raises it.
    if (ok && !driverRts_) ok = ModemLineSet(port_.setRequestToSend(false));
    ok = ok && port_.clear();
    if (!ok) {
        errorText_ = DescribePortError();
        Close();
        driverRts_ = PlatformDriverRts;
        return false;
    }
    return true;
}

void QtSerialPort::Close() {
    if (port_.isOpen()) {
        RestoreDriverRts();
        port_.close();
    }
    port_.clearError();
}

void QtSerialPort::SetPorts(std::map<int, std::string> ports) {
    ports_ = std::move(ports);
    if (port_.isOpen() && DeviceForPort(ports_, name_) != device_) Close();
}

bool QtSerialPort::IsOpen() const {
    return port_.isOpen();
}

bool QtSerialPort::ApplyConfiguration() {
    if (!port_.isOpen()) return false;
    bool ok = port_.setDataBits(QSerialPort::Data8) && port_.setParity(QSerialPort::NoParity) &&
              port_.setStopBits(QSerialPort::TwoStop) &&
              port_.setFlowControl(QSerialPort::NoFlowControl);
#ifdef _WIN32
    // Setting the flow control rewrites the RTS mode of the device control block.
    if (ok && driverRts_) ok = EnableDriverRts();
#endif
    return ok;
}

bool QtSerialPort::DiscardBuffers() {
    return port_.isOpen() && port_.clear();
}

bool QtSerialPort::ModemLineSet(bool ok) {
    if (ok) return true;
    if (port_.error() != QSerialPort::UnsupportedOperationError) return false;
    modemLinesMissing_ = true;
    port_.clearError();
    return true;
}

bool QtSerialPort::SetRts(bool on) {
    if (!port_.isOpen()) return false;
    // The driver owns RTS, or the line has none: nothing to switch.
    if (driverRts_ || modemLinesMissing_) return true;
    return ModemLineSet(port_.setRequestToSend(on));
}

long QtSerialPort::Write(std::span<const std::uint8_t> bytes) {
    if (!port_.isOpen()) return -1;
    if (bytes.empty()) return 0;
    port_.clearError();
    const qint64 queued =
        port_.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    if (queued < 0) return -1;
    QDeadlineTimer deadline(WriteTimeout(queued), Qt::PreciseTimer);
    while (port_.bytesToWrite() > 0 && !deadline.hasExpired()) {
        if (!port_.waitForBytesWritten(Remaining(deadline))) break;
    }
    const qint64 unsent = port_.bytesToWrite();
    if (unsent > 0) port_.clear(QSerialPort::Output);
    if (IsPortFault(port_.error())) return -1;
    return static_cast<long>(queued - unsent);
}

bool QtSerialPort::WriteByte(std::uint8_t byte) {
    if (!port_.isOpen()) return false;
    port_.clearError();
    // A character the driver has not taken yet makes the port busy: refuse, so that the
    // caller's next offer is the only copy of this one.
    if (port_.bytesToWrite() > 0 && (!port_.flush() || port_.bytesToWrite() > 0)) return false;
    if (!port_.putChar(static_cast<char>(byte))) return false;
    port_.flush();
    return true;
}

void QtSerialPort::Drain() {
    if (!port_.isOpen()) return;
    QDeadlineTimer deadline(WriteTimeout(port_.bytesToWrite()), Qt::PreciseTimer);
    while (port_.bytesToWrite() > 0 && !deadline.hasExpired()) {
        if (!port_.waitForBytesWritten(Remaining(deadline))) break;
    }
    // The driver has the bytes; wait until they have left the transmitter as well.
#ifdef _WIN32
    FlushFileBuffers(port_.handle());
#else
    tcdrain(port_.handle());
#endif
}

std::vector<std::uint8_t> QtSerialPort::Read(std::size_t n) {
    return ReadWhileIdle(n, {});
}

std::vector<std::uint8_t> QtSerialPort::ReadWhileIdle(std::size_t n,
                                                      const std::function<bool()>& idle) {
    std::vector<std::uint8_t> bytes;
    if (!port_.isOpen() || n == 0) return bytes;
    const qint64 wanted = static_cast<qint64>(n);
    QDeadlineTimer deadline(wanted + std::max(readTimeoutConstant_, 0), Qt::PreciseTimer);
    bytes.reserve(n);
    for (;;) {
        // Take what is buffered first: waitForReadyRead only wakes up for bytes still to come.
        const qint64 take = std::min(port_.bytesAvailable(), wanted - qint64(bytes.size()));
        if (take > 0) {
            const std::size_t had = bytes.size();
            bytes.resize(had + static_cast<std::size_t>(take));
            const qint64 got = port_.read(reinterpret_cast<char*>(bytes.data() + had), take);
            bytes.resize(had + static_cast<std::size_t>(std::max<qint64>(got, 0)));
            if (got < 0) break;
        }
        if (bytes.size() >= n || deadline.hasExpired()) break;
        // With an idle call the wait goes in slices, so that the caller can keep its window
        // alive and end the read.
        const int wait = idle ? std::min(Remaining(deadline), IdleSliceMs) : Remaining(deadline);
        if (!port_.waitForReadyRead(wait) && port_.bytesAvailable() == 0) {
            if (IsPortFault(port_.error())) {
                errorText_ = DescribePortError();
                break;
            }
            if (!idle || deadline.hasExpired()) break;
        }
        if (idle && !idle()) break;
    }
    port_.clearError();
    return bytes;
}

std::string QtSerialPort::Where() const {
    return name_ == device_ ? device_ : name_ + " (" + device_ + ")";
}

std::string QtSerialPort::DescribePortError() const {
    return "the port " + Where() + " failed: " + port_.errorString().toStdString();
}

#ifndef _WIN32

std::string QtSerialPort::WhyNotASerialDevice() const {
    struct stat st {};
    if (::stat(device_.c_str(), &st) != 0) {
        if (errno == ENOENT) return "the device " + Where() + " does not exist";
        return "the device " + Where() + " cannot be reached: " + std::strerror(errno);
    }
    if (S_ISDIR(st.st_mode)) return Where() + " is a folder, not a serial port";
    if (!S_ISCHR(st.st_mode)) return Where() + " is not a serial port";
    if (::access(device_.c_str(), R_OK | W_OK) != 0 && errno == EACCES) {
        std::string why = "permission denied on " + Where();
        if (const group* g = ::getgrgid(st.st_gid))
            why += " (the user must be in the group " + std::string(g->gr_name) +
                   " that owns the device)";
        return why;
    }
    return {};
}

std::string QtSerialPort::DescribeOpenFailure() const {
    switch (port_.error()) {
    case QSerialPort::DeviceNotFoundError:
        return "the device " + Where() + " does not exist";
    case QSerialPort::PermissionError:
        // The device may be opened (checked before): someone holds it.
        return "the port " + Where() + " is held by another program";
    case QSerialPort::UnsupportedOperationError:
        return Where() + " is not a serial port";
    default:
        return "the port " + Where() + " cannot be opened: " + port_.errorString().toStdString();
    }
}

#else

std::string QtSerialPort::WhyNotASerialDevice() const {
    return {};
}

std::string QtSerialPort::DescribeOpenFailure() const {
    switch (port_.error()) {
    case QSerialPort::DeviceNotFoundError:
        return "the port " + Where() + " does not exist";
    case QSerialPort::PermissionError:
        return "the port " + Where() + " is held by another program";
    default:
        return "the port " + Where() + " cannot be opened: " + port_.errorString().toStdString();
    }
}

#endif

#ifdef __linux__

bool QtSerialPort::EnableDriverRts() {
    const int fd = port_.handle();
    serial_rs485 before{};
    if (ioctl(fd, TIOCGRS485, &before) != 0) return false; // ENOTTY: the driver has no RS-485
    serial_rs485 wanted = before;
    wanted.flags |= SER_RS485_ENABLED | SER_RS485_RTS_ON_SEND;
    // RTS low between transmissions, and our own transmission is not received back.
    wanted.flags &= ~static_cast<__u32>(SER_RS485_RTS_AFTER_SEND | SER_RS485_RX_DURING_TX);
    serial_rs485 now{};
    if (ioctl(fd, TIOCSRS485, &wanted) != 0 || ioctl(fd, TIOCGRS485, &now) != 0 ||
        (now.flags & SER_RS485_ENABLED) == 0) {
        ioctl(fd, TIOCSRS485, &before);
        return false;
    }
    savedRts_ = std::make_unique<DriverRtsState>();
    savedRts_->config = before;
    return true;
}

void QtSerialPort::RestoreDriverRts() {
    if (!savedRts_) return;
    ioctl(port_.handle(), TIOCSRS485, &savedRts_->config);
    savedRts_.reset();
}

#elif defined(_WIN32)

bool QtSerialPort::EnableDriverRts() {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(port_.handle(), &dcb)) return false;
    dcb.fRtsControl = RTS_CONTROL_TOGGLE;
    return SetCommState(port_.handle(), &dcb) != 0;
}

void QtSerialPort::RestoreDriverRts() {}

#else

bool QtSerialPort::EnableDriverRts() {
    return false;
}
void QtSerialPort::RestoreDriverRts() {}

#endif

} // namespace zyl
