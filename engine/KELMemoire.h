#pragma once
// Scratch arrays of a large load (rows read, sort keys, a merge) are written through once and
// dropped: their pages are mapped in place in one call rather than faulted in one at a time as
// they are first written, which on a base of millions of links is a good part of the load.
// Small arrays come from the heap as usual. Elements made without a value are left uninitialised
// (the arrays are filled before they are read).

#include <cstddef>
#include <new>
#include <utility>
#include <vector>

#include <sys/mman.h>

template <class T>
struct KELAllocateurTemporaire {
    using value_type = T;
    static constexpr std::size_t kMappe = std::size_t{1} << 19;

    KELAllocateurTemporaire() = default;
    template <class U>
    KELAllocateurTemporaire(const KELAllocateurTemporaire<U>&) noexcept
    {
    }

    T* allocate(std::size_t n)
    {
        const std::size_t octets = n * sizeof(T);
        if (octets < kMappe)
            return static_cast<T*>(::operator new(octets));
        void* p = mmap(nullptr, octets, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
        if (p == MAP_FAILED)
            throw std::bad_alloc();
        return static_cast<T*>(p);
    }
    void deallocate(T* p, std::size_t n) noexcept
    {
        const std::size_t octets = n * sizeof(T);
        if (octets < kMappe)
            ::operator delete(p);
        else
            munmap(p, octets);
    }

    template <class U>
    void construct(U* p) noexcept(noexcept(U()))
    {
        ::new (static_cast<void*>(p)) U;
    }
    template <class U, class... A>
    void construct(U* p, A&&... a)
    {
        ::new (static_cast<void*>(p)) U(std::forward<A>(a)...);
    }

    template <class U>
    bool operator==(const KELAllocateurTemporaire<U>&) const noexcept
    {
        return true;
    }
};

template <class T>
using KELTemporaire = std::vector<T, KELAllocateurTemporaire<T>>;
