// The setup window driven against the simulator through the real serial backend: "Read"
// shows the controller's values and clears word 100, "Send" writes what the rows show, a
// failed read keeps the working copy, and the project gets the block when the window closes.

#include "E2eSupport.h"
#include "core/AppContext.h"
#include "link/CommandCatalogue.h"
#include "service/SetupParameters.h"
#include "service/SetupWindow.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>

#include <memory>

using namespace zyl;
using namespace zyl::test;

namespace {

QString Cell(const SetupWindow& window, int n) {
    return window.Table()->item(n - 1, 2)->text();
}

} // namespace

class TestE2eSetup : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY2(!qEnvironmentVariable("ZYL_SIM").isEmpty(), "ZYL_SIM"); }

    void readShowsController_data() {
        QTest::addColumn<bool>("module");
        QTest::newRow("direct") << false;
        QTest::newRow("module") << true;
    }
    void readShowsController() {
        QFETCH(bool, module);
        ZYL_START_SIM(sim);
        QVERIFY(sim.Command("setup-word 2 1"));
        QVERIFY(sim.Command("setup-word 7 1"));
        QVERIFY(sim.Command("setup-word 26 65413")); // -12.3
        QVERIFY(sim.Command("setup-word 70 65535")); // -1
        QVERIFY(sim.Command("setup-word 97 999"));
        QVERIFY(sim.Command("version 501"));
        SimContext s(sim.Device(), module);
        TSetupBlock& project = s.ctx->project.image.Setup;
        project.Words[100] = 1234;
        project.Words[97] = 5;

        SetupWindow window(*s.ctx);
        window.show();
        QCOMPARE(window.VersionLabel()->text(), QStringLiteral("v.0"));
        window.ReadButton()->click();
        QVERIFY(s.host.messages.empty());
        QCOMPARE(window.VersionLabel()->text(), QStringLiteral("v.501"));
        QCOMPARE(Cell(window, 2), QStringLiteral("1 - 19200 [b/s]"));
        QCOMPARE(Cell(window, 7), QStringLiteral("1 -  Fahrenheit"));
        QCOMPARE(Cell(window, 26), QStringLiteral("-12.3"));
        QCOMPARE(Cell(window, 70), QStringLiteral("-1"));
        QCOMPARE(Cell(window, 97), QStringLiteral("999"));
        QCOMPARE(window.Working().Words[100], std::int16_t(0));
        QCOMPARE(s.host.progress.back().position, 3);
        QVERIFY(!s.host.progressVisible);

        // The project gets the read block only as the window closes, without a Send.
        QCOMPARE(project.Words[97], std::int16_t(5));
        window.CloseButton()->click();
        QCOMPARE(project.Words[97], std::int16_t(999));
        QCOMPARE(project.Words[26], std::int16_t(-123));
        QCOMPARE(project.Words[100], std::int16_t(0));
        QVERIFY(s.host.questions.empty());
    }

    // A value edited in the dialog and "Send": the simulator holds the block as the rows show
    // it, word 0 as 0; the project holds it too; the reset is offered.
    void sendWritesRows_data() {
        QTest::addColumn<bool>("module");
        QTest::newRow("direct") << false;
        QTest::newRow("module") << true;
    }
    void sendWritesRows() {
        QFETCH(bool, module);
        ZYL_START_SIM(sim);
        SimContext s(sim.Device(), module);
        TSetupBlock& project = s.ctx->project.image.Setup;
        for (int w = 0; w <= 100; ++w) project.Words[w] = std::int16_t(3 * w - 100);
        project.Words[SetupVersionWord] = 501;

        SetupWindow window(*s.ctx);
        window.show();
        QTimer::singleShot(0, [] {
            auto* dialog = qobject_cast<ParameterEditDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->Field()->setText(QStringLiteral("2.35"));
            dialog->SaveButton()->click();
        });
        window.EditParameter(26);
        QCOMPARE(Cell(window, 26), QStringLiteral("2.4"));
        window.SendButton()->click();
        QCOMPARE(s.host.messages, std::vector<std::string>{MsgOperationCompleted});
        QCOMPARE(s.host.questions, std::vector<std::string>{MsgResetDevice});

        TSetupBlock expected = window.Working();
        QCOMPARE(expected.Words[26], std::int16_t(24));
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(&project), sizeof project),
                 QByteArray(reinterpret_cast<const char*>(&expected), sizeof expected));
        const QByteArray held = sim.Dump("setup").hex;
        QCOMPARE(held, HexOf(BuildWriteSetupParametersRequest(expected).payload));
        // Word 0 goes out as 0 whatever the block holds; word 26 is 24, big-endian.
        QCOMPARE(held.left(4), QByteArray("0000"));
        QCOMPARE(held.mid(4 * 26, 4), QByteArray("0018"));
        window.CloseButton()->click();
    }

    void readFailureKeepsRows() {
        ZYL_START_SIM(sim, QStringList{"--quiet"});
        SimContext s(sim.Device(), false);
        QVERIFY(sim.Command("fault noreply"));
        s.ctx->project.image.Setup.Words[26] = 123;
        s.ctx->project.image.Setup.Words[100] = 9;
        SetupWindow window(*s.ctx);
        window.ReadButton()->click();
        QCOMPARE(s.host.messages, std::vector<std::string>{MsgNoCommunication});
        QCOMPARE(Cell(window, 26), QStringLiteral("12.3"));
        QCOMPARE(window.Working().Words[100], std::int16_t(9));
        QVERIFY(!s.host.progressVisible);
    }
};

QTEST_MAIN(TestE2eSetup)
#include "tst_e2e_setup.moc"
