#pragma once
// The Object menu's Add, Add Documents and New Folder, carried out for the front viewer until
// the front layer answers them itself: the chosen files, or the new folder, go to the collect
// grid at the pointer.

#include <string_view>

namespace tallomer {

class ZEVCollectViewer;
class ZEVSpaceController;

// The Space window's collect grid, made on first use.
ZEVCollectViewer& collectViewerOf(ZEVSpaceController& space);

// Whether the command is one of these three.
bool isAddCommand(std::string_view command);

// The Add panel: several files and folders, starting in the home folder or, for Add
// Documents, in the Documents folder.
void userAdd(ZEVSpaceController& space, bool documents);
// A parent folder and a name; the new folder goes to the grid unless it lies in the drop folder.
void userAddNewFolderWithItem(ZEVSpaceController& space);

} // namespace tallomer
