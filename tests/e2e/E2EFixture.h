#pragma once
// Starts the running program's object graph (ApplicationGraph, as main() builds it) offscreen in
// a temporary home, with a session bus of its own and a virtual clock that the real scheduler
// driver follows. Tests drive it with real key and mouse events or through its entry points (a
// second start of the program, the bus), and check what the user would see: the store through a
// second SQLite connection, or the window on screen.

#include "app/ApplicationGraph.h"
#include "app/KELApplicationDelegate.h"
#include "app/ZEVController.h"
#include "app/space/ZEVSpaceAdapter.h"
#include "platform/thumbs/Thumbnails.h"
#include "app/store/KELResources.h"
#include "widgets/ZEVAlert.h"
#include "desk/viewer/ZEVDeskViewer.h"
#include "desk/viewer/ZEVSpaceBridge.h"
#include "inspectors/ZEVTransferQueue.h"
#include "runtime/Clock.h"
#include "runtime/Log.h"
#include "platform/QtScheduler.h"
#include "platform/UserDefaults.h"
#include "platform/hid/FakeEvdevSystem.h"
#include "platform/sound/Sound.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceWindow.h"
#include "tests/support/PumpUntil.h"
#include "tests/support/StoreWait.h"
#include "tests/support/TestHome.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QDBusConnection>
#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QThreadPool>
#include <QWidget>

#include <gtest/gtest.h>
#include <array>
#include <sqlite3.h>

#include <ctime>
#include <memory>
#include <optional>
#include <utility>
#include <string>
#include <vector>

namespace tallomer {
class ZEVItemViewForDesks;
class ZEVRulerViewbar;
class ZEVRulerViewer;
class ZEVTlineView;
class ZEVItemView;
class ZEVTableView;
}
class QAbstractItemView;
class QAction;
class QMenu;

namespace e2e {

using namespace tallomer;

inline QString q(const std::string& s) { return QString::fromStdString(s); }

// The fixed objects of every new store that tests name: the panels' classes and the Home Channel.
inline constexpr KELId kIcons = 2000003;
inline constexpr KELId kLinks = 2000004;
inline constexpr KELId kFiles = 2000005;
inline constexpr KELId kContacts = 2000006;
inline constexpr KELId kImages = 2000007;
inline constexpr KELId kHome = 2000018;

// Lengths of time in seconds, and the in-date of a link forgotten or erased.
inline constexpr double kHeure = 3600.0;
inline constexpr double kJour = 86400.0;
inline constexpr double kOubliee = 4503599627370497.0;

// The remote's device node in the fake input system.
inline const QString kRemote = QStringLiteral("/dev/input/event3");

// The share of a region's pixels that differ plainly between two pictures, what either lacks
// counting as differing: how tests tell two pictures on screen apart.
inline double differingShare(const QImage& a, const QImage& b, const QRect& region)
{
    if (region.isEmpty())
        return 0.0;
    int differ = 0;
    for (int y = region.top(); y <= region.bottom(); ++y)
        for (int x = region.left(); x <= region.right(); ++x) {
            const QColor c = a.valid(x, y) ? a.pixelColor(x, y) : QColor(Qt::transparent);
            const QColor d = b.valid(x, y) ? b.pixelColor(x, y) : QColor(Qt::transparent);
            differ += std::abs(c.red() - d.red()) + std::abs(c.green() - d.green()) + std::abs(c.blue() - d.blue()) +
                          std::abs(c.alpha() - d.alpha()) >
                      48;
        }
    return double(differ) / (double(region.width()) * region.height());
}
inline double differingShare(const QImage& a, const QImage& b) { return differingShare(a, b, a.rect()); }

// Writes bytes to path, making its folder first; path, for use in place.
inline QString writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size()) << path.toStdString();
    return path;
}

// A session bus of the test's own, so that instances of other tests never answer ours.
class PrivateBus {
public:
    PrivateBus()
    {
        daemon_.setProgram(QStringLiteral("dbus-daemon"));
        daemon_.setArguments({QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address")});
        daemon_.start();
        if (!daemon_.waitForStarted(5000))
            return;
        // The daemon prints its address once it listens.
        QDeadlineTimer deadline(test::kWaitMilliseconds);
        while (!daemon_.canReadLine() && !deadline.hasExpired() && daemon_.waitForReadyRead(int(deadline.remainingTime()))) {
        }
        if (daemon_.canReadLine())
            address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
        if (address_.isEmpty())
            return;
        static int n = 0;
        name_ = QStringLiteral("e2e-bus-%1").arg(++n);
        connection_ = QDBusConnection::connectToBus(address_, name_);
    }
    ~PrivateBus()
    {
        if (!name_.isEmpty())
            QDBusConnection::disconnectFromBus(name_);
        daemon_.kill();
        daemon_.waitForFinished(5000);
    }
    bool ok() const { return connection_ && connection_->isConnected(); }
    const QString& address() const { return address_; }
    QDBusConnection connection() const { return *connection_; }

private:
    QProcess daemon_;
    QString address_;
    QString name_;
    std::optional<QDBusConnection> connection_;
};

// Rows of a query on the store, read through a connection of the test's own.
struct Rows {
    std::vector<std::vector<std::string>> rows;
    std::size_t size() const { return rows.size(); }
    bool empty() const { return rows.empty(); }
    const std::string& at(std::size_t r, std::size_t c) const { return rows.at(r).at(c); }
};

// The test's connections sit beside the program's, whose writes and log merges hold the file's
// locks for moments (longer on a loaded machine): they wait those out as the program's own
// connection does, rather than fail at the first busy answer.
inline sqlite3* openBeside(const QString& database, int flags)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(database).constData(), &db, flags, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << "cannot open " << database.toStdString() << ": " << (db ? sqlite3_errmsg(db) : "no memory");
        sqlite3_close(db);
        return nullptr;
    }
    test::waitAsTheProgramDoes(db);
    return db;
}

// Statements run on the store as another program would run them; answers SQLite's result code.
inline int execOnStore(const QString& database, const std::string& statements)
{
    sqlite3* db = openBeside(database, SQLITE_OPEN_READWRITE);
    if (!db)
        return SQLITE_CANTOPEN;
    const int rc = sqlite3_exec(db, statements.c_str(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        ADD_FAILURE() << sqlite3_errmsg(db) << " in " << statements;
    sqlite3_close(db);
    return rc;
}

inline Rows sql(const QString& database, const std::string& query)
{
    Rows out;
    sqlite3* db = openBeside(database, SQLITE_OPEN_READONLY);
    if (!db)
        return out;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, query.c_str(), -1, &st, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << sqlite3_errmsg(db) << " in " << query;
    } else {
        while (sqlite3_step(st) == SQLITE_ROW) {
            std::vector<std::string> row;
            for (int c = 0; c < sqlite3_column_count(st); ++c) {
                const unsigned char* t = sqlite3_column_text(st, c);
                row.emplace_back(t ? reinterpret_cast<const char*>(t) : "");
            }
            out.rows.push_back(std::move(row));
        }
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return out;
}

class E2E : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Every test is a new user: a home of its own, which a second start of the program shares.
        home = q(test::makeTempDir("user"));
        for (const auto& [name, sub] : std::vector<std::pair<const char*, const char*>>{
                 {"HOME", ""}, {"XDG_DATA_HOME", "/.local/share"}, {"XDG_CONFIG_HOME", "/.config"},
                 {"XDG_CACHE_HOME", "/.cache"}}) {
            QDir().mkpath(home + sub);
            qputenv(name, (home + sub).toUtf8());
        }
        KELResources::setDirectory(q(test::buildDir() + "/share/tallomer"));
        // The pointer is where a fresh start of the test program finds it: a place an earlier
        // test gave it would be read by the program (which asks the pointer's place when its
        // window becomes key) and make this test depend on which ran before it.
        static const QPoint pointerAtStart = QCursor::pos();
        QCursor::setPos(pointerAtStart);
        Clock::setShared(&clock);
        previousSink = setLogSink(&log);
    }

    void TearDown() override
    {
        graph.reset();
        // What a test copied never reaches the next one.
        if (QGuiApplication::instance())
            QGuiApplication::clipboard()->clear();
        hidRegistry.reset();
        values.reset();
        defaults.reset();
        setLogSink(previousSink);
        Clock::setShared(nullptr);
        KELResources::setDirectory(QString());
    }

    QString storeFolder() const { return home + "/.local/share/Tallomer"; }
    QString database() const { return storeFolder() + "/zev.sqlite"; }

    // Builds the graph as main() does and runs it until the Space window shows.
    void start(QStringList arguments = {})
    {
        launch(std::move(arguments));
        if (HasFatalFailure())
            return;
        ASSERT_FALSE(status) << "the program ended at start with status " << *status;
        app()->setStopHandler([this](int code) { stops.push_back(code); });
        advanceUntil([this] { return space() != nullptr; }, 0.05, 1.0);
        ASSERT_NE(space(), nullptr) << "the Space window was never built";
        pump();
    }

    // `data` dragged in over the desk at `at`, moved there and dropped, as a copy.
    void dropOnCanvas(const QMimeData& data, QPoint at)
    {
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(canvas(), &enter);
        QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(canvas(), &move);
        QDropEvent dropped(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(canvas(), &dropped);
    }
    // A new Channel named `name`, made the one the window shows; null (with a failure) when the
    // space controller made none.
    KELI* showNewChannel(const char* name)
    {
        KELI* channel = space()->newIdentityNamed(name);
        EXPECT_NE(channel, nullptr) << name;
        if (!channel)
            return nullptr;
        space()->updateChannelWithIdentityInt(channel->idInt());
        advance(1.0);
        return channel;
    }
    // The preferences the program will read, in the test's home.
    void keepDefaults()
    {
        if (defaults)
            return;
        defaults = std::make_unique<UserDefaults>(home + "/.config/Tallomer/Tallomer.conf");
        values = std::make_unique<UserDefaultsController>(*defaults);
    }
    // The address book in `folder` rather than the user's own, before the program starts.
    void useContactsFolder(const QString& folder)
    {
        keepDefaults();
        values->setValue(QStringLiteral("ZEVContactsFolder"), folder);
    }

    // Builds the graph as main() does and starts it, up to the event loop; `status` tells
    // whether the program ended there.
    void launch(QStringList arguments = {})
    {
        ASSERT_TRUE(bus.ok()) << "no private session bus (is dbus-daemon installed?)";
        keepDefaults();
        ApplicationGraph::Options options;
        options.arguments = std::move(arguments);
        options.application.layout = KELStoreLayout::standard();
        options.application.addSidebarItem = false;
        options.bus = bus.connection();
        options.defaults = values.get();
        options.volumeLister = [this] { return mounts; };
        options.opener = opener;
        // The machine's input devices are never looked at: a test that wants a remote gives its own.
        if (!hidRegistry)
            hidRegistry = std::make_unique<EvdevRegistry>(std::make_unique<FakeEvdevSystem>());
        options.application.hidRegistry = hidRegistry.get();
        graph = std::make_unique<ApplicationGraph>(std::move(options));
        status = graph->start();
    }

    // Quits as Ctrl+Q in the Space window does, and forgets the running program.
    // A start that is to stop the program, the alerts and stops of before cleared: whether it
    // stopped with status 1, at start or on the turns just after.
    bool launchStoppingWithOne()
    {
        alerts.clear();
        stops.clear();
        launch();
        if (!status) {
            app()->setStopHandler([this](int code) { stops.push_back(code); });
            for (int i = 0; i < 40 && stops.empty(); ++i)
                advance(0.05);
        }
        return status ? *status == 1 : stops == std::vector<int>{1};
    }
    void quit()
    {
        ASSERT_NE(window(), nullptr);
        key(Qt::Key_Q, Qt::ControlModifier);
        pump();
        graph.reset();
    }

    // One turn of the real event loop at a time, until nothing is due now (bounded).
    void pump(int rounds = 30)
    {
        for (int i = 0; i < rounds; ++i) {
            QThreadPool::globalInstance()->waitForDone();
            ZEVTransferQueue::shared().waitForDone();
            if (graph)
                graph->thumbnails().waitForDone();
            QCoreApplication::processEvents(QEventLoop::AllEvents);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }

    // Turns the event loop as pump() does until `done` holds; answers whether it came before the
    // wall-clock deadline. For whatever ends elsewhere than on this thread's next turn: a popup or
    // window shown, a worker's result, a child process, a reply on the bus, a file watch.
    template <class Done>
    bool pumpUntil(Done&& done, int milliseconds = test::kWaitMilliseconds)
    {
        return test::pumpUntil(done, [this] { pump(1); }, milliseconds);
    }

    // Moves the virtual clock forward `step` at a time until `done` holds, no further than
    // `virtualSeconds` in all; past that the event loop alone turns until the wall-clock deadline,
    // for what the real world answers (a server, a child process) however slow the machine.
    template <class Done>
    bool advanceUntil(Done&& done, double step, double virtualSeconds)
    {
        const double end = clock.now() + virtualSeconds;
        return test::pumpUntil(done, [&] {
            if (clock.now() + step <= end + 1e-9)
                advance(step);
            else
                pump(1);
        });
    }

    // Moves the virtual clock forward; every perform runs at its own moment, from the event loop.
    void advance(double seconds)
    {
        const double end = clock.now() + seconds;
        double due = 0;
        while (graph && graph->scheduler().nextDue(&due) && due <= end) {
            clock.set(std::max(clock.now(), due));
            graph->scheduler().clockMoved();
            pump(3);
        }
        clock.set(end);
        if (graph)
            graph->scheduler().clockMoved();
        pump(3);
    }

    // A second start of the real program with these arguments, in `folder` (the test's own when
    // empty); answers its exit status. The running instance keeps answering the bus while it waits.
    int secondStart(const QStringList& arguments, const QString& folder = QString())
    {
        QProcess other;
        if (!folder.isEmpty())
            other.setWorkingDirectory(folder);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        other.setProcessEnvironment(env);
        other.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        other.start(q(test::buildDir() + "/bin/tallomer"), arguments);
        return endOf(other);
    }
    // The exit status of a started process, once it ends; the running instance keeps answering
    // the bus while it waits. A start of the program under the sanitizers on a busy machine takes
    // seconds: only the wall-clock deadline makes it a failure.
    int endOf(QProcess& other)
    {
        if (!other.waitForStarted(test::kWaitMilliseconds))
            return -1;
        if (!test::pumpUntil([&] { return other.state() == QProcess::NotRunning; },
                             [&] {
                                 QCoreApplication::processEvents(QEventLoop::AllEvents);
                                 other.waitForFinished(10);
                             },
                             2 * test::kWaitMilliseconds)) {
            other.kill();
            other.waitForFinished();
            ADD_FAILURE() << "the second start never ended";
            return -3;
        }
        pump();
        return other.exitStatus() == QProcess::NormalExit ? other.exitCode() : -2;
    }

    // ---- the running program ----
    KELApplication* app() const { return graph ? graph->application() : nullptr; }
    ZEVSpaceAdapter* adapter() const { return graph ? graph->space() : nullptr; }
    ZEVSpaceController* space() const { return adapter() ? adapter()->space() : nullptr; }
    ZEVSpaceWindow* window() const { return space() ? space()->spaceWindow() : nullptr; }
    ZEVDeskViewer* desk(KELICurseur* c) const { return space() ? space()->deskViewerForCurseur(c) : nullptr; }
    ZEVDeskViewer* nowDesk() const { return space() ? desk(space()->nowCurseur()) : nullptr; }
    // Where the desk's mouse events land: the canvas's viewport.
    QWidget* canvas() const;
    // Sizes the Space window so that its content view (the desk below the bars) is w × h.
    void sizeDesk(int w, int h)
    {
        QWidget* content = window()->spaceView();
        window()->resize(window()->width() + w - content->width(), window()->height() + h - content->height());
        pump();
        ASSERT_EQ(content->size(), QSize(w, h));
    }
    // The view on the Now desk of the Object of that title; nullptr when none.
    ZEVItemView* viewTitled(const QString& title) const;
    // Where a scene rectangle's centre lies in the canvas.
    QPoint onScreen(const QRectF& sceneRect) const;
    // A double click on an Object's picture, through the window as the system delivers it.
    void doubleClickPicture(ZEVItemView* v);
    // The time ruler: its viewer, the time bar over the strip, and the strip.
    ZEVRulerViewer* ruler() const;
    ZEVRulerViewbar* bar() const;
    ZEVTlineView* strip() const;
    // Starts with the time bar on and the window active.
    void startWithTheBar();

    // A key typed into the Space window, as the user types it.
    void key(Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // A left click on a widget, at its centre unless told where.
    void click(QWidget* w, QPoint at = {});
    // Opens a menu of the main menu bar with the mouse and chooses its item with the mouse.
    void chooseMenuItem(int menuTag, long itemTag);
    // The same for the item of that title.
    void chooseMenuItemTitled(int menuTag, const QString& title);
    // A menu of the main menu bar opened with the mouse; nullptr (and a failure) when it did not open.
    QMenu* openMenu(int menuTag);
    // Pressed, dragged and released on the time strip, away from the cursors' bands.
    void scrubStrip(ZEVTlineView* strip, KELDate from, KELDate to);
    // A file given to the program as a second start would give it, whose icon then stays on the Now
    // desk for one hour and is released; the clock ends two hours after that. Answers the Object and
    // the moment it was added.
    std::pair<KELI*, double> fileIconShownForAnHour(const QString& name);

    // Files given to the program as a drop from the desktop gives them; `seconds` then pass, for
    // them to be placed (and, by 1.5 s, typed with their pictures asked).
    void addFiles(const QStringList& paths, double seconds = 1.0)
    {
        adapter()->addFilenames(paths);
        advance(seconds);
    }
    // Files of these names written in the home, each holding its own name, then added as above;
    // answers their paths.
    QStringList addHomeFiles(const QStringList& names, double seconds = 1.0);
    // Every view on the Now desk of each title, in the order the titles are named.
    std::vector<ZEVItemViewForDesks*> viewsTitled(const QStringList& titles) const;
    // The last Object view of the Now desk's set, nullptr when it holds none.
    ZEVItemView* lastNowObjectView() const;
    // Their Objects, in the same order.
    std::vector<KELI*> itemsTitled(const QStringList& titles) const;
    // Opens the inspector panel of that kind from the main menu's Inspectors menu with the mouse,
    // and lets it show.
    void openInspectorFromMenu(long kind, double seconds = 1.0);

    // The Objects of a type that ever had an icon on a desk, with their titles, as the store holds
    // them: (id, title).
    Rows placedObjectsOfType(const std::string& type) const
    {
        return sql(database(), "SELECT o.ZEVLET_ID, w2.WORD FROM ZEVLETS o "
                               "JOIN ZEVLETS t ON t.PARENT_ZEVLET = o.ZEVLET_ID AND t.RELATION = 1000222 "
                               "JOIN WORD w ON w.ZEVLET_ID = t.CHILD_ZEVLET AND w.WORD = '" + type + "' "
                               "JOIN ZEVLETS n ON n.PARENT_ZEVLET = o.ZEVLET_ID AND n.RELATION = 1000217 "
                               "JOIN WORD w2 ON w2.ZEVLET_ID = n.CHILD_ZEVLET "
                               "WHERE o.RELATION = 1000050 AND EXISTS (SELECT 1 FROM ZEVLETS i WHERE "
                               "i.RELATION = 1000152 AND i.CHILD_ZEVLET = o.ZEVLET_ID) ORDER BY o.ZEVLET_ID");
    }
    // The Objects of that title the store holds and has not forgotten: (id).
    Rows liveObjectsTitled(const std::string& title) const
    {
        return sql(database(), "SELECT o.ZEVLET_ID FROM ZEVLETS o JOIN ZEVLETS n ON n.PARENT_ZEVLET = o.ZEVLET_ID "
                               "AND n.RELATION = 1000217 JOIN WORD w ON w.ZEVLET_ID = n.CHILD_ZEVLET "
                               "WHERE o.RELATION = 1000050 AND w.WORD = '" + title + "' AND "
                               "o.DATE_IN < 4503599627370497.0 AND o.DATE_OUT > 0");
    }
    // The icon links of an Object on a Channel's desk: (in, out) dates.
    Rows iconLinks(const std::string& objectId, KELId channel = 2000018) const
    {
        return sql(database(), "SELECT DATE_IN, DATE_OUT FROM ZEVLETS WHERE RELATION = 1000152 AND PARENT_ZEVLET = " +
                                   std::to_string(channel) + " AND CHILD_ZEVLET = " + objectId);
    }

    // The store's links of a relation around an Object, as parent or as child: (id, in, out).
    Rows linksAround(KELId item, KELId relation, bool asChild) const
    {
        return sql(database(), "SELECT ZEVLET_ID, DATE_IN, DATE_OUT FROM ZEVLETS WHERE RELATION = " +
                                   std::to_string(relation) + (asChild ? " AND CHILD_ZEVLET = " : " AND PARENT_ZEVLET = ") +
                                   std::to_string(item));
    }
    // An in-date at or past this marks a forgotten link.
    static constexpr double kForgottenDate = 4503599627370497.0;
    // How many of those are not forgotten.
    int liveLinksAround(KELId item, KELId relation, bool asChild) const
    {
        const Rows r = linksAround(item, relation, asChild);
        int n = 0;
        for (std::size_t i = 0; i < r.size(); ++i)
            n += std::stod(r.at(i, 1)) < kForgottenDate ? 1 : 0;
        return n;
    }
    // An item of an open menu chosen with the mouse; it must be shown and enabled.
    void chooseInMenu(QMenu* m, QAction* a);
    // The item of a menu with that tag; nullptr when it has none.
    static QAction* menuItemTagged(QMenu* m, long tag);
    // The Object menu's item of that tag, checked to read `title`, chosen with the mouse; then a
    // second passes.
    void chooseObjectMenuItem(long tag, const QString& title);
    // The popup menu an action of the test opened, once it shows; nullptr when none showed before
    // the deadline.
    QMenu* shownPopupMenu();
    // The right button pressed and released at a point of a list, the pointer brought there
    // first; the menu that popped up, nullptr when none did.
    QMenu* rightClickIn(QAbstractItemView* list, QPoint at);
    // The row of a table that lists the Object; -1 when none does.
    static int rowOfItem(const ZEVTableView* table, const KELI* item);
    // Two Spaces for a Channel, the Channel listed from `in - len` on: a past one from
    // in + 0.05 len to in + 0.5 len and the present one from there on, each a picture of that title
    // (its file absent: strips show the colour) and that colour. A background the Channel had
    // before ends where they begin. Answers the two colour items' ids.
    std::array<KELId, 2> seedTwoSpaces(KELI* channel, const std::array<std::string, 2>& titles,
                                       const std::array<QColor, 2>& colours, KELDate in, double len);
    // The timeline context placed where it is shown: where its span begins and how long it is.
    std::pair<KELDate, double> placedTimelineSpan();
    // What was seeded written by a quit, and the program started again with the Channels panel
    // that tall.
    void restartWithChannelsPanelHeight(int height);

    QString home;
    // Today, so that the dates the program writes look like a user's.
    FixedClock clock{dateFromUnix(double(std::time(nullptr)))};
    PrivateBus bus;
    QStringList mounts{QStringLiteral("/")};
    // What opens files for the desktop: Qt's own opener unless a test gives a program, so that
    // tests catch what is opened with URL handlers and never start a program of the machine.
    DesktopOpener opener;
    std::unique_ptr<UserDefaults> defaults;
    std::unique_ptr<UserDefaultsController> values;
    std::unique_ptr<ApplicationGraph> graph;
    std::optional<int> status;
    std::vector<int> stops;
    std::vector<ZEVAlertRequest> alerts;
    // The input devices the program finds the remote among; a fake without devices unless set.
    std::unique_ptr<HIDRegistry> hidRegistry;
    int alertAnswer = 1; // "Cancel" for a Yes/Cancel alert, and OK for a simple one
    ScopedAlertAnswerer answerer{[this](const ZEVAlertRequest& r) { return alerts.push_back(r), alertAnswer; }};
    MemoryLogSink log;
    LogSink* previousSink = nullptr;
};

// A fixture whose program plays its sounds into `sound`, a recording or a silent one.
template <class SoundKind>
class E2EWithSound : public E2E {
protected:
    void SetUp() override
    {
        E2E::SetUp();
        Sound::setShared(&sound);
    }
    void TearDown() override
    {
        E2E::TearDown();
        Sound::setShared(nullptr);
    }

    SoundKind sound;
};

} // namespace e2e
