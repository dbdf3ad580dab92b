#include "base/ini_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <optional>
#include <system_error>
#include <utility>
#include <vector>

#include "base/ascii.h"

namespace fs = std::filesystem;

namespace cm {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr int kMaxSymlinkHops = 16;

bool hasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

struct Line {
    enum class Kind { Other, Section, Key };
    size_t offset = 0;        // of the line in the file
    std::string_view text;    // without its line ending
    std::string_view ending;  // "\n", "\r\n" or "" for a last line without one
    Kind kind = Kind::Other;
    std::string_view name;  // section name or key
    std::string_view value;
    size_t valueOffset = 0;  // where a replacement value starts within text
};

Line parseLine(std::string_view content, size_t offset, size_t length, size_t endingLength) {
    Line line;
    line.offset = offset;
    line.text = content.substr(offset, length);
    line.ending = content.substr(offset + length, endingLength);
    if (offset == 0 && line.text.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
        // Parse past a byte-order mark; it stays in the file as it is.
        Line rest = parseLine(content.substr(kUtf8Bom.size()), 0, length - kUtf8Bom.size(), 0);
        line.kind = rest.kind;
        line.name = rest.name;
        line.value = rest.value;
        line.valueOffset = rest.valueOffset + kUtf8Bom.size();
        return line;
    }

    const std::string_view body = ascii::trim(line.text);
    if (body.empty() || body.front() == ';' || body.front() == '#') return line;
    if (body.front() == '[') {
        line.kind = Line::Kind::Section;
        const size_t closing = body.find(']');
        line.name = ascii::trim(closing == std::string_view::npos ? body.substr(1) : body.substr(1, closing - 1));
        return line;
    }
    const size_t equals = line.text.find('=');
    if (equals == std::string_view::npos) return line;
    line.name = ascii::trim(line.text.substr(0, equals));
    if (line.name.empty()) return line;
    line.kind = Line::Kind::Key;
    const std::string_view afterEquals = line.text.substr(equals + 1);
    line.value = ascii::trim(afterEquals);
    line.valueOffset = equals + 1;
    if (!line.value.empty()) line.valueOffset = static_cast<size_t>(line.value.data() - line.text.data());
    return line;
}

std::vector<Line> splitLines(std::string_view content) {
    std::vector<Line> lines;
    size_t offset = 0;
    while (offset < content.size()) {
        const size_t newline = content.find('\n', offset);
        if (newline == std::string_view::npos) {
            lines.push_back(parseLine(content, offset, content.size() - offset, 0));
            break;
        }
        const bool crlf = newline > offset && content[newline - 1] == '\r';
        const size_t length = newline - offset - (crlf ? 1 : 0);
        lines.push_back(parseLine(content, offset, length, crlf ? 2 : 1));
        offset = newline + 1;
    }
    return lines;
}

// Where a key lives: its line, and where a new key of that section would go.
struct Location {
    std::optional<size_t> keyLine;
    std::optional<size_t> insertAfter;  // set when the section exists
};

Location locate(const std::vector<Line>& lines, std::string_view section, std::string_view key) {
    Location where;
    bool inSection = false;
    bool inFirstSection = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        const Line& line = lines[i];
        if (line.kind == Line::Kind::Section) {
            inSection = ascii::equalNoCase(line.name, section);
            inFirstSection = inSection && !where.insertAfter;
            if (inFirstSection) where.insertAfter = i;
        } else if (line.kind == Line::Kind::Key && inSection) {
            if (inFirstSection) where.insertAfter = i;
            if (ascii::equalNoCase(line.name, key)) {
                where.keyLine = i;
                return where;
            }
        }
    }
    return where;
}

// The file's text; "" when it does not exist, nullopt when it cannot be read.
std::optional<std::string> load(const fs::path& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return std::string();
        return std::nullopt;
    }
    std::string content;
    char buffer[8192];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            close(fd);
            return std::nullopt;
        }
        if (got == 0) break;
        content.append(buffer, static_cast<size_t>(got));
    }
    close(fd);
    return content;
}

// Renaming over a symbolic link would replace the link, so write to the file it names.
fs::path followSymlinks(fs::path path) {
    std::error_code ec;
    for (int hop = 0; hop < kMaxSymlinkHops && fs::is_symlink(path, ec); ++hop) {
        fs::path target = fs::read_symlink(path, ec);
        if (ec) break;
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    return path;
}

bool writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t put = ::write(fd, data.data(), data.size());
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        data.remove_prefix(static_cast<size_t>(put));
    }
    return true;
}

// A reader, or a crash, sees either the old file or the new one, never half of one.
bool replaceAtomically(const fs::path& path, std::string_view content) {
    static std::atomic<unsigned> counter{0};
    const fs::path target = followSymlinks(path);
    const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();

    std::error_code ec;
    fs::create_directories(folder, ec);

    struct stat existing {};
    const bool exists = stat(target.c_str(), &existing) == 0;

    fs::path temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = folder / ("." + target.filename().string() + ".tmp-" + std::to_string(getpid()) + "-" +
                         std::to_string(counter++));
        // 0666 lets the umask decide a new file's mode, as for any file the user creates.
        fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) return false;
    }
    if (fd < 0) return false;

    bool ok = (!exists || fchmod(fd, existing.st_mode & 07777) == 0) && writeAll(fd, content) && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    if (ok) ok = rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
        unlink(temp.c_str());
        return false;
    }
    // The rename is only durable once the folder is synced; a failure here loses nothing.
    const int dirFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        fsync(dirFd);
        close(dirFd);
    }
    return true;
}

std::string_view newlineOf(std::string_view content) {
    const size_t newline = content.find('\n');
    return newline != std::string_view::npos && newline > 0 && content[newline - 1] == '\r' ? "\r\n" : "\n";
}

bool validSection(std::string_view section) {
    return !section.empty() && section.find(']') == std::string_view::npos && !hasLineBreak(section);
}

bool validKey(std::string_view key) {
    return !key.empty() && key.find('=') == std::string_view::npos && !hasLineBreak(key) && key.front() != '[' &&
           key.front() != ';' && key.front() != '#';
}

// Sets one key in content, unless it already holds that value. The text is parsed
// afresh for each key so that a batch places every line exactly where the same writes,
// made one call at a time, would.
void applyWrite(std::string& content, std::string_view section, std::string_view key, std::string_view value) {
    const std::vector<Line> lines = splitLines(content);
    const Location where = locate(lines, section, key);
    const std::string newline(newlineOf(content));

    if (where.keyLine) {
        const Line& line = lines[*where.keyLine];
        if (line.value == value) return;
        content.replace(line.offset + line.valueOffset, line.text.size() - line.valueOffset, value);
    } else if (where.insertAfter) {
        const Line& line = lines[*where.insertAfter];
        std::string added = line.ending.empty() ? newline : std::string();
        added.append(key).append("=").append(value).append(newline);
        content.insert(line.offset + line.text.size() + line.ending.size(), added);
    } else {
        const bool blankBefore = !lines.empty() && !ascii::trim(lines.back().text).empty();
        if (!content.empty() && content.back() != '\n') content += newline;
        if (blankBefore) content += newline;
        content.append("[").append(section).append("]").append(newline);
        content.append(key).append("=").append(value).append(newline);
    }
}

}  // namespace

IniFile::IniFile(fs::path path) : m_path(std::move(path)) {}

const fs::path& IniFile::path() const {
    return m_path;
}

std::string IniFile::read(std::string_view section, std::string_view key, std::string_view defaultValue) const {
    const std::optional<std::string> content = load(m_path);
    if (!content) return std::string(defaultValue);
    const std::vector<Line> lines = splitLines(*content);
    const Location where = locate(lines, ascii::trim(section), ascii::trim(key));
    if (!where.keyLine) return std::string(defaultValue);
    return std::string(lines[*where.keyLine].value);
}

bool IniFile::write(std::string_view section, std::string_view key, std::string_view value) {
    return write(std::vector<IniEntry>{{std::string(section), std::string(key), std::string(value)}});
}

bool IniFile::write(const std::vector<IniEntry>& entries) {
    struct Change {
        std::string_view section, key, value;
    };
    std::vector<Change> changes;
    changes.reserve(entries.size());
    for (const IniEntry& entry : entries) {
        const Change change{ascii::trim(entry.section), ascii::trim(entry.key), ascii::trim(entry.value)};
        if (!validSection(change.section) || !validKey(change.key) || hasLineBreak(change.value)) return false;
        changes.push_back(change);
    }
    if (changes.empty()) return true;

    // An unreadable file is left alone rather than replaced by one holding only these keys.
    const std::optional<std::string> content = load(m_path);
    if (!content) return false;
    std::string updated = *content;
    for (const Change& change : changes) applyWrite(updated, change.section, change.key, change.value);
    // Judged on the outcome, so a key set and set back does not rewrite the file either.
    return updated == *content || replaceAtomically(m_path, updated);
}

bool IniFile::removeKey(std::string_view section, std::string_view key) {
    const std::optional<std::string> content = load(m_path);
    if (!content) return false;
    const std::vector<Line> lines = splitLines(*content);
    const Location where = locate(lines, ascii::trim(section), ascii::trim(key));
    if (!where.keyLine) return true;
    const Line& line = lines[*where.keyLine];
    std::string updated = *content;
    updated.erase(line.offset, line.text.size() + line.ending.size());
    return replaceAtomically(m_path, updated);
}

fs::path IniFile::systemIniPath(const EnvLookup& env) {
    const fs::path relative = fs::path(DataFolder::kFolderName) / "system.ini";
    if (auto config = env("XDG_CONFIG_HOME"); config && fs::path(*config).is_absolute()) {
        return fs::path(*config) / relative;
    }
    const std::optional<fs::path> home = DataFolder::homeFolder(env);
    return (home ? *home : fs::path(".")) / ".config" / relative;
}

fs::path resolveIniPath(const fs::path& file, const fs::path& dataFolder) {
    if (file.empty()) return IniFile::systemIniPath();
    if (file.is_absolute()) return file;
    return DataFolder::findFileIgnoringCase(dataFolder.empty() ? fs::path(".") : dataFolder, file.string());
}

std::string readIni(std::string_view section, std::string_view key, std::string_view def, const fs::path& file,
                    const fs::path& dataFolder) {
    return IniFile(resolveIniPath(file, dataFolder)).read(section, key, def);
}

bool writeIni(std::string_view section, std::string_view key, std::string_view value, const fs::path& file,
              const fs::path& dataFolder) {
    return IniFile(resolveIniPath(file, dataFolder)).write(section, key, value);
}

}  // namespace cm
