#pragma once

// TfListakrokow, the process list, in its plain and its WASHING variant.

#include "core/AppContext.h"

class QWidget;

namespace zyl {

// Opens the process list on the process table, or on the WASHING process table, modally.
void OpenProcessList(AppContext& ctx, bool washing, QWidget* parent);

} // namespace zyl
