#include "project/FileIO.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#ifdef _WIN32
#include <fstream>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace zyl {

namespace fs = std::filesystem;

namespace {

RenameFunction renameFunction = nullptr;

int RenameOver(const std::string& from, const std::string& to) {
    if (renameFunction) return renameFunction(from.c_str(), to.c_str());
#ifdef _WIN32
    std::error_code ec;
    fs::rename(from, to, ec);
    if (ec) {
        errno = ec.value();
        return -1;
    }
    return 0;
#else
    return std::rename(from.c_str(), to.c_str());
#endif
}

std::string Failure(const char* verb, const std::string& path, const std::string& reason) {
    return std::string("cannot ") + verb + " " + path + ": " + reason;
}

std::string SystemReason(int error) {
    return std::strerror(error);
}

constexpr const char* NotRegular = "not a regular file";

// Follows symbolic links to the file they finally name (which need not exist yet). Empty
// with the reason set when the chain is broken or loops.
std::string ResolveLinks(const std::string& path, std::string& reason) {
    fs::path p(path);
    for (int hop = 0; hop < 40; ++hop) {
        std::error_code ec;
        const fs::file_status link = fs::symlink_status(p, ec);
        if (ec || !fs::is_symlink(link)) return p.string();
        const fs::path target = fs::read_symlink(p, ec);
        if (ec) {
            reason = ec.message();
            return {};
        }
        p = target.is_absolute() ? target : p.parent_path() / target;
    }
    reason = SystemReason(ELOOP);
    return {};
}

// Why a path is not a regular file: empty when it is one or when nothing exists there.
std::string WhyNotRegular(const std::string& target) {
    std::error_code ec;
    const fs::file_status st = fs::status(target, ec);
    if (ec && st.type() != fs::file_type::not_found) return ec.message();
    if (st.type() == fs::file_type::not_found || st.type() == fs::file_type::regular) return {};
    if (st.type() == fs::file_type::directory) return SystemReason(EISDIR);
    return NotRegular;
}

#ifndef _WIN32

// Opens a new file that nobody else can have opened, beside the target.
int CreateTemporary(const std::string& target, const char* tag, std::string& name) {
    for (int n = 0; n < 100; ++n) {
        name = target + tag + std::to_string(::getpid()) + "-" + std::to_string(n) + "~";
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

bool WriteAll(int fd, std::span<const std::byte> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Flushes a folder's entries to the disk; file systems that cannot are passed over.
void SyncFolderOf(const std::string& path) {
    std::string folder = fs::path(path).parent_path().string();
    if (folder.empty()) folder = ".";
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    (void)::fsync(fd);
    ::close(fd);
}

// Writes the bytes into a new temporary beside the target and syncs them; the temporary
// takes the permissions of the file it will replace. Empty on success, else the reason.
std::string WriteTemporary(const std::string& target, std::span<const std::byte> bytes,
                           const char* tag, std::string& temporary) {
    const int fd = CreateTemporary(target, tag, temporary);
    if (fd < 0) return SystemReason(errno);
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0) (void)::fchmod(fd, old.st_mode & 07777);
    int error = 0;
    if (!WriteAll(fd, bytes))
        error = errno;
    else if (::fsync(fd) != 0 && errno != EINVAL) // EINVAL: the file system cannot sync
        error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error != 0) {
        ::unlink(temporary.c_str());
        return SystemReason(error);
    }
    return {};
}

// A copy of the target's current contents, to put back when a group write fails.
std::string CopyToBackup(const std::string& target, std::string& backup) {
    const int in = ::open(target.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return SystemReason(errno);
    std::vector<std::byte> contents;
    std::byte chunk[65536];
    for (;;) {
        const ssize_t n = ::read(in, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int error = errno;
            ::close(in);
            return SystemReason(error);
        }
        if (n == 0) break;
        contents.insert(contents.end(), chunk, chunk + n);
    }
    ::close(in);
    return WriteTemporary(target, contents, ".old~", backup);
}

void RemoveFile(const std::string& path) {
    if (!path.empty()) ::unlink(path.c_str());
}

#else // _WIN32

std::string WriteTemporary(const std::string& target, std::span<const std::byte> bytes,
                           const char* tag, std::string& temporary) {
    temporary = target + tag + "~";
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    out.flush();
    if (!out) {
        std::error_code ec;
        fs::remove(temporary, ec);
        return "the file could not be written";
    }
    return {};
}

std::string CopyToBackup(const std::string& target, std::string& backup) {
    backup = target + ".old~";
    std::error_code ec;
    fs::copy_file(target, backup, fs::copy_options::overwrite_existing, ec);
    return ec ? ec.message() : std::string();
}

void RemoveFile(const std::string& path) {
    std::error_code ec;
    if (!path.empty()) fs::remove(path, ec);
}

void SyncFolderOf(const std::string&) {}

#endif

} // namespace

void SetRenameFunctionForTesting(RenameFunction rename) {
    renameFunction = rename;
}

bool PathExists(const std::string& path) {
    std::error_code ec;
    return fs::exists(path, ec);
}

FileRead ReadRegularFile(const std::string& path, std::span<std::byte> dest) {
    FileRead result;
    // Decide on the kind of file before opening it: opening a FIFO would wait for a writer,
    // and opening a device can have effects of its own.
    if (std::string why = WhyNotRegular(path); !why.empty()) {
        result.error = Failure("read", path, why);
        return result;
    }
#ifndef _WIN32
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        result.error = Failure("read", path, SystemReason(errno));
        return result;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        // Replaced by something else between the look and the open.
        ::close(fd);
        result.error = Failure("read", path, NotRegular);
        return result;
    }
    result.fileSize = static_cast<std::uint64_t>(st.st_size);
    auto readSome = [fd](std::byte* into, std::size_t n) -> ssize_t {
        for (;;) {
            const ssize_t got = ::read(fd, into, n);
            if (got >= 0 || errno != EINTR) return got;
        }
    };
    while (result.size < dest.size()) {
        const ssize_t got = readSome(dest.data() + result.size, dest.size() - result.size);
        if (got < 0) {
            result.error = Failure("read", path, SystemReason(errno));
            break;
        }
        if (got == 0) break;
        result.size += static_cast<std::size_t>(got);
    }
    if (result.error.empty() && result.size == dest.size()) {
        std::byte probe;
        result.more = readSome(&probe, 1) == 1;
    }
    ::close(fd);
#else
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        result.error = Failure("read", path, "the file could not be opened");
        return result;
    }
    std::error_code ec;
    result.fileSize = fs::file_size(path, ec);
    in.read(reinterpret_cast<char*>(dest.data()), std::streamsize(dest.size()));
    result.size = static_cast<std::size_t>(in.gcount());
    result.more = result.size == dest.size() && in.peek() != std::char_traits<char>::eof();
#endif
    return result;
}

FileStatus CheckWritable(const std::string& path) {
    std::string reason;
    const std::string target = ResolveLinks(path, reason);
    if (target.empty()) return {Failure("write", path, reason)};
    if (std::string why = WhyNotRegular(target); !why.empty()) return {Failure("write", path, why)};
    fs::path folder = fs::path(target).parent_path();
    if (folder.empty()) folder = ".";
    std::error_code ec;
    const fs::file_status st = fs::status(folder, ec);
    if (st.type() == fs::file_type::not_found)
        return {Failure("write", path, SystemReason(ENOENT))};
    if (st.type() != fs::file_type::directory)
        return {Failure("write", path, ec ? ec.message() : SystemReason(ENOTDIR))};
#ifndef _WIN32
    if (::access(folder.c_str(), W_OK) != 0) return {Failure("write", path, SystemReason(errno))};
#endif
    return {};
}

FileStatus WriteFileAtomically(const std::string& path, std::span<const std::byte> bytes) {
    const FileToWrite one[] = {{path, bytes}};
    return WriteFilesTogether(one);
}

FileStatus WriteFilesTogether(std::span<const FileToWrite> files) {
    struct Entry {
        const FileToWrite* file;
        std::string target;    // after following links
        std::string temporary; // the new contents
        std::string backup;    // the old contents, when the target existed
        bool replaced = false;
    };
    std::vector<Entry> entries;
    for (const FileToWrite& file : files) {
        std::string reason;
        std::string target = ResolveLinks(file.path, reason);
        if (target.empty()) return {Failure("write", file.path, reason)};
        if (std::string why = WhyNotRegular(target); !why.empty())
            return {Failure("write", file.path, why)};
        entries.push_back({&file, std::move(target), {}, {}, false});
    }

    auto discard = [&entries] {
        for (Entry& e : entries) {
            RemoveFile(e.temporary);
            RemoveFile(e.backup);
        }
    };

    for (Entry& e : entries) {
        if (std::string why = WriteTemporary(e.target, e.file->bytes, ".new~", e.temporary);
            !why.empty()) {
            e.temporary.clear();
            discard();
            return {Failure("write", e.file->path, why)};
        }
    }
    // A single file needs no way back: its rename either happens or not.
    if (entries.size() > 1) {
        for (Entry& e : entries) {
            if (!PathExists(e.target)) continue;
            if (std::string why = CopyToBackup(e.target, e.backup); !why.empty()) {
                e.backup.clear();
                discard();
                return {Failure("write", e.file->path, why)};
            }
        }
    }

    for (Entry& e : entries) {
        if (RenameOver(e.temporary, e.target) == 0) {
            e.temporary.clear();
            e.replaced = true;
            SyncFolderOf(e.target);
            continue;
        }
        std::string error = Failure("write", e.file->path, SystemReason(errno));
        // Put back what was already replaced.
        for (Entry& done : entries) {
            if (!done.replaced) continue;
            if (!done.backup.empty()) {
                if (RenameOver(done.backup, done.target) == 0) {
                    done.backup.clear();
                } else {
                    error += "; " + done.file->path + " could not be put back (" +
                             SystemReason(errno) + "), its old contents are in " + done.backup;
                    done.backup.clear(); // keep the copy for the user
                }
            } else {
                RemoveFile(done.target);
            }
            SyncFolderOf(done.target);
        }
        discard();
        return {error};
    }
    discard();
    return {};
}

} // namespace zyl
