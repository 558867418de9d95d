#include "app/space/ZEVSpaceFront.h"

#include "desk/viewer/ZEVDeskViewer.h"
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
    const QString key = QString::fromLatin1(kShowRulerKey);
    token_ = defaults_.observe(key, [this](const QString&, const QVariant& value) {
        if (value.toBool())
            openTline();
        else
            closeTlineAndTracks();
    });
    if (defaults_.values(key).toBool())
        openTline();
}

ZEVSpaceFront::~ZEVSpaceFront() { defaults_.unobserve(token_); }

ZEVTlineView* ZEVSpaceFront::strip() const
{
    auto* viewer = dynamic_cast<ZEVRulerViewer*>(space_.rulerViewer());
    return viewer ? dynamic_cast<ZEVTlineView*>(viewer->tlineView()) : nullptr;
}

void ZEVSpaceFront::placer()
{
    ZEVTlineView* s = strip();
    ZEVSpaceWindow* w = space_.spaceWindow();
    if (!s || !w)
        return;
    const QSize content = w->spaceView()->size();
    // Over the top of the desk when open, just above it (out of sight) when closed.
    const double y = siTlineOpened_ ? content.height() - ZEVTlineView::kHeight : content.height();
    s->setFrameYUp(QRectF(0, y, content.width(), ZEVTlineView::kHeight));
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

void ZEVSpaceFront::userSelectNext()
{
    if (ZEVDeskViewer* d = space_.deskViewerForCurseur(space_.actifCurseur()))
        d->userSelectNext();
}

void ZEVSpaceFront::userSelectPrevious()
{
    if (ZEVDeskViewer* d = space_.deskViewerForCurseur(space_.actifCurseur()))
        d->userSelectPrevious();
}

void ZEVSpaceFront::desksSelectionDidChange()
{
    for (KELICurseur* c : {space_.nowCurseur(), space_.searchCurseur()})
        if (ZEVCursorDesk* d = space_.deskForCurseur(c))
            d->selectionDidChange();
}

bool ZEVSpaceFront::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize)
        placer();
    return QObject::eventFilter(watched, event);
}

} // namespace tallomer
