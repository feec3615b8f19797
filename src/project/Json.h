#pragma once

// A small strict JSON reader (RFC 8259: no comments, no trailing commas, no duplicate keys,
// UTF-8 only) for the files people edit by hand, with limits on size and depth, and the
// writing of JSON strings. Numbers keep the text they were written with, so that the reader
// of a value decides how exactly it must be held.

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zyl {

struct JsonValue {
    enum class Type : unsigned char { Null, Bool, Number, String, Array, Object };
    Type type = Type::Null;
    bool boolean = false;
    std::string text;              // a number as written, or a string's UTF-8
    std::vector<JsonValue> items;  // an array's values, an object's values
    std::vector<std::string> keys; // an object's keys, in the order written, beside its items

    // The member of an object; nullptr when there is none.
    [[nodiscard]] const JsonValue* Find(std::string_view key) const;
};

struct JsonLimits {
    std::size_t maxBytes = 64u << 20;
    int maxDepth = 32;
};

struct JsonParse {
    JsonValue value;
    std::string error; // "line 3, column 7: expected ':'"; empty when the text was read
    explicit operator bool() const { return error.empty(); }
};

[[nodiscard]] JsonParse ParseJson(std::string_view text, JsonLimits limits = {});

// The JSON name of a value's type: "a number", "a string", ...
[[nodiscard]] const char* JsonTypeName(JsonValue::Type type);

// Appends the UTF-8 text as a JSON string, quotes included.
void AppendJsonString(std::string& out, std::string_view utf8);

} // namespace zyl
