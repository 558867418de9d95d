#include "tests/e2e/E2EFixture.h"

#include "app/menu/KELMainMenu.h"
#include "desk/model/ZEVDeskClass.h"
#include "desk/model/ZEVItemClass.h"
#include "engine/KELICurseur.h"
#include "engine/KELServeurDeLiens.h"
#include "inspectors/table/ZEVTableView.h"
#include "services/ZEVInspectorServices.h"
#include "objects/view/ZEVItemView.h"
#include "ruler/ZEVRulerViewbar.h"
#include "ruler/ZEVRulerViewer.h"
#include "ruler/ZEVTlineView.h"
#include "space/ZEVConstants.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QGraphicsView>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QWindow>

namespace e2e {

namespace {

// A button a test pressed and never released would stay down for the tests after it (the
// application and the test library both keep the buttons' state), and their moves would be
// drags. After every test it is released on a window of the tests' own, away from the program's.
class ReleaseHeldButtons final : public ::testing::EmptyTestEventListener {
    void OnTestEnd(const ::testing::TestInfo&) override
    {
        if (!QGuiApplication::instance() || QGuiApplication::mouseButtons() == Qt::NoButton)
            return;
        QWindow sink;
        sink.resize(8, 8);
        sink.show();
        for (Qt::MouseButton b : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton})
            if (QGuiApplication::mouseButtons() & b)
                QTest::mouseRelease(&sink, b, {}, QPoint(4, 4));
        QCoreApplication::processEvents();
    }
};

const bool releaseHeldButtonsRegistered = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new ReleaseHeldButtons);
    return true;
}();

} // namespace

void E2E::key(Qt::Key k, Qt::KeyboardModifiers modifiers)
{
    QWidget* target = window();
    ASSERT_NE(target, nullptr);
    // Keys go where the user's go: to the widget that has the focus in the Space window.
    if (QWidget* focus = target->focusWidget())
        target = focus;
    QTest::keyClick(target, k, modifiers);
}

void E2E::click(QWidget* w, QPoint at)
{
    ASSERT_NE(w, nullptr);
    QTest::mouseClick(w, Qt::LeftButton, {}, at.isNull() ? w->rect().center() : at);
    pump();
}

void E2E::chooseInMenu(QMenu* m, QAction* a)
{
    ASSERT_TRUE(m && a && a->isVisible() && a->isEnabled());
    const QPoint p = m->actionGeometry(a).center();
    QTest::mouseMove(m, p);
    QTest::mouseClick(m, Qt::LeftButton, {}, p);
    pump();
}

std::pair<KELDate, double> E2E::placedTimelineSpan()
{
    KELIContexte* tl = space()->tlContexte();
    tl->placeToi();
    const double len = tl->nowOut() - tl->nowIn();
    EXPECT_GT(len, 60);
    return {tl->nowIn(), len};
}

void E2E::restartWithChannelsPanelHeight(int height)
{
    advance(1.0);
    quit();
    values->setValue(QStringLiteral("ZEVInspectChannelH"), height);
    advance(5.0);
    startWithTheBar();
}

QAction* E2E::menuItemTagged(QMenu* m, long tag)
{
    if (!m)
        return nullptr;
    for (QAction* a : m->actions())
        if (a->property("tag").toLongLong() == tag)
            return a;
    return nullptr;
}

void E2E::chooseObjectMenuItem(long tag, const QString& title)
{
    QMenu* m = openMenu(KELMainMenu::kMenuObject);
    ASSERT_NE(m, nullptr);
    QAction* a = menuItemTagged(m, tag);
    ASSERT_NE(a, nullptr) << tag;
    EXPECT_EQ(a->text(), title);
    chooseInMenu(m, a);
    advance(1.0);
}

QMenu* E2E::rightClickIn(QAbstractItemView* list, QPoint at)
{
    QTest::mouseMove(list->viewport(), at);
    QTest::mousePress(list->viewport(), Qt::RightButton, {}, at);
    QTest::mouseRelease(list->viewport(), Qt::RightButton, {}, at);
    return shownPopupMenu();
}

QMenu* E2E::shownPopupMenu()
{
    const auto shown = [] {
        auto* m = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        return m && m->isVisible() ? m : nullptr;
    };
    pumpUntil([&] { return shown() != nullptr; });
    // What the menu's showing posted is delivered too, as a turn after the press would.
    pump();
    return shown();
}

int E2E::rowOfItem(const ZEVTableView* table, const KELI* item)
{
    for (int r = 0; table && r < table->numberOfRows(); ++r)
        if (table->element(r) && table->element(r)->item == item)
            return r;
    return -1;
}

std::array<KELId, 2> E2E::seedTwoSpaces(KELI* channel, const std::array<std::string, 2>& titles,
                                        const std::array<QColor, 2>& colours, KELDate in, double len)
{
    std::array<KELId, 2> made{0, 0};
    KELICurseur* now = space()->nowCurseur();
    KELI* root = KELServeurDeLiens::LienForInt(KELOBJECT_CHANNEL_VIEWER_ROOT, now);
    if (!channel || !root) {
        ADD_FAILURE() << "no Channel to seed";
        return made;
    }
    if (!space()->channelClass()->siChannelActif(channel, now)
        && !KELServeurDeLiens::CreerLienRelInt(KELRELATION_CHANNEL_VIEWER, root, channel, in - len, KELDateOuverte, now))
        ADD_FAILURE() << "the Channel is not listed";
    for (KELId rel : {KELRELATION_IDENTITY_BACK_ITEM, KELRELATION_IDENTITY_BACK_COLOR, KELRELATION_IDENTITY_BACK_SCALE})
        for (KELId id : KELServeurDeLiens::LiensNumDuParentIntRelInt(channel->idInt(), rel).value_or(std::vector<KELId>()))
            if (KELI* l = KELServeurDeLiens::LienForInt(id, now); l && l->inDate() < in && l->outDate() > in)
                l->placeOutDate(in + 0.05 * len, now);
    ZEVItemClass* items = space()->itemClassForCurseur(now);
    KELI* scale = KELServeurDeLiens::LienForInt(KELOBJECT_SCALE_IN, now);
    const KELDate bounds[3] = {in + 0.05 * len, in + 0.5 * len, KELDateOuverte};
    for (int i = 0; i < 2; ++i) {
        KELI* colour = space()->createColorItemWithColor(colours[i], titles[i]);
        KELI* image = items->creerItemWithChannelInt(channel->idInt(), titles[i], "file", "png", 1);
        if (!colour || !image) {
            ADD_FAILURE() << "Space " << titles[i] << " not made";
            return made;
        }
        made[i] = colour->idInt();
        for (auto [rel, child] : {std::pair{KELRELATION_IDENTITY_BACK_ITEM, image},
                                  std::pair{KELRELATION_IDENTITY_BACK_COLOR, colour},
                                  std::pair{KELRELATION_IDENTITY_BACK_SCALE, scale}})
            if (!KELServeurDeLiens::CreerLienRelInt(rel, channel, child, bounds[i], bounds[i + 1], now))
                ADD_FAILURE() << "Space link not written";
    }
    return made;
}

QMenu* E2E::openMenu(int menuTag)
{
    if (!window()) {
        ADD_FAILURE() << "no Space window";
        return nullptr;
    }
    window()->activateWindow();
    pump();
    KELMainMenu* menu = adapter()->mainMenu();
    QMenuBar* bar = menu->menuBar();
    QMenu* m = menu->menuWithTag(menuTag);
    if (!m) {
        ADD_FAILURE() << "no menu " << menuTag;
        return nullptr;
    }
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(m->menuAction()).center());
    pumpUntil([m] { return m->isVisible(); });
    pump();
    if (!m->isVisible()) {
        ADD_FAILURE() << "the menu did not open";
        return nullptr;
    }
    return m;
}

void E2E::chooseMenuItem(int menuTag, long itemTag)
{
    QMenu* m = openMenu(menuTag);
    ASSERT_NE(m, nullptr);
    QAction* item = adapter()->mainMenu()->item(menuTag, itemTag);
    ASSERT_TRUE(item && item->isEnabled()) << "item " << itemTag << " is not enabled";
    QTest::mouseClick(m, Qt::LeftButton, {}, m->actionGeometry(item).center());
    pump();
}

void E2E::chooseMenuItemTitled(int menuTag, const QString& title)
{
    QMenu* m = openMenu(menuTag);
    ASSERT_NE(m, nullptr);
    QAction* item = nullptr;
    for (QAction* a : m->actions())
        if (a->text().remove('&') == title)
            item = a;
    ASSERT_NE(item, nullptr) << title.toStdString();
    ASSERT_TRUE(item->isEnabled()) << title.toStdString() << " is disabled";
    QTest::mouseClick(m, Qt::LeftButton, {}, m->actionGeometry(item).center());
    pump();
}

ZEVRulerViewer* E2E::ruler() const
{
    return space() ? dynamic_cast<ZEVRulerViewer*>(space()->rulerViewer()) : nullptr;
}

ZEVRulerViewbar* E2E::bar() const
{
    return ruler() ? dynamic_cast<ZEVRulerViewbar*>(ruler()->rulerViewbar()) : nullptr;
}

ZEVTlineView* E2E::strip() const
{
    return ruler() ? dynamic_cast<ZEVTlineView*>(ruler()->tlineView()) : nullptr;
}

void E2E::startWithTheBar()
{
    start();
    values->setValue("ZEVShowZevMenu", true);
    // The bar slides in.
    advance(1);
    window()->activateWindow();
    pump();
    ASSERT_TRUE(bar() && bar()->isVisible());
}

QWidget* E2E::canvas() const
{
    return window() ? window()->spaceView()->deskCanvas()->viewport() : nullptr;
}

ZEVItemView* E2E::viewTitled(const QString& title) const
{
    if (ZEVDeskViewer* d = nowDesk())
        for (ZEVItemViewForDesks* v : d->itemViewSet())
            if (v->itemTitle() == title)
                return dynamic_cast<ZEVItemView*>(v);
    return nullptr;
}

QStringList E2E::addHomeFiles(const QStringList& names, double seconds)
{
    QStringList paths;
    for (const QString& name : names) {
        QFile f(home + "/" + name);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly)) << "cannot write " << name.toStdString();
        f.write(name.toUtf8());
        paths << f.fileName();
    }
    addFiles(paths, seconds);
    return paths;
}

ZEVItemView* E2E::lastNowObjectView() const
{
    ZEVItemView* view = nullptr;
    for (ZEVItemViewForDesks* v : nowDesk()->itemViewSet())
        if (auto* iv = dynamic_cast<ZEVItemView*>(v); iv && v->item())
            view = iv;
    return view;
}

std::vector<ZEVItemViewForDesks*> E2E::viewsTitled(const QStringList& titles) const
{
    std::vector<ZEVItemViewForDesks*> views;
    if (ZEVDeskViewer* d = nowDesk())
        for (const QString& title : titles)
            for (ZEVItemViewForDesks* v : d->itemViewSet())
                if (v->itemTitle() == title)
                    views.push_back(v);
    return views;
}

std::vector<KELI*> E2E::itemsTitled(const QStringList& titles) const
{
    std::vector<KELI*> items;
    for (ZEVItemViewForDesks* v : viewsTitled(titles))
        items.push_back(v->item());
    return items;
}

void E2E::openInspectorFromMenu(long kind, double seconds)
{
    chooseMenuItem(KELMainMenu::kMenuInspectors, kind);
    advance(seconds);
}

QPoint E2E::onScreen(const QRectF& sceneRect) const
{
    auto* view = qobject_cast<QGraphicsView*>(canvas()->parentWidget());
    return view ? view->mapFromScene(sceneRect.center()) : QPoint();
}

void E2E::doubleClickPicture(ZEVItemView* v)
{
    ASSERT_NE(v, nullptr);
    const QPoint p = canvas()->mapTo(window(), onScreen(v->itemImageView()->sceneBoundingRect()));
    QTest::mouseDClick(window()->windowHandle(), Qt::LeftButton, {}, p);
    pump();
}

void E2E::scrubStrip(ZEVTlineView* strip, KELDate from, KELDate to)
{
    ASSERT_NE(strip, nullptr);
    const QPoint a(int(strip->pointForDate(from).x()), 8), b(int(strip->pointForDate(to).x()), 8);
    QTest::mousePress(strip, Qt::LeftButton, {}, a);
    QTest::mouseMove(strip, (a + b) / 2);
    QTest::mouseMove(strip, b);
    QTest::mouseRelease(strip, Qt::LeftButton, {}, b);
    advance(0.5);
}

std::pair<KELI*, double> E2E::fileIconShownForAnHour(const QString& name)
{
    const QString path = home + "/" + name;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(name.toUtf8()) < 0) {
        ADD_FAILURE() << "cannot write " << path.toStdString();
        return {nullptr, 0};
    }
    f.close();
    if (secondStart({path}) != 0) {
        ADD_FAILURE() << "the second start did not hand " << path.toStdString() << " over";
        return {nullptr, 0};
    }
    const double added = clock.now();
    KELI* item = nullptr;
    for (ZEVItemViewForDesks* v : nowDesk()->itemViewSet())
        if (v->item() && v->itemTitle() == name)
            item = v->item();
    if (!item) {
        ADD_FAILURE() << name.toStdString() << " has no icon on the Now desk";
        return {nullptr, added};
    }
    advance(3600);
    space()->deskClassForCurseur(space()->nowCurseur())->releaseIconForItem(item);
    advance(2 * 3600);
    return {item, added};
}

} // namespace e2e
