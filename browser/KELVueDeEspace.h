#pragma once
// The Space window as the browser's columns reach it: its ruler viewer, through which a column on
// one of the cursors the Space shows begins and ends its moves, so that one move runs at a time
// across both windows and the Space's desks and strip follow. The application hands it over once
// the Space exists; without it (or for other cursors) a column moves its cursor alone.

#include <cstdint>

class KELICurseur;

namespace tallomer {

class ZEVRulerViewerServices;

class KELVueDeEspace {
public:
    virtual ~KELVueDeEspace() = default;
    // nullptr while the Space window has no ruler.
    virtual ZEVRulerViewerServices* rulerViewer() = 0;
    virtual KELICurseur* nowCurseur() = 0;
    virtual KELICurseur* searchCurseur() = 0;
    virtual KELICurseur* tlCurseur() = 0;
    virtual KELICurseur* actifCurseur() = 0;
    // The number of the ruler's move under way, 0 while none runs: a column ends only the move it
    // was granted, never one begun meanwhile by the Space (an animation's).
    virtual std::uint64_t mouvementEnCours() = 0;

    // Not owned; nullptr when there is no Space.
    static KELVueDeEspace* partage() { return partage_; }
    static void referencer(KELVueDeEspace* espace) { partage_ = espace; }

private:
    static inline KELVueDeEspace* partage_ = nullptr;
};

} // namespace tallomer
