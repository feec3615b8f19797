#include "panel/CodePage.h"

#include <cstdint>
#include <utility>

namespace zyl {

namespace {

// One byte table: the output byte for every input byte, or Drop.
constexpr std::int16_t Drop = -1;
using ByteMap = std::array<std::int16_t, 256>;
using Pair = std::pair<std::uint8_t, std::uint8_t>;

template <std::size_t N> constexpr ByteMap MakeMap(const std::array<Pair, N>& pairs) {
    ByteMap map{};
    for (int b = 0; b < 256; ++b) map[static_cast<std::size_t>(b)] = static_cast<std::int16_t>(b);
    for (const Pair& p : pairs) map[p.first] = p.second;
    return map;
}

// Windows-1251 to the controller's 866 letters and signs.
constexpr ByteMap MakeCyrillicTo() {
    ByteMap map = MakeMap(std::array<Pair, 10>{{{0xA1, 0xF6},
                                                {0xA2, 0xF7},
                                                {0xA8, 0xF0},
                                                {0xAA, 0xF2},
                                                {0xAF, 0xF4},
                                                {0xB0, 0xF8},
                                                {0xB8, 0xF1},
                                                {0xB9, 0xFC},
                                                {0xBA, 0xF3},
                                                {0xBF, 0xF5}}});
    for (int b = 0x80; b <= 0xBF; ++b)
        if (map[static_cast<std::size_t>(b)] == b) map[static_cast<std::size_t>(b)] = Drop;
    for (int b = 0xC0; b <= 0xEF; ++b)
        map[static_cast<std::size_t>(b)] = static_cast<std::int16_t>(b - 0x40);
    for (int b = 0xF0; b <= 0xFF; ++b)
        map[static_cast<std::size_t>(b)] = static_cast<std::int16_t>(b - 0x10);
    return map;
}

constexpr ByteMap MakeCyrillicFrom() {
    ByteMap map = MakeMap(std::array<Pair, 12>{{{0xF0, 0xA8},
                                                {0xF1, 0xB8},
                                                {0xF2, 0xAA},
                                                {0xF3, 0xBA},
                                                {0xF4, 0xAF},
                                                {0xF5, 0xBF},
                                                {0xF6, 0xA1},
                                                {0xF7, 0xA2},
                                                {0xF8, 0xB0},
                                                {0xF9, 0xB0},
                                                {0xFA, 0xB0},
                                                {0xFC, 0xB9}}});
    for (int b = 0x80; b <= 0xAF; ++b)
        map[static_cast<std::size_t>(b)] = static_cast<std::int16_t>(b + 0x40);
    for (int b = 0xB0; b <= 0xDF; ++b) map[static_cast<std::size_t>(b)] = Drop;
    for (int b = 0xE0; b <= 0xEF; ++b)
        map[static_cast<std::size_t>(b)] = static_cast<std::int16_t>(b + 0x10);
    for (int b : {0xFB, 0xFD, 0xFE, 0xFF}) map[static_cast<std::size_t>(b)] = Drop;
    return map;
}

constexpr ByteMap CyrillicTo = MakeCyrillicTo();
constexpr ByteMap CyrillicFrom = MakeCyrillicFrom();

constexpr ByteMap PolishTo = MakeMap(std::array<Pair, 9>{{{0x8C, 0x97},
                                                          {0x8F, 0x8D},
                                                          {0xA3, 0x9D},
                                                          {0xA5, 0xA4},
                                                          {0xAF, 0xBD},
                                                          {0xC6, 0x8F},
                                                          {0xCA, 0xA8},
                                                          {0xD1, 0xE3},
                                                          {0xD3, 0xE0}}});

constexpr ByteMap PolishFrom = MakeMap(std::array<Pair, 9>{{{0x8D, 0x8F},
                                                            {0x8F, 0xC6},
                                                            {0x97, 0x8C},
                                                            {0x9D, 0xA3},
                                                            {0xA4, 0xA5},
                                                            {0xA8, 0xCA},
                                                            {0xBD, 0xAF},
                                                            {0xE0, 0xD3},
                                                            {0xE3, 0xD1}}});

// The controller's own variant of 852; it differs from the published code page on purpose
// (e.g. t with caron goes out as AA and l with caron shares A1 with i acute).
constexpr ByteMap Pc852To = MakeMap(std::array<Pair, 80>{{
    {0x84, 0xF1}, {0x8A, 0xE6}, {0x8C, 0x97}, {0x8D, 0x9B}, {0x8E, 0xA6}, {0x8F, 0x8D},
    {0x9A, 0xE7}, {0x9C, 0x98}, {0x9D, 0xAA}, {0x9E, 0xA7}, {0x9F, 0xAB}, {0xA3, 0x9D},
    {0xA5, 0xA4}, {0xAA, 0xB8}, {0xAF, 0xBD}, {0xB3, 0x88}, {0xB9, 0xA5}, {0xBA, 0xAD},
    {0xBC, 0x95}, {0xBE, 0xA1}, {0xBF, 0xBE}, {0xC0, 0xE8}, {0xC1, 0xB5}, {0xC2, 0xB6},
    {0xC3, 0xC6}, {0xC4, 0x8E}, {0xC5, 0x91}, {0xC6, 0x8F}, {0xC7, 0x80}, {0xC8, 0xAC},
    {0xC9, 0x90}, {0xCA, 0xA8}, {0xCB, 0xD3}, {0xCC, 0xB7}, {0xCD, 0xD6}, {0xCE, 0x8C},
    {0xCF, 0xD2}, {0xD0, 0xD1}, {0xD1, 0xE3}, {0xD2, 0xD5}, {0xD3, 0xE2}, {0xD5, 0x8A},
    {0xD6, 0x99}, {0xD8, 0xFC}, {0xD9, 0xDE}, {0xDA, 0xE9}, {0xDB, 0xEB}, {0xDC, 0x9A},
    {0xDD, 0xED}, {0xDE, 0xDD}, {0xDF, 0xE1}, {0xE0, 0xEA}, {0xE1, 0xA0}, {0xE2, 0x83},
    {0xE3, 0xC7}, {0xE4, 0x84}, {0xE5, 0x92}, {0xE6, 0x86}, {0xE7, 0x87}, {0xE8, 0x9F},
    {0xE9, 0x82}, {0xEA, 0xA9}, {0xEB, 0x89}, {0xEC, 0xD8}, {0xED, 0xA1}, {0xEE, 0xD7},
    {0xEF, 0xD4}, {0xF0, 0xD0}, {0xF1, 0xE4}, {0xF2, 0xE5}, {0xF3, 0xE0}, {0xF5, 0x8B},
    {0xF6, 0x94}, {0xF7, 0xF6}, {0xF8, 0xFD}, {0xF9, 0x85}, {0xFA, 0xA3}, {0xFC, 0x81},
    {0xFD, 0xEC}, {0xFE, 0xEE},
}});

constexpr ByteMap Pc852From = MakeMap(std::array<Pair, 79>{{
    {0x80, 0xC7}, {0x81, 0xFC}, {0x82, 0xE9}, {0x83, 0xE2}, {0x84, 0xE4}, {0x85, 0xF9},
    {0x86, 0xE6}, {0x87, 0xE7}, {0x88, 0xB3}, {0x89, 0xEB}, {0x8A, 0xD5}, {0x8B, 0xF5},
    {0x8C, 0xCE}, {0x8D, 0x8F}, {0x8E, 0xC4}, {0x8F, 0xC6}, {0x90, 0xC9}, {0x91, 0xC5},
    {0x92, 0xE5}, {0x94, 0xF6}, {0x95, 0xBC}, {0x97, 0x8C}, {0x98, 0x9C}, {0x99, 0xD6},
    {0x9A, 0xDC}, {0x9B, 0x8D}, {0x9D, 0xA3}, {0x9F, 0xE8}, {0xA0, 0xE1}, {0xA1, 0xED},
    {0xA3, 0xFA}, {0xA4, 0xA5}, {0xA5, 0xB9}, {0xA6, 0x8E}, {0xA7, 0x9E}, {0xA8, 0xCA},
    {0xA9, 0xEA}, {0xAA, 0x9D}, {0xAB, 0x9F}, {0xAC, 0xC8}, {0xAD, 0xBA}, {0xB5, 0xC1},
    {0xB6, 0xC2}, {0xB7, 0xCC}, {0xB8, 0xAA}, {0xBD, 0xAF}, {0xBE, 0xBF}, {0xC6, 0xC3},
    {0xC7, 0xE3}, {0xD0, 0xF0}, {0xD1, 0xD0}, {0xD2, 0xCF}, {0xD3, 0xCB}, {0xD4, 0xEF},
    {0xD5, 0xD2}, {0xD6, 0xCD}, {0xD7, 0xEE}, {0xD8, 0xEC}, {0xDD, 0xDE}, {0xDE, 0xD9},
    {0xE0, 0xF3}, {0xE1, 0xDF}, {0xE2, 0xD3}, {0xE3, 0xD1}, {0xE4, 0xF1}, {0xE5, 0xF2},
    {0xE6, 0x8A}, {0xE7, 0x9A}, {0xE8, 0xC0}, {0xE9, 0xDA}, {0xEA, 0xE0}, {0xEB, 0xDB},
    {0xEC, 0xFD}, {0xED, 0xDD}, {0xEE, 0xFE}, {0xF1, 0x84}, {0xF6, 0xF7}, {0xFC, 0xD8},
    {0xFD, 0xF8},
}});

std::string Convert(const ByteMap& map, std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        const std::int16_t b = map[static_cast<unsigned char>(c)];
        if (b != Drop) out.push_back(static_cast<char>(b));
    }
    return out;
}

const ByteMap* ToMap(int codePage) {
    switch (codePage) {
    case CodePageCyrillic:
        return &CyrillicTo;
    case CodePagePolish:
        return &PolishTo;
    case CodePagePC852:
        return &Pc852To;
    default:
        return nullptr;
    }
}

const ByteMap* FromMap(int codePage) {
    switch (codePage) {
    case CodePageCyrillic:
        return &CyrillicFrom;
    case CodePagePolish:
        return &PolishFrom;
    case CodePagePC852:
        return &Pc852From;
    default:
        return nullptr;
    }
}

// Unicode of the bytes 80 to FF; 0xFFFD where the code page has no character.
using UpperHalf = std::array<char16_t, 128>;

constexpr UpperHalf Windows1250 = {
    0x20AC, 0xFFFD, 0x201A, 0xFFFD, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0xFFFD, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179, // 88
    0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0xFFFD, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, // 98
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7, // A0
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B, // A8
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7, // B0
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C, // B8
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7, // C0
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E, // C8
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7, // D0
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF, // D8
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7, // E0
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F, // E8
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7, // F0
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9, // F8
};

constexpr UpperHalf MakeWindows1251() {
    UpperHalf t = {
        0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, // 80
        0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F, // 88
        0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
        0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, // 98
        0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, // A0
        0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, // A8
        0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, // B0
        0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, // B8
    };
    // C0 to FF: the 64 letters А to я in order.
    for (std::size_t i = 0; i < 64; ++i) t[0x40 + i] = static_cast<char16_t>(0x0410 + i);
    return t;
}

constexpr UpperHalf Windows1251 = MakeWindows1251();

constexpr UpperHalf MakeWindows1252() {
    UpperHalf t = {
        0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80
        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, // 88
        0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178, // 98
    };
    // A0 to FF: Latin-1.
    for (std::size_t i = 0x20; i < 0x80; ++i) t[i] = static_cast<char16_t>(0x80 + i);
    return t;
}

constexpr UpperHalf Windows1252 = MakeWindows1252();

const UpperHalf& PcTable(int pcCodePage) {
    if (pcCodePage == 1251) return Windows1251;
    if (pcCodePage == 1252) return Windows1252;
    return Windows1250;
}

} // namespace

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

char32_t DecodeUtf8(std::string_view text, std::size_t& pos) {
    const auto lead = static_cast<unsigned char>(text[pos++]);
    if (lead < 0x80) return lead;
    int extra = 0;
    char32_t cp = 0;
    char32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        extra = 1;
        cp = lead & 0x1F;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        extra = 2;
        cp = lead & 0x0F;
        minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        extra = 3;
        cp = lead & 0x07;
        minimum = 0x10000;
    } else {
        return InvalidUtf8;
    }
    for (int i = 0; i < extra; ++i) {
        if (pos >= text.size()) return InvalidUtf8;
        const auto c = static_cast<unsigned char>(text[pos]);
        if ((c & 0xC0) != 0x80) return InvalidUtf8;
        cp = (cp << 6) | (c & 0x3F);
        ++pos;
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return InvalidUtf8;
    return cp;
}

bool IsUtf8(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size())
        if (DecodeUtf8(text, pos) == InvalidUtf8) return false;
    return true;
}

std::string ToControllerText(int codePage, std::string_view text) {
    const ByteMap* map = ToMap(codePage);
    return map ? Convert(*map, text) : std::string(text);
}

std::string FromControllerText(int codePage, std::string_view text) {
    const ByteMap* map = FromMap(codePage);
    return map ? Convert(*map, text) : std::string(text);
}

int PcCodePageFor(int codePage) {
    return codePage == CodePageCyrillic ? 1251 : 1250;
}

std::string PcToUtf8(int pcCodePage, std::string_view bytes) {
    const UpperHalf& table = PcTable(pcCodePage);
    std::string out;
    out.reserve(bytes.size() * 2);
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        AppendUtf8(out, b < 0x80 ? char32_t{b} : char32_t{table[b - 0x80u]});
    }
    return out;
}

std::string Utf8ToPc(int pcCodePage, std::string_view utf8) {
    const UpperHalf& table = PcTable(pcCodePage);
    std::string out;
    out.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const char32_t cp = DecodeUtf8(utf8, pos);
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
            continue;
        }
        char byte = '?';
        if (cp != 0xFFFD && cp != InvalidUtf8)
            for (std::size_t i = 0; i < table.size(); ++i)
                if (table[i] == cp) {
                    byte = static_cast<char>(0x80 + i);
                    break;
                }
        out.push_back(byte);
    }
    return out;
}

} // namespace zyl
