#pragma once

#include <QDBusConnection>
#include <QString>
#include <map>

#include "shell/dde.h"

namespace cm {

// The DDE client of scripts on the D-Bus session bus: the application is a bus name, the
// topic an object path ("/" is put in front of a topic that lacks it), and a command is
// "interface.method" followed by string arguments, split as a shell splits words. Commands
// are sent without waiting for a reply, so a slow or stuck peer never holds up the program;
// the only wait is the bus's own answer to whether the name has an owner, kept short.
// Failures are silent: a channel of 0, or false.
class DbusDde final : public Dde {
public:
    static constexpr int kOwnerQueryTimeoutMs = 1000;

    explicit DbusDde(QDBusConnection bus = QDBusConnection::sessionBus());

    int open(const std::string& application, const std::string& topic) override;
    bool execute(int channel, const std::string& command) override;
    void close(int channel) override;

private:
    struct Channel {
        QString service;
        QString path;
    };
    bool hasOwner(const QString& service);

    QDBusConnection m_bus;
    std::map<int, Channel> m_channels;
    int m_next = 1;
};

}  // namespace cm
