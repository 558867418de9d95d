// The Files panel's controller on a real link base: the count field, the refresh gate on the
// engine's notices, the action buttons, the front-mode buttons and the button menus' states.

#include "tests/inspectors/InspectorFixture.h"

#include "desk/model/ZEVItemClass.h"
#include "inspectors/files/ZEVFileClass.h"
#include "inspectors/files/ZEVFileViewer.h"
#include "platform/desktop/Desktop.h"
#include "space/ZEVSelections.h"
#include "widgets/ZEVButton.h"

#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

namespace inspecttest {
namespace {

class FileViewer : public Inspectors {
protected:
    KELI* objet(const std::string& titre)
    {
        if (!items)
            items = std::make_unique<ZEVItemClass>(space->nowCurseur(), nullptr);
        KELI* o = items->creerItemWithChannelInt(space->currentChannelInt(), titre, "file", "txt", 0);
        EXPECT_NE(o, nullptr);
        return o;
    }
    // A presence around Now on the current Channel.
    void present(KELI* o)
    {
        const KELDate n = space->nowCurseur()->now();
        EXPECT_NE(KELServeurDeLiens::CreerLienRelInt(KELRELATION_FILE_VIEWER,
                                                     space->channelForIdentityInt(space->currentChannelInt()), o,
                                                     n - 3600, n + 3600, space->nowCurseur()),
                  nullptr);
    }
    ZEVFileViewer* ouvrir()
    {
        auto* v = dynamic_cast<ZEVFileViewer*>(creer("ZEVFileViewer", kFiles));
        EXPECT_NE(v, nullptr);
        v->showInspectView(true);
        settle();
        return v;
    }
    QString champ(ZEVFileViewer* v) { return v->inspectViewIfBuilt()->inspectField()->text(); }

    std::unique_ptr<ZEVItemClass> items;
};

TEST_F(FileViewer, TheCountFieldReadsSingularUpToOneAndPrefixesTheSelectedRows)
{
    ZEVFileViewer* v = ouvrir();
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(champ(v), QStringLiteral("0 File"));
    present(objet("one.txt"));
    settle();
    EXPECT_EQ(champ(v), QStringLiteral("1 File"));
    for (int i = 0; i < 11; ++i)
        present(objet("more" + std::to_string(i) + ".txt"));
    settle();
    EXPECT_EQ(champ(v), QStringLiteral("12 Files"));
    v->setNbOfSelectedRows(3);
    EXPECT_EQ(champ(v), QStringLiteral("3/12 Files"));
    v->setNbOfSelectedRows(0);
    EXPECT_EQ(champ(v), QStringLiteral("12 Files"));
}

TEST_F(FileViewer, ABurstOfEngineChangesRefreshesOnceAfterTheDelayNoneWhileHiddenAndOnceOnShowing)
{
    ZEVFileViewer* v = ouvrir();
    ASSERT_NE(v, nullptr);
    sched.advance(1.0);
    QLabel* field = v->inspectViewIfBuilt()->inspectField();
    field->setText(QStringLiteral("untouched"));

    // Five presences in one turn: one refresh pending, none run before the delay.
    for (int i = 0; i < 5; ++i)
        present(objet("burst" + std::to_string(i) + ".txt"));
    EXPECT_TRUE(sched.isPending(v, "majInspectView"));
    EXPECT_FALSE(v->siAccepteDisplay()) << "the later notices are absorbed";
    sched.advance(ZEVInspectViewer::kRefreshDelay - 0.005);
    EXPECT_EQ(field->text(), QStringLiteral("untouched"));
    sched.advance(0.01);
    EXPECT_EQ(field->text(), QStringLiteral("5 Files"));
    EXPECT_FALSE(sched.isPending(v, "majInspectView"));
    EXPECT_TRUE(v->siAccepteDisplay());

    // Hidden: nothing is scheduled, the field keeps its text.
    v->showInspectView(false);
    sched.advance(1.0);
    field->setText(QStringLiteral("hidden"));
    present(objet("late.txt"));
    EXPECT_FALSE(sched.isPending(v, "majInspectView"));
    sched.advance(1.0);
    EXPECT_EQ(field->text(), QStringLiteral("hidden"));
    // Shown again: refreshed at once.
    v->showInspectView(true);
    EXPECT_EQ(field->text(), QStringLiteral("6 Files"));
}

TEST_F(FileViewer, DeselectStaysEnabledByAFoundSetAndTheEditCommandsPressOnlyEnabledButtons)
{
    KELI* a = objet("alpha.txt");
    present(a);
    present(objet("beta.txt"));
    settle();
    ZEVFileViewer* v = ouvrir();
    ASSERT_NE(v, nullptr);
    ZEVInspectView* p = v->inspectViewIfBuilt();
    ASSERT_NE(p->btnDeselect(), nullptr);

    v->majActionButtonsWithFlags(false, false);
    EXPECT_FALSE(p->btnDeselect()->isEnabled());
    EXPECT_FALSE(p->btnRelease()->isEnabled());
    // Type-select finds alpha: Deselect may now drop it.
    v->fileClass().selectItemsWithString(*p->inspectTableView(), QStringLiteral("alp"), 0);
    ASSERT_FALSE(v->fileClass().foundedItemSet().empty());
    v->majActionButtonsWithFlags(false, false);
    EXPECT_TRUE(p->btnDeselect()->isEnabled());

    v->majActionButtonsWithFlags(true, false);
    EXPECT_TRUE(p->btnRelease()->isEnabled());
    EXPECT_TRUE(p->btnForget()->isEnabled());
    EXPECT_FALSE(p->btnRecall()->isEnabled());
    EXPECT_FALSE(p->btnRetain()->isEnabled());

    // Recall pressed through the Edit command: not while disabled, and no beep either.
    QSignalSpy recalls(p->btnRecall(), &QAbstractButton::clicked);
    QSignalSpy releases(p->btnRelease(), &QAbstractButton::clicked);
    const int beeps = sound.beeps;
    v->userRecall();
    v->userRelease();
    EXPECT_EQ(recalls.count(), 0);
    EXPECT_EQ(releases.count(), 1);
    EXPECT_EQ(sound.beeps, beeps);

    // Deselect drops the found Objects.
    v->buttonDeselectItems();
    EXPECT_TRUE(v->fileClass().foundedItemSet().empty());
}

TEST_F(FileViewer, TheFrontModeButtonsFollowTheModeAndAskTheFrontViewerToSwitch)
{
    ZEVFileViewer* v = ouvrir();
    ASSERT_NE(v, nullptr);
    ZEVInspectView* p = v->inspectViewIfBuilt();
    host.front->mode = 2;
    v->frontModeDidChange();
    for (int m = 0; m < 4; ++m)
        EXPECT_EQ(p->btnFrontMode(m)->state(), m == 2 ? kZEVStateOn : kZEVStateOff) << m;
    // A mode outside the four leaves them.
    host.front->mode = 7;
    v->frontModeDidChange();
    EXPECT_EQ(p->btnFrontMode(2)->state(), kZEVStateOn);

    host.front->switches.clear();
    p->btnFrontMode(3)->click();
    EXPECT_EQ(host.front->switches, std::vector<int>{3});
    EXPECT_EQ(p->btnFrontMode(3)->state(), kZEVStateOn);
    EXPECT_EQ(p->btnFrontMode(2)->state(), kZEVStateOff);
}

TEST_F(FileViewer, TheButtonMenusSetTheirButtonsOnOrMixedWhileOpen)
{
    ZEVFileViewer* v = ouvrir();
    ASSERT_NE(v, nullptr);
    ZEVInspectView* p = v->inspectViewIfBuilt();
    struct Cas {
        QMenu* menu;
        std::vector<ZEVButton*> boutons;
        int pendant;
    };
    for (const Cas& c : {Cas{v->entityMenu(), {p->btnEntity()}, kZEVStateOn},
                         Cas{v->findMenu(), {p->btnFind()}, kZEVStateOn},
                         Cas{v->gotoMenu(), {p->btnGotoPrevious(), p->btnGotoNext()}, kZEVStateMixed}}) {
        ASSERT_NE(c.menu, nullptr);
        v->menuWillOpen(c.menu);
        for (ZEVButton* b : c.boutons)
            EXPECT_EQ(b->state(), c.pendant) << c.menu->objectName().toStdString();
        v->menuDidClose(c.menu);
        for (ZEVButton* b : c.boutons)
            EXPECT_EQ(b->state(), kZEVStateOff) << c.menu->objectName().toStdString();
    }
    // The rows' menu and the panel's own offer no Duplicate for files.
    for (QMenu* m : {p->inspectTableView()->rowMenu(), p->inspectViewMenu()}) {
        ASSERT_NE(m, nullptr);
        v->menuWillOpen(m);
        int duplicates = 0;
        for (QAction* a : m->actions())
            if (a->text().startsWith(QStringLiteral("Duplicate"))) {
                ++duplicates;
                EXPECT_FALSE(a->isEnabled()) << a->text().toStdString();
            } else if (a->text() == QStringLiteral("Move To\u2026")) {
                EXPECT_TRUE(a->isEnabled());
            }
        EXPECT_EQ(duplicates, 2) << m->objectName().toStdString();
    }
    // The Entity menu, as it opens, counts for the panel: nothing selected.
    v->menuWillOpen(v->entityMenu());
    EXPECT_EQ(ZEVMenuItemWithTag(v->entityMenu(), 13)->text(), QStringLiteral("Remove File Objects"));
    EXPECT_FALSE(ZEVMenuItemWithTag(v->entityMenu(), 2)->isEnabled());
    EXPECT_FALSE(ZEVMenuItemWithTag(v->entityMenu(), 6)->isVisible());
    v->menuDidClose(v->entityMenu());
}

TEST_F(FileViewer, OnlyAClickOnTheBarOfAFocusedPanelStepsBackNeverTheFocusingOneNorOneLeavingTheBar)
{
    ZEVFileViewer* v = ouvrir();
    ASSERT_NE(v, nullptr);
    ZEVInspectView* p = v->inspectViewIfBuilt();
    // On the bar, away from its buttons: a third of the way along, in Qt's y-down.
    const QRectF barre = p->inspectBarRect();
    const QPoint surLaBarre(int(barre.x() + barre.width() / 3), int(p->height() - barre.center().y()));
    const QPoint horsDeLaBarre(surLaBarre.x(), int(p->height() - barre.bottom() - 40));
    ASSERT_FALSE(barre.contains(QPointF(horsDeLaBarre.x(), p->height() - horsDeLaBarre.y())));
    // Nothing to step back from: a step back beeps.
    focusDesk();
    ASSERT_FALSE(v->siFirstResponder());
    const int beeps = sound.beeps;
    QTest::mouseClick(p, Qt::LeftButton, {}, surLaBarre);
    settle();
    EXPECT_TRUE(v->siFirstResponder()) << "the click focused the panel";
    EXPECT_EQ(sound.beeps, beeps) << "the focusing click never steps back";
    QTest::mouseClick(p, Qt::LeftButton, {}, surLaBarre);
    settle();
    EXPECT_EQ(sound.beeps, beeps + 1) << "a click on the focused panel's bar steps back";
    QTest::mousePress(p, Qt::LeftButton, {}, surLaBarre);
    QTest::mouseRelease(p, Qt::LeftButton, {}, horsDeLaBarre);
    settle();
    EXPECT_EQ(sound.beeps, beeps + 1) << "released off the bar";
}

TEST_F(FileViewer, TheEntityButtonsLongPressOpensTheFileManagerAtHomeAndAFailureBeeps)
{
    ZEVFileViewer* v = ouvrir();
    ASSERT_NE(v, nullptr);
    ZEVInspectView* p = v->inspectViewIfBuilt();
    RecordingDesktop desktop;
    Desktop* avant = Desktop::shared();
    Desktop::setShared(&desktop);
    v->performClique(p->btnEntity());
    ASSERT_EQ(desktop.opened.size(), 1u);
    EXPECT_EQ(desktop.opened[0], QUrl::fromLocalFile(QDir::homePath()));
    EXPECT_FALSE(v->entityMenu()->isVisible()) << "a long press opens no menu";
    const int beeps = sound.beeps;
    desktop.opens = false;
    ZEVMenuItemWithTag(v->entityMenu(), 11111)->trigger();
    EXPECT_EQ(desktop.opened.size(), 2u);
    EXPECT_EQ(sound.beeps, beeps + 1);
    Desktop::setShared(avant);
}

TEST_F(FileViewer, SwapInvertsTheIconsAmongTheRowsAndBeepsWhenNoneIsSelected)
{
    KELI* a = objet("alpha.txt");
    KELI* b = objet("beta.txt");
    KELI* c = objet("gamma.txt");
    for (KELI* o : {a, b, c})
        present(o);
    settle();
    ZEVFileViewer* v = ouvrir();
    ASSERT_NE(v, nullptr);
    ZEVSelections& s = space->selections();
    host.front->mode = 0;
    const int beeps = sound.beeps;
    v->userSwap();
    EXPECT_EQ(sound.beeps, beeps + 1) << "nothing selected among the rows";
    // An icon selected outside the list stays selected.
    KELI* ailleurs = objet("elsewhere.txt");
    s.selectIconForItemSet(std::vector<KELI*>{a, ailleurs}, static_cast<const std::vector<KELI*>*>(nullptr));
    settle();
    v->userSwap();
    settle();
    EXPECT_FALSE(s.isIconSelectedForItem(a));
    EXPECT_TRUE(s.isIconSelectedForItem(b));
    EXPECT_TRUE(s.isIconSelectedForItem(c));
    EXPECT_TRUE(s.isIconSelectedForItem(ailleurs));
    EXPECT_EQ(sound.beeps, beeps + 1);
}

} // namespace
} // namespace inspecttest
