#include "core/Settings.h"

#include <QtTest>

using namespace zyl;

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void deviceForPort_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("device");
        QTest::newRow("mapped") << "COM3"
                                << "/dev/ttyUSB0";
        QTest::newRow("default") << "COM1"
                                 << "/dev/ttyS0";
        QTest::newRow("COM16") << "COM16"
                               << "/dev/ttyS15";
        QTest::newRow("device path") << "/dev/pts/4"
                                     << "/dev/pts/4";
        QTest::newRow("overlong number") << "COM99999999999"
                                         << "COM99999999999";
        QTest::newRow("no number") << "COM"
                                   << "COM";
    }
    void deviceForPort() {
        QFETCH(QString, name);
        QFETCH(QString, device);
        const std::map<int, std::string> ports = {{3, "/dev/ttyUSB0"}};
        QCOMPARE(QString::fromStdString(DeviceForPort(ports, name.toStdString())), device);
    }

    // Values that would make the tool spin, wait for ever or send unusable frames are brought
    // to their ranges; values inside keep their meaning.
    void numbersAreBroughtToTheirRanges_data() {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<int>("timeoutStand");
        QTest::addColumn<int>("ileSleep");
        QTest::addColumn<int>("waitForPanel");
        QTest::addColumn<int>("blockCount");
        QTest::newRow("defaults") << QByteArray("") << 2000 << 5 << 5 << 2;
        QTest::newRow("inside") << QByteArray("timeoutStand=150\nIleSleep=7\nWaitForPanel=9\n"
                                              "ileBlokProgram=3\n")
                                << 150 << 7 << 9 << 3;
        QTest::newRow("a stored 10 ms sleep is 5")
            << QByteArray("IleSleep=10\n") << 2000 << 5 << 5 << 2;
        QTest::newRow("too large") << QByteArray("timeoutStand=2147483647\nIleSleep=3000\n"
                                                 "WaitForPanel=2147483647\nileBlokProgram=40\n")
                                   << 30000 << 50 << 60 << 3;
        QTest::newRow("too small") << QByteArray("timeoutStand=-5\nIleSleep=-1\nWaitForPanel=0\n"
                                                 "ileBlokProgram=0\n")
                                   << 10 << 0 << 1 << 2;
    }
    void numbersAreBroughtToTheirRanges() {
        QFETCH(QByteArray, ini);
        QFETCH(int, timeoutStand);
        QFETCH(int, ileSleep);
        QFETCH(int, waitForPanel);
        QFETCH(int, blockCount);
        IniFile file;
        file.LoadText(("[Parametry]\n" + ini).toStdString());
        const AppSettings s = ReadAppSettings(file);
        QCOMPARE(s.tuning.timeoutStand, timeoutStand);
        QCOMPARE(s.tuning.IleSleep, ileSleep);
        QCOMPARE(s.WaitForPanel, waitForPanel);
        QCOMPARE(s.ileBlokProgram, blockCount);
    }

    void portsSectionIgnoresMalformedKeys() {
        IniFile ini;
        ini.LoadText("[Ports]\r\nCOM2=/dev/ttyACM0\r\nCOM123456789012=/dev/x\r\nCOMx=/dev/y\r\n"
                     "COM17=/dev/z\r\n");
        const AppSettings s = ReadAppSettings(ini);
        QCOMPARE(s.ports.size(), std::size_t(1));
        QCOMPARE(QString::fromStdString(s.ports.at(2)), QString("/dev/ttyACM0"));
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
