#include "panel/MenuTransfer.h"

#include "editors/BlockTransfer.h"
#include "link/Commands.h"
#include "panel/CodePage.h"
#include "panel/MenuStreams.h"
#include "project/FileIO.h"

#include <algorithm>
#include <cstddef>
#include <span>

namespace zyl {

namespace {

// Progress captions (PC code page bytes: the apostrophe is 1250's 0x92).
constexpr const char* ProgressPredefined = "Predefined menu";
constexpr const char* ProgressUser = "User\x92s menu";
constexpr const char* ProgressWrite = "Menu record";

// Acknowledgement lengths of the module collect after the two panel writes.
constexpr int CodeTableAckLength = 4;
constexpr int PageWriteAckLength = 6;

// One panel command, direct or through the module (submit, panel wait, collect), without
// the STOP check: the panel's menu may change while the controller runs. ackLength is the
// acknowledgement collect's length after a write, 0 for reads (their own collect).
class PanelExchange {
public:
    explicit PanelExchange(ControllerAccess& access) : access_(access) {}

    // Runs the command; a failure shows "No communication" with its cause, Cancel nothing.
    Outcome Run(const std::function<int(Variant)>& send, int ackLength = 0) {
        if (!access_.moduleMode)
            return send(Variant::Direct) == LinkOk ? Outcome::Ok : access_.Failed(true);
        return ReportPacket(access_,
                            ModuleSequence(access_,
                                           [&](Variant v) {
                                               if (v == Variant::Collect && ackLength > 0)
                                                   return CollectAck(access_.link, ackLength,
                                                                     access_.DeviceAddress,
                                                                     access_.linkParams);
                                               return send(v);
                                           }),
                            {true, true});
    }

    Outcome PanelInfo(int& size, std::array<std::uint8_t, 4>& descriptor) {
        return Run([&](Variant v) {
            return ReadPanelInfo(access_.link, v, size, descriptor, access_.DeviceAddress,
                                 access_.linkParams);
        });
    }

    // Chunk k of a block: exactly 264 bytes or a failure.
    Outcome Chunk(PanelBlock block, int k, std::string& chunk) {
        chunk.clear();
        const Outcome outcome = Run([&](Variant v) {
            return ReadPanelPage(access_.link, v, chunk, k, block, access_.DeviceAddress,
                                 access_.linkParams);
        });
        if (outcome == Outcome::Ok && chunk.size() != MenuChunkSize) {
            access_.host.ShowMessageBox(MsgNoCommunication, "the panel sent a short menu chunk");
            return Outcome::NoCommunication;
        }
        return outcome;
    }

    // Shows the progress and takes a Cancel pressed since the last step.
    bool Cancelled(int position, int maximum, const char* caption) {
        access_.host.ShowProgress(position, maximum, caption);
        return access_.host.CancelRequested();
    }

private:
    ControllerAccess& access_;
};

std::string ReadLimitMessage(std::size_t bytes) {
    return "The panel reports a menu of " + std::to_string(bytes) +
           " bytes, more than the 65536 its memory can address: nothing was read.";
}

// Reads `count` chunks of a block into bytes, with progress k of count - 1.
Outcome ReadChunks(PanelExchange& panel, PanelBlock block, int count, const char* caption,
                   std::string& bytes) {
    std::string chunk;
    for (int k = 0; k < count; ++k) {
        if (panel.Cancelled(k, std::max(count - 1, 1), caption)) return Outcome::Cancelled;
        if (const Outcome o = panel.Chunk(block, k, chunk); o != Outcome::Ok) return o;
        bytes += chunk;
    }
    return Outcome::Ok;
}

// Whether the structure read so far ends within its bytes: a count of 0 or FE at a group's
// place, with an FE among the bytes (FE may also be an attribute byte of a group).
bool StructureEnded(std::string_view structure) {
    if (structure.find('\xFE') == std::string_view::npos) return false;
    const std::size_t end = 2 + 4 * ParseMenuStructure(structure).size();
    if (end >= structure.size()) return false;
    const auto count = static_cast<std::uint8_t>(structure[end]);
    return count == 0x00 || count == 0xFE;
}

// The selectors' code pages as the panel reports them: 11 Cyryllic, 12 PC852 (the structure
// layout keeps other values, the predefined layout takes them as Standard).
void TakeReportedCodePages(MenuLayout layout, const std::array<std::uint8_t, 4>& descriptor,
                           MenuSelection selection, MenuLanguages& languages) {
    const auto take = [&](int language, std::uint8_t code) {
        if (language < 1 || language > languages.count) return;
        int& page = languages.languages[static_cast<std::size_t>(language)].codePage;
        if (code == 0x11)
            page = CodePageCyrillic;
        else if (code == 0x12 && layout == MenuLayout::Structure)
            page = CodePagePC852;
        else if (layout == MenuLayout::Predefined)
            page = CodePageStandard;
    };
    take(selection.first, descriptor[1]);
    take(selection.second, descriptor[3]);
}

// Stores the entries of a language's stream into the rows, in table order.
void StoreTexts(std::string_view stream, MenuLayout layout, const MenuLanguages& languages,
                int language, std::vector<TMenuRow>& rows) {
    const int codePage = MenuTransferCodePage(layout, languages, language);
    const std::vector<MenuStreamEntry> entries = ParseMenuTextStream(stream);
    const std::size_t n = std::min(entries.size(), rows.size());
    for (std::size_t i = 0; i < n; ++i)
        SetMenuText(rows[i], language, FromControllerText(codePage, entries[i].text));
}

Outcome ReadStructureLayout(ControllerAccess& access, PanelExchange& panel, MenuData& menu,
                            MenuLanguages& languages, MenuSelection selection) {
    int size = 0;
    std::array<std::uint8_t, 4> descriptor{};
    if (const Outcome o = panel.PanelInfo(size, descriptor); o != Outcome::Ok) return o;

    std::string chunk;
    for (int k = 0; k < MenuStructureChunks; ++k) {
        if (panel.Cancelled(k, MenuStructureChunks - 1, ProgressPredefined))
            return Outcome::Cancelled;
        if (const Outcome o = panel.Chunk(PanelBlock::Predefined, k, chunk); o != Outcome::Ok)
            return o;
        menu.structure += chunk;
        if (StructureEnded(menu.structure)) break;
    }
    menu.rows = RowsFromStructure(menu.structure);
    const std::size_t S = MenuStreamSize(ParseMenuStructure(menu.structure));
    const std::size_t blockSize = 4 * S;
    if (blockSize > MenuBlockLimit) {
        access.host.ShowMessageBox(ReadLimitMessage(blockSize));
        return Outcome::Refused;
    }

    if (const Outcome o = panel.PanelInfo(size, descriptor); o != Outcome::Ok) return o;
    TakeReportedCodePages(MenuLayout::Structure, descriptor, selection, languages);

    std::string block;
    if (const Outcome o =
            ReadChunks(panel, PanelBlock::User, MenuChunkCount(blockSize), ProgressUser, block);
        o != Outcome::Ok)
        return o;
    const std::vector<int> order = UserBlockLanguages(MenuLayout::Structure, selection);
    for (std::size_t part = 0; part < order.size(); ++part)
        StoreTexts(std::string_view(block).substr(part * S, S), MenuLayout::Structure, languages,
                   order[part], menu.rows);
    return Outcome::Ok;
}

Outcome ReadPredefinedLayout(ControllerAccess& access, PanelExchange& panel, MenuData& menu,
                             MenuLanguages& languages, MenuSelection selection) {
    int size = 0;
    std::array<std::uint8_t, 4> descriptor{};
    if (const Outcome o = panel.PanelInfo(size, descriptor); o != Outcome::Ok) return o;
    const std::size_t P = static_cast<std::size_t>(std::max(size, 0));
    if (3 * P > MenuBlockLimit) {
        access.host.ShowMessageBox(ReadLimitMessage(3 * P));
        return Outcome::Refused;
    }

    std::string own;
    if (const Outcome o =
            ReadChunks(panel, PanelBlock::Predefined, MenuChunkCount(P), ProgressPredefined, own);
        o != Outcome::Ok)
        return o;
    for (const MenuStreamEntry& entry : ParseMenuTextStream(std::string_view(own).substr(0, P))) {
        TMenuRow row;
        row.nr_wew = static_cast<int>(menu.rows.size()) + 1;
        row.nr = entry.group;
        SetMenuText(row, 0, entry.text);
        menu.rows.push_back(std::move(row));
    }

    if (const Outcome o = panel.PanelInfo(size, descriptor); o != Outcome::Ok) return o;
    TakeReportedCodePages(MenuLayout::Predefined, descriptor, selection, languages);

    std::string block;
    if (const Outcome o =
            ReadChunks(panel, PanelBlock::User, MenuChunkCount(3 * P), ProgressUser, block);
        o != Outcome::Ok)
        return o;
    const std::vector<int> order = UserBlockLanguages(MenuLayout::Predefined, selection);
    for (std::size_t part = 0; part < order.size(); ++part)
        StoreTexts(std::string_view(block).substr(part * P, P), MenuLayout::Predefined, languages,
                   order[part], menu.rows);
    return Outcome::Ok;
}

void SaveSideFile(const std::string& folder, const char* name, std::string_view bytes) {
    if (folder.empty()) return;
    // Nothing reads these files back; a folder that cannot take them does not stop a write.
    (void)WriteFileAtomically(folder + "/" + name, std::as_bytes(std::span(bytes)));
}

} // namespace

Outcome ReadMenuFromController(ControllerAccess& access, MenuData& data, MenuLanguages& languages,
                               MenuSelection selection) {
    access.ReadLinkSettings();
    TSetupBlock setup{};
    if (!access.ReadControllerSetup(setup)) return Outcome::NoCommunication;

    // Everything lands in a scratch copy, taken only when every step succeeded: a read that
    // fails part-way leaves the window's menu as it was.
    MenuData menu;
    menu.layout = static_cast<std::uint16_t>(setup.Words[98]) == StructureLayoutMark
                      ? MenuLayout::Structure
                      : MenuLayout::Predefined;
    MenuLanguages read = languages;
    PanelExchange panel(access);
    const Outcome outcome = menu.layout == MenuLayout::Structure
                                ? ReadStructureLayout(access, panel, menu, read, selection)
                                : ReadPredefinedLayout(access, panel, menu, read, selection);
    access.host.HideProgress();
    if (outcome != Outcome::Ok) return outcome;
    menu.present = true;
    data = std::move(menu);
    languages = read;
    return Outcome::Ok;
}

Outcome WriteMenuToController(ControllerAccess& access, const MenuData& data,
                              const MenuLanguages& languages, MenuSelection selection,
                              const std::string& programFolder) {
    access.ReadLinkSettings();
    PanelExchange panel(access);
    int size = 0;
    std::array<std::uint8_t, 4> reported{};
    if (const Outcome o = panel.PanelInfo(size, reported); o != Outcome::Ok) return o;

    const bool structure = data.layout == MenuLayout::Structure;
    const std::size_t streamSize = structure ? MenuStreamSize(ParseMenuStructure(data.structure))
                                             : static_cast<std::size_t>(std::max(size, 0));
    const MenuUserBlock block = BuildMenuUserBlock(data, languages, selection, streamSize);
    if (!block.error.empty()) {
        access.host.ShowMessageBox(block.error);
        return Outcome::Refused;
    }

    const std::array<std::uint8_t, 4> descriptor =
        MenuCodeDescriptor(data.layout, languages, selection);
    if (structure)
        SaveSideFile(programFolder, MenuCodeFileName,
                     std::string_view(reinterpret_cast<const char*>(descriptor.data()), 4));
    if (const Outcome o = panel.Run(
            [&](Variant v) {
                return WritePanelCodeTable(access.link, v, descriptor, access.DeviceAddress,
                                           access.linkParams);
            },
            CodeTableAckLength);
        o != Outcome::Ok) {
        access.host.HideProgress();
        return o;
    }

    const std::string_view bytes = block.bytes;
    std::size_t sent = 0;
    Outcome outcome = Outcome::Ok;
    for (int k = 0; sent < bytes.size(); ++k) {
        if (panel.Cancelled(static_cast<int>(sent), static_cast<int>(bytes.size()),
                            ProgressWrite)) {
            outcome = Outcome::Cancelled;
            break;
        }
        const std::string_view chunk = bytes.substr(sent, MenuChunkSize);
        outcome = panel.Run(
            [&](Variant v) {
                return WritePanelPage(access.link, v, chunk, k, access.DeviceAddress,
                                      access.linkParams);
            },
            PageWriteAckLength);
        if (outcome != Outcome::Ok) break;
        sent += chunk.size();
    }
    access.host.HideProgress();
    if (structure) SaveSideFile(programFolder, MenuBlockFileName, bytes.substr(0, sent));
    return outcome;
}

} // namespace zyl
