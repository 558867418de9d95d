// The transfer queue's entry points on the front's list class: an Object's file moved or copied to
// a folder the user chooses, or into the Object's own folder of the Space's drop store, in the
// background on the shared queue, with its marks, stickers and progress on the main thread.

#include "inspectors/ZEVFrontClass.h"
#include "services/ZEVInspectorServices.h"

#include "desk/data/ZEVItemData.h"
#include "desk/data/ZEVItemDataChannels.h"
#include "desk/model/ZEVItemClass.h"
#include "desk/model/ZEVItemOptions.h"
#include "engine/KELServeurDeLiens.h"
#include "inspectors/ZEVTransferQueue.h"
#include "objects/view/ZEVItemStickers.h"
#include "objects/view/ZEVItemView.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "platform/files/FileTransfer.h"
#include "platform/files/Webloc.h"
#include "runtime/Log.h"
#include "runtime/Scheduler.h"
#include "services/ZEVFrontMode.h"
#include "services/ZEVFrontViewerServices.h"
#include "space/ZEVSpaceController.h"
#include "widgets/FileTypeIcon.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>

#include <algorithm>

namespace tallomer {

namespace {

ZEVItemData& storeFor(KELId channel)
{
    ZEVItemData* d = ZEVItemDataChannels::ItemDataForChannelInt(channel);
    return d ? *d : ZEVItemData::Current();
}

QString clean(const QString& folder) { return QDir::cleanPath(QFileInfo(folder).absoluteFilePath()); }

bool siZevFolder(const QString& folder)
{
    const QString zev = ZEVItemDataChannels::Folders().zevFolder;
    return !zev.isEmpty() && clean(folder) == clean(zev);
}

// A plain folder is refused by the Space forms (Linux has no packages); a file or a link passes.
bool siSpaceFile(const QString& path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    return (info.exists() || info.isSymLink()) && (info.isSymLink() || !info.isDir());
}

} // namespace

std::vector<KELI*> ZEVFrontClass::rightMenuItems()
{
    dropStaleMenuLink();
    std::vector<KELI*> items;
    if (rightMenuLink_) {
        for (KELI* o : {rightMenuLink_->parentItem(), rightMenuLink_->enfantItem()})
            if (o)
                items.push_back(o);
    } else if (rightMenuItem_) {
        items.push_back(rightMenuItem_);
    }
    return items;
}

// The row menu's Handle items act on the row it was opened on, whatever else is selected.
void ZEVFrontClass::moveToInTableView(ZEVTableView&) { moveToForItems(rightMenuItems()); }
void ZEVFrontClass::moveToSpaceInTableView(ZEVTableView&) { moveToSpaceForItems(rightMenuItems()); }
void ZEVFrontClass::copyToInTableView(ZEVTableView&) { copyToForItems(rightMenuItems()); }
void ZEVFrontClass::copyToSpaceInTableView(ZEVTableView&) { copyToSpaceForItems(rightMenuItems()); }

// ---- eligibility ----

bool ZEVFrontClass::siMoveToForItem(KELI* item) { return item && !siItemOption(item, ZEVOPTION_MASK_MOVE_REFUSED); }
bool ZEVFrontClass::siCopyToForItem(KELI* item) { return item && !siItemOption(item, ZEVOPTION_MASK_COPY_REFUSED); }

bool ZEVFrontClass::siMoveToSpaceForItem(KELI* item)
{
    return item && !siItemOption(item, ZEVOPTION_MASK_MOVE_TO_SPACE_REFUSED) &&
           siSpaceFile(ZEVItemData::Current().fileUrlForItem(item));
}

bool ZEVFrontClass::siCopyToSpaceForItem(KELI* item)
{
    return item && !siItemOption(item, ZEVOPTION_MASK_COPY_TO_SPACE_REFUSED) &&
           siSpaceFile(ZEVItemData::Current().fileUrlForItem(item));
}

// ---- the folder panel ----

namespace {
ZEVFrontClass::FolderPanel& folderPanel()
{
    static ZEVFrontClass::FolderPanel panel;
    return panel;
}
} // namespace

void ZEVFrontClass::setFolderPanel(FolderPanel panel) { folderPanel() = std::move(panel); }

QString ZEVFrontClass::chooseFolder(const QString& title, const QString& prompt, const QString& message,
                                    const QString& startFolder)
{
    if (folderPanel())
        return folderPanel()(title, prompt, message, startFolder);
    QFileDialog panel(QApplication::activeWindow(), title, startFolder);
    panel.setObjectName(QStringLiteral("ZEVTransferPanel"));
    panel.setOption(QFileDialog::DontUseNativeDialog, true);
    showTypeIconsIn(panel);
    panel.setOption(QFileDialog::ShowDirsOnly, true);
    panel.setFileMode(QFileDialog::Directory);
    panel.setAcceptMode(QFileDialog::AcceptOpen);
    panel.setLabelText(QFileDialog::Accept, prompt);
    if (auto* grid = qobject_cast<QGridLayout*>(panel.layout())) {
        auto* label = new QLabel(message, &panel);
        label->setObjectName(QStringLiteral("ZEVTransferPanelMessage"));
        grid->addWidget(label, grid->rowCount(), 0, 1, grid->columnCount());
    }
    if (panel.exec() != QDialog::Accepted || panel.selectedFiles().isEmpty())
        return {};
    return panel.selectedFiles().constFirst();
}

QString ZEVFrontClass::openPanelFolderUrlWithItem(KELI* item)
{
    std::vector<KELI*> items;
    if (item)
        items = {item};
    else {
        ZEVSelections& s = space_.selections();
        switch (front_.frontMode()) {
        case ZEVFrontModeIcons: items = s.selectedIconItems(); break;
        case ZEVFrontModeTitles: items = s.selectedTitleItems(); break;
        case ZEVFrontModeFilters: items = s.selectedFilterItems(); break;
        case ZEVFrontModeLinks: items.assign(s.selectedNodeItemSet().begin(), s.selectedNodeItemSet().end()); break;
        default: break;
        }
    }
    if (items.size() == 1 && !siItemOption(items.front(), ZEVOPTION_MASK_PANEL_IN_DOCUMENTS)) {
        // The Object's own Channel keeps its file: the Icons panel's rows come from every Channel.
        ZEVItemData* store = ZEVItemDataChannels::ItemDataForChannelInt(items.front()->channelInt());
        const QString path = (store ? *store : ZEVItemData::Current()).fileUrlForItem(items.front());
        if (!path.isEmpty())
            return QFileInfo(path).suffix().isEmpty() ? clean(path) : QFileInfo(path).absolutePath();
    }
    return QDir::homePath() + QStringLiteral("/Documents/");
}

// ---- the entry points ----

void ZEVFrontClass::moveToForItems(const std::vector<KELI*>& items)
{
    if (items.size() == 1)
        return moveToForItem(items.front());
    const QString folder = chooseFolder(QStringLiteral("Move %1 Objects to\u2026").arg(items.size()),
                                        QStringLiteral("Move"), QStringLiteral("Select the destination Folder"),
                                        openPanelFolderUrlWithItem(nullptr));
    if (folder.isEmpty())
        return;
    if (siZevFolder(folder))
        return moveToSpaceForItems(items);
    for (KELI* item : items)
        if (siMoveToForItem(item))
            folderTransfer(folder, item, false);
    space_.updateAllTableViews();
}

void ZEVFrontClass::copyToForItems(const std::vector<KELI*>& items)
{
    if (items.size() == 1)
        return copyToForItem(items.front());
    const QString folder = chooseFolder(QStringLiteral("Copy %1 Objects to\u2026").arg(items.size()),
                                        QStringLiteral("Copy"), QStringLiteral("Select the destination Folder"),
                                        openPanelFolderUrlWithItem(nullptr));
    if (folder.isEmpty())
        return;
    if (siZevFolder(folder))
        return copyToSpaceForItems(items);
    for (KELI* item : items)
        if (siCopyToForItem(item))
            folderTransfer(folder, item, true);
    space_.updateAllTableViews();
}

namespace {
QString panelMessage(KELI* item, const QString& path)
{
    QString m = QStringLiteral("Select the destination Folder\nActual location : ");
    if (siItemOption(item, ZEVOPTION_HOLD_BY_ZEV))
        return m + QStringLiteral("---   (hold by Tallomer.app)");
    if (siItemOption(item, ZEVOPTION_HOLD_BY_CLOUD))
        return m + QStringLiteral("---   (hold by iCloud)");
    return m + path;
}
} // namespace

void ZEVFrontClass::moveToForItem(KELI* item)
{
    if (!item)
        return;
    const QString path = ZEVItemData::Current().fileUrlForItem(item);
    const QString folder = chooseFolder(QStringLiteral("Move \"%1\" to\u2026").arg(QFileInfo(path).completeBaseName()),
                                        QStringLiteral("Move"), panelMessage(item, path),
                                        openPanelFolderUrlWithItem(nullptr));
    if (folder.isEmpty())
        return;
    if (siZevFolder(folder))
        return spaceTransfer(item, false);
    if (!siMoveToForItem(item))
        return;
    folderTransfer(folder, item, false);
    space_.updateAllTableViews();
}

void ZEVFrontClass::copyToForItem(KELI* item)
{
    if (!item)
        return;
    const QString path = ZEVItemData::Current().fileUrlForItem(item);
    const QString folder = chooseFolder(QStringLiteral("Copy \"%1\" to\u2026").arg(QFileInfo(path).completeBaseName()),
                                        QStringLiteral("Copy"), panelMessage(item, path),
                                        openPanelFolderUrlWithItem(nullptr));
    if (folder.isEmpty())
        return;
    if (siZevFolder(folder)) {
        if (!siItemOption(item, ZEVOPTION_HOLD_BY_ZEV))
            spaceTransfer(item, true);
        return;
    }
    if (!siCopyToForItem(item))
        return;
    folderTransfer(folder, item, true);
    space_.updateAllTableViews();
}

void ZEVFrontClass::moveToSpaceForItems(const std::vector<KELI*>& items)
{
    for (KELI* item : items)
        spaceTransfer(item, false);
}

void ZEVFrontClass::copyToSpaceForItems(const std::vector<KELI*>& items)
{
    for (KELI* item : items)
        spaceTransfer(item, true);
}

void ZEVFrontClass::moveToSpaceForItem(KELI* item) { spaceTransfer(item, false); }
void ZEVFrontClass::copyToSpaceForItem(KELI* item) { spaceTransfer(item, true); }

void ZEVFrontClass::spaceTransfer(KELI* item, bool copy)
{
    // Read before the file test: finding the file sets the holder bits anew from its place, and a
    // caller that cleared the store's hold (a new background image) wants the record to follow.
    const bool held = siItemOption(item, ZEVOPTION_HOLD_BY_ZEV);
    if (!(copy ? siCopyToSpaceForItem(item) : siMoveToSpaceForItem(item))) {
        beep();
        return;
    }
    const QString folder = storeFor(currentChannelInt_).itemDropFolder(item->idInt());
    if (!QFileInfo::exists(folder) && !QDir().mkdir(folder)) {
        logFormat("%sToSpaceItem:%llu ERROR 1: cannot make %s", copy ? "copy" : "move",
                  static_cast<unsigned long long>(item->idInt()), qPrintable(folder));
        // Nothing is copied or moved: the user hears why instead of seeing nothing happen.
        ZEVItemDataChannels::ReportStoreError(QStringLiteral("cannot create folder %1").arg(folder));
        return;
    }
    folderTransfer(folder, item, copy, held);
    space_.updateAllTableViews();
}

// ---- one transfer ----

void ZEVFrontClass::folderTransfer(const QString& folder, KELI* item, bool copy, std::optional<bool> held)
{
    if (!held)
        held = siItemOption(item, ZEVOPTION_HOLD_BY_ZEV);
    const QString source = storeFor(currentChannelInt_).fileUrlForItem(item);
    if (source.isEmpty() || !item)
        return;
    // Already in that folder: nothing to do.
    if (clean(QFileInfo(source).absolutePath()) == clean(folder))
        return;
    // A folder never goes into itself or one of its own folders.
    if (isSameOrInside(folder, source)) {
        beep();
        return;
    }
    const QString type = typeForItem(item);
    if (!copy && type == QLatin1String("http")) {
        if (!moveWebloc(item, folder, source)) {
            beep();
            logFormat("moveToItem:%llu ERROR: the web location could not be written in %s",
                      static_cast<unsigned long long>(item->idInt()), qPrintable(folder));
        }
        return;
    }
    // Only a file can be moved: anything else would keep its moving mark for ever.
    if (!copy && type != QLatin1String("file")) {
        beep();
        return;
    }
    ZEVTransferQueue& queue = ZEVTransferQueue::shared();
    TransferRecord record;
    record.itemId = item->idInt();
    record.channel = currentChannelInt_;
    record.source = source;
    record.target = queue.reserveName(folder, QFileInfo(source).fileName());
    record.size = transferSize(source);
    // A copy of a file the store holds is a plain copy: the Object keeps its own file.
    record.follow = !copy || !*held;
    transferStart(item, record, copy);
    ZEVTransferQueue::Job job;
    job.source = source;
    job.target = record.target;
    job.move = !copy;
    job.itemId = record.itemId;
    job.mark = copy ? ZEVOPTION_COPYING : ZEVOPTION_MOVING;
    queue.start(job, this, [this, item, copy](const TransferOutcome& out) {
        if (out.ok)
            transferFinish(item, copy, out.sourceLeft);
        else
            transferFail(item, copy);
    });
}

bool ZEVFrontClass::moveWebloc(KELI* item, const QString& folder, const QString& source)
{
    ZEVItemData& data = storeFor(currentChannelInt_);
    const QString url = data.uidForItem(item, QStringLiteral("http"));
    if (url.isEmpty())
        return false;
    ZEVTransferQueue& queue = ZEVTransferQueue::shared();
    const QString path = queue.reserveName(folder, QFileInfo(source).completeBaseName() + QStringLiteral(".webloc"));
    const QString dropFolder = data.itemDropFolder(item->idInt());
    // What lies in the drop folder now is the page's old download; the .webloc may go there too.
    const QStringList old = QDir(dropFolder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    const FileResult written = writeNewWeblocFile(path, url);
    queue.release(path);
    if (!written) {
        logFormat("ZEVFrontClass: %s", qPrintable(written.error));
        return false;
    }
    // The type first: a link base that cannot keep it (a full disk, told by its own alert) leaves
    // the web Object as it was, records, download and all.
    ZEVItemViewer* now = space_.itemViewerForCurseur(space_.nowCurseur());
    ZEVItemClass* items = now ? now->itemClass() : nullptr;
    const std::string ancien = typeForItem(item).toStdString();
    if (items && !items->changeItem(item, "file")) {
        QFile::remove(path);
        return false;
    }
    // The web record goes only once the file record stands in its place: the Object keeps one.
    if (!data.createFileURL(path, QUrl(), item)) {
        if (items)
            items->changeItem(item, ancien);
        QFile::remove(path);
        return false;
    }
    for (const QString& name : old)
        if (QDir(dropFolder).filePath(name) != path)
            removeTree(QDir(dropFolder).filePath(name));
    QFile::remove(data.recordPath(item->idInt(), QStringLiteral("http")));
    for (KELICurseur* c : {space_.nowCurseur(), space_.searchCurseur()})
        if (ZEVItemViewer* v = space_.itemViewerForCurseur(c))
            if (ZEVItemView* view = v->itemViewForItem(item)) {
                view->setItemType(QStringLiteral("file"));
                view->updateImage();
            }
    scheduleTableRefresh();
    return true;
}

// ---- the steps, on the main thread ----

std::vector<ZEVItemView*> ZEVFrontClass::viewsOfItem(KELI* item) const
{
    std::vector<ZEVItemView*> views;
    for (KELICurseur* c : {space_.nowCurseur(), space_.searchCurseur()})
        if (ZEVItemViewer* v = c ? space_.itemViewerForCurseur(c) : nullptr)
            if (ZEVItemView* view = v->itemViewForItem(item))
                views.push_back(view);
    return views;
}

ZEVItemView* ZEVFrontClass::nowViewOfItem(KELI* item) const
{
    ZEVItemViewer* v = space_.nowCurseur() ? space_.itemViewerForCurseur(space_.nowCurseur()) : nullptr;
    return v ? v->itemViewForItem(item) : nullptr;
}

void ZEVFrontClass::progressStart(Transfers& t, KELI* item, const TransferRecord& record)
{
    TransferRecord r = record;
    r.progress = r.size > kProgressBytes;
    t.records[item] = r;
    if (!r.progress)
        return;
    if (t.progress.empty())
        Scheduler::shared().perform(this, t.poll, kFirstPoll, [this, &t] { progressRun(t); });
    t.progress.push_back(item);
    for (ZEVItemView* v : viewsOfItem(item))
        v->duplicateStart();
}

void ZEVFrontClass::progressRun(Transfers& t)
{
    for (KELI* item : t.progress) {
        const auto it = t.records.find(item);
        if (it == t.records.end())
            continue;
        const TransferRecord& r = it->second;
        // The copy grows under its temporary name, and has its own once whole.
        qint64 now = 0;
        const QDir folder = QFileInfo(r.target).absoluteDir();
        for (const QString& name : folder.entryList({QString::fromLatin1(kTransferTempPrefix) + '*'},
                                                    QDir::Files | QDir::Hidden))
            now = std::max(now, QFileInfo(folder.filePath(name)).size());
        if (QFileInfo(r.target).isFile())
            now = QFileInfo(r.target).size();
        const float fraction = r.size > 0 ? std::clamp(float(now) / float(r.size), 0.0f, 1.0f) : 0.0f;
        for (ZEVItemView* v : viewsOfItem(item))
            v->duplicateSetStatus(fraction);
    }
    if (!t.progress.empty())
        Scheduler::shared().perform(this, t.poll, kNextPoll, [this, &t] { progressRun(t); });
}

bool ZEVFrontClass::progressEnd(Transfers& t, KELI* item, bool ok, TransferRecord* record)
{
    const auto it = t.records.find(item);
    if (it == t.records.end())
        return false;
    if (record)
        *record = it->second;
    t.records.erase(it);
    if (const auto at = std::find(t.progress.begin(), t.progress.end(), item); at != t.progress.end()) {
        t.progress.erase(at);
        for (ZEVItemView* v : viewsOfItem(item))
            ok ? v->duplicateFinish() : v->duplicateError();
    }
    return true;
}

void ZEVFrontClass::transferStart(KELI* item, const TransferRecord& record, bool copy)
{
    progressStart(transfers(copy), item, record);
    addItemOption(item, copy ? ZEVOPTION_COPYING : ZEVOPTION_MOVING);
    if (ZEVItemView* v = nowViewOfItem(item))
        v->addSticker(copy ? ZEVItemStickers::kCopy : ZEVItemStickers::kMove);
}

void ZEVFrontClass::scheduleTableRefresh()
{
    Scheduler::shared().cancel(this, "updateAllTableViews");
    Scheduler::shared().perform(this, "updateAllTableViews", kRefreshDelay, [this] { space_.updateAllTableViews(); });
}

void ZEVFrontClass::transferFinish(KELI* item, bool copy, bool sourceLeft)
{
    TransferRecord r;
    if (!progressEnd(transfers(copy), item, true, &r))
        return;
    const std::vector<ZEVItemView*> views = viewsOfItem(item);
    // The store of the Channel the job started in, whichever is current now.
    if (r.follow && !recordFollows(item, r.channel, r.source, r.target, !copy && !sourceLeft)) {
        transferFail(item, copy);
        return;
    }
    clearItemOption(item, (copy ? ZEVOPTION_COPYING | ZEVOPTION_HOLD_BY_SYSTEM : ZEVOPTION_MOVING) | ZEVOPTION_ERROR);
    if (ZEVItemView* v = nowViewOfItem(item))
        v->addSticker(ZEVItemStickers::kForOptions);
    for (ZEVItemView* v : views)
        v->updateImage();
    // A move by copy: the source goes now that the record names the copy.
    if (sourceLeft) {
        ZEVTransferQueue& queue = ZEVTransferQueue::shared();
        if (queue.quitting())
            removeTransferredSource(r.source);
        else
            queue.run([source = r.source] { return removeTransferredSource(source).ok; }, this, {});
    }
    scheduleTableRefresh();
}

bool ZEVFrontClass::recordFollows(KELI* item, KELId channel, const QString& source, const QString& target,
                                  bool renamed)
{
    // Only a file Object's record names its file; any other keeps what it has.
    if (storeFor(channel).updateFilePathWithItem(item, target) || typeForItem(item) != QLatin1String("file"))
        return true;
    // Left as it is, the file would be where the Object no longer finds it (or, moved by copy,
    // only where the Object does not look once its source is removed).
    const FileResult back = takeBackTransfer(source, target, renamed);
    logFormat("ZEVFrontClass: the record of %s cannot name %s; the transfer is taken back%s%s",
              qPrintable(source), qPrintable(target), back ? "" : ": ", back ? "" : qPrintable(back.error));
    ZEVItemDataChannels::ReportStoreError(
        back ? QStringLiteral("the record of %1 cannot be written; it was left where it was").arg(source)
             : QStringLiteral("the record of %1 cannot be written, and the file stays at %2").arg(source, target));
    return false;
}

void ZEVFrontClass::transferFail(KELI* item, bool copy)
{
    progressEnd(transfers(copy), item, false);
    const std::vector<ZEVItemView*> views = viewsOfItem(item);
    clearItemOption(item, copy ? ZEVOPTION_COPYING : ZEVOPTION_MOVING);
    addItemOption(item, ZEVOPTION_ERROR);
    if (ZEVItemView* v = nowViewOfItem(item))
        v->addSticker(ZEVItemStickers::kError);
    for (ZEVItemView* v : views)
        v->updateImage();
    scheduleTableRefresh();
}

} // namespace tallomer
