// What the Files table takes in: the order in which a pasteboard's kinds are imported and the
// drag operation shown for them; the drag state machine over the real table (a link handle marks
// the row under it, none over no row, and its drop always ends well; a drag of this very table
// onto itself is refused; rows leave from the icon column only).

#include "tests/inspectors/InspectorFixture.h"

#include "desk/model/ZEVItemClass.h"
#include "inspectors/core/ZEVInspectDrag.h"
#include "inspectors/files/ZEVFileImports.h"
#include "inspectors/files/ZEVFileViewer.h"
#include "inspectors/table/ZEVTableView.h"
#include "services/ZEVItemViewForDesks.h"

#include <QDropEvent>
#include <QMimeData>

namespace inspecttest {
namespace {

using K = ZEVFileImportKind;

TEST(FileImportOrder, WebContentGoesAloneThenPicturesFilesOrTextThenTracks)
{
    struct Case {
        ZEVPasteCounts c;
        std::vector<K> order;
        Qt::DropAction op;
    };
    const std::vector<Case> cases = {
        {{.bookmarks = 1, .http = 2, .files = 1}, {K::Bookmarks}, Qt::CopyAction},
        {{.http = 1, .bitmaps = 1, .pdfs = 1}, {K::ImageWithAddress}, Qt::CopyAction},
        {{.http = 1, .pdfs = 1}, {K::PdfWithAddress}, Qt::CopyAction},
        {{.http = 1, .bitmaps = 2}, {K::HttpURLs}, Qt::CopyAction},
        // Several addresses are web Objects even with a picture along.
        {{.http = 2, .bitmaps = 1}, {K::HttpURLs}, Qt::CopyAction},
        // A file's own picture is not a second thing; PDFs still come.
        {{.bitmaps = 1, .pdfs = 1, .files = 1}, {K::PDFImages, K::FileURLs}, Qt::LinkAction},
        {{.bitmaps = 1}, {K::BitmapImages}, Qt::LinkAction},
        // Files and rich text: the files only.
        {{.files = 2, .rich = 1}, {K::FileURLs}, Qt::LinkAction},
        {{.rich = 1, .tracks = 1}, {K::AttributedStrings, K::Tracks}, Qt::LinkAction},
        {{.rich = 1}, {K::AttributedStrings}, Qt::CopyAction},
        // Mail is shown as a link but the Files panel imports none of it.
        {{.messages = 1}, {}, Qt::LinkAction},
        {{}, {}, Qt::IgnoreAction},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(fileImportOrder(cases[i].c), cases[i].order) << i;
        EXPECT_EQ(fileDragOperation(cases[i].c), cases[i].op) << i;
    }
}

class FileDrops : public Inspectors {
protected:
    void SetUp() override
    {
        Inspectors::SetUp();
        canal = space->currentChannelInt();
        items = std::make_unique<ZEVItemClass>(space->nowCurseur(), nullptr);
        auto* v = dynamic_cast<ZEVFileViewer*>(creer("ZEVFileViewer", KELENTITY_FILE_VIEWER));
        ASSERT_NE(v, nullptr);
        v->showInspectView(true);
        viewer = v;
        settle();
        table = viewer->inspectViewIfBuilt()->inspectTableView();
        ASSERT_NE(table, nullptr);
    }
    KELI* listed(const std::string& titre)
    {
        KELI* o = items->creerItemWithChannelInt(canal, titre, "file", "txt", 0);
        EXPECT_NE(o, nullptr);
        const KELDate now = space->nowCurseur()->now();
        KELServeurDeLiens::CreerLienRelInt(KELRELATION_FILE_VIEWER, space->channelForIdentityInt(canal), o, now - 60,
                                           KELDateOuverte, space->nowCurseur());
        return o;
    }
    ZEVInspectDrag& drag() { return viewer->fileClass().drag(); }
    QPoint rowPoint(int row) const { return table->visualRect(table->model()->index(row, 5)).center(); }
    QPoint belowRows() const { return QPoint(10, table->viewport()->height() - 2); }

    KELId canal = 0;
    ZEVFileViewer* viewer = nullptr;
    ZEVTableView* table = nullptr;
    std::unique_ptr<ZEVItemClass> items;
};

TEST_F(FileDrops, ALinkHandleMarksTheRowUnderItAndNoneOverNoRowAndItsDropEndsWell)
{
    KELI* o = listed("report.txt");
    settle();
    ASSERT_EQ(table->numberOfRows(), 1);
    QMimeData handle;
    handle.setData(kZEVItemDragViewMime, "1");
    QDragEnterEvent enter(rowPoint(0), Qt::LinkAction, &handle, Qt::LeftButton, Qt::NoModifier);
    EXPECT_EQ(drag().draggingEntered(&enter, *table), Qt::LinkAction);
    QDragMoveEvent over(rowPoint(0), Qt::LinkAction, &handle, Qt::LeftButton, Qt::NoModifier);
    drag().draggingUpdated(&over, *table);
    EXPECT_EQ(drag().dropedRow(), 0);
    EXPECT_TRUE(drag().siDropedItem(o));
    QDragMoveEvent off(belowRows(), Qt::LinkAction, &handle, Qt::LeftButton, Qt::NoModifier);
    drag().draggingUpdated(&off, *table);
    EXPECT_EQ(drag().dropedRow(), -1);
    EXPECT_FALSE(drag().siDropedItem(o));
    QDropEvent drop(QPointF(belowRows()), Qt::LinkAction, &handle, Qt::LeftButton, Qt::NoModifier);
    EXPECT_TRUE(drag().performDragOperation(&drop, *table));
    EXPECT_FALSE(drag().siDropedItem(o));
}

TEST_F(FileDrops, ThisTableOntoItselfIsRefusedAndEachDragIsAnalysedUnderANewNumber)
{
    listed("report.txt");
    settle();
    QMimeData own;
    own.setUrls({QUrl::fromLocalFile("/tmp/report.txt")});
    ZEVInspectDrag::markAsFrom(own, *table);
    QDragEnterEvent enter(rowPoint(0), Qt::CopyAction | Qt::LinkAction, &own, Qt::LeftButton, Qt::NoModifier);
    EXPECT_EQ(drag().draggingEntered(&enter, *table), Qt::IgnoreAction);
    const long first = drag().draggingSequenceNumber();
    drag().draggingExited(*table);
    EXPECT_EQ(drag().draggingSequenceNumber(), 0) << "the number dies with its drag";
    QDropEvent drop(QPointF(rowPoint(0)), Qt::CopyAction, &own, Qt::LeftButton, Qt::NoModifier);
    EXPECT_FALSE(drag().performDragOperation(&drop, *table));

    // The same rows from another table are taken as a link to their files.
    QMimeData other;
    other.setUrls({QUrl::fromLocalFile("/tmp/report.txt")});
    other.setData(kZEVTableViewMime, "elsewhere");
    QDragEnterEvent again(rowPoint(0), Qt::CopyAction | Qt::LinkAction, &other, Qt::LeftButton, Qt::NoModifier);
    EXPECT_EQ(drag().draggingEntered(&again, *table), Qt::LinkAction);
    EXPECT_GT(drag().draggingSequenceNumber(), first);
    drag().draggingExited(*table);
}

TEST_F(FileDrops, RowsLeaveFromTheIconColumnOnly)
{
    listed("report.txt");
    settle();
    QMimeData data;
    // The title column starts no drag and writes nothing.
    EXPECT_FALSE(drag().writeRowsForDrag(*table, {0}, 5, &data));
    EXPECT_TRUE(data.formats().isEmpty());
    EXPECT_FALSE(drag().writeRowsForDrag(*table, {0}, -1, &data));
    EXPECT_TRUE(data.formats().isEmpty());
}

} // namespace
} // namespace inspecttest
