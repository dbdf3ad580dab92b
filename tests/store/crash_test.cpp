#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <functional>
#include <random>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "store/table_registry.h"
#include "store/transaction.h"
#include "store_fixture.h"
#include "support/fake_runtime.h"

namespace cm::test {
namespace {

using Clock = std::chrono::steady_clock;

// A child process running body. SQLite connections must not cross fork(), so the parent
// forks with none open on the store and opens its own afterwards.
struct Child {
    pid_t pid = -1;
    int toParent = -1;  // the child's reports
    int toChild = -1;   // go signals

    explicit Child(const std::function<void(int report, int go)>& body) {
        int up[2], down[2];
        if (pipe(up) != 0 || pipe(down) != 0) return;
        pid = fork();
        if (pid == 0) {
            close(up[0]);
            close(down[1]);
            body(up[1], down[0]);
            _exit(0);
        }
        close(up[1]);
        close(down[0]);
        toParent = up[0];
        toChild = down[1];
    }
    ~Child() {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        close(toParent);
        close(toChild);
    }
    void go() const {
        const char byte = 1;
        EXPECT_EQ(write(toChild, &byte, 1), 1);
    }
    bool waitFor() const {
        char byte = 0;
        return read(toParent, &byte, 1) == 1;
    }
    static void signal(int fd) {
        const char byte = 1;
        if (write(fd, &byte, 1) != 1) _exit(3);
    }
    static void await(int fd) {
        char byte = 0;
        if (read(fd, &byte, 1) != 1) _exit(3);
    }
};

class CrashTest : public StoreFixture {
protected:
    void SetUp() override {
        StoreFixture::SetUp();
        PersonTable t(personLayout(), kPersonName);
        ASSERT_EQ(t.create(), 0);
        ASSERT_EQ(t.open(), 0);
        addPerson(t, "N1", 1, "C1");
        t.close();
        StoreConnection::closeIdle();
    }
};

// Each transaction adds record n and rewrites record n-1, then reports n as committed.
void writeUntilKilled(int report) {
    PersonTable t(personLayout(), kPersonName);
    if (t.open() != 0 || t.set(0) != 0 || t.previous() != 0) _exit(2);
    for (std::int32_t n = t.record().number + 1;; ++n) {
        Transaction tx({&t});
        if (!tx.begin()) _exit(2);
        t.clear();
        t.record() = {"N" + std::to_string(n), n, "C" + std::to_string(n), n, 1, std::string(50, 'x')};
        if (t.add() != 0) _exit(2);
        t.record().number = n - 1;
        if (t.get(0) != 0) _exit(2);
        t.record().city = "P" + std::to_string(n);
        if (t.put() != 0 || !tx.commit()) _exit(2);
        if (write(report, &n, sizeof n) != sizeof n) _exit(2);
    }
}

TEST_F(CrashTest, KilledWritersLoseNoCommittedChangeAndLeaveNoPartialOne) {
    std::mt19937 random(42);
    const auto deadline = Clock::now() + std::chrono::milliseconds(2500);
    int rounds = 0;
    std::int32_t lastReported = 1;
    while (Clock::now() < deadline && rounds < 60) {
        ++rounds;
        std::vector<std::int32_t> committed;
        {
            Child child([](int report, int) { writeUntilKilled(report); });
            ASSERT_GT(child.pid, 0);
            std::this_thread::sleep_for(std::chrono::milliseconds(5 + random() % 60));
            kill(child.pid, SIGKILL);
            std::int32_t n = 0;
            while (read(child.toParent, &n, sizeof n) == sizeof n) committed.push_back(n);
            int status = 0;
            waitpid(child.pid, &status, 0);
            child.pid = -1;
            ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself in round " << rounds;
        }
        PersonTable t(personLayout(), kPersonName);
        ASSERT_EQ(t.open(), 0) << t.lastError().text;
        {
            Query check(*t.connection(), "PRAGMA integrity_check");
            ASSERT_EQ(check.step(), Query::Step::Row);
            ASSERT_EQ(check.columnText(0), "ok") << "round " << rounds;
        }
        for (std::int32_t n : committed) {
            t.record().number = n;
            ASSERT_EQ(t.get(0), 0) << "committed record " << n << " lost in round " << rounds;
            lastReported = n;
        }
        // Every row is whole: its own values, and the rewrite of n-1 exactly when n exists.
        ASSERT_EQ(t.set(0), 0);
        std::int32_t expected = 1;
        std::vector<std::string> cities;
        while (t.next() == 0) {
            ASSERT_EQ(t.record().number, expected++);
            ASSERT_EQ(t.record().name, "N" + std::to_string(t.record().number));
            cities.push_back(t.record().city);
        }
        for (std::size_t i = 0; i < cities.size(); ++i) {
            const std::string rewritten = "P" + std::to_string(i + 2);
            ASSERT_EQ(cities[i], i + 1 < cities.size() ? rewritten : "C" + std::to_string(i + 1)) << "round " << rounds;
        }
        t.close();
        StoreConnection::closeIdle();
    }
    EXPECT_GT(lastReported, 1) << "no writer committed anything in " << rounds << " rounds";
}

TEST_F(CrashTest, WatchDetectsAChangeByAnotherProcess) {
    Child child([](int report, int go) {
        Child::await(go);
        PersonTable t(personLayout(), kPersonName);
        t.record().number = 1;
        if (t.open() != 0 || t.get(0) != 0) _exit(2);
        t.record().city = "Child";
        if (t.put() != 0) _exit(2);
        Child::signal(report);
        Child::await(go);
    });
    PersonTable t(personLayout(), kPersonName);
    ASSERT_EQ(t.open(), 0);
    t.record().number = 1;
    ASSERT_EQ(t.get(0), 0);
    t.watch();
    child.go();
    ASSERT_TRUE(child.waitFor());
    t.record().city = "Parent";
    EXPECT_EQ(t.put(), 89);
    ASSERT_EQ(t.reget(t.position()), 0);
    EXPECT_EQ(t.record().city, "Child");
    child.go();
}

TEST_F(CrashTest, ATransactionGivesUpAfterTwoSecondsWhenAnotherProcessHoldsTheStore) {
    Child child([](int report, int go) {
        PersonTable t(personLayout(), kPersonName);
        if (t.open() != 0) _exit(2);
        Transaction tx({&t});
        if (!tx.begin()) _exit(2);
        Child::signal(report);
        Child::await(go);
    });
    ASSERT_TRUE(child.waitFor());
    PersonTable t(personLayout(), kPersonName);
    ASSERT_EQ(t.open(), 0);
    Transaction tx({&t});
    const auto start = Clock::now();
    EXPECT_FALSE(tx.begin());
    const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    EXPECT_EQ(tx.lastError().code, 32);
    EXPECT_NE(tx.lastError().text.find("locked"), std::string::npos) << tx.lastError().text;
    EXPECT_GE(waited, 1500);
    EXPECT_LT(waited, 10000);
    child.go();
}

TEST_F(CrashTest, AStoreLockedForAWhileOpensAfterRecoverWithoutAMessage) {
    Child child([](int report, int) {
        PersonTable t(personLayout(), kPersonName);
        if (t.open() != 0) _exit(2);
        // Exclusive locking keeps even readers out until this process ends.
        if (!t.connection()->exec("PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE; UPDATE Person SET rev = rev")) _exit(2);
        Child::signal(report);
        std::this_thread::sleep_for(std::chrono::milliseconds(2500));
        _exit(0);
    });
    ASSERT_TRUE(child.waitFor());
    FakeRuntime runtime;
    PersonTable t(personLayout(), kPersonName);
    EXPECT_TRUE(openOrCreateTable(t, runtime)) << t.lastError().text;
    EXPECT_TRUE(runtime.boxes().empty());
    EXPECT_FALSE(runtime.endedWith);
    EXPECT_EQ(t.records(), 1);
}

}  // namespace
}  // namespace cm::test
