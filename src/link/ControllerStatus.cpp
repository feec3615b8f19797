#include "link/ControllerStatus.h"

#include "link/CommandEncoding.h"

namespace zyl {

TControllerStatus DecodeControllerStatus(std::span<const std::uint8_t> reply) {
    TControllerStatus s{};
    if (reply.size() != 64) return s;
    const auto tenths = [&](std::size_t at) { return ReadI16(reply, at) / 10.0; };
    s.Year = reply[5] + 2000;
    s.Month = reply[6];
    s.Day = reply[7];
    s.Hour = reply[8];
    s.Minute = reply[9];
    s.Second = reply[10];
    s.StatusByte38 = reply[38];
    s.StatusByte34 = reply[34];
    s.StatusByte25 = reply[25];
    s.StatusByte26 = reply[26];
    s.StatusByte27 = reply[27];
    s.StatusByte36 = reply[36];
    s.StatusByte37 = reply[37];
    s.Vacuum = reply[15];
    s.StatusByte28 = reply[28];
    s.StatusByte29 = reply[29];
    s.LastRecordingAddress = ReadU16(reply, 17);
    s.PreviousRecordingAddress = ReadU16(reply, 19);
    s.Value30 = tenths(30);
    s.Rotation = tenths(32);
    s.Temperature = tenths(11);
    s.Value13 = tenths(13);
    s.Channel3 = tenths(43);
    s.Channel4 = tenths(47);
    s.Channel5 = tenths(45);
    s.Channel6 = tenths(49);
    s.Channel7 = tenths(51);
    s.Channel8 = tenths(53);
    s.Channel9 = tenths(55);
    s.Channel10 = tenths(57);
    s.Channel11 = -300.0;
    s.Channel12 = -300.0;
    s.StatusByte16 = reply[16];
    s.StatusByte21 = reply[21];
    s.Mode = reply[22] & 0x3F;
    s.StatusByte23 = reply[23];
    s.StatusByte24 = reply[24];
    s.StatusByte35 = reply[35];
    s.PanelReady = reply[61] == 1;
    s.StatusByte42 = reply[42];
    s.StatusByte41 = reply[41];
    s.StatusByte40 = reply[40];
    s.StatusByte39 = reply[39];
    s.StatusByte60 = reply[60];
    return s;
}

} // namespace zyl
