#include "front/ZEVFrontViewer.h"

#include "desk/view/ZEVDeskView.h"
#include "desk/viewer/ZEVDeskViewer.h"
#include "objects/view/ZEVItemView.h"
#include "front/ZEVFrontSelectionView.h"
#include "front/ZEVFrontLinkLineMenu.h"
#include "front/ZEVFrontMainMenu.h"
#include "front/ZEVFrontPanels.h"
#include "front/ZEVFrontQuickLook.h"
#include "front/ZEVFrontStepBack.h"
#include "front/ZEVFrontTransitions.h"
#include "front/ZEVFrontToolButtons.h"
#include "inspectors/base/ZEVInspectView.h"
#include "inspectors/base/ZEVInspectViewer.h"
#include "front/ZEVFrontView.h"
#include "front/ZEVTracksHandle.h"
#include "inspectors/ZEVFrontClass.h"
#include "inspectors/table/ZEVTableView.h"
#include "inspectors/table/ZEVTypeSelect.h"
#include "services/ZEVInspectorServices.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "platform/Keys.h"
#include "platform/sound/Sound.h"
#include "runtime/Clock.h"
#include "runtime/Scheduler.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSelections.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceWindow.h"
#include "widgets/ZEVButton.h"

#include <QAction>
#include <QEvent>
#include <QCursor>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>

#include <algorithm>
#include <set>

namespace tallomer {

namespace {

// The time of the last Shift press, for the whole program (0: none counts).
double gPreviousShiftPress = 0;

enum Family { Icons = 0, Titles = 1, Filters = 2, Links = 3 };

std::vector<KELI*> trie(std::vector<KELI*> v)
{
    std::sort(v.begin(), v.end());
    v.erase(std::unique(v.begin(), v.end()), v.end());
    return v;
}

} // namespace

ZEVFrontViewer::ZEVFrontViewer(ZEVSpaceController& space, std::unique_ptr<ZEVFrontHeaderViews> headers)
    : space_(space), headers_(std::move(headers))
{
    // The jobs first: whatever the set-up below calls finds them.
    transitions_ = std::make_unique<ZEVFrontTransitions>(*this, space_);
    linkLineMenu_ = std::make_unique<ZEVFrontLinkLineMenu>(*this, space_);
    tracksHandle_ = std::make_unique<ZEVTracksHandle>(*this, space_);
    quickLook_ = std::make_unique<ZEVFrontQuickLook>(*this, space_);
    mainMenu_ = std::make_unique<ZEVFrontMainMenu>(*this, space_);
    actifCurseur_ = space_.actifCurseur();
    currentChannelInt_ = space_.currentChannelInt();
    frontView_ = std::make_unique<ZEVFrontView>(*this, space_);
    buildModeButtons();
    buildToolMenus();
    setModeButtons(currentFrontMode_);
    if (ZEVSpaceWindow* w = space_.spaceWindow())
        selectionView_ = new ZEVFrontSelectionView(w->spaceView(), space_, *this);
    frontClass_ = std::make_unique<ZEVFrontClass>(space_, *this);
    // The Object views hand it their drops onto folder Objects.
    ZEVItemViewer::ReferencerFileJobs(frontClass_.get());
    wakeSelectionLists();
    animation_ = std::make_unique<ZEVHeaderAnimation>([this](const ZEVHeaderFrames& f) { applyFrames(f); });
    layout_ = std::make_unique<ZEVHeaderLayout>(static_cast<ZEVHeaderLayoutHost&>(*this));
    buildHeaderStack();
    observeHeaderKeys();
    // Last, so that its application filter sees input before those installed above.
    stepBack_ = std::make_unique<ZEVFrontStepBack>(*this, space_);
}

ZEVFrontViewer::~ZEVFrontViewer()
{
    if (defaults_)
        for (DefaultsToken t : tokens_)
            defaults_->unobserve(t);
    for (auto& b : modeButtons_)
        delete b.data();
    delete selectionView_.data();
    // The lists go before the class they ask; jobs under way end with it.
    delete itemList_.data();
    delete linkList_.data();
    if (ZEVItemViewer::FileJobs() == frontClass_.get())
        ZEVItemViewer::ReferencerFileJobs(nullptr);
}

// ---- the step back ----

void ZEVFrontViewer::userStepBack() { stepBack_->userStepBack(); }
void ZEVFrontViewer::stepBackKey() { stepBack_->stepBackKey(); }
bool ZEVFrontViewer::siCloseViewer() { return stepBack_->siCloseViewer(); }
bool ZEVFrontViewer::cmdTab() { return stepBack_->cmdTab(); }
// The set-up may ask before the step back exists: no event, no hidden pointer.
void ZEVFrontViewer::hidePointer()
{
    if (stepBack_)
        stepBack_->hidePointer();
}
const ZEVCurrentEvent& ZEVFrontViewer::currentEvent() const
{
    static const ZEVCurrentEvent none;
    return stepBack_ ? stepBack_->currentEvent() : none;
}
bool ZEVFrontViewer::siPointerHidden() const { return stepBack_ && stepBack_->siPointerHidden(); }
ZEVTableView* ZEVFrontViewer::firstResponderWasOnTableView() const
{
    return stepBack_->firstResponderWasOnTableView();
}

// ---- Space transitions ----

void ZEVFrontViewer::userSpaceStartHome() { transitions_->userSpaceStartHome(); }
void ZEVFrontViewer::userSpaceStart() { transitions_->userSpaceStart(); }
void ZEVFrontViewer::userSpaceCleanAll() { transitions_->userSpaceCleanAll(); }
void ZEVFrontViewer::userSpaceCleanAndRecall() { transitions_->userSpaceCleanAndRecall(); }
void ZEVFrontViewer::userSpaceCleanAndRecallBack() { transitions_->userSpaceCleanAndRecallBack(); }
void ZEVFrontViewer::userSpaceCleanAndReplace() { transitions_->userSpaceCleanAndReplace(); }
void ZEVFrontViewer::newSpaceWithItem(KELI* imageItem, KELI* colorItem, KELI* scaleMot)
{
    transitions_->newSpaceWithItem(imageItem, colorItem, scaleMot);
}
void ZEVFrontViewer::cleanAll(const ZEVSpaceTransition& transition) { transitions_->cleanAll(transition); }
bool ZEVFrontViewer::siTransitionRunning() const { return transitions_->siRunning(); }
void ZEVFrontViewer::stopSpaceEventMonitor() { transitions_->stopSpaceEventMonitor(); }

// ---- the link-line menu ----

QMenu* ZEVFrontViewer::connexionMenuForConnexion(ZEVItemConnexion* connexion)
{
    return linkLineMenu_->menuForConnexion(connexion);
}
QMenu* ZEVFrontViewer::connexionMenu() const { return linkLineMenu_->menu(); }
ZEVItemConnexion* ZEVFrontViewer::selectedConnexion() const { return linkLineMenu_->selectedConnexion(); }
void ZEVFrontViewer::menuReleaseConnexion() { linkLineMenu_->release(); }
void ZEVFrontViewer::menuRecallConnexion() { linkLineMenu_->recall(); }
void ZEVFrontViewer::menuRecallNowConnexion() { linkLineMenu_->recallNow(); }
void ZEVFrontViewer::menuRetainConnexion() { linkLineMenu_->retain(); }
void ZEVFrontViewer::menuForgetConnexion() { linkLineMenu_->forget(); }
void ZEVFrontViewer::menuSelectIconConnexion() { linkLineMenu_->selectIcon(); }
void ZEVFrontViewer::menuSelectTitleConnexion() { linkLineMenu_->selectTitle(); }
void ZEVFrontViewer::menuSelectLinkConnexion() { linkLineMenu_->selectLink(); }
void ZEVFrontViewer::menuSelectFilterConnexion() { linkLineMenu_->selectFilter(); }

// ---- Quick Look ----

void ZEVFrontViewer::userToggleQL() { quickLook_->toggle(false); }
void ZEVFrontViewer::buttonActionToggleQL(bool fromButton) { quickLook_->toggle(fromButton); }
void ZEVFrontViewer::userOpenQL() { quickLook_->openMenuTarget(); }
bool ZEVFrontViewer::siPointerOverSelectionList() const { return quickLook_->siPointerOverSelectionList(); }
KELI* ZEVFrontViewer::rowItemUnderPointer() const { return quickLook_->rowItemUnderPointer(); }
void ZEVFrontViewer::previewFollowsSelection() { quickLook_->previewFollowsSelection(); }
bool ZEVFrontViewer::siShowQLPanel() const { return quickLook_->siShown(); }

void ZEVFrontViewer::wakeSelectionLists()
{
    ZEVSpaceWindow* w = space_.spaceWindow();
    if (!w)
        return;
    auto liste = [&](bool objets) {
        auto* t = new ZEVTableView(w->spaceView());
        t->setObjectName(objets ? QStringLiteral("SelectionItemTableView") : QStringLiteral("SelectionLinkTableView"));
        t->referencerSpaceController(space_, this);
        t->setZevClass(frontClass_.get());
        t->setLegoHeight(19, 0);
        t->setSiAllLegos(objets);
        // Foreign drags resting on an interval move time; the Objects list takes no drop.
        t->setAcceptDrops(objets);
        t->setSiArrowUpDown();
        t->setDefaultFrontMode(currentFrontMode_);
        t->setColumnIdentifiers(objets ? ZEVFrontClass::itemColumns() : ZEVFrontClass::linkColumns());
        for (int mode = 0; mode < 4; ++mode)
            t->setModeColumn(mode, objets ? (mode == ZEVFrontModeLinks ? 4 : mode + 1) : (mode == 3 ? 3 : mode));
        // The field of the type-select lies over the list's parent; the list shows it.
        auto* field = new QLineEdit(w->spaceView());
        field->setObjectName(objets ? QStringLiteral("SelectionItemSearchField") : QStringLiteral("SelectionLinkSearchField"));
        field->hide();
        QObject::connect(t, &QObject::destroyed, field, &QObject::deleteLater);
        t->typeSelect()->attach(field, nullptr);
        // The header views place the lists in the tracks; until then they wait hidden.
        t->hide();
        return t;
    };
    itemList_ = liste(true);
    linkList_ = liste(false);
    frontClass_->referencerSelectionItemTableView(itemList_);
    frontClass_->referencerSelectionLinkTableView(linkList_);
    majSelectionLists();
}

ZEVTableView* ZEVFrontViewer::selectionTableView() const
{
    return currentFrontMode_ == ZEVFrontModeLinks ? linkList_.data() : itemList_.data();
}

ZEVLegoSource* ZEVFrontViewer::selectionItemLegoSource() { return itemList_.data(); }

QString ZEVFrontViewer::durationStringForAllLegos()
{
    return frontClass_ ? frontClass_->durationStringForAllLegos() : QString();
}

void ZEVFrontViewer::majSelectionLists()
{
    if (!frontClass_)
        return;
    // While a list has the keyboard the user's row changes drive the desk: its rows stay until it
    // lets go.
    if (!frontClass_->siAccepteMajSelectedRows())
        return;
    ZEVSelections& s = space_.selections();
    for (ZEVTableView* t : {itemList_.data(), linkList_.data()})
        if (t)
            t->setDefaultFrontMode(currentFrontMode_);
    switch (currentFrontMode_) {
    case ZEVFrontModeIcons:
        frontClass_->referencerSelectedItems(s.selectedIconItems());
        break;
    case ZEVFrontModeTitles:
        frontClass_->referencerSelectedItems(s.selectedTitleItems());
        break;
    case ZEVFrontModeFilters:
        frontClass_->referencerSelectedItems(s.selectedFilterItems());
        break;
    default:
        frontClass_->referencerSelectedLinks(s.selectedLinks());
        break;
    }
    frontClass_->majIndexOfSelectedRows();
}

ZEVFrontSelectionView* ZEVFrontViewer::selectionView() const { return selectionView_.data(); }

ZEVFrontViewServices* ZEVFrontViewer::frontView() { return frontView_.get(); }

// ---------------------------------------------------------------------------------------------
// Mode buttons and tool menus

void ZEVFrontViewer::buildModeButtons()
{
    ZEVSpaceWindow* w = space_.spaceWindow();
    if (!w)
        return;
    static const char* const titres[4] = {"Icons", "Titles", "Filters", "Links"};
    for (int m = 0; m < 4; ++m) {
        auto* b = new ZEVButton(w->spaceView());
        b->setObjectName(QStringLiteral("btnMode%1").arg(QLatin1String(titres[m])));
        b->setText(tr(titres[m]));
        b->setToolTip(tr(titres[m]));
        b->setCheckable(true);
        b->setSiClickKeepsState(true);
        b->setGeometry(8 + m * 64, 0, 60, 22);
        // A long press, or a drag resting on the button, switches the mode; a short press pops
        // the tool menu up.
        b->setCliqueTarget(this, [this, m](ZEVButton*) {
            modeSwitch(m, true);
            // A long press puts the pressed button back as it was 0.3 s later; the buttons then
            // show the mode in force again.
            Scheduler::shared().perform(this, "_majModeButtons", ZEVButton::kGotoPreviousDelay + 0.05, [this] {
                if (temporaryFrontMode_ != ZEVFrontModeNone)
                    setModeButtons(temporaryFrontMode_, previousFrontMode_);
                else
                    setModeButtons(currentFrontMode_);
            });
        });
        connect(b, &ZEVButton::clicked, this, [this, b, m] {
            if (!b->siClickLong())
                popToolMenu(m);
        });
        modeButtons_[m] = b;
    }
    w->spaceView()->installEventFilter(this);
    // Its full-screen changes, whoever asks them: the menu bar then lies over the stack or not.
    w->installEventFilter(this);
}

bool ZEVFrontViewer::eventFilter(QObject* watched, QEvent* event)
{
    // A new size of the window lays the stack out again.
    if (event->type() == QEvent::Resize && layout_ && watched == contentView())
        layout_->relayout();
    if (event->type() == QEvent::WindowStateChange && layout_ && watched == space_.spaceWindow())
        fullScreenStateDidChange();
    return QObject::eventFilter(watched, event);
}

void ZEVFrontViewer::buildToolMenus()
{
    auto ajoute = [this](QMenu* m, const QString& titre, void (ZEVFrontViewer::*fn)()) {
        QAction* a = m->addAction(titre);
        connect(a, &QAction::triggered, this, [this, fn] { (this->*fn)(); });
        return a;
    };
    struct Outils {
        const char* titre;
        void (ZEVFrontViewer::*copy)();
        void (ZEVFrontViewer::*et)();
        void (ZEVFrontViewer::*ou)();
        void (ZEVFrontViewer::*deselect)();
    };
    const Outils outils[4] = {
        {"Icons", &ZEVFrontViewer::menuIconCopy, &ZEVFrontViewer::menuIconAnd, &ZEVFrontViewer::menuIconOr,
         &ZEVFrontViewer::menuIconDeselect},
        {"Titles", &ZEVFrontViewer::menuTitleCopy, &ZEVFrontViewer::menuTitleAnd, &ZEVFrontViewer::menuTitleOr,
         &ZEVFrontViewer::menuTitleDeselect},
        {"Filters", nullptr, nullptr, nullptr, &ZEVFrontViewer::menuFilterDeselect},
        {"Links", &ZEVFrontViewer::menuLinkCopy, &ZEVFrontViewer::menuLinkAnd, &ZEVFrontViewer::menuLinkOr,
         &ZEVFrontViewer::menuLinkDeselect},
    };
    static void (ZEVFrontViewer::*const modes[4])() = {&ZEVFrontViewer::menuModeIcon, &ZEVFrontViewer::menuModeTitle,
                                                       &ZEVFrontViewer::menuModeFilter, &ZEVFrontViewer::menuModeLink};
    for (int m = 0; m < 4; ++m) {
        auto menu = std::make_unique<QMenu>();
        menu->setObjectName(QStringLiteral("menu%1").arg(QLatin1String(outils[m].titre)));
        ajoute(menu.get(), tr("%1 Tool").arg(tr(outils[m].titre)), modes[m])->setProperty("toolEntry", "tool");
        menu->addSeparator();
        if (m == ZEVFrontModeFilters) {
            ajoute(menu.get(), tr("Icons"), &ZEVFrontViewer::menuFilterIcons)->setProperty("toolEntry", "icons");
            ajoute(menu.get(), tr("Titles"), &ZEVFrontViewer::menuFilterTitles)->setProperty("toolEntry", "titles");
            ajoute(menu.get(), tr("Nodes"), &ZEVFrontViewer::menuFilterNodes)->setProperty("toolEntry", "nodes");
        } else {
            ajoute(menu.get(), tr("Copy"), outils[m].copy)->setProperty("toolEntry", "copy");
            ajoute(menu.get(), tr("And"), outils[m].et)->setProperty("toolEntry", "and");
            ajoute(menu.get(), tr("Or"), outils[m].ou)->setProperty("toolEntry", "or");
        }
        ajoute(menu.get(), tr("Deselect"), outils[m].deselect)->setProperty("toolEntry", "deselect");
        connect(menu.get(), &QMenu::aboutToShow, this, [this, m] { toolMenuWillOpen(m); });
        connect(menu.get(), &QMenu::aboutToHide, this, [this, m] { toolMenuDidClose(m); });
        menu->addSeparator();
        // The items start from what the Space shows.
        const ZEVDeskDisplayOptions& montre = space_.displayOptions();
        QAction* all = menu->addAction(tr("Show Links for All Objects"));
        all->setCheckable(true);
        all->setChecked(montre.siShowLinksForAllObjects);
        connect(all, &QAction::toggled, this, [this] { majSiShowLinksForCurrentMode(); });
        showAllItems_[m] = all;
        if (m != ZEVFrontModeLinks) {
            QAction* sel = menu->addAction(tr("Show Links for Selections"));
            sel->setCheckable(true);
            sel->setChecked(montre.siShowLinksForSelections);
            connect(sel, &QAction::toggled, this, [this] { majSiShowLinksForCurrentMode(); });
            showSelectionItems_[m] = sel;
        }
        toolMenus_[m] = std::move(menu);
    }
}

QMenu* ZEVFrontViewer::toolMenu(int mode) const
{
    return mode >= 0 && mode < 4 ? toolMenus_[mode].get() : nullptr;
}

ZEVButton* ZEVFrontViewer::modeButton(int mode) const { return mode >= 0 && mode < 4 ? modeButtons_[mode].data() : nullptr; }

int ZEVFrontViewer::modeButtonState(int mode) const
{
    ZEVButton* b = modeButton(mode);
    return b ? b->state() : 0;
}

void ZEVFrontViewer::popToolMenu(int mode)
{
    QMenu* m = toolMenu(mode);
    ZEVButton* b = modeButton(mode);
    if (m && b)
        m->popup(b->mapToGlobal(QPoint(0, b->height())));
}

void ZEVFrontViewer::setModeButtons(int on, int mixed)
{
    for (int m = 0; m < 4; ++m)
        if (ZEVButton* b = modeButtons_[m])
            b->setState(m == on ? 1 : m == mixed ? -1 : 0);
}

void ZEVFrontViewer::majSiShowLinksForCurrentMode()
{
    const int m = currentFrontMode_;
    if (m >= 0 && m < 4 && showAllItems_[m]) {
        const bool all = showAllItems_[m]->isChecked();
        space_.setSiShowLinksForAllObjects(all);
        space_.setSiShowLinksForSelections(m == ZEVFrontModeLinks ? !all
                                                                   : showSelectionItems_[m]->isChecked());
    }
    displayFrontView();
}

// ---------------------------------------------------------------------------------------------
// Mode switch

void ZEVFrontViewer::modeSwitch(int mode, bool withSender)
{
    ZEVDeskViewer* desk = space_.deskViewerForCurseur(space_.actifCurseur());
    ZEVSelections& s = space_.selections();
    // The toolbar opens with a mode; Icon mode again with nothing selected closes the stack.
    if (siToolbarClosed())
        layout_->request(-1, -1, -1, 1);
    else if (mode == ZEVFrontModeIcons && currentFrontMode_ == ZEVFrontModeIcons && nbOfIcons_ == 0 &&
             nbOfTitles_ == 0 && nbOfFilters_ == 0 && nbOfLinks_ == 0)
        layout_->request(0, 0, 0, 0);
    if (currentFrontMode_ != mode) {
        siFrontModeDidChange_ = true;
        Sound::shared().play(QStringLiteral("Pop"));
    } else if (desk) {
        switch (mode) {
        case ZEVFrontModeIcons:
            desk->flickItemSet(s.selectedIconItems());
            break;
        case ZEVFrontModeTitles:
            desk->flickItemSet(s.selectedTitleItems());
            break;
        case ZEVFrontModeFilters:
            if (withSender)
                desk->flickItemSet(s.selectedFilterItems());
            break;
        default:
            desk->flickItemSet(s.selectedNodeItemSet());
            break;
        }
    }
    if (temporaryFrontMode_ != ZEVFrontModeNone) {
        // The mode stays while a modifier holds it: only the asked button lights.
        if (ZEVButton* b = modeButton(mode))
            b->setState(1);
        return;
    }
    currentFrontMode_ = mode;
    majSiShowLinksForCurrentMode();
    if (mode != ZEVFrontModeFilters)
        frontModeAfterFilterMode_ = mode;
    setModeButtons(mode);
    updateViewbarModes();
    updateToolbarButtons();
    space_.majWindowTitle();
    selectionRefresh(mode);
}

// ---------------------------------------------------------------------------------------------
// Quasimodes

void ZEVFrontViewer::userChangeFlag(int key, Qt::KeyboardModifiers modifiers)
{
    int quasi = ZEVFrontModeNone;
    bool down = false;
    if (key == Qt::Key_Shift) {
        quasi = ZEVFrontModeIcons;
        down = modifiers.testFlag(keys::kShift);
    } else if (key == Qt::Key_Alt) {
        quasi = ZEVFrontModeFilters;
        down = modifiers.testFlag(keys::kOption);
    } else if (key == keys::kFnKey) {
        quasi = ZEVFrontModeTitles;
        // The Menu key is no modifier: the window tells its press and release through the flag.
        down = modifiers.testFlag(keys::kFnModifier);
        siFnDown_ = down;
    }

    if (key == Qt::Key_Shift && down) {
        const double now = Clock::shared().now();
        if (gPreviousShiftPress > 0 && now - gPreviousShiftPress < kDoubleShift) {
            ZEVContextViewerServices* ctx = space_.contextViewer();
            ZEVEntityViewer* channels = space_.channelViewer();
            if (!ctx || !ctx->isShowedEntityWithInt(kChannelsEntity) || !channels) {
                space_.host().ouvrirEntityWithInt(kChannelsEntity);
            } else if (channels->siFirstResponder()) {
                if (ZEVSpaceWindow* w = space_.spaceWindow())
                    w->spaceView()->deskCanvas()->setFocus(Qt::OtherFocusReason);
            } else {
                channels->setFirstResponder();
            }
            gPreviousShiftPress = 0;
        } else {
            gPreviousShiftPress = now;
        }
    }

    if (quasi != ZEVFrontModeNone) {
        if (down) {
            if (previousFrontMode_ == ZEVFrontModeNone && currentFrontMode_ != quasi && !siLasso_) {
                previousFrontMode_ = currentFrontMode_;
                currentFrontMode_ = temporaryFrontMode_ = quasi;
                siAvoidGraphicalLarsen_ = true;
                setModeButtons(quasi, previousFrontMode_);
                tellInspectors(true);
                space_.majWindowTitle();
            }
        } else if (temporaryFrontMode_ == quasi) {
            const int restored = previousFrontMode_;
            currentFrontMode_ = restored;
            previousFrontMode_ = temporaryFrontMode_ = ZEVFrontModeNone;
            siAvoidGraphicalLarsen_ = false;
            setModeButtons(restored);
            tellInspectors(true);
            space_.majWindowTitle();
        }
    }
    displayFrontView();
}

void ZEVFrontViewer::userTypedKey()
{
    gPreviousShiftPress = 0;
}

void ZEVFrontViewer::leaveQuasimode()
{
    if (previousFrontMode_ >= 0 && previousFrontMode_ < 4) {
        currentFrontMode_ = previousFrontMode_;
        previousFrontMode_ = temporaryFrontMode_ = ZEVFrontModeNone;
        setModeButtons(currentFrontMode_);
        displayFrontView();
    }
}

void ZEVFrontViewer::userWillSwitchApp()
{
    // The quiet kept during the quasimode goes with it: left set, no later selection change would
    // reach the inspectors.
    if (temporaryFrontMode_ != ZEVFrontModeNone)
        siAvoidGraphicalLarsen_ = false;
    leaveQuasimode();
    siFnDown_ = false;
    space_.majWindowTitle();
}

void ZEVFrontViewer::userRereadFlags(Qt::KeyboardModifiers modifiers)
{
    // The release of the quasimode's key may have gone to another window.
    const bool held = (temporaryFrontMode_ == ZEVFrontModeIcons && modifiers.testFlag(keys::kShift)) ||
                      (temporaryFrontMode_ == ZEVFrontModeFilters && modifiers.testFlag(keys::kOption)) ||
                      (temporaryFrontMode_ == ZEVFrontModeTitles && siFnDown_);
    if (temporaryFrontMode_ != ZEVFrontModeNone && !held) {
        siAvoidGraphicalLarsen_ = false;
        leaveQuasimode();
        tellInspectors(true);
        space_.majWindowTitle();
    }
}

void ZEVFrontViewer::setSiAvoidGraphicalLarsen(bool avoid)
{
    const bool etait = siAvoidGraphicalLarsen_;
    siAvoidGraphicalLarsen_ = avoid;
    if (etait && !avoid)
        tellInspectors(false);
}

void ZEVFrontViewer::tellInspectors(bool modeChanged)
{
    for (ZEVEntityViewer* v : space_.entityViewerSet()) {
        if (modeChanged)
            v->frontModeDidChange();
        else
            v->itemSelectionDidChange();
    }
}

// ---------------------------------------------------------------------------------------------
// Status texts

std::int64_t ZEVFrontViewer::countForMode(int mode) const
{
    switch (mode) {
    case ZEVFrontModeIcons:
        return nbOfIcons_;
    case ZEVFrontModeTitles:
        return nbOfTitles_;
    case ZEVFrontModeFilters:
        return nbOfFilters_;
    case ZEVFrontModeLinks:
        return nbOfLinks_;
    default:
        return 0;
    }
}

QString ZEVFrontViewer::nameForFrontMode(int mode)
{
    const std::int64_t n = countForMode(mode);
    auto texte = [n](const char* un, const char* plusieurs) {
        return n < 2 ? QStringLiteral("%1 %2").arg(n).arg(QLatin1String(un))
                     : QStringLiteral("%1 %2").arg(n).arg(QLatin1String(plusieurs));
    };
    switch (mode) {
    case ZEVFrontModeIcons:
        return texte("Icon selected", "Icons selected");
    case ZEVFrontModeTitles:
        return texte("Title selected", "Titles selected");
    case ZEVFrontModeFilters:
        return texte("Object filtered", "Objects filtered");
    case ZEVFrontModeLinks: {
        const QString noeuds = nbOfNodes_ < 2 ? QStringLiteral("%1 Node").arg(nbOfNodes_)
                                              : QStringLiteral("%1 Nodes").arg(nbOfNodes_);
        return texte("Link selected / ", "Links selected / ") + noeuds;
    }
    default:
        return {};
    }
}

QString ZEVFrontViewer::shortNameForFrontMode(int mode)
{
    if (mode >= 0 && mode < 3)
        return QString::number(countForMode(mode));
    if (mode == ZEVFrontModeLinks)
        return QStringLiteral("%1 / %2").arg(nbOfLinks_).arg(nbOfNodes_);
    return QStringLiteral("0");
}

// ---------------------------------------------------------------------------------------------
// Notices

bool ZEVFrontViewer::siFocus()
{
    if (siLasso_)
        return false;
    ZEVSpaceWindow* w = space_.spaceWindow();
    if (!w)
        return false;
    // An Object view holding the keyboard has it, not the front layer.
    ZEVDeskCanvas* canvas = w->spaceView()->deskCanvas();
    return canvas->hasFocus() && !(canvas->scene() && canvas->scene()->focusItem());
}

void ZEVFrontViewer::channelDidChangeWithIdentityInt(KELId identityInt)
{
    // The selection list's class (the inspector framework's front list) will be told too, once it
    // exists.
    if (identityInt)
        currentChannelInt_ = identityInt;
    if (frontClass_)
        frontClass_->channelDidChangeWithIdentityInt(identityInt);
}

void ZEVFrontViewer::actifCurseurDidChangeForCurseur(KELICurseur* curseur)
{
    // The front view reads the active desk and item viewer from the Space at each use, so it
    // follows without being told; the selection tables and the edit buttons' pictures belong to
    // the selection list and the toolbar, still to come.
    actifCurseur_ = curseur;
    siCleanAll_ = false;
    if (frontClass_)
        frontClass_->actifCurseurDidChangeForCurseur(curseur);
    if (curseur && curseur == space_.nowCurseur())
        space_.setGoToTag(1);
    else if (space_.goToTag() == 1)
        space_.setGoToTag(2);
    updateNbOfItems();
    updateToolbarButtons();
    updateBtnImagesSiRecall(curseur && curseur == space_.nowCurseur());
    displayFrontView();
}

void ZEVFrontViewer::updateNbOfItems()
{
    ZEVDeskViewer* d = space_.deskViewerForCurseur(space_.actifCurseur());
    nbOfItems_ = d ? std::int64_t(d->itemViewSet().size()) : 0;
    if (toolbar_)
        toolbar_->updateNbOfItems(nbOfItems_);
}

void ZEVFrontViewer::displayAllInspectView()
{
    for (ZEVEntityViewer* v : space_.entityViewerSet())
        v->displayInspectView();
}

void ZEVFrontViewer::entityWillChange()
{
    // A focus change comes as a loss and a gain in the same turn: one follow-up for both.
    Scheduler& s = Scheduler::shared();
    s.cancel(this, "entityDidChange");
    s.perform(this, "entityDidChange", 0.0, [this] { entityDidChange(); });
    if (ZEVDeskViewer* d = space_.deskViewerForCurseur(space_.actifCurseur()))
        if (ZEVDeskView* v = d->deskView())
            v->update();
}

void ZEVFrontViewer::entityDidChange()
{
    siCleanAll_ = false;
    updateMenuMacForMode(currentFrontMode_);
}

void ZEVFrontViewer::selectionDidChange()
{
    if (currentFrontMode_ >= 0 && currentFrontMode_ < 4)
        selectionRefresh(currentFrontMode_);
}

void ZEVFrontViewer::iconSelectionDidChange() { selectionRefresh(Icons); }
void ZEVFrontViewer::titleSelectionDidChange() { selectionRefresh(Titles); }
void ZEVFrontViewer::filterSelectionDidChange() { selectionRefresh(Filters); }
void ZEVFrontViewer::linkSelectionDidChange() { selectionRefresh(Links); }
void ZEVFrontViewer::filterOperationDidChange()
{
    updateToolbarButtons();
    displayFrontView();
}

void ZEVFrontViewer::selectionRefresh(int family)
{
    ZEVSelections& s = space_.selections();
    switch (family) {
    case Icons:
        nbOfIcons_ = std::int64_t(s.selectedIconItems().size());
        break;
    case Titles:
        nbOfTitles_ = std::int64_t(s.selectedTitleItems().size());
        break;
    case Filters:
        nbOfFilters_ = std::int64_t(s.selectedFilterItems().size());
        break;
    default:
        nbOfLinks_ = std::int64_t(s.selectedLinks().size());
        nbOfNodes_ = std::int64_t(s.selectedNodeItemSet().size());
        break;
    }
    siCleanAll_ = false;
    // Both desks draw their Object views again: a selection shows on the Search desk too. (The
    // viewbar's mode buttons, the selection list's rows and the header views' refresh follow here
    // once the header toolbar and the selection list exist.)
    for (KELICurseur* c : {space_.nowCurseur(), space_.searchCurseur()})
        if (ZEVCursorDesk* d = space_.deskForCurseur(c))
            d->selectionDidChange();
    if (currentFrontMode_ == family && !siAvoidGraphicalLarsen_) {
        tellInspectors(siFrontModeDidChange_);
        siFrontModeDidChange_ = false;
        previewFollowsSelection();
    } else if (family == Icons && currentFrontMode_ == Filters && temporaryFrontMode_ == Filters &&
               previousFrontMode_ == Icons) {
        // Alt held over Icon mode: the icons picked meanwhile are still Icon mode's selection,
        // so the next refreshes reach the inspectors (and the list will follow them).
        siAvoidGraphicalLarsen_ = false;
    }
    if (family == currentFrontMode_ || (currentFrontMode_ == ZEVFrontModeLinks && family == Links))
        majSelectionLists();
    updateViewbarModes();
    updateToolbarButtons();
    // The tracks follow the row count.
    if (layout_)
        layout_->refresh();
    updateNbOfItems();
    displayFrontView();
    displayAllInspectView();
    space_.majWindowTitle();
}

void ZEVFrontViewer::displayFrontView()
{
    if (frontView_)
        frontView_->display();
}

void ZEVFrontViewer::updateFrontView()
{
    displayFrontView();
    updateNbOfItems();
}

void ZEVFrontViewer::updateFrontViewLinks()
{
    if (frontView_)
        frontView_->displayLinks();
    updateNbOfItems();
}

void ZEVFrontViewer::lassoDidStart()
{
    siLasso_ = true;
    lassoFrontMode_ = currentFrontMode_;
    displaySelectionView();
    if (currentFrontMode_ == ZEVFrontModeFilters) {
        // The lasso picks icons: while its first event is handled the mode reads Icons, and on
        // the next turn Filters again.
        currentFrontMode_ = ZEVFrontModeIcons;
        updateViewbarModes();
        tellInspectors(false);
        Scheduler::shared().cancel(this, "_lassoDidStart");
        Scheduler::shared().perform(this, "_lassoDidStart", 0.0, [this] { currentFrontMode_ = ZEVFrontModeFilters; });
    }
}

void ZEVFrontViewer::lassoDidStop()
{
    siLasso_ = false;
    lassoFrontMode_ = ZEVFrontModeNone;
    if (frontView_)
        frontView_->clearLasso();
    displaySelectionView();
    updateViewbarModes();
    tellInspectors(false);
    space_.addToHistory();
}

void ZEVFrontViewer::setSiShowCadre(bool shown)
{
    if (frontView_)
        frontView_->setSiShowCadre(shown);
}

// ---------------------------------------------------------------------------------------------
// Tool menus

std::vector<KELI*> ZEVFrontViewer::sourceSet()
{
    ZEVSelections& s = space_.selections();
    switch (currentFrontMode_) {
    case ZEVFrontModeIcons:
        return s.selectedIconItems();
    case ZEVFrontModeTitles:
        return s.selectedTitleItems();
    case ZEVFrontModeFilters:
        if (ZEVItemViewer* iv = space_.itemViewerForCurseur(space_.actifCurseur()))
            return iv->impactedItemSet();
        return {};
    case ZEVFrontModeLinks:
        return s.selectedNodeItemSet();
    default:
        return {};
    }
}

void ZEVFrontViewer::combine(int target, Op op)
{
    if (currentFrontMode_ == target)
        return;
    ZEVSelections& s = space_.selections();
    const std::vector<KELI*> source = sourceSet();
    std::vector<KELI*> own = target == ZEVFrontModeIcons    ? s.selectedIconItems()
                             : target == ZEVFrontModeTitles ? s.selectedTitleItems()
                                                            : s.selectedNodeItemSet();
    std::vector<KELI*> result;
    if (op == Op::Copy) {
        result = source;
    } else {
        const std::vector<KELI*> a = trie(own), b = trie(source);
        if (op == Op::And) {
            std::set_intersection(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(result));
            // The own selection's order is kept.
            std::vector<KELI*> ordre;
            for (KELI* i : own)
                if (std::binary_search(result.begin(), result.end(), i))
                    ordre.push_back(i);
            result = ordre;
        } else {
            result = own;
            for (KELI* i : source)
                if (std::find(result.begin(), result.end(), i) == result.end())
                    result.push_back(i);
        }
    }
    if (target == ZEVFrontModeIcons)
        s.selectIconForItemSet(result, nullptr);
    else if (target == ZEVFrontModeTitles)
        s.selectTitleForItemSet(result, nullptr);
    else
        s.selectNodeForItemSet(result, nullptr);
}

void ZEVFrontViewer::menuIconDeselect() { space_.selections().deselectAllIcons(); }
void ZEVFrontViewer::menuTitleDeselect() { space_.selections().deselectAllTitles(); }
void ZEVFrontViewer::menuLinkDeselect() { space_.selections().deselectAllNodes(); }

void ZEVFrontViewer::menuFilterIcons()
{
    space_.selections().selectFilterForItems(space_.selections().selectedIconItems());
    if (currentFrontMode_ != ZEVFrontModeFilters)
        modeSwitch(ZEVFrontModeFilters, false);
}

void ZEVFrontViewer::menuFilterTitles()
{
    space_.selections().selectFilterForItems(space_.selections().selectedTitleItems());
    if (currentFrontMode_ != ZEVFrontModeFilters)
        modeSwitch(ZEVFrontModeFilters, false);
}

void ZEVFrontViewer::menuFilterNodes()
{
    space_.selections().selectFilterForItems(space_.selections().selectedNodeItemSet());
    if (currentFrontMode_ != ZEVFrontModeFilters)
        modeSwitch(ZEVFrontModeFilters, false);
}

void ZEVFrontViewer::menuFilterDeselect() { space_.selections().deselectAllFilters(); }

// ---------------------------------------------------------------------------------------------
// Edit commands

bool ZEVFrontViewer::handlesCommand(std::string_view c)
{
    static const std::set<std::string_view> answered = {
        "userCopy",       "userCut",        "userPaste",         "userSelectAll",  "userDeselectAll",
        "userSelectNext", "userSelectPrevious", "menuModeIcon", "menuModeTitle", "menuModeFilter",
        "menuModeLink",   "userToggleTimebar", "userToggleTline", "userToggleTracks", "userToggleToolbar", "userToggleFullScreen",
        "userRecallNow", "userRetainNow", "userReleaseNow", "userForgetNow", "userRecallSearch", "userRetainSearch",
        "userReleaseSearch", "userForgetSearch", "userShowTitle", "userShowQLIcon", "userOpenOnClick", "userAnimate",
        "userSendToBack", "userSendToFront", "userDelete", "userShowOriginal", "userSwap", "userSwapIcons", "userSwapTitles", "userGoNow", "userOpen", "userGetInfo", "userFilter", "userToggleQL",
        "userEditTitle", "userStepBack", "userSpaceStartHome", "userSpaceCleanAll", "userSpaceCleanAndRecall",
        "userSpaceCleanAndRecallBack", "userSpaceCleanAndReplace", "userOpenOverfly", "userMoveTo", "userMoveToSpace",
        "userCopyTo", "userCopyToSpace", "userDuplicateTo", "userDuplicateToSpace", "userFind", "userFindInChannels",
        "userFindTextInChannels", "userGotoPrevious", "userGotoNext", "menuInspectPrevious", "menuInspectNext"};
    return answered.count(c) != 0;
}

void ZEVFrontViewer::deskEdit(int command)
{
    if (ZEVCursorDesk* d = space_.deskForCurseur(space_.actifCurseur()))
        d->deskEditCommand(ZEVDeskEditCommand(command));
}

ZEVTableView* ZEVFrontViewer::focusedSelectionList() const
{
    ZEVSpaceWindow* w = space_.spaceWindow();
    QWidget* f = w ? w->focusWidget() : nullptr;
    return f && (f == itemList_.data() || f == linkList_.data()) ? static_cast<ZEVTableView*>(f) : nullptr;
}

ZEVTableView* ZEVFrontViewer::focusedInspectorTable() const
{
    ZEVInspectViewer* iv = focusedInspectorFor({});
    ZEVInspectView* v = iv ? iv->inspectViewIfBuilt() : nullptr;
    return v ? v->inspectTableView() : nullptr;
}

void ZEVFrontViewer::userCopy()
{
    if (ZEVTableView* t = focusedInspectorTable())
        t->copy();
    else if (ZEVTableView* t = focusedSelectionList())
        t->copy();
    else
        deskEdit(int(ZEVDeskEditCommand::Copy));
}

void ZEVFrontViewer::userCut()
{
    if (ZEVTableView* t = focusedInspectorTable())
        t->cut();
    else if (ZEVTableView* t = focusedSelectionList())
        t->cut();
    else
        deskEdit(int(ZEVDeskEditCommand::Cut));
}
void ZEVFrontViewer::userSelectAll() { deskEdit(int(ZEVDeskEditCommand::SelectAll)); }

void ZEVFrontViewer::userPaste()
{
    // A focused inspector table imports what is pasted; nothing is pasted into a selection list.
    if (ZEVTableView* t = focusedInspectorTable()) {
        t->paste();
        return;
    }
    if (ZEVTableView* t = focusedSelectionList()) {
        t->paste();
        return;
    }
    // The pointer in the window, y-up: the pasted Objects land under it whatever the window's form.
    if (ZEVSpaceWindow* w = space_.spaceWindow()) {
        const QPoint p = w->mapFromGlobal(QCursor::pos());
        space_.mouseMovedInLocation(QPointF(p.x(), w->height() - p.y()));
    }
    deskEdit(int(ZEVDeskEditCommand::Paste));
}

void ZEVFrontViewer::userDeselectAll()
{
    // With the Channels list focused, Deselect All is the list's.
    if (ZEVEntityViewer* channels = space_.channelViewer())
        if (channels->siFirstResponder()) {
            channels->userDeselect();
            return;
        }
    ZEVSelections& s = space_.selections();
    s.deselectAllIcons();
    s.deselectAllNodes();
    s.deselectAllFilters();
    s.deselectAllTitles();
    space_.addToHistory();
}

void ZEVFrontViewer::userEditTitle()
{
    ZEVDeskViewer* d = space_.deskViewerForCurseur(space_.actifCurseur());
    ZEVSelections& sel = space_.selections();
    const std::vector<KELI*> items =
        currentFrontMode_ == ZEVFrontModeTitles ? sel.selectedTitleItems() : sel.selectedIconItems();
    if (!d || items.empty())
        return;
    userEditTitleForItemView(d->itemViewForItem(items.front()));
}

void ZEVFrontViewer::userEditTitleForItemView(ZEVItemViewForDesks* d)
{
    auto* view = dynamic_cast<ZEVItemView*>(d);
    if (view && !view->isHidden())
        view->editTitle();
}

void ZEVFrontViewer::userSelectNext()
{
    if (ZEVDeskViewer* d = space_.deskViewerForCurseur(space_.actifCurseur()))
        d->userSelectNext();
    space_.majWindowTitle();
}

void ZEVFrontViewer::userSelectPrevious()
{
    if (ZEVDeskViewer* d = space_.deskViewerForCurseur(space_.actifCurseur()))
        d->userSelectPrevious();
    space_.majWindowTitle();
}

// ---------------------------------------------------------------------------------------------
// Header views: see ZEVFrontViewerHeaders.cpp

void ZEVFrontViewer::tlineKeyDown(QKeyEvent* event)
{
    if (headers_)
        headers_->tlineKeyDown(event);
    else
        event->ignore();
}

void ZEVFrontViewer::tlineKeyUp(QKeyEvent* event)
{
    if (headers_)
        headers_->tlineKeyUp(event);
    else
        event->ignore();
}

void ZEVFrontViewer::addPanelWithUrl(const QString& folder, const QString& title, const QString& message,
                                     std::function<void(const QStringList&)> done,
                                     std::function<void(QFileDialog*)> follow)
{
    if (tools_)
        tools_->panels().buttonAddFilesWithUrl(folder, title, message, std::move(done), std::move(follow));
}

} // namespace tallomer
