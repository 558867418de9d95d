#include "front/ZEVFrontGoToPanel.h"

#include "desk/pasteboard/ZEVPasteboard.h"
#include "engine/KELICurseur.h"
#include "platform/sound/Sound.h"
#include "services/ZEVFrontViewerServices.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceParts.h"
#include "widgets/ZEVButton.h"
#include "platform/SystemColours.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QGridLayout>
#include <QLinearGradient>
#include <QPainter>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace tallomer {

namespace {
constexpr const char* kPlacer = "_placerGoToDate";
constexpr const char* kActivate = "activateTallomer";
constexpr const char* kStop = "draggingSessionDidStop";
} // namespace

void ZEVFrontGoToView::setState(long state)
{
    state_ = state;
    update();
}

void ZEVFrontGoToView::paintEvent(QPaintEvent*)
{
    if (state_ != -1)
        return;
    QPainter p(this);
    // Drawn y-up from the bottom edge: the gradient rises from the darker grey.
    QLinearGradient g(0, height(), 0, 0);
    g.setColorAt(0, QColor::fromRgbF(0.36f, 0.36f, 0.36f));
    g.setColorAt(1, QColor::fromRgbF(0.58f, 0.58f, 0.58f));
    p.fillRect(rect(), g);
    p.fillRect(QRect(0, height() - 1, width(), 1), systemDarkGrey());
    p.fillRect(QRect(0, 0, width(), 1), systemDarkGrey());
}

ZEVFrontGoToPanel::ZEVFrontGoToPanel(ZEVSpaceController& space, ZEVFrontHeaderViews* headers, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowDoesNotAcceptFocus), space_(space), headers_(headers)
{
    setObjectName(QStringLiteral("goToPanel"));
    setWindowTitle(tr("Go To"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setAcceptDrops(true);
    view_ = new ZEVFrontGoToView(this);
    view_->setObjectName(QStringLiteral("goToView"));
    auto* grid = new QGridLayout(view_);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(view_);
    const std::pair<long, const char*> kinds[] = {
        {1, "Now"}, {2, "Search"}, {3, "Created"}, {4, "Modified"}, {5, "Opened"}};
    const std::pair<long, const char*> lengths[] = {{11, "15 min"}, {12, "1 hour"}, {13, "1 day"},
                                                    {14, "1 week"}, {15, "1 month"}, {16, "6 months"},
                                                    {17, "1 year"}, {kInfiniteTag, "\u221e"}};
    auto make = [this](long tag, const char* title) {
        auto* b = new ZEVButton(view_);
        b->setObjectName(QStringLiteral("goTo%1").arg(tag));
        b->setText(tr(title));
        b->setCheckable(true);
        b->setSiClickKeepsState(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setProperty("tag", qlonglong(tag));
        buttons_[tag] = b;
        return b;
    };
    int col = 0;
    for (const auto& [tag, title] : kinds) {
        ZEVButton* b = make(tag, title);
        connect(b, &ZEVButton::clicked, this, [this, b] { goToChange(b); });
        grid->addWidget(b, 0, col++);
    }
    col = 0;
    for (const auto& [tag, title] : lengths) {
        ZEVButton* b = make(tag, title);
        connect(b, &ZEVButton::clicked, this, [this, b] { durationChange(b); });
        grid->addWidget(b, 1 + col / 4, col % 4);
        ++col;
    }
    // Copied only: the buttons light at the first change.
    goToTag_ = space_.goToTag();
    durationTag_ = space_.durationTag();
    for (auto& [tag, b] : buttons_)
        b->setState(0);
    if (goToTag_ >= 1 && goToTag_ <= 5)
        buttonWithTag(goToTag_)->setState(1);
    // Any duration outside 11 to 17 shows as the open end.
    buttonWithTag(durationTag_ >= 11 && durationTag_ <= 17 ? durationTag_ : kInfiniteTag)->setState(1);
}

ZEVFrontGoToPanel::~ZEVFrontGoToPanel() = default;

ZEVButton* ZEVFrontGoToPanel::buttonWithTag(long tag) const
{
    // Any duration outside 11 to 17 is the open end.
    if (tag != 1 && tag != 2 && tag != 3 && tag != 4 && tag != 5 && (tag < 11 || tag > 17))
        tag = kInfiniteTag;
    const auto it = buttons_.find(tag);
    return it == buttons_.end() ? nullptr : it->second;
}

void ZEVFrontGoToPanel::majGoToDurationButtons()
{
    const long kind = space_.goToTag();
    if (kind != goToTag_) {
        if (ZEVButton* old = buttonWithTag(goToTag_); old && goToTag_ >= 1 && goToTag_ <= 5)
            old->setState(0);
        goToTag_ = kind;
        // The temporary kind lights nothing.
        if (kind >= 1 && kind <= 5)
            if (ZEVButton* b = buttonWithTag(kind))
                b->setState(1);
    }
    const long duration = space_.durationTag();
    if (duration != durationTag_) {
        if (ZEVButton* old = buttonWithTag(durationTag_ >= 11 && durationTag_ <= 17 ? durationTag_ : kInfiniteTag))
            old->setState(0);
        durationTag_ = duration;
        if (ZEVButton* b = buttonWithTag(duration >= 11 && duration <= 17 ? duration : kInfiniteTag))
            b->setState(1);
    }
}

void ZEVFrontGoToPanel::centreOn(double d)
{
    ZEVRulerViewerServices* r = space_.rulerViewer();
    KELIContexte* c = space_.tlContexte();
    if (!r || !c || r->userInitieDeplacementCurseur() == false)
        return;
    const double delta = d - (c->nowIn() + c->nowOut()) / 2.0;
    r->userPlaceRulerOffsetIn(delta, delta);
    r->userTermineDeplacementCurseur();
}

void ZEVFrontGoToPanel::forgetDraggedLego()
{
    if (forgetLego_)
        forgetLego_();
}

void ZEVFrontGoToPanel::goToChange(ZEVButton* sender)
{
    const long old = goToTag_;
    const long tag = long(sender->property("tag").toLongLong());
    if (tag != old)
        space_.setGoToTag(tag);
    else
        sender->setState(1);
    if (space_.siDraggingSession()) {
        if (!placerGoToDate()) {
            if (tag == old)
                sender->setState(-1);
            space_.setGoToTag(old);
        }
    } else if (tag != 1) {
        ZEVRulerViewerServices* r = space_.rulerViewer();
        KELICurseur* search = space_.searchCurseur();
        KELIContexte* c = space_.tlContexte();
        if (r && search && c) {
            r->userChangeActifCurseur(search);
            const double d = search->now();
            if (d <= c->nowOut() && d >= c->nowIn()) {
                if (tag == old)
                    Sound::shared().beep();
            } else {
                centreOn(d);
            }
        }
    } else if (headers_) {
        headers_->menuNowCurseur();
    }
    forgetDraggedLego();
}

void ZEVFrontGoToPanel::durationChange(ZEVButton* sender)
{
    const long tag = long(sender->property("tag").toLongLong());
    if (tag != durationTag_) {
        forgetDraggedLego();
        space_.setDurationTag(tag);
    } else {
        sender->setState(1);
    }
}

bool ZEVFrontGoToPanel::placerGoToDate()
{
    const long k = space_.goToTag();
    if (!space_.siDraggingSession())
        return true;
    ZEVRulerViewerServices* r = space_.rulerViewer();
    KELICurseur* search = space_.searchCurseur();
    if (k == 1 || k == 2) {
        if (k == 1 && headers_)
            headers_->menuNowCurseur();
        else if (r && search)
            r->userChangeActifCurseur(search);
        view_->setState(-1);
        return true;
    }
    std::optional<KELDate> t;
    if (k == 3)
        t = ZEVPasteboard::DateCreated();
    else if (k == 4)
        t = ZEVPasteboard::DateModified();
    else if (k == 5)
        t = ZEVPasteboard::DateOpened();
    if (!t || !r || !search) {
        Sound::shared().beep();
        view_->setState(0);
        return false;
    }
    const KELDate s = search->now();
    r->userChangeActifCurseur(search);
    view_->setState(-1);
    if (r->userInitieDeplacementCurseur()) {
        r->userPlaceCurseurEtRulerOffset(*t - s);
        r->userTermineDeplacementCurseur();
    }
    KELIContexte* c = space_.tlContexte();
    const double d = search->now();
    if (c && (d > c->nowOut() || d < c->nowIn()))
        centreOn(d);
    return true;
}

void ZEVFrontGoToPanel::draggingSessionDidStop() { view_->setState(0); }

void ZEVFrontGoToPanel::wheelEvent(QWheelEvent* event)
{
    if (ZEVRulerViewerServices* r = space_.rulerViewer())
        r->scrollWheelWithEvent(event);
    event->accept();
}

void ZEVFrontGoToPanel::dragEnterEvent(QDragEnterEvent* event)
{
    siDraggingUpdated_ = false;
    siForeignDrag_ = event->source() == nullptr;
    // Back over the panel before the end of the last leave: the drag goes on.
    Scheduler::shared().cancel(this, kStop);
    // Each entry reads the dragged things afresh: their dates are what a rest here jumps to.
    draggingSequenceNumber_ = long(ZEVPasteboard::LastUniqueInt()) + 1;
    ZEVPasteboard::AnalysePasteboard(event->mimeData(), draggingSequenceNumber_);
    space_.draggingSessionStartedWithInteger(draggingSequenceNumber_);
    view_->setState(0);
    Scheduler::shared().cancel(this, kPlacer);
    Scheduler::shared().perform(this, kPlacer, kSpringDelay, [this] { placerGoToDate(); });
    // Accepted so that the moves and the leave arrive; no drop is ever offered.
    event->setDropAction(Qt::IgnoreAction);
    event->accept();
}

void ZEVFrontGoToPanel::dragMoveEvent(QDragMoveEvent* event)
{
    const QPointF p = mapTo(window(), event->position().toPoint());
    if (QWidget* w = parentWidget() ? parentWidget()->window() : nullptr)
        space_.mouseMovedInLocation(QPointF(p.x(), w->height() - p.y()));
    if (!siDraggingUpdated_) {
        siDraggingUpdated_ = true;
        if (siForeignDrag_) {
            Scheduler::shared().cancel(this, kActivate);
            Scheduler::shared().perform(this, kActivate, kSpringDelay, [this] { space_.activateTallomer(); });
        }
    }
    event->ignore();
}

void ZEVFrontGoToPanel::dragLeaveEvent(QDragLeaveEvent* event)
{
    if (siForeignDrag_)
        Scheduler::shared().cancel(this, kActivate);
    Scheduler::shared().cancel(this, kPlacer);
    Scheduler::shared().perform(this, kStop, kSpringDelay, [this] { space_.draggingSessionDidStop(); });
    view_->setState(0);
    draggingSequenceNumber_ = -1;
    event->accept();
}

void ZEVFrontGoToPanel::dropEvent(QDropEvent* event)
{
    Scheduler::shared().cancel(this, kPlacer);
    space_.draggingSessionDidStop();
    draggingSequenceNumber_ = -1;
    event->setDropAction(Qt::IgnoreAction);
    event->ignore();
}

void ZEVFrontGoToPanel::closeEvent(QCloseEvent* event)
{
    QWidget::closeEvent(event);
}

void ZEVFrontGoToPanel::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    if (onClose_)
        onClose_();
}

} // namespace tallomer
