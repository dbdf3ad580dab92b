#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace cm {

// KEYCODES.TXT, the list of key names the user reads in the key list window. It is generated
// from the key tables, so it never names a key the sender does not know; the copy kept in
// resources/ is checked against it by the tests.
inline constexpr std::string_view kKeyCodesFileName = "KEYCODES.TXT";

// The whole file, lines ending in "\n".
std::string keyCodesText();

// Writes the file into the folder when no file of that name is there. False when it is missing
// and could not be written; the key list window then reports it when it opens.
bool installKeyCodesFile(const std::filesystem::path& folder);

}  // namespace cm
