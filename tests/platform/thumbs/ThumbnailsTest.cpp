// Pictures of files at an icon's size: the desktop's cache when it is the file's, else the file
// decoded within bounds; and the pool that hands them back on the main thread.

#include "tests/support/HostilePictures.h"
#include "platform/thumbs/Thumbnails.h"
#include "platform/pasteboard/BoundedImage.h"

#include "tests/platform/PlatformFixture.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QThread>
#include <QPainter>
#include <QPdfWriter>
#include <QThreadPool>
#include <QtEndian>

#include <chrono>
#include <cmath>
#include <fcntl.h>
#include <future>
#include <unistd.h>
#include <sys/stat.h>
#include <limits>

namespace tallomer::test {
namespace {

using thumbs::Request;

QString writeImage(const QString& path, QSize size, QColor colour)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    EXPECT_TRUE(image.save(path, "PNG")) << path.toStdString();
    return path;
}

// A thumbnail in the cache folder `folder` for `file`, as the desktop writes it.
QString writeThumbnail(const QString& cache, const char* folder, const QString& file, int side, QColor colour,
                       qint64 mtime)
{
    QImage thumb(side, side / 2, QImage::Format_RGB32);
    thumb.fill(colour);
    thumb.setText(QStringLiteral("Thumb::URI"), thumbs::fileUri(file));
    thumb.setText(QStringLiteral("Thumb::MTime"), QString::number(mtime));
    const QString path = cache + "/thumbnails/" + folder + "/" + thumbs::cacheFileName(file);
    QDir().mkpath(QFileInfo(path).absolutePath());
    EXPECT_TRUE(thumb.save(path, "PNG"));
    return path;
}

qint64 mtimeOf(const QString& path) { return QFileInfo(path).lastModified().toSecsSinceEpoch(); }

QColor centreOf(const QImage& image) { return image.pixelColor(image.width() / 2, image.height() / 2); }

TEST(Thumbnails, FittedSizeKeepsTheLongerSideAndRefusesEmptySources)
{
    EXPECT_EQ(thumbs::fittedSize(QSizeF(50, 100), 100), QSizeF(50, 100));
    EXPECT_EQ(thumbs::fittedSize(QSizeF(400, 100), 100), QSizeF(100, 25));
    EXPECT_EQ(thumbs::fittedSize(QSizeF(10, 10), 64), QSizeF(64, 64)) << "small sources are fitted up";
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const QSizeF source : {QSizeF(0, 100), QSizeF(100, 0), QSizeF(nan, 10), QSizeF(-5, 10)})
        EXPECT_TRUE(thumbs::fittedSize(source, 100).isEmpty()) << source.width() << "x" << source.height();
    EXPECT_TRUE(thumbs::fittedSize(QSizeF(10, 10), 0).isEmpty());
    EXPECT_TRUE(thumbs::fittedSize(QSizeF(10, 10), nan).isEmpty());
}

TEST(Thumbnails, TheCacheNameIsTheMd5OfTheFileUri)
{
    EXPECT_EQ(thumbs::cacheFileName(QStringLiteral("/home/jens/photos/me.png")),
              "c6ee772d9e49320e97ec29a7eb5b1697.png");
    EXPECT_EQ(thumbs::fileUri(QStringLiteral("/tmp/a b#.png")), "file:///tmp/a%20b%23.png");
}

TEST(Thumbnails, TheSmallestCacheSizeAtLeastSIsTakenOnlyWhenItsMTimeMatches)
{
    const QString root = tempFolder("thumbs");
    const QString cache = root + "/cache";
    const QString file = writeImage(root + "/photo.png", QSize(800, 400), Qt::blue);
    const qint64 mtime = mtimeOf(file);
    writeThumbnail(cache, "normal", file, 128, Qt::red, mtime);
    writeThumbnail(cache, "large", file, 256, Qt::green, mtime);

    QImage at100 = thumbs::cachedThumbnail(cache, file, 100);
    ASSERT_FALSE(at100.isNull());
    EXPECT_EQ(centreOf(at100), QColor(Qt::red)) << "128 is the smallest at least 100";
    EXPECT_EQ(at100.size(), QSize(100, 50)) << "decoded at the fitted size";
    EXPECT_EQ(centreOf(thumbs::cachedThumbnail(cache, file, 200)), QColor(Qt::green));
    EXPECT_TRUE(thumbs::cachedThumbnail(cache, file, 2000).isNull()) << "beyond the largest folder";

    // A thumbnail of the file as it was, or of another file, is not its picture.
    writeThumbnail(cache, "normal", file, 128, Qt::red, mtime - 10);
    EXPECT_EQ(centreOf(thumbs::cachedThumbnail(cache, file, 100)), QColor(Qt::green)) << "the next size that matches";
    writeThumbnail(cache, "large", file, 256, Qt::green, mtime + 1);
    EXPECT_TRUE(thumbs::cachedThumbnail(cache, file, 100).isNull());
    // Then the file itself is decoded.
    const thumbs::Result r = thumbs::load(Request{Request::Kind::File, file, 100, {}}, cache);
    EXPECT_EQ(centreOf(r.image), QColor(Qt::blue));
    EXPECT_EQ(r.image.size(), QSize(100, 50));
    EXPECT_EQ(QDir(cache + "/thumbnails/normal").entryList(QDir::Files).size(), 1) << "the cache is never written";
}

TEST(Thumbnails, ATruncatedCacheFileFallsBackToTheFile)
{
    const QString root = tempFolder("thumbs");
    const QString cache = root + "/cache";
    const QString file = writeImage(root + "/photo.png", QSize(300, 300), Qt::blue);
    const QString thumb = writeThumbnail(cache, "normal", file, 128, Qt::red, mtimeOf(file));
    QFile f(thumb);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.resize(f.size() - 40));
    f.close();
    const thumbs::Result r = thumbs::load(Request{Request::Kind::File, file, 64, {}}, cache);
    ASSERT_FALSE(r.image.isNull());
    EXPECT_EQ(centreOf(r.image), QColor(Qt::blue));
}

QString writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size()) << path.toStdString();
    return path;
}

TEST(Thumbnails, WithoutAPictureAFileTellsTheTypeItsBytesSay)
{
    const QString root = tempFolder("kinds");
    const auto typeOf = [&](const QString& path) {
        const thumbs::Result r = thumbs::load(Request{Request::Kind::File, path, 64, {}}, QString());
        EXPECT_TRUE(r.image.isNull()) << path.toStdString();
        return r.fileType.toStdString();
    };
    EXPECT_EQ(typeOf(writeBytes(root + "/Notes", "plain words, no extension\n")), "text/plain");
    EXPECT_EQ(typeOf(writeBytes(root + "/run", "#!/bin/sh\necho hi\n")), "application/x-shellscript");
    EXPECT_EQ(typeOf(writeBytes(root + "/broken.png", "no picture at all")), "image/png") << "a damaged picture";
    ASSERT_TRUE(QDir(root).mkdir("Projects"));
    EXPECT_EQ(typeOf(root + "/Projects"), "inode/directory");
    EXPECT_EQ(typeOf(root + "/gone"), "") << "no file, no type";
    EXPECT_EQ(typeOf(writeBytes(root + "/news.webloc", "<?xml version=\"1.0\"?><plist/>")), "webloc")
        << "a web location by its name: its bytes are any XML's";
    // The same file asked again once it was written over as a program: its new type, not the one
    // kept for the lists.
    EXPECT_EQ(thumbs::typeOfFile(root + "/run"), "application/x-shellscript");
    QByteArray elf("\x7f" "ELF\x02\x01\x01", 7);
    elf += QByteArray(9, '\0') + QByteArray("\x02\x00\x3e\x00", 4) + QByteArray(48, '\0');
    writeBytes(root + "/run", elf);
    EXPECT_EQ(thumbs::typeOfFile(root + "/run"), "application/x-executable");
    ASSERT_EQ(::mkfifo(QFile::encodeName(root + "/pipe").constData(), 0600), 0);
    // Told by its kind alone: opening it would wait for a writer that never comes.
    EXPECT_EQ(typeOf(root + "/pipe"), "inode/fifo") << "a pipe is never opened";
    const thumbs::Result picture =
        thumbs::load(Request{Request::Kind::File, writeImage(root + "/sea.png", QSize(8, 8), Qt::blue), 64, {}}, QString());
    EXPECT_FALSE(picture.image.isNull());
    EXPECT_TRUE(picture.fileType.isEmpty()) << "a picture needs no type icon";
}

TEST(Thumbnails, ALauncherShowsTheIconItsEntryNames)
{
    const QString root = tempFolder("launchers");
    const QString red = writeImage(root + "/red.png", QSize(32, 32), Qt::red);
    EXPECT_EQ(thumbs::launcherIcon(writeBytes(root + "/a.desktop", "# Icon=no\n[Desktop Action x]\nIcon=other\n"
                                                                   "[Desktop Entry]\nIconName=not-it\nIcon = editor \n")),
              "editor");
    EXPECT_EQ(thumbs::launcherIcon(writeBytes(root + "/b.desktop", "[Desktop Entry]\nName=No icon\n")), "");
    EXPECT_EQ(thumbs::launcherIcon(root + "/gone.desktop"), "");

    const thumbs::Result named = thumbs::load(Request{Request::Kind::File, root + "/a.desktop", 64, {}}, QString());
    EXPECT_TRUE(named.image.isNull());
    EXPECT_EQ(named.iconName, "editor");
    EXPECT_EQ(named.fileType, "application/x-desktop") << "for the launcher type's icon when the theme has none";
    const thumbs::Result drawn = thumbs::load(
        Request{Request::Kind::File, writeBytes(root + "/c.desktop", "[Desktop Entry]\nIcon=" + red.toUtf8() + "\n"), 64, {}},
        QString());
    ASSERT_FALSE(drawn.image.isNull()) << "a picture file named is drawn";
    EXPECT_EQ(centreOf(drawn.image), QColor(Qt::red));
    // A pipe named as the icon is never opened.
    ASSERT_EQ(::mkfifo(QFile::encodeName(root + "/pipe").constData(), 0600), 0);
    const thumbs::Result piped = thumbs::load(
        Request{Request::Kind::File, writeBytes(root + "/d.desktop", "[Desktop Entry]\nIcon=" + (root + "/pipe").toUtf8() + "\n"), 64, {}},
        QString());
    EXPECT_TRUE(piped.image.isNull());
    EXPECT_EQ(piped.fileType, "application/x-desktop");
}

TEST(Thumbnails, ADrawingIsDrawnAtTheSizeItIsShownAtAndABrokenOneGivesItsType)
{
    const QString root = tempFolder("drawings");
    // 10 by 10, red with a green middle: drawn at 200, not enlarged from 10 pixels.
    const QString svg = writeBytes(root + "/dot.svg", "<svg xmlns='http://www.w3.org/2000/svg' width='10' height='10'>"
                                                      "<rect width='10' height='10' fill='#ff0000'/>"
                                                      "<rect x='4' y='4' width='2' height='2' fill='#00ff00'/></svg>");
    const thumbs::Result drawn = thumbs::load(Request{Request::Kind::File, svg, 200, {}}, QString());
    ASSERT_EQ(drawn.image.size(), QSize(200, 200));
    EXPECT_EQ(centreOf(drawn.image), QColor(0, 255, 0));
    EXPECT_EQ(drawn.image.pixelColor(50, 50), QColor(255, 0, 0));
    EXPECT_EQ(drawn.image.pixelColor(78, 100), QColor(255, 0, 0)) << "the middle's edge stays sharp";
    EXPECT_FLOAT_EQ(drawn.ratio, 1.0f);

    const QString broken = writeBytes(root + "/broken.svg", "<svg xmlns='http://www.w3.org/2000/svg' width='10'><rect");
    const thumbs::Result r = thumbs::load(Request{Request::Kind::File, broken, 64, {}}, QString());
    EXPECT_TRUE(r.image.isNull());
    EXPECT_EQ(r.fileType, "image/svg+xml") << "for the picture type's icon";
}

TEST(Thumbnails, APdfShowsItsFirstPageAtTheFittedSize)
{
    const QString path = tempFolder("pdf") + "/page.pdf";
    {
        QPdfWriter writer(path);
        writer.setPageSize(QPageSize(QPageSize::A4));
        QPainter p(&writer);
        p.fillRect(QRect(0, 0, writer.width(), writer.height()), Qt::red);
    }
    const QImage page = thumbs::renderedImage(path, 128);
    ASSERT_FALSE(page.isNull());
    EXPECT_EQ(page.height(), 128);
    EXPECT_NEAR(page.width(), 128 / std::sqrt(2.0), 1.5) << "A4 is taller than wide";
    EXPECT_EQ(centreOf(page).red(), 255);
    EXPECT_TRUE(thumbs::renderedImage(tempFolder("pdf") + "/none.pdf", 128).isNull());
    writeFile(tempFolder("pdf") + "/junk.pdf", "%PDF-1.4 not really");
    EXPECT_TRUE(thumbs::renderedImage(tempFolder("pdf") + "/junk.pdf", 128).isNull());
}

TEST(Thumbnails, AHugeImageIsRefusedFromItsHeader)
{
    const QString path = writeFile(tempFolder("huge") + "/huge.png", pngAnnouncing(60000, 60000));
    QImageReader probe(path);
    ASSERT_EQ(probe.size(), QSize(60000, 60000)) << "the header is a valid one";
    QElapsedTimer t;
    t.start();
    EXPECT_TRUE(thumbs::renderedImage(path, 128).isNull());
    EXPECT_TRUE(thumbs::load(Request{Request::Kind::File, path, 128, {}}, QString()).image.isNull());
    EXPECT_LT(t.elapsed(), 1000) << "refused before any decoding";
}

TEST(Thumbnails, ANamedPipeIsNeverOpened)
{
    const QString pipe = tempFolder("pipe") + "/picture.png";
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    // Opened, it would wait for a writer for ever.
    for (const Request::Kind kind : {Request::Kind::File, Request::Kind::IconSheet, Request::Kind::Square,
                                     Request::Kind::DeskImage})
        EXPECT_TRUE(thumbs::load(Request{kind, pipe, 64, {}}, QString()).image.isNull());

    // Nor one where the desktop's cache keeps the picture of a plain file: the file is read.
    const QString cache = tempFolder("pipe-cache");
    const QString file = writeImage(tempFolder("pipe-file") + "/plain.png", QSize(40, 40), Qt::blue);
    const QString cached = cache + "/thumbnails/normal/" + thumbs::cacheFileName(file);
    QDir().mkpath(QFileInfo(cached).absolutePath());
    ASSERT_EQ(::mkfifo(QFile::encodeName(cached).constData(), 0600), 0);
    auto read = std::async(std::launch::async, [&] { return thumbs::load(Request{Request::Kind::File, file, 64, {}}, cache); });
    if (read.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        ADD_FAILURE() << "the cache's named pipe was opened";
        // A writer that comes and goes lets the waiting reader end.
        const int fd = ::open(QFile::encodeName(cached).constData(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
    }
    EXPECT_EQ(centreOf(read.get().image), QColor(Qt::blue));
}

TEST(Thumbnails, PicturesInHandAndDeskImagesTakeTheirOwnShapes)
{
    QImage tall(50, 100, QImage::Format_RGB32);
    tall.fill(Qt::green);
    EXPECT_EQ(thumbs::load(Request{Request::Kind::Picture, {}, 100, tall}, {}).image.size(), QSize(50, 100));
    EXPECT_TRUE(thumbs::load(Request{Request::Kind::Picture, {}, 100, QImage()}, {}).image.isNull());
    // A desk image is S wide, whatever its height.
    const QString desk = writeImage(tempFolder("desk") + "/desk.png", QSize(400, 100), Qt::gray);
    EXPECT_EQ(thumbs::load(Request{Request::Kind::DeskImage, desk, 100, {}}, {}).image.size(), QSize(100, 25));
    // A web page in an S by S square; the sheet of the icon option too.
    const QString page = writeImage(tempFolder("web") + "/page.png", QSize(300, 600), Qt::gray);
    EXPECT_EQ(thumbs::load(Request{Request::Kind::Square, page, 80, {}}, {}).image.size(), QSize(80, 80));
    const QImage sheet = thumbs::load(Request{Request::Kind::IconSheet, page, 80, {}}, {}).image;
    ASSERT_EQ(sheet.size(), QSize(80, 80));
    EXPECT_EQ(sheet.pixelColor(40, 2), QColor(Qt::white)) << "the sheet's paper above the picture";
    EXPECT_EQ(sheet.pixelColor(1, 40).alpha(), 0) << "beside the sheet";
}

TEST(Thumbnails, PalettePicturesKeepTheirColoursWhenScaled)
{
    // A one-colour picture as image tools write it: one bit a pixel and a palette.
    for (const QImage::Format format : {QImage::Format_Mono, QImage::Format_Indexed8}) {
        QImage flat(300, 200, format);
        flat.setColorCount(2);
        flat.setColor(0, qRgb(30, 80, 220));
        flat.setColor(1, qRgb(30, 80, 220));
        flat.fill(0);
        const QString path = tempFolder("palette") + QStringLiteral("/flat%1.png").arg(int(format));
        ASSERT_TRUE(flat.save(path, "PNG"));
        for (const double s : {64.0, 128.0, 400.0}) {
            const QImage shown = thumbs::renderedImage(path, s);
            ASSERT_FALSE(shown.isNull());
            for (const QPoint p : {QPoint(0, 0), QPoint(shown.width() / 2, shown.height() / 2),
                                   QPoint(shown.width() - 1, shown.height() - 1)})
                EXPECT_EQ(shown.pixelColor(p), QColor(30, 80, 220)) << "format " << format << " at S " << s;
        }
        // Pictures from outside (a contact's photo, a drop) go through the same reader.
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const std::optional<QImage> fitted = decodeImageBounded(file.readAll(), "png", QSize(60, 60));
        ASSERT_TRUE(fitted.has_value());
        EXPECT_EQ(fitted->size(), QSize(60, 40));
        EXPECT_EQ(fitted->pixelColor(30, 20), QColor(30, 80, 220)) << "format " << format;
    }
}

TEST(Thumbnails, ThePoolDeliversOnTheMainThreadAndNothingOnceGone)
{
    const QString file = writeImage(tempFolder("pool") + "/a.png", QSize(40, 20), Qt::red);
    QThreadPool threads;
    auto pool = std::make_unique<thumbs::ThumbnailPool>(&threads, tempFolder("cache"));
    QImage got;
    bool onMain = false;
    pool->request(Request{Request::Kind::File, file, 20, {}}, [&](thumbs::Result r) {
        got = r.image;
        onMain = QThread::currentThread() == QCoreApplication::instance()->thread();
    });
    pool->waitForDone();
    EXPECT_TRUE(got.isNull()) << "never inside the request";
    QCoreApplication::processEvents();
    EXPECT_TRUE(onMain);
    EXPECT_EQ(got.size(), QSize(20, 10));

    int late = 0;
    pool->request(Request{Request::Kind::File, file, 20, {}}, [&](thumbs::Result) { ++late; });
    pool.reset();
    QCoreApplication::processEvents();
    EXPECT_EQ(late, 0);
}

} // namespace
} // namespace tallomer::test
