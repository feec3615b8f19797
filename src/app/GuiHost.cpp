#include "app/GuiHost.h"

#include "app/Dialogs.h"
#include "panel/CodePage.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QFileDialog>
#include <QStringList>
#include <QWidget>

namespace zyl {

namespace {

std::optional<std::string> RunFileDialog(const FileDialogSpec& request, bool save) {
    QFileDialog dialog(QApplication::activeWindow());
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    const QString filter = ToolkitFileFilter(request.filter);
    if (!filter.isEmpty()) dialog.setNameFilters(filter.split(QStringLiteral(";;")));
    if (!request.defaultExtension.empty())
        dialog.setDefaultSuffix(QString::fromStdString(request.defaultExtension));
    if (!request.initialFolder.empty())
        dialog.setDirectory(QFile::decodeName(request.initialFolder.c_str()));
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !(save && request.overwritePrompt));
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty()) return std::nullopt;
    return QFile::encodeName(files.front()).toStdString();
}

} // namespace

QString FromPcText(std::string_view bytes) {
    return QString::fromStdString(PcToUtf8(1250, bytes));
}

QString ToolkitFileFilter(std::string_view filter) {
    const QStringList parts = FromPcText(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& p : patterns) p = p.trimmed();
        filters << parts[i].trimmed() + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                       QLatin1Char(')');
    }
    return filters.join(QStringLiteral(";;"));
}

void GuiHost::ShowMessageBox(const std::string& text) {
    zyl::ShowMessageBox(FromPcText(text));
}

int GuiHost::AskYesNo(const std::string& text) {
    return zyl::AskYesNo(FromPcText(text));
}

OperationInputGuard::OperationInputGuard(const QWidget* progress,
                                         const std::vector<const QWidget*>& allowed)
    : progress_(progress), allowed_(allowed) {
    QCoreApplication::instance()->installEventFilter(this);
}

OperationInputGuard::~OperationInputGuard() {
    QCoreApplication::instance()->removeEventFilter(this);
}

bool OperationInputGuard::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
        break;
    case QEvent::Close:
        if (!event->spontaneous()) return false;
        break;
    default:
        return false;
    }
    const auto* widget = qobject_cast<const QWidget*>(watched);
    if (!widget) return false;
    if (progress_ && widget->window() == progress_) return false;
    for (const QWidget* allowed : allowed_)
        if (widget == allowed || allowed->isAncestorOf(widget)) return false;
    return true;
}

void GuiHost::AllowDuringOperations(const QWidget* widget) {
    allowed_.push_back(widget);
}

void GuiHost::DisallowDuringOperations(const QWidget* widget) {
    std::erase(allowed_, widget);
}

void GuiHost::ShowProgress(int position, int maximum, const std::string& text) {
    const OperationInputGuard guard(progress_, allowed_);
    if (progress_)
        progress_->ShowProgress(position, maximum, FromPcText(text));
    else
        QCoreApplication::processEvents();
}

void GuiHost::HideProgress() {
    if (progress_) progress_->hide();
}

bool GuiHost::CancelRequested() {
    return progress_ && progress_->CancelRequested();
}

void GuiHost::ClearCancel() {
    if (progress_) progress_->ClearCancel();
}

void GuiHost::ProcessEvents() {
    const OperationInputGuard guard(progress_, allowed_);
    QCoreApplication::processEvents();
}

std::optional<std::string> GuiHost::ChooseOpenFile(const FileDialogSpec& request) {
    return RunFileDialog(request, false);
}

std::optional<std::string> GuiHost::ChooseSaveFile(const FileDialogSpec& request) {
    return RunFileDialog(request, true);
}

} // namespace zyl
