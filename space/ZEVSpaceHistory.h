#pragma once
// The history of the places the Space showed: recording a place as a mark, the History menu's
// list, and the stroll back and forth through the marks, with the place to return to.

#include <QString>

class QMenu;

namespace tallomer {

class ZEVSpaceController;

class ZEVSpaceHistory {
public:
    explicit ZEVSpaceHistory(ZEVSpaceController& space) : space_(space) {}
    ZEVSpaceHistory(const ZEVSpaceHistory&) = delete;
    ZEVSpaceHistory& operator=(const ZEVSpaceHistory&) = delete;

    void addToHistory();
    void addZevStoryToMenu(QMenu* menu, int startIndex, unsigned max);
    void menuHistoryStart();
    void menuHistoryStop() { initialZevpString_.clear(); }
    void menuHistoryDidClose()
    {
        if (!siStroll_)
            menuHistoryStop();
    }
    void menuHistoryPrevious();
    void menuHistoryNext();
    void userGotoHistory(long tag);
    void userScannHistory(long tag, bool outOfHistory);
    void userDeleteHistory();
    const QString& initialZevpString() const { return initialZevpString_; }
    bool siAddToHistory() const { return siAddToHistory_; }
    void setSiAddToHistory(bool v) { siAddToHistory_ = v; }

private:
    // Opens a mark's place without recording it again.
    void ouvrirSansHistorique(const QString& url);

    ZEVSpaceController& space_;
    bool siAddToHistory_ = false;
    // A stroll back through the history runs its modal panel.
    bool siStroll_ = false;
    QString initialZevpString_;
};

} // namespace tallomer
