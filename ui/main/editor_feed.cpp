#include "ui/main/editor_feed.h"

#include <memory>
#include <optional>
#include <vector>

#include "ui/model/highlight.h"
#include "ui/widgets/logic_editor.h"
#include "ui/workbench/workbench.h"

namespace ui {

void EditorFeed::Show() {
    const interlock::Workspace& ws = workbench_.Ws();
    // A refresh replaces whatever an earlier one left to do.
    workbench_.CancelSteps(StepOwner::Editor);
    size_t bytes = 0;
    for (const std::string& line : ws.Fields.Logic) bytes += line.size();
    if (bytes < workbench_.StagedLogicBytes()) {
        editor_.ShowLines(ws.Fields.Logic);
        Colour();
        return;
    }
    auto colouring = std::make_shared<std::optional<std::vector<ColourRun>>>();
    auto step = [this](std::function<bool()> f) { workbench_.PostStep(StepOwner::Editor, std::move(f)); };
    step([this, &ws] {
        editor_.StartLines(ws.Fields.Logic);
        return true;
    });
    step([this] { return editor_.BuildLines(workbench_.CharactersPerStep()); });
    step([this] {
        editor_.ShowBuilt();
        return true;
    });
    step([&ws, colouring] {
        *colouring = ComputeColouring(ws.Fields.Logic, ws, ws.Display.colouring, ws.Display.errorLine);
        return true;
    });
    step([this, colouring] {
        if (*colouring) editor_.Recolour(**colouring);
        return true;
    });
}

void EditorFeed::Colour() {
    const interlock::Workspace& ws = workbench_.Ws();
    std::optional<std::vector<ColourRun>> runs =
        ComputeColouring(ws.Fields.Logic, ws, ws.Display.colouring, ws.Display.errorLine);
    if (runs) editor_.Recolour(*runs);
}

}  // namespace ui
