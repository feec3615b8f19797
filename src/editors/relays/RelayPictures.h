#pragma once

// The pictures of the relay windows: a relay symbol per relay, a timing diagram per time type,
// a curve per regulator type, and the regulator parameter diagram. All are drawn, no image
// files are needed.

#include "editors/relays/Relays.h"

#include <QPixmap>
#include <QRect>
#include <QSize>

class QPainter;

namespace zyl {

// A relay coil with its contact, labelled with the relay number (1 to 32). Square.
[[nodiscard]] QPixmap RelayPicture(int relayNumber, int size);

// Input and output traces of a time type (0 to 5) with Ta and Tb marked. A value outside
// the table gives an empty frame.
[[nodiscard]] QPixmap TimeTypePicture(int timeType, QSize size);

// The measured value and the relay output of a regulator type (0 to 6). A value outside the
// table gives an empty frame.
[[nodiscard]] QPixmap RegulatorTypePicture(int regulatorType, QSize size);

// The regulator parameter diagram: the set value line, the offset P5 to the working point,
// the window P6 around it, and the lower and upper hysteresis bands P7 and P8. The value
// fields sit at the places RegulatorDiagramFieldRect gives.
inline constexpr QSize RegulatorDiagramSize(440, 230);
void PaintRegulatorDiagram(QPainter& painter, QRect area);
// Where the value field of a parameter goes in a diagram painted into area.
[[nodiscard]] QRect RegulatorDiagramFieldRect(RelayValueField field, QRect area);

} // namespace zyl
