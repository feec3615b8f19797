#pragma once

// The report written to a file: an HTML document that stands on its own (the pictures inside
// it), or a PDF printed from the same document on A4 landscape pages, with the tables' header
// rows repeated on each page and the page number at the foot.

#include "core/AppContext.h"
#include "report/ProjectReport.h"

#include <QDialog>

#include <string>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace zyl {

enum class ReportFormat { Pdf, Html };

// Writes the file whole or not at all; returns why it could not be written, or empty.
[[nodiscard]] std::string WriteReport(const Report& report, ReportFormat format,
                                      const std::string& path);

// The report of the open project with the date of now.
[[nodiscard]] Report ReportOfOpenProject(const AppContext& context, const std::string& note);

// File > "Export report…": a note for the title page, and "PDF…" / "HTML…", each asking
// where to save the report of the open project and saying where it went.
class ExportReportDialog : public QDialog {
    Q_OBJECT
public:
    ExportReportDialog(AppContext& context, QWidget* parent = nullptr);

    [[nodiscard]] QPlainTextEdit* NoteEdit() const { return note_; }
    [[nodiscard]] QPushButton* PdfButton() const { return pdf_; }
    [[nodiscard]] QPushButton* HtmlButton() const { return html_; }
    [[nodiscard]] QLabel* ResultLabel() const { return result_; }

private:
    void Export(ReportFormat format);

    AppContext& context_;
    QPlainTextEdit* note_ = nullptr;
    QPushButton* pdf_ = nullptr;
    QPushButton* html_ = nullptr;
    QLabel* result_ = nullptr;
};

} // namespace zyl
