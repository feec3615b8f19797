#pragma once

#include <array>
#include <cstdint>

namespace zyl {

// Passed by value to every command; filled from the main window before each operation.
struct TLinkParams {
    std::int32_t PortIndex = 0; // 0 is COM1, 15 is COM16
    std::uint8_t BaudCode = 6;  // index into BaudRates: 6 = 9600, 8 = 19200
};

inline constexpr std::array<int, 13> BaudRates = {110,   300,   600,   1200,  2400,  4800,  9600,
                                                  14400, 19200, 38400, 56000, 57600, 115200};

// Baud rate for a code; codes beyond the table give 0.
[[nodiscard]] constexpr int BaudRateForCode(std::uint8_t code) {
    return code < BaudRates.size() ? BaudRates[code] : 0;
}

// Link result codes returned by every exchange and command.
enum LinkResult : int {
    LinkOk = 0,
    LinkPortError = 1,
    LinkIncompleteWrite = 2,
    LinkWrongLength = 3,
    LinkChecksumError = 4,
    LinkExpectedTooShort = 5,
    LinkUnexpectedReply = 7,
    LinkNoReply = 8,
    LinkWrongAddress = 10,
};

} // namespace zyl
