#include "app/space/ZEVSpaceFront.h"

#include "ruler/ZEVRulerViewbar.h"
#include "ruler/ZEVRulerViewer.h"
#include "ruler/ZEVTlineView.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceWindow.h"

#include <QEvent>

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

double ZEVSpaceFront::headerViewsHeight()
{
    double h = 0;
    if (siTimebarOpened_ && bar())
        h += ZEVRulerViewbar::kHeight;
    if (siTlineOpened_ && strip())
        h += ZEVTlineView::kHeight;
    return h;
}

bool ZEVSpaceFront::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize)
        placer();
    return QObject::eventFilter(watched, event);
}

} // namespace tallomer
