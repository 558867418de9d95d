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
    : ZEVRowsClass(space, KELRELATION_FILE_VIEWER), viewer_(viewer),
      goto_(space.host().defaults(), KELRELATION_FILE_VIEWER, {kGotoRecallKey, kGotoReleaseKey, kGotoTitleKey}),
      presence_(space, KELRELATION_FILE_VIEWER, [this](KELI* item, KELICurseur* c) { return legosForItem(item, c); }),
      menus_(std::make_unique<ZEVInspectMenus>(nouns())), downloads_(space),
      drag_(std::make_unique<ZEVInspectDrag>(space, *this, viewer))
{
    referencerDrag(drag_.get());
    referencerPanneau(viewer, ZEVFileViewer::kRebuildDelay, true);
    menus_->onDeleteLego = [this](KELId legoId, ZEVTableView& table) {
        KELI* lego = KELServeurDeLiens::LienForInt(legoId, KELServeurDeLiens::CurseurGlobal());
        if (lego)
            deleteLego(lego, table);
    };
}

ZEVFileClass::~ZEVFileClass()
{
    Scheduler::shared().cancelAll(this);
}

KELDate ZEVFileClass::previousDate() { return goto_.previousDate(*this); }

KELDate ZEVFileClass::nextDate() { return goto_.nextDate(*this); }

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

} // namespace tallomer
