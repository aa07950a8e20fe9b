// The one queue of staged steps: order across owners, a step that runs again until done,
// finishing one owner's steps only, cancelling, and steps that post, cancel or finish others
// while they run (as a load's last step does when it shows the window again).

#include "ui/workbench/step_queue.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace ui {
namespace {

using enum StepOwner;

struct Log {
    std::string runs;
    StepQueue::Step Add(char c, int times = 1) {
        auto left = std::make_shared<int>(times);
        return [this, c, left] {
            runs += c;
            return --*left == 0;
        };
    }
};

TEST(StepQueue, RunsInPostOrderAndFinishesAsAsked) {
    struct Row {
        const char* name;
        void (*finish)(StepQueue&);
        const char* runs;     // what finishing ran
        const char* thenRun;  // what running one at a time ran afterwards
    } rows[] = {
        {"one at a time", [](StepQueue&) {}, "", "lBBBec"},
        {"everything", [](StepQueue& q) { q.Finish(); }, "lBBBec", ""},
        {"the load only", [](StepQueue& q) { q.Finish(Load); }, "lc", "BBBe"},
        {"the editor only", [](StepQueue& q) { q.Finish(Editor); }, "BBBe", "lc"},
        {"one step", [](StepQueue& q) { q.RunOne(); }, "l", "BBBec"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Log log;
        StepQueue q;
        q.Post(Load, log.Add('l'));
        q.Post(Editor, log.Add('B', 3));  // a long job: runs until it says it is done
        q.Post(Editor, log.Add('e'));
        q.Post(Load, log.Add('c'));
        row.finish(q);
        EXPECT_EQ(log.runs, row.runs);
        log.runs.clear();
        for (int i = 0; i < 20 && q.RunOne();) ++i;
        EXPECT_EQ(log.runs, row.thenRun);
        EXPECT_FALSE(q.Pending());
    }
}

TEST(StepQueue, PendingAndCancelAreByOwner) {
    Log log;
    StepQueue q;
    EXPECT_FALSE(q.Pending());
    q.Post(Load, log.Add('l'));
    q.Post(Editor, log.Add('e'));
    EXPECT_TRUE(q.Pending(Load));
    EXPECT_TRUE(q.Pending(Editor));
    q.Cancel(Editor);
    EXPECT_FALSE(q.Pending(Editor));
    EXPECT_TRUE(q.Pending(Load));
    q.Finish();
    EXPECT_EQ(log.runs, "l");
}

TEST(StepQueue, AStepMayReplaceOrFinishOtherStepsWhileItRuns) {
    // A load's last step refreshes the window: the editor's old steps give way to new ones,
    // which wait behind the steps already queued.
    Log log;
    StepQueue q;
    q.Post(Editor, log.Add('o'));
    q.Post(Load, [&] {
        log.runs += 'L';
        q.Cancel(Editor);
        q.Post(Editor, log.Add('n'));
        return true;
    });
    q.Post(Load, log.Add('x'));
    q.Finish(Load);
    EXPECT_EQ(log.runs, "Lx");
    q.Finish();
    EXPECT_EQ(log.runs, "Lxn");

    // A long step whose job is cancelled while it runs is not taken up again; a step that
    // finishes everything while it runs (a box's event loop) does not run itself twice.
    log.runs.clear();
    q.Post(Editor, [&] {
        log.runs += 'B';
        q.Cancel(Editor);
        return false;
    });
    q.Post(Load, [&] {
        log.runs += 'F';
        q.Finish();
        return true;
    });
    q.Post(Load, log.Add('z'));
    q.Finish();
    EXPECT_EQ(log.runs, "BFz");
    EXPECT_FALSE(q.Pending());
}

}  // namespace
}  // namespace ui
