#include "config/ConfigLimits.h"

#include <array>

namespace quorvane {

namespace {

constexpr std::array<std::int32_t, 14> kBaudRates = {110,   300,   600,   1200,  2400,   4800,   9600,
                                                     14400, 19200, 38400, 57600, 115200, 128000, 256000};

std::optional<std::string> unless(bool accepted, std::string message) {
    if (accepted)
        return std::nullopt;
    return message;
}

} // namespace

std::string PortName(std::int16_t portIndex) {
    return "COM" + std::to_string(portIndex + 1);
}

std::int32_t BaudRate(std::int16_t baudIndex) {
    if (baudIndex < 0 || static_cast<std::size_t>(baudIndex) >= kBaudRates.size())
        return 9600;
    return kBaudRates[static_cast<std::size_t>(baudIndex)];
}

int ByteSize(std::int16_t dataBitsIndex) {
    return dataBitsIndex + 5;
}

Flag DerivedActivateTargetApp(const std::string& title, const std::string& command) {
    return toFlag(!title.empty() || !command.empty());
}

std::int16_t TimerFlagsFromDialog(bool enableOnActivation, int actionIndex) {
    return static_cast<std::int16_t>((enableOnActivation ? 1 : 0) + (2 << actionIndex));
}

HotKeyBinding HotKeyRegistration(std::int16_t hotKey) {
    const auto bits = static_cast<std::uint16_t>(hotKey);
    return HotKeyBinding{bits & 0xFF, (bits >> 8) & (kHotKeyShift | kHotKeyCtrl | kHotKeyAlt)};
}

std::optional<std::string> CheckBufferSize(std::int64_t size) {
    return unless(size >= 128 && size <= 131072, "Buffer Size Must Be Between 128 and 131072");
}

std::optional<std::string> CheckRecordLength(std::int64_t length) {
    return unless(length >= 1 && length <= 32766, "Record Length Must Be Between 1 and 32766");
}

std::optional<std::string> CheckDelimitedFieldCount(std::int64_t count) {
    return unless(count >= 2 && count <= 40, "Number of Fields Must Be Between 2 and 40");
}

std::optional<std::string> CheckFieldLength(std::int64_t length) {
    return unless(length >= 1 && length <= 32766, "Field length must be between 1 and 32766.");
}

std::optional<std::string> CheckFieldLengthSum(const Settings& settings) {
    if (settings.EndOfRecordEvent != 2)
        return std::nullopt;
    std::int64_t sum = 0;
    const int last = std::min<int>(settings.FieldCount, kMaxFields);
    for (int i = 1; i <= last; ++i)
        sum += settings.FieldLength[static_cast<std::size_t>(i)];
    return unless(sum == settings.RecordLength,
                  "Total sum of field lengths is not equal to the total record length. (" +
                      std::to_string(settings.RecordLength) + ").");
}

std::optional<std::string> CheckTimeBetweenRecords(std::int64_t ticks) {
    return unless(ticks >= 1 && ticks <= 255, "Time between records must range between 1 and 255");
}

std::optional<std::string> CheckTimerInterval(std::int64_t milliseconds) {
    return unless(milliseconds >= 0 && milliseconds < 100000000,
                  "Timer interval must be less than 100000000 milliseconds.");
}

std::optional<std::string> CheckSpecialChars(std::int16_t event, const std::string& chars) {
    return unless(event != 3 || !chars.empty(), "Invalid Input - Special Character Must Be Specified!");
}

std::optional<std::string> CheckDdeTopic(const std::string& topic) {
    return unless(!TrimBlanks(topic).empty(),
                  "DDE Topic value cannot be blank.\rPlease enter the text that you "
                  "want to use as the DDE Topic for Quorvane.");
}

std::string TrimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

} // namespace quorvane
