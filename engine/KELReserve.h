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

#include <cstdint>

#include <sys/mman.h>
#include <unistd.h>

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
        if (prochainBloc_ == peupleJusquA_)
            peupler();
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
            prochainBloc_ = finDeTranche_ = peupleJusquA_ = nullptr;
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
    // than sixteen thousand such objects) they are mapped, and their pages put in place a run at a
    // time as blocks are handed out: one call instead of a fault for every page, while a base that
    // uses part of its last slice pays only for about what it uses.
    static constexpr std::size_t kOctetsParPeuplement = std::size_t{1} << 17;
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
        void* p = prochaine_ == kPlusGrande
                      ? mmap(nullptr, octets, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0)
                      : MAP_FAILED;
        if (p != MAP_FAILED)
            tranche = Tranche(static_cast<Bloc*>(p), Rendre{octets});
        else
            tranche = Tranche(new Bloc[prochaine_]); // left uninitialised on purpose
        prochainBloc_ = tranche.get();
        finDeTranche_ = prochainBloc_ + prochaine_;
        peupleJusquA_ = p != MAP_FAILED ? prochainBloc_ : finDeTranche_;
        tranches_.push_back(std::move(tranche));
        prochaine_ = std::min(prochaine_ * 2, kPlusGrande);
    }

    // The pages of the next run of a mapped slice, asked for in one call; where the system cannot,
    // they come one fault at a time as before.
    void peupler()
    {
        const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
        Bloc* fin = peupleJusquA_ + std::min<std::size_t>(kOctetsParPeuplement / sizeof(Bloc), finDeTranche_ - peupleJusquA_);
        const auto debut = reinterpret_cast<std::uintptr_t>(peupleJusquA_) & ~(page - 1);
        const auto bout = (reinterpret_cast<std::uintptr_t>(fin) + page - 1) & ~(page - 1);
        madvise(reinterpret_cast<void*>(debut), bout - debut, kPeuplerEnEcriture);
        peupleJusquA_ = fin;
    }
#ifdef MADV_POPULATE_WRITE
    static constexpr int kPeuplerEnEcriture = MADV_POPULATE_WRITE;
#else
    static constexpr int kPeuplerEnEcriture = 23; // Linux 5.14 on; older systems refuse it
#endif

    std::vector<Tranche> tranches_;
    Bloc* libres_ = nullptr;
    Bloc* prochainBloc_ = nullptr; // the newest slice's blocks not handed out yet
    Bloc* finDeTranche_ = nullptr;
    Bloc* peupleJusquA_ = nullptr; // blocks of the newest slice from here on have no pages yet
    std::size_t vivants_ = 0;
    std::size_t prochaine_ = kPremiere;
};

// The class-specific allocation of a class whose objects come by the hundred thousand: objects of
// exactly that class come from its free list, those of larger subclasses from the heap. The list
// is never destroyed: objects may outlive every other static at exit.
template <class T>
struct KELParReserve {
    static void* prendre(std::size_t taille)
    {
        return taille == sizeof(T) ? reserve().prendre() : ::operator new(taille);
    }
    static void rendre(void* p, std::size_t taille)
    {
        if (!p)
            return;
        if (taille == sizeof(T))
            reserve().rendre(p);
        else
            ::operator delete(p, taille);
    }

private:
    static KELReserve<sizeof(T), alignof(T)>& reserve()
    {
        static auto* r = new KELReserve<sizeof(T), alignof(T)>;
        return *r;
    }
};
