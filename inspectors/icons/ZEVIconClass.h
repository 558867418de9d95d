#pragma once
// The Icons inspector's model: every Object whose icon lay on a desk of any Channel in the span the
// timeline shows, one row each (a count per icon link, 1000152), on the rows core's timeline list.
// It answers the go-to walks over the five kinds of icon change, removes Objects from the desks
// through the Space's one eraser, and carries out the rows' commands through the item viewers.

#include "inspectors/core/ZEVInspectDrag.h"
#include "inspectors/core/ZEVInspectMenus.h"
#include "inspectors/core/ZEVRowsClass.h"
#include "inspectors/services/ZEVChangeWalker.h"
#include "services/ZEVInspectorServices.h"
#include "platform/UserDefaults.h"

#include <array>
#include <memory>
#include <unordered_set>
#include <vector>

class QAction;

namespace tallomer {

class ZEVIconViewer;

class ZEVIconClass final : public ZEVRowsClass, public ZEVIconClassServices {
public:
    // The change kinds the walks stop at, in the order an event is tried against them.
    enum Kind { Recall = 0, Release = 1, Title = 2, Sizing = 3, Position = 4, KindCount = 5 };
    static constexpr std::array<const char*, KindCount> kGotoKeys = {
        "ZEVGotoRecallObjectChanges", "ZEVGotoReleaseObjectChanges", "ZEVGotoTitleObjectChanges",
        "ZEVGotoSizingObjectChanges", "ZEVGotoPositionObjectChanges"};
    static constexpr std::array<bool, KindCount> kGotoDefaults = {true, true, false, true, true};
    static ZEVInspectNouns nouns()
    {
        return {QStringLiteral("Object"), QStringLiteral("Objects"), QStringLiteral("Object"),
                QStringLiteral("Objects"), QStringLiteral("zevFiles"), true};
    }

    // `viewer` may be null (a model on its own, in tests). Reads the five defaults, writing those
    // missing, and observes them.
    ZEVIconClass(ZEVIconViewer* viewer, ZEVSpaceController& space);
    ~ZEVIconClass() override;

    // Builds the rows from the timeline's window and listens to its icon links.
    void initialiser();

    // ---- ZEVIconClassServices ----
    using ZEVRowsClass::isItemActif;
    std::optional<std::string> itemTitleForItem(KELI* item) override { return ZEVRowsClass::itemTitleForItem(item); }
    bool isItemActif(KELI* item) override { return ZEVRowsClass::isItemActif(item); }
    bool isItemActifNow(KELI* item) override { return ZEVRowsClass::isItemActifNow(item); }

    std::vector<KELI*> timeLineItems() override { return actifItems(); }
    void channelDidChangeWithIdentityInt(KELId identityInt) override;

    // ---- what the commands act on: every Object of the mode's selection, listed or not ----
    // In Link mode, the Objects at both ends of the selected links, once each.
    std::optional<std::vector<KELI*>> itemsForFrontMode() override;
    std::optional<std::vector<KELI*>> itemsForIconMode() override;
    void majSelectedIconIndexSet();
    const std::unordered_set<KELId>& selectedIconIndexSet() const { return selectedIconIndexSet_; }

    // ---- the walks; 0.7 s before the change found (past), 0.05 s after it (future), 0 for none ----
    // Appearances and disappearances of any Channel, of the selected Objects when there are some.
    KELDate previousDate() override;
    KELDate nextDate() override;
    KELDate previousDateForAllChanges() override { return previousDate(); }
    // The current Channel's changes of the kinds switched on; with `siSame`, only while the
    // Channel shows the background it shows at the active cursor.
    KELDate previousDateItemSiSame(bool siSame);
    KELDate nextDateItemSiSame(bool siSame);
    // The given Objects' changes of the kinds switched on, on any Channel.
    KELDate previousDateForIndexSet(const std::unordered_set<KELId>& ids);
    KELDate nextDateForIndexSet(const std::unordered_set<KELId>& ids);
    bool siChanges(Kind k) const { return flags_[k]; }
    // The Go To menu's switch of a kind: the user default, which the model follows.
    void setSiChanges(Kind k, bool on);

    // ---- removing ----
    // Each Object's icon and geometry links go; the Object itself too when nothing else holds it.
    // Its views leave both desks either way.
    void deleteIcons(const std::vector<KELI*>& items);
    // The one lego goes; the Object's only lego removes the Object through the Space's Icons model.
    void deleteLego(KELI* lego, ZEVTableView& table) override;

    // ---- the table ----
    void majIndexOfSelectedRowsForTableView(ZEVTableView& table) override;
    void refreshIndexOfSelectedRowsForTableView(ZEVTableView& table) override;
    void tableViewSelectionDidChange(ZEVTableView& table) override;
    void tvFrontModeDidChange() override;
    void selectItemsWithString(ZEVTableView& table, const QString& text, int operation) override;
    bool findInChannelsForItems(const std::vector<KELI*>& items, bool textual);
    // Selects the found Objects in the front mode (Filter mode selects their icons), the table
    // shows exactly their rows, their views come to the front, and the history takes a step.
    void selectFoundItems(const std::vector<KELI*>& found, int operation, bool filtersAsIcons);
    KELI* rightItem() const;

    void openSelectionInTableView(ZEVTableView& table) override;
    void showOriginalInTableView(ZEVTableView& table) override;
    void releaseSelectionInTableView(ZEVTableView& table) override;
    void recallNowSelectionInTableView(ZEVTableView& table) override;
    void recallSelectionInTableView(ZEVTableView& table) override;
    void forgetSelectionInTableView(ZEVTableView& table) override;
    void retainSelectionInTableView(ZEVTableView& table) override;
    // The row's menu: its temporal items by its icon at the active cursor, its header's picture by
    // its type (a file's thumbnail, a contact's picture, a saved page unless it is HTML).
    QMenu* updateRowMenu(QMenu* menu, ZEVTableView& table, const ZEVTableElement& item) override;
    QMenu* updateLegoMenu(QMenu* menu, ZEVTableView& table, KELI* lego) override;
    // Double click: the row's Object opened.
    void openIcon(int row);

    // Only a desk Object's link handle is taken; nothing is pasted.
    ZEVInspectDrag& drag() { return *drag_; }
    void paste(ZEVTableView& table) override;
    // Copy and rows out: files as their URLs, a web Object as its location file (its address when
    // there is none), the other kinds as Object records; false when none gave anything.
    bool writeItems(const std::vector<KELI*>& items, QMimeData& into);
    // The rest of the drag goes through the core; with no importer, anything but a link handle
    // is refused.

protected:

private:
    KELDate marcher(bool versLePasse, const ZEVChangeWalk& w);
    ZEVChangeWalk walkSiSame(bool versLePasse, bool siSame);
    ZEVChangeWalk walkForIndexSet(const std::unordered_set<KELId>* ids);
    KELId backImageOfSpace();
    KELICurseur* actifOuTimeline() const;
    void setHeaderPicture(QAction* header, KELI* item);

    ZEVIconViewer* viewer_; // not owned: the owner
    UserDefaultsController& defaults_;
    std::vector<DefaultsToken> tokens_;
    std::array<bool, KindCount> flags_ = kGotoDefaults;
    std::unordered_set<KELId> selectedIconIndexSet_;
    std::unique_ptr<ZEVInspectMenus> menus_;
    std::unique_ptr<ZEVInspectDrag> drag_;
    KELId rightMenuId_ = 0;
};

} // namespace tallomer
