#pragma once

// The controller commands, as the rest of the program calls them.
//
// Every function here is a retry wrapper around one command (its description and payload in
// CommandCatalogue.h, its encodings in CommandEncoding.h):
//   - it sets the port's read-timeout constant, then makes up to three attempts; each failed
//     attempt, the third included, is followed by PreciseDelay(100); the result is that of
//     the last attempt. The two reset commands make a single attempt followed by 100 ms.
//   - it returns a link result code (LinkTypes.h): the exchange's code, or 7 when an intact
//     reply fails the command's check (module submit of a read: bytes 1, 2 'G' 0x09;
//     acknowledgement collect: byte 1 'F'; group and part reads: data byte 0 repeats the
//     number asked for). Nothing is decoded from a reply that failed a check.
//   - names are converted with link.codePage.
//   - it never shows a message.
//
// Variants. Each command exists in the forms its block allows, named as the command
// (direct request), with the ending Submit (module submit) and with the ending Collect (module
// collect of a read). Besides, every block command has an overload taking a Variant right
// after the link, so that a procedure can run one packet command as direct request, module
// submit or module collect with the same arguments:
//   ReadX(link, Variant, dest, numbers..., address, params)
//       Direct and Collect fill dest; Submit sends the numbers only and leaves dest alone.
//   WriteX(link, Variant, records, numbers..., address, params)
//       Direct and Submit send the records; Collect fetches the write's acknowledgement,
//       which is CollectAck(link, 4, ...) (WritePanelPage: 6) and ignores the records.
//
// Destinations: where a read clears its destination, it does so before each attempt, so a
// failed read leaves it cleared (read into a scratch copy to keep old data). The reads that
// clear after the group check instead (alarm and process groups) leave the destination as it
// was when the reply fails.

#include "link/CommandCatalogue.h"
#include "link/CommandEncoding.h"
#include "link/ControllerStatus.h"
#include "link/Komunikacja.h"
#include "link/LinkTypes.h"
#include "project/Records.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zyl {

inline constexpr int CommandAttempts = 3;
inline constexpr int CommandRetryPauseMs = 100;

// The retry wrapper around any attempt returning a link result code.
// A cancelled exchange or pause ends it at once.
template <class Attempt> int RetryCommand(TFkomunikacja& link, Attempt&& attempt) {
    link.ApplyTimeoutConstant();
    int result = LinkOk;
    for (int i = 0; i < CommandAttempts; ++i) {
        result = attempt();
        if (result == LinkOk || link.Cancelled()) break;
        if (!link.Pause(CommandRetryPauseMs)) break;
    }
    return result;
}

// One attempt of a command in a variant, with the variant's check. The reply is kept.
[[nodiscard]] int RunCommandOnce(TFkomunikacja& link, const InnerRequest& request, Variant variant,
                                 std::uint8_t DeviceAddress, TLinkParams params,
                                 std::vector<std::uint8_t>& reply);

// --- setup parameters ---------------------------------------------------------------------
// Read: words 0 to 99, word 100 = 0; cleared first. Write: words 1 to 100.

[[nodiscard]] int ReadSetupParameters(TFkomunikacja& link, TSetupBlock& dest,
                                      std::uint8_t DeviceAddress, TLinkParams params);
[[nodiscard]] int ReadSetupParametersSubmit(TFkomunikacja& link, std::uint8_t DeviceAddress,
                                            TLinkParams params);
[[nodiscard]] int ReadSetupParametersCollect(TFkomunikacja& link, TSetupBlock& dest,
                                             std::uint8_t DeviceAddress, TLinkParams params);
[[nodiscard]] int ReadSetupParameters(TFkomunikacja& link, Variant variant, TSetupBlock& dest,
                                      std::uint8_t DeviceAddress, TLinkParams params);
[[nodiscard]] int WriteSetupParameters(TFkomunikacja& link, const TSetupBlock& setup,
                                       std::uint8_t DeviceAddress, TLinkParams params);
[[nodiscard]] int WriteSetupParametersSubmit(TFkomunikacja& link, const TSetupBlock& setup,
                                             std::uint8_t DeviceAddress, TLinkParams params);
[[nodiscard]] int WriteSetupParameters(TFkomunikacja& link, Variant variant,
                                       const TSetupBlock& setup, std::uint8_t DeviceAddress,
                                       TLinkParams params);

// --- passwords ----------------------------------------------------------------------------
// Slots 1 to 37, six bytes each. Read: cleared first; each slot six characters as they came.

[[nodiscard]] int ReadPasswords(TFkomunikacja& link, TPasswordBlock& dest,
                                std::uint8_t DeviceAddress, TLinkParams params);
[[nodiscard]] int ReadPasswordsSubmit(TFkomunikacja& link, std::uint8_t DeviceAddress,
                                      TLinkParams params);
[[nodiscard]] int ReadPasswordsCollect(TFkomunikacja& link, TPasswordBlock& dest,
                                       std::uint8_t DeviceAddress, TLinkParams params);
[[nodiscard]] int ReadPasswords(TFkomunikacja& link, Variant variant, TPasswordBlock& dest,
                                std::uint8_t DeviceAddress, TLinkParams params);
[[nodiscard]] int WritePasswords(TFkomunikacja& link, const TPasswordBlock& passwords,
                                 std::uint8_t DeviceAddress, TLinkParams params);
[[nodiscard]] int WritePasswordsSubmit(TFkomunikacja& link, const TPasswordBlock& passwords,
                                       std::uint8_t DeviceAddress, TLinkParams params);
[[nodiscard]] int WritePasswords(TFkomunikacja& link, Variant variant,
                                 const TPasswordBlock& passwords, std::uint8_t DeviceAddress,
                                 TLinkParams params);

// --- special statuses ---------------------------------------------------------------------
// Read: the six records cleared first, then Number 1 to 6, names empty.
// WriteSpecialStatus: one record, its index (Number - 1).

[[nodiscard]] int ReadSpecialStatuses(TFkomunikacja& link, std::span<TSpecialStatusRecord, 6> dest,
                                      std::uint8_t DeviceAddress, TLinkParams params);
[[nodiscard]] int ReadSpecialStatusesSubmit(TFkomunikacja& link, std::uint8_t DeviceAddress,
                                            TLinkParams params);
[[nodiscard]] int ReadSpecialStatusesCollect(TFkomunikacja& link,
                                             std::span<TSpecialStatusRecord, 6> dest,
                                             std::uint8_t DeviceAddress, TLinkParams params);
[[nodiscard]] int ReadSpecialStatuses(TFkomunikacja& link, Variant variant,
                                      std::span<TSpecialStatusRecord, 6> dest,
                                      std::uint8_t DeviceAddress, TLinkParams params);
[[nodiscard]] int WriteSpecialStatuses(TFkomunikacja& link,
                                       std::span<const TSpecialStatusRecord, 6> records,
                                       std::uint8_t DeviceAddress, TLinkParams params);
[[nodiscard]] int WriteSpecialStatusesSubmit(TFkomunikacja& link,
                                             std::span<const TSpecialStatusRecord, 6> records,
                                             std::uint8_t DeviceAddress, TLinkParams params);
[[nodiscard]] int WriteSpecialStatuses(TFkomunikacja& link, Variant variant,
                                       std::span<const TSpecialStatusRecord, 6> records,
                                       std::uint8_t DeviceAddress, TLinkParams params);
[[nodiscard]] int WriteSpecialStatus(TFkomunikacja& link, const TSpecialStatusRecord& record,
                                     int index, std::uint8_t DeviceAddress, TLinkParams params);
[[nodiscard]] int WriteSpecialStatusSubmit(TFkomunikacja& link, const TSpecialStatusRecord& record,
                                           int index, std::uint8_t DeviceAddress,
                                           TLinkParams params);
[[nodiscard]] int WriteSpecialStatus(TFkomunikacja& link, Variant variant,
                                     const TSpecialStatusRecord& record, int index,
                                     std::uint8_t DeviceAddress, TLinkParams params);

// --- relays -------------------------------------------------------------------------------
// Group g (0 to 5) of six relays. Read: cleared first; Number g x 6 + 1 to g x 6 + 6.

[[nodiscard]] int ReadRelayGroup(TFkomunikacja& link, std::span<TRelayRecord, 6> dest, int group,
                                 std::uint8_t DeviceAddress, TLinkParams params);
[[nodiscard]] int ReadRelayGroupSubmit(TFkomunikacja& link, int group, std::uint8_t DeviceAddress,
                                       TLinkParams params);
[[nodiscard]] int ReadRelayGroupCollect(TFkomunikacja& link, std::span<TRelayRecord, 6> dest,
                                        int group, std::uint8_t DeviceAddress, TLinkParams params);
[[nodiscard]] int ReadRelayGroup(TFkomunikacja& link, Variant variant,
                                 std::span<TRelayRecord, 6> dest, int group,
                                 std::uint8_t DeviceAddress, TLinkParams params);
[[nodiscard]] int WriteRelayGroup(TFkomunikacja& link, std::span<const TRelayRecord, 6> records,
                                  int group, std::uint8_t DeviceAddress, TLinkParams params);
[[nodiscard]] int WriteRelayGroupSubmit(TFkomunikacja& link,
                                        std::span<const TRelayRecord, 6> records, int group,
                                        std::uint8_t DeviceAddress, TLinkParams params);
[[nodiscard]] int WriteRelayGroup(TFkomunikacja& link, Variant variant,
                                  std::span<const TRelayRecord, 6> records, int group,
                                  std::uint8_t DeviceAddress, TLinkParams params);

// --- analog outputs -----------------------------------------------------------------------
// Read: cleared first; the real-valued fields stay 0.

[[nodiscard]] int ReadAnalogOutputs(TFkomunikacja& link, std::span<TAnalogOutputRecord, 5> dest,
                                    std::uint8_t DeviceAddress, TLinkParams params);
[[nodiscard]] int ReadAnalogOutputsSubmit(TFkomunikacja& link, std::uint8_t DeviceAddress,
                                          TLinkParams params);
[[nodiscard]] int ReadAnalogOutputsCollect(TFkomunikacja& link,
                                           std::span<TAnalogOutputRecord, 5> dest,
                                           std::uint8_t DeviceAddress, TLinkParams params);
[[nodiscard]] int ReadAnalogOutputs(TFkomunikacja& link, Variant variant,
                                    std::span<TAnalogOutputRecord, 5> dest,
                                    std::uint8_t DeviceAddress, TLinkParams params);
[[nodiscard]] int WriteAnalogOutputs(TFkomunikacja& link,
                                     std::span<const TAnalogOutputRecord, 5> records,
                                     std::uint8_t DeviceAddress, TLinkParams params);
[[nodiscard]] int WriteAnalogOutputsSubmit(TFkomunikacja& link,
                                           std::span<const TAnalogOutputRecord, 5> records,
                                           std::uint8_t DeviceAddress, TLinkParams params);
[[nodiscard]] int WriteAnalogOutputs(TFkomunikacja& link, Variant variant,
                                     std::span<const TAnalogOutputRecord, 5> records,
                                     std::uint8_t DeviceAddress, TLinkParams params);

// --- PID regulators -----------------------------------------------------------------------
// Read: cleared first.

[[nodiscard]] int ReadPidRegulators(TFkomunikacja& link, std::span<TPidRecord, 5> dest,
                                    std::uint8_t DeviceAddress, TLinkParams params);
[[nodiscard]] int ReadPidRegulatorsSubmit(TFkomunikacja& link, std::uint8_t DeviceAddress,
                                          TLinkParams params);
[[nodiscard]] int ReadPidRegulatorsCollect(TFkomunikacja& link, std::span<TPidRecord, 5> dest,
                                           std::uint8_t DeviceAddress, TLinkParams params);
[[nodiscard]] int ReadPidRegulators(TFkomunikacja& link, Variant variant,
                                    std::span<TPidRecord, 5> dest, std::uint8_t DeviceAddress,
                                    TLinkParams params);
[[nodiscard]] int WritePidRegulators(TFkomunikacja& link, std::span<const TPidRecord, 5> records,
                                     std::uint8_t DeviceAddress, TLinkParams params);
[[nodiscard]] int WritePidRegulatorsSubmit(TFkomunikacja& link,
                                           std::span<const TPidRecord, 5> records,
                                           std::uint8_t DeviceAddress, TLinkParams params);
[[nodiscard]] int WritePidRegulators(TFkomunikacja& link, Variant variant,
                                     std::span<const TPidRecord, 5> records,
                                     std::uint8_t DeviceAddress, TLinkParams params);

// --- alarms -------------------------------------------------------------------------------
// Group g of twelve alarms. Read: after the group check the twelve records are replaced,
// Number g x 12 + 1 to g x 12 + 12. WriteAlarm: one record, its index (Number - 1).

[[nodiscard]] int ReadAlarmGroup(TFkomunikacja& link, std::span<TAlarmRecord, 12> dest, int group,
                                 std::uint8_t DeviceAddress, TLinkParams params);
[[nodiscard]] int ReadAlarmGroupSubmit(TFkomunikacja& link, int group, std::uint8_t DeviceAddress,
                                       TLinkParams params);
[[nodiscard]] int ReadAlarmGroupCollect(TFkomunikacja& link, std::span<TAlarmRecord, 12> dest,
                                        int group, std::uint8_t DeviceAddress, TLinkParams params);
[[nodiscard]] int ReadAlarmGroup(TFkomunikacja& link, Variant variant,
                                 std::span<TAlarmRecord, 12> dest, int group,
                                 std::uint8_t DeviceAddress, TLinkParams params);
[[nodiscard]] int WriteAlarmGroup(TFkomunikacja& link, std::span<const TAlarmRecord, 12> records,
                                  int group, std::uint8_t DeviceAddress, TLinkParams params);
[[nodiscard]] int WriteAlarmGroupSubmit(TFkomunikacja& link,
                                        std::span<const TAlarmRecord, 12> records, int group,
                                        std::uint8_t DeviceAddress, TLinkParams params);
[[nodiscard]] int WriteAlarmGroup(TFkomunikacja& link, Variant variant,
                                  std::span<const TAlarmRecord, 12> records, int group,
                                  std::uint8_t DeviceAddress, TLinkParams params);
[[nodiscard]] int WriteAlarm(TFkomunikacja& link, const TAlarmRecord& record, int index,
                             std::uint8_t DeviceAddress, TLinkParams params);
[[nodiscard]] int WriteAlarmSubmit(TFkomunikacja& link, const TAlarmRecord& record, int index,
                                   std::uint8_t DeviceAddress, TLinkParams params);
[[nodiscard]] int WriteAlarm(TFkomunikacja& link, Variant variant, const TAlarmRecord& record,
                             int index, std::uint8_t DeviceAddress, TLinkParams params);

// --- processes ----------------------------------------------------------------------------
// washing selects the WASHING process table. Group g (0 or 1) of eight processes; read: after
// the group check the eight records are replaced, Number g x 8 + 1 to g x 8 + 8, step
// presets 0. Parameters: the step presets of all 16 processes; the read changes nothing else
// and clears nothing. WriteProcess / WriteProcessStepParameters: one record, its index.

[[nodiscard]] int ReadProcessGroup(TFkomunikacja& link, std::span<TProcessRecord, 8> dest,
                                   int group, bool washing, std::uint8_t DeviceAddress,
                                   TLinkParams params);
[[nodiscard]] int ReadProcessGroupSubmit(TFkomunikacja& link, int group, bool washing,
                                         std::uint8_t DeviceAddress, TLinkParams params);
[[nodiscard]] int ReadProcessGroupCollect(TFkomunikacja& link, std::span<TProcessRecord, 8> dest,
                                          int group, bool washing, std::uint8_t DeviceAddress,
                                          TLinkParams params);
[[nodiscard]] int ReadProcessGroup(TFkomunikacja& link, Variant variant,
                                   std::span<TProcessRecord, 8> dest, int group, bool washing,
                                   std::uint8_t DeviceAddress, TLinkParams params);
[[nodiscard]] int WriteProcessGroup(TFkomunikacja& link, std::span<const TProcessRecord, 8> records,
                                    int group, bool washing, std::uint8_t DeviceAddress,
                                    TLinkParams params);
[[nodiscard]] int WriteProcessGroupSubmit(TFkomunikacja& link,
                                          std::span<const TProcessRecord, 8> records, int group,
                                          bool washing, std::uint8_t DeviceAddress,
                                          TLinkParams params);
[[nodiscard]] int WriteProcessGroup(TFkomunikacja& link, Variant variant,
                                    std::span<const TProcessRecord, 8> records, int group,
                                    bool washing, std::uint8_t DeviceAddress, TLinkParams params);
[[nodiscard]] int WriteProcess(TFkomunikacja& link, const TProcessRecord& record, int index,
                               bool washing, std::uint8_t DeviceAddress, TLinkParams params);
[[nodiscard]] int WriteProcessSubmit(TFkomunikacja& link, const TProcessRecord& record, int index,
                                     bool washing, std::uint8_t DeviceAddress, TLinkParams params);
[[nodiscard]] int WriteProcess(TFkomunikacja& link, Variant variant, const TProcessRecord& record,
                               int index, bool washing, std::uint8_t DeviceAddress,
                               TLinkParams params);

[[nodiscard]] int ReadProcessParameters(TFkomunikacja& link, std::span<TProcessRecord, 16> dest,
                                        bool washing, std::uint8_t DeviceAddress,
                                        TLinkParams params);
[[nodiscard]] int ReadProcessParametersSubmit(TFkomunikacja& link, bool washing,
                                              std::uint8_t DeviceAddress, TLinkParams params);
[[nodiscard]] int ReadProcessParametersCollect(TFkomunikacja& link,
                                               std::span<TProcessRecord, 16> dest, bool washing,
                                               std::uint8_t DeviceAddress, TLinkParams params);
[[nodiscard]] int ReadProcessParameters(TFkomunikacja& link, Variant variant,
                                        std::span<TProcessRecord, 16> dest, bool washing,
                                        std::uint8_t DeviceAddress, TLinkParams params);
[[nodiscard]] int WriteProcessParameters(TFkomunikacja& link,
                                         std::span<const TProcessRecord, 16> records, bool washing,
                                         std::uint8_t DeviceAddress, TLinkParams params);
[[nodiscard]] int WriteProcessParametersSubmit(TFkomunikacja& link,
                                               std::span<const TProcessRecord, 16> records,
                                               bool washing, std::uint8_t DeviceAddress,
                                               TLinkParams params);
[[nodiscard]] int WriteProcessParameters(TFkomunikacja& link, Variant variant,
                                         std::span<const TProcessRecord, 16> records, bool washing,
                                         std::uint8_t DeviceAddress, TLinkParams params);
[[nodiscard]] int WriteProcessStepParameters(TFkomunikacja& link, const TProcessRecord& record,
                                             int index, bool washing, std::uint8_t DeviceAddress,
                                             TLinkParams params);
[[nodiscard]] int WriteProcessStepParametersSubmit(TFkomunikacja& link,
                                                   const TProcessRecord& record, int index,
                                                   bool washing, std::uint8_t DeviceAddress,
                                                   TLinkParams params);
[[nodiscard]] int WriteProcessStepParameters(TFkomunikacja& link, Variant variant,
                                             const TProcessRecord& record, int index, bool washing,
                                             std::uint8_t DeviceAddress, TLinkParams params);

// --- programs -----------------------------------------------------------------------------
// A program travels in blockCount parts (ProgramLayoutFor); part p carries steps p x q + 1 to
// p x q + q, never beyond step 30. programIndex is the program number - 1 (WASHING: 100).
// Read: part 0 clears the whole record first; later parts add their steps; the reply sets
// Number and the name. Write: byte 1 is the record's Number - 1.

[[nodiscard]] int ReadProgram(TFkomunikacja& link, TProgramRecord& dest, int part, int programIndex,
                              int blockCount, std::uint8_t DeviceAddress, TLinkParams params);
[[nodiscard]] int ReadProgramSubmit(TFkomunikacja& link, int part, int programIndex, int blockCount,
                                    std::uint8_t DeviceAddress, TLinkParams params);
[[nodiscard]] int ReadProgramCollect(TFkomunikacja& link, TProgramRecord& dest, int part,
                                     int programIndex, int blockCount, std::uint8_t DeviceAddress,
                                     TLinkParams params);
[[nodiscard]] int ReadProgram(TFkomunikacja& link, Variant variant, TProgramRecord& dest, int part,
                              int programIndex, int blockCount, std::uint8_t DeviceAddress,
                              TLinkParams params);
[[nodiscard]] int WriteProgram(TFkomunikacja& link, const TProgramRecord& program, int part,
                               int blockCount, std::uint8_t DeviceAddress, TLinkParams params);
[[nodiscard]] int WriteProgramSubmit(TFkomunikacja& link, const TProgramRecord& program, int part,
                                     int blockCount, std::uint8_t DeviceAddress,
                                     TLinkParams params);
[[nodiscard]] int WriteProgram(TFkomunikacja& link, Variant variant, const TProgramRecord& program,
                               int part, int blockCount, std::uint8_t DeviceAddress,
                               TLinkParams params);

// --- status and service -------------------------------------------------------------------

// The module's status. dest is cleared before each attempt and filled only from a good reply.
[[nodiscard]] int ReadModuleStatus(TFkomunikacja& link, TControllerStatus& dest,
                                   std::uint8_t DeviceAddress, TLinkParams params);
// One attempt of it, at the port's present read-timeout constant.
[[nodiscard]] int ReadModuleStatusOnce(TFkomunikacja& link, TControllerStatus& dest,
                                       std::uint8_t DeviceAddress, TLinkParams params);
// The acknowledgement collect: expects n + 7 bytes whose byte 1 is 'F'. n = 4 after the block
// writes, the clock and the code table; 6 after a panel page write.
[[nodiscard]] int CollectAck(TFkomunikacja& link, int n, std::uint8_t DeviceAddress,
                             TLinkParams params);
// Restarts the controller: a single attempt, then 100 ms; the reply is not inspected.
int ResetController(TFkomunikacja& link, std::uint8_t DeviceAddress, TLinkParams params);
int ResetControllerSubmit(TFkomunikacja& link, std::uint8_t DeviceAddress, TLinkParams params);
// Sets the controller's clock; exists only as a module submit (collect with CollectAck(4)).
[[nodiscard]] int SetControllerClock(TFkomunikacja& link, const ClockTime& time,
                                     std::uint8_t DeviceAddress, TLinkParams params);
[[nodiscard]] inline int SetControllerClockSubmit(TFkomunikacja& link, const ClockTime& time,
                                                  std::uint8_t DeviceAddress, TLinkParams params) {
    return SetControllerClock(link, time, DeviceAddress, params);
}

// --- panel memory -------------------------------------------------------------------------
// Pages of 264 bytes; page k lies at byte address k x 264 (low 16 bits on the wire).

// The 16-bit size value and the four bytes of the language code descriptor; both are set
// only from a good reply.
[[nodiscard]] int ReadPanelInfo(TFkomunikacja& link, int& size,
                                std::array<std::uint8_t, 4>& descriptor, std::uint8_t DeviceAddress,
                                TLinkParams params);
[[nodiscard]] int ReadPanelInfoSubmit(TFkomunikacja& link, std::uint8_t DeviceAddress,
                                      TLinkParams params);
[[nodiscard]] int ReadPanelInfoCollect(TFkomunikacja& link, int& size,
                                       std::array<std::uint8_t, 4>& descriptor,
                                       std::uint8_t DeviceAddress, TLinkParams params);
[[nodiscard]] int ReadPanelInfo(TFkomunikacja& link, Variant variant, int& size,
                                std::array<std::uint8_t, 4>& descriptor, std::uint8_t DeviceAddress,
                                TLinkParams params);

// dest becomes the page's 264 bytes, set only from a good reply.
[[nodiscard]] int ReadPanelPage(TFkomunikacja& link, std::string& dest, int page, PanelBlock block,
                                std::uint8_t DeviceAddress, TLinkParams params);
[[nodiscard]] int ReadPanelPageSubmit(TFkomunikacja& link, int page, PanelBlock block,
                                      std::uint8_t DeviceAddress, TLinkParams params);
[[nodiscard]] int ReadPanelPageCollect(TFkomunikacja& link, std::string& dest, int page,
                                       PanelBlock block, std::uint8_t DeviceAddress,
                                       TLinkParams params);
[[nodiscard]] int ReadPanelPage(TFkomunikacja& link, Variant variant, std::string& dest, int page,
                                PanelBlock block, std::uint8_t DeviceAddress, TLinkParams params);

// Writes a page of the user's menu block: data blank padded or cut to 264 bytes.
[[nodiscard]] int WritePanelPage(TFkomunikacja& link, std::string_view data, int page,
                                 std::uint8_t DeviceAddress, TLinkParams params);
[[nodiscard]] int WritePanelPageSubmit(TFkomunikacja& link, std::string_view data, int page,
                                       std::uint8_t DeviceAddress, TLinkParams params);
[[nodiscard]] int WritePanelPage(TFkomunikacja& link, Variant variant, std::string_view data,
                                 int page, std::uint8_t DeviceAddress, TLinkParams params);

[[nodiscard]] int WritePanelCodeTable(TFkomunikacja& link,
                                      std::span<const std::uint8_t, 4> descriptor,
                                      std::uint8_t DeviceAddress, TLinkParams params);
[[nodiscard]] int WritePanelCodeTableSubmit(TFkomunikacja& link,
                                            std::span<const std::uint8_t, 4> descriptor,
                                            std::uint8_t DeviceAddress, TLinkParams params);
[[nodiscard]] int WritePanelCodeTable(TFkomunikacja& link, Variant variant,
                                      std::span<const std::uint8_t, 4> descriptor,
                                      std::uint8_t DeviceAddress, TLinkParams params);

} // namespace zyl
