#pragma once
// The Qt model of a shared table: as many rows as the owner's row array has elements, one column
// per identifier the owner gives, and every cell asked of the table's zevClass by its column's
// identifier (display, decoration, font and foreground roles). It keeps nothing of its own.

#include <QAbstractTableModel>
#include <QStringList>

namespace tallomer {

class ZEVTableView;

class ZEVTableModel final : public QAbstractTableModel {
public:
    explicit ZEVTableModel(ZEVTableView& table);

    void setColumnIdentifiers(const QStringList& ids);
    const QStringList& columnIdentifiers() const { return ids_; }
    // The rows or the columns changed as a whole.
    void reload();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    ZEVTableView& table_;
    QStringList ids_;
};

} // namespace tallomer
