#include "shell/tray_state.h"

#include <gtest/gtest.h>

namespace cm {
namespace {

TEST(TrayState, AnimatesWhileAScriptRunsAndPutsTheNormalIconBack) {
    TrayState tray;
    EXPECT_EQ(tray.refresh(true), std::nullopt);  // not in the tray: nothing moves
    tray.setInTray(true);
    std::vector<std::string> frames;
    for (int i = 0; i < 5; ++i) frames.push_back(tray.refresh(true).value());
    EXPECT_EQ(frames, (std::vector<std::string>{"tray_ico", "trayb_ico", "trayc_ico", "trayd_ico", "tray_ico"}));
    EXPECT_EQ(tray.refresh(true), "trayb_ico");
    EXPECT_EQ(tray.refresh(false), "tray_ico");
    EXPECT_EQ(tray.refresh(false), std::nullopt);
    tray.setCurrentIcon({});  // the keystroke sender changed it
    EXPECT_EQ(tray.refresh(false), "tray_ico");
}

}  // namespace
}  // namespace cm
