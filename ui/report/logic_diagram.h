#pragma once

// The live logic diagram page and the printed interlock table, as the analysis window uses
// them.

#include "sequences/form.h"
#include <QWidget>
#include <memory>
#include <optional>
#include <string>
#include <thread>

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
// TS values, texts or the current block. A long logic is laid out on a worker thread from a
// copy of what it reads, so that the window never waits for it; Shown() then changes when the
// layout arrives (Drawn() is emitted after each new drawing).
class LogicDiagramPage : public QWidget {
    Q_OBJECT
public:
    // Without dialogs the export buttons use the real file dialogs.
    LogicDiagramPage(interlock::Workspace& ws, Dialogs* dialogs, QWidget* parent = nullptr);
    ~LogicDiagramPage() override;

    const diagram::Diagram& Shown() const { return diagram_; }
    // Logics of at least this many lines are laid out on the worker thread.
    static constexpr size_t kBackgroundLines = 1000;
    bool LayingOut() const { return working_; }
    double Zoom() const { return zoom_; }
    // Small enough for a logic of 40 lines to fit a page of a few hundred pixels.
    static constexpr double kMinZoom = 0.05;
    void SetZoom(double zoom);  // clamped to kMinZoom .. 4
    void FitAll();              // the whole drawing in the page, as large as fits

    // Marks every place that names `term` (none: clears the marks), in this drawing and the
    // later ones; ShowFound centres the place `index` (from 0) of Shown().found in the page.
    void SetSearch(std::optional<diagram::SearchTerm> term);
    int FoundCount() const { return static_cast<int>(diagram_.found.size()); }
    void ShowFound(int index);

signals:
    void Drawn();
    void LineClicked(int line);       // a click on a gate or an input: its line (from 1)
    void WhereUsedRequested(int ts);  // "Где используется" from a TS input's menu

public slots:
    void refresh();
    void exportSvg();
    void exportPdf();

private:
    class Canvas;
    void Export(bool svg);
    void StartLayout();
    void Show(diagram::Diagram d);

    interlock::Workspace& ws_;
    Dialogs* dialogs_;
    std::unique_ptr<Dialogs> ownDialogs_;
    diagram::Diagram diagram_;
    double zoom_ = 1.0;
    std::optional<diagram::SearchTerm> search_;
    QScrollArea* scroll_ = nullptr;
    Canvas* canvas_ = nullptr;
    QLabel* zoomLabel_ = nullptr;
    std::thread worker_;
    bool working_ = false;  // a layout is on the worker thread
    bool pending_ = false;  // and another refresh came meanwhile
};

// The page for the analysis window's "Схема"; a LogicDiagramPage.
QWidget* CreateLogicDiagramPage(interlock::Workspace& ws, QWidget* parent, Dialogs* dialogs = nullptr);

// "Печать таблицы блокировок": the interlock table of the configuration in memory, to a PDF file
// named through the dialogs, to the printer of the system's print dialog, or into its preview.
// configPath names the loaded file as ConfigFileName holds it (Windows-1251; its requirements
// file is looked for beside it, and so is its names file, NAME.names, for the TS the window
// knows no name of), judged by the process's analyser. With `form` the table ends with that
// checked switching program.
enum class PrintTarget { Pdf, Printer, Preview };
void PrintInterlockTable(const interlock::Workspace& ws, Dialogs& dialogs, const std::string& configPath,
                         analysis::Analyser& analyser, PrintTarget target = PrintTarget::Pdf,
                         const sequences::SwitchingForm* form = nullptr);

}  // namespace ui
