#include "sim/Bus.h"

#include <charconv>

namespace zyl::sim {

namespace {

bool Whole(std::string_view text, long low, long high, long& value) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && ec == std::errc() && end == text.data() + text.size() && value >= low &&
           value <= high;
}

} // namespace

std::optional<std::vector<Station>> ParseStations(std::string_view text, std::string& error) {
    std::vector<Station> stations;
    for (;;) {
        const std::size_t comma = text.find(',');
        const std::string_view item = text.substr(0, comma);
        const std::size_t at = item.find('@');
        long address = 0;
        if (!Whole(item.substr(0, at), 0, 247, address)) {
            error = "'" + std::string(item) + "': an address is 0 to 247";
            return std::nullopt;
        }
        Station station{static_cast<std::uint8_t>(address), std::nullopt};
        if (at != std::string_view::npos) {
            long baud = 0;
            if (!Whole(item.substr(at + 1), 9600, 19200, baud) || (baud != 9600 && baud != 19200)) {
                error = "'" + std::string(item) + "': a controller listens at 9600 or 19200";
                return std::nullopt;
            }
            station.baud = static_cast<int>(baud);
        }
        for (const Station& s : stations)
            if (s.address == station.address) {
                error = "address " + std::to_string(address) + " given twice";
                return std::nullopt;
            }
        stations.push_back(station);
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    return stations;
}

Bus::Bus(const EngineConfig& common, const std::vector<Station>& stations, Clock::time_point now) {
    for (const Station& station : stations) {
        EngineConfig config = common;
        config.address = station.address;
        config.baud = station.baud.value_or(common.baud);
        config.sample.address = station.address;
        config.sample.fastBaud = config.baud == 19200;
        engines_.push_back(std::make_unique<Engine>(config, now));
    }
}

std::vector<Exchange> Bus::Receive(std::span<const std::uint8_t> bytes, Clock::time_point now,
                                   const std::optional<LineSettings>& line) {
    // Every controller cuts the same frames out of the same bytes (they share the gap), so
    // the n-th exchange of each is about the same frame; at most one of them has a reply, as
    // no two controllers share an address.
    std::vector<Exchange> merged;
    for (std::size_t i = 0; i < engines_.size(); ++i) {
        std::vector<Exchange> heard = engines_[i]->Receive(bytes, now, line);
        if (i == 0) {
            merged = std::move(heard);
            continue;
        }
        for (std::size_t n = 0; n < heard.size() && n < merged.size(); ++n)
            if (!heard[n].reply.empty()) merged[n] = std::move(heard[n]);
    }
    return merged;
}

Engine* Bus::Find(int address) {
    for (const auto& engine : engines_)
        if (engine->Address() == address) return engine.get();
    return nullptr;
}

} // namespace zyl::sim
