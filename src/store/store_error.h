#pragma once

#include <string>

namespace cm {

// The store's error vocabulary: the codes the rest of the program tests and shows.
namespace StoreCode {
inline constexpr int kOk = 0;
inline constexpr int kFileNotFound = 2;     // file or table missing: create it
inline constexpr int kFileLocked = 32;      // held by another process: "Recover=10", retry once
inline constexpr int kNoRecord = 33;        // a walk ran off its end, or no current record
inline constexpr int kNotFound = 35;        // get by key found nothing
inline constexpr int kInvalidFile = 36;     // not a store file
inline constexpr int kDuplicateKey = 40;    // add or put would duplicate a unique key
inline constexpr int kKeysInvalid = 46;     // keys must be rebuilt
inline constexpr int kLayoutDiffers = 47;   // stored layout differs from the declared one
inline constexpr int kAlreadyOpen = 52;     // counts as success
inline constexpr int kDamaged = 88;         // the file is damaged
inline constexpr int kChanged = 89;         // the record was changed by another station
inline constexpr int kFileSystem = 90;      // the file system refused: see osErrno/osMessage
}  // namespace StoreCode

// What the last store operation left behind. For code 90 the file system's own code and
// message travel with it, since that is what the user is shown.
struct StoreError {
    int code = StoreCode::kOk;
    std::string text;
    int osErrno = 0;
    std::string osMessage;

    bool ok() const { return code == StoreCode::kOk || code == StoreCode::kAlreadyOpen; }
    void clear() { *this = StoreError{}; }

    // "⟨text⟩ (⟨code⟩)", for 90 "⟨OS message⟩ (⟨errno⟩)", at most 150 characters: the form
    // the standard warnings show.
    std::string describe() const;

    static StoreError make(int code, std::string text);
    // A code-90 error from errno (0 takes the current errno).
    static StoreError fromErrno(std::string text, int osErrno = 0);
};

}  // namespace cm
