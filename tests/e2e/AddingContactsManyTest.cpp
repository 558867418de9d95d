// A Contacts panel holding more people than it shows: each add, from the add panel or by a paste,
// leaves the first new row in view; and the same card pasted again and again stays one Object with
// one card in the book's folder.

#include "tests/e2e/AddingContactsFixture.h"

#include "inspectors/contacts/ZEVPersonAddPanel.h"

#include <QApplication>
#include <QPushButton>
#include <QTreeView>

namespace e2e {
namespace {

class AddingManyContacts : public AddingContacts {
protected:
    // The row the table lists with that title; -1 for none.
    int rowTitled(const std::string& title) const
    {
        const std::vector<std::string> titles = rowTitles();
        const auto it = std::find(titles.begin(), titles.end(), title);
        return it == titles.end() ? -1 : int(it - titles.begin());
    }
    bool rowInView(int row) const
    {
        const QRect r = table()->visualRect(table()->tableModel()->index(row, 5));
        return r.isValid() && table()->viewport()->rect().contains(r);
    }
};

TEST_F(AddingManyContacts, TheNewRowsComeIntoViewAndTheSameCardPastedAgainStaysOne)
{
    for (int i = 0; i < 30; ++i) {
        const QByteArray n = QByteArray::number(i).rightJustified(2, '0');
        QFile f(contacts + "/many-" + n + ".vcf");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(cardOf("many-" + n, "Many" + n, "Al"));
    }
    advance(1.0);

    // Everyone but Dee, then Dee alone: her row comes last and is shown.
    auto addFromPanel = [&](bool allButDee) {
        click(contactsViewer()->inspectViewIfBuilt()->btnAdd());
        pump();
        auto* panel = qobject_cast<ZEVPersonAddPanel*>(QApplication::activeModalWidget());
        ASSERT_NE(panel, nullptr);
        QTreeView* list = panel->picker()->listView();
        ASSERT_EQ(panel->picker()->listModel()->rowCount(), 34);
        PeopleListModel* m = panel->picker()->listModel();
        for (int r = 0; r < m->rowCount(); ++r)
            if (m->personAt(r).title == "Dee Dunn") {
                if (allButDee) {
                    list->setFocus();
                    QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
                    list->scrollTo(m->index(r, 0));
                    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                                      list->visualRect(m->index(r, 0)).center());
                } else {
                    list->scrollTo(m->index(r, 0));
                    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(m->index(r, 0)).center());
                }
            }
        advance(0.4);
        QTest::mouseClick(panel->addButton(), Qt::LeftButton);
        advance(1.0);
    };
    ASSERT_NO_FATAL_FAILURE(addFromPanel(true));
    ASSERT_EQ(contactObjects().size(), 33u);
    ASSERT_EQ(rowTitled("Dee Dunn"), -1);
    table()->scrollToTop();
    ASSERT_NO_FATAL_FAILURE(addFromPanel(false));
    const int dee = rowTitled("Dee Dunn");
    ASSERT_GT(dee, 20) << "listed after the others";
    EXPECT_TRUE(table()->selectionModel()->isRowSelected(dee, QModelIndex()));
    EXPECT_TRUE(rowInView(dee)) << "the added row is scrolled to";

    // A new card pasted three times in the focused table, scrolled to its top each time.
    const QByteArray card = cardOf("fay-add", "Fox", "Fay");
    // No window manager gives the Space window its activation back when the panel goes.
    window()->activateWindow();
    pump();
    for (int k = 0; k < 3; ++k) {
        table()->scrollToTop();
        ASSERT_NO_FATAL_FAILURE(focusTable());
        auto data = std::make_unique<QMimeData>();
        data->setData("text/vcard", card);
        paste(std::move(data));
        const int fay = rowTitled("Fay Fox");
        ASSERT_GE(fay, 0);
        EXPECT_TRUE(rowInView(fay)) << "paste " << k;
    }
    EXPECT_EQ(sound.beeps, 0);
    EXPECT_EQ(contactObjects().size(), 35u) << "one Object for the card pasted three times";
    EXPECT_EQ(QDir(contacts).entryList({QStringLiteral("*.vcf")}, QDir::Files).size(), 35) << "one file for it";
}

} // namespace
} // namespace e2e
