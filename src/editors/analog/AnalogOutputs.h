#pragma once

// The five analog outputs: the editor's rules, the ".aou" file and the transfer of the block
// to and from the controller. Also the number fields that the analog output and PID editors
// share. The windows call these and show what they return.

#include "core/ControllerAccess.h"
#include "core/Outcome.h"
#include "editors/BlockTransfer.h"
#include "project/Records.h"
#include "project/ValueLists.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace zyl {

// --- number fields of the analog output and PID editors ------------------------------------

// Whole-number fields hold a value from 0 to 9999.
inline constexpr std::int32_t FieldLow = 0;
inline constexpr std::int32_t FieldHigh = 9999;

// What a whole-number field lets the user type: digits and signs only.
[[nodiscard]] bool WholeNumberInputAllowed(std::string_view text);
// A value brought to the nearer bound of 0 to 9999.
[[nodiscard]] std::int32_t ToFieldRange(std::int64_t value);
// A stored real as a whole-number field shows it: rounded to the nearest whole number (halves
// to even), then brought into 0 to 9999.
[[nodiscard]] std::int32_t RoundedToFieldRange(double value);
// A whole-number field's value: its text as a whole number with an optional sign, brought
// into 0 to 9999 (however many digits it has). A text that is no whole number counts as 0.
[[nodiscard]] std::int32_t FieldValue(std::string_view text);

// Real fields show and read numbers with the system's decimal separator (given here as the
// PC code page bytes of the separator).
// The shortest text that reads back as the same number ("1,2", "2,5", "0").
[[nodiscard]] std::string FormatReal(double value, std::string_view separator);
// The number, or nothing for a text that is not one (with "," as the separator, "1.5" is
// not a number).
[[nodiscard]] std::optional<double> ParseReal(std::string_view text, std::string_view separator);
// A real field's value on "Save": a text that is not a number counts as 0.
[[nodiscard]] double RealFieldValue(std::string_view text, std::string_view separator);
// What a real field lets the user type: digits, signs, exponent letters and at most one
// separator.
[[nodiscard]] bool RealInputAllowed(std::string_view text, std::string_view separator);

// The index of a stored value in a list of listSize entries; -1 (no selection) outside it.
[[nodiscard]] int ListIndex(std::int64_t value, std::size_t listSize);

// --- the analog output editor --------------------------------------------------------------

inline constexpr int AnalogNameLimit = 100;

// What the editor holds: list indexes (-1 for no selection) and the fields' texts (PC code
// page bytes), the reals with the system's decimal separator.
struct AnalogOutputEditorValues {
    std::string name;
    int typeIndex = -1;
    int channelIndex = -1;
    int setValueIndex = -1;
    int pidIndex = -1;
    std::string value0V, value10V, stopValue, pauseValue;
    std::array<std::string, 4> specialValues;
    // The PID group, kept hidden.
    std::string sample, gain, timeTi, timeTd;
};

// The values the editor shows: whole numbers brought into 0 to 9999, the sample rounded.
[[nodiscard]] AnalogOutputEditorValues
AnalogOutputEditorValuesFor(const TAnalogOutputRecord& record, std::string_view separator);
// Takes the editor's values into the record: the name as typed (up to 100 characters), the
// whole numbers and the sample within 0 to 9999. A list without a selection keeps the stored
// value (one outside the list can come from the controller or a file).
void ApplyAnalogOutputEditor(const AnalogOutputEditorValues& values, TAnalogOutputRecord& record,
                             std::string_view separator);

// The list's row: "No", "Name", "Type", "Measurement channel", "Set value", "0 V", "10 V",
// "Stop", "Pause", "PID".
[[nodiscard]] std::array<std::string, 10> AnalogOutputRow(int row,
                                                          const TAnalogOutputRecord& record);

// --- the ".aou" file: five records, read and written by the block-file reader and writer ---

inline constexpr const char* AnalogOutputFileFilter = "ZYL|*.aou";
inline constexpr const char* AnalogOutputFileExtension = "aou";

// --- transfers -----------------------------------------------------------------------------

// All five outputs in one exchange. A read's panel wait that ends not ready says
// "No communication", a write's not.
inline constexpr BlockTransferRules AnalogOutputTransferRules{AnalogOutputCount, 1, true, false,
                                                              false};

// Reads the five outputs; they replace the block only when the read succeeded. The sample,
// gain, Ti and Td do not travel and read as 0.
Outcome ReadAnalogOutputsFromController(ControllerAccess& access,
                                        std::span<TAnalogOutputRecord, AnalogOutputCount> outputs);
// Writes the five outputs, then sets the reset-pending flag and offers the reset, whatever
// the outcome.
Outcome WriteAnalogOutputsToController(ControllerAccess& access,
                                       std::span<TAnalogOutputRecord, AnalogOutputCount> outputs);

} // namespace zyl
