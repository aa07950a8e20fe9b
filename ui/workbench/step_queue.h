#pragma once

// The steps a large load or a large logic is shown in, as one queue for the whole program: the
// event loop runs one step a turn so that the windows answer in between, and input that must
// act on the whole result first runs what is left. Plain C++; the workbench drives it.

#include <cstddef>
#include <deque>
#include <functional>

namespace ui {

// Whose step it is: a load's steps can be finished without the editor's.
enum class StepOwner { Load, Editor };

class StepQueue {
public:
    // A step returns true when it is done, false when it must run again (a part of a long job).
    using Step = std::function<bool()>;

    // Appends a step after every step already queued.
    void Post(StepOwner owner, Step step);
    // Drops the owner's steps not yet run (a newer job replaces them).
    void Cancel(StepOwner owner);

    bool Pending() const { return !steps_.empty(); }
    bool Pending(StepOwner owner) const;

    // Runs the first step once. Returns whether steps are left.
    bool RunOne();
    // Runs the owner's steps, in order, until none is left; the others wait.
    void Finish(StepOwner owner);
    // Runs every step, in order, until none is left (steps posted meanwhile included).
    void Finish();

private:
    struct Entry {
        StepOwner owner;
        Step step;
        std::size_t id;
        std::size_t generation;  // the owner's cancellations before it was posted
    };
    // Runs the entry at `index`: it leaves the queue while it runs (a step may post, cancel or
    // finish others), and goes back to its place when it is not done.
    void Run(std::size_t index);

    std::deque<Entry> steps_;
    std::size_t nextId_ = 0;
    std::size_t cancelled_[2] = {0, 0};  // by owner
};

}  // namespace ui
