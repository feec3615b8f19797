#pragma once

// Help pages of the setup parameters: where they lie and the pages the build ships.

#include "service/RichText.h"

#include <string>

namespace zyl {

// "HELP" + separator + n + ".rtf" in the program's folder.
[[nodiscard]] std::string HelpPagePath(int parameterNumber);

// The page made from the parameter table for parameter n: its name, kind, range in shown
// units and, for a choice, its value texts. Only parameters with a name get one.
[[nodiscard]] bool HasGeneratedHelpPage(int parameterNumber);
[[nodiscard]] RichTextDocument GeneratedHelpPage(int parameterNumber);

} // namespace zyl
