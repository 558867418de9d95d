// Recall, Retain, Release and Forget in the running program: keys, the Edit menu and the link
// line's menu reach the desk through the front viewer, and the store keeps each icon's spans.

#include "tests/e2e/E2EFixture.h"

#include "desk/model/ZEVDeskClass.h"
#include "desk/model/ZEVItemClass.h"
#include "desk/model/ZEVItemOptions.h"
#include "engine/KELICurseur.h"
#include "engine/KELServeurDeLiens.h"
#include "front/ZEVFrontViewer.h"
#include "objects/view/ZEVItemView.h"
#include "objects/viewer/ZEVItemConnexion.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "platform/sound/Sound.h"
#include "space/ZEVSelections.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QMimeData>
#include <QTest>

namespace e2e {
namespace {

class EditActions : public E2EWithSound<RecordingSound> {
protected:
    // Three files placed on the Now desk from the desktop; their Objects' ids.
    std::vector<std::string> placeThreeFiles()
    {
        addHomeFiles({"a.txt", "b.txt", "c.txt"});
        std::vector<std::string> ids;
        const Rows files = placedObjectsOfType("file");
        for (std::size_t r = 0; r < files.size(); ++r)
            ids.push_back(files.at(r, 0));
        EXPECT_EQ(ids.size(), 3u);
        return ids;
    }
    ZEVFrontViewer* front() const { return dynamic_cast<ZEVFrontViewer*>(space()->frontViewer()); }
    // Closed and open icon links of an Object.
    std::pair<int, int> spans(const std::string& id) const
    {
        int closed = 0, open = 0;
        const Rows links = iconLinks(id);
        for (std::size_t r = 0; r < links.size(); ++r)
            (std::stod(links.at(r, 1)) >= 4503599627370496.0 ? open : closed) += 1;
        return {closed, open};
    }
    // How many of the Objects lie on the Now desk at its cursor's moment.
    int onNowDesk(const std::vector<std::string>& ids) const
    {
        int n = 0;
        for (const std::string& id : ids)
            if (KELI* o = KELServeurDeLiens::LienForInt(std::stoul(id), space()->nowCurseur()))
                n += nowDesk()->deskClass()->siIconExisteForItem(o) ? 1 : 0;
        return n;
    }
    QAction* tagged(QMenu* m, long tag)
    {
        for (QAction* a : m->actions())
            if (a->property("tag").toLongLong() == tag)
                return a;
        return nullptr;
    }
};

TEST_F(EditActions, SelectAllDeleteThenReturnLeaveEachFileWithOneClosedAndOneOpenIcon)
{
    start();
    const std::vector<std::string> ids = placeThreeFiles();
    ASSERT_EQ(ids.size(), 3u);
    ASSERT_EQ(space()->actifCurseur(), space()->nowCurseur());

    key(Qt::Key_A, Qt::ControlModifier);
    ASSERT_EQ(space()->selections().selectedIconItems().size(), 3u);
    advance(5.0);
    key(Qt::Key_Delete);
    advance(1.0);
    EXPECT_EQ(onNowDesk(ids), 0) << "released at Now, the icons leave the desk";
    for (const std::string& id : ids)
        EXPECT_EQ(spans(id), std::make_pair(1, 0)) << id;

    advance(5.0);
    key(Qt::Key_Return);
    advance(1.0);
    for (const std::string& id : ids)
        EXPECT_EQ(spans(id), std::make_pair(1, 1)) << id;
    EXPECT_EQ(onNowDesk(ids), 3) << "recalled, they lie on the desk again";
    EXPECT_EQ(space()->selections().selectedIconItems().size(), 3u) << "and stay selected";
    EXPECT_EQ(sound.beeps, 0);

    // Return again: nothing left to recall, so the step back runs and no span is added.
    key(Qt::Key_Return);
    advance(1.0);
    for (const std::string& id : ids)
        EXPECT_EQ(spans(id), std::make_pair(1, 1)) << id;
}

TEST_F(EditActions, AnObjectThatNeverLayOnADeskIsPlacedFromNowToTheEndOfTheSpace)
{
    start();
    ZEVSpaceController& s = *space();
    KELI* note = s.itemClassForCurseur(s.nowCurseur())->creerItemWithChannelInt(s.currentChannelInt(), "note", "zevp", "", 0);
    ASSERT_NE(note, nullptr);
    const std::string id = std::to_string(note->idInt());
    ASSERT_TRUE(iconLinks(id).empty());
    s.selections().selectIconForItemSet({note}, nullptr);
    advance(1.0);
    const double at = s.nowCurseur()->now();
    key(Qt::Key_Return);
    advance(1.0);
    const Rows links = iconLinks(id);
    ASSERT_EQ(links.size(), 1u);
    EXPECT_NEAR(std::stod(links.at(0, 0)), at, 0.5);
    EXPECT_GE(std::stod(links.at(0, 1)), 4503599627370496.0) << "the Space's background has no end";
    EXPECT_NE(nowDesk()->itemViewForItem(note), nullptr);
}

TEST_F(EditActions, CutReleasesTheSelectionItCopiedAndTheEditMenuRecallsAndForgets)
{
    start();
    const std::vector<std::string> ids = placeThreeFiles();
    ASSERT_EQ(ids.size(), 3u);
    key(Qt::Key_A, Qt::ControlModifier);
    advance(5.0);
    key(Qt::Key_X, Qt::ControlModifier);
    advance(1.0);
    ASSERT_NE(QGuiApplication::clipboard()->mimeData(), nullptr);
    EXPECT_EQ(QGuiApplication::clipboard()->mimeData()->urls().size(), 3);
    for (const std::string& id : ids)
        EXPECT_EQ(spans(id), std::make_pair(1, 0)) << id;

    // Recall Now from the Edit menu (tag 6), then Forget Now (63): the icon from now goes.
    advance(5.0);
    chooseMenuItem(/*Edit*/ 3, 6);
    advance(1.0);
    for (const std::string& id : ids)
        EXPECT_EQ(spans(id), std::make_pair(1, 1)) << id;
    // Forget Now erases the presence before now: the open span starts at now instead.
    auto openIn = [this](const std::string& id) {
        const Rows links = iconLinks(id);
        for (std::size_t r = 0; r < links.size(); ++r)
            if (std::stod(links.at(r, 1)) >= 4503599627370496.0)
                return std::stod(links.at(r, 0));
        return 0.0;
    };
    const double before = openIn(ids[0]);
    advance(3.0);
    chooseMenuItem(3, 63);
    advance(1.0);
    EXPECT_NEAR(openIn(ids[0]) - before, 4.0, 0.5) << "recalled 4 s before the Forget";
    EXPECT_EQ(spans(ids[0]), std::make_pair(1, 1));
}

TEST_F(EditActions, TheEditMenuAndTheObjectMenuTakeTheImagesOfTheActiveCursor)
{
    start();
    const std::vector<std::string> ids = placeThreeFiles();
    ASSERT_EQ(ids.size(), 3u);
    auto image = [](QAction* a) { return a ? a->property("imageName").toString() : QStringLiteral("none"); };

    // Now cursor: the Now forms lit (black when disabled), the Search forms disabled and black.
    QMenu* edit = openMenu(3);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(image(tagged(edit, 62)), tagged(edit, 62)->isEnabled() ? "editNowRelease.tiff" : "editBlackRelease.tiff");
    EXPECT_FALSE(tagged(edit, 4)->isEnabled());
    EXPECT_EQ(image(tagged(edit, 4)), "editBlackRecall.tiff");
    EXPECT_EQ(image(tagged(edit, 3)), "editBlackForget.tiff");
    edit->hide();
    pump();

    // The Object menu of an icon, with the Search cursor active: one set lit with the Search
    // images, Recall Now always the Now image; the Handle Objects item shows who holds the file.
    space()->rulerViewer()->userChangeActifCurseur(space()->searchCurseur());
    advance(1.0);
    ZEVDeskViewer* search = desk(space()->searchCurseur());
    ASSERT_NE(search, nullptr);
    ASSERT_FALSE(search->itemViewSet().empty());
    ZEVItemViewer* iv = space()->itemViewerForCurseur(space()->searchCurseur());
    iv->setMenuForItemView(dynamic_cast<ZEVItemView*>(search->itemViewSet().front()));
    pump();
    QMenu* object = iv->itemMenu()->menu();
    EXPECT_EQ(image(tagged(object, 6)), "editNowRecall.tiff");
    QAction* release = tagged(object, 2);
    EXPECT_EQ(image(release), release->isEnabled() ? "editSearchRelease.tiff" : "editBlackRelease.tiff");
    EXPECT_FALSE(iv->itemMenu()->action(ZEVItemMenuSlot::HandleObjects)->icon().isNull());
    object->hide();
    pump();

    // The Edit menu with the Search cursor active: Now forms disabled and black.
    edit = openMenu(3);
    ASSERT_NE(edit, nullptr);
    EXPECT_FALSE(tagged(edit, 65)->isEnabled());
    EXPECT_EQ(image(tagged(edit, 65)), "editBlackRetain.tiff");
    edit->hide();
}

// Recall Now is offered at every opening of the Edit menu; with nothing to recall it still
// brings the Now cursor back from the past.
TEST_F(EditActions, RecallNowIsOfferedAtEveryOpeningAndWithNothingToRecallBringsTheNowCursorBack)
{
    start();
    const std::vector<std::string> ids = placeThreeFiles();
    ASSERT_EQ(ids.size(), 3u);
    KELICurseur* search = space()->searchCurseur();
    ASSERT_TRUE(space()->rulerViewer()->userInitieDeplacementCurseur());
    search->decalerCurseur(-3600);
    space()->rulerViewer()->userTermineDeplacementCurseur();
    space()->rulerViewer()->userChangeActifCurseur(search);
    space()->selections().deselectAllIcons();
    advance(1.0);
    ASSERT_EQ(space()->actifCurseur(), search);

    for (int opening = 1; opening <= 3; ++opening) {
        QMenu* edit = openMenu(3);
        ASSERT_NE(edit, nullptr);
        ASSERT_NE(tagged(edit, 6), nullptr);
        EXPECT_TRUE(tagged(edit, 6)->isEnabled()) << "opening " << opening;
        edit->hide();
        pump();
        advance(0.5);
    }
    chooseMenuItem(3, 6);
    advance(1.0);
    EXPECT_EQ(space()->actifCurseur(), space()->nowCurseur());
    for (const std::string& id : ids)
        EXPECT_EQ(spans(id), std::make_pair(0, 1)) << id << ": nothing was recalled";
    EXPECT_EQ(sound.beeps, 0);
}

TEST_F(EditActions, ShowTitleTogglesTheSelectionAsOneSendToBackKeepsItsOrderAndDeleteErases)
{
    start();
    const std::vector<std::string> ids = placeThreeFiles();
    ASSERT_EQ(ids.size(), 3u);
    ZEVSpaceController& s = *space();
    std::vector<KELI*> items;
    for (ZEVItemViewForDesks* v : nowDesk()->itemViewSet())
        items.push_back(v->item());
    ASSERT_EQ(items.size(), 3u);
    // The pointer away from every icon: the mode's views are the targets. One shows its title.
    s.mouseMovedInLocation(QPointF(2, 2));
    addItemOption(items[0], ZEVOPTION_SHOW_TITLE);
    s.selections().selectIconForItemSet({items[0], items[1]}, nullptr);
    front()->userShowTitle();
    EXPECT_TRUE(siItemOption(items[0], ZEVOPTION_SHOW_TITLE));
    EXPECT_TRUE(siItemOption(items[1], ZEVOPTION_SHOW_TITLE)) << "a mixed set ends all shown";
    EXPECT_FALSE(siItemOption(items[2], ZEVOPTION_SHOW_TITLE));
    front()->userShowTitle();
    EXPECT_FALSE(siItemOption(items[0], ZEVOPTION_SHOW_TITLE));
    EXPECT_FALSE(siItemOption(items[1], ZEVOPTION_SHOW_TITLE));
    // Animate leaves non-GIF Objects alone.
    front()->userAnimate();
    EXPECT_FALSE(siItemOption(items[0], ZEVOPTION_ANIMATE));

    // Send to back: both below the third, in the order they had.
    auto z = [this](KELI* o) { return dynamic_cast<ZEVItemView*>(nowDesk()->itemViewForItem(o))->zValue(); };
    const bool firstAbove = z(items[0]) > z(items[1]);
    front()->userSendToBack();
    EXPECT_LT(z(items[0]), z(items[2]));
    EXPECT_LT(z(items[1]), z(items[2]));
    EXPECT_EQ(z(items[0]) > z(items[1]), firstAbove);

    // Delete from the Edit menu erases the two Objects for good; the third stays.
    chooseMenuItem(3, 112);
    advance(1.0);
    // Forgotten links keep their rows, with the forgotten dates.
    auto live = [this](KELI* o) {
        int n = 0;
        const Rows links = iconLinks(std::to_string(o->idInt()));
        for (std::size_t r = 0; r < links.size(); ++r)
            n += std::stod(links.at(r, 0)) < 4503599627370497.0 ? 1 : 0;
        return n;
    };
    EXPECT_EQ(live(items[0]), 0);
    EXPECT_EQ(live(items[1]), 0);
    EXPECT_EQ(live(items[2]), 1);
}

TEST_F(EditActions, TheLinkLinesMenuShowsItsStateAndActsOnTheLineFoundAgainByItsObjects)
{
    start();
    const std::vector<std::string> ids = placeThreeFiles();
    ASSERT_EQ(ids.size(), 3u);
    const std::vector<ZEVItemViewForDesks*>& views = nowDesk()->itemViewSet();
    ASSERT_EQ(views.size(), 3u);
    ZEVItemViewer* iv = space()->itemViewerForCurseur(space()->nowCurseur());
    iv->userRecallLinkWithItem(views[0]->item(), views[1]->item());
    advance(1.0);
    ASSERT_EQ(iv->connexionsExistantes().size(), 1u);
    ZEVItemConnexion* line = *iv->connexionsExistantes().begin();
    QMenu* m = front()->connexionMenuForConnexion(line);
    ASSERT_NE(m, nullptr);
    // Active at the Now cursor: Release on, Recall off, Recall Now hidden; Icon mode's entry bare.
    EXPECT_TRUE(tagged(m, 2)->isEnabled());
    EXPECT_FALSE(tagged(m, 4)->isEnabled());
    EXPECT_FALSE(tagged(m, 6)->isVisible());
    EXPECT_EQ(tagged(m, 11)->text(), "Icon");
    EXPECT_EQ(tagged(m, 13)->text(), "     Link");
    EXPECT_FALSE(tagged(m, 11)->icon().isNull());
    EXPECT_TRUE(tagged(m, 13)->icon().isNull());
    EXPECT_FALSE(tagged(m, 2)->icon().isNull()) << "the edit images are set";

    // The Icon entry selects both ends.
    space()->selections().deselectAllIcons();
    tagged(m, 11)->trigger();
    EXPECT_EQ(space()->selections().selectedIconItems().size(), 2u);
    tagged(m, 11)->trigger();
    EXPECT_TRUE(space()->selections().selectedIconItems().empty()) << "both selected: both leave";
    space()->selections().multiSelectIconForItem(views[0]->item());
    tagged(m, 11)->trigger();
    EXPECT_EQ(space()->selections().selectedIconItems().size(), 2u) << "one selected: the other joins";

    // Release from the menu ends the link at Now.
    advance(2.0);
    tagged(m, 2)->trigger();
    advance(1.0);
    EXPECT_FALSE(iv->userAskIfItemIsConnectedWithItem(views[0]->item(), views[1]->item()));

    // A line forgotten while its menu is up leaves the menu's actions without effect.
    iv->userRecallLinkWithItem(views[0]->item(), views[2]->item());
    advance(1.0);
    ZEVItemConnexion* other = nullptr;
    for (ZEVItemConnexion* c : iv->connexionsExistantes())
        if (c->siConnectedToItem(views[2]->item()))
            other = c;
    ASSERT_NE(other, nullptr);
    KELI* p = other->parentItem();
    KELI* e = other->enfantItem();
    front()->connexionMenuForConnexion(other);
    iv->delConnexionsForParentIntEnfantInt(p->idInt(), e->idInt());
    space()->selections().deselectAllIcons();
    tagged(m, 11)->trigger();
    EXPECT_TRUE(space()->selections().selectedIconItems().empty()) << "no line, no action";
}

} // namespace
} // namespace e2e
