#include "desk/background/ZEVChannelBackgrounds.h"

#include "engine/KELICurseur.h"
#include "engine/KELModels.h"
#include "engine/KELServeurDeLiens.h"

#include <algorithm>
#include <cmath>

namespace tallomer {

namespace {

constexpr KELId kRed = 1000242;
constexpr KELId kGreen = 1000247;
constexpr KELId kBlue = 1000252;

KELIElemRelation* fetchRelation(KELId id, KELICurseur* timeline, KELICurseur* curseur)
{
    auto* r = timeline ? dynamic_cast<KELIElemRelation*>(KELServeurDeLiens::LienForInt(id, timeline)) : nullptr;
    if (r && curseur)
        r->liens(curseur);
    return r;
}

} // namespace

ZEVChannelBackgrounds::ZEVChannelBackgrounds(KELICurseur* curseur, KELICurseur* timeline) : curseur_(curseur)
{
    channel_ = fetchRelation(kZEVRelationChannel, timeline, curseur);
    backItem_ = fetchRelation(kZEVRelationBackItem, timeline, curseur);
    backColor_ = fetchRelation(kZEVRelationBackColor, timeline, curseur);
    backScale_ = fetchRelation(kZEVRelationBackScale, timeline, curseur);
    red_ = fetchRelation(kRed, timeline, curseur);
    green_ = fetchRelation(kGreen, timeline, curseur);
    blue_ = fetchRelation(kBlue, timeline, curseur);
}

KELIElemRelation* ZEVChannelBackgrounds::relation(KELId id) const
{
    switch (id) {
    case kZEVRelationChannel:
        return channel_;
    case kZEVRelationBackItem:
        return backItem_;
    case kZEVRelationBackColor:
        return backColor_;
    case kZEVRelationBackScale:
        return backScale_;
    default:
        return nullptr;
    }
}

bool ZEVChannelBackgrounds::siChannelActif(KELI* channel) const
{
    if (!channel_ || !channel || !curseur_)
        return false;
    const std::vector<KELI*>* liens = channel_->liensDeLEnfant(channel, curseur_);
    return liens && !liens->empty();
}

KELI* ZEVChannelBackgrounds::premierLien(KELId id, KELI* channel) const
{
    KELIElemRelation* r = relation(id);
    if (!r || !channel || !curseur_)
        return nullptr;
    const std::vector<KELI*>* liens = r->liensDuParent(channel, curseur_);
    return liens && !liens->empty() ? liens->front() : nullptr;
}

KELI* ZEVChannelBackgrounds::enfantDuPremierLien(KELId id, KELI* channel) const
{
    KELI* lien = premierLien(id, channel);
    return lien ? lien->enfant(curseur_) : nullptr;
}

KELI* ZEVChannelBackgrounds::backItemForChannel(KELI* channel) const
{
    KELI* image = enfantDuPremierLien(kZEVRelationBackItem, channel);
    if (image && channel)
        image->setChannelInt(channel->idInt());
    return image;
}

KELI* ZEVChannelBackgrounds::backColorItemForChannel(KELI* channel) const
{
    return enfantDuPremierLien(kZEVRelationBackColor, channel);
}

KELI* ZEVChannelBackgrounds::backScaleMotForChannel(KELI* channel) const
{
    return enfantDuPremierLien(kZEVRelationBackScale, channel);
}

std::vector<KELI*> ZEVChannelBackgrounds::timeLineItems() const
{
    std::vector<KELI*> out;
    KELI* root = curseur_ ? KELServeurDeLiens::LienForInt(kZEVChannelRoot, curseur_) : nullptr;
    if (!channel_ || !root)
        return out;
    if (const std::vector<KELI*>* enfants = channel_->enfantsDuParent(root, curseur_))
        out = *enfants;
    std::sort(out.begin(), out.end(), [](const KELI* a, const KELI* b) { return a->idInt() < b->idInt(); });
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

QColor ZEVChannelBackgrounds::colorForColorItem(KELI* colorItem) const
{
    auto composante = [&](KELIElemRelation* r, bool* ok) {
        const std::vector<KELI*>* liens = r && colorItem ? r->liensDuParent(colorItem, curseur_) : nullptr;
        KELI* n = liens && !liens->empty() ? liens->front()->enfant(curseur_) : nullptr;
        const KELValue v = n ? n->base() : KELValue{};
        const double* d = std::get_if<double>(&v);
        *ok = *ok && d;
        return d ? std::clamp(int(std::lround(*d)), 0, 255) : 0;
    };
    bool ok = true;
    const int r = composante(red_, &ok), g = composante(green_, &ok), b = composante(blue_, &ok);
    return ok ? QColor(r, g, b) : QColor(64, 64, 64);
}

} // namespace tallomer
