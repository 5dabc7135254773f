#include "serial/SerialLineSettings.h"

#include "config/ConfigLimits.h"

namespace quorvane {

std::uint32_t FlowControlFlagWord(std::int16_t flowControl) {
    constexpr std::uint32_t none = kFlagBinary | kFlagDtrEnable | kFlagRtsEnable;
    switch (flowControl) {
    case 1:
        return none | kFlagOutX | kFlagInX;
    case 2:
        return kFlagBinary | kFlagOutxCtsFlow | kFlagDtrEnable | kFlagRtsHandshake;
    case 3:
        return kFlagBinary | kFlagDtrEnable;
    default:
        return none;
    }
}

void ApplyFlagWord(std::uint32_t flagWord, LineSettings& settings) {
    settings.CtsOutputFlow = (flagWord & kFlagOutxCtsFlow) != 0;
    settings.XonXoffOutput = (flagWord & kFlagOutX) != 0;
    settings.XonXoffInput = (flagWord & kFlagInX) != 0;
    settings.Dtr = (flagWord & kFlagDtrEnable) != 0;
    if ((flagWord & kFlagRtsHandshake) != 0)
        settings.Rts = RtsControl::Handshake;
    else if ((flagWord & kFlagRtsEnable) != 0)
        settings.Rts = RtsControl::On;
    else
        settings.Rts = RtsControl::Off;
}

LineSettings LineSettingsFor(const Settings& settings) {
    LineSettings line;
    line.BaudRate = BaudRate(settings.BaudIndex);
    line.ByteSize = ByteSize(settings.DataBitsIndex);
    // Codes outside the tables pass through unchanged: the device refuses them at configure time.
    line.Parity = static_cast<SerialParity>(settings.ParityIndex);
    line.StopBits = static_cast<SerialStopBits>(settings.StopBitsIndex);
    ApplyFlagWord(FlowControlFlagWord(settings.FlowControl), line);
    return line;
}

} // namespace quorvane
