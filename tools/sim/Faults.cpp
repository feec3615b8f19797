#include "sim/Faults.h"

#include <charconv>
#include <sstream>
#include <vector>

namespace zyl::sim {

namespace {

struct Named {
    const char* name;
    FaultKind kind;
};
constexpr Named KindNames[] = {
    {"none", FaultKind::None},       {"noreply", FaultKind::NoReply},
    {"badcrc", FaultKind::BadCrc},   {"wrongaddr", FaultKind::WrongAddr},
    {"short", FaultKind::Short},     {"leadzero", FaultKind::LeadZero},
    {"garbage", FaultKind::Garbage}, {"ignore-writes", FaultKind::IgnoreWrites},
};

struct NamedTarget {
    const char* name;
    FaultTarget target;
};
constexpr NamedTarget TargetNames[] = {
    {"all", FaultTarget::All},       {"direct", FaultTarget::Direct},
    {"submit", FaultTarget::Submit}, {"collect", FaultTarget::Collect},
    {"status", FaultTarget::Status},
};

std::vector<std::string> Words(std::string_view text) {
    std::istringstream in{std::string(text)};
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

template <typename T> bool ParseNumber(const std::string& text, T& value) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

} // namespace

std::optional<FaultRule> ParseFaultRule(std::string_view text, std::string& error) {
    const auto words = Words(text);
    if (words.empty()) {
        error = "fault kind missing";
        return std::nullopt;
    }
    FaultRule rule;
    bool known = false;
    for (const Named& n : KindNames)
        if (words[0] == n.name) {
            rule.kind = n.kind;
            known = true;
        }
    if (!known) {
        error = "unknown fault kind '" + words[0] + "'";
        return std::nullopt;
    }
    for (std::size_t i = 1; i < words.size(); i += 2) {
        if (i + 1 >= words.size()) {
            error = "'" + words[i] + "' needs a value";
            return std::nullopt;
        }
        const std::string& key = words[i];
        const std::string& value = words[i + 1];
        if (key == "every") {
            if (!ParseNumber(value, rule.every) || rule.every == 0) {
                error = "every needs a whole number of 1 or more";
                return std::nullopt;
            }
        } else if (key == "prob") {
            double p = -1;
            std::istringstream in(value);
            in >> p;
            if (!in || !in.eof() || p < 0 || p > 1) {
                error = "prob needs a number from 0 to 1";
                return std::nullopt;
            }
            rule.probability = p;
        } else if (key == "seed") {
            if (!ParseNumber(value, rule.seed)) {
                error = "seed needs a whole number";
                return std::nullopt;
            }
        } else if (key == "on") {
            bool found = false;
            for (const NamedTarget& t : TargetNames)
                if (value == t.name) {
                    rule.target = t.target;
                    found = true;
                }
            if (!found) {
                error = "unknown target '" + value + "'";
                return std::nullopt;
            }
        } else {
            error = "unknown word '" + key + "'";
            return std::nullopt;
        }
    }
    if (rule.every != 0 && rule.probability) {
        error = "every and prob exclude each other";
        return std::nullopt;
    }
    return rule;
}

std::string DescribeFaultRule(const FaultRule& rule) {
    std::string text;
    for (const Named& n : KindNames)
        if (n.kind == rule.kind) text = n.name;
    if (rule.kind == FaultKind::None) return text;
    if (rule.every != 0) text += " every " + std::to_string(rule.every);
    if (rule.probability) {
        std::ostringstream p;
        p << *rule.probability;
        text += " prob " + p.str() + " seed " + std::to_string(rule.seed);
    }
    for (const NamedTarget& t : TargetNames)
        if (t.target == rule.target && t.target != FaultTarget::All)
            text += " on " + std::string(t.name);
    return text;
}

void FaultInjector::SetRule(const FaultRule& rule) {
    rule_ = rule;
    counter_ = 0;
    state_ = rule.seed;
}

std::uint64_t FaultInjector::Next() {
    // splitmix64: the same sequence for a seed on every platform.
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

bool FaultInjector::Picks(RequestKind kind) {
    if (rule_.kind == FaultKind::None) return false;
    switch (rule_.target) {
    case FaultTarget::All:
        break;
    case FaultTarget::Direct:
        if (kind != RequestKind::Direct) return false;
        break;
    case FaultTarget::Submit:
        if (kind != RequestKind::Submit) return false;
        break;
    case FaultTarget::Collect:
        if (kind != RequestKind::Collect) return false;
        break;
    case FaultTarget::Status:
        if (kind != RequestKind::Status) return false;
        break;
    }
    ++counter_;
    if (rule_.probability)
        return static_cast<double>(Next() >> 11) * 0x1.0p-53 < *rule_.probability;
    if (rule_.every != 0) return counter_ % rule_.every == 0;
    return true;
}

Bytes FaultInjector::Apply(Bytes reply, RequestKind kind) {
    if (reply.empty()) return reply;
    if (rule_.kind != FaultKind::IgnoreWrites && Picks(kind)) {
        ++damaged_;
        switch (rule_.kind) {
        case FaultKind::None:
        case FaultKind::IgnoreWrites:
            break;
        case FaultKind::NoReply:
            reply.clear();
            break;
        case FaultKind::BadCrc:
            reply.back() ^= 0xFF;
            break;
        case FaultKind::WrongAddr:
            reply.resize(reply.size() - 2);
            reply[0] = static_cast<std::uint8_t>(reply[0] + 1);
            AppendCrc(reply);
            break;
        case FaultKind::Short:
            reply.pop_back();
            break;
        case FaultKind::LeadZero:
            reply.insert(reply.begin(), 0x00);
            break;
        case FaultKind::Garbage:
            for (auto& b : reply) b = static_cast<std::uint8_t>(Next() >> 56);
            if (CrcMatches(reply)) reply.back() ^= 0xFF;
            break;
        }
    }
    if (leadZero_ && !reply.empty()) reply.insert(reply.begin(), 0x00);
    return reply;
}

bool FaultInjector::DropsWrite(RequestKind kind) {
    if (rule_.kind != FaultKind::IgnoreWrites || !Picks(kind)) return false;
    ++damaged_;
    return true;
}

} // namespace zyl::sim
