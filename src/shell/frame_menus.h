#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace cm {

// Everything the frame's menus, toolbar and tray menu can start.
enum class FrameCommand {
    Setup, PrintSetup,
    ImportSchedule, ImportContacts, ImportToDo, ExportSchedule, ExportContacts, ExportToDo,
    Synchronize, ViewLog, Exit,
    ViewSchedule, AddMessageWizard, AddProgramWizard, GenericAddWizard,
    ToDoList, Contacts, ClipboardSaver, ScheduleCategories, ContactCategories,
    ReportDateOrder, ReportCategoryOrder, ReportBriefSchedule, ReportForCategory,
    ReportContacts, ReportCategories, ReportToDoPriority, ReportToDoCategory,
    Tile, Cascade, ArrangeIcons,
    HelpContents, HelpSearch, HelpHowToUse, HomePage, EmailUs, About,
    // The buttons a focused list window lends the toolbar.
    ListInsert, ListChange, ListDelete,
    ListFirstPage, ListPriorPage, ListNextPage, ListLastPage, ListPriorRecord, ListNextRecord, ListHelp,
    // Tray only.
    Restore, StopScript, ExitFromTray,
};

// When an entry can be chosen.
enum class EnableRule {
    Always,
    // Opens a window another part of the program provides: enabled once it is connected.
    WhenConnected,
    // Acts on the list window that has the focus.
    ListFocus,
};

struct MenuEntry {
    FrameCommand command;
    // The menus above the entry, outermost first: {"&File", "&Import"}.
    std::vector<std::string_view> path;
    std::string_view text;
    std::string_view objectName;
    // Status zone 1 while the entry is highlighted.
    std::string_view help;
    std::string_view shortcut;  // portable key text ("Ctrl+Q"); empty for none
    EnableRule rule = EnableRule::WhenConnected;
    bool separatorBefore = false;
};

struct ToolbarButton {
    FrameCommand command;
    std::string_view toolTip;
    std::string_view objectName;
    // Our own icon by the program's name, or a desktop theme icon name.
    std::string_view icon;
    bool ownIcon = true;
    EnableRule rule = EnableRule::WhenConnected;
    bool separatorBefore = false;
};

struct TrayEntry {
    FrameCommand command;
    std::string_view text;
    std::string_view objectName;
    // The frame comes out of the tray before the command runs.
    bool restoresFirst = false;
    // A separator ("-") comes before the entry.
    bool separatorBefore = false;
};

// The frame's menus, toolbar and tray menu as data, so the widgets are built from one table
// and tests check the texts without windows.
class FrameMenus {
public:
    static constexpr std::string_view kScriptIndicator = "*";
    static constexpr std::string_view kStopRunningScript = "&Stop Running Script";

    // The menu bar's top-level menus in order, with their object names.
    static const std::vector<std::pair<std::string_view, std::string_view>>& topMenus();
    // Every menu bar entry in order. The window list of the "&Window" menu follows its entries.
    static const std::vector<MenuEntry>& menuEntries();
    // The object name of a submenu, by its text ("&Import" -> "importMenu").
    static std::string_view submenuObjectName(std::string_view text);
    static const MenuEntry* find(FrameCommand command);

    // The wizard and list buttons, then the buttons of a focused list window.
    static const std::vector<ToolbarButton>& toolbarButtons();

    // The tray's popup menu: "&Stop Running Script" only while scripts are queued.
    static std::vector<TrayEntry> trayEntries(bool scriptsQueued);
    // The same as one "|"-separated text, "-" standing for each separator.
    static std::string trayMenuText(bool scriptsQueued);
};

}  // namespace cm
