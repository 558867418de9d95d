// The Object and Edit menus as a person opens them, with the desk, the Icons panel or another
// panel holding the keys, at Now and at Search: each item reads what its command would take and
// is enabled exactly when it takes something, whichever panel had the keys before. The Icons
// panel's temporal buttons, the toolbar's edit menu and its preview button agree with the menus.

#include "tests/e2e/E2EFixture.h"

#include "app/menu/KELMainMenu.h"
#include "engine/KELICurseur.h"
#include "front/ZEVFrontBars.h"
#include "front/ZEVFrontViewer.h"
#include "inspectors/base/ZEVInspectView.h"
#include "inspectors/base/ZEVInspectViewer.h"
#include "inspectors/table/ZEVTableModel.h"
#include "inspectors/table/ZEVTableView.h"
#include "objects/view/ZEVItemView.h"
#include "space/ZEVSelections.h"
#include "space/ZEVSpacePreview.h"
#include "widgets/ZEVButton.h"
#include "widgets/ZEVPreviewWindow.h"

#include <QApplication>
#include <QGraphicsView>
#include <QMenu>
#include <QTest>

#include <array>
#include <map>

namespace e2e {
namespace {

constexpr long kCloseAll = 50;

struct Item {
    QString text;
    bool enabled = false;
    bool visible = false;
};
using Items = std::map<long, Item>;

class ObjectEditMenus : public E2E {
protected:
    void TearDown() override
    {
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
        E2E::TearDown();
    }
    ZEVFrontViewer* front() const { return dynamic_cast<ZEVFrontViewer*>(space()->frontViewer()); }
    ZEVInspectViewer* icons() const
    {
        return dynamic_cast<ZEVInspectViewer*>(space()->viewerForEntityClassName("ZEVIconViewer"));
    }
    ZEVTableView* iconsTable() const
    {
        ZEVInspectView* v = icons() ? icons()->inspectViewIfBuilt() : nullptr;
        return v ? v->inspectTableView() : nullptr;
    }
    // The items of a menu, its submenus' too, as they read once it opened.
    static Items noter(QMenu* m)
    {
        Items out;
        for (QAction* a : m->actions()) {
            if (const long t = a->property("tag").toLongLong(); t != 0 && !a->isSeparator())
                out.emplace(t, Item{a->text(), a->isEnabled(), a->isVisible()});
            if (a->menu())
                for (auto& [t, item] : noter(a->menu()))
                    out.emplace(t, item);
        }
        return out;
    }
    // A menu of the bar opened with the mouse, read and closed.
    Items lire(int menuTag)
    {
        QMenu* m = openMenu(menuTag);
        if (!m)
            return {};
        const Items out = noter(m);
        m->close();
        pump();
        return out;
    }
    static void voir(const Items& vus, long tag, const char* text, bool enabled, bool visible = true)
    {
        ASSERT_TRUE(vus.count(tag)) << "no item " << tag;
        const Item& i = vus.at(tag);
        EXPECT_EQ(i.visible, visible) << tag << " " << text;
        if (!visible)
            return;
        EXPECT_EQ(i.text.toStdString(), text) << tag;
        EXPECT_EQ(i.enabled, enabled) << tag << " " << text;
    }
    static void cache(const Items& vus, std::initializer_list<long> tags)
    {
        for (long t : tags) {
            ASSERT_TRUE(vus.count(t)) << t;
            EXPECT_FALSE(vus.at(t).visible) << t << " " << vus.at(t).text.toStdString();
        }
    }
    // A click on an Object's picture: the desk takes the keys and the Object is selected.
    void cliquer(const QString& title)
    {
        ZEVItemView* v = viewTitled(title);
        ASSERT_NE(v, nullptr) << title.toStdString();
        auto* view = qobject_cast<QGraphicsView*>(canvas()->parentWidget());
        QTest::mouseClick(canvas(), Qt::LeftButton, {},
                          view->mapFromScene(v->itemImageView()->sceneBoundingRect().center()));
        advance(0.5);
    }
    void clickRow(KELI* item, Qt::KeyboardModifiers modifiers = {})
    {
        ZEVTableView* t = iconsTable();
        const int row = rowOfItem(t, item);
        ASSERT_GE(row, 0);
        QTest::mouseClick(t->viewport(), Qt::LeftButton, modifiers, t->visualRect(t->tableModel()->index(row, 5)).center());
        advance(0.5);
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
    // Recall, Retain, Release and Forget on the Icons panel.
    std::array<bool, 4> boutons() const
    {
        ZEVInspectView* v = icons()->inspectViewIfBuilt();
        return {v->btnRecall()->isEnabled(), v->btnRetain()->isEnabled(), v->btnRelease()->isEnabled(),
                v->btnForget()->isEnabled()};
    }
    // The toolbar's edit menu, popped by its button, read and closed.
    Items menuDeLaBarreDOutils()
    {
        ZEVButton* edit = front()->toolbar()->button(QStringLiteral("btnActionEdit"));
        if (!edit || !edit->isVisible() || !edit->isEnabled()) {
            ADD_FAILURE() << "no edit button to press";
            return {};
        }
        QTest::mouseClick(edit, Qt::LeftButton, {}, edit->rect().center());
        pump();
        auto* m = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!m) {
            ADD_FAILURE() << "the edit button popped no menu";
            return {};
        }
        const Items out = noter(m);
        m->close();
        pump();
        return out;
    }
    // The temporal items the toolbar's menu and the Edit menu both carry are enabled alike.
    void memeActivation(const Items& barre, const Items& edit)
    {
        for (long t : {6L, 65L, 62L, 63L, 4L, 5L, 2L, 3L}) {
            ASSERT_TRUE(barre.count(t) && edit.count(t)) << t;
            EXPECT_EQ(barre.at(t).enabled, edit.at(t).enabled) << "item " << t << " of the toolbar's edit menu";
        }
    }
};

TEST_F(ObjectEditMenus, TheMenusReadTheDeskOrTheFocusedPanelAtNowAndSearchWhateverPanelCameBefore)
{
    start();
    if (front()->siToolbarClosed())
        front()->userToggleToolbar();
    const double avant = space()->nowCurseur()->now();
    addHomeFiles({QStringLiteral("a.txt"), QStringLiteral("b.txt")});
    advance(60.0);
    const std::vector<KELI*> items = itemsTitled({QStringLiteral("a.txt"), QStringLiteral("b.txt")});
    ASSERT_EQ(items.size(), 2u);

    // The Images panel had the keys: its own words.
    openInspectorFromMenu(kImages);
    Items object = lire(KELMainMenu::kMenuObject);
    voir(object, 4333, "Handle Images", true);
    chooseMenuItem(KELMainMenu::kMenuInspectors, kCloseAll);
    advance(1.0);

    // The desk, a text file selected, at Now: the desk's words, nothing left of the Images panel.
    cliquer(QStringLiteral("a.txt"));
    ASSERT_EQ(space()->selections().selectedIconItems(), std::vector<KELI*>{items[0]});
    object = lire(KELMainMenu::kMenuObject);
    voir(object, 1, "Open 1 Object", true);
    voir(object, 31, "Add Documents\u2026", true);
    voir(object, 32, "Find Objects", true);
    voir(object, 7, "Filter 1 Object", true);
    voir(object, 13, "Remove 1 Object", true);
    voir(object, 4333, "Handle Objects", true);
    for (const auto& [tag, item] : object)
        EXPECT_FALSE(item.text.contains(QStringLiteral("Image"))) << tag << " " << item.text.toStdString();
    Items edit = lire(KELMainMenu::kMenuEdit);
    voir(edit, 6, "Recall Now", false);
    voir(edit, 65, "Retain Now", false);
    voir(edit, 62, "Release Now", true);
    voir(edit, 63, "Forget Now", true);
    for (long t : {4L, 5L, 2L, 3L})
        EXPECT_FALSE(edit.at(t).enabled) << "the Search items at Now: " << t;
    memeActivation(menuDeLaBarreDOutils(), edit);

    // The Icons panel takes the keys: its buttons and menus follow its rows.
    chooseMenuItem(KELMainMenu::kMenuObject, kIcons);
    advance(1.0);
    ASSERT_NE(iconsTable(), nullptr);
    space()->selections().deselectAllIcons();
    advance(0.5);
    ASSERT_TRUE(icons()->siFirstResponder());
    EXPECT_EQ(boutons(), (std::array<bool, 4>{false, false, false, false})) << "nothing selected";
    object = lire(KELMainMenu::kMenuObject);
    voir(object, 1, "Open (no Icon)", false);
    voir(object, 13, "Remove Objects", false);
    voir(object, 7, "Filter (no Icon)", false);
    voir(object, 31, "Add Documents\u2026", true);
    voir(object, 32, "Find Objects", true);
    clickRow(items[0]);
    clickRow(items[1], Qt::ControlModifier);
    ASSERT_EQ(space()->selections().selectedIconItems().size(), 2u);
    EXPECT_EQ(boutons(), (std::array<bool, 4>{false, false, true, true})) << "two Objects on the desk";
    object = lire(KELMainMenu::kMenuObject);
    voir(object, 1, "Open 2 Objects", true);
    voir(object, 13, "Remove 2 Objects", true);
    voir(object, 7, "Filter 2 Objects", true);
    voir(object, 4333, "Handle Objects", true);
    edit = lire(KELMainMenu::kMenuEdit);
    voir(edit, 6, "Recall", false);
    voir(edit, 65, "Retain", false);
    voir(edit, 62, "Release 2 Objects", true);
    voir(edit, 63, "Forget 2 Objects", true);
    cache(edit, {4, 5, 2, 3});

    // At Search, before the files came: the Search column, the buttons as its items.
    moveSearchTo(avant - 3600.0);
    ASSERT_EQ(space()->actifCurseur(), space()->searchCurseur());
    ASSERT_TRUE(icons()->siFirstResponder());
    EXPECT_EQ(boutons(), (std::array<bool, 4>{true, true, false, false})) << "nothing of them at Search";
    edit = lire(KELMainMenu::kMenuEdit);
    cache(edit, {6, 65, 62, 63});
    voir(edit, 4, "Recall 2 Objects", true);
    voir(edit, 5, "Retain 2 Objects", true);
    voir(edit, 2, "Release", false);
    voir(edit, 3, "Forget", false);

    // The Files panel at Search: its own layout and words, none of them its Objects.
    openInspectorFromMenu(kFiles);
    object = lire(KELMainMenu::kMenuObject);
    voir(object, 31, "Add Files\u2026", true);
    voir(object, 32, "Find Files", true);
    voir(object, 1, "Open (no File)", false);
    voir(object, 4333, "Handle Files", true);
    edit = lire(KELMainMenu::kMenuEdit);
    cache(edit, {6});
    for (const auto& [tag, text] : std::vector<std::pair<long, const char*>>{
             {4, "Recall"}, {5, "Retain"}, {2, "Release"}, {3, "Forget"}})
        voir(edit, tag, text, false);

    // No panel at Search: the desk's words again, the Search items by what they would take.
    chooseMenuItem(KELMainMenu::kMenuInspectors, kCloseAll);
    advance(1.0);
    object = lire(KELMainMenu::kMenuObject);
    const Items bureau = object;
    voir(object, 1, "Open 2 Objects", true);
    voir(object, 31, "Add Documents\u2026", true);
    voir(object, 4333, "Handle Objects", true);
    edit = lire(KELMainMenu::kMenuEdit);
    // Nothing of the selection to recall at Now, yet Recall Now brings the Now cursor back.
    voir(edit, 6, "Recall Now", true);
    voir(edit, 65, "Retain Now", false);
    voir(edit, 62, "Release Now", false);
    voir(edit, 4, "Recall Search", true);
    voir(edit, 5, "Retain Search", true);
    voir(edit, 2, "Release Search", false);
    voir(edit, 3, "Forget Search", false);
    memeActivation(menuDeLaBarreDOutils(), edit);

    // Every other panel in turn: each words the menus its own way, and leaves nothing behind.
    for (long kind : {kLinks, kContacts, kImages, kFiles}) {
        SCOPED_TRACE(kind);
        openInspectorFromMenu(kind);
        const Items sien = lire(KELMainMenu::kMenuObject);
        EXPECT_NE(sien.at(31).text, bureau.at(31).text) << "the panel has its own Add";
        chooseMenuItem(KELMainMenu::kMenuInspectors, kCloseAll);
        advance(1.0);
        const Items apres = lire(KELMainMenu::kMenuObject);
        for (long t : {1L, 31L, 32L, 7L, 13L, 4333L, 21L, 20L, 23L, 22L, 25L, 24L}) {
            ASSERT_TRUE(apres.count(t)) << t;
            EXPECT_EQ(apres.at(t).text, bureau.at(t).text) << t;
            EXPECT_EQ(apres.at(t).enabled, bureau.at(t).enabled) << t;
        }
    }
}

TEST_F(ObjectEditMenus, QuickLookIsOfferedAlikeByTheObjectMenuAndTheToolbarButton)
{
    start();
    if (front()->siToolbarClosed())
        front()->userToggleToolbar();
    window()->resize(1400, 900);
    addHomeFiles({QStringLiteral("one.txt"), QStringLiteral("two.txt")});
    advance(1.0);
    const std::vector<KELI*> items = itemsTitled({QStringLiteral("one.txt"), QStringLiteral("two.txt")});
    ASSERT_EQ(items.size(), 2u);
    cliquer(QStringLiteral("one.txt"));
    space()->selections().selectIconForItemSet(items, nullptr);
    advance(0.5);
    ZEVButton* ql = front()->toolbar()->button(QStringLiteral("btnActionToggleQL"));
    ASSERT_NE(ql, nullptr);
    ASSERT_GE(front()->toolbar()->width(), 870) << "a toolbar wide enough for the button";
    EXPECT_TRUE(ql->isVisible()) << "the button offers the two";
    Items object = lire(KELMainMenu::kMenuObject);
    voir(object, 523, "Quick Look", true);

    // The menu's command previews what the button would: the two, one at a time.
    chooseMenuItem(KELMainMenu::kMenuObject, 523);
    advance(0.5);
    ASSERT_TRUE(window()->siPreviewPanelVisible());
    ZEVPreviewWindow* w = window()->preview().window();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->entries().size(), 2u);
    EXPECT_EQ(ql->state(), 1);
    // The button closes it, and the menu's item still offers to show it again.
    QTest::mouseClick(ql, Qt::LeftButton, {}, ql->rect().center());
    advance(0.5);
    EXPECT_FALSE(window()->siPreviewPanelVisible());
    object = lire(KELMainMenu::kMenuObject);
    voir(object, 523, "Quick Look", true);

    // Nothing selected: neither offers it.
    space()->selections().deselectAllIcons();
    advance(0.5);
    EXPECT_FALSE(ql->isVisible());
    object = lire(KELMainMenu::kMenuObject);
    voir(object, 523, "Quick Look", false);
}


TEST_F(ObjectEditMenus, InLinkModeRemoveLinksStaysOffWhileTheHandleSubmenuIsOpenWithNoLinkSelected)
{
    start();
    addHomeFiles({QStringLiteral("a.txt"), QStringLiteral("b.txt")});
    chooseMenuItem(KELMainMenu::kMenuModes, 4);
    advance(1.0);
    ASSERT_EQ(front()->frontMode(), ZEVFrontModeLinks);
    // Two Objects are selected as nodes; no link between them exists, so none is selected.
    cliquer(QStringLiteral("a.txt"));
    ZEVItemView* b = viewTitled(QStringLiteral("b.txt"));
    ASSERT_NE(b, nullptr);
    auto* view = qobject_cast<QGraphicsView*>(canvas()->parentWidget());
    QTest::mouseClick(canvas(), Qt::LeftButton, Qt::ControlModifier,
                      view->mapFromScene(b->itemImageView()->sceneBoundingRect().center()));
    advance(0.5);
    ASSERT_EQ(space()->selections().selectedNodeItemSet().size(), 2u);
    ASSERT_TRUE(space()->selections().selectedLinks().empty());

    QMenu* m = openMenu(KELMainMenu::kMenuObject);
    ASSERT_NE(m, nullptr);
    QAction* remove = menuItemTagged(m, 13);
    ASSERT_NE(remove, nullptr);
    EXPECT_EQ(remove->text().toStdString(), "Remove Links");
    EXPECT_FALSE(remove->isEnabled());
    // The pointer goes on to Handle, whose submenu opens: Remove still has nothing to take.
    QAction* handle = menuItemTagged(m, 4333);
    ASSERT_TRUE(handle && handle->menu());
    m->setActiveAction(handle);
    QTest::keyClick(m, Qt::Key_Right);
    ASSERT_TRUE(pumpUntil([&] { return handle->menu()->isVisible(); }));
    EXPECT_EQ(remove->text().toStdString(), "Remove Links");
    EXPECT_FALSE(remove->isEnabled()) << "Remove Links offered with no link selected";
    handle->menu()->close();
    m->close();
    pump();
}


TEST_F(ObjectEditMenus, CutAndCopyAreOfferedOnlyWhenTheyHaveObjectsToTake)
{
    start();
    addHomeFiles({QStringLiteral("a.txt")});
    chooseMenuItem(KELMainMenu::kMenuEdit, 104);
    advance(1.0);
    ASSERT_TRUE(space()->selections().selectedIconItems().empty());
    const auto cutAndCopy = [this] {
        const Items edit = lire(KELMainMenu::kMenuEdit);
        return std::pair{edit.at(100).enabled, edit.at(101).enabled};
    };
    // Nothing selected: nothing to cut or copy.
    EXPECT_EQ(cutAndCopy(), std::pair(false, false));
    cliquer(QStringLiteral("a.txt"));
    EXPECT_EQ(cutAndCopy(), std::pair(true, true));
    // Links are not copied: the Link tool offers neither, whatever Objects are selected.
    chooseMenuItem(KELMainMenu::kMenuModes, 4);
    advance(1.0);
    ASSERT_EQ(front()->frontMode(), ZEVFrontModeLinks);
    EXPECT_EQ(cutAndCopy(), std::pair(false, false));
    chooseMenuItem(KELMainMenu::kMenuModes, 1);
    advance(1.0);
    EXPECT_EQ(cutAndCopy(), std::pair(true, true));
}


TEST_F(ObjectEditMenus, WhileTheIconsPanelShowsTheEditMenuCountsTheDesksSelectionThoughTheDeskHasTheKeys)
{
    start();
    addHomeFiles({QStringLiteral("a.txt")});
    openInspectorFromMenu(kIcons);
    ASSERT_NE(iconsTable(), nullptr);
    // The desk takes the keys back; the panel stays open beside it.
    cliquer(QStringLiteral("a.txt"));
    ASSERT_FALSE(icons()->siFirstResponder());
    ASSERT_EQ(space()->selections().selectedIconItems().size(), 1u);
    Items edit = lire(KELMainMenu::kMenuEdit);
    voir(edit, 6, "Recall", false);
    voir(edit, 65, "Retain", false);
    voir(edit, 62, "Release 1 Object", true);
    voir(edit, 63, "Forget 1 Object", true);
    cache(edit, {4, 5, 2, 3});
    // Panel closed: the plain words of the Now and Search commands.
    chooseMenuItem(KELMainMenu::kMenuInspectors, kCloseAll);
    advance(1.0);
    edit = lire(KELMainMenu::kMenuEdit);
    voir(edit, 62, "Release Now", true);
    voir(edit, 2, "Release Search", false);
}

} // namespace
} // namespace e2e
