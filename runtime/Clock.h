#pragma once
// Time as the whole system counts it: seconds since 2001-01-01 00:00 UTC, as double.
// The clock is injectable so that tests and benchmarks run on a virtual time.

namespace tallomer {

// 2001-01-01 00:00:00 UTC in Unix seconds.
inline constexpr double kReferenceDateUnix = 978307200.0;

inline constexpr double dateFromUnix(double unixSeconds) { return unixSeconds - kReferenceDateUnix; }
inline constexpr double unixFromDate(double date) { return date + kReferenceDateUnix; }

class Clock {
public:
    virtual ~Clock() = default;
    virtual double now() const = 0;

    // The process-wide clock. setShared takes a non-owning pointer; nullptr restores the system clock.
    static Clock& shared();
    static void setShared(Clock* clock);
};

class SystemClock final : public Clock {
public:
    double now() const override;
};

// A clock that only moves when told to.
class FixedClock final : public Clock {
public:
    explicit FixedClock(double start = 0.0) : now_(start) {}
    double now() const override { return now_; }
    void set(double date) { now_ = date; }
    void advance(double seconds) { now_ += seconds; }

private:
    double now_;
};

} // namespace tallomer
