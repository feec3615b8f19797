// Writes the help pages "<n>.rtf" of every setup parameter with a name into a folder (made
// when missing), replacing pages of the same names. Usage: mkhelp FOLDER
#include "core/Paths.h"
#include "project/FileIO.h"
#include "service/HelpPages.h"
#include "service/RichText.h"
#include "service/SetupParameters.h"

#include <cstdio>
#include <filesystem>
#include <span>
#include <string>
#include <system_error>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: mkhelp FOLDER\n");
        return 2;
    }
    const std::string folder = zyl::AddPathSeparator(argv[1]);
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        std::fprintf(stderr, "mkhelp: %s: %s\n", folder.c_str(), ec.message().c_str());
        return 1;
    }
    for (int n = 1; n <= zyl::SetupParameterCount; ++n) {
        if (!zyl::HasGeneratedHelpPage(n)) continue;
        const std::string page = zyl::WriteRichText(zyl::GeneratedHelpPage(n));
        const std::string path = folder + std::to_string(n) + ".rtf";
        const auto bytes = std::as_bytes(std::span<const char>(page.data(), page.size()));
        if (const zyl::FileStatus written = zyl::WriteFileAtomically(path, bytes); !written) {
            std::fprintf(stderr, "mkhelp: %s\n", written.error.c_str());
            return 1;
        }
    }
    return 0;
}
