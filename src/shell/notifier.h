#pragma once

#include <string>

namespace cm {

// Desktop notifications (freedesktop), used by the terminal monitor and the message helper.
class Notifier {
public:
    virtual ~Notifier() = default;
    virtual bool notify(const std::string& title, const std::string& body) = 0;
};

}  // namespace cm
