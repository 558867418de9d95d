#pragma once
// The Images table: the one inspector table, with one extra widget per visible row (the spinner of
// a thumbnail still loading, or the mark of one that cannot be made), asked of its delegate only for
// rows that come into view and dropped when they leave or are reloaded; it tells the delegate
// which rows became visible, so that only they load thumbnails. Its cells are painted by
// ZEVBackCellDelegate: in the picture column the thumbnail in a 16:10 frame, the title and the
// colour swatch with its name. A click on a swatch opens the colour popup without touching the
// selection, and the choice comes back to the delegate for the image that was clicked.

#include "inspectors/base/ZEVInspectView.h"
#include "inspectors/images/ZEVBackPopup.h"

#include <QColor>
#include <QImage>
#include <QPointer>
#include <QRectF>
#include <QStyledItemDelegate>

#include <limits>
#include <map>
#include <memory>
#include <vector>

class QPainter;

namespace tallomer {

class ZEVBackTableView;

// A range of rows: (location, length); kNotFound as location after a reload.
struct ZEVRowRange {
    static constexpr quint64 kNotFound = quint64(std::numeric_limits<qint64>::max());
    quint64 location = 0;
    quint64 length = 0;
    bool contains(quint64 row) const { return location != kNotFound && row >= location && row < location + length; }
    friend bool operator==(const ZEVRowRange&, const ZEVRowRange&) = default;
};

// The colour shown in a row: the swatch and its name; no colour draws the name alone.
struct ZEVBackSwatch {
    QColor color;
    QString name;
};

// What the table asks of its model beyond the shared table's protocols (a table without a model
// asks nothing).
class ZEVBackTableViewDelegate {
public:
    virtual ~ZEVBackTableViewDelegate() = default;
    // The visible rows changed since the last paint.
    virtual void changedVisibleRows(ZEVBackTableView&, ZEVRowRange /*from*/, ZEVRowRange /*to*/) = 0;
    // A widget to lay over the row (placed by the delegate, in viewport coordinates), or none.
    virtual QWidget* viewForRow(ZEVBackTableView&, int /*row*/) = 0;
    // A property edit of the row's image ended with a value ("fillColorName", then "fillColor").
    virtual void setObjectValue(ZEVBackTableView&, const QVariant&, int /*column*/, KELI* /*rowItem*/,
                                const QString& /*property*/) = 0;
    // Whether a drag of rows out of the table may start at this point.
    virtual bool siDragOutAt(ZEVBackTableView&, const QPoint&) const = 0;
    virtual ZEVBackSwatch swatchForRow(ZEVBackTableView&, int) = 0;
    virtual QImage thumbnailForRow(ZEVBackTableView&, int) = 0;
};

// The geometry of the picture column's cell, in the cell's interior (y-down, Qt's).
struct ZEVBackCellGeometry {
    static constexpr double kImageInset = 8.0;
    static constexpr double kFillColorHeight = 24.0;
    static constexpr double kModeRaise = 14.0;
    // The 16:10 frame of the thumbnail, inset 8 at the left, top and bottom.
    static QRectF imageRectForBounds(const QRectF& cell);
    // The part of the cell right of the picture, where the title and the swatch lie.
    static QRectF textInterior(const QRectF& cell);
    static QRectF titleFrame(const QRectF& interior, double textHeight);
    static QRectF fillColorFrame(const QRectF& interior);
    // The swatch: a square of the frame's height at its left.
    static QRectF colorRectForFrame(const QRectF& frame);
    // The colour's name, 4 right of the swatch, centred on it.
    static QRectF colorTitleFrame(const QRectF& frame, double textHeight);
};

// A swatch and its name in the frame: the swatch filled and framed in light grey (nothing without a
// colour), the name beside it. The popup's rows and the picture cell draw colours so.
void ZEVPaintColorCell(QPainter& p, const QRectF& frame, const QColor& color, const QString& name, const QFont& font,
                       const QColor& textColor);

// Paints the rows' cells: the mode marks raised by 14, the picture column as above.
class ZEVBackCellDelegate final : public QStyledItemDelegate {
public:
    ZEVBackCellDelegate(ZEVBackTableView& table);
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    ZEVBackTableView& table_;
};

class ZEVBackTableView final : public ZEVInspectTableView {
public:
    static constexpr int kRowHeight = 75;
    static constexpr double kLegoHeight = 24.0;
    static constexpr double kLegoOffset = 11.0;

    ZEVBackTableView(ZEVInspectViewer& viewer, ZEVInspectView* panel);
    ~ZEVBackTableView() override;

    // Not owned; outlives the table (nullptr: the table behaves as its base).
    void setBackDelegate(ZEVBackTableViewDelegate* delegate) { backDelegate_ = delegate; }
    ZEVBackTableViewDelegate* backDelegate() const { return backDelegate_; }
    // The column of the picture cell.
    void setImageColumn(int column) { imageColumn_ = column; }
    int imageColumn() const { return imageColumn_; }

    // The visible-row pass: what every paint does first (tests call it directly).
    void visibleRowsPass();
    ZEVRowRange visibleRows() const { return visibleRows_; }
    // The rows in the visible rectangle now.
    ZEVRowRange rowsInVisibleRect() const;
    // The cached widget of a row; nullptr for none or the null marker.
    QWidget* cachedViewForRow(int row) const;
    bool siRowCached(int row) const { return views_.count(row) != 0; }
    // Drops the cached widgets of the rows (a thumbnail arrived) and repaints their cells.
    void reloadDataForRows(const std::vector<int>& rows, int column);

    // ---- the swatch edit ----
    // The rectangle of the row's swatch, viewport coordinates; empty for none.
    QRectF swatchRectForRow(int row) const;
    // Opens the popup for the row's colour under its swatch; the edit keeps the row's image.
    void beginSwatchEdit(int row);
    bool siEditing() const { return editingItem_ != nullptr; }
    KELI* editingItem() const { return editingItem_; }
    int editedRow() const;
    int editedColumn() const { return editingItem_ ? editingColumn_ : -1; }
    // Ends the edit as the popup reports it (a choice reaches the delegate, name first).
    void endSwatchEdit(bool success, const QColor& color, const QString& name);

protected:
    bool viewportEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    class Edit;
    void removeCachedViewForRow(int row);
    void removeAllCachedViews();
    void startDragOut();

    ZEVBackTableViewDelegate* backDelegate_ = nullptr;
    int imageColumn_ = 4;
    ZEVRowRange visibleRows_;
    // A row's widget, or the null marker (an empty pointer) when the delegate gave none.
    std::map<int, QPointer<QWidget>> views_;
    bool viewsNeedUpdate_ = false;
    KELI* editingItem_ = nullptr; // links live for the run
    int editingColumn_ = -1;
    std::unique_ptr<ZEVBackPopupClient> edit_;
    QPoint pressPoint_;
    int pressRow_ = -1;
    bool siPressDragOut_ = false;
};

} // namespace tallomer
