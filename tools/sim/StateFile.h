#pragma once

// The simulator's memory on disk, and readable dumps of it.
//
// A state file is text: the line "zyl200-sim state 1", then one line per written block,
// "block KEY HEX" (KEY as Memory::Keys() names it, HEX two digits per byte). While the setup
// block is not written, lines "setup-word N V" keep the words the sample setup block was given
// (98, 99 and any set through the control channel). Blank lines and lines starting with '#'
// are ignored. Other blocks never written are not saved: they come from the sample.

#include "sim/Memory.h"

#include <string>
#include <string_view>
#include <vector>

namespace zyl::sim {

[[nodiscard]] std::string SerializeState(const Memory& memory);
// Replaces every written block with the file's; on error nothing changes.
[[nodiscard]] bool ParseState(std::string_view text, Memory& memory, std::string& error);

[[nodiscard]] bool SaveStateFile(const Memory& memory, const std::string& path, std::string& error);
[[nodiscard]] bool LoadStateFile(Memory& memory, const std::string& path, std::string& error);

// Lines "KEY written HEX" or "KEY sample HEX" for the blocks a selector names: a block name,
// a leading part of names up to a '/' ("relays", "programs/4", "panel/structure"), or "all"
// for every written block. Empty when the selector names nothing (and is not "all").
[[nodiscard]] std::vector<std::string> DumpBlocks(const Memory& memory, std::string_view selector);

} // namespace zyl::sim
