#include "shell/list_controller.h"

#include <algorithm>
#include <limits>

#include "base/case_fold.h"
#include "store/record_image.h"
#include "store/store_error.h"
#include "store/table_handle.h"
#include "store/warning_reporter.h"

namespace cm {

namespace {

constexpr int kWarnRetrieval = 35;
constexpr int kWarnViewOpen = 36;

std::string plainText(const FieldValue& value) {
    if (const auto* text = std::get_if<std::string>(&value)) return *text;
    return std::to_string(std::get<std::int64_t>(value));
}

std::string cellText(const FieldValue& value, const Picture& picture) {
    const auto* number = std::get_if<std::int64_t>(&value);
    if (number == nullptr) return std::get<std::string>(value);
    switch (picture.kind()) {
    case PictureKind::Date: return picture.formatDate(static_cast<std::int32_t>(*number));
    case PictureKind::Time: return picture.formatTime(static_cast<std::int32_t>(*number));
    case PictureKind::Number: return picture.formatNumber(static_cast<double>(*number));
    default: return std::to_string(*number);
    }
}

// Whether a value of the key's first component begins with a typed character, letters
// compared as the key compares them.
bool beginsWith(const FieldValue& value, char32_t typed) {
    const std::string text = plainText(value);
    if (text.empty()) return false;
    std::size_t pos = 0;
    return CaseFold::foldCodePoint(decodeUtf8(text, pos)) == CaseFold::foldCodePoint(typed);
}

}  // namespace

ListController::ListController(TableHandle& table, ListDesign design, WarningReporter& reporter)
    : m_table(table), m_design(std::move(design)), m_reporter(reporter), m_warning(kWarnRetrieval) {
    if (auto format = ListFormat::parse(m_design.format)) m_format = std::move(*format);
    m_allowed.assign(m_design.buttons.size(), true);
    compileColumns();
}

void ListController::setFormat(ListFormat format) {
    // New widths alone leave the cells as they are.
    const bool sameCells = m_format.sameColumns(format);
    m_format = std::move(format);
    if (!sameCells) {
        compileColumns();
        if (!m_rows.empty()) refill(false);
    }
    notify();
}

void ListController::compileColumns() {
    const std::size_t count = std::max(m_format.columns().size(), m_design.fields.size());
    m_columnFields.assign(count, -1);
    m_pictures.assign(count, Picture());
    for (std::size_t i = 0; i < count; ++i) {
        if (i < m_design.fields.size() && !m_design.fields[i].empty())
            m_columnFields[i] = m_table.layout().fieldIndex(m_design.fields[i]);
        if (i < m_format.columns().size() && !m_format.columns()[i].picture.empty())
            m_pictures[i] = Picture::compile(m_format.columns()[i].picture);
    }
}

const ListTab* ListController::currentTab() const {
    if (m_tab < 0 || m_tab >= static_cast<int>(m_design.tabs.size())) return nullptr;
    return &m_design.tabs[static_cast<std::size_t>(m_tab)];
}

void ListController::applyRange() {
    if (m_range.empty())
        m_table.clearRange();
    else
        m_table.setRange(m_key, m_range);
}

bool ListController::accepted() const {
    const ListTab* tab = currentTab();
    return tab == nullptr || !tab->filter || tab->filter();
}

bool ListController::inRange(const std::vector<FieldValue>& key) const {
    for (std::size_t i = 0; i < m_range.size(); ++i)
        if (i >= key.size() || !sameKeyValue(key[i], m_range[i])) return false;
    return true;
}

ListRow ListController::makeRow() const {
    ListRow row;
    row.cells.resize(m_columnFields.size());
    for (std::size_t i = 0; i < m_columnFields.size(); ++i)
        if (m_columnFields[i] >= 0) row.cells[i] = cellText(m_table.fieldValue(m_columnFields[i]), m_pictures[i]);
    if (m_design.cells) m_design.cells(row.cells);
    row.recordNumber = m_table.recordNumber();
    row.key = m_table.keyValues(m_key);
    return row;
}

void ListController::report(const StoreError& error) {
    m_reporter.show(m_warning, m_table.layout().table, {}, error);
    // The walk left some other record in the buffer; the highlighted one goes back, if it can.
    if (m_highlight >= 0) m_table.getByNumber(m_rows[static_cast<std::size_t>(m_highlight)].recordNumber);
}

bool ListController::walkStarted(int code) {
    if (code == StoreCode::kOk) return true;
    report(m_table.lastError());
    return false;
}

bool ListController::read(std::vector<ListRow>& out, bool forward, int count) {
    for (int got = 0; got < count;) {
        const int code = forward ? m_table.next() : m_table.previous();
        if (code == StoreCode::kNoRecord) return true;
        if (code != StoreCode::kOk) {
            report(m_table.lastError());
            return false;
        }
        if (!accepted()) continue;
        out.push_back(makeRow());
        ++got;
    }
    return true;
}

// The page around a place in the order: up to `before` rows before it, then the rows from it
// on (its own record too when inclusive), and more rows before it when the order ends first.
// anchor is the first row from the place on, or the last row when nothing follows it.
bool ListController::pageAround(const std::vector<FieldValue>& key, std::int64_t recordNumber, bool inclusive,
                                int before, std::vector<ListRow>& rows, int& anchor) {
    std::vector<ListRow> back, ahead;  // back in walk order: nearest first
    if (before > 0 && (!walkStarted(m_table.setAfter(m_key, key, recordNumber)) || !read(back, false, before)))
        return false;
    if (!walkStarted(m_table.setAfter(m_key, key, inclusive ? recordNumber - 1 : recordNumber)) ||
        !read(ahead, true, m_pageSize - static_cast<int>(back.size())))
        return false;
    const int missing = m_pageSize - static_cast<int>(back.size() + ahead.size());
    if (missing > 0) {
        const int code = back.empty() ? m_table.setAfter(m_key, key, recordNumber)
                                      : m_table.setAfter(m_key, back.back().key, back.back().recordNumber);
        if (!walkStarted(code) || !read(back, false, missing)) return false;
    }
    rows.assign(std::make_move_iterator(back.rbegin()), std::make_move_iterator(back.rend()));
    anchor = ahead.empty() ? static_cast<int>(rows.size()) - 1 : static_cast<int>(rows.size());
    rows.insert(rows.end(), std::make_move_iterator(ahead.begin()), std::make_move_iterator(ahead.end()));
    return true;
}

bool ListController::showPageAround(const std::vector<FieldValue>& key, std::int64_t recordNumber, bool inclusive,
                                    int before) {
    std::vector<ListRow> rows;
    int anchor = 0;
    if (!pageAround(key, recordNumber, inclusive, before, rows, anchor)) return false;
    show(std::move(rows), anchor);
    return true;
}

// The page from the first record at or after these values of the key's leading components.
bool ListController::showFrom(const std::vector<FieldValue>& values) {
    return showPageAround(values, std::numeric_limits<std::int64_t>::min(), false, 0);
}

bool ListController::readTop() {
    std::vector<ListRow> rows;
    if (!walkStarted(m_table.set(m_key)) || !read(rows, true, m_pageSize)) return false;
    show(std::move(rows), 0);
    return true;
}

bool ListController::readBottom() {
    std::vector<ListRow> rows;
    if (!walkStarted(m_table.set(m_key)) || !read(rows, false, m_pageSize)) return false;
    std::reverse(rows.begin(), rows.end());
    show(std::move(rows), static_cast<int>(rows.size()) - 1);
    return true;
}

bool ListController::rebuildThumb() {
    std::vector<ListRow> last, first;
    if (!walkStarted(m_table.set(m_key)) || !read(last, false, 1)) return false;
    if (!walkStarted(m_table.set(m_key)) || !read(first, true, 1)) return false;
    if (first.empty() || last.empty() || first[0].key.empty()) {
        m_thumb = ThumbTable();
        return true;
    }
    const FieldDef& component = m_table.layout().fields[m_table.layout().keys[m_key].fields[0]];
    const FieldValue& low = first[0].key[0];
    const FieldValue& high = last[0].key[0];
    if (component.isText())
        m_thumb = ThumbTable::text(std::get<std::string>(low), std::get<std::string>(high), component.width,
                                   m_design.charset);
    else
        m_thumb = ThumbTable::numeric(std::get<std::int64_t>(low), std::get<std::int64_t>(high));
    return true;
}

// The page read again from its top row, the highlight kept at its place on the page.
bool ListController::refill(bool withThumb) {
    if (withThumb && !rebuildThumb()) return false;
    if (m_rows.empty()) return readTop();
    const int highlight = m_highlight;
    const ListRow top = m_rows.front();
    std::vector<ListRow> rows;
    int anchor = 0;
    if (!pageAround(top.key, top.recordNumber, true, 0, rows, anchor)) return false;
    show(std::move(rows), highlight);
    return true;
}

void ListController::show(std::vector<ListRow> rows, int highlight) {
    m_rows = std::move(rows);
    if (m_rows.empty()) {
        m_highlight = -1;
        m_thumbPosition = 1;
        m_table.clear();
        return;
    }
    select(std::clamp(highlight, 0, static_cast<int>(m_rows.size()) - 1));
}

void ListController::select(int row) {
    m_highlight = row;
    const ListRow& r = m_rows[static_cast<std::size_t>(row)];
    // A record deleted meanwhile still shows until the page is read again; acting on it
    // re-reads it first and finds it gone.
    const int code = m_table.getByNumber(r.recordNumber);
    if (code != StoreCode::kOk && code != StoreCode::kNoRecord)
        m_reporter.show(m_warning, m_table.layout().table, {}, m_table.lastError());
    if (!r.key.empty()) m_thumbPosition = m_thumb.positionOf(r.key[0]);
}

void ListController::notify() {
    if (m_changed) m_changed();
}

bool ListController::open() {
    m_opened = true;
    m_tab = 0;
    const ListTab* tab = currentTab();
    m_key = tab != nullptr ? m_table.keyIndex(tab->key) : 0;
    m_range = tab != nullptr ? tab->range : std::vector<FieldValue>{};
    applyRange();
    m_warning = kWarnViewOpen;
    const bool ok = rebuildThumb() && readTop();
    m_warning = kWarnRetrieval;
    if (!ok) show({}, -1);
    notify();
    return ok;
}

void ListController::setPageSize(int rows) {
    rows = std::max(rows, 1);
    if (rows == m_pageSize) return;
    m_pageSize = rows;
    if (!m_opened) return;
    refill(false);
    notify();
}

void ListController::selectTab(int tab) {
    if (tab < 0 || tab >= static_cast<int>(m_design.tabs.size())) return;
    m_tab = tab;
    m_key = m_table.keyIndex(m_design.tabs[static_cast<std::size_t>(tab)].key);
    m_range = m_design.tabs[static_cast<std::size_t>(tab)].range;
    applyRange();
    m_rows.clear();
    m_highlight = -1;
    if (!rebuildThumb() || !readTop()) show({}, -1);
    notify();
}

void ListController::setRange(std::vector<FieldValue> range) {
    m_range = std::move(range);
    applyRange();
    m_rows.clear();
    m_highlight = -1;
    if (!rebuildThumb() || !readTop()) show({}, -1);
    notify();
}

void ListController::highlight(int row) {
    if (m_rows.empty()) return;
    select(std::clamp(row, 0, static_cast<int>(m_rows.size()) - 1));
    notify();
}

void ListController::lineDown() {
    if (m_rows.empty()) return;
    if (m_highlight + 1 < static_cast<int>(m_rows.size())) {
        select(m_highlight + 1);
    } else {
        const ListRow& last = m_rows.back();
        std::vector<ListRow> more;
        if (!walkStarted(m_table.setAfter(m_key, last.key, last.recordNumber)) || !read(more, true, 1)) return;
        if (more.empty()) return;
        m_rows.push_back(std::move(more.front()));
        if (static_cast<int>(m_rows.size()) > m_pageSize) m_rows.erase(m_rows.begin());
        select(static_cast<int>(m_rows.size()) - 1);
    }
    notify();
}

void ListController::lineUp() {
    if (m_rows.empty()) return;
    if (m_highlight > 0) {
        select(m_highlight - 1);
    } else {
        const ListRow& first = m_rows.front();
        std::vector<ListRow> more;
        if (!walkStarted(m_table.setAfter(m_key, first.key, first.recordNumber)) || !read(more, false, 1)) return;
        if (more.empty()) return;
        m_rows.insert(m_rows.begin(), std::move(more.front()));
        if (static_cast<int>(m_rows.size()) > m_pageSize) m_rows.pop_back();
        select(0);
    }
    notify();
}

// A page on: the highlighted record moves a page down the order, onto the last row at the end.
void ListController::pageDown() {
    if (m_rows.empty()) return;
    const ListRow& last = m_rows.back();
    std::vector<ListRow> more;
    if (!walkStarted(m_table.setAfter(m_key, last.key, last.recordNumber)) || !read(more, true, m_pageSize)) return;
    std::vector<ListRow> rows = std::move(m_rows);
    rows.insert(rows.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
    const int dropped = std::max(static_cast<int>(rows.size()) - m_pageSize, 0);
    rows.erase(rows.begin(), rows.begin() + dropped);
    const int highlight = m_highlight + m_pageSize - dropped;
    show(std::move(rows), highlight);
    notify();
}

void ListController::pageUp() {
    if (m_rows.empty()) return;
    const ListRow& first = m_rows.front();
    std::vector<ListRow> more;
    if (!walkStarted(m_table.setAfter(m_key, first.key, first.recordNumber)) || !read(more, false, m_pageSize)) return;
    const int added = static_cast<int>(more.size());
    std::vector<ListRow> rows(std::make_move_iterator(more.rbegin()), std::make_move_iterator(more.rend()));
    rows.insert(rows.end(), std::make_move_iterator(m_rows.begin()), std::make_move_iterator(m_rows.end()));
    if (static_cast<int>(rows.size()) > m_pageSize) rows.resize(static_cast<std::size_t>(m_pageSize));
    const int highlight = m_highlight + added - m_pageSize;
    show(std::move(rows), highlight);
    notify();
}

void ListController::top() {
    if (readTop()) notify();
}

void ListController::bottom() {
    if (readBottom()) notify();
}

void ListController::thumbTo(int position) {
    bool ok = false;
    if (position <= 1)
        ok = readTop();
    else if (position >= ThumbTable::kPositions)
        ok = readBottom();
    else
        ok = showFrom({m_thumb.entry(position)});
    if (!ok) return;
    // The thumb stays where it was dropped.
    if (!m_rows.empty()) m_thumbPosition = std::clamp(position, 1, ThumbTable::kPositions);
    notify();
}

void ListController::locate(char32_t typed) {
    if (m_key < 0 || m_key >= static_cast<int>(m_table.layout().keys.size()) || typed < U' ') return;
    const FieldDef& component = m_table.layout().fields[m_table.layout().keys[m_key].fields[0]];
    FieldValue sought;
    if (component.isText()) {
        std::string text;
        appendUtf8(text, typed);
        sought = text;
    } else {
        if (typed < U'0' || typed > U'9') return;
        sought = static_cast<std::int64_t>(typed - U'0');
    }
    // On a row that begins with the character, the next row that does too; past the last of
    // them, back to the first.
    if (m_highlight >= 0 && beginsWith(m_rows[static_cast<std::size_t>(m_highlight)].key[0], typed)) {
        const ListRow* next = m_highlight + 1 < static_cast<int>(m_rows.size())
                                  ? &m_rows[static_cast<std::size_t>(m_highlight + 1)]
                                  : nullptr;
        std::vector<ListRow> more;
        if (next == nullptr) {
            const ListRow& last = m_rows.back();
            if (!walkStarted(m_table.setAfter(m_key, last.key, last.recordNumber)) || !read(more, true, 1)) return;
            if (!more.empty()) next = &more.front();
        }
        if (next != nullptr && beginsWith(next->key[0], typed)) {
            lineDown();
            return;
        }
    }
    if (showFrom({sought})) notify();
}

bool ListController::buttonEnabled(int button) const {
    if (button < 0 || button >= static_cast<int>(m_design.buttons.size())) return false;
    return m_allowed[static_cast<std::size_t>(button)] &&
           (!m_design.buttons[static_cast<std::size_t>(button)].needsRecord || !empty());
}

void ListController::setButtonAllowed(int button, bool allowed) {
    if (button < 0 || button >= static_cast<int>(m_allowed.size())) return;
    if (m_allowed[static_cast<std::size_t>(button)] == allowed) return;
    m_allowed[static_cast<std::size_t>(button)] = allowed;
    notify();
}

std::string ListController::popupMenuText() const {
    std::string out;
    for (std::size_t i = 0; i < m_design.buttons.size(); ++i) {
        const ListButton& b = m_design.buttons[i];
        if (!b.inMenu) continue;
        if (!out.empty()) out += b.separatorBefore ? "|-|" : "|";
        if (!buttonEnabled(static_cast<int>(i))) out += '~';
        out += b.text;
    }
    return out;
}

std::optional<int> ListController::buttonForMenuEntry(int entry) const {
    int number = 0;
    for (std::size_t i = 0; i < m_design.buttons.size(); ++i) {
        if (!m_design.buttons[i].inMenu || ++number != entry) continue;
        if (!buttonEnabled(static_cast<int>(i))) return std::nullopt;
        return static_cast<int>(i);
    }
    return std::nullopt;
}

std::optional<int> ListController::buttonForKey(ListKey key) const {
    const ListAction action = key == ListKey::Insert   ? ListAction::Insert
                              : key == ListKey::Delete ? ListAction::Delete
                                                       : ListAction::Change;
    for (std::size_t i = 0; i < m_design.buttons.size(); ++i) {
        if (m_design.buttons[i].action != action) continue;
        if (!buttonEnabled(static_cast<int>(i))) return std::nullopt;
        return static_cast<int>(i);
    }
    return std::nullopt;
}

bool ListController::rereadHighlighted() {
    if (m_highlight < 0) return false;
    if (m_table.getByNumber(m_rows[static_cast<std::size_t>(m_highlight)].recordNumber) == StoreCode::kOk) {
        m_table.watch();
        return true;
    }
    m_reporter.show(kWarnRetrieval, m_table.layout().table, {}, m_table.lastError());
    refresh();
    return false;
}

void ListController::rebuildShowing(std::int64_t recordNumber) {
    const int code = m_table.getByNumber(recordNumber);
    if (code == StoreCode::kNoRecord) {
        refresh();
        return;
    }
    if (code != StoreCode::kOk) {
        report(m_table.lastError());
        return;
    }
    const std::vector<FieldValue> key = m_table.keyValues(m_key);
    const bool shown = inRange(key) && accepted();
    const int before = std::clamp(m_highlight, 0, m_pageSize - 1);
    if (rebuildThumb()) showPageAround(key, recordNumber, shown, before);
    notify();
}

void ListController::rebuildAfterDelete() {
    if (m_highlight < 0) {
        refresh();
        return;
    }
    const ListRow gone = m_rows[static_cast<std::size_t>(m_highlight)];
    if (rebuildThumb()) showPageAround(gone.key, gone.recordNumber, false, m_highlight);
    notify();
}

void ListController::refresh() {
    refill(true);
    notify();
}

}  // namespace cm
