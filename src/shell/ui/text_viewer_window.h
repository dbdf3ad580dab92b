#pragma once

#include <QAbstractListModel>
#include <QDialog>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "shell/text_viewer.h"

class QCheckBox;
class QLineEdit;
class QListView;
class QMdiArea;
class QPrinter;
class QPushButton;
class QRadioButton;

namespace cm {

class Runtime;
class Timers;

// What a viewer window works with. The references outlive the windows.
struct TextViewerServices {
    Runtime& runtime;
    Timers& timers;
    std::filesystem::path positionIni;  // placement memory; empty: none
};

// The viewer's lines as a list model, one row per line, growing as the file loads.
class TextLinesModel final : public QAbstractListModel {
    Q_OBJECT
public:
    explicit TextLinesModel(const TextViewer& viewer, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    void cleared();
    void appended(std::size_t first, std::size_t count);

private:
    const TextViewer& m_viewer;
    int m_rows = 0;
};

// The find window, "Searching Text...": empty each time it opens.
class FindTextWindow final : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "Searching Text...";

    explicit FindTextWindow(QWidget* parent = nullptr);
    FindSettings settings() const;

private:
    QLineEdit* m_text;
    QCheckBox* m_wholeWord;
    QCheckBox* m_matchCase;
    QRadioButton* m_up;
    QRadioButton* m_down;
    QPushButton* m_find;
};

// The plain-text viewer's window: the lines in a fixed-pitch list and the buttons "&Print",
// "&Find...", "Find Next" and "&Close".
class TextViewerWindow final : public QWidget, private TextViewerObserver {
    Q_OBJECT
public:
    TextViewerWindow(TextViewerConfig config, const TextViewerServices& services, QWidget* parent = nullptr);
    ~TextViewerWindow() override;

    TextViewer& viewer() { return m_viewer; }
    QListView* list() const { return m_list; }
    // The window the user moves and closes: the MDI subwindow, or this window when top-level.
    QWidget* container();

    // Every line in order, one printed line each, in a fixed-pitch font, with page numbers.
    void render(QPrinter* printer) const;
    // The find window as "&Find..." opens it.
    FindTextWindow* openFind();

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void linesCleared() override;
    void linesAppended(std::size_t first, std::size_t count) override;
    void lineSelected(std::size_t line) override;
    void stateChanged() override;

    void print();
    void savePlacement();

    TextViewerServices m_services;
    TextViewer m_viewer;
    TextLinesModel* m_model;
    QListView* m_list;
    QPushButton* m_findNext;
    bool m_placementSaved = false;
    bool m_watchingContainer = false;
};

// Opens a viewer in the MDI area (a top-level window when area is null), restores its
// placement and loads its file. A viewer already open for the same placement section is
// brought to the front instead. Returns the window the user sees.
QWidget* openTextViewer(TextViewerConfig config, const TextViewerServices& services, QMdiArea* area);

// ViewLog: the event log.
QWidget* openViewLog(const TextViewerServices& services, std::function<std::string()> logFile, QMdiArea* area);
// ViewScriptKeys: KEYCODES.TXT of the data folder. Called by the script item form.
QWidget* openViewScriptKeys(const TextViewerServices& services, const std::filesystem::path& dataFolder,
                            QMdiArea* area);

}  // namespace cm
