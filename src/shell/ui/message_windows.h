#pragma once

#include <QWidget>
#include <filesystem>
#include <functional>
#include <string>

#include "base/moment.h"
#include "engine/message_router.h"

class QDialog;
class QMdiArea;
class QMessageBox;
class QPushButton;
class QTimer;

namespace cm {

class Clock;
class MessageActions;
class Sound;
class TaskActions;
struct Settings;

// Quick add in the folder a reply message names; the frame provides it once that form exists.
using ReplyHandler = std::function<void(const std::string& replyPath)>;

// What every message window works with; each window keeps a copy. The references and the
// router outlive the windows.
struct MessageWindowServices {
    MessageWindowServices(MessageActions& actions, Sound& sound, const Clock& clock, const Settings& settings)
        : actions(actions), sound(sound), clock(clock), settings(settings) {}

    MessageActions& actions;
    Sound& sound;
    const Clock& clock;
    const Settings& settings;
    MessageRouter* router = nullptr;        // counts the child message windows
    std::filesystem::path positionIni;      // placement memory of ShowMessage; empty: none
    ReplyHandler reply;                     // unset: "&Reply" stays disabled
};

enum class MessageWindowKind { Child, Modal, Reply };

// The body the three message windows share: the title, the text, the buttons and the repeat
// alarm. The window around it (MDI child, top-level, modal dialog) closes when it asks to.
class MessagePanel final : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "Message";
    static constexpr const char* kCloseText = "Cl&ose";
    static constexpr const char* kSnoozeText = "&Snooze";
    static constexpr const char* kTodoText = "&Add to To Do List";
    static constexpr const char* kReplyTodoText = "&To Do";
    static constexpr const char* kReplyText = "&Reply";
    static constexpr const char* kPlacementSection = "ShowMessage";
    static constexpr int kAlarmCheckMs = 250;
    static constexpr int kMinimumDialogUnits = 50;
    static constexpr int kTitleWidth = 40;
    static constexpr int kTextWidth = 1024;
    static constexpr const char* kBeepAlarm = "BEEP";

    MessagePanel(MessageWindowKind kind, const TaskMessage& message, const MessageWindowServices& services,
                 QWidget* parent = nullptr);

    const TaskMessage& message() const { return m_message; }
    // Plays the alarm when the repeat is due; the window's timer calls it.
    void checkAlarm();

signals:
    void closeRequested();

private:
    void snooze();
    void addToTodoList();

    MessageWindowKind m_kind;
    TaskMessage m_message;
    MessageWindowServices m_services;
    Moment m_nextAlarm;
    QTimer* m_alarmTimer;
};

// ShowMessage: a child of the frame's MDI area (a top-level window when area is null) that
// counts itself in the router while open and remembers its placement. Returns the window.
QWidget* openShowMessage(const TaskMessage& message, const MessageWindowServices& services, QMdiArea* area);
// ShowModalMessage and ShowMessageWithReplyPath: application-modal and kept on top, shown
// without waiting for the user.
QDialog* openModalMessage(const TaskMessage& message, const MessageWindowServices& services, QWidget* parent);
QDialog* openReplyMessage(const TaskMessage& message, const MessageWindowServices& services, QWidget* parent);
// "UseWinMessage": the text in a plain box titled with the title, open()ed.
QMessageBox* openPlainMessageBox(const TaskMessage& message, QWidget* parent);

// The notification windows behind MessageRouter. Set the router before the first message.
class QtMessageSink final : public MessageSink {
public:
    static constexpr const char* kExternalHelper = "CMMsg";

    QtMessageSink(MessageWindowServices services, TaskActions& taskActions);

    void setRouter(MessageRouter* router) { m_services.router = router; }
    void setMdiArea(QMdiArea* area) { m_area = area; }
    void setDialogParent(QWidget* parent) { m_parent = parent; }
    void setReplyHandler(ReplyHandler reply) { m_services.reply = std::move(reply); }
    void setPositionIni(std::filesystem::path file) { m_services.positionIni = std::move(file); }

    void showMessage(const TaskMessage& message) override;
    void showModalMessage(const TaskMessage& message) override;
    void showReplyMessage(const TaskMessage& message) override;
    void plainBox(const TaskMessage& message) override;
    void external(const TaskMessage& message) override;

private:
    MessageWindowServices m_services;
    TaskActions& m_taskActions;
    QMdiArea* m_area = nullptr;
    QWidget* m_parent = nullptr;
};

}  // namespace cm
