#pragma once
// What the Icons panel puts in the Object and Edit menus, in the menu bar, and on its own temporal
// buttons: worked out from counts of the Objects each command would take, so the tables can be
// read (and checked) without a menu. The Icons panel stands for the desk when no panel has the
// keys, so these are also what the menu bar shows for the desk.

#include "inspectors/base/ZEVInspectMenus.h"

#include <QString>

#include <vector>

namespace tallomer {

struct ZEVIconMenuCounts {
    int mode = 0;          // the front mode, 4 for none
    bool isSearch = false; // the Search cursor is the active one
    bool titleEditing = false; // an Object's title is being edited

    // ---- the Object menu ----
    quint64 n = 0;       // the Objects the mode's commands take (the model's list for the mode)
    quint64 filters = 0; // the Space's selected filter Objects
    quint64 icons = 0;   // the selected icons (Filter mode offers to filter them)
    quint64 nodes = 0;   // the selected nodes (Link mode removes and filters them)
    quint64 moveTo = 0, moveToSpace = 0, copyTo = 0, copyToSpace = 0, duplicateTo = 0;
    bool showOriginal = false;

    // ---- the menu bar ----
    bool deskHasItems = false;
    bool deskHasSelection = false;

    // ---- the Edit menu and the buttons: the mode's selection as the desk's commands take it ----
    quint64 recallingNow = 0; // to recall at Now from the Search desk
    quint64 recalling = 0;
    quint64 retaining = 0;
    quint64 releasing = 0; // Release and Forget take the same
    // The go-to duration after Recall's count; empty when the go-to panel is hidden.
    QString duration;
};

// The Object items of a menu the panel is asked to fill (the menu bar's Object menu, or the
// panel's Entity menu): Add, Find, Open, Filter, Remove, Handle and its submenu.
std::vector<ZEVMenuLine> ZEVIconObjectLines(const ZEVIconMenuCounts& c);
// The temporal items (tags 6, 65, 62, 63 at Now; 6, 4, 5, 2, 3 at Search): the other cursor's
// items hidden, each titled by its count.
std::vector<ZEVMenuLine> ZEVIconEditLines(const ZEVIconMenuCounts& c);
// The enabling of the menu bar's items, each with the menu it lies in.
std::vector<ZEVMenuLine> ZEVIconMacLines(const ZEVIconMenuCounts& c);

// Whether the panel's Recall, Retain, Release and Forget buttons may be pressed: exactly when the
// Edit menu's items for those commands are enabled.
struct ZEVIconButtonStates {
    bool recall = false, retain = false, release = false, forget = false;
};
ZEVIconButtonStates ZEVIconButtons(const ZEVIconMenuCounts& c);

} // namespace tallomer
