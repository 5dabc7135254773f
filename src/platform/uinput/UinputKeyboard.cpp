#include "platform/uinput/UinputKeyboard.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <linux/input.h>
#include <linux/uinput.h>
#include <thread>

namespace quorvane {

namespace {

// xkb keycodes are the kernel's key codes plus 8.
constexpr std::uint32_t kEvdevOffset = 8;
// Every key of a PC keyboard and its multimedia keys: layouts put symbols on codes up to 255.
constexpr unsigned kLastKey = 255;

std::string openProblem(int error) {
    std::string text = std::string("Cannot open ") + kUinputPath + ": " + std::strerror(error) + ".";
    if (error == ENOENT || error == ENODEV)
        text += " The kernel's virtual keyboard is missing (load it with \"modprobe uinput\").";
    text += std::string(" Keystrokes through it need read and write access to ") + kUinputPath +
            ", which this udev rule gives the user at the seat: " + kUinputRule +
            " (installed with Quorvane as 70-quorvane-uinput.rules in the udev rules folder; it takes effect"
            " at the next boot, or at once after \"sudo udevadm trigger --sysname-match=uinput\")."
            " Records are shown but not typed.";
    return text;
}

std::string setupProblem(const char* step, int error) {
    return std::string("Cannot set up the virtual keyboard on ") + kUinputPath + " (" + step +
           "): " + std::strerror(error) + ". Records are shown but not typed.";
}

} // namespace

UinputKeyboard::UinputKeyboard(XkbLayout& layout, UinputCalls& calls, UinputTiming timing,
                               std::function<void(int milliseconds)> wait)
    : m_layout(layout), m_calls(calls), m_timing(timing), m_wait(std::move(wait)) {}

UinputKeyboard::~UinputKeyboard() {
    if (m_fd < 0)
        return;
    releaseOwnKeys();
    m_calls.ioctl(m_fd, UI_DEV_DESTROY, 0ul);
    m_calls.close(m_fd);
}

std::optional<std::string> UinputKeyboard::open() {
    if (m_opened)
        return *m_opened;
    const int fd = m_calls.open(kUinputPath);
    if (fd < 0) {
        m_opened = openProblem(errno);
        return *m_opened;
    }
    auto fail = [&](const char* step) {
        const int error = errno;
        m_calls.close(fd);
        m_opened = setupProblem(step, error);
        return *m_opened;
    };
    // Keys, and the lights: the desktop sets the Caps Lock light of every keyboard it has taken in,
    // which tells this one the lock's state.
    if (m_calls.ioctl(fd, UI_SET_EVBIT, static_cast<unsigned long>(EV_KEY)) < 0 ||
        m_calls.ioctl(fd, UI_SET_EVBIT, static_cast<unsigned long>(EV_LED)) < 0 ||
        m_calls.ioctl(fd, UI_SET_LEDBIT, static_cast<unsigned long>(LED_NUML)) < 0 ||
        m_calls.ioctl(fd, UI_SET_LEDBIT, static_cast<unsigned long>(LED_CAPSL)) < 0)
        return fail("event types");
    for (unsigned key = 1; key <= kLastKey; ++key)
        if (m_calls.ioctl(fd, UI_SET_KEYBIT, static_cast<unsigned long>(key)) < 0)
            return fail("keys");
    uinput_setup setup{};
    setup.id.bustype = BUS_VIRTUAL;
    setup.id.vendor = 0x5156; // "QV"
    setup.id.product = 0x0001;
    setup.id.version = 1;
    std::strncpy(setup.name, kUinputDeviceName, UINPUT_MAX_NAME_SIZE - 1);
    if (m_calls.ioctl(fd, UI_DEV_SETUP, &setup) < 0)
        return fail("name");
    m_calls.watchDeviceOpens();
    if (m_calls.ioctl(fd, UI_DEV_CREATE, 0ul) < 0)
        return fail("create");
    m_fd = fd;
    m_opened = std::optional<std::string>();

    // A key sent before the desktop has opened the new device reaches nobody: the first character
    // of the run would be lost.
    char sysname[64] = {};
    if (m_calls.ioctl(fd, UI_GET_SYSNAME(sizeof sysname - 1), sysname) >= 0 &&
        m_calls.waitUntilTakenIn(sysname, m_timing.TakeInBound)) {
        m_takenIn = true;
        pause(m_timing.SettleTime);
    }
    readLights();
    return *m_opened;
}

void UinputKeyboard::pause(std::chrono::milliseconds time) {
    if (time.count() > 0 && m_wait)
        m_wait(static_cast<int>(time.count()));
}

void UinputKeyboard::emit(std::uint16_t type, std::uint16_t code, std::int32_t value) {
    input_event event{};
    event.type = type;
    event.code = code;
    event.value = value;
    // The kernel stamps the time. A refused event is lost, as with any injector.
    while (m_calls.write(m_fd, &event, sizeof event) < 0 && errno == EINTR) {
    }
}

void UinputKeyboard::edge(const KeyEdge& edge) {
    if (edge.Keycode <= kEvdevOffset || edge.Keycode > kLastKey + kEvdevOffset)
        return;
    const auto code = static_cast<std::uint16_t>(edge.Keycode - kEvdevOffset);
    const auto held =
        std::find_if(m_held.begin(), m_held.end(), [&](const Held& h) { return h.Keycode == edge.Keycode; });
    if (edge.Down) {
        if (held != m_held.end())
            return;
        m_held.push_back({edge.Keycode, std::chrono::steady_clock::now()});
    } else {
        // Only keys this device pressed are released by it.
        if (held == m_held.end())
            return;
        const auto heldFor = std::chrono::steady_clock::now() - held->Since;
        if (heldFor < m_timing.HoldTime)
            pause(std::chrono::ceil<std::chrono::milliseconds>(m_timing.HoldTime - heldFor));
        m_held.erase(held);
    }
    emit(EV_KEY, code, edge.Down ? 1 : 0);
    emit(EV_SYN, SYN_REPORT, 0);
    pause(m_timing.KeyDelay);
}

void UinputKeyboard::sendKey(std::uint16_t virtualKey, bool down) {
    if (m_fd < 0)
        return;
    for (const KeyEdge& e : m_layout.keyEdges(virtualKey, down))
        edge(e);
}

void UinputKeyboard::refreshState() {
    if (!m_stateSource)
        return;
    if (const auto state = m_stateSource())
        m_layout.setModifierState(*state);
}

void UinputKeyboard::saveModifiers() {
    refreshState();
    if (!m_stateSource)
        return;
    // A record often follows a hot key whose modifiers are still down; the user's keys cannot be
    // released from here, so typing waits (a while) for the user to let go.
    const auto deadline = std::chrono::steady_clock::now() + m_modifierWait;
    while (m_layout.heldModifiers() != 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        refreshState();
    }
}

void UinputKeyboard::restoreModifiers() {
    releaseOwnKeys();
}

void UinputKeyboard::releaseOwnKeys() {
    while (!m_held.empty()) {
        const std::uint32_t keycode = m_held.back().Keycode;
        m_held.pop_back();
        emit(EV_KEY, static_cast<std::uint16_t>(keycode - kEvdevOffset), 0);
        emit(EV_SYN, SYN_REPORT, 0);
    }
}

void UinputKeyboard::readLights() const {
    if (m_fd < 0)
        return;
    input_event events[16];
    ssize_t got = 0;
    while ((got = m_calls.read(m_fd, events, sizeof events)) > 0) {
        for (std::size_t i = 0; i < static_cast<std::size_t>(got) / sizeof(input_event); ++i)
            if (events[i].type == EV_LED && events[i].code == LED_CAPSL) {
                // Lights set before our own Caps Lock key was handled are out of date.
                const bool on = events[i].value != 0;
                if (m_expectedLight && *m_expectedLight != on)
                    continue;
                m_expectedLight.reset();
                m_capsLight = on;
            }
    }
}

bool UinputKeyboard::capsLock() const {
    readLights();
    if (m_capsLight)
        return *m_capsLight;
    if (m_stateSource)
        if (const auto state = m_stateSource())
            m_layout.setModifierState(*state);
    return m_layout.capsLock();
}

void UinputKeyboard::setCapsLock(bool on) {
    const std::uint32_t key = m_layout.capsLockKey();
    if (m_fd < 0 || key == 0)
        return;
    edge({key, true});
    edge({key, false});
    // The light follows once the desktop has handled the key; until then it still shows the old state.
    m_capsLight = on;
    m_expectedLight = on;
}

} // namespace quorvane
