#pragma once

// The special-status list: the six special statuses of the project image, edited in place,
// with their ".slz" file and their transfer to and from the controller.

#include "core/AppContext.h"
#include "editors/ListWindow.h"
#include "project/Records.h"

#include <span>

namespace zyl {

class SpecialStatusListWindow : public ListWindow {
    Q_OBJECT
public:
    explicit SpecialStatusListWindow(AppContext& ctx, QWidget* parent = nullptr);

protected:
    void ReadFromController() override;
    void WriteToController() override;
    void ReadFromDisk() override;
    void WriteToDisk() override;
    void EditRow(int row) override;

private:
    [[nodiscard]] std::span<TSpecialStatusRecord, SpecialStatusCount> Statuses();

    AppContext& ctx_;
};

// Opens the special-status list modally, created anew; returns when it is closed.
void OpenSpecialStatusList(AppContext& ctx, QWidget* parent);

} // namespace zyl
