#pragma once
// The history of the places of the Space window: marks keyed by their zevp string, newest first,
// at most 501, kept in memory for the life of the window. A stroll back through them runs a small
// modal panel: each step previews a mark without recording one; Select keeps the mark shown, Cancel
// (or a step newer than the newest mark) returns to where the stroll began. Fewer than two marks,
// or a step past the oldest, sound "Tink". Main thread only.

#include "space/ZEVSpaceParts.h"

#include <deque>
#include <functional>
#include <map>
#include <memory>

namespace tallomer {

class ZEVMarkScannPanel;
class ZEVSpaceController;

class ZEVMarkHistoryViewer final : public ZEVMarkHistoryServices {
public:
    static constexpr std::size_t kMaxMarks = 501;

    // `space` is not owned and outlives the history.
    explicit ZEVMarkHistoryViewer(ZEVSpaceController& space);
    ~ZEVMarkHistoryViewer() override;
    // The go-to buttons are reset this long after each step.
    static constexpr double kGotoOffDelay = 0.2;

    ZEVMarkObject* markObjectForZevpString(const QString& zevpString) override;
    void selectMarkObject(ZEVMarkObject* mark) override;
    void addMarkObject(std::unique_ptr<ZEVMarkObject> mark, const QString& key) override;
    std::vector<ZEVMarkObject*> markObjects() override;
    void deleteHistory() override;
    void previousHistory() override;
    void previous() override;
    void next() override;

    // The mark shown while stepping back; 0 outside.
    long scannIndex() const { return scannIndex_; }
    std::size_t count() const { return marks_.size(); }
    // The panel while a stroll runs; nullptr otherwise.
    ZEVMarkScannPanel* scannPanel() const { return scannPanel_; }
    // "index – Channel | title" of the mark at that index.
    QString messageForIndex(long index) const;
    // The panel's plain arrows: the Channel selection moves, recording no mark.
    void channelSansHistorique(bool up);

private:
    void montrer();
    void rearmerGoto();


    ZEVSpaceController& space_; // not owned
    std::map<QString, ZEVMarkObject*> markDico_;
    std::deque<std::unique_ptr<ZEVMarkObject>> marks_; // newest first
    long scannIndex_ = 0;
    ZEVMarkScannPanel* scannPanel_ = nullptr; // lives on the stack of previousHistory
};

} // namespace tallomer
