#pragma once

// Reading and writing the tool's files without harming what is not ours.
//
// Reads take regular files only (a symbolic link counts as the file it points to), never
// wait on a FIFO or a device and never read more than the caller's buffer and one byte.
// Writes replace a regular file atomically: the bytes go to a temporary beside the target,
// reach the disk, and are renamed over the target; a symbolic link is followed and its
// target replaced; a device, FIFO, socket or directory is refused and left alone.
//
// Every failure comes back as a text that names the file and the system's reason, for
// example "cannot write /media/usb/plant.rlz: No space left on device".

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace zyl {

// The outcome of a write: true when it succeeded, else the error text.
struct FileStatus {
    std::string error;
    explicit operator bool() const { return error.empty(); }
};

struct FileRead {
    std::string error;          // empty when the file was read
    std::size_t size = 0;       // bytes placed at the start of the buffer
    bool more = false;          // the file holds bytes beyond the buffer
    std::uint64_t fileSize = 0; // the file's size as the file system gives it
    explicit operator bool() const { return error.empty(); }
};

// Reads up to dest.size() bytes from the start of a regular file.
[[nodiscard]] FileRead ReadRegularFile(const std::string& path, std::span<std::byte> dest);

// True when something exists at the path (a symbolic link is followed).
[[nodiscard]] bool PathExists(const std::string& path);

// Whether a write could replace the path: it is a regular file (links followed) or nothing
// yet, in a folder that exists and may be written. A full disk shows only when writing.
[[nodiscard]] FileStatus CheckWritable(const std::string& path);

[[nodiscard]] FileStatus WriteFileAtomically(const std::string& path,
                                             std::span<const std::byte> bytes);

struct FileToWrite {
    std::string path;
    std::span<const std::byte> bytes;
};
// Writes several files all or none: every file goes to its temporary first, and only when
// all are complete are they renamed over their targets, in order. When a rename fails, the
// targets already replaced get their old contents back (or are removed when they did not
// exist before), so the files are all new or all as they were.
[[nodiscard]] FileStatus WriteFilesTogether(std::span<const FileToWrite> files);

// For tests: the function that renames a temporary over its target (0 on success, -1 with
// errno set on failure). nullptr restores the system's rename.
using RenameFunction = int (*)(const char* from, const char* to);
void SetRenameFunctionForTesting(RenameFunction rename);

} // namespace zyl
