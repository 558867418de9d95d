// The front viewer's header views: the Qt edge of its header layout (frames converted once, and
// animated as one group by its header animation), the requests of the rest of the program, the toolbar's
// and the split bar's handle, and the user defaults that keep each view open.

#include "front/ZEVFrontViewer.h"

#include "desk/viewer/ZEVDeskViewer.h"
#include "front/ZEVFrontSelectionView.h"
#include "front/ZEVFrontToolButtons.h"
#include "front/ZEVFrontView.h"
#include "front/ZEVTracksHandle.h"
#include "inspectors/ZEVFrontClass.h"
#include "services/ZEVInspectorServices.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "platform/sound/Sound.h"
#include "runtime/Log.h"
#include "space/ZEVSelections.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceWindow.h"
#include "widgets/ZEVButton.h"

#include <QCursor>
#include <QGraphicsItem>
#include <QWheelEvent>

#include <cmath>

namespace tallomer {

namespace {

constexpr const char* kKeys[4] = {"ZEVShowZevMenu", "ZEVShowRuler", "ZEVShowTracks", "ZEVShowToolbar"};
constexpr char kHideRulerWhenSearch[] = "ZEVHideRulerWhenSearch";
constexpr char kShowMacMenu[] = "ZEVShowMacMenu";
constexpr char kHideMenubar[] = "_hideMenubar";

// What activateTallomer: saved, once for the whole program.
struct Activation {
    bool active = false;
    std::array<bool, 4> opened{};
};
Activation gActivation;

QRect toQt(const QRectF& yUp, double parentHeight)
{
    return QRectF(yUp.x(), parentHeight - yUp.y() - yUp.height(), yUp.width(), yUp.height()).toRect();
}

} // namespace

QWidget* ZEVFrontViewer::contentView() const
{
    ZEVSpaceWindow* w = space_.spaceWindow();
    return w ? w->spaceView() : nullptr;
}

void ZEVFrontViewer::buildHeaderStack()
{
    if (!selectionView_)
        return;
    toolbar_ = new ZEVFrontToolbar(selectionView_, *this);
    // Shown while a search is typed, as the type-select of the list shown.
    toolbar_->searchField()->hide();
    attachSearchField();
    splitbar_ = new ZEVFrontSplitbar(selectionView_, *this);
    connectActionButtons();
    tools_ = std::make_unique<ZEVFrontToolButtons>(*this, space_, headers_.get());
    tools_->wire(toolbar_);
    toolbar_->adoptModeButtons({modeButtons_[0].data(), modeButtons_[1].data(), modeButtons_[2].data(),
                                modeButtons_[3].data()});
    for (ZEVTableView* t : {itemList_.data(), linkList_.data()})
        if (t)
            t->setParent(selectionView_);
    if (ZEVTableView* t = selectionTableView())
        t->show();
    for (int i = 0; i < 2; ++i) {
        auto* f = new QLabel(selectionView_);
        f->setObjectName(i == 0 ? QStringLiteral("upDownLeft") : QStringLiteral("upDownRight"));
        f->hide();
        rowFields_[i] = f;
    }
    // The selection view lies just under the time line.
    if (headers_)
        if (QWidget* tline = headers_->tlineWidget())
            selectionView_->stackUnder(tline);
    selectionView_->hide();
}

void ZEVFrontViewer::observeHeaderKeys()
{
    defaults_ = headers_ ? headers_->defaults() : nullptr;
    if (defaults_) {
        for (int v = 0; v < 4; ++v) {
            prefs_[v] = defaults_->values(QString::fromLatin1(kKeys[v])).toBool();
            tokens_.push_back(defaults_->observe(QString::fromLatin1(kKeys[v]), [this, v](const QString&, const QVariant& value) {
                const bool on = value.toBool();
                prefs_[v] = on;
                if (v == 2)
                    layout_->setTracksPref(on);
                std::array<int, 4> r{-1, -1, -1, -1};
                r[v] = on ? 1 : 0;
                layout_->request(r[0], r[1], r[2], r[3]);
            }));
        }
    }
    layout_->setTracksPref(prefs_[2]);
    if (defaults_) {
        tokens_.push_back(defaults_->observe(QString::fromLatin1(kShowMacMenu), [this](const QString&, const QVariant& value) {
            showMacMenuDidChange(value.toBool());
        }));
        // The bar shows as the window first does (the window keeps the wish until the bar comes).
        if (ZEVSpaceWindow* w = space_.spaceWindow())
            w->setMenuBarShown(defaults_->values(QString::fromLatin1(kShowMacMenu)).toBool());
        fullScreenStateDidChange();
    }
    // The window shows first with the views the user keeps open.
    layout_->placeInitially(prefs_[0], prefs_[1], prefs_[2], prefs_[3]);
    // The pointer limit starts from the views shown.
    space_.setMouseLimitInside();
    updateViewbarModes();
    updateNbOfItems();
    updateBtnImagesSiRecall(space_.actifCurseur() == space_.nowCurseur());
}

// ---------------------------------------------------------------------------------------------
// The layout's host

QSizeF ZEVFrontViewer::deskSize()
{
    QWidget* c = contentView();
    return c ? QSizeF(c->size()) : QSizeF();
}

std::int64_t ZEVFrontViewer::currentNbOfRowsShown() const
{
    ZEVTableView* t = selectionTableView();
    return countForMode(t ? t->defaultFrontMode() : currentFrontMode_);
}

void ZEVFrontViewer::applyFrames(const ZEVHeaderFrames& f)
{
    QWidget* c = contentView();
    if (!c)
        return;
    const double H = c->height();
    if (headers_) {
        if (QWidget* b = headers_->timebarWidget())
            b->setGeometry(toQt(f.timebar, H));
        if (QWidget* l = headers_->tlineWidget())
            l->setGeometry(toQt(f.tline, H));
    }
    if (selectionView_) {
        selectionView_->setGeometry(toQt(f.selection, H));
        const double sh = f.selection.height();
        if (toolbar_)
            toolbar_->setFrame(toQt(f.toolbar, sh));
        if (splitbar_)
            splitbar_->setGeometry(toQt(f.toolbar, sh));
        for (ZEVTableView* t : {itemList_.data(), linkList_.data()})
            if (t)
                t->setGeometry(toQt(f.tracks, sh));
    }
    if (frontView_)
        frontView_->display();
}

void ZEVFrontViewer::animateFrames(const ZEVHeaderFrames& from, const ZEVHeaderFrames& to, double duration)
{
    animation_->animate(from, to, duration);
}

void ZEVFrontViewer::setViewVisible(ZEVHeaderView view, bool visible)
{
    QWidget* w = nullptr;
    switch (view) {
    case ZEVHeaderView::Timebar:
        w = headers_ ? headers_->timebarWidget() : nullptr;
        break;
    case ZEVHeaderView::Tline:
        w = headers_ ? headers_->tlineWidget() : nullptr;
        break;
    default:
        w = selectionView_.data();
        break;
    }
    if (!w || w->isVisible() == visible)
        return;
    w->setVisible(visible);
    // The time bar lies over the time line, which lies over the selection view.
    if (visible && headers_) {
        if (QWidget* l = headers_->tlineWidget())
            l->raise();
        if (QWidget* b = headers_->timebarWidget())
            b->raise();
    }
}

void ZEVFrontViewer::setSplitbarInPlace(bool splitbar)
{
    if (toolbar_)
        toolbar_->setVisible(!splitbar);
    if (splitbar_)
        splitbar_->setVisible(splitbar);
    if (!splitbar && toolbar_)
        toolbar_->raise();
}

void ZEVFrontViewer::beep() { Sound::shared().beep(); }
void ZEVFrontViewer::logLine(const std::string& line) { tallomer::logLine(line); }
void ZEVFrontViewer::resetMouseLimit() { space_.resetMouseLimit(); }

void ZEVFrontViewer::majTrackingArea()
{
    ZEVTableView* t = selectionTableView();
    if (!t || !t->isVisible())
        return;
    const QPoint p = t->mapFromGlobal(QCursor::pos());
    t->mouseMovedAtPoint(t->rect().contains(p) ? QPointF(p) : QPointF(-10, -10));
    t->viewport()->update();
}

void ZEVFrontViewer::updateViewbarModes()
{
    const std::int64_t counts[4] = {nbOfIcons_, nbOfTitles_, nbOfFilters_, nbOfLinks_};
    for (int m = 0; m < 4; ++m) {
        ZEVButton* b = modeButtons_[m];
        if (!b)
            continue;
        // A count; "0" for the mode in force or held (and for Icons during a lasso); else nothing.
        const bool zero = m == currentFrontMode_ || m == previousFrontMode_ || (m == ZEVFrontModeIcons && siLasso_);
        b->setText(counts[m] != 0 ? QString::number(counts[m]) : zero ? QStringLiteral("0") : QString());
    }
}

void ZEVFrontViewer::majWindowTitle() { space_.majWindowTitle(); }

void ZEVFrontViewer::reloadSelectionList()
{
    majSelectionLists();
    displaySelectionView();
}

void ZEVFrontViewer::headerViewsHeightDidChange(double duration)
{
    for (ZEVEntityViewer* v : space_.entityViewerSet())
        v->headerViewsHeightDidChange(duration);
}

void ZEVFrontViewer::clearIconModeTitle()
{
    if (ZEVButton* b = modeButtons_[ZEVFrontModeIcons])
        b->setText(QString());
}

// ---------------------------------------------------------------------------------------------
// Requests

bool ZEVFrontViewer::siHeaderViewsOpening()
{
    for (int v = 0; v < 4; ++v)
        if (layout_->flags(ZEVHeaderView(v)).opening)
            return true;
    return false;
}

bool ZEVFrontViewer::siHeaderViewsClosed()
{
    return siTimebarClosed() && siTlineClosed() && layout_->tracksHeight() == 0 && siToolbarClosed();
}

bool ZEVFrontViewer::siAllHeaderViewsClosed()
{
    return siTimebarClosed() && siTlineClosed() && (siTracksClosed() || layout_->tracksHeight() == 0) &&
           siToolbarClosed();
}

void ZEVFrontViewer::openTlineAndTracks(bool siFocus)
{
    if (siFocus) {
        layout_->request(-1, 1, 1, -1);
        return;
    }
    if (ZEVSpaceWindow* w = space_.spaceWindow())
        w->spaceView()->deskCanvas()->setFocus(Qt::OtherFocusReason);
    ZEVChannelViewerServices* channels = space_.channelViewerServices();
    const bool channelOpen = channels && channels->channelViewIfOpen();
    layout_->request(-1, channelOpen ? -1 : 1, 1, -1);
}

void ZEVFrontViewer::closeTlineAndTracks()
{
    // The keyboard goes back to the desk, to the last Object view the mode shows.
    ZEVItemViewer* items = space_.itemViewerForCurseur(space_.actifCurseur());
    const std::vector<ZEVItemViewForDesks*> views =
        items ? items->visibleItemViewsForMode(currentFrontMode_) : std::vector<ZEVItemViewForDesks*>();
    if (!views.empty())
        if (QGraphicsItem* g = views.back()->graphicsItem()) {
            if (ZEVSpaceWindow* w = space_.spaceWindow())
                w->spaceView()->deskCanvas()->setFocus(Qt::OtherFocusReason);
            g->setFocus(Qt::OtherFocusReason);
        }
    layout_->request(-1, 0, 0, -1);
}

void ZEVFrontViewer::setSiShowCalandar(bool shown)
{
    siShowCalandar_ = shown;
    if (toolbar_)
        if (ZEVButton* b = toolbar_->button(QStringLiteral("btnCalandarPanel")))
            b->setState(shown ? 1 : 0);
}

void ZEVFrontViewer::toggle(int view)
{
    const bool open = layout_->flags(ZEVHeaderView(view)).closed;
    std::array<int, 4> r{-1, -1, -1, -1};
    r[view] = open ? 1 : 0;
    // The user's choice is kept in its default, whose observer makes the request; when the
    // default says so already (the pointer opened or closed the view), the request is made here.
    if (defaults_ && prefs_[view] != open && !layout_->anyMoving()) {
        defaults_->setValue(QString::fromLatin1(kKeys[view]), open);
        return;
    }
    layout_->request(r[0], r[1], r[2], r[3]);
}

void ZEVFrontViewer::userToggleTimebar() { toggle(0); }
void ZEVFrontViewer::userToggleTline() { toggle(1); }
void ZEVFrontViewer::userToggleTracks() { toggle(2); }
void ZEVFrontViewer::userToggleToolbar() { toggle(3); }

void ZEVFrontViewer::userShowTracks()
{
    layout_->clearTracksUpdating();
    layout_->request(-1, 1, 1, -1);
}

void ZEVFrontViewer::mouseLimitInside()
{
    layout_->request(1, 1, 1, 1);
    space_.setMouseLimitOutside();
}

void ZEVFrontViewer::mouseLimitOutside()
{
    layout_->request(prefs_[0] ? -1 : 0, prefs_[1] ? -1 : 0, prefs_[2] ? -1 : 0, prefs_[3] ? -1 : 0);
    space_.setMouseLimitInside();
}

void ZEVFrontViewer::activateTallomer(bool on)
{
    if (on && !gActivation.active)
        for (int v = 0; v < 4; ++v)
            gActivation.opened[v] = !layout_->flags(ZEVHeaderView(v)).closed;
    if (on) {
        layout_->request(1, 1, 1, 1);
    } else if (gActivation.active) {
        const auto& o = gActivation.opened;
        layout_->request(o[0] ? -1 : 0, o[1] ? -1 : 0, o[2] ? -1 : 0, o[3] ? -1 : 0);
    }
    gActivation.active = on;
}

void ZEVFrontViewer::forgetDraggingLego()
{
    if (ZEVTableView* t = selectionTableView()) {
        t->setDraggingLego(nullptr);
        t->viewport()->update();
    }
}

bool ZEVFrontViewer::siSelectedFilterItems() { return !space_.selections().selectedFilterItems().empty(); }

void ZEVFrontViewer::draggingSessionDidStop()
{
    forgetDraggingLego();
    Scheduler& s = Scheduler::shared();
    s.cancel(this, "activateTallomerStop");
    s.perform(this, "activateTallomerStop", layout_->duration() + 0.1, [this] { activateTallomer(false); });
}

void ZEVFrontViewer::searchingWillStart()
{
    layout_->request(-1, 1, 1, -1);
    siSearchingWillStart_ = true;
    siSearchingField_ = false;
}

void ZEVFrontViewer::searchingDidFinish()
{
    if (!siSearchingWillStart_ && !siSearchingToolbar_) {
        siSearchingToolbar_ = true;
        layout_->request(-1, -1, -1, 0);
    }
    siSearchingWillStart_ = false;
    for (int m : {ZEVFrontModeTitles, ZEVFrontModeLinks, ZEVFrontModeFilters})
        if (ZEVButton* b = modeButtons_[m])
            b->setHidden(false);
    if (ZEVSpaceWindow* w = space_.spaceWindow())
        w->spaceView()->deskCanvas()->setFocus(Qt::OtherFocusReason);
}

void ZEVFrontViewer::terminerDeplacementCurseur()
{
    Scheduler::shared().cancel(this, "setGotoOff");
    Scheduler::shared().perform(this, "setGotoOff", 0.1, [this] {
        if (ZEVButton* home = toolbar_ ? toolbar_->button(QStringLiteral("btnDeskHome")) : nullptr; home && home->state() == 1)
            home->setState(0);
        setGotoOff();
        if (ZEVChannelViewerServices* channels = space_.channelViewerServices())
            channels->setGotoOff();
    });
    for (ZEVEntityViewer* v : space_.entityViewerSet())
        v->terminerDeplacementCurseur();
}

void ZEVFrontViewer::initierDeplacementCurseur()
{
    if (headers_)
        headers_->clearGoingToHome();
    if (space_.actifCurseur() != space_.searchCurseur() || !siTlineClosed() || !prefs_[1])
        return;
    ZEVChannelViewerServices* channels = space_.channelViewerServices();
    if (channels && channels->channelViewIfOpen())
        return;
    if (defaults_ && defaults_->values(QString::fromLatin1(kHideRulerWhenSearch)).toBool())
        return;
    layout_->request(-1, 1, 1, -1);
}

bool ZEVFrontViewer::siNbOfRows()
{
    const ZEVHeaderFlags& t = layout_->flags(ZEVHeaderView::Tracks);
    return (t.opened || t.opening || layout_->siTracksUpdating()) && currentNbOfRowsShown() > 0;
}

void ZEVFrontViewer::displaySelectionView()
{
    if (ZEVTableView* t = selectionTableView())
        t->viewport()->update();
    if (selectionView_)
        selectionView_->update();
}

void ZEVFrontViewer::setUpDownImages(bool shown)
{
    upDown_ = shown;
    if (splitbar_)
        splitbar_->setUpDown(shown);
}

bool ZEVFrontViewer::siFullScreen()
{
    ZEVSpaceWindow* w = space_.spaceWindow();
    return w && w->siFullScreen();
}

void ZEVFrontViewer::setSiFullScreen(bool fullScreen)
{
    if (layout_->anyMoving() || layout_->siTracksUpdating()) {
        Sound::shared().beep();
        return;
    }
    ZEVSpaceWindow* w = space_.spaceWindow();
    if (!w || w->siFullScreen() == fullScreen)
        return;
    if (fullScreen) {
        w->raise();
        w->activateWindow();
    }
    // The window form always comes with the menu bar. Shown while the window still covers the
    // screen, the bar takes no room of it: the manager then gives back the frame the window had,
    // bar included.
    if (!fullScreen && defaults_ && !siShowMenubar())
        defaults_->setValue(QString::fromLatin1(kShowMacMenu), true);
    // The window's change of state moves the stack by the bar (fullScreenStateDidChange).
    w->setSiFullScreen(fullScreen);
    space_.majWindowTitle();
}

bool ZEVFrontViewer::siShowMenubar()
{
    return defaults_ ? defaults_->values(QString::fromLatin1(kShowMacMenu)).toBool() : true;
}

bool ZEVFrontViewer::siHeaderViewOpen() const
{
    return layout_->flags(ZEVHeaderView::Timebar).opened || layout_->flags(ZEVHeaderView::Tline).opened ||
           layout_->flags(ZEVHeaderView::Toolbar).opened || layout_->tracksHeight() > 0;
}

void ZEVFrontViewer::fullScreenStateDidChange()
{
    ZEVSpaceWindow* w = space_.spaceWindow();
    if (!w)
        return;
    Scheduler::shared().cancel(this, kHideMenubar);
    // Entering, the stack slides down under the bar when a view shows; leaving, the bar goes above
    // the content and the stack takes back exactly what it gave.
    const double height = w->menuBarOverContentHeight();
    layout_->setMenubarHeight(height, height > 0 && siHeaderViewOpen() ? kMenubarSlide : 0);
}

void ZEVFrontViewer::showMacMenuDidChange(bool shown)
{
    ZEVSpaceWindow* w = space_.spaceWindow();
    if (!w)
        return;
    Scheduler& s = Scheduler::shared();
    s.cancel(this, kHideMenubar);
    const double slide = siHeaderViewOpen() ? kMenubarSlide : 0;
    if (shown) {
        w->setMenuBarShown(true);
        // Over a full-screen window the bar covers the stack's top: the stack makes room for
        // the bar's own height, whatever it is.
        layout_->setMenubarHeight(w->menuBarOverContentHeight(), slide);
        return;
    }
    if (!siFullScreen()) {
        hideMenubar();
        return;
    }
    // The stack takes back the stored height, then the bar goes once the slide is over.
    layout_->setMenubarHeight(0, slide);
    if (slide > 0)
        s.perform(this, kHideMenubar, slide, [this] { hideMenubar(); });
    else
        hideMenubar();
}

void ZEVFrontViewer::hideMenubar()
{
    layout_->setMenubarHeight(0);
    if (ZEVSpaceWindow* w = space_.spaceWindow())
        w->setMenuBarShown(false);
}

void ZEVFrontViewer::menuHomeTime() { menuHomeTime(true); }

void ZEVFrontViewer::menuHomeTime(bool animated)
{
    // Asked again where Home already is: the Home button goes out (the home Channel comes back).
    if (headers_ && headers_->siCurseurAtHome())
        if (ZEVButton* home = toolbar_ ? toolbar_->button(QStringLiteral("btnDeskHome")) : nullptr)
            home->setState(0);
    if (!headers_)
        return;
    if (animated)
        headers_->menuHomeTime();
    else
        headers_->menuHomeTimeWithDuration(0.0f);
}

void ZEVFrontViewer::userGoHome()
{
    if (tools_)
        tools_->userGoHome();
    if (headers_)
        headers_->userGoHome();
    // Lit until the ruler has arrived (the move's end puts it out).
    if (ZEVButton* home = toolbar_ ? toolbar_->button(QStringLiteral("btnDeskHome")) : nullptr)
        home->setState(1);
}

// ---------------------------------------------------------------------------------------------
// The toolbar and the split bar

void ZEVFrontViewer::handleMouseDown(const QPointF& p) { tracksHandle_->mouseDown(p); }
void ZEVFrontViewer::handleMouseDragged(const QPointF& p) { tracksHandle_->mouseDragged(p); }
void ZEVFrontViewer::handleMouseUp(bool) { tracksHandle_->mouseUp(); }

void ZEVFrontViewer::reselectSame()
{
    ZEVSelections& s = space_.selections();
    bool ok = true;
    switch (currentFrontMode_) {
    case ZEVFrontModeIcons:
        ok = s.reselectSameIcons();
        break;
    case ZEVFrontModeTitles:
        ok = s.reselectSameTitles();
        break;
    case ZEVFrontModeFilters:
        ok = s.reselectSameFilters();
        break;
    case ZEVFrontModeLinks:
        ok = s.reselectSameNodes();
        break;
    default:
        return;
    }
    if (!ok)
        Sound::shared().beep();
}

void ZEVFrontViewer::showToolbarByDefault()
{
    if (defaults_)
        defaults_->setValue(QString::fromLatin1(kKeys[3]), true);
    // The default may have been on already (the menu closed the toolbar): no change is then
    // observed, and the click still opens it.
    if (siToolbarClosed())
        layout_->request(-1, -1, -1, 1);
}

void ZEVFrontViewer::wheelToTline(QWheelEvent* event)
{
    if (headers_)
        headers_->tlineWheel(event);
}

} // namespace tallomer
