#pragma once

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "shell/runtime.h"

namespace cm::test {

// A Runtime that answers message boxes from a script, in order, and records what was shown.
// Without a scripted answer a box takes its default button (the first button when none).
class FakeRuntime final : public Runtime {
public:
    struct ShownBox {
        MessageBoxRequest request;
        Button answer;
    };

    void answerNext(Button b) { m_answers.push_back(b); }
    void answerFileDialog(std::optional<std::string> path) { m_fileAnswers.push_back(std::move(path)); }
    void answerPopup(int entry) { m_popupAnswers.push_back(entry); }
    void setQuitting(bool q) { m_quitting = q; }

    const std::vector<ShownBox>& boxes() const { return m_boxes; }
    const ShownBox& lastBox() const { return m_boxes.back(); }
    void clearBoxes() { m_boxes.clear(); }

    Button messageBox(const MessageBoxRequest& request) override;
    std::optional<std::string> fileDialog(const FileDialogRequest& request) override;
    int popupMenu(std::string_view text) override;
    void setFrameTitle(std::string_view title) override { frameTitle = title; }
    void setStatusText(int zone, std::string_view text) override { statusZones[zone] = std::string(text); }
    void setTrayTip(std::string_view tip) override { trayTip = tip; }
    void setTrayIcon(std::string_view iconName) override { trayIcons.emplace_back(iconName); }
    void postEvent(int event, std::string_view windowName) override { postedEvents.push_back({event, std::string(windowName)}); }
    void showHelp(std::string_view topic) override { helpTopics.emplace_back(topic); }
    void beep() override { ++beeps; }
    void setBusy(bool busy) override { this->busy = busy; }
    std::string clipboardText() override { return clipboard; }
    void setClipboardText(std::string_view text) override { clipboard = text; }
    bool runCommandLine(std::string_view commandLine) override;
    void endProgram(std::string_view text) override;
    bool isQuitting() const override { return m_quitting; }

    std::string frameTitle;
    std::map<int, std::string> statusZones;
    std::string trayTip;
    std::vector<std::string> trayIcons;
    std::vector<std::pair<int, std::string>> postedEvents;
    std::vector<std::string> helpTopics;
    std::vector<FileDialogRequest> fileDialogs;
    std::vector<std::string> popupMenus;
    std::vector<std::string> commandLines;
    bool commandLinesSucceed = true;
    int beeps = 0;
    bool busy = false;
    std::string clipboard;
    std::optional<std::string> endedWith;

private:
    std::deque<Button> m_answers;
    std::deque<std::optional<std::string>> m_fileAnswers;
    std::deque<int> m_popupAnswers;
    std::vector<ShownBox> m_boxes;
    bool m_quitting = false;
};

// The first button a set offers, in the order boxes show them.
Button firstButton(unsigned buttons);

}  // namespace cm::test
