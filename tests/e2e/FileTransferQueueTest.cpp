// The file transfer queue in the running program: the first start keeps the wallpapers of the
// first Space in the Space's own store; Move To… a folder on another file system moves the file and
// the record follows; onto a full one the Object is marked in error and its file stays; Copy To
// Space into a store folder that cannot be made is told; what a crash left of a job is cleared at
// the next start.

#include "tests/e2e/E2EFixture.h"
#include "tests/e2e/FullLinkBase.h"
#include "space/ZEVConstants.h"

#include "app/menu/KELMainMenu.h"
#include "app/widgets/ZEVFilePanel.h"

#include "desk/data/ZEVItemData.h"
#include "desk/model/ZEVItemClass.h"
#include "desk/model/ZEVItemOptions.h"
#include "engine/KELServeurDeLiens.h"
#include "front/ZEVFrontViewer.h"
#include "inspectors/ZEVFrontClass.h"
#include "inspectors/ZEVTransferQueue.h"
#include "inspectors/table/ZEVTableView.h"
#include "objects/view/ZEVItemView.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "platform/sound/Sound.h"
#include "tests/support/LocalHttpServer.h"
#include "tests/support/RefusedFolder.h"
#include "tests/support/SecondFileSystem.h"

#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QMimeData>
#include <QCryptographicHash>
#include <QMenu>
#include <QTest>

namespace e2e {
namespace {

// Before any thread exists.
const bool kSecondFileSystem = test::SecondFileSystem::prepare();

QByteArray checksum(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash h(QCryptographicHash::Sha256);
    h.addData(&f);
    return h.result();
}

class FileTransferQueue : public E2EWithSound<RecordingSound> {
protected:
    // Every job done and its result taken on the main thread, with the delayed writes after it.
    void settle()
    {
        for (int i = 0; i < 3; ++i) {
            ZEVTransferQueue::shared().waitForDone();
            pump();
            advance(0.5);
        }
    }
    std::string objectTitled(const std::string& title) const
    {
        const Rows r = sql(database(), "SELECT n.PARENT_ZEVLET FROM ZEVLETS n JOIN WORD w ON w.ZEVLET_ID = "
                                       "n.CHILD_ZEVLET WHERE n.RELATION = 1000217 AND w.WORD = '" + title + "'");
        return r.empty() ? std::string() : r.at(0, 0);
    }
    std::int64_t base(KELId id) const
    {
        const Rows r = sql(database(), "SELECT BASE FROM ZEVLETS WHERE ZEVLET_ID = " + std::to_string(id));
        return r.empty() ? -1 : std::stoll(r.at(0, 0));
    }
    ZEVFrontClass* frontClass() const
    {
        auto* f = dynamic_cast<ZEVFrontViewer*>(space()->frontViewer());
        return f ? f->frontClass() : nullptr;
    }
    // A file of that size handed to the program as a second start does; its Object.
    KELI* fileObject(const QString& name, qint64 size)
    {
        const QString path = home + "/" + name;
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(int(size), 'z'));
        f.close();
        EXPECT_EQ(secondStart({path}), 0);
        for (ZEVItemViewForDesks* v : nowDesk()->itemViewSet())
            if (v->item() && v->itemTitle() == name)
                return v->item();
        ADD_FAILURE() << name.toStdString() << " has no icon";
        return nullptr;
    }
    // A web page's address pasted on the desk: its Object, once the page is downloaded.
    KELI* pastedWebObject(const QUrl& address)
    {
        auto link = std::make_unique<QMimeData>();
        link->setText(address.toString());
        QGuiApplication::clipboard()->setMimeData(link.release());
        QCursor::setPos(canvas()->mapToGlobal(QPoint(400, 300)));
        key(Qt::Key_V, Qt::ControlModifier);
        advance(1.5);
        settle();
        KELI* web = nullptr;
        for (ZEVItemViewForDesks* v : nowDesk()->itemViewSet())
            if (v->itemType() == QStringLiteral("http"))
                web = v->item();
        if (!web) {
            ADD_FAILURE() << "the pasted address has no icon";
            return nullptr;
        }
        // The page arrives from the server in its own time, not on the virtual clock.
        EXPECT_TRUE(pumpUntil([&] { return !ZEVItemData::Current().fileUrlForItem(web).isEmpty(); }))
            << "the page's download";
        settle();
        return web;
    }
    // The folder panel, when it shows next, is answered with `folder`; *title gets its title.
    void answerPanelWith(const QString& folder, QString* title)
    {
        panelFolder = folder;
        panelTitle = title;
    }
    QString panelFolder;
    QString* panelTitle = nullptr;
    QString panelMessage;
    QString panelStart;
    ScopedFilePanelAnswerer panel{[this](const ZEVFilePanelRequest& r) {
        EXPECT_EQ(r.kind, ZEVFilePanelRequest::Kind::Folder);
        if (panelTitle)
            *panelTitle = r.title;
        panelMessage = r.message;
        panelStart = r.directory;
        return std::exchange(panelFolder, QString());
    }};
};

TEST_F(FileTransferQueue, TheFirstStartCopiesTheWallpapersIntoTheSpaceAndTheirRecordsNameTheCopies)
{
    start();
    settle();
    for (const char* title : {"Space 0", "Space 1"}) {
        const std::string id = objectTitled(title);
        ASSERT_FALSE(id.empty()) << title;
        KELI* item = KELServeurDeLiens::LienForInt(std::stoull(id), nullptr);
        ZEVItemData& data = ZEVItemData::Current();
        const QString recorded = data.recordedFilePathForItem(item);
        EXPECT_TRUE(recorded.startsWith(data.itemDropFolder(item->idInt()) + "/")) << recorded.toStdString();
        EXPECT_TRUE(recorded.contains("/zevDrop/")) << recorded.toStdString();
        const QString original = storeFolder() + "/" + QFileInfo(recorded).fileName();
        EXPECT_TRUE(QFileInfo::exists(recorded));
        if (QFileInfo::exists(original)) {
            EXPECT_EQ(checksum(recorded), checksum(original)) << "the copy is whole";
        }
        EXPECT_EQ(base(item->idInt()) & ZEVOPTION_COPYING, 0) << title;
        EXPECT_FALSE(QDir(data.itemDropFolder(item->idInt())).entryList(QDir::Hidden | QDir::Files).join(' ').contains(
            kTransferTempPrefix));
    }
}

TEST_F(FileTransferQueue, MoveToAnotherFileSystemMovesTheFileAndTheRecordAndAFullOneMarksTheError)
{
    if (!kSecondFileSystem)
        GTEST_SKIP() << test::SecondFileSystem::why().toStdString();
    start();
    settle();
    KELI* item = fileObject("report.txt", 4000);
    ASSERT_NE(item, nullptr);
    settle();
    ZEVItemData& data = ZEVItemData::Current();
    const QString source = data.fileUrlForItem(item);
    ASSERT_TRUE(QFileInfo::exists(source));
    const QString folder = QDir(test::SecondFileSystem::big()).filePath("e2e-" + QString::number(item->idInt()));
    QDir().mkpath(folder);

    QString title;
    answerPanelWith(folder, &title);
    frontClass()->moveToForItems({item});
    settle();
    EXPECT_EQ(title, "Move \"report\" to\u2026");
    EXPECT_EQ(panelMessage, "Select the destination Folder\nActual location : " + source);
    EXPECT_EQ(panelStart, QFileInfo(source).absolutePath()) << "the panel opens where the selected Object's file lies";
    const QString moved = QDir(folder).filePath("report.txt");
    EXPECT_TRUE(QFileInfo::exists(moved));
    EXPECT_FALSE(QFileInfo::exists(source)) << "the source goes once the record names the copy";
    EXPECT_EQ(data.recordedFilePathForItem(item), moved);
    EXPECT_EQ(base(item->idInt()) & (ZEVOPTION_MOVING | ZEVOPTION_ERROR), 0);

    // Onto a file system without room: the error mark, and the file stays where it is.
    if (test::SecondFileSystem::full().isEmpty())
        GTEST_SKIP() << "no full file system could be made";
    KELI* big = fileObject("large.bin", 2 * 1024 * 1024);
    ASSERT_NE(big, nullptr);
    settle();
    const QString bigSource = data.fileUrlForItem(big);
    answerPanelWith(test::SecondFileSystem::full(), &title);
    frontClass()->moveToForItems({big});
    settle();
    EXPECT_NE(base(big->idInt()) & ZEVOPTION_ERROR, 0) << "the Object carries the error";
    EXPECT_EQ(base(big->idInt()) & ZEVOPTION_MOVING, 0);
    EXPECT_TRUE(QFileInfo::exists(bigSource));
    EXPECT_EQ(data.recordedFilePathForItem(big), bigSource);
    EXPECT_TRUE(QDir(test::SecondFileSystem::full()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
}

TEST_F(FileTransferQueue, ARowsHandleMoveToMovesThatRowsFileOntoAnotherFileSystem)
{
    if (!kSecondFileSystem)
        GTEST_SKIP() << test::SecondFileSystem::why().toStdString();
    start();
    settle();
    KELI* kept = fileObject("kept.txt", 100);
    KELI* item = fileObject("notes.txt", 3000);
    ASSERT_TRUE(kept && item);
    settle();
    ZEVItemData& data = ZEVItemData::Current();
    const QString keptSource = data.fileUrlForItem(kept);
    const QString source = data.fileUrlForItem(item);
    const QString folder = QDir(test::SecondFileSystem::big()).filePath("rows-" + QString::number(item->idInt()));
    QDir().mkpath(folder);

    // Both selected, the tracks showing their rows; the menu of the notes row.
    key(Qt::Key_A, Qt::ControlModifier);
    pump();
    auto* front = dynamic_cast<ZEVFrontViewer*>(space()->frontViewer());
    front->userShowTracks();
    advance(1.0);
    ZEVTableView* list = front->selectionItemTableView();
    ASSERT_TRUE(list && list->isVisible());
    int row = -1;
    for (int r = 0; r < list->numberOfRows(); ++r)
        if (list->element(r) && list->element(r)->item == item)
            row = r;
    ASSERT_GE(row, 0);
    const QPoint at =
        list->visualRect(list->model()->index(row, ZEVFrontClass::itemColumns().indexOf("title"))).center();
    QTest::mouseMove(list->viewport(), at);
    QTest::mousePress(list->viewport(), Qt::RightButton, {}, at);
    QTest::mouseRelease(list->viewport(), Qt::RightButton, {}, at);
    auto* menu = shownPopupMenu();
    ASSERT_NE(menu, nullptr) << "the row menu pops up";
    QAction* handle = nullptr;
    for (QAction* a : menu->actions())
        if (a->menu() && a->text().startsWith("Handle"))
            handle = a;
    ASSERT_NE(handle, nullptr);
    QAction* moveTo = nullptr;
    for (QAction* a : handle->menu()->actions())
        if (a->text() == QStringLiteral("Move To\u2026"))
            moveTo = a;
    ASSERT_TRUE(moveTo && moveTo->isEnabled());

    QString title;
    answerPanelWith(folder, &title);
    // Into the submenu with the mouse, as a person goes: over Handle, then onto its item.
    QTest::mouseMove(menu, menu->actionGeometry(handle).center());
    menu->setActiveAction(handle);
    pump();
    QMenu* sub = handle->menu();
    ASSERT_TRUE(pumpUntil([sub] { return sub->isVisible(); })) << "the Handle submenu opens";
    QTest::mouseMove(sub, sub->actionGeometry(moveTo).center());
    QTest::mouseClick(sub, Qt::LeftButton, {}, sub->actionGeometry(moveTo).center());
    pump();
    settle();
    EXPECT_EQ(title, "Move \"notes\" to\u2026") << "the panel names the row's Object only";
    const QString moved = QDir(folder).filePath("notes.txt");
    EXPECT_TRUE(QFileInfo::exists(moved));
    EXPECT_FALSE(QFileInfo::exists(source));
    EXPECT_EQ(data.recordedFilePathForItem(item), moved) << "the record follows the file";
    EXPECT_EQ(data.recordedFilePathForItem(kept), keptSource) << "the other selected Object stays";
    EXPECT_TRUE(QFileInfo::exists(keptSource));
}

// Copy To Space from the Object menu's Handle submenu copies the file into the Object's own folder
// in the Space's store; when that folder cannot be made the user is told, and nothing is copied.
TEST_F(FileTransferQueue, CopyToSpaceWhoseFolderCannotBeMadeIsToldAndCopiesNothing)
{
    start();
    settle();
    KELI* item = fileObject("notes.txt", 100);
    ASSERT_NE(item, nullptr);
    settle();
    const QString drops = storeFolder() + "/local/zevDrop/2000018";
    const QString copy = drops + "/" + QString::number(item->idInt()) + "/notes.txt";
    key(Qt::Key_A, Qt::ControlModifier);
    pump();
    const auto copyToSpace = [this] {
        QMenu* object = openMenu(KELMainMenu::kMenuObject);
        ASSERT_NE(object, nullptr);
        QAction* handle = menuItemTagged(object, 4333);
        ASSERT_TRUE(handle && handle->menu());
        QTest::mouseMove(object, object->actionGeometry(handle).center());
        object->setActiveAction(handle);
        pump();
        QMenu* sub = handle->menu();
        ASSERT_TRUE(pumpUntil([sub] { return sub->isVisible(); })) << "the Handle submenu opens";
        chooseInMenu(sub, menuItemTagged(sub, 22));
        settle();
    };
    alerts.clear();
    {
        tallomer::test::RefusedFolder refused(drops);
        ASSERT_TRUE(refused.ok());
        copyToSpace();
        ASSERT_EQ(alerts.size(), 1u) << "Copy To Space did nothing without a word";
        EXPECT_EQ(alerts[0].message, QStringLiteral("Your changes could not be saved."));
        EXPECT_TRUE(alerts[0].informative.contains(QString::number(item->idInt())))
            << alerts[0].informative.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(copy));
    EXPECT_FALSE(siItemOption(item, ZEVOPTION_COPYING));

    copyToSpace();
    EXPECT_TRUE(QFileInfo::exists(copy));
    EXPECT_EQ(alerts.size(), 1u);
}

TEST_F(FileTransferQueue, ProgressShowsAboveTwentyMillionBytesAndTheSameFolderDoesNothing)
{
    start();
    settle();
    const QString folder = home + "/copies";
    QDir().mkpath(folder);
    for (const qint64 size : {qint64(20000000), qint64(20000001)}) {
        const QString name = QStringLiteral("sparse-%1.bin").arg(size);
        KELI* item = fileObject(name, 0);
        ASSERT_NE(item, nullptr);
        settle();
        const QString source = ZEVItemData::Current().fileUrlForItem(item);
        ASSERT_TRUE(QFile::resize(source, size)); // sparse
        QString title;
        answerPanelWith(folder, &title);
        frontClass()->copyToForItems({item});
        // The start step, before the job's result comes back.
        const bool large = size > ZEVFrontClass::kProgressBytes;
        EXPECT_EQ(graph->scheduler().isPending(frontClass(), "_copyingRun"), large) << size;
        ASSERT_NE(viewTitled(name), nullptr);
        EXPECT_EQ(viewTitled(name)->progressView() != nullptr, large) << size;
        EXPECT_NE(itemOptions(item) & ZEVOPTION_COPYING, 0u);
        settle();
        EXPECT_EQ(QFileInfo(QDir(folder).filePath(name)).size(), size);
        EXPECT_EQ(ZEVItemData::Current().recordedFilePathForItem(item), QDir(folder).filePath(name))
            << "the Object follows its copy";
        EXPECT_FALSE(graph->scheduler().isPending(frontClass(), "_copyingRun"));
        EXPECT_EQ(itemOptions(item) & ZEVOPTION_COPYING, 0u);
    }
    // Moving a file to the folder it lies in: no job, no mark.
    KELI* item = fileObject("stays.txt", 10);
    settle();
    const QString path = ZEVItemData::Current().fileUrlForItem(item);
    QString title;
    answerPanelWith(QFileInfo(path).absolutePath(), &title);
    frontClass()->moveToForItems({item});
    EXPECT_EQ(itemOptions(item) & ZEVOPTION_MOVING, 0u);
    EXPECT_EQ(ZEVTransferQueue::shared().running(), 0);
    settle();
    EXPECT_EQ(ZEVItemData::Current().fileUrlForItem(item), path);
}

TEST_F(FileTransferQueue, ACopyIntoAFolderHoldingItsNameKeepsEveryCharacterOfTheNameBesideTheNumber)
{
    start();
    settle();
    const QString folder = home + "/copies";
    writeFile(folder + "/50%1 off.txt", "the older one");
    KELI* item = fileObject("50%1 off.txt", 10);
    ASSERT_NE(item, nullptr);
    settle();
    QString title;
    answerPanelWith(folder, &title);
    frontClass()->copyToForItems({item});
    settle();
    const QString copy = folder + "/50%1 off_01.txt";
    EXPECT_EQ(QFileInfo(copy).size(), 10) << "the copy under the name with its own number";
    EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), 2);
    QFile older(folder + "/50%1 off.txt");
    ASSERT_TRUE(older.open(QIODevice::ReadOnly));
    EXPECT_EQ(older.readAll(), "the older one");
    EXPECT_EQ(ZEVItemData::Current().recordedFilePathForItem(item).toStdString(), copy.toStdString())
        << "the Object follows its copy";
}

TEST_F(FileTransferQueue, TheMasksTheFolderTestAndTheTypeDecideAndAJobFinishesInTheChannelItStartedIn)
{
    start();
    settle();
    KELI* item = fileObject("plain.txt", 100);
    ASSERT_NE(item, nullptr);
    settle();
    const ZEVItemOption options = itemOptions(item);
    struct Case {
        ZEVItemOption bit;
        bool move, copy, moveToSpace, copyToSpace;
    };
    for (const Case& c : {Case{0, true, true, true, true}, Case{ZEVOPTION_HOLD_BY_SYSTEM, false, true, false, true},
                          Case{ZEVOPTION_HOLD_BY_ZEV_FOLDER, true, true, true, false},
                          Case{ZEVOPTION_DOWNLOADING, false, false, false, false}}) {
        setItemOptions(item, (options & ~ZEVOPTION_HOLD_BY_ZEV_FOLDER) | c.bit);
        EXPECT_EQ(ZEVFrontClass::siMoveToForItem(item), c.move) << c.bit;
        EXPECT_EQ(ZEVFrontClass::siCopyToForItem(item), c.copy) << c.bit;
        EXPECT_EQ(ZEVFrontClass::siMoveToSpaceForItem(item), c.moveToSpace) << c.bit;
        // Finding the file sets the holder bits from its place again: set them anew.
        setItemOptions(item, (options & ~ZEVOPTION_HOLD_BY_ZEV_FOLDER) | c.bit);
        EXPECT_EQ(ZEVFrontClass::siCopyToSpaceForItem(item), c.copyToSpace) << c.bit;
    }
    setItemOptions(item, options);
    // The add panels open beside the Object's file, or in ~/Documents for one the store or a
    // cloud holds.
    EXPECT_EQ(frontClass()->openPanelFolderUrlWithItem(item), home);
    setItemOptions(item, options | ZEVOPTION_HOLD_BY_CLOUD);
    EXPECT_EQ(frontClass()->openPanelFolderUrlWithItem(item), home + "/Documents/");
    setItemOptions(item, options);

    // A folder goes to a folder, never into the Space.
    QDir().mkpath(home + "/album");
    ASSERT_EQ(secondStart({home + "/album"}), 0);
    settle();
    ASSERT_NE(viewTitled("album"), nullptr);
    KELI* album = viewTitled("album")->item();
    EXPECT_EQ(frontClass()->openPanelFolderUrlWithItem(album), home + "/album") << "a folder opens in itself";
    EXPECT_TRUE(ZEVFrontClass::siCopyToForItem(album));
    EXPECT_FALSE(ZEVFrontClass::siCopyToSpaceForItem(album));
    EXPECT_FALSE(ZEVFrontClass::siMoveToSpaceForItem(album));
    const int beeps = sound.beeps;
    frontClass()->moveToSpaceForItems({album});
    EXPECT_EQ(sound.beeps, beeps + 1) << "the Space forms beep at what they refuse";

    // An Object that is neither a file nor a web page is not moved, and keeps no mark.
    const QString path = ZEVItemData::Current().fileUrlForItem(item);
    ZEVItemClass* items = space()->itemViewerForCurseur(space()->nowCurseur())->itemClass();
    items->changeItem(item, "zevp");
    QString title;
    answerPanelWith(home + "/album", &title);
    frontClass()->moveToForItems({item});
    settle();
    EXPECT_EQ(sound.beeps, beeps + 2);
    EXPECT_EQ(itemOptions(item) & ZEVOPTION_MOVING, 0u);
    EXPECT_TRUE(QFileInfo::exists(path));
    items->changeItem(item, "file");

    // The Channel changes while the copy runs: the record of the Channel it started in follows.
    const KELId channel = ZEVItemData::Current().channelInt();
    const KELId other = channel + 1000;
    ASSERT_TRUE(ZEVItemDataChannels::CreateItemDataForChannelInt(other));
    answerPanelWith(home + "/album", &title);
    frontClass()->copyToForItems({item});
    ZEVItemDataChannels::SetCurrentChannelInt(other);
    settle();
    ZEVItemDataChannels::SetCurrentChannelInt(channel);
    EXPECT_EQ(ZEVItemDataChannels::ItemDataForChannelInt(channel)->recordedFilePathForItem(item),
              home + "/album/plain.txt");
    EXPECT_TRUE(ZEVItemDataChannels::ItemDataForChannelInt(other)->recordedFilePathForItem(item).isEmpty());
}

TEST_F(FileTransferQueue, QuitCutsACopyShortAndLeavesNoTemporaryAndNoMark)
{
    start();
    settle();
    KELI* item = fileObject("huge.bin", 0);
    ASSERT_NE(item, nullptr);
    settle();
    const KELId id = item->idInt();
    ASSERT_TRUE(QFile::resize(ZEVItemData::Current().fileUrlForItem(item), qint64(400) * 1024 * 1024));
    const QString folder = home + "/copies";
    QDir().mkpath(folder);
    QString title;
    answerPanelWith(folder, &title);
    frontClass()->copyToForItems({item});
    EXPECT_NE(itemOptions(item) & ZEVOPTION_COPYING, 0u);
    // The Quit command's entry point.
    app()->terminate(nullptr);
    ASSERT_EQ(stops.size(), 1u);
    graph.reset();
    // Cut short, or finished just before: never a temporary, never a mark left.
    for (const QString& name : QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
        EXPECT_FALSE(name.startsWith(kTransferTempPrefix)) << name.toStdString();
    EXPECT_EQ(base(id) & ZEVOPTION_COPYING, 0);
    EXPECT_TRUE(sql(database(), "SELECT * FROM TRANSFER_JOURNAL").empty());
}

TEST_F(FileTransferQueue, AWebObjectMovedBecomesAWeblocUnderAFreeNameAndOnlyItsOldFilesGo)
{
    start();
    settle();
    // The page comes from the test's own server: nothing leaves the machine.
    tallomer::test::LocalHttpServer server;
    server.route("/today", {"<html>today</html>", {{"Content-Type", "text/html"}}});
    KELI* web = pastedWebObject(server.url("/today"));
    ASSERT_NE(web, nullptr);
    ZEVItemData& data = ZEVItemData::Current();
    const QString page = data.fileUrlForItem(web);
    ASSERT_FALSE(page.isEmpty()) << "the page's download";
    const QString base = QFileInfo(page).completeBaseName();
    const QString folder = home + "/links";
    QDir().mkpath(folder);
    QFile taken(folder + "/" + base + ".webloc");
    ASSERT_TRUE(taken.open(QIODevice::WriteOnly));
    taken.write("mine");
    taken.close();

    QString title;
    answerPanelWith(folder, &title);
    frontClass()->moveToForItems({web});
    settle();
    const QString made = folder + "/" + base + "_01.webloc";
    QFile f(made);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << "a free name beside the one taken";
    EXPECT_TRUE(f.readAll().contains(server.url("/today").toString().toUtf8()));
    QFile mine(folder + "/" + base + ".webloc");
    ASSERT_TRUE(mine.open(QIODevice::ReadOnly));
    EXPECT_EQ(mine.readAll(), "mine") << "never overwritten";
    EXPECT_EQ(data.recordedFilePathForItem(web), made);
    EXPECT_FALSE(QFileInfo::exists(page)) << "the old download goes";
    EXPECT_EQ(itemOptions(web) & (ZEVOPTION_MOVING | ZEVOPTION_ERROR), 0u);
    ZEVItemView* view = nullptr;
    for (ZEVItemViewForDesks* v : nowDesk()->itemViewSet())
        if (v->item() == web)
            view = dynamic_cast<ZEVItemView*>(v);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->itemType(), "file");
}

// A web Object moved to a folder when the link base cannot take its new type: it stays the web
// page it was, with one type, its records and its download, and no location file is left in the
// folder; the user is told. Once there is room the same move makes it a file.
TEST_F(FileTransferQueue, AWebObjectMovedWhenItsTypeFindsNoRoomStaysAWebPageWithOneType)
{
    start();
    settle();
    alerts.clear();
    tallomer::test::LocalHttpServer server;
    server.route("/today", {"<html>today</html>", {{"Content-Type", "text/html"}}});
    KELI* web = pastedWebObject(server.url("/today"));
    ASSERT_NE(web, nullptr);
    ZEVItemData& data = ZEVItemData::Current();
    const QString page = data.fileUrlForItem(web);
    const QString webRecord = data.recordPath(web->idInt(), QStringLiteral("http"));
    ASSERT_TRUE(QFileInfo::exists(page) && QFileInfo::exists(webRecord));
    const auto types = [&] {
        return sql(database(), "SELECT w.WORD FROM ZEVLETS t JOIN WORD w ON w.ZEVLET_ID = t.CHILD_ZEVLET WHERE "
                               "t.RELATION = 1000222 AND t.PARENT_ZEVLET = " + web->idTxt());
    };
    const QString folder = home + "/links";
    QDir().mkpath(folder);
    const auto move = [&] {
        QString title;
        answerPanelWith(folder, &title);
        frontClass()->moveToForItems({web});
        settle();
    };
    const int beeps = sound.beeps;
    {
        FullLinkBase full(KELRELATION_ITEM_TYPE);
        move();
    }
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, QStringLiteral("Your changes could not be saved."));
    EXPECT_EQ(sound.beeps, beeps + 1);
    const Rows kept = types();
    ASSERT_EQ(kept.size(), 1u) << "the Object was left with no type, or two";
    EXPECT_EQ(kept.at(0, 0), "http");
    EXPECT_EQ(frontClass()->typeForItem(web), QStringLiteral("http")) << "in memory as in the store";
    EXPECT_TRUE(QDir(folder).isEmpty()) << "a location file of a move that did not happen";
    EXPECT_TRUE(QFileInfo::exists(webRecord));
    EXPECT_EQ(data.recordedFilePathForItem(web), page);
    EXPECT_TRUE(QFileInfo::exists(page));

    move();
    const Rows moved = types();
    ASSERT_EQ(moved.size(), 1u);
    EXPECT_EQ(moved.at(0, 0), "file");
    EXPECT_TRUE(data.recordedFilePathForItem(web).startsWith(folder + "/"));
    EXPECT_FALSE(QFileInfo::exists(webRecord));
    EXPECT_EQ(alerts.size(), 1u);
}

TEST_F(FileTransferQueue, WhatACrashLeftOfAJobIsClearedAtTheNextStart)
{
    start();
    settle();
    const std::string id = objectTitled("Space 1");
    ASSERT_FALSE(id.empty());
    quit();
    // A job cut short by a crash: its temporary, its journal row and its Object's moving mark.
    const QString temp = home + "/" + kTransferTempPrefix + "left";
    QFile f(temp);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("partial");
    f.close();
    const std::string statements =
        "CREATE TABLE IF NOT EXISTS TRANSFER_JOURNAL (TEMP_PATH TEXT PRIMARY KEY, ITEM_ID INTEGER, MARK INTEGER);"
        "INSERT INTO TRANSFER_JOURNAL VALUES ('" + temp.toStdString() + "', " + id + ", 16384);"
        "UPDATE ZEVLETS SET BASE = BASE | 16384 WHERE ZEVLET_ID = " + id + ";";
    ASSERT_EQ(execOnStore(database(), statements), SQLITE_OK);

    start();
    settle();
    EXPECT_FALSE(QFileInfo::exists(temp));
    EXPECT_EQ(base(std::stoull(id)) & ZEVOPTION_MOVING, 0);
    EXPECT_TRUE(sql(database(), "SELECT * FROM TRANSFER_JOURNAL").empty());
}

} // namespace
} // namespace e2e
