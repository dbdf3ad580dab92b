#pragma once

#include <QObject>
#include <functional>

#include "shell/sound.h"

class QSoundEffect;

namespace cm {

// The Sound port on Qt Multimedia. Playing never blocks: each sound plays on its own effect,
// kept alive until it has played or turned out to be unplayable.
class QtSound final : public QObject, public Sound {
    Q_OBJECT
public:
    // beep: the desktop beep; the terminal program has none and rings the terminal bell.
    explicit QtSound(std::function<void()> beep = {}, QObject* parent = nullptr);
    ~QtSound() override;

    bool play(const std::string& file) override;
    void beep() override;

    // Effects still loading or playing.
    int activeCount() const;

private:
    std::function<void()> m_beep;
};

}  // namespace cm
