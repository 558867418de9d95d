#include "inspectors/core/ZEVRowList.h"

#include <unordered_set>

namespace tallomer {

bool ZEVRowList::ajouter(KELI* item, ZEVRowReason reason)
{
    if (!item)
        return false;
    auto [it, nouveau] = entrees_.try_emplace(item);
    if (nouveau) {
        it->second.place = ordre_.insert(ordre_.end(), item);
        siElementsAJour_ = false;
    }
    ++it->second.counts[std::size_t(reason)];
    return nouveau;
}

bool ZEVRowList::enlever(KELI* item, ZEVRowReason reason)
{
    auto it = entrees_.find(item);
    if (it == entrees_.end() || it->second.counts[std::size_t(reason)] <= 0)
        return false;
    --it->second.counts[std::size_t(reason)];
    if (it->second.total() > 0)
        return false;
    ordre_.erase(it->second.place);
    entrees_.erase(it);
    siElementsAJour_ = false;
    return true;
}

int ZEVRowList::count(KELI* item) const
{
    auto it = entrees_.find(item);
    return it == entrees_.end() ? 0 : it->second.total();
}

int ZEVRowList::count(KELI* item, ZEVRowReason reason) const
{
    auto it = entrees_.find(item);
    return it == entrees_.end() ? 0 : it->second.counts[std::size_t(reason)];
}

const std::vector<ZEVTableElement>& ZEVRowList::elements() const
{
    if (!siElementsAJour_) {
        elements_.clear();
        elements_.reserve(ordre_.size());
        for (KELI* item : ordre_)
            elements_.push_back(ZEVTableElement{item, nullptr});
        siElementsAJour_ = true;
    }
    return elements_;
}

int ZEVRowList::indexOf(KELI* item) const
{
    if (!contient(item))
        return -1;
    int i = 0;
    for (KELI* o : ordre_) {
        if (o == item)
            return i;
        ++i;
    }
    return -1;
}

void ZEVRowList::vider()
{
    entrees_.clear();
    ordre_.clear();
    siElementsAJour_ = false;
}

bool ZEVRowList::invariant() const
{
    if (entrees_.size() != ordre_.size())
        return false;
    std::unordered_set<KELI*> vus;
    for (KELI* o : ordre_) {
        auto it = entrees_.find(o);
        if (it == entrees_.end() || it->second.total() <= 0 || !vus.insert(o).second || *it->second.place != o)
            return false;
        for (int c : it->second.counts)
            if (c < 0)
                return false;
    }
    return true;
}

} // namespace tallomer
