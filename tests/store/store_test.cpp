#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "base/ini_file.h"
#include "store/store_connection.h"
#include "store_fixture.h"

namespace cm::test {
namespace {

using StoreTest = StoreFixture;

std::string journalMode(TableHandle& t) {
    Query q(*t.connection(), "PRAGMA journal_mode");
    EXPECT_EQ(q.step(), Query::Step::Row);
    return q.columnText(0);
}

TEST_F(StoreTest, DeclaredNamesShareOneStoreFileIgnoringCase) {
    EXPECT_EQ(TableName::parse("cm97\\!s", "Schedule").file, "cm97.TPS");
    EXPECT_EQ(TableName::parse("cm97\\!s", "Schedule").table, "s");
    EXPECT_EQ(TableName::parse("Cm97.TPS\\!Contact", "Contact").file, "Cm97.TPS");
    EXPECT_EQ(TableName::parse("TagFile_.TPS", "TagFile").table, "TagFile");
    EXPECT_EQ(TableName::parse("x.SYN\\!scr", "SyncScripting").file, "x.SYN");

    PersonTable a(personLayout(), "cm97\\!a");
    PersonTable b(personLayout(), "CM97\\!b");
    PersonTable c(personLayout(), "Cm97.TPS\\!c");
    for (PersonTable* t : {&a, &b, &c}) {
        ASSERT_EQ(t->create(), 0) << t->lastError().text;
        ASSERT_EQ(t->open(), 0);
    }
    EXPECT_EQ(a.connection(), c.connection());
    EXPECT_EQ(a.open(), 52);
    EXPECT_TRUE(a.lastError().ok());
    std::vector<std::string> files;
    for (const auto& e : std::filesystem::directory_iterator(m_dir.path())) files.push_back(e.path().filename().string());
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files.front(), "CM97.TPS");  // the new store, beside its WAL files

    PersonTable own(personLayout(), "Own.TPS");
    ASSERT_EQ(own.create(), 0);
    ASSERT_EQ(own.open(), 0);
    EXPECT_EQ(own.tableName(), "Person");
    EXPECT_TRUE(std::filesystem::exists(file("Own.TPS")));
}

TEST_F(StoreTest, AnExistingFileIsReusedWhateverItsCase) {
    {
        PersonTable t(personLayout(), "elsewhere.tps\\!p");
        ASSERT_EQ(t.create(), 0);
        ASSERT_EQ(t.open(), 0);
        addPerson(t, "Kept", 1);
    }
    StoreConnection::closeIdle();
    PersonTable t(personLayout(), "ELSEWHERE\\!p");
    ASSERT_EQ(t.open(), 0) << t.lastError().text;
    EXPECT_EQ(t.records(), 1);
    EXPECT_FALSE(std::filesystem::exists(file("ELSEWHERE.TPS")));
}

TEST_F(StoreTest, MissingNamesFilesAndTablesReportNotFound) {
    PersonTable unnamed(personLayout());
    EXPECT_EQ(unnamed.open(), 2);
    EXPECT_EQ(unnamed.create(), 2);
    EXPECT_NE(unnamed.lastError().text.find("No file name"), std::string::npos);

    PersonTable t(personLayout(), kPersonName);
    EXPECT_EQ(t.open(), 2);
    EXPECT_FALSE(std::filesystem::exists(store()));
    ASSERT_EQ(t.create(), 0);
    PersonTable other(personLayout(), "CM97\\!Other");
    EXPECT_EQ(other.open(), 2);  // the file exists, the table does not
    EXPECT_EQ(other.next(), 2);

    StoreFiles::setDataFolder({});
    PersonTable noFolder(personLayout(), kPersonName);
    EXPECT_EQ(noFolder.open(), 2);  // never the current folder
}

TEST_F(StoreTest, FilesThatAreNotStoresAreReportedAndLeftUntouched) {
    std::mt19937 random(7);
    std::string noise(8192, '\0');
    for (char& ch : noise) ch = static_cast<char>(random());
    std::string damaged;
    {
        PersonTable t(personLayout(), "Good.TPS");
        ASSERT_EQ(t.create(), 0);
    }
    StoreConnection::closeIdle();
    damaged = readBytes(file("Good.TPS"));
    ASSERT_GT(damaged.size(), 200u);
    for (std::size_t i = 100; i < damaged.size(); ++i) damaged[i] = static_cast<char>(random());

    struct Case {
        const char* what;
        std::string bytes;
        int code;
    };
    const Case cases[] = {
        {"random bytes", noise, 36},
        {"a text file", "Dear diary,\nthis is not a database.\n", 36},
        {"a damaged store", damaged, 88},
    };
    for (const Case& c : cases) {
        writeBytes(store(), c.bytes);
        PersonTable t(personLayout(), kPersonName);
        EXPECT_EQ(t.open(), c.code) << c.what << ": " << t.lastError().text;
        EXPECT_FALSE(t.lastError().text.empty());
        EXPECT_EQ(t.create(), c.code) << c.what;
        StoreConnection::closeIdle();
        EXPECT_EQ(readBytes(store()), c.bytes) << c.what;
        EXPECT_FALSE(std::filesystem::exists(file("CM97.TPS-wal"))) << c.what;
    }

    std::filesystem::remove(store());
    std::filesystem::create_directory(store());
    PersonTable t(personLayout(), kPersonName);
    EXPECT_EQ(t.open(), 90);
    EXPECT_NE(t.lastError().osErrno, 0);
    EXPECT_NE(t.lastError().describe().find("(" + std::to_string(t.lastError().osErrno) + ")"), std::string::npos);
}

TEST_F(StoreTest, MissingIndexAsksForAKeyRebuild) {
    PersonTable t(personLayout(), kPersonName);
    ASSERT_EQ(t.create(), 0);
    ASSERT_EQ(t.open(), 0);
    ASSERT_TRUE(t.connection()->exec("DROP INDEX \"Person_KeyCityDate\""));
    t.close();
    EXPECT_EQ(t.open(), 46);
    ASSERT_EQ(t.buildKeys(), 0);
    EXPECT_EQ(t.open(), 0);

    ASSERT_TRUE(t.connection()->exec("UPDATE _layouts SET version = 0 WHERE name = '#collation'"));
    t.close();
    EXPECT_EQ(t.open(), 46);  // a key order written by another folding
    ASSERT_EQ(t.buildKeys(), 0);
    EXPECT_EQ(t.open(), 0);
}

TEST_F(StoreTest, JournalFollowsTheSharedSetting) {
    {
        PersonTable t(personLayout(), kPersonName);
        ASSERT_EQ(t.create(), 0);
        ASSERT_EQ(t.open(), 0);
        EXPECT_EQ(journalMode(t), "wal");
        EXPECT_FALSE(t.connection()->usesRollbackJournal());
    }
    StoreConnection::closeIdle();
    ASSERT_TRUE(IniFile(file("CM98.ini")).write("Store", "Shared", "1"));
    PersonTable t(personLayout(), kPersonName);
    ASSERT_EQ(t.open(), 0);
    EXPECT_EQ(journalMode(t), "delete");
    EXPECT_TRUE(t.connection()->usesRollbackJournal());
    EXPECT_FALSE(isNetworkFileSystem(m_dir.path()));
}

TEST_F(StoreTest, ErrorTextsForWarnings) {
    EXPECT_EQ(StoreError::make(35, "Record not found").describe(), "Record not found (35)");
    StoreError e = StoreError::fromErrno("open", ENOSPC);
    EXPECT_EQ(e.code, 90);
    EXPECT_EQ(e.describe(), std::string(std::strerror(ENOSPC)) + " (" + std::to_string(ENOSPC) + ")");
    EXPECT_EQ(StoreError::make(88, std::string(400, 'x')).describe().size(), 150u);
}

}  // namespace
}  // namespace cm::test
