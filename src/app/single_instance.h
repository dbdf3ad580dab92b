#pragma once

#include <QObject>
#include <QString>
#include <filesystem>
#include <functional>

class QLocalServer;

namespace cm {

// The desktop program's answer to a second start on the same data folder: the running one
// listens on a local socket named after the folder, the second connects, asks it to come to
// the front and exits.
class SingleInstance final : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kRaiseRequest = "raise";

    explicit SingleInstance(const std::filesystem::path& dataFolder, QObject* parent = nullptr);

    // The socket name: the user and a hash of the folder's canonical path.
    static QString serverName(const std::filesystem::path& dataFolder);
    // In the second instance: true when the running one took the request.
    static bool askToRaise(const std::filesystem::path& dataFolder, int timeoutMs = 2000);

    // In the running instance; onRaise runs for every request.
    bool listen(std::function<void()> onRaise);

private:
    QString m_name;
    QLocalServer* m_server = nullptr;
    std::function<void()> m_onRaise;
};

}  // namespace cm
