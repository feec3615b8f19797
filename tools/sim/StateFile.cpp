#include "sim/StateFile.h"

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

namespace zyl::sim {

namespace {

constexpr std::string_view Header = "zyl200-sim state 1";

bool Selects(std::string_view selector, const std::string& key) {
    return key == selector || (key.size() > selector.size() && key.starts_with(selector) &&
                               key[selector.size()] == '/');
}

std::string Line(const Memory& memory, const std::string& key) {
    return key + (memory.IsWritten(key) ? " written " : " sample ") + ToHex(memory.Get(key));
}

} // namespace

std::string SerializeState(const Memory& memory) {
    std::string text(Header);
    text += "\n";
    if (!memory.IsWritten("setup")) {
        std::map<int, std::uint16_t> words = memory.Sample().setupWords;
        words[98] = memory.Sample().layoutMark;
        words[99] = static_cast<std::uint16_t>(memory.Sample().version);
        for (const auto& [word, value] : words)
            text += "setup-word " + std::to_string(word) + " " + std::to_string(value) + "\n";
    }
    for (const std::string& key : Memory::Keys()) {
        const auto it = memory.Written().find(key);
        if (it == memory.Written().end()) continue;
        text += "block " + key + " " + ToHex(it->second) + "\n";
    }
    return text;
}

bool ParseState(std::string_view text, Memory& memory, std::string& error) {
    std::istringstream in{std::string(text)};
    Memory loaded;
    loaded.SetSample(memory.Sample());
    std::string line;
    int number = 0;
    bool headerSeen = false;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        const std::string where = "line " + std::to_string(number) + ": ";
        if (!headerSeen) {
            if (line != Header) {
                error = where + "not a simulator state file";
                return false;
            }
            headerSeen = true;
            continue;
        }
        std::istringstream words(line);
        std::string word, key, hex;
        words >> word >> key >> hex;
        std::string rest;
        if (word == "setup-word") {
            int index = -1;
            long value = -1;
            std::istringstream numbers(key + " " + hex);
            if (!(numbers >> index >> value) || index < 0 || index > 100 || value < 0 ||
                value > 0xFFFF || (words >> rest)) {
                error = where + "expected 'setup-word N V' with N 0-100 and V 0-65535";
                return false;
            }
            loaded.SetSetupWord(index, static_cast<std::uint16_t>(value));
            continue;
        }
        if (word != "block" || key.empty() || (words >> rest)) {
            error = where + "expected 'block KEY HEX'";
            return false;
        }
        const auto bytes = FromHex(hex);
        if (!bytes) {
            error = where + "bad hexadecimal bytes";
            return false;
        }
        if (!Memory::SizeOf(key)) {
            error = where + "unknown block '" + key + "'";
            return false;
        }
        if (!loaded.Put(key, *bytes)) {
            error = where + "block '" + key + "' has the wrong size (" +
                    std::to_string(bytes->size()) + " bytes)";
            return false;
        }
    }
    if (!headerSeen) {
        error = "empty state file";
        return false;
    }
    memory = std::move(loaded);
    return true;
}

std::string SerializeBusState(const std::vector<ControllerMemory>& controllers) {
    if (controllers.size() == 1) return SerializeState(*controllers.front().memory);
    std::string text(Header);
    text += "\n";
    for (const ControllerMemory& c : controllers) {
        const std::string own = SerializeState(*c.memory);
        text += "controller " + std::to_string(c.address) + "\n" + own.substr(Header.size() + 1);
    }
    return text;
}

bool ParseBusState(std::string_view text, const std::vector<ControllerMemory>& controllers,
                   std::string& error) {
    if (controllers.empty()) {
        error = "no controller";
        return false;
    }
    // Each controller's text keeps every line in its place, with the lines of the others left
    // blank, so the line numbers of an error are those of the file.
    std::vector<std::string> texts(controllers.size());
    std::vector<bool> named(controllers.size(), false);
    std::istringstream in{std::string(text)};
    std::string line;
    std::size_t current = 0;
    bool headerSeen = false;
    for (int number = 1; std::getline(in, line); ++number) {
        std::string bare = line;
        if (!bare.empty() && bare.back() == '\r') bare.pop_back();
        const bool ignored = bare.empty() || bare[0] == '#';
        std::istringstream words(bare);
        std::string word;
        words >> word;
        if (headerSeen && word == "controller") {
            long address = -1;
            std::string rest;
            std::size_t found = controllers.size();
            if (words >> address && !(words >> rest))
                for (std::size_t i = 0; i < controllers.size(); ++i)
                    if (controllers[i].address == address) found = i;
            const std::string where = "line " + std::to_string(number) + ": ";
            if (found == controllers.size()) {
                error = where + "'" + bare + "' names no controller of the bus";
                return false;
            }
            if (named[found]) {
                error = where + "controller " + std::to_string(address) + " named twice";
                return false;
            }
            named[found] = true;
            current = found;
            line.clear();
        }
        for (std::size_t i = 0; i < texts.size(); ++i)
            texts[i] += (!headerSeen || i == current ? line : std::string()) + "\n";
        if (!ignored) headerSeen = true;
    }
    std::vector<Memory> loaded;
    for (std::size_t i = 0; i < controllers.size(); ++i) {
        loaded.push_back(*controllers[i].memory);
        if (!ParseState(texts[i], loaded.back(), error)) return false;
    }
    for (std::size_t i = 0; i < controllers.size(); ++i)
        *controllers[i].memory = std::move(loaded[i]);
    return true;
}

namespace {

bool WriteThroughTemporary(const std::string& text, const std::string& path, std::string& error) {
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text;
        out.flush();
        if (!out) {
            error = "cannot write " + temporary;
            return false;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        error = "cannot replace " + path;
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

bool ReadWhole(const std::string& path, std::string& text, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read " + path;
        return false;
    }
    std::ostringstream whole;
    whole << in.rdbuf();
    text = whole.str();
    return true;
}

} // namespace

bool SaveStateFile(const Memory& memory, const std::string& path, std::string& error) {
    return WriteThroughTemporary(SerializeState(memory), path, error);
}

bool SaveBusStateFile(const std::vector<ControllerMemory>& controllers, const std::string& path,
                      std::string& error) {
    return WriteThroughTemporary(SerializeBusState(controllers), path, error);
}

bool LoadStateFile(Memory& memory, const std::string& path, std::string& error) {
    std::string text;
    if (!ReadWhole(path, text, error)) return false;
    if (!ParseState(text, memory, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

bool LoadBusStateFile(const std::vector<ControllerMemory>& controllers, const std::string& path,
                      std::string& error) {
    std::string text;
    if (!ReadWhole(path, text, error)) return false;
    if (!ParseBusState(text, controllers, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

std::vector<std::string> DumpBlocks(const Memory& memory, std::string_view selector) {
    std::vector<std::string> lines;
    for (const std::string& key : Memory::Keys()) {
        if (selector == "all" ? memory.IsWritten(key) : Selects(selector, key))
            lines.push_back(Line(memory, key));
    }
    return lines;
}

} // namespace zyl::sim
