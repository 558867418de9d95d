#pragma once
// The file jobs the Object views hand on: the files of Objects dropped onto a folder Object go
// into that folder in the background. The inspector framework's front class answers.

#include <vector>

class KELI;

namespace tallomer {

class ZEVItemViewForDesks;

class ZEVFileJobs {
public:
    virtual ~ZEVFileJobs() = default;
    // The moving Objects' files are moved into the folder of `folderView`'s Object, the
    // duplicating ones' copied there; the staying ones are left as they are.
    virtual void dragToFolderItemView(ZEVItemViewForDesks* folderView, const std::vector<KELI*>& moving,
                                      const std::vector<KELI*>& duplicating, const std::vector<KELI*>& staying) = 0;
};

} // namespace tallomer
