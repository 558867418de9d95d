#include "tests/space/SpaceFixture.h"

#include "engine/KELIRep.h"
#include "runtime/Log.h"
#include "platform/files/RecordFile.h"
#include "space/ZEVSpaceClass.h"
#include "space/ZEVSpaceWindow.h"

#include <QCoreApplication>
#include <QFile>

#include <algorithm>

using namespace spacetest;
using namespace tallomer;

namespace {

std::ptrdiff_t at(const Trace& t, const std::string& line)
{
    auto it = std::find(t.begin(), t.end(), line);
    return it == t.end() ? -1 : it - t.begin();
}

std::optional<qint64> stored(const QString& file, const char* key)
{
    RecordRead r = readRecordFile(file);
    if (!r)
        return std::nullopt;
    return recordInteger(*r.fields, QString::fromLatin1(key));
}

} // namespace

TEST_F(Space, BuildsInTheFixedOrderSearchDeskBeforeNowDesk)
{
    build();
    const Trace t = take();
    const std::vector<std::string> expected = {
        "host referencer",
        "host itemDataSpace",
        "host creerRulerClass",
        "host creerRulerViewer",
        "host creerFrontViewer",
        "creer ZEVChannelViewer 2000194",
        "host creerDesk Search",
        "Search desk referencerViewerParts",
        "Search desk referencerModelParts",
        "Search desk initialiser",
        "host creerDesk Now",
        "Now desk referencerViewerParts",
        "Search desk initWallpaper",
        "Now desk initWallpaper",
        "Now desk referencerModelParts",
        "Now desk initialiser",
        "Search desk enclencherMaj",
        "Now desk enclencherMaj",
        "host colour Now",
        "Now desk placerDevant",
        "ZEVChannelViewer actifCurseurDidChange",
        "front actif Now",
        "creer ZEVLinkViewer 2000004",
        "creer ZEVIconViewer 2000003",
        "host dropFolderWatch",
        // The main menu's bar goes in while the manager has not framed the window yet.
        "host windowWillShow hidden",
        "host closeProgressPanel",
        // The first place of the history, once recording is on.
        "history mark",
    };
    EXPECT_EQ(t, expected);
    EXPECT_FALSE(space->siFirstTime());
    EXPECT_TRUE(space->siAddToHistory());
    EXPECT_EQ(nomDuCurseur(space->nowCurseur()), "Now");
    EXPECT_EQ(nomDuCurseur(space->searchCurseur()), "Search");
    EXPECT_EQ(space->actifCurseur(), space->nowCurseur());
    // The window shows the Now desk's scene.
    EXPECT_EQ(space->spaceWindow()->deskViewDevant(), space->deskForCurseur(space->nowCurseur())->deskScene());
    EXPECT_TRUE(space->spaceWindow()->isVisible());
}

TEST_F(Space, FirstRunBuildsTheFirstBackgroundAndGreetsAfterTheWindowIsUp)
{
    host.firstTime = true;
    build();
    const Trace t = take();
    EXPECT_LT(at(t, "Now desk initWallpaper"), at(t, "Now desk majBackForFirstTime"));
    EXPECT_LT(at(t, "Now desk majBackForFirstTime"), at(t, "Now desk referencerModelParts"));
    EXPECT_LT(at(t, "host closeProgressPanel"), at(t, "host welcome"));
    EXPECT_TRUE(space->siFirstTime());
}

TEST_F(Space, MissingSpaceOrCursorBuildsNothing)
{
    EXPECT_EQ(ZEVSpaceController::initSpaceControllerWithSpaceInt(KELOBJECT_CHANNEL_VIEWER_ROOT, host, nullptr), nullptr);
    EXPECT_EQ(ZEVSpaceController::initSpaceControllerWithSpaceInt(999999999, host, timeline), nullptr);
    EXPECT_TRUE(trace.empty());
}

// default.file names the home Channel and the Channel of the drop folder; an entry that is
// missing or cannot be read falls back to the home Channel and is written back.
TEST_F(Space, DefaultFileIsReadAndAMissingOrDamagedEntryFallsBackAndIsRewritten)
{
    const QString file = store + "/default.file";
    const qint64 home = KELOBJECT_HOME_CHANNEL;
    QCborMap oneEntry;
    oneEntry.insert(QStringLiteral("ZEVDefaultChannel"), qint64(123456789));
    const struct {
        const char* name;
        QByteArray bytes;
        qint64 home;
    } cases[] = {{"no file", {}, home}, {"not a record", "not a record at all", home},
                 {"one entry", encodeRecord(oneEntry), 123456789}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(file);
        QFile f(file);
        ASSERT_TRUE(c.bytes.isEmpty() || (f.open(QIODevice::WriteOnly) && f.write(c.bytes) == c.bytes.size()));
        f.close();
        ScopedLogCapture log;
        build();
        EXPECT_EQ(space->homeChannelInt(), c.home);
        EXPECT_EQ(space->zevFolderChannelInt(), home);
        EXPECT_EQ(space->currentChannelInt(), c.home); // the Space opens on its home Channel
        EXPECT_EQ(stored(file, "ZEVDefaultChannel"), c.home);
        EXPECT_EQ(stored(file, "ZEVDefaultChannelZevFolder"), home);
        EXPECT_EQ(log.sink.contains("default.file"), &c == &cases[1]);
    }

    // Setting one role keeps the other.
    ASSERT_TRUE(space->setZevFolderChannelInt(2000099));
    EXPECT_EQ(stored(file, "ZEVDefaultChannel"), 123456789);
    EXPECT_EQ(stored(file, "ZEVDefaultChannelZevFolder"), 2000099);
}

TEST_F(Space, UnwritableDefaultFileLeavesTheFieldAsItWas)
{
    // A host whose store folder cannot hold the file: the write fails, nothing changes.
    FakeHost other(trace, QString::fromStdString(test::makeTempDir("gone")) + "/missing/folder", defaultsController);
    auto second = ZEVSpaceController::initSpaceControllerWithSpaceInt(KELOBJECT_CHANNEL_VIEWER_ROOT, other, timeline);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->homeChannelInt(), KELOBJECT_HOME_CHANNEL);
    EXPECT_FALSE(second->setHomeChannelInt(2000099));
    EXPECT_EQ(second->homeChannelInt(), KELOBJECT_HOME_CHANNEL);
}

TEST_F(Space, ANewChannelIsListedAndSwitchingToItTellsEveryListenerInOrderAndMovesTheDropFolder)
{
    build();
    const std::size_t before = space->allIdentities().size();
    KELI* channel = space->newIdentityNamed("Work");
    ASSERT_NE(channel, nullptr);
    EXPECT_EQ(channel->relationInt(), KELRELATION_IDENTITY);
    EXPECT_EQ(space->allIdentities().size(), before + 1);
    EXPECT_EQ(space->channelForIdentityInt(channel->idInt()), channel);
    const std::string id = std::to_string(channel->idInt());
    take();
    {
        // Something that is no Channel changes nothing.
        ScopedLogCapture log;
        space->updateChannelWithIdentityInt(KELMODEL_ITEM);
        space->updateChannelWithIdentityInt(0);
        EXPECT_TRUE(take().empty());
        EXPECT_EQ(space->currentChannelInt(), KELOBJECT_HOME_CHANNEL);
        EXPECT_EQ(log.sink.count("is no Channel"), 2u);
    }
    space->updateChannelWithIdentityInt(channel->idInt());
    const std::vector<std::string> expected = {
        "itemData channel " + id,
        "Now desk channel " + id,
        "Search desk channel " + id,
        "front channel " + id,
        "ZEVChannelViewer channel " + id,
        "ZEVIconViewer channel " + id,
        "ZEVLinkViewer channel " + id,
        "front selectionDidChange",
        "history mark",
    };
    EXPECT_EQ(take(), expected);
    EXPECT_EQ(space->currentChannelInt(), channel->idInt());
    EXPECT_EQ(space->zevFolderChannelInt(), channel->idInt());
    EXPECT_EQ(space->homeChannelInt(), KELOBJECT_HOME_CHANNEL);
    EXPECT_EQ(stored(store + "/default.file", "ZEVDefaultChannelZevFolder"), qint64(channel->idInt()));
}

TEST_F(Space, AChannelIsRenamedWithOneLiveName)
{
    build();
    KELI* channel = space->newIdentityNamed("Work");
    ASSERT_NE(channel, nullptr);
    space->renameIdentity(channel, "Play");
    auto* names = dynamic_cast<KELIElemRelation*>(KELServeurDeLiens::LienForInt(KELRELATION_IDENTITY_NAME, timeline));
    ASSERT_NE(names, nullptr);
    const auto* liens = names->liensDuParent(channel, timeline);
    ASSERT_NE(liens, nullptr);
    ASSERT_EQ(liens->size(), 1u);
    EXPECT_EQ(liens->front()->inDate(), KELDateToujours);
    EXPECT_EQ(liens->front()->outDate(), KELDateOuverte);
    KELI* mot = KELServeurDeLiens::LienForInt(liens->front()->enfantInt(), timeline);
    ASSERT_NE(mot, nullptr);
    EXPECT_EQ(std::get<std::string>(mot->base()), "Play");
}

TEST_F(Space, InspectorViewersAreMadeByTheClassNamesOfTheLinkBase)
{
    build();
    ASSERT_NE(space->entityClass(), nullptr);
    EXPECT_EQ(space->entityClass()->classNameForEntity(KELServeurDeLiens::LienForInt(KELENTITY_BACK_VIEWER, timeline)),
              "ZEVBackViewer");
    EXPECT_EQ(space->entityClass()->classNameForEntity(KELServeurDeLiens::LienForInt(KELENTITY_CHANNEL_VIEWER, timeline)),
              "ZEVChannelViewer");
    take();
    ZEVEntityViewer* viewer = space->creerViewerForEntityInt(KELENTITY_BACK_VIEWER);
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(viewer->entityInt(), KELENTITY_BACK_VIEWER);
    EXPECT_EQ(space->viewerForEntityClassName("ZEVBackViewer"), viewer);
    // Made once, then kept.
    EXPECT_EQ(space->creerViewerForEntityClassName("ZEVBackViewer", KELENTITY_BACK_VIEWER), viewer);
    EXPECT_EQ(take(), Trace{"creer ZEVBackViewer 2000007"});
    // An unknown class name gives nothing and stores nothing.
    EXPECT_EQ(space->creerViewerForEntityClassName("NoSuchViewer", 1), nullptr);
    EXPECT_EQ(space->allEntityViewers().size(), 4u);
}

TEST_F(Space, ObjectListedOnlyInThePastOpensNoInspector)
{
    build();
    KELICurseur* now = space->nowCurseur();
    auto* items = dynamic_cast<KELIModel*>(KELServeurDeLiens::LienForInt(KELMODEL_ITEM, timeline));
    ASSERT_NE(items, nullptr);
    KELI* image = items->ajouterUnElement(timeline);
    KELI* channel = space->channelForIdentityInt(KELOBJECT_HOME_CHANNEL);
    ASSERT_TRUE(image && channel);
    const KELDate t = now->now();
    // Listed as an image in the past only, and as a file now.
    ASSERT_NE(KELServeurDeLiens::CreerLienRelInt(KELRELATION_BACK_VIEWER, channel, image, t - 1000, t - 500, timeline), nullptr);
    EXPECT_TRUE(space->openViewersForCurseur(now, image).empty());
    EXPECT_EQ(space->viewerForEntityClassName("ZEVBackViewer"), nullptr);

    ASSERT_NE(KELServeurDeLiens::CreerLienRelInt(KELRELATION_FILE_VIEWER, channel, image, t - 10, KELDateOuverte, timeline), nullptr);
    ASSERT_NE(KELServeurDeLiens::CreerLienRelInt(KELRELATION_BACK_VIEWER, channel, image, t - 10, KELDateOuverte, timeline), nullptr);
    take();
    EXPECT_EQ(space->openViewersForCurseur(now, image), (std::vector<KELId>{KELENTITY_FILE_VIEWER, KELENTITY_BACK_VIEWER}));
    const Trace t2 = take();
    EXPECT_LT(at(t2, "host ouvrir 2000005"), at(t2, "host ouvrir 2000007"));
    EXPECT_NE(space->viewerForEntityClassName("ZEVFileViewer"), nullptr);
    EXPECT_NE(space->viewerForEntityClassName("ZEVBackViewer"), nullptr);
}

TEST_F(Space, SwitchingDesksKeepsOrClearsTheBrowsedBackground)
{
    build();
    KELICurseur* search = space->searchCurseur();
    space->setBrowsedSpaceBackImageInt(42);
    space->previousImageItemIndexSet().insert(3);
    take();
    space->changeDeskForActifCurseur(search);
    EXPECT_EQ(space->actifCurseur(), search);
    EXPECT_TRUE(space->siSearchActif());
    EXPECT_EQ(space->browsedBackImageInt(), 42u);
    EXPECT_EQ(space->spaceWindow()->deskViewDevant(), space->deskForCurseur(search)->deskScene());
    EXPECT_GE(at(take(), "host colour Search"), 0);

    space->changeDeskForActifCurseur(space->nowCurseur());
    EXPECT_EQ(space->browsedBackImageInt(), 0u);
    EXPECT_TRUE(space->previousImageItemIndexSet().empty());
}

TEST_F(Space, ActiveCursorIsRecordedOnceInTheRuler)
{
    build();
    auto* relation = dynamic_cast<KELIElemRelation*>(KELServeurDeLiens::LienForInt(KELRELATION_RULER_CURSEUR, timeline));
    KELI* ruler = space->spaceClass()->ruler();
    ASSERT_TRUE(relation && ruler);
    EXPECT_EQ(ruler->idInt(), KELOBJECT_RULER);
    space->updateActifCurseur(space->nowCurseur()); // already recorded: nothing happens
    const auto* liens = relation->liensDuParent(ruler, timeline);
    ASSERT_TRUE(liens && liens->size() == 1u);
    KELI* old = liens->front();

    space->updateActifCurseur(space->searchCurseur());
    EXPECT_EQ(old->outDate(), timeline->now());
    liens = relation->liensDuParent(ruler, timeline);
    ASSERT_TRUE(liens && liens->size() == 1u);
    EXPECT_EQ(liens->front()->enfantInt(), KELOBJECT_SEARCH_ELEM_CURSEUR);
}

TEST_F(Space, GotoDefaultsAreWrittenWhenMissingAndLinkOptionsExcludeEachOther)
{
    build();
    EXPECT_TRUE(space->siBackItemChanges());
    EXPECT_FALSE(space->siBackColorChanges());
    EXPECT_TRUE(userDefaults.isWritten("ZEVGotoBackItemChanges"));
    EXPECT_TRUE(userDefaults.value("ZEVGotoBackItemChanges").toBool());
    EXPECT_FALSE(userDefaults.value("ZEVGotoBackScaleChanges").toBool());
    EXPECT_EQ(space->durationTagForGoToTag(100), 100);
    EXPECT_EQ(space->durationTagForGoToTag(3), 20);

    defaultsController.setValue("ZEVGotoBackColorChanges", true);
    EXPECT_TRUE(space->siBackColorChanges());

    // Titles mode: the options of titles act; the icons' ones only switch each other off.
    host.front->mode = 1;
    defaultsController.setValue("ZEVShowLinksForSelectedTitles", true);
    EXPECT_TRUE(space->displayOptions().siShowLinksForSelections);
    defaultsController.setValue("ZEVShowLinksForAllTitles", true);
    EXPECT_FALSE(defaultsController.values("ZEVShowLinksForSelectedTitles").toBool());
    EXPECT_FALSE(space->displayOptions().siShowLinksForSelections);
    EXPECT_TRUE(space->displayOptions().siShowLinksForAllObjects);

    defaultsController.setValue("ZEVShowLinksForSelectedIcons", true);
    defaultsController.setValue("ZEVShowLinksForAllIcons", true);
    EXPECT_FALSE(defaultsController.values("ZEVShowLinksForSelectedIcons").toBool());
    EXPECT_TRUE(space->displayOptions().siShowLinksForAllObjects); // unchanged by the icon options
}
