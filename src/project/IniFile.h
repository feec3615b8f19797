#pragma once

// The legacy INI files, read and written byte for byte: comments, blank lines, the order
// of sections and keys, line endings (CRLF or LF) and non-ASCII bytes all survive a load
// and save. Sections and keys are matched without regard to ASCII letter case. Values are
// the bytes after the first '=' with surrounding blanks removed; nothing is unescaped.

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

    // Replaces the value in the key's own line, or adds the key at the end of its section
    // (the section is added at the end of the file when missing).
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, int value);

private:
    std::vector<std::string> lines_; // without their line ending
    std::string newline_ = "\r\n";
    bool finalNewline_ = true;
};

} // namespace zyl
