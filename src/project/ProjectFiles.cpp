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

} // namespace

bool LoadMainFile(Project& project, const std::string& path) {
    if (IsCurrentFormat(path)) {
        // Read straight into the image; a short file leaves what it held in place.
        const FileRead read = ReadRegularFile(path, BytesOf(project.image));
        if (!read || read.size < ProjectImageSize) return false;
    } else {
        // Read into a work buffer first, so a short file changes nothing.
        std::vector<std::byte> buffer(OlderProjectImageSize);
        const FileRead read = ReadRegularFile(path, buffer);
        if (!read || read.size < OlderProjectImageSize) return false;
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
    if (PathExists(path + "h")) {
        const FileRead read = ReadRegularFile(path + "h", BytesOf(project.passwords));
        if (!read || read.size < sizeof(TPasswordBlock)) return false;
    }
    if (PathExists(path + "pid")) {
        const FileRead read =
            ReadRegularFile(path + "pid", std::as_writable_bytes(std::span(project.pid)));
        if (!read || read.size < sizeof(project.pid)) return false;
    }
    return true;
}

FileStatus WriteProjectFiles(const Project& project, const std::string& path) {
    const FileToWrite files[] = {
        {path, ConstBytesOf(project.image)},
        {path + "h", ConstBytesOf(project.passwords)},
        {path + "pid", std::as_bytes(std::span(project.pid))},
    };
    return WriteFilesTogether(files);
}

void AskToSaveNewProject(ProjectDocument& doc, Host& host) {
    if (!doc.modified) return;
    if (host.AskYesNo("Should modifications in design be saved?") == AnswerYes)
        SaveProject(doc, host, false);
}

void SetModified(ProjectDocument& doc, bool modified) {
    const bool changed = doc.modified != modified;
    doc.modified = modified;
    if (changed && doc.showModified) doc.showModified(modified);
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
    SetModified(doc, true);
    const std::string templatePath =
        (std::filesystem::path(programFolder) / TemplateFileName).string();
    const FileRead read = ReadRegularFile(templatePath, BytesOf(doc.project.image));
    if (!read || read.size < ProjectImageSize) return;
    SetFileName(doc, templatePath);
    EnableCommands(doc, true);
    SetWashingProgramNumber(doc.project.image);
    SetFixedSpecialStatusNames(doc.project.image);
}

void OpenProject(ProjectDocument& doc, Host& host, const std::string& programFolder) {
    AskToSaveNewProject(doc, host);
    SetModified(doc, false);
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
    SetModified(doc, false);
    return true;
}

} // namespace zyl
