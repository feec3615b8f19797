#include "editors/relays/EditParPrzek.h"

#include "project/ValueLists.h"
#include "editors/EditorWidgets.h"
#include "editors/ListWindow.h"
#include "editors/ToolIcons.h"
#include "editors/relays/RelayPictures.h"
#include "editors/relays/TypPrzekTable.h"
#include "editors/relays/TypReglerTable.h"
#include "panel/CodePage.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <QValidator>

#include <algorithm>
#include <array>

namespace zyl {

namespace {

constexpr int NameTypingLimit = 14;
constexpr QSize TypePictureSize(168, 104);

constexpr std::array<RelayValueField, 4> ValueFields = {
    RelayValueField::UpperHysteresis, RelayValueField::LowerHysteresis, RelayValueField::Offset,
    RelayValueField::RegulatorWindow};

// The regulator parameter diagram with its four value fields placed on it.
class RegulatorDiagram : public QWidget {
public:
    explicit RegulatorDiagram(QWidget* parent) : QWidget(parent) {
        setFixedSize(RegulatorDiagramSize);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        PaintRegulatorDiagram(painter, rect());
    }
};

QToolButton* MakeTypeButton(QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setIconSize(TypePictureSize);
    button->setMinimumWidth(TypePictureSize.width() + 24);
    QFont font = button->font();
    font.setBold(true);
    button->setFont(font);
    return button;
}

QLabel* BoldLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

} // namespace

TFEditParPrzek::TFEditParPrzek(Host& host, const TRelayRecord& record, QWidget* parent)
    : QDialog(parent), host_(host), record_(record) {
    setWindowTitle(QStringLiteral("Editing relay parameters"));
    setModal(true);
    const RelayEditorValues values = RelayEditorValuesFor(record_);
    timeType_ = values.timeType;
    regulatorType_ = values.regulatorType;

    // Tool buttons.
    saveButton_ = MakeToolButton(ToolIcon::Save, QStringLiteral("Save"), this, true);
    cancelButton_ = MakeToolButton(ToolIcon::Cancel, QStringLiteral("Cancel"), this, true);
    auto* tools = new QHBoxLayout;
    tools->setContentsMargins(0, 0, 0, 0);
    tools->addWidget(saveButton_);
    tools->addWidget(cancelButton_);
    tools->addStretch(1);

    // The relay with its picture and name.
    const std::int32_t number = record_.Number;
    relayFrame_ =
        new QGroupBox(QStringLiteral("Relay No. %1").arg(number) + QString(15, ' '), this);
    auto* picture = new QLabel(relayFrame_);
    picture->setPixmap(RelayPicture(number, 64));
    nameEdit_ = new QLineEdit(relayFrame_);
    SetLimitedName(nameEdit_, values.name, NameTypingLimit);
    nameEdit_->setMinimumWidth(nameEdit_->fontMetrics().horizontalAdvance(QString(16, 'W')));
    auto* relayLayout = new QHBoxLayout(relayFrame_);
    relayLayout->addWidget(picture);
    relayLayout->addSpacing(8);
    relayLayout->addWidget(new QLabel(QStringLiteral("Name"), relayFrame_));
    relayLayout->addWidget(nameEdit_);
    relayLayout->addStretch(1);

    // Time parameters.
    auto* timeGroup = new QGroupBox(QStringLiteral("Time parameters"), this);
    timeTypeButton_ = MakeTypeButton(timeGroup);
    timeTypeButton_->setToolTip(QStringLiteral("Choose the time type"));
    p1Edit_ = new QLineEdit(QString::fromStdString(values.p1), timeGroup);
    p2Edit_ = new QLineEdit(QString::fromStdString(values.p2), timeGroup);
    for (QLineEdit* edit : {p1Edit_, p2Edit_}) {
        edit->setAlignment(Qt::AlignRight);
        edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("0000000000")));
    }
    p1Edit_->setToolTip(QStringLiteral("Time Ta"));
    p2Edit_->setToolTip(QStringLiteral("Time Tb"));
    auto* timeFields = new QGridLayout;
    timeFields->addWidget(BoldLabel(QStringLiteral("P1"), timeGroup), 0, 0);
    timeFields->addWidget(new QLabel(QStringLiteral("Ta"), timeGroup), 0, 1);
    timeFields->addWidget(p1Edit_, 0, 2);
    timeFields->addWidget(BoldLabel(QStringLiteral("P2"), timeGroup), 1, 0);
    timeFields->addWidget(new QLabel(QStringLiteral("Tb"), timeGroup), 1, 1);
    timeFields->addWidget(p2Edit_, 1, 2);
    timeFields->setRowStretch(2, 1);
    auto* timeLayout = new QHBoxLayout(timeGroup);
    timeLayout->addWidget(timeTypeButton_);
    timeLayout->addSpacing(6);
    timeLayout->addLayout(timeFields);

    // Regulator type.
    auto* regulatorGroup = new QGroupBox(QStringLiteral("Regulator type"), this);
    regulatorTypeButton_ = MakeTypeButton(regulatorGroup);
    regulatorTypeButton_->setToolTip(QStringLiteral("Choose the regulator type"));
    auto* regulatorLayout = new QHBoxLayout(regulatorGroup);
    regulatorLayout->addWidget(regulatorTypeButton_);

    // Regulator parameters.
    auto* parameterGroup = new QGroupBox(QStringLiteral("Regulator parameters"), this);
    channelLabel_ = new QLabel(parameterGroup);
    measurementBox_ = new QComboBox(parameterGroup);
    pidBox_ = new QComboBox(parameterGroup);
    setValueBox_ = new QComboBox(parameterGroup);
    const bool pid = regulatorType_ == PidRegulatorType;
    FillList(measurementBox_, MeasurementChannelList, pid ? -1 : values.channelIndex);
    FillList(pidBox_, PidRegulatorList, pid ? values.channelIndex : -1);
    FillList(setValueBox_, SetValueSourceList, values.setValueIndex);
    channelStack_ = new QStackedWidget(parameterGroup);
    channelStack_->addWidget(measurementBox_);
    channelStack_->addWidget(pidBox_);
    channelLabel_->setBuddy(channelStack_);
    auto* setValueLabel = new QLabel(QStringLiteral("Set value"), parameterGroup);
    setValueLabel->setBuddy(setValueBox_);
    auto* warning = new QLabel(
        QStringLiteral("WARNING! For panels older than 4.28 set value MUST be 1.temperature"),
        parameterGroup);
    warning->setStyleSheet(QStringLiteral("color: #b3261e; font-weight: bold;"));

    auto* diagram = new RegulatorDiagram(parameterGroup);
    for (RelayValueField field : ValueFields) {
        auto* edit = new QLineEdit(diagram);
        edit->setAlignment(Qt::AlignRight);
        edit->setGeometry(RegulatorDiagramFieldRect(field, diagram->rect()));
        edit->setToolTip(QString::fromLatin1(RuleFor(field).label));
        edit->installEventFilter(this);
        valueEdits_[static_cast<int>(field)] = edit;
    }
    ValueEdit(RelayValueField::Offset)->setText(QString::fromStdString(values.p5));
    ValueEdit(RelayValueField::RegulatorWindow)->setText(QString::fromStdString(values.p6));
    ValueEdit(RelayValueField::LowerHysteresis)->setText(QString::fromStdString(values.p7));
    ValueEdit(RelayValueField::UpperHysteresis)->setText(QString::fromStdString(values.p8));

    auto* lists = new QGridLayout;
    lists->addWidget(channelLabel_, 0, 0);
    lists->addWidget(channelStack_, 1, 0);
    lists->addWidget(setValueLabel, 0, 1);
    lists->addWidget(setValueBox_, 1, 1);
    lists->setColumnStretch(0, 1);
    lists->setColumnStretch(1, 1);
    auto* parameterLayout = new QVBoxLayout(parameterGroup);
    parameterLayout->addLayout(lists);
    parameterLayout->addWidget(warning);
    parameterLayout->addWidget(diagram, 0, Qt::AlignHCenter);

    auto* upper = new QHBoxLayout;
    upper->addWidget(timeGroup, 3);
    upper->addWidget(regulatorGroup, 2);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 4, 8, 8);
    layout->addLayout(tools);
    layout->addWidget(relayFrame_);
    layout->addLayout(upper);
    layout->addWidget(parameterGroup);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(nameEdit_, p1Edit_);
    setTabOrder(p1Edit_, p2Edit_);
    setTabOrder(p2Edit_, channelStack_);
    setTabOrder(measurementBox_, pidBox_);
    setTabOrder(pidBox_, setValueBox_);
    setTabOrder(setValueBox_, ValueEdit(RelayValueField::UpperHysteresis));
    setTabOrder(ValueEdit(RelayValueField::UpperHysteresis),
                ValueEdit(RelayValueField::LowerHysteresis));
    setTabOrder(ValueEdit(RelayValueField::LowerHysteresis), ValueEdit(RelayValueField::Offset));
    setTabOrder(ValueEdit(RelayValueField::Offset), ValueEdit(RelayValueField::RegulatorWindow));

    ShowTimeType();
    ShowRegulatorType();

    connect(saveButton_, &QToolButton::clicked, this,
            [this] { RunUserAction(host_, [this] { Save(); }); });
    connect(cancelButton_, &QToolButton::clicked, this, &QDialog::reject);
    connect(timeTypeButton_, &QToolButton::clicked, this,
            [this] { RunUserAction(host_, [this] { ChooseTimeType(); }); });
    connect(regulatorTypeButton_, &QToolButton::clicked, this,
            [this] { RunUserAction(host_, [this] { ChooseRegulatorType(); }); });
}

QLineEdit* TFEditParPrzek::ValueEdit(RelayValueField field) const {
    return valueEdits_[static_cast<int>(field)];
}

QComboBox* TFEditParPrzek::ShownChannelBox() const {
    return regulatorType_ == PidRegulatorType ? pidBox_ : measurementBox_;
}

void TFEditParPrzek::ShowTimeType() {
    timeTypeButton_->setIcon(QIcon(TimeTypePicture(timeType_, TypePictureSize)));
    const std::string text = TimeTypeText(timeType_);
    timeTypeButton_->setText(text.empty() ? QStringLiteral("Unknown time type %1").arg(timeType_)
                                          : QString::fromLatin1(text.c_str()));
}

void TFEditParPrzek::ShowRegulatorType() {
    regulatorTypeButton_->setIcon(QIcon(RegulatorTypePicture(regulatorType_, TypePictureSize)));
    const std::string text = RegulatorTypeText(regulatorType_);
    regulatorTypeButton_->setText(text.empty()
                                      ? QStringLiteral("Unknown algorithm %1").arg(regulatorType_)
                                      : QString::fromLatin1(text.c_str()));
    const bool pid = regulatorType_ == PidRegulatorType;
    channelLabel_->setText(pid ? QStringLiteral("PID") : QStringLiteral("Measurement channel"));
    channelStack_->setCurrentWidget(pid ? pidBox_ : measurementBox_);
}

void TFEditParPrzek::ChooseTimeType() {
    int value = timeType_;
    if (PickTimeType(value, this)) {
        timeType_ = value;
        ShowTimeType();
    }
}

void TFEditParPrzek::ChooseRegulatorType() {
    int value = regulatorType_;
    if (PickRegulatorType(value, this)) regulatorType_ = value;
    ShowRegulatorType();
}

bool TFEditParPrzek::CheckValueField(RelayValueField field) {
    QLineEdit* edit = ValueEdit(field);
    const auto message = CheckRelayValue(field, ToPc(edit->text()));
    if (!message) {
        edit->setModified(false);
        return true;
    }
    checking_ = true;
    host_.ShowMessageBox(*message);
    checking_ = false;
    edit->setText(QStringLiteral("0"));
    return false;
}

bool TFEditParPrzek::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && !checking_) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        // Only moving to another control leaves a field; the window losing activation or a
        // context menu opening does not.
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            for (RelayValueField field : ValueFields)
                if (watched == ValueEdit(field)) CheckValueField(field);
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFEditParPrzek::Save() {
    // A field changed and not left yet is checked as if it were left now.
    for (RelayValueField field : ValueFields) {
        if (ValueEdit(field)->isModified() && !CheckValueField(field)) {
            ValueEdit(field)->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
    RelayEditorValues values;
    values.name = ToPc(nameEdit_->text());
    values.timeType = timeType_;
    values.regulatorType = regulatorType_;
    values.p1 = ToPc(p1Edit_->text());
    values.p2 = ToPc(p2Edit_->text());
    values.channelIndex = ShownChannelBox()->currentIndex();
    values.setValueIndex = setValueBox_->currentIndex();
    values.p5 = ToPc(ValueEdit(RelayValueField::Offset)->text());
    values.p6 = ToPc(ValueEdit(RelayValueField::RegulatorWindow)->text());
    values.p7 = ToPc(ValueEdit(RelayValueField::LowerHysteresis)->text());
    values.p8 = ToPc(ValueEdit(RelayValueField::UpperHysteresis)->text());
    ApplyRelayEditor(values, record_);
    accept();
}

bool EditRelay(AppContext& ctx, TRelayRecord& record, QWidget* parent) {
    TFEditParPrzek editor(ctx.host, record, parent);
    if (editor.exec() != QDialog::Accepted) return false;
    record = editor.Record();
    return true;
}

} // namespace zyl
