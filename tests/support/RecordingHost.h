#pragma once

// A Host for tests: records every message, question and progress step, answers questions
// and file dialogs from scripts, and can raise the cancel request at a chosen progress step.

#include "core/Host.h"

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zyl::test {

class RecordingHost : public Host {
public:
    std::vector<std::string> messages;
    std::vector<std::string> causes; // the second line of each message, empty when none
    std::vector<std::string> questions;
    std::deque<int> answers; // for AskYesNo; No when empty
    std::deque<std::optional<std::string>> openChoices;
    std::deque<std::optional<std::string>> saveChoices;
    std::vector<FileDialogSpec> dialogs;
    struct Step {
        int position, maximum;
        std::string text;
    };
    std::vector<Step> progress;
    int hideCount = 0;
    bool progressVisible = false;
    bool cancel = false;
    int eventsProcessed = 0;
    // Called on every ProcessEvents and ShowProgress (e.g. to press Cancel at some point).
    std::function<void(RecordingHost&)> onEvents;

    void ShowMessageBox(const std::string& text) override { ShowMessageBox(text, ""); }
    void ShowMessageBox(const std::string& text, const std::string& cause) override {
        messages.push_back(text);
        causes.push_back(cause);
    }
    int AskYesNo(const std::string& text) override {
        questions.push_back(text);
        if (answers.empty()) return AnswerNo;
        const int a = answers.front();
        answers.pop_front();
        return a;
    }
    void ShowProgress(int position, int maximum, const std::string& text) override {
        progress.push_back({position, maximum, text});
        progressVisible = true;
        ProcessEvents();
    }
    void HideProgress() override {
        ++hideCount;
        progressVisible = false;
    }
    bool CancelRequested() override { return cancel; }
    void ClearCancel() override { cancel = false; }
    void ProcessEvents() override {
        ++eventsProcessed;
        if (onEvents) onEvents(*this);
    }
    std::optional<std::string> ChooseOpenFile(const FileDialogSpec& dialog) override {
        dialogs.push_back(dialog);
        if (openChoices.empty()) return std::nullopt;
        auto c = openChoices.front();
        openChoices.pop_front();
        return c;
    }
    std::optional<std::string> ChooseSaveFile(const FileDialogSpec& dialog) override {
        dialogs.push_back(dialog);
        if (saveChoices.empty()) return std::nullopt;
        auto c = saveChoices.front();
        saveChoices.pop_front();
        return c;
    }
};

} // namespace zyl::test
