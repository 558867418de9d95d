// The toolbar's and the split bar's own behaviour with a recording owner: the width thresholds,
// each acting once per crossing, the count text on both sides of 1020, and the handle's click and
// drag.

#include "front/ZEVFrontBars.h"
#include "widgets/ZEVButton.h"

#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QCoreApplication>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using namespace tallomer;

class Owner final : public ZEVFrontBarsOwner {
public:
    int currentFrontMode() override { return 0; }
    QString nameForFrontMode(int) override { return QStringLiteral("1 Icon selected"); }
    QString shortNameForFrontMode(int) override { return QStringLiteral("1"); }
    bool siFocus() override { return false; }
    void updateNbOfItems() override { calls.push_back("updateNbOfItems"); }
    void updateToolbarButtons() override { calls.push_back("updateToolbarButtons"); }
    void handleMouseDown(const QPointF&) override { calls.push_back("down"); }
    void handleMouseDragged(const QPointF&) override { calls.push_back("dragged"); }
    void handleMouseUp(bool dragged) override { calls.push_back(dragged ? "up dragged" : "up"); }
    void setUpDownImages(bool on) override { calls.push_back(on ? "upDown on" : "upDown off"); }
    void reselectSame() override { calls.push_back("reselect"); }
    void showToolbarByDefault() override { calls.push_back("showToolbar"); }
    void wheelToTline(QWheelEvent*) override { calls.push_back("wheel"); }
    std::vector<std::string> calls;
};

void mouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButtons held)
{
    QMouseEvent e(type, QPointF(at), w->mapToGlobal(QPointF(at)), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                  held, {});
    QCoreApplication::sendEvent(w, &e);
}

void click(QWidget* w, QPoint at)
{
    mouse(w, QEvent::MouseButtonPress, at, Qt::LeftButton);
    mouse(w, QEvent::MouseButtonRelease, at, Qt::NoButton);
}

class Bars : public ::testing::Test {
protected:
    int x(const char* name) const { return toolbar.button(QString::fromLatin1(name))->x(); }
    bool shown(const char* name) const { return !toolbar.button(QString::fromLatin1(name))->isHidden(); }
    void width(int w)
    {
        owner.calls.clear();
        toolbar.setFrame(QRect(0, 0, w, 23));
    }

    QWidget parent;
    Owner owner;
    ZEVFrontToolbar toolbar{&parent, owner};
};

TEST_F(Bars, NarrowingFrom1100To500RunsTheNarrowStepsInOrderAndEndsOnTheNarrowestPlacement)
{
    width(1100);
    EXPECT_TRUE(shown("btnActionGetInfo"));
    width(500);
    EXPECT_EQ(owner.calls, (std::vector<std::string>{"updateNbOfItems"}));
    for (const char* gone : {"btnChannelUp", "btnActionGetInfo", "btnActionToggleQL", "btnActionOr", "searchButton",
                             "btnGotoPrevious", "btnActionOpen"})
        EXPECT_FALSE(shown(gone)) << gone;
    EXPECT_TRUE(shown("btnAddItems"));
    EXPECT_TRUE(toolbar.countField()->isHidden());
    EXPECT_EQ(x("btnActionEdit"), 500 - 110);
    EXPECT_EQ(x("btnDeskHome"), 500 - 140);
    EXPECT_EQ(x("btnDeskClean"), 500 - 170);
    EXPECT_EQ(x("btnAddItems"), 500 - 200);
    EXPECT_EQ(toolbar.searchField()->x(), 500 - 329);
    width(440);
    EXPECT_FALSE(shown("btnAddItems"));
}

TEST_F(Bars, Exactly870StaysInTheLayoutItCameFrom)
{
    width(1100);
    width(870);
    // Narrowing needs less than 870: still the wide layout.
    EXPECT_TRUE(shown("btnActionGetInfo"));
    EXPECT_EQ(x("btnActionOpen"), 870 - 234);
    width(860);
    EXPECT_FALSE(shown("btnActionGetInfo"));
    width(870);
    // Widening needs more than 870: still the middle layout.
    EXPECT_FALSE(shown("btnActionGetInfo"));
    EXPECT_EQ(x("btnActionOpen"), 870 - 80);
    width(871);
    EXPECT_TRUE(shown("btnActionGetInfo"));
    EXPECT_EQ(x("btnActionOpen"), 871 - 234);
    EXPECT_EQ(owner.calls, (std::vector<std::string>{"updateToolbarButtons"}));
}

TEST_F(Bars, CrossingSixHundredBackAndForthAlternatesTheSearchFieldAndRefreshesOnlyWidening)
{
    width(700);
    width(590);
    EXPECT_EQ(toolbar.searchField()->x(), 590 - 329);
    width(610);
    EXPECT_EQ(toolbar.searchField()->x(), 610 - 479);
    EXPECT_EQ(owner.calls, (std::vector<std::string>{"updateToolbarButtons"}));
    width(590);
    EXPECT_EQ(owner.calls, (std::vector<std::string>{}));
}

TEST_F(Bars, TheCountTextIsShortUnder1020AndLongFrom1020)
{
    width(1019);
    toolbar.updateNbOfItems(1);
    EXPECT_EQ(toolbar.countText(), "1 / 1");
    toolbar.updateNbOfItems(0);
    EXPECT_EQ(toolbar.countText(), "1 / 0");
    width(1020);
    toolbar.updateNbOfItems(1);
    EXPECT_EQ(toolbar.countText(), "1 Icon selected / 1 Object");
    toolbar.updateNbOfItems(0);
    EXPECT_EQ(toolbar.countText(), "1 Icon selected / 0 Object");
    toolbar.updateNbOfItems(4);
    EXPECT_EQ(toolbar.countText(), "1 Icon selected / 4 Objects");
}

// The count is read on the toolbar's grey without the focus: its text must stand out from the
// gradient (the toolkit's own "dark grey" is half white and all but vanished on it).
TEST_F(Bars, TheCountTextWithoutFocusIsDarkGreyOnTheGradient)
{
    width(1100);
    toolbar.updateNbOfItems(4);
    const QImage shot = toolbar.grab().toImage();
    const auto* label = toolbar.findChild<QLabel*>(QStringLiteral("nbOfItemsTextField"));
    ASSERT_NE(label, nullptr);
    // Where the words lie: the label's left edge, its text's own width, its full height.
    const int textWidth = label->fontMetrics().horizontalAdvance(label->text());
    const QRect area = QRect(label->geometry().topLeft(), QSize(std::min(textWidth, label->width()), label->height())) &
                       shot.rect();
    ASSERT_FALSE(area.isEmpty());
    int darkest = 255, background = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            darkest = std::min(darkest, qGray(shot.pixel(x, y)));
            background = std::max(background, qGray(shot.pixel(x, y)));
        }
    EXPECT_LE(darkest, 95) << "the text's core is one third white";
    EXPECT_GE(background - darkest, 40) << "text and gradient apart";
}

TEST_F(Bars, AClickOnTheToolbarReselectsAndOnTheSplitBarShowsTheToolbarButADragDoesNeither)
{
    width(1100);
    owner.calls.clear();
    click(&toolbar, QPoint(700, 10));
    EXPECT_EQ(owner.calls, (std::vector<std::string>{"down", "reselect", "up"}));

    ZEVFrontSplitbar split(&parent, owner);
    split.setGeometry(0, 0, 600, 5);
    owner.calls.clear();
    click(&split, QPoint(300, 2));
    EXPECT_EQ(owner.calls, (std::vector<std::string>{"down", "showToolbar", "up"}));

    owner.calls.clear();
    mouse(&split, QEvent::MouseButtonPress, QPoint(300, 2), Qt::LeftButton);
    mouse(&split, QEvent::MouseMove, QPoint(300, 40), Qt::LeftButton);
    mouse(&split, QEvent::MouseButtonRelease, QPoint(300, 40), Qt::NoButton);
    EXPECT_EQ(owner.calls, (std::vector<std::string>{"down", "upDown off", "dragged", "up dragged"}));
}

} // namespace
