#pragma once
// Every statement on table NUMBER; the twin of the word finder.

#include "engine/KELTypes.h"
#include "engine/store/KELChercheurDe.h"

#include <functional>
#include <optional>
#include <vector>

class KELChercheurDeNombres : public KELChercheurDe {
public:
    KELChercheurDeNombres() = default;

    // The stored number; absent when the id has no row (or holds no number).
    std::optional<double> nombreAvecBaseInt(KELId numberId);
    // The stored numbers of `numberIds`, each handed to `nombre`; ids without a number are left out.
    void nombresAvecBasesInt(const std::vector<KELId>& numberIds, const std::function<void(KELId, double)>& nombre);
    // The value element in the user range that owns an equal number; 0 for none.
    KELId nombreIntAvecBaseNum(double number);
    KELId maxIdInt();
    // Writes the number under the id prochainInt, owned by the element lienInt. Id 0 is refused.
    bool creeNombreAvecBaseNum(double number, KELId lienInt, KELId prochainInt);
    bool suppNombreAvecBaseInt(KELId numberId);
};
