#pragma once

// TFUstawPID, the PID regulator editor: works on a copy of one regulator and hands it back
// only on "Save".

#include "core/AppContext.h"
#include "project/Records.h"

#include <QDialog>

#include <string>

class QComboBox;
class QGroupBox;
class QToolButton;

namespace zyl {

class RealNumberEdit;
class WholeNumberEdit;

class TFUstawPID : public QDialog {
    Q_OBJECT
public:
    TFUstawPID(Host& host, const TPidRecord& record, QWidget* parent = nullptr);

    // The copy, with the edits applied once "Save" has closed the window.
    [[nodiscard]] const TPidRecord& Record() const { return record_; }

    // As the "Save" button does: takes every field into the copy and closes with true.
    void Save();

    [[nodiscard]] QToolButton* SaveButton() const { return saveButton_; }
    [[nodiscard]] QToolButton* CancelButton() const { return cancelButton_; }
    [[nodiscard]] QComboBox* TypeBox() const { return typeBox_; }
    [[nodiscard]] QComboBox* ChannelBox() const { return channelBox_; }
    [[nodiscard]] QComboBox* SetValueBox() const { return setValueBox_; }
    [[nodiscard]] QGroupBox* PidGroup() const { return pidGroup_; }
    [[nodiscard]] WholeNumberEdit* SampleEdit() const { return sampleEdit_; }
    [[nodiscard]] RealNumberEdit* GainEdit() const { return gainEdit_; }
    [[nodiscard]] RealNumberEdit* TimeTiEdit() const { return timeTiEdit_; }
    [[nodiscard]] RealNumberEdit* TimeTdEdit() const { return timeTdEdit_; }
    [[nodiscard]] RealNumberEdit* PeriodEdit() const { return periodEdit_; }

private:
    Host& host_;
    TPidRecord record_;
    std::string separator_;

    QToolButton* saveButton_ = nullptr;
    QToolButton* cancelButton_ = nullptr;
    QComboBox* typeBox_ = nullptr;
    QComboBox* channelBox_ = nullptr;
    QComboBox* setValueBox_ = nullptr;
    QGroupBox* pidGroup_ = nullptr;
    WholeNumberEdit* sampleEdit_ = nullptr;
    RealNumberEdit* gainEdit_ = nullptr;
    RealNumberEdit* timeTiEdit_ = nullptr;
    RealNumberEdit* timeTdEdit_ = nullptr;
    RealNumberEdit* periodEdit_ = nullptr;
};

// Shows the editor modally on record. True when the user saved (the record then holds the
// edited values), false when the user cancelled or closed it (the record is unchanged).
bool EditPidRegulator(AppContext& ctx, TPidRecord& record, QWidget* parent);

} // namespace zyl
