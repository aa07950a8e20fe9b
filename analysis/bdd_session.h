#pragma once

// The one place that talks to the BDD library (BuDDy). BuDDy keeps its node table in
// process-wide state and is not thread-safe: at most one session exists in a process at a
// time, and only its thread uses BDDs. Programs that analyse in parallel use processes.

#include <bdd.h>

#include <chrono>
#include <optional>

namespace analysis {

class BddSession {
public:
    // Up to `maxNodes` nodes in the table: an operation that needs more yields no result
    // (see Overflowed) instead of running on. The table starts with `initialNodes` and grows;
    // a small start costs a short-lived process less, a large one spares a big configuration
    // the garbage collections of a growing table.
    explicit BddSession(int maxNodes = kDefaultMaxNodes, int initialNodes = kDefaultInitialNodes);
    ~BddSession();
    BddSession(const BddSession&) = delete;
    BddSession& operator=(const BddSession&) = delete;

    static constexpr int kDefaultMaxNodes = 500000;  // about 10 MB; reached within a second
    static constexpr int kDefaultInitialNodes = 100'000;

    // Two variables per TS t, in TS order: the "no 0/1 value" flag, then the value bit.
    static bdd Value(int ts) { return bdd_ithvar(ValueVar(ts)); }
    static bdd Other(int ts) { return bdd_ithvar(OtherVar(ts)); }
    static int ValueVar(int ts) { return 2 * (ts - 1) + 1; }
    static int OtherVar(int ts) { return 2 * (ts - 1); }
    static int TsOfVar(int var) { return var / 2 + 1; }
    static bool IsValueVar(int var) { return var % 2 == 1; }

    // True when an operation since the last call ran out of nodes (its result is meaningless;
    // the library's error state is cleared), or when the deadline has passed.
    bool Overflowed();

    // A time after which Overflowed says true, so that a long build stops at its next check;
    // none by default. Setting one clears TimedOut.
    using Clock = std::chrono::steady_clock;
    void SetDeadline(std::optional<Clock::time_point> deadline) {
        deadline_ = deadline;
        timedOut_ = false;
    }
    // True when Overflowed said true for the deadline since it was set.
    bool TimedOut() const { return timedOut_; }

    int NodesInUse() const { return bdd_getnodenum(); }

private:
    int maxNodes_;
    std::optional<Clock::time_point> deadline_;
    bool timedOut_ = false;
};

}  // namespace analysis
