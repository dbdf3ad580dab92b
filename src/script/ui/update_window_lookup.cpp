#include "script/ui/update_window_lookup.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/ini_file.h"
#include "shell/placement.h"
#include "shell/ui/qt_placement.h"
#include "shell/ui/qt_text.h"

namespace cm {

namespace {

using Field = WindowLookupForm::Field;
constexpr Field kFieldOrder[] = {Field::Title, Field::Date, Field::Time};
// Room for a typical title; the dates and times are short.
constexpr int kTitleCharacters = 60;
constexpr int kShortCharacters = 16;


std::size_t at(Field field) { return static_cast<std::size_t>(field); }

}  // namespace

UpdateWindowLookup::UpdateWindowLookup(std::unique_ptr<WindowLookupForm> form, std::filesystem::path positionIni,
                                       QWidget* parent)
    : QDialog(parent), m_form(std::move(form)), m_positionIni(std::move(positionIni)) {
    setObjectName("updateWindowLookup");
    setWindowTitle(qs(m_form->caption()));
    setWindowModality(Qt::WindowModal);

    const struct {
        Field field;
        std::string_view label;
        const char* name;
        int characters;
    } fields[] = {
        {Field::Title, WindowLookupForm::kTitleLabel, "titleField", kTitleCharacters},
        {Field::Date, WindowLookupForm::kDateLabel, "dateField", kShortCharacters},
        {Field::Time, WindowLookupForm::kTimeLabel, "timeField", kShortCharacters},
    };
    auto* rows = new QFormLayout;
    // The title stretches with the window; the short fields keep their width.
    rows->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
    for (const auto& f : fields) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(f.name);
        edit->setMaxLength(m_form->maxLength(f.field));
        const int width = edit->fontMetrics().averageCharWidth() * f.characters;
        if (f.field == Field::Title)
            edit->setMinimumWidth(width);
        else
            edit->setFixedWidth(width);
        edit->installEventFilter(this);
        auto* label = new QLabel(qs(f.label), this);
        label->setBuddy(edit);
        rows->addRow(label, edit);
        m_fields[at(f.field)] = edit;
    }

    auto* buttons = new QDialogButtonBox(this);
    buttons->setObjectName("formButtons");
    QPushButton* ok = buttons->addButton(qs(WindowLookupForm::kOk), QDialogButtonBox::AcceptRole);
    ok->setObjectName("okButton");
    ok->setDefault(true);
    QPushButton* cancel = buttons->addButton(qs(WindowLookupForm::kCancel), QDialogButtonBox::RejectRole);
    cancel->setObjectName("cancelButton");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(rows);
    layout->addStretch(1);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetMinimumSize);

    showTexts();
}

UpdateWindowLookup::~UpdateWindowLookup() = default;

QLineEdit* UpdateWindowLookup::field(Field field) const { return m_fields[at(field)]; }

void UpdateWindowLookup::showTexts() {
    for (Field f : kFieldOrder) m_fields[at(f)]->setText(qs(m_form->text(f)));
}

void UpdateWindowLookup::takeTexts() {
    for (Field f : kFieldOrder) m_form->setText(f, m_fields[at(f)]->text().toStdString());
}

void UpdateWindowLookup::accept() {
    takeTexts();
    switch (m_form->ok()) {
        case SaveOutcome::Saved:
            done(QDialog::Accepted);
            return;
        case SaveOutcome::StayInForm:
            showTexts();
            if (const auto bad = m_form->badField()) {
                QLineEdit* edit = m_fields[at(*bad)];
                edit->setFocus();
                edit->selectAll();
            }
            return;
        case SaveOutcome::ClosedWithoutSaving:
        case SaveOutcome::Cancelled:
            done(QDialog::Rejected);
            return;
    }
}

void UpdateWindowLookup::reject() {
    if (!m_ended) m_form->cancel();
    done(QDialog::Rejected);
}

void UpdateWindowLookup::done(int result) {
    if (!m_ended) {
        m_ended = true;
        if (!m_positionIni.empty()) {
            IniFile file(m_positionIni);
            Placement::save(file, WindowLookupForm::kProcedure, QtPlacement(*this));
        }
        emit ended(m_form->written(), m_form->recordNumber());
    }
    QDialog::done(result);
}

void UpdateWindowLookup::showEvent(QShowEvent* event) {
    if (!m_placed) {
        m_placed = true;
        if (!m_positionIni.empty()) {
            QtPlacement placement(*this);
            Placement::restore(IniFile(m_positionIni), WindowLookupForm::kProcedure, placement);
        }
    }
    QDialog::showEvent(event);
}

bool UpdateWindowLookup::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        // Ctrl+' whatever the layout needs Shift for.
        if (key->key() == Qt::Key_Apostrophe && (key->modifiers() & Qt::ControlModifier)) {
            for (Field f : kFieldOrder) {
                if (watched != m_fields[at(f)]) continue;
                if (m_form->ditto(f)) m_fields[at(f)]->setText(qs(m_form->text(f)));
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace cm
