#pragma once
// What an inspector's panel puts in the Edit and Object menus and the menu bar while it has the
// focus: each item's title, enabling, visibility and state, worked out from counts of the Objects
// the command would take, so the tables can be read (and checked) without a menu. Each kind gives
// its nouns.

#include "inspectors/core/ZEVInspectNouns.h"
#include "inspectors/core/ZEVRowMenuParts.h"

#include <QString>

#include <optional>
#include <vector>

class QAction;
class QMenu;

namespace tallomer {


// The counts of the Objects the panel's commands would take (front mode, active cursor).
struct ZEVInspectCounts {
    int mode = 0;
    quint64 nActive = 0;   // present at the active cursor
    quint64 nInactive = 0; // not present there
    quint64 nNotNow = 0;   // not present at the Now cursor, counted only while Search is active
    quint64 nTotal = 0;
    bool isSearch = false;
    quint64 filters = 0;  // the Space's selected filter Objects
    quint64 iconMode = 0; // the Objects of the icon mode's selection
    quint64 moveTo = 0, moveToSpace = 0, copyTo = 0, copyToSpace = 0, duplicateTo = 0;
    bool showOriginal = false;
    // The go-to duration shown after Recall's count; empty when the go-to panel is hidden.
    QString duration;
    // Desk facts the clean items depend on.
    bool deskHasItems = false;
    bool deskHasSelection = false;
};

// Which menu of the menu bar an item lies in.
enum class ZEVMenuPlace { Given, Edit, Object, Handle, Spaces };

// One item's change: what is unset stays as it is.
struct ZEVMenuLine {
    long tag = 0;
    std::optional<QString> title;
    std::optional<bool> enabled;
    std::optional<bool> visible;
    std::optional<int> state;
    ZEVMenuPlace place = ZEVMenuPlace::Given;
};

// The Edit items (Recall Now 6, Recall 4, Retain 5, Release 2, Forget 3) of a menu the panel is
// asked to fill; nothing outside the front modes 0 to 3.
std::vector<ZEVMenuLine> ZEVInspectEditLines(const ZEVInspectCounts& c, const ZEVInspectNouns& n);
// The Object items (Add, Find, Open, Filter, Remove, Handle and its submenu, Show Original).
std::vector<ZEVMenuLine> ZEVInspectObjectLines(const ZEVInspectCounts& c, const ZEVInspectNouns& n);
// The enabling of the menu bar's items, each with the menu it lies in.
std::vector<ZEVMenuLine> ZEVInspectMacLines(const ZEVInspectCounts& c, const ZEVInspectNouns& n);

// The table every panel's menus are written from; a kind gives only its own rows.
// An item's change of title and enabling, in the menu it lies in.
ZEVMenuLine ZEVMenuLineOf(long tag, std::optional<QString> title, std::optional<bool> enabled,
                          ZEVMenuPlace place = ZEVMenuPlace::Given);
// "<verb> 1 <one><suffix>" or "<verb> <n> <many><suffix>", the count as a 32-bit integer.
QString ZEVCountTitle(const QString& verb, quint64 count, const QString& one, const QString& many,
                      const QString& suffix = QString());
// The counts of the Handle submenu's commands.
struct ZEVHandleCounts {
    quint64 moveTo = 0, moveToSpace = 0, copyTo = 0, copyToSpace = 0, duplicateTo = 0;
};
// The Handle submenu's items (Move, Copy, Duplicate, each to a folder or into `store`), titled by
// their counts and enabled when they have one; Duplicate only where `duplicateOffered`.
std::vector<ZEVMenuLine> ZEVHandleLines(const ZEVHandleCounts& c, const QString& one, const QString& many,
                                        const QString& store, bool duplicateOffered);
// The menu bar's Add and the desk's Spaces items, enabled by the active cursor and the desk.
std::vector<ZEVMenuLine> ZEVDeskMacLines(bool isSearch, bool deskHasItems, bool deskHasSelection);
// The menu bar's Handle items; Duplicate only for a kind that `duplicates`.
std::vector<ZEVMenuLine> ZEVHandleMacLines(const ZEVHandleCounts& c, bool duplicates);

// Applies the lines whose place is Given (or matches `place`) to `menu`.
void ZEVApplyMenuLines(QMenu* menu, const std::vector<ZEVMenuLine>& lines, ZEVMenuPlace place = ZEVMenuPlace::Given);

} // namespace tallomer
