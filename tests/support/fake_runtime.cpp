#include "support/fake_runtime.h"

namespace cm::test {

Button firstButton(unsigned buttons) {
    if (buttons & kButtonOk) return Button::Ok;
    if (buttons & kButtonYes) return Button::Yes;
    if (buttons & kButtonRetry) return Button::Retry;
    if (buttons & kButtonAbort) return Button::Abort;
    if (buttons & kButtonNo) return Button::No;
    if (buttons & kButtonCancel) return Button::Cancel;
    return Button::Ok;
}

Button FakeRuntime::messageBox(const MessageBoxRequest& request) {
    Button answer;
    if (m_quitting) {
        answer = Button::Aborted;
    } else if (!m_answers.empty()) {
        answer = m_answers.front();
        m_answers.pop_front();
    } else {
        answer = request.defaultButton != Button::None ? request.defaultButton : firstButton(request.buttons);
    }
    m_boxes.push_back({request, answer});
    return answer;
}

std::optional<std::string> FakeRuntime::fileDialog(const FileDialogRequest& request) {
    fileDialogs.push_back(request);
    if (m_fileAnswers.empty()) return std::nullopt;
    auto answer = m_fileAnswers.front();
    m_fileAnswers.pop_front();
    return answer;
}

int FakeRuntime::popupMenu(std::string_view text) {
    popupMenus.emplace_back(text);
    if (m_popupAnswers.empty()) return 0;
    const int answer = m_popupAnswers.front();
    m_popupAnswers.pop_front();
    return answer;
}

bool FakeRuntime::runCommandLine(std::string_view commandLine) {
    commandLines.emplace_back(commandLine);
    return commandLinesSucceed;
}

void FakeRuntime::endProgram(std::string_view text) {
    endedWith = std::string(text);
    m_quitting = true;
}

}  // namespace cm::test
