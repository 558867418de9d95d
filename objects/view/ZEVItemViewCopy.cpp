#include "objects/view/ZEVItemViewCopy.h"

#include "desk/data/ZEVItemData.h"
#include "desk/pasteboard/ZEVItemPB.h"
#include "engine/KELLien.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "platform/AppId.h"
#include "platform/pasteboard/OutgoingObjects.h"
#include "services/ZEVItemViewForDesks.h"

#include <QAbstractItemView>
#include <QMimeData>
#include <QUrl>

#include <cmath>
#include <map>

namespace tallomer {

namespace {
constexpr double kCopyAlpha = 0.4;
}

ZEVItemViewCopy::ZEVItemViewCopy(const QRectF& frame, float ratio, ZEVItemViewer* viewer, KELI* item)
    : ZEVItemView(frame, ratio, viewer, item)
{
    itemImageView()->setOpacity(kCopyAlpha);
    titleView()->setVisible(false);
}

void ZEVItemViewCopy::setIconPosition(const ZEVIconPosition& position, double duration) { placer(position, duration); }

void ZEVItemViewCopy::setSourceTableView(QAbstractItemView* table, int column, int row, double inset)
{
    sourceTable_ = table;
    column_ = column;
    row_ = row;
    inset_ = inset;
}

QRectF ZEVItemViewCopy::sourceFrameInCell(const QSizeF& cell, float r, double i)
{
    if (!(r > 0) || !std::isfinite(r) || cell.isEmpty())
        return QRectF();
    if (r <= float(cell.height() / cell.width())) {
        const double w = cell.width() - 2 * i;
        const double h = r * w;
        return QRectF(i, (cell.height() - h) / 2, w, h);
    }
    const double h = cell.height() - 2 * i;
    const double w = h / r;
    return QRectF((cell.width() - w) / 2, i, w, h);
}

QRectF ZEVItemViewCopy::previewItemSourceFrame() const
{
    QAbstractItemView* table = sourceTable_.data();
    if (!table || !table->model())
        return QRectF();
    const QPoint origin = table->window()->frameGeometry().topLeft();
    const QRect cell = table->visualRect(table->model()->index(row_, column_));
    const QRectF inCell = sourceFrameInCell(cell.size(), imageSizeRatio(), inset_);
    if (!cell.intersects(table->viewport()->rect()) || inCell.isEmpty())
        return QRectF(origin, QSizeF(0, 0));
    // y-up inside the cell, turned over into the viewport's rows.
    const QPointF topLeft(cell.x() + inCell.x(), cell.y() + cell.height() - inCell.y() - inCell.height());
    return QRectF(table->viewport()->mapToGlobal(topLeft), inCell.size());
}

void ZEVItemViewCopy::cancelOperation()
{
    if (ZEVItemViewer* v = itemViewer())
        v->userCancelRecallSelectedItemViews();
}

std::unique_ptr<QMimeData> ZEVItemViewCopy::mimeDataForCopies(const std::vector<ZEVItemViewCopy*>& copies,
                                                              KELId channelInt)
{
    auto data = std::make_unique<QMimeData>();
    OutgoingObjects out;
    std::vector<ZEVItemPB> records;
    // The stores of the copies' other Channels, each read once.
    std::map<KELId, std::unique_ptr<ZEVItemData>> autres;
    auto storeOf = [&](KELI* item) -> ZEVItemData* {
        ZEVItemData& current = ZEVItemData::Current();
        const KELId ch = item->channelInt();
        if (ch == 0 || ch == current.channelInt())
            return &current;
        auto it = autres.find(ch);
        if (it == autres.end())
            it = autres.emplace(ch, ZEVItemData::initDicosForChannelInt(ch)).first;
        return it->second.get();
    };
    for (ZEVItemViewCopy* c : copies) {
        KELI* item = c ? c->item() : nullptr;
        if (!item)
            continue;
        const QString type = c->itemType();
        if (type == QLatin1String("file")) {
            const QString path = ZEVItemData::Current().fileUrlForItem(item);
            const QUrl url = path.startsWith('/') ? QUrl::fromLocalFile(path) : QUrl(path);
            if (url.isLocalFile())
                out.addFile(url);
        } else if (type == QLatin1String("http")) {
            ZEVItemData* store = storeOf(item);
            const QString adresse = store ? store->uidForItem(item, type) : QString();
            if (!adresse.isEmpty())
                out.addWebLink(QUrl(adresse), adresse, c->titleForPB());
        } else {
            records.emplace_back(item, ZEVItemData::Current().uidForItem(item, type), c->titleForPB(), type,
                                 channelInt);
            out.addText(c->titleForPB());
        }
    }
    out.writeTo(*data);
    if (!records.empty())
        data->setData(QString::fromLatin1(kItemPasteboardType), ZEVItemPB::archive(records));
    // Tells every desk of the program that the drag comes from an Object view.
    data->setData(QString::fromLatin1(kZEVItemViewMime), QByteArray());
    return data;
}

} // namespace tallomer
