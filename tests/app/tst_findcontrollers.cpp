// The "Find controllers" dialog over a scripted bus: its defaults and refusals, the list a
// scan fills, Cancel and the close box during a scan, a failing port, and the main window
// taking over the chosen controller.

#include "app/FindControllers.h"
#include "app/main.h"
#include "support/FakeBus.h"
#include "support/RecordingHost.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

using namespace zyl;
using test::FakeBus;

namespace {

QStringList Rows(const QTableWidget& list) {
    QStringList rows;
    for (int r = 0; r < list.rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < list.columnCount(); ++c) cells << list.item(r, c)->text();
        rows << cells.join(' ');
    }
    return rows;
}

void DoubleClickRow(QTableWidget& list, int row) {
    const QRect cell = list.visualRect(list.model()->index(row, 0));
    QWidget* viewport = list.viewport();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, cell.center());
}

} // namespace

class TestFindControllers : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> home_;
    std::unique_ptr<test::FakeSerialPort> port_;
    std::unique_ptr<FakeBus> bus_;
    std::unique_ptr<test::RecordingHost> host_;
    std::unique_ptr<AppContext> context_;

    void SetMode(bool module) { context_->access.moduleMode = module; }
    // Runs fn once the dialog the main window opens is up.
    static void WhenDialogOpens(std::function<void(FindControllersDialog&)> fn) {
        QTimer::singleShot(0, [fn] {
            auto* dialog = qobject_cast<FindControllersDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            fn(*dialog);
        });
    }

private slots:
    void init() {
        home_ = std::make_unique<QTemporaryDir>();
        qputenv("ZYL_HOME", QFile::encodeName(home_->path()));
        port_ = std::make_unique<test::FakeSerialPort>();
        bus_ = std::make_unique<FakeBus>();
        bus_->controllers = {{1, 19200, 510}, {5, 19200, 505}, {17, 9600, 517}};
        bus_->Attach(*port_);
        host_ = std::make_unique<test::RecordingHost>();
        context_ = std::make_unique<AppContext>(*port_, *host_);
        context_->settings.tuning.timeoutStand = 30;
        context_->settings.WaitForPanel = 1;
        context_->link.SetTuning(context_->settings.tuning);
    }
    void cleanup() {
        context_.reset();
        host_.reset();
        bus_.reset();
        port_.reset();
        home_.reset();
        qunsetenv("ZYL_HOME");
    }

    void defaults() {
        FindControllersDialog dialog(*context_);
        QVERIFY(dialog.Rate9600Box()->isChecked());
        QVERIFY(dialog.Rate19200Box()->isChecked());
        QCOMPARE(dialog.FirstAddressEdit()->value(), 0);
        QCOMPARE(dialog.LastAddressEdit()->value(), 247);
        QVERIFY(dialog.StartButton()->isEnabled());
        QVERIFY(!dialog.CancelButton()->isEnabled());
        QVERIFY(!dialog.UseButton()->isEnabled());
        QCOMPARE(dialog.List()->rowCount(), 0);
        QVERIFY2(dialog.StatusLabel()->text().startsWith("496 requests"),
                 qPrintable(dialog.StatusLabel()->text()));
    }

    // A plan that cannot be scanned keeps Start off and says why.
    void plansRefused_data() {
        QTest::addColumn<bool>("rate9600");
        QTest::addColumn<bool>("rate19200");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::addColumn<QString>("said");
        QTest::newRow("no rate") << false << false << 0 << 247 << "No baud rate";
        QTest::newRow("backwards") << true << true << 30 << 20 << "runs backwards";
        QTest::newRow("one address, one rate") << false << true << 7 << 7 << "";
    }
    void plansRefused() {
        QFETCH(bool, rate9600);
        QFETCH(bool, rate19200);
        QFETCH(int, first);
        QFETCH(int, last);
        QFETCH(QString, said);
        FindControllersDialog dialog(*context_);
        dialog.Rate9600Box()->setChecked(rate9600);
        dialog.Rate19200Box()->setChecked(rate19200);
        dialog.FirstAddressEdit()->setValue(first);
        dialog.LastAddressEdit()->setValue(last);
        QCOMPARE(dialog.StartButton()->isEnabled(), said.isEmpty());
        if (!said.isEmpty())
            QVERIFY2(dialog.StatusLabel()->text().contains(said),
                     qPrintable(dialog.StatusLabel()->text()));
        QTest::mouseClick(dialog.StartButton(), Qt::LeftButton);
        QCOMPARE(bus_->requests.empty(), !said.isEmpty());
    }

    void scanFillsTheList_data() {
        QTest::addColumn<bool>("module");
        QTest::newRow("direct") << false;
        QTest::newRow("module") << true;
    }
    void scanFillsTheList() {
        QFETCH(bool, module);
        SetMode(module);
        bus_->controllers[1].answersSetup = false;
        FindControllersDialog dialog(*context_);
        dialog.LastAddressEdit()->setValue(20);
        QTest::mouseClick(dialog.StartButton(), Qt::LeftButton);
        QVERIFY(!dialog.Scanning());
        const QString mode = module ? "module" : "direct";
        QCOMPARE(Rows(*dialog.List()),
                 QStringList({"17 9600 " + mode + " 517", "1 19200 " + mode + " 510",
                              "5 19200 " + mode + " unknown"}));
        QCOMPARE(dialog.Bar()->value(), dialog.Bar()->maximum());
        QCOMPARE(dialog.Bar()->maximum(), 42);
        QVERIFY(dialog.StatusLabel()->text().startsWith("3 controllers found"));
        QCOMPARE(dialog.List()->selectionModel()->selectedRows().size(), 1);
        QVERIFY(dialog.UseButton()->isEnabled());
        QVERIFY(dialog.StartButton()->isEnabled());
        QVERIFY(!dialog.CancelButton()->isEnabled());
        QVERIFY(host_->messages.empty());
    }

    // Cancel pressed in the middle: no further request, the controls come back, and what was
    // found so far stays listed.
    void cancelDuringTheScan() {
        FindControllersDialog dialog(*context_);
        dialog.LastAddressEdit()->setValue(20);
        bool controlsOffWhileScanning = false;
        const auto respond = port_->respond;
        int sent = 0;
        // The 23rd request asks address 0 at 19200, after 17 answered at 9600.
        port_->respond = [&](const test::Bytes& request) {
            if (++sent == 23) {
                controlsOffWhileScanning =
                    !dialog.StartButton()->isEnabled() && !dialog.CloseButton()->isEnabled() &&
                    !dialog.Rate9600Box()->isEnabled() && !dialog.UseButton()->isEnabled();
                QTest::mouseClick(dialog.CancelButton(), Qt::LeftButton);
            }
            return respond(request);
        };
        QTest::mouseClick(dialog.StartButton(), Qt::LeftButton);
        QVERIFY(controlsOffWhileScanning);
        QCOMPARE(bus_->requests.size(), std::size_t(23));
        QCOMPARE(Rows(*dialog.List()), QStringList{"17 9600 direct 517"});
        QCOMPARE(dialog.Bar()->value(), 22);
        QVERIFY2(dialog.StatusLabel()->text().startsWith(
                     "Cancelled after 22 of 42 requests; 1 controller found"),
                 qPrintable(dialog.StatusLabel()->text()));
        QVERIFY(dialog.StartButton()->isEnabled());
        QVERIFY(!dialog.CancelButton()->isEnabled());
    }

    // The close box (or Escape) during a scan cancels it, then closes the dialog.
    void closingDuringTheScan() {
        FindControllersDialog dialog(*context_);
        dialog.show();
        const auto respond = port_->respond;
        int sent = 0;
        port_->respond = [&](const test::Bytes& request) {
            if (++sent == 3) QTest::keyClick(&dialog, Qt::Key_Escape);
            return respond(request);
        };
        QTest::mouseClick(dialog.StartButton(), Qt::LeftButton);
        QCOMPARE(bus_->requests.size(), std::size_t(3));
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(!dialog.Chosen());
    }

    void portFailure() {
        port_->failOpen = true;
        FindControllersDialog dialog(*context_);
        QTest::mouseClick(dialog.StartButton(), Qt::LeftButton);
        QCOMPARE(dialog.List()->rowCount(), 0);
        QVERIFY2(dialog.StatusLabel()->text().startsWith("No communication: "),
                 qPrintable(dialog.StatusLabel()->text()));
        QVERIFY(dialog.StartButton()->isEnabled());
    }

    // Project > "Find controllers...": the controller chosen sets the address, the baud rate
    // and the mode it was found in; closing without a choice changes nothing.
    void mainWindowTakesTheChoice_data() {
        QTest::addColumn<bool>("module");
        QTest::addColumn<bool>("doubleClick");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("address");
        QTest::addColumn<QString>("baud");
        QTest::newRow("direct, Use") << false << false << 0 << 17 << "9600";
        QTest::newRow("direct, double click") << false << true << 2 << 5 << "19200";
        QTest::newRow("module, Use") << true << false << 1 << 1 << "19200";
        QTest::newRow("module, double click") << true << true << 0 << 17 << "9600";
        QTest::newRow("closed") << true << false << -1 << 3 << "19200";
    }
    void mainWindowTakesTheChoice() {
        QFETCH(bool, module);
        QFETCH(bool, doubleClick);
        QFETCH(int, row);
        QFETCH(int, address);
        QFETCH(QString, baud);
        TForm1 form(*context_);
        form.ModuleBox()->setChecked(!module);
        form.ModuleBox()->setChecked(module);
        form.AddressEdit()->setValue(3);
        form.BaudBox()->setCurrentIndex(1);
        bool ran = false;
        WhenDialogOpens([&](FindControllersDialog& dialog) {
            dialog.LastAddressEdit()->setValue(20);
            QTest::mouseClick(dialog.StartButton(), Qt::LeftButton);
            ran = dialog.Found().size() == 3;
            if (row < 0) {
                QTest::mouseClick(dialog.CloseButton(), Qt::LeftButton);
            } else if (doubleClick) {
                DoubleClickRow(*dialog.List(), row);
            } else {
                dialog.List()->selectRow(row);
                QTest::mouseClick(dialog.UseButton(), Qt::LeftButton);
            }
            if (dialog.isVisible()) dialog.reject(); // never leave the test hanging
        });
        form.FindControllersAction()->trigger();
        QVERIFY(ran);
        QCOMPARE(form.AddressEdit()->value(), address);
        QCOMPARE(form.BaudBox()->currentText(), baud);
        QCOMPARE(form.ModuleBox()->isChecked(), module);
        QCOMPARE(context_->access.moduleMode, module);
    }
};

QTEST_MAIN(TestFindControllers)
#include "tst_findcontrollers.moc"
