#include "inspectors/ZEVFrontClass.h"

#include "desk/data/ZEVItemData.h"
#include "desk/model/ZEVItemClass.h"
#include "desk/model/ZEVItemOptions.h"
#include "services/ZEVSpaceForObjectViews.h"
#include "engine/KELLien.h"
#include "objects/view/ZEVItemStickers.h"
#include "objects/view/ZEVItemView.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "platform/files/Webloc.h"
#include "runtime/Log.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <QUuid>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>

namespace tallomer {

namespace {

int renameNoReplace(const QString& from, const QString& to)
{
    const QByteArray a = QFile::encodeName(from), b = QFile::encodeName(to);
    return ::renameat2(AT_FDCWD, a.constData(), AT_FDCWD, b.constData(), RENAME_NOREPLACE) == 0 ? 0 : errno;
}

qint64 treeSize(const QString& path)
{
    const QFileInfo info(path);
    if (info.isSymLink() || !info.isDir())
        return info.size();
    qint64 n = 0;
    QDirIterator it(path, QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        n += it.fileInfo().size();
    }
    return n;
}

// Copies a file or a whole folder to `to`, which must not exist; `copied` hears each file's bytes.
bool copyTree(const QString& from, const QString& to, QString* error,
              const std::function<void(qint64)>& copied = {})
{
    const QFileInfo info(from);
    if (info.isSymLink() || !info.isDir()) {
        if (!QFile::copy(from, to)) {
            *error = QStringLiteral("cannot copy %1").arg(from);
            return false;
        }
        if (copied)
            copied(info.size());
        return true;
    }
    if (!QDir().mkdir(to)) {
        *error = QStringLiteral("cannot make %1").arg(to);
        return false;
    }
    const QDir dir(from);
    for (const QString& name : dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        if (!copyTree(dir.filePath(name), QDir(to).filePath(name), error, copied))
            return false;
    return true;
}

bool removeTree(const QString& path)
{
    const QFileInfo info(path);
    if (info.isDir() && !info.isSymLink())
        return QDir(path).removeRecursively();
    return QFile::remove(path);
}

} // namespace

ZEVFrontClass::ZEVFrontClass(ZEVSpaceController& space, ZEVFrontViewerServices& front, QObject* parent)
    : QObject(parent), space_(space), front_(front)
{
    pool_.setMaxThreadCount(2);
    shared_ = this;
    initFrontClass();
}

ZEVFrontClass::~ZEVFrontClass()
{
    // Jobs under way finish; their results, still to come on the main thread, go with this object.
    pool_.waitForDone();
    if (shared_ == this)
        shared_ = nullptr;
}

bool ZEVFrontClass::siFolder(const QString& path) { return ZEVItemDragView::siFolderPath(path); }

QString ZEVFrontClass::freeNameInFolder(const QString& folder, const QString& name)
{
    const QDir dir(folder);
    if (!QFileInfo::exists(dir.filePath(name)) && !QFileInfo(dir.filePath(name)).isSymLink())
        return name;
    const QFileInfo n(name);
    const QString stem = n.completeBaseName().isEmpty() ? name : n.completeBaseName();
    const QString ext = n.completeBaseName().isEmpty() || n.suffix().isEmpty() ? QString() : "." + n.suffix();
    for (int i = 1;; ++i) {
        const QString candidate = QStringLiteral("%1_%2%3").arg(stem).arg(i, 2, 10, QLatin1Char('0')).arg(ext);
        if (!QFileInfo::exists(dir.filePath(candidate)) && !QFileInfo(dir.filePath(candidate)).isSymLink())
            return candidate;
    }
}

ZEVFrontClass::Result ZEVFrontClass::transfer(const QString& source, const QString& folder, bool move,
                                              const Rename& renameFn, const Progress& progress)
{
    Result r;
    const Rename rename = renameFn ? renameFn : Rename(renameNoReplace);
    const QFileInfo src(source);
    if (!src.exists() && !src.isSymLink()) {
        r.error = QStringLiteral("no file at %1").arg(source);
        return r;
    }
    if (!siFolder(folder)) {
        r.error = QStringLiteral("%1 is not a folder").arg(folder);
        return r;
    }
    // A folder into itself or one of its own folders would copy itself without end.
    const QString s = src.canonicalFilePath(), f = QFileInfo(folder).canonicalFilePath();
    if (src.isDir() && (f == s || f.startsWith(s + '/'))) {
        r.error = QStringLiteral("%1 cannot go into itself").arg(source);
        return r;
    }
    // Names are tried until one is free at the moment of the rename: another writer may take one.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString target = QDir(folder).filePath(freeNameInFolder(folder, src.fileName()));
        if (move) {
            const int e = rename(source, target);
            if (e == 0) {
                r.ok = true;
                r.path = target;
                return r;
            }
            if (e == EEXIST)
                continue;
            if (e != EXDEV) {
                r.error = QStringLiteral("cannot move %1: %2").arg(source, QString::fromLocal8Bit(std::strerror(e)));
                return r;
            }
        }
        // A copy, or a move to another device: made whole under a hidden name, then named.
        const QString temp = QDir(folder).filePath(QStringLiteral(".tallomer-%1.part")
                                                       .arg(QUuid::createUuid().toString(QUuid::WithoutBraces)));
        const qint64 total = progress ? treeSize(source) : 0;
        qint64 done = 0;
        const auto copied = [&](qint64 bytes) {
            done += bytes;
            if (progress && total > 0)
                progress(double(done) / double(total));
        };
        if (!copyTree(source, temp, &r.error, copied)) {
            removeTree(temp);
            return r;
        }
        const int e = renameNoReplace(temp, target);
        if (e == EEXIST) {
            removeTree(temp);
            continue;
        }
        if (e != 0) {
            removeTree(temp);
            r.error = QStringLiteral("cannot name %1: %2").arg(target, QString::fromLocal8Bit(std::strerror(e)));
            return r;
        }
        if (move && !removeTree(source))
            logFormat("ZEVFrontClass transfer: %s copied but not removed", qPrintable(source));
        r.ok = true;
        r.path = target;
        return r;
    }
    r.error = QStringLiteral("no free name in %1").arg(folder);
    return r;
}

ZEVFrontClass::Result ZEVFrontClass::writeWebloc(const QString& url, const QString& title, const QString& folder)
{
    Result r;
    if (url.isEmpty()) {
        r.error = QStringLiteral("no web address for %1").arg(title);
        return r;
    }
    if (!siFolder(folder)) {
        r.error = QStringLiteral("%1 is not a folder").arg(folder);
        return r;
    }
    QString stem = title.trimmed();
    stem.replace(QLatin1Char('/'), QLatin1Char('-'));
    if (stem.isEmpty() || stem.startsWith(QLatin1Char('.')))
        stem.prepend(QStringLiteral("Web"));
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString path = QDir(folder).filePath(freeNameInFolder(folder, stem + QStringLiteral(".webloc")));
        const FileResult written = writeNewWeblocFile(path, url);
        if (written.ok) {
            r.ok = true;
            r.path = path;
            return r;
        }
        // Taken meanwhile: the next free name.
        if (!QFileInfo::exists(path)) {
            r.error = written.error;
            return r;
        }
    }
    r.error = QStringLiteral("no free name in %1").arg(folder);
    return r;
}

namespace {
bool siFileObject(KELI* item)
{
    return item && QFileInfo::exists(ZEVItemData::Current().recordPath(item->idInt(), QStringLiteral("file")));
}
bool siWebObject(KELI* item)
{
    return item && QFileInfo::exists(ZEVItemData::Current().recordPath(item->idInt(), QStringLiteral("http")));
}
// An existing file that is not a folder.
bool siPlainFile(const QString& path) { return !path.isEmpty() && QFileInfo::exists(path) && !ZEVFrontClass::siFolder(path); }
} // namespace

bool ZEVFrontClass::siCopyToForItem(KELI* item) { return item && !siItemOption(item, ZEVOPTION_MASK_MOVE_REFUSED); }

bool ZEVFrontClass::siCopyToSpaceForItem(KELI* item)
{
    return item && !siItemOption(item, ZEVOPTION_MASK_COPY_TO_SPACE_REFUSED);
}

bool ZEVFrontClass::siDuplicateToForItem(KELI* item)
{
    return siFileObject(item) && !siItemOption(item, ZEVOPTION_MASK_COPY_REFUSED) &&
           siPlainFile(ZEVItemData::Current().fileUrlForItem(item));
}

bool ZEVFrontClass::siMoveToForItem(KELI* item) { return item && !siItemOption(item, ZEVOPTION_MASK_MOVE_REFUSED); }

bool ZEVFrontClass::siMoveToSpaceForItem(KELI* item)
{
    return item && !siItemOption(item, ZEVOPTION_MASK_MOVE_TO_SPACE_REFUSED) &&
           siPlainFile(ZEVItemData::Current().fileUrlForItem(item));
}

namespace {
void stickerForItem(ZEVItemViewer* viewer, KELI* item, int code)
{
    if (ZEVItemView* v = viewer ? viewer->itemViewForItem(item) : nullptr)
        v->addSticker(code);
}
} // namespace

void ZEVFrontClass::dragToFolderItemView(ZEVItemViewForDesks* folderView, const std::vector<KELI*>& moving,
                                         const std::vector<KELI*>& duplicating, const std::vector<KELI*>& staying)
{
    auto* fv = dynamic_cast<ZEVItemView*>(folderView);
    ZEVItemViewer* viewer = fv ? fv->itemViewer() : nullptr;
    if (!fv || !viewer)
        return;
    ZEVItemData& data = ZEVItemData::Current();
    const QString folder = data.fileUrlForItem(fv->item());
    for (KELI* item : staying)
        stickerForItem(viewer, item, ZEVItemStickers::kForOptions);
    viewer->slideBackCopiesForItems(staying);
    for (KELI* item : moving)
        startTransfer(item, viewer, folder, true, true);
    for (KELI* item : duplicating)
        startTransfer(item, viewer, folder, false, true);
}

void ZEVFrontClass::startTransfer(KELI* item, ZEVItemViewer* viewer, const QString& folder, bool move,
                                  bool releaseMoved)
{
    ZEVItemData& data = ZEVItemData::Current();
    if (!viewer || !siFolder(folder))
        return;
    const QString source = data.fileUrlForItem(item);
    ZEVItemView* view = viewer->itemViewForItem(item);
    // A web page (or no download at all) goes as its address; the Object stays where it is.
    const bool web = view ? view->itemType() == QLatin1String("http") : siWebObject(item) && !siFileObject(item);
    const bool webloc = web &&
                        (source.isEmpty() || QFileInfo(source).suffix().toLower() == QLatin1String("html") ||
                         QFileInfo(source).suffix().toLower() == QLatin1String("htm"));
    const QString url = webloc ? data.uidForItem(item, QStringLiteral("http")) : QString();
    const QString title = view ? view->itemTitle() : QString();
    if (webloc ? url.isEmpty() : source.isEmpty())
        return;
    move = move && !webloc;
    addItemOption(item, move ? ZEVOPTION_MOVING : ZEVOPTION_COPYING);
    stickerForItem(viewer, item, move ? ZEVItemStickers::kMove : ZEVItemStickers::kCopy);
    if (view)
        view->duplicateStart();
    // The item viewer lives as long as its Space; the folder's view may go meanwhile, and
    // so may the Object's: each report looks it up anew.
    pool_.start([this, item, viewer, source, folder, move, webloc, url, title, releaseMoved] {
        const auto progress = [this, item, viewer](double f) {
            QMetaObject::invokeMethod(
                this,
                [item, viewer, f] {
                    if (ZEVItemView* v = viewer->itemViewForItem(item))
                        v->duplicateSetStatus(float(f));
                },
                Qt::QueuedConnection);
        };
        const Result r = webloc ? writeWebloc(url, title, folder) : transfer(source, folder, move, {}, progress);
        // The record is the main thread's.
        QMetaObject::invokeMethod(
            this, [this, item, viewer, move, releaseMoved, r] { jobEnded(item, viewer, move, r, releaseMoved); },
            Qt::QueuedConnection);
    });
}

void ZEVFrontClass::duplicateToSpace(ZEVItemViewerForDesks* v)
{
    auto* viewer = dynamic_cast<ZEVItemViewer*>(v);
    ZEVSpaceForObjectViews* space = viewer ? viewer->spaceController() : nullptr;
    if (!viewer || !viewer->itemClass() || !space)
        return;
    ZEVItemData& data = ZEVItemData::Current();
    for (const auto& copy : ZEVItemViewer::CopiedItemViews()) {
        if (!copy || copy->itemType() != QLatin1String("file"))
            continue;
        const QString source = data.fileUrlForItem(copy->item());
        if (source.isEmpty())
            continue;
        const QFileInfo info(source);
        // The copy carries no title of its own: the original's view on this desk, else the file's.
        ZEVItemView* original = viewer->itemViewForItem(copy->item());
        const QString title = original && !original->itemTitle().isEmpty() ? original->itemTitle() : info.fileName();
        KELI* item = viewer->itemClass()->creerItemWithChannelInt(space->identityInt(), title.toStdString(),
                                                                  "file", info.suffix().toStdString(),
                                                                  ZEVOPTION_DUPLICATING);
        const QString folder = item ? data.files().ensureItemDropFolder(item->idInt()) : QString();
        if (folder.isEmpty()) {
            logFormat("ZEVFrontClass duplicateToSpace: no new Object for %s", qPrintable(source));
            continue;
        }
        const ZEVIconPosition position = copy->iconPosition();
        const float ratio = copy->imageSizeRatio();
        pool_.start([this, item, viewer, source, folder, position, ratio] {
            const Result r = transfer(source, folder, false);
            QMetaObject::invokeMethod(
                this,
                [item, viewer, position, ratio, r] {
                    clearItemOption(item, ZEVOPTION_DUPLICATING);
                    if (!r.ok) {
                        logFormat("ZEVFrontClass: %s", qPrintable(r.error));
                        addItemOption(item, ZEVOPTION_ERROR);
                        return;
                    }
                    ZEVItemData::Current().createFileURL(r.path, QUrl(), item);
                    // The new view reads its image from the record now complete.
                    if (ZEVDeskViewerForObjectViews* desk = viewer->deskViewer())
                        if (ZEVItemViewForDesks* nv = desk->creerItemViewWithItem(item, position, ratio))
                            desk->majItemView(nv);
                },
                Qt::QueuedConnection);
        });
    }
}

void ZEVFrontClass::jobEnded(KELI* item, ZEVItemViewer* viewer, bool move, const Result& r, bool releaseMoved)
{
    clearItemOption(item, move ? ZEVOPTION_MOVING : ZEVOPTION_COPYING);
    ZEVItemView* view = viewer ? viewer->itemViewForItem(item) : nullptr;
    if (!r.ok) {
        logFormat("ZEVFrontClass: %s", qPrintable(r.error));
        addItemOption(item, ZEVOPTION_ERROR);
        if (view)
            view->duplicateError();
        stickerForItem(viewer, item, ZEVItemStickers::kError);
        return;
    }
    if (view)
        view->duplicateFinish();
    stickerForItem(viewer, item, ZEVItemStickers::kForOptions);
    if (!move)
        return;
    ZEVItemData::Current().updateFilePathWithItem(item, r.path);
    if (viewer && releaseMoved)
        viewer->userReleaseIconForItem(item);
}

} // namespace tallomer
