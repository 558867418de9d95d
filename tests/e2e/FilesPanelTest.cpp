// The Files panel in the running program: the entity button opens it on the file Objects the
// current Channel lists at the active cursor; the Search cursor taken a year back lists what was
// there then; a click on a row selects the Object's icon on the desk; type-select selects the
// rows whose titles hold the text; an Object selected on the desk shows as a row while selected.

#include "tests/e2e/E2EFixture.h"

#include "app/menu/KELMainMenu.h"
#include "desk/model/ZEVItemClass.h"
#include "engine/KELICurseur.h"
#include "engine/KELServeurDeLiens.h"
#include "front/ZEVFrontSelectionView.h"
#include "front/ZEVFrontViewer.h"
#include "inspectors/base/ZEVInspectView.h"
#include "inspectors/context/ZEVContextViewer.h"
#include "inspectors/files/ZEVFileViewer.h"
#include "inspectors/table/ZEVTableModel.h"
#include "services/ZEVFrontViewerServices.h"
#include "services/ZEVItemViewForDesks.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSelections.h"
#include "widgets/ZEVButton.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QTest>

namespace e2e {
namespace {

class FilesPanel : public E2E {
protected:
    ZEVContextViewer* context() const { return dynamic_cast<ZEVContextViewer*>(space()->contextViewer()); }
    ZEVFileViewer* files() const { return dynamic_cast<ZEVFileViewer*>(space()->viewerForEntityClassName("ZEVFileViewer")); }
    ZEVTableView* table() const
    {
        ZEVInspectView* p = files() ? files()->inspectViewIfBuilt() : nullptr;
        return p ? p->inspectTableView() : nullptr;
    }
    std::vector<std::string> titres() const
    {
        std::vector<std::string> out;
        ZEVTableView* t = table();
        for (int r = 0; t && r < t->numberOfRows(); ++r)
            out.push_back(t->tableModel()->data(t->tableModel()->index(r, 5), Qt::DisplayRole).toString().toStdString());
        std::sort(out.begin(), out.end());
        return out;
    }
    std::vector<std::string> lignesChoisies() const
    {
        std::vector<std::string> out;
        for (const QModelIndex& i : table()->selectionModel()->selectedRows(5))
            out.push_back(i.data().toString().toStdString());
        std::sort(out.begin(), out.end());
        return out;
    }
    // Files given to the program, whose icons the Now desk shows.
    std::vector<KELI*> placer(const QStringList& names)
    {
        QStringList paths;
        for (const QString& n : names) {
            QFile f(home + "/" + n);
            EXPECT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(n.toUtf8());
            paths << f.fileName();
        }
        adapter()->addFilenames(paths);
        advance(1.0);
        std::vector<KELI*> items;
        for (const QString& n : names)
            for (ZEVItemViewForDesks* v : nowDesk()->itemViewSet())
                if (v->itemTitle() == n)
                    items.push_back(v->item());
        EXPECT_EQ(items.size(), std::size_t(names.size()));
        return items;
    }
    // The Files presence of an Object on the current Channel over [in, out), through the engine.
    void presence(KELI* item, KELDate in, KELDate out)
    {
        KELI* canal = space()->channelForIdentityInt(space()->currentChannelInt());
        ASSERT_NE(KELServeurDeLiens::CreerLienRelInt(KELRELATION_FILE_VIEWER, canal, item, in, out, space()->nowCurseur()),
                  nullptr);
    }
    void moveSearchTo(KELDate date)
    {
        ZEVRulerViewerServices* r = space()->rulerViewer();
        ASSERT_TRUE(r->userChangeActifCurseur(space()->searchCurseur()));
        ASSERT_TRUE(r->userInitieDeplacementCurseur());
        r->userPlaceCurseurEtRulerOffset(date - space()->searchCurseur()->now());
        r->userTermineDeplacementCurseur();
        advance(1.0);
    }
    void clickRow(int row)
    {
        ZEVTableView* t = table();
        const QRect cell = t->visualRect(t->tableModel()->index(row, 5));
        QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, cell.center());
        pump();
    }
};

TEST_F(FilesPanel, TheButtonListsTheChannelsFilesAndTheRowsAndTheDeskSelectEachOther)
{
    startWithTheBar();
    const std::vector<KELI*> items = placer({"alpha.txt", "beta.txt", "gamma.txt"});
    ASSERT_EQ(items.size(), 3u);
    const KELDate now = space()->nowCurseur()->now();
    presence(items[0], now - 7 * kJour, KELDateOuverte);
    presence(items[1], now - 7 * kJour, KELDateOuverte);
    // The third was listed for a month a year ago, and no more.
    const KELDate ilYAUnAn = now - 365 * kJour;
    presence(items[2], ilYAUnAn, ilYAUnAn + 30 * kJour);
    // The drop selected the three icons; the panel opens on a desk with nothing selected.
    space()->selections().deselectAllIcons();
    advance(1.0);

    ZEVButton* bouton = context()->buttonForEntityInt(kFiles);
    ASSERT_NE(bouton, nullptr);
    click(bouton);
    advance(1.0);
    ASSERT_NE(table(), nullptr);
    ASSERT_TRUE(table()->isVisible());
    EXPECT_EQ(titres(), (std::vector<std::string>{"alpha.txt", "beta.txt"}));
    // The present rows' titles are bold, their legos reach the timeline's window.
    const QFont police = table()->tableModel()->data(table()->tableModel()->index(0, 5), Qt::FontRole).value<QFont>();
    EXPECT_TRUE(police.bold());
    EXPECT_FALSE(files()->fileClass().legosForRow(*table(), 0).empty());

    // Type-select: the rows of the timeline's span whose titles hold the text, in any case.
    // The main menu's Find by its key, with the panel's table focused.
    ASSERT_TRUE(files()->siFirstResponder());
    key(Qt::Key_F, Qt::ControlModifier);
    pump();
    QLineEdit* champ = files()->inspectViewIfBuilt()->searchField();
    ASSERT_TRUE(champ->isVisible());
    QTest::keyClicks(champ, "ALP");
    QTest::keyClick(champ, Qt::Key_Return);
    advance(1.0);
    EXPECT_EQ(space()->selections().selectedIconItems(), std::vector<KELI*>{items[0]});
    EXPECT_EQ(lignesChoisies(), (std::vector<std::string>{"alpha.txt"}));
    ASSERT_FALSE(champ->isVisible()) << "Return ended the search";
    // A long press on the panel's Find button shows it again.
    ZEVButton* find = files()->inspectViewIfBuilt()->btnFind();
    QTest::mousePress(find, Qt::LeftButton, {}, find->rect().center());
    advance(0.3);
    QTest::mouseRelease(find, Qt::LeftButton, {}, find->rect().center());
    pump();
    EXPECT_TRUE(champ->isVisible()) << "a long press on Find";
    files()->menuInspectFind();
    advance(0.5);

    // The Search cursor in that month, nothing selected: its desk's list has the third.
    space()->selections().deselectAllIcons();
    advance(0.5);
    moveSearchTo(ilYAUnAn + 15 * kJour);
    ASSERT_EQ(space()->actifCurseur(), space()->searchCurseur());
    advance(0.5);
    EXPECT_EQ(titres(), (std::vector<std::string>{"gamma.txt"}));
    // Back to the Now desk: the two again.
    ASSERT_TRUE(space()->rulerViewer()->userChangeActifCurseur(space()->nowCurseur()));
    advance(1.0);
    ASSERT_EQ(titres(), (std::vector<std::string>{"alpha.txt", "beta.txt"}));

    // A click on a row selects that Object's icon.
    space()->selections().deselectAllIcons();
    advance(0.5);
    int rangBeta = -1;
    for (int r = 0; r < table()->numberOfRows(); ++r)
        if (table()->tableModel()->index(r, 5).data().toString() == "beta.txt")
            rangBeta = r;
    ASSERT_GE(rangBeta, 0);
    clickRow(rangBeta);
    advance(0.5);
    EXPECT_EQ(space()->selections().selectedIconItems(), std::vector<KELI*>{items[1]});
    EXPECT_EQ(space()->frontViewer()->nameForFrontMode(0), QStringLiteral("1 Icon selected"));

    // Selected on the desk while the Now list lacks it, the third shows as a row (the Search list,
    // still a year back, holds it) until it is deselected.
    space()->selections().deselectAllIcons();
    advance(0.5);
    ZEVItemViewForDesks* vue = nullptr;
    for (ZEVItemViewForDesks* v : nowDesk()->itemViewSet())
        if (v->item() == items[2])
            vue = v;
    ASSERT_NE(vue, nullptr);
    // From the corner of its icon away from the other icons to the icon's middle (y-up frames).
    const QRectF f = vue->imageFrame();
    QPointF coin;
    for (QPointF d : {QPointF(-1, 1), QPointF(1, 1), QPointF(-1, -1), QPointF(1, -1)}) {
        const QPointF p(f.center().x() + d.x() * (f.width() / 2 + 6), f.center().y() + d.y() * (f.height() / 2 + 6));
        const QRectF r = QRectF(p, f.center()).normalized();
        bool libre = true;
        for (ZEVItemViewForDesks* v : nowDesk()->itemViewSet())
            if (v != vue && v->imageFrame().intersects(r))
                libre = false;
        if (libre) {
            coin = p;
            break;
        }
    }
    ASSERT_FALSE(coin.isNull()) << "a free corner";
    const QPoint depuis(int(coin.x()), int(canvas()->height() - coin.y()));
    const QPoint c(int(f.center().x()), int(canvas()->height() - f.center().y()));
    QTest::mousePress(canvas(), Qt::LeftButton, {}, depuis);
    QTest::mouseMove(canvas(), (depuis + c) / 2);
    QTest::mouseMove(canvas(), c);
    QTest::mouseRelease(canvas(), Qt::LeftButton, {}, c);
    advance(0.5);
    ASSERT_EQ(space()->selections().selectedIconItems(), std::vector<KELI*>{items[2]}) << "the lasso took the third";
    EXPECT_EQ(titres(), (std::vector<std::string>{"alpha.txt", "beta.txt", "gamma.txt"}));
    EXPECT_EQ(lignesChoisies(), (std::vector<std::string>{"gamma.txt"}));
    space()->selections().deselectAllIcons();
    advance(0.5);
    EXPECT_EQ(titres(), (std::vector<std::string>{"alpha.txt", "beta.txt"}));
}

TEST_F(FilesPanel, ARowClickedCountsInTheEditMenuAndTheReleaseAndRecallButtonsEndAndStartItsPresenceAtNow)
{
    startWithTheBar();
    const std::vector<KELI*> items = placer({"delta.txt"});
    ASSERT_EQ(items.size(), 1u);
    const std::string id = std::to_string(items[0]->idInt());
    presence(items[0], space()->nowCurseur()->now() - 7 * kJour, KELDateOuverte);
    space()->selections().deselectAllIcons();
    advance(1.0);
    click(context()->buttonForEntityInt(kFiles));
    advance(1.0);
    ASSERT_EQ(titres(), std::vector<std::string>{"delta.txt"});
    ZEVInspectView* panel = files()->inspectViewIfBuilt();
    EXPECT_EQ(panel->inspectField()->text(), QStringLiteral("1 File"));
    clickRow(0);
    advance(0.5);
    ASSERT_TRUE(files()->siFirstResponder());
    EXPECT_EQ(panel->inspectField()->text(), QStringLiteral("1/1 File"));

    // The Edit menu, opened with the mouse, names the panel's Object.
    QMenu* edit = openMenu(3);
    ASSERT_NE(edit, nullptr);
    QAction* release = adapter()->mainMenu()->item(3, 2);
    ASSERT_NE(release, nullptr);
    EXPECT_EQ(release->text(), QStringLiteral("Release 1 File"));
    EXPECT_TRUE(release->isEnabled());
    EXPECT_EQ(adapter()->mainMenu()->item(3, 4)->text(), QStringLiteral("Recall"));
    EXPECT_FALSE(adapter()->mainMenu()->item(3, 6)->isVisible()) << "Recall Now, with Now active";
    QTest::keyClick(edit, Qt::Key_Escape);
    pump();

    auto presences = [&] {
        return sql(database(), "SELECT DATE_IN, DATE_OUT FROM ZEVLETS WHERE RELATION = 1000157 AND CHILD_ZEVLET = " + id +
                                   " ORDER BY ZEVLET_ID");
    };
    ASSERT_EQ(presences().size(), 1u);
    // Release: the presence ends at the Now cursor's moment.
    ZEVButton* releaseButton = panel->btnRelease();
    ASSERT_TRUE(releaseButton->isEnabled());
    const KELDate moment = space()->nowCurseur()->now();
    click(releaseButton);
    advance(1.0);
    Rows r = presences();
    ASSERT_EQ(r.size(), 1u);
    EXPECT_NEAR(std::stod(r.at(0, 1)), moment, 2.0);
    // Recall: a new presence starts there.
    ZEVButton* recallButton = panel->btnRecall();
    ASSERT_TRUE(recallButton->isEnabled());
    EXPECT_FALSE(releaseButton->isEnabled());
    const KELDate rappel = space()->nowCurseur()->now();
    click(recallButton);
    advance(1.0);
    r = presences();
    ASSERT_EQ(r.size(), 2u);
    EXPECT_NEAR(std::stod(r.at(1, 0)), rappel, 2.0);
    EXPECT_TRUE(releaseButton->isEnabled());
}

TEST_F(FilesPanel, TheTracksOpeningOverTheOpenPanelLeaveItsFirstRowBelowThemOnScreen)
{
    startWithTheBar();
    const std::vector<KELI*> items = placer({"north.txt", "south.txt", "east.txt"});
    ASSERT_EQ(items.size(), 3u);
    const KELDate now = space()->nowCurseur()->now();
    for (KELI* o : items)
        presence(o, now - 7 * kJour, KELDateOuverte);
    advance(1.0);
    auto* front = dynamic_cast<ZEVFrontViewer*>(space()->frontViewer());
    ASSERT_NE(front, nullptr);
    if (front->siTracksOpened()) {
        chooseMenuItem(KELMainMenu::kMenuView, 4);
        advance(1.5);
    }
    ASSERT_FALSE(front->siTracksOpened());
    click(context()->buttonForEntityInt(kFiles));
    advance(1.0);
    ASSERT_NE(table(), nullptr);
    ASSERT_EQ(table()->numberOfRows(), 3);
    ZEVInspectView* panel = files()->inspectViewIfBuilt();

    QWidget* content = window()->spaceView();
    auto rowRect = [&] {
        const QRect r = table()->visualRect(table()->tableModel()->index(0, 5));
        return QRect(table()->viewport()->mapTo(content, r.topLeft()), r.size());
    };
    auto headerBottom = [&] {
        QWidget* s = front->selectionView();
        return s && s->isVisible() ? s->mapTo(content, QPoint(0, s->height())).y() : 0;
    };
    // Row 0 is what the window shows at its centre: no header view lies over it.
    auto onScreen = [&] {
        QWidget* hit = window()->childAt(content->mapTo(window(), rowRect().center()));
        return hit == table()->viewport() || table()->viewport()->isAncestorOf(hit);
    };
    const QRect before = rowRect();
    const int bottom = panel->geometry().bottom();
    EXPECT_GE(before.top(), headerBottom());
    EXPECT_TRUE(onScreen());

    // The three selected Objects open as tracks of three rows over the panel.
    chooseMenuItem(KELMainMenu::kMenuView, 4);
    advance(1.5);
    ASSERT_TRUE(front->siTracksOpened());
    ASSERT_GE(front->selectionView()->height(), 3 * 19);
    const QRect under = rowRect();
    EXPECT_GE(under.top(), headerBottom()) << "row 0 lies below the header views";
    EXPECT_GE(under.top(), front->headerViewsHeight());
    EXPECT_LE(under.bottom(), content->height());
    EXPECT_TRUE(onScreen());
    EXPECT_EQ(panel->frame(), panel->openedRect()) << "hung where a panel opened now would be";
    EXPECT_EQ(panel->geometry().bottom(), bottom) << "its bottom stays";

    // Closed again: the rows go back up where they were.
    chooseMenuItem(KELMainMenu::kMenuView, 4);
    advance(1.5);
    ASSERT_FALSE(front->siTracksOpened());
    EXPECT_EQ(rowRect(), before);
    EXPECT_TRUE(onScreen());
}

TEST_F(FilesPanel, AfterTheWindowShrinksTheOpenPanelStaysWhereItHangsAndItsBarDragsItFromThere)
{
    startWithTheBar();
    click(context()->buttonForEntityInt(kFiles));
    advance(1.0);
    ZEVInspectView* panel = files()->inspectViewIfBuilt();
    ASSERT_NE(panel, nullptr);
    QWidget* canvas = panel->parentWidget();
    const QRect hung = panel->geometry();
    const int before = canvas->height();
    window()->resize(window()->width(), window()->height() - 120);
    pump();
    advance(0.5);
    ASSERT_EQ(canvas->height(), before - 120);
    EXPECT_EQ(panel->geometry(), hung) << "its top still under the header views";
    EXPECT_EQ(panel->frame().y(), canvas->height() - (hung.y() + hung.height()));

    // The bar dragged 30 points left: only x changes, nothing jumps by the 120 points.
    const QPoint grip = panel->mapTo(canvas, QPoint(panel->width() / 2, panel->height() - 20 - 10));
    auto at = [&](QPoint onCanvas) { return panel->mapFrom(canvas, onCanvas); };
    QTest::mousePress(panel, Qt::LeftButton, {}, at(grip));
    for (int i = 1; i <= 3; ++i)
        QTest::mouseMove(panel, at(grip + QPoint(-10 * i, 0)));
    QTest::mouseRelease(panel, Qt::LeftButton, {}, at(grip + QPoint(-30, 0)));
    pump();
    EXPECT_EQ(panel->geometry(), hung.translated(-30, 0));
}

} // namespace
} // namespace e2e
