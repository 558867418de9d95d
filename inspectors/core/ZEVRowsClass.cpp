#include "inspectors/core/ZEVRowsClass.h"

#include "look/KELSharedResources.h"
#include "desk/data/ZEVItemFileType.h"
#include "desk/model/ZEVItemOptions.h"
#include "desk/viewer/ZEVDeskViewer.h"
#include "engine/KELICurseur.h"
#include "engine/KELLien.h"
#include "engine/KELModels.h"
#include "engine/KELServeurDeLiens.h"
#include "inspectors/core/ZEVFrontModeLists.h"
#include "inspectors/base/ZEVInspectViewer.h"
#include "inspectors/core/ZEVInspectDrag.h"
#include "inspectors/core/ZEVRowCells.h"
#include "inspectors/core/ZEVRowStatus.h"
#include "inspectors/table/ZEVTableModel.h"
#include "inspectors/table/ZEVTableView.h"
#include "objects/viewer/ZEVItemViewer.h"
#include "runtime/Log.h"
#include "runtime/Scheduler.h"
#include "services/ZEVFrontMode.h"
#include "services/ZEVFrontViewerServices.h"
#include "desk/view/ZEVDeskView.h"
#include "services/ZEVItemViewForDesks.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSelections.h"
#include "space/ZEVSpaceController.h"
#include "widgets/FileTypeIcon.h"

#include <QGuiApplication>
#include <QItemSelectionModel>

#include <algorithm>

namespace tallomer {

namespace {

KELIElemRelation* relationDe(KELId id, KELICurseur* c)
{
    return c ? dynamic_cast<KELIElemRelation*>(KELServeurDeLiens::LienForInt(id, c)) : nullptr;
}

constexpr int kPoliceTitre = 13;

} // namespace

ZEVRowsClass::ZEVRowsClass(ZEVSpaceController& space, KELId relation)
    : ZEVInspectClass(space), nowCurseur_(space.nowCurseur()),
      nowContexte_(nowCurseur_ ? nowCurseur_->contexte() : nullptr), searchCurseur_(space.searchCurseur()),
      searchContexte_(searchCurseur_ ? searchCurseur_->contexte() : nullptr), tlCurseur_(space.tlCurseur()),
      tlContexte_(space.tlContexte()), relation_(relation)
{
    ZEVInspectClass::setSiAccepteMajSelectedRows(true);
    actifCurseur_ = space.actifCurseur();
    viewerRelation_ = relationDe(relation, tlCurseur_);
    // The relation is woken in every window it is read in, so that the store's links are listed
    // there and the window's moves bring them in and out.
    for (KELICc* c : std::initializer_list<KELICc*>{nowCurseur_, searchCurseur_, nowContexte_, searchContexte_, tlContexte_})
        if (c)
            KELServeurDeLiens::LienForInt(relation, c);
    itemTitleRelation_ = relationDe(KELRELATION_ITEM_TITLE, tlCurseur_);
    itemTypeRelation_ = relationDe(KELRELATION_ITEM_TYPE, tlCurseur_);
    itemIconNameRelation_ = relationDe(KELRELATION_ITEM_ICON, tlCurseur_);
    otherChannelFont_ = QFont(QStringLiteral("Helvetica"), kPoliceTitre);
    otherChannelFont_.setItalic(true);
}

ZEVRowsClass::~ZEVRowsClass() { router_.toutRetirer(); }

KELICurseur* ZEVRowsClass::actif() const { return actifCurseur_ ? actifCurseur_ : space_.actifCurseur(); }

// ---------------------------------------------------------------------------------------------
// The lists

ZEVRowsClass::Listes& ZEVRowsClass::listesDe(KELId channelInt) { return listes_[channelInt]; }

const ZEVRowList* ZEVRowsClass::liste(KELId channelInt, ZEVRowScope scope) const
{
    if (scope == ZEVRowScope::Timeline) {
        auto t = timeline_.find(timelineParChannel_ ? channelInt : 0);
        return t == timeline_.end() ? nullptr : &t->second;
    }
    auto it = listes_.find(channelInt);
    if (it == listes_.end())
        return nullptr;
    switch (scope) {
    case ZEVRowScope::Now:
        return &it->second.now;
    case ZEVRowScope::Search:
        return &it->second.search;
    default:
        return nullptr;
    }
}

const ZEVRowList& ZEVRowsClass::actifListe() const
{
    static const ZEVRowList vide;
    if (rowsDuTimeline_) {
        const ZEVRowList* t = liste(currentChannelInt_, ZEVRowScope::Timeline);
        return t ? *t : vide;
    }
    const bool siNow = !searchCurseur_ || actif() != searchCurseur_;
    const ZEVRowList* l = liste(currentChannelInt_, siNow ? ZEVRowScope::Now : ZEVRowScope::Search);
    return l ? *l : vide;
}

std::unordered_set<KELId> ZEVRowsClass::walkTargets() const
{
    std::unordered_set<KELId> out;
    for (KELI* o : trouves_)
        out.insert(o->idInt());
    for (KELI* o : selectedItemSet_)
        out.insert(o->idInt());
    return out;
}

std::vector<KELId> ZEVRowsClass::channelsListes() const
{
    std::vector<KELId> out;
    out.reserve(listes_.size());
    for (const auto& [c, l] : listes_)
        out.push_back(c);
    std::sort(out.begin(), out.end());
    return out;
}

void ZEVRowsClass::verifier([[maybe_unused]] const ZEVRowList& l) const { Q_ASSERT(l.invariant()); }

void ZEVRowsClass::remplir(KELId channelInt, KELI* identity, bool siNow)
{
    KELIContexte* contexte = siNow ? nowContexte_ : searchContexte_;
    if (!viewerRelation_ || !contexte || !identity)
        return;
    ZEVRowList& l = siNow ? listesDe(channelInt).now : listesDe(channelInt).search;
    // One count per lego: the links, not the distinct children the relation's index gives.
    if (const std::vector<KELI*>* liens = viewerRelation_->liensDuParent(identity, contexte))
        for (KELI* lien : *liens)
            if (KELI* enfant = lien ? lien->enfant(contexte) : nullptr) {
                enfant->setChannelInt(channelInt);
                l.ajouter(enfant, ZEVRowReason::Lego);
            }
    verifier(l);
}

void ZEVRowsClass::initialiser()
{
    currentChannelInt_ = space_.currentChannelInt();
    const std::vector<KELI*> identities = space_.allIdentities();
    listes_.reserve(identities.size() + 1);
    for (bool siNow : {true, false}) {
        if (KELIContexte* c = siNow ? nowContexte_ : searchContexte_)
            c->placeToi();
        for (KELI* identity : identities)
            if (identity)
                remplir(identity->idInt(), identity, siNow);
    }
    listesDe(currentChannelInt_);
}

void ZEVRowsClass::enclencherMaj()
{
    auto h = [this](KELI* lien, KELICc* curseur, bool activation) { croisement(lien, curseur, activation); };
    router_.enregistrer(relation_, nowCurseur_, h);
    router_.enregistrer(relation_, searchCurseur_, h);
    router_.enregistrer(relation_, nowContexte_, h);
    router_.enregistrer(relation_, searchContexte_, h);
}

void ZEVRowsClass::enclencherTimeline(bool parChannel)
{
    timelineParChannel_ = parChannel;
    timeline_.clear();
    if (!viewerRelation_ || !tlContexte_)
        return;
    tlContexte_->placeToi();
    for (KELI* lien : viewerRelation_->liens(tlContexte_))
        croisementTimeline(lien, true);
    router_.enregistrer(relation_, tlContexte_,
                        [this](KELI* lien, KELICc*, bool activation) { croisementTimeline(lien, activation); });
}

void ZEVRowsClass::croisementTimeline(KELI* lien, bool activation)
{
    KELI* enfant = activation ? lien->enfant(tlContexte_) : KELServeurDeLiens::LienForInt(lien->enfantInt(), nullptr);
    if (!enfant)
        return;
    ZEVRowList& l = timeline_[timelineParChannel_ ? lien->parentInt() : 0];
    // The one list holds every Channel's Objects: each knows its own, for its style and its data.
    enfant->setChannelInt(lien->parentInt());
    if (activation)
        l.ajouter(enfant, ZEVRowReason::Lego);
    else
        l.enlever(enfant, ZEVRowReason::Lego);
    verifier(l);
    moteurChange();
}

void ZEVRowsClass::referencerInspectTableView(ZEVTableView* table)
{
    table_ = table;
    if (table_) {
        table_->setElements(&actifListe().elements());
        table_->setActifCurseur(actif());
    }
}

void ZEVRowsClass::croisement(KELI* lien, KELICc* curseur, bool activation)
{
    const bool siNow = curseur == nowContexte_;
    if (!siNow && curseur != searchContexte_) {
        auCurseur(curseur);
        return;
    }
    const KELId channel = lien->parentInt();
    auto it = listes_.find(channel);
    // A Channel without lists hears nothing: they are filled when it is first shown.
    if (it == listes_.end())
        return;
    KELI* enfant = activation ? lien->enfant(curseur) : KELServeurDeLiens::LienForInt(lien->enfantInt(), nullptr);
    if (!enfant) {
        logFormat("ZEVRowsClass WARNING - relation %lu link %lu: Object %lu not in memory, skipped",
                  static_cast<unsigned long>(relation_), static_cast<unsigned long>(lien->idInt()),
                  static_cast<unsigned long>(lien->enfantInt()));
        return;
    }
    enfant->setChannelInt(channel);
    ZEVRowList& l = siNow ? it->second.now : it->second.search;
    const bool rows = activation ? l.ajouter(enfant, ZEVRowReason::Lego) : l.enlever(enfant, ZEVRowReason::Lego);
    verifier(l);
    // The table's refresh comes later, and only while the panel shows: its Qt model is told now,
    // so that it never counts rows that are gone.
    if (rows && table_ && &l == &actifListe()) {
        // The table's own selection notices leave the desk's selections and the finds alone.
        siNotifie_ = true;
        table_->setElements(&l.elements());
        table_->reloadData();
        selectionnerRows(*table_, rowsSelectionnees(table_->currentFrontMode()));
        siNotifie_ = false;
    }
    moteurChange();
}

void ZEVRowsClass::auCurseur(KELICc* curseur)
{
    if (curseur != actif() || !siPanneauMontre())
        return;
    Scheduler::shared().cancel(this, "majActionButtons");
    Scheduler::shared().perform(this, "majActionButtons", 0.3, [this] { majActionButtons(); });
    if (table_)
        table_->viewport()->update();
}

// ---------------------------------------------------------------------------------------------
// Cursor and Channel

void ZEVRowsClass::actifCurseurDidChangeForCurseur(KELICurseur* curseur)
{
    actifCurseur_ = curseur;
    if (table_) {
        table_->setActifCurseur(curseur);
        table_->setElements(&actifListe().elements());
        reloadItems();
    }
    majActionButtons();
}

void ZEVRowsClass::channelDidChangeWithIdentityInt(KELId identityInt)
{
    if (identityInt && identityInt != currentChannelInt_) {
        // The found counts stay where they went; the found set ends with the Channel it was made in.
        const bool avant = siReleaseFoundedSet_;
        siReleaseFoundedSet_ = true;
        releaseAllFoundedItems();
        siReleaseFoundedSet_ = avant;
        currentChannelInt_ = identityInt;
    }
    if (!listes_.count(currentChannelInt_)) {
        // A Channel made after start: its lists get the presences it already has.
        listesDe(currentChannelInt_);
        KELI* identity = space_.channelForIdentityInt(currentChannelInt_);
        for (bool siNow : {true, false}) {
            if (KELIContexte* c = siNow ? nowContexte_ : searchContexte_)
                c->placeToi();
            remplir(currentChannelInt_, identity, siNow);
        }
    }
    actifCurseurDidChangeForCurseur(space_.actifCurseur());
}

// ---------------------------------------------------------------------------------------------
// Lookups

bool ZEVRowsClass::isItemActif(KELI* item)
{
    const std::vector<KELI*>* l = viewerRelation_ && item ? viewerRelation_->liensDeLEnfant(item, actif()) : nullptr;
    return l && !l->empty();
}

bool ZEVRowsClass::isItemActifNow(KELI* item)
{
    const std::vector<KELI*>* l = viewerRelation_ && item ? viewerRelation_->liensDeLEnfant(item, nowCurseur_) : nullptr;
    return l && !l->empty();
}

std::vector<KELI*> ZEVRowsClass::legosForItem(KELI* item, KELICc* curseur)
{
    const std::vector<KELI*>* l = viewerRelation_ && item && curseur ? viewerRelation_->liensDeLEnfant(item, curseur) : nullptr;
    return l ? *l : std::vector<KELI*>();
}

namespace {
std::optional<std::string> motDe(KELIElemRelation* rel, KELI* item, KELICc* curseur)
{
    if (!rel || !item || !curseur)
        return std::nullopt;
    const std::vector<KELI*>* liens = rel->liensDuParent(item, curseur);
    if (!liens || liens->empty())
        return std::nullopt;
    KELI* mot = liens->front()->enfant(curseur);
    const KELValue v = mot ? mot->base() : KELValue{};
    const auto* s = std::get_if<std::string>(&v);
    return s ? std::optional<std::string>(*s) : std::nullopt;
}
} // namespace

std::optional<std::string> ZEVRowsClass::itemIconForItem(KELI* item) { return motDe(itemIconNameRelation_, item, tlCurseur_); }
std::optional<std::string> ZEVRowsClass::itemTitleForItem(KELI* item) { return motDe(itemTitleRelation_, item, actif()); }
std::optional<std::string> ZEVRowsClass::itemTypeForItem(KELI* item) { return motDe(itemTypeRelation_, item, actif()); }

std::string ZEVRowsClass::durationStringForLegos(const std::vector<KELI*>& legos)
{
    if (!tlContexte_)
        return std::string();
    std::vector<std::pair<KELDate, KELDate>> spans;
    for (KELI* lego : legos)
        if (lego)
            spans.emplace_back(lego->inDate(), lego->outDate());
    const double somme = ZEVDurationInRange(spans, tlContexte_->nowIn(), tlContexte_->nowOut());
    return ZEVSpaceController::durationStringForDuration(somme).toStdString();
}

// ---------------------------------------------------------------------------------------------
// Cells

QString ZEVRowsClass::titreAffiche(KELI* item) { return QString::fromStdString(itemTitleForItem(item).value_or("")); }

int ZEVRowsClass::frontMode()
{
    ZEVFrontViewerServices* f = space_.frontViewer();
    return f ? f->frontMode() : ZEVFrontModeIcons;
}

bool ZEVRowsClass::siSelectionneEnMode(KELI* item, int mode) { return ZEVSiSelectedInFrontMode(space_, item, mode); }

QVariant ZEVRowsClass::objectValue(ZEVTableView& table, const QString& col, int row, int role)
{
    const ZEVTableElement* e = table.element(row);
    KELI* item = e ? e->item : nullptr;
    if (!item)
        return {};
    const KELSharedResources& r = space_.host().sharedResources();
    ZEVSelections& s = space_.selections();
    auto montre = [this](KELI* o) {
        ZEVDeskViewer* desk = space_.deskViewerForCurseur(actif());
        ZEVItemViewForDesks* v = desk ? desk->itemViewForItem(o) : nullptr;
        return v && !v->isHidden();
    };
    if (std::optional<QVariant> mark = ZEVSelectionMark(col, {item}, role, s, r, montre))
        return *mark;
    if (col == QLatin1String("itemIcon"))
        return role == Qt::DecorationRole
                   ? QVariant(iconForFileType(iconTypeForItem(item, QString::fromStdString(itemTypeForItem(item).value_or("")),
                                                              QString::fromStdString(itemIconForItem(item).value_or("")))))
                   : QVariant();
    if (col != QLatin1String("item"))
        return {};
    const bool siCanal = item->channelInt() == currentChannelInt_;
    const std::optional<ZEVRowStatus> statut = ZEVRowStatusForOptions(itemOptions(item));
    switch (role) {
    case Qt::DisplayRole: {
        const QString titre = titreAffiche(item);
        return statut ? statut->format.arg(titre) : titre;
    }
    case Qt::FontRole: {
        if (!siCanal)
            return otherChannelFont_;
        QFont f = QGuiApplication::font();
        f.setPointSize(kPoliceTitre);
        f.setBold(isItemActif(item));
        return f;
    }
    case Qt::ForegroundRole:
        return ZEVTitleColor(statut ? std::optional(statut->color) : std::nullopt,
                             s.isTitleSelectedForItem(item) && frontMode() == ZEVFrontModeTitles, !siCanal, r);
    default:
        return {};
    }
}

std::vector<KELI*> ZEVRowsClass::legosForRow(ZEVTableView& table, int row)
{
    const ZEVTableElement* e = table.element(row);
    return e ? legosForItem(e->item, tlContexte_) : std::vector<KELI*>();
}

bool ZEVRowsClass::isTitleRowSelectedForItem(ZEVTableView&, const ZEVTableElement& e)
{
    return e.item && space_.selections().isTitleSelectedForItem(e.item);
}

bool ZEVRowsClass::isIconRowSelectedForItem(ZEVTableView&, const ZEVTableElement& e)
{
    return e.item && space_.selections().isIconSelectedForItem(e.item);
}

bool ZEVRowsClass::isItemActif(ZEVTableView&, const ZEVTableElement& e, KELICurseur* curseur)
{
    const std::vector<KELI*>* l = viewerRelation_ && e.item && curseur ? viewerRelation_->liensDeLEnfant(e.item, curseur) : nullptr;
    return l && !l->empty();
}

bool ZEVRowsClass::siFilteredItem(const ZEVTableElement& e, ZEVTableView&)
{
    ZEVDeskViewer* desk = space_.deskViewerForCurseur(actif());
    return desk && e.item && desk->siFilteredItem(e.item);
}

QMenu* ZEVRowsClass::updateRowMenu(QMenu* menu, ZEVTableView&, const ZEVTableElement& e)
{
    setRightMenuItem(e.item);
    return menu;
}

// ---------------------------------------------------------------------------------------------
// Selection from the table to the desk

std::vector<int> ZEVRowsClass::selectionIndexesForProposedSelection(ZEVTableView& table, const std::vector<int>& proposed,
                                                                    const std::vector<int>& avant,
                                                                    Qt::KeyboardModifiers mods)
{
    if (siAccepteMajSelectedRows() || siNotifie_)
        return proposed;
    std::vector<KELI*> s;
    for (int r : proposed)
        if (const ZEVTableElement* e = table.element(r); e && e->item)
            s.push_back(e->item);
    std::vector<KELI*> m;
    if (mods & Qt::ControlModifier)
        for (int r : avant)
            if (std::find(proposed.begin(), proposed.end(), r) == proposed.end())
                if (const ZEVTableElement* e = table.element(r); e && e->item)
                    m.push_back(e->item);
    const std::vector<KELI*>* minus = (mods & Qt::ControlModifier) ? &m : nullptr;
    ZEVFrontViewerServices* front = space_.frontViewer();
    if (front)
        front->setSiAvoidGraphicalLarsen(true);
    ZEVSelectInFrontMode(space_.selections(), table.currentFrontMode(), s, minus);
    if (proposed.empty() && avant.empty() && front)
        front->setSiAvoidGraphicalLarsen(false);
    if (ZEVDeskViewer* desk = space_.deskViewerForCurseur(actif()))
        if (desk->deskView())
            desk->deskView()->update();
    return proposed;
}

void ZEVRowsClass::tableViewSelectionDidChange(ZEVTableView& table)
{
    if (siNotifie_)
        return;
    if (!siAccepteMajSelectedRows()) {
        const ZEVTableElement* e = table.element(table.monoSelectedRow());
        ZEVDeskViewer* desk = space_.deskViewerForCurseur(actif());
        if (ZEVItemViewForDesks* v = e && desk ? desk->itemViewForItem(e->item) : nullptr)
            v->orderToFront();
        if (ZEVFrontViewerServices* front = space_.frontViewer())
            front->setSiAvoidGraphicalLarsen(false);
    }
    releaseAllFoundedItems();
}

void ZEVRowsClass::setSiAccepteMajSelectedRows(bool accepte, ZEVTableView& table)
{
    if (!accepte) {
        // The panel whose table takes the keyboard is drawn over every other panel.
        if (QWidget* panel = table.parentWidget())
            panel->raise();
    } else if (ZEVFrontViewerServices* front = space_.frontViewer()) {
        front->setSiAvoidGraphicalLarsen(false);
    }
    ZEVInspectClass::setSiAccepteMajSelectedRows(accepte);
}

// ---------------------------------------------------------------------------------------------
// Selection from the desk to the table

void ZEVRowsClass::retainSelectionForItem(KELI* item, KELId channelInt)
{
    Listes& l = listesDe(channelInt);
    l.now.ajouter(item, ZEVRowReason::Retenu);
    l.search.ajouter(item, ZEVRowReason::Retenu);
    l.selected.insert(item);
    retenus_[item].push_back(channelInt);
}

void ZEVRowsClass::releaseAllSelections()
{
    for (auto& [item, channels] : retenus_)
        for (KELId c : channels) {
            auto it = listes_.find(c);
            if (it == listes_.end())
                continue;
            it->second.now.enlever(item, ZEVRowReason::Retenu);
            it->second.search.enlever(item, ZEVRowReason::Retenu);
            it->second.selected.erase(item);
        }
    retenus_.clear();
    selectedItemSet_.clear();
}

void ZEVRowsClass::releaseAllFoundedItems()
{
    if (!siReleaseFoundedSet_ || trouves_.empty())
        return;
    auto it = listes_.find(trouvesChannel_);
    if (it != listes_.end())
        for (KELI* item : trouves_) {
            it->second.now.enlever(item, ZEVRowReason::Trouve);
            it->second.search.enlever(item, ZEVRowReason::Trouve);
        }
    trouves_.clear();
    // Rows may have gone with them: the panel is refreshed as after the engine's changes.
    moteurChange();
}

std::vector<int> ZEVRowsClass::rowsSelectionnees(int mode) const
{
    std::vector<int> rows;
    int i = 0;
    auto* self = const_cast<ZEVRowsClass*>(this);
    for (KELI* item : actifListe().items()) {
        if (self->siSelectionneEnMode(item, mode))
            rows.push_back(i);
        ++i;
    }
    return rows;
}

void ZEVRowsClass::selectionnerRows(ZEVTableView& table, const std::vector<int>& rows)
{
    QItemSelectionModel* sm = table.selectionModel();
    if (!sm || !table.tableModel())
        return;
    const int cols = std::max(1, table.tableModel()->columnCount());
    QItemSelection sel;
    for (int r : rows)
        if (r >= 0 && r < table.numberOfRows())
            sel.select(table.tableModel()->index(r, 0), table.tableModel()->index(r, cols - 1));
    const bool avant = siAccepteMajSelectedRows();
    ZEVInspectClass::setSiAccepteMajSelectedRows(true);
    sm->select(sel, QItemSelectionModel::ClearAndSelect);
    ZEVInspectClass::setSiAccepteMajSelectedRows(avant);
}

void ZEVRowsClass::majIndexOfSelectedRowsForTableView(ZEVTableView& table)
{
    releaseAllSelections();
    const int mode = table.currentFrontMode();
    const bool siMemeMode = frontMode() == mode;
    quint64 n = 0;
    for (const KELId c : channelsListes()) {
        const Listes& l = listes_[c];
        for (const ZEVRowList* liste : {&l.now, &l.search})
            for (KELI* item : liste->items())
                if (siSelectionneEnMode(item, mode) && selectedItemSet_.insert(item).second)
                    ++n;
    }
    if (siMemeMode)
        setNbOfSelectedRows(n);
    for (KELI* item : selectedItemSet_)
        for (const KELId c : channelsListes())
            retainSelectionForItem(item, c);
    if (siAccepteMajSelectedRows())
        selectionnerRows(table, rowsSelectionnees(mode));
}

void ZEVRowsClass::majIndexOfSelectedRows()
{
    if (!table_)
        return;
    const bool avant = siAccepteMajSelectedRows();
    ZEVInspectClass::setSiAccepteMajSelectedRows(true);
    table_->setElements(&actifListe().elements());
    majIndexOfSelectedRowsForTableView(*table_);
    table_->setElements(&actifListe().elements());
    table_->reloadData();
    selectionnerRows(*table_, rowsSelectionnees(table_->currentFrontMode()));
    ZEVInspectClass::setSiAccepteMajSelectedRows(avant);
}

void ZEVRowsClass::refreshIndexOfSelectedRowsForTableView(ZEVTableView& table)
{
    const int mode = table.currentFrontMode();
    const std::vector<int> rows = rowsSelectionnees(mode);
    if (frontMode() == mode)
        setNbOfSelectedRows(rows.size());
    selectionnerRows(table, rows);
}

void ZEVRowsClass::reloadItems()
{
    if (!table_)
        return;
    const bool avant = siAccepteMajSelectedRows();
    ZEVInspectClass::setSiAccepteMajSelectedRows(true);
    table_->setElements(&actifListe().elements());
    table_->reloadData();
    // The reload emptied the table's selection; selecting the same rows again is no new choice,
    // and keeps the found Objects.
    const bool liberer = siReleaseFoundedSet_;
    siReleaseFoundedSet_ = false;
    selectionnerRows(*table_, rowsSelectionnees(table_->currentFrontMode()));
    siReleaseFoundedSet_ = liberer;
    ZEVInspectClass::setSiAccepteMajSelectedRows(avant);
}

void ZEVRowsClass::tvFrontModeDidChange()
{
    const bool avant = siReleaseFoundedSet_;
    siReleaseFoundedSet_ = true;
    releaseAllFoundedItems();
    siReleaseFoundedSet_ = avant;
    reloadItems();
}

// ---------------------------------------------------------------------------------------------
// Type-select and the holder finds

std::vector<KELI*> ZEVRowsClass::candidatsDesRecherches()
{
    KELI* identity = space_.channelForIdentityInt(currentChannelInt_);
    const std::vector<KELI*>* enfants =
        viewerRelation_ && identity && tlContexte_ ? viewerRelation_->enfantsDuParent(identity, tlContexte_) : nullptr;
    std::vector<KELI*> out;
    if (!enfants)
        return out;
    std::unordered_set<KELI*> vus;
    for (KELI* e : *enfants)
        if (e && vus.insert(e).second)
            out.push_back(e);
    return out;
}

void ZEVRowsClass::selectItemsWithString(ZEVTableView&, const QString& text, int operation)
{
    std::vector<KELI*> found;
    for (KELI* item : candidatsDesRecherches()) {
        const std::vector<KELI*>* titres = itemTitleRelation_ ? itemTitleRelation_->liensDuParent(item, tlCurseur_) : nullptr;
        if (!titres)
            continue;
        for (KELI* t : *titres) {
            KELI* mot = t ? t->enfant(tlCurseur_) : nullptr;
            const KELValue v = mot ? mot->base() : KELValue{};
            const auto* s = std::get_if<std::string>(&v);
            if (s && QString::fromStdString(*s).contains(text, Qt::CaseInsensitive)) {
                found.push_back(item);
                break;
            }
        }
    }
    selectItemSet(found, operation);
    space_.addToHistory();
}

void ZEVRowsClass::selectHeldWith(int operation, bool (*test)(std::uint64_t))
{
    std::vector<KELI*> found;
    for (KELI* item : candidatsDesRecherches())
        if (test(itemOptions(item)))
            found.push_back(item);
    selectItemSet(found, operation);
}

int ZEVRowsClass::operationForModifiers(Qt::KeyboardModifiers mods)
{
    if (!(mods & Qt::ControlModifier))
        return Remplacer;
    if (mods & Qt::ShiftModifier)
        return Retirer;
    return (mods & Qt::AltModifier) ? Intersecter : Ajouter;
}

std::optional<std::vector<KELI*>> ZEVRowsClass::itemsForIconMode()
{
    const ZEVRowList& l = actifListe();
    return ZEVItemsForIconMode(space_, [&l](KELI* o) { return l.contient(o); });
}

std::optional<std::vector<KELI*>> ZEVRowsClass::itemsForFrontMode()
{
    const ZEVRowList& l = actifListe();
    return ZEVItemsForFrontMode(space_, frontMode(), [&l](KELI* o) { return l.contient(o); });
}

std::optional<std::vector<KELI*>> ZEVRowsClass::moveToItemsForFrontMode()
{
    return ZEVItemsForOperation(itemsForFrontMode(), ZEVFileOperation::MoveTo);
}
std::optional<std::vector<KELI*>> ZEVRowsClass::moveToSpaceItemsForFrontMode()
{
    return ZEVItemsForOperation(itemsForFrontMode(), ZEVFileOperation::MoveToSpace);
}
std::optional<std::vector<KELI*>> ZEVRowsClass::copyToItemsForFrontMode()
{
    return ZEVItemsForOperation(itemsForFrontMode(), ZEVFileOperation::CopyTo);
}
std::optional<std::vector<KELI*>> ZEVRowsClass::copyToSpaceItemsForFrontMode()
{
    return ZEVItemsForOperation(itemsForFrontMode(), ZEVFileOperation::CopyToSpace);
}
std::optional<std::vector<KELI*>> ZEVRowsClass::duplicateToItemsForFrontMode()
{
    return ZEVItemsForOperation(itemsForFrontMode(), ZEVFileOperation::DuplicateTo);
}

void ZEVRowsClass::selectZevHeldItemsWithOperation(int operation)
{
    selectHeldWith(operation, [](std::uint64_t o) { return (o & ZEVOPTION_HOLD_BY_ZEV) != 0; });
}

void ZEVRowsClass::selectMacHeldItemsWithOperation(int operation)
{
    selectHeldWith(operation, [](std::uint64_t o) { return (o & 0x20220) == 0; });
}

void ZEVRowsClass::selectExtHeldItemsWithOperation(int operation)
{
    selectHeldWith(operation, [](std::uint64_t o) { return (o & 0x200) != 0; });
}

void ZEVRowsClass::selectItemSet(const std::vector<KELI*>& found, int operation)
{
    const std::unordered_set<KELI*> copie = trouves_;
    ZEVSelectInFrontMode(space_.selections(), frontMode(), found, operation);
    siReleaseFoundedSet_ = true;
    releaseAllFoundedItems();
    const std::unordered_set<KELI*> f(found.begin(), found.end());
    std::unordered_set<KELI*> nouveau;
    switch (operation) {
    case Intersecter:
        for (KELI* o : copie)
            if (f.count(o))
                nouveau.insert(o);
        break;
    case Ajouter:
        nouveau = copie;
        nouveau.insert(f.begin(), f.end());
        break;
    case Retirer:
        for (KELI* o : copie)
            if (!f.count(o))
                nouveau.insert(o);
        break;
    default:
        nouveau = f;
        break;
    }
    trouves_ = nouveau;
    trouvesChannel_ = currentChannelInt_;
    Listes& l = listesDe(currentChannelInt_);
    for (KELI* o : trouves_) {
        l.now.ajouter(o, ZEVRowReason::Trouve);
        l.search.ajouter(o, ZEVRowReason::Trouve);
    }
    ZEVDeskViewer* desk = space_.deskViewerForCurseur(actif());
    for (KELI* o : found)
        if (ZEVItemViewForDesks* v = desk ? desk->itemViewForItem(o) : nullptr)
            v->orderToFront();
    if (table_) {
        table_->setElements(&actifListe().elements());
        table_->reloadData();
        std::vector<int> rows;
        int i = 0;
        for (KELI* item : actifListe().items()) {
            if (trouves_.count(item))
                rows.push_back(i);
            ++i;
        }
        siReleaseFoundedSet_ = false;
        selectionnerRows(*table_, rows);
        siReleaseFoundedSet_ = true;
        refreshIndexOfSelectedRowsForTableView(*table_);
    }
    majActionButtons();
    majInspectField();
}

void ZEVRowsClass::tableViewSearchingDidFinish(ZEVTableView&) { searchingDidFinish(); }

// ---------------------------------------------------------------------------------------------
// The kind's panel controller

void ZEVRowsClass::referencerPanneau(ZEVInspectViewer* panneau, double rebuildDelay, bool suitLesBoutons)
{
    panneau_ = panneau;
    rebuildDelay_ = rebuildDelay;
    suitLesBoutons_ = suitLesBoutons;
}

void ZEVRowsClass::moteurChange()
{
    if (panneau_)
        panneau_->moteurChangeRows(rebuildDelay_);
}

void ZEVRowsClass::majInspectField()
{
    if (panneau_)
        panneau_->majInspectField();
}

bool ZEVRowsClass::siPanneauMontre() const { return panneau_ && panneau_->siShowInspectView(); }

void ZEVRowsClass::setNbOfSelectedRows(quint64 n)
{
    if (panneau_)
        panneau_->setNbOfSelectedRows(n);
}

void ZEVRowsClass::searchingDidFinish()
{
    if (panneau_)
        panneau_->searchingDidFinish();
}

void ZEVRowsClass::majActionButtons()
{
    if (panneau_ && suitLesBoutons_)
        panneau_->majActionButtons();
}

// ---------------------------------------------------------------------------------------------
// Drops and the clipboard, through the kind's drag

void ZEVRowsClass::paste(ZEVTableView& table)
{
    if (tableDrag_)
        tableDrag_->paste(table);
}

void ZEVRowsClass::copy(ZEVTableView& table)
{
    if (tableDrag_)
        tableDrag_->copy(table);
}

void ZEVRowsClass::cut(ZEVTableView& table)
{
    if (tableDrag_)
        tableDrag_->cut(table);
}

bool ZEVRowsClass::siDropedItem(const ZEVTableElement& item, ZEVTableView&)
{
    return tableDrag_ && tableDrag_->siDropedItem(item.item);
}

Qt::DropAction ZEVRowsClass::draggingEntered(QDropEvent* info, ZEVTableView& table)
{
    return tableDrag_ ? tableDrag_->draggingEntered(info, table) : Qt::IgnoreAction;
}

Qt::DropAction ZEVRowsClass::draggingUpdated(QDropEvent* info, ZEVTableView& table)
{
    return tableDrag_ ? tableDrag_->draggingUpdated(info, table) : Qt::IgnoreAction;
}

void ZEVRowsClass::draggingExited(ZEVTableView& table)
{
    if (tableDrag_)
        tableDrag_->draggingExited(table);
}

bool ZEVRowsClass::performDragOperation(QDropEvent* info, ZEVTableView& table)
{
    return tableDrag_ && tableDrag_->performDragOperation(info, table);
}

// ---------------------------------------------------------------------------------------------
// Row commands

void ZEVRowsClass::toggleRowInSelection(const ZEVModeSelection& m, bool redraw)
{
    KELI* item = rightMenuItem();
    if (!item)
        return;
    m.toggle(space_.selections(), item);
    if (redraw)
        if (ZEVDeskViewer* desk = space_.deskViewerForCurseur(actif()); desk && desk->deskView())
            desk->deskView()->update();
}

void ZEVRowsClass::selectIconInTableView(ZEVTableView&) { toggleRowInSelection(kIconSelection, false); }
void ZEVRowsClass::selectTitleInTableView(ZEVTableView&) { toggleRowInSelection(kTitleSelection, false); }
void ZEVRowsClass::selectNodeInTableView(ZEVTableView&) { toggleRowInSelection(kNodeSelection, true); }
void ZEVRowsClass::selectFilterInTableView(ZEVTableView&) { toggleRowInSelection(kFilterSelection, true); }

namespace {
// The Objects a row's link command joins the row's Object with, by the front mode.
std::vector<KELI*> autresBouts(ZEVSpaceController& space, KELI* item, int mode, bool siLier)
{
    ZEVSelections& s = space.selections();
    switch (mode) {
    case ZEVFrontModeIcons:
        return s.selectedIconItems();
    case ZEVFrontModeTitles:
        return s.selectedTitleItems();
    case ZEVFrontModeLinks:
        return s.selectedNodeItemSet();
    case ZEVFrontModeFilters: {
        if (siLier && space.draggingItem())
            return {space.draggingItem()};
        const std::vector<KELI*>& filtres = s.selectedFilterItems();
        if (!filtres.empty() && !s.isFilterSelectedForItem(item))
            return filtres;
        if (siLier && s.isIconSelectedForItem(item))
            return {};
        return s.selectedIconItems();
    }
    default:
        return {};
    }
}
} // namespace

void ZEVRowsClass::lierLaSelection(bool siLier)
{
    KELI* item = rightMenuItem();
    ZEVItemViewer* viewer = space_.itemViewerForCurseur(actif());
    if (!item || !viewer)
        return;
    std::vector<KELI*> autres;
    for (KELI* autre : autresBouts(space_, item, frontMode(), siLier))
        if (autre && autre != item)
            autres.push_back(autre);
    // Every Link made or ended, or none: a full disk that stopped the command part way would leave
    // the row's Object joined with some of the chosen Objects and not the others.
    const KELServeurDeLiens::Acte acte(siLier ? autres.size() : 0);
    if (!acte.complet())
        return;
    for (KELI* autre : autres) {
        if (siLier)
            viewer->userRecallLinkWithItem(item, autre);
        else
            viewer->userReleaseLinkWithItem(item, autre);
    }
}

void ZEVRowsClass::linkSelectionInTableView(ZEVTableView&) { lierLaSelection(true); }

void ZEVRowsClass::unlinkSelectionInTableView(ZEVTableView&) { lierLaSelection(false); }

} // namespace tallomer
