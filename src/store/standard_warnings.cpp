#include "store/standard_warnings.h"

#include <array>

#include "base/fixed_text.h"

namespace cm {

namespace {

constexpr MessageIcon kI = MessageIcon::Information;
constexpr MessageIcon kE = MessageIcon::Exclamation;
constexpr std::string_view kChangedByOtherStation = "This record was changed by another station.";

// Line breaks are "\n", which every message box renders.
constexpr std::array<StandardWarning, 29> kWarnings{{
    {1, "Invalid File", "Error: (%err%) accessing %name%.  Press OK to end this application.", kButtonOk, Button::Ok, kI,
     "Invalid File!", {}, {}},
    {2, "Invalid Key", "%name% key file is invalid.  Do you want to rebuild the key?", kButtonsYesNo, Button::Yes, kE,
     "Invalid Key!", {}, {}},
    {3, "Key Rebuild Error", "Error: (%err%) repairing key for %name%.  Press OK to end this application.", kButtonOk,
     Button::Ok, kI, "Error Rebuilding Key!", {}, {}},
    {4, "File Creation Error", "Error: (%err%) creating %name%.  Press OK to end this application.", kButtonOk,
     Button::Ok, kI, "File Creation Error!", {}, {}},
    {5, "File Creation Error", "Error: (%err%) opening created file:%name%.  Press OK to end this application.",
     kButtonOk, Button::Ok, kI, "File Creation Error!", {}, {}},
    {10, "Range Error", "The value of %name% must be between %text2%.", kButtonOk, Button::Ok, kI, {}, {}, {}},
    {12, "Referential Integrity Update Error",
     "This record is referenced from the file %name%.  Linking field(s) have been restricted from change and have been "
     "reset to original values.",
     kButtonOk, Button::Ok, kI, {}, {}, {}},
    {13, "Referential Integrity Delete Error",
     "This record is referenced from the file %name%.  This record cannot be deleted while these references exist.",
     kButtonOk, Button::Ok, kI, {}, {}, {}},
    {14, "Record Insert Error", "An error was experienced during the update of record.  Error: %err%.", kButtonOk,
     Button::Ok, kI, {}, {}, {}},
    {15, "Update Operation Error",
     "An error (%err%) was experienced when attempting to update a record from the file.  Probable Cause: %name%.",
     kButtonOk, Button::Ok, kI, {}, "Update Operation Error", kChangedByOtherStation},
    {16, "Record Update Error", "An error was experienced changing this record.  Do you want to try to save again?",
     kButtonsYesNoCancel, Button::Cancel, kI, {}, {}, {}},
    {17, "Delete Operation Error",
     "An error (%err%) was experienced when attempting to delete a record from the file %name%.", kButtonOk, Button::Ok,
     kI, {}, {}, {}},
    {18, "Record Update Error", "An error was experienced deleting this record.  Do you want to try to save again?",
     kButtonsYesNoCancel, Button::Cancel, kI, {}, {}, {}},
    {19, "Invalid Request",
     "This procedure was called to insert a record, however inserts are not allowed for this procedure.  Press OK to "
     "return to the calling procedure",
     kButtonOk, Button::Ok, kI, {}, {}, {}},
    {20, "Invalid Request",
     "This procedure was called to change a record, however changes are not allowed for this procedure.  Press OK to "
     "return to the calling procedure",
     kButtonOk, Button::Ok, kI, {}, {}, {}},
    {21, "Invalid Request",
     "This procedure was called to delete a record, however deletions are not allowed for this procedure.  Press OK to "
     "return to the calling procedure",
     kButtonOk, Button::Ok, kI, {}, {}, {}},
    {24, "Duplicate Key Error", "Adding this record creates a duplicate entry for the key:%name%", kButtonOk, Button::Ok,
     kI, {}, {}, {}},
    {25, "Auto Increment Error", "Attempts to automatically number this record have failed.  Error: %err%.",
     kButtonsRetryCancel, Button::Cancel, kI, {}, {}, {}},
    {26, "File Load Error", "%name% File Load Error.  Error: %err%.", kButtonOk, Button::Ok, kI, {}, {}, {}},
    {27, "Cancel Request", "Are you certain you want to stop loading %name%?", kButtonsOkCancel, Button::Cancel, kE, {},
     {}, {}},
    {28, "File Load Error", "%name% File Load Error.  The file you've requested contains no text.", kButtonOk,
     Button::Ok, kI, {}, {}, {}},
    {29, "End of File Error",
     "The end of the viewed file was encountered.  Do you want to start again from the beginning?", kButtonsYesNo,
     Button::Yes, kE, {}, "Beginning of File Error",
     "The beginning of the viewed file was encountered.  Do you want to start again from the end of the file?"},
    {30, "File Access Error", "File (%name%) could not be opened.  Error: %err%.", kButtonOk, Button::Ok, kI, {}, {}, {}},
    {31, "Process PUT Error", "An error was experienced when making changes to the %text2% file.  Error: %err%",
     kButtonOk, Button::Ok, kI, {}, "Process DELETE Error",
     "An error was experienced when deleting a record from the %text2% file.  Error: %err%"},
    {32, "Confirm Delete",
     "You've selected to delete the highlighted record.  Press OK to confirm deletion of this record.", kButtonsOkCancel,
     Button::Cancel, kE, {}, {}, {}},
    {34, "Transaction Framing Error",
     "Error: (%err%) attempting to frame the %lname% transaction on %text2%.  %name% transaction cancelled.", kButtonOk,
     Button::Ok, kI, {}, {}, {}},
    {35, "Record Retrieval Error",
     "Error: (%err%) attempting to access a record from the %name% file.  Returning to previous window.", kButtonOk,
     Button::Ok, kI, {}, {}, {}},
    {36, "View Open Error",
     "Error: (%err%) attempting to open the current VIEW.\nFilter and Range Limits ignored.\n\nRelated File: %name%",
     kButtonOk, Button::Ok, kI, {}, {}, {}},
    {38, "Record Was Not Updated",
     "This record was changed by another station. Those changes will now be displayed. Use the Ditto Button or Ctrl+' "
     "to recall your changes.",
     kButtonOk, Button::Ok, kI, {}, {}, {}},
}};

std::string lowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::string expand(std::string_view pattern, std::string_view name, std::string_view text2, const StoreError& error) {
    const std::string err = error.describe();
    std::string out;
    for (std::size_t i = 0; i < pattern.size();) {
        auto replaceWith = [&](std::string_view marker, std::string_view value) {
            if (pattern.substr(i, marker.size()) != marker) return false;
            out += value;
            i += marker.size();
            return true;
        };
        if (replaceWith("%err%", err) || replaceWith("%name%", name) || replaceWith("%lname%", lowerAscii(name)) ||
            replaceWith("%text2%", text2))
            continue;
        out += pattern[i++];
    }
    return out;
}

bool alternative(int number, std::string_view name, const StoreError& error) {
    switch (number) {
    case 15:
        return error.code == StoreCode::kChanged;
    case 29:
        return name != "Down";
    case 31:
        return name != "Put";
    default:
        return false;
    }
}

}  // namespace

const StandardWarning* StandardWarnings::find(int number) {
    for (const StandardWarning& w : kWarnings)
        if (w.number == number) return &w;
    return nullptr;
}

MessageBoxRequest StandardWarnings::build(int number, std::string_view name, std::string_view text2,
                                          const StoreError& error) {
    MessageBoxRequest request;
    const StandardWarning* w = find(number);
    if (w == nullptr) {
        request.title = "Warning";
        request.text = "Warning " + std::to_string(number) + ": " + error.describe();
        request.icon = kI;
        return request;
    }
    const std::string_view trimmed = FixedText::trimTrailingBlanks(name);
    const bool alt = alternative(number, trimmed, error);
    request.title = std::string(alt && !w->altTitle.empty() ? w->altTitle : w->title);
    request.text = expand(alt ? w->altText : w->text, trimmed, text2, error);
    request.buttons = w->buttons;
    request.defaultButton = w->defaultButton;
    request.icon = w->icon;
    request.owner = Owner::Frame;
    return request;
}

Button StandardWarnings::show(Runtime& runtime, int number, std::string_view name, std::string_view text2,
                              const StoreError& error) {
    const Button answer = runtime.messageBox(build(number, name, text2, error));
    const StandardWarning* w = find(number);
    if (w != nullptr && !w->ending.empty() && answer != Button::Aborted) {
        const bool ends = number == 2 ? answer == Button::No : true;
        if (ends) runtime.endProgram(w->ending);
    }
    return answer;
}

}  // namespace cm
