// Feeds arbitrary bytes to the configuration reader. The first byte picks a header so that every
// layout's item reader is reached; the rest is the file body. A file that decodes must encode and
// decode again to the same settings.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "config/ConfigFileFormat.h"

using namespace quorvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    static constexpr std::string_view kHeaders[] = {kHeader1_1, kHeader2_00, kHeader3_00, kHeaderGeneric, ""};
    const std::string_view header = kHeaders[data[0] % 5];
    std::string file(header);
    if (!header.empty())
        file += "\r\n";
    file.append(reinterpret_cast<const char*>(data + 1), size - 1);

    Configuration config;
    ResetConfiguration(config);
    Settings settings = config;
    const ConfigDecodeResult result = DecodeConfigFile(file, settings);
    (void)PeekPortIndex(file);
    if (!result.ok()) {
        if (!(settings == static_cast<const Settings&>(config)))
            std::abort(); // a refused file must leave the settings alone
        return 0;
    }
    Settings again = config;
    const std::string encoded = EncodeConfigFile(settings);
    if (!DecodeConfigFile(encoded, again).ok() || EncodeConfigFile(again) != encoded)
        std::abort();
    return 0;
}
