#pragma once
// Every statement on table WORD. One instance, held by the word server.

#include "engine/KELTypes.h"
#include "engine/store/KELChercheurDe.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

class KELChercheurDeMots : public KELChercheurDe {
public:
    KELChercheurDeMots() = default;

    // The stored word; absent when the id has no row.
    std::optional<std::string> motAvecBaseInt(KELId wordId);
    // The stored words of `wordIds`, each handed to `mot`; ids without a row are left out.
    void motsAvecBasesInt(const std::vector<KELId>& wordIds, const std::function<void(KELId, std::string)>& mot);
    // The value element in the user range that owns an equal word; 0 for none. Words owned by the
    // template's elements are never shared.
    KELId motIntAvecBaseTxt(const std::string& word);
    // A new word id reserved by a placeholder row; 0 when exhausted or not written (logged).
    KELId maxIdInt();
    // Writes the word under the id prochainInt, owned by the element lienInt. Id 0 is refused.
    bool creeMotAvecBaseTxt(const std::string& word, KELId lienInt, KELId prochainInt);
    bool suppMotAvecBaseInt(KELId wordId);
};
