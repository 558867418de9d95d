#pragma once
// The file jobs the Object views hand on: the files of Objects dropped onto a folder Object go
// into that folder in the background. The inspector framework's front class answers.

#include <vector>

class KELI;

namespace tallomer {

class ZEVItemViewForDesks;
class ZEVItemViewerForDesks;

class ZEVFileJobs {
public:
    virtual ~ZEVFileJobs() = default;
    // The moving Objects' files are moved into the folder of `folderView`'s Object, the
    // duplicating ones' copied there; the staying ones are left as they are.
    virtual void dragToFolderItemView(ZEVItemViewForDesks* folderView, const std::vector<KELI*>& moving,
                                      const std::vector<KELI*>& duplicating, const std::vector<KELI*>& staying) = 0;
    // The Objects of the dragged copies of `viewer`'s desk duplicated into the Space: each file
    // copied into the drop folder of a new Object, whose icon comes where its copy was dropped.
    virtual void duplicateToSpace(ZEVItemViewerForDesks* viewer) = 0;
    // The Objects' files copied into their own folders of the Space's drop store, each record
    // following its copy (new background images are kept this way).
    virtual void copyToSpaceForItems(const std::vector<KELI*>& items) = 0;

    // The answering one, for the parts that cannot reach the front layer otherwise; null before
    // the first Space is made.
    static ZEVFileJobs* Shared() { return shared_; }
    static void Referencer(ZEVFileJobs* jobs) { shared_ = jobs; }

private:
    static inline ZEVFileJobs* shared_ = nullptr;
};

} // namespace tallomer
