#include "inspectors/base/ZEVInspectGeometry.h"

#include "runtime/Log.h"

#include <algorithm>
#include <cmath>

namespace tallomer::ZEVInspectGeometry {

namespace {

// x and width, shared by both places.
void horizontal(const ZEVInspectMetrics& m, const QRectF& F, double* x, double* w)
{
    const double ix = m.initialX, iw = m.initialWidth;
    if (ix + iw > F.width()) {
        if (iw > F.width()) {
            *x = 0;
            *w = F.width();
        } else {
            *x = F.width() - iw;
            *w = iw;
        }
    } else {
        *x = ix;
        *w = iw;
    }
}

bool tallerThanArea(const ZEVInspectMetrics& m, const QRectF& F, double Hh)
{
    return m.initialHeight - 10 > Hh + F.height();
}

} // namespace

QRectF closedRect(const ZEVInspectMetrics& m, const QRectF& F, double Hh)
{
    double x = 0, w = 0;
    horizontal(m, F, &x, &w);
    const double mm = m.minHeight + 20;
    const double h = 10 + (tallerThanArea(m, F, Hh) ? std::max(mm, F.height()) : std::max(mm, m.initialHeight - Hh));
    return QRectF(x, F.height() - 20, w, h);
}

QRectF openedRect(const ZEVInspectMetrics& m, const QRectF& F, double Hh)
{
    QRectF r = closedRect(m, F, Hh);
    const double mm = m.minHeight + 20;
    double y = 0;
    if (tallerThanArea(m, F, Hh))
        y = mm > F.height() ? F.height() - mm : 0;
    else
        y = mm > m.initialHeight - Hh ? F.height() - mm : Hh + F.height() - m.initialHeight;
    r.moveTop(y);
    return r;
}

QRectF rehung(const ZEVInspectMetrics& m, const QRectF& frame, const QRectF& F)
{
    const double top = F.height() + 10;
    const double h = std::max(m.minHeight + 30, top - frame.y());
    return QRectF(frame.x(), top - h, frame.width(), h);
}

QRectF constrainedFrame(const ZEVInspectMetrics& m, const QRectF& S, const QRectF& r)
{
    const double ih = m.initialHeight, iw = m.initialWidth, ix = m.initialX;
    const double mh = m.minHeight + 20 + 10;
    double x = r.x(), y = r.y(), w = r.width(), h = r.height();
    if (r.height() < mh) {
        h = mh;
        y = S.height() - mh + 10;
    } else if (r.y() + ih <= S.height()) {
        y = S.height() - ih;
        h = ih + 10;
    } else if (r.y() < 0) {
        h = mh;
        y = S.height() - mh + 10;
    } else if (r.y() == 0) {
        h = S.height() + 10;
    }
    if (r.x() + iw > S.width()) {
        if (r.x() > 0) {
            x = S.width() - iw;
            w = iw;
            if (x < 0) {
                x = 0;
                w = S.width();
            }
        } else {
            x = 0;
            w = S.width();
        }
    } else {
        w = iw;
        x = r.x() >= ix ? ix : S.width() - iw;
    }
    return QRectF(x, y, w, h);
}

ZEVInspectZone zoneForX(double frameX, double frameWidth, double mx)
{
    const double a = frameX + 20, b = frameX + frameWidth - 20;
    if (a < mx && mx < a + 20)
        return ZEVInspectZoneLeft;
    if (b - 20 < mx && mx < b)
        return ZEVInspectZoneRight;
    if (a < mx && mx < b)
        return ZEVInspectZoneMiddle;
    return ZEVInspectZoneNone;
}

DragStep drag(const ZEVInspectMetrics& m, ZEVInspectZone zone, const QRectF& frame, const QRectF& S, double dx,
              double dy)
{
    DragStep out;
    double x = frame.x(), y = frame.y(), w = frame.width(), h = frame.height();
    switch (zone) {
    case ZEVInspectZoneRight:
        y += dy;
        h -= dy;
        w += dx;
        if (x + w - 20 > S.width() - 20) {
            w = S.width() - x;
            out.keepX = true;
        }
        if (w < m.minWidth) {
            w = frame.width();
            out.keepX = true;
        }
        break;
    case ZEVInspectZoneMiddle:
        x += dx;
        y += dy;
        h -= dy;
        if (x + w - 20 > S.width() - 20) {
            x = S.width() - w;
            out.keepX = true;
        }
        if (x < 0) {
            x = 0;
            out.keepX = true;
        }
        break;
    case ZEVInspectZoneLeft:
        x += dx;
        w -= dx;
        y += dy;
        h -= dy;
        if (x < 0) {
            x = 0;
            w = frame.width();
            out.keepX = true;
        }
        if (w < m.minWidth) {
            x = frame.x();
            w = frame.width();
            out.keepX = true;
        }
        break;
    case ZEVInspectZoneNone:
        out.frame = frame;
        return out;
    }
    if (y < 0) {
        y = 0;
        h = S.height() + 10;
        out.keepY = true;
    }
    if (y + 20 > S.height() - m.minHeight) {
        y = S.height() - m.minHeight - 20;
        h = m.minHeight + 30;
        out.keepY = true;
    }
    out.frame = QRectF(x, y, w, h);
    return out;
}

QRectF inspectRect(double width, double height) { return QRectF(20, 20, width - 40, height - 20); }

QRectF inspectBarRect(double width, double barWidth) { return QRectF(20, 20, width - 40, barWidth); }

double readKept(const QString& key, double stored, bool present, double initial, bool allowZero)
{
    if (!present)
        return initial;
    const bool ok = std::isfinite(stored) && stored >= 0 && stored <= kAbsurd && (allowZero || stored > 0);
    if (ok)
        return stored;
    logFormat("ZEVInspectView %s: the stored value %g is not a believable size, %g is taken instead",
              key.toUtf8().constData(), stored, initial);
    return initial;
}

} // namespace tallomer::ZEVInspectGeometry
