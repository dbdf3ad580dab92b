#include "platform/qt/qt_timers.h"

#include <QTimer>

namespace cm {

QtTimers::QtTimers(QObject* parent) : QObject(parent) {}

QtTimers::~QtTimers() {
    for (auto& [id, timer] : m_timers) delete timer;
}

TimerId QtTimers::add(std::chrono::milliseconds interval, bool single, Callback callback) {
    const TimerId id = m_next++;
    auto* timer = new QTimer(this);
    timer->setTimerType(Qt::PreciseTimer);
    timer->setSingleShot(single);
    timer->setInterval(interval);
    connect(timer, &QTimer::timeout, this, [this, id, single, callback = std::move(callback)] {
        // A single-shot entry is forgotten before its callback runs, so the callback may arm
        // a new timer (the monitor re-arms itself) without touching a dead one.
        if (single) {
            if (auto it = m_timers.find(id); it != m_timers.end()) {
                it->second->deleteLater();
                m_timers.erase(it);
            }
        }
        callback();
    });
    m_timers.emplace(id, timer);
    timer->start();
    return id;
}

TimerId QtTimers::singleShot(std::chrono::milliseconds delay, Callback callback) {
    return add(delay, true, std::move(callback));
}

TimerId QtTimers::periodic(std::chrono::milliseconds interval, Callback callback) {
    return add(interval, false, std::move(callback));
}

void QtTimers::cancel(TimerId id) {
    auto it = m_timers.find(id);
    if (it == m_timers.end()) return;
    it->second->stop();
    it->second->deleteLater();
    m_timers.erase(it);
}

}  // namespace cm
