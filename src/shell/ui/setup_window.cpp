#include "shell/ui/setup_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "shell/housekeeping.h"
#include "shell/options_rules.h"
#include "shell/settings.h"
#include "shell/ui/qt_text.h"

namespace cm {

namespace {


QFormLayout* formOf(QVBoxLayout* column) {
    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    column->addLayout(form);
    return form;
}

}  // namespace

SetupWindow::SetupWindow(OptionsController& options, Housekeeping& housekeeping, QWidget* parent)
    : QDialog(parent), m_options(options), m_housekeeping(housekeeping) {
    setObjectName("setupWindow");
    setWindowTitle(qs(OptionsController::kCaption));

    auto* tabs = new QTabWidget(this);
    tabs->setObjectName("setupTabs");
    tabs->setUsesScrollButtons(false);  // every tab in view, the window widening to fit
    tabs->addTab(startUpTab(), "Start Up");
    tabs->addTab(generalTab(), "General");
    tabs->addTab(historyTab(), "History");
    tabs->addTab(scriptingTab(), "Scripting");
    tabs->addTab(housekeepingTab(), "Housekeeping");

    QCheckBox* active = flag("Scheduler active", "schedulerActive", m_options.settings().startUpActive);

    auto* buttons = new QDialogButtonBox(this);
    buttons->setObjectName("setupButtons");
    auto* ok = buttons->addButton("&OK", QDialogButtonBox::AcceptRole);
    ok->setObjectName("okButton");
    ok->setDefault(true);
    auto* cancel = buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
    cancel->setObjectName("cancelButton");
    connect(buttons, &QDialogButtonBox::accepted, this, &SetupWindow::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &SetupWindow::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs, 1);
    layout->addWidget(active);
    layout->addWidget(buttons);
}

QCheckBox* SetupWindow::flag(const char* text, const char* name, bool& value) {
    auto* box = new QCheckBox(text);
    box->setObjectName(name);
    box->setChecked(value);
    connect(box, &QCheckBox::toggled, this, [&value](bool on) { value = on; });
    return box;
}

QSpinBox* SetupWindow::number(const char* name, int minimum, int maximum, int value) {
    auto* spin = new QSpinBox;
    spin->setObjectName(name);
    spin->setRange(minimum, maximum);
    spin->setValue(value);
    spin->setAlignment(Qt::AlignRight);
    // One width for every number field, so the fields of a form line up.
    QSpinBox widest;
    widest.setRange(0, kMaxDays);
    spin->setMinimumWidth(widest.sizeHint().width());
    return spin;
}

QWidget* SetupWindow::startUpTab() {
    Settings& s = m_options.settings();
    auto* page = new QWidget;
    page->setObjectName("startUpTab");
    auto* column = new QVBoxLayout(page);
    column->addWidget(flag("Show Schedule at start up", "startUpSchedule", s.startUpSchedule));
    column->addWidget(flag("Show To Do List at start up", "startUpToDo", s.startUpToDo));
    column->addWidget(flag("Show Clipboard Saver at start up", "startUpClipboardSaver", s.startUpClipboardSaver));
    column->addWidget(flag("Show Contacts at start up", "startUpContacts", s.startUpContacts));
    column->addWidget(flag("Minimize at start up", "startUpMinimized", s.startUpMinimized));
    column->addWidget(flag("Log Events", "logEvents", s.logEvents));
    column->addStretch(1);
    return page;
}

QWidget* SetupWindow::generalTab() {
    Settings& s = m_options.settings();
    auto* page = new QWidget;
    page->setObjectName("generalTab");
    auto* column = new QVBoxLayout(page);
    column->addWidget(flag("Show full schedule initially on \"View Schedule\" window", "fullSchedule", s.fullSchedule));
    column->addWidget(flag("Do not place in tray when minimized", "noTray", s.noTray));
    column->addWidget(flag("Monitor clipboard", "monitorClipboard", s.monitorClipboard));
    column->addWidget(flag("Do not proceed until message acknowledged", "useModalMessage", s.useModalMessage));
    column->addWidget(flag("Restore for \"Run Program\" tasks", "maximizeOnRun", s.maximizeOnRun));
    column->addSpacing(style()->pixelMetric(QStyle::PM_LayoutVerticalSpacing, nullptr, this));

    QFormLayout* form = formOf(column);
    QSpinBox* repeat = number("repeatAlarmInterval", 0, kMaxRepeatSeconds, s.repeatAlarmInterval);
    connect(repeat, &QSpinBox::valueChanged, this, [&s](int v) { s.repeatAlarmInterval = v; });
    form->addRow("Repeat alarms every # seconds:", repeat);

    auto* dates = new QComboBox;
    dates->setObjectName("dateFormat");
    for (std::string_view description : DateFormatChoices::dropList()) dates->addItem(qs(description));
    const QString current = QString::fromStdString(m_options.dateFormat());
    // A picture the list does not offer is shown as itself, so OK keeps it unchanged.
    if (dates->findText(current) < 0) dates->addItem(current);
    dates->setCurrentText(current);
    connect(dates, &QComboBox::currentTextChanged, this,
            [this](const QString& text) { m_options.selectDateFormat(text.toStdString()); });
    form->addRow("Date format to use:", dates);

    QSpinBox* clipboard = number("maxClipboardEntries", 0, kMaxClipboardEntries, s.maxClipboardEntries);
    connect(clipboard, &QSpinBox::valueChanged, this, [&s](int v) { s.maxClipboardEntries = v; });
    form->addRow("Maximum # of clipboard entries:", clipboard);
    column->addStretch(1);
    return page;
}

QWidget* SetupWindow::historyTab() {
    Settings& s = m_options.settings();
    auto* page = new QWidget;
    page->setObjectName("historyTab");
    auto* column = new QVBoxLayout(page);
    QFormLayout* form = formOf(column);
    QSpinBox* days = number("historyExpires", 0, kMaxDays, s.historyExpires);
    connect(days, &QSpinBox::valueChanged, this, [&s](int v) { s.historyExpires = v; });
    auto* row = new QHBoxLayout;
    row->addWidget(days);
    row->addWidget(new QLabel("Days"));
    row->addStretch(1);
    form->addRow("Removed Completed Tasks After:", row);
    column->addWidget(flag("Also Remove Uncompleted Tasks", "removeUncompleted", s.removeUncompleted));
    column->addStretch(1);
    return page;
}

QWidget* SetupWindow::scriptingTab() {
    auto* page = new QWidget;
    page->setObjectName("scriptingTab");
    auto* column = new QVBoxLayout(page);
    QFormLayout* form = formOf(column);
    QSpinBox* interval = number("sendInterval", OptionsController::kMinSendInterval,
                                OptionsController::kMaxSendInterval, m_options.sendInterval());
    connect(interval, &QSpinBox::valueChanged, this, [this](int v) { m_options.setSendInterval(v); });
    form->addRow("Send Interval (1/100ths of a second):", interval);
    QSpinBox* burst = number("burstSize", OptionsController::kMinBurstSize, OptionsController::kMaxBurstSize,
                             m_options.burstSize());
    connect(burst, &QSpinBox::valueChanged, this, [this](int v) { m_options.setBurstSize(v); });
    form->addRow("Maximum Number of Characters per Send Group:", burst);
    column->addStretch(1);
    return page;
}

QWidget* SetupWindow::housekeepingTab() {
    auto* page = new QWidget;
    page->setObjectName("housekeepingTab");
    auto* column = new QVBoxLayout(page);
    auto* buttons = new QVBoxLayout;
    const struct {
        const char* text;
        const char* name;
        bool (Housekeeping::*action)();
    } actions[] = {
        {"Clear all disabled tasks", "clearDisabledTasks", &Housekeeping::clearDisabledTasks},
        {"Clear all completed tasks", "clearCompletedTasks", &Housekeeping::clearCompletedTasks},
        {"Clear To Do list", "clearTodoList", &Housekeeping::clearTodoList},
        {"Reset saved window settings", "resetWindowSettings", &Housekeeping::resetWindowSettings},
        {"Clear current script queue", "clearScriptQueue", &Housekeeping::clearScriptQueue},
    };
    for (const auto& a : actions) {
        auto* button = new QPushButton(a.text);
        button->setObjectName(a.name);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, action = a.action] { (m_housekeeping.*action)(); });
        buttons->addWidget(button);
    }
    // Equal widths, centred: a column of commands rather than a form.
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addLayout(buttons);
    row->addStretch(1);
    column->addLayout(row);
    column->addStretch(1);
    return page;
}

void SetupWindow::accept() {
    m_options.ok();
    QDialog::accept();
}

void SetupWindow::reject() {
    m_options.cancel();
    QDialog::reject();
}

}  // namespace cm
