#include "ProjectTextCommands.h"

#include "ZylctlCommands.h"
#include "panel/CodePage.h"
#include "project/FileIO.h"
#include "project/Json.h"
#include "project/ProjectFiles.h"
#include "report/ReportWriter.h"
#include "transfer/ProjectText.h"
#include "transfer/ProjectTransfer.h"

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>

namespace zyl::cli {

namespace {

void Print(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
}

int Dump(const std::vector<std::string>& args, int pcCodePage) {
    const RecordFilesRead read = ReadRecordFiles(args[0]);
    if (!read) return FileFailure(read.error);
    const bool json = args.size() == 2;
    Print(json ? DumpRecordJson(read.files, pcCodePage)
               : DumpRecordText(read.files, pcCodePage, args[0]));
    return ExitOk;
}

int Build(const std::vector<std::string>& args) {
    const std::string& source = args[0];
    const std::string& target = args[1];
    // The size first, so that the buffer holds the whole text and no more.
    const FileRead probe = ReadRegularFile(source, {});
    if (!probe) return FileFailure(probe.error);
    if (probe.fileSize > JsonLimits{}.maxBytes)
        return FileFailure(source + " is longer than " + std::to_string(JsonLimits{}.maxBytes) +
                           " bytes; nothing written");
    std::string text(std::size_t(probe.fileSize), '\0');
    const FileRead read = ReadRegularFile(source, std::as_writable_bytes(std::span(text)));
    if (!read) return FileFailure(read.error);
    if (read.more) return FileFailure(source + " grew while it was read; nothing written");
    text.resize(read.size);

    const RecordFilesBuild built = BuildRecordFiles(text);
    if (!built) return FileFailure(source + ": " + built.error + "; nothing written");
    if (const std::string why = NameMismatch(built.files, target); !why.empty())
        return FileFailure(why + "; nothing written");
    if (const FileStatus written = WriteRecordFiles(built.files, target); !written)
        return FileFailure(written.error);
    return ExitOk;
}

int Diff(const std::vector<std::string>& args, int pcCodePage) {
    const RecordFilesRead left = ReadRecordFiles(args[0]);
    if (!left) return FileFailure(left.error);
    const RecordFilesRead right = ReadRecordFiles(args[1]);
    if (!right) return FileFailure(right.error);
    const RecordFilesDiff diff = DiffRecordFiles(left.files, right.files, pcCodePage);
    if (!diff) return FileFailure(args[0] + ", " + args[1] + ": " + diff.error);
    for (const FieldDifferenceRow& row : diff.rows) Print(DifferenceLine(row) + '\n');
    return diff.rows.empty() ? ExitOk : ExitDifference;
}

// Whether the two names stand for one file (one of them may not exist yet).
bool SamePath(const std::string& a, const std::string& b) {
    std::error_code error;
    const auto left = std::filesystem::weakly_canonical(a, error);
    if (error) return a == b;
    const auto right = std::filesystem::weakly_canonical(b, error);
    return error ? a == b : left == right;
}

int ReportCommand(const std::vector<std::string>& args, int pcCodePage) {
    const std::string& source = args[0];
    const RecordFilesRead read = ReadRecordFiles(source);
    if (!read) return FileFailure(read.error);
    if (read.files.kind != RecordFileKind::Project)
        return FileFailure(source + " is a " + std::string(RecordFileKindName(read.files.kind)) +
                           " file, not a project; nothing written");
    for (const std::string& file : {source, source + "h", source + "pid"})
        if (SamePath(file, args[2]))
            return FileFailure(args[2] + " is " + file + " itself; nothing written");
    auto project = std::make_unique<Project>();
    if (!LoadMainFile(*project, source) || !LoadSideFiles(*project, source))
        return FileFailure(source + " could not be read; nothing written");
    ReportInfo info;
    info.projectFile = source.substr(source.find_last_of("/\\") + 1);
    const std::tm local = LocalTimeNow();
    char date[32];
    std::strftime(date, sizeof date, "%Y-%m-%d %H:%M", &local);
    info.date = date;
    info.pcCodePage = pcCodePage;
    const std::string error =
        WriteReport(BuildProjectReport(*project, info),
                    args[1] == "--pdf" ? ReportFormat::Pdf : ReportFormat::Html, args[2]);
    return error.empty() ? ExitOk : FileFailure(error);
}

} // namespace

bool IsProjectTextCommand(const std::string& command) {
    return command == "dump" || command == "build" || command == "diff" || command == "report";
}

std::string CheckProjectTextArguments(const std::string& command,
                                      const std::vector<std::string>& args) {
    if (command == "dump") {
        const bool fits = args.size() == 1 || (args.size() == 2 && args[1] == "--json");
        return fits && args[0] != "--json" ? "" : "dump takes FILE [--json]";
    }
    if (command == "report") {
        const bool fits = args.size() == 3 && (args[1] == "--pdf" || args[1] == "--html") &&
                          args[2].rfind("--", 0) != 0;
        return fits ? "" : "report takes FILE --pdf|--html OUT";
    }
    if (args.size() != 2)
        return command == "build" ? "build takes FILE.json OUT" : "diff takes FILE1 FILE2";
    return {};
}

int ProjectTextCommand(const std::string& command, const std::vector<std::string>& args,
                       std::optional<int> codePage) {
    const int pcCodePage = PcCodePageFor(codePage.value_or(CodePageStandard));
    if (command == "dump") return Dump(args, pcCodePage);
    if (command == "build") return Build(args);
    if (command == "report") return ReportCommand(args, pcCodePage);
    return Diff(args, pcCodePage);
}

} // namespace zyl::cli
