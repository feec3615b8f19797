#pragma once

// The procedures through which every window reaches the controller: link settings taken
// from the main window, the panel wait, the module-mode STOP check, the device reset offer
// and the setup read that gives the program block count.

#include "core/Host.h"
#include "core/Outcome.h"
#include "core/Settings.h"
#include "link/Komunikacja.h"
#include "project/Records.h"

#include <cstdint>
#include <optional>

namespace zyl {

// The main window's three link controls, read immediately before every operation.
class LinkControls {
public:
    virtual ~LinkControls() = default;
    [[nodiscard]] virtual int PortItemIndex() const = 0; // 0 for "1" .. 15 for "16"
    [[nodiscard]] virtual int BaudItemIndex() const = 0; // 0 "9600", 1 "19200"
    [[nodiscard]] virtual int AddressValue() const = 0;  // 0..247
};

// Link controls with fixed values (the command line, tests).
class FixedLinkControls : public LinkControls {
public:
    int port = 0, baud = 0, address = 1;
    int PortItemIndex() const override { return port; }
    int BaudItemIndex() const override { return baud; }
    int AddressValue() const override { return address; }
};

enum class PanelWaitOutcome { Ready, NotReady, Cancelled };

// The link's wait hook for a host: lets the host's events run and ends the wait when the
// host's cancel request is set.
[[nodiscard]] inline TFkomunikacja::WaitHook WaitHookFor(Host& host) {
    return [&host] {
        host.ProcessEvents();
        return !host.CancelRequested();
    };
}

class ControllerAccess {
public:
    // Hands the link the host's wait hook (WaitHookFor).
    ControllerAccess(TFkomunikacja& link, Host& host, LinkControls& controls, AppSettings& settings)
        : link(link), host(host), controls(controls), settings(settings),
          programBlockCount(settings.ileBlokProgram) {
        link.SetWaitHook(WaitHookFor(host));
    }
    ~ControllerAccess() { link.SetWaitHook({}); }
    ControllerAccess(const ControllerAccess&) = delete;
    ControllerAccess& operator=(const ControllerAccess&) = delete;

    TFkomunikacja& link;
    Host& host;
    LinkControls& controls;
    AppSettings& settings;

    bool moduleMode = false;   // the "Communication module" box
    bool resetPending = false; // set after anything was written to the controller
    int programBlockCount;     // frames per program on the link

    std::uint8_t DeviceAddress = 1;
    TLinkParams linkParams;

    // Copies the main window's address, port and baud into DeviceAddress and linkParams. An
    // operation begins here, so a cancel request left from an earlier one is cleared.
    void ReadLinkSettings();
    // The same without touching the cancel request: for a run of several blocks, where the
    // cancel request is the run's Stop.
    void ReadLinkControls();

    // "No communication" with the cause the link or the panel wait found, on a second line.
    void ReportNoCommunication();
    // How a failed command ends an operation: Cancelled, in silence, when the user's cancel
    // ended its wait; else NoCommunication, reported when report is true.
    [[nodiscard]] Outcome Failed(bool report);

    // Polls the module status until the panel reports ready or WaitForPanel seconds pass.
    // With cancel checks, the progress window's cancel request ends it as Cancelled (checked
    // after the first 100 ms pause and after each poll that did not report ready).
    [[nodiscard]] PanelWaitOutcome PanelWait(bool withCancelChecks = false);

    // The STOP check before writes in module mode: true when a status read succeeded and
    // the controller is not stopped (mode 2 or more). A failed status read gives false.
    [[nodiscard]] bool ControllerRunning();

    // The main window's "Communication" button: true for "OK", false for "ERR".
    [[nodiscard]] bool ConnectionTest();
    // Project > "Device reset": sets the reset-pending flag, then ResetDeviceIfPending.
    void DeviceReset();
    // Asks "Reset device?" when the settings and the pending flag say so, and resets.
    void ResetDeviceIfPending();
    // After anything was written to the controller (or a write was tried): sets the
    // reset-pending flag and offers the reset.
    void OfferResetAfterWrite() {
        resetPending = true;
        ResetDeviceIfPending();
    }

    // Reads the controller's setup block; every failure shows "No communication" and gives
    // false. On success programBlockCount follows word 99 (3 from version 501, else 2).
    [[nodiscard]] bool ReadControllerSetup(TSetupBlock& setup);
};

// An operation's own access to the controller through another host (a window with its own
// Stop button and progress bars): the same link, link controls and settings. The outer
// access's state is copied in, and back out when it ends (reset-pending flag, program block
// count, address and link parameters); the link's wait hook is then restored.
class AccessThroughHost {
public:
    AccessThroughHost(ControllerAccess& outer, Host& host);
    ~AccessThroughHost();
    AccessThroughHost(const AccessThroughHost&) = delete;
    AccessThroughHost& operator=(const AccessThroughHost&) = delete;

    [[nodiscard]] ControllerAccess& Access() { return *inner_; }

private:
    ControllerAccess& outer_;
    TFkomunikacja::WaitHook savedHook_;
    std::optional<ControllerAccess> inner_;
};

[[nodiscard]] constexpr int ProgramBlockCountFor(const TSetupBlock& setup) {
    return setup.Words[99] >= 501 ? 3 : 2;
}

inline constexpr const char* MsgNoCommunication = "No communication";
inline constexpr const char* MsgStopMode = "Controller must be in STOP mode";
inline constexpr const char* MsgOperationCompleted = "Operation completed";
inline constexpr const char* MsgResetDevice = "Reset device?";

} // namespace zyl
