#include "editors/alarms/AlarmList.h"

namespace zyl {

void OpenAlarmList(AppContext&, QWidget*) {}

} // namespace zyl
