#pragma once

#include <QWidget>

class QTextBrowser;

namespace cm {

// The manual: HTML pages shipped in the program's resources, with contents, back and forward.
class HelpWindow final : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // A page name such as "tasks" (or "tasks#anchor"); the contents page for an empty or
    // unknown topic.
    void showTopic(const QString& topic);
    QTextBrowser* browser() const { return m_browser; }

    static QUrl topicUrl(const QString& topic);

private:
    QTextBrowser* m_browser;
};

}  // namespace cm
