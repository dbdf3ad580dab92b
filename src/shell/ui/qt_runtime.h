#pragma once

#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <memory>
#include <string>
#include <vector>

#include "shell/runtime.h"

class QIcon;
class QWidget;

namespace cm {

class HelpWindow;
class MainWindow;
class Monitor;

// What the Runtime needs of the tray; the frame owns the QSystemTrayIcon and provides it.
class TrayPort {
public:
    virtual ~TrayPort() = default;
    virtual void setTrayTip(const QString& tip) = 0;
    virtual void setTrayIcon(const QIcon& icon) = 0;
};

// What a box owned by the frame holds while it is open: the due-task monitor in the program.
class MonitorHoldSource {
public:
    virtual ~MonitorHoldSource() = default;
    virtual void hold() = 0;
    virtual void release() = 0;
};

// An event number posted to a window (Runtime::postEvent). Windows receive it in event().
class ProgramEvent final : public QEvent {
public:
    explicit ProgramEvent(int number) : QEvent(type()), m_number(number) {}
    static QEvent::Type type();
    int number() const { return m_number; }

private:
    int m_number;
};

// A file dialog filter "WAV Files|*.WAV|All Files|*.*" as Qt name filters, each pattern made
// to match any case ("*.[wW][aA][vV]") since Linux names are case-sensitive; "*.*" is every
// file. A description without a pattern stands for every file.
QStringList fileDialogNameFilters(std::string_view filter);
QString anyCasePattern(const QString& pattern);

// The window runtime on Qt Widgets.
//
// Quitting: once the application is told to quit, every box, dialog and menu the Runtime has
// open is closed and answers Aborted (or no file, or entry 0), and new ones answer so at once.
class QtRuntime final : public QObject, public Runtime {
    Q_OBJECT
public:
    explicit QtRuntime(QObject* parent = nullptr);
    ~QtRuntime() override;

    // All three may come later: without a frame, boxes have no parent and the title and
    // status texts are only remembered; without a monitor nothing is held.
    void setFrame(MainWindow* frame);
    void setMonitor(Monitor* monitor);
    void setHoldSource(MonitorHoldSource* source) { m_hold = source; }
    void setTrayPort(TrayPort* tray);

    // A window that receives ProgramEvents posted to its procedure name.
    void registerWindow(QObject* window, std::string_view procedureName);

    // Marks the program as quitting, closes what the Runtime has open and ends the event loop.
    void quit(int exitCode = 0);

    Button messageBox(const MessageBoxRequest& request) override;
    std::optional<std::string> fileDialog(const FileDialogRequest& request) override;
    int popupMenu(std::string_view text) override;

    void setFrameTitle(std::string_view title) override;
    void setStatusText(int zone, std::string_view text) override;
    void setTrayTip(std::string_view tip) override;
    void setTrayIcon(std::string_view iconName) override;

    void postEvent(int event, std::string_view windowName = {}) override;
    void showHelp(std::string_view topic = {}) override;
    void beep() override;
    void setBusy(bool busy) override;
    std::string clipboardText() override;
    void setClipboardText(std::string_view text) override;
    bool runCommandLine(std::string_view commandLine) override;
    void endProgram(std::string_view text) override;
    bool isQuitting() const override { return m_quitting; }

    // The last tray texts, for a tray that appears after they were set.
    const QString& trayTip() const { return m_trayTip; }
    const std::string& trayIconName() const { return m_trayIconName; }
    const QString& frameTitle() const { return m_frameTitle; }
    HelpWindow* helpWindow() const;

signals:
    // Emitted before the quit request closes the open boxes.
    void quitting();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct NamedWindow {
        QPointer<QObject> window;
        std::string name;
    };

    Button showBox(const MessageBoxRequest& request);
    QWidget* ownerWidget(Owner owner) const;
    void markQuitting();

    QPointer<MainWindow> m_frame;
    std::unique_ptr<MonitorHoldSource> m_monitorHold;
    MonitorHoldSource* m_hold = nullptr;
    TrayPort* m_tray = nullptr;
    QPointer<HelpWindow> m_help;
    std::vector<QPointer<QWidget>> m_open;
    std::vector<NamedWindow> m_windows;
    QString m_frameTitle;
    QString m_trayTip;
    std::string m_trayIconName;
    bool m_quitting = false;
    bool m_busy = false;
};

}  // namespace cm
