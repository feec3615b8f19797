#pragma once

// TFProgramMycia, the program editor: the name and the 30 steps of one program on a copy,
// each step's cells edited in place over the grid. The copy moves to and from the controller
// and ".p1z" files and is handed back only on "Save". The WASHING program (Number 101) keeps
// its name and names the processes of the WASHING process table.

#include "core/AppContext.h"
#include "editors/RecordEditor.h"
#include "project/Records.h"

class QLineEdit;
class QTableView;

namespace zyl {

class StepGrid;
class StepTableModel;

class TFProgramMycia : public RecordEditor {
    Q_OBJECT
public:
    TFProgramMycia(AppContext& ctx, const TProgramRecord& record, QWidget* parent = nullptr);

    // The copy; after "Save" it holds the edited program.
    [[nodiscard]] const TProgramRecord& Record() const { return record_; }

    [[nodiscard]] QLineEdit* NameEdit() const { return nameEdit_; }
    // The steps: row k - 1 is step k, the columns those of ProgramColumns.
    [[nodiscard]] QTableView* Grid() const;
    // The editor open over a cell of the grid; nullptr when none is.
    [[nodiscard]] QWidget* CellEditor() const;

protected:
    void ShowRecord() override;
    void TakeControls() override;
    void ReadFromController() override;
    void WriteToController() override;
    void ReadFromDisk() override;
    void WriteToDisk() override;

private:
    // Stores what a cell editor held (the process list's index, or the typed text), shows
    // the message of a refused value, and shows the copy again.
    void StoreCell(int step, int column, const QVariant& value);
    void FitColumns();
    void FitWindow();

    AppContext& ctx_;
    TProgramRecord record_;
    QLineEdit* nameEdit_ = nullptr;
    StepTableModel* model_ = nullptr;
    StepGrid* grid_ = nullptr;
    bool showing_ = false; // the name field is being filled from the copy
};

// Shows the editor modally on record. True when the user saved (the record then holds the
// edited program), false after "Cancel" or the close box (the record is unchanged).
bool EditProgram(AppContext& ctx, TProgramRecord& record, QWidget* parent);

} // namespace zyl
