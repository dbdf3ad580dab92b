#pragma once

#include <string>

// Xlib's Display stays out of the port headers; only the backends' sources see Xlib.
typedef struct _XDisplay Display;

namespace cm {

// One Xlib connection shared by the X11 backends. A display that cannot be opened leaves the
// session closed with a message; the backends then do nothing and report failure.
class X11Session {
public:
    // nullptr opens $DISPLAY.
    explicit X11Session(const char* displayName = nullptr);
    ~X11Session();
    X11Session(const X11Session&) = delete;
    X11Session& operator=(const X11Session&) = delete;

    bool isOpen() const { return m_display != nullptr; }
    Display* display() const { return m_display; }
    // Why the display could not be opened; empty when it is open.
    const std::string& error() const { return m_error; }
    // Drops the events the server sends every client unasked (MappingNotify after each
    // keyboard change), which nobody here reads and which would pile up otherwise.
    void discardEvents();

    // Whether the desktop session runs Wayland, where only XWayland clients can be reached.
    static bool waylandSession();
    // The text to tell the user once in a Wayland session; empty in an X11 session.
    static std::string x11OnlyNotice();

private:
    Display* m_display = nullptr;
    std::string m_error;
};

}  // namespace cm
