#include "inspectors/icons/ZEVIconViewer.h"

#include "look/KELSharedResources.h"
#include "desk/data/ZEVItemData.h"
#include "desk/data/ZEVItemDataChannels.h"
#include "desk/model/ZEVItemOptions.h"
#include "desk/viewer/ZEVDeskViewer.h"
#include "engine/KELICurseur.h"
#include "inspectors/ZEVFrontClass.h"
#include "inspectors/base/ZEVInspectView.h"
#include "inspectors/core/ZEVRowMenuParts.h"
#include "inspectors/links/ZEVLinkClass.h"
#include "inspectors/table/ZEVTableView.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "runtime/Scheduler.h"
#include "services/ZEVFrontMode.h"
#include "services/ZEVFrontViewerServices.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSelections.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceWindow.h"
#include "widgets/FileTypeIcon.h"
#include "widgets/ZEVButton.h"

#include <QAction>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>

#include <unordered_set>

namespace tallomer {

namespace {
constexpr long kMenuInspecteurs = 6;
// The Find menu's finds by kind, and the Go To menu's switches of the five change kinds.
constexpr long kFindFiles = 22020;
constexpr long kFindPersons = 22021;
constexpr long kFindEmails = 22022;
constexpr long kFindBookmarks = 22023;
} // namespace

ZEVIconViewer::ZEVIconViewer(ZEVSpaceController& space, KELId entityInt)
    : ZEVInspectViewer(space, entityInt), model_(this, space)
{
    model_.initialiser();
}

ZEVIconViewer::~ZEVIconViewer() { Scheduler::shared().cancelAll(&model_); }

std::unique_ptr<ZEVInspectView> ZEVIconViewer::creerInspectView() { return std::make_unique<ZEVIconView>(*this); }

void ZEVIconViewer::awakeFromNib()
{
    ZEVInspectViewer::awakeFromNib();
    ZEVInspectView* v = inspectViewIfBuilt();
    ZEVInspectTableView* table = v->inspectTableView();
    table->setColumnIdentifiers({QStringLiteral("imageIcon"), QStringLiteral("imageTitle"), QStringLiteral("imageNode"),
                                 QStringLiteral("imageFilter"), QStringLiteral("itemIcon"), QStringLiteral("item")});
    for (int mode = 0; mode < 4; ++mode)
        table->setModeColumn(mode, mode);
    for (int c = 0; c < 5; ++c)
        table->horizontalHeader()->resizeSection(c, 22);
    table->verticalHeader()->setDefaultSectionSize(19);
    table->setSiAllLegos(true);
    QObject::connect(table, &QAbstractItemView::doubleClicked, this,
                     [this](const QModelIndex& i) { model_.openIcon(i.row()); });
    model_.referencerInspectTableView(table);
    model_.drag().referencerInspectTableView(table);
    // The panel follows the desk's front mode: it has no mode buttons of its own, nor Deselect.
    for (int m = 0; m < 4; ++m)
        if (ZEVButton* b = v->btnFrontMode(m))
            b->hide();
    if (v->btnDeselect())
        v->btnDeselect()->hide();
    // At Now the Entity menu shows the Now column of the temporal items, as the Edit menu does;
    // its Recall is the item tagged 6.
    if (QMenu* entity = entityMenu())
        if (QAction* recallNow = ZEVMenuItemWithTag(entity, 6)) {
            QAction* suivant = entity->actions().value(entity->actions().indexOf(recallNow) + 1);
            const std::pair<long, const char*> maintenant[] = {{65, "Retain"}, {62, "Release"}, {63, "Forget"}};
            for (const auto& [tag, titre] : maintenant) {
                auto* a = new QAction(QString::fromLatin1(titre), entity);
                a->setProperty("tag", qlonglong(tag));
                entity->insertAction(suivant, a);
                if (tag == 65)
                    QObject::connect(a, &QAction::triggered, this, [this] { userRetain(); });
                else if (tag == 62)
                    QObject::connect(a, &QAction::triggered, this, [this] { userRelease(); });
                else
                    QObject::connect(a, &QAction::triggered, this, [this] { userForget(); });
            }
        }
    auto lier = [this](QMenu* menu, long tag, const QString& titre, auto commande) {
        QAction* a = menu->addAction(titre);
        a->setProperty("tag", qlonglong(tag));
        QObject::connect(a, &QAction::triggered, this, commande);
        return a;
    };
    if (QMenu* find = findMenu()) {
        find->addSeparator();
        lier(find, kFindFiles, QStringLiteral("Files"), [this] { menuFindFiles(); });
        lier(find, kFindPersons, QStringLiteral("Contacts"), [this] { menuFindPersons(); });
        lier(find, kFindEmails, QStringLiteral("Emails"), [this] { menuFindEmails(); });
        lier(find, kFindBookmarks, QStringLiteral("Web Links"), [this] { menuFindBookmarks(); });
    }
    if (QMenu* go = gotoMenu()) {
        go->clear();
        const QString titres[] = {QStringLiteral("Appearances"), QStringLiteral("Disappearances"),
                                  QStringLiteral("Title Changes"), QStringLiteral("Size Changes"),
                                  QStringLiteral("Position Changes")};
        for (int k = 0; k < ZEVIconClass::KindCount; ++k) {
            const auto kind = ZEVIconClass::Kind(k);
            QAction* a = lier(go, k + 1, titres[k], [this, kind] { model_.setSiChanges(kind, !model_.siChanges(kind)); });
            a->setCheckable(true);
        }
    }
    majInspectView();
}

void ZEVIconViewer::buttonInspectCancel()
{
    fermerParLaBarre();
    ZEVSpaceWindow* w = space_.spaceWindow();
    QMenuBar* bar = w ? w->findChild<QMenuBar*>() : nullptr;
    if (!bar)
        return;
    for (QAction* top : bar->actions())
        if (top->menu() && top->property("tag").toLongLong() == kMenuInspecteurs)
            if (QAction* a = ZEVMenuItemWithTag(top->menu(), long(entityInt()))) {
                a->setProperty("state", 0);
                a->setChecked(false);
            }
}

void ZEVIconViewer::channelDidChangeWithIdentityInt(KELId identityInt)
{
    ZEVInspectViewer::channelDidChangeWithIdentityInt(identityInt);
    model_.channelDidChangeWithIdentityInt(identityInt);
}

void ZEVIconViewer::itemSelectionDidChange()
{
    model_.majIndexOfSelectedRows();
    majInspectField();
    majActionButtons();
    // A row chosen while the preview shows and the panel has the keys is what it previews.
    previewFollowsSelection();
}

void ZEVIconViewer::frontModeDidChange()
{
    if (ZEVInspectView* v = inspectViewIfBuilt())
        v->inspectTableView()->frontModeDidChange();
    model_.majIndexOfSelectedRows();
    model_.tvFrontModeDidChange();
    majActionButtons();
}

void ZEVIconViewer::actifCurseurDidChange()
{
    ZEVInspectViewer::actifCurseurDidChange();
    model_.actifCurseurDidChangeForCurseur(space_.actifCurseur());
    majActionButtons();
}

void ZEVIconViewer::showInspectView(bool show)
{
    if (show) {
        inspectView();
        // Changes that came while hidden were not refreshed: one refresh now.
        majInspectView();
    }
    ZEVInspectViewer::showInspectView(show);
}

void ZEVIconViewer::majInspectView()
{
    model_.reloadItems();
    model_.majIndexOfSelectedRows();
    majInspectField();
    // A command carried out on the desk changes what the buttons would take.
    majActionButtons();
}

void ZEVIconViewer::displayInspectView()
{
    ZEVInspectViewer::displayInspectView();
    if (!siShowInspectView())
        return;
    Scheduler& s = Scheduler::shared();
    s.cancel(this, "majActionButtons");
    s.perform(this, "majActionButtons", kActionButtonsDelay, [this] { majActionButtons(); });
}

// ---------------------------------------------------------------------------------------------
// Commands

void ZEVIconViewer::userDelete()
{
    const std::vector<KELI*> items = itemsPourLeMode();
    if (items.empty())
        return beep();
    model_.deleteIcons(items);
}

void ZEVIconViewer::userShowOriginal()
{
    const std::vector<KELI*> items = itemsPourLeMode();
    if (items.empty())
        return;
    if (ZEVItemViewer* iv = space_.itemViewerForCurseur(space_.actifCurseur()))
        iv->userShowOriginalForItem(items.front());
}

void ZEVIconViewer::userDeselect()
{
    ZEVFrontViewerServices* f = frontViewer();
    space_.selections().deselectAllInFrontMode(f ? f->frontMode() : -1);
}

void ZEVIconViewer::transfer(std::optional<std::vector<KELI*>> items, void (ZEVFrontClass::*to)(const std::vector<KELI*>&))
{
    ZEVFrontClass* front = ZEVFrontClass::shared();
    if (!front || !items || items->empty())
        return beep();
    (front->*to)(*items);
}

void ZEVIconViewer::userMoveTo() { transfer(model_.moveToItemsForFrontMode(), &ZEVFrontClass::moveToForItems); }
void ZEVIconViewer::userMoveToSpace()
{
    transfer(model_.moveToSpaceItemsForFrontMode(), &ZEVFrontClass::moveToSpaceForItems);
}
void ZEVIconViewer::userCopyTo() { transfer(model_.copyToItemsForFrontMode(), &ZEVFrontClass::copyToForItems); }
void ZEVIconViewer::userCopyToSpace()
{
    transfer(model_.copyToSpaceItemsForFrontMode(), &ZEVFrontClass::copyToSpaceForItems);
}
// Every selected Object goes: what cannot be duplicated is refused there with its own beep.
void ZEVIconViewer::userDuplicateTo() { transfer(model_.itemsForFrontMode(), &ZEVFrontClass::duplicateToForItems); }
void ZEVIconViewer::userDuplicateToSpace()
{
    transfer(model_.itemsForFrontMode(), &ZEVFrontClass::duplicateToSpaceForItems);
}

// The buttons give the desk's own commands, so they behave as on the desk; then they offer what
// the desk's selection now allows.
void ZEVIconViewer::commeSurLeBureau(void (ZEVFrontViewerServices::*commande)())
{
    if (ZEVFrontViewerServices* f = frontViewer())
        (f->*commande)();
    majActionButtons();
}

void ZEVIconViewer::buttonRecallNowItems() { commeSurLeBureau(&ZEVFrontViewerServices::menuEditRecallNow); }
void ZEVIconViewer::buttonRecallItems() { commeSurLeBureau(&ZEVFrontViewerServices::menuEditRecall); }
void ZEVIconViewer::buttonRetainItems() { commeSurLeBureau(&ZEVFrontViewerServices::menuEditRetain); }
void ZEVIconViewer::buttonReleaseItems() { commeSurLeBureau(&ZEVFrontViewerServices::menuEditRelease); }
void ZEVIconViewer::buttonForgetItems() { commeSurLeBureau(&ZEVFrontViewerServices::menuEditForget); }

void ZEVIconViewer::btnInspectAdd()
{
    if (ZEVFrontViewerServices* f = frontViewer())
        f->menuAddDocuments();
}

void ZEVIconViewer::menuInspectAdd()
{
    if (ZEVFrontViewerServices* f = frontViewer())
        f->buttonAddWithItem(model_.rightItem());
}

// ---------------------------------------------------------------------------------------------
// The finds

void ZEVIconViewer::trouver(const std::function<bool(KELI*)>& test, bool everyChannel)
{
    const KELId canal = model_.currentChannelInt();
    std::vector<KELI*> found;
    for (KELI* item : model_.actifListe().items())
        if ((everyChannel || item->channelInt() == canal) && test(item))
            found.push_back(item);
    // Whoever sends it, the keys held as it runs choose the operation: Ctrl adds, Ctrl-Alt
    // intersects, Ctrl-Shift removes, none replaces.
    model_.selectFoundItems(found, ZEVRowsClass::operationForModifiers(QGuiApplication::keyboardModifiers()), true);
}

void ZEVIconViewer::findZevHeld(bool withSender)
{
    trouver([](KELI* o) { return (std::uint64_t(itemOptions(o)) & ZEVOPTION_HOLD_BY_ZEV) != 0; }, withSender);
}

void ZEVIconViewer::menuFindZevFolderHeld()
{
    trouver([](KELI* o) { return (std::uint64_t(itemOptions(o)) & ZEVOPTION_HOLD_BY_ZEV_FOLDER) != 0; }, false);
}

void ZEVIconViewer::menuFindMacHeld()
{
    constexpr std::uint64_t kAilleurs = ZEVOPTION_HOLD_BY_ZEV | ZEVOPTION_HOLD_BY_EXTERN | ZEVOPTION_HOLD_BY_ZEV_FOLDER;
    trouver([](KELI* o) { return (std::uint64_t(itemOptions(o)) & kAilleurs) == 0; }, false);
}

void ZEVIconViewer::menuFindExtHeld()
{
    trouver([](KELI* o) { return (std::uint64_t(itemOptions(o)) & ZEVOPTION_HOLD_BY_EXTERN) != 0; }, false);
}

bool ZEVIconViewer::siKind(Kind kind, const std::string& type, const QString& path)
{
    // The extension is compared exactly: "EML" is not a mail.
    const bool eml = QFileInfo(path).suffix() == QLatin1String("eml");
    switch (kind) {
    case Kind::Files:
        return type == "file" && !eml;
    case Kind::Persons:
        return type == "ABPerson";
    case Kind::Emails:
        return type == "message" || (type == "file" && eml);
    case Kind::Bookmarks:
        return type == "http";
    }
    return false;
}

void ZEVIconViewer::trouverKind(Kind kind)
{
    trouver(
        [this, kind](KELI* o) {
            const std::string type = model_.itemTypeForItem(o).value_or("");
            QString path;
            // Only a file's name tells a mail from another file; the row's own Channel keeps it.
            if (type == "file")
                if (ZEVItemData* store = ZEVItemDataChannels::ItemDataForChannelInt(o->channelInt()))
                    path = store->fileUrlForItem(o);
            return siKind(kind, type, path);
        },
        false);
}

void ZEVIconViewer::menuFindFiles() { trouverKind(Kind::Files); }
void ZEVIconViewer::menuFindPersons() { trouverKind(Kind::Persons); }
void ZEVIconViewer::menuFindEmails() { trouverKind(Kind::Emails); }
void ZEVIconViewer::menuFindBookmarks() { trouverKind(Kind::Bookmarks); }

// ---------------------------------------------------------------------------------------------
// Going to the changes of the same Objects

bool ZEVIconViewer::allerAuChangement(bool versLePasse, bool siSame)
{
    KELICurseur* now = space_.nowCurseur();
    KELICurseur* search = space_.searchCurseur();
    ZEVRulerViewerServices* ruler = space_.rulerViewer();
    if (!now || !search || !ruler)
        return beepNon();
    std::unordered_set<KELId> ids;
    ZEVFrontViewerServices* front = frontViewer();
    if (front && !front->siTracksClosed())
        if (const auto items = space_.selections().selectedItemsForFrontMode())
            for (KELI* o : *items)
                ids.insert(o->idInt());
    model_.actifCurseurDidChangeForCurseur(space_.actifCurseur());
    KELDate d = 0.0;
    if (!ids.empty())
        d = versLePasse ? model_.previousDateForIndexSet(ids) : model_.nextDateForIndexSet(ids);
    else
        d = versLePasse ? model_.previousDateItemSiSame(siSame) : model_.nextDateItemSiSame(siSame);
    const bool siSearch = space_.actifCurseur() == search;
    const KELDate nowT = now->now();
    const KELDate searchT = search->now();
    if (d == 0.0) {
        const bool versNow = siSearch && (versLePasse ? searchT > nowT : nowT > searchT && !space_.browsedBackImageInt());
        if (!versNow)
            return beepNon();
        space_._showNowCursor();
        return true;
    }
    // The Search cursor never passes the Now one: a change beyond it is shown by Now.
    if ((siSearch && versLePasse && searchT > nowT && nowT > d) || (!versLePasse && d >= nowT)) {
        if (siSearch)
            space_._showNowCursor();
        return true;
    }
    if (!siSearch)
        ruler->userChangeActifCurseur(search);
    space_._showSearchCursorToDate(d, true);
    return false;
}

// ---------------------------------------------------------------------------------------------
// The menus

ZEVIconMenuCounts ZEVIconViewer::compterPourLesMenus(int mode, bool chemins)
{
    ZEVIconMenuCounts c;
    c.mode = mode;
    KELICurseur* actif = space_.actifCurseur();
    c.isSearch = actif && actif == space_.searchCurseur();
    ZEVSelections& s = space_.selections();
    c.titleEditing = s.isTitleEditing();
    if (ZEVDeskViewer* d = space_.deskViewerForCurseur(actif))
        c.deskHasItems = d->siItemExiste();
    if (mode < ZEVFrontModeIcons || mode > ZEVFrontModeLinks)
        return c;
    for (KELICurseur* k : {space_.nowCurseur(), space_.searchCurseur()})
        if (ZEVDeskViewer* d = space_.deskViewerForCurseur(k); d && d->siSelectionExiste(mode)) {
            c.deskHasSelection = true;
            break;
        }
    auto taille = [](const std::optional<std::vector<KELI*>>& l) { return l ? quint64(l->size()) : quint64(0); };
    const std::vector<KELI*> items = model_.itemsForFrontMode().value_or(std::vector<KELI*>());
    c.n = items.size();
    c.filters = s.selectedFilterItems().size();
    c.icons = s.selectedIconItems().size();
    c.nodes = s.selectedNodeItemSet().size();
    c.moveTo = taille(model_.moveToItemsForFrontMode());
    c.copyTo = taille(model_.copyToItemsForFrontMode());
    if (chemins) {
        c.moveToSpace = taille(model_.moveToSpaceItemsForFrontMode());
        c.copyToSpace = taille(model_.copyToSpaceItemsForFrontMode());
    } else {
        // Without asking where each file lies now (which resolves and rewrites its record): by its
        // options alone, as the menu bar is refreshed at every change of the selection.
        for (KELI* o : items) {
            c.moveToSpace += (itemOptions(o) & ZEVOPTION_MASK_MOVE_TO_SPACE_REFUSED) == 0 ? 1 : 0;
            c.copyToSpace += (itemOptions(o) & ZEVOPTION_MASK_COPY_TO_SPACE_REFUSED) == 0 ? 1 : 0;
        }
    }
    // Duplicate takes every selected Object and refuses, with a beep, what it cannot duplicate.
    c.duplicateTo = items.size();
    const std::vector<KELI*> choisis = mode == ZEVFrontModeIcons    ? s.selectedIconItems()
                                       : mode == ZEVFrontModeTitles ? s.selectedTitleItems()
                                       : mode == ZEVFrontModeFilters ? s.selectedFilterItems()
                                                                     : s.selectedNodeItemSet();
    c.showOriginal = enableShowOriginalForItems(choisis);
    c.duration = space_.durationString();

    if (mode == ZEVFrontModeLinks) {
        c.recallingNow = s.recallingNowSelectedLinkItems().size();
        c.recalling = s.recallingSelectedLinkItems().size();
        c.retaining = s.retainingSelectedLinkItems().size();
        c.releasing = s.releasingSelectedLinkItems().size();
        return c;
    }
    switch (mode) {
    case ZEVFrontModeIcons:
        c.recallingNow = s.recallingNowSelectedIconItems().size();
        c.recalling = s.recallingSelectedIconItems().size();
        c.retaining = s.retainingSelectedIconItems().size();
        c.releasing = s.releasingSelectedIconItems().size();
        break;
    case ZEVFrontModeTitles:
        c.recallingNow = s.recallingNowSelectedTitleItems().size();
        c.recalling = s.recallingSelectedTitleItems().size();
        c.retaining = s.retainingSelectedTitleItems().size();
        c.releasing = s.releasingSelectedTitleItems().size();
        break;
    default:
        c.recallingNow = s.recallingNowSelectedFilterItems().size();
        c.recalling = s.recallingSelectedFilterItems().size();
        c.retaining = s.retainingSelectedFilterItems().size();
        c.releasing = s.releasingSelectedFilterItems().size();
        break;
    }
    return c;
}

void ZEVIconViewer::updateMenuMacForMode(int frontMode)
{
    if (frontMode < ZEVFrontModeIcons || frontMode > ZEVFrontModeNone)
        return;
    // The front layer asks whether or not the panel was ever opened.
    capturerLesMenus();
    appliquerALaBarre(ZEVIconMacLines(compterPourLesMenus(frontMode, false)));
}

void ZEVIconViewer::updateMenuObject(QMenu* menu)
{
    if (!menu)
        return;
    ZEVFrontViewerServices* f = frontViewer();
    const ZEVIconMenuCounts c = compterPourLesMenus(f ? f->frontMode() : ZEVFrontModeIcons);
    ZEVApplyMenuLines(menu, ZEVIconObjectLines(c));
    // Finding the Objects in the Channels needs some.
    for (long tag : {36L, 37L})
        if (QAction* a = ZEVMenuItemWithTag(menu, tag))
            a->setEnabled(c.n > 0);
}

void ZEVIconViewer::updateMenuEdit(QMenu* menu)
{
    if (!menu)
        return;
    ZEVFrontViewerServices* f = frontViewer();
    ZEVApplyMenuLines(menu, ZEVIconEditLines(compterPourLesMenus(f ? f->frontMode() : ZEVFrontModeIcons, false)));
}

void ZEVIconViewer::majActionButtons()
{
    ZEVFrontViewerServices* f = frontViewer();
    const int mode = f ? f->frontMode() : ZEVFrontModeNone;
    if (siFirstResponder())
        updateMenuMacForMode(mode);
    ZEVInspectView* v = inspectViewIfBuilt();
    if (!v || !v->btnRecall())
        return;
    const ZEVIconButtonStates b = ZEVIconButtons(compterPourLesMenus(mode, false));
    v->btnRecall()->setEnabled(b.recall);
    v->btnRetain()->setEnabled(b.retain);
    v->btnRelease()->setEnabled(b.release);
    v->btnForget()->setEnabled(b.forget);
    for (ZEVButton* btn : {v->btnRecall(), v->btnRetain(), v->btnRelease(), v->btnForget()})
        btn->setState(kZEVStateOff);
}

void ZEVIconViewer::menuWillOpen(QMenu* menu)
{
    if (!menu)
        return;
    // The Go To menu here only switches the kinds of change: the arrows keep their state.
    if (menu != gotoMenu())
        ZEVInspectViewer::menuWillOpen(menu);
    if (menu == entityMenu()) {
        // The images of the active cursor's column, the other column's items greyed.
        if (ZEVFrontViewerServices* f = frontViewer())
            f->majImageForEditionMenu1(menu);
    } else if (menu == findMenu()) {
        const std::pair<long, const char*> icones[] = {
            {kFindFiles, ""}, {kFindPersons, "vcf"}, {kFindEmails, "eml"}, {kFindBookmarks, "webloc"}};
        for (const auto& [tag, type] : icones)
            if (QAction* a = ZEVMenuItemWithTag(menu, tag))
                a->setIcon(findIconForFileType(QString::fromLatin1(type)));
    } else if (menu == gotoMenu()) {
        for (int k = 0; k < ZEVIconClass::KindCount; ++k)
            if (QAction* a = ZEVMenuItemWithTag(menu, k + 1))
                a->setChecked(model_.siChanges(ZEVIconClass::Kind(k)));
    }
}

void ZEVIconViewer::menuDidClose(QMenu* menu)
{
    if (menu && menu == gotoMenu()) {
        if (ZEVInspectView* v = inspectViewIfBuilt())
            v->inspectTableView()->disableRightSelectedRow();
        return;
    }
    ZEVInspectViewer::menuDidClose(menu);
}

} // namespace tallomer
