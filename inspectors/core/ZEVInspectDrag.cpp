#include "inspectors/core/ZEVInspectDrag.h"

#include "desk/data/ZEVItemData.h"
#include "desk/data/ZEVItemDataChannels.h"
#include "desk/pasteboard/ZEVPasteboard.h"
#include "desk/view/ZEVDeskView.h"
#include "engine/KELLien.h"
#include "inspectors/core/ZEVRowsClass.h"
#include "inspectors/table/ZEVTableModel.h"
#include "inspectors/table/ZEVTableView.h"
#include "objects/view/ZEVConnectingView.h"
#include "platform/sound/Sound.h"
#include "runtime/Scheduler.h"
#include "services/ZEVFrontViewerServices.h"
#include "services/ZEVItemViewForDesks.h"
#include "space/ZEVSpaceController.h"

#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QItemSelectionModel>
#include <QMimeData>
#include <QMouseEvent>

#include <set>

namespace tallomer {

namespace {
constexpr char kActivate[] = "activateTallomer";
constexpr char kActivatePrevious[] = "activatePreviousApp";
constexpr char kSessionStop[] = "draggingSessionDidStop";

QByteArray tableName(const ZEVTableView& table) { return QByteArray::number(quintptr(&table), 16); }

std::vector<int> selectedRowsOf(ZEVTableView& table)
{
    std::set<int> s;
    if (table.selectionModel())
        for (const QModelIndex& i : table.selectionModel()->selectedRows())
            s.insert(i.row());
    return {s.begin(), s.end()};
}
} // namespace

ZEVInspectDrag::ZEVInspectDrag(ZEVSpaceController& space, ZEVRowsClass& rows, ZEVInspectDragClient* client)
    : space_(space), rows_(rows), client_(client)
{
}

ZEVInspectDrag::~ZEVInspectDrag()
{
    endAnalysis();
    Scheduler::shared().cancelAll(this);
}

void ZEVInspectDrag::referencerInspectTableView(ZEVTableView* table)
{
    if (table_ && table_->viewport())
        table_->viewport()->removeEventFilter(this);
    table_ = table;
    if (!table_)
        return;
    table_->setAcceptDrops(true);
    table_->viewport()->setAcceptDrops(true);
    table_->viewport()->installEventFilter(this);
}

ZEVInspectDrag::Source ZEVInspectDrag::sourceOf(const QMimeData* data, const ZEVTableView& table, bool* self) const
{
    *self = false;
    if (data && data->hasFormat(QLatin1String(kZEVTableViewMime))) {
        *self = data->data(QLatin1String(kZEVTableViewMime)) == tableName(table);
        return Source::Table;
    }
    switch (ZEVDeskView::sourceOf(data)) {
    case ZEVDeskView::DragSource::Overlay:
        return Source::LinkHandle;
    case ZEVDeskView::DragSource::ItemView:
        return Source::ItemView;
    case ZEVDeskView::DragSource::Table:
        return Source::Table;
    default:
        return Source::Other;
    }
}

KELI* ZEVInspectDrag::itemForRow(ZEVTableView& table, int row) const
{
    const ZEVTableElement* e = row >= 0 ? table.element(row) : nullptr;
    return e ? e->item : nullptr;
}

std::vector<KELI*> ZEVInspectDrag::itemsForRows(ZEVTableView& table, const std::vector<int>& rows) const
{
    std::vector<KELI*> out;
    for (int r : rows)
        if (KELI* item = itemForRow(table, r))
            out.push_back(item);
    return out;
}

void ZEVInspectDrag::scheduleActivate()
{
    ZEVSpaceController* space = &space_;
    Scheduler::shared().cancel(this, kActivate);
    Scheduler::shared().perform(this, kActivate, kDragDelay, [space] { space->activateTallomer(); });
}

void ZEVInspectDrag::cancelActivate() { Scheduler::shared().cancel(this, kActivate); }

void ZEVInspectDrag::scheduleSessionStop()
{
    ZEVSpaceController* space = &space_;
    Scheduler::shared().cancel(this, kSessionStop);
    Scheduler::shared().perform(this, kSessionStop, kDragDelay, [space] { space->draggingSessionDidStop(); });
}

void ZEVInspectDrag::endAnalysis()
{
    // The number dies with its drag: the next drag or paste is read afresh.
    if (draggingSequenceNumber_ != 0)
        ZEVPasteboard::EndAnalysis(draggingSequenceNumber_);
    draggingSequenceNumber_ = 0;
}

// ---- drops ------------------------------------------------------------------------------------

Qt::DropAction ZEVInspectDrag::draggingEntered(QDropEvent* info, ZEVTableView& table)
{
    dropedRow_ = -1;
    const QMimeData* data = info ? info->mimeData() : nullptr;
    bool self = false;
    const Source source = sourceOf(data, table, &self);
    // The platform may hand every drag the same mime object: each entry is a drag of its own,
    // numbered by the one counter the desk's drags and pastes use.
    const long sequence = ZEVDeskView::nextDragSequenceNumber();
    if (source == Source::LinkHandle) {
        dragOperation_ = Qt::LinkAction;
    } else if (sequence != draggingSequenceNumber_) {
        if (source == Source::Other)
            scheduleActivate();
        endAnalysis();
        draggingSequenceNumber_ = sequence;
        if (source == Source::Table && self)
            dragOperation_ = Qt::IgnoreAction;
        else
            dragOperation_ = client_ ? client_->dragOperationForDraggingInfo(data, sequence) : Qt::IgnoreAction;
    }
    space_.draggingSessionStartedWithInteger(sequence);
    return dragOperation_;
}

Qt::DropAction ZEVInspectDrag::draggingUpdated(QDropEvent* info, ZEVTableView& table)
{
    if (!info)
        return dragOperation_;
    bool self = false;
    const Source source = sourceOf(info->mimeData(), table, &self);
    const int row = table.rowAt(int(info->position().y()));
    if (source == Source::LinkHandle) {
        if (row != dropedRow_) {
            dropedRow_ = row;
            dropedItem_ = itemForRow(table, row);
            if (ZEVFrontViewServices* view = space_.frontViewer() ? space_.frontViewer()->frontView() : nullptr)
                if (ZEVConnectingView* lines = view->connectingView())
                    lines->updateConnectingLinesWithDstItem(dropedItem_);
        }
        return dragOperation_;
    }
    if (source == Source::Table && self)
        return dragOperation_;
    if (source == Source::Other)
        scheduleActivate();
    if (row != dropedRow_) {
        dropedRow_ = row;
        table.viewport()->update();
    }
    return dragOperation_;
}

void ZEVInspectDrag::draggingExited(ZEVTableView& table)
{
    const bool linking = dropedItem_ != nullptr;
    dropedRow_ = -1;
    dropedItem_ = nullptr;
    if (linking) {
        if (ZEVFrontViewServices* view = space_.frontViewer() ? space_.frontViewer()->frontView() : nullptr)
            if (ZEVConnectingView* lines = view->connectingView())
                lines->updateConnectingLinesWithDstItem(nullptr);
    } else {
        table.viewport()->update();
        cancelActivate();
    }
    endAnalysis();
    scheduleSessionStop();
}

bool ZEVInspectDrag::performDragOperation(QDropEvent* info, ZEVTableView& table)
{
    bool self = false;
    const Source source = sourceOf(info ? info->mimeData() : nullptr, table, &self);
    bool ok = false;
    if (source == Source::LinkHandle) {
        KELI* target = dropedItem_;
        dropedItem_ = nullptr;
        if (target) {
            rows_.setRightMenuItem(target);
            rows_.linkSelectionInTableView(table);
        }
        // A handle let go over no row links nothing and still ends the drag well.
        ok = true;
    } else {
        dropedItem_ = nullptr;
        if (source != Source::ItemView)
            cancelActivate();
        if (dragOperation_ != Qt::IgnoreAction && !space_.siCancelDraggingSession() && client_) {
            ZEVPasteboard::AnalysePasteboard(info ? info->mimeData() : nullptr, draggingSequenceNumber_);
            ok = client_->userPerformDragOrPaste();
            if (ok && source != Source::ItemView) {
                ZEVSpaceController* space = &space_;
                Scheduler::shared().cancel(this, kActivatePrevious);
                Scheduler::shared().perform(this, kActivatePrevious, kDragDelay,
                                            [space] { space->activatePreviousApp(); });
            }
        }
    }
    dropedRow_ = -1;
    endAnalysis();
    table.viewport()->update();
    space_.draggingSessionDidStop();
    return ok;
}

void ZEVInspectDrag::markAsFrom(QMimeData& data, const ZEVTableView& table)
{
    data.setData(QLatin1String(kZEVTableViewMime), tableName(table));
}

// ---- rows out, clipboard ----------------------------------------------------------------------

QList<QUrl> ZEVInspectDrag::fileUrlsForItems(const std::vector<KELI*>& items)
{
    QList<QUrl> urls;
    for (KELI* item : items) {
        // Each Object's own Channel holds its records, whatever Channel is shown.
        ZEVItemData* store = item ? ZEVItemDataChannels::ItemDataForChannelInt(item->channelInt()) : nullptr;
        const QString path = store ? store->fileUrlForItem(item) : QString();
        if (!path.isEmpty())
            urls << QUrl::fromLocalFile(path);
    }
    return urls;
}

bool ZEVInspectDrag::writeRowsForDrag(ZEVTableView& table, const std::vector<int>& rows, int column, QMimeData* into)
{
    const QStringList ids = table.tableModel() ? table.tableModel()->columnIdentifiers() : QStringList();
    if (!into || column < 0 || column >= ids.size() || ids[column] != QLatin1String(kIconColumn))
        return false;
    if (!ecrire(itemsForRows(table, rows), *into)) {
        Sound::shared().beep();
        return false;
    }
    markAsFrom(*into, table);
    return true;
}

bool ZEVInspectDrag::ecrire(const std::vector<KELI*>& items, QMimeData& into) const
{
    if (writeItems)
        return writeItems(items, into);
    const QList<QUrl> urls = fileUrlsForItems(items);
    if (urls.isEmpty())
        return false;
    into.setUrls(urls);
    return true;
}

void ZEVInspectDrag::startDragOut(ZEVTableView& table)
{
    // The rows dragged: the selected ones when the press was on one of them, else the pressed one.
    std::vector<int> rows = selectedRowsOf(table);
    if (std::find(rows.begin(), rows.end(), pressRow_) == rows.end())
        rows = {pressRow_};
    auto data = std::make_unique<QMimeData>();
    if (!writeRowsForDrag(table, rows, pressColumn_, data.get()))
        return;
    table.execDragOut(std::move(data), rows, pressColumn_, pressPoint_);
}

bool ZEVInspectDrag::eventFilter(QObject* watched, QEvent* event)
{
    ZEVTableView* table = table_;
    if (!table || watched != table->viewport())
        return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::MouseButtonPress) {
        auto* m = static_cast<QMouseEvent*>(event);
        pressPoint_ = m->position().toPoint();
        pressColumn_ = table->columnAt(pressPoint_.x());
        pressRow_ = table->rowAt(pressPoint_.y());
    } else if (event->type() == QEvent::MouseMove) {
        auto* m = static_cast<QMouseEvent*>(event);
        const QStringList ids = table->tableModel() ? table->tableModel()->columnIdentifiers() : QStringList();
        const bool surIcone = pressColumn_ >= 0 && pressColumn_ < ids.size() && ids[pressColumn_] == QLatin1String(kIconColumn);
        if (surIcone && (m->buttons() & Qt::LeftButton) && pressRow_ >= 0
            && (m->position().toPoint() - pressPoint_).manhattanLength() >= QApplication::startDragDistance()) {
            startDragOut(*table);
            pressRow_ = -1;
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

bool ZEVInspectDrag::copy(ZEVTableView& table)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    auto data = std::make_unique<QMimeData>();
    if (!clipboard || !ecrire(itemsForRows(table, selectedRowsOf(table)), *data)) {
        Sound::shared().beep();
        return false;
    }
    clipboard->setMimeData(data.release());
    return true;
}

void ZEVInspectDrag::cut(ZEVTableView& table)
{
    // Release only what was put on the clipboard: a copy that wrote nothing has already beeped.
    if (!copy(table))
        return;
    ZEVFrontViewerServices* front = space_.frontViewer();
    if (!front)
        return;
    if (space_.actifCurseur() == space_.nowCurseur())
        front->userReleaseNow();
    else
        front->userReleaseSearch();
}

void ZEVInspectDrag::paste(ZEVTableView&)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    const long sequence = ZEVDeskView::nextDragSequenceNumber();
    ZEVPasteboard::AnalysePasteboard(clipboard ? clipboard->mimeData() : nullptr, sequence);
    const bool ok = client_ && client_->userPerformDragOrPaste();
    ZEVPasteboard::EndAnalysis(sequence);
    if (!ok)
        Sound::shared().beep();
}

} // namespace tallomer
