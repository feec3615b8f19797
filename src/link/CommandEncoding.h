#pragma once

// Wire encodings of the controller commands: numbers, names, flag sets, and the items that
// carry the project's records. Everything here is pure: no port, no state.
//
// Common rules:
// - numbers are big-endian; a record field wider than its wire field sends its low bytes, and
//   a received value is stored zero-extended unless stated as signed;
// - names travel as 14 bytes in the controller's character set (see EncodeName/DecodeName);
// - a set of 32 flags travels as 4 bytes, flag i in bit i mod 8 of byte i div 8;
// - rounding goes to the nearest whole number, exact halves to the even neighbour.
//
// Item decoders set the fields that travel and leave every other byte of the record as it
// is; block decoders replace their records whole (starting from zero), except where stated.

#include "project/Records.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zyl {

// --- numbers -----------------------------------------------------------------------------

void AppendU8(std::vector<std::uint8_t>& out, std::int64_t value);  // low byte
void AppendU16(std::vector<std::uint8_t>& out, std::int64_t value); // low 16 bits, high first
void AppendU32(std::vector<std::uint8_t>& out, std::int64_t value); // low 32 bits, high first

[[nodiscard]] std::uint16_t ReadU16(std::span<const std::uint8_t> bytes, std::size_t at);
[[nodiscard]] std::int16_t ReadI16(std::span<const std::uint8_t> bytes, std::size_t at);
[[nodiscard]] std::int32_t ReadI32(std::span<const std::uint8_t> bytes, std::size_t at);

// Nearest whole number, halves to even, independent of the floating-point rounding mode.
// Values beyond the 32-bit range give its bounds; NaN gives 0.
[[nodiscard]] std::int32_t RoundHalfEven(double value);
// value / divisor (divisor > 0) rounded to the nearest whole number, halves to even.
[[nodiscard]] std::int64_t DivideRoundHalfEven(std::int64_t value, std::int64_t divisor);

// --- names and flag sets -----------------------------------------------------------------

inline constexpr std::size_t NameWireSize = 14;
using WireName = std::array<std::uint8_t, NameWireSize>;

// The text converted to the controller's character set, its first 14 bytes, blank padded.
// Conversion comes first, so bytes the code page drops do not take up room.
[[nodiscard]] WireName EncodeName(std::string_view text, int codePage);
// The 14 bytes with every 0x00 (and, when skipFF, every 0xFF) skipped, converted to the PC
// code page, with blanks and control characters stripped at both ends.
[[nodiscard]] std::string DecodeName(std::span<const std::uint8_t, NameWireSize> wire, int codePage,
                                     bool skipFF = false);

inline constexpr std::size_t FlagCount = 32;
using FlagWire = std::array<std::uint8_t, 4>;

// A non-zero flag byte sends its bit; received bits are stored as 1 or 0.
[[nodiscard]] FlagWire EncodeFlags(std::span<const std::uint8_t, FlagCount> flags);
void DecodeFlags(std::span<const std::uint8_t, 4> wire, std::span<std::uint8_t, FlagCount> flags);

// --- items -------------------------------------------------------------------------------

inline constexpr std::size_t SpecialStatusItemSize = 7;
inline constexpr std::size_t RelayItemSize = 40;
inline constexpr std::size_t AnalogOutputItemSize = 34;
inline constexpr std::size_t PidItemSize = 23;
inline constexpr std::size_t AlarmItemSize = 22;
inline constexpr std::size_t ProcessItemSize = 19;
inline constexpr std::size_t ProcessParametersItemSize = 10;

// Special status: switch-off time (16 bits; read as -1 for 0xFFFF, else unsigned), relay
// logic, relay outputs.
[[nodiscard]] std::array<std::uint8_t, SpecialStatusItemSize>
EncodeSpecialStatusItem(const TSpecialStatusRecord& record);
void DecodeSpecialStatusItem(std::span<const std::uint8_t, SpecialStatusItemSize> wire,
                             TSpecialStatusRecord& record);

// Relay: name, the four type and time fields (16 bits), the channel word low byte first
// (bytes 52 and 53 of the record; its high half reads as 0), and the four tuning values
// sent as field x 100 (low 32 bits) and read as wire / 100 rounded.
[[nodiscard]] std::array<std::uint8_t, RelayItemSize> EncodeRelayItem(const TRelayRecord& record,
                                                                      int codePage);
void DecodeRelayItem(std::span<const std::uint8_t, RelayItemSize> wire, TRelayRecord& record,
                     int codePage);

// Analog output: name, output type, channel, set-value source, PID number (1 byte each), then
// eight values of 16 bits. The real-valued fields do not travel.
[[nodiscard]] std::array<std::uint8_t, AnalogOutputItemSize>
EncodeAnalogOutputItem(const TAnalogOutputRecord& record, int codePage);
void DecodeAnalogOutputItem(std::span<const std::uint8_t, AnalogOutputItemSize> wire,
                            TAnalogOutputRecord& record, int codePage);

// PID regulator: three 1-byte fields, then sample, gain x 10, Ti, Td and period as rounded
// signed 32-bit values; read back as the value (the gain / 10).
[[nodiscard]] std::array<std::uint8_t, PidItemSize> EncodePidItem(const TPidRecord& record);
void DecodePidItem(std::span<const std::uint8_t, PidItemSize> wire, TPidRecord& record);

// Alarm: message, delay time (16 bits), status, relay logic, relay outputs.
[[nodiscard]] std::array<std::uint8_t, AlarmItemSize> EncodeAlarmItem(const TAlarmRecord& record,
                                                                      int codePage);
void DecodeAlarmItem(std::span<const std::uint8_t, AlarmItemSize> wire, TAlarmRecord& record,
                     int codePage);

// Process (group item): name, end condition, relay states.
[[nodiscard]] std::array<std::uint8_t, ProcessItemSize>
EncodeProcessItem(const TProcessRecord& record, int codePage);
void DecodeProcessItem(std::span<const std::uint8_t, ProcessItemSize> wire, TProcessRecord& record,
                       int codePage);

// Process parameters: the five step presets, 16 bits each.
[[nodiscard]] std::array<std::uint8_t, ProcessParametersItemSize>
EncodeProcessParametersItem(const TProcessRecord& record);
void DecodeProcessParametersItem(std::span<const std::uint8_t, ProcessParametersItemSize> wire,
                                 TProcessRecord& record);

// --- programs ----------------------------------------------------------------------------

// How a program is cut for a program block count P: q steps per part (30 / P rounded), each
// of 16 bytes for P <= 2 and 20 bytes (with work and pause time) above. A count below 1
// counts as 1, so the program then travels whole in one part.
struct ProgramPartLayout {
    int stepsPerPart;
    std::size_t stepSize;
};
[[nodiscard]] ProgramPartLayout ProgramLayoutFor(int blockCount);
inline constexpr std::size_t ProgramPartHeaderSize = 16; // part, program, name

// stepSize 16 or 20 bytes. The process number travels as ProcessNumber - 1 (0 and 1 both as
// 0) and reads back as the byte + 1.
[[nodiscard]] std::vector<std::uint8_t> EncodeStepItem(const TStepRecord& step,
                                                       std::size_t stepSize);
void DecodeStepItem(std::span<const std::uint8_t> wire, TStepRecord& step);

// Part data of a program: part number, Number - 1, name, then the part's steps. Steps of the
// part that lie beyond step 30 travel as zero bytes.
[[nodiscard]] std::vector<std::uint8_t> EncodeProgramPart(const TProgramRecord& program, int part,
                                                          int blockCount, int codePage);
// Sets Number from data byte 1, replaces the name (bytes 0x00 and 0xFF skipped) and fills
// the part's steps; steps beyond step 30 are ignored. Nothing else changes.
void DecodeProgramPart(std::span<const std::uint8_t> data, TProgramRecord& program, int part,
                       int blockCount, int codePage);

// --- block reply data (the reply from byte 9 up to the checksum) ---------------------------
// Data shorter than the block's layout change nothing.

// 100 words into words 0 to 99; word 100 becomes 0.
void DecodeSetupParameters(std::span<const std::uint8_t> data, TSetupBlock& setup);
// 37 groups of 6 bytes become slots 1 to 37, six characters each as they came; the rest 0.
void DecodePasswords(std::span<const std::uint8_t> data, TPasswordBlock& passwords);
// Six items into records 1 to 6 with Number 1 to 6 and empty names.
void DecodeSpecialStatuses(std::span<const std::uint8_t> data,
                           std::span<TSpecialStatusRecord, 6> records);
// Group byte, then six items; Number g x 6 + 1 to g x 6 + 6.
void DecodeRelayGroup(std::span<const std::uint8_t> data, std::span<TRelayRecord, 6> records,
                      int group, int codePage);
// One byte not used, five items; the rest of the data ignored.
void DecodeAnalogOutputs(std::span<const std::uint8_t> data,
                         std::span<TAnalogOutputRecord, 5> records, int codePage);
void DecodePidRegulators(std::span<const std::uint8_t> data, std::span<TPidRecord, 5> records);
// Group byte, then twelve items; Number g x 12 + 1 to g x 12 + 12.
void DecodeAlarmGroup(std::span<const std::uint8_t> data, std::span<TAlarmRecord, 12> records,
                      int group, int codePage);
// Group byte, then eight items; Number g x 8 + 1 to g x 8 + 8; step presets 0.
void DecodeProcessGroup(std::span<const std::uint8_t> data, std::span<TProcessRecord, 8> records,
                        int group, int codePage);
// Kind byte (not checked), then 16 items into the step presets only; nothing else changes.
void DecodeProcessParameters(std::span<const std::uint8_t> data,
                             std::span<TProcessRecord, 16> records);

// --- status, clock and panel -------------------------------------------------------------

// A date and time as the clock command takes it.
struct ClockTime {
    int Year = 2000;
    int Month = 1;
    int Day = 1;
    int Hour = 0;
    int Minute = 0;
    int Second = 0;
};
// Year (modulo 100 from 2000 on, else its low byte), month, day, hour, minute, second.
[[nodiscard]] std::array<std::uint8_t, 6> EncodeClock(const ClockTime& time);

inline constexpr std::size_t PanelPageSize = 264;

// The two bytes that address panel page `page`: page x 264, low 16 bits, high byte first.
[[nodiscard]] std::array<std::uint8_t, 2> EncodePanelPageAddress(int page);
// Page data cut to 264 bytes or blank padded to them.
[[nodiscard]] std::string PanelPageData(std::string_view data);

} // namespace zyl
