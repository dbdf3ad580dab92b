#pragma once

#include <QDialog>
#include <functional>

class QPushButton;

namespace cm {

// The About window: the product's title and version, a few words on the program, its home
// page and e-mail address. A click on the title opens the window title list, once the frame
// gives a way to open it; until then the title is not clickable.
class AboutWindow final : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kPlacementSection = "About";

    explicit AboutWindow(QWidget* parent = nullptr);

    void setTitleClicked(std::function<void()> onClick);

private:
    QPushButton* m_title;
    std::function<void()> m_onTitle;
};

}  // namespace cm
