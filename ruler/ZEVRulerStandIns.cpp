#include "ruler/ZEVRulerStandIns.h"

namespace tallomer {

ZEVContextViewStandIn::ZEVContextViewStandIn(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("ZEVContextView"));
    appliquer();
}

void ZEVContextViewStandIn::adjustMin()
{
    siNarrow_ = true;
    appliquer();
}

void ZEVContextViewStandIn::adjustMax()
{
    siNarrow_ = false;
    appliquer();
}

void ZEVContextViewStandIn::setWidths(int wide, int narrow)
{
    wide_ = wide;
    narrow_ = narrow;
    appliquer();
}

void ZEVContextViewStandIn::appliquer()
{
    // The right edge stays where it is: the row lies against the bar's right end.
    const int right = geometry().right();
    const int w = siNarrow_ ? narrow_ : wide_;
    setGeometry(right + 1 - w, y(), w, height());
}

} // namespace tallomer
