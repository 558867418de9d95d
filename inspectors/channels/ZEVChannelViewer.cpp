#include "inspectors/channels/ZEVChannelViewer.h"

#include "inspectors/channels/ZEVChannelTableView.h"
#include "space/ZEVSpaceController.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>

namespace tallomer {

ZEVChannelView::ZEVChannelView(ZEVInspectViewer& viewer)
    : ZEVInspectView(viewer, QStringLiteral("Channel"), kChannelMetrics,
                     [](ZEVInspectViewer& v, ZEVInspectView* panel) { return new ZEVChannelTableView(v, panel); })
{
}

ZEVChannelTableView* ZEVChannelView::channelTableView() const
{
    return static_cast<ZEVChannelTableView*>(inspectTableView());
}

ZEVChannelViewer::ZEVChannelViewer(ZEVSpaceController& space, KELId entityInt)
    : ZEVInspectViewer(space, entityInt), model_(this, space)
{
    model_.initialiser();
    model_.enclencherMaj();
}

ZEVChannelViewer::~ZEVChannelViewer()
{
    if (ZEVChannelTableView* t = channelTableView()) {
        t->viewport()->removeEventFilter(this);
        // The panel goes after the model: the list reads it no more.
        t->referencerChannelClass(nullptr);
        t->setZevClass(nullptr);
    }
    model_.referencerInspectTableView(nullptr);
}

ZEVChannelTableView* ZEVChannelViewer::channelTableView() const
{
    auto* v = static_cast<ZEVChannelView*>(inspectViewIfBuilt());
    return v ? v->channelTableView() : nullptr;
}

void ZEVChannelViewer::awakeFromNib()
{
    ZEVInspectViewer::awakeFromNib();
    ZEVChannelTableView* table = channelTableView();
    model_.referencerInspectTableView(table);
    table->referencerChannelClass(&model_);
    table->setZevClass(&model_);
    table->setLegoHeight(ZEVChannelTableView::kRowHeight, 0.0);
    model_.initSelectedChannel();
    // The pointer over the list, and its leaving, reach the list's magnifier.
    table->viewport()->installEventFilter(this);
    table->mouseMovedAtPoint(QPointF(ZEVChannelTableView::kPointerGone, 0));
}

bool ZEVChannelViewer::eventFilter(QObject* watched, QEvent* event)
{
    ZEVChannelTableView* table = channelTableView();
    if (table && watched == table->viewport()) {
        if (event->type() == QEvent::MouseMove) {
            auto* e = static_cast<QMouseEvent*>(event);
            if (e->buttons() == Qt::NoButton)
                table->mouseMovedAtPoint(e->position());
        } else if (event->type() == QEvent::Leave) {
            table->mouseMovedAtPoint(QPointF(ZEVChannelTableView::kPointerGone, 0));
        }
    }
    return ZEVInspectViewer::eventFilter(watched, event);
}

void ZEVChannelViewer::channelDidChangeWithIdentityInt(KELId identityInt)
{
    ZEVInspectViewer::channelDidChangeWithIdentityInt(identityInt);
    model_.channelDidChangeWithIdentityInt(identityInt);
}

void ZEVChannelViewer::actifCurseurDidChange()
{
    ZEVInspectViewer::actifCurseurDidChange();
    majInspectView();
}

std::optional<ZEVChannelPanelSpan> ZEVChannelViewer::channelViewIfOpen()
{
    ZEVInspectView* v = inspectViewIfBuilt();
    if (!siShowInspectView() || !v)
        return std::nullopt;
    const QRectF r = v->inspectRect();
    return ZEVChannelPanelSpan{v->frame().x(), r.x(), r.width()};
}

bool ZEVChannelViewer::menuInspectCancelRename()
{
    ZEVChannelTableView* t = channelTableView();
    QWidget* editor = QApplication::focusWidget();
    if (!t || !editor || editor == t || !t->isAncestorOf(editor))
        return false;
    // The editor's own Escape abandons the new name.
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(editor, &escape);
    t->setFocus(Qt::OtherFocusReason);
    return true;
}

void ZEVChannelViewer::majInspectView()
{
    if (ZEVChannelTableView* t = channelTableView())
        t->viewport()->update();
}

} // namespace tallomer
