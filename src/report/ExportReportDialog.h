#pragma once

#include "core/AppContext.h"
#include "report/ReportWriter.h"

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace zyl {

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
