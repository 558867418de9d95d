// The panel at work, for the kinds that give their nouns: the count field, the refresh gate, the
// action and front-mode buttons, the Edit and Object menus and the menu bar's items, and the
// Entity, Find and Go-to button menus.

#include "inspectors/base/ZEVInspectViewer.h"

#include "look/KELSharedResources.h"
#include "desk/model/ZEVItemOptions.h"
#include "desk/viewer/ZEVDeskViewer.h"
#include "engine/KELICurseur.h"
#include "engine/KELLien.h"
#include "engine/KELServeurDeLiens.h"
#include "inspectors/base/ZEVInspectClass.h"
#include "inspectors/base/ZEVInspectView.h"
#include "inspectors/core/ZEVPresenceCommands.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "services/ZEVInspectorServices.h"
#include "inspectors/table/ZEVTableProtocols.h"
#include "inspectors/table/ZEVTableView.h"
#include "platform/desktop/Desktop.h"
#include "platform/sound/Sound.h"
#include "services/ZEVFrontViewerServices.h"
#include "space/ZEVSelections.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceWindow.h"
#include "widgets/ZEVButton.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QDir>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QUrl>

#include <optional>
#include <unordered_set>

namespace tallomer {

namespace {

// Missing, downloading, held by the program, duplicating, copying, moving, in the cloud.
constexpr ZEVItemOption kShowOriginalRefused = 0xF02C;

QMenu* menuDeLaBarre(ZEVSpaceController& space, long tag)
{
    ZEVSpaceWindow* w = space.spaceWindow();
    QMenuBar* bar = w ? w->findChild<QMenuBar*>() : nullptr;
    if (!bar)
        return nullptr;
    for (QAction* a : bar->actions())
        if (a->menu() && a->property("tag").toLongLong() == tag)
            return a->menu();
    return nullptr;
}

QAction* entree(QMenu* menu, long tag, const QString& title)
{
    QAction* a = menu->addAction(title);
    a->setProperty("tag", qlonglong(tag));
    return a;
}

} // namespace

std::vector<KELI*> ZEVInspectViewer::itemsPourLeMode()
{
    ZEVInspectClass* model = inspectClass();
    if (!model)
        return {};
    return model->itemsForFrontMode().value_or(std::vector<KELI*>());
}

void ZEVInspectViewer::montrerLesBoutonsDuMode()
{
    ZEVInspectView* v = inspectViewIfBuilt();
    ZEVFrontViewerServices* f = frontViewer();
    const int mode = f ? f->frontMode() : -1;
    if (v && v->btnFrontMode(0) && mode >= 0 && mode < 4)
        for (int m = 0; m < 4; ++m)
            v->btnFrontMode(m)->setState(m == mode ? kZEVStateOn : kZEVStateOff);
}

void ZEVInspectViewer::montrerLeFrontMode()
{
    montrerLesBoutonsDuMode();
    majActionButtons();
    if (ZEVInspectView* v = inspectViewIfBuilt())
        v->inspectTableView()->frontModeDidChange();
}

void ZEVInspectViewer::ouvrirLesItemsDuMode()
{
    ZEVItemViewer* iv = space_.itemViewerForCurseur(space_.actifCurseur());
    const std::vector<KELI*> items = itemsPourLeMode();
    if (!iv || items.empty())
        return beep();
    for (KELI* o : items)
        iv->userOpenItem(o, false);
}

void ZEVInspectViewer::appliquerPresence(ZEVPresenceCommands& presence, Commande commande,
                                         const std::vector<KELI*>& items)
{
    // The selected Objects' presences change together: a full disk that cuts the command short
    // keeps none of it, rather than some Objects released and others not. A Recall that makes an
    // Object and its record for another Channel's is one act of its own.
    std::optional<KELServeurDeLiens::Acte> acte;
    if (commande != Commande::Recall || presence.siDuCanal(items)) {
        const bool cree = commande != Commande::Release && commande != Commande::Forget;
        acte.emplace(cree ? items.size() : 0);
        if (!acte->complet())
            return;
    }
    switch (commande) {
    case Commande::Recall:
        presence.recall(items);
        break;
    case Commande::Retain:
        presence.retain(items);
        break;
    case Commande::Release:
        presence.release(items);
        break;
    case Commande::Forget:
        presence.forget(items);
        break;
    case Commande::RecallNow:
        presence.recallNow(items);
        break;
    }
}

ZEVInspectCounts ZEVInspectViewer::compter(int mode)
{
    ZEVInspectCounts c;
    c.mode = mode;
    KELICurseur* actif = space_.actifCurseur();
    c.isSearch = actif && actif == space_.searchCurseur();
    if (mode < 0 || mode > 3)
        return c;
    const std::vector<KELI*> s = itemsPourLeMode();
    for (KELI* o : s) {
        if (siItemActif(o))
            ++c.nActive;
        else
            ++c.nInactive;
        if (c.isSearch && !siItemActifNow(o))
            ++c.nNotNow;
    }
    c.nTotal = s.size();
    if (mode == 3) {
        // Open counts the Objects at either end of the selected links.
        std::unordered_set<KELI*> bouts;
        for (ZEVLinkPair* l : space_.selections().selectedLinks())
            if (l) {
                if (l->parentItem())
                    bouts.insert(l->parentItem());
                if (l->enfantItem())
                    bouts.insert(l->enfantItem());
            }
        c.nTotal = bouts.size();
    }
    c.filters = space_.selections().selectedFilterItems().size();
    if (ZEVInspectClass* model = inspectClass()) {
        auto taille = [](const std::optional<std::vector<KELI*>>& l) { return l ? quint64(l->size()) : quint64(0); };
        if (mode == 2)
            c.iconMode = taille(model->itemsForIconMode());
        c.moveTo = taille(model->moveToItemsForFrontMode());
        c.moveToSpace = taille(model->moveToSpaceItemsForFrontMode());
        c.copyTo = taille(model->copyToItemsForFrontMode());
        c.copyToSpace = taille(model->copyToSpaceItemsForFrontMode());
        c.duplicateTo = taille(model->duplicateToItemsForFrontMode());
    }
    c.showOriginal = enableShowOriginalForItems(s);
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

bool ZEVInspectViewer::enableShowOriginalForItems(const std::vector<KELI*>& items)
{
    if (items.size() != 1 || !items.front())
        return false;
    if (itemOptions(items.front()) & kShowOriginalRefused)
        return false;
    const std::optional<std::string> type = typeForItem(items.front());
    return type && *type == "file";
}

// ---------------------------------------------------------------------------------------------
// The count field and the refresh gate

void ZEVInspectViewer::majInspectField()
{
    const auto n = noms();
    ZEVInspectView* v = inspectView_;
    if (!n || !v)
        return;
    const quint64 total = nombreDeRows();
    const quint64 k = nbOfSelectedRows_;
    const QString prefixe = k > 0 ? QStringLiteral("%1/").arg(qint32(k)) : QString();
    v->setCountText(QStringLiteral("%1%2 %3").arg(prefixe).arg(qint32(total)).arg(total < 2 ? n->one : n->many));
}

void ZEVInspectViewer::moteurChangeRows(double delay)
{
    // A hidden panel is refreshed when it is shown; a burst is absorbed by the one refresh.
    if (!siShowInspectView_ || !siAccepteDisplay_)
        return;
    siAccepteDisplay_ = false;
    Scheduler::shared().perform(this, "majInspectView", delay, [this] {
        majInspectView();
        siAccepteDisplay_ = true;
    });
}

void ZEVInspectViewer::terminerDeplacementCurseur()
{
    if (!noms())
        return;
    Scheduler::shared().cancel(this, "majActionButtons");
    Scheduler::shared().perform(this, "majActionButtons", kActionButtonsDelay, [this] { majActionButtons(); });
}

// ---------------------------------------------------------------------------------------------
// The buttons

void ZEVInspectViewer::majActionButtons()
{
    if (!noms())
        return;
    ZEVFrontViewerServices* f = frontViewer();
    const int mode = f ? f->frontMode() : -1;
    if (siFirstResponder())
        updateMenuMacForMode(mode);
    const ZEVInspectCounts c = compter(mode);
    majActionButtonsWithFlags(c.nActive > 0, c.nInactive > 0);
}

void ZEVInspectViewer::majActionButtonsWithFlags(bool release, bool recall)
{
    ZEVInspectView* v = inspectView_;
    if (!v || !v->btnRecall())
        return;
    v->btnRelease()->setEnabled(release);
    v->btnForget()->setEnabled(release);
    v->btnRecall()->setEnabled(recall);
    v->btnRetain()->setEnabled(recall);
    // Deselect also drops the found Objects.
    v->btnDeselect()->setEnabled(release || recall || siTrouves());
    for (ZEVButton* b : {v->btnRecall(), v->btnRetain(), v->btnRelease(), v->btnForget(), v->btnDeselect()})
        b->setState(kZEVStateOff);
}

void ZEVInspectViewer::buttonFrontMode(int mode)
{
    ZEVInspectView* v = inspectView_;
    ZEVFrontViewerServices* f = frontViewer();
    if (!v || !v->btnFrontMode(mode) || !f)
        return;
    for (int m = 0; m < 4; ++m)
        v->btnFrontMode(m)->setState(m == mode ? kZEVStateOn : kZEVStateOff);
    switch (mode) {
    case 0:
        f->menuModeIcon();
        break;
    case 1:
        f->menuModeTitle();
        break;
    case 2:
        f->menuModeFilter();
        break;
    case 3:
        f->menuModeLink();
        break;
    default:
        break;
    }
}

void ZEVInspectViewer::replacer(KELICurseur* curseur)
{
    if (!curseur)
        return;
    KELIContexte* c = curseur->contexte();
    if (c)
        c->placeToiOut();
    curseur->placeToi();
    if (c)
        c->placeToiIn();
}

namespace {
void rechargerLaTable(ZEVInspectView* v)
{
    if (v)
        v->inspectTableView()->reloadData();
}
} // namespace

void ZEVInspectViewer::buttonRecallItems()
{
    if (!noms())
        return beep();
    appliquer(Commande::Recall, itemsPourLeMode());
    replacer(space_.actifCurseur());
    rechargerLaTable(inspectView_);
    majActionButtons();
}

void ZEVInspectViewer::buttonRetainItems()
{
    if (!noms())
        return beep();
    appliquer(Commande::Retain, itemsPourLeMode());
    replacer(space_.actifCurseur());
    rechargerLaTable(inspectView_);
    majActionButtons();
}

void ZEVInspectViewer::buttonReleaseItems()
{
    if (!noms())
        return beep();
    appliquer(Commande::Release, itemsPourLeMode());
    replacer(space_.actifCurseur());
    rechargerLaTable(inspectView_);
    majActionButtons();
}

void ZEVInspectViewer::buttonForgetItems()
{
    if (!noms())
        return beep();
    appliquer(Commande::Forget, itemsPourLeMode());
    replacer(space_.actifCurseur());
    rechargerLaTable(inspectView_);
    majActionButtons();
}

void ZEVInspectViewer::buttonRecallNowItems()
{
    if (!noms())
        return beep();
    appliquer(Commande::RecallNow, itemsPourLeMode());
    // Recall Now works at the Now cursor, whichever is active.
    replacer(space_.nowCurseur());
    rechargerLaTable(inspectView_);
}

// The Edit commands press the panel's buttons: a disabled one does nothing.
namespace {
void presser(ZEVButton* b)
{
    if (b && b->isEnabled())
        b->click();
}
} // namespace

void ZEVInspectViewer::userRecallNow()
{
    if (!noms())
        return beep();
    buttonRecallNowItems();
}

void ZEVInspectViewer::userRecall()
{
    if (!noms() || !inspectView_)
        return beep();
    presser(inspectView_->btnRecall());
}

void ZEVInspectViewer::userRetain()
{
    if (!noms() || !inspectView_)
        return beep();
    presser(inspectView_->btnRetain());
}

void ZEVInspectViewer::userRelease()
{
    if (!noms() || !inspectView_)
        return beep();
    presser(inspectView_->btnRelease());
}

void ZEVInspectViewer::userForget()
{
    if (!noms() || !inspectView_)
        return beep();
    presser(inspectView_->btnForget());
}

void ZEVInspectViewer::userDeselect()
{
    if (!noms() || !inspectView_)
        return beep();
    presser(inspectView_->btnDeselect());
}

// ---------------------------------------------------------------------------------------------
// The menus

void ZEVInspectViewer::updateMenuEdit(QMenu* menu)
{
    const auto n = noms();
    ZEVFrontViewerServices* f = frontViewer();
    if (!n || !menu || !f)
        return;
    ZEVApplyMenuLines(menu, ZEVInspectEditLines(compter(f->frontMode()), *n));
}

void ZEVInspectViewer::updateMenuObject(QMenu* menu)
{
    const auto n = noms();
    ZEVFrontViewerServices* f = frontViewer();
    if (!n || !menu || !f)
        return;
    ZEVApplyMenuLines(menu, ZEVInspectObjectLines(compter(f->frontMode()), *n));
}

QMenu* ZEVInspectViewer::mainMenu(long tag) const { return menuDeLaBarre(space_, tag); }

void ZEVInspectViewer::updateMenuMacForMode(int frontMode)
{
    const auto n = noms();
    if (!n)
        return;
    appliquerALaBarre(ZEVInspectMacLines(compter(frontMode), *n));
}

void ZEVInspectViewer::appliquerALaBarre(const std::vector<ZEVMenuLine>& lignes)
{
    QMenu* object = menuDeLaBarre(space_, 4);
    ZEVApplyMenuLines(menuDeLaBarre(space_, 3), lignes, ZEVMenuPlace::Edit);
    ZEVApplyMenuLines(object, lignes, ZEVMenuPlace::Object);
    QAction* handle = ZEVMenuItemWithTag(object, 4333);
    ZEVApplyMenuLines(handle ? handle->menu() : nullptr, lignes, ZEVMenuPlace::Handle);
    ZEVApplyMenuLines(menuDeLaBarre(space_, 9), lignes, ZEVMenuPlace::Spaces);
}

void ZEVInspectViewer::decocherDansLeMenu()
{
    QMenu* inspecteurs = menuDeLaBarre(space_, 6);
    if (QAction* a = inspecteurs ? ZEVMenuItemWithTag(inspecteurs, long(entityInt())) : nullptr) {
        a->setProperty("state", 0);
        a->setChecked(false);
    }
}

void ZEVInspectViewer::construireLesMenus()
{
    ZEVInspectView* v = inspectView_;
    const auto n = noms();
    if (!v || !n || menuEntity_)
        return;
    v->ajouterBoutonsDAction();
    for (int m = 0; m < 4; ++m)
        QObject::connect(v->btnFrontMode(m), &QAbstractButton::clicked, this, [this, m] { buttonFrontMode(m); });
    QObject::connect(v->btnRecall(), &QAbstractButton::clicked, this, [this] { buttonRecallItems(); });
    QObject::connect(v->btnRetain(), &QAbstractButton::clicked, this, [this] { buttonRetainItems(); });
    QObject::connect(v->btnRelease(), &QAbstractButton::clicked, this, [this] { buttonReleaseItems(); });
    QObject::connect(v->btnForget(), &QAbstractButton::clicked, this, [this] { buttonForgetItems(); });
    QObject::connect(v->btnDeselect(), &QAbstractButton::clicked, this, [this] { buttonDeselectItems(); });

    auto lier = [this](QAction* a, auto commande) { QObject::connect(a, &QAction::triggered, this, commande); };
    menuEntity_ = new QMenu(v);
    menuEntity_->setObjectName(QStringLiteral("EntityMenu"));
    QAction* gestionnaire = entree(menuEntity_, 11111, QStringLiteral("Open the File Manager"));
    gestionnaire->setIcon(QIcon::fromTheme(QStringLiteral("system-file-manager")));
    lier(gestionnaire, [this] { menuEntity(); });
    menuEntity_->addSeparator();
    lier(entree(menuEntity_, 6, QStringLiteral("Recall Now")), [this] { userRecallNow(); });
    lier(entree(menuEntity_, 4, QStringLiteral("Recall")), [this] { userRecall(); });
    lier(entree(menuEntity_, 5, QStringLiteral("Retain")), [this] { userRetain(); });
    lier(entree(menuEntity_, 2, QStringLiteral("Release")), [this] { userRelease(); });
    lier(entree(menuEntity_, 3, QStringLiteral("Forget")), [this] { userForget(); });
    menuEntity_->addSeparator();
    lier(entree(menuEntity_, 1, QStringLiteral("Open")), [this] { userOpen(); });
    lier(entree(menuEntity_, 31, QStringLiteral("Add\u2026")), [this] { menuInspectAdd(); });
    lier(entree(menuEntity_, 32, QStringLiteral("Find")), [this] { menuInspectFind(); });
    lier(entree(menuEntity_, 7, QStringLiteral("Filter")), [this] { userFilter(); });
    lier(entree(menuEntity_, 13, QStringLiteral("Remove")), [this] { userDelete(); });
    QMenu* handle = menuEntity_->addMenu(QStringLiteral("Handle"));
    handle->menuAction()->setProperty("tag", qlonglong(4333));
    lier(entree(handle, 21, QStringLiteral("Move to\u2026")), [this] { menuMoveTo(); });
    lier(entree(handle, 20, QStringLiteral("Move")), [this] { menuMoveToSpace(); });
    lier(entree(handle, 23, QStringLiteral("Copy to\u2026")), [this] { menuCopyTo(); });
    lier(entree(handle, 22, QStringLiteral("Copy")), [this] { menuCopyToSpace(); });
    lier(entree(handle, 25, QStringLiteral("Duplicate to\u2026")), [this] { menuDuplicateTo(); });
    lier(entree(handle, 24, QStringLiteral("Duplicate")), [this] { menuDuplicateToSpace(); });
    handle->addSeparator();
    lier(entree(handle, 60, QStringLiteral("Show Original")), [this] { menuShowOriginal(); });

    menuFind_ = new QMenu(v);
    menuFind_->setObjectName(QStringLiteral("FindMenu"));
    lier(entree(menuFind_, 22000, QStringLiteral("Type to Select")), [this] { menuInspectFind(); });
    menuFind_->addSeparator();
    lier(entree(menuFind_, 22001, QStringLiteral("Files in the Program's Folders")), [this] { menuFindZevHeld(); });
    lier(entree(menuFind_, 22002, QStringLiteral("Files Held by the System")), [this] { menuFindMacHeld(); });
    lier(entree(menuFind_, 22003, QStringLiteral("Files on External Volumes")), [this] { menuFindExtHeld(); });

    menuGoto_ = new QMenu(v);
    menuGoto_->setObjectName(QStringLiteral("GotoMenu"));
    lier(entree(menuGoto_, 1, QStringLiteral("Previous Change")), [this] { userGotoPrevious(); });
    lier(entree(menuGoto_, 2, QStringLiteral("Next Change")), [this] { userGotoNext(); });
    for (ZEVButton* b : {v->btnGotoPrevious(), v->btnGotoNext()}) {
        b->setContextMenuPolicy(Qt::CustomContextMenu);
        QObject::connect(b, &QWidget::customContextMenuRequested, this,
                         [this, b](const QPoint& p) { menuGoto_->popup(b->mapToGlobal(p)); });
    }
    for (QMenu* m : {menuEntity_, menuFind_, menuGoto_, v->inspectTableView()->rowMenu()}) {
        if (!m)
            continue;
        QObject::connect(m, &QMenu::aboutToShow, this, [this, m] { menuWillOpen(m); });
        QObject::connect(m, &QMenu::aboutToHide, this, [this, m] { menuDidClose(m); });
    }
    // On while their menu is open: the menu sets them, not the click.
    for (ZEVButton* b : {v->btnEntity(), v->btnFind()}) {
        b->setCheckable(true);
        b->setSiClickKeepsState(true);
    }
    v->btnEntity()->setCliqueTarget(this, [this](ZEVButton* b) { performClique(b); });
    v->btnFind()->setCliqueTarget(this, [this](ZEVButton* b) { performClique(b); });
    // A drag resting on Close (a button takes drags) is a drag over the panel, not a move of the
    // desk's pointer.
    v->btnClose()->setSiDisableMouseMoved(true);
}

void ZEVInspectViewer::menuWillOpen(QMenu* menu)
{
    ZEVInspectView* v = inspectView_;
    if (!v || !menu)
        return;
    if (menu == menuEntity_) {
        v->btnEntity()->setState(kZEVStateOn);
        updateMenuObject(menu);
        updateMenuEdit(menu);
        if (ZEVFrontViewerServices* f = frontViewer())
            f->majImageForEditionMenu2(menu);
    } else if (menu == menuFind_) {
        v->btnFind()->setState(kZEVStateOn);
        const KELSharedResources& r = space_.host().sharedResources();
        if (QAction* a = ZEVMenuItemWithTag(menu, 22001))
            a->setIcon(QIcon(r.holdByZevImage()));
        if (QAction* a = ZEVMenuItemWithTag(menu, 22002))
            a->setIcon(QIcon(r.holdByMacImage()));
        if (QAction* a = ZEVMenuItemWithTag(menu, 22003))
            a->setIcon(QIcon(r.holdByExternImage()));
    } else if (menu == menuGoto_) {
        v->btnGotoPrevious()->setState(kZEVStateMixed);
        v->btnGotoNext()->setState(kZEVStateMixed);
    } else if (const auto n = noms(); n && !n->duplicates) {
        // The panel's and the rows' menus: Duplicate would do nothing for this kind.
        for (QAction* a : menu->actions()) {
            const long tag = long(a->property("tag").toLongLong());
            const QVariant action = a->data();
            const bool duplique = tag == 24 || tag == 25 ||
                                  (action.isValid() && (action.toInt() == int(ZEVTableMenuAction::DuplicateTo) ||
                                                        action.toInt() == int(ZEVTableMenuAction::DuplicateToSpace)));
            if (duplique)
                a->setEnabled(false);
        }
    }
}

void ZEVInspectViewer::menuDidClose(QMenu* menu)
{
    ZEVInspectView* v = inspectView_;
    if (!v || !menu)
        return;
    if (menu == menuEntity_) {
        v->btnEntity()->setState(kZEVStateOff);
    } else if (menu == menuFind_) {
        v->btnFind()->setState(kZEVStateOff);
    } else if (menu == menuGoto_) {
        v->btnGotoPrevious()->setState(kZEVStateOff);
        v->btnGotoNext()->setState(kZEVStateOff);
    } else if (menu != v->inspectViewMenu()) {
        v->inspectTableView()->disableRightSelectedRow();
    }
}

namespace {
// The menu pops up under the button, as a context menu.
void sousLeBouton(QMenu* menu, ZEVButton* b)
{
    if (menu && b)
        menu->popup(b->mapToGlobal(QPoint(0, b->height())));
}
} // namespace

void ZEVInspectViewer::btnEntity()
{
    ZEVInspectView* v = inspectView_;
    if (!v || !menuEntity_)
        return beep();
    if (!v->btnEntity()->siClickLong())
        sousLeBouton(menuEntity_, v->btnEntity());
}

void ZEVInspectViewer::btnInspectFind()
{
    ZEVInspectView* v = inspectView_;
    if (!v || !menuFind_)
        return beep();
    v->inspectTableView()->hideSearchField();
    if (!v->btnFind()->siClickLong())
        sousLeBouton(menuFind_, v->btnFind());
}

void ZEVInspectViewer::performClique(ZEVButton* sender)
{
    ZEVInspectView* v = inspectView_;
    if (!v || !sender)
        return;
    if (sender == v->btnEntity())
        menuEntity();
    else if (sender == v->btnFind())
        menuInspectFind();
}

void ZEVInspectViewer::menuEntity()
{
    Desktop* d = Desktop::shared();
    if (!d) {
        beep();
        return;
    }
    // Opening the home folder opens the desktop's file manager on it. The desktop's answer may come after this panel went: the beep is the program's.
    d->openUrl(QUrl::fromLocalFile(QDir::homePath()), [](const QString&) { Sound::shared().beep(); });
}

void ZEVInspectViewer::scrollToFirstSelectedRow()
{
    ZEVInspectView* v = inspectViewIfBuilt();
    ZEVTableView* table = v ? v->inspectTableView() : nullptr;
    if (!table || !table->selectionModel())
        return;
    const QModelIndexList rows = table->selectionModel()->selectedRows();
    if (!rows.isEmpty())
        table->scrollTo(rows.first());
}

} // namespace tallomer
