#include "editors/EditorToolBar.h"

#include "editors/ToolIcons.h"

#include <QToolButton>

namespace zyl {

namespace {

constexpr ToolIcon IconOf(EditorAction action) {
    switch (action) {
    case EditorAction::ReadFromController:
        return ToolIcon::ReadFromController;
    case EditorAction::WriteToController:
        return ToolIcon::WriteToController;
    case EditorAction::ReadFromDisk:
        return ToolIcon::ReadFromDisk;
    case EditorAction::WriteToDisk:
        return ToolIcon::WriteToDisk;
    case EditorAction::Edit:
        return ToolIcon::Edit;
    case EditorAction::Cancel:
        return ToolIcon::Cancel;
    case EditorAction::Save:
        return ToolIcon::Save;
    }
    return ToolIcon::Save;
}

} // namespace

EditorToolBar::EditorToolBar(std::span<const EditorAction> actions, QWidget* parent)
    : QToolBar(parent) {
    setMovable(false);
    setFloatable(false);
    setIconSize(QSize(28, 28));
    // Groups, parted by separators: the controller, the disk, then editing and closing.
    const auto groupOf = [](EditorAction a) {
        switch (a) {
        case EditorAction::ReadFromController:
        case EditorAction::WriteToController:
            return 0;
        case EditorAction::ReadFromDisk:
        case EditorAction::WriteToDisk:
            return 1;
        default:
            return 2;
        }
    };
    for (std::size_t i = 0; i < actions.size(); ++i) {
        const EditorAction action = actions[i];
        if (i > 0 && groupOf(action) != groupOf(actions[i - 1])) addSeparator();
        QToolButton* button = MakeToolButton(
            IconOf(action), QString::fromLatin1(EditorActionHints[std::size_t(action)]), this);
        addWidget(button);
        buttons_[std::size_t(action)] = button;
        connect(button, &QToolButton::clicked, this,
                [this, action] { emit actionTriggered(action); });
    }
}

QToolButton* EditorToolBar::Button(EditorAction action) const {
    return buttons_[static_cast<std::size_t>(action)];
}

} // namespace zyl
