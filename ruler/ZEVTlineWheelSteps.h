#pragma once
// The arithmetic of the cursor views' wheel and pinch steps, apart from events and moves, so that
// the limits can be checked on their own: how far one wheel amount moves a context edge and how
// the visible range follows it, how the whole context narrows around its cursor, and where a
// Search cursor moved towards the Now cursor stops.

namespace tallomer {

enum class ZEVBord { In, Out };

// One wheel or pinch amount a (seconds) on one edge of a context of length C, on a visible range
// of span S, the edge lying `ecart` seconds from its cursor. A positive amount widens the context.
struct ZEVPasDeBord {
    enum class Issue {
        Zero,          // the step moves nothing
        ContexteCourt, // the context is at most 0.20001 s long: it is left as it is
        Limite,        // the edge already lies 0.1 s from its cursor
        Pas,           // the edge moves by e, the range's span by r
    };
    Issue issue = Issue::Zero;
    double e = 0;
    double r = 0;
    // The step was cut to leave exactly 0.1 s between the edge and the cursor.
    bool coupe = false;
};
ZEVPasDeBord pasDeBord(ZEVBord bord, double a, double S, double C, double ecart);

// The amounts added to the visible range's offsets.
struct ZEVDecalage {
    double in = 0;
    double out = 0;
};
// The range slides with the moved edge, which keeps its place on the strip.
inline ZEVDecalage glisser(double e) { return {e, e}; }
// The span becomes S + r and the in-edge at q seconds from the range's start keeps its relative
// place, so the context keeps its place and width on the strip while the scale changes.
ZEVDecalage reechelonner(ZEVBord bord, double e, double r, double q, double S);

// The whole context narrowed by z seconds of the strip's scale around its cursor, on a strip W
// points wide; rho are the relative places of the cursor and the edges on the strip. The edges
// share the change by the cursor's place in the context (phi); nothing is taken unless the
// context stays longer than 0.2 s.
struct ZEVPasDuContexte {
    bool pris = false;
    double phi = 0;
    double u = 0;
    double in = 0;  // move of the in-edge
    double out = 0; // move of the out-edge
};
ZEVPasDuContexte pasDuContexte(double z, double W, double rhoCurseur, double rhoIn, double rhoOut, double longueur);

// A horizontal step m of the Search cursor, g0 the gap to the Now cursor when the gesture took its
// direction and n the gap now: a step that would pass the Now cursor while moving towards it stops
// on it. A gesture that began on the Now cursor (g0 = 0) is not held.
struct ZEVPasVersNow {
    double pas = 0;
    bool surPlace = false;
};
ZEVPasVersNow pasVersNow(double m, double g0, double n);

} // namespace tallomer
