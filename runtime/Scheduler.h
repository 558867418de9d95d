#pragma once
// Delayed performs, keyed by target and name.
//
// A perform runs `delay` seconds after it is scheduled, never inside the call that schedules it:
// a delay of 0 runs on a later turn of the event loop. Performs due at the same moment run in the
// order they were scheduled. `cancel` drops every pending perform of a target with that name
// ("cancel previous requests"), which is how work is superseded. A target that can die before
// its performs fire owns a ScheduledTarget (or calls cancelAll in its destructor).
//
// Performs flagged `commonModes` must also run while menus are tracked or a drag is under way;
// with Qt's timers every perform already does, so the flag is only kept for callers to state it.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <vector>

namespace tallomer {

class Clock;
using Target = const void*;

class Scheduler {
public:
    virtual ~Scheduler() = default;

    void perform(Target target, std::string name, double delay, std::function<void()> fn,
                 bool commonModes = false);
    // Drops every pending perform of target under name.
    void cancel(Target target, std::string_view name);
    // Drops every pending perform of target.
    void cancelAll(Target target);
    bool isPending(Target target, std::string_view name) const;
    std::size_t pendingCount() const { return queue_.size(); }
    // The due date of the earliest pending perform; false when none is pending.
    bool nextDue(double* due) const;

    // The process-wide scheduler (non-owning; nullptr restores "none").
    static Scheduler& shared();
    static void setShared(Scheduler* scheduler);
    static bool hasShared();

protected:
    struct Entry {
        Target target;
        std::string name;
        std::function<void()> fn;
        bool commonModes;
    };
    using Key = std::tuple<double, std::uint64_t>; // (due date, order of scheduling)

    virtual double currentTime() const = 0;
    // Called whenever the earliest due date may have changed; drivers arm their timer.
    virtual void queueChanged() {}

    // Runs every entry due at or before `time`, including those scheduled while running that
    // fall due by then. Returns how many ran.
    std::size_t runDueAt(double time);

private:
    void forget(Target target, const Key& key);
    std::optional<Key> earliest() const
    {
        return queue_.empty() ? std::nullopt : std::optional<Key>(queue_.begin()->first);
    }
    // Tells the driver when a cancel took away the earliest perform.
    void changedIfFirstWas(const std::optional<Key>& first);

    std::map<Key, Entry> queue_;
    // The keys of each target's pending performs, so that cancelling does not scan the queue.
    std::unordered_map<Target, std::vector<Key>> byTarget_;
    std::uint64_t nextOrder_ = 0;
};

// Drives performs on a virtual clock: nothing runs until the test says so.
class ManualScheduler final : public Scheduler {
public:
    explicit ManualScheduler(double start = 0.0) : now_(start) {}
    double now() const { return now_; }

    // Runs one turn: every perform already due now, in order; performs these schedule wait.
    std::size_t runTurn();
    // Turns until nothing due now remains (bounded, so a perform rescheduling itself with delay 0
    // cannot hang a test). Returns how many ran.
    std::size_t runUntilIdle(std::size_t maxTurns = 10000);
    // Moves time forward, running each perform at its own due moment, in due order.
    std::size_t advance(double seconds);

protected:
    double currentTime() const override { return now_; }

private:
    double now_;
};

// A member that cancels its owner's pending performs when the owner dies:
// `ScheduledTarget guard_{this};` as the owner's last member.
class ScheduledTarget {
public:
    explicit ScheduledTarget(Target owner) : owner_(owner) {}
    ScheduledTarget(const ScheduledTarget&) = delete;
    ScheduledTarget& operator=(const ScheduledTarget&) = delete;
    ~ScheduledTarget();

private:
    Target owner_;
};

} // namespace tallomer
