#include "front/ZEVFrontEvents.h"

#include "widgets/TextEntry.h"

#include <QApplication>
#include <QCoreApplication>
#include <QWindow>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>

namespace tallomer {

int stepBackKeyCode(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return kKeyReturn;
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
        return kKeyDelete;
    case Qt::Key_Escape:
        return kKeyEscape;
    default:
        return kOtherKey;
    }
}

ZEVCurrentEventRecorder::ZEVCurrentEventRecorder()
{
    if (QCoreApplication* app = QCoreApplication::instance())
        app->installEventFilter(this);
    // A press can give its widget the focus before this filter sees it: the focus it took away
    // is the one before the press.
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance()))
        connect(app, &QApplication::focusChanged, this, [this](QWidget* old, QWidget*) {
            if (QGuiApplication::mouseButtons() != Qt::NoButton) {
                event_.focusBeforePress = old;
                focusMovedByPress_ = true;
            }
        });
}

ZEVCurrentEventRecorder::~ZEVCurrentEventRecorder() { showPointer(); }

void ZEVCurrentEventRecorder::hidePointer()
{
    if (hidden_ || !qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return;
    QGuiApplication::setOverrideCursor(QCursor(Qt::BlankCursor));
    hidden_ = true;
}

void ZEVCurrentEventRecorder::showPointer()
{
    if (!hidden_)
        return;
    hidden_ = false;
    QGuiApplication::restoreOverrideCursor();
}

namespace {

// The focus widget of the window a delivery goes to (the window's own, active or not).
QWidget* focusOfWindowOf(QObject* watched)
{
    if (watched->isWidgetType())
        return static_cast<QWidget*>(watched)->window()->focusWidget();
    if (auto* window = qobject_cast<QWindow*>(watched))
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->windowHandle() == window)
                return top->focusWidget();
    return nullptr;
}

} // namespace

bool ZEVCurrentEventRecorder::sameAsLast(QEvent* event, QObject* watched)
{
    auto* input = static_cast<QInputEvent*>(event);
    const int key = event->type() == QEvent::KeyPress ? static_cast<QKeyEvent*>(event)->key() : 0;
    // The same delivery travels from the window to a widget and from a widget up its parents.
    bool onItsWay = watched == lastReceiver_;
    if (!onItsWay && watched->isWidgetType() && lastReceiver_) {
        auto* w = static_cast<QWidget*>(watched);
        if (lastReceiver_->isWidgetType())
            onItsWay = w->isAncestorOf(static_cast<QWidget*>(lastReceiver_.data()));
        else
            onItsWay = w->window()->windowHandle() == lastReceiver_.data();
    }
    const bool same = onItsWay && event == lastEvent_ && int(event->type()) == lastType_ && key == lastKey_ &&
                      input->timestamp() == lastStamp_;
    lastEvent_ = event;
    lastReceiver_ = watched;
    lastType_ = int(event->type());
    lastKey_ = key;
    lastStamp_ = input->timestamp();
    return same;
}

bool ZEVCurrentEventRecorder::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        // A key travels from the window to the focus widget and up its parents: the first widget
        // that sees it tells whether it was typed into a text field.
        if (!watched->isWidgetType() || sameAsLast(event, watched))
            break;
        auto* k = static_cast<QKeyEvent*>(event);
        event_.keyDown = true;
        event_.keyCode = stepBackKeyCode(k->key());
        event_.modifiers = k->modifiers();
        event_.inTextField = isTextEntry(watched);
        break;
    }
    case QEvent::MouseButtonPress:
        // Seen first at the window, before the press gives its widget the focus.
        if (!sameAsLast(event, watched)) {
            if (!focusMovedByPress_)
                event_.focusBeforePress = focusOfWindowOf(watched);
            focusMovedByPress_ = false;
        }
        [[fallthrough]];
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        event_.keyDown = false;
        event_.keyCode = kOtherKey;
        event_.modifiers = static_cast<QMouseEvent*>(event)->modifiers();
        event_.inTextField = false;
        break;
    case QEvent::MouseMove:
        showPointer();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

ZEVTransitionInputFilter::ZEVTransitionInputFilter(std::function<void()> onPress, std::function<void()> onKey)
    : onPress_(std::move(onPress)), onKey_(std::move(onKey))
{
    if (QCoreApplication* app = QCoreApplication::instance())
        app->installEventFilter(this);
}

ZEVTransitionInputFilter::~ZEVTransitionInputFilter() = default;

bool ZEVTransitionInputFilter::eventFilter(QObject*, QEvent* event)
{
    // Swallowed where they first arrive (the window, before its widgets): accepted, so that none
    // travels on to a parent and is answered twice.
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        event->accept();
        if (onPress_)
            onPress_();
        return true;
    case QEvent::MouseButtonDblClick:
        // The second press of a double click was answered as a press.
        event->accept();
        return true;
    case QEvent::KeyPress:
        event->accept();
        if (onKey_)
            onKey_();
        return true;
    case QEvent::ShortcutOverride:
        // Accepted: the key is the focus widget's, so no shortcut fires; its press then comes here.
        event->accept();
        return true;
    default:
        return false;
    }
}

} // namespace tallomer
