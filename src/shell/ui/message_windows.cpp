#include "shell/ui/message_windows.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFontMetrics>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "base/fixed_text.h"
#include "base/ini_file.h"
#include "engine/message_actions.h"
#include "engine/task_actions.h"
#include "shell/clock.h"
#include "shell/placement.h"
#include "shell/settings.h"
#include "shell/sound.h"
#include "shell/ui/qt_placement.h"
#include "shell/ui/qt_text.h"

namespace cm {

namespace {


std::string clipped(const std::string& text) { return std::string(FixedText::trimTrailingBlanks(text)); }

// Stored texts end their lines the old way; the text box wants plain newlines.
QString displayText(const std::string& text) {
    QString out = qs(FixedText::trimTrailingBlanks(text));
    out.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    out.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return out;
}

// Sizes in the window font's dialog units: a quarter of the average character width across,
// an eighth of the line height down.
QSize dialogUnits(const QWidget& widget, int across, int down) {
    const QFontMetrics metrics(widget.font());
    return {across * metrics.averageCharWidth() / 4, down * metrics.height() / 8};
}

// Runs a function when the watched window accepts its close, before it is deleted: a window
// destroyed with the frame at exit must not touch the router any more.
class CloseWatcher final : public QObject {
public:
    CloseWatcher(QWidget* window, std::function<void()> onClose) : QObject(window), m_onClose(std::move(onClose)) {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Close && m_onClose) {
            auto onClose = std::move(m_onClose);
            m_onClose = nullptr;
            onClose();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_onClose;
};

QDialog* openTopMessage(MessageWindowKind kind, const TaskMessage& message, const MessageWindowServices& services,
                        QWidget* parent) {
    auto* dialog = new QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint);
    dialog->setObjectName(kind == MessageWindowKind::Reply ? "replyMessageWindow" : "modalMessageWindow");
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(MessagePanel::kCaption);
    dialog->setWindowModality(Qt::ApplicationModal);
    auto* panel = new MessagePanel(kind, message, services, dialog);
    auto* layout = new QVBoxLayout(dialog);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(panel);
    QObject::connect(panel, &MessagePanel::closeRequested, dialog, &QDialog::accept);
    dialog->resize(dialog->sizeHint().expandedTo(panel->size()));
    // open() would narrow the modality to the parent's windows; show() keeps it
    // application-wide and, like open(), returns at once.
    dialog->show();
    return dialog;
}

}  // namespace

MessagePanel::MessagePanel(MessageWindowKind kind, const TaskMessage& message, const MessageWindowServices& services,
                           QWidget* parent)
    : QWidget(parent), m_kind(kind), m_message(message), m_services(services), m_alarmTimer(new QTimer(this)) {
    setObjectName("messagePanel");

    auto* title = new QLineEdit(qs(FixedText::trimTrailingBlanks(message.title)), this);
    title->setObjectName("messageTitle");
    title->setReadOnly(true);
    title->setMaxLength(kTitleWidth);
    title->setCursorPosition(0);

    auto* text = new QPlainTextEdit(displayText(message.text), this);
    text->setObjectName("messageText");
    text->setReadOnly(true);
    text->setTabChangesFocus(true);

    const bool reply = kind == MessageWindowKind::Reply;
    auto* buttons = new QDialogButtonBox(this);
    buttons->setObjectName("messageButtons");
    auto* close = buttons->addButton(kCloseText, QDialogButtonBox::AcceptRole);
    close->setObjectName("closeButton");
    auto* snoozeButton = buttons->addButton(kSnoozeText, QDialogButtonBox::ActionRole);
    snoozeButton->setObjectName("snoozeButton");
    auto* todoButton = buttons->addButton(reply ? kReplyTodoText : kTodoText, QDialogButtonBox::ActionRole);
    todoButton->setObjectName("todoButton");
    if (reply) {
        auto* replyButton = buttons->addButton(kReplyText, QDialogButtonBox::ActionRole);
        replyButton->setObjectName("replyButton");
        replyButton->setEnabled(static_cast<bool>(m_services.reply));
        connect(replyButton, &QPushButton::clicked, this, [this] {
            if (m_services.reply) m_services.reply(m_message.replyPath);
        });
    }
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &MessagePanel::closeRequested);
    connect(snoozeButton, &QPushButton::clicked, this, &MessagePanel::snooze);
    connect(todoButton, &QPushButton::clicked, this, &MessagePanel::addToTodoList);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(text, 1);
    layout->addWidget(buttons);

    setMinimumSize(dialogUnits(*this, kMinimumDialogUnits, kMinimumDialogUnits));
    resize(dialogUnits(*this, 240, 130).expandedTo(minimumSizeHint()));

    if (m_services.settings.repeatAlarmInterval > 0)
        m_nextAlarm = m_services.clock.current().plusHundredths(std::int64_t{m_services.settings.repeatAlarmInterval} * 100);
    connect(m_alarmTimer, &QTimer::timeout, this, &MessagePanel::checkAlarm);
    m_alarmTimer->start(kAlarmCheckMs);
    close->setFocus();
}

void MessagePanel::checkAlarm() {
    const std::int32_t interval = m_services.settings.repeatAlarmInterval;
    if (interval < 1) return;
    const Moment now = m_services.clock.current();
    if (compareMoments(now, m_nextAlarm) <= 0) return;
    const std::string file = clipped(m_message.alarmFile);
    if (!file.empty()) {
        // A file that cannot be played is skipped: the window is what the user must see.
        if (FixedText::equalNoCase(file, kBeepAlarm))
            m_services.sound.beep();
        else
            m_services.sound.play(file);
    }
    m_nextAlarm = now.plusHundredths(std::int64_t{interval} * 100);
}

void MessagePanel::snooze() {
    // A failed add has been reported by the actions; the window closes either way.
    m_services.actions.snooze(m_message.title, m_message.text);
    emit closeRequested();
}

void MessagePanel::addToTodoList() { m_services.actions.addToTodoList(m_message.title, m_message.text); }

QWidget* openShowMessage(const TaskMessage& message, const MessageWindowServices& services, QMdiArea* area) {
    auto* panel = new MessagePanel(MessageWindowKind::Child, message, services);
    QWidget* window = panel;
    if (area) {
        auto* sub = area->addSubWindow(panel);
        sub->setObjectName("showMessageWindow");
        sub->setAttribute(Qt::WA_DeleteOnClose);
        sub->setMinimumSize(panel->minimumSize());
        sub->resize(sub->sizeHint().expandedTo(panel->size()));
        window = sub;
    } else {
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->setWindowFlag(Qt::Window);
    }
    window->setWindowTitle(MessagePanel::kCaption);
    QObject::connect(panel, &MessagePanel::closeRequested, window, &QWidget::close);

    MessageRouter* router = services.router;
    const std::filesystem::path positions = services.positionIni;
    if (router) router->windowOpened();
    new CloseWatcher(window, [window, router, positions] {
        if (!positions.empty()) {
            IniFile file(positions);
            Placement::save(file, MessagePanel::kPlacementSection, QtPlacement(*window));
        }
        if (router) router->windowClosed();
    });
    window->show();
    if (!positions.empty()) {
        QtPlacement placement(*window);
        Placement::restore(IniFile(positions), MessagePanel::kPlacementSection, placement);
    }
    return window;
}

QDialog* openModalMessage(const TaskMessage& message, const MessageWindowServices& services, QWidget* parent) {
    return openTopMessage(MessageWindowKind::Modal, message, services, parent);
}

QDialog* openReplyMessage(const TaskMessage& message, const MessageWindowServices& services, QWidget* parent) {
    return openTopMessage(MessageWindowKind::Reply, message, services, parent);
}

QMessageBox* openPlainMessageBox(const TaskMessage& message, QWidget* parent) {
    auto* box = new QMessageBox(QMessageBox::NoIcon, qs(FixedText::trimTrailingBlanks(message.title)),
                                displayText(message.text), QMessageBox::Ok, parent);
    box->setObjectName("plainMessageBox");
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
    return box;
}

QtMessageSink::QtMessageSink(MessageWindowServices services, TaskActions& taskActions)
    : m_services(std::move(services)), m_taskActions(taskActions) {}

void QtMessageSink::showMessage(const TaskMessage& message) { openShowMessage(message, m_services, m_area); }

void QtMessageSink::showModalMessage(const TaskMessage& message) { openModalMessage(message, m_services, m_parent); }

void QtMessageSink::showReplyMessage(const TaskMessage& message) { openReplyMessage(message, m_services, m_parent); }

void QtMessageSink::plainBox(const TaskMessage& message) { openPlainMessageBox(message, m_parent); }

void QtMessageSink::external(const TaskMessage& message) {
    m_taskActions.runHelper(kExternalHelper, {clipped(message.text)});
}

}  // namespace cm
