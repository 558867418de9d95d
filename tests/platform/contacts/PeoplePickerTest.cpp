// The people picker over the address book: the list sorted by title, the search over given,
// family and organization names, the selected records in row order with their dates, and the
// list following the book's watch with the selection kept by UID.

#include "platform/contacts/PeoplePicker.h"
#include "platform/contacts/VCardFolder.h"
#include "platform/files/DirectoryWatch.h"
#include "runtime/Clock.h"
#include "tests/platform/PlatformFixture.h"

#include <QFile>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QTest>
#include <QTreeView>

using tallomer::DirectoryWatch;
using tallomer::PeopleRecord;
using tallomer::VCardFolder;
using tallomer::dateFromUnix;
namespace test = tallomer::test;

QT_BEGIN_NAMESPACE
// Lists read as text in failures.
inline void PrintTo(const QStringList& list, std::ostream* os) { *os << '"' << list.join("\", \"").toStdString() << '"'; }
QT_END_NAMESPACE

namespace {

QByteArray cardWithUid(const QByteArray& uid, const QByteArray& lines)
{
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:" + uid + "\r\n" + lines + "END:VCARD\r\n";
}

// A watch the test drives: the folder is always watched and changes only when the test says so.
class DrivenWatch final : public DirectoryWatch {
public:
    using DirectoryWatch::DirectoryWatch;
    bool renew() override { return true; }
};

class PeoplePicker : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::writeFile(folder + "/zed.vcf", cardWithUid("zed", "N:Zimmer;Zed\r\nORG:Acme Tools\r\n"));
        test::writeFile(folder + "/ann.vcf", cardWithUid("ann", "N:Bell;ann\r\nREV:2021-03-04T05:06:07Z\r\n"));
        test::writeFile(folder + "/bob.vcf", cardWithUid("bob", "N:Young;Bob\r\nORG:Bellows Inc\r\n"));
        test::writeFile(folder + "/acme.vcf", cardWithUid("acme", "KIND:org\r\nORG:Acme Tools\r\n"));
        // The picker was made on the empty folder: a look at it lists them.
        book.rescan();
    }
    QStringList listed() const
    {
        QStringList out;
        for (int r = 0; r < picker->listModel()->rowCount(); ++r)
            out << picker->listModel()->personAt(r).title;
        return out;
    }
    QStringList selected() const
    {
        QStringList out;
        for (const PeopleRecord& r : picker->selectedRecords())
            out << r.uid;
        return out;
    }
    void clickRow(int row, Qt::KeyboardModifiers modifiers = {})
    {
        QTreeView* list = picker->listView();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers,
                          list->visualRect(picker->listModel()->index(row, 0)).center());
    }

    test::SharedManualScheduler scheduler;
    QString folder = test::tempFolder("picker") + "/contacts";
    DrivenWatch* watch = nullptr;
    VCardFolder book{folder, [this](const QString& f) {
                         auto w = std::make_unique<DrivenWatch>(f);
                         watch = w.get();
                         return w;
                     }};
    std::unique_ptr<tallomer::PeoplePicker> picker = [this] {
        auto p = std::make_unique<tallomer::PeoplePicker>(&book);
        p->resize(500, 400);
        p->show();
        return p;
    }();
};

TEST_F(PeoplePicker, ListsTheBookByTitleAndSearchesNamesWhateverTheCase)
{
    EXPECT_EQ(listed(), (QStringList{"Acme Tools", "ann Bell", "Bob Young", "Zed Zimmer"}))
        << "sorted by title without regard to case";
    EXPECT_EQ(picker->listModel()->data(picker->listModel()->index(3, 1), Qt::DisplayRole).toString(), "Acme Tools");

    // Typed in the field: given, family and organization names are searched.
    QTest::keyClicks(picker->searchField(), "BELL");
    EXPECT_EQ(listed(), (QStringList{"ann Bell", "Bob Young"})) << "a family name and an organization";
    picker->setSearchText("ann bell");
    EXPECT_EQ(picker->searchField()->text(), "ann bell");
    EXPECT_EQ(listed(), QStringList{"ann Bell"}) << "every word is looked for: a title finds its contact";
    picker->setSearchText("acme");
    EXPECT_EQ(listed(), (QStringList{"Acme Tools", "Zed Zimmer"}));
    picker->setSearchText("nobody");
    EXPECT_TRUE(listed().isEmpty());
    picker->setSearchText("  ");
    EXPECT_EQ(listed().size(), 4) << "blanks search nothing: all listed";
}

TEST_F(PeoplePicker, SelectedRecordsComeInRowOrderWithTheirDatesAndSurviveTheSearch)
{
    clickRow(3);
    clickRow(1, Qt::ControlModifier);
    EXPECT_EQ(selected(), (QStringList{"ann", "zed"})) << "row order, not click order";
    const QList<PeopleRecord> records = picker->selectedRecords();
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(records[0].title, "ann Bell");
    ASSERT_TRUE(records[0].modified.has_value());
    EXPECT_DOUBLE_EQ(*records[0].modified, dateFromUnix(1614834367.0)) << "the card's revision";
    ASSERT_TRUE(records[1].modified.has_value()) << "without a revision: the file's modification";

    // A search that hides one keeps the other; the hidden one is not selected when it comes back.
    picker->setSearchText("zimmer");
    EXPECT_EQ(selected(), QStringList{"zed"});
    picker->setSearchText("");
    EXPECT_EQ(selected(), QStringList{"zed"});
}

TEST_F(PeoplePicker, FollowsTheBooksWatchKeepingTheSelectionByUid)
{
    clickRow(0);
    clickRow(2, Qt::ControlModifier);
    ASSERT_EQ(selected(), (QStringList{"acme", "bob"}));

    // A contact added before the selected ones, one selected removed, another renamed.
    test::writeFile(folder + "/aaa.vcf", cardWithUid("aaa", "N:Adams;Abe\r\n"));
    QFile::remove(folder + "/acme.vcf");
    test::writeFile(folder + "/bob.vcf", cardWithUid("bob", "N:Young;Robert\r\nORG:Bellows Inc\r\n"));
    ASSERT_NE(watch, nullptr);
    watch->noteChange();
    EXPECT_EQ(listed().size(), 4) << "nothing read before the watch's scan";
    scheduler.sched.advance(1.0);
    EXPECT_EQ(listed(), (QStringList{"Abe Adams", "ann Bell", "Robert Young", "Zed Zimmer"}));
    EXPECT_EQ(selected(), QStringList{"bob"}) << "kept by UID through the new rows";

    // A look at the folder that finds nothing changed leaves the list and the selection alone.
    watch->noteChange();
    scheduler.sched.advance(1.0);
    EXPECT_EQ(selected(), QStringList{"bob"});
}

TEST_F(PeoplePicker, AnotherBookOrNoneIsListedAtOnceAndAGoneBookIsLeftAlone)
{
    const QString other = test::tempFolder("other");
    test::writeFile(other + "/x.vcf", cardWithUid("x", "N:Xu;Xia\r\n"));
    auto second = std::make_unique<VCardFolder>(other);
    picker->setAddressBook(second.get());
    EXPECT_EQ(listed(), QStringList{"Xia Xu"});
    picker->listView()->selectAll();
    // The book going first (its owner closed before the panel): the picker keeps what it listed
    // and asks nothing more of it.
    second.reset();
    picker->reload();
    EXPECT_EQ(listed(), QStringList{"Xia Xu"});
    EXPECT_EQ(picker->selectedRecords().size(), 1);
    EXPECT_EQ(picker->addressBook(), nullptr);
    picker->setAddressBook(nullptr);
    EXPECT_TRUE(listed().isEmpty());
    EXPECT_TRUE(picker->selectedRecords().isEmpty());
}

} // namespace
