#pragma once

// Tflistapid, the PID list: the five regulators of the project's side block, edited in
// place, with their transfer to and from the controller (no block file).

#include "core/AppContext.h"
#include "editors/ListWindow.h"
#include "project/Records.h"

#include <span>
#include <string>

namespace zyl {

class Tflistapid : public ListWindow {
    Q_OBJECT
public:
    explicit Tflistapid(AppContext& ctx, QWidget* parent = nullptr);

protected:
    void ReadFromController() override;
    void WriteToController() override;
    void EditRow(int row) override;

private:
    [[nodiscard]] std::span<TPidRecord, PidCount> Regulators();

    AppContext& ctx_;
    std::string separator_;
};

// Opens the PID list modally, created anew; returns when it is closed.
void OpenPidList(AppContext& ctx, QWidget* parent);

} // namespace zyl
