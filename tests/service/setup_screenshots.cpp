// Writes a picture of the setup window for the documentation:
//   setup_screenshots --screenshots DIR
// Run it under QT_QPA_PLATFORM=offscreen. The block is a plausible plant's: a controller at
// address 3 on 19200 baud with program version 501, a few corrections and limits set.

#include "core/AppContext.h"
#include "service/SetupWindow.h"
#include "support/FakeSerialPort.h"
#include "support/RecordingHost.h"
#include "support/Screenshots.h"

#include <QApplication>
#include <QTableWidget>

#include <memory>
#include <utility>

using namespace zyl;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const auto folder = test::ScreenshotFolder("setup_screenshots");
    if (!folder) return 2;

    test::FakeSerialPort port;
    test::RecordingHost host;
    auto ctx = std::make_unique<AppContext>(port, host);
    TSetupBlock& setup = ctx->project.image.Setup;
    const std::pair<int, int> words[] = {
        {1, 3},   {2, 1},    {3, 2},    {4, 5},    {5, 1},     {6, 3},    {7, 0},
        {8, 100}, {9, 100},  {11, 5},   {12, 30},  {13, 120},  {14, 150}, {16, 60},
        {20, 5},  {21, 130}, {22, 200}, {23, 150}, {24, 150},  {25, 90},  {26, -15},
        {27, 5},  {28, 12},  {36, 10},  {38, 90},  {40, 2000}, {99, 501}};
    for (const auto& [word, value] : words) setup.Words[word] = std::int16_t(value);

    SetupWindow window(*ctx);
    window.Table()->setCurrentCell(6, 0);
    test::SaveShot(window, *folder, "setup-window.png");
    return 0;
}
