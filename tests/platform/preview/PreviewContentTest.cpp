// What the preview shows of a file: its picture, its text, or its facts, whatever the file holds.

#include "tests/support/HostilePictures.h"
#include "platform/files/Webloc.h"
#include "platform/preview/PreviewContent.h"

#include "tests/platform/PlatformFixture.h"

#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QtEndian>

#include <sys/stat.h>

namespace tallomer::test {
namespace {

using preview::Content;

constexpr double kSide = 400;

QByteArray pngOf(QSize size, QColor colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    const QString path = tempFolder("png") + "/p.png";
    EXPECT_TRUE(image.save(path, "PNG"));
    return readFile(path);
}

Content load(const QString& path) { return preview::loadPreview(path, kSide, QString()); }

TEST(PreviewContent, PicturesPdfsAndTextsShowThemselves)
{
    const QString root = tempFolder("preview");
    const Content picture = load(writeFile(root + "/wide.png", pngOf(QSize(1200, 300), Qt::blue)));
    ASSERT_EQ(picture.kind, Content::Kind::Image);
    EXPECT_EQ(picture.image.size(), QSize(400, 100)) << "read at the preview's size, never larger";
    EXPECT_EQ(picture.image.pixelColor(200, 50), QColor(Qt::blue));
    EXPECT_EQ(picture.facts.mimeName, "image/png");
    EXPECT_EQ(picture.facts.size, QFileInfo(root + "/wide.png").size());

    const QString pdf = root + "/page.pdf";
    {
        QPdfWriter writer(pdf);
        QPainter p(&writer);
        p.fillRect(QRect(0, 0, writer.width(), writer.height()), Qt::red);
    }
    const Content page = load(pdf);
    ASSERT_EQ(page.kind, Content::Kind::Image);
    EXPECT_EQ(page.image.height(), int(kSide));
    EXPECT_EQ(page.image.pixelColor(page.image.width() / 2, page.image.height() / 2).red(), 255);

    const Content text = load(writeFile(root + "/notes.txt", "caf\xc3\xa9\n\tdone\n"));
    ASSERT_EQ(text.kind, Content::Kind::Text);
    EXPECT_EQ(text.text, QString::fromUtf8("caf\xc3\xa9\n\tdone\n"));
    EXPECT_FALSE(text.textCut);

    // A long text is read up to the cap, a character cut by it aside.
    QByteArray longText(preview::kMaxTextBytes - 1, 'a');
    longText += "\xc3\xa9 and more";
    const Content cut = load(writeFile(root + "/long.log", longText));
    ASSERT_EQ(cut.kind, Content::Kind::Text);
    EXPECT_TRUE(cut.textCut);
    EXPECT_EQ(cut.text.size(), preview::kMaxTextBytes - 1);
}

TEST(PreviewContent, DamagedOrHostileFilesShowTheirFactsPromptly)
{
    const QString root = tempFolder("hostile");
    const QByteArray whole = pngOf(QSize(64, 64), Qt::red);
    struct Case {
        const char* name;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"truncated.png", whole.left(60)},
        {"huge.png", pngAnnouncing(60000, 60000)},      // refused from its header
        {"large.png", pngAnnouncing(30000, 30000)},     // within the pixel bound, beyond the allocation limit
        {"broken.pdf", "%PDF-1.7\n1 0 obj << /Type /Catalog >>\nxref\n0 0\ntrailer\n%%EOF"},
        {"binary.txt", QByteArray("text\0\x01\x02\xff\xfe", 9)},
        {"latin1.txt", "Gr\xfc\xdf" "e aus K\xf6ln, lauter Zeichen, die in UTF-8 nichts sind"},
        {"picture.png", "this is no picture at all"},
    };
    for (const Case& c : cases) {
        const QString path = writeFile(root + "/" + c.name, c.bytes);
        QElapsedTimer t;
        t.start();
        const Content content = load(path);
        EXPECT_LT(t.elapsed(), 2000) << c.name;
        EXPECT_EQ(content.kind, Content::Kind::Facts) << c.name;
        EXPECT_TRUE(content.unreadable) << c.name;
        EXPECT_TRUE(content.image.isNull()) << c.name;
        EXPECT_TRUE(content.facts.exists) << c.name;
        EXPECT_EQ(content.facts.size, c.bytes.size()) << c.name;
        EXPECT_EQ(content.facts.name, QString::fromLatin1(c.name));
    }

    // A pipe under a text's name is never opened: a reader would wait for a writer forever.
    const QString fifo = root + "/pipe.txt";
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QElapsedTimer t;
    t.start();
    const Content pipe = load(fifo);
    EXPECT_LT(t.elapsed(), 2000);
    EXPECT_EQ(pipe.kind, Content::Kind::Facts);
    EXPECT_TRUE(pipe.facts.exists);

    const Content missing = load(root + "/gone.png");
    EXPECT_EQ(missing.kind, Content::Kind::Facts);
    EXPECT_FALSE(missing.facts.exists);
    EXPECT_FALSE(missing.unreadable) << "nothing to read is not a damaged file";

    const Content folder = load(root);
    EXPECT_EQ(folder.kind, Content::Kind::Facts);
    EXPECT_TRUE(folder.facts.folder);
    EXPECT_EQ(folder.facts.size, -1);

    // Other kinds of file are facts without complaint.
    const Content other = load(writeFile(root + "/archive.zip", QByteArray("PK\x03\x04", 4) + QByteArray(40, '\0')));
    EXPECT_EQ(other.kind, Content::Kind::Facts);
    EXPECT_FALSE(other.unreadable);
}

TEST(PreviewContent, AWebLocationShowsItsAddressAndADrawingItsPicture)
{
    const QString root = tempFolder("kinds");
    const Content link = load(writeFile(root + "/Harbour.webloc", weblocData("https://example.org/news?id=4")));
    ASSERT_EQ(link.kind, Content::Kind::Link) << "not the property list's text";
    EXPECT_EQ(link.address, "https://example.org/news?id=4");
    EXPECT_FALSE(link.unreadable);
    EXPECT_EQ(link.facts.name, "Harbour.webloc");

    // A location file that holds no address, or far too much, is a damaged one.
    for (const auto& [name, bytes] : {std::pair<const char*, QByteArray>{"empty.webloc", ""},
                                      {"text.WEBLOC", "https://example.org/ as plain text"},
                                      {"huge.webloc", weblocData("https://example.org/" + QString(kMaxWeblocBytes, 'a'))}}) {
        const Content c = load(writeFile(root + "/" + name, bytes));
        EXPECT_EQ(c.kind, Content::Kind::Facts) << name;
        EXPECT_TRUE(c.unreadable) << name;
        EXPECT_TRUE(c.address.isEmpty()) << name;
    }

    const Content drawing = load(writeFile(root + "/dot.svg", "<svg xmlns='http://www.w3.org/2000/svg' width='20' height='10'>"
                                                              "<rect width='20' height='10' fill='#0000ff'/></svg>"));
    ASSERT_EQ(drawing.kind, Content::Kind::Image);
    EXPECT_EQ(drawing.image.size(), QSize(400, 200)) << "drawn at the preview's size";
    EXPECT_EQ(drawing.image.pixelColor(200, 100), QColor(0, 0, 255));
    const Content broken = load(writeFile(root + "/broken.svg", "<svg xmlns='http://www.w3.org/2000/svg'><rect"));
    EXPECT_EQ(broken.kind, Content::Kind::Facts);
    EXPECT_TRUE(broken.unreadable);
    EXPECT_EQ(broken.facts.mimeName, "image/svg+xml");
}

TEST(PreviewContent, AMailShowsItsFieldsAndItsPlainTextDecoded)
{
    // As a mail program writes it: many fields, the text in two forms, quoted-printable.
    const QByteArray mail =
        "Received: from mx.example.org by example.net\r\n"
        "DKIM-Signature: v=1; a=rsa-sha256;\r\n\tb=abcdef\r\n"
        "From: =?UTF-8?Q?Ren=C3=A9e?= <renee@example.org>\r\n"
        "To: team@example.net\r\n"
        "Subject: =?UTF-8?B?Q2Fmw6kgYXQgbm9vbg==?=\r\n"
        "Date: Tue, 8 Dec 2026 10:00:00 +0100\r\n"
        "MIME-Version: 1.0\r\n"
        "Content-Type: multipart/alternative; boundary=\"b1\"\r\n"
        "\r\n"
        "This is a multi-part message.\r\n"
        "--b1\r\n"
        "Content-Type: text/plain; charset=utf-8\r\n"
        "Content-Transfer-Encoding: quoted-printable\r\n"
        "\r\n"
        "Caf=C3=A9 at noon, by the har=\r\nbour.\r\n"
        "--b1\r\n"
        "Content-Type: text/html; charset=utf-8\r\n"
        "\r\n"
        "<p>Caf&eacute; at noon</p>\r\n"
        "--b1--\r\n";
    const QString root = tempFolder("mail");
    const Content c = load(writeFile(root + "/Lunch.eml", mail));
    ASSERT_EQ(c.kind, Content::Kind::Text);
    EXPECT_EQ(c.text.toStdString(), std::string("From: Ren\xc3\xa9" "e <renee@example.org>\nTo: team@example.net\n"
                                        "Date: Tue, 8 Dec 2026 10:00:00 +0100\nSubject: Caf\xc3\xa9 at noon\n\n"
                                        "Caf\xc3\xa9 at noon, by the harbour."));

    // A plain message in Latin-1, in base64.
    EXPECT_EQ(preview::mailText("Subject: Gr\xfc\xdf" "e\nContent-Type: text/plain; charset=iso-8859-1\n"
                                "Content-Transfer-Encoding: base64\n\n" +
                                QByteArray("K\xf6ln").toBase64() + "\n"),
              QString::fromUtf8("Subject: Gr\xef\xbf\xbd\xef\xbf\xbd" "e\n\nK\xc3\xb6ln"));
    // No text part: the fields alone. No header at all: not a message.
    EXPECT_EQ(preview::mailText("Subject: Photo\nContent-Type: image/png\n\n\x89PNG"), "Subject: Photo");
    EXPECT_TRUE(preview::mailText("").isNull());
    // Parts nested deeper than any mail program writes are not followed without end.
    QByteArray nested = "Subject: Deep\nContent-Type: multipart/mixed; boundary=x\n\n";
    for (int i = 0; i < 200; ++i)
        nested += "--x\nContent-Type: multipart/mixed; boundary=x\n\n";
    EXPECT_EQ(preview::mailText(nested), "Subject: Deep");
}

TEST(PreviewContent, AMailReadOddlyShowsItsFieldsAndTextWhole)
{
    // Its subject cut into encoded words inside a character, folded; a header with nothing after
    // it shows its fields and no empty lines below them.
    EXPECT_EQ(preview::mailText("From: a@example.org\r\nSubject: =?UTF-8?Q?Caf=C3?=\r\n =?UTF-8?Q?=A9?=\r\n"),
              QString("From: a@example.org\nSubject: Café"));
    EXPECT_EQ(preview::mailText("Subject: Hi\r\n\r\n"), QString("Subject: Hi"));
    // Saved twice through a text mode: its lines end CR CR LF, and its text still shows.
    EXPECT_EQ(preview::mailText("From: a@example.org\r\r\nSubject: Lunch\r\r\n\r\r\nNoon\r\r\nat the harbour.\r\r\n"),
              QString("From: a@example.org\nSubject: Lunch\n\nNoon\nat the harbour.\n"));
}

TEST(PreviewContent, TextIsUtf8WithFewControlBytesAndSizesReadAsFileManagersWriteThem)
{
    EXPECT_TRUE(preview::siText("plain\r\nlines\f\x1b[0m"));
    EXPECT_TRUE(preview::siText(QByteArray("ends in half a character \xc3", 26)));
    EXPECT_TRUE(preview::siText(QByteArray(200, 'a') + "\x07"));
    EXPECT_FALSE(preview::siText(QByteArray(20, 'a') + "\x07\x07"));
    EXPECT_FALSE(preview::siText(QByteArray("a\0b", 3)));
    EXPECT_FALSE(preview::siText("\xff\xfe"));
    EXPECT_EQ(preview::sizeText(1), "1 byte");
    EXPECT_EQ(preview::sizeText(999), "999 bytes");
    EXPECT_EQ(preview::sizeText(1500), "1.5 KB");
    EXPECT_EQ(preview::sizeText(25'300'000), "25 MB");
    EXPECT_EQ(preview::sizeText(-1), "");
}

} // namespace
} // namespace tallomer::test
