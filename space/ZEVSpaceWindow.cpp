#include "space/ZEVSpaceWindow.h"

#include "platform/Events.h"
#include "platform/Keys.h"
#include "services/ZEVFrontViewerServices.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpacePreview.h"
#include "space/ZEVSpaceWindowFrame.h"
#include "widgets/ZEVButton.h"
#include "widgets/ZEVWindowPlacement.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QCloseEvent>
#include <QGraphicsScene>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenuBar>
#include <QMouseEvent>
#include <QMoveEvent>
#include <QResizeEvent>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <utility>

namespace tallomer {

namespace {

constexpr const char* kLiveResizeDidEnd = "liveResizeDidEnd";
constexpr const char* kFrontSpace = "appliquerFrontSpace";
constexpr const char* kRefuserLeMaximum = "refuserLeMaximum";
// A window manager sends a move or resize for every step of a drag: the window waits for this
// quiet time before it corrects the size or tells that the resize ended.
constexpr double kLiveResizeQuiet = 0.25;

// The corner that puts a frame of that size inside the area, moving it as little as possible.
QPoint cornerInside(QPoint corner, const QSize& frame, const QRect& area)
{
    corner.setX(std::clamp(corner.x(), area.left(), std::max(area.left(), area.right() + 1 - frame.width())));
    corner.setY(std::clamp(corner.y(), area.top(), std::max(area.top(), area.bottom() + 1 - frame.height())));
    return corner;
}

Qt::KeyboardModifier modifierOfKey(int key)
{
    switch (key) {
    case Qt::Key_Shift:
        return Qt::ShiftModifier;
    case Qt::Key_Control:
        return Qt::ControlModifier;
    case Qt::Key_Meta:
        return Qt::MetaModifier;
    case Qt::Key_Alt:
        return Qt::AltModifier;
    default:
        return Qt::NoModifier;
    }
}

} // namespace

ZEVSpaceWindow::ZEVSpaceWindow(ZEVSpaceController* spaceController)
    : QWidget(nullptr, Qt::Window), spaceController_(spaceController), view_(new ZEVSpaceView(this, spaceController)),
      quitAction_(new QAction(tr("Quit"), this)), headerViewsButton_(new ZEVButton(this))
{
    setObjectName(QStringLiteral("ZEVSpaceWindow"));
    // The other windows open beside this one.
    placement::setMainWindow(this);
    setAttribute(Qt::WA_DeleteOnClose, false);
    // Closing only hides the window: the program goes on, and a second start shows it again.
    setAttribute(Qt::WA_QuitOnClose, false);
    setAttribute(Qt::WA_OpaquePaintEvent, true);
    // Not by click: a click on a part that takes no focus (the menu bar, the bars over the desk)
    // would otherwise give the window the keyboard and take it from a focused inspector's table.
    setFocusPolicy(Qt::TabFocus);
    majMinimumSize();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);
    // The window's own Ctrl+Q, so that quitting works before any menu exists.
    quitAction_->setObjectName(QStringLiteral("quit"));
    // Ctrl+Q whatever the platform theme says: a theme without a desktop of its own (a bare
    // window manager, the offscreen platform) binds Quit to nothing.
    QList<QKeySequence> quitKeys = QKeySequence::keyBindings(QKeySequence::Quit);
    if (!quitKeys.contains(QKeySequence(Qt::CTRL | Qt::Key_Q)))
        quitKeys.prepend(QKeySequence(Qt::CTRL | Qt::Key_Q));
    quitAction_->setShortcuts(quitKeys);
    // From any of the program's windows (the Preferences, a panel), as a menu bar shared by all of
    // them would take it; a modal dialog still keeps its keys.
    quitAction_->setShortcutContext(Qt::ApplicationShortcut);
    connect(quitAction_, &QAction::triggered, this, [this] {
        if (spaceController_)
            spaceController_->userQuit();
    });
    addAction(quitAction_);
    // The keyboard coming to a widget of this window, from another window or within it: a
    // modifier released meanwhile went elsewhere, so the held ones are read again.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now && now->window() == this && spaceController_)
            spaceController_->windowDidTakeFocus();
    });
    // The header-views button: a small flat toggle over the content's top right corner, where the
    // title bar held it. It shows the header views' state; its click goes to the controller.
    headerViewsButton_->setObjectName(QStringLiteral("headerViewsButton"));
    headerViewsButton_->setCheckable(true);
    headerViewsButton_->setCell(std::make_unique<ZEVButtonCell2>());
    headerViewsButton_->setFocusPolicy(Qt::NoFocus);
    headerViewsButton_->setMouseTracking(true);
    headerViewsButton_->setState(kZEVStateOff);
    headerViewsButton_->hide();
    connect(headerViewsButton_, &QAbstractButton::clicked, this, [this] {
        if (spaceController_)
            spaceController_->_showHeaderViews();
    });
    placerLeBouton();
    if (spaceController)
        referencerSpaceController(spaceController);
    // Every pointer move and key press over any widget of the window, whichever widget takes it.
    if (QCoreApplication* app = QCoreApplication::instance())
        app->installEventFilter(this);
}

ZEVSpaceWindow::~ZEVSpaceWindow() = default;

bool ZEVSpaceWindow::eventFilter(QObject* watched, QEvent* event)
{
    // Keys typed into any widget of the window, the pickers' included, which never pass them on.
    if (event->type() == QEvent::KeyPress && spaceController_ && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (previewKeyPress(*static_cast<QKeyEvent*>(event), watched))
            return true;
        if (modifierOfKey(key) == Qt::NoModifier && key != keys::kFnKey)
            spaceController_->keyTyped();
        return QWidget::eventFilter(watched, event);
    }
    if (event->type() != QEvent::MouseMove || !spaceController_ || !watched->isWidgetType() ||
        static_cast<QWidget*>(watched)->window() != this)
        return QWidget::eventFilter(watched, event);
    const auto* e = static_cast<QMouseEvent*>(event);
    // A move that a widget leaves to its parent comes by again, the same move.
    if (e->globalPosition() != dernierPointeur_ || e->timestamp() != dernierInstant_) {
        dernierPointeur_ = e->globalPosition();
        dernierInstant_ = e->timestamp();
        const QPointF p = mapFromGlobal(e->globalPosition());
        spaceController_->mouseMovedInLocation(QPointF(p.x(), height() - p.y()));
    }
    return QWidget::eventFilter(watched, event);
}

bool ZEVSpaceWindow::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate && spaceController_)
        spaceController_->windowDidBecomeKey();
    return QWidget::event(event);
}

void ZEVSpaceWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (siEcranSuivi_ || !windowHandle())
        return;
    siEcranSuivi_ = true;
    connect(windowHandle(), &QWindow::screenChanged, this, [this] {
        if (spaceController_)
            spaceController_->windowDidChangeScreen();
    });
}

void ZEVSpaceWindow::setHeaderViewsButtonState(int state) { headerViewsButton_->setState(state); }

int ZEVSpaceWindow::headerViewsButtonState() const { return headerViewsButton_->state(); }

void ZEVSpaceWindow::setHeaderViewsButtonShown(bool shown)
{
    headerViewsButton_->setVisible(shown);
    if (shown)
        headerViewsButton_->raise();
}

void ZEVSpaceWindow::placerLeBouton()
{
    // 24 x 10 points, 30 from the right edge and 5 from the top of the content: where it lay in
    // the title bar, 21 points lower.
    headerViewsButton_->setGeometry(width() - 30, 5 + menuBarHeight(), 24, 10);
}

void ZEVSpaceWindow::setSiFrontSpace(bool front)
{
    siFrontSpace_ = front;
    // Changing the flag hides the window: never inside the resize that asked for it.
    Scheduler::shared().cancel(this, kFrontSpace);
    Scheduler::shared().perform(this, kFrontSpace, 0, [this] { appliquerFrontSpace(); });
}

void ZEVSpaceWindow::appliquerFrontSpace()
{
    if (windowFlags().testFlag(Qt::WindowStaysOnTopHint) == siFrontSpace_)
        return;
    const bool visible = isVisible();
    const QRect frame = geometry();
    setWindowFlag(Qt::WindowStaysOnTopHint, siFrontSpace_);
    // The window system's window is made anew: its change of screen is followed again.
    siEcranSuivi_ = false;
    if (visible) {
        setGeometry(frame);
        show();
    }
}

void ZEVSpaceWindow::referencerSpaceController(ZEVSpaceController* controller)
{
    spaceController_ = controller;
    siAcceptsFlagsChanges_ = controller != nullptr;
}

void ZEVSpaceWindow::setMenuBar(QMenuBar* bar)
{
    menuBar_ = bar;
    menuBarOver_ = false;
    // Hidden until setMenuBarShown says otherwise: a bar not hidden by hand would come up with the
    // window (or with the layout that took it) without the window growing by it.
    if (bar)
        bar->hide();
    placerLaBarre();
    majMinimumSize();
    if (bar && menuBarWanted_) {
        menuBarWanted_ = false;
        setMenuBarShown(true);
    }
}

void ZEVSpaceWindow::setMenuBarShown(bool shown)
{
    menuBarWanted_ = shown;
    if (!menuBar_ || menuBar_->isHidden() == !shown)
        return;
    // The content keeps its size: the window grows or shrinks by the bar.
    const QSize content = contentSize();
    menuBar_->setVisible(shown);
    if (menuBarOver_) {
        placerLaBarre();
        return;
    }
    majMinimumSize();
    if (!siManagedSize())
        resizeContent(content);
}

int ZEVSpaceWindow::hauteurDeLaBarre() const
{
    return menuBar_ ? qBound(menuBar_->minimumHeight(), menuBar_->sizeHint().height(), menuBar_->maximumHeight()) : 0;
}

int ZEVSpaceWindow::menuBarHeight() const
{
    return menuBar_ && !menuBar_->isHidden() && !menuBarOver_ ? hauteurDeLaBarre() : 0;
}

int ZEVSpaceWindow::menuBarOverContentHeight() const
{
    // By the state rather than by where the bar lies now: asked while the state changes, before
    // the bar has moved.
    return menuBar_ && !menuBar_->isHidden() && siFullScreen() ? hauteurDeLaBarre() : 0;
}

void ZEVSpaceWindow::placerLaBarre()
{
    if (!menuBar_ || !layout())
        return;
    const bool over = siFullScreen();
    if (over != menuBarOver_) {
        menuBarOver_ = over;
        // Out of the layout, the bar no longer pushes the content down.
        layout()->setMenuBar(over ? nullptr : menuBar_);
        majMinimumSize();
    }
    if (over) {
        menuBar_->setGeometry(0, 0, width(), hauteurDeLaBarre());
        menuBar_->raise();
    }
}

QMargins ZEVSpaceWindow::outerMargins() const { return decorationMargins() + QMargins(0, menuBarHeight(), 0, 0); }

QSize ZEVSpaceWindow::contentSize() const { return size() - QSize(0, menuBarHeight()); }

void ZEVSpaceWindow::resizeContent(const QSize& content) { resize(content + QSize(0, menuBarHeight())); }

void ZEVSpaceWindow::majMinimumSize()
{
    setMinimumSize(int(ZEVSpaceWindowFrame::kMinContentWidth),
                   int(ZEVSpaceWindowFrame::kMinContentHeight) + menuBarHeight());
}

QSize ZEVSpaceWindow::sizeHint() const
{
    return ZEVSpaceWindowFrame::constrainedContentSize(QSizeF(ZEVSpaceWindowFrame::kDefaultWidth, 0)).toSize() +
           QSize(0, menuBarHeight());
}

int ZEVSpaceWindow::heightForWidth(int width) const
{
    return int(std::lround(width / ZEVSpaceWindowFrame::kContentAspect)) + menuBarHeight();
}

void ZEVSpaceWindow::setFrameYUp(const QRectF& frame, const QRectF& screen)
{
    const QRectF content = ZEVSpaceWindowFrame::contentRectForFrame(frame);
    const QSize wanted = ZEVSpaceWindowFrame::constrainedContentSize(content.size()).toSize();
    const QRect available = this->screen()->availableGeometry();
    // Before the window is shown the decorations are not known yet (no margins); the first settle
    // after the manager has framed the window fits it again.
    const QMargins margins = outerMargins();
    const QSize size = ZEVSpaceWindowFrame::fittedContentSize(wanted, available.size().shrunkBy(margins));
    // y-up to the screen's y-down: the frame's top edge stays where the frame puts it.
    const QPoint corner(int(std::lround(frame.x())),
                        int(std::lround(screen.y() + screen.height() - (frame.y() + frame.height()))));
    resizeContent(size);
    // move() places the outer frame: the manager puts its decorations' corner there.
    move(cornerInside(corner, size.grownBy(margins), available));
    siPlacementAVerifier_ = true;
}

QRectF ZEVSpaceWindow::frameYUp(const QRectF& screen) const
{
    const QPoint corner = frameGeometry().topLeft();
    const double height = contentSize().height() + ZEVSpaceWindowFrame::kTitleBarHeight;
    const double bottom = screen.y() + screen.height() - (corner.y() + height);
    return QRectF(corner.x(), bottom, width(), height);
}

void ZEVSpaceWindow::setSiFullScreen(bool fullScreen)
{
    Qt::WindowStates state = windowState();
    state.setFlag(Qt::WindowFullScreen, fullScreen);
    // Through the manager's full-screen state rather than a borderless window sized by hand: the
    // manager then stacks it over panels and gives back the earlier frame when it ends.
    setWindowState(state);
}

QMargins ZEVSpaceWindow::decorationMargins() const
{
    const QRect frame = frameGeometry();
    const QRect content = geometry();
    return QMargins(content.left() - frame.left(), content.top() - frame.top(), frame.right() - content.right(),
                    frame.bottom() - content.bottom());
}

bool ZEVSpaceWindow::siManagedSize() const
{
    return windowState().testAnyFlags(Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized);
}

void ZEVSpaceWindow::refuserLeMaximum()
{
    if (!windowState().testFlag(Qt::WindowMaximized) || siFullScreen() || !screen())
        return;
    // The largest 8 : 5 content the available area holds, centred on it: the maximised window's
    // room, kept at the desk's shape.
    const QRect available = screen()->availableGeometry();
    const QMargins margins = outerMargins();
    const QRect frame = ZEVSpaceWindowFrame::largestFrame(available, margins);
    setWindowState(windowState() & ~Qt::WindowMaximized);
    resizeContent(frame.size().shrunkBy(margins));
    move(cornerInside(frame.topLeft(), frame.size(), available));
}

void ZEVSpaceWindow::scheduleLiveResizeEnd()
{
    if (!isVisible())
        return;
    Scheduler::shared().cancel(this, kLiveResizeDidEnd);
    Scheduler::shared().perform(this, kLiveResizeDidEnd, kLiveResizeQuiet, [this] { liveResizeDidEnd(); });
}

void ZEVSpaceWindow::liveResizeDidEnd()
{
    Scheduler::shared().cancel(this, kLiveResizeDidEnd);
    if (windowState().testFlag(Qt::WindowMinimized))
        return;
    if (!siManagedSize()) {
        const QRect frame = frameGeometry();
        const QSize content = contentSize();
        const QMargins margins = outerMargins();
        const QRect available = screen()->availableGeometry();
        const QSize fitted = ZEVSpaceWindowFrame::fittedContentSize(content, available.size().shrunkBy(margins));
        // Placed before the manager had framed it, the window learns its decorations only now:
        // once, it is moved inside the available area if they reach over an edge.
        const bool aVerifier = std::exchange(siPlacementAVerifier_, false);
        if (fitted != content || aVerifier) {
            // Shrunk in place; the frame is then moved back inside the available area if it
            // overlaps an edge. The resize comes back here once it has settled, and ends then.
            const QPoint corner = cornerInside(frame.topLeft(), fitted.grownBy(margins), available);
            if (fitted != content)
                resizeContent(fitted);
            if (corner != frame.topLeft())
                move(corner);
            if (fitted != content || corner != frame.topLeft())
                return;
        }
    }
    // The controller writes no frame for a maximised or full-screen window.
    const bool redimensionnee = std::exchange(siRedimensionnee_, false);
    if (!spaceController_)
        return;
    if (redimensionnee)
        spaceController_->windowDidEndLiveResize();
    else
        spaceController_->windowDidMove();
}

void ZEVSpaceWindow::flushPendingFrame()
{
    if (!Scheduler::shared().isPending(this, kLiveResizeDidEnd))
        return;
    Scheduler::shared().cancel(this, kLiveResizeDidEnd);
    if (spaceController_ && !siManagedSize())
        spaceController_->majWindowDefault();
}

void ZEVSpaceWindow::placerDevantDeskView(QGraphicsScene* scene)
{
    ZEVDeskCanvas* canvas = view_->deskCanvas();
    if (canvas->scene() != scene)
        canvas->setScene(scene);
    canvas->setVisible(scene != nullptr);
}

QGraphicsScene* ZEVSpaceWindow::deskViewDevant() const
{
    return view_->deskCanvas()->scene();
}

void ZEVSpaceWindow::keyPressEvent(QKeyEvent* event)
{
    if (const auto m = modifierOfKey(event->key()); m != Qt::NoModifier) {
        flagsChanged(event->key(), event->modifiers() | m);
        return;
    }
    if (event->key() == keys::kFnKey) {
        if (!event->isAutoRepeat())
            flagsChanged(event->key(), event->modifiers() | keys::kFnModifier);
        return;
    }
    if (!spaceController_ || !spaceController_->spaceKeyPressed(event->key(), event->modifiers()))
        QWidget::keyPressEvent(event);
}

void ZEVSpaceWindow::keyReleaseEvent(QKeyEvent* event)
{
    if (const auto m = modifierOfKey(event->key()); m != Qt::NoModifier) {
        flagsChanged(event->key(), event->modifiers() & ~Qt::KeyboardModifiers(m));
        return;
    }
    if (event->key() == keys::kFnKey) {
        if (!event->isAutoRepeat())
            flagsChanged(event->key(), event->modifiers() & ~Qt::KeyboardModifiers(keys::kFnModifier));
        return;
    }
    // A held key repeats its releases too: only the last one lets the space bar go.
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat() && preview_)
        preview_->spaceKeyReleased(event->timestamp());
    QWidget::keyReleaseEvent(event);
}

void ZEVSpaceWindow::flagsChanged(int key, Qt::KeyboardModifiers modifiers)
{
    if (spaceController_)
        spaceController_->flagsChanged(key, modifiers, siAcceptsFlagsChanges_);
}

void ZEVSpaceWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    placerLeBouton();
    if (menuBarOver_)
        placerLaBarre();
    if (event->size() == tailleDite_)
        return;
    tailleDite_ = event->size();
    siRedimensionnee_ = true;
    if (spaceController_)
        spaceController_->windowDidResize();
    scheduleLiveResizeEnd();
}

void ZEVSpaceWindow::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    scheduleLiveResizeEnd();
}

void ZEVSpaceWindow::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    // A minimised window keeps the full-screen state it had; the manager may or may not report
    // it alongside.
    if (event->type() != QEvent::WindowStateChange || windowState().testFlag(Qt::WindowMinimized))
        return;
    placerLaBarre();
    // The window never zooms: a maximise asked of the manager gives the largest 8 : 5 window
    // instead, once the state change is over.
    if (windowState().testFlag(Qt::WindowMaximized) && !siFullScreen()) {
        Scheduler::shared().cancel(this, kRefuserLeMaximum);
        Scheduler::shared().perform(this, kRefuserLeMaximum, 0, [this] { refuserLeMaximum(); });
    }
    if (!spaceController_)
        return;
    spaceController_->majFullScreenDefault();
    // Whoever changed it: the user through the manager, the program, a second start.
    const auto* e = static_cast<QWindowStateChangeEvent*>(event);
    if (e->oldState().testFlag(Qt::WindowFullScreen) != siFullScreen())
        spaceController_->windowDidChangeFullScreenState();
}

void ZEVSpaceWindow::closeEvent(QCloseEvent* event)
{
    // The window lives as long as the Space: closing only hides it.
    event->accept();
}

} // namespace tallomer
