#include "shell/frame_menus.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace cm {
namespace {

TEST(FrameMenus, TrayMenuTextOffersStopRunningScriptOnlyWhileQueued) {
    EXPECT_EQ(FrameMenus::trayMenuText(true),
              "Add &Message|Add &Program|&View To Do|&Options|-|&Restore|-|&About|&Stop Running Script|"
              "E&xit Chronomate");
    EXPECT_EQ(FrameMenus::trayMenuText(false),
              "Add &Message|Add &Program|&View To Do|&Options|-|&Restore|-|&About|E&xit Chronomate");
}

TEST(FrameMenus, TrayEntriesThatOpenWindowsRestoreTheFrameFirst) {
    for (const TrayEntry& e : FrameMenus::trayEntries(true)) {
        const bool restores = e.command == FrameCommand::AddMessageWizard ||
                              e.command == FrameCommand::AddProgramWizard || e.command == FrameCommand::ToDoList ||
                              e.command == FrameCommand::Setup;
        EXPECT_EQ(e.restoresFirst, restores) << e.text;
    }
}

TEST(FrameMenus, EveryEntryHasAUniqueObjectNameAndAKnownMenu) {
    std::set<std::string> names;
    std::set<std::string_view> tops;
    for (const auto& [text, name] : FrameMenus::topMenus()) tops.insert(text);
    for (const MenuEntry& e : FrameMenus::menuEntries()) {
        EXPECT_TRUE(names.insert(std::string(e.objectName)).second) << e.objectName;
        ASSERT_FALSE(e.path.empty());
        EXPECT_TRUE(tops.count(e.path.front())) << e.text;
        for (std::size_t i = 1; i < e.path.size(); ++i)
            EXPECT_FALSE(FrameMenus::submenuObjectName(e.path[i]).empty()) << e.path[i];
        EXPECT_FALSE(e.help.empty()) << e.text;
    }
    for (const ToolbarButton& b : FrameMenus::toolbarButtons())
        EXPECT_TRUE(names.insert(std::string(b.objectName)).second) << b.objectName;
}

TEST(FrameMenus, ToolbarPostsTheMenuEntriesAndLendsListButtons) {
    const std::pair<std::string_view, FrameCommand> wizards[] = {{"Program Wizard", FrameCommand::AddProgramWizard},
                                                                 {"Message Wizard", FrameCommand::AddMessageWizard},
                                                                 {"View Schedule", FrameCommand::ViewSchedule},
                                                                 {"To Do List", FrameCommand::ToDoList}};
    const auto& buttons = FrameMenus::toolbarButtons();
    ASSERT_GE(buttons.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(buttons[i].toolTip, wizards[i].first);
        EXPECT_EQ(buttons[i].command, wizards[i].second);
        EXPECT_NE(FrameMenus::find(buttons[i].command), nullptr);
    }
    std::set<std::string_view> listTips;
    for (const ToolbarButton& b : buttons)
        if (b.rule == EnableRule::ListFocus) listTips.insert(b.toolTip);
    for (std::string_view tip : {"Insert a new Record", "Go to the First Page", "Go to the Prior Page",
                                 "Go to the Next Page", "Go to the Last Page", "Go to the Prior Record",
                                 "Go to the Next Record"})
        EXPECT_TRUE(listTips.count(tip)) << tip;
    EXPECT_EQ(listTips.size(), 10u);
}

}  // namespace
}  // namespace cm
