#pragma once

// TfListaWyjAnal, the analog output list: the five outputs of the project image, edited in
// place, with their ".aou" file and their transfer to and from the controller.

#include "core/AppContext.h"
#include "editors/ListWindow.h"
#include "project/Records.h"

#include <span>

namespace zyl {

class TfListaWyjAnal : public ListWindow {
    Q_OBJECT
public:
    explicit TfListaWyjAnal(AppContext& ctx, QWidget* parent = nullptr);

protected:
    void ReadFromController() override;
    void WriteToController() override;
    void ReadFromDisk() override;
    void WriteToDisk() override;
    void EditRow(int row) override;

private:
    [[nodiscard]] std::span<TAnalogOutputRecord, AnalogOutputCount> Outputs();

    AppContext& ctx_;
};

// Opens the analog output list modally, created anew; returns when it is closed.
void OpenAnalogOutputList(AppContext& ctx, QWidget* parent);

} // namespace zyl
