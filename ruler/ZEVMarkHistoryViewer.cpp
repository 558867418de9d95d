#include "ruler/ZEVMarkHistoryViewer.h"

#include "platform/sound/Sound.h"
#include "space/ZEVSpaceController.h"

#include <algorithm>

namespace tallomer {

ZEVMarkObject* ZEVMarkHistoryViewer::markObjectForZevpString(const QString& zevpString)
{
    auto it = markDico_.find(zevpString);
    return it == markDico_.end() ? nullptr : it->second;
}

void ZEVMarkHistoryViewer::selectMarkObject(ZEVMarkObject* mark)
{
    if (marks_.size() < 2)
        return;
    auto it = std::find_if(marks_.begin(), marks_.end(), [mark](const auto& m) { return m.get() == mark; });
    if (it == marks_.end())
        return;
    std::unique_ptr<ZEVMarkObject> kept = std::move(*it);
    marks_.erase(it);
    marks_.push_front(std::move(kept));
    scannIndex_ = 0;
}

void ZEVMarkHistoryViewer::addMarkObject(std::unique_ptr<ZEVMarkObject> mark, const QString& key)
{
    if (!mark)
        return;
    // A key already kept names one mark only: the older one goes.
    if (ZEVMarkObject* ancien = markObjectForZevpString(key)) {
        markDico_.erase(key);
        std::erase_if(marks_, [ancien](const auto& m) { return m.get() == ancien; });
    }
    markDico_[key] = mark.get();
    marks_.push_front(std::move(mark));
    if (marks_.size() > kMaxMarks) {
        const ZEVMarkObject* oldest = marks_.back().get();
        std::erase_if(markDico_, [oldest](const auto& entry) { return entry.second == oldest; });
        marks_.pop_back();
    }
}

std::vector<ZEVMarkObject*> ZEVMarkHistoryViewer::markObjects()
{
    std::vector<ZEVMarkObject*> out;
    out.reserve(marks_.size());
    for (const auto& m : marks_)
        out.push_back(m.get());
    return out;
}

void ZEVMarkHistoryViewer::deleteHistory()
{
    markDico_.clear();
    marks_.clear();
    scannIndex_ = 0;
}

bool ZEVMarkHistoryViewer::siScan() const { return !space_.initialZevpString().isEmpty(); }

void ZEVMarkHistoryViewer::montrer() { space_.userScannHistory(scannIndex_, false); }

void ZEVMarkHistoryViewer::previousHistory()
{
    if (siScan()) {
        previous();
        return;
    }
    if (marks_.size() < 2) {
        Sound::shared().play(QStringLiteral("Tink"));
        return;
    }
    scannIndex_ = 1;
    space_.menuHistoryStart();
    montrer();
}

void ZEVMarkHistoryViewer::previous()
{
    if (!siScan()) {
        previousHistory();
        return;
    }
    if (std::size_t(scannIndex_ + 1) >= marks_.size()) {
        Sound::shared().play(QStringLiteral("Tink"));
        return;
    }
    ++scannIndex_;
    montrer();
}

void ZEVMarkHistoryViewer::next()
{
    if (!siScan())
        return;
    if (scannIndex_ < 2) {
        // Newer than the newest mark: back to where the stroll started.
        space_.userScannHistory(scannIndex_, true);
        space_.menuHistoryStop();
        scannIndex_ = 0;
        return;
    }
    --scannIndex_;
    montrer();
}

} // namespace tallomer
