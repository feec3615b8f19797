#include "transfer/ProjectText.h"

#include "panel/CodePage.h"
#include "project/Json.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace zyl {

namespace {

// --- values of the fields ----------------------------------------------------------------

// The fields of a table as the dumps name them: a field continuing an array of the same name
// (an array split in two, such as the setup's words) joins that array.
struct FieldGroup {
    std::string_view name;
    std::vector<const FieldDesc*> fields;
    std::size_t count = 0;
};

std::vector<FieldGroup> GroupsOf(const RecordLayout& layout) {
    std::vector<FieldGroup> groups;
    for (const FieldDesc& f : layout.fields) {
        if (!groups.empty() && f.firstIndex != 0 && groups.back().name == f.name &&
            groups.back().count == f.firstIndex) {
            groups.back().fields.push_back(&f);
        } else {
            groups.push_back({f.name, {&f}, 0});
        }
        groups.back().count += f.count;
    }
    return groups;
}

// Calls fn(field, element) for each element of the group in order.
template <class Fn> void ForEachElement(const FieldGroup& g, Fn fn) {
    for (const FieldDesc* f : g.fields)
        for (std::size_t e = 0; e < f->count; ++e) fn(*f, e);
}

std::string HexText(std::span<const std::uint8_t> bytes) {
    FieldDesc raw;
    raw.kind = FieldKind::Bytes;
    raw.width = raw.elementWidth = bytes.size();
    return bytes.empty() ? std::string() : FieldValueText(raw, bytes);
}

std::span<const std::uint8_t> ElementBytes(const FieldDesc& f, std::span<const std::uint8_t> rec,
                                           std::size_t e) {
    return rec.subspan(f.ElementOffset(e), f.elementWidth);
}

bool AllZero(std::span<const std::uint8_t> bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b == 0; });
}

std::string TextValue(const FieldDesc& f, std::span<const std::uint8_t> rec, std::size_t e,
                      int pcCodePage) {
    return PcToUtf8(pcCodePage, FieldValueText(f, rec, e));
}

// Whether the plain text restores the text element's bytes: a length within the capacity,
// zeros after the text, and characters that the code page holds both ways.
bool TextIsExact(const FieldDesc& f, std::span<const std::uint8_t> element, int pcCodePage) {
    const std::size_t length = element[0];
    if (length > f.TextCapacity() || !AllZero(element.subspan(1 + length))) return false;
    const std::string_view chars(reinterpret_cast<const char*>(element.data() + 1), length);
    return Utf8ToPc(pcCodePage, PcToUtf8(pcCodePage, chars)) == chars;
}

bool RealIsPlain(std::span<const std::uint8_t> element) {
    double v;
    std::memcpy(&v, element.data(), sizeof v);
    return std::isfinite(v);
}

// --- the text dump -------------------------------------------------------------------------

void TextLines(const RecordLayout& layout, std::span<const std::uint8_t> rec,
               const std::string& head, const std::string& prefix, int pcCodePage,
               std::string& out) {
    for (const FieldGroup& g : GroupsOf(layout)) {
        ForEachElement(g, [&](const FieldDesc& f, std::size_t e) {
            const auto element = ElementBytes(f, rec, e);
            std::string path = prefix + std::string(f.name);
            if (g.count > 1) path += '[' + std::to_string(f.firstIndex + e) + ']';
            if (f.kind == FieldKind::Records) {
                if (!AllZero(element))
                    TextLines(*f.records, element, head, path + '.', pcCodePage, out);
                return;
            }
            if (f.kind == FieldKind::Bytes && AllZero(element)) return;
            const std::string name = FieldElementName(f, e);
            if (!name.empty()) path += " (" + PcToUtf8(1250, name) + ')';
            out +=
                head + path + " = " +
                ShownValue(&f, FieldValueText(f, rec, e), FieldValueMeaning(f, rec, e), pcCodePage);
            if (!f.unit.empty()) out += ' ' + std::string(f.unit);
            out += '\n';
        });
    }
}

// --- the JSON dump -----------------------------------------------------------------------

class JsonWriter {
public:
    JsonWriter(std::string& out, int pcCodePage) : out_(out), page_(pcCodePage) {}

    void Record(const RecordLayout& layout, std::span<const std::uint8_t> rec, int indent) {
        out_ += "{\n";
        const std::vector<FieldGroup> groups = GroupsOf(layout);
        for (std::size_t i = 0; i < groups.size(); ++i) {
            const FieldGroup& g = groups[i];
            Indent(indent + 1);
            AppendJsonString(out_, g.name);
            out_ += ": ";
            if (g.count == 1) {
                Element(*g.fields[0], rec, 0, indent + 1);
            } else {
                const FieldKind kind = g.fields[0]->kind;
                const bool oneLine =
                    (kind == FieldKind::Signed || kind == FieldKind::Unsigned) && g.count <= 32;
                out_ += oneLine ? "[" : "[\n";
                std::size_t n = 0;
                ForEachElement(g, [&](const FieldDesc& f, std::size_t e) {
                    if (n++ != 0) out_ += oneLine ? ", " : ",\n";
                    if (!oneLine) Indent(indent + 2);
                    Element(f, rec, e, indent + 2);
                });
                if (!oneLine) {
                    out_ += '\n';
                    Indent(indent + 1);
                }
                out_ += ']';
            }
            out_ += i + 1 < groups.size() ? ",\n" : "\n";
        }
        Indent(indent);
        out_ += '}';
    }

    void Indent(int level) { out_.append(std::size_t(level) * 2, ' '); }

private:
    void Exact(std::string_view value, std::span<const std::uint8_t> element) {
        out_ += "{\"value\": ";
        AppendJsonString(out_, value);
        out_ += ", \"hex\": ";
        AppendJsonString(out_, HexText(element));
        out_ += '}';
    }

    void Element(const FieldDesc& f, std::span<const std::uint8_t> rec, std::size_t e, int indent) {
        const auto element = ElementBytes(f, rec, e);
        switch (f.kind) {
        case FieldKind::Text:
            if (TextIsExact(f, element, page_))
                AppendJsonString(out_, TextValue(f, rec, e, page_));
            else
                Exact(TextValue(f, rec, e, page_), element);
            return;
        case FieldKind::Real:
            if (RealIsPlain(element))
                out_ += FieldValueText(f, rec, e);
            else
                Exact(FieldValueText(f, rec, e), element);
            return;
        case FieldKind::Signed:
        case FieldKind::Unsigned:
            out_ += FieldValueText(f, rec, e);
            return;
        case FieldKind::Bytes:
            AppendJsonString(out_, FieldValueText(f, rec, e));
            return;
        case FieldKind::Records:
            Record(*f.records, element, indent);
            return;
        }
    }

    std::string& out_;
    int page_;
};

// --- building from JSON ------------------------------------------------------------------

struct BuildError {
    std::string message;
};

[[noreturn]] void Fail(const std::string& path, const std::string& what) {
    throw BuildError{(path.empty() ? std::string("the top level") : path) + ": " + what};
}

const JsonValue& Expect(const JsonValue& v, JsonValue::Type type, const std::string& path) {
    if (v.type != type)
        Fail(path,
             std::string("expected ") + JsonTypeName(type) + ", found " + JsonTypeName(v.type));
    return v;
}

const JsonValue& Member(const JsonValue& object, std::string_view key, const std::string& path) {
    const JsonValue* v = object.Find(key);
    if (!v) Fail(path, "\"" + std::string(key) + "\" is missing");
    return *v;
}

std::string Join(const std::string& path, std::string_view key) {
    return path.empty() ? std::string(key) : path + '.' + std::string(key);
}

// Refuses a member not among the keys.
void OnlyKeys(const JsonValue& object, const std::vector<std::string_view>& keys,
              const std::string& path) {
    for (const std::string& key : object.keys)
        if (std::find(keys.begin(), keys.end(), key) == keys.end())
            Fail(path, "unknown key \"" + key + "\"");
}

std::optional<std::vector<std::uint8_t>> ParseHex(std::string_view text) {
    std::vector<std::uint8_t> bytes;
    auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == ' ') {
            ++i;
            continue;
        }
        if (i + 1 >= text.size() || digit(text[i]) < 0 || digit(text[i + 1]) < 0)
            return std::nullopt;
        bytes.push_back(std::uint8_t(digit(text[i]) * 16 + digit(text[i + 1])));
        i += 2;
    }
    return bytes;
}

std::vector<std::uint8_t> HexOfSize(const JsonValue& v, std::size_t size, const std::string& path) {
    Expect(v, JsonValue::Type::String, path);
    const auto bytes = ParseHex(v.text);
    if (!bytes) Fail(path, "expected hex pairs such as \"00 1F\"");
    if (bytes->size() != size)
        Fail(path, std::to_string(bytes->size()) + " bytes where the place holds " +
                       std::to_string(size));
    return *bytes;
}

std::string RangeText(long double low, long double high) {
    auto text = [](long double v) {
        char buffer[48];
        const auto r = std::to_chars(buffer, buffer + sizeof buffer, double(v));
        return std::string(buffer, r.ptr);
    };
    return text(low) + ".." + text(high);
}

void PutInteger(const FieldDesc& f, const JsonValue& v, std::uint8_t* at, const std::string& path) {
    Expect(v, JsonValue::Type::Number, path);
    if (v.text.find_first_of(".eE") != std::string::npos)
        Fail(path, v.text + " is not a whole number");
    const unsigned bits = unsigned(f.elementWidth) * 8;
    const bool isSigned = f.kind == FieldKind::Signed;
    const long long low = isSigned ? -(1LL << (bits - 1)) : 0;
    const long long high = isSigned ? (1LL << (bits - 1)) - 1 : (1LL << bits) - 1;
    long long n = 0;
    const auto r = std::from_chars(v.text.data(), v.text.data() + v.text.size(), n);
    if (r.ec != std::errc() || n < low || n > high)
        Fail(path,
             v.text + " is out of range " + std::to_string(low) + ".." + std::to_string(high));
    if (f.range && (double(n) < f.range->low || double(n) > f.range->high))
        Fail(path, v.text + " is out of range " + RangeText(f.range->low, f.range->high));
    const auto u = static_cast<std::uint64_t>(n);
    for (std::size_t i = 0; i < f.elementWidth; ++i) at[i] = std::uint8_t(u >> (8 * i));
}

// {"value": ..., "hex": "..."}: the element's bytes; the caller checks that the value shows
// them.
std::vector<std::uint8_t> ExactBytes(const JsonValue& v, std::size_t size,
                                     const std::string& path) {
    OnlyKeys(v, {"value", "hex"}, path);
    Expect(Member(v, "value", path), JsonValue::Type::String, path + ".value");
    return HexOfSize(Member(v, "hex", path), size, path + ".hex");
}

class Builder {
public:
    explicit Builder(int pcCodePage) : page_(pcCodePage) {}

    void Record(const RecordLayout& layout, const JsonValue& v, std::span<std::uint8_t> rec,
                const std::string& path) {
        Expect(v, JsonValue::Type::Object, path);
        const std::vector<FieldGroup> groups = GroupsOf(layout);
        std::vector<std::string_view> keys;
        for (const FieldGroup& g : groups) keys.push_back(g.name);
        OnlyKeys(v, keys, path);
        for (const FieldGroup& g : groups) {
            const std::string at = Join(path, g.name);
            const JsonValue& value = Member(v, g.name, path);
            if (g.count == 1) {
                Element(*g.fields[0], value, rec, 0, at);
                continue;
            }
            Expect(value, JsonValue::Type::Array, at);
            if (value.items.size() != g.count)
                Fail(at, std::to_string(value.items.size()) + " elements where the field has " +
                             std::to_string(g.count));
            std::size_t n = 0;
            ForEachElement(g, [&](const FieldDesc& f, std::size_t e) {
                Element(f, value.items[n], rec, e, at + '[' + std::to_string(n) + ']');
                ++n;
            });
        }
    }

private:
    void Element(const FieldDesc& f, const JsonValue& v, std::span<std::uint8_t> rec, std::size_t e,
                 const std::string& path) {
        std::uint8_t* at = rec.data() + f.ElementOffset(e);
        switch (f.kind) {
        case FieldKind::Signed:
        case FieldKind::Unsigned:
            PutInteger(f, v, at, path);
            return;
        case FieldKind::Bytes: {
            const auto bytes = HexOfSize(v, f.elementWidth, path);
            std::copy(bytes.begin(), bytes.end(), at);
            return;
        }
        case FieldKind::Records:
            Record(*f.records, v, rec.subspan(f.ElementOffset(e), f.elementWidth), path);
            return;
        case FieldKind::Text:
            Text(f, v, rec, e, path);
            return;
        case FieldKind::Real:
            Real(f, v, rec, e, path);
            return;
        }
    }

    void Text(const FieldDesc& f, const JsonValue& v, std::span<std::uint8_t> rec, std::size_t e,
              const std::string& path) {
        std::uint8_t* at = rec.data() + f.ElementOffset(e);
        if (v.type == JsonValue::Type::Object) {
            const auto bytes = ExactBytes(v, f.elementWidth, path);
            std::copy(bytes.begin(), bytes.end(), at);
            const std::string shown = TextValue(f, rec, e, page_);
            if (v.Find("value")->text != shown)
                Fail(path + ".value", "the text differs from what its hex holds (\"" + shown +
                                          "\"); change one and drop the other");
            return;
        }
        Expect(v, JsonValue::Type::String, path);
        const std::string bytes = Utf8ToPc(page_, v.text);
        if (PcToUtf8(page_, bytes) != v.text)
            Fail(path, "\"" + v.text + "\" holds a character that code page " +
                           std::to_string(page_) + " does not");
        if (bytes.size() > f.TextCapacity())
            Fail(path, "the text is " + std::to_string(bytes.size()) +
                           " characters long, longer than the " + std::to_string(f.TextCapacity()) +
                           " of the field");
        std::fill_n(at, f.elementWidth, std::uint8_t{0});
        at[0] = std::uint8_t(bytes.size());
        std::memcpy(at + 1, bytes.data(), bytes.size());
    }

    void Real(const FieldDesc& f, const JsonValue& v, std::span<std::uint8_t> rec, std::size_t e,
              const std::string& path) {
        std::uint8_t* at = rec.data() + f.ElementOffset(e);
        if (v.type == JsonValue::Type::Object) {
            const auto bytes = ExactBytes(v, f.elementWidth, path);
            std::copy(bytes.begin(), bytes.end(), at);
            const std::string shown = FieldValueText(f, rec, e);
            if (v.Find("value")->text != shown)
                Fail(path + ".value", "the value differs from what its hex holds (\"" + shown +
                                          "\"); change one and drop the other");
            return;
        }
        Expect(v, JsonValue::Type::Number, path);
        double d = 0;
        const auto r = std::from_chars(v.text.data(), v.text.data() + v.text.size(), d);
        if (r.ec != std::errc() || !std::isfinite(d))
            Fail(path, v.text + " is out of the range of a real");
        if (f.range && (d < f.range->low || d > f.range->high))
            Fail(path, v.text + " is out of range " + RangeText(f.range->low, f.range->high));
        std::memcpy(at, &d, sizeof d);
    }

    int page_;
};

int ReadCodePage(const JsonValue& root) {
    const JsonValue& v =
        Expect(Member(root, "code page", {}), JsonValue::Type::Number, "code page");
    if (v.text != "1250" && v.text != "1251") Fail("code page", "expected 1250 or 1251");
    return v.text == "1250" ? 1250 : 1251;
}

RecordFiles BuildFiles(std::string_view json) {
    const JsonParse parsed = ParseJson(json);
    if (!parsed) throw BuildError{parsed.error};
    const JsonValue& root = Expect(parsed.value, JsonValue::Type::Object, {});
    const JsonValue& format = Expect(Member(root, "format", {}), JsonValue::Type::Number, "format");
    if (format.text != std::to_string(ProjectJsonFormat))
        Fail("format", "this program reads format " + std::to_string(ProjectJsonFormat) + ", not " +
                           format.text);
    const JsonValue& kindName = Expect(Member(root, "kind", {}), JsonValue::Type::String, "kind");
    const std::optional<RecordFileKind> kind = RecordFileKindFromName(kindName.text);
    if (!kind) Fail("kind", "unknown kind \"" + kindName.text + "\"");
    const int page = ReadCodePage(root);
    const JsonValue& unnamed =
        Expect(Member(root, "unnamed", {}), JsonValue::Type::Object, "unnamed");

    std::vector<std::string_view> keys = {"format", "kind", "code page", "unnamed"};
    bool olderImage = false, passwords = false, pid = false;
    std::array<std::size_t, 3> beyond{};
    if (*kind == RecordFileKind::Project) {
        keys.insert(keys.end(), {"layout", "side files"});
        const JsonValue& layout =
            Expect(Member(root, "layout", {}), JsonValue::Type::String, "layout");
        if (layout.text != "whole" && layout.text != "older")
            Fail("layout", "expected \"whole\" or \"older\"");
        olderImage = layout.text == "older";
        const JsonValue& sides =
            Expect(Member(root, "side files", {}), JsonValue::Type::Array, "side files");
        for (std::size_t i = 0; i < sides.items.size(); ++i) {
            const std::string at = "side files[" + std::to_string(i) + "]";
            const std::string& side = Expect(sides.items[i], JsonValue::Type::String, at).text;
            bool& flag = side == "passwords" ? passwords : pid;
            if ((side != "passwords" && side != "pid") || flag)
                Fail(at, "expected \"passwords\" or \"pid\", each once");
            flag = true;
        }
        // The bytes after the image and the side blocks give the files' lengths.
        for (std::size_t i = 0; i < BeyondNames.size(); ++i)
            if (const JsonValue* after = unnamed.Find(BeyondNames[i])) {
                const std::string at = Join("unnamed", BeyondNames[i]);
                const auto bytes = ParseHex(Expect(*after, JsonValue::Type::String, at).text);
                if (!bytes) Fail(at, "expected hex pairs such as \"00 1F\"");
                beyond[i] = bytes->size();
            }
        if (olderImage && OlderProjectImageSize + beyond[0] >= ProjectImageSize)
            Fail(Join("unnamed", BeyondNames[0]),
                 "an older image followed by this many bytes would read as a whole image");
    }

    RecordFiles files = EmptyRecordFiles(*kind, olderImage, passwords, pid, beyond);
    const RecordWalk<std::uint8_t> walk = WalkRecords(files);
    Builder builder(page);
    for (const BlockSlice<std::uint8_t>& block : walk.blocks) {
        keys.push_back(block.key);
        const std::string key(block.key);
        const JsonValue& v = Member(root, block.key, {});
        if (block.single) {
            builder.Record(*block.records[0].layout, v, block.records[0].bytes, key);
            continue;
        }
        Expect(v, JsonValue::Type::Array, key);
        if (v.items.size() != block.records.size())
            Fail(key, std::to_string(v.items.size()) + " records where the block holds " +
                          std::to_string(block.records.size()));
        for (std::size_t i = 0; i < block.records.size(); ++i)
            builder.Record(*block.records[i].layout, v.items[i], block.records[i].bytes,
                           key + '[' + std::to_string(i) + ']');
    }
    OnlyKeys(root, keys, {});
    std::vector<std::string_view> names;
    for (const UnnamedSlice<std::uint8_t>& u : walk.unnamed) {
        names.push_back(u.name);
        const std::string at = Join("unnamed", u.name);
        const auto bytes = HexOfSize(Member(unnamed, u.name, "unnamed"), u.bytes.size(), at);
        std::copy(bytes.begin(), bytes.end(), u.bytes.begin());
    }
    OnlyKeys(unnamed, names, "unnamed");
    return files;
}

// --- the diff ------------------------------------------------------------------------------

template <class Slices>
const typename Slices::value_type* FindNamed(const Slices& slices, std::string_view name) {
    for (const auto& s : slices)
        if (s.name == name) return &s;
    return nullptr;
}

} // namespace

std::string DumpRecordText(const RecordFiles& files, int pcCodePage, std::string_view title) {
    std::string out = "# " + std::string(title) + ": " +
                      std::string(RecordFileKindName(files.kind)) + ", texts in code page " +
                      std::to_string(pcCodePage) +
                      "; program steps and raw bytes that are all zero are left out\n";
    const RecordWalk<const std::uint8_t> walk = WalkRecords(files);
    for (const auto& block : walk.blocks)
        for (const auto& record : block.records) {
            std::string head = block.label + " / ";
            if (record.label != block.label) head += record.label + " / ";
            TextLines(*record.layout, record.bytes, head, {}, pcCodePage, out);
        }
    for (const auto& u : walk.unnamed)
        if (!AllZero(u.bytes))
            out += "Unnamed / " + std::string(u.name) + " = " + HexText(u.bytes) + '\n';
    return out;
}

std::string DumpRecordJson(const RecordFiles& files, int pcCodePage) {
    std::string out = "{\n  \"format\": " + std::to_string(ProjectJsonFormat) + ",\n  \"kind\": ";
    AppendJsonString(out, RecordFileKindName(files.kind));
    out += ",\n";
    if (files.kind == RecordFileKind::Project) {
        out += std::string("  \"layout\": \"") + (files.olderImage ? "older" : "whole") + "\",\n";
        out += "  \"side files\": [";
        if (files.passwords) out += files.pid ? "\"passwords\", " : "\"passwords\"";
        if (files.pid) out += "\"pid\"";
        out += "],\n";
    }
    out += "  \"code page\": " + std::to_string(pcCodePage) + ",\n";
    const RecordWalk<const std::uint8_t> walk = WalkRecords(files);
    JsonWriter writer(out, pcCodePage);
    for (const auto& block : walk.blocks) {
        out += "  ";
        AppendJsonString(out, block.key);
        out += ": ";
        if (block.single) {
            writer.Record(*block.records[0].layout, block.records[0].bytes, 1);
        } else {
            out += "[\n";
            for (std::size_t i = 0; i < block.records.size(); ++i) {
                out += "    ";
                writer.Record(*block.records[i].layout, block.records[i].bytes, 2);
                out += i + 1 < block.records.size() ? ",\n" : "\n";
            }
            out += "  ]";
        }
        out += ",\n";
    }
    out += "  \"unnamed\": {";
    for (std::size_t i = 0; i < walk.unnamed.size(); ++i) {
        out += i == 0 ? "\n    " : ",\n    ";
        AppendJsonString(out, walk.unnamed[i].name);
        out += ": ";
        AppendJsonString(out, HexText(walk.unnamed[i].bytes));
    }
    out += walk.unnamed.empty() ? "}\n}\n" : "\n  }\n}\n";
    return out;
}

RecordFilesBuild BuildRecordFiles(std::string_view json) {
    RecordFilesBuild result;
    try {
        result.files = BuildFiles(json);
    } catch (const BuildError& e) {
        result.error = e.message;
    }
    return result;
}

RecordFilesDiff DiffRecordFiles(const RecordFiles& left, const RecordFiles& right, int pcCodePage) {
    RecordFilesDiff diff;
    if (left.kind != right.kind) {
        diff.error = "a " + std::string(RecordFileKindName(left.kind)) + " file and a " +
                     std::string(RecordFileKindName(right.kind)) + " file are not compared";
        return diff;
    }
    const RecordWalk<const std::uint8_t> l = WalkRecords(left);
    const RecordWalk<const std::uint8_t> r = WalkRecords(right);
    // Blocks in walk order; one that only one side has is named once.
    for (const auto& block : l.blocks) {
        const auto other = std::find_if(r.blocks.begin(), r.blocks.end(),
                                        [&](const auto& b) { return b.key == block.key; });
        if (other == r.blocks.end()) {
            diff.rows.push_back({block.label, {}, "present", "missing"});
            continue;
        }
        for (std::size_t i = 0; i < block.records.size(); ++i) {
            const auto& a = block.records[i];
            const auto& b = other->records[i];
            for (const FieldDifference& d :
                 CompareRecords(*a.layout, a.bytes, b.bytes, {CompareMode::EveryByte}))
                diff.rows.push_back(ShownDifference(a.label, d, pcCodePage));
        }
    }
    for (const auto& block : r.blocks)
        if (std::none_of(l.blocks.begin(), l.blocks.end(),
                         [&](const auto& b) { return b.key == block.key; }))
            diff.rows.push_back({block.label, {}, "missing", "present"});
    for (const auto& u : l.unnamed) {
        const auto* other = FindNamed(r.unnamed, u.name);
        const std::size_t common = other ? std::min(u.bytes.size(), other->bytes.size()) : 0;
        for (std::size_t i = 0; i < common; ++i)
            if (u.bytes[i] != other->bytes[i])
                diff.rows.push_back({std::string(u.name) + '[' + std::to_string(i) + ']',
                                     {},
                                     HexText(u.bytes.subspan(i, 1)),
                                     HexText(other->bytes.subspan(i, 1))});
        const std::size_t otherSize = other ? other->bytes.size() : 0;
        if (u.bytes.size() != otherSize)
            diff.rows.push_back({std::string(u.name),
                                 {},
                                 std::to_string(u.bytes.size()) + " bytes",
                                 std::to_string(otherSize) + " bytes"});
    }
    for (const auto& u : r.unnamed)
        if (!FindNamed(l.unnamed, u.name))
            diff.rows.push_back(
                {std::string(u.name), {}, "0 bytes", std::to_string(u.bytes.size()) + " bytes"});
    return diff;
}

RecordFilesDiff DiffProjectWithFile(const Project& project, const std::string& path,
                                    int pcCodePage) {
    RecordFilesDiff diff;
    RecordFilesRead read = ReadRecordFiles(path);
    if (!read) {
        diff.error = std::move(read.error);
    } else if (read.files.kind != RecordFileKind::Project) {
        diff.error = path + " is a " + std::string(RecordFileKindName(read.files.kind)) +
                     " file, not a project";
    } else {
        diff = DiffRecordFiles(ProjectRecordFiles(project), read.files, pcCodePage);
    }
    return diff;
}

} // namespace zyl
