#pragma once

#include <QGraphicsItem>
#include <QRectF>
#include <QSizeF>
#include <QString>

namespace tallomer {

// A web download's progress in place of the icon: a bar across the lower part of the image's
// frame with the percentage under it when the length is known (determinate), else a hatched
// bar without a percentage.
class ZEVItemProgressView final : public QGraphicsItem {
public:
    ZEVItemProgressView(QGraphicsItem* parent, bool determinate) : QGraphicsItem(parent), determinate_(determinate)
    {
    }
    QRectF boundingRect() const override { return QRectF(QPointF(0, 0), size_); }
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

    void setSize(const QSizeF& size);
    bool determinate() const { return determinate_; }
    double fraction() const { return fraction_; }
    // Held between 0 and 1.
    void setFraction(double fraction);
    // "42.5%"; empty while indeterminate.
    QString text() const;

private:
    QSizeF size_;
    bool determinate_;
    double fraction_ = 0;
};

} // namespace tallomer
