#include "inspectors/files/ZEVFileViewer.h"

#include "engine/KELICurseur.h"
#include "inspectors/ZEVFrontClass.h"
#include "inspectors/base/ZEVInspectView.h"
#include "inspectors/services/ZEVInspectorServices.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "platform/sound/Sound.h"
#include "runtime/Log.h"
#include "runtime/Scheduler.h"
#include "services/ZEVFrontViewerServices.h"
#include "desk/viewer/ZEVDeskViewer.h"
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
    : ZEVInspectViewer(space, entityInt), model_(this, space)
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
    ZEVInspectViewer::awakeFromNib();
    ZEVInspectTableView* table = inspectViewIfBuilt()->inspectTableView();
    table->setColumnIdentifiers({QStringLiteral("imageIcon"), QStringLiteral("imageTitle"), QStringLiteral("imageNode"),
                                 QStringLiteral("imageFilter"), QStringLiteral("itemIcon"), QStringLiteral("item")});
    for (int mode = 0; mode < 4; ++mode)
        table->setModeColumn(mode, mode);
    for (int c = 0; c < 5; ++c)
        table->horizontalHeader()->resizeSection(c, 22);
    table->verticalHeader()->setDefaultSectionSize(19);
    QObject::connect(table, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& i) { openFile(i.row()); });
    model_.referencerInspectTableView(table);
    model_.drag().referencerInspectTableView(table);
    majInspectView();
    frontModeDidChange();
}

void ZEVFileViewer::buttonInspectCancel() { fermerEtDecocher(); }

void ZEVFileViewer::channelDidChangeWithIdentityInt(KELId identityInt)
{
    ZEVInspectViewer::channelDidChangeWithIdentityInt(identityInt);
    model_.channelDidChangeWithIdentityInt(identityInt);
}

void ZEVFileViewer::itemSelectionDidChange()
{
    majActionButtons();
    model_.majIndexOfSelectedRows();
}

void ZEVFileViewer::frontModeDidChange()
{
    ZEVInspectView* v = inspectViewIfBuilt();
    ZEVFrontViewerServices* f = frontViewer();
    const int mode = f ? f->frontMode() : -1;
    if (v && v->btnFrontMode(0) && mode >= 0 && mode < 4)
        for (int m = 0; m < 4; ++m)
            v->btnFrontMode(m)->setState(m == mode ? kZEVStateOn : kZEVStateOff);
    majActionButtons();
    if (v)
        v->inspectTableView()->frontModeDidChange();
    model_.majIndexOfSelectedRows();
    model_.tvFrontModeDidChange();
}

void ZEVFileViewer::actifCurseurDidChange()
{
    ZEVInspectViewer::actifCurseurDidChange();
    majInspectField();
}

void ZEVFileViewer::showInspectView(bool show)
{
    if (show) {
        inspectView();
        // Changes that came while hidden were not refreshed: one refresh now.
        majInspectView();
        frontModeDidChange();
    }
    ZEVInspectViewer::showInspectView(show);
}

void ZEVFileViewer::majInspectView()
{
    model_.reloadItems();
    majInspectField();
}

// ---------------------------------------------------------------------------------------------
// Commands

void ZEVFileViewer::appliquer(Commande commande, const std::vector<KELI*>& items)
{
    switch (commande) {
    case Commande::Recall:
        model_.recallFilesForItems(items);
        break;
    case Commande::Retain:
        model_.retainFilesForItems(items);
        break;
    case Commande::Release:
        model_.releaseFilesForItems(items);
        break;
    case Commande::Forget:
        model_.forgetFilesForItems(items);
        break;
    case Commande::RecallNow:
        model_.recallNowFilesForItems(items);
        break;
    }
}

void ZEVFileViewer::userOpen()
{
    ZEVItemViewer* iv = space_.itemViewerForCurseur(space_.actifCurseur());
    const std::vector<KELI*> items = itemsPourLeMode();
    if (!iv || items.empty())
        return beep();
    for (KELI* o : items)
        iv->userOpenItem(o, false);
}

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

KELI* ZEVFileViewer::objetSousLePointeur()
{
    ZEVInspectView* v = inspectViewIfBuilt();
    if (!v || !v->isVisible())
        return nullptr;
    QWidget* w = v->window();
    const QPointF limite = space_.mouseLimitPoint();
    // y-up in the window to Qt's y-down at this edge.
    const QPointF fenetre(limite.x(), w->height() - limite.y());
    const QPointF panneau = v->mapFrom(w, fenetre);
    if (!v->inspectRect().contains(QPointF(panneau.x(), v->height() - panneau.y())))
        return nullptr;
    ZEVInspectTableView* table = v->inspectTableView();
    const QPoint dansLaTable = table->viewport()->mapFrom(w, fenetre.toPoint());
    if (!table->viewport()->rect().contains(dansLaTable))
        return nullptr;
    const ZEVTableElement* e = table->element(table->rowAt(dansLaTable.y()));
    return e ? e->item : nullptr;
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
    KELI* objet = objetSousLePointeur();
    if (!objet)
        return false;
    iv->userGetInfoForItem(objet);
    return true;
}

bool ZEVFileViewer::userFilter()
{
    ZEVInspectView* v = inspectViewIfBuilt();
    if (!v)
        return false;
    ZEVSelections& s = space_.selections();
    {
        QWidget* w = v->window();
        const QPointF limite = space_.mouseLimitPoint();
        const QPointF panneau = v->mapFrom(w, QPointF(limite.x(), w->height() - limite.y()));
        if (!v->inspectRect().contains(QPointF(panneau.x(), v->height() - panneau.y())))
            return false;
    }
    if (KELI* objet = objetSousLePointeur()) {
        if (s.isFilterSelectedForItem(objet))
            s.deselectAllFilters();
        else
            s.selectFilterForItem(objet);
        return true;
    }
    const bool filtres = !s.selectedFilterItems().empty();
    if (!siFirstResponder()) {
        if (filtres)
            s.deselectAllFilters();
        return false;
    }
    if (filtres) {
        s.deselectAllFilters();
    } else {
        ZEVFrontViewerServices* f = frontViewer();
        const std::vector<KELI*> items =
            f && f->frontMode() == 2 ? liste(model_.itemsForIconMode()) : itemsPourLeMode();
        s.selectFilterForItems(items);
    }
    return true;
}

void ZEVFileViewer::userSwap()
{
    ZEVFrontViewerServices* f = frontViewer();
    if (!f)
        return beep();
    ZEVSelections& s = space_.selections();
    const std::vector<KELI*> listes = model_.actifItems();
    std::vector<KELI*> t;
    switch (f->frontMode()) {
    case 0:
    case 1: {
        const bool icones = f->frontMode() == 0;
        std::vector<KELI*> choisis;
        for (KELI* o : listes)
            if (icones ? s.isIconSelectedForItem(o) : s.isTitleSelectedForItem(o))
                choisis.push_back(o);
        if (choisis.empty())
            return beep();
        // The other rows come in and the chosen ones go; what lies outside the list stays.
        std::vector<KELI*> autres;
        for (KELI* o : listes)
            if (std::find(choisis.begin(), choisis.end(), o) == choisis.end())
                autres.push_back(o);
        if (icones)
            s.selectIconForItemSet(autres, &choisis);
        else
            s.selectTitleForItemSet(autres, &choisis);
        return;
    }
    case 2: {
        ZEVDeskViewer* d = space_.deskViewerForCurseur(space_.actifCurseur());
        for (KELI* o : listes)
            if (!s.isFilterSelectedForItem(o) && !(d && d->siFilteredItem(o)))
                t.push_back(o);
        if (t.empty())
            return beep();
        s.selectFilterForItemSet(t, static_cast<const std::vector<KELI*>*>(nullptr));
        return;
    }
    case 3: {
        const std::unordered_set<KELI*> listees(listes.begin(), listes.end());
        for (ZEVLinkPair* l : s.selectedLinks())
            for (KELI* o : {l ? l->parentItem() : nullptr, l ? l->enfantItem() : nullptr})
                if (o && listees.count(o) && !s.isNodeSelectedForItem(o) && std::find(t.begin(), t.end(), o) == t.end())
                    t.push_back(o);
        if (t.empty())
            return beep();
        s.selectNodeForItemSet(t, static_cast<const std::vector<KELI*>*>(nullptr));
        return;
    }
    default:
        beep();
    }
}

void ZEVFileViewer::buttonDeselectItems()
{
    ZEVFrontViewerServices* f = frontViewer();
    std::vector<KELI*> items = itemsPourLeMode();
    // The found Objects go with the deselection.
    model_.releaseAllFoundedItems();
    ZEVSelections& s = space_.selections();
    switch (f ? f->frontMode() : -1) {
    case 0:
        s.deselectIconForItems(items);
        break;
    case 1:
        s.deselectTitleForItems(items);
        break;
    case 2:
        s.deselectFilterForItems(items);
        break;
    case 3:
        s.deselectNodeForItems(items);
        break;
    default:
        break;
    }
    model_.majIndexOfSelectedRows();
    if (ZEVInspectView* v = inspectViewIfBuilt()) {
        v->inspectTableView()->deselectLego();
        v->update();
    }
    majActionButtons();
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
