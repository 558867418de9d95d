#include "inspectors/channels/ZEVChannelRules.h"

#include "platform/Keys.h"

#include <algorithm>
#include <cmath>

namespace tallomer::ZEVChannelRules {

QRectF frame(const ZEVInspectMetrics& m, const QRectF& S, const QRectF& r)
{
    const double Sw = S.width(), Sh = S.height();
    const double mh = m.minHeight + 20 + 10;
    const double ih = m.initialHeight, iw = m.initialWidth, ix = m.initialX;
    double x = r.x(), y = r.y(), w = r.width(), h = r.height();
    if (mh > h) {
        h = mh;
        y = Sh - mh + 10;
    } else if (y + ih <= Sh || y > 0) {
        y = Sh - ih;
        h = ih + 10;
    } else if (y < 0) {
        y = 0;
        h = Sh + 10;
    } else {
        h = Sh + 10;
    }
    if (x + iw > Sw) {
        if (x > 0) {
            x = Sw - iw;
            w = iw;
            if (x < 0) {
                x = 0;
                w = Sw;
            }
        } else {
            x = 0;
            w = Sw;
        }
    } else {
        x = ix > x ? Sw - iw : ix;
        w = iw;
    }
    return QRectF(x, y, w, h);
}

Wheel::Result Wheel::add(double dx, double dy)
{
    Result out;
    if (!std::isfinite(dx) || !std::isfinite(dy))
        return out;
    if (std::fabs(dx) > std::fabs(dy)) {
        if (direction_ != 0 && direction_ != 1)
            return out;
        direction_ = 1;
        out.counted = true;
        delta_ += dx;
        if (dx > 0 && delta_ > kThreshold) {
            out.step = Step::NextSpace;
            delta_ = -kThreshold;
        } else if (dx <= 0 && delta_ < -kThreshold) {
            out.step = Step::PreviousSpace;
            delta_ = kThreshold;
        }
    } else if (std::fabs(dy) > std::fabs(dx)) {
        if (direction_ != 0 && direction_ != 2)
            return out;
        direction_ = 2;
        out.counted = true;
        delta_ += dy;
        if (dy > 0 && delta_ > kThreshold) {
            out.step = Step::ChannelDown;
            delta_ = -kThreshold;
        } else if (dy <= 0 && delta_ < -kThreshold) {
            out.step = Step::ChannelUp;
            delta_ = kThreshold;
        }
    }
    return out;
}

QString countText(int rows, int selectedCount, int selectedRow, const QString& spaceName)
{
    if (rows <= 0)
        return QStringLiteral("No Channel!");
    const int row = selectedCount == 1 && selectedRow >= 0 ? selectedRow + 1 : 0;
    return QStringLiteral("%1-%2 %3").arg(rows).arg(row).arg(spaceName);
}

SpaceStepKeys spaceStepKeys(Qt::KeyboardModifiers held)
{
    SpaceStepKeys k;
    k.same = held.testFlag(keys::kCommand);
    k.distinct = held.testFlag(Qt::MetaModifier) && !k.same;
    return k;
}

std::optional<double> stepFor(double span, double stripWidth)
{
    if (!std::isfinite(stripWidth) || !(stripWidth > 0) || !std::isfinite(span) || !(span > 0))
        return std::nullopt;
    const double step = span / (stripWidth / 48.0);
    if (!std::isfinite(step) || !(step > 0))
        return std::nullopt;
    return step;
}

std::uint64_t tagForStep(double step)
{
    if (!std::isfinite(step) || step > kBeyondStep)
        return kBeyondTag;
    return step > 0 ? std::uint64_t(step) : 0;
}

QString stringForDuration(double s)
{
    if (!std::isfinite(s))
        return QStringLiteral("---");
    double days = std::trunc(s / 86400.0);
    if (days > 364635)
        return QStringLiteral("---");
    if (days > 3650)
        return QString::asprintf("%.0fy", days / 365.0);
    if (days > 365)
        return QString::asprintf("%.1fy", days / 365.0);
    if (days > 7)
        return QString::asprintf("%.0fd", days);
    double reste = s - 86400.0 * days;
    double hours = std::trunc(reste / 3600.0);
    reste -= 3600.0 * hours;
    double minutes = std::trunc(reste / 60.0);
    const double seconds = std::round(reste - 60.0 * minutes);
    if (seconds >= 60)
        minutes += 1;
    if (minutes >= 60) {
        hours += 1;
        minutes -= 60;
    }
    if (hours >= 24) {
        days += 1;
        hours -= 24;
    }
    if (days >= 1)
        return QString::asprintf("%.0f:%02.0fd", days, hours);
    return QString::asprintf("%02.0f:%02.0f", hours, minutes);
}

Placement placement(const std::vector<std::uint64_t>& presetTags, std::uint64_t tag)
{
    Placement p;
    for (std::uint64_t t : presetTags) {
        if (t >= tag) {
            p.extra = t - tag >= 3;
            return p;
        }
        ++p.index;
    }
    p.extra = true;
    return p;
}

std::optional<Offsets> zoomOffsets(double span, double W, double r, double step)
{
    const std::optional<double> c = stepFor(span, W);
    if (!c || !std::isfinite(step) || !(step > 0) || std::isnan(r))
        return std::nullopt;
    const double x = r < 0 ? 0.0 : r > 1 ? W : r * W;
    const double a = x / 48.0, b = (W - x) / 48.0;
    Offsets o{(*c - step) * a, (step - *c) * b};
    if (!std::isfinite(o.in) || !std::isfinite(o.out))
        return std::nullopt;
    return o;
}

Lights lightsFor(Move move, const Browsing& b, bool aimedOn, bool home)
{
    const int aimed = aimedOn ? 1 : -1;
    const int mixedHome = home ? -1 : 0;
    Lights l;
    switch (move) {
    case Move::Up:
    case Move::Down: {
        const int lit = b.channels ? 1 : aimed, other = b.channels ? -1 : 0;
        l.channelUp = move == Move::Up ? lit : other;
        l.channelDown = move == Move::Up ? other : lit;
        l.home = mixedHome;
        break;
    }
    case Move::PreviousSpace:
    case Move::NextSpace: {
        const int lit = b.spaces ? 1 : aimed, other = b.spaces ? -1 : 0;
        l.previousSpace = move == Move::PreviousSpace ? lit : other;
        l.nextSpace = move == Move::PreviousSpace ? other : lit;
        l.home = mixedHome;
        break;
    }
    case Move::PreviousObject:
    case Move::NextObject:
        l.gotoPrevious = move == Move::PreviousObject ? aimed : 0;
        l.gotoNext = move == Move::PreviousObject ? 0 : aimed;
        l.home = mixedHome;
        break;
    case Move::Rest:
        l.previousSpace = l.nextSpace = b.spaces ? -1 : 0;
        l.gotoPrevious = l.gotoNext = 0;
        l.channelUp = l.channelDown = b.channels ? -1 : 0;
        if (!b.channels && !b.spaces && !b.history)
            l.home = 0;
        break;
    }
    return l;
}

std::optional<QRectF> ctrlScrollLine(double m, double Fw, double bar)
{
    if (!(20 < m && m < Fw - 20))
        return std::nullopt;
    return QRectF(m - 1, 20, 3, bar);
}

QRectF pastBand(std::optional<double> inX, double ax, double Fw, double elapsed)
{
    if (!inX)
        return {};
    if (*inX >= 20) {
        if (*inX < Fw - 20 && elapsed >= 0.15)
            return QRectF(*inX, 39, std::min(Fw - 20, ax) - *inX, 4);
        return {};
    }
    if (ax > 20)
        return QRectF(20, 39, std::min(Fw - 20, ax) - 20, 4);
    return {};
}

} // namespace tallomer::ZEVChannelRules
