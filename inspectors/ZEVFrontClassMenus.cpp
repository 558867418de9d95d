// The row and interval menus of the front's two lists: built once, their items found by tag, and
// titled, enabled, checked and pictured for the row right-clicked.

#include "inspectors/ZEVFrontClass.h"

#include "look/KELSharedResources.h"
#include "desk/data/ZEVItemData.h"
#include "desk/data/ZEVItemDataChannels.h"
#include "desk/model/ZEVItemOptions.h"
#include "engine/KELICurseur.h"
#include "engine/KELLien.h"
#include "engine/KELServeurDeLiens.h"
#include "inspectors/core/ZEVInspectMenus.h"
#include "inspectors/core/ZEVRowMenuParts.h"
#include "services/ZEVInspectorServices.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "objects/viewer/ZEVItemViewerHost.h"
#include "platform/MenuText.h"
#include "services/ZEVFrontViewerServices.h"
#include "services/ZEVPersonServices.h"
#include "services/ZEVSpaceForObjectViews.h"
#include "space/ZEVSelections.h"
#include "space/ZEVSpaceController.h"
#include "widgets/FileTypeIcon.h"

#include <QAction>
#include <QFileInfo>
#include <QPixmap>

namespace tallomer {

namespace {

constexpr int kHeaderImageSize = kRowMenuHeaderImageSize;
const QString kIndent = QStringLiteral("     ");

ZEVItemData& storeOf(KELI* item)
{
    if (item && item->channelInt() != 0)
        if (ZEVItemData* own = ZEVItemDataChannels::ItemDataForChannelInt(item->channelInt()))
            return *own;
    return ZEVItemData::Current();
}

// A title between quotes, as an item text shows it whole.
QString quoted(const QString& t) { return QStringLiteral("\"%1\"").arg(menuText(t)); }

} // namespace

QString ZEVFrontClass::menuTitle(const QString& title)
{
    // Counted in characters, not UTF-16 units: a cut never splits a pair.
    const QList<uint> chars = title.toUcs4();
    if (chars.size() <= 24)
        return title;
    return QString::fromUcs4(reinterpret_cast<const char32_t*>(chars.constData()), 24) + QStringLiteral("\u2026");
}

bool ZEVFrontClass::enableShowOriginal(std::uint64_t options, const QString& type)
{
    return !(options & ZEVOPTION_MASK_SHOW_ORIGINAL_REFUSED) && type == QLatin1String("file");
}

QAction* ZEVFrontClass::menuItem(QMenu* menu, long tag) const { return ZEVMenuItemWithTag(menu, tag); }

// ---- building -----------------------------------------------------------------------------------

ZEVInspectMenus& ZEVFrontClass::menus()
{
    if (!menus_) {
        ZEVInspectNouns nouns{QStringLiteral("Object"), QStringLiteral("Objects"), QStringLiteral("Object"),
                              QStringLiteral("Objects"), QString(), true};
        ZEVRowMenuShape shape;
        shape.findInChannels = true;
        shape.linkItems = false;
        shape.copyDurations = true;
        menus_ = std::make_unique<ZEVInspectMenus>(nouns, shape);
        // The interval the menu was opened on, woken again by id: the list's selected interval may
        // be cleared meanwhile (a selection of several rows rewritten as the menu closes), and one
        // forgotten meanwhile is simply gone.
        menus_->onDeleteLego = [this](KELId legoId, ZEVTableView& table) {
            if (KELI* lego = KELServeurDeLiens::LienForInt(legoId, space_.tlCurseur()))
                deleteLego(lego, table);
        };
    }
    return *menus_;
}

// ---- the parts every row menu shares -----------------------------------------------------------

void ZEVFrontClass::updateHandleItems(QMenu* menu, KELI* item)
{
    const std::uint64_t o = item ? std::uint64_t(item->baseInt()) : 0;
    if (QAction* h = menuItem(menu, ZEVRowTagHandle)) {
        h->setIcon(QIcon(ZEVHolderImage(o, space_.host().sharedResources())));
    }
    menuItem(menu, ZEVRowTagMoveTo)->setEnabled(siMoveToForItem(item));
    menuItem(menu, ZEVRowTagMoveToSpace)->setEnabled(siMoveToSpaceForItem(item));
    menuItem(menu, ZEVRowTagCopyTo)->setEnabled(siCopyToForItem(item));
    menuItem(menu, ZEVRowTagCopyToSpace)->setEnabled(siCopyToSpaceForItem(item));
    menuItem(menu, ZEVRowTagDuplicateTo)->setEnabled(siDuplicateToForItem(item));
    menuItem(menu, ZEVRowTagDuplicateToSpace)->setEnabled(siDuplicateToForItem(item));
    menuItem(menu, ZEVRowTagShowOriginal)->setEnabled(item && enableShowOriginal(o, typeForItem(item)));
    if (QAction* ow = menuItem(menu, ZEVRowTagOpenWith); ow && ow->menu()) {
        ow->menu()->clear();
        if (ZEVItemViewerHost* host = ZEVItemViewer::Host(); host && item)
            host->fillOpenWithForItems(ow->menu(), {item});
        ow->setEnabled(item && !ow->menu()->isEmpty());
    }
}

void ZEVFrontClass::updateHeaderImage(KELI* item)
{
    QAction* header = menuItem(menus().builtRowMenu(), ZEVRowTagHeader);
    if (!header || !item)
        return;
    ZEVItemViewerHost* host = ZEVItemViewer::Host();
    const QIcon typeIcon = host ? host->iconForItem(item) : iconForFileType(itemIconForItem(item));
    header->setIcon(typeIcon);
    const QString type = typeForItem(item);
    if (type == QLatin1String("ABPerson")) {
        ZEVItemViewer* viewer = space_.itemViewerForCurseur(space_.actifCurseur());
        ZEVSpaceForObjectViews* views = viewer ? viewer->spaceController() : nullptr;
        ZEVPersonServices* persons = views ? views->personClass() : nullptr;
        const QImage image =
            persons ? persons->imageForItem(item, item->channelInt(), QSize(kHeaderImageSize, kHeaderImageSize)) : QImage();
        if (!image.isNull())
            header->setIcon(QIcon(QPixmap::fromImage(
                image.scaled(kHeaderImageSize, kHeaderImageSize, Qt::KeepAspectRatio, Qt::SmoothTransformation))));
        return;
    }
    if (type != QLatin1String("file") && type != QLatin1String("http"))
        return;
    const QString path = storeOf(item).fileUrlForItem(item);
    if (path.isEmpty())
        return;
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (type == QLatin1String("http") && (suffix == QLatin1String("html") || suffix == QLatin1String("htm")))
        return;
    if (type == QLatin1String("file") && QFileInfo::exists(path))
        header->setIcon(iconForFile(path));
    // The picture comes later; it is shown only while the menu still names that Object.
    const KELId id = item->idInt();
    ZEVRequestHeaderThumbnail(header, path, [this, id] { return rightMenuItem_ && rightMenuItem_->idInt() == id; });
}

void ZEVFrontClass::endRowMenu(QMenu* menu, const QString& filterTitle)
{
    QAction* icon = menuItem(menu, ZEVRowTagIcon);
    QAction* title = menuItem(menu, ZEVRowTagTitle);
    QAction* link = menuItem(menu, ZEVRowTagLink);
    QAction* filter = menuItem(menu, ZEVRowTagFilter);
    filter->setText(filterTitle);
    const int mode = front_.frontMode();
    if (mode >= ZEVFrontModeIcons && mode <= ZEVFrontModeLinks) {
        const KELSharedResources& r = space_.host().sharedResources();
        struct Entry {
            QAction* item;
            int mode;
            QString word;
            const QPixmap* image;
        };
        const Entry entries[] = {{icon, ZEVFrontModeIcons, QStringLiteral("Icon"), &r.iconImage()},
                                 {title, ZEVFrontModeTitles, QStringLiteral("Title"), &r.titleImage()},
                                 {link, ZEVFrontModeLinks, QStringLiteral("Link"), &r.linkImage()}};
        // The item of the mode carries its image and stands out; the others are indented.
        for (const Entry& e : entries) {
            e.item->setText(e.mode == mode ? e.word : kIndent + e.word);
            e.item->setIcon(e.mode == mode ? QIcon(*e.image) : QIcon());
        }
        if (mode == ZEVFrontModeFilters) {
            filter->setIcon(QIcon(r.filterImage()));
        } else {
            filter->setIcon(QIcon());
            filter->setText(kIndent + filterTitle);
        }
    }
    front_.majImageForEditionMenu2(menu);
}

// ---- the row menus ------------------------------------------------------------------------------

QMenu* ZEVFrontClass::updateRowMenu(QMenu*, ZEVTableView& table, const ZEVTableElement& e)
{
    QMenu* m = menus().rowMenuFor(table);
    menuTable_ = &table;
    KELICurseur* actif = space_.actifCurseur();
    const bool nowActif = actif && actif == space_.nowCurseur();
    ZEVSelections& s = space_.selections();
    ZEVItemViewerHost* host = ZEVItemViewer::Host();
    const QString duration = host ? host->durationString() : space_.durationString();

    auto timeActions = [&](bool present, const QString& noun) {
        menuItem(m, ZEVRowTagRecall)->setText(present ? QStringLiteral("Recall") : QStringLiteral("Recall %1%2").arg(noun, duration));
        menuItem(m, ZEVRowTagRetain)->setText(present ? QStringLiteral("Retain") : QStringLiteral("Retain %1").arg(noun));
        menuItem(m, ZEVRowTagRelease)->setText(present ? QStringLiteral("Release %1").arg(noun) : QStringLiteral("Release"));
        menuItem(m, ZEVRowTagForget)->setText(present ? QStringLiteral("Forget %1").arg(noun) : QStringLiteral("Forget"));
        menuItem(m, ZEVRowTagRecall)->setEnabled(!present);
        menuItem(m, ZEVRowTagRetain)->setEnabled(!present);
        menuItem(m, ZEVRowTagRelease)->setEnabled(present);
        menuItem(m, ZEVRowTagForget)->setEnabled(present);
    };

    if (e.item) {
        KELI* item = e.item;
        rightMenuItem_ = item;
        rightMenuLink_ = nullptr;
        rightColumn_ = -1;
        const bool present = isItemActif(item);
        updateHandleItems(m, item);
        menuItem(m, ZEVRowTagHandle)->setText(QStringLiteral("Handle"));
        menuItem(m, ZEVRowTagOpenWith)->setText(QStringLiteral("Open With"));
        menuItem(m, ZEVRowTagHeader)->setText(quoted(menuTitle(titleForItem(item))));
        updateHeaderImage(item);
        QAction* recallNow = menuItem(m, ZEVRowTagRecallNow);
        recallNow->setText(QStringLiteral("Recall Object Now%1").arg(duration));
        recallNow->setVisible(!nowActif && !isItemActifNow(item));
        timeActions(present, QStringLiteral("Object"));
        menuItem(m, ZEVRowTagIcon)->setChecked(s.isIconSelectedForItem(item));
        menuItem(m, ZEVRowTagTitle)->setChecked(s.isTitleSelectedForItem(item));
        menuItem(m, ZEVRowTagLink)->setChecked(s.isNodeSelectedForItem(item));
        menuItem(m, ZEVRowTagFilter)->setChecked(s.isFilterSelectedForItem(item));
        menuItem(m, ZEVRowTagDuration)->setText(durationStringForLegos(iconLegosForItem(item)));
        m->findChild<QAction*>(QStringLiteral("copyDurations"))->setEnabled(true);
        endRowMenu(m, QStringLiteral("Filter"));
        return m;
    }
    if (!e.pair)
        return nullptr;
    KELI* parent = e.pair->parentItem();
    KELI* enfant = e.pair->enfantItem();
    rightMenuItem_ = nullptr;
    rightMenuLink_ = e.pair;
    rightColumn_ = table.rightSelectedColumn();
    const QString pt = menuTitle(titleForItem(parent));
    const QString et = menuTitle(titleForItem(enfant));
    const bool present = isLinkActif(e.pair, actif);
    const bool presentNow = isLinkActif(e.pair, space_.nowCurseur());
    menuItem(m, ZEVRowTagHeader)->setText(quoted(pt) + QStringLiteral(" \u2013 ") + quoted(et));
    menuItem(m, ZEVRowTagHeader)->setIcon(QIcon());
    QAction* recallNow = menuItem(m, ZEVRowTagRecallNow);
    recallNow->setText(QStringLiteral("Recall Link Now%1").arg(duration));
    recallNow->setVisible(!nowActif && !presentNow);
    timeActions(present, QStringLiteral("Link"));
    // The side the clicked column designates.
    KELI* side = rightSideItem();
    const QString t = quoted(side == enfant ? et : pt);
    updateHandleItems(m, side);
    menuItem(m, ZEVRowTagOpenWith)->setText(QStringLiteral("Open %1 With").arg(t));
    menuItem(m, ZEVRowTagHandle)->setText(QStringLiteral("Handle %1").arg(t));
    if (side)
        menuItem(m, ZEVRowTagFilter)->setChecked(s.isFilterSelectedForItem(side));
    menuItem(m, ZEVRowTagIcon)->setChecked(parent && enfant && s.isIconSelectedForItem(parent) && s.isIconSelectedForItem(enfant));
    menuItem(m, ZEVRowTagTitle)->setChecked(parent && enfant && s.isTitleSelectedForItem(parent) &&
                                       s.isTitleSelectedForItem(enfant));
    menuItem(m, ZEVRowTagLink)->setChecked(true);
    std::vector<KELI*> legos;
    for (int r = 0; r < table.numberOfRows(); ++r)
        if (const ZEVTableElement* x = table.element(r); x && *x == e) {
            legos = legosForRow(table, r);
            break;
        }
    menuItem(m, ZEVRowTagDuration)->setText(durationStringForLegos(legos));
    // What a pair's durations would report is not settled: the item stays off for links.
    m->findChild<QAction*>(QStringLiteral("copyDurations"))->setEnabled(false);
    endRowMenu(m, QStringLiteral("Filter %1").arg(t));
    return m;
}

QMenu* ZEVFrontClass::updateLegoMenu(QMenu*, ZEVTableView& table, KELI* lego)
{
    if (!lego)
        return nullptr;
    menuTable_ = &table;
    const bool items = siItemList(table);
    QMenu* m = menus().legoMenu(table, lego, items ? liveIconLinkCount(lego->enfantInt()) : 0);
    if (!items)
        menuItem(m, ZEVRowTagDeleteLego)->setText(QStringLiteral("Delete Link Interval"));
    return m;
}

} // namespace tallomer
