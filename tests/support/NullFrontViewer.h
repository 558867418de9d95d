#pragma once
// A front layer that answers nothing: the base of the unit tests' fakes, which replace only what
// they watch.

#include "services/ZEVFrontViewerServices.h"

#include <QKeyEvent>

namespace tallomer::test {

class NullFrontView : public ZEVFrontViewServices {
public:
    void setSiMouseDownInDeskView() override {}
    void setLassoFromPoint(const QPointF& from, const QPointF& to) override { lasso = QRectF(from, to).normalized(); }
    QRectF lassoRect() const override { return lasso; }
    void setSiShowCadre(bool) override {}
    QRectF frontFrame() const override { return {}; }
    void keyDown(QKeyEvent* e) override { e->ignore(); }
    void keyUp(QKeyEvent* e) override { e->ignore(); }
    void drawForeground(QPainter&) override {}
    bool canvasEvent(QEvent*) override { return false; }
    ZEVConnectingView* connectingView() override { return nullptr; }
    void popUpMenu(QMenu* menu) override { poppedMenu = menu; }
    QRectF lasso;
    QMenu* poppedMenu = nullptr;
};

class NullFrontViewer : public ZEVFrontViewerServices {
public:
    ZEVFrontViewServices* frontView() override { return nullptr; }
    void addPanelWithUrl(const QString&, const QString&, const QString&, std::function<void(const QStringList&)>,
                         std::function<void(QFileDialog*)>) override {}
    int frontMode() override { return ZEVFrontModeIcons; }
    QString nameForFrontMode(int) override { return {}; }
    QString shortNameForFrontMode(int) override { return {}; }
    bool isUserChangingFlag() override { return false; }
    bool siLasso() override { return false; }
    bool siFocus() override { return false; }
    void channelDidChangeWithIdentityInt(KELId) override {}
    void actifCurseurDidChangeForCurseur(KELICurseur*) override {}
    void selectionDidChange() override {}
    void iconSelectionDidChange() override {}
    void titleSelectionDidChange() override {}
    void filterSelectionDidChange() override {}
    void linkSelectionDidChange() override {}
    void filterOperationDidChange() override {}
    void setSiAvoidGraphicalLarsen(bool) override {}
    void displayFrontView() override {}
    void entityWillChange() override {}
    void updateFrontView() override {}
    void updateFrontViewLinks() override {}
    void lassoDidStart() override {}
    void lassoDidStop() override {}
    void userWillSwitchApp() override {}
    void userChangeFlag(int, Qt::KeyboardModifiers) override {}
    void userTypedKey() override {}
    void userRereadFlags(Qt::KeyboardModifiers) override {}
    void setSiShowCadre(bool) override {}
    void menuModeIcon() override {}
    void menuModeTitle() override {}
    void menuModeFilter() override {}
    void menuModeLink() override {}
    bool handlesCommand(std::string_view) override { return false; }
    void userShowTitle() override {}
    void userShowQLIcon() override {}
    void userOpenOnClick() override {}
    void userAnimate() override {}
    void userSendToBack() override {}
    void userSendToFront() override {}
    void userDelete() override {}
    void userShowOriginal() override {}
    void userSwap() override {}
    void userSwapIcons() override {}
    void userSwapTitles() override {}
    void userOpen() override {}
    void userGetInfo() override {}
    void userFilter() override {}
    void userCopy() override {}
    void userCut() override {}
    void userPaste() override {}
    void userSelectAll() override {}
    void userDeselectAll() override {}
    void userSelectNext() override {}
    void userSelectPrevious() override {}
    void userEditTitle() override {}
    void userEditTitleForItemView(ZEVItemViewForDesks*) override {}
    bool siTlineOpened() override { return false; }
    bool siTlineClosed() override { return true; }
    void openTline() override {}
    void openTlineAndTracks(bool) override {}
    void closeTlineAndTracks() override {}
    bool siTimebarClosed() override { return true; }
    void setSiShowCalandar(bool) override {}
    bool siShowCalandar() override { return false; }
    double headerViewsHeight() override { return 0; }
    void userToggleTimebar() override {}
    void userToggleTline() override {}
    void closeAllHeaderViews() override {}
    void mouseLimitInside() override {}
    void menuHomeTime() override {}
    void userGoHome() override {}
    bool siCurseurAtHome() override { return false; }
    void initierDeplacementCurseur() override {}
    void userToggleTracks() override {}
    void userToggleToolbar() override {}
    void userShowTracks() override {}
    void mouseLimitOutside() override {}
    bool siTracksClosed() override { return true; }
    bool siToolbarClosed() override { return true; }
    bool siHeaderViewsOpening() override { return false; }
    bool siHeaderViewsClosed() override { return siTimebarClosed() && siTlineClosed(); }
    bool siAllHeaderViewsClosed() override { return siHeaderViewsClosed(); }
    void terminerDeplacementCurseur() override {}
    void displayAllInspectView() override {}
    bool siNbOfRows() override { return false; }
    void displaySelectionView() override {}
    void draggingSessionDidStop() override {}
    void activateTallomerStart() override {}
    void activateTallomerStop() override {}
    void searchingWillStart() override {}
    void searchingDidFinish() override {}
    bool siFullWindow() override { return false; }
    bool siFullScreen() override { return false; }
    void setSiFullScreen(bool) override {}
    void userToggleFullScreen() override {}
    bool siShowMenubar() override { return true; }
    void setSiShowQLPreview(bool) override {}
    void updateMenuObject(QMenu*) override {}
    void updateMenuMacForMode(int) override {}
    void userOpenOverfly() override {}
    void userMoveTo() override {}
    void userMoveToSpace() override {}
    void userCopyTo() override {}
    void userCopyToSpace() override {}
    void userDuplicateTo() override {}
    void userDuplicateToSpace() override {}
    void userFind() override {}
    bool userFindInChannels() override { return false; }
    void userFindTextInChannels() override {}
    void menuInspectFind() override {}
    void menuFindZevHeld() override {}
    void menuFindZevFolderHeld() override {}
    void menuFindMacHeld() override {}
    void menuFindExtHeld() override {}
    void menuFindFiles() override {}
    void menuFindPersons() override {}
    void menuFindEmails() override {}
    void menuFindBookmarks() override {}
    void userGotoPrevious() override {}
    void userGotoNext() override {}
    void menuInspectPrevious(bool) override {}
    void menuInspectNext(bool) override {}
    bool siSelectedFilterItems() override { return false; }
    void forgetDraggingLego() override {}
    QString durationStringForAllLegos() override { return {}; }
    ZEVLegoSource* selectionItemLegoSource() override { return nullptr; }
    bool siRecallingSelectedItems() override { return false; }
    bool siRecallingNowSelectedItems() override { return false; }
    bool siReleasingSelectedItems() override { return false; }
    void userRecallNow() override {}
    void userRecallSearch() override {}
    void userRetainNow() override {}
    void userRetainSearch() override {}
    void userReleaseNow() override {}
    void userReleaseSearch() override {}
    void userForgetNow() override {}
    void userForgetSearch() override {}
    void userStepBack() override {}
    void cancelOperation() override {}
    void menuActionFilter() override {}
    void menuEditRecallNow() override {}
    void menuEditRecall() override {}
    void menuEditRetain() override {}
    void menuEditRelease() override {}
    void menuEditForget() override {}
    void menuOpen() override {}
    void menuAddDocuments() override {}
    void buttonAddWithItem(KELI*) override {}
    void userToggleQL() override {}
    void userOpenQL() override {}
    QMenu* connexionMenuForConnexion(ZEVItemConnexion*) override { return nullptr; }
    void userGoNow() override {}
    void userSpaceStartHome() override {}
    void userSpaceStart() override {}
    void userSpaceCleanAll() override {}
    void userSpaceCleanAndRecall() override {}
    void userSpaceCleanAndRecallBack() override {}
    void userSpaceCleanAndReplace() override {}
    void newSpaceWithBackground(std::function<bool(NewBackground&)>, std::function<void(bool)>) override {}
    bool siGoToPanelVisible() override { return false; }
    void majGoToDurationButtons() override {}
    void setGotoOff() override {}
    void selectionPreviousSpace(bool) override {}
    void selectionNextSpace(bool) override {}
    void selectionHome() override {}
    void selectionDown(KELId) override {}
    void selectionUp(KELId) override {}
    void setSpaceBrowsing(bool) override {}
    void setChannelBrowsing(bool) override {}
    void setZevstoryBrowsing(bool) override {}
    void majImageForEditionMenu1(QMenu*) override {}
    void majImageForEditionMenu2(QMenu*) override {}
};

} // namespace tallomer::test
