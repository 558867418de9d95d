// The Channels toolbar's menus: what each enables and lights as it opens, by the state of the
// cursors, the Channels and the front layer; the Channels menu and the zoom list showing what the
// pointer is over and bringing the window back when left by Esc, and keeping a choice; the Add
// button's long press; the bar's Ctrl-scroll line and past band.

#include "tests/inspectors/InspectorFixture.h"

#include "inspectors/channels/ZEVChannelRules.h"
#include "inspectors/channels/ZEVChannelTableView.h"
#include "inspectors/channels/ZEVChannelViewer.h"
#include "inspectors/core/ZEVRowMenuParts.h"
#include "inspectors/table/ZEVTableModel.h"
#include "widgets/ZEVButton.h"
#include "tests/support/ModalDialogs.h"
#include <QFileDialog>

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QTest>

namespace inspecttest {
namespace {

namespace R = ZEVChannelRules;
using Menu = ZEVChannelViewer::ToolbarMenu;

TEST(ChannelBarMarks, TheCtrlScrollLineAndThePastBandKeepInsideTheBarsMargins)
{
    // The line: 3 wide, centred on the pointer, the bar's height, never within 20 of an edge.
    const std::optional<QRectF> ligne = R::ctrlScrollLine(100, 400, 23);
    ASSERT_TRUE(ligne);
    EXPECT_EQ(*ligne, QRectF(99, 20, 3, 23));
    EXPECT_FALSE(R::ctrlScrollLine(20, 400, 23)) << "on the left margin";
    EXPECT_FALSE(R::ctrlScrollLine(380, 400, 23)) << "on the right margin";
    EXPECT_FALSE(R::ctrlScrollLine(-5, 400, 23));

    // The band runs from the context's start to the cursor, held to the right margin.
    EXPECT_EQ(R::pastBand(50.0, 200, 400, 10), QRectF(50, 39, 150, 4));
    EXPECT_EQ(R::pastBand(50.0, 500, 400, 10), QRectF(50, 39, 330, 4)) << "the cursor past the bar";
    EXPECT_EQ(R::pastBand(-300.0, 200, 400, 10), QRectF(20, 39, 180, 4)) << "a start left of the bar";
    EXPECT_TRUE(R::pastBand(-300.0, 10, 400, 10).isEmpty()) << "the cursor left of the bar too";
    EXPECT_TRUE(R::pastBand(50.0, 200, 400, 0.1).isEmpty()) << "a past shorter than 0.15 s";
    EXPECT_TRUE(R::pastBand(390.0, 395, 400, 10).isEmpty()) << "a start on the right margin";
    EXPECT_TRUE(R::pastBand(std::nullopt, 200, 400, 10).isEmpty()) << "no strip for the start";
}

class ChannelMenus : public Inspectors {
protected:
    void SetUp() override
    {
        defaults.setValue(QStringLiteral("ZEVInspectChannelH"), 200);
        Inspectors::SetUp();
        KELICurseur* now = space->nowCurseur();
        KELI* root = KELServeurDeLiens::LienForInt(KELOBJECT_CHANNEL_VIEWER_ROOT, now);
        work = space->newIdentityNamed("Work");
        ASSERT_NE(work, nullptr);
        ASSERT_NE(KELServeurDeLiens::CreerLienRelInt(KELRELATION_CHANNEL_VIEWER, root, work,
                                                     space->tlContexte()->nowIn() - 1000, KELDateOuverte, now),
                  nullptr);
        settle();
        channels = dynamic_cast<ZEVChannelViewer*>(viewer("ZEVChannelViewer"));
        ASSERT_NE(channels, nullptr);
        channels->showInspectView(true);
        sched.advance(0.8);
        settle();
        ASSERT_NE(channels->channelView(), nullptr);
        first = space->currentChannelInt();
        ASSERT_NE(first, work->idInt());
    }
    // A menu shown as a button shows it, and its state read while it shows.
    QMenu* ouvrir(Menu which)
    {
        QMenu* m = channels->toolbarMenu(which);
        EXPECT_NE(m, nullptr);
        if (m) {
            m->popup(QPoint(10, 10));
            QCoreApplication::processEvents();
        }
        return m;
    }
    void escape(QMenu* m)
    {
        QTest::keyClick(m, Qt::Key_Escape);
        QCoreApplication::processEvents();
        sched.advance(0.01);
    }
    bool actif(QMenu* m, long tag)
    {
        QAction* a = ZEVMenuItemWithTag(m, tag);
        EXPECT_NE(a, nullptr) << "item " << tag;
        return a && a->isEnabled();
    }
    QAction* channelItem(QMenu* m, KELId id)
    {
        for (QAction* a : m->actions())
            if (a->property("userGotoChannel").toBool() && a->data().toLongLong() == qlonglong(id))
                return a;
        return nullptr;
    }
    double pas()
    {
        auto* ruler = dynamic_cast<ZEVRulerViewer*>(space->rulerViewer());
        return ruler->tlineSpan() / (ruler->tlineWidth() / 48);
    }

    ZEVChannelViewer* channels = nullptr;
    KELI* work = nullptr;
    KELId first = 0;
};

TEST_F(ChannelMenus, TheHistoryAndZoomButtonMenusFollowTheNowCursorTheHomeTimeAndTheHomeChannel)
{
    ZEVChannelView* v = channels->channelView();
    ASSERT_TRUE(space->setHomeChannelInt(first));
    host.front->atHome = false;
    QMenu* history = ouvrir(Menu::History);
    EXPECT_TRUE(actif(history, 1));
    EXPECT_TRUE(actif(history, 2000009)) << "Now active, away from the Home Time";
    EXPECT_FALSE(actif(history, 2000018)) << "on the home Channel already";
    EXPECT_FALSE(actif(history, 2));
    EXPECT_TRUE(channels->siZevstoryBrowsing());
    EXPECT_TRUE(host.front->zevstoryBrowsing) << "the twin toolbar browses too";
    EXPECT_EQ(v->btnDeskHome()->state(), kZEVStateOn);
    escape(history);
    EXPECT_FALSE(channels->siZevstoryBrowsing());
    EXPECT_FALSE(host.front->zevstoryBrowsing);
    EXPECT_EQ(v->btnDeskHome()->state(), kZEVStateOff);

    // At the Home Time with Now active, neither Home nor Now has anywhere to go; another Channel
    // than the home one can go home.
    host.front->atHome = true;
    ASSERT_TRUE(space->setHomeChannelInt(work->idInt()));
    for (Menu which : {Menu::History, Menu::ZoomButton}) {
        QMenu* m = ouvrir(which);
        EXPECT_FALSE(actif(m, 1));
        EXPECT_FALSE(actif(m, 2000009));
        if (which == Menu::History) {
            EXPECT_TRUE(actif(m, 2000018));
            EXPECT_TRUE(actif(m, 2));
        }
        escape(m);
    }
    // With the Search cursor active, Home is open and Now is for the Spaces menu's preview.
    ASSERT_TRUE(space->rulerViewer()->userChangeActifCurseur(space->searchCurseur()));
    QMenu* zoom = ouvrir(Menu::ZoomButton);
    EXPECT_TRUE(actif(zoom, 1));
    EXPECT_FALSE(actif(zoom, 2000009));
    escape(zoom);
}

TEST_F(ChannelMenus, TheHistoryMenusHighlightsPutBackOnlyThisToolbarsLights)
{
    ZEVChannelView* v = channels->channelView();
    channels->selectionNextSpace(false);
    ASSERT_EQ(v->btnGotoNextSpace()->state(), kZEVStateOn);
    QMenu* history = ouvrir(Menu::History);
    const int before = host.front->gotoOffs;
    history->setActiveAction(ZEVMenuItemWithTag(history, 1));
    QCoreApplication::processEvents();
    EXPECT_EQ(v->btnGotoNextSpace()->state(), kZEVStateOff) << "at once, not only after the delay";
    sched.advance(0.3);
    escape(history);
    sched.advance(0.3);
    EXPECT_EQ(host.front->gotoOffs, before) << "the twin toolbar keeps its lights";
}

TEST_F(ChannelMenus, TheEntityCleanFindAndAddMenusTakeTheStateOfTheirOpening)
{
    ZEVChannelView* v = channels->channelView();
    channels->channelModel().selectChannelInt(work->idInt());
    settle();
    ASSERT_EQ(space->currentChannelInt(), work->idInt());
    host.front->timebarClosed = false;
    QMenu* entity = ouvrir(Menu::Entity);
    EXPECT_FALSE(actif(entity, 42345)) << "the Channel is listed at the active cursor";
    EXPECT_TRUE(actif(entity, 42346));
    EXPECT_TRUE(ZEVMenuItemWithTag(entity, 2)->isChecked()) << "the time bar is open";
    EXPECT_FALSE(ZEVMenuItemWithTag(entity, 3)->isChecked());
    EXPECT_EQ(v->btnEntity()->state(), kZEVStateOn);
    escape(entity);
    EXPECT_EQ(v->btnEntity()->state(), kZEVStateOff);

    QMenu* clean = ouvrir(Menu::Clean);
    EXPECT_FALSE(actif(clean, 43)) << "Now active: nothing to replace from the past";
    EXPECT_FALSE(actif(clean, 44));
    EXPECT_FALSE(actif(clean, 41)) << "no selection";
    EXPECT_EQ(v->btnCleanAndReplace()->state(), kZEVStateOn);
    escape(clean);
    EXPECT_EQ(v->btnCleanAndReplace()->state(), kZEVStateOff);
    ASSERT_TRUE(space->rulerViewer()->userChangeActifCurseur(space->searchCurseur()));
    clean = ouvrir(Menu::Clean);
    EXPECT_TRUE(actif(clean, 43));
    EXPECT_TRUE(actif(clean, 44));
    EXPECT_FALSE(actif(clean, 40)) << "Clean is the Now desk's";
    escape(clean);

    QMenu* find = ouvrir(Menu::Find);
    EXPECT_FALSE(actif(find, 22030)) << "no selected Objects";
    EXPECT_FALSE(actif(find, 22031));
    EXPECT_TRUE(actif(find, 22001));
    EXPECT_FALSE(ZEVMenuItemWithTag(find, 22001)->icon().isNull());
    EXPECT_EQ(v->btnFind()->state(), kZEVStateOn);
    escape(find);
    EXPECT_EQ(v->btnFind()->state(), kZEVStateOff);

    QMenu* spaces = ouvrir(Menu::Spaces);
    EXPECT_TRUE(ZEVMenuItemWithTag(spaces, 2000009)->text().startsWith(QStringLiteral("Now  --  ")));
    EXPECT_TRUE(channels->spaceBrowsing());
    EXPECT_TRUE(host.front->spaceBrowsing);
    escape(spaces);
    EXPECT_FALSE(channels->spaceBrowsing());
    EXPECT_FALSE(host.front->spaceBrowsing);
}

TEST_F(ChannelMenus, HoveringAChannelShowsItEscReturnsToTheChannelOfTheOpeningAndAChoiceStays)
{
    QMenu* m = ouvrir(Menu::Channels);
    ASSERT_TRUE(m->isVisible());
    EXPECT_TRUE(channels->siChannelBrowsing());
    EXPECT_TRUE(host.front->channelBrowsing);
    QAction* a = channelItem(m, work->idInt());
    ASSERT_NE(a, nullptr) << "every Channel is listed";
    m->setActiveAction(a);
    QCoreApplication::processEvents();
    EXPECT_EQ(space->currentChannelInt(), work->idInt()) << "the highlight shows it";
    escape(m);
    EXPECT_FALSE(m->isVisible());
    EXPECT_EQ(space->currentChannelInt(), first) << "Esc: back to the Channel of the opening";
    EXPECT_FALSE(channels->siChannelBrowsing());
    EXPECT_FALSE(host.front->channelBrowsing);

    m = ouvrir(Menu::Channels);
    a = channelItem(m, work->idInt());
    ASSERT_NE(a, nullptr);
    m->setActiveAction(a);
    QCoreApplication::processEvents();
    QTest::keyClick(m, Qt::Key_Return);
    QCoreApplication::processEvents();
    sched.advance(0.5);
    settle();
    EXPECT_FALSE(m->isVisible());
    EXPECT_EQ(space->currentChannelInt(), work->idInt()) << "a chosen Channel stays";
    EXPECT_FALSE(channels->siChannelBrowsing());
}

TEST_F(ChannelMenus, TheZoomListPreviewsAPresetAndReturnsToTheStepOfItsOpening)
{
    QComboBox* popUp = channels->channelView()->zoomPopUp();
    channels->majZoomPopUp();
    const double avant = pas();
    ASSERT_GT(std::abs(avant - 3600), 60) << "the strip starts away from one hour";
    const int heure = popUp->findText(QStringLiteral("1 hour"));
    ASSERT_GE(heure, 0);

    popUp->showPopup();
    QCoreApplication::processEvents();
    ASSERT_TRUE(channels->siZoomMenuOpen());
    popUp->view()->setCurrentIndex(popUp->model()->index(heure, 0));
    sched.advance(1.0);
    settle();
    EXPECT_NEAR(pas(), 3600, 1) << "the highlighted preset is shown";
    // A redisplay while the list shows must not take the previewed step for the current one.
    channels->_majInspectView();
    EXPECT_TRUE(channels->siZoomMenuOpen());
    QTest::keyClick(popUp->view(), Qt::Key_Escape);
    QCoreApplication::processEvents();
    sched.advance(0.01);
    EXPECT_FALSE(channels->siZoomMenuOpen());
    sched.advance(0.5);
    settle();
    EXPECT_NEAR(pas(), avant, 1) << "left without a choice: back to the step of the opening";
    EXPECT_NE(popUp->currentText(), QStringLiteral("1 hour"));

    // Chosen, the preset stays.
    popUp->showPopup();
    QCoreApplication::processEvents();
    popUp->view()->setCurrentIndex(popUp->model()->index(heure, 0));
    sched.advance(1.0);
    QTest::keyClick(popUp->view(), Qt::Key_Return);
    QCoreApplication::processEvents();
    sched.advance(0.5);
    settle();
    EXPECT_FALSE(channels->siZoomMenuOpen());
    EXPECT_NEAR(pas(), 3600, 1);
    EXPECT_EQ(popUp->currentText(), QStringLiteral("1 hour"));
}

TEST_F(ChannelMenus, ALongPressOnAddAsksForAChannelAndAShortOneShowsTheAddMenu)
{
    ZEVButton* add = channels->channelView()->btnAdd();
    QMenu* m = channels->toolbarMenu(Menu::Add);
    QString asked;
    test::whenModalRuns<QFileDialog>(channels->channelView(), [&asked](QFileDialog* d) {
        asked = d->windowTitle();
        d->reject();
    });
    QTest::mousePress(add, Qt::LeftButton, {}, add->rect().center());
    sched.advance(ZEVButton::kLongClickDelay);
    QTest::mouseRelease(add, Qt::LeftButton, {}, add->rect().center());
    sched.runUntilIdle();
    QCoreApplication::processEvents();
    EXPECT_FALSE(m->isVisible()) << "the long press runs the command, not the menu";
    EXPECT_EQ(asked, QStringLiteral("New Channel\u2026")) << "the long press asks for a new Channel's picture";

    QTest::mousePress(add, Qt::LeftButton, {}, add->rect().center());
    sched.advance(0.05);
    QTest::mouseRelease(add, Qt::LeftButton, {}, add->rect().center());
    QCoreApplication::processEvents();
    EXPECT_TRUE(m->isVisible());
    EXPECT_EQ(add->state(), kZEVStateOn);
    EXPECT_TRUE(actif(m, 1));
    EXPECT_TRUE(actif(m, 2));
    escape(m);
    EXPECT_EQ(add->state(), kZEVStateOff);
}

TEST_F(ChannelMenus, TheRowMenuBrowsesSpacesWhileItShowsAndForgetsItsRowWhenItCloses)
{
    ZEVChannelTableView* table = channels->channelTableView();
    const int row = table->tableModel()->rowCount() - 1;
    QMenu* m = table->menuForRowAt(QPointF(10, table->rowViewportPosition(row) + 5));
    ASSERT_EQ(m, channels->toolbarMenu(Menu::Row));
    m->popup(QPoint(10, 10));
    QCoreApplication::processEvents();
    EXPECT_EQ(table->rightRow(), row);
    EXPECT_TRUE(channels->spaceBrowsing());
    EXPECT_TRUE(host.front->spaceBrowsing);
    escape(m);
    EXPECT_FALSE(m->isVisible());
    EXPECT_EQ(table->rightRow(), -2) << "the right-clicked row is forgotten";
    EXPECT_FALSE(channels->spaceBrowsing());
    EXPECT_FALSE(host.front->spaceBrowsing);
    EXPECT_EQ(space->actifCurseur(), space->nowCurseur()) << "left without a choice: back to Now";
    EXPECT_EQ(space->currentChannelInt(), first);
}

} // namespace
} // namespace inspecttest
