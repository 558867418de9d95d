// Names in menus read as they are written in the running program: a Channel renamed "A & B" shows
// whole in the Channels menu, and an Object titled with "&" in its own menu, where Qt would read
// the "&" as the mark of a shortcut letter and hide it.

#include "tests/e2e/E2EFixture.h"

#include "app/menu/KELMainMenu.h"
#include "inspectors/channels/ZEVChannelModifyPanel.h"
#include "inspectors/channels/ZEVChannelViewer.h"
#include "objects/view/ZEVItemView.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
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
    QTest::mouseClick(canvas(), Qt::RightButton, {}, at(v->imageFrame().center()));
    pump();
    auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(popup, nullptr) << "no menu popped";
    // The first item names the Object, between quotes, while the pointer is elsewhere.
    const QStringList shown = shownTexts(popup);
    ASSERT_FALSE(shown.isEmpty());
    EXPECT_EQ(shown.first(), QStringLiteral("\"Tom & Jerry.txt\"")) << shown.join(" | ").toStdString();
    popup->close();
    pump();
}

} // namespace
} // namespace e2e
