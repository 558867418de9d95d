#pragma once
// A free list of equal-sized blocks for the objects the link base makes by the hundred thousand
// (links, and the representations scrubbing makes and drops): no allocator header per object, and
// objects made together lie together. The link base is used from one thread. Blocks come in
// slices that grow with demand; when the last block goes (the server was reset), the slices go
// back too.

#include <algorithm>
#include <cstddef>
#include <memory>
#include <vector>

#include <sys/mman.h>

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

    // Slices come from the heap until they reach their full size; from then on (a base of more
    // than sixteen thousand such objects) they are mapped with their pages in place, in one call
    // instead of a fault for every page as blocks are first handed out: a large base makes such
    // slices by the hundred while it loads, and a small one keeps paying only for what it uses.
    struct Rendre {
        std::size_t octets = 0; // 0: from the heap
        void operator()(Bloc* b) const
        {
            if (octets)
                munmap(b, octets);
            else
                delete[] b;
        }
    };
    using Tranche = std::unique_ptr<Bloc[], Rendre>;

    void trancher()
    {
        Tranche tranche;
        const std::size_t octets = prochaine_ * sizeof(Bloc);
        void* p = prochaine_ == kPlusGrande ? mmap(nullptr, octets, PROT_READ | PROT_WRITE,
                                                   MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0)
                                            : MAP_FAILED;
        if (p != MAP_FAILED)
            tranche = Tranche(static_cast<Bloc*>(p), Rendre{octets});
        else
            tranche = Tranche(new Bloc[prochaine_]); // left uninitialised on purpose
        prochainBloc_ = tranche.get();
        finDeTranche_ = prochainBloc_ + prochaine_;
        tranches_.push_back(std::move(tranche));
        prochaine_ = std::min(prochaine_ * 2, kPlusGrande);
    }

    std::vector<Tranche> tranches_;
    Bloc* libres_ = nullptr;
    Bloc* prochainBloc_ = nullptr; // the newest slice's blocks not handed out yet
    Bloc* finDeTranche_ = nullptr;
    std::size_t vivants_ = 0;
    std::size_t prochaine_ = kPremiere;
};
