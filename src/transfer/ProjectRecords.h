#pragma once

// The records of a project's files, or of a block file, one by one: each block in a fixed
// order (setup, relays, processes, WASHING processes, alarms, special statuses, programs, the
// WASHING program, analog outputs, PID regulators, passwords), each record with its label
// ("Relay 3", "Program WASHING", "Setup"), its field table and its bytes, and the stretches of
// the files that no record covers (the head, the alignment and reserved gaps, bytes after
// the image). Records and stretches together cover every byte of the files once. The text
// and JSON dumps, the build from JSON and the diff all walk the files this way.

#include "project/FileIO.h"
#include "project/ProjectImage.h"
#include "project/RecordFields.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zyl {

enum class RecordFileKind : std::uint8_t {
    Project, // the main file ".zy2"/".zyp" with its side files main + "h" and main + "pid"
    Setup,   // ".zys"
    Relays,  // ".rlz"
    Processes,
    Process, // ".klz", ".k1z"
    Alarms,
    Alarm, // ".alz", ".a1z"
    SpecialStatuses,
    SpecialStatus, // ".slz", ".s1z"
    Programs,
    Program,       // ".plz" (programs 1 to 99), ".p1z"
    AnalogOutputs, // ".aou"
    Pid,           // a PID side file (name ending in "pid")
    Passwords,     // a password side file (name ending in "h")
};

// The kind's name in dumps ("project", "relays", "process") and back; nullopt when unknown.
[[nodiscard]] std::string_view RecordFileKindName(RecordFileKind kind);
[[nodiscard]] std::optional<RecordFileKind> RecordFileKindFromName(std::string_view name);
// The kind a file name stands for by its extension; nullopt when it stands for none.
[[nodiscard]] std::optional<RecordFileKind> RecordFileKindOf(const std::string& path);

// The bytes of one project's files, or of one block file (in `main`).
struct RecordFiles {
    RecordFileKind kind = RecordFileKind::Project;
    std::vector<std::uint8_t> main;
    // A project's side files; absent when the file does not exist.
    std::optional<std::vector<std::uint8_t>> passwords;
    std::optional<std::vector<std::uint8_t>> pid;
    // The main file holds the older image, without the analog outputs (a ".zyp" shorter than
    // the whole image).
    bool olderImage = false;

    bool operator==(const RecordFiles&) const = default;
};

// A project's files as saving it writes them: the whole image and both side files.
[[nodiscard]] RecordFiles ProjectRecordFiles(const Project& project);

// Files of the kind with the records zero-filled: the project with its whole image
// or the older one (olderImage), with or without each side file, and `beyond` bytes after
// the image and after each side block (main, passwords, pid).
[[nodiscard]] RecordFiles EmptyRecordFiles(RecordFileKind kind, bool olderImage = false,
                                           bool passwords = true, bool pid = true,
                                           std::array<std::size_t, 3> beyond = {});

template <class Byte> struct RecordSlice {
    std::string label; // "Relay 3", "Program WASHING", "Setup"
    const RecordLayout* layout = nullptr;
    std::span<Byte> bytes; // layout->size bytes
};

template <class Byte> struct BlockSlice {
    std::string_view key; // "relays", "processes-washing", "passwords": as zylctl names blocks
    std::string label;    // "Relays", "Processes WASHING"
    bool single = false;  // one record standing for the block (setup, a ".k1z" process)
    std::vector<RecordSlice<Byte>> records;
};

template <class Byte> struct UnnamedSlice {
    std::string_view name; // "Head", "Align 101", "Main file after the image"
    std::span<Byte> bytes;
};

template <class Byte> struct RecordWalk {
    std::vector<BlockSlice<Byte>> blocks;
    std::vector<UnnamedSlice<Byte>> unnamed; // in file order, main file first
};

// The files' records and unnamed stretches. The files must have the shape their kind reads
// (ReadRecordFiles, EmptyRecordFiles); the spans point into them.
[[nodiscard]] RecordWalk<const std::uint8_t> WalkRecords(const RecordFiles& files);
[[nodiscard]] RecordWalk<std::uint8_t> WalkRecords(RecordFiles& files);

// The names of the stretches after the image and after the side blocks, in the order of
// EmptyRecordFiles' `beyond`.
inline constexpr std::array<std::string_view, 3> BeyondNames = {
    "Main file after the image", "Passwords file after the block", "PID file after the block"};

struct RecordFilesRead {
    RecordFiles files;
    std::string error; // names the file and why it cannot be used
    explicit operator bool() const { return error.empty(); }
};

// Reads a project (its main file at path and the side files beside it) or a block file,
// recognised by the name's extension. A project's main file and side files are used as
// loading a project uses them: long enough for the image (the older one for a ".zyp") and
// the side blocks; a missing side file is no error. A block file must hold its records
// exactly.
[[nodiscard]] RecordFilesRead ReadRecordFiles(const std::string& path);

// Why the path cannot name the files: its extension stands for another kind of file, or a
// ".zy2" would hold the older image (which loading a ".zy2" refuses); empty when it can.
[[nodiscard]] std::string NameMismatch(const RecordFiles& files, const std::string& path);

// Writes the files atomically, all or none: a project's main file and its side files (those
// present), or the block file.
[[nodiscard]] FileStatus WriteRecordFiles(const RecordFiles& files, const std::string& path);

} // namespace zyl
