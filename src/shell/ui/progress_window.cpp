#include "shell/ui/progress_window.h"

#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "shell/ui/qt_text.h"

namespace cm {

namespace {

constexpr int kMinimumWidthChars = 40;
// Room beside the caption for the decoration's icon and buttons, in average characters.
constexpr int kDecorationChars = 16;

}  // namespace

ProgressWindow::ProgressWindow(QWidget* owner)
    : QDialog(owner ? (owner->isWindow() ? owner : owner->window()) : nullptr,
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_owner(owner) {
    setObjectName("progressWindow");

    m_header = new QLabel(this);
    m_header->setObjectName("progressHeader");
    m_header->setAlignment(Qt::AlignCenter);
    QFont bold = m_header->font();
    bold.setBold(true);
    m_header->setFont(bold);

    m_line = new QLabel(this);
    m_line->setObjectName("progressLine");
    m_line->setAlignment(Qt::AlignCenter);

    m_bar = new QProgressBar(this);
    m_bar->setObjectName("progressBar");
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    m_bar->setTextVisible(false);

    m_percent = new QLabel(this);
    m_percent->setObjectName("progressPercent");
    m_percent->setAlignment(Qt::AlignCenter);

    auto* buttons = new QDialogButtonBox(this);
    buttons->setObjectName("progressButtons");
    buttons->setCenterButtons(true);
    m_cancelButton = buttons->addButton(kCancelText, QDialogButtonBox::RejectRole);
    m_cancelButton->setObjectName("cancelButton");
    connect(m_cancelButton, &QPushButton::clicked, this, &ProgressWindow::cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_header);
    layout->addWidget(m_line);
    layout->addWidget(m_bar);
    layout->addWidget(m_percent);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    m_bar->setMinimumWidth(QFontMetrics(font()).averageCharWidth() * kMinimumWidthChars);

    // Work started from a window inside the frame disables only that window; a top-level
    // owner is blocked the way a window-modal box would block it, without a nested loop.
    if (owner && owner->isWindow()) {
        setWindowModality(Qt::WindowModal);
    } else if (owner) {
        owner->setEnabled(false);
    }
}

ProgressWindow::~ProgressWindow() {
    if (m_owner && !m_owner->isWindow()) m_owner->setEnabled(true);
}

void ProgressWindow::setCaption(const QString& caption) {
    setWindowTitle(caption);
    // Wide enough for the whole caption in the title bar, which desktops draw in a bolder font.
    QFont title = font();
    title.setBold(true);
    const QString shown = QGuiApplication::applicationDisplayName().isEmpty()
                              ? caption
                              : caption + QStringLiteral(" \u2014 ") + QGuiApplication::applicationDisplayName();
    const QFontMetrics metrics(title);
    const int width = metrics.horizontalAdvance(shown) + kDecorationChars * metrics.averageCharWidth();
    m_bar->setMinimumWidth(std::max(width, kMinimumWidthChars * QFontMetrics(font()).averageCharWidth()));
}

void ProgressWindow::setHeader(const QString& header) {
    m_header->setText(header);
    m_header->setVisible(!header.isEmpty());
}

void ProgressWindow::setLine(const QString& line) {
    m_line->setText(line);
    m_line->setVisible(!line.isEmpty());
}

void ProgressWindow::setPercent(int percent, const QString& text) {
    m_bar->setValue(percent);
    m_percent->setText(text);
}

QString ProgressWindow::header() const {
    return m_header->text();
}
QString ProgressWindow::line() const {
    return m_line->text();
}
QString ProgressWindow::percentText() const {
    return m_percent->text();
}
int ProgressWindow::percent() const {
    return m_bar->value();
}

void ProgressWindow::closeEvent(QCloseEvent* event) {
    if (m_closing) {
        QDialog::closeEvent(event);
        return;
    }
    event->ignore();
    cancel();
}

void ProgressWindow::reject() {
    if (m_closing) {
        QDialog::reject();
        return;
    }
    cancel();
}

void ProgressWindow::cancel() {
    if (m_cancel) {
        const std::function<void()> handler = m_cancel;
        handler();
    }
}

QtProgressView::QtProgressView(QWidget* owner) : m_window(new ProgressWindow(owner)) {
    m_window->show();
}

QtProgressView::~QtProgressView() {
    close();
}

void QtProgressView::setCaption(std::string_view caption) {
    if (m_window) m_window->setCaption(qs(caption));
}

void QtProgressView::setHeader(std::string_view header) {
    if (m_window) m_window->setHeader(qs(header));
}

void QtProgressView::setLine(std::string_view line) {
    if (m_window) m_window->setLine(qs(line));
}

void QtProgressView::setPercent(int percent, std::string_view text) {
    if (m_window) m_window->setPercent(percent, qs(text));
}

void QtProgressView::setCancelHandler(std::function<void()> handler) {
    if (m_window) m_window->setCancelHandler(std::move(handler));
}

void QtProgressView::close() {
    if (!m_window) return;
    ProgressWindow* window = m_window;
    m_window = nullptr;
    window->setCancelHandler(nullptr);
    window->m_closing = true;
    window->hide();
    if (window->m_owner && !window->m_owner->isWindow()) window->m_owner->setEnabled(true);
    window->deleteLater();
}

std::function<std::unique_ptr<ProgressView>()> qtProgressViews(QWidget* owner) {
    QPointer<QWidget> guarded(owner);
    return [guarded]() -> std::unique_ptr<ProgressView> { return std::make_unique<QtProgressView>(guarded.data()); };
}

}  // namespace cm
