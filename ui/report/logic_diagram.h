#pragma once

// The live logic diagram page and the printed interlock table, as the analysis window uses
// them.

#include <QWidget>
#include <memory>
#include <string>

#include "interlock/workspace.h"
#include "ui/model/diagram_layout.h"

class QLabel;
class QScrollArea;
class QToolButton;

namespace analysis {
class Analyser;
}

namespace ui {

class Dialogs;

// The logic on view (current block, CurrentView) as a diagram, with zoom (buttons, Ctrl+wheel)
// and export to SVG and PDF. It draws what `ws` holds: call refresh() after every change of
// TS values, texts or the current block.
class LogicDiagramPage : public QWidget {
    Q_OBJECT
public:
    // Without dialogs the export buttons use the real file dialogs.
    LogicDiagramPage(interlock::Workspace& ws, Dialogs* dialogs, QWidget* parent = nullptr);
    ~LogicDiagramPage() override;

    const diagram::Diagram& Shown() const { return diagram_; }
    double Zoom() const { return zoom_; }
    void SetZoom(double zoom);  // clamped to 0.25 .. 4

public slots:
    void refresh();
    void exportSvg();
    void exportPdf();

private:
    class Canvas;
    void Export(bool svg);

    interlock::Workspace& ws_;
    Dialogs* dialogs_;
    std::unique_ptr<Dialogs> ownDialogs_;
    diagram::Diagram diagram_;
    double zoom_ = 1.0;
    QScrollArea* scroll_ = nullptr;
    Canvas* canvas_ = nullptr;
    QLabel* zoomLabel_ = nullptr;
};

// The page for the analysis window's "Схема"; a LogicDiagramPage.
QWidget* CreateLogicDiagramPage(interlock::Workspace& ws, QWidget* parent, Dialogs* dialogs = nullptr);

// "Печать таблицы блокировок": asks for a PDF name through the dialogs and writes the
// interlock table of the configuration in memory; configPath names the loaded file as
// ConfigFileName holds it (Windows-1251; its requirements file is looked for beside it). Pass the window's
// analyser when it has one: a process holds one BDD session at a time.
void PrintInterlockTable(interlock::Workspace& ws, Dialogs& dialogs, const std::string& configPath,
                         analysis::Analyser* analyser = nullptr);

}  // namespace ui
