// Names in menus read as they are written in the running program: a Channel renamed "A & B" shows
// whole in the Channels menu, and an Object titled with "&" in its own menu, where Qt would read
// the "&" as the mark of a shortcut letter and hide it. A long title shortened in an Object's menu
// is cut between whole characters, never through one, and so is a very long Channel name in the
// Channels menu. The Channels panel's own menu names the bars as every other menu does.

#include "tests/e2e/E2EFixture.h"

#include "app/menu/KELMainMenu.h"
#include "inspectors/context/ZEVContextViewer.h"
#include "inspectors/channels/ZEVChannelModifyPanel.h"
#include "inspectors/channels/ZEVChannelView.h"
#include "inspectors/channels/ZEVChannelViewer.h"
#include "objects/view/ZEVItemView.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSpacesMenus.h"
#include "widgets/ZEVButton.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QTest>

namespace e2e {
namespace {

class MenuTexts : public E2E {
protected:
    void TearDown() override
    {
        while (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
        E2E::TearDown();
    }
    ZEVChannelViewer* channels() const { return dynamic_cast<ZEVChannelViewer*>(space()->channelViewer()); }
    QPoint at(const QPointF& p) const { return QPoint(int(p.x()), int(canvas()->height() - p.y())); }
    // What the visible items of a menu say to a person (Qt's reading of their texts).
    static QStringList shownTexts(QMenu* m)
    {
        QStringList out;
        QAccessibleInterface* menu = QAccessible::queryAccessibleInterface(m);
        for (int i = 0; menu && i < m->actions().size(); ++i)
            if (m->actions().at(i)->isVisible() && !m->actions().at(i)->isSeparator())
                if (QAccessibleInterface* item = menu->child(i))
                    out << item->text(QAccessible::Name);
        return out;
    }
    // What the menu of `v` shows, right-clicked as a person does; the menu is closed again.
    QStringList objectMenuShows(ZEVItemView* v)
    {
        QTest::mouseClick(canvas(), Qt::RightButton, {}, at(v->imageFrame().center()));
        pump();
        auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!popup) {
            ADD_FAILURE() << "no menu popped";
            return {};
        }
        const QStringList shown = shownTexts(popup);
        popup->close();
        pump();
        return shown;
    }
};

TEST_F(MenuTexts, AChannelNamedWithAnAmpersandShowsWholeInTheChannelsMenu)
{
    startWithTheBar();
    chooseMenuItemTitled(KELMainMenu::kMenuChannels, QStringLiteral("Rename Channel\u2026"));
    advance(1.0);
    ZEVChannelModifyPanel* p = channels() ? channels()->modifyPanel() : nullptr;
    ASSERT_TRUE(p && p->isVisible());
    p->channelField()->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(p->channelField(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(p->channelField(), QStringLiteral("A & B"));
    QTest::keyClick(p->channelField(), Qt::Key_Return);
    advance(1.0);
    ASSERT_EQ(channels()->channelModel().nameOfCurrentChannel().value_or(""), "A & B");

    QMenu* m = openMenu(KELMainMenu::kMenuChannels);
    ASSERT_NE(m, nullptr);
    const QStringList shown = shownTexts(m);
    bool whole = false;
    for (const QString& t : shown)
        whole = whole || t.startsWith(QStringLiteral("A & B ("));
    EXPECT_TRUE(whole) << shown.join(" | ").toStdString();
    m->close();
    pump();
}

TEST_F(MenuTexts, AnObjectTitledWithAnAmpersandShowsWholeInItsMenu)
{
    start();
    addHomeFiles({QStringLiteral("Tom & Jerry.txt")});
    advance(1.0);
    ZEVItemView* v = viewTitled(QStringLiteral("Tom & Jerry.txt"));
    ASSERT_NE(v, nullptr);
    // The first item names the Object, between quotes, while the pointer is elsewhere.
    const QStringList shown = objectMenuShows(v);
    ASSERT_FALSE(shown.isEmpty());
    EXPECT_EQ(shown.first(), QStringLiteral("\"Tom & Jerry.txt\"")) << shown.join(" | ").toStdString();
}

TEST_F(MenuTexts, AnObjectsLongTitleIsShortenedBetweenWholeCharactersInItsMenu)
{
    start();
    // The menu keeps 24 units of the Object's own title and 19 of its partner's: a picture
    // character (two units) and an accent written after its letter stand across those cuts.
    const QString beach = QString(23, QLatin1Char('a')) + QStringLiteral("\U0001F3D6 beach.txt");
    const QString accent = QString(18, QLatin1Char('b')) + QStringLiteral("q\u0301 notes.txt");
    addHomeFiles({beach, accent});
    advance(1.0);
    ZEVItemView* partner = viewTitled(accent);
    ZEVItemView* v = viewTitled(beach);
    ASSERT_NE(partner, nullptr);
    ASSERT_NE(v, nullptr);
    QTest::mouseClick(canvas(), Qt::LeftButton, {}, at(partner->imageFrame().center()));
    pump();
    const QStringList shown = objectMenuShows(v);
    ASSERT_FALSE(shown.isEmpty());
    EXPECT_EQ(shown.first(), "\"" + QString(23, QLatin1Char('a')) + "\u2026\"") << shown.first().toStdString();
    EXPECT_TRUE(shown.contains("Link with \"" + QString(18, QLatin1Char('b')) + "\u2026\""))
        << shown.join(" | ").toStdString();
    for (const QString& t : shown)
        for (qsizetype i = 0; i < t.size(); ++i)
            EXPECT_FALSE(t.at(i).isSurrogate() &&
                         !(t.at(i).isHighSurrogate() && i + 1 < t.size() && t.at(i + 1).isLowSurrogate()) &&
                         !(t.at(i).isLowSurrogate() && i > 0 && t.at(i - 1).isHighSurrogate()))
                << "half a character in " << t.toStdString();
}

TEST_F(MenuTexts, TheChannelsPanelsMenuNamesTheBarsAsEveryOtherMenuDoes)
{
    startWithTheBar();
    auto* bar = dynamic_cast<ZEVContextViewer*>(space()->contextViewer());
    ZEVButton* opener = bar ? bar->buttonForEntityInt(KELENTITY_CHANNEL_VIEWER) : nullptr;
    ASSERT_NE(opener, nullptr);
    click(opener);
    advance(1.0);
    ZEVChannelViewer* v = channels();
    ASSERT_TRUE(v && v->siShowInspectView() && v->channelView());
    click(v->channelView()->btnEntity());
    QMenu* m = shownPopupMenu();
    ASSERT_NE(m, nullptr);
    const QStringList shown = shownTexts(m);
    m->close();
    pump();
    EXPECT_EQ(shown.mid(shown.size() - 4), (QStringList{"Time Bar", "Timeline", "Tracks", "Toolbar"}))
        << shown.join(" | ").toStdString();
}

TEST_F(MenuTexts, AVeryLongChannelNameIsCutBetweenWholeCharactersAndTheMenuFitsTheScreen)
{
    start();
    // A picture character (two units) stands across the cut; the home mark follows the name.
    const qsizetype most = ZEVSpacesMenus::kLongestChannelTitle;
    const QString head = QString(most - 2, QLatin1Char('w'));
    const QString name = head + QStringLiteral("\U0001F3D6") + QString(300, QLatin1Char('x'));
    KELI* trip = space()->newIdentityNamed(name.toStdString());
    ASSERT_NE(trip, nullptr);
    space()->updateChannelWithIdentityInt(trip->idInt());
    ASSERT_TRUE(space()->setHomeChannelInt(trip->idInt()));
    advance(1.0);

    QMenu* m = openMenu(KELMainMenu::kMenuChannels);
    ASSERT_NE(m, nullptr);
    const QStringList shown = shownTexts(m);
    const int wide = m->sizeHint().width();
    m->close();
    pump();
    EXPECT_TRUE(shown.contains(head + QStringLiteral("\u2026 (Home)"))) << shown.join(" | ").toStdString();
    EXPECT_LE(wide, QApplication::primaryScreen()->availableGeometry().width());
}

} // namespace
} // namespace e2e
