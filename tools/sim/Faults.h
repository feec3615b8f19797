#pragma once

// Damage done to replies on demand: the failures a real line and converter produce; and one
// of the controller itself, which acknowledges writes and keeps its old data.

#include "sim/Bytes.h"
#include "sim/Framer.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zyl::sim {

enum class FaultKind {
    None,
    NoReply,   // nothing is sent
    BadCrc,    // the last byte inverted
    WrongAddr, // byte 0 is the controller's address + 1, checksum recomputed
    Short,     // the last byte missing
    LeadZero,  // one 0x00 in front
    Garbage,   // the same number of random bytes, checksum certainly wrong
    // The reply as it is, but the write behind it not carried out: the controller keeps what
    // it held. Picks among accepted writes only.
    IgnoreWrites,
};

// Which replies a rule applies to.
enum class FaultTarget { All, Direct, Submit, Collect, Status };

struct FaultRule {
    FaultKind kind = FaultKind::None;
    // 0: every reply the rule targets; N: the N-th, 2N-th, ... of them.
    std::uint32_t every = 0;
    // When set, each targeted reply is damaged with this probability.
    std::optional<double> probability;
    std::uint64_t seed = 1;
    FaultTarget target = FaultTarget::All;
};

// Parses "KIND [every N | prob P [seed S]] [on TARGET]", the form the command line and the
// control channel take; nothing on error, with the reason in error.
[[nodiscard]] std::optional<FaultRule> ParseFaultRule(std::string_view text, std::string& error);
[[nodiscard]] std::string DescribeFaultRule(const FaultRule& rule);

class FaultInjector {
public:
    void SetRule(const FaultRule& rule);
    [[nodiscard]] const FaultRule& Rule() const { return rule_; }
    void SetLeadZero(bool on) { leadZero_ = on; }
    [[nodiscard]] bool LeadZero() const { return leadZero_; }

    // The reply as it leaves the line: damaged when the rule picks it, then prefixed with 0x00
    // when the lead-zero converter is on. An empty result means no reply.
    [[nodiscard]] Bytes Apply(Bytes reply, RequestKind kind);
    // For an accepted write: whether the ignore-writes rule picks it, so that the controller
    // keeps its old data. Counted as damaged.
    [[nodiscard]] bool DropsWrite(RequestKind kind);
    [[nodiscard]] std::uint64_t Damaged() const { return damaged_; }

private:
    [[nodiscard]] bool Picks(RequestKind kind);
    [[nodiscard]] std::uint64_t Next();

    FaultRule rule_;
    bool leadZero_ = false;
    std::uint64_t counter_ = 0;
    std::uint64_t state_ = 1;
    std::uint64_t damaged_ = 0;
};

} // namespace zyl::sim
