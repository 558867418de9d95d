#include "desk/viewer/ZEVDeskSaveAs.h"

#include "desk/data/ZEVItemData.h"
#include "desk/model/ZEVDeskIds.h"
#include "desk/model/ZEVItemClass.h"
#include "desk/model/ZEVItemOptions.h"
#include "desk/view/ZEVDeskView.h"
#include "desk/viewer/ZEVDeskViewRegistry.h"
#include "desk/viewer/ZEVDeskViewer.h"
#include "engine/KELICurseur.h"
#include "engine/KELLien.h"
#include "engine/KELServeurDeLiens.h"
#include "platform/files/FileIdentity.h"
#include "platform/files/OutsideNames.h"
#include "runtime/Log.h"
#include "services/ZEVSpaceForDeskViewers.h"
#include "space/desk/ZEVDeskGeometry.h"
#include "widgets/ZEVAlert.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace tallomer {

ZEVDeskSaveAs::ZEVDeskSaveAs(Space& space, std::unique_ptr<DirectoryWatch> watch)
    : space_(space), watch_(std::move(watch))
{
    watch_->onScan = [this] { receiveFilesForURL(watch_->path()); };
}

void ZEVDeskSaveAs::startToListen()
{
    // Files put into the folder while the program was not running become Objects now.
    receiveFilesForURL(watch_->path());
}

bool ZEVDeskSaveAs::siPartialName(const QString& name)
{
    static const QLatin1String kPartial[] = {QLatin1String("download"), QLatin1String("part"),
                                             QLatin1String("crdownload"), QLatin1String("partial")};
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return false;
    const QStringView suffix = QStringView(name).mid(dot + 1);
    return std::any_of(std::begin(kPartial), std::end(kPartial),
                       [&](QLatin1String s) { return suffix.compare(s, Qt::CaseInsensitive) == 0; });
}

bool ZEVDeskSaveAs::unknownEntries(const QString& folder, std::vector<Entry>& out, QString* error,
                                   std::vector<Stuck>* stuck)
{
    const QString base = QDir::cleanPath(folder) + QLatin1Char('/');
    const std::vector<ZEVItemData*> stores = ZEVItemDataChannels::ItemDatas();
    // Every entry at every activation: nothing is made for an entry already known but its uid.
    const bool listed = forEachFolderEntry(
        folder,
        [&](const char* name, const std::optional<FileIdentity>& identity) {
            // Gone meanwhile, or unreadable: nothing to make an Object of.
            if (!identity)
                return;
            // Already an Object somewhere (dropped on a desk, then moved into the folder).
            const QString uid = identity->uid();
            if (std::any_of(stores.begin(), stores.end(),
                            [&](ZEVItemData* s) { return s->itemNumberWithUid(uid) != 0; }))
                return;
            QString decoded = QFile::decodeName(name);
            if (!identity->fileOrFolder) {
                // Left where it is, under the name it has: nothing of it is read.
                if (stuck)
                    stuck->push_back({base + decoded,
                                      QStringLiteral("\u201c%1\u201d is neither a file nor a folder (a pipe, a socket or a "
                                                     "device): it stays where it is and does not become an Object.")
                                          .arg(decoded)});
                return;
            }
            if (!isTextName(name)) {
                // No path of ours can name it as it is: it is given a name that can be.
                QString why;
                const auto renamed = textPath(QFile::encodeName(base) + name, &why);
                if (!renamed) {
                    logFormat("ZEVDeskSaveAs: %s", qUtf8Printable(why));
                    if (stuck)
                        stuck->push_back(
                            {base + decoded,
                             QStringLiteral("The name of \u201c%1\u201d is not valid UTF-8, and Tallomer could not give "
                                            "it one that is (%2). Rename it, and it will become an Object.")
                                 .arg(decoded, why)});
                    return;
                }
                decoded = QFileInfo(*renamed).fileName();
            }
            if (!siPartialName(decoded))
                out.push_back({base + decoded, decoded});
        },
        error);
    std::sort(out.begin(), out.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });
    return listed;
}

void ZEVDeskSaveAs::receiveFilesForURL(const QString& folder)
{
    const bool dropFolder = QDir::cleanPath(folder) == watch_->path();
    if (dropFolder) {
        // This scan sees what the waiting one would have; the folder may have been made anew.
        watch_->cancelPendingScan();
        watch_->renew();
    }
    std::vector<Entry> entries;
    std::vector<Stuck> stuck;
    QString error;
    const bool listed = unknownEntries(folder, entries, &error, &stuck);
    tellStuck(stuck);
    if (!listed) {
        logFormat("ZEVDeskSaveAs Error when get content of folder: %s", qUtf8Printable(folder));
        logFormat("                                              : %s", qUtf8Printable(error));
        return;
    }
    if (entries.empty())
        return;
    const KELId channel = space_.zevFolderChannelInt();
    ZEVDeskViewer* desk = space_.nowDeskViewer();
    ZEVItemData* store = ZEVItemDataChannels::ItemDataForChannelInt(channel);
    if (!desk || !store) {
        logFormat("ZEVDeskSaveAs ERROR: no desk or no store for Channel %llu", (unsigned long long)channel);
        return;
    }
    for (const Entry& entry : entries)
        importEntry(entry, channel, *desk, *store);
}

void ZEVDeskSaveAs::importEntry(const Entry& entry, KELId channel, ZEVDeskViewer& desk, ZEVItemData& store)
{
    // A file replaced by another of the same name: the Object stays, it learns the new uid.
    // The Channel whose store knows the path, the folder's own first: a store that loaded a
    // replaced file's record leaves its new uid unknown, whichever Channel it is.
    ZEVItemData* holder = &store;
    KELId known = store.itemNumberWithPath(entry.path);
    for (ZEVItemData* other : ZEVItemDataChannels::ItemDatas())
        if (!known && other && (known = other->itemNumberWithPath(entry.path)))
            holder = other;
    if (known) {
        KELI* item = KELServeurDeLiens::LienForInt(known, desk.curseur());
        if (item && item->relationInt() == KELRELATION_ITEM) {
            item->setChannelInt(holder->channelInt());
            if (!KELServeurDeLiens::SiLienForRelNum(KELRELATION_ICON_VIEWER, item->idInt())) {
                // The icon first: the new uid is what tells every later scan that the file is
                // taken. Learnt before an icon the store did not keep (a full disk, a stop
                // between the two), it would leave the Object on no desk, its file never shown.
                if (placeKeptIcon(item, desk))
                    holder->updateFileUidWithItem(item, entry.path);
                return;
            }
            holder->updateFileUidWithItem(item, entry.path);
            ZEVItemViewForDesks* view = desk.itemViewForItem(item);
            if (!view)
                view = desk.ajouterItemViewAvecItem(item);
            if (view)
                desk.views().majAttributs(view);
            if (ZEVDeskView* surface = desk.deskView())
                surface->update();
            return;
        }
    }
    ZEVItemClass* factory = desk.itemClass();
    const QFileInfo info(entry.path);
    const std::uint64_t refusees = KELServeurDeLiens::EcrituresRefusees();
    KELI* item = nullptr;
    {
        // The Object and its icon together: one left on no desk would keep its record, and the
        // scans, finding the file known, would never show it.
        const KELServeurDeLiens::Acte acte(0);
        if (!acte.complet())
            return;
        // Without its record the Object could never find its file: it is not kept, and the next
        // scan tries again.
        item = factory ? factory->creerItemWithRecord(
                             channel, entry.name.toStdString(), "file", info.suffix().toStdString(),
                             ZEVOPTION_HOLD_BY_ZEV_FOLDER,
                             [&](KELI* made) { return store.createFileURL(entry.path, QUrl(), made); })
                       : nullptr;
        if (item)
            placeNewIcon(item, desk);
    }
    if (!item) {
        logFormat("ZEVDeskSaveAs ERROR: no Object was made for %s", qUtf8Printable(entry.path));
        return;
    }
    if (KELServeurDeLiens::EcrituresRefusees() != refusees) {
        // The store kept none of it (told by its own alert): the record goes, the file stays, and
        // the next scan tries again.
        logFormat("ZEVDeskSaveAs ERROR: the Object of %s was not stored", qUtf8Printable(entry.path));
        store.forgetRecordsOfItem(item->idInt());
        if (ZEVItemViewForDesks* view = desk.itemViewForItem(item))
            desk.deleteItemView(view);
    }
}

void ZEVDeskSaveAs::tellStuck(const std::vector<Stuck>& stuck)
{
    const qsizetype before = stuckToTell_.size();
    for (const Stuck& e : stuck)
        if (toldStuck_.insert(e.path).second)
            stuckToTell_ << e.line;
    if (stuckToTell_.size() == before || before > 0)
        return;
    Scheduler::shared().perform(this, "tellStuck", 0, [this] {
        const QStringList lines = std::exchange(stuckToTell_, {});
        ZEVAlert::ShowSimpleAlertWithMessage(
            lines.size() == 1 ? QStringLiteral("A file in your drop folder cannot be taken.")
                              : QStringLiteral("%1 files in your drop folder cannot be taken.").arg(lines.size()),
            lines.join(u'\n'));
    });
}

bool ZEVDeskSaveAs::placeKeptIcon(KELI* item, ZEVDeskViewer& desk)
{
    const std::uint64_t refusees = KELServeurDeLiens::EcrituresRefusees();
    {
        const KELServeurDeLiens::Acte acte(0);
        if (!acte.complet())
            return false;
        placeNewIcon(item, desk);
    }
    if (KELServeurDeLiens::EcrituresRefusees() == refusees)
        return true;
    // Told by the store's own alert; the next scan, finding the file new, tries again.
    logFormat("ZEVDeskSaveAs ERROR: the icon of Object %llu was not stored", (unsigned long long)item->idInt());
    if (ZEVItemViewForDesks* view = desk.itemViewForItem(item))
        desk.deleteItemView(view);
    return false;
}

void ZEVDeskSaveAs::placeNewIcon(KELI* item, ZEVDeskViewer& desk)
{
    ZEVDeskGeometry* geometry = desk.space() ? desk.space()->deskGeometry() : nullptr;
    const QPointF at = geometry ? geometry->nextIconDefaultPosition().topLeft() : QPointF();
    desk.creerItemViewWithItem(item, at, 0.0);
    if (ZEVDeskView* surface = desk.deskView())
        surface->update();
}

} // namespace tallomer
