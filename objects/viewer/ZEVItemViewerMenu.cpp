// The Object context menu of the item viewer: its facts gathered for one view, the model applied
// to the one menu, and its actions on the view the menu was prepared for.

#include "objects/viewer/ZEVItemViewer.h"

#include "look/KELSharedResources.h"

#include "desk/data/ZEVItemData.h"
#include "desk/data/ZEVItemDataChannels.h"
#include "desk/model/ZEVDeskClass.h"
#include "desk/model/ZEVItemOptions.h"
#include "desk/pasteboard/ZEVItemPB.h"
#include "engine/KELLien.h"
#include "engine/KELServeurDeLiens.h"
#include "objects/view/ZEVItemView.h"
#include "objects/viewer/ZEVItemViewerHost.h"
#include "platform/AppId.h"
#include "platform/pasteboard/OutgoingObjects.h"
#include "platform/sound/Sound.h"
#include "services/ZEVFrontViewerServices.h"
#include "services/ZEVSpaceForObjectViews.h"

#include <QClipboard>
#include <QIcon>
#include <QFileInfo>
#include <QGraphicsScene>
#include <QPointer>
#include <QGuiApplication>
#include <QAction>
#include <QMenu>
#include <QMimeData>
#include <QUrl>

#include <algorithm>

namespace tallomer {

namespace {

ZEVItemData& storeOf(KELI* item)
{
    if (item && item->channelInt() != 0)
        if (ZEVItemData* own = ZEVItemDataChannels::ItemDataForChannelInt(item->channelInt()))
            return *own;
    return ZEVItemData::Current();
}

using FileJob = ZEVItemViewerHost::FileJob;
constexpr FileJob kJobs[] = {FileJob::MoveTo, FileJob::MoveToSpace, FileJob::CopyTo,
                             FileJob::CopyToSpace, FileJob::DuplicateTo, FileJob::DuplicateToSpace};

} // namespace

void ZEVItemViewer::menuInfoForItem(KELI* item, ZEVItemMenuEntry& link, ZEVItemMenuEntry& unlink)
{
    if (!space_)
        return;
    ZEVLinkMenuFacts f;
    f.mode = frontMode();
    f.item = item;
    switch (f.mode) {
    case 0: f.icons = space_->selectedIconItems(); break;
    case 1: f.titles = space_->selectedTitleItems(); break;
    case 2:
        f.filters = space_->selectedFilterItems();
        f.icons = space_->selectedIconItems();
        break;
    case 3: f.nodes = space_->selectedNodeItems(); break;
    default: break;
    }
    f.linked = [this, item](KELI* p) { return userAskIfItemIsConnectedWithItem(item, p); };
    f.title = [this](KELI* p) {
        if (deskClass_)
            if (auto t = deskClass_->itemTitleCurseurForItem(p))
                return QString::fromStdString(*t);
        ZEVItemView* v = itemViewForItem(p);
        return v ? v->itemTitle() : QString();
    };
    linkMenuInfo(f, link, unlink);
}

ZEVItemMenuModel ZEVItemViewer::menuModelForItemView(ZEVItemView* view)
{
    ZEVItemMenuFacts f;
    KELI* item = view ? view->item() : nullptr;
    if (!item)
        return itemMenuModel(f);
    ZEVItemData& data = storeOf(item);
    f.title = view->itemTitle();
    f.type = view->itemType();
    f.options = item->baseInt();
    if (f.type == QLatin1String("file"))
        f.fileSuffix = QFileInfo(data.fileUrlForItem(item)).suffix();
    f.hasOriginalUrl = !data.originalHttpUrlForItem(item).isEmpty();
    f.mode = frontMode();
    f.actif = view->siActif();
    f.onNowDesk = !space_ || curseur_ == space_->nowCurseur();
    f.mayRestore = view->siRetablir();
    if (space_) {
        f.applicationActive = space_->siApplicationActive();
        f.selectedFilter = space_->isFilterSelectedForItem(item);
    }
    if (host_) {
        f.itemActifNow = host_->isItemActifNow(item);
        f.duration = host_->durationString();
        f.titleEditing = host_->isTitleEditing();
        f.channelsAnswer = host_->siChannelsAnswer();
        for (std::size_t i = 0; i < 6; ++i)
            f.fileJobs[i] = host_->siFileJob(kJobs[i], item);
    }
    if (f.mode == 3 && space_) {
        const std::vector<ZEVItemConnexion*> links = selectedConnexions(item);
        KELICurseur* actif = space_->actifCurseur();
        KELICurseur* now = space_->nowCurseur();
        for (ZEVItemConnexion* c : links) {
            const bool a = host_ && host_->isLinkActif(c, actif);
            (a ? f.a : f.n)++;
            if (actif != now && !(host_ && host_->isLinkActif(c, now)))
                ++f.r;
        }
    }
    menuInfoForItem(item, f.link, f.unlink);
    return itemMenuModel(f);
}

void ZEVItemViewer::setMenuForItemView(ZEVItemView* view)
{
    ZEVFrontViewerServices* front = space_ ? space_->frontViewer() : nullptr;
    if (!view || (front && front->isUserChangingFlag()))
        return;
    if (!menu_)
        menu_ = std::make_unique<ZEVItemMenu>([this](ZEVItemMenuSlot s) { menuAction(s); });
    // The press that opens the menu never gets its release, which the menu takes: the view pressed
    // would keep the mouse, and the next press would go to it rather than to what lies under the
    // pointer.
    QObject::connect(
        menu_->menu(), &QMenu::aboutToHide, menu_->menu(),
        [scene = QPointer<QGraphicsScene>(view->scene())] {
            if (QGraphicsItem* g = scene ? scene->mouseGrabberItem() : nullptr)
                g->ungrabMouse();
        },
        Qt::SingleShotConnection);
    menuTarget_ = view;
    view->orderToFront();
    if (host_)
        host_->fillOpenWithForItems(menu_->openWithMenu(), {view->item()});
    menu_->apply(menuModelForItemView(view));
    if (host_)
        menu_->action(ZEVItemMenuSlot::Open)->setIcon(host_->iconForItem(view->item()));
    if (space_) {
        // Who holds the Object's file, the first that applies.
        const KELSharedResources& r = space_->sharedResources();
        const std::uint64_t o = view->item()->baseInt();
        const QPixmap& holder = o & ZEVOPTION_HOLD_BY_ZEV          ? r.holdByZevImage()
                                : o & ZEVOPTION_HOLD_BY_ZEV_FOLDER ? r.holdByZevFolderImage()
                                : o & ZEVOPTION_HOLD_BY_EXTERN     ? r.holdByExternImage()
                                : o & ZEVOPTION_HOLD_BY_TRASH      ? r.holdByTrashImage()
                                                                   : r.holdByMacImage();
        menu_->action(ZEVItemMenuSlot::HandleObjects)->setIcon(QIcon(holder));
    }
    if (front) {
        front->majImageForEditionMenu2(menu_->menu());
    }
    if (front && front->frontView())
        front->frontView()->popUpMenu(menu_->menu());
}

void ZEVItemViewer::menuConnect(KELI* item, bool link)
{
    if (!space_ || !item)
        return;
    const int mode = frontMode();
    std::vector<KELI*> partners;
    switch (mode) {
    case 0: partners = space_->selectedIconItems(); break;
    case 1: partners = space_->selectedTitleItems(); break;
    case 3: partners = space_->selectedNodeItems(); break;
    case 2: {
        const std::vector<KELI*> filters = space_->selectedFilterItems();
        if (!filters.empty() && std::find(filters.begin(), filters.end(), item) == filters.end()) {
            partners = filters;
        } else {
            partners = space_->selectedIconItems();
            if (link && space_->isIconSelectedForItem(item))
                return;
        }
        break;
    }
    default:
        return;
    }
    if (!space_->siShowLinks() && host_)
        host_->showLinksForSelections();
    // The Links with every partner, or none: a full disk that cut the command short would leave
    // the Object linked with some of the Objects chosen and not the others.
    const KELServeurDeLiens::Acte acte(link ? partners.size() : 0);
    if (!acte.complet())
        return;
    for (KELI* p : partners) {
        if (!p || p == item)
            continue;
        if (link)
            userRecallLinkWithItem(item, p);
        else
            userReleaseLinkWithItem(item, p);
    }
}

void ZEVItemViewer::menuCopy(ZEVItemView* view)
{
    KELI* item = view->item();
    ZEVItemData& data = storeOf(item);
    auto mime = std::make_unique<QMimeData>();
    const QString type = view->itemType();
    if (type == QLatin1String("file")) {
        const QString path = data.fileUrlForItem(item);
        if (!path.isEmpty())
            mime->setUrls({QUrl::fromLocalFile(path)});
    } else if (type == QLatin1String("http")) {
        const QString webloc = data.files().weblocUrlForItem(item, view->itemTitle());
        OutgoingObjects out;
        out.addWebLink(webloc.isEmpty() ? QUrl() : QUrl::fromLocalFile(webloc), data.uidForItem(item, type),
                       view->itemTitle());
        out.writeTo(*mime);
    } else {
        QString title = view->itemTitle();
        if (deskClass_)
            if (auto t = deskClass_->itemTitleCurseurForItem(item))
                title = QString::fromStdString(*t);
        const ZEVItemPB record(item, data.uidForItem(item, type), title, type, space_ ? space_->identityInt() : 0);
        mime->setData(QString::fromLatin1(kItemPasteboardType), ZEVItemPB::archive({record}));
        mime->setText(view->itemTitle());
    }
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard || mime->formats().isEmpty()) {
        Sound::shared().beep();
        return;
    }
    clipboard->clear();
    clipboard->setMimeData(mime.release());
}

void ZEVItemViewer::menuAction(ZEVItemMenuSlot slot)
{
    ZEVItemView* view = menuTarget_;
    KELI* item = view ? view->item() : nullptr;
    if (!item)
        return;
    using S = ZEVItemMenuSlot;
    const int mode = frontMode();
    ZEVFrontViewerServices* front = space_ ? space_->frontViewer() : nullptr;
    auto toggle = [item](ZEVItemOption bit) {
        if (siItemOption(item, bit))
            clearItemOption(item, bit);
        else
            addItemOption(item, bit);
    };
    switch (slot) {
    case S::Open: userOpenItem(item, false); break;
    case S::OpenOriginal: userOpenItem(item, true); break;
    case S::ShowOriginal: userShowOriginalForItem(item); break;
    case S::GetInfo: userGetInfoForItem(item); break;
    case S::OpenQL:
        if (front)
            front->userOpenQL();
        break;
    case S::Recall: mode == 3 ? userRecallLinksForItem(item) : userRecallIconForItemView(view); break;
    case S::Retain: mode == 3 ? userRetainLinksForItem(item) : userRetainIconForItem(item); break;
    case S::Release: mode == 3 ? userReleaseLinksForItem(item) : userReleaseIconForItem(item); break;
    case S::Forget: mode == 3 ? userForgetLinksForItem(item) : userForgetIconForItem(item); break;
    case S::RecallNow: {
        ZEVItemViewer* now = host_ && space_ ? host_->itemViewerForCurseur(space_->nowCurseur()) : nullptr;
        if (!now)
            break;
        if (mode == 3)
            now->userRecallLinksForItem(item);
        else
            now->userRecallIconForItemView(view);
        break;
    }
    case S::Link: menuConnect(item, true); break;
    case S::Unlink: menuConnect(item, false); break;
    case S::IconSelection:
        if (space_)
            space_->isIconSelectedForItem(item) ? space_->deselectIconForItem(item) : space_->multiSelectIconForItem(item);
        break;
    case S::TitleSelection:
        if (space_)
            space_->isTitleSelectedForItem(item) ? space_->deselectTitleForItem(item)
                                                 : space_->multiSelectTitleForItem(item);
        break;
    case S::LinkSelection:
        if (space_)
            space_->isNodeSelectedForItem(item) ? space_->deselectNodeForItem(item) : space_->multiSelectNodeForItem(item);
        break;
    case S::Filter:
        if (space_) {
            std::vector<KELI*> filters = space_->selectedFilterItems();
            auto it = std::find(filters.begin(), filters.end(), item);
            if (it != filters.end())
                filters.erase(it);
            else
                filters.push_back(item);
            space_->selectFilterForItemSet(filters, nullptr);
            if (deskViewer_)
                deskViewer_->majItemViews();
        }
        break;
    case S::SendToBack: view->orderToBack(); break;
    case S::SendToFront: view->orderToFront(); break;
    case S::NewFolder:
        if (host_)
            host_->userAddNewFolderWithItem(item);
        break;
    case S::NewChannel:
    case S::NewSpace:
        if (host_)
            host_->newChannelOrSpaceWithItem(item, slot == S::NewChannel);
        break;
    case S::MoveTo: case S::MoveToSpace: case S::CopyTo: case S::CopyToSpace: case S::DuplicateTo:
    case S::DuplicateToSpace:
        if (host_)
            host_->runFileJob(kJobs[std::size_t(slot) - std::size_t(S::MoveTo)], item);
        break;
    case S::ShowTitle:
        toggle(ZEVOPTION_SHOW_TITLE);
        view->setSiShowTitle(siItemOption(item, ZEVOPTION_SHOW_TITLE));
        break;
    case S::OpenOnClick: toggle(ZEVOPTION_OPEN_ON_CLICK); break;
    case S::QLIcon:
        toggle(ZEVOPTION_QL_ICON);
        reloadImagesForItem(item);
        break;
    case S::Animate:
        if (siItemOption(item, ZEVOPTION_GIF)) {
            toggle(ZEVOPTION_ANIMATE);
            reloadImagesForItem(item);
        }
        break;
    case S::EditTitle:
        if (front)
            front->userEditTitleForItemView(view);
        break;
    case S::Copy: menuCopy(view); break;
    case S::Cut:
        menuCopy(view);
        userReleaseIconForItem(item);
        break;
    case S::CopyZevTime:
        if (host_)
            host_->copyZevpUrlForItems({item});
        break;
    case S::KeepPosition: userKeepPositionForItemView(view); break;
    case S::RestorePosition: userRestorePositionForItemView(view); break;
    default: break;
    }
}

} // namespace tallomer
