#pragma once

// The comparison of a project with what a controller holds: the project passed through the
// write's numbering and wire encoding and the read's decoding (what a controller that was
// sent it gives back), then the fields the comparison looks at, record by record, from the
// records' field tables.

#include "project/ProjectImage.h"
#include "transfer/FieldDifferences.h"

#include <array>
#include <string>
#include <vector>

namespace zyl {

enum class ProjectBlock {
    Setup,
    Relays,
    Processes,
    WashingProcesses,
    Alarms,
    SpecialStatuses,
    Programs,
    WashingProgram,
    AnalogOutputs,
    Pid,
};
inline constexpr int ProjectBlockCount = 10;
inline constexpr std::array<ProjectBlock, ProjectBlockCount> ProjectBlocks = {
    ProjectBlock::Setup,         ProjectBlock::Relays,
    ProjectBlock::Processes,     ProjectBlock::WashingProcesses,
    ProjectBlock::Alarms,        ProjectBlock::SpecialStatuses,
    ProjectBlock::Programs,      ProjectBlock::WashingProgram,
    ProjectBlock::AnalogOutputs, ProjectBlock::Pid};

[[nodiscard]] constexpr int RowOf(ProjectBlock block) {
    return static_cast<int>(block);
}

// The project's block as a controller that was sent it would give it back: the write's
// numbering and wire encoding, then the read's decoding (programs with the given block
// count). Used by the comparison; exposed for tests.
void ProjectAsReadBack(const Project& project, Project& out, int programBlockCount, int codePage);

// The compared fields of a block that differ between expected (ProjectAsReadBack) and read:
// left the project's value, right the controller's; texts shown from the PC code page.
[[nodiscard]] std::vector<FieldDifferenceRow> CompareProjectBlock(ProjectBlock block,
                                                                  const Project& expected,
                                                                  const Project& read,
                                                                  int pcCodePage);

} // namespace zyl
