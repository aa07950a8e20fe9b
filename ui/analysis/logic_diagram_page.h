#pragma once

// The page "Схема" of the analysis window: the logic on view drawn as a function-block
// diagram. The window asks for it once, at its creation, and shows it as its last page; the
// page is drawn anew after each of the analysis window's refreshes.

class QWidget;

namespace ui {

class Workbench;
class TForm_Analysis;

QWidget* CreateAnalysisDiagramPage(Workbench& workbench, TForm_Analysis& analysisWindow, QWidget* parent);

}  // namespace ui
