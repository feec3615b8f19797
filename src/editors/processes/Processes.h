#pragma once

// The process block: the process table and the WASHING process table, their editor's rules,
// their ".klz" and ".k1z" files and their transfers to and from the controller. The windows
// call these and show what they return; the command line runs the same transfers.

#include "core/ControllerAccess.h"
#include "core/Outcome.h"
#include "editors/BlockTransfer.h"
#include "project/BlockFile.h"
#include "project/FileIO.h"
#include "project/Records.h"
#include "project/ValueLists.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace zyl {

// The table the variant works on.
[[nodiscard]] std::span<TProcessRecord, ProcessCount> ProcessTable(TProjectImage& image,
                                                                   bool washing);
[[nodiscard]] std::span<const TProcessRecord, ProcessCount> ProcessTable(const TProjectImage& image,
                                                                         bool washing);

// --- editor rules --------------------------------------------------------------------------

inline constexpr int StepPresetCount = 5;

// What the editor holds when "Save" is pressed.
struct ProcessEditorValues {
    std::string name;      // PC code page bytes, as typed
    int endCondition = -1; // index in EndConditionTexts; -1 when nothing is selected
    std::array<std::uint8_t, RelayCount> relayStates{}; // non-zero: on
    std::array<std::string, StepPresetCount> presets;   // SP1 to SP5 as typed
};

// The values the editor shows for a record: an end condition outside the list selects
// nothing.
[[nodiscard]] ProcessEditorValues ProcessEditorValuesFor(const TProcessRecord& record);

// A typed step preset as stored: the whole number's low 16 bits (40000 gives -25536); a
// text that is no whole number gives 0.
[[nodiscard]] std::int16_t StepPresetFromText(std::string_view text);

// Applies "Save": the name folded and cut to 30 characters, the end condition (kept as
// stored when nothing is selected), relay states 1 or 0, the step presets. Nothing else in
// the record changes.
void ApplyProcessEditor(const ProcessEditorValues& values, TProcessRecord& record);

// The list window's row: "No" (the row counted from 1) and "Name".
[[nodiscard]] std::array<std::string, 2> ProcessRow(int row, const TProcessRecord& record);

// --- files: ".klz" the 16 processes of a table, ".k1z" one process ------------------------

inline constexpr const char* ProcessTableFileFilter = "ZYL|*.klz";
inline constexpr const char* ProcessTableFileExtension = "klz";
inline constexpr const char* ProcessFileFilter = "ZYL|*.k1z";
inline constexpr const char* ProcessFileExtension = "k1z";

// Reads records into processes 1, 2, ... of the variant's table, never more than 16. (A
// ".k1z" is read over the editor's copy with ReadRecordKeepingNumber.)
[[nodiscard]] BlockFileRead ReadProcessTableFile(const std::string& path, TProjectImage& image,
                                                 bool washing);
[[nodiscard]] FileStatus WriteProcessTableFile(const std::string& path, const TProjectImage& image,
                                               bool washing);

// --- transfers -----------------------------------------------------------------------------

inline constexpr BlockTransferRules ProcessTransferRules{8, 2, false, false, false};

// How a table transfer ended. groupsDone: both group packets went through, so what ended a
// failed transfer was the step presets.
struct ProcessTransferResult {
    Outcome outcome = Outcome::Ok;
    bool groupsDone = false;
};

// Reads the variant's table: the two group packets (names, end conditions, relay states),
// then the step presets of all 16 processes. The step presets of the table stay as they were
// until their own read has succeeded; a failure there shows "No communication". A failure
// in the group packets leaves the packets already received in the table.
ProcessTransferResult ReadProcessesFromController(ControllerAccess& access, TProjectImage& image,
                                                  bool washing);

// Numbers the processes of both tables 1 to 16, writes the variant's two group packets and
// then its step presets, then sets the reset-pending flag and offers the reset, whatever the
// outcome.
ProcessTransferResult WriteProcessesToController(ControllerAccess& access, TProjectImage& image,
                                                 bool washing);

// The editor's read of its process (record.Number, 1 to 16): the packet that holds it, then
// the step presets. record changes only when both succeeded; a failure of either shows "No
// communication".
Outcome ReadProcessFromController(ControllerAccess& access, TProcessRecord& record, bool washing);

// The editor's write of its process (record.Number, 1 to 16): the process, then its step
// presets; then sets the reset-pending flag and offers the reset, whatever the outcome.
Outcome WriteProcessToController(ControllerAccess& access, const TProcessRecord& record,
                                 bool washing);

} // namespace zyl
