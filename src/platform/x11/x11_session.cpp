#include "platform/x11/x11_session.h"

#include <X11/Xlib.h>

#include <cstdlib>
#include <cstring>

namespace cm {

namespace {

// Windows of other programs vanish between our requests at any moment (BadWindow,
// BadMatch); Xlib's default handler would end the whole program for that. Each request's
// outcome is read from its own reply, so errors are dropped here.
int ignoreXError(Display*, XErrorEvent*) { return 0; }

bool envIs(const char* name, const char* value) {
    const char* v = std::getenv(name);
    return v != nullptr && std::strcmp(v, value) == 0;
}

}  // namespace

X11Session::X11Session(const char* displayName) {
    const char* name = displayName != nullptr ? displayName : std::getenv("DISPLAY");
    if (name == nullptr || *name == '\0') {
        m_error = "No X display is set (DISPLAY is empty): scripts cannot reach other windows.";
        return;
    }
    m_display = XOpenDisplay(name);
    if (m_display == nullptr) {
        m_error = std::string("Cannot open the X display \"") + name + "\": scripts cannot reach other windows.";
        return;
    }
    XSetErrorHandler(ignoreXError);
}

X11Session::~X11Session() {
    if (m_display != nullptr) XCloseDisplay(m_display);
}

void X11Session::discardEvents() {
    if (m_display == nullptr) return;
    XEvent event;
    while (XPending(m_display) > 0) XNextEvent(m_display, &event);
}

bool X11Session::waylandSession() {
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (wayland != nullptr && *wayland != '\0') || envIs("XDG_SESSION_TYPE", "wayland");
}

std::string X11Session::x11OnlyNotice() {
    if (!waylandSession()) return {};
    return "This is a Wayland session: scripts can find, focus and type into X11 (XWayland) "
           "windows only. Native Wayland windows are not seen by scripts.";
}

}  // namespace cm
