#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "store/layout.h"
#include "store/store_connection.h"
#include "store/table_handle.h"
#include "store/table_name.h"
#include "support/temp_dir.h"

namespace cm::test {

// A small layout with one key of each kind the tables use.
struct PersonRecord {
    std::string name;  // text(10)
    std::int32_t number = 0;
    std::string city;  // text(20)
    std::int32_t date = 0;
    std::uint8_t flag = 0;
    std::string notes;  // memo
};

inline const Layout& personLayout() {
    static const Layout layout = [] {
        using R = PersonRecord;
        Layout l;
        l.table = "Person";
        l.prefix = "PER";
        l.version = 1;
        l.fields = {
            field<&R::name>("PER:Name", FieldType::Text, 10),
            field<&R::number>("PER:Number", FieldType::Int32),
            field<&R::city>("PER:City", FieldType::Text, 20),
            field<&R::date>("PER:Date", FieldType::Date),
            field<&R::flag>("PER:Flag", FieldType::Flag),
            field<&R::notes>("PER:Notes", FieldType::Memo, 100),
        };
        l.keys = {
            {"PER:KeyNumber", {1}, true, true, true, "By Number"},
            {"PER:KeyName", {0}, false, false, true, ""},
            {"PER:KeyNameAll", {0}, false, false, false, ""},
            {"PER:KeyCityDate", {2, 3}, false, false, true, ""},
            {"PER:KeyFlagDate", {4, 3}, false, false, true, ""},
        };
        return l;
    }();
    return layout;
}

using PersonTable = Table<PersonRecord>;

inline constexpr const char* kPersonName = "CM97\\!Person";

// A data folder of its own; every store connection is closed at the end so files can be
// compared and removed.
class StoreFixture : public ::testing::Test {
protected:
    void SetUp() override { StoreFiles::setDataFolder(m_dir.path()); }
    void TearDown() override {
        StoreConnection::closeIdle();
        StoreFiles::setDataFolder({});
    }

    std::filesystem::path file(const std::string& name) const { return m_dir / name; }
    std::filesystem::path store() const { return m_dir / "CM97.TPS"; }

    static std::string readBytes(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    static void writeBytes(const std::filesystem::path& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }

    static void addPerson(PersonTable& t, std::string name, std::int32_t number, std::string city = {},
                          std::int32_t date = 0, std::uint8_t flag = 0) {
        t.clear();
        t.record() = {std::move(name), number, std::move(city), date, flag, {}};
        ASSERT_EQ(t.add(), 0) << t.lastError().text;
    }

    // The numbers met walking a key from its start.
    static std::vector<std::int32_t> walk(PersonTable& t, const char* key, bool forward = true) {
        std::vector<std::int32_t> out;
        EXPECT_EQ(t.set(t.keyIndex(key)), 0);
        while ((forward ? t.next() : t.previous()) == 0) out.push_back(t.record().number);
        EXPECT_EQ(t.lastError().code, 33);
        return out;
    }

    TempDir m_dir;
};

}  // namespace cm::test
