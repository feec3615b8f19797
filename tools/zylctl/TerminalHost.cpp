#include "TerminalHost.h"

#include "ZylctlCommands.h"
#include "panel/CodePage.h"

#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace zyl {

void TerminalHost::ShowMessageBox(const std::string& text) {
    ShowMessageBox(text, "");
}

void TerminalHost::ShowMessageBox(const std::string& text, const std::string& cause) {
    HideProgress();
    messages.push_back(text);
    std::fprintf(stderr, "%s\n", PcToUtf8(1250, text).c_str());
    if (!cause.empty()) std::fprintf(stderr, "%s\n", PcToUtf8(1250, cause).c_str());
    if (text != "No communication" || packetNoun_.empty()) return;
    if (packets_ > 1 && progressMaximum_ == packets_)
        std::fprintf(stderr, "%d of %d %s %s\n", progressPosition_, packets_, packetNoun_.c_str(),
                     verb_.c_str());
    else
        std::fprintf(stderr, "%s not %s\n", packetNoun_.c_str(), verb_.c_str());
}

void TerminalHost::BeginTransfer(int packets, const std::string& packetNoun,
                                 const std::string& verb) {
    packets_ = packets;
    packetNoun_ = packetNoun;
    verb_ = verb;
    progressPosition_ = progressMaximum_ = 0;
}

int TerminalHost::AskYesNo(const std::string& text) {
    HideProgress();
    const bool yes = text == "Reset device?" && answerResetYes;
    std::fprintf(stderr, "%s %s\n", PcToUtf8(1250, text).c_str(), yes ? "Yes" : "No");
    return yes ? AnswerYes : AnswerNo;
}

void TerminalHost::ShowProgress(int position, int maximum, const std::string& text) {
    progressPosition_ = position;
    progressMaximum_ = maximum;
    if (!isatty(STDERR_FILENO)) return;
    const int max = std::max(1, maximum);
    const int pos = std::clamp(position, 0, max);
    const int width = 30;
    const int filled = pos * width / max;
    std::fprintf(stderr, "\r%-16.16s [%s%s] %3d%%", PcToUtf8(1250, text).c_str(),
                 std::string(static_cast<std::size_t>(filled), '#').c_str(),
                 std::string(static_cast<std::size_t>(width - filled), ' ').c_str(),
                 pos * 100 / max);
    std::fflush(stderr);
    barShown_ = true;
}

void TerminalHost::HideProgress() {
    if (!barShown_) return;
    std::fprintf(stderr, "\n");
    barShown_ = false;
}

bool TerminalHost::CancelRequested() {
    return cli::Interrupted();
}

bool TerminalHost::Said(const std::string& text) const {
    return std::find(messages.begin(), messages.end(), text) != messages.end();
}

} // namespace zyl
