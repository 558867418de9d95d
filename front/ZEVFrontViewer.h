#pragma once
// What the rest of the program may ask of the front layer over the desk: its mode, the selection
// notices, the header views, the user commands of the menus and keys and the go buttons.
//
// The front layer itself derives from these classes. Every operation has a harmless default
// (nothing happens, NO, nil, 0), so a Space can be built and tested before the front layer
// is complete, and callers never need to ask whether an operation exists.

#include "services/ZEVFrontMode.h"

#include <QPointF>
#include <QRectF>
#include <QString>

#include <cstdint>

class KELICurseur;
class QKeyEvent;
class QMenu;
class QObject;
class QWidget;

namespace tallomer {

class ZEVFrontView;

class ZEVFrontViewer {
public:
    virtual ~ZEVFrontViewer();

    // ---- set-up and state ----
    virtual ZEVFrontView* frontView() { return nullptr; }
    virtual std::int32_t frontMode() { return ZEVFrontModeNone; }
    // The selection-count text of a mode (0…3).
    virtual QString nameForFrontMode(std::int32_t mode);
    // Non-owning; the concrete front layer decides what they are.
    virtual QObject* frontClass() { return nullptr; }
    virtual QWidget* selectionTableView() { return nullptr; }
    virtual QWidget* frontToolbar() { return nullptr; }
    virtual QWidget* goToPanel() { return nullptr; }
    virtual bool isUserChangingFlag() { return false; }
    virtual bool siShowCalandar() { return false; }
    virtual bool siShowGoTo() { return false; }
    virtual bool siTimebarClosed() { return false; }
    virtual bool siTlineClosed() { return false; }
    virtual bool siTracksClosed() { return false; }
    virtual bool siToolbarClosed() { return false; }
    virtual bool siTlineOpened() { return false; }
    virtual bool siFullWindow() { return false; }
    virtual bool siFullScreen() { return false; }
    virtual void setSiFullScreen(bool) {}
    virtual bool siShowMenubar() { return true; }
    virtual bool siCurseurAtHome() { return false; }

    // ---- notices ----
    virtual void iconSelectionDidChange() {}
    virtual void titleSelectionDidChange() {}
    virtual void filterSelectionDidChange() {}
    virtual void linkSelectionDidChange() {}
    virtual void selectionDidChange() {}
    virtual void filterOperationDidChange() {}
    virtual void channelDidChangeWithIdentityInt(std::uint64_t) {}
    virtual void actifCurseurDidChangeForCurseur(KELICurseur*) {}
    virtual void updateFrontView() {}
    virtual void displayAllInspectView() {}
    virtual void lassoDidStart() {}
    virtual void lassoDidStop() {}
    virtual void draggingSessionDidStop() {}
    virtual void setSiShowQLPreview(bool) {}
    virtual void activateTallomerStart() {}
    virtual void userWillSwitchApp() {}
    virtual void userChangeFlag(QKeyEvent*) {}

    // ---- header views ----
    virtual void mouseLimitInside() {}
    virtual void mouseLimitOutside() {}
    virtual void closeAllHeaderViews() {}
    virtual void openTlineAndTracks(bool) {}
    virtual bool siHeaderViewsOpening() { return false; }
    virtual bool siHeaderViewsClosed() { return false; }
    virtual bool siAllHeaderViewsClosed() { return false; }
    virtual float headerViewsHeight() { return 0.0f; }

    // ---- menu and key commands ----
    virtual void menuModeIcon(QObject*) {}
    virtual void menuModeTitle(QObject*) {}
    virtual void menuModeFilter(QObject*) {}
    virtual void menuModeLink(QObject*) {}
    virtual void menuShowCalandar(QObject*) {}
    virtual void menuGoToPanel(QObject*) {}
    virtual void menuInspectPrevious(QObject*) {}
    virtual void menuInspectNext(QObject*) {}
    virtual void menuHomeTime(QObject*) {}
    virtual void userGoNow() {}
    virtual void userOpen() {}
    virtual void userOpenOverfly() {}
    virtual void userToggleQL() {}
    virtual void userGetInfo() {}
    virtual void userAdd() {}
    virtual void userFind() {}
    virtual void userFindInChannels() {}
    virtual void userFindTextInChannels() {}
    virtual void userFilter() {}
    virtual void userGotoPrevious() {}
    virtual void userGotoNext() {}
    virtual void userMoveTo() {}
    virtual void userMoveToSpace() {}
    virtual void userCopyTo() {}
    virtual void userCopyToSpace() {}
    virtual void userDuplicateTo() {}
    virtual void userDuplicateToSpace() {}
    virtual void userShowOriginal() {}
    virtual void userDelete() {}
    virtual void userEditTitle() {}
    virtual void userSendToBack() {}
    virtual void userSendToFront() {}
    virtual void userToggleFullScreen() {}
    virtual void userSpaceStartHome() {}
    virtual void userSpaceCleanAndRecall() {}
    virtual void userSpaceCleanAndRecallBack() {}
    virtual void userPaste() {}
    virtual void userCopy() {}
    virtual void userCut() {}
    virtual void userDeselectAll() {}
    virtual void userSelectNext() {}
    virtual void userSelectPrevious() {}
    virtual void userSwap() {}
    virtual void userSwapIcons() {}
    virtual void userSwapTitles() {}
    virtual void userRecallNow() {}
    virtual void userRetainNow() {}
    virtual void userForgetNow() {}
    virtual void userRecallSearch() {}
    virtual void userRetainSearch() {}
    virtual void userForgetSearch() {}
    virtual void userToggleTimebar() {}
    virtual void userToggleTline() {}
    virtual void userToggleTracks() {}
    virtual void userToggleToolbar() {}
    virtual void userShowTitle() {}
    virtual void userShowQLIcon() {}
    virtual void userAnimate() {}
    virtual void userOpenOnClick() {}
    virtual void userReleaseNow() {}
    virtual void userReleaseSearch() {}
    virtual void userStepBack() {}
    virtual void userSpaceCleanAll() {}
    virtual void userSpaceCleanAndReplace() {}
    virtual void userAddDocuments() {}
    virtual void userFindObject() {}
    // item: the Object the new folder starts with, or nullptr.
    virtual void userAddNewFolderWithItem(QObject*) {}
    virtual void majImageForEditionMenu1(QMenu*) {}
    virtual void updateMenuObject(QMenu*) {}

    // ---- go buttons ----
    virtual void setSpaceBrowsing(bool) {}
    virtual void setChannelBrowsing(bool) {}
    virtual void setGotoOff() {}
    virtual void selectionHome() {}
    virtual void selectionNextSpace(bool) {}
    virtual void selectionPreviousSpace(bool) {}
};

// The front layer's view over the desk. Points and rectangles are in desk coordinates (y-up).
class ZEVFrontView {
public:
    virtual ~ZEVFrontView();

    virtual void setSiShowCadre(bool) {}
    virtual void setSiMouseDownInDeskView() {}
    // Stores the rectangle spanned by the two points with a positive width and height.
    virtual void setLassoFromPoint(const QPointF& from, const QPointF& to);
    virtual QRectF lassoRect() const { return lassoRect_; }
    virtual void keyDown(QKeyEvent*) {}
    virtual void keyUp(QKeyEvent*) {}
    virtual void cancelOperation(QObject*) {}

protected:
    QRectF lassoRect_;
};

} // namespace tallomer
