#pragma once

// What the list windows share: the tool bar with its six hinted buttons, the drawn tool
// icons, a read-only grid model over a block's rows, and ListWindow, the modal window that
// puts them together (double click, Enter released or "Edit" open the editor of the selected
// row; "Save" and Escape close the list).

#include "core/Host.h"

#include <QAbstractTableModel>
#include <QDialog>
#include <QIcon>
#include <QStringList>
#include <QToolBar>

#include <array>
#include <functional>
#include <string>
#include <vector>

class QTableView;
class QToolButton;

namespace zyl {

enum class ListAction {
    ReadFromController,
    WriteToController,
    ReadFromDisk,
    WriteToDisk,
    Edit,
    Save
};

inline constexpr std::array<const char*, 6> ListActionHints = {"Read from controller",
                                                               "Write to controller",
                                                               "Read from disk",
                                                               "Write to disk",
                                                               "Edit",
                                                               "Save"};

// Tool icons of the list windows, the editors and the pickers.
enum class ToolIcon {
    ReadFromController,
    WriteToController,
    ReadFromDisk,
    WriteToDisk,
    Edit,
    Save,
    Cancel,
};
[[nodiscard]] QIcon DrawnToolIcon(ToolIcon icon);

// A flat tool button with a drawn icon and a hint; with text, the text stands beside the icon.
[[nodiscard]] QToolButton* MakeToolButton(ToolIcon icon, const QString& hint, QWidget* parent,
                                          bool withText = false);

// The list windows' tool bar. A list without block files has no disk buttons.
class ListToolBar : public QToolBar {
    Q_OBJECT
public:
    explicit ListToolBar(bool withDiskButtons, QWidget* parent = nullptr);

    // The button of an action; nullptr for a disk button of a list without block files.
    [[nodiscard]] QToolButton* Button(ListAction action) const;

signals:
    void actionTriggered(ListAction action);

private:
    std::array<QToolButton*, 6> buttons_{};
};

// Runs one user action. An error it does not handle ends it; its text is shown in a message
// box and the program goes on.
void RunUserAction(Host& host, const std::function<void()>& action);

// A read-only grid over a block: each row's texts come from the source as PC code page 1250
// bytes and are kept until the row is refilled.
class RowTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using RowSource = std::function<std::vector<std::string>(int row)>;
    struct Column {
        QString title;
        Qt::Alignment alignment = Qt::AlignRight | Qt::AlignVCenter;
    };

    RowTableModel(std::vector<Column> columns, int rows, RowSource source,
                  QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    void Refill();
    void UpdateRow(int row);
    [[nodiscard]] QString Text(int row, int column) const;

private:
    std::vector<Column> columns_;
    int rows_;
    RowSource source_;
    std::vector<QStringList> texts_;
};

// The modal list window. A derived window fills the grid in its constructor (Refill) and
// implements the actions its tool bar offers.
class ListWindow : public QDialog {
    Q_OBJECT
public:
    ListWindow(Host& host, const QString& title, std::vector<RowTableModel::Column> columns,
               int rows, RowTableModel::RowSource source, bool withDiskButtons,
               QWidget* parent = nullptr);

    [[nodiscard]] ListToolBar* ToolBar() const { return toolBar_; }
    [[nodiscard]] QTableView* Grid() const { return grid_; }
    [[nodiscard]] RowTableModel* Model() const { return model_; }
    // The selected row counted from 0; -1 when none.
    [[nodiscard]] int SelectedRow() const;

    // Runs an action as its tool button does.
    void Trigger(ListAction action);

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

    ListToolBar* toolBar_;
    QTableView* grid_;
    RowTableModel* model_;
};

} // namespace zyl
