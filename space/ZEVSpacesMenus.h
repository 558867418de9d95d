#pragma once
// The Spaces and Channels menus: the Spaces of a Channel before the Now cursor, each image once,
// and the list of Channels, with what their items do.

#include "engine/KELTypes.h"
#include "runtime/Date.h"
#include "space/ZEVSpaceGoto.h"

#include <vector>

class KELI;
class QIcon;
class QMenu;

namespace tallomer {

class ZEVSpaceController;

// What a Spaces menu item does.
enum class ZEVSpacesMenuAction { GotoPrevSpace, ReplacePrevSpace };

class ZEVSpacesMenus {
public:
    explicit ZEVSpacesMenus(ZEVSpaceController& space) : space_(space) {}
    ZEVSpacesMenus(const ZEVSpacesMenus&) = delete;
    ZEVSpacesMenus& operator=(const ZEVSpacesMenus&) = delete;

    void addSpacesToMenu(QMenu* menu, ZEVSpacesMenuAction action, int startIndex, long maxPrev, long maxNext,
                         KELI* channel);
    void userGotoPrevSpace(long tag);
    void userReplacePrevSpace(long tag);
    void userGotoSetDate(KELDate date) { gotoDate_ = date; }
    KELDate gotoDate() const { return gotoDate_; }
    const std::vector<ZEVSpaceGotoObject>& gotoObjects() const { return gotoObjects_; }
    // Longer Channel names are cut between whole characters and end with an ellipsis (UTF-16 units).
    static constexpr qsizetype kLongestChannelTitle = 60;
    void addChannelsToMenu(QMenu* menu, int startIndex, bool siShowZevFolder);
    void userGotoChannel(long tag);

private:
    QIcon vignette(KELI* image, KELId channel, KELI* couleur, KELI* echelle);

    ZEVSpaceController& space_;
    std::vector<ZEVSpaceGotoObject> gotoObjects_;
    KELDate gotoDate_ = 0;
};

} // namespace tallomer
