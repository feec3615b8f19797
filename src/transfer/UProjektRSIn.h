#pragma once

// TFProjektRSIn, the project read: the ticked blocks read from the controller into the
// project in one run. "Comparison" reads the same way and shows, row by row, whether the
// controller holds what the project held ("OK") or not ("Difference"); a comparison ended by
// Stop puts the project back as it was, and the next Start compares again.

#include "transfer/ProjectRows.h"

namespace zyl {

class TFProjektRSIn : public ProjectRowsWindow {
    Q_OBJECT
public:
    explicit TFProjektRSIn(AppContext& context, QWidget* parent = nullptr);

    [[nodiscard]] QPushButton* ComparisonButton() const { return ComparisonButtonOrNull(); }
    using ProjectRowsWindow::ComparisonMode;

protected:
    ProjectRunResult Transfer(ControllerAccess& access, const BlockSelection& blocks,
                              ProjectRunView& view) override;

private:
    AppContext& context_;
};

// Project > "Read from controller": takes the link settings, then shows the window modally,
// created anew; returns when it is closed.
void OpenProjectRead(AppContext& context, QWidget* parent);

} // namespace zyl
