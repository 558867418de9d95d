#include "front/ZEVFrontTransitions.h"

#include "front/ZEVFrontViewer.h"

#include "front/ZEVFrontGoToPanel.h"
#include "front/ZEVFrontSelectionView.h"
#include "front/ZEVFrontToolButtons.h"
#include "desk/model/ZEVDeskClass.h"
#include "desk/viewer/ZEVDeskViewer.h"
#include "engine/KELICurseur.h"
#include "engine/KELServeurDeLiens.h"
#include "inspectors/base/ZEVInspectViewer.h"
#include "inspectors/channels/ZEVChannelClass.h"
#include "inspectors/channels/ZEVChannelViewer.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "desk/model/ZEVModelSupport.h"
#include "platform/sound/Sound.h"
#include "runtime/Log.h"
#include "runtime/Scheduler.h"
#include "space/ZEVSelections.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceWindow.h"
#include "widgets/ZEVAlert.h"
#include "widgets/ZEVButton.h"

#include <algorithm>
#include <utility>

namespace tallomer {

namespace {

constexpr KELId kHomeStamp = 2000009;
using K = ZEVTransitionKind;
using D = ZEVTransitionDelays;

const char* stageName(int stage)
{
    static const char* const names[] = {"_cleanAll_0", "_cleanAll_1", "_cleanAll_2", "_cleanAll_3",
                                        "_cleanAll_4", "_cleanAll_5", "_cleanAll_6", "_cleanAll_7"};
    return names[stage];
}

} // namespace

ZEVFrontTransitions::ZEVFrontTransitions(ZEVFrontViewer& front, ZEVSpaceController& space)
    : front_(front), space_(space)
{
}

ZEVFrontTransitions::~ZEVFrontTransitions() = default;

// ---- entry points ----

void ZEVFrontTransitions::setCleanButtonState(int state)
{
    if (ZEVButton* b = front_.toolbar() ? front_.toolbar()->button(QStringLiteral("btnDeskClean")) : nullptr)
        b->setState(state);
}

void ZEVFrontTransitions::userSpaceStartHome()
{
    ZEVRulerViewerServices* r = space_.rulerViewer();
    if (r && !r->siAccepteDeplacement()) {
        front_.setSiCleanAll(false);
        Scheduler::shared().perform(&front_, "userSpaceStartHome", D::kRetry, [this] { userSpaceStartHome(); });
        return;
    }
    cleanAll(ZEVSpaceTransition(K::StartHome));
}

void ZEVFrontTransitions::userSpaceStart()
{
    ZEVRulerViewerServices* r = space_.rulerViewer();
    if (r && !r->siAccepteDeplacement()) {
        front_.setSiCleanAll(false);
        Scheduler::shared().perform(&front_, "userSpaceStart", D::kRetry, [this] { userSpaceStart(); });
        return;
    }
    cleanAll(ZEVSpaceTransition(K::Start));
}

void ZEVFrontTransitions::userSpaceCleanAll()
{
    ZEVRulerViewerServices* r = space_.rulerViewer();
    if (!r || !r->siAccepteDeplacement()) {
        Sound::shared().beep();
        return;
    }
    setCleanButtonState(1);
    const bool yes = ZEVAlert::ShowYesNoAlertWithTitle(
        QStringLiteral("Space"), QStringLiteral("Clean All"),
        QStringLiteral("All Objects will be Released. Do you really want to continue?"));
    setCleanButtonState(0);
    if (yes)
        cleanAll(ZEVSpaceTransition(K::CleanAll));
}

void ZEVFrontTransitions::userSpaceCleanAndRecall()
{
    ZEVRulerViewerServices* r = space_.rulerViewer();
    if (!r || !r->siAccepteDeplacement()) {
        Sound::shared().beep();
        return;
    }
    setCleanButtonState(1);
    cleanAll(ZEVSpaceTransition(K::CleanAndRecall));
}

void ZEVFrontTransitions::userSpaceCleanAndRecallBack()
{
    ZEVRulerViewerServices* r = space_.rulerViewer();
    if (!r || !r->siAccepteDeplacement()) {
        Sound::shared().beep();
        return;
    }
    setCleanButtonState(1);
    cleanAll(ZEVSpaceTransition(K::CleanAndRecallBack));
}

void ZEVFrontTransitions::userSpaceCleanAndReplace()
{
    ZEVRulerViewerServices* r = space_.rulerViewer();
    if (!r || !r->siAccepteDeplacement()) {
        Sound::shared().beep();
        return;
    }
    setCleanButtonState(1);
    ZEVChannelViewerServices* channels = space_.channelViewerServices();
    if (channels)
        channels->userWillCleanAndReplace();
    const bool yes = ZEVAlert::ShowYesNoAlertWithTitle(
        QStringLiteral("Space"), QStringLiteral("Clean & Replace"),
        QStringLiteral("These Objects and background will replace those of the \"Now Cursor\".\n"
                       "Do you really want to continue?"));
    if (!yes) {
        setCleanButtonState(0);
        if (channels)
            channels->userDidCleanAndReplace();
        return;
    }
    if (channels)
        channels->userWillCleanAndReplace();
    cleanAll(ZEVSpaceTransition(K::CleanAndReplace));
}

void ZEVFrontTransitions::newSpaceWithBackground(std::function<bool(ZEVFrontViewerServices::NewBackground&)> make,
                                                 std::function<void(bool stored)> done)
{
    ZEVSpaceTransition t(K::NewSpace);
    t.make = [make = std::move(make)](ZEVSpaceTransition& self) {
        ZEVFrontViewerServices::NewBackground back;
        if (!make || !make(back))
            return false;
        self.backImageItem = back.image;
        self.backColorItem = back.color;
        self.backScaleMot = back.scaleMot;
        return true;
    };
    t.done = std::move(done);
    setCleanButtonState(kZEVStateMixed);
    cleanAll(t);
}

// ---- the run ----

void ZEVFrontTransitions::cleanAll(const ZEVSpaceTransition& request)
{
    if (inputFilter_) {
        if (request.done)
            request.done(false);
        return;
    }
    inputFilter_ = std::make_unique<ZEVTransitionInputFilter>([this] { front_.cmdTab(); },
                                                                    [] { Sound::shared().beep(); });
    auto t = std::make_shared<ZEVSpaceTransition>(request);
    KELICurseur* now = space_.nowCurseur();
    KELICurseur* search = space_.searchCurseur();
    if (front_.headers() && front_.headers()->stateOfRulerButton()) {
        if (space_.actifCurseur() == now)
            front_.headers()->menuNowCurseur();
        else
            front_.headers()->menuSearchCurseur();
    }
    ZEVDeskViewer* nowDesk = space_.deskViewerForCurseur(now);
    ZEVDeskViewer* searchDesk = space_.deskViewerForCurseur(search);
    if (t->kind == K::CleanAndRecall || t->kind == K::CleanAndRecallBack) {
        // The selection of the mode, kept when a desk shows it.
        for (KELI* o : front_.modeSelectionItems())
            if ((nowDesk && nowDesk->itemViewForItem(o)) || (searchDesk && searchDesk->itemViewForItem(o)))
                t->items.push_back(o);
    } else if (t->kind == K::CleanAndReplace) {
        if (ZEVDeskClass* dc = space_.deskClassForCurseur(search))
            t->items = dc->itemsForIconViewerRelation();
    }
    if ((t->kind == K::CleanAndRecallBack || t->kind == K::CleanAndReplace) && searchDesk) {
        t->backImageItem = searchDesk->currentBackImageItem();
        t->backColorItem = searchDesk->currentBackColorItem();
        t->backScaleMot = searchDesk->currentBackScaleMot();
    }
    if (ZEVFrontGoToPanel* goTo = front_.tools() ? front_.tools()->goToPanel() : nullptr; goTo && goTo->isVisible())
        goTo->hide(); // its button goes off as it hides
    if (front_.siShowCalandar())
        front_.setSiShowCalandar(false);
    if (front_.siShowQLPanel()) {
        if (ZEVSpaceWindow* w = space_.spaceWindow())
            w->orderOutPreviewPanel();
        Scheduler::shared().perform(&front_, stageName(0), D::kQuickLook, [this, t] { cleanAllStage(0, t); });
        return;
    }
    cleanAllStage(0, t);
}

void ZEVFrontTransitions::stopSpaceEventMonitor()
{
    inputFilter_.reset();
    front_.setSiCleanAll(true);
    space_.majWindowTitle();
}

void ZEVFrontTransitions::closePanels(bool channelsToo, int* closed)
{
    for (ZEVInspectViewer* iv : front_.frontPanelViewers()) {
        if (!channelsToo && dynamic_cast<ZEVChannelViewer*>(iv))
            continue;
        iv->buttonInspectCancel();
        if (closed)
            ++*closed;
    }
}

bool ZEVFrontTransitions::storeTransition(ZEVSpaceTransition& t)
{
    KELICurseur* now = space_.nowCurseur();
    KELICurseur* search = space_.searchCurseur();
    // The new Space begins on the active cursor, the Now cursor when the Search cursor hands over.
    KELICurseur* a = space_.actifCurseur();
    if (t.kind != K::NewSpace && a == search)
        a = now;
    const std::uint64_t refusees = KELServeurDeLiens::EcrituresRefusees();
    {
        // The new Space's background and listing, the Objects it keeps and those it lets go, in
        // one act: a full disk that cut it short would leave a new Space with the old Space's
        // Objects, or the Objects gone with no new Space begun.
        const KELServeurDeLiens::Acte acte(0);
        if (!acte.complet())
            return false;
        if (t.make && !t.make(t))
            return false;
        if (t.keepsObjects()) {
            ZEVDeskClass* nowClass = space_.deskClassForCurseur(now);
            ZEVDeskViewer* nowDesk = space_.deskViewerForCurseur(now);
            ZEVDeskViewer* actifDesk = space_.deskViewerForCurseur(space_.actifCurseur());
            ZEVItemViewer* nowItems = space_.itemViewerForCurseur(now);
            if (nowClass && nowDesk && nowItems) {
                std::vector<KELI*> released = nowClass->itemsForIconViewerRelation();
                released.erase(std::remove_if(released.begin(), released.end(),
                                              [&](KELI* o) {
                                                  return std::find(t.items.begin(), t.items.end(), o) !=
                                                         t.items.end();
                                              }),
                               released.end());
                for (KELI* o : t.items) {
                    ZEVItemViewForDesks* v = actifDesk ? actifDesk->itemViewForItem(o) : nullptr;
                    if (!v)
                        v = nowDesk->ajouterItemViewAvecItem(o);
                    if (!v)
                        continue;
                    // Kept where its view stands, from T on.
                    if (nowClass->siIconExisteForItem(o))
                        nowClass->updatePosition(v->iconPosition(), nowClass->rectCurseurForItem(o), o, t.T);
                    else
                        nowClass->recallIconForItem(o, t.T, v->iconPosition(), nowClass->rectCurseurForItem(o));
                }
                nowItems->userReleaseIconForItems(released, t.T);
            }
        } else if (t.kind == K::NewSpace) {
            ZEVDeskClass* dc = space_.deskClassForCurseur(a);
            if (ZEVItemViewer* iv = space_.itemViewerForCurseur(a); iv && dc)
                iv->userReleaseIconForItems(dc->itemsForIconViewerRelation(), t.T);
        }
        // The Channel listed from T on the cursor the Space begins on.
        if (auto* cv = dynamic_cast<ZEVChannelViewer*>(space_.channelViewer()))
            if (KELI* channel = cv->channelModel().currentChannel())
                cv->channelModel().recallChannel(channel, t.T, a);
        if (ZEVDeskViewer* dv = space_.deskViewerForCurseur(a); dv && t.option() >= 2) {
            KELI* image = t.takesBackground() ? t.backImageItem : dv->currentBackImageItem();
            KELI* color = t.takesBackground() ? t.backColorItem : dv->currentBackColorItem();
            KELI* scale = t.takesBackground() ? t.backScaleMot : dv->currentBackScaleMot();
            dv->userChangeBackWithImageItem(image, color, scale ? scale->idInt() : 0, t.T);
        }
        // Clean All: released at T, where the new Space begins, so that none of the old Objects
        // lingers in it.
        if (t.kind == K::CleanAll)
            if (ZEVItemViewer* iv = space_.itemViewerForCurseur(now))
                if (ZEVDeskClass* dc = space_.deskClassForCurseur(now))
                    iv->userReleaseIconForItems(dc->itemsForIconViewerRelation(), t.T);
    }
    const bool stored = KELServeurDeLiens::EcrituresRefusees() == refusees;
    if (t.done)
        std::exchange(t.done, nullptr)(stored);
    return stored;
}

void ZEVFrontTransitions::abandon(ZEVSpaceTransition& t)
{
    logFormat("ZEVFrontTransitions: the store kept none of transition %d; it stops", t.option());
    if (t.done)
        std::exchange(t.done, nullptr)(false);
    // Memory follows the store again: the desks show the Objects and background it still has.
    for (KELICurseur* c : {space_.nowCurseur(), space_.searchCurseur()})
        deskmodel::relancer(c);
    front_.displayAllInspectView();
    setCleanButtonState(0);
    if (ZEVChannelViewerServices* channels = space_.channelViewerServices())
        channels->userDidCleanAndReplace();
    stopSpaceEventMonitor();
}

void ZEVFrontTransitions::cleanAllStage(int stage, std::shared_ptr<ZEVSpaceTransition> t)
{
    auto next = [this, t](int s, double delay) {
        if (delay <= 0)
            cleanAllStage(s, t);
        else
            Scheduler::shared().perform(&front_, stageName(s), delay, [this, t, s] { cleanAllStage(s, t); });
    };
    KELICurseur* now = space_.nowCurseur();
    KELICurseur* search = space_.searchCurseur();
    ZEVRulerViewerServices* ruler = space_.rulerViewer();
    if (!now || !ruler) {
        if (t->done)
            std::exchange(t->done, nullptr)(false);
        stopSpaceEventMonitor();
        return;
    }
    switch (stage) {
    case 0: {
        int closed = 0;
        closePanels(false, &closed);
        next(1, closed > 0 ? D::kPanelsClosed : 0);
        return;
    }
    case 1: {
        t->T = now->now();
        if (t->kind == K::NewSpace)
            if (KELICurseur* a = space_.actifCurseur())
                t->T = a->now();
        // The start kinds store only the Channel's listing: without it they still take the
        // window home.
        if (!storeTransition(*t) && !t->starts()) {
            abandon(*t);
            return;
        }
        if (t->kind == K::NewSpace || space_.actifCurseur() != search) {
            next(2, 0);
        } else {
            ruler->userChangeActifCurseur(now);
            next(2, D::kCursorSwitch);
        }
        return;
    }
    case 2: {
        KELICurseur* a = space_.actifCurseur();
        // The Search cursor's time window closes to its date.
        if (search && ruler->siAccepteDeplacement()) {
            ruler->setCurseurEnDeplacement(search);
            if (ruler->userInitieDeplacementCurseur()) {
                ruler->userPlaceContexteInToZero();
                ruler->userPlaceContexteOutToZero();
                ruler->userTermineDeplacementCurseur();
            }
            ruler->setCurseurEnDeplacement(a);
        }
        ZEVStampServices* presets = ruler->stampClass();
        if (presets && presets->stateOfNowPresetWithStampInt(kHomeStamp) != 1) {
            front_.menuHomeTime();
            next(3, D::kHomeTime);
        } else {
            next(3, 0);
        }
        return;
    }
    case 3:
        if (front_.currentFrontMode() == ZEVFrontModeIcons) {
            next(4, 0);
        } else {
            front_.modeSwitch(ZEVFrontModeIcons, false);
            next(4, D::kModeSwitch);
        }
        return;
    case 4: {
        double wait = D::kDeselect;
        UserDefaultsController* d = front_.headers() ? front_.headers()->defaults() : nullptr;
        if (d && d->values(QStringLiteral("ZEVShowTracks")).toBool() && front_.selectionView())
            wait += std::max(0.0, front_.selectionView()->height() - front_.headerLayout().toolbarHeight()) / 200.0;
        ZEVSelections& sel = space_.selections();
        sel.deselectAllNodes();
        sel.deselectAllFilters();
        sel.deselectAllTitles();
        sel.deselectAllIcons();
        next(5, wait);
        return;
    }
    case 5:
        setCleanButtonState(0);
        if (ZEVChannelViewerServices* channels = space_.channelViewerServices())
            channels->userDidCleanAndReplace();
        if (t->endsAtStage5()) {
            stopSpaceEventMonitor();
            return;
        }
        if (front_.siAllHeaderViewsClosed()) {
            next(6, 0);
        } else {
            front_.closeAllHeaderViews();
            next(6, front_.headerLayout().duration() + D::kAfterHeaders);
        }
        return;
    case 6:
        if (t->starts()) {
            if (space_.displayOptions().siShowLinks())
                if (UserDefaultsController* d = front_.headers() ? front_.headers()->defaults() : nullptr) {
                    d->setValue(QStringLiteral("ZEVShowLinksForAllIcons"), false);
                    d->setValue(QStringLiteral("ZEVShowLinksForSelectedIcons"), false);
                }
            if (t->kind == K::StartHome && space_.currentChannelInt() != space_.homeChannelInt())
                if (ZEVChannelClassServices* channels = space_.channelClass())
                    channels->selectChannelInt(space_.homeChannelInt());
            closePanels(true, nullptr);
            if (search && ruler->siAccepteDeplacement()) {
                ruler->setCurseurEnDeplacement(search);
                if (ruler->userInitieDeplacementCurseur()) {
                    ruler->userPlaceCurseurToDate(now->now());
                    ruler->userTermineDeplacementCurseur();
                }
                ruler->setCurseurEnDeplacement(now);
            }
            if (t->kind == K::StartHome)
                front_.hidePointer();
            stopSpaceEventMonitor();
        } else {
            stopSpaceEventMonitor();
        }
        return;
    default:
        stopSpaceEventMonitor();
        return;
    }
}

} // namespace tallomer
