#pragma once
// The pasteboard reader: everything dropped or pasted (on the desk, in the inspectors, on the
// collect grid) is first sorted here, once per drag or paste, into typed lists; the earliest dates
// of what came are gathered; the check operations tell which existing Objects the dropped things
// already are; and the options of a new file Object are computed from where its file lies. Class
// operations over class state, kept until the next analysis. Main thread only.
//
// The MIME types behind each list are platform/pasteboard/PasteboardRead.h's table.

#include "desk/data/ZEVItemDataFiles.h"
#include "desk/model/ZEVItemOptions.h"
#include "desk/pasteboard/ZEVItemPB.h"
#include "engine/KELTypes.h"
#include "platform/contacts/VCard.h"
#include "platform/pasteboard/MozUrl.h"

#include <QByteArray>
#include <QCborMap>
#include <QImage>
#include <QList>
#include <QStringList>
#include <QUrl>

#include <optional>
#include <vector>

class KELI;
class QMimeData;

namespace tallomer {

// The Objects collected during one drop: each once, in the order they came.
class ZEVItemSet {
public:
    void insert(KELI* item);
    bool contains(const KELI* item) const;
    bool empty() const { return items_.empty(); }
    std::size_t size() const { return items_.size(); }
    const std::vector<KELI*>& items() const { return items_; }

private:
    std::vector<KELI*> items_; // not owned: links live for the run
};

struct ZEVPastedImage {
    QImage image;
    QString name; // empty: the picture came without one
};

struct ZEVPastedPdf {
    QByteArray data;
    QString name;
};

// A mail message: the fields its record is made of ("uid", "subject" when it has one,
// "createdDate" and "modifiedDate" from its Date field) and its bytes, kept as a file once its
// Object exists ("zevFilename").
struct ZEVMessageDico {
    QCborMap fields;
    QByteArray bytes;
};

// A contact: its unique id, and the card it came with, if any.
struct ZEVPastedPerson {
    QString uid;
    std::optional<VCard> card;
};

// A music track; none comes on this platform (music files come as file URLs), but the road is
// the same as a file's.
struct ZEVTrack {
    QUrl location;
};

class ZEVPasteboard {
public:
    ZEVPasteboard() = delete;

    // Fills the lists; an analysis with the number of the last one is skipped.
    static void AnalysePasteboard(const QMimeData* data, long uniqueInt);
    // Forgets the number of the last analysis: the next one runs whatever its number (a drag
    // that ended).
    static void EndAnalysis(long uniqueInt);
    static long LastUniqueInt();

    static const QList<ZEVPastedImage>& BitmapImages();
    static const QList<ZEVPastedPdf>& PDFImages();
    static const QList<QUrl>& ImageFileURLs();
    static const QList<QUrl>& FileURLs();
    static const std::vector<ZEVItemPB>& ZEVItems();
    static const std::vector<ZEVMessageDico>& Messages();
    static const QList<PastedBookmark>& HttpBookmarkDicos();
    static const QList<QUrl>& HttpURLs();
    static const std::vector<ZEVPastedPerson>& ABPersonUIDs();
    static const QList<ZEVTrack>& ITunesTracks();
    static const QStringList& Strings();
    static const QList<ZEVRichText>& AttributedStrings();
    static const QStringList& ImageExtensions();
    // What the analysis left out, past the bounds of what one drop or paste may bring, in a
    // sentence for the user ("500 contacts were left out…"); empty when nothing was.
    static QString LeftOutText();
    // Says it in an alert once the drop or paste is done (on the next turn: never inside the
    // drop), with the lines of `refused` (what the drop named and could not take); nothing when
    // nothing was left out.
    static void TellLeftOut(const QStringList& refused = {});

    // The earliest dates seen since the analysis began; absent for none.
    static std::optional<KELDate> DateCreated();
    static std::optional<KELDate> DateModified();
    static std::optional<KELDate> DateOpened();
    static void SetDateCreated(std::optional<KELDate> date);
    static void SetDateModified(std::optional<KELDate> date);
    static void SetDateOpened(std::optional<KELDate> date);

    // The option bits of a new file Object for the file at path.
    static ZEVItemOption ItemOptionsForFileURL(const QString& path);
    // Folders of the system: files there are held by it. Canonical paths, read at each call (the
    // applications folders may change with the store's settings).
    static QStringList SystemFolders();

    // The check family: the existing Object, present at the active cursor, of each dropped thing
    // joins the set.
    static void CheckBitmapImages(const QList<ZEVPastedImage>&, ZEVItemSet&) {}
    static void CheckPDFImages(const QList<ZEVPastedPdf>&, ZEVItemSet&) {}
    static void CheckBitmapImage(const ZEVPastedImage& image, const QUrl& httpURL, ZEVItemSet& set);
    static void CheckPDFImage(const ZEVPastedPdf& pdf, const QUrl& httpURL, ZEVItemSet& set);
    static void CheckFileURLs(const QList<QUrl>& urls, ZEVItemSet& set);
    static void CheckZEVItems(const std::vector<ZEVItemPB>& records, ZEVItemSet& set);
    static void CheckMessages(const std::vector<ZEVMessageDico>& messages, ZEVItemSet& set);
    static void CheckBookmarkDicos(const QList<PastedBookmark>& bookmarks, ZEVItemSet& set);
    static void CheckHttpURLs(const QList<QUrl>& urls, ZEVItemSet& set);
    static void CheckABPersonUIDs(const std::vector<ZEVPastedPerson>& persons, ZEVItemSet& set);
    static void CheckITunesTracks(const QList<ZEVTrack>& tracks, ZEVItemSet& set);

    // The web address of a bookmark: its URL text trimmed of blanks and line ends; an empty URL
    // when that is none.
    static QUrl UrlForBookmark(const PastedBookmark& bookmark);
    // The Object (relation 1000050) of that id present at the active cursor; nullptr for none.
    static KELI* ObjectAtActiveCursor(KELId id);

    // Everything back to its first state (tests).
    static void Reset();
};

} // namespace tallomer
