#pragma once

// What one run shares: the project, the settings, the link and the controller access. The
// entry (or a test) builds it before the main window, which then serves as the link controls.

#include "core/ControllerAccess.h"
#include "core/Host.h"
#include "core/Settings.h"
#include "link/Komunikacja.h"
#include "link/SerialPort.h"
#include "project/ProjectFiles.h"
#include "project/ProjectImage.h"

#include <cstring>
#include <memory>

namespace zyl {

// Link controls that forward to the main window once it exists; until then the defaults of
// its controls (port "1", "9600", address 1).
class LinkControlsRelay : public LinkControls {
public:
    const LinkControls* target = nullptr;

    int PortItemIndex() const override { return target ? target->PortItemIndex() : 0; }
    int BaudItemIndex() const override { return target ? target->BaudItemIndex() : 0; }
    int AddressValue() const override { return target ? target->AddressValue() : 1; }
};

// Holds the project image (about 280 KB): allocate it on the heap.
struct AppContext {
    AppContext(SerialPort& port, Host& host)
        : host(host), link(port), access(link, host, controls, settings) {}
    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    Host& host;
    Project project;
    ProjectDocument document{project};
    AppSettings settings;
    TFkomunikacja link;
    LinkControlsRelay controls;
    ControllerAccess access;
};

// How every window reports a change to the project: the project is marked modified when it
// differs, at the end of the watch, from what it was at its start (an edit taken back into
// it, a read from the controller or from a block file).
class ProjectChangeWatch {
public:
    explicit ProjectChangeWatch(AppContext& ctx)
        : ctx_(ctx), before_(std::make_unique<Project>(ctx.project)) {}
    ~ProjectChangeWatch() {
        if (std::memcmp(before_.get(), &ctx_.project, sizeof(Project)) != 0)
            SetModified(ctx_.document, true);
    }
    ProjectChangeWatch(const ProjectChangeWatch&) = delete;
    ProjectChangeWatch& operator=(const ProjectChangeWatch&) = delete;

private:
    AppContext& ctx_;
    std::unique_ptr<Project> before_;
};

} // namespace zyl
