#include "services/ZEVFrontMode.h"
#include "space/ZEVSpaceGoto.h"

#include "platform/CalendarDate.h"

#include <algorithm>
#include <cmath>

namespace tallomer {

namespace ZEVGoto {

namespace {
constexpr double kCentAns = 36500;
}

KELDate outTimeForGoToTime(KELDate t, long durationTag)
{
    if (!std::isfinite(t))
        return KELDateOuverte;
    int mois = 0, ans = 0;
    switch (durationTag) {
    case kQuarterHour:
        return t + 900;
    case kHour:
        return t + 3600;
    case kDay:
        return t + 86400;
    case kWeek:
        return t + 604800;
    case kMonth:
        mois = 1;
        break;
    case kSixMonths:
        mois = 6;
        break;
    case kYear:
        ans = 1;
        break;
    default:
        return KELDateOuverte;
    }
    const std::optional<CalendarDate> debut = CalendarDate::fromDate(t);
    if (!debut)
        return KELDateOuverte;
    // The fields roll over as the calendar's do: 31 January and a month is 3 March.
    const std::optional<CalendarDate> fin = CalendarDate::fromFields(
        debut->year() + ans, debut->month() + mois, debut->day(), debut->hour(), debut->minute(), debut->second());
    if (!fin)
        return KELDateOuverte;
    // The fields keep whole seconds: the fraction of the start rides along.
    return fin->date() + (t - std::floor(t));
}

QString durationStringForTag(long durationTag)
{
    switch (durationTag) {
    case kQuarterHour:
        return QStringLiteral(" (\u00bc hour)");
    case kHour:
        return QStringLiteral(" (1 hour)");
    case kDay:
        return QStringLiteral(" (1 day)");
    case kWeek:
        return QStringLiteral(" (1 week)");
    case kMonth:
        return QStringLiteral(" (1 month)");
    case kSixMonths:
        return QStringLiteral(" (6 months)");
    case kYear:
        return QStringLiteral(" (1 year)");
    default:
        return {};
    }
}

QString durationStringForDuration(double seconds)
{
    if (std::isnan(seconds))
        return QStringLiteral("> 100 years !");
    const double d = std::max(0.0, seconds);
    double jours = std::trunc(d / 86400);
    if (!std::isfinite(d) || jours > kCentAns)
        return QStringLiteral("> 100 years !");
    double reste = d - jours * 86400;
    double heures = std::trunc(reste / 3600);
    reste -= heures * 3600;
    double minutes = std::trunc(reste / 60);
    double secondes = std::round(reste - minutes * 60);
    if (secondes >= 60) {
        secondes -= 60;
        minutes += 1;
    }
    if (minutes >= 60) {
        minutes -= 60;
        heures += 1;
    }
    if (heures >= 24) {
        heures -= 24;
        jours += 1;
    }
    return QString::asprintf("%.0f %s  %02.0f:%02.0f:%02.0f", jours, jours > 1 ? "days" : "day", heures, minutes,
                             secondes);
}

} // namespace ZEVGoto

namespace ZEVMouseLimit {

ZEVMouseLimitZone cornerZone(bool fullScreen, double w, double h)
{
    if (fullScreen)
        return {QRectF(w - 70, h - 1, 70, 3), float(h - 2)};
    return {QRectF(w - 32, h + 2 - kTitleBarShift, 32, 19), float(h + 2 - kTitleBarShift)};
}

ZEVMouseLimitZone headerZone(bool fullScreen, double x, double w, double h, double headerHeight, bool allClosed)
{
    if (allClosed) {
        if (fullScreen)
            return {QRectF(0, h, w, 2), float(h)};
        return {QRectF(x, h - kTitleBarShift, w, 21), float(h - kTitleBarShift)};
    }
    const double hauteur = headerHeight + 60;
    if (fullScreen)
        return {QRectF(0, h - hauteur, w, hauteur + 2), float(h - hauteur)};
    return {QRectF(x, h - hauteur - kTitleBarShift, w, hauteur + 21), float(h - hauteur - kTitleBarShift)};
}

double closeDelay(float inf, double y)
{
    if (!(inf > 0) || !std::isfinite(inf) || !std::isfinite(y))
        return 1.0;
    // Worked out in single precision, as the delay always was.
    const float q = float(((double(inf) * 10 / 9.9 - y) * 9.9) / double(inf));
    const double d = double(1.0f / q) / 10;
    // Far above the edge q reaches 0 and below: the longest wait, not an endless or negative one.
    if (!std::isfinite(d) || d <= 0)
        return 1.0;
    return std::clamp(d, 0.01, 1.0);
}

} // namespace ZEVMouseLimit

std::optional<ZEVWindowTitle> ZEVWindowTitleFor(const ZEVWindowTitleState& s)
{
    if (ZEVNormalisedFrontMode(s.mode) == ZEVFrontModeNone)
        return std::nullopt;
    static const char* const outils[] = {"", "Title Tool", "Filter Tool", "Link Tool"};
    const QString outil = QString::fromLatin1(outils[s.mode]);
    ZEVWindowTitle t;
    if (s.pointerInZone) {
        QString partie;
        if (s.nowActive)
            partie = s.mode == ZEVFrontModeIcons ? QString() : QStringLiteral("(%1)  ").arg(outil);
        else
            partie = s.mode == ZEVFrontModeIcons ? QStringLiteral("(Search)  ") : QStringLiteral("(Search - %1)  ").arg(outil);
        t.title = QStringLiteral("=  %1  %2=").arg(s.n, partie);
        return t;
    }
    if (s.nowActive) {
        if (s.mode == ZEVFrontModeIcons) {
            if (s.headerViewsClosed && s.atHome) {
                t.siTallomer = true;
                t.title = s.cursorHidden ? QStringLiteral("Tallomer") : s.n;
            } else {
                t.title = s.n;
            }
        } else {
            t.title = QStringLiteral("%1  (%2)").arg(s.n, outil);
        }
        return t;
    }
    // Two dates this close are the same moment.
    constexpr double kMemeMoment = 0.00001;
    const char* ou = s.d < -kMemeMoment ? "Futur" : s.d > kMemeMoment ? "Past" : "Now";
    t.title = s.mode == ZEVFrontModeIcons ? QStringLiteral("%1  (%2)").arg(s.n, QString::fromLatin1(ou))
                          : QStringLiteral("%1  (%2 - %3)").arg(s.n, QString::fromLatin1(ou), outil);
    return t;
}

} // namespace tallomer
