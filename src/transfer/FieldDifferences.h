#pragma once

// A field that differs between two records, as the comparison window, the command line and
// the text diff show it: the record, the field (with its own name where the table gives one)
// and both values in UTF-8, each followed by what it stands for where a list says.

#include "project/RecordFields.h"

#include <string>
#include <vector>

namespace zyl {

struct FieldDifferenceRow {
    std::string record; // "Relay 3", "Setup", "Head[5]"
    std::string field;  // "Name", "Words[7] (F07 Temperature unit)"; empty for raw stretches
    std::string left;   // "\"PUMP\"", "1 (1 -  Fahrenheit)", "25 (2.5)", "00"
    std::string right;

    bool operator==(const FieldDifferenceRow&) const = default;
};

// A value as the rows show it: a text quoted (JSON escapes) from the PC code page, other values
// as they are; then the meaning (code page 1250 bytes) in brackets when there is one.
[[nodiscard]] std::string ShownValue(const FieldDesc* field, const std::string& value,
                                     const std::string& meaning, int pcCodePage);

// The row of a difference CompareRecords found in the record labelled `record`.
[[nodiscard]] FieldDifferenceRow ShownDifference(const std::string& record,
                                                 const FieldDifference& difference, int pcCodePage);

// "Relay 3: Name: "PUMP" -> "PUMP 2"", or "Head[5]: 00 -> FF" for a row without a field.
[[nodiscard]] std::string DifferenceLine(const FieldDifferenceRow& row);

} // namespace zyl
