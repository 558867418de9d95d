#include "inspectors/contacts/ZEVPersonTextCell.h"

namespace tallomer {

ZEVPersonTextCell::ZEVPersonTextCell(QAbstractItemDelegate* tableCell, QObject* parent)
    : QStyledItemDelegate(parent), tableCell_(tableCell == this ? nullptr : tableCell)
{
}

void ZEVPersonTextCell::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem inset(option);
    inset.rect = drawingRect(option.rect);
    if (tableCell_)
        tableCell_->paint(painter, inset, index);
    else
        QStyledItemDelegate::paint(painter, inset, index);
}

QSize ZEVPersonTextCell::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const QSize text = tableCell_ ? tableCell_->sizeHint(option, index) : QStyledItemDelegate::sizeHint(option, index);
    return text + QSize(0, 2 * kVerticalInset);
}

} // namespace tallomer
