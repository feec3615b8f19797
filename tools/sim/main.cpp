// zyl200-sim: a simulated controller with its communication module on a pseudo-terminal.
// Options and the control protocol are described in README.md beside this file.

#include "sim/Bus.h"
#include "sim/Commands.h"
#include "sim/Engine.h"
#include "sim/PtyLine.h"
#include "sim/StateFile.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace zyl::sim;

namespace {

constexpr const char* Usage = R"(usage: zyl200-sim [options]
  --address N[@BAUD],...   controller addresses 0-247 (default 1), each with its own memory;
                           @9600 or @19200: the rate that one listens at
  --baud 9600|19200        the rate the controllers listen at (default 19200), 8N2
  --any-line               answer whatever the PC's port is set to
  --no-pacing              replies go out at once
  --mode run|stop|N        operating mode in the status reply (default stop)
  --panel-delay MS         panel ready this long after each module submit (default 50)
  --version N              setup word 99, the program version (default 501)
  --menu-layout structure|predefined   setup word 98 (default structure)
  --clock "YYYY-MM-DD hh:mm:ss"         start of the running clock (default: now)
  --no-module              no communication module: submits, collects, status unanswered
  --lead-zero              a 0x00 in front of every reply
  --fault "KIND [every N | prob P [seed S]] [on TARGET]"
  --gap MS                 quiet time that discards a partial frame (default 20)
  --link PATH              symbolic link to the pty, removed at exit
  --control PATH           UNIX socket for control commands
  --stdin-control          control commands on standard input, answers on standard output
  --stdin-quit             quit at end of standard input
  --state FILE             load at start, save at exit and on "save"
  --dump-state SELECTOR    print the blocks of --state FILE (or the sample) and exit
  --log FILE               append every request and reply as hex
  --verbose                exchanges on standard error
  --quiet                  no refusal messages on standard error
The first line on standard output is the pty's device path.
)";

volatile std::sig_atomic_t signalled = 0;
int signalPipe[2] = {-1, -1};

void OnSignal(int) {
    signalled = 1;
    const char c = 0;
    [[maybe_unused]] const ssize_t w = ::write(signalPipe[1], &c, 1);
}

struct Options {
    EngineConfig engine;
    std::vector<Station> stations{Station{}};
    LinkSettings link;
    std::optional<std::int16_t> version;
    std::optional<std::uint16_t> layoutMark;
    std::optional<FaultRule> fault;
    bool leadZero = false;
    std::string linkPath, controlPath, statePath, logPath;
    std::optional<std::string> dumpSelector;
    bool stdinControl = false, stdinQuit = false, verbose = false, quiet = false;
};

bool Number(const char* text, long low, long high, long& value) {
    char* end = nullptr;
    errno = 0;
    value = std::strtol(text, &end, 0);
    return errno == 0 && end != text && *end == 0 && value >= low && value <= high;
}

DateTime HostClock() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    DateTime t{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
               local.tm_hour,        local.tm_min,     std::min(local.tm_sec, 59)};
    return IsValid(t) ? t : DateTime{};
}

// Fills the options; prints the reason and returns false on a bad command line.
bool Parse(int argc, char** argv, Options& o, bool& help) {
    o.engine.clock = HostClock();
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto value = [&]() -> const char* {
            if (i + 1 >= argc) {
                std::cerr << "zyl200-sim: " << arg << " needs a value\n";
                return nullptr;
            }
            return argv[++i];
        };
        long n = 0;
        const char* v = nullptr;
        const auto bad = [&]() {
            std::cerr << "zyl200-sim: bad value for " << arg << ": " << (v ? v : "") << "\n";
            return false;
        };
        if (arg == "--help" || arg == "-h") {
            help = true;
        } else if (arg == "--address") {
            if (!(v = value())) return bad();
            std::string error;
            auto stations = ParseStations(v, error);
            if (!stations) {
                std::cerr << "zyl200-sim: --address: " << error << "\n";
                return false;
            }
            o.stations = std::move(*stations);
        } else if (arg == "--baud") {
            if (!(v = value()) || !Number(v, 9600, 19200, n) || (n != 9600 && n != 19200))
                return bad();
            o.engine.baud = static_cast<int>(n);
        } else if (arg == "--any-line") {
            o.link.anyLine = true;
        } else if (arg == "--no-pacing") {
            o.link.pacing = false;
        } else if (arg == "--mode") {
            if (!(v = value())) return bad();
            if (std::strcmp(v, "run") == 0)
                o.engine.mode = 2;
            else if (std::strcmp(v, "stop") == 0)
                o.engine.mode = 0;
            else if (Number(v, 0, 255, n))
                o.engine.mode = static_cast<std::uint8_t>(n);
            else
                return bad();
        } else if (arg == "--panel-delay") {
            if (!(v = value()) || !Number(v, 0, 3600000, n)) return bad();
            o.engine.panelDelay = std::chrono::milliseconds(n);
        } else if (arg == "--version") {
            if (!(v = value()) || !Number(v, -32768, 32767, n)) return bad();
            o.version = static_cast<std::int16_t>(n);
            o.engine.sample.version = static_cast<std::int16_t>(n);
        } else if (arg == "--menu-layout") {
            if (!(v = value())) return bad();
            if (std::strcmp(v, "structure") == 0)
                o.layoutMark = StructureLayoutMark;
            else if (std::strcmp(v, "predefined") == 0)
                o.layoutMark = 0;
            else
                return bad();
            o.engine.sample.layoutMark = *o.layoutMark;
        } else if (arg == "--clock") {
            if (!(v = value())) return bad();
            const auto t = ParseDateTime(v);
            if (!t) return bad();
            o.engine.clock = *t;
        } else if (arg == "--no-module") {
            o.engine.module = false;
        } else if (arg == "--lead-zero") {
            o.leadZero = true;
        } else if (arg == "--fault") {
            if (!(v = value())) return bad();
            std::string error;
            o.fault = ParseFaultRule(v, error);
            if (!o.fault) {
                std::cerr << "zyl200-sim: --fault: " << error << "\n";
                return false;
            }
        } else if (arg == "--gap") {
            if (!(v = value()) || !Number(v, 1, 60000, n)) return bad();
            o.engine.gap = std::chrono::milliseconds(n);
        } else if (arg == "--link") {
            if (!(v = value())) return bad();
            o.linkPath = v;
        } else if (arg == "--control") {
            if (!(v = value())) return bad();
            o.controlPath = v;
        } else if (arg == "--stdin-control") {
            o.stdinControl = true;
        } else if (arg == "--stdin-quit") {
            o.stdinQuit = true;
        } else if (arg == "--state") {
            if (!(v = value())) return bad();
            o.statePath = v;
        } else if (arg == "--dump-state") {
            if (!(v = value())) return bad();
            o.dumpSelector = v;
        } else if (arg == "--log") {
            if (!(v = value())) return bad();
            o.logPath = v;
        } else if (arg == "--verbose") {
            o.verbose = true;
        } else if (arg == "--quiet") {
            o.quiet = true;
        } else {
            std::cerr << "zyl200-sim: unknown option " << arg << " (see --help)\n";
            return false;
        }
    }
    return true;
}

int OpenControlSocket(const std::string& path) {
    sockaddr_un address{};
    if (path.size() >= sizeof address.sun_path) {
        std::cerr << "zyl200-sim: control path too long: " << path << "\n";
        return -1;
    }
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode)) ::unlink(path.c_str());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, 8) != 0) {
        std::cerr << "zyl200-sim: cannot listen on " << path << ": " << std::strerror(errno)
                  << "\n";
        ::close(fd);
        return -1;
    }
    return fd;
}

void WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t w = ::send(fd, text.data() + done, text.size() - done, MSG_NOSIGNAL);
        if (w < 0 && errno == ENOTSOCK) {
            const ssize_t v = ::write(fd, text.data() + done, text.size() - done);
            if (v <= 0) return;
            done += static_cast<std::size_t>(v);
            continue;
        }
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return;
        done += static_cast<std::size_t>(w);
    }
}

struct ControlClient {
    int fd;
    std::string input;
    // Its own interpreter: the controller a client picked stays its own.
    std::unique_ptr<ControlCommands> commands;
};

class Logger {
public:
    Logger(const std::string& path, bool verbose) : verbose_(verbose) {
        if (!path.empty()) file_.open(path, std::ios::app);
    }
    void Line(char tag, const std::string& text) {
        if (!file_.is_open() && !verbose_) return;
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now() - start_)
                            .count();
        const std::string line = std::to_string(ms) + " " + tag + " " + text + "\n";
        if (file_.is_open()) file_ << line << std::flush;
        if (verbose_) std::cerr << line;
    }

private:
    std::ofstream file_;
    bool verbose_;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

} // namespace

int main(int argc, char** argv) {
    Options options;
    bool help = false;
    if (!Parse(argc, argv, options, help)) return 2;
    if (help) {
        std::cout << Usage;
        return 0;
    }

    Bus bus(options.engine, options.stations, Engine::Clock::now());
    std::vector<ControllerMemory> memories;
    for (std::size_t i = 0; i < bus.Size(); ++i)
        memories.push_back({bus.At(i).Address(), &bus.At(i).memory()});
    if (!options.statePath.empty()) {
        struct stat st {};
        std::string error;
        if (::stat(options.statePath.c_str(), &st) == 0 &&
            !LoadBusStateFile(memories, options.statePath, error)) {
            std::cerr << "zyl200-sim: " << error << "\n";
            return 2;
        }
    }
    for (std::size_t i = 0; i < bus.Size(); ++i) {
        Engine& engine = bus.At(i);
        if (options.version)
            engine.memory().SetSetupWord(99, static_cast<std::uint16_t>(*options.version));
        if (options.layoutMark) engine.memory().SetSetupWord(98, *options.layoutMark);
        if (options.fault) engine.faults().SetRule(*options.fault);
        engine.faults().SetLeadZero(options.leadZero);
    }

    if (options.dumpSelector) {
        // The blocks as "dump" prints them; on a bus each controller's after its address.
        ControlCommands commands(bus, options.link, options.statePath);
        ControlCommands::Result all;
        for (std::size_t i = 0; i < bus.Size() && all.ok; ++i) {
            const std::string address = std::to_string(bus.At(i).Address());
            auto result = commands.Execute(
                "controller " + address + " dump " + *options.dumpSelector, Engine::Clock::now());
            if (!result.ok) all = std::move(result);
            if (!all.ok) break;
            if (bus.Size() > 1) all.lines.push_back("controller " + address);
            all.lines.insert(all.lines.end(), result.lines.begin(), result.lines.end());
        }
        std::cout << ControlCommands::Render(all);
        return all.ok ? 0 : 1;
    }

    PtyLine line;
    std::string error;
    if (!line.Open(error)) {
        std::cerr << "zyl200-sim: " << error << "\n";
        return 1;
    }
    if (!options.linkPath.empty()) {
        struct stat st {};
        if (::lstat(options.linkPath.c_str(), &st) == 0) {
            if (!S_ISLNK(st.st_mode)) {
                std::cerr << "zyl200-sim: " << options.linkPath << " exists and is not a link\n";
                return 1;
            }
            ::unlink(options.linkPath.c_str());
        }
        if (::symlink(line.SlavePath().c_str(), options.linkPath.c_str()) != 0) {
            std::cerr << "zyl200-sim: cannot link " << options.linkPath << ": "
                      << std::strerror(errno) << "\n";
            return 1;
        }
    }
    std::cout << line.SlavePath() << std::endl;

    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return 1;
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    for (int s : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(s, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    const int listener = options.controlPath.empty() ? -1 : OpenControlSocket(options.controlPath);
    if (!options.controlPath.empty() && listener < 0) return 1;

    Logger log(options.logPath, options.verbose);
    for (std::size_t i = 0; i < bus.Size(); ++i) {
        // On a bus the reason says which controller kept quiet.
        const std::string who =
            bus.Size() > 1 ? "controller " + std::to_string(bus.At(i).Address()) + ": " : "";
        bus.At(i).onReject = [&log, &options, who](const std::string& reason) {
            log.Line('!', who + reason);
            if (!options.quiet) std::cerr << "zyl200-sim: no reply: " << who << reason << "\n";
        };
    }

    ControlCommands stdinCommands(bus, options.link, options.statePath);
    std::vector<ControlClient> clients;
    std::string stdinBuffer;
    const bool watchStdin = options.stdinControl || options.stdinQuit;
    bool quit = false;

    const auto runLine = [&](ControlCommands& commands, const std::string& text, int replyFd) {
        const auto result = commands.Execute(text, Engine::Clock::now());
        WriteAll(replyFd, ControlCommands::Render(result));
        if (result.quit) quit = true;
    };

    while (!quit && !signalled) {
        std::vector<pollfd> fds;
        fds.push_back({line.MasterFd(), POLLIN, 0});
        fds.push_back({signalPipe[0], POLLIN, 0});
        fds.push_back({watchStdin ? STDIN_FILENO : -1, POLLIN, 0});
        fds.push_back({listener, POLLIN, 0});
        for (const ControlClient& c : clients) fds.push_back({c.fd, POLLIN, 0});
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }

        if (fds[0].revents & POLLIN) {
            Bytes bytes;
            line.ReadAvailable(bytes);
            // The settings the PC's port has now, read once for the frames that came in.
            std::optional<LineSettings> settings;
            if (!options.link.anyLine && !bytes.empty()) settings = line.Settings();
            for (const Exchange& exchange : bus.Receive(bytes, Engine::Clock::now(), settings)) {
                log.Line('>', ToHex(exchange.request));
                log.Line('<', exchange.reply.empty() ? "-" : ToHex(exchange.reply));
                if (exchange.responder)
                    line.Send(exchange.reply, options.link.pacing ? exchange.responder->Baud() : 0);
            }
        } else if (fds[0].revents & (POLLHUP | POLLERR)) {
            ::usleep(10000);
        }

        if (fds[2].revents & (POLLIN | POLLHUP)) {
            char buffer[4096];
            const ssize_t r = ::read(STDIN_FILENO, buffer, sizeof buffer);
            if (r <= 0) {
                quit = true;
            } else if (options.stdinControl) {
                stdinBuffer.append(buffer, static_cast<std::size_t>(r));
                for (std::size_t nl; (nl = stdinBuffer.find('\n')) != std::string::npos;) {
                    const std::string text = stdinBuffer.substr(0, nl);
                    stdinBuffer.erase(0, nl + 1);
                    runLine(stdinCommands, text, STDOUT_FILENO);
                }
            }
        }

        if (listener >= 0 && (fds[3].revents & POLLIN)) {
            const int fd = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd >= 0) {
                timeval timeout{2, 0};
                ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
                clients.push_back(
                    {fd,
                     {},
                     std::make_unique<ControlCommands>(bus, options.link, options.statePath)});
            }
        }

        for (std::size_t i = 0; i < clients.size() && 4 + i < fds.size(); ++i) {
            if (!(fds[4 + i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            char buffer[4096];
            const ssize_t r = ::read(clients[i].fd, buffer, sizeof buffer);
            if (r <= 0) {
                ::close(clients[i].fd);
                clients[i].fd = -1;
                continue;
            }
            clients[i].input.append(buffer, static_cast<std::size_t>(r));
            for (std::size_t nl; (nl = clients[i].input.find('\n')) != std::string::npos;) {
                std::string text = clients[i].input.substr(0, nl);
                clients[i].input.erase(0, nl + 1);
                if (!text.empty() && text.back() == '\r') text.pop_back();
                runLine(*clients[i].commands, text, clients[i].fd);
            }
            if (clients[i].input.size() > 65536) {
                ::close(clients[i].fd);
                clients[i].fd = -1;
            }
        }
        std::erase_if(clients, [](const ControlClient& c) { return c.fd < 0; });
    }

    for (const ControlClient& c : clients) ::close(c.fd);
    if (listener >= 0) {
        ::close(listener);
        ::unlink(options.controlPath.c_str());
    }
    int status = 0;
    if (!options.statePath.empty()) {
        std::string saveError;
        if (!SaveBusStateFile(memories, options.statePath, saveError)) {
            std::cerr << "zyl200-sim: " << saveError << "\n";
            status = 1;
        }
    }
    if (!options.linkPath.empty()) {
        char target[4096];
        const ssize_t n = ::readlink(options.linkPath.c_str(), target, sizeof target - 1);
        if (n > 0 && std::string(target, static_cast<std::size_t>(n)) == line.SlavePath())
            ::unlink(options.linkPath.c_str());
    }
    return status;
}
