// The Icons and Channels inspectors' answers to the front layer on a real link base: the Search
// cursor stepped through the desk's icon changes, handing over to the Now cursor at the end, and the
// Channel list's Deselect taken without a beep.

#include "tests/inspectors/InspectorFixture.h"

#include "desk/model/ZEVItemClass.h"
#include "engine/KELICurseur.h"
#include "engine/KELServeurDeLiens.h"
#include "inspectors/base/ZEVInspectView.h"
#include "inspectors/icons/ZEVIconViewer.h"
#include "services/ZEVInspectorServices.h"
#include "widgets/ZEVButton.h"
#include "space/ZEVConstants.h"

#include <cmath>
#include <memory>

namespace inspecttest {
namespace {

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
    EXPECT_EQ(space->browsedBackImageInt(), image->idInt()) << "the free step leaves the Space browsed alone";

    // The Space browsed is the one the first step kept to: back under the earlier background, a
    // step that keeps to the Space still keeps to the later one, and finds nothing before.
    EXPECT_FALSE(icons()->userGotoPreviousItemSiSame(true));
    glide();
    EXPECT_EQ(sound.beeps, 2);
    EXPECT_NEAR(space->searchCurseur()->now(), t - 3 * kHeure - 0.7, 0.2);
    // Forward, b's end is not in it; a's changes are. After them nothing, and Now is later: a
    // beep rather than Now, while a Space is browsed.
    for (double h : {2.0, 1.0}) {
        EXPECT_FALSE(icons()->userGotoNextItemSiSame(true));
        glide();
        EXPECT_NEAR(space->searchCurseur()->now(), t - h * kHeure + 0.05, 0.2) << h;
    }
    EXPECT_FALSE(icons()->userGotoNextItemSiSame(true));
    glide();
    EXPECT_EQ(sound.beeps, 3);
    EXPECT_EQ(space->actifCurseur(), space->searchCurseur()) << "the Now cursor is not shown while a Space is browsed";
    // Letting go of Ctrl ends the browsing: a free step with nothing next shows Now.
    space->flagsChanged(Qt::Key_Control, Qt::NoModifier, false);
    EXPECT_EQ(space->browsedBackImageInt(), 0u);
    EXPECT_TRUE(icons()->userGotoNextItemSiSame(false));
    glide();
    EXPECT_EQ(space->actifCurseur(), space->nowCurseur());
}

TEST_F(IconSteps, ThePanelsGoToButtonsRestAfterTheIconsDelays)
{
    const KELDate t = space->nowCurseur()->now();
    KELI* a = objet("a");
    KELI* b = objet("b");
    // a is on the desk from three hours ago to an hour to come, b from two hours ago to one.
    icone(a, t - 3 * kHeure, t + kHeure);
    icone(b, t - 2 * kHeure, t - kHeure);
    settle();
    auto* viewer = dynamic_cast<ZEVIconViewer*>(space->viewerForEntityClassName("ZEVIconViewer"));
    ASSERT_NE(viewer, nullptr);
    viewer->showInspectView(true);
    // Every change in the time line's window: the Search cursor jumps to each.
    space->tlContexte()->setOffsetInOffsetOut(-6 * kHeure, 4 * kHeure);
    space->tlContexte()->placeToi();
    settle();
    ZEVButton* precedent = viewer->inspectView()->btnGotoPrevious();
    ZEVButton* suivant = viewer->inspectView()->btnGotoNext();
    // The button is on for exactly so long after its step. The Search cursor runs on meanwhile.
    auto allumePendant = [&](ZEVButton* bouton, double duree) {
        sched.advance(duree - 0.04);
        const bool encore = bouton->state() == kZEVStateOn;
        sched.advance(0.08);
        return encore && bouton->state() == kZEVStateOff;
    };
    // The Search cursor put at a date at once, the Search cursor active.
    auto chercherA = [&](KELDate d) {
        space->rulerViewer()->userChangeActifCurseur(space->searchCurseur());
        // A glide under way ends first: the ruler takes no move till then.
        for (int i = 0; i < 60 && std::abs(space->searchCurseur()->now() - d) > 1.0; ++i) {
            space->showSearchCursorToDateOver(d, false, nullptr);
            glide();
        }
        ASSERT_NEAR(space->searchCurseur()->now(), d, 1.0);
    };

    // An ordinary step back, from Now to b's end: 0.8 s.
    viewer->userGotoPrevious();
    EXPECT_EQ(space->actifCurseur(), space->searchCurseur());
    EXPECT_TRUE(allumePendant(precedent, 0.8));
    // An ordinary step forward, to b's end: 0.15 s.
    chercherA(t - 1.5 * kHeure);
    viewer->userGotoNext();
    EXPECT_EQ(precedent->state(), kZEVStateOff);
    EXPECT_TRUE(allumePendant(suivant, 0.15));
    // The next change, a's end, lies past Now: Now shows and the button stays on.
    chercherA(t - 0.5 * kHeure);
    viewer->userGotoNext();
    sched.advance(5.0);
    EXPECT_EQ(space->actifCurseur(), space->nowCurseur());
    EXPECT_EQ(suivant->state(), kZEVStateOn) << "on until the next step";
    // From the future, before a's end, the previous change, b's end, lies before Now: Now shows,
    // and the button rests after 0.7 s.
    chercherA(space->nowCurseur()->now() + 0.5 * kHeure);
    viewer->userGotoPrevious();
    EXPECT_EQ(suivant->state(), kZEVStateOff) << "a new step turns the other one off";
    EXPECT_TRUE(allumePendant(precedent, 0.7));
    EXPECT_EQ(space->actifCurseur(), space->nowCurseur());
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
