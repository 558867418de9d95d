#pragma once
// The front view: the layer of the Space window's desk canvas that lies over the Object views. It
// paints the active desk's link lines (a pale halo pass, then a thin core pass, one ring per Object
// per pass), the lasso the desk view reports and the frame of a Space kept in front; and it sees
// each press first: a click on a shown link line selects it (Ctrl toggles), every other press goes
// on to the Object view or the desk beneath. A press held still on the empty desk drives the Search
// cursor: at 0.7 s it starts a cursor move (making Search active, or shifting the visible range so
// that Search stands under the pointer), at 2.5 s the cursor jumps to the date under the pointer;
// the drag then moves the cursor instead of drawing a lasso, and the release ends the move.
//
// The canvas keeps its size; the front frame is the canvas less the open header views, y-up.

#include "services/ZEVFrontViewerServices.h"
#include "runtime/Scheduler.h"

#include <QImage>
#include <QPointF>
#include <QPointer>
#include <QRect>
#include <QRectF>

#include <cstddef>
#include <functional>
#include <memory>
#include <set>
#include <vector>

class KELI;

class QMouseEvent;
class QWidget;

namespace tallomer {

class KELSharedResources;
class ZEVFrontViewer;
class ZEVItemConnexion;
class ZEVItemViewer;
class ZEVSpaceController;

class ZEVFrontView final : public ZEVFrontViewServices {
public:
    static constexpr double kShortPress = 0.7;
    static constexpr double kLongPress = 2.5;

    // Neither is owned; both outlive the view. The view joins the window's desk canvas.
    ZEVFrontView(ZEVFrontViewer& frontViewer, ZEVSpaceController& space);
    ~ZEVFrontView() override;
    ZEVFrontView(const ZEVFrontView&) = delete;
    ZEVFrontView& operator=(const ZEVFrontView&) = delete;

    // ZEVFrontViewServices
    void setSiMouseDownInDeskView() override;
    void setLassoFromPoint(const QPointF& from, const QPointF& to) override;
    QRectF lassoRect() const override { return lassoRect_; }
    void setSiShowCadre(bool shown) override;
    void keyDown(QKeyEvent* event) override;
    void keyUp(QKeyEvent* event) override;
    void drawForeground(QPainter& painter) override;
    bool canvasEvent(QEvent* event) override;
    ZEVConnectingView* connectingView() override { return connectingView_.get(); }
    void popUpMenu(QMenu* menu) override;

    QRectF frontFrame() const override;
    // Asks the canvas to paint again.
    void display();
    // Asks it only while link lines are shown or were painted since the last such redraw: the
    // lines follow the views' places, nothing else this view draws does.
    void displayLinks();
    bool siFrontViewCadre() const { return siFrontViewCadre_; }
    bool siMouseDownCourt() const { return siMouseDownCourt_; }
    bool siMouseDownLong() const { return siMouseDownLong_; }
    void clearLasso();

    // What one picture of link lines is painted with, read once per picture.
    struct LinkPaint {
        const KELSharedResources* colours = nullptr;
        int frontMode = 0;
        // Only the lines connected in the front mode are drawn (and hit).
        bool forSelectionsOnly = false;
        std::function<bool(KELI*)> nodeSelected;
        std::function<bool(const ZEVItemConnexion*)> linkSelected;
    };
    // The link lines, painted on a painter whose device is `height` pixels high (y-up points turn
    // y-down there): a halo pass, then a core pass, one ring per Object view per pass. Each line
    // is marked displayed or not. Separate so that a picture can be checked without a window.
    static void drawLinks(QPainter& painter, double height, const std::set<ZEVItemConnexion*>& lines,
                          const LinkPaint& paint);

    // One ring or line of a picture, y-down, in the order it is laid.
    struct LinkStroke {
        bool ring = false;
        QPointF a;  // the ring's centre, or the line's first end
        QPointF b;  // the line's other end
        double radius = 0;
        double width = 0;
        QRgb colour = 0;  // not premultiplied
        bool operator==(const LinkStroke&) const = default;
    };
    // The strokes of a picture (halo pass, then core pass), each line marked displayed or not.
    static std::vector<LinkStroke> linkStrokes(double height, const std::set<ZEVItemConnexion*>& lines,
                                               const LinkPaint& paint);
    // Lays the strokes on a premultiplied ARGB image, antialiased, lines with round ends, each over
    // what lies beneath; many strokes are laid by a few threads, each on its own band of rows.
    // Drawn here rather than by the painter: a thousand long, wide, antialiased strokes cost the
    // painter a second a picture. A pixel's colour depends on the strokes alone, never on where a
    // band or a clip begins, so a part laid again matches the whole laid afresh.
    static void rasterizeStrokes(QImage& image, const std::vector<LinkStroke>& strokes);

    // The lines laid on a layer of their own, kept while none of them changes: a lasso, a moving
    // pointer or the frame repaint the canvas many times over the same lines. When some strokes
    // changed (an Object moved), only the pixels under their old and new places are cleared and
    // laid again, with every stroke crossing them.
    class LinkLayer {
    public:
        // Lays the layer on the painter, laying first what changed of the strokes (all of them
        // when the size or their number changed, or the changes reach most of the layer). Blits
        // the painter holds back are drawn first.
        void paint(QPainter& painter, QSize size, std::vector<LinkStroke> strokes);
        bool empty() const { return strokes_.empty(); }

        // What the last paint laid: strokes laid in whole (new or changed), others laid again
        // only inside the cleared tiles, and whether the whole layer was laid afresh.
        struct Relaid {
            std::size_t whole = 0;
            std::size_t clipped = 0;
            bool all = false;
        };
        const Relaid& relaid() const { return relaid_; }

        static constexpr int kTile = 16;

    private:
        void layAll(const std::vector<LinkStroke>& strokes);
        // Lays the strokes changed from the kept ones, same number; false where laying all is
        // cheaper.
        bool layChanges(const std::vector<LinkStroke>& strokes);

        std::vector<LinkStroke> strokes_;
        QImage image_;
        // Where the strokes may have laid pixels: the layer is clear outside.
        QRect laidIn_;
        Relaid relaid_;
    };

private:
    QWidget* viewport() const;
    ZEVItemViewer* itemViewer() const;
    QPointF yUp(const QPointF& viewportPoint) const;
    // Whether a point of the viewport (y-down) lies in the front area: a line under the open
    // header views is neither drawn nor hit.
    bool siInFrontFrame(const QPointF& viewportPoint) const;
    void mouseDownCourt();
    void mouseDownLong();
    void cancelPresses();
    // A right press on a shown link line opens that line's menu; true when it did.
    bool rightMouseDown(QMouseEvent* event);
    QPoint rightPressGlobal_;
    // The date under the pointer's x on the time line (x over the strip's width less one).
    bool dateUnderPointer(double* date) const;

    ZEVFrontViewer& frontViewer_;
    ZEVSpaceController& space_;
    QRectF lassoRect_;
    // Link lines were painted since displayLinks last redrew: they may still be on screen.
    bool siLiensPeints_ = false;
    bool siFrontViewCadre_ = false;
    bool siMouseDown_ = false;
    bool siMouseDragged_ = false;
    bool siMouseDownCourt_ = false;
    bool siMouseDownLong_ = false;
    bool siMouseDownInDeskView_ = false;
    // The press selected a link line: its drag and release stay here.
    bool siPressOnLine_ = false;
    // The last single click began on the empty desk (a double click then is the desk's).
    bool dernierClicSurBureau_ = false;
    // The button went down a second time: its release is not a click.
    bool siDoubleClick_ = false;
    // The pointer in the viewport (y-down), as last seen during a press.
    QPointF pointer_;
    LinkLayer linkLayer_;
    std::unique_ptr<ZEVConnectingView> connectingView_;
    ScheduledTarget guard_{this};
};

} // namespace tallomer
