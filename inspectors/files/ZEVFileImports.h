#pragma once
// The order in which the Files panel imports what a drop or a paste holds, and the drag
// operation it shows, from how many things of each kind came. Pure, so that the rules are seen
// and tested on their own.

#include <Qt>

#include <vector>

namespace tallomer {

enum class ZEVFileImportKind {
    Bookmarks,
    ImageWithAddress,
    PdfWithAddress,
    HttpURLs,
    BitmapImages,
    PDFImages, // only when nothing came in before it
    FileURLs,
    AttributedStrings,
    Tracks,
};

struct ZEVPasteCounts {
    int bookmarks = 0;
    int http = 0;
    int bitmaps = 0;
    int pdfs = 0;
    int files = 0;
    int messages = 0;
    int persons = 0;
    int rich = 0;
    int tracks = 0;
};

// Web content goes first and alone; else images (bitmaps only without files), files or else rich
// text, then tracks.
std::vector<ZEVFileImportKind> fileImportOrder(const ZEVPasteCounts& c);
// Copy for web content, Link for files, images, messages and tracks, Copy for rich text alone,
// none otherwise.
Qt::DropAction fileDragOperation(const ZEVPasteCounts& c);

} // namespace tallomer
