#include "shell/ui/about_window.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "shell/ui/icons.h"
#include "shell/version.h"

namespace cm {

namespace {

constexpr const char* kAboutText =
    "Chronomate keeps your reminders, programs and keystroke scripts on time. It runs quietly in "
    "the tray, shows each message when it falls due, and keeps your to-do list, contacts and "
    "clipboard history close at hand.";
constexpr int kIconSize = 64;

QLabel* link(const QString& target, const QString& text, const char* name) {
    auto* label = new QLabel(QStringLiteral("<a href=\"%1\">%2</a>").arg(target.toHtmlEscaped(), text.toHtmlEscaped()));
    label->setObjectName(name);
    label->setTextFormat(Qt::RichText);
    label->setOpenExternalLinks(true);
    label->setTextInteractionFlags(Qt::TextBrowserInteraction);
    return label;
}

}  // namespace

AboutWindow::AboutWindow(QWidget* parent) : QDialog(parent), m_title(new QPushButton(this)) {
    setObjectName("aboutWindow");
    setWindowTitle(QStringLiteral("About %1").arg(QString::fromUtf8(Version::kProductName)));

    auto* icon = new QLabel(this);
    icon->setObjectName("aboutIcon");
    QIcon programImage = programIcon("CLOCK.ICO");
    if (programImage.isNull()) programImage = QApplication::windowIcon();
    icon->setPixmap(programImage.pixmap(kIconSize, kIconSize));
    icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    m_title->setObjectName("aboutTitle");
    m_title->setText(QString::fromUtf8(Version::kFullTitle));
    m_title->setFlat(true);
    m_title->setAutoDefault(false);
    m_title->setStyleSheet(  // flush with the text below it
        QStringLiteral("QPushButton { border: none; padding: 0px; margin: 0px; text-align: left; }"));
    QFont big = m_title->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.5);
    m_title->setFont(big);
    // Unclickable until the frame sets a slot, but drawn as plain text rather than greyed out.
    QPalette palette = m_title->palette();
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, palette.color(QPalette::Active, QPalette::ButtonText));
    m_title->setPalette(palette);
    m_title->setEnabled(false);
    connect(m_title, &QPushButton::clicked, this, [this] {
        if (m_onTitle) m_onTitle();
    });

    auto* text = new QLabel(kAboutText, this);
    text->setObjectName("aboutText");
    text->setWordWrap(true);

    const QString home = QString::fromUtf8(Version::kHomePage);
    const QString mail = QString::fromUtf8(Version::kEmail);

    auto* details = new QVBoxLayout;
    details->addWidget(m_title, 0, Qt::AlignLeft);
    details->addWidget(text);
    details->addSpacing(style()->pixelMetric(QStyle::PM_LayoutVerticalSpacing, nullptr, this));
    details->addWidget(link(home, home, "homePage"));
    details->addWidget(link(QStringLiteral("mailto:") + mail, mail, "email"));
    details->addStretch(1);

    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addSpacing(style()->pixelMetric(QStyle::PM_LayoutHorizontalSpacing, nullptr, this) * 2);
    top->addLayout(details, 1);

    auto* buttons = new QDialogButtonBox(this);
    buttons->setObjectName("aboutButtons");
    auto* ok = buttons->addButton("&OK", QDialogButtonBox::AcceptRole);
    ok->setObjectName("okButton");
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(buttons);

    const QFontMetrics metrics(font());
    text->setMinimumWidth(metrics.averageCharWidth() * 48);
}

void AboutWindow::setTitleClicked(std::function<void()> onClick) {
    m_onTitle = std::move(onClick);
    m_title->setEnabled(static_cast<bool>(m_onTitle));
    m_title->setCursor(m_onTitle ? Qt::PointingHandCursor : Qt::ArrowCursor);
    m_title->setToolTip(m_onTitle ? QStringLiteral("Window titles") : QString());
}

}  // namespace cm
