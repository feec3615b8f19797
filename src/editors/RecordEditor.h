#pragma once

// RecordEditor, the window every record editor is, with the tool buttons "Read from
// controller", "Write to controller", "Read from disk", "Write to disk" and "Save" ("Cancel"
// before "Save" where the editor's bar has it): it works on a copy of one record, which
// reaches the project only through "Save" (the window closes accepted) and never through
// "Cancel" or the close box.

#include "core/Host.h"
#include "editors/EditorToolBar.h"
#include "project/BlockFile.h"

#include <QDialog>

#include <span>

class QVBoxLayout;

namespace zyl {

class RecordEditor : public QDialog {
    Q_OBJECT
public:
    RecordEditor(Host& host, const QString& title, QWidget* parent = nullptr);
    // With the tool buttons in the order given.
    RecordEditor(Host& host, const QString& title, std::span<const EditorAction> actions,
                 QWidget* parent = nullptr);

    // Runs an action as its tool button does.
    void Trigger(EditorAction action);

    [[nodiscard]] EditorToolBar* ToolBar() const { return toolBar_; }

protected:
    // The editor's frames go here, below the tool bar.
    [[nodiscard]] QVBoxLayout* Body() const { return body_; }

    // Takes the controls into the copy (before "Save", "Write to controller" and "Write to
    // disk"), and shows the copy in them.
    virtual void TakeControls() = 0;
    virtual void ShowRecord() = 0;
    virtual void ReadFromController() = 0;
    virtual void WriteToController() = 0;
    virtual void ReadFromDisk() = 0;
    virtual void WriteToDisk() = 0;

    // A one-record file chosen by the user read over the copy, keeping its number; true when
    // a record was taken (nothing changes and nothing is said otherwise).
    template <class Record> bool LoadRecordFile(Record& record, const FileDialogSpec& dialog) {
        const auto path = host_.ChooseOpenFile(dialog);
        return path && ReadRecordKeepingNumber(*path, record).records == 1;
    }
    // The copy, with the controls taken, written as a one-record file chosen by the user.
    template <class Record> void SaveRecordFile(Record& record, const FileDialogSpec& dialog) {
        const auto path = host_.ChooseSaveFile(dialog);
        if (!path) return;
        TakeControls();
        ReportFileStatus(WriteBlockFile<Record>(*path, std::span<const Record>(&record, 1)));
    }
    void ReportFileStatus(const FileStatus& status);

    Host& host_;

private:
    EditorToolBar* toolBar_;
    QVBoxLayout* body_;
};

} // namespace zyl
