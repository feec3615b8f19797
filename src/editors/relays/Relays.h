#pragma once

// The relay block: its editor's rules, its ".rlz" file and its transfer to and from the
// controller. The windows call these and show what they return.

#include "core/ControllerAccess.h"
#include "core/Outcome.h"
#include "editors/BlockTransfer.h"
#include "editors/TextRules.h"
#include "project/Records.h"
#include "project/ValueLists.h"

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace zyl {

// --- time and regulator types --------------------------------------------------------------

inline constexpr int PidRegulatorType = 6;

// The text of a stored type; empty for a value outside the table.
[[nodiscard]] std::string TimeTypeText(int value);
[[nodiscard]] std::string RegulatorTypeText(int value);

// --- editor rules --------------------------------------------------------------------------

// The four value fields of the regulator diagram.
enum class RelayValueField { UpperHysteresis, LowerHysteresis, Offset, RegulatorWindow };

struct RelayValueRule {
    const char* label; // "P8", "P7", "P5", "P6"
    double low, high;
    const char* message; // shown when the value is out of range
};
[[nodiscard]] const RelayValueRule& RuleFor(RelayValueField field);

// Message for a value field left with this text, or nothing when it is valid (the window then
// sets the field to "0" after showing the message).
[[nodiscard]] std::optional<std::string> CheckRelayValue(RelayValueField field,
                                                         std::string_view text);

// The message for a text that is not a number; its first gap is a no-break space (0xA0).
inline constexpr const char* MsgNotNumeric = "This\xA0is not numeric format";

// Tenths as shown: value / 10 with one decimal ("0.0", "2.5", "-12.5").
[[nodiscard]] std::string FormatTenths(std::int32_t tenths);
// A typed value as tenths: x 10, rounded to the nearest whole number, halves to even.
// A text that is not a number gives 0.
[[nodiscard]] std::int32_t TenthsFromText(std::string_view text);

// What the editor holds when "Save" is pressed. A list without a selection has index -1.
struct RelayEditorValues {
    std::string name; // PC code page bytes, as typed
    int timeType = 0;
    int regulatorType = 0;
    std::string p1, p2;         // TimeTa, TimeTb
    int channelIndex = -1;      // in the PID list for type 6, else in the channel list
    int setValueIndex = -1;     // in the set-value source list
    std::string p5, p6, p7, p8; // Offset, RegulatorWindow, LowerHysteresis, UpperHysteresis
};

// The values the editor shows for a record.
[[nodiscard]] RelayEditorValues RelayEditorValuesFor(const TRelayRecord& record);

// Applies "Save". A list without a selection leaves its byte of the channel word as stored;
// the high half of the channel word becomes 0.
void ApplyRelayEditor(const RelayEditorValues& values, TRelayRecord& record);

// The list window's row: "No" .. "Upper hysteresis" (12 columns).
[[nodiscard]] std::array<std::string, 12> RelayRow(int row, const TRelayRecord& record);

// --- the ".rlz" file: 32 records, read and written by the block-file reader and writer -----

inline constexpr const char* RelayFileFilter = "ZYL|*.rlz";
inline constexpr const char* RelayFileExtension = "rlz";

// --- transfers -----------------------------------------------------------------------------

inline constexpr BlockTransferRules RelayTransferRules{6, 6, true, false, false};

// Reads the 32 relays in six packets straight into the block.
Outcome ReadRelaysFromController(ControllerAccess& access,
                                 std::span<TRelayRecord, RelayCount> relays);
// Numbers the relays 1 to 32, writes them, then sets the reset-pending flag and offers the
// reset, whatever the outcome.
Outcome WriteRelaysToController(ControllerAccess& access,
                                std::span<TRelayRecord, RelayCount> relays);

} // namespace zyl
