#pragma once
// The Object context menu: a pure model of what each item shows for one Object (title, shown,
// enabled, ticked), computed from plain facts, and the one QMenu built in code that the item
// viewer applies it to.

#include "engine/KELTypes.h"
#include "platform/MenuText.h"

#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class KELI;
class QAction;
class QMenu;

namespace tallomer {

enum class ZEVItemMenuSlot {
    Open, OpenOriginal, OpenWith, OpenQL, GetInfo, ShowOriginal,
    NewChannel, NewSpace, NewFolder, HandleObjects,
    MoveTo, MoveToSpace, CopyTo, CopyToSpace, DuplicateTo, DuplicateToSpace,
    RecallNow, Recall, Retain, Release, Forget,
    Link, Unlink,
    IconSelection, TitleSelection, LinkSelection, Filter,
    Options, ShowTitle, QLIcon, EditTitle, Animate, OpenOnClick,
    Copy, Cut, CopyZevTime,
    SendToBack, SendToFront,
    LocSeparator, KeepPosition, RestorePosition,
    Count
};
inline constexpr std::size_t kItemMenuSlots = std::size_t(ZEVItemMenuSlot::Count);

struct ZEVItemMenuEntry {
    QString title; // empty: the item's fixed title
    bool visible = true;
    bool enabled = true;
    bool checked = false;
};

// The title in double quotes; from `length` characters on, its first length - 1 and "…".
QString stringMenuForString(const QString& title, int length);

// What the Link and Unlink items show. `partners` are the selection's Objects in its order;
// `linked` tells whether one is linked with the Object now; `title` is its title at the cursor.
struct ZEVLinkMenuFacts {
    int mode = 0;
    KELI* item = nullptr;
    std::vector<KELI*> icons, titles, filters, nodes;
    std::function<bool(KELI*)> linked;
    std::function<QString(KELI*)> title;
};
// False when the mode leaves the items as they are.
bool linkMenuInfo(const ZEVLinkMenuFacts& facts, ZEVItemMenuEntry& link, ZEVItemMenuEntry& unlink);

struct ZEVItemMenuFacts {
    QString title;            // the view's title
    QString type;             // "file", "http", ...
    QString fileSuffix;       // of a file Object's file
    std::uint64_t options = 0;
    bool hasOriginalUrl = false;
    int mode = 0;
    bool actif = false;       // the view is active at its cursor
    bool onNowDesk = true;    // the menu's desk is the Now cursor's
    bool itemActifNow = false;
    QString duration;         // the go-to suffix
    bool applicationActive = true;
    bool selectedFilter = false;
    bool titleEditing = false;
    bool mayRestore = false;  // shown somewhere it may go back from
    std::array<bool, 6> fileJobs{}; // MoveTo .. DuplicateToSpace
    bool channelsAnswer = false; // the Channels inspector makes new Channels and Spaces
    // Front mode 3: the selected links ending at the Object, active (a) or not (n) at the active
    // cursor, and those not active at the Now cursor (r; 0 on the Now desk).
    int a = 0, n = 0, r = 0;
    ZEVItemMenuEntry link, unlink;
};

using ZEVItemMenuModel = std::array<ZEVItemMenuEntry, kItemMenuSlots>;
ZEVItemMenuModel itemMenuModel(const ZEVItemMenuFacts& facts);

// The menu, its items in order with separators and submenus; each item's action calls `act`.
class ZEVItemMenu {
public:
    explicit ZEVItemMenu(std::function<void(ZEVItemMenuSlot)> act);
    ~ZEVItemMenu();
    ZEVItemMenu(const ZEVItemMenu&) = delete;
    ZEVItemMenu& operator=(const ZEVItemMenu&) = delete;

    QMenu* menu() const { return menu_.get(); }
    QMenu* openWithMenu() const { return openWith_; }
    QAction* action(ZEVItemMenuSlot slot) const { return actions_[std::size_t(slot)]; }
    void apply(const ZEVItemMenuModel& model);
    // Open's title while another item is highlighted: the Object's shortened title.
    void setOpenTitle(const QString& shortTitle) { openTitle_ = menuText(shortTitle); }

private:
    std::unique_ptr<QMenu> menu_;
    QMenu* openWith_ = nullptr;
    QMenu* handle_ = nullptr;
    QMenu* options_ = nullptr;
    std::array<QAction*, kItemMenuSlots> actions_{};
    QString openTitle_;
};

} // namespace tallomer
