#include "analysis/bdd_session.h"

#include <algorithm>
#include <stdexcept>

#include "interlock/workspace.h"

namespace analysis {
namespace {

// BuDDy's own handler ends the process; a full table is reported through Overflowed instead.
void IgnoreError(int) {}

}  // namespace

BddSession::BddSession(int maxNodes, int initialNodes) : maxNodes_(maxNodes) {
    if (bdd_isrunning()) throw std::logic_error("a BDD session is already open in this process");
    // The table must start below its limit: BuDDy refuses a limit below its present size.
    const int initial = std::max(1000, std::min(maxNodes / 2, initialNodes));
    bdd_init(initial, std::max(initial / 10, 1000));
    bdd_error_hook(IgnoreError);
    bdd_gbc_hook(nullptr);  // no garbage collection reports on the terminal
    bdd_setvarnum(2 * interlock::kTsCount);
    bdd_setmaxnodenum(maxNodes);
    bdd_setcacheratio(8);
}

BddSession::~BddSession() { bdd_done(); }

bool BddSession::Overflowed() {
    // BuDDy runs out of nodes only once its table has grown to the limit (to the largest prime
    // below it) and every node is in use; from then on it returns false until its error is
    // cleared. The garbage of the failed operation is collected at once, so that the next
    // operation does not find the table full.
    const int alloc = bdd_getallocnum();
    const bool full = bdd_getnodenum() >= alloc && alloc > maxNodes_ - 1000;
    if (full) {
        bdd_clear_error();
        bdd_gbc();
        return true;
    }
    if (deadline_ && Clock::now() >= *deadline_) timedOut_ = true;
    return timedOut_;
}

}  // namespace analysis
