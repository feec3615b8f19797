#pragma once

// A project's files, or a block file, as text for reading, as JSON for editing, built back
// from that JSON, and compared field by field with another. All walk the files with
// WalkRecords and read the fields from the records' field tables.
//
// The JSON carries every byte: each record's fields by name (numbers as JSON numbers, texts
// as UTF-8 strings of the PC code page; a text or real that a plain value cannot restore
// exactly as {"value": ..., "hex": "..."} with the element's bytes), raw bytes and the
// stretches no record covers as hex pairs. BuildRecordFiles(DumpRecordJson(f)) gives f back
// byte for byte.

#include "transfer/FieldDifferences.h"
#include "transfer/ProjectRecords.h"

#include <string>
#include <string_view>
#include <vector>

namespace zyl {

inline constexpr int ProjectJsonFormat = 1;

// One line a field (an element of an array field; "Steps[3].Temperature" for a field of a
// program step): "Relays / Relay 3 / Name = "PUMP"". Program steps and raw bytes that are
// all zero are left out, as the first line says. pcCodePage 1250 or 1251.
[[nodiscard]] std::string DumpRecordText(const RecordFiles& files, int pcCodePage,
                                         std::string_view title);

[[nodiscard]] std::string DumpRecordJson(const RecordFiles& files, int pcCodePage);

struct RecordFilesBuild {
    RecordFiles files;
    std::string error; // "relays[2].Time type: 70000 is out of range ..."; empty when built
    explicit operator bool() const { return error.empty(); }
};

// The files a JSON dump describes. Every value is checked against its field (its kind, the
// range of its width and of the field, a text's capacity and code page) before anything is
// used.
[[nodiscard]] RecordFilesBuild BuildRecordFiles(std::string_view json);

struct RecordFilesDiff {
    std::vector<FieldDifferenceRow> rows; // in walk order; DifferenceLine gives the line
    std::string error;                    // files of different kinds
    explicit operator bool() const { return error.empty(); }
};

// Every byte of two projects, or two block files of one kind: one row per differing field
// element, per differing byte no record covers and per block or stretch only one side has
// ("present" / "missing", "2 bytes" / "0 bytes"); none when the files are equal.
[[nodiscard]] RecordFilesDiff DiffRecordFiles(const RecordFiles& left, const RecordFiles& right,
                                              int pcCodePage);

// The project as saving it would write it (left) against the project at path (right), as
// DiffRecordFiles compares them; the error names the file when it cannot be read or is a
// block file.
[[nodiscard]] RecordFilesDiff DiffProjectWithFile(const Project& project, const std::string& path,
                                                  int pcCodePage);

} // namespace zyl
