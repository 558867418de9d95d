// The Images table over the Images panel's rows, with a delegate that counts what it is asked:
// the visible-row pass after a reload and a one-row scroll, a row given no widget not asked again,
// the geometry of the picture cell, and the swatch edit that keeps its image whatever the rows do
// while the popup is open.

#include "tests/inspectors/InspectorFixture.h"

#include "desk/model/ZEVItemClass.h"
#include "inspectors/images/ZEVBackViewer.h"
#include "inspectors/table/ZEVTableModel.h"

#include <QListWidget>
#include <QScrollBar>

namespace inspecttest {
namespace {

class Compteur final : public ZEVBackTableViewDelegate {
public:
    void changedVisibleRows(ZEVBackTableView&, ZEVRowRange from, ZEVRowRange to) override
    {
        changes.emplace_back(from, to);
    }
    QWidget* viewForRow(ZEVBackTableView&, int row) override
    {
        asked.push_back(row);
        return sansVue ? nullptr : new QWidget;
    }
    void setObjectValue(ZEVBackTableView&, const QVariant& value, int, KELI* item, const QString& property) override
    {
        edits.push_back({property, item, value});
    }
    bool siDragOutAt(ZEVBackTableView&, const QPoint&) const override { return true; }
    ZEVBackSwatch swatchForRow(ZEVBackTableView&, int) override { return {}; }
    QImage thumbnailForRow(ZEVBackTableView&, int) override { return {}; }
    struct Edit {
        QString property;
        KELI* item;
        QVariant value;
    };
    std::vector<std::pair<ZEVRowRange, ZEVRowRange>> changes;
    std::vector<int> asked;
    std::vector<Edit> edits;
    bool sansVue = false;
};

class BackTable : public Inspectors {
protected:
    void SetUp() override
    {
        Inspectors::SetUp();
        viewer = dynamic_cast<ZEVBackViewer*>(creer("ZEVBackViewer", KELENTITY_BACK_VIEWER));
        ASSERT_NE(viewer, nullptr);
        items = std::make_unique<ZEVItemClass>(space->nowCurseur(), nullptr);
        KELI* canal = space->channelForIdentityInt(space->currentChannelInt());
        for (int i = 0; i < 30; ++i) {
            KELI* o = items->creerItemWithChannelInt(space->currentChannelInt(), "image " + std::to_string(i), "file",
                                                     "png", 0);
            ASSERT_NE(o, nullptr);
            presences.push_back(KELServeurDeLiens::CreerLienRelInt(KELRELATION_BACK_VIEWER, canal, o,
                                                                   KELDateToujours, KELDateOuverte, space->nowCurseur()));
            images.push_back(o);
        }
        viewer->showInspectView(true);
        settle();
        table = viewer->backTableView();
        ASSERT_NE(table, nullptr);
        ASSERT_EQ(table->numberOfRows(), 30);
        table->setBackDelegate(&compteur);
    }
    void TearDown() override
    {
        ZEVBackPopupController::shared().closeAndSendAction(false);
        if (ZEVBackPopupWindow* w = ZEVBackPopupController::shared().window())
            w->resetSiOpen();
        table->setBackDelegate(nullptr);
        items.reset();
        Inspectors::TearDown();
    }
    ZEVRowRange visibles() const { return table->rowsInVisibleRect(); }

    ZEVBackViewer* viewer = nullptr;
    ZEVBackTableView* table = nullptr;
    std::unique_ptr<ZEVItemClass> items;
    std::vector<KELI*> images;
    std::vector<KELI*> presences;
    Compteur compteur;
};

TEST_F(BackTable, TheVisibleRowsAreReportedAfterAReloadAndEachRowIsAskedOnceWhileInView)
{
    table->reloadData();
    table->visibleRowsPass();
    const ZEVRowRange v = visibles();
    ASSERT_GT(v.length, 2u);
    ASSERT_FALSE(compteur.changes.empty());
    EXPECT_EQ(compteur.changes.back().first.location, ZEVRowRange::kNotFound) << "from nothing after a reload";
    EXPECT_EQ(compteur.changes.back().second, v);
    std::vector<int> attendu;
    for (quint64 r = v.location; r < v.location + v.length; ++r)
        attendu.push_back(int(r));
    EXPECT_EQ(compteur.asked, attendu) << "every visible row, in order";
    QWidget* premiere = table->cachedViewForRow(0);
    ASSERT_NE(premiere, nullptr);
    EXPECT_EQ(premiere->parentWidget(), table->viewport());

    // A second pass with nothing changed asks nothing.
    compteur.asked.clear();
    table->visibleRowsPass();
    EXPECT_TRUE(compteur.asked.empty());

    // One row down: the one new row is asked, the row that left loses its widget.
    table->verticalScrollBar()->setValue(ZEVBackTableView::kRowHeight);
    table->visibleRowsPass();
    EXPECT_EQ(compteur.asked, std::vector<int>{int(v.location + v.length)});
    EXPECT_FALSE(table->siRowCached(0));
    EXPECT_TRUE(table->siRowCached(1));

    // A reloaded row is asked again; the others are not.
    compteur.asked.clear();
    table->reloadDataForRows({2}, 4);
    table->visibleRowsPass();
    EXPECT_EQ(compteur.asked, std::vector<int>{2});
}

TEST_F(BackTable, ARowGivenNoWidgetIsNotAskedAgainUntilItIsReloaded)
{
    compteur.sansVue = true;
    table->reloadData();
    table->visibleRowsPass();
    const std::size_t premiers = compteur.asked.size();
    ASSERT_GT(premiers, 0u);
    EXPECT_TRUE(table->siRowCached(0));
    EXPECT_EQ(table->cachedViewForRow(0), nullptr);
    table->viewport()->update();
    table->visibleRowsPass();
    table->visibleRowsPass();
    EXPECT_EQ(compteur.asked.size(), premiers);
    table->reloadData();
    table->visibleRowsPass();
    EXPECT_EQ(compteur.asked.size(), 2 * premiers) << "a full reload asks every visible row again";
}

TEST_F(BackTable, ThePictureFrameIsSixteenByTenAndTheNameSitsBesideTheSwatch)
{
    const QRectF cell(10, 20, 300, 70);
    EXPECT_EQ(ZEVBackCellGeometry::imageRectForBounds(cell), QRectF(18, 28, 87, 54)) << "1.6 x 54 up to 87";
    const QRectF interior = ZEVBackCellGeometry::textInterior(cell);
    EXPECT_GE(interior.left(), ZEVBackCellGeometry::imageRectForBounds(cell).right()) << "the text clear of the picture";
    const QRectF frame = ZEVBackCellGeometry::fillColorFrame(interior);
    EXPECT_EQ(frame.height(), 24);
    EXPECT_EQ(frame.top(), interior.top() + 43);
    EXPECT_EQ(ZEVBackCellGeometry::colorRectForFrame(frame), QRectF(frame.x(), frame.y(), 24, 24));
    const QRectF nom = ZEVBackCellGeometry::colorTitleFrame(frame, 14);
    EXPECT_EQ(nom.x() - frame.x(), 28);
    EXPECT_EQ(nom.y(), frame.y() + 5) << "centred on the swatch";
    EXPECT_EQ(nom.right(), frame.right());
    EXPECT_EQ(ZEVBackCellGeometry::titleFrame(interior, 16), QRectF(interior.x() + 4, interior.y() + 14, interior.width() - 4, 16));
}

TEST_F(BackTable, ASwatchEditReachesTheImageItOpenedForNameFirstWhateverTheRowsDo)
{
    table->visibleRowsPass();
    KELI* edite = images[3];
    table->beginSwatchEdit(3);
    ZEVBackPopupController& popup = ZEVBackPopupController::shared();
    ASSERT_TRUE(popup.siVisible());
    EXPECT_EQ(table->editedRow(), 3);
    // Rows change while the popup is open: an earlier image leaves, the table is redrawn.
    KELServeurDeLiens::DegagerLien(presences[0], space->nowCurseur());
    settle();
    table->reloadData();
    table->visibleRowsPass();
    ASSERT_EQ(table->editedRow(), 2) << "the edit follows its image";
    popup.window()->list()->setCurrentRow(4);
    popup.closeAndSendAction(true);
    ASSERT_EQ(compteur.edits.size(), 2u);
    EXPECT_EQ(compteur.edits[0].property, "fillColorName");
    EXPECT_EQ(compteur.edits[0].value.toString(), ZEVBackColorList()[4].name);
    EXPECT_EQ(compteur.edits[1].property, "fillColor");
    EXPECT_EQ(compteur.edits[1].value.value<QColor>().rgb(), ZEVBackColorList()[4].color.rgb());
    for (const auto& e : compteur.edits)
        EXPECT_EQ(e.item, edite);
    EXPECT_FALSE(table->siEditing());
    EXPECT_EQ(table->editedRow(), -1);
}

TEST_F(BackTable, AnEditWhoseImageWentOrThatIsCancelledDeliversNothing)
{
    table->visibleRowsPass();
    ZEVBackPopupController& popup = ZEVBackPopupController::shared();
    table->beginSwatchEdit(5);
    KELServeurDeLiens::DegagerLien(presences[5], space->nowCurseur());
    settle();
    table->reloadData();
    popup.window()->list()->setCurrentRow(2);
    popup.closeAndSendAction(true);
    EXPECT_TRUE(compteur.edits.empty()) << "the image left the rows: a cancel";
    EXPECT_FALSE(table->siEditing());

    popup.window()->resetSiOpen();
    table->beginSwatchEdit(1);
    EXPECT_EQ(table->editedRow(), 1);
    EXPECT_EQ(table->editedColumn(), 4);
    popup.closeAndSendAction(false);
    EXPECT_TRUE(compteur.edits.empty());
    EXPECT_EQ(table->editedRow(), -1);
    EXPECT_EQ(table->editedColumn(), -1);
    EXPECT_EQ(popup.delegate(), nullptr) << "the popup tells the table no more";
}

} // namespace
} // namespace inspecttest
