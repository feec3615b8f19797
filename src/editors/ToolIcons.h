#pragma once

// The drawn icons of the tool buttons (no image files) and the flat, hinted tool button that
// the list windows, the record editors and the pickers share.

#include <QIcon>
#include <QString>

class QToolButton;
class QWidget;

namespace zyl {

enum class ToolIcon {
    ReadFromController,
    WriteToController,
    ReadFromDisk,
    WriteToDisk,
    Edit,
    Save,
    Cancel,
};
[[nodiscard]] QIcon DrawnToolIcon(ToolIcon icon);

// A flat tool button with a drawn icon and a hint; with text, the text stands beside the icon.
[[nodiscard]] QToolButton* MakeToolButton(ToolIcon icon, const QString& hint, QWidget* parent,
                                          bool withText = false);

} // namespace zyl
