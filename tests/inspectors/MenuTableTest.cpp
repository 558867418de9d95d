// The menu table every panel's menus are written from: the Handle submenu's titles and enabling
// for any kind's nouns and store, and the menu bar's desk and Handle items.

#include "inspectors/base/ZEVInspectMenus.h"

#include <gtest/gtest.h>

namespace {

using namespace tallomer;

const ZEVMenuLine* ligne(const std::vector<ZEVMenuLine>& v, long tag)
{
    for (const ZEVMenuLine& l : v)
        if (l.tag == tag)
            return &l;
    return nullptr;
}

TEST(MenuTable, HandleItemsAreTitledByTheirOwnCountsInTheKindsWords)
{
    ZEVHandleCounts c;
    c.moveTo = 1;
    c.copyToSpace = 3;
    // Past 32 bits a count still reads as itself.
    c.duplicateTo = 5000000000ULL;
    const std::vector<ZEVMenuLine> v = ZEVHandleLines(c, QStringLiteral("File"), QStringLiteral("Files"),
                                                      QStringLiteral("zevFiles"), true);
    ASSERT_EQ(v.size(), 6u);
    const long ordre[] = {21, 20, 23, 22, 25, 24};
    for (std::size_t i = 0; i < 6; ++i)
        EXPECT_EQ(v[i].tag, ordre[i]);
    EXPECT_EQ(*ligne(v, 21)->title, QString::fromUtf8("Move 1 File to\u2026"));
    EXPECT_TRUE(*ligne(v, 21)->enabled);
    EXPECT_EQ(*ligne(v, 20)->title, QStringLiteral("Move in zevFiles"));
    EXPECT_FALSE(*ligne(v, 20)->enabled);
    EXPECT_EQ(*ligne(v, 22)->title, QStringLiteral("Copy 3 Files in zevFiles"));
    EXPECT_EQ(*ligne(v, 24)->title, QStringLiteral("Duplicate 5000000000 Files in zevFiles"));
    EXPECT_TRUE(*ligne(v, 25)->enabled && *ligne(v, 24)->enabled);

    // A kind whose Object menu does not offer Duplicate titles it all the same, disabled.
    const std::vector<ZEVMenuLine> sans = ZEVHandleLines(c, QStringLiteral("File"), QStringLiteral("Files"),
                                                         QStringLiteral("zevFiles"), false);
    EXPECT_EQ(*ligne(sans, 25)->title, QString::fromUtf8("Duplicate 5000000000 Files to\u2026"));
    EXPECT_FALSE(*ligne(sans, 25)->enabled || *ligne(sans, 24)->enabled);
    EXPECT_TRUE(*ligne(sans, 21)->enabled);

    // The other menus' counts stay 32-bit words.
    EXPECT_EQ(ZEVCountTitle(QStringLiteral("Open"), 2, QStringLiteral("File"), QStringLiteral("Files")),
              QStringLiteral("Open 2 Files"));
}

TEST(MenuTable, TheMenuBarsDeskAndHandleItemsLieInTheirMenus)
{
    const std::vector<ZEVMenuLine> now = ZEVDeskMacLines(false, true, false);
    const std::vector<ZEVMenuLine> search = ZEVDeskMacLines(true, true, true);
    EXPECT_EQ(ligne(now, 31)->place, ZEVMenuPlace::Object);
    EXPECT_TRUE(*ligne(now, 40)->enabled) << "clean the desk at Now only";
    EXPECT_FALSE(*ligne(search, 40)->enabled);
    EXPECT_FALSE(*ligne(now, 41)->enabled);
    EXPECT_TRUE(*ligne(search, 41)->enabled);
    for (long tag : {40L, 41L, 43L, 44L})
        EXPECT_EQ(ligne(now, tag)->place, ZEVMenuPlace::Spaces);
    EXPECT_FALSE(*ligne(now, 43)->enabled || *ligne(now, 44)->enabled);
    EXPECT_TRUE(*ligne(search, 43)->enabled && *ligne(search, 44)->enabled);

    ZEVHandleCounts c;
    c.copyTo = 2;
    c.duplicateTo = 1;
    const std::vector<ZEVMenuLine> avec = ZEVHandleMacLines(c, true);
    const std::vector<ZEVMenuLine> sans = ZEVHandleMacLines(c, false);
    for (const ZEVMenuLine& l : avec)
        EXPECT_EQ(l.place, ZEVMenuPlace::Handle);
    EXPECT_TRUE(*ligne(avec, 23)->enabled);
    EXPECT_FALSE(*ligne(avec, 21)->enabled);
    EXPECT_TRUE(*ligne(avec, 25)->enabled && *ligne(avec, 24)->enabled);
    EXPECT_FALSE(*ligne(sans, 25)->enabled || *ligne(sans, 24)->enabled)
        << "a kind that cannot duplicate never enables Duplicate";
}

} // namespace
