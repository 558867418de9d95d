// A new user's first start, a quit and the next start; the store lock.

#include "tests/e2e/E2EFixture.h"

#include "app/widgets/ZEVProgressPanel.h"
#include "engine/KELElements.h"
#include "engine/KELICurseur.h"
#include "desk/model/ZEVDeskClass.h"
#include "desk/viewer/ZEVDeskViewer.h"
#include "services/ZEVItemViewForDesks.h"

#include <QApplication>
#include <QImage>
#include <QFileInfo>
#include <QGuiApplication>
#include <QWidget>

namespace e2e {
namespace {

TEST_F(E2E, FirstRunGreetsOnceAndAQuitKeepsWhatTheNextStartShows)
{
    start();
    EXPECT_TRUE(window()->isVisible());
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].windowTitle, QStringLiteral("Welcome to Tallomer"));
    // Dismissing it (or any other alert or panel) leaves the program running: only Quit ends it.
    EXPECT_FALSE(QGuiApplication::quitOnLastWindowClosed());
    EXPECT_TRUE(QFileInfo(database()).isFile());
    EXPECT_TRUE(QFileInfo(storeFolder() + "/default.file").isFile());
    EXPECT_EQ(space()->currentChannelInt(), 2000018u);
    // The first Space of the home Channel has its background from the start.
    EXPECT_FALSE(sql(database(), "SELECT ZEVLET_ID FROM ZEVLETS WHERE RELATION = 1000172 AND PARENT_ZEVLET = 2000018")
                     .empty());

    // The Search cursor is the active one when the user quits: the next start opens on it.
    space()->changeDeskForActifCurseur(space()->searchCurseur());
    const std::string searchElement = std::to_string(space()->searchCurseur()->elemCurseur()->idInt());
    quit();
    EXPECT_EQ(stops, std::vector<int>{0});
    EXPECT_EQ(sql(database(), "SELECT COUNT(*) FROM ZEVLETS WHERE RELATION = 1000092 AND DATE_OUT > 4e15 AND "
                              "CHILD_ZEVLET = " + searchElement).at(0, 0),
              "1");

    alerts.clear();
    start();
    EXPECT_TRUE(alerts.empty()) << "the welcome is for the first run only";
    EXPECT_EQ(space()->actifCurseur(), space()->searchCurseur());
}

// A next start shows the desk the last one left, although it wakes the store's relations from
// what it read ahead (and, in a process of its own, the types' pictures from the cache folder).
TEST_F(E2E, ANextStartShowsTheDeskTheLastOneLeftFromWhatItReadAheadAndKept)
{
    start();
    sizeDesk(1000, 640);
    const QStringList names{"notes.txt", "paper.pdf", "photo.png", "page.html", "tune.mp3"};
    addHomeFiles(names, 2.0);
    ASSERT_EQ(nowDesk()->itemViewSet().size(), std::size_t(names.size()));
    // Moved after being placed: the store holds a past place too.
    ZEVItemViewForDesks* moved = viewsTitled({"paper.pdf"}).at(0);
    ZEVIconPosition to = moved->iconPosition();
    to.x += 200;
    nowDesk()->deskClass()->updatePosition(to, moved->iconPosition(), moved->item());
    // Nothing selected: a selection lasts the run only.
    click(canvas(), QPoint(canvas()->width() / 2, 20));
    advance(2.0);
    const QImage before = canvas()->grab().toImage();
    quit();

    start();
    sizeDesk(1000, 640);
    ASSERT_TRUE(advanceUntil([&] { return nowDesk()->itemViewSet().size() == std::size_t(names.size()); }, 0.05, 2.0));
    advance(2.0);
    EXPECT_EQ(canvas()->grab().toImage(), before);
    EXPECT_EQ(viewsTitled({"paper.pdf"}).at(0)->iconPosition().x, to.x);
}

TEST_F(E2E, AWindowMovedBeforeQuittingOpensThereAgain)
{
    start();
    window()->move(window()->frameGeometry().topLeft() + QPoint(40, 30));
    advance(1.0); // the frame is kept once the move has settled
    const QRect before = window()->geometry();
    quit();
    start();
    EXPECT_EQ(window()->geometry(), before);
}

TEST_F(E2E, AStoreThatCannotBeOpenedIsSaidInAnAlertNothingOfOursCovers)
{
    // A store of garbage bytes, one of a newer version than this program reads, and one cut short
    // inside its last page (which SQLite would read as zeros).
    const QByteArray newer = [&] {
        start();
        quit();
        QFile f(database());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    ASSERT_FALSE(newer.isEmpty());
    const std::vector<std::pair<QByteArray, bool>> stores{
        {QByteArray(8192, '\x5a'), false}, {newer, true}, {newer.left(newer.size() - 1500), false}};
    const QString message = QStringLiteral("zevDatabase Error!");
    for (const auto& [bytes, versionFour] : stores) {
        QFile::remove(database() + "-wal");
        QFile::remove(database() + "-shm");
        {
            QFile f(database());
            ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
        }
        if (versionFour) {
            EXPECT_EQ(execOnStore(database(), "UPDATE SETTINGS SET VALUE = 4 WHERE NAME = 'dbVersion'"), SQLITE_OK);
        }
        const QByteArray before = [&] {
            QFile f(database());
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();

        // What is on screen while the alert shows: the loading panel of the start, and every
        // other window of ours that stays on top, must be out of the alert's way.
        struct Seen {
            ZEVAlertRequest request;
            bool panelBuilt = false;
            QStringList onTop;
        };
        std::vector<Seen> seen;
        ScopedAlertAnswerer answerer([&](const ZEVAlertRequest& r) {
            Seen s{r, false, {}};
            ZEVProgressPanel* panel = app() ? app()->progressPanel() : nullptr;
            s.panelBuilt = panel && panel->isWindowLoaded();
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->isVisible() && (w->windowFlags() & Qt::WindowStaysOnTopHint))
                    s.onTop << w->windowTitle() + " " + w->metaObject()->className();
            seen.push_back(s);
            return 0;
        });
        launch();
        // The store is opened on the start's later turns: the program stops there.
        stops.clear();
        if (!status) {
            app()->setStopHandler([this](int code) { stops.push_back(code); });
            for (int i = 0; i < 40 && seen.empty(); ++i)
                advance(0.05);
        }
        EXPECT_TRUE(status ? *status == 1 : stops == std::vector<int>{1}) << versionFour << ": the program went on";
        ASSERT_EQ(seen.size(), 1u) << versionFour;
        EXPECT_EQ(seen[0].request.message, message);
        EXPECT_TRUE(seen[0].panelBuilt) << "the alert came while the store was loading";
        EXPECT_TRUE(seen[0].onTop.isEmpty()) << seen[0].onTop.join(", ").toStdString();
        graph.reset();
        QFile f(database());
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), before) << "the store is left as it was";
    }
}

// A folder the start must make where a file stands: the store's own, or the drop folder in the
// home. Each start is told why it ends, names the place, and leaves what stands there.
// Bytes damaged in the middle of the link base (a page flipped), which no check at start reads:
// whatever reads that page, at start or later, stops the program with the store's alert, as a
// store cut short does, instead of acting on what it answers; the page is not written over.
TEST_F(E2E, AStoreDamagedInsideItsPagesStopsWithTheStoreAlertOnceItIsRead)
{
    start();
    QStringList names;
    for (int i = 0; i < 40; ++i)
        names << QStringLiteral("note %1 with a title long enough to fill pages of the link base.txt").arg(i);
    addHomeFiles(names);
    quit();
    QByteArray bytes = [&] {
        QFile f(database());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    ASSERT_GT(bytes.size(), 100);
    const int pageSize = (uchar(bytes[16]) << 8) | uchar(bytes[17]);
    ASSERT_GE(pageSize, 512);
    const int pages = int(bytes.size() / pageSize);
    ASSERT_GE(pages, 8) << "too few pages to damage one in the middle";
    const int page = pages / 2;
    for (int i = page * pageSize; i < (page + 1) * pageSize; ++i)
        bytes[i] = char(~uchar(bytes[i]));
    QFile::remove(database() + "-wal");
    QFile::remove(database() + "-shm");
    {
        QFile f(database());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
    }

    alerts.clear();
    stops.clear();
    launch();
    if (!status) {
        app()->setStopHandler([this](int code) { stops.push_back(code); });
        // The page is read by the start's loading or by the desk it shows.
        for (int i = 0; i < 200 && stops.empty(); ++i)
            advance(0.05);
    }
    EXPECT_TRUE(status ? *status == 1 : stops == std::vector<int>{1}) << "the program went on with a damaged store";
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, QStringLiteral("zevDatabase Error!"));
    EXPECT_TRUE(alerts[0].informative.contains(QStringLiteral("is damaged"))) << alerts[0].informative.toStdString();
    graph.reset();
    QFile f(database());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray after = f.readAll();
    EXPECT_EQ(after.mid(page * pageSize, pageSize), bytes.mid(page * pageSize, pageSize)) << "the damaged page was written over";
}

TEST_F(E2E, AFolderTheStartCannotMakeIsSaidInAnAlertAndNothingIsOverwritten)
{
    start();
    quit();
    const struct {
        QString where;
        const char* message;
    } cases[] = {
        {storeFolder() + "/local/zevData/2000018", "Tallomer cannot make its store."},
        {home + "/Tallomer", "Tallomer cannot make its drop folder."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.where.toStdString());
        const QString aside = c.where + ".aside";
        ASSERT_TRUE(QDir().rename(c.where, aside));
        writeFile(c.where, "the user's own");
        EXPECT_TRUE(launchStoppingWithOne()) << "the program went on";
        ASSERT_EQ(alerts.size(), 1u) << "the program ended without a word";
        EXPECT_EQ(alerts[0].message, c.message);
        EXPECT_TRUE(alerts[0].informative.contains(c.where)) << alerts[0].informative.toStdString();
        graph.reset();
        QFile f(c.where);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), "the user's own");
        f.close();
        ASSERT_TRUE(QFile::remove(c.where));
        ASSERT_TRUE(QDir().rename(aside, c.where));
    }
    alerts.clear();
    start();
    EXPECT_TRUE(alerts.empty());
}

// A base that opens but lacks what a start reads at once: said in an alert naming the damage,
// not an empty window without a word; the file is left as it was.
TEST_F(E2E, AStoreLackingWhatAStartReadsIsSaidInAnAlertInsteadOfAnEmptyWindow)
{
    start();
    quit();
    const QString kept = database() + ".kept";
    ASSERT_TRUE(QFile::copy(database(), kept));
    const struct {
        const char* change;
        const char* reason;
    } cases[] = {
        {"DELETE FROM ZEVLETS WHERE ZEVLET_ID = 270", "it lacks the link 270 that a start reads"},
        {"DELETE FROM ZEVLETS WHERE ZEVLET_ID = 2000001", "it lacks the link 2000001 that a start reads"},
        {"UPDATE ZEVLETS SET CLASS = 'KELI' WHERE ZEVLET_ID = 270", "its link 270 is of the class 'KELI'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.change);
        QFile::remove(database());
        QFile::remove(database() + "-wal");
        QFile::remove(database() + "-shm");
        ASSERT_TRUE(QFile::copy(kept, database()));
        EXPECT_EQ(execOnStore(database(), c.change), SQLITE_OK);
        const Rows before = sql(database(), "SELECT * FROM ZEVLETS ORDER BY ZEVLET_ID");
        EXPECT_TRUE(launchStoppingWithOne()) << "the program went on";
        ASSERT_EQ(alerts.size(), 1u);
        EXPECT_EQ(alerts[0].message, "Tallomer cannot open its store.");
        EXPECT_TRUE(alerts[0].informative.contains(c.reason)) << alerts[0].informative.toStdString();
        EXPECT_TRUE(alerts[0].informative.contains(database())) << alerts[0].informative.toStdString();
        EXPECT_EQ(space(), nullptr);
        graph.reset();
        EXPECT_EQ(sql(database(), "SELECT * FROM ZEVLETS ORDER BY ZEVLET_ID").rows, before.rows);
    }
}

// A folder where the link base goes is named as such in the alert, and left as it was.
TEST_F(E2E, ALinkBaseThatIsAFolderIsSaidSo)
{
    start();
    quit();
    for (const QString& f : {database(), database() + "-wal", database() + "-shm"})
        QFile::remove(f);
    ASSERT_TRUE(QDir().mkpath(database() + "/inside"));
    EXPECT_TRUE(launchStoppingWithOne()) << "the program went on";
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, "zevDatabase Error!");
    EXPECT_TRUE(alerts[0].informative.contains(database() + " cannot be opened (Is a directory)"))
        << alerts[0].informative.toStdString();
    graph.reset();
    EXPECT_TRUE(QFileInfo(database() + "/inside").isDir());
}

// Files that are no link base this program reads are refused as they are: an empty file, another
// program's database, a link base of a newer version. None is switched to the write-ahead log on
// the way (its header rewritten, a log beside it).
TEST_F(E2E, AStoreRefusedAtStartIsNotWrittenTo)
{
    start();
    quit();
    const QString kept = database() + ".kept";
    ASSERT_TRUE(QFile::copy(database(), kept));
    const struct {
        const char* make; // SQL on a new rollback-journal database; null: an empty file
        const char* message;
        const char* reason;
    } cases[] = {
        {nullptr, "Tallomer cannot open its store.", "The version of the link base cannot be read"},
        {"CREATE TABLE NOTES (TEXT)", "Tallomer cannot open its store.", "The version of the link base cannot be read"},
        {"CREATE TABLE SETTINGS (NAME, VALUE); INSERT INTO SETTINGS VALUES ('dbVersion', 5)", "zevDatabase Error!",
         "zevDatabase version (5) newer than expected (3)."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        for (const QString& f : {database(), database() + "-wal", database() + "-shm"})
            QFile::remove(f);
        writeFile(database(), "");
        if (c.make) {
            EXPECT_EQ(execOnStore(database(), c.make), SQLITE_OK);
        }
        const QByteArray before = [&] {
            QFile f(database());
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("unreadable");
        }();
        EXPECT_TRUE(launchStoppingWithOne()) << "the program went on";
        ASSERT_EQ(alerts.size(), 1u);
        EXPECT_EQ(alerts[0].message, c.message);
        EXPECT_TRUE(alerts[0].informative.contains(c.reason)) << alerts[0].informative.toStdString();
        graph.reset();
        QFile f(database());
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), before) << "the file was written to";
        EXPECT_FALSE(QFileInfo::exists(database() + "-wal"));
    }
    // The store kept aside opens as before.
    for (const QString& f : {database(), database() + "-wal", database() + "-shm"})
        QFile::remove(f);
    ASSERT_TRUE(QFile::copy(kept, database()));
    alerts.clear();
    stops.clear();
    start();
    EXPECT_TRUE(alerts.empty());
}

} // namespace
} // namespace e2e
