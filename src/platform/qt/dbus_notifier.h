#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <optional>

#include "shell/notifier.h"

class QDBusServiceWatcher;

namespace cm {

// Desktop notifications through org.freedesktop.Notifications on the session bus. Nothing here
// waits on the bus: whether a notification server exists (running, or startable by the bus) is
// asked once in the background and then followed as owners come and go, and each notification
// is sent without waiting for its reply. Until the first answer is in, a notification is sent
// on the chance that a server is there.
class DbusNotifier final : public QObject, public Notifier {
public:
    static constexpr const char* kService = "org.freedesktop.Notifications";
    static constexpr const char* kPath = "/org/freedesktop/Notifications";
    static constexpr const char* kInterface = "org.freedesktop.Notifications";
    // The server's own default for how long a notification stays.
    static constexpr int kDefaultExpiry = -1;

    explicit DbusNotifier(QString applicationName, QDBusConnection bus = QDBusConnection::sessionBus(),
                          QObject* parent = nullptr);

    // False when there is no session bus, no notification server, or the message could not
    // be queued.
    bool notify(const std::string& title, const std::string& body) override;

    // Whether a server is known to be there; nothing while the bus has not answered yet.
    std::optional<bool> serverAvailable() const;

private:
    void askBus(const QString& method, std::optional<bool>& answer);

    QString m_applicationName;
    QDBusConnection m_bus;
    QDBusServiceWatcher* m_watcher = nullptr;
    std::optional<bool> m_owned;
    std::optional<bool> m_activatable;
};

}  // namespace cm
