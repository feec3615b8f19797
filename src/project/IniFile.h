#pragma once

// The legacy INI files, read and written byte for byte: comments, blank lines, the order
// of sections and keys, line endings (CRLF or LF) and non-ASCII bytes all survive a load
// and save. Sections and keys are matched without regard to ASCII letter case. Values are
// the bytes after the first '=' with surrounding blanks removed; nothing is unescaped.
// Lines that are neither blank, a comment (';' or '#'), a "[section]" nor "key=value" are
// kept as they are and never match. When a key appears twice, its first line is the one
// read and written; a section that appears twice is searched in all its parts.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zyl {

class IniFile {
public:
    IniFile() = default;

    // Reads the file. A missing or unreadable file gives an empty document and false.
    bool Load(const std::string& path);
    // Parses text already in memory (the bytes of a file).
    void LoadText(std::string_view text);
    // Writes the document; false when the file could not be written completely.
    [[nodiscard]] bool Save(const std::string& path) const;
    // The document's bytes as they would be saved.
    [[nodiscard]] std::string Text() const;

    [[nodiscard]] std::optional<std::string> ReadValue(std::string_view section,
                                                       std::string_view key) const;
    [[nodiscard]] std::string ReadString(std::string_view section, std::string_view key,
                                         std::string_view defaultValue) const;
    // Decimal integer with an optional sign; a missing or malformed value gives the default.
    [[nodiscard]] int ReadInteger(std::string_view section, std::string_view key,
                                  int defaultValue) const;
    [[nodiscard]] std::vector<std::string> Keys(std::string_view section) const;

    // Replaces the value in the key's own line, or adds the key at the end of its section,
    // before the section's trailing blank lines (the section is added at the end of the file
    // when missing). Line breaks in the value become blanks. A section or key that could not
    // be read back (empty, with outer blanks, a line break, ']' in a section, '=' in a key or
    // a key starting like a comment or a section) is not written.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, int value);

private:
    struct Located {
        std::size_t line;
        std::size_t valueBegin; // the value's bytes within the line
        std::size_t valueEnd;
    };
    [[nodiscard]] std::optional<Located> FindKey(std::string_view section,
                                                 std::string_view key) const;
    void InsertLine(std::size_t index, std::string text);

    std::string bom_;                  // a UTF-8 byte order mark in front of the first line
    std::vector<std::string> lines_;   // without their line ending
    std::vector<std::string> endings_; // each line's own ending: "\r\n", "\n" or "" at the end
    std::string newline_ = "\r\n";     // the ending given to added lines
};

} // namespace zyl
