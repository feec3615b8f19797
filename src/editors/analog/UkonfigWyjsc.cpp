#include "editors/analog/UkonfigWyjsc.h"

#include "project/ValueLists.h"
#include "editors/EditorWidgets.h"
#include "editors/ListWindow.h"
#include "editors/ToolIcons.h"
#include "editors/analog/AnalogOutputs.h"
#include "editors/analog/NumberEdits.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace zyl {

namespace {

QComboBox* MakeList(QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    return box;
}

} // namespace

TFkonfigwyjsc::TFkonfigwyjsc(Host& host, const TAnalogOutputRecord& record, QWidget* parent)
    : QDialog(parent), host_(host), record_(record), separator_(SystemDecimalSeparator()) {
    setWindowTitle(QStringLiteral("Analog OUT"));
    setModal(true);
    const AnalogOutputEditorValues v = AnalogOutputEditorValuesFor(record_, separator_);

    saveButton_ = MakeToolButton(ToolIcon::Save, QStringLiteral("Save"), this, true);
    cancelButton_ = MakeToolButton(ToolIcon::Cancel, QStringLiteral("Cancel"), this, true);
    auto* tools = new QHBoxLayout;
    tools->setContentsMargins(0, 0, 0, 0);
    tools->addWidget(saveButton_);
    tools->addWidget(cancelButton_);
    tools->addStretch(1);

    FieldFrame nameFrame(this);
    nameEdit_ = nameFrame.Add("Name", new QLineEdit(this));
    SetLimitedName(nameEdit_, v.name, AnalogNameLimit);
    nameEdit_->setMinimumWidth(nameEdit_->fontMetrics().horizontalAdvance(QString(40, 'x')));

    FieldFrame lists(this);
    typeBox_ = lists.Add("Type", MakeList(this));
    channelBox_ = lists.Add("Measurement channel", MakeList(this));
    setValueBox_ = lists.Add("Set value", MakeList(this));
    pidBox_ = lists.Add("Nr PID", MakeList(this));
    FillList(typeBox_, OutputTypeList, v.typeIndex);
    FillList(channelBox_, MeasurementChannelList, v.channelIndex);
    FillList(setValueBox_, SetValueSourceList, v.setValueIndex);
    FillList(pidBox_, PidNumberList, v.pidIndex);

    FieldFrame values(this);
    value0VEdit_ = values.Add("Value for 0 V (0 mA,4 mA)", new WholeNumberEdit(this));
    value10VEdit_ = values.Add("Value for 10 V (20 mA)", new WholeNumberEdit(this));
    stopEdit_ = values.Add("Set value Stop", new WholeNumberEdit(this));
    pauseEdit_ = values.Add("Set value Pause", new WholeNumberEdit(this));
    value0VEdit_->Show(v.value0V);
    value10VEdit_->Show(v.value10V);
    stopEdit_->Show(v.stopValue);
    pauseEdit_->Show(v.pauseValue);

    FieldFrame specials(this);
    constexpr const char* SpecialLabels[] = {"Value for F1", "Value for F2", "Value for F3",
                                             "Value for F4"};
    for (std::size_t i = 0; i < specialEdits_.size(); ++i) {
        specialEdits_[i] = specials.Add(SpecialLabels[i], new WholeNumberEdit(this));
        specialEdits_[i]->Show(v.specialValues[i]);
    }

    // The PID group stays hidden; "Save" still takes its values back.
    FieldFrame pid(this, QStringLiteral("PID"));
    sampleEdit_ = pid.Add("Sample", new WholeNumberEdit(this));
    gainEdit_ = pid.Add("Gain", new RealNumberEdit(separator_, this));
    timeTiEdit_ = pid.Add("Time Ti", new RealNumberEdit(separator_, this));
    timeTdEdit_ = pid.Add("Time Td", new RealNumberEdit(separator_, this));
    sampleEdit_->Show(v.sample);
    gainEdit_->Show(v.gain);
    timeTiEdit_->Show(v.timeTi);
    timeTdEdit_->Show(v.timeTd);
    pidGroup_ = pid.Box();
    pidGroup_->hide();

    auto* frames = new QHBoxLayout;
    frames->addWidget(lists.Box());
    frames->addWidget(values.Box());
    frames->addWidget(specials.Box());

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 4, 8, 8);
    layout->addLayout(tools);
    layout->addWidget(nameFrame.Box());
    layout->addLayout(frames);
    layout->addWidget(pidGroup_);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(saveButton_, &QToolButton::clicked, this,
            [this] { RunUserAction(host_, [this] { Save(); }); });
    connect(cancelButton_, &QToolButton::clicked, this, &QDialog::reject);
}

void TFkonfigwyjsc::Save() {
    AnalogOutputEditorValues v;
    v.name = ToPc(nameEdit_->text());
    v.typeIndex = typeBox_->currentIndex();
    v.channelIndex = channelBox_->currentIndex();
    v.setValueIndex = setValueBox_->currentIndex();
    v.pidIndex = pidBox_->currentIndex();
    v.value0V = value0VEdit_->Text();
    v.value10V = value10VEdit_->Text();
    v.stopValue = stopEdit_->Text();
    v.pauseValue = pauseEdit_->Text();
    for (std::size_t i = 0; i < specialEdits_.size(); ++i)
        v.specialValues[i] = specialEdits_[i]->Text();
    v.sample = sampleEdit_->Text();
    v.gain = gainEdit_->Text();
    v.timeTi = timeTiEdit_->Text();
    v.timeTd = timeTdEdit_->Text();
    ApplyAnalogOutputEditor(v, record_, separator_);
    accept();
}

bool EditAnalogOutput(AppContext& ctx, TAnalogOutputRecord& record, QWidget* parent) {
    TFkonfigwyjsc editor(ctx.host, record, parent);
    if (editor.exec() != QDialog::Accepted) return false;
    record = editor.Record();
    return true;
}

} // namespace zyl
