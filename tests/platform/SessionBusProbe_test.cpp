// Whether a run can skip QtDBus: only when every way libdbus would look for the session bus
// certainly fails.

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "platform/dbus/SessionBusProbe.h"

namespace quorvane {
namespace {

struct BusCase {
    const char* Name;
    std::map<std::string, std::string> Environment;
    bool Unreachable;
};

// Paths that exist on the pretend file system.
const std::set<std::string> kExisting = {"/run/user/1000/bus", "/tmp/bus socket", "/tmp/live"};

class SessionBusProbe : public testing::TestWithParam<BusCase> {};

TEST_P(SessionBusProbe, SaysUnreachableOnlyWhenEveryWayCertainlyFails) {
    const BusCase& c = GetParam();
    const bool unreachable = SessionBusUnreachable(
        [&](const char* name) -> std::optional<std::string> {
            const auto found = c.Environment.find(name);
            return found == c.Environment.end() ? std::nullopt : std::optional<std::string>(found->second);
        },
        [](const std::string& path) { return kExisting.count(path) != 0; });
    EXPECT_EQ(unreachable, c.Unreachable);
}

const char* const kAddress = "DBUS_SESSION_BUS_ADDRESS";

INSTANTIATE_TEST_SUITE_P(
    Environments, SessionBusProbe,
    testing::Values(
        BusCase{"MissingSocket", {{kAddress, "unix:path=/tmp/none"}}, true},
        BusCase{"MissingSocketWithGuid", {{kAddress, "unix:path=/tmp/none,guid=0123abcd"}}, true},
        BusCase{"EveryListedSocketMissing", {{kAddress, "unix:path=/tmp/a;unix:path=/tmp/b"}}, true},
        BusCase{"OneListedSocketThere", {{kAddress, "unix:path=/tmp/none;unix:path=/tmp/live"}}, false},
        BusCase{"SocketThere", {{kAddress, "unix:path=/tmp/live"}}, false},
        BusCase{"EscapedPathThere", {{kAddress, "unix:path=/tmp/bus%20socket"}}, false},
        BusCase{"AbstractSocket", {{kAddress, "unix:abstract=/tmp/dbus-x"}}, false},
        BusCase{"OtherTransport", {{kAddress, "tcp:host=localhost,port=1"}}, false},
        BusCase{"OtherKey", {{kAddress, "unix:path=/tmp/none,runtime=yes"}}, false},
        BusCase{"EscapedPathMissing", {{kAddress, "unix:path=/tmp/n%6Fne%2fx"}}, true},
        BusCase{"BadEscape", {{kAddress, "unix:path=/tmp/none%2"}}, false},
        BusCase{"EscapeNotHex", {{kAddress, "unix:path=/tmp/none%zz"}}, false},
        BusCase{"UnescapedSpace", {{kAddress, "unix:path=/tmp/bus socket"}}, false},
        BusCase{"EmptyAddress", {{kAddress, ""}}, false},
        BusCase{"StarterAddress", {{kAddress, "unix:path=/tmp/none"}, {"DBUS_STARTER_ADDRESS", "x"}}, false},
        BusCase{"NoAddressNoRuntimeNoDisplay", {}, true},
        BusCase{"NoAddressRuntimeWithoutBus", {{"XDG_RUNTIME_DIR", "/run/user/2000"}}, true},
        BusCase{"NoAddressRuntimeBus", {{"XDG_RUNTIME_DIR", "/run/user/1000"}}, false},
        BusCase{"NoAddressDisplayToStartABusThrough", {{"DISPLAY", ":0"}}, false},
        BusCase{"NoAddressEmptyDisplay", {{"DISPLAY", ""}}, true}),
    [](const testing::TestParamInfo<BusCase>& param) { return std::string(param.param.Name); });

} // namespace
} // namespace quorvane
