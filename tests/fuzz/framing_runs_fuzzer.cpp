// Framing by runs against framing byte by byte: the engine takes runs of plain field bytes straight
// from the port's buffer, and that must leave exactly what taking every byte alone leaves. Random
// record structures as in the framing fuzzer (one more byte seeds the lengths of the port's
// reads); both framings must give the same records, the same state and the same open fields.

#include "../engine/EngineTestSupport.h"
#include "FuzzedFraming.h"

#include <tuple>

namespace {

using namespace quorvane;

auto snapshot(const test::FramingHarness& framing) {
    std::vector<std::string> open;
    for (const Value& slot : framing.Slots) {
        const auto* text = std::get_if<std::string>(&slot);
        open.push_back(text ? *text : std::string("<no text>"));
    }
    return std::tuple(framing.Records, framing.State.InRecord, framing.State.FieldIndex,
                      framing.State.FieldCharCount, framing.State.RecordCharCount, framing.State.PrevWasSpace,
                      framing.State.VoidPending, open);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Configuration config;
    ResetConfiguration(config);
    fuzz::Reader in(data, size);
    fuzz::configure(in, config);
    std::uint32_t seed = in.next();
    const std::string stream = in.rest();
    const char separator = (size & 1) ? ',' : '.';

    test::FramingHarness runs(config, separator);
    test::FramingHarness bytes(config, separator);
    bytes.feedEachByte(stream);
    for (std::size_t at = 0; at < stream.size();) {
        seed = seed * 1103515245U + 12345U;
        const std::size_t read = 1 + (seed >> 16) % 64;
        runs.feed(std::string_view(stream).substr(at, read));
        at += read;
    }
    fuzz::check(snapshot(runs) == snapshot(bytes));
    return 0;
}
