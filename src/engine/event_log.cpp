#include "engine/event_log.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "base/data_folder.h"
#include "base/fixed_text.h"
#include "base/picture.h"
#include "shell/clock.h"
#include "shell/settings.h"

namespace cm {
namespace {

constexpr int kLastDatePicture = 18;

// "DateFormat" names its picture by the number in its second and third characters ("d17" is
// picture 17); anything else, "n4b" (Year Only) among them, falls back to d3.
std::string datePictureFor(std::string_view dateFormat) {
    std::string_view digits = dateFormat.size() > 1 ? dateFormat.substr(1, 2) : std::string_view{};
    digits = FixedText::trimTrailingBlanks(digits);
    int number = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return std::string(EventLog::kFallbackDatePicture);
        number = number * 10 + (c - '0');
    }
    if (number < 1 || number > kLastDatePicture) return std::string(EventLog::kFallbackDatePicture);
    return "d" + std::to_string(number);
}

// A field cut and blank-filled to its width in characters. Control characters become blanks so
// that a multi-line message title cannot split one event over several lines.
void appendField(std::string& line, std::string_view text, std::size_t width) {
    std::string field = FixedText::cut(text, width);
    for (char& c : field)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
    const std::size_t count = FixedText::characterCount(field);
    line += field;
    line.append(width - count, ' ');
}

}  // namespace

EventLog::EventLog(std::filesystem::path dataFolder, const Clock& clock, const Settings& settings)
    : m_folder(std::move(dataFolder)), m_clock(clock), m_settings(settings) {}

EventLog::~EventLog() {
    close();
}

std::filesystem::path EventLog::path() const {
    if (isOpen()) return m_openPath;
    return DataFolder::findFileIgnoringCase(m_folder, kFileName);
}

void EventLog::logEvent(std::string_view label, std::string_view data) {
    if (!m_settings.logEvents) return;
    // A log that cannot be opened loses the event; the next one tries again.
    if (!isOpen() && !open()) return;
    ++m_openCount;

    std::string line = record(label, data);
    line += '\n';
    // One write(2) per line: it reaches the OS at once, so a crash loses nothing written.
    std::string_view rest = line;
    while (!rest.empty()) {
        const ssize_t n = ::write(m_fd, rest.data(), rest.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;  // a full disk or a failing file loses the event silently
        rest.remove_prefix(static_cast<std::size_t>(n));
    }

    if (m_openCount >= kEventsPerOpen) close();
}

void EventLog::close() {
    if (m_fd >= 0) ::close(m_fd);  // a failing close is ignored: each line already went out on its own
    m_fd = -1;
    m_openCount = 0;
    m_openPath.clear();
}

bool EventLog::open() {
    const std::filesystem::path file = DataFolder::findFileIgnoringCase(m_folder, kFileName);
    int fd = -1;
    do {
        fd = ::open(file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return false;
    m_fd = fd;
    m_openPath = file;
    return true;
}

std::string EventLog::record(std::string_view label, std::string_view data) const {
    const Moment now = m_clock.current();
    std::string date = formatDate(now.date, datePictureFor(m_settings.dateFormat));
    if (FixedText::characterCount(date) > kDateWidth) date = formatDate(now.date, kFallbackDatePicture);

    std::string line;
    line.reserve(kRecordWidth + 16);
    appendField(line, date, kDateWidth);
    appendField(line, formatTime(now.time, kTimePicture), kTimeWidth);
    appendField(line, label, kLabelWidth);
    appendField(line, data, kDataWidth);
    return line;
}

}  // namespace cm
