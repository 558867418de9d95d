// Selections and places in the running program: the lasso and Tab select and the views show it,
// Copy and Paste work on the selection, a place copied to the clipboard is opened again from a
// second start, the history keys step through the places, mangled places are refused, and the
// link selection follows the nodes through the Links model.

#include "tests/e2e/E2EFixture.h"

#include "desk/pasteboard/ZEVItemPB.h"
#include "engine/KELICurseur.h"
#include "services/ZEVInspectorServices.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "platform/AppId.h"
#include "platform/sound/Sound.h"
#include "ruler/ZEVMarkScannPanel.h"
#include "space/ZEVConstants.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QTest>
#include <QTimer>

#include <cmath>
#include <cstdio>
#include <random>

namespace e2e {
namespace {

class Selections : public E2EWithSound<RecordingSound> {
protected:
    // Two files placed on the Now desk from the desktop, with their views (in that order).
    std::vector<ZEVItemViewForDesks*> placeTwoFiles()
    {
        addHomeFiles({"one.txt", "two.txt"});
        std::vector<ZEVItemViewForDesks*> views = viewsTitled({"one.txt", "two.txt"});
        EXPECT_EQ(views.size(), 2u);
        return views;
    }
    // A point of the canvas (y-down) at the middle of a view's icon.
    QPoint centre(ZEVItemViewForDesks* v) const
    {
        const QRectF f = v->imageFrame();
        return QPoint(int(f.center().x()), int(canvas()->height() - f.center().y()));
    }
    void lasso(QPoint from, QPoint to)
    {
        QTest::mousePress(canvas(), Qt::LeftButton, {}, from);
        QTest::mouseMove(canvas(), (from + to) / 2);
        QTest::mouseMove(canvas(), to);
        QTest::mouseRelease(canvas(), Qt::LeftButton, {}, to);
        pump();
    }
    QImage drawn(ZEVItemViewForDesks* v)
    {
        pump();
        const QPoint c = centre(v);
        return canvas()->grab(QRect(c - QPoint(40, 40), QSize(80, 80))).toImage();
    }
    std::vector<KELI*> icons() { return space()->selections().selectedIconItems(); }
    // The place shown, as the history writes it.
    QString lieu()
    {
        const std::vector<KELI*> items = space()->selections().selectedItemsForChannelInt(space()->currentChannelInt());
        return space()->zevpStringForItems(&items, space()->actifCurseur() == space()->nowCurseur());
    }

};

TEST_F(Selections, TheLassoAndTabSelectForRealAndCopyThenPasteWorkOnTheSelection)
{
    start();
    const std::vector<ZEVItemViewForDesks*> views = placeTwoFiles();
    ASSERT_EQ(views.size(), 2u);
    // A lasso over nothing deselects what the drop selected.
    lasso(QPoint(5, 5), QPoint(15, 15));
    EXPECT_TRUE(icons().empty());
    const QImage avant = drawn(views[0]);

    // A lasso from the empty desk over the first icon selects it (a press on the icon would be the
    // icon's own), and its view draws itself selected.
    const QPoint c = centre(views[0]);
    const QPoint dehors = c + QPoint(-45, 45);
    lasso(dehors, c + QPoint(10, 10));
    ASSERT_EQ(icons(), std::vector<KELI*>{views[0]->item()});
    EXPECT_NE(drawn(views[0]), avant) << "the view shows it is selected";

    // Tab walks from it to the next icon.
    key(Qt::Key_Tab);
    ASSERT_EQ(icons().size(), 1u);
    EXPECT_NE(icons().front(), views[0]->item());

    // Copy writes the selected file, and Paste gives the Object its icon back rather than a second one.
    lasso(dehors, c + QPoint(10, 10));
    key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(sound.beeps, 0);
    const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(copied, nullptr);
    ASSERT_EQ(copied->urls().size(), 1);
    EXPECT_TRUE(copied->urls().front().toLocalFile().endsWith("/one.txt"));
    key(Qt::Key_V, Qt::ControlModifier);
    advance(1.0);
    EXPECT_EQ(placedObjectsOfType("file").size(), 2u);
    EXPECT_EQ(iconLinks(std::to_string(views[0]->item()->idInt())).size(), 1u);
}

TEST_F(Selections, ACopiedPlaceOpensAgainFromASecondStartAndTheHistoryKeysStepThroughThePlaces)
{
    start();
    const std::vector<ZEVItemViewForDesks*> views = placeTwoFiles();
    ASSERT_EQ(views.size(), 2u);
    KELI* one = views[0]->item();
    KELICurseur* search = space()->searchCurseur();
    ZEVRulerViewerServices* ruler = space()->rulerViewer();

    // An hour back on the Search desk, the first file selected: the place goes to the clipboard.
    ASSERT_TRUE(ruler->userChangeActifCurseur(search));
    ASSERT_TRUE(ruler->userInitieDeplacementCurseur());
    ruler->userPlaceCurseurEtRulerOffset(-3600);
    ruler->userTermineDeplacementCurseur();
    space()->selections().selectIconForItem(one);
    const double heure = search->now();
    space()->copyZevpUrlForItems(space()->selections().selectedIconItems(), false);
    const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(copied, nullptr);
    const QString place = copied->text();
    EXPECT_TRUE(place.startsWith("zevp://local/2000018?c=search&m=0&o=" + QString::number(one->idInt()) + "&con="))
        << place.toStdString();
    const std::vector<ZEVItemPB> records = ZEVItemPB::unarchive(copied->data(kItemPasteboardType));
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].itemType(), "zevp");
    EXPECT_EQ(records[0].itemUid(), place);
    EXPECT_FALSE(records[0].zevpImage().isNull());
    EXPECT_TRUE(records[0].itemTitle().contains(" | "));

    // Back to now on the Now desk, nothing selected; the place comes back from another start.
    ASSERT_TRUE(ruler->userInitieDeplacementCurseur());
    ruler->userPlaceCurseurEtRulerOffset(3600);
    ruler->userTermineDeplacementCurseur();
    ruler->userChangeActifCurseur(space()->nowCurseur());
    space()->selections().deselectAllIcons();
    const std::size_t marks = space()->markHistoryViewer()->markObjects().size();
    // The newest place the history knows (changing desks alone is not one).
    const QString avant = space()->markHistoryViewer()->markObjects().front()->zevpString();
    EXPECT_EQ(secondStart({place}), 0);
    EXPECT_EQ(space()->actifCurseur(), search);
    EXPECT_NEAR(search->now(), heure, 0.01);
    EXPECT_EQ(icons(), std::vector<KELI*>{one});
    EXPECT_FALSE(log.contains("openZevpURL: refused"));
    EXPECT_EQ(space()->markHistoryViewer()->markObjects().front()->zevpString(), place);
    EXPECT_GT(space()->markHistoryViewer()->markObjects().size(), marks);

    // Meta+Down shows the place before in the history's panel, Meta+Up there comes back; Ctrl
    // with the arrows is no history key.
    key(Qt::Key_Up, Qt::ControlModifier);
    EXPECT_TRUE(space()->initialZevpString().isEmpty());
    bool shown = false;
    QTimer::singleShot(0, [&] {
        auto* panel = qobject_cast<ZEVMarkScannPanel*>(QApplication::activeModalWidget());
        ASSERT_NE(panel, nullptr) << "the history's panel runs modally";
        shown = true;
        EXPECT_FALSE(space()->initialZevpString().isEmpty());
        EXPECT_EQ(lieu().toStdString(), avant.toStdString());
        QTest::keyClick(panel, Qt::Key_Up, Qt::MetaModifier);
    });
    key(Qt::Key_Down, Qt::MetaModifier);
    EXPECT_TRUE(shown);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(lieu().toStdString(), place.toStdString());
    EXPECT_EQ(space()->actifCurseur(), search);
    EXPECT_NEAR(search->now(), heure, 0.01);
    EXPECT_TRUE(space()->initialZevpString().isEmpty());
}

TEST_F(Selections, MangledPlacesNeverMakeANonChannelCurrentNorMoveACursorWithoutEnd)
{
    start();
    const unsigned seed = std::random_device{}();
    std::printf("zevp places seed %u\n", seed);
    std::mt19937 gen(seed);
    const QString base = space()->zevpStringForItems(nullptr, false);
    const QString bouts[] = {"0", "1", "9", "-", "e300", "nan", "inf", "%", "&", "=", ",", "c=now", "c=search", "o=",
                             "2000001", "2000018", "270", "4503599627370496", "99999999"};
    ZEVChannelClassServices* channels = space()->channelClass();
    ASSERT_NE(channels, nullptr);
    std::vector<KELId> listed;
    for (KELI* c : channels->timeLineItems())
        listed.push_back(c->idInt());
    ASSERT_FALSE(listed.empty());
    for (int i = 0; i < 150; ++i) {
        QString s = base;
        const int edits = std::uniform_int_distribution<int>(1, 4)(gen);
        for (int k = 0; k < edits; ++k) {
            const int at = std::uniform_int_distribution<int>(0, int(s.size()))(gen);
            const QString& bout = bouts[std::uniform_int_distribution<int>(0, std::size(bouts) - 1)(gen)];
            if (std::uniform_int_distribution<int>(0, 1)(gen))
                s.insert(at, bout);
            else
                s.replace(at, int(bout.size()), bout);
        }
        space()->openZevpURL(s);
        SCOPED_TRACE("seed " + std::to_string(seed) + ", " + s.toStdString());
        EXPECT_NE(std::find(listed.begin(), listed.end(), space()->currentChannelInt()), listed.end());
        for (KELICurseur* c : {space()->nowCurseur(), space()->searchCurseur()}) {
            EXPECT_TRUE(std::isfinite(c->now()) && std::fabs(c->now()) <= 4503599627370496.0);
            EXPECT_TRUE(std::isfinite(c->contexte()->offsetIn()) && std::isfinite(c->contexte()->offsetOut()));
        }
        EXPECT_LT(space()->tlContexte()->offsetIn(), space()->tlContexte()->offsetOut());
        EXPECT_TRUE(space()->siAddToHistory());
    }
}

TEST_F(Selections, TheInspectorsModelsAnswerFromTheDesksAndTheLinkSelectionFollowsTheNodes)
{
    start();
    const std::vector<ZEVItemViewForDesks*> views = placeTwoFiles();
    ASSERT_EQ(views.size(), 2u);
    KELI* a = views[0]->item();
    KELI* b = views[1]->item();

    // The Icons model: on the active desk or not, on the Now desk, and the title there.
    ZEVIconClassServices* icones = space()->iconClass();
    ASSERT_NE(icones, nullptr);
    EXPECT_TRUE(icones->isItemActif(a));
    EXPECT_EQ(icones->itemTitleForItem(a), std::optional<std::string>("one.txt"));
    ZEVRulerViewerServices* ruler = space()->rulerViewer();
    ruler->userChangeActifCurseur(space()->searchCurseur());
    ASSERT_TRUE(ruler->userInitieDeplacementCurseur());
    ruler->userPlaceCurseurEtRulerOffset(-3600);
    ruler->userTermineDeplacementCurseur();
    EXPECT_FALSE(icones->isItemActif(a)) << "an hour ago it was not on the desk";
    EXPECT_TRUE(icones->isItemActifNow(a));
    ruler->userChangeActifCurseur(space()->nowCurseur());

    // The Channels model: the home Channel listed, selected, with its background at Now.
    ZEVChannelClassServices* channels = space()->channelClass();
    ASSERT_NE(channels, nullptr);
    KELI* home = space()->channelForIdentityInt(KELOBJECT_HOME_CHANNEL);
    EXPECT_EQ(channels->currentChannel(), home);
    const std::vector<KELI*> listed = channels->timeLineItems();
    EXPECT_NE(std::find(listed.begin(), listed.end(), home), listed.end());
    EXPECT_TRUE(channels->siChannelActif(home, space()->nowCurseur()));
    EXPECT_NE(channels->backItemForChannel(home, space()->nowCurseur()), nullptr);
    space()->itemViewerForCurseur(space()->nowCurseur())->userRecallLinkWithItem(a, b);
    advance(1.0);
    ZEVLinkClassServices* links = space()->linkClass();
    ASSERT_NE(links, nullptr);
    ASSERT_EQ(links->timeLineLinks().size(), 1u);
    ZEVLinkPair* pair = links->timeLineLinks().front();
    EXPECT_TRUE(links->isLinkActif(pair));
    EXPECT_EQ(links->timeLineLinks().front(), pair) << "one object per pair, kept";

    space()->selections().selectNodeForItem(a);
    ASSERT_EQ(space()->selections().selectedLinks(), std::vector<ZEVLinkPair*>{pair});
    EXPECT_TRUE(space()->selections().releasingSelectedLinkItems().size() == 1);
    space()->selections().selectIconForItemSet({a, b}, nullptr);
    EXPECT_EQ(space()->selections().linksForIconMode(), std::vector<ZEVLinkPair*>{pair});

    links->delConnexionsForParentInt(pair->parentItem()->idInt());
    EXPECT_TRUE(space()->selections().selectedLinks().empty());
}

} // namespace
} // namespace e2e
