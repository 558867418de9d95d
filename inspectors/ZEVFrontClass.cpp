#include "inspectors/ZEVFrontClass.h"

#include "desk/data/ZEVItemData.h"
#include "desk/model/ZEVItemClass.h"
#include "desk/model/ZEVItemOptions.h"
#include "services/ZEVSpaceForObjectViews.h"
#include "engine/KELLien.h"
#include "objects/view/ZEVItemStickers.h"
#include "objects/view/ZEVItemView.h"
#include "objects/viewer/ZEVItemViewer.h"
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

// Copies a file or a whole folder to `to`, which must not exist.
bool copyTree(const QString& from, const QString& to, QString* error)
{
    const QFileInfo info(from);
    if (info.isSymLink() || !info.isDir()) {
        if (!QFile::copy(from, to)) {
            *error = QStringLiteral("cannot copy %1").arg(from);
            return false;
        }
        return true;
    }
    if (!QDir().mkdir(to)) {
        *error = QStringLiteral("cannot make %1").arg(to);
        return false;
    }
    const QDir dir(from);
    for (const QString& name : dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        if (!copyTree(dir.filePath(name), QDir(to).filePath(name), error))
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
                                              const Rename& renameFn)
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
        if (!copyTree(source, temp, &r.error)) {
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
    auto start = [&](KELI* item, bool move) {
        const QString source = data.fileUrlForItem(item);
        if (source.isEmpty() || !siFolder(folder))
            return;
        addItemOption(item, move ? ZEVOPTION_MOVING : ZEVOPTION_COPYING);
        stickerForItem(viewer, item, move ? ZEVItemStickers::kMove : ZEVItemStickers::kCopy);
        // The item viewer lives as long as its Space; the folder's view may go meanwhile.
        pool_.start([this, item, viewer, source, folder, move] {
            const Result r = transfer(source, folder, move);
            // The record is the main thread's.
            QMetaObject::invokeMethod(this, [this, item, viewer, move, r] { jobEnded(item, viewer, move, r); },
                                      Qt::QueuedConnection);
        });
    };
    for (KELI* item : moving)
        start(item, true);
    for (KELI* item : duplicating)
        start(item, false);
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

void ZEVFrontClass::jobEnded(KELI* item, ZEVItemViewer* viewer, bool move, const Result& r)
{
    clearItemOption(item, move ? ZEVOPTION_MOVING : ZEVOPTION_COPYING);
    if (!r.ok) {
        logFormat("ZEVFrontClass: %s", qPrintable(r.error));
        addItemOption(item, ZEVOPTION_ERROR);
        stickerForItem(viewer, item, ZEVItemStickers::kError);
        return;
    }
    stickerForItem(viewer, item, ZEVItemStickers::kForOptions);
    if (!move)
        return;
    ZEVItemData::Current().updateFilePathWithItem(item, r.path);
    if (viewer)
        viewer->userReleaseIconForItem(item);
}

} // namespace tallomer
