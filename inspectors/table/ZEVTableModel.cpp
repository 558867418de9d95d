#include "inspectors/table/ZEVTableModel.h"

#include "inspectors/table/ZEVTableView.h"

namespace tallomer {

ZEVTableModel::ZEVTableModel(ZEVTableView& table) : QAbstractTableModel(&table), table_(table) {}

void ZEVTableModel::setColumnIdentifiers(const QStringList& ids)
{
    beginResetModel();
    ids_ = ids;
    endResetModel();
}

void ZEVTableModel::reload()
{
    beginResetModel();
    endResetModel();
}

int ZEVTableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : table_.numberOfRows(); }

int ZEVTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(ids_.size()); }

QVariant ZEVTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.column() >= ids_.size() || !table_.element(index.row()))
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::DecorationRole:
    case Qt::FontRole:
    case Qt::ForegroundRole:
        break;
    default:
        return {};
    }
    ZEVTableViewClass* zev = table_.zevClass();
    return zev ? zev->objectValue(table_, ids_[index.column()], index.row(), role) : QVariant();
}

Qt::ItemFlags ZEVTableModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

} // namespace tallomer
