#pragma once
// The selection that one or more browser windows opened on the same root share: its two
// selection ids and the windows that show it. Windows add and remove themselves; nothing else
// keeps it.

#include "engine/KELLien.h"
#include "engine/selection/KELSelection.h"

#include <vector>

namespace tallomer {

class KELVueController;

class KELIElemSelection {
public:
    KELIElemSelection(KELVueController* vue, KELId lienInt);
    void ajouterVueController(KELVueController* vue);
    void enleverVueController(KELVueController* vue);
    KELId modelInt() const { return modelInt_; }
    const KELSelIdRef& selIdHl() const { return selIdHl_; }
    const KELSelIdRef& selIdBd() const { return selIdBd_; }
    const std::vector<KELVueController*>& vues() const { return vues_; }
    // Every window that shares this selection reloads.
    void recharger();

private:
    KELId modelInt_;
    KELSelIdRef selIdHl_ = KELSelId::nouveau();
    KELSelIdRef selIdBd_ = KELSelId::nouveau();
    std::vector<KELVueController*> vues_; // not owned
};

} // namespace tallomer
