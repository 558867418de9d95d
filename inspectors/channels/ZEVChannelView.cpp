#include "inspectors/channels/ZEVChannelView.h"

#include "look/KELSharedResources.h"
#include "engine/KELICurseur.h"
#include "inspectors/base/ZEVInspectPanels.h"
#include "inspectors/channels/ZEVChannelTableView.h"
#include "inspectors/channels/ZEVChannelViewer.h"
#include "platform/Events.h"
#include "platform/Keys.h"
#include "ruler/ZEVRulerViewer.h"
#include "ruler/ZEVTlineView.h"
#include "runtime/Scheduler.h"
#include "space/ZEVSpaceController.h"
#include "widgets/ZEVButton.h"

#include <QComboBox>
#include <QCursor>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <cmath>

namespace tallomer {

namespace {

// The zoom presets: seconds of the strip per 48 of its points, ascending.
struct Preset {
    const char* title;
    qulonglong seconds;
};
constexpr Preset kZoomPresets[] = {
    {"1 min", 60},         {"5 min", 300},         {"15 min", 900},          {"1 hour", 3600},
    {"3 hours", 10800},    {"6 hours", 21600},     {"12 hours", 43200},      {"1 day", 86400},
    {"2 days", 172800},    {"1 week", 604800},     {"1 month", 2592000},     {"3 months", 7776000},
    {"1 year", 31536000},  {"10 years", 315360000},
};

constexpr int kButton = 22;

// The pop-up whose list's showing and hiding are told: its highlights preview zooms.
class ZoomPopUp final : public QComboBox {
public:
    using QComboBox::QComboBox;
    std::function<void()> willShow, didHide;

    void showPopup() override
    {
        if (willShow)
            willShow();
        QComboBox::showPopup();
    }
    void hidePopup() override
    {
        QComboBox::hidePopup();
        if (didHide)
            didHide();
    }
};

} // namespace

void ZEVChannelView::setZoomPopUpHooks(std::function<void()> willShow, std::function<void()> didHide)
{
    auto* p = static_cast<ZoomPopUp*>(zoomPopUp_);
    p->willShow = std::move(willShow);
    p->didHide = std::move(didHide);
}

ZEVChannelView::ZEVChannelView(ZEVChannelViewer& viewer)
    : ZEVInspectView(viewer, QStringLiteral("Channel"), kChannelMetrics,
                     [](ZEVInspectViewer& v, ZEVInspectView* panel) { return new ZEVChannelTableView(v, panel); }),
      channels_(viewer)
{
    struct Spec {
        ZEVButton** field;
        const char* name;
        const char* title;
        const char* tip;
    };
    const Spec specs[] = {
        {&btnDeskHome_, "btnDeskHome", "\u2302", "Home"},
        {&btnChannelUp_, "btnChannelUp", "\u25b2", "Channel Up"},
        {&btnChannelDown_, "btnChannelDown", "\u25bc", "Channel Down"},
        {&btnGotoPreviousSpace_, "btnGotoPreviousSpace", "\u21e4", "Previous Space"},
        {&btnGotoNextSpace_, "btnGotoNextSpace", "\u21e5", "Next Space"},
        {&btnCleanAndReplace_, "btnDeskClean", "\u2327", "Clean"},
    };
    for (const Spec& s : specs) {
        auto* b = new ZEVButton(this);
        b->setObjectName(QString::fromLatin1(s.name));
        b->setText(QString::fromUtf8(s.title));
        b->setToolTip(QString::fromLatin1(s.tip));
        b->setFocusPolicy(Qt::NoFocus);
        b->setCell(std::make_unique<ZEVButtonCell2>());
        // The step or the menu sets the light; the click alone does not.
        b->setCheckable(true);
        b->setSiClickKeepsState(true);
        *s.field = b;
    }
    zoomPopUp_ = new ZoomPopUp(this);
    zoomPopUp_->setObjectName(QStringLiteral("zoomPopUp"));
    zoomPopUp_->setFocusPolicy(Qt::NoFocus);
    for (const Preset& p : kZoomPresets)
        zoomPopUp_->addItem(QString::fromLatin1(p.title), QVariant::fromValue(p.seconds));
    // The count field takes the label's place: it also edits the Space's name.
    inspectField()->hide();
    countField_ = new QLineEdit(this);
    countField_->setObjectName(QStringLiteral("CountField"));
    setCountFieldEditing(false);
    placerLaBarre();
}

ZEVChannelView::~ZEVChannelView() { Scheduler::shared().cancel(this, kScrollWheelStop); }

ZEVChannelTableView* ZEVChannelView::channelTableView() const
{
    return static_cast<ZEVChannelTableView*>(inspectTableView());
}

void ZEVChannelView::setCountFieldEditing(bool editing)
{
    countField_->setReadOnly(!editing);
    countField_->setFrame(editing);
    countField_->setFocusPolicy(editing ? Qt::StrongFocus : Qt::NoFocus);
    // At rest it is part of the bar: presses on it move the panel or step back.
    countField_->setAttribute(Qt::WA_TransparentForMouseEvents, !editing);
    QPalette pal = countField_->palette();
    pal.setColor(QPalette::Base, editing ? QColor(Qt::white) : QColor(Qt::transparent));
    pal.setColor(QPalette::Text, editing ? QColor(Qt::black) : QColor(178, 178, 178));
    countField_->setPalette(pal);
}

QRectF ZEVChannelView::inspectBarRect() const
{
    return QRectF(20, 20, btnAdd()->x() - 20, metrics().barWidth);
}

void ZEVChannelView::setFrame(const QRectF& r)
{
    // The slide itself glides freely; the rule holds the panel wherever else it is placed.
    if (clickPosition() != ZEVInspectZoneNone || !parentWidget() || viewer().siAnimationInspectViewRuns()) {
        superSetFrame(r);
        return;
    }
    superSetFrame(ZEVChannelRules::frame(metrics(), frontFrame(), r));
    ZEVChannelTableView* t = channelTableView();
    if (t && t->selectionModel() && !t->selectionModel()->selectedRows().isEmpty())
        t->scrollTo(t->selectionModel()->selectedRows().first());
}

void ZEVChannelView::resizeEvent(QResizeEvent* event)
{
    ZEVInspectView::resizeEvent(event);
    placerLaBarre();
}

void ZEVChannelView::placerLaBarre()
{
    // Qt's y-down: the bar is the last barWidth points above the shadow's margin.
    const int bar = int(metrics().barWidth);
    const int by = height() - 20 - bar + (bar - kButton) / 2;
    int x = 52;
    for (ZEVButton* b : {btnDeskHome_, btnChannelUp_, btnChannelDown_, btnGotoPreviousSpace_, btnGotoNextSpace_,
                         btnCleanAndReplace_}) {
        b->setGeometry(x, by, 24, kButton);
        x += 26;
    }
    zoomPopUp_->setGeometry(x + 2, by, 90, kButton);
    x += 96;
    const int fin = btnEntity()->x() - 4;
    countField_->setGeometry(x, by, std::max(0, fin - x), kButton);
    if (QWidget* marks = findChild<QWidget*>(QStringLiteral("InspectMarks")))
        marks->raise();
}

std::optional<double> ZEVChannelView::xForDate(double date) const
{
    ZEVRulerViewerServices* ruler = viewer().spaceController().rulerViewer();
    const double largeur = ruler ? ruler->tlineWidth() : -1;
    const double span = ruler ? ruler->tlineSpan() : 0;
    if (!(largeur > 0) || !(span > 0))
        return std::nullopt;
    const double x = std::floor((date - ruler->dateForTlinePoint(0)) / span * largeur) - frame().x();
    return std::isfinite(x) ? std::optional<double>(x) : std::nullopt;
}

void ZEVChannelView::dessinerLesMarques(QPainter& p)
{
    majCurseurRects();
    ZEVSpaceController& space = viewer().spaceController();
    const KELSharedResources& colours = space.host().sharedResources();
    auto qt = [this](const QRectF& r) { return QRectF(r.x(), height() - r.y() - r.height(), r.width(), r.height()); };
    const double Fw = frame().width();
    auto visible = [Fw](double x) { return x >= 20 && x < Fw - 20; };
    auto disque = [&](const QRectF& r, const QColor& c) {
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawEllipse(qt(r));
    };

    // The Ctrl-scroll line under the pointer.
    auto* ruler = dynamic_cast<ZEVRulerViewer*>(space.rulerViewer());
    auto* strip = ruler ? dynamic_cast<ZEVTlineView*>(ruler->tlineView()) : nullptr;
    if (strip && strip->siCmd() && parentWidget()) {
        const double m = parentWidget()->mapFromGlobal(QCursor::pos()).x() - frame().x();
        if (const std::optional<QRectF> ligne = ZEVChannelRules::ctrlScrollLine(m, Fw, metrics().barWidth))
            p.fillRect(qt(*ligne), Qt::white);
    }

    KELICurseur* actif = space.actifCurseur();
    if (!actif)
        return;
    const std::optional<double> ax = xForDate(actif->now());
    if (!ax)
        return;
    // The active cursor's past band, from its context's start (or the bar's left end).
    const QRectF band = ZEVChannelRules::pastBand(xForDate(actif->nowIn()), *ax, Fw, actif->now() - actif->nowIn());
    const bool search = actif == space.searchCurseur();
    if (search) {
        if (KELICurseur* now = space.nowCurseur())
            if (const std::optional<double> nx = xForDate(now->now()); nx && visible(*nx))
                p.fillRect(qt(QRectF(*nx, 20, 1, metrics().barWidth)), colours.nowCurseurColor());
    }
    if (band.width() > 0)
        p.fillRect(qt(band), colours.passeActifColor());
    if (!search) {
        if (KELICurseur* s = space.searchCurseur())
            if (const std::optional<double> sx = xForDate(s->now()); sx && visible(*sx))
                p.fillRect(qt(QRectF(*sx - 1, 30, 3, 22)), colours.searchCurseurColor());
    }
    if (!visible(*ax))
        return;
    if (search) {
        p.fillRect(qt(QRectF(*ax, 30, 1, 22)), colours.searchCurseurColor());
        disque(QRectF(*ax - 5, 25, 11, 11), colours.searchCurseurColor());
    } else {
        p.fillRect(qt(QRectF(*ax, 29, 1, 22)), colours.nowCurseurColor());
        disque(QRectF(*ax - 6, 24, 13, 13), colours.nowCurseurColor());
    }
}

void ZEVChannelView::mouseReleaseEvent(QMouseEvent* event)
{
    if (clickPosition() == ZEVInspectZoneNone) {
        ZEVInspectView::mouseReleaseEvent(event);
        return;
    }
    ZEVSpaceController& space = viewer().spaceController();
    if (siMouseDragged()) {
        garderLaGeometrie(frame().x(), frame().width(), frame().height() - 10);
        ZEVChannelTableView* t = channelTableView();
        if (t && t->selectionModel() && !t->selectionModel()->selectedRows().isEmpty())
            t->scrollTo(t->selectionModel()->selectedRows().first());
    } else if (!siFirstClickDown() && inspectBarRect().contains(yUpPoint(event->position()))) {
        channels_.inspectStepBack();
    }
    if (siDeplacementCurseur()) {
        setSiDeplacementCurseur(false);
        auto* ruler = dynamic_cast<ZEVRulerViewer*>(space.rulerViewer());
        if (ruler) {
            ruler->userTermineDeplacementCurseur();
            // A Now cursor dragged from the bar takes the Home preset along.
            if (siMouseDragged() && space.actifCurseur() == space.nowCurseur())
                ruler->menuPresetSaveHome();
        }
        space.addToHistory();
    }
    setSiSelected(false);
    setClickPosition(ZEVInspectZoneNone);
}

void ZEVChannelView::scrollWheelStop()
{
    Scheduler::shared().cancel(this, kScrollWheelStop);
    wheel_.stop();
}

void ZEVChannelView::wheelEvent(QWheelEvent* event)
{
    const QPointF p = yUpPoint(event->position());
    if (!siDansLeContenu(p)) {
        event->ignore();
        return;
    }
    event->accept();
    auto* ruler = dynamic_cast<ZEVRulerViewer*>(viewer().spaceController().rulerViewer());
    if (!ruler)
        return;
    QWheelEvent inWindow = events::wheelEventAt(*event, mapTo(window(), event->position()));
    auto* strip = dynamic_cast<ZEVTlineView*>(ruler->tlineView());
    const QRectF a = curseurActifRect();
    const QRectF marque(a.x() - 2, a.y() - 8, a.width() + 6, a.height() + 8);
    if (marque.contains(p) && !(strip && strip->siScrollWheelStart())) {
        if (ZEVTlineCurseurViewServices* c = ruler->curseurViewForActifCurseur())
            c->scrollWheelEntityWithEvent(&inWindow);
        return;
    }
    if (!(event->modifiers() & keys::kCommand)) {
        ZEVFrontViewerServices* front = viewer().frontViewer();
        if (front && !front->siTlineOpened())
            front->userToggleTline();
        if (ZEVTlineViewServices* t = ruler->tlineView())
            t->scrollWheel(&inWindow);
        return;
    }
    const events::WheelDeltas d = events::wheelDeltas(*event);
    const ZEVChannelRules::Wheel::Result r = wheel_.add(d.x, d.y);
    using Step = ZEVChannelRules::Wheel::Step;
    switch (r.step) {
    case Step::NextSpace:
        channels_.userNextSpace();
        break;
    case Step::PreviousSpace:
        channels_.userPreviousSpace();
        break;
    case Step::ChannelDown:
        channels_.menuChannelDown();
        break;
    case Step::ChannelUp:
        channels_.menuChannelUp();
        break;
    case Step::None:
        break;
    }
    if (r.counted) {
        Scheduler::shared().cancel(this, kScrollWheelStop);
        Scheduler::shared().perform(this, kScrollWheelStop, ZEVChannelRules::Wheel::kQuiet, [this] { wheel_.stop(); },
                                    true);
    }
}

} // namespace tallomer
