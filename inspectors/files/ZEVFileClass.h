#pragma once
// The Files inspector's model: the rows core on relation 1000157 (a Channel's identity to a file
// Object), with the go-to walk of the Files changes under its three user defaults.

#include "inspectors/core/ZEVRowsClass.h"
#include "inspectors/services/ZEVChangeWalker.h"
#include "platform/UserDefaults.h"

#include <vector>

namespace tallomer {

class ZEVFileViewer;

class ZEVFileClass final : public ZEVRowsClass {
public:
    static constexpr const char* kGotoRecallKey = "ZEVGotoRecallFileChanges";
    static constexpr const char* kGotoReleaseKey = "ZEVGotoReleaseFileChanges";
    static constexpr const char* kGotoTitleKey = "ZEVGotoTitleFileChanges";

    // `viewer` may be null (a model on its own, in tests). Reads the three defaults, writing
    // those missing, and observes them.
    ZEVFileClass(ZEVFileViewer* viewer, ZEVSpaceController& space);
    ~ZEVFileClass() override;

    // The previous or next change of the found and selected Objects (of any listed one when none
    // is), from the active cursor: 0.7 s before it, 0.05 s after it; 0 when none.
    KELDate previousDate() override;
    KELDate nextDate() override;
    // Makes the presence of an Object imported at `date` on the Space's Channel, at the active
    // cursor; answers the link, nullptr when none could be made.
    KELI* creerLienFileViewerForItem(KELI* item, KELDate date);

    // The Files commands on Objects: their presence on the current Channel at the active cursor.
    void releaseFilesForItems(const std::vector<KELI*>& items);
    void recallFilesForItems(const std::vector<KELI*>& items);
    void recallNowFilesForItems(const std::vector<KELI*>& items);
    void retainFilesForItems(const std::vector<KELI*>& items);
    void forgetFilesForItems(const std::vector<KELI*>& items);
    // Removes the Objects as the Object menu's Remove does: their presence step, the holder test,
    // then the erase of an Object nothing holds.
    void deleteFiles(const std::vector<KELI*>& items);

    // The walk as the flags and targets stand.
    ZEVChangeWalk walk(std::unordered_set<KELId>& cibles) const;
    bool siRecallChanges() const { return siRecallChanges_; }
    bool siReleaseChanges() const { return siReleaseChanges_; }
    bool siTitleChanges() const { return siTitleChanges_; }

protected:
    void moteurChange() override;
    void majActionButtons() override;
    void majInspectField() override;
    bool siPanneauMontre() const override;
    void setNbOfSelectedRows(quint64 n) override;
    void searchingDidFinish() override;

private:
    ZEVFileViewer* viewer_; // not owned: the owner
    UserDefaultsController& defaults_;
    std::vector<DefaultsToken> tokens_;
    bool siRecallChanges_ = true;
    bool siReleaseChanges_ = true;
    bool siTitleChanges_ = false;
};

} // namespace tallomer
