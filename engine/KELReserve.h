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
        ++vivants_;
        if (libres_) {
            Bloc* b = libres_;
            libres_ = b->suivant;
            return b;
        }
        // Blocks never handed out are not touched: a slice costs memory only as it is used.
        if (prochainBloc_ == finDeTranche_)
            trancher();
        return prochainBloc_++;
    }
    void rendre(void* p)
    {
        auto* b = static_cast<Bloc*>(p);
        b->suivant = libres_;
        libres_ = b;
        if (--vivants_ == 0) {
            libres_ = nullptr;
            tranches_.clear();
            prochainBloc_ = finDeTranche_ = nullptr;
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
        // Left uninitialised on purpose (no value-initialisation of the blocks).
        std::unique_ptr<Bloc[]> tranche(new Bloc[prochaine_]);
        prochainBloc_ = tranche.get();
        finDeTranche_ = prochainBloc_ + prochaine_;
        tranches_.push_back(std::move(tranche));
        prochaine_ = std::min(prochaine_ * 2, kPlusGrande);
    }

    std::vector<std::unique_ptr<Bloc[]>> tranches_;
    Bloc* libres_ = nullptr;
    Bloc* prochainBloc_ = nullptr; // the newest slice's blocks not handed out yet
    Bloc* finDeTranche_ = nullptr;
    std::size_t vivants_ = 0;
    std::size_t prochaine_ = kPremiere;
};
