// Files and folders imported through the File menu's Import in the running program: each file the
// Channel does not know becomes one file Object with its record, present from its creation date
// for fourteen days; folders are walked, hidden entries and linked folders left out.

#include "tests/e2e/E2EFixture.h"
#include "tests/e2e/FullLinkBase.h"

#include "app/menu/KELMainMenu.h"
#include "app/space/KELSpaceAdd.h"
#include "desk/data/ZEVItemData.h"
#include "desk/viewer/ZEVCollectViewer.h"
#include "desk/viewer/ZEVDeskViewer.h"
#include "front/ZEVFrontPanels.h"
#include "space/ZEVSpaceWindow.h"
#include "engine/KELLien.h"
#include "services/ZEVItemViewForDesks.h"
#include "app/widgets/ZEVFilePanel.h"
#include "tests/support/ListeningSocket.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QTest>

#include <algorithm>

#include <sys/stat.h>

namespace e2e {
namespace {

class FileImportE2E : public E2E {
protected:
    void TearDown() override
    {
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
        E2E::TearDown();
    }

    void importPaths(const QStringList& paths)
    {
        ScopedFilePanelAnswerer panel([&](const ZEVFilePanelRequest& r) {
            EXPECT_EQ(r.kind, ZEVFilePanelRequest::Kind::FilesAndFolders);
            return paths.join('\n');
        });
        chooseMenuItemTitled(KELMainMenu::kMenuFile, QStringLiteral("Import\u2026"));
        advance(0.2);
    }

    // The file Objects' titles, in order of making.
    std::vector<std::string> fileTitles() const
    {
        std::vector<std::string> out;
        const Rows rows = placedObjectsOfType("file");
        for (std::size_t r = 0; r < rows.size(); ++r)
            out.push_back(rows.at(r, 1));
        return out;
    }
};

TEST_F(FileImportE2E, FilesAndFoldersBecomeObjectsOnceForFourteenDays)
{
    start();
    const QString base = home + "/chosen";
    const QString lone = writeFile(base + "/lone.txt", "a");
    writeFile(base + "/tree/one.txt", "1");
    writeFile(base + "/tree/deeper/two.pdf", "2");
    writeFile(base + "/tree/.hidden", "h");
    writeFile(base + "/tree/.secret/three.txt", "3");
    // A link back up would walk for ever if followed.
    ASSERT_TRUE(QFile::link(base + "/tree", base + "/tree/deeper/loop"));

    importPaths({lone, base + "/tree", lone});
    std::vector<std::string> titles = fileTitles();
    std::sort(titles.begin(), titles.end());
    EXPECT_EQ(titles, (std::vector<std::string>{"lone.txt", "one.txt", "two.pdf"}));

    // Each has its record and an icon from its creation date for fourteen days.
    const Rows rows = placedObjectsOfType("file");
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const Rows icons = iconLinks(rows.at(r, 0));
        ASSERT_EQ(icons.size(), 1u) << rows.at(r, 1);
        EXPECT_NEAR(std::stod(icons.at(0, 1)) - std::stod(icons.at(0, 0)), 1209600.0, 0.001);
        EXPECT_TRUE(QFile::exists(storeFolder() + "/local/zevData/2000018/" + q(rows.at(r, 0)) + ".file"))
            << rows.at(r, 1);
    }
    // Imported again (and with a Cancel in between), nothing more is made.
    importPaths({});
    importPaths({base});
    titles = fileTitles();
    EXPECT_EQ(titles.size(), 3u);
}

// A file whose icon the disk has no room for leaves no Object on no desk and no record: the
// user is told, the file stays, and the same import with room makes it.
TEST_F(FileImportE2E, AFileWhoseIconFindsNoRoomIsNotKnownAndIsImportedLater)
{
    start();
    const QString letter = writeFile(home + "/chosen/letter.txt", "dear");
    const QStringList records = QDir(storeFolder() + "/local/zevData/2000018").entryList(QDir::Files);
    alerts.clear();
    {
        FullLinkBase full(1000152);
        importPaths({letter});
    }
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, QStringLiteral("Your changes could not be saved."));
    EXPECT_TRUE(liveObjectsTitled("letter.txt").empty()) << "an Object on no desk";
    EXPECT_EQ(QDir(storeFolder() + "/local/zevData/2000018").entryList(QDir::Files), records) << "its record stayed";
    EXPECT_EQ(viewTitled(QStringLiteral("letter.txt")), nullptr);
    EXPECT_TRUE(QFile::exists(letter));

    importPaths({letter});
    EXPECT_EQ(fileTitles(), std::vector<std::string>{"letter.txt"});
}

// Pipes and sockets among the files chosen or in a chosen folder become no Objects: they stay
// where they are, named in one alert, and the files beside them are imported.
TEST_F(FileImportE2E, PipesAndSocketsChosenOrInAChosenFolderAreNamedInOneAlertAndLeftOut)
{
    start();
    alerts.clear();
    const QString base = home + "/chosen";
    const QString lone = writeFile(base + "/lone.txt", "a");
    writeFile(base + "/tree/one.txt", "1");
    const QString pipe = base + "/pipe";
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const QString inner = base + "/tree/inner-pipe";
    ASSERT_EQ(::mkfifo(QFile::encodeName(inner).constData(), 0600), 0);
    const tallomer::test::ListeningSocket listener(base + "/tree/socket");
    ASSERT_TRUE(listener.ok());

    importPaths({lone, pipe, base + "/tree"});
    std::vector<std::string> titles = fileTitles();
    std::sort(titles.begin(), titles.end());
    EXPECT_EQ(titles, (std::vector<std::string>{"lone.txt", "one.txt"}));
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, QStringLiteral("3 of the things chosen were not imported."));
    EXPECT_EQ(alerts[0].informative.split(u'\n'),
              (QStringList{QStringLiteral("Pipes, sockets and devices are neither files nor folders: they stay where they "
                                          "are."),
                           QStringLiteral("\u201c%1\u201d").arg(pipe), QStringLiteral("\u201c%1\u201d").arg(inner),
                           QStringLiteral("\u201c%1/tree/socket\u201d").arg(base)}));
    struct stat st {};
    ASSERT_EQ(::lstat(QFile::encodeName(pipe).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

} // namespace
} // namespace e2e

namespace e2e {
namespace {

class CollectGridE2E : public FileImportE2E {
protected:
    ZEVCollectViewer& viewer() { return collectViewerOf(*space()); }

    template <class Panel>
    Panel* shownPanel() const
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* p = dynamic_cast<Panel*>(w); p && p->isVisible())
                return p;
        return nullptr;
    }

    // The files, all of one folder, typed into the Add Documents panel the item opens.
    void addThroughMenu(const QString& title, const QStringList& paths)
    {
        // The click on the menu bar takes the pointer there; it then comes back over the desk
        // where it was, which is where the grid shows.
        const QPointF limit = space()->mouseLimitPoint();
        chooseMenuItemTitled(KELMainMenu::kMenuObject, title);
        QWidget* w = window();
        const QPoint back(int(limit.x()), int(w->height() - limit.y()));
        QMouseEvent over(QEvent::MouseMove, back, w->mapToGlobal(back), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        // A move of its own, not taken for the one the window saw last.
        static quint64 stamp = 1000000;
        over.setTimestamp(++stamp);
        QApplication::sendEvent(w, &over);
        pump();
        auto* panel = shownPanel<ZEVFrontAddPanel>();
        ASSERT_NE(panel, nullptr);
        panel->setDirectory(QFileInfo(paths.first()).absolutePath());
        QStringList names;
        for (const QString& p : paths)
            names << QStringLiteral("\"%1\"").arg(QFileInfo(p).fileName());
        auto* typed = panel->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(typed, nullptr);
        typed->setText(paths.size() == 1 ? paths.first() : names.join(' '));
        QTest::keyClick(typed, Qt::Key_Return);
        pump();
    }

    // A new folder named in the new-folder panel the item opens, in that parent.
    void newFolderThroughMenu(const QString& parent, const QString& name)
    {
        chooseMenuItemTitled(KELMainMenu::kMenuObject, QStringLiteral("New Folder\u2026"));
        pump();
        auto* panel = shownPanel<ZEVFrontNewDirPanel>();
        ASSERT_NE(panel, nullptr);
        panel->setDirectory(parent);
        panel->nameField()->setText(name);
        QTest::keyClick(panel->nameField(), Qt::Key_Return);
        pump();
    }

    // The pointer moved over the grid's overlay, y-up in the desk.
    void moveTo(const QPointF& yUp)
    {
        QWidget* overlay = viewer().connectingView();
        ASSERT_NE(overlay, nullptr);
        const QPoint at(int(yUp.x()), int(overlay->height() - yUp.y()));
        QMouseEvent move(QEvent::MouseMove, at, overlay->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(overlay, &move);
    }

    QStringList files(int n)
    {
        QStringList out;
        for (int i = 0; i < n; ++i)
            out << writeFile(home + QStringLiteral("/added/f%1.txt").arg(i, 2, 10, QLatin1Char('0')), "x");
        return out;
    }
};

TEST_F(CollectGridE2E, AddShowsTheGridWhichReturnPlacesAndEscCancels)
{
    start();
    // Esc: nothing made, no link, the grid gone.
    const std::size_t linksBefore = sql(database(), "SELECT ZEVLET_ID FROM ZEVLETS").size();
    addThroughMenu(QStringLiteral("Add Documents\u2026"), files(3));
    ASSERT_TRUE(viewer().siShown());
    EXPECT_TRUE(space()->siGoToMode());
    EXPECT_EQ(viewer().grid()->columns(), 2u);
    EXPECT_EQ(viewer().grid()->rows(), 2u);
    // Keypad keys and the wheel neither place nor move it.
    const QRectF shown = viewer().grid()->frame();
    QTest::keyClick(viewer().scrollView(), Qt::Key_Enter, Qt::KeypadModifier);
    QTest::keyClick(viewer().scrollView(), Qt::Key_Left);
    QWheelEvent wheel(QPointF(5, 5), viewer().scrollView()->mapToGlobal(QPointF(5, 5)), {}, QPoint(0, 120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewer().scrollView(), &wheel);
    pump();
    ASSERT_TRUE(viewer().siShown());
    EXPECT_EQ(viewer().grid()->frame(), shown);
    QTest::keyClick(viewer().scrollView(), Qt::Key_Escape);
    pump();
    EXPECT_FALSE(viewer().siShown());
    EXPECT_FALSE(space()->siGoToMode());
    EXPECT_TRUE(placedObjectsOfType("file").empty());
    EXPECT_EQ(sql(database(), "SELECT ZEVLET_ID FROM ZEVLETS").size(), linksBefore);

    // The grid shows at the pointer, follows it, and Return places each file where its cell is.
    QWidget* canvas = window()->spaceView()->deskCanvas()->viewport();
    const QPoint middle = canvas->rect().center();
    QMouseEvent over(QEvent::MouseMove, middle, canvas->mapToGlobal(middle), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(canvas, &over);
    pump();
    addThroughMenu(QStringLiteral("Add Documents\u2026"), files(2));
    ASSERT_TRUE(viewer().siShown());
    const QRectF before = viewer().grid()->frame();
    EXPECT_NEAR(before.center().x(), middle.x(), 2.0);
    EXPECT_NEAR(before.center().y(), canvas->height() - middle.y(), 2.0);
    moveTo(before.center() + QPointF(40, -30));
    EXPECT_NE(viewer().grid()->frame(), before);
    const QPointF first = viewer().grid()->imageOriginForIndex(0);
    QTest::keyClick(viewer().scrollView(), Qt::Key_Return);
    advance(0.2);
    EXPECT_FALSE(viewer().siShown());
    const Rows placed = placedObjectsOfType("file");
    ASSERT_EQ(placed.size(), 2u);
    EXPECT_EQ(placed.at(0, 1), "f00.txt");
    EXPECT_EQ(placed.at(1, 1), "f01.txt");
    ZEVItemViewForDesks* view = nullptr;
    for (ZEVItemViewForDesks* v : nowDesk()->itemViewSet())
        if (v->item() && std::to_string(v->item()->idInt()) == placed.at(0, 0))
            view = v;
    ASSERT_NE(view, nullptr);
    EXPECT_NEAR(view->iconPosition().x, first.x(), 1.0);
    EXPECT_NEAR(view->iconPosition().y, first.y(), 1.0);

    // A click on the grid places too; a file known already is recalled, not made again.
    addThroughMenu(QStringLiteral("Add Documents\u2026"), {home + "/added/f00.txt", writeFile(home + "/added/new.txt", "n")});
    ASSERT_TRUE(viewer().siShown());
    QTest::mouseClick(viewer().scrollView(), Qt::LeftButton, {}, QPoint(5, 5));
    advance(0.2);
    EXPECT_FALSE(viewer().siShown());
    EXPECT_EQ(placedObjectsOfType("file").size(), 3u);
}

// Files placed from the grid when the disk has no room for their icons leave no Object on no
// desk, and no record of one; the user is told.
TEST_F(CollectGridE2E, FilesWhoseIconsFindNoRoomLeaveNoObjectOnNoDesk)
{
    start();
    alerts.clear();
    addThroughMenu(QStringLiteral("Add Documents\u2026"), files(2));
    ASSERT_TRUE(viewer().siShown());
    {
        FullLinkBase full(1000152);
        QTest::keyClick(viewer().scrollView(), Qt::Key_Return);
        advance(0.2);
    }
    EXPECT_FALSE(viewer().siShown());
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, QStringLiteral("Your changes could not be saved."));
    for (const char* title : {"f00.txt", "f01.txt"})
        EXPECT_TRUE(liveObjectsTitled(title).empty()) << title << " is an Object on no desk";
}

TEST_F(CollectGridE2E, ASecondGridIsRefusedAndAFileGoneBeforePlacingIsSkipped)
{
    start();
    const QStringList paths = files(2);
    addThroughMenu(QStringLiteral("Add Documents\u2026"), paths);
    ASSERT_TRUE(viewer().siShown());
    EXPECT_FALSE(viewer().startWithURLs({paths.first()}, 80, {100, 100}));
    EXPECT_TRUE(log.contains("a grid already shows"));
    EXPECT_EQ(viewer().collectObjects(), paths);
    ASSERT_TRUE(QFile::remove(paths.at(1)));
    QTest::keyClick(viewer().scrollView(), Qt::Key_Return);
    advance(0.2);
    const Rows placed = placedObjectsOfType("file");
    ASSERT_EQ(placed.size(), 1u);
    EXPECT_EQ(placed.at(0, 1), "f00.txt");
    EXPECT_TRUE(log.contains("is gone"));
    EXPECT_TRUE(sql(database(), "SELECT 1 FROM WORD WHERE WORD = 'f01.txt'").empty());
}

TEST_F(CollectGridE2E, AKnownFileIsRecalledWhereItWasMovedOnlyWithCtrlAndAPathMatchTakesTheNewUid)
{
    start();
    QWidget* canvas = window()->spaceView()->deskCanvas()->viewport();
    auto pointerAt = [&](QPoint at) {
        QMouseEvent over(QEvent::MouseMove, at, canvas->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(canvas, &over);
        pump();
    };
    const QString path = files(1).first();
    pointerAt(canvas->rect().center());
    addThroughMenu(QStringLiteral("Add Documents\u2026"), {path});
    QTest::keyClick(viewer().scrollView(), Qt::Key_Return);
    advance(0.2);
    ASSERT_EQ(placedObjectsOfType("file").size(), 1u);
    auto viewOf = [&]() -> ZEVItemViewForDesks* {
        for (ZEVItemViewForDesks* v : nowDesk()->itemViewSet())
            if (v->item() && std::to_string(v->item()->idInt()) == placedObjectsOfType("file").at(0, 0))
                return v;
        return nullptr;
    };
    ASSERT_NE(viewOf(), nullptr);
    const ZEVIconPosition first = viewOf()->iconPosition();

    // Elsewhere without Ctrl: recalled where it was.
    pointerAt(canvas->rect().center() - QPoint(300, 150));
    addThroughMenu(QStringLiteral("Add Documents\u2026"), {path});
    QTest::keyClick(viewer().scrollView(), Qt::Key_Return);
    advance(0.2);
    ASSERT_NE(viewOf(), nullptr);
    EXPECT_NEAR(viewOf()->iconPosition().x, first.x, 1.0);
    EXPECT_NEAR(viewOf()->iconPosition().y, first.y, 1.0);

    // The file replaced by another at the same path: the same Object, its record given the new
    // uid; with Ctrl it moves to its cell.
    KELI* item = viewOf()->item();
    ASSERT_TRUE(QFile::remove(path));
    writeFile(home + "/added/spacer.txt", "s");
    writeFile(path, "new");
    ASSERT_NE(ZEVItemData::Current().uidForItem(item, "file"), ZEVItemData::UidForURL(path));
    addThroughMenu(QStringLiteral("Add Documents\u2026"), {path});
    const QPointF cell = viewer().grid()->imageOriginForIndex(0);
    QTest::keyClick(viewer().scrollView(), Qt::Key_Return, Qt::ControlModifier);
    // The icon glides to its new place in 1 s.
    advance(1.2);
    EXPECT_EQ(placedObjectsOfType("file").size(), 1u);
    EXPECT_EQ(ZEVItemData::Current().uidForItem(item, "file"), ZEVItemData::UidForURL(path));
    ASSERT_NE(viewOf(), nullptr);
    EXPECT_NEAR(viewOf()->iconPosition().x, cell.x(), 1.0);
    EXPECT_NEAR(viewOf()->iconPosition().y, cell.y(), 1.0);
}

TEST_F(CollectGridE2E, NewFolderGoesToTheGridUnlessMadeInTheDropFolderAndAFailureBeeps)
{
    start();
    const QString parent = home + "/work";
    QDir().mkpath(parent);
    newFolderThroughMenu(parent, QStringLiteral("Fresh"));
    EXPECT_TRUE(QFileInfo(parent + "/Fresh").isDir());
    ASSERT_TRUE(viewer().siShown());
    EXPECT_EQ(viewer().collectObjects(), QStringList{parent + "/Fresh"});
    QTest::keyClick(viewer().scrollView(), Qt::Key_Escape);
    pump();
    // Made again: it exists, so nothing shows and the failure is logged.
    newFolderThroughMenu(parent, QStringLiteral("Fresh"));
    EXPECT_FALSE(viewer().siShown());
    EXPECT_TRUE(log.contains("New Folder ERROR"));
    QDir().mkpath(home + "/Tallomer");
    newFolderThroughMenu(home + "/Tallomer", QStringLiteral("Dropped"));
    EXPECT_TRUE(QFileInfo(home + "/Tallomer/Dropped").isDir());
    EXPECT_FALSE(viewer().siShown());
}

} // namespace
} // namespace e2e
