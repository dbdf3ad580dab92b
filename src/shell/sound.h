#pragma once

#include <string>

namespace cm {

class Sound {
public:
    virtual ~Sound() = default;
    // Starts playing a sound file and returns at once; false when it cannot be played.
    virtual bool play(const std::string& file) = 0;
    virtual void beep() = 0;
};

}  // namespace cm
