#pragma once

// The panel of 32 relay switches that the process, alarm and special-status editors share:
// two rows of on/off switches, relays 1 to 16 and 17 to 32, each showing the relay's picture
// and, as its hint, the relay's name from the project's relay table.

#include "project/Records.h"

#include <QWidget>

#include <array>
#include <cstdint>
#include <span>

class QToolButton;

namespace zyl {

class RelaySwitchPanel : public QWidget {
    Q_OBJECT
public:
    RelaySwitchPanel(std::span<const TRelayRecord, RelayCount> relays, QWidget* parent = nullptr);

    // Any non-zero byte shows its switch on.
    void SetStates(std::span<const std::uint8_t, RelayCount> states);
    // 1 for a switch that is on, 0 for one that is off.
    void TakeStates(std::span<std::uint8_t, RelayCount> states) const;

    // The switch of relay n (1 to 32).
    [[nodiscard]] QToolButton* Switch(int relayNumber) const;

private:
    std::array<QToolButton*, RelayCount> switches_{};
};

} // namespace zyl
