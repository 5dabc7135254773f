// The X11 hot keys against a real X server (Xvfb) pressed by xdotool: presses with and without Num
// Lock reach the handler, a key another client holds is refused with nothing left grabbed, a
// combination registered twice holds only the first, and unregistering releases every lock variant.

#include "XvfbServer.h"
#include "platform/x11/XcbHotKeys.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>
#include <memory>

namespace quorvane::test {
namespace {

class XcbHotKeysTest : public testing::Test {
protected:
    static void SetUpTestSuite() { s_server = std::make_unique<XvfbServer>(); }
    static void TearDownTestSuite() { s_server.reset(); }
    void SetUp() override {
        if (s_server->display().empty())
            GTEST_SKIP() << "Xvfb could not be started";
        m_keys = std::make_unique<XcbHotKeys>(s_server->display().c_str());
        ASSERT_TRUE(m_keys->ok());
        m_keys->setPressHandler([this](int id) { m_pressed.push_back(id); });
    }

    /// Presses `keys` and dispatches until `count` presses in all were reported.
    bool pressAndWait(const std::string& keys, std::size_t count) {
        if (!s_server->key(keys))
            return false;
        return waitFor([&] {
            m_keys->dispatchPending();
            return m_pressed.size() >= count;
        });
    }

    static std::unique_ptr<XvfbServer> s_server;
    std::unique_ptr<XcbHotKeys> m_keys;
    std::vector<int> m_pressed;
};

std::unique_ptr<XvfbServer> XcbHotKeysTest::s_server;

TEST_F(XcbHotKeysTest, PressesReachTheHandlerWithAndWithoutNumLock) {
    ASSERT_TRUE(m_keys->registerKey(3, 0x74, kHotKeyModControl | kHotKeyModShift));
    ASSERT_TRUE(m_keys->registerKey(4, 'K', kHotKeyModAlt));
    // The plain key and other modifiers are not the hot key: only the later presses arrive.
    ASSERT_TRUE(pressAndWait("F5", 0));
    ASSERT_TRUE(pressAndWait("ctrl+F5", 0));
    ASSERT_TRUE(pressAndWait("ctrl+shift+F5", 1));
    ASSERT_TRUE(pressAndWait("alt+k", 2));
    EXPECT_EQ(m_pressed, (std::vector<int>{3, 4}));

    OtherClient observer(s_server->display());
    ASSERT_TRUE(s_server->key("Num_Lock"));
    ASSERT_TRUE(waitFor([&] { return (observer.modifierState() & XCB_MOD_MASK_2) != 0; }))
        << "Num Lock did not switch on";
    const bool arrived = pressAndWait("ctrl+shift+F5", 3);
    ASSERT_TRUE(s_server->key("Num_Lock"));
    EXPECT_TRUE(arrived);
    ASSERT_TRUE(pressAndWait("Caps_Lock ctrl+shift+F5 Caps_Lock", 4));
    EXPECT_EQ(m_pressed, (std::vector<int>{3, 4, 3, 3}));
}

TEST_F(XcbHotKeysTest, KeyHeldByAnotherClientIsRefusedWithNothingLeftGrabbed) {
    OtherClient other(s_server->display());
    // The other client holds only the Num Lock variant: the plain grab succeeds before the refusal.
    ASSERT_TRUE(other.grab(XK_F6, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_2));
    EXPECT_FALSE(m_keys->registerKey(1, 0x75, kHotKeyModControl));
    other.ungrab(XK_F6, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_2);
    EXPECT_TRUE(other.grab(XK_F6, XCB_MOD_MASK_CONTROL)) << "the refused key's own grab was not released";
    EXPECT_TRUE(other.grab(XK_F6, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_LOCK));
    ASSERT_TRUE(pressAndWait("ctrl+F6", 0));
    EXPECT_TRUE(m_pressed.empty());

    // The connection goes on working after the refusal.
    EXPECT_TRUE(m_keys->registerKey(2, 0x76, kHotKeyModControl));
    EXPECT_TRUE(pressAndWait("ctrl+F7", 1));
}

TEST_F(XcbHotKeysTest, CombinationRegisteredTwiceHoldsOnlyTheFirst) {
    ASSERT_TRUE(m_keys->registerKey(5, 'L', kHotKeyModControl));
    EXPECT_FALSE(m_keys->registerKey(6, 'L', kHotKeyModControl));
    EXPECT_TRUE(m_keys->registerKey(9, 'L', kHotKeyModControl | kHotKeyModShift));
    ASSERT_TRUE(pressAndWait("ctrl+l", 1));
    EXPECT_EQ(m_pressed, (std::vector<int>{5}));

    // The refusal left the first registration's grabs in place; releasing it frees the key.
    OtherClient other(s_server->display());
    EXPECT_FALSE(other.grab(XK_l, XCB_MOD_MASK_CONTROL));
    m_keys->unregisterKey(5);
    EXPECT_TRUE(m_keys->registerKey(6, 'L', kHotKeyModControl));
    ASSERT_TRUE(pressAndWait("ctrl+l", 2));
    EXPECT_EQ(m_pressed, (std::vector<int>{5, 6}));
}

TEST_F(XcbHotKeysTest, UnregisterAndDestructionReleaseEveryVariant) {
    ASSERT_TRUE(m_keys->registerKey(7, 'J', kHotKeyModShift));
    ASSERT_TRUE(m_keys->registerKey(8, 'H', kHotKeyModShift));
    m_keys->unregisterKey(7);
    m_keys->unregisterKey(42); // never registered
    OtherClient other(s_server->display());
    for (const int locks :
         {0, int{XCB_MOD_MASK_LOCK}, int{XCB_MOD_MASK_2}, XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2})
        EXPECT_TRUE(other.grab(XK_j, static_cast<std::uint16_t>(XCB_MOD_MASK_SHIFT | locks))) << locks;
    EXPECT_FALSE(other.grab(XK_h, XCB_MOD_MASK_SHIFT));
    m_keys.reset();
    EXPECT_TRUE(other.grab(XK_h, XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_2));
}

TEST_F(XcbHotKeysTest, KeysWithoutAKeysymAreRefused) {
    EXPECT_FALSE(m_keys->registerKey(0, 0x07, 0));
    EXPECT_FALSE(m_keys->registerKey(1, 0xFF, kHotKeyModControl));
}

} // namespace
} // namespace quorvane::test
