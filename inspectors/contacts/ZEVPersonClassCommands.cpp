// The Contacts model's commands: removal, the go-to walk, the title cells, rows out and the
// clipboard as contact records, and the row and lego menus with their commands.

#include "inspectors/contacts/ZEVPersonClass.h"

#include "look/KELSharedResources.h"
#include "desk/data/ZEVItemData.h"
#include "desk/data/ZEVItemDataChannels.h"
#include "desk/model/ZEVItemOptions.h"
#include "desk/model/ZEVModelSupport.h"
#include "desk/pasteboard/ZEVItemPB.h"
#include "engine/KELICurseur.h"
#include "engine/KELLien.h"
#include "engine/KELServeurDeLiens.h"
#include "inspectors/contacts/ZEVPersonViewer.h"
#include "inspectors/core/ZEVHolderTest.h"
#include "inspectors/core/ZEVInspectDelete.h"
#include "inspectors/core/ZEVRowMenuFill.h"
#include "inspectors/core/ZEVRowMenuParts.h"
#include "inspectors/core/ZEVRowMenuForItem.h"
#include "inspectors/table/ZEVTableView.h"
#include "platform/AppId.h"
#include "runtime/Log.h"
#include "services/ZEVFrontViewerServices.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSpaceController.h"

#include <QAction>
#include <QHeaderView>
#include <QIcon>
#include <QMenu>
#include <QMimeData>
#include <QPixmap>

namespace tallomer {

namespace {
constexpr const char* kOwner = "ZEVPersonViewer";
// The Handle submenu's archive entry.
constexpr long kArchiveTag = ZEVRowTagDuplicateToSpace;
} // namespace

// ---- removal ----------------------------------------------------------------------------------

void ZEVPersonClass::deletePersons(const std::vector<KELI*>& items)
{
    // A copy: the removal changes the selections the list may come from.
    for (KELI* item : ZEVInspectDeleteItems(space_, KELRELATION_PERSON_VIEWER, std::vector<KELI*>(items), kOwner,
                                            "KELRELATION_PERSON_VIEWER")) {
        // Nothing keeps pointing at an erased Object.
        if (rightMenuId_ == item->idInt())
            rightMenuId_ = 0;
        if (rightMenuItem() == item)
            setRightMenuItem(nullptr);
        if (clickedItem_ == item)
            clickedItem_ = nullptr;
    }
}

void ZEVPersonClass::deleteLego(KELI* lego, ZEVTableView& table)
{
    // The Object's last lego: it goes through the Space's Contacts model.
    ZEVInspectDeleteLego(space_, KELRELATION_PERSON_VIEWER, lego, "ZEVPersonClass", [this](KELI* item) {
        auto* v = dynamic_cast<ZEVPersonViewer*>(space_.viewerForEntityClassName("ZEVPersonViewer"));
        (v ? v->model() : *this).deletePersons({item});
    });
    table.viewport()->update();
}

// ---- the walk ---------------------------------------------------------------------------------

KELDate ZEVPersonClass::previousDate() { return goto_.previousDate(*this); }

KELDate ZEVPersonClass::nextDate() { return goto_.nextDate(*this); }

// ---- the table --------------------------------------------------------------------------------

QVariant ZEVPersonClass::objectValue(ZEVTableView& table, const QString& columnId, int row, int role)
{
    if (columnId != QLatin1String(ZEVInspectDrag::kIconColumn))
        return ZEVRowsClass::objectValue(table, columnId, row, role);
    const ZEVTableElement* e = table.element(row);
    if (!e || !e->item || role != Qt::DecorationRole)
        return {};
    // The picture fits the cell the table gives it, whole: at the row's height it was cut at its
    // right edge by the title beside it.
    const QSize side = table.iconSize().isValid() && !table.iconSize().isEmpty() ? table.iconSize() : QSize(27, 27);
    return QPixmap::fromImage(imageForItem(e->item, 0, side));
}

bool ZEVPersonClass::writeItems(const std::vector<KELI*>& items, QMimeData& into)
{
    std::vector<ZEVItemPB> records;
    QStringList titles;
    for (KELI* item : items) {
        if (!item)
            continue;
        // The Object's own Channel names its card and labels the record, whatever Channel shows.
        const KELId channel = item->channelInt() ? item->channelInt() : currentChannelInt_;
        ZEVItemData* store = ZEVItemDataChannels::ItemDataForChannelInt(channel);
        const QString uid = store ? store->uidForItem(item, QString::fromLatin1(kPersonType)) : QString();
        const QString title = QString::fromStdString(itemTitleForItem(item).value_or(std::string()));
        records.emplace_back(item, uid, title, QString::fromLatin1(kPersonType), channel);
        titles << title;
    }
    if (records.empty())
        return false;
    into.setData(QString::fromLatin1(kItemPasteboardType), ZEVItemPB::archive(records));
    into.setText(titles.join(QLatin1Char('\n')));
    return true;
}

// ---- the row commands -------------------------------------------------------------------------

KELI* ZEVPersonClass::rightItem() const
{
    if (!rightMenuId_)
        return nullptr;
    KELI* item = KELServeurDeLiens::LienForInt(rightMenuId_, KELServeurDeLiens::CurseurGlobal());
    return deskmodel::siOublie(item) ? nullptr : item;
}

void ZEVPersonClass::openSelectionInTableView(ZEVTableView&)
{
    if (KELI* item = rightItem(); item && viewer_)
        viewer_->userOpenPersonItem(item);
}

void ZEVPersonClass::releaseSelectionInTableView(ZEVTableView&)
{
    if (KELI* item = rightItem(); item && viewer_)
        viewer_->userReleasePersonItem(item);
}

void ZEVPersonClass::recallNowSelectionInTableView(ZEVTableView&)
{
    if (KELI* item = rightItem(); item && viewer_)
        viewer_->userRecallNowPersonItem(item);
}

void ZEVPersonClass::recallSelectionInTableView(ZEVTableView&)
{
    if (KELI* item = rightItem(); item && viewer_)
        viewer_->userRecallPersonItem(item);
}

void ZEVPersonClass::forgetSelectionInTableView(ZEVTableView&)
{
    if (KELI* item = rightItem())
        forgetPersonsForItems({item});
}

void ZEVPersonClass::retainSelectionInTableView(ZEVTableView&)
{
    if (KELI* item = rightItem())
        retainPersonsForItems({item});
}

void ZEVPersonClass::archiveToSpaceInTableView(ZEVTableView&)
{
    if (KELI* item = rightItem())
        archivePersonForItem(item);
}

void ZEVPersonClass::copyToInTableView(ZEVTableView&)
{
    logLine("ZEVPersonClass copyToInTableView: contacts are not copied to a folder");
}

// ---- the menus --------------------------------------------------------------------------------

QMenu* ZEVPersonClass::updateRowMenu(QMenu* menu, ZEVTableView& table, const ZEVTableElement& e)
{
    ZEVRowsClass::updateRowMenu(menu, table, e);
    KELI* x = e.item;
    if (!x)
        return nullptr;
    rightMenuId_ = x->idInt();
    ZEVRowMenuState s = ZEVRowMenuStateForItem(space_, *this, x, presence_.legoAt(x, space_.actifCurseur()) != nullptr,
                                               presence_.legoAt(x, space_.nowCurseur()) != nullptr,
                                               legosForItem(x, tlContexte_));
    // A contact is no file: nothing to move, copy or show.
    s.moveTo = s.moveToSpace = s.copyTo = s.copyToSpace = s.showOriginal = false;
    QMenu* m = ZEVRowMenuForItem(space_, *menus_, table, x, s);
    if (QAction* header = ZEVMenuItemWithTag(m, ZEVRowTagHeader))
        header->setIcon(QIcon(QPixmap::fromImage(menuImageForItem(x))));
    if (QAction* ow = ZEVMenuItemWithTag(m, ZEVRowTagOpenWith))
        ow->setVisible(false);
    if (QAction* handle = ZEVMenuItemWithTag(m, ZEVRowTagHandle); handle && handle->menu()) {
        for (QAction* a : handle->menu()->actions())
            a->setVisible(a->property("tag").toLongLong() == kArchiveTag);
        if (QAction* archive = ZEVMenuItemWithTag(handle->menu(), kArchiveTag)) {
            archive->setText(QStringLiteral("Archive in Tallomer"));
            archive->setCheckable(true);
            archive->setChecked(siArchivedToSpaceForItem(x));
            // A card not found has nothing to archive.
            archive->setEnabled(!(std::uint64_t(itemOptions(x)) & ZEVOPTION_NOT_FOUND));
        }
    }
    if (ZEVFrontViewerServices* f = space_.frontViewer())
        f->majImageForEditionMenu2(m);
    return m;
}

QMenu* ZEVPersonClass::updateLegoMenu(QMenu*, ZEVTableView& table, KELI* lego)
{
    if (!lego)
        return nullptr;
    const int live = ZEVLiveLinkCount(lego->enfantInt(), KELRELATION_PERSON_VIEWER);
    QMenu* m = menus_->legoMenu(table, lego, live);
    if (QAction* del = live == 1 ? ZEVMenuItemWithTag(m, ZEVRowTagDeleteLego) : nullptr)
        del->setText(QStringLiteral("Remove Contact"));
    return m;
}


} // namespace tallomer
