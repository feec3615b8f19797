#pragma once

// Moving the operator menu between the menu window and the panel: the layout test (setup
// word 98), the structure and text streams read in 264-byte chunks, and the write of the
// language code descriptor and the user's menu block. Direct requests, or in module mode
// a submit, the panel wait and the collect for each command. Progress and Cancel go through
// the access's host.

#include "core/ControllerAccess.h"
#include "core/Outcome.h"
#include "panel/MenuTable.h"

#include <string>

namespace zyl {

// Files the write leaves in the program's folder in the structure layout: the descriptor,
// and the user's menu block as it was sent.
inline constexpr const char* MenuCodeFileName = "StrKod.bin";
inline constexpr const char* MenuBlockFileName = "jezyki.bin";

// Reads the menu. The table, layout flag, structure and the selectors' code pages change
// only when every step succeeded (Outcome::Ok); a failed command shows "No communication"
// with its cause, Cancel ends in silence, a structure or size the panel cannot hold is
// shown and ends it as Refused.
[[nodiscard]] Outcome ReadMenuFromController(ControllerAccess& access, MenuData& data,
                                             MenuLanguages& languages, MenuSelection selection);

// Writes the texts in the data's layout. Anything that cannot be sent as it stands is shown
// and refused before the first byte goes out; a failed command shows "No communication".
// programFolder receives "StrKod.bin" and "jezyki.bin" in the structure layout (empty: not
// written).
[[nodiscard]] Outcome WriteMenuToController(ControllerAccess& access, const MenuData& data,
                                            const MenuLanguages& languages, MenuSelection selection,
                                            const std::string& programFolder);

} // namespace zyl
