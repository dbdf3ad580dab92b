#include "shell/frame_menus.h"

#include <utility>

namespace cm {
namespace {

using C = FrameCommand;
using R = EnableRule;

constexpr std::string_view kFile = "&File";
constexpr std::string_view kImport = "&Import";
constexpr std::string_view kExport = "&Export";
constexpr std::string_view kBrowse = "&Browse";
constexpr std::string_view kWizards = "&Wizards";
constexpr std::string_view kReports = "&Reports";
constexpr std::string_view kSchedule = "&Schedule";
constexpr std::string_view kToDoReports = "&To Do List";
constexpr std::string_view kWindow = "&Window";
constexpr std::string_view kHelp = "&Help";

}  // namespace

const std::vector<std::pair<std::string_view, std::string_view>>& FrameMenus::topMenus() {
    static const std::vector<std::pair<std::string_view, std::string_view>> menus = {
        {kFile, "fileMenu"},       {kBrowse, "browseMenu"}, {kReports, "reportsMenu"},
        {kWindow, "windowMenu"},   {kHelp, "helpMenu"},
    };
    return menus;
}

std::string_view FrameMenus::submenuObjectName(std::string_view text) {
    if (text == kImport) return "importMenu";
    if (text == kExport) return "exportMenu";
    if (text == kWizards) return "wizardsMenu";
    if (text == kSchedule) return "scheduleReportsMenu";
    if (text == kToDoReports) return "toDoReportsMenu";
    return {};
}

const std::vector<MenuEntry>& FrameMenus::menuEntries() {
    static const std::vector<MenuEntry> entries = {
        {C::Setup, {kFile}, "&Setup", "setupAction", "Change the program's options", "", R::WhenConnected, false},
        {C::PrintSetup, {kFile}, "Print Setup ...", "printSetupAction", "Choose the printer and its settings", "",
         R::Always, false},
        {C::ImportSchedule, {kFile, kImport}, "&Schedule", "importScheduleAction", "Import tasks from a file", "",
         R::WhenConnected, true},
        {C::ImportContacts, {kFile, kImport}, "&Contacts", "importContactsAction", "Import contacts from a file", "",
         R::WhenConnected, false},
        {C::ImportToDo, {kFile, kImport}, "&To Do", "importToDoAction", "Import to-do items from a file", "",
         R::WhenConnected, false},
        {C::ExportSchedule, {kFile, kExport}, "&Schedule", "exportScheduleAction", "Export tasks to a file", "",
         R::WhenConnected, false},
        {C::ExportContacts, {kFile, kExport}, "&Contacts", "exportContactsAction", "Export contacts to a file", "",
         R::WhenConnected, false},
        {C::ExportToDo, {kFile, kExport}, "&To Do", "exportToDoAction", "Export to-do items to a file", "",
         R::WhenConnected, false},
        {C::Synchronize, {kFile}, "S&ynchronization", "synchronizationAction",
         "Synchronize the schedule with another computer", "", R::WhenConnected, true},
        {C::ViewLog, {kFile}, "View &Log", "viewLogAction", "Show the event log", "", R::WhenConnected, false},
        {C::Exit, {kFile}, "E&xit", "exitAction", "Close Chronomate", "Ctrl+Q", R::Always, true},

        {C::ViewSchedule, {kBrowse}, "&View Schedule", "viewScheduleAction", "List the scheduled tasks", "",
         R::WhenConnected, false},
        {C::AddMessageWizard, {kBrowse, kWizards}, "Add &Message", "addMessageWizardAction",
         "Add a task that shows a message", "", R::WhenConnected, false},
        {C::AddProgramWizard, {kBrowse, kWizards}, "Add &Program", "addProgramWizardAction",
         "Add a task that runs a program", "", R::WhenConnected, false},
        {C::GenericAddWizard, {kBrowse, kWizards}, "Generic &Add", "genericAddWizardAction",
         "Add a task of any kind", "", R::WhenConnected, false},
        {C::ToDoList, {kBrowse}, "&To Do List", "toDoListAction", "List the to-do items", "", R::WhenConnected,
         false},
        {C::Contacts, {kBrowse}, "&Contacts", "contactsAction", "List the contacts", "", R::WhenConnected, false},
        {C::ClipboardSaver, {kBrowse}, "Clip&board Saver", "clipboardSaverAction", "List the saved clipboard texts",
         "", R::WhenConnected, false},
        {C::ScheduleCategories, {kBrowse}, "Schedule Cate&gories", "scheduleCategoriesAction",
         "List the task categories", "", R::WhenConnected, true},
        {C::ContactCategories, {kBrowse}, "Contact Categories", "contactCategoriesAction",
         "List the contact categories", "", R::WhenConnected, false},

        {C::ReportDateOrder, {kReports, kSchedule}, "&Date Order", "reportDateOrderAction",
         "Print the schedule by date", "", R::WhenConnected, false},
        {C::ReportCategoryOrder, {kReports, kSchedule}, "&Category Order", "reportCategoryOrderAction",
         "Print the schedule by category", "", R::WhenConnected, false},
        {C::ReportBriefSchedule, {kReports, kSchedule}, "&Brief Schedule", "reportBriefScheduleAction",
         "Print a brief schedule", "", R::WhenConnected, false},
        {C::ReportForCategory, {kReports, kSchedule}, "&For Specific Category", "reportForCategoryAction",
         "Print the schedule of one category", "", R::WhenConnected, false},
        {C::ReportContacts, {kReports}, "&Contacts", "reportContactsAction", "Print the contact list", "",
         R::WhenConnected, false},
        {C::ReportCategories, {kReports}, "Cate&gories", "reportCategoriesAction", "Print the categories", "",
         R::WhenConnected, false},
        {C::ReportToDoPriority, {kReports, kToDoReports}, "&Priority", "reportToDoPriorityAction",
         "Print the to-do list by priority", "", R::WhenConnected, false},
        {C::ReportToDoCategory, {kReports, kToDoReports}, "&Category", "reportToDoCategoryAction",
         "Print the to-do list by category", "", R::WhenConnected, false},

        {C::Tile, {kWindow}, "T&ile", "tileAction", "Arrange the windows side by side", "", R::Always, false},
        {C::Cascade, {kWindow}, "&Cascade", "cascadeAction", "Arrange the windows overlapping", "", R::Always, false},
        {C::ArrangeIcons, {kWindow}, "&Arrange Icons", "arrangeIconsAction", "Line up the minimized windows", "",
         R::Always, false},

        {C::HelpContents, {kHelp}, "&Contents", "helpContentsAction", "Open the manual", "", R::Always, false},
        {C::HelpSearch, {kHelp}, "&Search for Help On...", "helpSearchAction", "Search the manual", "", R::Always,
         false},
        {C::HelpHowToUse, {kHelp}, "&How to Use Help", "helpHowToUseAction", "How to find your way in the manual",
         "", R::Always, false},
        {C::HomePage, {kHelp}, "Home &Page", "homePageAction", "Visit the Chronomate home page", "", R::Always,
         true},
        {C::EmailUs, {kHelp}, "&Email Us", "emailUsAction", "Write to Chronomate support", "", R::Always, false},
        {C::About, {kHelp}, "&About", "aboutAction", "Program information", "", R::WhenConnected, true},
    };
    return entries;
}

const MenuEntry* FrameMenus::find(FrameCommand command) {
    for (const MenuEntry& e : menuEntries())
        if (e.command == command) return &e;
    return nullptr;
}

const std::vector<ToolbarButton>& FrameMenus::toolbarButtons() {
    static const std::vector<ToolbarButton> buttons = {
        {C::AddProgramWizard, "Program Wizard", "programWizardButton", "0PRG.ICO", true, R::WhenConnected, false},
        {C::AddMessageWizard, "Message Wizard", "messageWizardButton", "0MSG.ICO", true, R::WhenConnected, false},
        {C::ViewSchedule, "View Schedule", "viewScheduleButton", "VIEWSCHD.ICO", true, R::WhenConnected, false},
        {C::ToDoList, "To Do List", "toDoListButton", "0TODO.ICO", true, R::WhenConnected, false},
        {C::ListInsert, "Insert a new Record", "insertRecordButton", "list-add", false, R::ListFocus, true},
        {C::ListChange, "Change the Record", "changeRecordButton", "document-edit", false, R::ListFocus, false},
        {C::ListDelete, "Delete the Record", "deleteRecordButton", "list-remove", false, R::ListFocus, false},
        {C::ListFirstPage, "Go to the First Page", "firstPageButton", "go-top", false, R::ListFocus, true},
        {C::ListPriorPage, "Go to the Prior Page", "priorPageButton", "go-previous", false, R::ListFocus, false},
        {C::ListPriorRecord, "Go to the Prior Record", "priorRecordButton", "go-up", false, R::ListFocus, false},
        {C::ListNextRecord, "Go to the Next Record", "nextRecordButton", "go-down", false, R::ListFocus, false},
        {C::ListNextPage, "Go to the Next Page", "nextPageButton", "go-next", false, R::ListFocus, false},
        {C::ListLastPage, "Go to the Last Page", "lastPageButton", "go-bottom", false, R::ListFocus, false},
        {C::ListHelp, "Help", "listHelpButton", "help-contents", false, R::ListFocus, true},
    };
    return buttons;
}

std::vector<TrayEntry> FrameMenus::trayEntries(bool scriptsQueued) {
    std::vector<TrayEntry> entries = {
        {C::AddMessageWizard, "Add &Message", "trayAddMessageAction", true, false},
        {C::AddProgramWizard, "Add &Program", "trayAddProgramAction", true, false},
        {C::ToDoList, "&View To Do", "trayViewToDoAction", true, false},
        {C::Setup, "&Options", "trayOptionsAction", true, false},
        {C::Restore, "&Restore", "trayRestoreAction", false, true},
        {C::About, "&About", "trayAboutAction", false, true},
    };
    if (scriptsQueued) entries.push_back({C::StopScript, kStopRunningScript, "trayStopScriptAction", false, false});
    entries.push_back({C::ExitFromTray, "E&xit Chronomate", "trayExitAction", false, false});
    return entries;
}

std::string FrameMenus::trayMenuText(bool scriptsQueued) {
    std::string text;
    for (const TrayEntry& e : trayEntries(scriptsQueued)) {
        if (!text.empty()) text += '|';
        if (e.separatorBefore) text += "-|";
        text += e.text;
    }
    return text;
}

}  // namespace cm
