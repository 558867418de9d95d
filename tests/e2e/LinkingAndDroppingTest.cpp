// Linking Objects in the running program: in the Links mode a drag from one icon to another draws
// the band from the icon to the pointer while it runs and stores one link between the two, the
// larger id its parent; a drag dropped back on its own icon links nothing.

#include "tests/e2e/E2EFixture.h"
#include "tests/e2e/FullLinkBase.h"

#include "desk/data/ZEVItemData.h"
#include "desk/model/ZEVItemOptions.h"
#include "front/ZEVFrontViewer.h"
#include "inspectors/ZEVFrontClass.h"
#include "objects/view/ZEVConnectingView.h"
#include "objects/view/ZEVItemView.h"
#include "objects/viewer/ZEVItemConnexion.h"
#include "objects/viewer/ZEVItemMenu.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "space/ZEVSelections.h"
#include "tests/support/LocalHttpServer.h"

#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QGuiApplication>
#include <QDragEnterEvent>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QUrl>

#include <functional>

namespace e2e {
namespace {

constexpr KELId kLinkRelation = 1000182;

class LinkingAndDropping : public E2E {
protected:
    QWidget* canvas() const { return window()->spaceView()->deskCanvas()->viewport(); }
    QPoint at(const QPointF& p) const { return QPoint(int(p.x()), int(canvas()->height() - p.y())); }
    ZEVFrontViewer* front() const { return dynamic_cast<ZEVFrontViewer*>(space()->frontViewer()); }
    ZEVConnectingView* band() const { return space()->frontViewer()->frontView()->connectingView(); }

    std::vector<ZEVItemViewForDesks*> placeFiles(const QStringList& names)
    {
        addHomeFiles(names, 1.5);
        std::vector<ZEVItemViewForDesks*> views = viewsTitled(names);
        EXPECT_EQ(views.size(), std::size_t(names.size()));
        return views;
    }

    Rows linkRows() const
    {
        return sql(database(), "SELECT PARENT_ZEVLET, CHILD_ZEVLET FROM ZEVLETS WHERE RELATION = " +
                                   std::to_string(kLinkRelation));
    }

    // The program's drag replayed over the canvas: in where it starts, along the points (with a
    // look at the window at each), and dropped at the last one.
    void replayDrag(std::vector<QPointF> path, std::function<void(const QPointF&)> along,
                    Qt::KeyboardModifiers keys = Qt::NoModifier)
    {
        ZEVItemView::setDragRunner([this, path, along, keys](QMimeData* data, const QImage& image, ZEVItemView*) {
            std::unique_ptr<QMimeData> owned(data);
            carried.push_back(data->formats());
            imageSize = image.size();
            const Qt::DropActions offered = Qt::CopyAction | Qt::LinkAction;
            QDragEnterEvent enter(at(path.front()), offered, data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(canvas(), &enter);
            for (const QPointF& p : path) {
                QDragMoveEvent move(at(p), offered, data, Qt::LeftButton, Qt::NoModifier);
                QApplication::sendEvent(canvas(), &move);
                if (along)
                    along(p);
            }
            QDropEvent drop(QPointF(at(path.back())), offered, data, Qt::LeftButton, keys);
            QApplication::sendEvent(canvas(), &drop);
            return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
        });
    }
    void TearDown() override
    {
        ZEVItemView::setDragRunner({});
        E2E::TearDown();
    }
    void linksMode()
    {
        space()->frontViewer()->menuModeLink();
        pump();
        ASSERT_EQ(front()->frontMode(), ZEVFrontModeLinks);
    }

    std::vector<QStringList> carried;
    QSize imageSize;
};

TEST_F(LinkingAndDropping, ALinkDragFromOneIconToAnotherDrawsTheBandAndStoresOneLinkTheLargerIdItsParent)
{
    start();
    const auto views = placeFiles({QStringLiteral("left.txt"), QStringLiteral("right.txt")});
    ASSERT_EQ(views.size(), 2u);
    linksMode();
    const std::size_t before = linkRows().size();
    const QPointF from = views[0]->imageFrame().center();
    const QPointF to = views[1]->imageFrame().center();
    ASSERT_GT(std::abs(to.x() - from.x()) + std::abs(to.y() - from.y()), 40) << "two icons apart";

    // Half way the band runs from the icon to the pointer; over the other icon that icon shows
    // its connecting look. Each look is a real picture of the window.
    const QPointF half = (from + to) / 2;
    QImage during;
    bool connecting = false;
    int lines = -1;
    replayDrag({from + (to - from) * 0.1, half, to}, [&](const QPointF& p) {
        if (p == half) {
            lines = int(band()->connectingLines().size());
            during = canvas()->grab().toImage();
        }
        if (p == to)
            connecting = dynamic_cast<ZEVItemView*>(views[1])->siConnecting();
    });
    QTest::mousePress(canvas(), Qt::LeftButton, {}, at(from));
    QTest::mouseMove(canvas(), at(from + QPointF(10, 0)));
    QTest::mouseRelease(canvas(), Qt::LeftButton, {}, at(to));
    pump();
    advance(1.0);

    ASSERT_EQ(carried.size(), 1u) << "one link drag";
    EXPECT_TRUE(carried[0].contains(QStringLiteral("application/x-tallomer-item-drag-view")));
    EXPECT_TRUE(carried[0].contains(QStringLiteral("org.tallomer.Tallomer.ZEVItemPB"))) << "one record of the Object";
    EXPECT_EQ(imageSize, QSize(1, 1)) << "an invisible image";
    EXPECT_EQ(lines, 1) << "one line from the one source";
    EXPECT_TRUE(connecting) << "the target shows its connecting look";
    EXPECT_FALSE(dynamic_cast<ZEVItemView*>(views[1])->siConnecting()) << "and no longer after the drop";
    EXPECT_TRUE(band()->connectingLines().empty());
    EXPECT_TRUE(band()->isHidden()) << "the band is emptied at the end";

    // The band shows where it was: the picture half way differs from the picture now on the
    // line, and away from the line it does not.
    const QImage after = canvas()->grab().toImage();
    ASSERT_FALSE(during.isNull());
    const QPoint onLine = at(from + (half - from) * 0.5);
    EXPECT_NE(during.pixel(onLine), after.pixel(onLine)) << "the band is painted on its line";
    const QPointF side = QPointF(-(half - from).y(), (half - from).x()) / std::hypot(half.x() - from.x(), half.y() - from.y());
    const QPoint offLine = at(from + (half - from) * 0.5 + side * 40);
    EXPECT_EQ(during.pixel(offLine), after.pixel(offLine));

    const Rows rows = linkRows();
    ASSERT_EQ(rows.size(), before + 1) << "one link stored";
    const KELId a = views[0]->item()->idInt(), b = views[1]->item()->idInt();
    EXPECT_EQ(std::stoll(rows.at(rows.size() - 1, 0)), std::max(a, b)) << "the larger id is the parent";
    EXPECT_EQ(std::stoll(rows.at(rows.size() - 1, 1)), std::min(a, b));
    EXPECT_EQ(space()->itemViewerForCurseur(space()->nowCurseur())->connexionCount(), 1u) << "drawn as a line";
}

// The press that opens an Object's menu never gets its release: the menu takes it. Closed, the
// menu leaves the mouse to what lies under it, and the next click selects the Object clicked.
TEST_F(LinkingAndDropping, AfterAnObjectsMenuTheNextClickSelectsTheObjectClicked)
{
    start();
    const auto views = placeFiles({QStringLiteral("first.txt"), QStringLiteral("second.txt")});
    ASSERT_EQ(views.size(), 2u);
    // The right press opens the menu; its release goes to the menu, as the window system sends it.
    auto openMenuOf = [&](ZEVItemViewForDesks* v) -> QMenu* {
        const QPoint p = at(v->imageFrame().center());
        QTest::mousePress(canvas(), Qt::RightButton, {}, p);
        QMenu* popup = shownPopupMenu();
        if (popup)
            QTest::mouseRelease(popup, Qt::RightButton, {}, popup->mapFromGlobal(canvas()->mapToGlobal(p)));
        return popup;
    };
    QMenu* popup = openMenuOf(views[0]);
    ASSERT_NE(popup, nullptr);
    QTest::keyClick(popup, Qt::Key_Escape);
    ASSERT_TRUE(pumpUntil([&] { return !popup->isVisible(); }));
    QTest::mouseClick(canvas(), Qt::LeftButton, {}, at(views[1]->imageFrame().center()));
    pump();
    EXPECT_EQ(space()->selections().selectedIconItems(), std::vector<KELI*>{views[1]->item()});
    // And a right click after a menu opens the menu of the Object under it.
    popup = openMenuOf(views[0]);
    ASSERT_NE(popup, nullptr);
    QTest::keyClick(popup, Qt::Key_Escape);
    ASSERT_TRUE(pumpUntil([&] { return !popup->isVisible(); }));
    popup = openMenuOf(views[1]);
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(space()->itemViewerForCurseur(space()->nowCurseur())->menuItemViewTarget()->item(), views[1]->item());
    QTest::keyClick(popup, Qt::Key_Escape);
}

// An Object linked from its menu with the two Objects selected, when the disk has room for one
// Link only: it is linked with neither, instead of with one of the two chosen.
TEST_F(LinkingAndDropping, CreateLinkWithTwoObjectsTheDiskHasRoomForOnlyOneOfLinksNeither)
{
    start();
    alerts.clear();
    const auto views = placeFiles({QStringLiteral("hub.txt"), QStringLiteral("near.txt"), QStringLiteral("far.txt")});
    ASSERT_EQ(views.size(), 3u);
    const std::size_t before = linkRows().size();
    space()->selections().selectIconForItemSet({views[1]->item(), views[2]->item()}, nullptr);
    pump();
    QTest::mouseClick(canvas(), Qt::RightButton, {}, at(views[0]->imageFrame().center()));
    QMenu* popup = shownPopupMenu();
    ASSERT_NE(popup, nullptr);
    QAction* link = space()->itemViewerForCurseur(space()->nowCurseur())->itemMenu()->action(ZEVItemMenuSlot::Link);
    ASSERT_TRUE(link && link->isEnabled());
    {
        const std::string far = views[2]->item()->idTxt();
        FullLinkBase full("NEW.RELATION = " + std::to_string(kLinkRelation) + " AND (NEW.PARENT_ZEVLET = " + far +
                          " OR NEW.CHILD_ZEVLET = " + far + ")");
        chooseInMenu(popup, link);
        advance(1.0);
    }
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, QStringLiteral("Your changes could not be saved."));
    EXPECT_EQ(linkRows().size(), before) << "linked with one of the two";
    for (ZEVItemConnexion* c : space()->itemViewerForCurseur(space()->nowCurseur())->connexionsExistantes())
        EXPECT_FALSE(c->siActif()) << "a Link is drawn";
}

// Two selected Objects dragged in Link mode onto a third when the disk has room for one Link
// only: neither is linked, instead of one of the two.
TEST_F(LinkingAndDropping, ALinkDragOfTwoObjectsTheDiskHasRoomForOnlyOneOfLinksNeither)
{
    start();
    alerts.clear();
    const auto views = placeFiles({QStringLiteral("one.txt"), QStringLiteral("two.txt"), QStringLiteral("goal.txt")});
    ASSERT_EQ(views.size(), 3u);
    linksMode();
    const std::size_t before = linkRows().size();
    space()->selections().selectNodeForItemSet({views[0]->item(), views[1]->item()}, nullptr);
    pump();
    const QPointF from = views[0]->imageFrame().center();
    const QPointF to = views[2]->imageFrame().center();
    int lines = -1;
    replayDrag({from + (to - from) * 0.1, to}, [&](const QPointF&) { lines = int(band()->connectingLines().size()); });
    {
        const std::string two = views[1]->item()->idTxt();
        FullLinkBase full("NEW.RELATION = " + std::to_string(kLinkRelation) + " AND (NEW.PARENT_ZEVLET = " + two +
                          " OR NEW.CHILD_ZEVLET = " + two + ")");
        QTest::mousePress(canvas(), Qt::LeftButton, {}, at(from));
        QTest::mouseMove(canvas(), at(from + QPointF(10, 0)));
        QTest::mouseRelease(canvas(), Qt::LeftButton, {}, at(to));
        pump();
        advance(1.0);
    }
    ASSERT_EQ(lines, 2) << "a line from each selected Object";
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, QStringLiteral("Your changes could not be saved."));
    EXPECT_EQ(linkRows().size(), before) << "one of the two was linked";
    for (ZEVItemConnexion* c : space()->itemViewerForCurseur(space()->nowCurseur())->connexionsExistantes())
        EXPECT_FALSE(c->siActif()) << "a Link is drawn";
}

TEST_F(LinkingAndDropping, ALinkDragDroppedOnItsOwnIconLinksNothingAndIconModeDragsMoveInstead)
{
    start();
    const auto views = placeFiles({QStringLiteral("alone.txt")});
    ASSERT_EQ(views.size(), 1u);
    const QPointF from = views[0]->imageFrame().center();
    const std::size_t before = linkRows().size();

    // In the icon mode the same gesture moves the icon: no link drag.
    replayDrag({from}, {});
    QTest::mousePress(canvas(), Qt::LeftButton, {}, at(from));
    QTest::mouseMove(canvas(), at(from + QPointF(10, 0)));
    QTest::mouseRelease(canvas(), Qt::LeftButton, {}, at(from + QPointF(10, 0)));
    pump();
    EXPECT_TRUE(carried.empty());

    linksMode();
    const QPointF now = views[0]->imageFrame().center();
    replayDrag({now + QPointF(20, 0), now}, {});
    QTest::mousePress(canvas(), Qt::LeftButton, {}, at(now));
    QTest::mouseMove(canvas(), at(now + QPointF(10, 0)));
    QTest::mouseRelease(canvas(), Qt::LeftButton, {}, at(now));
    pump();
    advance(1.0);
    ASSERT_EQ(carried.size(), 1u);
    EXPECT_EQ(linkRows().size(), before) << "no link to itself";
    EXPECT_TRUE(band()->connectingLines().empty());
}

TEST_F(LinkingAndDropping, ALongPressDroppedOnAFolderObjectMovesTheFileRewritesItsRecordAndReleasesItsIcon)
{
    start();
    ASSERT_TRUE(QDir(home).mkpath(QStringLiteral("box")));
    const QString box = QDir(home).filePath(QStringLiteral("box"));
    QFile inside(box + "/note.txt");
    ASSERT_TRUE(inside.open(QIODevice::WriteOnly));
    inside.write("already there");
    inside.close();
    addFiles({box}, 1.5);
    const auto views = placeFiles({QStringLiteral("note.txt")});
    ASSERT_EQ(views.size(), 1u);
    ZEVItemViewForDesks* folder = nullptr;
    for (ZEVItemViewForDesks* v : nowDesk()->itemViewSet())
        if (v->itemTitle() == QStringLiteral("box"))
            folder = v;
    ASSERT_NE(folder, nullptr) << "the folder has an icon";
    KELI* item = views[0]->item();
    const QString before = ZEVItemData::Current().fileUrlForItem(item);
    ASSERT_TRUE(QFile::exists(before));

    const QPointF from = views[0]->imageFrame().center();
    const QPointF to = folder->imageFrame().center();
    bool moveSticker = false;
    replayDrag({to}, [&](const QPointF&) {
        moveSticker = dynamic_cast<ZEVItemView*>(views[0])->stickerName() == QStringLiteral("ZEVItemStickerMove");
    });
    QTest::mousePress(canvas(), Qt::LeftButton, {}, at(from));
    advance(0.8);
    QTest::mouseRelease(canvas(), Qt::LeftButton, {}, at(to));
    ASSERT_EQ(carried.size(), 1u) << "the long press dragged the Object";
    EXPECT_TRUE(moveSticker) << "hovering the folder shows what the drop will do";
    ZEVFrontClass::shared()->waitForTransfers();
    pump();
    advance(0.5);

    const QString after = box + "/note_01.txt";
    EXPECT_FALSE(QFile::exists(before)) << "moved";
    ASSERT_TRUE(QFile::exists(after)) << "under a free name beside the file already there";
    EXPECT_EQ(QFile(box + "/note.txt").size(), qint64(13)) << "nothing overwritten";
    EXPECT_EQ(ZEVItemData::Current().fileUrlForItem(item), after) << "the record follows the file";
    const Rows presence = iconLinks(std::to_string(item->idInt()));
    ASSERT_EQ(presence.size(), 1u);
    EXPECT_LT(std::stod(presence.at(0, 1)), clock.now() + 1) << "its icon released at the cursor";
    EXPECT_FALSE(siItemOption(item, ZEVOPTION_MOVING));
}

TEST_F(LinkingAndDropping, ALongPressDroppedWithAltDuplicatesTheFileIntoTheDropFolderAsANewObject)
{
    start();
    const auto views = placeFiles({QStringLiteral("plan.txt")});
    ASSERT_EQ(views.size(), 1u);
    KELI* item = views[0]->item();
    const QString original = ZEVItemData::Current().fileUrlForItem(item);
    const QPointF from = views[0]->imageFrame().center();
    const QPointF to = from + QPointF(200, 0);

    replayDrag({to}, {}, Qt::AltModifier);
    QTest::mousePress(canvas(), Qt::LeftButton, {}, at(from));
    advance(0.8);
    QTest::mouseRelease(canvas(), Qt::LeftButton, {}, at(to));
    ASSERT_EQ(carried.size(), 1u);
    ZEVFrontClass::shared()->waitForTransfers();
    pump();
    advance(1.5);

    std::vector<ZEVItemViewForDesks*> plans;
    for (ZEVItemViewForDesks* v : nowDesk()->itemViewSet())
        if (v->itemTitle() == QStringLiteral("plan.txt") && !v->isHidden())
            plans.push_back(v);
    ASSERT_EQ(plans.size(), 2u) << "the original and its duplicate";
    KELI* copy = plans[0]->item() == item ? plans[1]->item() : plans[0]->item();
    ASSERT_NE(copy, item) << "a new Object";
    const QString duplicate = ZEVItemData::Current().fileUrlForItem(copy);
    EXPECT_EQ(duplicate, ZEVItemData::Current().itemDropFolder(copy->idInt()) + "/plan.txt")
        << "in the new Object's own drop folder";
    QFile a(original), b(duplicate);
    ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    EXPECT_EQ(a.readAll(), b.readAll());
    EXPECT_EQ(ZEVItemData::Current().fileUrlForItem(item), original) << "the original stays";
    EXPECT_EQ(iconLinks(std::to_string(copy->idInt())).size(), 1u) << "the duplicate is on the desk";
    EXPECT_NEAR(nowDesk()->itemViewForItem(copy)->imageFrame().center().x(), to.x(), 2) << "where it was dropped";
    EXPECT_FALSE(siItemOption(copy, ZEVOPTION_DUPLICATING));
}

TEST_F(LinkingAndDropping, AFileDroppedFromAnotherProgramOntoAnObjectLandsAsOnTheDesk)
{
    start();
    const auto views = placeFiles({QStringLiteral("under.txt")});
    ASSERT_EQ(views.size(), 1u);
    QFile f(home + "/dropped.txt");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("from outside");
    f.close();

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(f.fileName())});
    const QPoint on = at(views[0]->imageFrame().center());
    const Qt::DropActions offered = Qt::CopyAction | Qt::LinkAction;
    QDragEnterEvent enter(on, offered, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(canvas(), &enter);
    QDragMoveEvent move(on, offered, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(canvas(), &move);
    EXPECT_TRUE(move.isAccepted()) << "the Object's overlay leaves the drag to the desk";
    QDropEvent drop(QPointF(on), offered, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(canvas(), &drop);
    EXPECT_TRUE(drop.isAccepted());
    advance(1.5);

    bool landed = false;
    for (ZEVItemViewForDesks* v : nowDesk()->itemViewSet())
        landed |= v->itemTitle() == QStringLiteral("dropped.txt") && !v->isHidden();
    EXPECT_TRUE(landed) << "a new Object on the desk";
}

TEST_F(LinkingAndDropping, AFolderDroppedOnItsOwnSubfolderIsForbiddenAndStaysWhereItIs)
{
    start();
    ASSERT_TRUE(QDir(home).mkpath(QStringLiteral("outer/sub")));
    const QString outer = QDir(home).filePath(QStringLiteral("outer"));
    addFiles({outer, outer + "/sub"}, 1.5);
    ZEVItemViewForDesks* source = nullptr;
    ZEVItemViewForDesks* sub = nullptr;
    for (ZEVItemViewForDesks* v : nowDesk()->itemViewSet()) {
        if (v->itemTitle() == QStringLiteral("outer"))
            source = v;
        if (v->itemTitle() == QStringLiteral("sub"))
            sub = v;
    }
    ASSERT_TRUE(source && sub);
    KELI* item = source->item();

    const QPointF from = source->imageFrame().center();
    const QPointF to = sub->imageFrame().center();
    // Only the outer folder is dragged: it alone is selected.
    space()->selections().selectIconForItem(item);
    pump();
    ASSERT_EQ(space()->selections().selectedIconItems(), std::vector<KELI*>{item});
    QString hovered;
    replayDrag({to}, [&](const QPointF&) { hovered = dynamic_cast<ZEVItemView*>(source)->stickerName(); });
    QTest::mousePress(canvas(), Qt::LeftButton, {}, at(from));
    advance(0.8);
    QTest::mouseRelease(canvas(), Qt::LeftButton, {}, at(to));
    ZEVFrontClass::shared()->waitForTransfers();
    pump();
    advance(0.5);

    ASSERT_EQ(carried.size(), 1u);
    EXPECT_EQ(hovered, QStringLiteral("ZEVItemStickerForbid"));
    EXPECT_TRUE(QDir(outer + "/sub").exists()) << "nothing moved";
    EXPECT_EQ(QDir(outer + "/sub").entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(), 0);
    EXPECT_EQ(ZEVItemData::Current().fileUrlForItem(item), outer);
    const Rows presence = iconLinks(std::to_string(item->idInt()));
    ASSERT_EQ(presence.size(), 1u);
    EXPECT_GT(std::stod(presence.at(0, 1)), clock.now() + 1e6) << "its icon stays on the desk";
}

TEST_F(LinkingAndDropping, OverAFolderAltAloneCopiesAltShiftMovesAndObjectsThatCannotGoAreForbiddenAndStay)
{
    start();
    ASSERT_TRUE(QDir(home).mkpath(QStringLiteral("box")));
    const QString box = QDir(home).filePath(QStringLiteral("box"));
    addFiles({box}, 1.5);
    const auto views = placeFiles({QStringLiteral("one.txt"), QStringLiteral("two.txt"), QStringLiteral("lost.txt")});
    ASSERT_EQ(views.size(), 3u);
    ZEVItemViewForDesks* folder = nullptr;
    for (ZEVItemViewForDesks* v : nowDesk()->itemViewSet())
        if (v->itemTitle() == QStringLiteral("box"))
            folder = v;
    ASSERT_NE(folder, nullptr);
    std::vector<KELI*> items;
    std::vector<QString> paths;
    for (ZEVItemViewForDesks* v : views) {
        items.push_back(v->item());
        paths.push_back(ZEVItemData::Current().fileUrlForItem(v->item()));
    }
    // An Object in error cannot go anywhere.
    addItemOption(items[2], ZEVOPTION_ERROR);
    space()->selections().selectIconForItemSet(items, nullptr);
    pump();

    // Over the folder with Alt, over the desk, over the folder with Alt and Shift, dropped so.
    const QPointF on = folder->imageFrame().center();
    const QPointF off = on + QPointF(0, 150);
    struct Step {
        QPointF p;
        Qt::KeyboardModifiers keys;
    };
    const std::vector<Step> steps{{on, Qt::AltModifier}, {off, Qt::NoModifier}, {on, Qt::AltModifier | Qt::ShiftModifier}};
    std::vector<Qt::DropAction> answers;
    std::vector<QStringList> stickers;
    bool barDuringJob = false;
    auto sticker = [](ZEVItemViewForDesks* v) { return dynamic_cast<ZEVItemView*>(v)->stickerName(); };
    ZEVItemView::setDragRunner([&](QMimeData* data, const QImage&, ZEVItemView*) {
        std::unique_ptr<QMimeData> owned(data);
        const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
        QDragEnterEvent enter(at(off), offered, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(canvas(), &enter);
        for (const Step& s : steps) {
            QDragMoveEvent move(at(s.p), offered, data, Qt::LeftButton, s.keys);
            QApplication::sendEvent(canvas(), &move);
            answers.push_back(move.isAccepted() ? move.dropAction() : Qt::IgnoreAction);
            stickers.push_back({sticker(views[0]), sticker(views[2])});
        }
        QDropEvent drop(QPointF(at(on)), offered, data, Qt::LeftButton, steps.back().keys);
        QApplication::sendEvent(canvas(), &drop);
        barDuringJob = dynamic_cast<ZEVItemView*>(views[0])->progressView() != nullptr;
        return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
    });
    const QPointF from = views[0]->imageFrame().center();
    QTest::mousePress(canvas(), Qt::LeftButton, {}, at(from));
    advance(0.71);
    QTest::mouseRelease(canvas(), Qt::LeftButton, {}, at(on));
    EXPECT_FALSE(barDuringJob) << "a small file shows no bar, only its sticker";
    ZEVItemView* stayingCopy = nullptr;
    for (const auto& c : ZEVItemViewer::CopiedItemViews())
        if (c->item() == items[2])
            stayingCopy = c.get();
    ASSERT_NE(stayingCopy, nullptr);
    ZEVFrontClass::shared()->waitForTransfers();
    pump();
    EXPECT_EQ(dynamic_cast<ZEVItemView*>(views[0])->progressView(), nullptr) << "nor at the end";
    // The copy of the Object that stays slides back onto it over 0.8 s, then goes at 0.9 s.
    const QPointF home = views[2]->imageFrame().center();
    advance(0.82);
    EXPECT_NE(stayingCopy->scene(), nullptr);
    EXPECT_NEAR(stayingCopy->imageFrame().center().x(), home.x(), 1.5);
    EXPECT_NEAR(stayingCopy->imageFrame().center().y(), home.y(), 1.5);
    advance(0.1);
    EXPECT_EQ(stayingCopy->scene(), nullptr);

    ASSERT_EQ(answers.size(), 3u) << "one long-press drag";
    EXPECT_EQ(answers[0], Qt::CopyAction) << "Alt alone copies";
    EXPECT_EQ(answers[2], Qt::MoveAction) << "Alt with Shift moves";
    EXPECT_EQ(stickers[0], (QStringList{QStringLiteral("ZEVItemStickerCopy"), QStringLiteral("ZEVItemStickerForbid")}));
    EXPECT_EQ(stickers[2], (QStringList{QStringLiteral("ZEVItemStickerMove"), QStringLiteral("ZEVItemStickerForbid")}));

    // The drop's lists: the two movable files moved, the one in error stayed.
    EXPECT_FALSE(QFile::exists(paths[0]));
    EXPECT_FALSE(QFile::exists(paths[1]));
    EXPECT_TRUE(QFile::exists(box + "/one.txt"));
    EXPECT_TRUE(QFile::exists(box + "/two.txt"));
    EXPECT_TRUE(QFile::exists(paths[2])) << "forbidden: not moved";
    EXPECT_FALSE(QFile::exists(box + "/lost.txt"));
    EXPECT_EQ(ZEVItemData::Current().fileUrlForItem(items[0]), box + "/one.txt");
}

TEST_F(LinkingAndDropping, OnlyForbiddenObjectsOverAFolderAreRefused)
{
    start();
    ASSERT_TRUE(QDir(home).mkpath(QStringLiteral("box")));
    addFiles({QDir(home).filePath(QStringLiteral("box"))}, 1.5);
    const auto views = placeFiles({QStringLiteral("gone.txt")});
    ASSERT_EQ(views.size(), 1u);
    ZEVItemViewForDesks* folder = nullptr;
    for (ZEVItemViewForDesks* v : nowDesk()->itemViewSet())
        if (v->itemTitle() == QStringLiteral("box"))
            folder = v;
    ASSERT_NE(folder, nullptr);
    const QString path = ZEVItemData::Current().fileUrlForItem(views[0]->item());
    addItemOption(views[0]->item(), ZEVOPTION_NOT_FOUND);
    Qt::DropAction answer = Qt::CopyAction;
    const QPointF on = folder->imageFrame().center();
    ZEVItemView::setDragRunner([&](QMimeData* data, const QImage&, ZEVItemView*) {
        std::unique_ptr<QMimeData> owned(data);
        QDragEnterEvent enter(at(on), Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(canvas(), &enter);
        QDragMoveEvent move(at(on), Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(canvas(), &move);
        answer = move.isAccepted() ? move.dropAction() : Qt::IgnoreAction;
        return Qt::IgnoreAction;
    });
    QTest::mousePress(canvas(), Qt::LeftButton, {}, at(views[0]->imageFrame().center()));
    advance(0.8);
    QTest::mouseRelease(canvas(), Qt::LeftButton, {}, at(on));
    pump();
    EXPECT_EQ(answer, Qt::IgnoreAction) << "none of the dragged Objects can go in";
    EXPECT_TRUE(QFile::exists(path));
}

TEST_F(LinkingAndDropping, AWebPageDroppedOnAFolderBecomesAWeblocThereAndItsObjectStays)
{
    start();
    ASSERT_TRUE(QDir(home).mkpath(QStringLiteral("links")));
    const QString box = QDir(home).filePath(QStringLiteral("links"));
    addFiles({box}, 1.5);
    // The page comes from the test's own server: nothing leaves the machine.
    tallomer::test::LocalHttpServer server;
    server.route("/today", {"<html>today</html>", {{"Content-Type", "text/html"}}});
    auto link = std::make_unique<QMimeData>();
    link->setText(server.url("/today").toString());
    QGuiApplication::clipboard()->setMimeData(link.release());
    QCursor::setPos(canvas()->mapToGlobal(QPoint(400, 300)));
    key(Qt::Key_V, Qt::ControlModifier);
    advance(1.5);
    ZEVItemViewForDesks* web = nullptr;
    ZEVItemViewForDesks* folder = nullptr;
    for (ZEVItemViewForDesks* v : nowDesk()->itemViewSet()) {
        if (v->itemType() == QStringLiteral("http"))
            web = v;
        if (v->itemTitle() == QStringLiteral("links"))
            folder = v;
    }
    ASSERT_TRUE(web && folder);
    // The page arrives from the server in its own time, not on the virtual clock.
    ASSERT_TRUE(pumpUntil([&] { return !ZEVItemData::Current().fileUrlForItem(web->item()).isEmpty(); }))
        << "the page's download";
    pump();
    const QString title = web->itemTitle();

    replayDrag({folder->imageFrame().center()}, {});
    QTest::mousePress(canvas(), Qt::LeftButton, {}, at(web->imageFrame().center()));
    advance(0.8);
    QTest::mouseRelease(canvas(), Qt::LeftButton, {}, at(folder->imageFrame().center()));
    ZEVFrontClass::shared()->waitForTransfers();
    pump();
    advance(0.5);

    const QStringList made = QDir(box).entryList(QDir::Files);
    ASSERT_EQ(made, QStringList{title + ".webloc"});
    QFile f(QDir(box).filePath(made[0]));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().contains(server.url("/today").toString().toUtf8())) << "its address";
    EXPECT_FALSE(web->isHidden()) << "the web Object stays on the desk";
    EXPECT_FALSE(siItemOption(web->item(), ZEVOPTION_ERROR | ZEVOPTION_COPYING | ZEVOPTION_MOVING));
}

TEST_F(LinkingAndDropping, TheFileJobsTakeAnObjectByItsOptionsAndItsFile)
{
    start();
    ASSERT_TRUE(QDir(home).mkpath(QStringLiteral("dir")));
    addFiles({QDir(home).filePath(QStringLiteral("dir"))}, 1.5);
    const auto views = placeFiles({QStringLiteral("plain.txt")});
    ASSERT_EQ(views.size(), 1u);
    KELI* file = views[0]->item();
    KELI* dir = nullptr;
    for (ZEVItemViewForDesks* v : nowDesk()->itemViewSet())
        if (v->itemTitle() == QStringLiteral("dir"))
            dir = v->item();
    ASSERT_NE(dir, nullptr);
    // Files under the test's home count as the program's own: start from none.
    setItemOptions(file, 0);
    setItemOptions(dir, 0);
    using F = ZEVFrontClass;
    auto all = [](KELI* i) {
        // Reading the file sets the bits of where it lies again: the options are read first.
        return std::vector<bool>{F::siCopyToForItem(i), F::siCopyToSpaceForItem(i), F::siMoveToForItem(i),
                                 F::siMoveToSpaceForItem(i), F::siDuplicateToForItem(i)};
    };
    // copy to, copy to Space, move to, move to Space, duplicate to
    EXPECT_EQ(all(file), (std::vector<bool>{true, true, true, true, true}));
    setItemOptions(dir, 0);
    EXPECT_EQ(all(dir), (std::vector<bool>{true, false, true, false, false}))
        << "a folder is not duplicated, and goes to a folder but never into the Space";
    setItemOptions(file, ZEVOPTION_HOLD_BY_SYSTEM);
    EXPECT_EQ(all(file), (std::vector<bool>{true, true, false, false, true})) << "a copy leaves the system's file";
    setItemOptions(file, ZEVOPTION_HOLD_BY_ZEV);
    EXPECT_EQ(all(file), (std::vector<bool>{true, false, true, false, true}));
    setItemOptions(file, ZEVOPTION_COPYING);
    EXPECT_EQ(all(file), (std::vector<bool>{false, false, false, false, false})) << "busy";
    setItemOptions(file, 0);
    QFile::remove(ZEVItemData::Current().fileUrlForItem(file));
    EXPECT_FALSE(F::siDuplicateToForItem(file)) << "no file";
    EXPECT_FALSE(F::siMoveToSpaceForItem(file));
}

TEST_F(LinkingAndDropping, APaintShowsExactlyTheEffectiveLinesAndAClickTwoPointsBesideALineSelectsItFourDoNot)
{
    start();
    const auto views = placeFiles({QStringLiteral("a.txt"), QStringLiteral("b.txt"), QStringLiteral("c.txt"),
                                   QStringLiteral("d.txt"), QStringLiteral("e.txt")});
    ASSERT_EQ(views.size(), 5u);
    std::vector<KELI*> o;
    for (ZEVItemViewForDesks* v : views)
        o.push_back(v->item());
    ZEVItemViewer* iv = space()->itemViewerForCurseur(space()->nowCurseur());
    iv->userRecallLinkWithItem(o[0], o[1]);
    iv->userRecallLinkWithItem(o[2], o[3]);
    iv->userRecallLinkWithItem(o[1], o[4]);
    advance(1.5);
    ASSERT_EQ(iv->connexionsExistantes().size(), 3u);
    auto line = [&](KELI* x, KELI* y) -> ZEVItemConnexion* {
        for (ZEVItemConnexion* c : iv->connexionsExistantes())
            if (c->siConnectedToItem(x) && c->siConnectedToItem(y))
                return c;
        return nullptr;
    };
    ZEVItemConnexion* ab = line(o[0], o[1]);
    ZEVItemConnexion* cd = line(o[2], o[3]);
    ZEVItemConnexion* be = line(o[1], o[4]);
    ASSERT_TRUE(ab && cd && be);
    auto shown = [&] {
        canvas()->repaint();
        return std::vector<bool>{ab->siDisplayed(), cd->siDisplayed(), be->siDisplayed()};
    };

    space()->setSiShowLinksForSelections(false);
    space()->setSiShowLinksForAllObjects(true);
    EXPECT_EQ(shown(), (std::vector<bool>{true, true, true})) << "every line";
    // With c as the filter only c and what is linked to it show: a line with a hidden end is
    // not drawn.
    space()->selections().selectFilterForItem(o[2]);
    advance(1.0);
    ASSERT_TRUE(views[0]->isHidden());
    EXPECT_EQ(shown(), (std::vector<bool>{false, true, false})) << "only the effective line";
    space()->selections().deselectAllFilters();
    advance(1.0);
    ASSERT_FALSE(views[0]->isHidden());
    space()->setSiShowLinksForAllObjects(false);
    space()->setSiShowLinksForSelections(true);
    space()->selections().selectIconForItem(o[0]);
    pump();
    EXPECT_EQ(shown(), (std::vector<bool>{true, false, false})) << "only the lines of the selection";

    // The line from a to b, clicked beside its middle.
    space()->setSiShowLinksForSelections(false);
    space()->setSiShowLinksForAllObjects(true);
    space()->selections().deselectAllIcons();
    pump();
    ASSERT_EQ(shown(), (std::vector<bool>{true, true, true}));
    const QPointF s = ab->dragSrcPointWithRadiusCorrection(), e = ab->dragDstPointWithRadiusCorrection();
    const double length = std::hypot(e.x() - s.x(), e.y() - s.y());
    ASSERT_GT(length, 10) << "a line long enough to be clicked";
    const QPointF mid = (s + e) / 2, normal = QPointF(-(e - s).y(), (e - s).x()) / length;
    QTest::mouseClick(canvas(), Qt::LeftButton, {}, at(mid + normal * 4));
    pump();
    EXPECT_FALSE(space()->selections().isLinkSelectedForConnexion(ab)) << "4 points beside: missed";
    QTest::mouseClick(canvas(), Qt::LeftButton, {}, at(mid - normal * 2));
    pump();
    EXPECT_TRUE(space()->selections().isLinkSelectedForConnexion(ab)) << "2 points beside: on the line";
    EXPECT_FALSE(space()->selections().isLinkSelectedForConnexion(cd));
}

} // namespace
} // namespace e2e
