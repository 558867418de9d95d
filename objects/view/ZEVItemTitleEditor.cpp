#include "objects/view/ZEVItemTitleEditor.h"

#include "objects/view/ZEVItemView.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "services/ZEVSpaceForObjectViews.h"

#include <QEvent>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QKeyEvent>
#include <QLineEdit>

namespace tallomer {

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

bool ZEVItemTitleEditor::start()
{
    if (editor_)
        return true;
    if (!view_.siModifiableTitle() || !view_.scene() || view_.scene()->views().isEmpty() ||
        !view_.titleView()->isVisible())
        return false;
    QGraphicsView* canvas = view_.scene()->views().constFirst();
    ZEVSpaceForObjectViews* s = view_.space();
    if (s)
        s->editTitleForItem(view_.item());
    view_.orderToFront();
    const QRect r = canvas->mapFromScene(view_.titleView()->sceneBoundingRect()).boundingRect();
    editor_ = new QLineEdit(canvas->viewport()); // owned by the viewport; deleted at the end
    editor_->setObjectName(QStringLiteral("ZEVItemTitleEditor"));
    editor_->setAlignment(Qt::AlignCenter);
    editor_->setFrame(false);
    editor_->setText(view_.itemTitle());
    editor_->setGeometry(r.adjusted(0, -2, 0, 2));
    editor_->selectAll();
    auto* keys = new TitleKeys(editor_, &view_);
    keys->setObjectName(QStringLiteral("ZEVItemTitleKeys"));
    editor_->installEventFilter(keys);
    view_.titleView()->setVisible(false);
    editor_->show();
    editor_->setFocus(Qt::MouseFocusReason);
    return true;
}

void ZEVItemTitleEditor::end(bool keep)
{
    QLineEdit* editor = editor_;
    if (!editor)
        return;
    editor_ = nullptr;
    // The editor goes later, once its events are out: its keys must not reach this view by then
    // (the view may be gone when the window closes).
    delete editor->findChild<QObject*>(QStringLiteral("ZEVItemTitleKeys"), Qt::FindDirectChildrenOnly);
    const QString text = editor->text();
    editor->hide();
    editor->deleteLater();
    view_.titleView()->setVisible(true);
    ZEVSpaceForObjectViews* s = view_.space();
    if (s)
        s->editTitleForItem(nullptr);
    if (keep && text != view_.itemTitle() && view_.itemViewer())
        view_.itemViewer()->userChangeTitle(text, &view_);
    else
        view_.titleView()->setText(view_.itemTitle());
    if (keep && text != view_.itemTitle())
        view_.setItemTitle(text);
    view_.setFocus(Qt::OtherFocusReason);
    view_.update();
}

} // namespace tallomer
