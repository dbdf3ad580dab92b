#include "shell/ui/list_model.h"

#include "shell/list_controller.h"
#include "shell/ui/icons.h"
#include "shell/ui/qt_text.h"

namespace cm {

namespace {

Qt::Alignment qtAlignment(ColumnAlign align) {
    switch (align) {
        case ColumnAlign::Right:
        case ColumnAlign::Decimal:  // decimal columns line up on the right
            return Qt::AlignRight | Qt::AlignVCenter;
        case ColumnAlign::Center:
            return Qt::AlignHCenter | Qt::AlignVCenter;
        case ColumnAlign::Left:
            break;
    }
    return Qt::AlignLeft | Qt::AlignVCenter;
}

}  // namespace

ListModel::ListModel(ListController& controller, QObject* parent)
    : QAbstractTableModel(parent),
      m_controller(controller),
      m_rows(static_cast<int>(controller.rows().size())),
      m_columns(static_cast<int>(controller.format().columns().size())) {
    m_controller.setObserver([this] { reload(); });
}

ListModel::~ListModel() { m_controller.setObserver({}); }

int ListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : m_rows; }

int ListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : m_columns; }

QVariant ListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) return {};
    const auto& rows = m_controller.rows();
    const auto& columns = m_controller.format().columns();
    const auto row = static_cast<std::size_t>(index.row());
    const auto column = static_cast<std::size_t>(index.column());
    if (row >= rows.size() || column >= columns.size()) return {};
    const std::string empty;
    const std::string& cell = column < rows[row].cells.size() ? rows[row].cells[column] : empty;
    const bool icon = columns[column].icon;
    switch (role) {
        case Qt::DisplayRole:
            return icon ? QVariant() : QVariant(qs(cell));
        case Qt::DecorationRole:
            return icon && !cell.empty() ? QVariant(programIcon(cell)) : QVariant();
        case Qt::ToolTipRole:
            return icon ? QVariant() : QVariant(qs(cell));
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(qtAlignment(columns[column].align));
        default:
            return {};
    }
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    const auto& columns = m_controller.format().columns();
    if (orientation != Qt::Horizontal || section < 0 || section >= m_columns ||
        static_cast<std::size_t>(section) >= columns.size())
        return QAbstractTableModel::headerData(section, orientation, role);
    const ListColumn& column = columns[static_cast<std::size_t>(section)];
    switch (role) {
        case Qt::DisplayRole:
            return qs(column.title);
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(qtAlignment(column.titleAlign));
        default:
            return {};
    }
}

Qt::ItemFlags ListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

void ListModel::reload() { refresh(false); }

void ListModel::reloadFormat() { refresh(true); }

void ListModel::refresh(bool reset) {
    const int rows = static_cast<int>(m_controller.rows().size());
    const int columns = static_cast<int>(m_controller.format().columns().size());
    if (!reset && rows == m_rows && columns == m_columns) {
        // The page keeps its size while it scrolls: only the cells change.
        if (rows > 0 && columns > 0) emit dataChanged(index(0, 0), index(rows - 1, columns - 1));
    } else {
        beginResetModel();
        m_rows = rows;
        m_columns = columns;
        endResetModel();
    }
    emit pageChanged();
}

}  // namespace cm
