#pragma once

#include <string_view>

#include "shell/runtime.h"
#include "store/store_error.h"

namespace cm {

class Transaction;

// Reports store failures through the standard warnings. Before a warning is shown the error is
// saved and the open transaction rolled back, so the box never waits with the store locked and
// what it shows cannot be overwritten by the roll-back. Warnings 1 to 5 end the program after
// their OK, as StandardWarnings does.
//
// A reporter made without a runtime is silent: it rolls back and remembers the failure but
// shows nothing, and answers with the warning's default button (Cancel where there is one).
// The program's own deletes use it, since their callers report failures in their own way.
class WarningReporter {
public:
    WarningReporter() = default;
    explicit WarningReporter(Runtime& runtime) : m_runtime(&runtime) {}

    Runtime* runtime() const { return m_runtime; }
    bool silent() const { return m_runtime == nullptr; }

    // open, when given, is rolled back first; so is the transaction being tracked.
    Button show(int number, std::string_view name = {}, std::string_view text2 = {}, const StoreError& error = {},
                Transaction* open = nullptr);

    // The transaction of the operation now running, rolled back by any warning meanwhile.
    class Tracking {
    public:
        Tracking(WarningReporter& reporter, Transaction& transaction);
        ~Tracking();
        Tracking(const Tracking&) = delete;
        Tracking& operator=(const Tracking&) = delete;

    private:
        WarningReporter& m_reporter;
        Transaction* m_previous;
    };

    // The error saved for the warning on screen; cleared once the warning is answered.
    const StoreError& savedError() const { return m_saved; }
    // The last warning reported and its error, kept for callers that must tell why they failed.
    int lastWarning() const { return m_lastWarning; }
    const StoreError& lastError() const { return m_lastError; }
    void clearLast();

private:
    Runtime* m_runtime = nullptr;
    Transaction* m_tracked = nullptr;
    StoreError m_saved;
    int m_lastWarning = 0;
    StoreError m_lastError;
};

}  // namespace cm
