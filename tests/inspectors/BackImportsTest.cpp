// What the Images table takes in: one kind of image per drop or paste, in order of preference,
// and the drag operation shown for it; web links alone are refused.

#include "inspectors/images/ZEVBackViewer.h"
#include "runtime/Clock.h"
#include "space/ZEVGoToFileDate.h"

#include <gtest/gtest.h>

namespace {

using namespace tallomer;
using K = ZEVBackImportKind;

TEST(BackImports, OneKindPerDropWebPictureThenBitmapsUnlessFilesThenPdfsThenFiles)
{
    struct Case {
        ZEVPasteCounts c;
        K kind;
        Qt::DropAction op;
    };
    const std::vector<Case> cases = {
        {{.http = 1, .bitmaps = 1, .pdfs = 1}, K::ImageWithAddress, Qt::LinkAction},
        {{.http = 1, .pdfs = 1, .files = 1}, K::PdfWithAddress, Qt::LinkAction},
        // One address with two pictures is neither a page's picture nor loose pictures.
        {{.http = 1, .bitmaps = 2}, K::None, Qt::LinkAction},
        {{.http = 1}, K::None, Qt::IgnoreAction},
        {{.http = 2, .bitmaps = 1}, K::BitmapImages, Qt::LinkAction},
        // A file's own picture is not a second thing: the file comes.
        {{.bitmaps = 1, .files = 1}, K::ImageFileURLs, Qt::LinkAction},
        {{.bitmaps = 2, .pdfs = 1}, K::BitmapImages, Qt::LinkAction},
        {{.bitmaps = 1, .pdfs = 1, .files = 1}, K::PDFImages, Qt::LinkAction},
        {{.files = 3}, K::ImageFileURLs, Qt::LinkAction},
        // What is not an image is not counted here at all.
        {{.bookmarks = 2, .messages = 1, .rich = 1}, K::None, Qt::IgnoreAction},
        {{}, K::None, Qt::IgnoreAction},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(backImportKind(cases[i].c), cases[i].kind) << i;
        EXPECT_EQ(backDragOperation(cases[i].c), cases[i].op) << i;
    }
}

TEST(BackImports, TheImagesAddPanelGoesToA1970CreationDateAsToAnyOther)
{
    ZEVFileDates f;
    f.exists = true;
    f.born = QDateTime::fromMSecsSinceEpoch(0, Qt::UTC);
    f.modified = QDateTime::fromSecsSinceEpoch(1'650'000'000, Qt::UTC);
    EXPECT_DOUBLE_EQ(*goToDateFromFileDates(f, 3), dateFromUnix(1'650'000'000)) << "elsewhere 1970 means none";
    EXPECT_DOUBLE_EQ(*goToDateFromFileDates(f, 3, true), dateFromUnix(0));
}

} // namespace
