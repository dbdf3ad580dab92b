#include "store/warning_reporter.h"

#include "store/standard_warnings.h"
#include "store/transaction.h"

namespace cm {

WarningReporter::Tracking::Tracking(WarningReporter& reporter, Transaction& transaction)
    : m_reporter(reporter), m_previous(reporter.m_tracked) {
    reporter.m_tracked = &transaction;
}

WarningReporter::Tracking::~Tracking() {
    m_reporter.m_tracked = m_previous;
}

Button WarningReporter::show(int number, std::string_view name, std::string_view text2, const StoreError& error,
                             Transaction* open) {
    // Copied first: the error may belong to a handle or transaction that the roll-back resets.
    m_saved = error;
    if (open != nullptr) open->rollback();
    if (m_tracked != nullptr) m_tracked->rollback();
    m_lastWarning = number;
    m_lastError = m_saved;

    Button answer = Button::Ok;
    if (m_runtime != nullptr) {
        answer = StandardWarnings::show(*m_runtime, number, name, text2, m_saved);
    } else if (const StandardWarning* w = StandardWarnings::find(number)) {
        answer = w->defaultButton;
    }
    m_saved.clear();
    return answer;
}

void WarningReporter::clearLast() {
    m_lastWarning = 0;
    m_lastError.clear();
}

}  // namespace cm
