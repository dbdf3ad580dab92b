#include <gtest/gtest.h>

#include "store/transaction.h"
#include "store_fixture.h"

namespace cm::test {
namespace {

class WalkTest : public StoreFixture {
protected:
    void SetUp() override {
        StoreFixture::SetUp();
        ASSERT_EQ(t.create(), 0) << t.lastError().text;
        ASSERT_EQ(t.open(), 0) << t.lastError().text;
        // number: name, city, date, flag
        addPerson(t, "müller", 1, "Bonn", 20, 1);
        addPerson(t, "Adams", 2, "", 0, 0);  // blank on the (city, date) and (flag, date) keys
        addPerson(t, "MÜLLER", 3, "bonn", 10, 0);
        addPerson(t, "", 4, "", 0, 0);  // blank on every key but the number
        addPerson(t, "Zed", 5, "Aachen", 30, 1);
        addPerson(t, "adams", 6, "BONN", 10, 1);
    }

    PersonTable t{personLayout(), kPersonName};
};

TEST_F(WalkTest, KeysOrderCaseInsensitivelyTieByRecordAndLeaveOutBlanks) {
    struct Case {
        const char* key;
        std::vector<std::int32_t> order;
    };
    const Case cases[] = {
        {"PER:KeyNumber", {1, 2, 3, 4, 5, 6}},
        {"PER:KeyName", {2, 6, 1, 3, 5}},             // Müller and MÜLLER fold alike; blank left out
        {"PER:KeyNameAll", {4, 2, 6, 1, 3, 5}},       // blank included, first
        {"PER:KeyCityDate", {5, 3, 6, 1}},            // Aachen; bonn/BONN at 10 by record; Bonn 20
        {"PER:KeyFlagDate", {3, 6, 1, 5}},            // (0,10); (1,10) (1,20) (1,30); (0,0) left out
    };
    for (const Case& c : cases) {
        EXPECT_EQ(walk(t, c.key), c.order) << c.key;
        std::vector<std::int32_t> back(c.order.rbegin(), c.order.rend());
        EXPECT_EQ(walk(t, c.key, false), back) << c.key;
    }
}

TEST_F(WalkTest, WalksFromAValueIncludeIt) {
    const int name = t.keyIndex("PER:KeyName");
    auto from = [&](const char* value, bool forward) {
        t.clear();
        t.record().name = value;
        EXPECT_EQ(t.setFrom(name), 0);
        std::vector<std::int32_t> out;
        while ((forward ? t.next() : t.previous()) == 0) out.push_back(t.record().number);
        return out;
    };
    EXPECT_EQ(from("m", true), (std::vector<std::int32_t>{1, 3, 5}));
    EXPECT_EQ(from("m", false), (std::vector<std::int32_t>{6, 2}));
    EXPECT_EQ(from("n", true), (std::vector<std::int32_t>{5}));
    EXPECT_EQ(from("MüLLER   ", true), (std::vector<std::int32_t>{1, 3, 5}));
    EXPECT_EQ(from("müller", false), (std::vector<std::int32_t>{3, 1, 6, 2}));
    EXPECT_EQ(from("zz", true), (std::vector<std::int32_t>{}));
    EXPECT_EQ(t.lastError().code, 33);

    // Changing direction in mid-walk continues from the current record.
    ASSERT_EQ(t.set(name), 0);
    ASSERT_EQ(t.next(), 0);
    ASSERT_EQ(t.next(), 0);
    ASSERT_EQ(t.previous(), 0);
    EXPECT_EQ(t.record().number, 2);
}

TEST_F(WalkTest, KeyValuesAreTheBuffersComponentsAsStored) {
    t.clear();
    t.record().city = "Köln       ";
    t.record().date = 12;
    EXPECT_EQ(t.keyValues(t.keyIndex("PER:KeyCityDate")), (std::vector<FieldValue>{std::string("Köln"), std::int64_t{12}}));
    t.record().name = "Abcdefghijklmn";
    EXPECT_EQ(t.keyValues(t.keyIndex("PER:KeyName")), (std::vector<FieldValue>{std::string("Abcdefghij")}));
    EXPECT_TRUE(t.keyValues(99).empty());
}

// Walks from given values, after a remembered record and within a range, in both directions.
TEST_F(WalkTest, WalksFromValuesAfterRecordsAndWithinRanges) {
    addPerson(t, "Neg", 7, "", -5, 1);  // below a "lowest" of 0 on KeyFlagDate
    const auto recOf = [&](std::int32_t number) {
        t.clear();
        t.record().number = number;
        EXPECT_EQ(t.get(0), 0);
        return t.recordNumber();
    };
    const std::int64_t rec3 = recOf(3), rec6 = recOf(6);
    using V = std::vector<FieldValue>;
    const auto s = [](const char* text) { return FieldValue(std::string(text)); };
    const auto n = [](std::int64_t number) { return FieldValue(number); };
    enum class From { Start, Values, After };
    struct Case {
        const char* what;
        const char* key;
        V range;
        From from;
        V values;
        std::int64_t rec;
        std::vector<std::int32_t> forward, backward;
    };
    const Case cases[] = {
        {"missing components lowest", "PER:KeyCityDate", {}, From::Values, {s("bonn")}, 0, {3, 6, 1}, {5, 7}},
        {"lowest number is below zero", "PER:KeyFlagDate", {}, From::Values, {n(1)}, 0, {7, 6, 1, 5}, {3}},
        {"typed text for a number", "PER:KeyFlagDate", {}, From::Values, {s("1"), s("15")}, 0, {1, 5}, {6, 7, 3}},
        {"after a tie goes by record", "PER:KeyCityDate", {}, From::After, {s("BONN"), n(10)}, rec3, {6, 1}, {5, 7}},
        {"after the last of a tie", "PER:KeyCityDate", {}, From::After, {s("bonn"), n(10)}, rec6, {1}, {3, 5, 7}},
        {"range from its start", "PER:KeyCityDate", {s("Bonn")}, From::Start, {}, 0, {3, 6, 1}, {1, 6, 3}},
        {"range from a value in it", "PER:KeyCityDate", {s("bonn")}, From::Values, {s("BONN"), n(15)}, 0, {1}, {6, 3}},
        {"range from before it", "PER:KeyCityDate", {s("bonn")}, From::Values, {s("Aachen"), n(99)}, 0, {3, 6, 1}, {}},
        {"range from after it", "PER:KeyCityDate", {s("bonn")}, From::Values, {s("Zürich")}, 0, {}, {1, 6, 3}},
        {"range after a record", "PER:KeyCityDate", {s("bonn")}, From::After, {s("bonn"), n(10)}, rec3, {6, 1}, {}},
        {"range on every component", "PER:KeyCityDate", {s("bonn"), n(10)}, From::Start, {}, 0, {3, 6}, {6, 3}},
        {"full range after a record", "PER:KeyCityDate", {s("bonn"), n(10)}, From::After, {s("bonn"), n(10)}, rec3,
         {6}, {}},
        {"range keeps blanks out", "PER:KeyFlagDate", {n(0)}, From::Start, {}, 0, {3}, {3}},
        {"range of nothing", "PER:KeyName", {s("Nobody")}, From::Start, {}, 0, {}, {}},
    };
    for (const Case& c : cases) {
        const int key = t.keyIndex(c.key);
        t.setRange(key, c.range);
        for (bool forward : {true, false}) {
            switch (c.from) {
            case From::Start: ASSERT_EQ(t.set(key), 0); break;
            case From::Values: ASSERT_EQ(t.setFrom(key, c.values), 0); break;
            case From::After: ASSERT_EQ(t.setAfter(key, c.values, c.rec), 0); break;
            }
            std::vector<std::int32_t> seen;
            while ((forward ? t.next() : t.previous()) == 0) seen.push_back(t.record().number);
            EXPECT_EQ(t.lastError().code, 33) << c.what;
            EXPECT_EQ(seen, forward ? c.forward : c.backward) << c.what << (forward ? " forward" : " backward");
        }
        // The range applies to its own key only.
        EXPECT_EQ(walk(t, "PER:KeyNumber"), (std::vector<std::int32_t>{1, 2, 3, 4, 5, 6, 7})) << c.what;
    }
    t.clearRange();
    EXPECT_EQ(walk(t, "PER:KeyCityDate"), (std::vector<std::int32_t>{7, 5, 3, 6, 1}));
}

TEST_F(WalkTest, AWalkGoesOnFromARecordThatWasDeleted) {
    const int name = t.keyIndex("PER:KeyName");
    t.clear();
    t.record().number = 1;  // müller, tied with MÜLLER (3) after it
    ASSERT_EQ(t.get(0), 0);
    const std::vector<FieldValue> values = t.keyValues(name);
    const std::int64_t rec = t.recordNumber();
    ASSERT_EQ(t.erase(), 0);
    ASSERT_EQ(t.setAfter(name, values, rec), 0);
    ASSERT_EQ(t.next(), 0);
    EXPECT_EQ(t.record().number, 3);
    ASSERT_EQ(t.setAfter(name, values, rec), 0);
    ASSERT_EQ(t.previous(), 0);
    EXPECT_EQ(t.record().number, 6);
}

TEST_F(WalkTest, GetMatchesTheKeyFieldsExactly) {
    const int name = t.keyIndex("PER:KeyName");
    t.clear();
    t.record().name = "MÜLLER";
    ASSERT_EQ(t.get(name), 0);
    EXPECT_EQ(t.record().number, 1);  // the lowest record of the tie
    t.clear();
    t.record().name = "Muller";  // ü is not u
    EXPECT_EQ(t.get(name), 35);
    t.clear();  // all blank: left out of KeyName, present in KeyNameAll
    EXPECT_EQ(t.get(name), 35);
    EXPECT_EQ(t.get(t.keyIndex("PER:KeyNameAll")), 0);
    EXPECT_EQ(t.record().number, 4);
    t.clear();
    t.record().city = "BONN";
    t.record().date = 10;
    ASSERT_EQ(t.get(t.keyIndex("PER:KeyCityDate")), 0);
    EXPECT_EQ(t.record().number, 3);
}

TEST_F(WalkTest, PositionsAndRecordNumbers) {
    t.clear();
    t.record().number = 5;
    ASSERT_EQ(t.get(0), 0);
    const std::string position = t.position();
    const std::int64_t rec = t.recordNumber();
    EXPECT_EQ(position, std::to_string(rec));
    t.clear();
    ASSERT_EQ(t.reget(position), 0);
    EXPECT_EQ(t.record().name, "Zed");
    ASSERT_EQ(t.getByNumber(rec - 1), 0);
    EXPECT_EQ(t.record().number, 4);
    EXPECT_EQ(t.getByNumber(999), 33);
    EXPECT_EQ(t.reget("x"), 33);
    EXPECT_EQ(t.records(), 6);
}

TEST_F(WalkTest, TextsAreStoredCutToWidthWithoutTrailingBlanks) {
    addPerson(t, "Abcdefghijklmn", 7, "Köln   ");
    t.clear();
    t.record().number = 7;
    ASSERT_EQ(t.get(0), 0);
    EXPECT_EQ(t.record().name, "Abcdefghij");
    EXPECT_EQ(t.record().city, "Köln");
}

TEST_F(WalkTest, DuplicateUniqueKeysAreRefused) {
    t.clear();
    t.record().number = 3;
    EXPECT_TRUE(t.duplicateCheck());
    EXPECT_EQ(t.add(), 40);
    EXPECT_EQ(t.duplicatedKey(), 0);
    EXPECT_NE(t.lastError().text.find("PER:KeyNumber"), std::string::npos);
    EXPECT_EQ(t.records(), 6);

    t.record().number = 5;
    ASSERT_EQ(t.get(0), 0);
    EXPECT_FALSE(t.duplicateCheck());  // the record itself is no duplicate
    t.record().number = 1;
    EXPECT_EQ(t.put(), 40);
    t.record().number = 0;  // all blank: left out of the unique key
    EXPECT_FALSE(t.duplicateCheck());
}

TEST_F(WalkTest, AddPutEraseWorkOnTheCurrentRecord) {
    PersonTable other(personLayout(), kPersonName);
    ASSERT_EQ(other.open(), 0);
    EXPECT_EQ(other.put(), 33);
    EXPECT_EQ(other.erase(), 33);

    t.clear();
    t.record().number = 2;
    ASSERT_EQ(t.get(0), 0);
    t.record().city = "Essen";
    ASSERT_EQ(t.put(), 0);
    other.record().number = 2;
    ASSERT_EQ(other.get(0), 0);
    EXPECT_EQ(other.record().city, "Essen");
    ASSERT_EQ(t.erase(), 0);
    EXPECT_EQ(t.recordNumber(), 0);
    EXPECT_EQ(other.get(0), 35);
    EXPECT_EQ(other.put(), 33);  // its record has gone
}

TEST_F(WalkTest, WatchedPutFailsWhenAnotherHandleChangedTheRow) {
    PersonTable other(personLayout(), kPersonName);
    ASSERT_EQ(other.open(), 0);
    t.record().number = 1;
    other.record().number = 1;
    ASSERT_EQ(t.get(0), 0);
    ASSERT_EQ(other.get(0), 0);
    t.watch();
    other.record().city = "Berlin";
    ASSERT_EQ(other.put(), 0);

    t.record().city = "Paris";
    EXPECT_EQ(t.put(), 89);
    ASSERT_EQ(t.reget(t.position()), 0);
    EXPECT_EQ(t.record().city, "Berlin");
    t.record().city = "Paris";
    EXPECT_EQ(t.put(), 0);
    EXPECT_EQ(t.put(), 0);  // its own puts do not count as changes by others
    EXPECT_EQ(other.put(), 0);  // without a watch the last put wins
}

TEST_F(WalkTest, RollbackLeavesEveryRowAsItWas) {
    auto snapshot = [&] {
        std::vector<std::string> rows;
        EXPECT_EQ(t.set(0), 0);
        while (t.next() == 0)
            rows.push_back(t.record().name + "|" + std::to_string(t.record().number) + "|" + t.record().city);
        return rows;
    };
    const auto before = snapshot();
    PersonTable second(personLayout(), kPersonName);
    ASSERT_EQ(second.open(), 0);
    {
        Transaction tx({&t, &second});
        ASSERT_TRUE(tx.begin()) << tx.lastError().text;
        addPerson(t, "New", 9);
        second.record().number = 1;
        ASSERT_EQ(second.get(0), 0);
        second.record().city = "Changed";
        ASSERT_EQ(second.put(), 0);
        second.record().number = 2;
        ASSERT_EQ(second.get(0), 0);
        ASSERT_EQ(second.erase(), 0);
        EXPECT_EQ(t.records(), 6);
        tx.rollback();
    }
    EXPECT_EQ(snapshot(), before);
    {
        Transaction tx({&t});
        ASSERT_TRUE(tx.begin());
        addPerson(t, "Gone", 10);
    }  // the guard rolls back
    EXPECT_EQ(snapshot(), before);
    {
        Transaction tx({&t, &second});
        ASSERT_TRUE(tx.begin());
        addPerson(t, "Kept", 11);
        ASSERT_TRUE(tx.commit());
    }
    EXPECT_EQ(t.records(), 7);
}

TEST_F(WalkTest, StreamingBatchesWritesUntilFlush) {
    PersonTable reader(personLayout(), kPersonName);
    ASSERT_EQ(t.stream(), 0);
    for (int i = 0; i < 50; ++i) addPerson(t, "S" + std::to_string(i), 100 + i);
    EXPECT_TRUE(t.connection()->inTransaction());
    ASSERT_EQ(t.flush(), 0);
    EXPECT_FALSE(t.connection()->inTransaction());
    ASSERT_EQ(t.stream(), 0);
    addPerson(t, "Last", 200);
    t.close();  // flushes
    ASSERT_EQ(reader.open(), 0);
    EXPECT_EQ(reader.records(), 57);
}

TEST_F(WalkTest, CommandsAndKeyRebuild) {
    EXPECT_TRUE(t.sendCommand("QUICKSCAN=on"));
    EXPECT_TRUE(t.sendCommand("QUICKSCAN=off"));
    EXPECT_TRUE(t.sendCommand("Recover=10"));
    EXPECT_EQ(t.lastError().code, 0);
    EXPECT_FALSE(t.sendCommand("Frobnicate"));
    EXPECT_EQ(t.buildKeys(), 0);
    EXPECT_EQ(walk(t, "PER:KeyName"), (std::vector<std::int32_t>{2, 6, 1, 3, 5}));
}

}  // namespace
}  // namespace cm::test
