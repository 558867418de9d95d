#include "inspectors/images/ZEVBackClass.h"

#include "desk/data/ZEVItemData.h"
#include "desk/model/ZEVModelSupport.h"
#include "engine/KELICurseur.h"
#include "engine/KELLien.h"
#include "engine/KELServeurDeLiens.h"
#include "inspectors/core/ZEVPresenceInterval.h"
#include "inspectors/images/ZEVBackViewer.h"
#include "inspectors/table/ZEVTableModel.h"
#include "runtime/Log.h"
#include "runtime/Scheduler.h"
#include "services/ZEVFrontViewerServices.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSpaceClass.h"
#include "space/ZEVSpaceController.h"

#include <QItemSelectionModel>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QScrollBar>

#include <algorithm>

namespace tallomer {

namespace {

KELIElemRelation* relationAt(KELId id, KELICc* c)
{
    return c ? dynamic_cast<KELIElemRelation*>(KELServeurDeLiens::LienForInt(id, c)) : nullptr;
}

// The image's live colour links, at every date.
std::vector<KELI*> liensCouleur(KELId imageInt)
{
    std::vector<KELI*> out;
    const KELIds ids = imageInt ? KELServeurDeLiens::LiensNumDuParentIntRelInt(imageInt, KELRELATION_IMAGE_COLOR) : KELIds();
    if (!ids)
        return out;
    KELICc* global = KELServeurDeLiens::CurseurGlobal();
    for (KELId id : *ids)
        if (KELI* l = KELServeurDeLiens::LienForInt(id, global); !deskmodel::siOublie(l))
            out.push_back(l);
    return out;
}

// The in-date of the image's first colour link that starts after the date; the open end for none.
KELDate prochaineCouleur(KELId imageInt, KELDate apres)
{
    KELDate fin = KELDateOuverte;
    for (KELI* l : liensCouleur(imageInt))
        if (l->inDate() > apres)
            fin = std::min(fin, l->inDate());
    return fin;
}

// The mark of a thumbnail that cannot be made: a picture frame torn across.
QLabel* marqueCassee()
{
    QPixmap pm(28, 22);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(120, 120, 120), 2));
    p.drawRect(QRectF(2, 2, 24, 18));
    p.setPen(QPen(QColor(200, 40, 40), 2));
    p.drawLine(QPointF(6, 18), QPointF(13, 9));
    p.drawLine(QPointF(13, 9), QPointF(16, 14));
    p.drawLine(QPointF(16, 14), QPointF(22, 5));
    p.end();
    auto* l = new QLabel;
    l->setObjectName(QStringLiteral("thumbnailBroken"));
    l->setPixmap(pm);
    l->setToolTip(QStringLiteral("The picture cannot be read"));
    l->resize(pm.size());
    return l;
}

} // namespace

ZEVBackClass::ZEVBackClass(ZEVBackViewer* viewer, ZEVSpaceController& space)
    : ZEVRowsClass(space, KELRELATION_BACK_VIEWER), viewer_(viewer), defaults_(space.host().defaults()),
      presence_(space, KELRELATION_BACK_VIEWER, [this](KELI* item, KELICurseur* c) { return legosForItem(item, c); }),
      menus_(std::make_unique<ZEVInspectMenus>(nouns())),
      drag_(std::make_unique<ZEVInspectDrag>(space, *this, viewer))
{
    referencerDrag(drag_.get());
    referencerPanneau(viewer, ZEVBackViewer::kRebuildDelay, true);
    imageColorRelation_ = relationAt(KELRELATION_IMAGE_COLOR, tlCurseur_);
    for (KELICc* c : std::initializer_list<KELICc*>{nowCurseur_, searchCurseur_})
        if (c)
            KELServeurDeLiens::LienForInt(KELRELATION_IMAGE_COLOR, c);
    menus_->onDeleteLego = [this](KELId legoId, ZEVTableView& table) {
        if (KELI* lego = KELServeurDeLiens::LienForInt(legoId, KELServeurDeLiens::CurseurGlobal()))
            deleteLego(lego, table);
    };
    const struct {
        const char* key;
        bool defaut;
        bool* field;
    } cles[] = {{kGotoRecallKey, true, &siRecallChanges_},
                {kGotoReleaseKey, true, &siReleaseChanges_},
                {kGotoTitleKey, false, &siTitleChanges_}};
    for (const auto& c : cles) {
        const QString key = QString::fromLatin1(c.key);
        if (!defaults_.values(key).isValid())
            defaults_.setValue(key, c.defaut);
        *c.field = defaults_.values(key).toBool();
        bool* field = c.field;
        tokens_.push_back(defaults_.observe(key, [field](const QString&, const QVariant& v) { *field = v.toBool(); }));
    }
}

ZEVBackClass::~ZEVBackClass()
{
    Scheduler::shared().cancelAll(this);
    stopObserving();
    couleurs_.toutRetirer();
    for (DefaultsToken t : tokens_)
        defaults_.unobserve(t);
}

KELICurseur* ZEVBackClass::actif() const { return actifCurseur_ ? actifCurseur_ : space_.actifCurseur(); }

void ZEVBackClass::enclencherMaj()
{
    ZEVRowsClass::enclencherMaj();
    auto h = [this](KELI* lien, KELICc* curseur, bool activation) { croisementCouleur(lien, curseur, activation); };
    couleurs_.enregistrer(KELRELATION_IMAGE_COLOR, nowCurseur_, h);
    couleurs_.enregistrer(KELRELATION_IMAGE_COLOR, searchCurseur_, h);
}

void ZEVBackClass::referencerBackTableView(ZEVBackTableView* table)
{
    backTable_ = table;
    referencerInspectTableView(table);
    if (table) {
        table->setBackDelegate(this);
        table->setImageColumn(kImageColumn);
    }
}

void ZEVBackClass::croisementCouleur(KELI* lien, KELICc* curseur, bool activation)
{
    if (!activation || !lien || curseur != actif() || !siPanneauMontre())
        return;
    const auto& s = selectedItemSet();
    if (viewer_ && s.size() == 1 && (*s.begin())->idInt() == lien->parentInt())
        viewer_->userChangeFillColor(space_.colorForColorItem(lien->enfant(curseur)));
    if (backTable_)
        backTable_->viewport()->update();
}

// ---- the go-to walk ---------------------------------------------------------------------------

ZEVChangeWalk ZEVBackClass::walk(std::unordered_set<KELId>& cibles) const
{
    cibles.clear();
    for (const auto* ensemble : {&foundedItemSet(), &selectedItemSet()})
        for (KELI* o : *ensemble)
            cibles.insert(o->idInt());
    const KELId canal = currentChannelInt_;
    auto presence = [canal](KELI* lien, KELDate) { return lien->parentInt() == canal; };
    auto titreListe = [canal](KELI* lien, KELDate date) {
        return KELServeurDeLiens::LienIntForParentInt(canal, lien->parentInt(), KELRELATION_BACK_VIEWER, date) != 0;
    };
    ZEVChangeWalk w;
    const std::pair<bool, ZEVChangeKind> sortes[] = {
        {siRecallChanges_, {KELRELATION_BACK_VIEWER, false, true, 0, presence}},
        {siReleaseChanges_, {KELRELATION_BACK_VIEWER, true, true, 0, presence}},
        {siTitleChanges_, {KELRELATION_ITEM_TITLE, false, false, 0, titreListe}},
    };
    for (const auto& [oui, sorte] : sortes)
        if (oui)
            w.kinds.push_back(sorte);
    w.objets = &cibles;
    return w;
}

KELDate ZEVBackClass::previousDate()
{
    std::unordered_set<KELId> cibles;
    const ZEVChangeWalk w = walk(cibles);
    return w.kinds.empty() ? 0.0 : ZEVChangeWalker::previousDate(actif(), w);
}

KELDate ZEVBackClass::nextDate()
{
    std::unordered_set<KELId> cibles;
    const ZEVChangeWalk w = walk(cibles);
    return w.kinds.empty() ? 0.0 : ZEVChangeWalker::nextDate(actif(), w);
}

// ---- render caches and thumbnails -------------------------------------------------------------

ZEVBackObject* ZEVBackClass::existingBackObjectForItem(KELI* item) const
{
    auto it = backObjects_.find(item);
    return it == backObjects_.end() ? nullptr : it->second.get();
}

ZEVBackObject* ZEVBackClass::backObjectForItem(KELI* item)
{
    if (!item)
        return nullptr;
    if (ZEVBackObject* o = existingBackObjectForItem(item))
        return o;
    // Our own cache, not the desks': dropping its renderings never blanks a desk, nor the reverse.
    ZEVSpaceHost& host = space_.host();
    auto object = std::make_shared<ZEVBackObject>(item, item->channelInt(), host.mainScreenFrame());
    const KELId channel = item->channelInt();
    object->setFileURL(host.fileUrlForItem(item, channel));
    object->setFileFinder([h = &host, channel](KELI* i) { return h->fileUrlForItem(i, channel); });
    ZEVBackObject* raw = object.get();
    backObjects_.emplace(item, std::move(object));
    return raw;
}

ZEVBackObject* ZEVBackClass::backObjectForRow(int row)
{
    const std::vector<ZEVTableElement>& e = actifListe().elements();
    return row >= 0 && std::size_t(row) < e.size() ? backObjectForItem(e[std::size_t(row)].item) : nullptr;
}

bool ZEVBackClass::siThumbnailFailed(KELI* item) const { return failed_.count(item) != 0; }

int ZEVBackClass::rowOfItem(KELI* item) const { return item ? actifListe().indexOf(item) : -1; }

KELI* ZEVBackClass::selectedItem() const
{
    if (!backTable_)
        return nullptr;
    const ZEVTableElement* e = backTable_->element(backTable_->monoSelectedRow());
    return e ? e->item : nullptr;
}

void ZEVBackClass::stopObserving()
{
    for (KELI* item : observed_)
        if (ZEVBackObject* o = existingBackObjectForItem(item))
            o->removeObserver(ZEVBackKey::ThumbnailImage, this);
    observed_.clear();
}

void ZEVBackClass::changedVisibleRows(ZEVBackTableView&, ZEVRowRange, ZEVRowRange to)
{
    stopObserving();
    const std::vector<ZEVTableElement>& e = actifListe().elements();
    if (to.location == ZEVRowRange::kNotFound)
        return;
    for (quint64 r = to.location; r < to.location + to.length && r < e.size(); ++r)
        if (KELI* item = e[std::size_t(r)].item)
            observed_.push_back(item);
    for (KELI* item : observed_) {
        ZEVBackObject* o = backObjectForItem(item);
        // Told on the main thread once the rendering is stored (or could not be made).
        o->addObserver(ZEVBackKey::ThumbnailImage, this, [this](ZEVBackImageLoad* object, bool failed) {
            _reloadRowForBackObject(static_cast<ZEVBackObject*>(object), failed);
        });
        o->loadThumbnailImage();
        // A file that changed since it failed is tried again: its mark goes.
        if (o->siThumbnailLoading())
            failed_.erase(item);
    }
}

void ZEVBackClass::_reloadRowForBackObject(ZEVBackObject* object, bool failed)
{
    KELI* item = object ? object->imageItem() : nullptr;
    if (!item)
        return;
    if (failed)
        failed_.insert(item);
    else
        failed_.erase(item);
    const int row = rowOfItem(item);
    if (row < 0 || !backTable_)
        return;
    backTable_->reloadDataForRows({row}, kImageColumn);
    if (viewer_ && row == backTable_->monoSelectedRow())
        viewer_->displayImageFromRow(row);
}

QWidget* ZEVBackClass::viewForRow(ZEVBackTableView& table, int row)
{
    ZEVBackObject* o = backObjectForRow(row);
    if (!o || !o->thumbnailImage().isNull())
        return nullptr;
    QWidget* v = nullptr;
    if (siThumbnailFailed(o->imageItem())) {
        v = marqueCassee();
    } else {
        auto* spinner = new QProgressBar;
        spinner->setObjectName(QStringLiteral("thumbnailSpinner"));
        spinner->setRange(0, 0);
        spinner->setTextVisible(false);
        spinner->resize(40, 10);
        v = spinner;
    }
    const QRectF frame = ZEVBackCellGeometry::imageRectForBounds(table.visualRect(table.tableModel()->index(row, kImageColumn)));
    v->move(int(frame.x() + std::floor((frame.width() - v->width()) * 0.5)),
            int(frame.y() + std::floor((frame.height() - v->height()) * 0.5)));
    return v;
}

QImage ZEVBackClass::thumbnailForRow(ZEVBackTableView& table, int row)
{
    const ZEVTableElement* e = table.element(row);
    const ZEVBackObject* o = e ? existingBackObjectForItem(e->item) : nullptr;
    return o ? o->thumbnailImage() : QImage();
}

bool ZEVBackClass::siDragOutAt(ZEVBackTableView& table, const QPoint& p) const
{
    return table.columnAt(p.x()) == kImageColumn && p.x() + table.horizontalScrollBar()->value() < kDragOutMaxX;
}

// ---- colour -----------------------------------------------------------------------------------

KELI* ZEVBackClass::colorItemForImageItem(KELI* item)
{
    KELICurseur* c = actif();
    const std::vector<KELI*>* l = imageColorRelation_ && item && c ? imageColorRelation_->liensDuParent(item, c) : nullptr;
    return l && !l->empty() && l->front() ? l->front()->enfant(c) : nullptr;
}

QColor ZEVBackClass::colorForImageItem(KELI* item) { return space_.colorForColorItem(colorItemForImageItem(item)); }

ZEVBackSwatch ZEVBackClass::swatchForRow(ZEVBackTableView& table, int row)
{
    const ZEVTableElement* e = table.element(row);
    if (!e || !e->item)
        return {};
    KELI* ci = colorItemForImageItem(e->item);
    return {space_.colorForColorItem(ci),
            QString::fromStdString(space_.colorNameForColorItem(ci ? ci : space_.defaultColorItem()))};
}

void ZEVBackClass::_updateImageItem(KELI* item, KELI* colorItem)
{
    KELICurseur* c = actif();
    if (!item || !colorItem || !c)
        return;
    const std::vector<KELI*>* l = imageColorRelation_ ? imageColorRelation_->liensDuParent(item, c) : nullptr;
    KELI* ancien = l && !l->empty() ? l->front() : nullptr;
    if (ancien && ancien->enfantInt() == colorItem->idInt())
        return;
    const KELDate now = c->now();
    // The new colour holds up to the next scheduled change, with or without a colour before it.
    const KELDate fin = prochaineCouleur(item->idInt(), now);
    // The old colour's end and the new colour: both or neither, or the image is left without one.
    const KELServeurDeLiens::Acte acte(1);
    if (!acte.complet())
        return;
    if (ancien) {
        if (ancien->inDate() >= now)
            KELServeurDeLiens::DegagerLien(ancien, c);
        else
            ancien->placeOutDate(now, c);
    }
    if (!(now < fin)) {
        logFormat("ZEVBackClass ERROR - no colour link made for image %ld: empty interval", long(item->idInt()));
        return;
    }
    KELServeurDeLiens::CreerLienRelInt(KELRELATION_IMAGE_COLOR, item, colorItem, now, fin, c);
}

void ZEVBackClass::setObjectValue(ZEVBackTableView& table, const QVariant& value, int column, KELI* item,
                                  const QString& property)
{
    ZEVBackObject* o = backObjectForItem(item);
    if (!o)
        return;
    if (property == QLatin1String("fillColorName")) {
        o->setFillColorName(value.toString());
    } else if (property == QLatin1String("fillColor")) {
        const QColor color = value.value<QColor>();
        // The name came first and is kept in the image's cache.
        KELI* ci = color.isValid() ? space_.createColorItemWithColor(color, o->fillColorName().toStdString()) : nullptr;
        if (ci)
            _updateImageItem(item, ci);
        else
            logFormat("ZEVBackClass ERROR - no colour Object for \"%s\"", o->fillColorName().toUtf8().constData());
    }
    if (const int row = rowOfItem(item); row >= 0)
        table.viewport()->update(table.visualRect(table.tableModel()->index(row, column)));
}

KELI* ZEVBackClass::creerLienBackViewerForItem(KELI* item, KELDate date)
{
    KELI* canal = presence_.identity();
    KELICurseur* c = actif();
    if (!item || !canal || !c)
        return nullptr;
    const ZEVInterval i = ZEVPresenceIntervalForItem(space_, c, searchCurseur_, item, date);
    if (!(i.in < i.out)) {
        logFormat("ZEVBackClass ERROR - no presence made for image %lu: empty interval",
                  static_cast<unsigned long>(item->idInt()));
        return nullptr;
    }
    KELI* presence = nullptr;
    {
        // The colour and the presence: an image is listed with its colour or not at all.
        const KELServeurDeLiens::Acte acte(2);
        if (!acte.complet())
            return nullptr;
        // An image brought in again keeps the colour it was given.
        if (liensCouleur(item->idInt()).empty() && space_.defaultColorItem())
            KELServeurDeLiens::CreerLienRelInt(KELRELATION_IMAGE_COLOR, item, space_.defaultColorItem(),
                                               KELDateToujours, KELDateOuverte, tlCurseur_ ? tlCurseur_ : c);
        presence = KELServeurDeLiens::CreerLienRelInt(KELRELATION_BACK_VIEWER, canal, item, i.in, i.out, c);
    }
    return presence && !KELServeurDeLiens::Perdu(presence) ? presence : nullptr;
}

QVariant ZEVBackClass::objectValue(ZEVTableView& table, const QString& columnId, int row, int role)
{
    if (columnId == QLatin1String("itemIcon")) {
        if (role != Qt::DecorationRole)
            return {};
        const ZEVTableElement* e = table.element(row);
        const ZEVBackObject* o = e ? existingBackObjectForItem(e->item) : nullptr;
        return o && !o->thumbnailImage().isNull() ? QVariant(QPixmap::fromImage(o->thumbnailImage())) : QVariant();
    }
    return ZEVRowsClass::objectValue(table, columnId, row, role);
}

void ZEVBackClass::tableViewSelectionDidChange(ZEVTableView& table)
{
    ZEVFrontViewerServices* f = space_.frontViewer();
    const int mode = table.currentFrontMode();
    if (viewer_ && (mode == ZEVTableView::kModeNone || (f && mode == f->frontMode()))) {
        const auto& s = selectedItemSet();
        const int row = s.size() == 1 && siPanneauMontre() ? rowOfItem(*s.begin()) : -1;
        if (row >= 0) {
            const QModelIndex index = table.tableModel()->index(row, 0);
            table.scrollTo(index);
            // The arrows go on from the row the selection holds, not from where the keys last were.
            if (table.selectionModel() && table.selectionModel()->currentIndex().row() != row)
                table.selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
        }
        viewer_->displayImageFromRow(row);
    }
    ZEVRowsClass::tableViewSelectionDidChange(table);
}

} // namespace tallomer
