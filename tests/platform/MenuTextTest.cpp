// Data texts in menu items read as they are written, by Qt's own reading of an item text.

#include "platform/MenuText.h"

#include <QAccessible>
#include <QAction>
#include <QKeySequence>
#include <QMenu>

#include <gtest/gtest.h>

using namespace tallomer;

namespace {

// What a menu item says to a person, as Qt reads its text (the name assistive tools are given).
QString shownName(QMenu& menu, QAction* a)
{
    QAccessibleInterface* m = QAccessible::queryAccessibleInterface(&menu);
    if (!m)
        return QStringLiteral("<no accessible menu>");
    QAccessibleInterface* item = m->child(int(menu.actions().indexOf(a)));
    return item ? item->text(QAccessible::Name) : QStringLiteral("<no accessible item>");
}

TEST(MenuText, DataReadsWholeInAnItem)
{
    QMenu menu;
    for (const QString& data : {QStringLiteral("A & B"), QStringLiteral("Home & zevFolder"), QStringLiteral("&"),
                                QStringLiteral("R&D && Co"), QStringLiteral("ends with &"), QStringLiteral("&x")}) {
        QAction* a = menu.addAction(menuText(data));
        EXPECT_EQ(shownName(menu, a), data);
        EXPECT_EQ(shownMenuText(a->text()), data);
        // No letter of it became a shortcut.
        EXPECT_TRUE(QKeySequence::mnemonic(a->text()).isEmpty()) << data.toStdString();
    }
    // A fixed text with a real shortcut mark keeps it.
    EXPECT_EQ(shownMenuText(QStringLiteral("&Open")), QStringLiteral("Open"));
}

} // namespace
