#include "app/space/ZEVSpaceFront.h"

#include "inspectors/services/ZEVInspectorServices.h"
#include "platform/sound/Sound.h"
#include "ruler/ZEVRulerViewbar.h"
#include "ruler/ZEVRulerViewer.h"
#include "ruler/ZEVTlineView.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceWindow.h"

#include <QEvent>
#include <QKeyEvent>

namespace tallomer {

ZEVSpaceFront::ZEVSpaceFront(ZEVSpaceController& space, UserDefaultsController& defaults)
    : space_(space), defaults_(defaults)
{
    if (ZEVSpaceWindow* w = space_.spaceWindow())
        w->spaceView()->installEventFilter(this);
    // The bar's entity row is built with the bar: its layout can follow the width from now on.
    if (ZEVRulerViewbar* b = bar())
        b->initPreviousWidth();
    const QString key = QString::fromLatin1(kShowRulerKey);
    token_ = defaults_.observe(key, [this](const QString&, const QVariant& value) {
        if (value.toBool())
            openTline();
        else
            closeTlineAndTracks();
    });
    const QString timebar = QString::fromLatin1(kShowTimebarKey);
    timebarToken_ = defaults_.observe(timebar, [this](const QString&, const QVariant& value) {
        if (value.toBool())
            openTimebar();
        else
            closeTimebar();
    });
    if (defaults_.values(timebar).toBool())
        openTimebar();
    if (defaults_.values(key).toBool())
        openTline();
}

ZEVSpaceFront::~ZEVSpaceFront()
{
    defaults_.unobserve(token_);
    defaults_.unobserve(timebarToken_);
}

ZEVTlineView* ZEVSpaceFront::strip() const
{
    auto* viewer = dynamic_cast<ZEVRulerViewer*>(space_.rulerViewer());
    return viewer ? dynamic_cast<ZEVTlineView*>(viewer->tlineView()) : nullptr;
}

ZEVRulerViewbar* ZEVSpaceFront::bar() const
{
    auto* viewer = dynamic_cast<ZEVRulerViewer*>(space_.rulerViewer());
    return viewer ? dynamic_cast<ZEVRulerViewbar*>(viewer->rulerViewbar()) : nullptr;
}

void ZEVSpaceFront::placer()
{
    ZEVSpaceWindow* w = space_.spaceWindow();
    if (!w)
        return;
    const QSize content = w->spaceView()->size();
    // From the top edge down: the bar, then the strip; a closed one waits just above the edge, out
    // of sight.
    double top = content.height();
    if (ZEVRulerViewbar* b = bar()) {
        const double y = siTimebarOpened_ ? top - ZEVRulerViewbar::kHeight : top;
        b->setFrameYUp(QRectF(0, y, content.width(), ZEVRulerViewbar::kHeight));
        if (siTimebarOpened_)
            top = y;
    }
    if (ZEVTlineView* s = strip()) {
        const double y = siTlineOpened_ ? top - ZEVTlineView::kHeight : content.height();
        s->setFrameYUp(QRectF(0, y, content.width(), ZEVTlineView::kHeight));
    }
}

void ZEVSpaceFront::openTline()
{
    ZEVTlineView* s = strip();
    if (!s)
        return;
    siTlineOpened_ = true;
    placer();
    s->show();
    s->raise();
}

void ZEVSpaceFront::closeTlineAndTracks()
{
    ZEVTlineView* s = strip();
    if (!s)
        return;
    siTlineOpened_ = false;
    s->hide();
    placer();
}

void ZEVSpaceFront::openTimebar()
{
    ZEVRulerViewbar* b = bar();
    if (!b)
        return;
    siTimebarOpened_ = true;
    placer();
    b->show();
    b->raise();
}

void ZEVSpaceFront::closeTimebar()
{
    ZEVRulerViewbar* b = bar();
    if (!b)
        return;
    siTimebarOpened_ = false;
    b->hide();
    placer();
}

void ZEVSpaceFront::openTlineAndTracks(bool siFocus)
{
    if (!siFocus)
        if (ZEVSpaceWindow* w = space_.spaceWindow())
            w->spaceView()->setFocus(Qt::OtherFocusReason);
    openTline();
}

void ZEVSpaceFront::userToggleTimebar()
{
    const bool ouvrir = !siTimebarOpened_;
    if (ouvrir)
        openTimebar();
    else
        closeTimebar();
    defaults_.setValue(QString::fromLatin1(kShowTimebarKey), ouvrir);
}

void ZEVSpaceFront::userToggleTline()
{
    const bool ouvrir = !siTlineOpened_;
    if (ouvrir)
        openTline();
    else
        closeTlineAndTracks();
    defaults_.setValue(QString::fromLatin1(kShowRulerKey), ouvrir);
}

void ZEVSpaceFront::closeAllHeaderViews()
{
    rouvrirTimebar_ = siTimebarOpened_;
    rouvrirTline_ = siTlineOpened_;
    closeTimebar();
    closeTlineAndTracks();
}

void ZEVSpaceFront::mouseLimitInside()
{
    // Only what the button closed comes back; with nothing remembered, what the user keeps open.
    if (!rouvrirTimebar_ && !rouvrirTline_) {
        rouvrirTimebar_ = defaults_.values(QString::fromLatin1(kShowTimebarKey)).toBool();
        rouvrirTline_ = defaults_.values(QString::fromLatin1(kShowRulerKey)).toBool();
    }
    if (rouvrirTimebar_)
        openTimebar();
    if (rouvrirTline_)
        openTline();
    rouvrirTimebar_ = rouvrirTline_ = false;
}

double ZEVSpaceFront::headerViewsHeight()
{
    double h = 0;
    if (siTimebarOpened_ && bar())
        h += ZEVRulerViewbar::kHeight;
    if (siTlineOpened_ && strip())
        h += ZEVTlineView::kHeight;
    return h;
}

void ZEVSpaceFront::initierDeplacementCurseur()
{
    siGoingToHome_ = false;
    if (space_.actifCurseur() != space_.searchCurseur() || siTlineOpened_)
        return;
    if (!defaults_.values(QString::fromLatin1(kShowRulerKey)).toBool())
        return;
    if (defaults_.values(QString::fromLatin1(kHideRulerWhenSearchKey)).toBool())
        return;
    openTline();
}

void ZEVSpaceFront::tlineKeyDown(QKeyEvent* event)
{
    if (ZEVTlineView* s = strip())
        s->keyDown(event);
    else
        event->ignore();
}

void ZEVSpaceFront::tlineKeyUp(QKeyEvent* event)
{
    if (ZEVTlineView* s = strip())
        s->keyUp(event);
    else
        event->ignore();
}

bool ZEVSpaceFront::siCurseurAtHome()
{
    ZEVRulerViewerServices* ruler = space_.rulerViewer();
    ZEVStampServices* presets = ruler ? ruler->stampClass() : nullptr;
    return presets && space_.actifCurseur() == space_.nowCurseur() &&
           presets->stateOfNowPresetWithStampInt(ZEVRulerViewbar::kHomeTime) == 1;
}

void ZEVSpaceFront::menuHomeTime()
{
    ZEVRulerViewerServices* ruler = space_.rulerViewer();
    ZEVStampServices* presets = ruler ? ruler->stampClass() : nullptr;
    if (!presets)
        return;
    const bool nowActif = space_.actifCurseur() == space_.nowCurseur();
    const bool chezSoi = presets->stateOfNowPresetWithStampInt(ZEVRulerViewbar::kHomeTime) == 1;
    // Home asked for where Home already is: the home Channel comes back.
    if ((chezSoi || siGoingToHome_) && nowActif && space_.homeChannelInt() != space_.currentChannelInt())
        if (ZEVChannelClassServices* channels = space_.channelClass())
            channels->selectChannelInt(space_.homeChannelInt());
    if (!ruler->siAccepteDeplacement()) {
        Sound::shared().beep();
        return;
    }
    if (!nowActif)
        ruler->userChangeActifCurseur(space_.nowCurseur());
    ruler->setClickPositionForDisplay(space_.nowCurseur(), 4);
    if (ZEVRulerViewbar* b = bar())
        b->setClickPositionForDisplay(4);
    presets->callPresetWithStampInt(ZEVRulerViewbar::kHomeTime, kHomeDuration);
    userGoHome();
}

bool ZEVSpaceFront::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize)
        placer();
    return QObject::eventFilter(watched, event);
}

} // namespace tallomer
