#pragma once
// The collect grid: files added at once first float as a grid of icons with their titles,
// centred on the pointer over the desk. The grid follows the pointer and gains or loses a column
// when pushed against the left or right edge of the usable desk area; a click or Return places
// every file as an Object where its cell lies, Esc cancels and nothing is made.
//
// Everything is y-up in the desk canvas' points; only the widgets convert.

#include "space/desk/ZEVDeskGeometry.h"

#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QRectF>
#include <QSize>
#include <QSizeF>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class KELI;
class QPropertyAnimation;
class QWidget;

namespace tallomer {

class ZEVSpaceController;

// The measures of one grid, from the grid step g and the icon size S.
struct ZEVCollectMeasures {
    float grid = 0;
    float carre = 0;       // 4 g: the side of a cell's image
    float textToImage = 0; // grid steps below the image kept for the title
    QSizeF protoSize;      // one cell
    QRectF imageFrame;     // the image in a cell, from the cell's lower left
    static ZEVCollectMeasures make(double g, double iconSize);
};

// Columns (width) and rows (height) of a grid of n files.
QSize collectShape(std::size_t n);

// The grid's shape and place as the pointer pushes it: no widgets, so that its rules can be
// tested alone. Reshaping calls `reshape` with the new frame and ignores pointer moves for the
// 0.3 s it lasts.
class ZEVCollectGrid {
public:
    static constexpr double kReshapeDuration = 0.3;

    ZEVCollectGrid(const ZEVCollectMeasures& m, std::size_t nbOfObjects, const QPointF& location,
                   const ZEVLimitRect& limit);
    ~ZEVCollectGrid();

    void setPreviousLocation(const QPointF& p);
    void mouseMoved(const QPointF& p);
    void addColumn();
    void removeColumn();
    void resizeStop() { siResizing_ = false; }

    // The frame; during a reshape, the one it goes to.
    QRectF frame() const { return frame_; }
    unsigned columns() const { return columns_; }
    unsigned rows() const { return rows_; }
    unsigned maxColumns() const { return maxColumns_; }
    unsigned maxRows() const { return maxRows_; }
    std::size_t nbOfVisibleObjects() const { return std::size_t(columns_) * rows_; }
    bool siResizing() const { return siResizing_; }
    // Where the image of the file at index k lies (k modulo the visible cells), y-up.
    QPointF imageOriginForIndex(std::size_t k) const;

    std::function<void(const QRectF&)> reshape;

private:
    void edges(double* cx, double* lastX) const;
    void startReshape();

    ZEVCollectMeasures m_;
    std::size_t nbOfObjects_;
    QRectF frame_;
    unsigned columns_ = 1, rows_ = 1, maxColumns_ = 1, maxRows_ = 1;
    QPointF last_;
    ZEVLimitRect limit_;
    bool siLimitLeft_ = false, siLimitRight_ = false, siResizing_ = false;
};

class ZEVCollectViewer final : public QObject {
public:
    // `space` is not owned and outlives the viewer.
    explicit ZEVCollectViewer(ZEVSpaceController& space);
    ~ZEVCollectViewer() override;

    // Shows the grid of the files at the location (y-up, in the desk canvas). Refused (logged)
    // while a grid shows or when nothing can show it.
    bool startWithURLs(const QStringList& paths, double iconSize, const QPointF& location);
    // Places the files (true) or nothing (false), and ends the grid. siCmdKey: Ctrl was held by
    // the click or key that placed them, which moves files already on the desk to their cells.
    void stopWithSuccess(bool flag, bool siCmdKey = false);

    bool siShown() const { return grid_ != nullptr; }
    ZEVCollectGrid* grid() const { return grid_.get(); }
    const QStringList& collectObjects() const { return paths_; }
    // The grid's widget and the overlay it floats in, while shown.
    QWidget* scrollView() const { return scrollView_; }
    QWidget* connectingView() const { return overlay_; }

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void place(bool siCmdKey);
    void syncWidget(const QRectF& frame);
    QRectF qtRect(const QRectF& yUp) const;
    QPointF yUpPoint(const QPointF& qt) const;

    ZEVSpaceController& space_;
    ZEVCollectMeasures m_;
    QStringList paths_;
    std::unique_ptr<ZEVCollectGrid> grid_;
    QPointer<QWidget> overlay_;
    QPointer<QWidget> scrollView_;
    QPointer<QPropertyAnimation> animation_;
};

} // namespace tallomer
