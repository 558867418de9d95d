#include "inspectors/ZEVFrontClass.h"

#include "desk/data/ZEVItemData.h"
#include "desk/model/ZEVItemClass.h"
#include "desk/model/ZEVItemOptions.h"
#include "services/ZEVSpaceForObjectViews.h"
#include "space/ZEVSpaceController.h"
#include "engine/KELLien.h"
#include "objects/view/ZEVItemStickers.h"
#include "objects/view/ZEVItemView.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "inspectors/ZEVTransferQueue.h"
#include "inspectors/core/ZEVInspectMenus.h"
#include "platform/files/FileTransfer.h"
#include "platform/files/Webloc.h"
#include "runtime/Log.h"
#include "runtime/Scheduler.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QGraphicsScene>
#include <QUrl>
#include <QUuid>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>

namespace tallomer {

ZEVFrontClass::ZEVFrontClass(ZEVSpaceController& space, ZEVFrontViewerServices& front, QObject* parent)
    : QObject(parent), space_(space), front_(front)
{
    shared_ = this;
    ZEVFileJobs::Referencer(this);
    // What a crash left of the last run's jobs goes before any new job starts.
    ZEVTransferQueue::shared().recoverLeftovers();
    initFrontClass();
}

ZEVFrontClass::~ZEVFrontClass()
{
    // Jobs under way finish on the shared queue; their results find this object gone.
    if (shared_ == this)
        shared_ = nullptr;
    if (ZEVFileJobs::Shared() == this)
        ZEVFileJobs::Referencer(nullptr);
}

void ZEVFrontClass::waitForTransfers() { ZEVTransferQueue::shared().waitForDone(); }

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
        // In one pass: a name holding "%1" is the user's own text, never a place to fill.
        const QString candidate =
            QStringLiteral("%1_%2%3").arg(stem, QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0')), ext);
        if (!QFileInfo::exists(dir.filePath(candidate)) && !QFileInfo(dir.filePath(candidate)).isSymLink())
            return candidate;
    }
}

ZEVFrontClass::Result ZEVFrontClass::transfer(const QString& source, const QString& folder, bool move,
                                              const Rename& renameFn)
{
    Result r;
    if (!siFolder(folder)) {
        r.error = QStringLiteral("%1 is not a folder").arg(folder);
        return r;
    }
    RenameFn rename = systemRename();
    if (renameFn)
        rename = [renameFn, first = std::make_shared<bool>(true)](const QByteArray& from, const QByteArray& to,
                                                                  unsigned flags) {
            // The given rename stands for the move itself; a copy is named by the system's.
            if (!*first || flags != RENAME_NOREPLACE)
                return systemRename()(from, to, flags);
            *first = false;
            const int e = renameFn(QFile::decodeName(from), QFile::decodeName(to));
            errno = e;
            return e == 0 ? 0 : -1;
        };
    ZEVTransferQueue& queue = ZEVTransferQueue::shared();
    const QString target = queue.reserveName(folder, QFileInfo(source).fileName());
    const TransferOutcome out = transferNoReplace(source, target, transferTempPath(folder), move, nullptr, rename);
    queue.release(target);
    if (out.sourceLeft)
        if (const FileResult removed = removeTransferredSource(source); !removed)
            logFormat("ZEVFrontClass transfer: %s", qPrintable(removed.error));
    r.ok = out.ok;
    r.error = out.error;
    r.path = out.ok ? target : QString();
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

bool ZEVFrontClass::siDuplicateToForItem(KELI* item)
{
    return siFileObject(item) && !siItemOption(item, ZEVOPTION_MASK_COPY_REFUSED) &&
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
    // Into the folder's icon, small, where its opening would be.
    const ZEVIconPosition f = fv->iconPosition();
    const ZEVIconPosition into{f.x + 0.2 * f.size, f.y + 0.73 * f.size, f.size / 10, f.angle};
    std::vector<KELI*> going;
    for (KELI* item : moving)
        if (startTransfer(item, viewer, folder, true, true, into))
            going.push_back(item);
    for (KELI* item : duplicating)
        if (startTransfer(item, viewer, folder, false, true, into))
            going.push_back(item);
    // What does not go slides back instead of floating for good: the staying Objects, those whose
    // job could not start, and those the desk put in no list (an Object that names no file).
    std::vector<KELI*> back = staying;
    for (const auto& k : ZEVItemViewer::CopiedItemViews())
        if (k && k->item() && std::find(going.begin(), going.end(), k->item()) == going.end() &&
            std::find(back.begin(), back.end(), k->item()) == back.end())
            back.push_back(k->item());
    for (KELI* item : back)
        stickerForItem(viewer, item, ZEVItemStickers::kForOptions);
    viewer->slideBackCopiesForItems(back, kDragSlide, kDragGone);
    space_.updateAllTableViews();
}

namespace {
ZEVItemView* dragCopyForItem(KELI* item)
{
    for (const auto& k : ZEVItemViewer::CopiedItemViews())
        if (k && k->item() == item)
            return k.get();
    return nullptr;
}
} // namespace

void ZEVFrontClass::slideDragCopy(KELI* item, ZEVItemViewer* viewer, const std::optional<ZEVIconPosition>& into)
{
    // The copies belong to the last drag: a later one has replaced them.
    ZEVItemView* k = dragCopyForItem(item);
    ZEVItemView* v = viewer ? viewer->itemViewForItem(item) : nullptr;
    if (!k || (!into && !v))
        return;
    if (!k->scene())
        if (QGraphicsScene* scene = v ? v->scene() : nullptr) {
            k->setZValue(1e6);
            scene->addItem(k);
        }
    if (into) {
        if (v)
            k->setIconPosition(v->iconPosition(), 0);
        if (k->itemImageView())
            k->itemImageView()->setOpacity(1.0);
    }
    k->setIconPosition(into ? *into : v->iconPosition(), kDragSlide);
    Scheduler::shared().perform(k->cible(), "removeFromSuperview", kDragGone, [k] {
        if (QGraphicsScene* s = k->scene())
            s->removeItem(k);
    });
}

bool ZEVFrontClass::startTransfer(KELI* item, ZEVItemViewer* viewer, const QString& folder, bool move,
                                  bool releaseMoved, const ZEVIconPosition& into)
{
    ZEVItemData& data = ZEVItemData::Current();
    if (!viewer || !siFolder(folder))
        return false;
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
        return false;
    move = move && !webloc;
    // Already in that folder: no file is touched; a moved Object leaves the desk all the same.
    if (!webloc && QDir::cleanPath(QFileInfo(source).absolutePath()) == QDir::cleanPath(QFileInfo(folder).absoluteFilePath())) {
        clearItemOption(item, move ? ZEVOPTION_MOVING : ZEVOPTION_COPYING);
        stickerForItem(viewer, item, ZEVItemStickers::kForOptions);
        slideDragCopy(item, viewer, into);
        if (move && releaseMoved)
            viewer->userReleaseIconForItem(item);
        return true;
    }
    addItemOption(item, move ? ZEVOPTION_MOVING : ZEVOPTION_COPYING);
    stickerForItem(viewer, item, move ? ZEVItemStickers::kMove : ZEVItemStickers::kCopy);
    // The record is written in the Channel of the drop, whichever is current at the end.
    const KELId channel = currentChannelInt_;
    // The item viewer lives as long as its Space; the folder's view may go meanwhile, and
    // so may the Object's: each report looks it up anew.
    ZEVTransferQueue& queue = ZEVTransferQueue::shared();
    if (webloc) {
        queue.run([url, title, folder, r = std::make_shared<Result>()] { return (*r = writeWebloc(url, title, folder)).ok; },
                  this, [this, item, viewer, releaseMoved, channel, into](bool ok) {
                      Result r;
                      r.ok = ok;
                      r.error = ok ? QString() : QStringLiteral("the web location could not be written");
                      jobEnded(item, viewer, false, r, releaseMoved, channel, into);
                  });
        return true;
    }
    ZEVTransferQueue::Job job;
    job.source = source;
    job.target = queue.reserveName(folder, QFileInfo(source).fileName());
    job.move = move;
    job.itemId = item->idInt();
    job.mark = move ? ZEVOPTION_MOVING : ZEVOPTION_COPYING;
    TransferRecord record;
    record.itemId = job.itemId;
    record.channel = channel;
    record.source = source;
    record.target = job.target;
    // Only a large file shows a bar; a small one ends before a bar would tell anything.
    record.size = transferSize(source);
    progressStart(dragging_, item, record);
    queue.start(job, this, [this, item, viewer, move, releaseMoved, job, channel, into](const TransferOutcome& out) {
        Result r;
        r.ok = out.ok;
        r.error = out.error;
        r.path = job.target;
        if (!out.ok) {
            logFormat(move ? "Drag error when moving file: %s" : "Drag Error when copying file: %s", qPrintable(job.source));
            logFormat(move ? "                  to folder: %s" : "                   to folder: %s", qPrintable(job.target));
        }
        // The source of a move by copy goes once the record names the copy.
        if (jobEnded(item, viewer, move, r, releaseMoved, channel, into, job.source, out.sourceLeft) && out.sourceLeft)
            ZEVTransferQueue::shared().run([source = job.source] { return removeTransferredSource(source).ok; }, this,
                                           {});
    });
    return true;
}

void ZEVFrontClass::duplicateToSpace(ZEVItemViewerForDesks* v)
{
    auto* viewer = dynamic_cast<ZEVItemViewer*>(v);
    if (!viewer)
        return;
    // Each new Object comes where its drag copy was dropped, with the copy's look.
    std::vector<DuplicateSource> sources;
    for (const auto& copy : ZEVItemViewer::CopiedItemViews()) {
        if (!copy)
            continue;
        DuplicateSource s;
        s.item = copy->item();
        s.position = copy->iconPosition();
        s.ratio = copy->imageSizeRatio();
        s.image = copy->itemImageView() ? copy->itemImageView()->image() : QImage();
        s.copy = copy.get();
        ZEVItemView* original = viewer->itemViewForItem(copy->item());
        s.title = original ? original->itemTitle() : QString();
        if (s.title.isEmpty())
            s.title = QFileInfo(ZEVItemData::Current().fileUrlForItem(copy->item())).fileName();
        sources.push_back(s);
    }
    duplicateItems(sources, QString(), QString());
}

bool ZEVFrontClass::jobEnded(KELI* item, ZEVItemViewer* viewer, bool move, const Result& r, bool releaseMoved,
                             KELId channel, const ZEVIconPosition& into, const QString& source, bool sourceLeft)
{
    clearItemOption(item, move ? ZEVOPTION_MOVING : ZEVOPTION_COPYING);
    // A moved Object leaves the desk; a duplicated one stays and refers to the copy from now on.
    const bool kept = r.ok && (r.path.isEmpty() || recordFollows(item, channel, source, r.path, move && !sourceLeft));
    progressEnd(dragging_, item, kept);
    if (!kept) {
        if (!r.ok)
            logFormat("ZEVFrontClass: %s", qPrintable(r.error));
        addItemOption(item, ZEVOPTION_ERROR);
        stickerForItem(viewer, item, ZEVItemStickers::kError);
        slideDragCopy(item, viewer, std::nullopt);
        scheduleTableRefresh();
        return false;
    }
    clearItemOption(item, ZEVOPTION_ERROR | (move ? 0 : ZEVOPTION_HOLD_BY_SYSTEM));
    stickerForItem(viewer, item, ZEVItemStickers::kForOptions);
    slideDragCopy(item, viewer, into);
    // A duplicated Object shows its copy from now on.
    for (ZEVItemView* v : viewsOfItem(item))
        v->updateImage();
    if (move && viewer && releaseMoved)
        viewer->userReleaseIconForItem(item);
    scheduleTableRefresh();
    return true;
}

} // namespace tallomer
