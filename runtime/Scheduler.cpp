#include "runtime/Scheduler.h"

#include <cassert>
#include <cmath>
#include <vector>

namespace tallomer {

namespace {
Scheduler* g_scheduler = nullptr; // non-owning
}

Scheduler& Scheduler::shared()
{
    assert(g_scheduler && "no scheduler installed");
    return *g_scheduler;
}
void Scheduler::setShared(Scheduler* scheduler) { g_scheduler = scheduler; }
bool Scheduler::hasShared() { return g_scheduler != nullptr; }

void Scheduler::perform(Target target, std::string name, double delay, std::function<void()> fn,
                        bool commonModes)
{
    if (!(delay > 0.0) || !std::isfinite(delay))
        delay = 0.0;
    const Key key{currentTime() + delay, nextOrder_++};
    const auto at = queue_.emplace(key, Entry{target, std::move(name), std::move(fn), commonModes}).first;
    byTarget_[target].push_back(key);
    // Hundreds of animated views schedule their next frame at each frame: only the one that
    // comes first moves the earliest due date, and rearming a timer for each would cost more
    // than the frames' work.
    if (at == queue_.begin())
        queueChanged();
}

void Scheduler::changedIfFirstWas(const std::optional<Key>& first)
{
    if (queue_.empty() ? first.has_value() : !first || queue_.begin()->first != *first)
        queueChanged();
}

void Scheduler::forget(Target target, const Key& key)
{
    auto it = byTarget_.find(target);
    if (it == byTarget_.end())
        return;
    auto& keys = it->second;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (keys[i] == key) {
            keys[i] = keys.back();
            keys.pop_back();
            break;
        }
    }
    if (keys.empty())
        byTarget_.erase(it);
}

void Scheduler::cancel(Target target, std::string_view name)
{
    auto it = byTarget_.find(target);
    if (it == byTarget_.end())
        return;
    const std::optional<Key> first = earliest();
    auto& keys = it->second;
    for (std::size_t i = 0; i < keys.size();) {
        auto q = queue_.find(keys[i]);
        if (q != queue_.end() && q->second.name == name) {
            queue_.erase(q);
            keys[i] = keys.back();
            keys.pop_back();
        } else {
            ++i;
        }
    }
    if (keys.empty())
        byTarget_.erase(it);
    changedIfFirstWas(first);
}

void Scheduler::cancelAll(Target target)
{
    auto it = byTarget_.find(target);
    if (it == byTarget_.end())
        return;
    const std::optional<Key> first = earliest();
    for (const Key& key : it->second)
        queue_.erase(key);
    byTarget_.erase(it);
    changedIfFirstWas(first);
}

bool Scheduler::isPending(Target target, std::string_view name) const
{
    auto it = byTarget_.find(target);
    if (it == byTarget_.end())
        return false;
    for (const Key& key : it->second) {
        auto q = queue_.find(key);
        if (q != queue_.end() && q->second.name == name)
            return true;
    }
    return false;
}

bool Scheduler::nextDue(double* due) const
{
    if (queue_.empty())
        return false;
    *due = std::get<0>(queue_.begin()->first);
    return true;
}

std::size_t Scheduler::runDueAt(double time)
{
    // One turn: only what was scheduled before the turn began may run in it.
    const std::uint64_t limit = nextOrder_;
    std::size_t ran = 0;
    for (;;) {
        auto it = queue_.begin();
        while (it != queue_.end() && std::get<0>(it->first) <= time && std::get<1>(it->first) >= limit)
            ++it;
        if (it == queue_.end() || std::get<0>(it->first) > time)
            break;
        Entry entry = std::move(it->second);
        const Key key = it->first;
        queue_.erase(it);
        forget(entry.target, key);
        ++ran;
        entry.fn();
    }
    queueChanged();
    return ran;
}

std::size_t ManualScheduler::runTurn() { return runDueAt(now_); }

std::size_t ManualScheduler::runUntilIdle(std::size_t maxTurns)
{
    std::size_t total = 0;
    for (std::size_t i = 0; i < maxTurns; ++i) {
        const std::size_t n = runTurn();
        if (n == 0)
            break;
        total += n;
    }
    return total;
}

std::size_t ManualScheduler::advance(double seconds)
{
    const double end = now_ + (seconds > 0.0 ? seconds : 0.0);
    std::size_t total = 0;
    double due = 0.0;
    while (nextDue(&due) && due <= end) {
        if (due > now_)
            now_ = due;
        const std::size_t n = runUntilIdle();
        total += n;
        if (n == 0)
            break;
    }
    now_ = end;
    total += runUntilIdle();
    return total;
}

ScheduledTarget::~ScheduledTarget()
{
    if (Scheduler::hasShared())
        Scheduler::shared().cancelAll(owner_);
}

} // namespace tallomer
