#pragma once

// Paints a mimic: the layout with the live look (positions, section colours, verdict lights).
// Used by the window, the SVG and PDF exports and the first sheet of the printed table.

#include <QString>

#include "ui/mimic/mimic_layout.h"
#include "ui/mimic/mimic_look.h"

class QPainter;
class QRectF;

namespace mimic {

// Paints `layout` scaled to fit `target`, keeping its aspect ratio. An empty `look` (no
// elements) paints the static scheme: every apparatus in its drawn position, no lights.
void PaintMimic(QPainter& painter, const QRectF& target, const Layout& layout,
                const topology::Topology& topology, const Look& look);

}  // namespace mimic
