// The application menu's whole-store commands in the running program: an export that other tools
// read, imported into a new user's home at the end of the quit sequence; archives that are
// refused with the store left as it was; and an uninstall that moves the stored files out,
// leaves links, and removes exactly what is Tallomer's.

#include "tests/e2e/E2EFixture.h"

#include "app/menu/KELMainMenu.h"
#include "app/wholestore/KELWholeStore.h"
#include "app/widgets/ZEVFilePanel.h"
#include "app/widgets/ZEVUninstallPanel.h"
#include "keytime/ZEVKeyDocumentController.h"
#include "keytime/ZEVKeyWindowController.h"
#include "platform/desktop/GtkBookmarks.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <QApplication>
#include <QCheckBox>
#include <QDirIterator>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTemporaryDir>
#include <QTimer>

#include <sqlite3.h>

namespace e2e {
namespace {

int runTool(const QString& program, const QStringList& arguments, QByteArray* output = nullptr)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, arguments);
    if (!p.waitForStarted(10000) || !p.waitForFinished(60000))
        return -1;
    if (output)
        *output = p.readAll();
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The files and folders below folder, relative, without the store's lock and journal files.
QStringList tree(const QString& folder)
{
    QStringList out;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString rel = QDir(folder).relativeFilePath(it.next());
        if (rel != ".lock" && !rel.startsWith("zev.sqlite-"))
            out << rel + (it.fileInfo().isDir() ? "/" : "");
    }
    out.sort();
    return out;
}

const std::string kAllLinks = "SELECT ZEVLET_ID, RELATION, PARENT_ZEVLET, CHILD_ZEVLET, DATE_IN, DATE_OUT FROM ZEVLETS "
                              "ORDER BY ZEVLET_ID";

class WholeStoreE2E : public E2E {
protected:
    void TearDown() override
    {
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
        E2E::TearDown();
    }

    // Another user: a home of their own, as SetUp made the first.
    void newHome()
    {
        graph.reset();
        values.reset();
        defaults.reset();
        home = q(test::makeTempDir("user"));
        for (const auto& [name, sub] : std::vector<std::pair<const char*, const char*>>{
                 {"HOME", ""}, {"XDG_DATA_HOME", "/.local/share"}, {"XDG_CONFIG_HOME", "/.config"},
                 {"XDG_CACHE_HOME", "/.cache"}}) {
            QDir().mkpath(home + sub);
            qputenv(name, (home + sub).toUtf8());
        }
    }
    QString importFolder() const { return home + "/.local/share/TallomerImport"; }
    QString previousFolder() const { return home + "/.local/share/TallomerPrevious"; }
    // A store of "one.txt" exported, "two.txt" placed, then the export imported: the program has
    // stopped with the archive's store swapped in and the replaced one kept aside.
    void swapInAnArchiveOfOneFile()
    {
        start();
        placeFile("one.txt");
        QDir().mkpath(home + "/Exports");
        const QString archive = exportTo(home + "/Exports/all.zip");
        placeFile("two.txt");
        importFrom(archive);
        ASSERT_EQ(stops.size(), 1u);
        graph.reset();
        ASSERT_TRUE(QFileInfo(previousFolder()).isDir());
    }
    QString templateBase() const { return q(test::buildDir() + "/share/tallomer/zev.sqlite"); }

    // A zip made by python3 from a script that has zipfile, sqlite3, shutil, os and sys, the
    // archive's path in `path`, the template link base's in `template`, a link maker
    // `link(z, name, target)` and a scratch folder `scratch`.
    QString pythonZip(const QString& name, const QString& body)
    {
        if (work.isEmpty())
            work = q(test::makeTempDir("archives"));
        const QString path = work + "/" + name;
        const QString script = "import zipfile, sqlite3, shutil, sys, os\n"
                               "path, template = sys.argv[1], sys.argv[2]\n"
                               "scratch = path + '.d'; os.makedirs(scratch)\n"
                               "def link(z, name, target):\n"
                               "    i = zipfile.ZipInfo(name); i.create_system = 3; i.external_attr = 0o120777 << 16\n"
                               "    z.writestr(i, target)\n" +
                               body;
        QByteArray out;
        EXPECT_EQ(runTool("python3", {"-c", script, path, templateBase()}, &out), 0) << out.toStdString();
        return path;
    }
    QString work;
    // An archive holding only a link base: the template (an empty file unless `fromTemplate`)
    // changed by `change`, python lines on its connection `c`.
    QString baseZip(const QString& name, const QString& change, bool fromTemplate = true)
    {
        return pythonZip(name, QStringLiteral("db = os.path.join(scratch, 'zev.sqlite')\n") +
                                   (fromTemplate ? QStringLiteral("shutil.copy(template, db)\n") : QString()) +
                                   "c = sqlite3.connect(db)\n" + change +
                                   "\nc.commit(); c.close()\n"
                                   "z = zipfile.ZipFile(path, 'w'); z.write(db, 'zev.sqlite'); z.close()");
    }

    // Each archive is refused before anything is swapped, its reason in the alert, nothing quit
    // and nothing left unpacked; the links and the files below `watched` stay as they were.
    void expectRefused(const std::vector<std::pair<QString, QString>>& cases, const QString& watched)
    {
        const Rows links = sql(database(), kAllLinks);
        const QStringList files = tree(watched);
        for (const auto& [archive, reason] : cases) {
            alerts.clear();
            importFrom(archive);
            EXPECT_TRUE(stops.empty()) << archive.toStdString();
            ASSERT_FALSE(alerts.empty()) << archive.toStdString();
            EXPECT_TRUE(alerts.back().message.contains("cannot be imported")) << alerts.back().message.toStdString();
            EXPECT_TRUE(alerts.back().informative.contains(reason))
                << reason.toStdString() << " in " << alerts.back().informative.toStdString();
            EXPECT_FALSE(QFileInfo::exists(importFolder())) << archive.toStdString();
        }
        EXPECT_EQ(sql(database(), kAllLinks).rows, links.rows);
        EXPECT_EQ(tree(watched), files);
    }

    // A start the program ends by itself: built as start() builds it, run until it stops.
    void startUntilItStops()
    {
        if (!defaults) {
            defaults = std::make_unique<UserDefaults>(home + "/.config/Tallomer/Tallomer.conf");
            values = std::make_unique<UserDefaultsController>(*defaults);
        }
        if (!hidRegistry)
            hidRegistry = std::make_unique<EvdevRegistry>(std::make_unique<FakeEvdevSystem>());
        ApplicationGraph::Options options;
        options.application.layout = KELStoreLayout::standard();
        options.application.addSidebarItem = false;
        options.application.hidRegistry = hidRegistry.get();
        options.bus = bus.connection();
        options.defaults = values.get();
        options.volumeLister = [this] { return mounts; };
        graph = std::make_unique<ApplicationGraph>(std::move(options));
        status = graph->start();
        if (status)
            return;
        app()->setStopHandler([this](int code) { stops.push_back(code); });
        const std::size_t before = stops.size();
        for (int i = 0; i < 100 && stops.size() == before; ++i)
            advance(0.05);
    }


    // Answers the uninstall dialog once it shows (it runs modally inside the menu's click).
    void whenUninstallPanelShows(std::function<void(ZEVUninstallPanel*)> act)
    {
        auto* timer = new QTimer(qApp);
        timer->setInterval(10);
        QObject::connect(timer, &QTimer::timeout, timer, [timer, act] {
            if (auto* panel = qobject_cast<ZEVUninstallPanel*>(QApplication::activeModalWidget())) {
                timer->stop();
                timer->deleteLater();
                act(panel);
            }
        });
        timer->start();
    }

    // Until the export or the import check handed its result back.
    void waitForWholeStore()
    {
        pumpUntil([this] { return !app() || !app()->wholeStore().busy(); });
        ASSERT_TRUE(!app() || !app()->wholeStore().busy());
    }

    void placeFile(const QString& name)
    {
        addFiles({writeFile(home + "/" + name, name.toUtf8())});
    }

    QString exportTo(const QString& target)
    {
        ScopedFilePanelAnswerer panel([target](const ZEVFilePanelRequest& r) {
            EXPECT_EQ(r.kind, ZEVFilePanelRequest::Kind::Save);
            EXPECT_EQ(r.suffix, "zip");
            return target;
        });
        chooseMenuItemTitled(KELMainMenu::kMenuApplication, QStringLiteral("Export Tallomer\u2026"));
        waitForWholeStore();
        return target;
    }

    // Chooses Import with the archive and answers Yes.
    void importFrom(const QString& archive)
    {
        ScopedFilePanelAnswerer panel([archive](const ZEVFilePanelRequest& r) {
            EXPECT_EQ(r.kind, ZEVFilePanelRequest::Kind::Open);
            return archive;
        });
        alertAnswer = 0;
        chooseMenuItemTitled(KELMainMenu::kMenuApplication, QStringLiteral("Import Tallomer\u2026"));
        waitForWholeStore();
        advance(0.1);
    }
};

TEST_F(WholeStoreE2E, AnExportImportedIntoANewHomeGivesBackTheStoreAtTheEndOfTheQuit)
{
    start();
    placeFile("one.txt");
    const Rows before = sql(database(), kAllLinks);
    ASSERT_FALSE(before.empty());

    QDir().mkpath(home + "/Exports");
    const QString archive = exportTo(home + "/Exports/all.zip");
    EXPECT_TRUE(stops.empty()) << "an export does not quit";
    QByteArray out;
    ASSERT_EQ(runTool("unzip", {"-t", archive}, &out), 0) << out.toStdString();
    const QString unpacked = q(test::makeTempDir("unpacked"));
    ASSERT_EQ(runTool("unzip", {"-q", archive, "-d", unpacked}, &out), 0) << out.toStdString();
    EXPECT_FALSE(QFileInfo::exists(unpacked + "/zev.sqlite-wal")) << "a snapshot, not the live file and its log";
    EXPECT_FALSE(QFileInfo::exists(unpacked + "/.lock"));
    EXPECT_EQ(sql(unpacked + "/zev.sqlite", kAllLinks).rows, before.rows);
    EXPECT_EQ(tree(unpacked), tree(storeFolder()));
    quit();

    newHome();
    start();
    EXPECT_TRUE(placedObjectsOfType("file").empty());
    // The first program's own quit is not this one's.
    stops.clear();
    importFrom(archive);
    ASSERT_EQ(stops.size(), 1u) << "a good archive quits the program";
    ASSERT_FALSE(alerts.empty());
    EXPECT_EQ(alerts.back().message, "Import successfull");
    graph.reset();
    EXPECT_FALSE(QFileInfo::exists(importFolder()));
    EXPECT_EQ(tree(storeFolder()), tree(unpacked));
    EXPECT_EQ(sql(database(), kAllLinks).rows, before.rows);
    // The store it replaced waits aside until the imported one has opened.
    EXPECT_TRUE(QFileInfo(previousFolder() + "/zev.sqlite").isFile());

    // And the next start shows the imported Objects; then nothing is kept aside any more.
    stops.clear();
    alerts.clear();
    start();
    const Rows files = placedObjectsOfType("file");
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files.at(0, 1), "one.txt");
    EXPECT_FALSE(QFileInfo::exists(previousFolder()));
    EXPECT_TRUE(alerts.empty());
}

TEST_F(WholeStoreE2E, ARefusedArchiveIsNamedInAnAlertAndLeavesTheStoreAsItWas)
{
    start();
    placeFile("one.txt");
    // A link base of a newer version than this program reads.
    const QString newer = baseZip("newer.zip", "c.execute('CREATE TABLE SETTINGS (NAME, VALUE)')\n"
                                               "c.execute(\"INSERT INTO SETTINGS VALUES ('dbVersion', 4)\")",
                                  false);
    const std::vector<std::pair<QString, QString>> cases = {
        {writeFile(work + "/garbage.zip", QByteArray(4096, 'x')), "not a zip archive"},
        {pythonZip("escape.zip", "z = zipfile.ZipFile(path, 'w'); z.writestr('../x', 'x'); z.close()"), "leads outside"},
        {pythonZip("nobase.zip", "z = zipfile.ZipFile(path, 'w'); z.writestr('local/a', 'a'); z.close()"),
         "no link base"},
        {pythonZip("damaged.zip", "z = zipfile.ZipFile(path, 'w'); z.writestr('zev.sqlite', 'not a database'); z.close()"),
         "link base"},
        {newer, "version 4"},
        // A start could not make its folders where the archive put files.
        {pythonZip("folders.zip", "z = zipfile.ZipFile(path, 'w'); z.write(template, 'zev.sqlite')\n"
                                  "z.writestr('local/zevData', 'x'); z.close()"),
         "local/zevData is a file where a folder goes"},
        // Nor lock it.
        {pythonZip("lock.zip", "z = zipfile.ZipFile(path, 'w'); z.write(template, 'zev.sqlite')\n"
                               "z.writestr('.lock/x', 'x'); z.close()"),
         "its lock file .lock is no plain file"},
        // A path no folder of it could be removed by, nor the store exported again.
        {pythonZip("deep.zip", "z = zipfile.ZipFile(path, 'w'); z.write(template, 'zev.sqlite')\n"
                               "z.writestr('local/' + '/'.join(['d'] * 2100), 'x'); z.close()"),
         "too long to be unpacked"},
    };
    expectRefused(cases, storeFolder() + "/local");
    EXPECT_FALSE(QFileInfo::exists(work + "/x"));
    EXPECT_EQ(app()->appTerminate(), 0);

    // An export into the store itself is refused as well, and writes nothing.
    alerts.clear();
    exportTo(storeFolder() + "/inside.zip");
    ASSERT_FALSE(alerts.empty());
    EXPECT_TRUE(alerts.back().message.contains("cannot be saved there"));
    EXPECT_FALSE(QFileInfo::exists(storeFolder() + "/inside.zip"));

    // An export that cannot be written says so and leaves nothing behind.
    alerts.clear();
    // (a file stands where its folder should be).
    exportTo(home + "/one.txt/all.zip");
    ASSERT_FALSE(alerts.empty());
    EXPECT_EQ(alerts.back().message, "The export failed.");
    EXPECT_EQ(readAll(home + "/one.txt"), "one.txt");
}

TEST_F(WholeStoreE2E, AnImportWhoseFolderCannotTakeTheStoresPlaceKeepsTheStore)
{
    start();
    placeFile("one.txt");
    QDir().mkpath(home + "/Exports");
    const QString archive = exportTo(home + "/Exports/all.zip");
    placeFile("two.txt");
    // No exchange on this file system, and the unpacked folder cannot be renamed.
    const QByteArray incoming = QFile::encodeName(importFolder());
    app()->wholeStore().setRename([incoming](const QByteArray& from, const QByteArray& to, unsigned flags) {
        if (flags == RENAME_EXCHANGE || from == incoming) {
            errno = flags == RENAME_EXCHANGE ? EINVAL : EIO;
            return -1;
        }
        return systemRename()(from, to, flags);
    });
    importFrom(archive);
    ASSERT_EQ(stops.size(), 1u);
    ASSERT_FALSE(alerts.empty());
    EXPECT_EQ(alerts.back().message, "The import could not be completed.");
    graph.reset();
    EXPECT_FALSE(QFileInfo::exists(importFolder()));
    EXPECT_EQ(QDir(home + "/.local/share").entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"Tallomer"});
    const Rows files = placedObjectsOfType("file");
    ASSERT_EQ(files.size(), 2u) << "the store as it was at the quit, not the archive";
    EXPECT_EQ(files.at(1, 1), "two.txt");
}

// Link bases that a start could not go on with: each refused before anything is swapped, the
// reason in the alert, the store as it was.
TEST_F(WholeStoreE2E, AnImportedLinkBaseMustPassTheChecksOfAStart)
{
    start();
    placeFile("one.txt");
    // The template itself, then changed as each case says.
    const std::vector<std::pair<QString, QString>> cases = {
        // Nothing but the version: the old check read only that and quick_check.
        {baseZip("settings-only.zip", "c.execute('CREATE TABLE SETTINGS (NAME, VALUE)')\n"
                                      "c.execute(\"INSERT INTO SETTINGS VALUES ('dbVersion', 3)\")",
                 false),
         "no table ZEVLETS"},
        {baseZip("no-timeline.zip", "c.execute('DELETE FROM ZEVLETS WHERE ZEVLET_ID = 270')"), "link 270"},
        {baseZip("no-root.zip", "c.execute('DELETE FROM ZEVLETS WHERE ZEVLET_ID = 2000001')"), "link 2000001"},
        {baseZip("not-a-cursor.zip", "c.execute(\"UPDATE ZEVLETS SET CLASS = 'KELI' WHERE ZEVLET_ID = 270\")"),
         "'KELICurseur'"},
        {baseZip("no-words.zip", "c.execute('ALTER TABLE WORD RENAME TO W')"), "no table WORD"},
        // An index that disagrees with its table passes quick_check, not the full check.
        {baseZip("index.zip", "c.execute('PRAGMA writable_schema=ON')\n"
                               "c.execute(\"UPDATE sqlite_master SET sql = 'CREATE INDEX WordIndex ON WORD(ZEVLET_ID)' "
                               "WHERE name = 'WordIndex'\")"),
         "damaged"},
    };
    expectRefused(cases, storeFolder());
    EXPECT_FALSE(QFileInfo::exists(previousFolder()));
}

// A store that was swapped in but cannot be opened at the next start: the one it replaced comes
// back, whether the start's own check of the file finds the fault or only the link base's open.
TEST_F(WholeStoreE2E, AStartThatCannotOpenTheImportedStorePutsThePreviousOneBack)
{
    ASSERT_NO_FATAL_FAILURE(swapInAnArchiveOfOneFile());
    // The imported link base loses its links table after the swap.
    QByteArray out;
    ASSERT_EQ(runTool("python3", {"-c", "import sqlite3, sys\nc = sqlite3.connect(sys.argv[1])\n"
                                        "c.execute('DROP TABLE ZEVLETS'); c.commit()",
                                  database()},
                      &out),
              0)
        << out.toStdString();

    stops.clear();
    alerts.clear();
    start();
    ASSERT_FALSE(alerts.empty());
    EXPECT_EQ(alerts.front().message, "The imported Tallomer cannot be opened.");
    EXPECT_TRUE(alerts.front().informative.contains("no table ZEVLETS")) << alerts.front().informative.toStdString();
    EXPECT_TRUE(alerts.front().informative.contains("previous Tallomer was put back"));
    EXPECT_FALSE(QFileInfo::exists(previousFolder()));
    Rows files = placedObjectsOfType("file");
    ASSERT_EQ(files.size(), 2u) << "the store as it was before the import";
    EXPECT_EQ(files.at(1, 1), "two.txt");
    EXPECT_TRUE(window()->isVisible());
    quit();

    // A link base of version 2 whose upgrade cannot run (its rows are there already) passes the
    // checks of the file; only the link base's open refuses it.
    start();
    importFrom(baseZip("old.zip", "c.execute(\"UPDATE SETTINGS SET VALUE = 2 WHERE NAME = 'dbVersion'\")"));
    ASSERT_EQ(stops.size(), 2u);
    EXPECT_EQ(alerts.back().message, "Import successfull");
    graph.reset();
    alerts.clear();
    startUntilItStops();
    ASSERT_FALSE(status) << "the start ends once the link base is opened, not before";
    ASSERT_EQ(stops.size(), 3u) << "the start ends";
    ASSERT_FALSE(alerts.empty());
    EXPECT_EQ(alerts.back().message, "The imported Tallomer cannot be opened.");
    EXPECT_TRUE(alerts.back().informative.contains("upgraded")) << alerts.back().informative.toStdString();
    EXPECT_TRUE(alerts.back().informative.contains("Start Tallomer again"));
    graph.reset();
    EXPECT_FALSE(QFileInfo::exists(previousFolder()));
    alerts.clear();
    start();
    EXPECT_TRUE(alerts.empty());
    files = placedObjectsOfType("file");
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files.at(1, 1), "two.txt");
}

// A store swapped in whose folders the start cannot make: the one it replaced comes back and the
// user is told, instead of every later start ending without a word.
TEST_F(WholeStoreE2E, AStartThatCannotMakeTheImportedStoresFoldersPutsThePreviousOneBack)
{
    ASSERT_NO_FATAL_FAILURE(swapInAnArchiveOfOneFile());
    // A file takes the place of a folder of the imported store.
    ASSERT_TRUE(QDir(storeFolder() + "/local/zevDrop").removeRecursively());
    writeFile(storeFolder() + "/local/zevDrop", "x");

    stops.clear();
    alerts.clear();
    start();
    ASSERT_FALSE(alerts.empty());
    EXPECT_EQ(alerts.front().message, "The imported Tallomer cannot be opened.");
    EXPECT_TRUE(alerts.front().informative.contains("local/zevDrop is a file where a folder goes"))
        << alerts.front().informative.toStdString();
    EXPECT_TRUE(alerts.front().informative.contains("previous Tallomer was put back"));
    EXPECT_FALSE(QFileInfo::exists(previousFolder()));
    const Rows files = placedObjectsOfType("file");
    ASSERT_EQ(files.size(), 2u) << "the store as it was before the import";
    EXPECT_EQ(files.at(1, 1), "two.txt");
    EXPECT_TRUE(QFileInfo(storeFolder() + "/local/zevDrop").isDir());
}

// The quit an import or an uninstall waits for is cancelled (at the question about an unsaved
// KeyTime document): the action is given up and said so, and a later quit keeps the store with
// what was done meanwhile.
TEST_F(WholeStoreE2E, AQuitCancelledAtAnUnsavedDocumentGivesUpTheImportOrUninstallAndSaysSo)
{
    startWithTheBar();
    placeFile("one.txt");
    QDir().mkpath(home + "/Exports");
    const QString archive = exportTo(home + "/Exports/all.zip");
    // A KeyTime document with a step not saved yet.
    chooseMenuItem(KELMainMenu::kMenuFile, 1);
    ZEVKeyWindowController* keyWindow = app()->keyTime().windowFor(app()->keyTime().currentDocument());
    ASSERT_NE(keyWindow, nullptr);
    click(keyWindow->addButton());
    // Yes to the import; Cancel to the question about the document.
    int documentAnswer = 2;
    ScopedAlertAnswerer answers([this, &documentAnswer](const ZEVAlertRequest& r) {
        alerts.push_back(r);
        return r.buttons.contains(QStringLiteral("Don\u2019t Save")) ? documentAnswer : 0;
    });
    alerts.clear();
    {
        ScopedFilePanelAnswerer panel([archive](const ZEVFilePanelRequest&) { return archive; });
        chooseMenuItemTitled(KELMainMenu::kMenuApplication, QStringLiteral("Import Tallomer\u2026"));
        waitForWholeStore();
        advance(0.1);
    }
    EXPECT_TRUE(stops.empty());
    ASSERT_FALSE(alerts.empty());
    EXPECT_EQ(alerts.back().message, "The import was cancelled.");
    EXPECT_TRUE(alerts.back().informative.contains("all.zip was not imported")) << alerts.back().informative.toStdString();
    EXPECT_EQ(app()->appTerminate(), 0);
    EXPECT_FALSE(QFileInfo::exists(importFolder()));

    // The same for an uninstall.
    alerts.clear();
    whenUninstallPanelShows([](ZEVUninstallPanel* panel) {
        if (panel->itemsCheckBox()->isChecked())
            panel->itemsCheckBox()->click();
        panel->uninstallButton()->click();
    });
    chooseMenuItemTitled(KELMainMenu::kMenuApplication, QStringLiteral("Uninstall Tallomer\u2026"));
    advance(0.1);
    EXPECT_TRUE(stops.empty());
    ASSERT_FALSE(alerts.empty());
    EXPECT_EQ(alerts.back().message, "The uninstall was cancelled.");
    EXPECT_EQ(app()->appTerminate(), 0);

    // Work goes on; the next quit (Don't Save) keeps it, and the store.
    placeFile("two.txt");
    documentAnswer = 1;
    quit();
    EXPECT_TRUE(QFileInfo(database()).isFile());
    EXPECT_FALSE(QFileInfo::exists(previousFolder()));
    const Rows files = placedObjectsOfType("file");
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files.at(1, 1), "two.txt");
}

// Links that lead out of the store only once other links are followed, and the other ways an
// entry could reach outside: each archive refused, nothing placed outside, the store as it was.
TEST_F(WholeStoreE2E, NoArchiveEntryReachesOutsideTheStore)
{
    start();
    placeFile("one.txt");
    writeFile(home + "/private.txt", "private");
    // With the template as its link base, so that only the links can refuse it.
    auto withLinks = [&](const QString& name, const QString& body) {
        return pythonZip(name, "z = zipfile.ZipFile(path, 'w'); z.write(template, 'zev.sqlite')\n" + body +
                                   "\nz.close()");
    };
    // a/…/j/s leads to a/b/c/d/e/f; nine ".." from there climb three folders above the store, to
    // the home, while as written they stay inside.
    const QString chain = withLinks("chain.zip", "link(z, 'a/b/c/d/e/f/g/h/i/j/s', '../../../..')\n"
                                                 "link(z, 'local/passwd', '../a/b/c/d/e/f/g/h/i/j/s/' + '../' * 9 + "
                                                 "'private.txt')");
    const std::vector<std::pair<QString, QString>> cases = {
        {chain, "leads outside"},
        // The link it goes through comes after it: only the whole tree tells.
        {withLinks("later.zip", "link(z, 'x', 'd/e/y/../../../private.txt')\nz.writestr('d/e/keep', 'k')\n"
                                "link(z, 'd/e/y', '../..')"),
         "leads outside"},
        {withLinks("absolute.zip", "link(z, 'local/abs', '/etc/passwd')"), "leads outside"},
        {withLinks("through.zip", "link(z, 'in', 'local')\nz.writestr('local/keep', 'k')\nz.writestr('in/x', 'x')"),
         "behind the link in"},
        {withLinks("dotdot.zip", "z.writestr('local/../../x', 'x')"), "leads outside"},
    };
    expectRefused(cases, storeFolder());
    EXPECT_EQ(readAll(home + "/private.txt"), "private");
    EXPECT_FALSE(QFileInfo::exists(home + "/.local/x"));

    // Links that stay inside once followed are kept as they are.
    importFrom(withLinks("inside.zip", "z.writestr('local/a/b/f.txt', 'f')\nlink(z, 'local/s', 'a/b')\n"
                                       "link(z, 'local/t', 's/../b/f.txt')"));
    ASSERT_EQ(stops.size(), 1u) << (alerts.empty() ? std::string() : alerts.back().informative.toStdString());
    graph.reset();
    EXPECT_EQ(readAll(storeFolder() + "/local/t"), "f");
}

TEST_F(WholeStoreE2E, UninstallMovesTheStoredFilesLeavesLinksAndRemovesExactlyWhatIsTallomers)
{
    start();
    placeFile("one.txt");
    const QString drop = storeFolder() + "/local/zevDrop/2000018";
    writeFile(drop + "/900000001/report.pdf", "first");
    writeFile(drop + "/900000002/report.pdf", "second");
    writeFile(drop + "/900000003/README", "no extension");
    writeFile(drop + "/900000004/README", "no extension either");
    writeFile(drop + "/900000005/page.html", "<html/>");
    const QString ours = QUrl::fromLocalFile(home + "/Tallomer").toEncoded();
    const QString bookmarks = GtkBookmarks::bookmarksPath();
    writeFile(bookmarks, ours.toUtf8() + "\nfile:///srv/projects Projects\n");
    writeFile(home + "/.cache/Tallomer/thumb", "t");
    const QString saved = home + "/Saved";
    QDir().mkpath(saved);

    ZEVUninstallPanel* seen = nullptr;
    QString label;
    whenUninstallPanelShows([&](ZEVUninstallPanel* panel) {
        seen = panel;
        label = seen->itemsLabel()->isVisible() ? seen->itemsLabel()->text() : QString();
        QTest::mouseClick(seen->prefCheckBox(), Qt::LeftButton, {}, QPoint(4, seen->prefCheckBox()->height() / 2));
        QTest::mouseClick(seen->uninstallButton(), Qt::LeftButton);
    });
    {
        ScopedFilePanelAnswerer panel([&](const ZEVFilePanelRequest& r) {
            EXPECT_EQ(r.kind, ZEVFilePanelRequest::Kind::Folder);
            EXPECT_EQ(r.message, "Select the folder where Objects must be moved and Alias must be created");
            return saved;
        });
        chooseMenuItemTitled(KELMainMenu::kMenuApplication, QStringLiteral("Uninstall Tallomer\u2026"));
    }
    ASSERT_NE(seen, nullptr) << "the uninstall dialog did not show";
    EXPECT_EQ(label, "(4 files)") << "the html page stays and is not counted";
    advance(0.1);
    ASSERT_EQ(stops.size(), 1u) << "the uninstall quits";
    graph.reset();

    const QString objects = saved + "/Tallomer Objects/2000018";
    EXPECT_EQ(readAll(objects + "/report.pdf") + readAll(objects + "/report (1).pdf"), "firstsecond");
    EXPECT_EQ(readAll(objects + "/README") + readAll(objects + "/README (1)."), "no extensionno extension either");
    EXPECT_FALSE(QFileInfo::exists(objects + "/page.html")) << "web pages stay with the store";
    // The first Space's wallpapers are kept in its own store since the first start: they are
    // saved with the Objects, and their aliases name the saved copies.
    EXPECT_TRUE(QFileInfo::exists(objects + "/zevWallpaperNew.pdf"));
    EXPECT_TRUE(QFileInfo::exists(objects + "/zevWallpaperGrey.pdf"));
    QStringList alias = QDir(saved + "/Tallomer Alias").entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);
    for (const char* wallpaper : {" zevWallpaperGrey.pdf", " zevWallpaperNew.pdf"}) {
        const auto at = std::find_if(alias.begin(), alias.end(), [&](const QString& a) { return a.endsWith(wallpaper); });
        ASSERT_NE(at, alias.end()) << wallpaper;
        EXPECT_EQ(QFileInfo(saved + "/Tallomer Alias/" + *at).symLinkTarget(), objects + "/" + QString(wallpaper).trimmed());
        alias.erase(at);
    }
    ASSERT_EQ(alias.size(), 1) << alias.join(", ").toStdString();
    EXPECT_TRUE(alias.first().endsWith(" one.txt"));
    EXPECT_EQ(QFileInfo(saved + "/Tallomer Alias/" + alias.first()).symLinkTarget(), home + "/one.txt");

    EXPECT_FALSE(QFileInfo::exists(storeFolder()));
    EXPECT_FALSE(QFileInfo::exists(home + "/Tallomer"));
    EXPECT_FALSE(QFileInfo::exists(home + "/.config/Tallomer"));
    EXPECT_FALSE(QFileInfo::exists(home + "/.cache/Tallomer"));
    EXPECT_EQ(readAll(bookmarks), "file:///srv/projects Projects\n");
    EXPECT_EQ(readAll(home + "/one.txt"), "one.txt") << "the user's own files stay";
    EXPECT_TRUE(QFileInfo::exists(home + "/.local/share"));
}

TEST_F(WholeStoreE2E, UninstallKeepsADropFolderWithFilesInItAndSaysSo)
{
    start();
    writeFile(home + "/Tallomer/mine.txt", "mine");
    whenUninstallPanelShows([](ZEVUninstallPanel* panel) {
        if (panel->itemsCheckBox()->isChecked())
            panel->itemsCheckBox()->click();
        panel->uninstallButton()->click();
    });
    ScopedFilePanelAnswerer panel([](const ZEVFilePanelRequest&) {
        ADD_FAILURE() << "no folder is asked for when nothing is moved";
        return QString();
    });
    chooseMenuItemTitled(KELMainMenu::kMenuApplication, QStringLiteral("Uninstall Tallomer\u2026"));
    advance(0.1);
    ASSERT_EQ(stops.size(), 1u);
    graph.reset();
    EXPECT_FALSE(QFileInfo::exists(storeFolder()));
    EXPECT_EQ(readAll(home + "/Tallomer/mine.txt"), "mine");
    ASSERT_FALSE(alerts.empty());
    EXPECT_EQ(alerts.back().message, "Uninstall Tallomer");
    EXPECT_TRUE(alerts.back().informative.contains("not empty"));
    EXPECT_TRUE(QFileInfo::exists(home + "/.config/Tallomer")) << "the preferences stay unless asked";
}

// The copy of the link base for an archive meets the file locked for a moment by a writer (the
// program's own connection, or its merging thread): it waits, then holds the written rows.
TEST(WholeStoreCopy, ALinkBaseLockedForAMomentIsCopiedOnceItIsFree)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString base = dir.filePath(QStringLiteral("base.sqlite"));
    const QString copie = dir.filePath(QStringLiteral("copie.sqlite"));
    sqlite3* ecrivain = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(base).constData(), &ecrivain), SQLITE_OK);
    // Without the log, a writer's lock keeps readers out: the copy meets it for sure.
    ASSERT_EQ(sqlite3_exec(ecrivain, "CREATE TABLE T (V); BEGIN EXCLUSIVE; INSERT INTO T VALUES (1);", nullptr,
                           nullptr, nullptr),
              SQLITE_OK);
    std::mutex m;
    std::condition_variable cv;
    bool partie = false;
    tallomer::FileResult copiee = tallomer::FileResult::failure(QStringLiteral("not run"));
    std::thread copieur([&] {
        {
            const std::lock_guard<std::mutex> verrou(m);
            partie = true;
        }
        cv.notify_one();
        copiee = tallomer::KELWholeStore::snapshotDatabase(base, copie);
    });
    {
        std::unique_lock<std::mutex> verrou(m);
        cv.wait(verrou, [&] { return partie; });
    }
    EXPECT_EQ(sqlite3_exec(ecrivain, "COMMIT;", nullptr, nullptr, nullptr), SQLITE_OK);
    copieur.join();
    sqlite3_close(ecrivain);
    ASSERT_TRUE(copiee) << copiee.error.toStdString();
    sqlite3* lu = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(copie).constData(), &lu), SQLITE_OK);
    sqlite3_stmt* st = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(lu, "SELECT COUNT(*) FROM T;", -1, &st, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(st, 0), 1);
    sqlite3_finalize(st);
    sqlite3_close(lu);
}

} // namespace
} // namespace e2e
