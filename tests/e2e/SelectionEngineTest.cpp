// The selection engine of the link base browser in the running program: a choice in the Channel
// model, with the icon relation open as a path, attaches the Objects whose icons the Search
// cursor meets as the user drags it along the time strip, and lets go of them when it leaves.

#include "tests/e2e/E2EFixture.h"

#include "engine/KELICurseur.h"
#include "engine/KELModels.h"
#include "engine/KELServeurDeLiens.h"
#include "engine/selection/KELSelection.h"
#include "objects/view/ZEVItemView.h"
#include "ruler/ZEVRulerViewer.h"
#include "ruler/ZEVTlineView.h"
#include "desk/model/ZEVDeskClass.h"

#include <QFile>
#include <QTest>

namespace e2e {
namespace {

constexpr KELId kModelChannel = 1000041;
constexpr KELId kModelObjet = 1000049;
constexpr KELId kRelIcone = 1000152;
constexpr KELId kChannelHome = 2000018;

class SelectionEngine : public E2E {
protected:
};

TEST_F(SelectionEngine, AChannelChosenWithItsIconsOpenAttachesTheObjectOfTheHourTheStripIsDraggedInto)
{
    start();
    auto* strip = dynamic_cast<ZEVTlineView*>(ruler()->tlineView());
    ASSERT_NE(strip, nullptr);

    // A file's icon that was on the Now desk for one hour, two hours ago.
    const auto placed = fileIconShownForAnHour(QStringLiteral("notes.txt"));
    KELI* item = placed.first;
    const double added = placed.second;
    ASSERT_NE(item, nullptr);

    // Both models woken at the Search cursor as a column wakes its model; the home Channel chosen
    // under a new selection id and the icon relation opened at its parent end.
    KELICurseur* search = space()->searchCurseur();
    auto* channels = dynamic_cast<KELIModel*>(KELServeurDeLiens::LienForInt(kModelChannel, search));
    auto* objets = dynamic_cast<KELIModel*>(KELServeurDeLiens::LienForInt(kModelObjet, search));
    KELI* home = KELServeurDeLiens::LienForInt(kChannelHome, search);
    KELI* icones = KELServeurDeLiens::LienForInt(kRelIcone, search);
    ASSERT_TRUE(channels && objets && home && icones);
    KELSelCtrlModel* ctrlChannels = channels->selCtrlModel(search);
    KELSelCtrlModel* ctrlObjets = objets->selCtrlModel(search);
    ASSERT_TRUE(ctrlChannels && ctrlObjets);
    const KELSelIdRef id = KELSelId::nouveau();
    ctrlChannels->choisir(home, id);
    ctrlChannels->ctrlRP()->choisir(icones, id);
    EXPECT_EQ(id->ctrlMDeDepart(), ctrlChannels);
    EXPECT_EQ(ctrlObjets->nbDAttaches(item, id), 0u) << "not on the desk at the Search cursor's moment";
    const std::size_t avant = ctrlObjets->nbDAttaches(id);

    ZEVDeskViewer* searchDesk = desk(search);
    auto shown = [&] {
        ZEVItemViewForDesks* v = searchDesk->itemViewForItem(item);
        return v && !v->isHidden();
    };
    // Pressed, dragged and released as the user does, away from the cursors' bands.
    auto scrub = [&](KELDate from, KELDate to) {
        const QPoint a(int(strip->pointForDate(from).x()), 8), b(int(strip->pointForDate(to).x()), 8);
        QTest::mousePress(strip, Qt::LeftButton, {}, a);
        QTest::mouseMove(strip, (a + b) / 2);
        QTest::mouseMove(strip, b);
        QTest::mouseRelease(strip, Qt::LeftButton, {}, b);
        advance(0.5);
    };
    scrub(added - 5400, added + 1800);
    ASSERT_EQ(space()->actifCurseur(), search);
    ASSERT_GT(search->now(), added);
    ASSERT_LT(search->now(), added + 3600);
    EXPECT_TRUE(shown()) << "the Search desk shows the icon of that hour";
    EXPECT_EQ(ctrlObjets->nbDAttaches(item, id), 1u) << "reached from the chosen Channel by its one icon link";
    EXPECT_EQ(ctrlObjets->nbDAttaches(id), avant + 1);
    EXPECT_EQ(ctrlChannels->nbDAttaches(home, id), avant + 1) << "the Channel counts once per icon link walked";

    // Out of the hour again: the icon and every count of it go.
    scrub(added + 1800, added + 5400);
    EXPECT_GT(search->now(), added + 3600);
    EXPECT_FALSE(shown());
    EXPECT_EQ(ctrlObjets->nbDAttaches(item, id), 0u);
    EXPECT_EQ(ctrlObjets->nbDAttaches(id), avant);
    EXPECT_EQ(ctrlChannels->nbDAttaches(home, id), avant);

    // Letting go of the choice and closing the path leaves no count anywhere.
    ctrlChannels->rejeter(home, id);
    ctrlChannels->ctrlRP()->rejeter(icones, id);
    EXPECT_EQ(ctrlObjets->nbDAttaches(id), 0u);
    EXPECT_EQ(ctrlChannels->nbDAttaches(id), 0u);
    EXPECT_EQ(ctrlChannels->ctrlRP()->nbDAttaches(id), 0u);
}

} // namespace
} // namespace e2e
