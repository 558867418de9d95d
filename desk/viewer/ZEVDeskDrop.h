#pragma once
// What lands on one cursor's desk: whatever is dropped or pasted there, and the files opened
// through the desktop. Every kind of thing follows one rule: an Object the store already holds
// for it (by its uid, files also by their path) is reused and its icon recalled; otherwise a new
// Object of the current Channel is made, its record written and a new icon placed, each new icon
// one drop shift further from the drop point than the one before.
//
// The desk viewer owns one and answers for it. Locations are desk points, y-up.

#include "desk/pasteboard/ZEVPasteboard.h"

#include <QPointF>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <vector>

class KELI;
class ZEVItemDataFiles;
class QMimeData;

namespace tallomer {

class ZEVDeskViewer;

class ZEVDeskDrop {
public:
    // `desk` owns this part and is not owned here.
    explicit ZEVDeskDrop(ZEVDeskViewer& desk) : desk_(desk) {}
    ZEVDeskDrop(const ZEVDeskDrop&) = delete;
    ZEVDeskDrop& operator=(const ZEVDeskDrop&) = delete;

    // Drag feedback: the existing Objects of the drag are selected (once per drag), and the answer
    // is Copy for web links, Link for files, pictures, Objects, messages and contacts, Copy for
    // text alone, and no action for nothing usable.
    Qt::DropAction dragOperationForDraggingInfo(const QMimeData* data, long sequence);
    // A drop at the location; whether it was handled.
    bool userPerformDragWithInfo(const QMimeData* data, const QPointF& location, long sequence);
    // The pasteboard already analysed, a paste at the pointer.
    bool userPerformPaste();
    // The analysed lists land at the location, held inside the desk's limits.
    bool _performDragOrPasteInLocation(const QPointF& location);
    // Files opened through the desktop: placed at the default positions; paths naming no file
    // are skipped with a log line.
    void addFilenames(const QStringList& paths);

    // One operation per kind; each answers its handled flag.
    bool _addBookmarkDicos(const QList<PastedBookmark>& bookmarks, ZEVItemSet& set, const QPointF& location,
                           double& countShift);
    bool _addHttpURLs(const QList<QUrl>& urls, ZEVItemSet& set, const QPointF& location, double& countShift);
    bool _addBitmapImage(const ZEVPastedImage& image, const QUrl& httpURL, ZEVItemSet& set, const QPointF& location,
                         double& countShift);
    bool _addPDFImage(const ZEVPastedPdf& pdf, const QUrl& httpURL, ZEVItemSet& set, const QPointF& location,
                      double& countShift);
    bool _addBitmapImages(const QList<ZEVPastedImage>& images, ZEVItemSet& set, const QPointF& location,
                          double& countShift);
    bool _addPDFImages(const QList<ZEVPastedPdf>& pdfs, ZEVItemSet& set, const QPointF& location, double& countShift);
    bool _addZevItems(const std::vector<ZEVItemPB>& records, ZEVItemSet& set, const QPointF& location,
                      double& countShift);
    bool _addFileURLs(const QList<QUrl>& urls, ZEVItemSet& set, const QPointF& location, double& countShift);
    bool _addITunesTracks(const QList<ZEVTrack>& tracks, ZEVItemSet& set, const QPointF& location,
                          double& countShift);
    bool _addMessages(const std::vector<ZEVMessageDico>& messages, ZEVItemSet& set, const QPointF& location,
                      double& countShift);
    bool _addAttributedStrings(const QList<ZEVRichText>& texts, ZEVItemSet& set, const QPointF& location,
                               double& countShift);
    bool _addABPersonUIDs(const std::vector<ZEVPastedPerson>& persons, ZEVItemSet& set, const QPointF& location,
                          double& countShift);

    // The title of a web Object made from an address: the last part of its path, else its host.
    static QString displayNameForUrl(const QUrl& url);

private:
    // A new icon at the location shifted by countShift, which then grows by the drop shift.
    bool placeNew(KELI* item, ZEVItemSet& set, const QPointF& location, double& countShift);
    // placeNew for an Object just made: one whose icon could not be stored is taken back.
    bool placeMade(KELI* item, ZEVItemSet& set, const QPointF& location, double& countShift);
    // A file Object made from pasted bytes, with its record, and placed; `make` writes the file for
    // the Object it is given and answers its path ("" when it could not). With a page address, the
    // page's web Object is made first when it has none.
    using MakeFile = std::function<QString(ZEVItemDataFiles&, KELI*)>;
    void addMadeFile(const QString& title, const QString& icon, const QUrl& httpURL, const MakeFile& make,
                     ZEVItemSet& set, const QPointF& location, double& countShift);
    // An icon the Object has is recalled; one without gets a new icon (answers true then).
    bool placeReused(KELI* item, ZEVItemSet& set, const QPointF& location, double& countShift);
    // A file as dropped: its Object reused or made. *handled is set when the Object was found
    // by path or a new icon was placed.
    void addFile(const QString& path, ZEVItemOption newOptions, ZEVItemSet& set, const QPointF& location,
                 double& countShift, bool* handled);
    void afterDrop();

    ZEVDeskViewer& desk_; // not owned: owns this part
    // What this drop or paste named and left where it is, one line each, told after it.
    QStringList refused_;
};

} // namespace tallomer
