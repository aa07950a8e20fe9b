#include "interlock/ts_cascade.h"

#include "interlock/report.h"

namespace interlock {

void RunTsCascade(Workspace& ws, const TsCascade& cascade) {
    using View = TsCascade::View;
    if (cascade.fillGrid) FillTsGrid(ws);
    if (cascade.view == View::BeforeRecalculation) SelectViewByState(ws);
    RecalculateAll(ws);
    if (cascade.view == View::AfterRecalculation) SelectViewByState(ws);
    RefreshBlockDisplay(ws);
}

}  // namespace interlock
