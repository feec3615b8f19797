#pragma once

// The simulator's memory on disk, and readable dumps of it.
//
// A state file is text: the line "zyl200-sim state 1", then one line per written block,
// "block KEY HEX" (KEY as Memory::Keys() names it, HEX two digits per byte). While the setup
// block is not written, lines "setup-word N V" keep the words the sample setup block was given
// (98, 99 and any set through the control channel). Blank lines and lines starting with '#'
// are ignored. Other blocks never written are not saved: they come from the sample.
//
// A bus of several controllers keeps them all in one file: each controller's lines follow a
// line "controller N" (N its address). Lines before the first such line belong to the first
// controller of the bus, so a file of a single controller loads into the first.

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

// One controller of a bus as the state file sees it.
struct ControllerMemory {
    std::uint8_t address;
    Memory* memory;
};

// With one controller, the same text as SerializeState.
[[nodiscard]] std::string SerializeBusState(const std::vector<ControllerMemory>& controllers);
// Replaces the memory of every controller: with the file's lines for it, or with none (its
// written blocks forgotten). A controller the bus does not have, or the same controller named
// twice, is an error; on error nothing changes.
[[nodiscard]] bool ParseBusState(std::string_view text,
                                 const std::vector<ControllerMemory>& controllers,
                                 std::string& error);
[[nodiscard]] bool SaveBusStateFile(const std::vector<ControllerMemory>& controllers,
                                    const std::string& path, std::string& error);
[[nodiscard]] bool LoadBusStateFile(const std::vector<ControllerMemory>& controllers,
                                    const std::string& path, std::string& error);

// Lines "KEY written HEX" or "KEY sample HEX" for the blocks a selector names: a block name,
// a leading part of names up to a '/' ("relays", "programs/4", "panel/structure"), or "all"
// for every written block. Empty when the selector names nothing (and is not "all").
[[nodiscard]] std::vector<std::string> DumpBlocks(const Memory& memory, std::string_view selector);

} // namespace zyl::sim
