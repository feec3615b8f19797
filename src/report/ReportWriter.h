#pragma once

// The report written to a file: an HTML document that stands on its own (the pictures inside
// it), or a PDF painted from the same report on A4 landscape pages: each section on a new
// page, no table row split, the tables' header rows repeated on each page, the page number at
// the foot.

#include "core/AppContext.h"
#include "report/ProjectReport.h"

#include <string>

namespace zyl {

enum class ReportFormat { Pdf, Html };

// Writes the file whole or not at all; returns why it could not be written, or empty.
[[nodiscard]] std::string WriteReport(const Report& report, ReportFormat format,
                                      const std::string& path);

// The report of the open project with the date of now.
[[nodiscard]] Report ReportOfOpenProject(const AppContext& context, const std::string& note);

} // namespace zyl
