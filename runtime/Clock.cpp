#include "runtime/Clock.h"

#include <chrono>

namespace tallomer {

namespace {
SystemClock& systemClock()
{
    static SystemClock clock;
    return clock;
}
Clock* g_clock = nullptr; // non-owning
} // namespace

double SystemClock::now() const
{
    using namespace std::chrono;
    const auto since = system_clock::now().time_since_epoch();
    return dateFromUnix(duration_cast<duration<double>>(since).count());
}

Clock& Clock::shared() { return g_clock ? *g_clock : systemClock(); }
void Clock::setShared(Clock* clock) { g_clock = clock; }

} // namespace tallomer
