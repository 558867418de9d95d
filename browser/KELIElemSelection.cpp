#include "browser/KELIElemSelection.h"

#include "browser/KELVueController.h"

#include <algorithm>

namespace tallomer {

KELIElemSelection::KELIElemSelection(KELVueController* vue, KELId lienInt) : modelInt_(lienInt)
{
    vues_.reserve(3);
    ajouterVueController(vue);
}

void KELIElemSelection::ajouterVueController(KELVueController* vue)
{
    if (vue && std::find(vues_.begin(), vues_.end(), vue) == vues_.end())
        vues_.push_back(vue);
}

void KELIElemSelection::enleverVueController(KELVueController* vue)
{
    vues_.erase(std::remove(vues_.begin(), vues_.end(), vue), vues_.end());
}

void KELIElemSelection::recharger()
{
    // A window may close from inside a reload; walk a copy.
    const auto vues = vues_;
    for (KELVueController* v : vues)
        if (std::find(vues_.begin(), vues_.end(), v) != vues_.end())
            v->recharger();
}

} // namespace tallomer
