#pragma once

// Block files: headerless sequences of fixed-size records, byte for byte as the records lie
// in the project image. One reader serves every block. It reads at most the block's own
// record count and stops there, so a file with too many records (or an endless one) never
// reaches the records that lie after the block; only whole records are applied, and nothing
// is applied from a file that could not be read.

#include "project/FileIO.h"

#include <cstddef>
#include <span>
#include <string>
#include <type_traits>
#include <vector>

namespace zyl {

struct BlockFileRead {
    std::string error;          // the file could not be opened or read: nothing applied
    int records = 0;            // whole records applied to the block's records 1, 2, ...
    bool beyond = false;        // the file holds more than the block's records (not applied)
    int partialBytes = 0;       // bytes of an incomplete trailing record (not applied); 0
                                // when the file holds more than the block
    std::uint64_t fileSize = 0; // the file's size in bytes
    explicit operator bool() const { return error.empty(); }

    // True when the file is exactly `count` whole records.
    [[nodiscard]] bool Whole(int count) const {
        return error.empty() && records == count && !beyond && partialBytes == 0;
    }
};

// Reads whole records of recordSize bytes into block (whose size is a multiple of
// recordSize), from its first record on.
[[nodiscard]] BlockFileRead ReadBlockFileBytes(const std::string& path, std::size_t recordSize,
                                               std::span<std::byte> block);

template <class Record>
[[nodiscard]] BlockFileRead ReadBlockFile(const std::string& path, std::span<Record> block) {
    static_assert(std::is_trivially_copyable_v<Record>);
    return ReadBlockFileBytes(path, sizeof(Record), std::as_writable_bytes(block));
}

// A one-record file (".k1z", ".a1z", ".s1z") read over an editor's copy: its first whole
// record replaces the copy, whose Number stays as it was; nothing changes when the file holds
// no whole record or cannot be read.
template <class Record>
[[nodiscard]] BlockFileRead ReadRecordKeepingNumber(const std::string& path, Record& record) {
    Record read = record;
    const BlockFileRead result = ReadBlockFile<Record>(path, std::span<Record>(&read, 1));
    if (result.records == 1) {
        const auto number = record.Number;
        record = read;
        record.Number = number;
    }
    return result;
}

// Why a file cannot stand for a whole block of `count` records: "plant.rlz is 920 bytes
// long, not the 2944 bytes of 32 relay records"; the read error when it could not be read.
[[nodiscard]] std::string NotWholeBlockReason(const std::string& path, const BlockFileRead& read,
                                              int count, std::size_t recordSize,
                                              const std::string& recordName);

// Writes a block file atomically (see FileIO.h).
template <class Record>
[[nodiscard]] FileStatus WriteBlockFile(const std::string& path, std::span<const Record> block) {
    static_assert(std::is_trivially_copyable_v<Record>);
    return WriteFileAtomically(path, std::as_bytes(block));
}

} // namespace zyl
