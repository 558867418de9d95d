// The Channels panel at work in the running program: three Channels of two Spaces each; the count
// field names the row and the Space; Ctrl with the wheel over the rows walks the Channels, and
// after a quiet time the Spaces; a long press on Channel down steps the list; a zoom preset sets
// the strip's scale; the main menu's Channel Up reaches the list; a drag of the bar is kept in
// the settings file; a Space renamed in the count field is stored. With the list focused, the Edit
// and Object menus follow it; the panel's finds and go buttons go through the front layer. The
// Channels menu shows the Channel under the pointer and Esc brings the first back.

#include "tests/e2e/E2EFixture.h"

#include "app/menu/KELMainMenu.h"
#include "app/space/ZEVSpaceAdapter.h"
#include "desk/model/ZEVItemClass.h"
#include "engine/KELICurseur.h"
#include "engine/KELServeurDeLiens.h"
#include "front/ZEVFrontViewer.h"
#include "inspectors/channels/ZEVChannelTableView.h"
#include "inspectors/channels/ZEVChannelViewer.h"
#include "inspectors/context/ZEVContextViewer.h"
#include "inspectors/table/ZEVTableModel.h"
#include "platform/MenuText.h"
#include "ruler/ZEVRulerViewer.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSelections.h"
#include "widgets/ZEVButton.h"

#include <QComboBox>
#include <QFile>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QWheelEvent>
#include <QWidgetAction>

#include <algorithm>
#include <cmath>

namespace e2e {
namespace {

class ChannelsInspector : public E2E {
protected:
    ZEVChannelViewer* channels() const { return dynamic_cast<ZEVChannelViewer*>(space()->channelViewer()); }

    int ligne(ZEVChannelTableView* t) const
    {
        const QModelIndexList rows = t->selectionModel()->selectedRows();
        return rows.size() == 1 ? rows.first().row() : -1;
    }
    // Ctrl with the wheel over a row, as the system delivers it to the list.
    void molette(ZEVChannelTableView* t, QPoint angle)
    {
        const QPoint at(40, t->rowViewportPosition(0) + 15);
        QWheelEvent e(at, t->viewport()->mapToGlobal(at), QPoint(), angle, Qt::NoButton, Qt::ControlModifier,
                      Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(t->viewport(), &e);
        advance(0.01);
    }
    ZEVButton* barButton() const
    {
        auto* bar = dynamic_cast<ZEVContextViewer*>(space()->contextViewer());
        return bar ? bar->buttonForEntityInt(KELENTITY_CHANNEL_VIEWER) : nullptr;
    }
    // The context bar's Channels button, clicked: the panel slides open.
    ZEVChannelViewer* openFromTheBar()
    {
        ZEVButton* bouton = barButton();
        EXPECT_NE(bouton, nullptr);
        if (!bouton)
            return nullptr;
        QTest::mouseClick(bouton, Qt::LeftButton, {}, bouton->rect().center());
        pump();
        advance(1.0);
        return channels();
    }
    // Home, Work and Travel, two Spaces each over the span given, then a restart with the
    // panel 220 high; their ids in that order.
    std::vector<KELId> seedThreeChannels(KELDate in, double len)
    {
        std::vector<KELId> ids;
        const std::pair<const char*, const char*> noms[3] = {{"Shore", "Beach"}, {"Desk", "Office"}, {"Road", "Hotel"}};
        const char* canaux[3] = {"Home", "Work", "Travel"};
        for (int i = 0; i < 3; ++i) {
            KELI* canal = i == 0 ? space()->channelForIdentityInt(space()->currentChannelInt())
                                 : space()->newIdentityNamed(canaux[i]);
            EXPECT_NE(canal, nullptr);
            if (!canal)
                return ids;
            ids.push_back(canal->idInt());
            seedTwoSpaces(canal, {noms[i].first, noms[i].second}, {QColor(60, 90, 120), QColor(100, 90, 120)}, in,
                          len);
        }
        restartWithChannelsPanelHeight(220);
        return ids;
    }
    Rows titleLinksTo(const std::string& word) const
    {
        return sql(database(), "SELECT l.ZEVLET_ID FROM ZEVLETS l JOIN WORD w ON w.ZEVLET_ID = l.CHILD_ZEVLET "
                               "WHERE l.RELATION = 1000217 AND w.WORD = '" + word + "'");
    }
};

// Another Channel's Spaces are written in their own grey line: a title that looks like markup is
// still shown as typed.
TEST_F(ChannelsInspector, AnotherChannelsSpaceTitledLikeMarkupIsShownAsTypedInTheRowMenu)
{
    startWithTheBar();
    const auto [in, len] = placedTimelineSpan();
    KELI* work = space()->newIdentityNamed("Work");
    ASSERT_NE(work, nullptr);
    seedTwoSpaces(work, {"<b>Plan</b>", "Draft"}, {QColor(60, 90, 120), QColor(100, 90, 120)}, in, len);
    restartWithChannelsPanelHeight(220);
    ZEVChannelViewer* v = openFromTheBar();
    ASSERT_TRUE(v && v->siShowInspectView());
    ZEVChannelTableView* table = v->channelTableView();
    ASSERT_EQ(table->tableModel()->rowCount(), 2);
    ASSERT_NE(space()->currentChannelInt(), work->idInt());

    QTest::mousePress(table->viewport(), Qt::RightButton, {}, QPoint(40, table->rowViewportPosition(1) + 15));
    pump();
    QMenu* menu = table->channelRowMenu();
    ASSERT_TRUE(menu->isVisible());
    QStringList shown;
    for (QAction* a : menu->actions()) {
        auto* w = qobject_cast<QWidgetAction*>(a);
        for (QLabel* l : w && w->defaultWidget() ? w->defaultWidget()->findChildren<QLabel*>() : QList<QLabel*>()) {
            if (l->text().isEmpty())
                continue;
            // The whole text is laid out: none of it was taken for markup.
            EXPECT_GE(l->sizeHint().width(), l->fontMetrics().horizontalAdvance(l->text())) << l->text().toStdString();
            shown << l->text();
        }
    }
    menu->close();
    pump();
    EXPECT_TRUE(std::any_of(shown.begin(), shown.end(), [](const QString& t) { return t.endsWith("<b>Plan</b>"); }))
        << shown.join(" | ").toStdString();
}

TEST_F(ChannelsInspector, TheFieldTheWheelTheToolbarTheZoomTheBarAndTheRenameWorkInTheProgram)
{
    startWithTheBar();
    const auto [in, len] = placedTimelineSpan();
    const std::vector<KELId> ids = seedThreeChannels(in, len);
    ASSERT_EQ(ids.size(), 3u);
    ZEVChannelViewer* v = openFromTheBar();
    ASSERT_TRUE(v && v->siShowInspectView());
    ZEVChannelView* panel = v->channelView();
    ZEVChannelTableView* table = v->channelTableView();
    ASSERT_EQ(table->tableModel()->rowCount(), 3);
    EXPECT_EQ(ligne(table), 0);
    // The home Channel's Space at Now, whichever the first start made.
    const QString maison = QString::fromStdString(nowDesk()->currentBackImageItemName());
    ASSERT_FALSE(maison.isEmpty());
    EXPECT_EQ(panel->countField()->text(), QStringLiteral("3-1 ") + maison);

    // Ctrl and the wheel over the rows: 5 lines the next row, 9 more the one after.
    molette(table, QPoint(0, 5 * 120));
    EXPECT_EQ(space()->currentChannelInt(), ids[1]);
    EXPECT_EQ(panel->countField()->text(), QStringLiteral("3-2 Office"));
    molette(table, QPoint(0, 9 * 120));
    EXPECT_EQ(space()->currentChannelInt(), ids[2]);
    // Sideways within 0.4 s: nothing; after 0.4 s of quiet: the previous Space.
    molette(table, QPoint(-5 * 120, 0));
    EXPECT_EQ(space()->actifCurseur(), space()->nowCurseur());
    advance(0.45);
    molette(table, QPoint(-5 * 120, 0));
    advance(2.0);
    EXPECT_EQ(space()->actifCurseur(), space()->searchCurseur());
    EXPECT_LT(space()->searchCurseur()->now(), in + 0.5 * len) << "in the past Space";
    EXPECT_EQ(space()->currentChannelInt(), ids[2]);
    advance(1.0);
    EXPECT_EQ(panel->countField()->text(), QStringLiteral("3-3 Road"));

    // The main menu's Space steps are there for the panel.
    if (QMenu* m = openMenu(KELMainMenu::kMenuSpaces)) {
        for (const char* titre : {"Previous Distinct Space", "Next Distinct Space", "Previous Space in the List",
                                  "Next Space in the List"})
            for (QAction* a : m->actions()) {
                if (a->text().remove('&') == QLatin1String(titre)) {
                    EXPECT_TRUE(a->isEnabled()) << titre;
                }
            }
        m->hide();
        pump();
    }
    // The main menu's Channel Up reaches the list.
    chooseMenuItemTitled(KELMainMenu::kMenuChannels, QStringLiteral("Channel Up"));
    pump();
    EXPECT_EQ(space()->currentChannelInt(), ids[1]);
    EXPECT_EQ(ligne(table), 1);

    // A 0.15 s press on Channel down: the next row.
    ZEVButton* down = panel->btnChannelDown();
    QTest::mousePress(down, Qt::LeftButton, {}, down->rect().center());
    advance(ZEVButton::kLongClickDelay);
    QTest::mouseRelease(down, Qt::LeftButton, {}, down->rect().center());
    pump();
    advance(0.1);
    EXPECT_EQ(space()->currentChannelInt(), ids[2]);
    EXPECT_EQ(ligne(table), 2);

    // The next zoom of the pop-up: the strip shows its seconds per 48 points.
    advance(0.5);
    QComboBox* zoom = panel->zoomPopUp();
    const int suivant = zoom->currentIndex() + 1;
    ASSERT_LT(suivant, zoom->count());
    const double secondes = zoom->itemData(suivant).toDouble();
    QTest::keyClick(zoom, Qt::Key_Down);
    advance(2.0);
    ZEVRulerViewer* r = ruler();
    ASSERT_GT(r->tlineWidth(), 0);
    EXPECT_NEAR(r->tlineSpan() / (r->tlineWidth() / 48), secondes, secondes * 0.01);
    EXPECT_EQ(zoom->currentData().toDouble(), secondes);

    // A drag of the bar by its left end: the panel's frame goes to the settings file.
    const QPoint gauche(23, panel->height() - 20 - 11);
    QTest::mousePress(panel, Qt::LeftButton, {}, gauche);
    QTest::mouseMove(panel, gauche + QPoint(40, 0));
    QTest::mouseRelease(panel, Qt::LeftButton, {}, gauche + QPoint(40, 0));
    advance(0.5);
    QFile reglages(home + "/.config/Tallomer/Tallomer.conf");
    ASSERT_TRUE(reglages.open(QIODevice::ReadOnly));
    const QString texte = QString::fromUtf8(reglages.readAll());
    EXPECT_TRUE(texte.contains(QStringLiteral("ZEVInspectChannelW=%1").arg(panel->frame().width()))) << texte.toStdString();
    EXPECT_TRUE(texte.contains(QStringLiteral("ZEVInspectChannelX=%1").arg(panel->frame().x())));

    // Back to Now on the home Channel (the main menu's Home Channel); its Space renamed from the
    // row menu, in the field.
    chooseMenuItemTitled(KELMainMenu::kMenuChannels, QStringLiteral("Home Channel"));
    EXPECT_EQ(space()->currentChannelInt(), ids[0]);
    EXPECT_EQ(ligne(table), 0);
    dynamic_cast<ZEVRulerViewer*>(space()->rulerViewer())->userChangeActifCurseur(space()->nowCurseur());
    advance(1.0);
    const QPoint rang(40, table->rowViewportPosition(0) + 15);
    QTest::mousePress(table->viewport(), Qt::RightButton, {}, rang);
    pump();
    QMenu* menu = table->channelRowMenu();
    ASSERT_TRUE(menu->isVisible());
    QAction* renommer = nullptr;
    for (QAction* a : menu->actions())
        if (a->text().startsWith(QStringLiteral("Rename Space")))
            renommer = a;
    ASSERT_NE(renommer, nullptr);
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(renommer).center());
    pump();
    QLineEdit* field = panel->countField();
    EXPECT_TRUE(v->siEditSpaceName());
    EXPECT_EQ(field->text(), maison);
    // Return with the same name writes nothing; Escape gives the count back.
    const std::size_t liens = sql(database(), "SELECT ZEVLET_ID FROM ZEVLETS").size();
    QTest::keyClick(field, Qt::Key_Return);
    pump();
    EXPECT_FALSE(v->siEditSpaceName());
    EXPECT_EQ(sql(database(), "SELECT ZEVLET_ID FROM ZEVLETS").size(), liens);
    v->menuSpaceRename();
    pump();
    QTest::keyClick(field, Qt::Key_Escape);
    pump();
    EXPECT_EQ(field->text(), QStringLiteral("3-1 ") + maison);
    v->menuSpaceRename();
    pump();
    field->selectAll();
    QTest::keyClicks(field, QStringLiteral("Lagoon"));
    QTest::keyClick(field, Qt::Key_Return);
    advance(1.0);
    EXPECT_EQ(field->text(), QStringLiteral("3-1 Lagoon"));
    // A blank name is refused: the Space keeps its title.
    const std::size_t avant = sql(database(), "SELECT ZEVLET_ID FROM ZEVLETS").size();
    v->menuSpaceRename();
    pump();
    field->selectAll();
    QTest::keyClicks(field, QStringLiteral("  "));
    QTest::keyClick(field, Qt::Key_Return);
    advance(1.0);
    EXPECT_FALSE(v->siEditSpaceName());
    EXPECT_EQ(sql(database(), "SELECT ZEVLET_ID FROM ZEVLETS").size(), avant);
    EXPECT_EQ(field->text(), QStringLiteral("3-1 Lagoon"));
    quit();
    EXPECT_EQ(titleLinksTo("Lagoon").size(), 1u);
}

// With the list focused the Edit and Object menus speak for the Channels; the panel's finds go
// through the front layer, and a go-to step of the selected Objects lights the panel's go button
// as the toolbar's.
TEST_F(ChannelsInspector, TheFocusedListSetsTheMenusAndThePanelsFindsAndGoButtonsFollowTheFront)
{
    startWithTheBar();
    ZEVChannelViewer* v = openFromTheBar();
    ASSERT_TRUE(v && v->siShowInspectView());
    ZEVChannelTableView* table = v->channelTableView();
    ASSERT_GE(table->tableModel()->rowCount(), 1);
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, QPoint(40, table->rowViewportPosition(0) + 15));
    advance(1.0);
    ASSERT_TRUE(v->siFirstResponder());

    KELMainMenu* menu = adapter()->mainMenu();
    ASSERT_NE(menu, nullptr);
    auto item = [&](int menuTag, long tag) -> std::pair<bool, QString> {
        QMenu* m = openMenu(menuTag);
        QAction* a = menu->item(menuTag, tag);
        // What the item shows: Qt hides a lone "&" and shows "&&" as one.
        std::pair<bool, QString> out{a && a->isEnabled(), a ? shownMenuText(a->text()) : QString()};
        if (m)
            m->close();
        pump();
        return out;
    };
    for (long tag : {100L, 101L, 103L, 104L, 105L})
        EXPECT_FALSE(item(KELMainMenu::kMenuEdit, tag).first) << "Edit item " << tag;
    EXPECT_EQ(item(KELMainMenu::kMenuObject, 31), std::make_pair(true, QStringLiteral("Add Channel\u2026")));
    EXPECT_EQ(item(KELMainMenu::kMenuObject, 32), std::make_pair(true, QStringLiteral("Find Channel & Space")));
    EXPECT_EQ(item(KELMainMenu::kMenuObject, 1), std::make_pair(false, QStringLiteral("Open")));
    for (long tag : {20L, 21L, 22L, 23L, 60L})
        if (menu->item(KELMainMenu::kMenuObject, tag)) {
            EXPECT_FALSE(item(KELMainMenu::kMenuObject, tag).first) << "Object item " << tag;
        }

    // Find Objects: the selection list's search field; a held-file find opens the tracks.
    ZEVFrontViewer* f = dynamic_cast<ZEVFrontViewer*>(space()->frontViewer());
    ASSERT_NE(f, nullptr);
    ASSERT_FALSE(f->siSearchingField());
    v->menuFindObjects();
    advance(0.5);
    EXPECT_TRUE(f->siSearchingField());
    v->menuFindObjects();
    advance(0.5);
    EXPECT_FALSE(f->siSearchingField());
    if (!f->siTracksClosed())
        f->userToggleTracks();
    advance(1.0);
    ASSERT_TRUE(f->siTracksClosed());
    v->menuFindFiles();
    advance(1.0);
    EXPECT_FALSE(f->siTracksClosed());

    // A long press on the panel's go-to previous: the Search cursor steps, the button lights and
    // rests 0.2 s later.
    ZEVButton* precedent = v->channelView()->btnGotoPrevious();
    ASSERT_NE(precedent, nullptr);
    ASSERT_EQ(precedent->state(), kZEVStateOff);
    QTest::mousePress(precedent, Qt::LeftButton, {}, precedent->rect().center());
    advance(ZEVButton::kLongClickDelay);
    QTest::mouseRelease(precedent, Qt::LeftButton, {}, precedent->rect().center());
    pump();
    advance(0.05);
    EXPECT_NE(precedent->state(), kZEVStateOff);
    EXPECT_EQ(v->channelView()->btnGotoNext()->state(), kZEVStateOff);
    advance(0.3);
    EXPECT_EQ(precedent->state(), kZEVStateOff);
}

// The Channels menu under Channel down: the pointer over the second Channel shows it, Esc takes
// the window back to the first; with the front in Link mode the panel's file find still selects
// the Icons panel's files; the focused list keeps Filter and Remove off in the Object menu.
TEST_F(ChannelsInspector, TheChannelsMenuShowsTheHoveredChannelAndEscReturnsToTheFirst)
{
    startWithTheBar();
    KELIContexte* tl = space()->tlContexte();
    tl->placeToi();
    const KELDate in = tl->nowIn();
    const double len = tl->nowOut() - tl->nowIn();
    const KELId premier = space()->currentChannelInt();
    KELI* travail = space()->newIdentityNamed("Work");
    ASSERT_NE(travail, nullptr);
    seedTwoSpaces(travail, {"Desk", "Office"}, {QColor(60, 90, 120), QColor(100, 90, 120)}, in, len);
    advance(1.0);
    ZEVChannelViewer* v = openFromTheBar();
    ASSERT_TRUE(v && v->siShowInspectView());
    ZEVChannelView* panel = v->channelView();
    ASSERT_EQ(v->channelTableView()->tableModel()->rowCount(), 2);
    const QString avant = panel->countField()->text();
    ASSERT_TRUE(avant.startsWith(QStringLiteral("2-1"))) << avant.toStdString();

    // A short click on Channel down: the Channels menu.
    ZEVButton* bas = panel->btnChannelDown();
    QTest::mouseClick(bas, Qt::LeftButton, {}, bas->rect().center());
    pump();
    QMenu* menu = v->toolbarMenu(ZEVChannelViewer::ToolbarMenu::Channels);
    ASSERT_TRUE(menu && menu->isVisible());
    QAction* second = nullptr;
    for (QAction* a : menu->actions())
        if (a->property("userGotoChannel").toBool() && a->data().toLongLong() == qlonglong(travail->idInt()))
            second = a;
    ASSERT_NE(second, nullptr);
    QTest::mouseMove(menu, menu->actionGeometry(second).center());
    pump();
    advance(0.5);
    EXPECT_EQ(space()->currentChannelInt(), travail->idInt()) << "the hovered Channel shows";
    EXPECT_EQ(panel->countField()->text(), QStringLiteral("2-2 Office"));
    EXPECT_EQ(QString::fromStdString(nowDesk()->currentBackImageItemName()), QStringLiteral("Office"));
    QTest::keyClick(menu, Qt::Key_Escape);
    pump();
    advance(0.5);
    EXPECT_FALSE(menu->isVisible());
    EXPECT_EQ(space()->currentChannelInt(), premier) << "Esc: the Channel of the opening again";
    EXPECT_EQ(panel->countField()->text(), avant);
    EXPECT_FALSE(v->siChannelBrowsing());
    EXPECT_EQ(bas->state(), kZEVStateOff);

    // In Link mode the panel's find of files is still the Icons panel's.
    const QStringList fichiers = addHomeFiles({QStringLiteral("notes.txt")});
    ASSERT_EQ(itemsTitled({QStringLiteral("notes.txt")}).size(), 1u);
    KELI* note = itemsTitled({QStringLiteral("notes.txt")}).front();
    ASSERT_NE(note, nullptr);
    openInspectorFromMenu(KELENTITY_ICON_VIEWER);
    auto* f = dynamic_cast<ZEVFrontViewer*>(space()->frontViewer());
    ASSERT_NE(f, nullptr);
    f->menuModeLink();
    advance(0.5);
    ASSERT_EQ(f->frontMode(), 3);
    space()->selections().deselectAllNodes();
    advance(0.2);
    v->menuFindFiles();
    advance(1.0);
    // The Icons panel selects what it finds as the mode's nodes.
    const std::vector<KELI*> noeuds = space()->selections().selectedNodeItemSet();
    EXPECT_NE(std::find(noeuds.begin(), noeuds.end(), note), noeuds.end()) << "the Icons panel found the file";

    // The focused list: Filter and Remove stay off in the Object menu.
    ZEVButton* bouton = barButton();
    ASSERT_NE(bouton, nullptr);
    QTest::mouseClick(bouton, Qt::LeftButton, {}, bouton->rect().center());
    pump();
    advance(1.0);
    if (!v->siShowInspectView()) {
        QTest::mouseClick(bouton, Qt::LeftButton, {}, bouton->rect().center());
        pump();
        advance(1.0);
    }
    ZEVChannelTableView* table = v->channelTableView();
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, QPoint(40, table->rowViewportPosition(0) + 15));
    advance(1.0);
    ASSERT_TRUE(v->siFirstResponder());
    KELMainMenu* principal = adapter()->mainMenu();
    QMenu* objet = openMenu(KELMainMenu::kMenuObject);
    ASSERT_NE(objet, nullptr);
    advance(0.5);
    for (long tag : {7L, 13L})
        if (QAction* a = principal->item(KELMainMenu::kMenuObject, tag)) {
            EXPECT_FALSE(a->isEnabled()) << "Object item " << tag << " " << a->text().toStdString();
        }
    objet->close();
    pump();
}

// The Spaces menu under previous Space: the pointer over the past Space takes the Search cursor
// there and makes it active; Esc brings the window back to Now. Its Now entry names the Space.
TEST_F(ChannelsInspector, TheSpacesMenuShowsThePastSpaceUnderThePointerAndEscReturnsToNow)
{
    startWithTheBar();
    KELIContexte* tl = space()->tlContexte();
    tl->placeToi();
    const KELDate in = tl->nowIn();
    const double len = tl->nowOut() - tl->nowIn();
    KELI* maison = space()->channelForIdentityInt(space()->currentChannelInt());
    ASSERT_NE(maison, nullptr);
    seedTwoSpaces(maison, {"Shore", "Beach"}, {QColor(60, 90, 120), QColor(100, 90, 120)}, in, len);
    advance(1.0);
    ZEVChannelViewer* v = openFromTheBar();
    ASSERT_TRUE(v && v->siShowInspectView());
    ASSERT_EQ(space()->actifCurseur(), space()->nowCurseur());
    const KELDate maintenant = space()->nowCurseur()->now();

    ZEVButton* precedent = v->channelView()->btnGotoPreviousSpace();
    QTest::mouseClick(precedent, Qt::LeftButton, {}, precedent->rect().center());
    pump();
    QMenu* menu = v->toolbarMenu(ZEVChannelViewer::ToolbarMenu::Spaces);
    ASSERT_TRUE(menu && menu->isVisible());
    QAction* now = nullptr;
    QAction* passe = nullptr;
    for (QAction* a : menu->actions()) {
        if (a->property("tag").toLongLong() == 2000009)
            now = a;
        if (a->property("ZEVSpacesMenuAction").isValid() && a->text().contains(QStringLiteral("Shore")))
            passe = a;
    }
    ASSERT_NE(now, nullptr);
    EXPECT_EQ(now->text(), QStringLiteral("Now  --  ") + QString::fromStdString(nowDesk()->currentBackImageItemName()));
    ASSERT_NE(passe, nullptr) << "the past Space is listed";
    QTest::mouseMove(menu, menu->actionGeometry(passe).center());
    pump();
    advance(1.0);
    EXPECT_EQ(space()->actifCurseur(), space()->searchCurseur()) << "the hovered Space shows on the Search cursor";
    EXPECT_LT(space()->searchCurseur()->now(), in + 0.5 * len);
    EXPECT_EQ(QString::fromStdString(space()->deskViewerForCurseur(space()->searchCurseur())->currentBackImageItemName()),
              QStringLiteral("Shore"));
    QTest::keyClick(menu, Qt::Key_Escape);
    pump();
    advance(1.0);
    EXPECT_FALSE(menu->isVisible());
    EXPECT_EQ(space()->actifCurseur(), space()->nowCurseur()) << "Esc: back to Now";
    EXPECT_NEAR(space()->nowCurseur()->now(), maintenant, 5.0);
    EXPECT_FALSE(v->spaceBrowsing());
    EXPECT_EQ(precedent->state(), kZEVStateOff);
}

// The main menu's listed Channel selects its row; its Space steps of the list walk the current
// Channel's Spaces from the panel, the field following; the Distinct forms do too.
TEST_F(ChannelsInspector, TheMainMenusListedChannelAndSpaceStepsReachThePanel)
{
    startWithTheBar();
    const auto [in, len] = placedTimelineSpan();
    const std::vector<KELId> ids = seedThreeChannels(in, len);
    ASSERT_EQ(ids.size(), 3u);
    ZEVChannelViewer* v = openFromTheBar();
    ASSERT_TRUE(v && v->siShowInspectView());
    ZEVChannelView* panel = v->channelView();
    ZEVChannelTableView* table = v->channelTableView();
    ASSERT_EQ(table->tableModel()->rowCount(), 3);

    chooseMenuItemTitled(KELMainMenu::kMenuChannels, QStringLiteral("Travel"));
    advance(1.0);
    EXPECT_EQ(space()->currentChannelInt(), ids[2]);
    EXPECT_EQ(ligne(table), 2);
    EXPECT_EQ(panel->countField()->text(), QStringLiteral("3-3 Hotel"));

    chooseMenuItemTitled(KELMainMenu::kMenuSpaces, QStringLiteral("Previous Space in the List"));
    advance(2.0);
    EXPECT_EQ(space()->actifCurseur(), space()->searchCurseur());
    EXPECT_LT(space()->searchCurseur()->now(), in + 0.5 * len) << "in the past Space";
    EXPECT_EQ(space()->currentChannelInt(), ids[2]);
    EXPECT_EQ(panel->countField()->text(), QStringLiteral("3-3 Road"));

    chooseMenuItemTitled(KELMainMenu::kMenuSpaces, QStringLiteral("Next Space in the List"));
    advance(2.0);
    EXPECT_GE(space()->actifCurseur()->now(), in + 0.5 * len) << "back in the later Space";
    EXPECT_EQ(panel->countField()->text(), QStringLiteral("3-3 Hotel"));

    chooseMenuItemTitled(KELMainMenu::kMenuSpaces, QStringLiteral("Previous Distinct Space"));
    advance(2.0);
    EXPECT_LT(space()->actifCurseur()->now(), in + 0.5 * len);
    EXPECT_EQ(panel->countField()->text(), QStringLiteral("3-3 Road"));
}

} // namespace
} // namespace e2e
