// The front's Objects list in the running program: a lasso's Objects become its rows, Copy in the
// list puts their files on the clipboard in row order, and its type-select selects by title.

#include "tests/e2e/E2EFixture.h"

#include "front/ZEVFrontViewer.h"
#include "inspectors/ZEVFrontClass.h"
#include "inspectors/table/ZEVTableModel.h"
#include "inspectors/table/ZEVTableView.h"
#include "inspectors/table/ZEVTypeSelect.h"
#include "space/ZEVSelections.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMimeData>
#include <QTest>

namespace e2e {
namespace {

class FrontLists : public E2E {
protected:
    ZEVFrontViewer* front() const { return space() ? dynamic_cast<ZEVFrontViewer*>(space()->frontViewer()) : nullptr; }
    QWidget* canvas() const { return window()->spaceView()->deskCanvas()->viewport(); }
    QPoint at(double x, double y) const { return QPoint(int(x), int(canvas()->height() - y)); }
    QString title(ZEVTableView* t, int row) const
    {
        return t->model()->data(t->model()->index(row, ZEVFrontClass::itemColumns().indexOf("title")), Qt::DisplayRole).toString();
    }
};

TEST_F(FrontLists, ALassoFillsTheObjectsListWhoseCopyAndTypeSelectWorkOnTheDesk)
{
    start();
    ZEVFrontViewer* f = front();
    ASSERT_NE(f, nullptr);
    ASSERT_NE(f->frontClass(), nullptr) << "the front viewer makes the front class";
    ZEVTableView* list = f->selectionItemTableView();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->zevClass(), f->frontClass());
    EXPECT_EQ(adapter()->deskServices()->frontSelectionTable(), static_cast<ZEVLegoSource*>(list))
        << "the desks' intervals are dragged from the Objects list";

    QStringList paths;
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) {
        QFile file(home + "/" + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(name);
        paths << file.fileName();
    }
    adapter()->addFilenames(paths);
    advance(1.0);
    std::vector<ZEVItemViewForDesks*> views;
    for (const char* name : {"a.txt", "b.txt", "c.txt"})
        for (ZEVItemViewForDesks* v : nowDesk()->itemViewSet())
            if (v->itemTitle() == name)
                views.push_back(v);
    ASSERT_EQ(views.size(), 3u);

    // The placed icons come selected: a lasso over nothing deselects them, then one over the
    // first two selects those.
    QTest::mousePress(canvas(), Qt::LeftButton, {}, at(5, 5));
    QTest::mouseMove(canvas(), at(10, 10));
    QTest::mouseRelease(canvas(), Qt::LeftButton, {}, at(15, 15));
    pump();
    ASSERT_TRUE(space()->selections().selectedIconItems().empty());
    EXPECT_EQ(list->numberOfRows(), 0);
    const QRectF two = views[0]->imageFrame().united(views[1]->imageFrame());
    ASSERT_FALSE(two.adjusted(-4, -4, 4, 4).intersects(views[2]->imageFrame()));
    const QPoint from = at(two.left() - 4, two.bottom() + 4);
    const QPoint to = at(two.right() + 4, two.top() - 4);
    QTest::mousePress(canvas(), Qt::LeftButton, {}, from);
    QTest::mouseMove(canvas(), (from + to) / 2);
    QTest::mouseMove(canvas(), to);
    QTest::mouseRelease(canvas(), Qt::LeftButton, {}, to);
    pump();
    ASSERT_EQ(space()->selections().selectedIconItems().size(), 2u);

    // The list holds the two, titles bold (on the desk now), one interval each.
    ASSERT_EQ(list->numberOfRows(), 2);
    QStringList titles{title(list, 0), title(list, 1)};
    titles.sort();
    EXPECT_EQ(titles, QStringList({"a.txt", "b.txt"}));
    const int titleColumn = ZEVFrontClass::itemColumns().indexOf("title");
    for (int row = 0; row < 2; ++row) {
        const QVariant font = list->model()->data(list->model()->index(row, titleColumn), Qt::FontRole);
        EXPECT_TRUE(font.value<QFont>().bold()) << "row " << row;
        EXPECT_EQ(f->frontClass()->legosForRow(*list, row).size(), 1u) << "row " << row;
    }
    EXPECT_EQ(list->selectionModel()->selectedRows().size(), 2) << "the desk's selection selects the rows";

    // The header views show the list in the tracks; here the test shows it where it lies.
    list->resize(600, 200);
    list->show();
    list->setFocus(Qt::OtherFocusReason);
    pump();
    ASSERT_EQ(window()->focusWidget(), list);
    QGuiApplication::clipboard()->clear();
    key(Qt::Key_C, Qt::ControlModifier);
    pump();
    const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(copied, nullptr);
    const QList<QUrl> urls = copied->urls();
    ASSERT_EQ(urls.size(), 2);
    EXPECT_EQ(QFileInfo(urls[0].toLocalFile()).fileName(), title(list, 0)) << "in row order";
    EXPECT_EQ(QFileInfo(urls[1].toLocalFile()).fileName(), title(list, 1));
    EXPECT_TRUE(QFile::exists(urls[0].toLocalFile()));

    // "b" and Return in the type-select: only b.txt stays icon-selected.
    list->showSearchField();
    pump();
    QLineEdit* field = list->typeSelect()->field();
    ASSERT_NE(field, nullptr);
    ASSERT_TRUE(field->isVisible());
    QTest::keyClicks(field, "b");
    QTest::keyClick(field, Qt::Key_Return);
    pump();
    const auto& selected = space()->selections().selectedIconItems();
    ASSERT_EQ(selected.size(), 1u);
    EXPECT_EQ(selected[0], views[1]->item());
}

} // namespace
} // namespace e2e
