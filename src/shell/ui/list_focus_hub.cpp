#include "shell/ui/list_focus_hub.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <functional>
#include <utility>

#include "shell/ui/list_window.h"
#include "shell/ui/main_window.h"

namespace cm {

namespace {

QPointer<ListFocusHub>& theHub() {
    static QPointer<ListFocusHub> hub;
    return hub;
}

}  // namespace

ListFocusHub::ListFocusHub(MainWindow& frame) : QObject(&frame), m_frame(frame) {
    setObjectName("listFocusHub");
    theHub() = this;
    using C = FrameCommand;
    using Action = std::function<void(ListWindow&)>;
    const std::pair<C, Action> commands[] = {
        {C::ListInsert, [](ListWindow& w) { w.pressAction(ListAction::Insert); }},
        {C::ListChange, [](ListWindow& w) { w.pressAction(ListAction::Change); }},
        {C::ListDelete, [](ListWindow& w) { w.pressAction(ListAction::Delete); }},
        {C::ListFirstPage, [](ListWindow& w) { w.controller().top(); }},
        {C::ListPriorPage, [](ListWindow& w) { w.controller().pageUp(); }},
        {C::ListNextPage, [](ListWindow& w) { w.controller().pageDown(); }},
        {C::ListLastPage, [](ListWindow& w) { w.controller().bottom(); }},
        {C::ListPriorRecord, [](ListWindow& w) { w.controller().lineUp(); }},
        {C::ListNextRecord, [](ListWindow& w) { w.controller().lineDown(); }},
        {C::ListHelp, [](ListWindow& w) { w.showHelp(); }},
    };
    const QPointer<ListFocusHub> self(this);
    for (const auto& [command, action] : commands) {
        frame.setCommandHandler(command, [self, action] {
            if (!self) return;
            if (ListWindow* list = self->current()) action(*list);
        });
    }
    connect(qApp, &QApplication::focusChanged, this, &ListFocusHub::refresh);
    connect(frame.mdiArea(), &QMdiArea::subWindowActivated, this, &ListFocusHub::refresh);
    refresh();
}

ListFocusHub::~ListFocusHub() {
    if (theHub() == this) theHub() = nullptr;
}

ListWindow* ListFocusHub::current() const {
    QWidget* active = QApplication::activeWindow();
    if (!active) return nullptr;
    if (active == &m_frame) {
        QMdiSubWindow* sub = m_frame.mdiArea()->currentSubWindow();
        auto* list = sub ? qobject_cast<ListWindow*>(sub->widget()) : nullptr;
        return list && list->model() && sub->isVisible() ? list : nullptr;
    }
    auto* list = qobject_cast<ListWindow*>(active);
    return list && list->model() ? list : nullptr;
}

void ListFocusHub::refresh() {
    m_refreshQueued = false;
    m_frame.setListFocus(current() != nullptr);
}

void ListFocusHub::listsChanged() {
    ListFocusHub* hub = theHub();
    if (!hub || hub->m_refreshQueued) return;
    hub->m_refreshQueued = true;
    QMetaObject::invokeMethod(hub, &ListFocusHub::refresh, Qt::QueuedConnection);
}

}  // namespace cm
