#pragma once

#include <QPointer>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "script/ui/update_window_lookup.h"
#include "shell/ui/list_window.h"
#include "store/table_handle.h"
#include "store/tables/window_lookup_record.h"
#include "store/warning_reporter.h"

namespace cm {

class Clock;
class TableUse;
struct Settings;

// BrowseWindowLookup: the window titles the monitor recorded, by title or by date, with the
// form to add, change and delete them. It reads through a WindowLookup handle of its own.
class BrowseWindowLookup final : public ListWindow {
    Q_OBJECT
public:
    // Nothing when WindowLookup cannot be opened: the standard warning has been shown.
    static BrowseWindowLookup* create(Runtime& runtime, const Clock& clock, const Settings& settings,
                                      std::filesystem::path positionIni, QWidget* parent = nullptr);
    ~BrowseWindowLookup() override;

    // The form now open over the list, if any.
    UpdateWindowLookup* form() const { return m_form; }

protected:
    void openForm(FormMode mode, std::int64_t recordNumber) override;
    void otherButton(int id) override;

private:
    BrowseWindowLookup(Runtime& runtime, const Clock& clock, const Settings& settings,
                       std::filesystem::path positionIni, QWidget* parent);

    Runtime& m_runtime;
    const Clock& m_clock;
    std::string m_datePicture;
    std::filesystem::path m_positionIni;
    Table<WindowLookupRecord> m_table;
    std::unique_ptr<TableUse> m_use;
    WarningReporter m_reporter;
    // The record last saved with the form, for its ditto: it outlives each form.
    std::optional<WindowLookupRecord> m_lastSaved;
    QPointer<UpdateWindowLookup> m_form;
};

}  // namespace cm
