#pragma once

// TFProjektRsOut, the project write: the ticked blocks of the project sent to the controller
// in one run, each row showing its progress and "OK" or "Error". "Backup before writing" (on
// when the window opens) first saves what the controller holds of those blocks in the
// "backup" folder of the program's folder; "Verify" reads each block back after its write.

#include "transfer/ProjectRows.h"

class QCheckBox;
class QLabel;

namespace zyl {

class TFProjektRsOut : public ProjectRowsWindow {
    Q_OBJECT
public:
    explicit TFProjektRsOut(AppContext& context, QWidget* parent = nullptr);

    [[nodiscard]] QCheckBox* VerifyBox() const { return verify_; }
    [[nodiscard]] QCheckBox* BackupBox() const { return backup_; }
    // Where the last run's backup went, or empty.
    [[nodiscard]] QLabel* BackupNote() const { return backupNote_; }

protected:
    ProjectRunResult Transfer(ControllerAccess& access, const BlockSelection& blocks,
                              ProjectRunView& view) override;

private:
    AppContext& context_;
    QCheckBox* verify_ = nullptr;
    QCheckBox* backup_ = nullptr;
    QLabel* backupNote_ = nullptr;
};

// Project > "Write to controller": takes the link settings, then shows the window modally,
// created anew; returns when it is closed.
void OpenProjectWrite(AppContext& context, QWidget* parent);

} // namespace zyl
