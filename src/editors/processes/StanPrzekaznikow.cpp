#include "editors/processes/StanPrzekaznikow.h"

#include "editors/EditorWidgets.h"
#include "editors/RelaySwitchPanel.h"
#include "editors/processes/Processes.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace zyl {

namespace {

constexpr int NameTypingLimit = 14;

FileDialogSpec ProcessFileDialog(bool save) {
    return {ProcessFileFilter, ProcessFileExtension, "", save};
}

QString Title(bool washing) {
    return washing ? QStringLiteral("Manufacturing processes parameters WASHING")
                   : QStringLiteral("Manufacturing processes parameters");
}

} // namespace

TFStanPrzekaznikow::TFStanPrzekaznikow(AppContext& ctx, const TProcessRecord& record, bool washing,
                                       QWidget* parent)
    : RecordEditor(ctx.host, Title(washing), parent), ctx_(ctx), record_(record),
      washing_(washing) {
    // The process: its number and name.
    auto* nameFrame = new QGroupBox(QStringLiteral("Process No. %1").arg(record_.Number), this);
    nameEdit_ = new QLineEdit(nameFrame);
    nameEdit_->setMinimumWidth(nameEdit_->fontMetrics().horizontalAdvance(QString(16, 'W')));
    auto* nameLabel = new QLabel(QStringLiteral("Name"), nameFrame);
    nameLabel->setBuddy(nameEdit_);
    auto* nameLayout = new QHBoxLayout(nameFrame);
    nameLayout->addWidget(nameLabel);
    nameLayout->addWidget(nameEdit_, 1);

    auto* endFrame = new QGroupBox(QStringLiteral("Step end condition"), this);
    endConditionBox_ = new QComboBox(endFrame);
    endConditionBox_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    auto* endLayout = new QHBoxLayout(endFrame);
    endLayout->addWidget(endConditionBox_, 1);

    auto* relayFrame = new QGroupBox(QStringLiteral("Relay outputs condition"), this);
    switches_ = new RelaySwitchPanel(ctx_.project.image.Relays, relayFrame);
    auto* relayLayout = new QHBoxLayout(relayFrame);
    relayLayout->addWidget(switches_);

    // Five whole-number fields under their headings; a typed number keeps its low 16 bits.
    auto* presetFrame = new QGroupBox(QStringLiteral("Step preset (SP)"), this);
    auto* presetLayout = new QGridLayout(presetFrame);
    presetLayout->setHorizontalSpacing(12);
    const QRegularExpression wholeNumber(QStringLiteral("-?[0-9]{0,9}"));
    for (int i = 0; i < StepPresetCount; ++i) {
        auto* heading = new QLabel(QString::number(i + 1), presetFrame);
        heading->setAlignment(Qt::AlignCenter);
        QFont bold = heading->font();
        bold.setBold(true);
        heading->setFont(bold);
        auto* edit = new QLineEdit(presetFrame);
        edit->setAlignment(Qt::AlignRight);
        edit->setValidator(new QRegularExpressionValidator(wholeNumber, edit));
        edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("-0000000")) + 12);
        edit->setToolTip(QStringLiteral("SP%1").arg(i + 1));
        heading->setBuddy(edit);
        presetLayout->addWidget(heading, 0, i);
        presetLayout->addWidget(edit, 1, i);
        presetEdits_[i] = edit;
    }
    presetLayout->setColumnStretch(StepPresetCount, 1);

    auto* upper = new QHBoxLayout;
    upper->addWidget(nameFrame, 0);
    upper->addWidget(endFrame, 1);
    Body()->addLayout(upper);
    Body()->addWidget(relayFrame);
    Body()->addWidget(presetFrame);

    ShowRecord();
}

QLineEdit* TFStanPrzekaznikow::PresetEdit(int index) const {
    return index >= 0 && index < StepPresetCount ? presetEdits_[index] : nullptr;
}

void TFStanPrzekaznikow::ShowRecord() {
    const ProcessEditorValues v = ProcessEditorValuesFor(record_);
    SetLimitedName(nameEdit_, v.name, NameTypingLimit);
    FillList(endConditionBox_, EndConditionTexts, v.endCondition);
    switches_->SetStates(v.relayStates);
    for (int i = 0; i < StepPresetCount; ++i)
        presetEdits_[i]->setText(QString::fromStdString(v.presets[std::size_t(i)]));
}

void TFStanPrzekaznikow::TakeControls() {
    ProcessEditorValues v;
    v.name = ToPc(nameEdit_->text());
    v.endCondition = endConditionBox_->currentIndex();
    switches_->TakeStates(v.relayStates);
    for (int i = 0; i < StepPresetCount; ++i)
        v.presets[std::size_t(i)] = presetEdits_[i]->text().toStdString();
    ApplyProcessEditor(v, record_);
}

void TFStanPrzekaznikow::ReadFromController() {
    if (ReadProcessFromController(ctx_.access, record_, washing_) == Outcome::Ok) ShowRecord();
}

void TFStanPrzekaznikow::WriteToController() {
    (void)WriteProcessToController(ctx_.access, record_, washing_);
}

void TFStanPrzekaznikow::ReadFromDisk() {
    if (LoadRecordFile(record_, ProcessFileDialog(false))) ShowRecord();
}

void TFStanPrzekaznikow::WriteToDisk() {
    SaveRecordFile(record_, ProcessFileDialog(true));
}

bool EditProcess(AppContext& ctx, TProcessRecord& record, bool washing, QWidget* parent) {
    TFStanPrzekaznikow editor(ctx, record, washing, parent);
    if (editor.exec() != QDialog::Accepted) return false;
    record = editor.Record();
    return true;
}

} // namespace zyl
