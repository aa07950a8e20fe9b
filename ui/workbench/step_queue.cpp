#include "ui/workbench/step_queue.h"

#include <algorithm>
#include <utility>

namespace ui {

namespace {
std::size_t Index(StepOwner owner) { return owner == StepOwner::Load ? 0 : 1; }
}  // namespace

void StepQueue::Post(StepOwner owner, Step step) {
    steps_.push_back({owner, std::move(step), nextId_++, cancelled_[Index(owner)]});
}

void StepQueue::Cancel(StepOwner owner) {
    ++cancelled_[Index(owner)];
    std::erase_if(steps_, [owner](const Entry& e) { return e.owner == owner; });
}

bool StepQueue::Pending(StepOwner owner) const {
    return std::any_of(steps_.begin(), steps_.end(), [owner](const Entry& e) { return e.owner == owner; });
}

void StepQueue::Run(std::size_t index) {
    Entry entry = std::move(steps_[index]);
    steps_.erase(steps_.begin() + static_cast<std::ptrdiff_t>(index));
    if (entry.step() || entry.generation != cancelled_[Index(entry.owner)]) return;
    // Not done: back before the first step posted after it, unless the step cancelled its
    // owner's work meanwhile (then a newer job has taken over).
    const auto later =
        std::find_if(steps_.begin(), steps_.end(), [&](const Entry& e) { return e.id > entry.id; });
    steps_.insert(later, std::move(entry));
}

bool StepQueue::RunOne() {
    if (!steps_.empty()) Run(0);
    return Pending();
}

void StepQueue::Finish(StepOwner owner) {
    for (;;) {
        const auto it =
            std::find_if(steps_.begin(), steps_.end(), [owner](const Entry& e) { return e.owner == owner; });
        if (it == steps_.end()) return;
        Run(static_cast<std::size_t>(it - steps_.begin()));
    }
}

void StepQueue::Finish() {
    while (!steps_.empty()) Run(0);
}

}  // namespace ui
