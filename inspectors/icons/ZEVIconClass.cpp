#include "inspectors/icons/ZEVIconClass.h"

#include "desk/model/ZEVModelSupport.h"
#include "desk/pasteboard/ZEVItemPB.h"
#include "engine/KELICurseur.h"
#include "engine/KELLien.h"
#include "engine/KELServeurDeLiens.h"
#include "inspectors/ZEVFrontClass.h"
#include "platform/AppId.h"
#include "platform/pasteboard/PasteboardRead.h"
#include "platform/pasteboard/X11LinkAnswer.h"
#include "inspectors/core/ZEVFrontModeLists.h"
#include "inspectors/icons/ZEVIconViewer.h"
#include "runtime/Scheduler.h"
#include "services/ZEVFrontMode.h"
#include "services/ZEVFrontViewerServices.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSelections.h"
#include "space/ZEVSpaceController.h"

#include <QMimeData>

#include <unordered_set>

namespace tallomer {

ZEVIconClass::ZEVIconClass(ZEVIconViewer* viewer, ZEVSpaceController& space)
    : ZEVRowsClass(space, KELRELATION_ICON_VIEWER), viewer_(viewer), defaults_(space.host().defaults()),
      menus_(std::make_unique<ZEVInspectMenus>(nouns(), ZEVRowMenuShape{false, true, false, true})),
      drag_(std::make_unique<ZEVInspectDrag>(space, *this, nullptr))
{
    referencerDrag(drag_.get());
    referencerPanneau(viewer, ZEVInspectViewer::kRefreshDelay, false);
    currentChannelInt_ = space.currentChannelInt();
    drag_->writeItems = [this](const std::vector<KELI*>& items, QMimeData& into) { return writeItems(items, into); };
    menus_->onDeleteLego = [this](KELId legoId, ZEVTableView& table) {
        if (KELI* lego = KELServeurDeLiens::LienForInt(legoId, KELServeurDeLiens::CurseurGlobal()))
            deleteLego(lego, table);
    };
    menus_->onAdd = [this] {
        if (viewer_)
            viewer_->menuInspectAdd();
    };
    for (int k = 0; k < KindCount; ++k) {
        const QString key = QString::fromLatin1(kGotoKeys[std::size_t(k)]);
        QVariant v = defaults_.values(key);
        if (!v.isValid()) {
            v = kGotoDefaults[std::size_t(k)];
            defaults_.setValue(key, v);
        }
        flags_[std::size_t(k)] = v.toBool();
        tokens_.push_back(defaults_.observe(
            key, [this, k](const QString&, const QVariant& nv) { flags_[std::size_t(k)] = nv.toBool(); }));
    }
}

bool ZEVIconClass::writeItems(const std::vector<KELI*>& items, QMimeData& into)
{
    // The rows are the desk's Objects: they leave as the desk's own lists give them, a web Object
    // as its location file so that other programs open the address, or as the address itself
    // when no page came down to make that file beside.
    ZEVFrontClass* front = ZEVFrontClass::shared();
    if (!front)
        return false;
    QList<QUrl> urls;
    QStringList texts;
    QList<PastedBookmark> links;
    std::vector<ZEVItemPB> records;
    // One Object at a time, so that they leave in row order whatever each becomes.
    for (KELI* item : items) {
        if (!item)
            continue;
        std::unique_ptr<QMimeData> d = front->mimeDataForItems({item}, false);
        if (!d && itemTypeForItem(item).value_or("") == "http")
            d = front->mimeDataForItems({item}, true);
        if (!d)
            continue;
        urls << d->urls();
        if (d->hasText())
            texts << d->text();
        links << parseMozUrl(d->data(QString::fromLatin1(mime::kMozUrl)));
        if (d->hasFormat(QString::fromLatin1(kItemPasteboardType)))
            for (ZEVItemPB& r : ZEVItemPB::unarchive(d->data(QString::fromLatin1(kItemPasteboardType))))
                records.push_back(std::move(r));
    }
    if (urls.isEmpty() && texts.isEmpty())
        return false;
    if (!urls.isEmpty())
        into.setUrls(urls);
    if (!texts.isEmpty())
        into.setText(texts.join(QLatin1Char('\n')));
    if (!links.isEmpty()) {
        into.setData(QString::fromLatin1(mime::kMozUrl), mozUrlData(links));
        offerLinksToX11(&into);
    }
    if (!records.empty())
        into.setData(QString::fromLatin1(kItemPasteboardType), ZEVItemPB::archive(records));
    return true;
}

ZEVIconClass::~ZEVIconClass()
{
    Scheduler::shared().cancelAll(this);
    for (DefaultsToken t : tokens_)
        defaults_.unobserve(t);
}

void ZEVIconClass::initialiser()
{
    setRowsDuTimeline(true);
    enclencherTimeline(false);
}

void ZEVIconClass::setSiChanges(Kind k, bool on) { defaults_.setValue(QString::fromLatin1(kGotoKeys[std::size_t(k)]), on); }

KELICurseur* ZEVIconClass::actifOuTimeline() const
{
    if (actifCurseur_)
        return actifCurseur_;
    return space_.actifCurseur() ? space_.actifCurseur() : space_.tlCurseur();
}

void ZEVIconClass::channelDidChangeWithIdentityInt(KELId identityInt)
{
    if (identityInt)
        currentChannelInt_ = identityInt;
    majSelectedIconIndexSet();
    // Only the other-Channel style of the rows changes.
    actifCurseurDidChangeForCurseur(space_.actifCurseur());
}

// ---------------------------------------------------------------------------------------------
// The mode's selection

std::optional<std::vector<KELI*>> ZEVIconClass::itemsForFrontMode()
{
    const int mode = frontMode();
    if (mode != ZEVFrontModeLinks)
        return ZEVItemsForFrontMode(space_, mode, [](KELI*) { return true; });
    std::vector<KELI*> out;
    std::unordered_set<KELI*> vus;
    for (ZEVLinkPair* l : space_.selections().selectedLinks())
        if (l)
            for (KELI* bout : {l->parentItem(), l->enfantItem()})
                if (bout && vus.insert(bout).second)
                    out.push_back(bout);
    return out;
}

std::optional<std::vector<KELI*>> ZEVIconClass::itemsForIconMode()
{
    return ZEVItemsForIconMode(space_, [](KELI*) { return true; });
}

void ZEVIconClass::majSelectedIconIndexSet()
{
    selectedIconIndexSet_.clear();
    if (const auto items = itemsForFrontMode())
        for (KELI* o : *items)
            selectedIconIndexSet_.insert(o->idInt());
}

// ---------------------------------------------------------------------------------------------
// The walks

KELDate ZEVIconClass::marcher(bool versLePasse, const ZEVChangeWalk& w)
{
    if (w.kinds.empty())
        return 0.0;
    KELICurseur* c = actifOuTimeline();
    return versLePasse ? ZEVChangeWalker::previousDate(c, w) : ZEVChangeWalker::nextDate(c, w);
}

namespace {
ZEVChangeWalk apparitions(const std::unordered_set<KELId>* objets)
{
    ZEVChangeWalk w;
    w.kinds.push_back({KELRELATION_ICON_VIEWER, false, true, 0, {}});
    w.kinds.push_back({KELRELATION_ICON_VIEWER, true, true, 0, {}});
    w.objets = objets;
    return w;
}

// The geometry and title relations, each the change kind it makes.
struct GeometrieKind {
    KELId relation;
    ZEVIconClass::Kind kind;
};
constexpr GeometrieKind kGeometrie[] = {{KELRELATION_ICON_RATIO_S, ZEVIconClass::Sizing},
                                        {KELRELATION_ICON_RATIO_X, ZEVIconClass::Position},
                                        {KELRELATION_ICON_RATIO_Y, ZEVIconClass::Position},
                                        {KELRELATION_ITEM_TITLE, ZEVIconClass::Title}};
} // namespace

// Appearances and disappearances only, whatever the user's switches say.
KELDate ZEVIconClass::previousDate()
{
    majSelectedIconIndexSet();
    return marcher(true, apparitions(&selectedIconIndexSet_));
}

KELDate ZEVIconClass::nextDate()
{
    majSelectedIconIndexSet();
    return marcher(false, apparitions(&selectedIconIndexSet_));
}

KELId ZEVIconClass::backImageOfSpace()
{
    if (const KELId browsed = space_.browsedBackImageInt())
        return browsed;
    // The Channel's background at the active cursor, whether or not the desk could load its picture.
    KELICurseur* actif = actifOuTimeline();
    if (!actif)
        return 0;
    KELId image = 0;
    if (const KELIds images =
            KELServeurDeLiens::EnfantsNumForParentInt(currentChannelInt_, KELRELATION_IDENTITY_BACK_ITEM, actif->now());
        images && !images->empty())
        image = images->front();
    else if (ZEVCursorDesk* desk = space_.deskForCurseur(actif))
        if (KELI* current = desk->currentBackImageItem())
            image = current->idInt();
    // The Space being browsed: the following steps keep to it though the cursor leaves it, until
    // the Now cursor comes back or the Command key is let go.
    if (image)
        space_.setBrowsedSpaceBackImageInt(image);
    return image;
}

ZEVChangeWalk ZEVIconClass::walkSiSame(bool versLePasse, bool siSame)
{
    const KELId c = currentChannelInt_;
    const double borne = ZEVChangeWalker::kBorne;
    // The Space: the background image I of the Channel and the limit L of its period. With no
    // image, or no period of it at the cursor, the limit is the bound.
    KELId image = 0;
    KELDate limite = versLePasse ? -borne : borne;
    if (siSame) {
        image = backImageOfSpace();
        KELICurseur* actif = actifOuTimeline();
        if (image && actif && versLePasse) {
            if (const KELId premier = KELServeurDeLiens::FirstLienNumDeRelNumParentNumEnfantNumApresDate(
                    KELRELATION_IDENTITY_BACK_ITEM, c, image, -borne))
                limite = KELServeurDeLiens::InDateForLienNum(premier);
        } else if (image && actif) {
            if (const KELId courant =
                    KELServeurDeLiens::LienIntForParentInt(c, image, KELRELATION_IDENTITY_BACK_ITEM, actif->now())) {
                const KELDate o = KELServeurDeLiens::OutDateForLienNum(courant);
                if (o <= borne) {
                    const KELId suivant = KELServeurDeLiens::FirstLienNumDeRelNumParentNumEnfantNumApresDate(
                        KELRELATION_IDENTITY_BACK_ITEM, c, image, o - 0.5);
                    limite = suivant ? std::min(KELServeurDeLiens::OutDateForLienNum(suivant), borne) : o;
                }
            }
        }
    }
    const double decalage = versLePasse ? -ZEVChangeWalker::kAvant : ZEVChangeWalker::kApres;
    auto dansLEspace = [=](KELDate date) {
        if (!image)
            return true;
        if (versLePasse ? date < limite : date > limite)
            return false;
        return KELServeurDeLiens::LienIntForParentInt(c, image, KELRELATION_IDENTITY_BACK_ITEM, date + decalage) != 0;
    };
    auto duCanal = [=](KELI* lien, KELDate date) { return lien->parentInt() == c && dansLEspace(date); };
    // The Objects that ever had an icon on C's desk, read once before the walk (reading wakes
    // links, which the event table must not see while it is walked): another's move or title is
    // passed over without asking the store at its date. Null when a link could not be read: then
    // every one is asked.
    std::shared_ptr<const std::unordered_set<KELId>> iconesDeC;
    if (flags_[Title] || flags_[Sizing] || flags_[Position]) {
        auto ids = std::make_shared<std::unordered_set<KELId>>();
        bool complet = true;
        // Read for the whole time line, as the legos are: the desks' cursors are left alone.
        KELICurseurGlobal* lecteur = KELServeurDeLiens::CurseurGlobal();
        for (KELId l : KELServeurDeLiens::LiensNumDuParentIntRelInt(c, KELRELATION_ICON_VIEWER).value_or(std::vector<KELId>())) {
            KELI* icone = lecteur ? KELServeurDeLiens::LienForInt(l, lecteur) : nullptr;
            if (!icone) {
                complet = false;
                break;
            }
            ids->insert(icone->enfantInt());
        }
        if (complet)
            iconesDeC = std::move(ids);
    }
    auto surLeBureau = [=](KELI* lien, KELDate date) {
        if (iconesDeC && !iconesDeC->count(lien->parentInt()))
            return false;
        return KELServeurDeLiens::LienIntForParentInt(c, lien->parentInt(), KELRELATION_ICON_VIEWER, date) != 0 &&
               dansLEspace(date);
    };
    ZEVChangeWalk w;
    if (flags_[Recall])
        w.kinds.push_back({KELRELATION_ICON_VIEWER, false, true, 0, duCanal});
    if (flags_[Release])
        w.kinds.push_back({KELRELATION_ICON_VIEWER, true, true, 0, duCanal});
    for (const GeometrieKind& g : kGeometrie)
        if (flags_[g.kind])
            w.kinds.push_back({g.relation, false, false, 0, surLeBureau});
    return w;
}

ZEVChangeWalk ZEVIconClass::walkForIndexSet(const std::unordered_set<KELId>* ids)
{
    auto surUnBureau = [](KELI* lien, KELDate date) {
        const KELIds l = KELServeurDeLiens::LiensNumForEnfantInt(lien->parentInt(), KELRELATION_ICON_VIEWER, date);
        return l && !l->empty();
    };
    ZEVChangeWalk w;
    if (flags_[Recall])
        w.kinds.push_back({KELRELATION_ICON_VIEWER, false, true, 0, {}});
    if (flags_[Release])
        w.kinds.push_back({KELRELATION_ICON_VIEWER, true, true, 0, {}});
    for (const GeometrieKind& g : kGeometrie)
        if (flags_[g.kind])
            w.kinds.push_back({g.relation, false, false, 0, surUnBureau});
    w.objets = ids;
    return w;
}

KELDate ZEVIconClass::previousDateItemSiSame(bool siSame) { return marcher(true, walkSiSame(true, siSame)); }
KELDate ZEVIconClass::nextDateItemSiSame(bool siSame) { return marcher(false, walkSiSame(false, siSame)); }

KELDate ZEVIconClass::previousDateForIndexSet(const std::unordered_set<KELId>& ids)
{
    return ids.empty() ? 0.0 : marcher(true, walkForIndexSet(&ids));
}

KELDate ZEVIconClass::nextDateForIndexSet(const std::unordered_set<KELId>& ids)
{
    return ids.empty() ? 0.0 : marcher(false, walkForIndexSet(&ids));
}

// ---------------------------------------------------------------------------------------------
// The controller's side


} // namespace tallomer
