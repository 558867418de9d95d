#include "inspectors/files/ZEVFileClass.h"

#include "desk/data/ZEVItemData.h"
#include "desk/model/ZEVDeskClass.h"
#include "desk/model/ZEVNewInterval.h"
#include "engine/KELICurseur.h"
#include "engine/KELLien.h"
#include "engine/KELServeurDeLiens.h"
#include "inspectors/core/ZEVPresenceInterval.h"
#include "inspectors/files/ZEVFileViewer.h"
#include "runtime/Log.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSpaceClass.h"
#include "space/ZEVSpaceController.h"

namespace tallomer {

ZEVFileClass::ZEVFileClass(ZEVFileViewer* viewer, ZEVSpaceController& space)
    : ZEVRowsClass(space, KELRELATION_FILE_VIEWER), viewer_(viewer), defaults_(space.host().defaults()),
      presence_(space, KELRELATION_FILE_VIEWER, [this](KELI* item, KELICurseur* c) { return legosForItem(item, c); }),
      menus_(std::make_unique<ZEVInspectMenus>(nouns())), downloads_(space),
      drag_(std::make_unique<ZEVInspectDrag>(space, *this, viewer))
{
    menus_->onDeleteLego = [this](KELId legoId, ZEVTableView& table) {
        KELI* lego = KELServeurDeLiens::LienForInt(legoId, KELServeurDeLiens::CurseurGlobal());
        if (lego)
            deleteLego(lego, table);
    };
    auto lire = [this](const char* cle, bool defaut, bool* champ) {
        const QString key = QString::fromLatin1(cle);
        QVariant v = defaults_.values(key);
        if (!v.isValid()) {
            v = defaut;
            defaults_.setValue(key, v);
        }
        *champ = v.toBool();
        tokens_.push_back(defaults_.observe(key, [champ](const QString&, const QVariant& nv) { *champ = nv.toBool(); }));
    };
    lire(kGotoRecallKey, true, &siRecallChanges_);
    lire(kGotoReleaseKey, true, &siReleaseChanges_);
    lire(kGotoTitleKey, false, &siTitleChanges_);
}

ZEVFileClass::~ZEVFileClass()
{
    Scheduler::shared().cancelAll(this);
    for (DefaultsToken t : tokens_)
        defaults_.unobserve(t);
}

ZEVChangeWalk ZEVFileClass::walk(std::unordered_set<KELId>& cibles) const
{
    cibles.clear();
    for (KELI* o : foundedItemSet())
        cibles.insert(o->idInt());
    for (KELI* o : selectedItemSet())
        cibles.insert(o->idInt());
    const KELId c = currentChannelInt_;
    ZEVChangeWalk w;
    // The lego's parent is the Channel's identity: the test is on the parent, not on a cache.
    auto duCanal = [c](KELI* lien, KELDate) { return lien->parentInt() == c; };
    if (siRecallChanges_)
        w.kinds.push_back({KELRELATION_FILE_VIEWER, false, true, 0, duCanal});
    if (siReleaseChanges_)
        w.kinds.push_back({KELRELATION_FILE_VIEWER, true, true, 0, duCanal});
    if (siTitleChanges_)
        // A title change counts for an Object the Channel lists at that date.
        w.kinds.push_back({KELRELATION_ITEM_TITLE, false, false, 0, [c](KELI* lien, KELDate date) {
                               return KELServeurDeLiens::LienIntForParentInt(c, lien->parentInt(),
                                                                             KELRELATION_FILE_VIEWER, date) != 0;
                           }});
    w.objets = &cibles;
    return w;
}

KELDate ZEVFileClass::previousDate()
{
    std::unordered_set<KELId> cibles;
    const ZEVChangeWalk w = walk(cibles);
    return w.kinds.empty() ? 0.0 : ZEVChangeWalker::previousDate(actifCurseur_ ? actifCurseur_ : space_.actifCurseur(), w);
}

KELDate ZEVFileClass::nextDate()
{
    std::unordered_set<KELId> cibles;
    const ZEVChangeWalk w = walk(cibles);
    return w.kinds.empty() ? 0.0 : ZEVChangeWalker::nextDate(actifCurseur_ ? actifCurseur_ : space_.actifCurseur(), w);
}

KELI* ZEVFileClass::creerLienFileViewerForItem(KELI* item, KELDate date)
{
    KELI* canal = space_.spaceClass() ? space_.spaceClass()->identity() : nullptr;
    KELICurseur* curseur = actifCurseur_ ? actifCurseur_ : space_.actifCurseur();
    if (!item || !canal || !curseur)
        return nullptr;
    const ZEVInterval i = ZEVPresenceIntervalForItem(space_, curseur, searchCurseur_, item, date);
    if (!(i.in < i.out)) {
        logFormat("ZEVFileClass ERROR - no presence made for Object %lu: empty interval",
                  static_cast<unsigned long>(item->idInt()));
        return nullptr;
    }
    return KELServeurDeLiens::CreerLienRelInt(KELRELATION_FILE_VIEWER, canal, item, i.in, i.out, curseur);
}

void ZEVFileClass::moteurChange()
{
    if (viewer_)
        viewer_->moteurChangeFile();
}

void ZEVFileClass::majActionButtons()
{
    if (viewer_)
        viewer_->majActionButtons();
}

void ZEVFileClass::majInspectField()
{
    if (viewer_)
        viewer_->majInspectField();
}

bool ZEVFileClass::siPanneauMontre() const { return viewer_ && viewer_->siShowInspectView(); }

void ZEVFileClass::setNbOfSelectedRows(quint64 n)
{
    if (viewer_)
        viewer_->setNbOfSelectedRows(n);
}

void ZEVFileClass::searchingDidFinish()
{
    if (viewer_)
        viewer_->searchingDidFinish();
}

} // namespace tallomer
