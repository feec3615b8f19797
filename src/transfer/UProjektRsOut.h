#pragma once

// TFProjektRsOut, the project write: the ticked blocks of the project sent to the controller
// in one run, each row showing its progress and "OK" or "Error".

#include "transfer/ProjectRows.h"

namespace zyl {

class TFProjektRsOut : public ProjectRowsWindow {
    Q_OBJECT
public:
    explicit TFProjektRsOut(AppContext& context, QWidget* parent = nullptr);

protected:
    ProjectRunResult Transfer(ControllerAccess& access, const BlockSelection& blocks,
                              ProjectRunView& view) override;

private:
    AppContext& context_;
};

// Project > "Write to controller": takes the link settings, then shows the window modally,
// created anew; returns when it is closed.
void OpenProjectWrite(AppContext& context, QWidget* parent);

} // namespace zyl
