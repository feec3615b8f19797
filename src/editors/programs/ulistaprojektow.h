#pragma once

// Tflistaprojektow, the program list: programs 1 to 99 by name, with their ".plz" file and
// their transfer to and from the controller; a program is edited on a copy.

#include "core/AppContext.h"
#include "editors/ListWindow.h"
#include "project/Records.h"

#include <span>

class QWidget;

namespace zyl {

class Tflistaprojektow : public ListWindow {
    Q_OBJECT
public:
    explicit Tflistaprojektow(AppContext& ctx, QWidget* parent = nullptr);

protected:
    void ReadFromController() override;
    void WriteToController() override;
    void ReadFromDisk() override;
    void WriteToDisk() override;
    void EditRow(int row) override;

private:
    [[nodiscard]] std::span<TProgramRecord, ProgramCount> Programs();

    AppContext& ctx_;
};

// Opens the program list modally.
void OpenProgramList(AppContext& ctx, QWidget* parent);

} // namespace zyl
