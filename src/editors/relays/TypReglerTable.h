#pragma once

// The regulator-type picker: seven algorithm buttons, 0 to 3 in the first row and 4 to 6 in
// the second.

#include "editors/relays/TypPrzekTable.h"

namespace zyl {

class TFTypReglerTable : public TypePickerWindow {
    Q_OBJECT
public:
    explicit TFTypReglerTable(int value, QWidget* parent = nullptr);
};

// As PickTimeType, for the regulator type.
bool PickRegulatorType(int& value, QWidget* parent);

} // namespace zyl
