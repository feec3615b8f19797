#include "editors/statuses/SpecialStatusEditor.h"

#include "project/ValueLists.h"
#include "editors/EditorWidgets.h"
#include "editors/RelaySwitchPanel.h"
#include "editors/statuses/SpecialStatuses.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

namespace zyl {

namespace {

FileDialogSpec StatusFileDialog(bool save) {
    return {SpecialStatusFileFilter, SpecialStatusFileExtension, "", save};
}

} // namespace

SpecialStatusEditor::SpecialStatusEditor(AppContext& ctx, const TSpecialStatusRecord& record,
                                         QWidget* parent)
    : RecordEditor(ctx.host, QStringLiteral("Special statuses"), parent), ctx_(ctx),
      record_(record) {
    nameLabel_ = new QLabel(this);
    QFont nameFont = nameLabel_->font();
    nameFont.setBold(true);
    nameFont.setPointSizeF(nameFont.pointSizeF() * 1.3);
    nameLabel_->setFont(nameFont);
    nameLabel_->setMinimumWidth(nameLabel_->fontMetrics().horizontalAdvance(QString(14, 'W')));

    timeEdit_ = new QSpinBox(this);
    timeEdit_->setRange(SwitchOffTimeMin, SwitchOffTimeMax);
    timeEdit_->setSuffix(QStringLiteral(" s"));
    timeEdit_->setAlignment(Qt::AlignRight);
    timeEdit_->setMinimumWidth(
        timeEdit_->fontMetrics().horizontalAdvance(QStringLiteral("65000 s")) + 40);
    logicBox_ = new QComboBox(this);
    switches_ = new RelaySwitchPanel(ctx_.project.image.Relays, this);

    auto* upper = new QHBoxLayout;
    upper->addWidget(Frame(QStringLiteral("Name"), nameLabel_, this), 3);
    upper->addWidget(Frame(QStringLiteral("Switch-off time"), timeEdit_, this), 1);
    Body()->addLayout(upper);
    Body()->addWidget(Frame(QStringLiteral("Relay logics"), logicBox_, this));
    Body()->addWidget(Frame(QStringLiteral("Relay outputs condition"), switches_, this));
    ShowRecord();
}

void SpecialStatusEditor::ShowRecord() {
    const SpecialStatusEditorValues v = SpecialStatusEditorValuesFor(record_);
    nameLabel_->setText(FromPc(v.name));
    timeEdit_->setValue(v.switchOffTime);
    FillList(logicBox_, RelayLogicList, v.logicIndex);
    switches_->SetStates(v.relays);
}

void SpecialStatusEditor::TakeControls() {
    SpecialStatusEditorValues v;
    v.name = ToPc(nameLabel_->text());
    v.switchOffTime = timeEdit_->value();
    v.logicIndex = logicBox_->currentIndex();
    switches_->TakeStates(v.relays);
    ApplySpecialStatusEditor(v, record_);
}

void SpecialStatusEditor::ReadFromController() {
    if (ReadSpecialStatusFromController(ctx_.access, record_) == Outcome::Ok) ShowRecord();
}

void SpecialStatusEditor::WriteToController() {
    (void)WriteSpecialStatusToController(ctx_.access, record_);
}

void SpecialStatusEditor::ReadFromDisk() {
    if (LoadRecordFile(record_, StatusFileDialog(false))) ShowRecord();
}

void SpecialStatusEditor::WriteToDisk() {
    SaveRecordFile(record_, StatusFileDialog(true));
}

bool EditSpecialStatus(AppContext& ctx, TSpecialStatusRecord& record, QWidget* parent) {
    SpecialStatusEditor editor(ctx, record, parent);
    if (editor.exec() != QDialog::Accepted) return false;
    record = editor.Record();
    return true;
}

} // namespace zyl
