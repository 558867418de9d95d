// Record writes that fail while the program runs, as with a store made read-only: what the user
// pasted leaves no Object behind (neither its links nor an icon), the user is told once, and the
// same paste works once the store can be written again. A link base too full for an act keeps none
// of it, and the Object the act made is neither shown nor stored later on its own. A picture whose
// folder cannot be made is told. Preferences that cannot be written at the quit are told of, and
// their file keeps what it held.

#include "tests/e2e/E2EFixture.h"
#include "tests/e2e/FullLinkBase.h"
#include "tests/support/LocalHttpServer.h"
#include "tests/support/RefusedFolder.h"

#include "desk/data/ZEVItemData.h"
#include "desk/viewer/ZEVDeskViewer.h"
#include "engine/KELICurseur.h"
#include "engine/KELServeurDeLiens.h"
#include "engine/store/KELChercheurDe.h"
#include "platform/files/RecordFile.h"
#include "platform/pasteboard/BoundedImage.h"
#include "space/ZEVConstants.h"

#include <QClipboard>
#include <QCursor>
#include <QGuiApplication>
#include <QMimeData>

namespace e2e {
namespace {

class StoreWrites : public E2E {
protected:
    QString writeFile(const QString& path, const QByteArray& bytes)
    {
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
    QString records() const { return storeFolder() + "/local/zevData/2000018"; }
    // The links that make an Object and show it: the Object, its title, type and icon words, its
    // icons on desks.
    std::string objectLinkCount() const
    {
        return sql(database(), "SELECT COUNT(*) FROM ZEVLETS WHERE RELATION IN (1000050, 1000212, 1000217, 1000222, "
                               "1000152)").at(0, 0);
    }
    void paste(const QString& path)
    {
        auto data = std::make_unique<QMimeData>();
        data->setUrls({QUrl::fromLocalFile(path)});
        QGuiApplication::clipboard()->setMimeData(data.release());
        QCursor::setPos(canvas()->mapToGlobal(QPoint(300, 300)));
        key(Qt::Key_V, Qt::ControlModifier);
        advance(1.0);
    }
};

TEST_F(StoreWrites, APastedFileWhoseRecordCannotBeWrittenLeavesNoObjectAndThePasteWorksLater)
{
    start();
    alerts.clear();
    ASSERT_TRUE(QFileInfo(records()).isDir());
    const QString letter = writeFile(home + "/letter.txt", "dear");
    const std::string before = objectLinkCount();
    {
        tallomer::test::RefusedFolder refused(records());
        ASSERT_TRUE(refused.ok());
        paste(letter);
        EXPECT_EQ(objectLinkCount(), before) << "the act's links were kept without its record";
        EXPECT_TRUE(liveObjectsTitled("letter.txt").empty());
        EXPECT_EQ(viewTitled(QStringLiteral("letter.txt")), nullptr);
        ASSERT_EQ(alerts.size(), 1u);
        EXPECT_EQ(alerts[0].message, QStringLiteral("Your changes could not be saved."));
        // Again while the store still refuses: still nothing, and this paste is told as well.
        paste(letter);
        EXPECT_EQ(objectLinkCount(), before);
        ASSERT_EQ(alerts.size(), 2u) << "the second failed paste went untold";
        EXPECT_EQ(alerts[1].message, QStringLiteral("Your changes could not be saved."));
    }
    EXPECT_TRUE(QFile::exists(letter)) << "the user's file is never touched";

    // Writable again: the same paste makes the Object, its record finds the file.
    paste(letter);
    const Rows placed = placedObjectsOfType("file");
    ASSERT_EQ(placed.size(), 1u);
    EXPECT_EQ(placed.at(0, 1), "letter.txt");
    const RecordRead record = readRecordFile(records() + "/" + q(placed.at(0, 0)) + ".file");
    ASSERT_TRUE(record) << record.error.toStdString();
    EXPECT_EQ(recordString(*record.fields, QStringLiteral("path")), letter);
    KELI* item = KELServeurDeLiens::LienForInt(std::stoull(placed.at(0, 0)), space()->nowCurseur());
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(ZEVItemData::Current().fileUrlForItem(item), letter);
    EXPECT_NE(viewTitled(QStringLiteral("letter.txt")), nullptr);
    EXPECT_EQ(alerts.size(), 2u) << "a paste that was stored is told as failed";
}

// A link base that meets a full disk in the middle of an act: SQLite rolls the act back at the
// failing statement, and nothing of the act after it may then be stored on its own (the new
// Object's words and the links that give it its title, type and icon).
TEST_F(StoreWrites, AnActCutShortByAFullLinkBaseStoresNoneOfItsLaterStatements)
{
    start();
    alerts.clear();
    const QString letter = writeFile(home + "/letter.txt", "dear");
    const auto count = [this](const std::string& what) { return sql(database(), "SELECT COUNT(*) FROM " + what).at(0, 0); };
    const std::string attributes = "ZEVLETS WHERE RELATION IN (1000212, 1000217, 1000222)";
    const std::string before[] = {count(attributes), count("WORD"), count("NUMBER")};
    // The file can grow by no page: the act's first new page fails, as on a full disk.
    Sqlite& db = KELChercheurDe::ZevDataBase();
    const auto pages = db.executeQuery("PRAGMA page_count;");
    ASSERT_TRUE(pages && pages->size() == 1);
    ASSERT_TRUE(db.executeNonQuery("PRAGMA max_page_count = " + std::to_string(pages->at(0).valueAt(0).toInt64()) + ";"));
    paste(letter);
    EXPECT_EQ(count(attributes), before[0]) << "the act's later links were stored without its first ones";
    EXPECT_EQ(count("WORD"), before[1]);
    EXPECT_EQ(count("NUMBER"), before[2]);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, QStringLiteral("Your changes could not be saved."));

    // With room again the link base takes the next act whole.
    ASSERT_TRUE(db.executeNonQuery("PRAGMA max_page_count = 1073741823;"));
    paste(writeFile(home + "/card.txt", "hello"));
    EXPECT_EQ(count("WORD WHERE WORD = 'card.txt'"), "1");
    EXPECT_EQ(count(attributes), std::to_string(std::stoi(before[0]) + 3));
}

// A file pasted when the disk has room for its Object but none for its icon: no Object is left
// on no desk, with a record no one sees.
TEST_F(StoreWrites, APastedFileWhoseIconFindsNoRoomLeavesNoObjectOnNoDesk)
{
    start();
    alerts.clear();
    const QString letter = writeFile(home + "/letter.txt", "dear");
    const QStringList records = QDir(this->records()).entryList(QDir::Files);
    {
        FullLinkBase full(KELRELATION_ICON_VIEWER);
        paste(letter);
    }
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, QStringLiteral("Your changes could not be saved."));
    EXPECT_TRUE(liveObjectsTitled("letter.txt").empty()) << "an Object on no desk";
    EXPECT_EQ(QDir(this->records()).entryList(QDir::Files), records) << "its record stayed";
    EXPECT_EQ(viewTitled(QStringLiteral("letter.txt")), nullptr);
    EXPECT_TRUE(space()->selections().selectedIconItems().empty());
}

// A full link base that undoes an act after its Object was made in memory (here at the web
// Object's long title): the Object is no Object at all. It gets no icon and no record, and no
// later write of its own stores it bare, without the title, type and icon that make it whole.
TEST_F(StoreWrites, AWebObjectWhoseActTheFullLinkBaseUndidIsNeitherShownNorStoredBare)
{
    start();
    alerts.clear();
    tallomer::test::LocalHttpServer server;
    server.route("/page", {"<html>page</html>", {{"Content-Type", "text/html"}}});
    const auto pasteBookmark = [&](const QString& title) {
        QByteArray moz;
        for (const QChar c : server.url("/page").toString() + "\n" + title)
            moz += char(c.unicode() & 0xFF), moz += char(c.unicode() >> 8);
        auto data = std::make_unique<QMimeData>();
        data->setData("text/x-moz-url", moz);
        QGuiApplication::clipboard()->setMimeData(data.release());
        QCursor::setPos(canvas()->mapToGlobal(QPoint(300, 300)));
        key(Qt::Key_V, Qt::ControlModifier);
        advance(1.0);
    };
    const auto objectRows = [this] {
        return sql(database(), "SELECT COUNT(*) FROM ZEVLETS WHERE RELATION = 1000050").at(0, 0);
    };
    const std::string objectsBefore = objectRows();
    const std::string linksBefore = objectLinkCount();
    const auto viewsBefore = desk(space()->nowCurseur())->itemViewSet().size();
    Sqlite& db = KELChercheurDe::ZevDataBase();
    const auto pages = db.executeQuery("PRAGMA page_count;");
    const auto pageSize = db.executeQuery("PRAGMA page_size;");
    ASSERT_TRUE(pages && pageSize);
    // Room for the act's small rows, none for a title of many pages.
    const std::int64_t room = pages->at(0).valueAt(0).toInt64() + 4;
    ASSERT_TRUE(db.executeNonQuery("PRAGMA max_page_count = " + std::to_string(room) + ";"));
    pasteBookmark(QString(int(64 * pageSize->at(0).valueAt(0).toInt64()), QLatin1Char('t')));
    advance(1.0);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, QStringLiteral("Your changes could not be saved."));
    EXPECT_EQ(objectRows(), objectsBefore) << "an Object was stored without its act";
    EXPECT_EQ(objectLinkCount(), linksBefore);
    EXPECT_EQ(desk(space()->nowCurseur())->itemViewSet().size(), viewsBefore);
    EXPECT_TRUE(QDir(records()).entryList({QStringLiteral("*.http")}, QDir::Files).isEmpty());

    // Room again: nothing of the lost Object is written by what follows, and a bookmark pasted
    // now is an Object with its title and icon.
    ASSERT_TRUE(db.executeNonQuery("PRAGMA max_page_count = 1073741823;"));
    advance(2.0);
    EXPECT_EQ(objectRows(), objectsBefore);
    pasteBookmark(QStringLiteral("Page of the day"));
    const Rows web = placedObjectsOfType("http");
    ASSERT_EQ(web.size(), 1u);
    EXPECT_EQ(web.at(0, 1), "Page of the day");
    EXPECT_EQ(desk(space()->nowCurseur())->itemViewSet().size(), viewsBefore + 1);
    EXPECT_EQ(alerts.size(), 1u);
}

// A picture pasted from another program is written into its Object's own folder inside the
// Channel's drop folder; when that folder cannot be made the paste is told, not silently dropped.
TEST_F(StoreWrites, APastedPictureWhoseFolderCannotBeMadeIsToldAndLeavesNoObject)
{
    start();
    alerts.clear();
    const QString drops = storeFolder() + "/local/zevDrop/2000018";
    ASSERT_TRUE(QFileInfo(drops).isDir());
    const auto pastePicture = [&] {
        QImage image(8, 8, QImage::Format_RGB32);
        image.fill(Qt::blue);
        auto data = std::make_unique<QMimeData>();
        data->setData("image/png", pngData(image));
        QGuiApplication::clipboard()->setMimeData(data.release());
        QCursor::setPos(canvas()->mapToGlobal(QPoint(300, 300)));
        key(Qt::Key_V, Qt::ControlModifier);
        advance(1.0);
    };
    const std::string before = objectLinkCount();
    const auto folders = [&] { return QDir(drops).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(); };
    const auto foldersBefore = folders();
    {
        tallomer::test::RefusedFolder refused(drops);
        ASSERT_TRUE(refused.ok());
        pastePicture();
        EXPECT_EQ(objectLinkCount(), before);
        ASSERT_EQ(alerts.size(), 1u) << "the paste did nothing without a word";
        EXPECT_EQ(alerts[0].message, QStringLiteral("Your changes could not be saved."));
        EXPECT_TRUE(alerts[0].informative.contains(drops)) << alerts[0].informative.toStdString();
    }

    pastePicture();
    ASSERT_EQ(placedObjectsOfType("file").size(), 1u);
    EXPECT_EQ(folders(), foldersBefore + 1);
    EXPECT_EQ(alerts.size(), 1u);
}

// A mail message is kept as its own file in the store; an Object whose message could not be
// written would open nothing, so none is made: the paste is told, and works once there is room.
TEST_F(StoreWrites, APastedMailMessageWhoseFileCannotBeWrittenIsToldAndLeavesNoObject)
{
    start();
    alerts.clear();
    const QString drops = storeFolder() + "/local/zevDrop/2000018";
    ASSERT_TRUE(QFileInfo(drops).isDir());
    const auto pasteMessage = [&] {
        auto data = std::make_unique<QMimeData>();
        data->setData("message/rfc822", "From: chef@example.org\r\nSubject: Lunch\r\n"
                                        "Message-ID: <lunch-2@example.org>\r\n\r\nSee you there.\r\n");
        QGuiApplication::clipboard()->setMimeData(data.release());
        QCursor::setPos(canvas()->mapToGlobal(QPoint(300, 300)));
        key(Qt::Key_V, Qt::ControlModifier);
        advance(1.0);
    };
    const std::string before = objectLinkCount();
    {
        tallomer::test::RefusedFolder refused(drops);
        ASSERT_TRUE(refused.ok());
        pasteMessage();
        EXPECT_EQ(objectLinkCount(), before);
        EXPECT_TRUE(placedObjectsOfType("message").empty());
        EXPECT_TRUE(QDir(records()).entryList({"*.message"}, QDir::Files).isEmpty());
        ASSERT_EQ(alerts.size(), 1u) << "the paste did nothing without a word";
        EXPECT_EQ(alerts[0].message, QStringLiteral("Your changes could not be saved."));
    }

    pasteMessage();
    const Rows messages = placedObjectsOfType("message");
    ASSERT_EQ(messages.size(), 1u);
    const RecordRead record = readRecordFile(records() + "/" + q(messages.at(0, 0)) + ".message");
    ASSERT_TRUE(record) << record.error.toStdString();
    EXPECT_TRUE(QFileInfo(recordString(*record.fields, "zevFilename")).isFile());
    EXPECT_EQ(alerts.size(), 1u);
}

TEST_F(StoreWrites, PreferencesThatCannotBeWrittenAtTheQuitAreToldOfAndTheirFileStaysWhole)
{
    const auto bytesOf = [](const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    const auto moveWindow = [this] {
        const QVariant before = values->values(QStringLiteral("ZEVSpaceWindow"));
        window()->move(window()->pos() + QPoint(37, 23));
        EXPECT_TRUE(advanceUntil([&] { return values->values(QStringLiteral("ZEVSpaceWindow")) != before; }, 0.1, 2.0))
            << "the window's place is a preference";
    };
    start();
    ASSERT_TRUE(defaults->sync());
    const QString file = defaults->fileName();
    const QByteArray before = bytesOf(file);
    ASSERT_FALSE(before.isEmpty());
    alerts.clear();
    {
        tallomer::test::RefusedFolder refused(QFileInfo(file).absolutePath());
        ASSERT_TRUE(refused.ok());
        moveWindow();
        quit();
        ASSERT_EQ(alerts.size(), 1u);
        EXPECT_EQ(alerts[0].message, QStringLiteral("Your preferences could not be saved."));
        EXPECT_TRUE(alerts[0].informative.contains(file)) << alerts[0].informative.toStdString();
    }
    EXPECT_EQ(bytesOf(file), before) << "the old file stays whole";

    // The next run, on a folder that can be written: its quit writes them and says nothing.
    values.reset();
    defaults.reset();
    start();
    alerts.clear();
    moveWindow();
    quit();
    EXPECT_TRUE(alerts.empty());
    EXPECT_NE(bytesOf(file), before);
}

} // namespace
} // namespace e2e
