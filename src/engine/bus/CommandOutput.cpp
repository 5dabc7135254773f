// The commands that queue text for the device, change the timed output or read a number.

#include "engine/bus/CommandInterpreter.h"
#include "engine/bus/DdeBridge.h"
#include "engine/bus/DdeItemView.h"
#include "engine/CharList.h"
#include "engine/Engine.h"
#include "engine/output/SerialOutput.h"
#include "expr/ValRule.h"
#include "expr/ValueFormat.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace quorvane {

namespace {

// The val rule's number rounded half to even, or nullopt when it does not fit in [low, high]; a
// number beyond the range is refused rather than wrapped or clamped.
std::optional<double> WholeNumber(std::string_view text, double low, double high) {
    const std::optional<double> n = TryVal(text);
    if (!n || !std::isfinite(*n))
        return std::nullopt;
    const double rounded = std::nearbyint(*n);
    if (rounded < low || rounded > high)
        return std::nullopt;
    return rounded;
}

} // namespace

bool CommandInterpreter::send(std::string_view text) {
    return m_targets.Hoxel.QueueOutput(text);
}

bool CommandInterpreter::sendOut(std::string_view list) {
    return m_targets.Hoxel.QueueOutput(DecodeCharList(list));
}

bool CommandInterpreter::timerString(std::string_view list) {
    m_targets.Output.setTimerString(DecodeCharList(list));
    return true;
}

bool CommandInterpreter::sendCode(std::string_view number) {
    const std::optional<double> n = TryVal(number);
    if (!n || !(*n >= 0 && *n < 256))
        return false;
    const double code = std::nearbyint(*n);
    if (code > 255)
        return false;
    const char byte = static_cast<char>(static_cast<unsigned char>(code));
    return m_targets.Hoxel.QueueOutput(std::string_view(&byte, 1));
}

bool CommandInterpreter::sendDate(std::string_view format) {
    // A date format is a few dozen characters; a longer one would only hold capture up.
    if (format.size() > kMaxSendDateFormat)
        return false;
    return m_targets.Hoxel.QueueOutput(FormatDateTime(m_targets.Time.now(), format, m_targets.Locale));
}

bool CommandInterpreter::sendFile(std::string_view path) {
    return m_targets.Hoxel.QueueFileForSending(std::string(path));
}

bool CommandInterpreter::push(std::string_view name) {
    if (name == "DTR~") {
        if (isVirtual())
            return false;
        m_targets.Output.ToggleDtr();
        return true;
    }
    if (name == "BREAK") {
        if (isVirtual())
            return false;
        m_targets.Output.StartBreak();
        return true;
    }
    for (int i = 1; i <= kOutputStringCount; ++i) {
        if (UpperCodePage(m_targets.Config.OutputStringName[static_cast<std::size_t>(i)]) == name) {
            return m_targets.Output.StringButton_Click(i);
        }
    }
    return false;
}

bool CommandInterpreter::copyField(std::string_view number) {
    const std::optional<double> n = WholeNumber(number, std::numeric_limits<std::int16_t>::min(),
                                                std::numeric_limits<std::int16_t>::max());
    if (!n || *n < 1 || *n > m_targets.Hoxel.fieldCount())
        return false;
    m_targets.Bridge.copyLink(FieldItemName(static_cast<int>(*n)));
    return true;
}

bool CommandInterpreter::timerInterval(std::string_view number) {
    const std::optional<double> n = WholeNumber(number, std::numeric_limits<std::int32_t>::min(),
                                                std::numeric_limits<std::int32_t>::max());
    if (!n)
        return false;
    m_targets.Output.setTimerInterval(static_cast<std::int32_t>(*n));
    return true;
}

} // namespace quorvane
