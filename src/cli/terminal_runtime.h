#pragma once

#include "shell/null_runtime.h"

namespace cm {

// The window runtime of the terminal program: there is nobody to ask, so every box is printed to
// stderr as "Title: text" and answered with its default button. A fatal failure prints its text
// and exits with status 2; everything a window would show is dropped.
class TerminalRuntime final : public NullRuntime {
public:
    static constexpr int kFailureStatus = 2;

    Button messageBox(const MessageBoxRequest& request) override;
    [[noreturn]] void endProgram(std::string_view text) override;

    // The button a box takes when nobody answers: its default, else the first it offers.
    static Button defaultAnswer(const MessageBoxRequest& request);

    // How many boxes were shown: a command that showed one has reported a failure.
    int boxesShown() const { return m_boxes; }

private:
    int m_boxes = 0;
};

}  // namespace cm
