#pragma once
// The Object factory of one cursor's desk: creates Objects (a row of the item model whose BASE
// holds the option bits, with title, type and icon words) and keeps the Links between Objects,
// with the user's four commands on them. The Now desk and the Search desk each own one; both
// write to the same link base and differ in the cursor they read through and the viewer they tell.

#include "engine/KELICc.h"
#include "engine/KELTypes.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

class KELICurseur;
class KELIModel;
class KELIModelMot;
class KELIElemRelation;

namespace tallomer {

class ZEVItemViewerForDesks;
class ZEVLinkPair;
class ZEVSpaceForDeskModels;

class ZEVItemClass final : public KELDelegueDeMaj {
public:
    // `curseur` is the desk's cursor; `space` may be null (a desk without a window). Neither is
    // owned. Fetches the models and relations at the timeline cursor and wakes them on the cursor.
    ZEVItemClass(KELICurseur* curseur, ZEVSpaceForDeskModels* space);
    ~ZEVItemClass() override;
    ZEVItemClass(const ZEVItemClass&) = delete;
    ZEVItemClass& operator=(const ZEVItemClass&) = delete;

    // True when every model and relation could be loaded.
    bool valide() const;

    void referencerItemViewer(ZEVItemViewerForDesks* viewer) { itemViewer_ = viewer; } // not owned
    void enclencherMaj();
    void initialiser();

    KELICurseur* curseur() const { return curseur_; }
    KELICc* contexte() const;

    std::optional<std::string> itemIconForItem(KELI* item);
    std::optional<std::string> itemTypeForItem(KELI* item);

    // The only way Objects are made. nullptr when the store refused the row.
    KELI* creerItemWithChannelInt(KELId channelInt, const std::string& title, const std::string& itemType,
                                  const std::string& itemIcon, std::uint64_t options);
    // Takes back an Object just made whose outside part (its record, its file) could not be
    // written: its link and the links to its words go from the store in one commit, as if it had
    // never been made. The words stay, as every word does. item is gone afterwards.
    void eraseNewItem(KELI* item);
    // A new Object together with what it stands for outside the link base (its record, the file
    // made for it): writeOutside is handed the new Object and answers whether all of it was
    // written. When not, the Object is taken back as above and nullptr answered: an Object
    // without its record could never find its file, nor be found again by a later import. The
    // writer reports its own failure to the user; writeOutside undoes what it made outside.
    KELI* creerItemWithRecord(KELId channelInt, const std::string& title, const std::string& itemType,
                              const std::string& itemIcon, std::uint64_t options,
                              const std::function<bool(KELI* item)>& writeOutside);
    // Whether the Object now has the type; a store that cannot keep the change leaves the old one.
    bool changeItem(KELI* item, const std::string& itemType);

    // Links between Objects.
    KELI* lienConnexionWithParent(KELI* parent, KELI* enfant);
    std::vector<KELI*> lienConnexionsForItem(KELI* item);
    std::vector<KELI*> connectedItemsForItem(KELI* item);
    // nullptr when there is none.
    const std::vector<KELI*>* impactedLiensForParentFiltreItem(KELI* item);
    const std::vector<KELI*>* impactedLiensForEnfantFiltreItem(KELI* item);

    // The user's commands on one Link, each followed by the cursor's refresh.
    void recallLienConnexionWithParent(KELI* parent, KELI* enfant);
    void retainLienConnexionWithParent(KELI* parent, KELI* enfant);
    void releaseLienConnexionWithParent(KELI* parent, KELI* enfant);
    void forgetLienConnexionWithParent(KELI* parent, KELI* enfant);
    // The same on several Links, one refresh at the end.
    void recallLienConnexionForLinkObjects(const std::vector<const ZEVLinkPair*>& links);
    void releaseLienConnexionForLinkObjects(const std::vector<const ZEVLinkPair*>& links);

    // The dated cores of Recall and Retain.
    void recallLienConnexionWithParentRecallDate(KELI* parent, KELI* enfant, KELDate date);
    void retainLienConnexionWithParentRecallDate(KELI* parent, KELI* enfant, KELDate date);

    // Update delegate, for the Link relation on the cursor and its context.
    void activationDuLien(KELI* lien, KELICc* curseur) override;
    void desactivationDuLien(KELI* lien, KELICc* curseur) override;

    // The context's lancerOut and lancerIn, then the cursor's placeToi: the link base then raises
    // the activation messages of the links just changed.
    void refresh();

private:
    KELI* creerConnexion(KELI* parent, KELI* enfant, KELDate in, KELDate out);
    KELDate finDuGoTo(KELDate date);
    void releaseAt(KELI* parent, KELI* enfant, KELDate date);

    KELICurseur* curseur_;        // not owned
    ZEVSpaceForDeskModels* space_;     // not owned; may be null
    ZEVItemViewerForDesks* itemViewer_ = nullptr; // not owned
    KELIModel* itemModel_ = nullptr;              // links live for the run
    KELIModel* motModel_ = nullptr;
    KELIElemRelation* typeRelation_ = nullptr;
    KELIElemRelation* iconRelation_ = nullptr;
    KELIElemRelation* linkRelation_ = nullptr;
    bool siEnclenche_ = false;
};

} // namespace tallomer
