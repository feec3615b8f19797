#pragma once

// TForm1, the main window: the link settings every controller operation uses, the File and
// Project menus, and the buttons that open the block editors.

#include "core/AppContext.h"
#include "core/ControllerAccess.h"
#include "link/PortChoice.h"
#include "project/ProjectFiles.h"

#include <QMainWindow>

#include <array>
#include <functional>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace zyl {

class StatusLine;

class TForm1 : public QMainWindow, public LinkControls {
    Q_OBJECT
public:
    // The editor buttons, in the order they are enabled together.
    enum EditorButton {
        ButtonPrograms,
        ButtonProgramWashing,
        ButtonProcesses,
        ButtonProcessesWashing,
        ButtonAlarms,
        ButtonRelays,
        ButtonSpecialStatuses,
        ButtonReadouts,
        ButtonSetup,
        ButtonAnalogOut,
        ButtonPid,
        EditorButtonCount
    };

    // Numbers the records of the context's project and builds the window; the settings files
    // are read when the window is first shown.
    explicit TForm1(AppContext& context, QWidget* parent = nullptr);
    ~TForm1() override;

    // Where the device list of the port finds the system's serial ports (ListSerialPorts
    // unless replaced); asked again each time the list opens.
    using PortLister = std::function<std::vector<FoundPort>()>;
    void SetPortLister(PortLister lister);

    // Enables or disables the editor buttons (white or grey captions); enabling also enables
    // Project > "Write to controller" for good.
    void EnableProjectCommands(bool on);

    [[nodiscard]] int PortItemIndex() const override;
    [[nodiscard]] int BaudItemIndex() const override;
    [[nodiscard]] int AddressValue() const override;

    [[nodiscard]] AppContext& Context() { return context_; }
    [[nodiscard]] ProjectDocument& Document() { return context_.document; }

    [[nodiscard]] QComboBox* PortBox() const { return portBox_; }
    // The device behind the chosen COMn (hidden on Windows, where COMn is the port itself);
    // each entry holds its device in Qt::UserRole.
    [[nodiscard]] QComboBox* DeviceBox() const { return deviceBox_; }
    [[nodiscard]] QSpinBox* AddressEdit() const { return addressEdit_; }
    [[nodiscard]] QComboBox* BaudBox() const { return baudBox_; }
    [[nodiscard]] QPushButton* ConnectionButton() const { return connectionButton_; }
    [[nodiscard]] QLabel* ResultLabel() const { return resultLabel_; }
    [[nodiscard]] QCheckBox* ModuleBox() const { return moduleBox_; }
    [[nodiscard]] QComboBox* CodePageBox() const { return codePageBox_; }
    [[nodiscard]] QLabel* FileNameLabel() const { return fileNameLabel_; }
    // "Unsaved changes", shown while the project is modified.
    [[nodiscard]] QLabel* ModifiedLabel() const { return modifiedLabel_; }
    [[nodiscard]] QPushButton* Button(EditorButton which) const { return buttons_[which]; }
    // The status bar: the last result or note, the project file and the link settings in use.
    [[nodiscard]] QLabel* StatusMessage() const { return statusMessage_; }
    [[nodiscard]] QLabel* StatusFile() const { return statusFile_; }
    [[nodiscard]] QLabel* StatusLink() const { return statusLink_; }

    [[nodiscard]] QAction* NewAction() const { return newAction_; }
    [[nodiscard]] QAction* OpenAction() const { return openAction_; }
    [[nodiscard]] QAction* SaveAction() const { return saveAction_; }
    [[nodiscard]] QAction* SaveAsAction() const { return saveAsAction_; }
    [[nodiscard]] QAction* CompareWithFileAction() const { return compareAction_; }
    [[nodiscard]] QAction* ExportReportAction() const { return reportAction_; }
    [[nodiscard]] QAction* CloseAction() const { return closeAction_; }
    [[nodiscard]] QAction* ReadFromControllerAction() const { return readAction_; }
    [[nodiscard]] QAction* WriteToControllerAction() const { return writeAction_; }
    [[nodiscard]] QAction* DeviceResetAction() const { return resetAction_; }
    [[nodiscard]] QAction* FindControllersAction() const { return findAction_; }
    [[nodiscard]] QAction* SetLanguagesAction() const { return languagesAction_; }

signals:
    // After the closing steps have run; the program ends here.
    void closed();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    void BuildMenus();
    void BuildStatusBar();
    void FirstShow();
    void ModuleBoxChanged();
    void CodePageChanged(int index);
    void ConnectionTest();
    // Hides the OK/ERR box and its cause.
    void ClearConnectionResult();
    // Fills the device list for the chosen COMn from the ports found now.
    void RefreshDeviceBox();
    // Points COMn at the chosen device: [Ports] of the settings file, the running settings and
    // the serial port, so that the next exchange goes to it.
    void DeviceChosen(int index);
    // Hands the [Ports] map of the running settings to the serial port.
    void ApplyPorts();
    void ShowStatus(const QString& text);
    void ShowLinkInUse();
    void DeviceReset();
    // Project > "Find controllers...": the scan; a chosen controller sets the link controls.
    void FindControllers();
    void WriteClosingSettingsFile();
    void SaveLinkControls();
    void ShowFileName(const std::string& fileName);
    void ShowModified(bool modified);
    // Runs a user action; an error it does not handle ends it with its text in a message box.
    void Guarded(const std::function<void()>& action);

    // The windows behind the buttons and menu entries.
    void OpenPrograms();
    void OpenWashingProgram();
    void OpenProcesses();
    void OpenWashingProcesses();
    void OpenAlarms();
    void OpenRelays();
    void RefreshRelayStrip();
    void OpenSpecialStatuses();
    void OpenReadouts();
    void OpenSetup();
    void OpenAnalogOutputs();
    void OpenPidRegulators();
    void ReadFromController();
    void WriteToController();
    void SetLanguages();

    AppContext& context_;
    bool shown_ = false;
    bool closingDone_ = false;

    QLabel* fileNameLabel_ = nullptr;
    QLabel* modifiedLabel_ = nullptr;
    QComboBox* portBox_ = nullptr;
    QComboBox* deviceBox_ = nullptr;
    PortLister portLister_;
    QSpinBox* addressEdit_ = nullptr;
    QComboBox* baudBox_ = nullptr;
    QPushButton* connectionButton_ = nullptr;
    QLabel* resultLabel_ = nullptr;
    QCheckBox* moduleBox_ = nullptr;
    QComboBox* codePageBox_ = nullptr;
    std::array<QPushButton*, EditorButtonCount> buttons_{};
    std::array<QLabel*, RelayCount> relayPictures_{};
    StatusLine* statusLine_ = nullptr;
    QLabel* statusMessage_ = nullptr;
    QLabel* statusFile_ = nullptr;
    QLabel* statusLink_ = nullptr;

    QAction* newAction_ = nullptr;
    QAction* openAction_ = nullptr;
    QAction* saveAction_ = nullptr;
    QAction* saveAsAction_ = nullptr;
    QAction* compareAction_ = nullptr;
    QAction* reportAction_ = nullptr;
    QAction* closeAction_ = nullptr;
    QAction* readAction_ = nullptr;
    QAction* writeAction_ = nullptr;
    QAction* resetAction_ = nullptr;
    QAction* findAction_ = nullptr;
    QAction* languagesAction_ = nullptr;
};

// The window title before and after the first showing.
inline constexpr const char* MainWindowTitle = " ZYL Setup 5.7";
inline constexpr const char* MainWindowShownTitle = " ZYL Setup 5.7 ZYL200";

} // namespace zyl
