#include "inspectors/links/ZEVLinkViewer.h"

#include "engine/KELICurseur.h"
#include "inspectors/ZEVFrontClass.h"
#include "inspectors/base/ZEVInspectView.h"
#include "inspectors/core/ZEVRowMenuParts.h"
#include "inspectors/core/ZEVRowsClass.h"
#include "inspectors/table/ZEVTableModel.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "objects/viewer/ZEVItemViewerHost.h"
#include "platform/sound/Sound.h"
#include "runtime/Scheduler.h"
#include "services/ZEVFrontMode.h"
#include "services/ZEVFrontViewerServices.h"
#include "desk/viewer/ZEVDeskViewer.h"
#include "space/ZEVSelections.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpacePreview.h"
#include "space/ZEVSpaceWindow.h"
#include "widgets/ZEVButton.h"
#include "widgets/ZEVPreviewWindow.h"

#include <QAction>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>

#include <unordered_set>

namespace tallomer {

namespace {

constexpr double kLegoHeight = 19.0;
constexpr long kEntityMenuOpener = 11111;
constexpr int kRowHeight = 19;

// An item titled, and enabled or not; `title` empty leaves the title as it is.
ZEVMenuLine ligne(long tag, const QString& title, std::optional<bool> enabled)
{
    ZEVMenuLine l;
    l.tag = tag;
    if (!title.isEmpty())
        l.title = title;
    l.enabled = enabled;
    return l;
}

// "<one>" for 1, "<many with %1>" for more.
QString compte(quint64 n, const QString& un, const QString& plusieurs)
{
    return n == 1 ? un : plusieurs.arg(qint32(n));
}

std::vector<KELI*> liste(const std::optional<std::vector<KELI*>>& l) { return l.value_or(std::vector<KELI*>()); }

} // namespace

ZEVLinkViewer::ZEVLinkViewer(ZEVSpaceController& space, KELId entityInt)
    : ZEVInspectViewer(space, entityInt), model_(space, this)
{
    model_.initialiser();
    model_.enclencherMaj();
}

ZEVLinkViewer::~ZEVLinkViewer()
{
    // The panel may outlive the model by a moment: it no longer reads the model's rows.
    if (ZEVInspectView* v = inspectViewIfBuilt()) {
        v->inspectTableView()->leaveViewer();
        v->inspectTableView()->setElements(nullptr);
    }
    model_.referencerInspectTableView(nullptr);
}

void ZEVLinkViewer::awakeFromNib()
{
    ZEVInspectViewer::awakeFromNib();
    // A pair opens in no program of the desktop: the panel's menu offers none.
    if (QAction* opener = entityMenu() ? ZEVMenuItemWithTag(entityMenu(), kEntityMenuOpener) : nullptr)
        opener->setVisible(false);
    ZEVInspectTableView* table = inspectViewIfBuilt()->inspectTableView();
    table->setColumnIdentifiers(ZEVLinkClass::columnIdentifiers());
    table->setModeColumn(ZEVFrontModeIcons, 0);
    table->setModeColumn(ZEVFrontModeTitles, 1);
    table->setModeColumn(ZEVFrontModeLinks, 2);
    table->setModeColumn(ZEVFrontModeFilters, ZEVLinkClass::kColumnFilterParent);
    for (int c : {0, 1, 2, ZEVLinkClass::kColumnFilterParent, ZEVLinkClass::kColumnFilterEnfant})
        table->horizontalHeader()->resizeSection(c, 22);
    table->setLegoHeight(kLegoHeight, 0.0);
    table->verticalHeader()->setDefaultSectionSize(kRowHeight);
    // No double action: a pair has nothing of its own to open.
    model_.referencerInspectTableView(table);
    majInspectView();
    frontModeDidChange();
}

void ZEVLinkViewer::buttonInspectCancel()
{
    fermerParLaBarre();
    decocherDansLeMenu();
}

void ZEVLinkViewer::channelDidChangeWithIdentityInt(KELId identityInt)
{
    ZEVInspectViewer::channelDidChangeWithIdentityInt(identityInt);
    model_.channelDidChangeWithIdentityInt(identityInt);
    majInspectField();
}

void ZEVLinkViewer::actifCurseurDidChange()
{
    ZEVInspectViewer::actifCurseurDidChange();
    model_.actifCurseurDidChangeForCurseur(space_.actifCurseur());
    if (ZEVInspectView* v = inspectViewIfBuilt())
        v->inspectTableView()->setActifCurseur(space_.actifCurseur());
}

void ZEVLinkViewer::frontModeDidChange()
{
    montrerLesBoutonsDuMode();
    if (ZEVInspectView* v = inspectViewIfBuilt())
        v->inspectTableView()->frontModeDidChange();
    model_.majIndexOfSelectedRows();
    model_.tvFrontModeDidChange();
    majActionButtons();
}

void ZEVLinkViewer::itemSelectionDidChange()
{
    if (ZEVInspectView* v = inspectViewIfBuilt())
        model_.majIndexOfSelectedRowsForTableView(*v->inspectTableView());
    majActionButtons();
    ZEVSpaceWindow* w = space_.spaceWindow();
    if (!w || !w->siPreviewPanelVisible() || !siFirstResponder())
        return;
    // Both ends of every link, an Object ending several as often.
    donnerAuPreview(quickLookItems(liensDuMode(), QLColumn_, false));
    w->reloadPreviewPanel();
}

void ZEVLinkViewer::showInspectView(bool show)
{
    if (show) {
        inspectView();
        // Changes that came while hidden were not refreshed: one refresh now.
        majInspectView();
        frontModeDidChange();
    }
    ZEVInspectViewer::showInspectView(show);
}

void ZEVLinkViewer::majInspectView()
{
    model_.reloadItems();
    model_.majIndexOfSelectedRows();
    majInspectField();
    // The buttons follow the links' states; with the keys, the menu bar's items too.
    majActionButtons();
}

void ZEVLinkViewer::linkRowsSelected(quint64 n)
{
    setNbOfSelectedRows(n);
    majInspectField();
}

// ---------------------------------------------------------------------------------------------
// Menus

ZEVInspectCounts ZEVLinkViewer::compterLesLiens(int mode, quint64& links)
{
    ZEVInspectCounts c;
    c.mode = mode;
    KELICurseur* actif = space_.actifCurseur();
    c.isSearch = actif && actif == space_.searchCurseur();
    const std::vector<ZEVLinkPair*> liens = liensDuMode();
    for (ZEVLinkPair* l : liens) {
        if (model_.isLinkActif(l))
            ++c.nActive;
        else
            ++c.nInactive;
        if (c.isSearch && !model_.isLinkActifNow(l))
            ++c.nNotNow;
    }
    links = liens.size();
    c.nTotal = liste(model_.itemsForFrontMode()).size();
    c.filters = space_.selections().selectedFilterItems().size();
    if (mode == ZEVFrontModeFilters)
        c.iconMode = liste(model_.itemsForIconMode()).size();
    c.moveTo = liste(model_.moveToItemsForFrontMode()).size();
    c.moveToSpace = liste(model_.moveToSpaceItemsForFrontMode()).size();
    c.copyTo = liste(model_.copyToItemsForFrontMode()).size();
    c.copyToSpace = liste(model_.copyToSpaceItemsForFrontMode()).size();
    c.duplicateTo = liste(model_.duplicateToItemsForFrontMode()).size();
    c.duration = space_.durationString();
    if (ZEVDeskViewer* d = space_.deskViewerForCurseur(actif))
        c.deskHasItems = d->siItemExiste();
    for (KELICurseur* k : {space_.nowCurseur(), space_.searchCurseur()})
        if (ZEVDeskViewer* d = space_.deskViewerForCurseur(k); d && d->siSelectionExiste(mode)) {
            c.deskHasSelection = true;
            break;
        }
    return c;
}

std::vector<ZEVMenuLine> ZEVLinkViewer::editLines(const ZEVInspectCounts& c)
{
    std::vector<ZEVMenuLine> out;
    ZEVMenuLine now;
    now.tag = 6;
    now.visible = c.isSearch && c.nNotNow > 0;
    if (*now.visible)
        now.title = compte(c.nNotNow, QStringLiteral("Recall Now 1 Link"), QStringLiteral("Recall Now %1 Links")) + c.duration;
    out.push_back(now);
    const quint64 i = c.nInactive;
    const quint64 a = c.nActive;
    out.push_back(ligne(4, i == 0 ? QStringLiteral("Recall Link") : compte(i, QStringLiteral("Recall 1 Link"), QStringLiteral("Recall %1 Links")) + c.duration, i > 0));
    out.push_back(ligne(5, i == 0 ? QStringLiteral("Retain Link") : compte(i, QStringLiteral("Retain 1 Link"), QStringLiteral("Retain %1 Links")), i > 0));
    out.push_back(ligne(2, a == 0 ? QStringLiteral("Release Link") : compte(a, QStringLiteral("Release 1 Link"), QStringLiteral("Release %1 Links")), a > 0));
    out.push_back(ligne(3, a == 0 ? QStringLiteral("Forget Link") : compte(a, QStringLiteral("Forget 1 Link"), QStringLiteral("Forget %1 Links")), a > 0));
    return out;
}

std::vector<ZEVMenuLine> ZEVLinkViewer::objectLines(const ZEVInspectCounts& c, quint64 links)
{
    const quint64 n = c.nTotal;
    ZEVMenuLine add = ligne(31, QString(), true);
    ZEVMenuLine open = ligne(1, QString(), true);
    ZEVMenuLine filter = ligne(7, QString(), true);
    filter.state = 0;
    auto deselect = [&filter] {
        filter.title = QStringLiteral("Deselect all Filters");
        filter.enabled = true;
        filter.state = 1;
    };
    // Open and Filter in the Icon and Title modes, `mot` naming what would be linked.
    auto objets = [&](const QString& mot) {
        add.title = QStringLiteral("Add\u2026");
        add.enabled = false;
        open.title = n == 0 ? QStringLiteral("Open (no linked %1)").arg(mot)
                            : compte(n, QStringLiteral("Open 1 Object"), QStringLiteral("Open %1 linked Objects"));
        open.enabled = n > 0;
        if (c.filters > 0)
            return deselect();
        filter.title = n == 0 ? QStringLiteral("Filter (no linked %1)").arg(mot)
                              : compte(n, QStringLiteral("Filter 1 Object"), QStringLiteral("Filter %1 linked Objects"));
        filter.enabled = n > 0;
    };
    switch (c.mode) {
    case ZEVFrontModeIcons:
        objets(QStringLiteral("Icon"));
        break;
    case ZEVFrontModeTitles:
        objets(QStringLiteral("Title"));
        break;
    case ZEVFrontModeFilters:
        if (n > 0) {
            add.title = QStringLiteral("Add and link Objects\u2026");
            open.title = compte(n, QStringLiteral("Open 1 Filter"), QStringLiteral("Open %1 Filters"));
            deselect();
        } else {
            add.title = QStringLiteral("Add Objects\u2026");
            open.title = QStringLiteral("Open");
            open.enabled = false;
            filter.title = c.iconMode > 0 ? QStringLiteral("Filter %1 linked Objects").arg(qint32(c.iconMode))
                                          : QStringLiteral("Filter (no Icon)");
            filter.enabled = c.iconMode > 0;
        }
        break;
    case ZEVFrontModeLinks:
        add.title = QStringLiteral("Add\u2026");
        add.enabled = false;
        open.title = n > 0 ? QStringLiteral("Open %1 linked Objects").arg(qint32(n)) : QStringLiteral("Open (no Link)");
        open.enabled = n > 0;
        if (c.filters > 0) {
            deselect();
        } else {
            filter.title = n > 0 ? QStringLiteral("Filter %1 linked Objects").arg(qint32(n)) : QStringLiteral("Filter (no Link)");
            filter.enabled = n > 0;
        }
        break;
    default:
        break;
    }
    std::vector<ZEVMenuLine> out{add, open, filter, ligne(32, QStringLiteral("Find Links"), true)};
    out.push_back(ligne(13, links == 0 ? QStringLiteral("Remove Links")
                                       : compte(links, QStringLiteral("Remove 1 Link"), QStringLiteral("Remove %1 Links")),
                        links > 0));
    out.push_back(ligne(4333, QStringLiteral("Handle linked Objects"), std::nullopt));
    struct Manier {
        long tag;
        const char* un;
        const char* plusieurs;
        const char* aucun;
        quint64 count;
    };
    const Manier maniers[] = {
        {21, "Move 1 Object to\u2026", "Move %1 Objects to\u2026", "Move to\u2026", c.moveTo},
        {20, "Move 1 Object in Tallomer", "Move %1 Objects in Tallomer", "Move in Tallomer", c.moveToSpace},
        {23, "Copy 1 Object to\u2026", "Copy %1 Objects to\u2026", "Copy to\u2026", c.copyTo},
        {22, "Copy 1 Object in Tallomer", "Copy %1 Objects in Tallomer", "Copy in Tallomer", c.copyToSpace},
        {25, "Duplicate 1 Object to\u2026", "Duplicate %1 Objects to\u2026", "Duplicate to\u2026", c.duplicateTo},
        {24, "Duplicate 1 Object in Tallomer", "Duplicate %1 Objects in Tallomer", "Duplicate in Tallomer", c.duplicateTo},
    };
    for (const Manier& m : maniers)
        out.push_back(ligne(m.tag,
                            m.count == 0 ? QString::fromUtf8(m.aucun)
                                         : compte(m.count, QString::fromUtf8(m.un), QString::fromUtf8(m.plusieurs)),
                            m.count > 0));
    // Show Original shows the two Objects of one link, and acts on no other number of them.
    out.push_back(ligne(60, QString(), n == 2));
    return out;
}

std::vector<ZEVMenuLine> ZEVLinkViewer::macLines(const ZEVInspectCounts& c)
{
    ZEVInspectCounts k = c;
    // Show Original is never offered from the menu bar for links.
    k.showOriginal = false;
    std::vector<ZEVMenuLine> out = ZEVInspectMacLines(k, ZEVLinkClass::nouns());
    for (ZEVMenuLine& l : out)
        if (l.tag == 31 && l.place == ZEVMenuPlace::Object)
            l.enabled = c.mode == ZEVFrontModeFilters;
    return out;
}

void ZEVLinkViewer::updateMenuEdit(QMenu* menu)
{
    ZEVFrontViewerServices* f = frontViewer();
    if (!menu || !f)
        return;
    quint64 links = 0;
    ZEVApplyMenuLines(menu, editLines(compterLesLiens(f->frontMode(), links)));
}

void ZEVLinkViewer::updateMenuObject(QMenu* menu)
{
    ZEVFrontViewerServices* f = frontViewer();
    if (!menu || !f)
        return;
    quint64 links = 0;
    const ZEVInspectCounts c = compterLesLiens(f->frontMode(), links);
    if (QAction* ow = ZEVMenuItemWithTag(menu, 4321); ow && ow->menu()) {
        ow->menu()->clear();
        if (ZEVItemViewerHost* host = ZEVItemViewer::Host())
            host->fillOpenWithForItems(ow->menu(), liste(model_.itemsForFrontMode()));
    }
    ZEVApplyMenuLines(menu, objectLines(c, links));
}

void ZEVLinkViewer::updateMenuMacForMode(int frontMode)
{
    quint64 links = 0;
    ZEVInspectCounts c = compterLesLiens(frontMode, links);
    // The menu bar counts the rows in modes 0 to 2, the Objects at their ends in Link mode.
    if (frontMode != ZEVFrontModeLinks)
        c.nTotal = links;
    appliquerALaBarre(macLines(c));
}

void ZEVLinkViewer::trouver(ZEVLinkClass::Holder holder)
{
    model_.findHeldWithOperation(holder, ZEVRowsClass::operationForModifiers(QGuiApplication::keyboardModifiers()));
}

// ---------------------------------------------------------------------------------------------
// Commands

void ZEVLinkViewer::userDelete()
{
    const std::vector<ZEVLinkPair*> links = liensDuMode();
    if (links.empty())
        return Sound::shared().beep();
    model_.deleteLinks(links);
}

void ZEVLinkViewer::userMoveTo()
{
    if (ZEVFrontClass* f = ZEVFrontClass::shared())
        f->moveToForItems(liste(model_.moveToItemsForFrontMode()));
}

void ZEVLinkViewer::userMoveToSpace()
{
    if (ZEVFrontClass* f = ZEVFrontClass::shared())
        f->moveToSpaceForItems(liste(model_.moveToSpaceItemsForFrontMode()));
}

void ZEVLinkViewer::userCopyTo()
{
    if (ZEVFrontClass* f = ZEVFrontClass::shared())
        f->copyToForItems(liste(model_.copyToItemsForFrontMode()));
}

void ZEVLinkViewer::userCopyToSpace()
{
    if (ZEVFrontClass* f = ZEVFrontClass::shared())
        f->copyToSpaceForItems(liste(model_.copyToSpaceItemsForFrontMode()));
}

void ZEVLinkViewer::userDuplicateTo()
{
    if (ZEVFrontClass* f = ZEVFrontClass::shared())
        f->duplicateToForItems(liste(model_.duplicateToItemsForFrontMode()));
}

void ZEVLinkViewer::userDuplicateToSpace()
{
    if (ZEVFrontClass* f = ZEVFrontClass::shared())
        f->duplicateToSpaceForItems(liste(model_.duplicateToItemsForFrontMode()));
}

void ZEVLinkViewer::userShowOriginal()
{
    const std::vector<KELI*> items = liste(model_.itemsForFrontMode());
    ZEVItemViewer* iv = space_.itemViewerForCurseur(space_.actifCurseur());
    if (items.size() != 2 || !iv)
        return;
    for (KELI* o : items)
        iv->userShowOriginalForItem(o);
}

bool ZEVLinkViewer::sousLePointeur(int& row, int& column, bool& dansLaTable) const
{
    row = -1;
    column = -1;
    QPoint p;
    if (!pointeurSurLePanneau(p, dansLaTable))
        return false;
    ZEVInspectTableView* table = inspectViewIfBuilt()->inspectTableView();
    column = table->columnAt(p.x());
    if (dansLaTable && table->element(table->rowAt(p.y())))
        row = table->rowAt(p.y());
    return true;
}

bool ZEVLinkViewer::userGetInfo()
{
    if (siFirstResponder() && model_.getInfoLinksForFrontMode())
        return true;
    int row = -1, column = -1;
    bool dedans = false;
    ZEVInspectView* v = inspectViewIfBuilt();
    ZEVItemViewer* iv = space_.itemViewerForCurseur(space_.actifCurseur());
    if (!sousLePointeur(row, column, dedans) || !dedans || row < 0 || !v || !iv)
        return false;
    ZEVLinkObject* r = model_.rowAt(*v->inspectTableView(), row);
    KELI* bout = r ? (ZEVLinkClass::siColonneEnfant(column) ? r->enfantItem() : r->parentItem()) : nullptr;
    if (!bout)
        return false;
    iv->userGetInfoForItem(bout);
    return true;
}

bool ZEVLinkViewer::userFilter()
{
    int row = -1, column = -1;
    bool dedans = false;
    ZEVInspectView* v = inspectViewIfBuilt();
    if (!sousLePointeur(row, column, dedans) || !v)
        return false;
    ZEVSelections& s = space_.selections();
    if (dedans && row >= 0) {
        ZEVLinkObject* r = model_.rowAt(*v->inspectTableView(), row);
        KELI* bout = r ? (ZEVLinkClass::siColonneEnfant(column) ? r->enfantItem() : r->parentItem()) : nullptr;
        if (!bout)
            return false;
        if (s.isFilterSelectedForItem(bout))
            s.deselectAllFilters();
        else
            s.selectFilterForItem(bout);
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
        s.selectFilterForItems(liste(f && f->frontMode() == ZEVFrontModeFilters ? model_.itemsForIconMode()
                                                                                 : model_.itemsForFrontMode()));
    }
    return true;
}

void ZEVLinkViewer::userDeselect()
{
    ZEVFrontViewerServices* f = frontViewer();
    space_.selections().deselectAllInFrontMode(f ? f->frontMode() : -1);
}

void ZEVLinkViewer::apresCommande(KELICurseur* curseur)
{
    replacer(curseur);
    if (ZEVInspectView* v = inspectViewIfBuilt())
        v->inspectTableView()->reloadData();
    majActionButtons();
}

void ZEVLinkViewer::buttonRecallNowItems()
{
    model_.recallNowLinks(liensDuMode());
    apresCommande(space_.nowCurseur());
}

void ZEVLinkViewer::buttonRecallItems()
{
    model_.recallLinks(liensDuMode());
    apresCommande(space_.actifCurseur());
}

void ZEVLinkViewer::buttonRetainItems()
{
    model_.retainLinks(liensDuMode());
    apresCommande(space_.actifCurseur());
}

void ZEVLinkViewer::buttonReleaseItems()
{
    model_.releaseLinks(liensDuMode());
    apresCommande(space_.actifCurseur());
}

void ZEVLinkViewer::buttonForgetItems()
{
    model_.forgetLinks(liensDuMode());
    apresCommande(space_.actifCurseur());
}

// ---------------------------------------------------------------------------------------------
// Quick Look

std::vector<KELI*> ZEVLinkViewer::quickLookItems(const std::vector<ZEVLinkPair*>& links, int column, bool once)
{
    const bool enfantDabord = ZEVLinkClass::siColonneEnfant(column);
    std::vector<KELI*> out;
    std::unordered_set<KELI*> vus;
    for (const ZEVLinkPair* l : links) {
        if (!l)
            continue;
        KELI* premier = enfantDabord ? l->enfantItem() : l->parentItem();
        KELI* second = enfantDabord ? l->parentItem() : l->enfantItem();
        for (KELI* o : {premier, second})
            if (o && (!once || vus.insert(o).second))
                out.push_back(o);
    }
    return out;
}

ZEVLinkViewer::Presentation ZEVLinkViewer::presentationForCount(std::size_t n)
{
    return n >= 3 ? Presentation::Key : n == 2 ? Presentation::Front : Presentation::None;
}

void ZEVLinkViewer::montrer(const std::vector<KELI*>& items)
{
    ZEVSpaceWindow* w = space_.spaceWindow();
    const Presentation p = presentationForCount(items.size());
    if (!w || p == Presentation::None)
        return;
    donnerAuPreview(items);
    w->orderFrontPreviewPanel();
    // Three or more come over everything, to be browsed; two stay beside the panel.
    if (p == Presentation::Key)
        if (ZEVPreviewWindow* pw = w->preview().window())
            pw->raise();
}

bool ZEVLinkViewer::userToggleQL(bool fromButton)
{
    ZEVInspectView* v = inspectViewIfBuilt();
    ZEVSpaceWindow* w = space_.spaceWindow();
    if (!v || !v->isVisible() || !w)
        return false;
    int row = -1, column = -1;
    bool dedans = false;
    const bool dansLePanneau = sousLePointeur(row, column, dedans);
    QLColumn_ = column;
    const bool f = siFirstResponder();
    const bool montre = w->siPreviewPanelVisible();
    if (fromButton) {
        if (!f)
            return false;
        if (montre) {
            w->orderOutPreviewPanel();
            return true;
        }
        const std::vector<ZEVLinkPair*> liens = liensDuMode();
        if (!liens.empty())
            montrer(quickLookItems(liens, QLColumn_, true));
        return true;
    }
    if (!dansLePanneau)
        return false;
    std::vector<KELI*> items = f ? quickLookItems(liensDuMode(), QLColumn_, true) : std::vector<KELI*>();
    auto ligneSousLePointeur = [&] {
        if (ZEVLinkObject* r = row >= 0 ? model_.rowAt(*v->inspectTableView(), row) : nullptr)
            items = quickLookItems({r}, QLColumn_, true);
    };
    if (!dedans) {
        if (!f)
            return false;
        if (!montre) {
            montrer(items);
        } else if (items.empty()) {
            w->orderOutPreviewPanel();
        } else {
            donnerAuPreview(items);
            w->reloadPreviewPanel();
        }
        return true;
    }
    if (!montre) {
        if (items.empty())
            ligneSousLePointeur();
        montrer(items);
        return presentationForCount(items.size()) != Presentation::None || f;
    }
    if (!items.empty()) {
        w->orderOutPreviewPanel();
        return true;
    }
    ligneSousLePointeur();
    if (!f && items.empty())
        return false;
    if (items.empty()) {
        w->orderOutPreviewPanel();
        return true;
    }
    donnerAuPreview(items);
    w->reloadPreviewPanel();
    return true;
}

} // namespace tallomer
