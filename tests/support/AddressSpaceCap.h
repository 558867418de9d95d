#pragma once
// Caps the address space at what the process uses now plus headroom, for one scope: a reader
// that trusted a length field of gigabytes would fail inside instead of succeeding.

#include <QFile>

#include <algorithm>
#include <sys/resource.h>
#include <unistd.h>

namespace tallomer::test {

struct AddressSpaceCap {
    explicit AddressSpaceCap(rlim_t headroom)
    {
        QFile statm(QStringLiteral("/proc/self/statm"));
        const rlim_t pages = statm.open(QIODevice::ReadOnly) ? statm.readAll().split(' ').value(0).toULongLong() : 0;
        if (pages == 0 || ::getrlimit(RLIMIT_AS, &old) != 0)
            return;
        rlimit capped = old;
        capped.rlim_cur = std::min(old.rlim_cur, pages * rlim_t(::sysconf(_SC_PAGESIZE)) + headroom);
        active = ::setrlimit(RLIMIT_AS, &capped) == 0;
    }
    ~AddressSpaceCap()
    {
        if (active)
            ::setrlimit(RLIMIT_AS, &old);
    }
    AddressSpaceCap(const AddressSpaceCap&) = delete;
    AddressSpaceCap& operator=(const AddressSpaceCap&) = delete;
    rlimit old{};
    bool active = false;
};

} // namespace tallomer::test
