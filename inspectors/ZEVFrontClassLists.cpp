// The list part of the front class: the two selection lists, their drags and edit commands.

#include "inspectors/ZEVFrontClass.h"

#include "look/KELSharedResources.h"
#include "desk/data/ZEVItemData.h"
#include "desk/data/ZEVItemDataChannels.h"
#include "desk/data/ZEVItemDataFiles.h"
#include "desk/data/ZEVItemFileType.h"
#include "desk/model/ZEVDeskClass.h"
#include "desk/model/ZEVItemOptions.h"
#include "desk/model/ZEVModelSupport.h"
#include "desk/pasteboard/ZEVItemPB.h"
#include "desk/view/ZEVDeskView.h"
#include "desk/viewer/ZEVDeskViewer.h"
#include "engine/KELICurseur.h"
#include "engine/KELLien.h"
#include "engine/KELModels.h"
#include "engine/KELServeurDeLiens.h"
#include "inspectors/base/ZEVInspectClass.h"
#include "inspectors/base/ZEVInspectViewer.h"
#include "inspectors/core/ZEVFrontModeLists.h"
#include "inspectors/core/ZEVRowCells.h"
#include "inspectors/core/ZEVRowStatus.h"
#include "services/ZEVInspectorServices.h"
#include "inspectors/table/ZEVTableModel.h"
#include "inspectors/table/ZEVTableView.h"
#include "platform/AppId.h"
#include "platform/pasteboard/OutgoingObjects.h"
#include "platform/sound/Sound.h"
#include "ruler/ZEVRulerViewer.h"
#include "ruler/ZEVTlineType.h"
#include "services/ZEVFrontViewerServices.h"
#include "services/ZEVItemViewForDesks.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSelections.h"
#include "space/ZEVSpaceController.h"
#include "widgets/FileTypeIcon.h"

#include <QApplication>
#include <QClipboard>
#include <QDrag>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QItemSelectionModel>
#include <QMimeData>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QUrl>

#include <algorithm>
#include <set>

namespace tallomer {

namespace {

std::vector<int> lignes(const QModelIndexList& indexes)
{
    std::set<int> s;
    for (const QModelIndex& i : indexes)
        s.insert(i.row());
    return {s.begin(), s.end()};
}

std::vector<int> lignes(const QItemSelection& selection) { return lignes(selection.indexes()); }

QString texte(const std::optional<std::string>& mot) { return mot ? QString::fromStdString(*mot) : QString(); }

// The type-select's candidates: the Icons model's rows when its inspector is made.
ZEVInspectClass* iconModel(ZEVSpaceController& space)
{
    auto* v = dynamic_cast<ZEVInspectViewer*>(space.viewerForEntityClassName("ZEVIconViewer"));
    return v ? v->inspectClass() : nullptr;
}

ZEVFrontClass::FileTypeIcons& fileTypeIcons()
{
    static ZEVFrontClass::FileTypeIcons icons;
    return icons;
}

} // namespace

void ZEVFrontClass::setFileTypeIcons(FileTypeIcons icons) { fileTypeIcons() = std::move(icons); }

QStringList ZEVFrontClass::itemColumns()
{
    return {QStringLiteral("alias"),       QStringLiteral("imageIcon"), QStringLiteral("imageTitle"),
            QStringLiteral("imageFilter"), QStringLiteral("imageNode"), QStringLiteral("itemIcon"),
            QStringLiteral("title")};
}

QStringList ZEVFrontClass::linkColumns()
{
    // A click past the sixth column is on the child (ZEVTableElement::objetPourColonne).
    return {QStringLiteral("imageIcon"), QStringLiteral("imageTitle"), QStringLiteral("imageFilter"),
            QStringLiteral("imageLink"), QStringLiteral("pIcon"),      QStringLiteral("Parent"),
            QStringLiteral("gap"),       QStringLiteral("eIcon"),      QStringLiteral("Enfant")};
}

void ZEVFrontClass::initFrontClass()
{
    actifCurseur_ = space_.actifCurseur();
    currentChannelInt_ = space_.currentChannelInt();
    otherChannelFont_ = QFont(QStringLiteral("Sans Serif"));
    otherChannelFont_.setStyleHint(QFont::SansSerif);
    otherChannelFont_.setItalic(true);
    otherChannelFont_.setPointSizeF(kTitlePointSize);
}

// ---- references ---------------------------------------------------------------------------------

void ZEVFrontClass::referencerSelectionItemTableView(ZEVTableView* table)
{
    itemTable_ = table;
    if (!table)
        return;
    table->setElements(&itemElements_);
    table->viewport()->installEventFilter(this);
    QObject::connect(table->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                     [this, table](const QItemSelection& sel, const QItemSelection& desel) {
                         rowsDidChange(*table, lignes(sel), lignes(desel));
                     });
}

void ZEVFrontClass::referencerSelectionLinkTableView(ZEVTableView* table)
{
    linkTable_ = table;
    if (!table)
        return;
    table->setElements(&linkElements_);
    table->viewport()->installEventFilter(this);
    QObject::connect(table->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                     [this, table](const QItemSelection& sel, const QItemSelection& desel) {
                         rowsDidChange(*table, lignes(sel), lignes(desel));
                     });
}

bool ZEVFrontClass::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseMove:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::DragLeave:
    case QEvent::Drop:
        break;
    default:
        // Among the others come those a list sends while it is destroyed, when it is no longer a
        // table to look at.
        return QObject::eventFilter(watched, event);
    }
    ZEVTableView* items = itemTable_.data();
    const bool surObjets = items && watched == items->viewport();
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* m = static_cast<QMouseEvent*>(event);
        pressModifiers_ = m->modifiers();
        pressPoint_ = m->position().toPoint();
        pressColumn_ = surObjets ? items->columnAt(pressPoint_.x()) : -1;
        pressRow_ = surObjets ? items->rowAt(pressPoint_.y()) : -1;
        break;
    }
    case QEvent::MouseMove: {
        auto* m = static_cast<QMouseEvent*>(event);
        if (!surObjets || !(m->buttons() & Qt::LeftButton) || pressRow_ < 0 ||
            (m->position().toPoint() - pressPoint_).manhattanLength() < QApplication::startDragDistance())
            break;
        startDragOut(*items);
        pressRow_ = -1;
        return true;
    }
    // A foreign drag is followed while it moves over the Objects list, never dropped there: the
    // enter is taken so that the moves keep coming, each one refused.
    case QEvent::DragEnter:
        if (surObjets) {
            auto* d = static_cast<QDragEnterEvent*>(event);
            draggingEntered(d, *items);
            d->setDropAction(Qt::IgnoreAction);
            d->accept();
            return true;
        }
        break;
    case QEvent::DragMove:
        if (surObjets) {
            auto* d = static_cast<QDragMoveEvent*>(event);
            draggingUpdated(d, *items);
            d->ignore();
            return true;
        }
        break;
    case QEvent::DragLeave:
        if (surObjets) {
            draggingExited(*items);
            return true;
        }
        break;
    case QEvent::Drop:
        if (surObjets) {
            performDragOperation(static_cast<QDropEvent*>(event), *items);
            event->ignore();
            return true;
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void ZEVFrontClass::startDragOut(ZEVTableView& table)
{
    // The rows dragged: the selected ones when the press was on one of them, else the pressed one.
    std::vector<int> rows = lignes(table.selectionModel()->selectedRows());
    if (std::find(rows.begin(), rows.end(), pressRow_) == rows.end())
        rows = {pressRow_};
    auto data = std::make_unique<QMimeData>();
    if (!writeRowsForDrag(table, rows, pressColumn_, data.get()))
        return;
    table.execDragOut(std::move(data), rows, pressColumn_, pressPoint_);
}

void ZEVFrontClass::referencerSelectedItems(const std::vector<KELI*>& items)
{
    itemElements_.clear();
    for (KELI* item : items)
        itemElements_.push_back({item, nullptr});
    if (itemTable_) {
        const QSignalBlocker b(itemTable_->selectionModel());
        itemTable_->reloadData();
    }
}

void ZEVFrontClass::referencerSelectedLinks(const std::vector<ZEVLinkPair*>& links)
{
    linkElements_.clear();
    for (ZEVLinkPair* pair : links)
        linkElements_.push_back({nullptr, pair});
    if (linkTable_) {
        const QSignalBlocker b(linkTable_->selectionModel());
        linkTable_->reloadData();
    }
}

void ZEVFrontClass::channelDidChangeWithIdentityInt(KELId identityInt)
{
    if (identityInt)
        currentChannelInt_ = identityInt;
}

void ZEVFrontClass::actifCurseurDidChangeForCurseur(KELICurseur* curseur)
{
    actifCurseur_ = curseur;
    for (ZEVTableView* t : {itemTable_.data(), linkTable_.data()})
        if (t)
            t->setActifCurseur(curseur);
}

int ZEVFrontClass::selectedRows() const
{
    return int(front_.frontMode() == ZEVFrontModeLinks ? linkElements_.size() : itemElements_.size());
}

// ---- presence -----------------------------------------------------------------------------------

bool ZEVFrontClass::isItemActif(KELI* item)
{
    ZEVDeskClass* d = space_.deskClassForCurseur(space_.actifCurseur());
    return item && d && d->siIconExisteForItem(item);
}

bool ZEVFrontClass::isItemActifNow(KELI* item)
{
    ZEVDeskClass* d = space_.deskClassForCurseur(space_.nowCurseur());
    return item && d && d->siIconExisteForItem(item);
}

bool ZEVFrontClass::isLinkActif(const ZEVLinkPair* pair, KELICurseur* curseur)
{
    if (!pair || !curseur || !pair->parentItem() || !pair->enfantItem())
        return false;
    return KELServeurDeLiens::LienIntForParentInt(pair->parentItem()->idInt(), pair->enfantItem()->idInt(),
                                                  KELRELATION_LINK_VIEWER, curseur->now()) != 0;
}

QString ZEVFrontClass::itemIconForItem(KELI* item)
{
    KELICurseur* tl = space_.tlCurseur();
    return texte(deskmodel::motDuParent(deskmodel::fetch<KELIElemRelation>(KELRELATION_ITEM_ICON, tl), item, tl));
}

QString ZEVFrontClass::titleForItem(KELI* item)
{
    KELICurseur* c = space_.actifCurseur();
    return texte(deskmodel::motDuParent(deskmodel::fetch<KELIElemRelation>(KELRELATION_ITEM_TITLE, space_.tlCurseur()),
                                        item, c));
}

QString ZEVFrontClass::typeForItem(KELI* item)
{
    KELICurseur* tl = space_.tlCurseur();
    return texte(deskmodel::motDuParent(deskmodel::fetch<KELIElemRelation>(KELRELATION_ITEM_TYPE, tl), item, tl));
}

QString ZEVFrontClass::channelName(KELId channel)
{
    if (ZEVChannelViewerServices* c = space_.channelViewerServices())
        if (ZEVChannelClassServices* m = c->channelClass())
            return QString::fromStdString(m->nameOfChannel(space_.channelForIdentityInt(channel)));
    return {};
}

std::vector<KELI*> ZEVFrontClass::iconLegosForItem(KELI* item)
{
    std::vector<KELI*> legos;
    KELIContexte* ctx = space_.tlContexte();
    if (!item || !ctx)
        return legos;
    const KELIds ids = KELServeurDeLiens::LiensNumDeLEnfantIntRelInt(item->idInt(), KELRELATION_ICON_VIEWER);
    if (!ids)
        return legos;
    const KELDate in = ctx->nowIn(), out = ctx->nowOut();
    for (KELId id : *ids) {
        KELI* l = KELServeurDeLiens::LienForInt(id, space_.tlCurseur());
        if (deskmodel::siOublie(l))
            continue;
        if (l->inDate() < out && l->outDate() > in)
            legos.push_back(l);
    }
    std::sort(legos.begin(), legos.end(), [](KELI* a, KELI* b) { return a->inDate() < b->inDate(); });
    return legos;
}

// ---- titles and durations -----------------------------------------------------------------------

QString ZEVFrontClass::titleTextForOptions(std::uint64_t options, const QString& title, const QString* otherChannelName,
                                           int* stateColor)
{
    if (const std::optional<ZEVRowStatus> s = ZEVRowStatusForOptions(options)) {
        if (stateColor)
            *stateColor = int(s->color);
        return s->format.arg(title);
    }
    if (stateColor)
        *stateColor = 0;
    if (otherChannelName)
        return QStringLiteral("%1 in \"%2\"").arg(title, *otherChannelName);
    return title;
}

double ZEVFrontClass::durationInRange(const std::vector<std::pair<KELDate, KELDate>>& legos, KELDate rangeIn,
                                      KELDate rangeOut)
{
    return ZEVDurationInRange(legos, rangeIn, rangeOut);
}

QString ZEVFrontClass::durationStringForLegos(const std::vector<KELI*>& legos)
{
    KELIContexte* ctx = space_.tlContexte();
    std::vector<std::pair<KELDate, KELDate>> spans;
    for (KELI* l : legos)
        if (l)
            spans.emplace_back(l->inDate(), l->outDate());
    const double d = ctx ? durationInRange(spans, ctx->nowIn(), ctx->nowOut()) : 0.0;
    return ZEVSpaceController::durationStringForDuration(d);
}

QString ZEVFrontClass::durationStringForAllLegos()
{
    std::vector<KELI*> all;
    if (front_.frontMode() != ZEVFrontModeLinks) {
        for (const ZEVTableElement& e : itemElements_)
            for (KELI* l : iconLegosForItem(e.item))
                all.push_back(l);
    } else if (linkTable_) {
        for (int r = 0; r < int(linkElements_.size()); ++r)
            for (KELI* l : legosForRow(*linkTable_, r))
                all.push_back(l);
    }
    return durationStringForLegos(all);
}

// ---- data source --------------------------------------------------------------------------------

std::vector<KELI*> ZEVFrontClass::legosForRow(ZEVTableView& table, int row)
{
    const ZEVTableElement* e = table.element(row);
    if (!e)
        return {};
    if (e->item)
        return iconLegosForItem(e->item);
    std::vector<KELI*> legos;
    if (!e->pair || !e->pair->parentItem() || !e->pair->enfantItem())
        return legos;
    // The pair's presence intervals: its link lines between the two Objects.
    const KELIds ids =
        KELServeurDeLiens::LiensNumDeLEnfantIntRelInt(e->pair->enfantItem()->idInt(), KELRELATION_LINK_VIEWER);
    if (ids)
        for (KELId id : *ids) {
            KELI* l = KELServeurDeLiens::LienForInt(id, space_.tlCurseur());
            if (!deskmodel::siOublie(l) && l->parentInt() == e->pair->parentItem()->idInt())
                legos.push_back(l);
        }
    std::sort(legos.begin(), legos.end(), [](KELI* a, KELI* b) { return a->inDate() < b->inDate(); });
    return legos;
}

bool ZEVFrontClass::isTitleRowSelectedForItem(ZEVTableView&, const ZEVTableElement& e)
{
    ZEVSelections& s = space_.selections();
    if (e.item)
        return s.isTitleSelectedForItem(e.item);
    return e.pair && s.isTitleSelectedForItem(e.pair->parentItem()) && s.isTitleSelectedForItem(e.pair->enfantItem());
}

bool ZEVFrontClass::isIconRowSelectedForItem(ZEVTableView&, const ZEVTableElement& e)
{
    ZEVSelections& s = space_.selections();
    if (e.item)
        return s.isIconSelectedForItem(e.item);
    return e.pair && s.isIconSelectedForItem(e.pair->parentItem()) && s.isIconSelectedForItem(e.pair->enfantItem());
}

bool ZEVFrontClass::isItemActif(ZEVTableView&, const ZEVTableElement& e, KELICurseur* curseur)
{
    if (e.item) {
        ZEVDeskClass* d = space_.deskClassForCurseur(curseur);
        return d && d->siIconExisteForItem(e.item);
    }
    return isLinkActif(e.pair, curseur);
}

QVariant ZEVFrontClass::objectValue(ZEVTableView& table, const QString& id, int row, int role)
{
    const ZEVTableElement* e = table.element(row);
    if (!e)
        return {};
    const KELSharedResources& res = space_.host().sharedResources();
    ZEVSelections& s = space_.selections();
    ZEVDeskViewer* desk = space_.deskViewerForCurseur(space_.actifCurseur());
    auto montre = [&](KELI* item) {
        ZEVItemViewForDesks* v = desk && item ? desk->itemViewForItem(item) : nullptr;
        return v && !v->isHidden();
    };
    auto typeIcon = [&](KELI* item) {
        if (role != Qt::DecorationRole)
            return QVariant();
        const QString type = iconTypeForItem(item, typeForItem(item), itemIconForItem(item));
        return QVariant(fileTypeIcons() ? fileTypeIcons()(type) : iconForFileType(type));
    };
    // The title cell: the text by state, the font by presence and Channel, the colour by selection.
    auto titre = [&](KELI* item, bool present, bool titleSelected, bool seul) -> QVariant {
        const bool autre = item && item->channelInt() != currentChannelInt_;
        int etat = 0;
        const QString nom = autre ? channelName(item->channelInt()) : QString();
        const QString t = seul ? titleForItem(item)
                               : titleTextForOptions(itemOptions(item), titleForItem(item), autre ? &nom : nullptr, &etat);
        switch (role) {
        case Qt::DisplayRole:
            return t;
        case Qt::FontRole: {
            if (autre)
                return otherChannelFont_;
            QFont f;
            f.setPointSizeF(kTitlePointSize);
            f.setBold(present);
            return f;
        }
        case Qt::ForegroundRole:
            return ZEVTitleColor(etat ? std::optional(ZEVRowStatusColor(etat)) : std::nullopt, titleSelected, autre,
                                 res);
        default:
            return {};
        }
    };

    const std::vector<KELI*> ends =
        e->item ? std::vector<KELI*>{e->item}
                : std::vector<KELI*>{e->pair ? e->pair->parentItem() : nullptr, e->pair ? e->pair->enfantItem() : nullptr};
    if (e->item || e->pair)
        if (std::optional<QVariant> mark = ZEVSelectionMark(id, ends, role, s, res, montre))
            return *mark;
    if (e->item) {
        KELI* item = e->item;
        if (id == QLatin1String("alias")) {
            const std::uint64_t o = itemOptions(item);
            const QPixmap& p = (o & ZEVOPTION_HOLD_BY_ZEV)          ? res.holdByZevImage()
                               : (o & ZEVOPTION_HOLD_BY_ZEV_FOLDER) ? res.holdByZevFolderImage()
                               : (o & ZEVOPTION_HOLD_BY_EXTERN)     ? res.holdByExternImage()
                                                                    : res.holdByMacImage();
            return role == Qt::DecorationRole ? QVariant(p) : QVariant();
        }
        if (id == QLatin1String("itemIcon"))
            return typeIcon(item);
        return titre(item, isItemActif(item),
                     s.isTitleSelectedForItem(item) && front_.frontMode() == ZEVFrontModeTitles, false);
    }
    ZEVLinkPair* pair = e->pair;
    if (!pair)
        return {};
    KELI* p = pair->parentItem();
    KELI* c = pair->enfantItem();
    if (id == QLatin1String("imageLink"))
        return role == Qt::DecorationRole ? QVariant(res.linkImage()) : QVariant();
    const bool present = isLinkActif(pair, space_.actifCurseur());
    const bool titleSelected = isTitleRowSelectedForItem(table, *e);
    if (id == QLatin1String("Parent"))
        return titre(p, present, titleSelected, true);
    if (id == QLatin1String("Enfant"))
        return titre(c, present, titleSelected, true);
    if (id == QLatin1String("pIcon"))
        return typeIcon(p);
    if (id == QLatin1String("eIcon"))
        return typeIcon(c);
    return {};
}

// ---- selection ----------------------------------------------------------------------------------

bool ZEVFrontClass::siRowSelectedOnDesk(const ZEVTableView& table, const ZEVTableElement& e, int mode)
{
    ZEVSelections& s = space_.selections();
    auto test = [&](KELI* item) { return ZEVSiSelectedInFrontMode(space_, item, mode); };
    if (e.item)
        return test(e.item);
    if (!e.pair)
        return false;
    if (mode == ZEVFrontModeLinks)
        return s.isLinkSelectedForLinkObject(e.pair);
    return test(e.pair->parentItem()) && test(e.pair->enfantItem());
}

void ZEVFrontClass::majIndexOfSelectedRowsForTableView(ZEVTableView& table)
{
    if (!siAccepteMajSelectedRows_)
        return;
    const int mode = table.currentFrontMode();
    QItemSelection sel;
    for (int r = 0; r < table.numberOfRows(); ++r)
        if (const ZEVTableElement* e = table.element(r); e && siRowSelectedOnDesk(table, *e, mode)) {
            const QModelIndex i = table.model()->index(r, 0);
            sel.select(i, i);
        }
    {
        // The one path from the desk to the rows: nothing it does comes back to the desk.
        const QSignalBlocker b(table.selectionModel());
        table.selectionModel()->select(sel, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    table.selectionDidChange();
}

void ZEVFrontClass::refreshIndexOfSelectedRowsForTableView(ZEVTableView& table)
{
    const bool avant = siAccepteMajSelectedRows_;
    siAccepteMajSelectedRows_ = true;
    majIndexOfSelectedRowsForTableView(table);
    siAccepteMajSelectedRows_ = avant;
}

void ZEVFrontClass::majIndexOfSelectedRows()
{
    ZEVTableView* t = front_.frontMode() == ZEVFrontModeLinks ? linkTable_.data() : itemTable_.data();
    if (t)
        majIndexOfSelectedRowsForTableView(*t);
}

void ZEVFrontClass::setSiAccepteMajSelectedRows(bool accepte, ZEVTableView& table)
{
    siAccepteMajSelectedRows_ = accepte;
    front_.entityWillChange();
    // The focus left: the rows, kept while the user worked in the list, become the desk's
    // selection again.
    if (accepte)
        front_.selectionDidChange();
}

void ZEVFrontClass::rowsDidChange(ZEVTableView& table, const std::vector<int>& selected,
                                  const std::vector<int>& deselected)
{
    if (siAccepteMajSelectedRows_)
        return;
    (void)selected;
    const int mode = table.currentFrontMode();
    const bool ctrl = pressModifiers_ & Qt::ControlModifier;
    ZEVSelections& s = space_.selections();
    const std::vector<int> proposes = lignes(table.selectionModel()->selectedRows());
    auto objets = [&](const std::vector<int>& rows) {
        std::vector<KELI*> v;
        for (int r : rows)
            if (const ZEVTableElement* e = table.element(r)) {
                if (e->item)
                    v.push_back(e->item);
                else if (e->pair) {
                    v.push_back(e->pair->parentItem());
                    v.push_back(e->pair->enfantItem());
                }
            }
        return v;
    };
    const std::vector<KELI*> items = objets(proposes);
    const std::vector<KELI*> retires = objets(deselected);
    const std::vector<KELI*>* minus = ctrl ? &retires : nullptr;
    if (!siItemList(table) && mode == ZEVFrontModeLinks) {
        std::vector<ZEVLinkPair*> pairs;
        for (int r : proposes)
            if (const ZEVTableElement* e = table.element(r); e && e->pair)
                pairs.push_back(e->pair);
        s.selectLinkForLinkSet(pairs);
    } else {
        ZEVSelectInFrontMode(s, mode, items, minus);
    }
    orderRowsToFront(table);
    if (ZEVDeskViewer* d = space_.deskViewerForCurseur(space_.actifCurseur()))
        if (ZEVDeskView* v = d->deskView())
            v->update();
}

void ZEVFrontClass::orderRowsToFront(ZEVTableView& table)
{
    ZEVDeskViewer* desk = space_.deskViewerForCurseur(space_.actifCurseur());
    if (!desk)
        return;
    for (int r : lignes(table.selectionModel()->selectedRows()))
        if (const ZEVTableElement* e = table.element(r)) {
            for (KELI* item : {e->item, e->pair ? e->pair->parentItem() : nullptr,
                               e->pair ? e->pair->enfantItem() : nullptr})
                if (ZEVItemViewForDesks* v = item ? desk->itemViewForItem(item) : nullptr)
                    v->orderToFront();
        }
}

// ---- type-select --------------------------------------------------------------------------------

void ZEVFrontClass::tableViewSearchingWillStart(ZEVTableView&) { front_.searchingWillStart(); }

void ZEVFrontClass::tableViewSearchingDidFinish(ZEVTableView&) { front_.searchingDidFinish(); }

void ZEVFrontClass::selectItemsWithString(ZEVTableView&, const QString& text, int operation)
{
    ZEVInspectClass* model = iconModel(space_);
    std::vector<KELI*> matches;
    if (model)
        for (KELI* item : model->timeLineItems())
            if (titleForItem(item).contains(text, Qt::CaseInsensitive))
                matches.push_back(item);
    ZEVSelections& s = space_.selections();
    const int mode = front_.frontMode();
    if (matches.empty()) {
        const bool vide = mode == ZEVFrontModeIcons    ? s.selectedIconItems().empty()
                          : mode == ZEVFrontModeTitles ? s.selectedTitleItems().empty()
                          : mode == ZEVFrontModeFilters ? s.selectedFilterItems().empty()
                                                        : s.selectedNodeItemSet().empty();
        if (vide)
            return;
    }
    // Outside the first three modes the type-select finds link ends.
    const bool siListe = mode == ZEVFrontModeIcons || mode == ZEVFrontModeTitles || mode == ZEVFrontModeFilters;
    ZEVSelectInFrontMode(s, siListe ? mode : int(ZEVFrontModeLinks), matches, operation);
    if (ZEVDeskViewer* desk = space_.deskViewerForCurseur(space_.actifCurseur()))
        for (KELI* item : matches)
            if (ZEVItemViewForDesks* v = desk->itemViewForItem(item))
                v->orderToFront();
    space_.addToHistory();
}

// ---- pasteboard ---------------------------------------------------------------------------------

std::vector<KELI*> ZEVFrontClass::selectedItemsInTableView(ZEVTableView& table) const
{
    if (siItemList(table))
        return itemsForRows(lignes(table.selectionModel()->selectedRows()));
    // A links row stands for its two Objects: its rows never index the Objects list.
    std::vector<KELI*> v;
    for (int r : lignes(table.selectionModel()->selectedRows()))
        if (const ZEVTableElement* e = table.element(r); e && e->pair)
            for (KELI* o : {e->pair->parentItem(), e->pair->enfantItem()})
                if (o && std::find(v.begin(), v.end(), o) == v.end())
                    v.push_back(o);
    return v;
}

std::vector<KELI*> ZEVFrontClass::itemsForRows(const std::vector<int>& rows) const
{
    std::vector<KELI*> v;
    std::vector<int> tri = rows;
    std::sort(tri.begin(), tri.end());
    for (int r : tri)
        if (r >= 0 && std::size_t(r) < itemElements_.size() && itemElements_[std::size_t(r)].item)
            v.push_back(itemElements_[std::size_t(r)].item);
    return v;
}

std::unique_ptr<QMimeData> ZEVFrontClass::mimeDataForItems(const std::vector<KELI*>& items, bool forDrag)
{
    OutgoingObjects out;
    std::vector<ZEVItemPB> records;
    for (KELI* item : items) {
        const QString type = typeForItem(item);
        // Each Object's own Channel holds its records, whatever Channel is shown.
        ZEVItemData* store = ZEVItemDataChannels::ItemDataForChannelInt(item->channelInt());
        if (type == QLatin1String("file")) {
            const QString path = store ? store->fileUrlForItem(item) : QString();
            if (!path.isEmpty())
                out.addFile(QUrl::fromLocalFile(path));
        } else if (type == QLatin1String("http")) {
            const QString address = store ? store->uidForItem(item, QStringLiteral("http")) : QString();
            if (forDrag) {
                out.addWebLink(QUrl(), address, titleForItem(item));
            } else {
                const QString webloc = store ? store->files().weblocUrlForItem(item, titleForItem(item)) : QString();
                // Without its location file the link is not copied: the address alone is a drag's.
                if (!webloc.isEmpty())
                    out.addWebLink(QUrl::fromLocalFile(webloc), address, titleForItem(item));
            }
        } else {
            const QString title = titleForItem(item);
            out.addText(title);
            records.emplace_back(item, store ? store->uidForItem(item, type) : QString(), title, type,
                                 item->channelInt());
        }
    }
    if (out.isEmpty() && records.empty())
        return nullptr;
    auto data = std::make_unique<QMimeData>();
    out.writeTo(*data);
    if (!records.empty())
        data->setData(QString::fromLatin1(kItemPasteboardType), ZEVItemPB::archive(records));
    return data;
}

void ZEVFrontClass::beep() { Sound::shared().beep(); }

bool ZEVFrontClass::copyRows(ZEVTableView& table)
{
    if (!siItemList(table)) {
        beep();
        return false;
    }
    std::unique_ptr<QMimeData> data =
        mimeDataForItems(itemsForRows(lignes(table.selectionModel()->selectedRows())), false);
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!data || !clipboard) {
        beep();
        return false;
    }
    clipboard->setMimeData(data.release());
    return true;
}

void ZEVFrontClass::copy(ZEVTableView& table) { copyRows(table); }

void ZEVFrontClass::cut(ZEVTableView& table)
{
    // Release only what was put on the pasteboard: a failed copy has already beeped.
    if (!copyRows(table))
        return;
    if (space_.actifCurseur() == space_.nowCurseur())
        front_.userReleaseNow();
    else
        front_.userReleaseSearch();
}

bool ZEVFrontClass::writeRowsForDrag(ZEVTableView& table, const std::vector<int>& rows, int pressColumn,
                                     QMimeData* into)
{
    if (!siItemList(table) || !into)
        return false;
    const QStringList ids = table.tableModel()->columnIdentifiers();
    if (pressColumn < 0 || pressColumn >= ids.size() || ids[pressColumn] != QLatin1String("itemIcon"))
        return false;
    std::unique_ptr<QMimeData> data = mimeDataForItems(itemsForRows(rows), true);
    if (!data) {
        beep();
        return false;
    }
    for (const QString& f : data->formats())
        into->setData(f, data->data(f));
    return true;
}

// ---- a foreign drag over the Objects list -------------------------------------------------------

namespace {
// Drags of the desk's Object views move Objects, not time.
bool siDragDeBureau(QDropEvent* info)
{
    const ZEVDeskView::DragSource s = ZEVDeskView::sourceOf(info ? info->mimeData() : nullptr);
    return s == ZEVDeskView::DragSource::Overlay || s == ZEVDeskView::DragSource::ItemView;
}
} // namespace

Qt::DropAction ZEVFrontClass::draggingEntered(QDropEvent* info, ZEVTableView& table)
{
    if (siItemList(table) && !siDragDeBureau(info))
        draggingLegoId_ = 0;
    space_.draggingSessionStartedWithInteger(ZEVDeskView::nextDragSequenceNumber());
    return Qt::IgnoreAction;
}

Qt::DropAction ZEVFrontClass::draggingUpdated(QDropEvent* info, ZEVTableView& table)
{
    if (!siItemList(table) || !info)
        return Qt::IgnoreAction;
    const QPointF p = info->position();
    dragHover(table.rowAt(int(p.y())), p.x(), table.viewport()->width(), siDragDeBureau(info));
    return Qt::IgnoreAction;
}

void ZEVFrontClass::draggingExited(ZEVTableView& table)
{
    if (siItemList(table))
        dragExited(false);
    else
        Scheduler::shared().perform(this, "draggingSessionDidStop", kSessionStopDelay,
                                    [this] { space_.draggingSessionDidStop(); });
}

bool ZEVFrontClass::performDragOperation(QDropEvent*, ZEVTableView&)
{
    space_.draggingSessionDidStop();
    return false;
}

void ZEVFrontClass::dragHover(int row, double x, double width, bool deskDrag)
{
    if (deskDrag || !itemTable_)
        return;
    Scheduler& sch = Scheduler::shared();
    auto toutAnnuler = [&] {
        sch.cancel(this, "_selectDraggingLego");
        sch.cancel(this, "_deselectDraggingLego");
    };
    KELI* trouve = nullptr;
    auto* ruler = dynamic_cast<ZEVRulerViewer*>(space_.rulerViewer());
    ZEVTlineType* axe = ruler ? ruler->tlineType() : nullptr;
    // Under 2 points wide the table has no scale: no date, nothing found.
    if (axe && width >= 2 && row >= 0 && std::size_t(row) < itemElements_.size()) {
        const KELDate date = axe->dateForRelativeCoordinate(x / (width - 1));
        for (KELI* l : iconLegosForItem(itemElements_[std::size_t(row)].item))
            if (l->inDate() < date && date < l->outDate()) {
                trouve = l;
                break;
            }
    }
    if (!trouve) {
        if (draggingLegoId_) {
            toutAnnuler();
            draggingLegoId_ = 0;
        }
        return;
    }
    if (!draggingLegoId_) {
        draggingLegoId_ = trouve->idInt();
        if (KELI* marque = itemTable_->draggingLego(); marque && marque->idInt() == trouve->idInt())
            sch.perform(this, "_deselectDraggingLego", kDeselectDelay, [this] { deselectDraggingLego(); });
        else
            sch.perform(this, "_selectDraggingLego", kSelectDelay, [this] { selectDraggingLego(); });
        return;
    }
    if (trouve->idInt() == draggingLegoId_)
        return;
    toutAnnuler();
    draggingLegoId_ = trouve->idInt();
    sch.perform(this, "_selectDraggingLego", kSelectDelay, [this] { selectDraggingLego(); });
}

void ZEVFrontClass::dragExited(bool deskDrag)
{
    if (!deskDrag) {
        Scheduler::shared().cancel(this, "_selectDraggingLego");
        Scheduler::shared().cancel(this, "_deselectDraggingLego");
        draggingLegoId_ = 0;
    }
    Scheduler::shared().perform(this, "draggingSessionDidStop", kSessionStopDelay,
                                [this] { space_.draggingSessionDidStop(); });
}

void ZEVFrontClass::selectDraggingLego()
{
    // Woken again by id: an interval forgotten during the wait does nothing.
    KELI* lego = draggingLegoId_ ? KELServeurDeLiens::LienForInt(draggingLegoId_, space_.tlCurseur()) : nullptr;
    ZEVRulerViewerServices* ruler = space_.rulerViewer();
    auto* vue = dynamic_cast<ZEVRulerViewer*>(ruler);
    ZEVTlineType* axe = vue ? vue->tlineType() : nullptr;
    if (deskmodel::siOublie(lego) || !axe || !itemTable_ || !(lego->inDate() > axe->inDate()))
        return;
    itemTable_->setDraggingLego(lego);
    if (space_.actifCurseur() != space_.searchCurseur())
        ruler->userChangeActifCurseur(space_.searchCurseur());
    space_.setGoToTag(100);
    if (ruler->userInitieDeplacementCurseur()) {
        ruler->userPlaceCurseurToDate(lego->inDate());
        ruler->userTermineDeplacementCurseur();
    }
}

void ZEVFrontClass::deselectDraggingLego()
{
    if (itemTable_)
        itemTable_->setDraggingLego(nullptr);
}

} // namespace tallomer
