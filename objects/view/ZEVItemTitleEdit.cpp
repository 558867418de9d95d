// An Object's title edited in place, in a line editor laid over the title, and the title's colours.

#include "objects/view/ZEVItemView.h"

#include "objects/viewer/ZEVItemViewer.h"
#include "services/ZEVSpaceForObjectViews.h"

#include <QEvent>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QKeyEvent>
#include <QLineEdit>

namespace tallomer {

std::optional<ZEVItemTitleColours> ZEVItemView::titleColours() const
{
    ZEVSpaceForObjectViews* s = space();
    if (!s)
        return std::nullopt;
    ZEVItemTitleState st;
    st.time = timeState();
    st.connecting = siConnecting_;
    st.edited = s->isTitleEditedForItem(item_);
    st.modifiable = siModifiableTitle();
    st.selected = s->isTitleSelectedForItem(item_);
    st.frontMode = s->frontMode();
    return titleColoursFor(st);
}

QRectF ZEVItemView::titleDeskRect() const
{
    const QRectF inView = titleView_->rectInView();
    // The view's own coordinates are y-down from its top: turned over into desk points.
    return QRectF(frame_.x() + inView.x(), frame_.y() + frame_.height() - inView.bottom(), inView.width(),
                  inView.height());
}

namespace {
// Return and Escape belong to the editor while it has the keyboard, before any shortcut.
class TitleKeys final : public QObject {
public:
    TitleKeys(QLineEdit* editor, ZEVItemView* view) : QObject(editor), view_(view) {}
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::ShortcutOverride) {
            const int k = static_cast<QKeyEvent*>(event)->key();
            if (k == Qt::Key_Return || k == Qt::Key_Enter || k == Qt::Key_Escape) {
                event->accept();
                return true;
            }
        }
        if (event->type() == QEvent::KeyPress) {
            const int k = static_cast<QKeyEvent*>(event)->key();
            if (k == Qt::Key_Return || k == Qt::Key_Enter || k == Qt::Key_Escape) {
                view_->endTitleEdit(k != Qt::Key_Escape);
                return true;
            }
        }
        if (event->type() == QEvent::FocusOut) {
            // Leaving the editor keeps what was typed, as Return does.
            view_->endTitleEdit(true);
            return false;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    ZEVItemView* view_;
};
} // namespace

bool ZEVItemView::editTitle()
{
    if (titleEditor_)
        return true;
    if (!siModifiableTitle() || !scene() || scene()->views().isEmpty() || !titleView_->isVisible())
        return false;
    QGraphicsView* canvas = scene()->views().constFirst();
    ZEVSpaceForObjectViews* s = space();
    if (s)
        s->editTitleForItem(item_);
    orderToFront();
    const QRect r = canvas->mapFromScene(titleView_->sceneBoundingRect()).boundingRect();
    titleEditor_ = new QLineEdit(canvas->viewport()); // owned by the viewport; deleted at the end
    titleEditor_->setObjectName(QStringLiteral("ZEVItemTitleEditor"));
    titleEditor_->setAlignment(Qt::AlignCenter);
    titleEditor_->setFrame(false);
    titleEditor_->setText(itemTitle_);
    titleEditor_->setGeometry(r.adjusted(0, -2, 0, 2));
    titleEditor_->selectAll();
    auto* keys = new TitleKeys(titleEditor_, this);
    keys->setObjectName(QStringLiteral("ZEVItemTitleKeys"));
    titleEditor_->installEventFilter(keys);
    titleView_->setVisible(false);
    titleEditor_->show();
    titleEditor_->setFocus(Qt::MouseFocusReason);
    return true;
}

void ZEVItemView::endTitleEdit(bool keep)
{
    QLineEdit* editor = titleEditor_;
    if (!editor)
        return;
    titleEditor_ = nullptr;
    // The editor goes later, once its events are out: its keys must not reach this view by then
    // (the view may be gone when the window closes).
    delete editor->findChild<QObject*>(QStringLiteral("ZEVItemTitleKeys"), Qt::FindDirectChildrenOnly);
    const QString text = editor->text();
    editor->hide();
    editor->deleteLater();
    titleView_->setVisible(true);
    ZEVSpaceForObjectViews* s = space();
    if (s)
        s->editTitleForItem(nullptr);
    if (keep && text != itemTitle_ && itemViewer_)
        itemViewer_->userChangeTitle(text, this);
    else
        titleView_->setText(itemTitle_);
    if (keep && text != itemTitle_)
        setItemTitle(text);
    setFocus(Qt::OtherFocusReason);
    update();
}

} // namespace tallomer
