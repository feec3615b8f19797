#include "transfer/FieldDifferences.h"

#include "panel/CodePage.h"
#include "project/Json.h"

namespace zyl {

std::string ShownValue(const FieldDesc* field, const std::string& value, const std::string& meaning,
                       int pcCodePage) {
    std::string shown;
    // A text's value is at most its capacity long; its hex form (equal texts, different
    // bytes) is longer and stays as it is.
    if (field && field->kind == FieldKind::Text && value.size() <= field->TextCapacity())
        AppendJsonString(shown, PcToUtf8(pcCodePage, value));
    else
        shown = value;
    if (!meaning.empty()) shown += " (" + PcToUtf8(1250, meaning) + ')';
    return shown;
}

FieldDifferenceRow ShownDifference(const std::string& record, const FieldDifference& d,
                                   int pcCodePage) {
    return {record, d.name.empty() ? d.path : d.path + " (" + PcToUtf8(1250, d.name) + ')',
            ShownValue(d.field, d.left, d.leftMeaning, pcCodePage),
            ShownValue(d.field, d.right, d.rightMeaning, pcCodePage)};
}

std::string DifferenceLine(const FieldDifferenceRow& row) {
    std::string line = row.record + ": ";
    if (!row.field.empty()) line += row.field + ": ";
    return line + row.left + " -> " + row.right;
}

} // namespace zyl
