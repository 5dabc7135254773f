// The kernel's virtual keyboard below the device node: a socket stands in for /dev/uinput, the
// set-up calls are recorded, and the EV_KEY/EV_SYN stream a record makes is decoded back through
// the layout's keymap to the text. The wait for the desktop to take the new device in is checked
// with a folder of our own standing in for /dev/input. The live device is tried where the kernel
// has one (not on this project's test machines).

#include <gtest/gtest.h>

#include "fakes/FakeClock.h"
#include "fakes/TempDir.h"
#include "keys/SendKeyMacro.h"
#include "platform/uinput/UinputKeyboard.h"
#include "xkb/XkbReplay.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <linux/input.h>
#include <linux/uinput.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace quorvane {
namespace {

// /dev/uinput as a socket: writes go to the socket, set-up calls are logged, and the desktop's
// taking the device in is scripted.
class SocketUinput final : public UinputCalls {
public:
    SocketUinput() {
        int ends[2];
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, ends) == 0) {
            m_device = ends[0];
            Desktop = ends[1];
        }
    }
    ~SocketUinput() override {
        ::close(Desktop);
        if (!m_deviceHandedOut)
            ::close(m_device);
    }
    int open(const char* path) override {
        Log.push_back(std::string("open ") + path);
        if (OpenError != 0) {
            errno = OpenError;
            return -1;
        }
        m_deviceHandedOut = true;
        return m_device;
    }
    int ioctl(int, unsigned long request, unsigned long argument) override {
        if (request == UI_SET_KEYBIT)
            ++KeyBits;
        else
            Log.push_back(requestName(request) + " " + std::to_string(argument));
        return fail(request);
    }
    int ioctl(int, unsigned long request, void* argument) override {
        Log.push_back(requestName(request));
        if (request == UI_DEV_SETUP)
            DeviceName = static_cast<uinput_setup*>(argument)->name;
        if (request == UI_GET_SYSNAME(63))
            std::strcpy(static_cast<char*>(argument), "input7");
        return fail(request);
    }
    ssize_t write(int fd, const void* data, std::size_t size) override {
        if (Log.back() != "write")
            Log.push_back("write");
        return UinputCalls::write(fd, data, size);
    }
    void watchDeviceOpens() override { Log.push_back("watch"); }
    bool waitUntilTakenIn(const std::string& sysname, std::chrono::milliseconds) override {
        Log.push_back("taken in? " + sysname);
        return TakenIn;
    }

    static std::string requestName(unsigned long request) {
        switch (request) {
        case UI_SET_EVBIT:
            return "evbit";
        case UI_SET_LEDBIT:
            return "ledbit";
        case UI_DEV_SETUP:
            return "setup";
        case UI_DEV_CREATE:
            return "create";
        case UI_DEV_DESTROY:
            return "destroy";
        default:
            return request == UI_GET_SYSNAME(63) ? "sysname" : "other";
        }
    }

    /// The desktop's end: lights written here reach the device, events come out here.
    int Desktop = -1;
    std::vector<std::string> Log;
    int KeyBits = 0;
    std::string DeviceName;
    int OpenError = 0;
    unsigned long FailingRequest = 0;
    bool TakenIn = true;

private:
    int fail(unsigned long request) {
        if (request != FailingRequest)
            return 0;
        errno = EINVAL;
        return -1;
    }
    int m_device = -1;
    bool m_deviceHandedOut = false;
};

// The events that came out of the device, checked for a report after every key and replayed.
std::string decode(int desktop, test::XkbReplay& replay) {
    input_event events[256];
    ssize_t got = 0;
    bool reported = true;
    while ((got = ::read(desktop, events, sizeof events)) > 0) {
        for (std::size_t i = 0; i < static_cast<std::size_t>(got) / sizeof(input_event); ++i) {
            const input_event& e = events[i];
            if (e.type == EV_KEY) {
                EXPECT_TRUE(reported) << "two keys in one report";
                replay.key(e.code + 8u, e.value != 0);
                reported = false;
            } else if (e.type == EV_SYN && e.code == SYN_REPORT) {
                reported = true;
            }
        }
    }
    EXPECT_TRUE(reported) << "last key not reported";
    return replay.Text;
}

void setLight(int desktop, bool capsLock) {
    input_event light{};
    light.type = EV_LED;
    light.code = LED_CAPSL;
    light.value = capsLock ? 1 : 0;
    ASSERT_EQ(::write(desktop, &light, sizeof light), static_cast<ssize_t>(sizeof light));
}

struct StreamCase {
    const char* Layout;
    const char* Macro;
    bool CapsLockOn;
    const char* Expected; // UTF-8
};

class UinputStream : public ::testing::TestWithParam<StreamCase> {};

TEST_P(UinputStream, ARecordComesOutAsKeyEventsThatTypeItsText) {
    const StreamCase& c = GetParam();
    XkbLayout layout(XkbKeymap::fromNames({c.Layout, "", "", ""}), "en_US.UTF-8");
    SocketUinput calls;
    std::vector<int> waits;
    UinputKeyboard keyboard(layout, calls, {}, [&](int ms) { waits.push_back(ms); });
    ASSERT_EQ(keyboard.open(), std::nullopt);

    // The device exists, named and with every key, before anything is typed; the first key waits
    // for the desktop to take it in, and then for it to settle.
    EXPECT_EQ(calls.DeviceName, kUinputDeviceName);
    EXPECT_EQ(calls.KeyBits, 255);
    EXPECT_EQ(calls.Log,
              (std::vector<std::string>{"open /dev/uinput", "evbit 1", "evbit 17", "ledbit 0", "ledbit 1",
                                        "setup", "watch", "create 0", "sysname", "taken in? input7"}));
    EXPECT_EQ(waits, std::vector<int>{100});
    EXPECT_TRUE(keyboard.takenIn());

    test::XkbReplay replay(layout.keymap());
    if (c.CapsLockOn) {
        replay.key(layout.capsLockKey(), true);
        replay.key(layout.capsLockKey(), false);
        setLight(calls.Desktop, true);
    }
    test::FakeClock clock;
    EXPECT_EQ(SendKeyMacro(c.Macro, 0, KeyTypingHost{keyboard, layout, clock, {}}), 0);
    EXPECT_EQ(decode(calls.Desktop, replay), c.Expected);
    EXPECT_EQ(replay.modifierState().Depressed, 0u) << "a key left down";
    EXPECT_EQ(keyboard.capsLock(), c.CapsLockOn);
}

INSTANTIATE_TEST_SUITE_P(Records, UinputStream,
                         ::testing::Values(StreamCase{"us", "Ab1 x+(yz){TAB}5{ENTER}", false, "Ab1 xYZ\t5\r"},
                                           StreamCase{"us", "Caps: aBc", true, "Caps: aBc"},
                                           StreamCase{"de", "z\xEA@\xE4{ENTER}", false, "zê@ä\r"},
                                           StreamCase{"fr", "a1\xE9\xFB\x80", true, "a1éû€"}));

TEST(UinputKeyboard, KeysAreHeldForTheHoldTimeAndFollowedByTheKeyDelay) {
    XkbLayout layout(XkbKeymap::fromNames({"us", "", "", ""}), "en_US.UTF-8");
    SocketUinput calls;
    calls.TakenIn = false; // no desktop seen: no settling either
    std::vector<int> waits;
    UinputKeyboard keyboard(layout, calls, {std::chrono::milliseconds(3), std::chrono::milliseconds(40)},
                            [&](int ms) { waits.push_back(ms); });
    ASSERT_EQ(keyboard.open(), std::nullopt);
    keyboard.sendKey('A', true);
    keyboard.sendKey('A', false);
    ASSERT_EQ(waits.size(), 3u); // delay after the press, the rest of the hold, delay after the release
    EXPECT_EQ(waits[0], 3);
    EXPECT_GE(waits[1], 30);
    EXPECT_LE(waits[1], 40);
    EXPECT_EQ(waits[2], 3);
}

struct FailureCase {
    int OpenError;
    unsigned long FailingRequest;
    std::vector<const char*> Said;
};

class UinputFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(UinputFailure, OneMessageNamesThePathTheReasonAndWhatToDoAndNothingIsTyped) {
    const FailureCase& c = GetParam();
    XkbLayout layout(XkbKeymap::fromNames({"us", "", "", ""}), "en_US.UTF-8");
    SocketUinput calls;
    calls.OpenError = c.OpenError;
    calls.FailingRequest = c.FailingRequest;
    UinputKeyboard keyboard(layout, calls, {}, {});
    const auto problem = keyboard.open();
    ASSERT_TRUE(problem.has_value());
    for (const char* said : c.Said)
        EXPECT_NE(problem->find(said), std::string::npos) << said << " not in: " << *problem;
    EXPECT_EQ(keyboard.open(), problem); // asked once, answered the same after
    EXPECT_EQ(std::count(calls.Log.begin(), calls.Log.end(), "open /dev/uinput"), 1);
    keyboard.sendKey('A', true);
    keyboard.sendKey('A', false);
    EXPECT_FALSE(keyboard.isOpen());
    char byte;
    EXPECT_LE(::read(calls.Desktop, &byte, 1), 0); // closed or empty: no event
}

INSTANTIATE_TEST_SUITE_P(
    Failures, UinputFailure,
    ::testing::Values(
        FailureCase{EACCES, 0, {"/dev/uinput", "Permission denied", kUinputRule, "udevadm trigger"}},
        FailureCase{ENOENT, 0, {"/dev/uinput", "No such file", "modprobe uinput", kUinputRule}},
        FailureCase{0, UI_DEV_CREATE, {"/dev/uinput", "create", "Invalid argument"}}));

// The watch on a stand-in /dev/input: only an open of the new device's own event node counts.
struct WatchCase {
    const char* Opened; // the node another program opens, nullptr for none
    bool TakenIn;
};

class UinputWatch : public ::testing::TestWithParam<WatchCase> {};

TEST_P(UinputWatch, TheDeviceIsTakenInWhenItsEventNodeIsOpened) {
    test::TempDir dir;
    const std::filesystem::path devices = dir.path() / "dev-input";
    const std::filesystem::path sysfs = dir.path() / "sys-input";
    std::filesystem::create_directories(devices);
    std::filesystem::create_directories(sysfs / "input7" / "event9");
    for (const char* node : {"event9", "event3"})
        std::ofstream(devices / node).put('\0');
    UinputCalls calls({devices.string(), sysfs.string()});
    calls.watchDeviceOpens();
    std::thread desktop([&] {
        if (GetParam().Opened != nullptr) {
            ::close(::open((devices / GetParam().Opened).c_str(), O_RDONLY));
        }
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(calls.waitUntilTakenIn("input7", std::chrono::milliseconds(300)), GetParam().TakenIn);
    desktop.join();
    if (!GetParam().TakenIn) {
        EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
    }
}

INSTANTIATE_TEST_SUITE_P(Opens, UinputWatch,
                         ::testing::Values(WatchCase{"event9", true}, WatchCase{"event3", false},
                                           WatchCase{nullptr, false}));

TEST(UinputLive, TheFirstCharacterReachesAReaderThatOpensTheNewDevice) {
    if (::access(kUinputPath, R_OK | W_OK) != 0)
        GTEST_SKIP() << kUinputPath << ": " << std::strerror(errno)
                     << " (this kernel has no virtual input devices, or no access to them)";
    XkbLayout layout(XkbKeymap::fromNames({"us", "", "", ""}), "en_US.UTF-8");
    UinputCalls calls;
    UinputKeyboard keyboard(layout, calls, {},
                            [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); });
    // The reader stands in for the desktop: it opens the event node as soon as it shows.
    int reader = -1;
    std::thread desktop([&] {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (reader < 0 && std::chrono::steady_clock::now() < deadline) {
            for (const auto& entry : std::filesystem::directory_iterator("/sys/devices/virtual/input")) {
                std::ifstream name(entry.path() / "name");
                std::string text;
                if (std::getline(name, text) && text == kUinputDeviceName)
                    for (const auto& node : std::filesystem::directory_iterator(entry.path()))
                        if (node.path().filename().string().starts_with("event"))
                            reader = ::open(("/dev/input/" + node.path().filename().string()).c_str(),
                                            O_RDONLY | O_NONBLOCK);
            }
        }
    });
    const auto problem = keyboard.open();
    desktop.join();
    ASSERT_EQ(problem, std::nullopt);
    ASSERT_GE(reader, 0);
    EXPECT_TRUE(keyboard.takenIn());
    test::FakeClock clock;
    EXPECT_EQ(SendKeyMacro("Hi!", 0, KeyTypingHost{keyboard, layout, clock, {}}), 0);
    test::XkbReplay replay(layout.keymap());
    EXPECT_EQ(decode(reader, replay), "Hi!");
    ::close(reader);
}

} // namespace
} // namespace quorvane
