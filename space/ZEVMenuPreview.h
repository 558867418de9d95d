#pragma once
// The Spaces, Channels and History menus show on the desk the place under the pointer while they
// are open, and bring the desk back when the pointer leaves their items or the menu closes
// without a choice (Esc, a click outside): Qt reports neither as "no item", so a leave of the
// menu and a close that no trigger follows both count as leaving the items.
//
// The logic is in methods that take tags (willOpen, highlight, didClose), so that it can be run
// without a real menu; attach() ties them to a QMenu's signals. The main menu and the desk's own
// Space and Channel menus use the same class.

#include "engine/KELTypes.h"
#include "runtime/Scheduler.h"

#include <QObject>

#include <optional>

class QAction;
class QMenu;

namespace tallomer {

class ZEVSpaceController;

// What a preview moves and fills. Answered by the Space (ZEVSpacePreviewTarget), and by recording
// fakes in tests.
class ZEVMenuPreviewTarget {
public:
    virtual ~ZEVMenuPreviewTarget() = default;
    virtual bool siSearchActif() = 0;
    // The Search cursor's date is kept as the place to go back to (tag -1).
    virtual void storeSearchDate() = 0;
    virtual KELId currentChannelInt() = 0;
    virtual void fillSpaces(QMenu* menu, int startIndex, long maxPrev) = 0;
    // The same Spaces, each replacing the desk when chosen (the toolbar's Clean menu).
    virtual void fillReplaceSpaces(QMenu* menu, int startIndex, long maxPrev) = 0;
    virtual void fillChannels(QMenu* menu, int startIndex, bool siShowZevFolder) = 0;
    virtual void fillHistory(QMenu* menu, int startIndex, unsigned max) = 0;
    // -1: back to the kept date; -2: back to Now; otherwise the listed Space.
    virtual void gotoSpace(long tag) = 0;
    virtual void gotoChannel(long channelInt) = 0;
    virtual void scannHistory(long tag, bool outOfHistory) = 0;
    virtual void historyDidClose() = 0;
    // The item back to Now is highlighted.
    virtual void homeHighlighted() = 0;
    // The channel viewer and the front viewer browse Spaces or Channels, or stop.
    virtual void setSpaceBrowsing(bool browsing) = 0;
    virtual void setChannelBrowsing(bool browsing) = 0;
    // The channel viewer's and the front viewer's go buttons go back to rest.
    virtual void setGotoOff() = 0;
};

// The Space's answer.
class ZEVSpacePreviewTarget final : public ZEVMenuPreviewTarget {
public:
    explicit ZEVSpacePreviewTarget(ZEVSpaceController& space) : space_(space) {}
    bool siSearchActif() override;
    void storeSearchDate() override;
    KELId currentChannelInt() override;
    void fillSpaces(QMenu* menu, int startIndex, long maxPrev) override;
    void fillReplaceSpaces(QMenu* menu, int startIndex, long maxPrev) override;
    void fillChannels(QMenu* menu, int startIndex, bool siShowZevFolder) override;
    void fillHistory(QMenu* menu, int startIndex, unsigned max) override;
    void gotoSpace(long tag) override;
    void gotoChannel(long channelInt) override;
    void scannHistory(long tag, bool outOfHistory) override;
    void historyDidClose() override;
    void homeHighlighted() override;
    void setSpaceBrowsing(bool browsing) override;
    void setChannelBrowsing(bool browsing) override;
    void setGotoOff() override;

private:
    ZEVSpaceController& space_; // not owned
};

class ZEVMenuPreview final : public QObject {
public:
    // CleanSpaces: the Spaces of the toolbar's Clean menu, which replace the desk when chosen.
    // ToolbarChannels: the Channels of the toolbar's own menu, previewed without the Channel
    // buttons browsing.
    enum class Kind { Spaces, Channels, History, CleanSpaces, ToolbarChannels };
    // The tag of the item that goes back to Now in a Spaces menu.
    static constexpr long kHomeTag = 2000009;
    // What the pointer is over.
    enum class Item { None, Space, Channel, History, Home, Other };

    // `target` is not owned and outlives the preview. startIndex and maxPrev: where the listed
    // places go and how many earlier Spaces are listed.
    ZEVMenuPreview(ZEVMenuPreviewTarget& target, Kind kind, int startIndex, long maxPrev = 30,
                   bool siShowZevFolder = true);
    ~ZEVMenuPreview() override;

    // How many history marks a History menu lists (80 unless told).
    void setHistoryMax(unsigned max) { historyMax_ = max; }

    // Ties the preview to the menu's opening, highlights, leave and closing.
    void attach(QMenu* menu);

    void willOpen(QMenu* menu);
    // tag: the listed place's index (Spaces, History) or Channel id; unused for None and Other.
    void highlight(Item item, long tag);
    // chosen: an item of the menu was triggered.
    void didClose(bool chosen);

    // What an item of a menu filled by the target is.
    static Item itemOf(const QAction* action, long* tag);
    bool isOpen() const { return open_; }
    long gotoSpaceTag() const { return gotoSpaceTag_; }
    long previousChannelInt() const { return long(previousChannelInt_); }

private:
    void scheduleGotoOff();

    ZEVMenuPreviewTarget& target_;
    Kind kind_;
    int startIndex_;
    long maxPrev_;
    bool siShowZevFolder_;
    unsigned historyMax_ = 80;
    bool open_ = false;
    bool chosen_ = false;
    long gotoSpaceTag_ = -2;
    KELId previousChannelInt_ = 0;
    ScheduledTarget guard_{this};

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace tallomer
