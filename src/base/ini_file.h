#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "base/data_folder.h"

namespace cm {

// One key to set in a batch write.
struct IniEntry {
    std::string section;
    std::string key;
    std::string value;
};

// An INI file read and written with the classic private-profile rules:
// - sections and keys match without regard to ASCII case (other bytes, UTF-8 included,
//   must match exactly); blanks around names and values are trimmed;
// - the first '=' splits a line, so a value may hold '='; a key is any text without '='
//   that starts with neither '[' nor a comment mark, so "SRCF?Browse:1" is a plain key;
// - values come back as written: unlike the classic reader, surrounding quotes are kept,
//   so a stored command line or column layout returns unchanged;
// - the first occurrence of a key wins, also across repeated sections of one name;
// - a missing file, section or key gives the default; an empty value is a value.
// Writing changes the one line concerned (or adds one) and keeps every other byte,
// comments and blank lines included. Every call reads the file afresh, since other
// windows and processes edit it too. Writes replace the file atomically and keep its mode.
class IniFile {
public:
    explicit IniFile(std::filesystem::path path);

    std::string read(std::string_view section, std::string_view key, std::string_view defaultValue = {}) const;

    // False when the file could not be read or written, or the names or value cannot be
    // stored on one line. A new key goes after the last key of the section's first
    // occurrence; a new section goes to the end of the file.
    bool write(std::string_view section, std::string_view key, std::string_view value);

    // The entries in order, as if written one call at a time, but with one read and one
    // replacement of the file. One entry that cannot be stored refuses the whole batch, the
    // file left as it was; a batch that changes nothing succeeds without rewriting it.
    bool write(const std::vector<IniEntry>& entries);

    // True when the key is gone afterwards, whether or not it was there.
    bool removeKey(std::string_view section, std::string_view key);

    const std::filesystem::path& path() const;

    // $XDG_CONFIG_HOME/chronomate/system.ini, else ~/.config/chronomate/system.ini.
    static std::filesystem::path systemIniPath(const EnvLookup& env = processEnvironment);

private:
    std::filesystem::path m_path;
};

// The runtime's INI calls. An empty file name means the system INI file. A relative
// name resolves against dataFolder (the current folder, made the data folder at
// start-up, when dataFolder is empty) and matches an existing file without regard to case.
std::filesystem::path resolveIniPath(const std::filesystem::path& file, const std::filesystem::path& dataFolder = {});

std::string readIni(std::string_view section, std::string_view key, std::string_view def,
                    const std::filesystem::path& file, const std::filesystem::path& dataFolder = {});

bool writeIni(std::string_view section, std::string_view key, std::string_view value, const std::filesystem::path& file,
              const std::filesystem::path& dataFolder = {});

}  // namespace cm
