#include "project/IniFile.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <system_error>

namespace zyl {

namespace {

constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    return true;
}

enum class LineKind { Blank, Comment, Section, Key, Other };

struct ParsedLine {
    LineKind kind = LineKind::Other;
    std::string_view name; // section name or key
    std::size_t valueBegin = 0;
    std::size_t valueEnd = 0;
};

ParsedLine Parse(std::string_view line) {
    ParsedLine p;
    std::size_t i = 0;
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i == line.size()) {
        p.kind = LineKind::Blank;
        return p;
    }
    const char first = line[i];
    if (first == ';' || first == '#') {
        p.kind = LineKind::Comment;
        return p;
    }
    if (first == '[') {
        const std::size_t close = line.find(']', i + 1);
        if (close == std::string_view::npos) return p;
        p.kind = LineKind::Section;
        p.name = Trim(line.substr(i + 1, close - i - 1));
        return p;
    }
    const std::size_t eq = line.find('=', i);
    if (eq == std::string_view::npos) return p;
    p.name = Trim(line.substr(i, eq - i));
    if (p.name.empty()) return p;
    p.kind = LineKind::Key;
    std::size_t b = eq + 1;
    std::size_t e = line.size();
    while (b < e && IsBlank(line[b])) ++b;
    while (e > b && IsBlank(line[e - 1])) --e;
    p.valueBegin = b;
    p.valueEnd = e;
    return p;
}

bool HasLineBreak(std::string_view s) {
    return s.find_first_of("\r\n") != std::string_view::npos;
}

// Names that would not read back as the same section or key once written.
bool WritableSection(std::string_view s) {
    return !s.empty() && Trim(s) == s && s.find(']') == std::string_view::npos && !HasLineBreak(s);
}

bool WritableKey(std::string_view k) {
    return !k.empty() && Trim(k) == k && k.find('=') == std::string_view::npos &&
           !HasLineBreak(k) && k.front() != ';' && k.front() != '#' && k.front() != '[';
}

} // namespace

bool IniFile::Load(const std::string& path) {
    std::error_code ec;
    std::ifstream in;
    if (!std::filesystem::is_directory(path, ec)) in.open(path, std::ios::binary);
    if (!in.is_open()) {
        LoadText({});
        return false;
    }
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) {
        LoadText({});
        return false;
    }
    LoadText(text);
    return true;
}

void IniFile::LoadText(std::string_view text) {
    bom_.clear();
    lines_.clear();
    endings_.clear();
    newline_ = "\r\n";
    if (text.substr(0, Utf8Bom.size()) == Utf8Bom) {
        bom_ = Utf8Bom;
        text.remove_prefix(Utf8Bom.size());
    }
    bool styleKnown = false;
    while (!text.empty()) {
        const std::size_t lf = text.find('\n');
        if (lf == std::string_view::npos) {
            lines_.emplace_back(text);
            endings_.emplace_back();
            break;
        }
        const bool crlf = lf > 0 && text[lf - 1] == '\r';
        const std::size_t textEnd = crlf ? lf - 1 : lf;
        lines_.emplace_back(text.substr(0, textEnd));
        endings_.emplace_back(crlf ? "\r\n" : "\n");
        if (!styleKnown) {
            newline_ = endings_.back();
            styleKnown = true;
        }
        text.remove_prefix(lf + 1);
    }
}

bool IniFile::Save(const std::string& path) const {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    const std::string text = Text();
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    return !out.fail();
}

std::string IniFile::Text() const {
    std::string text = bom_;
    for (std::size_t i = 0; i < lines_.size(); ++i) text += lines_[i] + endings_[i];
    return text;
}

std::optional<IniFile::Located> IniFile::FindKey(std::string_view section,
                                                 std::string_view key) const {
    bool inSection = false;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const ParsedLine p = Parse(lines_[i]);
        if (p.kind == LineKind::Section)
            inSection = SameName(p.name, section);
        else if (inSection && p.kind == LineKind::Key && SameName(p.name, key))
            return Located{i, p.valueBegin, p.valueEnd};
    }
    return std::nullopt;
}

std::optional<std::string> IniFile::ReadValue(std::string_view section,
                                              std::string_view key) const {
    const auto at = FindKey(section, key);
    if (!at) return std::nullopt;
    return lines_[at->line].substr(at->valueBegin, at->valueEnd - at->valueBegin);
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view defaultValue) const {
    if (auto value = ReadValue(section, key)) return *value;
    return std::string(defaultValue);
}

int IniFile::ReadInteger(std::string_view section, std::string_view key, int defaultValue) const {
    const auto value = ReadValue(section, key);
    if (!value) return defaultValue;
    std::string_view digits = *value;
    bool negative = false;
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) {
        negative = digits.front() == '-';
        digits.remove_prefix(1);
    }
    if (digits.empty()) return defaultValue;
    for (char c : digits)
        if (c < '0' || c > '9') return defaultValue;
    // The magnitude may reach one past INT_MAX, which only the most negative int uses.
    long long magnitude = 0;
    const long long limit = -static_cast<long long>(std::numeric_limits<int>::min());
    for (char c : digits) {
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > limit) return defaultValue;
    }
    if (!negative && magnitude > std::numeric_limits<int>::max()) return defaultValue;
    return static_cast<int>(negative ? -magnitude : magnitude);
}

std::vector<std::string> IniFile::Keys(std::string_view section) const {
    std::vector<std::string> keys;
    bool inSection = false;
    for (const std::string& line : lines_) {
        const ParsedLine p = Parse(line);
        if (p.kind == LineKind::Section) {
            inSection = SameName(p.name, section);
            continue;
        }
        if (!inSection || p.kind != LineKind::Key) continue;
        bool seen = false;
        for (const std::string& k : keys) seen = seen || SameName(k, p.name);
        if (!seen) keys.emplace_back(p.name);
    }
    return keys;
}

void IniFile::InsertLine(std::size_t index, std::string text) {
    if (index < lines_.size()) {
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(index), std::move(text));
        endings_.insert(endings_.begin() + static_cast<std::ptrdiff_t>(index), newline_);
        return;
    }
    // A new last line takes over the old last line's ending, so a file without a final
    // line break stays without one.
    std::string ending = newline_;
    if (!endings_.empty()) {
        ending = endings_.back();
        endings_.back() = newline_;
    }
    lines_.push_back(std::move(text));
    endings_.push_back(std::move(ending));
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    if (!WritableSection(section) || !WritableKey(key)) return;
    // A line break would end the line early and turn the rest into lines of its own.
    std::string clean(value);
    for (char& c : clean)
        if (c == '\r' || c == '\n') c = ' ';

    if (const auto at = FindKey(section, key)) {
        std::string& line = lines_[at->line];
        line.replace(at->valueBegin, at->valueEnd - at->valueBegin, clean);
        return;
    }
    const std::string entry = std::string(key) + "=" + clean;

    std::optional<std::size_t> header;
    for (std::size_t i = 0; i < lines_.size() && !header; ++i) {
        const ParsedLine p = Parse(lines_[i]);
        if (p.kind == LineKind::Section && SameName(p.name, section)) header = i;
    }
    if (!header) {
        InsertLine(lines_.size(), "[" + std::string(section) + "]");
        InsertLine(lines_.size(), entry);
        return;
    }
    std::size_t end = *header + 1;
    while (end < lines_.size() && Parse(lines_[end]).kind != LineKind::Section) ++end;
    while (end > *header + 1 && Parse(lines_[end - 1]).kind == LineKind::Blank) --end;
    InsertLine(end, entry);
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, int value) {
    WriteString(section, key, std::to_string(value));
}

} // namespace zyl
