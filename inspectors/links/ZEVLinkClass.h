#pragma once
// The Links inspector's model: the program's index of link pairs. One row per ordered pair of
// Objects joined by links of relation 1000182, holding the pair's links (its intervals) and three
// counters: how many of them lie in the timeline's visible range (added), contain the timeline
// cursor (active), and came in ahead of it (future). Each Channel has its list of the rows added
// in the range, in the order they came; the engine's notices on the timeline cursor and its
// context keep the counters and the lists, so nothing is ever recounted from the whole base.

#include "engine/KELICc.h"
#include "inspectors/base/ZEVInspectClass.h"
#include "inspectors/services/ZEVChangeWalker.h"
#include "inspectors/services/ZEVInspectorServices.h"
#include "platform/UserDefaults.h"

#include <cstdint>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class KELICurseur;
class KELIContexte;
class KELIElemRelation;

namespace tallomer {

class ZEVSpaceController;
class ZEVLinkClass;

// One row: a parent Object and a child Object, and the links of 1000182 that join them.
class ZEVLinkObject final : public ZEVLinkPair {
public:
    // Reads the pair from the link and looks its two Objects up (no cursor).
    explicit ZEVLinkObject(KELI* lienConnexion);

    KELI* parentItem() const override { return parentItem_; }
    KELI* enfantItem() const override { return enfantItem_; }
    KELId parentInt() const { return parentInt_; }
    KELId enfantInt() const { return enfantInt_; }
    // The pair's links, no link twice; not owned (links live for the run).
    const std::vector<KELI*>& lienConnexions() const { return lienConnexions_; }
    void ajouterLienConnexion(KELI* lien);
    void enleverLienConnexion(KELI* lien);
    // The parent Object's Channel: the one list the row is ever kept in. Read once.
    KELId channelInt() const;

    // Added and future floor at 0; the future count is held at 0 while nothing is added. The
    // active count has no floor: the cursor's notices keep it balanced.
    void setSiAjoute(bool oui);
    void setSiActif(bool oui) { siActifCount_ += oui ? 1 : -1; }
    void setSiFutur(bool oui);
    bool siAjoute() const { return siAjouteCount_ > 0; }
    bool siActif() const { return siActifCount_ > 0; }
    bool siFutur() const { return siFuturCount_ > 0; }
    std::int64_t siAjouteCount() const { return siAjouteCount_; }
    std::int64_t siActifCount() const { return siActifCount_; }
    std::int64_t siFuturCount() const { return siFuturCount_; }

private:
    friend class ZEVLinkClass;
    KELId parentInt_;
    KELId enfantInt_;
    KELI* parentItem_; // not owned
    KELI* enfantItem_; // not owned
    std::vector<KELI*> lienConnexions_;
    mutable KELId channelInt_ = 0;
    mutable bool siChannelLu_ = false;
    std::int64_t siAjouteCount_ = 0;
    std::int64_t siActifCount_ = 0;
    std::int64_t siFuturCount_ = 0;
    // The Channel whose list holds the row (0: none) and its place there.
    KELId listeChannel_ = 0;
    std::list<ZEVLinkObject*>::iterator place_;
};

class ZEVLinkClass final : public ZEVInspectClass, public ZEVLinkClassServices, public KELDelegueDeMaj {
public:
    static constexpr const char* kGotoRecallKey = "ZEVGotoRecallLinkChanges";
    static constexpr const char* kGotoReleaseKey = "ZEVGotoReleaseLinkChanges";

    // `space` is not owned and outlives the model. Reads the two go-to defaults (writing them
    // when missing) and observes them.
    explicit ZEVLinkClass(ZEVSpaceController& space);
    ~ZEVLinkClass() override;
    ZEVLinkClass(const ZEVLinkClass&) = delete;
    ZEVLinkClass& operator=(const ZEVLinkClass&) = delete;

    // Counts and lists the links of the timeline's visible range.
    void initialiser();
    // Listens to the timeline cursor and its context (once); the destructor stops.
    void enclencherMaj();

    ZEVLinkPair* linkForConnexion(const ZEVItemConnexion* connexion) override;
    std::vector<ZEVLinkPair*> timeLineLinks() override;
    bool isLinkActif(const ZEVLinkPair* link) override;
    bool isLinkActifNow(const ZEVLinkPair* link) override;
    void delConnexionsForParentInt(KELId parentInt) override;
    void delConnexionsForParentIntEnfantInt(KELId parentInt, KELId enfantInt) override;
    void delConnexionsForEnfantInt(KELId enfantInt) override;

    // The row of the link's pair, made when missing; the link is given the row's Channel.
    ZEVLinkObject* linkForLienConnexion(KELI* lien);
    // The current Channel's rows, in the order they came.
    const std::list<ZEVLinkObject*>& linksExistants() const;
    std::size_t linkCount() const { return nbRows_; }

    void channelDidChangeWithIdentityInt(KELId channelInt) override;
    void actifCurseurDidChangeForCurseur(KELICurseur* curseur) override;

    // ---- selections by front mode (nullopt outside the four modes) ----
    std::optional<std::vector<ZEVLinkPair*>> linksForFrontMode();
    std::optional<std::vector<KELI*>> itemsForIconMode() override;
    std::optional<std::vector<KELI*>> itemsForFrontMode() override;
    void majSelectedLinkIndexSet();
    const std::unordered_set<KELId>& selectedLinkIndexSet() const { return selectedLinkIndexSet_; }
    // What the front class accepts for each file operation, of the mode's Objects.
    std::optional<std::vector<KELI*>> moveToItemsForFrontMode() override;
    std::optional<std::vector<KELI*>> moveToSpaceItemsForFrontMode() override;
    std::optional<std::vector<KELI*>> copyToItemsForFrontMode() override;
    std::optional<std::vector<KELI*>> copyToSpaceItemsForFrontMode() override;
    std::optional<std::vector<KELI*>> duplicateToItemsForFrontMode() override;

    // ---- words of an Object (nullopt when it has none there) ----
    std::optional<std::string> itemIconForItem(KELI* item);
    std::optional<std::string> itemTitleForItem(KELI* item);
    std::optional<std::string> itemTypeForItem(KELI* item);

    // ---- the previous or next link change from the active cursor; 0 when none ----
    KELDate previousDate() override;
    KELDate nextDate() override;
    bool siRecallChanges() const { return siRecallChanges_; }
    bool siReleaseChanges() const { return siReleaseChanges_; }

    void activationDuLien(KELI* lien, KELICc* curseur) override;
    void desactivationDuLien(KELI* lien, KELICc* curseur) override;

private:
    using Liste = std::list<ZEVLinkObject*>;
    void ajouterALaListe(ZEVLinkObject* row);
    void retirerDeLaListe(ZEVLinkObject* row);
    void croisement(KELI* lien, KELICc* curseur, bool activation);
    std::optional<std::string> motDe(KELIElemRelation* relation, KELI* item, KELICc* curseurDuMot);
    ZEVChangeWalk walk() const;
    void detruire(std::vector<std::unique_ptr<ZEVLinkObject>>& rows);

    UserDefaultsController& defaults_; // not owned
    KELICurseur* tlCurseur_ = nullptr;   // not owned
    KELIContexte* tlContexte_ = nullptr; // not owned
    KELIElemRelation* linkViewerRelation_ = nullptr; // links live for the run
    KELIElemRelation* itemTitleRelation_ = nullptr;
    KELIElemRelation* itemTypeRelation_ = nullptr;
    KELIElemRelation* itemIconNameRelation_ = nullptr;
    std::unordered_set<KELId> selectedLinkIndexSet_;
    // Channel id to its list; made when a row of that Channel first comes (or the Channel is shown).
    std::unordered_map<KELId, Liste> linksExistantsMap_;
    // Parent id to every row of that parent: where rows are found and owned.
    std::unordered_map<KELId, std::vector<std::unique_ptr<ZEVLinkObject>>> parentConnexionsMap_;
    std::size_t nbRows_ = 0;
    bool siRecallChanges_ = true;
    bool siReleaseChanges_ = false;
    std::vector<DefaultsToken> tokens_;
    bool siEnclenche_ = false;
};

} // namespace tallomer
