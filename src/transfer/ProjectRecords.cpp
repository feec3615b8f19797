#include "transfer/ProjectRecords.h"

#include "project/BlockFile.h"
#include "project/ProjectFiles.h"
#include "transfer/ProjectTransfer.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <memory>

namespace zyl {

namespace {

// Bytes after the image or a side block that a dump still carries; a longer file is no
// project file.
constexpr std::size_t MaxBytesAfter = 1u << 20;

using LayoutFn = const RecordLayout& (*)();

struct BlockFileShape {
    RecordFileKind kind;
    std::string_view name;      // the kind's name and the block's key in dumps
    std::string_view extension; // with the dot; a side file's name ends in it
    LayoutFn layout;
    std::size_t count;
    std::string_view blockLabel;
    std::string_view recordLabel; // numbered from 1 unless the block is one record
    std::string_view recordName;  // in the messages on a file of the wrong size
};

constexpr BlockFileShape BlockFileShapes[] = {
    {RecordFileKind::Setup, "setup", ".zys", &LayoutOf<TSetupBlock>, 1, "Setup", "Setup",
     "setup block"},
    {RecordFileKind::Relays, "relays", ".rlz", &LayoutOf<TRelayRecord>, RelayCount, "Relays",
     "Relay", "relay record"},
    {RecordFileKind::Processes, "processes", ".klz", &LayoutOf<TProcessRecord>, ProcessCount,
     "Processes", "Process", "process record"},
    {RecordFileKind::Process, "process", ".k1z", &LayoutOf<TProcessRecord>, 1, "Process", "Process",
     "process record"},
    {RecordFileKind::Alarms, "alarms", ".alz", &LayoutOf<TAlarmRecord>, AlarmCount, "Alarms",
     "Alarm", "alarm record"},
    {RecordFileKind::Alarm, "alarm", ".a1z", &LayoutOf<TAlarmRecord>, 1, "Alarm", "Alarm",
     "alarm record"},
    {RecordFileKind::SpecialStatuses, "special-statuses", ".slz", &LayoutOf<TSpecialStatusRecord>,
     SpecialStatusCount, "Special statuses", "Special status", "special-status record"},
    {RecordFileKind::SpecialStatus, "special-status", ".s1z", &LayoutOf<TSpecialStatusRecord>, 1,
     "Special status", "Special status", "special-status record"},
    // The program list's file: programs 1 to 99.
    {RecordFileKind::Programs, "programs", ".plz", &LayoutOf<TProgramRecord>, ProgramCount - 1,
     "Programs", "Program", "program record"},
    {RecordFileKind::Program, "program", ".p1z", &LayoutOf<TProgramRecord>, 1, "Program", "Program",
     "program record"},
    {RecordFileKind::AnalogOutputs, "analog-outputs", ".aou", &LayoutOf<TAnalogOutputRecord>,
     AnalogOutputCount, "Analog outputs", "Analog output", "analog output record"},
    {RecordFileKind::Pid, "pid", "pid", &LayoutOf<TPidRecord>, PidCount, "PID", "PID",
     "PID regulator record"},
    {RecordFileKind::Passwords, "passwords", "h", &LayoutOf<TPasswordBlock>, 1, "Passwords",
     "Passwords", "password block"},
};

const BlockFileShape* ShapeOf(RecordFileKind kind) {
    for (const BlockFileShape& s : BlockFileShapes)
        if (s.kind == kind) return &s;
    return nullptr;
}

std::size_t BlockBytes(const BlockFileShape& s) {
    return s.layout().size * s.count;
}

// The blocks of a project in their order, where they lie: in the image (file 0) or in a side
// file (1 passwords, 2 pid).
struct ProjectBlockPlace {
    std::optional<ProjectBlock> block; // nullopt: the passwords
    std::string_view recordLabel;
    LayoutFn layout;
    std::size_t count;
    int file;
    std::size_t offset;
};

const ProjectBlockPlace ProjectBlockPlaces[] = {
    {ProjectBlock::Setup, "Setup", &LayoutOf<TSetupBlock>, 1, 0, offsetof(TProjectImage, Setup)},
    {ProjectBlock::Relays, "Relay", &LayoutOf<TRelayRecord>, RelayCount, 0,
     offsetof(TProjectImage, Relays)},
    {ProjectBlock::Processes, "Process", &LayoutOf<TProcessRecord>, ProcessCount, 0,
     offsetof(TProjectImage, Processes)},
    {ProjectBlock::WashingProcesses, "WASHING process", &LayoutOf<TProcessRecord>, ProcessCount, 0,
     offsetof(TProjectImage, WashingProcesses)},
    {ProjectBlock::Alarms, "Alarm", &LayoutOf<TAlarmRecord>, AlarmCount, 0,
     offsetof(TProjectImage, Alarms)},
    {ProjectBlock::SpecialStatuses, "Special status", &LayoutOf<TSpecialStatusRecord>,
     SpecialStatusCount, 0, offsetof(TProjectImage, SpecialStatuses)},
    {ProjectBlock::Programs, "Program", &LayoutOf<TProgramRecord>, ProgramCount, 0,
     offsetof(TProjectImage, Programs)},
    {ProjectBlock::WashingProgram, "Program WASHING", &LayoutOf<TProgramRecord>, 1, 0,
     offsetof(TProjectImage, WashingProgram)},
    {ProjectBlock::AnalogOutputs, "Analog output", &LayoutOf<TAnalogOutputRecord>,
     AnalogOutputCount, 0, offsetof(TProjectImage, AnalogOutputs)},
    {ProjectBlock::Pid, "PID", &LayoutOf<TPidRecord>, PidCount, 2, 0},
    {std::nullopt, "Passwords", &LayoutOf<TPasswordBlock>, 1, 1, 0},
};

struct Stretch {
    std::string_view name;
    std::size_t offset;
    std::size_t size;
};

constexpr Stretch ImageGaps[] = {
    {"Head", offsetof(TProjectImage, Head), sizeof(TProjectImage::Head)},
    {"Align 101", offsetof(TProjectImage, Align101), sizeof(TProjectImage::Align101)},
    {"Reserved 283948", offsetof(TProjectImage, Reserved283948),
     sizeof(TProjectImage::Reserved283948)},
    {"Align 284166", offsetof(TProjectImage, Align284166), sizeof(TProjectImage::Align284166)},
};

constexpr std::size_t PasswordBytes = sizeof(TPasswordBlock);
constexpr std::size_t PidBytes = sizeof(TPidRecord) * PidCount;

std::size_t ImageBytes(bool olderImage) {
    return olderImage ? OlderProjectImageSize : ProjectImageSize;
}

template <class Files, class Byte> RecordWalk<Byte> Walk(Files& files) {
    RecordWalk<Byte> walk;
    auto slice = [](auto& bytes, std::size_t offset, std::size_t size) {
        return std::span<Byte>(bytes.data() + offset, size);
    };
    auto addBlock = [&](std::string_view key, std::string label, bool single,
                        std::string_view recordLabel, const RecordLayout& layout, std::size_t count,
                        auto& bytes, std::size_t offset) {
        BlockSlice<Byte> block{key, std::move(label), single, {}};
        for (std::size_t i = 0; i < count; ++i) {
            std::string name(recordLabel);
            if (!single) name += ' ' + std::to_string(i + 1);
            block.records.push_back(
                {std::move(name), &layout, slice(bytes, offset + i * layout.size, layout.size)});
        }
        walk.blocks.push_back(std::move(block));
    };
    auto addAfter = [&](int file, auto& bytes, std::size_t used) {
        if (bytes.size() > used)
            walk.unnamed.push_back(
                {BeyondNames[std::size_t(file)], slice(bytes, used, bytes.size() - used)});
    };

    if (files.kind != RecordFileKind::Project) {
        const BlockFileShape& s = *ShapeOf(files.kind);
        addBlock(s.name, std::string(s.blockLabel), s.count == 1, s.recordLabel, s.layout(),
                 s.count, files.main, 0);
        return walk;
    }
    for (const ProjectBlockPlace& p : ProjectBlockPlaces) {
        if ((p.file == 1 && !files.passwords) || (p.file == 2 && !files.pid)) continue;
        auto* bytes = p.file == 0 ? &files.main : p.file == 1 ? &*files.passwords : &*files.pid;
        if (p.block == ProjectBlock::AnalogOutputs && files.olderImage) continue;
        const bool single = p.count == 1;
        if (p.block)
            addBlock(ProjectBlockName(*p.block), ProjectBlockLabel(*p.block), single, p.recordLabel,
                     p.layout(), p.count, *bytes, p.offset);
        else
            addBlock("passwords", "Passwords", single, p.recordLabel, p.layout(), p.count, *bytes,
                     p.offset);
    }
    for (const Stretch& gap : ImageGaps)
        walk.unnamed.push_back({gap.name, slice(files.main, gap.offset, gap.size)});
    addAfter(0, files.main, ImageBytes(files.olderImage));
    if (files.passwords) addAfter(1, *files.passwords, PasswordBytes);
    if (files.pid) addAfter(2, *files.pid, PidBytes);
    return walk;
}

std::string Lower(std::string s) {
    for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool EndsWith(std::string_view s, std::string_view end) {
    return s.size() >= end.size() && s.substr(s.size() - end.size()) == end;
}

// Reads at least `least` and at most `least` + MaxBytesAfter bytes of the file.
std::string ReadFileBytes(const std::string& path, std::size_t least,
                          std::vector<std::uint8_t>& out) {
    out.assign(least + MaxBytesAfter, 0);
    const FileRead read = ReadRegularFile(path, std::as_writable_bytes(std::span(out)));
    if (!read) return read.error;
    if (read.more)
        return path + " is " + std::to_string(read.fileSize) + " bytes long, more than " +
               std::to_string(least + MaxBytesAfter) + " bytes";
    if (read.size < least)
        return path + " is " + std::to_string(read.size) + " bytes long, shorter than the " +
               std::to_string(least) + " bytes it must hold";
    out.resize(read.size);
    return {};
}

} // namespace

std::string_view RecordFileKindName(RecordFileKind kind) {
    if (kind == RecordFileKind::Project) return "project";
    return ShapeOf(kind)->name;
}

std::optional<RecordFileKind> RecordFileKindFromName(std::string_view name) {
    if (name == "project") return RecordFileKind::Project;
    for (const BlockFileShape& s : BlockFileShapes)
        if (s.name == name) return s.kind;
    return std::nullopt;
}

std::optional<RecordFileKind> RecordFileKindOf(const std::string& path) {
    const std::string ext = Lower(std::filesystem::path(path).extension().string());
    if (ext == ".zy2" || ext == ".zyp") return RecordFileKind::Project;
    for (const BlockFileShape& s : BlockFileShapes)
        if (s.extension.front() == '.' ? ext == s.extension
                                       : ext.size() > 1 && EndsWith(ext, s.extension))
            return s.kind;
    return std::nullopt;
}

RecordFiles EmptyRecordFiles(RecordFileKind kind, bool olderImage, bool passwords, bool pid,
                             std::array<std::size_t, 3> beyond) {
    RecordFiles files;
    files.kind = kind;
    if (kind != RecordFileKind::Project) {
        files.main.assign(BlockBytes(*ShapeOf(kind)), 0);
        return files;
    }
    files.olderImage = olderImage;
    files.main.assign(ImageBytes(olderImage) + beyond[0], 0);
    if (passwords) files.passwords.emplace(PasswordBytes + beyond[1], 0);
    if (pid) files.pid.emplace(PidBytes + beyond[2], 0);
    return files;
}

RecordWalk<const std::uint8_t> WalkRecords(const RecordFiles& files) {
    return Walk<const RecordFiles, const std::uint8_t>(files);
}

RecordWalk<std::uint8_t> WalkRecords(RecordFiles& files) {
    return Walk<RecordFiles, std::uint8_t>(files);
}

RecordFiles ProjectRecordFiles(const Project& project) {
    const auto bytes = [](const auto& block) {
        const auto view = std::as_bytes(std::span(&block, 1));
        std::vector<std::uint8_t> out(view.size());
        std::memcpy(out.data(), view.data(), view.size());
        return out;
    };
    RecordFiles files;
    files.main = bytes(project.image);
    files.passwords = bytes(project.passwords);
    files.pid = bytes(project.pid);
    return files;
}

RecordFilesRead ReadRecordFiles(const std::string& path) {
    RecordFilesRead result;
    const std::optional<RecordFileKind> kind = RecordFileKindOf(path);
    if (!kind) {
        result.error = path + " is neither a project (.zy2, .zyp) nor a block file";
        return result;
    }
    RecordFiles& files = result.files;
    files.kind = *kind;
    if (*kind != RecordFileKind::Project) {
        const BlockFileShape& s = *ShapeOf(*kind);
        files.main.assign(BlockBytes(s), 0);
        const BlockFileRead read = ReadBlockFileBytes(
            path, s.layout().size, std::as_writable_bytes(std::span(files.main)));
        if (!read.Whole(int(s.count)))
            result.error = NotWholeBlockReason(path, read, int(s.count), s.layout().size,
                                               std::string(s.recordName));
        return result;
    }
    // As loading a project reads it: a ".zy2" holds the whole image, a ".zyp" at least the
    // older one (and the whole one when it is that long).
    const bool zy2 = Lower(std::filesystem::path(path).extension().string()) == ".zy2";
    if (std::string error =
            ReadFileBytes(path, zy2 ? ProjectImageSize : OlderProjectImageSize, files.main);
        !error.empty()) {
        result.error = std::move(error);
        return result;
    }
    files.olderImage = files.main.size() < ProjectImageSize;
    const std::pair<const char*, std::optional<std::vector<std::uint8_t>>*> sides[] = {
        {"h", &files.passwords}, {"pid", &files.pid}};
    for (const auto& [suffix, side] : sides) {
        const std::string sidePath = path + suffix;
        if (!PathExists(sidePath)) continue;
        side->emplace();
        if (std::string error =
                ReadFileBytes(sidePath, side == &files.pid ? PidBytes : PasswordBytes, **side);
            !error.empty()) {
            result.error = std::move(error);
            return result;
        }
    }
    return result;
}

std::string NameMismatch(const RecordFiles& files, const std::string& path) {
    const std::optional<RecordFileKind> kind = RecordFileKindOf(path);
    const std::string what = files.kind == RecordFileKind::Project
                                 ? "a project"
                                 : "a " + std::string(RecordFileKindName(files.kind)) + " file";
    if (kind != files.kind) {
        std::string name = files.kind == RecordFileKind::Project
                               ? ".zy2 or .zyp"
                               : std::string(ShapeOf(files.kind)->extension);
        if (name.front() != '.') name = "\"" + name + "\" at the end";
        return path + " is no name for " + what + " (" + name + ")";
    }
    if (files.kind == RecordFileKind::Project && files.olderImage &&
        Lower(std::filesystem::path(path).extension().string()) == ".zy2")
        return path + ": a .zy2 holds the whole image; the older image goes to a .zyp";
    return {};
}

FileStatus WriteRecordFiles(const RecordFiles& files, const std::string& path) {
    if (files.kind != RecordFileKind::Project)
        return WriteFileAtomically(path, std::as_bytes(std::span(files.main)));
    const bool asSaved = !files.olderImage && files.main.size() == ProjectImageSize &&
                         files.passwords && files.passwords->size() == PasswordBytes && files.pid &&
                         files.pid->size() == PidBytes;
    if (asSaved) {
        // The three files as saving a project writes them.
        auto project = std::make_unique<Project>();
        std::memcpy(&project->image, files.main.data(), ProjectImageSize);
        std::memcpy(&project->passwords, files.passwords->data(), PasswordBytes);
        std::memcpy(project->pid, files.pid->data(), PidBytes);
        return WriteProjectFiles(*project, path);
    }
    // The older image, a missing side file or bytes after a block: the files as they are,
    // with the same all-or-none write.
    std::vector<FileToWrite> written{{path, std::as_bytes(std::span(files.main))}};
    if (files.passwords)
        written.push_back({path + "h", std::as_bytes(std::span(*files.passwords))});
    if (files.pid) written.push_back({path + "pid", std::as_bytes(std::span(*files.pid))});
    return WriteFilesTogether(written);
}

} // namespace zyl
