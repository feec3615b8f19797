#pragma once

// The alarm list window.

#include "core/AppContext.h"

class QWidget;

namespace zyl {

// Opens the alarm list modally, created anew; returns when it is closed.
void OpenAlarmList(AppContext& ctx, QWidget* parent);

} // namespace zyl
