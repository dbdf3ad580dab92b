#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "shell/window_system.h"

namespace cm {

class X11Session;

// Top-level windows of an X11 desktop.
//
// Listing: with a window manager (a live _NET_SUPPORTING_WM_CHECK) the windows of
// _NET_CLIENT_LIST, minimized ones included; without one, the root's children that are
// viewable or iconic, each taken down to its client (the window carrying WM_STATE) where a
// frame wraps it. The check matters: a window manager that has ended leaves its stale
// _NET_CLIENT_LIST on the root.
//
// Activation asks the window manager (_NET_ACTIVE_WINDOW, source "pager", with a server
// timestamp) when it supports that, else maps, raises and focuses the window itself; either
// way it then waits a moment for the window to become active, since keys typed before that
// land in whatever window is under the pointer.
class X11WindowSystem final : public WindowSystem {
public:
    static constexpr std::chrono::milliseconds kActivationWait{1000};

    explicit X11WindowSystem(X11Session& session);
    ~X11WindowSystem() override;

    std::vector<WindowInfo> topLevelWindows() override;
    bool bringToFront(WindowId id) override;
    std::optional<WindowInfo> activeWindow() override;
    bool requestClose(WindowId id) override;

    // Whether an EWMH window manager runs now.
    bool hasWindowManager();

private:
    unsigned long atom(const char* name);
    bool wmSupports(const char* atomName);
    std::optional<unsigned long> activeId();
    unsigned long serverTime();
    std::string title(unsigned long window);
    bool ownWindow(unsigned long window);
    unsigned long clientOf(unsigned long window);
    unsigned long topAncestor(unsigned long window);
    bool isIconic(unsigned long window);
    void sendToRoot(unsigned long window, const char* message, long l0, long l1, long l2);

    X11Session& m_session;
    unsigned long m_timeWindow = 0;  // an unmapped window of ours, for server timestamps
};

}  // namespace cm
