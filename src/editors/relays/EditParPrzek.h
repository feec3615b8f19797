#pragma once

// TFEditParPrzek, the relay parameter editor: works on a copy of one relay record and hands it
// back only on "Save".

#include "core/AppContext.h"
#include "editors/relays/Relays.h"
#include "project/Records.h"

#include <QDialog>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QStackedWidget;
class QToolButton;

namespace zyl {

class TFEditParPrzek : public QDialog {
    Q_OBJECT
public:
    TFEditParPrzek(Host& host, const TRelayRecord& record, QWidget* parent = nullptr);

    // The copy, with the edits applied once "Save" has closed the window.
    [[nodiscard]] const TRelayRecord& Record() const { return record_; }
    [[nodiscard]] int TimeType() const { return timeType_; }
    [[nodiscard]] int RegulatorType() const { return regulatorType_; }

    // As the tool buttons do. Save stays in the editor when a value field the user changed
    // and has not left yet fails its check.
    void Save();
    void ChooseTimeType();
    void ChooseRegulatorType();

    [[nodiscard]] QToolButton* SaveButton() const { return saveButton_; }
    [[nodiscard]] QToolButton* CancelButton() const { return cancelButton_; }
    [[nodiscard]] QGroupBox* RelayFrame() const { return relayFrame_; }
    [[nodiscard]] QLineEdit* NameEdit() const { return nameEdit_; }
    [[nodiscard]] QToolButton* TimeTypeButton() const { return timeTypeButton_; }
    [[nodiscard]] QToolButton* RegulatorTypeButton() const { return regulatorTypeButton_; }
    [[nodiscard]] QLineEdit* P1Edit() const { return p1Edit_; }
    [[nodiscard]] QLineEdit* P2Edit() const { return p2Edit_; }
    [[nodiscard]] QLineEdit* ValueEdit(RelayValueField field) const;
    [[nodiscard]] QLabel* ChannelLabel() const { return channelLabel_; }
    // The channel list shown: the PID list for type 6, the measurement channel list otherwise.
    [[nodiscard]] QComboBox* ShownChannelBox() const;
    [[nodiscard]] QComboBox* MeasurementChannelBox() const { return measurementBox_; }
    [[nodiscard]] QComboBox* PidBox() const { return pidBox_; }
    [[nodiscard]] QComboBox* SetValueBox() const { return setValueBox_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowTimeType();
    void ShowRegulatorType();
    // Runs the range check of a value field; on a message shows it and sets the field to "0".
    bool CheckValueField(RelayValueField field);

    Host& host_;
    TRelayRecord record_;
    int timeType_;
    int regulatorType_;
    bool checking_ = false;

    QToolButton* saveButton_ = nullptr;
    QToolButton* cancelButton_ = nullptr;
    QGroupBox* relayFrame_ = nullptr;
    QLineEdit* nameEdit_ = nullptr;
    QToolButton* timeTypeButton_ = nullptr;
    QToolButton* regulatorTypeButton_ = nullptr;
    QLineEdit* p1Edit_ = nullptr;
    QLineEdit* p2Edit_ = nullptr;
    QLineEdit* valueEdits_[4] = {};
    QLabel* channelLabel_ = nullptr;
    QStackedWidget* channelStack_ = nullptr;
    QComboBox* measurementBox_ = nullptr;
    QComboBox* pidBox_ = nullptr;
    QComboBox* setValueBox_ = nullptr;
};

// Shows the editor modally on record. True when the user saved (the record then holds the
// edited values), false when the user cancelled (the record is unchanged).
bool EditRelay(AppContext& ctx, TRelayRecord& record, QWidget* parent);

} // namespace zyl
