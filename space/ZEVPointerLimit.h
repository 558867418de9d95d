#pragma once
// The pointer limit at the window's top right and the header-views button: entering the zone
// opens the header views after a delay, leaving it closes them after a delay that shortens as the
// pointer goes down the window, and the button toggles them.

#include "runtime/Scheduler.h"

#include <QPointF>
#include <QRectF>
#include <QSizeF>

namespace tallomer {

class ZEVSpaceController;
struct ZEVMouseLimitZone;

class ZEVPointerLimit {
public:
    explicit ZEVPointerLimit(ZEVSpaceController& space) : space_(space) {}
    ZEVPointerLimit(const ZEVPointerLimit&) = delete;
    ZEVPointerLimit& operator=(const ZEVPointerLimit&) = delete;

    void mouseMovedInLocation(const QPointF& p);
    void resetMouseLimit();
    void setMouseLimitInside();
    void setMouseLimitOutside();
    void _mouseLimitInside();
    void _mouseLimitOutside();
    void _showHeaderViews();
    const QRectF& mouseLimitRect() const { return mouseLimitRect_; }
    float mouseLimitInf() const { return mouseLimitInf_; }
    QPointF mouseLimitPoint() const { return mouseLimitPoint_; }
    void setMouseLimitPoint(const QPointF& p) { mouseLimitPoint_ = p; }
    double mouseLimitDuration() const { return mouseLimitDuration_; }
    bool siMouseLimitInside() const { return siMouseLimitInside_; }
    bool siMouseLimitOutside() const { return siMouseLimitOutside_; }
    bool siMouseLimitInDelay() const { return siMouseLimitInDelay_; }
    bool siMouseLimitOutDelay() const { return siMouseLimitOutDelay_; }
    bool siMouseLimitIN() const { return siMouseLimitIN_; }
    bool siMouseLimitOUT() const { return siMouseLimitOUT_; }
    bool siNSCursorHidden() const { return siNSCursorHidden_; }
    void setSiNSCursorHidden(bool hidden) { siNSCursorHidden_ = hidden; }
    int headerViewsBtnState() const { return headerViewsBtnState_; }

private:
    void setHeaderViewsBtnState(int state);
    void appliquerLaZone(const ZEVMouseLimitZone& zone);
    // The size the zone is laid out in: the screen in full screen, else the content view.
    QSizeF tailleDeLaZone(bool plein) const;

    ZEVSpaceController& space_;
    QRectF mouseLimitRect_;
    float mouseLimitInf_ = 0;
    QPointF mouseLimitPoint_;
    double mouseLimitDuration_ = 0;
    bool siMouseLimitInside_ = false;
    bool siMouseLimitOutside_ = false;
    bool siMouseLimitInDelay_ = false;
    bool siMouseLimitOutDelay_ = false;
    bool siMouseLimitIN_ = false;
    bool siMouseLimitOUT_ = true;
    bool siNSCursorHidden_ = false;
    int headerViewsBtnState_ = 0;
    ScheduledTarget guard_{this};
};

} // namespace tallomer
