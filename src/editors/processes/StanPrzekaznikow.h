#pragma once

// TFStanPrzekaznikow, the process editor: works on a copy of one process of the process table
// or of the WASHING process table, moves it to and from the controller and ".k1z" files, and
// hands the copy back only on "Save".

#include "core/AppContext.h"
#include "editors/RecordEditor.h"
#include "project/Records.h"

class QComboBox;
class QLineEdit;

namespace zyl {

class RelaySwitchPanel;

class TFStanPrzekaznikow : public RecordEditor {
    Q_OBJECT
public:
    TFStanPrzekaznikow(AppContext& ctx, const TProcessRecord& record, bool washing,
                       QWidget* parent = nullptr);

    // The copy; after "Save" it holds the edited values.
    [[nodiscard]] const TProcessRecord& Record() const { return record_; }

    [[nodiscard]] QLineEdit* NameEdit() const { return nameEdit_; }
    [[nodiscard]] QComboBox* EndConditionBox() const { return endConditionBox_; }
    [[nodiscard]] RelaySwitchPanel* Switches() const { return switches_; }
    // The field of step preset SP1 to SP5 (index 0 to 4).
    [[nodiscard]] QLineEdit* PresetEdit(int index) const;

protected:
    void ShowRecord() override;
    void TakeControls() override;
    void ReadFromController() override;
    void WriteToController() override;
    void ReadFromDisk() override;
    void WriteToDisk() override;

private:
    AppContext& ctx_;
    TProcessRecord record_;
    bool washing_;
    QLineEdit* nameEdit_ = nullptr;
    QComboBox* endConditionBox_ = nullptr;
    RelaySwitchPanel* switches_ = nullptr;
    QLineEdit* presetEdits_[5] = {};
};

// Shows the editor modally on record, a process of the table the variant names. True when
// the user saved (the record then holds the edited values), false when the editor was
// closed by its close box (the record is unchanged).
bool EditProcess(AppContext& ctx, TProcessRecord& record, bool washing, QWidget* parent);

} // namespace zyl
