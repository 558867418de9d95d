#include "front/ZEVFrontStepBack.h"

#include "front/ZEVFrontViewer.h"

#include "desk/viewer/ZEVDeskViewer.h"
#include "engine/KELICurseur.h"
#include "inspectors/base/ZEVInspectView.h"
#include "inspectors/base/ZEVInspectViewer.h"
#include "inspectors/channels/ZEVChannelTableView.h"
#include "inspectors/channels/ZEVChannelViewer.h"
#include "services/ZEVInspectorServices.h"
#include "objects/view/ZEVItemView.h"
#include "runtime/Scheduler.h"
#include "space/ZEVSelections.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceWindow.h"

#include <QApplication>

namespace tallomer {

namespace {

constexpr KELId kHomeStamp = 2000009;

bool isChannels(ZEVInspectViewer* iv) { return dynamic_cast<ZEVChannelViewer*>(iv) != nullptr; }

ZEVLegoSource* tableOf(ZEVInspectViewer* iv)
{
    ZEVInspectView* panel = iv ? iv->inspectViewIfBuilt() : nullptr;
    return panel ? panel->inspectTableView() : nullptr;
}

} // namespace

ZEVFrontStepBack::ZEVFrontStepBack(ZEVFrontViewer& front, ZEVSpaceController& space)
    : front_(front), space_(space), currentEvent_(std::make_unique<ZEVCurrentEventRecorder>())
{
    rememberTableLeftForDesk();
}

ZEVFrontStepBack::~ZEVFrontStepBack() { QObject::disconnect(focusWatch_); }

const ZEVCurrentEvent& ZEVFrontStepBack::currentEvent() const
{
    static const ZEVCurrentEvent none;
    return currentEvent_ ? currentEvent_->event() : none;
}

void ZEVFrontStepBack::hidePointer()
{
    if (currentEvent_)
        currentEvent_->hidePointer();
}

void ZEVFrontStepBack::rememberTableLeftForDesk()
{
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app)
        return;
    // A list keeps its presence interval selected after the desk takes the keyboard from it (a
    // click on the desk, a step back): the next step back clears it there.
    focusWatch_ = QObject::connect(app, &QApplication::focusChanged, &front_, [this](QWidget* old, QWidget* now) {
        ZEVSpaceWindow* w = space_.spaceWindow();
        if (!w || !w->spaceView() || !now || now != w->spaceView()->deskCanvas())
            return;
        if (auto* table = dynamic_cast<ZEVTableView*>(old); table && w->isAncestorOf(table))
            firstResponderWasOnTableView_ = table;
    });
}

void ZEVFrontStepBack::userStepBack()
{
    const ZEVCurrentEvent e = currentEvent();
    ZEVSpaceWindow* w = space_.spaceWindow();
    ZEVRulerViewerServices* ruler = space_.rulerViewer();
    ZEVSelections& sel = space_.selections();
    KELICurseur* now = space_.nowCurseur();
    KELICurseur* search = space_.searchCurseur();
    const bool nowActif = space_.actifCurseur() == now;
    auto focusDesk = [&] {
        if (w && w->spaceView() && w->spaceView()->deskCanvas())
            w->spaceView()->deskCanvas()->setFocus(Qt::OtherFocusReason);
    };

    // 1. Return or Delete; in a text field they were the field's.
    if (e.keyDown && (e.keyCode == kKeyReturn || e.keyCode == kKeyDelete)) {
        if (!e.inTextField)
            stepBackKey();
        return;
    }
    // 2. An in-place rename in the Channels list.
    if (auto* channels = dynamic_cast<ZEVChannelViewer*>(space_.channelViewer()))
        if (channels->menuInspectCancelRename())
            return;
    // 3. The Escape that ended a preset's name edit, or the click that ended an Object's title edit.
    if (front_.headers() && front_.headers()->siPresetJustEdited())
        return;
    if (sel.isTitleJustEdited())
        return;
    // 4. The selection list's search field: a click only closes it; a key goes on and closes it.
    if (front_.siSearchingField()) {
        front_.setSiSearchingField(false);
        if (!e.keyDown)
            return;
    }
    // 5. A drag session.
    if (space_.siDraggingSession()) {
        space_.cancelDraggingSession();
        return;
    }
    // 6. Ctrl held: the cursors swap.
    if (e.modifiers.testFlag(Qt::ControlModifier)) {
        if (ruler && ruler->siAccepteDeplacement() && now && search)
            ruler->userChangeActifCurseur(nowActif ? search : now);
        return;
    }
    // 7. Ruler mode: the active cursor's button.
    if (front_.headers() && front_.headers()->stateOfRulerButton()) {
        if (nowActif)
            front_.headers()->menuNowCurseur();
        else
            front_.headers()->menuSearchCurseur();
        return;
    }
    // 8. Quick Look.
    if (front_.siShowQLPanel()) {
        if (w)
            w->orderOutPreviewPanel();
        return;
    }
    // 9. The frontmost panel's type-select field.
    const std::vector<ZEVInspectViewer*> panels = front_.frontPanelViewers();
    if (!panels.empty())
        if (ZEVLegoSource* t = tableOf(panels.front()); t && t->hideSearchField())
            return;
    // 10. The selection list's type-select field.
    if (ZEVTableView* list = front_.selectionTableView(); list && list->hideSearchField()) {
        focusDesk();
        firstResponderWasOnTableView_.clear();
        return;
    }
    // 11. Object views blinking for a restore of their place.
    if (ZEVDeskViewer* dv = space_.deskViewerForCurseur(space_.actifCurseur())) {
        bool blinking = false;
        const std::vector<ZEVItemViewForDesks*> views = dv->itemViewSet();
        for (ZEVItemViewForDesks* d : views) {
            auto* v = dynamic_cast<ZEVItemView*>(d);
            if (!v)
                continue;
            if (v->siRetablirItemView()) {
                blinking = true;
                Scheduler::shared().cancel(v->cible(), "retablirItemView");
                v->annuleRetablirItemViewAmation();
                v->stopRetablirItemViewAmation();
                v->itemViewAccepteMaj();
                v->update();
                dv->majItemView(v);
            }
            if (v->item() && v->item()->channelInt() == front_.currentChannelInt())
                v->updateImage();
        }
        if (blinking)
            return;
    }
    // 12. A list with the keyboard focus.
    if (auto* table = dynamic_cast<ZEVTableView*>(w ? w->focusWidget() : nullptr)) {
        table->deselectLego();
        focusDesk();
        firstResponderWasOnTableView_.clear();
        return;
    }
    // 13. The list the desk took the keyboard from: the Channels list keeps its row (the Space's
    //     Channel); another list loses its interval unless the Channels panel is in front.
    if (ZEVTableView* remembered = firstResponderWasOnTableView_.data()) {
        firstResponderWasOnTableView_.clear();
        if (dynamic_cast<ZEVChannelTableView*>(remembered))
            return;
        if (panels.empty() || !isChannels(panels.front())) {
            remembered->deselectLego();
            return;
        }
    }
    // 14. The selection list's interval.
    if (ZEVTableView* list = front_.selectionTableView(); list && list->selectedLego()) {
        list->deselectLego();
        return;
    }
    // 15. Filters.
    if (!sel.selectedFilterItems().empty()) {
        sel.deselectAllFilters();
        space_.addToHistory();
        return;
    }
    // 16. The Home Time.
    if (nowActif && front_.headers() && !front_.headers()->siGoingToHome()) {
        ZEVStampServices* presets = ruler ? ruler->stampClass() : nullptr;
        if (presets && presets->stateOfNowPresetWithStampInt(kHomeStamp) != 1) {
            // The way Home is only worth watching on the time line or beside the Channels list.
            ZEVContextViewerServices* ctx = space_.contextViewer();
            front_.menuHomeTime(front_.siTlineOpened() ||
                                (ctx && ctx->isShowedEntityWithInt(ZEVFrontViewer::kChannelsEntity)));
            return;
        }
    }
    // 17. The selections, by front mode.
    const bool quasimode = front_.temporaryFrontMode() != ZEVFrontModeNone;
    const bool links = !sel.selectedNodeItemSet().empty() || front_.nbOfLinks() > 0;
    const bool titles = !sel.selectedTitleItems().empty();
    switch (front_.currentFrontMode()) {
    case ZEVFrontModeIcons:
        if (!sel.selectedIconItems().empty()) {
            if (!sel.reselectAllIcons()) {
                sel.deselectAllIcons();
                space_.addToHistory();
            }
            space_.majWindowTitle();
            return;
        }
        if (quasimode)
            return;
        if (links) {
            front_.menuModeLink();
            return;
        }
        if (titles) {
            front_.menuModeTitle();
            return;
        }
        break;
    case ZEVFrontModeTitles:
        if (titles) {
            if (!sel.reselectAllTitles()) {
                sel.deselectAllTitles();
                space_.addToHistory();
            }
            return;
        }
        if (quasimode)
            return;
        links ? front_.menuModeLink() : front_.menuModeIcon();
        return;
    case ZEVFrontModeFilters:
        if (!sel.selectedIconItems().empty()) {
            if (!sel.reselectAllIcons())
                sel.deselectAllIcons();
            return;
        }
        switch (front_.frontModeAfterFilterMode()) {
        case ZEVFrontModeIcons: front_.menuModeIcon(); break;
        case ZEVFrontModeTitles: front_.menuModeTitle(); break;
        case ZEVFrontModeLinks: front_.menuModeLink(); break;
        default: break;
        }
        return;
    case ZEVFrontModeLinks:
        if (links) {
            if (!sel.reselectAllNodes()) {
                sel.deselectAllNodes();
                space_.addToHistory();
            }
            return;
        }
        titles ? front_.menuModeTitle() : front_.menuModeIcon();
        return;
    default:
        return;
    }
    // 18. The cursors and the time line's shown range.
    if (KELIContexte* c = space_.tlContexte(); c && ruler && now && search) {
        const auto inRange = [&](KELICurseur* x) { return x->now() >= c->nowIn() && x->now() <= c->nowOut(); };
        const auto recentre = [&](KELICurseur* x) {
            if (!ruler->siAccepteDeplacement())
                return;
            const double d = x->now() - (c->nowIn() + c->nowOut()) / 2.0;
            ruler->userPlaceRulerOffsetIn(d, d);
            ruler->displayRuler();
        };
        if (!nowActif) {
            if (inRange(search))
                ruler->userChangeActifCurseur(now);
            else
                recentre(search);
            return;
        }
        if (!inRange(now)) {
            recentre(now);
            return;
        }
    }
    // 19. The header views.
    if (front_.siHeaderViewOpen()) {
        front_.closeAllHeaderViews();
        return;
    }
    // 20. Inspector panels other than the Channels one.
    if (siCloseViewer())
        return;
    // 21. Link lines.
    if (space_.displayOptions().siShowLinks()) {
        if (UserDefaultsController* d = front_.headers() ? front_.headers()->defaults() : nullptr) {
            d->setValue(QStringLiteral("ZEVShowLinksForAllIcons"), false);
            d->setValue(QStringLiteral("ZEVShowLinksForSelectedIcons"), false);
        }
        return;
    }
    // 22. The Channels panel, last of the panels.
    if (!panels.empty()) {
        panels.front()->buttonInspectCancel();
        return;
    }
    // 23. The last step, by the event.
    if (!e.keyDown) {
        front_.setSiCleanAll(true);
        if (!cmdTab())
            if (ZEVContextViewerServices* ctx = space_.contextViewer())
                ctx->userSelectButton(ZEVFrontViewer::kChannelsEntity);
    } else if (e.keyCode == kKeyEscape) {
        if (front_.siFullWindow())
            front_.userToggleFullScreen();
        if (space_.currentChannelInt() == space_.homeChannelInt())
            hidePointer();
        else if (ZEVChannelClassServices* channels = space_.channelClass())
            channels->selectChannelInt(space_.homeChannelInt());
    }
    space_.majWindowTitle();
}

void ZEVFrontStepBack::stepBackKey()
{
    ZEVSelections& sel = space_.selections();
    switch (front_.currentFrontMode()) {
    case ZEVFrontModeIcons:
        if (!sel.selectedIconItems().empty()) {
            sel.deselectAllIcons();
            space_.majWindowTitle();
            return;
        }
        break;
    case ZEVFrontModeTitles:
        if (!sel.selectedTitleItems().empty()) {
            sel.deselectAllTitles();
            return;
        }
        break;
    case ZEVFrontModeFilters:
        if (!sel.selectedFilterItems().empty()) {
            sel.deselectAllFilters();
            return;
        }
        break;
    case ZEVFrontModeLinks:
        if (!sel.selectedNodeItemSet().empty() || front_.nbOfLinks() > 0) {
            sel.deselectAllNodes();
            return;
        }
        break;
    default:
        break;
    }
    ZEVRulerViewerServices* ruler = space_.rulerViewer();
    KELICurseur* now = space_.nowCurseur();
    if (!ruler || !now)
        return;
    if (space_.actifCurseur() != now) {
        ruler->userChangeActifCurseur(now);
        return;
    }
    KELIContexte* c = space_.tlContexte();
    if (c && now->now() >= c->nowIn() && now->now() <= c->nowOut()) {
        ZEVStampServices* presets = ruler->stampClass();
        if (front_.headers() && !front_.headers()->siGoingToHome() && presets && presets->stateOfNowPresetWithStampInt(kHomeStamp) != 1) {
            front_.menuHomeTime();
            return;
        }
        if (!sel.selectedFilterItems().empty()) {
            sel.deselectAllFilters();
            return;
        }
        if (!front_.siHeaderViewOpen()) {
            if (ZEVContextViewerServices* ctx = space_.contextViewer())
                ctx->userSelectButton(ZEVFrontViewer::kChannelsEntity);
            return;
        }
        front_.closeAllHeaderViews();
        return;
    }
    if (c && ruler->siAccepteDeplacement()) {
        const double d = now->now() - (c->nowIn() + c->nowOut()) / 2.0;
        ruler->userPlaceRulerOffsetIn(d, d);
        ruler->displayRuler();
    }
}

bool ZEVFrontStepBack::siCloseViewer()
{
    const std::vector<ZEVInspectViewer*> panels = front_.frontPanelViewers();
    for (std::size_t i = 0; i < panels.size(); ++i) {
        ZEVInspectViewer* iv = panels[i];
        if (isChannels(iv))
            continue;
        if (i == 0) {
            iv->buttonInspectCancel();
        } else {
            // Behind a Channels panel: it comes to the front with the keyboard in its table.
            iv->actionMakeFront();
            if (ZEVInspectView* p = iv->inspectViewIfBuilt())
                if (QWidget* t = p->inspectTableView())
                    t->setFocus(Qt::OtherFocusReason);
        }
        return true;
    }
    return false;
}

bool ZEVFrontStepBack::cmdTab()
{
    UserDefaultsController* d = front_.headers() ? front_.headers()->defaults() : nullptr;
    if (!d || !d->values(QStringLiteral("ZEVStepBackShowApps")).toBool())
        return false;
    // There is no system switcher to call up: the window steps aside so that the others show.
    if (ZEVSpaceWindow* w = space_.spaceWindow())
        w->showMinimized();
    return true;
}

} // namespace tallomer
