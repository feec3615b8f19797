#pragma once

// TfListakrokow, the process list, in its plain and its WASHING variant: the 16 processes of
// the variant's table, edited in place, with their ".klz" file and their transfer to and from
// the controller.

#include "core/AppContext.h"
#include "editors/ListWindow.h"
#include "project/Records.h"

#include <span>

class QWidget;

namespace zyl {

class TfListakrokow : public ListWindow {
    Q_OBJECT
public:
    TfListakrokow(AppContext& ctx, bool washing, QWidget* parent = nullptr);

protected:
    void ReadFromController() override;
    void WriteToController() override;
    void ReadFromDisk() override;
    void WriteToDisk() override;
    void EditRow(int row) override;

private:
    [[nodiscard]] std::span<TProcessRecord, ProcessCount> Table();

    AppContext& ctx_;
    bool washing_;
};

// Opens the process list on the process table, or on the WASHING process table, modally.
void OpenProcessList(AppContext& ctx, bool washing, QWidget* parent);

} // namespace zyl
