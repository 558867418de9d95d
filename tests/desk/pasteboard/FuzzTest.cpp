// Everything a drop or the clipboard brings is outside input. Thousands of randomly damaged
// Object records, vCards, mail headers, bookmarks, RTF and HTML texts go through their readers
// under a cap on the address space: none may crash, hang or allocate more than the cap allows.
// The seed is printed; TALLOMER_FUZZ_SEED=<n> replays a run.

#include "desk/pasteboard/ZEVItemPB.h"
#include "platform/AppId.h"
#include "platform/contacts/VCard.h"
#include "platform/files/RtfReader.h"
#include "platform/pasteboard/BoundedImage.h"
#include "platform/pasteboard/HtmlText.h"
#include "platform/pasteboard/MailHeaders.h"
#include "platform/pasteboard/MozUrl.h"
#include "platform/pasteboard/PasteboardRead.h"
#include "tests/support/AddressSpaceCap.h"

#include <QCborArray>
#include <QMimeData>

#include <gtest/gtest.h>

#include <iostream>
#include <random>

using namespace tallomer;

namespace {

unsigned fuzzSeed()
{
    bool ok = false;
    const unsigned given = qEnvironmentVariable("TALLOMER_FUZZ_SEED").toUInt(&ok);
    return ok ? given : std::random_device{}();
}

class Mutator {
public:
    explicit Mutator(unsigned seed) : rng_(seed) {}

    qsizetype pick(qsizetype n) { return n <= 0 ? 0 : qsizetype(rng_() % std::uint64_t(n)); }

    QByteArray mutate(QByteArray data)
    {
        // Heads that announce far more than there is: CBOR lengths, vCard and mail folds, RTF
        // groups and \bin counts, HTML nesting, UTF-16 marks, encoded words.
        static const QList<QByteArray> heads{
            QByteArray::fromHex("7bffffffffffffff00"), QByteArray::fromHex("5b00000000ffffffff"),
            QByteArray::fromHex("9b7fffffffffffffff"), QByteArray::fromHex("ba7fffffff"),
            QByteArray(64, char(0x81)),                 QByteArray(300, '{'),
            "\\bin999999999 ",                          "\\u-99999\\uc99 ",
            QByteArray(400, ' '),                       "\r\n \r\n\t",
            "=?utf-8?B?",                               "=?x?Q?=FF=?=",
            QByteArray(200, '<') + "div>",              "\xFF\xFE\0\0",
            "BEGIN:VCARD\r\n",                          "END:VCARD\r\n",
            QByteArray(1000, '\n'),                     "\x89PNG\r\n\x1a\n\0\0\0\rIHDR\x7f\xff\xff\xff\x7f\xff\xff\xff"};
        const int edits = 1 + int(pick(4));
        for (int e = 0; e < edits; ++e) {
            switch (pick(6)) {
            case 0:
                data.truncate(pick(data.size() + 1));
                break;
            case 1:
                for (int k = 1 + int(pick(8)); k > 0 && !data.isEmpty(); --k)
                    data[pick(data.size())] = char(data[pick(data.size())] ^ (1 << pick(8)));
                break;
            case 2:
                data.insert(pick(data.size() + 1), heads[pick(heads.size())]);
                break;
            case 3:
                data.replace(pick(data.size() + 1), pick(12), heads[pick(heads.size())]);
                break;
            case 4: { // a slice repeated: growth, kept small
                const qsizetype from = pick(data.size());
                const QByteArray slice = data.mid(from, pick(64));
                for (int k = int(pick(20)); k > 0 && data.size() < 64 * 1024; --k)
                    data.insert(from, slice);
                break;
            }
            default:
                for (int k = int(pick(16)); k > 0; --k)
                    data.insert(pick(data.size() + 1), char(rng_()));
                break;
            }
        }
        return data;
    }

private:
    std::mt19937_64 rng_;
};

QByteArray utf16(const QString& s)
{
    QByteArray out("\xFF\xFE");
    for (const QChar c : s)
        out += char(c.unicode() & 0xFF), out += char(c.unicode() >> 8);
    return out;
}

} // namespace

TEST(OutsideInput, RandomlyDamagedPasteboardContentsNeverCrashOrAllocateWithoutBound)
{
    const unsigned seed = fuzzSeed();
    std::cout << "[ fuzz     ] TALLOMER_FUZZ_SEED=" << seed << std::endl;
    SCOPED_TRACE(testing::Message() << "TALLOMER_FUZZ_SEED=" << seed);
    Mutator m(seed);

    QImage image(4, 3, QImage::Format_ARGB32);
    image.fill(Qt::magenta);
    ZEVItemPB record(nullptr, "zevp://x", "A view", "zevp", 2000018);
    record.setZevpImage(image);
    ZEVItemPB plain(nullptr, "uid", "Title", "ABPerson", 0);
    plain.setItemNum(123456789);
    const QByteArray records = ZEVItemPB::archive({record, plain, plain});
    const QByteArray png = pngData(image);
    const QByteArray photo = png.toBase64();
    const QByteArray vcard = "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:u-1\r\nN:Doe;Jane;;;\r\nORG:Acme;Sales\r\n"
                             "X-ABShowAs:COMPANY\r\nREV:2024-01-02T03:04:05Z\r\nNOTE:folded\r\n  line\r\n"
                             "PHOTO;ENCODING=b;TYPE=PNG:" + photo.left(40) + "\r\n " + photo.mid(40) + "\r\n"
                             "END:VCARD\r\nBEGIN:VCARD\r\nVERSION:4.0\r\nUID:u-2\r\n"
                             "PHOTO:data:image/png;base64," + photo + "\r\nEND:VCARD\r\n";
    const QByteArray mail = "From: a@b\r\nSubject: =?UTF-8?B?w6l0w6k=?= and\r\n =?iso-8859-1?q?caf=E9?=\r\n"
                            "Message-ID: <m@x>\r\nDate: Tue, 1 Jul 2003 10:52:37 +0200\r\n\r\nbody\r\n";
    const QByteArray moz = utf16("http://a.example/\nA\nhttp://b.example/\nB");
    const QByteArray rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Times;}}\\f0 a {\\b b} {\\i\\u8364? c}\\par\\'e9{\\*\\x y}"
                           "{\\pict\\bin4 abcd}}";
    const QByteArray html = "<html><body><h1>T</h1><p><b>b</b> <i>i</i><table><tr><td>x</td></tr></table>"
                            "<img src=\"http://127.0.0.1:9/x.png\"></p></body></html>";

    // The first document loads fonts and plugins once, outside the cap.
    readHtmlText(html);
    decodeImageBounded(png);

    test::AddressSpaceCap cap(512u << 20);
    std::size_t recordsRead = 0, cardsRead = 0, texts = 0, photos = 0;
    for (int i = 0; i < 3000; ++i) {
        SCOPED_TRACE(testing::Message() << "round " << i);
        recordsRead += ZEVItemPB::unarchive(m.mutate(records)).size();
        for (const VCard& card : parseVCards(m.mutate(vcard))) {
            ++cardsRead;
            photos += vcardPhoto(card, QSize(64, 64)).has_value() ? 1 : 0;
            // The writer keeps a damaged card a card: its UID and REV are the ones given.
            const QList<VCard> rewritten = parseVCards(vcardWithUidAndRevision(card.bytes, "new-uid", 1000.0));
            if (!rewritten.isEmpty()) {
                EXPECT_EQ(rewritten.front().uid, "new-uid");
            }
        }
        const QByteArray message = m.mutate(mail);
        const MailHeaders headers = readMailHeaders(message);
        EXPECT_TRUE(mailUid(message, headers).startsWith("message:"));
        parseMozUrl(m.mutate(moz));
        parseNetscapeUrl(m.mutate(moz));
        texts += readRtf(m.mutate(rtf)).has_value() ? 1 : 0;
        if (i % 3 == 0)
            readHtmlText(m.mutate(html));
        if (i % 10 == 0)
            decodeImageBounded(m.mutate(png));
        if (i % 25 == 0) {
            // All of them at once, through the table of types.
            QMimeData data;
            data.setData(kItemPasteboardType, m.mutate(records));
            data.setData("text/vcard", m.mutate(vcard));
            data.setData("message/rfc822", m.mutate(mail));
            data.setData("text/x-moz-url", m.mutate(moz));
            data.setData("text/rtf", m.mutate(rtf));
            data.setData("text/html", m.mutate(html));
            data.setData("text/uri-list", m.mutate("file:///tmp/a\r\nhttp://b/\r\n"));
            data.setData("image/png", m.mutate(png));
            const PasteboardContents read = readPasteboard(&data);
            ZEVItemPB::unarchive(read.itemRecords);
        }
    }
    // The damage was not so complete that nothing ever got through.
    EXPECT_GT(recordsRead, 0u);
    EXPECT_GT(cardsRead, 0u);
    EXPECT_GT(photos, 0u);
    EXPECT_GT(texts, 0u);
}
