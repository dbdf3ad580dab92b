#include "support/test_store.h"

#include <gtest/gtest.h>

#include "store/store_connection.h"
#include "store/table_name.h"

namespace cm::test {

void TestStore::open(const std::filesystem::path& folder, std::initializer_list<TableHandle*> tables) {
    StoreFiles::setDataFolder(folder);
    for (TableHandle* t : tables) {
        ASSERT_EQ(t->create(), 0) << t->lastError().text;
        ASSERT_EQ(t->open(), 0) << t->lastError().text;
    }
}

void TestStore::close(std::initializer_list<TableHandle*> tables) {
    for (TableHandle* t : tables) t->close();
    StoreConnection::closeIdle();
    StoreFiles::setDataFolder({});
}

}  // namespace cm::test
