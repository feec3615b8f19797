#include "project/BlockFile.h"

#include <algorithm>

namespace zyl {

BlockFileRead ReadBlockFileBytes(const std::string& path, std::size_t recordSize,
                                 std::span<std::byte> block) {
    BlockFileRead result;
    if (recordSize == 0) {
        result.error = "cannot read " + path + ": no record size";
        return result;
    }
    // Read into a scratch copy first, so a failing read changes nothing.
    std::vector<std::byte> scratch(block.size());
    const FileRead read = ReadRegularFile(path, scratch);
    result.fileSize = read.fileSize;
    if (!read) {
        result.error = read.error;
        return result;
    }
    const std::size_t whole = read.size / recordSize;
    result.records = static_cast<int>(whole);
    result.beyond = read.more;
    result.partialBytes = read.more ? 0 : static_cast<int>(read.size % recordSize);
    std::copy_n(scratch.begin(), whole * recordSize, block.begin());
    return result;
}

std::string NotWholeBlockReason(const std::string& path, const BlockFileRead& read, int count,
                                std::size_t recordSize, const std::string& recordName) {
    if (!read) return read.error;
    const std::uint64_t expected = static_cast<std::uint64_t>(count) * recordSize;
    std::string what = std::to_string(expected) + " bytes of ";
    what += count == 1 ? "a " + recordName : std::to_string(count) + " " + recordName + "s";
    return path + " is " + std::to_string(read.fileSize) + " bytes long, not the " + what;
}

} // namespace zyl
