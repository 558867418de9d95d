// The shared table's mouse, wheel and keys.

#include "inspectors/table/ZEVTableView.h"

#include "desk/viewer/ZEVDeskViewer.h"
#include "engine/KELLien.h"
#include "inspectors/base/ZEVInspectGeometry.h"
#include "inspectors/base/ZEVInspectView.h"
#include "ruler/ZEVRulerViewer.h"
#include "ruler/ZEVTlineView.h"
#include "runtime/Log.h"
#include "services/ZEVFrontViewerServices.h"
#include "services/ZEVItemViewForDesks.h"
#include "space/ZEVSpaceController.h"

#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QWheelEvent>

#include <cmath>

#include <algorithm>

namespace tallomer {

namespace {
// Whether the panel's own press (a drag of its bar or edges) runs: the table then leaves the
// mouse alone.
bool siPanneauPresse(const ZEVInspectView* panel) { return panel && panel->clickPosition() != ZEVInspectZoneNone; }
} // namespace

void ZEVTableView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        rightMouseDown(event);
        return;
    }
    if (event->button() != Qt::LeftButton) {
        QTableView::mousePressEvent(event);
        return;
    }
    const QPointF pos = event->position();
    const int row = rowAt(int(std::floor(pos.y())));
    viewWillDraw();
    if (zevClass_)
        zevClass_->refreshIndexOfSelectedRowsForTableView(*this);
    // No range selection by Shift: a Shift-click is a plain click, a Shift-Ctrl-click a Ctrl-click.
    if (event->modifiers() & Qt::ShiftModifier)
        event->setModifiers(event->modifiers() & Qt::ControlModifier);
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    const ZEVTableElement* e = element(row);
    if (e && selectionModel()->isRowSelected(row, QModelIndex()) && e->channelInt() == KELId(currentChannelInt())) {
        KELI* hit = legoAtPoint(row, pos);
        if (selectedRowCount() == 1 || siSelectionViewMode_) {
            if (!ctrl && hit && (row == monoSelectedRow_ || siSelectionViewMode_))
                selectedLegoId_ = selectedLegoId_ == hit->idInt() ? 0 : hit->idInt();
            else
                selectedLegoId_ = 0;
            viewport()->update();
            monoSelectedRow_ = row;
        } else {
            monoSelectedRow_ = -1;
        }
    }
    if (siSelectionViewMode_ && !siColonneDeMode(columnAt(int(pos.x()))))
        return;
    QTableView::mousePressEvent(event);
}

void ZEVTableView::rightMouseDown(QMouseEvent* event)
{
    rightSelectedLegoId_ = 0;
    const int row = rowAt(int(std::floor(event->position().y())));
    if (!element(row)) {
        // Off the rows the panel (or whatever holds the table) takes the right click.
        rightSelectedRow_ = -2;
        viewport()->update();
        event->ignore();
        return;
    }
    viewWillDraw();
    KELI* hit = legoAtPoint(row, event->position());
    rightSelectedLegoId_ = hit ? hit->idInt() : 0;
    rightSelectedRow_ = row;
    rightSelectedColumn_ = columnAt(int(std::floor(event->position().x())));
    viewport()->update();
    event->accept();
    if (QMenu* menu = menuForRow(row))
        menu->popup(event->globalPosition().toPoint());
    else
        disableRightSelectedRow();
}

void ZEVTableView::mouseMovedAtPoint(const QPointF& point)
{
    const int column = columnAt(int(std::floor(point.x())));
    if (column < 0) {
        previousColumn_ = -1;
        return;
    }
    if (column != previousColumn_) {
        previousColumn_ = column;
        viewport()->update();
    }
}

void ZEVTableView::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() == Qt::NoButton) {
        mouseMovedAtPoint(event->position());
        QTableView::mouseMoveEvent(event);
        // The panel (and through it the Space) follows the pointer over its table too.
        event->ignore();
        return;
    }
    if (event->modifiers() & Qt::ShiftModifier)
        return;
    if (siSelectionViewMode_ && !siColonneDeMode(columnAt(int(event->position().x()))))
        return;
    if (siPanneauPresse(inspectView_))
        return;
    QTableView::mouseMoveEvent(event);
}

void ZEVTableView::mouseReleaseEvent(QMouseEvent* event)
{
    if (inspectView_ && (event->modifiers() & Qt::ShiftModifier))
        return;
    const int column = columnAt(int(std::floor(event->position().x())));
    const int row = rowAt(int(std::floor(event->position().y())));
    if (siSelectionViewMode_ && !siColonneDeMode(column) && element(row)) {
        mouseUpInSelectionList(event, row);
        return;
    }
    if (siPanneauPresse(inspectView_))
        return;
    QTableView::mouseReleaseEvent(event);
}

void ZEVTableView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->modifiers() & Qt::ShiftModifier)
        event->setModifiers(event->modifiers() & Qt::ControlModifier);
    QTableView::mouseDoubleClickEvent(event);
}

void ZEVTableView::mouseUpInSelectionList(QMouseEvent* event, int row)
{
    const ZEVTableElement* e = element(row);
    if (!e || !space_)
        return;
    const KELId channel = e->channelInt();
    if (channel == 0)
        return;
    if (channel != KELId(currentChannelInt())) {
        if (ZEVChannelViewerServices* c = space_->channelViewerServices())
            if (ZEVChannelClassServices* model = c->channelClass())
                model->selectChannelInt(channel);
        return;
    }
    KELI* objet = e->objetPourColonne(columnAt(int(std::floor(event->position().x()))));
    if (!objet)
        return;
    KELICurseur* actif = actifCurseur();
    ZEVDeskViewer* desk = actif ? space_->deskViewerForCurseur(actif) : nullptr;
    if (ZEVItemViewForDesks* view = desk ? desk->itemViewForItem(objet) : nullptr)
        view->flick();
    else
        space_->openViewersForCurseur(space_->tlCurseur(), objet);
}

void ZEVTableView::wheelEvent(QWheelEvent* event)
{
    const QPoint d = event->angleDelta().isNull() ? event->pixelDelta() : event->angleDelta();
    if (std::abs(d.x()) < std::abs(d.y())) {
        QTableView::wheelEvent(event);
        return;
    }
    event->accept();
    ZEVRulerViewerServices* r = space_ ? space_->rulerViewer() : nullptr;
    if (!r)
        return;
    // The ruler reads the pointer in the window's coordinates.
    QWheelEvent inWindow(viewport()->mapTo(window(), event->position()), event->globalPosition(), event->pixelDelta(),
                         event->angleDelta(), event->buttons(), event->modifiers(), event->phase(), event->inverted());
    r->scrollWheelWithEvent(&inWindow);
}

void ZEVTableView::cancelOperation()
{
    if (frontViewer_)
        frontViewer_->userStepBack();
}

void ZEVTableView::keyPressEvent(QKeyEvent* event)
{
    if (siTextSearching()) {
        logLine(QStringLiteral("ZEVTableView  text searching: %1   Ne devrait jamais passer par là !!!")
                    .arg(event->text())
                    .toStdString());
        return;
    }
    ZEVTlineView* s = strip();
    auto auStrip = [&] {
        if (s)
            s->keyDown(event);
    };
    const bool meta = event->modifiers() & Qt::MetaModifier;
    switch (event->key()) {
    case Qt::Key_Escape:
        cancelOperation();
        return;
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (siArrowUpDown_) {
            auStrip();
        } else if (meta) {
            if (space_)
                event->key() == Qt::Key_Up ? space_->menuHistoryNext() : space_->menuHistoryPrevious();
        } else {
            // Every reload of the rows forgets the current row: the step starts from the
            // selection the user sees, not from the top.
            const QModelIndexList rows = selectionModel() ? selectionModel()->selectedRows() : QModelIndexList();
            if (!rows.isEmpty() && !(currentIndex().isValid() && selectionModel()->isSelected(currentIndex()))) {
                int row = rows.first().row();
                for (const QModelIndex& i : rows)
                    row = event->key() == Qt::Key_Down ? std::max(row, i.row()) : std::min(row, i.row());
                selectionModel()->setCurrentIndex(model()->index(row, std::max(0, currentIndex().column())),
                                                  QItemSelectionModel::NoUpdate);
            }
            QTableView::keyPressEvent(event);
        }
        return;
    case Qt::Key_End:
        if (space_)
            space_->host().menuAction(ZEVSpaceMenuAction::GotoNext);
        return;
    case Qt::Key_Home:
        if (space_)
            space_->host().menuAction(ZEVSpaceMenuAction::GotoPrevious);
        return;
    default:
        auStrip();
        return;
    }
}

} // namespace tallomer
