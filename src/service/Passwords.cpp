#include "service/Passwords.h"

#include "link/Commands.h"

#include <array>

namespace zyl {

std::string PasswordRowName(int row) {
    static constexpr std::array<const char*, 7> Fixed = {"Programming",
                                                         "User functions",
                                                         "Service functions 1",
                                                         "Service functions 2",
                                                         "Wash programming",
                                                         "Washing start",
                                                         ""};
    if (row < 0 || row >= PasswordRowCount) return {};
    if (row < int(Fixed.size())) return Fixed[std::size_t(row)];
    return "User name " + std::to_string(row - int(Fixed.size()) + 1);
}

std::string SixCharacterPassword(std::string_view typed) {
    if (typed.size() >= PasswordLength) return std::string(typed.substr(0, PasswordLength));
    return std::string(PasswordLength - typed.size(), ' ') + std::string(typed);
}

std::string PasswordShown(const TPasswordBlock& block, int row) {
    if (row < 0 || row >= PasswordRowCount) return {};
    return block.Slots[row].Text();
}

void ApplyTypedPasswords(TPasswordBlock& block, std::span<const std::optional<std::string>> typed) {
    for (std::size_t row = 0; row < typed.size() && row < std::size_t(PasswordRowCount); ++row)
        if (typed[row]) block.Slots[row].SetText(SixCharacterPassword(*typed[row]));
}

Outcome ReadPasswordsFromController(ControllerAccess& access, TPasswordBlock& working) {
    Host& host = access.host;
    access.ReadLinkSettings();
    host.ShowProgress(0, 3, "");
    TPasswordBlock buffer{};
    bool ok = false;
    if (!access.moduleMode) {
        ok = ReadPasswords(access.link, buffer, access.DeviceAddress, access.linkParams) == LinkOk;
    } else if (ReadPasswordsSubmit(access.link, access.DeviceAddress, access.linkParams) ==
               LinkOk) {
        host.ShowProgress(1, 3, "");
        const bool ready = access.PanelWait() == PanelWaitOutcome::Ready;
        host.ShowProgress(2, 3, "");
        ok = ready && ReadPasswordsCollect(access.link, buffer, access.DeviceAddress,
                                           access.linkParams) == LinkOk;
    }
    if (!ok) {
        host.HideProgress();
        return access.Failed(true);
    }
    host.ShowProgress(3, 3, "");
    host.HideProgress();
    working = buffer;
    return Outcome::Ok;
}

Outcome SendPasswordsToController(ControllerAccess& access, const TPasswordBlock& passwords) {
    access.ReadLinkSettings();
    bool ok;
    if (!access.moduleMode) {
        ok = WritePasswords(access.link, passwords, access.DeviceAddress, access.linkParams) ==
             LinkOk;
    } else {
        ok = WritePasswordsSubmit(access.link, passwords, access.DeviceAddress,
                                  access.linkParams) == LinkOk &&
             access.PanelWait() == PanelWaitOutcome::Ready &&
             CollectAck(access.link, 4, access.DeviceAddress, access.linkParams) == LinkOk;
    }
    const Outcome outcome = ok ? Outcome::Ok : access.Failed(true);
    if (ok) access.host.ShowMessageBox(MsgOperationCompleted);
    access.OfferResetAfterWrite();
    return outcome;
}

} // namespace zyl
