#pragma once

// What follows a change of TS values: the view chosen by the apparatus state, all 32 blocks
// recalculated, the current block shown again. Every writer of TS values runs it; the steps
// and their order are what each trigger needs.

#include "interlock/workspace.h"

namespace interlock {

struct TsCascade {
    enum class View {
        Keep,                 // the view stays as it is
        BeforeRecalculation,  // chosen by the state TS, then the blocks recalculated
        AfterRecalculation,   // the blocks recalculated, then the view chosen
    };
    bool fillGrid = false;  // the TS grid rebuilt first (a value edited in the window)
    View view = View::BeforeRecalculation;
    bool refillList = true;  // the TS list window refilled afterwards (the window does it)
};

// The cascade's engine steps: the grid, the view and the recalculation in the order asked,
// then the display refresh of the current block.
void RunTsCascade(Workspace& ws, const TsCascade& cascade);

}  // namespace interlock
