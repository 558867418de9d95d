// The front lists' row and interval menus on a real link base: titles, enabling and states by
// presence and mode, the side a links row's column designates, the interval's delete by the
// Object's live icon links, and the TimeTracking report's clipping.

#include "tests/inspectors/InspectorFixture.h"

#include "desk/model/ZEVItemClass.h"
#include "desk/model/ZEVItemOptions.h"
#include "desk/model/ZEVModelSupport.h"
#include "desk/viewer/ZEVDeskViewer.h"
#include "engine/KELServeurDeLiens.h"
#include "inspectors/ZEVFrontClass.h"
#include "services/ZEVInspectorServices.h"
#include "inspectors/table/ZEVTableView.h"
#include "ruler/ZEVRulerViewer.h"
#include "space/ZEVSelections.h"

#include <QAction>
#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using tallomer::ZEVFrontClass;
using namespace tallomer;

TEST(FrontRowMenuTitles, TwentyFourCharactersStayWholeAndTwentyFiveAreCut)
{
    const QString t24 = QStringLiteral("abcdefghijklmnopqrstuvwx");
    ASSERT_EQ(t24.size(), 24);
    EXPECT_EQ(ZEVFrontClass::menuTitle(t24), t24);
    EXPECT_EQ(ZEVFrontClass::menuTitle(t24 + "y"), t24 + QStringLiteral("\u2026"));
    EXPECT_EQ(ZEVFrontClass::menuTitle(QString()), QString());
    // Characters outside the basic plane count once and are never split.
    QString wide;
    for (int i = 0; i < 25; ++i)
        wide += QString::fromUcs4(U"\U0001F600", 1);
    const QString cut = ZEVFrontClass::menuTitle(wide);
    EXPECT_EQ(cut.toUcs4().size(), 25) << "24 characters and the ellipsis";
    EXPECT_EQ(ZEVFrontClass::menuTitle(wide.left(48)), wide.left(48)) << "24 wide characters stay whole";
}

TEST(FrontRowMenuTitles, ShowOriginalNeedsAFileAndNoStateOfItsFile)
{
    EXPECT_TRUE(ZEVFrontClass::enableShowOriginal(0, "file"));
    EXPECT_FALSE(ZEVFrontClass::enableShowOriginal(0, "http"));
    EXPECT_FALSE(ZEVFrontClass::enableShowOriginal(0, ""));
    for (std::uint64_t bit : {0x4ull, 0x8ull, 0x20ull, 0x1000ull, 0x2000ull, 0x4000ull, 0x8000ull})
        EXPECT_FALSE(ZEVFrontClass::enableShowOriginal(bit, "file")) << std::hex << bit;
    EXPECT_TRUE(ZEVFrontClass::enableShowOriginal(ZEVOPTION_ERROR | ZEVOPTION_HOLD_BY_EXTERN, "file"))
        << "bits outside the mask leave it on";
}

TEST(FrontRowMenuReport, EachIntervalIsClippedToThePeriodAndTheTotalSumsTheClippedParts)
{
    auto fmt = [](KELDate d) { return QString::number(qint64(d)); };
    // Period [1000, 5000]: one interval inside, one starting before, one reaching past the end, one
    // wholly after.
    const QStringList lines = ZEVFrontClass::timeTrackingLines(
        "Plan", 1000, 5000, {{1500, 2100}, {500, 1060}, {4400, 9000}, {6000, 7000}}, fmt);
    ASSERT_EQ(lines.size(), 8);
    EXPECT_EQ(lines[0], "TimeTracking for Object : Plan\n");
    EXPECT_EQ(lines[1], "Period In  : 1000");
    EXPECT_EQ(lines[2], "Period Out : 5000\n");
    EXPECT_TRUE(lines[3].startsWith("1500 to 2100 = ")) << lines[3].toStdString();
    EXPECT_TRUE(lines[4].startsWith("1000 to 1060 = ")) << "starts at the period's start";
    EXPECT_TRUE(lines[5].startsWith("4400 to 5000 = ")) << "counts only up to the period's end";
    EXPECT_EQ(lines[5].section(" = ", 1), tallomer::ZEVSpaceController::durationStringForDuration(600));
    EXPECT_EQ(lines[6].section(" = ", 1), tallomer::ZEVSpaceController::durationStringForDuration(0))
        << "an interval outside the period counts nothing, not less";
    EXPECT_EQ(lines[7], "\nTotal = " + tallomer::ZEVSpaceController::durationStringForDuration(600 + 60 + 600));
}

} // namespace

namespace inspecttest {
namespace {

class FrontRows : public Inspectors {
protected:
    void SetUp() override
    {
        Inspectors::SetUp();
        fc = std::make_unique<ZEVFrontClass>(*space, *host.front);
        for (ZEVTableView** t : {&objects, &links}) {
            *t = new ZEVTableView(space->spaceWindow()->spaceView());
            (*t)->referencerSpaceController(*space, host.front);
            (*t)->setZevClass(fc.get());
            (*t)->resize(900, 200);
        }
        objects->setColumnIdentifiers(ZEVFrontClass::itemColumns());
        links->setColumnIdentifiers(ZEVFrontClass::linkColumns());
        fc->referencerSelectionItemTableView(objects);
        fc->referencerSelectionLinkTableView(links);
        items = std::make_unique<ZEVItemClass>(space->nowCurseur(), nullptr);
    }
    void TearDown() override
    {
        delete objects;
        delete links;
        fc.reset();
        items.reset();
        Inspectors::TearDown();
    }
    KELI* objet(const std::string& titre)
    {
        KELI* o = items->creerItemWithChannelInt(space->currentChannelInt(), titre, "file", "txt", 0);
        EXPECT_NE(o, nullptr);
        return o;
    }
    KELI* icon(KELI* o, KELDate in, KELDate out)
    {
        KELI* l = KELServeurDeLiens::CreerLienRelInt(KELRELATION_ICON_VIEWER,
                                                     space->channelForIdentityInt(space->currentChannelInt()), o, in,
                                                     out, space->nowCurseur());
        EXPECT_NE(l, nullptr);
        return l;
    }
    QAction* tag(QMenu* m, long t)
    {
        for (QAction* a : m->findChildren<QAction*>())
            if (a->property("tag").toLongLong() == t)
                return a;
        for (QMenu* sub : m->findChildren<QMenu*>())
            if (sub->menuAction()->property("tag").toLongLong() == t)
                return sub->menuAction();
        ADD_FAILURE() << "no item " << t;
        static QAction none;
        return &none;
    }
    QMenu* rowMenu(KELI* o)
    {
        fc->referencerSelectedItems({o});
        return fc->updateRowMenu(nullptr, *objects, ZEVTableElement{o, nullptr});
    }
    void searchActive()
    {
        ASSERT_TRUE(space->rulerViewer()->userChangeActifCurseur(space->searchCurseur()));
        settle();
    }

    std::unique_ptr<ZEVFrontClass> fc;
    std::unique_ptr<ZEVItemClass> items;
    ZEVTableView* objects = nullptr;
    ZEVTableView* links = nullptr;
};

TEST_F(FrontRows, AnAbsentObjectsTimeItemsOfferRecallAndRetainAndRecallNowHidesAtTheNowCursor)
{
    KELI* absent = objet("never placed");
    // The Now cursor active: Recall Now is hidden. (The present Object's titles are proven on the
    // running program's desk, tests/e2e.)
    ASSERT_EQ(space->actifCurseur(), space->nowCurseur());
    QMenu* m = rowMenu(absent);
    ASSERT_NE(m, nullptr);
    EXPECT_FALSE(tag(m, 6)->isVisible());
    EXPECT_EQ(tag(m, 1)->text(), "\"never placed\"");
    EXPECT_EQ(tag(m, 4)->text(), "Recall Object");
    EXPECT_TRUE(tag(m, 4)->isEnabled());
    EXPECT_EQ(tag(m, 5)->text(), "Retain Object");
    EXPECT_TRUE(tag(m, 5)->isEnabled());
    EXPECT_EQ(tag(m, 2)->text(), "Release");
    EXPECT_FALSE(tag(m, 2)->isEnabled());
    EXPECT_EQ(tag(m, 3)->text(), "Forget");
    EXPECT_FALSE(tag(m, 3)->isEnabled());

    // The Search cursor active: Recall Now shows for an Object absent at Now only.
    searchActive();
    m = rowMenu(absent);
    EXPECT_TRUE(tag(m, 6)->isVisible());
    EXPECT_EQ(tag(m, 6)->text(), "Recall Object Now");
}

TEST_F(FrontRows, TheSelectionItemsFollowTheModeAndShowTheSelections)
{
    KELI* o = objet("Plan");
    space->selections().multiSelectTitleForItem(o);
    struct Case {
        int mode;
        const char* icon;
        const char* title;
        const char* link;
        const char* filter;
    };
    const Case cases[] = {{0, "Icon", "     Title", "     Link", "     Filter"},
                          {1, "     Icon", "Title", "     Link", "     Filter"},
                          {2, "     Icon", "     Title", "     Link", "Filter"},
                          {3, "     Icon", "     Title", "Link", "     Filter"}};
    for (const Case& c : cases) {
        host.front->mode = c.mode;
        QMenu* m = rowMenu(o);
        EXPECT_EQ(tag(m, 11)->text(), c.icon) << c.mode;
        EXPECT_EQ(tag(m, 12)->text(), c.title) << c.mode;
        EXPECT_EQ(tag(m, 13)->text(), c.link) << c.mode;
        EXPECT_EQ(tag(m, 14)->text(), c.filter) << c.mode;
        for (long t : {11L, 12L, 13L, 14L})
            EXPECT_EQ(!tag(m, t)->icon().isNull(), t - 11 == (c.mode == 2 ? 3 : c.mode == 3 ? 2 : c.mode))
                << "mode " << c.mode << " item " << t;
        EXPECT_FALSE(tag(m, 11)->isChecked());
        EXPECT_TRUE(tag(m, 12)->isChecked());
    }
    // Mode 4 leaves the titles as they were set last.
    host.front->mode = 4;
    QMenu* m = rowMenu(o);
    EXPECT_EQ(tag(m, 14)->text(), "Filter");

    // The Title item toggles the title selection of the right-clicked Object.
    fc->selectTitleInTableView(*objects);
    EXPECT_FALSE(space->selections().isTitleSelectedForItem(o));
    fc->selectTitleInTableView(*objects);
    EXPECT_TRUE(space->selections().isTitleSelectedForItem(o));
}

TEST_F(FrontRows, ALinksRowsChildColumnsDesignateTheChildAndColumnSixTheParent)
{
    KELI* parent = objet("a parent whose title runs long");
    KELI* enfant = objet("child");
    parent->assignerBaseInt(ZEVOPTION_MOVING);
    ZEVItemPair pair(parent, enfant);
    fc->referencerSelectedLinks({&pair});
    links->show();
    settle();
    ASSERT_EQ(links->numberOfRows(), 1);
    auto rightClick = [&](int column) {
        const QPoint p = links->visualRect(links->model()->index(0, column)).center();
        QTest::mouseClick(links->viewport(), Qt::RightButton, {}, p);
        QMenu* shown = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (shown)
            shown->close();
        return shown;
    };
    QMenu* m = rightClick(6);
    ASSERT_NE(m, nullptr) << "a right click on a row pops its menu";
    EXPECT_EQ(fc->rightColumn(), 6);
    const QString cutParent = QStringLiteral("\"a parent whose title run\u2026\"");
    EXPECT_EQ(tag(m, 1)->text(), cutParent + QStringLiteral(" \u2013 \"child\""));
    EXPECT_EQ(tag(m, 4333)->text(), "Handle " + cutParent);
    EXPECT_EQ(tag(m, 4321)->text(), "Open " + cutParent + " With");
    EXPECT_FALSE(tag(m, 60)->isEnabled()) << "the parent is moving";
    EXPECT_TRUE(tag(m, 13)->isChecked());

    m = rightClick(7);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(fc->rightColumn(), 7);
    EXPECT_EQ(tag(m, 4333)->text(), "Handle \"child\"");
    EXPECT_EQ(tag(m, 14)->text(), "     Filter \"child\"");
    // The Filter item acts on the child now.
    fc->selectFilterInTableView(*links);
    EXPECT_TRUE(space->selections().isFilterSelectedForItem(enfant));
    EXPECT_FALSE(space->selections().isFilterSelectedForItem(parent));
}

TEST_F(FrontRows, TheLastIntervalRemovesTheObjectAndAnotherOnlyForgetsThatInterval)
{
    KELI* o = objet("twice");
    const KELDate now = space->nowCurseur()->now();
    KELI* first = icon(o, now - 500, now - 400);
    KELI* second = icon(o, now - 300, KELDateOuverte);
    const KELId firstId = first->idInt(), secondId = second->idInt(), objetId = o->idInt();
    fc->referencerSelectedItems({o});
    settle();
    QMenu* m = fc->updateLegoMenu(nullptr, *objects, first);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(tag(m, 70)->text(), "Delete Interval");
    EXPECT_EQ(tag(m, 80)->text(), tallomer::ZEVSpaceController::durationStringForDuration(100));
    fc->deleteLego(first, *objects);
    EXPECT_EQ(ZEVFrontClass::liveIconLinkCount(objetId), 1);
    EXPECT_TRUE(tallomer::deskmodel::siOublie(KELServeurDeLiens::LienForInt(firstId, space->nowCurseur())));

    // In the links list an interval is always the link's.
    EXPECT_EQ(tag(fc->updateLegoMenu(nullptr, *links, second), 70)->text(), "Delete Link Interval");

    m = fc->updateLegoMenu(nullptr, *objects, KELServeurDeLiens::LienForInt(secondId, space->nowCurseur()));
    EXPECT_EQ(tag(m, 70)->text(), "Remove Object");
    fc->deleteLego(KELServeurDeLiens::LienForInt(secondId, space->nowCurseur()), *objects);
    EXPECT_EQ(ZEVFrontClass::liveIconLinkCount(objetId), 0);
    EXPECT_TRUE(tallomer::deskmodel::siOublie(KELServeurDeLiens::LienForInt(objetId, space->nowCurseur())))
        << "the Object itself is gone for good";
}

} // namespace
} // namespace inspecttest
