#include "editors/relays/TypReglerTable.h"

#include "editors/relays/RelayPictures.h"
#include "editors/relays/Relays.h"

namespace zyl {

TFTypReglerTable::TFTypReglerTable(int value, QWidget* parent)
    : TypePickerWindow(
          QStringLiteral("Regulator type"),
          [] {
              std::vector<Choice> choices;
              for (int v = 0; v < int(RegulatorTypeTexts.size()); ++v)
                  choices.push_back({QStringLiteral("Algorithm %1").arg(v),
                                     QString::fromLatin1(RegulatorTypeTexts[std::size_t(v)]),
                                     RegulatorTypePicture(v, QSize(150, 96))});
              return choices;
          }(),
          4, value, parent) {}

bool PickRegulatorType(int& value, QWidget* parent) {
    TFTypReglerTable picker(value, parent);
    picker.exec();
    if (!picker.Chosen()) return false;
    value = picker.Value();
    return true;
}

} // namespace zyl
