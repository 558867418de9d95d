#include "inspectors/core/ZEVInspectImports.h"

#include "desk/data/ZEVItemData.h"
#include "desk/viewer/ZEVDeskDrop.h"
#include "desk/viewer/ZEVDeskViewer.h"
#include "desk/viewer/ZEVImportLookups.h"
#include "engine/KELICurseur.h"
#include "engine/KELServeurDeLiens.h"
#include "inspectors/base/ZEVInspectViewer.h"
#include "platform/sound/Sound.h"
#include "runtime/Log.h"
#include "runtime/Scheduler.h"
#include "services/ZEVFrontViewerServices.h"
#include "space/ZEVSpaceController.h"

#include <QFileDialog>
#include <QFileInfo>

namespace tallomer {

namespace {
using L = ZEVImportLookups;

// Whether the presence made is one the store keeps.
bool listee(const KELI* presence) { return presence && !KELServeurDeLiens::Perdu(presence); }

QString writeBitmap(const ZEVPastedImage& image, const QString& name, KELI* item)
{
    return ZEVItemData::Current().files().createBitmapImage(image.image, name, item);
}

QString writePdf(const ZEVPastedPdf& pdf, const QString& name, KELI* item)
{
    return ZEVItemData::Current().files().createPdfImage(pdf.data, name, item);
}
} // namespace

ZEVInspectImports::ZEVInspectImports(ZEVInspectViewer& viewer, Kind kind) : viewer_(viewer), kind_(std::move(kind)) {}

ZEVInspectImports::~ZEVInspectImports() { Scheduler::shared().cancelAll(this); }

ZEVDeskViewer* ZEVInspectImports::desk() const
{
    ZEVSpaceController& space = viewer_.spaceController();
    return space.deskViewerForCurseur(space.actifCurseur());
}

KELDate ZEVInspectImports::date() const
{
    KELICurseur* c = viewer_.spaceController().actifCurseur();
    return c ? c->now() : 0;
}

bool ZEVInspectImports::accepts(const QString& path) const
{
    if (kind_.extensions.isEmpty())
        return true;
    // A panel of one kind of file takes files: a folder named like one is none.
    const QFileInfo info(path);
    return !info.isDir() && kind_.extensions.contains(info.suffix(), Qt::CaseInsensitive);
}

KELI* ZEVInspectImports::addPastedFile(ZEVDeskViewer& desk, const QString& title, const QString& icon,
                                       const QUrl& httpURL, const Writer& write)
{
    KELI* item = L::creerWithRecord(desk, title, "file", icon, 0, [&](KELI* made) {
        const QString file = write(title, made);
        if (file.isEmpty()) {
            // An Object with no picture behind it shows nothing: it goes, and the import says so once.
            logFormat("%s: the picture %s could not be written", kind_.owner, qUtf8Printable(title));
            beepOwed_ = true;
            return false;
        }
        return L::madeFileRecord(file, httpURL, made);
    });
    if (!item)
        return nullptr;
    kind_.presence(item, date());
    if (!KELServeurDeLiens::SiLienForRelNum(kind_.relation, item->idInt())) {
        L::takeBack(desk, item);
        return nullptr;
    }
    return item;
}

int ZEVInspectImports::addPasted(const QStringList& names, const QString& icon, const IndexedWriter& write,
                                 ZEVItemSet& set)
{
    ZEVDeskViewer* d = desk();
    if (!d)
        return 0;
    int added = 0;
    for (qsizetype i = 0; i < names.size(); ++i) {
        const QString name = names[i].isEmpty() ? QStringLiteral("pasted") : names[i];
        if (KELI* item = addPastedFile(*d, name, icon, QUrl(), [&](const QString& n, KELI* o) { return write(i, n, o); })) {
            set.insert(item);
            ++added;
        }
    }
    return added;
}

int ZEVInspectImports::addPasted(const QList<ZEVPastedImage>& images, ZEVItemSet& set)
{
    QStringList names;
    for (const ZEVPastedImage& image : images)
        names << image.name;
    return addPasted(names, QStringLiteral("tiff"),
                     [&images](qsizetype i, const QString& n, KELI* o) { return writeBitmap(images[i], n, o); }, set);
}

int ZEVInspectImports::addPasted(const QList<ZEVPastedPdf>& pdfs, ZEVItemSet& set)
{
    QStringList names;
    for (const ZEVPastedPdf& pdf : pdfs)
        names << pdf.name;
    return addPasted(names, QStringLiteral("pdf"),
                     [&pdfs](qsizetype i, const QString& n, KELI* o) { return writePdf(pdfs[i], n, o); }, set);
}

bool ZEVInspectImports::addPagePicture(const QUrl& httpURL, const QString& name, const QString& icon,
                                       const Writer& write, ZEVItemSet& set)
{
    ZEVDeskViewer* d = desk();
    if (!d)
        return false;
    QString title = ZEVDeskDrop::displayNameForUrl(httpURL);
    if (title.isEmpty())
        title = name;
    L::webObjectForPage(*d, httpURL, title);
    // The picture's file is named without the address's extension.
    KELI* item = addPastedFile(*d, title, icon, httpURL, [&write](const QString& t, KELI* i) {
        return write(QFileInfo(t).completeBaseName(), i);
    });
    if (item)
        set.insert(item);
    return item != nullptr;
}

bool ZEVInspectImports::addPagePicture(const ZEVPastedImage& image, const QUrl& httpURL, ZEVItemSet& set)
{
    return addPagePicture(httpURL, image.name, QStringLiteral("tiff"),
                          [&image](const QString& n, KELI* i) { return writeBitmap(image, n, i); }, set);
}

bool ZEVInspectImports::addPagePicture(const ZEVPastedPdf& pdf, const QUrl& httpURL, ZEVItemSet& set)
{
    return addPagePicture(httpURL, pdf.name, QStringLiteral("pdf"),
                          [&pdf](const QString& n, KELI* i) { return writePdf(pdf, n, i); }, set);
}

KELI* ZEVInspectImports::importFile(ZEVDeskViewer& desk, const QString& path, ZEVItemOption newOptions, KELDate date,
                                    std::vector<KELI*>& known)
{
    L::Found how = L::Found::None;
    if (KELI* item = L::fileObject(desk, path, &how)) {
        // Listed in the panel before, whatever the dates: recalled rather than listed twice.
        if (KELServeurDeLiens::SiLienForRelNum(kind_.relation, item->idInt()))
            known.push_back(item);
        else if (!listee(kind_.presence(item, date)))
            return nullptr;
        return item;
    }
    const QFileInfo info(path);
    KELI* item = L::creerWithRecord(desk, info.fileName(), "file", info.suffix(), newOptions, [&](KELI* made) {
        return ZEVItemData::Current().createFileURL(path, QUrl(), made);
    });
    if (!item)
        return nullptr;
    kind_.presence(item, date);
    // Its presence was not stored (a full disk, told by its own alert): an Object on no panel
    // and no desk, its record and files unseen, is not made.
    if (!KELServeurDeLiens::SiLienForRelNum(kind_.relation, item->idInt())) {
        L::takeBack(desk, item);
        return nullptr;
    }
    return item;
}

int ZEVInspectImports::addFileURLs(const QList<QUrl>& urls, ZEVItemSet& set)
{
    ZEVDeskViewer* d = desk();
    const KELDate when = date();
    std::vector<KELI*> known;
    QStringList unreadable;
    int added = 0;
    for (const QUrl& url : urls) {
        if (!d || !url.isLocalFile())
            continue;
        const QString path = QFileInfo(url.toLocalFile()).absoluteFilePath();
        if (!QFileInfo::exists(path) || !accepts(path)) {
            logFormat("%s _addFileURLs: no file it takes at %s", kind_.owner, qUtf8Printable(path));
            continue;
        }
        if (kind_.readable && !kind_.readable(path)) {
            logFormat("%s _addFileURLs: %s cannot be read", kind_.owner, qUtf8Printable(path));
            unreadable << QFileInfo(path).fileName();
            continue;
        }
        if (KELI* item = importFile(*d, path, ZEVPasteboard::ItemOptionsForFileURL(path), when, known)) {
            set.insert(item);
            ++added;
        }
    }
    kind_.recall(known);
    // Told once the drop or the panel is over, not from inside it.
    if (!unreadable.isEmpty() && kind_.tellUnreadable)
        Scheduler::shared().perform(this, "tellUnreadable", 0,
                                    [this, unreadable] { kind_.tellUnreadable(unreadable); });
    return added;
}

int ZEVInspectImports::addChosenFiles(const QList<QUrl>& urls, ZEVItemSet& set)
{
    QList<QUrl> taken;
    for (const QUrl& url : urls)
        if (url.isLocalFile() && accepts(url.toLocalFile()))
            taken << url;
    if (taken.size() != urls.size())
        Sound::shared().beep();
    return taken.isEmpty() ? -1 : addFileURLs(taken, set);
}

void ZEVInspectImports::finish(ZEVDeskViewer& desk, const ZEVItemSet& set)
{
    L::linkToSelectedFilters(desk, set);
    if (KELICurseur* c = viewer_.spaceController().actifCurseur())
        c->terminerDeplacementCurseur();
    // An import that brought nothing leaves the selection as it was.
    if (!set.empty())
        L::selectInFrontMode(desk, set.items());
}

bool ZEVInspectImports::takeBeep()
{
    const bool owed = beepOwed_;
    beepOwed_ = false;
    return owed;
}

void ZEVInspectImports::openAddPanel(const QString& folder, std::function<void(const QList<QUrl>&)> chosen)
{
    ZEVFrontViewerServices* front = viewer_.spaceController().frontViewer();
    if (!front) {
        Sound::shared().beep();
        return;
    }
    front->addPanelWithUrl(folder, kind_.panelTitle, kind_.panelMessage,
                           [chosen = std::move(chosen)](const QStringList& paths) {
                               QList<QUrl> urls;
                               for (const QString& path : paths)
                                   urls << QUrl::fromLocalFile(path);
                               chosen(urls);
                           },
                           [this](QFileDialog* panel) {
                               if (!kind_.extensions.isEmpty()) {
                                   QStringList patterns;
                                   for (const QString& e : kind_.extensions)
                                       patterns << QStringLiteral("*.") + e;
                                   panel->setNameFilter(
                                       QStringLiteral("%1 (%2)").arg(kind_.filterName, patterns.join(u' ')));
                               }
                               viewer_.suivrePanneauAjout(panel);
                           });
}

} // namespace tallomer
