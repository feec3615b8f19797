#include "editors/alarms/AlarmEditor.h"

#include "editors/ChannelLists.h"
#include "editors/EditorWidgets.h"
#include "editors/ListWindow.h"
#include "editors/RelaySwitchPanel.h"
#include "editors/alarms/Alarms.h"
#include "project/BlockFile.h"

#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

namespace zyl {

namespace {

FileDialogSpec AlarmFileDialog(bool save) {
    return {AlarmFileFilter, AlarmFileExtension, "", save};
}

QGroupBox* Frame(const QString& title, QWidget* content, QWidget* parent) {
    auto* frame = new QGroupBox(title, parent);
    auto* layout = new QHBoxLayout(frame);
    layout->addWidget(content);
    return frame;
}

} // namespace

AlarmEditor::AlarmEditor(AppContext& ctx, const TAlarmRecord& record, QWidget* parent)
    : QDialog(parent), ctx_(ctx), record_(record) {
    setWindowTitle(QStringLiteral("Alarm"));
    setModal(true);

    toolBar_ = new EditorToolBar(RecordEditorActions, this);

    // The message with a large red "!" beside it.
    auto* messageFrame = new QGroupBox(QStringLiteral("Alarm message"), this);
    messageEdit_ = new QLineEdit(messageFrame);
    messageEdit_->setMinimumWidth(messageEdit_->fontMetrics().horizontalAdvance(QString(18, 'W')));
    auto* bang = new QLabel(QStringLiteral("!"), messageFrame);
    QFont bangFont = bang->font();
    bangFont.setPointSize(30);
    bangFont.setBold(true);
    bang->setFont(bangFont);
    bang->setStyleSheet(QStringLiteral("color: #d32f2f;"));
    auto* messageLayout = new QHBoxLayout(messageFrame);
    messageLayout->addWidget(messageEdit_, 1);
    messageLayout->addSpacing(12);
    messageLayout->addWidget(bang);

    delayEdit_ = new QSpinBox(this);
    delayEdit_->setRange(0, AlarmDelayMax);
    delayEdit_->setSuffix(QStringLiteral(" s"));
    delayEdit_->setAlignment(Qt::AlignRight);
    delayEdit_->setMinimumWidth(
        delayEdit_->fontMetrics().horizontalAdvance(QStringLiteral("65000 s")) + 40);
    statusBox_ = new QComboBox(this);
    logicBox_ = new QComboBox(this);
    switches_ = new RelaySwitchPanel(ctx_.project.image.Relays, this);

    auto* upper = new QHBoxLayout;
    upper->addWidget(messageFrame, 3);
    upper->addWidget(Frame(QStringLiteral("Delay time"), delayEdit_, this), 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 4, 8, 8);
    layout->addWidget(toolBar_);
    layout->addLayout(upper);
    layout->addWidget(Frame(QStringLiteral("Alarm status"), statusBox_, this));
    layout->addWidget(Frame(QStringLiteral("Relay logics"), logicBox_, this));
    layout->addWidget(Frame(QStringLiteral("Relay outputs condition"), switches_, this));
    layout->setSizeConstraint(QLayout::SetFixedSize);

    ShowRecord();
    connect(toolBar_, &EditorToolBar::actionTriggered, this, &AlarmEditor::Trigger);
}

void AlarmEditor::ShowRecord() {
    const AlarmEditorValues v = AlarmEditorValuesFor(record_);
    SetLimitedName(messageEdit_, v.message, AlarmMessageTypingLimit);
    delayEdit_->setValue(v.delay);
    FillList(statusBox_, AlarmStatusList, v.statusIndex);
    FillList(logicBox_, RelayLogicList, v.logicIndex);
    switches_->SetStates(v.relays);
}

void AlarmEditor::TakeControls() {
    AlarmEditorValues v;
    v.message = ToPc(messageEdit_->text());
    v.delay = delayEdit_->value();
    v.statusIndex = statusBox_->currentIndex();
    v.logicIndex = logicBox_->currentIndex();
    switches_->TakeStates(v.relays);
    ApplyAlarmEditor(v, record_);
}

void AlarmEditor::Trigger(EditorAction action) {
    RunUserAction(ctx_.host, [this, action] {
        switch (action) {
        case EditorAction::ReadFromController:
            ReadFromController();
            break;
        case EditorAction::WriteToController:
            WriteToController();
            break;
        case EditorAction::ReadFromDisk:
            ReadFromDisk();
            break;
        case EditorAction::WriteToDisk:
            WriteToDisk();
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

void AlarmEditor::ReadFromController() {
    if (ReadAlarmFromController(ctx_.access, record_) == Outcome::Ok) ShowRecord();
}

void AlarmEditor::WriteToController() {
    TakeControls();
    (void)WriteAlarmToController(ctx_.access, record_);
}

void AlarmEditor::ReadFromDisk() {
    const auto path = ctx_.host.ChooseOpenFile(AlarmFileDialog(false));
    if (!path) return;
    if (ReadRecordKeepingNumber(*path, record_).records == 1) ShowRecord();
}

void AlarmEditor::WriteToDisk() {
    const auto path = ctx_.host.ChooseSaveFile(AlarmFileDialog(true));
    if (!path) return;
    TakeControls();
    const FileStatus written =
        WriteBlockFile<TAlarmRecord>(*path, std::span<const TAlarmRecord>(&record_, 1));
    if (!written) ctx_.host.ShowMessageBox(ToPc(QFile::decodeName(written.error.c_str())));
}

bool EditAlarm(AppContext& ctx, TAlarmRecord& record, QWidget* parent) {
    AlarmEditor editor(ctx, record, parent);
    if (editor.exec() != QDialog::Accepted) return false;
    record = editor.Record();
    return true;
}

} // namespace zyl
