#pragma once
// The controller of all Object views of one cursor's desk: which views are selected and shown in
// each front mode, which views a gesture works on, the copies a drag carries, the drawn Links
// between linked Objects (kept from the link base's notices for the Object-to-Object relation),
// and which Objects the selected filters reach, combined with AND or OR.
//
// Ownership: the desk viewer owns the views (made here, see creerItemView); this viewer owns the
// drawn Links. A view tells the viewer when it goes, and the viewer then drops every reference to
// it; forgetting a Link also takes it out of the drawn set, so nothing here ever points at a view
// or a Link that is gone.

#include "objects/drawing/ZEVItemPalette.h"
#include "services/ZEVItemViewerForDesks.h"
#include "objects/viewer/ZEVItemConnexion.h"
#include "objects/viewer/ZEVItemMenu.h"
#include "desk/model/ZEVItemOptions.h"
#include "runtime/Scheduler.h"

#include <QPointF>
#include <QString>

#include <map>
#include <memory>
#include <set>
#include <vector>

class KELI;
class KELICurseur;
class QGraphicsScene;

namespace tallomer {

class ZEVDeskClass;
class ZEVDeskGeometry;
class ZEVItemClass;
class ZEVSpaceForObjectViews;
class ZEVItemView;
class ZEVItemViewerModels;
class ZEVFileJobs;
class ZEVItemViewerHost;

// The retrieve panel's answers.
inline constexpr int ZEVItemRetrieveSelect = 1;
inline constexpr int ZEVItemRetrieveCancel = 2;
inline constexpr int ZEVItemRetrieveDelete = 3;

class ZEVItemViewer final : public ZEVItemViewerForDesks {
public:
    // None is owned; `space` and `deskViewer` may be null (a desk without a window).
    ZEVItemViewer(KELICurseur* curseur, ZEVSpaceForObjectViews* space, ZEVDeskViewerForObjectViews* deskViewer);
    ~ZEVItemViewer() override;
    ZEVItemViewer(const ZEVItemViewer&) = delete;
    ZEVItemViewer& operator=(const ZEVItemViewer&) = delete;

    // The desk's Object factory and desk model of the same cursor (not owned).
    void referencerItemClass(ZEVItemClass* itemClass, ZEVDeskClass* deskClass);
    // Another source of the same answers (not owned).
    void referencerModels(ZEVItemViewerModels* models) { models_ = models; }

    KELICurseur* rulerCurseur() const { return curseur_; }
    ZEVSpaceForObjectViews* spaceController() const { return space_; }
    ZEVDeskViewerForObjectViews* deskViewer() const { return deskViewer_; }
    ZEVItemClass* itemClass() const { return itemClass_; }
    ZEVItemPalette& palette() { return palette_; }
    int frontMode() const;

    // Views.
    std::unique_ptr<ZEVItemViewForDesks> creerItemView(const ZEVIconPosition& position, KELI* item,
                                                       float ratio) override;
    // Called by a view as it is destroyed.
    void itemViewDetruite(ZEVItemView* view);
    ZEVItemView* itemViewForItem(KELI* item) const;
    std::vector<ZEVItemViewForDesks*> visibleItemViewsForMode(int mode) override;
    void majSelectedItemViewsForCentered();
    const std::vector<ZEVItemView*>& majSelectedItemViewsForSelectedItemView(ZEVItemView* view);
    const std::vector<ZEVItemView*>& selectedItemViews() const { return selectedItemViews_; }
    void deleteItemViewForItem(KELI* item) override;
    // Recall the Object's icon at the cursor's now (at the view's place for a view); each then
    // refreshes the cursor.
    void userRecallIconForItem(KELI* item) override;
    void userRecallIconForItemView(ZEVItemViewForDesks* view) override;
    void userRecallLinkWithItem(KELI* item, KELI* otherItem) override;
    void setSiChannelActif(bool oui) override { siChannelActif_ = oui; }
    bool siChannelActif() const override { return siChannelActif_; }

    // Copies carried by a long-press drag, shared by the desks of both cursors.
    const std::vector<std::unique_ptr<ZEVItemView>>& copiedItemViewsForSelectedItemView(ZEVItemView* view);
    static const std::vector<std::unique_ptr<ZEVItemView>>& CopiedItemViews();
    static void ViderCopiedItemViews();
    static void ReferencerInitialCurseur(KELICurseur* curseur) { initialCurseur_ = curseur; }
    // Where the pointer of the drag of copies was last (y-up, floored); the copies follow it.
    static void ReferencerDragPoint(const QPointF& p) { dragPoint_ = p; }
    void copiedItemViewsMovedTo(const QPointF& deskPoint) override;
    // The drop of the copies on this desk: each Object recalled at the cursor where its copy lies;
    // one already there moves when the drag stayed on the Now desk or Ctrl is held, else its copy
    // flies back to it (1.0 s) and goes (1.1 s). Nothing after a cancel.
    void userRecallSelectedItemViewsVersNowCurseur() override;
    // Escape on a copy: the drop that follows does nothing, and this desk is active again.
    void userCancelRecallSelectedItemViews();
    // The dragged copies of these Objects fly back to their Objects' views and go.
    void slideBackCopiesForItems(const std::vector<KELI*>& items, double duration = kFlyBack, double gone = kFlyBackGone);
    // Alt at the drop: the file jobs duplicate the copies' Objects into the Space (a cancelled
    // drag only clears its flag).
    void userDuplicateSelectedItemViews() override;
    static bool siCancelRecall() { return cancelRecall_; }
    // Dragged Objects over a folder Object: each dragged view gets the sticker of what would
    // happen to it (Forbid, Move, Copy, Warning for a folder); the answer is none when none
    // can go in, copy with Alt alone or an Object held by the system, else move.
    Qt::DropAction userWillDragToFolderItemView(ZEVItemView* folder, Qt::KeyboardModifiers modifiers);
    // The drop there: the dragged Objects sorted into moving, duplicating and staying ones for
    // the file jobs.
    void userDragToFolderItemView(ZEVItemView* folder, Qt::KeyboardModifiers modifiers);
    // The program's file jobs (not owned; the application sets them once).
    static void ReferencerFileJobs(ZEVFileJobs* jobs) { fileJobs_ = jobs; }
    static ZEVFileJobs* FileJobs() { return fileJobs_; }
    static constexpr double kFlyBack = 1.0;
    static constexpr double kFlyBackGone = 1.1;
    static KELICurseur* InitialCurseur() { return initialCurseur_; }
    bool siCopiedItemViewForItem(const KELI* item) const;
    std::vector<KELI*> draggedItems() const;
    std::vector<ZEVItemView*> draggedItemViews() const;
    ZEVIconPosition iconPositionForSelectedView(const ZEVItemView* view) const;

    // Drawn Links.
    ZEVItemConnexion* itemConnexionForLienConnexion(KELI* lien);
    const std::set<ZEVItemConnexion*>& connexionsExistantes() const { return connexionsExistantes_; }
    std::vector<ZEVItemConnexion*> connexionsTouchingItem(KELI* item) override;
    std::size_t connexionCount() const;
    void initItemConnexionAvecLienConnexion(KELI* lien, KELDate curseurDate) override;
    void moteurCroisementForConnexion(KELI* lien, ZEVCroisement croisement) override;
    void delConnexionsForParentInt(KELId parentInt) override;
    void delConnexionsForParentIntEnfantInt(KELId parentInt, KELId enfantInt) override;
    // The titles to be painted are drawn together, on worker threads when there are many; the
    // views that would paint only under opaque views above them are left out of the paint.
    void willPaint(const QGraphicsScene& scene, const QRegion& exposed, const QTransform& viewportTransform,
                   qreal pixelRatio) override;
    void didPaint() override;
    // Whether the views above `view` hide all it would draw now, wherever it is painted.
    bool siCoveredByViewsAbove(const ZEVItemView& view) const;
    ZEVItemConnexion* selectedConnexionForPoint(const QPointF& point);
    // `commande`: the Ctrl key is held (toggles the Link in the selection).
    bool siSelectConnexionForPoint(const QPointF& point, bool commande);
    // Whether the two Objects are linked, whichever is the parent.
    bool userAskIfItemIsConnectedWithItem(KELI* a, KELI* b);

    // ---- what the user asks of Objects, at this viewer's cursor; each change is followed by the
    // cursor's context run again and the cursor re-placed, so that the notices redraw ----
    void userReleaseIconForItem(KELI* item);
    void userReleaseIconForItems(const std::vector<KELI*>& items);
    void userReleaseIconForItems(const std::vector<KELI*>& items, KELDate transitionDate);
    // The visible views of the current front mode, one by one.
    void userReleaseSelectedItemViews();
    void userForgetIconForItem(KELI* item);
    void userForgetIconForItems(const std::vector<KELI*>& items);
    void userRecallIconForItems(const std::vector<KELI*>& items);
    // Every icon-selected Object, at its view's place (its stored place when it had no view).
    void userRecallSelectedItems();
    void userRetainIconForItem(KELI* item);
    void userRetainIconForItems(const std::vector<KELI*>& items);
    // The view's place is the new one; YES when the icon was recalled (NO: already on the desk).
    bool userRecallIconAtViewPlace(ZEVItemViewForDesks* view);
    // Each view's Object recalled at the view's place, the cursor run again once for all.
    void userRecallIconForItemViews(const std::vector<ZEVItemViewForDesks*>& views);

    // Links between two Objects: one link per pair, the greater id its parent.
    void userReleaseLinkWithItem(KELI* item, KELI* otherItem);
    void userRetainLinkWithItem(KELI* parent, KELI* enfant);
    void userForgetLinkWithItem(KELI* parent, KELI* enfant);
    // The selected links that end at the Object (front mode 3).
    void userRecallLinksForItem(KELI* item);
    void userRetainLinksForItem(KELI* item);
    void userReleaseLinksForItem(KELI* item);
    void userForgetLinksForItem(KELI* item);
    // Every selected link; each walks a copy of the selection, which its own notices change.
    void userRetainSelectedLinks();
    void userReleaseSelectedLinks();
    void userForgetSelectedLinks();

    // A move, resize or arrow series of one view ends: stored from the cursor's date when the icon
    // may change now; otherwise the view blinks and goes back to its stored place after 6.7 s.
    // A place that is not a place (a number that is not finite, a size of zero or less) is never
    // stored: logged, and the view goes back at once.
    void userChangePosition(const ZEVIconPosition& newPosition, const ZEVIconPosition& oldPosition,
                            ZEVItemView* view);
    // The snap-back of a refused move: the view takes its stored place again, with the sound.
    void retablirItemView(ZEVItemView* view);
    // A click on a blinking view: the moved views keep their places on screen, nothing stored.
    void userAnnuleRetablirPositionForSelectedItemViews();
    // Keep the shown place (stored now), or restore the stored one at once.
    void userKeepPositionForItemView(ZEVItemView* view);
    void userRestorePositionForItemView(ZEVItemView* view);
    void userChangeTitle(const QString& title, ZEVItemView* view);
    // Escape on a view while nothing is under way: the front layer steps back.
    void userCancelOperation();
    // ---- opening Objects and the file manager's services (ZEVItemViewerOpen.cpp) ----
    // By the Object's type: a file (an archive kept in the store refused, a program asked
    // about, a broken link offered for repair, a missing file looked for), a web address, a
    // contact, a kept mail message, a saved place; `original`: a file's origin web address.
    void userOpenItem(KELI* item, bool original);
    int openRequests() const { return openRequests_; }
    // The Objects of the current mode's visible views, one by one.
    void userOpenSelectedItemViews();
    // The file shown in the file manager; true when shown or found again.
    bool userShowOriginalForItem(KELI* item);
    // The file manager's properties of a file Object's file.
    void userGetInfoForItem(KELI* item);
    static bool SiArchiveExtension(const QString& suffix);
    static QString BusyText(ZEVItemOption options, bool opening);
    // Points the link at `alias` to `original`, replacing it only once the new link exists.
    static bool RepairAlias(const QString& alias, const QString& original, QString* error);
    // The program around the viewer (not owned; the application sets it once).
    static void ReferencerHost(ZEVItemViewerHost* host);
    static ZEVItemViewerHost* Host() { return host_; }

    // ---- the Object context menu (ZEVItemViewerMenu.cpp) ----
    // Prepares the menu for the view and has the front view show it; none while a modifier
    // quasimode is in force.
    void setMenuForItemView(ZEVItemView* view);
    ZEVItemMenuModel menuModelForItemView(ZEVItemView* view);
    // The Link and Unlink items for the Object (the inspectors' row menus too).
    void menuInfoForItem(KELI* item, ZEVItemMenuEntry& link, ZEVItemMenuEntry& unlink);
    void menuAction(ZEVItemMenuSlot slot);
    ZEVItemView* menuItemViewTarget() const { return menuTarget_; }
    ZEVItemMenu* itemMenu() const { return menu_.get(); }

    // The arrow keys on the desk's grid (g in desk units, 200 or 400); each changes the view at
    // once and stores the series 0.6 s after its last press.
    void userMoveLeftItemView(ZEVItemView* view, double grid);
    void userMoveRightItemView(ZEVItemView* view, double grid);
    void userMoveUpItemView(ZEVItemView* view, double grid);
    void userMoveDownItemView(ZEVItemView* view, double grid);
    void userZoomInRightAlignItemView(ZEVItemView* view, double grid);
    void userZoomOutRightAlignItemView(ZEVItemView* view, double grid);
    void userZoomInTopAlignItemView(ZEVItemView* view, double grid);
    void userZoomOutTopAlignItemView(ZEVItemView* view, double grid);
    // The store of an arrow series, 0.6 s after its last press.
    void archivePositionForItemView(ZEVItemView* view);
    static constexpr double kArchiveDelay = 0.6;
    static constexpr double kRetablirDelay = 6.7;

    // Filters.
    void ajouteFilterForItem(KELI* item) override;
    void enleveFilterForItem(KELI* item) override;
    void enleveFilterForAllItems() override;
    void setSiFiltreANDOperation(bool oui) override;
    bool siFiltreANDOperation() const { return siFilterANDOperation_; }
    bool siActifFilter() const { return siActifFilter_; }
    bool siImpactedItem(KELI* item) const;
    // How many selected filters reach the Object.
    int impactCount(KELI* item) const;
    std::vector<KELI*> impactedItemSet() const;
    bool siLinkedToItem(KELI* item);
    bool siHideViewForFilterImpactedItem(KELI* item) override;
    bool siHideViewForFilterChosenItem(KELI* item) override;

private:
    void relancerCurseur();
    std::vector<ZEVItemConnexion*> selectedConnexions(KELI* endingAt) const;
    void linkSelectionDidChange();
    // The common end of the eight arrow operations.
    void gridPlace(ZEVItemView* view, const ZEVIconPosition& position);
    void flyBack(const std::vector<ZEVItemView*>& copies, QGraphicsScene* scene, double duration = kFlyBack,
                 double gone = kFlyBackGone);
    const ZEVDeskGeometry& geometry() const;

    using Updater = void (ZEVItemConnexion::*)(bool);
    void majItemConnexion(ZEVItemConnexion* c);
    void addFilterImpactForConnexion(ZEVItemConnexion* c);
    void delFilterImpactForConnexion(ZEVItemConnexion* c);
    void addImpact(KELI* filtre, KELI* item);
    void delImpact(KELI* filtre, KELI* item);
    void oublierConnexion(ZEVItemConnexion* c);
    void visibleViewsOfMode(int mode, std::vector<ZEVItemView*>& out);
    bool isSelectedInMode(int mode, KELI* item) const;
    void majItemViews();
    // Marks the views of `painted` that the paint of `exposed` need not draw, and takes them out;
    // with `cutImages`, gives the others the parts their images need draw.
    void leaveOutCovered(std::vector<ZEVItemView*>& painted, const QRegion& exposed, const QRectF& sceneRect,
                         const QTransform& viewportTransform, bool cutImages);

    KELICurseur* curseur_;                  // not owned
    ZEVSpaceForObjectViews* space_;           // not owned
    ZEVDeskViewerForObjectViews* deskViewer_;   // not owned
    ZEVItemClass* itemClass_ = nullptr;     // not owned
    ZEVDeskClass* deskClass_ = nullptr;     // not owned
    ZEVItemViewerModels* models_ = nullptr; // not owned, or ownModels_
    std::unique_ptr<ZEVItemViewerModels> ownModels_;
    ZEVItemPalette palette_;

    // The views made here that still exist, not owned; in a row, which every paint walks, rather
    // than a tree of scattered nodes.
    std::vector<ZEVItemView*> views_;
    std::vector<ZEVItemView*> coveredInPaint_; // left out of the paint under way
    std::vector<ZEVItemView*> forecast_;       // whose state the paint under way has read
    // Paints to come that draw every view without looking for hidden ones (see leaveOutCovered).
    int paintsWithoutPass_ = 0;
    std::vector<ZEVItemView*> selectedItemViews_;
    std::set<ZEVItemConnexion*> connexionsExistantes_;
    std::map<KELId, std::vector<std::unique_ptr<ZEVItemConnexion>>> parentConnexionsMap_;

    bool siActifFilter_ = false;
    bool siFilterANDOperation_ = false;
    bool siChannelActif_ = true;
    // For each filter, the Objects it reaches and through how many added Links; an Object counts
    // once per filter whatever the number or direction of its links to it.
    std::map<KELI*, std::map<KELI*, int>> impactParFiltre_;
    std::map<KELI*, int> impactedItemCounts_;

    int openRequests_ = 0;
    QString typeForItem(KELI* item) const;
    int alert(const QString& title, const QString& message, const QString& informative, const QStringList& buttons);
    void openFileItem(KELI* item);
    void reloadImagesForItem(KELI* item);
    // Marks the file not found, runs the retrieve panel and carries out its answer.
    int retrieveMissingFile(KELI* item, bool activate, QString* newPath);
    void menuConnect(KELI* item, bool link);
    void menuCopy(ZEVItemView* view);
    std::unique_ptr<ZEVItemMenu> menu_;
    ZEVItemView* menuTarget_ = nullptr; // cleared when the view goes
    static inline ZEVItemViewerHost* host_ = nullptr; // not owned
    static inline KELICurseur* initialCurseur_ = nullptr; // not owned
    static inline QPointF dragPoint_;
    static inline bool cancelRecall_ = false;
    static inline ZEVFileJobs* fileJobs_ = nullptr; // not owned
    ScheduledTarget guard_{this};
};

} // namespace tallomer
