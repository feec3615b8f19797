#include "editors/processes/Ulistakrokow.h"

namespace zyl {

void OpenProcessList(AppContext&, bool, QWidget*) {}

} // namespace zyl
