#include "editors/RecordEditor.h"

#include "editors/EditorWidgets.h"
#include "editors/ListWindow.h"

#include <QVBoxLayout>

namespace zyl {

RecordEditor::RecordEditor(Host& host, const QString& title, QWidget* parent)
    : RecordEditor(host, title, RecordEditorActions, parent) {}

RecordEditor::RecordEditor(Host& host, const QString& title, std::span<const EditorAction> actions,
                           QWidget* parent)
    : QDialog(parent), host_(host), toolBar_(new EditorToolBar(actions, this)),
      body_(new QVBoxLayout) {
    setWindowTitle(title);
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 4, 8, 8);
    layout->addWidget(toolBar_);
    layout->addLayout(body_);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    connect(toolBar_, &EditorToolBar::actionTriggered, this, &RecordEditor::Trigger);
}

void RecordEditor::Trigger(EditorAction action) {
    RunUserAction(host_, [this, action] {
        switch (action) {
        case EditorAction::ReadFromController:
            ReadFromController();
            break;
        case EditorAction::WriteToController:
            TakeControls();
            WriteToController();
            break;
        case EditorAction::ReadFromDisk:
            ReadFromDisk();
            break;
        case EditorAction::WriteToDisk:
            WriteToDisk();
            break;
        case EditorAction::Cancel:
            reject();
            break;
        case EditorAction::Save:
            TakeControls();
            accept();
            break;
        case EditorAction::Edit:
            break;
        }
    });
}

void RecordEditor::ReportFileStatus(const FileStatus& status) {
    if (!status) ShowFileError(host_, status);
}

} // namespace zyl
