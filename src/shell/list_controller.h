#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/picture.h"
#include "shell/list_format.h"
#include "shell/list_thumb.h"
#include "store/layout.h"

namespace cm {

class TableHandle;
class WarningReporter;
struct StoreError;

// One tab of a list window: the order it shows and what it is restricted to.
struct ListTab {
    std::string title;  // "Title", "By Date"
    std::string key;    // "WL:KeyTitle"
    // A range: the key's leading components fixed to these values (empty: the whole order).
    std::vector<FieldValue> range;
    // A filter on the table's record buffer (empty: every record of the range).
    std::function<bool()> filter;
};

enum class ListAction { Insert, Change, Delete, Other };

// One of the window's record buttons, as its right-click menu and the frame's toolbar use it.
struct ListButton {
    std::string text;  // "&Add"
    ListAction action = ListAction::Other;
    int id = 0;                 // the window's own number for an Other button
    bool needsRecord = false;   // disabled while the list has no rows (edit, delete, toggles)
    bool inMenu = true;         // listed on the right-click menu
    bool separatorBefore = false;
};

// What a list window declares: its format text, the field each column shows, its tabs, its
// buttons and the characters its thumb uses.
struct ListDesign {
    std::string format;  // the designed format text, date pictures already put in
    // The field shown in each column ("WL:Title"), formatted by that column's picture. An empty
    // name leaves the cell to `cells`.
    std::vector<std::string> fields;
    // Computed cells: called with the record in the table's buffer and the cells made from
    // `fields`, it may fill or change any of them (icon names, joined texts).
    std::function<void(std::vector<std::string>& cells)> cells;
    std::vector<ListTab> tabs;
    std::vector<ListButton> buttons;
    ThumbCharset charset = ThumbCharset::Capitals;
};

// One row of the page: what it shows and where its record is.
struct ListRow {
    std::vector<std::string> cells;
    std::int64_t recordNumber = 0;
    std::vector<FieldValue> key;  // the record's values of the current key, to walk on from it

    bool operator==(const ListRow&) const = default;
};

// Keys a list reacts to; everything else printable is a locator.
enum class ListKey { Insert, Delete, CtrlEnter, DoubleClick };

// The behaviour every list window shares: a page of rows read through a keyed walk of one
// table in the current tab's order and range, scrolling by line, page, top and bottom, the
// 100-position thumb, the locator, the record buttons and their right-click menu, and
// rebuilding after a form saved or deleted. The Qt view only renders rows() and forwards
// keys, clicks and its visible line count.
//
// The table handle is the window's own; highlighting a row reads its record into the handle's
// buffer, and an empty list leaves the buffer cleared.
class ListController {
public:
    ListController(TableHandle& table, ListDesign design, WarningReporter& reporter);

    const ListDesign& design() const { return m_design; }
    const ListFormat& format() const { return m_format; }
    // The user's column layout, when one was restored or the columns were resized.
    void setFormat(ListFormat format);

    // Reads the first page of the first tab. False when the order cannot be read: the
    // warning has been shown and the list stays empty.
    bool open();

    // The rows the view has room for (at least 1); the page is read again to fill them.
    void setPageSize(int rows);
    int pageSize() const { return m_pageSize; }

    int tab() const { return m_tab; }
    void selectTab(int tab);
    // A new range for the current tab (a list of one task's items, say); reads the first page.
    void setRange(std::vector<FieldValue> range);

    const std::vector<ListRow>& rows() const { return m_rows; }
    bool empty() const { return m_rows.empty(); }
    int highlighted() const { return m_highlight; }  // -1 with no rows
    void highlight(int row);

    void lineDown();
    void lineUp();
    void pageDown();
    void pageUp();
    void top();
    void bottom();

    const ThumbTable& thumb() const { return m_thumb; }
    int thumbPosition() const { return m_thumbPosition; }  // 1..100
    void thumbTo(int position);
    // A printable character typed on the list.
    void locate(char32_t typed);

    // Whether button i can be pressed now.
    bool buttonEnabled(int button) const;
    // Extra conditions a window puts on one of its buttons (a toggle that does not apply).
    void setButtonAllowed(int button, bool allowed);
    // The right-click menu: the menu buttons' texts, greyed ("~") when disabled, for
    // Runtime::popupMenu; and the button a chosen entry (from 1) stands for.
    std::string popupMenuText() const;
    std::optional<int> buttonForMenuEntry(int entry) const;
    // The button a key presses, when it is enabled.
    std::optional<int> buttonForKey(ListKey key) const;

    // Before an action on the highlighted row: its record re-read by position into the
    // buffer, with a watch on it. False when it is gone (warning shown, the page re-read).
    bool rereadHighlighted();
    // After a form added or changed a record: the view rebuilt with that record highlighted.
    void rebuildShowing(std::int64_t recordNumber);
    // After the highlighted record was deleted: the view rebuilt with the row that took its
    // place highlighted (the next one, or the one before when it was the last).
    void rebuildAfterDelete();
    // The page read again where it stands (another window or a tick changed the table).
    void refresh();

    // Called after every change of rows, highlight, thumb or button state.
    void setObserver(std::function<void()> changed) { m_changed = std::move(changed); }

private:
    const ListTab* currentTab() const;
    void compileColumns();
    void applyRange();
    bool accepted() const;
    bool inRange(const std::vector<FieldValue>& key) const;
    ListRow makeRow() const;
    bool walkStarted(int code);
    bool read(std::vector<ListRow>& out, bool forward, int count);
    bool pageAround(const std::vector<FieldValue>& key, std::int64_t recordNumber, bool inclusive, int before,
                    std::vector<ListRow>& rows, int& anchor);
    bool showPageAround(const std::vector<FieldValue>& key, std::int64_t recordNumber, bool inclusive, int before);
    bool showFrom(const std::vector<FieldValue>& values);
    bool readTop();
    bool readBottom();
    bool rebuildThumb();
    bool refill(bool withThumb);
    void show(std::vector<ListRow> rows, int highlight);
    void select(int row);
    void report(const StoreError& error);
    void notify();

    TableHandle& m_table;
    ListDesign m_design;
    ListFormat m_format;
    WarningReporter& m_reporter;
    std::vector<ListRow> m_rows;
    std::vector<bool> m_allowed;
    ThumbTable m_thumb;
    std::function<void()> m_changed;
    int m_pageSize = 1;
    int m_tab = 0;
    int m_highlight = -1;
    int m_thumbPosition = 1;

    int m_key = -1;
    std::vector<FieldValue> m_range;
    // Per column: the field shown (-1 for none) and its compiled picture.
    std::vector<int> m_columnFields;
    std::vector<Picture> m_pictures;
    bool m_opened = false;
    int m_warning;  // reported for read errors: "View Open Error" while opening
};

}  // namespace cm
