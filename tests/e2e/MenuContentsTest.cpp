// What the menus hold, as a person opens them in the running program: the names the Channels
// menu gives, the Open With list of an Object, and the pictures of the finds by kind.

#include "tests/e2e/E2EFixture.h"

#include "app/menu/KELMainMenu.h"
#include "front/ZEVFrontBars.h"
#include "front/ZEVFrontViewer.h"
#include "inspectors/base/ZEVInspectView.h"
#include "inspectors/base/ZEVInspectViewer.h"
#include "objects/view/ZEVItemView.h"
#include "ruler/ZEVRulerViewbar.h"
#include "ruler/ZEVTlineView.h"
#include "space/ZEVSelections.h"
#include "space/ZEVSpaceParts.h"
#include "services/ZEVItemViewForDesks.h"
#include "space/ZEVConstants.h"
#include "widgets/FileTypeIcon.h"
#include "widgets/ZEVButton.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QStandardPaths>
#include <QTest>

#include <functional>
#include <map>
#include <tuple>
#include <optional>

namespace e2e {
namespace {

class MenuContents : public E2EWithSound<RecordingSound> {
protected:
    void TearDown() override
    {
        while (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
        E2EWithSound<RecordingSound>::TearDown();
        if (keptDataDirs_)
            qputenv("XDG_DATA_DIRS", *keptDataDirs_);
        else
            qunsetenv("XDG_DATA_DIRS");
    }
    // Only the home's own applications: what the machine has installed stays out of the lists,
    // while the types of files are still known as the system knows them.
    void onlyTheHomesApplications()
    {
        const QStringList types =
            QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, "mime", QStandardPaths::LocateDirectory);
        if (qEnvironmentVariableIsSet("XDG_DATA_DIRS"))
            keptDataDirs_ = qgetenv("XDG_DATA_DIRS");
        const QString system = home + "/no-system";
        QDir().mkpath(system);
        if (!types.isEmpty())
            QFile::link(types.last(), system + "/mime");
        qputenv("XDG_DATA_DIRS", system.toUtf8());
    }
    void writeHomeFile(const QString& path, const QByteArray& bytes) const
    {
        QDir().mkpath(QFileInfo(home + "/" + path).absolutePath());
        QFile f(home + "/" + path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    // The visible items of a menu, by their texts; separators as "-".
    static QStringList shownItems(const QMenu* m)
    {
        QStringList out;
        for (const QAction* a : m->actions())
            if (a->isVisible())
                out << (a->isSeparator() ? QStringLiteral("-") : a->text());
        return out;
    }
    // The picture of a menu item as the menu draws it.
    static QImage pictureOf(const QAction* a) { return imageOfIcon(a->icon(), 16); }
    static QImage pictureOf(const QIcon& icon) { return imageOfIcon(icon, 16); }
    // A short click on a panel's or the toolbar's button, and the menu it shows.
    QMenu* menuOfButton(ZEVButton* b)
    {
        if (!b || !b->isVisible()) {
            ADD_FAILURE() << "no button shown";
            return nullptr;
        }
        QTest::mousePress(b, Qt::LeftButton, {}, b->rect().center());
        advance(0.05);
        QTest::mouseRelease(b, Qt::LeftButton, {}, b->rect().center());
        return shownPopupMenu();
    }
    QPoint at(const QPointF& p) const { return QPoint(int(p.x()), int(canvas()->height() - p.y())); }

private:
    std::optional<QByteArray> keptDataDirs_;
};

TEST_F(MenuContents, TheChannelsMenuMarksTheHomeChannelOnlyAsTheOtherChannelsMenusDo)
{
    startWithTheBar();
    // The fresh home's Channel is both the home and the drop folder's Channel.
    ASSERT_EQ(space()->homeChannelInt(), space()->zevFolderChannelInt());
    QMenu* m = openMenu(KELMainMenu::kMenuChannels);
    ASSERT_NE(m, nullptr);
    const QStringList shown = shownItems(m);
    EXPECT_TRUE(shown.contains(QStringLiteral("Channel 1 (Home)"))) << shown.join(" | ").toStdString();
    m->close();
    pump();
}

TEST_F(MenuContents, TheTimeMenuTicksGoToWhileItsPanelShowsAndTheSpacesMenuPicturesNow)
{
    startWithTheBar();
    auto* front = dynamic_cast<ZEVFrontViewer*>(space()->frontViewer());
    ASSERT_NE(front, nullptr);
    const auto goToTicked = [this] {
        QMenu* m = openMenu(KELMainMenu::kMenuTime);
        QAction* goTo = m ? menuItemTagged(m, 26) : nullptr;
        const bool ticked = goTo && goTo->isChecked();
        if (m)
            m->close();
        pump();
        return ticked;
    };
    EXPECT_FALSE(goToTicked());
    chooseMenuItem(KELMainMenu::kMenuTime, 26);
    ASSERT_TRUE(pumpUntil([front] { return front->siGoToPanelVisible(); }));
    EXPECT_TRUE(goToTicked()) << "the panel shows";
    chooseMenuItem(KELMainMenu::kMenuTime, 26);
    ASSERT_TRUE(pumpUntil([front] { return !front->siGoToPanelVisible(); }));
    EXPECT_FALSE(goToTicked()) << "the panel went";

    // The Now entry shows the Now desk's background, as the listed Spaces show theirs.
    QMenu* spaces = openMenu(KELMainMenu::kMenuSpaces);
    ASSERT_NE(spaces, nullptr);
    QAction* now = menuItemTagged(spaces, 2000009);
    ASSERT_NE(now, nullptr);
    EXPECT_FALSE(now->icon().isNull()) << now->text().toStdString();
    spaces->close();
    pump();
}

TEST_F(MenuContents, TheHistoryMenuListsEightyMarksAndTheToolbarsHomeMenuFifty)
{
    startWithTheBar();
    ZEVMarkHistoryServices* marks = space()->markHistoryViewer();
    ASSERT_NE(marks, nullptr);
    for (int k = 0; k < 100; ++k) {
        const QString url = QStringLiteral("zevp://local/2000018?c=search&m=0&con=%1.00&coi=0.00&roi=0.00&roo=0.00")
                                .arg(800000000 + 3600 * k);
        marks->addMarkObject(std::make_unique<ZEVMarkObject>(url, QImage(), 2000018, QStringLiteral("Channel 1"),
                                                             QStringLiteral("Mark %1").arg(k)),
                             url);
    }
    const auto listedMarks = [](const QMenu* m) {
        int n = 0;
        for (const QAction* a : m->actions())
            n += a->text().contains(QStringLiteral(" | Mark ")) ? 1 : 0;
        return n;
    };
    QMenu* history = openMenu(KELMainMenu::kMenuHistory);
    ASSERT_NE(history, nullptr);
    EXPECT_EQ(listedMarks(history), 80);
    history->close();
    pump();

    auto* front = dynamic_cast<ZEVFrontViewer*>(space()->frontViewer());
    ASSERT_NE(front, nullptr);
    ZEVButton* home = front->toolbar()->button(QStringLiteral("btnDeskHome"));
    ASSERT_TRUE(home && home->isVisible());
    QMenu* m = menuOfButton(home);
    ASSERT_NE(m, nullptr) << "no menu under the Home button";
    EXPECT_EQ(listedMarks(m), 50);
    m->close();
    pump();
}

TEST_F(MenuContents, TheStripsAndTheTimeBarsMenusShowAndHideTheTracksTheToolbarAndTheChannels)
{
    startWithTheBar();
    auto* front = dynamic_cast<ZEVFrontViewer*>(space()->frontViewer());
    ASSERT_NE(front, nullptr);
    // A right click through the window, as the desktop gives it, on a point of a widget; the
    // menu that shows.
    const auto rightClickOn = [this](QWidget* w, QPoint at) {
        QTest::mouseClick(window()->windowHandle(), Qt::RightButton, {}, w->mapTo(window(), at));
        return shownPopupMenu();
    };
    const auto choose = [this](QMenu* m, const QString& title) {
        for (QAction* a : m->actions())
            if (a->text() == title) {
                EXPECT_TRUE(a->isEnabled()) << title.toStdString() << " is disabled";
                if (a->isEnabled())
                    chooseInMenu(m, a);
                else
                    m->close();
                pump();
                return;
            }
        ADD_FAILURE() << "no item " << title.toStdString();
        m->close();
    };
    // A place on the bar that none of its buttons and fields covers.
    QPoint bare;
    for (int x = bar()->width() - 2; x > 0 && bare.isNull(); --x)
        if (!bar()->childAt(x, 2))
            bare = QPoint(x, 2);
    ASSERT_FALSE(bare.isNull());

    struct Toggle {
        const char* title;
        std::function<bool()> open;
    };
    const Toggle toggles[] = {{"Toolbar", [front] { return !front->siToolbarClosed(); }},
                              {"Tracks", [front] { return !front->siTracksClosed(); }}};
    for (const Toggle& t : toggles) {
        SCOPED_TRACE(t.title);
        const bool before = t.open();
        QMenu* m = rightClickOn(strip(), QPoint(3, strip()->height() / 2));
        ASSERT_NE(m, nullptr) << "no menu on the strip";
        choose(m, QString::fromLatin1(t.title));
        EXPECT_TRUE(advanceUntil([&] { return t.open() != before; }, 0.1, 3.0)) << "the strip's item";
        // The views end their slide before the next request.
        advance(2.0);
        m = rightClickOn(bar(), bare);
        ASSERT_NE(m, nullptr) << "no menu on the time bar";
        choose(m, QString::fromLatin1(t.title));
        EXPECT_TRUE(advanceUntil([&] { return t.open() == before; }, 0.1, 3.0)) << "the time bar's item";
        advance(2.0);
    }
    ZEVContextViewerServices* context = space()->contextViewer();
    ASSERT_NE(context, nullptr);
    ASSERT_FALSE(context->isShowedEntityWithInt(2000194));
    QMenu* m = rightClickOn(bar(), bare);
    ASSERT_NE(m, nullptr);
    choose(m, QStringLiteral("Channels"));
    EXPECT_TRUE(advanceUntil([&] { return context->isShowedEntityWithInt(2000194); }, 0.1, 3.0));
}

TEST_F(MenuContents, TheDesksTimeItemsFollowTheTimeBarsButtons)
{
    startWithTheBar();
    using B = ZEVRulerViewerServices::BarButton;
    ZEVRulerViewerServices* ruler = space()->rulerViewer();
    // The desk's menu, popped by a right click on the empty desk; its time items by text.
    const auto timeItems = [this] {
        const QPoint empty(canvas()->width() / 2, canvas()->height() - 40);
        QTest::mouseMove(canvas(), empty);
        QTest::mouseClick(canvas(), Qt::RightButton, {}, empty);
        QMenu* m = shownPopupMenu();
        std::map<QString, QAction*> out;
        EXPECT_TRUE(m && m->objectName() == QStringLiteral("menuFrontView")) << "the desk's menu did not pop";
        if (m)
            for (QAction* a : m->actions())
                if (a->property("action").toString().startsWith(QStringLiteral("menuTL")))
                    out[a->text()] = a;
        return std::pair{m, out};
    };
    const auto closeMenu = [this](QMenu* m) {
        if (m)
            m->close();
        pump();
    };

    click(bar()->rulerButton());
    ASSERT_TRUE(advanceUntil([&] { return ruler->stateOfBarButton(B::Ruler); }, 0.1, 2.0));
    auto [m, items] = timeItems();
    ASSERT_EQ(items.size(), 3u);
    ASSERT_TRUE(items.count(QStringLiteral("Ruler TimeLine"))) << "the Ruler item names the time line";
    EXPECT_TRUE(items[QStringLiteral("Ruler TimeLine")]->isChecked());
    ASSERT_TRUE(items.count(QStringLiteral("Now")));
    ASSERT_TRUE(items.count(QStringLiteral("Search")));
    // The Now cursor stays the active one: its item is half on, a dash and no check.
    EXPECT_FALSE(items[QStringLiteral("Now")]->isChecked());
    EXPECT_FALSE(items[QStringLiteral("Now")]->icon().isNull());
    EXPECT_FALSE(items[QStringLiteral("Search")]->isChecked());
    EXPECT_TRUE(items[QStringLiteral("Search")]->icon().isNull());
    closeMenu(m);

    click(bar()->searchButton());
    ASSERT_TRUE(advanceUntil([&] { return ruler->stateOfBarButton(B::Search); }, 0.1, 2.0));
    std::tie(m, items) = timeItems();
    ASSERT_TRUE(items.count(QStringLiteral("Search TimeCursor")));
    EXPECT_TRUE(items[QStringLiteral("Search TimeCursor")]->isChecked());
    ASSERT_TRUE(items.count(QStringLiteral("Ruler")));
    EXPECT_FALSE(items[QStringLiteral("Ruler")]->isChecked());
    ASSERT_TRUE(items.count(QStringLiteral("Now")));
    EXPECT_TRUE(items[QStringLiteral("Now")]->icon().isNull());
    closeMenu(m);
}

TEST_F(MenuContents, OpenWithShowsTheDefaultThenNoneAndBeepsWhenTheApplicationDoesNotStart)
{
    onlyTheHomesApplications();
    writeHomeFile(".local/share/applications/plain-reader.desktop",
                  "[Desktop Entry]\nType=Application\nName=Plain Reader\nExec=/nonexistent/plain-reader %f\n"
                  "MimeType=text/plain;\n");
    writeHomeFile(".config/mimeapps.list", "[Default Applications]\ntext/plain=plain-reader.desktop;\n");
    start();
    addHomeFiles({QStringLiteral("note.txt")});
    ZEVItemView* v = viewTitled(QStringLiteral("note.txt"));
    ASSERT_NE(v, nullptr);
    QTest::mouseClick(canvas(), Qt::RightButton, {}, at(v->imageFrame().center()));
    QMenu* popup = shownPopupMenu();
    ASSERT_NE(popup, nullptr) << "no menu popped";
    QAction* holder = nullptr;
    for (QAction* a : popup->actions())
        if (a->menu() && a->text() == QStringLiteral("Open With"))
            holder = a;
    ASSERT_NE(holder, nullptr);
    chooseInMenu(popup, holder);
    QMenu* openWith = holder->menu();
    ASSERT_TRUE(pumpUntil([openWith] { return openWith->isVisible(); }));
    // The one application is the default: below it no other serves the file.
    EXPECT_EQ(shownItems(openWith),
              (QStringList{QStringLiteral("Plain Reader (default)"), QStringLiteral("-"), QStringLiteral("<None>")}));
    QAction* none = openWith->actions().last();
    EXPECT_FALSE(none->isEnabled());

    // Its program is missing: the choice beeps, as a launch that fails does.
    ASSERT_EQ(sound.beeps, 0);
    chooseInMenu(openWith, openWith->actions().first());
    EXPECT_TRUE(pumpUntil([this] { return sound.beeps == 1; })) << "no beep for a launch that failed";
}

TEST_F(MenuContents, EveryFindMenuShowsTheGenericDocumentForFilesNotAFolder)
{
    startWithTheBar();
    const QImage document = pictureOf(genericDocumentIcon());
    const QImage folder = pictureOf(iconForFileType(QString()));
    ASSERT_NE(document, folder) << "the two pictures must differ for this test to tell them apart";
    // The find by kind "files" as each Find menu shows it.
    auto filesPicture = [&](QMenu* m, const char* which) {
        SCOPED_TRACE(which);
        QAction* files = menuItemTagged(m, 22020);
        if (!files) {
            ADD_FAILURE() << "no Find Files item";
            return;
        }
        EXPECT_EQ(pictureOf(files), document);
        EXPECT_NE(pictureOf(files), folder);
        m->close();
        pump();
    };

    auto* front = dynamic_cast<ZEVFrontViewer*>(space()->frontViewer());
    ASSERT_NE(front, nullptr);
    if (QMenu* m = menuOfButton(front->toolbar()->button(QStringLiteral("searchButton"))))
        filesPicture(m, "the toolbar's");

    openInspectorFromMenu(KELENTITY_ICON_VIEWER);
    ZEVInspectViewer* icons = dynamic_cast<ZEVInspectViewer*>(space()->viewerForEntityClassName("ZEVIconViewer"));
    ASSERT_TRUE(icons && icons->inspectViewIfBuilt());
    if (QMenu* m = menuOfButton(icons->inspectViewIfBuilt()->btnFind()))
        filesPicture(m, "the Icons panel's");

    openInspectorFromMenu(2000194);
    auto* channels = dynamic_cast<ZEVInspectViewer*>(space()->channelViewer());
    ASSERT_TRUE(channels && channels->inspectViewIfBuilt());
    if (QMenu* m = menuOfButton(channels->inspectViewIfBuilt()->btnFind()))
        filesPicture(m, "the Channels panel's");
}

TEST_F(MenuContents, RecallNowWearsTheNowRecallPictureWheneverItIsOfferedAtTheSearchCursor)
{
    start();
    // A file's icon that was on the Now desk for one hour, two hours ago.
    const auto [item, added] = fileIconShownForAnHour(QStringLiteral("notes.txt"));
    ASSERT_NE(item, nullptr);
    const auto recallNowPicture = [this](QMenu* m) {
        QAction* a = m ? menuItemTagged(m, 6) : nullptr;
        return a ? std::make_pair(a->isEnabled(), a->property("imageName").toString()) : std::make_pair(false, QString());
    };
    // At Now, with nothing chosen, there is nothing to recall: the item is off and black.
    chooseMenuItem(KELMainMenu::kMenuEdit, 104);
    advance(0.5);
    ASSERT_TRUE(space()->selections().selectedIconItems().empty());
    QMenu* edit = openMenu(KELMainMenu::kMenuEdit);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(recallNowPicture(edit), std::make_pair(false, QStringLiteral("editBlackRecall.tiff")));
    edit->close();
    pump();

    // On the Search desk of that hour the Object is chosen: it is not on the Now desk, so Recall
    // Now is offered, in the Now cursor's colour, in the menu bar's Edit menu and the toolbar's.
    scrubStrip(strip(), added - 5400, added + 1800);
    ASSERT_EQ(space()->actifCurseur(), space()->searchCurseur());
    ZEVItemViewForDesks* v = desk(space()->searchCurseur())->itemViewForItem(item);
    auto* view = dynamic_cast<ZEVItemView*>(v);
    ASSERT_TRUE(view && !view->isHidden());
    QTest::mouseClick(canvas(), Qt::LeftButton, {}, at(view->imageFrame().center()));
    advance(0.5);
    ASSERT_EQ(space()->selections().selectedIconItems(), std::vector<KELI*>{item});
    edit = openMenu(KELMainMenu::kMenuEdit);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(recallNowPicture(edit), std::make_pair(true, QStringLiteral("editNowRecall.tiff")));
    edit->close();
    pump();
    auto* front = dynamic_cast<ZEVFrontViewer*>(space()->frontViewer());
    ASSERT_NE(front, nullptr);
    ZEVButton* editButton = front->toolbar()->button(QStringLiteral("btnActionEdit"));
    ASSERT_TRUE(editButton && editButton->isEnabled());
    QMenu* bar = menuOfButton(editButton);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(recallNowPicture(bar), std::make_pair(true, QStringLiteral("editNowRecall.tiff")));
    bar->close();
    pump();
}

TEST_F(MenuContents, EveryPanelsMenuPicturesTheProgramItsFirstItemOpens)
{
    startWithTheBar();
    // The Files, Images and Contacts panels' menus open a program of the desktop with their first
    // item, and each shows that program's picture; a theme without an image viewer's picture
    // still shows the file manager's, where the Images panel's item opens its folder.
    for (const auto& [kind, viewer] : std::vector<std::pair<long, const char*>>{
             {kFiles, "ZEVFileViewer"}, {kImages, "ZEVBackViewer"}, {kContacts, "ZEVPersonViewer"}}) {
        SCOPED_TRACE(viewer);
        openInspectorFromMenu(kind);
        auto* panel = dynamic_cast<ZEVInspectViewer*>(space()->viewerForEntityClassName(viewer));
        ASSERT_TRUE(panel && panel->inspectViewIfBuilt());
        QMenu* m = menuOfButton(panel->inspectViewIfBuilt()->btnEntity());
        ASSERT_NE(m, nullptr);
        QAction* opener = menuItemTagged(m, 11111);
        ASSERT_TRUE(opener && opener->isVisible());
        EXPECT_FALSE(pictureOf(opener).isNull()) << opener->text().toStdString();
        m->close();
        pump();
        chooseMenuItem(KELMainMenu::kMenuInspectors, 50);
        advance(1.0);
    }
}

} // namespace
} // namespace e2e
