#pragma once
// The history of the places of the Space window: marks keyed by their zevp string, newest first,
// at most 501, kept in memory for the life of the window. Stepping back through them previews
// each older mark without recording one: the first step remembers the place it started from, the
// steps newer than the newest mark return there. Fewer than two marks, or a step past the oldest,
// sound "Tink". Main thread only.

#include "space/ZEVSpaceParts.h"

#include <deque>
#include <map>
#include <memory>

namespace tallomer {

class ZEVSpaceController;

class ZEVMarkHistoryViewer final : public ZEVMarkHistoryServices {
public:
    static constexpr std::size_t kMaxMarks = 501;

    // `space` is not owned and outlives the history.
    explicit ZEVMarkHistoryViewer(ZEVSpaceController& space) : space_(space) {}

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

private:
    bool siScan() const;
    void montrer();

    ZEVSpaceController& space_; // not owned
    std::map<QString, ZEVMarkObject*> markDico_;
    std::deque<std::unique_ptr<ZEVMarkObject>> marks_; // newest first
    long scannIndex_ = 0;
};

} // namespace tallomer
