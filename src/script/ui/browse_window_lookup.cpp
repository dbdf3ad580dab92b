#include "script/ui/browse_window_lookup.h"

#include "script/ui/update_window_lookup.h"
#include "script/window_lookup_form.h"
#include "script/window_lookup_list.h"
#include "shell/settings.h"
#include "store/table_registry.h"
#include "store/tables/table_catalog.h"

namespace cm {

namespace {
constexpr const char* kHelpTopic = "scripts";
}

BrowseWindowLookup* BrowseWindowLookup::create(Runtime& runtime, const Clock& clock, const Settings& settings,
                                               std::filesystem::path positionIni, QWidget* parent) {
    auto* window = new BrowseWindowLookup(runtime, clock, settings, std::move(positionIni), parent);
    if (!window->model()) {
        delete window;
        return nullptr;
    }
    return window;
}

BrowseWindowLookup::BrowseWindowLookup(Runtime& runtime, const Clock& clock, const Settings& settings,
                                       std::filesystem::path positionIni, QWidget* parent)
    : ListWindow(runtime, positionIni, parent),
      m_runtime(runtime),
      m_clock(clock),
      m_datePicture(settings.dateFormat),
      m_positionIni(std::move(positionIni)),
      m_table(windowLookupLayout(), std::string(findTable("WindowLookup")->declaredName)),
      m_use(std::make_unique<TableUse>(m_table, runtime)),
      m_reporter(runtime) {
    if (!m_use->open()) return;
    ListWindowSetup setup;
    setup.procedure = WindowLookupList::kProcedure;
    setup.caption = WindowLookupList::kCaption;
    setup.icon = WindowLookupList::kIcon;
    setup.helpTopic = kHelpTopic;
    build(std::make_unique<ListController>(m_table, WindowLookupList::design(m_datePicture), m_reporter),
          std::move(setup));
}

BrowseWindowLookup::~BrowseWindowLookup() { delete m_form; }

void BrowseWindowLookup::openForm(FormMode mode, std::int64_t recordNumber) {
    auto form = std::make_unique<WindowLookupForm>(mode, recordNumber, m_runtime, m_clock, m_datePicture, m_lastSaved);
    if (!form->open()) {
        formEnded(mode, false, recordNumber);
        return;
    }
    if (mode == FormMode::Delete) {
        form->ok();
        formEnded(mode, form->written(), recordNumber);
        return;
    }
    m_form = new UpdateWindowLookup(std::move(form), m_positionIni, this);
    m_form->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_form, &UpdateWindowLookup::ended, this,
            [this, mode](bool written, qint64 record) { formEnded(mode, written, record); });
    m_form->open();
}

void BrowseWindowLookup::otherButton(int id) {
    if (id == WindowLookupList::kCloseId) close();
}

}  // namespace cm
