#pragma once

// The controller's memory: every block kept as the wire bytes it was written with.
//
// A block is named by a key (see Keys()); its bytes are the payload of the write command
// that carries it, group or kind byte included, so a read answers with exactly what was
// sent. Blocks never written answer with the sample configuration.

#include "sim/Bytes.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zyl::sim {

// Setup word 98 holds this value when the panel keeps its menu in the structure layout.
inline constexpr std::uint16_t StructureLayoutMark = 0xBA56;

enum class MenuLayout { Structure, Predefined };

// What the sample configuration depends on.
struct SampleParams {
    std::uint8_t address = 1;
    bool fastBaud = true; // 19200 rather than 9600, setup parameter F02
    std::int16_t version = 501;
    std::uint16_t layoutMark = StructureLayoutMark;
    // Further setup words set by the control channel while the setup block is not written.
    std::map<int, std::uint16_t> setupWords;
};

class Memory {
public:
    // Panel blocks are byte-addressed with 16-bit addresses and written in 264-byte pages.
    static constexpr std::size_t PanelCapacity = 65536 + 264;
    // Panel bytes never written read as this.
    static constexpr std::uint8_t PanelFill = 0xFF;

    // Every block name in a fixed order:
    //   setup, passwords, statuses, relays/G (0-5), analog, pid, alarms/G (0-1),
    //   processes/G, washing-processes/G (0-1), process-parameters/K (0-1),
    //   programs/I/C/P (program index 0-100 as on the wire, block count C 2 or 3, part P),
    //   panel/L/predefined-block, panel/L/user-block, panel/L/code-table (L structure or
    //   predefined).
    [[nodiscard]] static const std::vector<std::string>& Keys();
    // The size a block of that name has; 0 for the two growing panel blocks; nothing for a
    // name that is not a block.
    [[nodiscard]] static std::optional<std::size_t> SizeOf(std::string_view key);

    [[nodiscard]] Bytes Get(const std::string& key) const;
    [[nodiscard]] bool IsWritten(const std::string& key) const;
    // Stores a whole block; false for an unknown name or a wrong size.
    bool Put(const std::string& key, Bytes bytes);
    // Overwrites bytes inside a block, starting from its current content (written or sample);
    // a panel block grows as needed up to PanelCapacity. False when the bytes do not fit.
    bool Patch(const std::string& key, std::size_t offset, std::span<const std::uint8_t> bytes);
    // Forgets every written block.
    void Clear() { written_.clear(); }
    [[nodiscard]] const std::map<std::string, Bytes>& Written() const { return written_; }

    [[nodiscard]] const SampleParams& Sample() const { return sample_; }
    void SetSample(const SampleParams& params) { sample_ = params; }

    // Setup word as the controller holds it (signed).
    [[nodiscard]] int SetupWord(int index) const;
    // Changes one setup word: in the written block, or else in the sample. Words 98 and 99
    // also change in the sample when the block is written, so they survive a "clear".
    void SetSetupWord(int index, std::uint16_t value);
    // Frames per program: 3 when setup word 99 is 501 or more, else 2.
    [[nodiscard]] int ProgramBlockCount() const;
    [[nodiscard]] MenuLayout Layout() const;

private:
    std::map<std::string, Bytes> written_;
    SampleParams sample_;
};

// Program key for the wire values.
[[nodiscard]] std::string ProgramKey(int index, int blockCount, int part);
// Panel key of a layout: block is "predefined-block", "user-block" or "code-table".
[[nodiscard]] std::string PanelKey(MenuLayout layout, std::string_view block);

// Steps per part and bytes per step for a block count.
struct ProgramFraming {
    int stepsPerPart;
    int stepBytes;
    [[nodiscard]] std::size_t PartBytes() const {
        return 16 + static_cast<std::size_t>(stepsPerPart) * static_cast<std::size_t>(stepBytes);
    }
};
[[nodiscard]] ProgramFraming FramingFor(int blockCount);

} // namespace zyl::sim
