#include "ruler/ZEVTlineView.h"

#include "look/KELSharedResources.h"
#include "engine/KELICurseur.h"
#include "runtime/Clock.h"
#include "ruler/ZEVRulerViewer.h"
#include "ruler/ZEVTlineType.h"
#include "space/ZEVSpaceController.h"

#include <QMenu>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <utility>

namespace tallomer {

namespace {

QColor gris(double g) { return QColor::fromRgbF(float(g), float(g), float(g)); }

QSizeF mesurer(const QString& text, const QSizeF& band) { return ZEVTlineLabelCell::cellSizeForBounds(text, band); }

} // namespace

ZEVTlineView::ZEVTlineView(const QRectF& frame, ZEVRulerViewer& viewer, QWidget* parent)
    : QWidget(parent), viewer_(viewer)
{
    setObjectName(QStringLiteral("ZEVTlineView"));
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    setFocusPolicy(Qt::ClickFocus);
    setAcceptDrops(true);
    const KELSharedResources& r = viewer_.spaceController().host().sharedResources();
    foregroundColor_ = r.rulerTexteColor();
    passeColor_ = gris(0.55);
    futurColor_ = gris(0.74);
    rulerColours_ = {r.passeColor(), r.futurColor()};
    construireLeMenu();
    setFrameYUp(frame);
    hide();
}

ZEVTlineView::~ZEVTlineView() = default;

ZEVFrontViewerServices* ZEVTlineView::front() const { return viewer_.spaceController().frontViewer(); }

ZEVRulerViewbarServices* ZEVTlineView::bar() const { return viewer_.rulerViewbar(); }

// ---------------------------------------------------------------------------------------------
// State

QRectF ZEVTlineView::frame() const
{
    const QRect g = geometry();
    const double parentHeight = parentWidget() ? parentWidget()->height() : g.height();
    return QRectF(g.x(), parentHeight - g.y() - g.height(), g.width(), g.height());
}

void ZEVTlineView::setFrameYUp(const QRectF& f)
{
    const double parentHeight = parentWidget() ? parentWidget()->height() : f.height();
    setGeometry(QRectF(f.x(), parentHeight - f.y() - f.height(), f.width(), f.height()).toRect());
}

void ZEVTlineView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    oublierLesUnites();
}

void ZEVTlineView::oublierLesUnites()
{
    choix_.reset();
    majOpacite();
}

void ZEVTlineView::majOpacite()
{
    // The strip lies over the desk. Once it knows it will cover itself with its opaque tints,
    // Qt leaves out the desk's paint under it, which each frame of a cursor step would otherwise
    // pay for. Until the units are chosen again it may draw nothing, and the desk shows through.
    // On a fractional scale, the pixel where the past meets the future blends with what lies under.
    auto opaque = [](const QColor& c) { return c.alpha() == 255; };
    const double dpr = devicePixelRatioF();
    const bool couvre = tlineType_ && choix_ && !choix_->displayedUnits.empty() && dpr == std::floor(dpr) &&
                        opaque(passeColor_) && opaque(futurColor_) && opaque(rulerColours_.passe) &&
                        opaque(rulerColours_.futur);
    if (testAttribute(Qt::WA_OpaquePaintEvent) != couvre)
        setAttribute(Qt::WA_OpaquePaintEvent, couvre);
}

void ZEVTlineView::setTlineType(ZEVTlineType* axis)
{
    tlineType_ = axis;
    oublierLesUnites();
    update();
}

void ZEVTlineView::assignForegroundColor(const QColor& color)
{
    foregroundColor_ = color;
    update();
}

void ZEVTlineView::setSiRulerTime(bool siRulerTime)
{
    siRulerTime_ = siRulerTime;
    update();
}

void ZEVTlineView::setClickPositionForDisplay(int code)
{
    clickPosition_ = code;
    const KELSharedResources& r = viewer_.spaceController().host().sharedResources();
    rulerColours_ = rulerColoursForCode(code, siRulerTime_, r.passeColor(), r.futurColor(), rulerColours_);
    majOpacite();
    repaint();
}

void ZEVTlineView::rulerDidChange()
{
    oublierLesUnites();
    update();
}

const ZEVTlineUnitChoice& ZEVTlineView::displayedUnits()
{
    if (!choix_) {
        static const std::vector<std::unique_ptr<ZEVTlineUnit>> aucune;
        choix_ = chooseDisplayedUnits(tlineType_ ? tlineType_->units() : aucune, largeur(), mesurer);
        majOpacite();
    }
    return *choix_;
}

void ZEVTlineView::ajouterCurseurView(ZEVTlineCurseurView* view)
{
    if (view)
        curseurViews_.push_back(view);
}

void ZEVTlineView::placerDevantCurseurView(ZEVTlineCurseurViewServices* view)
{
    auto it = std::find(curseurViews_.begin(), curseurViews_.end(), view);
    if (it == curseurViews_.end())
        return;
    ZEVTlineCurseurView* v = *it;
    curseurViews_.erase(it);
    curseurViews_.push_back(v);
    update();
}

ZEVTlineCurseurView* ZEVTlineView::curseurViewAt(const QPointF& p) const
{
    for (auto it = curseurViews_.rbegin(); it != curseurViews_.rend(); ++it) {
        const QRectF& f = (*it)->frame();
        if (p.x() >= f.left() && p.x() < f.left() + f.width() && p.y() >= f.top() && p.y() < f.top() + f.height())
            return *it;
    }
    return nullptr;
}

// ---------------------------------------------------------------------------------------------
// Coordinates

KELDate ZEVTlineView::dateForPoint(const QPointF& p) const
{
    const double w = largeur();
    if (!tlineType_ || !(w > 0))
        return tlineType_ ? tlineType_->inDate() : 0.0;
    return tlineType_->dateForRelativeCoordinate(p.x() / w);
}

QPointF ZEVTlineView::pointForDate(KELDate date) const
{
    const double rel = tlineType_ ? tlineType_->relativeCoordinateForDate(date) : 0.0;
    return QPointF(std::floor(rel * largeur()), hauteur() * 0.5);
}

std::optional<KELDate> ZEVTlineView::dateAtX(double x) const
{
    const double w = largeur();
    if (!tlineType_ || w < 2)
        return std::nullopt;
    return tlineType_->dateForRelativeCoordinate(x / (w - 1));
}

QPointF ZEVTlineView::pointDansLeStrip(const QPointF& windowPosition) const
{
    const QWidget* w = window();
    const QPointF local = w && w != this ? mapFrom(w, windowPosition) : windowPosition;
    return QPointF(local.x(), height() - local.y());
}

// ---------------------------------------------------------------------------------------------
// Drawing

void ZEVTlineView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    drawRuler(p);
}

void ZEVTlineView::drawRuler(QPainter& p)
{
    const ZEVTlineUnitChoice& choix = displayedUnits();
    if (choix.displayedUnits.empty() || !tlineType_)
        return;
    const double w = largeur(), h = hauteur();
    const std::vector<ZEVTlineCurseurView*> vues = [this] {
        std::vector<ZEVTlineCurseurView*> v;
        for (ZEVTlineCurseurViewServices* s : viewer_.curseurViews())
            if (auto* c = dynamic_cast<ZEVTlineCurseurView*>(s))
                v.push_back(c);
        return v;
    }();
    KELICurseur* actif = viewer_.actifCurseur();

    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    // y-up from here on.
    p.translate(0, h);
    p.scale(1, -1);
    ZEVTlineTintInput tint;
    tint.width = w;
    tint.height = h;
    tint.siRulerTime = siRulerTime_;
    tint.code = clickPosition_;
    tint.actifRelative = actif ? tlineType_->relativeCoordinateForDate(actif->now()) : 0.0;
    tint.presentRelative = tlineType_->relativeCoordinateForDate(Clock::shared().now());
    tint.passe = passeColor_;
    tint.futur = futurColor_;
    tint.rulerPasse = rulerColours_.passe;
    tint.rulerFutur = rulerColours_.futur;
    for (const ZEVTlineTint& t : tintsFor(tint))
        p.fillRect(t.rect, t.colour);
    if (siCmd_) {
        const double f = width();
        const double px = f > 0 ? pointerXInWindow_ / f * w - 1 : 0;
        p.fillRect(QRectF(px, 0, 3, h), Qt::white);
    }
    for (ZEVTlineCurseurView* v : vues)
        v->drawCurseurView(p);

    const ZEVTlineScale scale = scaleForChoice(choix, w, h, mesurer);
    for (const ZEVTlineTick& t : scale.ticks)
        p.fillRect(QRectF(std::floor(t.x), 0, 1, t.height), foregroundColor_);
    p.restore();

    // Labels are drawn the right way up, in Qt's coordinates.
    p.setFont(ZEVTlineLabelCell::font());
    p.setPen(foregroundColor_);
    for (const ZEVTlineLabel& l : scale.labels)
        p.drawText(QRectF(l.rect.x(), h - l.rect.y() - l.rect.height(), l.rect.width(), l.rect.height()),
                   Qt::AlignCenter, l.title);

    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.translate(0, h);
    p.scale(1, -1);
    for (ZEVTlineCurseurView* v : vues)
        v->drawAiguille(p);
    p.restore();
}

// ---------------------------------------------------------------------------------------------
// The menu

void ZEVTlineView::construireLeMenu()
{
    menuRuler_ = new QMenu(this);
    auto item = [this](const QString& title, int tag) {
        QAction* a = menuRuler_->addAction(title);
        a->setData(tag);
        a->setCheckable(true);
        return a;
    };
    // The bar's cursor commands, as its buttons give them.
    connect(item(QStringLiteral("Now"), kTagNow), &QAction::triggered, this, [this] {
        if (ZEVRulerViewbarServices* b = bar())
            b->menuNowCurseur(this);
    });
    connect(item(QStringLiteral("Search"), kTagSearch), &QAction::triggered, this, [this] {
        if (ZEVRulerViewbarServices* b = bar())
            b->menuSearchCurseur(this);
    });
    connect(item(QStringLiteral("Ruler"), kTagRuler), &QAction::triggered, this, [this] {
        if (ZEVRulerViewbarServices* b = bar())
            b->menuRuler(this);
    });
    menuRuler_->addSeparator();
    menuRulerPast_ = menuRuler_->addAction(QStringLiteral("Show the Past"));
    connect(menuRulerPast_, &QAction::triggered, this, [this] { cadrerLeCurseur(1.0); });
    menuRulerPeriod_ = menuRuler_->addAction(QStringLiteral("Show the Period"));
    connect(menuRulerPeriod_, &QAction::triggered, this, [this] { cadrerLeCurseur(0.5); });
    menuRulerFuture_ = menuRuler_->addAction(QStringLiteral("Show the Future"));
    connect(menuRulerFuture_, &QAction::triggered, this, [this] { cadrerLeCurseur(0.0); });
    menuRuler_->addSeparator();
    // The strip's zooms frame the period of the active cursor's moment (tags from 301 zoom the
    // timeline).
    const std::pair<const char*, ZEVZoomUnite> zooms[] = {
        {"This Minute", ZEVZoomUnite::Minute}, {"This Hour", ZEVZoomUnite::Heure},
        {"This Day", ZEVZoomUnite::Jour},       {"This Week", ZEVZoomUnite::Semaine},
        {"This Month", ZEVZoomUnite::Mois},     {"This Quarter", ZEVZoomUnite::Trimestre},
        {"This Year", ZEVZoomUnite::Annee},
    };
    int tag = kTagZoomThisMinute;
    for (const auto& [titre, unite] : zooms) {
        QAction* a = menuRuler_->addAction(QString::fromLatin1(titre));
        a->setData(tag);
        connect(a, &QAction::triggered, this, [this, unite = unite, tag] {
            viewer_.userZoom(ZEVZoomFamille::This, unite, viewer_.curseurForMenuTag(tag));
        });
        ++tag;
    }
    menuRuler_->addSeparator();
    connect(item(QStringLiteral("Time Bar"), kTagTimebar), &QAction::triggered, this, [this] { viewer_.userToggleTimebar(); });
    connect(item(QStringLiteral("Timeline"), kTagTline), &QAction::triggered, this, [this] { viewer_.fermetureRuler(); });
    connect(item(QStringLiteral("Tracks"), kTagTracks), &QAction::triggered, this, [this] { viewer_.userToggleTracks(); });
    connect(item(QStringLiteral("Toolbar"), kTagToolbar), &QAction::triggered, this, [this] { viewer_.userToggleToolbar(); });
    menuRuler_->addSeparator();
    connect(item(QStringLiteral("Channels"), kTagChannels), &QAction::triggered, this,
            [this] { viewer_.userSelectContext(kTagChannels); });
    menuRulerLegosDuration_ = menuRuler_->addAction(QString());
    menuRulerLegosDuration_->setEnabled(false);

    connect(menuRuler_, &QMenu::aboutToShow, this, [this] { menuWillOpen(menuRuler_); });
    connect(menuRuler_, &QMenu::hovered, this, [this](QAction* a) { menuWillHighlightItem(menuRuler_, a); });
    connect(menuRuler_, &QMenu::aboutToHide, this, [this] { menuDidClose(menuRuler_); });
}

void ZEVTlineView::menuWillOpen(QMenu* menu)
{
    if (menu != menuRuler_)
        return;
    ZEVFrontViewerServices* f = front();
    ZEVRulerViewbarServices* b = bar();
    const bool s = b && b->stateOfRulerButton();
    KELICurseur* actif = viewer_.actifCurseur();
    for (QAction* a : menu->actions()) {
        switch (a->data().toInt()) {
        case kTagNow:
        case kTagSearch: {
            const bool siCeCurseur = actif == (a->data().toInt() == kTagNow ? viewer_.nowCurseur() : viewer_.searchCurseur());
            // Qt's menus have no mixed state: the Ruler item carries it.
            a->setChecked(siCeCurseur);
            break;
        }
        case kTagRuler:
            a->setChecked(s);
            break;
        case kTagChannels: {
            ZEVContextViewerServices* c = viewer_.spaceController().contextViewer();
            a->setEnabled(c != nullptr);
            ZEVCocherItemDeBarre(a, f, c);
            break;
        }
        case kTagTimebar:
        case kTagTline:
        case kTagTracks:
        case kTagToolbar:
            ZEVCocherItemDeBarre(a, f, nullptr);
            break;
        default:
            break;
        }
    }
    const QString duree = f ? f->durationStringForAllLegos() : QString();
    menuRulerLegosDuration_->setText(duree);
    menuRulerLegosDuration_->setVisible(!duree.isEmpty());
}

void ZEVTlineView::menuWillHighlightItem(QMenu* menu, QAction* item)
{
    if (menu != menuRuler_)
        return;
    const int tag = item ? item->data().toInt() : 0;
    const QString titres[3][3] = {{QStringLiteral("Now TimeCursor"), QStringLiteral("Search"), QStringLiteral("Ruler")},
                                  {QStringLiteral("Now"), QStringLiteral("Search TimeCursor"), QStringLiteral("Ruler")},
                                  {QStringLiteral("Now"), QStringLiteral("Search"), QStringLiteral("Ruler TimeLine")}};
    const QString simples[3] = {QStringLiteral("Now"), QStringLiteral("Search"), QStringLiteral("Ruler")};
    const QString* t = tag == kTagNow ? titres[0] : tag == kTagSearch ? titres[1] : tag == kTagRuler ? titres[2] : simples;
    for (QAction* a : menu->actions()) {
        const int at = a->data().toInt();
        if (at == kTagNow)
            a->setText(t[0]);
        else if (at == kTagSearch)
            a->setText(t[1]);
        else if (at == kTagRuler)
            a->setText(t[2]);
    }
    int code = ZEVTlineCurseurView::kNone;
    if (item == menuRulerPast_)
        code = ZEVTlineCurseurView::kInEdge;
    else if (item == menuRulerFuture_)
        code = ZEVTlineCurseurView::kOutEdge;
    else if (item == menuRulerPeriod_ || (tag >= 321 && tag <= 329))
        code = ZEVTlineCurseurView::kWholeContext;
    setClickPositionForDisplay(code);
}

void ZEVTlineView::menuDidClose(QMenu* menu)
{
    if (menu == menuRuler_)
        setClickPositionForDisplay(ZEVTlineCurseurView::kNone);
}

void ZEVTlineView::cadrerLeCurseur(double a)
{
    KELICurseur* c = viewer_.actifCurseur();
    KELIContexte* tl = viewer_.tlContexte();
    if (!c || !tl || !viewer_.userInitieDeplacementCurseur())
        return;
    const double d = c->now() - (tl->nowIn() + a * (tl->nowOut() - tl->nowIn()));
    viewer_.userPlaceRulerOffsetIn(d, d);
    viewer_.displayRuler();
    viewer_.userTermineDeplacementCurseur();
}

} // namespace tallomer
