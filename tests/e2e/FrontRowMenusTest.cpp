// The row and interval menus of the front's Objects list in the running program: a right click on
// a row of the tracks pops the row menu whose Release ends the icon at the cursor; a right click on
// a selected interval offers to delete that interval only; Copy Durations puts the TimeTracking
// report on the clipboard.

#include "tests/e2e/E2EFixture.h"

#include "desk/model/ZEVDeskClass.h"
#include "desk/model/ZEVItemClass.h"
#include "desk/model/ZEVModelSupport.h"
#include "engine/KELICurseur.h"
#include "engine/KELServeurDeLiens.h"
#include "front/ZEVFrontViewer.h"
#include "inspectors/ZEVFrontClass.h"
#include "inspectors/table/ZEVTableView.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "platform/sound/Sound.h"
#include "platform/thumbs/Thumbnails.h"
#include "space/ZEVSelections.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QMenu>
#include <QMimeData>
#include <QTest>

namespace e2e {
namespace {

class FrontRowMenus : public E2EWithSound<RecordingSound> {
protected:
    ZEVFrontViewer* front() const { return dynamic_cast<ZEVFrontViewer*>(space()->frontViewer()); }
    ZEVTableView* list() const { return front()->selectionItemTableView(); }

    // Files placed on the Now desk from the desktop, then all of them selected on the desk and the
    // tracks shown; their Objects by title.
    std::map<QString, KELI*> placeAndSelect(const QStringList& names)
    {
        addHomeFiles(names);
        std::map<QString, KELI*> items;
        for (ZEVItemViewForDesks* v : nowDesk()->itemViewSet())
            items[v->itemTitle()] = v->item();
        EXPECT_EQ(items.size(), std::size_t(names.size()));
        key(Qt::Key_A, Qt::ControlModifier);
        pump();
        front()->userShowTracks();
        advance(1.0);
        EXPECT_TRUE(list()->isVisible()) << "the tracks show the Objects list";
        EXPECT_EQ(list()->numberOfRows(), int(names.size()));
        return items;
    }
    int rowOf(KELI* item) const
    {
        for (int r = 0; r < list()->numberOfRows(); ++r)
            if (list()->element(r) && list()->element(r)->item == item)
                return r;
        return -1;
    }
    QPoint titlePoint(int row) const
    {
        return list()->visualRect(list()->model()->index(row, ZEVFrontClass::itemColumns().indexOf("title"))).center();
    }
    // A point of the row on the interval, scanning the row's middle line.
    QPoint pointOnLego(int row, KELI* lego) const
    {
        const int y = list()->visualRect(list()->model()->index(row, 0)).center().y();
        list()->viewWillDraw();
        for (int x = 0; x < list()->viewport()->width(); ++x)
            if (KELI* hit = list()->legoAtPoint(row, QPointF(x, y)); hit && hit->idInt() == lego->idInt())
                return QPoint(x, y);
        ADD_FAILURE() << "the interval is not drawn in its row";
        return {};
    }
    // The popup a right click at the point opened.
    QMenu* rightClick(const QPoint& at) { return rightClickIn(list(), at); }
    static QAction* tagged(QMenu* m, long tag) { return menuItemTagged(m, tag); }
    // Live icon links of an Object in the store: (live, open).
    std::pair<int, int> spans(KELI* o) const
    {
        int live = 0, open = 0;
        const Rows links = iconLinks(std::to_string(o->idInt()));
        for (std::size_t r = 0; r < links.size(); ++r) {
            if (std::stod(links.at(r, 0)) >= 4503599627370497.0)
                continue;
            ++live;
            open += std::stod(links.at(r, 1)) >= 4503599627370496.0 ? 1 : 0;
        }
        return {live, open};
    }
};

TEST_F(FrontRowMenus, ARightClickOnARowPopsItsMenuAndReleaseEndsTheIconAtTheCursor)
{
    start();
    auto items = placeAndSelect({"alpha.txt", "beta.txt"});
    KELI* alpha = items["alpha.txt"];
    ASSERT_NE(alpha, nullptr);
    ASSERT_EQ(spans(alpha), std::make_pair(1, 1));
    advance(60);
    const int row = rowOf(alpha);
    ASSERT_GE(row, 0);
    QMenu* m = rightClick(titlePoint(row));
    ASSERT_NE(m, nullptr) << "the row menu pops up";
    EXPECT_EQ(tagged(m, 1)->text(), "\"alpha.txt\"");
    EXPECT_FALSE(tagged(m, 6)->isVisible()) << "the Now cursor is active";
    EXPECT_EQ(tagged(m, 4)->text(), "Recall");
    EXPECT_FALSE(tagged(m, 4)->isEnabled());
    EXPECT_EQ(tagged(m, 3)->text(), "Forget Object");
    QAction* release = tagged(m, 2);
    ASSERT_NE(release, nullptr);
    EXPECT_EQ(release->text(), "Release Object");
    const double at = space()->nowCurseur()->now();
    chooseInMenu(m, release);
    advance(1.0);
    EXPECT_EQ(spans(alpha), std::make_pair(1, 0)) << "the icon link is closed";
    const Rows links = iconLinks(std::to_string(alpha->idInt()));
    ASSERT_EQ(links.size(), 1u);
    EXPECT_NEAR(std::stod(links.at(0, 1)), at, 2.0) << "at the cursor's moment";
    KELI* beta = items["beta.txt"];
    EXPECT_EQ(spans(beta), std::make_pair(1, 1)) << "the other row is untouched";

    // The released Object's menu now offers Recall, with the long title.
    m = rightClick(titlePoint(rowOf(alpha)));
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(tagged(m, 4)->text(), "Recall Object");
    EXPECT_TRUE(tagged(m, 4)->isEnabled());
    EXPECT_FALSE(tagged(m, 2)->isEnabled());
    advance(60);
    chooseInMenu(m, tagged(m, 4));
    advance(1.0);
    EXPECT_EQ(spans(alpha), std::make_pair(2, 1)) << "recalled: a new icon link from now on";
}

TEST_F(FrontRowMenus, RecallOfAnObjectThatNeverLayOnADeskPlacesANewIconToTheEndOfTheSpace)
{
    start();
    ZEVSpaceController& s = *space();
    KELI* note = s.itemClassForCurseur(s.nowCurseur())->creerItemWithChannelInt(s.currentChannelInt(), "note", "zevp", "", 0);
    ASSERT_NE(note, nullptr);
    ASSERT_EQ(spans(note), std::make_pair(0, 0));
    s.selections().selectIconForItemSet({note}, nullptr);
    front()->userShowTracks();
    advance(1.0);
    ASSERT_EQ(list()->numberOfRows(), 1);
    QMenu* m = rightClick(titlePoint(0));
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(tagged(m, 4)->text(), "Recall Object");
    const double at = s.nowCurseur()->now();
    chooseInMenu(m, tagged(m, 4));
    advance(1.0);
    const Rows links = iconLinks(std::to_string(note->idInt()));
    ASSERT_EQ(links.size(), 1u);
    EXPECT_NEAR(std::stod(links.at(0, 0)), at, 2.0);
    EXPECT_GE(std::stod(links.at(0, 1)), 4503599627370496.0) << "the present Space has no end";
    EXPECT_NE(nowDesk()->itemViewForItem(note), nullptr);
}

TEST_F(FrontRowMenus, ARightClickOnASelectedIntervalDeletesThatIntervalOnlyAndCopyDurationsReports)
{
    start();
    auto items = placeAndSelect({"gamma.txt"});
    KELI* gamma = items["gamma.txt"];
    ASSERT_NE(gamma, nullptr);
    // Two intervals: half an hour on the desk, ten minutes off, then back on.
    advance(1800);
    space()->deskClassForCurseur(space()->nowCurseur())->releaseIconForItem(gamma);
    advance(600);
    space()->itemViewerForCurseur(space()->nowCurseur())->userRecallIconForItem(gamma);
    advance(1800);
    ASSERT_EQ(spans(gamma), std::make_pair(2, 1));
    space()->selections().selectIconForItemSet({gamma}, nullptr);
    advance(1.0);
    ASSERT_EQ(list()->numberOfRows(), 1);
    std::vector<KELI*> legos = front()->frontClass()->legosForRow(*list(), 0);
    ASSERT_EQ(legos.size(), 2u);
    KELI* first = legos[0];
    const KELId firstId = first->idInt(), secondId = legos[1]->idInt();

    // A click selects the first interval; a right click on it offers to delete it.
    list()->selectRow(0);
    const QPoint on = pointOnLego(0, first);
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, on);
    pump();
    ASSERT_NE(list()->selectedLego(), nullptr);
    ASSERT_EQ(list()->selectedLego()->idInt(), firstId);
    QMenu* m = rightClick(on);
    ASSERT_NE(m, nullptr);
    QAction* del = tagged(m, 70);
    ASSERT_NE(del, nullptr) << "the interval's menu";
    EXPECT_EQ(del->text(), "Delete Interval");
    chooseInMenu(m, del);
    advance(1.0);
    EXPECT_EQ(spans(gamma), std::make_pair(1, 1)) << "only that interval is forgotten";
    EXPECT_TRUE(deskmodel::siOublie(KELServeurDeLiens::LienForInt(firstId, space()->nowCurseur())));
    EXPECT_FALSE(deskmodel::siOublie(KELServeurDeLiens::LienForInt(secondId, space()->nowCurseur())));

    // Copy Durations from the row menu: one text holding the report.
    QGuiApplication::clipboard()->clear();
    m = rightClick(titlePoint(0));
    ASSERT_NE(m, nullptr);
    QAction* copy = m->findChild<QAction*>("copyDurations");
    ASSERT_NE(copy, nullptr);
    chooseInMenu(m, copy);
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    const QString report = data->text();
    EXPECT_TRUE(report.startsWith("TimeTracking for Object : gamma.txt\n")) << report.toStdString();
    EXPECT_TRUE(report.contains("Period In  : "));
    EXPECT_TRUE(report.contains("Period Out : "));
    EXPECT_EQ(report.count(" to "), 1) << "one line for the one interval left";
    EXPECT_TRUE(report.contains("\nTotal = ")) << report.toStdString();
}

TEST_F(FrontRowMenus, TheMenuOfAnObjectsOnlyIntervalRemovesTheObjectForGood)
{
    start();
    // Two rows selected, as a select-all leaves them: the menu still acts on the interval it was
    // opened on when the list's selection is rewritten as the menu closes.
    auto items = placeAndSelect({"delta.txt", "epsilon.txt"});
    KELI* delta = items["delta.txt"];
    ASSERT_NE(delta, nullptr);
    const KELId id = delta->idInt();
    advance(1800);
    ASSERT_EQ(list()->numberOfRows(), 2);
    const int row = rowOf(delta);
    std::vector<KELI*> legos = front()->frontClass()->legosForRow(*list(), row);
    ASSERT_EQ(legos.size(), 1u);
    list()->setFocus(Qt::OtherFocusReason);
    pump();
    const QPoint on = pointOnLego(row, legos[0]);
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, on);
    pump();
    QMenu* m = rightClick(on);
    ASSERT_NE(m, nullptr);
    QAction* del = tagged(m, 70);
    ASSERT_NE(del, nullptr);
    EXPECT_EQ(del->text(), "Remove Object");
    chooseInMenu(m, del);
    advance(1.0);
    EXPECT_EQ(spans(delta).first, 0) << "no live icon link is left";
    EXPECT_EQ(nowDesk()->itemViewForItem(delta), nullptr);
    EXPECT_TRUE(deskmodel::siOublie(KELServeurDeLiens::LienForInt(id, space()->nowCurseur())));
    EXPECT_EQ(spans(items["epsilon.txt"]), std::make_pair(1, 1)) << "the other row's Object stays";
}

TEST_F(FrontRowMenus, TheHeaderShowsTheTitleInQuotesAndAPictureOfTheFileFittedTo48)
{
    start();
    // A picture twice as wide as high, and a title longer than 24 characters.
    const QString name = QStringLiteral("a picture with a long name.png");
    QImage wide(200, 100, QImage::Format_RGB32);
    wide.fill(Qt::darkCyan);
    ASSERT_TRUE(wide.save(home + "/" + name));
    addFiles({home + "/" + name});
    key(Qt::Key_A, Qt::ControlModifier);
    front()->userShowTracks();
    advance(1.0);
    ASSERT_EQ(list()->numberOfRows(), 1);
    QMenu* m = rightClick(titlePoint(0));
    ASSERT_NE(m, nullptr);
    QAction* header = tagged(m, 1);
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->text(), QStringLiteral("\"a picture with a long na\u2026\""));
    thumbs::ThumbnailPool::shared()->waitForDone();
    EXPECT_TRUE(pumpUntil([&] { return header->icon().availableSizes().contains(QSize(48, 24)); }))
        << "the picture comes from the pool, 48 wide and 24 high";
    m->close();
    pump();
}

TEST_F(FrontRowMenus, FindInChannelsFromARowLooksForThatRowsObjectAlone)
{
    start();
    auto items = placeAndSelect({"alpha.txt", "beta.txt"});
    KELI* alpha = items["alpha.txt"];
    ASSERT_NE(alpha, nullptr);
    const int row = rowOf(alpha);
    ASSERT_GE(row, 0);
    QMenu* m = rightClick(titlePoint(row));
    ASSERT_NE(m, nullptr);
    QAction* find = nullptr;
    for (QAction* a : m->actions())
        if (a->text() == QStringLiteral("Find in Channels"))
            find = a;
    chooseInMenu(m, find);
    EXPECT_EQ(space()->selections().selectedIconItems(), std::vector<KELI*>{alpha})
        << "no other Channel holds alpha.txt: it alone is found, beta is no longer selected";
}

} // namespace
} // namespace e2e
