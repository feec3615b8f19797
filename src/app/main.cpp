#include "app/main.h"

#include "app/FindControllers.h"
#include "core/Paths.h"
#include "core/Settings.h"
#include "editors/alarms/AlarmList.h"
#include "editors/analog/Uwyjsciaanalogowe.h"
#include "editors/pid/UlistaPID.h"
#include "editors/processes/Ulistakrokow.h"
#include "editors/programs/ProgramMycia.h"
#include "editors/programs/ulistaprojektow.h"
#include "editors/relays/RelayPictures.h"
#include "editors/relays/Ulistaprzekaznikow.h"
#include "editors/statuses/SpecialStatusList.h"
#include "link/PortList.h"
#include "link/QtSerialPort.h"
#include "panel/CodePage.h"
#include "panel/MenuWindow.h"
#include "project/IniFile.h"
#include "report/ExportReportDialog.h"
#include "service/ReadoutsWindow.h"
#include "service/SetupWindow.h"
#include "transfer/FieldDifferencesWindow.h"
#include "transfer/UProjektRSIn.h"
#include "transfer/UProjektRsOut.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QStatusBar>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>
#include <filesystem>

namespace zyl {

namespace {

const QColor CaptionEnabled(255, 255, 255);
const QColor CaptionDisabled(128, 128, 128);
const QColor EditorButtonFace(46, 78, 116);
// The grey caption of a disabled button needs a light face to be read.
const QColor EditorButtonFaceDisabled(232, 235, 239);
const QColor DeviceMissing(128, 128, 128);
const QColor ResultOk(0, 255, 0);
const QColor ResultError(255, 0, 0);
const QColor ResultBackground(24, 28, 34);
const QColor ResultBusy(200, 200, 200);
const QColor ModifiedColour(200, 90, 0);

struct EditorButtonSpec {
    const char* caption;
    const char* objectName;
    void (TForm1::*open)();
};

// Loads an INI file for a change that must keep the rest of it: false when the file exists
// but could not be read, so that saving would not replace it with the change alone.
bool LoadForUpdate(IniFile& ini, const std::string& path) {
    if (ini.Load(path)) return true;
    std::error_code ec;
    return !std::filesystem::exists(path, ec) && !ec;
}

// Where a device entry keeps its shorter text for the closed list.
constexpr int LabelRole = Qt::UserRole + 1;

// The device list: its owner refreshes the entries just before the list opens; closed, it
// shows the entry's shorter label, cut with an ellipsis when it does not fit.
class DeviceComboBox : public QComboBox {
public:
    using QComboBox::QComboBox;
    std::function<void()> beforePopup;
    void showPopup() override {
        if (beforePopup) beforePopup();
        QComboBox::showPopup();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QStylePainter painter(this);
        QStyleOptionComboBox option;
        initStyleOption(&option);
        const QVariant label = currentData(LabelRole);
        if (label.isValid()) option.currentText = label.toString();
        const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                    QStyle::SC_ComboBoxEditField, this);
        option.currentText =
            fontMetrics().elidedText(option.currentText, Qt::ElideRight, field.width() - 4);
        painter.drawComplexControl(QStyle::CC_ComboBox, option);
        painter.drawControl(QStyle::CE_ComboBoxLabel, option);
    }
};

// A one-line label that shortens what does not fit with an ellipsis; the whole text stays
// in text() and the tool tip.
class ElidingLabel : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent* event) override {
        QFrame::paintEvent(event);
        QPainter painter(this);
        painter.setPen(palette().color(foregroundRole()));
        const QRect area = contentsRect().adjusted(margin(), 0, -margin(), 0);
        painter.drawText(area, static_cast<int>(alignment()) | Qt::TextSingleLine,
                         fontMetrics().elidedText(text(), Qt::ElideRight, area.width()));
    }
};

void SetCaptionColour(QPushButton& button, const QColor& colour) {
    QPalette palette = button.palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, QPalette::ButtonText, colour);
    button.setPalette(palette);
}

} // namespace

// The status bar's line: the last result or note at the left, the project file and the link
// settings at the right. The note has the first claim on the width, the link settings the
// next, the file the rest; what does not fit is cut short with an ellipsis.
class StatusLine : public QWidget {
public:
    explicit StatusLine(QWidget* parent) : QWidget(parent) {
        for (QLabel** label : {&message, &file, &link}) {
            *label = new ElidingLabel(this);
            (*label)->setMargin(2);
        }
        setMinimumHeight(message->sizeHint().height());
    }
    QLabel* message = nullptr;
    QLabel* file = nullptr;
    QLabel* link = nullptr;

    QSize sizeHint() const override { return {0, minimumHeight()}; }

    // Lays the three out again after a text or the width changed.
    void Fit() {
        const auto needs = [](const QLabel* label) {
            if (label->text().isEmpty()) return 0;
            return label->fontMetrics().horizontalAdvance(label->text()) + 2 * label->margin() + 2;
        };
        // A sliver of a text says nothing: below this the label gives its room up.
        const auto share = [](int need, int room) {
            const int width = std::clamp(need, 0, std::max(room, 0));
            return width < need && width < 60 ? 0 : width;
        };
        const int all = width();
        int left = all - 2 * Spacing;
        left -= std::clamp(needs(message), 0, std::max(left, 0));
        const int linkWidth = share(needs(link), left);
        left -= linkWidth;
        const int fileWidth = share(needs(file), left);
        const int h = height();
        link->setGeometry(all - linkWidth, 0, linkWidth, h);
        file->setGeometry(all - linkWidth - Spacing - fileWidth, 0, fileWidth, h);
        message->setGeometry(0, 0, std::max(all - linkWidth - fileWidth - 2 * Spacing, 0), h);
    }

protected:
    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        Fit();
    }

private:
    static constexpr int Spacing = 14;
};

TForm1::TForm1(AppContext& context, QWidget* parent) : QMainWindow(parent), context_(context) {
    context_.controls.target = this;
    context_.document.enableProjectCommands = [this](bool on) { EnableProjectCommands(on); };
    context_.document.showFileName = [this](const std::string& name) { ShowFileName(name); };
    context_.document.showModified = [this](bool modified) { ShowModified(modified); };

    portLister_ = [] { return ListSerialPorts(); };
    BuildControls();
    BuildMenus();
    BuildStatusBar();
    buttons_[ButtonReadouts]->setVisible(moduleBox_->isChecked());
    NumberProjectRecords(context_.project.image);
    setWindowTitle(QString::fromLatin1(MainWindowTitle));
    EnableProjectCommands(false);
    ShowFileName({});
    RefreshDeviceBox();
}

TForm1::~TForm1() {
    if (context_.controls.target == this) context_.controls.target = nullptr;
    context_.document.enableProjectCommands = nullptr;
    context_.document.showFileName = nullptr;
    context_.document.showModified = nullptr;
}

void TForm1::BuildControls() {
    auto* central = new QWidget(this);
    setCentralWidget(central);

    fileNameLabel_ = new QLabel(central);
    fileNameLabel_->setObjectName(QStringLiteral("LabelFileName"));
    fileNameLabel_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    fileNameLabel_->setMinimumHeight(fileNameLabel_->fontMetrics().height() + 10);
    fileNameLabel_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    fileNameLabel_->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    fileNameLabel_->setMargin(3);

    modifiedLabel_ = new QLabel(QStringLiteral("Unsaved changes"), central);
    modifiedLabel_->setObjectName(QStringLiteral("LabelModified"));
    QFont modifiedFont = modifiedLabel_->font();
    modifiedFont.setBold(true);
    modifiedLabel_->setFont(modifiedFont);
    QPalette modifiedPalette = modifiedLabel_->palette();
    modifiedPalette.setColor(QPalette::WindowText, ModifiedColour);
    modifiedLabel_->setPalette(modifiedPalette);
    QSizePolicy keepModifiedSpace = modifiedLabel_->sizePolicy();
    keepModifiedSpace.setRetainSizeWhenHidden(true);
    modifiedLabel_->setSizePolicy(keepModifiedSpace);
    modifiedLabel_->hide();

    // Link settings.
    auto* linkGroup = new QGroupBox(QStringLiteral("Link"), central);
    portBox_ = new QComboBox(linkGroup);
    portBox_->setObjectName(QStringLiteral("ComboBoxPort"));
    for (int n = 1; n <= 16; ++n) portBox_->addItem(QString::number(n));
    portBox_->setCurrentIndex(0);

    auto* deviceBox = new DeviceComboBox(linkGroup);
    deviceBox->beforePopup = [this] { RefreshDeviceBox(); };
    deviceBox_ = deviceBox;
    deviceBox_->setObjectName(QStringLiteral("ComboBoxDevice"));
    deviceBox_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    deviceBox_->setMinimumContentsLength(26);
    deviceBox_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    deviceBox_->view()->setTextElideMode(Qt::ElideNone);

    addressEdit_ = new QSpinBox(linkGroup);
    addressEdit_->setObjectName(QStringLiteral("IntEditAdres"));
    addressEdit_->setRange(0, 247);
    addressEdit_->setValue(1);

    baudBox_ = new QComboBox(linkGroup);
    baudBox_->setObjectName(QStringLiteral("ComboBoxPredkosc"));
    baudBox_->addItems({QStringLiteral("9600"), QStringLiteral("19200")});
    baudBox_->setCurrentIndex(0);

    codePageBox_ = new QComboBox(linkGroup);
    codePageBox_->setObjectName(QStringLiteral("ComboBoxCodePage"));
    for (const char* name : CodePageNames) codePageBox_->addItem(QString::fromLatin1(name));
    codePageBox_->setCurrentIndex(0);

    moduleBox_ = new QCheckBox(QStringLiteral("Communication module"), linkGroup);
    moduleBox_->setObjectName(QStringLiteral("CheckBoxModule"));
    moduleBox_->setChecked(true);

    connectionButton_ = new QPushButton(QStringLiteral("Communication"), linkGroup);
    connectionButton_->setObjectName(QStringLiteral("ButtonCommunication"));
    connectionButton_->setMinimumHeight(32);

    resultLabel_ = new QLabel(linkGroup);
    resultLabel_->setObjectName(QStringLiteral("LabelResult"));
    QFont resultFont = resultLabel_->font();
    resultFont.setPointSize(18);
    resultFont.setBold(true);
    resultLabel_->setFont(resultFont);
    resultLabel_->setAlignment(Qt::AlignCenter);
    resultLabel_->setAutoFillBackground(true);
    QPalette resultPalette = resultLabel_->palette();
    resultPalette.setColor(QPalette::Window, ResultBackground);
    resultLabel_->setPalette(resultPalette);
    resultLabel_->setFixedSize(QFontMetrics(resultFont).horizontalAdvance(QStringLiteral("ERR")) +
                                   24,
                               QFontMetrics(resultFont).height() + 8);
    QSizePolicy keepSpace = resultLabel_->sizePolicy();
    keepSpace.setRetainSizeWhenHidden(true);
    resultLabel_->setSizePolicy(keepSpace);
    resultLabel_->hide();

    auto* form = new QFormLayout;
    form->setLabelAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    auto* portRow = new QHBoxLayout;
    portRow->setSpacing(4);
#ifdef _WIN32
    // COMn is the port itself.
    deviceBox_->hide();
    portRow->addWidget(portBox_, 1);
#else
    portBox_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    portRow->addWidget(portBox_);
    portRow->addWidget(deviceBox_, 1);
#endif
    form->addRow(QStringLiteral("Port COM"), portRow);
    form->addRow(QStringLiteral("Address RS-485"), addressEdit_);
    form->addRow(QStringLiteral("Baud rate"), baudBox_);
    form->addRow(QStringLiteral("Code page"), codePageBox_);
    auto* test = new QHBoxLayout;
    test->addWidget(connectionButton_, 1);
    test->addWidget(resultLabel_);
    auto* linkLayout = new QVBoxLayout(linkGroup);
    linkLayout->addLayout(form);
    linkLayout->addSpacing(4);
    linkLayout->addWidget(moduleBox_);
    linkLayout->addStretch(1);
    auto* rule = new QFrame(linkGroup);
    rule->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    linkLayout->addWidget(rule);
    linkLayout->addLayout(test);

    // The editor buttons.
    static constexpr EditorButtonSpec Editors[EditorButtonCount] = {
        {"Programs", "ButtonPrograms", &TForm1::OpenPrograms},
        {"Program WASHING", "ButtonProgramWashing", &TForm1::OpenWashingProgram},
        {"Processes", "ButtonProcesses", &TForm1::OpenProcesses},
        {"Processes WASHING", "ButtonProcessesWashing", &TForm1::OpenWashingProcesses},
        {"Alarms", "ButtonAlarms", &TForm1::OpenAlarms},
        {"Relays", "ButtonRelays", &TForm1::OpenRelays},
        {"Special statuses", "ButtonSpecialStatuses", &TForm1::OpenSpecialStatuses},
        {"Readouts", "ButtonReadouts", &TForm1::OpenReadouts},
        {"Setup", "ButtonSetup", &TForm1::OpenSetup},
        {"Analog OUT", "ButtonAnalogOut", &TForm1::OpenAnalogOutputs},
        {"PID", "ButtonPid", &TForm1::OpenPidRegulators},
    };
    auto* projectGroup = new QGroupBox(QStringLiteral("Project"), central);
    auto* grid = new QGridLayout(projectGroup);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(8);
    for (int i = 0; i < EditorButtonCount; ++i) {
        auto* button = new QPushButton(QString::fromLatin1(Editors[i].caption), projectGroup);
        button->setObjectName(QString::fromLatin1(Editors[i].objectName));
        button->setMinimumSize(160, 34);
        QPalette palette = button->palette();
        for (auto group : {QPalette::Active, QPalette::Inactive})
            palette.setColor(group, QPalette::Button, EditorButtonFace);
        palette.setColor(QPalette::Disabled, QPalette::Button, EditorButtonFaceDisabled);
        button->setPalette(palette);
        QFont font = button->font();
        font.setBold(true);
        button->setFont(font);
        const auto open = Editors[i].open;
        // Whatever the window changes in the project marks it modified when it closes.
        connect(button, &QPushButton::clicked, this, [this, open] {
            Guarded([&] {
                const ProjectChangeWatch watch(context_);
                (this->*open)();
            });
        });
        grid->addWidget(button, i / 2, i % 2);
        buttons_[static_cast<std::size_t>(i)] = button;
    }
    grid->setRowStretch(EditorButtonCount / 2 + 1, 1);

    auto* groups = new QHBoxLayout;
    groups->setSpacing(10);
    groups->addWidget(linkGroup);
    groups->addWidget(projectGroup, 1);
    // The 32 relay outputs, each with its picture and, as its hint, the relay's name.
    auto* relayGroup = new QGroupBox(QStringLiteral("Relay outputs"), central);
    auto* relayGrid = new QGridLayout(relayGroup);
    relayGrid->setSpacing(2);
    for (int n = 1; n <= RelayCount; ++n) {
        auto* picture = new QLabel(relayGroup);
        picture->setPixmap(RelayPicture(n, 34));
        picture->setAlignment(Qt::AlignCenter);
        relayGrid->addWidget(picture, (n - 1) / 16, (n - 1) % 16);
        relayPictures_[static_cast<std::size_t>(n - 1)] = picture;
    }
    RefreshRelayStrip();

    // The controls keep their size and places together; a larger window centres them.
    auto* panel = new QWidget(central);
    panel->setObjectName(QStringLiteral("Panel"));
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(10, 6, 10, 10);
    layout->setSpacing(6);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(fileNameLabel_, 1);
    fileRow->addWidget(modifiedLabel_);
    layout->addLayout(fileRow);
    layout->addLayout(groups, 1);
    layout->addWidget(relayGroup);
    auto* outer = new QGridLayout(central);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(panel, 0, 0, Qt::AlignCenter);

    connect(moduleBox_, &QCheckBox::toggled, this, [this] { ModuleBoxChanged(); });
    // A result belongs to the link settings it was found with.
    const auto linkChanged = [this] {
        ClearConnectionResult();
        ShowLinkInUse();
    };
    connect(portBox_, &QComboBox::currentIndexChanged, this, [this, linkChanged] {
        RefreshDeviceBox();
        linkChanged();
    });
    connect(baudBox_, &QComboBox::currentIndexChanged, this, linkChanged);
    connect(addressEdit_, &QSpinBox::valueChanged, this, linkChanged);
    connect(deviceBox_, &QComboBox::activated, this,
            [this](int index) { Guarded([this, index] { DeviceChosen(index); }); });
    connect(codePageBox_, &QComboBox::currentIndexChanged, this,
            [this](int index) { CodePageChanged(index); });
    connect(connectionButton_, &QPushButton::clicked, this,
            [this] { Guarded([this] { ConnectionTest(); }); });
}

void TForm1::BuildMenus() {
    // '&' marks each entry's access key; the shortcuts are the ones every desktop program has.
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    newAction_ = file->addAction(QStringLiteral("&New"));
    newAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    openAction_ = file->addAction(QStringLiteral("&Open"));
    openAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    saveAction_ = file->addAction(QStringLiteral("&Save"));
    saveAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    saveAsAction_ = file->addAction(QStringLiteral("Save &as..."));
    saveAsAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    file->addSeparator();
    compareAction_ = file->addAction(QStringLiteral("Compare &with file\u2026"));
    compareAction_->setEnabled(false);
    reportAction_ = file->addAction(QStringLiteral("&Export report\u2026"));
    reportAction_->setEnabled(false);
    file->addSeparator();
    closeAction_ = file->addAction(QStringLiteral("&Close"));

    QMenu* project = menuBar()->addMenu(QStringLiteral("&Project"));
    readAction_ = project->addAction(QStringLiteral("&Read from controller"));
    writeAction_ = project->addAction(QStringLiteral("&Write to controller"));
    writeAction_->setEnabled(false);
    project->addSeparator();
    resetAction_ = project->addAction(QStringLiteral("&Device reset"));
    findAction_ = project->addAction(QStringLiteral("&Find controllers\u2026"));

    QMenu* languages = menuBar()->addMenu(QStringLiteral("&Languages"));
    languagesAction_ = languages->addAction(QStringLiteral("Set &languages"));

    const auto on = [this](QAction* action, std::function<void()> run) {
        connect(action, &QAction::triggered, this, [this, run] { Guarded(run); });
    };
    on(newAction_, [this] { NewProject(context_.document, context_.host, ProgramFolder()); });
    on(openAction_, [this] { OpenProject(context_.document, context_.host, ProgramFolder()); });
    on(saveAction_, [this] { (void)SaveProject(context_.document, context_.host, false); });
    on(saveAsAction_, [this] { (void)SaveProject(context_.document, context_.host, true); });
    on(compareAction_, [this] { (void)OpenFileComparison(context_, this); });
    on(reportAction_, [this] {
        ExportReportDialog dialog(context_, this);
        dialog.exec();
    });
    on(closeAction_, [this] { close(); });
    on(readAction_, [this] { ReadFromController(); });
    on(writeAction_, [this] { WriteToController(); });
    on(resetAction_, [this] { DeviceReset(); });
    on(findAction_, [this] { FindControllers(); });
    on(languagesAction_, [this] { SetLanguages(); });
}

void TForm1::BuildStatusBar() {
    statusLine_ = new StatusLine(statusBar());
    statusBar()->addWidget(statusLine_, 1);
    statusMessage_ = statusLine_->message;
    statusMessage_->setObjectName(QStringLiteral("StatusMessage"));
    statusFile_ = statusLine_->file;
    statusFile_->setObjectName(QStringLiteral("StatusFile"));
    statusLink_ = statusLine_->link;
    statusLink_->setObjectName(QStringLiteral("StatusLink"));
    ShowLinkInUse();
}

void TForm1::SetPortLister(PortLister lister) {
    portLister_ = std::move(lister);
    RefreshDeviceBox();
}

void TForm1::EnableProjectCommands(bool on) {
    for (QPushButton* button : buttons_) {
        button->setEnabled(on);
        SetCaptionColour(*button, on ? CaptionEnabled : CaptionDisabled);
    }
    if (on) writeAction_->setEnabled(true);
    if (on) compareAction_->setEnabled(true);
    if (on) reportAction_->setEnabled(true);
    if (on && relayPictures_[0]) RefreshRelayStrip();
}

int TForm1::PortItemIndex() const {
    return portBox_->currentIndex();
}
int TForm1::BaudItemIndex() const {
    return baudBox_->currentIndex();
}
int TForm1::AddressValue() const {
    return addressEdit_->value();
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shown_) return;
    shown_ = true;
    Guarded([this] { FirstShow(); });
}

void TForm1::FirstShow() {
    setWindowTitle(QString::fromLatin1(MainWindowShownTitle));

    IniFile ini;
    ini.Load(ProgramFile(SettingsFileName));
    context_.settings = ReadAppSettings(ini);
    ApplyPorts();
    context_.link.SetTuning(context_.settings.tuning);
    context_.access.programBlockCount = context_.settings.ileBlokProgram;
    moduleBox_->setChecked(context_.settings.JestModul == 1);
    codePageBox_->setCurrentIndex(context_.settings.StronaKodowa);
    CodePageChanged(codePageBox_->currentIndex());
    ModuleBoxChanged();

    IniFile stored;
    stored.Load(ProgramFile(LinkControlsFileName));
    const LinkControlValues values = ReadLinkControls(stored);
    portBox_->setCurrentIndex(values.portIndex);
    baudBox_->setCurrentIndex(values.baudIndex);
    addressEdit_->setValue(values.address);
    RefreshDeviceBox();
    ShowLinkInUse();
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (!closingDone_) {
        closingDone_ = true;
        Guarded([this] {
            if (context_.access.resetPending) context_.access.ResetDeviceIfPending();
        });
        Guarded([this] { WriteClosingSettingsFile(); });
        Guarded([this] { AskToSaveNewProject(context_.document, context_.host); });
        Guarded([this] { SaveLinkControls(); });
    }
    event->accept();
    emit closed();
}

void TForm1::WriteClosingSettingsFile() {
    const std::string path = ProgramFile(SettingsFileName);
    IniFile ini;
    if (!LoadForUpdate(ini, path)) return;
    WriteClosingSettings(ini, codePageBox_->currentIndex(), moduleBox_->isChecked());
    (void)ini.Save(path);
}

void TForm1::SaveLinkControls() {
    const std::string path = ProgramFile(LinkControlsFileName);
    IniFile ini;
    if (!LoadForUpdate(ini, path)) return;
    WriteLinkControls(ini,
                      {portBox_->currentIndex(), baudBox_->currentIndex(), addressEdit_->value()});
    (void)ini.Save(path);
}

void TForm1::ModuleBoxChanged() {
    context_.access.moduleMode = moduleBox_->isChecked();
    buttons_[ButtonReadouts]->setVisible(moduleBox_->isChecked());
    ShowLinkInUse();
}

void TForm1::CodePageChanged(int index) {
    context_.link.codePage = index < 0 ? 0 : index;
}

void TForm1::ConnectionTest() {
    // Busy while the test waits; the window keeps painting, other input is held off.
    resultLabel_->setText(QStringLiteral("..."));
    QPalette busy = resultLabel_->palette();
    busy.setColor(QPalette::WindowText, ResultBusy);
    resultLabel_->setPalette(busy);
    resultLabel_->setToolTip({});
    resultLabel_->show();
    connectionButton_->setEnabled(false);
    QApplication::setOverrideCursor(Qt::BusyCursor);
    const bool ok = context_.access.ConnectionTest();
    QApplication::restoreOverrideCursor();
    connectionButton_->setEnabled(true);
    resultLabel_->setText(ok ? QStringLiteral("OK") : QStringLiteral("ERR"));
    QPalette palette = resultLabel_->palette();
    palette.setColor(QPalette::WindowText, ok ? ResultOk : ResultError);
    resultLabel_->setPalette(palette);
    const QString cause =
        ok ? QString() : QString::fromStdString(PcToUtf8(1250, context_.link.FailureCause()));
    resultLabel_->setToolTip(cause);
    ShowStatus(ok ? QStringLiteral("The controller answered")
                  : QStringLiteral("No communication: ") + cause);
}

void TForm1::ClearConnectionResult() {
    resultLabel_->hide();
    resultLabel_->setToolTip({});
    ShowStatus({});
}

void TForm1::ShowStatus(const QString& text) {
    statusMessage_->setText(text);
    statusMessage_->setToolTip(text);
    statusLine_->Fit();
}

void TForm1::ShowLinkInUse() {
    if (!statusLink_) return;
    const std::string com = "COM" + std::to_string(portBox_->currentIndex() + 1);
    QString port = QString::fromStdString(com);
#ifndef _WIN32
    // A stable device name can be long: its middle gives way, the tool tip has all of it.
    const QString device = QString::fromStdString(DeviceForPort(context_.settings.ports, com));
    statusLink_->setToolTip(port + QStringLiteral(" = ") + device);
    port +=
        QStringLiteral(" = ") + statusLink_->fontMetrics().elidedText(device, Qt::ElideMiddle, 240);
#endif
    statusLink_->setText(
        port + QStringLiteral(" \u00b7 ") + baudBox_->currentText() +
        QStringLiteral(" baud \u00b7 address ") + QString::number(addressEdit_->value()) +
        QStringLiteral(" \u00b7 ") +
        (moduleBox_->isChecked() ? QStringLiteral("module") : QStringLiteral("direct")));
    statusLine_->Fit();
}

void TForm1::RefreshDeviceBox() {
#ifdef _WIN32
    return;
#endif
    const int comNumber = portBox_->currentIndex() + 1;
    const DeviceChoices choices = ChoicesForPort(
        comNumber, context_.settings.ports, portLister_ ? portLister_() : std::vector<FoundPort>{});
    const QSignalBlocker quiet(deviceBox_);
    deviceBox_->clear();
    for (const DeviceChoice& choice : choices.entries) {
        deviceBox_->addItem(QString::fromStdString(choice.text),
                            QString::fromStdString(choice.device));
        const int row = deviceBox_->count() - 1;
        deviceBox_->setItemData(row, QString::fromStdString(choice.label), LabelRole);
        deviceBox_->setItemData(row, QString::fromStdString(choice.hint), Qt::ToolTipRole);
        if (!choice.present) {
            deviceBox_->setItemData(row, DeviceMissing, Qt::ForegroundRole);
            QFont italic = deviceBox_->font();
            italic.setItalic(true);
            deviceBox_->setItemData(row, italic, Qt::FontRole);
        }
    }
    deviceBox_->setCurrentIndex(choices.current);
    deviceBox_->setToolTip(deviceBox_->itemData(choices.current, Qt::ToolTipRole).toString());
    // The open list shows whole entries even where the closed box cuts them short.
    QAbstractItemView* view = deviceBox_->view();
    view->setMinimumWidth(view->sizeHintForColumn(0) + 2 * view->frameWidth() + 24);
}

void TForm1::DeviceChosen(int index) {
    const std::string device = deviceBox_->itemData(index).toString().toStdString();
    const int comNumber = portBox_->currentIndex() + 1;
    const std::string com = "COM" + std::to_string(comNumber);
    if (device.empty() || DeviceForPort(context_.settings.ports, com) == device) return;
    context_.settings.ports[comNumber] = device;
    ApplyPorts();

    const std::string path = ProgramFile(SettingsFileName);
    IniFile ini;
    bool saved = LoadForUpdate(ini, path);
    if (saved) {
        WritePortDevice(ini, comNumber, device);
        saved = ini.Save(path);
    }
    RefreshDeviceBox();
    ClearConnectionResult();
    ShowLinkInUse();
    const QString choice = QString::fromStdString(com + " is " + device);
    ShowStatus(saved ? choice
                     : choice + QStringLiteral(" for this run only: ") +
                           QString::fromLatin1(SettingsFileName) +
                           QStringLiteral(" cannot be written"));
}

void TForm1::ApplyPorts() {
    // The program's own port backend maps COMn; a test's port takes names as they are.
    if (auto* port = dynamic_cast<QtSerialPort*>(&context_.link.Port()))
        port->SetPorts(context_.settings.ports);
}

void TForm1::DeviceReset() {
    context_.access.DeviceReset();
}

void TForm1::FindControllers() {
    FindControllersDialog dialog(context_, this);
    if (dialog.exec() != QDialog::Accepted || !dialog.Chosen()) return;
    const FoundController& chosen = *dialog.Chosen();
    AddressEdit()->setValue(chosen.address);
    BaudBox()->setCurrentIndex(BaudBox()->findText(QString::number(chosen.baud)));
    ModuleBox()->setChecked(chosen.module);
}

void TForm1::ShowFileName(const std::string& fileName) {
    const QString name = QFile::decodeName(fileName.c_str());
    fileNameLabel_->setText(name);
    fileNameLabel_->setToolTip(name);
    statusFile_->setText(name.isEmpty() ? QStringLiteral("No project")
                                        : QFileInfo(name).fileName());
    statusFile_->setToolTip(name);
    statusLine_->Fit();
}

void TForm1::ShowModified(bool modified) {
    modifiedLabel_->setVisible(modified);
}

void TForm1::Guarded(const std::function<void()>& action) {
    try {
        action();
    } catch (const std::exception& e) {
        context_.host.ShowMessageBox(e.what());
    }
}

void TForm1::OpenPrograms() {
    OpenProgramList(context_, this);
}

void TForm1::OpenWashingProgram() {
    TProjectImage& image = context_.project.image;
    SetWashingProgramNumber(image);
    SetWashingProgramName(image);
    TProgramRecord copy = image.WashingProgram;
    if (EditProgram(context_, copy, this)) image.WashingProgram = copy;
}

void TForm1::OpenProcesses() {
    OpenProcessList(context_, false, this);
}
void TForm1::OpenWashingProcesses() {
    OpenProcessList(context_, true, this);
}
void TForm1::OpenAlarms() {
    OpenAlarmList(context_, this);
}
void TForm1::OpenRelays() {
    OpenRelayList(context_, this);
    RefreshRelayStrip();
}

void TForm1::RefreshRelayStrip() {
    for (int i = 0; i < RelayCount; ++i) {
        const std::string name = context_.project.image.Relays[i].Name.Text();
        relayPictures_[static_cast<std::size_t>(i)]->setToolTip(
            QString::number(i + 1) + QStringLiteral(": ") +
            QString::fromStdString(PcToUtf8(1250, name)));
    }
}
void TForm1::OpenSpecialStatuses() {
    OpenSpecialStatusList(context_, this);
}
void TForm1::OpenReadouts() {
    zyl::OpenReadouts(context_, this);
}
void TForm1::OpenSetup() {
    zyl::OpenSetup(context_, this);
}
void TForm1::OpenAnalogOutputs() {
    OpenAnalogOutputList(context_, this);
}
void TForm1::OpenPidRegulators() {
    OpenPidList(context_, this);
}
void TForm1::ReadFromController() {
    OpenProjectRead(context_, this);
    EnableProjectCommands(true);
}
void TForm1::WriteToController() {
    OpenProjectWrite(context_, this);
}
void TForm1::SetLanguages() {
    zyl::OpenMenu(context_, this);
}

} // namespace zyl
