#include "space/ZEVSpaceWindowDelegate.h"

#include "platform/UserDefaults.h"
#include "services/ZEVInspectorServices.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceWindow.h"
#include "space/ZEVSpaceWindowFrame.h"

#include <QGuiApplication>

namespace tallomer {

namespace {

constexpr const char* kActivateTallomerStart = "activateTallomerStart";
constexpr const char* kMajInspectView = "majInspectViewCommonModes";
constexpr double kActivation = 0.2;
constexpr double kDelaiInspectView = 0.3;

} // namespace

QRectF ZEVSpaceWindowDelegate::windowDefaultRect()
{
    return ZEVSpaceWindowFrame::windowDefaultRect(space_.defaults().values(QStringLiteral("ZEVSpaceWindow")),
                                                  space_.host().mainScreenFrame());
}

void ZEVSpaceWindowDelegate::majWindowDefault()
{
    // A maximised window's frame is the manager's, not one to open with next time.
    ZEVSpaceWindow* w = space_.spaceWindow();
    if (!w || w->siFullScreen() || w->isMaximized())
        return;
    const QRectF screen = space_.host().mainScreenFrame();
    const QVariant stored = ZEVSpaceWindowFrame::windowDefaultFor(w->frameYUp(screen), screen);
    if (stored.isValid())
        space_.defaults().setValue(QStringLiteral("ZEVSpaceWindow"), stored);
}

void ZEVSpaceWindowDelegate::majFullScreenDefault()
{
    if (space_.spaceWindow())
        space_.defaults().setValue(QStringLiteral("ZEVFullScreen"), space_.spaceWindow()->siFullScreen());
}

void ZEVSpaceWindowDelegate::userQuit()
{
    // A move or resize still settling would otherwise be lost with the window.
    if (space_.spaceWindow())
        space_.spaceWindow()->flushPendingFrame();
    space_.host().userQuit();
}

void ZEVSpaceWindowDelegate::activateTallomer()
{
    siActivateTallomer_ = true;
    // The window manager may refuse to hand over the focus (Wayland does): the window at least
    // asks for it.
    if (ZEVSpaceWindow* w = space_.spaceWindow()) {
        w->raise();
        w->activateWindow();
    }
    Scheduler::shared().cancel(this, kActivateTallomerStart);
    Scheduler::shared().perform(this, kActivateTallomerStart, kActivation, [this] {
        if (space_.frontViewer())
            space_.frontViewer()->activateTallomerStart();
    });
}

void ZEVSpaceWindowDelegate::windowDidBecomeKey()
{
    space_.pointerLimit().setMouseLimitPoint(space_.pointeurDansLaFenetre());
    // A quasimode never outlives its key, whose release may have gone to another window.
    if (space_.frontViewer())
        space_.frontViewer()->userRereadFlags(QGuiApplication::queryKeyboardModifiers());
}

void ZEVSpaceWindowDelegate::windowDidTakeFocus()
{
    if (space_.frontViewer())
        space_.frontViewer()->userRereadFlags(QGuiApplication::queryKeyboardModifiers());
}

void ZEVSpaceWindowDelegate::windowDidResize()
{
    if (ZEVCursorDesk* d = space_.deskForCurseur(space_.actifCurseur())) {
        d->displayItemViews();
        d->majBackImageSize();
    }
    Scheduler& s = Scheduler::shared();
    s.cancel(this, kMajInspectView);
    s.perform(
        this, kMajInspectView, kDelaiInspectView,
        [this] {
            if (ZEVChannelViewerServices* c = space_.channelViewerServices())
                c->majInspectViewCommonModes();
        },
        true);
    space_.regleDeLaMiniSpace();
}

void ZEVSpaceWindowDelegate::windowDidEndLiveResize()
{
    for (KELICurseur* c : {space_.nowCurseur(), space_.searchCurseur()})
        if (ZEVCursorDesk* d = space_.deskForCurseur(c))
            d->displayItemViews();
    for (KELICurseur* c : {space_.nowCurseur(), space_.searchCurseur()})
        if (ZEVCursorDesk* d = space_.deskForCurseur(c))
            d->majBackImage();
    space_.resetMouseLimit();
    if (!space_.siPleinEcran())
        majWindowDefault();
    space_.host().fullScreenDidChange();
}

void ZEVSpaceWindowDelegate::windowDidChangeScreen()
{
    // The window manager keeps a full-screen window filling the screen it went to.
    if (space_.siPleinEcran())
        windowDidEndLiveResize();
}

void ZEVSpaceWindowDelegate::windowDidMove()
{
    if (!space_.siPleinEcran())
        majWindowDefault();
}

void ZEVSpaceWindowDelegate::windowDidChangeFullScreenState()
{
    if (ZEVCursorDesk* d = space_.deskForCurseur(space_.actifCurseur() == space_.nowCurseur() ? space_.searchCurseur()
                                                                                              : space_.nowCurseur()))
        d->displayItemViews();
    for (KELICurseur* c : {space_.nowCurseur(), space_.searchCurseur()})
        if (ZEVCursorDesk* d = space_.deskForCurseur(c))
            d->majBackImage();
    if (space_.spaceWindow())
        space_.spaceWindow()->setHeaderViewsButtonShown(!space_.siPleinEcran());
    space_.resetMouseLimit();
    space_.mouseMovedInLocation(space_.pointeurDansLaFenetre());
}

} // namespace tallomer
