#pragma once
// The one window of the system. Its content view stacks the desks: the desk of every cursor is a
// scene, and the one canvas of the content view shows the scene of the active cursor. The window
// turns a few keys into the user's basic operations, keeps its content at 8 : 5 out of full
// screen, and forwards modifier changes to the front layer.
//
// Under a window manager the size is the manager's to give: a full-screen window takes what it
// gets. The window never zooms: a maximise becomes the largest 8 : 5 window the screen's available
// area holds, centred on it. Otherwise, once the moves and resizes have settled, the content is brought
// back to 8 : 5 by shrinking it into what was given and into the screen's available area, never
// by growing it; then the space controller hears that the resize (or the move) ended.
//
// The window tells its space controller every pointer move over any of its widgets, its resizes,
// its activation, its full-screen changes and its changes of screen. The window manager draws the
// title bar, so the header-views button lies over the content's top right corner instead.

#include "runtime/Scheduler.h"
#include "space/ZEVSpaceView.h"

#include <QMargins>
#include <QRectF>
#include <QWidget>

#include <memory>
#include <vector>

class QAction;
class QGraphicsScene;
class QMenuBar;

namespace tallomer {

class ZEVButton;
class ZEVFrontViewServices;
class ZEVItemViewForDesks;
class ZEVSpaceController;
class ZEVSpacePreview;

class ZEVSpaceWindow final : public QWidget {
    Q_OBJECT
public:
    // A top-level window, hidden until shown. `spaceController` is not owned and may be null.
    explicit ZEVSpaceWindow(ZEVSpaceController* spaceController = nullptr);
    ~ZEVSpaceWindow() override;

    ZEVSpaceView* spaceView() const { return view_; }
    ZEVSpaceController* spaceController() const { return spaceController_; }
    void referencerSpaceController(ZEVSpaceController* controller);
    bool siAcceptsFlagsChanges() const { return siAcceptsFlagsChanges_; }
    void setSiAcceptsFlagsChanges(bool accepts) { siAcceptsFlagsChanges_ = accepts; }

    // Places the window out of full screen by its frame (y-up, title bar included) on a screen
    // (y-up): the frame's top left corner is the outer corner of the manager's decorations, the
    // content keeps 8 : 5 and the minimum size and fits in the available area.
    void setFrameYUp(const QRectF& frame, const QRectF& screen);
    // The frame as the user defaults remember it (y-up, title bar included): the outer top left
    // corner of the decorations, the content's size and a title bar of the stored height.
    QRectF frameYUp(const QRectF& screen) const;
    // Full screen through the window manager; leaving it gives back the frame the window had.
    void setSiFullScreen(bool fullScreen);
    bool siFullScreen() const { return windowState().testFlag(Qt::WindowFullScreen); }
    // The moves and resizes have settled (also called by the scheduler 0.25 s after the last one):
    // the content is brought back to 8 : 5 if it must be, else the frame is remembered.
    void liveResizeDidEnd();
    // Remembers the frame now if a move or resize is still waiting to settle (before quitting).
    void flushPendingFrame();
    // Ctrl+Q, on this window from the start; a menu bar's Quit item should reuse this action
    // rather than add a second Ctrl+Q, which Qt would find ambiguous.
    QAction* quitAction() const { return quitAction_; }

    // The header-views button: its state (0 or 1), and whether it shows (out of full screen).
    void setHeaderViewsButtonState(int state);
    int headerViewsButtonState() const;
    void setHeaderViewsButtonShown(bool shown);
    ZEVButton* headerViewsButton() const { return headerViewsButton_; }
    // Whether the window stays in front of the other windows. The change reaches the window
    // manager on the next turn of the event loop, at the same frame.
    void setSiFrontSpace(bool front);
    bool siFrontSpace() const { return siFrontSpace_; }

    // The main menu's bar, over the content (not owned; a child of the window). The content keeps
    // 8 : 5 under it: every size below is the content's, the bar's height comes on top. In full
    // screen the bar lies over the content's top edge instead, and the content keeps the screen.
    void setMenuBar(QMenuBar* bar);
    QMenuBar* menuBar() const { return menuBar_; }
    // Asked before the bar exists, the bar shows as it comes.
    void setMenuBarShown(bool shown);
    bool siMenuBarShown() const { return menuBarWanted_; }
    // The room the bar takes above the content while it shows; 0 without one, and in full screen.
    int menuBarHeight() const;
    // The bar's own height while it lies over the content (in full screen); else 0.
    int menuBarOverContentHeight() const;

    QSize sizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

    // The scene shown by the canvas; the others stay in their models, hidden.
    void placerDevantDeskView(QGraphicsScene* scene);
    QGraphicsScene* deskViewDevant() const;

    // The preview window (ZEVSpaceWindowPreview.cpp). The Object views to preview, read at once:
    // the window shows them when it next opens or reloads.
    void setPreviewItems(const std::vector<ZEVItemViewForDesks*>& views);
    void reloadPreviewPanel();
    // Closes the preview window; again only once it has opened again.
    void orderOutPreviewPanel();
    // Opens the preview window on the items given last.
    void orderFrontPreviewPanel();
    bool siPreviewPanelVisible() const;
    ZEVSpacePreview& preview();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void placerLeBouton();
    // A maximised window leaves the state for the largest 8 : 5 frame on the available area.
    void refuserLeMaximum();
    void appliquerFrontSpace();
    void flagsChanged(int key, Qt::KeyboardModifiers modifiers);
    // The keys the preview takes before any widget (`watched`, which the key was sent to): Escape
    // closes it while it shows, the left and right arrows step through several items, and a space
    // bar's press that repeats a held one is dropped. True when the key was taken.
    bool previewKeyPress(const QKeyEvent& event, QObject* watched);
    void scheduleLiveResizeEnd();
    // Whether the window manager decides the size: maximised, full screen or minimised.
    bool siManagedSize() const;
    // The manager's decorations around the content; none before the window is shown.
    QMargins decorationMargins() const;
    // The decorations and the bar around the content.
    QMargins outerMargins() const;
    QSize contentSize() const;
    void resizeContent(const QSize& content);
    void majMinimumSize();
    // The bar above the content (out of full screen) or over it (in full screen).
    void placerLaBarre();
    int hauteurDeLaBarre() const;

    ZEVSpaceController* spaceController_; // not owned
    ZEVSpaceView* view_;                  // owned by this window as its Qt child
    QAction* quitAction_;                 // owned by this window as its Qt child
    ZEVButton* headerViewsButton_;        // owned by this window as its Qt child
    QMenuBar* menuBar_ = nullptr;         // owned by this window as its Qt child
    bool menuBarWanted_ = false;
    bool menuBarOver_ = false;
    bool siAcceptsFlagsChanges_ = false;
    // A resize since the moves and resizes last settled (else only moves).
    bool siRedimensionnee_ = false;
    bool siFrontSpace_ = false;
    bool siEcranSuivi_ = false;
    // Placed by setFrameYUp and not yet settled with the manager's decorations known.
    bool siPlacementAVerifier_ = false;
    // The size last told: showing the window again (to change its level) is no resize.
    QSize tailleDite_;
    // The last pointer move told, so that one move seen by several widgets is told once.
    QPointF dernierPointeur_;
    quint64 dernierInstant_ = 0;
    std::unique_ptr<ZEVSpacePreview> preview_; // made when first asked for
    ScheduledTarget guard_{this};
};

} // namespace tallomer
