#pragma once

// The special-status block: the six fixed states (stop mode, pause mode, F1 to F4), the
// editor's rules, the ".slz" and ".s1z" files and their transfers. The windows call these.

#include "core/ControllerAccess.h"
#include "core/Outcome.h"
#include "editors/BlockTransfer.h"
#include "project/Records.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace zyl {

inline constexpr int SwitchOffTimeMin = -1;
inline constexpr int SwitchOffTimeMax = 65000; // seconds

// What the editor holds. A list without a selection has index -1.
struct SpecialStatusEditorValues {
    std::string name; // shown, not edited
    int switchOffTime = 0;
    int logicIndex = -1;
    std::array<std::uint8_t, RelayCount> relays{};
};

[[nodiscard]] SpecialStatusEditorValues SpecialStatusEditorValuesFor(const TSpecialStatusRecord& r);
// Takes the editor's values into the record: the name folded and cut to 50 characters; a
// list without a selection keeps the stored value.
void ApplySpecialStatusEditor(const SpecialStatusEditorValues& values, TSpecialStatusRecord& r);

// The list's row: "No", "Name", "Switch-off time", "Relay logics".
[[nodiscard]] std::array<std::string, 4> SpecialStatusRow(int row, const TSpecialStatusRecord& r);

inline constexpr const char* SpecialStatusListFileFilter = "ZYL|*.slz";
inline constexpr const char* SpecialStatusListFileExtension = "slz";
inline constexpr const char* SpecialStatusFileFilter = "ZYL|*.s1z";
inline constexpr const char* SpecialStatusFileExtension = "s1z";

// The six statuses move in one exchange; a write's panel wait that ends not ready is silent.
inline constexpr BlockTransferRules SpecialStatusTransferRules{SpecialStatusCount, 1, true, false,
                                                               false};

// Reads the six statuses (progress 0 to 3) and, on success, puts them in the block with the
// fixed names; a failure shows "No communication" and leaves the block as it was.
Outcome
ReadSpecialStatusesFromController(ControllerAccess& access,
                                  std::span<TSpecialStatusRecord, SpecialStatusCount> block);
// Numbers the six 1 to 6, writes them, then sets the reset-pending flag and offers the reset.
Outcome WriteSpecialStatusesToController(ControllerAccess& access,
                                         std::span<TSpecialStatusRecord, SpecialStatusCount> block);

// The editor's transfers of the status numbered record.Number (1 to 6). The read takes that
// status from the six and keeps the record's own name (the controller holds none); the write
// sends it, then sets the reset-pending flag and offers the reset.
Outcome ReadSpecialStatusFromController(ControllerAccess& access, TSpecialStatusRecord& record);
Outcome WriteSpecialStatusToController(ControllerAccess& access,
                                       const TSpecialStatusRecord& record);

} // namespace zyl
