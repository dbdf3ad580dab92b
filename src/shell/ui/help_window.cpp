#include "shell/ui/help_window.h"

#include <QDesktopServices>
#include <QFile>
#include <QToolBar>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "shell/ui/icons.h"
#include "shell/version.h"

static void registerHelpResources() { Q_INIT_RESOURCE(help); }

namespace cm {

namespace {

const QString kIndex = QStringLiteral("qrc:/help/index.html");

// The pages live in a static library: their resource object is pulled in from here.
void ensureHelpResources() {
    static const bool registered = (registerHelpResources(), true);
    (void)registered;
}

}  // namespace

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window), m_browser(new QTextBrowser(this)) {
    ensureHelpResources();
    setObjectName("HelpWindow");
    setWindowTitle(tr("%1 Help").arg(QString::fromUtf8(Version::kProductName)));
    setWindowIcon(programIcon("CLOCK.ICO"));

    auto* bar = new QToolBar(this);
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    QAction* contents = bar->addAction(QIcon::fromTheme("go-home"), tr("&Contents"));
    QAction* back = bar->addAction(QIcon::fromTheme("go-previous", programIcon(icon::kPrior)), tr("&Back"));
    QAction* forward = bar->addAction(QIcon::fromTheme("go-next", programIcon(icon::kNext)), tr("&Forward"));
    back->setEnabled(false);
    forward->setEnabled(false);

    m_browser->setObjectName("helpBrowser");
    m_browser->setFrameShape(QFrame::NoFrame);
    m_browser->document()->setDocumentMargin(12);
    // Pages of the manual open here; links out of it go to the desktop's browser.
    m_browser->setOpenLinks(false);
    connect(m_browser, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) {
        if (url.scheme() == "qrc" || url.isRelative()) {
            m_browser->setSource(url.isRelative() ? m_browser->source().resolved(url) : url);
        } else {
            QDesktopServices::openUrl(url);
        }
    });
    connect(contents, &QAction::triggered, this, [this] { m_browser->setSource(QUrl(kIndex)); });
    connect(back, &QAction::triggered, m_browser, &QTextBrowser::backward);
    connect(forward, &QAction::triggered, m_browser, &QTextBrowser::forward);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(m_browser);
    resize(720, 560);
}

QUrl HelpWindow::topicUrl(const QString& topic) {
    ensureHelpResources();
    const QString page = topic.section('#', 0, 0).trimmed().toLower();
    const QString anchor = topic.section('#', 1);
    if (page.isEmpty() || !QFile::exists(QStringLiteral(":/help/%1.html").arg(page))) return QUrl(kIndex);
    QUrl url(QStringLiteral("qrc:/help/%1.html").arg(page));
    if (!anchor.isEmpty()) url.setFragment(anchor);
    return url;
}

void HelpWindow::showTopic(const QString& topic) {
    m_browser->setSource(topicUrl(topic));
    show();
    raise();
    activateWindow();
}

}  // namespace cm
