#include "shell/ui/qt_runtime.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QFile>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>

#include <optional>

#include "engine/command_line.h"
#include "engine/monitor.h"
#include "shell/popup_menu_text.h"
#include "shell/ui/help_window.h"
#include "shell/ui/icons.h"
#include "shell/ui/main_window.h"
#include "shell/version.h"
#include "shell/ui/qt_text.h"

namespace cm {

namespace {


struct ButtonMap {
    unsigned flag;
    QMessageBox::StandardButton qt;
    Button answer;
};

// In the order the buttons are offered, so the first present one is the default default.
constexpr ButtonMap kButtons[] = {
    {kButtonAbort, QMessageBox::Abort, Button::Abort},    {kButtonRetry, QMessageBox::Retry, Button::Retry},
    {kButtonIgnore, QMessageBox::Ignore, Button::Ignore}, {kButtonOk, QMessageBox::Ok, Button::Ok},
    {kButtonYes, QMessageBox::Yes, Button::Yes},          {kButtonNo, QMessageBox::No, Button::No},
    {kButtonCancel, QMessageBox::Cancel, Button::Cancel},
};

QMessageBox::Icon qtIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Exclamation: return QMessageBox::Warning;
    case MessageIcon::Question: return QMessageBox::Question;
    case MessageIcon::Stop: return QMessageBox::Critical;
    case MessageIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

class MonitorHoldAdapter final : public MonitorHoldSource {
public:
    explicit MonitorHoldAdapter(Monitor& monitor) : m_monitor(monitor) {}
    void hold() override { m_monitor.hold(); }
    void release() override { m_monitor.release(); }

private:
    Monitor& m_monitor;
};

class ScopedHold {
public:
    explicit ScopedHold(MonitorHoldSource* source) : m_source(source) {
        if (m_source) m_source->hold();
    }
    ~ScopedHold() {
        if (m_source) m_source->release();
    }
    ScopedHold(const ScopedHold&) = delete;
    ScopedHold& operator=(const ScopedHold&) = delete;

private:
    MonitorHoldSource* m_source;
};

}  // namespace

QEvent::Type ProgramEvent::type() {
    static const auto kType = static_cast<QEvent::Type>(QEvent::registerEventType());
    return kType;
}

QString anyCasePattern(const QString& pattern) {
    if (pattern == "*.*") return QStringLiteral("*");
    QString out;
    for (const QChar c : pattern) {
        const QChar lower = c.toLower();
        const QChar upper = c.toUpper();
        if (c.isLetter() && lower != upper) {
            out += '[';
            out += lower;
            out += upper;
            out += ']';
        } else {
            out += c;
        }
    }
    return out;
}

QStringList fileDialogNameFilters(std::string_view filter) {
    const QStringList parts = qs(filter).split('|');
    QStringList filters;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        const QString patterns = i + 1 < parts.size() ? parts[i + 1].trimmed() : QString();
        if (description.isEmpty() && patterns.isEmpty()) continue;
        QStringList expanded;
        for (const QString& p : patterns.split(';', Qt::SkipEmptyParts)) expanded << anyCasePattern(p.trimmed());
        if (expanded.isEmpty()) expanded << QStringLiteral("*");
        filters << QStringLiteral("%1 (%2)").arg(description.isEmpty() ? patterns : description, expanded.join(' '));
    }
    return filters;
}

QtRuntime::QtRuntime(QObject* parent) : QObject(parent) {
    // A quit request reaches the application as a Quit event before any window is asked to
    // close; a box without an escape button would refuse that close and veto the quit.
    qApp->installEventFilter(this);
    connect(qApp, &QCoreApplication::aboutToQuit, this, &QtRuntime::markQuitting);
}

QtRuntime::~QtRuntime() {
    if (m_help) delete m_help.data();
    if (m_busy) QGuiApplication::restoreOverrideCursor();
}

void QtRuntime::setFrame(MainWindow* frame) {
    m_frame = frame;
    if (m_frame && !m_frameTitle.isEmpty()) m_frame->setWindowTitle(m_frameTitle);
}

void QtRuntime::setMonitor(Monitor* monitor) {
    m_monitorHold = monitor ? std::make_unique<MonitorHoldAdapter>(*monitor) : nullptr;
    m_hold = m_monitorHold.get();
}

void QtRuntime::setTrayPort(TrayPort* tray) {
    m_tray = tray;
    if (!m_tray) return;
    if (!m_trayTip.isEmpty()) m_tray->setTrayTip(m_trayTip);
    if (!m_trayIconName.empty()) m_tray->setTrayIcon(programIcon(m_trayIconName));
}

void QtRuntime::registerWindow(QObject* window, std::string_view procedureName) {
    std::erase_if(m_windows, [](const NamedWindow& w) { return w.window.isNull(); });
    m_windows.push_back({window, std::string(procedureName)});
}

bool QtRuntime::eventFilter(QObject* watched, QEvent* event) {
    if (watched == qApp && event->type() == QEvent::Quit) markQuitting();
    return QObject::eventFilter(watched, event);
}

void QtRuntime::markQuitting() {
    if (m_quitting) return;
    m_quitting = true;
    emit quitting();
    // Copied: closing a box returns from its exec() only later, but be safe against re-entry.
    const auto open = m_open;
    for (const QPointer<QWidget>& widget : open) {
        if (!widget) continue;
        if (auto* dialog = qobject_cast<QDialog*>(widget.data())) {
            dialog->reject();
        } else {
            widget->close();
        }
    }
}

void QtRuntime::quit(int exitCode) {
    markQuitting();
    QCoreApplication::exit(exitCode);
}

QWidget* QtRuntime::ownerWidget(Owner owner) const {
    if (owner == Owner::Window) {
        if (QWidget* active = QApplication::activeWindow()) return active;
    }
    return m_frame.data();
}

Button QtRuntime::messageBox(const MessageBoxRequest& request) {
    if (m_quitting) return Button::Aborted;
    return showBox(request);
}

Button QtRuntime::showBox(const MessageBoxRequest& request) {
    QMessageBox box(ownerWidget(request.owner));
    box.setObjectName("runtimeMessageBox");
    box.setWindowModality(Qt::ApplicationModal);
    box.setIcon(qtIcon(request.icon));
    box.setWindowTitle(qs(request.title));
    // Task texts are the user's own words, never markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(qs(request.text));

    const unsigned buttons = request.buttons ? request.buttons : unsigned(kButtonOk);
    QMessageBox::StandardButtons qtButtons;
    std::optional<QMessageBox::StandardButton> first;
    std::optional<QMessageBox::StandardButton> chosenDefault;
    for (const ButtonMap& b : kButtons) {
        if (!(buttons & b.flag)) continue;
        qtButtons |= b.qt;
        if (!first) first = b.qt;
        if (b.answer == request.defaultButton) chosenDefault = b.qt;
    }
    box.setStandardButtons(qtButtons);
    box.setDefaultButton(chosenDefault.value_or(*first));

    m_open.emplace_back(&box);
    Button answer = Button::Aborted;
    {
        const ScopedHold hold(request.owner == Owner::Frame ? m_hold : nullptr);
        box.exec();
    }
    std::erase(m_open, QPointer<QWidget>(&box));

    // No button clicked means the loop was ended from outside: the program is quitting.
    if (QAbstractButton* clicked = box.clickedButton(); clicked && !m_quitting) {
        const QMessageBox::StandardButton pressed = box.standardButton(clicked);
        for (const ButtonMap& b : kButtons) {
            if (b.qt == pressed) answer = b.answer;
        }
    }
    return answer;
}

std::optional<std::string> QtRuntime::fileDialog(const FileDialogRequest& request) {
    if (m_quitting) return std::nullopt;
    QFileDialog dialog(ownerWidget(Owner::Window), qs(request.title));
    dialog.setObjectName("runtimeFileDialog");
    dialog.setWindowModality(Qt::ApplicationModal);
    const bool save = request.mode == FileDialogMode::Save;
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // The filters carry their expanded patterns; the descriptions alone read better.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    const QStringList filters = fileDialogNameFilters(request.filter);
    if (!filters.isEmpty()) dialog.setNameFilters(filters);
    if (!request.fileName.empty()) dialog.selectFile(QFile::decodeName(request.fileName.c_str()));

    m_open.emplace_back(&dialog);
    const int result = dialog.exec();
    std::erase(m_open, QPointer<QWidget>(&dialog));
    if (result != QDialog::Accepted || m_quitting || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return QFile::encodeName(dialog.selectedFiles().constFirst()).toStdString();
}

int QtRuntime::popupMenu(std::string_view text) {
    if (m_quitting) return 0;
    QMenu menu;
    menu.setObjectName("runtimePopupMenu");
    for (const PopupMenuItem& item : PopupMenuText::parse(text)) {
        if (item.separator) {
            menu.addSeparator();
            continue;
        }
        QAction* action = menu.addAction(qs(item.text));
        action->setEnabled(item.enabled);
        action->setData(item.number);
    }
    if (menu.isEmpty()) return 0;
    m_open.emplace_back(&menu);
    QAction* chosen = menu.exec(QCursor::pos());
    std::erase(m_open, QPointer<QWidget>(&menu));
    return chosen && !m_quitting ? chosen->data().toInt() : 0;
}

void QtRuntime::setFrameTitle(std::string_view title) {
    m_frameTitle = qs(title);
    if (m_frame) m_frame->setWindowTitle(m_frameTitle);
}

void QtRuntime::setStatusText(int zone, std::string_view text) {
    if (m_frame) m_frame->setStatusZone(zone, qs(text));
}

void QtRuntime::setTrayTip(std::string_view tip) {
    m_trayTip = qs(tip);
    if (m_tray) m_tray->setTrayTip(m_trayTip);
}

void QtRuntime::setTrayIcon(std::string_view iconName) {
    if (m_trayIconName == iconName) return;
    m_trayIconName = iconName;
    if (m_tray) m_tray->setTrayIcon(programIcon(iconName));
}

void QtRuntime::postEvent(int event, std::string_view windowName) {
    std::erase_if(m_windows, [](const NamedWindow& w) { return w.window.isNull(); });
    for (const NamedWindow& w : m_windows) {
        if (windowName.empty() || w.name == windowName) QCoreApplication::postEvent(w.window, new ProgramEvent(event));
    }
}

void QtRuntime::showHelp(std::string_view topic) {
    if (!m_help) {
        m_help = new HelpWindow();
        m_help->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_help->showTopic(qs(topic));
}

HelpWindow* QtRuntime::helpWindow() const { return m_help.data(); }

void QtRuntime::beep() { QApplication::beep(); }

void QtRuntime::setBusy(bool busy) {
    if (busy == m_busy) return;
    m_busy = busy;
    if (busy) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QGuiApplication::restoreOverrideCursor();
    }
}

std::string QtRuntime::clipboardText() { return QGuiApplication::clipboard()->text().toStdString(); }

void QtRuntime::setClipboardText(std::string_view text) { QGuiApplication::clipboard()->setText(qs(text)); }

bool QtRuntime::runCommandLine(std::string_view commandLine) {
    const std::vector<std::string> words = CommandLine::splitWords(commandLine);
    if (words.empty() || words.front().empty()) return false;
    QStringList arguments;
    for (std::size_t i = 1; i < words.size(); ++i) arguments << QString::fromStdString(words[i]);
    return QProcess::startDetached(QString::fromStdString(words.front()), arguments);
}

void QtRuntime::endProgram(std::string_view text) {
    // No tick may run again, not even while the box is open: the hold is never released.
    if (m_hold) m_hold->hold();
    markQuitting();
    showBox({std::string(text), Version::kProductName, MessageIcon::Stop, kButtonOk, Button::Ok, Owner::Frame});
    QCoreApplication::exit(1);
    // Before the event loop runs, exit() has nothing to end: end it as soon as it starts.
    QMetaObject::invokeMethod(qApp, [] { QCoreApplication::exit(1); }, Qt::QueuedConnection);
}

}  // namespace cm
