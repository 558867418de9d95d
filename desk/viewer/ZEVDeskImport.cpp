#include "desk/viewer/ZEVDeskImport.h"

#include "desk/data/ZEVItemData.h"
#include "desk/model/ZEVItemClass.h"
#include "desk/pasteboard/ZEVPasteboard.h"
#include "desk/viewer/ZEVDeskViewer.h"
#include "engine/KELServeurDeLiens.h"
#include "platform/files/FileIdentity.h"
#include "runtime/Log.h"
#include "services/ZEVIconPosition.h"
#include "services/ZEVSpaceForDeskViewers.h"

#include <QDir>
#include <QFileInfo>

#include <set>

namespace tallomer::deskimport {

namespace {

// A pipe, a socket or a device: nothing a user keeps, and a pipe would hold whoever reads it.
bool neitherFileNorFolder(const QFileInfo& info)
{
    return info.exists() && !info.isFile() && !info.isDir();
}

void walk(const QString& folder, QStringList& out, std::set<QString>& seen, QStringList* refused)
{
    // A folder reached twice (a bind mount, a loop through a link the walk did follow) ends there.
    if (!seen.insert(QFileInfo(folder).canonicalFilePath()).second)
        return;
    const QFileInfoList entries =
        QDir(folder).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::System, QDir::Name);
    for (const QFileInfo& e : entries) {
        if (e.isHidden() || e.fileName().startsWith(QLatin1Char('.')))
            continue;
        if (e.isDir()) {
            if (!e.isSymLink())
                walk(e.absoluteFilePath(), out, seen, refused);
            continue;
        }
        if (neitherFileNorFolder(e)) {
            if (refused)
                *refused << e.absoluteFilePath();
            continue;
        }
        out << e.absoluteFilePath();
    }
}

} // namespace

QStringList filesOfChoice(const QStringList& chosen, QStringList* refused)
{
    QStringList out;
    std::set<QString> seen;
    for (const QString& given : chosen) {
        const QFileInfo info(given);
        if (given.isEmpty() || !info.exists()) {
            logFormat("ZEVSpaceController menuActionImport: no file at %s", qUtf8Printable(given));
            continue;
        }
        if (info.isDir())
            walk(info.absoluteFilePath(), out, seen, refused);
        else if (neitherFileNorFolder(info) && refused)
            *refused << info.absoluteFilePath();
        else if (!neitherFileNorFolder(info))
            out << info.absoluteFilePath();
    }
    return out;
}

QRectF randomRect(const QSizeF& desk, const std::function<unsigned()>& random)
{
    const long w = long(desk.width()) - 100;
    const long h = long(desk.height()) - 100;
    const double x = w >= 1 ? double(random() % unsigned(w)) : 0.0;
    const double y = h >= 1 ? double(random() % unsigned(h)) : 0.0;
    return QRectF(x, y, 100.0, 0.0);
}

bool createNewItemWithFileURL(ZEVDeskViewer& desk, const QString& path, const QRectF& position)
{
    ZEVSpaceForDeskViewers* space = desk.space();
    ZEVItemClass* factory = desk.itemClass();
    if (!space || !factory)
        return false;
    const QFileInfo info(path);
    ZEVItemData& store = ZEVItemData::Current();
    if (store.itemNumberWithUid(ZEVItemData::UidForURL(path)) != 0 || store.itemNumberWithPath(path) != 0)
        return false;
    // Where the file system keeps no birth time the modification date stands in, not 2001.
    const std::optional<FileDates> dates = fileDates(path);
    if (!dates) {
        logFormat("ZEVSpaceController menuActionImport: no file at %s", qUtf8Printable(path));
        return false;
    }
    const KELDate created = dates->created ? *dates->created : dates->modified.value_or(0.0);
    const std::uint64_t refusees = KELServeurDeLiens::EcrituresRefusees();
    KELI* item = nullptr;
    {
        // The Object and its icon together: one on no desk would keep the file known, and no
        // later import would take it.
        const KELServeurDeLiens::Acte acte(0);
        if (!acte.complet())
            return false;
        item = factory->creerItemWithRecord(space->identityInt(), info.fileName().toStdString(), "file",
                                            info.suffix().toStdString(), ZEVPasteboard::ItemOptionsForFileURL(path),
                                            [&](KELI* made) { return store.createFileURL(path, QUrl(), made); });
        if (item)
            desk.creerIconForItem(item, ZEVIconPosition{position.x(), position.y(), position.width(), 0}, created,
                                  created + kImportDuration, 1.0f);
    }
    if (!item) {
        logFormat("ZEVSpaceController menuActionImport: no Object was made for %s", qUtf8Printable(path));
        return false;
    }
    if (KELServeurDeLiens::EcrituresRefusees() != refusees) {
        // The store kept none of it (told by its own alert): nothing of it stays, the file is untouched.
        logFormat("ZEVSpaceController menuActionImport: the Object of %s was not stored", qUtf8Printable(path));
        store.forgetRecordsOfItem(item->idInt());
        if (ZEVItemViewForDesks* view = desk.itemViewForItem(item))
            desk.deleteItemView(view);
        return false;
    }
    return true;
}

int importChoice(ZEVDeskViewer& desk, const QStringList& chosen, const std::function<unsigned()>& random,
                 QStringList* refused)
{
    const QSizeF size = desk.deskViewFrame().size();
    int made = 0;
    for (const QString& path : filesOfChoice(chosen, refused))
        if (createNewItemWithFileURL(desk, path, randomRect(size, random)))
            ++made;
    return made;
}

} // namespace tallomer::deskimport
