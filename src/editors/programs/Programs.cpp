#include "editors/programs/Programs.h"

#include "editors/BlockTransfer.h"
#include "editors/TextRules.h"
#include "link/Commands.h"
#include "project/ProjectImage.h"

#include <algorithm>
#include <functional>
#include <type_traits>

namespace zyl {

namespace {

// The 32-bit field of a whole-number column (2 to 10); nullptr for the others.
template <class Step> auto* Field(Step& s, int column) {
    using Int = std::conditional_t<std::is_const_v<Step>, const std::int32_t, std::int32_t>;
    Int* none = nullptr;
    switch (column) {
    case 2:
        return &s.Hours;
    case 3:
        return &s.Minutes;
    case 4:
        return &s.Temperature;
    case 5:
        return &s.Rotation;
    case 6:
        return &s.Vacuum;
    case 7:
        return &s.VacuumPulse;
    case 8:
        return &s.OnOffPulse;
    case 9:
        return &s.Weight;
    case 10:
        return &s.Counter;
    default:
        return none;
    }
}

// The program index on the link: Number - 1, the WASHING program 100.
int ProgramIndexOf(const TProgramRecord& program) {
    return IsWashingProgram(program) ? WashingProgramIndex
                                     : std::clamp<int>(program.Number, 1, ProgramCount) - 1;
}

// The program block count from the controller; false when the setup read failed (it has
// said "No communication").
bool ReadBlockCount(ControllerAccess& access) {
    TSetupBlock setup{};
    return access.ReadControllerSetup(setup);
}

// One part of a program as a direct request, or in module mode with the STOP check before
// it. onStep runs after the submit and after the panel wait; cancelInDirect lets events run
// after a direct request and honours the cancel request (the list does, the editor not).
Outcome RunPart(ControllerAccess& access, const std::function<int(Variant)>& send,
                bool cancelInDirect, const std::function<void()>& onStep) {
    Host& host = access.host;
    if (!access.moduleMode) {
        if (send(Variant::Direct) != LinkOk) return access.Failed(true);
        if (!cancelInDirect) return Outcome::Ok;
        host.ProcessEvents();
        return host.CancelRequested() ? Outcome::Cancelled : Outcome::Ok;
    }
    if (access.ControllerRunning()) {
        host.ShowMessageBox(MsgStopMode);
        return Outcome::NotStopped;
    }
    return RunModuleSequence(access, send, {}, onStep);
}

// Reads every part of one program into a scratch record; out is replaced only when all
// arrived. afterPart runs after each part, onStep inside the module sequence.
Outcome ReadWholeProgram(ControllerAccess& access, int programIndex, TProgramRecord& out,
                         bool cancelInDirect, const std::function<void()>& onStep,
                         const std::function<void()>& afterPart) {
    const int parts = access.programBlockCount;
    TProgramRecord scratch{};
    for (int part = 0; part < parts; ++part) {
        const Outcome outcome = RunPart(
            access,
            [&](Variant v) {
                return ReadProgram(access.link, v, scratch, part, programIndex, parts,
                                   access.DeviceAddress, access.linkParams);
            },
            cancelInDirect, onStep);
        if (outcome != Outcome::Ok) return outcome;
        if (afterPart) afterPart();
    }
    if (scratch.Number == WashingProgramNumber) SetWashingName(scratch);
    out = scratch;
    return Outcome::Ok;
}

Outcome WriteWholeProgram(ControllerAccess& access, const TProgramRecord& program,
                          bool cancelInDirect, const std::function<void()>& onStep,
                          const std::function<void()>& afterPart) {
    const int parts = access.programBlockCount;
    for (int part = 0; part < parts; ++part) {
        const Outcome outcome = RunPart(
            access,
            [&](Variant v) {
                return WriteProgram(access.link, v, program, part, parts, access.DeviceAddress,
                                    access.linkParams);
            },
            cancelInDirect, onStep);
        if (outcome != Outcome::Ok) return outcome;
        if (afterPart) afterPart();
    }
    return Outcome::Ok;
}

// The editor's progress: three steps a part, counted through the module sequence's steps
// and the end of each part.
struct EditorProgress {
    Host& host;
    int maximum;
    int position = 0;
    int partStart = 0;
    void Step() { host.ShowProgress(++position, maximum, ""); }
    void PartDone() {
        partStart += 3;
        position = partStart;
        host.ShowProgress(position, maximum, "");
    }
};

} // namespace

void SetWashingName(TProgramRecord& program) {
    program.Name.SetText("WASHING");
}

std::span<const TProcessRecord, ProcessCount> ProcessTableFor(const TProgramRecord& program,
                                                              const TProjectImage& image) {
    return IsWashingProgram(program)
               ? std::span<const TProcessRecord, ProcessCount>(image.WashingProcesses)
               : std::span<const TProcessRecord, ProcessCount>(image.Processes);
}

std::string ProcessCellText(std::int32_t processNumber,
                            std::span<const TProcessRecord, ProcessCount> table) {
    if (processNumber == 0) return NoProcessText;
    if (processNumber >= 1 && processNumber <= ProcessCount)
        return table[std::size_t(processNumber - 1)].Name.Text();
    return "Process " + std::to_string(processNumber) + " (not in the table)";
}

std::array<std::string, ProcessCount + 1>
ProcessChoices(std::span<const TProcessRecord, ProcessCount> table) {
    std::array<std::string, ProcessCount + 1> choices;
    choices[0] = NoProcessText;
    for (int n = 1; n <= ProcessCount; ++n)
        choices[std::size_t(n)] = std::to_string(n) + " - " + table[std::size_t(n - 1)].Name.Text();
    return choices;
}

int ProcessChoiceIndex(std::int32_t processNumber) {
    return processNumber >= 0 && processNumber <= ProcessCount ? int(processNumber) : -1;
}

void ApplyProcessChoice(TStepRecord& step, int index) {
    if (index >= 0 && index <= ProcessCount) step.ProcessNumber = index;
}

std::int32_t StepValue(const TStepRecord& step, int column) {
    if (column == 11) return step.WorkTime;
    if (column == 12) return step.PauseTime;
    const std::int32_t* field = Field(step, column);
    return field ? *field : 0;
}

std::string StepCellText(const TStepRecord& step, int stepNumber, int column,
                         std::span<const TProcessRecord, ProcessCount> table) {
    if (column == 0) return std::to_string(stepNumber);
    if (column == ProcessColumn) return ProcessCellText(step.ProcessNumber, table);
    return std::to_string(StepValue(step, column));
}

std::optional<std::string> ApplyStepValue(TStepRecord& step, int column, std::string_view text) {
    if (column < 2 || column >= ProgramColumnCount) return std::nullopt;
    const ProgramColumn& c = ProgramColumns[std::size_t(column)];
    std::int32_t value = WholeNumberFromText(text);
    std::optional<std::string> message;
    if (CheckRange(std::to_string(value), c.low, c.high) != RangeOk) {
        message = "Wrong parameter range ! " + std::to_string(c.high);
        value = 0;
    }
    if (column == 11)
        step.WorkTime = static_cast<std::uint16_t>(value);
    else if (column == 12)
        step.PauseTime = static_cast<std::uint16_t>(value);
    else
        *Field(step, column) = value;
    return message;
}

bool StepIsEmpty(const TStepRecord& step) {
    if (step.ProcessNumber != 0) return false;
    for (int column = 2; column < ProgramColumnCount; ++column)
        if (StepValue(step, column) != 0) return false;
    return true;
}

void SetProgramName(TProgramRecord& program, std::string_view typed) {
    program.Name.SetText(FoldDiacritics(typed).substr(0, 50));
}

std::array<std::string, 2> ProgramRow(int row, const TProgramRecord& program) {
    return {std::to_string(row), program.Name.Text()};
}

Outcome ReadProgramsFromController(ControllerAccess& access,
                                   std::span<TProgramRecord, ProgramCount> programs) {
    Host& host = access.host;
    host.ClearCancel();
    if (!ReadBlockCount(access)) return Outcome::NoCommunication;
    host.ShowProgress(0, ListedProgramCount, "");
    Outcome outcome = Outcome::Ok;
    for (int i = 1; i <= ListedProgramCount && outcome == Outcome::Ok; ++i)
        outcome = ReadWholeProgram(access, i - 1, programs[std::size_t(i - 1)], true, {},
                                   [&] { host.ShowProgress(i, ListedProgramCount, ""); });
    host.HideProgress();
    return outcome;
}

Outcome WriteProgramsToController(ControllerAccess& access,
                                  std::span<TProgramRecord, ProgramCount> programs) {
    Host& host = access.host;
    host.ClearCancel();
    if (!ReadBlockCount(access)) return Outcome::NoCommunication;
    NumberPrograms(programs);
    host.ShowProgress(0, ListedProgramCount, "");
    Outcome outcome = Outcome::Ok;
    for (int i = 1; i <= ListedProgramCount && outcome == Outcome::Ok; ++i)
        outcome = WriteWholeProgram(access, programs[std::size_t(i - 1)], true, {},
                                    [&] { host.ShowProgress(i, ListedProgramCount, ""); });
    host.HideProgress();
    access.OfferResetAfterWrite();
    return outcome;
}

Outcome ReadProgramFromController(ControllerAccess& access, TProgramRecord& program) {
    Host& host = access.host;
    host.ClearCancel();
    if (!ReadBlockCount(access)) return Outcome::NoCommunication;
    EditorProgress progress{host, 3 * access.programBlockCount};
    host.ShowProgress(0, progress.maximum, "");
    const Outcome outcome = ReadWholeProgram(
        access, ProgramIndexOf(program), program, false, [&] { progress.Step(); },
        [&] { progress.PartDone(); });
    host.HideProgress();
    return outcome;
}

Outcome WriteProgramToController(ControllerAccess& access, const TProgramRecord& program) {
    Host& host = access.host;
    host.ClearCancel();
    if (!ReadBlockCount(access)) return Outcome::NoCommunication;
    EditorProgress progress{host, 3 * access.programBlockCount};
    host.ShowProgress(0, progress.maximum, "");
    const Outcome outcome = WriteWholeProgram(
        access, program, false, [&] { progress.Step(); }, [&] { progress.PartDone(); });
    host.HideProgress();
    access.OfferResetAfterWrite();
    return outcome;
}

} // namespace zyl
