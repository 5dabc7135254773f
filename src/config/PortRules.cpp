#include "config/PortRules.h"

#include "config/ConfigLimits.h"
#include "config/RecordRules.h"

namespace quorvane {

namespace {

constexpr std::int64_t kLargestBufferSize = 131072;

template <typename T>
void store(Configuration& config, T& setting, T value) {
    if (setting != value)
        config.ConfigChanged = kTrue;
    setting = value;
}

bool storeBufferSize(Configuration& config, std::int32_t& setting, std::string_view text) {
    const std::int64_t size = LeadingNumber(text);
    if (CheckBufferSize(size))
        return false;
    store(config, setting, static_cast<std::int32_t>(size));
    return true;
}

} // namespace

PortForm LoadPortSettings(const Settings& settings) {
    return {settings.PortIndex,
            settings.BaudIndex,
            settings.ParityIndex,
            settings.DataBitsIndex,
            settings.StopBitsIndex,
            settings.FlowControl,
            std::to_string(settings.InputBufferSize),
            std::to_string(settings.OutputBufferSize)};
}

std::string BufferSizeMessage() {
    return CheckBufferSize(0).value_or("");
}

bool BufferSizeTooLarge(std::string_view text) {
    return LeadingNumber(text) > kLargestBufferSize;
}

std::optional<RefusedBufferSize> StorePortSettings(Configuration& config, const PortForm& form) {
    if (!storeBufferSize(config, config.InputBufferSize, form.InputBufferSize))
        return RefusedBufferSize::Input;
    if (!storeBufferSize(config, config.OutputBufferSize, form.OutputBufferSize))
        return RefusedBufferSize::Output;
    store(config, config.BaudIndex, form.BaudIndex);
    store(config, config.ParityIndex, form.ParityIndex);
    store(config, config.DataBitsIndex, form.DataBitsIndex);
    store(config, config.FlowControl, form.FlowControl);
    store(config, config.PortIndex, form.PortIndex);
    store(config, config.StopBitsIndex, form.StopBitsIndex);
    return std::nullopt;
}

} // namespace quorvane
