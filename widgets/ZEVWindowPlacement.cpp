#include "widgets/ZEVWindowPlacement.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace tallomer::placement {

namespace {

QPointer<QWidget>& principale()
{
    static QPointer<QWidget> w;
    return w;
}

// The manager's decorations around a window's content; none before it has framed the window.
QMargins decorations(const QWidget* w)
{
    if (!w || !w->isVisible())
        return {};
    const QRect f = w->frameGeometry();
    const QRect g = w->geometry();
    return QMargins(g.left() - f.left(), g.top() - f.top(), f.right() - g.right(), f.bottom() - g.bottom());
}

QRect inside(QRect r, const QRect& area)
{
    r.setSize(r.size().boundedTo(area.size()));
    r.moveLeft(std::clamp(r.left(), area.left(), area.right() + 1 - r.width()));
    r.moveTop(std::clamp(r.top(), area.top(), area.bottom() + 1 - r.height()));
    return r;
}

} // namespace

QRect frameBeside(const QRect& anchor, QSize frame, const QRect& available)
{
    frame = frame.boundedTo(available.size());
    if (available.right() + 1 - (anchor.right() + 1) >= frame.width())
        return inside(QRect(QPoint(anchor.right() + 1, anchor.top()), frame), available);
    if (anchor.left() - available.left() >= frame.width())
        return inside(QRect(QPoint(anchor.left() - frame.width(), anchor.top()), frame), available);
    return inside(QRect(QPoint(anchor.right() + 1 - frame.width(), anchor.bottom() + 1 - frame.height()), frame),
                  available);
}

void setMainWindow(QWidget* window) { principale() = window; }

QWidget* mainWindow() { return principale().data(); }

void placeBeside(QWidget* window, const QWidget* anchor)
{
    if (!window)
        return;
    if (!anchor) {
        QWidget* m = mainWindow();
        anchor = m && m->isVisible() && m != window ? m : nullptr;
    } else {
        anchor = anchor->window();
    }
    QScreen* screen = anchor ? anchor->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    window->ensurePolished();
    const QSize wanted = window->size().expandedTo(window->sizeHint()).expandedTo(window->minimumSizeHint());
    const QMargins margins = window->isVisible() ? decorations(window) : decorations(anchor);
    const QSize outer = wanted.grownBy(margins);
    const QRect frame = anchor ? frameBeside(anchor->frameGeometry(), outer, available)
                               : inside(QRect(QPoint(available.left() + (available.width() - outer.width()) / 2,
                                                     available.top() + (available.height() - outer.height()) / 2),
                                              outer),
                                        available);
    window->resize(frame.size().shrunkBy(margins).expandedTo(window->minimumSize()));
    // move() places the outer frame, the manager's decorations' corner.
    window->move(frame.topLeft());
}

void placeAt(QWidget* window, QPoint corner)
{
    if (!window)
        return;
    QScreen* screen = QGuiApplication::screenAt(corner);
    if (!screen)
        screen = window->screen();
    if (!screen)
        return;
    window->ensurePolished();
    const QSize wanted = window->size().expandedTo(window->sizeHint());
    const QMargins margins = window->isVisible() ? decorations(window) : decorations(mainWindow());
    const QRect frame = inside(QRect(corner, wanted.grownBy(margins)), screen->availableGeometry());
    window->resize(frame.size().shrunkBy(margins).expandedTo(window->minimumSize()));
    window->move(frame.topLeft());
}

} // namespace tallomer::placement
