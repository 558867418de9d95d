// The space controller's steps through time: showing the Now and Search cursors, Previous and
// Next Space of the current Channel, and the Spaces and Channels menus. The steps read the link
// base's event table directly: every woken link stands in it twice (its start and its end),
// sorted by date.

#include "space/ZEVSpaceController.h"

#include "engine/KELICurseur.h"
#include "engine/KELModels.h"
#include "engine/KELServeurDeLiens.h"
#include "services/ZEVInspectorServices.h"
#include "platform/CalendarDate.h"
#include "platform/MenuText.h"
#include "platform/sound/Sound.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSpaceClass.h"
#include "space/ZEVTimeRegard.h"

#include <QAction>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QPixmap>
#include <QWidgetAction>

#include <cmath>
#include <set>

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
// The strip's edges the cursors are kept from, in points.

constexpr const char* kProprieteEspaces = "ZEVSpacesMenuAction";
constexpr const char* kProprieteChannels = "userGotoChannel";

bool siGeometrieOuTitre(KELId rel)
{
    return rel == KELRELATION_ICON_RATIO_X || rel == KELRELATION_ICON_RATIO_Y || rel == KELRELATION_ICON_RATIO_S ||
           rel == KELRELATION_ITEM_TITLE;
}

std::string motDe(KELI* mot)
{
    const KELValue v = mot ? mot->base() : KELValue{};
    return std::holds_alternative<std::string>(v) ? std::get<std::string>(v) : std::string();
}

void enleverLesActions(QMenu* menu, const char* propriete, const QVariant& valeur)
{
    for (QAction* a : menu->actions())
        if (a->property(propriete) == valeur) {
            menu->removeAction(a);
            a->deleteLater();
        }
}

void insererA(QMenu* menu, int index, QAction* action)
{
    const QList<QAction*> actions = menu->actions();
    menu->insertAction(index >= 0 && index < actions.size() ? actions.at(index) : nullptr, action);
}

} // namespace

// A Space found by a walk: the date it ends, its image, the index of the event that ended it.
struct ZEVSpaceController::EspaceTrouve {
    KELDate date = 0;
    KELI* image = nullptr;
    std::size_t index = 0;
};


ZEVChannelViewerServices* ZEVSpaceController::channelViewerServices() const
{
    return dynamic_cast<ZEVChannelViewerServices*>(channelViewer_);
}

KELI* ZEVSpaceController::lienAuNow(KELId id) const
{
    return id && nowCurseur_ ? KELServeurDeLiens::LienForInt(id, nowCurseur_) : nullptr;
}

void ZEVSpaceController::reveillerLesRelations()
{
    // The walks read the table: every link of the relations they look at must stand in it.
    static const KELId relations[] = {
        KELRELATION_CHANNEL_VIEWER, KELRELATION_IDENTITY_BACK_ITEM, KELRELATION_ICON_VIEWER, KELRELATION_ICON_RATIO_X,
        KELRELATION_ICON_RATIO_Y,   KELRELATION_ICON_RATIO_S,       KELRELATION_ITEM_TITLE};
    if (!nowCurseur_)
        return;
    for (KELId rel : relations)
        if (auto* r = dynamic_cast<KELIElemRelation*>(KELServeurDeLiens::LienForInt(rel, nowCurseur_)))
            r->nbDeLiens(nowCurseur_);
}

ZEVTimeRegard ZEVSpaceController::regard(const ZEVChannelPanelSpan* panneau) const
{
    ZEVRulerViewerServices* ruler = rulerViewer_.get();
    if (!ruler)
        return ZEVTimeRegard();
    return timeRegard(ruler->tlineWidth(), panneau ? std::optional<ZEVChannelPanelSpan>(*panneau) : std::nullopt,
                      [ruler](double x) { return ruler->dateForTlinePoint(x); });
}

float ZEVSpaceController::dureePourOffset(double offset) const
{
    return timeScrollDuration(offset, rulerViewer_ ? rulerViewer_->tlineSpan() : 0.0);
}

void ZEVSpaceController::_showNowCursor()
{
    ZEVChannelViewerServices* canaux = channelViewerServices();
    const std::optional<ZEVChannelPanelSpan> p = canaux ? canaux->channelViewIfOpen() : std::nullopt;
    showNowCursorOver(p ? &*p : nullptr);
}

void ZEVSpaceController::showNowCursorOver(const ZEVChannelPanelSpan* panneau)
{
    ZEVRulerViewerServices* ruler = rulerViewer_.get();
    // A move under way keeps its cursor: nothing is taken from it.
    if (!ruler || !nowCurseur_ || !searchCurseur_ || !ruler->siAccepteDeplacement())
        return;
    const KELDate d = nowCurseur_->now();
    ruler->setCurseurEnDeplacement(searchCurseur_);
    ruler->userAnimeSearch(0.0f, d, 0, 0, 0);
    if (!ruler->siAccepteDeplacement())
        return;
    ruler->userChangeActifCurseur(nowCurseur_);
    Sound::shared().play(QStringLiteral("Tink"));
    const ZEVTimeRegard r = regard(panneau);
    if (!r.dehors(d))
        return;
    double offset = r.offsetPour(d);
    if (!r.panneau && tlContexte_)
        offset = d - (tlContexte_->nowIn() + tlContexte_->nowOut()) / 2;
    if (!std::isfinite(offset) || offset == 0)
        return;
    ruler->userAnimeRuler(dureePourOffset(offset), offset, offset);
}

void ZEVSpaceController::_showSearchCursorToDate(KELDate date, bool siDuration)
{
    ZEVChannelViewerServices* canaux = channelViewerServices();
    const std::optional<ZEVChannelPanelSpan> p = canaux ? canaux->channelViewIfOpen() : std::nullopt;
    showSearchCursorToDateOver(date, siDuration, p ? &*p : nullptr);
}

void ZEVSpaceController::showSearchCursorToDateOver(KELDate date, bool siDuration, const ZEVChannelPanelSpan* panneau)
{
    ZEVRulerViewerServices* ruler = rulerViewer_.get();
    if (!ruler || !searchCurseur_ || !std::isfinite(date) || !ruler->siAccepteDeplacement())
        return;
    const ZEVTimeRegard r = regard(panneau);
    const double offset = r.offsetPour(date);
    float duree = 0;
    if (offset != 0) {
        duree = dureePourOffset(offset);
        if (!r.panneau && !(frontViewer_ && frontViewer_->siTlineOpened()))
            duree = 0;
    }
    if (!siDuration)
        duree = 0;
    ruler->setCurseurEnDeplacement(searchCurseur_);
    ruler->userAnimeSearch(duree, date, 0, offset, offset);
}

void ZEVSpaceController::selectionEspace(bool precedent, bool siNow)
{
    ZEVChannelViewerServices* canaux = channelViewerServices();
    if (precedent) {
        if (frontViewer_)
            frontViewer_->selectionPreviousSpace(siNow);
        if (canaux)
            canaux->selectionPreviousSpace(siNow);
    } else {
        if (frontViewer_)
            frontViewer_->selectionNextSpace(siNow);
        if (canaux)
            canaux->selectionNextSpace(siNow);
    }
}

void ZEVSpaceController::atterrir(KELDate t, KELICurseur* actif, KELDate now0, bool suivant)
{
    bool parNow = false;
    if (actif == nowCurseur_) {
        rulerViewer_->userChangeActifCurseur(searchCurseur_);
        _showSearchCursorToDate(t, true);
    } else {
        const KELDate s = searchCurseur_->now();
        const KELDate n = nowCurseur_->now();
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

bool ZEVSpaceController::siEvenementDeBureauAvant(KELLien* e, KELId channel)
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

bool ZEVSpaceController::siEvenementDeBureauApres(KELLien* e, KELId channel, bool depuisLeLien)
{
    const KELId rel = e->relationInt();
    if (rel == KELRELATION_ICON_VIEWER)
        return !depuisLeLien || e->parentInt() == channel;
    if (siGeometrieOuTitre(rel))
        return KELServeurDeLiens::LienIntForParentInt(channel, e->parentInt(), KELRELATION_ICON_VIEWER, e->date()) != 0;
    return false;
}

template <class Passer, class Trouve>
bool ZEVSpaceController::marcherVersLePasse(std::size_t depart, KELId channel, bool inSpace, KELI* pending,
                                            Passer passer, Trouve trouve)
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

KELDate ZEVSpaceController::dateDansLEspace(const EspaceTrouve& espace, KELId channel)
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

void ZEVSpaceController::userGotoPreviousSiDistinct(bool distinct, bool same)
{
    ZEVChannelClassServices* canaux = channelClass();
    KELICurseur* actif = actifCurseur_;
    KELI* canal = canaux ? canaux->currentChannel() : nullptr;
    if (!rulerViewer_ || !actif || !canal || !nowCurseur_ || !searchCurseur_) {
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

void ZEVSpaceController::userGotoNextSiDistinct(bool distinct, bool same)
{
    KELICurseur* actif = actifCurseur_;
    ZEVCursorDesk* desk = deskForCurseur(actif);
    if (!rulerViewer_ || !actif || !nowCurseur_ || !searchCurseur_) {
        Sound::shared().beep();
        return;
    }
    reveillerLesRelations();
    actif->placeToi();
    const KELDate now0 = actif->now();
    const std::size_t i = actif->gtIndexInt();
    const KELId c = currentChannelInt();
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
        for (std::size_t k = i + 1; siBackItemChanges_ && k < gt.count(); ++k) {
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
    for (std::size_t k = i + 1; siBackItemChanges_ && k < gt.count() && !accepte; ++k) {
        KELLien* e = gt.at(k);
        if (e->date() > kBorne)
            break;
        if (!siDebutDeFond(e))
            continue;
        if (same ? b && e->enfantInt() == b->idInt() : !distinct || nextImageLienIndexSet_.count(long(e->idInt())) != 0)
            accepte = e;
    }
    if (!accepte) {
        if (actif == searchCurseur_ && !same && nowCurseur_->now() > actif->now()) {
            _showNowCursor();
            selectionEspace(false, true);
        } else if (frontViewer_ && !frontViewer_->siCurseurAtHome() && !same) {
            frontViewer_->menuHomeTime();
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

void ZEVSpaceController::gotoPreviousFromLien(KELI* lien)
{
    KELICurseur* actif = actifCurseur_;
    if (!rulerViewer_ || !actif || !nowCurseur_ || !searchCurseur_)
        return;
    reveillerLesRelations();
    actif->placeToi();
    if (!lien || !(lien->outDate() < nowCurseur_->now())) {
        if (actif == searchCurseur_)
            rulerViewer_->userChangeActifCurseur(nowCurseur_);
        _showNowCursor();
        return;
    }
    KELGrandTableau& gt = KELServeurDeLiens::GrandTableau();
    KELLien* o = lien->lienOut();
    const KELDate dOut = o->date();
    const KELDate dIn = lien->inDate();
    const KELId c = currentChannelInt();
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
    if (actif == nowCurseur_) {
        rulerViewer_->userChangeActifCurseur(searchCurseur_);
        _showSearchCursorToDate(t, true);
    } else if (searchCurseur_->now() > nowCurseur_->now() && t < nowCurseur_->now()) {
        _showNowCursor();
    } else {
        _showSearchCursorToDate(t, true);
    }
}

KELI* ZEVSpaceController::premierEnfant(KELId channel, KELId relation, KELDate date)
{
    const KELIds ids = KELServeurDeLiens::EnfantsNumForParentInt(channel, relation, date);
    return ids && !ids->empty() ? lienAuNow(ids->front()) : nullptr;
}

QIcon ZEVSpaceController::vignette(KELI* image, KELId channel, KELI* couleur, KELI* echelle)
{
    if (!spaceClass_)
        return {};
    return QIcon(QPixmap::fromImage(spaceClass_->imageForImageItem(image, channel, couleur, echelle)));
}

void ZEVSpaceController::addSpacesToMenu(QMenu* menu, SpacesMenuAction action, int startIndex, long maxPrev,
                                         long maxNext, KELI* channel)
{
    if (!menu)
        return;
    const QVariant marque = int(action);
    enleverLesActions(menu, kProprieteEspaces, marque);
    gotoObjects_.clear();
    ZEVChannelClassServices* canaux = channelClass();
    if (!channel || !canaux || !nowCurseur_)
        return;
    reveillerLesRelations();
    nowCurseur_->placeToi();
    const KELId c = channel->idInt();
    KELI* b = canaux->backItemForChannel(channel, nowCurseur_);
    const bool inSpace = canaux->siChannelActif(channel, nowCurseur_);
    std::set<KELId> listees;
    if (inSpace && b)
        listees.insert(b->idInt());
    std::vector<EspaceTrouve> trouves;
    if (maxPrev > 0 || maxNext > 0) {
        const std::size_t voulus = std::size_t(std::max(0L, maxPrev)) + 1;
        marcherVersLePasse(
            nowCurseur_->gtIndexInt(), c, inSpace, inSpace ? nullptr : b,
            [&](KELId image) { return listees.count(image) != 0; },
            [&](const EspaceTrouve& e) {
                trouves.push_back(e);
                if (e.image)
                    listees.insert(e.image->idInt());
                return trouves.size() < voulus;
            });
    }
    for (const EspaceTrouve& e : trouves) {
        const KELDate date = dateDansLEspace(e, c);
        gotoObjects_.emplace_back(date, e.image, premierEnfant(c, KELRELATION_IDENTITY_BACK_COLOR, date),
                                  premierEnfant(c, KELRELATION_IDENTITY_BACK_SCALE, date));
    }
    const bool autreCanal = c != currentChannelInt();
    for (std::size_t k = gotoObjects_.size(); k-- > 0;) {
        const ZEVSpaceGotoObject& g = gotoObjects_[k];
        const std::optional<CalendarDate> jour = CalendarDate::fromDate(g.date());
        KELI* titre = g.imageItem() && actifCurseur_
                          ? g.imageItem()->enfantDeRelInt(KELRELATION_ITEM_TITLE, actifCurseur_)
                          : nullptr;
        const QString texte = QStringLiteral("%1  %2").arg(jour ? jour->format(QStringLiteral("%Y.%m.%d")) : QString(),
                                                           QString::fromStdString(motDe(titre)));
        const QIcon icone = vignette(g.imageItem(), c, g.colorItem(), g.scaleMot());
        QAction* a = nullptr;
        if (autreCanal) {
            // The Spaces of another Channel are titled in grey italic, which a plain item cannot do.
            auto* w = new QWidgetAction(menu);
            auto* ligne = new QWidget(menu);
            auto* disposition = new QHBoxLayout(ligne);
            disposition->setContentsMargins(6, 2, 6, 2);
            auto* image = new QLabel(ligne);
            image->setPixmap(icone.pixmap(32, 20));
            auto* nom = new QLabel(texte, ligne);
            QFont police = nom->font();
            police.setItalic(true);
            police.setPointSize(14);
            nom->setFont(police);
            nom->setStyleSheet(QStringLiteral("color: grey;"));
            disposition->addWidget(image);
            disposition->addWidget(nom, 1);
            w->setDefaultWidget(ligne);
            a = w;
        } else {
            a = new QAction(menu);
        }
        a->setText(menuText(texte));
        a->setIcon(icone);
        a->setData(qlonglong(k));
        a->setProperty(kProprieteEspaces, marque);
        const long tag = long(k);
        QObject::connect(a, &QAction::triggered, menu, [this, action, tag] {
            if (action == SpacesMenuAction::ReplacePrevSpace)
                userReplacePrevSpace(tag);
            else
                userGotoPrevSpace(tag);
        });
        insererA(menu, startIndex, a);
    }
}

void ZEVSpaceController::userGotoPrevSpace(long tag)
{
    ZEVChannelViewerServices* canaux = channelViewerServices();
    KELICurseur* actif = actifCurseur_;
    if (!canaux || !canaux->spaceBrowsing() || !rulerViewer_ || !actif || !nowCurseur_ || !searchCurseur_)
        return;
    const KELDate now0 = actif->now();
    KELDate t = 0;
    if (tag == -1) {
        t = gotoDate_;
    } else if (tag == -2) {
        if (actif == searchCurseur_)
            _showNowCursor();
        selectionEspace(!(nowCurseur_->now() > now0), true);
        return;
    } else if (tag >= 0 && std::size_t(tag) < gotoObjects_.size()) {
        t = gotoObjects_[std::size_t(tag)].date();
    } else {
        return;
    }
    if (actif == nowCurseur_)
        rulerViewer_->userChangeActifCurseur(searchCurseur_);
    selectionEspace(!(t > now0), false);
    _showSearchCursorToDate(t, true);
}

void ZEVSpaceController::userReplacePrevSpace(long tag)
{
    if (tag < 0 || std::size_t(tag) >= gotoObjects_.size() || !rulerViewer_ || !searchCurseur_)
        return;
    const KELDate t = gotoObjects_[std::size_t(tag)].date();
    if (actifCurseur_ == nowCurseur_)
        rulerViewer_->userChangeActifCurseur(searchCurseur_);
    if (!contextViewer_ || !contextViewer_->isShowedEntityWithInt(KELENTITY_CHANNEL_VIEWER))
        host_.ouvrirEntityWithInt(KELENTITY_CHANNEL_VIEWER);
    _showSearchCursorToDate(t, false);
    // The Space shown at the Search cursor replaces the Now desk's, as Clean and Replace does.
    if (frontViewer_)
        frontViewer_->userSpaceCleanAndReplace();
}

void ZEVSpaceController::addChannelsToMenu(QMenu* menu, int startIndex, bool siShowZevFolder)
{
    if (!menu)
        return;
    enleverLesActions(menu, kProprieteChannels, true);
    KELICurseur* actif = actifCurseur_;
    ZEVChannelClassServices* canaux = channelClass();
    if (!actif || !canaux)
        return;
    actif->placeToi();
    auto* separateur = new QAction(menu);
    separateur->setSeparator(true);
    separateur->setProperty(kProprieteChannels, true);
    insererA(menu, startIndex, separateur);
    const std::vector<KELI*> liste = canaux->timeLineItems();
    const KELId courant = currentChannelInt();
    for (auto it = liste.rbegin(); it != liste.rend(); ++it) {
        KELI* canal = *it;
        if (!canal)
            continue;
        const KELId id = canal->idInt();
        QString nom = QString::fromStdString(canaux->nameOfChannel(canal));
        const bool home = id == homeChannelInt_;
        const bool dossier = siShowZevFolder && id == zevFolderChannelInt_;
        if (home && dossier)
            nom = QStringLiteral("%1 (Home & zevFolder)").arg(nom);
        else if (home)
            nom = QStringLiteral("%1 (Home)").arg(nom);
        else if (dossier)
            nom = QStringLiteral("%1 (zevFolder)").arg(nom);
        KELI* image = canaux->siChannelActif(canal, actif) ? canaux->backItemForChannel(canal, actif) : nullptr;
        auto* a = new QAction(menuText(nom), menu);
        a->setIcon(vignette(image, id, premierEnfant(id, KELRELATION_IDENTITY_BACK_COLOR, actif->now()),
                            premierEnfant(id, KELRELATION_IDENTITY_BACK_SCALE, actif->now())));
        a->setData(qlonglong(id));
        a->setCheckable(true);
        a->setChecked(id == courant);
        a->setProperty(kProprieteChannels, true);
        QObject::connect(a, &QAction::triggered, menu, [this, id] { userGotoChannel(long(id)); });
        insererA(menu, startIndex + 1, a);
    }
}

void ZEVSpaceController::userGotoChannel(long tag)
{
    if (ZEVChannelClassServices* canaux = channelClass(); canaux && tag > 0)
        canaux->selectChannelInt(KELId(tag));
}

} // namespace tallomer
