#pragma once

#include "shell/runtime.h"

namespace cm {

// A runtime with no desktop behind it: every window call does nothing, there is no clipboard
// and no command line starts. Boxes are left to the derived class, since each program without
// windows answers them its own way.
class NullRuntime : public Runtime {
public:
    std::optional<std::string> fileDialog(const FileDialogRequest& request) override;
    int popupMenu(std::string_view text) override;
    void setFrameTitle(std::string_view title) override;
    void setStatusText(int zone, std::string_view text) override;
    void setTrayTip(std::string_view tip) override;
    void setTrayIcon(std::string_view iconName) override;
    void postEvent(int event, std::string_view windowName) override;
    void showHelp(std::string_view topic) override;
    void beep() override;
    void setBusy(bool busy) override;
    std::string clipboardText() override;
    void setClipboardText(std::string_view text) override;
    bool runCommandLine(std::string_view commandLine) override;
    void endProgram(std::string_view text) override;
    bool isQuitting() const override;
};

}  // namespace cm
