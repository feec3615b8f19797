#pragma once

// ListWindow, the modal window every block's list is: the tool bar over a read-only grid of
// the block's rows. A double click, Enter released or "Edit" open the editor of the selected
// row; "Save" and Escape close the list.

#include "core/Host.h"
#include "editors/EditorToolBar.h"
#include "editors/RowTableModel.h"

#include <QDialog>

#include <functional>
#include <span>

class QTableView;

namespace zyl {

// Runs one user action. An error it does not handle ends it; its text is shown in a message
// box and the program goes on.
void RunUserAction(Host& host, const std::function<void()>& action);

// The modal list window. A derived window fills the grid in its constructor (Refill) and
// implements the actions its tool bar offers.
class ListWindow : public QDialog {
    Q_OBJECT
public:
    ListWindow(Host& host, const QString& title, std::vector<RowTableModel::Column> columns,
               int rows, RowTableModel::RowSource source, std::span<const EditorAction> actions,
               QWidget* parent = nullptr);

    [[nodiscard]] EditorToolBar* ToolBar() const { return toolBar_; }
    [[nodiscard]] QTableView* Grid() const { return grid_; }
    [[nodiscard]] RowTableModel* Model() const { return model_; }
    // The selected row counted from 0; -1 when none.
    [[nodiscard]] int SelectedRow() const;

    // Runs an action as its tool button does.
    void Trigger(EditorAction action);

    // Sizes the columns to their contents and gives the window size that shows every column
    // and up to 20 rows without scrolling.
    QSize FitColumns();

protected:
    virtual void ReadFromController() {}
    virtual void WriteToController() {}
    virtual void ReadFromDisk() {}
    virtual void WriteToDisk() {}
    // Opens the record editor of a row (counted from 0).
    virtual void EditRow(int row) = 0;

    void Refill();
    void UpdateRow(int row);
    // Sizes the window by FitColumns, within the screen.
    void FitToGrid();

    bool eventFilter(QObject* watched, QEvent* event) override;

    Host& host_;

private:
    void EditSelected();

    EditorToolBar* toolBar_;
    QTableView* grid_;
    RowTableModel* model_;
};

} // namespace zyl
