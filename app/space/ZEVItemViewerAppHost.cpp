#include "app/space/ZEVItemViewerAppHost.h"

#include "app/space/KELSpaceAdd.h"
#include "app/space/KELSpaceMenuHub.h"
#include "widgets/ZEVAlert.h"
#include "app/widgets/ZEVFilePanel.h"
#include "desk/data/ZEVItemData.h"
#include "desk/data/ZEVItemDataChannels.h"
#include "services/ZEVInspectorServices.h"
#include "desk/data/ZEVItemDataFiles.h"
#include "desk/data/ZEVItemFileType.h"
#include "desk/viewer/ZEVRetrieveItemPanel.h"
#include "engine/KELICurseur.h"
#include "engine/KELLien.h"
#include "engine/KELServeurDeLiens.h"
#include "space/ZEVConstants.h"
#include "front/ZEVFrontToolButtons.h"
#include "front/ZEVFrontViewer.h"
#include "inspectors/ZEVFrontClass.h"
#include "objects/viewer/ZEVItemConnexion.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "space/ZEVSelections.h"
#include "space/ZEVSpaceController.h"
#include "space/ZEVSpaceWindow.h"
#include "widgets/FileTypeIcon.h"

#include <QDir>

namespace tallomer {

namespace {

ZEVItemViewerAppHost::Retriever& retriever()
{
    static ZEVItemViewerAppHost::Retriever r;
    return r;
}

constexpr const char* kShowLinks = "menuConnectAnimation";

} // namespace

ZEVItemViewerAppHost::ZEVItemViewerAppHost(std::function<ZEVSpaceController*()> space) : space_(std::move(space)) {}
ZEVItemViewerAppHost::~ZEVItemViewerAppHost() = default;

ZEVItemViewerAppHost::Retriever ZEVItemViewerAppHost::setRetriever(Retriever r)
{
    return std::exchange(retriever(), std::move(r));
}

int ZEVItemViewerAppHost::alert(const QString& windowTitle, const QString& message, const QString& informative,
                                const QStringList& buttons)
{
    return ZEVAlert::ShowAlertWithTitle(windowTitle, message, informative, buttons);
}

QString ZEVItemViewerAppHost::chooseFile(const QString& title, const QString& message, const QString& prompt)
{
    ZEVFilePanelRequest request;
    request.kind = ZEVFilePanelRequest::Kind::Open;
    request.title = title;
    request.message = message;
    request.prompt = prompt;
    request.directory = QDir::homePath();
    return ZEVFilePanel::run(request);
}

int ZEVItemViewerAppHost::retrieveItem(KELI* item, QString* newPath)
{
    if (retriever())
        return retriever()(item, newPath);
    ZEVSpaceController* s = space_();
    ZEVRetrieveItemPanel panel(item, s ? s->spaceWindow() : nullptr);
    const int answer = panel.runModal();
    *newPath = panel.newFileURL();
    return answer;
}

void ZEVItemViewerAppHost::activateApplication()
{
    if (ZEVSpaceController* s = space_())
        if (QWidget* w = s->spaceWindow()) {
            w->raise();
            w->activateWindow();
        }
}

void ZEVItemViewerAppHost::openZevpURL(const QString& url, const QString& title)
{
    // On the next turn: the menu or the press that asked has ended by then.
    Scheduler::shared().perform(this, "openZevpURL", 0, [this, url, title] {
        ZEVSpaceController* s = space_();
        if (!s)
            return;
        // A place the Space no longer has (its Channel deleted, say) would otherwise leave the
        // desk as it was without a word.
        const ZEVZevpOpening opened = s->openZevpURL(url);
        const QString name = title.isEmpty() ? QStringLiteral("The saved place") : QStringLiteral("\u201c%1\u201d").arg(title);
        if (opened.refused) {
            ZEVAlert::ShowSimpleAlertWithMessage(QStringLiteral("%1 could not be opened.").arg(name),
                                                 QStringLiteral("Tallomer cannot go there: %1.").arg(opened.why));
        } else if (!opened.why.isEmpty()) {
            QString why = opened.why + QStringLiteral(", so the cursors stayed where they were.");
            why[0] = why[0].toUpper();
            ZEVAlert::ShowSimpleAlertWithMessage(QStringLiteral("%1 was opened only in part.").arg(name), why);
        }
    });
}

void ZEVItemViewerAppHost::copyZevpUrlForItems(const std::vector<KELI*>& items)
{
    if (ZEVSpaceController* s = space_())
        s->copyZevpUrlForItems(items, false);
}

QString ZEVItemViewerAppHost::durationString()
{
    ZEVSpaceController* s = space_();
    return s ? s->durationString() : QString();
}

ZEVItemViewer* ZEVItemViewerAppHost::itemViewerForCurseur(KELICurseur* curseur)
{
    ZEVSpaceController* s = space_();
    return s ? s->itemViewerForCurseur(curseur) : nullptr;
}

std::vector<ZEVItemViewer*> ZEVItemViewerAppHost::itemViewers()
{
    std::vector<ZEVItemViewer*> out;
    if (ZEVSpaceController* s = space_())
        for (KELICurseur* c : {s->nowCurseur(), s->searchCurseur()})
            if (ZEVItemViewer* v = c ? s->itemViewerForCurseur(c) : nullptr)
                out.push_back(v);
    return out;
}

bool ZEVItemViewerAppHost::isTitleEditing()
{
    ZEVSpaceController* s = space_();
    return s && s->selections().isTitleEditing();
}

void ZEVItemViewerAppHost::updateAllTableViews()
{
    if (ZEVSpaceController* s = space_())
        if (ZEVFrontViewerServices* f = s->frontViewer())
            f->displayAllInspectView();
}

void ZEVItemViewerAppHost::showLinksForSelections()
{
    ZEVSpaceController* s = space_();
    if (!s)
        return;
    s->setSiShowLinksForSelections(true);
    s->setSiShowLinksForAllObjects(false);
    if (ZEVFrontViewerServices* f = s->frontViewer())
        f->displayFrontView();
    Scheduler::shared().cancel(this, kShowLinks);
    Scheduler::shared().perform(this, kShowLinks, 0.5, [this] {
        ZEVSpaceController* sc = space_();
        if (auto* f = sc ? dynamic_cast<ZEVFrontViewer*>(sc->frontViewer()) : nullptr)
            f->majSiShowLinksForCurrentMode();
    });
}

bool ZEVItemViewerAppHost::isItemActifNow(KELI* item)
{
    ZEVSpaceController* s = space_();
    auto* f = s ? dynamic_cast<ZEVFrontViewer*>(s->frontViewer()) : nullptr;
    return f && f->frontClass() && f->frontClass()->isItemActifNow(item);
}

bool ZEVItemViewerAppHost::isLinkActif(ZEVItemConnexion* link, KELICurseur* curseur)
{
    if (!link || !curseur || !link->parentItem() || !link->enfantItem())
        return false;
    return KELServeurDeLiens::LienIntForParentInt(link->parentItem()->idInt(), link->enfantItem()->idInt(),
                                                  KELRELATION_LINK_VIEWER, curseur->now()) != 0;
}

void ZEVItemViewerAppHost::userAddNewFolderWithItem(KELI* item)
{
    ZEVSpaceController* s = space_();
    if (!s)
        return;
    auto* f = dynamic_cast<ZEVFrontViewer*>(s->frontViewer());
    if (ZEVFrontToolButtons* t = f ? f->tools() : nullptr)
        t->userAddNewFolderWithItem(item);
    else
        tallomer::userAddNewFolderWithItem(*s);
}

void ZEVItemViewerAppHost::fillOpenWithForItems(QMenu* menu, const std::vector<KELI*>& items)
{
    if (ZEVSpaceController* s = space_())
        fillOpenWithMenu(menu, *s, items);
}

QIcon ZEVItemViewerAppHost::iconForItem(KELI* item)
{
    ZEVSpaceController* s = space_();
    auto* f = s ? dynamic_cast<ZEVFrontViewer*>(s->frontViewer()) : nullptr;
    ZEVFrontClass* c = f ? f->frontClass() : nullptr;
    return iconForFileType(c ? iconTypeForItem(item, c->typeForItem(item), c->itemIconForItem(item)) : QString());
}

bool ZEVItemViewerAppHost::siChannelsAnswer()
{
    ZEVSpaceController* s = space_();
    return s && s->channelViewerServices();
}

void ZEVItemViewerAppHost::newChannelOrSpaceWithItem(KELI* item, bool channel)
{
    ZEVSpaceController* s = space_();
    ZEVChannelViewerServices* channels = s ? s->channelViewerServices() : nullptr;
    ZEVItemData* store = item ? ZEVItemDataChannels::ItemDataForChannelInt(item->channelInt()) : nullptr;
    const QString path = store ? store->fileUrlForItem(item) : QString();
    if (!channels || path.isEmpty())
        return;
    // The names come from the file, the colour is the new background colour, and the picture fills.
    if (channel)
        channels->userChannelAddWihImageURL(path, std::nullopt, QString(), nullptr, long(KELOBJECT_SCALE_OUT));
    else
        channels->userSpaceAddWihImageURL(path, QString(), nullptr, long(KELOBJECT_SCALE_OUT));
}

bool ZEVItemViewerAppHost::siFileJob(FileJob job, KELI* item)
{
    switch (job) {
    case FileJob::MoveTo: return ZEVFrontClass::siMoveToForItem(item);
    case FileJob::MoveToSpace: return ZEVFrontClass::siMoveToSpaceForItem(item);
    case FileJob::CopyTo: return ZEVFrontClass::siCopyToForItem(item);
    case FileJob::CopyToSpace: return ZEVFrontClass::siCopyToSpaceForItem(item);
    case FileJob::DuplicateTo:
    case FileJob::DuplicateToSpace: return ZEVFrontClass::siDuplicateToForItem(item);
    }
    return false;
}

void ZEVItemViewerAppHost::runFileJob(FileJob job, KELI* item)
{
    ZEVSpaceController* s = space_();
    auto* f = s ? dynamic_cast<ZEVFrontViewer*>(s->frontViewer()) : nullptr;
    ZEVFrontClass* jobs = f ? f->frontClass() : nullptr;
    ZEVItemViewer* viewer = s ? s->itemViewerForCurseur(s->actifCurseur()) : nullptr;
    if (!jobs || !viewer || !item || !siFileJob(job, item))
        return;
    // Moves and copies go on the transfer queue, with its folder panel.
    switch (job) {
    case FileJob::MoveTo: jobs->moveToForItems({item}); return;
    case FileJob::MoveToSpace: jobs->moveToSpaceForItems({item}); return;
    case FileJob::CopyTo: jobs->copyToForItems({item}); return;
    case FileJob::CopyToSpace: jobs->copyToSpaceForItems({item}); return;
    case FileJob::DuplicateTo: jobs->duplicateToForItems({item}); return;
    case FileJob::DuplicateToSpace: jobs->duplicateToSpaceForItems({item}); return;
    }
}

} // namespace tallomer
