#pragma once

// TFkonfigwyjsc, the analog output editor: works on a copy of one output and hands it back
// only on "Save".

#include "core/AppContext.h"
#include "project/Records.h"

#include <QDialog>

#include <array>
#include <string>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QToolButton;

namespace zyl {

class RealNumberEdit;
class WholeNumberEdit;

class TFkonfigwyjsc : public QDialog {
    Q_OBJECT
public:
    TFkonfigwyjsc(Host& host, const TAnalogOutputRecord& record, QWidget* parent = nullptr);

    // The copy, with the edits applied once "Save" has closed the window.
    [[nodiscard]] const TAnalogOutputRecord& Record() const { return record_; }

    // As the "Save" button does: takes every field into the copy and closes with true.
    void Save();

    [[nodiscard]] QToolButton* SaveButton() const { return saveButton_; }
    [[nodiscard]] QToolButton* CancelButton() const { return cancelButton_; }
    [[nodiscard]] QLineEdit* NameEdit() const { return nameEdit_; }
    [[nodiscard]] QComboBox* TypeBox() const { return typeBox_; }
    [[nodiscard]] QComboBox* ChannelBox() const { return channelBox_; }
    [[nodiscard]] QComboBox* SetValueBox() const { return setValueBox_; }
    [[nodiscard]] QComboBox* PidBox() const { return pidBox_; }
    [[nodiscard]] WholeNumberEdit* Value0VEdit() const { return value0VEdit_; }
    [[nodiscard]] WholeNumberEdit* Value10VEdit() const { return value10VEdit_; }
    [[nodiscard]] WholeNumberEdit* StopEdit() const { return stopEdit_; }
    [[nodiscard]] WholeNumberEdit* PauseEdit() const { return pauseEdit_; }
    // F1 to F4 as 0 to 3.
    [[nodiscard]] WholeNumberEdit* SpecialEdit(int i) const {
        return specialEdits_[static_cast<std::size_t>(i)];
    }
    // The PID group, kept hidden.
    [[nodiscard]] QGroupBox* PidGroup() const { return pidGroup_; }
    [[nodiscard]] WholeNumberEdit* SampleEdit() const { return sampleEdit_; }
    [[nodiscard]] RealNumberEdit* GainEdit() const { return gainEdit_; }
    [[nodiscard]] RealNumberEdit* TimeTiEdit() const { return timeTiEdit_; }
    [[nodiscard]] RealNumberEdit* TimeTdEdit() const { return timeTdEdit_; }

private:
    Host& host_;
    TAnalogOutputRecord record_;
    std::string separator_;

    QToolButton* saveButton_ = nullptr;
    QToolButton* cancelButton_ = nullptr;
    QLineEdit* nameEdit_ = nullptr;
    QComboBox* typeBox_ = nullptr;
    QComboBox* channelBox_ = nullptr;
    QComboBox* setValueBox_ = nullptr;
    QComboBox* pidBox_ = nullptr;
    WholeNumberEdit* value0VEdit_ = nullptr;
    WholeNumberEdit* value10VEdit_ = nullptr;
    WholeNumberEdit* stopEdit_ = nullptr;
    WholeNumberEdit* pauseEdit_ = nullptr;
    std::array<WholeNumberEdit*, 4> specialEdits_{};
    QGroupBox* pidGroup_ = nullptr;
    WholeNumberEdit* sampleEdit_ = nullptr;
    RealNumberEdit* gainEdit_ = nullptr;
    RealNumberEdit* timeTiEdit_ = nullptr;
    RealNumberEdit* timeTdEdit_ = nullptr;
};

// Shows the editor modally on record. True when the user saved (the record then holds the
// edited values), false when the user cancelled or closed it (the record is unchanged).
bool EditAnalogOutput(AppContext& ctx, TAnalogOutputRecord& record, QWidget* parent);

} // namespace zyl
