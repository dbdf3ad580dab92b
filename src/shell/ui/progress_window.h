#pragma once

#include <QDialog>
#include <QPointer>
#include <functional>
#include <memory>

#include "shell/progress_work.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace cm {

// The small progress window of batch work: caption, a header, a line of text, a bar, the
// percentage line and "Cancel". It stays on top of its owner's window and is never exec()ed:
// the owner is disabled while it is open, everything else goes on.
class ProgressWindow final : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kCancelText = "Cancel";

    explicit ProgressWindow(QWidget* owner);
    ~ProgressWindow() override;

    void setCaption(const QString& caption);
    void setHeader(const QString& header);
    void setLine(const QString& line);
    void setPercent(int percent, const QString& text);
    void setCancelHandler(std::function<void()> handler) { m_cancel = std::move(handler); }

    QString header() const;
    QString line() const;
    QString percentText() const;
    int percent() const;

protected:
    // The window's close button counts as Cancel; only the work closes the window.
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void cancel();

    QPointer<QWidget> m_owner;
    QLabel* m_header;
    QLabel* m_line;
    QProgressBar* m_bar;
    QLabel* m_percent;
    QPushButton* m_cancelButton;
    std::function<void()> m_cancel;
    bool m_closing = false;

    friend class QtProgressView;
};

// ProgressView on a ProgressWindow. Closing hides the window and gives its owner back; the
// window is deleted later, so the work may end from inside the window's own Cancel.
class QtProgressView final : public ProgressView {
public:
    explicit QtProgressView(QWidget* owner);
    ~QtProgressView() override;

    ProgressWindow* window() const { return m_window; }

    void setCaption(std::string_view caption) override;
    void setHeader(std::string_view header) override;
    void setLine(std::string_view line) override;
    void setPercent(int percent, std::string_view text) override;
    void setCancelHandler(std::function<void()> handler) override;
    void close() override;

private:
    QPointer<ProgressWindow> m_window;
};

// Makes Qt progress windows owned by a window, for controllers that start progress work.
std::function<std::unique_ptr<ProgressView>()> qtProgressViews(QWidget* owner);

}  // namespace cm
