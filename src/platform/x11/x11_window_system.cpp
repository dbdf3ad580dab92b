#include "platform/x11/x11_window_system.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <algorithm>
#include <thread>

#include "platform/x11/x11_session.h"

namespace cm {

namespace {

constexpr long kSourcePager = 2;  // EWMH: the request comes from a pager-like tool, not an app
constexpr int kClientSearchDepth = 4;
constexpr auto kPollStep = std::chrono::milliseconds(10);

// A 32-bit property as longs (Xlib hands format-32 data out as long).
std::vector<unsigned long> longProperty(Display* dpy, Window w, Atom property, Atom type) {
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    std::vector<unsigned long> values;
    if (XGetWindowProperty(dpy, w, property, 0, 1L << 16, False, type, &actualType, &format, &count, &after,
                           &data) == Success &&
        data != nullptr) {
        if (actualType == type && format == 32) {
            const auto* longs = reinterpret_cast<const unsigned long*>(data);
            values.assign(longs, longs + count);
        }
        XFree(data);
    }
    return values;
}

std::optional<std::string> textProperty(Display* dpy, Window w, Atom property, Atom type) {
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    std::optional<std::string> text;
    if (XGetWindowProperty(dpy, w, property, 0, 1L << 16, False, type, &actualType, &format, &count, &after,
                           &data) == Success &&
        data != nullptr) {
        if (actualType == type && format == 8) text.emplace(reinterpret_cast<const char*>(data), count);
        XFree(data);
    }
    return text;
}

std::string latin1ToUtf8(const unsigned char* text, std::size_t size) {
    std::string out;
    for (std::size_t i = 0; i < size; ++i) {
        const unsigned char c = text[i];
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

template <typename Done>
bool pollUntil(std::chrono::milliseconds limit, Done done) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (done()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(kPollStep);
    }
}

}  // namespace

X11WindowSystem::X11WindowSystem(X11Session& session) : m_session(session) {}

X11WindowSystem::~X11WindowSystem() {
    if (m_timeWindow != 0 && m_session.isOpen()) XDestroyWindow(m_session.display(), m_timeWindow);
}

unsigned long X11WindowSystem::atom(const char* name) { return XInternAtom(m_session.display(), name, False); }

bool X11WindowSystem::hasWindowManager() {
    if (!m_session.isOpen()) return false;
    Display* dpy = m_session.display();
    const Atom check = atom("_NET_SUPPORTING_WM_CHECK");
    const auto fromRoot = longProperty(dpy, DefaultRootWindow(dpy), check, XA_WINDOW);
    if (fromRoot.empty() || fromRoot[0] == 0) return false;
    const auto fromChild = longProperty(dpy, fromRoot[0], check, XA_WINDOW);
    return !fromChild.empty() && fromChild[0] == fromRoot[0];
}

bool X11WindowSystem::wmSupports(const char* atomName) {
    if (!hasWindowManager()) return false;
    Display* dpy = m_session.display();
    const auto supported = longProperty(dpy, DefaultRootWindow(dpy), atom("_NET_SUPPORTED"), XA_ATOM);
    return std::find(supported.begin(), supported.end(), atom(atomName)) != supported.end();
}

std::vector<WindowInfo> X11WindowSystem::topLevelWindows() {
    std::vector<WindowInfo> found;
    if (!m_session.isOpen()) return found;
    Display* dpy = m_session.display();
    const Window root = DefaultRootWindow(dpy);

    // Top-most first, as the desktop stacks them, so the first match of a title pattern is
    // the window the user sees.
    std::vector<unsigned long> ids;
    if (hasWindowManager()) {
        ids = longProperty(dpy, root, atom("_NET_CLIENT_LIST_STACKING"), XA_WINDOW);
        if (ids.empty()) {
            ids = longProperty(dpy, root, atom("_NET_CLIENT_LIST"), XA_WINDOW);
        } else {
            std::reverse(ids.begin(), ids.end());
        }
    }
    if (ids.empty()) {
        Window rootReturn = 0;
        Window parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        if (XQueryTree(dpy, root, &rootReturn, &parent, &children, &count) != 0 && children != nullptr) {
            for (unsigned int i = count; i-- > 0;) {
                XWindowAttributes attrs;
                if (XGetWindowAttributes(dpy, children[i], &attrs) == 0) continue;
                if (attrs.override_redirect || attrs.c_class == InputOnly) continue;
                if (attrs.map_state == IsViewable || isIconic(children[i])) ids.push_back(clientOf(children[i]));
            }
            XFree(children);
        }
    }

    for (const unsigned long id : ids) {
        std::string text = title(id);
        if (text.empty()) continue;
        found.push_back(WindowInfo{id, std::move(text), ownWindow(id)});
    }
    return found;
}

std::string X11WindowSystem::title(unsigned long window) {
    Display* dpy = m_session.display();
    if (auto name = textProperty(dpy, window, atom("_NET_WM_NAME"), atom("UTF8_STRING")); name && !name->empty())
        return *name;

    XTextProperty prop{};
    if (XGetWMName(dpy, window, &prop) == 0 || prop.value == nullptr) return {};
    std::string text;
    if (prop.encoding == XA_STRING) {
        text = latin1ToUtf8(prop.value, prop.nitems);
    } else if (prop.encoding == atom("UTF8_STRING")) {
        text.assign(reinterpret_cast<const char*>(prop.value), prop.nitems);
    } else {
        char** list = nullptr;
        int count = 0;
        if (Xutf8TextPropertyToTextList(dpy, &prop, &list, &count) >= Success && list != nullptr) {
            if (count > 0 && list[0] != nullptr) text = list[0];
            XFreeStringList(list);
        }
    }
    XFree(prop.value);
    return text;
}

bool X11WindowSystem::ownWindow(unsigned long window) {
    const auto pid = longProperty(m_session.display(), window, atom("_NET_WM_PID"), XA_CARDINAL);
    return !pid.empty() && pid[0] == static_cast<unsigned long>(getpid());
}

bool X11WindowSystem::isIconic(unsigned long window) {
    const Atom wmState = atom("WM_STATE");
    const auto state = longProperty(m_session.display(), window, wmState, wmState);
    return !state.empty() && state[0] == IconicState;
}

// The client inside a frame: the window itself or the nearest descendant carrying WM_STATE,
// or the window itself when none does (no window manager has set any).
unsigned long X11WindowSystem::clientOf(unsigned long window) {
    Display* dpy = m_session.display();
    const Atom wmState = atom("WM_STATE");
    std::vector<Window> level{window};
    for (int depth = 0; depth < kClientSearchDepth && !level.empty(); ++depth) {
        std::vector<Window> next;
        for (const Window w : level) {
            if (!longProperty(dpy, w, wmState, wmState).empty()) return w;
            Window rootReturn = 0;
            Window parent = 0;
            Window* children = nullptr;
            unsigned int count = 0;
            if (XQueryTree(dpy, w, &rootReturn, &parent, &children, &count) != 0 && children != nullptr) {
                next.insert(next.end(), children, children + count);
                XFree(children);
            }
        }
        level = std::move(next);
    }
    return window;
}

unsigned long X11WindowSystem::topAncestor(unsigned long window) {
    Display* dpy = m_session.display();
    Window current = window;
    for (;;) {
        Window root = 0;
        Window parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        if (XQueryTree(dpy, current, &root, &parent, &children, &count) == 0) return current;
        if (children != nullptr) XFree(children);
        if (parent == 0 || parent == root) return current;
        current = parent;
    }
}

std::optional<unsigned long> X11WindowSystem::activeId() {
    Display* dpy = m_session.display();
    const Window root = DefaultRootWindow(dpy);
    if (hasWindowManager()) {
        const auto active = longProperty(dpy, root, atom("_NET_ACTIVE_WINDOW"), XA_WINDOW);
        if (!active.empty()) {
            if (active[0] == 0) return std::nullopt;
            return active[0];
        }
    }
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(dpy, &focus, &revert);
    if (focus == None) return std::nullopt;
    if (focus == PointerRoot) {
        // Focus follows the pointer: the window under it gets the keys.
        Window rootReturn = 0;
        Window child = 0;
        int x = 0, y = 0, wx = 0, wy = 0;
        unsigned int mask = 0;
        if (XQueryPointer(dpy, root, &rootReturn, &child, &x, &y, &wx, &wy, &mask) == 0 || child == 0)
            return std::nullopt;
        focus = child;
    }
    if (focus == root) return std::nullopt;
    return clientOf(topAncestor(focus));
}

std::optional<WindowInfo> X11WindowSystem::activeWindow() {
    if (!m_session.isOpen()) return std::nullopt;
    const auto id = activeId();
    if (!id) return std::nullopt;
    return WindowInfo{*id, title(*id), ownWindow(*id)};
}

unsigned long X11WindowSystem::serverTime() {
    Display* dpy = m_session.display();
    if (m_timeWindow == 0) {
        m_timeWindow = XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), -10, -10, 1, 1, 0, 0, 0);
        XSelectInput(dpy, m_timeWindow, PropertyChangeMask);
    }
    // An empty append changes nothing but makes the server stamp a PropertyNotify with its time.
    const Atom stamp = atom("_CHRONOMATE_TIMESTAMP");
    XChangeProperty(dpy, m_timeWindow, stamp, XA_STRING, 8, PropModeAppend, nullptr, 0);
    XEvent event;
    for (;;) {
        XWindowEvent(dpy, m_timeWindow, PropertyChangeMask, &event);
        if (event.xproperty.atom == stamp) return event.xproperty.time;
    }
}

void X11WindowSystem::sendToRoot(unsigned long window, const char* message, long l0, long l1, long l2) {
    Display* dpy = m_session.display();
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = atom(message);
    event.xclient.format = 32;
    event.xclient.data.l[0] = l0;
    event.xclient.data.l[1] = l1;
    event.xclient.data.l[2] = l2;
    XSendEvent(dpy, DefaultRootWindow(dpy), False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
}

bool X11WindowSystem::bringToFront(WindowId id) {
    if (!m_session.isOpen()) return false;
    Display* dpy = m_session.display();
    const Window window = id;
    XWindowAttributes attrs;
    if (XGetWindowAttributes(dpy, window, &attrs) == 0) return false;

    if (wmSupports("_NET_ACTIVE_WINDOW")) {
        // Mapping an iconic client asks the window manager to restore it (ICCCM).
        if (attrs.map_state != IsViewable || isIconic(window)) XMapRaised(dpy, window);
        const long current = static_cast<long>(activeId().value_or(0));
        sendToRoot(window, "_NET_ACTIVE_WINDOW", kSourcePager, static_cast<long>(serverTime()), current);
        XSync(dpy, False);
    } else {
        const Window top = topAncestor(window);
        XMapRaised(dpy, top);
        XRaiseWindow(dpy, top);
        XSync(dpy, False);
        // Focus on a window that is not yet viewable fails with BadMatch.
        pollUntil(kActivationWait, [&] {
            XWindowAttributes now;
            return XGetWindowAttributes(dpy, window, &now) != 0 && now.map_state == IsViewable;
        });
        XSetInputFocus(dpy, window, RevertToParent, CurrentTime);
        XSync(dpy, False);
    }
    return pollUntil(kActivationWait, [&] { return activeId() == window; });
}

bool X11WindowSystem::requestClose(WindowId id) {
    if (!m_session.isOpen()) return false;
    Display* dpy = m_session.display();
    const Window window = id;
    XWindowAttributes attrs;
    if (XGetWindowAttributes(dpy, window, &attrs) == 0) return false;

    if (wmSupports("_NET_CLOSE_WINDOW")) {
        sendToRoot(window, "_NET_CLOSE_WINDOW", static_cast<long>(serverTime()), kSourcePager, 0);
        XSync(dpy, False);
        return true;
    }
    const Atom deleteWindow = atom("WM_DELETE_WINDOW");
    Atom* protocols = nullptr;
    int count = 0;
    bool polite = false;
    if (XGetWMProtocols(dpy, window, &protocols, &count) != 0 && protocols != nullptr) {
        polite = std::find(protocols, protocols + count, deleteWindow) != protocols + count;
        XFree(protocols);
    }
    // A window that does not take part in WM_DELETE_WINDOW is not destroyed behind its back.
    if (!polite) return false;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = atom("WM_PROTOCOLS");
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(deleteWindow);
    event.xclient.data.l[1] = static_cast<long>(serverTime());
    XSendEvent(dpy, window, False, NoEventMask, &event);
    XSync(dpy, False);
    return true;
}

}  // namespace cm
