#include "platform/files/FileBookmark.h"
#include "platform/files/RecordFile.h"

#include "tests/platform/PlatformFixture.h"

#include <QCborArray>
#include <QDataStream>

#include <algorithm>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tallomer;

namespace {

QString tempDir() { return test::tempFolder("records"); }

QCborMap sampleFields()
{
    const FileIdentity identity{8, 1, 42, true, 1700000000, 5};
    return QCborMap{{QStringLiteral("path"), QStringLiteral("/home/u/Café {notes}.txt")},
                    {QStringLiteral("uid"), QStringLiteral("259:2/1835012/1701434805.123456789")},
                    {QStringLiteral("httpPath"), QString()},
                    {QStringLiteral("bookmark"), FileBookmark(QStringLiteral("/home/u/a"), identity).toBytes()},
                    {QStringLiteral("createdDate"), recordDate(725000000.25)},
                    {QStringLiteral("count"), qint64(-7)},
                    {QStringLiteral("list"), QCborArray{1, QStringLiteral("two"), 3.5}}};
}

// The documented layout, built independently of the writer: magic, version, reserved, length,
// CRC-32 of the payload, payload.
QByteArray handMadeRecord(const QByteArray& payload, quint16 version = 1)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char ch : payload) {
        crc ^= quint8(ch);
        for (int k = 0; k < 8; ++k)
            crc = (crc & 1) ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
    }
    crc ^= 0xFFFFFFFFu;
    QByteArray out("TLMR");
    QDataStream(&out, QIODevice::Append) << version << quint16(0) << quint32(payload.size()) << crc;
    return out + payload;
}

// Caps the address space at what the process uses now plus headroom, for one scope: a reader
// that trusted a length field of gigabytes would fail inside instead of succeeding.
class AddressSpaceCap {
public:
    explicit AddressSpaceCap(rlim_t headroom)
    {
        const rlim_t pages = test::readFile("/proc/self/statm").split(' ').value(0).toULongLong();
        if (pages == 0 || ::getrlimit(RLIMIT_AS, &old_) != 0)
            return;
        rlimit capped = old_;
        capped.rlim_cur = std::min(old_.rlim_cur, pages * rlim_t(::sysconf(_SC_PAGESIZE)) + headroom);
        active_ = ::setrlimit(RLIMIT_AS, &capped) == 0;
    }
    ~AddressSpaceCap()
    {
        if (active_)
            ::setrlimit(RLIMIT_AS, &old_);
    }

private:
    rlimit old_{};
    bool active_ = false;
};

} // namespace

TEST(RecordFile, RoundTripKeepsEveryKindOfFieldAndWriteFailuresAreReported)
{
    const QString path = tempDir() + "/2000123.file";
    const QCborMap fields = sampleFields();
    ASSERT_TRUE(writeRecordFile(path, fields).ok);
    const RecordRead read = readRecordFile(path);
    ASSERT_TRUE(read) << read.error.toStdString();
    EXPECT_EQ(*read.fields, fields);
    EXPECT_EQ(recordString(*read.fields, "path"), "/home/u/Café {notes}.txt");
    EXPECT_EQ(recordDateValue(read.fields->value("createdDate")), 725000000.25);
    EXPECT_EQ(recordInteger(*read.fields, "count"), -7);
    const auto bookmark = FileBookmark::fromBytes(recordBytes(*read.fields, "bookmark"));
    ASSERT_TRUE(bookmark.has_value());
    EXPECT_EQ(bookmark->identity().inode, 42u);
    // Wrong types answer the empty value rather than a conversion.
    EXPECT_TRUE(recordString(*read.fields, "count").isEmpty());
    EXPECT_FALSE(recordInteger(*read.fields, "path").has_value());

    // Rewriting replaces the whole record.
    QCborMap smaller;
    smaller.insert(QStringLiteral("uid"), QStringLiteral("x"));
    ASSERT_TRUE(writeRecordFile(path, smaller).ok);
    EXPECT_EQ(*readRecordFile(path).fields, smaller);

    const FileResult failed = writeRecordFile(tempDir() + "/no/such/folder/1.file", smaller);
    EXPECT_FALSE(failed.ok);
    EXPECT_FALSE(failed.error.isEmpty());
}

TEST(RecordFile, DamagedFilesAreRejectedWithAReason)
{
    const QString dir = tempDir();
    const QByteArray good = encodeRecord(sampleFields());
    for (qsizetype n = 0; n < good.size(); ++n) {
        const RecordRead read = decodeRecord(good.left(n));
        EXPECT_FALSE(read) << "prefix of " << n << " bytes accepted";
        EXPECT_FALSE(read.error.isEmpty());
    }
    QByteArray wrongMagic = good;
    wrongMagic[0] = 'X';
    EXPECT_FALSE(decodeRecord(wrongMagic));
    QByteArray newerVersion = good;
    newerVersion[5] = 2;
    EXPECT_TRUE(decodeRecord(newerVersion).error.contains("version"));
    QByteArray flipped = good;
    flipped[good.size() - 3] = char(flipped[good.size() - 3] ^ 0x01);
    EXPECT_TRUE(decodeRecord(flipped).error.contains("checksum"));
    EXPECT_FALSE(decodeRecord(good + "x"));

    // The documented layout is what the writer produces; a valid header around a payload that
    // is not a map with text keys is still rejected.
    const QByteArray payload = sampleFields().toCborValue().toCbor();
    EXPECT_EQ(handMadeRecord(payload), good);
    EXPECT_TRUE(decodeRecord(handMadeRecord(QCborValue(QStringLiteral("text")).toCbor())).error.contains("map"));
    QCborMap intKeys;
    intKeys.insert(1, QStringLiteral("one"));
    EXPECT_FALSE(decodeRecord(handMadeRecord(intKeys.toCborValue().toCbor())));
    EXPECT_FALSE(decodeRecord(handMadeRecord(QByteArray(40, char(0x81)) + QByteArray(1, 0)))) << "nesting too deep";

    // Missing, oversized (sparse, so no disk is used) and non-regular files.
    EXPECT_FALSE(readRecordFile(dir + "/missing.file"));
    test::writeFile(dir + "/big.file", good.left(kRecordHeaderSize));
    ASSERT_TRUE(QFile::resize(dir + "/big.file", kRecordHeaderSize + kMaxRecordPayload + 4096));
    EXPECT_TRUE(readRecordFile(dir + "/big.file").error.contains("too large"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir + "/fifo.file").constData(), 0600), 0);
    EXPECT_FALSE(readRecordFile(dir + "/fifo.file")) << "must not block on a FIFO";
    EXPECT_FALSE(readRecordFile(dir));
}

TEST(RecordFile, RandomlyDamagedFilesNeverCrashOrAllocateWithoutBound)
{
    const unsigned seed = 20240611;
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    std::mt19937 rng(seed);
    const QString path = tempDir() + "/fuzz.file";
    const QByteArray good = encodeRecord(sampleFields());
    const QByteArray payload = good.mid(kRecordHeaderSize);
    const auto pick = [&](qsizetype n) { return qsizetype(rng() % std::uint32_t(n)); };
    // CBOR heads that announce far more than the file holds: string, bytes, array, map.
    const QList<QByteArray> hugeHeads = {QByteArray::fromHex("7bffffffffffffff00"),
                                         QByteArray::fromHex("5b00000000ffffffff"),
                                         QByteArray::fromHex("9b7fffffffffffffff"),
                                         QByteArray::fromHex("ba7fffffff"),
                                         QByteArray(64, char(0x81))};

    AddressSpaceCap cap(256u << 20);
    int accepted = 0;
    int reachedCbor = 0;
    for (int i = 0; i < 3000; ++i) {
        QByteArray body = payload;
        switch (i % 4) {
        case 0:
            body.truncate(pick(body.size()));
            break;
        case 1:
            for (int k = 1 + pick(8); k > 0; --k)
                body[pick(body.size())] = char(body[pick(body.size())] ^ (1 << pick(8)));
            break;
        case 2:
            body.insert(pick(body.size()), hugeHeads[pick(hugeHeads.size())]);
            break;
        default:
            body.replace(pick(body.size()), 9, hugeHeads[pick(hugeHeads.size())]);
            break;
        }
        // Mostly with a length and checksum that fit, so that the CBOR reader itself sees the damage.
        const QByteArray bytes = i % 5 == 0 ? good.left(kRecordHeaderSize) + body : handMadeRecord(body);
        test::writeFile(path, bytes);
        const RecordRead read = readRecordFile(path);
        if (read) {
            ++accepted;
            FileBookmark::fromBytes(recordBytes(*read.fields, "bookmark"));
            recordDateValue(read.fields->value("createdDate"));
        } else {
            EXPECT_FALSE(read.error.isEmpty()) << "mutation " << i;
            reachedCbor += read.error.contains("damaged") ? 1 : 0;
        }
    }
    // The test is only worth something when most damage gets past the checksum to the decoder.
    EXPECT_GT(reachedCbor, 1500) << accepted << " accepted";
}
