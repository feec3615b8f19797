#include "sim/Memory.h"

#include "sim/Sample.h"

#include <charconv>

namespace zyl::sim {

namespace {

constexpr int ProgramCount = 101;

bool ParseInt(std::string_view text, int& value) {
    if (text.empty()) return false;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

std::vector<std::string> Split(std::string_view key) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t slash = key.find('/', start);
        parts.emplace_back(key.substr(start, slash - start));
        if (slash == std::string_view::npos) break;
        start = slash + 1;
    }
    return parts;
}

std::vector<std::string> MakeKeys() {
    std::vector<std::string> keys = {"setup", "passwords", "statuses"};
    for (int g = 0; g < 6; ++g) keys.push_back("relays/" + std::to_string(g));
    keys.insert(keys.end(), {"analog", "pid"});
    for (int g = 0; g < 2; ++g) keys.push_back("alarms/" + std::to_string(g));
    for (int g = 0; g < 2; ++g) keys.push_back("processes/" + std::to_string(g));
    for (int g = 0; g < 2; ++g) keys.push_back("washing-processes/" + std::to_string(g));
    for (int k = 0; k < 2; ++k) keys.push_back("process-parameters/" + std::to_string(k));
    for (int i = 0; i < ProgramCount; ++i)
        for (int count = 2; count <= 3; ++count)
            for (int p = 0; p < count; ++p) keys.push_back(ProgramKey(i, count, p));
    for (MenuLayout layout : {MenuLayout::Structure, MenuLayout::Predefined})
        for (const char* block : {"predefined-block", "user-block", "code-table"})
            keys.push_back(PanelKey(layout, block));
    return keys;
}

} // namespace

std::string ProgramKey(int index, int blockCount, int part) {
    return "programs/" + std::to_string(index) + "/" + std::to_string(blockCount) + "/" +
           std::to_string(part);
}

std::string PanelKey(MenuLayout layout, std::string_view block) {
    return std::string("panel/") + (layout == MenuLayout::Structure ? "structure" : "predefined") +
           "/" + std::string(block);
}

ProgramFraming FramingFor(int blockCount) {
    return blockCount > 2 ? ProgramFraming{10, 20} : ProgramFraming{15, 16};
}

const std::vector<std::string>& Memory::Keys() {
    static const std::vector<std::string> keys = MakeKeys();
    return keys;
}

std::optional<std::size_t> Memory::SizeOf(std::string_view key) {
    const auto parts = Split(key);
    const std::string& family = parts[0];
    int n = 0;
    if (parts.size() == 1) {
        if (family == "setup") return 202;
        if (family == "passwords") return 222;
        if (family == "statuses") return 42;
        if (family == "analog") return 171;
        if (family == "pid") return 116;
        return std::nullopt;
    }
    if (parts.size() == 2 && ParseInt(parts[1], n)) {
        if (family == "relays" && n >= 0 && n < 6) return 241;
        if (family == "alarms" && n >= 0 && n < 2) return 265;
        if ((family == "processes" || family == "washing-processes") && n >= 0 && n < 2) return 153;
        if (family == "process-parameters" && n >= 0 && n < 2) return 161;
        return std::nullopt;
    }
    if (parts.size() == 3 && family == "panel") {
        if (parts[1] != "structure" && parts[1] != "predefined") return std::nullopt;
        if (parts[2] == "code-table") return 4;
        if (parts[2] == "predefined-block" || parts[2] == "user-block") return 0;
        return std::nullopt;
    }
    int count = 0;
    int part = 0;
    if (parts.size() == 4 && family == "programs" && ParseInt(parts[1], n) &&
        ParseInt(parts[2], count) && ParseInt(parts[3], part) && n >= 0 && n < ProgramCount &&
        (count == 2 || count == 3) && part >= 0 && part < count)
        return FramingFor(count).PartBytes();
    return std::nullopt;
}

Bytes Memory::Get(const std::string& key) const {
    const auto it = written_.find(key);
    if (it != written_.end()) return it->second;
    return SampleBlock(key, sample_);
}

bool Memory::IsWritten(const std::string& key) const {
    return written_.contains(key);
}

bool Memory::Put(const std::string& key, Bytes bytes) {
    const auto size = SizeOf(key);
    if (!size) return false;
    if (*size == 0 ? bytes.size() > PanelCapacity : bytes.size() != *size) return false;
    written_[key] = std::move(bytes);
    return true;
}

bool Memory::Patch(const std::string& key, std::size_t offset,
                   std::span<const std::uint8_t> bytes) {
    const auto size = SizeOf(key);
    if (!size) return false;
    const std::size_t limit = *size == 0 ? PanelCapacity : *size;
    if (offset > limit || bytes.size() > limit - offset) return false;
    Bytes block = Get(key);
    if (block.size() < offset + bytes.size()) block.resize(offset + bytes.size(), PanelFill);
    std::copy(bytes.begin(), bytes.end(), block.begin() + static_cast<std::ptrdiff_t>(offset));
    written_[key] = std::move(block);
    return true;
}

int Memory::SetupWord(int index) const {
    const Bytes setup = Get("setup");
    const auto offset = static_cast<std::size_t>(index) * 2;
    if (index < 0 || offset + 1 >= setup.size()) return 0;
    return static_cast<std::int16_t>(Be16(setup, offset));
}

void Memory::SetSetupWord(int index, std::uint16_t value) {
    if (index < 0 || index > 100) return;
    if (index == 98) sample_.layoutMark = value;
    if (index == 99) sample_.version = static_cast<std::int16_t>(value);
    const auto it = written_.find("setup");
    if (it == written_.end()) {
        if (index != 98 && index != 99) sample_.setupWords[index] = value;
        return;
    }
    const auto offset = static_cast<std::size_t>(index) * 2;
    it->second[offset] = static_cast<std::uint8_t>(value >> 8);
    it->second[offset + 1] = static_cast<std::uint8_t>(value & 0xFF);
}

int Memory::ProgramBlockCount() const {
    return SetupWord(99) >= 501 ? 3 : 2;
}

MenuLayout Memory::Layout() const {
    return static_cast<std::uint16_t>(SetupWord(98)) == StructureLayoutMark
               ? MenuLayout::Structure
               : MenuLayout::Predefined;
}

} // namespace zyl::sim
