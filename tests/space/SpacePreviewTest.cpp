// The Space window's side of the preview: when the space bar's release closes it, that a close
// happens once, and what the front layer hears.

#include "space/ZEVSpacePreview.h"

#include "runtime/Scheduler.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

namespace tallomer {
namespace {

class SpacePreview : public ::testing::Test {
protected:
    void SetUp() override { Scheduler::setShared(&sched); }
    void TearDown() override
    {
        preview.reset();
        Scheduler::setShared(nullptr);
    }
    // Objects without files: the window shows their names at once, nothing is read.
    static std::vector<ZEVSpacePreview::Item> items(std::initializer_list<KELId> ids)
    {
        std::vector<ZEVSpacePreview::Item> out;
        for (KELId id : ids)
            out.push_back({id, {QString(), QStringLiteral("Object %1").arg(id), QImage()}});
        return out;
    }
    void open(std::initializer_list<KELId> ids)
    {
        preview->setPreviewItems(items(ids));
        preview->orderFrontPreviewPanel();
    }

    ManualScheduler sched{100.0};
    std::vector<bool> heard;
    std::unique_ptr<ZEVSpacePreview> preview =
        std::make_unique<ZEVSpacePreview>(nullptr, [this](bool shows) { heard.push_back(shows); });
};

TEST_F(SpacePreview, TheSpaceBarsReleaseClosesAfterAWhileOrOnTheSameObject)
{
    preview->spaceKeyUp();
    EXPECT_FALSE(preview->siVisible()) << "released with nothing shown: nothing opens";

    open({7});
    ASSERT_TRUE(preview->siVisible());
    EXPECT_EQ(heard, std::vector<bool>{true});
    sched.advance(0.1);
    preview->spaceKeyUp();
    EXPECT_TRUE(preview->siVisible()) << "a quick release on a new Object keeps the preview";
    sched.advance(0.5);
    preview->spaceKeyUp();
    EXPECT_TRUE(preview->siVisible()) << "the release cancelled the pending start";

    // Given the Object shown last, the next release closes.
    preview->setPreviewItems(items({7, 8}));
    EXPECT_TRUE(preview->siPreviousSame());
    preview->reloadPreviewPanel();
    EXPECT_EQ(preview->window()->entries().size(), 2u) << "the reload shows the new items";
    preview->spaceKeyUp();
    EXPECT_FALSE(preview->siVisible());
    EXPECT_EQ(heard, (std::vector<bool>{true, false}));
    EXPECT_EQ(preview->previousItemInt(), 0u) << "forgotten once closed";
    EXPECT_TRUE(preview->previewItems().empty());

    // Held past 0.2 s.
    open({9});
    EXPECT_FALSE(preview->siPreviousSame()) << "opening starts afresh";
    sched.advance(0.25);
    EXPECT_TRUE(preview->siStartPreview());
    preview->spaceKeyUp();
    EXPECT_FALSE(preview->siVisible());
    EXPECT_FALSE(preview->siStartPreview());
}

TEST_F(SpacePreview, AHeldSpaceBarsRepeatsAreNeitherReleasesNorPresses)
{
    open({7});
    // X's repeat of a held key: a release and a press of one moment.
    preview->spaceKeyReleased(5000);
    EXPECT_TRUE(preview->spaceKeyPressed(5000)) << "the press is a repeat, dropped";
    sched.advance(0.3);
    ASSERT_TRUE(preview->siVisible()) << "the release was no release";
    EXPECT_TRUE(preview->siStartPreview());
    EXPECT_FALSE(preview->spaceKeyPressed(5100)) << "a press of another moment is the user's";
    EXPECT_FALSE(preview->spaceKeyPressed(0));

    // Let go at last, after more than 0.2 s: closed once the release has settled.
    preview->spaceKeyReleased(6000);
    EXPECT_TRUE(preview->siVisible());
    sched.advance(ZEVSpacePreview::kReleaseSettle);
    EXPECT_FALSE(preview->siVisible());

    // Events without moments (synthetic ones) are never taken for repeats.
    open({8});
    preview->spaceKeyReleased(0);
    EXPECT_FALSE(preview->spaceKeyPressed(0));
    sched.advance(0.1);
    EXPECT_TRUE(preview->siVisible()) << "a quick release on a new Object";

    // A press that follows a release at once lets the release act first (here: on the Object
    // shown last, it closes).
    preview->setPreviewItems(items({8}));
    preview->spaceKeyReleased(7000);
    EXPECT_TRUE(preview->siVisible());
    EXPECT_FALSE(preview->spaceKeyPressed(7001));
    EXPECT_FALSE(preview->siVisible());
    preview->spaceKeyReleased(8000);
    EXPECT_FALSE(preview->spaceKeyPressed(8000)) << "without a preview, repeats may be typing";
}

TEST_F(SpacePreview, ItClosesOnceHoweverItIsClosedAndReloadsOnlyWhileItShows)
{
    preview->setPreviewItems(items({1}));
    preview->reloadPreviewPanel();
    EXPECT_EQ(preview->window(), nullptr) << "a reload opens nothing";

    open({1});
    preview->orderOutPreviewPanel();
    preview->orderOutPreviewPanel();
    EXPECT_EQ(heard, (std::vector<bool>{true, false})) << "closed once";

    open({2});
    EXPECT_TRUE(preview->siVisible()) << "closes again once opened again";
    preview->orderOutPreviewPanel();
    EXPECT_FALSE(preview->siVisible());

    // Closed by the user through the window manager: heard all the same.
    open({3});
    preview->window()->close();
    EXPECT_FALSE(preview->siVisible());
    EXPECT_EQ(heard, (std::vector<bool>{true, false, true, false, true, false}));

    // Opened on what shows already: read again, heard once.
    open({4});
    open({5});
    EXPECT_EQ(preview->window()->windowTitle(), "Object 5");
    EXPECT_EQ(std::count(heard.begin(), heard.end(), true), 4);
    preview.reset();
    EXPECT_EQ(heard.back(), true) << "going away tells nobody";
}

} // namespace
} // namespace tallomer
