#pragma once

#include "shell/runtime.h"

namespace cm {

// The window runtime of the terminal program: there is nobody to ask, so every box is printed to
// stderr as "Title: text" and answered with its default button. A fatal failure prints its text
// and exits with status 2; everything a window would show is dropped.
class TerminalRuntime final : public Runtime {
public:
    static constexpr int kFailureStatus = 2;

    Button messageBox(const MessageBoxRequest& request) override;
    std::optional<std::string> fileDialog(const FileDialogRequest&) override { return std::nullopt; }
    int popupMenu(std::string_view) override { return 0; }
    void setFrameTitle(std::string_view) override {}
    void setStatusText(int, std::string_view) override {}
    void setTrayTip(std::string_view) override {}
    void setTrayIcon(std::string_view) override {}
    void postEvent(int, std::string_view) override {}
    void showHelp(std::string_view) override {}
    void beep() override {}
    void setBusy(bool) override {}
    std::string clipboardText() override { return {}; }
    void setClipboardText(std::string_view) override {}
    bool runCommandLine(std::string_view) override { return false; }
    [[noreturn]] void endProgram(std::string_view text) override;
    bool isQuitting() const override { return false; }

    // How many boxes were shown: a command that showed one has reported a failure.
    int boxesShown() const { return m_boxes; }

private:
    int m_boxes = 0;
};

}  // namespace cm
