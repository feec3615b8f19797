#pragma once

// Project files: the main file (a byte copy of the image, or the older shorter format)
// and its two side files, main name + "h" (passwords) and main name + "pid".

#include "core/Host.h"
#include "project/FileIO.h"
#include "project/ProjectImage.h"

#include <cstddef>
#include <functional>
#include <span>
#include <string>

namespace zyl {

// What the main window shows of the project: the current file name and the modified flag.
struct ProjectDocument {
    explicit ProjectDocument(Project& project) : project(project) {}

    Project& project;
    std::string fileName; // full path; empty when no project is open
    bool modified = false;
    // Called with true when a project becomes present, with false when Open starts.
    std::function<void(bool)> enableProjectCommands;
    // Called whenever the current file name changes.
    std::function<void(const std::string&)> showFileName;
    // Called whenever the modified flag changes.
    std::function<void(bool)> showModified;
};

// Sets or clears the modified flag and shows it.
void SetModified(ProjectDocument& doc, bool modified);

inline constexpr const char* TemplateFileName = "default.zy2";

// File > New: the question on leaving a new project, then the template from programFolder.
void NewProject(ProjectDocument& doc, Host& host, const std::string& programFolder);
// File > Open.
void OpenProject(ProjectDocument& doc, Host& host, const std::string& programFolder);
// File > Save (saveAs false) and Save as (saveAs true). True when every file was written.
bool SaveProject(ProjectDocument& doc, Host& host, bool saveAs);
// The question on leaving a new project (used by New, Open and closing the main window).
void AskToSaveNewProject(ProjectDocument& doc, Host& host);

// Loading without dialogs (used by the above, the command line and tests).
// False on a file error; the image then holds what the rules say (see the .cpp).
bool LoadMainFile(Project& project, const std::string& path);
bool LoadSideFiles(Project& project, const std::string& path);
// Writes the main file and its two side files all or none.
[[nodiscard]] FileStatus WriteProjectFiles(const Project& project, const std::string& path);

} // namespace zyl
