#pragma once

#include <QAbstractTableModel>

namespace cm {

class ListController;

// The page a list controller holds, as a table model: one row per page row, the columns,
// titles and alignments of the list's format, and icons for the columns that name one.
//
// The model is the controller's observer: every change of the page reaches the view through
// it, and pageChanged() tells the window to follow the highlight, thumb and buttons.
class ListModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ListModel(ListController& controller, QObject* parent = nullptr);
    ~ListModel() override;

    ListController& controller() const { return m_controller; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Takes the controller's rows again; the controller's observer calls it.
    void reload();
    // After the controller was given another column layout: titles and columns read again.
    void reloadFormat();

signals:
    void pageChanged();

private:
    // A reset when the page's shape changed or the columns were read again; else new cells.
    void refresh(bool reset);

    ListController& m_controller;
    int m_rows = 0;
    int m_columns = 0;
};

}  // namespace cm
