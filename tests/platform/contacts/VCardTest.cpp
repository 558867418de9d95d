// vCards read for their UID, title and dates, and the folder of cards that stands for the
// address book: found by UID, added to without ever replacing a card.

#include "platform/contacts/VCardFolder.h"
#include "runtime/Clock.h"
#include "runtime/Log.h"
#include "runtime/Scheduler.h"
#include "tests/platform/PlatformFixture.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QTimeZone>

using namespace tallomer;

namespace {

QByteArray card(const QByteArray& lines) { return "BEGIN:VCARD\r\nVERSION:4.0\r\n" + lines + "END:VCARD\r\n"; }

} // namespace

TEST(VCard, TitlesAsTheContactsShowThem)
{
    MemoryLogSink log;
    LogSink* previous = setLogSink(&log);
    const struct {
        QByteArray lines;
        QString title;
    } rows[] = {
        {"N:Doe;Jane;;;\r\nFN:Dr Jane Doe\r\n", "Jane Doe"},
        {"N:Doe;;;;\r\n", "? Doe"},
        {"FN:Only formatted\r\n", "? ?"},
        {"N:O\\;Brien;Pat\\,rick;;;\r\n", "Pat,rick O;Brien"},
        {"item1.N;CHARSET=UTF-8:Müller;Jürgen\r\n", "Jürgen Müller"},
        {"KIND:org\r\nORG:Acme Ltd;Sales\r\n", "Acme Ltd"},
        {"KIND:org\r\n", "No organization name"},
        {"X-ABShowAs:COMPANY\r\nN:Doe;Jane\r\nORG:Old Style Inc.\r\n", "Old Style Inc."},
        {"KIND:group\r\nN:Doe;Jane\r\n", "No name"},
    };
    for (const auto& r : rows) {
        const QList<VCard> cards = parseVCards(card(r.lines));
        ASSERT_EQ(cards.size(), 1) << r.lines.toStdString();
        EXPECT_EQ(vcardTitle(cards[0]), r.title) << r.lines.toStdString();
    }
    EXPECT_EQ(log.lines.size(), 1u);
    EXPECT_NE(log.lines.front().find("is not a company or a person"), std::string::npos);
    setLogSink(previous);
}

TEST(VCard, UidsFoldedLinesRevisionsAndBounds)
{
    const QByteArray data = "BEGIN:VCARD\r\nUID:urn:uuid:1234\r\n"
                            "N:Lo\r\n ng;Name\r\nREV:20240102T030405Z\r\nEND:VCARD\r\n"
                            "garbage between cards\n"
                            "BEGIN:VCARD\nN:No;Uid\nEND:VCARD"; // LF only, no final line end
    const QList<VCard> cards = parseVCards(data);
    ASSERT_EQ(cards.size(), 2);
    EXPECT_EQ(cards[0].uid, "urn:uuid:1234");
    EXPECT_TRUE(cards[0].hasOwnUid);
    EXPECT_EQ(cards[0].familyName, "Long");
    const QDateTime rev(QDate(2024, 1, 2), QTime(3, 4, 5), QTimeZone::utc());
    EXPECT_EQ(cards[0].revision, dateFromUnix(double(rev.toSecsSinceEpoch())));
    // A card without a UID is known by the digest of its own bytes, which it keeps.
    EXPECT_FALSE(cards[1].hasOwnUid);
    EXPECT_EQ(cards[1].bytes, "BEGIN:VCARD\nN:No;Uid\nEND:VCARD");
    EXPECT_EQ(cards[1].uid, "urn:sha1:" + QCryptographicHash::hash(cards[1].bytes, QCryptographicHash::Sha1).toHex());

    EXPECT_TRUE(parseVCards("BEGIN:VCARD\r\nUID:x\r\n").isEmpty()) << "an unfinished card is none";
    EXPECT_TRUE(parseVCards(QByteArray(kMaxVCardBytes + 1, 'x')).isEmpty());
    QByteArray many;
    for (int i = 0; i < kMaxVCards + 5; ++i)
        many += "BEGIN:VCARD\nUID:" + QByteArray::number(i) + "\nEND:VCARD\n";
    EXPECT_EQ(parseVCards(many).size(), kMaxVCards);
}

// What the bounds stop is counted, so that the user can be told: the cards past the count, the
// card cut by the line bound and those after it; nothing when all were read.
TEST(VCard, CardsPastTheBoundsAreCountedAsLeftOut)
{
    QByteArray many;
    for (int i = 0; i < 1500; ++i)
        many += "BEGIN:VCARD\r\nUID:" + QByteArray::number(i) + "\r\nEND:VCARD\r\n";
    qsizetype leftOut = -1;
    EXPECT_EQ(parseVCards(many, &leftOut).size(), kMaxVCards);
    EXPECT_EQ(leftOut, 1500 - kMaxVCards);

    // Exactly the bound: nothing left out, whether the data ends with a line end or not.
    QByteArray exact;
    for (int i = 0; i < kMaxVCards; ++i)
        exact += "BEGIN:VCARD\nUID:" + QByteArray::number(i) + "\nEND:VCARD\n";
    EXPECT_EQ(parseVCards(exact, &leftOut).size(), kMaxVCards);
    EXPECT_EQ(leftOut, 0);
    exact.chop(1);
    EXPECT_EQ(parseVCards(exact, &leftOut).size(), kMaxVCards);
    EXPECT_EQ(leftOut, 0);

    // Long cards: the line bound falls inside the fifth, which is left out with the sixth.
    const int linesEach = kMaxVCardLines / 5 + 100;
    QByteArray tall;
    for (int i = 0; i < 6; ++i) {
        tall += "BEGIN:VCARD \nUID:tall-" + QByteArray::number(i) + "\n";
        for (int l = 0; l < linesEach; ++l)
            tall += "NOTE:" + QByteArray::number(l) + "\n";
        tall += "END:VCARD\n";
    }
    const QList<VCard> read = parseVCards(tall, &leftOut);
    ASSERT_EQ(read.size(), 4);
    EXPECT_EQ(read.last().uid, "tall-3");
    EXPECT_EQ(leftOut, 2);
}

TEST(VCard, TheWriterReplacesTheUidTheReaderWouldRead)
{
    // Each card's old UID is the one the reader takes, and its end the one the reader stops at:
    // Unicode blanks around VCARD, a quoted-printable UID broken over lines, a grouped UID.
    const QList<QByteArray> cards = {
        "BEGIN:VCARD\r\nUID:old\r\nN:A;B;;;\r\nEND:VCARD\x85\r\n",
        "BEGIN:VCARD\r\nUID:old\r\nEND:\xA0VCARD\r\n",
        "BEGIN:VCARD\r\nUID;ENCODING=QUOTED-PRINTABLE:o=\r\nld\r\nEND:VCARD\r\n",
        "BEGIN:VCARD\nitem1.uid:old\nEND;ENCODING=QUOTED-PRINTABLE:VC=41RD\n",
        "BEGIN:VCARD\r\n\xA0UID:old\r\nEND:VCARD\r\n",
    };
    for (const QByteArray& bytes : cards) {
        SCOPED_TRACE(bytes.toStdString());
        ASSERT_EQ(parseVCards(bytes).size(), 1);
        ASSERT_EQ(parseVCards(bytes).front().uid, "old");
        const QList<VCard> rewritten = parseVCards(vcardWithUidAndRevision(bytes, "new-uid", 1000.0));
        ASSERT_EQ(rewritten.size(), 1);
        EXPECT_EQ(rewritten.front().uid, "new-uid");
        EXPECT_TRUE(rewritten.front().revision.has_value());
    }
}

TEST(VCardFolder, FindsCardsByUidAndAddsWithoutReplacing)
{
    test::SharedManualScheduler sched;
    const QString folder = test::tempFolder() + "/contacts";
    VCardFolder book(folder);
    EXPECT_EQ(book.titleForUid("jane"), "? ?") << "a missing folder holds nobody";
    EXPECT_FALSE(book.datesForUid("jane"));

    test::writeFile(folder + "/two.vcf", card("UID:jane\r\nN:Doe;Jane\r\nREV:2020-05-06T07:08:09Z\r\n")
                                             + card("UID:acme\r\nKIND:org\r\nORG:Acme\r\n"));
    EXPECT_EQ(book.titleForUid("jane"), "Jane Doe");
    EXPECT_EQ(book.titleForUid("acme"), "Acme");
    const auto dates = book.datesForUid("jane");
    ASSERT_TRUE(dates);
    const QDateTime rev(QDate(2020, 5, 6), QTime(7, 8, 9), QTimeZone::utc());
    EXPECT_EQ(dates->modified, dateFromUnix(double(rev.toSecsSinceEpoch())));
    EXPECT_TRUE(book.datesForUid("acme")->modified) << "the file's date stands in for a missing REV";

    // A new card goes in under its UID; a card already there, or a file of that name, stays.
    const VCard newcomer = parseVCards(card("UID:bob\r\nN:Roe;Bob\r\n")).value(0);
    QString written;
    ASSERT_TRUE(book.addCard(newcomer, &written));
    EXPECT_EQ(written, folder + "/bob.vcf");
    EXPECT_EQ(test::readFile(written), newcomer.bytes);
    EXPECT_EQ(book.titleForUid("bob"), "Bob Roe");
    EXPECT_TRUE(book.addCard(newcomer));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 2) << "nothing added twice, no leftovers";

    test::writeFile(folder + "/eve.vcf", "not a card of eve");
    const VCard eve = parseVCards(card("UID:eve\r\nN:Eve;\r\n")).value(0);
    ASSERT_TRUE(book.addCard(eve, &written));
    EXPECT_EQ(written, folder + "/eve (1).vcf");
    EXPECT_EQ(test::readFile(folder + "/eve.vcf"), "not a card of eve");
    EXPECT_EQ(book.titleForUid("eve"), "? Eve");

    // A card without its own UID is found again by the digest of what was stored.
    const VCard anonymous = parseVCards("BEGIN:VCARD\nN:Anon;Ymous\nEND:VCARD").value(0);
    ASSERT_TRUE(book.addCard(anonymous));
    EXPECT_EQ(VCardFolder(folder).titleForUid(anonymous.uid), "Ymous Anon");
    EXPECT_FALSE(book.addCard(VCard()));
}
