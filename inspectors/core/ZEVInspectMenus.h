#pragma once
// The row and lego menus of an inspector's panel, built once from the kind's nouns and titled,
// enabled and checked for the row right-clicked, their items found by tag. The titles come from
// pure functions of the row's state, so that every kind reads the same way.

#include "engine/KELTypes.h"
#include "inspectors/core/ZEVInspectNouns.h"
#include "inspectors/core/ZEVRowMenuParts.h"
#include "inspectors/table/ZEVTableProtocols.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class KELI;
class QMenu;

namespace tallomer {

class KELSharedResources;
class ZEVTableView;


// What the row menu shows of one Object.
struct ZEVRowMenuState {
    QString title;           // its title word at the active cursor
    bool present = false;    // a lego at the active cursor
    bool presentNow = false; // a lego at the Now cursor
    bool nowActif = false;   // the active cursor is the Now cursor
    QString gotoSuffix;      // the go-to duration suffix, empty outside go-to mode
    int frontMode = 0;
    bool iconSelected = false, titleSelected = false, linkSelected = false, filterSelected = false;
    bool moveTo = false, moveToSpace = false, copyTo = false, copyToSpace = false, showOriginal = false;
    QString duration; // its presence in the timeline's window
};

// One item as the menu shows it.
struct ZEVRowMenuItem {
    long tag;
    QString title; // empty: left as it is
    bool enabled = true;
    bool visible = true;
    bool checked = false;
    bool modeImage = false; // the item of the front mode carries the mode's image
};

// The entries a row menu carries beside those every one has.
struct ZEVRowMenuShape {
    bool findInChannels = false; // "Find in Channels" after Open With
    bool linkItems = true;       // Link and Unlink
    bool copyDurations = false;  // "Copy Durations" after the duration
    bool addItem = false;        // "Add Documents…" after Open With, told through onAdd
};

class ZEVInspectMenus final : public QObject {
public:
    explicit ZEVInspectMenus(ZEVInspectNouns nouns, ZEVRowMenuShape shape = {});
    ~ZEVInspectMenus() override;

    const ZEVInspectNouns& nouns() const { return nouns_; }

    // ---- the texts, pure ----
    // A title between straight quotes, cut to 24 characters and an ellipsis when longer.
    static QString headerTitle(const QString& title);
    std::vector<ZEVRowMenuItem> rowItems(const ZEVRowMenuState& s) const;
    // The lego menu's delete item: removing the Object when it is the Object's only lego.
    QString legoDeleteTitle(int liveLegos) const;

    // ---- the menus ----
    // The row menu prepared for the state; its items act on the table's right-clicked row.
    // `resources` gives the mode images (none when null).
    QMenu* rowMenu(ZEVTableView& table, const ZEVRowMenuState& s, const KELSharedResources* resources);
    // The row menu as built, its items acting on `table`'s right-clicked row, for a caller that
    // titles and enables them itself.
    QMenu* rowMenuFor(ZEVTableView& table);
    // The lego menu for one lego: delete (told by id) and its length.
    QMenu* legoMenu(ZEVTableView& table, KELI* lego, int liveLegos);
    QMenu* builtRowMenu() const { return rowMenu_.get(); }
    // Told the lego chosen for deletion, by id: one forgotten meanwhile is simply gone.
    std::function<void(KELId legoId, ZEVTableView& table)> onDeleteLego;
    // Told the row menu's Add item was chosen; the right-clicked row is the model's to read.
    std::function<void()> onAdd;

private:
    void buildRowMenu();
    void buildLegoMenu();

    ZEVInspectNouns nouns_;
    ZEVRowMenuShape shape_;
    std::unique_ptr<QMenu> rowMenu_;
    std::unique_ptr<QMenu> legoMenu_;
    QPointer<ZEVTableView> table_;
    KELId legoId_ = 0;
};

} // namespace tallomer
