#pragma once

// The alarm editor: works on a copy of one alarm record, reads and writes that one alarm from
// and to the controller and ".a1z" files, and hands the copy back only on "Save".

#include "core/AppContext.h"
#include "editors/EditorToolBar.h"
#include "project/Records.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QSpinBox;

namespace zyl {

class RelaySwitchPanel;

class AlarmEditor : public QDialog {
    Q_OBJECT
public:
    AlarmEditor(AppContext& ctx, const TAlarmRecord& record, QWidget* parent = nullptr);

    // The copy; after "Save" it holds the edited values.
    [[nodiscard]] const TAlarmRecord& Record() const { return record_; }

    // Runs an action as its tool button does.
    void Trigger(EditorAction action);

    [[nodiscard]] EditorToolBar* ToolBar() const { return toolBar_; }
    [[nodiscard]] QLineEdit* MessageEdit() const { return messageEdit_; }
    [[nodiscard]] QSpinBox* DelayEdit() const { return delayEdit_; }
    [[nodiscard]] QComboBox* StatusBox() const { return statusBox_; }
    [[nodiscard]] QComboBox* LogicBox() const { return logicBox_; }
    [[nodiscard]] RelaySwitchPanel* Switches() const { return switches_; }

private:
    void ShowRecord();
    void TakeControls();
    void ReadFromController();
    void WriteToController();
    void ReadFromDisk();
    void WriteToDisk();

    AppContext& ctx_;
    TAlarmRecord record_;
    EditorToolBar* toolBar_ = nullptr;
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
