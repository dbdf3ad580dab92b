#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/store_connection.h"
#include "store/table_registry.h"
#include "store/tables/category_record.h"
#include "store/tables/contact_category_record.h"
#include "store/tables/contact_record.h"
#include "store/tables/link_record.h"
#include "store/tables/schedule_record.h"
#include "store/tables/scripting_record.h"
#include "store/tables/table_catalog.h"
#include "store/tables/todo_record.h"
#include "store/warning_reporter.h"
#include "store_fixture.h"
#include "support/fake_runtime.h"

namespace cm::test {

template <class R>
class CatalogTable : public Table<R> {
public:
    CatalogTable(const Layout& layout) : Table<R>(layout, std::string(findTable(layout.table)->declaredName)) {}
};

// A store with the related tables open, a scripted runtime and a reporter on it.
class IntegrityFixture : public StoreFixture {
protected:
    void SetUp() override {
        StoreFixture::SetUp();
        for (TableHandle* t : handles()) ASSERT_TRUE(openOrCreateTable(*t, runtime)) << t->layout().table;
    }
    void TearDown() override {
        for (TableHandle* t : handles()) t->close();
        StoreFixture::TearDown();
    }
    std::vector<TableHandle*> handles() {
        return {&schedule, &scripting, &links, &contacts, &categories, &contactCategories, &todo};
    }

    void exec(const std::string& sql) {
        StoreError error;
        ASSERT_TRUE(schedule.connection()->exec(sql, &error)) << error.text;
    }

    void addTask(std::int32_t id, std::string category = {}) {
        schedule.clear();
        schedule.record().id = id;
        schedule.record().description = "Task " + std::to_string(id);
        schedule.record().category = std::move(category);
        ASSERT_EQ(schedule.add(), 0) << schedule.lastError().text;
    }
    void addStep(std::int32_t id, std::int32_t sequence) {
        scripting.clear();
        scripting.record().id = id;
        scripting.record().sequence = sequence;
        scripting.record().action = "Send Keystrokes";
        ASSERT_EQ(scripting.add(), 0) << scripting.lastError().text;
    }
    void addLink(std::int32_t id, std::int32_t clientId) {
        links.clear();
        links.record() = {id, clientId};
        ASSERT_EQ(links.add(), 0) << links.lastError().text;
    }
    void addContact(std::int32_t clientId, std::string category = {}) {
        contacts.clear();
        contacts.record().clientId = clientId;
        contacts.record().lastName = "Contact " + std::to_string(clientId);
        contacts.record().contactCategory = std::move(category);
        ASSERT_EQ(contacts.add(), 0) << contacts.lastError().text;
    }
    template <class R>
    static void addRecord(Table<R>& table, const R& record) {
        table.record() = record;
        ASSERT_EQ(table.add(), 0) << table.lastError().text;
    }
    // Reads the row into the handle so a form can open on it.
    template <class R>
    static void read(Table<R>& table, const char* key) {
        ASSERT_EQ(table.get(table.keyIndex(key)), 0) << table.lastError().text;
    }

    // Every stored row of the table, in its first key's order, through a handle of its own.
    template <class R>
    static std::vector<R> rows(const Layout& layout) {
        CatalogTable<R> t(layout);
        EXPECT_EQ(t.open(), 0);
        std::vector<R> out;
        t.set(0);
        while (t.next() == 0) out.push_back(t.record());
        return out;
    }
    std::vector<ScriptingRecord> steps() { return rows<ScriptingRecord>(scriptingLayout()); }
    std::vector<LinkRecord> allLinks() { return rows<LinkRecord>(linkLayout()); }
    std::vector<ScheduleRecord> tasks() { return rows<ScheduleRecord>(scheduleLayout()); }

    std::vector<int> warningsShown() const {
        std::vector<int> out;
        for (const auto& box : runtime.boxes()) out.push_back(numberOf(box.request.title, box.request.text));
        return out;
    }
    // Recovers a warning's number from its title (and text where titles are shared).
    static int numberOf(const std::string& title, const std::string& text) {
        if (title == "Record Update Error") return text.find("deleting") != std::string::npos ? 18 : 16;
        if (title == "Referential Integrity Update Error") return 12;
        if (title == "Referential Integrity Delete Error") return 13;
        if (title == "Record Insert Error") return 14;
        if (title == "Update Operation Error") return 15;
        if (title == "Delete Operation Error") return 17;
        if (title == "Duplicate Key Error") return 24;
        if (title == "Auto Increment Error") return 25;
        if (title == "Confirm Delete") return 32;
        if (title == "Transaction Framing Error") return 34;
        if (title == "Record Retrieval Error") return 35;
        if (title == "Record Was Not Updated") return 38;
        return 0;
    }

    FakeRuntime runtime;
    WarningReporter reporter{runtime};
    CatalogTable<ScheduleRecord> schedule{scheduleLayout()};
    CatalogTable<ScriptingRecord> scripting{scriptingLayout()};
    CatalogTable<LinkRecord> links{linkLayout()};
    CatalogTable<ContactRecord> contacts{contactLayout()};
    CatalogTable<CategoryRecord> categories{categoriesLayout()};
    CatalogTable<ContactCategoryRecord> contactCategories{contactCategoriesLayout()};
    CatalogTable<TodoRecord> todo{todoLayout()};
};

}  // namespace cm::test
