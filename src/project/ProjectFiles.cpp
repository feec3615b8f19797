#include "project/ProjectFiles.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

namespace zyl {

namespace {

template <typename T> std::span<std::byte> BytesOf(T& object) {
    return std::as_writable_bytes(std::span<T, 1>(&object, 1));
}
template <typename T> std::span<const std::byte> ConstBytesOf(const T& object) {
    return std::as_bytes(std::span<const T, 1>(&object, 1));
}

// Where each stretch of an older-format file goes: the same offset in the image.
struct Stretch {
    std::size_t from;
    std::size_t length;
};
constexpr Stretch OlderFormatStretches[] = {
    {0, 101},       // head area
    {104, 270800},  // programs
    {270904, 2708}, // washing program
    {273612, 1920}, // processes
    {275532, 1920}, // washing processes
    {277452, 2944}, // relays
    {280396, 864},  // special statuses
    {281260, 2688}, // alarms
    {283964, 202},  // setup block
};

bool IsCurrentFormat(const std::string& path) {
    // The extension (with its dot) must contain the lower-case letters "zy2".
    const std::string ext = std::filesystem::path(path).extension().string();
    return ext.find("zy2") != std::string::npos;
}

std::string TempNameFor(const std::string& path) {
    return path + ".tmp~";
}

bool WriteWhole(const std::string& path, std::span<const std::byte> bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const std::size_t written = std::fwrite(bytes.data(), 1, bytes.size(), f);
    bool ok = written == bytes.size();
    ok = std::fflush(f) == 0 && ok;
    ok = std::fclose(f) == 0 && ok;
    return ok;
}

} // namespace

long ReadFileInto(const std::string& path, std::span<std::byte> dest) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return -1;
    in.read(reinterpret_cast<char*>(dest.data()), static_cast<std::streamsize>(dest.size()));
    return static_cast<long>(in.gcount());
}

bool WriteFileAtomically(const std::string& path, std::span<const std::byte> bytes) {
    const std::string temp = TempNameFor(path);
    if (!WriteWhole(temp, bytes)) {
        std::remove(temp.c_str());
        return false;
    }
    std::error_code ec;
    std::filesystem::rename(temp, path, ec);
    if (ec) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

bool LoadMainFile(Project& project, const std::string& path) {
    if (IsCurrentFormat(path)) {
        // Read straight into the image; a short file leaves what it held in place.
        const long n = ReadFileInto(path, BytesOf(project.image));
        if (n < 0 || static_cast<std::size_t>(n) < ProjectImageSize) return false;
    } else {
        // Read into a work buffer first, so a short file changes nothing.
        std::vector<std::byte> buffer(OlderProjectImageSize);
        const long n = ReadFileInto(path, buffer);
        if (n < 0 || static_cast<std::size_t>(n) < OlderProjectImageSize) return false;
        auto image = BytesOf(project.image);
        for (const Stretch& s : OlderFormatStretches)
            std::copy_n(buffer.begin() + static_cast<std::ptrdiff_t>(s.from), s.length,
                        image.begin() + static_cast<std::ptrdiff_t>(s.from));
    }
    SetFixedSpecialStatusNames(project.image);
    return true;
}

bool LoadSideFiles(Project& project, const std::string& path) {
    // A missing side file is not an error: its block keeps what it held. One that exists but
    // is short leaves what was read in place and ends the load.
    std::error_code ec;
    if (std::filesystem::exists(path + "h", ec)) {
        const long n = ReadFileInto(path + "h", BytesOf(project.passwords));
        if (n < static_cast<long>(sizeof(TPasswordBlock))) return false;
    }
    if (std::filesystem::exists(path + "pid", ec)) {
        const long n = ReadFileInto(path + "pid", std::as_writable_bytes(std::span(project.pid)));
        if (n < static_cast<long>(sizeof(project.pid))) return false;
    }
    return true;
}

bool WriteProjectFiles(const Project& project, const std::string& path) {
    // All three files go to temporaries first; only when each is complete are they renamed
    // over their targets, so a failed save leaves the old files as they were.
    const std::pair<std::string, std::span<const std::byte>> files[] = {
        {path, ConstBytesOf(project.image)},
        {path + "h", ConstBytesOf(project.passwords)},
        {path + "pid", std::as_bytes(std::span(project.pid))},
    };
    bool ok = true;
    for (const auto& [name, bytes] : files) {
        if (!WriteWhole(TempNameFor(name), bytes)) {
            ok = false;
            break;
        }
    }
    if (ok) {
        for (const auto& [name, bytes] : files) {
            std::error_code ec;
            std::filesystem::rename(TempNameFor(name), name, ec);
            if (ec) ok = false;
        }
    }
    for (const auto& [name, bytes] : files) {
        std::error_code ec;
        std::filesystem::remove(TempNameFor(name), ec);
    }
    return ok;
}

void AskToSaveNewProject(ProjectDocument& doc, Host& host) {
    if (!doc.modified) return;
    if (host.AskYesNo("Should modifications in design be saved?") == AnswerYes)
        SaveProject(doc, host, false);
}

static void SetFileName(ProjectDocument& doc, const std::string& name) {
    doc.fileName = name;
    if (doc.showFileName) doc.showFileName(name);
}

static void EnableCommands(ProjectDocument& doc, bool on) {
    if (doc.enableProjectCommands) doc.enableProjectCommands(on);
}

void NewProject(ProjectDocument& doc, Host& host, const std::string& programFolder) {
    AskToSaveNewProject(doc, host);
    doc.modified = true;
    const std::string templatePath =
        (std::filesystem::path(programFolder) / TemplateFileName).string();
    const long n = ReadFileInto(templatePath, BytesOf(doc.project.image));
    if (n < 0 || static_cast<std::size_t>(n) < ProjectImageSize) return;
    SetFileName(doc, templatePath);
    EnableCommands(doc, true);
    SetWashingProgramNumber(doc.project.image);
    SetFixedSpecialStatusNames(doc.project.image);
}

void OpenProject(ProjectDocument& doc, Host& host, const std::string& programFolder) {
    AskToSaveNewProject(doc, host);
    doc.modified = false;
    SetFileName(doc, "");
    EnableCommands(doc, false);
    FileDialogSpec dialog{"Project ZYL|*.zyp;*.zy2", "zy2", programFolder, false};
    const auto chosen = host.ChooseOpenFile(dialog);
    if (!chosen) return;
    if (!LoadMainFile(doc.project, *chosen)) return;
    if (!LoadSideFiles(doc.project, *chosen)) return;
    SetFileName(doc, *chosen);
    EnableCommands(doc, true);
}

bool SaveProject(ProjectDocument& doc, Host& host, bool saveAs) {
    std::string target = doc.fileName;
    if (saveAs) {
        const auto chosen = host.ChooseSaveFile({"Project ZYL|*.zy2", "zy2", "", true});
        if (!chosen) return false;
        target = *chosen;
    } else if (target.empty()) {
        return false;
    }
    if (!WriteProjectFiles(doc.project, target)) return false;
    if (saveAs) SetFileName(doc, target);
    doc.modified = false;
    return true;
}

} // namespace zyl
