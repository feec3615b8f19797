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
    // The transfer under way: "No communication" is followed by how far it got, "1 of 6
    // relay groups written" (packets named in the plural), or "setup block not written" for
    // a block of one packet.
    void BeginTransfer(int packets, const std::string& packetNoun, const std::string& verb);

    void ShowMessageBox(const std::string& text) override;
    void ShowMessageBox(const std::string& text, const std::string& cause) override;
    int AskYesNo(const std::string& text) override;
    void ShowProgress(int position, int maximum, const std::string& text) override;
    void HideProgress() override;
    // Ctrl+C is the terminal's Cancel; it stays set for the rest of the run.
    bool CancelRequested() override;
    void ClearCancel() override {}
    void ProcessEvents() override {}
    std::optional<std::string> ChooseOpenFile(const FileDialogSpec&) override { return {}; }
    std::optional<std::string> ChooseSaveFile(const FileDialogSpec&) override { return {}; }

    [[nodiscard]] bool Said(const std::string& text) const;

private:
    bool barShown_ = false;
    int progressPosition_ = 0;
    int progressMaximum_ = 0;
    int packets_ = 0;
    std::string packetNoun_, verb_;
};

} // namespace zyl
