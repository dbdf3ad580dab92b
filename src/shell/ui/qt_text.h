#pragma once

#include <QString>
#include <string_view>

namespace cm {

// The core's UTF-8 texts as Qt strings. A string_view need not end in a NUL, so its size is
// passed on.
inline QString qs(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace cm
