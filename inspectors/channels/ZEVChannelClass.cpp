#include "inspectors/channels/ZEVChannelClass.h"

#include "desk/pasteboard/ZEVPasteboard.h"
#include "desk/viewer/ZEVDeskViewer.h"
#include "engine/KELICurseur.h"
#include "engine/KELLien.h"
#include "engine/KELModels.h"
#include "engine/KELServeurDeLiens.h"
#include "inspectors/table/ZEVTableModel.h"
#include "inspectors/table/ZEVTableView.h"
#include "platform/MenuText.h"
#include "platform/sound/Sound.h"
#include "runtime/Log.h"
#include "services/ZEVFrontViewerServices.h"
#include "space/ZEVBackObject.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSpaceClass.h"
#include "space/ZEVSpaceController.h"

#include <QClipboard>
#include <QFont>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QMenu>
#include <QRandomGenerator>

#include <algorithm>

namespace tallomer {

namespace {

KELIElemRelation* relationDe(KELId id, KELICurseur* c)
{
    return c ? dynamic_cast<KELIElemRelation*>(KELServeurDeLiens::LienForInt(id, c)) : nullptr;
}

// In-date order; equal in-dates by id, so that the order never depends on arrival.
bool avantEnDate(const KELI* a, const KELI* b)
{
    return a->inDate() < b->inDate() || (a->inDate() == b->inDate() && a->idInt() < b->idInt());
}

// The object woken for that cursor: its links are read there only once it is.
KELI* aCurseur(KELI* o, KELICc* c) { return o && c ? KELServeurDeLiens::LienForInt(o->idInt(), c) : nullptr; }

void insererEnDate(std::vector<KELI*>& l, KELI* lien)
{
    if (std::find(l.begin(), l.end(), lien) != l.end())
        return;
    l.push_back(lien);
}

std::vector<KELI*> enDate(std::vector<KELI*> l)
{
    std::sort(l.begin(), l.end(), avantEnDate);
    return l;
}

constexpr KELId kNowItemTag = 2000009;
constexpr int kPoliceSelection = 17;
constexpr int kPolice = 14;

} // namespace

ZEVChannelClass::ZEVChannelClass(ZEVChannelClassOwner* owner, ZEVSpaceController& space)
    : ZEVInspectClass(space), owner_(owner), nowCurseur_(space.nowCurseur()), tlCurseur_(space.tlCurseur()),
      tlContexte_(space.tlContexte())
{
    actifCurseur_ = space.actifCurseur();
    ZEVInspectClass::setSiAccepteMajSelectedRows(true);
    channelViewerRelation_ = relationDe(KELRELATION_CHANNEL_VIEWER, tlCurseur_);
    identityNameRelation_ = relationDe(KELRELATION_IDENTITY_NAME, tlCurseur_);
    backItemRelation_ = relationDe(KELRELATION_IDENTITY_BACK_ITEM, tlCurseur_);
    backScaleRelation_ = relationDe(KELRELATION_IDENTITY_BACK_SCALE, tlCurseur_);
    backColorRelation_ = relationDe(KELRELATION_IDENTITY_BACK_COLOR, tlCurseur_);
    itemTitleRelation_ = relationDe(KELRELATION_ITEM_TITLE, tlCurseur_);
    // Woken in the timeline's window, so that its moves bring the links in and out.
    if (tlContexte_)
        for (KELId r : {KELRELATION_CHANNEL_VIEWER, KELRELATION_IDENTITY_BACK_ITEM, KELRELATION_IDENTITY_BACK_COLOR,
                        KELRELATION_IDENTITY_BACK_SCALE})
            KELServeurDeLiens::LienForInt(r, tlContexte_);
    rows_.reserve(1000);
}

ZEVChannelClass::~ZEVChannelClass()
{
    router_.toutRetirer();
    finObservations();
}

KELICurseur* ZEVChannelClass::actif() const { return actifCurseur_ ? actifCurseur_ : space_.actifCurseur(); }

// ---------------------------------------------------------------------------------------------
// The rows

void ZEVChannelClass::initialiser()
{
    currentChannelInt_ = space_.currentChannelInt();
    compte_.vider();
    liens_.clear();
    backItems_.clear();
    backColors_.clear();
    backScales_.clear();
    if (tlContexte_) {
        tlContexte_->placeToi();
        if (channelViewerRelation_)
            for (KELI* lien : channelViewerRelation_->liens(tlContexte_))
                if (KELI* canal = lien ? lien->enfant(tlContexte_) : nullptr) {
                    liens_.push_back(lien);
                    compte_.ajouter(canal, ZEVRowReason::Lego);
                }
        liens_ = enDate(liens_);
        if (backItemRelation_)
            backItems_ = enDate(backItemRelation_->liens(tlContexte_));
        if (backColorRelation_)
            backColors_ = enDate(backColorRelation_->liens(tlContexte_));
        if (backScaleRelation_)
            backScales_ = enDate(backScaleRelation_->liens(tlContexte_));
    }
    // The Space's current Channel is the selected one from the start, listed by its own count.
    selected_ = space_.channelForIdentityInt(currentChannelInt_);
    if (selected_)
        compte_.ajouter(selected_, ZEVRowReason::Retenu);
    rebuildRows();
}

void ZEVChannelClass::enclencherMaj()
{
    router_.enregistrer(KELRELATION_CHANNEL_VIEWER, tlContexte_,
                        [this](KELI* lien, KELICc*, bool activation) { lister(lien, activation); });
    for (KELId r : {KELRELATION_IDENTITY_BACK_ITEM, KELRELATION_IDENTITY_BACK_COLOR, KELRELATION_IDENTITY_BACK_SCALE})
        router_.enregistrer(r, tlContexte_,
                            [this](KELI* lien, KELICc*, bool activation) { background(lien, activation); });
}

void ZEVChannelClass::lister(KELI* lien, bool activation)
{
    if (!lien)
        return;
    KELI* canal = activation ? lien->enfant(tlContexte_) : KELServeurDeLiens::LienForInt(lien->enfantInt(), nullptr);
    if (!canal)
        return;
    bool change = false;
    if (activation) {
        insererEnDate(liens_, lien);
        liens_ = enDate(std::move(liens_));
        change = compte_.ajouter(canal, ZEVRowReason::Lego);
    } else {
        liens_.erase(std::remove(liens_.begin(), liens_.end(), lien), liens_.end());
        change = compte_.enlever(canal, ZEVRowReason::Lego);
    }
    if (change)
        rebuildRows();
    else
        selectRowQuietly(selected_);
    if (owner_)
        owner_->moteurChangeChannel();
}

void ZEVChannelClass::background(KELI* lien, bool activation)
{
    if (!lien)
        return;
    std::vector<KELI*>* l = nullptr;
    switch (lien->relationInt()) {
    case KELRELATION_IDENTITY_BACK_ITEM:
        l = &backItems_;
        break;
    case KELRELATION_IDENTITY_BACK_COLOR:
        l = &backColors_;
        break;
    case KELRELATION_IDENTITY_BACK_SCALE:
        l = &backScales_;
        break;
    default:
        return;
    }
    if (activation) {
        insererEnDate(*l, lien);
        *l = enDate(std::move(*l));
    } else {
        l->erase(std::remove(l->begin(), l->end(), lien), l->end());
    }
    // Positions into a list that changed mean nothing any more.
    backItemsIndex_ = backColorsIndex_ = backScalesIndex_ = 0;
    nbBackItems_ = std::min(nbBackItems_, backItems_.size());
    nbBackColors_ = std::min(nbBackColors_, backColors_.size());
    nbBackScales_ = std::min(nbBackScales_, backScales_.size());
}

void ZEVChannelClass::rebuildRows()
{
    rows_ = compte_.itemsVector();
    std::sort(rows_.begin(), rows_.end(), [](const KELI* a, const KELI* b) { return a->idInt() < b->idInt(); });
    elements_.clear();
    elements_.reserve(rows_.size());
    for (KELI* c : rows_)
        elements_.push_back(ZEVTableElement{c, nullptr});
    if (table_) {
        table_->setElements(&elements_);
        table_->reloadData();
    }
    selectRowQuietly(selected_);
}

KELI* ZEVChannelClass::channelForRow(int row) const
{
    return row >= 0 && std::size_t(row) < rows_.size() ? rows_[std::size_t(row)] : nullptr;
}

int ZEVChannelClass::rowOfChannel(const KELI* channel) const
{
    const auto it = std::find(rows_.begin(), rows_.end(), channel);
    return channel && it != rows_.end() ? int(it - rows_.begin()) : -1;
}

void ZEVChannelClass::selectRowQuietly(KELI* channel)
{
    if (!table_ || !table_->selectionModel() || !table_->tableModel())
        return;
    const int row = rowOfChannel(channel);
    const bool avant = siAccepteMajSelectedRows();
    ZEVInspectClass::setSiAccepteMajSelectedRows(false);
    if (row < 0) {
        table_->selectionModel()->clearSelection();
    } else {
        const QModelIndex i = table_->tableModel()->index(row, 0);
        table_->selectionModel()->select(i, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        table_->scrollTo(i);
    }
    ZEVInspectClass::setSiAccepteMajSelectedRows(avant);
}

void ZEVChannelClass::referencerInspectTableView(ZEVTableView* table)
{
    table_ = table;
    if (!table_)
        return;
    table_->setAcceptDrops(true);
    table_->setElements(&elements_);
    table_->reloadData();
}

void ZEVChannelClass::initSelectedChannel()
{
    KELI* courant = space_.spaceClass() ? space_.spaceClass()->identity() : nullptr;
    setSelectedChannel(courant ? courant : selected_);
}

void ZEVChannelClass::actifCurseurDidChangeForCurseur(KELICurseur* curseur)
{
    actifCurseur_ = curseur;
    if (table_)
        table_->viewport()->update();
}

void ZEVChannelClass::channelDidChangeWithIdentityInt(KELId identityInt)
{
    ZEVInspectClass::channelDidChangeWithIdentityInt(identityInt);
    KELI* canal = identityInt ? space_.channelForIdentityInt(identityInt) : nullptr;
    if (!canal || canal == selected_)
        return;
    lacherSelected();
    selected_ = canal;
    if (compte_.ajouter(canal, ZEVRowReason::Retenu))
        rebuildRows();
    else
        selectRowQuietly(canal);
}

void ZEVChannelClass::lacherSelected()
{
    if (selected_ && compte_.enlever(selected_, ZEVRowReason::Retenu)) {
        KELI* parti = selected_;
        selected_ = nullptr;
        rebuildRows();
        selected_ = parti;
    }
}

// ---------------------------------------------------------------------------------------------
// Selecting

void ZEVChannelClass::setSelectedChannel(KELI* c)
{
    if (!c)
        return;
    if (selected_ && c != selected_) {
        int r = -1;
        if (table_ && table_->selectionModel()) {
            const QModelIndexList l = table_->selectionModel()->selectedRows();
            r = l.isEmpty() ? -1 : l.first().row();
        }
        const int i = rowOfChannel(selected_);
        lacherSelected();
        if (table_) {
            ZEVFrontViewerServices* front = space_.frontViewer();
            if (i < r) {
                if (owner_)
                    owner_->selectionDown(c->idInt());
                if (front)
                    front->selectionDown(c->idInt());
            } else if (i > r) {
                if (owner_)
                    owner_->selectionUp(c->idInt());
                if (front)
                    front->selectionUp(c->idInt());
            }
        }
        selected_ = c;
        if (compte_.ajouter(c, ZEVRowReason::Retenu))
            rebuildRows();
        else
            selectRowQuietly(c);
        space_.updateChannelWithIdentityInt(c->idInt());
        return;
    }
    if (c == selected_) {
        selectRowQuietly(c);
        return;
    }
    // The first selection, at start: the window already shows the Channel.
    selected_ = c;
    if (compte_.ajouter(c, ZEVRowReason::Retenu))
        rebuildRows();
    else
        selectRowQuietly(c);
}

bool ZEVChannelClass::selectChannel(KELI* channel)
{
    setSelectedChannel(channel);
    return true;
}

void ZEVChannelClass::selectChannelInt(KELId channelInt)
{
    if (KELI* channel = channelInt ? KELServeurDeLiens::LienForInt(channelInt, tlCurseur_) : nullptr)
        selectChannel(channel);
}

KELI* ZEVChannelClass::currentChannel()
{
    if (!table_ || !table_->selectionModel())
        return selected_;
    const QModelIndexList l = table_->selectionModel()->selectedRows();
    return l.size() == 1 ? channelForRow(l.first().row()) : nullptr;
}

// ---------------------------------------------------------------------------------------------
// Names and backgrounds

std::optional<std::string> ZEVChannelClass::motAuCurseur(KELIElemRelation* rel, KELI* objet, KELICc* lienAt,
                                                         KELICc* motAt)
{
    if (!rel || !objet || !lienAt || !motAt)
        return std::nullopt;
    reveiller(rel, lienAt);
    objet = aCurseur(objet, lienAt);
    const std::vector<KELI*>* liens = objet ? rel->liensDuParent(objet, lienAt) : nullptr;
    if (!liens || liens->empty())
        return std::nullopt;
    KELI* mot = liens->front()->enfant(motAt);
    const KELValue v = mot ? mot->base() : KELValue{};
    const auto* s = std::get_if<std::string>(&v);
    return s ? std::optional<std::string>(*s) : std::nullopt;
}

std::optional<std::string> ZEVChannelClass::nameOfCurrentChannel()
{
    KELI* canal = currentChannel();
    if (!canal)
        return std::string();
    return motAuCurseur(identityNameRelation_, canal, actif(), nowCurseur_);
}

std::string ZEVChannelClass::nameOfChannel(KELI* channel)
{
    return motAuCurseur(identityNameRelation_, channel, actif(), nowCurseur_).value_or(std::string());
}

std::string ZEVChannelClass::nameOfChannelForRow(int row) { return nameOfChannel(channelForRow(row)); }

std::string ZEVChannelClass::nameOfChannelInt(KELId channelInt)
{
    return nameOfChannel(channelInt ? KELServeurDeLiens::LienForInt(channelInt, tlCurseur_) : nullptr);
}

bool ZEVChannelClass::siChannelActif(KELI* channel, KELICurseur* curseur)
{
    reveiller(channelViewerRelation_, curseur);
    channel = aCurseur(channel, curseur);
    const std::vector<KELI*>* l = channelViewerRelation_ && channel && curseur
                                      ? channelViewerRelation_->liensDeLEnfant(channel, curseur)
                                      : nullptr;
    return l && !l->empty();
}

void ZEVChannelClass::reveiller(KELIElemRelation* rel, KELICc* curseur)
{
    // A relation lists its links at a cursor once it was read there.
    if (rel && curseur && reveilles_.insert({rel, curseur}).second)
        rel->liens(curseur);
}

namespace {
KELI* enfantDuPremier(KELIElemRelation* rel, KELI* channel, KELICurseur* curseur)
{
    channel = aCurseur(channel, curseur);
    const std::vector<KELI*>* l = rel && channel && curseur ? rel->liensDuParent(channel, curseur) : nullptr;
    return l && !l->empty() ? l->front()->enfant(curseur) : nullptr;
}
} // namespace

KELI* ZEVChannelClass::backItemForChannel(KELI* channel, KELICurseur* curseur)
{
    reveiller(backItemRelation_, curseur);
    KELI* image = enfantDuPremier(backItemRelation_, channel, curseur);
    if (image)
        image->setChannelInt(channel->idInt());
    return image;
}

KELI* ZEVChannelClass::backColorItemForChannel(KELI* channel, KELICurseur* curseur)
{
    reveiller(backColorRelation_, curseur);
    return enfantDuPremier(backColorRelation_, channel, curseur);
}

KELI* ZEVChannelClass::backScaleMotForChannel(KELI* channel, KELICurseur* curseur)
{
    reveiller(backScaleRelation_, curseur);
    return enfantDuPremier(backScaleRelation_, channel, curseur);
}

// ---------------------------------------------------------------------------------------------
// Recall and release

void ZEVChannelClass::replacer(KELICurseur* curseur)
{
    KELIContexte* c = curseur ? curseur->contexte() : nullptr;
    if (c)
        c->placeToiOut();
    if (curseur)
        curseur->placeToi();
    if (c)
        c->placeToiIn();
}

void ZEVChannelClass::recallChannel(KELI* channel)
{
    KELICurseur* x = actif();
    if (!x || !recallChannel(channel, x->now(), x))
        Sound::shared().beep();
}

bool ZEVChannelClass::recallChannel(KELI* channel, KELDate date, KELICurseur* curseur)
{
    if (!channel || !curseur || siChannelActif(channel, curseur))
        return false;
    KELDate out = KELDateOuverte;
    if (const KELId suivant = KELServeurDeLiens::FirstLienNumDeRelIntEnfantIntApresDate(KELRELATION_CHANNEL_VIEWER,
                                                                                        channel->idInt(), date))
        if (KELI* l = KELServeurDeLiens::LienForInt(suivant, curseur))
            // A forgotten link's dates lie past the open end: the new one stops there.
            out = std::min(l->inDate(), KELDateOuverte);
    KELI* root = KELServeurDeLiens::LienForInt(KELOBJECT_CHANNEL_VIEWER_ROOT, curseur);
    if (!root || !(date < out)) {
        logFormat("ZEVChannelClass recallChannel: no listing made for Channel %llu",
                  (unsigned long long)channel->idInt());
        return false;
    }
    if (!KELServeurDeLiens::CreerLienRelInt(KELRELATION_CHANNEL_VIEWER, root, channel, date, out, curseur))
        return false;
    replacer(curseur);
    return true;
}

void ZEVChannelClass::releaseChannel(KELI* channel)
{
    KELICurseur* x = actif();
    channel = aCurseur(channel, x);
    const std::vector<KELI*>* l =
        channelViewerRelation_ && channel && x ? channelViewerRelation_->liensDeLEnfant(channel, x) : nullptr;
    if (!l || l->empty())
        return;
    l->front()->placeOutDate(x->now(), x);
    replacer(x);
}

// ---------------------------------------------------------------------------------------------
// The strip's pictures

void ZEVChannelClass::willDisplay()
{
    backItemsIndex_ = backColorsIndex_ = backScalesIndex_ = 0;
    nbBackItems_ = backItems_.size();
    nbBackColors_ = backColors_.size();
    nbBackScales_ = backScales_.size();
    siPremiereDate_ = true;
}

KELI* ZEVChannelClass::scan(const std::vector<KELI*>& list, std::size_t limite, std::size_t* index, KELId channelInt,
                            KELDate date)
{
    const std::size_t n = std::min(list.size(), limite);
    while (*index < n) {
        KELI* l = list[*index];
        if (l && l->parentInt() == channelInt && l->outDate() > date)
            return l;
        ++*index;
    }
    return nullptr;
}

QImage ZEVChannelClass::imageForDate(KELDate date, KELId channelInt, QPointF* point, KELId* colorInt)
{
    QPointF p0;
    KELId c0 = 0;
    QPointF& p = point ? *point : p0;
    KELId& c = colorInt ? *colorInt : c0;
    bool present = false;
    for (KELI* l : liens_)
        if (l && l->enfantInt() == channelInt && l->inDate() < date && date < l->outDate()) {
            present = true;
            break;
        }
    if (!present) {
        p = QPointF();
        c = 0;
        return {};
    }
    // The scans only move forward: a date before the last one starts them again.
    if (!siPremiereDate_ && date < derniereDate_)
        backItemsIndex_ = backColorsIndex_ = backScalesIndex_ = 0;
    siPremiereDate_ = false;
    derniereDate_ = date;

    KELI* echelle = scan(backScales_, nbBackScales_, &backScalesIndex_, channelInt, date);
    const KELId scaleInt = echelle ? echelle->enfantInt() : KELOBJECT_SCALE_IN;
    if (KELI* couleur = scan(backColors_, nbBackColors_, &backColorsIndex_, channelInt, date))
        c = couleur->enfantInt();
    if (backItemsIndex_ >= std::min(backItems_.size(), nbBackItems_))
        return {};
    KELI* image = scan(backItems_, nbBackItems_, &backItemsIndex_, channelInt, date);
    ZEVSpaceClass* sc = space_.spaceClass();
    if (!image || !sc)
        return {};
    if (ZEVBackObject* o = sc->backObjectForItemInt(image->enfantInt(), scaleInt)) {
        if (o->channelImage().isNull()) {
            if (!o->loadChannelImage())
                observer(o, image->enfantInt(), scaleInt);
            if (o->channelImage().isNull())
                return {};
        }
        p = o->channelPoint();
        return o->channelImage();
    }
    KELICurseur* x = actif();
    KELI* objet = x ? KELServeurDeLiens::LienForInt(image->enfantInt(), x) : nullptr;
    if (!objet)
        return {};
    objet->setChannelInt(channelInt);
    KELI* mot = KELServeurDeLiens::LienForInt(scaleInt, x);
    ZEVBackObject* o = sc->backObjectForImage(objet, channelInt, space_.deskViewFrame(), mot);
    if (!o)
        return {};
    o->loadChannelImageSync();
    if (o->channelImage().isNull())
        return {};
    p = o->channelPoint();
    return o->channelImage();
}

void ZEVChannelClass::observer(ZEVBackObject* object, KELId itemInt, KELId scaleInt)
{
    for (const Observation& o : observes_)
        if (o.object == object)
            return;
    observes_.push_back({object, itemInt, scaleInt});
    object->addObserver(ZEVBackKey::ChannelImage, this, [this](ZEVBackImageLoad* o, bool) {
        // Told once: the picture is there (or will not come); the list draws again.
        auto* objet = static_cast<ZEVBackObject*>(o);
        observes_.erase(std::remove_if(observes_.begin(), observes_.end(),
                                       [objet](const Observation& x) { return x.object == objet; }),
                        observes_.end());
        objet->removeObserver(ZEVBackKey::ChannelImage, this);
        if (table_)
            table_->viewport()->update();
    });
}

void ZEVChannelClass::finObservations()
{
    // A cache that went first took its observers with it; only those still cached are told.
    ZEVSpaceClass* sc = space_.spaceClass();
    for (const Observation& o : observes_)
        if (sc && sc->backObjectForItemInt(o.itemInt, o.scaleInt) == o.object)
            o.object->removeObserver(ZEVBackKey::ChannelImage, this);
    observes_.clear();
}

// ---------------------------------------------------------------------------------------------
// The table

std::vector<KELI*> ZEVChannelClass::legosForRow(ZEVTableView&, int row)
{
    KELI* canal = channelForRow(row);
    const std::vector<KELI*>* l = channelViewerRelation_ && canal && tlContexte_
                                      ? channelViewerRelation_->liensDeLEnfant(canal, tlContexte_)
                                      : nullptr;
    return l ? *l : std::vector<KELI*>();
}

QVariant ZEVChannelClass::objectValue(ZEVTableView& table, const QString& columnId, int row, int role)
{
    KELI* canal = channelForRow(row);
    if (!canal)
        return {};
    switch (role) {
    case Qt::FontRole: {
        const bool selection = table.selectionModel() && table.selectionModel()->isRowSelected(row, QModelIndex());
        QFont f = QGuiApplication::font();
        f.setPointSize(selection ? kPoliceSelection : kPolice);
        f.setBold(selection);
        return f;
    }
    case Qt::ForegroundRole:
        return QColor(Qt::white);
    case Qt::DisplayRole:
        if (columnId == QLatin1String("identity"))
            return QString::fromStdString(motAuCurseur(identityNameRelation_, canal, actif(), actif()).value_or(""));
        return {};
    default:
        return {};
    }
}

void ZEVChannelClass::tableViewSelectionDidChange(ZEVTableView& table)
{
    if (!siAccepteMajSelectedRows() || !table.selectionModel())
        return;
    const QModelIndexList l = table.selectionModel()->selectedRows();
    if (l.size() == 1)
        setSelectedChannel(channelForRow(l.first().row()));
}

void ZEVChannelClass::tableViewSelectionIsChanging(ZEVTableView&)
{
    logLine("ZEVChannelClass tableViewSelectionIsChanging:");
}

void ZEVChannelClass::majIndexOfSelectedRowsForTableView(ZEVTableView&)
{
    logLine("ZEVChannelClass majIndexOfSelectedRowsForTableView:");
}

void ZEVChannelClass::refreshIndexOfSelectedRowsForTableView(ZEVTableView&)
{
    logLine("ZEVChannelClass refreshIndexOfSelectedRowsForTableView:");
}

void ZEVChannelClass::setSiAccepteMajSelectedRows(bool, ZEVTableView&) { logLine("setSiAccepteMajSelectedRows:"); }

void ZEVChannelClass::tableViewSearchingDidFinish(ZEVTableView&)
{
    if (owner_)
        owner_->searchingDidFinish();
}

bool ZEVChannelClass::siFilteredItem(const ZEVTableElement& item, ZEVTableView&)
{
    ZEVDeskViewer* desk = space_.deskViewerForCurseur(actif());
    return desk && item.item && desk->siFilteredItem(item.item);
}

void ZEVChannelClass::selectItemsWithString(ZEVTableView& table, const QString& text, int)
{
    // Names first: the first Channel whose name holds the text.
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const std::string nom = motAuCurseur(identityNameRelation_, rows_[i], tlCurseur_, tlCurseur_).value_or("");
        if (!QString::fromStdString(nom).contains(text, Qt::CaseInsensitive))
            continue;
        if (table.selectionModel() && table.tableModel()) {
            const QModelIndex idx = table.tableModel()->index(int(i), 0);
            table.selectionModel()->select(idx, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            table.scrollTo(idx);
        }
        space_.gotoPreviousFromLien(nullptr);
        space_.addToHistory();
        return;
    }
    // Then the titles of the Spaces begun before Now.
    const KELDate maintenant = nowCurseur_ ? nowCurseur_->now() : 0.0;
    std::vector<KELI*> trouves;
    const KELIds ids = KELServeurDeLiens::LiensNumDeLaRelInt(KELRELATION_IDENTITY_BACK_ITEM);
    for (KELId id : ids.value_or(std::vector<KELId>())) {
        KELI* lien = tlContexte_ ? KELServeurDeLiens::LienForInt(id, tlContexte_) : nullptr;
        KELI* image = lien ? lien->enfant(tlContexte_) : nullptr;
        if (!image || !(lien->inDate() < maintenant))
            continue;
        image->setChannelInt(lien->parentInt());
        const std::string titre = motAuCurseur(itemTitleRelation_, image, tlCurseur_, tlCurseur_).value_or("");
        if (QString::fromStdString(titre).contains(text, Qt::CaseInsensitive))
            trouves.push_back(lien);
    }
    if (trouves.empty()) {
        Sound::shared().beep();
    } else {
        auto parFin = [](const KELI* a, const KELI* b) { return a->compareOutDate(*b) < 0; };
        std::sort(trouves.begin(), trouves.end(), parFin);
        KELI* cible = nullptr;
        for (KELI* l : trouves)
            if (l->parentInt() == space_.currentChannelInt())
                cible = l;
        if (!cible) {
            cible = trouves.back();
            selectChannelInt(cible->parentInt());
        }
        space_.gotoPreviousFromLien(cible);
    }
    space_.addToHistory();
}

void ZEVChannelClass::openSelectionInTableView(ZEVTableView& table)
{
    const int row = rowOfChannel(rightMenuItem());
    if (row < 0 || !table.selectionModel() || !table.tableModel())
        return;
    const QModelIndex i = table.tableModel()->index(row, 0);
    table.selectionModel()->select(i, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    table.scrollTo(i);
}

void ZEVChannelClass::renameSelectionInTableView(ZEVTableView&)
{
    selectChannel(rightMenuItem());
    if (owner_)
        owner_->userChannelRename();
}

QMenu* ZEVChannelClass::updateRowMenu(QMenu* menu, ZEVTableView&, const ZEVTableElement& item)
{
    KELI* c = item.item;
    if (!menu || !c)
        return menu;
    KELICurseur* n = nowCurseur_;
    const bool present = siChannelActif(c, n);
    KELI* image = backItemForChannel(c, n);
    KELI* couleur = backColorItemForChannel(c, n);
    KELI* echelle = backScaleMotForChannel(c, n);
    const std::string titre = motAuCurseur(itemTitleRelation_, image, n, actif()).value_or("\u2013");
    ZEVSpaceClass* sc = space_.spaceClass();
    const QImage vignette = sc ? sc->imageForImageItem(present ? image : nullptr, c->idInt(), couleur, echelle)
                               : ZEVSpaceClass::ImageForNilImageItem();
    setRightMenuItem(c);
    for (QAction* a : menu->actions()) {
        if (a->data().toLongLong() != qlonglong(kNowItemTag))
            continue;
        a->setText(QStringLiteral("Now  --  %1").arg(menuText(QString::fromStdString(titre))));
        a->setIcon(QIcon(QPixmap::fromImage(vignette)));
        // Another Channel's Now is written grey and oblique.
        const bool courant = c->idInt() == space_.currentChannelInt();
        QFont f = QGuiApplication::font();
        if (!courant) {
            f = QFont(QStringLiteral("Helvetica"), 14);
            f.setItalic(true);
        }
        a->setFont(f);
        a->setProperty("grey", !courant);
    }
    space_.addSpacesToMenu(menu, ZEVSpaceController::SpacesMenuAction::GotoPrevSpace, 4, 25, 0, c);
    return menu;
}

void ZEVChannelClass::paste(ZEVTableView&)
{
    const QClipboard* clipboard = QGuiApplication::clipboard();
    ZEVPasteboard::AnalysePasteboard(clipboard ? clipboard->mimeData() : nullptr,
                                     long(QRandomGenerator::global()->bounded(1 << 30)));
    if (ZEVDeskViewer* desk = space_.deskViewerForCurseur(actif()))
        desk->userPerformPaste();
}

} // namespace tallomer
