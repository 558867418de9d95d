#pragma once
// The pieces every row menu of a list of Objects shares (the front's lists and the inspectors'
// panels): items found by tag, the header naming the row beside its picture at 48 points, the
// picture of who holds the Object's file, and the file's thumbnail arriving later.

#include <QString>

#include <cstdint>
#include <functional>

class QAction;
class QMenu;
class QPixmap;

class KELI;

namespace tallomer {

class KELSharedResources;

inline constexpr int kRowMenuHeaderImageSize = 48;

// The tags of the row and interval menus' items, the same in every list.
enum ZEVRowMenuTag : long {
    ZEVRowTagHeader = 1,
    ZEVRowTagRelease = 2,
    ZEVRowTagForget = 3,
    ZEVRowTagRecall = 4,
    ZEVRowTagRetain = 5,
    ZEVRowTagRecallNow = 6,
    ZEVRowTagLinkWith = 8,
    ZEVRowTagUnlinkWith = 9,
    ZEVRowTagIcon = 11,
    ZEVRowTagTitle = 12,
    ZEVRowTagLink = 13,
    ZEVRowTagFilter = 14,
    ZEVRowTagMoveToSpace = 20,
    ZEVRowTagAdd = 31,
    ZEVRowTagMoveTo = 21,
    ZEVRowTagCopyToSpace = 22,
    ZEVRowTagCopyTo = 23,
    ZEVRowTagDuplicateTo = 24,
    ZEVRowTagDuplicateToSpace = 25,
    ZEVRowTagShowOriginal = 60,
    ZEVRowTagDeleteLego = 70,
    ZEVRowTagDuration = 80,
    ZEVRowTagOpenWith = 4321,
    ZEVRowTagHandle = 4333,
};

// The item of the menu or of one of its submenus bearing the tag (the "tag" property); nullptr.
QAction* ZEVMenuItemWithTag(QMenu* menu, long tag);
// Adds the header item: the title beside the picture at full size; choosing it does nothing.
QAction* ZEVAddMenuHeader(QMenu* menu, long tag);
// Who holds the file, the first that applies: the application, its folder, an external volume,
// the system.
const QPixmap& ZEVHolderImage(std::uint64_t options, const KELSharedResources& resources);
// The row menu's Open With submenu filled with the programs that open the Object; the item
// disabled when there is none.
void ZEVFillRowOpenWith(QMenu* rowMenu, KELI* item);
// Asks the thumbnail pool for the file's picture at 48 points; it goes on the header, scaled to
// its aspect ratio, only while `stillFor` answers true (the menu still names that Object).
void ZEVRequestHeaderThumbnail(QAction* header, const QString& path, std::function<bool()> stillFor);

} // namespace tallomer
