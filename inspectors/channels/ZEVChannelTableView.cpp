#include "inspectors/channels/ZEVChannelTableView.h"

#include "look/KELSharedResources.h"
#include "engine/KELICurseur.h"
#include "engine/KELServeurDeLiens.h"
#include "inspectors/channels/ZEVChannelStrip.h"
#include "inspectors/table/ZEVTableModel.h"
#include "platform/Events.h"
#include "platform/Keys.h"
#include "platform/MenuText.h"
#include "ruler/ZEVRulerViewer.h"
#include "ruler/ZEVTlineType.h"
#include "ruler/ZEVTlineView.h"
#include "runtime/Log.h"
#include "space/ZEVSpaceController.h"
#include "platform/SystemColours.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>

#include <cmath>
#include <unordered_map>

namespace tallomer {

namespace {

QColor noir(double alpha) { return QColor::fromRgbF(0, 0, 0, float(alpha)); }

constexpr double kW = kZEVChannelSlotWidth;
constexpr double kH = kZEVChannelSlotHeight;

} // namespace

void ZEVChannelTextCell::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const QVariant font = index.data(Qt::FontRole);
    painter->save();
    painter->setFont(font.isValid() ? font.value<QFont>() : option.font);
    painter->setPen(Qt::white);
    painter->drawText(QRectF(option.rect).adjusted(0, 5, 0, -5), Qt::AlignLeft | Qt::AlignVCenter,
                      index.data(Qt::DisplayRole).toString());
    painter->restore();
}

ZEVChannelTableView::ZEVChannelTableView(ZEVInspectViewer& viewer, ZEVInspectView* panel)
    : ZEVInspectTableView(viewer, panel)
{
    setObjectName(QStringLiteral("ZEVChannelTableView"));
    setItemDelegate(new ZEVChannelTextCell(this));
    setLegoHeight(kRowHeight, 0.0);
    setColumnIdentifiers({QStringLiteral("identity")});
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The selected row is drawn by the row drawing itself: the style paints no highlight over it.
    QPalette pal = palette();
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        pal.setColor(g, QPalette::Highlight, Qt::transparent);
    setPalette(pal);
    channelRowMenu_ = new QMenu(this);
    channelRowMenu_->setObjectName(QStringLiteral("ChannelRowMenu"));
    QObject::connect(channelRowMenu_, &QMenu::aboutToHide, this, [this] {
        rightRow_ = -2;
        viewport()->update();
    });
}

ZEVChannelTableView::~ZEVChannelTableView() = default;

void ZEVChannelTableView::referencerChannelClass(ZEVChannelClass* model)
{
    channelClass_ = model;
    for (int i = 0; i < 8; ++i) {
        for (bool sel : {false, true}) {
            const double a = (sel ? 0.39 : 0.49) - 0.03 * i;
            QLinearGradient g(QPointF(0, 0), QPointF(kW, 0));
            g.setColorAt(0.0, noir(a));
            g.setColorAt(0.1, noir(a));
            g.setColorAt(1.0, noir(a - 0.03));
            (sel ? selGradients_ : gradients_)[std::size_t(i)] = g;
        }
    }
}

ZEVRulerViewer* ZEVChannelTableView::rulerViewer() const
{
    ZEVSpaceController* s = spaceController();
    return s ? dynamic_cast<ZEVRulerViewer*>(s->rulerViewer()) : nullptr;
}

std::optional<double> ZEVChannelTableView::xForDate(KELDate date) const
{
    ZEVRulerViewer* r = rulerViewer();
    ZEVTlineType* axe = r ? r->tlineType() : nullptr;
    if (!axe || !scale().valid())
        return std::nullopt;
    return scale().shift() + axe->relativeCoordinateForDate(date) * scale().bound();
}

void ZEVChannelTableView::mouseMovedAtPoint(const QPointF& point)
{
    pointerPosition_ = point;
    siPointerVertical_ = true;
    viewport()->update();
}

QColor ZEVChannelTableView::colorForColorInt(KELId colorInt) const
{
    ZEVSpaceController* s = spaceController();
    KELI* item = colorInt && s ? KELServeurDeLiens::LienForInt(colorInt, s->actifCurseur()) : nullptr;
    return item ? s->colorForColorItem(item) : QColor();
}

void ZEVChannelTableView::drawVignette(QPainter& p, const ZEVChannelVignette& v, double x, double y)
{
    const QColor c = colorForColorInt(v.colorInt);
    if (c.isValid())
        p.fillRect(QRectF(x, y, kW, kH), c);
    if (!v.image.isNull())
        p.drawImage(QPointF(x + v.point.x(), y + v.point.y()), v.image);
}

// ---- drawing ------------------------------------------------------------------------------------

void ZEVChannelTableView::paintEvent(QPaintEvent* event)
{
    viewWillDraw();
    const QRectF clip = event->rect();
    {
        QPainter p(viewport());
        updateFondColor();
        p.fillRect(clip, fondColor());
        if (curseurOutPosition() > curseurInPosition())
            p.fillRect(
                QRectF(curseurInPosition(), clip.top(), curseurOutPosition() - curseurInPosition(), clip.height()),
                curseurPeriodColor());
        const int first = std::max(0, rowAt(int(clip.top())));
        int last = rowAt(int(clip.bottom()));
        if (last < 0)
            last = numberOfRows() - 1;
        for (int r = first; r <= last; ++r)
            drawChannelRow(p, r);
    }
    // The names, over the strips.
    QTableView::paintEvent(event);
    const int r = rightRow_;
    if (r >= 0 && r < numberOfRows()) {
        QPainter p(viewport());
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF row(0, rowViewportPosition(r), viewport()->width(), rowHeight(r));
        QPainterPath path;
        path.addRoundedRect(row.adjusted(2, 4, -2, -4), 5.5, 5.5);
        p.strokePath(path, QPen(Qt::white, 1.0));
    }
}

void ZEVChannelTableView::drawChannelRow(QPainter& p, int row)
{
    ZEVSpaceController* space = spaceController();
    KELI* canal = channelClass_ ? channelClass_->channelForRow(row) : nullptr;
    if (!canal || !space)
        return;
    const double y0 = rowViewportPosition(row);
    const double W = viewport()->width();
    const double H = rowHeight(row);
    const bool selected = selectionModel() && selectionModel()->isRowSelected(row, QModelIndex());
    const KELSharedResources& couleurs = space->host().sharedResources();
    siPointerADroite_ = false;
    if (selected)
        p.fillRect(QRectF(0, y0, W, H), systemLightGrey());

    ZEVRulerViewer* r = rulerViewer();
    ZEVTlineType* axe = r ? r->tlineType() : nullptr;
    KELICurseur* now = space->nowCurseur();
    KELICurseur* search = space->searchCurseur();
    KELICurseur* actif = space->actifCurseur();
    const std::optional<double> nowX = now ? xForDate(now->now()) : std::nullopt;
    if (!axe || !nowX || !actif || !(scale().bound() > 0))
        return;
    const double shift = scale().shift();
    const double bound = scale().bound();
    const double searchX = search ? *xForDate(search->now()) : -1e9;
    const double actifX = std::floor(axe->relativeCoordinateForDate(actif->now()) * bound) + shift;
    auto dateAt = [&](double x) { return axe->dateForRelativeCoordinate((x - shift) / bound); };
    const double px = pointerPosition_.x();
    const KELId id = canal->idInt();

    const double s0 = ZEVChannelFirstSlot(*nowX);
    const int n = ZEVChannelSlotCount(W);
    channelClass_->willDisplay();
    KELId colorInt = 0;
    Vignette pointeur, zone, active;
    bool dansLaZone = false;
    auto lookup = [&](KELDate d, double x) {
        Vignette v;
        v.v.colorInt = colorInt;
        v.v.image = channelClass_->imageForDate(d, id, &v.v.point, &colorInt);
        v.v.colorInt = colorInt;
        v.x = x;
        v.siLa = true;
        return v;
    };
    auto pleinOuVide = [](const Vignette& v) { return v.v.image.isNull() == (v.v.colorInt == 0); };
    for (int i = 0; i < n; ++i) {
        const double x = s0 + kW * i;
        const double fx = std::floor(x);
        QPointF point;
        const QImage image = channelClass_->imageForDate(dateAt(x), id, &point, &colorInt);
        const QColor c = colorForColorInt(colorInt);
        if (c.isValid())
            p.fillRect(QRectF(fx, y0, kW, kH), c);
        if (!image.isNull())
            p.drawImage(QPointF(fx + point.x(), y0 + point.y()), image);
        if (i < 8) {
            QLinearGradient g = (selected ? selGradients_ : gradients_)[std::size_t(i)];
            g.setStart(fx, 0);
            g.setFinalStop(fx + kW, 0);
            p.fillRect(QRectF(fx, y0, kW, kH), g);
        } else {
            p.fillRect(QRectF(fx, y0, kW, kH), noir(selected ? 0.15 : 0.25));
        }
        if (ZEVChannelSiZoneDroite(px, W) && !siMouseDown_) {
            dansLaZone = true;
            if (x < actifX && actifX < x + kW) {
                zone = lookup(actif->now(), W - kW);
                siPointerADroite_ = pleinOuVide(zone);
            }
        } else if (x < px && px < x + kW) {
            siPointerNow_ = ZEVChannelSiPresNow(px, *nowX);
            siPointerSearch_ = !siPointerNow_ && search && ZEVChannelSiPresSearch(px, searchX);
            if (siPointerNow_)
                pointeur = lookup(now->now(), std::floor(*nowX));
            else if (siPointerSearch_)
                pointeur = lookup(search->now(), std::floor(searchX));
            else
                pointeur = lookup(dateAt(px), std::floor(px));
        }
        if (px < 0 && x < actifX && actifX < x + kW) {
            Vignette v = lookup(actif->now(), actifX);
            if (pleinOuVide(v))
                active = v;
        }
    }

    if (pointeur.siLa) {
        drawVignette(p, pointeur.v, pointeur.x, y0);
        const QRectF box(pointeur.x, y0, kW, kH);
        if (!selected)
            p.fillRect(box, noir(0.15));
        if (!siMouseDown_ && siPointerVertical_) {
            QColor ligne = Qt::white;
            QRectF trait(pointeur.x, y0, 1, H);
            if (siPointerNow_) {
                ligne = couleurs.nowCurseurColor();
                trait = QRectF(pointeur.x - 1, y0, 3, H);
            } else if (siPointerSearch_ && actif == now) {
                ligne = couleurs.searchCurseurColor();
                trait = QRectF(pointeur.x - 1, y0, 3, H);
            }
            p.fillRect(trait, ligne);
            if (selected) {
                p.setPen(QPen(ligne, 1.0));
                p.drawRect(box.adjusted(0.5, 0.5, -0.5, -0.5));
            }
        } else if (selected) {
            p.setPen(QPen(couleurs.curseurColor(), 1.0));
            p.drawRect(box.adjusted(0.5, 0.5, -0.5, -0.5));
        }
    } else if (siPointerADroite_) {
        drawVignette(p, zone.v, W - kW, y0);
        const QRectF box(W - kW, y0, kW, kH);
        const bool sousLaSouris = rowAt(int(pointerPosition_.y())) == row;
        if (!selected && !sousLaSouris)
            p.fillRect(box, noir(0.5));
        p.fillRect(QRectF(W - 51, y0, 5, H), selected ? QColor(Qt::white) : systemGrey());
        if (selected) {
            p.setPen(QPen(Qt::white, 1.0));
            p.drawRect(box.adjusted(0.5, 0.5, -0.5, -0.5));
        }
    } else if (dansLaZone) {
        siPointerADroite_ = true;
        p.fillRect(QRectF(W - 51, y0, 5, H), selected ? QColor(Qt::white) : systemGrey());
    } else if (active.siLa) {
        drawVignette(p, active.v, active.x, y0);
        const QRectF box(active.x, y0, kW, kH);
        if (selected) {
            p.setPen(QPen(couleurs.curseurColor(), 1.0));
            p.drawRect(box.adjusted(0.5, 0.5, -0.5, -0.5));
        } else {
            p.fillRect(box, noir(0.15));
        }
    }
    if (actif != now)
        p.fillRect(QRectF(std::floor(axe->relativeCoordinateForDate(now->now()) * bound) + shift, y0, 1, H),
                   couleurs.nowCurseurColor());
}

// ---- mouse --------------------------------------------------------------------------------------

void ZEVChannelTableView::selectRowAlone(int row)
{
    if (row < 0 || row >= numberOfRows() || !selectionModel())
        return;
    const QModelIndex i = tableModel()->index(row, 0);
    selectionModel()->setCurrentIndex(i, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(i);
}

void ZEVChannelTableView::dragToRuler(QMouseEvent* event)
{
    ZEVRulerViewer* r = rulerViewer();
    if (!r || !window())
        return;
    const QPointF w = viewport()->mapTo(window(), event->position());
    QMouseEvent e(event->type(), event->position(), w, event->globalPosition(), event->button(), event->buttons(),
                  event->modifiers());
    if (event->type() == QEvent::MouseButtonPress)
        r->draggWithEvent(&e);
    else
        r->draggEntityWithEvent(&e);
}

void ZEVChannelTableView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        event->accept();
        if (QMenu* m = menuForRowAt(event->position()))
            m->popup(event->globalPosition().toPoint());
        return;
    }
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    event->accept();
    viewWillDraw();
    const QPointF pos = event->position();
    const int row = rowAt(int(std::floor(pos.y())));
    siMouseDraggedInside_ = true;
    ZEVSpaceController* space = spaceController();
    // The right-end zone only selects the row.
    if (!ZEVChannelSiZoneDroite(pos.x(), viewport()->width()) && space) {
        siMouseDown_ = true;
        siMouseDragged_ = false;
        siMoveEnCours_ = false;
        ZEVRulerViewer* r = rulerViewer();
        ZEVTlineType* axe = r ? r->tlineType() : nullptr;
        KELICurseur* now = space->nowCurseur();
        KELICurseur* search = space->searchCurseur();
        KELICurseur* actif = space->actifCurseur();
        const std::optional<double> nowX = now ? xForDate(now->now()) : std::nullopt;
        if (r && axe && nowX && search && actif && r->siAccepteDeplacement()) {
            const bool nowActif = actif == now;
            const bool presNow = ZEVChannelSiPresNow(pos.x(), *nowX);
            const bool presSearch = ZEVChannelSiPresSearch(pos.x(), *xForDate(search->now()));
            const KELDate t = actif->now();
            const bool dansLaPlage = axe->inDate() <= t && t <= axe->outDate();
            const std::optional<KELDate> date =
                ZEVChannelDateForStripX(pos.x() - scale().shift(), scale().bound(), axe->inDate(), axe->lenght());
            switch (ZEVChannelPressFor(nowActif, presNow, presSearch, dansLaPlage)) {
            case ZEVChannelPress::Rien:
                break;
            case ZEVChannelPress::ActiverNow:
                r->userChangeActifCurseur(now);
                break;
            case ZEVChannelPress::ActiverSearch:
                r->userChangeActifCurseur(search);
                r->displayRuler();
                break;
            case ZEVChannelPress::PlacerSearch:
                // A strip without width gives no date: the press only selects the row.
                if (!date)
                    break;
                if (nowActif)
                    r->userChangeActifCurseur(search);
                r->setClickPositionForDisplay(search, 4);
                if (r->userInitieDeplacementCurseur()) {
                    siMoveEnCours_ = true;
                    r->userPlaceCurseurToDate(*date);
                }
                r->displayRuler();
                break;
            case ZEVChannelPress::SuivreSearch:
                r->setClickPositionForDisplay(search, 4);
                if (r->userInitieDeplacementCurseur()) {
                    siMoveEnCours_ = true;
                    dragToRuler(event);
                }
                break;
            }
        }
    }
    if (row >= 0 && !(selectionModel() && selectionModel()->isRowSelected(row, QModelIndex()) &&
                      selectionModel()->selectedRows().size() == 1))
        selectRowAlone(row);
    viewport()->update();
}

void ZEVChannelTableView::mouseDoubleClickEvent(QMouseEvent* event) { mousePressEvent(event); }

void ZEVChannelTableView::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton) || !siMouseDown_) {
        ZEVInspectTableView::mouseMoveEvent(event);
        return;
    }
    event->accept();
    siMouseDragged_ = true;
    pointerPosition_ = event->position();
    const double y = event->position().y();
    if (y > 0 && y < viewport()->height()) {
        siMouseDraggedInside_ = true;
        const int row = rowAt(int(std::floor(y)));
        if (row >= 0 && !(selectionModel() && selectionModel()->isRowSelected(row, QModelIndex())))
            selectRowAlone(row);
    } else {
        siMouseDraggedInside_ = false;
    }
    if (siMoveEnCours_)
        dragToRuler(event);
    viewport()->update();
}

void ZEVChannelTableView::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    mouseMovedAtPoint(event->position());
    if (!siMouseDown_)
        return;
    ZEVSpaceController* space = spaceController();
    // Only a move this press started is ended here: another one (an animation, a drag on the
    // strip) goes on.
    if (siMoveEnCours_)
        if (ZEVRulerViewer* r = rulerViewer())
            r->userTermineDeplacementCurseur();
    siMoveEnCours_ = false;
    if (space)
        space->addToHistory();
    if (siMouseDragged_ && selectionModel() && !selectionModel()->selectedRows().isEmpty())
        scrollTo(selectionModel()->selectedRows().first());
    if (!siMouseDraggedInside_)
        pointerPosition_.setX(kPointerDraggedOut);
    siPointerVertical_ = false;
    viewport()->update();
    siMouseDown_ = false;
    siMouseDragged_ = false;
}

QMenu* ZEVChannelTableView::menuForRowAt(const QPointF& point)
{
    const int row = rowAt(int(std::floor(point.y())));
    KELI* canal = channelClass_ ? channelClass_->channelForRow(row) : nullptr;
    if (!canal)
        return nullptr;
    viewWillDraw();
    mouseMovedAtPoint(QPointF(kPointerGone, 0));
    channelRowMenu_->clear();
    const bool siSelectionnee = selectionModel() && selectionModel()->isRowSelected(row, QModelIndex());
    const QString nom = menuText(QString::fromStdString(channelClass_->nameOfChannelForRow(row)));
    QAction* choix = channelRowMenu_->addAction(siSelectionnee ? QStringLiteral("\"%1\"").arg(nom)
                                                               : QStringLiteral("Set \"%1\"").arg(nom));
    choix->setCheckable(true);
    choix->setChecked(siSelectionnee);
    choix->setEnabled(!siSelectionnee);
    QObject::connect(choix, &QAction::triggered, this, [this, row] { selectRowAlone(row); });
    channelRowMenu_->addSeparator();
    QAction* maintenant = channelRowMenu_->addAction(QStringLiteral("Now"));
    maintenant->setData(qlonglong(2000009));
    // Highlighted, the menu's preview makes the Now cursor active.
    maintenant->setProperty("tag", qlonglong(2000009));
    QObject::connect(maintenant, &QAction::triggered, this, [this] {
        if (ZEVSpaceController* s = spaceController())
            s->gotoPreviousFromLien(nullptr);
    });
    channelRowMenu_->addSeparator();
    ZEVTableElement e{canal, nullptr};
    // The right-clicked row is outlined while its menu shows.
    rightRow_ = row;
    return channelClass_->updateRowMenu(channelRowMenu_, *this, e);
}

void ZEVChannelTableView::selectAll()
{
    QTableView::selectAll();
    if (ZEVSpaceController* s = spaceController())
        s->updateChannelWithIdentitySet();
}

// ---- keys ---------------------------------------------------------------------------------------

void ZEVChannelTableView::keyPressEvent(QKeyEvent* event)
{
    if (siTextSearching()) {
        logLine(QStringLiteral("ZEVChannelTableView  text searching: %1   Ne devrait jamais passer par là !!!")
                    .arg(event->text())
                    .toStdString());
        return;
    }
    ZEVSpaceController* space = spaceController();
    const bool meta = event->modifiers() & Qt::MetaModifier;
    switch (event->key()) {
    case Qt::Key_Up:
        if (meta) {
            if (space)
                space->menuHistoryNext();
        } else {
            QTableView::keyPressEvent(event);
        }
        return;
    case Qt::Key_Down:
        if (meta) {
            if (space)
                space->menuHistoryPrevious();
        } else {
            QTableView::keyPressEvent(event);
        }
        return;
    case Qt::Key_Left:
        if (space)
            space->host().menuAction(ZEVSpaceMenuAction::SpaceCleanPrevious);
        return;
    case Qt::Key_Right:
        if (space)
            space->host().menuAction(ZEVSpaceMenuAction::SpaceCleanNext);
        return;
    default: {
        ZEVRulerViewer* r = rulerViewer();
        if (auto* s = r ? dynamic_cast<ZEVTlineView*>(r->tlineView()) : nullptr)
            s->keyDown(event);
        return;
    }
    }
}

void ZEVChannelTableView::wheelEvent(QWheelEvent* event)
{
    QWidget* panel = parentWidget();
    if (!(event->modifiers() & keys::kCommand) || !panel) {
        ZEVInspectTableView::wheelEvent(event);
        return;
    }
    QWheelEvent auPanneau = events::wheelEventAt(*event, viewport()->mapTo(panel, event->position()));
    QCoreApplication::sendEvent(panel, &auPanneau);
    event->accept();
}

} // namespace tallomer
