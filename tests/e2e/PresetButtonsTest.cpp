// The preset buttons, the header views and the history's panel in the running program: presses
// held on the virtual clock save into a preset, quick ones call it, the preset menu offers its
// items by mode and renames in place, the strip's menu and the header-views button open and close
// the bar and the strip, and a stroll back through the history stops at the mark the user selects.
// Each is checked in the store or on screen.

#include "tests/e2e/E2EFixture.h"

#include "app/menu/KELMainMenu.h"
#include "engine/KELICurseur.h"
#include "platform/sound/Sound.h"
#include "ruler/ZEVMarkScannPanel.h"
#include "ruler/ZEVRulerPresetButton.h"
#include "ruler/ZEVRulerViewbar.h"
#include "ruler/ZEVRulerViewer.h"
#include "ruler/ZEVStampClass.h"
#include "ruler/ZEVTlineView.h"
#include "space/ZEVSpaceWindow.h"

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>

namespace e2e {
namespace {

class PresetButtons : public E2EWithSound<RecordingSound> {
protected:
    ZEVStampClass& presets() const { return *dynamic_cast<ZEVStampClass*>(ruler()->stampClass()); }
    ZEVRulerPresetButton* button(int n) const { return bar()->presetButtons()[std::size_t(n - 1)]; }

    // A press held for `seconds` of the virtual clock, released inside the button.
    void hold(ZEVRulerPresetButton* b, double seconds, Qt::KeyboardModifiers atRelease = {})
    {
        QTest::mousePress(b, Qt::LeftButton, {}, b->rect().center());
        advance(seconds);
        QTest::mouseRelease(b, Qt::LeftButton, atRelease, b->rect().center());
        pump();
    }
    void dragOut(ZEVRulerPresetButton* b)
    {
        const QPointF dehors(b->width() + 30, b->height() / 2.0);
        QMouseEvent move(QEvent::MouseMove, dehors, b->mapToGlobal(dehors), Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(b, &move);
        pump();
    }
    QMenu* rightClick(ZEVRulerPresetButton* b)
    {
        QTest::mouseClick(b, Qt::RightButton, {}, b->rect().center());
        pump();
        return bar()->presetMenu()->isVisible() ? bar()->presetMenu() : nullptr;
    }
    void closeMenu(QMenu* m)
    {
        m->close();
        pump();
    }
    // The stamp's links of a relation in the store: (in, out, child).
    Rows links(KELId stamp, KELId relation) const
    {
        return sql(database(), "SELECT DATE_IN, DATE_OUT, CHILD_ZEVLET FROM ZEVLETS WHERE PARENT_ZEVLET = " +
                                   std::to_string(stamp) + " AND RELATION = " + std::to_string(relation) +
                                   " ORDER BY ZEVLET_ID");
    }
    Rows names(KELId stamp) const
    {
        return sql(database(), "SELECT w.WORD, l.DATE_OUT FROM ZEVLETS l JOIN WORD w ON w.ZEVLET_ID = l.CHILD_ZEVLET "
                               "WHERE l.RELATION = 1000142 AND l.PARENT_ZEVLET = " +
                                   std::to_string(stamp) + " ORDER BY l.ZEVLET_ID");
    }
    static bool open(const Rows& r, std::size_t i) { return std::stod(r.at(i, 1)) > 4.5e15; }
    // Rename from the preset's menu, the field emptied, `name` typed and entered.
    void renameTo(ZEVRulerPresetButton* b, const QString& name)
    {
        QMenu* m = rightClick(b);
        ASSERT_NE(m, nullptr);
        closeMenu(m);
        bar()->presetMenuName()->trigger();
        pump();
        QLineEdit* field = bar()->presetTextField();
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Backspace);
        QTest::keyClicks(field, name);
        QTest::keyClick(field, Qt::Key_Return);
        pump();
    }
    // The pointer comes over the button.
    void pointAt(ZEVRulerPresetButton* b)
    {
        QEnterEvent entre(QPointF(3, 3), b->mapTo(window(), QPointF(3, 3)), b->mapToGlobal(QPointF(3, 3)));
        QApplication::sendEvent(b, &entre);
    }

};

TEST_F(PresetButtons, HoldingSavesAQuickClickCallsAndEmptyPresetsBeep)
{
    startWithTheBar();
    ZEVRulerPresetButton* p3 = button(3);
    ASSERT_TRUE(p3->isVisible());
    EXPECT_FALSE(p3->siEnabled()) << "an empty preset shows dimmed";
    EXPECT_EQ(p3->imageName(), "preset_empty.tiff");

    // A quick click on an empty preset beeps.
    hold(p3, 0.1);
    EXPECT_EQ(sound.beeps, 1);
    EXPECT_TRUE(links(2000011, 1000112).empty());

    // Frames while held; "Bottle" at 1.3 s; the release saves a Now preset into the store.
    QTest::mousePress(p3, Qt::LeftButton, {}, p3->rect().center());
    advance(0.55);
    EXPECT_EQ(p3->imageName(), "preset_05.pdf");
    advance(0.85);
    EXPECT_EQ(sound.played, QStringList{"Bottle"});
    QTest::mouseRelease(p3, Qt::LeftButton, {}, p3->rect().center());
    pump();
    const Rows kind = links(2000011, 1000112);
    ASSERT_EQ(kind.size(), 1u);
    EXPECT_EQ(presets().stateOfNowPresetWithStampInt(2000011), 1);
    EXPECT_EQ(links(2000011, 1000122).size(), 1u);
    EXPECT_TRUE(p3->siEnabled());
    EXPECT_EQ(p3->imageName(), "now.tiff");
    EXPECT_EQ(p3->state(), kZEVStateOn);

    // The Now cursor's past widened; a release at 0.5 s only restores the image, one at 0.15 s
    // calls the preset over 1.5 s.
    KELIContexte* n = space()->nowCurseur()->contexte();
    const double in = n->offsetIn();
    ASSERT_TRUE(ruler()->userInitieDeplacementCurseur());
    ruler()->setCurseurEnDeplacement(space()->nowCurseur());
    ruler()->userPlaceContexteIn(-3600);
    ruler()->userTermineDeplacementCurseur();
    pump();
    ASSERT_NEAR(n->offsetIn(), in - 3600, 1);
    EXPECT_EQ(p3->state(), kZEVStateMixed);
    hold(p3, 0.5);
    EXPECT_EQ(p3->imageName(), "now.tiff");
    EXPECT_NEAR(n->offsetIn(), in - 3600, 1);
    hold(p3, 0.15);
    advance(2.0);
    EXPECT_NEAR(n->offsetIn(), in, 0.01);
    EXPECT_EQ(p3->state(), kZEVStateOn);
    EXPECT_EQ(links(2000011, 1000122).size(), 1u) << "a call writes nothing";

    // Ctrl at an armed release saves a Search preset at the Now cursor's moment.
    ZEVRulerPresetButton* p4 = button(4);
    hold(p4, 1.4, Qt::ControlModifier);
    const double m = space()->nowCurseur()->now();
    EXPECT_EQ(p4->imageName(), "search.tiff");
    EXPECT_EQ(presets().stateOfSearchPresetWithStampInt(2000012), -1);
    const Rows moment = sql(database(), "SELECT n.NUMBER FROM ZEVLETS l JOIN NUMBER n ON n.ZEVLET_ID = l.CHILD_ZEVLET "
                                        "WHERE l.RELATION = 1000117 AND l.PARENT_ZEVLET = 2000012");
    ASSERT_EQ(moment.size(), 1u);
    EXPECT_NEAR(std::stod(moment.at(0, 0)), m, 0.1);

    // Held past the arming and dragged out: "Bottle", but nothing saved.
    ZEVRulerPresetButton* p5 = button(5);
    sound.played.clear();
    QTest::mousePress(p5, Qt::LeftButton, {}, p5->rect().center());
    advance(1.4);
    dragOut(p5);
    QTest::mouseRelease(p5, Qt::LeftButton, {}, p5->rect().center());
    pump();
    EXPECT_EQ(sound.played, QStringList{"Bottle"});
    EXPECT_TRUE(links(2000013, 1000112).empty());
    EXPECT_EQ(p5->imageName(), "preset_empty.tiff");
}

TEST_F(PresetButtons, TheMenuOffersItsItemsByModeRenamesInPlaceAndClears)
{
    startWithTheBar();
    ZEVRulerPresetButton* p3 = button(3);
    hold(p3, 1.4);
    ASSERT_TRUE(presets().siPresetWithStampInt(2000011));

    // The Now mode offers both kinds of save.
    QMenu* m = rightClick(p3);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(bar()->presetMenuName()->text(), "Rename \"preset 3\"");
    EXPECT_EQ(bar()->presetMenuGoto()->text(), "Go to \"preset 3\"");
    EXPECT_EQ(bar()->presetMenuNew()->text(), "Save as \"Now\" Preset");
    EXPECT_TRUE(bar()->presetMenuSave()->isVisible());
    EXPECT_EQ(bar()->presetMenuSave()->text(), "Save as \"Search\" Preset");
    closeMenu(m);
    m = rightClick(button(6));
    ASSERT_NE(m, nullptr);
    EXPECT_FALSE(bar()->presetMenuName()->isEnabled());
    EXPECT_FALSE(bar()->presetMenuClear()->isEnabled());
    EXPECT_EQ(bar()->presetMenuNew()->text(), "New \"Now\" Preset");
    closeMenu(m);

    // Renamed in place: Return stores the text; Escape keeps the old name.
    m = rightClick(p3);
    ASSERT_NE(m, nullptr);
    m->close();
    bar()->presetMenuName()->trigger();
    pump();
    QLineEdit* field = bar()->presetTextField();
    ASSERT_TRUE(bar()->siEditPreset());
    ASSERT_TRUE(field->hasFocus());
    field->selectAll();
    QTest::keyClicks(field, "Work");
    QTest::keyClick(field, Qt::Key_Return);
    pump();
    EXPECT_FALSE(bar()->siEditPreset());
    EXPECT_EQ(QApplication::focusWidget(), canvas()->parentWidget()) << "the desk has the keys again";
    EXPECT_TRUE(bar()->siPresetJustEdited()) << "the Return is not a desk command";
    advance(0.3);
    EXPECT_FALSE(bar()->siPresetJustEdited());
    Rows r = names(2000011);
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r.at(1, 0), "Work");
    EXPECT_FALSE(open(r, 0));
    bar()->presetMenuName()->trigger();
    pump();
    QTest::keyClicks(field, "zzz");
    QTest::keyClick(field, Qt::Key_Escape);
    pump();
    EXPECT_EQ(field->text(), "Work");
    EXPECT_EQ(QApplication::focusWidget(), canvas()->parentWidget());
    EXPECT_EQ(names(2000011).size(), 2u);
    advance(1.0);
    EXPECT_TRUE(field->text().isEmpty()) << "the name clears 0.7 s after a rename";

    // Clear: empty from now on, the name back to its default.
    m = rightClick(p3);
    ASSERT_NE(m, nullptr);
    m->close();
    bar()->presetMenuClear()->trigger();
    pump();
    EXPECT_FALSE(p3->siEnabled());
    EXPECT_EQ(p3->imageName(), "preset_empty.tiff");
    const Rows kind = links(2000011, 1000112);
    ASSERT_EQ(kind.size(), 1u);
    EXPECT_FALSE(open(kind, 0));
    const Rows apres = names(2000011);
    EXPECT_EQ(apres.at(apres.size() - 1, 0), "preset 3");

    // With the Search cursor active, Home Time cannot be set.
    ruler()->userChangeActifCurseur(space()->searchCurseur());
    pump();
    m = rightClick(button(1));
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(bar()->presetMenuNew()->text(), "Set as Home Time");
    EXPECT_FALSE(bar()->presetMenuNew()->isEnabled());
    EXPECT_FALSE(bar()->presetMenuClear()->isVisible());
    closeMenu(m);
}

TEST_F(PresetButtons, ANameTypedAndNotEnteredOutlivesAnotherClickAndIsStoredByAQuit)
{
    startWithTheBar();
    hold(button(3), 1.4);
    QMenu* m = rightClick(button(3));
    ASSERT_NE(m, nullptr);
    closeMenu(m);
    bar()->presetMenuName()->trigger();
    pump();
    QLineEdit* field = bar()->presetTextField();
    ASSERT_TRUE(field->hasFocus());
    QTest::keyClicks(field, "Lunch");

    // The Search button pressed and the cursor moved: the name is still being typed.
    click(bar()->searchButton());
    ASSERT_TRUE(ruler()->userInitieDeplacementCurseur());
    ruler()->setCurseurEnDeplacement(space()->searchCurseur());
    ruler()->userPlaceCurseur(-3600);
    ruler()->userTermineDeplacementCurseur();
    pump();
    EXPECT_TRUE(bar()->siEditPreset());
    EXPECT_EQ(field->text(), "Lunch");

    // Ctrl+Q with the name not entered; the next start names the preset so.
    quit();
    Rows r = names(2000011);
    ASSERT_FALSE(r.empty());
    EXPECT_EQ(r.at(r.size() - 1, 0), "Lunch");
    EXPECT_TRUE(open(r, r.size() - 1));
    startWithTheBar();
    pointAt(button(3));
    EXPECT_EQ(bar()->presetTextField()->text(), "Lunch");
}

TEST_F(PresetButtons, TheTimeMenuShowsEachPresetsNameAndTheImageOfItsKindAsItsButtonDoes)
{
    startWithTheBar();
    struct Item {
        QString text;
        bool enabled = false;
        QImage image;
    };
    auto timeItem = [this](KELId stamp) {
        Item seen;
        QMenu* time = openMenu(KELMainMenu::kMenuTime);
        if (QAction* a = menuItemTagged(time, long(stamp)))
            seen = {a->text(), a->isEnabled(), a->icon().pixmap(32).toImage()};
        if (time)
            closeMenu(time);
        return seen;
    };
    auto image = [](const char* name) {
        return ZEVRulerPresetButton::imageNamed(QString::fromLatin1(name)).pixmap(32).toImage();
    };
    Item five = timeItem(2000013);
    EXPECT_EQ(five.text, "preset 5");
    EXPECT_FALSE(five.enabled);
    EXPECT_EQ(five.image, image("preset_empty.tiff"));

    hold(button(3), 1.4);
    renameTo(button(3), "Work");
    Item three = timeItem(2000011);
    EXPECT_EQ(three.text, "Work");
    EXPECT_TRUE(three.enabled);
    EXPECT_EQ(three.image, image("now.tiff"));
    ruler()->userChangeActifCurseur(space()->searchCurseur());
    pump();
    hold(button(6), 1.4);
    // A Search preset is never on: its image carries the mixed state's dash, in its lower corner.
    const QImage six = timeItem(2000014).image;
    ASSERT_EQ(six.size(), image("search.tiff").size());
    EXPECT_EQ(six.pixel(16, 7), image("search.tiff").pixel(16, 7)) << "the Search pin's head";
    EXPECT_NE(image("search.tiff").pixel(16, 7), image("now.tiff").pixel(16, 7));

    // Cleared, it is empty again under the name it goes back to.
    QMenu* m = rightClick(button(3));
    ASSERT_NE(m, nullptr);
    closeMenu(m);
    bar()->presetMenuClear()->trigger();
    pump();
    three = timeItem(2000011);
    EXPECT_EQ(three.text, "preset 3");
    EXPECT_FALSE(three.enabled);
    EXPECT_EQ(three.image, image("preset_empty.tiff"));

    // Renamed to nothing, it keeps an item with a title.
    hold(button(4), 1.4);
    renameTo(button(4), "Gym");
    EXPECT_EQ(timeItem(2000012).text, "Gym");
    renameTo(button(4), "");
    const Rows r = names(2000012);
    ASSERT_FALSE(r.empty());
    EXPECT_EQ(r.at(r.size() - 1, 0), "");
    EXPECT_EQ(timeItem(2000012).text, "Preset 4");
}

TEST_F(PresetButtons, ClearingThePresetPointedAtShowsTheNameItGoesBackToThenClearsTheField)
{
    startWithTheBar();
    hold(button(3), 1.4);
    renameTo(button(3), "Work");
    advance(1.0);
    pointAt(button(3));
    QLineEdit* field = bar()->presetTextField();
    ASSERT_EQ(field->text(), "Work");
    QMenu* m = rightClick(button(3));
    ASSERT_NE(m, nullptr);
    closeMenu(m);
    bar()->presetMenuClear()->trigger();
    pump();
    EXPECT_EQ(field->text(), "preset 3") << "not the name the preset gave up";
    advance(1.0);
    EXPECT_TRUE(field->text().isEmpty());
}

TEST_F(PresetButtons, TheStripsMenuAndTheHeaderViewsButtonOpenAndCloseTheBarAndTheStrip)
{
    start();
    pump();
    ASSERT_TRUE(strip()->isVisible());
    ASSERT_FALSE(bar()->isVisible());
    QAction* timeBar = nullptr;
    for (QAction* a : strip()->findChildren<QAction*>())
        if (a->text() == "Time Bar")
            timeBar = a;
    ASSERT_NE(timeBar, nullptr);
    EXPECT_TRUE(timeBar->isEnabled());
    timeBar->trigger();
    advance(1);
    EXPECT_TRUE(bar()->isVisible());
    EXPECT_TRUE(values->values("ZEVShowZevMenu").toBool()) << "the choice is kept";
    EXPECT_LT(strip()->geometry().top(), bar()->geometry().bottom() + 2);

    // The header-views button closes both, and opens them again.
    // The pointer comes to the button in the window's corner, which shows the views open.
    ZEVButton* header = window()->headerViewsButton();
    QTest::mouseMove(header, header->rect().center());
    advance(1.5);
    ASSERT_EQ(header->state(), kZEVStateOn) << "the button shows the header views open";
    header->click();
    advance(1);
    EXPECT_FALSE(bar()->isVisible());
    EXPECT_FALSE(strip()->isVisible());
    header->click();
    advance(1);
    EXPECT_TRUE(bar()->isVisible());
    EXPECT_TRUE(strip()->isVisible());

    // The main menu's timeline toggle closes it and keeps the choice; again, it opens it.
    ZEVFrontViewerServices* front = space()->frontViewer();
    front->userToggleTline();
    advance(1);
    EXPECT_FALSE(strip()->isVisible());
    EXPECT_TRUE(front->siTlineClosed());
    EXPECT_FALSE(values->values("ZEVShowRuler").toBool());
    front->userToggleTline();
    advance(1);
    EXPECT_TRUE(strip()->isVisible());
    EXPECT_TRUE(values->values("ZEVShowRuler").toBool());
    // The toolbar, kept open, lies under them.
    EXPECT_DOUBLE_EQ(front->headerViewsHeight(), ZEVRulerViewbar::kHeight + ZEVTlineView::kHeight + 23);

    // A move of the Search cursor opens a closed timeline, unless the user keeps it closed then.
    ruler()->userChangeActifCurseur(space()->searchCurseur());
    space()->frontViewer()->closeTlineAndTracks();
    advance(1);
    ASSERT_FALSE(strip()->isVisible());
    ASSERT_TRUE(ruler()->userInitieDeplacementCurseur());
    ruler()->userTermineDeplacementCurseur();
    advance(1);
    EXPECT_TRUE(strip()->isVisible());
    values->setValue("ZEVHideRulerWhenSearch", true);
    space()->frontViewer()->closeTlineAndTracks();
    advance(1);
    ASSERT_TRUE(ruler()->userInitieDeplacementCurseur());
    ruler()->userTermineDeplacementCurseur();
    advance(1);
    EXPECT_FALSE(strip()->isVisible());
}

TEST_F(PresetButtons, SavingHomeTimeFromTheNowCursorsMenuWritesThePreset)
{
    startWithTheBar();
    ASSERT_TRUE(ruler()->userInitieDeplacementCurseur());
    ruler()->setCurseurEnDeplacement(space()->nowCurseur());
    ruler()->userPlaceContexteIn(-7200);
    ruler()->userTermineDeplacementCurseur();
    pump();
    const std::size_t avant = links(2000009, 1000122).size();
    ruler()->menuPresetSaveHome();
    pump();
    EXPECT_EQ(sound.played.back(), "Bottle");
    const Rows r = links(2000009, 1000122);
    ASSERT_EQ(r.size(), avant + 1);
    EXPECT_EQ(presets().stateOfNowPresetWithStampInt(2000009), 1);
}

TEST_F(PresetButtons, PointingShowsANameAndADragRestingOnASavedPresetCallsIt)
{
    startWithTheBar();
    ZEVRulerPresetButton* p3 = button(3);
    QLineEdit* field = bar()->presetTextField();
    QEnterEvent entre(QPointF(3, 3), p3->mapTo(window(), QPointF(3, 3)), p3->mapToGlobal(QPointF(3, 3)));
    QApplication::sendEvent(p3, &entre);
    EXPECT_EQ(field->text(), "preset 3");
    QEvent sort(QEvent::Leave);
    QApplication::sendEvent(p3, &sort);
    advance(0.05);
    EXPECT_EQ(field->text(), "preset 3");
    advance(0.1);
    EXPECT_TRUE(field->text().isEmpty());

    // A drag resting 0.8 s over an empty preset does nothing; over a saved one, it calls it.
    auto survoler = [this](ZEVRulerPresetButton* b) {
        QMimeData data;
        data.setText("x");
        QDragEnterEvent e(b->rect().center(), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(b, &e);
        advance(1.0);
        QDragLeaveEvent l;
        QApplication::sendEvent(b, &l);
        pump();
    };
    survoler(p3);
    EXPECT_EQ(sound.beeps, 0);
    hold(p3, 1.4);
    KELIContexte* n = space()->nowCurseur()->contexte();
    const double in = n->offsetIn();
    ASSERT_TRUE(ruler()->userInitieDeplacementCurseur());
    ruler()->setCurseurEnDeplacement(space()->nowCurseur());
    ruler()->userPlaceContexteIn(-3600);
    ruler()->userTermineDeplacementCurseur();
    survoler(p3);
    advance(2.0);
    EXPECT_NEAR(n->offsetIn(), in, 0.01) << "the spring called the preset";

    // Home Time from the Now cursor's menu glides home.
    ASSERT_TRUE(ruler()->userInitieDeplacementCurseur());
    ruler()->userPlaceContexteIn(-3600);
    ruler()->userTermineDeplacementCurseur();
    EXPECT_NE(presets().stateOfNowPresetWithStampInt(2000009), 1);
    space()->frontViewer()->menuHomeTime();
    advance(2.0);
    EXPECT_EQ(presets().stateOfNowPresetWithStampInt(2000009), 1);
    EXPECT_TRUE(space()->frontViewer()->siCurseurAtHome());
}

TEST_F(PresetButtons, TheMainMenuTogglesTheTimelineListsSavedPresetsAndSavesHomeTime)
{
    startWithTheBar();
    KELMainMenu* menu = adapter()->mainMenu();
    ASSERT_NE(menu, nullptr);
    auto choose = [&](int menuTag, long itemTag) {
        QMenuBar* barre = menu->menuBar();
        QMenu* m = menu->menuWithTag(menuTag);
        QTest::mouseClick(barre, Qt::LeftButton, {}, barre->actionGeometry(m->menuAction()).center());
        pump();
        ASSERT_TRUE(m->isVisible());
        QAction* item = menu->item(menuTag, itemTag);
        ASSERT_TRUE(item && item->isEnabled()) << itemTag;
        QTest::mouseClick(m, Qt::LeftButton, {}, m->actionGeometry(item).center());
        // The view slides in or out.
        advance(1);
    };
    ASSERT_TRUE(strip()->isVisible());
    choose(KELMainMenu::kMenuView, 3);
    EXPECT_FALSE(strip()->isVisible());
    choose(KELMainMenu::kMenuView, 3);
    EXPECT_TRUE(strip()->isVisible());
    choose(KELMainMenu::kMenuView, 2);
    EXPECT_FALSE(bar()->isVisible());
    choose(KELMainMenu::kMenuView, 2);
    EXPECT_TRUE(bar()->isVisible());

    // A preset saved on the bar is offered by the Time menu under its name, and called from there.
    hold(button(3), 1.4);
    QMenu* time = menu->menuWithTag(KELMainMenu::kMenuTime);
    QTest::mouseClick(menu->menuBar(), Qt::LeftButton, {}, menu->menuBar()->actionGeometry(time->menuAction()).center());
    pump();
    EXPECT_TRUE(menu->item(KELMainMenu::kMenuTime, 2000011)->isEnabled());
    EXPECT_FALSE(menu->item(KELMainMenu::kMenuTime, 2000012)->isEnabled());
    time->close();
    pump();

    // Save Home Time: the Now cursor's present is Home Time from now on.
    const std::size_t avant = links(2000009, 1000112).size() + links(2000009, 1000122).size();
    ASSERT_TRUE(ruler()->userInitieDeplacementCurseur());
    ruler()->setCurseurEnDeplacement(space()->nowCurseur());
    ruler()->userPlaceContexteIn(-7200);
    ruler()->userTermineDeplacementCurseur();
    pump();
    EXPECT_NE(presets().stateOfNowPresetWithStampInt(2000009), 1);
    choose(KELMainMenu::kMenuTime, 33);
    EXPECT_EQ(presets().stateOfNowPresetWithStampInt(2000009), 1);
    EXPECT_GT(links(2000009, 1000112).size() + links(2000009, 1000122).size(), avant);
}

} // namespace
} // namespace e2e
