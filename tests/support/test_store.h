#pragma once

#include <filesystem>
#include <initializer_list>

#include "store/table_handle.h"

namespace cm::test {

// The tables of a fixture's store, in a data folder of the fixture's own.
class TestStore {
public:
    // Points the store at the folder, then creates and opens each table; fails the test at the
    // first that cannot.
    static void open(const std::filesystem::path& folder, std::initializer_list<TableHandle*> tables);
    // Closes the tables and every idle connection, so the folder's files can be removed.
    static void close(std::initializer_list<TableHandle*> tables);
};

}  // namespace cm::test
