#pragma once

// One field table per record type: every byte of the record belongs to exactly one field, in
// offset order, and each field says whether the comparison of a project with a controller
// looks at it and how. The comparison, the dumps, the diff and the reports read these tables;
// none of them lists a record's fields again.
//
//   const RecordLayout& relay = LayoutOf<TRelayRecord>();
//   for (const FieldDesc& f : relay.fields) ...                 // name, offset, width, kind
//   RecordsEqual(a, b);                                         // the compared fields only
//   CompareRecords(a, b, {CompareMode::EveryByte});             // every byte, with paths
//   FieldValueText(relay.fields[1], RecordBytes(a));            // "Pump"
//   FieldValueMeaning(relay.fields[3], RecordBytes(a));         // "Relay active"
//
// Paths name a field ("Time type"), an element of an array field ("Relay states[4]",
// "Words[70]": the element's index from 0, or from the field's firstIndex) and a field of a
// sub-record ("Steps[3].Temperature": the fourth step). Paths are relative to the record; the
// caller prefixes the record ("Relay 5").

#include "project/Records.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zyl {

enum class FieldKind : std::uint8_t {
    Text,     // TPString: a length byte and elementWidth - 1 characters of the PC code page
    Signed,   // two's complement, elementWidth 1, 2 or 4
    Unsigned, // elementWidth 1, 2 or 4
    Real,     // IEEE 754 double, elementWidth 8
    Bytes,    // raw bytes: reserved, filler and unused areas; one element of the whole width
    Records,  // sub-records of the layout `records`, elementWidth = its size (the stride)
};

// How the comparison looks at a field.
enum class FieldCompare : std::uint8_t {
    No,    // not compared
    Value, // texts without leading and trailing blanks, numbers by value (-0.0 == 0.0,
           // NaN != NaN), sub-records by their own table
    Bytes, // byte for byte, sub-records included
};

struct ValueRange {
    double low = 0;
    double high = 0;
};

struct RecordLayout;

// What an element's stored value stands for, given the whole record's bytes (the list a
// relay's channel is taken from depends on its regulator type): bytes of code page 1250,
// empty when it stands for nothing more than its number.
using ValueMeaningFn = std::string (*)(std::span<const std::uint8_t> record, std::size_t index,
                                       std::int64_t value);

struct FieldDesc {
    std::string_view name;
    std::size_t offset = 0; // from the record's first byte
    std::size_t width = 0;  // the whole field: elementWidth * count
    FieldKind kind = FieldKind::Bytes;
    std::size_t elementWidth = 0; // see FieldKind
    std::size_t count = 1;        // elements; 1 for a single value
    std::size_t firstIndex = 0;   // index of the first element in paths (an array split in two)
    FieldCompare compare = FieldCompare::No;
    const RecordLayout* records = nullptr; // the sub-record's table, FieldKind::Records only
    std::string_view unit;                 // empty where none is given
    std::optional<ValueRange> range;       // in stored units; empty where none is given
    // What a number stands for: the text at the value's index (an editor's list), or what
    // `meaning` says (index as in paths); neither for fields whose value is the number itself.
    std::span<const char* const> valueTexts;
    ValueMeaningFn meaning = nullptr;
    // The own name of an element of an array (the setup word that is "F07 Temperature
    // unit"), by its index as in paths; empty for elements without one.
    std::string (*elementName)(std::size_t index) = nullptr;

    [[nodiscard]] constexpr std::size_t TextCapacity() const { return elementWidth - 1; }
    [[nodiscard]] constexpr std::size_t ElementOffset(std::size_t element) const {
        return offset + element * elementWidth;
    }
};

struct RecordLayout {
    std::string_view name; // "Relay", "Program step"
    std::size_t size = 0;  // sizeof the record
    std::span<const FieldDesc> fields;
};

// The table of each record type of Records.h (TSetupBlock, TRelayRecord, TProcessRecord,
// TStepRecord, TProgramRecord, TAlarmRecord, TSpecialStatusRecord, TAnalogOutputRecord,
// TPidRecord, TPasswordBlock); other types do not link. The tables live for the whole run.
template <class Record> [[nodiscard]] const RecordLayout& LayoutOf();
template <> const RecordLayout& LayoutOf<TSetupBlock>();
template <> const RecordLayout& LayoutOf<TRelayRecord>();
template <> const RecordLayout& LayoutOf<TProcessRecord>();
template <> const RecordLayout& LayoutOf<TStepRecord>();
template <> const RecordLayout& LayoutOf<TProgramRecord>();
template <> const RecordLayout& LayoutOf<TAlarmRecord>();
template <> const RecordLayout& LayoutOf<TSpecialStatusRecord>();
template <> const RecordLayout& LayoutOf<TAnalogOutputRecord>();
template <> const RecordLayout& LayoutOf<TPidRecord>();
template <> const RecordLayout& LayoutOf<TPasswordBlock>();

template <class Record> [[nodiscard]] std::span<const std::uint8_t> RecordBytes(const Record& r) {
    return {reinterpret_cast<const std::uint8_t*>(&r), sizeof(Record)};
}

enum class CompareMode : std::uint8_t {
    ComparedFields, // the fields marked compared, as they are marked
    EveryByte,      // every field byte for byte, reserved and filler bytes included
};

struct CompareOptions {
    CompareMode mode = CompareMode::ComparedFields;
    bool stopAtFirst = false;
};

struct FieldDifference {
    std::string path;         // "Name", "Relay states[4]", "Steps[3].Temperature"
    std::string left;         // FieldValueText of the element in the first record
    std::string right;        // and in the second; both in hex where the value texts are the same
                              // but the bytes are not (unused bytes of a text, a NaN's payload)
    std::string name;         // FieldElementName of the element ("F07 Temperature unit")
    std::string leftMeaning;  // FieldValueMeaning of the element in the first record
    std::string rightMeaning; // and in the second
    const FieldDesc* field = nullptr;
};

// The differing fields of two records of the layout, in offset order (at most one with
// stopAtFirst). A field compared byte for byte that holds sub-records reports the sub-records'
// differing fields. Throws std::invalid_argument when a span is shorter than the record.
[[nodiscard]] std::vector<FieldDifference> CompareRecords(const RecordLayout& layout,
                                                          std::span<const std::uint8_t> left,
                                                          std::span<const std::uint8_t> right,
                                                          CompareOptions options = {});

// Whether the records are equal in the mode: no difference found.
[[nodiscard]] bool RecordsEqual(const RecordLayout& layout, std::span<const std::uint8_t> left,
                                std::span<const std::uint8_t> right,
                                CompareMode mode = CompareMode::ComparedFields);

template <class Record>
[[nodiscard]] std::vector<FieldDifference> CompareRecords(const Record& left, const Record& right,
                                                          CompareOptions options = {}) {
    return CompareRecords(LayoutOf<Record>(), RecordBytes(left), RecordBytes(right), options);
}

template <class Record>
[[nodiscard]] bool RecordsEqual(const Record& left, const Record& right,
                                CompareMode mode = CompareMode::ComparedFields) {
    return RecordsEqual(LayoutOf<Record>(), RecordBytes(left), RecordBytes(right), mode);
}

// The value of one element of a field of the record (element from 0, not from firstIndex):
// a text as its bytes (length clamped to the capacity; the caller converts the code page),
// integers in decimal, reals in the shortest form that reads back the same ("0.1", "-0",
// "nan"), raw bytes and sub-records as upper-case hex pairs separated by blanks.
// Throws std::out_of_range when the element is not in the field or not in the span.
[[nodiscard]] std::string FieldValueText(const FieldDesc& field,
                                         std::span<const std::uint8_t> record,
                                         std::size_t element = 0);

// What the element's value stands for where the field's table says (a list's entry, a
// parameter's value text, a number of tenths as "2.5"): bytes of code page 1250; empty where
// the table says nothing or the value is outside its list.
[[nodiscard]] std::string FieldValueMeaning(const FieldDesc& field,
                                            std::span<const std::uint8_t> record,
                                            std::size_t element = 0);

// The element's own name (element from 0): "F07 Temperature unit" for setup word 7; empty
// where the table gives none.
[[nodiscard]] std::string FieldElementName(const FieldDesc& field, std::size_t element = 0);

} // namespace zyl
