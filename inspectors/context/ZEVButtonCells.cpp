#include "inspectors/context/ZEVButtonCells.h"
#include "platform/SystemColours.h"

#include <QPainter>
#include <QPainterPath>

#include <array>

namespace tallomer {

namespace {

using Levels = std::array<double, 4>;

const Levels& levelsForState(int state)
{
    static const Levels on{0.85, 1.0, 1.0, 0.57};
    static const Levels off{0.75, 0.65, 0.65, 0.5};
    static const Levels mixed{0.75, 0.85, 0.85, 0.52};
    return state == kZEVStateOn ? on : state == kZEVStateOff ? off : mixed;
}

QColor grey(double level) { return QColor::fromRgbF(float(level), float(level), float(level), 1.0f); }

} // namespace

QLinearGradient ZEVButtonCell::gradientForState(int state, const QRectF& frame)
{
    // At 90 degrees: from the frame's bottom edge up to its top.
    QLinearGradient g(frame.bottomLeft(), frame.topLeft());
    const Levels& l = levelsForState(state);
    const double at[4] = {0.0, 0.1, 0.9, 1.0};
    for (int i = 0; i < 4; ++i)
        g.setColorAt(at[i], grey(l[std::size_t(i)]));
    return g;
}

QColor ZEVButtonCell::fillColorForState(int state) const { return grey(levelsForState(state)[1]); }

void ZEVButtonCell::drawBezelWithFrame(QPainter& painter, const QRectF& frame, int state) const
{
    painter.fillRect(frame, gradientForState(state, frame));
}

QColor ZEVButtonCell3::fillColorForState(int state) const
{
    if (state == kZEVStateOn)
        return QColor::fromRgbF(1, 1, 1, 1);
    if (state == kZEVStateOff)
        return QColor::fromRgbF(0.6f, 0.6f, 0.6f, 0.5f);
    return QColor::fromRgbF(0.8f, 0.8f, 0.8f, 0.85f);
}

void ZEVButtonCell3::drawBezelWithFrame(QPainter& painter, const QRectF& frame, int state) const
{
    QPainterPath path;
    path.addRoundedRect(frame.adjusted(0.25, 0.25, -0.25, -0.25), 2, 2);
    painter.fillPath(path, fillColorForState(state));
    painter.setPen(QPen(systemDarkGrey(), 0.5));
    painter.drawPath(path);
}

} // namespace tallomer
