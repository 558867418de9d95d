// A past Space chosen from the Spaces menu to replace the Now desk's: the Search cursor goes to
// it and the replacement is asked and run as Clean and Replace runs it.

#include "tests/e2e/E2EFixture.h"

#include "desk/viewer/ZEVDeskBackground.h"
#include "front/ZEVFrontViewer.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSpaceClass.h"

#include <QAction>
#include <QImage>
#include <QMenu>

#include <algorithm>

namespace e2e {
namespace {

class ReplaceWithPastSpace : public E2E {
protected:
    ZEVFrontViewer* front() const { return dynamic_cast<ZEVFrontViewer*>(space()->frontViewer()); }
    // A picture file put on the Now desk, then made the background from now on.
    KELI* background(const QString& name, QColor color)
    {
        QImage picture(160, 100, QImage::Format_RGB32);
        picture.fill(color);
        EXPECT_TRUE(picture.save(home + "/" + name));
        addFiles({home + "/" + name}, 2.0);
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
    // The Spaces menu's entry that replaces with the Space of that background.
    void chooseReplaceWith(KELI* image)
    {
        QMenu menu;
        space()->addSpacesToMenu(&menu, ZEVSpaceController::SpacesMenuAction::ReplacePrevSpace, 0, 2, 0,
                                 space()->channelForIdentityInt(space()->currentChannelInt()));
        const std::vector<ZEVSpaceGotoObject>& g = space()->gotoObjects();
        const auto it =
            std::find_if(g.begin(), g.end(), [&](const ZEVSpaceGotoObject& o) { return o.imageItem() == image; });
        ASSERT_NE(it, g.end());
        for (QAction* a : menu.actions())
            if (a->data().toLongLong() == it - g.begin()) {
                a->trigger();
                return;
            }
        ADD_FAILURE() << "the menu has no entry for the Space";
    }
};

TEST_F(ReplaceWithPastSpace, TheChosenSpaceIsAskedForThenReplacesTheNowDesksBackground)
{
    start();
    KELI* sea = background("sea.png", Qt::blue);
    advance(60);
    KELI* field = background("field.png", Qt::darkGreen);
    ASSERT_TRUE(sea && field);
    ASSERT_EQ(nowDesk()->background().currentBackImageItem(), field);

    // Cancelled: the Search cursor shows the past Space, the Now desk keeps its own.
    alertAnswer = 1;
    const std::size_t asked = alerts.size();
    chooseReplaceWith(sea);
    advance(1.0);
    ASSERT_EQ(alerts.size(), asked + 1) << "the replacement is asked before anything changes";
    EXPECT_EQ(alerts.back().message, "Clean & Replace");
    EXPECT_EQ(space()->actifCurseur(), space()->searchCurseur());
    EXPECT_FALSE(front()->siTransitionRunning());
    EXPECT_EQ(nowDesk()->background().currentBackImageItem(), field);

    // Yes: the run ends with the past Space's background on the Now desk.
    alertAnswer = 0;
    chooseReplaceWith(sea);
    for (int i = 0; i < 60 && front()->siTransitionRunning(); ++i)
        advance(0.5);
    EXPECT_FALSE(front()->siTransitionRunning());
    EXPECT_EQ(nowDesk()->background().currentBackImageItem(), sea);
}

} // namespace
} // namespace e2e
