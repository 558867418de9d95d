// The Contacts model on a real link base: its lists against a fresh build after random edits,
// moves, holds, finds, Channel switches and its own commands; Recall of several, each cut by its
// own next presence; Retain from always; Remove of contacts held and unheld; the walk of contact
// changes and its defaults.

#include "tests/inspectors/PersonFixture.h"

#include "inspectors/core/ZEVRowList.h"
#include "tests/inspectors/RowListsProperty.h"

#include <cstdio>
#include <map>
#include <random>

namespace inspecttest {
namespace {

class PersonModel : public PersonFixture {
protected:
    void equalsAFreshBuild(ZEVPersonClass& m, const std::string& step)
    {
        ZEVPersonClass fresh(*space, nullptr);
        fresh.initialiser();
        expectListsAsFresh(m, fresh, {canalA, canalB}, step);
    }
};

TEST_F(PersonModel, ListsEqualAFreshBuildAfterRandomEditsMovesHoldsFindsSwitchesAndCommands)
{
    std::vector<KELI*> people;
    for (int i = 0; i < 6; ++i)
        people.push_back(contact((i % 2 ? "Odd " : "Even ") + std::to_string(i), i < 4 ? canalA : canalB));
    ZEVPersonViewer* v = open();
    ZEVPersonClass& m = v->model();
    Dice pick("PersonModel");
    SCOPED_TRACE("seed " + std::to_string(pick.seed));
    std::vector<KELI*> made;
    for (int step = 0; step < 60; ++step) {
        std::string what = "step " + std::to_string(step) + ": ";
        KELI* someone = people[std::size_t(pick(6))];
        switch (pick(8)) {
        case 0: {
            const KELDate in = now() + (pick(21) - 10) * kHour;
            made.push_back(lego(someone, pick(2) ? canalA : canalB, in,
                                pick(3) ? in + (1 + pick(20)) * kHour : KELDateOuverte));
            what += "lego";
            break;
        }
        case 1:
            if (!made.empty()) {
                const std::size_t i = std::size_t(pick(int(made.size())));
                KELServeurDeLiens::DegagerLien(made[i], space->nowCurseur());
                made.erase(made.begin() + long(i));
            }
            what += "forget a lego";
            break;
        case 2:
            moveSearch((pick(21) - 10) * kHour);
            what += "move";
            break;
        case 3: {
            std::vector<KELI*> chosen;
            for (KELI* o : people)
                if (pick(3) == 0)
                    chosen.push_back(o);
            space->selections().selectIconForItemSet(chosen, nullptr);
            v->itemSelectionDidChange();
            what += "select";
            break;
        }
        case 4:
            m.selectItemsWithString(tableOf(v), pick(2) ? "ODD" : "even", pick(4));
            what += "find";
            break;
        case 5:
            space->updateChannelWithIdentityInt(pick(2) ? canalA : canalB);
            what += "channel";
            break;
        case 6:
            switch (pick(4)) {
            case 0:
                m.releasePersonsForItems({someone});
                break;
            case 1:
                m.recallPersonsForItems({someone});
                break;
            case 2:
                m.retainPersonsForItems({someone});
                break;
            default:
                m.forgetPersonsForItems({someone});
                break;
            }
            what += "command";
            break;
        default:
            if (ZEVRulerViewerServices* r = space->rulerViewer())
                r->userChangeActifCurseur(pick(2) ? space->nowCurseur() : space->searchCurseur());
            what += "active cursor";
            break;
        }
        settle();
        equalsAFreshBuild(m, what);
        if (HasFatalFailure())
            return;
        // Every row of the table has a reason, and the table shows exactly the active list.
        ASSERT_EQ(tableOf(v).numberOfRows(), int(m.actifListe().size())) << what;
        for (KELI* o : m.actifListe().items())
            ASSERT_TRUE(m.actifListe().count(o, ZEVRowReason::Lego) > 0 || m.selectedItemSet().count(o) ||
                        m.foundedItemSet().count(o))
                << what;
    }
}

TEST_F(PersonModel, RecallEndsEachContactAtItsOwnNextPresenceAndRetainStartsANeverListedOneFromAlways)
{
    KELI* soon = contact("Soon", canalA);
    KELI* free = contact("Free", canalA);
    KELI* elsewhere = contact("Elsewhere", canalB); // no record: nothing stands for it in A
    const KELDate later = now() + 2 * kHour;
    lego(soon, canalA, later, KELDateOuverte);
    ZEVPersonViewer* v = open();
    ZEVPersonClass& m = v->model();
    moveSearch(-5 * kHour);
    const KELDate at = space->searchCurseur()->now();

    const std::vector<KELI*> recalled = m.recallPersonsForItems({soon, elsewhere, free});
    EXPECT_EQ(recalled, (std::vector<KELI*>{soon, free})) << "the one without an equivalent is skipped";
    const std::vector<KELI*> s = liveLinks(soon, KELRELATION_PERSON_VIEWER);
    ASSERT_EQ(s.size(), 2u);
    EXPECT_NEAR(s[0]->inDate(), at, 1.0);
    EXPECT_DOUBLE_EQ(s[0]->outDate(), later) << "cut where its next presence begins";
    const std::vector<KELI*> f = liveLinks(free, KELRELATION_PERSON_VIEWER);
    ASSERT_EQ(f.size(), 1u);
    EXPECT_DOUBLE_EQ(f[0]->outDate(), KELDateOuverte) << "the other's next presence does not shorten it";
    EXPECT_TRUE(liveLinks(elsewhere, KELRELATION_PERSON_VIEWER).empty());
    EXPECT_EQ(space->selections().selectedIconItems(), (std::vector<KELI*>{soon, free}));

    KELI* never = contact("Never", canalA);
    m.retainPersonsForItems({never});
    const std::vector<KELI*> n = liveLinks(never, KELRELATION_PERSON_VIEWER);
    ASSERT_EQ(n.size(), 1u);
    EXPECT_DOUBLE_EQ(n[0]->inDate(), KELDateToujours);
    EXPECT_NEAR(n[0]->outDate(), space->searchCurseur()->now(), 1.0);
}

TEST_F(PersonModel, RemoveForgetsEveryContactPresenceAndErasesOnlyAContactNothingElseHolds)
{
    KELI* alone = contact("Alone", canalA);
    KELI* onDesk = contact("On desk", canalA);
    KELI* filed = contact("Filed", canalA);
    for (KELI* o : {alone, onDesk, filed}) {
        lego(o, canalA, now() - 10 * kHour, now() - 8 * kHour);
        lego(o, canalB, now() - kHour, KELDateOuverte);
    }
    lego(onDesk, canalA, now() - kHour, KELDateOuverte, KELRELATION_ICON_VIEWER);
    // A Files presence holds it as much as an icon does.
    lego(filed, canalA, now() - kHour, KELDateOuverte, KELRELATION_FILE_VIEWER);
    ZEVPersonViewer* v = open();
    v->model().deletePersons({alone, onDesk, filed});
    settle();
    for (KELI* o : {alone, onDesk, filed})
        EXPECT_TRUE(liveLinks(o, KELRELATION_PERSON_VIEWER).empty()) << "every Channel, every date";
    EXPECT_EQ(host.deletedData, std::vector<KELI*>{alone}) << "only the one nothing holds is erased";
    EXPECT_EQ(liveLinks(onDesk, KELRELATION_ICON_VIEWER).size(), 1u);
    EXPECT_EQ(liveLinks(filed, KELRELATION_FILE_VIEWER).size(), 1u);
    for (KELI* kept : {onDesk, filed})
        EXPECT_FALSE(deskmodel::siOublie(kept));
    EXPECT_TRUE(v->model().actifItems().empty());
}

TEST_F(PersonModel, TheWalkStopsAtContactChangesOfTheSelectionAndFollowsItsDefaults)
{
    EXPECT_FALSE(defaults.values(ZEVPersonClass::kGotoTitleKey).isValid()) << "not before the model reads them";
    KELI* x = contact("Walked", canalA);
    KELI* y = contact("Other", canalA);
    const KELDate t = now();
    lego(x, canalA, t - 0.9 * kHour, t - 0.8 * kHour);
    lego(y, canalA, t - 0.5 * kHour, KELDateOuverte);
    ZEVPersonViewer* v = open();
    ZEVPersonClass& m = v->model();
    ASSERT_EQ(defaults.values(ZEVPersonClass::kGotoRecallKey), QVariant(true)) << "written on first read";
    ASSERT_EQ(defaults.values(ZEVPersonClass::kGotoTitleKey), QVariant(false));

    EXPECT_NEAR(m.previousDate(), t - 0.5 * kHour - 0.7, 1e-3) << "none selected: any contact's change";
    space->selections().selectIconForItemSet({x}, nullptr);
    v->itemSelectionDidChange();
    EXPECT_NEAR(m.previousDate(), t - 0.8 * kHour - 0.7, 1e-3) << "only the selected one's";
    EXPECT_DOUBLE_EQ(m.nextDate(), 0.0) << "nothing later";

    // Its ends no longer count; its starts still do.
    defaults.setValue(ZEVPersonClass::kGotoReleaseKey, false);
    EXPECT_FALSE(m.gotoChanges().siReleaseChanges());
    EXPECT_NEAR(m.previousDate(), t - 0.9 * kHour - 0.7, 1e-3);
}

} // namespace
} // namespace inspecttest
