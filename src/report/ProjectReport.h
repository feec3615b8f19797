#pragma once

// The commissioning report of a project: a title page (the project file, the date, the
// controller's program version and the user's note) and a section per block, each a table
// whose columns are the fields of the block's record table and whose cells show the values as
// the text dump shows them. Records with nothing set, and program steps that are empty, are
// left out, and the section says how many. The passwords are never part of it.
//
// Written out as one well-formed HTML document (ReportHtml), which the PDF is printed from.

#include "project/ProjectImage.h"

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zyl {

// A drawing the editors make, shown in a cell beside its value.
struct ReportPicture {
    enum class Kind { TimeType, RegulatorType } kind = Kind::TimeType;
    int value = 0;
    bool operator==(const ReportPicture&) const = default;
};

struct ReportCell {
    std::string text; // UTF-8
    std::optional<ReportPicture> picture;
};

struct ReportTable {
    std::vector<std::string> columns;
    std::vector<std::vector<ReportCell>> rows;
};

struct ReportPart {
    std::string heading; // "Program 12: MIXING"; may be empty
    std::string text;    // a paragraph under it; may be empty
    std::optional<ReportTable> table;
};

struct ReportSection {
    std::string title; // "Programs", "Relays", "Setup parameters"
    std::vector<ReportPart> parts;
};

struct Report {
    std::string title;
    std::vector<std::pair<std::string, std::string>> facts; // the title page's lines
    std::string note;                                       // the user's text, lines by '\n'
    std::vector<ReportSection> sections;
};

struct ReportInfo {
    std::string projectFile; // as the title page names it
    std::string date;        // "2026-12-11 03:10"
    std::string note;        // UTF-8
    int pcCodePage = 1250;   // the code page the project's texts were written in
};

inline constexpr const char* ReportTitle = "Commissioning report";

[[nodiscard]] Report BuildProjectReport(const Project& project, const ReportInfo& info);

// The report as an HTML document that is well-formed XML. pictureSource gives the address of
// a picture (a data: address for a document on its own, a resource name for printing) and
// its size in pixels.
struct ReportPictureSource {
    std::string address;
    int width = 0;
    int height = 0;
};
[[nodiscard]] std::string
ReportHtml(const Report& report,
           const std::function<ReportPictureSource(const ReportPicture&)>& pictureSource);

} // namespace zyl
