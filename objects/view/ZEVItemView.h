#pragma once
// The view of one Object on the desk of one time cursor: a graphics item of the desk's scene with
// three parts, the title line, the icon image and the transparent drag overlay over the image.
// It draws the title, the image and the overlay's sticker itself; only the overlay, which takes
// drops, is an item of its own.
// It keeps the Object's place (the icon position), its image ratio, the presence counters fed by
// the link base's notices, and the flags its drawing reads.
//
// Its frame is y-up in desk-view points, like the models; it turns itself over into the scene
// through the desk viewer's height, and lays its parts out y-up inside itself.
//
// The jobs that keep a state of their own are classes it holds (the placement and the restore
// blink, the flicker, the title editor, the best image); its methods for them forward to them.

#include "services/ZEVIconPosition.h"
#include "services/ZEVItemViewForDesks.h"
#include "objects/drawing/ZEVItemDrawing.h"
#include "objects/drawing/ZEVItemTitleColours.h"
#include "objects/view/ZEVItemBestImage.h"
#include "objects/view/ZEVItemDragView.h"
#include "objects/view/ZEVItemFlicker.h"
#include "objects/view/ZEVItemImageView.h"
#include "objects/view/ZEVItemPlacement.h"
#include "objects/view/ZEVItemProgressView.h"
#include "objects/view/ZEVItemTitleEditor.h"
#include "objects/view/ZEVItemTitleView.h"
#include "runtime/Scheduler.h"

#include <QGraphicsItem>
#include <QImage>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class KELI;
class QLineEdit;
class QMimeData;
class QMovie;

namespace tallomer {

class ZEVItemViewer;
class ZEVSpaceForObjectViews;

class ZEVItemView : public QGraphicsItem, public ZEVItemViewForDesks {
    friend class ZEVItemBestImage;
    friend class ZEVItemDragView;
    friend class ZEVItemFlicker;
    friend class ZEVItemPlacement;
    friend class ZEVItemTitleEditor;

public:
    // Margins of the view around its icon image: 50 left, right and top, 55 below for the title.
    static constexpr double kMarginX = 50;
    static constexpr double kMarginTop = 50;
    static constexpr double kMarginBottom = 55;

    // The desk's view: framed around the icon at `position` as a square (whatever the ratio),
    // hidden until the desk viewer shows it. Neither `viewer` nor `item` is owned.
    ZEVItemView(const ZEVIconPosition& position, ZEVItemViewer* viewer, KELI* item, float ratio);
    // A view of the same Object away from the desk (drag images): framed as given, no drag
    // overlay, always of the current Channel.
    ZEVItemView(const QRectF& frame, float ratio, ZEVItemViewer* viewer, KELI* item);
    ~ZEVItemView() override;
    ZEVItemView(const ZEVItemView&) = delete;
    ZEVItemView& operator=(const ZEVItemView&) = delete;

    // Geometry, y-up in desk-view points. The image is S on its longer side: S / r by S when
    // r (height over width) is above 1, else S by S × r.
    static QSizeF imageSize(double s, float ratio);
    static QRectF viewFrameForIconPosition(const ZEVIconPosition& position, float ratio);
    static ZEVIconPosition iconPositionForViewFrame(const QRectF& frame, float ratio, double angle);

    QRectF viewFrameForIconPosition(const ZEVIconPosition& position) const
    {
        return viewFrameForIconPosition(position, imageSizeRatio_);
    }
    ZEVIconPosition iconPositionForCurrentFrame() const
    {
        return iconPositionForViewFrame(frame_, imageSizeRatio_, iconAngle_);
    }
    QRectF frame() const { return frame_; }
    // Keeps the icon position in step with every frame change.
    void setFrame(const QRectF& frame);
    QPointF imageCentre() const;
    float imageSizeRatio() const { return imageSizeRatio_; }
    // A new image's ratio; the frame follows at the next placement.
    void setImageSizeRatio(float ratio) { imageSizeRatio_ = ratio; }
    void saveIconPosition() { savedIconPosition_ = iconPosition_; }
    void saveIconPosition(const ZEVIconPosition& position) { savedIconPosition_ = position; }
    ZEVIconPosition savedIconPosition() const { return savedIconPosition_; }

    // ZEVItemViewForDesks
    QGraphicsItem* graphicsItem() override { return this; }
    KELI* item() const override { return item_; }
    QString itemTitle() const override { return itemTitle_; }
    void setItemTitle(const QString& title) override;
    QString itemType() const override { return itemType_; }
    // Until the Object's own picture is known, its view shows the desktop's icon for its type.
    void setItemType(const QString& type) override;
    // The icon of an Object by its type word alone, for an Object that names no icon word.
    static QImage imageDuType(const QString& type);
    static QString iconWordForItemType(const QString& type);
    void setItemImage(const QImage& image) override;
    QRectF imageFrame() const override;
    ZEVIconPosition iconPosition() const override { return iconPosition_; }
    void setIconPosition(const ZEVIconPosition& position, double duration) override;
    void replacerDansLaScene() override;
    void updateIfDrawChanged() override;

    void setSiAjoute(bool flag) override;
    void setSiActif(bool flag) override;
    void setSiFutur(bool flag) override;
    bool siAjoute() const override { return siAjouteCount_ > 0; }
    bool siActif() const override { return siActifCount_ > 0; }
    bool siFutur() const override { return siFuturCount_ > 0; }
    std::int64_t siAjouteCount() const override { return siAjouteCount_; }
    std::int64_t siActifCount() const override { return siActifCount_; }
    std::int64_t siFuturCount() const override { return siFuturCount_; }
    ZEVItemTimeState timeState() const;

    bool siItemViewAccepteMaj() const override { return siItemViewAccepteMaj_; }
    void itemViewAccepteMaj() override { siItemViewAccepteMaj_ = true; }
    void itemViewRefuseMaj() override { siItemViewAccepteMaj_ = false; }
    bool siRetablir() const override { return siRetablir_; }
    void setSiRetablir(bool flag) override { siRetablir_ = flag; }

    void setChannelInt(KELId channelInt) override;
    void majChannelInt(KELId channelInt, bool siChannelActif) override;
    void setHidden(bool hidden) override;
    bool isHidden() const override;
    KELId identityInt() const { return identityInt_; }
    bool siIdentiy() const { return siIdentiy_; }

    void orderToFront() override;
    void orderToBack() override;

    void showCadreStart() override;
    void showCadreStop() override;
    // The sticker of the code (0: from the Object's options) on this Object's views of the Now
    // and the Search desk; a code that names none removes it.
    void addSticker(int code) override;
    // The sticker shown, by name; empty when none. Its drag overlay holds it; the view draws it.
    const QString& stickerName() const { return stickerName_; }
    // Where its sticker is drawn, in its own coordinates (empty without one; a view without its
    // drag overlay, a drag image, shows none).
    QRectF stickerFrame() const { return dragView_ ? dragView_->stickerFrame() : QRectF(); }
    // The image animates when the Object has the Animate option; the best image is asked at once.
    void updateImage() override;

    // ---- the best image ----
    // Until the Object's own picture comes, the desktop's icon of its icon word (its extension)
    // stands in; the picture is asked 0.4 s after the type is first known and after each change
    // of size has settled.
    static constexpr double kBetterImageDelay = 0.4;
    static constexpr char kBetterImageName[] = "_betterImageForItemType:";
    // Asks the best picture of the Object for a type word ("file", "http", "zevp", "ABPerson";
    // any other keeps what shows). Missing files are marked here, on the main thread; the
    // pictures are made on the shared thumbnail pool and only the newest request's applies.
    void betterImageForItemType(const QString& type) { bestImage_.request(type); }
    // A delivered picture: the ratio follows it and the view is placed again. An image without
    // width or height is never applied.
    // `ratio` (height over width) when more exact than the image's pixels; 0: the image's.
    void setBetterImage(const QImage& image, float ratio = 0);
    // The stand-in when no image shows yet, and the best image asked 0.4 s later.
    void setItemIconImage();
    // The delayed request's turn: queued with every view's, asked in turns of bounded length.
    void askBetterImageSoon() { bestImage_.askSoon(); }
    // The stand-in, whatever shows; nothing is asked.
    void setRetrieveIcon();
    // The icon of the Object's icon word, or of its type when it has none; one per word.
    QImage placeholderImage() const;
    // Asks the shared pool for a picture (a thumbs::Request::Kind, its file, the size, the
    // picture in hand); a newer request makes this one's delivery stale.
    void queuePicture(int kind, const QString& path, double s, const QImage& picture = {})
    {
        bestImage_.queuePicture(kind, path, s, picture);
    }
    // Counts the requests made, so that a late delivery can be told from the newest.
    std::uint64_t imageGeneration() const { return bestImage_.generation(); }
    // The animated GIF shown while the Object has the GIF and Animate options; nullptr otherwise.
    QMovie* movie() const { return bestImage_.movie(); }

    // ---- the flicker that points at an Object ----
    static constexpr double kFlickStep = 0.15;
    void flick() override { flicker_.flick(); }
    std::int64_t flickIconCount() const { return flicker_.iconCount(); }
    std::int64_t flickTitleCount() const { return flicker_.titleCount(); }
    bool siFlickOn() const { return siFlickOn_; }

    // ---- the title edited in place ----
    // A line editor over the title, on the canvas showing this view; Return keeps a changed
    // text (through the item viewer), Escape puts the title back. False when it cannot start.
    bool editTitle() { return titleEditor_.start(); }
    // The line editor while an edit runs; nullptr otherwise.
    QLineEdit* titleEditor() const { return titleEditor_.editor(); }
    // Ends the edit: `keep` sends a changed text to the item viewer.
    void endTitleEdit(bool keep) { titleEditor_.end(keep); }
    // The title's colours as the state of the view gives them now.
    std::optional<ZEVItemTitleColours> titleColours() const;

    void downloadBegin() override {}
    void downloadStart(bool determinate) override;
    void downloadSetStatus(float fraction) override;
    void downloadFinish() override;
    void downloadError() override;
    QString previewItemURL() const override;
    QImage previewItemTransitionImage() const override;
    // A file job on the Object (a copy or move into a folder): the bar shows beside the icon,
    // which stays visible.
    void duplicateStart();
    void duplicateSetStatus(float fraction) { downloadSetStatus(fraction); }
    void duplicateFinish();
    void duplicateError();
    // The download's bar while one shows; nullptr otherwise.
    ZEVItemProgressView* progressView() const { return progressView_; }

    // Flags the drawing reads; each setter asks for a redraw.
    bool siConnecting() const { return siConnecting_; }
    void setSiConnecting(bool flag);
    void setSiShowTitle(bool flag);
    void setSiFlickOn(bool flag);
    void setSiRetablirItemView(bool on, bool flag);
    bool siShowCadre() const { return siShowCadre_; }
    bool siAnimation() const { return siAnimation_; }

    // ---- animated placement and the restore blink ----
    // The key this view's delayed performs go by; the view cancels them all as it goes.
    const void* cible() const { return static_cast<const ZEVItemViewForDesks*>(this); }
    bool siAnimationRun() const { return placement_.running(); }
    // How many views of any desk are running a placement now.
    static std::size_t nbDePlacementsEnCours() { return ZEVItemPlacement::runningCount(); }
    // A running placement stops where it stands.
    void snapAnimation();
    void startRetablirItemViewAmation();
    void annuleRetablirItemViewAmation();
    void stopRetablirItemViewAmation();
    bool siRetablirItemView() const { return blink_.on(); }
    bool siRetablirItemViewFlag() const { return blink_.lit(); }
    static constexpr double kAnimationStep = 1.0 / 60.0;

    // ---- input; points are y-up in desk-view points ----
    static constexpr double kLongPress = 0.7;
    static constexpr double kCadreTime = 0.5;
    static constexpr double kResizeEnd = 0.5;
    static constexpr double kCancelDuration = 0.3;
    static constexpr double kSnapDuration = 0.001;
    static constexpr double kMoveAlpha = 0.7;
    // The rectangle a press must hit: the image, grown by 10 on every side when the icon is
    // selected.
    QRectF hitRect() const;
    bool siIncludePoint(const QPointF& deskPoint) const { return hitRect().contains(deskPoint); }
    // Each answers whether the view took the event (false: it goes on to the desk).
    bool mouseDown(const QPointF& deskPoint, Qt::KeyboardModifiers modifiers);
    void mouseDragged(const QPointF& deskPoint);
    void mouseUp(Qt::KeyboardModifiers modifiers);
    bool doubleClick(const QPointF& deskPoint);
    bool otherMouseDown(const QPointF& deskPoint);
    // deltaY in lines (a notch is one); `natural` when the device scrolls the natural way.
    bool scrollWheel(const QPointF& deskPoint, double deltaY, bool natural);
    // A pinch the front view found over this view.
    void magnifyItemViewWithEvent(double magnification) override;
    bool keyDown(int key, Qt::KeyboardModifiers modifiers);
    // Escape.
    virtual void cancelOperation();
    // The long press: copies of the views to recall are dragged out (through the drag runner).
    void mouseDownRappel();
    void mouseDownRappelCancel();
    // How a drag of copies runs: QDrag::exec from the desk's canvas in the program; tests give
    // one that replays the drag over the canvas. Answers the action the drop took.
    using DragRunner = std::function<Qt::DropAction(QMimeData* data, const QImage& image, ZEVItemView* source)>;
    static void setDragRunner(DragRunner runner);
    // Where the press that started the last long-press drag was (y-up, desk points).
    static QPointF DraggingFirstClickPoint();
    // The number of the last long-press drag (one count for the program).
    static long DraggingSequence();
    // Runs a drag from this view's canvas with the runner in force.
    Qt::DropAction runDrag(QMimeData* data, const QImage& image);
    bool siMouseDragged() const { return siMouseDragged_; }
    bool siSrollWheelStart() const { return siSrollWheelStart_; }
    bool siCancel() const { return siCancel_; }
    // Whether the arrows are this view's now (not the window's): the front layer has no focus
    // and some view of the mode is selected.
    bool siFreeArrows(std::vector<ZEVItemView*>* views = nullptr) const;

    bool siModifiableTitle() const { return true; }
    // Active, and the Ctrl key held or the active cursor not in its parent cursor's past.
    bool siModifiableIcon(bool commande) const;
    bool isFilterActif() const;
    bool isFilterMode() const;

    // What the next redraw draws, and its title and alpha, from the current flags and selections.
    ZEVItemDrawInputs drawInputs() const;
    // One redraw: paints the marks and then sets the title's hidden flag and, only when it
    // changes, the image's alpha. Answers the plan it followed.
    ZEVItemDrawPlan drawRect(QPainter& painter);

    // What its next paint, in the state the view is in now, touches and where it hides all that
    // lies beneath (on a painter that only moves), in its own coordinates.
    struct PaintReach {
        QRectF drawn;
        QRectF opaque;
        // Finer than `opaque`, where its image's rows are known: the opaque run of each.
        ZEVItemImageView::OpaqueRows opaqueRows;
    };
    PaintReach paintReach() const;
    // The same for the paint about to run, which then draws from the state read here rather than
    // read it again; kept until that paint or forgotten.
    PaintReach forecastPaint();
    void forgetForecast() { forecast_.reset(); }
    // What the last paint that drew the view touched, in its own coordinates: all it may still
    // show of an earlier state.
    QRectF lastDrawnRect() const;
    // The canvas's paint under way need not draw the view: views above it hide all it would draw
    // there. Holds for that paint only.
    void setCoveredInPaint(bool covered) { coveredInPaint_ = covered; }
    // The viewport's pixels the paint under way needs from its images, filled by the canvas's
    // viewer; outside them views above hide them. Empty: the whole of each. Holds for that paint
    // only (the canvas's viewer clears it).
    ZEVPaintCut& paintCut() { return paintCut_; }
    // How many paints drew the view (a covered one draws nothing).
    int drawnCount() const { return drawnCount_; }
    // The views of a scene stack by their z, then in the order they entered it: ordered so.
    bool stacksBelow(const ZEVItemView& other) const { return stackingKey() < other.stackingKey(); }
    std::pair<double, std::uint64_t> stackingKey() const { return {zValue(), sceneEntry_}; }

    ZEVItemViewer* itemViewer() const { return itemViewer_; }
    // The item viewer is going away before the view: the view stops asking it.
    void detacherItemViewer() { itemViewer_ = nullptr; }
    ZEVItemImageView* itemImageView() const { return imageView_.get(); }
    ZEVItemTitleView* titleView() const { return titleView_.get(); }
    ZEVItemDragView* dragView() const { return dragView_; }

    // QGraphicsItem
    QRectF boundingRect() const override { return QRectF(QPointF(0, 0), frame_.size()); }
    void mousePressEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseDoubleClickEvent(QGraphicsSceneMouseEvent* event) override;
    void wheelEvent(QGraphicsSceneWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool sceneEvent(QEvent* event) override;
    QVariant itemChange(GraphicsItemChange change, const QVariant& value) override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

    // The Object views of a scene, bottom first.
    static std::vector<ZEVItemView*> itemViewsInStackingOrder(QGraphicsScene* scene);

protected:
    // Whether the view asks for its Object's best picture; copies show the picture they were given.
    virtual bool siBestImage() const { return true; }
    // Moves to the position over `duration` seconds (at once for 0 or a snap), with no rule about
    // first placements or the animation setting.
    void placer(const ZEVIconPosition& position, double duration);

private:
    void construireLesParties(bool avecDragView);
    void setStickerImage(const QString& name);
    void disposerLesParties();
    PaintReach reachFor(const ZEVItemDrawPlan& plan) const;
    ZEVSpaceForObjectViews* space() const;
    bool siChannelActif() const;
    void restack(bool toFront);
    // The bar goes, the icon and the title come back.
    void endDownload();
    void scrollWheelStop();
    bool stopSiSrollWheelStart();
    void resize(double factor, bool pendantLeDeplacement);
    // One step of a wheel's or a pinch's resize; the first of a gesture saves the place stored
    // kResizeEnd after its last. The wheel's steps each cancel a long press, a pinch's first.
    // False when the desk takes no resize now.
    bool resizeStep(double factor, bool eachStepCancelsLongPress);
    QPointF deskPointOf(const QPointF& scenePoint) const;
    ZEVItemViewer* viewerOrNull() const { return itemViewer_; }
    void showCadreBriefly();
    // The press is held: the long press comes after kLongPress unless cancelled.
    void mouseDownRappelSoon();

    // The rectangle the title is shown in, y-up in desk points.
    QRectF titleDeskRect() const;

    ZEVItemViewer* itemViewer_; // not owned
    KELI* item_;                // not owned: links live for the run
    KELId identityInt_ = 0;
    bool siHidden_ = false;
    bool siIdentiy_ = false;
    ZEVIconPosition iconPosition_;
    double iconAngle_ = 0;
    ZEVIconPosition savedIconPosition_;
    QString itemTitle_;
    QString itemType_;
    float imageSizeRatio_ = 1.0f;
    QRectF frame_;

    // The parts it draws itself, then the items among its parts, owned by this item as their parent.
    std::unique_ptr<ZEVItemTitleView> titleView_;
    std::unique_ptr<ZEVItemImageView> imageView_;
    ZEVItemDragView* dragView_ = nullptr;
    ZEVItemProgressView* progressView_ = nullptr;
    QString stickerName_;

    bool siItemViewAccepteMaj_ = true;
    bool siAnimation_ = false;
    std::int64_t siAjouteCount_ = 0;
    std::int64_t siActifCount_ = 0;
    std::int64_t siFuturCount_ = 0;
    bool siRetablir_ = false;
    bool siConnecting_ = false;
    bool siFlickOn_ = false;
    bool siShowTitle_ = false;
    bool siShowCadre_ = false;

    // What the last redraw drew from; nothing before the first.
    struct DrawnState {
        ZEVItemDrawInputs inputs;
        bool titleEdited = false;
        bool operator==(const DrawnState&) const = default;
    };
    std::optional<DrawnState> drawn_;
    struct Forecast {
        ZEVItemDrawInputs inputs;
        ZEVItemDrawPlan plan;
    };
    std::optional<Forecast> forecast_;
    bool coveredInPaint_ = false;
    ZEVPaintCut paintCut_;
    int drawnCount_ = 0;
    // When it entered its scene, counted for the whole program: among views of one z the later
    // lies above.
    std::uint64_t sceneEntry_ = 0;

    // The jobs that keep a state of their own.
    ZEVItemPlacement placement_{*this};
    ZEVItemRestoreBlink blink_{*this};
    ZEVItemFlicker flicker_{*this};
    ZEVItemTitleEditor titleEditor_{*this};
    ZEVItemBestImage bestImage_{*this};


    bool siMouseDown_ = false;
    bool siMouseDragged_ = false;
    bool siCancel_ = false;
    bool siDragsIgnored_ = false;
    bool siDoubleClick_ = false;
    bool siSrollWheelStart_ = false;
    QPointF mouseLoc_;
};

} // namespace tallomer
