#include <gtest/gtest.h>

#include "store/standard_warnings.h"
#include "support/fake_runtime.h"

namespace cm::test {
namespace {

TEST(WarningTest, TextsTitlesButtonsAndIcons) {
    const StoreError locked = StoreError::make(32, "database is locked");
    const StoreError changed = StoreError::make(89, "changed");
    StoreError disk = StoreError::fromErrno("write", 28);
    struct Case {
        int number;
        const char* name;
        const char* text2;
        StoreError error;
        const char* title;
        std::string text;
        unsigned buttons;
        Button defaultButton;
        MessageIcon icon;
    };
    const Case cases[] = {
        {1, "Schedule   ", "", locked, "Invalid File",
         "Error: (database is locked (32)) accessing Schedule.  Press OK to end this application.", kButtonOk,
         Button::Ok, MessageIcon::Information},
        {2, "Schedule", "", {}, "Invalid Key", "Schedule key file is invalid.  Do you want to rebuild the key?",
         kButtonsYesNo, Button::Yes, MessageIcon::Exclamation},
        {5, "Todo", "", locked, "File Creation Error",
         "Error: (database is locked (32)) opening created file:Todo.  Press OK to end this application.", kButtonOk,
         Button::Ok, MessageIcon::Information},
        {10, "TDO:Priority", "1 and 10", {}, "Range Error", "The value of TDO:Priority must be between 1 and 10.",
         kButtonOk, Button::Ok, MessageIcon::Information},
        {15, "Disk full", "", disk, "Update Operation Error",
         "An error (" + disk.osMessage + " (28)) was experienced when attempting to update a record from the file.  "
         "Probable Cause: Disk full.",
         kButtonOk, Button::Ok, MessageIcon::Information},
        {15, "x", "", changed, "Update Operation Error", "This record was changed by another station.", kButtonOk,
         Button::Ok, MessageIcon::Information},
        {16, "", "", {}, "Record Update Error",
         "An error was experienced changing this record.  Do you want to try to save again?", kButtonsYesNoCancel,
         Button::Cancel, MessageIcon::Information},
        {24, "By System ID", "", {}, "Duplicate Key Error",
         "Adding this record creates a duplicate entry for the key:By System ID", kButtonOk, Button::Ok,
         MessageIcon::Information},
        {25, "", "", locked, "Auto Increment Error",
         "Attempts to automatically number this record have failed.  Error: database is locked (32).",
         kButtonsRetryCancel, Button::Cancel, MessageIcon::Information},
        {29, "Down", "", {}, "End of File Error",
         "The end of the viewed file was encountered.  Do you want to start again from the beginning?", kButtonsYesNo,
         Button::Yes, MessageIcon::Exclamation},
        {29, "Up", "", {}, "Beginning of File Error",
         "The beginning of the viewed file was encountered.  Do you want to start again from the end of the file?",
         kButtonsYesNo, Button::Yes, MessageIcon::Exclamation},
        {31, "Put", "Scripting", locked, "Process PUT Error",
         "An error was experienced when making changes to the Scripting file.  Error: database is locked (32)",
         kButtonOk, Button::Ok, MessageIcon::Information},
        {31, "Delete", "Scripting", locked, "Process DELETE Error",
         "An error was experienced when deleting a record from the Scripting file.  Error: database is locked (32)",
         kButtonOk, Button::Ok, MessageIcon::Information},
        {32, "", "", {}, "Confirm Delete",
         "You've selected to delete the highlighted record.  Press OK to confirm deletion of this record.",
         kButtonsOkCancel, Button::Cancel, MessageIcon::Exclamation},
        {34, "Delete", "Schedule", locked, "Transaction Framing Error",
         "Error: (database is locked (32)) attempting to frame the delete transaction on Schedule.  Delete transaction "
         "cancelled.",
         kButtonOk, Button::Ok, MessageIcon::Information},
        {36, "Todo", "", locked, "View Open Error",
         "Error: (database is locked (32)) attempting to open the current VIEW.\nFilter and Range Limits ignored.\n\n"
         "Related File: Todo",
         kButtonOk, Button::Ok, MessageIcon::Information},
    };
    for (const Case& c : cases) {
        const MessageBoxRequest r = StandardWarnings::build(c.number, c.name, c.text2, c.error);
        EXPECT_EQ(r.title, c.title) << c.number;
        EXPECT_EQ(r.text, c.text) << c.number;
        EXPECT_EQ(r.buttons, c.buttons) << c.number;
        EXPECT_EQ(r.defaultButton, c.defaultButton) << c.number;
        EXPECT_EQ(r.icon, c.icon) << c.number;
    }
    for (int n : {1, 2, 3, 4, 5, 10, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 24, 25, 26, 27, 28, 29, 30, 31, 32, 34, 35,
                  36, 38})
        EXPECT_NE(StandardWarnings::find(n), nullptr) << n;
}

TEST(WarningTest, OpeningWarningsEndTheProgram) {
    const StoreError e = StoreError::make(88, "malformed");
    struct Case {
        int number;
        Button answer;
        const char* ending;  // nullptr: the program goes on
    };
    const Case cases[] = {
        {1, Button::Ok, "Invalid File!"},      {2, Button::No, "Invalid Key!"},
        {2, Button::Yes, nullptr},             {3, Button::Ok, "Error Rebuilding Key!"},
        {4, Button::Ok, "File Creation Error!"}, {5, Button::Ok, "File Creation Error!"},
        {30, Button::Ok, nullptr},             {35, Button::Ok, nullptr},
    };
    for (const Case& c : cases) {
        FakeRuntime runtime;
        runtime.answerNext(c.answer);
        EXPECT_EQ(StandardWarnings::show(runtime, c.number, "Schedule", "", e), c.answer);
        ASSERT_EQ(runtime.boxes().size(), 1u);
        EXPECT_EQ(runtime.endedWith.has_value(), c.ending != nullptr) << c.number;
        if (c.ending) {
            EXPECT_EQ(*runtime.endedWith, c.ending) << c.number;
        }
    }
    FakeRuntime quitting;
    quitting.setQuitting(true);
    EXPECT_EQ(StandardWarnings::show(quitting, 1, "Schedule", "", e), Button::Aborted);
    EXPECT_FALSE(quitting.endedWith.has_value());
}

}  // namespace
}  // namespace cm::test
