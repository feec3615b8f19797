#pragma once

// The tool bar of the list windows and the record editors: one drawn, hinted button per
// action, in the order the window gives.

#include <QToolBar>

#include <array>
#include <span>

class QToolButton;

namespace zyl {

enum class EditorAction {
    ReadFromController,
    WriteToController,
    ReadFromDisk,
    WriteToDisk,
    Edit,
    Cancel,
    Save
};

inline constexpr std::array<const char*, 7> EditorActionHints = {"Read from controller",
                                                                 "Write to controller",
                                                                 "Read from disk",
                                                                 "Write to disk",
                                                                 "Edit",
                                                                 "Cancel",
                                                                 "Save"};

// The tool bars of the windows, in their orders.
inline constexpr EditorAction ListActions[] = {EditorAction::ReadFromController,
                                               EditorAction::WriteToController,
                                               EditorAction::ReadFromDisk,
                                               EditorAction::WriteToDisk,
                                               EditorAction::Edit,
                                               EditorAction::Save};
inline constexpr EditorAction ListActionsWithoutDisk[] = {EditorAction::ReadFromController,
                                                          EditorAction::WriteToController,
                                                          EditorAction::Edit, EditorAction::Save};
inline constexpr EditorAction RecordEditorActions[] = {
    EditorAction::ReadFromController, EditorAction::WriteToController, EditorAction::ReadFromDisk,
    EditorAction::WriteToDisk, EditorAction::Save};
// The program editor's: "Cancel" closes it without taking the copy.
inline constexpr EditorAction RecordEditorActionsWithCancel[] = {EditorAction::ReadFromController,
                                                                 EditorAction::WriteToController,
                                                                 EditorAction::ReadFromDisk,
                                                                 EditorAction::WriteToDisk,
                                                                 EditorAction::Cancel,
                                                                 EditorAction::Save};

class EditorToolBar : public QToolBar {
    Q_OBJECT
public:
    explicit EditorToolBar(std::span<const EditorAction> actions, QWidget* parent = nullptr);

    // The button of an action; nullptr when the bar does not offer it.
    [[nodiscard]] QToolButton* Button(EditorAction action) const;

signals:
    void actionTriggered(EditorAction action);

private:
    std::array<QToolButton*, EditorActionHints.size()> buttons_{};
};

} // namespace zyl
