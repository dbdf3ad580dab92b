#include "platform/qt/dbus_dde.h"

#include <QDBusMessage>
#include <QVariant>

#include "engine/command_line.h"

namespace cm {

namespace {

QString trimmedField(const std::string& text) { return QString::fromStdString(text).trimmed(); }

// D-Bus object paths: "/" or "/"-separated elements of [A-Za-z0-9_], none empty.
bool validObjectPath(const QString& path) {
    if (path == QLatin1String("/")) return true;
    if (!path.startsWith(QLatin1Char('/')) || path.endsWith(QLatin1Char('/'))) return false;
    QChar previous;
    for (const QChar c : path) {
        const bool ok = (c.isLetterOrNumber() && c.unicode() < 0x80) || c == QLatin1Char('_') || c == QLatin1Char('/');
        if (!ok || (c == QLatin1Char('/') && previous == QLatin1Char('/'))) return false;
        previous = c;
    }
    return true;
}

}  // namespace

DbusDde::DbusDde(QDBusConnection bus) : m_bus(std::move(bus)) {}

bool DbusDde::hasOwner(const QString& service) {
    QDBusMessage query = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
                                                        QStringLiteral("/org/freedesktop/DBus"),
                                                        QStringLiteral("org.freedesktop.DBus"),
                                                        QStringLiteral("NameHasOwner"));
    query << service;
    const QDBusMessage reply = m_bus.call(query, QDBus::Block, kOwnerQueryTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
           reply.arguments().constFirst().toBool();
}

int DbusDde::open(const std::string& application, const std::string& topic) {
    if (!m_bus.isConnected()) return 0;
    const QString service = trimmedField(application);
    QString path = trimmedField(topic);
    if (!path.startsWith(QLatin1Char('/'))) path.prepend(QLatin1Char('/'));
    if (service.isEmpty() || !validObjectPath(path) || !hasOwner(service)) return 0;
    const int channel = m_next++;
    m_channels[channel] = Channel{service, path};
    return channel;
}

bool DbusDde::execute(int channel, const std::string& command) {
    const auto found = m_channels.find(channel);
    if (found == m_channels.end()) return false;
    const std::vector<std::string> words = CommandLine::splitWords(command);
    if (words.empty()) return false;

    const QString call = QString::fromStdString(words.front());
    const qsizetype dot = call.lastIndexOf(QLatin1Char('.'));
    const QString interface = dot < 0 ? QString() : call.left(dot);
    const QString method = dot < 0 ? call : call.mid(dot + 1);
    if (method.isEmpty()) return false;

    QDBusMessage message = QDBusMessage::createMethodCall(found->second.service, found->second.path, interface, method);
    if (message.type() != QDBusMessage::MethodCallMessage) return false;
    QVariantList arguments;
    for (std::size_t i = 1; i < words.size(); ++i) arguments << QString::fromStdString(words[i]);
    message.setArguments(arguments);
    // The peer must be running already; the bus is not to start one for this call.
    message.setAutoStartService(false);
    return m_bus.send(message);
}

void DbusDde::close(int channel) { m_channels.erase(channel); }

}  // namespace cm
