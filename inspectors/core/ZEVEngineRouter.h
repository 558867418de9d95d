#pragma once
// The engine's update notices of an inspector model, routed by (relation, cursor or context) to
// the handler registered for that pair. Registrations are made with the engine in the order
// given and all taken back when the router goes.

#include "engine/KELICc.h"

#include <functional>
#include <vector>

namespace tallomer {

class ZEVEngineRouter final : public KELDelegueDeMaj {
public:
    using Handler = std::function<void(KELI* lien, KELICc* curseur, bool activation)>;

    ZEVEngineRouter() = default;
    ~ZEVEngineRouter() override { toutRetirer(); }
    ZEVEngineRouter(const ZEVEngineRouter&) = delete;
    ZEVEngineRouter& operator=(const ZEVEngineRouter&) = delete;

    // A null cursor is skipped; a pair already registered is not registered twice.
    void enregistrer(KELId relation, KELICc* curseur, Handler handler);
    void toutRetirer();
    std::size_t size() const { return entrees_.size(); }

    void activationDuLien(KELI* lien, KELICc* curseur) override { router(lien, curseur, true); }
    void desactivationDuLien(KELI* lien, KELICc* curseur) override { router(lien, curseur, false); }

private:
    struct Entree {
        KELId relation;
        KELICc* curseur; // not owned: cursors live for the run
        Handler handler;
    };
    void router(KELI* lien, KELICc* curseur, bool activation);
    std::vector<Entree> entrees_;
};

} // namespace tallomer
