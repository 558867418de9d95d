#pragma once
// The cells of the entity buttons: a vertical grey gradient by state (ZEVButtonCell) and a
// rounded white fill by state with a thin dark outline (ZEVButtonCell3). Neither tints a pressed
// button.

#include "widgets/ZEVButton.h"

#include <QLinearGradient>

namespace tallomer {

class ZEVButtonCell final : public ZEVButtonCellBase {
public:
    QColor fillColorForState(int state) const override;
    void drawBezelWithFrame(QPainter& painter, const QRectF& frame, int state) const override;
    // The gradient of a state over a frame: four opaque grey levels at 0.0, 0.1, 0.9 and 1.0 from
    // the bottom up.
    static QLinearGradient gradientForState(int state, const QRectF& frame);
};

class ZEVButtonCell3 final : public ZEVButtonCellBase {
public:
    QColor fillColorForState(int state) const override;
    void drawBezelWithFrame(QPainter& painter, const QRectF& frame, int state) const override;
};

} // namespace tallomer
