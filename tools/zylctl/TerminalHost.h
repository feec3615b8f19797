#pragma once

// The command line's Host: messages on stderr, a progress bar on stderr when it is a
// terminal, questions answered from the command line, no file dialogs.

#include "core/Host.h"

#include <string>
#include <vector>

namespace zyl {

class TerminalHost : public Host {
public:
    bool answerResetYes = false; // --reset / --no-reset
    std::vector<std::string> messages;

    void ShowMessageBox(const std::string& text) override;
    int AskYesNo(const std::string& text) override;
    void ShowProgress(int position, int maximum, const std::string& text) override;
    void HideProgress() override;
    bool CancelRequested() override { return false; }
    void ClearCancel() override {}
    void ProcessEvents() override {}
    std::optional<std::string> ChooseOpenFile(const FileDialogSpec&) override { return {}; }
    std::optional<std::string> ChooseSaveFile(const FileDialogSpec&) override { return {}; }

    [[nodiscard]] bool Said(const std::string& text) const;

private:
    bool barShown_ = false;
};

} // namespace zyl
