#pragma once
// What the shared table asks of the one object behind it (its zevClass): the rows' presence
// intervals and cells, the rows' selection in each front mode, the type-select, the row and lego
// menus and their actions, and the edit and drop messages. The inspector models and the front
// list class answer; the table holds no model logic of its own.

#include "engine/KELTypes.h"

#include <QVariant>
#include <Qt>

#include <vector>

class KELI;
class KELICurseur;
class QDropEvent;
class QMenu;
class QString;

namespace tallomer {

class ZEVLinkPair;
class ZEVTableView;

// One row of a table: an Object, or a pair of linked Objects. Not owning.
struct ZEVTableElement {
    KELI* item = nullptr;
    ZEVLinkPair* pair = nullptr;
    // The Object a click acts on: a pair stands for its child in the columns after the sixth,
    // for its parent elsewhere.
    KELI* objetPourColonne(int column) const;
    // The Channel of the row's Object (the parent's for a pair); 0 for none.
    KELId channelInt() const;
    bool operator==(const ZEVTableElement& o) const { return item == o.item && pair == o.pair; }
};

class ZEVTableViewDataSource {
public:
    virtual ~ZEVTableViewDataSource() = default;
    // The row's presence intervals in drawing order: a later one is drawn over an earlier one, and
    // the first one holding a click point is the one hit. Each answers inDate and outDate.
    virtual std::vector<KELI*> legosForRow(ZEVTableView& table, int row) = 0;
    // A cell's value for one role (display, decoration, font, foreground) of the column named.
    virtual QVariant objectValue(ZEVTableView& table, const QString& columnId, int row, int role) = 0;
    virtual bool isTitleRowSelectedForItem(ZEVTableView& table, const ZEVTableElement& item) = 0;
    virtual bool isIconRowSelectedForItem(ZEVTableView& table, const ZEVTableElement& item) = 0;
    // Whether the row's Object is on the desk at the cursor's moment.
    virtual bool isItemActif(ZEVTableView& table, const ZEVTableElement& item, KELICurseur* curseur) = 0;
    // Selects what matches the text: operation 0 replaces the selection, 1 intersects, 2 adds,
    // 3 removes.
    virtual void selectItemsWithString(ZEVTableView& table, const QString& text, int operation) = 0;
    virtual void tableViewSearchingWillStart(ZEVTableView& table) = 0;
    virtual void tableViewSearchingDidFinish(ZEVTableView& table) = 0;
    virtual void tvFrontModeDidChange() = 0;
    // The table's selected rows follow the model's selection.
    virtual void majIndexOfSelectedRowsForTableView(ZEVTableView& table) = 0;
    // The same, asked by the table before it handles a left click.
    virtual void refreshIndexOfSelectedRowsForTableView(ZEVTableView& table) = 0;
    // The row is drawn as impacted by the filters.
    virtual bool siFilteredItem(const ZEVTableElement& item, ZEVTableView& table) = 0;
    // Optional: asked when the user changed the selected rows, with the rows selected before and
    // the modifiers held; answers the rows to keep.
    virtual std::vector<int> selectionIndexesForProposedSelection(ZEVTableView& table, const std::vector<int>& proposed,
                                                                  const std::vector<int>& before,
                                                                  Qt::KeyboardModifiers modifiers)
    {
        return proposed;
    }
    // Optional: the selected rows changed.
    virtual void tableViewSelectionDidChange(ZEVTableView& table) {}
};

// The actions of the row and lego menus, each sent to the delegate with the table.
enum class ZEVTableMenuAction {
    Open,
    FindInChannels,
    ShowOriginal,
    MoveTo,
    MoveToSpace,
    CopyTo,
    CopyToSpace,
    DuplicateTo,
    DuplicateToSpace,
    ArchiveToSpace,
    DeleteLego,
    Release,
    RecallNow,
    Recall,
    Forget,
    Retain,
    Deselect,
    Link,
    Unlink,
    Rename,
    SelectIcon,
    SelectTitle,
    SelectNode,
    SelectFilter,
    CopyDurations,
    Count
};

class ZEVTableViewDelegate {
public:
    virtual ~ZEVTableViewDelegate() = default;
    virtual void openSelectionInTableView(ZEVTableView& table) = 0;
    virtual void findInChannelsInTableView(ZEVTableView& table) = 0;
    virtual void showOriginalInTableView(ZEVTableView& table) = 0;
    virtual void moveToInTableView(ZEVTableView& table) = 0;
    virtual void moveToSpaceInTableView(ZEVTableView& table) = 0;
    virtual void copyToInTableView(ZEVTableView& table) = 0;
    virtual void copyToSpaceInTableView(ZEVTableView& table) = 0;
    virtual void duplicateToInTableView(ZEVTableView& table) = 0;
    virtual void duplicateToSpaceInTableView(ZEVTableView& table) = 0;
    virtual void archiveToSpaceInTableView(ZEVTableView& table) = 0;
    // `lego` may be null (the selected interval was forgotten meanwhile).
    virtual void deleteLego(KELI* lego, ZEVTableView& table) = 0;
    virtual void releaseSelectionInTableView(ZEVTableView& table) = 0;
    virtual void recallNowSelectionInTableView(ZEVTableView& table) = 0;
    virtual void recallSelectionInTableView(ZEVTableView& table) = 0;
    virtual void forgetSelectionInTableView(ZEVTableView& table) = 0;
    virtual void retainSelectionInTableView(ZEVTableView& table) = 0;
    virtual void deselectSelectionInTableView(ZEVTableView& table) = 0;
    virtual void linkSelectionInTableView(ZEVTableView& table) = 0;
    virtual void unlinkSelectionInTableView(ZEVTableView& table) = 0;
    virtual void renameSelectionInTableView(ZEVTableView& table) = 0;
    virtual void selectIconInTableView(ZEVTableView& table) = 0;
    virtual void selectTitleInTableView(ZEVTableView& table) = 0;
    virtual void selectNodeInTableView(ZEVTableView& table) = 0;
    virtual void selectFilterInTableView(ZEVTableView& table) = 0;
    virtual void copyDurationsInTableView(ZEVTableView& table) = 0;
    // Enable, hide or title the menu's items for the row (or the interval) and return the menu to
    // show: the one given, another, or nullptr for none.
    virtual QMenu* updateRowMenu(QMenu* menu, ZEVTableView& table, const ZEVTableElement& item) = 0;
    virtual QMenu* updateLegoMenu(QMenu* menu, ZEVTableView& table, KELI* lego) = 0;
    // False while the table has the keyboard focus, true once it lost it: whether changes of the
    // model's selection may rewrite the table's selected rows.
    virtual void setSiAccepteMajSelectedRows(bool accepte, ZEVTableView& table) = 0;
};

class ZEVTableViewPasteboard {
public:
    virtual ~ZEVTableViewPasteboard() = default;
    virtual void paste(ZEVTableView& table) = 0;
    virtual void copy(ZEVTableView& table) = 0;
    virtual void cut(ZEVTableView& table) = 0;
    // The row's item is the target of the drop under way: the table outlines the row.
    virtual bool siDropedItem(const ZEVTableElement& item, ZEVTableView& table) = 0;
    // Drop feedback: only an implementer that accepts drops answers these.
    virtual Qt::DropAction draggingEntered(QDropEvent* info, ZEVTableView& table) { return Qt::IgnoreAction; }
    virtual Qt::DropAction draggingUpdated(QDropEvent* info, ZEVTableView& table) { return Qt::IgnoreAction; }
    virtual void draggingExited(ZEVTableView& table) {}
    virtual bool performDragOperation(QDropEvent* info, ZEVTableView& table) { return false; }
};

// The one object behind a table.
class ZEVTableViewClass : public ZEVTableViewDataSource, public ZEVTableViewDelegate, public ZEVTableViewPasteboard {};

// Sends a menu action to the delegate it names (`selectedLego` for DeleteLego).
void envoyerMenuAction(ZEVTableViewDelegate& delegate, ZEVTableMenuAction action, ZEVTableView& table,
                       KELI* selectedLego);

} // namespace tallomer
