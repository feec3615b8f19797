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
