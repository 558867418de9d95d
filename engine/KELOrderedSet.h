#pragma once
// An insertion-ordered set of non-owned pointers with O(1) add, remove and membership.
//
// The per-cursor indexes hold lists that can run to hundreds of thousands of links (every icon
// of a Channel has the Channel as parent), and scrubbing a cursor adds and removes entries one
// by one; plain vectors would make each removal linear. Most lists, though, hold one or two
// entries (the parents of one Object): those stay a small vector, searched in place, and get a
// hash index only once they grow. Entries may be added more than once: the set keeps a
// multiplicity and removing takes one occurrence away, so an object stays listed while any of
// the links that put it there is active.

#include <algorithm>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

template <class T>
class KELOrderedSet {
public:
    // Adds one occurrence; answers true when the object was not present before.
    bool add(T* item)
    {
        if (!index_) {
            for (std::size_t i = 0; i < items_.size(); ++i) {
                if (items_[i] == item) {
                    ++counts_[i];
                    return false;
                }
            }
            items_.push_back(item);
            counts_.push_back(1);
            if (items_.size() > kPetit)
                indexer();
            return true;
        }
        auto [it, inserted] = index_->try_emplace(item, Slot{static_cast<std::uint32_t>(items_.size()), 0});
        ++it->second.count;
        if (inserted)
            items_.push_back(item);
        return inserted;
    }

    // Removes one occurrence; answers true when the object is gone entirely.
    bool removeOne(T* item)
    {
        if (!index_) {
            for (std::size_t i = 0; i < items_.size(); ++i) {
                if (items_[i] != item)
                    continue;
                if (--counts_[i] > 0)
                    return false;
                items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(i));
                counts_.erase(counts_.begin() + static_cast<std::ptrdiff_t>(i));
                return true;
            }
            return false;
        }
        auto it = index_->find(item);
        if (it == index_->end())
            return false;
        if (--it->second.count > 0)
            return false;
        items_[it->second.pos] = nullptr;
        index_->erase(it);
        ++holes_;
        return true;
    }

    bool contains(T* item) const
    {
        if (!index_)
            return std::find(items_.begin(), items_.end(), item) != items_.end();
        return index_->count(item) != 0;
    }
    std::size_t size() const { return index_ ? index_->size() : items_.size(); }
    bool empty() const { return size() == 0; }
    std::uint32_t multiplicity(T* item) const
    {
        if (!index_) {
            for (std::size_t i = 0; i < items_.size(); ++i)
                if (items_[i] == item)
                    return counts_[i];
            return 0;
        }
        auto it = index_->find(item);
        return it == index_->end() ? 0 : it->second.count;
    }

    // The distinct members in order of first insertion.
    const std::vector<T*>& items() const
    {
        if (holes_ > 0)
            compact();
        return items_;
    }

    T* first() const
    {
        for (T* p : items_)
            if (p)
                return p;
        return nullptr;
    }

    T* last() const
    {
        for (auto it = items_.rbegin(); it != items_.rend(); ++it)
            if (*it)
                return *it;
        return nullptr;
    }

    void clear()
    {
        items_.clear();
        counts_.clear();
        index_.reset();
        holes_ = 0;
    }

private:
    static constexpr std::size_t kPetit = 8;
    struct Slot {
        std::uint32_t pos;
        std::uint32_t count;
    };

    void indexer()
    {
        index_ = std::make_unique<std::unordered_map<T*, Slot>>();
        index_->reserve(items_.size() * 2);
        for (std::size_t i = 0; i < items_.size(); ++i)
            index_->emplace(items_[i], Slot{static_cast<std::uint32_t>(i), counts_[i]});
        counts_.clear();
        counts_.shrink_to_fit();
    }

    void compact() const
    {
        std::size_t w = 0;
        for (std::size_t r = 0; r < items_.size(); ++r) {
            if (!items_[r])
                continue;
            items_[w] = items_[r];
            (*index_)[items_[w]].pos = static_cast<std::uint32_t>(w);
            ++w;
        }
        items_.resize(w);
        holes_ = 0;
    }

    mutable std::vector<T*> items_;
    std::vector<std::uint32_t> counts_; // multiplicities while there is no index
    mutable std::unique_ptr<std::unordered_map<T*, Slot>> index_;
    mutable std::size_t holes_ = 0;
};
