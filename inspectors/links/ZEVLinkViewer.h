#pragma once
// The Links inspector, the least of it the Space asks for: its model keeps one link object per
// parent-to-child pair of Objects, made on first request and kept until the pairs of its parent
// or of its child are forgotten, lists the pairs of the current Channel and tells whether a pair
// is linked at the active cursor or at Now. The panel comes with the inspector framework.

#include "inspectors/services/ZEVInspectorServices.h"
#include "space/ZEVSpaceParts.h"

#include <map>
#include <memory>
#include <utility>

namespace tallomer {

class ZEVSpaceController;

// One row of the Links inspector: a parent Object and a child Object. Not owning either.
class ZEVLinkObject final : public ZEVLinkPair {
public:
    ZEVLinkObject(KELI* parent, KELI* enfant) : parent_(parent), enfant_(enfant) {}
    KELI* parentItem() const override { return parent_; }
    KELI* enfantItem() const override { return enfant_; }

private:
    KELI* parent_;
    KELI* enfant_;
};

class ZEVLinkClass final : public ZEVLinkClassServices {
public:
    // `space` is not owned and outlives the model.
    explicit ZEVLinkClass(ZEVSpaceController& space) : space_(space) {}
    ZEVLinkPair* linkForConnexion(const ZEVItemConnexion* connexion) override;
    std::vector<ZEVLinkPair*> timeLineItems() override;
    bool isLinkActif(const ZEVLinkPair* link) override;
    bool isLinkActifNow(const ZEVLinkPair* link) override;
    void delConnexionsForParentInt(KELId parentInt) override;
    void delConnexionsForEnfantInt(KELId enfantInt) override;
    // The pair's object, made when there is none; nullptr without both Objects.
    ZEVLinkObject* linkForPair(KELI* parent, KELI* enfant);
    std::size_t linkCount() const { return links_.size(); }

private:
    bool siLieAuCurseur(const ZEVLinkPair* link, KELICurseur* curseur);
    ZEVSpaceController& space_;
    std::map<std::pair<KELId, KELId>, std::unique_ptr<ZEVLinkObject>> links_;
};

class ZEVLinkViewer final : public ZEVEntityViewer, public ZEVLinkViewerServices {
public:
    ZEVLinkViewer(ZEVSpaceController& space, KELId entityInt) : ZEVEntityViewer(entityInt), model_(space) {}
    ZEVLinkClassServices* linkClass() override { return &model_; }
    ZEVLinkClass& model() { return model_; }

private:
    ZEVLinkClass model_;
};

} // namespace tallomer
