// Duplicate on the front's list class: for each chosen file Object, a copy of its file and a new
// "file" Object that refers to the copy, placed on the active desk beside its source. The new
// Objects and their views exist at once; the bytes follow in the background on the shared transfer
// queue, with the duplicating mark, the Copy sticker and, for large files, progress.

#include "inspectors/ZEVFrontClass.h"

#include "desk/data/ZEVItemData.h"
#include "desk/model/ZEVItemClass.h"
#include "desk/model/ZEVItemOptions.h"
#include "engine/KELServeurDeLiens.h"
#include "inspectors/ZEVTransferQueue.h"
#include "objects/view/ZEVItemStickers.h"
#include "objects/view/ZEVItemView.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "platform/files/FileTransfer.h"
#include "runtime/Log.h"
#include "runtime/Scheduler.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSpaceController.h"
#include "widgets/ZEVAlert.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGraphicsScene>

#include <algorithm>

namespace tallomer {

namespace {

ZEVItemData& storeOf(KELId channel)
{
    ZEVItemData* d = ZEVItemDataChannels::ItemDataForChannelInt(channel);
    return d ? *d : ZEVItemData::Current();
}

ZEVFrontClass::SavePanel& savePanel()
{
    static ZEVFrontClass::SavePanel panel;
    return panel;
}

bool siTaken(const QDir& dir, const QString& name)
{
    const QFileInfo f(dir.filePath(name));
    return f.exists() || f.isSymLink();
}

constexpr ZEVItemOption kCarried = ZEVOPTION_SHOW_TITLE | ZEVOPTION_QL_ICON | ZEVOPTION_GIF | ZEVOPTION_ANIMATE;

} // namespace

void ZEVFrontClass::setSavePanel(SavePanel panel) { savePanel() = std::move(panel); }

// ---- names ----

QString ZEVFrontClass::duplicateFileName(const QString& name, const QString& ext)
{
    if (ext.isEmpty())
        return name;
    const QFileInfo n(name);
    const QString base = n.suffix() == ext && !n.completeBaseName().isEmpty()
                             ? name.left(name.size() - ext.size() - 1)
                             : name;
    return base + QLatin1Char('.') + ext;
}

QString ZEVFrontClass::safeEnteredName(const QString& entered)
{
    // Only the last component: a typed path never leads outside the chosen folder.
    QString name = entered.section(QLatin1Char('/'), -1);
    name.remove(QChar(0));
    for (QChar& c : name)
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char('_');
    name = name.trimmed();
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return {};
    return name;
}

std::optional<QString> ZEVFrontClass::confirmDuplicateName(const QString& entered, const QString& ext,
                                                           const QString& folder)
{
    const QString name = safeEnteredName(entered);
    if (name.isEmpty() || !siFolder(folder))
        return std::nullopt;
    const QDir dir(folder);
    const QString full = duplicateFileName(name, ext);
    if (!siTaken(dir, full))
        return name;
    const QString base = ext.isEmpty() ? full : full.left(full.size() - ext.size() - 1);
    QString free;
    for (int i = 1;; ++i) {
        // In one pass: a name holding "%1" is the user's own text, never a place to fill.
        const QString n = QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0'));
        free = ext.isEmpty() ? QStringLiteral("%1_%2").arg(base, n) : QStringLiteral("%1_%2.%3").arg(base, n, ext);
        if (!siTaken(dir, free))
            break;
    }
    if (!ZEVAlert::ShowYesNoAlertWithTitle(QStringLiteral("Filename already exists"),
                                           QStringLiteral("Rename automaticaly?"),
                                           QStringLiteral("New filename: %1").arg(free)))
        return std::nullopt;
    return free;
}

// ---- the entry points ----

void ZEVFrontClass::duplicateToForItems(const std::vector<KELI*>& items)
{
    if (items.empty())
        return;
    KELI* first = items.front();
    const QString firstPath = ZEVItemData::Current().fileUrlForItem(first);
    QString folder = siItemOption(first, ZEVOPTION_HOLD_BY_ZEV) || firstPath.isEmpty()
                         ? QDir::homePath()
                         : QFileInfo(firstPath).absolutePath();
    QString title, message, name, ext;
    if (items.size() > 1) {
        title = QStringLiteral("Duplicate %1 Objects to\u2026").arg(items.size());
        name = QStringLiteral("Untitled");
        message = QStringLiteral("Mutiple selections\nUntitled_01 to Untitled_%1")
                      .arg(qulonglong(items.size()), 2, 10, QLatin1Char('0'));
    } else {
        title = QStringLiteral("Duplicate 1 Object to\u2026");
        name = titleForItem(first);
        ext = QFileInfo(firstPath).suffix();
        if (name.isEmpty())
            name = QFileInfo(firstPath).completeBaseName();
    }
    // The panel stays until a usable name is confirmed or the user cancels it.
    for (;;) {
        const QString chosen = savePanel() ? savePanel()(title, QStringLiteral("Duplicate"), message, name, folder)
                                           : QString();
        if (chosen.isEmpty())
            return;
        const QFileInfo at(chosen);
        folder = at.absolutePath();
        name = at.fileName();
        if (const std::optional<QString> ok = confirmDuplicateName(name, ext, folder)) {
            const std::vector<KELI*> made = duplicateItems(duplicateSources(items), folder, *ok);
            space_.selections().selectIconForItemSet(made, 0);
            return;
        }
        if (safeEnteredName(name).isEmpty())
            beep();
    }
}

void ZEVFrontClass::duplicateToSpaceForItems(const std::vector<KELI*>& items)
{
    const std::vector<KELI*> made = duplicateItems(duplicateSources(items), QString(), QString());
    space_.selections().selectIconForItemSet(made, 0);
}

void ZEVFrontClass::duplicateToInTableView(ZEVTableView&) { duplicateToForItems(rightMenuItems()); }
void ZEVFrontClass::duplicateToSpaceInTableView(ZEVTableView&) { duplicateToSpaceForItems(rightMenuItems()); }

std::vector<ZEVFrontClass::DuplicateSource> ZEVFrontClass::duplicateSources(const std::vector<KELI*>& items)
{
    std::vector<DuplicateSource> sources;
    KELICurseur* actif = space_.actifCurseur();
    KELICurseur* other = actif == space_.nowCurseur() ? space_.searchCurseur() : space_.nowCurseur();
    ZEVItemViewer* here = actif ? space_.itemViewerForCurseur(actif) : nullptr;
    ZEVItemViewer* there = other ? space_.itemViewerForCurseur(other) : nullptr;
    const double grid = space_.deskGeometry().spaceRatioGrid();
    for (KELI* item : items) {
        DuplicateSource s;
        s.item = item;
        if (ZEVItemView* v = here ? here->itemViewForItem(item) : nullptr) {
            // Three grid steps right and up, so that the copy never hides its source.
            s.position = v->iconPosition();
            s.position.x += 3 * grid;
            s.position.y += 3 * grid;
            s.ratio = v->imageSizeRatio();
            s.image = v->itemImageView() ? v->itemImageView()->image() : QImage();
            s.title = v->itemTitle();
        } else if (ZEVItemView* w = there ? there->itemViewForItem(item) : nullptr) {
            s.position = w->iconPosition();
            s.ratio = w->imageSizeRatio();
            s.image = w->itemImageView() ? w->itemImageView()->image() : QImage();
            s.title = w->itemTitle();
        } else {
            const QRectF next = space_.nextIconDefaultPosition();
            s.position = {next.x(), next.y(), next.width(), 0};
        }
        if (s.title.isEmpty())
            s.title = titleForItem(item);
        if (s.title.isEmpty())
            s.title = QStringLiteral("Duplicated");
        sources.push_back(s);
    }
    return sources;
}

// ---- one batch ----

std::vector<KELI*> ZEVFrontClass::duplicateItems(const std::vector<DuplicateSource>& sources, const QString& folder,
                                                 const QString& name)
{
    duplicatedItems_.clear();
    ZEVItemViewer* viewer = space_.actifCurseur() ? space_.itemViewerForCurseur(space_.actifCurseur()) : nullptr;
    ZEVItemClass* itemClass = viewer ? viewer->itemClass() : nullptr;
    ZEVDeskViewerForObjectViews* desk = viewer ? viewer->deskViewer() : nullptr;
    // Made in this Channel, its record written there whatever the user switches to meanwhile.
    const KELId channel = currentChannelInt_;
    ZEVItemData& data = storeOf(channel);
    bool refused = false;
    ZEVTransferQueue& queue = ZEVTransferQueue::shared();
    auto refuse = [&refused, viewer](const DuplicateSource& s) {
        refused = true;
        ZEVItemView* k = s.copy;
        if (!k)
            return;
        // Back onto its source's view, then gone.
        if (ZEVItemView* v = viewer && s.item ? viewer->itemViewForItem(s.item) : nullptr)
            k->setIconPosition(v->iconPosition(), kRefusedSlide);
        Scheduler::shared().perform(k->cible(), "removeFromSuperview", kRefusedGone, [k] {
            if (QGraphicsScene* sc = k->scene())
                sc->removeItem(k);
        });
    };
    for (const DuplicateSource& s : sources) {
        const QString source = s.item ? data.fileUrlForItem(s.item) : QString();
        if (!itemClass || !desk || !siDuplicateToForItem(s.item) || typeForItem(s.item) != QLatin1String("file") ||
            source.isEmpty()) {
            refuse(s);
            continue;
        }
        const QFileInfo info(source);
        const std::string icon = itemClass->itemIconForItem(s.item).value_or(info.suffix().toStdString());
        QString target;
        QString title;
        if (!folder.isEmpty()) {
            target = queue.reserveName(folder, duplicateFileName(name, info.suffix()));
            title = QFileInfo(target).fileName();
        } else {
            title = s.title;
        }
        KELI* item = itemClass->creerItemWithChannelInt(channel, title.toStdString(), "file", icon, 0);
        if (!item) {
            if (!target.isEmpty())
                queue.release(target);
            logFormat("ZEVFrontClass duplicate: no new Object for %s", qPrintable(source));
            refuse(s);
            continue;
        }
        // The new view takes the drag copy's place.
        if (s.copy && s.copy->scene())
            s.copy->scene()->removeItem(s.copy);
        ZEVItemViewForDesks* nv = desk->creerItemViewWithItem(item, s.position, s.ratio);
        if (!nv && !KELServeurDeLiens::SiLienForRelNum(KELRELATION_ICON_VIEWER, item->idInt())) {
            // Its icon was not stored (a full disk, told by its own alert): an Object on no desk
            // would be a duplicate no one could see, its file copied for nothing.
            itemClass->eraseNewItem(item);
            if (!target.isEmpty())
                queue.release(target);
            logFormat("ZEVFrontClass duplicate: no icon for the duplicate of %s", qPrintable(source));
            refuse(s);
            continue;
        }
        if (nv) {
            if (auto* view = dynamic_cast<ZEVItemView*>(nv); view && !s.image.isNull())
                view->setItemImage(s.image);
            nv->itemViewAccepteMaj();
            desk->majItemView(nv);
        }
        addItemOption(item, itemOptions(s.item) & kCarried);
        TransferRecord record;
        record.itemId = item->idInt();
        record.channel = channel;
        record.source = source;
        record.size = transferSize(source);
        QString dropFolder;
        if (folder.isEmpty()) {
            dropFolder = data.itemDropFolder(item->idInt());
            record.target = queue.reserveName(dropFolder, info.fileName());
        } else {
            record.target = target;
        }
        duplicateStart(item, record);
        if (folder.isEmpty() && !QFileInfo::exists(dropFolder) && !QDir().mkdir(dropFolder)) {
            logFormat("Error when creating directory: %s", qPrintable(dropFolder));
            queue.release(record.target);
            duplicateFail(item);
            continue;
        }
        ZEVTransferQueue::Job job;
        job.source = source;
        job.target = record.target;
        job.itemId = record.itemId;
        job.mark = ZEVOPTION_DUPLICATING;
        queue.start(job, this, [this, item, job](const TransferOutcome& out) {
            if (out.ok)
                return duplicateFinish(item);
            logFormat("Error when copying file: %s", qPrintable(job.source));
            logFormat("              to folder: %s", qPrintable(job.target));
            logFormat("                       : %s", qPrintable(out.error));
            duplicateFail(item);
        });
    }
    space_.updateAllTableViews();
    ZEVItemViewer::ReferencerInitialCurseur(nullptr);
    if (refused)
        Scheduler::shared().perform(this, "_beep", kRefusedBeep, [this] { beep(); });
    return duplicatedItems_;
}

// ---- the steps, on the main thread ----


void ZEVFrontClass::duplicateStart(KELI* item, const TransferRecord& record)
{
    duplicatedItems_.push_back(item);
    if (ZEVItemViewer* search = space_.searchCurseur() ? space_.itemViewerForCurseur(space_.searchCurseur()) : nullptr)
        if (ZEVDeskViewerForObjectViews* desk = search->deskViewer(); desk && !desk->itemViewForItem(item))
            desk->ajouterItemViewAvecItem(item);
    progressStart(duplicating_, item, record);
    addItemOption(item, ZEVOPTION_DUPLICATING);
    if (ZEVItemView* v = nowViewOfItem(item))
        v->addSticker(ZEVItemStickers::kCopy);
}

bool ZEVFrontClass::duplicateEnded(KELI* item, TransferRecord* record, bool ok)
{
    if (!progressEnd(duplicating_, item, ok, record))
        return false;
    clearItemOption(item, ZEVOPTION_DUPLICATING);
    if (!ok)
        addItemOption(item, ZEVOPTION_ERROR);
    if (ZEVItemView* v = nowViewOfItem(item))
        v->addSticker(ok ? ZEVItemStickers::kForOptions : ZEVItemStickers::kError);
    return true;
}

void ZEVFrontClass::duplicateFinish(KELI* item)
{
    TransferRecord r;
    if (!duplicateEnded(item, &r, true))
        return;
    if (!storeOf(r.channel).createFileURL(r.target, QUrl(), item)) {
        // Without its record the duplicate could never find its copy: neither is kept, as if the
        // duplicate had never been asked for (the writer told the user).
        logFormat("ZEVFrontClass duplicate: the record of %s was not written; the duplicate is taken back",
                  qPrintable(r.target));
        QFile::remove(r.target);
        space_.userDeleteItem(item);
        scheduleTableRefresh();
        return;
    }
    // A duplicate is a new file: made now, whatever its source's dates.
    QFile f(r.target);
    if (f.open(QIODevice::ReadWrite))
        f.setFileTime(QDateTime::currentDateTime(), QFileDevice::FileModificationTime);
    for (ZEVItemView* v : viewsOfItem(item))
        v->updateImage();
    scheduleTableRefresh();
}

void ZEVFrontClass::duplicateFail(KELI* item)
{
    TransferRecord r;
    if (!duplicateEnded(item, &r, false))
        return;
    for (ZEVItemView* v : viewsOfItem(item))
        v->updateImage();
    scheduleTableRefresh();
    // Several failures in a row sound once.
    Scheduler::shared().cancel(this, "_beep");
    Scheduler::shared().perform(this, "_beep", kFailBeep, [this] { beep(); });
}

} // namespace tallomer
