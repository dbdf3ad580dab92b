#include "store/store_error.h"

#include <cerrno>
#include <cstring>

#include "base/fixed_text.h"

namespace cm {

namespace {
constexpr std::size_t kDescribeWidth = 150;
}

std::string StoreError::describe() const {
    std::string out;
    if (code == StoreCode::kFileSystem && osErrno != 0)
        out = osMessage + " (" + std::to_string(osErrno) + ")";
    else
        out = text + " (" + std::to_string(code) + ")";
    return FixedText::cut(out, kDescribeWidth);
}

StoreError StoreError::make(int code, std::string text) {
    StoreError e;
    e.code = code;
    e.text = std::move(text);
    return e;
}

StoreError StoreError::fromErrno(std::string text, int osErrno) {
    StoreError e;
    e.code = StoreCode::kFileSystem;
    e.text = std::move(text);
    e.osErrno = osErrno != 0 ? osErrno : errno;
    e.osMessage = e.osErrno != 0 ? std::strerror(e.osErrno) : std::string("file system error");
    return e;
}

}  // namespace cm
