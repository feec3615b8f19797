#pragma once

// The differing fields of two projects, of a project and a controller, or of what was written
// and what a controller holds: a table of record, field and both values, with "Copy" (the
// rows as text lines, as the command line prints them) and "Close".

#include "core/AppContext.h"
#include "transfer/FieldDifferences.h"

#include <QDialog>

#include <vector>

class QLabel;
class QTableWidget;

namespace zyl {

class FieldDifferencesWindow : public QDialog {
    Q_OBJECT
public:
    struct Captions {
        QString title;   // the window's title
        QString heading; // above the table ("Relays: 3 fields differ")
        QString left;    // the value columns' captions ("Project", "Controller")
        QString right;
    };
    FieldDifferencesWindow(const Captions& captions, std::vector<FieldDifferenceRow> rows,
                           QWidget* parent = nullptr);

    [[nodiscard]] QTableWidget* Table() const { return table_; }
    [[nodiscard]] QLabel* Heading() const { return heading_; }
    // The rows as lines, one per row, as the command line's diff prints them.
    [[nodiscard]] QString RowsAsText() const;

private:
    std::vector<FieldDifferenceRow> rows_;
    QLabel* heading_ = nullptr;
    QTableWidget* table_ = nullptr;
};

// The heading's count: "1 field differs", "12 fields differ", "No differences".
[[nodiscard]] QString DifferenceCount(std::size_t rows);

// File > "Compare with file…": the open project, as saving it would write it, against a
// project file the user chooses, in a window of its own (returned; nullptr when the choice
// was cancelled or the file could not be compared, which a message says).
FieldDifferencesWindow* OpenFileComparison(AppContext& context, QWidget* parent);

} // namespace zyl
