#include "transfer/UProjektRsOut.h"

namespace zyl {

TFProjektRsOut::TFProjektRsOut(AppContext& context, QWidget* parent)
    : ProjectRowsWindow(context,
                        {.title = QStringLiteral("Write to controller"),
                         .caption = WriteRowCaption,
                         .startDelayMs = 300,
                         .withComparison = false,
                         .startKeepsLastBar = true},
                        parent),
      context_(context) {}

ProjectRunResult TFProjektRsOut::Transfer(ControllerAccess& access, const BlockSelection& blocks,
                                          ProjectRunView& view) {
    return WriteProject(access, context_.project, blocks, view);
}

void OpenProjectWrite(AppContext& context, QWidget* parent) {
    context.access.ReadLinkSettings();
    TFProjektRsOut window(context, parent);
    window.exec();
}

} // namespace zyl
