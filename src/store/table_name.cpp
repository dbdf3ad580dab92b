#include "store/table_name.h"

#include "base/case_fold.h"
#include "base/data_folder.h"
#include "base/fixed_text.h"
#include "base/ini_file.h"

namespace cm {

namespace {
std::filesystem::path& dataFolderSetting() {
    static std::filesystem::path folder;
    return folder;
}
}  // namespace

TableName TableName::parse(std::string_view declared, std::string_view defaultTable) {
    TableName name;
    declared = FixedText::trimTrailingBlanks(declared);
    const auto sep = declared.find(kSeparator);
    std::string_view file = declared.substr(0, sep);
    name.table = sep == std::string_view::npos ? std::string(defaultTable)
                                                : std::string(declared.substr(sep + kSeparator.size()));
    if (file.empty()) return name;
    name.file = std::string(file);
    if (!std::filesystem::path(name.file).has_extension()) name.file += kExtension;
    return name;
}

void StoreFiles::setDataFolder(std::filesystem::path folder) { dataFolderSetting() = std::move(folder); }

const std::filesystem::path& StoreFiles::dataFolder() { return dataFolderSetting(); }

std::filesystem::path StoreFiles::locate(std::string_view fileName) {
    const std::filesystem::path given(fileName);
    std::filesystem::path folder;
    if (given.is_absolute()) {
        folder = given.parent_path();
    } else {
        if (dataFolder().empty()) return {};
        folder = dataFolder() / given.parent_path();
    }
    const std::string leaf = given.filename().string();
    std::filesystem::path found = DataFolder::findFileIgnoringCase(folder, leaf);
    std::error_code ec;
    if (!std::filesystem::exists(found, ec) && CaseFold::equal(leaf, kStoreFile)) found = folder / kStoreFile;
    return found;
}

bool StoreFiles::markedShared() {
    if (dataFolder().empty()) return false;
    const IniFile ini(DataFolder::findFileIgnoringCase(dataFolder(), kSettingsFile));
    return FixedText::trimTrailingBlanks(ini.read(kSharedSection, kSharedKey, "0")) == "1";
}

}  // namespace cm
