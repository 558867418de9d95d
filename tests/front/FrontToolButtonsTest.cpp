// The front toolbar's buttons on a Space of the template link base with a virtual clock: the long
// press's action by button, the go buttons' lighting and its 0.2 s end, which leaves the Home
// button alone while a menu browses, the menus' filling and closing, the show-links button, the
// Add Documents panel's follow-up (never once the panel is gone), and the panels' pure rules: new
// folder names, file dates for the go-to kinds, the prompt.

#include "front/ZEVFrontBars.h"
#include "front/ZEVFrontGoToPanel.h"
#include "front/ZEVFrontPanels.h"
#include "front/ZEVFrontToolButtons.h"
#include "front/ZEVFrontViewer.h"
#include "platform/sound/Sound.h"
#include "runtime/Clock.h"
#include "tests/space/SpaceFixture.h"
#include "widgets/ZEVButton.h"

#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>

#include <gtest/gtest.h>

namespace {

using namespace tallomer;
using spacetest::Trace;
using B = ZEVFrontToolButtons;

class RecordingHeaders final : public ZEVFrontHeaderViews {
public:
    explicit RecordingHeaders(Trace& t) : trace(t) {}
    QWidget* timebarWidget() override { return nullptr; }
    QWidget* tlineWidget() override { return nullptr; }
    UserDefaultsController* defaults() override { return nullptr; }
    void menuHomeTime() override { trace.push_back("home"); }
    void userGoHome() override {}
    bool siCurseurAtHome() override { return false; }
    void clearGoingToHome() override {}
    void menuNowCurseur() override { trace.push_back("now"); }
    void tlineKeyDown(QKeyEvent* e) override { e->ignore(); }
    void tlineKeyUp(QKeyEvent* e) override { e->ignore(); }
    void tlineWheel(QWheelEvent*) override {}
    void menuHomeTimeWithDuration(float d) override { trace.push_back("home " + std::to_string(int(d * 10))); }
    void userShowRulerPickerPanel(bool shown) override
    {
        calendar = shown;
        trace.push_back(shown ? "calendar on" : "calendar off");
    }
    bool siShowRulerPickerPanel() override { return calendar; }
    bool stateOfRulerButton() override { return false; }
    void menuSearchCurseur() override {}
    bool siPresetJustEdited() override { return false; }
    bool siGoingToHome() override { return false; }
    Trace& trace;
    bool calendar = false;
};

class ToolButtons : public spacetest::Space {
protected:
    void SetUp() override
    {
        Space::SetUp();
        Sound::setShared(&sound);
        host.makeFront = [this](ZEVSpaceController& s) {
            auto h = std::make_unique<RecordingHeaders>(notices);
            headers = h.get();
            auto f = std::make_unique<ZEVFrontViewer>(s, std::move(h));
            front = f.get();
            return std::unique_ptr<ZEVFrontViewerServices>(std::move(f));
        };
        build();
        space->spaceWindow()->resize(1100, 700);
        settle();
        notices.clear();
        ASSERT_NE(front->tools(), nullptr);
    }
    void TearDown() override
    {
        Sound::setShared(nullptr);
        Space::TearDown();
    }
    B& tools() { return *front->tools(); }
    ZEVButton* button(const char* name) { return front->toolbar()->button(QString::fromLatin1(name)); }
    int state(const char* name) { return button(name)->state(); }

    Trace notices;
    ZEVFrontViewer* front = nullptr;
    RecordingHeaders* headers = nullptr;
    RecordingSound sound;
};

// ---- the long press's action -------------------------------------------------------------------

TEST(ToolButtonTables, EachButtonHasItsDirectActionAndOnlyTheCalendarAndGoToKeepTheirState)
{
    EXPECT_EQ(B::cliqueFor("btnDeskHome"), B::Clique::HomeTime);
    EXPECT_EQ(B::cliqueFor("btnCalandarPanel"), B::Clique::ShowCalandar);
    EXPECT_EQ(B::cliqueFor("btnGoToPanel"), B::Clique::GoToPanel);
    EXPECT_EQ(B::cliqueFor("btnGotoPrevious"), B::Clique::InspectPrevious);
    EXPECT_EQ(B::cliqueFor("btnGotoNextSpace"), B::Clique::NextSpace);
    EXPECT_EQ(B::cliqueFor("btnChannelUp"), B::Clique::ChannelUp);
    EXPECT_EQ(B::cliqueFor("btnDeskClean"), B::Clique::SpaceClean);
    EXPECT_EQ(B::cliqueFor("btnAddItems"), B::Clique::AddDocuments);
    EXPECT_EQ(B::cliqueFor("btnActionOpen"), B::Clique::ActionOpen);
    EXPECT_EQ(B::cliqueFor("btnActionGetInfo"), B::Clique::None);
    EXPECT_EQ(B::cliqueFor("something"), B::Clique::None);
    for (B::Clique c : {B::Clique::HomeTime, B::Clique::ChannelUp, B::Clique::AddDocuments})
        EXPECT_FALSE(B::cliqueCancelsGotoPrevious(c));
    EXPECT_TRUE(B::cliqueCancelsGotoPrevious(B::Clique::ShowCalandar));
    EXPECT_TRUE(B::cliqueCancelsGotoPrevious(B::Clique::GoToPanel));
    // Both Channel buttons share one menu.
    EXPECT_EQ(B::menuFor("btnChannelUp"), B::Menu::UpDown);
    EXPECT_EQ(B::menuFor("btnChannelDown"), B::Menu::UpDown);
    EXPECT_EQ(B::menuFor("btnActionGetInfo"), B::Menu::Count);
}

TEST_F(ToolButtons, AHeldHomeGlidesHomeAQuickOnePopsTheMenuAndAHeldCalendarKeepsItsNewState)
{
    ZEVButton* home = button("btnDeskHome");
    home->mouseDown();
    sched.advance(0.15);
    // The press's release asks the button; the action comes on the next turn.
    EXPECT_TRUE(home->siClickLong());
    sched.advance(0.01);
    EXPECT_EQ(notices, Trace{"home 15"});
    EXPECT_EQ(tools().menu(B::Menu::Home)->isVisible(), false);
    notices.clear();
    // From code, without a sender: at once.
    tools().menuHomeTime(false);
    EXPECT_EQ(notices, Trace{"home 0"});

    ZEVButton* calendar = button("btnCalandarPanel");
    calendar->mouseDown();
    sched.advance(0.2);
    EXPECT_TRUE(calendar->siClickLong());
    sched.advance(0.01);
    EXPECT_TRUE(headers->calendar);
    // The calendar's own state stays past the button's 0.3 s restore.
    front->setSiShowCalandar(true);
    sched.advance(0.5);
    EXPECT_EQ(calendar->state(), 1);
}

// ---- lighting ----------------------------------------------------------------------------------

TEST_F(ToolButtons, AStepLightsItsButtonFor0_2sAfterTheLastCallAndABrowseLeavesHomeAlone)
{
    const KELId home = space->homeChannelInt();
    tools().selectionUp(home);
    const int lit = front->siFocus() ? 1 : -1;
    EXPECT_EQ(state("btnChannelUp"), lit);
    EXPECT_EQ(state("btnChannelDown"), 0);
    EXPECT_EQ(state("btnDeskHome"), -1) << "the home Channel reached";
    sched.advance(0.15);
    // A second step re-arms the one pending reset.
    tools().selectionDown(home + 1000);
    EXPECT_EQ(state("btnChannelDown"), lit);
    EXPECT_EQ(state("btnChannelUp"), 0);
    EXPECT_EQ(state("btnDeskHome"), 0);
    sched.advance(0.15);
    EXPECT_EQ(state("btnChannelDown"), lit);
    sched.advance(0.06);
    EXPECT_EQ(state("btnChannelDown"), 0);

    // While Channels are browsed the pair shows mixed, the stepped one on, and Home stays as the
    // browse set it.
    tools().setChannelBrowsing(true);
    tools().selectionNextSpace(true);
    tools().selectionUp(home);
    EXPECT_EQ(state("btnChannelUp"), 1);
    EXPECT_EQ(state("btnChannelDown"), -1);
    sched.advance(0.3);
    EXPECT_EQ(state("btnChannelUp"), -1);
    EXPECT_EQ(state("btnChannelDown"), -1);
    EXPECT_EQ(state("btnDeskHome"), -1) << "untouched while a browse runs";
    EXPECT_EQ(state("btnGotoNextSpace"), 0);
    tools().setChannelBrowsing(false);
    tools().setGotoOff();
    EXPECT_EQ(state("btnDeskHome"), 0);
    EXPECT_EQ(state("btnChannelUp"), 0);
}

// ---- menus -------------------------------------------------------------------------------------

TEST_F(ToolButtons, MenusLightTheirButtonWhileOpenAndClosingPutsItBackAndTheHistoryBrowseEnds)
{
    QMenu* add = tools().menu(B::Menu::Add);
    tools().popUpMenu(B::Menu::Add);
    QCoreApplication::processEvents();
    EXPECT_EQ(state("btnAddItems"), 1);
    add->close();
    QCoreApplication::processEvents();
    EXPECT_EQ(state("btnAddItems"), 0);

    tools().popUpMenu(B::Menu::Home);
    EXPECT_TRUE(tools().siZevstoryBrowsing());
    EXPECT_EQ(state("btnDeskHome"), 1);
    tools().menu(B::Menu::Home)->close();
    sched.advance(0.01);
    EXPECT_FALSE(tools().siZevstoryBrowsing());
    EXPECT_EQ(state("btnDeskHome"), 0);

    // The Edit menu: Deselect All waits for a selection, the tracks item says what it will do.
    tools().popUpMenu(B::Menu::Edit);
    QMenu* edit = tools().menu(B::Menu::Edit);
    QAction* deselect = nullptr;
    QAction* tracks = nullptr;
    for (QAction* a : edit->actions()) {
        if (a->property("tag").toLongLong() == 104)
            deselect = a;
        if (a->property("tag").toLongLong() == 103)
            tracks = a;
    }
    ASSERT_TRUE(deselect && tracks);
    EXPECT_FALSE(deselect->isEnabled());
    EXPECT_EQ(tracks->text(), front->siTracksClosed() ? "Show Tracks" : "Hide Tracks");
    edit->close();
    const int closed = tools().menusClosed();
    tools().popUpMenu(B::Menu::Go);
    EXPECT_EQ(state("btnGotoPrevious"), -1);
    tools().menu(B::Menu::Go)->close();
    EXPECT_EQ(tools().menusClosed(), closed + 1);
    EXPECT_EQ(state("btnGotoPrevious"), 0);
}

// ---- show links --------------------------------------------------------------------------------

TEST_F(ToolButtons, TheShowLinksButtonShowsTheSelectionsLinksAndPressedWhileLinksShowHidesThem)
{
    space->setSiShowLinksForAllObjects(false);
    space->setSiShowLinksForSelections(false);
    front->buttonShowLink();
    EXPECT_TRUE(space->displayOptions().siShowLinksForSelections);
    EXPECT_TRUE(space->displayOptions().siShowLinks());
    front->buttonShowLink();
    EXPECT_FALSE(space->displayOptions().siShowLinks());
    // All Objects' links showing: pressed, none show any more, and the mode's items say so.
    space->setSiShowLinksForAllObjects(true);
    front->buttonShowLink();
    EXPECT_FALSE(space->displayOptions().siShowLinks());
    for (QAction* a : front->toolMenu(front->currentFrontMode())->actions()) {
        if (a->text().startsWith("Show Links")) {
            EXPECT_FALSE(a->isChecked()) << a->text().toStdString();
        }
    }
}

// ---- the go-to panel ----------------------------------------------------------------------------

TEST_F(ToolButtons, TheGoToPanelTakesNoFocusLightsTheKindAndRefusesDrops)
{
    tools().menuGoToPanel();
    ZEVFrontGoToPanel* panel = tools().goToPanel();
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_TRUE(panel->windowFlags() & Qt::WindowDoesNotAcceptFocus);
    EXPECT_TRUE(space->siGoToMode());
    EXPECT_EQ(state("btnGoToPanel"), 1);
    space->setGoToTag(4);
    EXPECT_EQ(panel->buttonWithTag(4)->state(), 1);
    EXPECT_EQ(panel->buttonWithTag(1)->state(), 0);
    // The Search kind clicked while already lit, with the Search cursor in view: a beep.
    space->setGoToTag(2);
    const int beeps = sound.beeps;
    KELIContexte* c = space->tlContexte();
    if (space->searchCurseur()->now() >= c->nowIn() && space->searchCurseur()->now() <= c->nowOut()) {
        panel->goToChange(panel->buttonWithTag(2));
        EXPECT_EQ(sound.beeps, beeps + 1);
        EXPECT_EQ(panel->buttonWithTag(2)->state(), 1) << "a lit kind stays lit";
    }
    // A drop is never taken.
    QMimeData data;
    data.setText("x");
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(panel, &drop);
    EXPECT_FALSE(drop.isAccepted());
    // Closed: the button goes off, the go-to mode ends, the kind comes back to Search.
    space->setGoToTag(4);
    tools().menuGoToPanel();
    EXPECT_FALSE(panel->isVisible());
    EXPECT_FALSE(space->siGoToMode());
    EXPECT_EQ(state("btnGoToPanel"), 0);
    EXPECT_EQ(space->goToTag(), 2);
}

TEST_F(ToolButtons, ADragRestingOnTheGoToPanelJumpsAfter0_8sAndWithoutADateBeepsAndStaysPlain)
{
    tools().menuGoToPanel();
    ZEVFrontGoToPanel* panel = tools().goToPanel();
    ASSERT_NE(panel, nullptr);
    QMimeData text;
    text.setText("no dates here");
    auto enter = [&] {
        QDragEnterEvent e(QPoint(10, 10), Qt::CopyAction, &text, Qt::LeftButton, {});
        QCoreApplication::sendEvent(panel, &e);
        EXPECT_EQ(e.dropAction(), Qt::IgnoreAction) << "nothing is offered to the drag";
    };
    auto leave = [&] {
        QDragLeaveEvent e;
        QCoreApplication::sendEvent(panel, &e);
    };
    // Kind Now: the rest hands over to the ruler bar's Now button and lights the area.
    space->setGoToTag(1);
    notices.clear();
    enter();
    EXPECT_TRUE(space->siDraggingSession());
    sched.advance(0.7);
    EXPECT_EQ(panel->goToView()->state(), 0);
    sched.advance(0.15);
    EXPECT_EQ(notices, Trace{"now"});
    EXPECT_EQ(panel->goToView()->state(), -1);
    leave();
    EXPECT_EQ(panel->goToView()->state(), 0);
    // Kind Created with text that carries no date: a beep, the area stays plain.
    space->setGoToTag(3);
    const int beeps = sound.beeps;
    enter();
    sched.advance(0.85);
    EXPECT_EQ(sound.beeps, beeps + 1);
    EXPECT_EQ(panel->goToView()->state(), 0);
    leave();
}

// ---- the Add Documents panel ------------------------------------------------------------------

TEST_F(ToolButtons, TheFollowUpSetsThePromptAndDoesNothingOnceThePanelIsGone)
{
    const QString dir = QString::fromStdString(test::makeTempDir("add"));
    const std::pair<const char*, qint64> files[] = {{"a.txt", 1'600'000'000}, {"b.txt", 1'650'000'000}};
    for (const auto& [name, modified] : files) {
        QFile f(dir + "/" + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.setFileTime(QDateTime::fromSecsSinceEpoch(modified, Qt::UTC), QFileDevice::FileModificationTime));
    }
    ZEVFrontPanels& panels = tools().panels();
    panels.buttonAddWithUrl(dir);
    ZEVFrontAddPanel* panel = panels.openPanel();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->windowTitle(), QStringLiteral("Add Documents\u2026"));
    EXPECT_EQ(panel->labelText(QFileDialog::Accept), "Add");
    auto* typed = panel->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(typed, nullptr);
    typed->setText("\"a.txt\" \"b.txt\"");
    sched.advance(0.05);
    EXPECT_EQ(panel->labelText(QFileDialog::Accept), "Add") << "not before 0.1 s";
    sched.advance(0.06);
    EXPECT_EQ(panel->labelText(QFileDialog::Accept), "Add 2 Objects");
    EXPECT_EQ(panels.openPanelSelections().size(), 2);

    // Under the modification kind a file moves the Search cursor; the same file again does not.
    space->setGoToTag(4);
    panel->goToPopUp()->setCurrentIndex(panel->goToPopUp()->findData(4));
    panel->selectFile(dir + "/a.txt");
    sched.advance(0.11);
    EXPECT_TRUE(panels.previousURL().endsWith("/a.txt")) << panels.previousURL().toStdString();
    EXPECT_EQ(space->actifCurseur(), space->searchCurseur());
    sched.advance(0.5);
    const KELDate moved = space->searchCurseur()->now();
    EXPECT_NEAR(moved, dateFromUnix(1'600'000'000), 1.0) << "to the file's modification date";
    panel->selectFile(dir + "/b.txt");
    panel->selectFile(dir + "/a.txt");
    sched.advance(0.5);
    EXPECT_NEAR(space->searchCurseur()->now(), moved, 1.0) << "the same last file moves nothing";

    // A follow-up pending as the panel closes never runs.
    space->rulerViewer()->userChangeActifCurseur(space->nowCurseur());
    ASSERT_EQ(space->actifCurseur(), space->nowCurseur());
    panel->selectFile(dir + "/b.txt");
    panel->goToPopUp()->setCurrentIndex(panel->goToPopUp()->findData(5));
    panel->reject();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    sched.advance(0.2);
    EXPECT_EQ(space->actifCurseur(), space->nowCurseur()) << "no follow-up made the Search cursor active";
    EXPECT_EQ(panels.openPanel(), nullptr);
}

// ---- the panels' rules -----------------------------------------------------------------------

TEST(FrontPanelRules, HostileFolderNamesAreRefusedAndNamesAreTrimmed)
{
    for (const char* bad : {"", "   ", ".", "..", " .. ", "../x", "a/b", "/abs"})
        EXPECT_FALSE(newFolderNameFrom(QString::fromUtf8(bad))) << bad;
    EXPECT_FALSE(newFolderNameFrom(QString("a") + QChar(u'\0') + "b"));
    EXPECT_EQ(newFolderNameFrom("  Fresh  ").value_or(""), "Fresh");
    EXPECT_EQ(newFolderNameFrom("...").value_or(""), "...");
}

TEST(FrontPanelRules, TheGoToKindsTakeTheirDatesAndTheStartOf1970CountsAsNone)
{
    const QDateTime born = QDateTime::fromSecsSinceEpoch(1'600'000'000, Qt::UTC);
    const QDateTime modified = QDateTime::fromSecsSinceEpoch(1'650'000'000, Qt::UTC);
    const QDateTime opened = QDateTime::fromSecsSinceEpoch(1'700'000'000, Qt::UTC);
    ZEVFileDates f{true, born, modified, opened};
    EXPECT_DOUBLE_EQ(*goToDateFromFileDates(f, 3), dateFromUnix(1'600'000'000));
    EXPECT_DOUBLE_EQ(*goToDateFromFileDates(f, 4), dateFromUnix(1'650'000'000));
    EXPECT_DOUBLE_EQ(*goToDateFromFileDates(f, 5), dateFromUnix(1'700'000'000));
    EXPECT_FALSE(goToDateFromFileDates(f, 2));
    // Born at the start of 1970, or unknown: the modification date stands in.
    f.born = QDateTime::fromSecsSinceEpoch(0, Qt::UTC);
    EXPECT_DOUBLE_EQ(*goToDateFromFileDates(f, 3), dateFromUnix(1'650'000'000));
    f.born = QDateTime();
    EXPECT_DOUBLE_EQ(*goToDateFromFileDates(f, 3), dateFromUnix(1'650'000'000));
    // No modification date: the creation date.
    f.born = born;
    f.modified = QDateTime();
    EXPECT_DOUBLE_EQ(*goToDateFromFileDates(f, 4), dateFromUnix(1'600'000'000));
    // No last use, or no file: no date.
    f.accessed = QDateTime();
    EXPECT_FALSE(goToDateFromFileDates(f, 5));
    f = ZEVFileDates{false, born, modified, opened};
    EXPECT_FALSE(goToDateFromFileDates(f, 5));
    EXPECT_FALSE(fileDateForGoToTag("/no/such/file", 4));
}

TEST(FrontPanelRules, ThePromptCountsTheChosenFiles)
{
    EXPECT_EQ(addPromptForCount(0), "Add");
    EXPECT_EQ(addPromptForCount(1), "Add 1 Object");
    EXPECT_EQ(addPromptForCount(3), "Add 3 Objects");
}

} // namespace

// ---- the tool menus, Find and Calendar ----------------------------------------------------------

namespace tooltest {

QAction* toolEntry(QMenu* menu, const char* name)
{
    for (QAction* a : menu->actions())
        if (a->property("toolEntry").toString() == QLatin1String(name))
            return a;
    return nullptr;
}

// "title+" for an enabled entry, "title-" for a disabled one.
std::string shown(QAction* a) { return a->text().toStdString() + (a->isEnabled() ? "+" : "-"); }

} // namespace tooltest

TEST_F(ToolButtons, TheToolMenusTitleAndEnableTheirEntriesByModeAndPutTheirButtonBackOnClosing)
{
    using tooltest::shown;
    using tooltest::toolEntry;
    front->menuModeIcon();
    settle();
    ASSERT_EQ(front->frontMode(), 0);
    QMenu* icons = front->toolMenu(0);
    QMenu* titles = front->toolMenu(1);
    QMenu* links = front->toolMenu(3);
    QMenu* filters = front->toolMenu(2);
    // Icon mode: the Icon tool is the one in force, nothing to carry over.
    icons->popup(QPoint(10, 10));
    QAction* tool = toolEntry(icons, "tool");
    EXPECT_TRUE(tool->isChecked());
    EXPECT_FALSE(tool->isEnabled());
    EXPECT_EQ(shown(toolEntry(icons, "copy")), "Copy Selections-");
    EXPECT_EQ(shown(toolEntry(icons, "and")), "And Selections-");
    EXPECT_EQ(shown(toolEntry(icons, "or")), "Or Selections-");
    EXPECT_EQ(front->modeButton(0)->state(), 1);
    icons->close();
    EXPECT_EQ(front->modeButton(0)->state(), 1) << "the mode's own button stays on";
    // The Title tool's menu, from Icon mode, with no Icon selection.
    titles->popup(QPoint(10, 10));
    EXPECT_FALSE(toolEntry(titles, "tool")->isChecked());
    EXPECT_EQ(shown(toolEntry(titles, "copy")), "Copy Icon Selections+");
    EXPECT_EQ(shown(toolEntry(titles, "and")), "And Icon Selections-");
    EXPECT_FALSE(toolEntry(titles, "deselect")->isEnabled());
    EXPECT_EQ(front->modeButton(1)->state(), -1) << "lit mixed while its menu is open";
    titles->close();
    EXPECT_EQ(front->modeButton(1)->state(), 0);

    // Title mode with an empty Title selection.
    front->menuModeTitle();
    settle();
    ASSERT_EQ(front->frontMode(), 1);
    icons->popup(QPoint(10, 10));
    EXPECT_TRUE(toolEntry(icons, "tool")->isEnabled());
    EXPECT_FALSE(toolEntry(icons, "tool")->isChecked());
    EXPECT_EQ(shown(toolEntry(icons, "copy")), "Copy Title Selections+");
    EXPECT_EQ(shown(toolEntry(icons, "and")), "And Title Selections-");
    EXPECT_EQ(shown(toolEntry(icons, "or")), "Or Title Selections-");
    EXPECT_EQ(front->modeButton(0)->state(), -1);
    icons->close();
    EXPECT_EQ(front->modeButton(0)->state(), 0);
    links->popup(QPoint(10, 10));
    EXPECT_EQ(shown(toolEntry(links, "copy")), "Copy Title Selections+");
    EXPECT_FALSE(toolEntry(links, "deselect")->isEnabled()) << "neither nodes nor links selected";
    links->close();
    filters->popup(QPoint(10, 10));
    for (const char* name : {"icons", "titles", "nodes", "deselect"})
        EXPECT_FALSE(toolEntry(filters, name)->isEnabled()) << name;
    EXPECT_FALSE(toolEntry(filters, "tool")->isChecked());
    filters->close();
    EXPECT_EQ(front->modeButton(2)->state(), 0);
}

TEST(ToolMenuLook, WithNoModeTheTitlesStayAndCopyAndOrAreOffered)
{
    const std::array<bool, 4> none{}, icons{true, false, false, false};
    for (int tool : {0, 1, 3}) {
        const auto l = ZEVFrontViewer::toolMenuLook(tool, 4, none, false);
        EXPECT_TRUE(l.copy.isNull() && l.et.isNull() && l.ou.isNull()) << "the last opening's titles stay, tool " << tool;
        EXPECT_TRUE(l.copyOn && l.andOn && l.orOn) << tool;
        EXPECT_FALSE(l.toolChecked) << tool;
        EXPECT_TRUE(l.toolEnabled) << tool;
        EXPECT_FALSE(l.deselectOn) << tool;
    }
    EXPECT_TRUE(ZEVFrontViewer::toolMenuLook(0, 4, icons, false).deselectOn) << "Deselect still follows its own selection";
    EXPECT_FALSE(ZEVFrontViewer::toolMenuLook(1, 4, icons, false).deselectOn);
    // The Link tool deselects links alone too, in any mode.
    EXPECT_TRUE(ZEVFrontViewer::toolMenuLook(3, 4, none, true).deselectOn);
    EXPECT_TRUE(ZEVFrontViewer::toolMenuLook(3, 3, none, true).deselectOn);
    EXPECT_FALSE(ZEVFrontViewer::toolMenuLook(0, 4, none, true).deselectOn);
    // A mode does set them: Filter mode with filtered Objects, into the Link tool.
    const auto filtered = ZEVFrontViewer::toolMenuLook(3, 2, {false, false, true, false}, false);
    EXPECT_EQ(filtered.copy, "Copy Filtered Objects");
    EXPECT_EQ(filtered.ou, "Or Filtered Objects");
    EXPECT_TRUE(filtered.andOn && filtered.orOn);
}

TEST_F(ToolButtons, TheFindMenuFollowsTheModeAndTheSelectionAndTheCalendarListsThePresets)
{
    QMenu* find = tools().menu(B::Menu::Find);
    auto tagged = [](QMenu* m, long tag) -> QAction* {
        for (QAction* a : m->actions())
            if (a->property("tag").toLongLong() == tag)
                return a;
        return nullptr;
    };
    front->menuModeLink();
    settle();
    tools().popUpMenu(B::Menu::Find);
    EXPECT_EQ(state("searchButton"), 1);
    EXPECT_EQ(tagged(find, 22000)->text(), "Find linked Objects");
    EXPECT_FALSE(tagged(find, 22030)->isEnabled());
    EXPECT_FALSE(tagged(find, 22031)->isEnabled());
    find->close();
    EXPECT_EQ(state("searchButton"), 0);
    front->menuModeIcon();
    settle();
    tools().popUpMenu(B::Menu::Find);
    EXPECT_EQ(tagged(find, 22000)->text(), "Find Objects");
    find->close();
    // A held Find button toggles the list's search field.
    ASSERT_FALSE(front->siSearchingField());
    tools().performClique(button("searchButton"));
    EXPECT_TRUE(front->siSearchingField());
    // A quick press first puts the field away, then pops the menu.
    tools().btnInspectFind(button("searchButton"));
    EXPECT_FALSE(front->siSearchingField());
    EXPECT_TRUE(find->isVisible());
    find->close();

    // The Calendar menu holds the Home Time and the eight presets, each calling its own.
    QMenu* calendar = tools().menu(B::Menu::Calendar);
    for (long stamp = 2000009; stamp <= 2000017; ++stamp)
        EXPECT_NE(tagged(calendar, stamp), nullptr) << stamp;
    EXPECT_EQ(tagged(calendar, 2000011)->property("action").toString(), "menuPreset:");
    EXPECT_EQ(tagged(calendar, 2000009)->property("action").toString(), "menuPresetHome:");
}

TEST_F(ToolButtons, ADragFromAnotherProgramRestingOnTheGoToPanelBringsTheWindowForwardAndALeaveCancelsIt)
{
    tools().menuGoToPanel();
    ZEVFrontGoToPanel* panel = tools().goToPanel();
    ASSERT_NE(panel, nullptr);
    QMimeData text;
    text.setText("from elsewhere");
    // Events made here have no drag source: the drag comes from another program.
    auto enterAndMove = [&] {
        QDragEnterEvent e(QPoint(10, 10), Qt::CopyAction, &text, Qt::LeftButton, {});
        QCoreApplication::sendEvent(panel, &e);
        QDragMoveEvent m(QPoint(12, 12), Qt::CopyAction, &text, Qt::LeftButton, {});
        QCoreApplication::sendEvent(panel, &m);
    };
    space->setGoToTag(2);
    space->activatePreviousApp();
    enterAndMove();
    sched.advance(0.5);
    QDragLeaveEvent leave;
    QCoreApplication::sendEvent(panel, &leave);
    sched.advance(1.0);
    EXPECT_FALSE(space->siActivateTallomer()) << "left before the rest ended";
    enterAndMove();
    sched.advance(0.85);
    EXPECT_TRUE(space->siActivateTallomer());
    QCoreApplication::sendEvent(panel, &leave);
    sched.advance(1.0);
}
