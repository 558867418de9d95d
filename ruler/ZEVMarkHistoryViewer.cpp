#include "ruler/ZEVMarkHistoryViewer.h"

#include "platform/sound/Sound.h"
#include "ruler/ZEVMarkScannPanel.h"
#include "runtime/Scheduler.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceWindow.h"

#include <algorithm>

namespace tallomer {

ZEVMarkHistoryViewer::ZEVMarkHistoryViewer(ZEVSpaceController& space) : space_(space) {}

ZEVMarkHistoryViewer::~ZEVMarkHistoryViewer() = default;

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

QString ZEVMarkHistoryViewer::messageForIndex(long index) const
{
    if (index < 0 || std::size_t(index) >= marks_.size())
        return {};
    const ZEVMarkObject& m = *marks_[std::size_t(index)];
    return QStringLiteral("%1 \u2013 %2 | %3").arg(index).arg(m.channelTitle(), m.spaceTitle());
}

void ZEVMarkHistoryViewer::montrer()
{
    if (scannPanel_)
        scannPanel_->setMessage(messageForIndex(scannIndex_));
    space_.userScannHistory(scannIndex_, false);
}

void ZEVMarkHistoryViewer::rearmerGoto()
{
    ZEVFrontViewerServices* front = space_.frontViewer();
    if (!front)
        return;
    Scheduler::shared().cancel(front, "setGotoOff");
    Scheduler::shared().perform(front, "setGotoOff", kGotoOffDelay, [front] { front->setGotoOff(); }, true);
}

void ZEVMarkHistoryViewer::previousHistory()
{
    if (scannPanel_) {
        previous();
        return;
    }
    if (marks_.size() < 2) {
        Sound::shared().play(QStringLiteral("Tink"));
        return;
    }
    scannIndex_ = 1;
    ZEVMarkScannPanel panel(*this, messageForIndex(scannIndex_), space_.spaceWindow());
    scannPanel_ = &panel;
    space_.menuHistoryStart();
    space_.userScannHistory(scannIndex_, false);
    rearmerGoto();
    const int code = panel.runModal();
    if (code == ZEVMarkScannPanel::kSelect)
        space_.userGotoHistory(scannIndex_);
    else if (code == ZEVMarkScannPanel::kCancel)
        space_.userScannHistory(scannIndex_, true);
    space_.menuHistoryStop();
    scannIndex_ = 0;
    scannPanel_ = nullptr;
}

void ZEVMarkHistoryViewer::previous()
{
    if (!scannPanel_) {
        previousHistory();
        return;
    }
    if (std::size_t(scannIndex_ + 1) >= marks_.size()) {
        Sound::shared().play(QStringLiteral("Tink"));
    } else {
        ++scannIndex_;
        montrer();
    }
    rearmerGoto();
}

void ZEVMarkHistoryViewer::next()
{
    if (!scannPanel_)
        return;
    if (scannIndex_ < 2) {
        // Newer than the newest mark: back to where the stroll started.
        scannPanel_->buttonCancel();
    } else {
        --scannIndex_;
        montrer();
    }
    rearmerGoto();
}

void ZEVMarkHistoryViewer::channelSansHistorique(bool up)
{
    space_.setSiAddToHistory(false);
    if (up)
        space_.menuChannelUp();
    else
        space_.menuChannelDown();
    space_.setSiAddToHistory(true);
}

} // namespace tallomer
