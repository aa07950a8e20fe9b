#pragma once

// The look every command button of the program's windows shares: Verdana bold, white on the
// highlight colour, the inactive caption colour when hot or pressed, with a raised frame.

#include "ui/widgets/color_button.h"
#include "ui/widgets/signal_grids.h"

namespace ui {

inline void StyleCommandButton(TColorButton* b) {
    namespace col = interlock::colour;
    b->setFont(DesignFont("Verdana", 13, true));
    b->setFlat(false);
    b->setColor(col::kHighlight);
    b->setHotColor(col::kInactiveCaption);
    b->setDownColor(col::kInactiveCaption);
    b->setFontColor(col::kWhite);
    b->setHotFontColor(col::kWhite);
    b->setDownFontColor(col::kWhite);
}

}  // namespace ui
