#include "desk/pasteboard/ZEVPasteboard.h"

#include "desk/data/ZEVItemData.h"
#include "desk/model/ZEVDeskIds.h"
#include "engine/KELICurseur.h"
#include "engine/KELLien.h"
#include "engine/KELServeurDeLiens.h"
#include "platform/files/FileIdentity.h"
#include "platform/files/RecordFile.h"
#include "platform/pasteboard/MailHeaders.h"
#include "platform/pasteboard/PasteboardRead.h"
#include "runtime/Clock.h"
#include "runtime/Log.h"
#include "runtime/Scheduler.h"
#include "widgets/ZEVAlert.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>

#include <algorithm>

namespace tallomer {

namespace {

// Unix time 0, which some copies carry as a creation date they do not know.
constexpr KELDate kUnixEpoch = dateFromUnix(0.0);

struct State {
    long uniqueInt = 0;
    bool analysed = false;
    QList<ZEVPastedImage> bitmapImages;
    QList<ZEVPastedPdf> pdfImages;
    QList<QUrl> imageFileURLs;
    QList<QUrl> fileURLs;
    std::vector<ZEVItemPB> zevItems;
    std::vector<ZEVMessageDico> messages;
    QList<PastedBookmark> httpBookmarkDicos;
    QList<QUrl> httpURLs;
    std::vector<ZEVPastedPerson> abPersonUIDs;
    QList<ZEVTrack> iTunesTracks;
    QStringList strings;
    QList<ZEVRichText> attributedStrings;
    QString leftOut;
    std::optional<KELDate> dateCreated;
    std::optional<KELDate> dateModified;
    std::optional<KELDate> dateOpened;
};

State& state()
{
    static State s;
    return s;
}

void earliest(std::optional<KELDate>& stored, std::optional<KELDate> date)
{
    if (date && (!stored || *date < *stored))
        stored = date;
}

QString canonical(const QString& path)
{
    const QString c = QFileInfo(path).canonicalFilePath();
    return c.isEmpty() ? QDir::cleanPath(QFileInfo(path).absoluteFilePath()) : c;
}

// Whole path components: /usr holds /usr/bin, not /usrlocal.
bool inside(const QString& path, const QString& folder)
{
    if (folder.isEmpty())
        return false;
    const QString prefix = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    return path == folder || path.startsWith(prefix);
}

// Text that is one URL and nothing else: trimmed, without blanks inside, with a scheme.
QUrl urlOfText(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || std::any_of(t.begin(), t.end(), [](QChar c) { return c.isSpace(); }))
        return {};
    const QUrl url(t, QUrl::TolerantMode);
    return url.isValid() && !url.scheme().isEmpty() ? url : QUrl();
}

void addIfPresent(KELId id, ZEVItemSet& set)
{
    if (KELI* item = ZEVPasteboard::ObjectAtActiveCursor(id))
        set.insert(item);
}

void checkUid(const QString& uid, ZEVItemSet& set)
{
    if (!uid.isEmpty())
        addIfPresent(ZEVItemData::Current().itemNumberWithUid(uid), set);
}

} // namespace

// ---------------------------------------------------------------------------------------------

void ZEVItemSet::insert(KELI* item)
{
    if (item && !contains(item))
        items_.push_back(item);
}

bool ZEVItemSet::contains(const KELI* item) const
{
    return std::find(items_.begin(), items_.end(), item) != items_.end();
}

// ---------------------------------------------------------------------------------------------
// Analysis

void ZEVPasteboard::AnalysePasteboard(const QMimeData* data, long uniqueInt)
{
    State& s = state();
    if (s.analysed && uniqueInt == s.uniqueInt)
        return;
    const long keep = uniqueInt;
    s = State();
    s.uniqueInt = keep;
    s.analysed = true;

    const PasteboardContents read = readPasteboard(data);

    // Pictures.
    for (const QImage& image : read.bitmaps)
        s.bitmapImages.append({image, QString()});
    for (const QByteArray& pdf : read.pdfs)
        s.pdfImages.append({pdf, QString()});

    // Files.
    for (const QUrl& url : read.urls) {
        if (!url.isLocalFile())
            continue;
        const QString path = url.toLocalFile();
        // A folder named like a picture holds pictures; it is none.
        if (ImageExtensions().contains(QFileInfo(path).suffix().toLower()) && !QFileInfo(path).isDir())
            s.imageFileURLs << url;
        if (const std::optional<FileDates> dates = fileDates(path)) {
            if (dates->created && *dates->created != kUnixEpoch)
                SetDateCreated(dates->created);
            SetDateModified(dates->modified);
            SetDateOpened(dates->lastUsed);
        }
        s.fileURLs << url;
    }

    // Our own Objects.
    qsizetype recordsLeftOut = 0;
    for (ZEVItemPB& record : ZEVItemPB::unarchive(read.itemRecords, nullptr, &recordsLeftOut)) {
        if (KELI* item = ObjectAtActiveCursor(record.itemInt()))
            if (ZEVItemData* store = ZEVItemDataChannels::ItemDataForChannelInt(record.channelInt())) {
                SetDateCreated(store->createdDateForItem(item));
                SetDateModified(store->modifiedDateForItem(item));
            }
        s.zevItems.push_back(std::move(record));
    }

    // Mail messages.
    for (const QByteArray& bytes : read.messages) {
        const MailHeaders headers = readMailHeaders(bytes);
        ZEVMessageDico message;
        message.bytes = bytes;
        if (!headers.subject.isNull())
            message.fields.insert(QStringLiteral("subject"), headers.subject);
        if (headers.date) {
            SetDateCreated(headers.date);
            SetDateModified(headers.date);
            message.fields.insert(QStringLiteral("createdDate"), recordDate(*headers.date));
            message.fields.insert(QStringLiteral("modifiedDate"), recordDate(*headers.date));
        }
        message.fields.insert(QStringLiteral("uid"), mailUid(bytes, headers));
        s.messages.push_back(std::move(message));
    }

    // Bookmarks, then web addresses of scheme http.
    s.httpBookmarkDicos = read.bookmarks;
    for (const QUrl& url : read.urls)
        if (url.scheme() == QLatin1String("http"))
            s.httpURLs << url;

    // Contacts.
    ZEVSpaceForItemData& space = ZEVItemDataChannels::Space();
    for (const VCard& card : read.vcards) {
        if (std::any_of(s.abPersonUIDs.begin(), s.abPersonUIDs.end(),
                        [&](const ZEVPastedPerson& p) { return p.uid == card.uid; }))
            continue;
        if (const std::optional<ZEVPersonDates> dates = space.personWithUid(card.uid)) {
            if (dates->created && *dates->created != kUnixEpoch)
                SetDateCreated(dates->created);
            SetDateModified(dates->modified);
        }
        s.abPersonUIDs.push_back({card.uid, card});
    }

    // Strings, and the web addresses written as text.
    s.strings = read.strings;
    for (const QString& string : read.strings) {
        const QUrl url = urlOfText(string);
        if (url.isEmpty() || url.host().isEmpty()
            || (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https")))
            continue;
        if (!s.httpURLs.contains(url))
            s.httpURLs << url;
    }

    for (const QList<RtfRun>& runs : read.attributed)
        s.attributedStrings.append(ZEVRichText{runs, {}});

    QStringList leftOut;
    const QLocale locale;
    // "N things were left out: one drop or paste takes at most M things."
    auto tell = [&](qsizetype count, const char* one, const char* many, qsizetype most, const char* mostOf) {
        if (count > 0)
            leftOut << QStringLiteral("%1 %2 left out: one drop or paste takes at most %3 %4.")
                           .arg(locale.toString(count), QString::fromLatin1(count == 1 ? one : many),
                                locale.toString(most), QString::fromLatin1(mostOf));
    };
    tell(read.vcardsLeftOut, "contact was", "contacts were", kMaxVCards, "contacts");
    tell(read.urlsLeftOut, "file or address was", "files and addresses were", kMaxUris, "files and addresses");
    tell(read.bookmarksLeftOut, "bookmark was", "bookmarks were", kMaxBookmarks, "bookmarks");
    tell(recordsLeftOut, "Object was", "Objects were", kMaxItemRecords, "Objects");
    if (read.vcardsTooLarge > 0)
        leftOut << QStringLiteral("%1 %2 left out: their cards hold more than the %3 bytes one drop or paste takes.")
                       .arg(locale.toString(read.vcardsTooLarge),
                            read.vcardsTooLarge == 1 ? QStringLiteral("contact was") : QStringLiteral("contacts were"),
                            locale.toString(kMaxVCardBytes));
    if (read.vcardsDamaged > 0)
        leftOut << (read.vcardsDamaged == 1
                        ? QStringLiteral("1 contact was left out: its card is incomplete or damaged.")
                        : QStringLiteral("%1 contacts were left out: their cards are incomplete or damaged.")
                              .arg(locale.toString(read.vcardsDamaged)));
    s.leftOut = leftOut.join(QLatin1Char(' '));
}

QString ZEVPasteboard::LeftOutText() { return state().leftOut; }

void ZEVPasteboard::TellLeftOut(const QStringList& refused)
{
    QStringList lines = refused;
    if (!state().leftOut.isEmpty())
        lines.prepend(state().leftOut);
    const QString text = lines.join(QLatin1Char('\n'));
    if (text.isEmpty())
        return;
    logFormat("ZEVPasteboard: %s", qUtf8Printable(text));
    auto tell = [text] { ZEVAlert::ShowSimpleAlertWithMessage(QStringLiteral("Not everything was added."), text); };
    if (!Scheduler::hasShared()) {
        tell();
        return;
    }
    // Keyed by the pasteboard's own state: a second drop before the alert shows replaces it.
    Scheduler::shared().cancel(&state(), "leftOut");
    Scheduler::shared().perform(&state(), "leftOut", 0, tell);
}

void ZEVPasteboard::EndAnalysis(long uniqueInt)
{
    if (state().uniqueInt == uniqueInt)
        state().analysed = false;
}

long ZEVPasteboard::LastUniqueInt() { return state().uniqueInt; }

void ZEVPasteboard::Reset() { state() = State(); }

const QList<ZEVPastedImage>& ZEVPasteboard::BitmapImages() { return state().bitmapImages; }
const QList<ZEVPastedPdf>& ZEVPasteboard::PDFImages() { return state().pdfImages; }
const QList<QUrl>& ZEVPasteboard::ImageFileURLs() { return state().imageFileURLs; }
const QList<QUrl>& ZEVPasteboard::FileURLs() { return state().fileURLs; }
const std::vector<ZEVItemPB>& ZEVPasteboard::ZEVItems() { return state().zevItems; }
const std::vector<ZEVMessageDico>& ZEVPasteboard::Messages() { return state().messages; }
const QList<PastedBookmark>& ZEVPasteboard::HttpBookmarkDicos() { return state().httpBookmarkDicos; }
const QList<QUrl>& ZEVPasteboard::HttpURLs() { return state().httpURLs; }
const std::vector<ZEVPastedPerson>& ZEVPasteboard::ABPersonUIDs() { return state().abPersonUIDs; }
const QList<ZEVTrack>& ZEVPasteboard::ITunesTracks() { return state().iTunesTracks; }
const QStringList& ZEVPasteboard::Strings() { return state().strings; }
const QList<ZEVRichText>& ZEVPasteboard::AttributedStrings() { return state().attributedStrings; }

const QStringList& ZEVPasteboard::ImageExtensions()
{
    static const QStringList extensions{QStringLiteral("jpeg"), QStringLiteral("jpg"), QStringLiteral("tiff"),
                                        QStringLiteral("tif"),  QStringLiteral("png"), QStringLiteral("pdf"),
                                        QStringLiteral("crw"),  QStringLiteral("cr2"), QStringLiteral("raf"),
                                        QStringLiteral("mrw"),  QStringLiteral("nef"), QStringLiteral("srf"),
                                        QStringLiteral("exr"),  QStringLiteral("gif")};
    return extensions;
}

std::optional<KELDate> ZEVPasteboard::DateCreated() { return state().dateCreated; }
std::optional<KELDate> ZEVPasteboard::DateModified() { return state().dateModified; }
std::optional<KELDate> ZEVPasteboard::DateOpened() { return state().dateOpened; }
void ZEVPasteboard::SetDateCreated(std::optional<KELDate> d) { earliest(state().dateCreated, d); }
void ZEVPasteboard::SetDateModified(std::optional<KELDate> d) { earliest(state().dateModified, d); }
void ZEVPasteboard::SetDateOpened(std::optional<KELDate> d) { earliest(state().dateOpened, d); }

// ---------------------------------------------------------------------------------------------
// Options of a file

QStringList ZEVPasteboard::SystemFolders()
{
    QStringList list = ZEVItemDataChannels::Folders().applications;
    if (list.isEmpty())
        list << QStringLiteral("/usr/share/applications") << QStringLiteral("/usr/local/share/applications")
             << QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/applications");
    list << QStringLiteral("/usr") << QStringLiteral("/etc") << QStringLiteral("/opt") << QStringLiteral("/snap")
         << QStringLiteral("/var/lib/flatpak") << QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
         << QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    QStringList out;
    for (const QString& f : list)
        if (!f.isEmpty() && !out.contains(canonical(f)))
            out << canonical(f);
    return out;
}

ZEVItemOption ZEVPasteboard::ItemOptionsForFileURL(const QString& path)
{
    if (path.isEmpty())
        return 0;
    const QString file = canonical(path);
    ZEVItemOption options = 0;
    const QStringList system = SystemFolders();
    if (!ZEVItemDataChannels::IfHoldByCloud(file)
        && std::any_of(system.begin(), system.end(), [&](const QString& f) { return inside(file, f); }))
        options |= ZEVOPTION_HOLD_BY_SYSTEM;
    if (ZEVItemDataChannels::IfHoldByZevFolder(file))
        options |= ZEVOPTION_HOLD_BY_ZEV_FOLDER;
    if (ZEVItemDataChannels::IfHoldByApplications(file))
        options |= ZEVOPTION_HOLD_BY_APPLICATIONS | ZEVOPTION_OPEN_ON_CLICK;
    if (ZEVItemDataChannels::IfHoldByCloud(file))
        options |= ZEVOPTION_HOLD_BY_CLOUD;
    // No folder here is a package: every folder opens on a click.
    if (QFileInfo(file).isDir())
        options |= ZEVOPTION_OPEN_ON_CLICK;
    return options;
}

// ---------------------------------------------------------------------------------------------
// The check family

KELI* ZEVPasteboard::ObjectAtActiveCursor(KELId id)
{
    if (id == 0)
        return nullptr;
    KELICurseur* cursor = ZEVItemDataChannels::Space().actifCurseur();
    if (!cursor)
        return nullptr;
    // Any id can come from outside: only an Object of the item model counts.
    KELI* item = KELServeurDeLiens::LienForInt(id, cursor);
    if (!item || item->relationInt() != KELRELATION_ITEM || !cursor->siIncluLeLien(item))
        return nullptr;
    return item;
}

QUrl ZEVPasteboard::UrlForBookmark(const PastedBookmark& bookmark) { return urlOfText(bookmark.url); }

void ZEVPasteboard::CheckBitmapImage(const ZEVPastedImage&, const QUrl& httpURL, ZEVItemSet& set)
{
    checkUid(httpURL.toString(QUrl::FullyEncoded), set);
}

void ZEVPasteboard::CheckPDFImage(const ZEVPastedPdf&, const QUrl& httpURL, ZEVItemSet& set)
{
    checkUid(httpURL.toString(QUrl::FullyEncoded), set);
}

void ZEVPasteboard::CheckFileURLs(const QList<QUrl>& urls, ZEVItemSet& set)
{
    for (const QUrl& url : urls) {
        if (!url.isLocalFile())
            continue;
        if (const KELId web = ZEVItemData::Current().itemNumberWithWeblocPath(url.toLocalFile()))
            addIfPresent(web, set);
        else
            checkUid(ZEVItemData::UidForURL(url.toLocalFile()), set);
    }
}

void ZEVPasteboard::CheckZEVItems(const std::vector<ZEVItemPB>& records, ZEVItemSet& set)
{
    for (const ZEVItemPB& record : records)
        addIfPresent(record.itemInt(), set);
}

void ZEVPasteboard::CheckMessages(const std::vector<ZEVMessageDico>& messages, ZEVItemSet& set)
{
    for (const ZEVMessageDico& m : messages)
        checkUid(m.fields.value(QStringLiteral("uid")).toString(), set);
}

void ZEVPasteboard::CheckBookmarkDicos(const QList<PastedBookmark>& bookmarks, ZEVItemSet& set)
{
    for (const PastedBookmark& b : bookmarks)
        if (const QUrl url = UrlForBookmark(b); !url.isEmpty())
            checkUid(url.toString(QUrl::FullyEncoded), set);
}

void ZEVPasteboard::CheckHttpURLs(const QList<QUrl>& urls, ZEVItemSet& set)
{
    for (const QUrl& url : urls)
        checkUid(url.toString(QUrl::FullyEncoded), set);
}

void ZEVPasteboard::CheckABPersonUIDs(const std::vector<ZEVPastedPerson>& persons, ZEVItemSet& set)
{
    for (const ZEVPastedPerson& p : persons)
        checkUid(p.uid, set);
}

void ZEVPasteboard::CheckITunesTracks(const QList<ZEVTrack>& tracks, ZEVItemSet& set)
{
    for (const ZEVTrack& t : tracks)
        if (t.location.isLocalFile())
            checkUid(ZEVItemData::UidForURL(t.location.toLocalFile()), set);
}

} // namespace tallomer
