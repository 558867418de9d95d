// The Links model as the panel's table sees it: the seven columns of a pair, its intervals, the
// rows selected from the desk's selection and the desk's selection made from the rows, and
// type-select over both titles.

#include "inspectors/links/ZEVLinkClass.h"

#include "look/KELSharedResources.h"
#include "desk/view/ZEVDeskView.h"
#include "desk/viewer/ZEVDeskViewer.h"
#include "engine/KELICurseur.h"
#include "engine/KELModels.h"
#include "inspectors/table/ZEVTableModel.h"
#include "inspectors/table/ZEVTableView.h"
#include "runtime/Scheduler.h"
#include "services/ZEVFrontMode.h"
#include "services/ZEVFrontViewerServices.h"
#include "services/ZEVItemViewForDesks.h"
#include "space/ZEVSelections.h"
#include "space/ZEVSpaceController.h"

#include <QColor>
#include <QFont>
#include <QGuiApplication>
#include <QItemSelectionModel>

#include <algorithm>
#include <unordered_set>

namespace tallomer {

namespace {

constexpr double kTitlePointSize = 13.0;
// The Filter mode follows a selection made in the table this long after it.
constexpr double kFilterModeDelay = 0.1;

// The ends of the rows, each once, parents before children of the same row.
void ajouterLesBouts(const ZEVLinkPair* l, std::vector<KELI*>& out, std::unordered_set<KELI*>& vus)
{
    if (!l)
        return;
    for (KELI* o : {l->parentItem(), l->enfantItem()})
        if (o && vus.insert(o).second)
            out.push_back(o);
}

} // namespace

const QStringList& ZEVLinkClass::columnIdentifiers()
{
    static const QStringList ids{QStringLiteral("imageIcon"),    QStringLiteral("imageTitle"),
                                 QStringLiteral("imageLink"),    QStringLiteral("filterParent"),
                                 QStringLiteral("parent"),       QStringLiteral("filterEnfant"),
                                 QStringLiteral("enfant")};
    return ids;
}

int ZEVLinkClass::frontMode() const
{
    ZEVFrontViewerServices* f = space_.frontViewer();
    return f ? f->frontMode() : ZEVFrontModeIcons;
}

KELICurseur* ZEVLinkClass::actif() const { return actifCurseur_ ? actifCurseur_ : space_.actifCurseur(); }

void ZEVLinkClass::referencerInspectTableView(ZEVTableView* table)
{
    table_ = table;
    if (table_)
        reloadItems();
}

ZEVLinkObject* ZEVLinkClass::rowForPair(KELId parentInt, KELId enfantInt) const
{
    auto it = parentConnexionsMap_.find(parentInt);
    if (!parentInt || it == parentConnexionsMap_.end())
        return nullptr;
    for (const auto& r : it->second)
        if (r->enfantInt() == enfantInt)
            return r.get();
    return nullptr;
}

ZEVLinkObject* ZEVLinkClass::rowAt(const ZEVTableView& table, int row) const
{
    const ZEVTableElement* e = table.element(row);
    return e ? static_cast<ZEVLinkObject*>(e->pair) : nullptr;
}

void ZEVLinkClass::reloadItems()
{
    if (!table_)
        return;
    elements_.clear();
    for (ZEVLinkObject* row : linksExistants())
        elements_.push_back(ZEVTableElement{nullptr, row});
    const bool avant = siAccepteMajSelectedRows();
    ZEVInspectClass::setSiAccepteMajSelectedRows(true);
    table_->setElements(&elements_);
    table_->reloadData();
    selectionnerRows(*table_, rowsSelectedInMode(*table_, table_->currentFrontMode()));
    ZEVInspectClass::setSiAccepteMajSelectedRows(avant);
}

// ---------------------------------------------------------------------------------------------
// Cells

bool ZEVLinkClass::isLinkActifAt(const ZEVLinkPair* link, KELICc* curseur)
{
    if (!link || !curseur || !linkViewerRelation_ || !link->parentItem() || !link->enfantItem())
        return false;
    return linkViewerRelation_->lienDuParent(link->parentItem(), link->enfantItem(), curseur) != nullptr;
}

std::string ZEVLinkClass::durationStringForLegos(const std::vector<KELI*>& legos)
{
    double total = 0.0;
    const KELDate debut = tlContexte_ ? tlContexte_->nowIn() : 0.0;
    const KELDate fin = tlContexte_ ? tlContexte_->nowOut() : 0.0;
    // Only what lies inside the visible range counts.
    for (const KELI* l : legos)
        if (l && tlContexte_)
            total += std::max(0.0, std::min(fin, l->outDate()) - std::max(debut, l->inDate()));
    return ZEVSpaceController::durationStringForDuration(total).toStdString();
}

std::vector<KELI*> ZEVLinkClass::legosForRow(ZEVTableView& table, int row)
{
    ZEVLinkObject* r = rowAt(table, row);
    return r ? r->lienConnexions() : std::vector<KELI*>();
}

QVariant ZEVLinkClass::objectValue(ZEVTableView& table, const QString& col, int row, int role)
{
    ZEVLinkObject* r = rowAt(table, row);
    if (!r)
        return {};
    const KELSharedResources& res = space_.host().sharedResources();
    ZEVSelections& s = space_.selections();
    KELI* p = r->parentItem();
    KELI* c = r->enfantItem();
    auto image = [&](bool oui, const QPixmap& px) { return role == Qt::DecorationRole && oui ? QVariant(px) : QVariant(); };
    auto filtre = [&](KELI* bout) -> QVariant {
        if (role != Qt::DecorationRole || !bout)
            return {};
        if (s.isFilterSelectedForItem(bout))
            return res.filterImage();
        ZEVDeskViewer* desk = space_.deskViewerForCurseur(actif());
        ZEVItemViewForDesks* v = desk ? desk->itemViewForItem(bout) : nullptr;
        return v && !v->isHidden() ? QVariant(res.impactImage()) : QVariant();
    };
    auto titre = [&](KELI* bout) -> QVariant {
        switch (role) {
        case Qt::DisplayRole:
            return bout ? QString::fromStdString(itemTitleForItem(bout).value_or("")) : QString();
        case Qt::FontRole: {
            QFont f = QGuiApplication::font();
            f.setPointSizeF(kTitlePointSize);
            f.setBold(isLinkActifAt(r, actif()));
            return f;
        }
        case Qt::ForegroundRole:
            return isTitleRowSelectedForItem(table, *table.element(row)) ? QColor(Qt::white) : QColor(Qt::black);
        default:
            return {};
        }
    };
    if (col == QLatin1String("imageIcon"))
        return image(isIconRowSelectedForItem(table, *table.element(row)), res.iconImage());
    if (col == QLatin1String("imageTitle"))
        return image(isTitleRowSelectedForItem(table, *table.element(row)), res.titleImage());
    if (col == QLatin1String("imageLink"))
        return image(s.isLinkSelectedForLinkObject(r), res.linkImage());
    if (col == QLatin1String("filterParent"))
        return filtre(p);
    if (col == QLatin1String("filterEnfant"))
        return filtre(c);
    if (col == QLatin1String("parent"))
        return titre(p);
    if (col == QLatin1String("enfant"))
        return titre(c);
    return {};
}

bool ZEVLinkClass::isTitleRowSelectedForItem(ZEVTableView&, const ZEVTableElement& e)
{
    ZEVSelections& s = space_.selections();
    return e.pair && e.pair->parentItem() && e.pair->enfantItem() && s.isTitleSelectedForItem(e.pair->parentItem()) &&
           s.isTitleSelectedForItem(e.pair->enfantItem());
}

bool ZEVLinkClass::isIconRowSelectedForItem(ZEVTableView&, const ZEVTableElement& e)
{
    ZEVSelections& s = space_.selections();
    return e.pair && e.pair->parentItem() && e.pair->enfantItem() && s.isIconSelectedForItem(e.pair->parentItem()) &&
           s.isIconSelectedForItem(e.pair->enfantItem());
}

bool ZEVLinkClass::isItemActif(ZEVTableView&, const ZEVTableElement& e, KELICurseur* curseur)
{
    return isLinkActifAt(e.pair, curseur);
}

bool ZEVLinkClass::siFilteredItem(const ZEVTableElement& e, ZEVTableView&)
{
    ZEVDeskViewer* desk = space_.deskViewerForCurseur(actif());
    if (!desk || !e.pair)
        return false;
    KELI* p = e.pair->parentItem();
    KELI* c = e.pair->enfantItem();
    return (p && desk->siFilteredItem(p)) || (c && desk->siFilteredItem(c));
}

// ---------------------------------------------------------------------------------------------
// From the desk's selection to the rows

std::vector<int> ZEVLinkClass::rowsSelectedInMode(const ZEVTableView& table, int mode)
{
    ZEVSelections& s = space_.selections();
    // The Filter mode's side is the column last under the pointer: the event under way may come
    // from the desk, a key or the engine, and lie anywhere.
    const bool enfant = siColonneEnfant(table.previousColumn());
    std::vector<int> rows;
    for (int i = 0; i < table.numberOfRows(); ++i) {
        ZEVLinkObject* r = rowAt(table, i);
        if (!r)
            continue;
        KELI* p = r->parentItem();
        KELI* c = r->enfantItem();
        bool oui = false;
        switch (mode) {
        case ZEVFrontModeIcons:
            oui = p && c && s.isIconSelectedForItem(p) && s.isIconSelectedForItem(c);
            break;
        case ZEVFrontModeTitles:
            oui = p && c && s.isTitleSelectedForItem(p) && s.isTitleSelectedForItem(c);
            break;
        case ZEVFrontModeFilters: {
            KELI* bout = enfant ? c : p;
            oui = bout && s.isFilterSelectedForItem(bout);
            break;
        }
        case ZEVFrontModeLinks:
            oui = s.isLinkSelectedForLinkObject(r);
            break;
        default:
            break;
        }
        if (oui)
            rows.push_back(i);
    }
    return rows;
}

void ZEVLinkClass::selectionnerRows(ZEVTableView& table, const std::vector<int>& rows)
{
    QItemSelectionModel* sm = table.selectionModel();
    ZEVTableModel* m = table.tableModel();
    if (!sm || !m)
        return;
    QItemSelection sel;
    for (int r : rows)
        if (r >= 0 && r < table.numberOfRows())
            sel.select(m->index(r, 0), m->index(r, 0));
    sm->select(sel, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void ZEVLinkClass::majIndexOfSelectedRowsForTableView(ZEVTableView& table)
{
    const int mode = table.currentFrontMode();
    const std::vector<int> rows = rowsSelectedInMode(table, mode);
    if (mode >= ZEVFrontModeIcons && mode <= ZEVFrontModeLinks && frontMode() == mode && delegate_)
        delegate_->linkRowsSelected(rows.size());
    if (siAccepteMajSelectedRows())
        selectionnerRows(table, rows);
}

void ZEVLinkClass::refreshIndexOfSelectedRowsForTableView(ZEVTableView& table)
{
    const bool avant = siAccepteMajSelectedRows();
    ZEVInspectClass::setSiAccepteMajSelectedRows(true);
    majIndexOfSelectedRowsForTableView(table);
    ZEVInspectClass::setSiAccepteMajSelectedRows(avant);
}

void ZEVLinkClass::majIndexOfSelectedRows()
{
    if (!table_)
        return;
    const bool avant = siAccepteMajSelectedRows();
    ZEVInspectClass::setSiAccepteMajSelectedRows(true);
    majIndexOfSelectedRowsForTableView(*table_);
    majSelectedLinkIndexSet();
    ZEVInspectClass::setSiAccepteMajSelectedRows(avant);
}

// ---------------------------------------------------------------------------------------------
// From the rows to the desk's selection

void ZEVLinkClass::redessinerLeBureau()
{
    if (ZEVDeskViewer* desk = space_.deskViewerForCurseur(actif()))
        if (ZEVDeskView* v = desk->deskView())
            v->update();
}

void ZEVLinkClass::devant(const std::vector<KELI*>& items)
{
    ZEVDeskViewer* desk = space_.deskViewerForCurseur(actif());
    if (!desk)
        return;
    for (KELI* o : items)
        if (ZEVItemViewForDesks* v = o ? desk->itemViewForItem(o) : nullptr)
            v->orderToFront();
}

std::vector<int> ZEVLinkClass::selectionIndexesForProposedSelection(ZEVTableView& table, const std::vector<int>& proposed,
                                                                    const std::vector<int>& before,
                                                                    Qt::KeyboardModifiers modifiers)
{
    if (siAccepteMajSelectedRows())
        return proposed;
    const int mode = table.currentFrontMode();
    std::vector<KELI*> objets;
    std::unordered_set<KELI*> vus;
    std::vector<ZEVLinkPair*> rows;
    std::vector<KELI*> retires;
    const bool ctrl = modifiers & Qt::ControlModifier;
    if (!ctrl) {
        if (mode == ZEVFrontModeFilters) {
            const bool enfant = siColonneEnfant(table.previousColumn());
            for (int i : proposed)
                if (ZEVLinkObject* r = rowAt(table, i))
                    if (KELI* bout = enfant ? r->enfantItem() : r->parentItem(); bout && vus.insert(bout).second)
                        objets.push_back(bout);
        } else {
            for (int i : proposed)
                if (ZEVLinkObject* r = rowAt(table, i))
                    rows.push_back(r);
        }
    } else {
        // The rows selected before and no longer proposed are the ones taken off.
        std::vector<int> reste = before;
        for (int i : proposed) {
            if (ZEVLinkObject* r = rowAt(table, i))
                rows.push_back(r);
            std::erase(reste, i);
        }
        std::unordered_set<KELI*> vusRetires;
        for (int i : reste)
            ajouterLesBouts(rowAt(table, i), retires, vusRetires);
    }
    for (ZEVLinkPair* r : rows)
        ajouterLesBouts(r, objets, vus);
    ZEVFrontViewerServices* front = space_.frontViewer();
    if (front)
        front->setSiAvoidGraphicalLarsen(true);
    ZEVSelections& s = space_.selections();
    const std::vector<KELI*>* minus = ctrl ? &retires : nullptr;
    switch (mode) {
    case ZEVFrontModeIcons:
        s.selectIconForItemSet(objets, minus);
        break;
    case ZEVFrontModeTitles:
        s.selectTitleForItemSet(objets, minus);
        break;
    case ZEVFrontModeFilters:
        s.selectFilterForItemSet(objets, minus);
        // A newer selection replaces the pending switch.
        Scheduler::shared().cancel(this, "menuModeFilter");
        Scheduler::shared().perform(this, "menuModeFilter", kFilterModeDelay, [this] {
            if (ZEVFrontViewerServices* f = space_.frontViewer())
                f->menuModeFilter();
        });
        break;
    case ZEVFrontModeLinks:
        s.selectLinkForLinkSet(rows);
        break;
    default:
        break;
    }
    if (proposed.empty() && before.empty() && front)
        front->setSiAvoidGraphicalLarsen(false);
    redessinerLeBureau();
    return proposed;
}

void ZEVLinkClass::tableViewSelectionDidChange(ZEVTableView& table)
{
    if (siAccepteMajSelectedRows())
        return;
    const QModelIndexList choisis = table.selectionModel() ? table.selectionModel()->selectedRows() : QModelIndexList();
    if (!choisis.isEmpty())
        if (ZEVLinkObject* r = rowAt(table, choisis.first().row()))
            devant({r->parentItem(), r->enfantItem()});
    if (ZEVFrontViewerServices* front = space_.frontViewer())
        front->setSiAvoidGraphicalLarsen(false);
    majSelectedLinkIndexSet();
}

void ZEVLinkClass::setSiAccepteMajSelectedRows(bool accepte, ZEVTableView& table)
{
    if (!accepte) {
        // The panel whose table takes the keys is drawn over the other panels.
        if (QWidget* panel = table.parentWidget())
            panel->raise();
    } else if (ZEVFrontViewerServices* front = space_.frontViewer()) {
        front->setSiAvoidGraphicalLarsen(false);
    }
    ZEVInspectClass::setSiAccepteMajSelectedRows(accepte);
}

// ---------------------------------------------------------------------------------------------
// Type-select

void ZEVLinkClass::selectItemsWithString(ZEVTableView& table, const QString& text, int operation)
{
    std::vector<int> rows;
    std::vector<KELI*> objets;
    std::unordered_set<KELI*> vus;
    auto contient = [&](KELI* o) {
        return o && QString::fromStdString(itemTitleForItem(o).value_or("")).contains(text, Qt::CaseInsensitive);
    };
    auto ajouter = [&](KELI* o) {
        if (o && vus.insert(o).second)
            objets.push_back(o);
    };
    for (int i = 0; i < table.numberOfRows(); ++i) {
        ZEVLinkObject* r = rowAt(table, i);
        if (!r)
            continue;
        const bool parent = contient(r->parentItem());
        const bool enfant = contient(r->enfantItem());
        if (parent || enfant) {
            rows.push_back(i);
            ajouter(parent ? r->parentItem() : r->enfantItem());
            ajouter(parent ? r->enfantItem() : r->parentItem());
        }
    }
    ZEVSelections& s = space_.selections();
    switch (frontMode()) {
    case ZEVFrontModeIcons:
        s.selectIconForItemSet(objets, operation);
        break;
    case ZEVFrontModeTitles:
        s.selectTitleForItemSet(objets, operation);
        break;
    case ZEVFrontModeFilters:
        s.selectFilterForItemSet(objets, operation);
        break;
    case ZEVFrontModeLinks:
        s.selectLinkForItemSet(objets, operation);
        break;
    default:
        break;
    }
    const bool avant = siAccepteMajSelectedRows();
    ZEVInspectClass::setSiAccepteMajSelectedRows(true);
    selectionnerRows(table, rows);
    ZEVInspectClass::setSiAccepteMajSelectedRows(avant);
    devant(objets);
    majSelectedLinkIndexSet();
    space_.addToHistory();
}

void ZEVLinkClass::tableViewSearchingDidFinish(ZEVTableView&)
{
    if (delegate_)
        delegate_->linkSearchingDidFinish();
}

} // namespace tallomer
