#pragma once

// The seam through which procedures reach the person at the screen: messages, questions,
// progress with its cancel request, pending events and file choices. The GUI shows dialogs,
// the command line uses the terminal, and tests record what was asked.

#include <optional>
#include <string>

namespace zyl {

inline constexpr int AnswerYes = 6;
inline constexpr int AnswerNo = 7;

// Texts handed to a Host are bytes of the PC code page (1250, or 1251 for Cyrillic texts).
struct FileDialogSpec {
    std::string filter;           // "ZYL|*.rlz", "Project ZYL|*.zyp;*.zy2"
    std::string defaultExtension; // "rlz", without the dot
    std::string initialFolder;    // empty: the dialog's own choice
    bool overwritePrompt = true;  // save dialogs only
};

class Host {
public:
    virtual ~Host() = default;

    // Modal one-line message with an OK button; returns when it was closed.
    virtual void ShowMessageBox(const std::string& text) = 0;
    // The same message with its cause on a second line ("No communication", then "no reply
    // from address 5 at 19200 baud"); without a cause it is the one-line message.
    virtual void ShowMessageBox(const std::string& text, const std::string& cause) {
        ShowMessageBox(cause.empty() ? text : text + "\n" + cause);
    }
    // Modal Yes/No question: AnswerYes (6) or AnswerNo (7); any other way of closing is No.
    virtual int AskYesNo(const std::string& text) = 0;

    // Shows (or updates) the progress window and lets pending events run.
    virtual void ShowProgress(int position, int maximum, const std::string& text) = 0;
    virtual void HideProgress() = 0;
    // The progress window's cancel request: set only by its Cancel button, cleared by callers.
    [[nodiscard]] virtual bool CancelRequested() = 0;
    virtual void ClearCancel() = 0;

    // Lets pending user-interface events run (a Cancel or Stop click is taken here).
    virtual void ProcessEvents() = 0;

    // File choices; std::nullopt when the dialog was cancelled.
    virtual std::optional<std::string> ChooseOpenFile(const FileDialogSpec& dialog) = 0;
    virtual std::optional<std::string> ChooseSaveFile(const FileDialogSpec& dialog) = 0;
};

// A host that hands everything to another one; a window with its own progress and cancel
// request (a scan, a project transfer) overrides those and keeps the program's dialogs.
class ForwardingHost : public Host {
public:
    explicit ForwardingHost(Host& outer) : outer_(outer) {}

    void ShowMessageBox(const std::string& text) override { outer_.ShowMessageBox(text); }
    void ShowMessageBox(const std::string& text, const std::string& cause) override {
        outer_.ShowMessageBox(text, cause);
    }
    int AskYesNo(const std::string& text) override { return outer_.AskYesNo(text); }
    void ShowProgress(int position, int maximum, const std::string& text) override {
        outer_.ShowProgress(position, maximum, text);
    }
    void HideProgress() override { outer_.HideProgress(); }
    bool CancelRequested() override { return outer_.CancelRequested(); }
    void ClearCancel() override { outer_.ClearCancel(); }
    void ProcessEvents() override { outer_.ProcessEvents(); }
    std::optional<std::string> ChooseOpenFile(const FileDialogSpec& dialog) override {
        return outer_.ChooseOpenFile(dialog);
    }
    std::optional<std::string> ChooseSaveFile(const FileDialogSpec& dialog) override {
        return outer_.ChooseSaveFile(dialog);
    }

private:
    Host& outer_;
};

} // namespace zyl
