#include "app/main.h"
#include "core/AppContext.h"
#include "core/Paths.h"
#include "link/Frame.h"
#include "link/QtSerialPort.h"
#include "panel/CodePage.h"
#include "project/IniFile.h"
#include "support/FakeSerialPort.h"
#include "support/Pty.h"
#include "support/RecordingHost.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <cmath>
#include <functional>
#include <memory>

using namespace zyl;

namespace {

// A recording host that can look at the program's folder whenever a question is asked.
class WatchingHost : public test::RecordingHost {
public:
    std::function<void(const std::string&)> onQuestion;
    int AskYesNo(const std::string& text) override {
        if (onQuestion) onQuestion(text);
        return RecordingHost::AskYesNo(text);
    }
};

const char* const SaveQuestion = "Should modifications in design be saved?";

std::vector<std::uint8_t> ReplyFrom(std::uint8_t address, std::size_t length) {
    std::vector<std::uint8_t> reply(length - 2, 0);
    reply[0] = address;
    AppendChecksum(reply);
    return reply;
}

// The contrast of two colours as the web's accessibility guidelines measure it (1 to 21).
double Contrast(const QColor& a, const QColor& b) {
    const auto luminance = [](const QColor& c) {
        const auto linear = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

const char* const Ftdi = "/dev/serial/by-id/usb-FTDI_A5-if00-port0";

// Two adapters: one with a stable name and a description, one with neither.
std::vector<FoundPort> TwoAdapters() {
    FoundPort ftdi;
    ftdi.device = "/dev/ttyUSB0";
    ftdi.stableName = Ftdi;
    ftdi.description = "FT232R USB UART";
    FoundPort acm;
    acm.device = "/dev/ttyACM0";
    return {ftdi, acm};
}

int DeviceRow(const QComboBox& box, const QString& device) {
    for (int i = 0; i < box.count(); ++i)
        if (box.itemData(i).toString() == device) return i;
    return -1;
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void logSwitch_data();
    void logSwitch();
    void titleOnFirstShow();
    void startState();
    void moduleBoxFromSettings_data();
    void moduleBoxFromSettings();
    void readoutsFollowModuleBox();
    void settingsApplied_data();
    void settingsApplied();
    void linkControlsRestored_data();
    void linkControlsRestored();
    void linkSettingsFollowControls_data();
    void linkSettingsFollowControls();
    void enableProjectCommands_data();
    void enableProjectCommands();
    void openCancelled_data();
    void openCancelled();
    void modifiedFlagFollowsChanges();
    void closingWritesSettingsKeepingTheRest();
    void closingCreatesMissingSettings();
    void closingOrder_data();
    void closingOrder();
    void closingSavesLinkControls();
    void connectionTest_data();
    void connectionTest();
    void deviceReset_data();
    void deviceReset();
    void shortcuts_data();
    void shortcuts();
    void accessKeys();
    void disabledCaptionsReadable();
    void statusBarShowsFileAndLink();
    void deviceChoiceWritesPorts_data();
    void deviceChoiceWritesPorts();
    void deviceChoiceWithoutWritableSettings();
    void deviceListFollowsPortAndRescans();
    void deviceChoiceReachesTheLink_data();
    void deviceChoiceReachesTheLink();
    void enlargedWindowKeepsItsLayout();
    void screenshot();

private:
    TForm1& Form();
    QString Path(const char* name) const { return home_->filePath(QString::fromLatin1(name)); }
    void WriteFile(const char* name, const QByteArray& bytes) const;
    QByteArray ReadFile(const char* name) const;
    void WriteTemplate() const;

    std::unique_ptr<QTemporaryDir> home_;
    std::unique_ptr<QtSerialPort> qtPort_; // for the tests that need the program's own port
    std::unique_ptr<test::FakeSerialPort> port_;
    std::unique_ptr<WatchingHost> host_;
    std::unique_ptr<AppContext> context_;
    std::unique_ptr<TForm1> form_;
};

void MainWindowTest::init() {
    home_ = std::make_unique<QTemporaryDir>();
    QVERIFY(home_->isValid());
    qputenv("ZYL_HOME", QFile::encodeName(home_->path()));
    port_ = std::make_unique<test::FakeSerialPort>();
    host_ = std::make_unique<WatchingHost>();
    context_ = std::make_unique<AppContext>(*port_, *host_);
}

void MainWindowTest::cleanup() {
    form_.reset();
    context_.reset();
    host_.reset();
    port_.reset();
    qtPort_.reset();
    home_.reset();
    qunsetenv("ZYL_HOME");
}

TForm1& MainWindowTest::Form() {
    if (!form_) form_ = std::make_unique<TForm1>(*context_);
    return *form_;
}

void MainWindowTest::WriteFile(const char* name, const QByteArray& bytes) const {
    QFile file(Path(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray MainWindowTest::ReadFile(const char* name) const {
    QFile file(Path(name));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

void MainWindowTest::WriteTemplate() const {
    WriteFile("default.zy2", QByteArray(static_cast<qsizetype>(sizeof(TProjectImage)), '\0'));
}

void MainWindowTest::logSwitch_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("logOn");
    QTest::newRow("no arguments") << QStringList() << false;
    QTest::newRow("/D") << QStringList{"/D"} << true;
    QTest::newRow("lower case with blanks") << QStringList{" /d "} << true;
    QTest::newRow("tabs") << QStringList{"\t/D\t"} << true;
    QTest::newRow("further letters") << QStringList{"/DX"} << false;
    QTest::newRow("empty argument") << QStringList{""} << false;
    QTest::newRow("without the slash") << QStringList{"D"} << false;
    QTest::newRow("only the second argument") << QStringList{"x", "/D"} << false;
    QTest::newRow("first of two") << QStringList{"/d", "x"} << true;
}

void MainWindowTest::logSwitch() {
    QFETCH(QStringList, arguments);
    std::vector<QByteArray> storage{QByteArray("SetupZYL")};
    for (const QString& a : arguments) storage.push_back(a.toLatin1());
    std::vector<const char*> argv;
    for (const QByteArray& a : storage) argv.push_back(a.constData());
    argv.push_back(nullptr);
    QTEST(LogSwitchGiven(static_cast<int>(storage.size()), argv.data()), "logOn");
}

void MainWindowTest::titleOnFirstShow() {
    TForm1& form = Form();
    QCOMPARE(form.windowTitle(), QStringLiteral(" ZYL Setup 5.7"));
    form.show();
    QCOMPARE(form.windowTitle(), QStringLiteral(" ZYL Setup 5.7 ZYL200"));
    form.hide();
    form.show();
    QCOMPARE(form.windowTitle(), QStringLiteral(" ZYL Setup 5.7 ZYL200"));
}

void MainWindowTest::startState() {
    TForm1& form = Form();
    // Creation numbers the records of the project.
    const TProjectImage& image = context_->project.image;
    QCOMPARE(static_cast<int>(image.Relays[31].Number), 32);
    QCOMPARE(static_cast<int>(image.Alarms[0].Number), 1);
    QCOMPARE(static_cast<int>(image.WashingProgram.Number), 101);

    const QStringList captions{
        "Programs",         "Program WASHING", "Processes", "Processes WASHING", "Alarms", "Relays",
        "Special statuses", "Readouts",        "Setup",     "Analog OUT",        "PID"};
    for (int i = 0; i < TForm1::EditorButtonCount; ++i) {
        const QPushButton& button = *form.Button(static_cast<TForm1::EditorButton>(i));
        QCOMPARE(button.text(), captions[i]);
        QVERIFY2(!button.isEnabled(), qPrintable(captions[i]));
        QCOMPARE(button.palette().color(QPalette::ButtonText), QColor(128, 128, 128));
    }
    QVERIFY(!form.WriteToControllerAction()->isEnabled());
    QVERIFY(form.ReadFromControllerAction()->isEnabled());
    QVERIFY(form.ModuleBox()->isChecked());
    QVERIFY(form.ResultLabel()->isHidden());
    QVERIFY(form.FileNameLabel()->text().isEmpty());

    QCOMPARE(form.PortBox()->count(), 16);
    QCOMPARE(form.PortBox()->itemText(0), QStringLiteral("1"));
    QCOMPARE(form.PortBox()->itemText(15), QStringLiteral("16"));
    QCOMPARE(form.PortBox()->currentIndex(), 0);
    QCOMPARE(form.AddressEdit()->minimum(), 0);
    QCOMPARE(form.AddressEdit()->maximum(), 247);
    QCOMPARE(form.AddressEdit()->value(), 1);
    QCOMPARE(form.BaudBox()->count(), 2);
    QCOMPARE(form.BaudBox()->itemText(0), QStringLiteral("9600"));
    QCOMPARE(form.BaudBox()->itemText(1), QStringLiteral("19200"));
    QCOMPARE(form.CodePageBox()->count(), 4);
    for (int i = 0; i < 4; ++i)
        QCOMPARE(form.CodePageBox()->itemText(i), QString::fromLatin1(CodePageNames[i]));

    // The captions as shown, without the access key marks.
    QStringList menus;
    for (QAction* menu : form.menuBar()->actions()) {
        QStringList entries;
        for (QAction* entry : menu->menu()->actions())
            if (!entry->isSeparator()) entries << entry->text().remove(QLatin1Char('&'));
        menus << menu->text().remove(QLatin1Char('&')) + QLatin1Char(':') +
                     entries.join(QLatin1Char(','));
    }
    QCOMPARE(menus,
             (QStringList{
                 "File:New,Open,Save,Save as...,Compare with file\u2026,Export report\u2026,Close",
                 "Project:Read from controller,Write to controller,Device reset,"
                 "Find controllers\u2026",
                 "Languages:Set languages"}));
}

void MainWindowTest::moduleBoxFromSettings_data() {
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<bool>("checked");
    QTest::newRow("no settings file") << QByteArray() << false;
    QTest::newRow("JestModul=1") << QByteArray("[Parametry]\r\nJestModul=1\r\n") << true;
    QTest::newRow("JestModul=0") << QByteArray("[Parametry]\r\nJestModul=0\r\n") << false;
    QTest::newRow("JestModul=2") << QByteArray("[Parametry]\r\nJestModul=2\r\n") << false;
}

void MainWindowTest::moduleBoxFromSettings() {
    QFETCH(QByteArray, settings);
    QFETCH(bool, checked);
    if (!settings.isEmpty()) WriteFile("ustawienia.ini", settings);
    TForm1& form = Form();
    form.show();
    QCOMPARE(form.ModuleBox()->isChecked(), checked);
    QCOMPARE(context_->access.moduleMode, checked);
    QCOMPARE(form.Button(TForm1::ButtonReadouts)->isVisible(), checked);
}

void MainWindowTest::readoutsFollowModuleBox() {
    WriteFile("ustawienia.ini", "[Parametry]\r\nJestModul=0\r\n");
    TForm1& form = Form();
    form.show();
    QPushButton& readouts = *form.Button(TForm1::ButtonReadouts);
    QVERIFY(!readouts.isVisible());
    form.ModuleBox()->click();
    QVERIFY(readouts.isVisible());
    QVERIFY(context_->access.moduleMode);
    form.ModuleBox()->click();
    QVERIFY(!readouts.isVisible());
    QVERIFY(!context_->access.moduleMode);
}

void MainWindowTest::settingsApplied_data() {
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<int>("codePage");
    QTest::addColumn<int>("ileSleep");
    QTest::addColumn<int>("timeout");
    QTest::addColumn<int>("blockCount");
    QTest::newRow("defaults") << QByteArray("[Parametry]\r\n") << 0 << 5 << 2000 << 2;
    QTest::newRow("code page Polish, tunings")
        << QByteArray("[Parametry]\r\nileBlokProgram=3\r\nIleSleep=7\r\ntimeoutStand=150\r\n"
                      "StronaKodowa=2\r\n")
        << 2 << 7 << 150 << 3;
    QTest::newRow("IleSleep 10 is read as 5")
        << QByteArray("[Parametry]\r\nIleSleep=10\r\nStronaKodowa=3\r\n") << 3 << 5 << 2000 << 2;
    QTest::newRow("code page out of range")
        << QByteArray("[Parametry]\r\nStronaKodowa=7\r\n") << 0 << 5 << 2000 << 2;
}

void MainWindowTest::settingsApplied() {
    QFETCH(QByteArray, settings);
    QFETCH(int, codePage);
    WriteFile("ustawienia.ini", settings);
    TForm1& form = Form();
    form.show();
    QCOMPARE(form.CodePageBox()->currentIndex(), codePage);
    QCOMPARE(context_->link.codePage, codePage);
    QTEST(context_->link.Tuning().IleSleep, "ileSleep");
    QTEST(context_->link.Tuning().timeoutStand, "timeout");
    QTEST(context_->access.programBlockCount, "blockCount");
    // A later choice in the list takes effect at once.
    form.CodePageBox()->setCurrentIndex(1);
    QCOMPARE(context_->link.codePage, 1);
}

void MainWindowTest::linkControlsRestored_data() {
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<int>("port");
    QTest::addColumn<int>("baud");
    QTest::addColumn<int>("address");
    QTest::newRow("no file: the defaults") << QByteArray() << 0 << 0 << 1;
    QTest::newRow("stored values")
        << QByteArray("[Parametry]\r\nComboBoxPort_ItemIndex=4\r\nComboBoxPredkosc_ItemIndex=1\r\n"
                      "IntEditAdres_Value=17\r\nFormVersion=0\r\n")
        << 4 << 1 << 17;
    QTest::newRow("out of range values")
        << QByteArray("[Parametry]\r\nComboBoxPort_ItemIndex=16\r\nComboBoxPredkosc_ItemIndex=2\r\n"
                      "IntEditAdres_Value=300\r\n")
        << 0 << 0 << 247;
}

void MainWindowTest::linkControlsRestored() {
    QFETCH(QByteArray, stored);
    if (!stored.isEmpty()) WriteFile("setupZYLust.ini", stored);
    TForm1& form = Form();
    form.show();
    QTEST(form.PortBox()->currentIndex(), "port");
    QTEST(form.BaudBox()->currentIndex(), "baud");
    QTEST(form.AddressEdit()->value(), "address");
}

void MainWindowTest::linkSettingsFollowControls_data() {
    QTest::addColumn<int>("port");
    QTest::addColumn<int>("baud");
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("baudCode");
    QTest::newRow("COM1, 9600, address 0") << 0 << 0 << 0 << 6;
    QTest::newRow("COM16, 19200, address 247") << 15 << 1 << 247 << 8;
    QTest::newRow("COM3, 19200, address 12") << 2 << 1 << 12 << 8;
}

void MainWindowTest::linkSettingsFollowControls() {
    QFETCH(int, port);
    QFETCH(int, baud);
    QFETCH(int, address);
    TForm1& form = Form();
    form.show();
    form.PortBox()->setCurrentIndex(port);
    form.BaudBox()->setCurrentIndex(baud);
    form.AddressEdit()->setValue(address);
    context_->access.ReadLinkSettings();
    QCOMPARE(context_->access.linkParams.PortIndex, port);
    QTEST(static_cast<int>(context_->access.linkParams.BaudCode), "baudCode");
    QCOMPARE(static_cast<int>(context_->access.DeviceAddress), address);
}

void MainWindowTest::enableProjectCommands_data() {
    QTest::addColumn<bool>("on");
    QTest::addColumn<QColor>("caption");
    QTest::newRow("on: white captions") << true << QColor(255, 255, 255);
    QTest::newRow("off: grey captions") << false << QColor(128, 128, 128);
}

void MainWindowTest::enableProjectCommands() {
    QFETCH(bool, on);
    QFETCH(QColor, caption);
    TForm1& form = Form();
    form.show();
    form.EnableProjectCommands(!on);
    form.EnableProjectCommands(on);
    for (int i = 0; i < TForm1::EditorButtonCount; ++i) {
        const QPushButton& button = *form.Button(static_cast<TForm1::EditorButton>(i));
        QCOMPARE(button.isEnabled(), on);
        for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            QCOMPARE(button.palette().color(group, QPalette::ButtonText), caption);
    }
    // Once enabled, "Write to controller" stays enabled.
    QVERIFY(form.WriteToControllerAction()->isEnabled());
}

void MainWindowTest::openCancelled_data() {
    QTest::addColumn<bool>("newFirst");
    QTest::newRow("at start") << false;
    QTest::newRow("after File > New") << true;
}

void MainWindowTest::openCancelled() {
    QFETCH(bool, newFirst);
    WriteTemplate();
    TForm1& form = Form();
    form.show();
    if (newFirst) {
        form.NewAction()->trigger();
        QCOMPARE(form.FileNameLabel()->text(), Path("default.zy2"));
        QVERIFY(form.Button(TForm1::ButtonPrograms)->isEnabled());
        QVERIFY(form.Document().modified);
        host_->answers.push_back(AnswerNo); // the save question of Open
    }
    form.OpenAction()->trigger();
    QCOMPARE(host_->dialogs.size(), std::size_t{1});
    QCOMPARE(host_->dialogs[0].initialFolder, home_->path().toStdString());
    QCOMPARE(host_->dialogs[0].filter, std::string("Project ZYL|*.zyp;*.zy2"));
    for (int i = 0; i < TForm1::EditorButtonCount; ++i)
        QVERIFY(!form.Button(static_cast<TForm1::EditorButton>(i))->isEnabled());
    QVERIFY(form.FileNameLabel()->text().isEmpty());
    QVERIFY(!form.Document().modified);
    QCOMPARE(form.WriteToControllerAction()->isEnabled(), newFirst);
}

// An editor window that changed the project marks it modified (the closing question then
// offers to save it); one that changed nothing does not; a save clears the mark.
void MainWindowTest::modifiedFlagFollowsChanges() {
    WriteTemplate();
    TForm1& form = Form();
    form.show();
    form.NewAction()->trigger();
    QVERIFY(form.Document().modified);
    QVERIFY(form.ModifiedLabel()->isVisible());
    form.SaveAction()->trigger();
    QVERIFY(!form.Document().modified);
    QVERIFY(!form.ModifiedLabel()->isVisible());

    // The list closes again at once, having changed nothing or an alarm's message.
    const auto openAndClose = [&](TForm1::EditorButton button, bool change) {
        QTimer::singleShot(0, [&form, change] {
            QDialog* list = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(list);
            if (change) form.Context().project.image.Alarms[4].Message.SetText("CHANGED");
            list->reject();
        });
        form.Button(button)->click();
    };
    openAndClose(TForm1::ButtonRelays, false);
    QVERIFY(!form.Document().modified);
    openAndClose(TForm1::ButtonAlarms, true);
    QVERIFY(form.Document().modified);
    QVERIFY(form.ModifiedLabel()->isVisible());
    host_->answers.push_back(AnswerNo);
    QVERIFY(form.close());
    QCOMPARE(host_->questions.back(), std::string(SaveQuestion));
}

void MainWindowTest::closingWritesSettingsKeepingTheRest() {
    const QByteArray before("; settings of the link\r\n"
                            "[Parametry]\r\n"
                            "WaitForPanel = 7\r\n"
                            "StronaKodowa=0\r\n"
                            "Tekst=\xB9\xE6\r\n"
                            "JestModul=0\r\n"
                            "\r\n"
                            "[Ports]\r\n"
                            "StronaKodowa=9\r\n"
                            "COM1=/dev/ttyUSB0\r\n");
    QByteArray after = before;
    after.replace("StronaKodowa=0", "StronaKodowa=3").replace("JestModul=0", "JestModul=1");
    WriteFile("ustawienia.ini", before);
    TForm1& form = Form();
    form.show();
    form.CodePageBox()->setCurrentIndex(3);
    form.ModuleBox()->setChecked(true);
    QVERIFY(form.close());
    QCOMPARE(ReadFile("ustawienia.ini"), after);
}

void MainWindowTest::closingCreatesMissingSettings() {
    TForm1& form = Form();
    form.show();
    form.CodePageBox()->setCurrentIndex(2);
    QVERIFY(form.close());
    IniFile ini;
    QVERIFY(ini.Load(Path("ustawienia.ini").toStdString()));
    QCOMPARE(ini.ReadInteger("Parametry", "StronaKodowa", -1), 2);
    QCOMPARE(ini.ReadInteger("Parametry", "JestModul", -1), 0);
}

void MainWindowTest::closingOrder_data() {
    QTest::addColumn<bool>("askBeforeReset");
    QTest::addColumn<bool>("resetPending");
    QTest::addColumn<bool>("newProject");
    QTest::addColumn<int>("saveAnswer");
    QTest::addColumn<QStringList>("questions");
    QTest::addColumn<bool>("saved");
    const QString reset =
        QStringLiteral("Reset device?|settings not yet written|link not yet saved");
    const QString save =
        QString::fromLatin1(SaveQuestion) + QStringLiteral("|settings written|link not yet saved");
    QTest::newRow("reset pending, new project")
        << true << true << true << AnswerNo << QStringList{reset, save} << false;
    QTest::newRow("new project saved on Yes")
        << true << false << true << AnswerYes << QStringList{save} << true;
    QTest::newRow("reset not asked for")
        << false << true << true << AnswerNo << QStringList{save} << false;
    QTest::newRow("nothing to ask") << true << false << false << AnswerNo << QStringList() << false;
}

void MainWindowTest::closingOrder() {
    QFETCH(bool, askBeforeReset);
    QFETCH(bool, resetPending);
    QFETCH(bool, newProject);
    QFETCH(int, saveAnswer);
    QFETCH(bool, saved);
    WriteFile("ustawienia.ini", askBeforeReset ? "[Parametry]\r\nPytajOReset=1\r\n"
                                               : "[Parametry]\r\nPytajOReset=0\r\n");
    WriteTemplate();
    QStringList questions;
    host_->onQuestion = [&](const std::string& text) {
        const bool settingsWritten = ReadFile("ustawienia.ini").contains("JestModul");
        const bool linkSaved = QFile::exists(Path("setupZYLust.ini"));
        questions << QString::fromStdString(text) +
                         (settingsWritten ? "|settings written" : "|settings not yet written") +
                         (linkSaved ? "|link saved" : "|link not yet saved");
    };
    TForm1& form = Form();
    form.show();
    if (newProject) form.NewAction()->trigger();
    context_->access.resetPending = resetPending;
    if (resetPending && askBeforeReset) host_->answers.push_back(AnswerNo);
    host_->answers.push_back(saveAnswer);
    QSignalSpy closed(&form, &TForm1::closed);
    QVERIFY(form.close());
    QCOMPARE(closed.count(), 1);
    QTEST(questions, "questions");
    QVERIFY(QFile::exists(Path("setupZYLust.ini")));
    QCOMPARE(QFile::exists(Path("default.zy2h")), saved);
    QCOMPARE(QFile::exists(Path("default.zy2pid")), saved);
    // The refused reset sent nothing.
    QVERIFY(port_->written.empty());
}

void MainWindowTest::closingSavesLinkControls() {
    WriteFile("setupZYLust.ini",
              "[Parametry]\r\nComboBoxPort_ItemIndex=1\r\n\r\n[Inne]\r\nX=1\r\n");
    TForm1& form = Form();
    form.show();
    QCOMPARE(form.PortBox()->currentIndex(), 1);
    form.PortBox()->setCurrentIndex(4);
    form.BaudBox()->setCurrentIndex(1);
    form.AddressEdit()->setValue(200);
    QVERIFY(form.close());
    IniFile ini;
    QVERIFY(ini.Load(Path("setupZYLust.ini").toStdString()));
    QCOMPARE(ini.ReadInteger("Parametry", "ComboBoxPort_ItemIndex", -1), 4);
    QCOMPARE(ini.ReadInteger("Parametry", "ComboBoxPredkosc_ItemIndex", -1), 1);
    QCOMPARE(ini.ReadInteger("Parametry", "IntEditAdres_Value", -1), 200);
    QCOMPARE(ini.ReadString("Parametry", "FormVersion", "missing"), std::string("0"));
    QCOMPARE(ini.ReadInteger("Inne", "X", -1), 1);
}

void MainWindowTest::connectionTest_data() {
    QTest::addColumn<bool>("module");
    QTest::addColumn<QList<QByteArray>>("replies");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QColor>("colour");
    const auto frame = [](std::uint8_t address, std::size_t length) {
        const auto bytes = ReplyFrom(address, length);
        return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                          static_cast<qsizetype>(bytes.size()));
    };
    const QColor green(0, 255, 0);
    const QColor red(255, 0, 0);
    QTest::newRow("direct, no reply") << false << QList<QByteArray>() << "ERR" << red;
    QTest::newRow("direct, panel info")
        << false << QList<QByteArray>{frame(1, 17)} << "OK" << green;
    QTest::newRow("direct, another address")
        << false << QList<QByteArray>{frame(2, 17), frame(2, 17), frame(2, 17)} << "ERR" << red;
    QTest::newRow("direct, answered on the third attempt")
        << false << QList<QByteArray>{QByteArray(), QByteArray(), frame(1, 17)} << "OK" << green;
    QTest::newRow("module, status") << true << QList<QByteArray>{frame(1, 64)} << "OK" << green;
    QTest::newRow("module, no reply") << true << QList<QByteArray>() << "ERR" << red;
}

void MainWindowTest::connectionTest() {
    QFETCH(bool, module);
    QFETCH(QList<QByteArray>, replies);
    TForm1& form = Form();
    form.show();
    form.ModuleBox()->setChecked(module);
    // Start from an earlier OK, which the row's result must replace.
    port_->replies.push_back(ReplyFrom(1, module ? 64 : 17));
    form.ConnectionButton()->click();
    QCOMPARE(form.ResultLabel()->text(), QStringLiteral("OK"));
    port_->replies.clear();
    for (const QByteArray& r : replies) port_->replies.emplace_back(r.begin(), r.end());
    form.ConnectionButton()->click();
    QVERIFY(form.ResultLabel()->isVisible());
    QTEST(form.ResultLabel()->text(), "text");
    QTEST(form.ResultLabel()->palette().color(QPalette::WindowText), "colour");
    QCOMPARE(form.ResultLabel()->font().bold(), true);
}

void MainWindowTest::deviceReset_data() {
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<QStringList>("questions");
    QTest::newRow("asks before reset")
        << QByteArray("[Parametry]\r\nPytajOReset=1\r\n") << QStringList{"Reset device?"};
    QTest::newRow("PytajOReset 0: no question")
        << QByteArray("[Parametry]\r\nPytajOReset=0\r\n") << QStringList();
}

void MainWindowTest::deviceReset() {
    QFETCH(QByteArray, settings);
    WriteFile("ustawienia.ini", settings);
    TForm1& form = Form();
    form.show();
    form.DeviceResetAction()->trigger();
    QStringList questions;
    for (const std::string& q : host_->questions) questions << QString::fromStdString(q);
    QTEST(questions, "questions");
    QVERIFY(port_->written.empty());
}

void MainWindowTest::shortcuts_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QKeySequence>("keys");
    QTest::newRow("New") << "New" << QKeySequence(Qt::CTRL | Qt::Key_N);
    QTest::newRow("Open") << "Open" << QKeySequence(Qt::CTRL | Qt::Key_O);
    QTest::newRow("Save") << "Save" << QKeySequence(Qt::CTRL | Qt::Key_S);
    QTest::newRow("Save as") << "Save as..." << QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S);
}

// The keys every desktop program has run their File entries.
void MainWindowTest::shortcuts() {
    QFETCH(QString, entry);
    QFETCH(QKeySequence, keys);
    WriteTemplate();
    TForm1& form = Form();
    form.show();
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    const std::map<QString, QAction*> actions = {{"New", form.NewAction()},
                                                 {"Open", form.OpenAction()},
                                                 {"Save", form.SaveAction()},
                                                 {"Save as...", form.SaveAsAction()}};
    QAction* action = actions.at(entry);
    QCOMPARE(action->shortcut(), keys);
    QSignalSpy triggered(action, &QAction::triggered);
    QTest::keySequence(&form, keys);
    QCOMPARE(triggered.count(), 1);
}

// Every menu and entry has an access key, none used twice at one level.
void MainWindowTest::accessKeys() {
    TForm1& form = Form();
    const auto keyOf = [](const QAction* action) {
        const QString text = action->text();
        const qsizetype at = text.indexOf(QLatin1Char('&'));
        return at < 0 || at + 1 >= text.size() ? QChar() : text[at + 1].toLower();
    };
    const auto checkLevel = [&](const QList<QAction*>& actions) {
        QSet<QChar> keys;
        for (const QAction* action : actions) {
            if (action->isSeparator()) continue;
            const QChar key = keyOf(action);
            QVERIFY2(!key.isNull(), qPrintable(action->text()));
            QVERIFY2(!keys.contains(key), qPrintable(action->text()));
            keys.insert(key);
        }
    };
    checkLevel(form.menuBar()->actions());
    for (QAction* menu : form.menuBar()->actions()) checkLevel(menu->menu()->actions());
}

// The grey captions of disabled buttons stand out from their face, as drawn, and the white
// captions of enabled ones from theirs.
void MainWindowTest::disabledCaptionsReadable() {
    TForm1& form = Form();
    form.show();
    for (bool on : {false, true}) {
        form.EnableProjectCommands(on);
        QPushButton& button = *form.Button(TForm1::ButtonPrograms);
        const QPalette::ColorGroup group = on ? QPalette::Active : QPalette::Disabled;
        const QColor caption = button.palette().color(group, QPalette::ButtonText);
        QCOMPARE(caption, on ? QColor(255, 255, 255) : QColor(128, 128, 128));
        // The face beside the caption, where the button draws no text.
        const QImage drawn = button.grab().toImage();
        const QColor face = drawn.pixelColor(8, drawn.height() / 2);
        const double needed = on ? 4.5 : 3.0;
        QVERIFY2(Contrast(caption, face) >= needed,
                 qPrintable(QStringLiteral("caption %1 on face %2: %3")
                                .arg(caption.name(), face.name())
                                .arg(Contrast(caption, face))));
    }
}

void MainWindowTest::statusBarShowsFileAndLink() {
    WriteFile("ustawienia.ini", "[Parametry]\r\nJestModul=0\r\n[Ports]\r\nCOM3=/dev/ttyUSB1\r\n");
    WriteTemplate();
    TForm1& form = Form();
    form.show();
    form.resize(form.sizeHint());
    QVERIFY(form.statusBar()->isVisible());
    QCOMPARE(form.StatusFile()->text(), QStringLiteral("No project"));
    form.PortBox()->setCurrentIndex(2);
    form.BaudBox()->setCurrentIndex(1);
    form.AddressEdit()->setValue(12);
    QCOMPARE(
        form.StatusLink()->text(),
        QStringLiteral("COM3 = /dev/ttyUSB1 \u00b7 19200 baud \u00b7 address 12 \u00b7 direct"));
    form.ModuleBox()->setChecked(true);
    QVERIFY(form.StatusLink()->text().endsWith(QStringLiteral("\u00b7 module")));
    form.NewAction()->trigger();
    QCOMPARE(form.StatusFile()->text(), QStringLiteral("default.zy2"));
    QCOMPARE(form.StatusFile()->toolTip(), Path("default.zy2"));

    // A failed test leaves its cause, and the cause has the room it needs beside the rest.
    form.ModuleBox()->setChecked(false);
    form.ConnectionButton()->click();
    QCOMPARE(form.ResultLabel()->text(), QStringLiteral("ERR"));
    const QString cause = QString::fromStdString(context_->link.FailureCause());
    QVERIFY(!cause.isEmpty());
    QCOMPARE(form.StatusMessage()->text(), QStringLiteral("No communication: ") + cause);
    QCoreApplication::processEvents();
    const QLabel* message = form.StatusMessage();
    QVERIFY(message->width() >= message->fontMetrics().horizontalAdvance(message->text()));
    for (const QLabel* right : {form.StatusFile(), form.StatusLink()})
        QVERIFY(right->width() == 0 || right->x() >= message->geometry().right());
    // A change of the link settings takes the result away.
    form.AddressEdit()->setValue(13);
    QVERIFY(form.StatusMessage()->text().isEmpty());
}

void MainWindowTest::deviceChoiceWritesPorts_data() {
    QTest::addColumn<QByteArray>("before"); // empty: no settings file
    QTest::addColumn<int>("com");
    QTest::addColumn<QString>("device");
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("no settings file: made with the entry")
        << QByteArray() << 1 << Ftdi << QByteArray("[Ports]\r\nCOM1=") + Ftdi + "\r\n";
    const QByteArray kept("; settings of the link\r\n"
                          "[Parametry]\r\n"
                          "Tekst=\xB9\xE6\r\n"
                          "JestModul=0\r\n"
                          "\r\n"
                          "[Ports]\r\n"
                          "com2 = /dev/ttyS9\r\n"
                          "COM1=/dev/ttyUSB0\r\n");
    QTest::newRow("the port's entry replaced, every other byte kept")
        << kept << 2 << "/dev/ttyACM0"
        << QByteArray(kept).replace("com2 = /dev/ttyS9", "com2 = /dev/ttyACM0");
    QTest::newRow("added to [Ports] before its blank line")
        << kept + "\r\n[Other]\r\nX=1\r\n"
        << 3 << "/dev/ttyACM0" << kept + "COM3=/dev/ttyACM0\r\n\r\n[Other]\r\nX=1\r\n";
    QTest::newRow("back to the default")
        << QByteArray("[Ports]\nCOM4=/dev/ttyACM0\n") << 4 << "/dev/ttyS3"
        << QByteArray("[Ports]\nCOM4=/dev/ttyS3\n");
}

// Choosing a device points COMn at it in [Ports] of the settings file, keeping the rest of the
// file, and in the running settings.
void MainWindowTest::deviceChoiceWritesPorts() {
    QFETCH(QByteArray, before);
    QFETCH(int, com);
    QFETCH(QString, device);
    QFETCH(QByteArray, after);
    if (!before.isEmpty()) WriteFile("ustawienia.ini", before);
    TForm1& form = Form();
    form.SetPortLister(TwoAdapters);
    form.show();
    form.PortBox()->setCurrentIndex(com - 1);
    QComboBox& box = *form.DeviceBox();
    QVERIFY(box.isVisible());
    const int row = DeviceRow(box, device);
    QVERIFY(row >= 0);
    emit box.activated(row);

    QCOMPARE(ReadFile("ustawienia.ini"), after);
    QCOMPARE(QString::fromStdString(context_->settings.ports.at(com)), device);
    QCOMPARE(box.currentData().toString(), device);
    QCOMPARE(form.StatusMessage()->text(), QStringLiteral("COM%1 is %2").arg(com).arg(device));
    QVERIFY(form.StatusLink()->toolTip().contains(device));
}

// A settings file that cannot be rewritten is left alone; the choice holds for the run.
void MainWindowTest::deviceChoiceWithoutWritableSettings() {
    QVERIFY(QDir(home_->path()).mkdir("ustawienia.ini"));
    TForm1& form = Form();
    form.SetPortLister(TwoAdapters);
    form.show();
    emit form.DeviceBox()->activated(DeviceRow(*form.DeviceBox(), "/dev/ttyACM0"));
    QVERIFY(QFileInfo(Path("ustawienia.ini")).isDir());
    QCOMPARE(QString::fromStdString(context_->settings.ports.at(1)), QString("/dev/ttyACM0"));
    QVERIFY2(form.StatusMessage()->text().contains("for this run only"),
             qPrintable(form.StatusMessage()->text()));
}

// The list is that of the chosen port, keeps a mapping whose adapter is unplugged, and finds
// the ports again when it opens.
void MainWindowTest::deviceListFollowsPortAndRescans() {
    WriteFile("ustawienia.ini", "[Ports]\r\nCOM2=/dev/serial/by-id/usb-Gone\r\n");
    std::vector<FoundPort> found = TwoAdapters();
    int asked = 0;
    TForm1& form = Form();
    form.SetPortLister([&] {
        ++asked;
        return found;
    });
    form.show();
    QComboBox& box = *form.DeviceBox();
    QCOMPARE(box.currentText(), QStringLiteral("/dev/ttyS0 (default)"));
    QCOMPARE(box.count(), 3);
    form.PortBox()->setCurrentIndex(1);
    QCOMPARE(box.currentText(), QStringLiteral("/dev/serial/by-id/usb-Gone (not present)"));
    QCOMPARE(box.itemData(box.currentIndex(), Qt::ForegroundRole).value<QColor>(),
             QColor(128, 128, 128));
    QCOMPARE(box.count(), 4);
    // Nothing was written by looking.
    QCOMPARE(ReadFile("ustawienia.ini"),
             QByteArray("[Ports]\r\nCOM2=/dev/serial/by-id/usb-Gone\r\n"));

    FoundPort plugged;
    plugged.device = "/dev/ttyUSB1";
    plugged.description = "USB Serial";
    found.push_back(plugged);
    const int before = asked;
    box.showPopup();
    box.hidePopup();
    QCOMPARE(asked, before + 1);
    QCOMPARE(box.count(), 5);
    QVERIFY(DeviceRow(box, "/dev/ttyUSB1") >= 0);
    QCOMPARE(box.currentText(), QStringLiteral("/dev/serial/by-id/usb-Gone (not present)"));
}

void MainWindowTest::deviceChoiceReachesTheLink_data() {
    QTest::addColumn<bool>("present");
    QTest::addColumn<QString>("cause"); // <device> stands for the chosen device
    QTest::newRow("to another adapter")
        << true << "No communication: no reply from address 1 at 9600 baud";
    QTest::newRow("to an adapter unplugged since the list was made")
        << false << "No communication: the device COM1 (<device>) does not exist";
}

// With the program's own serial port: once another device is chosen for COM1, the next
// connection test goes to it and no longer to the device before.
void MainWindowTest::deviceChoiceReachesTheLink() {
    QFETCH(bool, present);
    QFETCH(QString, cause);
    test::Pty before, chosen;
    if (!before.IsOpen() || !chosen.IsOpen())
        QSKIP("needs pseudo-terminals (/dev/ptmx and /dev/pts)");
    const std::string missing = home_->filePath("ttyUSB7").toStdString();
    const std::string device = present ? chosen.SlavePath() : missing;
    qtPort_ = std::make_unique<QtSerialPort>();
    context_ = std::make_unique<AppContext>(*qtPort_, *host_);
    WriteFile("ustawienia.ini", QByteArray("[Parametry]\r\ntimeoutStand=20\r\nJestModul=0\r\n"
                                           "[Ports]\r\nCOM1=") +
                                    before.SlavePath().c_str() + "\r\n");
    TForm1& form = Form();
    form.SetPortLister([&] {
        std::vector<FoundPort> found(2);
        found[0].device = before.SlavePath();
        found[1].device = device;
        return found;
    });
    form.show();

    form.ConnectionButton()->click();
    QCOMPARE(form.ResultLabel()->text(), QStringLiteral("ERR"));
    QVERIFY(!before.ReadUntilQuiet(50).empty());

    emit form.DeviceBox()->activated(DeviceRow(*form.DeviceBox(), QString::fromStdString(device)));
    form.ConnectionButton()->click();
    QCOMPARE(form.ResultLabel()->text(), QStringLiteral("ERR"));
    QVERIFY(before.ReadUntilQuiet(50).empty());
    if (present) QVERIFY(!chosen.ReadUntilQuiet(50).empty());
    QCOMPARE(form.StatusMessage()->text(),
             QString(cause).replace("<device>", QString::fromStdString(device)));
    context_->link.Close();
}

// A larger window keeps the controls at their size and together, centred in it.
void MainWindowTest::enlargedWindowKeepsItsLayout() {
    TForm1& form = Form();
    form.show();
    form.resize(form.sizeHint());
    QCoreApplication::processEvents();
    QList<QWidget*> controls{form.PortBox(),          form.DeviceBox(),    form.AddressEdit(),
                             form.BaudBox(),          form.CodePageBox(),  form.ModuleBox(),
                             form.ConnectionButton(), form.FileNameLabel()};
    for (int i = 0; i < TForm1::EditorButtonCount; ++i)
        controls << form.Button(static_cast<TForm1::EditorButton>(i));
    const auto places = [&] {
        QList<QRect> rects;
        const QPoint origin = form.PortBox()->mapTo(&form, QPoint(0, 0));
        for (QWidget* w : controls)
            rects << QRect(w->mapTo(&form, QPoint(0, 0)) - origin, w->size());
        return rects;
    };
    const QList<QRect> natural = places();
    form.resize(form.sizeHint() * 2);
    QCoreApplication::processEvents();
    const QList<QRect> enlarged = places();
    for (qsizetype i = 0; i < controls.size(); ++i)
        QVERIFY2(enlarged[i] == natural[i], qPrintable(controls[i]->objectName()));
    QWidget* central = form.centralWidget();
    const QWidget* panel = central->findChild<QWidget*>(QStringLiteral("Panel"));
    QVERIFY(panel);
    QVERIFY((panel->geometry().center() - central->rect().center()).manhattanLength() <= 2);
}

void MainWindowTest::screenshot() {
    // Writes a picture of the main window when ZYL_SCREENSHOT names the file.
    const QString target = qEnvironmentVariable("ZYL_SCREENSHOT");
    if (target.isEmpty()) QSKIP("set ZYL_SCREENSHOT to the picture's path to write it");
    WriteFile("ustawienia.ini", "[Parametry]\r\nJestModul=1\r\n");
    WriteTemplate();
    TForm1& form = Form();
    form.show();
    form.NewAction()->trigger();
    form.FileNameLabel()->setText(QStringLiteral("/home/service/plants/line3.zy2"));
    port_->replies.push_back(ReplyFrom(1, 64));
    form.ConnectionButton()->click();
    form.resize(form.sizeHint());
    QCoreApplication::processEvents();
    QVERIFY(form.grab().save(target));
}

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
