// People brought into the Contacts panel of the running program by the clipboard and by drops: a
// card the address book lacks, put on the clipboard and pasted with Ctrl+V in the focused table,
// makes one contact Object present from the active cursor's date, joins the book's folder and is
// selected; the same card dropped on the table again makes no second Object; a paste of nothing
// usable beeps and leaves the selection.

#include "tests/e2e/AddingContactsFixture.h"

namespace e2e {
namespace {

const QByteArray kEveCard = "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:eve-add\r\nN:Eng;Eve;;;\r\nFN:Eve Eng\r\nEND:VCARD\r\n";

TEST_F(AddingContacts, APastedCardBecomesAContactAndJoinsTheBookAndTheSameCardDroppedAgainMakesNoSecond)
{
    ASSERT_TRUE(contactObjects().empty());
    ASSERT_FALSE(QFile::exists(contacts + "/eve-add.vcf"));
    ASSERT_NO_FATAL_FAILURE(focusTable());

    const KELDate t = space()->actifCurseur()->now();
    auto data = std::make_unique<QMimeData>();
    data->setData("text/vcard", kEveCard);
    paste(std::move(data));

    EXPECT_EQ(sound.beeps, 0);
    EXPECT_TRUE(QFile::exists(contacts + "/eve-add.vcf")) << "the card joined the address book's folder";
    Rows people = contactObjects();
    ASSERT_EQ(people.size(), 1u);
    const std::string eve = people.at(0, 0);
    EXPECT_EQ(people.at(0, 1), "Eve Eng") << "titled by the card, which the book holds by then";
    EXPECT_EQ(recordUid(eve), "eve-add");
    EXPECT_EQ(options(eve) & 0x2, 0x2) << "held by the program";
    const auto p = presences(eve);
    ASSERT_EQ(p.size(), 1u);
    EXPECT_NEAR(p[0].first, t, 1.5) << "present from the active cursor's date";
    EXPECT_EQ(selectedIconIds(), std::vector<std::string>{eve});
    EXPECT_EQ(rowTitles(), std::vector<std::string>{"Eve Eng"});

    // The same card dragged in again: the drag shows Copy, and the drop reuses the Object.
    QMimeData again;
    again.setData("text/vcard", kEveCard);
    EXPECT_EQ(dropOnTable(again), Qt::CopyAction);
    people = contactObjects();
    ASSERT_EQ(people.size(), 1u) << "no second Object for the same card";
    EXPECT_EQ(presences(eve).size(), 1u) << "still present: nothing new was made";
    EXPECT_EQ(selectedIconIds(), std::vector<std::string>{eve});

    // Text alone is not a contact: the paste beeps and the selection stays.
    auto text = std::make_unique<QMimeData>();
    text->setText(QStringLiteral("just words"));
    ASSERT_NO_FATAL_FAILURE(focusTable());
    const int beeps = sound.beeps;
    // The click on the table's empty part may change the selection: it is read after it.
    const std::vector<std::string> before = selectedIconIds();
    paste(std::move(text));
    EXPECT_EQ(sound.beeps, beeps + 1);
    EXPECT_EQ(selectedIconIds(), before);
    EXPECT_EQ(contactObjects().size(), 1u);
}

} // namespace
} // namespace e2e
