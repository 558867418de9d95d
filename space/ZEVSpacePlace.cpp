#include "space/ZEVSpacePlace.h"

#include "engine/KELICurseur.h"
#include "engine/KELServeurDeLiens.h"
#include "services/ZEVFrontMode.h"
#include "services/ZEVInspectorServices.h"
#include "services/ZEVItemViewForDesks.h"
#include "runtime/Clock.h"
#include "runtime/Log.h"
#include "platform/sound/Sound.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVZevpURL.h"

#include <QDateTime>

#include <cmath>

namespace tallomer {

namespace {

// The narrowest visible range a place may ask for, as the ruler's own moves allow it.
constexpr double kEtendueMin = 60.0;

} // namespace

QString ZEVSpacePlace::zevpStringForItems(const std::vector<KELI*>* items, bool siSpace, double* con)
{
    KELIContexte* n = space_.nowCurseur() ? space_.nowCurseur()->contexte() : nullptr;
    KELIContexte* s = space_.searchCurseur() ? space_.searchCurseur()->contexte() : nullptr;
    if (!n || !s || !space_.tlContexte())
        return {};
    ZEVZevpCursors c;
    c.actifNow = space_.actifCurseur() != space_.searchCurseur();
    c.nNow = space_.nowCurseur()->now();
    c.nIn = n->offsetIn();
    c.nOut = n->offsetOut();
    c.sNow = space_.searchCurseur()->now();
    c.sIn = s->offsetIn();
    c.tNow = space_.tlCurseur()->now();
    c.rIn = space_.tlContexte()->offsetIn();
    c.rOut = space_.tlContexte()->offsetOut();
    ZEVZevpPlace place;
    place.channelInt = space_.currentChannelInt();
    place.siSpace = siSpace;
    place.mode = space_.frontMode();
    if (items)
        for (KELI* o : *items)
            if (o)
                place.objects.push_back(o->idInt());
    ZEVZevpPlaceCursors(place, c);
    if (con)
        *con = place.con;
    return ZEVZevpString(place);
}

QImage ZEVSpacePlace::zevpImageSiSpace(bool siSpace)
{
    if (!siSpace) {
        ZEVCursorDesk* d = space_.deskForCurseur(space_.actifCurseur());
        return d ? d->deskImage() : QImage();
    }
    // The Now desk is drawn from its own scene, shown or not: no switch of desks is needed, but a
    // desk in the middle of a cursor move is not one to keep.
    if (!space_.rulerViewer() || !space_.rulerViewer()->siAccepteDeplacement())
        return {};
    ZEVCursorDesk* d = space_.deskForCurseur(space_.nowCurseur());
    return d ? d->deskImage() : QImage();
}

void ZEVSpacePlace::copyZevpUrlForItems(const std::vector<KELI*>& items, bool siSpace)
{
    space_.tlCurseur()->placeToi();
    if (space_.actifCurseur())
        space_.actifCurseur()->placeToi();
    double con = 0;
    const QString url = zevpStringForItems(&items, siSpace, &con);
    if (url.isEmpty())
        return;
    const QImage image = zevpImageSiSpace(siSpace);
    ZEVChannelClassServices* channels = space_.channelClass();
    const QString canal =
        channels ? QString::fromStdString(channels->nameOfCurrentChannel().value_or(std::string())) : QString();
    ZEVCursorDesk* desk = space_.deskForCurseur(space_.actifCurseur());
    const QString fond = desk ? QString::fromStdString(desk->currentBackImageItemName()) : QString();
    QString title;
    if (siSpace) {
        title = QStringLiteral("%1 | %2").arg(canal, fond);
    } else {
        const QDateTime date =
            QDateTime::fromMSecsSinceEpoch(qint64(std::llround((con + kReferenceDateUnix) * 1000.0)));
        title = QStringLiteral("%1 %2 | %3").arg(date.toString(QStringLiteral("yyyy.MM.dd")), canal, fond);
    }
    space_.host().copyZevpPlace(url, title, space_.currentChannelInt(), image);
}

ZEVZevpOpening ZEVSpacePlace::openZevpURL(const QString& url, bool siHistory)
{
    // One change of place, one mark: the Channel switch on the way records none.
    space_.setSiAddToHistory(false);
    const ZEVZevpReading lu = ZEVZevpRead(url);
    QString refus = lu.refused ? lu.error : QString();
    ZEVChannelClassServices* channels = space_.channelClass();
    if (refus.isEmpty() && !channels)
        refus = QStringLiteral("there is no list of Channels");
    KELI* channel = nullptr;
    if (refus.isEmpty()) {
        // Only a Channel of the Space may become current (and the drop folder's Channel).
        for (KELI* c : channels->timeLineItems())
            if (c->idInt() == lu.channelInt)
                channel = c;
        if (!channel)
            refus = QStringLiteral("%1 is not a Channel of the Space").arg(lu.channelInt);
    }
    if (refus.isEmpty() && !channels->selectChannel(channel))
        refus = QStringLiteral("Channel %1 cannot be selected").arg(lu.channelInt);
    if (refus.isEmpty() && !lu.hasQuery)
        refus = QStringLiteral("it names no place in Channel %1").arg(lu.channelInt);
    QString enPartie;
    if (refus.isEmpty()) {
        enPartie = appliquerLeCurseur(lu);
        appliquerLaSelection(lu);
    } else {
        logFormat("ZEVSpaceController openZevpURL: refused (%s): %s", qUtf8Printable(refus),
                  qUtf8Printable(url.left(200)));
    }
    space_.setSiAddToHistory(!siHistory);
    space_.addToHistory();
    return refus.isEmpty() ? ZEVZevpOpening{false, enPartie} : ZEVZevpOpening{true, refus};
}

QString ZEVSpacePlace::appliquerLeCurseur(const ZEVZevpReading& lu)
{
    const bool search = lu.c == QLatin1String("search");
    if (!search && lu.c != QLatin1String("now"))
        return QString();
    ZEVRulerViewerServices* ruler = space_.rulerViewer();
    KELICurseur* curseur = search ? space_.searchCurseur() : space_.nowCurseur();
    KELIContexte* ctx = curseur ? curseur->contexte() : nullptr;
    if (!lu.cursor || !ruler || !ctx || !space_.tlContexte() || !ruler->siAccepteDeplacement()) {
        Sound::shared().beep();
        if (lu.cursor)
            return QString();
        logFormat("ZEVSpaceController openZevpURL: the cursor part is not a place: it is left out");
        return QStringLiteral("its date is missing or is not one Tallomer can show");
    }
    const ZEVZevpReading::Cursor& p = *lu.cursor;
    const double tNow = space_.tlCurseur()->now();
    const double cIn = ctx->offsetIn(), cOut = ctx->offsetOut();
    const double rIn = space_.tlContexte()->offsetIn(), rOut = space_.tlContexte()->offsetOut();
    ruler->userChangeActifCurseur(curseur);
    if (!ruler->userInitieDeplacementCurseur())
        return QString();
    double in = 0, out = 0;
    if (search) {
        const double d = p.con - tNow;
        curseur->decalerCurseur(p.con - curseur->now());
        // From far off (the edges of time) the shift keeps only whole seconds: the rest is made
        // up by a second, short one.
        if (const double reste = p.con - curseur->now(); reste != 0 && std::fabs(reste) < 1.0)
            curseur->decalerCurseur(reste);
        curseur->decalerContexteIn(p.coi - cIn);
        in = space_.tlContexte()->offsetIn() + p.roi + d - rIn;
        out = space_.tlContexte()->offsetOut() + p.roo + d - rOut;
    } else {
        curseur->decalerContexteIn(p.coi - cIn);
        curseur->decalerContexteOut(p.con - cOut);
        in = space_.tlContexte()->offsetIn() + p.roi - rIn;
        out = space_.tlContexte()->offsetOut() + p.roo - rOut;
    }
    // A visible range turned over, or narrower than the ruler ever makes one, is not one to show.
    if (std::isfinite(in) && std::isfinite(out) && out - in >= kEtendueMin)
        space_.tlContexte()->setOffsetInOffsetOut(in, out);
    space_.setSiAddToHistory(false);
    ruler->userTermineDeplacementCurseur();
    return QString();
}

void ZEVSpacePlace::menuModePour(int mode)
{
    if (!space_.frontViewer() || mode == space_.frontMode())
        return;
    switch (mode) {
    case ZEVFrontModeIcons:
        space_.frontViewer()->menuModeIcon();
        break;
    case ZEVFrontModeTitles:
        space_.frontViewer()->menuModeTitle();
        break;
    case ZEVFrontModeFilters:
        space_.frontViewer()->menuModeFilter();
        break;
    case ZEVFrontModeLinks:
        space_.frontViewer()->menuModeLink();
        break;
    default:
        break;
    }
    space_.majWindowTitle();
}

void ZEVSpacePlace::appliquerLaSelection(const ZEVZevpReading& lu)
{
    ZEVSelections& sel = space_.selections();
    if (!lu.hasObjects) {
        sel.deselectAllTitles();
        sel.deselectAllIcons();
        sel.deselectAllNodes();
        sel.deselectAllFilters();
        if (ZEVNormalisedFrontMode(lu.mode) != ZEVFrontModeNone)
            menuModePour(lu.mode);
        return;
    }
    std::vector<KELI*> items;
    for (KELId id : lu.objects) {
        // Only Objects: any other link named here is skipped.
        KELI* o = KELServeurDeLiens::LienForInt(id, space_.tlContexte());
        if (!o || o->relationInt() != KELRELATION_ITEM)
            continue;
        o->setChannelInt(lu.channelInt);
        items.push_back(o);
    }
    int mode = lu.mode;
    switch (mode) {
    case ZEVFrontModeIcons:
        menuModePour(ZEVFrontModeIcons);
        sel.deselectAllFilters();
        sel.selectIconForItemSet(items, nullptr);
        break;
    case ZEVFrontModeTitles:
        menuModePour(ZEVFrontModeTitles);
        sel.deselectAllFilters();
        sel.selectTitleForItemSet(items, nullptr);
        break;
    case ZEVFrontModeFilters:
        menuModePour(ZEVFrontModeFilters);
        sel.deselectAllIcons();
        sel.selectFilterForItemSet(items, nullptr);
        break;
    case ZEVFrontModeLinks:
        menuModePour(ZEVFrontModeLinks);
        sel.deselectAllFilters();
        sel.selectNodeForItemSet(items, nullptr);
        break;
    default:
        mode = ZEVFrontModeIcons;
        menuModePour(ZEVFrontModeIcons);
        sel.selectIconForItemSet(items, nullptr);
        break;
    }
    if (ZEVCursorDesk* d = space_.deskForCurseur(space_.actifCurseur()))
        for (ZEVItemViewForDesks* v : d->visibleItemViewsForMode(mode))
            v->orderToFront();
}

} // namespace tallomer
