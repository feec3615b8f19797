#pragma once

// The configuration a fresh controller answers with: named relays, processes, alarms and a
// few programs, setup words in range, and an operator menu in both panel layouts. Every block
// is encoded here in its wire layout.

#include "sim/Bytes.h"
#include "sim/Memory.h"

#include <string_view>

namespace zyl::sim {

// The sample content of a block; empty for a name that is not a block.
[[nodiscard]] Bytes SampleBlock(std::string_view key, const SampleParams& params);

// Size of one language's text stream in the sample menu (the size the panel reports).
[[nodiscard]] unsigned SampleMenuStreamSize();

} // namespace zyl::sim
