// The inspector panels in the running program: the entity buttons in the ruler bar's row open,
// focus and close a panel that slides down from the top of the desk; the panel's bar, dragged,
// moves it and keeps its place in the user's settings; the Inspectors menu's items do the same as
// the buttons.

#include "tests/e2e/E2EFixture.h"

#include "app/menu/KELMainMenu.h"
#include "engine/KELICurseur.h"
#include "engine/KELServeurDeLiens.h"
#include "space/ZEVConstants.h"
#include "inspectors/base/ZEVInspectView.h"
#include "inspectors/base/ZEVInspectViewer.h"
#include "inspectors/context/ZEVContextView.h"
#include "inspectors/context/ZEVContextViewer.h"
#include "ruler/ZEVRulerViewbar.h"
#include "ruler/ZEVRulerViewer.h"
#include "widgets/ZEVButton.h"

#include <QApplication>
#include <QFile>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include <algorithm>

namespace e2e {
namespace {

class InspectorPanels : public E2EWithSound<RecordingSound> {
protected:
    // The panel of `kind` opened from the Inspectors menu, shown.
    ZEVInspectView* shownPanelFromMenu(long kind, const char* className)
    {
        openInspectorFromMenu(kind);
        ZEVInspectViewer* v = viewer(className);
        EXPECT_NE(v, nullptr) << className;
        ZEVInspectView* p = v ? v->inspectViewIfBuilt() : nullptr;
        EXPECT_TRUE(p && p->isVisible()) << className;
        return p && p->isVisible() ? p : nullptr;
    }
    // Fourteen files on the desk, all selected: the longest count a panel's bar shows in the tests.
    void startWithFourteenSelected()
    {
        startWithTheBar();
        QStringList names;
        for (int i = 1; i <= 14; ++i)
            names << QStringLiteral("note%1.txt").arg(i);
        addHomeFiles(names);
        const std::vector<KELI*> items = itemsTitled(names);
        ASSERT_EQ(items.size(), 14u);
        space()->selections().selectIconForItemSet(items, nullptr);
        advance(0.5);
    }
    void startWithTheBar()
    {
        start();
        values->setValue("ZEVShowZevMenu", true);
        pump();
        window()->activateWindow();
        pump();
        ASSERT_NE(context(), nullptr);
        ASSERT_TRUE(bar()->isVisible());
    }
    ZEVRulerViewbar* bar() const
    {
        auto* ruler = dynamic_cast<ZEVRulerViewer*>(space()->rulerViewer());
        return ruler ? dynamic_cast<ZEVRulerViewbar*>(ruler->rulerViewbar()) : nullptr;
    }
    ZEVContextViewer* context() const { return dynamic_cast<ZEVContextViewer*>(space()->contextViewer()); }
    ZEVInspectViewer* viewer(const char* className) const
    {
        return dynamic_cast<ZEVInspectViewer*>(space()->viewerForEntityClassName(className));
    }
    QWidget* canvas() const { return window()->spaceView()->deskCanvas()->viewport(); }
    void click(QWidget* w, QPoint at = {})
    {
        QTest::mouseClick(w, Qt::LeftButton, {}, at.isNull() ? w->rect().center() : at);
        pump();
    }
};

TEST_F(InspectorPanels, TheFilesButtonOpensFocusesAndClosesItsPanelWhichKeepsWhereItsBarWasDragged)
{
    startWithTheBar();
    // The row holds the entities at positions 2 to 5 of the template's list, titled by name.
    const std::vector<ZEVButton*> buttons = context()->contextView()->buttons();
    ASSERT_EQ(buttons.size(), 4u);
    EXPECT_EQ(buttons[0]->text(), QStringLiteral("Files"));
    EXPECT_EQ(buttons[3]->text(), QStringLiteral("Channels"));
    ZEVButton* files = context()->buttonForEntityInt(kFiles);
    ASSERT_NE(files, nullptr);
    EXPECT_TRUE(files->isVisible());
    EXPECT_EQ(viewer("ZEVFileViewer"), nullptr) << "no Files controller before its first opening";

    click(files);
    ZEVInspectViewer* v = viewer("ZEVFileViewer");
    ASSERT_NE(v, nullptr) << "the click made the controller";
    ZEVInspectView* panel = v->inspectViewIfBuilt();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->parentWidget(), canvas()) << "a child of the desk canvas";
    EXPECT_TRUE(panel->isVisible());
    const QRectF closed = panel->closedRect(), opened = panel->openedRect();
    advance(0.3);
    EXPECT_LT(panel->frame().y(), closed.y()) << "half way down";
    EXPECT_GT(panel->frame().y(), opened.y());
    advance(0.5);
    EXPECT_EQ(panel->frame(), opened);
    EXPECT_TRUE(v->siFirstResponder());
    EXPECT_EQ(window()->focusWidget(), panel->inspectTableView());
    EXPECT_EQ(files->state(), kZEVStateOn);
    // On screen: the panel's bar lies inside the desk, its top under the header views.
    const QRect onCanvas = panel->geometry();
    EXPECT_GE(onCanvas.top(), 0);
    EXPECT_EQ(onCanvas.bottom() + 1, canvas()->height() - int(opened.y()));

    // A click on the desk away from the panel takes the focus: the button shows mixed.
    click(canvas(), QPoint(canvas()->width() - 40, canvas()->height() - 40));
    advance(0.2);
    EXPECT_FALSE(v->siFirstResponder());
    EXPECT_EQ(files->state(), kZEVStateMixed);

    // The bar dragged 60 points left and 50 down moves the panel and keeps its place.
    // The pointer's places are the canvas' (the panel moves under it).
    const QPoint grip = panel->mapTo(canvas(), QPoint(panel->width() / 2, panel->height() - 20 - 10));
    auto at = [&](QPoint onCanvas) { return panel->mapFrom(canvas(), onCanvas); };
    QTest::mousePress(panel, Qt::LeftButton, {}, at(grip));
    for (int i = 1; i <= 5; ++i)
        QTest::mouseMove(panel, at(grip + QPoint(-12 * i, 10 * i)));
    QTest::mouseRelease(panel, Qt::LeftButton, {}, at(grip + QPoint(-60, 50)));
    pump();
    const QRectF moved = panel->frame();
    EXPECT_EQ(moved.x(), opened.x() - 60);
    EXPECT_EQ(moved.y(), opened.y() - 50);
    EXPECT_EQ(moved.height(), opened.height() + 50) << "the top stays hung from the front area";
    defaults->sync();
    QSettings written(defaults->fileName(), QSettings::IniFormat);
    EXPECT_DOUBLE_EQ(written.value("ZEVInspectFileX").toDouble(), moved.x());
    EXPECT_DOUBLE_EQ(written.value("ZEVInspectFileW").toDouble(), moved.width());
    const double header = space()->frontViewer()->headerViewsHeight();
    EXPECT_DOUBLE_EQ(written.value("ZEVInspectFileH").toDouble(), moved.height() + header - 10);
    advance(0.2);
    EXPECT_EQ(files->state(), kZEVStateOn) << "the press gave the panel the focus back";

    // Back to the desk; then two clicks on the button: the first focuses, the second closes.
    click(canvas(), QPoint(canvas()->width() - 40, canvas()->height() - 40));
    advance(0.2);
    ASSERT_EQ(files->state(), kZEVStateMixed);
    click(files);
    advance(0.2);
    EXPECT_TRUE(v->siShowInspectView());
    EXPECT_EQ(files->state(), kZEVStateOn);
    click(files);
    EXPECT_FALSE(v->siShowInspectView());
    advance(0.7);
    EXPECT_FALSE(panel->isVisible()) << "hidden once the slide ended";
    EXPECT_EQ(panel->parentWidget(), canvas()) << "kept by its controller";
    EXPECT_EQ(files->state(), kZEVStateOff);
    EXPECT_FALSE(context()->isShowedEntityWithInt(kFiles));
    EXPECT_TRUE(sound.beeps == 0) << "nothing here asks for a beep";
}

TEST_F(InspectorPanels, TheInspectorsMenuOpensAPanelFocusedAndClosesItWhenFocusedAndCloseAllClosesEveryOne)
{
    startWithTheBar();
    KELMainMenu* menu = adapter()->mainMenu();
    ASSERT_NE(menu, nullptr);
    QAction* contacts = menu->item(KELMainMenu::kMenuInspectors, qint64(kContacts));
    ASSERT_NE(contacts, nullptr);
    menu->menuWillOpen(KELMainMenu::kMenuInspectors);
    ASSERT_TRUE(contacts->isEnabled());
    contacts->trigger();
    advance(0.8);
    ZEVInspectViewer* v = viewer("ZEVPersonViewer");
    ASSERT_NE(v, nullptr);
    EXPECT_TRUE(v->siShowInspectView());
    EXPECT_TRUE(v->siFirstResponder());
    EXPECT_EQ(context()->buttonForEntityInt(kContacts)->state(), kZEVStateOn);
    // The main menu's items the kinds retitle, found by their tags, down to the Handle submenu.
    EXPECT_EQ(v->menuItem(ZEVInspectViewer::MacCopy), menu->item(KELMainMenu::kMenuEdit, 101));
    EXPECT_EQ(v->menuItem(ZEVInspectViewer::MacRecallSearch), menu->item(KELMainMenu::kMenuEdit, 4));
    ASSERT_NE(v->menuItem(ZEVInspectViewer::MacMoveTo), nullptr);
    EXPECT_EQ(v->menuItem(ZEVInspectViewer::MacMoveTo), menu->item(4333, 21));
    EXPECT_EQ(v->menuItem(ZEVInspectViewer::MacCleanAndReplace), menu->item(KELMainMenu::kMenuSpaces, 43));

    // Files opens over it: the last opened is in front and has the focus.
    click(context()->buttonForEntityInt(kFiles));
    advance(0.8);
    ZEVInspectViewer* f = viewer("ZEVFileViewer");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(canvas()->children().last(), f->inspectViewIfBuilt());
    EXPECT_EQ(context()->buttonForEntityInt(kContacts)->state(), kZEVStateMixed);

    // The menu item on a shown panel without focus focuses it; once focused, it closes it.
    contacts->trigger();
    advance(0.2);
    EXPECT_TRUE(v->siFirstResponder());
    EXPECT_EQ(canvas()->children().last(), v->inspectViewIfBuilt()) << "brought to the front";
    contacts->trigger();
    advance(0.7);
    EXPECT_FALSE(v->siShowInspectView());
    EXPECT_TRUE(f->siFirstResponder()) << "the focus goes to the panel left on top";

    QAction* closeAll = menu->item(KELMainMenu::kMenuInspectors, 50);
    menu->menuWillOpen(KELMainMenu::kMenuInspectors);
    ASSERT_TRUE(closeAll && closeAll->isEnabled());
    closeAll->trigger();
    advance(0.7);
    EXPECT_FALSE(f->siShowInspectView());
    EXPECT_TRUE(context()->entityViewerSet().empty());
    EXPECT_EQ(context()->buttonForEntityInt(kFiles)->state(), kZEVStateOff);
}

TEST_F(InspectorPanels, OverAFocusedPanelThePointerIsFollowedTheRightButtonShowsItsMenuAndTheShadowIsSoft)
{
    startWithTheBar();
    click(context()->buttonForEntityInt(kFiles));
    advance(0.8);
    ZEVInspectViewer* v = viewer("ZEVFileViewer");
    ASSERT_NE(v, nullptr);
    ZEVInspectView* panel = v->inspectViewIfBuilt();
    ASSERT_NE(panel, nullptr);
    ASSERT_TRUE(v->siFirstResponder());

    // A move over the panel's margin reaches the Space as over the desk (window points, y-up).
    const QPoint margin(8, panel->height() / 2);
    const QPoint inWindow = panel->mapTo(window(), margin);
    QTest::mouseMove(window()->windowHandle(), inWindow);
    pump();
    EXPECT_EQ(space()->mouseLimitPoint(), QPointF(inWindow.x(), window()->height() - inWindow.y()));

    // A right click on the bar opens the panel's menu, not the desk's, and leaves the panel as it was.
    const QRectF frame = panel->frame();
    const QPoint onBar(panel->width() / 2, panel->height() - 20 - 4);
    // Through the window, as the platform delivers it: the press, then the menu request.
    QTest::mouseClick(window()->windowHandle(), Qt::RightButton, {}, panel->mapTo(window(), onBar));
    pumpUntil([panel] { return panel->inspectViewMenu() && QApplication::activePopupWidget() == panel->inspectViewMenu(); });
    pump();
    QMenu* menu = panel->inspectViewMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(menu->isVisible());
    EXPECT_EQ(QApplication::activePopupWidget(), menu);
    EXPECT_EQ(panel->frame(), frame);
    EXPECT_TRUE(v->siFirstResponder());
    EXPECT_EQ(sound.beeps, 0) << "the release picked no entry";
    menu->hide();
    pump();

    // On screen the focused panel casts a shadow that fades over its lower margin.
    const QImage shot = window()->grab(QRect(panel->mapTo(window(), QPoint(0, 0)), panel->size())).toImage();
    const int edge = panel->height() - 20;
    const QColor near = shot.pixelColor(panel->width() / 2, edge + 2);
    const QColor far = shot.pixelColor(panel->width() / 2, edge + 17);
    EXPECT_LT(near.lightness(), far.lightness()) << "darker close to the edge";
}

TEST_F(InspectorPanels, TheInspectorsListingAnObjectOpenForItAndOnlyThose)
{
    startWithTheBar();
    QFile f(home + "/notes.txt");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("notes");
    f.close();
    addFiles({f.fileName()});
    const Rows files = placedObjectsOfType("file");
    ASSERT_EQ(files.size(), 1u);
    KELI* object = KELServeurDeLiens::LienForInt(KELId(std::stoull(files.at(0, 0))), space()->nowCurseur());
    ASSERT_NE(object, nullptr);
    // The Files inspector lists the Object from now on (the link its own issue will write when a
    // file is added).
    KELICurseur* now = space()->nowCurseur();
    ASSERT_NE(KELServeurDeLiens::CreerLienRelInt(KELRELATION_FILE_VIEWER,
                                                 space()->channelForIdentityInt(space()->currentChannelInt()), object,
                                                 now->now() - 10, KELDateOuverte, now),
              nullptr);
    const std::vector<KELId> opened = space()->openViewersForCurseur(space()->nowCurseur(), object);
    EXPECT_EQ(opened, std::vector<KELId>{kFiles});
    advance(0.8);
    EXPECT_TRUE(context()->isShowedEntityWithInt(kFiles));
    EXPECT_TRUE(context()->isFocusedEntityWithInt(kFiles));
    EXPECT_EQ(context()->buttonForEntityInt(kFiles)->state(), kZEVStateOn);
    EXPECT_FALSE(context()->isShowedEntityWithInt(kContacts));
}

// At each panel's first width its words read whole: the count, even of fourteen of fourteen rows
// selected, and every action button's word, the buttons inside the panel's content; and a cursor
// mark passing behind the count leaves its letters drawn.
TEST_F(InspectorPanels, AtTheirFirstWidthThePanelsWordsReadWholeInsideThemAndTheCountStaysOverTheMarks)
{
    ASSERT_NO_FATAL_FAILURE(startWithFourteenSelected());

    auto largeur = [](const QWidget* w, const QString& text) { return QFontMetrics(w->font()).horizontalAdvance(text); };
    const std::pair<long, const char*> kinds[] = {
        {kIcons, "ZEVIconViewer"}, {kContacts, "ZEVPersonViewer"}, {kImages, "ZEVBackViewer"}};
    ZEVInspectView* contacts = nullptr;
    for (const auto& [kind, className] : kinds) {
        ZEVInspectView* p = shownPanelFromMenu(kind, className);
        ASSERT_NE(p, nullptr) << className;
        EXPECT_EQ(p->width(), int(p->metrics().initialWidth)) << className;
        QLabel* count = p->inspectField();
        if (kind == kIcons) {
            EXPECT_EQ(count->text(), "14/14 Objects");
        }
        EXPECT_LE(largeur(count, count->text()), count->width()) << className << ' ' << count->text().toStdString();
        std::vector<ZEVButton*> row = {p->btnRecall(), p->btnRetain(), p->btnRelease(), p->btnForget(), p->btnDeselect()};
        for (int m = 0; m < 4; ++m)
            row.push_back(p->btnFrontMode(m));
        for (ZEVButton* b : row) {
            if (!b || b->isHidden())
                continue;
            EXPECT_LE(b->geometry().right(), p->width() - 20) << className << ' ' << b->text().toStdString();
            EXPECT_LE(largeur(b, b->text()) + 4, b->width()) << className << ' ' << b->text().toStdString();
        }
        if (kind == kContacts)
            contacts = p;
    }

    // The Contacts panel moved so that the active cursor's mark falls on the middle of its count.
    ASSERT_NE(contacts, nullptr);
    contacts->raise();
    contacts->majCurseurRects();
    QLabel* count = contacts->inspectField();
    const int a = int(contacts->curseurActifRect().x()) + 5;
    const int milieu = count->geometry().left() + largeur(count, count->text()) / 2;
    contacts->superSetFrame(contacts->frame().translated(a - milieu, 0));
    contacts->majCurseurRects();
    ASSERT_EQ(int(contacts->curseurActifRect().x()) + 5, milieu);
    const QImage image = contacts->grab().toImage();
    // Inside the mark's disc (centred 32.5 points up) the letters' ink, not the mark's red, is seen.
    int encre = 0;
    for (int x = milieu - 3; x <= milieu + 3; ++x)
        for (int y = contacts->height() - 36; y < contacts->height() - 29; ++y) {
            const QColor c = image.pixelColor(x, y);
            if (qGray(c.rgb()) < 140 && c.red() - c.blue() < 40)
                ++encre;
        }
    EXPECT_GT(encre, 0);
}

// Narrowed by its right edge down to its smallest width, each panel keeps every word whole: the
// action buttons take further lines rather than cutting their words, and a count with no room
// beside the bar's buttons reads on a line of its own; nothing overlaps and all stays inside.
TEST_F(InspectorPanels, NarrowedToTheirSmallestWidthThePanelsWordsStillReadWhole)
{
    ASSERT_NO_FATAL_FAILURE(startWithFourteenSelected());

    auto lisible = [](const QWidget* w, const QString& text) {
        return QFontMetrics(w->font()).horizontalAdvance(text) <= w->width() - (qobject_cast<const QLabel*>(w) ? 0 : 4) &&
               w->font().pointSizeF() >= 6.5;
    };
    // The Links panel tall enough under the header views to show its table and its actions.
    values->setValue(QStringLiteral("ZEVInspectLinkH"), 600.0);
    const std::pair<long, const char*> kinds[] = {{kIcons, "ZEVIconViewer"}, {kLinks, "ZEVLinkViewer"}};
    for (const auto& [kind, className] : kinds) {
        ZEVInspectView* p = shownPanelFromMenu(kind, className);
        ASSERT_NE(p, nullptr) << className;
        p->raise();
        const int first = p->width();
        const int smallest = int(p->metrics().minWidth);
        ASSERT_EQ(first, int(p->metrics().initialWidth)) << className;

        // The right edge, right of the bar's last button, dragged left ten points at a time.
        const QPoint grip = p->mapTo(canvas(), QPoint(first - 23, p->height() - 20 - 14));
        auto at = [&](QPoint onCanvas) { return p->mapFrom(canvas(), onCanvas); };
        QTest::mousePress(p, Qt::LeftButton, {}, at(grip));
        const int echecsAvant = ::testing::UnitTest::GetInstance()->current_test_info()->result()->total_part_count();
        std::vector<int> largeurs;
        for (int largeur = first; largeur > smallest; largeur -= 10)
            largeurs.push_back(largeur);
        largeurs.push_back(smallest);
        for (const int largeur : largeurs) {
            QTest::mouseMove(p, at(grip - QPoint(first - largeur, 0)));
            pump(2);
            const std::string ou = QStringLiteral("%1 at width %2").arg(QLatin1String(className)).arg(largeur).toStdString();
            ASSERT_EQ(p->width(), largeur) << ou;
            const QRect contenu(20, 0, p->width() - 40, p->height() - 20);
            std::vector<QWidget*> mots = {p->inspectField()};
            for (ZEVButton* b : {p->btnRecall(), p->btnRetain(), p->btnRelease(), p->btnForget(), p->btnDeselect(),
                                 p->btnEntity(), p->btnFind()})
                if (b && !b->isHidden())
                    mots.push_back(b);
            for (QWidget* m : mots) {
                const QString texte = qobject_cast<QLabel*>(m) ? qobject_cast<QLabel*>(m)->text()
                                                              : static_cast<ZEVButton*>(m)->text();
                EXPECT_TRUE(lisible(m, texte)) << ou << ": " << texte.toStdString();
                EXPECT_TRUE(contenu.contains(m->geometry())) << ou << ": " << texte.toStdString();
                EXPECT_FALSE(m->geometry().intersects(p->inspectTableView()->geometry()))
                    << ou << ": " << texte.toStdString();
            }
            std::vector<QWidget*> tous(mots);
            for (QWidget* c : p->findChildren<ZEVButton*>())
                if (!c->isHidden() && std::find(tous.begin(), tous.end(), c) == tous.end())
                    tous.push_back(c);
            for (std::size_t i = 0; i < tous.size(); ++i)
                for (std::size_t j = i + 1; j < tous.size(); ++j) {
                    const QRect a = tous[i]->geometry(), b = tous[j]->geometry();
                    // The count's label may reach under the room it does not write in.
                    if (tous[i] == p->inspectField() && !tous[j]->geometry().isEmpty()) {
                        const int ecrit = QFontMetrics(tous[i]->font()).horizontalAdvance(p->inspectField()->text());
                        EXPECT_FALSE(QRect(a.topLeft(), QSize(ecrit, a.height())).intersects(b)) << ou;
                        continue;
                    }
                    EXPECT_FALSE(a.intersects(b)) << ou << ": " << tous[i]->objectName().toStdString()
                                                  << " over " << tous[j]->objectName().toStdString();
                }
            // One width's failures tell enough of this panel.
            if (::testing::UnitTest::GetInstance()->current_test_info()->result()->total_part_count() > echecsAvant)
                break;
        }
        QTest::mouseRelease(p, Qt::LeftButton, {}, at(grip - QPoint(first - smallest, 0)));
        pump();
        EXPECT_EQ(p->width(), smallest) << className;
    }
}

// The Links panel opened at its smallest height, under tall header views, is only its bar: its
// mode and action buttons, for which there is no room, show none of their halves above it.
TEST_F(InspectorPanels, ALinksPanelTooShortForItsButtonsShowsNoneOfTheirHalves)
{
    startWithTheBar();
    values->setValue(QStringLiteral("ZEVInspectLinkH"), 28.0);
    openInspectorFromMenu(kLinks);
    ZEVInspectViewer* v = viewer("ZEVLinkViewer");
    ASSERT_NE(v, nullptr);
    ZEVInspectView* p = v->inspectViewIfBuilt();
    ASSERT_TRUE(p && p->isVisible());
    ASSERT_LE(p->height(), int(p->metrics().minHeight) + 30);
    std::vector<ZEVButton*> boutons = {p->btnRecall(), p->btnRetain(), p->btnRelease(), p->btnForget(), p->btnDeselect()};
    for (int m = 0; m < 4; ++m)
        boutons.push_back(p->btnFrontMode(m));
    for (ZEVButton* b : boutons) {
        ASSERT_NE(b, nullptr);
        EXPECT_TRUE(b->geometry().isEmpty() || b->geometry().top() >= 10)
            << b->objectName().toStdString() << " at " << b->geometry().top();
    }
    // The bar's own words stay whole.
    QLabel* count = p->inspectField();
    EXPECT_GT(count->width(), 0);
    EXPECT_LE(QFontMetrics(count->font()).horizontalAdvance(count->text()), count->width());
}

} // namespace
} // namespace e2e
