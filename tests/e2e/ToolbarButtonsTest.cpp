// The front toolbar's buttons and panels in the running program: Ctrl+N opens Add Documents,
// whose typed path and Return put the file on the desk, and a name that names nothing is told and
// kept; a held Home press runs the Home Time without a menu while a quick one pops the Home menu;
// the Channels menu previews a Channel while the pointer rests on it and Esc brings the first
// back; the new-folder panel refuses a name that would leave its parent or cannot be made, says
// why and keeps the name, and makes the folder it is given; the Calendar menu lists the presets
// and one chosen moves the ruler; the Clean menu lists the earlier Spaces and shows the one
// hovered; the search button pops the Find menu and the toolbar its own menu; the tool menus'
// titles follow the mode.

#include "tests/e2e/E2EFixture.h"

#include "app/menu/KELMainMenu.h"

#include "desk/viewer/ZEVCollectViewer.h"
#include "desk/viewer/ZEVDeskBackground.h"
#include "desk/viewer/ZEVDeskViewer.h"
#include "ruler/ZEVStampClass.h"
#include "engine/KELICurseur.h"
#include "engine/KELServeurDeLiens.h"
#include "front/ZEVFrontBars.h"
#include "front/ZEVFrontGoToPanel.h"
#include "front/ZEVFrontPanels.h"
#include "front/ZEVFrontToolButtons.h"
#include "front/ZEVFrontViewer.h"
#include "services/ZEVInspectorServices.h"
#include "objects/view/ZEVItemView.h"
#include "inspectors/table/ZEVTableView.h"
#include "inspectors/table/ZEVTypeSelect.h"
#include "platform/sound/Sound.h"
#include "ruler/ZEVRulerViewer.h"
#include "space/ZEVConstants.h"
#include "services/ZEVItemViewForDesks.h"
#include "space/ZEVSpaceWindow.h"
#include "widgets/ZEVButton.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QWheelEvent>

namespace e2e {
namespace {

class ToolbarButtons : public E2EWithSound<RecordingSound> {
protected:
    void TearDown() override
    {
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
        E2EWithSound::TearDown();
    }
    ZEVFrontViewer* front() const { return space() ? dynamic_cast<ZEVFrontViewer*>(space()->frontViewer()) : nullptr; }
    ZEVButton* button(const char* name) const { return front()->toolbar()->button(QString::fromLatin1(name)); }
    ZEVCollectViewer* collect() const { return dynamic_cast<ZEVCollectViewer*>(space()->collectViewer()); }

    // A press on the button held for `seconds` of the virtual clock.
    void press(ZEVButton* b, double seconds)
    {
        QTest::mousePress(b, Qt::LeftButton, {}, b->rect().center());
        advance(seconds);
        QTest::mouseRelease(b, Qt::LeftButton, {}, b->rect().center());
        pump();
    }
    template <class Panel>
    Panel* shownPanel() const
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* p = dynamic_cast<Panel*>(w); p && p->isVisible())
                return p;
        return nullptr;
    }
    QMenu* popup() const { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); }
    static QAction* withTag(QMenu* menu, long tag)
    {
        for (QAction* a : menu->actions())
            if (a->property("tag").toLongLong() == tag)
                return a;
        return nullptr;
    }
    QString writeFile(const QString& path, const char* text)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
        return QFileInfo(path).absoluteFilePath();
    }
    // The toolbar's own menu, asked for by a right click on its empty part beside the count.
    QMenu* popToolbarMenu()
    {
        ZEVFrontToolbar* bar = front()->toolbar();
        const QPoint empty(bar->countField()->geometry().right() + 2, bar->height() / 2);
        QContextMenuEvent context(QContextMenuEvent::Mouse, empty, bar->mapToGlobal(empty));
        QApplication::sendEvent(bar, &context);
        pump();
        return popup();
    }
    // Add Documents… opened by its key, as a person opens it.
    ZEVFrontAddPanel* addDocumentsByKey()
    {
        key(Qt::Key_N, Qt::ControlModifier);
        pump();
        return shownPanel<ZEVFrontAddPanel>();
    }
};

TEST_F(ToolbarButtons, CtrlNOpensAddDocumentsAndATypedPathAndReturnPutTheFileOnTheDesk)
{
    start();
    const QString path = writeFile(home + "/papers/letter.txt", "dear");
    auto* panel = addDocumentsByKey();
    ASSERT_NE(panel, nullptr) << "no Add Documents panel";
    EXPECT_EQ(panel->windowTitle(), QStringLiteral("Add Documents\u2026"));
    EXPECT_TRUE(panel->testOption(QFileDialog::DontUseNativeDialog));
    auto* typed = panel->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(typed, nullptr);
    QTest::keyClicks(typed, path);
    // The prompt follows the choice 0.1 s after the last change.
    advance(0.15);
    EXPECT_EQ(panel->labelText(QFileDialog::Accept), QStringLiteral("Add 1 Object"));
    QTest::keyClick(typed, Qt::Key_Return);
    pump();
    EXPECT_EQ(shownPanel<ZEVFrontAddPanel>(), nullptr);
    ASSERT_NE(collect(), nullptr);
    ASSERT_TRUE(collect()->siShown()) << "the file goes to the collect grid at the pointer";
    EXPECT_EQ(collect()->collectObjects(), QStringList{path});
    // More files while the grid waits for its place: refused with a beep, the grid's kept.
    const int beeps = sound.beeps;
    EXPECT_FALSE(collect()->startWithURLs({writeFile(home + "/papers/other.txt", "x")}, 64, QPointF(10, 10)));
    EXPECT_EQ(sound.beeps, beeps + 1);
    EXPECT_EQ(collect()->collectObjects(), QStringList{path});
    QTest::keyClick(collect()->scrollView(), Qt::Key_Return);
    advance(0.2);
    const Rows placed = placedObjectsOfType("file");
    ASSERT_EQ(placed.size(), 1u);
    EXPECT_EQ(placed.at(0, 1), "letter.txt");
}

TEST_F(ToolbarButtons, AddDocumentsTellsANameTypedThatNamesNothingAndKeepsIt)
{
    start();
    const QString path = writeFile(home + "/papers/letter.txt", "dear");
    auto* panel = addDocumentsByKey();
    ASSERT_NE(panel, nullptr);
    auto* typed = panel->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(typed, nullptr);
    const QString typo = home + "/papers/leter.txt";
    typed->setText(typo);
    const std::size_t told = alerts.size();
    const int beeps = sound.beeps;
    QTest::keyClick(typed, Qt::Key_Return);
    pump();
    ASSERT_EQ(alerts.size(), told + 1);
    EXPECT_EQ(alerts.back().message, QStringLiteral("\"leter.txt\" cannot be found."));
    EXPECT_EQ(sound.beeps, beeps + 1);
    EXPECT_EQ(shownPanel<ZEVFrontAddPanel>(), panel) << "the panel stays up";
    EXPECT_EQ(typed->text(), typo) << "with the name as typed";
    EXPECT_FALSE(collect() && collect()->siShown()) << "nothing goes to the grid";
    typed->setText(path);
    QTest::keyClick(typed, Qt::Key_Return);
    pump();
    EXPECT_EQ(shownPanel<ZEVFrontAddPanel>(), nullptr);
    ASSERT_TRUE(collect() && collect()->siShown());
    EXPECT_EQ(collect()->collectObjects(), QStringList{path});
}

TEST_F(ToolbarButtons, AHeldHomePressRunsTheHomeTimeWithoutAMenuAndAQuickOnePopsTheHomeMenu)
{
    start();
    ZEVRulerViewer* r = ruler();
    ASSERT_NE(r, nullptr);
    r->userChangeActifCurseur(space()->searchCurseur());
    pump();
    ASSERT_EQ(space()->actifCurseur(), space()->searchCurseur());
    ZEVButton* home = button("btnDeskHome");
    ASSERT_NE(home, nullptr);
    ASSERT_TRUE(home->isVisible());
    press(home, 0.2);
    advance(0.05);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr) << "a held press opens no menu";
    EXPECT_EQ(space()->actifCurseur(), space()->nowCurseur()) << "the Home Time brings the Now cursor";
    EXPECT_EQ(home->state(), 1) << "the desk goes home";
    advance(2.0);

    press(home, 0.05);
    auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(popup, nullptr) << "a quick press pops the Home menu";
    EXPECT_EQ(popup->objectName(), "menuBtnDeskHome");
    EXPECT_TRUE(front()->tools()->siZevstoryBrowsing());
    QTest::keyClick(popup, Qt::Key_Escape);
    pump();
    advance(0.1);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_FALSE(front()->tools()->siZevstoryBrowsing());
    EXPECT_EQ(home->state(), 0) << "closing the menu puts the button back";
}

TEST_F(ToolbarButtons, HoveringASecondChannelInTheChannelsMenuShowsItAndEscReturnsToTheFirst)
{
    start();
    const KELId first = space()->currentChannelInt();
    KELI* work = space()->newIdentityNamed("Work");
    ASSERT_NE(work, nullptr);
    // Listed among the Channels from now on, as the Channels inspector lists them.
    KELICurseur* now = space()->nowCurseur();
    KELI* root = KELServeurDeLiens::LienForInt(KELOBJECT_CHANNEL_VIEWER_ROOT, now);
    ASSERT_NE(KELServeurDeLiens::CreerLienRelInt(KELRELATION_CHANNEL_VIEWER, root, work, now->now() - 3600,
                                                 KELDateOuverte, now),
              nullptr);
    advance(1.0);
    ASSERT_EQ(space()->currentChannelInt(), first);
    ZEVButton* up = button("btnChannelUp");
    ZEVButton* down = button("btnChannelDown");
    ASSERT_TRUE(up && down && up->isVisible());
    press(up, 0.05);
    auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->objectName(), "menuBtnUpDown");
    // The Channel-up button's menu opens at the Channel-down button.
    EXPECT_NEAR(popup->x(), down->mapToGlobal(QPoint(0, 0)).x(), 2);
    EXPECT_TRUE(front()->tools()->siChannelBrowsing());
    QAction* workItem = nullptr;
    for (QAction* a : popup->actions())
        if (a->text().contains(QStringLiteral("Work")))
            workItem = a;
    ASSERT_NE(workItem, nullptr) << "the space controller lists the Channels";
    QTest::mouseMove(popup, popup->actionGeometry(workItem).center());
    pump();
    EXPECT_EQ(space()->currentChannelInt(), work->idInt()) << "the hovered Channel shows";
    QTest::keyClick(popup, Qt::Key_Escape);
    pump();
    advance(0.3);
    EXPECT_EQ(space()->currentChannelInt(), first) << "Esc returns to the first Channel";
    EXPECT_FALSE(front()->tools()->siChannelBrowsing());
    EXPECT_EQ(up->state(), 0);
    EXPECT_EQ(down->state(), 0);
}

TEST_F(ToolbarButtons, TheNewFolderPanelRefusesANameLeavingItsParentAndMakesTheOneGiven)
{
    start();
    const QString parent = home + "/work";
    QDir().mkpath(parent);
    front()->tools()->userAddNewFolderWithItem(nullptr);
    pump();
    auto* panel = shownPanel<ZEVFrontNewDirPanel>();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->windowTitle(), QStringLiteral("Add a new Folder\u2026"));
    panel->setDirectory(parent);
    pump();
    // The name field takes the focus 0.3 s later.
    advance(0.35);
    for (const QString& hostile : {QStringLiteral("../escaped"), QStringLiteral(".."), QStringLiteral("  "),
                                   QStringLiteral("a/b")}) {
        const int beeps = sound.beeps;
        panel->nameField()->setText(hostile);
        QTest::keyClick(panel->nameField(), Qt::Key_Return);
        pump();
        EXPECT_EQ(sound.beeps, beeps + 1) << hostile.toStdString();
        EXPECT_EQ(shownPanel<ZEVFrontNewDirPanel>(), panel) << "the panel stays for another name";
    }
    EXPECT_FALSE(QFileInfo::exists(home + "/escaped"));
    EXPECT_FALSE(QFileInfo::exists(parent + "/a"));
    panel->nameField()->setText(QStringLiteral("  Fresh  "));
    QTest::keyClick(panel->nameField(), Qt::Key_Return);
    pump();
    EXPECT_TRUE(QFileInfo(parent + "/Fresh").isDir());
    ASSERT_NE(collect(), nullptr);
    EXPECT_TRUE(collect()->siShown());
    EXPECT_EQ(collect()->collectObjects(), QStringList{parent + "/Fresh"});
}

TEST_F(ToolbarButtons, TheNewFolderPanelTellsWhyANameCannotBeMadeAndKeepsTheNameAsTyped)
{
    start();
    const QString parent = home + "/work";
    QDir().mkpath(parent + "/Existing");
    front()->tools()->userAddNewFolderWithItem(nullptr);
    pump();
    auto* panel = shownPanel<ZEVFrontNewDirPanel>();
    ASSERT_NE(panel, nullptr);
    panel->setDirectory(parent);
    pump();
    QLineEdit* name = panel->nameField();
    // The user types at once, before the field takes the focus on its own.
    name->setFocus();
    QTest::keyClick(name, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(name, QStringLiteral("Plan"));
    advance(0.35);
    QTest::keyClicks(name, QStringLiteral("s"));
    EXPECT_EQ(name->text(), QStringLiteral("Plans")) << "the late focus keeps what was typed";

    const struct {
        QString typed;
        QString told;
    } bad[] = {
        {QStringLiteral("Existing"), QStringLiteral("\"Existing\" already exists in \"work\".")},
        {QString(300, QLatin1Char('n')), QStringLiteral("The name is too long: a folder name holds at most 255 bytes.")},
        {QStringLiteral("   "), QStringLiteral("Type a name for the new folder.")},
        {QStringLiteral("a/b"), QStringLiteral("A folder name cannot contain \"/\".")},
    };
    for (const auto& [typed, told] : bad) {
        const std::size_t before = alerts.size();
        const int beeps = sound.beeps;
        name->setText(typed);
        QTest::keyClick(name, Qt::Key_Return);
        pump();
        ASSERT_EQ(alerts.size(), before + 1) << typed.toStdString();
        EXPECT_EQ(alerts.back().message, QStringLiteral("The new folder could not be made."));
        EXPECT_EQ(alerts.back().informative, told);
        EXPECT_EQ(sound.beeps, beeps + 1);
        EXPECT_EQ(shownPanel<ZEVFrontNewDirPanel>(), panel) << "the panel stays up";
        EXPECT_EQ(name->text(), typed) << "the name stays as typed";
    }
    EXPECT_EQ(QDir(parent).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"Existing"});
    EXPECT_FALSE(collect() && collect()->siShown());

    name->setText(QStringLiteral("Plans"));
    QTest::keyClick(name, Qt::Key_Return);
    pump();
    EXPECT_TRUE(QFileInfo(parent + "/Plans").isDir());
    EXPECT_EQ(shownPanel<ZEVFrontNewDirPanel>(), nullptr);
    ASSERT_NE(collect(), nullptr);
    EXPECT_EQ(collect()->collectObjects(), QStringList{parent + "/Plans"});
}

TEST_F(ToolbarButtons, TheCalendarMenuListsThePresetsAndOneChosenMovesTheRuler)
{
    start();
    auto* presets = dynamic_cast<ZEVStampClass*>(ruler()->stampClass());
    ASSERT_NE(presets, nullptr);
    ASSERT_TRUE(presets->savePresetWithStampInt(2000011, false).has_value());
    KELIContexte* n = space()->nowCurseur()->contexte();
    const double in = n->offsetIn();
    // The Now cursor's past widened by an hour.
    ASSERT_TRUE(ruler()->userInitieDeplacementCurseur());
    ruler()->setCurseurEnDeplacement(space()->nowCurseur());
    ruler()->userPlaceContexteIn(-3600);
    ruler()->userTermineDeplacementCurseur();
    pump();
    ASSERT_NEAR(n->offsetIn(), in - 3600, 1);

    ZEVButton* calendar = button("btnCalandarPanel");
    ASSERT_TRUE(calendar && calendar->isVisible());
    press(calendar, 0.05);
    QMenu* menu = popup();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->objectName(), "menuBtnCalandarPanel");
    QAction* home = withTag(menu, 2000009);
    QAction* third = withTag(menu, 2000011);
    QAction* fourth = withTag(menu, 2000012);
    ASSERT_TRUE(home && third && fourth) << "the presets are listed";
    EXPECT_TRUE(home->isEnabled());
    EXPECT_TRUE(third->isEnabled()) << "a stored preset can be called";
    EXPECT_FALSE(fourth->isEnabled()) << "an empty one cannot";
    EXPECT_EQ(third->isChecked(), false) << "the Now cursor has left the preset";
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(third).center());
    pump();
    advance(2.0);
    EXPECT_EQ(popup(), nullptr);
    EXPECT_NEAR(n->offsetIn(), in, 0.01) << "the preset brings the ruler back";
    EXPECT_EQ(calendar->state(), 0);
}

TEST_F(ToolbarButtons, TheCleanMenuListsTheEarlierSpacesAndHoveringOneShowsItUntilThePointerLeaves)
{
    start();
    auto place = [&](const QString& name, Qt::GlobalColor colour) -> KELI* {
        QImage image(160, 100, QImage::Format_RGB32);
        image.fill(colour);
        const QString path = home + "/" + name;
        EXPECT_TRUE(image.save(path));
        addFiles({path}, 2.0);
        for (ZEVItemViewForDesks* v : nowDesk()->itemViewSet())
            if (v->itemTitle() == name)
                return v->item();
        return nullptr;
    };
    KELI* first = place("first.png", Qt::darkBlue);
    KELI* second = place("second.png", Qt::darkGreen);
    ASSERT_TRUE(first && second);
    ZEVDeskBackground& back = nowDesk()->background();
    ASSERT_TRUE(back.userChangeBackWithImageItem(first, nullptr, KELOBJECT_SCALE_IN, clock.now()));
    advance(60);
    ASSERT_TRUE(back.userChangeBackWithImageItem(second, nullptr, KELOBJECT_SCALE_IN, clock.now()));
    advance(60);
    ASSERT_EQ(space()->actifCurseur(), space()->nowCurseur());

    ZEVButton* clean = button("btnDeskClean");
    ASSERT_TRUE(clean && clean->isVisible());
    press(clean, 0.05);
    QMenu* menu = popup();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->objectName(), "menuBtnClean");
    EXPECT_EQ(clean->state(), 1);
    QAction* earlier = nullptr;
    for (QAction* a : menu->actions())
        if (a->property("ZEVSpacesMenuAction").isValid() && a->text().contains(QStringLiteral("first.png")))
            earlier = a;
    ASSERT_NE(earlier, nullptr) << "the earlier Space is listed";
    EXPECT_FALSE(earlier->icon().isNull()) << "with its picture";
    QTest::mouseMove(menu, menu->actionGeometry(earlier).center());
    pump();
    EXPECT_EQ(space()->actifCurseur(), space()->searchCurseur()) << "the hovered Space shows at its date";
    EXPECT_LT(space()->searchCurseur()->now(), space()->nowCurseur()->now() - 60);
    // Over a clean entry the desk comes back to Now.
    QTest::mouseMove(menu, menu->actionGeometry(withTag(menu, 40)).center());
    pump();
    EXPECT_EQ(space()->actifCurseur(), space()->nowCurseur());
    QTest::mouseMove(menu, menu->actionGeometry(earlier).center());
    pump();
    EXPECT_EQ(space()->actifCurseur(), space()->searchCurseur());
    QTest::keyClick(menu, Qt::Key_Escape);
    pump();
    advance(0.3);
    EXPECT_EQ(popup(), nullptr);
    EXPECT_EQ(space()->actifCurseur(), space()->nowCurseur()) << "Esc brings Now back";
    EXPECT_EQ(clean->state(), 0);
    EXPECT_FALSE(front()->tools()->siSpaceBrowsing());
}

TEST_F(ToolbarButtons, TheSearchButtonPopsTheFindMenuTheToolbarItsOwnAndToolMenusFollowTheMode)
{
    start();
    ZEVButton* find = button("searchButton");
    ASSERT_TRUE(find && find->isVisible());
    auto fieldShown = [&] {
        QLineEdit* field = front()->selectionTableView()->typeSelect()->field();
        return field && field->isVisible();
    };
    // A held press shows the list's search field, with no menu.
    ASSERT_FALSE(fieldShown());
    press(find, 0.2);
    advance(0.05);
    EXPECT_EQ(popup(), nullptr);
    EXPECT_TRUE(fieldShown());
    advance(0.5);
    // A quick one puts the field away and pops the Find menu.
    press(find, 0.05);
    QMenu* menu = popup();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->objectName(), "menuBtnFind");
    EXPECT_FALSE(fieldShown());
    EXPECT_EQ(find->state(), 1);
    EXPECT_EQ(withTag(menu, 22000)->text(), "Find Objects");
    EXPECT_FALSE(withTag(menu, 22030)->isEnabled()) << "nothing selected to find in the Channels";
    EXPECT_FALSE(withTag(menu, 22001)->icon().isNull()) << "the application gives the holders' pictures";
    // Its Find Objects shows the field again.
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(withTag(menu, 22000)).center());
    pump();
    EXPECT_TRUE(fieldShown());
    EXPECT_EQ(find->state(), 0);

    // The toolbar's own menu lists the header views' switches and the Channels.
    menu = popToolbarMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->objectName(), "menuFrontToolbar");
    EXPECT_TRUE(withTag(menu, 5)->isChecked()) << "the toolbar is open";
    bool channel = false;
    for (QAction* a : menu->actions())
        channel = channel || a->property("userGotoChannel").toBool();
    EXPECT_TRUE(channel) << "the Channels are listed";
    EXPECT_FALSE(front()->tools()->siChannelBrowsing()) << "the toolbar's menu browses without the Channel buttons";
    QTest::keyClick(menu, Qt::Key_Escape);
    pump();
    advance(0.1);

    // In Title mode the Icon tool's menu carries the Title selection over.
    front()->menuModeTitle();
    pump();
    ASSERT_EQ(front()->frontMode(), 1);
    QMenu* icons = front()->toolMenu(0);
    press(front()->modeButton(0), 0.05);
    ASSERT_TRUE(icons->isVisible());
    QStringList titles;
    for (QAction* a : icons->actions())
        if (a->property("toolEntry").toString() == "copy" || a->property("toolEntry").toString() == "and")
            titles << a->text() + (a->isEnabled() ? "+" : "-");
    EXPECT_EQ(titles, (QStringList{"Copy Title Selections+", "And Title Selections-"}));
    EXPECT_EQ(front()->modeButton(0)->state(), -1);
    QTest::keyClick(icons, Qt::Key_Escape);
    pump();
    EXPECT_EQ(front()->modeButton(0)->state(), 0);

    // In Link mode with links selected and no node, the Link tool can still deselect them.
    for (const char* name : {"left.txt", "right.txt"}) {
        QFile f(home + "/" + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    ASSERT_EQ(secondStart({home + "/left.txt", home + "/right.txt"}), 0);
    advance(1.0);
    ASSERT_TRUE(viewTitled("left.txt") && viewTitled("right.txt"));
    ZEVItemPair pair(viewTitled("left.txt")->item(), viewTitled("right.txt")->item());
    front()->menuModeLink();
    pump();
    space()->selections().selectLinkForLinkSet({&pair});
    ASSERT_TRUE(space()->selections().selectedNodeItemSet().empty());
    ASSERT_EQ(space()->selections().selectedLinks().size(), 1u);
    QMenu* links = front()->toolMenu(3);
    press(front()->modeButton(3), 0.05);
    ASSERT_TRUE(links->isVisible());
    QAction* deselect = nullptr;
    for (QAction* a : links->actions())
        if (a->property("toolEntry").toString() == "deselect")
            deselect = a;
    ASSERT_NE(deselect, nullptr);
    EXPECT_TRUE(deselect->isEnabled()) << "only links selected";
    QTest::mouseClick(links, Qt::LeftButton, {}, links->actionGeometry(deselect).center());
    pump();
    EXPECT_TRUE(space()->selections().selectedLinks().empty()) << "chosen, it deselects them";
}

// The mode buttons' titles are counts, blank for a mode with nothing selected: each wears its
// mode's badge, so that the four can be told apart, and the count still reads beside it.
TEST_F(ToolbarButtons, TheFourModeButtonsWearDifferentBadgesAndTheIconsCountBesideItsBadge)
{
    start();
    auto darkColumns = [](const QImage& image, int from, int to) {
        int n = 0;
        for (int x = from; x < std::min(to, image.width()); ++x)
            for (int y = 2; y < image.height() - 2; ++y)
                if (qGray(image.pixel(x, y)) < 90) {
                    ++n;
                    break;
                }
        return n;
    };
    std::vector<QImage> shots;
    for (int m = 0; m < 4; ++m) {
        ZEVButton* b = front()->modeButton(m);
        ASSERT_TRUE(b && b->isVisible()) << m;
        const QImage shot = b->grab().toImage();
        EXPECT_GE(darkColumns(shot, 0, 24), 2) << "mode " << m << " shows a badge at its left";
        for (const QImage& other : shots)
            EXPECT_TRUE(shot != other) << "mode " << m << " looks like another mode";
        shots.push_back(shot);
    }
    ASSERT_EQ(front()->modeButton(0)->text(), "0");
    EXPECT_GT(darkColumns(shots[0], 24, shots[0].width()), 2) << "the Icons count reads beside its badge";
    EXPECT_EQ(darkColumns(shots[1], 24, shots[1].width()), 0) << "nothing selected in Titles: no count";
}

TEST_F(ToolbarButtons, TheGoToPanelCentresTheTimeLineOnTheSearchCursorAndItsWheelAndTheAddPanelsMoveIt)
{
    start();
    KELIContexte* tl = space()->tlContexte();
    ASSERT_NE(tl, nullptr);
    KELICurseur* search = space()->searchCurseur();
    ruler()->userChangeActifCurseur(search);
    pump();
    // The time line slides ten days back: the Search cursor is out of view.
    ASSERT_TRUE(ruler()->userInitieDeplacementCurseur());
    ruler()->userPlaceRulerOffsetIn(-864000, -864000);
    ruler()->userTermineDeplacementCurseur();
    advance(0.5);
    tl->placeToi();
    ASSERT_GT(search->now(), tl->nowOut());
    front()->tools()->menuGoToPanel();
    pump();
    ZEVFrontGoToPanel* panel = front()->tools()->goToPanel();
    ASSERT_TRUE(panel && panel->isVisible());
    // The Search kind, lit already, clicked again: the time line centres on the cursor, no beep.
    const int beeps = sound.beeps;
    QTest::mouseClick(panel->buttonWithTag(2), Qt::LeftButton);
    advance(0.5);
    tl->placeToi();
    EXPECT_EQ(sound.beeps, beeps);
    EXPECT_NEAR((tl->nowIn() + tl->nowOut()) / 2.0, search->now(), (tl->nowOut() - tl->nowIn()) * 0.05);
    // Clicked again with the cursor in view: a beep, and nothing moves.
    const double out = tl->nowOut();
    QTest::mouseClick(panel->buttonWithTag(2), Qt::LeftButton);
    advance(0.5);
    EXPECT_EQ(sound.beeps, beeps + 1);

    // The wheel over the panel moves the time line.
    auto wheel = [&](QWidget* w) {
        const QPointF at(5, 5);
        QWheelEvent e(at, w->mapToGlobal(at), QPoint(), QPoint(-1200, 0), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
        QApplication::sendEvent(w, &e);
        advance(0.5);
        tl->placeToi();
    };
    wheel(panel);
    EXPECT_NE(tl->nowOut(), out) << "the go-to panel's wheel";
    front()->tools()->menuGoToPanel();
    pump();

    // And over the Add Documents panel.
    auto* add = addDocumentsByKey();
    ASSERT_NE(add, nullptr);
    const double before = tl->nowOut();
    wheel(add);
    EXPECT_NE(tl->nowOut(), before) << "the Add panel's wheel";
    add->reject();
    pump();
}


TEST_F(ToolbarButtons, TheToolbarsMenusNameTheTimelineSwitchAsTheViewMenuDoes)
{
    start();
    if (front()->siToolbarClosed())
        front()->userToggleToolbar();
    advance(1.0);
    QMenu* view = openMenu(KELMainMenu::kMenuView);
    ASSERT_NE(view, nullptr);
    const QString name = menuItemTagged(view, 3)->text();
    view->close();
    pump();
    EXPECT_EQ(name.toStdString(), "Timeline");
    // The go-to panel button's menu.
    press(button("btnGoToPanel"), 0.05);
    QMenu* menu = popup();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(withTag(menu, 2)->text(), name);
    QTest::keyClick(menu, Qt::Key_Escape);
    pump();
    // The toolbar's own menu.
    menu = popToolbarMenu();
    ASSERT_TRUE(menu && menu->objectName() == QStringLiteral("menuFrontToolbar"));
    EXPECT_EQ(withTag(menu, 3)->text(), name);
    QTest::keyClick(menu, Qt::Key_Escape);
    pump();
}

} // namespace
} // namespace e2e
