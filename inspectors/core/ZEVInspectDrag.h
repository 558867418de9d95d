#pragma once
// What an inspector table takes in and gives out by dragging and the clipboard. Each drag that
// enters is numbered once (the numbers the desk's drags and pastes take) and its contents are
// analysed once, the answer kept while it moves. A desk Object's link handle marks the row under
// it and links that row's Object when dropped; an Object view, a row of another table or
// anything from another program is imported by the viewer. Rows leave as file URLs, only when the
// press was in the icon column: Copy for other programs, Link inside this one. Copy writes the
// selected rows' files, Cut releases them at the active cursor only once Copy wrote, Paste
// imports what the clipboard holds.

#include <QObject>
#include <QPoint>

#include <functional>
#include <memory>
#include <vector>

class KELI;
class QDropEvent;
class QMimeData;

namespace tallomer {

class ZEVRowsClass;
class ZEVSpaceController;
class ZEVTableView;

// The viewer's side of an import: what the drag would do, and doing it once the pasteboard was
// analysed.
class ZEVInspectDragClient {
public:
    virtual ~ZEVInspectDragClient() = default;
    virtual Qt::DropAction dragOperationForDraggingInfo(const QMimeData* data, long sequence) = 0;
    virtual bool userPerformDragOrPaste() = 0;
};

class ZEVInspectDrag final : public QObject {
public:
    // Delays on the scheduler: the program comes forward while a drag rests over the table, the
    // drag session ends, focus goes back to the program a drop came from.
    static constexpr double kDragDelay = 0.8;
    // The only column rows are dragged out from.
    static constexpr const char* kIconColumn = "itemIcon";

    // `client` may be null (a model on its own): nothing is imported then.
    ZEVInspectDrag(ZEVSpaceController& space, ZEVRowsClass& rows, ZEVInspectDragClient* client);
    ~ZEVInspectDrag() override;

    // The table takes drops; presses in it may drag rows out.
    void referencerInspectTableView(ZEVTableView* table);

    Qt::DropAction draggingEntered(QDropEvent* info, ZEVTableView& table);
    Qt::DropAction draggingUpdated(QDropEvent* info, ZEVTableView& table);
    void draggingExited(ZEVTableView& table);
    bool performDragOperation(QDropEvent* info, ZEVTableView& table);
    // The Object a link handle rests over.
    bool siDropedItem(KELI* item) const { return item && item == dropedItem_; }
    int dropedRow() const { return dropedRow_; }
    Qt::DropAction dragOperation() const { return dragOperation_; }
    long draggingSequenceNumber() const { return draggingSequenceNumber_; }

    // The rows' file URLs, for a drag begun in `column`; false (nothing written) when the column
    // is not the icon column or no row's Object has a file.
    bool writeRowsForDrag(ZEVTableView& table, const std::vector<int>& rows, int column, QMimeData* into);
    // The selected rows' files on the clipboard; false (a beep) when there was none to write.
    bool copy(ZEVTableView& table);
    void cut(ZEVTableView& table);
    // Imports what the clipboard holds; a beep when nothing came in.
    void paste(ZEVTableView& table);

    // Marks a drag's data as coming from the table (a drop back onto it does nothing).
    static void markAsFrom(QMimeData& data, const ZEVTableView& table);
    // The file URLs of the Objects that have a file, in order.
    static QList<QUrl> fileUrlsForItems(const std::vector<KELI*>& items);
    // A kind whose Objects leave as records of their own rather than as files writes them here,
    // for rows out and Copy alike; false when it wrote nothing. Empty: the files' URLs.
    std::function<bool(const std::vector<KELI*>& items, QMimeData& into)> writeItems;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Source { LinkHandle, ItemView, Table, Other };
    Source sourceOf(const QMimeData* data, const ZEVTableView& table, bool* self) const;
    KELI* itemForRow(ZEVTableView& table, int row) const;
    std::vector<KELI*> itemsForRows(ZEVTableView& table, const std::vector<int>& rows) const;
    void scheduleActivate();
    void cancelActivate();
    void scheduleSessionStop();
    void endAnalysis();
    void startDragOut(ZEVTableView& table);
    // The Objects written as the kind writes them; false (nothing written) for none.
    bool ecrire(const std::vector<KELI*>& items, QMimeData& into) const;

    ZEVSpaceController& space_; // not owned
    ZEVRowsClass& rows_;        // not owned: the owner
    ZEVInspectDragClient* client_; // not owned
    ZEVTableView* table_ = nullptr; // not owned: the panel's
    int dropedRow_ = -1;
    KELI* dropedItem_ = nullptr; // links live for the run
    Qt::DropAction dragOperation_ = Qt::IgnoreAction;
    long draggingSequenceNumber_ = 0;
    QPoint pressPoint_;
    int pressRow_ = -1;
    int pressColumn_ = -1;
};

} // namespace tallomer
