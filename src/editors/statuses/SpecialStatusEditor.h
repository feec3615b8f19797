#pragma once

// The special-status editor: works on a copy of one special status, whose name is shown but
// not edited, and hands the copy back only on "Save".

#include "core/AppContext.h"
#include "editors/RecordEditor.h"
#include "project/Records.h"

class QComboBox;
class QLabel;
class QSpinBox;

namespace zyl {

class RelaySwitchPanel;

class SpecialStatusEditor : public RecordEditor {
    Q_OBJECT
public:
    SpecialStatusEditor(AppContext& ctx, const TSpecialStatusRecord& record,
                        QWidget* parent = nullptr);

    // The copy; after "Save" it holds the edited values.
    [[nodiscard]] const TSpecialStatusRecord& Record() const { return record_; }

    [[nodiscard]] QLabel* NameLabel() const { return nameLabel_; }
    [[nodiscard]] QSpinBox* SwitchOffTimeEdit() const { return timeEdit_; }
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
    TSpecialStatusRecord record_;
    QLabel* nameLabel_ = nullptr;
    QSpinBox* timeEdit_ = nullptr;
    QComboBox* logicBox_ = nullptr;
    RelaySwitchPanel* switches_ = nullptr;
};

// Shows the editor modally on record; true when the user saved.
bool EditSpecialStatus(AppContext& ctx, TSpecialStatusRecord& record, QWidget* parent);

} // namespace zyl
