// The Links panel in the running program: opened from the main menu's Inspectors item, it counts
// the pairs of the time line's span; in Link mode, a pair clicked in its table and the Object
// menu's Remove forget every interval of that direction and none of the other; Delete in its
// table ends the clicked pair's link at Now and keeps its row. A Remove the disk cannot finish
// forgets no interval; Recall, Retain, Release and Forget on several rows change every pair or,
// on a full disk, none.

#include "tests/e2e/E2EFixture.h"
#include "tests/e2e/FullLinkBase.h"

#include "app/menu/KELMainMenu.h"
#include "engine/KELICurseur.h"
#include "engine/KELServeurDeLiens.h"
#include "front/ZEVFrontViewer.h"
#include "inspectors/base/ZEVInspectView.h"
#include "inspectors/links/ZEVLinkViewer.h"
#include "inspectors/table/ZEVTableModel.h"
#include "inspectors/table/ZEVTableView.h"
#include "objects/view/ZEVItemView.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSelections.h"
#include "services/ZEVFrontMode.h"
#include "widgets/ZEVButton.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QTest>

namespace e2e {
namespace {

constexpr double kMinute = 60.0;

class LinksPanel : public E2EWithSound<RecordingSound> {
protected:
    ZEVFrontViewer* front() const { return dynamic_cast<ZEVFrontViewer*>(space()->frontViewer()); }
    ZEVLinkViewer* links() const
    {
        return dynamic_cast<ZEVLinkViewer*>(space()->viewerForEntityClassName("ZEVLinkViewer"));
    }
    ZEVTableView* table() const
    {
        ZEVInspectView* p = links() ? links()->inspectViewIfBuilt() : nullptr;
        return p ? p->inspectTableView() : nullptr;
    }
    std::pair<KELI*, KELI*> twoFiles()
    {
        addHomeFiles({"a.txt", "b.txt"});
        ZEVItemView* a = viewTitled(QStringLiteral("a.txt"));
        ZEVItemView* b = viewTitled(QStringLiteral("b.txt"));
        EXPECT_TRUE(a && b);
        return {a ? a->item() : nullptr, b ? b->item() : nullptr};
    }
    KELI* lien(KELI* parent, KELI* enfant, KELDate in, KELDate out)
    {
        KELI* l = KELServeurDeLiens::CreerLienRelInt(KELRELATION_LINK_VIEWER, parent, enfant, in, out,
                                                     space()->nowCurseur());
        EXPECT_NE(l, nullptr);
        return l;
    }
    int rowOf(KELI* parent, KELI* enfant) const
    {
        for (int r = 0; r < table()->numberOfRows(); ++r)
            if (ZEVLinkObject* o = links()->model().rowAt(*table(), r);
                o && o->parentItem() == parent && o->enfantItem() == enfant)
                return r;
        return -1;
    }
    // A click on the row's parent title, as the user clicks it.
    void clickRow(int row)
    {
        const QPoint at = table()->visualRect(table()->tableModel()->index(row, 4)).center();
        QTest::mouseMove(table()->viewport(), at);
        QTest::mouseClick(table()->viewport(), Qt::LeftButton, {}, at);
        pump();
    }
    // The Object menu's Remove of the one Link selected in Link mode, the row clicked.
    void removeTheLinkOfRow(int row)
    {
        front()->menuModeLink();
        advance(0.5);
        clickRow(row);
        advance(0.5);
        ASSERT_TRUE(links()->siFirstResponder());
        ASSERT_EQ(space()->selections().selectedLinks().size(), 1u);
        chooseMenuItemTitled(KELMainMenu::kMenuObject, QStringLiteral("Remove 1 Link"));
        advance(1.0);
    }
    // Three files a, b, c and the Links a→b and c→b, running on at Now or both ended twenty minutes
    // ago; the panel open in Link mode with the two rows selected as a person selects them (the
    // first clicked, the second Ctrl-clicked). The Objects and the c→b Link, none on a failure.
    struct TwoPairs {
        std::vector<KELI*> o;
        KELI* second = nullptr;
    };
    TwoPairs twoPairsSelected(bool open)
    {
        addHomeFiles({"a.txt", "b.txt", "c.txt"});
        const std::vector<KELI*> o = itemsTitled({"a.txt", "b.txt", "c.txt"});
        if (o.size() != 3u)
            return {};
        const KELDate t = space()->nowCurseur()->now();
        const KELDate in = open ? t - 10 * kMinute : t - 30 * kMinute;
        const KELDate out = open ? KELDateOuverte : t - 20 * kMinute;
        lien(o[0], o[1], in, out);
        KELI* second = lien(o[2], o[1], in, out);
        space()->selections().deselectAllIcons();
        advance(1.0);
        openInspectorFromMenu(kLinks);
        if (!second || !table()) {
            ADD_FAILURE() << "no c→b Link or no panel";
            return {};
        }
        front()->menuModeLink();
        advance(0.5);
        clickRow(rowOf(o[0], o[1]));
        const QPoint at = table()->visualRect(table()->tableModel()->index(rowOf(o[2], o[1]), 4)).center();
        QTest::mouseClick(table()->viewport(), Qt::LeftButton, Qt::ControlModifier, at);
        advance(0.5);
        if (space()->selections().selectedLinks().size() != 2u) {
            ADD_FAILURE() << "the two rows are not both selected";
            return {};
        }
        return {o, second};
    }
    // The store's links between the two Objects, parent to child: (forgotten, open, DATE_OUT).
    Rows stored(KELI* parent, KELI* enfant) const
    {
        return sql(database(), "SELECT DATE_IN >= 4503599627370497, DATE_OUT >= 4503599627370496, DATE_OUT "
                               "FROM ZEVLETS WHERE RELATION = " +
                                   std::to_string(KELRELATION_LINK_VIEWER) +
                                   " AND PARENT_ZEVLET = " + std::to_string(parent->idInt()) +
                                   " AND CHILD_ZEVLET = " + std::to_string(enfant->idInt()) + " ORDER BY ZEVLET_ID");
    }
};

TEST_F(LinksPanel, RemoveForgetsTheClickedDirectionAndDeleteReleasesTheOtherAtNow)
{
    start();
    auto [a, b] = twoFiles();
    ASSERT_TRUE(a && b);
    const KELDate t = space()->nowCurseur()->now();
    lien(a, b, t - 30 * kMinute, t - 20 * kMinute);
    lien(a, b, t - 10 * kMinute, KELDateOuverte);
    lien(b, a, t - 10 * kMinute, KELDateOuverte);
    // The files came in selected: nothing is, now.
    space()->selections().deselectAllIcons();
    advance(1.0);

    openInspectorFromMenu(kLinks);
    ASSERT_NE(table(), nullptr);
    ASSERT_TRUE(table()->isVisible());
    EXPECT_EQ(links()->inspectViewIfBuilt()->inspectField()->text(), "2 Links");
    EXPECT_EQ(table()->numberOfRows(), 2);

    // Link mode; the A→B row clicked: the Object menu offers to remove that one link.
    front()->menuModeLink();
    advance(0.5);
    const int ab = rowOf(a, b);
    ASSERT_GE(ab, 0);
    clickRow(ab);
    advance(0.5);
    ASSERT_TRUE(links()->siFirstResponder());
    ASSERT_EQ(space()->selections().selectedLinks().size(), 1u);
    QMenu* object = openMenu(KELMainMenu::kMenuObject);
    ASSERT_NE(object, nullptr);
    QAction* remove = adapter()->mainMenu()->item(KELMainMenu::kMenuObject, 13);
    ASSERT_NE(remove, nullptr);
    EXPECT_EQ(remove->text().remove('&'), "Remove 1 Link");
    object->close();
    pump();
    chooseMenuItem(KELMainMenu::kMenuObject, 13);
    advance(1.0);

    const Rows ablinks = stored(a, b);
    ASSERT_EQ(ablinks.size(), 2u);
    for (std::size_t i = 0; i < ablinks.size(); ++i)
        EXPECT_EQ(ablinks.at(i, 0), "1") << "A→B interval " << i << " forgotten";
    Rows ba = stored(b, a);
    ASSERT_EQ(ba.size(), 1u);
    EXPECT_EQ(ba.at(0, 0), "0") << "B→A untouched";
    EXPECT_EQ(ba.at(0, 1), "1") << "and still open";
    EXPECT_EQ(links()->inspectViewIfBuilt()->inspectField()->text(), "1 Link");

    // The B→A row clicked, Now active: Delete in the table is Release at Now.
    const int rba = rowOf(b, a);
    ASSERT_GE(rba, 0);
    clickRow(rba);
    advance(0.5);
    ASSERT_EQ(space()->actifCurseur(), space()->nowCurseur());
    ASSERT_TRUE(front()->siReleasingSelectedItems()) << "the panel counts its active link";
    const KELDate maintenant = space()->nowCurseur()->now();
    QTest::keyClick(table(), Qt::Key_Delete);
    advance(1.0);
    ba = stored(b, a);
    ASSERT_EQ(ba.size(), 1u);
    EXPECT_EQ(ba.at(0, 0), "0");
    EXPECT_EQ(ba.at(0, 1), "0");
    EXPECT_NEAR(std::stod(ba.at(0, 2)), maintenant, 5.0) << "ended at Now";
    EXPECT_GE(rowOf(b, a), 0) << "its row stays: the link still lies in the span";
}

// The panel's own buttons: its mode buttons switch the desk's mode and show it; with a link
// clicked, Release ends it at Now and the buttons then offer Recall and Retain; Recall opens it
// again from Now; Deselect leaves no link selected.
TEST_F(LinksPanel, ItsButtonsSwitchTheModeAndRecallReleaseAndDeselectTheClickedLink)
{
    start();
    auto [a, b] = twoFiles();
    ASSERT_TRUE(a && b);
    const KELDate t = space()->nowCurseur()->now();
    lien(a, b, t - 10 * kMinute, KELDateOuverte);
    space()->selections().deselectAllIcons();
    advance(1.0);
    openInspectorFromMenu(kLinks);
    ZEVInspectView* p = links()->inspectViewIfBuilt();
    ASSERT_TRUE(p && p->isVisible());

    QTest::mouseClick(p->btnFrontMode(3), Qt::LeftButton);
    advance(0.5);
    EXPECT_EQ(front()->frontMode(), ZEVFrontModeLinks);
    EXPECT_EQ(p->btnFrontMode(3)->state(), kZEVStateOn);
    EXPECT_EQ(p->btnFrontMode(0)->state(), kZEVStateOff);
    for (int m = 0; m < 4; ++m)
        EXPECT_FALSE(p->btnFrontMode(m)->toolTip().isEmpty()) << m;

    clickRow(rowOf(a, b));
    advance(0.5);
    ASSERT_EQ(space()->selections().selectedLinks().size(), 1u);
    EXPECT_TRUE(p->btnRelease()->isEnabled());
    EXPECT_TRUE(p->btnForget()->isEnabled());
    EXPECT_FALSE(p->btnRecall()->isEnabled());
    EXPECT_FALSE(p->btnRetain()->isEnabled());
    EXPECT_TRUE(p->btnDeselect()->isEnabled());

    advance(30.0);
    const KELDate maintenant = space()->nowCurseur()->now();
    QTest::mouseClick(p->btnRelease(), Qt::LeftButton);
    advance(1.0);
    Rows ab = stored(a, b);
    ASSERT_EQ(ab.size(), 1u);
    EXPECT_EQ(ab.at(0, 1), "0");
    EXPECT_NEAR(std::stod(ab.at(0, 2)), maintenant, 5.0) << "ended at Now";
    EXPECT_TRUE(p->btnRecall()->isEnabled());
    EXPECT_TRUE(p->btnRetain()->isEnabled());
    EXPECT_FALSE(p->btnRelease()->isEnabled());
    EXPECT_FALSE(p->btnForget()->isEnabled());

    advance(30.0);
    QTest::mouseClick(p->btnRecall(), Qt::LeftButton);
    advance(1.0);
    ab = stored(a, b);
    ASSERT_EQ(ab.size(), 2u);
    EXPECT_EQ(ab.at(1, 1), "1") << "open again from Now";
    EXPECT_TRUE(p->btnRelease()->isEnabled());
    EXPECT_FALSE(p->btnRecall()->isEnabled());

    QTest::mouseClick(p->btnDeselect(), Qt::LeftButton);
    advance(0.5);
    EXPECT_TRUE(space()->selections().selectedLinks().empty());
    EXPECT_FALSE(p->btnRelease()->isEnabled());
    EXPECT_FALSE(p->btnRecall()->isEnabled());
}

TEST_F(LinksPanel, ItsMenuOpensNoProgramAndOffersShowOriginalOnlyForTheTwoObjectsOfAClickedLink)
{
    start();
    auto [a, b] = twoFiles();
    ASSERT_TRUE(a && b);
    lien(a, b, space()->nowCurseur()->now() - 10 * kMinute, KELDateOuverte);
    space()->selections().deselectAllIcons();
    advance(1.0);
    openInspectorFromMenu(kLinks);
    ZEVInspectView* p = links()->inspectViewIfBuilt();
    ASSERT_TRUE(p && p->isVisible());
    front()->menuModeLink();
    advance(0.5);
    // The panel's menu, as its button shows it: Handle ▸ Show Original acts on the two Objects of
    // one link, and on nothing else.
    const auto showOriginalOffered = [&] {
        click(p->btnEntity());
        QMenu* m = shownPopupMenu();
        QAction* handle = m ? menuItemTagged(m, 4333) : nullptr;
        QAction* original = handle && handle->menu() ? menuItemTagged(handle->menu(), 60) : nullptr;
        EXPECT_NE(original, nullptr);
        const bool offered = original && original->isEnabled();
        if (m)
            m->close();
        pump();
        return offered;
    };
    EXPECT_FALSE(showOriginalOffered()) << "no link chosen";
    // A pair belongs to no program: the menu offers to open none (the item would do nothing).
    click(p->btnEntity());
    QMenu* m = shownPopupMenu();
    ASSERT_NE(m, nullptr);
    for (QAction* a : m->actions())
        EXPECT_FALSE(a->isVisible() && a->property("tag").toLongLong() == 11111) << a->text().toStdString();
    m->close();
    pump();
    clickRow(rowOf(a, b));
    advance(0.5);
    ASSERT_EQ(space()->selections().selectedLinks().size(), 1u);
    EXPECT_TRUE(showOriginalOffered()) << "the two Objects of the clicked link";
}

// The disk fills up at the second interval of the direction removed: the store forgets neither,
// and the panel still lists the pair.
TEST_F(LinksPanel, ARemoveTheDiskCannotFinishForgetsNoIntervalOfThePair)
{
    start();
    alerts.clear();
    auto [a, b] = twoFiles();
    ASSERT_TRUE(a && b);
    const KELDate t = space()->nowCurseur()->now();
    lien(a, b, t - 30 * kMinute, t - 20 * kMinute);
    KELI* second = lien(a, b, t - 10 * kMinute, KELDateOuverte);
    ASSERT_NE(second, nullptr);
    space()->selections().deselectAllIcons();
    advance(1.0);
    openInspectorFromMenu(kLinks);
    ASSERT_NE(table(), nullptr);
    {
        FullLinkBase full("NEW.ZEVLET_ID = " + second->idTxt());
        removeTheLinkOfRow(rowOf(a, b));
    }
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, QStringLiteral("Your changes could not be saved."));
    const Rows kept = stored(a, b);
    ASSERT_EQ(kept.size(), 2u);
    for (std::size_t i = 0; i < kept.size(); ++i)
        EXPECT_EQ(kept.at(i, 0), "0") << "interval " << i << " forgotten alone";
    EXPECT_EQ(links()->inspectViewIfBuilt()->inspectField()->text(), "1 Link");
    EXPECT_GE(rowOf(a, b), 0) << "the panel dropped a pair the store keeps";
}

// Two pairs removed together from the Object menu as the disk fills up at the second: the store
// forgets neither, and the panel still lists both, instead of one gone and one kept.
TEST_F(LinksPanel, ARemoveOfTwoPairsTheDiskCannotFinishForgetsNeither)
{
    start();
    alerts.clear();
    const auto [o, second] = twoPairsSelected(true);
    ASSERT_EQ(o.size(), 3u);
    {
        FullLinkBase full("NEW.ZEVLET_ID = " + second->idTxt());
        chooseMenuItemTitled(KELMainMenu::kMenuObject, QStringLiteral("Remove 2 Links"));
        advance(1.0);
    }
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, QStringLiteral("Your changes could not be saved."));
    for (KELI* parent : {o[0], o[2]}) {
        const Rows kept = stored(parent, o[1]);
        ASSERT_EQ(kept.size(), 1u);
        EXPECT_EQ(kept.at(0, 0), "0") << parent->idTxt() << " forgotten alone";
        EXPECT_GE(rowOf(parent, o[1]), 0) << "the panel dropped a pair the store keeps";
    }
    EXPECT_EQ(links()->inspectViewIfBuilt()->inspectField()->text(), "2 Links");
}

// A panel button acting on two rows chosen in Link mode as the disk fills up at the second pair:
// neither pair changes in the store, the failure is told, and the rows and buttons show the Links
// as the store keeps them.
struct TimeActOnTwoRows {
    const char* name;
    bool open; // the two Links run on at Now; else both ended twenty minutes ago
    ZEVButton* (ZEVInspectView::*button)() const;
    friend void PrintTo(const TimeActOnTwoRows& a, std::ostream* os) { *os << a.name; }
};

class LinksPanelOnAFullDisk : public LinksPanel, public ::testing::WithParamInterface<TimeActOnTwoRows> {
protected:
    Rows links1000182() const
    {
        return sql(database(), "SELECT ZEVLET_ID, DATE_IN, DATE_OUT FROM ZEVLETS WHERE RELATION = " +
                                   std::to_string(KELRELATION_LINK_VIEWER) + " ORDER BY ZEVLET_ID");
    }
};

TEST_P(LinksPanelOnAFullDisk, ActsOnBothRowsOrNeither)
{
    const TimeActOnTwoRows& act = GetParam();
    start();
    alerts.clear();
    const std::vector<KELI*> o = twoPairsSelected(act.open).o;
    ASSERT_EQ(o.size(), 3u);
    ZEVButton* button = (links()->inspectViewIfBuilt()->*act.button)();
    ASSERT_TRUE(button && button->isEnabled());
    const Rows before = links1000182();
    {
        FullLinkBase full("NEW.RELATION = " + std::to_string(KELRELATION_LINK_VIEWER) +
                          " AND NEW.PARENT_ZEVLET = " + o[2]->idTxt());
        QTest::mouseClick(button, Qt::LeftButton);
        advance(1.0);
    }
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, QStringLiteral("Your changes could not be saved."));
    EXPECT_EQ(links1000182().rows, before.rows) << "one pair of the two changed";
    for (KELI* parent : {o[0], o[2]}) {
        const int row = rowOf(parent, o[1]);
        ASSERT_GE(row, 0) << "the panel dropped a pair the store keeps";
        EXPECT_EQ(links()->model().isLinkActif(links()->model().rowAt(*table(), row)), act.open)
            << parent->idTxt() << ": the row shows a change the store does not hold";
    }
    ZEVInspectView* p = links()->inspectViewIfBuilt();
    EXPECT_EQ(p->btnRelease()->isEnabled(), act.open);
    EXPECT_EQ(p->btnRecall()->isEnabled(), !act.open);
}

INSTANTIATE_TEST_SUITE_P(TimeActs, LinksPanelOnAFullDisk,
                         ::testing::Values(TimeActOnTwoRows{"Recall", false, &ZEVInspectView::btnRecall},
                                           TimeActOnTwoRows{"Retain", false, &ZEVInspectView::btnRetain},
                                           TimeActOnTwoRows{"Release", true, &ZEVInspectView::btnRelease},
                                           TimeActOnTwoRows{"Forget", true, &ZEVInspectView::btnForget}),
                         [](const ::testing::TestParamInfo<TimeActOnTwoRows>& i) { return std::string(i.param.name); });

} // namespace
} // namespace e2e
