#include "inspectors/files/ZEVFileViewer.h"

#include "engine/KELICurseur.h"
#include "inspectors/ZEVFrontClass.h"
#include "inspectors/base/ZEVInspectView.h"
#include "services/ZEVInspectorServices.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "platform/sound/Sound.h"
#include "runtime/Log.h"
#include "runtime/Scheduler.h"
#include "services/ZEVFrontViewerServices.h"
#include "desk/viewer/ZEVDeskViewer.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSelections.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceWindow.h"
#include "widgets/ZEVButton.h"

#include <QAction>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>

#include <algorithm>
#include <unordered_set>

namespace tallomer {

ZEVFileViewer::ZEVFileViewer(ZEVSpaceController& space, KELId entityInt)
    : ZEVRowsViewer(space, entityInt),
      ZEVInspectImporting(
          *this,
          {.relation = KELRELATION_FILE_VIEWER,
           .owner = "ZEVFileViewer",
           .relationName = "KELRELATION_FILE_VIEWER",
           .panelTitle = QStringLiteral("Add Files\u2026"),
           .panelMessage = QStringLiteral("Select the files you want to add (as references) in the \"Files Window\""),
           .extensions = {},
           .filterName = {},
           .readable = {},
           .tellUnreadable = {},
           .presence = [this](KELI* item, KELDate date) { return model_.creerLienFileViewerForItem(item, date); },
           .recall = [this](const std::vector<KELI*>& items) { model_.recallFilesForItems(items); }}),
      model_(this, space)
{
    model_.initialiser();
    model_.enclencherMaj();
}

ZEVFileViewer::~ZEVFileViewer() { Scheduler::shared().cancelAll(&model_); }

std::optional<ZEVInspectNouns> ZEVFileViewer::noms() const
{
    return ZEVFileClass::nouns();
}

void ZEVFileViewer::awakeFromNib()
{
    ZEVRowsViewer::awakeFromNib();
    ZEVInspectTableView* table = inspectViewIfBuilt()->inspectTableView();
    for (int c = 0; c < 5; ++c)
        table->horizontalHeader()->resizeSection(c, 22);
    table->verticalHeader()->setDefaultSectionSize(19);
    QObject::connect(table, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& i) { openFile(i.row()); });
    model_.drag().referencerInspectTableView(table);
    majInspectView();
    frontModeDidChange();
}

// ---------------------------------------------------------------------------------------------
// Commands

void ZEVFileViewer::appliquer(Commande commande, const std::vector<KELI*>& items)
{
    appliquerPresence(model_.presence(), commande, items);
}

void ZEVFileViewer::userOpen() { ouvrirLesItemsDuMode(); }

void ZEVFileViewer::userDelete() { model_.deleteFiles(itemsPourLeMode()); }

namespace {
std::vector<KELI*> liste(const std::optional<std::vector<KELI*>>& l) { return l.value_or(std::vector<KELI*>()); }
} // namespace

void ZEVFileViewer::userMoveTo()
{
    if (ZEVFrontClass* f = ZEVFrontClass::shared())
        f->moveToForItems(liste(model_.moveToItemsForFrontMode()));
}

void ZEVFileViewer::userMoveToSpace()
{
    if (ZEVFrontClass* f = ZEVFrontClass::shared())
        f->moveToSpaceForItems(liste(model_.moveToSpaceItemsForFrontMode()));
}

void ZEVFileViewer::userCopyTo()
{
    if (ZEVFrontClass* f = ZEVFrontClass::shared())
        f->copyToForItems(liste(model_.copyToItemsForFrontMode()));
}

void ZEVFileViewer::userCopyToSpace()
{
    if (ZEVFrontClass* f = ZEVFrontClass::shared())
        f->copyToSpaceForItems(liste(model_.copyToSpaceItemsForFrontMode()));
}

void ZEVFileViewer::userDuplicateTo() { logFormat("ZEVFileViewer userDuplicateTo: file Objects are not duplicated"); }

void ZEVFileViewer::userDuplicateToSpace()
{
    logFormat("ZEVFileViewer userDuplicateToSpace: file Objects are not duplicated");
}

void ZEVFileViewer::userShowOriginal()
{
    const std::vector<KELI*> items = itemsPourLeMode();
    ZEVItemViewer* iv = space_.itemViewerForCurseur(space_.actifCurseur());
    if (items.empty() || !iv)
        return;
    iv->userShowOriginalForItem(items.front());
}

bool ZEVFileViewer::userGetInfo()
{
    ZEVItemViewer* iv = space_.itemViewerForCurseur(space_.actifCurseur());
    if (!iv)
        return false;
    if (siFirstResponder()) {
        const std::vector<KELI*> items = itemsPourLeMode();
        for (KELI* o : items)
            iv->userGetInfoForItem(o);
        if (!items.empty())
            return true;
    }
    KELI* objet = rowItemUnderPointer();
    if (!objet)
        return false;
    iv->userGetInfoForItem(objet);
    return true;
}

void ZEVFileViewer::userReleaseFileItem(KELI* item)
{
    if (!item)
        return;
    model_.releaseFilesForItems({item});
    if (KELICurseur* c = space_.actifCurseur())
        c->terminerDeplacementCurseur();
}

void ZEVFileViewer::userRecallFileItem(KELI* item)
{
    if (!item)
        return;
    model_.recallFilesForItems({item});
    replacer(space_.actifCurseur());
}

void ZEVFileViewer::userRecallNowFileItem(KELI* item)
{
    if (!item)
        return;
    model_.recallNowFilesForItems({item});
    replacer(space_.nowCurseur());
}

void ZEVFileViewer::userOpenFileItem(KELI* item)
{
    ZEVItemViewer* iv = space_.itemViewerForCurseur(space_.actifCurseur());
    if (item && iv)
        iv->userOpenItem(item, false);
}

void ZEVFileViewer::openFile(int row)
{
    ZEVInspectView* v = inspectViewIfBuilt();
    const ZEVTableElement* e = v ? v->inspectTableView()->element(row) : nullptr;
    if (e && e->item)
        userOpenFileItem(e->item);
}

} // namespace tallomer
