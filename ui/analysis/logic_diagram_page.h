#pragma once

// The page "Схема" of the analysis window: the logic on view drawn as a function-block
// diagram. The window asks for it once, at its creation, and shows it as its last page; the
// page follows the main window's changes itself (TForm1::Refreshed, or the analysis window's
// Refreshed after the page became visible). Answers of the analysis engine come from
// analysisWindow.Analyser(): a process holds one BDD session at a time.

class QWidget;

namespace ui {

class TForm1;
class TForm_Analysis;

QWidget* CreateLogicDiagramPage(TForm1& mainWindow, TForm_Analysis& analysisWindow, QWidget* parent);

}  // namespace ui
