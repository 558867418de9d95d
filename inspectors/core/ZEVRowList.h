#pragma once
// One list of an inspector's rows: the Objects listed, each once, in the order they first came,
// and for each the number of reasons it is listed, kept by reason (one per presence interval in
// the window, one while it is a retained selection, one while it was found). A row lives while
// its total is above zero. Adding and removing cost the same whatever the row count; the rows as
// the table reads them are rebuilt only when asked after a change.

#include "inspectors/table/ZEVTableProtocols.h"

#include <array>
#include <cstdint>
#include <list>
#include <unordered_map>
#include <vector>

class KELI;

namespace tallomer {

enum class ZEVRowReason : std::uint8_t { Lego = 0, Retenu = 1, Trouve = 2 };

class ZEVRowList {
public:
    // One more reason for the Object; true when that made it a row.
    bool ajouter(KELI* item, ZEVRowReason reason);
    // One reason less; true when that ended the row. A reason never held is not taken (false):
    // counts never fall below zero.
    bool enlever(KELI* item, ZEVRowReason reason);

    bool contient(KELI* item) const { return entrees_.count(item) != 0; }
    int count(KELI* item) const;
    int count(KELI* item, ZEVRowReason reason) const;
    std::size_t size() const { return ordre_.size(); }
    bool empty() const { return ordre_.empty(); }
    // In the order of first arrival.
    const std::list<KELI*>& items() const { return ordre_; }
    std::vector<KELI*> itemsVector() const { return std::vector<KELI*>(ordre_.begin(), ordre_.end()); }
    // The rows as the table reads them, brought up to date.
    const std::vector<ZEVTableElement>& elements() const;
    // Index of the Object's row in arrival order, -1 when not listed (linear).
    int indexOf(KELI* item) const;
    void vider();
    // The rows are exactly the Objects with a positive count, once each (debug check).
    bool invariant() const;

private:
    struct Entree {
        std::array<int, 3> counts{0, 0, 0};
        std::list<KELI*>::iterator place;
        int total() const { return counts[0] + counts[1] + counts[2]; }
    };
    std::unordered_map<KELI*, Entree> entrees_;
    std::list<KELI*> ordre_;
    mutable std::vector<ZEVTableElement> elements_;
    mutable bool siElementsAJour_ = true;
};

} // namespace tallomer
