// The JSON reader and the build of files from a JSON dump, over any text.
//
// Input: the JSON text itself. The reader never reads outside the text and gives well-formed
// UTF-8 strings that are written back unchanged; whatever the build accepts, dumped again,
// builds the same files and the same dump, and is equal to itself in the diff.

#include "FuzzSupport.h"

#include "project/Json.h"
#include "transfer/ProjectText.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

void CheckStrings(const zyl::JsonValue& v) {
    if (v.type == zyl::JsonValue::Type::String) {
        FUZZ_REQUIRE(zylfuzz::WellFormedUtf8(v.text));
        std::string written;
        zyl::AppendJsonString(written, v.text);
        const zyl::JsonParse again = zyl::ParseJson(written);
        FUZZ_REQUIRE(again && again.value.text == v.text);
    }
    for (const zyl::JsonValue& item : v.items) CheckStrings(item);
    for (const std::string& key : v.keys) FUZZ_REQUIRE(zylfuzz::WellFormedUtf8(key));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const zyl::JsonParse parsed = zyl::ParseJson(text);
    if (parsed) CheckStrings(parsed.value);
    FUZZ_REQUIRE(parsed || parsed.error.starts_with("line ") || size > zyl::JsonLimits{}.maxBytes);

    const zyl::RecordFilesBuild built = zyl::BuildRecordFiles(text);
    if (!built) return 0;
    FUZZ_REQUIRE(parsed);
    const int page = parsed.value.Find("code page")->text == "1251" ? 1251 : 1250;
    const std::string dump = zyl::DumpRecordJson(built.files, page);
    const zyl::RecordFilesBuild again = zyl::BuildRecordFiles(dump);
    FUZZ_REQUIRE(again && again.files == built.files);
    FUZZ_REQUIRE(zyl::DumpRecordJson(again.files, page) == dump);
    FUZZ_REQUIRE(zyl::DiffRecordFiles(built.files, again.files, page).rows.empty());
    FUZZ_REQUIRE(!zyl::DumpRecordText(built.files, page, "fuzz").empty());
    return 0;
}
