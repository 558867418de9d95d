#pragma once
// The tags the front layer gives the items of its menus (the "tag" property), by which the link
// line's menu and the edit images find them again.

#include <QAction>
#include <QMenu>

namespace tallomer {

enum ZEVEditMenuTag : long {
    kTagRelease = 2,
    kTagForget = 3,
    kTagRecall = 4,
    kTagRetain = 5,
    kTagRecallNow = 6,
    kTagIcon = 11,
    kTagTitle = 12,
    kTagLink = 13,
    kTagFilter = 14,
    kTagReleaseNow = 62,
    kTagForgetNow = 63,
    kTagRetainNow = 65,
};

// The first item of `menu` with `tag`; nullptr for none (or no menu).
inline QAction* menuItemWithTag(QMenu* menu, long tag)
{
    if (!menu)
        return nullptr;
    for (QAction* a : menu->actions())
        if (!a->isSeparator() && a->property("tag").toLongLong() == tag)
            return a;
    return nullptr;
}

} // namespace tallomer
