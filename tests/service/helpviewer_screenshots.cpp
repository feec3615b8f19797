// Writes a picture of the help viewer showing a shipped help page:
//   helpviewer_screenshots --screenshots DIR
// Run it under QT_QPA_PLATFORM=offscreen.

#include "service/HelpPages.h"
#include "service/HelpViewer.h"
#include "service/RichText.h"
#include "support/Screenshots.h"

#include <QApplication>

using namespace zyl;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const auto folder = test::ScreenshotFolder("helpviewer_screenshots");
    if (!folder) return 2;

    // The page as the viewer reads it from HELP/2.rtf.
    HelpViewer viewer(2, ReadRichText(WriteRichText(GeneratedHelpPage(2))));
    test::SaveShot(viewer, *folder, "help-page.png");
    return 0;
}
