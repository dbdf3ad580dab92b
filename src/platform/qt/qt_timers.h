#pragma once

#include <QObject>
#include <unordered_map>

#include "shell/timers.h"

class QTimer;

namespace cm {

// The Timers port on Qt's event loop (QtCore only, so the terminal program can use it).
class QtTimers final : public QObject, public Timers {
    Q_OBJECT
public:
    explicit QtTimers(QObject* parent = nullptr);
    ~QtTimers() override;

    TimerId singleShot(std::chrono::milliseconds delay, Callback callback) override;
    TimerId periodic(std::chrono::milliseconds interval, Callback callback) override;
    void cancel(TimerId id) override;

private:
    TimerId add(std::chrono::milliseconds interval, bool single, Callback callback);
    std::unordered_map<TimerId, QTimer*> m_timers;
    TimerId m_next = 1;
};

}  // namespace cm
