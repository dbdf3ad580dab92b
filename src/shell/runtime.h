#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace cm {

enum class MessageIcon { None, Information, Exclamation, Question, Stop };

// Buttons a message box offers, combined as flags.
enum ButtonSet : unsigned {
    kButtonOk = 1u << 0,
    kButtonYes = 1u << 1,
    kButtonNo = 1u << 2,
    kButtonCancel = 1u << 3,
    kButtonRetry = 1u << 4,
    kButtonAbort = 1u << 5,
    kButtonIgnore = 1u << 6,
    kButtonsYesNo = kButtonYes | kButtonNo,
    kButtonsYesNoCancel = kButtonYes | kButtonNo | kButtonCancel,
    kButtonsOkCancel = kButtonOk | kButtonCancel,
    kButtonsRetryCancel = kButtonRetry | kButtonCancel,
};

// The answer. Aborted means the box was closed because the program is quitting: whatever the
// box asked about must be left untouched, it is not a "No".
enum class Button { None, Ok, Yes, No, Cancel, Retry, Abort, Ignore, Aborted };

// Who owns a box. A box owned by the frame holds the due-task monitor while it is open.
enum class Owner { Frame, Window };

struct MessageBoxRequest {
    std::string text;
    std::string title;
    MessageIcon icon = MessageIcon::None;
    unsigned buttons = kButtonOk;
    Button defaultButton = Button::None;  // None: the first button
    Owner owner = Owner::Frame;
};

enum class FileDialogMode { Open, Save };

struct FileDialogRequest {
    std::string title;
    std::string fileName;
    // Description and pattern pairs separated by "|", e.g. "WAV Files|*.WAV|All Files|*.*".
    std::string filter;
    FileDialogMode mode = FileDialogMode::Open;
};

// The window runtime: everything the program's logic needs of the desktop. The Qt shell
// implements it; tests use a scripted fake.
class Runtime {
public:
    virtual ~Runtime() = default;

    virtual Button messageBox(const MessageBoxRequest& request) = 0;
    // The chosen path, or nothing when cancelled.
    virtual std::optional<std::string> fileDialog(const FileDialogRequest& request) = 0;
    // Entries separated by "|", "-" a separator, "&" the hot key, a leading "~" greyed out.
    // Returns the chosen entry's number counting entries only (from 1), or 0.
    virtual int popupMenu(std::string_view text) = 0;

    virtual void setFrameTitle(std::string_view title) = 0;
    // Zone 1 is menu help; the monitor writes zones 2 to 4.
    virtual void setStatusText(int zone, std::string_view text) = 0;
    virtual void setTrayTip(std::string_view tip) = 0;
    // Icons by the program's names ("tray_ico", "traya_ico", ...): the tray animation is a
    // sequence of these calls.
    virtual void setTrayIcon(std::string_view iconName) = 0;

    // Posts an event number to every open window of that procedure name (empty: to all).
    virtual void postEvent(int event, std::string_view windowName = {}) = 0;
    virtual void showHelp(std::string_view topic = {}) = 0;
    virtual void beep() = 0;
    virtual void setBusy(bool busy) = 0;
    virtual std::string clipboardText() = 0;
    virtual void setClipboardText(std::string_view text) = 0;
    // Runs a command line without waiting; false when it could not start.
    virtual bool runCommandLine(std::string_view commandLine) = 0;
    // Ends the program after a fatal failure, showing the text.
    virtual void endProgram(std::string_view text) = 0;
    virtual bool isQuitting() const = 0;
};

}  // namespace cm
