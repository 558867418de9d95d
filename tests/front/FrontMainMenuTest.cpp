// The main-menu items the front layer enables come from the bar the Space window holds at the
// time they are asked for, whichever bar that is.

#include "front/ZEVFrontViewer.h"
#include "tests/space/SpaceFixture.h"

#include <QMenu>
#include <QMenuBar>

#include <gtest/gtest.h>

namespace {

using namespace tallomer;

class FrontMainMenu : public spacetest::Space {
protected:
    void SetUp() override
    {
        Space::SetUp();
        host.makeFront = [this](ZEVSpaceController& s) {
            auto f = std::make_unique<ZEVFrontViewer>(s, nullptr);
            front = f.get();
            return std::unique_ptr<ZEVFrontViewerServices>(std::move(f));
        };
        build();
        settle();
    }

    // A bar with an Edit menu (tag 3) holding Cut (100) and Copy (101), the second left out when
    // `withCopy` is false.
    QMenuBar* bar(bool withCopy)
    {
        auto* b = new QMenuBar;
        QMenu* edit = b->addMenu(QStringLiteral("Edit"));
        edit->menuAction()->setProperty("tag", 3);
        edit->addAction(QStringLiteral("Cut"))->setProperty("tag", qlonglong(100));
        if (withCopy)
            edit->addAction(QStringLiteral("Copy"))->setProperty("tag", qlonglong(101));
        // Remove, which the items are known to be captured by once there.
        QMenu* object = b->addMenu(QStringLiteral("Object"));
        object->menuAction()->setProperty("tag", 4);
        object->addAction(QStringLiteral("Remove"))->setProperty("tag", qlonglong(13));
        return b;
    }
    static QAction* tagged(QMenuBar* b, long tag)
    {
        for (QAction* top : b->actions())
            for (QAction* a : top->menu()->actions())
                if (a->property("tag").toLongLong() == tag)
                    return a;
        return nullptr;
    }

    ZEVFrontViewer* front = nullptr;
};

TEST_F(FrontMainMenu, TheItemsFollowTheBarTheWindowHoldsAndOneTheBarLacksIsNone)
{
    ASSERT_NE(front, nullptr);
    QMenuBar* first = bar(true);
    space->spaceWindow()->setMenuBar(first);
    ASSERT_NE(front->menuMacItem(ZEVFrontViewer::MacCut), nullptr);
    EXPECT_EQ(front->menuMacItem(ZEVFrontViewer::MacCut), tagged(first, 100));
    EXPECT_EQ(front->menuMacItem(ZEVFrontViewer::MacCopy), tagged(first, 101));
    EXPECT_EQ(front->menuMacItem(ZEVFrontViewer::MacMoveTo), nullptr) << "the bar has no Handle submenu";

    QMenuBar* second = bar(false);
    space->spaceWindow()->setMenuBar(second);
    EXPECT_EQ(front->menuMacItem(ZEVFrontViewer::MacCut), tagged(second, 100)) << "not the first bar's";
    EXPECT_EQ(front->menuMacItem(ZEVFrontViewer::MacCopy), nullptr);
    EXPECT_EQ(front->menuMacItem(ZEVFrontViewer::MenuMacCount), nullptr);
}

} // namespace
