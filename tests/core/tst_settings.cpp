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

    // Pointing COMn at a device changes its own line of [Ports] or adds one, and leaves every
    // other byte of the file as it was: comments, other sections, line endings, code page 1250
    // texts. The entry reads back as the device.
    void writePortDevice_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<int>("com");
        QTest::addColumn<QByteArray>("after");
        const QByteArray parametry("; link\r\n[Parametry]\r\nTekst=\xB9\xE6\r\nJestModul=1\r\n");
        QTest::newRow("no file") << QByteArray() << 1
                                 << QByteArray("[Ports]\r\nCOM1=/dev/ttyUSB9\r\n");
        QTest::newRow("no [Ports]: added at the end")
            << parametry << 2 << parametry + "[Ports]\r\nCOM2=/dev/ttyUSB9\r\n";
        QTest::newRow("entry of the port replaced in its own line and letter case")
            << QByteArray("[ports]\nCOM1=/dev/ttyS0\ncom2 = /dev/ttyACM0 \nCOM3=/dev/x\n") << 2
            << QByteArray("[ports]\nCOM1=/dev/ttyS0\ncom2 = /dev/ttyUSB9 \nCOM3=/dev/x\n");
        QTest::newRow("added before the blank lines that end the section")
            << QByteArray("[Ports]\r\nCOM1=/dev/ttyS0\r\n\r\n[Parametry]\r\nCOM16=x\r\n") << 16
            << QByteArray("[Ports]\r\nCOM1=/dev/ttyS0\r\nCOM16=/dev/ttyUSB9\r\n\r\n"
                          "[Parametry]\r\nCOM16=x\r\n");
        QTest::newRow("COM17 is not a port") << parametry << 17 << parametry;
        QTest::newRow("COM0 is not a port") << parametry << 0 << parametry;
    }
    void writePortDevice() {
        QFETCH(QByteArray, before);
        QFETCH(int, com);
        QFETCH(QByteArray, after);
        IniFile ini;
        ini.LoadText(before.toStdString());
        WritePortDevice(ini, com, "/dev/ttyUSB9");
        QCOMPARE(QByteArray::fromStdString(ini.Text()), after);
        if (com >= 1 && com <= 16)
            QCOMPARE(QString::fromStdString(
                         DeviceForPort(ReadAppSettings(ini).ports, "COM" + std::to_string(com))),
                     QString("/dev/ttyUSB9"));
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
