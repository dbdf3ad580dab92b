#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace cm {

// A declared table name ("cm97\!s", "Cm97.TPS\!Contact", "TagFile_.TPS") split into the store
// file and the table inside it.
struct TableName {
    static constexpr std::string_view kSeparator = "\\!";
    static constexpr std::string_view kExtension = ".TPS";

    std::string file;   // with its extension: "cm97.TPS"
    std::string table;  // "s"; defaultTable when the name has no separator

    // Empty file when declared is blank.
    static TableName parse(std::string_view declared, std::string_view defaultTable);
};

// Where store files live: the data folder fixed at start-up, never the current folder.
class StoreFiles {
public:
    static constexpr std::string_view kStoreFile = "CM97.TPS";
    static constexpr std::string_view kSettingsFile = "cm98.INI";
    // [Store] Shared=1 in cm98.INI marks a store that several machines open, so it keeps the
    // rollback journal even where the file system looks local (WAL needs shared memory).
    static constexpr std::string_view kSharedSection = "Store";
    static constexpr std::string_view kSharedKey = "Shared";

    static void setDataFolder(std::filesystem::path folder);
    static const std::filesystem::path& dataFolder();

    // The existing file of that name matched without regard to case, else the path a new file
    // gets: beside the data folder's entries, the main store always as "CM97.TPS". Empty when
    // a relative name meets an unset data folder.
    static std::filesystem::path locate(std::string_view fileName);

    static bool markedShared();
};

}  // namespace cm
