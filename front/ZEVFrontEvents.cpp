#include "front/ZEVFrontEvents.h"

#include <QCoreApplication>
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

bool ZEVCurrentEventRecorder::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto* k = static_cast<QKeyEvent*>(event);
        event_ = {true, stepBackKeyCode(k->key()), k->modifiers()};
        break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        event_ = {false, kOtherKey, static_cast<QMouseEvent*>(event)->modifiers()};
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
