#include "report/ExportReportDialog.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace zyl {

ExportReportDialog::ExportReportDialog(AppContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
    setWindowTitle(QStringLiteral("Export report"));
    auto* noteLabel = new QLabel(QStringLiteral("Note on the title page:"), this);
    note_ = new QPlainTextEdit(this);
    note_->setPlaceholderText(QStringLiteral("Plant, machine, commissioned by, remarks"));
    result_ = new QLabel(this);
    result_->setWordWrap(true);
    result_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    pdf_ = buttons->addButton(QStringLiteral("PDF\u2026"), QDialogButtonBox::ActionRole);
    html_ = buttons->addButton(QStringLiteral("HTML\u2026"), QDialogButtonBox::ActionRole);
    connect(pdf_, &QPushButton::clicked, this, [this] { Export(ReportFormat::Pdf); });
    connect(html_, &QPushButton::clicked, this, [this] { Export(ReportFormat::Html); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(noteLabel);
    layout->addWidget(note_, 1);
    layout->addWidget(result_);
    layout->addWidget(buttons);
    resize(460, 300);
}

void ExportReportDialog::Export(ReportFormat format) {
    const bool pdf = format == ReportFormat::Pdf;
    const std::string& open = context_.document.fileName;
    FileDialogSpec dialog{
        pdf ? "PDF|*.pdf" : "HTML|*.html", pdf ? "pdf" : "html",
        open.empty() ? std::string() : QFileInfo(QString::fromStdString(open)).path().toStdString(),
        true};
    const auto chosen = context_.host.ChooseSaveFile(dialog);
    if (!chosen) return;
    const std::string error = WriteReport(
        ReportOfOpenProject(context_, note_->toPlainText().toStdString()), format, *chosen);
    if (!error.empty()) {
        result_->clear();
        context_.host.ShowMessageBox(error);
        return;
    }
    result_->setText(QStringLiteral("Saved: ") + QString::fromStdString(*chosen));
}

} // namespace zyl
