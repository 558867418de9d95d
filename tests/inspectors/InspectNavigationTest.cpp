// An inspector panel moving the time cursors: the part of the strip a date is kept in view
// within, the previous and next steps over the present on the virtual clock, the add panel's
// prompt; and Quick Look asked of a panel.

#include "tests/inspectors/InspectorFixture.h"

#include "engine/KELICurseur.h"
#include "inspectors/base/ZEVInspectClass.h"
#include "inspectors/base/ZEVInspectPanels.h"
#include "space/ZEVGoToFileDate.h"
#include "space/ZEVTimeRegard.h"
#include "runtime/Clock.h"
#include "widgets/ZEVButton.h"

#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>

#include <cmath>
#include <limits>

namespace inspecttest {
namespace {

constexpr double kJour = 86400.0;

// A kind whose model gives the dates of its previous and next change as the test sets them.
class StepModel final : public ZEVInspectClass {
public:
    using ZEVInspectClass::ZEVInspectClass;
    KELDate previousDate() override { return precedent; }
    KELDate nextDate() override { return suivant; }
    KELDate precedent = 0;
    KELDate suivant = 0;
};

class StepViewer final : public ZEVInspectViewer {
public:
    StepViewer(ZEVSpaceController& space, KELId entity) : ZEVInspectViewer(space, entity), model(space) {}
    ZEVInspectClass* inspectClass() override { return &model; }
    StepModel model;

protected:
    std::unique_ptr<ZEVInspectView> creerInspectView() override { return std::make_unique<ZEVFileView>(*this); }
};

class InspectNavigation : public Inspectors {
protected:
    void SetUp() override
    {
        Inspectors::SetUp();
        if (HasFatalFailure())
            return;
        v = std::make_unique<StepViewer>(*space, KELENTITY_FILE_VIEWER);
        v->showInspectView(true);
        sched.advance(1.0);
        settle();
    }
    void TearDown() override
    {
        v.reset();
        Inspectors::TearDown();
    }
    KELICurseur* now() { return space->nowCurseur(); }
    KELICurseur* search() { return space->searchCurseur(); }
    void searchTo(KELDate d)
    {
        ZEVRulerViewerServices* r = space->rulerViewer();
        ASSERT_TRUE(r->userChangeActifCurseur(search()) || space->actifCurseur() == search());
        ASSERT_TRUE(r->userInitieDeplacementCurseur());
        r->userPlaceCurseurEtRulerOffset(d - search()->now());
        r->userTermineDeplacementCurseur();
        sched.advance(1.0);
        settle();
    }
    int etat(bool precedent)
    {
        ZEVInspectView* p = v->inspectViewIfBuilt();
        return (precedent ? p->btnGotoPrevious() : p->btnGotoNext())->state();
    }
    std::unique_ptr<StepViewer> v;
};

// A strip of 1001 points over dates 10 s a point.
KELDate dixParPoint(double x) { return 10.0 * x; }

TEST_F(InspectNavigation, ADateIsKeptInViewOverTheFocusedPanelElseInsideTheStripsEdges)
{
    const ZEVTimeRegard strip = timeRegard(1000.0, std::nullopt, dixParPoint);
    EXPECT_FALSE(strip.panneau);
    EXPECT_DOUBLE_EQ(strip.left, 1000.0) << "100 points in from the left edge";
    EXPECT_DOUBLE_EQ(strip.right, 9000.0) << "100 points in from the right edge";
    EXPECT_FALSE(strip.dehors(1000.0));
    EXPECT_FALSE(strip.dehors(9000.0));
    EXPECT_TRUE(strip.dehors(999.0));
    EXPECT_DOUBLE_EQ(strip.offsetPour(5000.0), 0.0) << "a date in view scrolls nothing";

    // A panel at x 200 whose rows start 20 points in and run 400 points: 80 points inside them.
    const ZEVTimeRegard panel = timeRegard(1000.0, ZEVChannelPanelSpan{200, 20, 400}, dixParPoint);
    EXPECT_TRUE(panel.panneau);
    EXPECT_DOUBLE_EQ(panel.left, 3000.0);
    EXPECT_DOUBLE_EQ(panel.right, 5400.0);
    EXPECT_FALSE(panel.dehors(5400.0));
    EXPECT_DOUBLE_EQ(panel.offsetPour(6000.0), 1800.0) << "just outside: centred over the panel";

    // 0.15 s plus the fraction of the span the scroll covers; 1 s beyond the span.
    EXPECT_FLOAT_EQ(timeScrollDuration(1800.0, 10000.0), 0.33f);
    EXPECT_FLOAT_EQ(timeScrollDuration(-1800.0, 10000.0), 0.33f);
    EXPECT_FLOAT_EQ(timeScrollDuration(10001.0, 10000.0), 1.0f);
}

TEST_F(InspectNavigation, AStripUnderTwoPointsWideScrollsNothingAndNeverGivesANonFiniteOffset)
{
    // The width less one under one point (or no strip, -1): every point would map far outside.
    for (double w : {0.5, 0.0, -1.0, std::numeric_limits<double>::quiet_NaN()}) {
        for (const std::optional<ZEVChannelPanelSpan>& p :
             {std::optional<ZEVChannelPanelSpan>(), std::optional<ZEVChannelPanelSpan>(ZEVChannelPanelSpan{0, 20, 400})}) {
            const ZEVTimeRegard r = timeRegard(w, p, [w](double x) { return x / w; });
            EXPECT_FALSE(r.dehors(1e12)) << w;
            EXPECT_DOUBLE_EQ(r.offsetPour(1e12), 0.0) << w;
        }
    }
    // A timeline that answers no number for a point scrolls nothing either.
    const ZEVTimeRegard inf = timeRegard(1000.0, std::nullopt, [](double) { return std::numeric_limits<double>::infinity(); });
    EXPECT_DOUBLE_EQ(inf.offsetPour(5.0), 0.0);
    EXPECT_FALSE(std::isnan(timeScrollDuration(5.0, 0.0)));
}

TEST_F(InspectNavigation, TheAddPanelsPromptCountsTheFilesChosen)
{
    EXPECT_EQ(ZEVInspectViewer::addFilesPromptForCount(0), "Add");
    EXPECT_EQ(ZEVInspectViewer::addFilesPromptForCount(1), "Add 1 File");
    EXPECT_EQ(ZEVInspectViewer::addFilesPromptForCount(3), "Add 3 Files");
}

TEST_F(InspectNavigation, FromNowAStepMakesSearchActiveAndTheButtonRestsAfterItsDelay)
{
    ASSERT_EQ(space->actifCurseur(), now());
    const KELDate d = now()->now() - 3 * kJour;
    v->model.precedent = d;
    EXPECT_TRUE(v->userGotoPrevious());
    EXPECT_EQ(etat(true), kZEVStateOn);
    EXPECT_EQ(etat(false), kZEVStateOff);
    EXPECT_EQ(space->actifCurseur(), search());
    sched.advance(0.79);
    EXPECT_EQ(etat(true), kZEVStateOn);
    sched.advance(0.02);
    EXPECT_EQ(etat(true), kZEVStateOff) << "0.8 s after Previous";
    sched.advance(2.0);
    EXPECT_NEAR(search()->now(), d, 5.0);

    // Next: its button on, the other off; a new step drops the pending rest of the last one.
    v->model.suivant = d + kJour;
    v->userGotoPrevious();
    v->userGotoNext();
    EXPECT_EQ(etat(false), kZEVStateOn);
    EXPECT_EQ(etat(true), kZEVStateOff);
    sched.advance(0.16);
    EXPECT_EQ(etat(false), kZEVStateOff) << "0.15 s after Next";
    sched.advance(2.0);
    EXPECT_NEAR(search()->now(), d + kJour, 5.0);
}

TEST_F(InspectNavigation, AStepAcrossThePresentShowsNowFirstAndNoChangeBeepsOnlyOnTheNearSide)
{
    // The Search cursor in the future, the previous change before the present: Now first.
    searchTo(now()->now() + 5 * kJour);
    ASSERT_EQ(space->actifCurseur(), search());
    v->model.precedent = now()->now() - 5 * kJour;
    sound.played.clear();
    v->userGotoPrevious();
    sched.advance(0.21);
    EXPECT_EQ(etat(true), kZEVStateOff) << "0.2 s after a return to Now";
    EXPECT_EQ(space->actifCurseur(), now());
    EXPECT_TRUE(sound.played.contains("Tink"));
    // The next Previous, once the strip has settled, reaches the change.
    sched.advance(2.0);
    v->userGotoPrevious();
    sched.advance(2.0);
    EXPECT_EQ(space->actifCurseur(), search());
    EXPECT_NEAR(search()->now(), v->model.precedent, 5.0);

    // No earlier change with the Search cursor in the past: a beep, the cursors stay.
    v->model.precedent = 0;
    const KELDate avant = search()->now();
    const int beeps = sound.beeps;
    v->userGotoPrevious();
    sched.advance(2.0);
    EXPECT_EQ(sound.beeps, beeps + 1);
    EXPECT_EQ(space->actifCurseur(), search());
    EXPECT_NEAR(search()->now(), avant, 2.5) << "no more than the clock's 2 s";
    // No later change with the Search cursor in the past: back to Now, no beep.
    v->userGotoNext();
    sched.advance(2.0);
    EXPECT_EQ(sound.beeps, beeps + 1);
    EXPECT_EQ(space->actifCurseur(), now());
}

class InspectQuickLook : public Inspectors {};

TEST_F(InspectQuickLook, FromTheToolbarTakesTheRequestOnlyWithTheKeysAndOpensNothingForNoSelection)
{
    ZEVInspectViewer* v = creer("ZEVFileViewer", KELENTITY_FILE_VIEWER);
    ASSERT_NE(v, nullptr);
    v->showInspectView(true);
    sched.advance(1.0);
    settle();
    ASSERT_TRUE(v->siFirstResponder());
    EXPECT_TRUE(v->userToggleQL(true)) << "taken, though nothing is selected";
    EXPECT_FALSE(space->spaceWindow()->siPreviewPanelVisible()) << "and nothing opens";
    // The pointer away from the panel: the key's request passes on.
    space->mouseMovedInLocation(QPointF(2, 2));
    EXPECT_FALSE(v->userToggleQL(false));
    focusDesk();
    EXPECT_FALSE(v->userToggleQL(true)) << "without the keys the next panel is asked";
}

// The add panel as the front layer makes it: a file panel with the two pop-ups by name.
TEST_F(InspectNavigation, TheAddPanelsFileTakesTheSearchCursorToItsDateOnceAndTheKindsJumpAtOnce)
{
    const QString chemin = store + "/note.txt";
    {
        QFile f(chemin);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("x");
        const QDateTime modifie = QDateTime::fromSecsSinceEpoch(qint64(unixFromDate(now()->now() - 30 * kJour)));
        ASSERT_TRUE(f.setFileTime(modifie, QFileDevice::FileModificationTime));
    }
    QFileDialog panel(nullptr, "Add Files", store);
    panel.setOption(QFileDialog::DontUseNativeDialog);
    panel.setFileMode(QFileDialog::ExistingFiles);
    auto* goTo = new QComboBox(&panel);
    goTo->setObjectName("goToPopUp");
    for (long t : {1, 2, 3, 4, 5})
        goTo->addItem(QString::number(t), qlonglong(t));
    auto* duree = new QComboBox(&panel);
    duree->setObjectName("durationPopUp");
    for (long t : {11, 12, 13, 0})
        duree->addItem(QString::number(t), qlonglong(t));
    v->suivrePanneauAjout(&panel);
    panel.show();
    goTo->setCurrentIndex(goTo->findData(qlonglong(4)));

    panel.selectFile(chemin);
    v->panelSelectionDidChange();
    EXPECT_EQ(panel.labelText(QFileDialog::Accept), "Add 1 File");
    EXPECT_EQ(space->actifCurseur(), search());
    const KELDate date = *fileDateForGoToTag(chemin, 4);
    EXPECT_NEAR(search()->now(), date, 1.0) << "the modification date";
    EXPECT_EQ(v->previousURL(), QFileInfo(chemin).absoluteFilePath());

    // The same file again moves nothing.
    searchTo(now()->now() - kJour);
    v->panelSelectionDidChange();
    EXPECT_NEAR(search()->now(), now()->now() - kJour, 1.0);

    // The kind Now: the Now cursor active at once, and the file forgotten.
    v->popUpGoToChange(1);
    EXPECT_EQ(space->actifCurseur(), now());
    EXPECT_TRUE(v->previousURL().isEmpty());
    EXPECT_EQ(space->goToTag(), 1);
    v->popUpDurationChange(13);
    EXPECT_EQ(space->durationTag(), 13);
    panel.hide();
}

} // namespace
} // namespace inspecttest
