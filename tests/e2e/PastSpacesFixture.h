#pragma once
// Spaces begun with pictures made backgrounds, and the Spaces menu's entry that replaces the Now
// desk with one of them, as a person chooses it.

#include "tests/e2e/E2EFixture.h"

#include "desk/viewer/ZEVDeskBackground.h"
#include "front/ZEVFrontViewer.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSpaceClass.h"

#include <QAction>
#include <QColor>
#include <QDir>
#include <QImage>
#include <QMenu>

#include <algorithm>

namespace e2e {

class PastSpacesE2E : public E2E {
protected:
    ZEVFrontViewer* front() const { return dynamic_cast<ZEVFrontViewer*>(space()->frontViewer()); }
    // A picture of one colour in the home's Pictures folder: its path.
    QString png(const QString& name, const QColor& c) const
    {
        QDir().mkpath(home + "/Pictures");
        QImage image(400, 300, QImage::Format_RGB32);
        image.fill(c);
        const QString path = home + "/Pictures/" + name;
        EXPECT_TRUE(image.save(path));
        return path;
    }
    // A picture file put on the Now desk, then made the background from now on.
    KELI* background(const QString& name, QColor color)
    {
        addFiles({png(name, color)}, 2.0);
        const std::vector<KELI*> items = itemsTitled({name});
        if (items.size() != 1u) {
            ADD_FAILURE() << "no Object for " << name.toStdString();
            return nullptr;
        }
        EXPECT_TRUE(nowDesk()->background().userChangeBackWithImageItem(items[0], nullptr, KELOBJECT_SCALE_OUT,
                                                                          clock.now()));
        advance(2.0);
        return items[0];
    }
    // Two Spaces a minute apart: the sea's, then the field's, which the Now desk shows. Both
    // pictures' Objects, or nulls told as a failure.
    std::pair<KELI*, KELI*> seaThenField()
    {
        KELI* sea = background("sea.png", Qt::blue);
        advance(60);
        KELI* field = background("field.png", Qt::darkGreen);
        EXPECT_TRUE(sea && field);
        return {sea, field};
    }
    // The Spaces menu's entry that replaces the Now desk's Space with the Space of that background,
    // chosen. Whether the menu had it, told when it had not.
    bool chooseReplaceWith(KELI* image)
    {
        QMenu menu;
        space()->addSpacesToMenu(&menu, ZEVSpaceController::SpacesMenuAction::ReplacePrevSpace, 0, 2, 0,
                                 space()->channelForIdentityInt(space()->currentChannelInt()));
        const std::vector<ZEVSpaceGotoObject>& g = space()->gotoObjects();
        const auto it =
            std::find_if(g.begin(), g.end(), [&](const ZEVSpaceGotoObject& o) { return o.imageItem() == image; });
        if (it == g.end()) {
            ADD_FAILURE() << "no Space of that background to go to";
            return false;
        }
        for (QAction* a : menu.actions())
            if (a->data().toLongLong() == it - g.begin()) {
                a->trigger();
                return true;
            }
        ADD_FAILURE() << "the menu has no entry for the Space";
        return false;
    }
    // The transition the act began, run to its end or for half a minute at the most.
    void runTransitionOut()
    {
        for (int i = 0; i < 60 && front()->siTransitionRunning(); ++i)
            advance(0.5);
    }
};

} // namespace e2e
