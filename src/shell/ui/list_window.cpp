#include "shell/ui/list_window.h"

#include <QApplication>
#include <QBoxLayout>
#include <QCloseEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTableView>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "base/date.h"
#include "base/ini_file.h"
#include "base/picture.h"
#include "base/time_of_day.h"
#include "shell/placement.h"
#include "shell/runtime.h"
#include "shell/ui/icons.h"
#include "shell/ui/list_focus_hub.h"
#include "shell/ui/list_model.h"
#include "shell/ui/qt_placement.h"
#include "shell/ui/qt_text.h"

namespace cm {

namespace {

constexpr int kThumbPageStep = 10;
constexpr int kMinimumLines = 3;
constexpr int kWheelNotch = 120;


// "&Add" -> "addButton", "Mark &Done" -> "markDoneButton".
QString buttonObjectName(std::string_view text) {
    QString name;
    bool upper = false;
    for (const QChar c : qs(text)) {
        if (c == '&') continue;
        if (!c.isLetterOrNumber()) {
            upper = !name.isEmpty();
            continue;
        }
        name += name.isEmpty() ? c.toLower() : upper ? c.toUpper() : c;
        upper = false;
    }
    return name + "Button";
}

QString lowerFirst(const QString& text) { return text.isEmpty() ? text : text.front().toLower() + text.mid(1); }

// The list's view, as big as its designed columns and lines, so layouts size the window by it.
class ListTableView final : public QTableView {
public:
    using QTableView::QTableView;
    void setDesignedSize(QSize size) {
        m_designed = size;
        updateGeometry();
    }
    QSize sizeHint() const override { return m_designed.isValid() ? m_designed : QTableView::sizeHint(); }

private:
    QSize m_designed;
};

// The widest text a date or time column shows, over samples of every month and both halves
// of the day; 0 for a column of another picture.
int widestSample(const QFontMetrics& metrics, const std::string& pictureText) {
    const Picture picture = Picture::compile(pictureText);
    QStringList samples;
    if (picture.kind() == PictureKind::Date) {
        for (int month = 1; month <= 12; ++month)
            samples << QString::fromStdString(picture.formatDate(Date::fromYmd(2026, month, 28)));
    } else if (picture.kind() == PictureKind::Time) {
        for (const int hour : {10, 12, 22, 23})
            samples << QString::fromStdString(picture.formatTime(Time::fromHms(hour, 58, 58)));
    }
    int widest = 0;
    for (const QString& sample : samples) widest = std::max(widest, metrics.horizontalAdvance(sample));
    return widest;
}

}  // namespace

ListWindow::ListWindow(Runtime& runtime, std::filesystem::path positionIni, QWidget* parent)
    : QWidget(parent), m_runtime(runtime), m_positionIni(std::move(positionIni)) {}

ListWindow::~ListWindow() {
    // The view and the model read the controller: they go before it does.
    delete m_view;
    delete m_model;
    ListFocusHub::listsChanged();
}

QPushButton* ListWindow::button(int index) const {
    return index >= 0 && static_cast<std::size_t>(index) < m_buttons.size() ? m_buttons[static_cast<std::size_t>(index)]
                                                                             : nullptr;
}

void ListWindow::build(std::unique_ptr<ListController> controller, ListWindowSetup setup) {
    m_controller = std::move(controller);
    m_setup = std::move(setup);
    setObjectName(lowerFirst(qs(m_setup.procedure)));
    setWindowTitle(qs(m_setup.caption));
    if (!m_setup.icon.empty()) setWindowIcon(programIcon(m_setup.icon));

    m_model = new ListModel(*m_controller, this);
    m_view = new ListTableView(this);
    m_view->setObjectName("listView");
    m_view->setModel(m_model);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_view->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_view->setAutoScroll(false);
    m_view->setTabKeyNavigation(false);
    m_view->setShowGrid(false);
    m_view->setWordWrap(false);
    m_view->setCornerButtonEnabled(false);
    m_view->setContextMenuPolicy(Qt::CustomContextMenu);
    QHeaderView* rows = m_view->verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setMinimumSectionSize(1);
    rows->setDefaultSectionSize(m_view->fontMetrics().height() + m_view->fontMetrics().height() / 3);
    QHeaderView* columns = m_view->horizontalHeader();
    columns->setHighlightSections(false);
    columns->setSectionsMovable(false);
    columns->setStretchLastSection(false);
    m_view->setMinimumHeight(columns->sizeHint().height() + kMinimumLines * rowHeight() + 2 * m_view->frameWidth());

    m_thumb = new QScrollBar(Qt::Vertical, this);
    m_thumb->setObjectName("listThumb");
    m_thumb->setRange(1, ThumbTable::kPositions);
    m_thumb->setPageStep(kThumbPageStep);
    // The page follows the thumb where it is let go, not every position it passes.
    m_thumb->setTracking(false);
    m_thumb->setFocusPolicy(Qt::NoFocus);
    m_thumb->setContextMenuPolicy(Qt::PreventContextMenu);

    const ListDesign& design = m_controller->design();
    if (design.tabs.size() > 1) {
        m_tabs = new QTabBar(this);
        m_tabs->setObjectName("listTabs");
        m_tabs->setExpanding(false);
        m_tabs->setDrawBase(false);
        for (const ListTab& tab : design.tabs) m_tabs->addTab(qs(tab.title));
        connect(m_tabs, &QTabBar::currentChanged, this, [this](int tab) {
            if (!m_following && tab >= 0) m_controller->selectTab(tab);
        });
    }

    auto* listRow = new QHBoxLayout;
    listRow->setSpacing(0);
    listRow->addWidget(m_view, 1);
    listRow->addWidget(m_thumb);
    auto* listArea = new QVBoxLayout;
    listArea->setSpacing(0);
    if (m_tabs) listArea->addWidget(m_tabs);
    listArea->addLayout(listRow, 1);

    QBoxLayout* outer = m_setup.buttons == Qt::Horizontal ? static_cast<QBoxLayout*>(new QVBoxLayout(this))
                                                         : static_cast<QBoxLayout*>(new QHBoxLayout(this));
    outer->addLayout(listArea, 1);
    auto* buttons = m_setup.buttons == Qt::Horizontal ? static_cast<QBoxLayout*>(new QHBoxLayout)
                                                     : static_cast<QBoxLayout*>(new QVBoxLayout);
    buildButtons(buttons);
    outer->addLayout(buttons);

    restoreColumnLayout();
    applyColumns();

    m_view->installEventFilter(this);
    m_view->viewport()->installEventFilter(this);
    m_thumb->installEventFilter(this);
    connect(m_model, &ListModel::pageChanged, this, &ListWindow::follow);
    connect(m_view, &QAbstractItemView::pressed, this, [this](const QModelIndex& index) {
        if (index.isValid()) m_controller->highlight(index.row());
    });
    connect(m_view, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (!index.isValid()) return;
        if (const auto b = m_controller->buttonForKey(ListKey::DoubleClick)) press(*b);
    });
    connect(m_view, &QWidget::customContextMenuRequested, this, &ListWindow::popupMenu);
    connect(m_thumb, &QAbstractSlider::actionTriggered, this, &ListWindow::thumbAction);

    // The program ends without closing its child windows; one still open remembers itself then.
    connect(qApp, &QCoreApplication::aboutToQuit, this, &ListWindow::remember);

    // The designed page until the view knows how many lines it really shows.
    m_controller->setPageSize(m_setup.lines);
    m_controller->open();
    follow();
    setFocusProxy(m_view);
    ListFocusHub::listsChanged();
}

void ListWindow::buildButtons(QBoxLayout* layout) {
    const bool row = m_setup.buttons == Qt::Horizontal;
    if (row) layout->addStretch(1);
    const auto& declared = m_controller->design().buttons;
    for (std::size_t i = 0; i < declared.size(); ++i) {
        auto* b = new QPushButton(qs(declared[i].text), this);
        b->setObjectName(buttonObjectName(declared[i].text));
        // Enter belongs to the list and the forms, never to a button that happens to be default.
        b->setAutoDefault(false);
        const int index = static_cast<int>(i);
        connect(b, &QPushButton::clicked, this, [this, index] { press(index); });
        if (declared[i].separatorBefore && i > 0) layout->addSpacing(style()->pixelMetric(QStyle::PM_LayoutHorizontalSpacing) * 2);
        layout->addWidget(b);
        m_buttons.push_back(b);
    }
    if (!row) layout->addStretch(1);
}

int ListWindow::rowHeight() const { return m_view ? m_view->verticalHeader()->defaultSectionSize() : 1; }

int ListWindow::dialogUnitsToPixels(int units) const {
    const QFontMetrics metrics = m_view ? m_view->fontMetrics() : fontMetrics();
    return static_cast<int>(std::lround(units * metrics.averageCharWidth() / 4.0));
}

int ListWindow::pixelsToDialogUnits(int pixels) const {
    const QFontMetrics metrics = m_view ? m_view->fontMetrics() : fontMetrics();
    return static_cast<int>(std::lround(pixels * 4.0 / std::max(1, metrics.averageCharWidth())));
}

void ListWindow::applyColumns() {
    QHeaderView* header = m_view->horizontalHeader();
    const auto& columns = m_controller->format().columns();
    // Narrow designed columns (an icon) keep their width, so a layout comes back as stored.
    int narrowest = header->minimumSectionSize();
    for (const ListColumn& column : columns) narrowest = std::min(narrowest, columnPixels(column));
    header->setMinimumSectionSize(std::max(1, narrowest));
    for (std::size_t i = 0; i < columns.size() && static_cast<int>(i) < header->count(); ++i) {
        const int section = static_cast<int>(i);
        header->setSectionResizeMode(section, columns[i].resizable ? QHeaderView::Interactive : QHeaderView::Fixed);
        header->resizeSection(section, columnPixels(columns[i]));
    }
    int width = 2 * m_view->frameWidth();
    for (int i = 0; i < header->count(); ++i) width += header->sectionSize(i);
    const int height = 2 * m_view->frameWidth() + header->sizeHint().height() + m_setup.lines * rowHeight();
    static_cast<ListTableView*>(m_view)->setDesignedSize({width, height});
}

// Dialog units were made for a narrower font than most desktops use: a designed date or time
// column is widened to what its picture shows rather than cut off. A layout the user made is
// taken as it is.
int ListWindow::columnPixels(const ListColumn& column) const {
    if (m_userLayout) return dialogUnitsToPixels(column.width);
    // The style's text margins on both sides, and a character to spare for rounding.
    const int margin = 2 * (m_view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_view) + 1) +
                       m_view->fontMetrics().averageCharWidth();
    const int widest = widestSample(m_view->fontMetrics(), column.picture);
    return std::max(dialogUnitsToPixels(column.width), widest > 0 ? widest + margin : 0);
}

void ListWindow::restoreColumnLayout() {
    if (m_positionIni.empty()) return;
    IniFile file(m_positionIni);
    const auto saved = Placement::openColumnLayout(file, m_setup.procedure, m_controller->design().format);
    if (!saved) return;
    // A damaged layout, or one made for other columns, is passed over: the design stays.
    const auto layout = ListFormat::parse(*saved);
    if (!layout || !layout->sameColumns(m_controller->format())) return;
    // Without a stored layout the design itself comes back: that is no layout of the user's.
    if (*saved == m_controller->design().format) return;
    m_controller->setFormat(*layout);
    m_model->reloadFormat();
    m_userLayout = true;
}

void ListWindow::saveColumnLayout() {
    if (m_positionIni.empty()) return;
    ListFormat format = m_controller->format();
    const QHeaderView* header = m_view->horizontalHeader();
    for (int i = 0; i < header->count() && static_cast<std::size_t>(i) < format.columns().size(); ++i)
        format.setWidth(i, pixelsToDialogUnits(header->sectionSize(i)));
    IniFile file(m_positionIni);
    Placement::closeColumnLayout(file, m_setup.procedure, format.text());
}

QWidget* ListWindow::placementWidget() {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) return sub;
    return window();
}

QMdiSubWindow* ListWindow::showIn(QMdiArea& area) {
    QMdiSubWindow* sub = area.addSubWindow(this);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->setObjectName(objectName() + "SubWindow");
    sub->setWindowIcon(windowIcon());
    sub->resize(sub->sizeHint());
    sub->show();
    m_view->setFocus();
    return sub;
}

void ListWindow::follow() {
    m_following = true;
    const int row = m_controller->highlighted();
    if (QItemSelectionModel* selection = m_view->selectionModel()) {
        if (row >= 0 && row < m_model->rowCount())
            selection->setCurrentIndex(m_model->index(row, 0),
                                       QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        else
            selection->clear();
    }
    m_view->verticalScrollBar()->setValue(0);
    if (!m_thumb->isSliderDown()) m_thumb->setValue(m_controller->thumbPosition());
    if (m_tabs && m_tabs->currentIndex() != m_controller->tab()) m_tabs->setCurrentIndex(m_controller->tab());
    for (std::size_t i = 0; i < m_buttons.size(); ++i)
        m_buttons[i]->setEnabled(m_controller->buttonEnabled(static_cast<int>(i)));
    m_following = false;
}

void ListWindow::updatePageSize() {
    m_pageSizeQueued = false;
    const int lines = std::max(1, m_view->viewport()->height() / std::max(1, rowHeight()));
    if (lines != m_controller->pageSize()) m_controller->setPageSize(lines);
}

void ListWindow::press(int index) {
    if (!m_controller || !button(index) || !m_controller->buttonEnabled(index)) return;
    const ListButton& b = m_controller->design().buttons[static_cast<std::size_t>(index)];
    switch (b.action) {
        case ListAction::Insert:
            openForm(FormMode::Insert, 0);
            break;
        case ListAction::Change:
        case ListAction::Delete: {
            // The record is read again by its position, with a watch, before the form sees it.
            if (!m_controller->rereadHighlighted()) return;
            const int row = m_controller->highlighted();
            if (row < 0) return;
            const std::int64_t record = m_controller->rows()[static_cast<std::size_t>(row)].recordNumber;
            openForm(b.action == ListAction::Change ? FormMode::Change : FormMode::Delete, record);
            break;
        }
        case ListAction::Other:
            otherButton(b.id);
            break;
    }
}

bool ListWindow::pressAction(ListAction action) {
    const auto& declared = m_controller->design().buttons;
    for (std::size_t i = 0; i < declared.size(); ++i) {
        if (declared[i].action != action || !m_controller->buttonEnabled(static_cast<int>(i))) continue;
        press(static_cast<int>(i));
        return true;
    }
    return false;
}

void ListWindow::showHelp() { m_runtime.showHelp(m_setup.helpTopic); }

void ListWindow::openForm(FormMode, std::int64_t) {}

void ListWindow::otherButton(int) {}

void ListWindow::formEnded(FormMode mode, bool written, std::int64_t recordNumber) {
    if (!written)
        m_controller->refresh();
    else if (mode == FormMode::Delete)
        m_controller->rebuildAfterDelete();
    else
        m_controller->rebuildShowing(recordNumber);
    if (isVisible()) m_view->setFocus();
}

void ListWindow::popupMenu(const QPoint& at) {
    const QModelIndex index = m_view->indexAt(at);
    if (index.isValid()) m_controller->highlight(index.row());
    const std::string text = m_controller->popupMenuText();
    if (text.empty()) return;
    if (const auto b = m_controller->buttonForMenuEntry(m_runtime.popupMenu(text))) press(*b);
}

void ListWindow::thumbAction(int action) {
    switch (action) {
        case QAbstractSlider::SliderSingleStepAdd:
            m_controller->lineDown();
            break;
        case QAbstractSlider::SliderSingleStepSub:
            m_controller->lineUp();
            break;
        case QAbstractSlider::SliderPageStepAdd:
            m_controller->pageDown();
            break;
        case QAbstractSlider::SliderPageStepSub:
            m_controller->pageUp();
            break;
        case QAbstractSlider::SliderToMinimum:
            m_controller->top();
            break;
        case QAbstractSlider::SliderToMaximum:
            m_controller->bottom();
            break;
        case QAbstractSlider::SliderMove:
            // Without tracking this comes once, where the thumb was let go or clicked to.
            if (m_thumb->isSliderDown()) return;
            m_controller->thumbTo(m_thumb->sliderPosition());
            break;
        default:
            return;
    }
    // The slider applies this position once the action returns: where the controller put it.
    m_thumb->setSliderPosition(m_controller->thumbPosition());
}

bool ListWindow::listKey(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const bool plain = modifiers == Qt::NoModifier || modifiers == Qt::ShiftModifier;
    const bool control = modifiers == Qt::ControlModifier;
    const auto pressKey = [this](ListKey key) {
        if (const auto b = m_controller->buttonForKey(key)) press(*b);
    };
    switch (event->key()) {
        case Qt::Key_Up:
            if (!plain) return false;
            m_controller->lineUp();
            return true;
        case Qt::Key_Down:
            if (!plain) return false;
            m_controller->lineDown();
            return true;
        case Qt::Key_PageUp:
            if (!plain) return false;
            m_controller->pageUp();
            return true;
        case Qt::Key_PageDown:
            if (!plain) return false;
            m_controller->pageDown();
            return true;
        case Qt::Key_Home:
            if (!plain && !control) return false;
            m_controller->top();
            return true;
        case Qt::Key_End:
            if (!plain && !control) return false;
            m_controller->bottom();
            return true;
        case Qt::Key_Insert:
            if (!plain) return false;
            pressKey(ListKey::Insert);
            return true;
        case Qt::Key_Delete:
            if (!plain) return false;
            pressKey(ListKey::Delete);
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (!control) return false;
            pressKey(ListKey::CtrlEnter);
            return true;
        case Qt::Key_F1:
            showHelp();
            return true;
        default:
            break;
    }
    if (!plain) return false;
    const QString text = event->text();
    if (text.isEmpty() || !text.front().isPrint()) return false;
    for (const char32_t c : text.toUcs4())
        if (QChar::isPrint(c)) m_controller->locate(c);
    return true;
}

void ListWindow::wheel(QWheelEvent* event) {
    m_wheelRemainder += event->angleDelta().y();
    const int notches = m_wheelRemainder / kWheelNotch;
    m_wheelRemainder -= notches * kWheelNotch;
    const int lines = std::abs(notches) * QApplication::wheelScrollLines();
    for (int i = 0; i < lines; ++i) notches > 0 ? m_controller->lineUp() : m_controller->lineDown();
}

bool ListWindow::eventFilter(QObject* watched, QEvent* event) {
    if (!m_controller) return QWidget::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::ShortcutOverride:
            // The list's own keys come to the list before any shortcut of the frame.
            if (watched == m_view) {
                auto* key = static_cast<QKeyEvent*>(event);
                const bool ours = key->key() == Qt::Key_Delete || key->key() == Qt::Key_Insert ||
                                  key->key() == Qt::Key_Home || key->key() == Qt::Key_End ||
                                  ((key->modifiers() & ~Qt::ShiftModifier) == Qt::NoModifier && !key->text().isEmpty() &&
                                   key->text().front().isPrint());
                if (ours) event->accept();
            }
            break;
        case QEvent::KeyPress:
            if (watched == m_view && listKey(static_cast<QKeyEvent*>(event))) return true;
            break;
        case QEvent::Wheel:
            if (watched == m_view->viewport() || watched == m_thumb) {
                auto* w = static_cast<QWheelEvent*>(event);
                if (w->angleDelta().y() == 0) break;
                wheel(w);
                return true;
            }
            break;
        case QEvent::Resize:
            // Looked at once the layout has settled: a resize made while the view is being
            // shown, or by the page change itself (the horizontal bar coming or going), sends
            // no event of its own.
            if (watched == m_view->viewport() && !m_pageSizeQueued) {
                m_pageSizeQueued = true;
                QMetaObject::invokeMethod(this, &ListWindow::updatePageSize, Qt::QueuedConnection);
            }
            break;
        default:
            break;
    }
    return QWidget::eventFilter(watched, event);
}

void ListWindow::showEvent(QShowEvent* event) {
    if (!m_placed && m_controller) {
        m_placed = true;
        if (!m_positionIni.empty()) {
            QtPlacement placement(*placementWidget());
            Placement::restore(IniFile(m_positionIni), m_setup.procedure, placement);
        }
    }
    QWidget::showEvent(event);
    ListFocusHub::listsChanged();
}

void ListWindow::remember() {
    if (m_saved || !m_controller) return;
    m_saved = true;
    if (!m_positionIni.empty()) {
        IniFile file(m_positionIni);
        Placement::save(file, m_setup.procedure, QtPlacement(*placementWidget()));
    }
    saveColumnLayout();
}

void ListWindow::closeEvent(QCloseEvent* event) {
    remember();
    event->accept();
    if (!m_closed) {
        m_closed = true;
        emit closed();
    }
    ListFocusHub::listsChanged();
}

}  // namespace cm
