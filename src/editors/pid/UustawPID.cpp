#include "editors/pid/UustawPID.h"

#include "project/ValueLists.h"
#include "editors/EditorWidgets.h"
#include "editors/ListWindow.h"
#include "editors/ToolIcons.h"
#include "editors/analog/NumberEdits.h"
#include "editors/pid/PidRegulators.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QToolButton>
#include <QVBoxLayout>

namespace zyl {

TFUstawPID::TFUstawPID(Host& host, const TPidRecord& record, QWidget* parent)
    : QDialog(parent), host_(host), record_(record), separator_(SystemDecimalSeparator()) {
    setWindowTitle(QStringLiteral("PID"));
    setModal(true);
    const PidEditorValues v = PidEditorValuesFor(record_, separator_);

    saveButton_ = MakeToolButton(ToolIcon::Save, QStringLiteral("Save"), this, true);
    cancelButton_ = MakeToolButton(ToolIcon::Cancel, QStringLiteral("Cancel"), this, true);
    auto* tools = new QHBoxLayout;
    tools->setContentsMargins(0, 0, 0, 0);
    tools->addWidget(saveButton_);
    tools->addWidget(cancelButton_);
    tools->addStretch(1);

    FieldFrame lists(this);
    typeBox_ = lists.Add("Typ", new QComboBox(this));
    channelBox_ = lists.Add("Measurement channel", new QComboBox(this));
    setValueBox_ = lists.Add("Set value", new QComboBox(this));
    for (QComboBox* box : {typeBox_, channelBox_, setValueBox_})
        box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    FillList(typeBox_, HeatingCoolingList, v.typeIndex);
    FillList(channelBox_, MeasurementChannelList, v.channelIndex);
    FillList(setValueBox_, SetValueSourceList, v.setValueIndex);

    FieldFrame pid(this, QStringLiteral(" PID "));
    sampleEdit_ = pid.Add("Sample", new WholeNumberEdit(this));
    gainEdit_ = pid.Add("Gain", new RealNumberEdit(separator_, this));
    timeTiEdit_ = pid.Add("Time Ti", new RealNumberEdit(separator_, this));
    timeTdEdit_ = pid.Add("Time Td", new RealNumberEdit(separator_, this));
    periodEdit_ = pid.Add("Period", new RealNumberEdit(separator_, this));
    sampleEdit_->Show(v.sample);
    gainEdit_->Show(v.gain);
    timeTiEdit_->Show(v.timeTi);
    timeTdEdit_->Show(v.timeTd);
    periodEdit_->Show(v.period);
    pidGroup_ = pid.Box();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 4, 8, 8);
    layout->addLayout(tools);
    layout->addWidget(lists.Box());
    layout->addWidget(pidGroup_);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(saveButton_, &QToolButton::clicked, this,
            [this] { RunUserAction(host_, [this] { Save(); }); });
    connect(cancelButton_, &QToolButton::clicked, this, &QDialog::reject);
}

void TFUstawPID::Save() {
    PidEditorValues v;
    v.typeIndex = typeBox_->currentIndex();
    v.channelIndex = channelBox_->currentIndex();
    v.setValueIndex = setValueBox_->currentIndex();
    v.sample = sampleEdit_->Text();
    v.gain = gainEdit_->Text();
    v.timeTi = timeTiEdit_->Text();
    v.timeTd = timeTdEdit_->Text();
    v.period = periodEdit_->Text();
    ApplyPidEditor(v, record_, separator_);
    accept();
}

bool EditPidRegulator(AppContext& ctx, TPidRecord& record, QWidget* parent) {
    TFUstawPID editor(ctx.host, record, parent);
    if (editor.exec() != QDialog::Accepted) return false;
    record = editor.Record();
    return true;
}

} // namespace zyl
