#include "platform/x11/X11WindowSystem.h"

#include "config/CodePage.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <algorithm>
#include <string>
#include <thread>

namespace quorvane {

namespace {

constexpr long kIconicState = 3; // ICCCM WM_STATE value of a minimized window
constexpr long kSourcePager = 2; // EWMH source indication: a pager, obeyed without focus-stealing checks
constexpr std::chrono::milliseconds kWindowManagerRecheck{500};

// WM_NAME in STRING encoding is Latin-1; every Latin-1 character but the C1 range has a byte.
std::string latin1ToBytes(std::string_view latin1) {
    std::string bytes;
    for (unsigned char c : latin1)
        bytes += static_cast<char>(ByteOfCodePoint(c).value_or('?'));
    return bytes;
}

} // namespace

X11WindowSystem::X11WindowSystem(_XDisplay* display)
    : m_display(display), m_root(DefaultRootWindow(display)) {}

unsigned long X11WindowSystem::atom(const char* name) {
    return XInternAtom(m_display, name, False);
}

std::vector<unsigned long> X11WindowSystem::property(unsigned long window, unsigned long name,
                                                     unsigned long type) {
    std::vector<unsigned long> values;
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(m_display, window, name, 0, 65536, False, type, &actualType, &format, &count,
                           &remaining, &data) == Success &&
        data != nullptr) {
        // Format-32 data comes as longs whatever the size of long.
        if (actualType == type && format == 32) {
            const auto* longs = reinterpret_cast<const unsigned long*>(data);
            values.assign(longs, longs + count);
        }
        XFree(data);
    }
    return values;
}

std::optional<std::string> X11WindowSystem::textProperty(unsigned long window, unsigned long name) {
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(m_display, window, name, 0, 65536, False, AnyPropertyType, &actualType, &format,
                           &count, &remaining, &data) != Success)
        return std::nullopt;
    if (data == nullptr)
        return std::nullopt;
    std::optional<std::string> text;
    if (format == 8) {
        const std::string_view raw(reinterpret_cast<const char*>(data), count);
        if (actualType == atom("UTF8_STRING"))
            text = Utf8ToBytes(raw);
        else if (actualType == XA_STRING)
            text = latin1ToBytes(raw);
        else
            text = std::string(raw); // COMPOUND_TEXT: its ASCII part reads right, which titles mostly are
    }
    XFree(data);
    return text;
}

bool X11WindowSystem::windowManagerSupports(unsigned long hint) {
    // Three round trips, asked several times for every record typed, while the answer changes only
    // when a window manager starts or ends: it is kept for a moment.
    const auto now = std::chrono::steady_clock::now();
    if (!m_supportedAt || now - *m_supportedAt > kWindowManagerRecheck) {
        m_supportedAt = now;
        m_supported.clear();
        // _NET_SUPPORTED may be left behind by a window manager that has ended; the check window
        // is not.
        const auto check = property(m_root, atom("_NET_SUPPORTING_WM_CHECK"), XA_WINDOW);
        if (!check.empty() && property(check.front(), atom("_NET_SUPPORTING_WM_CHECK"), XA_WINDOW) == check)
            m_supported = property(m_root, atom("_NET_SUPPORTED"), XA_ATOM);
    }
    return std::find(m_supported.begin(), m_supported.end(), hint) != m_supported.end();
}

bool X11WindowSystem::windowManagerRunning() {
    const std::string selection = "WM_S" + std::to_string(DefaultScreen(m_display));
    return XGetSelectionOwner(m_display, atom(selection.c_str())) != None ||
           windowManagerSupports(atom("_NET_SUPPORTING_WM_CHECK"));
}

unsigned long X11WindowSystem::clientWindowOf(unsigned long window) {
    const Atom wmState = atom("WM_STATE");
    if (!property(window, wmState, wmState).empty())
        return window;
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (XQueryTree(m_display, window, &root, &parent, &children, &count) == 0)
        return window;
    unsigned long client = window;
    for (unsigned i = 0; i < count; ++i)
        if (!property(children[i], wmState, wmState).empty()) {
            client = children[i];
            break;
        }
    if (children != nullptr)
        XFree(children);
    return client;
}

std::vector<WindowId> X11WindowSystem::topLevelWindows() {
    std::vector<WindowId> windows;
    const auto stacking = property(m_root, atom("_NET_CLIENT_LIST_STACKING"), XA_WINDOW);
    if (!stacking.empty() && windowManagerSupports(atom("_NET_CLIENT_LIST_STACKING"))) {
        windows.assign(stacking.rbegin(), stacking.rend()); // the hint lists bottom to top
        return windows;
    }
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (XQueryTree(m_display, m_root, &root, &parent, &children, &count) == 0)
        return windows;
    for (unsigned i = count; i-- > 0;) {
        XWindowAttributes attributes{};
        if (XGetWindowAttributes(m_display, children[i], &attributes) == 0 || attributes.override_redirect)
            continue;
        const unsigned long client = clientWindowOf(children[i]);
        if (attributes.map_state == IsViewable || isMinimized(client))
            windows.push_back(client);
    }
    if (children != nullptr)
        XFree(children);
    return windows;
}

std::string X11WindowSystem::windowTitle(WindowId window) {
    // Many clients set only WM_NAME, and the target's title is read for every record: that a window
    // has no _NET_WM_NAME is believed for a moment rather than asked again each time.
    const auto now = std::chrono::steady_clock::now();
    if (!m_withoutNetName || m_withoutNetName->Window != window ||
        now - m_withoutNetName->At > kWindowManagerRecheck) {
        if (auto title = textProperty(window, atom("_NET_WM_NAME"))) {
            m_withoutNetName.reset();
            return *title;
        }
        m_withoutNetName = SeenWindow{window, now};
    }
    return textProperty(window, XA_WM_NAME).value_or(std::string());
}

unsigned long X11WindowSystem::topLevelOf(unsigned long window) {
    // The focus may sit on a child of the client window, or on the window manager's frame.
    unsigned long current = window;
    for (int depth = 0; depth < 32; ++depth) {
        const Atom wmState = atom("WM_STATE");
        if (!property(current, wmState, wmState).empty()) {
            if (current == window)
                m_focusedClient = SeenWindow{window, std::chrono::steady_clock::now()};
            return current;
        }
        Window root = 0;
        Window parent = 0;
        Window* children = nullptr;
        unsigned count = 0;
        if (XQueryTree(m_display, current, &root, &parent, &children, &count) == 0)
            return kNoWindow;
        if (children != nullptr)
            XFree(children);
        if (parent == root || parent == 0)
            return clientWindowOf(current);
        current = parent;
    }
    return kNoWindow;
}

WindowId X11WindowSystem::foregroundWindow() {
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(m_display, &focus, &revert);
    if (focus == None || focus == PointerRoot || focus == m_root) {
        // Under a window manager the focus may rest on its own window while a client is active.
        const auto active = property(m_root, atom("_NET_ACTIVE_WINDOW"), XA_WINDOW);
        if (!active.empty() && active.front() != None && windowManagerSupports(atom("_NET_ACTIVE_WINDOW")))
            return active.front();
        return kNoWindow;
    }
    // The focus mostly rests on a client window itself, which stays a client window as long as it
    // can hold the focus (withdrawing it moves the focus away): seen again soon after, it is not
    // looked at again. Any other focus window is walked up to its client every time, since the
    // client it belongs to may change (a frame whose client is not yet managed).
    if (m_focusedClient && m_focusedClient->Window == focus &&
        std::chrono::steady_clock::now() - m_focusedClient->At <= kWindowManagerRecheck)
        return focus;
    m_focusedClient.reset();
    return topLevelOf(focus);
}

bool X11WindowSystem::isViewable(unsigned long window) {
    XWindowAttributes attributes{};
    return XGetWindowAttributes(m_display, window, &attributes) != 0 && attributes.map_state == IsViewable;
}

void X11WindowSystem::requestActivation(unsigned long window) {
    if (windowManagerSupports(atom("_NET_ACTIVE_WINDOW"))) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = atom("_NET_ACTIVE_WINDOW");
        event.xclient.format = 32;
        event.xclient.data.l[0] = kSourcePager;
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(m_display, m_root, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
        XSync(m_display, False);
        return;
    }
    if (!isViewable(window)) {
        XMapRaised(m_display, window);
        XSync(m_display, False);
    }
    XRaiseWindow(m_display, window);
    // Focusing a window that is not (yet) viewable is a BadMatch; the recording handler keeps it.
    if (isViewable(window))
        XSetInputFocus(m_display, window, RevertToParent, CurrentTime);
    XSync(m_display, False);
}

bool X11WindowSystem::activate(WindowId window) {
    if (window == kNoWindow)
        return false;
    const auto deadline = std::chrono::steady_clock::now() + m_activationWait;
    requestActivation(window);
    // Keys go wherever the server's focus is, so typing must wait until the focus has arrived; a
    // window that is still being mapped is asked again.
    int attempts = 1;
    while (foregroundWindow() != window) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        if (++attempts % 50 == 0)
            requestActivation(window);
    }
    return true;
}

bool X11WindowSystem::isMinimized(WindowId window) {
    const Atom wmState = atom("WM_STATE");
    const auto state = property(window, wmState, wmState);
    if (!state.empty() && static_cast<long>(state.front()) == kIconicState)
        return true;
    const auto netState = property(window, atom("_NET_WM_STATE"), XA_ATOM);
    return std::find(netState.begin(), netState.end(), atom("_NET_WM_STATE_HIDDEN")) != netState.end();
}

void X11WindowSystem::restore(WindowId window) {
    // Mapping an iconic window is the ICCCM way back to the normal state.
    XMapRaised(m_display, window);
    XSync(m_display, False);
    activate(window);
}

void X11WindowSystem::show(WindowId window) {
    if (!isViewable(window) && !isMinimized(window)) {
        XMapWindow(m_display, window);
        XSync(m_display, False);
    }
}

void X11WindowSystem::minimize(WindowId window) {
    XIconifyWindow(m_display, window, DefaultScreen(m_display));
    XSync(m_display, False);
    // Only a window manager iconifies, and it does so asynchronously: wait for it, so that the next
    // activation is not undone.
    if (!windowManagerRunning())
        return;
    const auto deadline = std::chrono::steady_clock::now() + m_activationWait;
    while (!isMinimized(window) && isViewable(window) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

} // namespace quorvane
