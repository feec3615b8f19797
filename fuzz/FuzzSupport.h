#pragma once

// What the harnesses share: a check that stops the run, destinations with guard bytes on both
// sides, and a folder of this process for the loaders that take paths.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <type_traits>

// Stops the run with the failed property's text when a promised property does not hold.
#define FUZZ_REQUIRE(condition)                                                                    \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: property does not hold: %s\n", __FILE__, __LINE__,        \
                         #condition);                                                              \
            __builtin_trap();                                                                      \
        }                                                                                          \
    } while (false)

namespace zylfuzz {

// Well-formed UTF-8, checked apart from the core's own decoder: shortest forms, no surrogates,
// nothing above U+10FFFF.
inline bool WellFormedUtf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<unsigned char>(s[i]);
        std::size_t n = 0;
        unsigned lo = 0x80, hi = 0xBF; // range of the second byte
        if (b < 0x80) {
            ++i;
            continue;
        }
        if (b >= 0xC2 && b <= 0xDF) {
            n = 1;
        } else if (b >= 0xE0 && b <= 0xEF) {
            n = 2;
            if (b == 0xE0) lo = 0xA0;
            if (b == 0xED) hi = 0x9F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            n = 3;
            if (b == 0xF0) lo = 0x90;
            if (b == 0xF4) hi = 0x8F;
        } else {
            return false;
        }
        if (i + n >= s.size()) return false;
        for (std::size_t k = 1; k <= n; ++k) {
            const auto c = static_cast<unsigned char>(s[i + k]);
            const unsigned low = k == 1 ? lo : 0x80;
            const unsigned high = k == 1 ? hi : 0xBF;
            if (c < low || c > high) return false;
        }
        i += n + 1;
    }
    return true;
}

template <class T> std::span<const std::uint8_t, sizeof(T)> BytesOf(const T& object) {
    static_assert(std::is_trivially_copyable_v<T>);
    return std::span<const std::uint8_t, sizeof(T)>(reinterpret_cast<const std::uint8_t*>(&object),
                                                    sizeof(T));
}

template <class T> bool SameBytes(const T& a, const T& b) {
    return std::memcmp(&a, &b, sizeof(T)) == 0;
}

inline bool AllBytesAre(std::span<const std::uint8_t> bytes, std::uint8_t value) {
    return std::all_of(bytes.begin(), bytes.end(), [value](std::uint8_t b) { return b == value; });
}

// A destination between two guard areas. Fill sets every byte, the guards included, so a
// write beside the destination shows as a changed guard byte even where the sanitizer cannot
// see it (inside one object).
template <class T> struct Guarded {
    static_assert(std::is_trivially_copyable_v<T>);
    std::uint8_t before[32];
    T value;
    std::uint8_t after[32];

    void Fill(std::uint8_t b) {
        std::memset(before, b, sizeof before);
        std::memset(static_cast<void*>(&value), b, sizeof value);
        std::memset(after, b, sizeof after);
    }
    [[nodiscard]] bool GuardsHold(std::uint8_t b) const {
        return AllBytesAre(before, b) && AllBytesAre(after, b);
    }
    [[nodiscard]] bool ValueIsAll(std::uint8_t b) const { return AllBytesAre(BytesOf(value), b); }
};

// A folder of this process, made on first use and removed when the process exits normally.
inline const std::string& ProcessFolder() {
    static const std::string* folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "zylfuzz-XXXXXX").string();
        if (!mkdtemp(pattern.data())) {
            std::perror("mkdtemp");
            std::abort();
        }
        return new std::string(pattern);
    }();
    static const bool removeAtExit = [] {
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(*folder, ec);
        });
        return true;
    }();
    (void)removeAtExit;
    return *folder;
}

inline void WriteFile(const std::string& path, std::span<const std::uint8_t> bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    const bool ok = f && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (!f || std::fclose(f) != 0 || !ok) {
        std::perror(path.c_str());
        std::abort();
    }
}

inline void RemoveFile(const std::string& path) {
    std::error_code ec;
    std::filesystem::remove(path, ec);
}

} // namespace zylfuzz
