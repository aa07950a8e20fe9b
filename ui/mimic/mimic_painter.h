#pragma once

// Paints a mimic: the layout with the live look (positions, section colours, verdict lights).
// Used by the window, the SVG and PDF exports and the first sheet of the printed table.

#include <QString>
#include <string>

#include "ui/mimic/mimic_layout.h"
#include "ui/mimic/mimic_look.h"

class QPainter;
class QRectF;

namespace mimic {

// Paints `layout` scaled to fit `target`, keeping its aspect ratio. An empty `look` (no
// elements) paints the static scheme: every apparatus in its drawn position, no lights.
void PaintMimic(QPainter& painter, const QRectF& target, const Layout& layout,
                const topology::Topology& topology, const Look& look);

// The mimic into a file (`path` in UTF-8) at its drawn size, replaced only when the whole
// drawing was written (a pipe or a device is written through). Empty when written, else the
// reason for a message box (UTF-8).
std::string ExportSvg(const Layout& layout, const topology::Topology& topology, const Look& look,
                      const std::string& path);
std::string ExportPdf(const Layout& layout, const topology::Topology& topology, const Look& look,
                      const std::string& path);

}  // namespace mimic
