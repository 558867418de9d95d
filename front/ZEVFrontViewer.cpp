#include "front/ZEVFrontViewer.h"

#include "front/ZEVFrontSelectionView.h"
#include "front/ZEVFrontLinkLineMenu.h"
#include "front/ZEVFrontMainMenu.h"
#include "front/ZEVFrontPanels.h"
#include "front/ZEVFrontQuickLook.h"
#include "front/ZEVFrontStepBack.h"
#include "front/ZEVFrontTransitions.h"
#include "front/ZEVFrontToolButtons.h"
#include "front/ZEVFrontView.h"
#include "front/ZEVTracksHandle.h"
#include "inspectors/ZEVFrontClass.h"
#include "inspectors/table/ZEVTypeSelect.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceWindow.h"
#include "widgets/ZEVButton.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>

namespace tallomer {

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
    bindShowLinksItems();
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
void ZEVFrontViewer::newSpaceWithBackground(std::function<bool(NewBackground&)> make,
                                            std::function<void(bool stored)> done)
{
    transitions_->newSpaceWithBackground(std::move(make), std::move(done));
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

// The toolbar's search field is the type-select of the list shown, handed on when the mode moves
// between the Objects and the Links.
void ZEVFrontViewer::attachSearchField()
{
    ZEVTableView* t = selectionTableView();
    QLineEdit* field = toolbar_ ? toolbar_->searchField() : nullptr;
    if (!t || !field || t->typeSelect()->field() == field)
        return;
    for (ZEVTableView* other : {itemList_.data(), linkList_.data()})
        if (other && other != t && other->typeSelect()->field() == field)
            other->typeSelect()->attach(nullptr, nullptr);
    t->typeSelect()->attach(field, nullptr);
}

void ZEVFrontViewer::majSelectionLists()
{
    attachSearchField();
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
