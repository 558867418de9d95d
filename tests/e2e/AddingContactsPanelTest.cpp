// The Contacts add panel and retrieve panel in the running program: the Object menu's "Add
// Contacts…" with the panel focused opens the add panel, two people clicked there retitle its
// button at the next poll and Add makes their contact Objects from the active cursor's date,
// icon-selected; the panel's own Add button and the title bar's close end a run without go-to
// mode left on; a double click on a contact whose card is gone opens the retrieve panel, which
// binds it to the card chosen.

#include "tests/e2e/AddingContactsFixture.h"

#include "inspectors/contacts/ZEVPersonAddPanel.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTreeView>

namespace e2e {
namespace {

constexpr long long kNotFound = 0x4;

// The row of the picker showing that title, clicked (with Ctrl: added to the selection).
void clickPerson(PeoplePicker* picker, const QString& title, Qt::KeyboardModifiers modifiers = {})
{
    PeopleListModel* m = picker->listModel();
    for (int r = 0; r < m->rowCount(); ++r)
        if (m->personAt(r).title == title) {
            QTreeView* list = picker->listView();
            QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers, list->visualRect(m->index(r, 0)).center());
            QCoreApplication::processEvents();
            return;
        }
    ADD_FAILURE() << "no row titled " << title.toStdString();
}

ZEVPersonAddPanel* addPanelUp() { return qobject_cast<ZEVPersonAddPanel*>(QApplication::activeModalWidget()); }

TEST_F(AddingContacts, TwoPeopleClickedAreAddedFromTheActiveCursorsDateAndSelected)
{
    // The Object menu's Add while the panel has the keys.
    focusTable();
    QMenu* object = openMenu(4);
    ASSERT_NE(object, nullptr);
    QAction* add = nullptr;
    for (QAction* a : object->actions())
        if (a->property("tag").toLongLong() == 31)
            add = a;
    ASSERT_NE(add, nullptr);
    EXPECT_EQ(add->text(), QString::fromUtf8("Add Contacts\u2026"));
    chooseInMenu(object, add);
    pump();
    ZEVPersonAddPanel* panel = addPanelUp();
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(space()->siGoToMode());
    EXPECT_EQ(panel->addButton()->text(), "Add");
    clickPerson(panel->picker(), "Bob Bell");
    clickPerson(panel->picker(), "Dee Dunn", Qt::ControlModifier);
    advance(0.4);
    EXPECT_EQ(panel->addButton()->text(), "Add 2 Contacts");

    const double from = space()->actifCurseur()->now();
    QTest::mouseClick(panel->addButton(), Qt::LeftButton);
    advance(1.0);
    EXPECT_EQ(addPanelUp(), nullptr);
    EXPECT_FALSE(space()->siGoToMode());

    const Rows made = contactObjects();
    ASSERT_EQ(made.size(), 2u);
    std::vector<std::string> ids;
    for (std::size_t i = 0; i < made.size(); ++i) {
        const std::string id = made.at(i, 0);
        ids.push_back(id);
        const auto p = presences(id);
        ASSERT_EQ(p.size(), 1u) << made.at(i, 1);
        EXPECT_NEAR(p[0].first, from, 2.0) << "from the active cursor's date";
        EXPECT_EQ(options(id) & 0x2, 0x2) << "held by the program";
    }
    EXPECT_EQ(made.at(0, 1), "Bob Bell");
    EXPECT_EQ(recordUid(ids[0]), "bob-add");
    EXPECT_EQ(made.at(1, 1), "Dee Dunn");
    EXPECT_EQ(recordUid(ids[1]), "dee-add");
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(selectedIconIds(), ids);
    EXPECT_EQ(rowTitles(), (std::vector<std::string>{"Bob Bell", "Dee Dunn"}));
}

TEST_F(AddingContacts, ThePanelsAddButtonOpensItAndTheTitleBarsCloseEndsTheRunAddingNothing)
{
    click(contactsViewer()->inspectViewIfBuilt()->btnAdd());
    pump();
    ZEVPersonAddPanel* panel = addPanelUp();
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(space()->siGoToMode());
    clickPerson(panel->picker(), "Ann Ames");
    advance(0.4);
    EXPECT_EQ(panel->addButton()->text(), "Add 1 Contact");
    panel->close();
    advance(1.0);
    EXPECT_EQ(addPanelUp(), nullptr);
    EXPECT_FALSE(space()->siGoToMode());
    EXPECT_TRUE(contactObjects().empty());

    // Opened again: the same panel, its selection kept, and Escape ends it too.
    click(contactsViewer()->inspectViewIfBuilt()->btnAdd());
    pump();
    ASSERT_EQ(addPanelUp(), panel);
    advance(0.4);
    EXPECT_EQ(panel->addButton()->text(), "Add 1 Contact");
    QTest::keyClick(panel, Qt::Key_Escape);
    advance(1.0);
    EXPECT_FALSE(space()->siGoToMode());
    EXPECT_TRUE(contactObjects().empty());
}

// A name typed as soon as the panel opens again is searched for, though Add was clicked last
// time, and takes the place of the search left from before.
TEST_F(AddingContacts, ANameTypedWhenThePanelOpensAgainIsSearchedFor)
{
    const auto typeInPanel = [](ZEVPersonAddPanel* panel, const char* text) {
        QWidget* keys = QApplication::focusWidget() ? QApplication::focusWidget() : panel->focusWidget();
        ASSERT_NE(keys, nullptr) << "the keys go nowhere";
        QTest::keyClicks(keys, QString::fromUtf8(text));
        QCoreApplication::processEvents();
    };
    click(contactsViewer()->inspectViewIfBuilt()->btnAdd());
    pump();
    ZEVPersonAddPanel* panel = addPanelUp();
    ASSERT_NE(panel, nullptr);
    ASSERT_NO_FATAL_FAILURE(typeInPanel(panel, "Ann"));
    EXPECT_EQ(panel->picker()->searchText(), "Ann");
    clickPerson(panel->picker(), "Ann Ames");
    advance(0.4);
    QTest::mouseClick(panel->addButton(), Qt::LeftButton);
    advance(1.0);
    ASSERT_EQ(addPanelUp(), nullptr);
    ASSERT_EQ(contactObjects().size(), 1u);

    click(contactsViewer()->inspectViewIfBuilt()->btnAdd());
    pump();
    ASSERT_EQ(addPanelUp(), panel);
    ASSERT_NO_FATAL_FAILURE(typeInPanel(panel, "Dee"));
    EXPECT_EQ(panel->picker()->searchText(), "Dee");
    ASSERT_EQ(panel->picker()->listModel()->rowCount(), 1);
    EXPECT_EQ(panel->picker()->listModel()->personAt(0).title, "Dee Dunn");
    QTest::keyClick(panel, Qt::Key_Escape);
    advance(1.0);
}

TEST_F(AddingContacts, AGoneCardsContactIsBoundToTheCardChosenInTheRetrievePanel)
{
    click(contactsViewer()->inspectViewIfBuilt()->btnAdd());
    pump();
    ZEVPersonAddPanel* panel = addPanelUp();
    ASSERT_NE(panel, nullptr);
    clickPerson(panel->picker(), "Cid Cole");
    advance(0.4);
    QTest::mouseClick(panel->addButton(), Qt::LeftButton);
    advance(1.0);
    const Rows made = contactObjects();
    ASSERT_EQ(made.size(), 1u);
    const std::string cid = made.at(0, 0);

    // The card goes from the book, never archived; the same person comes back under a new UID.
    ASSERT_TRUE(QFile::remove(contacts + "/cid-add.vcf"));
    QFile f(contacts + "/cid-new.vcf");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(cardOf("cid-new", "Cole", "Cid"));
    f.close();
    pump();
    advance(1.0);

    // A double click on its picture in the Contacts table.
    ASSERT_EQ(rowTitles(), std::vector<std::string>{"Cid Cole"});
    const QPoint picture = table()->visualRect(table()->tableModel()->index(0, 4)).center();
    QTest::mouseDClick(window()->windowHandle(), Qt::LeftButton, {}, table()->viewport()->mapTo(window(), picture));
    pump();
    auto* retrieve = qobject_cast<ZEVPersonRetrievePanel*>(QApplication::activeModalWidget());
    ASSERT_NE(retrieve, nullptr);
    EXPECT_NE(options(cid) & kNotFound, 0) << "marked while the panel is up";
    EXPECT_EQ(retrieve->prompt()->text(), "Select a Contact for \"Cid Cole\"");
    EXPECT_EQ(retrieve->picker()->searchText(), "Cid Cole");
    ASSERT_EQ(retrieve->picker()->listModel()->rowCount(), 1) << "only the namesake listed";
    clickPerson(retrieve->picker(), "Cid Cole");
    QTest::mouseClick(retrieve->selectButton(), Qt::LeftButton);
    advance(1.0);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(recordUid(cid), "cid-new");
    EXPECT_EQ(options(cid) & kNotFound, 0);
    EXPECT_EQ(sound.beeps, 0);
    EXPECT_TRUE(opened.empty()) << "bound, not opened";
}

} // namespace
} // namespace e2e
