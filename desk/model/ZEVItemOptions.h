#pragma once
// Option bits carried in the BASE of every Object's row, and the masks other parts of the
// program test them with. The values are stored in users' databases: never renumber them.
// Bit 0x80 is unused and stays so.

#include <cstddef>
#include <cstdint>

class KELI;

namespace tallomer {

using ZEVItemOption = std::uint64_t;

inline constexpr ZEVItemOption ZEVOPTION_HOLD_BY_SYSTEM = 0x1;
inline constexpr ZEVItemOption ZEVOPTION_HOLD_BY_APP = 0x2;
inline constexpr ZEVItemOption ZEVOPTION_NOT_FOUND = 0x4;
inline constexpr ZEVItemOption ZEVOPTION_DOWNLOADING = 0x8;
inline constexpr ZEVItemOption ZEVOPTION_ERROR = 0x10;
inline constexpr ZEVItemOption ZEVOPTION_HOLD_BY_ZEV = 0x20;
inline constexpr ZEVItemOption ZEVOPTION_SHOW_TITLE = 0x40;
inline constexpr ZEVItemOption ZEVOPTION_QL_ICON = 0x100;
inline constexpr ZEVItemOption ZEVOPTION_HOLD_BY_EXTERN = 0x200;
inline constexpr ZEVItemOption ZEVOPTION_GIF = 0x400;
inline constexpr ZEVItemOption ZEVOPTION_ANIMATE = 0x800;
inline constexpr ZEVItemOption ZEVOPTION_DUPLICATING = 0x1000;
inline constexpr ZEVItemOption ZEVOPTION_COPYING = 0x2000;
inline constexpr ZEVItemOption ZEVOPTION_MOVING = 0x4000;
inline constexpr ZEVItemOption ZEVOPTION_HOLD_BY_CLOUD = 0x8000;
inline constexpr ZEVItemOption ZEVOPTION_ZEVP_IMAGE = 0x10000;
inline constexpr ZEVItemOption ZEVOPTION_HOLD_BY_ZEV_FOLDER = 0x20000;
inline constexpr ZEVItemOption ZEVOPTION_HOLD_BY_TRASH = 0x40000;
inline constexpr ZEVItemOption ZEVOPTION_HOLD_BY_APPLICATIONS = 0x80000;
inline constexpr ZEVItemOption ZEVOPTION_OPEN_ON_CLICK = 0x100000;

// Masks for "is any of these set". Each is spelled out once here so every caller agrees.

// Show Original is offered only when none is set.
inline constexpr ZEVItemOption ZEVOPTION_MASK_SHOW_ORIGINAL_REFUSED =
    ZEVOPTION_NOT_FOUND | ZEVOPTION_DOWNLOADING | ZEVOPTION_HOLD_BY_ZEV | ZEVOPTION_DUPLICATING |
    ZEVOPTION_COPYING | ZEVOPTION_MOVING | ZEVOPTION_HOLD_BY_CLOUD; // 0xF02C
// An open panel starts in the Object's folder only when none is set, else in ~/Documents.
inline constexpr ZEVItemOption ZEVOPTION_MASK_PANEL_IN_DOCUMENTS =
    ZEVOPTION_HOLD_BY_ZEV | ZEVOPTION_HOLD_BY_CLOUD; // 0x8020
// Copy to a folder and duplicate to a folder are refused.
inline constexpr ZEVItemOption ZEVOPTION_MASK_COPY_REFUSED =
    ZEVOPTION_HOLD_BY_APP | ZEVOPTION_NOT_FOUND | ZEVOPTION_DOWNLOADING | ZEVOPTION_DUPLICATING |
    ZEVOPTION_COPYING | ZEVOPTION_MOVING | ZEVOPTION_HOLD_BY_APPLICATIONS; // 0x8700E
// Move to a folder is refused.
inline constexpr ZEVItemOption ZEVOPTION_MASK_MOVE_REFUSED =
    ZEVOPTION_MASK_COPY_REFUSED | ZEVOPTION_HOLD_BY_SYSTEM; // 0x8700F
// Move to a Space is refused.
inline constexpr ZEVItemOption ZEVOPTION_MASK_MOVE_TO_SPACE_REFUSED =
    ZEVOPTION_MASK_MOVE_REFUSED | ZEVOPTION_HOLD_BY_ZEV; // 0x8702F
// Copy to a Space is refused.
inline constexpr ZEVItemOption ZEVOPTION_MASK_COPY_TO_SPACE_REFUSED =
    ZEVOPTION_MASK_COPY_REFUSED | ZEVOPTION_HOLD_BY_ZEV | ZEVOPTION_HOLD_BY_ZEV_FOLDER; // 0xA702E
// Set aside, not transferred, when Objects are dragged onto a folder Object.
inline constexpr ZEVItemOption ZEVOPTION_MASK_DRAG_SET_ASIDE =
    ZEVOPTION_MASK_COPY_REFUSED | ZEVOPTION_ERROR; // 0x8701E
// Skipped when a drag onto a folder Object is evaluated.
inline constexpr ZEVItemOption ZEVOPTION_MASK_DRAG_SKIPPED =
    ZEVOPTION_NOT_FOUND | ZEVOPTION_ERROR | ZEVOPTION_HOLD_BY_APPLICATIONS; // 0x80014
// Busy: opening, Show Original and dragging onto a folder Object are held back.
inline constexpr ZEVItemOption ZEVOPTION_MASK_BUSY =
    ZEVOPTION_DOWNLOADING | ZEVOPTION_DUPLICATING | ZEVOPTION_COPYING | ZEVOPTION_MOVING; // 0x7008
// None of these set: held by the computer itself, for the inspectors' find commands.
inline constexpr ZEVItemOption ZEVOPTION_MASK_NOT_ON_COMPUTER =
    ZEVOPTION_HOLD_BY_ZEV | ZEVOPTION_HOLD_BY_EXTERN | ZEVOPTION_HOLD_BY_ZEV_FOLDER; // 0x20220
// Cleared together when an image Object becomes a Space background.
inline constexpr ZEVItemOption ZEVOPTION_MASK_BACKGROUND_CLEARED =
    ZEVOPTION_HOLD_BY_APP | ZEVOPTION_HOLD_BY_ZEV | ZEVOPTION_HOLD_BY_ZEV_FOLDER; // 0x20022
// Cleared together when a file Object's record is rewritten for a new path.
inline constexpr ZEVItemOption ZEVOPTION_MASK_GIF_ANIMATION =
    ZEVOPTION_GIF | ZEVOPTION_ANIMATE; // 0xC00

static_assert(ZEVOPTION_MASK_SHOW_ORIGINAL_REFUSED == 0xF02C);
static_assert(ZEVOPTION_MASK_PANEL_IN_DOCUMENTS == 0x8020);
static_assert(ZEVOPTION_MASK_COPY_REFUSED == 0x8700E);
static_assert(ZEVOPTION_MASK_MOVE_REFUSED == 0x8700F);
static_assert(ZEVOPTION_MASK_MOVE_TO_SPACE_REFUSED == 0x8702F);
static_assert(ZEVOPTION_MASK_COPY_TO_SPACE_REFUSED == 0xA702E);
static_assert(ZEVOPTION_MASK_DRAG_SET_ASIDE == 0x8701E);
static_assert(ZEVOPTION_MASK_DRAG_SKIPPED == 0x80014);
static_assert(ZEVOPTION_MASK_BUSY == 0x7008);
static_assert(ZEVOPTION_MASK_NOT_ON_COMPUTER == 0x20220);
static_assert(ZEVOPTION_MASK_BACKGROUND_CLEARED == 0x20022);
static_assert(ZEVOPTION_MASK_GIF_ANIMATION == 0xC00);


// Option bits are read and written on the Object's own link (its BASE). A change is visible at
// once; the row is written on the next turn of the event loop, one write per Object however many
// changes that turn brought. A null Object reads as no bits and ignores writes.
ZEVItemOption itemOptions(const KELI* item);
// True when any bit of the mask is set.
bool siItemOption(const KELI* item, ZEVItemOption mask);
void addItemOption(KELI* item, ZEVItemOption mask);
void clearItemOption(KELI* item, ZEVItemOption mask);
void setItemOptions(KELI* item, ZEVItemOption value);

// The deferred option writes not yet made.
class ZEVItemOptionWrites {
public:
    // Writes every pending row now and cancels the deferred writes. The quit sequence calls it
    // before the store closes, so that a change made in the last turn is not lost.
    static void flushPending();
    static std::size_t pendingCount();
    // Drops the deferred write of an Object that is being erased: it would write its row back.
    static void cancel(KELI* item);
    // The deferred write itself (`_majbase`): rewrites the Object's row.
    static void majbase(KELI* item);
};

} // namespace tallomer
