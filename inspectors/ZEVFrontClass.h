#pragma once
// The front's list class: the model behind the front's two selection lists, and the file jobs on
// Objects.
//
// The lists: the Objects list (the Objects selected in the current mode) and the links list (the
// selected link pairs in Links mode). It serves their rows, cells and presence intervals, keeps
// their selected rows in step with the desk's selection and turns the user's row selection into a
// desk selection, selects by typed title over every Object the Space has known, sums the durations
// shown, and answers the lists' drags and edit commands. Two directions of selection, never both
// at once: while no list has the keyboard focus the desk's selection rewrites the rows (with the
// selection model's signals blocked, so nothing comes back); while a list has it, the user's row
// changes drive the desk. (ZEVFrontClassLists.cpp)
//
// File jobs: the files of Objects dropped onto a folder Object are moved (renamed, or
// copied and removed across devices) or copied into it on a pool of two threads. A copy is made
// under a temporary name and renamed once whole; a name already taken gets "_01", "_02"... and no
// file is ever overwritten. While a job runs its Object carries the moving or copying option and
// sticker; at its end the record follows a moved file and the moved icon is released at the
// cursor, or the Object gets the error option and sticker, and its file stays where it was.

#include "engine/KELTypes.h"
#include "inspectors/table/ZEVTableView.h"
#include "runtime/Scheduler.h"
#include "services/ZEVFileJobs.h"
#include "services/ZEVIconPosition.h"

#include <QImage>

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QMenu>
#include <QPointer>

#include <QObject>
#include <QString>
#include <QThreadPool>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class KELI;
class KELICurseur;
class QAction;
class QMenu;
class QMimeData;

namespace tallomer {

class ZEVFrontViewerServices;
class ZEVInspectMenus;
class ZEVItemView;
class ZEVLinkPair;
class ZEVSpaceController;
class ZEVTableView;

class ZEVFrontClass final : public QObject, public ZEVFileJobs, public ZEVTableViewClass {
public:
    // Made by the front viewer; both are not owned and outlive this.
    ZEVFrontClass(ZEVSpaceController& space, ZEVFrontViewerServices& front, QObject* parent = nullptr);
    ~ZEVFrontClass() override;

    // The column identifiers of the two lists, in order.
    static QStringList itemColumns();
    static QStringList linkColumns();
    // Font size of the titles.
    static constexpr double kTitlePointSize = 13.0;
    // The hover pauses of a foreign drag over an interval.
    static constexpr double kSelectDelay = 1.0, kDeselectDelay = 0.5, kSessionStopDelay = 0.8;

    // The icon of a file type, as the application draws it (the shell sets it once; the theme's
    // icon of that name otherwise).
    using FileTypeIcons = std::function<QIcon(const QString&)>;
    static void setFileTypeIcons(FileTypeIcons icons);


    // ---- references, by the front viewer ----
    void referencerSelectionItemTableView(ZEVTableView* table);
    void referencerSelectionLinkTableView(ZEVTableView* table);
    ZEVTableView* selectionItemTableView() const { return itemTable_; }
    ZEVTableView* selectionLinkTableView() const { return linkTable_; }
    // The rows served: the Objects of an Objects mode, or the link pairs of Links mode. The lists
    // reload.
    void referencerSelectedItems(const std::vector<KELI*>& items);
    void referencerSelectedLinks(const std::vector<ZEVLinkPair*>& links);
    const std::vector<ZEVTableElement>& itemElements() const { return itemElements_; }
    void channelDidChangeWithIdentityInt(KELId identityInt);
    void actifCurseurDidChangeForCurseur(KELICurseur* curseur);
    int selectedRows() const;
    bool siAccepteMajSelectedRows() const { return siAccepteMajSelectedRows_; }
    // The rows follow the desk's selection in the front viewer's current list.
    void majIndexOfSelectedRows();

    // ---- presence ----
    bool isItemActif(KELI* item);
    bool isItemActifNow(KELI* item);
    bool isLinkActif(const ZEVLinkPair* pair, KELICurseur* curseur);
    // The Object's icon word (a file type) at the timeline cursor; "" for none.
    QString itemIconForItem(KELI* item);
    // The Object's kind ("file", "http", …) at the timeline cursor.
    QString typeForItem(KELI* item);
    // The periods the Object lay on a desk that meet the visible time range.
    std::vector<KELI*> iconLegosForItem(KELI* item);

    // ---- titles and durations, pure ----
    // The text of an Object's title cell by its option bits, the first state that applies;
    // `otherChannelName` is null for an Object of the current Channel. *stateColor tells which
    // state colour wins: 0 none, 1 moving, 2 error, 3 not found.
    static QString titleTextForOptions(std::uint64_t options, const QString& title, const QString* otherChannelName,
                                       int* stateColor);
    // The part of each [in, out) that lies within [rangeIn, rangeOut), summed; open ends count to
    // the range's edge.
    static double durationInRange(const std::vector<std::pair<KELDate, KELDate>>& legos, KELDate rangeIn,
                                  KELDate rangeOut);
    QString durationStringForLegos(const std::vector<KELI*>& legos);
    QString durationStringForAllLegos();

    // ---- the pasteboard contents of Objects, in order; null when none yields anything ----
    std::unique_ptr<QMimeData> mimeDataForItems(const std::vector<KELI*>& items, bool forDrag);
    // The Objects of the rows, in row order.
    std::vector<KELI*> itemsForRows(const std::vector<int>& rows) const;
    // The Objects of the table's selected rows, in row order.
    std::vector<KELI*> selectedItemsInTableView(ZEVTableView& table) const;

    // ---- a foreign drag over the Objects list ----
    // The drag's pointer is over `row` at `x` of a table `width` points wide (the date under it
    // is the axis' date at x / (width - 1)); row -1 for none. deskDrag: a drag of desk views.
    void dragHover(int row, double x, double width, bool deskDrag);
    void dragExited(bool deskDrag);
    KELId draggingLegoInt() const { return draggingLegoId_; }

    // ---- ZEVTableViewDataSource ----
    std::vector<KELI*> legosForRow(ZEVTableView& table, int row) override;
    QVariant objectValue(ZEVTableView& table, const QString& columnId, int row, int role) override;
    bool isTitleRowSelectedForItem(ZEVTableView& table, const ZEVTableElement& item) override;
    bool isIconRowSelectedForItem(ZEVTableView& table, const ZEVTableElement& item) override;
    bool isItemActif(ZEVTableView& table, const ZEVTableElement& item, KELICurseur* curseur) override;
    void selectItemsWithString(ZEVTableView& table, const QString& text, int operation) override;
    // The list's type-select: the front layer opens the tracks for it and closes what it opened.
    void tableViewSearchingWillStart(ZEVTableView& table) override;
    void tableViewSearchingDidFinish(ZEVTableView& table) override;
    void tvFrontModeDidChange() override {}
    void majIndexOfSelectedRowsForTableView(ZEVTableView& table) override;
    void refreshIndexOfSelectedRowsForTableView(ZEVTableView& table) override;
    bool siFilteredItem(const ZEVTableElement& item, ZEVTableView& table) override { return false; }

    // ---- ZEVTableViewDelegate: the row actions and menus (ZEVFrontClassRows.cpp, ZEVFrontClassMenus.cpp) ----
    // Each acts on the right-clicked row: its Object, or in the links list its pair's two Objects
    // (one side of them where the clicked column decides).
    void openSelectionInTableView(ZEVTableView& table) override;
    void findInChannelsInTableView(ZEVTableView& table) override;
    void showOriginalInTableView(ZEVTableView& table) override;
    // The four transfer actions hand the selected rows' Objects to the transfer queue.
    void moveToInTableView(ZEVTableView& table) override;
    void moveToSpaceInTableView(ZEVTableView& table) override;
    void copyToInTableView(ZEVTableView& table) override;
    void copyToSpaceInTableView(ZEVTableView& table) override;
    void duplicateToInTableView(ZEVTableView& table) override;
    void duplicateToSpaceInTableView(ZEVTableView& table) override;
    void archiveToSpaceInTableView(ZEVTableView&) override {}
    void deleteLego(KELI* lego, ZEVTableView& table) override;
    void releaseSelectionInTableView(ZEVTableView& table) override;
    void recallNowSelectionInTableView(ZEVTableView& table) override;
    void recallSelectionInTableView(ZEVTableView& table) override;
    void forgetSelectionInTableView(ZEVTableView& table) override;
    void retainSelectionInTableView(ZEVTableView& table) override;
    void deselectSelectionInTableView(ZEVTableView&) override {}
    void linkSelectionInTableView(ZEVTableView&) override {}
    void unlinkSelectionInTableView(ZEVTableView&) override {}
    void renameSelectionInTableView(ZEVTableView&) override {}
    void selectIconInTableView(ZEVTableView& table) override;
    void selectTitleInTableView(ZEVTableView& table) override;
    void selectNodeInTableView(ZEVTableView& table) override;
    void selectFilterInTableView(ZEVTableView& table) override;
    void copyDurationsInTableView(ZEVTableView& table) override;
    // The front class's own menus, built once, their items found by tag (the "tag" property).
    QMenu* updateRowMenu(QMenu* menu, ZEVTableView& table, const ZEVTableElement& item) override;
    QMenu* updateLegoMenu(QMenu* menu, ZEVTableView& table, KELI* lego) override;
    void setSiAccepteMajSelectedRows(bool accepte, ZEVTableView& table) override;

    // ---- ZEVTableViewPasteboard ----
    void paste(ZEVTableView& table) override {}
    void copy(ZEVTableView& table) override;
    void cut(ZEVTableView& table) override;
    bool siDropedItem(const ZEVTableElement& item, ZEVTableView& table) override { return false; }
    Qt::DropAction draggingEntered(QDropEvent* info, ZEVTableView& table) override;
    Qt::DropAction draggingUpdated(QDropEvent* info, ZEVTableView& table) override;
    void draggingExited(ZEVTableView& table) override;
    bool performDragOperation(QDropEvent* info, ZEVTableView& table) override;
    // A drag out of the Objects list: only from the icon column. True when the rows were written.
    bool writeRowsForDrag(ZEVTableView& table, const std::vector<int>& rows, int pressColumn, QMimeData* into);
    // Copy's work: true when something was written to the clipboard (a beep otherwise).
    bool copyRows(ZEVTableView& table);

    // ---- row menus ----
    // A title as a menu shows it: more than 24 characters are cut to 24 and "\u2026".
    static QString menuTitle(const QString& title);
    // Whether Show Original can show the Object's file: no state bit of the file jobs or of a file
    // not at hand, and a file type.
    static bool enableShowOriginal(std::uint64_t options, const QString& type);
    // The Object's live icon links (forgotten ones left out), at every date.
    static int liveIconLinkCount(KELId itemInt);
    // The TimeTracking report's lines, each interval clipped to [periodIn, periodOut].
    struct Span {
        KELDate in;
        KELDate out;
    };
    static QStringList timeTrackingLines(const QString& title, KELDate periodIn, KELDate periodOut,
                                         const std::vector<Span>& links,
                                         const std::function<QString(KELDate)>& formatDate);
    KELI* rightMenuItem() const { return rightMenuItem_; }
    ZEVLinkPair* rightMenuLink() const { return rightMenuLink_; }
    int rightColumn() const { return rightColumn_; }

    // ---- file jobs ----

    void dragToFolderItemView(ZEVItemViewForDesks* folderView, const std::vector<KELI*>& moving,
                              const std::vector<KELI*>& duplicating, const std::vector<KELI*>& staying) override;
    void duplicateToSpace(ZEVItemViewerForDesks* viewer) override;

    // Linux has no packages: every directory is a folder an Object can be dropped into.
    static bool siFolder(const QString& path);
    // The first of "name", "stem_01.ext", "stem_02.ext"... that nothing in the folder bears.
    static QString freeNameInFolder(const QString& folder, const QString& name);

    // One move or copy of a file or folder into a folder, run on any thread. `rename` is the
    // system's rename that never replaces (a test gives one that fails as across devices).
    struct Result {
        bool ok = false;
        QString path;  // where the file is now
        QString error;
    };
    using Rename = std::function<int(const QString& from, const QString& to)>;
    // Told, on the job's thread, the share of the bytes copied so far.
    static Result transfer(const QString& source, const QString& folder, bool move, const Rename& rename = {});
    // A web address as a new .webloc file in the folder, named after the title, never overwriting.
    static Result writeWebloc(const QString& url, const QString& title, const QString& folder);

    // Whether the file jobs may take the Object: by its option bits and, for the Space's drop
    // folder and duplicates, its file (one that exists and is not a folder).
    static bool siCopyToForItem(KELI* item);
    static bool siCopyToSpaceForItem(KELI* item);
    static bool siDuplicateToForItem(KELI* item);
    static bool siMoveToForItem(KELI* item);
    static bool siMoveToSpaceForItem(KELI* item);

    // The Object's file moved or copied into the folder in the background, its record following
    // a move; `releaseMoved`: a moved Object's icon is released at the viewer's cursor (it went
    // into a folder Object).
    // False when the Object has nothing to transfer (its drag copy then slides back). `into`: where
    // the drag copy slides once the file is in the folder.
    bool startTransfer(KELI* item, class ZEVItemViewer* viewer, const QString& folder, bool move, bool releaseMoved,
                       const ZEVIconPosition& into = {});
    static constexpr double kDragSlide = 0.8, kDragGone = 0.9;

    // The transfer queue's entry points: to a folder the user chooses in a panel, or into the
    // Space's drop folder. Objects the queue cannot take are left alone.
    void moveToForItems(const std::vector<KELI*>& items);
    void copyToForItems(const std::vector<KELI*>& items);
    void moveToSpaceForItems(const std::vector<KELI*>& items);
    void copyToSpaceForItems(const std::vector<KELI*>& items) override;

    // One Object to a folder the user chooses, or into its own folder of the Space's drop store.
    void moveToForItem(KELI* item);
    void copyToForItem(KELI* item);
    void moveToSpaceForItem(KELI* item);
    void copyToSpaceForItem(KELI* item);
    // Where the add-documents and new-folder panels open: the folder of the one selected Object's
    // file, else ~/Documents.
    QString openPanelFolderUrlWithItem(KELI* item);
    // Transfers larger than this show their progress.
    static constexpr qint64 kProgressBytes = 20000000;
    static constexpr double kFirstPoll = 0.1, kNextPoll = 0.3, kRefreshDelay = 0.2;
    // The folder chosen in the non-native folder panel; empty when cancelled. The shell sets the
    // panel once (its own, which tests answer); a plain one otherwise.
    using FolderPanel = std::function<QString(const QString& title, const QString& prompt, const QString& message,
                                              const QString& startFolder)>;
    static void setFolderPanel(FolderPanel panel);
    static QString chooseFolder(const QString& title, const QString& prompt, const QString& message,
                                const QString& startFolder);

    // ---- duplicates (ZEVFrontClassDuplicate.cpp) ----
    // Each file Object's file copied, to a folder chosen in the save panel or into the new
    // Object's own drop folder, as a new "file" Object beside its source; the icon selection
    // becomes the new Objects. Objects that cannot be duplicated are refused with one beep.
    void duplicateToForItems(const std::vector<KELI*>& items);
    void duplicateToSpaceForItems(const std::vector<KELI*>& items);
    // `name` with `ext` appended unless it already ends so ("Report" -> "Report.pdf").
    static QString duplicateFileName(const QString& name, const QString& ext);
    // A name typed in the panel as a file name of the chosen folder: its last component, control
    // characters replaced, trimmed; empty for nothing usable.
    static QString safeEnteredName(const QString& entered);
    // The name the panel's entry stands for: itself when free in `folder`, else, after the user's
    // Yes, the first free "base_01.ext"...; nullopt keeps the panel open (no usable name, Cancel).
    static std::optional<QString> confirmDuplicateName(const QString& entered, const QString& ext,
                                                       const QString& folder);
    // The save panel (non-native, no overwrite question): the chosen path, empty when cancelled.
    using SavePanel = std::function<QString(const QString& title, const QString& prompt, const QString& message,
                                            const QString& name, const QString& startFolder)>;
    static void setSavePanel(SavePanel panel);
    static constexpr double kRefusedBeep = 1.0, kFailBeep = 0.3, kRefusedSlide = 1.0, kRefusedGone = 1.1;
    // The new Objects of the last duplicate.
    const std::vector<KELI*>& duplicatedItems() const { return duplicatedItems_; }

    // Every job queued so far has ended (its result is still to be delivered on the main thread).
    void waitForTransfers();
    static ZEVFrontClass* shared() { return shared_; }

private:
    // The list part's set-up: cursor, Channel and the other Channel's font.
    void initFrontClass();
    // A drag out of the Objects list, from the press recorded.
    void startDragOut(ZEVTableView& table);
    QPoint pressPoint_;
    int pressColumn_ = -1;
    int pressRow_ = -1;
    bool siItemList(const ZEVTableView& table) const { return &table == itemTable_; }
    KELI* titleWordItem(KELI* item, KELICurseur* curseur);
    QString titleForItem(KELI* item);
    QString channelName(KELId channel);
    bool siRowSelectedOnDesk(const ZEVTableView& table, const ZEVTableElement& e, int mode);
    // The user changed the rows of a focused list: the desk's selection follows.
    void rowsDidChange(ZEVTableView& table, const std::vector<int>& selected, const std::vector<int>& deselected);
    void orderRowsToFront(ZEVTableView& table);
    void selectDraggingLego();
    void deselectDraggingLego();
    void beep();

    ZEVSpaceController& space_;
    ZEVFrontViewerServices& front_;
    KELICurseur* actifCurseur_ = nullptr;
    KELId currentChannelInt_ = 0;
    QPointer<ZEVTableView> itemTable_;
    QPointer<ZEVTableView> linkTable_;
    std::vector<ZEVTableElement> itemElements_;
    std::vector<ZEVTableElement> linkElements_;
    bool siAccepteMajSelectedRows_ = true;
    // The modifiers of the last press on a list: Ctrl makes a row change a removal.
    Qt::KeyboardModifiers pressModifiers_;
    QFont otherChannelFont_;
    // The hovered interval, kept by id: one forgotten during the wait is simply gone.
    KELId draggingLegoId_ = 0;
    bool eventFilter(QObject* watched, QEvent* event) override;

    // False when the record could not follow and the transfer was taken back: a source left by a
    // move across file systems then stays.
    bool jobEnded(KELI* item, class ZEVItemViewer* viewer, bool move, const Result& r, bool releaseMoved,
                  KELId channel, const ZEVIconPosition& into, const QString& source = {}, bool sourceLeft = false);
    // The Object's drag copy of the last drag slides into `into` at full opacity, or back onto the
    // Object's view, and goes.
    void slideDragCopy(KELI* item, class ZEVItemViewer* viewer, const std::optional<ZEVIconPosition>& into);

    // The row menus, built by the inspectors' shared piece; their state for the row right-clicked last.
    ZEVInspectMenus& menus();
    QAction* menuItem(QMenu* menu, long tag) const;
    // The side the clicked column designates: the pair's child past the sixth column, its parent
    // before; the Object itself in the Objects list.
    KELI* rightSideItem() const;
    // The Objects of the row the menu was opened on: a links row gives both ends.
    std::vector<KELI*> rightMenuItems();
    void dropStaleMenuLink();
    void updateHandleItems(QMenu* menu, KELI* item);
    void updateHeaderImage(KELI* item);
    void endRowMenu(QMenu* menu, const QString& filterTitle);
    void recallAtCurseur(KELICurseur* curseur);
    void toggleSelection(int family);
    void redraw(ZEVTableView& table);
    KELI* rightMenuItem_ = nullptr;
    ZEVLinkPair* rightMenuLink_ = nullptr;
    int rightColumn_ = -1;
    std::unique_ptr<ZEVInspectMenus> menus_;
    QPointer<ZEVTableView> menuTable_;

    // ---- the transfer queue's steps (ZEVFrontClassTransfer.cpp) ----
    struct TransferRecord {
        KELId itemId = 0;
        KELId channel = 0; // the Channel current at the start: the finish writes that Channel's store
        QString source;
        QString target;
        qint64 size = 0;
        bool progress = false;
        bool follow = true; // the record names the copy at the end
    };
    // The running jobs of one kind by Object, and those whose progress shows, polled under `poll`.
    struct Transfers {
        explicit Transfers(const char* name) : poll(name) {}
        const char* poll;
        std::map<KELI*, TransferRecord> records;
        std::vector<KELI*> progress;
    };
    Transfers moving_{"_movingRun"}, copying_{"_copyingRun"}, duplicating_{"_duplicateRun"},
        dragging_{"_draggingRun"};
    Transfers& transfers(bool copy) { return copy ? copying_ : moving_; }
    // The record kept; a file larger than kProgressBytes joins the progress list, its views show a
    // bar, and the poll starts with the first of them.
    void progressStart(Transfers& t, KELI* item, const TransferRecord& record);
    // The one poll of every kind: the share copied so far on each view, every kNextPoll while any.
    void progressRun(Transfers& t);
    // The record taken out (false when there was none); the bar ends, done or in error.
    bool progressEnd(Transfers& t, KELI* item, bool ok, TransferRecord* record = nullptr);
    void spaceTransfer(KELI* item, bool copy);
    void folderTransfer(const QString& folder, KELI* item, bool copy, std::optional<bool> heldByStore = {});
    void transferStart(KELI* item, const TransferRecord& record, bool copy);
    void transferFinish(KELI* item, bool copy, bool sourceLeft);
    void transferFail(KELI* item, bool copy);
    // The file Object's record made to name `target`; when it cannot, the transfer is taken back
    // (a rename renamed back, a copy removed), the user is told, and the answer is false.
    bool recordFollows(KELI* item, KELId channel, const QString& source, const QString& target, bool renamed);
    bool moveWebloc(KELI* item, const QString& folder, const QString& source);
    void scheduleTableRefresh();
    // The Object's views on the Now and the Search desks; its view on the Now desk.
    std::vector<ZEVItemView*> viewsOfItem(KELI* item) const;
    ZEVItemView* nowViewOfItem(KELI* item) const;

    // ---- the duplicates' steps (ZEVFrontClassDuplicate.cpp) ----
    struct DuplicateSource {
        KELI* item = nullptr;
        ZEVIconPosition position;
        float ratio = 1.0f;
        QImage image;
        QString title;
        class ZEVItemView* copy = nullptr; // the drag copy that stood for it, if any
    };
    std::vector<DuplicateSource> duplicateSources(const std::vector<KELI*>& items);
    // Into `folder` under `name`, or into the Space when `folder` is empty.
    std::vector<KELI*> duplicateItems(const std::vector<DuplicateSource>& sources, const QString& folder,
                                      const QString& name);
    void duplicateStart(KELI* item, const TransferRecord& record);
    bool duplicateEnded(KELI* item, TransferRecord* record, bool ok);
    void duplicateFinish(KELI* item);
    void duplicateFail(KELI* item);
    std::vector<KELI*> duplicatedItems_;

    static inline ZEVFrontClass* shared_ = nullptr;
    ScheduledTarget guard_{this};
};

} // namespace tallomer
