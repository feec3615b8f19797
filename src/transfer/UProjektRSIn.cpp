#include "transfer/UProjektRSIn.h"

namespace zyl {

TFProjektRSIn::TFProjektRSIn(AppContext& context, QWidget* parent)
    : ProjectRowsWindow(context,
                        {.title = QStringLiteral("Read from controller"),
                         .caption = ReadRowCaption,
                         .startDelayMs = 100,
                         .withComparison = true,
                         .startKeepsLastBar = false},
                        parent),
      context_(context) {}

ProjectRunResult TFProjektRSIn::Transfer(ControllerAccess& access, const BlockSelection& blocks,
                                         ProjectRunView& view) {
    return ReadProject(access, context_.project, blocks, ComparisonMode(), view);
}

void OpenProjectRead(AppContext& context, QWidget* parent) {
    context.access.ReadLinkSettings();
    TFProjektRSIn window(context, parent);
    window.exec();
}

} // namespace zyl
