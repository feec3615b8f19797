#include "editors/RelaySwitchPanel.h"

#include "editors/relays/RelayPictures.h"
#include "panel/CodePage.h"

#include <QGridLayout>
#include <QToolButton>

namespace zyl {

namespace {

constexpr int PictureSize = 34;

// Off: a plain button; on: green with a white "ON", so the state reads at a glance.
const char* SwitchStyle = "QToolButton { border: 1px solid #9aa3ae; border-radius: 4px;"
                          " padding: 2px; background: #f4f5f7; color: #6b7280; }"
                          "QToolButton:checked { background: #2e9d4f; border-color: #1e6b35;"
                          " color: white; font-weight: bold; }";

} // namespace

RelaySwitchPanel::RelaySwitchPanel(std::span<const TRelayRecord, RelayCount> relays,
                                   QWidget* parent)
    : QWidget(parent) {
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(3);
    for (int n = 1; n <= RelayCount; ++n) {
        auto* button = new QToolButton(this);
        button->setObjectName(QStringLiteral("Relay%1").arg(n));
        button->setCheckable(true);
        button->setIcon(QIcon(RelayPicture(n, PictureSize)));
        button->setIconSize(QSize(PictureSize, PictureSize));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setStyleSheet(QString::fromLatin1(SwitchStyle));
        button->setText(QStringLiteral("off"));
        const QString name =
            QString::fromStdString(PcToUtf8(1250, relays[std::size_t(n - 1)].Name.Text()));
        button->setToolTip(QString::number(n) + QStringLiteral(": ") + name);
        button->setAccessibleName(QStringLiteral("Relay %1").arg(n));
        connect(button, &QToolButton::toggled, button, [button](bool on) {
            button->setText(on ? QStringLiteral("ON") : QStringLiteral("off"));
        });
        grid->addWidget(button, (n - 1) / 16, (n - 1) % 16);
        switches_[std::size_t(n - 1)] = button;
    }
}

void RelaySwitchPanel::SetStates(std::span<const std::uint8_t, RelayCount> states) {
    for (std::size_t i = 0; i < switches_.size(); ++i) switches_[i]->setChecked(states[i] != 0);
}

void RelaySwitchPanel::TakeStates(std::span<std::uint8_t, RelayCount> states) const {
    for (std::size_t i = 0; i < switches_.size(); ++i)
        states[i] = switches_[i]->isChecked() ? 1 : 0;
}

QToolButton* RelaySwitchPanel::Switch(int relayNumber) const {
    return relayNumber >= 1 && relayNumber <= RelayCount ? switches_[std::size_t(relayNumber - 1)]
                                                         : nullptr;
}

} // namespace zyl
