#include "report/ProjectReport.h"

#include "panel/CodePage.h"

namespace zyl {

namespace {

// Text as XML character data: the markup characters escaped, and characters that XML does not
// allow (C0 controls other than tab and line feed, invalid UTF-8) as U+FFFD.
void AppendEscaped(std::string& out, std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        const char32_t cp = DecodeUtf8(text, pos);
        switch (cp) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default: {
            const bool allowed = cp != InvalidUtf8 && (cp >= 0x20 || cp == '\t' || cp == '\n') &&
                                 cp != 0xFFFE && cp != 0xFFFF;
            AppendUtf8(out, allowed ? cp : 0xFFFD);
        }
        }
    }
}

std::string Escaped(std::string_view text) {
    std::string out;
    AppendEscaped(out, text);
    return out;
}

constexpr const char* Style =
    "body { font-family: 'DejaVu Sans', sans-serif; font-size: 8pt; }\n"
    "h1 { font-size: 20pt; }\n"
    "h2 { font-size: 14pt; page-break-before: always; }\n"
    "h3 { font-size: 10pt; }\n"
    "table { border-collapse: collapse; }\n"
    "th { background-color: #e4e4e4; text-align: left; }\n"
    "th, td { border: 1px solid #808080; padding: 2px 4px; vertical-align: top; }\n"
    "table.facts td { border: none; font-size: 11pt; padding: 2px 12px 2px 0; }\n"
    "p.note { font-size: 11pt; }\n";

void AppendTable(std::string& out, const ReportTable& table,
                 const std::function<ReportPictureSource(const ReportPicture&)>& pictureSource) {
    out += "<table border=\"1\" cellspacing=\"0\" cellpadding=\"2\" width=\"100%\">\n<thead><tr>";
    for (const std::string& column : table.columns) out += "<th>" + Escaped(column) + "</th>";
    out += "</tr></thead>\n<tbody>\n";
    for (const auto& row : table.rows) {
        out += "<tr>";
        for (const ReportCell& cell : row) {
            out += "<td>";
            if (cell.picture) {
                const ReportPictureSource picture = pictureSource(*cell.picture);
                out += "<img src=\"" + Escaped(picture.address) + "\" width=\"" +
                       std::to_string(picture.width) + "\" height=\"" +
                       std::to_string(picture.height) + "\" alt=\"\"/><br/>";
            }
            AppendEscaped(out, cell.text);
            out += "</td>";
        }
        out += "</tr>\n";
    }
    out += "</tbody>\n</table>\n";
}

} // namespace

std::string
ReportHtml(const Report& report,
           const std::function<ReportPictureSource(const ReportPicture&)>& pictureSource) {
    std::string out = "<!DOCTYPE html>\n<html xmlns=\"http://www.w3.org/1999/xhtml\">\n<head>\n"
                      "<meta charset=\"utf-8\"/>\n<title>";
    AppendEscaped(out, report.title);
    out += "</title>\n<style>\n";
    out += Style;
    out += "</style>\n</head>\n<body>\n<h1>";
    AppendEscaped(out, report.title);
    out += "</h1>\n<table class=\"facts\">\n";
    for (const auto& [name, value] : report.facts)
        out += "<tr><td>" + Escaped(name) + "</td><td>" + Escaped(value) + "</td></tr>\n";
    out += "</table>\n";
    if (!report.note.empty()) {
        out += "<p class=\"note\">";
        std::size_t start = 0;
        for (;;) {
            const std::size_t end = report.note.find('\n', start);
            AppendEscaped(out, std::string_view(report.note).substr(start, end - start));
            if (end == std::string::npos) break;
            out += "<br/>";
            start = end + 1;
        }
        out += "</p>\n";
    }
    for (const ReportSection& section : report.sections) {
        out += "<h2>" + Escaped(section.title) + "</h2>\n";
        for (const ReportPart& part : section.parts) {
            if (!part.heading.empty()) out += "<h3>" + Escaped(part.heading) + "</h3>\n";
            if (!part.text.empty()) out += "<p>" + Escaped(part.text) + "</p>\n";
            if (part.table) AppendTable(out, *part.table, pictureSource);
        }
    }
    out += "</body>\n</html>\n";
    return out;
}

} // namespace zyl
