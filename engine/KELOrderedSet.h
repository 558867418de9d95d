#pragma once
// An insertion-ordered set of non-owned pointers with O(1) add, remove and membership.
//
// The per-cursor indexes hold lists that can run to hundreds of thousands of links (every icon
// of a Channel has the Channel as parent), and scrubbing a cursor adds and removes entries one
// by one; plain vectors would make each removal linear. Most lists, though, hold one or two
// entries (the parents of one Object): those stay a small vector, searched in place, and get a
// hash index only once they grow. Entries may be added more than once: the set keeps a
// multiplicity and removing takes one occurrence away, so an object stays listed while any of
// the links that put it there is active. A small list keeps its multiplicities beside it rather
// than in a second heap block, in the room the index pointer takes once the list grows: an
// activation makes and drops a few such lists, and every object of every window keeps two. The
// index of a large list is one open-addressed array, so adding and removing entries allocates
// nothing.

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

template <class T>
class KELOrderedSet {
public:
    KELOrderedSet() { petits_.fill(0); }
    ~KELOrderedSet()
    {
        if (indexe_)
            delete index_;
    }
    KELOrderedSet(const KELOrderedSet&) = delete;
    KELOrderedSet& operator=(const KELOrderedSet&) = delete;
    KELOrderedSet(KELOrderedSet&& autre) noexcept { prendre(autre); }
    KELOrderedSet& operator=(KELOrderedSet&& autre) noexcept
    {
        if (this != &autre) {
            if (indexe_)
                delete index_;
            prendre(autre);
        }
        return *this;
    }

    // Adds one occurrence; answers true when the object was not present before.
    bool add(T* item)
    {
        if (!indexe_) {
            for (std::size_t i = 0; i < items_.size(); ++i) {
                if (items_[i] != item)
                    continue;
                if (petits_[i] < kCompteMaxPetit) {
                    ++petits_[i];
                    return false;
                }
                indexer(); // a multiplicity past what the small form holds
                ++trouver(item)->count;
                return false;
            }
            if (items_.size() < kPetit) {
                petits_[items_.size()] = 1;
                items_.push_back(item);
                return true;
            }
            indexer();
        }
        if (Case* c = trouver(item)) {
            ++c->count;
            return false;
        }
        // A list that keeps its size while members come and go would otherwise grow its holes
        // without bound until someone reads it.
        if (holes_ > kTrousMin && holes_ > 4 * index_->taille)
            compact();
        inserer(item, static_cast<std::uint32_t>(items_.size()), 1);
        items_.push_back(item);
        return true;
    }

    // Removes one occurrence; answers true when the object is gone entirely.
    bool removeOne(T* item)
    {
        if (!indexe_) {
            for (std::size_t i = 0; i < items_.size(); ++i) {
                if (items_[i] != item)
                    continue;
                if (--petits_[i] > 0)
                    return false;
                items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(i));
                std::copy(petits_.begin() + static_cast<std::ptrdiff_t>(i) + 1, petits_.end(),
                          petits_.begin() + static_cast<std::ptrdiff_t>(i));
                petits_[kPetit - 1] = 0;
                return true;
            }
            return false;
        }
        Case* c = trouver(item);
        if (!c)
            return false;
        if (--c->count > 0)
            return false;
        items_[c->pos] = nullptr;
        c->cle = tombe();
        --index_->taille;
        ++holes_;
        // A list that was large once (all the links at some moment) and is nearly empty now would
        // keep every probe in a table far larger than the cache.
        if (index_->cases.size() > kCasesMin && index_->taille * 16 < index_->cases.size()) {
            compact();
            redimensionner(index_->taille);
        }
        return true;
    }

    bool contains(T* item) const
    {
        if (!indexe_)
            return std::find(items_.begin(), items_.end(), item) != items_.end();
        return trouver(item) != nullptr;
    }
    std::size_t size() const { return indexe_ ? index_->taille : items_.size(); }
    // Slots the member list takes, members and holes left by removals.
    std::size_t emplacements() const { return items_.size(); }
    bool empty() const { return size() == 0; }
    std::uint32_t multiplicity(T* item) const
    {
        if (!indexe_) {
            for (std::size_t i = 0; i < items_.size(); ++i)
                if (items_[i] == item)
                    return petits_[i];
            return 0;
        }
        const Case* c = trouver(item);
        return c ? c->count : 0;
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
        if (indexe_)
            delete index_;
        indexe_ = false;
        petits_.fill(0);
        holes_ = 0;
    }

private:
    static constexpr std::size_t kPetit = 8;
    static constexpr std::uint8_t kCompteMaxPetit = 255;
    static constexpr std::size_t kTrousMin = 64;
    static constexpr std::size_t kCasesMin = 256;
    struct Case {
        T* cle; // nullptr: never used; tombe(): emptied
        std::uint32_t pos;
        std::uint32_t count;
    };
    struct Table {
        std::vector<Case> cases; // a power of two, at most three quarters occupied
        std::size_t taille = 0;    // members
        std::size_t occupees = 0;  // members and emptied cases
    };

    static T* tombe() { return reinterpret_cast<T*>(std::uintptr_t{1}); }
    static std::size_t hacher(const T* p, std::size_t masque)
    {
        auto v = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(p));
        v ^= v >> 17;
        v *= 0x9E3779B97F4A7C15ull;
        return static_cast<std::size_t>(v >> 32) & masque;
    }

    void prendre(KELOrderedSet& autre)
    {
        items_ = std::move(autre.items_);
        indexe_ = autre.indexe_;
        if (indexe_)
            index_ = autre.index_;
        else
            petits_ = autre.petits_;
        holes_ = autre.holes_;
        autre.items_.clear();
        autre.indexe_ = false;
        autre.petits_.fill(0);
        autre.holes_ = 0;
    }

    Case* trouver(const T* item) const
    {
        std::vector<Case>& cases = index_->cases;
        const std::size_t masque = cases.size() - 1;
        for (std::size_t i = hacher(item, masque);; i = (i + 1) & masque) {
            if (cases[i].cle == item)
                return &cases[i];
            if (!cases[i].cle)
                return nullptr;
        }
    }

    // `item` is not in the table.
    void inserer(T* item, std::uint32_t pos, std::uint32_t count)
    {
        if ((index_->occupees + 1) * 4 > index_->cases.size() * 3)
            redimensionner(index_->taille + 1);
        std::vector<Case>& cases = index_->cases;
        const std::size_t masque = cases.size() - 1;
        std::size_t i = hacher(item, masque);
        while (cases[i].cle && cases[i].cle != tombe())
            i = (i + 1) & masque;
        if (!cases[i].cle)
            ++index_->occupees;
        cases[i] = Case{item, pos, count};
        ++index_->taille;
    }

    // Room for `membres` at half load at most; emptied cases are dropped on the way.
    void redimensionner(std::size_t membres)
    {
        std::size_t taille = 32;
        while (taille < membres * 2)
            taille *= 2;
        std::vector<Case> anciennes(taille, Case{nullptr, 0, 0});
        anciennes.swap(index_->cases);
        index_->taille = 0;
        index_->occupees = 0;
        for (const Case& c : anciennes)
            if (c.cle && c.cle != tombe())
                inserer(c.cle, c.pos, c.count);
    }

    // From the small form to the indexed one; the multiplicities move into the table.
    void indexer()
    {
        const std::array<std::uint8_t, kPetit> comptes = petits_;
        index_ = new Table();
        indexe_ = true;
        redimensionner(items_.size() + 1);
        for (std::size_t i = 0; i < items_.size(); ++i)
            inserer(items_[i], static_cast<std::uint32_t>(i), comptes[i]);
    }

    void compact() const
    {
        std::size_t w = 0;
        for (std::size_t r = 0; r < items_.size(); ++r) {
            if (!items_[r])
                continue;
            items_[w] = items_[r];
            trouver(items_[w])->pos = static_cast<std::uint32_t>(w);
            ++w;
        }
        items_.resize(w);
        holes_ = 0;
    }

    mutable std::vector<T*> items_;
    union {
        std::array<std::uint8_t, kPetit> petits_; // multiplicities while there is no index
        Table* index_;                            // owned, once indexed
    };
    mutable std::uint32_t holes_ = 0;
    bool indexe_ = false;
};
