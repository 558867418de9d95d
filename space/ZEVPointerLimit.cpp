#include "space/ZEVPointerLimit.h"

#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceGoto.h"
#include "space/ZEVSpaceWindow.h"

namespace tallomer {

namespace {

constexpr const char* kMouseLimitInside = "_mouseLimitInside";
constexpr const char* kMouseLimitOutside = "_mouseLimitOutside";
// After the button closed the header views, the corner opens them again only after this long.
constexpr double kReouverture = 0.2;

} // namespace

void ZEVPointerLimit::setHeaderViewsBtnState(int state)
{
    headerViewsBtnState_ = state;
    if (space_.spaceWindow())
        space_.spaceWindow()->setHeaderViewsButtonState(state);
}

void ZEVPointerLimit::appliquerLaZone(const ZEVMouseLimitZone& zone)
{
    mouseLimitRect_ = zone.rect;
    mouseLimitInf_ = zone.inf;
}

QSizeF ZEVPointerLimit::tailleDeLaZone(bool plein) const
{
    if (plein)
        return space_.host().mainScreenFrame().size();
    ZEVSpaceWindow* w = space_.spaceWindow();
    return QSizeF(w ? w->spaceView()->size() : QSize());
}

void ZEVPointerLimit::mouseMovedInLocation(const QPointF& p)
{
    Scheduler& s = Scheduler::shared();
    mouseLimitPoint_ = p;
    siNSCursorHidden_ = false;
    if (!mouseLimitRect_.contains(p)) {
        mouseLimitDuration_ = 0;
        if (!siMouseLimitOUT_) {
            siMouseLimitIN_ = false;
            siMouseLimitOUT_ = true;
            space_.majWindowTitle();
        }
        if (siMouseLimitInDelay_) {
            siMouseLimitInDelay_ = false;
            setHeaderViewsBtnState(0);
            s.cancel(this, kMouseLimitInside);
        }
        if (siMouseLimitOutside_)
            return;
        siMouseLimitOutDelay_ = true;
        s.cancel(this, kMouseLimitOutside);
        s.perform(this, kMouseLimitOutside, ZEVMouseLimit::closeDelay(mouseLimitInf_, p.y()),
                  [this] { _mouseLimitOutside(); });
        return;
    }
    if (!siMouseLimitIN_) {
        siMouseLimitIN_ = true;
        siMouseLimitOUT_ = false;
        space_.majWindowTitle();
    }
    if (siMouseLimitOutDelay_) {
        siMouseLimitOutDelay_ = false;
        setHeaderViewsBtnState(1);
        s.cancel(this, kMouseLimitOutside);
    }
    if (siMouseLimitInside_)
        return;
    siMouseLimitInDelay_ = true;
    s.cancel(this, kMouseLimitInside);
    s.perform(this, kMouseLimitInside, mouseLimitDuration_, [this] { _mouseLimitInside(); });
}

void ZEVPointerLimit::resetMouseLimit()
{
    if (siMouseLimitInside_)
        setMouseLimitOutside();
    else
        setMouseLimitInside();
}

void ZEVPointerLimit::setMouseLimitInside()
{
    const bool plein = space_.siPleinEcran();
    const QSizeF taille = tailleDeLaZone(plein);
    appliquerLaZone(ZEVMouseLimit::cornerZone(plein, taille.width(), taille.height()));
}

void ZEVPointerLimit::setMouseLimitOutside()
{
    const bool plein = space_.siPleinEcran();
    const QSizeF taille = tailleDeLaZone(plein);
    const bool fermees = !space_.frontViewer() || space_.frontViewer()->siHeaderViewsClosed();
    const double hauteur = space_.frontViewer() ? space_.frontViewer()->headerViewsHeight() : 0.0;
    if (fermees && !plein)
        setHeaderViewsBtnState(0);
    appliquerLaZone(ZEVMouseLimit::headerZone(plein, 0, taille.width(), taille.height(), hauteur, fermees));
    if (fermees)
        mouseMovedInLocation(space_.pointeurDansLaFenetre());
}

void ZEVPointerLimit::_mouseLimitInside()
{
    siMouseLimitInDelay_ = false;
    siMouseLimitInside_ = true;
    siMouseLimitOutside_ = false;
    setHeaderViewsBtnState(1);
    if (space_.frontViewer())
        space_.frontViewer()->mouseLimitInside();
}

void ZEVPointerLimit::_mouseLimitOutside()
{
    siMouseLimitOutDelay_ = false;
    siMouseLimitInside_ = false;
    siMouseLimitOutside_ = true;
    setHeaderViewsBtnState(0);
    if (space_.frontViewer())
        space_.frontViewer()->mouseLimitOutside();
}

void ZEVPointerLimit::_showHeaderViews()
{
    // The button shows whether the header views are open; a click toggles them.
    const int etat = headerViewsBtnState_;
    ZEVFrontViewerServices* front = space_.frontViewer();
    if (etat == 1 && !(front && front->siHeaderViewsOpening())) {
        if (front)
            front->closeAllHeaderViews();
        setHeaderViewsBtnState(0);
        siMouseLimitOutside_ = true;
        siMouseLimitOutDelay_ = false;
        siMouseLimitInDelay_ = true;
        siMouseLimitInside_ = false;
        Scheduler::shared().cancel(this, kMouseLimitOutside);
        mouseLimitDuration_ = kReouverture;
        return;
    }
    if (etat == 0 && (!front || front->siHeaderViewsClosed())) {
        setHeaderViewsBtnState(1);
        _mouseLimitInside();
        return;
    }
    setHeaderViewsBtnState(headerViewsBtnState_);
}

} // namespace tallomer
