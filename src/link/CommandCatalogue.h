#pragma once

// The controller commands as data. Each command is described once: its inner letter and
// code, its payload and reply lengths, and the checks its reply gets. Every variant of the
// command (direct request, module submit, module collect) is made from that one description
// by BuildRequestFrame and ExpectedReplyLength; the request builders below put the command's
// arguments into its payload.

#include "link/CommandEncoding.h"
#include "project/Records.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace zyl {

// How a command travels.
//   Direct  - the inner command as a direct request ('F' 0x08); the reply is the controller's
//             answer of the command's reply length.
//   Submit  - the inner command handed to the communication module ('G' 0x09); the reply has
//             7 bytes, and for a read its bytes 1 and 2 must be 'G' 0x09.
//   Collect - the module collect ('F' 0x09) that fetches the answer to the last submit. For
//             a read it is laid out as the direct reply and decoded alike; for a write it is
//             the acknowledgement of the direct reply's length, whose byte 1 must be 'F'
//             (CollectAck with n = reply length - 7).
enum class Variant { Direct, Submit, Collect };

struct CommandDescriptor {
    std::string_view name;
    std::uint8_t letter; // 'F' reads, 'G' writes or acts, 'D' works on panel memory
    std::uint8_t code;
    std::size_t replyLength; // the direct reply, also the collect reply (programs: no steps)
    bool read;               // the answer carries data: a Submit reply is checked
    bool echoesNumber;       // reply data byte 0 must repeat payload byte 0
};

namespace cmd {
// clang-format off
//                                                          name                          letter code reply read   echo
inline constexpr CommandDescriptor ReadSetupParameters        {"ReadSetupParameters",        'F', 0x0A, 211, true,  false};
inline constexpr CommandDescriptor WriteSetupParameters       {"WriteSetupParameters",       'G', 0x0A,  11, false, false};
inline constexpr CommandDescriptor ReadPasswords              {"ReadPasswords",              'F', 0x11, 233, true,  false};
inline constexpr CommandDescriptor WritePasswords             {"WritePasswords",             'G', 0x11,  11, false, false};
inline constexpr CommandDescriptor ReadSpecialStatuses        {"ReadSpecialStatuses",        'F', 0x0E,  53, true,  false};
inline constexpr CommandDescriptor WriteSpecialStatuses       {"WriteSpecialStatuses",       'G', 0x0E,  11, false, false};
inline constexpr CommandDescriptor WriteSpecialStatus         {"WriteSpecialStatus",         'G', 0x16,  11, false, false};
inline constexpr CommandDescriptor ReadRelayGroup             {"ReadRelayGroup",             'F', 0x0C, 252, true,  true};
inline constexpr CommandDescriptor WriteRelayGroup            {"WriteRelayGroup",            'G', 0x0C,  11, false, false};
inline constexpr CommandDescriptor ReadAnalogOutputs          {"ReadAnalogOutputs",          'F', 0x12, 257, true,  false};
inline constexpr CommandDescriptor WriteAnalogOutputs         {"WriteAnalogOutputs",         'G', 0x12,  11, false, false};
inline constexpr CommandDescriptor ReadPidRegulators          {"ReadPidRegulators",          'F', 0x38, 257, true,  false};
inline constexpr CommandDescriptor WritePidRegulators         {"WritePidRegulators",         'G', 0x38,  11, false, false};
inline constexpr CommandDescriptor ReadAlarmGroup             {"ReadAlarmGroup",             'F', 0x0F, 276, true,  true};
inline constexpr CommandDescriptor WriteAlarmGroup            {"WriteAlarmGroup",            'G', 0x0F,  11, false, false};
inline constexpr CommandDescriptor WriteAlarm                 {"WriteAlarm",                 'G', 0x17,  11, false, false};
inline constexpr CommandDescriptor ReadProcessGroup           {"ReadProcessGroup",           'F', 0x0D, 164, true,  true};
inline constexpr CommandDescriptor ReadWashingProcessGroup    {"ReadWashingProcessGroup",    'F', 0x10, 164, true,  true};
inline constexpr CommandDescriptor WriteProcessGroup          {"WriteProcessGroup",          'G', 0x0D,  11, false, false};
inline constexpr CommandDescriptor WriteWashingProcessGroup   {"WriteWashingProcessGroup",   'G', 0x10,  11, false, false};
inline constexpr CommandDescriptor WriteProcess               {"WriteProcess",               'G', 0x15,  11, false, false};
inline constexpr CommandDescriptor WriteWashingProcess        {"WriteWashingProcess",        'G', 0x18,  11, false, false};
inline constexpr CommandDescriptor ReadProcessParameters      {"ReadProcessParameters",      'F', 0x13, 172, true,  false};
inline constexpr CommandDescriptor WriteProcessParameters     {"WriteProcessParameters",     'G', 0x13,  11, false, false};
inline constexpr CommandDescriptor WriteProcessStepParameters {"WriteProcessStepParameters", 'G', 0x1A,  11, false, false};
inline constexpr CommandDescriptor ReadProgram                {"ReadProgram",                'F', 0x0B,  27, true,  true};
inline constexpr CommandDescriptor WriteProgram               {"WriteProgram",               'G', 0x0B,  11, false, false};
inline constexpr CommandDescriptor ResetController            {"ResetController",            'G', 0xE6,  11, false, false};
inline constexpr CommandDescriptor ResetControllerSubmit      {"ResetControllerSubmit",      'G', 0xE6,  11, false, false};
inline constexpr CommandDescriptor SetControllerClock         {"SetControllerClock",         'G', 0x06,  11, false, false};
inline constexpr CommandDescriptor ReadPanelInfo              {"ReadPanelInfo",              'D', 0x20,  17, true,  false};
inline constexpr CommandDescriptor ReadUserPanelPage          {"ReadPanelPage",              'D', 0x21, 277, true,  false};
inline constexpr CommandDescriptor ReadPredefinedPanelPage    {"ReadPanelPage",              'D', 0x22, 277, true,  false};
inline constexpr CommandDescriptor WritePanelPage             {"WritePanelPage",             'D', 0x24,  13, false, false};
inline constexpr CommandDescriptor WritePanelCodeTable        {"WritePanelCodeTable",        'D', 0x23,  11, false, false};
// clang-format on
} // namespace cmd

// Length of a module submit's reply, and of the frames without an inner command.
inline constexpr std::size_t ModuleReplyLength = 7;
// The module's status reply.
inline constexpr std::size_t StatusReplyLength = 64;

// One command with its arguments in place: what goes into the frame and what comes back.
struct InnerRequest {
    const CommandDescriptor* command = nullptr;
    std::vector<std::uint8_t> payload;
    std::size_t replyLength = 0; // of the direct reply and the collect
};

// The complete frame of the request in a variant (a Collect carries no inner command).
[[nodiscard]] std::vector<std::uint8_t> BuildRequestFrame(const InnerRequest& request,
                                                          Variant variant, std::uint8_t address);
// The length of the reply that the variant expects.
[[nodiscard]] std::size_t ExpectedReplyLength(const InnerRequest& request, Variant variant);

// Which of the panel's two menu blocks a page read addresses.
enum class PanelBlock { User, Predefined };

// --- request builders --------------------------------------------------------------------
// Numbers (groups, parts, indexes, kinds) travel as their low byte. The writes take the
// code page for their names.

[[nodiscard]] InnerRequest BuildReadSetupParametersRequest();
// 0x00 0x00, then words 1 to 100; word 0 is never sent.
[[nodiscard]] InnerRequest BuildWriteSetupParametersRequest(const TSetupBlock& setup);
[[nodiscard]] InnerRequest BuildReadPasswordsRequest();
// Slots 1 to 37, six bytes each: the first six characters, 0x00 beyond the slot's length.
[[nodiscard]] InnerRequest BuildWritePasswordsRequest(const TPasswordBlock& passwords);
[[nodiscard]] InnerRequest BuildReadSpecialStatusesRequest();
[[nodiscard]] InnerRequest
BuildWriteSpecialStatusesRequest(std::span<const TSpecialStatusRecord, 6> records);
[[nodiscard]] InnerRequest BuildWriteSpecialStatusRequest(const TSpecialStatusRecord& record,
                                                          int index);
[[nodiscard]] InnerRequest BuildReadRelayGroupRequest(int group);
[[nodiscard]] InnerRequest BuildWriteRelayGroupRequest(std::span<const TRelayRecord, 6> records,
                                                       int group, int codePage);
[[nodiscard]] InnerRequest BuildReadAnalogOutputsRequest();
[[nodiscard]] InnerRequest
BuildWriteAnalogOutputsRequest(std::span<const TAnalogOutputRecord, 5> records, int codePage);
[[nodiscard]] InnerRequest BuildReadPidRegulatorsRequest();
[[nodiscard]] InnerRequest BuildWritePidRegulatorsRequest(std::span<const TPidRecord, 5> records);
[[nodiscard]] InnerRequest BuildReadAlarmGroupRequest(int group);
[[nodiscard]] InnerRequest BuildWriteAlarmGroupRequest(std::span<const TAlarmRecord, 12> records,
                                                       int group, int codePage);
[[nodiscard]] InnerRequest BuildWriteAlarmRequest(const TAlarmRecord& record, int index,
                                                  int codePage);
[[nodiscard]] InnerRequest BuildReadProcessGroupRequest(int group, bool washing);
[[nodiscard]] InnerRequest BuildWriteProcessGroupRequest(std::span<const TProcessRecord, 8> records,
                                                         int group, bool washing, int codePage);
[[nodiscard]] InnerRequest BuildWriteProcessRequest(const TProcessRecord& record, int index,
                                                    bool washing, int codePage);
[[nodiscard]] InnerRequest BuildReadProcessParametersRequest(bool washing);
[[nodiscard]] InnerRequest
BuildWriteProcessParametersRequest(std::span<const TProcessRecord, 16> records, bool washing);
// The index byte is index + 100 for the washing process table.
[[nodiscard]] InnerRequest BuildWriteProcessStepParametersRequest(const TProcessRecord& record,
                                                                  int index, bool washing);
// Reply length 27 + q x b for the block count's layout (ProgramLayoutFor).
[[nodiscard]] InnerRequest BuildReadProgramRequest(int part, int programIndex, int blockCount);
// Byte 1 is the record's Number - 1.
[[nodiscard]] InnerRequest BuildWriteProgramRequest(const TProgramRecord& program, int part,
                                                    int blockCount, int codePage);

// Direct: no payload; Submit: payload 0x00 0x00.
[[nodiscard]] InnerRequest BuildResetControllerRequest(Variant variant);
[[nodiscard]] InnerRequest BuildSetControllerClockRequest(const ClockTime& time);
[[nodiscard]] InnerRequest BuildReadPanelInfoRequest();
[[nodiscard]] InnerRequest BuildReadPanelPageRequest(int page, PanelBlock block);
// The page's data blank padded or cut to 264 bytes.
[[nodiscard]] InnerRequest BuildWritePanelPageRequest(std::string_view data, int page);
[[nodiscard]] InnerRequest
BuildWritePanelCodeTableRequest(std::span<const std::uint8_t, 4> descriptor);

} // namespace zyl
