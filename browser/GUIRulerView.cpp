#include "browser/GUIRulerView.h"

#include "browser/GUIRulerCurseurView.h"
#include "look/KELSharedResources.h"
#include "engine/KELICurseur.h"
#include "platform/Events.h"
#include "platform/files/PropertyList.h"
#include "ruler/ZEVTlineScale.h"
#include "runtime/Clock.h"
#include "runtime/Log.h"

#include <QDir>
#include <QFontMetricsF>
#include <QHash>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>

#include <algorithm>
#include <cmath>

namespace tallomer {

GUIRulerRessources& GUIRulerRessources::partagees()
{
    static GUIRulerRessources r;
    return r;
}

void GUIRulerRessources::referencer(const KELSharedResources& resources, const QString& dossier)
{
    GUIRulerRessources& r = partagees();
    r.rulerTexteColor = resources.rulerTexteColor();
    r.passeColor = resources.passeColor();
    r.futurColor = resources.futurColor();
    r.rulerTexteActifColor = resources.rulerTexteActifColor();
    r.passeActifColor = resources.passeActifColor();
    r.futurActifColor = resources.futurActifColor();
    r.presentActifColor = resources.presentActifColor();
    r.curseurColor = resources.curseurColor();
    r.dossier = dossier;
}

namespace {

QHash<QString, std::optional<QVariantMap>>& apparences()
{
    static QHash<QString, std::optional<QVariantMap>> cache;
    return cache;
}

} // namespace

GUIRulerView::GUIRulerView(QWidget* parent) : QWidget(parent)
{
    const GUIRulerRessources& r = GUIRulerRessources::partagees();
    foregroundColor_ = r.rulerTexteColor;
    couleurFutur_ = r.futurColor;
    couleurPasse_ = r.passeColor;
    setMarkAppearanceSet(QStringLiteral("default"));
    setFocusPolicy(Qt::ClickFocus);
}

void GUIRulerView::setRuler(std::shared_ptr<GUIRulerType> ruler)
{
    ruler_ = std::move(ruler);
    displayedUnits_.reset();
    update();
}

void GUIRulerView::rulerDidChange()
{
    displayedUnits_.reset();
    update();
}

void GUIRulerView::setPosition(int position)
{
    position_ = position;
    displayedUnits_.reset();
    update();
}

void GUIRulerView::assignForegroundColor(const QColor& c)
{
    foregroundColor_ = c;
    update();
}

void GUIRulerView::setMarkAppearanceSet(const QString& name)
{
    markAppearanceSet_ = name;
    marksAppearance(name);
}

const QVariantMap* GUIRulerView::marksAppearance(const QString& set)
{
    auto& cache = apparences();
    auto it = cache.find(set);
    if (it == cache.end()) {
        const QString path = QDir(GUIRulerRessources::partagees().dossier)
                                 .filePath(QStringLiteral("browser/") + set + QStringLiteral("MarksAppearance.table"));
        const PropertyListRead read = readPropertyListFile(path);
        std::optional<QVariantMap> table;
        if (read && read.value->typeId() == QMetaType::QVariantMap)
            table = read.value->toMap();
        it = cache.insert(set, table);
    }
    return it->has_value() ? &**it : nullptr;
}

void GUIRulerView::oublierLesApparences() { apparences().clear(); }

KELDate GUIRulerView::dateForPoint(QPointF p) const
{
    if (!ruler_)
        return 0.0;
    const double w = width(), h = height();
    const double r = position_ > 1 ? (h > 0 ? (h - p.y()) / h : 0.0) : (w > 0 ? p.x() / w : 0.0);
    return ruler_->dateForRelativeCoordinate(r);
}

QPointF GUIRulerView::pointForDate(KELDate date) const
{
    const double w = width(), h = height();
    const double r = ruler_ ? ruler_->relativeCoordinateForDate(date) : 0.0;
    if (position_ > 1)
        return {w / 2, std::floor(h - r * h)};
    return {std::floor(r * w), h / 2};
}

void GUIRulerView::suivreLaLargeurDe(QWidget* hote, int y, int hauteur)
{
    if (hote_)
        hote_->removeEventFilter(this);
    hote_ = hote;
    yHote_ = y;
    setGeometry(0, y, hote ? hote->width() : width(), hauteur);
    if (hote)
        hote->installEventFilter(this);
    raise();
}

bool GUIRulerView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == hote_ && event->type() == QEvent::Resize)
        setGeometry(0, yHote_, hote_->width(), height());
    return false;
}

void GUIRulerView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    displayedUnits_.reset();
}

QRectF GUIRulerView::drawRuler(QPainter&, const QRectF& rect) { return rect; }

void GUIRulerView::paintEvent(QPaintEvent* event)
{
    if (!displayedUnits_)
        chooseDisplayedUnits();
    QPainter painter(this);
    drawRuler(painter, versQt(QRectF(event->rect())));
}

// ---- the line ----

GUIRulerViewLine::GUIRulerViewLine(QWidget* parent) : GUIRulerView(parent) {}

void GUIRulerViewLine::chooseDisplayedUnits()
{
    ++choix_;
    cycleDisplayed_ = 1;
    if (!ruler_) {
        displayedUnits_.emplace();
        return;
    }
    cyclePrinted_ = 0;
    firstDislpayedTitlesUnit_ = nullptr;
    const auto& units = ruler_->units();
    if (units.empty()) {
        displayedUnits_.emplace();
        return;
    }
    const bool horizontal = position_ <= 1;
    // The room of a title: a band 15 high along a horizontal ruler, the width less 5 across a
    // vertical one.
    const QSizeF zone = horizontal ? QSizeF(width(), kBandeDesTitres) : QSizeF(std::max(0, width() - 5), height());
    std::vector<ZEVTlineUnitTraits> traits;
    traits.reserve(units.size());
    for (const auto& u : units) {
        std::vector<std::int64_t> cycles(u->stepUpCycles().begin(), u->stepUpCycles().end());
        traits.push_back({u->name(), u->includedUnitsNames(), u->typicalEventRelativeLength(),
                          u->largestRelevantStepUpCycle() > 0 ? u->largestRelevantStepUpCycle() : 1,
                          u->typicalEventTitle(), std::move(cycles)});
    }
    ZEVTlineChoiceRules rules;
    rules.length = (horizontal ? width() : height()) - 1;
    rules.minSpan = kEcartMin;
    // Across the band it is the title's ink that must fit: the line of a 12-point sans, with its
    // room below the baseline, is taller than the band itself.
    static const QFontMetricsF encre(ZEVTlineLabelCell::font());
    rules.fits = [&](const QString& title, double span) {
        const QSizeF s = ZEVTlineLabelCell::cellSize(title);
        const double h = encre.tightBoundingRect(title).height();
        return horizontal ? s.width() <= span && h <= zone.height() : s.width() <= zone.width() && h <= span;
    };
    rules.extent = [&](const QString& title) {
        const QSizeF s = ZEVTlineLabelCell::cellSize(title);
        return horizontal ? s.width() : s.height();
    };
    const ZEVTlineUnitIndexChoice c = chooseUnits(traits, rules);
    std::vector<GUIRulerUnit*> shown;
    for (std::size_t i : c.displayed)
        shown.push_back(units[i].get());
    displayedUnits_ = std::move(shown);
    firstDislpayedTitlesUnit_ = c.firstTitled ? units[*c.firstTitled].get() : nullptr;
    cyclePrinted_ = int(std::max<std::int64_t>(1, c.cyclePrinted));
    cycleDisplayed_ = int(std::max<std::int64_t>(1, c.cycleDisplayed));
    enlargeFactor_ = c.enlargeFactor;
}

QRectF GUIRulerViewLine::drawRuler(QPainter& painter, const QRectF& rect)
{
    if (!displayedUnits_ || displayedUnits_->empty() || !ruler_)
        return rect;
    traits_.clear();
    titres_.clear();
    const double W = width(), Hb = height();
    const QSizeF bande(W, kBandeDesTitres);
    const double H = Hb - kBandeDesTitres; // the tick area, from the bottom edge up
    const double y = 0;
    const double t = ZEVTlineLabelCell::cellSizeForBounds(displayedUnits_->front()->typicalEventTitle(), bande).width();

    // Past and future meet at the present; a span wholly on one side is wholly in its colour.
    const double xNow = std::clamp(ruler_->relativeCoordinateForDate(Clock::shared().now()) * (W - 1), 0.0, W);
    painter.fillRect(versQt(QRectF(0, 0, xNow, Hb)), couleurPasse_);
    painter.fillRect(versQt(QRectF(xNow, 0, W - xNow, Hb)), couleurFutur_);

    if (viewerDelegate_)
        for (GUIRulerCurseurView* v : viewerDelegate_->curseurViews())
            if (v)
                v->drawCurseurViewInCGContext(painter);

    // Only the marks of the redrawn range, widened by half a title so that a title straddling its
    // edge is drawn whole.
    const double a = W > 0 ? std::max(0.0, rect.left() - t / 2) / W : 0.0;
    const double b = W > 0 ? std::min(1.0, (rect.right() + t / 2) / W) : 0.0;
    etendue_ = {a, b};

    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(foregroundColor_, 1));
    std::vector<ZEVTlineLabel> tenus;
    bool titres = false;
    for (std::size_t i = 0; i < displayedUnits_->size(); ++i) {
        GUIRulerUnit* u = (*displayedUnits_)[i];
        int cycleTitre = 1;
        if (u == firstDislpayedTitlesUnit_) {
            titres = true;
            cycleTitre = cyclePrinted_;
        }
        u->setMinStepUpCycle(i == 0 ? cycleDisplayed_ : 1);
        const std::vector<GUIRulerMark>& marks = u->eventsWithinRelative(a, b);
        u->setMinStepUpCycle(1);
        for (const GUIRulerMark& m : marks) {
            const int c = m.stepUpCycle() ? m.stepUpCycle() : 1;
            const double longueur = tickHeight(m.relativeLength(), c, enlargeFactor_, H);
            if (longueur <= kTickHeightMin)
                continue;
            const double x = m.relativeStart() * (W - 1);
            const double xp = std::floor(x);
            painter.drawLine(QLineF(xp, Hb - y, xp, Hb - (y + longueur)));
            traits_.push_back({x, longueur});
            if (!titres || c % cycleTitre != 0)
                continue;
            const QSizeF s = ZEVTlineLabelCell::cellSizeForBounds(m.title(), bande);
            placeLabel(tenus, {QRectF(x - s.width() / 2, y + longueur, s.width(), s.height()), m.title()}, W);
        }
    }
    painter.setFont(ZEVTlineLabelCell::font());
    for (const ZEVTlineLabel& l : tenus) {
        painter.drawText(versQt(l.rect), Qt::AlignCenter, l.title);
        titres_.push_back({l.rect, l.title});
    }
    return rect;
}

} // namespace tallomer
