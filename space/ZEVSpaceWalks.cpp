#include "space/ZEVSpaceWalks.h"

#include "engine/KELICurseur.h"
#include "engine/KELModels.h"
#include "engine/KELServeurDeLiens.h"
#include "services/ZEVInspectorServices.h"
#include "platform/sound/Sound.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVTimeRegard.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>

namespace tallomer {

namespace {

// The table's ends: a walk stops at the first event beyond them (the dates of links that have
// been there always, or are forgotten, lie further out).
constexpr double kBorne = 315632071039485.0;
// Object changes this close to the end of a Space belong to the change of Space itself.
constexpr double kFinDEspace = 0.5;
// A step lands this long after the change it stops at.
constexpr double kApresLeChangement = 0.25;
// Entering a Space without any change: this long after its start.
constexpr double kApresLeDebut = 1.0;
constexpr double kUneHeure = 3600.0;
constexpr double kAvantLaFinDuLien = 2.0;

bool siGeometrieOuTitre(KELId rel)
{
    return rel == KELRELATION_ICON_RATIO_X || rel == KELRELATION_ICON_RATIO_Y || rel == KELRELATION_ICON_RATIO_S ||
           rel == KELRELATION_ITEM_TITLE;
}

} // namespace

KELI* ZEVSpaceWalks::lienAuNow(KELId id) const
{
    return id && space_.nowCurseur() ? KELServeurDeLiens::LienForInt(id, space_.nowCurseur()) : nullptr;
}

void ZEVSpaceWalks::reveillerLesRelations()
{
    // The walks read the table: every link of the relations they look at must stand in it.
    static const KELId relations[] = {
        KELRELATION_CHANNEL_VIEWER, KELRELATION_IDENTITY_BACK_ITEM, KELRELATION_ICON_VIEWER, KELRELATION_ICON_RATIO_X,
        KELRELATION_ICON_RATIO_Y,   KELRELATION_ICON_RATIO_S,       KELRELATION_ITEM_TITLE};
    if (!space_.nowCurseur())
        return;
    for (KELId rel : relations)
        if (auto* r = dynamic_cast<KELIElemRelation*>(KELServeurDeLiens::LienForInt(rel, space_.nowCurseur())))
            r->nbDeLiens(space_.nowCurseur());
}

ZEVTimeRegard ZEVSpaceWalks::regard(const ZEVChannelPanelSpan* panneau) const
{
    ZEVRulerViewerServices* ruler = space_.rulerViewer();
    if (!ruler)
        return ZEVTimeRegard();
    return timeRegard(ruler->tlineWidth(), panneau ? std::optional<ZEVChannelPanelSpan>(*panneau) : std::nullopt,
                      [ruler](double x) { return ruler->dateForTlinePoint(x); });
}

float ZEVSpaceWalks::dureePourOffset(double offset) const
{
    return timeScrollDuration(offset, space_.rulerViewer() ? space_.rulerViewer()->tlineSpan() : 0.0);
}

void ZEVSpaceWalks::_showNowCursor()
{
    ZEVChannelViewerServices* canaux = space_.channelViewerServices();
    const std::optional<ZEVChannelPanelSpan> p = canaux ? canaux->channelViewIfOpen() : std::nullopt;
    showNowCursorOver(p ? &*p : nullptr);
}

void ZEVSpaceWalks::showNowCursorOver(const ZEVChannelPanelSpan* panneau)
{
    ZEVRulerViewerServices* ruler = space_.rulerViewer();
    // A move under way keeps its cursor: nothing is taken from it.
    if (!ruler || !space_.nowCurseur() || !space_.searchCurseur() || !ruler->siAccepteDeplacement())
        return;
    const KELDate d = space_.nowCurseur()->now();
    ruler->setCurseurEnDeplacement(space_.searchCurseur());
    ruler->userAnimeSearch(0.0f, d, 0, 0, 0);
    if (!ruler->siAccepteDeplacement())
        return;
    ruler->userChangeActifCurseur(space_.nowCurseur());
    Sound::shared().play(QStringLiteral("Tink"));
    const ZEVTimeRegard r = regard(panneau);
    if (!r.dehors(d))
        return;
    double offset = r.offsetPour(d);
    if (!r.panneau && space_.tlContexte())
        offset = d - (space_.tlContexte()->nowIn() + space_.tlContexte()->nowOut()) / 2;
    if (!std::isfinite(offset) || offset == 0)
        return;
    ruler->userAnimeRuler(dureePourOffset(offset), offset, offset);
}

void ZEVSpaceWalks::_showSearchCursorToDate(KELDate date, bool siDuration)
{
    ZEVChannelViewerServices* canaux = space_.channelViewerServices();
    const std::optional<ZEVChannelPanelSpan> p = canaux ? canaux->channelViewIfOpen() : std::nullopt;
    showSearchCursorToDateOver(date, siDuration, p ? &*p : nullptr);
}

void ZEVSpaceWalks::showSearchCursorToDateOver(KELDate date, bool siDuration, const ZEVChannelPanelSpan* panneau)
{
    ZEVRulerViewerServices* ruler = space_.rulerViewer();
    if (!ruler || !space_.searchCurseur() || !std::isfinite(date) || !ruler->siAccepteDeplacement())
        return;
    const ZEVTimeRegard r = regard(panneau);
    const double offset = r.offsetPour(date);
    float duree = 0;
    if (offset != 0) {
        duree = dureePourOffset(offset);
        if (!r.panneau && !(space_.frontViewer() && space_.frontViewer()->siTlineOpened()))
            duree = 0;
    }
    if (!siDuration)
        duree = 0;
    ruler->setCurseurEnDeplacement(space_.searchCurseur());
    ruler->userAnimeSearch(duree, date, 0, offset, offset);
}

void ZEVSpaceWalks::selectionEspace(bool precedent, bool siNow)
{
    ZEVChannelViewerServices* canaux = space_.channelViewerServices();
    if (precedent) {
        if (space_.frontViewer())
            space_.frontViewer()->selectionPreviousSpace(siNow);
        if (canaux)
            canaux->selectionPreviousSpace(siNow);
    } else {
        if (space_.frontViewer())
            space_.frontViewer()->selectionNextSpace(siNow);
        if (canaux)
            canaux->selectionNextSpace(siNow);
    }
}

void ZEVSpaceWalks::atterrir(KELDate t, KELICurseur* actif, KELDate now0, bool suivant)
{
    bool parNow = false;
    if (actif == space_.nowCurseur()) {
        space_.rulerViewer()->userChangeActifCurseur(space_.searchCurseur());
        _showSearchCursorToDate(t, true);
    } else {
        const KELDate s = space_.searchCurseur()->now();
        const KELDate n = space_.nowCurseur()->now();
        // A step across the Now date shows the Now cursor rather than its date on the Search desk.
        if (suivant ? (s < n && t > n) : (s > n && t < n)) {
            _showNowCursor();
            parNow = true;
        } else {
            _showSearchCursorToDate(t, true);
        }
    }
    selectionEspace(t <= now0, parNow);
}

bool ZEVSpaceWalks::siEvenementDeBureauAvant(KELLien* e, KELId channel)
{
    const KELId rel = e->relationInt();
    if (rel == KELRELATION_ICON_VIEWER)
        return e->parentInt() == channel;
    if (rel == KELRELATION_CHANNEL_VIEWER)
        return !e->siOut() && e->enfantInt() == channel;
    if (siGeometrieOuTitre(rel)) {
        KELI* objet = lienAuNow(e->parentInt());
        return objet && objet->channelInt() == channel;
    }
    return false;
}

bool ZEVSpaceWalks::siEvenementDeBureauApres(KELLien* e, KELId channel, bool depuisLeLien)
{
    const KELId rel = e->relationInt();
    if (rel == KELRELATION_ICON_VIEWER)
        return !depuisLeLien || e->parentInt() == channel;
    if (siGeometrieOuTitre(rel))
        return KELServeurDeLiens::LienIntForParentInt(channel, e->parentInt(), KELRELATION_ICON_VIEWER, e->date()) != 0;
    return false;
}

bool ZEVSpaceWalks::marcherVersLePasse(std::size_t depart, KELId channel, bool inSpace, KELI* pending,
                                       const std::function<bool(KELId)>& passer,
                                       const std::function<bool(const EspaceTrouve&)>& trouve)
{
    KELGrandTableau& gt = KELServeurDeLiens::GrandTableau();
    for (std::size_t k = std::min(depart, gt.count()); k-- > 0;) {
        KELLien* e = gt.at(k);
        if (e->date() < -kBorne)
            return false;
        const KELId rel = e->relationInt();
        if (rel == KELRELATION_CHANNEL_VIEWER && e->enfantInt() == channel) {
            // Going back: its end is where the Channel left the Space, its start where it came.
            if (!e->siOut()) {
                inSpace = false;
            } else if (pending) {
                if (!trouve(EspaceTrouve{e->date(), pending, k}))
                    return true;
                pending = nullptr;
                inSpace = true;
            } else {
                inSpace = true;
            }
        } else if (rel == KELRELATION_IDENTITY_BACK_ITEM && e->siOut() && e->parentInt() == channel) {
            const KELId image = e->enfantInt();
            if (passer(image))
                continue;
            if (inSpace) {
                if (!trouve(EspaceTrouve{e->date(), lienAuNow(image), k}))
                    return true;
                pending = nullptr;
            } else {
                pending = lienAuNow(image);
            }
        }
    }
    return false;
}

KELDate ZEVSpaceWalks::dateDansLEspace(const EspaceTrouve& espace, KELId channel)
{
    KELGrandTableau& gt = KELServeurDeLiens::GrandTableau();
    const KELDate fin = espace.date;
    KELI* lien = espace.index < gt.count() ? gt.at(espace.index)->lienIn() : nullptr;
    const std::size_t debut = lien ? lien->gtIndexInt() : 0;
    if (debut >= espace.index)
        return gt.at(debut)->date() + kApresLeDebut;
    for (std::size_t k = espace.index; k-- > debut;) {
        KELLien* e = gt.at(k);
        if (e->date() < -kBorne)
            break;
        if (k == debut)
            return e->date() + kApresLeDebut;
        if (fin - e->date() <= kFinDEspace)
            continue;
        if (siEvenementDeBureauAvant(e, channel))
            return e->date() + kApresLeChangement;
    }
    return fin - kUneHeure;
}

void ZEVSpaceWalks::userGotoPreviousSiDistinct(bool distinct, bool same)
{
    ZEVChannelClassServices* canaux = space_.channelClass();
    KELICurseur* actif = space_.actifCurseur();
    KELI* canal = canaux ? canaux->currentChannel() : nullptr;
    if (!space_.rulerViewer() || !actif || !canal || !space_.nowCurseur() || !space_.searchCurseur()) {
        Sound::shared().beep();
        return;
    }
    reveillerLesRelations();
    actif->placeToi();
    const KELDate now0 = actif->now();
    const KELId c = canal->idInt();
    KELI* b = canaux->backItemForChannel(canal, actif);
    const KELId bId = b ? b->idInt() : 0;
    if (distinct && previousImageItemIndexSet_.empty() && bId)
        previousImageItemIndexSet_.insert(long(bId));
    const bool inSpace = canaux->siChannelActif(canal, actif);
    std::optional<EspaceTrouve> trouve;
    marcherVersLePasse(
        actif->gtIndexInt(), c, inSpace, inSpace ? nullptr : b,
        [&](KELId image) {
            if (same)
                return image != bId;
            return distinct && previousImageItemIndexSet_.count(long(image)) != 0;
        },
        [&](const EspaceTrouve& e) {
            trouve = e;
            return false;
        });
    if (!trouve) {
        Sound::shared().beep();
        return;
    }
    if (trouve->image)
        previousImageItemIndexSet_.insert(long(trouve->image->idInt()));
    const KELDate t = dateDansLEspace(*trouve, c);
    if (t == 0) {
        Sound::shared().beep();
        return;
    }
    atterrir(t, actif, now0, false);
}

void ZEVSpaceWalks::userGotoNextSiDistinct(bool distinct, bool same)
{
    KELICurseur* actif = space_.actifCurseur();
    ZEVCursorDesk* desk = space_.deskForCurseur(actif);
    if (!space_.rulerViewer() || !actif || !space_.nowCurseur() || !space_.searchCurseur()) {
        Sound::shared().beep();
        return;
    }
    reveillerLesRelations();
    actif->placeToi();
    const KELDate now0 = actif->now();
    const std::size_t i = actif->gtIndexInt();
    const KELId c = space_.currentChannelInt();
    KELI* b = desk ? desk->currentBackImageItem() : nullptr;
    previousImageItemIndexSet_.clear();
    browsedBackImageInt_ = 0;
    KELGrandTableau& gt = KELServeurDeLiens::GrandTableau();
    auto siDebutDeFond = [c](KELLien* e) {
        return !e->siOut() && e->relationInt() == KELRELATION_IDENTITY_BACK_ITEM && e->parentInt() == c;
    };
    if (distinct && nextImageLienIndexSet_.empty()) {
        // The last background link of each image ahead: a distinct step stops only there.
        std::map<KELId, KELId> dernierParImage;
        if (KELI* courant = desk ? desk->currentBackItem() : nullptr)
            dernierParImage[courant->enfantInt()] = courant->idInt();
        for (std::size_t k = i + 1; space_.siBackItemChanges() && k < gt.count(); ++k) {
            KELLien* e = gt.at(k);
            if (e->date() > kBorne)
                break;
            if (siDebutDeFond(e))
                dernierParImage[e->enfantInt()] = e->idInt();
        }
        for (const auto& [image, lien] : dernierParImage)
            nextImageLienIndexSet_.insert(long(lien));
    }
    KELLien* accepte = nullptr;
    for (std::size_t k = i + 1; space_.siBackItemChanges() && k < gt.count() && !accepte; ++k) {
        KELLien* e = gt.at(k);
        if (e->date() > kBorne)
            break;
        if (!siDebutDeFond(e))
            continue;
        if (same ? b && e->enfantInt() == b->idInt() : !distinct || nextImageLienIndexSet_.count(long(e->idInt())) != 0)
            accepte = e;
    }
    if (!accepte) {
        if (actif == space_.searchCurseur() && !same && space_.nowCurseur()->now() > actif->now()) {
            _showNowCursor();
            selectionEspace(false, true);
        } else if (space_.frontViewer() && !space_.frontViewer()->siCurseurAtHome() && !same) {
            space_.frontViewer()->menuHomeTime();
        } else {
            Sound::shared().beep();
        }
        return;
    }
    KELI* lien = accepte->lienIn();
    const KELDate fin = lien ? lien->outDate() : KELDateOuverte;
    KELLien* dernier = accepte;
    for (std::size_t k = accepte->gtIndexInt() + 1; k < gt.count(); ++k) {
        KELLien* e = gt.at(k);
        if (e->date() > kBorne || !(fin - e->date() > kFinDEspace))
            break;
        if (siEvenementDeBureauApres(e, c, false))
            dernier = e;
    }
    atterrir(dernier->date() + kApresLeChangement, actif, now0, true);
}

void ZEVSpaceWalks::gotoPreviousFromLien(KELI* lien)
{
    KELICurseur* actif = space_.actifCurseur();
    if (!space_.rulerViewer() || !actif || !space_.nowCurseur() || !space_.searchCurseur())
        return;
    reveillerLesRelations();
    actif->placeToi();
    if (!lien || !(lien->outDate() < space_.nowCurseur()->now())) {
        if (actif == space_.searchCurseur())
            space_.rulerViewer()->userChangeActifCurseur(space_.nowCurseur());
        _showNowCursor();
        return;
    }
    KELGrandTableau& gt = KELServeurDeLiens::GrandTableau();
    KELLien* o = lien->lienOut();
    const KELDate dOut = o->date();
    const KELDate dIn = lien->inDate();
    const KELId c = space_.currentChannelInt();
    nextImageLienIndexSet_.clear();
    browsedBackImageInt_ = 0;
    std::optional<KELDate> trouve;
    // A link not in the table (never woken) has nothing before it to walk.
    const std::size_t depart = o->grandTableau() ? std::min(o->gtIndexInt(), gt.count()) : 0;
    for (std::size_t k = depart; k-- > 0;) {
        KELLien* e = gt.at(k);
        if (e->date() < -kBorne)
            break;
        if (dOut - e->date() <= kFinDEspace)
            continue;
        if (siEvenementDeBureauApres(e, c, true)) {
            trouve = e->date();
            break;
        }
    }
    KELDate t = 0;
    if (trouve && *trouve != 0)
        t = (*trouve > dIn + kFinDEspace ? *trouve : dIn) + kApresLeChangement;
    else
        t = dIn > -kBorne ? dIn + kApresLeChangement : dOut - kAvantLaFinDuLien;
    if (t == 0)
        return;
    if (actif == space_.nowCurseur()) {
        space_.rulerViewer()->userChangeActifCurseur(space_.searchCurseur());
        _showSearchCursorToDate(t, true);
    } else if (space_.searchCurseur()->now() > space_.nowCurseur()->now() && t < space_.nowCurseur()->now()) {
        _showNowCursor();
    } else {
        _showSearchCursorToDate(t, true);
    }
}

KELI* ZEVSpaceWalks::premierEnfant(KELId channel, KELId relation, KELDate date)
{
    const KELIds ids = KELServeurDeLiens::EnfantsNumForParentInt(channel, relation, date);
    return ids && !ids->empty() ? lienAuNow(ids->front()) : nullptr;
}

} // namespace tallomer
