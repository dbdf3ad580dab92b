#include "platform/qt/dbus_notifier.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QStringList>
#include <QVariantMap>

namespace cm {

DbusNotifier::DbusNotifier(QString applicationName, QDBusConnection bus, QObject* parent)
    : QObject(parent), m_applicationName(std::move(applicationName)), m_bus(std::move(bus)) {
    if (!m_bus.isConnected()) return;
    const QString service = QString::fromLatin1(kService);
    m_watcher = new QDBusServiceWatcher(service, m_bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& newOwner) { m_owned = !newOwner.isEmpty(); });
    askBus(QStringLiteral("NameHasOwner"), m_owned);
    askBus(QStringLiteral("ListActivatableNames"), m_activatable);
}

void DbusNotifier::askBus(const QString& method, std::optional<bool>& answer) {
    QDBusMessage query = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
                                                        QStringLiteral("/org/freedesktop/DBus"),
                                                        QStringLiteral("org.freedesktop.DBus"), method);
    const bool ownerQuery = method == QLatin1String("NameHasOwner");
    if (ownerQuery) query << QString::fromLatin1(kService);
    auto* pending = new QDBusPendingCallWatcher(m_bus.asyncCall(query), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this, pending, ownerQuery, &answer] {
        pending->deleteLater();
        const QDBusMessage reply = pending->reply();
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
            if (!answer) answer = false;
            return;
        }
        const QVariant value = reply.arguments().constFirst();
        // An owner change seen by the watcher meanwhile is newer than this answer.
        if (ownerQuery) {
            if (!answer) answer = value.toBool();
        } else {
            answer = value.toStringList().contains(QString::fromLatin1(kService));
        }
    });
}

std::optional<bool> DbusNotifier::serverAvailable() const {
    if (!m_bus.isConnected()) return false;
    if (m_owned.value_or(false) || m_activatable.value_or(false)) return true;
    if (!m_owned || !m_activatable) return std::nullopt;
    return false;
}

bool DbusNotifier::notify(const std::string& title, const std::string& body) {
    if (serverAvailable() == false) return false;
    QDBusMessage message = QDBusMessage::createMethodCall(QString::fromLatin1(kService), QString::fromLatin1(kPath),
                                                          QString::fromLatin1(kInterface), QStringLiteral("Notify"));
    message << m_applicationName << 0u << QString() << QString::fromStdString(title) << QString::fromStdString(body)
            << QStringList() << QVariantMap() << kDefaultExpiry;
    return m_bus.send(message);
}

}  // namespace cm
