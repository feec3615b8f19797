#include "panel/MenuStreams.h"

#include "panel/CodePage.h"

namespace zyl {

namespace {

constexpr std::uint8_t EndMark = 0xFE;
constexpr char Blank = ' ';

std::uint8_t Byte(std::string_view bytes, std::size_t i) {
    return static_cast<std::uint8_t>(bytes[i]);
}

} // namespace

std::vector<MenuGroupDescriptor> ParseMenuStructure(std::string_view structure) {
    std::vector<MenuGroupDescriptor> groups;
    for (std::size_t at = 2; at + 4 <= structure.size(); at += 4) {
        const std::uint8_t count = Byte(structure, at);
        if (count == 0 || count == EndMark) break;
        groups.push_back({count, Byte(structure, at + 1), Byte(structure, at + 2)});
    }
    return groups;
}

std::vector<TMenuRow> RowsFromStructure(std::string_view structure) {
    std::vector<TMenuRow> rows;
    int group = 0;
    for (const MenuGroupDescriptor& descriptor : ParseMenuStructure(structure)) {
        ++group;
        for (int i = 0; i < descriptor.count; ++i) {
            TMenuRow row;
            row.nr_wew = static_cast<int>(rows.size()) + 1;
            row.nr = group;
            row.znak1 = descriptor.znak1;
            row.znak2 = descriptor.znak2;
            rows.push_back(std::move(row));
        }
    }
    return rows;
}

std::size_t MenuStreamSize(const std::vector<MenuGroupDescriptor>& groups) {
    std::size_t size = 2 + 2;
    for (const MenuGroupDescriptor& group : groups) size += 4 + MenuEntryBytes * group.count;
    return size;
}

std::vector<MenuStreamEntry> ParseMenuTextStream(std::string_view stream) {
    std::vector<MenuStreamEntry> entries;
    // FF, then each group: 00, count, znak1, znak2, count entries of 00, 20 bytes, 00.
    std::size_t at = 1;
    for (int group = 1;; ++group) {
        if (at + 4 > stream.size() || Byte(stream, at) != 0x00) break;
        const std::uint8_t count = Byte(stream, at + 1);
        if (count == 0 || count == EndMark) break;
        const std::size_t body = at + 4;
        if (body + MenuEntryBytes * count > stream.size()) break;
        for (std::size_t i = 0; i < count; ++i)
            entries.push_back({group, std::string(stream.substr(body + i * MenuEntryBytes + 1,
                                                                MenuTextPanelSize))});
        at = body + MenuEntryBytes * count;
    }
    return entries;
}

int MenuTransferCodePage(MenuLayout layout, const MenuLanguages& languages, int language) {
    if (layout == MenuLayout::Structure)
        return language == 0 ? CodePagePolish : languages.CodePageOf(language);
    if (language == 0) return CodePageStandard;
    return languages.CodePageOf(language) == CodePageCyrillic ? CodePageCyrillic : CodePageStandard;
}

std::string MenuTextToPanel(MenuLayout layout, int codePage, std::string_view text) {
    std::string shown(text.substr(0, MenuTextPanelSize));
    if (layout == MenuLayout::Structure)
        for (char& c : shown)
            if (static_cast<std::uint8_t>(c) == 0xA0) c = Blank;
    std::string converted = ToControllerText(codePage, shown);
    converted.resize(MenuTextPanelSize, Blank);
    return converted;
}

std::string BuildMenuTextStream(const std::vector<TMenuRow>& rows, MenuLayout layout,
                                const MenuLanguages& languages, int language) {
    const int codePage = MenuTransferCodePage(layout, languages, language);
    const std::size_t slot = static_cast<std::size_t>(language);
    std::string stream(1, '\xFF');
    for (std::size_t first = 0; first < rows.size();) {
        std::size_t end = first;
        while (end < rows.size() && rows[end].nr == rows[first].nr) ++end;
        // A group's count is one byte: a longer run of rows continues as a further group.
        if (end - first > 253) end = first + 253;
        stream.push_back('\0');
        stream.push_back(static_cast<char>(end - first));
        if (layout == MenuLayout::Predefined) {
            stream.push_back('\x03');
            stream.push_back('\x01');
        } else {
            stream.push_back(static_cast<char>(rows[first].znak1));
            stream.push_back(static_cast<char>(rows[first].znak2));
        }
        for (std::size_t i = first; i < end; ++i) {
            stream.push_back('\0');
            stream += MenuTextToPanel(layout, codePage, rows[i].texts[slot]);
            stream.push_back('\0');
        }
        first = end;
    }
    return stream;
}

std::array<std::uint8_t, 4> MenuCodeDescriptor(MenuLayout layout, const MenuLanguages& languages,
                                               MenuSelection selection) {
    const auto code = [&](int language) -> std::array<std::uint8_t, 2> {
        switch (languages.CodePageOf(language)) {
        case CodePageCyrillic:
            return {0x11, 0x00};
        case CodePagePC852:
            // The predefined layout has no code for PC852: its texts go out unconverted, as
            // Standard ones do, and say so.
            if (layout == MenuLayout::Structure) return {0x12, 0x00};
            return {0x10, 0x02};
        default:
            return {0x10, 0x02};
        }
    };
    const auto a = code(selection.first);
    const auto b = code(selection.second);
    return {a[0], a[1], b[0], b[1]};
}

std::vector<int> UserBlockLanguages(MenuLayout layout, MenuSelection selection) {
    if (layout == MenuLayout::Structure) return {0, 1, selection.first, selection.second};
    return {1, selection.first, selection.second};
}

MenuUserBlock BuildMenuUserBlock(const MenuData& data, const MenuLanguages& languages,
                                 MenuSelection selection, std::size_t streamSize) {
    MenuUserBlock block;
    const std::vector<int> order = UserBlockLanguages(data.layout, selection);
    const std::size_t total =
        order.size() * streamSize + (data.layout == MenuLayout::Structure ? 2 : 0);
    if (total > MenuBlockLimit) {
        block.error = "The menu needs " + std::to_string(total) +
                      " bytes in the panel, which holds at most " + std::to_string(MenuBlockLimit) +
                      ": nothing was sent.";
        return block;
    }
    for (const int language : order) {
        std::string stream = BuildMenuTextStream(data.rows, data.layout, languages, language);
        if (stream.size() > streamSize) {
            block.bytes.clear();
            block.error = "The texts of " + std::to_string(data.rows.size()) + " entries need " +
                          std::to_string(stream.size()) + " bytes a language, the panel keeps " +
                          std::to_string(streamSize) + ": nothing was sent.";
            return block;
        }
        stream.resize(streamSize, Blank);
        block.bytes += stream;
    }
    if (data.layout == MenuLayout::Structure) block.bytes += std::string("\xFE\x00", 2);
    return block;
}

} // namespace zyl
