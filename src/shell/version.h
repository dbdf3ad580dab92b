#pragma once

namespace cm {

// The product's name and version as the program shows and stores them.
struct Version {
    static const char* const kProductName;  // "Chronomate 98"
    static const char* const kVersion;      // "1.6a", written to the "Version" setting at start
    static const char* const kFullTitle;    // "Chronomate 98 1.6a"
    static const char* const kHomePage;
    static const char* const kEmail;
};

}  // namespace cm
