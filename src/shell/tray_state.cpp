#include "shell/tray_state.h"

namespace cm {

std::optional<std::string> TrayState::refresh(bool scriptRunning) {
    if (!m_inTray) return std::nullopt;
    if (scriptRunning) {
        m_counter = m_counter % static_cast<int>(kAnimationFrames.size()) + 1;
        m_current = kAnimationFrames[static_cast<std::size_t>(m_counter - 1)];
        return m_current;
    }
    if (m_current == m_normal) return std::nullopt;
    m_current = m_normal;
    return m_current;
}

}  // namespace cm
