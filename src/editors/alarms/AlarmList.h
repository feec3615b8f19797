#pragma once

// The alarm list: the 21 alarms of the project image, edited in place, with their ".alz" file
// and their transfer to and from the controller.

#include "core/AppContext.h"
#include "editors/ListWindow.h"
#include "project/Records.h"

#include <span>

namespace zyl {

// The alarm list's own tool bar order.
inline constexpr EditorAction AlarmListActions[] = {EditorAction::ReadFromController,
                                                    EditorAction::WriteToController,
                                                    EditorAction::ReadFromDisk,
                                                    EditorAction::WriteToDisk,
                                                    EditorAction::Save,
                                                    EditorAction::Edit};

class AlarmListWindow : public ListWindow {
    Q_OBJECT
public:
    explicit AlarmListWindow(AppContext& ctx, QWidget* parent = nullptr);

protected:
    void ReadFromController() override;
    void WriteToController() override;
    void ReadFromDisk() override;
    void WriteToDisk() override;
    void EditRow(int row) override;

private:
    [[nodiscard]] std::span<TAlarmRecord, AlarmCount> Alarms();

    AppContext& ctx_;
};

// Opens the alarm list modally, created anew; returns when it is closed.
void OpenAlarmList(AppContext& ctx, QWidget* parent);

} // namespace zyl
