#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QSpinBox;

namespace cm {

class Housekeeping;
class OptionsController;

// The options window: a thin view of OptionsController. Its fields edit the process-wide
// settings at once; "&OK" stores them, "Cancel" (and closing the window) reloads them. It runs
// on the frame's thread: the frame holds the monitor while it is open.
class SetupWindow final : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kPlacementSection = "Setup";
    static constexpr int kMaxDays = 9999;
    static constexpr int kMaxRepeatSeconds = 9999;
    static constexpr int kMaxClipboardEntries = 9999;

    SetupWindow(OptionsController& options, Housekeeping& housekeeping, QWidget* parent = nullptr);

    void accept() override;
    void reject() override;

private:
    QWidget* startUpTab();
    QWidget* generalTab();
    QWidget* historyTab();
    QWidget* scriptingTab();
    QWidget* housekeepingTab();
    QCheckBox* flag(const char* text, const char* name, bool& value);
    QSpinBox* number(const char* name, int minimum, int maximum, int value);

    OptionsController& m_options;
    Housekeeping& m_housekeeping;
};

}  // namespace cm
