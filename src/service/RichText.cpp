#include "service/RichText.h"

#include "panel/CodePage.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdio>
#include <map>

namespace zyl {

namespace {

constexpr char32_t Replacement = 0xFFFD;
constexpr int MaxHalfPoints = 3276;
constexpr std::size_t MaxFonts = 1024;
constexpr std::size_t MaxColors = 1024;
constexpr int MaxFallback = 255;

// Groups whose content is not text of the page: tables the reader has no use for, document
// information, headers and footers, pictures, objects, field instructions and the like.
constexpr std::array<std::string_view, 64> SkippedDestinations = {
    "stylesheet",
    "info",
    "header",
    "headerl",
    "headerr",
    "headerf",
    "footer",
    "footerl",
    "footerr",
    "footerf",
    "footnote",
    "pict",
    "object",
    "objdata",
    "fldinst",
    "themedata",
    "colorschememapping",
    "latentstyles",
    "datastore",
    "xmlnstbl",
    "listtable",
    "listoverridetable",
    "revtbl",
    "rsidtbl",
    "generator",
    "pgdsctbl",
    "filetbl",
    "bkmkstart",
    "bkmkend",
    "annotation",
    "atnid",
    "atnauthor",
    "atndate",
    "atnref",
    "txe",
    "xe",
    "tc",
    "template",
    "userprops",
    "nonshppict",
    "shpinst",
    "sp",
    "sn",
    "sv",
    "picprop",
    "blipuid",
    "author",
    "operator",
    "title",
    "subject",
    "keywords",
    "comment",
    "doccomm",
    "company",
    "category",
    "manager",
    "hlinkbase",
    "creatim",
    "revtim",
    "printim",
    "buptim",
    "ftnsep",
    "ftnsepc",
    "docvar",
};

struct Symbol {
    std::string_view word;
    char32_t character; // 0: nothing is shown
};

constexpr std::array<Symbol, 15> Symbols = {{
    {"emdash", 0x2014},
    {"endash", 0x2013},
    {"emspace", 0x2003},
    {"enspace", 0x2002},
    {"qmspace", 0x2005},
    {"bullet", 0x2022},
    {"lquote", 0x2018},
    {"rquote", 0x2019},
    {"ldblquote", 0x201C},
    {"rdblquote", 0x201D},
    {"zwj", 0},
    {"zwnj", 0},
    {"ltrmark", 0},
    {"rtlmark", 0},
    {"zwbo", 0},
}};

enum class Destination { Text, FontTable, ColorTable, Skip };

struct ParagraphFormat {
    RichTextAlign align = RichTextAlign::Left;
    int leftIndent = 0;
    int firstLineIndent = 0;
    std::vector<int> tabStops;
};

struct GroupState {
    RichTextStyle style;
    int font = -1; // -1: the document's default font
    int fallback = 1;
    Destination destination = Destination::Text;
    ParagraphFormat paragraph;
};

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

int Clamp(long long v, int lo, int hi) {
    return static_cast<int>(std::clamp<long long>(v, lo, hi));
}

int SupportedCodePage(long long cp) {
    return cp == 1251 || cp == 1252 ? static_cast<int>(cp) : 1250;
}

class Reader {
public:
    explicit Reader(std::string_view in) : in_(in) {}

    RichTextDocument Rtf(std::size_t start) {
        pos_ = start;
        stack_.emplace_back();
        while (pos_ < in_.size() && !ended_) {
            const char c = in_[pos_++];
            switch (c) {
            case '{':
                fallbackLeft_ = 0;
                OpenGroup();
                break;
            case '}':
                fallbackLeft_ = 0;
                CloseGroup();
                break;
            case '\\':
                ControlSequence();
                break;
            case '\r':
            case '\n':
                break;
            default:
                if (SkipsFallback()) break;
                TextByte(static_cast<unsigned char>(c));
            }
        }
        FlushSurrogate();
        if (!paragraph_.runs.empty()) EndParagraph();
        return std::move(document_);
    }

    RichTextDocument Plain() {
        stack_.emplace_back();
        for (std::size_t i = 0; i < in_.size(); ++i) {
            const auto b = static_cast<unsigned char>(in_[i]);
            if (b == '\r' || b == '\n') {
                if (b == '\r' && i + 1 < in_.size() && in_[i + 1] == '\n') ++i;
                EndParagraph();
            } else if (b == '\t' || b >= 0x20) {
                const char byte = static_cast<char>(b);
                Emit(PcToUtf8(1250, std::string_view(&byte, 1)));
            }
        }
        if (!paragraph_.runs.empty()) EndParagraph();
        return std::move(document_);
    }

private:
    GroupState& State() { return stack_.back(); }
    bool InText() { return State().destination == Destination::Text; }

    void OpenGroup() {
        if (stack_.size() < static_cast<std::size_t>(MaxGroupDepth) + 1)
            stack_.push_back(stack_.back());
        else
            ++overflow_;
    }

    void CloseGroup() {
        if (overflow_ > 0) {
            --overflow_;
            return;
        }
        if (State().destination == Destination::ColorTable && colorPending_) CommitColor();
        if (stack_.size() == 2) { // the last paragraph keeps the format of its group
            FlushSurrogate();
            if (!paragraph_.runs.empty()) EndParagraph();
        }
        if (stack_.size() > 1) stack_.pop_back();
        if (stack_.size() == 1) ended_ = true; // the outermost group closed
    }

    bool SkipsFallback() {
        if (fallbackLeft_ <= 0) return false;
        --fallbackLeft_;
        return true;
    }

    void ControlSequence() {
        if (pos_ >= in_.size()) return;
        const char c = in_[pos_];
        if (IsLetter(c)) {
            ControlWord();
            return;
        }
        ++pos_;
        if (c == '\'') {
            int value = 0;
            int digits = 0;
            while (digits < 2 && pos_ < in_.size() && HexValue(in_[pos_]) >= 0)
                value = value * 16 + HexValue(in_[pos_++]), ++digits;
            if (digits < 2 || SkipsFallback()) return;
            TextByte(static_cast<unsigned char>(value));
            return;
        }
        if (c == '*') {
            State().destination = Destination::Skip;
            return;
        }
        if (SkipsFallback()) return;
        switch (c) {
        case '\\':
        case '{':
        case '}':
            EmitCodePoint(static_cast<unsigned char>(c));
            break;
        case '~':
            EmitCodePoint(0x00A0);
            break;
        case '_':
            EmitCodePoint(0x2011);
            break;
        case '\r':
        case '\n':
            Paragraph();
            break;
        default: // "\-" (an optional hyphen) and the rest show nothing
            break;
        }
    }

    void ControlWord() {
        const std::size_t start = pos_;
        while (pos_ < in_.size() && IsLetter(in_[pos_])) ++pos_;
        std::string_view word = in_.substr(start, pos_ - start);
        if (word.size() > 32) word = {};
        bool negative = false;
        if (pos_ + 1 < in_.size() && in_[pos_] == '-' && IsDigit(in_[pos_ + 1])) {
            negative = true;
            ++pos_;
        }
        bool hasParam = false;
        long long param = 0;
        while (pos_ < in_.size() && IsDigit(in_[pos_])) {
            hasParam = true;
            if (param < 100000000000LL) param = param * 10 + (in_[pos_] - '0');
            ++pos_;
        }
        if (negative) param = -param;
        if (pos_ < in_.size() && in_[pos_] == ' ') ++pos_;

        if (word == "bin") { // binary data: its bytes are not control text
            const long long n = hasParam ? std::max(param, 0LL) : 0;
            pos_ += static_cast<std::size_t>(
                std::min<long long>(n, static_cast<long long>(in_.size() - pos_)));
            return;
        }
        if (SkipsFallback()) return;
        if (State().destination == Destination::Skip) return;
        if (std::find(SkippedDestinations.begin(), SkippedDestinations.end(), word) !=
            SkippedDestinations.end()) {
            State().destination = Destination::Skip;
            return;
        }
        if (word == "fonttbl") {
            State().destination = Destination::FontTable;
            return;
        }
        if (word == "colortbl") {
            State().destination = Destination::ColorTable;
            colorPending_ = false;
            red_ = green_ = blue_ = 0;
            return;
        }
        if (State().destination == Destination::FontTable) {
            FontTableWord(word, param);
            return;
        }
        if (State().destination == Destination::ColorTable) {
            if (word == "red" || word == "green" || word == "blue") {
                const int v = Clamp(param, 0, 255);
                (word == "red" ? red_ : word == "green" ? green_ : blue_) = v;
                colorPending_ = true;
            }
            return;
        }
        DocumentWord(word, hasParam, param);
    }

    void FontTableWord(std::string_view word, long long param) {
        if (word == "f") {
            fontEntry_ = Clamp(param, INT_MIN, INT_MAX);
        } else if (word == "fcharset" || word == "cpg") {
            int cp = 0; // 0: the document's code page
            if (word == "cpg")
                cp = SupportedCodePage(param);
            else if (param == 0)
                cp = 1252;
            else if (param == 238)
                cp = 1250;
            else if (param == 204)
                cp = 1251;
            if (fontCodePages_.size() < MaxFonts || fontCodePages_.count(fontEntry_))
                fontCodePages_[fontEntry_] = cp;
        }
    }

    void DocumentWord(std::string_view word, bool hasParam, long long param) {
        GroupState& s = State();
        RichTextStyle& style = s.style;
        ParagraphFormat& para = s.paragraph;
        const bool on = !hasParam || param != 0;
        if (word == "ansicpg") {
            codePage_ = SupportedCodePage(param);
        } else if (word == "deff") {
            defaultFont_ = Clamp(param, INT_MIN, INT_MAX);
        } else if (word == "uc") {
            s.fallback = Clamp(param, 0, MaxFallback);
        } else if (word == "u") {
            if (!hasParam) return;
            long long cp = param < 0 ? param + 65536 : param;
            if (cp <= 0 || cp > 0x10FFFF) cp = Replacement;
            UnicodeEscape(static_cast<char32_t>(cp));
            fallbackLeft_ = s.fallback;
        } else if (word == "par" || word == "sect" || word == "page") {
            Paragraph();
        } else if (word == "line") {
            EmitCodePoint('\n');
        } else if (word == "tab") {
            EmitCodePoint('\t');
        } else if (word == "cell" || word == "nestcell") {
            EmitCodePoint('\t');
            cellEnded_ = true;
        } else if (word == "row" || word == "nestrow") {
            if (cellEnded_ && InText()) DropCellTab();
            Paragraph();
        } else if (word == "b") {
            style.bold = on;
        } else if (word == "i") {
            style.italic = on;
        } else if (word == "ul" || word == "uld" || word == "uldb" || word == "ulw" ||
                   word == "uldash" || word == "ulth" || word == "ulwave") {
            style.underline = on;
        } else if (word == "ulnone") {
            style.underline = false;
        } else if (word == "fs") {
            style.halfPoints =
                hasParam && param > 0 ? Clamp(param, 2, MaxHalfPoints) : DefaultHalfPoints;
        } else if (word == "cf") {
            style.color = param >= 0 && param < static_cast<long long>(colors_.size())
                              ? colors_[static_cast<std::size_t>(param)]
                              : AutoColor;
        } else if (word == "plain") {
            style = RichTextStyle{};
            s.font = -1;
        } else if (word == "f") {
            s.font = Clamp(param, INT_MIN, INT_MAX);
        } else if (word == "pard") {
            para = ParagraphFormat{};
        } else if (word == "ql") {
            para.align = RichTextAlign::Left;
        } else if (word == "qc") {
            para.align = RichTextAlign::Center;
        } else if (word == "qr") {
            para.align = RichTextAlign::Right;
        } else if (word == "qj") {
            para.align = RichTextAlign::Justify;
        } else if (word == "li") {
            para.leftIndent = Clamp(param, -MaxIndent, MaxIndent);
        } else if (word == "fi") {
            para.firstLineIndent = Clamp(param, -MaxIndent, MaxIndent);
        } else if (word == "tx" || word == "tb") {
            if (para.tabStops.size() < MaxTabStops)
                para.tabStops.push_back(Clamp(param, 0, MaxIndent));
        } else {
            for (const Symbol& symbol : Symbols)
                if (symbol.word == word) {
                    if (symbol.character) EmitCodePoint(symbol.character);
                    return;
                }
        }
    }

    void CommitColor() {
        if (colors_.size() < MaxColors)
            colors_.push_back(colorPending_ ? (static_cast<std::uint32_t>(red_) << 16) |
                                                  (static_cast<std::uint32_t>(green_) << 8) |
                                                  static_cast<std::uint32_t>(blue_)
                                            : AutoColor);
        colorPending_ = false;
        red_ = green_ = blue_ = 0;
    }

    int CodePageOfFont(int font) const {
        if (font < 0) font = defaultFont_;
        const auto it = fontCodePages_.find(font);
        return it == fontCodePages_.end() || it->second == 0 ? codePage_ : it->second;
    }

    void TextByte(unsigned char b) {
        const Destination d = State().destination;
        if (d == Destination::ColorTable && b == ';') {
            CommitColor();
            return;
        }
        if (d != Destination::Text) return;
        if (b < 0x80) {
            EmitCodePoint(b);
            return;
        }
        const char byte = static_cast<char>(b);
        FlushSurrogate();
        Emit(PcToUtf8(CodePageOfFont(State().font), std::string_view(&byte, 1)));
    }

    void UnicodeEscape(char32_t cp) {
        if (!InText()) return;
        if (cp >= 0xD800 && cp <= 0xDBFF) {
            FlushSurrogate();
            highSurrogate_ = cp;
            return;
        }
        if (cp >= 0xDC00 && cp <= 0xDFFF) {
            if (highSurrogate_) {
                const char32_t joined = 0x10000 + ((highSurrogate_ - 0xD800) << 10) + (cp - 0xDC00);
                highSurrogate_ = 0;
                EmitCodePoint(joined);
            } else {
                EmitCodePoint(Replacement);
            }
            return;
        }
        EmitCodePoint(cp);
    }

    void FlushSurrogate() {
        if (!highSurrogate_) return;
        highSurrogate_ = 0;
        if (InText()) EmitCodePoint(Replacement);
    }

    void EmitCodePoint(char32_t cp) {
        if (!InText()) return;
        FlushSurrogate();
        if (cp == 0x2028 || cp == 0x2029) cp = '\n';
        if (cp < 0x20 && cp != '\t' && cp != '\n') return;
        std::string utf8;
        AppendUtf8(utf8, cp);
        Emit(utf8);
    }

    void Emit(std::string_view utf8) {
        cellEnded_ = false;
        const RichTextStyle& style = State().style;
        auto& runs = paragraph_.runs;
        if (runs.empty() || !(runs.back().style == style)) runs.push_back(RichTextRun{{}, style});
        runs.back().text += utf8;
    }

    // A row's last cell ends in no tab.
    void DropCellTab() {
        auto& runs = paragraph_.runs;
        if (runs.empty() || runs.back().text.empty() || runs.back().text.back() != '\t') return;
        runs.back().text.pop_back();
        if (runs.back().text.empty()) runs.pop_back();
    }

    void Paragraph() {
        if (!InText()) return;
        FlushSurrogate();
        EndParagraph();
    }

    void EndParagraph() {
        cellEnded_ = false;
        const ParagraphFormat& f = State().paragraph;
        paragraph_.align = f.align;
        paragraph_.leftIndent = f.leftIndent;
        paragraph_.firstLineIndent = f.firstLineIndent;
        paragraph_.tabStops = f.tabStops;
        document_.paragraphs.push_back(std::move(paragraph_));
        paragraph_ = RichTextParagraph{};
    }

    std::string_view in_;
    std::size_t pos_ = 0;
    std::vector<GroupState> stack_;
    int overflow_ = 0;
    bool ended_ = false;

    int codePage_ = 1252;
    int defaultFont_ = 0;
    int fontEntry_ = 0;
    std::map<int, int> fontCodePages_; // 0: the document's code page
    std::vector<std::uint32_t> colors_;
    bool colorPending_ = false;
    int red_ = 0, green_ = 0, blue_ = 0;

    int fallbackLeft_ = 0;
    char32_t highSurrogate_ = 0;
    bool cellEnded_ = false;

    RichTextDocument document_;
    RichTextParagraph paragraph_;
};

std::size_t RtfStart(std::string_view bytes) {
    std::size_t i = 0;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") i = 3;
    while (i < bytes.size() &&
           (bytes[i] == ' ' || bytes[i] == '\t' || bytes[i] == '\r' || bytes[i] == '\n'))
        ++i;
    return bytes.substr(i, 5) == "{\\rtf" ? i : std::string_view::npos;
}

void AppendNumber(std::string& out, const char* word, long long value) {
    out += '\\';
    out += word;
    out += std::to_string(value);
}

void AppendEscapedText(std::string& out, std::string_view utf8) {
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        char32_t cp = DecodeUtf8(utf8, pos);
        if (cp == InvalidUtf8) cp = Replacement;
        if (cp == '\\' || cp == '{' || cp == '}') {
            out += '\\';
            out += static_cast<char>(cp);
        } else if (cp == '\t') {
            out += "\\tab ";
        } else if (cp == '\n') {
            out += "\\line ";
        } else if (cp < 0x20) {
            continue;
        } else if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else {
            std::string one;
            AppendUtf8(one, cp);
            const std::string byte = Utf8ToPc(1250, one);
            if (byte != "?") {
                char hex[8];
                std::snprintf(hex, sizeof hex, "\\'%02x", static_cast<unsigned char>(byte[0]));
                out += hex;
                continue;
            }
            auto escape = [&out](char32_t unit) {
                AppendNumber(out, "u",
                             unit > 0x7FFF ? static_cast<long long>(unit) - 0x10000 : unit);
                out += '?';
            };
            if (cp > 0xFFFF) {
                escape(0xD800 + ((cp - 0x10000) >> 10));
                escape(0xDC00 + ((cp - 0x10000) & 0x3FF));
            } else {
                escape(cp);
            }
        }
    }
}

} // namespace

RichTextDocument ReadRichText(std::string_view bytes) {
    const std::size_t start = RtfStart(bytes);
    Reader reader(bytes);
    return start == std::string_view::npos ? reader.Plain() : reader.Rtf(start);
}

std::string WriteRichText(const RichTextDocument& document) {
    std::vector<std::uint32_t> colors;
    for (const auto& p : document.paragraphs)
        for (const auto& r : p.runs)
            if (r.style.color != AutoColor &&
                std::find(colors.begin(), colors.end(), r.style.color) == colors.end())
                colors.push_back(r.style.color);

    std::string out = "{\\rtf1\\ansi\\ansicpg1250\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset238 "
                      "Arial;}}\n{\\colortbl;";
    for (std::uint32_t c : colors) {
        AppendNumber(out, "red", (c >> 16) & 0xFF);
        AppendNumber(out, "green", (c >> 8) & 0xFF);
        AppendNumber(out, "blue", c & 0xFF);
        out += ';';
    }
    out += "}\n\\uc1\n";
    for (const auto& p : document.paragraphs) {
        out += "\\pard";
        switch (p.align) {
        case RichTextAlign::Left:
            break;
        case RichTextAlign::Center:
            out += "\\qc";
            break;
        case RichTextAlign::Right:
            out += "\\qr";
            break;
        case RichTextAlign::Justify:
            out += "\\qj";
            break;
        }
        if (p.leftIndent) AppendNumber(out, "li", p.leftIndent);
        if (p.firstLineIndent) AppendNumber(out, "fi", p.firstLineIndent);
        for (int tab : p.tabStops) AppendNumber(out, "tx", tab);
        for (const auto& r : p.runs) {
            out += "\\plain";
            if (r.style.halfPoints != DefaultHalfPoints)
                AppendNumber(out, "fs", r.style.halfPoints);
            if (r.style.bold) out += "\\b";
            if (r.style.italic) out += "\\i";
            if (r.style.underline) out += "\\ul";
            if (r.style.color != AutoColor) {
                const auto at = std::find(colors.begin(), colors.end(), r.style.color);
                AppendNumber(out, "cf", 1 + (at - colors.begin()));
            }
            out += ' ';
            AppendEscapedText(out, r.text);
        }
        out += "\\par\n";
    }
    out += "}\n";
    return out;
}

} // namespace zyl
