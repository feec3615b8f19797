// The project file loaders over files of any content and length: the main file in the current
// and the older format, then its two side files.
//
// Input: a flags byte, a split byte, then the bytes the files are made of.
//   flags bit 0: the older format (".zyp") instead of the current one (".zy2")
//   flags bit 1: the main file is the bytes repeated to the format's full size
//   flags bit 2, 3: the passwords side file ("h") and the PID side file ("pid") exist
//   flags bit 4: each side file is its bytes repeated to its block's full size
//   flags bit 5: the loaded project also goes through the comparison: its read-back (bit 6:
//                three program parts instead of two; bit 7: the Cyrillic code page) compared
//                with it in one block (the split byte modulo 10), every difference's values
//                made into texts; and the project's report made into HTML, which must be
//                UTF-8 without a character XML forbids
// The side files share the bytes: the first split/255 of them are the passwords file, the rest
// the PID file.

#include "FuzzSupport.h"

#include "panel/CodePage.h"
#include "project/ProjectFiles.h"
#include "report/ProjectReport.h"
#include "transfer/ProjectCompare.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace {

using zylfuzz::Guarded;

// The bytes repeated to the given size (zero bytes when there are none). One buffer serves
// every run, and it is filled by block copies: a byte loop here would cost more than the load.
std::span<const std::uint8_t> Repeated(std::span<const std::uint8_t> bytes, std::size_t size) {
    static auto* out = new std::vector<std::uint8_t>;
    out->assign(size, 0);
    std::size_t n = std::min(bytes.size(), size);
    std::copy_n(bytes.begin(), n, out->begin());
    while (n > 0 && n < size) {
        const std::size_t more = std::min(n, size - n);
        std::copy_n(out->begin(), more, out->begin() + static_cast<std::ptrdiff_t>(n));
        n += more;
    }
    return *out;
}

void PutFile(const std::string& path, bool exists, bool fullSize, std::size_t size,
             std::span<const std::uint8_t> bytes) {
    if (!exists) {
        zylfuzz::RemoveFile(path);
        return;
    }
    if (fullSize)
        zylfuzz::WriteFile(path, Repeated(bytes, size));
    else
        zylfuzz::WriteFile(path, bytes);
}

// Too big for the stack; made once.
Guarded<zyl::Project>& Destination() {
    static auto* project = new Guarded<zyl::Project>;
    return *project;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::uint8_t flags = data[0];
    const std::span<const std::uint8_t> bytes(data + 2, size - 2);
    const std::size_t split = bytes.size() * data[1] / 255;

    const bool older = (flags & 1) != 0;
    const std::string path = zylfuzz::ProcessFolder() + (older ? "/plant.zyp" : "/plant.zy2");
    PutFile(path, true, (flags & 2) != 0,
            older ? zyl::OlderProjectImageSize : zyl::ProjectImageSize, bytes);
    PutFile(path + "h", (flags & 4) != 0, (flags & 16) != 0, sizeof(zyl::TPasswordBlock),
            bytes.first(split));
    PutFile(path + "pid", (flags & 8) != 0, (flags & 16) != 0, sizeof(zyl::Project::pid),
            bytes.subspan(split));

    Guarded<zyl::Project>& project = Destination();
    project.Fill(0xA5);
    (void)zyl::LoadMainFile(project.value, path);
    (void)zyl::LoadSideFiles(project.value, path);
    FUZZ_REQUIRE(project.GuardsHold(0xA5));

    if ((flags & 32) != 0) {
        static auto* back = new Guarded<zyl::Project>;
        back->Fill(0x5A);
        zyl::ProjectAsReadBack(project.value, back->value, (flags & 64) != 0 ? 3 : 2,
                               (flags & 128) != 0 ? 1 : 0);
        const zyl::ProjectBlock block = zyl::ProjectBlocks[data[1] % zyl::ProjectBlockCount];
        const int page = (flags & 128) != 0 ? 1251 : 1250;
        (void)zyl::CompareProjectBlock(block, back->value, project.value, page);
        FUZZ_REQUIRE(back->GuardsHold(0x5A));
        FUZZ_REQUIRE(project.GuardsHold(0xA5));

        const std::string html = zyl::ReportHtml(
            zyl::BuildProjectReport(project.value, {"plant.zy2", "today", "", page}),
            [](const zyl::ReportPicture&) {
                return zyl::ReportPictureSource{"p.png", 1, 1};
            });
        FUZZ_REQUIRE(zyl::IsUtf8(html));
        FUZZ_REQUIRE(std::none_of(html.begin(), html.end(), [](char c) {
            return static_cast<unsigned char>(c) < 0x20 && c != '\n' && c != '\t';
        }));
    }
    return 0;
}
