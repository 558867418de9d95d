// The inspector bases in a Space on the template: the slide on the virtual clock, the focus rule
// and the toggle bar's cycle, the defaults of the commands and of the model, the Escape step, the
// Channel a controller starts on, and the kept geometry read from the settings.

#include "tests/inspectors/InspectorFixture.h"

#include "inspectors/base/ZEVLeastInspector.h"

#include "inspectors/base/ZEVInspectClass.h"
#include "inspectors/context/ZEVButtonCells.h"
#include "space/ZEVSelections.h"
#include "widgets/ZEVButton.h"

#include <QLabel>
#include <QLineEdit>
#include <QWheelEvent>
#include <QTest>

#include <cmath>

namespace inspecttest {
namespace {

constexpr KELId kImages = KELENTITY_BACK_VIEWER;

TEST_F(Inspectors, OpeningSlidesThePanelDownAndEndsOnceWhateverTheRequestsBefore)
{
    ZEVInspectViewer* v = creer("ZEVFileViewer", kFiles);
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->inspectViewIfBuilt(), nullptr) << "the panel is built on first opening";
    v->showInspectView(true);
    ZEVInspectView* p = v->inspectViewIfBuilt();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->parentWidget(), canvas());
    EXPECT_EQ(p->frame(), p->closedRect()) << "placed closed at once";
    EXPECT_TRUE(v->siShowInspectView());
    EXPECT_TRUE(v->siAnimationInspectViewRuns());
    EXPECT_TRUE(sched.isPending(v, "openInspectViewAnimationDone"));

    // Closed half way: only the end of the close is left, and the panel turns back from where it
    // stands.
    sched.advance(0.3);
    const QRectF halfWay = p->frame();
    EXPECT_LT(halfWay.y(), p->closedRect().y());
    v->showInspectView(false);
    EXPECT_FALSE(sched.isPending(v, "openInspectViewAnimationDone"));
    EXPECT_TRUE(sched.isPending(v, "hideInspectViewAnimationDone"));
    sched.advance(1.0 / ZEVInspectViewer::kSlideRate);
    EXPECT_NEAR(p->frame().y(), halfWay.y(), 2.0) << "no jump back to the open place";
    // Opened again before the end: the close end is dropped, one open end waits.
    v->showInspectView(true);
    EXPECT_FALSE(sched.isPending(v, "hideInspectViewAnimationDone"));
    EXPECT_TRUE(sched.isPending(v, "openInspectViewAnimationDone"));
    sched.advance(0.69);
    EXPECT_TRUE(v->siAnimationInspectViewRuns());
    sched.advance(0.02);
    EXPECT_FALSE(v->siAnimationInspectViewRuns());
    EXPECT_EQ(p->frame(), p->openedRect());
    EXPECT_TRUE(v->siFirstResponder());
    EXPECT_TRUE(p->btnAdd()->isEnabled());

    // Opening an open panel only brings it forward and gives it the focus.
    focusDesk();
    EXPECT_FALSE(v->siFirstResponder());
    v->showInspectView(true);
    EXPECT_TRUE(v->siFirstResponder());
    EXPECT_FALSE(sched.isPending(v, "openInspectViewAnimationDone"));
    EXPECT_EQ(p->frame(), p->openedRect());

    // Closing: up over 0.6 s, then hidden and kept.
    v->showInspectView(false);
    sched.advance(0.59);
    EXPECT_TRUE(p->isVisible());
    sched.advance(0.02);
    EXPECT_FALSE(p->isVisible());
    EXPECT_EQ(p->frame().y(), p->frontFrame().height() - 20);
    EXPECT_EQ(v->inspectViewIfBuilt(), p);
    // Closing a closed panel does nothing.
    v->showInspectView(false);
    EXPECT_FALSE(sched.isPending(v, "hideInspectViewAnimationDone"));
}

TEST_F(Inspectors, TheBarCyclesClosedOpenFocusedClosedAndFollowsTheFocusWithoutAClick)
{
    ZEVContextViewer& b = bar();
    // The template lists six entities; positions 2 to 5 have buttons.
    ASSERT_EQ(b.entityArray().size(), 6u);
    ASSERT_EQ(b.contextView()->buttons().size(), 4u);
    ZEVButton* files = b.buttonForEntityInt(kFiles);
    ASSERT_NE(files, nullptr);
    EXPECT_NE(dynamic_cast<const ZEVButtonCell*>(files->cell()), nullptr) << "the entity buttons' gradient";
    EXPECT_EQ(b.buttonForEntityInt(KELENTITY_ICON_VIEWER), nullptr) << "Icons is at position 0";

    // Asking never makes a controller.
    EXPECT_FALSE(b.isShowedEntityWithInt(kFiles));
    b.fermerEntityWithInt(kFiles);
    EXPECT_FALSE(b.isFocusedEntityWithInt(kFiles));
    EXPECT_EQ(viewer("ZEVFileViewer"), nullptr);

    b.userSelectButton(kFiles);
    ZEVInspectViewer* v = viewer("ZEVFileViewer");
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(b.entityViewerSet(), std::vector<ZEVInspectViewer*>{v});
    sched.advance(0.8);
    EXPECT_EQ(files->state(), kZEVStateOn);

    // The focus leaves for the desk: mixed 0.1 s later, with no click.
    focusDesk();
    sched.advance(0.11);
    EXPECT_EQ(files->state(), kZEVStateMixed);
    // A click focuses, the next closes.
    b.userSelectButton(kFiles);
    sched.advance(0.11);
    EXPECT_EQ(files->state(), kZEVStateOn);
    EXPECT_TRUE(v->siShowInspectView());
    b.userSelectButton(kFiles);
    EXPECT_FALSE(v->siShowInspectView());
    EXPECT_TRUE(b.entityViewerSet().empty());
    sched.advance(0.7);
    EXPECT_EQ(files->state(), kZEVStateOff);

    // Opening by id never closes a focused panel.
    b.ouvrirEntityWithInt(kFiles);
    sched.advance(0.8);
    b.ouvrirEntityWithInt(kFiles);
    EXPECT_TRUE(v->siShowInspectView());

    // Close All with nothing else open closes Files and leaves the others uncreated.
    b.userCloseAllEntities();
    sched.advance(0.7);
    EXPECT_FALSE(b.isShowedEntityWithInt(kFiles));
    EXPECT_EQ(viewer("ZEVBackViewer"), nullptr);
}

TEST_F(Inspectors, TheLastOpenedPanelIsInFrontAndClosingItGivesTheFocusToTheOneUnder)
{
    bar().userSelectButton(kFiles);
    sched.advance(0.8);
    bar().userSelectButton(kImages);
    sched.advance(0.8);
    ZEVInspectViewer* files = viewer("ZEVFileViewer");
    ZEVInspectViewer* images = viewer("ZEVBackViewer");
    ASSERT_TRUE(files && images);
    EXPECT_EQ(canvas()->children().last(), images->inspectViewIfBuilt());
    EXPECT_TRUE(images->siFirstResponder());
    bar().fermerEntityWithInt(kImages);
    sched.advance(0.7);
    EXPECT_TRUE(files->siFirstResponder());
}

TEST_F(Inspectors, WhileTheTypeSelectFieldIsActiveThePanelHasTheFocusAndKeepsItThroughTheOpenEnd)
{
    ZEVInspectViewer* v = creer("ZEVFileViewer", kFiles);
    v->showInspectView(true);
    v->menuInspectFind();
    EXPECT_TRUE(v->siTextSearching());
    EXPECT_TRUE(v->siFirstResponder());
    sched.advance(0.8);
    EXPECT_EQ(space->spaceWindow()->focusWidget(), v->inspectViewIfBuilt()->searchField());
    v->menuInspectFind();
    EXPECT_FALSE(v->siTextSearching());
    EXPECT_TRUE(v->siFirstResponder());
}

TEST_F(Inspectors, TheCommandDefaultsBeepAndAnswerNoAndTheModelsDefaultsAreHarmless)
{
    // A kind still on the base's defaults: the least form a kind starts from.
    ZEVLeastInspectViewer<ZEVIconView> least(*space, kImages);
    ZEVInspectViewer* v = &least;
    for (auto cmd :
         {&ZEVInspectViewer::userOpen, &ZEVInspectViewer::userDelete, &ZEVInspectViewer::userMoveTo,
          &ZEVInspectViewer::userCopyToSpace, &ZEVInspectViewer::userDuplicateTo, &ZEVInspectViewer::userShowOriginal,
          &ZEVInspectViewer::userSwap, &ZEVInspectViewer::userRecallNow, &ZEVInspectViewer::userForget,
          &ZEVInspectViewer::userDeselect, &ZEVInspectViewer::btnInspectAdd, &ZEVInspectViewer::buttonRetainItems})
        (v->*cmd)();
    EXPECT_EQ(sound.beeps, 12);
    EXPECT_FALSE(v->userGetInfo());
    EXPECT_FALSE(v->userFilter());
    // No change either way from Now: the steps beep, and answer that they took the request.
    v->btnInspectPrevious();
    EXPECT_TRUE(v->userGotoNext());
    EXPECT_EQ(sound.beeps, 16);
    v->majInspectView();
    v->terminerDeplacementCurseur();
    v->menuFindZevHeld();
    EXPECT_EQ(sound.beeps, 16) << "the quiet defaults";
    EXPECT_FALSE(v->userToggleQL(false)) << "no panel, no Quick Look";

    ZEVInspectClass* model = v->inspectClass();
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(model->durationStringForLegos({}), "");
    EXPECT_EQ(model->previousDate(), 0.0);
    EXPECT_EQ(model->previousDateForAllChanges(), 0.0);
    EXPECT_EQ(model->nextDate(), 0.0);
    EXPECT_TRUE(model->timeLineItems().empty());
    log.clear();
    EXPECT_FALSE(model->duplicateToItemsForFrontMode());
    EXPECT_TRUE(log.lines.empty()) << "a kind without Duplicate is asked silently";
    EXPECT_FALSE(model->itemsForFrontMode());
    EXPECT_FALSE(model->itemsForIconMode());
    EXPECT_FALSE(model->copyToSpaceItemsForFrontMode());
    EXPECT_TRUE(log.contains("ZEVInspectClass ERROR 02"));
    EXPECT_TRUE(log.contains("ZEVInspectClass ERROR 01"));
    EXPECT_TRUE(log.contains("ZEVInspectClass ERROR 06"));
}

TEST_F(Inspectors, AControllerStartsOnTheCurrentChannelAndKeepsItWhenOnlyTheListChanged)
{
    const KELId channel = space->currentChannelInt();
    ASSERT_NE(channel, 0u);
    ZEVInspectViewer* v = creer("ZEVFileViewer", kFiles);
    EXPECT_EQ(v->currentChannelInt(), channel) << "not the entity id";
    EXPECT_EQ(v->entityInt(), kFiles);
    EXPECT_EQ(v->inspectClass()->currentChannelInt(), channel);
    space->updateChannelWithIdentitySet();
    EXPECT_EQ(v->currentChannelInt(), channel);
    EXPECT_EQ(v->inspectClass()->currentChannelInt(), channel);
}

TEST_F(Inspectors, TheEscapeStepWithSearchActiveNeverReachesTheSelectionsAndInIconsModeEndsInABeep)
{
    ZEVInspectViewer* v = creer("ZEVFileViewer", kFiles);
    v->showInspectView(true);
    sched.advance(0.8);
    // Nothing selected, no header view open, the Now cursor shown by the panel: a beep.
    v->inspectStepBack();
    EXPECT_EQ(sound.beeps, 1);
    EXPECT_TRUE(host.front->switches.empty());

    ZEVSelections& s = space->selections();
    KELI* object = KELServeurDeLiens::LienForInt(KELOBJECT_CHANNEL_VIEWER_ROOT, space->tlCurseur());
    ASSERT_NE(object, nullptr);
    s.selectTitleForItemSet({object}, 0);
    ASSERT_FALSE(s.selectedTitleItems().empty());
    // Titles selected in Icons mode: to Titles mode.
    v->inspectStepBack();
    EXPECT_EQ(host.front->switches, std::vector<int>{1});

    // With the Search cursor active the step is the ruler's alone.
    ASSERT_TRUE(space->rulerViewer()->userChangeActifCurseur(space->searchCurseur()));
    host.front->mode = 1;
    sound.beeps = 0;
    v->inspectStepBack();
    EXPECT_FALSE(s.selectedTitleItems().empty());
    EXPECT_EQ(host.front->switches.size(), 1u);
    EXPECT_EQ(sound.beeps, 0);
}

TEST_F(Inspectors, KeptGeometryFromTheSettingsIsReadAndDamagedValuesReadAsTheKindsOwn)
{
    defaults.setValue("ZEVInspectFileX", 250);
    defaults.setValue("ZEVInspectFileW", QStringLiteral("nan"));
    defaults.setValue("ZEVInspectFileH", -40);
    ZEVInspectViewer* v = creer("ZEVFileViewer", kFiles);
    v->showInspectView(true);
    sched.advance(0.8);
    const ZEVInspectMetrics& m = v->inspectViewIfBuilt()->metrics();
    EXPECT_EQ(m.initialX, 250);
    EXPECT_EQ(m.initialWidth, 420);
    EXPECT_EQ(m.initialHeight, 500);
    EXPECT_TRUE(log.contains("ZEVInspectFileW"));
    EXPECT_TRUE(log.contains("ZEVInspectFileH"));
    const QRectF f = v->inspectViewIfBuilt()->frame();
    EXPECT_TRUE(std::isfinite(f.x()) && std::isfinite(f.width()) && std::isfinite(f.height()));
    // The initial values are registered, never written.
    EXPECT_FALSE(userDefaults.isWritten("ZEVInspectIconX"));
    creer("ZEVIconViewer", KELENTITY_ICON_VIEWER)->showInspectView(true);
    EXPECT_EQ(defaults.values("ZEVInspectIconW").toDouble(), 280);
    EXPECT_FALSE(userDefaults.isWritten("ZEVInspectIconW"));
}

TEST_F(Inspectors, AnEntityWithoutAnInspectorClassGetsADisabledButtonAndALogLine)
{
    ZEVEntityViewerClasses::reset();
    for (const char* name : {"ZEVFileViewer", "ZEVPersonViewer", "ZEVChannelViewer"})
        ZEVEntityViewerClasses::ajouter(name, [](ZEVSpaceController&, KELId) { return nullptr; });
    log.clear();
    ZEVContextViewer second(*space);
    ASSERT_EQ(second.contextView()->buttons().size(), 4u);
    EXPECT_FALSE(second.buttonForEntityInt(kImages)->siEnabled());
    EXPECT_TRUE(second.buttonForEntityInt(kFiles)->siEnabled());
    EXPECT_TRUE(log.contains("ZEVBackViewer"));
    // A class that refuses to make its controller: the click opens nothing and says so.
    second.userSelectButton(kFiles);
    EXPECT_TRUE(second.entityViewerSet().empty());
    EXPECT_TRUE(log.contains("no inspector for entity 2000005"));
}

TEST_F(Inspectors, AClickOnTheBarOfAFocusedPanelIsOneEscapeStepButTheClickThatGaveTheFocusIsNot)
{
    ZEVInspectViewer* v = creer("ZEVFileViewer", kFiles);
    v->showInspectView(true);
    sched.advance(0.8);
    ZEVInspectView* p = v->inspectViewIfBuilt();
    focusDesk();
    const QPoint onBar(p->width() / 2, p->height() - 20 - 5);
    QTest::mouseClick(p, Qt::LeftButton, {}, onBar);
    EXPECT_TRUE(v->siFirstResponder());
    EXPECT_EQ(sound.beeps, 0) << "the first click only gave the focus";
    QTest::mouseClick(p, Qt::LeftButton, {}, onBar);
    EXPECT_EQ(sound.beeps, 1) << "Icons mode with nothing to step back from";
    // A press in the shadow's margin is not the panel's.
    QTest::mouseClick(p, Qt::LeftButton, {}, QPoint(5, p->height() - 5));
    EXPECT_EQ(sound.beeps, 1);
    EXPECT_FALSE(p->siSelected());
}

TEST_F(Inspectors, TheWheelOverTheBarOpensAClosedTimeLineFirstAndAPressInTheMarginIsNotThePanels)
{
    ZEVInspectViewer* v = creer("ZEVFileViewer", kFiles);
    v->showInspectView(true);
    sched.advance(0.8);
    ZEVInspectView* p = v->inspectViewIfBuilt();
    const QPointF onBar(p->width() / 2 + 37, p->height() - 20 - 5);
    auto wheel = [&](QPointF at) {
        QWheelEvent e(at, p->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                      false);
        QApplication::sendEvent(p, &e);
        return e.isAccepted();
    };
    EXPECT_TRUE(wheel(onBar));
    EXPECT_EQ(host.front->tlineToggles, 1);
    EXPECT_TRUE(wheel(onBar));
    EXPECT_EQ(host.front->tlineToggles, 1) << "open: the wheel only scrolls it";
    EXPECT_FALSE(wheel(QPointF(5, p->height() - 5))) << "the shadow's margin passes it on";
}

TEST_F(Inspectors, APressOnTheNowMarkWhileSearchIsActiveMakesNowActiveAndStartsAMove)
{
    ZEVInspectViewer* v = creer("ZEVFileViewer", kFiles);
    v->showInspectView(true);
    sched.advance(0.8);
    ASSERT_TRUE(space->rulerViewer()->userChangeActifCurseur(space->searchCurseur()));
    ZEVInspectView* p = v->inspectViewIfBuilt();
    // The Now mark lies where the strip shows the Now cursor: under the panel once it stands there.
    p->majCurseurRects();
    const double nowX = p->curseurNowRect().center().x();
    p->superSetFrame(p->frame().translated(std::floor(nowX) - p->width() / 2.0, 0));
    p->majCurseurRects();
    const QRectF mark = p->curseurNowRect();
    ASSERT_GT(mark.x(), 20);
    ASSERT_LT(mark.right(), p->width() - 20);
    // Low on the bar, below the active (Search) cursor's mark, which is tested first.
    const QPoint at(int(mark.center().x()), int(p->height() - 22));
    QTest::mousePress(p, Qt::LeftButton, {}, at);
    EXPECT_EQ(space->actifCurseur(), space->nowCurseur());
    EXPECT_FALSE(space->rulerViewer()->siAccepteDeplacement()) << "a move runs while the mark is held";
    QTest::mouseRelease(p, Qt::LeftButton, {}, at);
    EXPECT_TRUE(space->rulerViewer()->siAccepteDeplacement());
}

TEST_F(Inspectors, TheRowLaysItsButtonsOutNarrowOrWideOverlappingByOnePoint)
{
    ZEVContextView* row = bar().contextView();
    row->adjustMin();
    std::vector<ZEVButton*> b = row->buttons();
    ASSERT_EQ(b.size(), 4u);
    EXPECT_EQ(b[1]->geometry(), QRect(29, 0, 30, 23));
    EXPECT_EQ(row->width(), 29 * 4 + 1);
    EXPECT_EQ(b[0]->cell()->imagePosition(), ZEVImagePosition::ImageOnly);
    row->adjustMax();
    EXPECT_EQ(b[3]->geometry(), QRect(3 * 107, 0, 108, 23));
    EXPECT_EQ(row->width(), 107 * 4 + 1);
    EXPECT_EQ(b[0]->cell()->imagePosition(), ZEVImagePosition::ImageLeft);
}

TEST_F(Inspectors, EveryPanelsBarHoldsItsCountAndButtonsSideBySideAtItsNarrowestAndFirstWidths)
{
    const std::pair<const char*, KELId> kinds[] = {
        {"ZEVIconViewer", KELENTITY_ICON_VIEWER},     {"ZEVLinkViewer", KELENTITY_LINK_VIEWER},
        {"ZEVFileViewer", KELENTITY_FILE_VIEWER},     {"ZEVPersonViewer", KELENTITY_PERSON_VIEWER},
        {"ZEVBackViewer", KELENTITY_BACK_VIEWER},     {"ZEVChannelViewer", KELENTITY_CHANNEL_VIEWER}};
    for (const auto& [name, entity] : kinds) {
        ZEVInspectViewer* v = creer(name, entity);
        ASSERT_NE(v, nullptr) << name;
        ZEVInspectView* p = v->inspectView();
        // A hidden widget is laid out only once shown.
        v->showInspectView(true);
        settle();
        for (int w : {int(p->metrics().minWidth), int(p->metrics().initialWidth)}) {
            p->resize(w, p->height());
            // Left to right, those the kind shows in the bar; none reaches into the next, the last
            // stays inside the shadow's margin. At the narrowest a count with no room beside the
            // buttons reads on a line of its own, above the bar.
            const int barre = p->btnClose()->geometry().top();
            if (p->inspectField()->geometry().top() != barre) {
                EXPECT_LT(p->inspectField()->geometry().bottom(), barre) << name << " at " << w;
            }
            std::vector<QWidget*> rang;
            for (QWidget* x : std::initializer_list<QWidget*>{p->btnClose(), p->inspectField(), p->btnEntity(), p->btnFind(),
                                                              p->btnGotoPrevious(), p->btnGotoNext(), p->btnAdd()})
                if (!x->isHidden() && x->width() > 0 && x->geometry().top() == barre)
                    rang.push_back(x);
            for (std::size_t i = 1; i < rang.size(); ++i)
                EXPECT_LT(rang[i - 1]->geometry().right(), rang[i]->geometry().left())
                    << name << " at " << w << ": " << rang[i - 1]->objectName().toStdString() << " reaches "
                    << rang[i]->objectName().toStdString();
            EXPECT_LE(rang.back()->geometry().right(), w - 20) << name << " at " << w;
            // A worded button shows its whole word.
            for (ZEVButton* b : {p->btnEntity(), p->btnFind()})
                EXPECT_GT(b->width(), b->fontMetrics().horizontalAdvance(b->text())) << name << " at " << w;
        }
    }
}

} // namespace
} // namespace inspecttest
