// The "Find controllers" dialog against the simulator, with the program's own host and
// progress window: Cancel ends a scan at once, while an address waits for its reply and while
// a found controller's version read waits for the panel.

#include "E2eSupport.h"
#include "app/Dialogs.h"
#include "app/FindControllers.h"
#include "app/GuiHost.h"
#include "core/AppContext.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>

#include <memory>

using namespace zyl;
using namespace zyl::test;

namespace {

// The program as SetupZYL builds it, on the simulator's pty as COM1.
struct Program {
    explicit Program(const std::string& device, bool module) : port({{1, device}}) {
        host.SetProgressWindow(&progress);
        context = std::make_unique<AppContext>(port, host);
        context->settings.tuning.timeoutStand = TestTimeoutStand;
        context->settings.WaitForPanel = 30;
        context->link.SetTuning(context->settings.tuning);
        context->access.moduleMode = module;
    }
    ~Program() { host.SetProgressWindow(nullptr); }

    QtSerialPort port;
    ProgressWindow progress;
    GuiHost host;
    std::unique_ptr<AppContext> context;
};

QStringList Rows(const QTableWidget& list) {
    QStringList rows;
    for (int r = 0; r < list.rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < list.columnCount(); ++c) cells << list.item(r, c)->text();
        rows << cells.join(' ');
    }
    return rows;
}

// Clicks Cancel after the delay; the click's time is kept for the caller.
void ClickCancelAfter(FindControllersDialog& dialog, int ms, QElapsedTimer& clicked) {
    QTimer::singleShot(ms, &dialog, [&dialog, &clicked] {
        clicked.start();
        QTest::mouseClick(dialog.CancelButton(), Qt::LeftButton);
    });
}

} // namespace

class TestE2eFindControllers : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY2(!qEnvironmentVariable("ZYL_SIM").isEmpty(), "ZYL_SIM"); }

    void cancelWhileAnAddressWaits_data() {
        QTest::addColumn<bool>("module");
        QTest::newRow("direct") << false;
        QTest::newRow("module") << true;
    }
    void cancelWhileAnAddressWaits() {
        QFETCH(bool, module);
        ZYL_START_SIM(sim, QStringList{"--address", "17", "--quiet"});
        Program program(sim.Device(), module);
        FindControllersDialog dialog(*program.context);
        dialog.show();
        QElapsedTimer clicked;
        ClickCancelAfter(dialog, 400, clicked);
        dialog.StartScan();
        const qint64 afterClick = clicked.elapsed();
        QVERIFY(clicked.isValid());
        QVERIFY2(afterClick < 100, qPrintable(QString::number(afterClick)));
        // The click may land inside a probe's wait or between two probes (a direct probe
        // is short); either way the scan ends at once with what it did so far.
        QVERIFY2(dialog.StatusLabel()->text().startsWith("Cancelled after"),
                 qPrintable(dialog.StatusLabel()->text()));
        QVERIFY(dialog.StartButton()->isEnabled());
        QVERIFY(program.progress.isHidden());
    }

    // The found controller's panel never gets ready: Cancel ends the version read's wait.
    void cancelWhileThePanelWait() {
        ZYL_START_SIM(sim, QStringList{"--address", "1", "--panel-delay", "60000", "--quiet"});
        Program program(sim.Device(), true);
        FindControllersDialog dialog(*program.context);
        dialog.Rate9600Box()->setChecked(false);
        dialog.FirstAddressEdit()->setValue(1);
        dialog.LastAddressEdit()->setValue(1);
        dialog.show();
        QElapsedTimer clicked;
        ClickCancelAfter(dialog, 600, clicked);
        dialog.StartScan();
        const qint64 afterClick = clicked.elapsed();
        QVERIFY(clicked.isValid());
        QVERIFY2(afterClick < 150, qPrintable(QString::number(afterClick)));
        QCOMPARE(Rows(*dialog.List()), QStringList{"1 19200 module unknown"});
        QVERIFY2(dialog.StatusLabel()->text().startsWith("Cancelled after 1 of 1 requests"),
                 qPrintable(dialog.StatusLabel()->text()));
    }
};

QTEST_MAIN(TestE2eFindControllers)
#include "tst_e2e_findcontrollers.moc"
