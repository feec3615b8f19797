#include "core/AppContext.h"
#include "project/ValueLists.h"
#include "editors/ListWindow.h"
#include "editors/relays/EditParPrzek.h"
#include "editors/relays/TypPrzekTable.h"
#include "editors/relays/TypReglerTable.h"
#include "editors/relays/Ulistaprzekaznikow.h"
#include "link/Frame.h"
#include "support/FakeSerialPort.h"
#include "support/RecordingHost.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <cstring>
#include <functional>
#include <memory>

using namespace zyl;
using zyl::test::FakeSerialPort;
using zyl::test::RecordingHost;
using Bytes = std::vector<std::uint8_t>;

namespace {

const QString RangeMessage = "Wrong parameter range ! < 0..25.4";
const QString OffsetMessage = "Wrong parameter range ! < -12.5 .. 12.5";
const QString NotNumeric = QString("This") + QChar(0xA0) + "is not numeric format";

struct Rig {
    FakeSerialPort port;
    RecordingHost host;
    std::unique_ptr<AppContext> ctx = std::make_unique<AppContext>(port, host);
    Rig() {
        ctx->settings.tuning.timeoutStand = 5;
        ctx->link.SetTuning(ctx->settings.tuning);
        for (int i = 0; i < RelayCount; ++i) Relays()[i] = Relay(i + 1);
    }
    TRelayRecord* Relays() { return ctx->project.image.Relays; }
    static TRelayRecord Relay(int n) {
        TRelayRecord r{};
        r.Number = n;
        r.Name.SetText("R" + std::to_string(n));
        r.TimeType = 1;
        r.TimeTa = 10 * n;
        r.TimeTb = n;
        r.RegulatorType = 3;
        r.MeasurementChannel = 2;
        r.SetValueSource = 1;
        r.Offset = -5;
        r.RegulatorWindow = 20;
        r.LowerHysteresis = 7;
        r.UpperHysteresis = 9;
        return r;
    }
};

QByteArray RecordBytes(const TRelayRecord& r, int offset, int length) {
    return QByteArray(reinterpret_cast<const char*>(&r) + offset, length);
}

QByteArray Hex(const char* text) {
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

// Shows a window and makes it the active one, so that focus changes deliver their events.
void Activate(QWidget& window) {
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
}

template <class Window> Window* OpenWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* window = qobject_cast<Window*>(w); window && window->isVisible()) return window;
    return nullptr;
}

// Runs act on the modal window of type Window as soon as it is shown by what follows.
template <class Window> void WhenShown(std::function<void(Window&)> act) {
    QTimer::singleShot(0, [act] {
        Window* window = OpenWindow<Window>();
        QVERIFY2(window, "the expected window did not open");
        act(*window);
        if (window->isVisible()) window->reject();
    });
}

void Type(QLineEdit* edit, const QString& text) {
    edit->setFocus(Qt::TabFocusReason);
    edit->selectAll();
    if (text.isEmpty())
        QTest::keyClick(edit, Qt::Key_Backspace);
    else
        QTest::keyClicks(edit, text);
}

// A controller answering relay group reads with the items it holds; reads of failFromGroup
// and later get no reply.
struct RelayReadController {
    int failFromGroup = 99;
    std::uint8_t fill = 0;
    Bytes operator()(const Bytes& req) const {
        if (req.size() < 10 || req[5] != 0x46) return {};
        const int group = req[9];
        if (group >= failFromGroup) return {};
        Bytes r = {1, 0x46, 0x08, 0x00, 0xFC, 0x46, 0x0C, 0x00, 0xF5, std::uint8_t(group)};
        r.insert(r.end(), 240, fill);
        AppendChecksum(r);
        return r;
    }
};

QStringList GridRow(const RowTableModel& model, int row) {
    QStringList texts;
    for (int c = 0; c < model.columnCount(); ++c) texts << model.Text(row, c);
    return texts;
}

QStringList CoreRow(int row, const TRelayRecord& r) {
    QStringList texts;
    for (const std::string& t : RelayRow(row + 1, r)) texts << QString::fromStdString(t);
    return texts;
}

} // namespace

class TestRelayWindows : public QObject {
    Q_OBJECT
private slots:
    void valueFieldLeft_data();
    void valueFieldLeft();
    void saveChecksFieldNotLeft();
    void windowSwitchDoesNotLeaveField();
    void nameTypingLimit_data();
    void nameTypingLimit();
    void openAndSaveKeepsRecord_data();
    void openAndSaveKeepsRecord();
    void cancelKeepsRecord();
    void channelWord_data();
    void channelWord();
    void typeButtons_data();
    void typeButtons();
    void pickers_data();
    void pickers();
    void pickerLayout_data();
    void pickerLayout();

    void toolBarHints_data();
    void toolBarHints();
    void numberColumnCountsRows();
    void controllerRead_data();
    void controllerRead();
    void writeToDisk_data();
    void writeToDisk();
    void editFromList_data();
    void editFromList();
    void listCloses_data();
    void listCloses();
};

// --- the editor ----------------------------------------------------------------------------

void TestRelayWindows::valueFieldLeft_data() {
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message"); // empty: accepted
    QTest::addColumn<QString>("shown");   // the field's text after leaving it
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("stored");
    const int P5 = int(RelayValueField::Offset), P6 = int(RelayValueField::RegulatorWindow);
    const int P7 = int(RelayValueField::LowerHysteresis);
    const int P8 = int(RelayValueField::UpperHysteresis);
    QTest::newRow("P6 25.6 refused")
        << P6 << "25.6" << RangeMessage << "0" << 64 << Hex("00000000");
    QTest::newRow("P6 25.5 accepted") << P6 << "25.5"
                                      << ""
                                      << "25.5" << 64 << Hex("FF000000");
    QTest::newRow("P5 -12.5") << P5 << "-12.5"
                              << ""
                              << "-12.5" << 60 << Hex("83FFFFFF");
    QTest::newRow("P5 12.6 refused")
        << P5 << "12.6" << OffsetMessage << "0" << 60 << Hex("00000000");
    QTest::newRow("P5 comma") << P5 << "12,5" << NotNumeric << "0" << 60 << Hex("00000000");
    QTest::newRow("P7 1.5") << P7 << "1.5"
                            << ""
                            << "1.5" << 68 << Hex("0F000000");
    QTest::newRow("P7 negative") << P7 << "-0.1" << RangeMessage << "0" << 68 << Hex("00000000");
    QTest::newRow("P8 half to even") << P8 << "0.25"
                                     << ""
                                     << "0.25" << 72 << Hex("02000000");
    QTest::newRow("P8 emptied") << P8 << "" << NotNumeric << "0" << 72 << Hex("00000000");
    QTest::newRow("P8 letters") << P8 << "abc" << NotNumeric << "0" << 72 << Hex("00000000");
}

void TestRelayWindows::valueFieldLeft() {
    QFETCH(int, field);
    QFETCH(QString, text);
    QFETCH(QString, message);
    QFETCH(QString, shown);
    QFETCH(int, offset);
    QFETCH(QByteArray, stored);
    Rig rig;
    TFEditParPrzek editor(rig.host, Rig::Relay(4));
    Activate(editor);
    QLineEdit* edit = editor.ValueEdit(RelayValueField(field));
    Type(edit, text);
    editor.P1Edit()->setFocus(Qt::MouseFocusReason);

    const QStringList expected = message.isEmpty() ? QStringList() : QStringList{message};
    QStringList messages;
    for (const std::string& m : rig.host.messages) messages << QString::fromLatin1(m.c_str());
    QCOMPARE(messages, expected);
    QCOMPARE(edit->text(), shown);

    QTest::mouseClick(editor.SaveButton(), Qt::LeftButton);
    QCOMPARE(editor.result(), int(QDialog::Accepted));
    QCOMPARE(RecordBytes(editor.Record(), offset, 4), stored);
    QCOMPARE(rig.host.messages.size(), std::size_t(expected.size()));
}

void TestRelayWindows::saveChecksFieldNotLeft() {
    Rig rig;
    TFEditParPrzek editor(rig.host, Rig::Relay(2));
    Activate(editor);
    QLineEdit* p6 = editor.ValueEdit(RelayValueField::RegulatorWindow);
    Type(p6, "30");
    QTest::mouseClick(editor.SaveButton(), Qt::LeftButton);
    QCOMPARE(rig.host.messages, std::vector<std::string>{RangeMessage.toStdString()});
    QCOMPARE(p6->text(), QString("0"));
    QVERIFY(editor.isVisible());
    QCOMPARE(editor.Record().RegulatorWindow, 20);

    QTest::mouseClick(editor.SaveButton(), Qt::LeftButton);
    QVERIFY(!editor.isVisible());
    QCOMPARE(editor.Record().RegulatorWindow, 0);
    QCOMPARE(rig.host.messages.size(), std::size_t(1));
}

void TestRelayWindows::windowSwitchDoesNotLeaveField() {
    Rig rig;
    TFEditParPrzek editor(rig.host, Rig::Relay(2));
    Activate(editor);
    QLineEdit* p8 = editor.ValueEdit(RelayValueField::UpperHysteresis);
    Type(p8, "99");
    QWidget other;
    Activate(other);
    QVERIFY(rig.host.messages.empty());
    Activate(editor);
    QCOMPARE(QApplication::focusWidget(), p8);
    editor.NameEdit()->setFocus(Qt::BacktabFocusReason);
    QCOMPARE(rig.host.messages, std::vector<std::string>{RangeMessage.toStdString()});
    QCOMPARE(p8->text(), QString("0"));
}

void TestRelayWindows::nameTypingLimit_data() {
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QString>("typed"); // at the end of the field
    QTest::addColumn<QByteArray>("saved");
    QTest::newRow("typing stops at 14")
        << QByteArray("") << "ABCDEFGHIJKLMNOPQR" << QByteArray("ABCDEFGHIJKLMN");
    QTest::newRow("typing fills up to 14")
        << QByteArray("Pump") << " number 1234" << QByteArray("Pump number 12");
    QTest::newRow("a longer stored name cannot grow")
        << QByteArray("Twenty characters ab") << "cd" << QByteArray("Twenty characters ab");
}

void TestRelayWindows::nameTypingLimit() {
    QFETCH(QByteArray, stored);
    QFETCH(QString, typed);
    QFETCH(QByteArray, saved);
    Rig rig;
    TRelayRecord record = Rig::Relay(1);
    record.Name.SetText(stored.toStdString());
    TFEditParPrzek editor(rig.host, record);
    Activate(editor);
    editor.NameEdit()->setFocus();
    editor.NameEdit()->end(false);
    QTest::keyClicks(editor.NameEdit(), typed);
    QTest::mouseClick(editor.SaveButton(), Qt::LeftButton);
    QCOMPARE(QByteArray::fromStdString(editor.Record().Name.Text()), saved);
}

void TestRelayWindows::openAndSaveKeepsRecord_data() {
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("savedName");
    QTest::addColumn<int>("timeType");
    QTest::addColumn<int>("regulatorType");
    QTest::addColumn<int>("channel");
    QTest::addColumn<int>("setValue");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QString>("timeText"); // the time-type button's text
    QTest::addColumn<QString>("channelLabel");
    QTest::addColumn<QString>("shownChannel"); // the shown list's entry, empty: no selection
    QTest::newRow("plain") << QByteArray("Heater") << QByteArray("Heater") << 2 << 1 << 4 << 14
                           << -125 << "Switching on with delay"
                           << "Measurement channel"
                           << "5. Channel 5";
    QTest::newRow("polish letters folded")
        << QByteArray("\xA3\xF3\x9C\xB9 \xCA") << QByteArray("Losa E") << 4 << 3 << 0 << 0 << 3
        << "Pulse generator"
        << "Measurement channel"
        << "1.temperature";
    QTest::newRow("stored name longer than typing limit")
        << QByteArray("Twenty characters ab") << QByteArray("Twenty characters ab") << 5 << 6 << 3
        << 18 << 0 << "Pulse generator"
        << "PID"
        << "3 - PID 4";
    QTest::newRow("types and channels outside their tables")
        << QByteArray("X") << QByteArray("X") << 9 << 11 << 12 << 30 << 125 << "Unknown time type 9"
        << "Measurement channel"
        << "";
    QTest::newRow("PID index outside its list")
        << QByteArray("P") << QByteArray("P") << 0 << 6 << 7 << 2 << 0 << "Relay disabled"
        << "PID"
        << "";
}

void TestRelayWindows::openAndSaveKeepsRecord() {
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, savedName);
    QFETCH(int, timeType);
    QFETCH(int, regulatorType);
    QFETCH(int, channel);
    QFETCH(int, setValue);
    QFETCH(int, offset);
    QFETCH(QString, timeText);
    QFETCH(QString, channelLabel);
    QFETCH(QString, shownChannel);
    Rig rig;
    TRelayRecord record;
    std::memset(&record, 0x5A, sizeof record); // reserved bytes and filler must survive
    record.Number = 7;
    record.Name.SetText(name.toStdString());
    record.TimeType = timeType;
    record.TimeTa = 123456;
    record.TimeTb = -3;
    record.RegulatorType = regulatorType;
    record.MeasurementChannel = std::uint8_t(channel);
    record.SetValueSource = std::uint8_t(setValue);
    record.ChannelWordHigh = 0x1234;
    record.Offset = offset;
    record.RegulatorWindow = 255;
    record.LowerHysteresis = 0;
    record.UpperHysteresis = 25;

    TFEditParPrzek editor(rig.host, record);
    Activate(editor);
    QCOMPARE(editor.RelayFrame()->title(), QString("Relay No. 7               "));
    QCOMPARE(editor.TimeTypeButton()->text(), timeText);
    QCOMPARE(editor.ChannelLabel()->text(), channelLabel);
    QCOMPARE(editor.ShownChannelBox()->currentText(), shownChannel);
    QComboBox* other = editor.ShownChannelBox() == editor.PidBox() ? editor.MeasurementChannelBox()
                                                                   : editor.PidBox();
    QCOMPARE(other->currentIndex(), -1);
    QTest::mouseClick(editor.SaveButton(), Qt::LeftButton);
    QCOMPARE(editor.result(), int(QDialog::Accepted));
    QVERIFY(rig.host.messages.empty());

    TRelayRecord expected = record;
    expected.Name.SetText(savedName.toStdString());
    expected.ChannelWordHigh = 0;
    QCOMPARE(RecordBytes(editor.Record(), 0, 92), RecordBytes(expected, 0, 92));
}

void TestRelayWindows::cancelKeepsRecord() {
    Rig rig;
    TRelayRecord record = Rig::Relay(5);
    WhenShown<TFEditParPrzek>([](TFEditParPrzek& editor) {
        editor.NameEdit()->setText("Changed");
        editor.ValueEdit(RelayValueField::Offset)->setText("3");
        QTest::mouseClick(editor.CancelButton(), Qt::LeftButton);
    });
    QVERIFY(!EditRelay(*rig.ctx, record, nullptr));
    const TRelayRecord original = Rig::Relay(5);
    QCOMPARE(RecordBytes(record, 0, 92), RecordBytes(original, 0, 92));

    WhenShown<TFEditParPrzek>([](TFEditParPrzek& editor) {
        editor.NameEdit()->setText("Changed");
        QTest::mouseClick(editor.SaveButton(), Qt::LeftButton);
    });
    QVERIFY(EditRelay(*rig.ctx, record, nullptr));
    QCOMPARE(QByteArray::fromStdString(record.Name.Text()), QByteArray("Changed"));
}

void TestRelayWindows::channelWord_data() {
    QTest::addColumn<int>("storedType");
    QTest::addColumn<int>("storedChannel");
    QTest::addColumn<int>("storedSetValue");
    QTest::addColumn<int>("pickType");    // -1: keep the type
    QTest::addColumn<int>("pickChannel"); // in the list shown after the pick; -1: none
    QTest::addColumn<int>("pickSetValue");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QByteArray>("word"); // bytes 52..55
    QTest::newRow("PID 3 with step preset SP1")
        << 6 << 0 << 0 << -1 << 2 << 14 << "PID" << Hex("020E0000");
    QTest::newRow("last channel, last source")
        << 1 << 0 << 0 << -1 << 9 << 18 << "Measurement channel" << Hex("09120000");
    QTest::newRow("to PID without a pick keeps the channel byte")
        << 1 << 5 << 3 << 6 << -1 << -1 << "PID" << Hex("05030000");
    QTest::newRow("to PID and a pick") << 1 << 5 << 3 << 6 << 1 << -1 << "PID" << Hex("01030000");
    QTest::newRow("away from PID keeps the PID byte")
        << 6 << 4 << 16 << 3 << -1 << -1 << "Measurement channel" << Hex("04100000");
    QTest::newRow("away from PID and a pick")
        << 6 << 4 << 16 << 0 << 8 << 0 << "Measurement channel" << Hex("08000000");
}

void TestRelayWindows::channelWord() {
    QFETCH(int, storedType);
    QFETCH(int, storedChannel);
    QFETCH(int, storedSetValue);
    QFETCH(int, pickType);
    QFETCH(int, pickChannel);
    QFETCH(int, pickSetValue);
    QFETCH(QString, label);
    QFETCH(QByteArray, word);
    Rig rig;
    TRelayRecord record = Rig::Relay(1);
    record.RegulatorType = storedType;
    record.MeasurementChannel = std::uint8_t(storedChannel);
    record.SetValueSource = std::uint8_t(storedSetValue);
    TFEditParPrzek editor(rig.host, record);
    Activate(editor);
    QComboBox* before = editor.ShownChannelBox();
    if (pickType >= 0) {
        WhenShown<TFTypReglerTable>(
            [pickType](TFTypReglerTable& picker) { picker.ValueButton(pickType)->click(); });
        QTest::mouseClick(editor.RegulatorTypeButton(), Qt::LeftButton);
        QCOMPARE(editor.RegulatorType(), pickType);
        // The list left keeps its selection; the list now shown has its own.
        QCOMPARE(before->currentIndex(), storedChannel);
        QCOMPARE(editor.ShownChannelBox()->currentIndex(), -1);
    }
    QCOMPARE(editor.ChannelLabel()->text(), label);
    QVERIFY(editor.ShownChannelBox()->isVisible());
    if (pickChannel >= 0) editor.ShownChannelBox()->setCurrentIndex(pickChannel);
    if (pickSetValue >= 0) editor.SetValueBox()->setCurrentIndex(pickSetValue);
    QTest::mouseClick(editor.SaveButton(), Qt::LeftButton);
    QCOMPARE(editor.result(), int(QDialog::Accepted));
    QCOMPARE(RecordBytes(editor.Record(), 52, 4), word);
    QCOMPARE(editor.Record().RegulatorType, pickType >= 0 ? pickType : storedType);
}

void TestRelayWindows::typeButtons_data() {
    QTest::addColumn<bool>("regulator");
    QTest::addColumn<QString>("ending"); // "click N", "close box", "close button"
    QTest::addColumn<int>("expected");
    QTest::addColumn<QString>("text");
    QTest::newRow("time type picked") << false << "click 2" << 2 << "Switching on with delay";
    QTest::newRow("time close box") << false << "close box" << 1 << "Relay active";
    QTest::newRow("time close button") << false << "close button" << 1 << "Relay active";
    QTest::newRow("algorithm picked") << true << "click 5" << 5 << "Counter";
    QTest::newRow("algorithm close box") << true << "close box" << 3 << "Heating hysteresis";
    QTest::newRow("algorithm close button") << true << "close button" << 3 << "Heating hysteresis";
}

void TestRelayWindows::typeButtons() {
    QFETCH(bool, regulator);
    QFETCH(QString, ending);
    QFETCH(int, expected);
    QFETCH(QString, text);
    Rig rig;
    TFEditParPrzek editor(rig.host, Rig::Relay(1)); // time type 1, regulator type 3
    Activate(editor);
    WhenShown<TypePickerWindow>([ending](TypePickerWindow& picker) {
        if (ending == "close box")
            picker.close();
        else if (ending == "close button")
            QTest::mouseClick(picker.CloseButton(), Qt::LeftButton);
        else
            picker.ValueButton(ending.mid(6).toInt())->click();
    });
    QToolButton* button = regulator ? editor.RegulatorTypeButton() : editor.TimeTypeButton();
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(regulator ? editor.RegulatorType() : editor.TimeType(), expected);
    QCOMPARE(button->text(), text);
    QTest::mouseClick(editor.SaveButton(), Qt::LeftButton);
    QCOMPARE(regulator ? editor.Record().RegulatorType : editor.Record().TimeType, expected);
}

// --- the pickers ---------------------------------------------------------------------------

void TestRelayWindows::pickers_data() {
    QTest::addColumn<bool>("regulator");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("pressed"); // the button pressed on opening
    QTest::addColumn<QString>("ending");
    QTest::addColumn<bool>("chosen");
    QTest::addColumn<int>("result");
    QTest::newRow("second pulse generator, first clicked")
        << false << 5 << 5 << "click 4" << true << 4;
    QTest::newRow("time type clicked again") << false << 3 << 3 << "click 3" << true << 3;
    QTest::newRow("time type outside, close box") << false << 9 << 0 << "close box" << true << 9;
    QTest::newRow("time type close button") << false << 2 << 2 << "close button" << false << 2;
    QTest::newRow("time type escape") << false << 4 << 4 << "escape" << false << 4;
    QTest::newRow("PID, first clicked") << true << 6 << 6 << "click 0" << true << 0;
    QTest::newRow("algorithm negative, close box") << true << -1 << 0 << "close box" << true << -1;
    QTest::newRow("algorithm 7 outside") << true << 7 << 0 << "click 6" << true << 6;
    QTest::newRow("algorithm close button") << true << 3 << 3 << "close button" << false << 3;
}

void TestRelayWindows::pickers() {
    QFETCH(bool, regulator);
    QFETCH(int, value);
    QFETCH(int, pressed);
    QFETCH(QString, ending);
    QFETCH(bool, chosen);
    QFETCH(int, result);
    int checkedOnOpening = -2;
    WhenShown<TypePickerWindow>([&checkedOnOpening, ending](TypePickerWindow& picker) {
        checkedOnOpening = picker.Group()->checkedId();
        if (ending == "close box")
            picker.close();
        else if (ending == "close button")
            QTest::mouseClick(picker.CloseButton(), Qt::LeftButton);
        else if (ending == "escape")
            QTest::keyClick(&picker, Qt::Key_Escape);
        else
            QTest::mouseClick(picker.ValueButton(ending.mid(6).toInt()), Qt::LeftButton);
    });
    const bool got = regulator ? PickRegulatorType(value, nullptr) : PickTimeType(value, nullptr);
    QCOMPARE(checkedOnOpening, pressed);
    QCOMPARE(got, chosen);
    QCOMPARE(value, result);
}

void TestRelayWindows::pickerLayout_data() {
    QTest::addColumn<bool>("regulator");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("rows"); // button texts, "|" between rows
    QTest::addColumn<QStringList>("headings");
    QTest::newRow("time types")
        << false << "Time parameters"
        << QStringList{"Relay disabled",           "Relay active",    "Switching on with delay",
                       "Switching off with delay", "Pulse generator", "Pulse generator"}
        << QStringList{"Time type 0", "Time type 1", "Time type 2",
                       "Time type 3", "Time type 4", "Time type 5"};
    QTest::newRow("regulator types")
        << true << "Regulator type" << QStringList{"Control off",
                                                   "Heating progress",
                                                   "Cooling progress",
                                                   "Heating hysteresis",
                                                   "|",
                                                   "Cooling hysteresis",
                                                   "Counter",
                                                   "PID"}
        << QStringList{"Algorithm 0", "Algorithm 1", "Algorithm 2", "Algorithm 3",
                       "Algorithm 4", "Algorithm 5", "Algorithm 6"};
}

void TestRelayWindows::pickerLayout() {
    QFETCH(bool, regulator);
    QFETCH(QString, title);
    QFETCH(QStringList, rows);
    QFETCH(QStringList, headings);
    std::unique_ptr<TypePickerWindow> picker;
    if (regulator)
        picker = std::make_unique<TFTypReglerTable>(0);
    else
        picker = std::make_unique<TFTypPrzekTable>(0);
    picker->show();
    QCOMPARE(picker->windowTitle(), title);
    // Buttons read left to right, top to bottom, with a new row after each "|".
    QStringList seen;
    QRect last;
    for (int v = 0; picker->ValueButton(v); ++v) {
        const QRect at = picker->ValueButton(v)->geometry();
        if (v > 0 && at.top() > last.bottom())
            seen << "|";
        else if (v > 0)
            QVERIFY(at.left() > last.right());
        last = at;
        seen << picker->ValueButton(v)->text();
    }
    QCOMPARE(seen, rows);
    QStringList labels;
    for (QLabel* label : picker->findChildren<QLabel*>()) labels << label->text();
    for (const QString& heading : headings) QVERIFY2(labels.contains(heading), qPrintable(heading));
    QCOMPARE(picker->CloseButton()->toolTip(), QString("Close"));
}

// --- the list ------------------------------------------------------------------------------

void TestRelayWindows::toolBarHints_data() {
    QTest::addColumn<bool>("disk");
    QTest::addColumn<QStringList>("hints");
    QTest::newRow("with block files") << true << QStringList{"Read from controller",
                                                             "Write to controller",
                                                             "Read from disk",
                                                             "Write to disk",
                                                             "Edit",
                                                             "Save"};
    QTest::newRow("without block files")
        << false << QStringList{"Read from controller", "Write to controller", "Edit", "Save"};
}

void TestRelayWindows::toolBarHints() {
    QFETCH(bool, disk);
    QFETCH(QStringList, hints);
    EditorToolBar bar(disk ? std::span<const EditorAction>(ListActions)
                           : std::span<const EditorAction>(ListActionsWithoutDisk));
    QStringList shown;
    for (int a = 0; a < int(EditorActionHints.size()); ++a)
        if (QToolButton* b = bar.Button(EditorAction(a))) shown << b->toolTip();
    QCOMPARE(shown, hints);
}

void TestRelayWindows::numberColumnCountsRows() {
    QTemporaryDir dir;
    const QString path = dir.filePath("ten.rlz");
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        for (int i = 0; i < 10; ++i) {
            TRelayRecord r = Rig::Relay(i + 1);
            r.Number = 77;
            r.Name.SetText("F" + std::to_string(i + 1));
            file.write(reinterpret_cast<const char*>(&r), sizeof r);
        }
    }
    Rig rig;
    Tflistaprzekaznikow list(*rig.ctx);
    QCOMPARE(list.windowTitle(), QString("Relays"));
    rig.host.openChoices.push_back(path.toStdString());
    list.Trigger(EditorAction::ReadFromDisk);
    QCOMPARE(rig.host.dialogs.size(), std::size_t(1));
    QCOMPARE(QString::fromStdString(rig.host.dialogs[0].filter), QString("ZYL|*.rlz"));
    QCOMPARE(QString::fromStdString(rig.host.dialogs[0].defaultExtension), QString("rlz"));
    QCOMPARE(list.Model()->rowCount(), RelayCount);
    for (int row = 0; row < RelayCount; ++row) {
        QCOMPARE(list.Model()->Text(row, 0), QString::number(row + 1));
        const QString name = row < 10 ? QString("F%1").arg(row + 1) : QString("R%1").arg(row + 1);
        QCOMPARE(list.Model()->Text(row, 1), name);
    }
    QCOMPARE(rig.ctx->project.image.Relays[0].Number, 77);
}

void TestRelayWindows::controllerRead_data() {
    QTest::addColumn<int>("failFromGroup");
    QTest::addColumn<int>("replaced"); // relays taken from the controller
    QTest::addColumn<bool>("refilled");
    QTest::newRow("complete read refills") << 99 << 32 << true;
    QTest::newRow("fourth packet fails") << 3 << 18 << false;
    QTest::newRow("first packet fails") << 0 << 0 << false;
}

void TestRelayWindows::controllerRead() {
    QFETCH(int, failFromGroup);
    QFETCH(int, replaced);
    QFETCH(bool, refilled);
    Rig rig;
    RelayReadController controller{failFromGroup};
    rig.port.respond = controller;
    Tflistaprzekaznikow list(*rig.ctx);
    QStringList before;
    for (int row = 0; row < RelayCount; ++row) before << GridRow(*list.Model(), row).join('|');

    list.Trigger(EditorAction::ReadFromController);
    for (int row = 0; row < RelayCount; ++row) {
        const TRelayRecord& relay = rig.ctx->project.image.Relays[row];
        QCOMPARE(relay.Name.Text() == "R" + std::to_string(row + 1), row >= replaced);
        const QString shown = GridRow(*list.Model(), row).join('|');
        QCOMPARE(shown, refilled ? CoreRow(row, relay).join('|') : before[row]);
    }
    QCOMPARE(rig.host.messages.empty(), refilled);
}

void TestRelayWindows::writeToDisk_data() {
    QTest::addColumn<bool>("writable");
    QTest::newRow("written") << true;
    QTest::newRow("folder missing") << false;
}

void TestRelayWindows::writeToDisk() {
    QFETCH(bool, writable);
    QTemporaryDir dir;
    const QString path = writable ? dir.filePath("out.rlz") : dir.filePath("missing/out.rlz");
    Rig rig;
    Tflistaprzekaznikow list(*rig.ctx);
    rig.host.saveChoices.push_back(path.toStdString());
    list.Trigger(EditorAction::WriteToDisk);
    QCOMPARE(rig.host.dialogs.size(), std::size_t(1));
    QVERIFY(rig.host.dialogs[0].overwritePrompt);
    QCOMPARE(QString::fromStdString(rig.host.dialogs[0].filter), QString("ZYL|*.rlz"));
    if (writable) {
        QVERIFY(rig.host.messages.empty());
        QCOMPARE(QFileInfo(path).size(), qint64(2944));
    } else {
        QCOMPARE(rig.host.messages.size(), std::size_t(1));
        QVERIFY(QString::fromStdString(rig.host.messages[0]).contains("out.rlz"));
    }
}

void TestRelayWindows::editFromList_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("save");
    QTest::newRow("double click, saved") << "double click" << true;
    QTest::newRow("enter released, saved") << "enter" << true;
    QTest::newRow("edit button, saved") << "edit" << true;
    QTest::newRow("edit button, cancelled") << "edit" << false;
}

void TestRelayWindows::editFromList() {
    QFETCH(QString, how);
    QFETCH(bool, save);
    Rig rig;
    rig.ctx->project.image.Relays[2].Number = 40;
    Tflistaprzekaznikow list(*rig.ctx);
    Activate(list);
    list.Grid()->selectRow(2);
    QString frameTitle;
    WhenShown<TFEditParPrzek>([&frameTitle, save](TFEditParPrzek& editor) {
        frameTitle = editor.RelayFrame()->title();
        editor.NameEdit()->setText("Pump");
        editor.ValueEdit(RelayValueField::Offset)->setText("1.5");
        QTest::mouseClick(save ? editor.SaveButton() : editor.CancelButton(), Qt::LeftButton);
    });
    if (how == "double click") {
        const QRect cell = list.Grid()->visualRect(list.Model()->index(2, 1));
        QTest::mouseClick(list.Grid()->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(list.Grid()->viewport(), Qt::LeftButton, {}, cell.center());
    } else if (how == "enter") {
        QTest::keyRelease(list.Grid(), Qt::Key_Return);
    } else {
        QTest::mouseClick(list.ToolBar()->Button(EditorAction::Edit), Qt::LeftButton);
    }
    QCOMPARE(frameTitle, QString("Relay No. 3               "));
    const TRelayRecord& relay = rig.ctx->project.image.Relays[2];
    QCOMPARE(relay.Number, save ? 3 : 40);
    QCOMPARE(list.Model()->Text(2, 1), save ? QString("Pump") : QString("R3"));
    QCOMPARE(list.Model()->Text(2, 8), save ? QString("1.5") : QString("-0.5"));
    QCOMPARE(relay.Offset, save ? 15 : -5);
    QVERIFY(list.isVisible());
}

void TestRelayWindows::listCloses_data() {
    QTest::addColumn<bool>("escape");
    QTest::newRow("save button") << false;
    QTest::newRow("escape") << true;
}

void TestRelayWindows::listCloses() {
    QFETCH(bool, escape);
    Rig rig;
    Tflistaprzekaznikow list(*rig.ctx);
    Activate(list);
    if (escape)
        QTest::keyClick(list.Grid(), Qt::Key_Escape);
    else
        QTest::mouseClick(list.ToolBar()->Button(EditorAction::Save), Qt::LeftButton);
    QVERIFY(!list.isVisible());
}

QTEST_MAIN(TestRelayWindows)
#include "tst_relaywindows.moc"
