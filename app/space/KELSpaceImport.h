#pragma once
// The main menu's Import (of files, not of a whole store): a dialog in which several files and
// folders are chosen, then every file the current Channel does not know becomes an Object on
// the active cursor's desk, under a "Loading files…" panel.

namespace tallomer {

class ZEVSpaceController;

void menuActionImport(ZEVSpaceController& space);

} // namespace tallomer
