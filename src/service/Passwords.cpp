#include "service/Passwords.h"

#include "service/WholeBlockTransfer.h"

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
    return ReadWholeBlock<TPasswordBlock>(
        access, working, [&access](Variant v, TPasswordBlock& block) {
            return ReadPasswords(access.link, v, block, access.DeviceAddress, access.linkParams);
        });
}

Outcome SendPasswordsToController(ControllerAccess& access, const TPasswordBlock& passwords) {
    return SendWholeBlock(access, [&](Variant v) {
        return WritePasswords(access.link, v, passwords, access.DeviceAddress, access.linkParams);
    });
}

} // namespace zyl
