// The block file reader and the one-record file reader over files of any content and length.
//
// Input: a record size byte, a record count byte, then the file's bytes.
//   record size: one of RecordSizes (index modulo their count); bit 7 set: there is no file
//   record count: the block's records, modulo 17

#include "FuzzSupport.h"

#include "project/BlockFile.h"
#include "project/Records.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>

namespace {

using zylfuzz::Guarded;

// Small sizes give many records from a short input; the others are the records' own.
constexpr std::size_t RecordSizes[] = {1,
                                       7,
                                       sizeof(zyl::TRelayRecord),
                                       sizeof(zyl::TProcessRecord),
                                       sizeof(zyl::TAlarmRecord),
                                       sizeof(zyl::TSpecialStatusRecord)};
constexpr std::size_t MaxCount = 16;
constexpr std::size_t MaxBlock = MaxCount * sizeof(zyl::TSpecialStatusRecord);
constexpr std::uint8_t Pattern = 0xA5;

// Whole records up to the block's count are applied, nothing else; the result says how the
// file stands to the block.
void CheckBlock(const std::string& path, bool exists, std::span<const std::uint8_t> file,
                std::size_t recordSize, std::size_t count) {
    static auto* buffer = new Guarded<std::array<std::uint8_t, MaxBlock>>;
    buffer->Fill(Pattern);
    const std::size_t blockSize = count * recordSize;
    const auto block = std::as_writable_bytes(std::span(buffer->value).first(blockSize));
    const zyl::BlockFileRead read = zyl::ReadBlockFileBytes(path, recordSize, block);

    FUZZ_REQUIRE(buffer->GuardsHold(Pattern) &&
                 zylfuzz::AllBytesAre(std::span(buffer->value).subspan(blockSize), Pattern));
    FUZZ_REQUIRE(
        !zyl::NotWholeBlockReason(path, read, static_cast<int>(count), recordSize, "record")
             .empty());
    if (!exists) {
        FUZZ_REQUIRE(!read && read.records == 0 && buffer->ValueIsAll(Pattern));
        return;
    }
    FUZZ_REQUIRE(static_cast<bool>(read) && read.fileSize == file.size());
    const std::size_t records = std::min(file.size() / recordSize, count);
    FUZZ_REQUIRE(read.records == static_cast<int>(records));
    FUZZ_REQUIRE(read.beyond == (file.size() > blockSize));
    if (!read.beyond) FUZZ_REQUIRE(read.partialBytes == static_cast<int>(file.size() % recordSize));
    FUZZ_REQUIRE(read.Whole(static_cast<int>(count)) == (file.size() == blockSize));

    const std::size_t applied = records * recordSize;
    FUZZ_REQUIRE(std::equal(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(applied),
                            buffer->value.begin()));
    FUZZ_REQUIRE(zylfuzz::AllBytesAre(std::span(buffer->value).subspan(applied), Pattern));
}

// The first whole record replaces the copy except its Number; without one nothing changes.
void CheckOneRecord(const std::string& path, bool exists, std::span<const std::uint8_t> file) {
    Guarded<zyl::TRelayRecord> record;
    record.Fill(Pattern);
    record.value.Number = 17;
    const zyl::TRelayRecord before = record.value;
    const zyl::BlockFileRead read = zyl::ReadRecordKeepingNumber(path, record.value);
    FUZZ_REQUIRE(record.GuardsHold(Pattern) && record.value.Number == 17);
    if (!exists || file.size() < sizeof(zyl::TRelayRecord)) {
        FUZZ_REQUIRE(read.records == 0 && zylfuzz::SameBytes(record.value, before));
        return;
    }
    zyl::TRelayRecord expected;
    std::memcpy(&expected, file.data(), sizeof expected);
    expected.Number = 17;
    FUZZ_REQUIRE(read.records == 1 && zylfuzz::SameBytes(record.value, expected));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::size_t recordSize = RecordSizes[(data[0] & 0x7F) % std::size(RecordSizes)];
    const bool exists = (data[0] & 0x80) == 0;
    const std::size_t count = data[1] % (MaxCount + 1);
    const std::span<const std::uint8_t> file(data + 2, size - 2);

    const std::string path = zylfuzz::ProcessFolder() + "/block.rlz";
    if (exists)
        zylfuzz::WriteFile(path, file);
    else
        zylfuzz::RemoveFile(path);
    CheckBlock(path, exists, file, recordSize, count);
    CheckOneRecord(path, exists, file);
    return 0;
}
