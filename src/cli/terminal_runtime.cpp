#include "cli/terminal_runtime.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace cm {

Button TerminalRuntime::defaultAnswer(const MessageBoxRequest& request) {
    if (request.defaultButton != Button::None) return request.defaultButton;
    if (request.buttons & kButtonOk) return Button::Ok;
    if (request.buttons & kButtonYes) return Button::Yes;
    if (request.buttons & kButtonRetry) return Button::Retry;
    if (request.buttons & kButtonAbort) return Button::Abort;
    if (request.buttons & kButtonNo) return Button::No;
    if (request.buttons & kButtonCancel) return Button::Cancel;
    return Button::Ok;
}

Button TerminalRuntime::messageBox(const MessageBoxRequest& request) {
    ++m_boxes;
    std::fprintf(stderr, "%s: %s\n", request.title.c_str(), request.text.c_str());
    return defaultAnswer(request);
}

void TerminalRuntime::endProgram(std::string_view text) {
    std::fprintf(stderr, "%s\n", std::string(text).c_str());
    std::fflush(stdout);
    std::exit(kFailureStatus);
}

}  // namespace cm
