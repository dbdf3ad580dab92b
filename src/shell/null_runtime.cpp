#include "shell/null_runtime.h"

namespace cm {

std::optional<std::string> NullRuntime::fileDialog(const FileDialogRequest&) { return std::nullopt; }
int NullRuntime::popupMenu(std::string_view) { return 0; }
void NullRuntime::setFrameTitle(std::string_view) {}
void NullRuntime::setStatusText(int, std::string_view) {}
void NullRuntime::setTrayTip(std::string_view) {}
void NullRuntime::setTrayIcon(std::string_view) {}
void NullRuntime::postEvent(int, std::string_view) {}
void NullRuntime::showHelp(std::string_view) {}
void NullRuntime::beep() {}
void NullRuntime::setBusy(bool) {}
std::string NullRuntime::clipboardText() { return {}; }
void NullRuntime::setClipboardText(std::string_view) {}
bool NullRuntime::runCommandLine(std::string_view) { return false; }
void NullRuntime::endProgram(std::string_view) {}
bool NullRuntime::isQuitting() const { return false; }

}  // namespace cm
