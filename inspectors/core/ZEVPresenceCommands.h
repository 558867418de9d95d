#pragma once
// The temporal commands an inspector gives on the presence of Objects in its panel: Release,
// Forget, Recall Now, Recall and Retain, on one viewer relation (a link from the current
// Channel's identity to the Object, a "lego"). Written once for every inspector kind: a kind gives
// its relation and how it finds an Object's legos at a cursor; a kind that must act on the links
// it makes (the Images panel sets a background from them) is told of each one.

#include "desk/model/ZEVNewInterval.h"
#include "engine/KELTypes.h"

#include <functional>
#include <vector>

class KELI;
class KELICurseur;

namespace tallomer {

class ZEVSpaceController;

class ZEVPresenceCommands {
public:
    // The Object's legos active at a cursor, of every Channel.
    using LegosAt = std::function<std::vector<KELI*>(KELI* item, KELICurseur* curseur)>;
    // Told of each lego made by Recall, Recall Now or Retain.
    using DidCreate = std::function<void(KELI* lego)>;

    // `space` is not owned and outlives this.
    ZEVPresenceCommands(ZEVSpaceController& space, KELId relation, LegosAt legosAt, DidCreate didCreate = {});

    // The current Channel's identity; nullptr before the Space has one.
    KELI* identity() const;
    // The Object's first lego of the current Channel at the cursor; nullptr for none.
    KELI* legoAt(KELI* item, KELICurseur* curseur) const;

    // Each present Object's lego ends (Release) or begins (Forget, which erases the presence
    // before) at the active cursor's date; Objects without one are skipped. The active cursor's
    // window follows.
    void release(const std::vector<KELI*>& items);
    void forget(const std::vector<KELI*>& items);
    // A new lego at the Now cursor for each Object without one there.
    void recallNow(const std::vector<KELI*>& items);
    // Each Object's equivalent in the current Channel (found or made; one that cannot be is
    // skipped) gets a lego at the active cursor when it has none; answers the equivalents, whose
    // icons the desk then selects. With Objects of other Channels it is one act, `first` (what a
    // kind writes beside) included: stored whole or not at all, and then no record is left of an
    // equivalent it made, and it answers none.
    std::vector<KELI*> recall(const std::vector<KELI*>& items, const std::function<void()>& first = {});
    // Whether every Object is the current Channel's own: its Recall then makes no equivalent (an
    // Object and a record in another store) and writes links only.
    bool siDuCanal(const std::vector<KELI*>& items) const;
    // Each Object without a lego at the active cursor is kept until then: its earlier lego is
    // stretched to the cursor, or, having none, one from always is made.
    void retain(const std::vector<KELI*>& items);

    // The interval every new lego of one command starts from: the lego being dragged in the
    // front's list copied (or opened from the date when the date lies past its end), else to the
    // go-to end, else open.
    static ZEVInterval commonInterval(KELDate date, const KELI* dragging, bool siGoToMode, KELDate goToEnd);
    // One Object's end: the common end, cut where its next lego begins (`nextIn`, 0 for none).
    static KELDate endBefore(KELDate commonEnd, KELDate nextIn);

    // Forgets every live link of the relation whose child is the Object, in every Channel; a link
    // that cannot be loaded is logged as "<warning> LienForInt:<id> not found !" and skipped.
    // Answers how many were forgotten.
    static int forgetAllPresences(KELId relation, KELId itemInt, KELICurseur* curseur, const char* warning);

private:
    KELICurseur* actif() const;
    // The equivalents and their legos, in whatever act is under way.
    std::vector<KELI*> lierLesEquivalents(const std::vector<KELI*>& items, KELICurseur* curseur);
    // The records and drop folders, in the Channel's store, of those equivalents the store lost.
    static void oublierLesEquivalentsPerdus(const std::vector<KELI*>& pris, KELId canal);
    // Makes the Object's lego from `in` at the cursor, its end cut by its next lego.
    KELI* creerLego(KELI* item, KELDate in, KELDate commonEnd, KELICurseur* curseur);
    void replacerFenetre(KELICurseur* curseur);
    ZEVInterval intervalleCommun(KELDate date, KELICurseur* curseur) const;

    ZEVSpaceController& space_;
    KELId relation_;
    LegosAt legosAt_;
    DidCreate didCreate_;
};

} // namespace tallomer
