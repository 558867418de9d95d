// What an Object shows in the running program: a picture file's own picture (or the desktop's
// cached thumbnail of it, when that is the file's as it is now), the not-found mark of a file that
// went away, and a title edited in place with a click, typing and Return.

#include "tests/e2e/E2EFixture.h"

#include "app/menu/KELMainMenu.h"
#include "front/ZEVFrontViewer.h"
#include "widgets/ZEVButton.h"
#include "desk/model/ZEVItemOptions.h"
#include "objects/view/ZEVItemView.h"

#include <QDateTime>
#include <QGraphicsView>
#include <QImage>
#include <QLineEdit>
#include <QMimeData>
#include <QUrl>
#include <QTest>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace e2e {
namespace {

class ObjectPictures : public E2E {
protected:
    QString writePng(const QString& name, QSize size, QColor colour)
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(colour);
        const QString path = home + "/" + name;
        EXPECT_TRUE(image.save(path, "PNG"));
        return path;
    }
    // The desktop's thumbnail of `file`, in every size folder of the cache.
    void cacheThumbnail(const QString& file, QColor colour, qint64 mtime)
    {
        QImage thumb(128, 128, QImage::Format_RGB32);
        thumb.fill(colour);
        thumb.setText(QStringLiteral("Thumb::URI"), thumbs::fileUri(file));
        thumb.setText(QStringLiteral("Thumb::MTime"), QString::number(mtime));
        for (const thumbs::CacheFolder& f : thumbs::kCacheFolders) {
            const QString dir = home + "/.cache/thumbnails/" + f.name;
            QDir().mkpath(dir);
            EXPECT_TRUE(thumb.save(dir + "/" + thumbs::cacheFileName(file), "PNG"));
        }
    }
    std::vector<ZEVItemView*> place(const QStringList& paths)
    {
        addFiles(paths, 1.5); // placed, typed, and the picture asked 0.4 s later
        pump();
        std::vector<ZEVItemView*> views;
        for (const QString& p : paths)
            views.push_back(viewTitled(QFileInfo(p).fileName()));
        return views;
    }
    static QColor centre(const ZEVItemView* v)
    {
        const QImage& i = v->itemImageView()->image();
        return i.isNull() ? QColor() : i.pixelColor(i.width() / 2, i.height() / 2);
    }
    long long base(KELI* item)
    {
        const Rows r = sql(database(), "SELECT BASE FROM ZEVLETS WHERE ZEVLET_ID = " + std::to_string(item->idInt()));
        return r.empty() ? -1 : std::stoll(r.at(0, 0));
    }
};

TEST_F(ObjectPictures, APictureFileShowsItselfOrItsCurrentThumbnailAndAMissingFileIsMarked)
{
    start();
    const QString own = writePng("sea.png", QSize(300, 150), Qt::blue);
    const QString cached = writePng("cached.png", QSize(300, 300), Qt::blue);
    const QString stale = writePng("stale.png", QSize(300, 300), Qt::blue);
    cacheThumbnail(cached, Qt::red, QFileInfo(cached).lastModified().toSecsSinceEpoch());
    cacheThumbnail(stale, Qt::green, QFileInfo(stale).lastModified().toSecsSinceEpoch() - 60);

    const auto views = place({own, cached, stale});
    ASSERT_EQ(views.size(), 3u);
    for (ZEVItemView* v : views)
        ASSERT_NE(v, nullptr);
    EXPECT_EQ(centre(views[0]), QColor(Qt::blue)) << "its own picture, not the type's icon";
    EXPECT_FLOAT_EQ(views[0]->imageSizeRatio(), 0.5f);
    EXPECT_NEAR(views[0]->imageFrame().height(), views[0]->imageFrame().width() / 2, 1) << "shaped like it";
    EXPECT_EQ(centre(views[1]), QColor(Qt::red)) << "the desktop's thumbnail of the file as it is";
    EXPECT_EQ(centre(views[2]), QColor(Qt::blue)) << "a thumbnail of an older file is not used";
    EXPECT_EQ(views[0]->stickerName(), "");

    // The file goes; a click on its selected icon looks again.
    KELI* item = views[0]->item();
    ASSERT_TRUE(QFile::remove(own));
    const QPoint icon = onScreen(views[0]->itemImageView()->sceneBoundingRect());
    QTest::mouseClick(canvas(), Qt::LeftButton, {}, icon);
    advance(1);
    QTest::mouseClick(canvas(), Qt::LeftButton, {}, icon);
    advance(1);
    pump();
    EXPECT_EQ(views[0]->stickerName(), "ZEVItemStickerNotFound");
    EXPECT_EQ(base(item) & 0x4, 0x4) << "not found, in the store";
    EXPECT_NE(viewTitled("sea.png"), nullptr) << "the Object stays";

    // It comes back: the mark goes.
    writePng("sea.png", QSize(300, 150), Qt::blue);
    QTest::mouseClick(canvas(), Qt::LeftButton, {}, icon);
    advance(1);
    pump();
    EXPECT_EQ(base(item) & 0x4, 0);
    EXPECT_EQ(views[0]->stickerName(), "");
}

TEST_F(ObjectPictures, AnSvgDroppedOnTheDeskShowsItsDrawingAndABrokenOneThePictureIcon)
{
    start();
    // Red, with a green disc in the middle.
    const QString drawing = home + "/badge.svg";
    writeFile(drawing, "<svg xmlns='http://www.w3.org/2000/svg' width='100' height='100' viewBox='0 0 100 100'>"
                       "<rect width='100' height='100' fill='#e02020'/><circle cx='50' cy='50' r='30' fill='#20c020'/></svg>");
    const QString broken = writeFile(home + "/broken.svg", "<svg xmlns='http://www.w3.org/2000/svg' width='100'><rect fill='red'");
    const QString png = writePng("plain.png", QSize(40, 40), Qt::blue);
    int x = 150;
    for (const QString& path : {drawing, broken, png}) {
        QMimeData dropped;
        dropped.setUrls({QUrl::fromLocalFile(path)});
        dropOnCanvas(dropped, QPoint(x += 200, 300));
    }
    advance(1.5);
    pump();
    ZEVItemView* badge = viewTitled("badge.svg");
    ZEVItemView* bad = viewTitled("broken.svg");
    ZEVItemView* plain = viewTitled("plain.png");
    ASSERT_TRUE(badge && bad && plain) << "the three dropped files are on the desk";

    const QImage shot = canvas()->grab().toImage();
    const QRectF frame = badge->itemImageView()->sceneBoundingRect();
    const QColor middle = shot.pixelColor(onScreen(frame));
    EXPECT_NEAR(middle.red(), 0x20, 12);
    EXPECT_NEAR(middle.green(), 0xc0, 12);
    const QColor corner = shot.pixelColor(onScreen(QRectF(frame.topLeft() + QPointF(3, 3), QSizeF(2, 2))));
    EXPECT_NEAR(corner.red(), 0xe0, 12) << "the drawing, not the picture type's icon";
    EXPECT_NEAR(corner.green(), 0x20, 12);
    EXPECT_EQ(badge->stickerName(), "");

    // The damaged one wears the icon of its type, as a damaged PNG would, and the program goes on.
    const QImage icon = bad->itemImageView()->image();
    ASSERT_FALSE(icon.isNull());
    EXPECT_GT(differingShare(icon, badge->itemImageView()->image().scaled(icon.size())), 0.3);
    const QColor badMiddle = shot.pixelColor(onScreen(bad->itemImageView()->sceneBoundingRect()));
    EXPECT_FALSE(std::abs(badMiddle.red() - 0xe0) < 12 && std::abs(badMiddle.green() - 0x20) < 12);
    EXPECT_NE(viewTitled("plain.png"), nullptr);
}

TEST_F(ObjectPictures, AGifIsMarkedAsOneAndMovesOnlyWhileAnimated)
{
    start();
    // Two frames of 4 by 2, red then blue.
    const QByteArray gif = QByteArray::fromHex(
        "47494638396104000200f00000ff000000000021f904000000000021ff0b4e45545343415045322e30030100"
        "00002c0000000004000200000203846f050021f90400000000002c0000000004000200800000ff0000000203"
        "846f05003b");
    QFile f(home + "/spin.gif");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(gif) == gif.size());
    f.close();
    const auto views = place({f.fileName()});
    ASSERT_EQ(views.size(), 1u);
    ZEVItemView* v = views[0];
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(base(v->item()) & 0x400, 0x400) << "known as a GIF, in the store";
    EXPECT_EQ(v->movie(), nullptr) << "still, without the Animate option";
    addItemOption(v->item(), ZEVOPTION_ANIMATE);
    v->updateImage();
    pump();
    ASSERT_NE(v->movie(), nullptr);
    EXPECT_FALSE(v->itemImageView()->image().isNull());
    clearItemOption(v->item(), ZEVOPTION_ANIMATE);
    v->updateImage();
    EXPECT_EQ(v->movie(), nullptr);
    EXPECT_EQ(base(v->item()) & 0x400, 0x400) << "and stays one";
}

TEST_F(ObjectPictures, NamedPipesWhereAPictureIsReadAreNeverOpened)
{
    start();
    // A named pipe named as a GIF, and a plain picture whose desktop thumbnail is a named pipe.
    const QString stream = home + "/stream.gif";
    ASSERT_EQ(::mkfifo(QFile::encodeName(stream).constData(), 0600), 0);
    const QString plain = writePng("plain.png", QSize(40, 40), Qt::blue);
    QStringList pipes{stream};
    for (const thumbs::CacheFolder& f : thumbs::kCacheFolders) {
        const QString dir = home + "/.cache/thumbnails/" + f.name;
        QDir().mkpath(dir);
        pipes << dir + "/" + thumbs::cacheFileName(plain);
        ASSERT_EQ(::mkfifo(QFile::encodeName(pipes.last()).constData(), 0600), 0);
    }
    // Opened, a pipe holds its reader until a writer comes: one comes after 10 s, and the test fails.
    std::mutex m;
    std::condition_variable cv;
    bool done = false;
    std::atomic<bool> rescued{false};
    std::thread watchdog([&] {
        std::unique_lock<std::mutex> lock(m);
        if (cv.wait_for(lock, std::chrono::seconds(10), [&] { return done; }))
            return;
        while (!cv.wait_for(lock, std::chrono::milliseconds(20), [&] { return done; }))
            for (const QString& pipe : pipes)
                if (const int fd = ::open(QFile::encodeName(pipe).constData(), O_WRONLY | O_NONBLOCK); fd >= 0) {
                    rescued = true;
                    ::close(fd);
                }
    });
    const auto views = place({stream, plain});
    ASSERT_TRUE(views.size() == 2 && views[0] && views[1]);
    space()->selections().selectIconForItemSet({views[0]->item()}, nullptr);
    pump();
    key(Qt::Key_R); // Object ▸ Animate
    pump();
    {
        const std::lock_guard<std::mutex> lock(m);
        done = true;
    }
    cv.notify_all();
    watchdog.join();
    EXPECT_FALSE(rescued) << "a named pipe was opened";
    EXPECT_NE(base(views[0]->item()) & ZEVOPTION_ANIMATE, 0) << "the Animate option is set";
    EXPECT_EQ(views[0]->movie(), nullptr);
    EXPECT_EQ(centre(views[1]), QColor(Qt::blue)) << "the file itself is read";
}

TEST_F(ObjectPictures, ATitleClickedTypedAndReturnedIsStored)
{
    start();
    const auto views = place({writePng("draft.png", QSize(40, 40), Qt::gray)});
    ASSERT_EQ(views.size(), 1u);
    ZEVItemView* v = views[0];
    ASSERT_NE(v, nullptr);
    ASSERT_TRUE(v->titleView()->isVisible());
    // In Icons mode a click on a title is the desk's.
    const QPoint titleAt = onScreen(v->titleView()->sceneBoundingRect());
    QTest::mouseClick(canvas(), Qt::LeftButton, {}, titleAt);
    pump();
    EXPECT_EQ(v->titleEditor(), nullptr);
    // In Titles mode, a click on the icon selects its title, and a click on the selected title edits it.
    auto* front = dynamic_cast<ZEVFrontViewer*>(space()->frontViewer());
    ASSERT_NE(front, nullptr);
    // A long press on the Titles button switches to it.
    QWidget* titles = front->modeButton(ZEVFrontModeTitles);
    ASSERT_NE(titles, nullptr);
    QTest::mousePress(titles, Qt::LeftButton, {}, titles->rect().center());
    advance(0.3);
    QTest::mouseRelease(titles, Qt::LeftButton, {}, titles->rect().center());
    pump();
    advance(1);
    ASSERT_EQ(space()->frontViewer()->frontMode(), ZEVFrontModeTitles);
    QTest::mouseClick(canvas(), Qt::LeftButton, {}, onScreen(v->itemImageView()->sceneBoundingRect()));
    advance(1);
    ASSERT_TRUE(space()->selections().isTitleSelectedForItem(v->item()));
    QTest::mouseClick(canvas(), Qt::LeftButton, {}, titleAt);
    pump();
    QLineEdit* editor = v->titleEditor();
    ASSERT_NE(editor, nullptr) << "a click on the selected title edits it";
    EXPECT_EQ(editor->text(), "draft.png");
    EXPECT_TRUE(space()->selections().isTitleEditedForItem(v->item()));
    QTest::keyClicks(editor, QStringLiteral("Final plan"));
    QTest::keyClick(editor, Qt::Key_Return);
    advance(1);
    pump();
    EXPECT_EQ(v->titleEditor(), nullptr);
    EXPECT_FALSE(space()->selections().isTitleEditedForItem(v->item()));
    const Rows title = sql(database(), "SELECT w.WORD FROM ZEVLETS n JOIN WORD w ON w.ZEVLET_ID = n.CHILD_ZEVLET "
                                       "WHERE n.PARENT_ZEVLET = " + std::to_string(v->item()->idInt()) +
                                           " AND n.RELATION = 1000217 ORDER BY n.DATE_IN DESC, n.ZEVLET_ID DESC");
    ASSERT_FALSE(title.empty());
    EXPECT_EQ(title.at(0, 0), "Final plan");
    EXPECT_EQ(viewTitled("Final plan"), v) << "and shown";

    // Escape puts the title back and stores nothing.
    QTest::mouseClick(canvas(), Qt::LeftButton, {}, onScreen(v->titleView()->sceneBoundingRect()));
    pump();
    ASSERT_NE(v->titleEditor(), nullptr);
    QTest::keyClicks(v->titleEditor(), QStringLiteral("Oops"));
    QTest::keyClick(v->titleEditor(), Qt::Key_Escape);
    advance(1);
    EXPECT_EQ(v->itemTitle(), "Final plan");
    const Rows after = sql(database(), "SELECT COUNT(*) FROM ZEVLETS n JOIN WORD w ON w.ZEVLET_ID = n.CHILD_ZEVLET "
                                       "WHERE n.PARENT_ZEVLET = " + std::to_string(v->item()->idInt()) +
                                           " AND n.RELATION = 1000217 AND w.WORD = 'Oops'");
    EXPECT_EQ(after.at(0, 0), "0");

    // Object > Edit Title edits the selected title too.
    chooseMenuItemTitled(KELMainMenu::kMenuObject, QStringLiteral("Edit Title"));
    pump();
    ASSERT_NE(v->titleEditor(), nullptr) << "the menu's Edit Title";
    QTest::keyClick(v->titleEditor(), Qt::Key_Escape);
    EXPECT_EQ(v->titleEditor(), nullptr);
}

} // namespace
} // namespace e2e
