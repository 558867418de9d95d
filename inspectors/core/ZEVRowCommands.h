#pragma once
// The commands of a presence kind's panel that work on its rows and the desk's selections alone,
// the same for every kind: Filter by the row under the pointer or the mode's Objects, Swap of the
// mode's selection within the rows, and Deselect with the found Objects.

class KELI;

namespace tallomer {

class ZEVInspectViewer;
class ZEVRowsClass;

// Answers whether the panel took the command: the pointer outside the panel leaves it to the desk.
bool ZEVRowsFilter(ZEVInspectViewer& viewer, ZEVRowsClass& rows);
// Beeps when there is nothing to swap.
void ZEVRowsSwap(ZEVInspectViewer& viewer, ZEVRowsClass& rows);
void ZEVRowsDeselect(ZEVInspectViewer& viewer, ZEVRowsClass& rows);

} // namespace tallomer
