#pragma once

// The communication module's status reply (64 bytes) decoded: clock, measured values,
// recording addresses, operating mode and the panel-ready flag. A packed record; the fields
// named after their reply bytes are kept for completeness and used nowhere.

#include <cstddef>
#include <cstdint>
#include <span>

namespace zyl {

#pragma pack(push, 1)

struct TControllerStatus {
    std::int32_t Year;   // byte 5 + 2000
    std::int32_t Month;  // byte 6
    std::int32_t Day;    // byte 7
    std::int32_t Hour;   // byte 8
    std::int32_t Minute; // byte 9
    std::int32_t Second; // byte 10
    std::int32_t StatusByte38;
    std::int32_t StatusByte34;
    std::int32_t StatusByte25;
    std::int32_t StatusByte26;
    std::int32_t StatusByte27;
    std::int32_t StatusByte36;
    std::int32_t StatusByte37;
    std::int32_t Vacuum; // byte 15
    std::int32_t StatusByte28;
    std::int32_t StatusByte29;
    std::int32_t LastRecordingAddress;     // bytes 17-18, unsigned
    std::int32_t PreviousRecordingAddress; // bytes 19-20, unsigned
    std::int32_t RecordingCounter;         // not carried: 0
    std::int32_t RecordingInterlock;       // not carried: 0
    // Signed 16-bit values / 10.
    double Value30;     // bytes 30-31
    double Rotation;    // bytes 32-33
    double Temperature; // bytes 11-12
    double Value13;     // bytes 13-14
    double Channel3;    // bytes 43-44
    double Channel4;    // bytes 47-48
    double Channel5;    // bytes 45-46
    double Channel6;    // bytes 49-50
    double Channel7;    // bytes 51-52
    double Channel8;    // bytes 53-54
    double Channel9;    // bytes 55-56
    double Channel10;   // bytes 57-58
    double Channel11;   // not carried: -300.0
    double Channel12;   // not carried: -300.0
    std::int32_t StatusByte16;
    std::int32_t StatusByte21;
    std::uint8_t Mode; // byte 22 AND 0x3F: 0 and 1 are STOP mode
    std::uint8_t StatusByte23;
    std::int32_t StatusByte24;
    std::int32_t StatusByte35;
    bool PanelReady; // byte 61 (the last before the checksum) is 1
    std::uint8_t StatusByte42;
    std::uint8_t StatusByte41;
    std::uint8_t StatusByte40;
    std::uint8_t StatusByte39;
    std::int32_t StatusByte60;
};

#pragma pack(pop)

static_assert(sizeof(TControllerStatus) == 219);
static_assert(offsetof(TControllerStatus, StatusByte38) == 24);
static_assert(offsetof(TControllerStatus, Vacuum) == 52);
static_assert(offsetof(TControllerStatus, LastRecordingAddress) == 64);
static_assert(offsetof(TControllerStatus, Value30) == 80);
static_assert(offsetof(TControllerStatus, Channel12) == 184);
static_assert(offsetof(TControllerStatus, StatusByte16) == 192);
static_assert(offsetof(TControllerStatus, Mode) == 200);
static_assert(offsetof(TControllerStatus, PanelReady) == 210);
static_assert(offsetof(TControllerStatus, StatusByte60) == 215);

// Operating modes 0 and 1 are STOP mode.
[[nodiscard]] inline bool IsStopMode(const TControllerStatus& status) {
    return status.Mode <= 1;
}

// Decodes a complete 64-byte status reply; any other length gives the cleared record.
[[nodiscard]] TControllerStatus DecodeControllerStatus(std::span<const std::uint8_t> reply);

} // namespace zyl
