#pragma once

#include <string>

namespace cm {

// The DDE client of scripts, carried over D-Bus: application = bus name, topic = object path,
// command = "interface.method" followed by string arguments.
class Dde {
public:
    virtual ~Dde() = default;
    // A channel number, or 0 when nobody serves that application.
    virtual int open(const std::string& application, const std::string& topic) = 0;
    virtual bool execute(int channel, const std::string& command) = 0;
    virtual void close(int channel) = 0;
};

}  // namespace cm
