#include "inspectors/images/ZEVBackTableView.h"

#include "inspectors/core/ZEVInspectDrag.h"
#include "inspectors/table/ZEVTableModel.h"
#include "platform/sound/Sound.h"
#include "platform/SystemColours.h"

#include <QApplication>
#include <QHeaderView>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <cmath>

namespace tallomer {

// ---- geometry ---------------------------------------------------------------------------------

QRectF ZEVBackCellGeometry::imageRectForBounds(const QRectF& cell)
{
    const double h = std::max(0.0, cell.height() - 2 * kImageInset);
    return QRectF(cell.x() + kImageInset, cell.y() + kImageInset, std::ceil(1.6 * h), h);
}

QRectF ZEVBackCellGeometry::textInterior(const QRectF& cell)
{
    const double left = imageRectForBounds(cell).right() + kImageInset;
    return QRectF(left, cell.y(), std::max(0.0, cell.right() - left), cell.height());
}

QRectF ZEVBackCellGeometry::titleFrame(const QRectF& interior, double textHeight)
{
    return QRectF(interior.x() + 4, interior.y() + 14, std::max(0.0, interior.width() - 4), textHeight);
}

QRectF ZEVBackCellGeometry::fillColorFrame(const QRectF& interior)
{
    return QRectF(interior.x() + 4, interior.y() + 43, std::max(0.0, interior.width() - 4), kFillColorHeight);
}

QRectF ZEVBackCellGeometry::colorRectForFrame(const QRectF& frame)
{
    return QRectF(frame.x(), frame.y(), frame.height(), frame.height());
}

QRectF ZEVBackCellGeometry::colorTitleFrame(const QRectF& frame, double textHeight)
{
    const double x = frame.x() + frame.height() + 4;
    return QRectF(x, std::floor(frame.y() + frame.height() * 0.5 - textHeight * 0.5), std::max(0.0, frame.right() - x),
                  textHeight);
}

void ZEVPaintColorCell(QPainter& p, const QRectF& frame, const QColor& color, const QString& name, const QFont& font,
                       const QColor& textColor)
{
    const QRectF swatch = ZEVBackCellGeometry::colorRectForFrame(frame);
    if (color.isValid()) {
        p.fillRect(swatch, color);
        p.setPen(QPen(systemLightGrey(), 1.0));
        p.setBrush(Qt::NoBrush);
        p.drawRect(swatch.adjusted(0.5, 0.5, -0.5, -0.5));
    }
    p.setFont(font);
    p.setPen(textColor);
    const QFontMetricsF fm(font);
    const QRectF text = ZEVBackCellGeometry::colorTitleFrame(frame, fm.height());
    p.drawText(text, Qt::AlignLeft | Qt::AlignVCenter, fm.elidedText(name, Qt::ElideRight, text.width()));
}

// ---- the cells --------------------------------------------------------------------------------

ZEVBackCellDelegate::ZEVBackCellDelegate(ZEVBackTableView& table) : QStyledItemDelegate(&table), table_(table) {}

void ZEVBackCellDelegate::paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const QRectF cell(option.rect);
    const int row = index.row();
    p->save();
    if (index.column() != table_.imageColumn()) {
        // The front-mode marks, drawn 14 points higher than the middle of the row.
        const QVariant v = index.data(Qt::DecorationRole);
        const QPixmap pm = v.value<QPixmap>().isNull() ? v.value<QIcon>().pixmap(16, 16) : v.value<QPixmap>();
        if (!pm.isNull()) {
            const QSizeF s = pm.deviceIndependentSize();
            const QPointF at(cell.center().x() - s.width() / 2, cell.center().y() - s.height() / 2 - ZEVBackCellGeometry::kModeRaise);
            p->drawPixmap(at, pm);
        }
        p->restore();
        return;
    }
    ZEVBackTableViewDelegate* d = table_.backDelegate();
    // The thumbnail fitted in its 16:10 frame.
    const QRectF frame = ZEVBackCellGeometry::imageRectForBounds(cell);
    const QImage thumb = d ? d->thumbnailForRow(table_, row) : QImage();
    if (!thumb.isNull() && thumb.width() > 0 && thumb.height() > 0) {
        QSizeF s = QSizeF(thumb.size()).scaled(frame.size(), Qt::KeepAspectRatio);
        const QRectF target(frame.center().x() - s.width() / 2, frame.center().y() - s.height() / 2, s.width(), s.height());
        p->setRenderHint(QPainter::SmoothPixmapTransform);
        p->drawImage(target, thumb);
    }
    // The title as the rows core gives it (font, colour and status prefix), then the swatch.
    const QRectF interior = ZEVBackCellGeometry::textInterior(cell);
    ZEVTableViewClass* zev = table_.zevClass();
    auto valeur = [&](int role) {
        return zev ? zev->objectValue(table_, QStringLiteral("item"), row, role) : QVariant();
    };
    const QVariant f = valeur(Qt::FontRole);
    const QFont font = f.isValid() ? f.value<QFont>() : option.font;
    const QVariant c = valeur(Qt::ForegroundRole);
    const QColor couleur = c.isValid() ? c.value<QColor>() : QColor(Qt::black);
    const QFontMetricsF fm(font);
    const QRectF title = ZEVBackCellGeometry::titleFrame(interior, fm.height());
    p->setFont(font);
    p->setPen(couleur);
    p->drawText(title, Qt::AlignLeft | Qt::AlignTop, fm.elidedText(valeur(Qt::DisplayRole).toString(), Qt::ElideRight, title.width()));
    if (d) {
        const ZEVBackSwatch s = d->swatchForRow(table_, row);
        QFont petite = option.font;
        petite.setPointSizeF(11);
        ZEVPaintColorCell(*p, ZEVBackCellGeometry::fillColorFrame(interior), s.color, s.name, petite, systemLightGrey());
    }
    p->restore();
}

// ---- the table --------------------------------------------------------------------------------

class ZEVBackTableView::Edit final : public ZEVBackPopupClient {
public:
    explicit Edit(ZEVBackTableView& table) : table_(table) {}
    void colorTableDidChooseColor(const QColor& color, const QString& name) override
    {
        table_.endSwatchEdit(true, color, name);
    }
    void didCancelColorTable() override { table_.endSwatchEdit(false, QColor(), QString()); }

private:
    ZEVBackTableView& table_;
};

ZEVBackTableView::ZEVBackTableView(ZEVInspectViewer& viewer, ZEVInspectView* panel)
    : ZEVInspectTableView(viewer, panel), visibleRows_{0, 0}, edit_(std::make_unique<Edit>(*this))
{
    setObjectName(QStringLiteral("ZEVBackTableView"));
    setItemDelegate(new ZEVBackCellDelegate(*this));
    setLegoHeight(kLegoHeight, kLegoOffset);
    verticalHeader()->setDefaultSectionSize(kRowHeight);
    verticalHeader()->setMinimumSectionSize(1);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    // Every full reload and change of the rows' heights: no cached row widget stays, and the next
    // paint reports the visible rows afresh.
    auto toutRevoir = [this] {
        removeAllCachedViews();
        visibleRows_ = ZEVRowRange{ZEVRowRange::kNotFound, 0};
    };
    QObject::connect(tableModel(), &QAbstractItemModel::modelReset, this, toutRevoir);
    QObject::connect(verticalHeader(), &QHeaderView::sectionResized, this, toutRevoir);
}

ZEVBackTableView::~ZEVBackTableView()
{
    ZEVBackPopupController& popup = ZEVBackPopupController::shared();
    if (popup.delegate() == edit_.get()) {
        popup.setDelegate(nullptr);
        popup.closeAndSendAction(false);
    }
    views_.clear();
}

ZEVRowRange ZEVBackTableView::rowsInVisibleRect() const
{
    const int n = numberOfRows();
    if (n == 0 || viewport()->height() <= 0)
        return {0, 0};
    int first = rowAt(0);
    int last = rowAt(viewport()->height() - 1);
    if (first < 0)
        return {0, 0};
    if (last < 0)
        last = n - 1;
    return {quint64(first), quint64(last - first + 1)};
}

void ZEVBackTableView::visibleRowsPass()
{
    const ZEVRowRange nouveau = rowsInVisibleRect();
    const ZEVRowRange ancien = visibleRows_;
    if (nouveau == ancien && !viewsNeedUpdate_)
        return;
    if (!(nouveau == ancien)) {
        visibleRows_ = nouveau;
        if (backDelegate_)
            backDelegate_->changedVisibleRows(*this, ancien, nouveau);
    }
    viewsNeedUpdate_ = false;
    if (!backDelegate_)
        return;
    if (!(nouveau == ancien)) {
        std::vector<int> partis;
        for (const auto& [row, view] : views_)
            if (!nouveau.contains(quint64(row)))
                partis.push_back(row);
        for (int row : partis)
            removeCachedViewForRow(row);
    }
    for (quint64 r = nouveau.location; r < nouveau.location + nouveau.length; ++r) {
        const int row = int(r);
        if (views_.count(row))
            continue;
        QWidget* v = backDelegate_->viewForRow(*this, row);
        if (v) {
            v->setParent(viewport());
            v->show();
        }
        // No widget is remembered as such, so that the row is not asked again while it stays.
        views_[row] = QPointer<QWidget>(v);
    }
    // Asking for the rows' widgets is no reason to come back.
    viewsNeedUpdate_ = false;
}

QWidget* ZEVBackTableView::cachedViewForRow(int row) const
{
    auto it = views_.find(row);
    return it == views_.end() ? nullptr : it->second.data();
}

void ZEVBackTableView::removeCachedViewForRow(int row)
{
    viewsNeedUpdate_ = true;
    auto it = views_.find(row);
    if (it == views_.end())
        return;
    if (QWidget* v = it->second.data()) {
        v->hide();
        v->deleteLater();
    }
    views_.erase(it);
}

void ZEVBackTableView::removeAllCachedViews()
{
    for (auto& [row, view] : views_)
        if (QWidget* v = view.data()) {
            v->hide();
            v->deleteLater();
        }
    views_.clear();
}

void ZEVBackTableView::reloadDataForRows(const std::vector<int>& rows, int column)
{
    for (int row : rows) {
        removeCachedViewForRow(row);
        viewport()->update(visualRect(tableModel()->index(row, column)));
    }
}

bool ZEVBackTableView::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::Paint)
        visibleRowsPass();
    return ZEVInspectTableView::viewportEvent(event);
}

// ---- the swatch -------------------------------------------------------------------------------

QRectF ZEVBackTableView::swatchRectForRow(int row) const
{
    if (!element(row))
        return {};
    const QRectF cell = visualRect(tableModel()->index(row, imageColumn_));
    if (cell.isEmpty())
        return {};
    return ZEVBackCellGeometry::colorRectForFrame(
        ZEVBackCellGeometry::fillColorFrame(ZEVBackCellGeometry::textInterior(cell)));
}

int ZEVBackTableView::editedRow() const
{
    if (!editingItem_)
        return -1;
    for (int r = 0; r < numberOfRows(); ++r)
        if (element(r)->item == editingItem_)
            return r;
    return -1;
}

void ZEVBackTableView::beginSwatchEdit(int row)
{
    const ZEVTableElement* e = element(row);
    if (!e || !e->item)
        return;
    ZEVBackPopupController& popup = ZEVBackPopupController::shared();
    const QRectF swatch = swatchRectForRow(row);
    const QColor color = backDelegate_ ? backDelegate_->swatchForRow(*this, row).color : QColor();
    // The edit keeps its image, not its row: rows that change meanwhile do not redirect it.
    editingItem_ = e->item;
    editingColumn_ = imageColumn_;
    popup.setDelegate(edit_.get());
    // The arrow's tip under the swatch's middle.
    const QPoint at = viewport()->mapToGlobal(QPoint(int(swatch.left()), int(swatch.bottom()) - 16));
    popup.editColor(color, at);
}

void ZEVBackTableView::endSwatchEdit(bool success, const QColor& color, const QString& name)
{
    ZEVBackPopupController& popup = ZEVBackPopupController::shared();
    if (popup.delegate() == edit_.get())
        popup.setDelegate(nullptr);
    KELI* item = editingItem_;
    const int column = editingColumn_;
    editingItem_ = nullptr;
    editingColumn_ = -1;
    const int row = [&] {
        for (int r = 0; r < numberOfRows(); ++r)
            if (element(r)->item == item)
                return r;
        return -1;
    }();
    // An image gone from the rows meanwhile: the choice has nowhere to go.
    if (success && item && row >= 0 && backDelegate_) {
        backDelegate_->setObjectValue(*this, name, column, item, QStringLiteral("fillColorName"));
        backDelegate_->setObjectValue(*this, color, column, item, QStringLiteral("fillColor"));
    }
    if (row >= 0)
        viewport()->update(visualRect(tableModel()->index(row, imageColumn_)));
}

// ---- presses ----------------------------------------------------------------------------------

void ZEVBackTableView::mousePressEvent(QMouseEvent* event)
{
    siPressDragOut_ = false;
    pressRow_ = -1;
    if (event->button() == Qt::LeftButton) {
        const QPoint pos = event->position().toPoint();
        const int row = rowAt(pos.y());
        // A click on a swatch opens the popup and leaves the selection alone.
        if (row >= 0 && swatchRectForRow(row).contains(event->position())) {
            event->accept();
            beginSwatchEdit(row);
            return;
        }
        pressPoint_ = pos;
        pressRow_ = row;
        siPressDragOut_ = row >= 0 && columnAt(pos.x()) == imageColumn_ && backDelegate_ &&
                          backDelegate_->siDragOutAt(*this, pos);
    }
    ZEVInspectTableView::mousePressEvent(event);
}

void ZEVBackTableView::mouseMoveEvent(QMouseEvent* event)
{
    if (siPressDragOut_ && (event->buttons() & Qt::LeftButton) &&
        (event->position().toPoint() - pressPoint_).manhattanLength() >= QApplication::startDragDistance()) {
        siPressDragOut_ = false;
        startDragOut();
        return;
    }
    ZEVInspectTableView::mouseMoveEvent(event);
}

void ZEVBackTableView::startDragOut()
{
    // The selected rows when the press was on one of them, else the pressed one.
    std::vector<KELI*> items;
    std::vector<int> rows;
    bool surSelection = false;
    for (const QModelIndex& i : selectionModel()->selectedRows())
        if (const ZEVTableElement* e = element(i.row()); e && e->item) {
            items.push_back(e->item);
            rows.push_back(i.row());
            surSelection = surSelection || i.row() == pressRow_;
        }
    if (!surSelection) {
        items.clear();
        rows.clear();
        if (const ZEVTableElement* e = element(pressRow_); e && e->item) {
            items.push_back(e->item);
            rows.push_back(pressRow_);
        }
    }
    const QList<QUrl> urls = ZEVInspectDrag::fileUrlsForItems(items);
    if (urls.isEmpty()) {
        Sound::shared().beep();
        return;
    }
    auto data = std::make_unique<QMimeData>();
    data->setUrls(urls);
    ZEVInspectDrag::markAsFrom(*data, *this);
    execDragOut(std::move(data), rows, imageColumn_, pressPoint_);
}

} // namespace tallomer
