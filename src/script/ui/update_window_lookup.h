#pragma once

#include <QDialog>
#include <array>
#include <filesystem>
#include <memory>

#include "script/window_lookup_form.h"

class QLineEdit;

namespace cm {

// UpdateWindowLookup: the form of one window title, over its controller. It is window-modal
// over the list and opened with open(); ended() tells the list how it went.
class UpdateWindowLookup final : public QDialog {
    Q_OBJECT
public:
    UpdateWindowLookup(std::unique_ptr<WindowLookupForm> form, std::filesystem::path positionIni,
                       QWidget* parent = nullptr);
    ~UpdateWindowLookup() override;

    WindowLookupForm& form() const { return *m_form; }
    QLineEdit* field(WindowLookupForm::Field field) const;

    void accept() override;
    void reject() override;
    void done(int result) override;

signals:
    void ended(bool written, qint64 recordNumber);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showTexts();
    void takeTexts();

    std::unique_ptr<WindowLookupForm> m_form;
    std::filesystem::path m_positionIni;
    std::array<QLineEdit*, WindowLookupForm::kFields> m_fields{};
    bool m_placed = false;
    bool m_ended = false;
};

}  // namespace cm
