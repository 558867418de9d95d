#include "space/ZEVColorItems.h"

#include "engine/KELElements.h"
#include "engine/KELICurseur.h"
#include "engine/KELModels.h"
#include "engine/KELServeurDeLiens.h"
#include "space/ZEVConstants.h"
#include "space/ZEVSpaceController.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <vector>

namespace tallomer {

namespace {

template <class T>
T* lienDe(KELId id, KELICc* curseur)
{
    return dynamic_cast<T*>(KELServeurDeLiens::LienForInt(id, curseur));
}

} // namespace

void ZEVColorItems::lireLesModeles()
{
    KELICurseur* tl = space_.tlCurseur();
    nombreModel_ = lienDe<KELIModel>(KELMODEL_NOMBRE, tl);
    motModel_ = lienDe<KELIModelMot>(KELMODEL_MOT, tl);
    itemModel_ = lienDe<KELIModel>(KELMODEL_ITEM, tl);
    itemTitleRelation_ = lienDe<KELIElemRelation>(KELRELATION_ITEM_TITLE, tl);
    colorRedRelation_ = lienDe<KELIElemRelation>(KELRELATION_COLOR_RED, tl);
    colorGreenRelation_ = lienDe<KELIElemRelation>(KELRELATION_COLOR_GREEN, tl);
    colorBlueRelation_ = lienDe<KELIElemRelation>(KELRELATION_COLOR_BLUE, tl);
    defaultColorItem_ = KELServeurDeLiens::LienForInt(KELOBJECT_DEFAULT_COLOR, tl);
    // Colour items are few and live for all time: their links are woken at the timeline cursor,
    // where every colour is looked up.
    for (KELIElemRelation* r : {colorRedRelation_, colorGreenRelation_, colorBlueRelation_})
        if (r)
            r->liens(tl);
}

QColor ZEVColorItems::colorForColorItem(KELI* colorItem)
{
    if (!colorItem)
        colorItem = defaultColorItem_;
    if (!colorItem)
        return Qt::black;
    int rgb[3] = {0, 0, 0};
    KELIElemRelation* relations[3] = {colorRedRelation_, colorGreenRelation_, colorBlueRelation_};
    for (int i = 0; i < 3; ++i) {
        if (!relations[i])
            return Qt::black;
        const auto* enfants = relations[i]->enfantsDuParent(colorItem, space_.tlCurseur());
        if (!enfants || enfants->empty())
            return Qt::black;
        const KELValue v = enfants->front()->base();
        const double* d = std::get_if<double>(&v);
        if (!d || !std::isfinite(*d))
            return Qt::black;
        rgb[i] = int(std::lround(std::clamp(*d, 0.0, 255.0)));
    }
    return QColor(rgb[0], rgb[1], rgb[2]);
}

KELI* ZEVColorItems::createColorItemWithColor(const QColor& color, const std::string& name)
{
    auto* nombres = dynamic_cast<KELIModelNombre*>(nombreModel_);
    KELIElemRelation* relations[3] = {colorRedRelation_, colorGreenRelation_, colorBlueRelation_};
    if (!nombres || !motModel_ || !itemModel_ || !itemTitleRelation_ || !relations[0] || !relations[1] || !relations[2])
        return nullptr;
    KELI* item = nullptr;
    {
        // The three numbers, the name, the Object and its four links: all of them or none.
        KELServeurDeLiens::Acte acte(9, 1, 3);
        if (!acte.complet())
            return nullptr;
        const QColor rgb = color.toRgb();
        const double composantes[3] = {rgb.redF(), rgb.greenF(), rgb.blueF()};
        KELI* elements[3] = {};
        std::vector<KELI*> communs;
        bool premier = true;
        for (int i = 0; i < 3; ++i) {
            // To single precision, then halves away from zero: 0.5 gives 128.
            const double v = double(std::lround(static_cast<float>(composantes[i] * 255.0)));
            elements[i] = nombres->ajouterLeNombre(v, space_.tlCurseur());
            if (!elements[i])
                return nullptr;
            const std::vector<KELI*>* parents = relations[i]->parentsDeLEnfant(elements[i], space_.tlCurseur());
            std::vector<KELI*> items = parents ? *parents : std::vector<KELI*>();
            std::sort(items.begin(), items.end());
            if (premier) {
                communs = std::move(items);
                premier = false;
            } else {
                std::vector<KELI*> inter;
                std::set_intersection(communs.begin(), communs.end(), items.begin(), items.end(),
                                      std::back_inserter(inter));
                communs = std::move(inter);
            }
        }
        KELI* mot = motModel_->ajouterLeMot(name, space_.tlCurseur());
        if (!mot)
            return nullptr;
        item = !communs.empty()
                   ? *std::min_element(communs.begin(), communs.end(),
                                       [](const KELI* a, const KELI* b) { return a->idInt() < b->idInt(); })
                   : newColorWithRouge(elements[0], elements[1], elements[2], mot);
    }
    // The store kept none of it (a full disk): there is no colour to give an image or a Channel.
    return KELServeurDeLiens::Perdu(item) ? nullptr : item;
}

KELI* ZEVColorItems::newColorWithRouge(KELI* rouge, KELI* vert, KELI* bleu, KELI* name)
{
    if (!itemModel_ || !rouge || !vert || !bleu || !name)
        return nullptr;
    // A part the store did not keep takes no link: the colour would be stored without it.
    for (const KELI* partie : {rouge, vert, bleu, name})
        if (KELServeurDeLiens::Perdu(partie))
            return nullptr;
    KELI* item = nullptr;
    {
        KELServeurDeLiens::Acte acte(5);
        if (!acte.complet())
            return nullptr;
        item = KELServeurDeLiens::CreerLienRelInt(KELRELATION_ITEM, nullptr, itemModel_, KELDateToujours,
                                                  KELDateOuverte, space_.tlCurseur());
        if (!item)
            return nullptr;
        const std::pair<KELId, KELI*> liens[] = {{KELRELATION_COLOR_RED, rouge},
                                                 {KELRELATION_COLOR_GREEN, vert},
                                                 {KELRELATION_COLOR_BLUE, bleu},
                                                 {KELRELATION_ITEM_TITLE, name}};
        for (const auto& [rel, enfant] : liens)
            KELServeurDeLiens::CreerLienRelInt(rel, item, enfant, KELDateToujours, KELDateOuverte, space_.tlCurseur());
    }
    // Inside a larger act this is known when that act ends.
    return KELServeurDeLiens::Perdu(item) ? nullptr : item;
}

std::string ZEVColorItems::colorNameForColorItem(KELI* colorItem)
{
    const auto* noms =
        colorItem && itemTitleRelation_ ? itemTitleRelation_->enfantsDuParent(colorItem, space_.tlCurseur()) : nullptr;
    const KELValue v = noms && !noms->empty() ? noms->front()->base() : KELValue{};
    return std::holds_alternative<std::string>(v) ? std::get<std::string>(v) : std::string();
}

} // namespace tallomer
