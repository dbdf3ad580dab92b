#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace cm {

// The tray icon's state: whether it is in the tray, the icon it shows, and the animation that
// runs while a script does. The desktop shell applies what refresh() returns.
class TrayState {
public:
    static constexpr std::string_view kNormalIcon = "tray_ico";
    static constexpr std::array<std::string_view, 4> kAnimationFrames = {"tray_ico", "trayb_ico", "trayc_ico",
                                                                         "trayd_ico"};

    bool inTray() const { return m_inTray; }
    void setInTray(bool inTray) { m_inTray = inTray; }
    const std::string& currentIcon() const { return m_current; }
    const std::string& normalIcon() const { return m_normal; }
    // Another part (the keystroke sender) changed the icon.
    void setCurrentIcon(std::string_view name) { m_current = name; }
    void setNormalIcon(std::string_view name) { m_normal = name; }

    // Every monitor tick: the next animation frame while a script runs and the icon is in the
    // tray, else the normal icon back when something else had changed it. Nothing when the
    // icon stays as it is.
    std::optional<std::string> refresh(bool scriptRunning);

private:
    bool m_inTray = false;
    std::string m_normal{kNormalIcon};
    std::string m_current{kNormalIcon};
    int m_counter = 0;  // 1..4 once the animation ran
};

}  // namespace cm
