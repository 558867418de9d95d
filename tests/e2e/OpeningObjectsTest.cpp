// Opening Objects in the running program: a double click opens an Object's file through the
// desktop's opener (caught here by URL handlers, so nothing is launched), a zip kept in the store
// is refused, a busy or missing file is told about or looked for, a broken link is repaired; the
// right button pops the Object's menu, whose Release closes the icon's link and whose Show
// Original calls the file manager on the program's session bus, or opens the folder without one.

#include "tests/e2e/E2EFixture.h"

#include "app/menu/KELMainMenu.h"
#include "app/space/ZEVItemViewerAppHost.h"
#include "app/widgets/ZEVFilePanel.h"
#include "desk/viewer/ZEVRetrieveItemPanel.h"
#include "desk/data/ZEVItemData.h"
#include "desk/pasteboard/ZEVItemPB.h"
#include "platform/AppId.h"
#include "desk/model/ZEVItemOptions.h"
#include "services/ZEVInspectorServices.h"
#include "inspectors/ZEVFrontClass.h"
#include "objects/view/ZEVItemView.h"
#include "objects/viewer/ZEVItemMenu.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "platform/desktop/Desktop.h"
#include "space/ZEVSelections.h"
#include "space/ZEVSpacePreview.h"
#include "widgets/ZEVPreviewWindow.h"
#include "tests/support/LocalHttpServer.h"
#include "tests/support/PipeRescue.h"
#include "platform/files/RecordFile.h"
#include "tests/support/ReadOnlyFolder.h"
#include "tests/support/SecondFileSystem.h"

#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QMimeData>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <sys/stat.h>

namespace e2e {
namespace {

// Where the program may mount: a folder of the store can then turn read-only even for root.
const bool kOwnMounts = tallomer::test::SecondFileSystem::prepare();

// Takes what the desktop's opener is handed instead of starting a program.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }
};

// A file manager on the program's session bus.
class FakeFileManager final : public QDBusVirtualObject {
public:
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        calls.push_back(message);
        connection.send(message.createReply());
        return true;
    }
    std::vector<QDBusMessage> calls;
};

class OpeningObjects : public E2E {
protected:
    void SetUp() override
    {
        E2E::SetUp();
        for (const char* scheme : {"file", "http"})
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &catcher, "open");
    }
    void TearDown() override
    {
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
        for (const char* scheme : {"file", "http"})
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
        ZEVItemViewerAppHost::setRetriever({});
        E2E::TearDown();
    }

    // The first start's welcome is no concern here.
    void startQuietly()
    {
        start();
        alerts.clear();
    }
    QWidget* canvas() const { return window()->spaceView()->deskCanvas()->viewport(); }
    QPoint at(const QPointF& p) const { return QPoint(int(p.x()), int(canvas()->height() - p.y())); }
    ZEVItemViewer* viewer() const { return space()->itemViewerForCurseur(space()->nowCurseur()); }

    // A file of the user's, or of the store, given to the program; answers its view on the Now desk.
    ZEVItemView* place(const QString& path)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        if (!QFileInfo(path).isSymLink()) {
            QFile f(path);
            EXPECT_TRUE(f.open(QIODevice::WriteOnly));
            f.write("contents");
        }
        addFiles({path}, 1.5);
        if (ZEVItemView* v = viewTitled(QFileInfo(path).fileName()))
            return v;
        ADD_FAILURE() << "no icon for " << path.toStdString();
        return nullptr;
    }
    void doubleClick(ZEVItemView* v)
    {
        // Through the window, as the system delivers them: two presses make the double click.
        const QPoint p = canvas()->mapTo(window(), at(v->imageFrame().center()));
        QTest::mouseDClick(window()->windowHandle(), Qt::LeftButton, {}, p);
        pump();
    }
    // The right button on the view, then the menu's item of that title chosen with the mouse.
    void chooseFromMenu(ZEVItemView* v, const QString& title)
    {
        QTest::mouseClick(canvas(), Qt::RightButton, {}, at(v->imageFrame().center()));
        auto* popup = shownPopupMenu();
        ASSERT_NE(popup, nullptr) << "no menu popped";
        ASSERT_NE(viewer()->itemMenu(), nullptr);
        ASSERT_EQ(popup, viewer()->itemMenu()->menu()) << "the Object's menu, not the desk's";
        QAction* chosen = nullptr;
        for (QAction* a : popup->actions())
            if (a->text() == title && a->isVisible())
                chosen = a;
        ASSERT_NE(chosen, nullptr) << "no item " << title.toStdString();
        ASSERT_TRUE(chosen->isEnabled()) << title.toStdString();
        QTest::mouseClick(popup, Qt::LeftButton, {}, popup->actionGeometry(chosen).center());
        pump();
    }

    UrlCatcher catcher;
};

TEST_F(OpeningObjects, ADoubleClickOpensTheFileThroughTheDesktopsOpener)
{
    startQuietly();
    ZEVItemView* v = place(home + "/notes.txt");
    ASSERT_NE(v, nullptr);
    doubleClick(v);
    ASSERT_EQ(catcher.urls.size(), 1);
    EXPECT_EQ(catcher.urls[0], QUrl::fromLocalFile(home + "/notes.txt"));
    EXPECT_TRUE(alerts.empty());
}

// A named pipe given to the program as a file opens through the desktop's opener like any other;
// telling whether it is a program never reads it (opened, it waits for a writer: the program hung).
TEST_F(OpeningObjects, AnObjectWhoseFileIsANamedPipeOpensWithoutThePipeBeingRead)
{
    startQuietly();
    const QString pipe = home + "/stream.txt";
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    tallomer::test::PipeRescue rescue({pipe});
    addFiles({pipe}, 1.5);
    ZEVItemView* v = viewTitled(QStringLiteral("stream.txt"));
    ASSERT_NE(v, nullptr);
    doubleClick(v);
    EXPECT_FALSE(rescue.stop()) << "the named pipe was opened";
    ASSERT_EQ(catcher.urls.size(), 1);
    EXPECT_EQ(catcher.urls[0], QUrl::fromLocalFile(pipe));
}

TEST_F(OpeningObjects, AProgramOrLauncherRunsOnlyWhenTheUserSaysYes)
{
    startQuietly();
    ZEVItemView* tool = place(home + "/tool.sh");
    ASSERT_NE(tool, nullptr);
    QFile::setPermissions(home + "/tool.sh", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    doubleClick(tool);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].buttons, (QStringList{"Yes", "Cancel"}));
    EXPECT_TRUE(catcher.urls.isEmpty()) << "Cancel runs nothing";
    alertAnswer = 0;
    doubleClick(tool);
    ASSERT_EQ(catcher.urls.size(), 1);
    EXPECT_EQ(catcher.urls[0], QUrl::fromLocalFile(home + "/tool.sh"));
}

TEST_F(OpeningObjects, TheMainMenusOpenOpensEachSelectedObject)
{
    startQuietly();
    ZEVItemView* a = place(home + "/a.txt");
    ZEVItemView* b = place(home + "/b.txt");
    place(home + "/c.txt");
    ASSERT_TRUE(a && b);
    space()->selections().selectIconForItemSet({a->item(), b->item()}, nullptr);
    pump();
    chooseMenuItem(KELMainMenu::kMenuObject, 1);
    QStringList opened;
    for (const QUrl& u : catcher.urls)
        opened << u.toLocalFile();
    opened.sort();
    EXPECT_EQ(opened, (QStringList{home + "/a.txt", home + "/b.txt"}));
}

TEST_F(OpeningObjects, OpenOverflyOpensTheObjectUnderThePointerAloneAndNothingOverTheEmptyDesk)
{
    startQuietly();
    ZEVItemView* a = place(home + "/a.txt");
    ZEVItemView* b = place(home + "/b.txt");
    ASSERT_TRUE(a && b);
    space()->selections().selectIconForItemSet({a->item()}, nullptr);
    pump();
    QAction* overfly = nullptr;
    for (QAction* act : adapter()->mainMenu()->menuWithTag(KELMainMenu::kMenuObject)->actions())
        if (act->text() == "Open Overfly")
            overfly = act;
    ASSERT_NE(overfly, nullptr);
    ASSERT_TRUE(overfly->isEnabled());

    QTest::mouseMove(canvas(), at(b->imageFrame().center()));
    pump();
    overfly->trigger();
    pump();
    ASSERT_EQ(catcher.urls.size(), 1);
    EXPECT_EQ(catcher.urls[0].toLocalFile(), home + "/b.txt") << "the hovered Object, not the selected one";

    QTest::mouseMove(canvas(), QPoint(3, 3));
    pump();
    overfly->trigger();
    pump();
    EXPECT_EQ(catcher.urls.size(), 1) << "nothing under the pointer: nothing opens";
}

TEST_F(OpeningObjects, InLinksModeOpenOpensBothEndsOfEachSelectedLinkOnce)
{
    startQuietly();
    ZEVItemView* a = place(home + "/a.txt");
    ZEVItemView* b = place(home + "/b.txt");
    ZEVItemView* c = place(home + "/c.txt");
    place(home + "/d.txt");
    ASSERT_TRUE(a && b && c);
    ZEVItemPair ab(a->item(), b->item());
    ZEVItemPair bc(b->item(), c->item());
    space()->frontViewer()->menuModeLink();
    space()->selections().selectLinkForLinkSet({&ab, &bc});
    pump();
    chooseMenuItem(KELMainMenu::kMenuObject, 1);
    space()->selections().selectLinkForLinkSet({});
    QStringList opened;
    for (const QUrl& u : catcher.urls)
        opened << u.toLocalFile();
    opened.sort();
    EXPECT_EQ(opened, (QStringList{home + "/a.txt", home + "/b.txt", home + "/c.txt"})) << "b, at two links, once";
}

TEST_F(OpeningObjects, TheFilterCommandMarksTheModesSelectionAndAgainClearsEveryMark)
{
    startQuietly();
    ZEVItemView* a = place(home + "/a.txt");
    ZEVItemView* b = place(home + "/b.txt");
    ZEVItemView* c = place(home + "/c.txt");
    ASSERT_TRUE(a && b && c);
    ZEVSelections& sel = space()->selections();
    // Away from every icon: the command works on the selection, not on an Object under the pointer.
    space()->mouseMovedInLocation(QPointF(-1000, -1000));
    sel.selectIconForItemSet({a->item(), c->item()}, nullptr);
    pump();
    chooseMenuItem(KELMainMenu::kMenuObject, 7);
    EXPECT_TRUE(sel.isFilterSelectedForItem(a->item()));
    EXPECT_FALSE(sel.isFilterSelectedForItem(b->item()));
    EXPECT_TRUE(sel.isFilterSelectedForItem(c->item()));
    chooseMenuItem(KELMainMenu::kMenuObject, 7);
    EXPECT_TRUE(sel.selectedFilterItems().empty());
}

TEST_F(OpeningObjects, OpeningASelectionWhoseFilesAreGoneDeletesEachWhenAsked)
{
    startQuietly();
    ZEVItemView* a = place(home + "/old1.txt");
    ZEVItemView* b = place(home + "/old2.txt");
    ASSERT_TRUE(a && b);
    KELI* items[] = {a->item(), b->item()};
    space()->selections().selectIconForItemSet({items[0], items[1]}, nullptr);
    pump();
    QFile::remove(home + "/old1.txt");
    QFile::remove(home + "/old2.txt");
    std::vector<KELI*> asked;
    ZEVItemViewerAppHost::setRetriever([&](KELI* o, QString*) {
        asked.push_back(o);
        return ZEVItemRetrieveDelete;
    });
    // Each deletion takes a view away while the others are still to open.
    chooseMenuItem(KELMainMenu::kMenuObject, 1);
    advance(0.5);
    EXPECT_EQ(asked.size(), 2u);
    for (ZEVItemViewForDesks* v : nowDesk()->itemViewSet())
        EXPECT_TRUE(v->item() != items[0] && v->item() != items[1]);
}

TEST_F(OpeningObjects, AKeptMailMessageOpensItsFileAndAWebObjectItsAddress)
{
    startQuietly();
    tallomer::test::LocalHttpServer server;
    server.route("/today", {"<html>today</html>", {{"Content-Type", "text/html"}}});
    auto link = std::make_unique<QMimeData>();
    link->setText(server.url("/today").toString());
    QGuiApplication::clipboard()->setMimeData(link.release());
    QCursor::setPos(canvas()->mapToGlobal(QPoint(200, 300)));
    key(Qt::Key_V, Qt::ControlModifier);
    advance(1.0);

    auto mail = std::make_unique<QMimeData>();
    mail->setData("message/rfc822", "From: a@example.org\r\nSubject: Lunch\r\nMessage-ID: <l-1@example.org>\r\n\r\nHi.\r\n");
    QGuiApplication::clipboard()->setMimeData(mail.release());
    QCursor::setPos(canvas()->mapToGlobal(QPoint(500, 300)));
    key(Qt::Key_V, Qt::ControlModifier);
    advance(1.0);

    ZEVItemView* web = nullptr;
    ZEVItemView* message = nullptr;
    for (ZEVItemViewForDesks* v : nowDesk()->itemViewSet()) {
        if (v->itemType() == QLatin1String("http"))
            web = dynamic_cast<ZEVItemView*>(v);
        if (v->itemType() == QLatin1String("message"))
            message = dynamic_cast<ZEVItemView*>(v);
    }
    ASSERT_TRUE(web && message);
    // A web page opens on a single click.
    ASSERT_TRUE(siItemOption(web->item(), ZEVOPTION_OPEN_ON_CLICK));
    QTest::mouseClick(window()->windowHandle(), Qt::LeftButton, {},
                      canvas()->mapTo(window(), at(web->imageFrame().center())));
    pump();
    ASSERT_EQ(catcher.urls.size(), 1);
    EXPECT_EQ(catcher.urls[0], server.url("/today"));
    // Its first click opened it; the second of a double click does not open it again.
    doubleClick(web);
    ASSERT_EQ(catcher.urls.size(), 2) << "a double click opens a page once";
    doubleClick(message);
    ASSERT_EQ(catcher.urls.size(), 3);
    EXPECT_TRUE(catcher.urls[2].isLocalFile());
    EXPECT_EQ(QFileInfo(catcher.urls[2].toLocalFile()).fileName(), QStringLiteral("Lunch.eml"))
        << "the kept message, read from the Object's own record";
}

TEST_F(OpeningObjects, AZipKeptInTheStoreIsRefusedWithAnAlertAndOneElsewhereOpens)
{
    startQuietly();
    ZEVItemView* kept = place(storeFolder() + "/kept/x.zip");
    ZEVItemView* mine = place(home + "/mine.zip");
    ASSERT_TRUE(kept && mine);
    doubleClick(mine);
    ASSERT_EQ(catcher.urls.size(), 1) << "an archive of the user's opens";
    EXPECT_EQ(catcher.urls[0], QUrl::fromLocalFile(home + "/mine.zip"));
    catcher.urls.clear();
    doubleClick(kept);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, QStringLiteral("Opening \"x.zip\""));
    EXPECT_EQ(alerts[0].informative, QStringLiteral("Move the file before opening (Menu \"Object/Handle Objects/Move to…\")"));
    EXPECT_TRUE(catcher.urls.isEmpty()) << "nothing opened";
}

TEST_F(OpeningObjects, ABusyMissingFileIsToldAboutAndAMissingOneIsLookedForThenDeletedOrFound)
{
    startQuietly();
    ZEVItemView* v = place(home + "/draft.txt");
    ASSERT_NE(v, nullptr);
    KELI* item = v->item();
    const KELId id = item->idInt();
    ASSERT_TRUE(QFile::remove(home + "/draft.txt"));

    addItemOption(item, ZEVOPTION_COPYING | ZEVOPTION_DOWNLOADING);
    doubleClick(v);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, QStringLiteral("Error!"));
    EXPECT_EQ(alerts[0].informative, QStringLiteral("Cannot open an Object when downloading"));
    clearItemOption(item, ZEVOPTION_COPYING | ZEVOPTION_DOWNLOADING);

    // Found again elsewhere: no longer marked missing, and it opens from there next time.
    const QString moved = home + "/found/draft.txt";
    QDir().mkpath(home + "/found");
    QFile f(moved);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    int asked = 0;
    ZEVItemViewerAppHost::setRetriever([&](KELI* o, QString* path) {
        ++asked;
        EXPECT_TRUE(siItemOption(o, ZEVOPTION_NOT_FOUND)) << "marked while the panel shows";
        ZEVItemData::Current().updateFilePathWithItem(o, moved);
        *path = moved;
        return ZEVItemRetrieveSelect;
    });
    doubleClick(v);
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(siItemOption(item, ZEVOPTION_NOT_FOUND));
    EXPECT_TRUE(catcher.urls.isEmpty());
    doubleClick(v);
    ASSERT_EQ(catcher.urls.size(), 1);
    EXPECT_EQ(catcher.urls[0], QUrl::fromLocalFile(moved));

    // Gone for good: Delete removes the Object from the store.
    ASSERT_TRUE(QFile::remove(moved));
    ZEVItemViewerAppHost::setRetriever([](KELI*, QString*) { return ZEVItemRetrieveDelete; });
    doubleClick(v);
    advance(0.5);
    // A forgotten link keeps its row, dated never.
    EXPECT_TRUE(sql(database(), "SELECT 1 FROM ZEVLETS WHERE RELATION = 1000152 AND CHILD_ZEVLET = " +
                                    std::to_string(id) + " AND DATE_IN < 4503599627370496.0")
                    .empty())
        << "no icon link left";
    for (ZEVItemViewForDesks* other : nowDesk()->itemViewSet())
        EXPECT_NE(other->item(), item);
}

// The real retrieve dialog on a store that refuses the record: Select keeps the dialog and the
// typed path, and claims nothing found; once the record can be written the same Select takes.
TEST_F(OpeningObjects, ARetrievedPathThatCannotBeRecordedKeepsTheDialogAndTheObjectMissing)
{
    startQuietly();
    ZEVItemView* v = place(home + "/draft.txt");
    ASSERT_NE(v, nullptr);
    KELI* item = v->item();
    const QString records = storeFolder() + "/local/zevData/2000018";
    const QString record = records + "/" + QString::number(item->idInt()) + ".file";
    // Gone, and another file of the user's is where it is now.
    ASSERT_TRUE(QFile::remove(home + "/draft.txt"));
    const QString found = writeFile(home + "/found.txt", "contents");
    const auto recordedPath = [&] {
        const RecordRead read = readRecordFile(record);
        return read ? recordString(*read.fields, QStringLiteral("path")) : QString();
    };
    ASSERT_EQ(recordedPath(), home + "/draft.txt");

    bool answered = false;
    auto* timer = new QTimer(qApp);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [&, timer] {
        auto* panel = dynamic_cast<ZEVRetrieveItemPanel*>(QApplication::activeModalWidget());
        if (!panel)
            return;
        timer->stop();
        timer->deleteLater();
        answered = true;
        QTest::keyClick(panel->newPathTextField(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(panel->newPathTextField(), found);
        {
            tallomer::test::ReadOnlyFolder refused(records);
            EXPECT_TRUE(refused.ok()) << "no way to make " << records.toStdString() << " read-only";
            QTest::mouseClick(panel->selectButton(), Qt::LeftButton);
            EXPECT_TRUE(panel->isVisible()) << "Select said the record was rewritten";
            EXPECT_FALSE(panel->messageTextField()->isHidden());
            EXPECT_EQ(panel->messageTextField()->text(), QStringLiteral("The new path could not be recorded"));
            EXPECT_EQ(panel->newPathTextField()->text(), found) << "what was typed stays";
            EXPECT_TRUE(panel->newFileURL().isEmpty());
        }
        EXPECT_EQ(recordedPath(), home + "/draft.txt");
        EXPECT_TRUE(siItemOption(item, ZEVOPTION_NOT_FOUND));
        QTest::mouseClick(panel->selectButton(), Qt::LeftButton);
    });
    timer->start();
    doubleClick(v);
    ASSERT_TRUE(answered);
    advance(0.1);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(recordedPath(), found);
    EXPECT_FALSE(siItemOption(item, ZEVOPTION_NOT_FOUND));
    ASSERT_FALSE(alerts.empty()) << "the failed write is told";
    EXPECT_EQ(alerts[0].message, QStringLiteral("Your changes could not be saved."));
    catcher.urls.clear();
    doubleClick(v);
    ASSERT_EQ(catcher.urls.size(), 1);
    EXPECT_EQ(catcher.urls[0], QUrl::fromLocalFile(found));
}

TEST_F(OpeningObjects, ABrokenLinkIsOfferedForRepairAndOpensTheNewOriginal)
{
    startQuietly();
    const QString first = home + "/first.pdf";
    const QString second = home + "/second.pdf";
    for (const QString& p : {first, second}) {
        QFile f(p);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    const QString link = home + "/report.pdf";
    ASSERT_TRUE(QFile::link(first, link));
    ZEVItemView* v = place(link);
    ASSERT_NE(v, nullptr);
    ASSERT_TRUE(QFile::remove(first));

    alertAnswer = 0; // "Fix Alias…"
    ScopedFilePanelAnswerer panel([&](const ZEVFilePanelRequest& r) {
        EXPECT_EQ(r.title, QStringLiteral("Select New Original"));
        return second;
    });
    doubleClick(v);
    ASSERT_FALSE(alerts.empty());
    EXPECT_EQ(alerts[0].message, QStringLiteral("Do you want to fix alias?"));
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), second) << "the link now points at the new original";
    ASSERT_EQ(catcher.urls.size(), 1);
    EXPECT_EQ(catcher.urls[0], QUrl::fromLocalFile(link));
}

TEST_F(OpeningObjects, TheObjectsMenuReleasesItsIconInTheStore)
{
    startQuietly();
    ZEVItemView* v = place(home + "/letter.txt");
    ASSERT_NE(v, nullptr);
    const std::string id = std::to_string(v->item()->idInt());
    ASSERT_EQ(iconLinks(id).size(), 1u);
    const double open = std::stod(iconLinks(id).at(0, 1));
    advance(2);
    chooseFromMenu(v, QStringLiteral("Release Object"));
    advance(0.5);
    const Rows links = iconLinks(id);
    ASSERT_EQ(links.size(), 1u);
    EXPECT_LT(std::stod(links.at(0, 1)), open) << "the icon's link is closed at the cursor";
    EXPECT_LE(std::stod(links.at(0, 1)), clock.now() + 1);
}

TEST_F(OpeningObjects, CopyPutsTheFileOnTheClipboardAndCutInLinksModeStillReleasesTheIcon)
{
    startQuietly();
    ZEVItemView* v = place(home + "/plan.txt");
    ASSERT_NE(v, nullptr);
    const std::string id = std::to_string(v->item()->idInt());
    const double open = std::stod(iconLinks(id).at(0, 1));
    chooseFromMenu(v, QStringLiteral("Copy"));
    const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(copied->urls(), QList<QUrl>{QUrl::fromLocalFile(home + "/plan.txt")});
    EXPECT_EQ(std::stod(iconLinks(id).at(0, 1)), open) << "Copy releases nothing";

    space()->frontViewer()->menuModeLink();
    pump();
    advance(2);
    chooseFromMenu(v, QStringLiteral("Cut"));
    advance(0.5);
    EXPECT_EQ(QGuiApplication::clipboard()->mimeData()->urls(), QList<QUrl>{QUrl::fromLocalFile(home + "/plan.txt")});
    EXPECT_LT(std::stod(iconLinks(id).at(0, 1)), open) << "the icon, not the links, is released";
}

TEST_F(OpeningObjects, MoveToFromTheMenuMovesTheFileIntoTheChosenFolderAndTheIconStays)
{
    startQuietly();
    ZEVItemView* v = place(home + "/budget.txt");
    ASSERT_NE(v, nullptr);
    KELI* item = v->item();
    const std::string id = std::to_string(item->idInt());
    const double open = std::stod(iconLinks(id).at(0, 1));
    QDir().mkpath(home + "/archive");
    ScopedFilePanelAnswerer panel([&](const ZEVFilePanelRequest& r) {
        EXPECT_EQ(r.kind, ZEVFilePanelRequest::Kind::Folder);
        return home + "/archive";
    });
    QTest::mouseClick(canvas(), Qt::RightButton, {}, at(v->imageFrame().center()));
    pump();
    QAction* moveTo = viewer()->itemMenu()->action(ZEVItemMenuSlot::MoveTo);
    ASSERT_TRUE(moveTo->isEnabled());
    moveTo->trigger();
    ZEVFrontClass::shared()->waitForTransfers();
    pump();
    advance(0.5);
    EXPECT_FALSE(QFile::exists(home + "/budget.txt"));
    EXPECT_TRUE(QFile::exists(home + "/archive/budget.txt"));
    EXPECT_EQ(ZEVItemData::Current().fileUrlForItem(item), home + "/archive/budget.txt") << "the record follows";
    EXPECT_EQ(std::stod(iconLinks(id).at(0, 1)), open) << "the icon stays on the desk";
}

TEST_F(OpeningObjects, ShowOriginalOfAMissingFileSaysYesOnlyWhenTheFileWasFoundAgain)
{
    startQuietly();
    ZEVItemView* v = place(home + "/lost.txt");
    ASSERT_NE(v, nullptr);
    KELI* item = v->item();
    ASSERT_TRUE(QFile::remove(home + "/lost.txt"));

    addItemOption(item, ZEVOPTION_MOVING);
    EXPECT_FALSE(viewer()->userShowOriginalForItem(item));
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].informative, QStringLiteral("Cannot Show Original when moving"));
    clearItemOption(item, ZEVOPTION_MOVING);

    int answer = ZEVItemRetrieveCancel;
    QString found;
    ZEVItemViewerAppHost::setRetriever([&](KELI* which, QString* path) {
        // As the retrieve panel does: a chosen file becomes the record's.
        *path = found;
        if (answer == ZEVItemRetrieveSelect && !found.isEmpty())
            ZEVItemData::Current().updateFilePathWithItem(which, found);
        return answer;
    });
    EXPECT_FALSE(viewer()->userShowOriginalForItem(item)) << "Cancel";
    EXPECT_TRUE(siItemOption(item, ZEVOPTION_NOT_FOUND));
    answer = 7;
    EXPECT_FALSE(viewer()->userShowOriginalForItem(item)) << "an answer the panel never gives";
    answer = ZEVItemRetrieveSelect;
    EXPECT_FALSE(viewer()->userShowOriginalForItem(item)) << "Select without a file";
    EXPECT_TRUE(log.contains("userShowOriginalForItem: ERROR"));
    // The panel found the file where the user had moved it.
    found = home + "/moved/lost.txt";
    {
        ASSERT_TRUE(QDir().mkpath(home + "/moved"));
        QFile moved(found);
        ASSERT_TRUE(moved.open(QIODevice::WriteOnly));
    }
    EXPECT_TRUE(viewer()->userShowOriginalForItem(item));
    EXPECT_FALSE(siItemOption(item, ZEVOPTION_NOT_FOUND));
    EXPECT_TRUE(catcher.urls.isEmpty()) << "nothing revealed: the panel found it";
}

TEST_F(OpeningObjects, ShowOriginalAndGetInfoCallTheFileManagerOnTheBusAndWithoutOneTheFolderOpens)
{
    startQuietly();
    ZEVItemView* v = place(home + "/papers/summary.txt");
    ASSERT_NE(v, nullptr);

    // No file manager on the bus yet: the folder opens.
    chooseFromMenu(v, QStringLiteral("Show Original"));
    // The bus answers from its own thread: waited for, not counted in turns.
    EXPECT_TRUE(pumpUntil([&] { return !catcher.urls.isEmpty(); }));
    ASSERT_EQ(catcher.urls.size(), 1);
    EXPECT_EQ(catcher.urls[0], QUrl::fromLocalFile(home + "/papers"));

    QDBusConnection fm = QDBusConnection::connectToBus(bus.address(), QStringLiteral("e2e-file-manager"));
    FakeFileManager manager;
    ASSERT_TRUE(fm.registerService(QString::fromLatin1(SystemDesktop::kService)));
    ASSERT_TRUE(fm.registerVirtualObject(QString::fromLatin1(SystemDesktop::kPath), &manager));
    chooseFromMenu(v, QStringLiteral("Show Original"));
    EXPECT_TRUE(pumpUntil([&] { return !manager.calls.empty(); }));
    ASSERT_EQ(manager.calls.size(), 1u);
    EXPECT_EQ(manager.calls[0].member(), QStringLiteral("ShowItems"));
    EXPECT_EQ(manager.calls[0].arguments().value(0).toStringList(),
              QStringList{QUrl::fromLocalFile(home + "/papers/summary.txt").toString(QUrl::FullyEncoded)});
    pump();
    EXPECT_EQ(catcher.urls.size(), 1) << "no folder opened this time";
    chooseFromMenu(v, QStringLiteral("Get Info"));
    EXPECT_TRUE(pumpUntil([&] { return manager.calls.size() >= 2; }));
    ASSERT_EQ(manager.calls.size(), 2u);
    EXPECT_EQ(manager.calls[1].member(), QStringLiteral("ShowItemProperties"));

    // The main menu's Get Info, with the pointer over no Object: each selected file's properties.
    ZEVItemView* w = place(home + "/papers/notes.txt");
    ASSERT_NE(w, nullptr);
    space()->mouseMovedInLocation(QPointF(-1000, -1000));
    space()->selections().selectIconForItemSet({v->item(), w->item()}, nullptr);
    pump();
    chooseMenuItem(KELMainMenu::kMenuObject, 522);
    EXPECT_TRUE(pumpUntil([&] { return manager.calls.size() >= 4; }));
    ASSERT_EQ(manager.calls.size(), 4u);
    QStringList shown;
    for (std::size_t i = 2; i < 4; ++i) {
        EXPECT_EQ(manager.calls[i].member(), QStringLiteral("ShowItemProperties"));
        shown << manager.calls[i].arguments().value(0).toStringList();
    }
    shown.sort();
    EXPECT_EQ(shown, (QStringList{QUrl::fromLocalFile(home + "/papers/notes.txt").toString(QUrl::FullyEncoded),
                                  QUrl::fromLocalFile(home + "/papers/summary.txt").toString(QUrl::FullyEncoded)}));
    fm.unregisterObject(QString::fromLatin1(SystemDesktop::kPath));
    QDBusConnection::disconnectFromBus(QStringLiteral("e2e-file-manager"));
}


TEST_F(OpeningObjects, TheObjectMenusQuickLookPreviewsThatObjectAlone)
{
    startQuietly();
    ZEVItemView* a = place(home + "/docs/a.txt");
    ZEVItemView* b = place(home + "/docs/b.txt");
    ASSERT_TRUE(a && b);
    space()->selections().selectIconForItemSet({a->item(), b->item()}, nullptr);
    pump();

    chooseFromMenu(b, "Quick Look");
    ASSERT_TRUE(window()->siPreviewPanelVisible()) << "the Object's menu opens the preview";
    ZEVPreviewWindow* w = window()->preview().window();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle(), "b.txt") << "the Object the menu was opened on, not the selection";

    chooseFromMenu(a, "Quick Look");
    EXPECT_TRUE(window()->siPreviewPanelVisible());
    EXPECT_EQ(w->windowTitle(), "a.txt") << "the shown preview follows the next Object's menu";
}

// A saved place of a Channel this Space does not have (copied from another store, say) lands on
// the desk; opening it says why the desk stays where it is instead of doing nothing.
TEST_F(OpeningObjects, ASavedPlaceTheSpaceCannotGoToSaysWhy)
{
    start();
    ZEVItemPB place;
    place.setItemUid(QStringLiteral("zevp://local/2999999?c=now&m=0&con=0.0&coi=-60.0&roi=-3600.0&roo=600.0"));
    place.setItemTitle(QStringLiteral("Elsewhere"));
    place.setItemType(QStringLiteral("zevp"));
    auto data = std::make_unique<QMimeData>();
    data->setData(kItemPasteboardType, ZEVItemPB::archive({place}));
    QGuiApplication::clipboard()->setMimeData(data.release());
    QCursor::setPos(canvas()->mapToGlobal(QPoint(300, 300)));
    key(Qt::Key_V, Qt::ControlModifier);
    advance(1.0);
    ASSERT_EQ(placedObjectsOfType("zevp").size(), 1u);
    ZEVItemView* view = viewTitled(QStringLiteral("Elsewhere"));
    ASSERT_NE(view, nullptr);
    const KELId channel = space()->currentChannelInt();

    alerts.clear();
    doubleClickPicture(view);
    advance(0.5);
    ASSERT_EQ(alerts.size(), 1u) << "the refused place is told once";
    EXPECT_EQ(alerts[0].message, QStringLiteral("\u201cElsewhere\u201d could not be opened."));
    EXPECT_EQ(alerts[0].informative, QStringLiteral("Tallomer cannot go there: 2999999 is not a Channel of the Space."));
    EXPECT_EQ(space()->currentChannelInt(), channel);
}

} // namespace
} // namespace e2e

#include "OpeningObjectsTest.moc"
