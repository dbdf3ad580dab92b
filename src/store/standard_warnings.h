#pragma once

#include <string>
#include <string_view>

#include "shell/runtime.h"
#include "store/store_error.h"

namespace cm {

// One standard warning. In the texts "%err%" is the error as StoreError::describe() gives it,
// "%name%" the first text without trailing blanks, "%lname%" the same in lower case and
// "%text2%" the second text. The alternative title and text apply when the warning's
// condition holds (warning 29: name is not "Down"; 31: name is not "Put"; 15: code 89).
struct StandardWarning {
    int number = 0;
    std::string_view title;
    std::string_view text;
    unsigned buttons = kButtonOk;
    Button defaultButton = Button::Ok;
    MessageIcon icon = MessageIcon::Information;
    std::string_view ending;  // the text the program ends with after this warning, if any
    std::string_view altTitle;
    std::string_view altText;
};

// The one message routine every store failure is reported through.
class StandardWarnings {
public:
    static const StandardWarning* find(int number);
    static MessageBoxRequest build(int number, std::string_view name, std::string_view text2, const StoreError& error);
    // Shows the warning and returns the answer. Warnings 1 to 5 end the program through the
    // runtime after their OK (warning 2 only when the answer is No); the caller clears the error.
    static Button show(Runtime& runtime, int number, std::string_view name, std::string_view text2,
                       const StoreError& error);
};

}  // namespace cm
