// What a person sees under the pointer while dragging rows out of an inspector panel to another
// program: the rows' own pictures and whole titles, each kind its own, the rows dragged together
// stacked in the panel's order; not a bare pointer that looks the same whatever is dragged.

#include "tests/e2e/E2EFixture.h"

#include "inspectors/base/ZEVInspectView.h"
#include "inspectors/icons/ZEVIconViewer.h"
#include "inspectors/table/ZEVTableModel.h"
#include "inspectors/table/ZEVTableView.h"
#include "space/ZEVSelections.h"

#include <QDir>
#include <QDrag>
#include <QItemSelectionModel>
#include <QMouseEvent>
#include <QTest>

namespace e2e {
namespace {

class RowDragPictures : public E2E {
protected:
    ZEVTableView* table() const
    {
        auto* icons = dynamic_cast<ZEVIconViewer*>(space()->viewerForEntityClassName("ZEVIconViewer"));
        ZEVInspectView* p = icons ? icons->inspectViewIfBuilt() : nullptr;
        return p ? p->inspectTableView() : nullptr;
    }
    int rowTitled(const QString& title) const
    {
        for (int r = 0; r < table()->numberOfRows(); ++r)
            if (table()->tableModel()->index(r, kTitle).data().toString() == title)
                return r;
        return -1;
    }
    QPoint pictureOf(int row) const { return table()->visualRect(table()->tableModel()->index(row, kPicture)).center(); }
    // Pressed on the row's picture and moved past the drag distance with the button held, as the
    // system delivers it; the drag that started, before it ends.
    QDrag* dragFrom(int row)
    {
        QWidget* v = table()->viewport();
        const QPoint from = pictureOf(row);
        QTest::mousePress(v, Qt::LeftButton, {}, from);
        const QPoint to = from + QPoint(30, 20);
        QMouseEvent move(QEvent::MouseMove, QPointF(to), QPointF(v->mapToGlobal(to)), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(v, &move);
        const QList<QDrag*> drags = table()->findChildren<QDrag*>();
        QDrag* started = drags.isEmpty() ? nullptr : drags.back();
        // Kept for the checks: the platform lets it go once the drag has ended.
        if (started)
            started->setParent(&kept);
        QTest::mouseRelease(v, Qt::LeftButton, {}, to);
        return started;
    }
    static QImage picture(QDrag* drag) { return drag->pixmap().toImage().convertToFormat(QImage::Format_ARGB32); }
    // Whether anything is drawn in that region of the picture.
    static bool inked(const QImage& image, const QRect& region)
    {
        for (int y = region.top(); y <= region.bottom(); ++y)
            for (int x = region.left(); x <= region.right(); ++x)
                if (image.valid(x, y) && qAlpha(image.pixel(x, y)) > 128)
                    return true;
        return false;
    }

    static constexpr int kPicture = 4;
    static constexpr int kTitle = 5;
    QObject kept;
};

TEST_F(RowDragPictures, RowsDraggedOutOfTheIconsPanelShowTheirOwnPicturesAndTitles)
{
    start();
    ASSERT_TRUE(QDir(home).mkdir("Projects"));
    QImage sea(120, 80, QImage::Format_RGB32);
    sea.fill(QColor(20, 60, 200));
    ASSERT_TRUE(sea.save(home + "/sea.png", "PNG"));
    writeFile(home + "/a quarterly report on the harbour.txt", "words\n");
    addFiles({home + "/Projects", home + "/sea.png", home + "/a quarterly report on the harbour.txt"}, 1.5);
    space()->selections().deselectAllIcons();
    openInspectorFromMenu(kIcons);
    ASSERT_NE(table(), nullptr);
    ASSERT_TRUE(table()->isVisible());
    const int folder = rowTitled("Projects"), png = rowTitled("sea.png"),
              text = rowTitled("a quarterly report on the harbour.txt");
    ASSERT_GE(folder, 0);
    ASSERT_GE(png, 0);
    ASSERT_GE(text, 0);

    std::vector<std::pair<const char*, QImage>> pictures;
    for (const auto& [kind, row] : {std::pair{"folder", folder}, {"picture", png}, {"text", text}}) {
        QDrag* drag = dragFrom(row);
        ASSERT_NE(drag, nullptr) << "no drag started from the " << kind << "'s picture";
        const QImage shown = picture(drag);
        ASSERT_FALSE(shown.isNull()) << "the " << kind << "'s row is dragged without a picture";
        EXPECT_EQ(drag->pixmap().deviceIndependentSize().toSize().height(), table()->rowHeight(row));
        pictures.emplace_back(kind, shown);
    }
    // Each kind its own picture: the part of the drag image where the row's picture lies.
    const QRect pictureCell(0, 0, table()->columnWidth(kPicture), table()->rowHeight(folder));
    for (std::size_t i = 0; i < pictures.size(); ++i)
        for (std::size_t j = i + 1; j < pictures.size(); ++j)
            EXPECT_GT(differingShare(pictures[i].second, pictures[j].second, pictureCell), 0.03)
                << "the " << pictures[i].first << " and the " << pictures[j].first << " are dragged alike";
    // The long title is carried whole, as far as its cell shows it: ink in the title's cell.
    const QImage& long_ = pictures[2].second;
    const int titleLeft = table()->columnWidth(kPicture);
    EXPECT_TRUE(inked(long_, QRect(titleLeft, 0, table()->columnWidth(kTitle), long_.height())))
        << "the dragged row shows no title";

    // Two rows selected and dragged together: both, stacked in the panel's order.
    table()->selectionModel()->clearSelection();
    QTest::mouseClick(table()->viewport(), Qt::LeftButton, {}, pictureOf(text));
    QTest::mouseClick(table()->viewport(), Qt::LeftButton, Qt::ControlModifier, pictureOf(folder));
    pump();
    ASSERT_EQ(table()->selectionModel()->selectedRows().size(), 2);
    QDrag* both = dragFrom(folder);
    ASSERT_NE(both, nullptr);
    const QImage two = picture(both);
    ASSERT_FALSE(two.isNull());
    EXPECT_EQ(both->pixmap().deviceIndependentSize().toSize().height(), table()->rowHeight(folder) + table()->rowHeight(text));
    const QImage& upper = folder < text ? pictures[0].second : pictures[2].second;
    const QImage& lower = folder < text ? pictures[2].second : pictures[0].second;
    const QImage lowerShown = two.copy(pictureCell.translated(0, table()->rowHeight(std::min(folder, text))));
    EXPECT_LT(differingShare(two, upper, pictureCell), 0.03) << "the upper row is not the panel's upper row";
    EXPECT_LT(differingShare(lowerShown, lower, pictureCell), 0.03) << "the lower row is not the panel's lower row";
}

} // namespace
} // namespace e2e
