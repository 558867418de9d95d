#pragma once
// What the KeyTime window may read and move of the Space window: the time cursors, the timeline
// context (its offsets are the ruler's visible range around the timeline cursor), the active
// cursor, the ruler's move protocol and animations, and the ruler bar's three mode buttons. The
// application shell answers it over the space controller and its ruler; KeyTime reaches nothing
// else of the Space.

#include "engine/KELTypes.h"
#include "runtime/Date.h"

class KELICurseur;
class KELIContexte;
class QWidget;

namespace tallomer {

class ZEVKeyTimeSpace {
public:
    virtual ~ZEVKeyTimeSpace() = default;

    // The window KeyTime windows stand above.
    virtual QWidget* spaceWindow() = 0;

    virtual KELICurseur* nowCurseur() = 0;
    virtual KELICurseur* searchCurseur() = 0;
    virtual KELICurseur* actifCurseur() = 0;
    virtual KELICurseur* tlCurseur() = 0;
    virtual KELIContexte* tlContexte() = 0;

    // Makes the cursor the active one and the one moved; true when the active cursor changed.
    virtual bool userChangeActifCurseur(KELICurseur* curseur) = 0;

    // ---- the move protocol ----
    // Starts a move; false while another one runs.
    virtual bool userInitieDeplacementCurseur() = 0;
    virtual void userTermineDeplacementCurseur() = 0;
    // Cancels every pending animation step and ends a move in progress.
    virtual void userDesactiveAnimer() = 0;
    // Adds the deltas to the visible range's edges; false, and nothing moved, when the range
    // would become shorter than a minute (or absurdly long).
    virtual bool userPlaceRulerOffsetIn(double dIn, double dOut) = 0;
    // Each begins a move (nothing when refused) and glides over `duration` seconds.
    virtual void userAnimeNow(float duration, double cOffsetIn, double cOffsetOut, double rOffsetIn,
                              double rOffsetOut) = 0;
    virtual void userAnimeSearch(float duration, KELDate date, double cOffsetIn, double rOffsetIn,
                                 double rOffsetOut) = 0;
    virtual void userAnimeRuler(float duration, double rOffsetIn, double rOffsetOut) = 0;

    // ---- the ruler bar ----
    virtual bool stateOfNowButton() = 0;
    virtual bool stateOfSearchButton() = 0;
    virtual bool stateOfRulerButton() = 0;
    // The bar switches to the Now cursor, or to Ruler mode, as its commands without a sender do.
    virtual void menuNowCurseur() = 0;
    virtual void menuRuler() = 0;
};

} // namespace tallomer
