#include "inspectors/base/ZEVInspectViewer.h"

#include "engine/KELICurseur.h"
#include "inspectors/base/ZEVInspectClass.h"
#include "inspectors/base/ZEVInspectView.h"
#include "inspectors/table/ZEVTypeSelect.h"
#include "platform/sound/Sound.h"
#include "space/ZEVSelections.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceWindow.h"
#include "widgets/ZEVButton.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>

#include <cmath>

namespace tallomer {

namespace {

long tagOf(const QAction* a) { return a ? long(a->property("tag").toLongLong()) : 0; }

// The first item of that tag among the actions, looking into their submenus too.
QAction* chercher(const QList<QAction*>& actions, long tag)
{
    for (QAction* a : actions)
        if (!a->isSeparator() && tagOf(a) == tag)
            return a;
    for (QAction* a : actions)
        if (QMenu* m = a->menu())
            if (QAction* found = chercher(m->actions(), tag))
                return found;
    return nullptr;
}

QMenu* sousMenu(const QList<QAction*>& actions, long tag)
{
    for (QAction* a : actions)
        if (tagOf(a) == tag && a->menu())
            return a->menu();
    return nullptr;
}

QWidget* canvasViewport(ZEVSpaceController& space)
{
    ZEVSpaceWindow* w = space.spaceWindow();
    return w && w->spaceView() && w->spaceView()->deskCanvas() ? w->spaceView()->deskCanvas()->viewport() : nullptr;
}

} // namespace

ZEVInspectViewer::ZEVInspectViewer(ZEVSpaceController& space, KELId entityInt)
    : ZEVEntityViewer(entityInt), space_(space), currentChannelInt_(space.currentChannelInt()),
      tlCurseur_(space.tlCurseur()), actifCurseur_(space.actifCurseur()),
      deskViewer_(space.deskViewerForCurseur(space.actifCurseur()))
{
}

ZEVInspectViewer::~ZEVInspectViewer()
{
    Scheduler::shared().cancelAll(this);
    delete inspectView_.data();
}

ZEVFrontViewerServices* ZEVInspectViewer::frontViewer() const { return space_.frontViewer(); }

ZEVContextViewerServices* ZEVInspectViewer::contextViewer() const { return space_.contextViewer(); }

void ZEVInspectViewer::beep() { Sound::shared().beep(); }

ZEVInspectView* ZEVInspectViewer::inspectView()
{
    if (!inspectView_) {
        std::unique_ptr<ZEVInspectView> v = creerInspectView();
        if (!v)
            return nullptr;
        inspectView_ = v.release();
        awakeFromNib();
    }
    return inspectView_;
}

void ZEVInspectViewer::awakeFromNib()
{
    capturerLesMenus();
    ZEVInspectView* v = inspectView_;
    QObject::connect(v->btnClose(), &QAbstractButton::clicked, this, [this] { buttonInspectCancel(); });
    QObject::connect(v->btnAdd(), &QAbstractButton::clicked, this, [this] { btnInspectAdd(); });
    QObject::connect(v->btnFind(), &QAbstractButton::clicked, this, [this] { btnInspectFind(); });
    QObject::connect(v->btnEntity(), &QAbstractButton::clicked, this, [this] { btnEntity(); });
    QObject::connect(v->btnGotoPrevious(), &QAbstractButton::clicked, this, [this] { btnInspectPrevious(); });
    QObject::connect(v->btnGotoNext(), &QAbstractButton::clicked, this, [this] { btnInspectNext(); });
    // The model of a kind that shows rows answers the table; until then the table has none.
    ZEVInspectTableView* table = v->inspectTableView();
    table->setZevClass(dynamic_cast<ZEVTableViewClass*>(inspectClass()));
    table->typeSelect()->attach(v->searchField(), v->btnFind());
    construireLesMenus();
}

void ZEVInspectViewer::capturerLesMenus()
{
    ZEVSpaceWindow* w = space_.spaceWindow();
    QMenuBar* bar = w ? w->findChild<QMenuBar*>() : nullptr;
    if (!bar)
        return;
    const QList<QAction*> top = bar->actions();
    QMenu* edit = sousMenu(top, 3);
    QMenu* object = sousMenu(top, 4);
    QMenu* spaces = sousMenu(top, 9);
    QMenu* handle = object ? sousMenu(object->actions(), 4333) : nullptr;
    struct Place {
        MenuItem item;
        QMenu* menu;
        long tag;
    };
    const Place places[] = {
        {MacCut, edit, 100},
        {MacCopy, edit, 101},
        {MacRecallNow, edit, 6},
        {MacRetainNow, edit, 65},
        {MacReleaseNow, edit, 62},
        {MacForgetNow, edit, 63},
        {MacRecallSearch, edit, 4},
        {MacRetainSearch, edit, 5},
        {MacReleaseSearch, edit, 2},
        {MacForgetSearch, edit, 3},
        {MacOpen, object, 1},
        {MacAdd, object, 31},
        {MacFilter, object, 7},
        {MacHandle, object, 4333},
        {MacMoveTo, handle, 21},
        {MacMoveToSpace, handle, 20},
        {MacCopyTo, handle, 23},
        {MacCopyToSpace, handle, 22},
        {MacDuplicateTo, handle, 25},
        {MacDuplicateToSpace, handle, 24},
        {MacShowOriginal, handle, 60},
        {MacCleanAll, spaces, 40},
        {MacCleanAndRecall, spaces, 41},
        {MacCleanAndRecallBack, spaces, 44},
        {MacCleanAndReplace, spaces, 43},
    };
    for (const Place& p : places)
        menuItems_[std::size_t(p.item)] = p.menu ? chercher(p.menu->actions(), p.tag) : nullptr;
}

QAction* ZEVInspectViewer::menuItem(MenuItem item) const
{
    return item >= 0 && item < MenuItemCount ? menuItems_[std::size_t(item)].data() : nullptr;
}

bool ZEVInspectViewer::siTextSearching() const
{
    ZEVInspectView* v = inspectView_;
    return v && v->inspectTableView()->siTextSearching();
}

bool ZEVInspectViewer::siFirstResponder() const
{
    ZEVInspectView* v = inspectView_;
    if (!v || !v->isVisible())
        return false;
    QWidget* focus = v->window()->focusWidget();
    return focus == v->inspectTableView() || siTextSearching() ||
           (qobject_cast<QMenuBar*>(focus) && v->inspectTableView()->siPreteeALaBarre());
}

void ZEVInspectViewer::setFirstResponder()
{
    if (ZEVInspectView* v = inspectView_)
        v->inspectTableView()->setFocus(Qt::OtherFocusReason);
}

void ZEVInspectViewer::setNbOfSelectedRows(quint64 count)
{
    nbOfSelectedRows_ = count;
    majInspectField();
}

void ZEVInspectViewer::raise()
{
    if (ZEVInspectView* v = inspectView_)
        v->raise();
}

// ---------------------------------------------------------------------------------------------
// The slide

void ZEVInspectViewer::showInspectView(bool show)
{
    if (!show) {
        ZEVInspectView* v = inspectView_;
        if (!siShowInspectView_ || !v)
            return;
        v->btnClose()->setState(kZEVStateOff);
        QRectF r = v->frame();
        r.moveTop(v->frontFrame().height() - 20);
        moveToRect(r, kSlideDuration);
        siAnimationInspectViewRuns_ = true;
        siShowInspectView_ = false;
        Scheduler::shared().cancel(this, "openInspectViewAnimationDone");
        Scheduler::shared().perform(this, "hideInspectViewAnimationDone", kHideDoneDelay,
                                    [this] { hideInspectViewAnimationDone(); });
        return;
    }
    ZEVInspectView* v = inspectView();
    QWidget* canvas = canvasViewport(space_);
    if (!v || !canvas)
        return;
    if (siShowInspectView_) {
        raise();
        setFirstResponder();
        return;
    }
    if (siAnimationInspectViewRuns_) {
        // A close slide runs: it turns back from where the panel stands.
        raise();
    } else {
        if (v->parentWidget() != canvas)
            v->setParent(canvas);
        moveToRect(v->closedRect(), 0);
        v->show();
        raise();
    }
    moveToRect(v->openedRect(), kSlideDuration);
    siAnimationInspectViewRuns_ = true;
    siShowInspectView_ = true;
    Scheduler::shared().cancel(this, "hideInspectViewAnimationDone");
    Scheduler::shared().perform(this, "openInspectViewAnimationDone", kOpenDoneDelay,
                                [this] { openInspectViewAnimationDone(); });
}

void ZEVInspectViewer::openInspectViewAnimationDone()
{
    siAnimationInspectViewRuns_ = false;
    ZEVInspectView* v = inspectView_;
    if (!v)
        return;
    v->btnAdd()->setEnabled(true);
    if (!siTextSearching())
        setFirstResponder();
    if (ZEVFrontViewerServices* f = frontViewer())
        f->displayAllInspectView();
    v->update();
    if (ZEVContextViewerServices* c = contextViewer())
        c->majContextButtons();
}

void ZEVInspectViewer::hideInspectViewAnimationDone()
{
    siAnimationInspectViewRuns_ = false;
    ZEVInspectView* v = inspectView_;
    if (!v)
        return;
    const bool avaitLeFocus = v->window()->focusWidget() == v->inspectTableView() || siTextSearching();
    v->hide();
    // The focus goes to the panel now on top, else to the desk.
    QWidget* canvas = v->parentWidget();
    ZEVInspectView* dessus = nullptr;
    if (canvas) {
        const QObjectList enfants = canvas->children();
        for (auto it = enfants.rbegin(); it != enfants.rend() && !dessus; ++it)
            if (auto* autre = qobject_cast<QWidget*>(*it); autre && autre->isVisible())
                dessus = dynamic_cast<ZEVInspectView*>(autre);
    }
    if (dessus)
        dessus->viewer().setFirstResponder();
    else if (avaitLeFocus && canvas && canvas->parentWidget())
        canvas->parentWidget()->setFocus(Qt::OtherFocusReason);
    if (ZEVContextViewerServices* c = contextViewer())
        c->majContextButtons();
}

void ZEVInspectViewer::moveToRect(const QRectF& rect, double duration)
{
    ZEVInspectView* v = inspectView_;
    if (!v)
        return;
    Scheduler::shared().cancel(this, "slideStep");
    if (duration <= 0) {
        v->superSetFrame(rect);
        return;
    }
    slideFrom_ = v->frame();
    slideTo_ = rect;
    slideSteps_ = std::max(1, int(std::lround(duration * kSlideRate)));
    Scheduler::shared().perform(this, "slideStep", 1.0 / kSlideRate, [this] { slideStep(1); });
}

void ZEVInspectViewer::headerViewsHeightDidChange(double duration)
{
    ZEVInspectView* v = inspectView_;
    // A closing panel leaves upwards whatever the header views do.
    if (!v || !siShowInspectView_ || !v->parentWidget())
        return;
    if (v->clickPosition() != ZEVInspectZoneNone) {
        // The press moving the panel goes on from the rehung frame; its release keeps it.
        v->superSetFrame(ZEVInspectGeometry::rehung(v->metrics(), v->frame(), v->frontFrame()));
        return;
    }
    if (Scheduler::shared().isPending(this, "slideStep")) {
        // The opening slide under way ends at the new place.
        slideTo_ = v->openedRect();
        return;
    }
    moveToRect(v->openedRect(), duration);
}

void ZEVInspectViewer::slideStep(int step)
{
    ZEVInspectView* v = inspectView_;
    if (!v)
        return;
    const double t = std::min(1.0, double(step) / slideSteps_);
    // Slow at both ends, as the platform's animations go.
    const double e = t < 0.5 ? 2 * t * t : 1 - std::pow(-2 * t + 2, 2) / 2;
    auto lerp = [e](double a, double b) { return a + (b - a) * e; };
    v->setFrame(QRectF(lerp(slideFrom_.x(), slideTo_.x()), lerp(slideFrom_.y(), slideTo_.y()),
                       lerp(slideFrom_.width(), slideTo_.width()), lerp(slideFrom_.height(), slideTo_.height())));
    if (step < slideSteps_)
        Scheduler::shared().perform(this, "slideStep", 1.0 / kSlideRate, [this, step] { slideStep(step + 1); });
}

void ZEVInspectViewer::tableFocusDidChange()
{
    if (ZEVFrontViewerServices* f = frontViewer())
        f->entityWillChange();
    if (ZEVInspectView* v = inspectView_)
        v->update();
    ZEVContextViewerServices* c = contextViewer();
    if (!c)
        return;
    Scheduler::shared().cancel(c, "majContextButtons");
    // Keyed on the bar, which cancels it when it goes.
    Scheduler::shared().perform(c, "majContextButtons", 0.1, [c] { c->majContextButtons(); });
}

void ZEVInspectViewer::searchingDidFinish() { setFirstResponder(); }

void ZEVInspectViewer::fermerParLaBarre()
{
    if (ZEVContextViewerServices* c = contextViewer())
        c->fermerEntityWithInt(entityInt());
}

void ZEVInspectViewer::fermerEtDecocher()
{
    fermerParLaBarre();
    decocherDansLeMenu();
}

// ---------------------------------------------------------------------------------------------
// Notices and defaults

void ZEVInspectViewer::displayInspectView()
{
    // A panel never built has nothing to redraw; the notice never builds one.
    if (inspectView_)
        inspectView_->displayInspectView();
}

void ZEVInspectViewer::actifCurseurDidChange()
{
    actifCurseur_ = space_.actifCurseur();
    deskViewer_ = space_.deskViewerForCurseur(actifCurseur_);
    if (ZEVInspectClass* model = inspectClass())
        model->actifCurseurDidChangeForCurseur(actifCurseur_);
    if (ZEVInspectView* v = inspectView_) {
        v->inspectTableView()->setActifCurseur(actifCurseur_);
        v->update();
    }
}

void ZEVInspectViewer::channelDidChangeWithIdentityInt(KELId identityInt)
{
    // 0: only the list of Channels changed; the current one stays.
    if (identityInt)
        currentChannelInt_ = identityInt;
}

void ZEVInspectViewer::userAdd()
{
    if (ZEVInspectView* v = inspectView_)
        v->btnAdd()->click();
}

void ZEVInspectViewer::menuInspectFind()
{
    ZEVInspectView* v = inspectView();
    if (!v)
        return;
    ZEVInspectTableView* table = v->inspectTableView();
    if (table->siTextSearching()) {
        table->hideSearchField();
        setFirstResponder();
    } else {
        table->showSearchField();
    }
    v->update();
}

// ---------------------------------------------------------------------------------------------
// The Escape step

bool ZEVInspectViewer::deselectLego()
{
    ZEVInspectView* v = inspectView_;
    return v && v->inspectTableView()->deselectLego();
}

void ZEVInspectViewer::inspectStepBack()
{
    ZEVFrontViewerServices* front = frontViewer();
    const int mode = front ? front->frontMode() : 0;
    if (deselectLego())
        return;
    const bool siSearch = space_.actifCurseur() && space_.actifCurseur() == space_.searchCurseur();
    if (siSearch) {
        stepBackRuler(true);
        return;
    }
    if (stepBackRuler(false))
        return;
    ZEVSelections& s = space_.selections();
    const bool links = !s.selectedLinks().empty() || !s.selectedNodeItemSet().empty();
    const bool titles = !s.selectedTitleItems().empty();
    const bool filters = !s.selectedFilterItems().empty();
    const bool changing = front && front->isUserChangingFlag();
    switch (mode) {
    case 0:
        if (!s.selectedIconItems().empty())
            userDeselect();
        else if (changing)
            return;
        else if (filters && front)
            front->menuModeFilter();
        else if (links && front)
            front->menuModeLink();
        else if (titles && front)
            front->menuModeTitle();
        else if (front && !front->siHeaderViewsClosed())
            front->closeAllHeaderViews();
        else
            beep();
        space_.majWindowTitle();
        break;
    case 1:
        if (titles)
            s.deselectAllTitles();
        else if (!changing && front)
            links ? front->menuModeLink() : front->menuModeIcon();
        break;
    case 2:
        if (filters)
            s.deselectAllFilters();
        else if (front)
            links ? front->menuModeLink() : titles ? front->menuModeTitle() : front->menuModeIcon();
        break;
    case 3:
        if (links)
            s.deselectAllNodes();
        else if (front)
            titles ? front->menuModeTitle() : front->menuModeIcon();
        break;
    default:
        break;
    }
}

bool ZEVInspectViewer::stepBackRuler(bool siSearch)
{
    ZEVRulerViewerServices* ruler = space_.rulerViewer();
    ZEVInspectView* v = inspectView_;
    KELICurseur* actif = space_.actifCurseur();
    // A strip under 2 points wide shows no dates to centre on: nothing moves.
    if (!ruler || !v || !actif || !(ruler->tlineWidth() >= 2))
        return siSearch;
    const QPointF gauche = v->mapTo(v->window(), QPointF(v->inspectRect().x(), 0));
    const double x = gauche.x() - ruler->tlineViewRect().x();
    const double w = v->inspectTableView()->width();
    const KELDate d1 = ruler->dateForTlinePoint(x + 80);
    const KELDate d2 = ruler->dateForTlinePoint(x + w - 80);
    const KELDate c = actif->now();
    auto recentrer = [&] {
        if (!ruler->userInitieDeplacementCurseur())
            return false;
        const double d = c - (d1 + d2) / 2;
        ruler->userPlaceRulerOffsetIn(d, d);
        ruler->userTermineDeplacementCurseur();
        return true;
    };
    if (siSearch) {
        if (d1 <= c && c <= d2) {
            ruler->userChangeActifCurseur(space_.nowCurseur());
            space_.majWindowTitle();
        } else {
            recentrer();
        }
        return true;
    }
    if (c < d1 || c > d2)
        return recentrer();
    return false;
}

} // namespace tallomer
