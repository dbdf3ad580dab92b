#pragma once

#include <string_view>

#include "store/record_image.h"

namespace cm {

class WarningReporter;

// Numbers a new record when its insert form opens, and adds it at once so the number stays
// reserved while the form is open. The key's last component is the number; any earlier
// components (SCR:ID for a step) are taken from the buffer and scope it: a task's steps are
// numbered within the task.
class IdentifierAssigner {
public:
    static constexpr std::string_view kScheduleKey = "SCH:KeyID";
    static constexpr std::string_view kContactKey = "C_:KeyClientID";
    static constexpr std::string_view kScriptingKey = "SCR:KeyID";
    static constexpr int kAttempts = 3;  // adds per round before the user is asked

    enum class Result {
        Reserved,   // the numbered record is added and current
        Cancelled,  // the user gave up after warning 25; the buffer is as it was
        Failed,     // the last number could not be read (warning 35): the form closes
    };

    IdentifierAssigner(RecordRef record, std::string_view keyName, WarningReporter& reporter);

    Result reserve();
    // The number the last reserve() gave.
    std::int64_t value() const { return m_value; }

private:
    // The number after the last one in the scope; false after a read error.
    bool nextValue(std::int64_t& value);

    RecordRef m_record;
    int m_key;
    WarningReporter& m_reporter;
    std::int64_t m_value = 0;
};

}  // namespace cm
