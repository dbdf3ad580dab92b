#include "shell/text_viewer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "base/fixed_text.h"
#include "script/key_codes_file.h"
#include "store/standard_warnings.h"
#include "store/store_error.h"

namespace cm {

namespace {

constexpr std::size_t kReadChunk = 64 * 1024;

bool startsCharacter(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
}

// The next list row at the front of data: its text and the bytes it takes, line ending
// included. A line longer than the row width goes on in the next row rather than being cut, so
// nothing of the file is lost. Nothing when data may end before the row does and more is to come.
std::optional<std::pair<std::string, std::size_t>> nextRow(std::string_view data, bool atEnd) {
    std::size_t characters = 0;
    for (std::size_t i = 0; i < data.size(); ++i) {
        const char c = data[i];
        if (c == '\n') {
            std::size_t length = i;
            if (length > 0 && data[length - 1] == '\r') --length;
            return std::pair{std::string(data.substr(0, length)), i + 1};
        }
        if (!startsCharacter(c)) continue;
        if (characters == TextViewer::kMaxLineCharacters) {
            // A line of exactly the row width keeps its own ending.
            if (c == '\r') {
                if (i + 1 == data.size() && !atEnd) return std::nullopt;
                if (i + 1 < data.size() && data[i + 1] == '\n') return std::pair{std::string(data.substr(0, i)), i + 2};
            }
            return std::pair{std::string(data.substr(0, i)), i};
        }
        ++characters;
    }
    if (!atEnd || data.empty()) return std::nullopt;
    return std::pair{std::string(data), data.size()};
}

constexpr std::string_view kViewLogCaption = "View Log";
constexpr std::string_view kViewLogSection = "ViewLog";
constexpr std::string_view kKeyListCaption = "List of Key Abbreviations";
constexpr std::string_view kKeyListSection = "ViewScriptKeys";

}  // namespace

TextViewerConfig viewLogConfig(std::function<std::string()> logFile) {
    return {std::move(logFile), std::string(kViewLogCaption), std::string(kViewLogCaption),
            std::string(kViewLogSection)};
}

TextViewerConfig viewScriptKeysConfig(const std::filesystem::path& dataFolder) {
    std::string file = (dataFolder / std::string(kKeyCodesFileName)).string();
    return {[file] { return file; }, std::string(kKeyListCaption), std::string(kKeyListCaption),
            std::string(kKeyListSection)};
}

// The open file being loaded: read-only, sharing it with the program's own log writer.
class TextViewer::Reader {
public:
    Reader(int fd, std::uint64_t size) : m_fd(fd), m_size(size) {}
    ~Reader() { ::close(m_fd); }
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    std::uint64_t size() const { return m_size; }
    std::uint64_t consumed() const { return m_consumed; }
    bool finished() const { return m_atEnd && m_pos == m_buffer.size(); }
    int error() const { return m_error; }

    // The next row, or nothing at the end of the file or after a read error.
    std::optional<std::string> row() {
        for (;;) {
            const std::string_view rest = std::string_view(m_buffer).substr(m_pos);
            if (auto row = nextRow(rest, m_atEnd)) {
                m_pos += row->second;
                m_consumed += row->second;
                return std::move(row->first);
            }
            if (m_atEnd || !fill()) return std::nullopt;
        }
    }

private:
    bool fill() {
        m_buffer.erase(0, m_pos);
        m_pos = 0;
        const std::size_t old = m_buffer.size();
        m_buffer.resize(old + kReadChunk);
        ssize_t got;
        do {
            got = ::read(m_fd, m_buffer.data() + old, kReadChunk);
        } while (got < 0 && errno == EINTR);
        if (got < 0) {
            m_error = errno;
            m_buffer.resize(old);
            m_atEnd = true;
            return false;
        }
        m_buffer.resize(old + static_cast<std::size_t>(got));
        if (got == 0) m_atEnd = true;
        return true;
    }

    int m_fd;
    std::uint64_t m_size;
    std::uint64_t m_consumed = 0;
    std::string m_buffer;
    std::size_t m_pos = 0;
    bool m_atEnd = false;
    int m_error = 0;
};

TextViewer::TextViewer(TextViewerConfig config, Runtime& runtime, Timers& timers, ProgressViewFactory progressViews)
    : m_config(std::move(config)), m_runtime(runtime), m_progressViews(std::move(progressViews)), m_progress(timers) {
    m_progress.setCancelQuestion([this] { return askStopLoading(); });
    m_progress.setFinished([this](ProgressOutcome outcome) { loadingEnded(outcome); });
}

TextViewer::~TextViewer() {
    m_progress.setFinished(nullptr);
    m_progress.stop();
}

void TextViewer::load() {
    if (m_progress.running()) {
        m_progress.setFinished(nullptr);
        m_progress.stop();
        m_progress.setFinished([this](ProgressOutcome outcome) { loadingEnded(outcome); });
    }
    m_reader.reset();
    m_lines.clear();
    m_selected.reset();
    if (m_observer) m_observer->linesCleared();

    // Remembered before anything is reported, so the focus coming back from a box does not
    // load the same failing file again.
    m_loadedName = m_config.fileName ? m_config.fileName() : std::string();
    m_loadedOnce = true;
    const std::string name(FixedText::trimTrailingBlanks(m_loadedName));
    if (name.empty()) {
        setListEnabled(false);
        return;
    }

    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0) {
        const int error = errno;
        if (fd >= 0) ::close(fd);
        setListEnabled(false);
        reportOpenError(error);
        return;
    }
    setListEnabled(true);
    if (info.st_size == 0) {
        ::close(fd);
        setListEnabled(false);
        warn(kNoTextWarning, name);
        return;
    }
    m_reader = std::make_unique<Reader>(fd, static_cast<std::uint64_t>(info.st_size));

    ProgressOptions options;
    options.caption = std::string(kProgressCaption);
    options.header = m_config.progressHeader;
    options.showCompleted = false;
    m_progress.start(m_progressViews(), std::move(options), [this] { return readBatch(); });
    stateChanged();
}

void TextViewer::gainedFocus() {
    if (m_progress.running()) return;
    const std::string name = m_config.fileName ? m_config.fileName() : std::string();
    if (!m_loadedOnce || name != m_loadedName) load();
}

ProgressStep TextViewer::readBatch() {
    const std::size_t first = m_lines.size();
    const std::uint64_t start = m_reader->consumed();
    while (m_reader->consumed() - start < kBytesPerTick) {
        std::optional<std::string> row = m_reader->row();
        if (!row) break;
        m_lines.push_back(std::move(*row));
    }
    if (m_observer && m_lines.size() > first) m_observer->linesAppended(first, m_lines.size() - first);

    const std::uint64_t size = std::max<std::uint64_t>(m_reader->size(), 1);
    const int percent = static_cast<int>(std::min<std::uint64_t>(m_reader->consumed() * 100 / size, 100));
    return {m_reader->finished(), percent};
}

void TextViewer::loadingEnded(ProgressOutcome) {
    const int error = m_reader ? m_reader->error() : 0;
    m_reader.reset();
    stateChanged();
    // The lines read before a failed read stay in the list.
    if (error != 0) reportOpenError(error);
}

bool TextViewer::askStopLoading() {
    return warn(kCancelLoadWarning, FixedText::trimTrailingBlanks(m_loadedName)) == Button::Ok;
}

void TextViewer::reportOpenError(int error) {
    MessageBoxRequest box;
    box.text = std::string(kErrorCodeText) + std::to_string(error) + "; " + std::strerror(error);
    box.icon = MessageIcon::Exclamation;
    box.owner = Owner::Window;
    m_runtime.messageBox(box);
    // Warning 26 only says OK: there is nothing further to stop.
    warn(kLoadErrorWarning, FixedText::trimTrailingBlanks(m_loadedName), StoreError::fromErrno("open", error));
}

Button TextViewer::warn(int number, std::string_view name, const StoreError& error) {
    MessageBoxRequest request = StandardWarnings::build(number, name, {}, error);
    // The viewer is a window of its own: its questions leave the monitor running.
    request.owner = Owner::Window;
    return m_runtime.messageBox(request);
}

void TextViewer::select(std::optional<std::size_t> line) {
    if (line && *line >= m_lines.size()) line.reset();
    m_selected = line;
}

bool TextViewer::find(const FindSettings& settings) {
    m_findSettings = settings;
    m_findSettings.text = FixedText::cut(settings.text, FindSettings::kMaxText);
    const TextSearch search(m_findSettings);
    if (search.empty()) return false;
    m_searched = true;
    stateChanged();
    return findNext();
}

bool TextViewer::findNext() {
    if (!m_searched) return false;
    const TextSearch search(m_findSettings);
    m_runtime.setBusy(true);
    const std::optional<std::size_t> found = search.find(m_lines, m_selected, [this](SearchDirection direction) {
        // The question is the user's to answer: no busy cursor over it.
        m_runtime.setBusy(false);
        const bool again = warn(kEndOfFileWarning, direction == SearchDirection::Down ? "Down" : "Up") == Button::Yes;
        m_runtime.setBusy(true);
        return again;
    });
    m_runtime.setBusy(false);
    if (!found) return false;
    m_selected = found;
    if (m_observer) m_observer->lineSelected(*found);
    return true;
}

void TextViewer::setListEnabled(bool enabled) {
    if (m_listEnabled == enabled) return;
    m_listEnabled = enabled;
    stateChanged();
}

void TextViewer::stateChanged() {
    if (m_observer) m_observer->stateChanged();
}

}  // namespace cm
