#include "space/ZEVCursorDesks.h"

#include "engine/KELICurseur.h"
#include "runtime/Log.h"
#include "space/ZEVSpaceController.h"

#include <cmath>

namespace tallomer {

ZEVCursorDesks::ZEVCursorDesks(ZEVSpaceController& space) : space_(space) {}

ZEVCursorDesks::~ZEVCursorDesks() { clear(); }

void ZEVCursorDesks::clear() { deskDico_.clear(); }

std::unique_ptr<ZEVCursorDesk> ZEVCursorDesks::creerDesk(KELICurseur* curseur)
{
    if (!curseur)
        return nullptr;
    return space_.host().creerDesk(curseur, space_);
}

bool ZEVCursorDesks::initDeskDicoWithChannelViewer(ZEVEntityViewer* channelViewer)
{
    KELICurseur* searchCurseur = space_.searchCurseur();
    KELICurseur* nowCurseur = space_.nowCurseur();
    if (searchCurseur)
        searchCurseur->placeToi();
    std::unique_ptr<ZEVCursorDesk> search = creerDesk(searchCurseur);
    ZEVCursorDesk* s = search.get();
    if (search)
        deskDico_[searchCurseur->idInt()] = std::move(search);
    if (s) {
        s->referencerViewerParts();
        s->referencerModelParts();
        s->initialiser();
    }

    if (nowCurseur) {
        nowCurseur->placeToi();
        if (nowCurseur->offsetDouble() != 0.0 || std::isnan(nowCurseur->offsetDouble()))
            nowCurseur->updateDeplacementCurseurNow();
    }
    std::unique_ptr<ZEVCursorDesk> now = creerDesk(nowCurseur);
    ZEVCursorDesk* n = now.get();
    bool premiereFois = false;
    if (now)
        deskDico_[nowCurseur->idInt()] = std::move(now);
    if (n)
        n->referencerViewerParts();

    if (s)
        s->initWallpaperWithChannelViewer(channelViewer);
    if (n) {
        premiereFois = n->initWallpaperWithChannelViewer(channelViewer);
        if (premiereFois) {
            n->majBackForFirstTime();
            // The Search desk read its backgrounds before these were made, and listens only from
            // enclencherMaj on: it reads them again, or it would show none until its cursor crossed
            // their start.
            if (s)
                s->initWallpaperWithChannelViewer(channelViewer);
        }
        n->referencerModelParts();
        n->initialiser();
    }

    if (s)
        s->enclencherMaj();
    if (n)
        n->enclencherMaj();
    return premiereFois;
}

ZEVCursorDesk* ZEVCursorDesks::deskForCurseur(KELICurseur* curseur) const
{
    if (!curseur)
        return nullptr;
    auto it = deskDico_.find(curseur->idInt());
    return it == deskDico_.end() ? nullptr : it->second.get();
}

ZEVItemClass* ZEVCursorDesks::itemClassForCurseur(KELICurseur* curseur) const
{
    ZEVCursorDesk* d = deskForCurseur(curseur);
    return d ? d->itemClass() : nullptr;
}

ZEVItemViewer* ZEVCursorDesks::itemViewerForCurseur(KELICurseur* curseur) const
{
    ZEVCursorDesk* d = deskForCurseur(curseur);
    return d ? d->itemViewer() : nullptr;
}

ZEVDeskClass* ZEVCursorDesks::deskClassForCurseur(KELICurseur* curseur) const
{
    ZEVCursorDesk* d = deskForCurseur(curseur);
    return d ? d->deskClass() : nullptr;
}

ZEVDeskViewer* ZEVCursorDesks::deskViewerForCurseur(KELICurseur* curseur) const
{
    ZEVCursorDesk* d = deskForCurseur(curseur);
    return d ? d->deskViewer() : nullptr;
}

void ZEVCursorDesks::volumeMountDidChange()
{
    for (KELICurseur* c : {space_.nowCurseur(), space_.searchCurseur()})
        if (ZEVCursorDesk* d = deskForCurseur(c))
            d->majImages();
    space_.updateAllTableViews();
}

void ZEVCursorDesks::updateItemImagesOfCurrentChannel()
{
    if (ZEVCursorDesk* d = deskForCurseur(space_.actifCurseur()))
        d->majImages();
}

void ZEVCursorDesks::addFilenames(const QStringList& paths)
{
    if (ZEVCursorDesk* d = deskForCurseur(space_.nowCurseur()))
        d->addFilenames(paths);
    else
        logFormat("ZEVSpaceController addFilenames: no Now desk for %lld files", static_cast<long long>(paths.size()));
}

} // namespace tallomer
