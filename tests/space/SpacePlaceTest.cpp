// The Space's places on the template link base: a zevp string written and opened again, the
// refusals of the reader, the history and its titles, colour items, the filter combination and
// the ruler's presets.

#include "tests/space/SpaceFixture.h"

#include "engine/KELElements.h"
#include "services/ZEVInspectorServices.h"
#include "platform/sound/Sound.h"
#include "runtime/Log.h"
#include "space/ZEVZevpURL.h"

#include "ruler/ZEVMarkScannPanel.h"

#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <cmath>

using namespace spacetest;
using namespace tallomer;

namespace {

class Places : public Space {
protected:
    void SetUp() override
    {
        Space::SetUp();
        Sound::setShared(&sound);
        build();
        take();
    }
    void TearDown() override
    {
        Space::TearDown();
        Sound::setShared(nullptr);
    }

    ZEVRulerViewer* ruler() { return host.rulerViewer; }
    KELICurseur* search() { return space->searchCurseur(); }
    // Moves the Search cursor by d as the ruler does.
    void moveSearch(double d)
    {
        ASSERT_TRUE(ruler()->userChangeActifCurseur(search()) || space->actifCurseur() == search());
        ASSERT_TRUE(ruler()->userInitieDeplacementCurseur());
        ruler()->userPlaceCurseur(d);
        ruler()->userTermineDeplacementCurseur();
    }
    std::size_t marks() { return space->markHistoryViewer()->markObjects().size(); }
    KELI* newObject()
    {
        KELI* model = KELServeurDeLiens::LienForInt(KELMODEL_ITEM, timeline);
        return KELServeurDeLiens::CreerLienRelInt(KELRELATION_ITEM, nullptr, model, KELDateToujours, KELDateOuverte,
                                                  timeline);
    }

    RecordingSound sound;
};

TEST_F(Places, APlaceWrittenIsReachedAgainAndRecordedOnce)
{
    const double s0 = search()->now();
    moveSearch(-3600);
    const QString place = space->zevpStringForItems(nullptr, false);
    const double rIn = space->tlContexte()->offsetIn(), rOut = space->tlContexte()->offsetOut();
    ASSERT_TRUE(place.contains("c=search"));
    const std::size_t avant = marks();

    // Elsewhere, on the Now desk.
    moveSearch(+7200);
    ruler()->userChangeActifCurseur(space->nowCurseur());
    take();
    space->openZevpURL(place);
    EXPECT_EQ(space->actifCurseur(), search());
    EXPECT_NEAR(search()->now(), s0 - 3600, 0.01);
    EXPECT_NEAR(space->tlContexte()->offsetIn(), rIn, 0.01);
    EXPECT_NEAR(space->tlContexte()->offsetOut(), rOut, 0.01);
    EXPECT_EQ(space->zevpStringForItems(nullptr, false), place);
    EXPECT_EQ(take().front(), "channels select 2000018");
    EXPECT_EQ(space->markHistoryViewer()->markObjects().front()->zevpString(), place);

    // The newest mark opened again adds none.
    const std::size_t n = marks();
    EXPECT_LE(n, avant + 3);
    space->openZevpURL(place);
    EXPECT_EQ(marks(), n);
    EXPECT_EQ(sound.beeps, 0);
}

TEST_F(Places, RefusedPlacesMoveNothingAndTheRestOfAPlaceStillApplies)
{
    KELI* objet = newObject();
    ASSERT_NE(objet, nullptr);
    const double s0 = search()->now();
    const QString tail = "&con=" + QString::number(s0 - 600, 'f', 2) + "&coi=-60.00&roi=-7200.00&roo=3600.00";
    ScopedLogCapture log;

    // A Channel the Space does not list is not made current: nothing moves, the place is still
    // recorded unless it comes from the history.
    channels->listed = {KELOBJECT_HOME_CHANNEL};
    space->openZevpURL("zevp://local/2000001?c=search&m=0" + tail);
    EXPECT_TRUE(log.sink.contains("2000001 is not a Channel of the Space"));
    EXPECT_EQ(search()->now(), s0);
    EXPECT_EQ(space->currentChannelInt(), KELOBJECT_HOME_CHANNEL);
    EXPECT_EQ(take(), (Trace{"history mark"}));
    space->openZevpURL("zevp://local/2000001?c=search&m=0" + tail, true);
    EXPECT_EQ(take(), Trace{});
    EXPECT_TRUE(space->siAddToHistory() == false) << "the history's caller sets recording on again";
    space->setSiAddToHistory(true);

    // Objects among other ids; a cursor part that is no place beeps and moves nothing.
    space->openZevpURL("zevp://local/2000018?c=search&m=0&o=" + QString::number(objet->idInt()) +
                       ",2000018,999999999,x&con=nan&coi=0&roi=0&roo=0");
    EXPECT_EQ(sound.beeps, 1);
    EXPECT_EQ(search()->now(), s0);
    EXPECT_EQ(space->selections().selectedIconItems(), std::vector<KELI*>{objet});

    // The ruler in a move refuses the cursor part, with a beep; without "o" all is deselected.
    ASSERT_TRUE(ruler()->userInitieDeplacementCurseur());
    space->openZevpURL("zevp://local/2000018?c=search&m=0" + tail);
    ruler()->userTermineDeplacementCurseur();
    EXPECT_EQ(sound.beeps, 2);
    EXPECT_EQ(search()->now(), s0);
    EXPECT_TRUE(space->selections().selectedIconItems().empty());

    // A range turned over is not taken; the cursor still moves.
    space->openZevpURL("zevp://local/2000018?c=search&m=0&con=" + QString::number(s0 - 600, 'f', 2) +
                       "&coi=-60&roi=500&roo=-500");
    EXPECT_NEAR(search()->now(), s0 - 600, 0.01);
    EXPECT_LT(space->tlContexte()->offsetIn(), space->tlContexte()->offsetOut());
}

TEST_F(Places, HistoryTitlesAreCutAt35CharactersWithoutSplittingACharacter)
{
    auto* desk = dynamic_cast<FakeDesk*>(space->deskForCurseur(space->nowCurseur()));
    ASSERT_NE(desk, nullptr);
    struct Row {
        std::string back;
        QString title;
    };
    const QString grin = QString::fromUtf8("\xF0\x9F\x98\x80"); // two UTF-16 units
    const Row rows[] = {
        {std::string(35, 'a'), QString(35, u'a')},
        {std::string(36, 'b'), QString(35, u'b') + QChar(0x2026)},
        {std::string(40, 'c'), QString(35, u'c') + QChar(0x2026)},
        {std::string(34, 'd') + "\xF0\x9F\x98\x80" + "ddd", QString(34, u'd') + QChar(0x2026)},
        {std::string(33, 'e') + "\xF0\x9F\x98\x80" + "eee", QString(33, u'e') + grin + QChar(0x2026)},
    };
    for (const Row& r : rows) {
        desk->backName = r.back;
        space->userDeleteHistory();
        ASSERT_EQ(marks(), 1u);
        const ZEVMarkObject* m = space->markHistoryViewer()->markObjects().front();
        EXPECT_EQ(m->spaceTitle(), r.title) << r.back;
        EXPECT_EQ(m->channelTitle(), "Home");
        EXPECT_EQ(m->channelInt(), KELOBJECT_HOME_CHANNEL);
    }
}

TEST_F(Places, TheHistoryStepsBackThroughItsMarksAndReturns)
{
    const double s0 = search()->now();
    space->userDeleteHistory();
    for (int k = 1; k <= 3; ++k)
        moveSearch(-600);
    ASSERT_EQ(marks(), 4u);
    const double ici = search()->now();
    QMenu menu;
    menu.addAction("Clear History");
    space->addZevStoryToMenu(&menu, 0, 80);
    ASSERT_EQ(menu.actions().size(), 4);
    EXPECT_EQ(menu.actions().at(0)->data().toInt(), 1);
    EXPECT_EQ(menu.actions().at(2)->data().toInt(), 3);
    EXPECT_FALSE(space->initialZevpString().isEmpty());
    space->menuHistoryDidClose();

    // The stroll runs its panel modally: the steps are the panel's keys, Meta with the arrows.
    ZEVMarkHistoryViewer& h = static_cast<TracingHistory*>(space->markHistoryViewer())->history;
    bool ran = false;
    QTimer::singleShot(0, [&] {
        ran = true;
        ZEVMarkScannPanel* panel = h.scannPanel();
        ASSERT_NE(panel, nullptr);
        EXPECT_TRUE(panel->isModal());
        EXPECT_EQ(h.scannIndex(), 1);
        EXPECT_TRUE(panel->message().startsWith(QString::fromUtf8("1 \u2013 Home | "))) << panel->message().toStdString();
        EXPECT_NEAR(search()->now(), s0 - 1200, 0.01);
        QTest::keyClick(panel, Qt::Key_Down, Qt::MetaModifier);
        EXPECT_NEAR(search()->now(), s0 - 600, 0.01);
        EXPECT_TRUE(panel->message().startsWith("2 "));
        QTest::keyClick(panel, Qt::Key_Down, Qt::MetaModifier);
        EXPECT_EQ(space->actifCurseur(), space->nowCurseur()) << "the oldest mark, on the Now desk";
        QTest::keyClick(panel, Qt::Key_Down, Qt::MetaModifier);
        EXPECT_EQ(sound.played, QStringList{"Tink"});
        EXPECT_EQ(h.scannIndex(), 3);
        EXPECT_EQ(marks(), 4u) << "previews record nothing";
        for (int k = 0; k < 3; ++k)
            QTest::keyClick(panel, Qt::Key_Up, Qt::MetaModifier);
    });
    space->menuHistoryPrevious();
    EXPECT_TRUE(ran);
    EXPECT_EQ(h.scannPanel(), nullptr);
    EXPECT_EQ(h.scannIndex(), 0);
    EXPECT_NEAR(search()->now(), ici, 0.01) << "newer than the newest mark is where the stroll began";
    EXPECT_TRUE(space->initialZevpString().isEmpty());
    EXPECT_EQ(marks(), 4u);

    // Select keeps the mark shown, which comes to the front.
    QTimer::singleShot(0, [&] {
        ZEVMarkScannPanel* panel = h.scannPanel();
        ASSERT_NE(panel, nullptr);
        QTest::keyClick(panel, Qt::Key_Down, Qt::MetaModifier);
        panel->selectButton()->click();
    });
    space->menuHistoryPrevious();
    EXPECT_NEAR(search()->now(), s0 - 600, 0.01);
    EXPECT_EQ(marks(), 4u);
    EXPECT_EQ(space->markHistoryViewer()->markObjects().front()->zevpString(), space->zevpStringForItems(nullptr, false));
    // Cancel returns.
    QTimer::singleShot(0, [&] { h.scannPanel()->cancelButton()->click(); });
    space->menuHistoryPrevious();
    EXPECT_NEAR(search()->now(), s0 - 600, 0.01);
    EXPECT_TRUE(space->initialZevpString().isEmpty());

    // Going to a listed mark brings it to the front.
    space->userGotoHistory(2);
    EXPECT_NEAR(search()->now(), s0 - 1200, 0.01);
    EXPECT_EQ(space->markHistoryViewer()->markObjects().front()->zevpString(), space->zevpStringForItems(nullptr, false));
    EXPECT_TRUE(space->siAddToHistory());
    EXPECT_EQ(marks(), 4u);
}

TEST_F(Places, TheHistoryKeepsAtMost501MarksNewestFirstEachPlaceOnce)
{
    ZEVMarkHistoryViewer h(*space);
    auto mark = [](int i) {
        const QString key = QString("zevp://local/1?c=now&m=%1").arg(i);
        return std::pair(std::make_unique<ZEVMarkObject>(key, QImage(), 1, "C", "S"), key);
    };
    for (int i = 0; i < 502; ++i) {
        auto [m, key] = mark(i);
        h.addMarkObject(std::move(m), key);
    }
    EXPECT_EQ(h.count(), 501u);
    EXPECT_EQ(h.markObjectForZevpString(mark(0).second), nullptr) << "the oldest went";
    EXPECT_EQ(h.markObjects().front()->zevpString(), mark(501).second);
    ZEVMarkObject* m5 = h.markObjectForZevpString(mark(5).second);
    h.selectMarkObject(m5);
    EXPECT_EQ(h.markObjects().front(), m5);
    EXPECT_EQ(h.count(), 501u);
    h.deleteHistory();
    auto [seul, key] = mark(7);
    ZEVMarkObject* s = seul.get();
    h.addMarkObject(std::move(seul), key);
    h.selectMarkObject(s);
    EXPECT_EQ(h.count(), 1u);
    EXPECT_EQ(s->spaceTitle(), "S");
    // A key added again names one mark only, the newer.
    auto [encore, key2] = mark(7);
    ZEVMarkObject* e = encore.get();
    h.addMarkObject(std::move(encore), key2);
    EXPECT_EQ(h.count(), 1u);
    EXPECT_EQ(h.markObjectForZevpString(key2), e);
    // A stroll needs two marks.
    h.previousHistory();
    EXPECT_EQ(sound.played.back(), "Tink");
    EXPECT_EQ(h.scannPanel(), nullptr);
}

TEST_F(Places, ColourItemsAreFoundByTheirThreeNumbersOrMade)
{
    KELI* demi = space->createColorItemWithColor(QColor::fromRgbF(0.5f, 1.0f, 0.0f), "half");
    ASSERT_NE(demi, nullptr);
    EXPECT_EQ(space->colorForColorItem(demi), QColor(128, 255, 0));
    EXPECT_EQ(space->colorNameForColorItem(demi), "half");
    // The same red, green and blue under another name: the first item, its first name.
    EXPECT_EQ(space->createColorItemWithColor(QColor(128, 255, 0), "other"), demi);
    EXPECT_EQ(space->colorNameForColorItem(demi), "half");
    // Red and green of one item, blue of another: a new item.
    KELI* bleu = space->createColorItemWithColor(QColor(10, 20, 30), "blue");
    KELI* melange = space->createColorItemWithColor(QColor(128, 255, 30), "mix");
    ASSERT_NE(melange, nullptr);
    EXPECT_NE(melange, demi);
    EXPECT_NE(melange, bleu);
    EXPECT_EQ(space->colorForColorItem(melange), QColor(128, 255, 30));
    EXPECT_EQ(space->colorForColorItem(nullptr), space->colorForColorItem(space->defaultColorItem()));
}

TEST_F(Places, AndOrFiltersReapplyEveryFilterOnlyWhenThereAreSome)
{
    auto* now = dynamic_cast<FakeDesk*>(space->deskForCurseur(space->nowCurseur()));
    auto* srch = dynamic_cast<FakeDesk*>(space->deskForCurseur(search()));
    now->traceFilters = srch->traceFilters = true;
    space->userChangeFilterToAndOperation();
    EXPECT_TRUE(space->displayOptions().siFiltreANDOperation);
    EXPECT_EQ(take(), Trace{}) << "no filter: nothing to apply again, nothing to redraw";
    KELI* a = newObject();
    KELI* b = newObject();
    space->selections().selectFilterForItems({a, b});
    take();
    space->userChangeFilterToOrOperation();
    const std::string ia = std::to_string(a->idInt()), ib = std::to_string(b->idInt());
    EXPECT_EQ(take(), (Trace{"Now desk enleveTout", "Search desk enleveTout", "Now desk ajoute " + ia,
                             "Search desk ajoute " + ia, "Now desk ajoute " + ib, "Search desk ajoute " + ib,
                             "Now desk display"}));
    EXPECT_EQ(space->selections().selectedFilterItems(), (std::vector<KELI*>{a, b}));
}

} // namespace
