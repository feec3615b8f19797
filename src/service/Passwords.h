#pragma once

// The controller's passwords: the 37 rows of the password block, the six-character rule for
// what the user types, and the read and send procedures of the passwords window.

#include "core/ControllerAccess.h"
#include "core/Outcome.h"
#include "project/Records.h"

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace zyl {

// Slots 1 to 37 hold passwords; slots 38 to 50 are not used.
inline constexpr int PasswordRowCount = 37;
inline constexpr std::size_t PasswordLength = 6;

// The name shown for row 0 to 36: "Programming", ..., "" for row 6, "User name 1" to "User
// name 30" for rows 7 to 36.
[[nodiscard]] std::string PasswordRowName(int row);

// What is sent for a typed password: its first six characters, or, when shorter, the typed
// characters after as many blanks as make six ("" gives six blanks).
[[nodiscard]] std::string SixCharacterPassword(std::string_view typed);

// The characters row 0 to 36 shows: its slot's length-byte-many characters (at most 10).
[[nodiscard]] std::string PasswordShown(const TPasswordBlock& block, int row);

// Stores the six-character password of every row the user typed into (typed[row] set); a row
// without an entry keeps its slot's bytes as they are, whatever its length byte and
// characters hold. Rows beyond typed's size and slots 38 to 50 are left alone.
void ApplyTypedPasswords(TPasswordBlock& block, std::span<const std::optional<std::string>> typed);

// Reads the passwords into working: progress 0 to 3; on any failure "No communication" is
// shown and working keeps what it held. In module mode: submit, panel wait, collect.
Outcome ReadPasswordsFromController(ControllerAccess& access, TPasswordBlock& working);

// Sends the block (module mode: no STOP check, then the acknowledgement collect), shows "No
// communication" or "Operation completed", then sets the reset-pending flag and offers the
// reset, also after a failure.
Outcome SendPasswordsToController(ControllerAccess& access, const TPasswordBlock& passwords);

} // namespace zyl
