#include "inspectors/contacts/ZEVPersonTextCell.h"

#include <QIcon>
#include <QPainter>
#include <QPixmap>

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

QRect ZEVPersonPictureCell::pictureRect(const QRect& cell, QSize picture)
{
    const QRect room = cell.adjusted(kInset, kInset, -kInset, -kInset);
    if (picture.isEmpty() || room.isEmpty())
        return {};
    // Never larger than it is, nor than the room.
    if (picture.width() > room.width() || picture.height() > room.height())
        picture = picture.scaled(room.size(), Qt::KeepAspectRatio);
    return QRect(QPoint(room.center().x() + 1 - (picture.width() + 1) / 2, room.center().y() + 1 - (picture.height() + 1) / 2),
                 picture);
}

void ZEVPersonPictureCell::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const QVariant value = index.data(Qt::DecorationRole);
    QPixmap picture = value.value<QPixmap>();
    if (picture.isNull())
        if (const QImage image = value.value<QImage>(); !image.isNull())
            picture = QPixmap::fromImage(image);
    if (picture.isNull())
        if (const QIcon icon = value.value<QIcon>(); !icon.isNull())
            picture = icon.pixmap(option.rect.size().shrunkBy(QMargins(kInset, kInset, kInset, kInset)));
    const QRect at = pictureRect(option.rect, picture.deviceIndependentSize().toSize());
    if (at.isEmpty())
        return;
    painter->save();
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->drawPixmap(at, picture);
    painter->restore();
}

} // namespace tallomer
