#include "editors/alarms/AlarmEditor.h"

#include "project/ValueLists.h"
#include "editors/EditorWidgets.h"
#include "editors/RelaySwitchPanel.h"
#include "editors/alarms/Alarms.h"

#include <QComboBox>
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

} // namespace

AlarmEditor::AlarmEditor(AppContext& ctx, const TAlarmRecord& record, QWidget* parent)
    : RecordEditor(ctx.host, QStringLiteral("Alarm"), parent), ctx_(ctx), record_(record) {
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

    Body()->addLayout(upper);
    Body()->addWidget(Frame(QStringLiteral("Alarm status"), statusBox_, this));
    Body()->addWidget(Frame(QStringLiteral("Relay logics"), logicBox_, this));
    Body()->addWidget(Frame(QStringLiteral("Relay outputs condition"), switches_, this));
    ShowRecord();
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

void AlarmEditor::ReadFromController() {
    if (ReadAlarmFromController(ctx_.access, record_) == Outcome::Ok) ShowRecord();
}

void AlarmEditor::WriteToController() {
    (void)WriteAlarmToController(ctx_.access, record_);
}

void AlarmEditor::ReadFromDisk() {
    if (LoadRecordFile(record_, AlarmFileDialog(false))) ShowRecord();
}

void AlarmEditor::WriteToDisk() {
    SaveRecordFile(record_, AlarmFileDialog(true));
}

bool EditAlarm(AppContext& ctx, TAlarmRecord& record, QWidget* parent) {
    AlarmEditor editor(ctx, record, parent);
    if (editor.exec() != QDialog::Accepted) return false;
    record = editor.Record();
    return true;
}

} // namespace zyl
