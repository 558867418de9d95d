#pragma once
// The Contacts table's title cell: the table's own cell drawing, with the text kept 5 points off
// the row's top and bottom so the title sits in the band of the presence bars. And its picture
// cell: the contact's picture whole, centred in the cell.

#include <QPointer>
#include <QStyledItemDelegate>

namespace tallomer {

class ZEVPersonTextCell final : public QStyledItemDelegate {
public:
    static constexpr int kVerticalInset = 5;

    // `tableCell` is the table's delegate, which draws the cell in the rectangle given; not
    // owned (the table owns it). Without it the plain drawing is used.
    ZEVPersonTextCell(QAbstractItemDelegate* tableCell, QObject* parent);

    static QRect drawingRect(const QRect& bounds) { return bounds.adjusted(0, kVerticalInset, 0, -kVerticalInset); }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    QPointer<QAbstractItemDelegate> tableCell_;
};

// The stock cell draws a picture from a margin on its left, and a picture as tall as the row was
// cut by the title beside it: this one fits the picture inside the cell, one point from each
// edge (the spacing between cells), and centres it.
class ZEVPersonPictureCell final : public QStyledItemDelegate {
public:
    static constexpr int kInset = 1;
    using QStyledItemDelegate::QStyledItemDelegate;

    // Where a picture of that size is drawn in the cell.
    static QRect pictureRect(const QRect& cell, QSize picture);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

} // namespace tallomer
