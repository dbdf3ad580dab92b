#pragma once

#include "store/layout.h"

#include <cstdint>
#include <string>

namespace cm {

// A mark a list window set on a record ("TagFile_.TPS"): Tbl names the table, Ptr the record.
struct TagFileRecord {
    std::int32_t usr = 0;
    std::int16_t tbl = 0;
    std::int32_t ptr = 0;
    std::string val;

    friend bool operator==(const TagFileRecord&, const TagFileRecord&) = default;
};

// A mark by position rather than record number ("TagFileP.TPS"): declared, but nothing reads or writes it.
struct TagFilePRecord {
    std::int32_t usr = 0;
    std::int16_t tbl = 0;
    std::string pos;
    std::string val;

    friend bool operator==(const TagFilePRecord&, const TagFilePRecord&) = default;
};

const Layout& tagFileLayout();
const Layout& tagFilePLayout();

}  // namespace cm
