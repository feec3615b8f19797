// The devices a COM port can be pointed at: stable names found through a folder of links, and
// the entries of the device list with the one the mapping leads to.

#include "link/PortChoice.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <filesystem>

using namespace zyl;

namespace {

// Placeholders in table rows: the test's folder of fake devices and its folder of links.
QString Expand(QString text, const QTemporaryDir& dir) {
    return text.replace(QStringLiteral("<dev>"), dir.filePath(QStringLiteral("dev")))
        .replace(QStringLiteral("<by-id>"), dir.filePath(QStringLiteral("by-id")));
}

FoundPort Port(const QString& device, const QString& description = {},
               const QString& stableName = {}) {
    FoundPort port;
    port.device = device.toStdString();
    port.description = description.toStdString();
    port.stableName = stableName.toStdString();
    return port;
}

const QString Ftdi = QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A5-if00-port0");

} // namespace

class TestPortList : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

private slots:
    // A folder of fake devices and a folder of links to them, as udev lays them out: relative
    // links, an absolute one, two links to one device, a dangling link and a plain file.
    void initTestCase() {
        QVERIFY(dir_.isValid());
        QDir root(dir_.path());
        QVERIFY(root.mkpath("dev") && root.mkpath("by-id") && root.mkpath("by-path"));
        for (const char* device : {"ttyUSB0", "ttyUSB1", "ttyACM0", "ttyS0"}) {
            QFile file(root.filePath(QString("dev/") + device));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        namespace fs = std::filesystem;
        const fs::path byId = root.filePath("by-id").toStdString();
        fs::create_symlink("../dev/ttyUSB0", byId / "usb-FTDI_A5-if00-port0");
        fs::create_symlink(root.filePath("dev/ttyUSB1").toStdString(), byId / "usb-Prolific_B");
        fs::create_symlink("../dev/ttyACM0", byId / "usb-Maker_Z-if00");
        fs::create_symlink("../dev/ttyACM0", byId / "usb-Maker_A-if00");
        fs::create_symlink("../dev/ttyUSB9", byId / "usb-Unplugged");
        QFile plain(root.filePath("by-id/README"));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        fs::create_symlink("../dev/ttyUSB1", fs::path(root.filePath("by-path").toStdString()) /
                                                 "pci-0000:00:14.0-usb-0:2:1.0-port0");
    }

    void stableNames_data() {
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("stableName");
        QTest::newRow("relative link") << "<dev>/ttyUSB0"
                                       << "<by-id>/usb-FTDI_A5-if00-port0";
        QTest::newRow("absolute link") << "<dev>/ttyUSB1"
                                       << "<by-id>/usb-Prolific_B";
        QTest::newRow("two links: the first by name") << "<dev>/ttyACM0"
                                                      << "<by-id>/usb-Maker_A-if00";
        QTest::newRow("no link") << "<dev>/ttyS0"
                                 << "";
        QTest::newRow("device that does not exist") << "<dev>/ttyUSB9"
                                                    << "";
        QTest::newRow("device named through a link") << "<by-id>/usb-Prolific_B"
                                                     << "<by-id>/usb-Prolific_B";
    }
    void stableNames() {
        QFETCH(QString, device);
        QFETCH(QString, stableName);
        std::vector<FoundPort> ports{Port(Expand(device, dir_))};
        AddStableNames(ports, dir_.filePath("by-id").toStdString());
        QCOMPARE(QString::fromStdString(ports[0].stableName), Expand(stableName, dir_));
    }

    void missingStableNameFolder() {
        std::vector<FoundPort> ports{Port(dir_.filePath("dev/ttyUSB0"))};
        AddStableNames(ports, dir_.filePath("no-such-folder").toStdString());
        QVERIFY(ports[0].stableName.empty());
        QVERIFY(StableNames(dir_.filePath("dev/ttyUSB0").toStdString()).empty());
    }

    // The entries of COMn's device list: the default first, the found ports, the mapping when
    // it is neither; what each writes into [Ports]; which one is current.
    void choices_data() {
        QTest::addColumn<int>("com");
        QTest::addColumn<QString>("mapping"); // empty: no [Ports] entry
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QStringList>("devices");
        QTest::addColumn<int>("current");
        const QString usb0 = QStringLiteral("/dev/ttyUSB0 \u2013 FT232R USB UART \u2013 "
                                            "usb-FTDI_FT232R_USB_UART_A5-if00-port0");
        const QString acm0 = QStringLiteral("/dev/ttyACM0");
        QTest::newRow("no mapping: the default")
            << 1 << "" << QStringList{"/dev/ttyS0 (default)", usb0, acm0}
            << QStringList{"/dev/ttyS0", Ftdi, "/dev/ttyACM0"} << 0;
        QTest::newRow("COM16's default")
            << 16 << "" << QStringList{"/dev/ttyS15 (default)", usb0, acm0}
            << QStringList{"/dev/ttyS15", Ftdi, "/dev/ttyACM0"} << 0;
        QTest::newRow("mapped by stable name")
            << 2 << Ftdi << QStringList{"/dev/ttyS1 (default)", usb0, acm0}
            << QStringList{"/dev/ttyS1", Ftdi, "/dev/ttyACM0"} << 1;
        QTest::newRow("mapped by device: the entry of its stable name")
            << 2 << "/dev/ttyUSB0" << QStringList{"/dev/ttyS1 (default)", usb0, acm0}
            << QStringList{"/dev/ttyS1", Ftdi, "/dev/ttyACM0"} << 1;
        QTest::newRow("mapped to a port without stable name")
            << 5 << "/dev/ttyACM0" << QStringList{"/dev/ttyS4 (default)", usb0, acm0}
            << QStringList{"/dev/ttyS4", Ftdi, "/dev/ttyACM0"} << 2;
        QTest::newRow("mapped to the default")
            << 4 << "/dev/ttyS3" << QStringList{"/dev/ttyS3 (default)", usb0, acm0}
            << QStringList{"/dev/ttyS3", Ftdi, "/dev/ttyACM0"} << 0;
        QTest::newRow("unplugged adapter: kept, marked")
            << 3 << "<by-id>/usb-Unplugged"
            << QStringList{"/dev/ttyS2 (default)", usb0, acm0,
                           "<by-id>/usb-Unplugged (not present)"}
            << QStringList{"/dev/ttyS2", Ftdi, "/dev/ttyACM0", "<by-id>/usb-Unplugged"} << 3;
        QTest::newRow("a device the system does not list (a pty): kept, unmarked")
            << 3 << "<dev>/ttyUSB1"
            << QStringList{"/dev/ttyS2 (default)", usb0, acm0, "<dev>/ttyUSB1"}
            << QStringList{"/dev/ttyS2", Ftdi, "/dev/ttyACM0", "<dev>/ttyUSB1"} << 3;
    }
    void choices() {
        QFETCH(int, com);
        QFETCH(QString, mapping);
        QFETCH(QStringList, texts);
        QFETCH(QStringList, devices);
        QFETCH(int, current);
        std::map<int, std::string> ports;
        if (!mapping.isEmpty()) ports[com] = Expand(mapping, dir_).toStdString();
        FoundPort usb = Port("/dev/ttyUSB0", "FT232R USB UART", Ftdi);
        usb.vendorId = 0x0403;
        usb.productId = 0x6001;
        const DeviceChoices choices = ChoicesForPort(com, ports, {usb, Port("/dev/ttyACM0")});
        QStringList gotTexts, gotDevices;
        for (const DeviceChoice& c : choices.entries) {
            gotTexts << QString::fromStdString(c.text);
            gotDevices << QString::fromStdString(c.device);
        }
        // The closed list names an adapter by device and description.
        QCOMPARE(QString::fromStdString(choices.entries[1].label),
                 QString("/dev/ttyUSB0 \u2013 FT232R USB UART"));
        for (QString& t : texts) t = Expand(t, dir_);
        for (QString& d : devices) d = Expand(d, dir_);
        QCOMPARE(gotTexts, texts);
        QCOMPARE(gotDevices, devices);
        QCOMPARE(choices.current, current);
        QVERIFY(choices.entries[0].isDefault);
        // The hint of an adapter names it in full.
        QCOMPARE(QString::fromStdString(choices.entries[1].hint),
                 QString("/dev/ttyUSB0\n" + Ftdi + "\nFT232R USB UART\nUSB 0403:6001"));
    }

    // A found port at the default device is the default entry, not a second one; a link that
    // resolves to the device of a found port selects it.
    void defaultFoundAndLinkedMapping() {
        const QString usb1 = dir_.filePath("dev/ttyUSB1");
        const std::vector<FoundPort> found{Port("/dev/ttyS0", "16550A"), Port(usb1)};
        const DeviceChoices choices = ChoicesForPort(
            1, {{1, dir_.filePath("by-path/pci-0000:00:14.0-usb-0:2:1.0-port0").toStdString()}},
            found);
        QCOMPARE(choices.entries.size(), std::size_t(2));
        QCOMPARE(QString::fromStdString(choices.entries[0].text),
                 QString("/dev/ttyS0 (default) \u2013 16550A"));
        QVERIFY(choices.entries[0].present);
        QCOMPARE(choices.current, 1);
        QCOMPARE(QString::fromStdString(choices.entries[1].device), usb1);
    }
};

QTEST_GUILESS_MAIN(TestPortList)
#include "tst_portlist.moc"
