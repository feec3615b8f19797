// Writes the project template "default.zy2": an empty project whose records are numbered,
// whose special statuses carry their fixed names and whose setup words lie inside their
// ranges. Usage: mktemplate OUTPUT
#include "project/FileIO.h"
#include "project/ProjectImage.h"
#include "service/SetupParameters.h"

#include <cstdio>
#include <memory>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: mktemplate OUTPUT\n");
        return 2;
    }
    auto project = std::make_unique<zyl::Project>();
    zyl::TProjectImage& image = project->image;
    zyl::NumberProjectRecords(image);
    image.Programs[zyl::ProgramCount - 1].Number = zyl::ProgramCount;
    zyl::SetFixedSpecialStatusNames(image);
    for (int n = 1; n <= zyl::SetupParameterCount; ++n) {
        const auto& p = zyl::SetupParameterInfo(n);
        int value = 0;
        if (value < p.min) value = p.min;
        if (value > p.max) value = p.max;
        image.Setup.Words[n] = static_cast<std::int16_t>(value);
    }
    image.Setup.Words[zyl::SetupVersionWord] = 501;
    const auto bytes = std::as_bytes(std::span<const zyl::TProjectImage, 1>(&image, 1));
    if (const zyl::FileStatus written = zyl::WriteFileAtomically(argv[1], bytes); !written) {
        std::fprintf(stderr, "mktemplate: %s\n", written.error.c_str());
        return 1;
    }
    return 0;
}
