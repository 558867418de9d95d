#pragma once
// A free list of equal-sized blocks for the objects the link base makes by the hundred thousand
// (links, and the representations scrubbing makes and drops): no allocator header per object, and
// objects made together lie together. The link base is used from one thread. Blocks come in
// slices that grow with demand; when the last block goes (the server was reset), the slices go
// back to the heap too.

#include <algorithm>
#include <cstddef>
#include <memory>
#include <vector>

template <std::size_t Taille, std::size_t Alignement>
class KELReserve {
public:
    void* prendre()
    {
        if (!libres_)
            trancher();
        Bloc* b = libres_;
        libres_ = b->suivant;
        ++vivants_;
        return b;
    }
    void rendre(void* p)
    {
        auto* b = static_cast<Bloc*>(p);
        b->suivant = libres_;
        libres_ = b;
        if (--vivants_ == 0) {
            libres_ = nullptr;
            tranches_.clear();
            prochaine_ = kPremiere;
        }
    }

private:
    union Bloc {
        Bloc* suivant;
        alignas(Alignement) unsigned char octets[Taille];
    };
    static constexpr std::size_t kPremiere = 64;
    static constexpr std::size_t kPlusGrande = 16384;

    void trancher()
    {
        auto tranche = std::make_unique<Bloc[]>(prochaine_);
        for (std::size_t i = prochaine_; i-- > 0;) {
            tranche[i].suivant = libres_;
            libres_ = &tranche[i];
        }
        tranches_.push_back(std::move(tranche));
        prochaine_ = std::min(prochaine_ * 2, kPlusGrande);
    }

    std::vector<std::unique_ptr<Bloc[]>> tranches_;
    Bloc* libres_ = nullptr;
    std::size_t vivants_ = 0;
    std::size_t prochaine_ = kPremiere;
};
