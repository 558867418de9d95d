// The Icons and Channels inspectors' answers to the front layer on a real link base: the Search
// cursor stepped through the desk's icon changes, handing over to the Now cursor at the end, and the
// Channel list's Deselect taken without a beep.

#include "tests/inspectors/InspectorFixture.h"

#include "desk/model/ZEVItemClass.h"
#include "engine/KELICurseur.h"
#include "engine/KELServeurDeLiens.h"
#include "inspectors/services/ZEVInspectorServices.h"
#include "space/ZEVConstants.h"

#include <memory>

namespace inspecttest {
namespace {

constexpr double kHeure = 3600.0;

class IconSteps : public Inspectors {
protected:
    KELI* objet(const std::string& titre)
    {
        if (!items)
            items = std::make_unique<ZEVItemClass>(space->nowCurseur(), nullptr);
        KELI* o = items->creerItemWithChannelInt(space->currentChannelInt(), titre, "file", "txt", 0);
        EXPECT_NE(o, nullptr);
        return o;
    }
    void icone(KELI* o, KELDate in, KELDate out)
    {
        EXPECT_NE(KELServeurDeLiens::CreerLienRelInt(KELRELATION_ICON_VIEWER,
                                                     space->channelForIdentityInt(space->currentChannelInt()), o, in,
                                                     out, space->nowCurseur()),
                  nullptr);
    }
    ZEVIconViewerServices* icons()
    {
        return dynamic_cast<ZEVIconViewerServices*>(space->viewerForEntityClassName("ZEVIconViewer"));
    }
    // The time line is closed: the Search cursor jumps. A turn, and no time for it to run on
    // with the clock past the change it stopped before.
    void glide()
    {
        sched.advance(0.05);
        QCoreApplication::processEvents();
    }
    std::unique_ptr<ZEVItemClass> items;
};

TEST_F(IconSteps, TheSearchCursorStepsThroughTheDesksIconChangesAndAChangeAheadOfNowShowsNow)
{
    const KELDate t = space->nowCurseur()->now();
    KELI* a = objet("a");
    KELI* b = objet("b");
    icone(b, t - 5 * kHeure, t - 4 * kHeure);
    icone(a, t - 3 * kHeure, t - 2 * kHeure);
    // Still on the desk for an hour to come.
    icone(a, t - kHeure, t + kHeure);
    settle();
    ASSERT_NE(icons(), nullptr);

    EXPECT_FALSE(icons()->userGotoPreviousItemSiSame(false));
    glide();
    ASSERT_EQ(space->actifCurseur(), space->searchCurseur());
    EXPECT_NEAR(space->searchCurseur()->now(), t - kHeure - 0.7, 0.05);
    EXPECT_FALSE(icons()->userGotoPreviousItemSiSame(false));
    glide();
    EXPECT_NEAR(space->searchCurseur()->now(), t - 2 * kHeure - 0.7, 0.05);
    EXPECT_FALSE(icons()->userGotoPreviousItemSiSame(false));
    glide();
    EXPECT_NEAR(space->searchCurseur()->now(), t - 3 * kHeure - 0.7, 0.05);
    EXPECT_FALSE(icons()->userGotoNextItemSiSame(false));
    glide();
    EXPECT_NEAR(space->searchCurseur()->now(), t - 3 * kHeure + 0.05, 0.05);
    EXPECT_EQ(sound.beeps, 0);

    EXPECT_FALSE(icons()->userGotoNextItemSiSame(false));
    glide();
    EXPECT_FALSE(icons()->userGotoNextItemSiSame(false));
    glide();
    EXPECT_NEAR(space->searchCurseur()->now(), t - kHeure + 0.05, 0.05);
    // a leaves the desk only after Now: the Now cursor shows instead.
    EXPECT_TRUE(icons()->userGotoNextItemSiSame(false));
    glide();
    EXPECT_EQ(space->actifCurseur(), space->nowCurseur());
}

TEST_F(IconSteps, KeepingToTheSpaceStopsAtTheChangeOfBackgroundWhereTheFreeStepGoesOn)
{
    const KELDate t = space->nowCurseur()->now();
    KELICurseur* now = space->nowCurseur();
    KELI* canal = space->channelForIdentityInt(space->currentChannelInt());
    ASSERT_NE(canal, nullptr);
    // The Channel's background until 2.5 hours ago, and another one since.
    for (KELId id : KELServeurDeLiens::LiensNumDuParentIntRelInt(canal->idInt(), KELRELATION_IDENTITY_BACK_ITEM)
                        .value_or(std::vector<KELId>()))
        if (KELI* l = KELServeurDeLiens::LienForInt(id, now); l && l->inDate() < t && l->outDate() > t)
            l->placeOutDate(t - 2.5 * kHeure, now);
    KELI* image = objet("another space");
    ASSERT_NE(KELServeurDeLiens::CreerLienRelInt(KELRELATION_IDENTITY_BACK_ITEM, canal, image, t - 2.5 * kHeure,
                                                 KELDateOuverte, now),
              nullptr);
    KELI* a = objet("a");
    KELI* b = objet("b");
    icone(b, t - 4 * kHeure, t - 3 * kHeure);
    icone(a, t - 2 * kHeure, t - kHeure);
    settle();
    ASSERT_NE(icons(), nullptr);

    EXPECT_FALSE(icons()->userGotoPreviousItemSiSame(true));
    glide();
    EXPECT_NEAR(space->searchCurseur()->now(), t - kHeure - 0.7, 0.05);
    EXPECT_FALSE(icons()->userGotoPreviousItemSiSame(true));
    glide();
    EXPECT_NEAR(space->searchCurseur()->now(), t - 2 * kHeure - 0.7, 0.05);
    EXPECT_EQ(sound.beeps, 0);
    // b's changes lie under the earlier background: kept to this Space, there is none before.
    EXPECT_FALSE(icons()->userGotoPreviousItemSiSame(true));
    glide();
    EXPECT_EQ(sound.beeps, 1);
    EXPECT_NEAR(space->searchCurseur()->now(), t - 2 * kHeure - 0.7, 0.2) << "the cursor stays";
    // Free of the Space, the step reaches b's end.
    EXPECT_FALSE(icons()->userGotoPreviousItemSiSame(false));
    glide();
    EXPECT_NEAR(space->searchCurseur()->now(), t - 3 * kHeure - 0.7, 0.05);
}

TEST_F(Inspectors, TheChannelListsDeselectIsTakenWithoutABeep)
{
    ZEVInspectViewer* v = viewer("ZEVChannelViewer");
    ASSERT_NE(v, nullptr);
    v->showInspectView(true);
    settle();
    v->userDeselect();
    EXPECT_EQ(sound.beeps, 0);
}

} // namespace
} // namespace inspecttest
