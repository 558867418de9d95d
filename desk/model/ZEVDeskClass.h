#pragma once
// The model of one cursor's desk: which Objects lie on a Channel's desk at the cursor's moment,
// where, how large and under which title. An icon is a link Channel -> Object over [in, out); the
// geometry and the title belong to the Object as dated attribute links, one value at any moment.
// It carries out the user's commands on icons and dated changes of place and title, and turns the
// link base's activation messages into calls on its desk viewer. It draws nothing and caches
// nothing: every read goes to the link base through the cursor or its context.

#include "services/ZEVIconPosition.h"
#include "engine/KELICc.h"
#include "engine/KELTypes.h"
#include "space/desk/ZEVDeskGeometry.h"

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

class KELICurseur;
class KELIModel;
class KELIElemRelation;

namespace tallomer {

class ZEVDeskViewerForDeskModels;
class ZEVItemClass;
class ZEVItemViewerForDesks;
class ZEVSpaceForDeskModels;

class ZEVDeskClass final : public KELDelegueDeMaj {
public:
    // Neither argument is owned; `space` may be null (no window: positions in desk units, no
    // Space end, no go-to).
    ZEVDeskClass(KELICurseur* curseur, ZEVSpaceForDeskModels* space);
    ~ZEVDeskClass() override;
    ZEVDeskClass(const ZEVDeskClass&) = delete;
    ZEVDeskClass& operator=(const ZEVDeskClass&) = delete;

    bool valide() const;

    // Companions of the same cursor; not owned.
    void referencerDeskViewer(ZEVDeskViewerForDeskModels* v) { deskViewer_ = v; }
    void referencerItemViewer(ZEVItemViewerForDesks* v) { itemViewer_ = v; }
    void referencerItemClass(ZEVItemClass* c) { itemClass_ = c; }
    ZEVSpaceForDeskModels* spaceController() const { return space_; }
    // The presence interval being dragged in the front's selection list; nullptr for none.
    KELI* draggingLego() const;
    ZEVItemClass* itemClass() const { return itemClass_; }
    KELICurseur* curseur() const { return curseur_; }
    KELICc* contexte() const;

    void enclencherMaj();
    void initialiser();

    // Reads.
    ZEVIconPosition rectCurseurForItem(KELI* item);
    ZEVIconPosition rectContexteInForItem(KELI* item);
    ZEVIconPosition rectContexteOutForItem(KELI* item);
    std::optional<std::string> itemTitleCurseurForItem(KELI* item);
    std::optional<std::string> itemTitleContexteInForItem(KELI* item);
    std::optional<std::string> itemTitleContexteOutForItem(KELI* item);
    std::optional<std::string> itemTypeForItem(KELI* item);
    std::vector<KELI*> liensForIconViewerRelation();
    std::vector<KELI*> itemsForIconViewerRelation();
    bool siIconExisteForItem(KELI* item);

    // Changes. None refreshes the cursor: the callers do, once they are done.
    KELI* creerIconForItem(KELI* item, KELDate inDate, KELDate outDate);
    void creerIconAttributsForItem(KELI* item, const ZEVIconPosition& position);
    void releaseIconForItem(KELI* item);
    void releaseIconForItems(const std::vector<KELI*>& items);
    void releaseIconForItems(const std::vector<KELI*>& items, KELDate transitionDate);
    void forgetIconForItem(KELI* item);
    void forgetIconForItems(const std::vector<KELI*>& items);
    void recallIconForItem(KELI* item, KELDate recallDate);
    bool recallIconForItem(KELI* item, KELDate recallDate, const ZEVIconPosition& newPosition,
                           const ZEVIconPosition& oldPosition);
    // Each Object's first icon link after a date (by Object id), read at once for a recall of
    // many Objects: one read of the store instead of one per Object.
    using NextIcons = std::unordered_map<KELId, KELId>;
    static NextIcons nextIconsAfter(KELDate date);
    bool recallIconForItem(KELI* item, KELDate recallDate, const ZEVIconPosition& newPosition,
                           const ZEVIconPosition& oldPosition, const NextIcons* next);
    void retainIconForItem(KELI* item);
    void retainIconForItems(const std::vector<KELI*>& items);
    // Whether the store kept the change; when it did not, the Object keeps its old place or title,
    // in the store as in memory.
    bool updatePosition(const ZEVIconPosition& newPosition, const ZEVIconPosition& oldPosition, KELI* item);
    bool updatePosition(const ZEVIconPosition& newPosition, const ZEVIconPosition& oldPosition, KELI* item,
                        KELDate date);
    bool updateItemTitle(const std::string& title, KELI* item);
    bool updateItemTitle(const std::string& title, KELI* item, KELDate date);
    void updateSpaceTitle(const std::string& title, KELI* item);

    void activationDuLien(KELI* lien, KELICc* curseur) override;
    void desactivationDuLien(KELI* lien, KELICc* curseur) override;

    // The size as stored and compared: to the nearest half point.
    static double tailleArrondie(double size);

    // A place read from these stored numbers (desk units): the points, and the numbers kept.
    static ZEVIconPosition placeLue(const ZEVDeskGeometry& g, float x, float y, float s, float angle);
    // A place's four stored numbers.
    struct Nombres {
        float x = 0;
        float y = 0;
        float s = 0;
        float angle = 0;
    };
    // The numbers to store for a place: those it was read from where it still stands there, else
    // those `avant` (the place it replaces) was read from where it stands at that one's points,
    // else the conversion of its points (the size rounded to the half point first).
    static Nombres nombresPour(const ZEVDeskGeometry& g, const ZEVIconPosition& p,
                               const ZEVIconPosition* avant = nullptr);

private:
    void attributChange(KELI* lien, KELICc* curseur);
    struct Decalage {
        double k = 0;
        double tailleDefaut = 0;
        double pas = 0;
    };
    ZEVDeskGeometry& geometrie();
    KELI* canalDeLItem(KELI* item);
    KELDate finDeLEspace(KELDate date);
    ZEVIconPosition positionParDefaut();
    void retainAt(KELI* item, KELDate date, Decalage* decalage);
    KELI* premierIconeActif(KELI* item);
    ZEVIconPosition positionDansLaFenetre(KELI* item, bool premier);
    std::optional<std::string> titreDansLaFenetre(KELI* item, bool premier);
    // Gives the attribute the value from `date` until its next change: the link valid at that date
    // is closed there (never before its own in-date) and the new one runs up to the next in-date.
    KELI* changerAttribut(KELI* item, KELId relation, KELI* valeur, KELDate date, bool siToujoursQuandAucun);
    KELI* nombre(double valeur);
    KELI* mot(const std::string& texte);

    KELICurseur* curseur_;     // not owned
    ZEVSpaceForDeskModels* space_;  // not owned; may be null
    ZEVDeskViewerForDeskModels* deskViewer_ = nullptr; // not owned
    ZEVItemViewerForDesks* itemViewer_ = nullptr; // not owned
    ZEVItemClass* itemClass_ = nullptr;           // not owned
    ZEVDeskGeometry geometrieParDefaut_;
    KELIModel* nombreModel_ = nullptr; // links live for the run
    KELIModel* motModel_ = nullptr;
    KELIElemRelation* iconRelation_ = nullptr;
    KELIElemRelation* xRelation_ = nullptr;
    KELIElemRelation* yRelation_ = nullptr;
    KELIElemRelation* sRelation_ = nullptr;
    KELIElemRelation* angleRelation_ = nullptr;
    KELIElemRelation* titleRelation_ = nullptr;
    KELIElemRelation* typeRelation_ = nullptr;
    bool siEnclenche_ = false;
};

} // namespace tallomer
