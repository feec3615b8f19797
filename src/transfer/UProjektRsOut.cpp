#include "transfer/UProjektRsOut.h"

#include "core/Paths.h"

#include <QCheckBox>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace zyl {

TFProjektRsOut::TFProjektRsOut(AppContext& context, QWidget* parent)
    : ProjectRowsWindow(context,
                        {.title = QStringLiteral("Write to controller"),
                         .caption = WriteRowCaption,
                         .startDelayMs = 300,
                         .withComparison = false,
                         .startKeepsLastBar = true},
                        parent),
      context_(context) {
    backup_ = new QCheckBox(QStringLiteral("Backup before writing"), this);
    backup_->setChecked(true);
    verify_ = new QCheckBox(QStringLiteral("Verify"), this);
    backupNote_ = new QLabel(this);
    backupNote_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* ticks = new QHBoxLayout;
    ticks->addWidget(backup_);
    ticks->addSpacing(16);
    ticks->addWidget(verify_);
    ticks->addStretch(1);
    // Above the buttons.
    auto* main = static_cast<QVBoxLayout*>(layout());
    main->insertLayout(main->count() - 1, ticks);
    main->insertWidget(main->count() - 1, backupNote_);
}

ProjectRunResult TFProjektRsOut::Transfer(ControllerAccess& access, const BlockSelection& blocks,
                                          ProjectRunView& view) {
    ProjectWriteOptions options;
    options.verify = verify_->isChecked();
    if (backup_->isChecked()) options.backupFolder = ProgramFile(BackupFolderName);
    backupNote_->clear();
    // The ticks stay as they were for the whole run, however it ends.
    struct Held {
        QCheckBox* boxes[2];
        ~Held() {
            for (QCheckBox* box : boxes) box->setEnabled(true);
        }
    } held{{backup_, verify_}};
    for (QCheckBox* box : held.boxes) box->setEnabled(false);
    const ProjectWriteResult result = WriteProject(access, context_.project, blocks, view, options);
    if (result.backup == BackupEnd::Saved)
        backupNote_->setText(QStringLiteral("Backup saved to ") +
                             QDir::toNativeSeparators(QString::fromLocal8Bit(result.backupPath)));
    return result;
}

void OpenProjectWrite(AppContext& context, QWidget* parent) {
    context.access.ReadLinkSettings();
    TFProjektRsOut window(context, parent);
    window.exec();
}

} // namespace zyl
