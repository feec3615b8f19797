#pragma once

// Record layouts of the project image and its side blocks. Every record is a packed,
// little-endian struct; each offset and size is pinned below so that the files and the
// image stay byte-compatible with what controllers and older projects hold.

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zyl {

static_assert(std::endian::native == std::endian::little,
              "the record layouts need a little-endian host");

#pragma pack(push, 1)

// A length-prefixed text: one length byte followed by up to Capacity characters.
// A length byte above Capacity (possible in any file) is clamped on reading, so no access
// ever leaves the field.
template <std::size_t Capacity> struct TPString {
    std::uint8_t Length;
    char Chars[Capacity];

    [[nodiscard]] std::size_t Size() const { return std::min<std::size_t>(Length, Capacity); }
    [[nodiscard]] std::string Text() const { return std::string(Chars, Size()); }
    // Writes the length byte and the characters only; bytes beyond the new text are kept.
    void SetText(std::string_view text) {
        const std::size_t n = std::min(text.size(), Capacity);
        Length = static_cast<std::uint8_t>(n);
        std::copy_n(text.data(), n, Chars);
    }
};

struct TRelayRecord {
    std::int32_t Number;
    TPString<30> Name;
    std::uint8_t NameFiller;
    std::int32_t TimeType;
    std::int32_t TimeTa;
    std::int32_t TimeTb;
    std::int32_t RegulatorType;
    std::uint8_t MeasurementChannel;
    std::uint8_t SetValueSource;
    std::uint16_t ChannelWordHigh;
    std::int32_t Reserved56;
    std::int32_t Offset;
    std::int32_t RegulatorWindow;
    std::int32_t LowerHysteresis;
    std::int32_t UpperHysteresis;
    std::uint8_t Reserved76[16];
};

struct TProcessRecord {
    std::int32_t Number;
    TPString<30> Name;
    std::uint8_t NameFiller;
    std::int32_t EndCondition;
    std::uint8_t RelayStates[32];
    std::uint8_t Reserved72[32];
    std::int16_t StepPresets[5];
    std::uint8_t Reserved114[6];
};

struct TStepRecord {
    std::int32_t ProcessNumber;
    std::int32_t Temperature;
    std::int32_t Weight;
    std::int32_t Rotation;
    std::int32_t Counter;
    std::int32_t Vacuum;
    std::int32_t ExtraValue;
    std::int32_t VacuumPulse;
    std::int32_t Hours;
    std::int32_t Minutes;
    std::uint8_t Reserved40[32];
    std::int32_t OnOffPulse;
    std::uint16_t WorkTime;
    std::uint16_t PauseTime;
    std::uint8_t Reserved80[8];
};

inline constexpr int StepCount = 30;

struct TProgramRecord {
    TPString<50> Name;
    std::uint8_t NameFiller;
    TStepRecord Steps[StepCount];
    std::int32_t Number;
    std::uint8_t Reserved2696[12];
};

struct TAlarmRecord {
    std::int32_t Number;
    TPString<30> Message;
    std::uint8_t Filler35;
    std::int32_t DelayTime;
    std::int32_t AlarmStatus;
    std::int32_t RelayLogic;
    std::uint8_t RelayOutputs[32];
    std::uint8_t Unused80[48];
};

struct TSpecialStatusRecord {
    std::int32_t Number;
    TPString<50> Name;
    std::uint8_t Filler55;
    std::int32_t SwitchOffTime;
    std::int32_t RelayLogic;
    std::uint8_t RelayOutputs[32];
    std::uint8_t Unused96[48];
};

struct TAnalogOutputRecord {
    TPString<100> Name;
    std::uint8_t Filler101;
    std::int16_t OutputType;
    std::int16_t MeasurementChannel;
    std::int16_t SetValueSource;
    std::int32_t Value0V;
    std::int32_t Value10V;
    std::int32_t StopSetValue;
    std::int32_t PauseSetValue;
    std::int32_t Filler124;
    double Sample;
    double Gain;
    double TimeTi;
    double TimeTd;
    std::int32_t SpecialSetValues[4];
    std::uint8_t PidNumber;
    std::uint8_t Reserved177[87];
};

struct TPidRecord {
    std::uint8_t Reserved0[102];
    std::int16_t HeatingCooling;
    std::int16_t MeasurementChannel;
    std::int16_t SetValueSource;
    std::uint8_t Reserved108[20];
    double Sample;
    double Gain;
    double TimeTi;
    double TimeTd;
    double Period;
    std::uint8_t Reserved168[104];
};

struct TSetupBlock {
    std::int16_t Words[101];
};

struct TPasswordBlock {
    TPString<10> Slots[50];
};

inline constexpr int ProgramCount = 100;
inline constexpr int ProcessCount = 16;
inline constexpr int RelayCount = 32;
inline constexpr int SpecialStatusCount = 6;
inline constexpr int AlarmCount = 21;
inline constexpr int AnalogOutputCount = 5;
inline constexpr int PidCount = 5;

struct TProjectImage {
    std::uint8_t Head[101];
    std::uint8_t Align101[3];
    TProgramRecord Programs[ProgramCount];
    TProgramRecord WashingProgram;
    TProcessRecord Processes[ProcessCount];
    TProcessRecord WashingProcesses[ProcessCount];
    TRelayRecord Relays[RelayCount];
    TSpecialStatusRecord SpecialStatuses[SpecialStatusCount];
    TAlarmRecord Alarms[AlarmCount];
    std::uint8_t Reserved283948[16];
    TSetupBlock Setup;
    std::uint8_t Align284166[2];
    TAnalogOutputRecord AnalogOutputs[AnalogOutputCount];
};

#pragma pack(pop)

// --- layout pins -------------------------------------------------------------------------

static_assert(sizeof(TPString<30>) == 31);

static_assert(sizeof(TRelayRecord) == 92);
static_assert(offsetof(TRelayRecord, Name) == 4);
static_assert(offsetof(TRelayRecord, TimeType) == 36);
static_assert(offsetof(TRelayRecord, TimeTa) == 40);
static_assert(offsetof(TRelayRecord, TimeTb) == 44);
static_assert(offsetof(TRelayRecord, RegulatorType) == 48);
static_assert(offsetof(TRelayRecord, MeasurementChannel) == 52);
static_assert(offsetof(TRelayRecord, SetValueSource) == 53);
static_assert(offsetof(TRelayRecord, ChannelWordHigh) == 54);
static_assert(offsetof(TRelayRecord, Reserved56) == 56);
static_assert(offsetof(TRelayRecord, Offset) == 60);
static_assert(offsetof(TRelayRecord, RegulatorWindow) == 64);
static_assert(offsetof(TRelayRecord, LowerHysteresis) == 68);
static_assert(offsetof(TRelayRecord, UpperHysteresis) == 72);
static_assert(offsetof(TRelayRecord, Reserved76) == 76);

static_assert(sizeof(TProcessRecord) == 120);
static_assert(offsetof(TProcessRecord, Name) == 4);
static_assert(offsetof(TProcessRecord, EndCondition) == 36);
static_assert(offsetof(TProcessRecord, RelayStates) == 40);
static_assert(offsetof(TProcessRecord, Reserved72) == 72);
static_assert(offsetof(TProcessRecord, StepPresets) == 104);
static_assert(offsetof(TProcessRecord, Reserved114) == 114);

static_assert(sizeof(TStepRecord) == 88);
static_assert(offsetof(TStepRecord, Temperature) == 4);
static_assert(offsetof(TStepRecord, Weight) == 8);
static_assert(offsetof(TStepRecord, Rotation) == 12);
static_assert(offsetof(TStepRecord, Counter) == 16);
static_assert(offsetof(TStepRecord, Vacuum) == 20);
static_assert(offsetof(TStepRecord, ExtraValue) == 24);
static_assert(offsetof(TStepRecord, VacuumPulse) == 28);
static_assert(offsetof(TStepRecord, Hours) == 32);
static_assert(offsetof(TStepRecord, Minutes) == 36);
static_assert(offsetof(TStepRecord, OnOffPulse) == 72);
static_assert(offsetof(TStepRecord, WorkTime) == 76);
static_assert(offsetof(TStepRecord, PauseTime) == 78);

static_assert(sizeof(TProgramRecord) == 2708);
static_assert(offsetof(TProgramRecord, Steps) == 52);
static_assert(offsetof(TProgramRecord, Number) == 2692);

static_assert(sizeof(TAlarmRecord) == 128);
static_assert(offsetof(TAlarmRecord, Message) == 4);
static_assert(offsetof(TAlarmRecord, DelayTime) == 36);
static_assert(offsetof(TAlarmRecord, AlarmStatus) == 40);
static_assert(offsetof(TAlarmRecord, RelayLogic) == 44);
static_assert(offsetof(TAlarmRecord, RelayOutputs) == 48);
static_assert(offsetof(TAlarmRecord, Unused80) == 80);

static_assert(sizeof(TSpecialStatusRecord) == 144);
static_assert(offsetof(TSpecialStatusRecord, Name) == 4);
static_assert(offsetof(TSpecialStatusRecord, SwitchOffTime) == 56);
static_assert(offsetof(TSpecialStatusRecord, RelayLogic) == 60);
static_assert(offsetof(TSpecialStatusRecord, RelayOutputs) == 64);
static_assert(offsetof(TSpecialStatusRecord, Unused96) == 96);

static_assert(sizeof(TAnalogOutputRecord) == 264);
static_assert(offsetof(TAnalogOutputRecord, OutputType) == 102);
static_assert(offsetof(TAnalogOutputRecord, MeasurementChannel) == 104);
static_assert(offsetof(TAnalogOutputRecord, SetValueSource) == 106);
static_assert(offsetof(TAnalogOutputRecord, Value0V) == 108);
static_assert(offsetof(TAnalogOutputRecord, Value10V) == 112);
static_assert(offsetof(TAnalogOutputRecord, StopSetValue) == 116);
static_assert(offsetof(TAnalogOutputRecord, PauseSetValue) == 120);
static_assert(offsetof(TAnalogOutputRecord, Sample) == 128);
static_assert(offsetof(TAnalogOutputRecord, Gain) == 136);
static_assert(offsetof(TAnalogOutputRecord, TimeTi) == 144);
static_assert(offsetof(TAnalogOutputRecord, TimeTd) == 152);
static_assert(offsetof(TAnalogOutputRecord, SpecialSetValues) == 160);
static_assert(offsetof(TAnalogOutputRecord, PidNumber) == 176);

static_assert(sizeof(TPidRecord) == 272);
static_assert(offsetof(TPidRecord, HeatingCooling) == 102);
static_assert(offsetof(TPidRecord, MeasurementChannel) == 104);
static_assert(offsetof(TPidRecord, SetValueSource) == 106);
static_assert(offsetof(TPidRecord, Sample) == 128);
static_assert(offsetof(TPidRecord, Gain) == 136);
static_assert(offsetof(TPidRecord, TimeTi) == 144);
static_assert(offsetof(TPidRecord, TimeTd) == 152);
static_assert(offsetof(TPidRecord, Period) == 160);

static_assert(sizeof(TSetupBlock) == 202);
static_assert(sizeof(TPasswordBlock) == 550);

static_assert(sizeof(TProjectImage) == 285488);
static_assert(offsetof(TProjectImage, Programs) == 0x68);
static_assert(offsetof(TProjectImage, WashingProgram) == 0x42238);
static_assert(offsetof(TProjectImage, Processes) == 0x42CCC);
static_assert(offsetof(TProjectImage, WashingProcesses) == 0x4344C);
static_assert(offsetof(TProjectImage, Relays) == 0x43BCC);
static_assert(offsetof(TProjectImage, SpecialStatuses) == 0x4474C);
static_assert(offsetof(TProjectImage, Alarms) == 0x44AAC);
static_assert(offsetof(TProjectImage, Reserved283948) == 0x4552C);
static_assert(offsetof(TProjectImage, Setup) == 0x4553C);
static_assert(offsetof(TProjectImage, AnalogOutputs) == 0x45608);

// The older project format holds everything before the analog outputs.
inline constexpr std::size_t ProjectImageSize = sizeof(TProjectImage);
inline constexpr std::size_t OlderProjectImageSize = offsetof(TProjectImage, AnalogOutputs);
static_assert(OlderProjectImageSize == 284168);

} // namespace zyl
