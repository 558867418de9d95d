// Acts of several steps met by a full disk in the running program (a trigger refuses one relation's
// rows here, as a full disk refuses the page they need): Clean All, Clean and Recall, Clean and
// Replace, New Space, New Channel and a file put into the drop folder store all of what they do or
// none of it, the user is told, and the window shows what the store holds. Nothing half-made is
// left in the store folder either: no record of an Object the store does not hold, no copy of a
// picture for a Space that was never begun.

#include "tests/e2e/FullLinkBase.h"
#include "tests/e2e/PastSpacesFixture.h"
#include "tests/support/ModalDialogs.h"

#include "app/menu/KELMainMenu.h"
#include "desk/model/ZEVDeskClass.h"
#include "desk/viewer/ZEVDeskBackground.h"
#include "desk/viewer/ZEVDeskSaveAs.h"
#include "engine/KELICurseur.h"
#include "engine/KELServeurDeLiens.h"
#include "front/ZEVFrontViewer.h"
#include "inspectors/channels/ZEVChannelAddPanel.h"
#include "objects/view/ZEVItemView.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSelections.h"

#include <QAction>
#include <QDirIterator>
#include <QFileDialog>
#include <QImage>
#include <QLineEdit>
#include <QMimeData>
#include <QMenu>
#include <QTest>

#include <algorithm>
#include <cstdio>

namespace e2e {
namespace {

using tallomer::test::whenModalRuns;

constexpr KELId kBackImage = 1000172;
constexpr double kOpen = 4503599627370496.0;

class FullDiskActs : public PastSpacesE2E {
protected:
    // Every link row as the store holds it: an act it refused leaves this as it was.
    std::string links() const
    {
        const Rows r = sql(database(), "SELECT ZEVLET_ID, RELATION, PARENT_ZEVLET, CHILD_ZEVLET, DATE_IN, DATE_OUT "
                                       "FROM ZEVLETS ORDER BY ZEVLET_ID");
        std::string all;
        for (std::size_t i = 0; i < r.size(); ++i)
            for (std::size_t c = 0; c < 6; ++c)
                all += r.at(i, c) + (c == 5 ? "\n" : " ");
        return all;
    }
    // Every file under the store folder but the database and its log.
    std::string storeFiles() const
    {
        QStringList out;
        QDirIterator it(storeFolder(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            if (!QFileInfo(path).fileName().startsWith(QLatin1String("zev.sqlite")))
                out << path;
        }
        out.sort();
        return out.join(u'\n').toStdString();
    }
    // Object views shown at the Now cursor.
    QStringList shownTitles() const
    {
        QStringList out;
        for (ZEVItemViewForDesks* v : nowDesk()->itemViewSet())
            if (auto* iv = dynamic_cast<ZEVItemView*>(v); iv && iv->siActif() && !iv->isHidden())
                out << iv->itemTitle();
        out.sort();
        return out;
    }
    bool allOpen(const QStringList& titles) const
    {
        for (KELI* o : itemsTitled(titles)) {
            const Rows r = iconLinks(std::to_string(o->idInt()));
            if (r.empty() || std::stod(r.at(r.size() - 1, 1)) < kOpen)
                return false;
        }
        return true;
    }
    void runOut()
    {
        runTransitionOut();
        advance(1.0);
    }
    // The act's question (if any) answered, then the failure told once.
    void expectToldOnce(const QString& asked = {})
    {
        QStringList messages;
        for (const ZEVAlertRequest& a : alerts)
            messages << a.message;
        QStringList expected;
        if (!asked.isEmpty())
            expected << asked;
        expected << QStringLiteral("Your changes could not be saved.");
        EXPECT_EQ(messages, expected);
    }
    // Spaces ▸ New Space… or Channels ▸ New Channel… with that picture and the names offered.
    void newFromPicture(int menu, const QString& item, const QString& picture)
    {
        bool panel = false;
        whenModalRuns<QFileDialog>(window(), [&](QFileDialog* dialog) {
            whenModalRuns<ZEVChannelAddPanel>(window(), [&](ZEVChannelAddPanel* p) {
                panel = true;
                QTest::keyClick(p->nameField(), Qt::Key_Return);
            });
            ASSERT_TRUE(tallomer::test::typeIntoFileDialog(dialog, picture));
        });
        chooseMenuItemTitled(menu, item);
        runOut();
        EXPECT_TRUE(panel);
    }
    // The Spaces menu's entry that replaces the Now desk with the Space of that background,
    // answered Yes and run out.
    void replaceWith(KELI* image)
    {
        alertAnswer = 0;
        if (chooseReplaceWith(image))
            runOut();
    }
    // Clean All answered Yes while the store refuses that relation's rows.
    void cleanAllRefusing(KELId refused)
    {
        start();
        const QStringList titles = {"a.txt", "b.txt", "c.txt"};
        addHomeFiles(titles);
        advance(5.0);
        ASSERT_EQ(shownTitles(), titles);
        const std::string before = links();
        alerts.clear();
        alertAnswer = 0; // Yes
        {
            FullLinkBase full(refused);
            chooseMenuItem(/*Spaces*/ 9, /*Clean All*/ 40);
            runOut();
        }
        EXPECT_FALSE(front()->siTransitionRunning());
        expectToldOnce(QStringLiteral("Clean All"));
        EXPECT_TRUE(links() == before) << "part of Clean All was stored";
        EXPECT_TRUE(allOpen(titles));
        EXPECT_EQ(shownTitles(), titles) << "the desk does not show what the store holds";

        // With room again Clean All goes through.
        chooseMenuItem(9, 40);
        runOut();
        EXPECT_FALSE(allOpen(titles));
        EXPECT_TRUE(shownTitles().isEmpty());
    }
};

// Clean All stores the new Space's background and the end of every Object at its start together:
// a full disk at either leaves the Space as it was, its Objects on the desk.
TEST_F(FullDiskActs, CleanAllWhoseBackgroundFindsNoRoomLeavesTheObjectsOnTheDesk)
{
    cleanAllRefusing(kBackImage);
}

TEST_F(FullDiskActs, CleanAllWhoseReleasesFindNoRoomBeginsNoNewSpace)
{
    cleanAllRefusing(KELRELATION_ICON_VIEWER);
}

// Clean and Recall keeps the selected Object and lets the others go where the new Space begins:
// with no room for the ends, the new background is not kept either.
TEST_F(FullDiskActs, CleanAndRecallWhoseReleasesFindNoRoomLeavesTheDeskAsItWas)
{
    start();
    const QStringList titles = {"a.txt", "b.txt", "c.txt"};
    addHomeFiles(titles);
    advance(5.0);
    space()->selections().selectIconForItemSet({itemsTitled({"a.txt"}).at(0)}, 0);
    pump();
    const std::string before = links();
    alerts.clear();
    {
        FullLinkBase full(KELRELATION_ICON_VIEWER);
        chooseMenuItem(/*Spaces*/ 9, /*Clean and Recall*/ 41);
        runOut();
    }
    EXPECT_FALSE(front()->siTransitionRunning());
    expectToldOnce();
    EXPECT_TRUE(links() == before) << "part of Clean and Recall was stored";
    EXPECT_TRUE(allOpen(titles));
    EXPECT_EQ(shownTitles(), titles);
}

// Clean and Replace with a past Space: the Now desk's other Objects end and the past background
// begins together, or neither.
TEST_F(FullDiskActs, CleanAndReplaceOnAFullDiskStoresNoneOfItAndTheNowDeskStaysAsItWas)
{
    start();
    const auto [sea, field] = seaThenField();
    ASSERT_TRUE(sea && field);
    addHomeFiles({"late.txt"});
    advance(5.0);
    const QStringList shown = shownTitles();
    ASSERT_TRUE(shown.contains("late.txt"));
    const std::string before = links();
    alerts.clear();
    alertAnswer = 0;
    {
        FullLinkBase full(kBackImage);
        replaceWith(sea);
    }
    EXPECT_FALSE(front()->siTransitionRunning());
    expectToldOnce(QStringLiteral("Clean & Replace"));
    EXPECT_TRUE(links() == before) << "part of Clean and Replace was stored";
    EXPECT_TRUE(allOpen({"late.txt"}));
    EXPECT_EQ(nowDesk()->background().currentBackImageItem(), field);
    EXPECT_EQ(shownTitles(), shown);
}

// New Space makes a picture Object, copies the picture into the store and begins a Space with it:
// on a full disk none of it is left, and the desk keeps its Objects.
TEST_F(FullDiskActs, ANewSpaceOnAFullDiskLeavesNoObjectRecordOrCopyAndTheDeskAsItWas)
{
    start();
    png("Dune.png", QColor(200, 170, 90));
    addHomeFiles({"note.txt"});
    advance(2.0);
    const std::string before = links();
    const std::string files = storeFiles();
    alerts.clear();
    {
        FullLinkBase full(kBackImage);
        newFromPicture(KELMainMenu::kMenuSpaces, QString::fromUtf8("New Space\u2026"), "Dune.png");
    }
    expectToldOnce();
    EXPECT_TRUE(links() == before) << "part of the new Space was stored";
    EXPECT_TRUE(liveObjectsTitled("Dune").empty());
    EXPECT_EQ(storeFiles(), files) << "a record or a copy was left for a Space never begun";
    EXPECT_EQ(shownTitles(), QStringList{"note.txt"});
    EXPECT_TRUE(allOpen({"note.txt"}));

    // With room again the same New Space is made, its picture copied.
    newFromPicture(KELMainMenu::kMenuSpaces, QString::fromUtf8("New Space\u2026"), "Dune.png");
    const Rows made = liveObjectsTitled("Dune");
    ASSERT_EQ(made.size(), 1u);
    EXPECT_EQ(nowDesk()->background().currentBackImageItem()->idInt(), std::stoull(made.at(0, 0)));
    EXPECT_NE(storeFiles(), files) << "the picture was not copied";
    EXPECT_TRUE(shownTitles().isEmpty());
}

// New Channel stores the Channel, its name and colour, its first Space's picture Object and
// background, and its listing: a full disk at the background leaves no Channel, no folders, record
// or copy of it, and the window on the Channel it showed.
TEST_F(FullDiskActs, ANewChannelOnAFullDiskLeavesNoChannelFoldersOrCopyBehind)
{
    start();
    png("Lagoon.png", Qt::cyan);
    const std::string before = links();
    const std::string files = storeFiles();
    const QStringList folders = QDir(storeFolder() + "/local/zevDrop").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    alerts.clear();
    {
        FullLinkBase full(kBackImage);
        newFromPicture(KELMainMenu::kMenuChannels, QString::fromUtf8("New Channel\u2026"), "Lagoon.png");
    }
    expectToldOnce();
    EXPECT_TRUE(links() == before) << "part of the new Channel was stored";
    EXPECT_EQ(storeFiles(), files) << "a record or a copy was left for a Channel never made";
    EXPECT_EQ(QDir(storeFolder() + "/local/zevDrop").entryList(QDir::Dirs | QDir::NoDotAndDotDot), folders);
    EXPECT_EQ(space()->currentChannelInt(), space()->homeChannelInt());
    EXPECT_EQ(space()->allIdentities().size(), 1u);

    // With room again the Channel is made and shown, its picture copied.
    newFromPicture(KELMainMenu::kMenuChannels, QString::fromUtf8("New Channel\u2026"), "Lagoon.png");
    EXPECT_EQ(space()->allIdentities().size(), 2u);
    EXPECT_NE(space()->currentChannelInt(), space()->homeChannelInt());
    EXPECT_NE(storeFiles(), files) << "the picture was not copied";
}

// A file put into the drop folder becomes an Object with its icon on the desk, or nothing: an
// Object left on no desk would keep the file known, and no later scan would ever show it.
TEST_F(FullDiskActs, AFileInTheDropFolderWhoseIconFindsNoRoomIsTakenAtTheNextScan)
{
    start();
    const QString drop = home + "/Tallomer";
    ASSERT_TRUE(QDir().mkpath(drop));
    const std::string before = links();
    const std::string files = storeFiles();
    alerts.clear();
    {
        FullLinkBase full(KELRELATION_ICON_VIEWER);
        writeFile(drop + "/notes.txt", "kept by the user");
        // The folder's own scan, the one act that meets the file.
        ASSERT_TRUE(advanceUntil([&] { return adapter()->deskSaveAs()->watch().siScanPending(); }, 0.05, 1.0))
            << "the folder's change was not heard";
        advance(1.1);
    }
    expectToldOnce();
    EXPECT_TRUE(links() == before) << "an Object was stored without its icon";
    EXPECT_EQ(storeFiles(), files) << "the record of an Object the store does not hold stayed";
    EXPECT_TRUE(QFile::exists(drop + "/notes.txt")) << "the user's file is never touched";
    EXPECT_TRUE(shownTitles().isEmpty());

    // With room again the next scan makes it and shows it.
    graph->delegate()->applicationWillBecomeActive();
    advance(1.0);
    EXPECT_EQ(liveObjectsTitled("notes.txt").size(), 1u);
    EXPECT_EQ(shownTitles(), QStringList{"notes.txt"});
}

// A file of the drop folder replaced by another of its name while its Object is on no desk: the
// scan gives the Object its icon again and learns the new file. The disk full at the icon, the
// Object must not learn the file as taken, or no later scan, nor the next start, would show it.
TEST_F(FullDiskActs, AReplacedFileOfTheDropFolderWhoseIconFindsNoRoomIsShownAtTheNextStart)
{
    start();
    const QString drop = home + "/Tallomer";
    ASSERT_TRUE(QDir().mkpath(drop));
    writeFile(drop + "/notes.txt", "first draft");
    graph->delegate()->applicationWillBecomeActive();
    advance(1.0);
    const Rows made = liveObjectsTitled("notes.txt");
    ASSERT_EQ(made.size(), 1u);
    const std::string id = made.at(0, 0);
    // Its icon forgotten: the Object stays, on no desk.
    KELICurseur* now = space()->nowCurseur();
    for (KELId l : KELServeurDeLiens::LiensNumDeLEnfantIntRelInt(std::stoull(id), KELRELATION_ICON_VIEWER)
                       .value_or(std::vector<KELId>()))
        KELServeurDeLiens::DegagerLien(KELServeurDeLiens::LienForInt(l, now), now);
    advance(1.0);
    ASSERT_TRUE(shownTitles().isEmpty());
    // The new file is written beside and moved over the old one, as editors save.
    const QString fresh = writeFile(home + "/notes.txt", "second draft");
    ASSERT_TRUE(::rename(QFile::encodeName(fresh).constData(), QFile::encodeName(drop + "/notes.txt").constData()) == 0);
    alerts.clear();
    {
        FullLinkBase full(KELRELATION_ICON_VIEWER);
        ASSERT_TRUE(advanceUntil([&] { return adapter()->deskSaveAs()->watch().siScanPending(); }, 0.05, 1.0))
            << "the folder's change was not heard";
        advance(1.1);
    }
    expectToldOnce();
    EXPECT_TRUE(shownTitles().isEmpty()) << "an icon the store does not hold is shown";

    quit();
    start();
    advance(1.0);
    EXPECT_EQ(liveObjectsTitled("notes.txt").size(), 1u) << "the file became a second Object";
    const Rows icons = iconLinks(id, space()->zevFolderChannelInt());
    bool shown = false;
    for (std::size_t r = 0; r < icons.size(); ++r)
        shown = shown || std::stod(icons.at(r, 1)) >= kOpen;
    EXPECT_TRUE(shown) << "the replaced file's Object never came back on a desk";
    EXPECT_EQ(shownTitles(), QStringList{"notes.txt"});
}

// A file of the drop folder that no scan could make an Object of, dropped on the desk while the
// disk is still full: the Object taken back takes nothing of the user's with it.
TEST_F(FullDiskActs, AFileOfTheDropFolderDroppedOnAFullDiskStaysWhereItIs)
{
    start();
    const QString drop = home + "/Tallomer";
    ASSERT_TRUE(QDir().mkpath(drop));
    const QString notes = writeFile(drop + "/notes.txt", "kept by the user");
    alerts.clear();
    {
        FullLinkBase full(KELRELATION_ICON_VIEWER);
        graph->delegate()->applicationWillBecomeActive();
        advance(1.0);
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(notes)});
        dropOnCanvas(data, QPoint(300, 300));
        advance(1.0);
    }
    // The scans that met the file and the drop are acts of their own, each told once.
    const std::size_t acts = log.count("was not stored") + log.count("is taken back");
    EXPECT_GE(acts, 2u);
    EXPECT_EQ(alerts.size(), acts);
    for (const ZEVAlertRequest& a : alerts)
        EXPECT_EQ(a.message, QStringLiteral("Your changes could not be saved."));
    EXPECT_TRUE(liveObjectsTitled("notes.txt").empty());
    EXPECT_TRUE(QFile::exists(notes)) << "the user's file was moved away";
    EXPECT_TRUE(shownTitles().isEmpty());
}

} // namespace
} // namespace e2e
