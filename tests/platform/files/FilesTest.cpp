#include "platform/files/FileBookmark.h"
#include "platform/files/FileIdentity.h"
#include "platform/files/FileMoves.h"
#include "platform/files/GeneratedFiles.h"
#include "platform/files/RecordFile.h"
#include "platform/files/RtfWriter.h"
#include "platform/files/SafeFileName.h"
#include "platform/files/Trash.h"
#include "platform/files/Volumes.h"
#include "platform/files/Webloc.h"

#include "runtime/Clock.h"
#include "tests/platform/PlatformFixture.h"
#include "tests/platform/files/SecondFileSystemMounted.h"
#include "tests/support/AddressSpaceCap.h"

#include <QCborArray>
#include <QDataStream>
#include <QImage>
#include <QStandardPaths>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <functional>
#include <fcntl.h>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tallomer;
using test::tempFolder;
using test::writeFile;

namespace {

bool move(const QString& from, const QString& to)
{
    QDir().mkpath(QFileInfo(to).absolutePath());
    return ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

QCborMap sampleFields()
{
    const FileIdentity identity{8, 1, 42, true, 1700000000, 5};
    return QCborMap{{"path", "/home/u/Café {notes}.txt"}, {"httpPath", ""}, {"count", qint64(-7)},
                    {"bookmark", FileBookmark(QStringLiteral("/home/u/a"), identity).toBytes()},
                    {"createdDate", recordDate(725000000.25)}, {"list", QCborArray{1, "two", 3.5}}};
}

// The documented layout, built independently of the writer: magic, version, reserved, length,
// CRC-32 of the payload, payload.
QByteArray handMadeRecord(const QByteArray& payload)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char ch : payload) {
        crc ^= quint8(ch);
        for (int k = 0; k < 8; ++k)
            crc = (crc & 1) ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
    }
    QByteArray out("TLMR");
    QDataStream(&out, QIODevice::Append) << quint16(1) << quint16(0) << quint32(payload.size()) << ~crc;
    return out + payload;
}

using test::AddressSpaceCap;

} // namespace

TEST(FileIdentity, DatesComeFromAccessAndBirthTimesAndAMissingFileHasNone)
{
    const QString path = writeFile(tempFolder() + "/dated.txt");
    const timespec times[2] = {{1700000000, 500000000}, {1600000000, 0}}; // access, modification
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
    const auto dates = fileDates(path);
    ASSERT_TRUE(dates.has_value());
    EXPECT_DOUBLE_EQ(*dates->lastUsed, dateFromUnix(1700000000.5));
    EXPECT_DOUBLE_EQ(*dates->modified, dateFromUnix(1600000000.0));
    // The birth time, where the file system keeps one, is the file's real creation a moment ago.
    const KELDate now = dateFromUnix(double(::time(nullptr)));
    EXPECT_NEAR(dates->created.value_or(now), now, 120.0);
    EXPECT_FALSE(fileDates(path + ".missing").has_value());
    EXPECT_TRUE(!fileIdentity(path + ".missing") && fileUid(path + ".missing").isEmpty() && fileUid({}).isEmpty());
}

// Resolving also shows that an identity survives a rename and a move, and tells files apart.
TEST(FileBookmark, RoundTripsAndResolvesByPathThenByIdentityThenByPathAlone)
{
    const QString root = tempFolder();
    const QString original = writeFile(root + "/docs/report.txt");
    const auto made = FileBookmark::fromPath(root + "/docs/../docs/report.txt");
    ASSERT_TRUE(made.has_value());
    EXPECT_EQ(made->path(), original) << "paths are stored clean";
    EXPECT_FALSE(FileBookmark::fromPath(original + ".missing").has_value());
    for (const QByteArray& damaged : {QByteArray(), made->toBytes().left(10), QByteArray("garbage")})
        EXPECT_FALSE(FileBookmark::fromBytes(damaged).has_value()) << damaged.toHex().constData();
    // What comes back from the bytes is what is resolved below: a lost path or identity would show.
    const auto back = FileBookmark::fromBytes(made->toBytes());
    ASSERT_TRUE(back.has_value());
    const FileBookmark& bookmark = *back;

    const auto expectFound = [&](const BookmarkSearch& search, const QString& path, bool stale) {
        const auto resolved = resolveBookmark(bookmark, search);
        ASSERT_TRUE(resolved.has_value()) << qPrintable(path);
        EXPECT_EQ(resolved->path, path);
        EXPECT_EQ(resolved->stale, stale) << qPrintable(path);
        EXPECT_EQ(resolved->identity.uid(), fileUid(path));
    };
    expectFound(BookmarkSearch{{root}}, original, false);

    // Renamed in place: found in the old parent folder.
    ASSERT_TRUE(move(original, root + "/docs/final report.txt"));
    expectFound(BookmarkSearch{}, root + "/docs/final report.txt", true);

    // Moved elsewhere below a search root, the old folder gone.
    ASSERT_TRUE(move(root + "/docs/final report.txt", root + "/archive/2024/report.txt"));
    ASSERT_TRUE(QDir(root + "/docs").removeRecursively());
    expectFound(BookmarkSearch{{root}}, root + "/archive/2024/report.txt", true);
    EXPECT_EQ(fileUid(root + "/archive/2024/report.txt"), bookmark.identity().uid()) << "lost on a move";

    // A file of the same name that is not the same file is no match; a deleted file answers nothing.
    writeFile(root + "/elsewhere/report.txt");
    ASSERT_TRUE(QFile::remove(root + "/archive/2024/report.txt"));
    EXPECT_FALSE(resolveBookmark(bookmark, BookmarkSearch{{root}}).has_value());

    // Editors save by writing a new file and renaming it over the old name: a new identity at the
    // recorded path is the file.
    ASSERT_TRUE(move(writeFile(original + ".new", "v2"), original));
    ASSERT_NE(fileUid(original), bookmark.identity().uid());
    expectFound(BookmarkSearch{}, original, true);
}

TEST(FileBookmark, SearchStaysWithinItsLimits)
{
    const QString root = tempFolder(), outside = tempFolder();
    const auto bookmark = *FileBookmark::fromPath(writeFile(root + "/a.txt"));

    // Hidden folders below a root, folders tagged as caches, and symbolic links are not entered.
    ASSERT_TRUE(move(root + "/a.txt", root + "/x/.hidden/a.txt"));
    EXPECT_FALSE(resolveBookmark(bookmark, BookmarkSearch{{root}}).has_value());
    writeFile(root + "/cache/CACHEDIR.TAG", "Signature: 8a477f597d28d172789f06886806bc55");
    ASSERT_TRUE(move(root + "/x/.hidden/a.txt", root + "/cache/a.txt"));
    EXPECT_FALSE(resolveBookmark(bookmark, BookmarkSearch{{root}}).has_value());
    ASSERT_TRUE(move(root + "/cache/a.txt", outside + "/a.txt"));
    ASSERT_TRUE(QFile::link(outside, root + "/link"));
    EXPECT_FALSE(resolveBookmark(bookmark, BookmarkSearch{{root}}).has_value());

    // Depth and entry budgets.
    ASSERT_TRUE(move(outside + "/a.txt", root + "/1/2/3/a.txt"));
    BookmarkSearch search{{root}};
    search.maxDepth = 2;
    EXPECT_FALSE(resolveBookmark(bookmark, search).has_value());
    search.maxDepth = 3;
    EXPECT_TRUE(resolveBookmark(bookmark, search).has_value());
    for (int i = 0; i < 50; ++i)
        writeFile(root + QString("/0/f%1").arg(i));
    search.maxEntries = 20;
    EXPECT_FALSE(resolveBookmark(bookmark, search).has_value());
}

TEST(RecordFile, RoundTripKeepsEveryKindOfFieldAndFailuresAndDamageAreReported)
{
    const QString path = tempFolder() + "/2000123.file";
    const QCborMap fields = sampleFields();
    ASSERT_TRUE(writeRecordFile(path, fields).ok);
    const RecordRead read = readRecordFile(path);
    ASSERT_TRUE(read) << read.error.toStdString();
    EXPECT_EQ(*read.fields, fields);
    EXPECT_EQ(recordString(*read.fields, "path"), "/home/u/Café {notes}.txt");
    EXPECT_EQ(recordDateValue(read.fields->value("createdDate")), 725000000.25);
    EXPECT_EQ(recordInteger(*read.fields, "count"), -7);
    // Wrong types answer the empty value rather than a conversion.
    EXPECT_TRUE(recordString(*read.fields, "count").isEmpty());
    EXPECT_FALSE(recordInteger(*read.fields, "path").has_value());

    // Rewriting replaces the whole record.
    const QCborMap smaller{{QStringLiteral("uid"), QStringLiteral("x")}};
    ASSERT_TRUE(writeRecordFile(path, smaller).ok);
    EXPECT_EQ(*readRecordFile(path).fields, smaller);

    const FileResult failed = writeRecordFile(tempFolder() + "/no/such/folder/1.file", smaller);
    EXPECT_TRUE(!failed.ok && !failed.error.isEmpty());

    // Damaged files are rejected with a reason.
    const QString dir = tempFolder();
    const QByteArray good = encodeRecord(fields);
    for (qsizetype n = 0; n < good.size(); ++n)
        EXPECT_FALSE(decodeRecord(good.left(n)).error.isEmpty()) << "prefix of " << n << " bytes accepted";
    const auto damaged = [&](qsizetype at, char byte) { return QByteArray(good).replace(at, 1, &byte, 1); };
    EXPECT_FALSE(decodeRecord(damaged(0, 'X')));
    EXPECT_TRUE(decodeRecord(damaged(5, 2)).error.contains("version"));
    EXPECT_TRUE(decodeRecord(damaged(good.size() - 3, char(good[good.size() - 3] ^ 1))).error.contains("checksum"));
    EXPECT_FALSE(decodeRecord(good + "x"));

    // The documented layout is what the writer produces; a valid header around a payload that
    // is not a map with text keys is still rejected.
    EXPECT_EQ(handMadeRecord(fields.toCborValue().toCbor()), good);
    EXPECT_TRUE(decodeRecord(handMadeRecord(QCborValue(QStringLiteral("text")).toCbor())).error.contains("map"));
    EXPECT_FALSE(decodeRecord(handMadeRecord(QCborMap{{1, QStringLiteral("one")}}.toCborValue().toCbor())));
    EXPECT_FALSE(decodeRecord(handMadeRecord(QByteArray(40, char(0x81)) + QByteArray(1, 0)))) << "nesting too deep";

    // Missing, oversized (sparse, so no disk is used) and non-regular files.
    EXPECT_FALSE(readRecordFile(dir + "/missing.file"));
    writeFile(dir + "/big.file", good.left(kRecordHeaderSize));
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
    const QString path = tempFolder() + "/fuzz.file";
    const QByteArray good = encodeRecord(sampleFields());
    const QByteArray payload = good.mid(kRecordHeaderSize);
    const auto pick = [&](qsizetype n) { return qsizetype(rng() % std::uint32_t(n)); };
    // CBOR heads that announce far more than the file holds: string, bytes, array, map, nesting.
    QList<QByteArray> hugeHeads{QByteArray(64, char(0x81))};
    for (const char* hex : {"7bffffffffffffff00", "5b00000000ffffffff", "9b7fffffffffffffff", "ba7fffffff"})
        hugeHeads << QByteArray::fromHex(hex);

    AddressSpaceCap cap(256u << 20);
    int accepted = 0, reachedCbor = 0;
    for (int i = 0; i < 3000; ++i) {
        QByteArray body = payload;
        const QByteArray& head = hugeHeads[pick(hugeHeads.size())];
        switch (i % 4) {
        case 0: body.truncate(pick(body.size())); break;
        case 1:
            for (int k = 1 + pick(8); k > 0; --k)
                body[pick(body.size())] = char(body[pick(body.size())] ^ (1 << pick(8)));
            break;
        case 2: body.insert(pick(body.size()), head); break;
        default: body.replace(pick(body.size()), 9, head); break;
        }
        // Mostly with a length and checksum that fit, so that the CBOR reader itself sees the damage.
        writeFile(path, i % 5 == 0 ? good.left(kRecordHeaderSize) + body : handMadeRecord(body));
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

TEST(RtfWriter, EscapesBracesBackslashesAndAccents)
{
    const QByteArray rtf = rtfDocument({{"Café {x} \\ ", false, false}, {"bold", true, false},
                                        {"\r\nnext\tline ", false, false}, {"😀", false, true}});
    EXPECT_EQ(rtf, "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n"
                   "{\\fonttbl{\\f0\\fswiss\\fcharset0 Helvetica;}}\n"
                   "\\pard\\f0\\fs24 Caf\\u233? \\{x\\} \\\\ {\\b bold}\\par\n"
                   "next\\tab line {\\i \\u-10179?\\u-8704?}\n"
                   "}\n");
    EXPECT_EQ(rtfDocument(QStringLiteral("a\rb\x01")), rtfDocument(QStringLiteral("a\nb")));
}

TEST(Webloc, RoundTripThroughAPropertyList)
{
    const QString url = QStringLiteral("https://example.org/a?b=1&c=<2>");
    const QString path = tempFolder() + "/example.org.webloc";
    ASSERT_TRUE(writeWeblocFile(path, url).ok);
    EXPECT_EQ(readWeblocFile(path), url);
    EXPECT_TRUE(weblocData(url).contains("<plist version=\"1.0\">") && weblocData(url).contains("<key>URL</key>"));

    // Other keys around it are fine; a URL key outside the root dictionary or without a string is not.
    EXPECT_EQ(parseWebloc("<plist version=\"1.0\"><dict><key>A</key><integer>1</integer>"
                          "<key>URL</key><string>http://x/</string></dict></plist>"),
              QStringLiteral("http://x/"));
    for (const char* bad : {"<plist><dict><key>A</key><dict><key>URL</key><string>x</string></dict></dict></plist>",
                            "<plist><dict><key>URL</key><integer>3</integer></dict></plist>",
                            "<plist><dict><key>URL</key><string>http://x/", "not xml"})
        EXPECT_FALSE(parseWebloc(bad)) << bad;
    EXPECT_FALSE(readWeblocFile(path + ".missing"));
}

TEST(GeneratedFiles, ImagesAsTiffAndJpegFoldersAndAtomicWrites)
{
    std::mt19937 rng(7); // noise, so that the JPEG quality shows in the size
    QImage image(64, 48, QImage::Format_RGB32);
    for (int i = 0; i < 64 * 48; ++i)
        image.setPixel(i % 64, i / 64, qRgb(rng() % 256, i % 64 * 4, i / 64 * 4));
    const QByteArray tiff = tiffData(image);
    ASSERT_FALSE(tiff.isEmpty()) << "TIFF image plugin missing";
    EXPECT_EQ(QImage::fromData(tiff, "TIFF").convertToFormat(QImage::Format_RGB32), image);
    EXPECT_TRUE(tiffData(QImage()).isEmpty());
    // One bit a pixel with colours of its own (a one-colour PNG as read) keeps them.
    QImage mono(16, 8, QImage::Format_Mono);
    mono.setColorTable({qRgb(0, 128, 0), qRgb(255, 0, 0)});
    mono.fill(0);
    mono.setPixel(3, 3, 1);
    const QImage back = QImage::fromData(tiffData(mono), "TIFF");
    EXPECT_EQ(back.pixelColor(0, 0), QColor(0, 128, 0));
    EXPECT_EQ(back.pixelColor(3, 3), QColor(255, 0, 0));

    const QByteArray jpeg = jpegData(image);
    ASSERT_TRUE(jpeg.startsWith("\xFF\xD8"));
    EXPECT_LT(jpeg.size(), jpegData(image, 95).size()) << "quality 50 is not applied";
    QImage clear(8, 8, QImage::Format_ARGB32);
    clear.fill(Qt::transparent);
    EXPECT_EQ(QImage::fromData(jpegData(clear)).pixelColor(4, 4).lightness(), 255)
        << "transparent parts become white, not black";

    const QString dir = tempFolder();
    EXPECT_TRUE(ensureFolder(dir + "/2000018/2000200").ok);
    EXPECT_TRUE(ensureFolder(dir + "/2000018/2000200").ok) << "an existing folder is accepted";
    ASSERT_TRUE(writeFileAtomically(dir + "/2000018/zevp.jpeg", "old").ok);
    ASSERT_TRUE(writeFileAtomically(dir + "/2000018/zevp.jpeg", "new").ok);
    EXPECT_EQ(test::readFile(dir + "/2000018/zevp.jpeg"), "new");
    EXPECT_FALSE(ensureFolder(dir + "/2000018/zevp.jpeg").ok);
    EXPECT_FALSE(writeFileAtomically(dir + "/missing/x", "y").ok);
}

namespace {

// Runs write in a child whose files may not grow past limit bytes (SIGXFSZ ignored, so that the
// write fails with EFBIG as on a full disk); answers 0 for a reported success, 1 for a reported
// failure naming the cause, else how the child ended.
int writeUnderFileSizeLimit(rlim_t limit, const std::function<FileResult()>& write)
{
    const pid_t child = ::fork();
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit small{limit, limit};
        if (::setrlimit(RLIMIT_FSIZE, &small) != 0)
            ::_exit(3);
        const FileResult r = write();
        ::_exit(r.ok ? 0 : r.error.contains(QString::fromLocal8Bit(std::strerror(EFBIG))) ? 1 : 2);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

QStringList hiddenLeftovers(const QString& folder)
{
    return QDir(folder).entryList({".tallomer-*"}, QDir::Files | QDir::Hidden);
}

} // namespace

// A write that cannot be finished (a full disk, a size limit) is answered as a failure and leaves
// the old file byte for byte, with no temporary beside it.
TEST(AtomicWrites, AFailedWriteKeepsTheOldBytesAndSaysSo)
{
    const QString dir = tempFolder();
    const QString path = dir + "/100000001.file";
    const QByteArray old = encodeRecord(sampleFields());
    ASSERT_TRUE(writeFileAtomically(path, old).ok);
    const QByteArray bigger = encodeRecord(QCborMap{{"path", QString(3000, 'p')}});

    // Below the old size, between the old and the new size, and a single byte short: each write
    // fails at another step (the first write, a later one, the last byte).
    for (const rlim_t limit : {rlim_t(0), rlim_t(old.size()), rlim_t(bigger.size() - 1)}) {
        SCOPED_TRACE(limit);
        EXPECT_EQ(writeUnderFileSizeLimit(limit, [&] { return writeFileAtomically(path, bigger); }), 1);
        EXPECT_EQ(test::readFile(path), old);
        EXPECT_TRUE(readRecordFile(path)) << "the old record still reads";
        EXPECT_TRUE(hiddenLeftovers(dir).isEmpty()) << hiddenLeftovers(dir).join(' ').toStdString();
    }
    // The record writer answers the same.
    EXPECT_EQ(writeUnderFileSizeLimit(16, [&] { return writeRecordFile(path, QCborMap{{"path", QString(500, 'q')}}); }),
              1);
    EXPECT_EQ(test::readFile(path), old);
    // With room enough the same write goes through.
    EXPECT_EQ(writeUnderFileSizeLimit(rlim_t(bigger.size()), [&] { return writeFileAtomically(path, bigger); }), 0);
    EXPECT_EQ(test::readFile(path), bigger);

    // A file system that is really full.
    const QString full = test::SecondFileSystem::full();
    if (full.isEmpty())
        return;
    const QString record = full + "/100000002.file";
    ASSERT_TRUE(writeFileAtomically(record, old).ok);
    const QString filler = full + "/filler";
    {
        QFile f(filler);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray block(4096, 'f');
        while (f.write(block) == block.size()) {
        }
    }
    const FileResult written = writeFileAtomically(record, bigger);
    EXPECT_FALSE(written.ok);
    EXPECT_TRUE(written.error.contains(QString::fromLocal8Bit(std::strerror(ENOSPC)))) << written.error.toStdString();
    EXPECT_EQ(test::readFile(record), old);
    EXPECT_TRUE(hiddenLeftovers(full).isEmpty());
    QFile::remove(filler);
    QFile::remove(record);
}

// What callers rely on: the file keeps its mode, and a symbolic link (a user's bookmarks file
// kept elsewhere) keeps pointing at the file that is replaced.
// A move between file systems whose copy cannot be finished says so, keeps the source whole and
// leaves no partial copy at either name.
TEST(AtomicWrites, AMoveWhoseCopyFailsKeepsTheSourceAndLeavesNoCopy)
{
    const QString from = tempFolder();
    const QString to = tempFolder();
    const RenameFn crossing = [&](const QByteArray& a, const QByteArray& b, unsigned flags) {
        if (a.startsWith(QFile::encodeName(from))) {
            errno = EXDEV;
            return -1;
        }
        return systemRename()(a, b, flags);
    };
    const QByteArray payload(200000, 'x');
    ASSERT_TRUE(writeFileAtomically(from + "/a.bin", payload).ok);
    for (const rlim_t limit : {rlim_t(0), rlim_t(70000), rlim_t(payload.size() - 1)}) {
        SCOPED_TRACE(limit);
        EXPECT_EQ(writeUnderFileSizeLimit(limit, [&] { return moveFileNoReplace(from + "/a.bin", to + "/a.bin", crossing); }),
                  1);
        EXPECT_EQ(test::readFile(from + "/a.bin"), payload);
        EXPECT_FALSE(QFileInfo::exists(to + "/a.bin"));
        EXPECT_TRUE(hiddenLeftovers(to).isEmpty()) << hiddenLeftovers(to).join(' ').toStdString();
    }
    // With room, the same move goes through.
    EXPECT_EQ(writeUnderFileSizeLimit(rlim_t(payload.size()),
                                      [&] { return moveFileNoReplace(from + "/a.bin", to + "/a.bin", crossing); }),
              0);
    EXPECT_EQ(test::readFile(to + "/a.bin"), payload);
    EXPECT_FALSE(QFileInfo::exists(from + "/a.bin"));
}

TEST(AtomicWrites, ReplacesTheTargetOfALinkAndKeepsTheMode)
{
    const QString dir = tempFolder();
    const QString target = dir + "/kept/bookmarks";
    ASSERT_TRUE(writeFileAtomically(test::writeFile(target, "old"), "older").ok);
    ASSERT_TRUE(QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner));
    ASSERT_TRUE(QFile::link(target, dir + "/bookmarks"));
    ASSERT_TRUE(writeFileAtomically(dir + "/bookmarks", "new").ok);
    EXPECT_TRUE(QFileInfo(dir + "/bookmarks").isSymLink());
    EXPECT_EQ(test::readFile(target), "new");
    EXPECT_EQ(QFileInfo(target).permissions() & 0x0FFF, QFile::ReadUser | QFile::WriteUser);
    EXPECT_TRUE(hiddenLeftovers(dir).isEmpty() && hiddenLeftovers(dir + "/kept").isEmpty());
}

TEST(Trash, MovesFilesAndFoldersIntoTheUsersTrash)
{
    const QString trash = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Trash";
    ASSERT_TRUE(trash.startsWith(QString::fromStdString(test::testHome())));
    const QString dir = tempFolder();
    QString where;
    ASSERT_TRUE(moveToTrash(writeFile(dir + "/old.txt"), &where).ok);
    EXPECT_FALSE(QFile::exists(dir + "/old.txt"));
    EXPECT_TRUE(where.startsWith(trash + "/files/") && QFile::exists(where)) << where.toStdString();

    QDir().mkpath(dir + "/drop/2000300/inner");
    ASSERT_TRUE(moveToTrash(dir + "/drop/2000300").ok);
    EXPECT_FALSE(QFile::exists(dir + "/drop/2000300"));

    const FileResult missing = moveToTrash(dir + "/never.txt");
    EXPECT_TRUE(!missing.ok && !missing.error.isEmpty());
}

TEST(Volumes, OtherMountsAndRemovableFoldersAreExternal)
{
    const VolumeMap volumes({"/", "/home", "/data", "/home/u/nas"}, "/home/u");
    // The system disk is not external, and a mount root is a folder, not a prefix.
    for (const char* internal : {"/home/u/Documents/a.pdf", "/usr/share/doc/x", "/database/x", "/mntx/a.txt"})
        EXPECT_FALSE(volumes.isExternal(internal)) << internal;
    for (const char* external : {"/data/photos/a.jpg", "/home/u/nas/a.jpg", "/media/u/STICK/a.txt",
                                 "/run/media/u/STICK/a.txt", "/mnt/backup/a.txt"})
        EXPECT_TRUE(volumes.isExternal(external)) << external;
    EXPECT_EQ(volumes.mountRootOf("/home/u/x/../nas/y"), "/home/u/nas");

    // When the home lies on the root file system, its own mount is the root.
    const VolumeMap single({"/", "/srv"}, "/home/u");
    EXPECT_FALSE(single.isExternal("/home/u/a"));
    EXPECT_TRUE(single.isExternal("/srv/a"));
    EXPECT_FALSE(VolumeMap::system().isExternal(QString::fromStdString(test::testHome())));
}

// A safe name is one entry: neither empty nor "." nor "..", no slash or NUL, not hidden.
TEST(SafeFileName, HostileNamesStayInsideTheFolderAndNewFilesNeverReuseATakenName)
{
    const QString folder = tempFolder();
    // Each name, and what it becomes where that is worth pinning down.
    const std::pair<QString, QString> hostile[] = {
        {"../x", "x"}, {"/etc/passwd", "passwd"}, {".", ""}, {"..", "untitled"}, {"", "untitled"},
        // Dots and blanks mixed at the front: one pass over the dots alone left ".x" and "..".
        {". .x", "x"}, {". ..", "untitled"}, {" . . ", "untitled"}, {".\t.bashrc", "bashrc"},
        {". . . .x.txt", "x.txt"}, {QString(200, ' ') + "." + QString(300, ' ') + "..", "untitled"},
        {"   ", ""}, {"a/..", ""}, {"../../..", ""}, {".bashrc", "bashrc"}, {"..hidden", ""}, {"x/", ""},
        {QString("a") + QChar(0) + "b", "ab"}, {"line\nbreak", ""}, {"  photo.png ", "photo.png"},
        {QString(300, 'n'), ""}, {QString(150, QChar(0xE9)), ""},
        {QString::fromUtf8(QByteArray(100 * 4, 'x')).replace("xxxx", "😀"), ""},
        // 405 bytes: cut to 125 two-byte characters, then the extension.
        {QString(200, QChar(0xE9)) + ".tiff", QString(125, QChar(0xE9)) + ".tiff"}};
    for (const auto& [name, expected] : hostile) {
        SCOPED_TRACE(name.left(40).toStdString());
        const QString safe = safeFileName(name);
        EXPECT_EQ(safe, expected.isEmpty() ? safe : expected);
        EXPECT_FALSE(safe.isEmpty() || safe.contains('/') || safe.contains(QChar(0)) || safe.startsWith('.'))
            << safe.toStdString();
        EXPECT_LE(safe.toUtf8().size(), kMaxFileNameBytes);
        EXPECT_TRUE(QString::fromUtf8(safe.toUtf8()) == safe && !safe.contains(QChar(0xFFFD)))
            << "cut inside a character";
        EXPECT_EQ(pathInFolder(folder, name), folder + '/' + safe);
    }
    EXPECT_EQ(safeFileName("", "image"), "image");

    // New files never reuse a taken name.
    QString first, second;
    ASSERT_TRUE(writeNewFile(folder, "pasted text.rtf", "one", &first).ok);
    ASSERT_TRUE(writeNewFile(folder, "../pasted text.rtf", "two", &second).ok);
    EXPECT_EQ(first, folder + "/pasted text.rtf");
    EXPECT_EQ(second, folder + "/pasted text (1).rtf");
    EXPECT_EQ(test::readFile(first) + test::readFile(second), "onetwo");
    // An ordinary file, as any other the user makes; no temporary file left beside it.
    const mode_t mask = ::umask(022);
    QString third;
    ASSERT_TRUE(writeNewFile(folder, "mode.txt", "x", &third).ok);
    ::umask(mask);
    EXPECT_EQ(QFileInfo(third).permissions() & (QFile::ReadUser | QFile::WriteUser | QFile::ReadGroup | QFile::ReadOther),
              QFile::ReadUser | QFile::WriteUser | QFile::ReadGroup | QFile::ReadOther);
    EXPECT_TRUE(QDir(folder).entryList({".tallomer-*"}, QDir::Files | QDir::Hidden).isEmpty());
    // A dangling symbolic link takes its name too: writing there would land elsewhere.
    ASSERT_TRUE(QFile::link(folder + "/nowhere", folder + "/pasted text (2).rtf"));
    EXPECT_EQ(uniquePathInFolder(folder, "pasted text.rtf"), folder + "/pasted text (3).rtf");

    const QString longName = QString(255, 'a');
    writeFile(folder + "/" + longName);
    const QString longSecond = uniquePathInFolder(folder, longName);
    EXPECT_TRUE(longSecond.endsWith(" (1)"));
    EXPECT_LE(QFileInfo(longSecond).fileName().toUtf8().size(), kMaxFileNameBytes);

    EXPECT_TRUE(uniquePathInFolder(folder + "/missing", "x").isEmpty());
    const FileResult failed = writeNewFile(folder + "/missing", "x", "y");
    EXPECT_TRUE(!failed.ok && !failed.error.isEmpty());
}
