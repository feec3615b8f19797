#pragma once

// The Host of the windowed program: the program's own message and question dialogs, the
// progress window and the toolkit's file dialogs. Texts arrive as bytes of PC code page 1250
// and are converted at this edge.

#include "core/Host.h"

#include <QObject>
#include <QString>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QWidget;

namespace zyl {

class ProgressWindow;

// While a controller operation lets events run, only the progress window (and the widgets
// allowed, a transfer window's Stop) takes the user's input: clicks, keys and closing any
// other window are dropped, so no second operation starts inside the first. Windows still
// paint and timers still run.
class OperationInputGuard : public QObject {
public:
    OperationInputGuard(const QWidget* progress, const std::vector<const QWidget*>& allowed);
    ~OperationInputGuard() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    const QWidget* progress_;
    const std::vector<const QWidget*>& allowed_;
};

class GuiHost : public Host {
public:
    // Without a progress window, progress only lets pending events run.
    explicit GuiHost(ProgressWindow* progress = nullptr) : progress_(progress) {}
    void SetProgressWindow(ProgressWindow* progress) { progress_ = progress; }

    using Host::ShowMessageBox;
    void ShowMessageBox(const std::string& text) override;
    int AskYesNo(const std::string& text) override;
    void ShowProgress(int position, int maximum, const std::string& text) override;
    void HideProgress() override;
    bool CancelRequested() override;
    void ClearCancel() override;
    void ProcessEvents() override;
    // A widget that takes input while an operation runs (a transfer window's Stop button).
    void AllowDuringOperations(const QWidget* widget);
    void DisallowDuringOperations(const QWidget* widget);
    std::optional<std::string> ChooseOpenFile(const FileDialogSpec& dialog) override;
    std::optional<std::string> ChooseSaveFile(const FileDialogSpec& dialog) override;

private:
    ProgressWindow* progress_;
    std::vector<const QWidget*> allowed_;
};

// A text in PC code page 1250 as a QString.
[[nodiscard]] QString FromPcText(std::string_view bytes);

// A filter of the form "Project ZYL|*.zyp;*.zy2" (description and pattern pairs separated by
// '|', patterns by ';') as the toolkit writes it: "Project ZYL (*.zyp *.zy2)", pairs joined
// by ";;". A description without its pattern part is dropped.
[[nodiscard]] QString ToolkitFileFilter(std::string_view filter);

} // namespace zyl
