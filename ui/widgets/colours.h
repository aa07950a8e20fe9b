#pragma once

// The program's colours on screen. Colours are interlock::Colour values: 0x00BBGGRR, or a
// system colour (top bit set) that stands for a fixed colour of the desktop theme.

#include <QColor>

#include "interlock/workspace.h"

namespace ui {

QColor ToQColor(interlock::Colour colour);

}  // namespace ui
