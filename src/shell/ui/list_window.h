#pragma once

#include <QWidget>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "shell/list_controller.h"
#include "store/form_save.h"

class QBoxLayout;
class QMdiArea;
class QMdiSubWindow;
class QPushButton;
class QScrollBar;
class QTabBar;
class QTableView;

namespace cm {

class ListModel;
class Runtime;

// What a list window declares beside its ListDesign.
struct ListWindowSetup {
    std::string procedure;  // "BrowseWindowLookup": its POSITION.INI section
    std::string caption;
    std::string icon;       // our icon by the program's name ("WINPYR.ICO")
    // The record buttons in a row under the list, or in a column at its right.
    Qt::Orientation buttons = Qt::Horizontal;
    std::string helpTopic;  // the manual's page for F1 and the frame's help button
    int lines = 15;         // visible lines before placement memory has a size
};

// The Qt side of every list window: the controller's page in a table view, the optional tabs
// of its orders, the 100-position thumb, the record buttons and the right-click menu, column
// and window placement memory. The page is the controller's, so the view never scrolls
// vertically itself; the thumb beside it is a plain 100-position scroll bar.
//
// A window declares itself by deriving, making its controller (over its own table handle, with
// its design) and calling build(); it opens its record form in openForm() and reports the outcome
// with formEnded(), which rebuilds the page on the saved record.
//
// Resizing: the list takes all the room the window gains (more lines make a longer page), the
// tab bar spans the list's width with its tabs at their size, the thumb keeps its width along
// the list's right edge, and the buttons keep their size and ride along the bottom edge (a row,
// right-aligned) or the right edge (a column, top-aligned). Columns keep their widths.
class ListWindow : public QWidget {
    Q_OBJECT
public:
    ListWindow(Runtime& runtime, std::filesystem::path positionIni, QWidget* parent = nullptr);
    ~ListWindow() override;

    const ListWindowSetup& setup() const { return m_setup; }
    ListController& controller() const { return *m_controller; }
    ListModel* model() const { return m_model; }
    QTableView* view() const { return m_view; }
    QTabBar* tabBar() const { return m_tabs; }  // nullptr for a list with one order
    QScrollBar* thumb() const { return m_thumb; }
    QPushButton* button(int index) const;

    // As a click on button i: nothing while it is disabled.
    void press(int index);
    // The frame's insert, change and delete buttons: the first enabled button of that action.
    bool pressAction(ListAction action);
    void showHelp();

    // Shows the window as a subwindow of the frame's area, deleted when it closes.
    QMdiSubWindow* showIn(QMdiArea& area);
    // The widget whose placement is remembered: the MDI subwindow, or the window itself.
    QWidget* placementWidget();

    // Column widths: dialog units of the list's font against pixels.
    int dialogUnitsToPixels(int units) const;
    int pixelsToDialogUnits(int pixels) const;

signals:
    void closed();

protected:
    // Builds the widgets over the controller, applies the remembered column layout and reads
    // the first page. The window keeps the controller; the table handle and reporter it was
    // made with may be the deriving window's members, which a controller never touches as it
    // is destroyed.
    void build(std::unique_ptr<ListController> controller, ListWindowSetup setup);
    // The window's record form, for a new record (number 0) or the highlighted one, already
    // re-read. Delete asks and deletes without showing the form.
    virtual void openForm(FormMode mode, std::int64_t recordNumber);
    virtual void otherButton(int id);
    // The form ended: the page rebuilt on the record written, or read again.
    void formEnded(FormMode mode, bool written, std::int64_t recordNumber);

    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildButtons(QBoxLayout* layout);
    void applyColumns();
    void restoreColumnLayout();
    void saveColumnLayout();
    // Placement and column layout into POSITION.INI, once: on closing, or as the program ends.
    void remember();
    void follow();
    void updatePageSize();
    bool listKey(QKeyEvent* event);
    void wheel(QWheelEvent* event);
    void thumbAction(int action);
    void popupMenu(const QPoint& at);
    int rowHeight() const;
    int columnPixels(const ListColumn& column) const;

    Runtime& m_runtime;
    std::filesystem::path m_positionIni;
    ListWindowSetup m_setup;
    std::unique_ptr<ListController> m_controller;
    ListModel* m_model = nullptr;
    QTableView* m_view = nullptr;
    QTabBar* m_tabs = nullptr;
    QScrollBar* m_thumb = nullptr;
    std::vector<QPushButton*> m_buttons;
    int m_wheelRemainder = 0;
    bool m_following = false;
    bool m_pageSizeQueued = false;
    bool m_userLayout = false;
    bool m_placed = false;
    bool m_saved = false;
    bool m_closed = false;
};

}  // namespace cm
