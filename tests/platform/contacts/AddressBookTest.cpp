// The address book as contact Objects use it: the photos cards carry (and the ones they only point
// at), the index following its folder through the watch, the bounds it logs, and the import that
// always makes a new entry.

#include "platform/contacts/VCardFolder.h"
#include "platform/files/DirectoryWatch.h"
#include "platform/files/GeneratedFiles.h"
#include "platform/pasteboard/BoundedImage.h"
#include "runtime/Clock.h"
#include "runtime/Log.h"
#include "tests/platform/PlatformFixture.h"

#include <QBuffer>
#include <QDataStream>
#include <QElapsedTimer>
#include <QFile>
#include <QTcpServer>
#include <QTimeZone>

using namespace tallomer;

namespace {

QByteArray card(const QByteArray& version, const QByteArray& lines)
{
    return "BEGIN:VCARD\r\nVERSION:" + version + "\r\n" + lines + "END:VCARD\r\n";
}

// base64 folded as writers fold it: 75 characters, then a line end and a blank.
QByteArray folded(const QByteArray& head, const QByteArray& base64)
{
    QByteArray out = head + base64.left(75 - head.size());
    for (qsizetype i = 75 - head.size(); i < base64.size(); i += 74)
        out += "\r\n " + base64.mid(i, 74);
    return out + "\r\n";
}

// A picture of noise in one hue, so that its JPEG is large (well over 64 K characters in base64)
// and its colour still tells it.
QImage noisy(int side, QColor base)
{
    QImage image(side, side, QImage::Format_RGB32);
    quint32 x = 12345;
    for (int y = 0; y < side; ++y)
        for (int i = 0; i < side; ++i) {
            x = x * 1103515245u + 12345u;
            const int d = int((x >> 16) % 81) - 40;
            image.setPixelColor(i, y, QColor(qBound(0, base.red() + d, 255), qBound(0, base.green() + d, 255),
                                             qBound(0, base.blue() + d, 255)));
        }
    return image;
}

bool near(QColor a, QColor b, int tolerance = 30)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
        && std::abs(a.blue() - b.blue()) <= tolerance;
}

// A BMP header claiming a picture of w × h and nothing after it.
QByteArray bmpHeader(qint32 w, qint32 h)
{
    QByteArray bytes;
    QDataStream s(&bytes, QIODevice::WriteOnly);
    s.setByteOrder(QDataStream::LittleEndian);
    s.writeRawData("BM", 2);
    s << quint32(54 + 16) << quint32(0) << quint32(54);
    s << quint32(40) << w << h << quint16(1) << quint16(24) << quint32(0) << quint32(0) << qint32(2835)
      << qint32(2835) << quint32(0) << quint32(0);
    bytes += QByteArray(16, '\0');
    return bytes;
}

class AddressBook : public ::testing::Test {
protected:
    void SetUp() override { previous_ = setLogSink(&log); }
    void TearDown() override { setLogSink(previous_); }
    test::SharedManualScheduler scheduler;
    MemoryLogSink log;
    QString folder = test::tempFolder("book") + "/contacts";

private:
    LogSink* previous_ = nullptr;
};

} // namespace

TEST_F(AddressBook, PhotosAreReadFromTheCardAndNeverFetched)
{
    const QImage red = noisy(400, QColor(200, 30, 30));
    const QByteArray jpeg = jpegData(red, 90);
    ASSERT_GT(jpeg.toBase64().size(), 64 * 1024) << "the photo must pass the plain line bound";

    // vCard 3: ENCODING=b, folded over many lines, past the line bound of other properties.
    const VCard three = parseVCards(card("3.0", "UID:three\r\nN:Doe;Jane\r\n"
                                                + folded("PHOTO;ENCODING=b;TYPE=JPEG:", jpeg.toBase64())))
                            .value(0);
    EXPECT_EQ(three.photoType, "jpeg");
    const std::optional<QImage> p3 = vcardPhoto(three, QSize(64, 64));
    ASSERT_TRUE(p3);
    EXPECT_LE(p3->width(), 64) << "decoded at the size asked";
    EXPECT_TRUE(near(p3->pixelColor(p3->width() / 2, p3->height() / 2), QColor(200, 30, 30)));

    // vCard 4: a data: URI on one unfolded line, with a group and the type from the media type.
    const QImage blue(10, 20, QImage::Format_RGB32);
    QImage b = blue;
    b.fill(QColor(20, 40, 220));
    const VCard four =
        parseVCards(card("4.0", "UID:four\r\nitem1.PHOTO:data:image/png;base64," + pngData(b).toBase64() + "\r\n"))
            .value(0);
    EXPECT_EQ(four.photoType, "png");
    const std::optional<QImage> p4 = vcardPhoto(four);
    ASSERT_TRUE(p4);
    EXPECT_EQ(p4->size(), QSize(10, 20));
    EXPECT_EQ(p4->pixelColor(5, 5), QColor(20, 40, 220));

    // A photo only pointed at: nothing taken, nothing asked of the network (a server that would
    // see the request stays unasked).
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    const QByteArray url = "http://127.0.0.1:" + QByteArray::number(server.serverPort()) + "/me.jpg";
    for (const QByteArray& line : {"PHOTO;VALUE=uri:" + url, "PHOTO:" + url, "PHOTO;MEDIATYPE=image/jpeg:" + url,
                                   QByteArray("PHOTO:data:image/png,notbase64")}) {
        const VCard pointed = parseVCards(card("4.0", "UID:p\r\n" + line + "\r\n")).value(0);
        EXPECT_TRUE(pointed.photoBase64.isEmpty()) << line.toStdString();
        EXPECT_FALSE(vcardPhoto(pointed)) << line.toStdString();
    }
    QCoreApplication::processEvents();
    EXPECT_FALSE(server.hasPendingConnections());

    // A photo claiming 60,000 × 60,000 is refused from its header, whatever size is asked.
    const VCard huge =
        parseVCards(card("3.0", "UID:h\r\nPHOTO;ENCODING=b;TYPE=BMP:" + bmpHeader(60000, 60000).toBase64() + "\r\n"))
            .value(0);
    ASSERT_FALSE(huge.photoBase64.isEmpty());
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(vcardPhoto(huge, QSize(64, 64)));
    EXPECT_FALSE(vcardPhoto(huge));
    EXPECT_LT(timer.elapsed(), 1000);
    // Damaged base64 is no photo.
    VCard damaged = three;
    damaged.photoBase64 = "@@@@" + damaged.photoBase64;
    EXPECT_FALSE(vcardPhoto(damaged));
}

TEST_F(AddressBook, TheIndexFollowsTheFolderAndReadsOnlyWhatChanged)
{
    ASSERT_TRUE(QDir().mkpath(folder));
    for (const char* name : {"a", "b", "c"})
        test::writeFile(folder + "/" + name + ".vcf", card("4.0", QByteArray("UID:") + name + "\r\nN:" + name + ";X\r\n"));
    VCardFolder book(folder);
    EXPECT_EQ(book.titleForUid("a"), "X a");
    EXPECT_EQ(book.filesRead(), 3);
    // Lookups with nothing changed read nothing, and do not even look at the folder: a file put
    // there is unknown until the watch's scan.
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(book.titleForUid("b"), "X b");
    EXPECT_EQ(book.filesRead(), 3);

    // A burst: a changed file, a new one, a removed one, each more than once.
    for (int round = 0; round < 3; ++round) {
        test::writeFile(folder + "/a.vcf",
                        card("4.0", "UID:a\r\nN:a;Changed" + QByteArray::number(round) + "\r\nNOTE:" + QByteArray(round, 'x') + "\r\n"));
        test::writeFile(folder + "/d.vcf", card("4.0", "UID:d\r\nKIND:org\r\nORG:Dee " + QByteArray::number(round) + "\r\n"));
    }
    QFile::remove(folder + "/c.vcf");
    ASSERT_TRUE(test::turnUntil([&] { return scheduler.sched.pendingCount() > 0; })) << "the watch heard the burst";
    QCoreApplication::processEvents();
    EXPECT_EQ(book.titleForUid("d"), "? ?") << "nothing is read before the watch's second has passed";
    scheduler.sched.advance(1.0);
    EXPECT_EQ(book.filesRead(), 5) << "one read of each changed file for the whole burst";
    EXPECT_EQ(book.titleForUid("a"), "Changed2 a");
    EXPECT_EQ(book.titleForUid("d"), "Dee 2");
    EXPECT_EQ(book.titleForUid("c"), "? ?");
    EXPECT_EQ(book.titleForUid("b"), "X b");
    EXPECT_EQ(book.filesRead(), 5);
    EXPECT_EQ(book.fileForUid("d"), folder + "/d.vcf");
}

TEST_F(AddressBook, WhatIsPastTheBoundsIsLoggedNotSkippedSilently)
{
    ASSERT_TRUE(QDir().mkpath(folder));
    test::writeFile(folder + "/big.vcf", card("4.0", "UID:big\r\nNOTE:" + QByteArray(kMaxVCardBytes, 'x') + "\r\n"));
    VCardFolder book(folder);
    EXPECT_EQ(book.titleForUid("big"), "? ?");
    EXPECT_EQ(log.count("big.vcf is larger than"), 1u);

    const QString many = test::tempFolder("many");
    for (int i = 0; i <= kMaxVCardFiles; ++i) {
        QFile f(many + QString("/%1.vcf").arg(i, 6, 10, QChar('0')));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    VCardFolder crowded(many);
    crowded.titleForUid("x");
    crowded.rescan();
    EXPECT_EQ(log.count("card files; only the first 20000 are read"), 1u) << "once, not at every look";
}

TEST_F(AddressBook, AnImportAlwaysMakesANewEntry)
{
    const KELDate now = dateFromUnix(1700000000.0); // 2023-11-14 22:13:20 UTC
    VCardFolder book(folder);
    const QByteArray body = "N:Doe;Jane\r\nNOTE:long\r\n  note\r\nREV:2001-01-01T00:00:00Z\r\n";

    // Its own UID, while free: kept, with the revision of now.
    QString uid;
    QString path;
    const VCard own = parseVCards(card("3.0", "UID:jane-1\r\n" + body)).value(0);
    ASSERT_TRUE(book.addCardAsNewEntry(own, now, &uid, &path));
    EXPECT_EQ(uid, "jane-1");
    const VCard stored = parseVCards(test::readFile(path)).value(0);
    EXPECT_EQ(stored.uid, "jane-1");
    EXPECT_EQ(stored.revision, now);
    EXPECT_EQ(stored.givenName, "Jane");
    EXPECT_TRUE(test::readFile(path).contains("NOTE:long\r\n  note\r\n")) << "the rest of the card as it was";
    EXPECT_EQ(test::readFile(path).count("UID:"), 1);

    // Taken: a fresh UID written into the text; the first card stays.
    QString second;
    ASSERT_TRUE(book.addCardAsNewEntry(own, now, &second, &path));
    EXPECT_NE(second, "jane-1");
    EXPECT_EQ(parseVCards(test::readFile(path)).value(0).uid, second);
    EXPECT_EQ(book.titleForUid(second), "Jane Doe");
    EXPECT_EQ(book.fileForUid("jane-1"), folder + "/jane-1.vcf");

    // None of its own: a fresh one too, not the digest it was known by.
    const VCard none = parseVCards(card("4.0", body)).value(0);
    QString third;
    ASSERT_TRUE(book.addCardAsNewEntry(none, now, &third));
    EXPECT_FALSE(third.startsWith("urn:sha1:"));
    EXPECT_NE(third, second);
    EXPECT_EQ(book.titleForUid(third), "Jane Doe");
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 3);

    // A book whose folder cannot be made (a file holds its name): a failure, nothing indexed.
    const QString blocked = test::tempFolder("blocked") + "/contacts";
    test::writeFile(blocked, "not a folder");
    VCardFolder nowhere(blocked);
    QString fourth;
    EXPECT_FALSE(nowhere.addCardAsNewEntry(none, now, &fourth));
    EXPECT_TRUE(fourth.isEmpty());
}

TEST_F(AddressBook, RevisionsInTheirCommonForms)
{
    auto rev = [](const QByteArray& value) { return parseVCards(card("4.0", "REV:" + value + "\r\n")).value(0).revision; };
    auto utc = [](int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
        return dateFromUnix(double(QDateTime(QDate(y, mo, d), QTime(h, mi, s), QTimeZone::utc()).toSecsSinceEpoch()));
    };
    EXPECT_EQ(rev("20240102T030405Z"), utc(2024, 1, 2, 3, 4, 5));
    EXPECT_EQ(rev("2024-01-02T03:04:05"), utc(2024, 1, 2, 3, 4, 5));
    EXPECT_EQ(rev("20240102"), utc(2024, 1, 2));
    EXPECT_EQ(rev("2024-01-02"), utc(2024, 1, 2));
    EXPECT_EQ(rev("2024-01-02T03:04:05+02:00"), utc(2024, 1, 2, 1, 4, 5)) << "an offset is honoured";
    EXPECT_FALSE(rev("20241302T030405Z")) << "no thirteenth month";
    EXPECT_FALSE(rev("yesterday"));
}
