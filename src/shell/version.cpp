#include "shell/version.h"

namespace cm {

const char* const Version::kProductName = "Chronomate 98";
const char* const Version::kVersion = "1.6a";
const char* const Version::kFullTitle = "Chronomate 98 1.6a";
const char* const Version::kHomePage = "https://chronomate.example.org/";
const char* const Version::kEmail = "support@chronomate.example.org";

}  // namespace cm
