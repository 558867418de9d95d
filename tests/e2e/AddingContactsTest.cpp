// People brought into the Contacts panel of the running program by the clipboard and by drops: a
// card the address book lacks, put on the clipboard and pasted with Ctrl+V in the focused table,
// makes one contact Object present from the active cursor's date, joins the book's folder and is
// selected; the same card dropped on the table again makes no second Object; a paste of nothing
// usable beeps and leaves the selection. A contact copied from the desk, where a dropped card put
// it without listing it, and pasted in the table is listed from the cursor's date, the same Object.

#include "tests/e2e/AddingContactsFixture.h"
#include "tests/e2e/FullLinkBase.h"

#include "app/menu/KELMainMenu.h"
#include "objects/view/ZEVItemView.h"
#include "platform/AppId.h"
#include "platform/contacts/VCard.h"

#include <QLocale>

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

// A card pasted when the disk has no room for the contact's presence makes no contact Object
// that no panel lists.
TEST_F(AddingContacts, ACardWhosePresenceFindsNoRoomMakesNoContactThatNoPanelLists)
{
    ASSERT_NO_FATAL_FAILURE(focusTable());
    alerts.clear();
    {
        FullLinkBase full(1000162);
        auto data = std::make_unique<QMimeData>();
        data->setData("text/vcard", kEveCard);
        paste(std::move(data));
    }
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, QStringLiteral("Your changes could not be saved."));
    EXPECT_TRUE(contactObjects().empty()) << "a contact on no panel";
    EXPECT_TRUE(rowTitles().empty());
}

TEST_F(AddingContacts, AContactCopiedFromTheDeskAndPastedInTheTableIsListedWithoutASecondObject)
{
    // Bob's card dropped on the desk makes his Object and its icon, but does not list him.
    QMimeData card;
    card.setData("text/vcard", cardOf("bob-add", "Bell", "Bob"));
    const QPoint at(150, 400);
    dropOnCanvas(card, at);
    advance(1.0);
    Rows people = contactObjects();
    ASSERT_EQ(people.size(), 1u);
    const std::string bob = people.at(0, 0);
    ASSERT_TRUE(presences(bob).empty());

    // The keyboard given back to the desk, the icon clicked and copied from the Edit menu, then
    // pasted with Ctrl+V in the focused table.
    key(Qt::Key_Escape);
    ZEVItemView* icon = viewTitled(QStringLiteral("Bob Bell"));
    ASSERT_NE(icon, nullptr);
    QTest::mouseClick(canvas(), Qt::LeftButton, {}, onScreen(icon->itemImageView()->sceneBoundingRect()));
    pump();
    ASSERT_EQ(selectedIconIds(), std::vector<std::string>{bob});
    chooseMenuItem(KELMainMenu::kMenuEdit, 101);
    pump();
    const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
    ASSERT_TRUE(copied && copied->hasFormat(QString::fromLatin1(kItemPasteboardType)));
    ASSERT_NO_FATAL_FAILURE(focusTable());
    const KELDate t = space()->actifCurseur()->now();
    key(Qt::Key_V, Qt::ControlModifier);
    advance(1.0);

    EXPECT_EQ(sound.beeps, 0);
    people = contactObjects();
    ASSERT_EQ(people.size(), 1u) << "the desk's Object is the contact";
    const auto p = presences(bob);
    ASSERT_EQ(p.size(), 1u);
    EXPECT_NEAR(p[0].first, t, 1.5);
    EXPECT_EQ(rowTitles(), std::vector<std::string>{"Bob Bell"});
    EXPECT_EQ(selectedIconIds(), std::vector<std::string>{bob});
}

// Cards as phones and older programs export them: behind a byte-order mark, names in
// quoted-printable (a soft break inside a letter) and names in Latin-1 bytes. Each becomes a
// contact titled with the names a person typed, in the store and in the panel.
TEST_F(AddingContacts, CardsFromPhonesAndOlderProgramsKeepTheNamesTheirPeopleWereGiven)
{
    ASSERT_NO_FATAL_FAILURE(focusTable());
    const QByteArray cards = "\xEF\xBB\xBF"
                             "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:zoe-bom\r\nN:\xC3\x85ngstr\xC3\xB6m;Zo\xC3\xAB;;;\r\nEND:VCARD\r\n"
                             "BEGIN:VCARD\r\nVERSION:2.1\r\nUID:jurgen-qp\r\n"
                             "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:M=C3=BCller;J=C3=\r\n=BCrgen;;;\r\n"
                             "TEL;CELL:+49 30 1234\r\nEND:VCARD\r\n"
                             "BEGIN:VCARD\r\nVERSION:2.1\r\nUID:rene-latin\r\nN:Fran\xE7ois;Ren\xE9\r\nEND:VCARD\r\n";
    auto data = std::make_unique<QMimeData>();
    data->setData("text/vcard", cards);
    paste(std::move(data));

    EXPECT_EQ(sound.beeps, 0);
    const Rows people = contactObjects();
    ASSERT_EQ(people.size(), 3u);
    EXPECT_EQ(people.at(0, 1), "Zo\u00eb \u00c5ngstr\u00f6m");
    EXPECT_EQ(people.at(1, 1), "J\u00fcrgen M\u00fcller");
    EXPECT_EQ(people.at(2, 1), "Ren\u00e9 Fran\u00e7ois");
    EXPECT_EQ(recordUid(people.at(0, 0)), "zoe-bom");
    std::vector<std::string> titles = rowTitles();
    std::sort(titles.begin(), titles.end());
    EXPECT_EQ(titles, (std::vector<std::string>{"J\u00fcrgen M\u00fcller", "Ren\u00e9 Fran\u00e7ois",
                                                "Zo\u00eb \u00c5ngstr\u00f6m"}));
}

TEST_F(AddingContacts, CardsPastWhatOnePasteTakesAreSaidToBeLeftOutOnTheDeskAndInTheTable)
{
    // Six long cards: the bound on the lines of one paste falls inside the fifth.
    QByteArray cards;
    const int linesEach = kMaxVCardLines / 5 + 100;
    for (int i = 0; i < 6; ++i) {
        cards += cardOf("long-" + QByteArray::number(i), "Long" + QByteArray::number(i), "Lee");
        cards.chop(QByteArray("END:VCARD\r\n").size());
        for (int l = 0; l < linesEach; ++l)
            cards += "NOTE:line " + QByteArray::number(l) + "\r\n";
        cards += "END:VCARD\r\n";
    }
    auto data = std::make_unique<QMimeData>();
    data->setData("text/vcard", cards);
    alerts.clear();
    window()->activateWindow();
    canvas()->setFocus();
    pump();
    paste(std::move(data));
    EXPECT_EQ(contactObjects().size(), 4u) << "what the bounds let through is kept";
    ASSERT_EQ(alerts.size(), 1u) << "nothing said of the rest";
    EXPECT_EQ(alerts[0].message, QStringLiteral("Not everything was added."));
    EXPECT_TRUE(alerts[0].informative.startsWith(QStringLiteral("2 contacts were left out")))
        << alerts[0].informative.toStdString();

    // The same paste in the Contacts table says it too; a paste that fits says nothing.
    alerts.clear();
    ASSERT_NO_FATAL_FAILURE(focusTable());
    auto again = std::make_unique<QMimeData>();
    again->setData("text/vcard", cards);
    paste(std::move(again));
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_TRUE(alerts[0].informative.startsWith(QStringLiteral("2 contacts were left out")));
    alerts.clear();
    auto one = std::make_unique<QMimeData>();
    one->setData("text/vcard", kEveCard);
    paste(std::move(one));
    EXPECT_TRUE(alerts.empty());
    EXPECT_EQ(contactObjects().size(), 5u);

    // Cards past the bytes one paste takes: none is read, and how many is said.
    QByteArray huge;
    for (int i = 0; huge.size() <= kMaxVCardBytes; ++i)
        huge += cardOf("many-" + QByteArray::number(i), "Many" + QByteArray::number(i), "Moe");
    const qsizetype count = huge.count("BEGIN:VCARD");
    auto tooLarge = std::make_unique<QMimeData>();
    tooLarge->setData("text/vcard", huge);
    paste(std::move(tooLarge));
    EXPECT_EQ(contactObjects().size(), 5u);
    ASSERT_EQ(alerts.size(), 1u) << "nothing said of a paste that added nothing";
    EXPECT_EQ(alerts[0].message, QStringLiteral("Not everything was added."));
    EXPECT_TRUE(alerts[0].informative.startsWith(QLocale().toString(count) + QStringLiteral(" contacts were left out")))
        << alerts[0].informative.toStdString();

    // A card cut short (no end, a photo that is no base64) is no contact, and is said to be left out.
    alerts.clear();
    auto cut = std::make_unique<QMimeData>();
    cut->setData("text/vcard", "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Cut;Carl;;;\r\nPHOTO;ENCODING=b:@@@not base64\r\n");
    paste(std::move(cut));
    EXPECT_EQ(contactObjects().size(), 5u);
    ASSERT_EQ(alerts.size(), 1u) << "a paste that added nothing says why";
    EXPECT_EQ(alerts[0].informative, QStringLiteral("1 contact was left out: its card is incomplete or damaged."));
}

} // namespace
} // namespace e2e
