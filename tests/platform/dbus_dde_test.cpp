#include "platform/qt/dbus_dde.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QMutex>
#include <QMutexLocker>
#include <QObject>
#include <QStringList>
#include <QThread>
#include <chrono>
#include <cstdlib>

#include "platform/child_process.h"

namespace cm {
namespace {

constexpr auto kService = "org.chronomate.TestPeer";

// A D-Bus peer on its own connection and thread, so the program under test reaches it
// through the bus daemon, and a peer that is slow to answer holds up only itself.
class TestPeer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.chronomate.TestPeer")
public:
    QList<QStringList> calls() {
        QMutexLocker lock(&m_mutex);
        return m_calls;
    }

public slots:
    Q_SCRIPTABLE void Record(const QString& first, const QString& second) {
        QMutexLocker lock(&m_mutex);
        m_calls.append({first, second});
    }
    Q_SCRIPTABLE QString Stall(const QString& text) {
        QThread::sleep(2);
        Record(text, QStringLiteral("stalled"));
        return text;
    }

private:
    QMutex m_mutex;
    QList<QStringList> m_calls;
};

class DbusDdeTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::getenv("DBUS_SESSION_BUS_ADDRESS") == nullptr) GTEST_SKIP() << "no session bus";
        m_peerBus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("chronomate-test-peer"));
        ASSERT_TRUE(m_peerBus.isConnected());
        m_thread.start();
        m_peer.moveToThread(&m_thread);
        ASSERT_TRUE(m_peerBus.registerObject(QStringLiteral("/Topic"), &m_peer, QDBusConnection::ExportScriptableSlots));
        ASSERT_TRUE(m_peerBus.registerService(QString::fromLatin1(kService)));
    }
    void TearDown() override {
        if (!m_thread.isRunning()) return;
        m_peerBus.unregisterService(QString::fromLatin1(kService));
        m_peerBus.unregisterObject(QStringLiteral("/Topic"));
        m_thread.quit();
        m_thread.wait();
        QDBusConnection::disconnectFromBus(QStringLiteral("chronomate-test-peer"));
    }

    QDBusConnection m_peerBus{QString()};
    QThread m_thread;
    TestPeer m_peer;
    DbusDde m_dde;
};

TEST_F(DbusDdeTest, ExecutesACommandWithShellSplitArgumentsOnTheTopicPath) {
    // A topic without its leading "/" and blanks after the fields, as fixed-width fields have.
    const int channel = m_dde.open(std::string(kService) + "   ", "Topic  ");
    ASSERT_NE(channel, 0);
    EXPECT_TRUE(m_dde.execute(channel, "org.chronomate.TestPeer.Record 'two words' \"x y\""));
    ASSERT_TRUE(test::waitUntil([&] { return !m_peer.calls().isEmpty(); }));
    EXPECT_EQ(m_peer.calls().front(), (QStringList{"two words", "x y"}));

    m_dde.close(channel);
    EXPECT_FALSE(m_dde.execute(channel, "org.chronomate.TestPeer.Record a b"));
}

TEST_F(DbusDdeTest, DoesNotWaitForASlowPeer) {
    const int channel = m_dde.open(kService, "/Topic");
    ASSERT_NE(channel, 0);
    const auto before = std::chrono::steady_clock::now();
    EXPECT_TRUE(m_dde.execute(channel, "org.chronomate.TestPeer.Stall late"));
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(1000));
    ASSERT_TRUE(test::waitUntil([&] { return !m_peer.calls().isEmpty(); }));
    EXPECT_EQ(m_peer.calls().front(), (QStringList{"late", "stalled"}));
}

TEST_F(DbusDdeTest, FailuresAreSilent) {
    EXPECT_EQ(m_dde.open("org.chronomate.Nobody", "/Topic"), 0);
    EXPECT_EQ(m_dde.open("not a bus name", "/Topic"), 0);
    EXPECT_EQ(m_dde.open("", "/Topic"), 0);
    EXPECT_EQ(m_dde.open(kService, "/bad topic"), 0);
    EXPECT_FALSE(m_dde.execute(0, "org.chronomate.TestPeer.Record a b"));

    const int channel = m_dde.open(kService, "/Topic");
    ASSERT_NE(channel, 0);
    EXPECT_FALSE(m_dde.execute(channel, ""));
    // A call the peer rejects (wrong arguments, unknown method) fails on the peer's side only.
    EXPECT_TRUE(m_dde.execute(channel, "org.chronomate.TestPeer.Record only-one"));
    EXPECT_TRUE(m_dde.execute(channel, "org.chronomate.TestPeer.Missing"));
    EXPECT_TRUE(m_dde.execute(channel, "org.chronomate.TestPeer.Record a b"));
    ASSERT_TRUE(test::waitUntil([&] { return !m_peer.calls().isEmpty(); }));
    EXPECT_EQ(m_peer.calls(), (QList<QStringList>{{"a", "b"}}));
}

}  // namespace
}  // namespace cm

#include "dbus_dde_test.moc"
