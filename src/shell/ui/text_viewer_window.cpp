#include "shell/ui/text_viewer_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "base/fixed_text.h"
#include "base/ini_file.h"
#include "shell/placement.h"
#include "shell/runtime.h"
#include "shell/ui/progress_window.h"
#include "shell/ui/qt_placement.h"
#include "shell/ui/qt_text.h"

namespace cm {

namespace {

constexpr const char* kPrintText = "&Print";
constexpr const char* kFindText = "&Find...";
constexpr const char* kFindNextText = "Find Next";
constexpr const char* kCloseText = "&Close";
constexpr const char* kPageText = "Page ";
constexpr int kPrintPointSize = 9;
constexpr int kSmallestPrintPointSize = 6;
constexpr qreal kPrintMarginMm = 15;

bool evenlySpaced(const QFont& font) {
    const QFontMetrics metrics(font);
    return metrics.horizontalAdvance(QLatin1Char('i')) == metrics.horizontalAdvance(QLatin1Char('M'));
}

// The desktop's fixed-pitch font. Judged by its glyphs, since some monospaced fonts do not say
// so; a platform that names a proportional one gets whatever the font configuration calls
// monospace.
QFont fixedPitchFont() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (evenlySpaced(font)) return font;
    font.setFamilies({QStringLiteral("monospace")});
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    return font;
}

QString windowName(const TextViewerConfig& config) {
    return qs(config.placementSection) + "Window";
}

// Sizes in the window font's dialog units: a quarter of the average character width across,
// an eighth of the line height down.
QSize dialogUnits(const QWidget& widget, int across, int down) {
    const QFontMetrics metrics(widget.font());
    return {across * metrics.averageCharWidth() / 4, down * metrics.height() / 8};
}

}  // namespace

TextLinesModel::TextLinesModel(const TextViewer& viewer, QObject* parent)
    : QAbstractListModel(parent), m_viewer(viewer) {}

int TextLinesModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

QVariant TextLinesModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= m_rows) return {};
    return qs(m_viewer.lines()[static_cast<std::size_t>(index.row())]);
}

void TextLinesModel::cleared() {
    beginResetModel();
    m_rows = 0;
    endResetModel();
}

void TextLinesModel::appended(std::size_t first, std::size_t count) {
    if (count == 0) return;
    const int from = static_cast<int>(first);
    beginInsertRows({}, from, from + static_cast<int>(count) - 1);
    m_rows = from + static_cast<int>(count);
    endInsertRows();
}

FindTextWindow::FindTextWindow(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName("findTextWindow");
    setWindowTitle(kCaption);

    m_text = new QLineEdit(this);
    m_text->setObjectName("findWhat");
    m_text->setMaxLength(static_cast<int>(FindSettings::kMaxText));
    m_text->setMinimumWidth(dialogUnits(*this, 140, 0).width());

    m_wholeWord = new QCheckBox("Match &Whole Word Only", this);
    m_wholeWord->setObjectName("matchWholeWord");
    m_matchCase = new QCheckBox("Match &Case", this);
    m_matchCase->setObjectName("matchCase");

    auto* direction = new QGroupBox("Direction", this);
    direction->setObjectName("direction");
    m_up = new QRadioButton("Up", direction);
    m_up->setObjectName("directionUp");
    m_down = new QRadioButton("Down", direction);
    m_down->setObjectName("directionDown");
    m_down->setChecked(true);
    auto* directionLayout = new QHBoxLayout(direction);
    directionLayout->addWidget(m_up);
    directionLayout->addWidget(m_down);

    auto* buttons = new QDialogButtonBox(this);
    buttons->setObjectName("findButtons");
    m_find = buttons->addButton("Find", QDialogButtonBox::AcceptRole);
    m_find->setObjectName("findButton");
    m_find->setDefault(true);
    auto* cancel = buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
    cancel->setObjectName("cancelButton");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // Nothing to look for yet: the viewer would find no line.
    m_find->setEnabled(false);
    connect(m_text, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_find->setEnabled(!text.trimmed().isEmpty()); });

    auto* form = new QFormLayout;
    form->addRow("Find What:", m_text);
    auto* options = new QVBoxLayout;
    options->addWidget(m_wholeWord);
    options->addWidget(m_matchCase);
    options->addStretch(1);
    auto* middle = new QHBoxLayout;
    middle->addLayout(options);
    middle->addStretch(1);
    middle->addWidget(direction, 0, Qt::AlignTop);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(middle);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    m_text->setFocus();
}

FindSettings FindTextWindow::settings() const {
    FindSettings s;
    s.text = m_text->text().toStdString();
    s.wholeWord = m_wholeWord->isChecked();
    s.matchCase = m_matchCase->isChecked();
    s.direction = m_up->isChecked() ? SearchDirection::Up : SearchDirection::Down;
    return s;
}

TextViewerWindow::TextViewerWindow(TextViewerConfig config, const TextViewerServices& services, QWidget* parent)
    : QWidget(parent),
      m_services(services),
      m_viewer(std::move(config), services.runtime, services.timers,
               [this]() -> std::unique_ptr<ProgressView> { return std::make_unique<QtProgressView>(container()); }) {
    setObjectName("textViewer");
    setWindowTitle(qs(m_viewer.config().caption));

    m_model = new TextLinesModel(m_viewer, this);
    m_list = new QListView(this);
    m_list->setObjectName("textLines");
    m_list->setModel(m_model);
    m_list->setUniformItemSizes(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_list->setFont(fixedPitchFont());
    m_list->setEnabled(false);
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        const QModelIndexList rows = m_list->selectionModel()->selectedRows();
        m_viewer.select(rows.isEmpty() ? std::nullopt : std::optional<std::size_t>(rows.first().row()));
    });

    auto* print = new QPushButton(kPrintText, this);
    print->setObjectName("printButton");
    auto* find = new QPushButton(kFindText, this);
    find->setObjectName("findButton");
    m_findNext = new QPushButton(kFindNextText, this);
    m_findNext->setObjectName("findNextButton");
    m_findNext->setEnabled(false);
    auto* close = new QPushButton(kCloseText, this);
    close->setObjectName("closeButton");
    connect(print, &QPushButton::clicked, this, &TextViewerWindow::print);
    connect(find, &QPushButton::clicked, this, &TextViewerWindow::openFind);
    connect(m_findNext, &QPushButton::clicked, this, [this] { m_viewer.findNext(); });
    connect(close, &QPushButton::clicked, this, [this] { container()->close(); });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(print);
    buttons->addWidget(find);
    buttons->addWidget(m_findNext);
    buttons->addStretch(1);
    buttons->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);

    setMinimumSize(dialogUnits(*this, 200, 80));
    // Wide enough for a log line of 100 characters.
    const QFontMetrics fixed(m_list->font());
    resize(QSize(fixed.horizontalAdvance(QString(102, QLatin1Char('M'))) + 40, dialogUnits(*this, 0, 200).height())
               .expandedTo(minimumSizeHint()));

    m_viewer.setObserver(this);
}

TextViewerWindow::~TextViewerWindow() {
    m_viewer.setObserver(nullptr);
}

QWidget* TextViewerWindow::container() {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) {
        if (!m_watchingContainer) {
            m_watchingContainer = true;
            sub->installEventFilter(this);
            connect(sub, &QMdiSubWindow::windowStateChanged, this,
                    [this](Qt::WindowStates before, Qt::WindowStates now) {
                        if (now.testFlag(Qt::WindowActive) && !before.testFlag(Qt::WindowActive))
                            m_viewer.gainedFocus();
                    });
        }
        return sub;
    }
    return this;
}

void TextViewerWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isWindow() && isActiveWindow()) m_viewer.gainedFocus();
}

bool TextViewerWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched != this && event->type() == QEvent::Close) savePlacement();
    return QWidget::eventFilter(watched, event);
}

void TextViewerWindow::closeEvent(QCloseEvent* event) {
    if (isWindow()) savePlacement();
    QWidget::closeEvent(event);
}

void TextViewerWindow::savePlacement() {
    if (m_placementSaved || m_services.positionIni.empty()) return;
    m_placementSaved = true;
    IniFile file(m_services.positionIni);
    Placement::save(file, m_viewer.config().placementSection, QtPlacement(*container()));
}

void TextViewerWindow::linesCleared() {
    m_model->cleared();
}

void TextViewerWindow::linesAppended(std::size_t first, std::size_t count) {
    m_model->appended(first, count);
}

void TextViewerWindow::lineSelected(std::size_t line) {
    const QModelIndex index = m_model->index(static_cast<int>(line));
    m_list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    m_list->scrollTo(index, QAbstractItemView::PositionAtCenter);
}

void TextViewerWindow::stateChanged() {
    m_list->setEnabled(m_viewer.listEnabled());
    m_findNext->setEnabled(m_viewer.findNextEnabled());
}

FindTextWindow* TextViewerWindow::openFind() {
    auto* window = new FindTextWindow(this);
    window->setAttribute(Qt::WA_DeleteOnClose);
    connect(window, &QDialog::accepted, this, [this, window] { m_viewer.find(window->settings()); });
    window->open();
    return window;
}

void TextViewerWindow::print() {
    QPrinter printer;
    printer.setDocName(qs(m_viewer.config().caption));
    printer.setPageMargins(QMarginsF(kPrintMarginMm, kPrintMarginMm, kPrintMarginMm, kPrintMarginMm),
                           QPageLayout::Millimeter);
    QPrintDialog dialog(&printer, this);
    dialog.setObjectName("printDialog");
    if (dialog.exec() != QDialog::Accepted) return;
    m_services.runtime.setBusy(true);
    render(&printer);
    m_services.runtime.setBusy(false);
}

void TextViewerWindow::render(QPrinter* printer) const {
    QPainter painter;
    if (!painter.begin(printer)) return;
    const QRect page = printer->pageLayout().paintRectPixels(printer->resolution());
    const std::vector<std::string>& lines = m_viewer.lines();

    QFont font = fixedPitchFont();
    font.setPointSize(kPrintPointSize);
    // Smaller type rather than lines cut at the margin, down to a size still easy to read.
    int widest = 0;
    for (const std::string& line : lines) widest = std::max(widest, static_cast<int>(FixedText::characterCount(line)));
    while (font.pointSize() > kSmallestPrintPointSize &&
           QFontMetrics(font, printer).horizontalAdvance(QString(widest, QLatin1Char('M'))) > page.width())
        font.setPointSize(font.pointSize() - 1);
    painter.setFont(font);
    const QFontMetrics metrics(font, printer);
    const int lineHeight = metrics.lineSpacing();
    const int footHeight = 2 * lineHeight;
    const int perPage = std::max(1, (page.height() - footHeight) / lineHeight);

    std::size_t next = 0;
    int pageNumber = 1;
    do {
        if (pageNumber > 1) printer->newPage();
        for (int row = 0; row < perPage && next < lines.size(); ++row, ++next)
            painter.drawText(0, row * lineHeight + metrics.ascent(), qs(lines[next]));
        painter.drawText(QRect(0, page.height() - lineHeight, page.width(), lineHeight), Qt::AlignHCenter,
                         kPageText + QString::number(pageNumber));
        ++pageNumber;
    } while (next < lines.size());
    painter.end();
}

QWidget* openTextViewer(TextViewerConfig config, const TextViewerServices& services, QMdiArea* area) {
    const QString name = windowName(config);
    if (area) {
        for (QMdiSubWindow* sub : area->subWindowList()) {
            if (sub->objectName() != name) continue;
            if (sub->isMinimized()) sub->showNormal();
            area->setActiveSubWindow(sub);
            return sub;
        }
    }

    auto* viewer = new TextViewerWindow(std::move(config), services);
    QWidget* window = viewer;
    if (area) {
        auto* sub = area->addSubWindow(viewer);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        sub->setMinimumSize(viewer->minimumSize());
        sub->resize(sub->sizeHint().expandedTo(viewer->size()));
        window = sub;
    } else {
        viewer->setAttribute(Qt::WA_DeleteOnClose);
        viewer->setWindowFlag(Qt::Window);
    }
    window->setObjectName(name);
    window->setWindowTitle(viewer->windowTitle());
    window->show();
    if (!services.positionIni.empty()) {
        QtPlacement placement(*window);
        Placement::restore(IniFile(services.positionIni), viewer->viewer().config().placementSection, placement);
    }
    viewer->container();  // starts following the subwindow's activation
    viewer->viewer().load();
    return window;
}

QWidget* openViewLog(const TextViewerServices& services, std::function<std::string()> logFile, QMdiArea* area) {
    return openTextViewer(viewLogConfig(std::move(logFile)), services, area);
}

QWidget* openViewScriptKeys(const TextViewerServices& services, const std::filesystem::path& dataFolder,
                            QMdiArea* area) {
    return openTextViewer(viewScriptKeysConfig(dataFolder), services, area);
}

}  // namespace cm
