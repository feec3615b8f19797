#include "project/Json.h"

#include "panel/CodePage.h"

#include <algorithm>
#include <cstdio>

namespace zyl {

const JsonValue* JsonValue::Find(std::string_view key) const {
    for (std::size_t i = 0; i < keys.size(); ++i)
        if (keys[i] == key) return &items[i];
    return nullptr;
}

const char* JsonTypeName(JsonValue::Type type) {
    switch (type) {
    case JsonValue::Type::Null:
        return "null";
    case JsonValue::Type::Bool:
        return "true or false";
    case JsonValue::Type::Number:
        return "a number";
    case JsonValue::Type::String:
        return "a string";
    case JsonValue::Type::Array:
        return "an array";
    case JsonValue::Type::Object:
        return "an object";
    }
    return "?";
}

namespace {

class Reader {
public:
    Reader(std::string_view text, JsonLimits limits) : text_(text), limits_(limits) {}

    JsonParse Read() {
        JsonParse result;
        if (text_.size() > limits_.maxBytes) {
            result.error = "the text is longer than " + std::to_string(limits_.maxBytes) + " bytes";
            return result;
        }
        if (!IsUtf8(text_)) {
            // Find the place for the message.
            std::size_t pos = 0;
            while (pos < text_.size()) {
                const std::size_t start = pos;
                if (DecodeUtf8(text_, pos) == InvalidUtf8) {
                    pos_ = start;
                    break;
                }
            }
            Fail("the text is not UTF-8");
        } else {
            SkipBlanks();
            if (Value(result.value, 0)) {
                SkipBlanks();
                if (pos_ != text_.size()) Fail("text after the end of the value");
            }
        }
        if (!error_.empty()) result.error = Where() + error_;
        return result;
    }

private:
    std::string Where() const {
        int line = 1, column = 1;
        for (std::size_t i = 0; i < errorPos_ && i < text_.size(); ++i) {
            if (text_[i] == '\n') {
                ++line;
                column = 1;
            } else if ((static_cast<unsigned char>(text_[i]) & 0xC0) != 0x80) {
                ++column;
            }
        }
        return "line " + std::to_string(line) + ", column " + std::to_string(column) + ": ";
    }

    bool Fail(std::string what) {
        if (error_.empty()) {
            error_ = std::move(what);
            errorPos_ = pos_;
        }
        return false;
    }

    void Advance() { ++pos_; }

    bool AtEnd() const { return pos_ >= text_.size(); }
    char Peek() const { return AtEnd() ? '\0' : text_[pos_]; }

    void SkipBlanks() {
        while (!AtEnd() && (Peek() == ' ' || Peek() == '\t' || Peek() == '\n' || Peek() == '\r'))
            Advance();
    }

    bool Expect(char c) {
        if (Peek() != c) return Fail(std::string("expected '") + c + "'");
        Advance();
        return true;
    }

    bool Word(std::string_view word) {
        if (text_.substr(pos_, word.size()) != word) return Fail("unexpected character");
        for (std::size_t i = 0; i < word.size(); ++i) Advance();
        return true;
    }

    bool Value(JsonValue& v, int depth) {
        if (depth >= limits_.maxDepth)
            return Fail("nested deeper than " + std::to_string(limits_.maxDepth) + " levels");
        switch (Peek()) {
        case '{':
            return Object(v, depth);
        case '[':
            return Array(v, depth);
        case '"':
            v.type = JsonValue::Type::String;
            return String(v.text);
        case 't':
            v.type = JsonValue::Type::Bool;
            v.boolean = true;
            return Word("true");
        case 'f':
            v.type = JsonValue::Type::Bool;
            return Word("false");
        case 'n':
            return Word("null");
        default:
            if (Peek() == '-' || (Peek() >= '0' && Peek() <= '9')) return Number(v);
            return Fail(AtEnd() ? "unexpected end of the text" : "unexpected character");
        }
    }

    bool Digits() {
        if (Peek() < '0' || Peek() > '9') return Fail("expected a digit");
        while (Peek() >= '0' && Peek() <= '9') Advance();
        return true;
    }

    bool Number(JsonValue& v) {
        v.type = JsonValue::Type::Number;
        const std::size_t start = pos_;
        if (Peek() == '-') Advance();
        if (Peek() == '0') {
            Advance();
            if (Peek() >= '0' && Peek() <= '9') return Fail("a number must not start with 0");
        } else if (!Digits()) {
            return false;
        }
        if (Peek() == '.') {
            Advance();
            if (!Digits()) return false;
        }
        if (Peek() == 'e' || Peek() == 'E') {
            Advance();
            if (Peek() == '+' || Peek() == '-') Advance();
            if (!Digits()) return false;
        }
        v.text = std::string(text_.substr(start, pos_ - start));
        return true;
    }

    bool Hex4(unsigned& out) {
        out = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = Peek();
            unsigned d;
            if (c >= '0' && c <= '9')
                d = unsigned(c - '0');
            else if (c >= 'a' && c <= 'f')
                d = unsigned(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                d = unsigned(c - 'A' + 10);
            else
                return Fail("expected four hex digits after \\u");
            out = out * 16 + d;
            Advance();
        }
        return true;
    }

    bool String(std::string& out) {
        Advance(); // the opening quote
        for (;;) {
            if (AtEnd()) return Fail("a string is not closed");
            const char c = Peek();
            if (c == '"') {
                Advance();
                return true;
            }
            if (static_cast<unsigned char>(c) < 0x20)
                return Fail("a control character in a string (write it as \\u00XX)");
            if (c != '\\') {
                out += c;
                Advance();
                continue;
            }
            Advance();
            const char e = Peek();
            static constexpr std::string_view From = "\"\\/bfnrt", To = "\"\\/\b\f\n\r\t";
            if (const std::size_t k = From.find(e); k != std::string_view::npos && e != '\0') {
                out += To[k];
                Advance();
                continue;
            }
            if (e != 'u') return Fail("unknown escape in a string");
            Advance();
            unsigned unit;
            if (!Hex4(unit)) return false;
            char32_t cp = unit;
            if (unit >= 0xDC00 && unit <= 0xDFFF) return Fail("a lone low surrogate");
            if (unit >= 0xD800 && unit <= 0xDBFF) {
                unsigned low;
                if (Peek() != '\\' || text_.substr(pos_, 2) != "\\u")
                    return Fail("a high surrogate without its low half");
                Advance();
                Advance();
                if (!Hex4(low)) return false;
                if (low < 0xDC00 || low > 0xDFFF)
                    return Fail("a high surrogate without its low half");
                cp = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
            }
            AppendUtf8(out, cp);
        }
    }

    bool Array(JsonValue& v, int depth) {
        v.type = JsonValue::Type::Array;
        Advance();
        SkipBlanks();
        if (Peek() == ']') {
            Advance();
            return true;
        }
        for (;;) {
            SkipBlanks();
            v.items.emplace_back();
            if (!Value(v.items.back(), depth + 1)) return false;
            SkipBlanks();
            if (Peek() == ']') {
                Advance();
                return true;
            }
            if (!Expect(',')) return Fail("expected ',' or ']'");
        }
    }

    bool Object(JsonValue& v, int depth) {
        v.type = JsonValue::Type::Object;
        Advance();
        SkipBlanks();
        if (Peek() == '}') {
            Advance();
            return true;
        }
        for (;;) {
            SkipBlanks();
            if (Peek() != '"') return Fail("expected a key in quotes");
            const std::size_t keyStart = pos_;
            std::string key;
            if (!String(key)) return false;
            if (v.Find(key)) {
                pos_ = keyStart; // the message points at the key
                return Fail("the key \"" + key + "\" appears twice");
            }
            SkipBlanks();
            if (!Expect(':')) return false;
            SkipBlanks();
            v.keys.push_back(std::move(key));
            v.items.emplace_back();
            if (!Value(v.items.back(), depth + 1)) return false;
            SkipBlanks();
            if (Peek() == '}') {
                Advance();
                return true;
            }
            if (!Expect(',')) return Fail("expected ',' or '}'");
        }
    }

    std::string_view text_;
    JsonLimits limits_;
    std::size_t pos_ = 0;
    std::string error_;
    std::size_t errorPos_ = 0;
};

} // namespace

JsonParse ParseJson(std::string_view text, JsonLimits limits) {
    return Reader(text, limits).Read();
}

void AppendJsonString(std::string& out, std::string_view utf8) {
    out += '"';
    for (const char c : utf8) {
        const auto b = static_cast<unsigned char>(c);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            if (b < 0x20) {
                char buffer[8];
                std::snprintf(buffer, sizeof buffer, "\\u%04X", b);
                out += buffer;
            } else {
                out += c;
            }
        }
    }
    out += '"';
}

} // namespace zyl
