#pragma once

// Tflistaprzekaznikow, the relay list: the 32 relays of the project image, edited in place,
// with their ".rlz" file and their transfer to and from the controller.

#include "core/AppContext.h"
#include "editors/ListWindow.h"
#include "project/Records.h"

#include <span>

namespace zyl {

class Tflistaprzekaznikow : public ListWindow {
    Q_OBJECT
public:
    explicit Tflistaprzekaznikow(AppContext& ctx, QWidget* parent = nullptr);

protected:
    void ReadFromController() override;
    void WriteToController() override;
    void ReadFromDisk() override;
    void WriteToDisk() override;
    void EditRow(int row) override;

private:
    [[nodiscard]] std::span<TRelayRecord, RelayCount> Relays();

    AppContext& ctx_;
};

// Opens the relay list modally, created anew; returns when it is closed.
void OpenRelayList(AppContext& ctx, QWidget* parent);

} // namespace zyl
