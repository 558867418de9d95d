// The Images panel's controller over a real link base: Test, New Channel, New Space and the scale
// pop-up follow the table's selection; the splitter keeps both sides at 180 points or more; hiding
// drops the renderings of rows neither in sight nor selected; the preview keeps its picture while
// a row's thumbnail is still coming; a new Space the Channels panel did not make keeps the panel.

#include "tests/inspectors/InspectorFixture.h"

#include "desk/model/ZEVItemClass.h"
#include "inspectors/images/ZEVBackPopup.h"
#include "inspectors/images/ZEVBackViewer.h"
#include "inspectors/base/ZEVInspectGeometry.h"
#include "inspectors/core/ZEVRowMenuParts.h"
#include "inspectors/table/ZEVTableModel.h"
#include "objects/view/ZEVItemViewCopy.h"
#include "widgets/ZEVAlert.h"
#include "platform/SystemColours.h"

#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSplitter>

namespace inspecttest {
namespace {

class BackViewer : public Inspectors {
protected:
    void SetUp() override
    {
        Inspectors::SetUp();
        viewer = dynamic_cast<ZEVBackViewer*>(creer("ZEVBackViewer", KELENTITY_BACK_VIEWER));
        ASSERT_NE(viewer, nullptr);
        items = std::make_unique<ZEVItemClass>(space->nowCurseur(), nullptr);
    }
    void TearDown() override
    {
        items.reset();
        Inspectors::TearDown();
    }
    // `n` images listed for the last hour.
    void lister(int n)
    {
        const KELId canal = space->currentChannelInt();
        KELI* identity = space->channelForIdentityInt(canal);
        for (int i = 0; i < n; ++i) {
            KELI* o = items->creerItemWithChannelInt(canal, "image " + std::to_string(i), "file", "png", 0);
            ASSERT_NE(o, nullptr);
            o->setChannelInt(canal);
            KELServeurDeLiens::CreerLienRelInt(KELRELATION_BACK_VIEWER, identity, o, now() - 3600, KELDateOuverte,
                                               space->nowCurseur());
            images.push_back(o);
        }
        viewer->showInspectView(true);
        settle();
    }
    void choisir(const std::vector<KELI*>& choisis)
    {
        space->selections().selectIconForItemSet(choisis, nullptr);
        viewer->itemSelectionDidChange();
        settle();
    }
    KELDate now() const { return space->nowCurseur()->now(); }
    ZEVBackView& vue() { return *viewer->backView(); }

    ZEVBackViewer* viewer = nullptr;
    std::unique_ptr<ZEVItemClass> items;
    std::vector<KELI*> images;
};

TEST_F(BackViewer, TestNeedsASelectedRowAndTheNewButtonsAndScaleShowWithExactlyOne)
{
    lister(3);
    ASSERT_EQ(viewer->backTableView()->numberOfRows(), 3);
    struct Case {
        std::vector<KELI*> choisis;
        bool test;
        bool shown;
    };
    for (const Case& c : std::vector<Case>{{{}, false, false},
                                           {{images[1]}, true, true},
                                           {{images[0], images[2]}, true, false},
                                           {{}, false, false}}) {
        choisir(c.choisis);
        EXPECT_EQ(vue().btnTestImage()->isEnabled(), c.test) << c.choisis.size();
        for (QWidget* w : std::initializer_list<QWidget*>{vue().btnSetAsNewChannel(), vue().btnSetAsDesktopWallpaper(),
                                                          vue().btnImageSize()}) {
            EXPECT_EQ(w->isVisibleTo(&vue()), c.shown) << c.choisis.size();
            EXPECT_TRUE(w->isEnabled());
        }
    }
    EXPECT_EQ(vue().btnImageSize()->itemData(0).toLongLong(), KELOBJECT_SCALE_IN);
    EXPECT_EQ(vue().btnImageSize()->itemData(1).toLongLong(), KELOBJECT_SCALE_OUT);
    // Without a selected row Test only beeps.
    const int beeps = sound.beeps;
    viewer->testImage();
    EXPECT_EQ(sound.beeps, beeps + 1);
    EXPECT_FALSE(viewer->test().siRunning());
}

TEST_F(BackViewer, TheSplitterKeepsBothSidesAt180AndTheTableAloneTakesAPullOnTheRightEdge)
{
    lister(1);
    QSplitter* s = vue().splitter();
    ASSERT_NE(s, nullptr);
    ASSERT_EQ(s->widget(0), viewer->backTableView());
    const int total = s->width();
    ASSERT_GT(total, 2 * ZEVBackView::kMinSide);
    for (int tried : {0, 40, total, total - 40}) {
        s->setSizes({tried, total - tried});
        const QList<int> sizes = s->sizes();
        EXPECT_GE(sizes[0], ZEVBackView::kMinSide) << tried;
        EXPECT_GE(sizes[1], ZEVBackView::kMinSide) << tried;
    }
    auto resize = [&](int dx, int zone) {
        vue().setClickPosition(zone);
        vue().resize(vue().width() + dx, vue().height());
        vue().setClickPosition(ZEVInspectZoneNone);
        EXPECT_EQ(s->sizes()[0] + s->sizes()[1] + s->handleWidth(), s->width());
    };
    // Pulled by its right edge, the panel's change goes to the table alone.
    s->setSizes({total - 240, 240});
    const int preview = s->sizes()[1];
    resize(120, ZEVInspectZoneRight);
    EXPECT_EQ(s->sizes()[1], preview);
    resize(-120, ZEVInspectZoneRight);
    EXPECT_EQ(s->sizes()[1], preview);
    // Pulled by the other edge both sides follow.
    const QList<int> before = s->sizes();
    resize(200, ZEVInspectZoneLeft);
    EXPECT_GT(s->sizes()[0], before[0]);
    EXPECT_GT(s->sizes()[1], before[1]);
    EXPECT_EQ(s->geometry().top(), 14) << "the splitter takes the table's place, below the header views";

    // The rule on its own: a table at the minimum does not shrink further, and nothing goes under it.
    using V = ZEVBackView;
    EXPECT_EQ(V::splitWidths(300, 200, 600, true), std::make_pair(400, 200));
    EXPECT_EQ(V::splitWidths(300, 200, 400, true), std::make_pair(200, 200));
    EXPECT_EQ(V::splitWidths(180, 300, 400, true), std::make_pair(180, 220)) << "at the minimum: in proportion";
    EXPECT_EQ(V::splitWidths(300, 200, 1000, false), std::make_pair(600, 400));
    EXPECT_EQ(V::splitWidths(600, 200, 380, false), std::make_pair(200, 180));
    EXPECT_EQ(V::splitWidths(0, 0, 400, true), std::make_pair(200, 200));
}

TEST_F(BackViewer, HidingKeepsTheRenderingsOfTheRowsInSightAndTheSelectedOneOnly)
{
    lister(30);
    ZEVBackTableView* table = viewer->backTableView();
    ZEVBackClass& m = viewer->backClass();
    choisir({images[25]});
    table->scrollToTop();
    settle();
    const ZEVRowRange vus = table->rowsInVisibleRect();
    ASSERT_GT(vus.length, 0u);
    ASSERT_FALSE(vus.contains(25));
    const int selected = m.rowOfItem(images[25]);
    QImage pixel(4, 4, QImage::Format_RGB32);
    pixel.fill(Qt::red);
    for (int r = 0; r < 30; ++r) {
        ZEVBackObject* o = m.backObjectForRow(r);
        ASSERT_NE(o, nullptr);
        o->setThumbnailImage(pixel);
        o->setBackImage(pixel);
    }
    viewer->showInspectView(false);
    settle();
    sched.advance(2.0);
    for (int r = 0; r < 30; ++r) {
        const bool garde = vus.contains(quint64(r)) || r == selected;
        EXPECT_EQ(!m.backObjectForRow(r)->thumbnailImage().isNull(), garde) << r;
        EXPECT_EQ(!m.backObjectForRow(r)->backImage().isNull(), garde) << r;
    }
}

TEST_F(BackViewer, ThePreviewWaitsForAThumbnailAndClearsForNone)
{
    lister(2);
    ZEVBackClass& m = viewer->backClass();
    QImage pixel(4, 4, QImage::Format_RGB32);
    pixel.fill(Qt::green);
    m.backObjectForRow(0)->setThumbnailImage(pixel);
    viewer->displayImageFromRow(0);
    EXPECT_EQ(viewer->previewRow(), 0);
    EXPECT_FALSE(vue().backImageView()->pixmap().isNull());
    // Row 1's picture has not come, and with no file behind it none will: the preview shows its
    // colour alone rather than keep row 0's picture.
    m.backObjectForRow(1)->setThumbnailImage(QImage());
    KELI* second = viewer->backTableView()->element(1)->item;
    ASSERT_TRUE(m.siThumbnailFailed(second));
    viewer->displayImageFromRow(1);
    EXPECT_EQ(viewer->previewRow(), 1);
    EXPECT_TRUE(vue().backImageView()->pixmap().isNull());
    EXPECT_EQ(vue().backColorView()->backgroundColor(), m.colorForImageItem(second));
    viewer->displayImageFromRow(-1);
    EXPECT_EQ(viewer->previewRow(), -1);
    EXPECT_TRUE(vue().backImageView()->pixmap().isNull());
    EXPECT_EQ(vue().backColorView()->backgroundColor(), systemDarkGrey());
}

TEST_F(BackViewer, ANewSpaceTheChannelsPanelDidNotMakeKeepsThePanelOpen)
{
    lister(1);
    choisir({images[0]});
    ASSERT_TRUE(vue().btnSetAsDesktopWallpaper()->isVisibleTo(&vue()));
    // The listed image has no file behind it: the new Space and the new Channel are refused aloud,
    // and the panel stays.
    std::vector<ZEVAlertRequest> alerts;
    ScopedAlertAnswerer answerer{[&alerts](const ZEVAlertRequest& r) { return alerts.push_back(r), 0; }};
    vue().btnSetAsDesktopWallpaper()->click();
    vue().btnSetAsNewChannel()->click();
    EXPECT_EQ(alerts.size(), 2u);
    EXPECT_FALSE(sched.isPending(viewer, "_fermerEntity"));
    sched.advance(1.0);
    EXPECT_TRUE(viewer->siShowInspectView());
}

TEST_F(BackViewer, AQuickLookCopyTakesTheThumbnailsRatioAndOneWithoutThumbnail)
{
    lister(2);
    ZEVBackClass& m = viewer->backClass();
    QImage wide(160, 100, QImage::Format_RGB32);
    wide.fill(Qt::blue);
    m.backObjectForItem(images[0])->setThumbnailImage(wide);
    m.backObjectForItem(images[1])->setThumbnailImage(QImage());
    const std::unique_ptr<ZEVItemViewCopy> avec = viewer->copiePourLePreview(images[0]);
    EXPECT_FLOAT_EQ(avec->imageSizeRatio(), 100.0f / 160.0f);
    const std::unique_ptr<ZEVItemViewCopy> sans = viewer->copiePourLePreview(images[1]);
    EXPECT_FLOAT_EQ(sans->imageSizeRatio(), 1.0f) << "no thumbnail, nothing to divide by";
    // Only the table's width covers the strip, not the preview beside it.
    EXPECT_DOUBLE_EQ(viewer->largeurRegardee(), double(viewer->backTableView()->width()));
    EXPECT_LT(viewer->largeurRegardee(), vue().inspectRect().width() - ZEVBackView::kMinSide);
}

TEST_F(BackViewer, TheImageRowMenuHasOpenWithAndItsDuplicatesStayOff)
{
    lister(1);
    ZEVBackTableView* table = viewer->backTableView();
    const ZEVTableElement* e = table->element(0);
    ASSERT_TRUE(e && e->item);
    QMenu* menu = viewer->backClass().updateRowMenu(nullptr, *table, *e);
    ASSERT_NE(menu, nullptr);
    QAction* openWith = ZEVMenuItemWithTag(menu, ZEVRowTagOpenWith);
    ASSERT_TRUE(openWith && openWith->menu());
    // No program to offer here: the submenu is empty and its item off.
    EXPECT_EQ(openWith->isEnabled(), !openWith->menu()->isEmpty());
    for (long tag : {long(ZEVRowTagDuplicateTo), long(ZEVRowTagDuplicateToSpace)}) {
        QAction* a = ZEVMenuItemWithTag(menu, tag);
        ASSERT_NE(a, nullptr) << tag;
        EXPECT_FALSE(a->isEnabled()) << tag;
    }
}

} // namespace
} // namespace inspecttest
