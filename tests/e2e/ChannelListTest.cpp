// The Channel list in the running program: three Channels of two Spaces each, written by a first
// run, are listed after the next start by the Channels button in id order with their names and
// their past Space's colour on the strip; a click on a row switches the window to its Channel and
// Down to the next; a press in a strip with Now active takes the Search cursor to that date.

#include "tests/e2e/E2EFixture.h"

#include "desk/model/ZEVItemClass.h"
#include "desk/viewer/ZEVDeskBackground.h"
#include "engine/KELICurseur.h"
#include "engine/KELServeurDeLiens.h"
#include "inspectors/channels/ZEVChannelTableView.h"
#include "inspectors/channels/ZEVChannelViewer.h"
#include "inspectors/context/ZEVContextView.h"
#include "inspectors/context/ZEVContextViewer.h"
#include "inspectors/table/ZEVTableModel.h"
#include "ruler/ZEVRulerViewer.h"
#include "ruler/ZEVTlineType.h"
#include "space/ZEVConstants.h"
#include "widgets/ZEVButton.h"

#include <QTest>

#include <cmath>

namespace e2e {
namespace {

struct Espace {
    KELId channel = 0;
    std::string name;
    QColor past, present;
    KELId pastColor = 0, presentColor = 0;
};

class ChannelList : public E2E {
protected:
    ZEVChannelViewer* channels() const
    {
        return dynamic_cast<ZEVChannelViewer*>(space()->viewerForEntityClassName("ZEVChannelViewer"));
    }
    ZEVContextViewer* context() const { return dynamic_cast<ZEVContextViewer*>(space()->contextViewer()); }
    ZEVTlineType* axe() const { return dynamic_cast<ZEVRulerViewer*>(space()->rulerViewer())->tlineType(); }

    // The list's table, opened by the Channels button of the toggle bar.
    ZEVChannelTableView* ouvrirParLeBouton()
    {
        ZEVButton* bouton = context()->buttonForEntityInt(KELENTITY_CHANNEL_VIEWER);
        EXPECT_NE(bouton, nullptr);
        if (!bouton)
            return nullptr;
        QTest::mouseClick(bouton, Qt::LeftButton, {}, bouton->rect().center());
        pump();
        advance(1.0);
        ZEVChannelViewer* v = channels();
        return v && v->siShowInspectView() ? v->channelTableView() : nullptr;
    }
    double xForDate(ZEVChannelTableView* t, KELDate d)
    {
        t->viewWillDraw();
        return t->scale().shift() + axe()->relativeCoordinateForDate(d) * t->scale().bound();
    }
    QPoint inRow(ZEVChannelTableView* t, int row, double x, int dy = 15)
    {
        return QPoint(int(std::floor(x)), t->rowViewportPosition(row) + dy);
    }

    std::vector<Espace> espaces;
};

TEST_F(ChannelList, TheButtonListsTheChannelsAndClicksKeysAndPressesMoveTheWindowAndTheSearchCursor)
{
    // A first run writes the Channels and their Spaces.
    startWithTheBar();
    const auto [in, len] = placedTimelineSpan();
    espaces = {{space()->currentChannelInt(), "Home", QColor(210, 20, 20), QColor(20, 20, 210)},
               {0, "Work", QColor(20, 210, 20), QColor(210, 210, 20)},
               {0, "Travel", QColor(20, 210, 210), QColor(210, 20, 210)}};
    for (Espace& e : espaces) {
        KELI* canal = e.channel ? space()->channelForIdentityInt(e.channel) : space()->newIdentityNamed(e.name);
        ASSERT_NE(canal, nullptr);
        e.channel = canal->idInt();
        if (e.name == "Home")
            space()->renameIdentity(canal, e.name);
        const auto colours = seedTwoSpaces(canal, {e.name + " space 0", e.name + " space 1"}, {e.past, e.present}, in, len);
        e.pastColor = colours[0];
        e.presentColor = colours[1];
    }
    // The next start, with a panel tall enough for three rows.
    restartWithChannelsPanelHeight(220);
    ZEVChannelTableView* table = ouvrirParLeBouton();
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->numberOfRows(), 3);
    for (int r = 0; r < 3; ++r) {
        EXPECT_EQ(table->tableModel()->index(r, 0).data().toString().toStdString(), espaces[std::size_t(r)].name);
        EXPECT_EQ(channels()->channelModel().channelForRow(r)->idInt(), espaces[std::size_t(r)].channel);
    }
    EXPECT_LT(espaces[0].channel, espaces[1].channel);
    EXPECT_LT(espaces[1].channel, espaces[2].channel);

    // On screen: each row's strip shows its past Space's colour at that Space's x.
    const QImage vue = table->viewport()->grab().toImage();
    const double xPasse = xForDate(table, in + 0.3 * len);
    ASSERT_GT(xPasse, 0);
    ASSERT_LT(xPasse, vue.width() - 60);
    for (int r = 0; r < 3; ++r) {
        const QColor vu = vue.pixelColor(inRow(table, r, xPasse, 28));
        const QColor attendu = espaces[std::size_t(r)].past;
        // Shaded by the strip, the colour keeps its hue: its strong channels stay the strongest.
        auto fort = [](const QColor& c, int v) { return v > 120; };
        for (auto [a, v] : {std::pair{attendu.red(), vu.red()}, std::pair{attendu.green(), vu.green()},
                            std::pair{attendu.blue(), vu.blue()}})
            if (fort(attendu, a)) {
                EXPECT_GT(v, 60) << "row " << r << " at x " << xPasse;
            } else {
                EXPECT_LT(v, 60) << "row " << r << " at x " << xPasse;
            }
    }

    // A click on row 2, at the Now cursor, switches the window to that Channel.
    table->viewWillDraw();
    const double nowX = table->curseurNowPosition();
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, inRow(table, 1, nowX + 1));
    pump();
    EXPECT_EQ(space()->currentChannelInt(), espaces[1].channel);
    EXPECT_TRUE(window()->windowTitle().startsWith(QStringLiteral("Work"))) << window()->windowTitle().toStdString();
    KELI* fond = nowDesk()->background().currentBackColorItem();
    ASSERT_NE(fond, nullptr);
    EXPECT_EQ(fond->idInt(), espaces[1].presentColor);
    EXPECT_EQ(space()->actifCurseur(), space()->nowCurseur()) << "a click at Now moves no cursor";

    // Down: the next row.
    QTest::keyClick(table, Qt::Key_Down);
    pump();
    EXPECT_EQ(space()->currentChannelInt(), espaces[2].channel);
    EXPECT_TRUE(window()->windowTitle().startsWith(QStringLiteral("Travel"))) << window()->windowTitle().toStdString();

    // A press in row 3's strip away from the cursors: Search becomes active at the click's date.
    const double x = xPasse;
    const KELDate attendue =
        axe()->inDate() + (x - table->scale().shift()) / (table->scale().bound() - 1) * axe()->lenght();
    QTest::mousePress(table->viewport(), Qt::LeftButton, {}, inRow(table, 2, x));
    QTest::mouseRelease(table->viewport(), Qt::LeftButton, {}, inRow(table, 2, x));
    pump();
    EXPECT_EQ(space()->actifCurseur(), space()->searchCurseur());
    const double unPoint = axe()->lenght() / table->scale().bound();
    EXPECT_NEAR(space()->searchCurseur()->now(), attendue, unPoint);
    EXPECT_TRUE(dynamic_cast<ZEVRulerViewer*>(space()->rulerViewer())->siAccepteDeplacement())
        << "the release ended it";
    EXPECT_EQ(space()->currentChannelInt(), espaces[2].channel);
}

} // namespace
} // namespace e2e

namespace e2e {
namespace {

TEST_F(ChannelList, ShiftTwiceShowsTheListWithTheCurrentChannelSelected)
{
    startWithTheBar();
    ASSERT_TRUE(channels() == nullptr || !channels()->siShowInspectView());
    key(Qt::Key_Shift);
    key(Qt::Key_Shift);
    advance(1.0);
    ASSERT_NE(channels(), nullptr);
    EXPECT_TRUE(channels()->siShowInspectView());
    ZEVChannelTableView* table = channels()->channelTableView();
    ASSERT_NE(table, nullptr);
    ASSERT_GE(table->numberOfRows(), 1);
    const QModelIndexList selected = table->selectionModel()->selectedRows();
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(channels()->channelModel().channelForRow(selected.first().row())->idInt(), space()->currentChannelInt());
}

} // namespace
} // namespace e2e
