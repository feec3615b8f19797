#pragma once

// The alarm editor: works on a copy of one alarm record, reads and writes that one alarm from
// and to the controller and ".a1z" files, and hands the copy back only on "Save".

#include "core/AppContext.h"
#include "editors/RecordEditor.h"
#include "project/Records.h"

class QComboBox;
class QLineEdit;
class QSpinBox;

namespace zyl {

class RelaySwitchPanel;

class AlarmEditor : public RecordEditor {
    Q_OBJECT
public:
    AlarmEditor(AppContext& ctx, const TAlarmRecord& record, QWidget* parent = nullptr);

    // The copy; after "Save" it holds the edited values.
    [[nodiscard]] const TAlarmRecord& Record() const { return record_; }

    [[nodiscard]] QLineEdit* MessageEdit() const { return messageEdit_; }
    [[nodiscard]] QSpinBox* DelayEdit() const { return delayEdit_; }
    [[nodiscard]] QComboBox* StatusBox() const { return statusBox_; }
    [[nodiscard]] QComboBox* LogicBox() const { return logicBox_; }
    [[nodiscard]] RelaySwitchPanel* Switches() const { return switches_; }

protected:
    void ShowRecord() override;
    void TakeControls() override;
    void ReadFromController() override;
    void WriteToController() override;
    void ReadFromDisk() override;
    void WriteToDisk() override;

private:
    AppContext& ctx_;
    TAlarmRecord record_;
    QLineEdit* messageEdit_ = nullptr;
    QSpinBox* delayEdit_ = nullptr;
    QComboBox* statusBox_ = nullptr;
    QComboBox* logicBox_ = nullptr;
    RelaySwitchPanel* switches_ = nullptr;
};

// Shows the editor modally on record; true when the user saved (the record then holds the
// edited values), false otherwise (the record is unchanged).
bool EditAlarm(AppContext& ctx, TAlarmRecord& record, QWidget* parent);

} // namespace zyl
