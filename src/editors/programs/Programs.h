#pragma once

// The program block: the 30-step editor's columns and rules, the ".plz" and ".p1z" files,
// and the program transfers (each program in 2 or 3 parts, the count read from the
// controller's setup block first). The windows call these and show what they return.

#include "core/ControllerAccess.h"
#include "core/Outcome.h"
#include "project/Records.h"

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace zyl {

inline constexpr int ListedProgramCount = 99; // the list shows and moves programs 1 to 99
inline constexpr int WashingProgramNumber = 101;
inline constexpr int WashingProgramIndex = 100; // its program index on the link

// The grid's columns: 0 the step, 1 the process, 2 to 12 whole numbers with their ranges.
inline constexpr int ProgramColumnCount = 13;
inline constexpr int ProcessColumn = 1;
struct ProgramColumn {
    const char* heading;
    int low, high;
};
inline constexpr std::array<ProgramColumn, ProgramColumnCount> ProgramColumns = {{
    {"Step", 0, 0},
    {"Name", 0, 0},
    {"Hour", 0, 99},
    {"minute", 0, 59},
    {"TEMPERATURE", -99, 200},
    {"Rotation", -99, 200},
    {"Vacuum", 0, 99},
    {"Vacuum pulse", 0, 200},
    {"ON/OFF Pulse", -999, 1},
    {"Weight", -999, 2000},
    {"Counter", 0, 2000},
    {"Work time", 0, 65000},
    {"Pause time", 0, 65000},
}};

inline constexpr const char* NoProcessText = "No data";

[[nodiscard]] constexpr bool IsWashingProgram(const TProgramRecord& program) {
    return program.Number == WashingProgramNumber;
}
// The WASHING program's name, "WASHING" (length byte and letters only).
void SetWashingName(TProgramRecord& program);
// The process table a program's steps name: the WASHING one for the WASHING program.
[[nodiscard]] std::span<const TProcessRecord, ProcessCount>
ProcessTableFor(const TProgramRecord& program, const TProjectImage& image);

// What the "Name" cell shows: "No data" for 0, the process's name for 1 to 16, and for any
// other number (the wire can bring up to 256, files anything) "Process N (not in the table)".
[[nodiscard]] std::string ProcessCellText(std::int32_t processNumber,
                                          std::span<const TProcessRecord, ProcessCount> table);
// The process drop-down: "No data" and the names of processes 1 to 16, the stored number's
// entry selected (-1 when it lies outside).
[[nodiscard]] std::array<std::string, ProcessCount + 1>
ProcessChoices(std::span<const TProcessRecord, ProcessCount> table);
[[nodiscard]] int ProcessChoiceIndex(std::int32_t processNumber);
// A pick from the drop-down: its index is the process number; no pick (-1) keeps the stored
// number, also one outside the table.
void ApplyProcessChoice(TStepRecord& step, int index);

// The value a whole-number column (2 to 12) shows and stores.
[[nodiscard]] std::int32_t StepValue(const TStepRecord& step, int column);
// The text of any cell as the grid shows it (the step number for column 0).
[[nodiscard]] std::string StepCellText(const TStepRecord& step, int stepNumber, int column,
                                       std::span<const TProcessRecord, ProcessCount> table);
// Stores a typed value in a whole-number column: a text that is no whole number counts as 0;
// a value outside the column's range stores 0 and gives the message "Wrong parameter range ! "
// followed by the column's upper bound.
[[nodiscard]] std::optional<std::string> ApplyStepValue(TStepRecord& step, int column,
                                                        std::string_view text);

// A step with no process and nothing else set, shown as empty.
[[nodiscard]] bool StepIsEmpty(const TStepRecord& step);

// The name field: folded, cut to 50 characters, stored at once.
void SetProgramName(TProgramRecord& program, std::string_view typed);
inline constexpr int ProgramNameTypingLimit = 14;

inline constexpr const char* ProgramListFileFilter = "ZYL|*.plz";
inline constexpr const char* ProgramListFileExtension = "plz";
inline constexpr const char* ProgramFileFilter = "ZYL|*.p1z";
inline constexpr const char* ProgramFileExtension = "p1z";

// The list's row: "No", "Name".
[[nodiscard]] std::array<std::string, 2> ProgramRow(int row, const TProgramRecord& program);

// --- transfers ----------------------------------------------------------------------------
// Each first reads the controller's setup block for the program block count (on failure it
// has said "No communication" and nothing else happens). In module mode a STOP check goes
// before every part, read or write. A program read lands only when all its parts arrived.

// Programs 1 to 99 into the list: progress i of 99, cancel honoured. A failure leaves the
// programs already read in place and program i and later as they were.
Outcome ReadProgramsFromController(ControllerAccess& access,
                                   std::span<TProgramRecord, ProgramCount> programs);
// Numbers programs 1 to 100, sends 1 to 99, then sets the reset-pending flag and offers the
// reset (also after a stop; not when the setup read failed).
Outcome WriteProgramsToController(ControllerAccess& access,
                                  std::span<TProgramRecord, ProgramCount> programs);

// The editor's program (index Number - 1, the WASHING program 100): progress three steps a
// part. The read replaces the record only when every part arrived, keeping the name "WASHING"
// for the WASHING program; the write then offers the reset.
Outcome ReadProgramFromController(ControllerAccess& access, TProgramRecord& program);
Outcome WriteProgramToController(ControllerAccess& access, const TProgramRecord& program);

} // namespace zyl
