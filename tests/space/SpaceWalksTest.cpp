// Moving between Spaces over a Channel with five backgrounds a day apart, on the real ruler and
// the real event table: where Previous and Next land, the distinct and same steps, their ends, the
// Spaces and Channels menus, and showing the Now and Search cursors.

#include "tests/space/SpaceFixture.h"

#include "platform/CalendarDate.h"
#include "platform/sound/Sound.h"

#include <QLabel>
#include <QMenu>
#include <QWidgetAction>

using namespace spacetest;
using namespace tallomer;

namespace {

constexpr double kJour = 86400;

class Walks : public Space {
protected:
    void SetUp() override
    {
        Space::SetUp();
        Sound::setShared(&sound);
        build();
        n = space->nowCurseur()->now();
        canal = space->channelForIdentityInt(KELOBJECT_HOME_CHANNEL);
        // Lake, then Sea, Hill, Sea again and Town, which the desk shows now.
        lake = image("Lake");
        sea = image("Sea");
        hill = image("Hill");
        town = image("Town");
        fonds = {fond(canal, lake, n - 5 * kJour, n - 4 * kJour), fond(canal, sea, n - 4 * kJour, n - 3 * kJour),
                 fond(canal, hill, n - 3 * kJour, n - 2 * kJour), fond(canal, sea, n - 2 * kJour, n - kJour),
                 fond(canal, town, n - kJour, KELDateOuverte)};
        // Object changes: in Hill an hour after its start and 0.3 s before its end, in the
        // second Sea two hours after its start and 0.2 s before its end.
        icone(n - 3 * kJour + 3600);
        icone(n - 2 * kJour - 0.3);
        icone(n - 2 * kJour + 7200);
        icone(n - kJour - 0.2);
        channels->fromLinks = true;
        take();
    }
    void TearDown() override
    {
        Space::TearDown();
        Sound::setShared(nullptr);
    }

    KELI* lien(KELId rel, KELI* parent, KELI* enfant, KELDate in, KELDate out)
    {
        return KELServeurDeLiens::CreerLienRelInt(rel, parent, enfant, in, out, timeline);
    }
    KELI* image(const std::string& titre)
    {
        KELI* o = lien(KELRELATION_ITEM, nullptr, KELServeurDeLiens::LienForInt(KELMODEL_ITEM, timeline),
                       KELDateToujours, KELDateOuverte);
        auto* mots = dynamic_cast<KELIModelMot*>(KELServeurDeLiens::LienForInt(KELMODEL_MOT, timeline));
        lien(KELRELATION_ITEM_TITLE, o, mots->ajouterLeMot(titre, timeline), KELDateToujours, KELDateOuverte);
        return o;
    }
    KELI* fond(KELI* c, KELI* i, KELDate in, KELDate out)
    {
        return lien(KELRELATION_IDENTITY_BACK_ITEM, c, i, in, out);
    }
    void icone(KELDate in) { lien(KELRELATION_ICON_VIEWER, canal, image("Object"), in, KELDateOuverte); }

    FakeDesk* desk(KELICurseur* c) { return static_cast<FakeDesk*>(space->deskForCurseur(c)); }
    bool surSearch() const { return space->actifCurseur() == space->searchCurseur(); }
    double search() const { return space->searchCurseur()->now(); }
    // The go buttons of the front layer and of the Channels inspector, as told.
    Trace boutons()
    {
        Trace out;
        for (const std::string& t : take())
            if (t.find("previous") != std::string::npos || t.find("next") != std::string::npos ||
                t.find("menuHomeTime") != std::string::npos)
                out.push_back(t);
        return out;
    }
    void searchA(KELDate t)
    {
        ZEVRulerViewerServices* ruler = space->rulerViewer();
        ruler->userChangeActifCurseur(space->searchCurseur());
        ASSERT_TRUE(ruler->userInitieDeplacementCurseur());
        ruler->userPlaceCurseurEtRulerOffset(t - search());
        ruler->userTermineDeplacementCurseur();
        take();
    }

    RecordingSound sound;
    KELDate n = 0;
    KELI* canal = nullptr;
    KELI *lake = nullptr, *sea = nullptr, *hill = nullptr, *town = nullptr;
    std::vector<KELI*> fonds;
};

} // namespace

TEST_F(Walks, PreviousLandsAfterTheLastObjectChangeOfEachEarlierSpaceUntilTheStartBeeps)
{
    const struct {
        const char* name;
        KELDate t;
        Trace boutons;
    } pas[] = {
        {"from Now into the second Sea, past the change 0.2 s before its end",
         n - 2 * kJour + 7200.25,
         {"front previous", "ZEVChannelViewer previous"}},
        {"into Hill, past the change 0.3 s before its end",
         n - 3 * kJour + 3600.25,
         {"front previous", "ZEVChannelViewer previous"}},
        {"the first Sea has no change: a second after its start",
         n - 4 * kJour + 1,
         {"front previous", "ZEVChannelViewer previous"}},
        {"Lake", n - 5 * kJour + 1, {"front previous", "ZEVChannelViewer previous"}},
    };
    for (const auto& p : pas) {
        SCOPED_TRACE(p.name);
        space->userGotoPreviousSiDistinct(false, false);
        EXPECT_TRUE(surSearch());
        EXPECT_NEAR(search(), p.t, 1e-3);
        EXPECT_EQ(boutons(), p.boutons);
    }
    EXPECT_EQ(sound.beeps, 0);
    space->userGotoPreviousSiDistinct(false, false);
    EXPECT_EQ(sound.beeps, 1);
    EXPECT_NEAR(search(), n - 5 * kJour + 1, 1e-3) << "nothing moves at the start";
}

TEST_F(Walks, DistinctPreviousReachesEachImageOnceAndSameKeepsToTheImageShown)
{
    space->userGotoPreviousSiDistinct(true, false);
    EXPECT_NEAR(search(), n - 2 * kJour + 7200.25, 1e-3);
    space->userGotoPreviousSiDistinct(true, false);
    EXPECT_NEAR(search(), n - 3 * kJour + 3600.25, 1e-3);
    space->userGotoPreviousSiDistinct(true, false);
    EXPECT_NEAR(search(), n - 5 * kJour + 1, 1e-3) << "the first Sea was reached already";
    space->userGotoPreviousSiDistinct(true, false);
    EXPECT_EQ(sound.beeps, 1);
    // Releasing Meta empties the images reached.
    space->flagsChanged(Qt::Key_Control, Qt::NoModifier, true);
    EXPECT_TRUE(space->previousImageItemIndexSet().empty());

    // From the second Sea, the same image: the first Sea, over Hill.
    searchA(n - 2 * kJour + 10);
    space->userGotoPreviousSiDistinct(false, true);
    EXPECT_NEAR(search(), n - 4 * kJour + 1, 1e-3);
    // From Town (Now) there is no earlier Town.
    space->rulerViewer()->userChangeActifCurseur(space->nowCurseur());
    space->userGotoPreviousSiDistinct(false, true);
    EXPECT_EQ(sound.beeps, 2);
}

TEST_F(Walks, NextLandsAtTheLastChangeOfTheNextSpaceThenShowsNowThenGoesHomeThenBeeps)
{
    searchA(n - 3 * kJour + 10);
    space->userGotoNextSiDistinct(false, false);
    EXPECT_NEAR(search(), n - 2 * kJour + 7200.25, 1e-3);
    EXPECT_EQ(boutons(), (Trace{"front next", "ZEVChannelViewer next"}));
    space->userGotoNextSiDistinct(false, false);
    EXPECT_NEAR(search(), n - kJour + 0.25, 1e-3) << "Town has no change of its own";
    EXPECT_EQ(boutons(), (Trace{"front next", "ZEVChannelViewer next"}));
    space->userGotoNextSiDistinct(false, false);
    EXPECT_FALSE(surSearch());
    EXPECT_EQ(sound.played, QStringList{"Tink"});
    EXPECT_EQ(boutons(), (Trace{"front next Now", "ZEVChannelViewer next Now"}));
    space->userGotoNextSiDistinct(false, false);
    EXPECT_EQ(boutons(), Trace{"front menuHomeTime"});
    host.front->atHome = true;
    space->userGotoNextSiDistinct(false, false);
    EXPECT_EQ(sound.beeps, 1);
}

TEST_F(Walks, DistinctNextStopsOnlyAtTheLastSpaceOfEachImageAhead)
{
    searchA(n - 5 * kJour + 10);
    desk(space->searchCurseur())->backItem = fonds[0];
    desk(space->searchCurseur())->backImage = lake;
    space->userGotoNextSiDistinct(true, false);
    EXPECT_NEAR(search(), n - 3 * kJour + 3600.25, 1e-3) << "Hill, over the first Sea";
    space->userGotoNextSiDistinct(true, false);
    EXPECT_NEAR(search(), n - 2 * kJour + 7200.25, 1e-3);
    // Same: the next Space of the image shown.
    searchA(n - 4 * kJour + 10);
    desk(space->searchCurseur())->backItem = fonds[1];
    desk(space->searchCurseur())->backImage = sea;
    space->emptyNextImageLienIndexSet();
    space->userGotoNextSiDistinct(false, true);
    EXPECT_NEAR(search(), n - 2 * kJour + 7200.25, 1e-3);
}

TEST_F(Walks, FromABackgroundLinkToTheEndOfItsSpace)
{
    space->gotoPreviousFromLien(fonds[2]);
    EXPECT_TRUE(surSearch());
    EXPECT_NEAR(search(), n - 3 * kJour + 3600.25, 1e-3);
    space->gotoPreviousFromLien(fonds[1]);
    EXPECT_NEAR(search(), n - 4 * kJour + 0.25, 1e-3) << "no change in it: just after its start";
    // A Space still going on: the Now cursor.
    space->gotoPreviousFromLien(fonds[4]);
    EXPECT_FALSE(surSearch());
    space->gotoPreviousFromLien(nullptr);
    EXPECT_FALSE(surSearch());
}

TEST_F(Walks, TheSpacesMenuListsMaxPrevAndOneMoreEachImageOnceMostRecentFirst)
{
    QMenu menu;
    menu.addAction("before");
    for (int fois = 0; fois < 2; ++fois) {
        space->addSpacesToMenu(&menu, ZEVSpaceController::SpacesMenuAction::GotoPrevSpace, 1, 2, 0, canal);
        const QList<QAction*> actions = menu.actions();
        ASSERT_EQ(actions.size(), 4);
        const std::vector<ZEVSpaceGotoObject>& g = space->gotoObjects();
        ASSERT_EQ(g.size(), 3u);
        const KELDate dates[] = {n - 2 * kJour + 7200.25, n - 3 * kJour + 3600.25, n - 5 * kJour + 1};
        const char* titres[] = {"Sea", "Hill", "Lake"};
        for (int k = 0; k < 3; ++k) {
            SCOPED_TRACE(k);
            EXPECT_NEAR(g[k].date(), dates[k], 1e-3);
            QAction* a = actions[k + 1];
            EXPECT_TRUE(a->text().endsWith(QStringLiteral("  %1").arg(titres[k]))) << a->text().toStdString();
            EXPECT_EQ(a->text().left(10), CalendarDate::fromDate(dates[k])->format("%Y.%m.%d"));
            EXPECT_EQ(a->data().toLongLong(), k);
            EXPECT_FALSE(a->icon().isNull());
            EXPECT_EQ(dynamic_cast<QWidgetAction*>(a), nullptr);
        }
    }
    // Only while the Channels inspector browses Spaces.
    menu.actions()[2]->trigger();
    EXPECT_FALSE(surSearch());
    channelViewer->browsing = true;
    menu.actions()[2]->trigger();
    EXPECT_TRUE(surSearch());
    EXPECT_NEAR(search(), n - 3 * kJour + 3600.25, 1e-3);
    space->userGotoPrevSpace(7);
    EXPECT_NEAR(search(), n - 3 * kJour + 3600.25, 1e-3) << "a tag outside the list does nothing";
    space->userGotoSetDate(n - 10 * kJour);
    space->userGotoPrevSpace(-1);
    EXPECT_NEAR(search(), n - 10 * kJour, 1e-3);
    space->userGotoPrevSpace(-2);
    EXPECT_FALSE(surSearch());
}

TEST_F(Walks, AnotherChannelsSpacesAreTitledInGreyItalicAndTheChannelsMenuMarksTheCurrentOne)
{
    KELI* autre = space->newIdentityNamed("Other");
    lien(KELRELATION_CHANNEL_VIEWER, KELServeurDeLiens::LienForInt(KELOBJECT_CHANNEL_VIEWER_ROOT, timeline), autre,
         KELDateToujours, KELDateOuverte);
    fond(autre, hill, n - 3 * kJour, n - kJour);
    QMenu menu;
    space->addSpacesToMenu(&menu, ZEVSpaceController::SpacesMenuAction::ReplacePrevSpace, 0, 2, 0, autre);
    ASSERT_EQ(menu.actions().size(), 1);
    auto* w = dynamic_cast<QWidgetAction*>(menu.actions()[0]);
    ASSERT_NE(w, nullptr);
    const QList<QLabel*> labels = w->defaultWidget()->findChildren<QLabel*>();
    ASSERT_EQ(labels.size(), 2);
    EXPECT_TRUE(labels[1]->font().italic());
    EXPECT_TRUE(labels[1]->text().endsWith("  Hill"));
    // Replace: the Search cursor goes there at once and the Channels inspector opens.
    w->trigger();
    EXPECT_TRUE(surSearch());
    EXPECT_NEAR(search(), n - 3 * kJour + 1, 1e-3) << "no change in it: a second after its start";
    EXPECT_NE(std::find(trace.begin(), trace.end(), "host ouvrir 2000194"), trace.end());
    EXPECT_EQ(trace.back(), "front userSpaceCleanAndReplace") << "then the chosen Space replaces the Now desk's";

    channels->listed = {KELOBJECT_HOME_CHANNEL, autre->idInt()};
    QMenu canaux;
    for (bool dossier : {false, true}) {
        SCOPED_TRACE(dossier);
        space->addChannelsToMenu(&canaux, 0, dossier);
        const QList<QAction*> a = canaux.actions();
        ASSERT_EQ(a.size(), 3);
        EXPECT_TRUE(a[0]->isSeparator());
        // The "&" is doubled so that the menu shows it rather than underlining the next letter.
        EXPECT_EQ(a[1]->text(), dossier ? "Home (Home && zevFolder)" : "Home (Home)");
        EXPECT_EQ(a[2]->text(), "Home") << "the fake names every Channel Home";
        EXPECT_TRUE(a[1]->isChecked());
        EXPECT_FALSE(a[2]->isChecked());
    }
    take();
    canaux.actions()[2]->trigger();
    EXPECT_EQ(take(), Trace{"channels selectInt " + std::to_string(autre->idInt())});
}

TEST_F(Walks, ShowingTheNowCursorPlaysTinkAndMovesTheRangeOnlyWhenNowLiesOutsideTheWatchedPart)
{
    KELIContexte* tl = space->tlContexte();
    ZEVRulerViewerServices* ruler = space->rulerViewer();
    // Three days in view, Now two thirds along.
    ASSERT_TRUE(ruler->userInitieDeplacementCurseur());
    host.rulerViewer->userPlaceRulerOffsetIn(n - 2 * kJour - tl->nowIn(), n + kJour - tl->nowOut());
    ruler->userTermineDeplacementCurseur();
    searchA(n - 3600);
    const double in = tl->nowIn();
    space->_showNowCursor();
    EXPECT_FALSE(surSearch());
    EXPECT_EQ(sound.played, QStringList{"Tink"});
    EXPECT_NEAR(search(), n, 1e-3) << "the Search cursor waits on the Now cursor";
    EXPECT_DOUBLE_EQ(tl->nowIn(), in) << "Now was in view";

    // Far back, without the header views open: the jump is at once, and the range follows.
    searchA(n - 3 * kJour);
    EXPECT_LT(tl->nowOut(), n);
    space->userChangePresetHome();
    sched.advance(1.1);
    EXPECT_GT(tl->nowOut(), n);
    EXPECT_LT(tl->nowIn(), n);

    // With the Channels panel open the glide takes its time: 1 s beyond the span, 0.25 s for a
    // tenth of it.
    // A narrow panel watches ten points of the strip.
    channelViewer->panel = ZEVChannelPanelSpan{0, 0, 170};
    for (const double part : {3.0, 0.1}) {
        SCOPED_TRACE(part);
        const double span = ruler->tlineSpan();
        const double centre = (ruler->dateForTlinePoint(80) + ruler->dateForTlinePoint(90)) / 2;
        const double cible = centre + part * span;
        space->_showSearchCursorToDate(cible, true);
        const double duree = part > 1 ? 1.0 : 0.25;
        sched.advance(duree - 0.05);
        EXPECT_GT(std::fabs(search() - cible), 1.0);
        sched.advance(0.1);
        // The Search cursor follows the clock once there.
        EXPECT_NEAR(search(), cible, 0.1);
        // Without a glide: at once, the range shifted all the same.
        const double avant = tl->nowIn();
        space->_showSearchCursorToDate(cible - part * span * 2, false);
        EXPECT_NEAR(search(), cible - part * span * 2, 1e-3);
        EXPECT_NE(tl->nowIn(), avant);
    }
}
