#pragma once
// The Space's steps through time: showing the Now and Search cursors, and Previous and Next Space
// of the current Channel. The steps read the link base's event table directly: every woken link
// stands in it twice (its start and its end), sorted by date. The Spaces menu lists what the walk
// back finds, so the walk is open to it.

#include "engine/KELTypes.h"
#include "runtime/Date.h"

#include <cstddef>
#include <functional>
#include <set>

class KELI;
class KELICurseur;
class KELLien;

namespace tallomer {

class ZEVSpaceController;
struct ZEVChannelPanelSpan;
struct ZEVTimeRegard;

class ZEVSpaceWalks {
public:
    explicit ZEVSpaceWalks(ZEVSpaceController& space) : space_(space) {}
    ZEVSpaceWalks(const ZEVSpaceWalks&) = delete;
    ZEVSpaceWalks& operator=(const ZEVSpaceWalks&) = delete;

    // A Space found by a walk: the date it ends, its image, the index of the event that ended it.
    struct EspaceTrouve {
        KELDate date = 0;
        KELI* image = nullptr;
        std::size_t index = 0;
    };

    void _showNowCursor();
    void _showSearchCursorToDate(KELDate date, bool siDuration);
    void showNowCursorOver(const ZEVChannelPanelSpan* panneau);
    void showSearchCursorToDateOver(KELDate date, bool siDuration, const ZEVChannelPanelSpan* panneau);
    void userGotoPreviousSiDistinct(bool distinct, bool same);
    void userGotoNextSiDistinct(bool distinct, bool same);
    void gotoPreviousFromLien(KELI* lien);

    // The front layer and the Channels inspector hear that a step went to an earlier (precedent)
    // or a later Space, by the Now cursor or not.
    void selectionEspace(bool precedent, bool siNow);
    // The walks read the table: every link of the relations they look at must stand in it.
    void reveillerLesRelations();
    // The link of that id at the Now cursor; nullptr for 0.
    KELI* lienAuNow(KELId id) const;
    KELI* premierEnfant(KELId channel, KELId relation, KELDate date);
    // The walk back of Previous and of the Spaces menu, from `depart` (excluded); `passer` skips
    // an image, `trouve` answers whether to go on. False when the walk met the start.
    bool marcherVersLePasse(std::size_t depart, KELId channel, bool inSpace, KELI* pending,
                            const std::function<bool(KELId)>& passer,
                            const std::function<bool(const EspaceTrouve&)>& trouve);
    // The date a step lands on within a Space found by the walk back.
    KELDate dateDansLEspace(const EspaceTrouve& espace, KELId channel);

    // The images Previous reached (each once) and the background links Next stops at, while the
    // step keys are held; the background browsed with the Command key.
    KELId browsedBackImageInt() const { return browsedBackImageInt_; }
    void setBrowsedBackImageInt(KELId imageInt) { browsedBackImageInt_ = imageInt; }
    std::set<long>& previousImageItemIndexSet() { return previousImageItemIndexSet_; }
    std::set<long>& nextImageLienIndexSet() { return nextImageLienIndexSet_; }

private:
    ZEVTimeRegard regard(const ZEVChannelPanelSpan* panneau) const;
    float dureePourOffset(double offset) const;
    void atterrir(KELDate t, KELICurseur* actif, KELDate now0, bool suivant);
    bool siEvenementDeBureauAvant(KELLien* e, KELId channel);
    bool siEvenementDeBureauApres(KELLien* e, KELId channel, bool depuisLeLien);

    ZEVSpaceController& space_;
    KELId browsedBackImageInt_ = 0;
    std::set<long> previousImageItemIndexSet_;
    std::set<long> nextImageLienIndexSet_;
};

} // namespace tallomer
