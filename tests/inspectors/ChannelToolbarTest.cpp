// The Channels toolbar: the zoom pop-up's titles, tags and placement, the zoom about the active
// cursor (held at the strip's ends, nothing without a strip or with a step that is no number),
// the go buttons' lighting, and the long press that steps the list.

#include "tests/inspectors/InspectorFixture.h"

#include "inspectors/channels/ZEVChannelRules.h"
#include "inspectors/channels/ZEVChannelTableView.h"
#include "inspectors/channels/ZEVChannelViewer.h"
#include "inspectors/table/ZEVTableModel.h"
#include "ruler/ZEVTlineType.h"
#include "widgets/ZEVButton.h"

#include <QComboBox>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QItemSelectionModel>
#include <QMenu>
#include <QTest>

#include <cmath>
#include <limits>

namespace inspecttest {
namespace {

namespace R = ZEVChannelRules;

TEST(ChannelToolbarZoom, TheExtraItemNamesTheStepInMinutesDaysOrYears)
{
    EXPECT_EQ(R::stringForDuration(8640), QStringLiteral("02:24")) << "48 hours over 960 points";
    EXPECT_EQ(R::stringForDuration(90000), QStringLiteral("1:01d"));
    EXPECT_EQ(R::stringForDuration(8 * 86400.0), QStringLiteral("8d"));
    EXPECT_EQ(R::stringForDuration(400 * 86400.0), QStringLiteral("1.1y"));
    EXPECT_EQ(R::stringForDuration(4000 * 86400.0), QStringLiteral("11y"));
    EXPECT_EQ(R::stringForDuration(400000 * 86400.0), QStringLiteral("---"));
    EXPECT_EQ(R::stringForDuration(86399.6), QStringLiteral("1:00d")) << "the rounded second carries into the day";
    EXPECT_EQ(R::stringForDuration(3599.7), QStringLiteral("01:00")) << "and into the hour";
}

TEST(ChannelToolbarZoom, APresetWithinTwoSecondsIsChosenElseTheExtraItemTakesItsSortedPlace)
{
    EXPECT_EQ(R::tagForStep(8640.9), 8640u);
    EXPECT_EQ(R::tagForStep(346896000.0), 346896000u);
    EXPECT_EQ(R::tagForStep(346896000.5), R::kBeyondTag) << "346896010, not 346896000";

    const std::vector<std::uint64_t> presets = {60, 3600, 8642, 86400};
    R::Placement p = R::placement(presets, 8640);
    EXPECT_EQ(p.index, 2);
    EXPECT_FALSE(p.extra) << "8642 is within 2 s";
    p = R::placement({60, 3600, 8643, 86400}, 8640);
    EXPECT_EQ(p.index, 2);
    EXPECT_TRUE(p.extra);
    p = R::placement(presets, 3600);
    EXPECT_EQ(p.index, 1);
    EXPECT_FALSE(p.extra);
    p = R::placement(presets, R::kBeyondTag);
    EXPECT_EQ(p.index, 4);
    EXPECT_TRUE(p.extra) << "after the last preset";
}

TEST(ChannelToolbarZoom, TheAnchorKeepsItsPlaceHeldAtTheEndsAndNothingMovesWithoutAStrip)
{
    // 48 hours over 960 points: 8640 s per step; to 3600 about the middle.
    const double span = 48 * 3600.0, W = 960;
    std::optional<R::Offsets> o = R::zoomOffsets(span, W, 0.5, 3600);
    ASSERT_TRUE(o);
    const double nouveau = span - o->in + o->out;
    EXPECT_DOUBLE_EQ(nouveau, 3600 * W / 48);
    EXPECT_DOUBLE_EQ(o->in + 0.5 * nouveau, 0.5 * span) << "the anchor's date stays in the middle";
    // Left of the strip: the in-date stays; right of it: the out-date.
    o = R::zoomOffsets(span, W, -0.7, 3600);
    ASSERT_TRUE(o);
    EXPECT_DOUBLE_EQ(o->in, 0);
    o = R::zoomOffsets(span, W, 1.3, 3600);
    ASSERT_TRUE(o);
    EXPECT_DOUBLE_EQ(o->out, 0);

    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_FALSE(R::zoomOffsets(span, 0, 0.5, 3600)) << "no width";
    EXPECT_FALSE(R::zoomOffsets(span, -1, 0.5, 3600));
    EXPECT_FALSE(R::zoomOffsets(nan, W, 0.5, 3600));
    EXPECT_FALSE(R::zoomOffsets(0, W, 0.5, 3600));
    EXPECT_FALSE(R::zoomOffsets(span, W, 0.5, inf));
    EXPECT_FALSE(R::zoomOffsets(span, W, 0.5, -60));
    EXPECT_FALSE(R::zoomOffsets(span, W, nan, 3600));
    EXPECT_FALSE(R::stepFor(span, 0));
    EXPECT_FALSE(R::stepFor(inf, W));
    EXPECT_DOUBLE_EQ(*R::stepFor(span, W), 8640);
}

TEST(ChannelToolbarLights, TheStepsLightTheirButtonsAndTheRestKeepsWhatABrowseShows)
{
    using M = R::Move;
    const R::Browsing rest, channels{true, false, false}, spaces{false, true, false}, history{false, false, true};
    R::Lights l = R::lightsFor(M::Up, rest, true, false);
    EXPECT_EQ(l.channelUp, 1);
    EXPECT_EQ(l.channelDown, 0);
    EXPECT_EQ(l.home, 0);
    EXPECT_FALSE(l.previousSpace);
    l = R::lightsFor(M::Down, rest, false, true);
    EXPECT_EQ(l.channelDown, -1) << "aimed without the keys: mixed";
    EXPECT_EQ(l.channelUp, 0);
    EXPECT_EQ(l.home, -1) << "the home Channel";
    l = R::lightsFor(M::Down, channels, false, false);
    EXPECT_EQ(l.channelDown, 1) << "on while the Channels menu is open";
    EXPECT_EQ(l.channelUp, -1);
    l = R::lightsFor(M::PreviousSpace, spaces, true, true);
    EXPECT_EQ(l.previousSpace, 1);
    EXPECT_EQ(l.nextSpace, -1);
    EXPECT_EQ(l.home, -1);
    l = R::lightsFor(M::NextObject, spaces, false, false);
    EXPECT_EQ(l.gotoNext, -1);
    EXPECT_EQ(l.gotoPrevious, 0);
    EXPECT_FALSE(l.channelUp);

    l = R::lightsFor(M::Rest, rest, true, false);
    EXPECT_EQ(l.channelUp, 0);
    EXPECT_EQ(l.nextSpace, 0);
    EXPECT_EQ(l.gotoNext, 0);
    EXPECT_EQ(l.home, 0);
    l = R::lightsFor(M::Rest, spaces, true, false);
    EXPECT_EQ(l.previousSpace, -1);
    EXPECT_EQ(l.nextSpace, -1);
    EXPECT_EQ(l.channelDown, 0);
    EXPECT_FALSE(l.home) << "Home shows what the browse shows";
    l = R::lightsFor(M::Rest, history, true, false);
    EXPECT_FALSE(l.home);
    EXPECT_EQ(l.channelUp, 0);
}

TEST(ChannelToolbarKeys, CtrlKeepsToTheSamePictureMetaAloneSkipsPicturesMetAndCtrlWithMetaIsCtrl)
{
    auto k = R::spaceStepKeys({});
    EXPECT_FALSE(k.same || k.distinct);
    k = R::spaceStepKeys(Qt::ControlModifier);
    EXPECT_TRUE(k.same && !k.distinct);
    k = R::spaceStepKeys(Qt::MetaModifier);
    EXPECT_TRUE(!k.same && k.distinct);
    k = R::spaceStepKeys(Qt::ControlModifier | Qt::MetaModifier);
    EXPECT_TRUE(k.same && !k.distinct);
    k = R::spaceStepKeys(Qt::AltModifier | Qt::ShiftModifier);
    EXPECT_FALSE(k.same || k.distinct);
}

class ChannelToolbar : public Inspectors {
protected:
    void SetUp() override
    {
        defaults.setValue(QStringLiteral("ZEVInspectChannelH"), 200);
        Inspectors::SetUp();
        KELICurseur* now = space->nowCurseur();
        KELI* root = KELServeurDeLiens::LienForInt(KELOBJECT_CHANNEL_VIEWER_ROOT, now);
        KELI* c = space->newIdentityNamed("Work");
        ASSERT_NE(c, nullptr);
        ASSERT_NE(KELServeurDeLiens::CreerLienRelInt(KELRELATION_CHANNEL_VIEWER, root, c,
                                                     space->tlContexte()->nowIn() - 1000, KELDateOuverte, now),
                  nullptr);
        settle();
        channels = dynamic_cast<ZEVChannelViewer*>(viewer("ZEVChannelViewer"));
        ASSERT_NE(channels, nullptr);
        channels->showInspectView(true);
        sched.advance(0.8);
        settle();
        ASSERT_NE(channels->channelView(), nullptr);
        table = channels->channelTableView();
        ASSERT_EQ(table->tableModel()->rowCount(), 2);
    }
    int ligne() const
    {
        const QModelIndexList rows = table->selectionModel()->selectedRows();
        return rows.size() == 1 ? rows.first().row() : -1;
    }
    void presser(ZEVButton* b, double seconds)
    {
        QTest::mousePress(b, Qt::LeftButton, {}, b->rect().center());
        sched.advance(seconds);
        QTest::mouseRelease(b, Qt::LeftButton, {}, b->rect().center());
        // The long press's command comes on the next turn.
        sched.runUntilIdle();
        QCoreApplication::processEvents();
    }

    ZEVChannelViewer* channels = nullptr;
    ZEVChannelTableView* table = nullptr;
};

TEST_F(ChannelToolbar, ALongPressOnChannelDownStepsTheListAndAShortOneDoesNot)
{
    table->selectionModel()->select(table->tableModel()->index(0, 0),
                                    QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    settle();
    ZEVButton* down = channels->channelView()->btnChannelDown();
    presser(down, 0.05);
    EXPECT_EQ(ligne(), 0) << "a short press is the menu's";
    QMenu* menu = channels->toolbarMenu(ZEVChannelViewer::ToolbarMenu::Channels);
    ASSERT_TRUE(menu && menu->isVisible());
    QTest::keyClick(menu, Qt::Key_Escape);
    sched.advance(0.01);
    presser(down, ZEVButton::kLongClickDelay);
    EXPECT_EQ(ligne(), 1);
    // The steps light the buttons, and 0.2 s later they rest.
    EXPECT_NE(down->state(), kZEVStateOff);
    sched.advance(0.25);
    EXPECT_EQ(down->state(), kZEVStateOff);
    presser(channels->channelView()->btnChannelUp(), ZEVButton::kLongClickDelay);
    EXPECT_EQ(ligne(), 0);
}

TEST_F(ChannelToolbar, ChoosingAPresetZoomsTheStripAboutTheActiveCursor)
{
    auto* ruler = dynamic_cast<ZEVRulerViewer*>(space->rulerViewer());
    ASSERT_NE(ruler, nullptr);
    QComboBox* popUp = channels->channelView()->zoomPopUp();
    const double W = ruler->tlineWidth();
    ASSERT_GT(W, 0);
    const int heure = popUp->findText(QStringLiteral("1 hour"));
    ASSERT_GE(heure, 0);
    const KELDate ancre = space->nowCurseur()->now();
    const double r = ruler->tlineType()->relativeCoordinateForDate(ancre);
    channels->popUpChangeZoom(heure);
    sched.advance(2.0);
    settle();
    EXPECT_NEAR(ruler->tlineSpan() / (ruler->tlineWidth() / 48), 3600, 1);
    if (r >= 0 && r <= 1) {
        EXPECT_NEAR(ruler->tlineType()->relativeCoordinateForDate(ancre), r, 0.01);
    }
    channels->majZoomPopUp();
    EXPECT_EQ(popUp->currentText(), QStringLiteral("1 hour"));
}

// A drag resting 0.8 s on Channel down or up steps the list as a long press does; one that
// leaves sooner steps nothing.
TEST_F(ChannelToolbar, ADragRestingOnAChannelButtonStepsTheListAndOneLeavingSoonerDoesNot)
{
    table->selectionModel()->select(table->tableModel()->index(0, 0),
                                    QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    settle();
    QMimeData donnees;
    donnees.setText(QStringLiteral("x"));
    auto entrer = [&](ZEVButton* b) {
        QDragEnterEvent e(b->rect().center(), Qt::CopyAction, &donnees, Qt::LeftButton, {});
        QCoreApplication::sendEvent(b, &e);
    };
    auto sortir = [&](ZEVButton* b) {
        QDragLeaveEvent e;
        QCoreApplication::sendEvent(b, &e);
    };
    ZEVButton* down = channels->channelView()->btnChannelDown();
    entrer(down);
    sched.advance(0.5);
    sortir(down);
    sched.advance(1.0);
    settle();
    EXPECT_EQ(ligne(), 0) << "left before 0.8 s";
    entrer(down);
    sched.advance(ZEVButton::kSpringDelay + 0.05);
    settle();
    EXPECT_EQ(ligne(), 1);
    EXPECT_FALSE(channels->toolbarMenu(ZEVChannelViewer::ToolbarMenu::Channels)->isVisible()) << "no menu";
    sortir(down);
    ZEVButton* up = channels->channelView()->btnChannelUp();
    entrer(up);
    sched.advance(ZEVButton::kSpringDelay + 0.05);
    settle();
    EXPECT_EQ(ligne(), 0);
    sortir(up);
    sched.advance(1.0);
}

} // namespace
} // namespace inspecttest
