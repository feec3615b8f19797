#pragma once

// The byte forms of the operator menu in the panel's memory: the menu structure (group
// descriptors), one language's text stream, the user's menu block and the language code
// descriptor. Every parser is bounded by the bytes it is given and never stores beyond them.

#include "panel/MenuTable.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zyl {

// The panel's memory is read and written in chunks of 264 bytes, chunk k at address k x 264;
// addresses are 16 bits wide, so a block may reach 65536 bytes at most.
inline constexpr std::size_t MenuChunkSize = 264;
inline constexpr std::size_t MenuBlockLimit = 65536;
// The structure is taken as 10102 bytes long: 39 chunks.
inline constexpr std::size_t MenuStructureSize = 10102;
inline constexpr int MenuStructureChunks = 39;
// Bytes of one entry in a text stream: 00, 20 text bytes, 00.
inline constexpr std::size_t MenuEntryBytes = 22;
// Setup word 98 holds this when the panel uses the structure layout.
inline constexpr std::uint16_t StructureLayoutMark = 0xBA56;

struct MenuGroupDescriptor {
    std::uint8_t count = 0;
    std::uint8_t znak1 = 0;
    std::uint8_t znak2 = 0;
};

// The group descriptors of a structure: two leading bytes, then 4 bytes a group, up to a
// count of 0 or FE, the end of the bytes, or a descriptor that does not fit whole.
[[nodiscard]] std::vector<MenuGroupDescriptor> ParseMenuStructure(std::string_view structure);
// The rows a structure describes: nr_wew from 1, nr the group's number from 1, empty texts,
// the group's znak1 and znak2.
[[nodiscard]] std::vector<TMenuRow> RowsFromStructure(std::string_view structure);
// S, the size of one language's text stream: 2 + the sum of (4 + 22 x count) + 2.
[[nodiscard]] std::size_t MenuStreamSize(const std::vector<MenuGroupDescriptor>& groups);

// One entry of a parsed text stream: its group's number (from 1) and its 20 text bytes as
// the panel holds them.
struct MenuStreamEntry {
    int group = 0;
    std::string text;
};
// Parses one language's text stream. It ends at the stream's size, at a count of 0 or FE,
// when a group would not fit whole, or when the byte before a group is not 00.
[[nodiscard]] std::vector<MenuStreamEntry> ParseMenuTextStream(std::string_view stream);

// The code page a language's texts are converted with when they go to or come from the
// panel in a layout (0 for none). Language 0 is Polish in the structure layout and not
// converted in the predefined one; in the predefined layout only Cyryllic converts.
[[nodiscard]] int MenuTransferCodePage(MenuLayout layout, const MenuLanguages& languages,
                                       int language);

// A row's text as the panel gets it: the first 20 bytes, no-break spaces (A0) as blanks in
// the structure layout, converted, blank padded to 20 bytes.
[[nodiscard]] std::string MenuTextToPanel(MenuLayout layout, int codePage, std::string_view text);

// One language's text stream of the rows: FF, then per group (a new group wherever nr
// changes) 00, the row count, znak1 and znak2 of its first row (03 01 in the predefined
// layout), and per row 00, the text, 00. Not padded.
[[nodiscard]] std::string BuildMenuTextStream(const std::vector<TMenuRow>& rows, MenuLayout layout,
                                              const MenuLanguages& languages, int language);

// The language code descriptor: two bytes for the first selector's language, two for the
// second's (10 02 Standard and Polish, 11 00 Cyryllic, 12 00 PC852; in the predefined layout
// PC852 also 10 02).
[[nodiscard]] std::array<std::uint8_t, 4>
MenuCodeDescriptor(MenuLayout layout, const MenuLanguages& languages, MenuSelection selection);

// The languages whose streams the user's menu block holds, in order: 0, 1 and the two
// selectors' languages in the structure layout; 1 and the selectors' in the predefined one.
[[nodiscard]] std::vector<int> UserBlockLanguages(MenuLayout layout, MenuSelection selection);

// The user's menu block as a write sends it: each language's stream padded with blanks to
// streamSize (S or P), and FE 00 at the end in the structure layout. error says why it
// cannot be sent (a stream longer than streamSize, a block beyond 65536 bytes); then the
// bytes are empty.
struct MenuUserBlock {
    std::string bytes;
    std::string error;
};
[[nodiscard]] MenuUserBlock BuildMenuUserBlock(const MenuData& data, const MenuLanguages& languages,
                                               MenuSelection selection, std::size_t streamSize);

// Number of 264-byte chunks that hold a number of bytes.
[[nodiscard]] constexpr int MenuChunkCount(std::size_t bytes) {
    return static_cast<int>((bytes + MenuChunkSize - 1) / MenuChunkSize);
}

} // namespace zyl
