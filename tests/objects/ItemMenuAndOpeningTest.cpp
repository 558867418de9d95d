// The Object context menu's model (titles, shown, enabled, ticked per item, by front mode, desk,
// go-to suffix and selection) and the pure parts of opening Objects: which files count as
// archives, which busy text wins, and how a broken link is repaired without ever losing it.

#include "objects/viewer/ZEVItemMenu.h"
#include "objects/viewer/ZEVItemViewer.h"

#include "desk/model/ZEVItemOptions.h"
#include "engine/KELLien.h"
#include "tests/objects/ObjectsFakes.h"
#include "tests/support/NullFrontViewer.h"
#include "tests/support/TestHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>

#include <map>
#include <set>

#include <gtest/gtest.h>

using namespace tallomer;

namespace {

using S = ZEVItemMenuSlot;
const ZEVItemMenuEntry& at(const ZEVItemMenuModel& m, S s) { return m[std::size_t(s)]; }

TEST(ItemMenu, TheObjectsTitleIsQuotedInFullUpTo24CharactersAndCutWithAnEllipsisFrom25)
{
    EXPECT_EQ(stringMenuForString(QString(24, 'a'), 25), "\"" + QString(24, 'a') + "\"");
    EXPECT_EQ(stringMenuForString(QString(25, 'b'), 25), "\"" + QString(24, 'b') + "…\"");
    ZEVItemMenuFacts f;
    f.title = QStringLiteral("Notes");
    EXPECT_EQ(at(itemMenuModel(f), S::Open).title, QStringLiteral("\"Notes\""));
}

TEST(ItemMenu, RecallNowNeverShowsOnTheNowDeskAndOnTheSearchDeskOnlyForAnIconNotThere)
{
    ZEVItemMenuFacts f;
    f.onNowDesk = true;
    EXPECT_FALSE(at(itemMenuModel(f), S::RecallNow).visible);
    f.onNowDesk = false;
    f.itemActifNow = true;
    EXPECT_FALSE(at(itemMenuModel(f), S::RecallNow).visible);
    f.itemActifNow = false;
    f.duration = QStringLiteral(" (1 day)");
    const auto m = itemMenuModel(f);
    EXPECT_TRUE(at(m, S::RecallNow).visible);
    EXPECT_EQ(at(m, S::RecallNow).title, QStringLiteral("Recall Now Object (1 day)"));
}

TEST(ItemMenu, TheIconsTimeItemsFollowWhetherTheObjectIsPresent)
{
    ZEVItemMenuFacts f;
    f.actif = false;
    auto m = itemMenuModel(f);
    EXPECT_EQ(at(m, S::Recall).title, QStringLiteral("Recall Object")) << "no suffix with the go-to panel closed";
    EXPECT_EQ(at(m, S::Retain).title, QStringLiteral("Retain Object"));
    EXPECT_EQ(at(m, S::Release).title, QStringLiteral("Release"));
    EXPECT_TRUE(at(m, S::Recall).enabled && at(m, S::Retain).enabled);
    EXPECT_FALSE(at(m, S::Release).enabled || at(m, S::Forget).enabled);
    f.actif = true;
    m = itemMenuModel(f);
    EXPECT_EQ(at(m, S::Recall).title, QStringLiteral("Recall"));
    EXPECT_EQ(at(m, S::Release).title, QStringLiteral("Release Object"));
    EXPECT_EQ(at(m, S::Forget).title, QStringLiteral("Forget Object"));
    EXPECT_FALSE(at(m, S::Recall).enabled);
    EXPECT_TRUE(at(m, S::Release).enabled && at(m, S::Forget).enabled);
}

TEST(ItemMenu, InLinksModeTheTimeItemsCountTheSelectedLinksOfTheObject)
{
    struct Row {
        int a, n, r;
        const char *recallNow, *recall, *retain, *release, *forget;
        bool recallOn, releaseOn, recallNowShown;
    };
    const Row rows[] = {
        {0, 0, 0, "", "Recall Link", "Retain Link", "Release Link", "Forget Link", false, false, false},
        {1, 1, 1, "Recall Now 1 Link (1 hour)", "Recall 1 Link (1 hour)", "Retain 1 Link", "Release 1 Link",
         "Forget 1 Link", true, true, true},
        {2, 2, 2, "Recall Now 2 Links (1 hour)", "Recall 2 Links (1 hour)", "Retain 2 Links", "Release 2 Links",
         "Forget 2 Links", true, true, true},
    };
    for (const Row& r : rows) {
        ZEVItemMenuFacts f;
        f.mode = 3;
        f.a = r.a;
        f.n = r.n;
        f.r = r.r;
        f.duration = QStringLiteral(" (1 hour)");
        const auto m = itemMenuModel(f);
        SCOPED_TRACE(r.a);
        EXPECT_EQ(at(m, S::RecallNow).visible, r.recallNowShown);
        if (r.recallNowShown) {
            EXPECT_EQ(at(m, S::RecallNow).title, QString::fromUtf8(r.recallNow));
        }
        EXPECT_EQ(at(m, S::Recall).title, QString::fromUtf8(r.recall));
        EXPECT_EQ(at(m, S::Retain).title, QString::fromUtf8(r.retain));
        EXPECT_EQ(at(m, S::Release).title, QString::fromUtf8(r.release));
        EXPECT_EQ(at(m, S::Forget).title, QString::fromUtf8(r.forget));
        EXPECT_EQ(at(m, S::Recall).enabled, r.recallOn);
        EXPECT_EQ(at(m, S::Retain).enabled, r.recallOn);
        EXPECT_EQ(at(m, S::Release).enabled, r.releaseOn);
        EXPECT_EQ(at(m, S::Forget).enabled, r.releaseOn);
    }
}

TEST(ItemMenu, FileItemsOptionsAndPositionItemsFollowTheObject)
{
    ZEVItemMenuFacts f;
    f.type = QStringLiteral("http");
    auto m = itemMenuModel(f);
    EXPECT_FALSE(at(m, S::GetInfo).visible);
    EXPECT_FALSE(at(m, S::ShowOriginal).enabled);
    EXPECT_FALSE(at(m, S::OpenOriginal).visible);
    EXPECT_FALSE(at(m, S::NewChannel).visible);

    f.type = QStringLiteral("file");
    f.fileSuffix = QStringLiteral("JPG");
    f.hasOriginalUrl = true;
    f.options = ZEVOPTION_GIF | ZEVOPTION_SHOW_TITLE;
    f.fileJobs = {true, false, true, false, true, false};
    f.mayRestore = true;
    f.actif = true;
    m = itemMenuModel(f);
    EXPECT_TRUE(at(m, S::GetInfo).visible);
    EXPECT_TRUE(at(m, S::ShowOriginal).enabled);
    EXPECT_TRUE(at(m, S::OpenOriginal).visible);
    EXPECT_TRUE(at(m, S::NewChannel).visible && at(m, S::NewSpace).visible) << "an image file";
    EXPECT_FALSE(at(m, S::NewChannel).enabled) << "until the Channels inspector answers";
    EXPECT_TRUE(at(m, S::MoveTo).enabled && at(m, S::CopyTo).enabled && at(m, S::DuplicateTo).enabled);
    EXPECT_FALSE(at(m, S::MoveToSpace).enabled);
    EXPECT_TRUE(at(m, S::ShowTitle).checked);
    EXPECT_TRUE(at(m, S::Animate).enabled);
    EXPECT_FALSE(at(m, S::Animate).checked);
    EXPECT_TRUE(at(m, S::KeepPosition).visible && at(m, S::LocSeparator).visible);

    f.options = ZEVOPTION_MOVING;
    f.actif = false;
    m = itemMenuModel(f);
    EXPECT_FALSE(at(m, S::ShowOriginal).enabled) << "a busy file";
    EXPECT_FALSE(at(m, S::Animate).enabled);
    EXPECT_FALSE(at(m, S::RestorePosition).visible);
}

// Objects of the link base are enough for names and identities here.
struct Linking : ::testing::Test {
    KELI o, p, q, r;
    std::set<KELI*> linkedWithO{&q};
    std::map<KELI*, QString> names{{&o, "Object 1"}, {&p, "Object 2"}, {&q, "Object 3"}, {&r, "Object 4"}};
    ZEVLinkMenuFacts facts(int mode)
    {
        ZEVLinkMenuFacts f;
        f.mode = mode;
        f.item = &o;
        f.linked = [this](KELI* x) { return linkedWithO.count(x) > 0; };
        f.title = [this](KELI* x) { return names[x]; };
        return f;
    }
};

TEST_F(Linking, LinkAndUnlinkNameTheOnePartnerTheyCountNotTheFirstOfTheSelection)
{
    ZEVLinkMenuFacts f = facts(0);
    f.icons = {&q, &p}; // q is linked, p is not: Link names p although q comes first
    ZEVItemMenuEntry link, unlink;
    ASSERT_TRUE(linkMenuInfo(f, link, unlink));
    EXPECT_EQ(link.title, QStringLiteral("Link with \"Object 2\""));
    EXPECT_EQ(unlink.title, QStringLiteral("Unlink from \"Object 3\""));
    EXPECT_TRUE(link.enabled && unlink.enabled);

    f.mode = 1;
    f.titles = {&p, &q, &r};
    ASSERT_TRUE(linkMenuInfo(f, link, unlink));
    EXPECT_EQ(link.title, QStringLiteral("Create Links to 2 Titles"));
}

TEST_F(Linking, AnObjectInItsOwnSelectionLinksWithNothingAndOtherModesLeaveTheItems)
{
    ZEVLinkMenuFacts f = facts(0);
    f.icons = {&o, &p, &q};
    ZEVItemMenuEntry link, unlink;
    ASSERT_TRUE(linkMenuInfo(f, link, unlink));
    EXPECT_EQ(link.title, QStringLiteral("Create Link"));
    EXPECT_EQ(unlink.title, QStringLiteral("Release Link"));
    EXPECT_FALSE(link.enabled || unlink.enabled);

    // Filters mode: the filters when the Object is not one, else the icon selection.
    f = facts(2);
    f.filters = {&p, &q};
    ASSERT_TRUE(linkMenuInfo(f, link, unlink));
    EXPECT_EQ(link.title, QStringLiteral("Link with \"Object 2\""));
    f.filters = {&o};
    f.icons = {&p, &q};
    linkedWithO.clear();
    ASSERT_TRUE(linkMenuInfo(f, link, unlink));
    EXPECT_EQ(link.title, QStringLiteral("Create Links to 2 Icons"));

    ZEVItemMenuEntry kept{QStringLiteral("kept")};
    EXPECT_FALSE(linkMenuInfo(facts(5), kept, kept));
    EXPECT_EQ(kept.title, QStringLiteral("kept"));
}

TEST(ItemMenu, TheMenuShowsTheModelAndOpenNamesTheObjectUntilThePointerRestsOnIt)
{
    std::vector<S> acted;
    ZEVItemMenu menu([&](S s) { acted.push_back(s); });
    ZEVItemMenuFacts f;
    f.title = QStringLiteral("Report");
    f.actif = true;
    menu.apply(itemMenuModel(f));
    QAction* open = menu.action(S::Open);
    EXPECT_EQ(open->text(), QStringLiteral("\"Report\""));
    emit menu.menu()->hovered(open);
    EXPECT_EQ(open->text(), QStringLiteral("Open"));
    emit menu.menu()->hovered(menu.action(S::Release));
    EXPECT_EQ(open->text(), QStringLiteral("\"Report\""));
    EXPECT_EQ(menu.action(S::Release)->text(), QStringLiteral("Release Object"));
    EXPECT_FALSE(menu.action(S::Recall)->isEnabled());
    EXPECT_EQ(menu.action(S::GetInfo)->text(), QStringLiteral("Get Info")) << "fixed titles stay";
    menu.action(S::Cut)->trigger();
    menu.action(S::Copy)->trigger();
    EXPECT_EQ(acted, (std::vector<S>{S::Cut, S::Copy}));
}

TEST(ItemOpening, ArchivesAreKnownByTheirWholeLowerCasedExtension)
{
    for (const char* yes : {"zip", "ZIP", "gz", "tar", "7zip", "sitx", "Rar"})
        EXPECT_TRUE(ZEVItemViewer::SiArchiveExtension(QString::fromLatin1(yes))) << yes;
    for (const char* no : {"", "r", "s", "z", "ip", "t", "pdf", "tgz2"})
        EXPECT_FALSE(ZEVItemViewer::SiArchiveExtension(QString::fromLatin1(no))) << "'" << no << "'";
}

TEST(ItemOpening, TheBusyTextNamesTheFirstBusyStateInItsOrder)
{
    EXPECT_EQ(ZEVItemViewer::BusyText(ZEVOPTION_COPYING, true), QStringLiteral("Cannot open an Object when copying"));
    EXPECT_EQ(ZEVItemViewer::BusyText(ZEVOPTION_DOWNLOADING | ZEVOPTION_COPYING, true),
              QStringLiteral("Cannot open an Object when downloading"));
    EXPECT_EQ(ZEVItemViewer::BusyText(ZEVOPTION_MOVING | ZEVOPTION_DUPLICATING, true),
              QStringLiteral("Cannot open an Object when duplicating"));
    EXPECT_EQ(ZEVItemViewer::BusyText(ZEVOPTION_MOVING, false), QStringLiteral("Cannot Show Original when moving"));
}

TEST(ItemOpening, ABrokenLinkIsReplacedByOneToTheNewOriginalAndAFailureKeepsWhatWasThere)
{
    const QString dir = QString::fromStdString(test::makeTempDir("alias"));
    const QString alias = dir + "/report.link";
    const QString original = dir + "/report.pdf";
    QFile(original).open(QIODevice::WriteOnly);
    ASSERT_TRUE(QFile::link(dir + "/gone.pdf", alias));
    QString error;
    ASSERT_TRUE(ZEVItemViewer::RepairAlias(alias, original, &error)) << error.toStdString();
    EXPECT_EQ(QFileInfo(alias).symLinkTarget(), original);
    EXPECT_EQ(QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot).size(), 2)
        << "no temporary link left";

    // A folder in the alias' place cannot be replaced by a link: it stays, and so does nothing else.
    const QString folder = dir + "/box";
    ASSERT_TRUE(QDir(dir).mkpath("box/inside"));
    EXPECT_FALSE(ZEVItemViewer::RepairAlias(folder, original, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(QFileInfo(folder + "/inside").isDir());
    EXPECT_EQ(QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot).size(), 3);
}

} // namespace

// ---- the menu prepared by the item viewer for a view ----

namespace {

class Front final : public test::NullFrontViewer {
public:
    ZEVFrontViewServices* frontView() override { return &view; }
    bool isUserChangingFlag() override { return changing; }
    bool changing = false;
    test::NullFrontView view;
};

TEST(ItemViewerMenu, NoMenuWhileAModifierModeIsHeldAndOtherwiseTheViewsMenuPops)
{
    objectstest::Desk d;
    Front front;
    d.space.front = &front;
    ZEVItemView* v = d.desk.add(d.objects.objet(10));
    v->setItemTitle(QStringLiteral("Plan"));
    front.changing = true;
    d.viewer->setMenuForItemView(v);
    EXPECT_EQ(front.view.poppedMenu, nullptr);
    EXPECT_EQ(d.viewer->menuItemViewTarget(), nullptr);
    front.changing = false;
    d.viewer->setMenuForItemView(v);
    ASSERT_NE(d.viewer->itemMenu(), nullptr);
    EXPECT_EQ(front.view.poppedMenu, d.viewer->itemMenu()->menu());
    EXPECT_EQ(d.viewer->menuItemViewTarget(), v);
    EXPECT_EQ(d.viewer->itemMenu()->action(ZEVItemMenuSlot::Open)->text(), QStringLiteral("\"Plan\""));
    // The view goes: the menu's actions find no target.
    d.desk.views.clear();
    EXPECT_EQ(d.viewer->menuItemViewTarget(), nullptr);
    d.viewer->menuAction(ZEVItemMenuSlot::Release);
}

} // namespace
