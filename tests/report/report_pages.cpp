// Writes the report of a filled project for the documentation, and pictures of two of its
// pages (the programs, the relays) through pdftoppm:
//   report_pages --screenshots DIR
// Run it under QT_QPA_PLATFORM=offscreen.

#include "report/FilledProject.h"
#include "support/Screenshots.h"

#include "report/ReportWriter.h"

#include <QApplication>
#include <QDir>
#include <QProcess>

#include <cstdio>

using namespace zyl;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const auto folder = test::ScreenshotFolder("report_pages");
    if (!folder) return 2;
    const QString pdf = folder->filePath("report.pdf");
    const auto project = test::FilledProject();
    const std::string error = WriteReport(
        BuildProjectReport(*project, {"plant.zy2", "2026-12-11 10:00",
                                      "Line 3, hall B\nCommissioned by J. Nowak", 1250}),
        ReportFormat::Pdf, pdf.toStdString());
    if (!error.empty()) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    // Page 2 holds the first programs, page 7 the relays with their pictures.
    for (const auto& [page, name] :
         {std::pair{2, "report-programs"}, std::pair{7, "report-relays"}}) {
        QProcess p;
        p.start("pdftoppm", {"-png", "-r", "60", "-singlefile", "-f", QString::number(page), "-l",
                             QString::number(page), pdf, folder->filePath(name)});
        if (!p.waitForFinished(60000) || p.exitCode() != 0) {
            std::fprintf(stderr, "pdftoppm failed on page %d\n", page);
            return 1;
        }
    }
    return 0;
}
