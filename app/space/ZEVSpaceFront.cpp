#include "app/space/ZEVSpaceFront.h"

#include "services/ZEVInspectorServices.h"
#include "platform/sound/Sound.h"
#include "ruler/ZEVRulerViewbar.h"
#include "ruler/ZEVRulerViewer.h"
#include "ruler/ZEVTlineView.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceWindow.h"

#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>

namespace tallomer {

ZEVSpaceFront::ZEVSpaceFront(ZEVSpaceController& space, UserDefaultsController& defaults)
    : space_(space), defaults_(defaults)
{
    // The bar's entity row is built with the bar: its layout can follow the width from now on.
    if (ZEVRulerViewbar* b = bar())
        b->initPreviousWidth();
}

ZEVSpaceFront::~ZEVSpaceFront() = default;

QWidget* ZEVSpaceFront::timebarWidget() { return bar(); }
QWidget* ZEVSpaceFront::tlineWidget() { return strip(); }

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

void ZEVSpaceFront::menuNowCurseur()
{
    if (ZEVRulerViewbar* b = bar())
        b->menuNowCurseur(nullptr);
}

void ZEVSpaceFront::menuHomeTimeWithDuration(float duration)
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
    presets->callPresetWithStampInt(ZEVRulerViewbar::kHomeTime, duration);
    userGoHome();
}

void ZEVSpaceFront::userShowRulerPickerPanel(bool shown)
{
    if (auto* viewer = dynamic_cast<ZEVRulerViewer*>(space_.rulerViewer()))
        viewer->userShowRulerPickerPanel(shown);
}

bool ZEVSpaceFront::siShowRulerPickerPanel()
{
    ZEVRulerViewbar* b = bar();
    return b && b->siShowRulerPickerPanel();
}

bool ZEVSpaceFront::stateOfRulerButton()
{
    ZEVRulerViewbar* b = bar();
    return b && b->stateOfRulerButton();
}

void ZEVSpaceFront::menuSearchCurseur()
{
    if (ZEVRulerViewbar* b = bar())
        b->menuSearchCurseur(nullptr);
}

bool ZEVSpaceFront::siPresetJustEdited()
{
    ZEVRulerViewbar* b = bar();
    return b && b->siPresetJustEdited();
}

void ZEVSpaceFront::tlineWheel(QWheelEvent* event)
{
    if (ZEVTlineView* s = strip())
        QCoreApplication::sendEvent(s, event);
}

} // namespace tallomer
