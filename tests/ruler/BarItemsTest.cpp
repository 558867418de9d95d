// The bar items the window menu, the ruler bar's menu and the strip's menu share: each checked by
// its own bar's state, and any other item left alone.

#include "ruler/ZEVBarItems.h"
#include "tests/support/NullFrontViewer.h"

#include "space/ZEVSpaceParts.h"

#include <QAction>

#include <gtest/gtest.h>

namespace {

using namespace tallomer;

class Barres final : public test::NullFrontViewer {
public:
    bool siTimebarClosed() override { return timebar; }
    bool siTlineClosed() override { return tline; }
    bool siTracksClosed() override { return tracks; }
    bool siToolbarClosed() override { return toolbar; }
    bool timebar = true, tline = true, tracks = true, toolbar = true;
};

class Contexte final : public ZEVContextViewerServices {
public:
    void userSelectButton(KELId) override {}
    void ouvrirEntityWithInt(KELId) override {}
    void fermerEntityWithInt(KELId) override {}
    bool isShowedEntityWithInt(KELId id) override { return montre && id == ZEVBarTagChannels; }
    bool isFocusedEntityWithInt(KELId) override { return false; }
    void userCloseAllEntities() override {}
    void majContextButtons() override {}
    bool montre = false;
};

TEST(BarItems, EachItemFollowsItsOwnBarAndOtherItemsAreLeftAlone)
{
    Barres front;
    Contexte contexte;
    auto coche = [&](int tag, ZEVFrontViewerServices* f, ZEVContextViewerServices* c) {
        QAction a;
        a.setCheckable(true);
        a.setChecked(true);
        a.setData(tag);
        EXPECT_TRUE(ZEVCocherItemDeBarre(&a, f, c));
        return a.isChecked();
    };
    // One bar open at a time: only its item is checked.
    bool* barres[] = {&front.timebar, &front.tline, &front.tracks, &front.toolbar};
    const int tags[] = {ZEVBarTagTimebar, ZEVBarTagTline, ZEVBarTagTracks, ZEVBarTagToolbar};
    for (int ouverte = 0; ouverte < 4; ++ouverte) {
        for (bool* b : barres)
            *b = true;
        *barres[ouverte] = false;
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(coche(tags[i], &front, nullptr), i == ouverte) << ouverte << " " << i;
    }
    // Without a front every bar reads closed.
    EXPECT_FALSE(coche(ZEVBarTagTracks, nullptr, nullptr));
    // Channels follows the context bar's Channels panel.
    EXPECT_FALSE(coche(ZEVBarTagChannels, &front, nullptr));
    EXPECT_FALSE(coche(ZEVBarTagChannels, &front, &contexte));
    contexte.montre = true;
    EXPECT_TRUE(coche(ZEVBarTagChannels, &front, &contexte));

    QAction autre;
    autre.setCheckable(true);
    autre.setChecked(true);
    autre.setData(5732);
    EXPECT_FALSE(ZEVCocherItemDeBarre(&autre, &front, &contexte));
    EXPECT_TRUE(autre.isChecked());
    EXPECT_FALSE(ZEVCocherItemDeBarre(nullptr, &front, &contexte));
}

} // namespace
