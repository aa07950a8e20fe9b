#pragma once

// Draws a laid-out logic diagram with a QPainter: on screen, into SVG and onto paper alike.

#include <QColor>
#include <string>

#include "ui/model/diagram_layout.h"

class QPainter;

namespace ui::diagram {

// The product's palette: green 1, red 0, grey hardware-unreliable, black anything else.
QColor ColourOf(Tone tone);

// Paints `d` in drawing units at the painter's present transform; with `visible` (in drawing
// units) only what lies in it.
void Paint(QPainter& painter, const Diagram& d, const Rect* visible = nullptr);

// The diagram into a file, replaced only when the whole drawing was written. An empty result
// is success; otherwise the reason, for a message box.
std::string ExportSvg(const Diagram& d, const std::string& path);  // path in UTF-8
std::string ExportPdf(const Diagram& d, const std::string& path);

}  // namespace ui::diagram
