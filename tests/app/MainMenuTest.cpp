// The main menu: commands reach their receivers with their arguments and delays, items are
// disabled exactly while no receiver carries their command out, the Object menu's options show
// three states, keys by physical key give way on a second use, plain keys stay with text fields,
// and the Spaces, Channels and History previews come back when the pointer leaves or the menu
// closes without a choice.

#include "app/menu/KELMainMenu.h"
#include "runtime/Scheduler.h"
#include "space/ZEVMenuPreview.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace tallomer;

struct Call {
    std::string command;
    KELMenuArgument::Kind kind;
    qint64 value;
    KELICurseur* curseur;
    std::vector<KELI*> items;
    bool flag;
    double at;
};

class Recorder : public KELMenuContextReceiver {
public:
    Recorder(std::vector<Call>& calls, const ManualScheduler& sched, std::set<std::string> handled)
        : calls_(calls), sched_(sched), handled_(std::move(handled))
    {
    }
    bool handlesCommand(std::string_view c) override { return handled_.count(std::string(c)) != 0; }
    void performCommand(std::string_view c, const KELMenuArgument& a) override
    {
        calls_.push_back({std::string(c), a.kind, a.value, a.curseur, a.items, a.flag, sched_.now()});
    }
    bool isShowedEntityWithInt(KELId id) override { return shown.count(id) != 0; }
    bool isFocusedEntityWithInt(KELId id) override { return focused.count(id) != 0; }
    std::set<KELId> shown, focused;

private:
    std::vector<Call>& calls_;
    const ManualScheduler& sched_;
    std::set<std::string> handled_;
};

class RecordingPreview final : public ZEVMenuPreviewTarget {
public:
    bool siSearchActif() override { return search; }
    void storeSearchDate() override { log.push_back("storeSearchDate"); }
    KELId currentChannelInt() override { return channel; }
    void fillSpaces(QMenu* menu, int startIndex, long) override
    {
        for (int k = 0; k < 2; ++k) {
            auto* a = new QAction(QStringLiteral("Space %1").arg(k), menu);
            a->setData(qlonglong(k));
            a->setProperty("ZEVSpacesMenuAction", 0);
            menu->insertAction(menu->actions().value(startIndex), a);
        }
    }
    void fillReplaceSpaces(QMenu* menu, int startIndex, long maxPrev) override
    {
        log.push_back("replacing");
        fillSpaces(menu, startIndex, maxPrev);
    }
    void fillChannels(QMenu* menu, int, bool) override
    {
        for (KELId id : {2000018, 100000123}) {
            auto* a = menu->addAction(QString::number(id));
            a->setData(qlonglong(id));
            a->setProperty("userGotoChannel", true);
        }
    }
    void fillHistory(QMenu*, int, unsigned) override { log.push_back("fillHistory"); }
    void gotoSpace(long tag) override { log.push_back("gotoSpace " + std::to_string(tag)); }
    void gotoChannel(long id) override { log.push_back("gotoChannel " + std::to_string(id)); }
    void scannHistory(long tag, bool out) override
    {
        log.push_back(out ? std::string("scann out") : "scann " + std::to_string(tag));
    }
    void historyDidClose() override { log.push_back("historyDidClose"); }
    void homeHighlighted() override { log.push_back("home"); }
    void setSpaceBrowsing(bool b) override { log.push_back(b ? "spaces on" : "spaces off"); }
    void setChannelBrowsing(bool b) override { log.push_back(b ? "channels on" : "channels off"); }
    void setGotoOff() override { log.push_back("gotoOff"); }
    std::vector<std::string> take() { return std::exchange(log, {}); }
    bool search = false;
    KELId channel = 2000018;
    std::vector<std::string> log;
};

KELICurseur* const kNow = reinterpret_cast<KELICurseur*>(0x10);
KELICurseur* const kSearch = reinterpret_cast<KELICurseur*>(0x20);
KELICurseur* const kTimeline = reinterpret_cast<KELICurseur*>(0x30);
KELI* const kA = reinterpret_cast<KELI*>(0x100);
KELI* const kB = reinterpret_cast<KELI*>(0x200);

class FakeHub final : public KELMenuHub {
public:
    KELMenuReceiver* receiver(KELMenuReceiverKind kind) override
    {
        const auto it = receivers.find(kind);
        return it == receivers.end() ? nullptr : it->second;
    }
    KELMenuContextReceiver* contextViewer() override { return context; }
    ZEVMenuPreviewTarget& previewTarget() override { return preview; }
    KELICurseur* actifCurseur() override { return actif; }
    KELICurseur* nowCurseur() override { return kNow; }
    KELICurseur* searchCurseur() override { return kSearch; }
    KELICurseur* tlCurseur() override { return kTimeline; }
    int frontMode() override { return mode; }
    QString nameForFrontMode(int) override { return {}; }
    KELId homeChannelInt() override { return 2000018; }
    KELId zevFolderChannelInt() override { return 2000018; }
    std::vector<KELI*> selectedItemsForCurrentChannel() override { return {kA, kB}; }
    std::vector<KELI*> selectionForFrontMode(int m) override
    {
        return {reinterpret_cast<KELI*>(0x1000 + m)};
    }
    std::vector<ZEVItemOption> visibleItemOptions() override { return options; }
    bool isTitleEditing() override { return editing; }
    bool siNowItemExiste() override { return true; }
    bool siSelectionExiste() override { return false; }
    QString nowBackImageName() override { return QStringLiteral("Grey"); }
    QIcon nowBackThumbnail() override { return {}; }
    bool siRulerButton() override { return false; }
    bool siShowCalandar() override { return false; }
    bool siShowGoTo() override { return false; }
    bool siTimebarClosed() override { return true; }
    bool siTlineClosed() override { return false; }
    bool siTracksClosed() override { return true; }
    bool siToolbarClosed() override { return true; }
    bool siFullScreen() override { return false; }
    bool siFullWindow() override { return false; }
    bool siFrontSpace() override { return false; }
    bool siShowDesktop() override { return true; }
    bool siPresetWithStampInt(KELId) override { return false; }
    QString presetNameWithStampInt(KELId) override { return {}; }
    QIcon presetImageWithStampInt(KELId) override { return {}; }
    int presetStateWithStampInt(KELId) override { return 0; }
    void fillOpenWith(QMenu*) override {}
    void majImageForEditionMenu(QMenu*) override {}
    void updateMenuObject(QMenu*) override {}
    bool updateMenuEdit(QMenu*) override { return false; }
    void updateMenuMacForCurrentMode() override {}

    std::map<KELMenuReceiverKind, KELMenuReceiver*> receivers;
    KELMenuContextReceiver* context = nullptr;
    RecordingPreview preview;
    KELICurseur* actif = kNow;
    int mode = 0;
    std::vector<ZEVItemOption> options;
    bool editing = false;
};

class MainMenu : public ::testing::Test {
protected:
    void SetUp() override
    {
        Scheduler::setShared(&sched);
        window.setLayout(new QVBoxLayout);
        window.layout()->addWidget(new QWidget(&window));
    }
    void TearDown() override
    {
        menu.reset();
        Scheduler::setShared(nullptr);
    }
    void make()
    {
        menu = std::make_unique<KELMainMenu>(&window, hub);
    }
    QAction* at(int m, long tag) { return menu->item(m, tag); }

    ManualScheduler sched{1000.0};
    std::vector<Call> calls;
    Recorder front{calls, sched, {"userCopy", "userPaste", "userSelectAll"}};
    Recorder ruler{calls, sched, {"userZoomThisDayWithCurseur", "userZoomPrev6MonthsWithCurseur"}};
    Recorder space{calls, sched, {"copyZevpUrlForItems", "setHomeChannelInt"}};
    Recorder channel{calls, sched, {"menuInspectAdd", "userSpaceAdd", "menuPreviousSpace", "userSpaceRename"}};
    Recorder context{calls, sched, {"ouvrirEntityWithInt", "fermerEntityWithInt", "userCloseAllEntities"}};
    Recorder application{calls, sched, {"menuHelpShowUserGuide"}};
    FakeHub hub;
    QWidget window;
    std::unique_ptr<KELMainMenu> menu;
};

TEST_F(MainMenu, ItemsAreDisabledExactlyWhileNoReceiverCarriesTheirCommandOut)
{
    make();
    // No front layer at all: its edit items are off; the application's own Hide Others and Add
    // Person never come on.
    EXPECT_FALSE(at(KELMainMenu::kMenuEdit, 101)->isEnabled());
    hub.receivers[KELMenuReceiverKind::Front] = &front;
    hub.receivers[KELMenuReceiverKind::Application] = &application;
    menu->updateEnabling();
    EXPECT_TRUE(at(KELMainMenu::kMenuEdit, 101)->isEnabled());
    EXPECT_TRUE(at(KELMainMenu::kMenuEdit, 102)->isEnabled());
    EXPECT_FALSE(at(KELMainMenu::kMenuEdit, 100)->isEnabled()) << "the front does not cut";
    EXPECT_FALSE(at(KELMainMenu::kMenuObject, 35)->isEnabled()) << "Add Person";
    EXPECT_FALSE(at(KELMainMenu::kMenuView, 5733)->isEnabled()) << "Show Desktop hides the others";
    EXPECT_TRUE(at(KELMainMenu::kMenuHelp, 0)->isEnabled());
    // The Channels inspector's commands need the toggle bar as well.
    hub.receivers[KELMenuReceiverKind::Channel] = &channel;
    EXPECT_FALSE(menu->routable("menuChannelAdd:"));
    hub.context = &context;
    EXPECT_TRUE(menu->routable("menuChannelAdd:"));
    EXPECT_FALSE(menu->routable("menuChannelRename:"));
    // A disabled item's command never runs.
    menu->perform("cut:", at(KELMainMenu::kMenuEdit, 100));
    menu->perform("menuAddPerson:", nullptr);
    EXPECT_TRUE(calls.empty());
    at(KELMainMenu::kMenuEdit, 101)->trigger();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].command, "userCopy");
}

TEST_F(MainMenu, ZoomsActOnTheActiveCursorBelowTag301AndOnTheTimelineFrom301)
{
    hub.receivers[KELMenuReceiverKind::RulerViewer] = &ruler;
    hub.actif = kSearch;
    make();
    QAction* around = nullptr;
    QAction* ofRuler = nullptr;
    for (QAction* a : menu->menuWithTag(300)->actions())
        if (a->text() == "This Day")
            around = a;
    for (QAction* a : menu->menuWithTag(301)->actions())
        if (a->text() == "Previous Six Months")
            ofRuler = a;
    ASSERT_TRUE(around && ofRuler);
    EXPECT_EQ(around->property("tag").toInt(), 300);
    around->trigger();
    ofRuler->trigger();
    // Tag 11 of the Time menu, below 301, zooms around the active cursor too.
    at(KELMainMenu::kMenuTime, 11)->setEnabled(true);
    menu->perform("menuZoomThisDay:", at(KELMainMenu::kMenuTime, 11));
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].command, "userZoomThisDayWithCurseur");
    EXPECT_EQ(calls[0].curseur, kSearch);
    EXPECT_EQ(calls[1].command, "userZoomPrev6MonthsWithCurseur");
    EXPECT_EQ(calls[1].curseur, kTimeline);
    EXPECT_EQ(calls[2].curseur, kSearch);
    // Zooms the ruler viewer does not carry out stay disabled.
    EXPECT_FALSE(menu->routable("menuZoomThisYear:"));
}

TEST_F(MainMenu, ChannelCommandsOpenTheInspectorFirstAndWaitOnTheVirtualClock)
{
    hub.receivers[KELMenuReceiverKind::Channel] = &channel;
    hub.context = &context;
    make();
    const double t0 = sched.now();
    // Not shown: opened, then the command 0.7 s later.
    menu->perform("menuChannelAdd:", nullptr);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].command, "ouvrirEntityWithInt");
    EXPECT_EQ(calls[0].value, 2000194);
    sched.advance(0.69);
    EXPECT_EQ(calls.size(), 1u);
    sched.advance(0.02);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].command, "menuInspectAdd");
    EXPECT_EQ(calls[1].kind, KELMenuArgument::Kind::Application);
    EXPECT_NEAR(calls[1].at - t0, 0.7, 1e-9);
    calls.clear();
    // Shown: no opening, still a delayed perform, on the next turn.
    context.shown = {2000194};
    menu->perform("menuChannelAdd:", nullptr);
    EXPECT_TRUE(calls.empty());
    sched.runUntilIdle();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].command, "menuInspectAdd");
    calls.clear();
    // New Space always opens the inspector; 0.1 s when it was shown.
    const double t1 = sched.now();
    menu->perform("menuSpaceNew:", nullptr);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].command, "ouvrirEntityWithInt");
    sched.advance(0.2);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_NEAR(calls[1].at - t1, 0.1, 1e-9);
    calls.clear();
    // Clean Previous never opens it: at once when shown, 0.7 s later when not.
    menu->perform("menuSpaceCleanPrevious:", nullptr);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].command, "menuPreviousSpace");
    calls.clear();
    context.shown.clear();
    menu->perform("menuSpaceCleanPrevious:", nullptr);
    EXPECT_TRUE(calls.empty());
    sched.advance(0.7);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].command, "menuPreviousSpace");
    calls.clear();
    // Rename Space: opened and 0.7 s later; at once when shown.
    menu->perform("menuSpaceRename:", nullptr);
    EXPECT_EQ(calls.size(), 1u);
    sched.advance(0.7);
    EXPECT_EQ(calls.size(), 2u);
    context.shown = {2000194};
    menu->perform("menuSpaceRename:", nullptr);
    EXPECT_EQ(calls.size(), 3u);
}

TEST_F(MainMenu, ThePlaceIsCopiedWithTheSelectionOfTheFrontModeAndTheMomentWithTheChannelsOwn)
{
    hub.receivers[KELMenuReceiverKind::Space] = &space;
    make();
    for (int mode = 0; mode <= 4; ++mode) {
        hub.mode = mode;
        menu->perform("menuCopyZevSpace:", nullptr);
    }
    ASSERT_EQ(calls.size(), 4u) << "no copy in mode 4";
    for (int mode = 0; mode < 4; ++mode) {
        EXPECT_EQ(calls[mode].command, "copyZevpUrlForItems");
        EXPECT_TRUE(calls[mode].flag);
        EXPECT_EQ(calls[mode].items, std::vector<KELI*>{reinterpret_cast<KELI*>(0x1000 + mode)});
    }
    calls.clear();
    menu->perform("menuCopyZevTime:", nullptr);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_FALSE(calls[0].flag);
    EXPECT_EQ(calls[0].items, (std::vector<KELI*>{kA, kB}));
    calls.clear();
    menu->perform("menuChannelSetAsHome:", nullptr);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].value, 2000018);
}

TEST_F(MainMenu, AnInspectorItemBringsAShownButUnfocusedInspectorToFocusAndClosesAFocusedOne)
{
    hub.context = &context;
    make();
    QAction* files = at(KELMainMenu::kMenuInspectors, 2000005);
    menu->perform("menuEntityOpen:", files);
    context.shown = {2000005};
    menu->perform("menuEntityOpen:", files);
    EXPECT_EQ(files->property("state").toInt(), 1);
    context.focused = {2000005};
    menu->perform("menuEntityOpen:", files);
    EXPECT_EQ(files->property("state").toInt(), 0);
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].command, "ouvrirEntityWithInt");
    EXPECT_EQ(calls[1].command, "ouvrirEntityWithInt");
    EXPECT_EQ(calls[2].command, "fermerEntityWithInt");
    EXPECT_EQ(calls[2].value, 2000005);
    // The menu marks the shown but unfocused ones mixed, with a visible mark.
    context.focused.clear();
    menu->menuWillOpen(KELMainMenu::kMenuInspectors);
    EXPECT_EQ(files->property("state").toInt(), -1);
    EXPECT_FALSE(files->icon().isNull());
    EXPECT_TRUE(at(KELMainMenu::kMenuInspectors, 50)->isEnabled());
}

TEST(ObjectMenu, OptionItemsShowThreeStatesAndAnimationCountsOnlyTheGifs)
{
    EXPECT_FALSE(objectMenuStates({}).any);
    const ZEVItemOption gif = ZEVOPTION_GIF, animated = ZEVOPTION_GIF | ZEVOPTION_ANIMATE;
    KELObjectMenuStates s = objectMenuStates({ZEVOPTION_QL_ICON, ZEVOPTION_QL_ICON | ZEVOPTION_SHOW_TITLE, animated});
    EXPECT_EQ(s.qlIcon, -1);
    EXPECT_EQ(s.alwaysTitle, -1);
    EXPECT_EQ(s.openOnClick, 0);
    // Three Objects, one an animated GIF: on, and enabled.
    EXPECT_EQ(s.animated, 1);
    EXPECT_TRUE(s.animatedEnabled);
    s = objectMenuStates({ZEVOPTION_OPEN_ON_CLICK, ZEVOPTION_OPEN_ON_CLICK});
    EXPECT_EQ(s.openOnClick, 1);
    EXPECT_FALSE(s.animatedEnabled) << "no GIF among them";
    EXPECT_EQ(objectMenuStates({gif, animated}).animated, -1);
    EXPECT_EQ(objectMenuStates({gif, gif, ZEVOPTION_ANIMATE}).animated, 0) << "an animated non-GIF does not count";
}

TEST_F(MainMenu, TheObjectMenuDisablesItsOptionsWithoutObjectsAndMarksMixedOnes)
{
    hub.receivers[KELMenuReceiverKind::Front] = &front;
    make();
    QAction* ql = menu->outlet("_menuObjectOptionQLIcon");
    QAction* edit = menu->outlet("_menuObjectOptionEditTitle");
    ASSERT_TRUE(ql && edit);
    menu->menuWillOpen(KELMainMenu::kMenuObject);
    EXPECT_FALSE(ql->isEnabled());
    EXPECT_EQ(ql->property("state").toInt(), 0);
    EXPECT_EQ(edit->property("state").toInt(), 0);
    hub.editing = true;
    hub.options = {ZEVOPTION_QL_ICON, 0};
    menu->menuWillOpen(KELMainMenu::kMenuObject);
    EXPECT_EQ(ql->property("state").toInt(), -1);
    EXPECT_FALSE(ql->icon().isNull()) << "the mixed state is marked";
    EXPECT_EQ(edit->property("state").toInt(), 1);
}

TEST_F(MainMenu, KeysFollowThePhysicalKeyAndASequenceMetTwiceGivesWayOnTheLaterItem)
{
    make();
    // A layout putting Y on the US Z position (code 6) and the same key on T and Y (codes 17, 16).
    menu->setKeyEquivalents([](int code) -> std::optional<int> {
        switch (code) {
        case 6:
            return Qt::Key_Y;
        case 16:
        case 17:
            return Qt::Key_T;
        case 48:
            return Qt::Key_Tab;
        case 37:
            return Qt::Key_L;
        default:
            return std::nullopt;
        }
    });
    EXPECT_EQ(at(KELMainMenu::kMenuModes, 1)->shortcut(), QKeySequence(Qt::Key_Y));
    EXPECT_EQ(menu->outlet("_menuViewShowTitle")->shortcut(), QKeySequence(Qt::Key_T));
    EXPECT_TRUE(menu->outlet("_menuViewShowAnimation")->shortcut().isEmpty());
    EXPECT_EQ(at(KELMainMenu::kMenuEdit, 106)->shortcut(), QKeySequence(Qt::Key_Tab));
    EXPECT_EQ(at(KELMainMenu::kMenuView, 52)->shortcut(), QKeySequence(Qt::Key_L)) << "icons mode";
    EXPECT_TRUE(at(KELMainMenu::kMenuView, 54)->shortcut().isEmpty());
    // A layout without data keeps the keys.
    menu->setKeyEquivalents([](int) { return std::nullopt; });
    EXPECT_EQ(at(KELMainMenu::kMenuModes, 1)->shortcut(), QKeySequence(Qt::Key_Y));
    // In titles mode the key moves to the titles' item.
    hub.mode = 1;
    menu->updateMenuViewWithFrontMode(1);
    EXPECT_EQ(at(KELMainMenu::kMenuView, 54)->shortcut(), QKeySequence(Qt::Key_L));
    EXPECT_TRUE(at(KELMainMenu::kMenuView, 52)->shortcut().isEmpty());
    EXPECT_FALSE(at(KELMainMenu::kMenuView, 51)->isVisible());
}

TEST_F(MainMenu, APlainKeyItemNeverFiresWhileATextFieldHasTheFocus)
{
    hub.receivers[KELMenuReceiverKind::Front] = &front;
    make();
    QAction* selectAll = at(KELMainMenu::kMenuEdit, 103);
    selectAll->setShortcut(QKeySequence(Qt::Key_A));
    auto* field = new QLineEdit(&window);
    window.layout()->addWidget(field);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.activateWindow();
    field->setFocus();
    QApplication::processEvents();
    QTest::keyClick(field, Qt::Key_A);
    EXPECT_EQ(field->text(), "a");
    EXPECT_TRUE(calls.empty());
    // Away from the field the key is the item's.
    window.setFocus();
    field->clearFocus();
    QTest::keyClick(&window, Qt::Key_A);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].command, "userSelectAll");
}

// ---- previews ----

TEST_F(MainMenu, TheSpacesPreviewComesBackWhenThePointerLeavesAndWhenTheMenuClosesWithoutAChoice)
{
    make();
    RecordingPreview& p = hub.preview;
    ZEVMenuPreview* spaces = menu->preview(KELMainMenu::kMenuSpaces);
    ASSERT_NE(spaces, nullptr);
    QMenu* m = menu->menuWithTag(KELMainMenu::kMenuSpaces);
    p.search = true;
    spaces->willOpen(m);
    EXPECT_EQ(p.take(), (std::vector<std::string>{"storeSearchDate", "spaces on", "gotoOff"}));
    // The listed Spaces are at index 12 and after.
    ASSERT_EQ(m->actions().at(12)->text(), "Space 1");
    spaces->highlight(ZEVMenuPreview::Item::Space, 1);
    EXPECT_EQ(p.take(), std::vector<std::string>{"gotoSpace 1"});
    sched.advance(0.2);
    EXPECT_EQ(p.take(), std::vector<std::string>{"gotoOff"});
    // Leaving the items goes back to the Search cursor's kept date.
    spaces->highlight(ZEVMenuPreview::Item::None, 0);
    EXPECT_EQ(p.take(), (std::vector<std::string>{"gotoSpace -1", "gotoOff"}));
    spaces->highlight(ZEVMenuPreview::Item::Space, 0);
    p.take();
    // Esc: no item is reported; the close without a choice goes back, then browsing ends.
    spaces->didClose(false);
    EXPECT_EQ(p.take(), (std::vector<std::string>{"gotoSpace -1", "gotoOff", "spaces off", "gotoOff"}));
    // With the Now cursor active the way back is Now.
    p.search = false;
    spaces->willOpen(m);
    p.take();
    spaces->highlight(ZEVMenuPreview::Item::Home, ZEVMenuPreview::kHomeTag);
    EXPECT_EQ(p.take(), std::vector<std::string>{"home"});
    spaces->didClose(false);
    EXPECT_EQ(p.take().front(), "gotoSpace -2");
    // A choice keeps the place it chose.
    spaces->willOpen(m);
    spaces->highlight(ZEVMenuPreview::Item::Space, 1);
    p.take();
    spaces->didClose(true);
    EXPECT_EQ(p.take(), (std::vector<std::string>{"spaces off", "gotoOff"}));
}

TEST_F(MainMenu, TheChannelsAndHistoryPreviewsGoBackToWhereTheyOpened)
{
    make();
    RecordingPreview& p = hub.preview;
    ZEVMenuPreview* channels = menu->preview(KELMainMenu::kMenuChannels);
    ZEVMenuPreview* history = menu->preview(KELMainMenu::kMenuHistory);
    channels->willOpen(menu->menuWithTag(KELMainMenu::kMenuChannels));
    EXPECT_EQ(p.take(), (std::vector<std::string>{"channels on", "gotoOff"}));
    channels->highlight(ZEVMenuPreview::Item::Channel, 100000123);
    channels->highlight(ZEVMenuPreview::Item::Other, 0);
    EXPECT_EQ(p.take(), (std::vector<std::string>{"gotoChannel 100000123", "gotoChannel 2000018", "gotoOff"}));
    channels->didClose(false);
    EXPECT_EQ(p.take(), (std::vector<std::string>{"gotoChannel 2000018", "gotoOff", "channels off", "gotoOff"}));
    history->willOpen(menu->menuWithTag(KELMainMenu::kMenuHistory));
    history->highlight(ZEVMenuPreview::Item::History, 3);
    history->didClose(false);
    EXPECT_EQ(p.take(), (std::vector<std::string>{"fillHistory", "scann 3", "scann out", "historyDidClose"}));
}

TEST_F(MainMenu, ARealMenuClosedByEscLeavesNoPreviewStanding)
{
    make();
    RecordingPreview& p = hub.preview;
    QMenu* m = menu->menuWithTag(KELMainMenu::kMenuChannels);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    m->popup(window.mapToGlobal(QPoint(10, 10)));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m));
    EXPECT_EQ(p.take(), (std::vector<std::string>{"channels on", "gotoOff"}));
    // The listed Channels follow the static items; the pointer over one previews it.
    QAction* other = nullptr;
    for (QAction* a : m->actions())
        if (a->data().toLongLong() == 100000123)
            other = a;
    ASSERT_NE(other, nullptr);
    m->setActiveAction(other);
    EXPECT_EQ(p.take(), std::vector<std::string>{"gotoChannel 100000123"});
    QTest::keyClick(m, Qt::Key_Escape);
    EXPECT_FALSE(m->isVisible());
    sched.runUntilIdle();
    const std::vector<std::string> log = p.take();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front(), "gotoChannel 2000018");
    EXPECT_EQ(log.back(), "gotoOff");
    EXPECT_NE(std::find(log.begin(), log.end(), "channels off"), log.end());
}


TEST_F(MainMenu, TheToolbarsCleanMenuPreviewsItsSpacesAndAnyOtherEntryOrEscBringsTheDeskBack)
{
    make();
    RecordingPreview& p = hub.preview;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QMenu clean;
    for (const char* t : {"Clean", "Clean and Recall", "Clean and Recall Back", "Clean and Replace"})
        clean.addAction(QString::fromLatin1(t));
    clean.addSeparator();
    ZEVMenuPreview preview(p, ZEVMenuPreview::Kind::CleanSpaces, 5, 25);
    preview.attach(&clean);
    p.search = true;
    clean.popup(window.mapToGlobal(QPoint(10, 10)));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&clean));
    EXPECT_EQ(p.take(), (std::vector<std::string>{"storeSearchDate", "replacing", "spaces on", "gotoOff"}));
    ASSERT_EQ(clean.actions().at(5)->text(), "Space 1") << "the Spaces follow the clean entries";
    clean.setActiveAction(clean.actions().at(5));
    EXPECT_EQ(p.take(), std::vector<std::string>{"gotoSpace 1"});
    // A clean entry is no Space: back to the date kept at the opening.
    clean.setActiveAction(clean.actions().at(0));
    EXPECT_EQ(p.take(), std::vector<std::string>{"gotoSpace -1"});
    clean.setActiveAction(clean.actions().at(6));
    p.take();
    // The pointer leaves the menu: back again.
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&clean, &leave);
    EXPECT_EQ(p.take(), std::vector<std::string>{"gotoSpace -1"});
    clean.setActiveAction(clean.actions().at(6));
    p.take();
    QTest::keyClick(&clean, Qt::Key_Escape);
    EXPECT_FALSE(clean.isVisible());
    sched.runUntilIdle();
    EXPECT_EQ(p.take(), (std::vector<std::string>{"gotoSpace -1", "spaces off", "gotoOff"}));
}

TEST_F(MainMenu, TheToolbarsOwnMenuPreviewsChannelsWithoutBrowsingAndClosingGoesBack)
{
    make();
    RecordingPreview& p = hub.preview;
    QMenu bar;
    for (const char* t : {"Time Bar", "Time Line", "Toolbar"})
        bar.addAction(QString::fromLatin1(t));
    bar.addSeparator();
    ZEVMenuPreview preview(p, ZEVMenuPreview::Kind::ToolbarChannels, 4, 0, false);
    preview.willOpen(&bar);
    EXPECT_EQ(p.take(), (std::vector<std::string>{"channels off", "gotoOff"}));
    preview.highlight(ZEVMenuPreview::Item::Channel, 100000123);
    EXPECT_EQ(p.take(), std::vector<std::string>{"gotoChannel 100000123"});
    sched.advance(0.25);
    EXPECT_EQ(p.take(), std::vector<std::string>{"gotoOff"}) << "the delayed reset";
    preview.highlight(ZEVMenuPreview::Item::Other, 0);
    EXPECT_EQ(p.take(), (std::vector<std::string>{"gotoChannel 2000018", "gotoOff"}));
    preview.highlight(ZEVMenuPreview::Item::Channel, 100000123);
    p.take();
    // Chosen: the Channel stays.
    preview.didClose(true);
    EXPECT_EQ(p.take(), (std::vector<std::string>{"channels off", "gotoOff"}));
}

} // namespace
