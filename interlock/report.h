#pragma once

// The control permission report of the block on view, and the grids refreshed with it.

#include "interlock/workspace.h"

namespace interlock {

// The common refresh of the current block: re-parses the logic on view, loads it into the
// editor lines, collects the used TS, rebuilds both grids, the verdict labels, the group tabs
// and the colouring decision. Everything lands in ws.Display, ws.Fields.Logic and ws.GroupTabs.
const Screen& RefreshBlockDisplay(Workspace& ws);

// The TS grid, the apparatus state field and the window height (also derives the second TS of
// server pairs that the logic reads).
void FillTsGrid(Workspace& ws);
// The M grid from the editor lines, MVariables and the current block.
void FillMGrid(Workspace& ws);

// Group tab looks for blocks 1..16 (g = 0) and 17..32 (g = 1).
void PaintGroupTabs(Workspace& ws);

}  // namespace interlock
