#pragma once

// "Печать таблицы блокировок": the interlock table of the configuration in memory as a
// document, from the analysis window. Boxes and file dialogs go through `dialogs`.

class QWidget;

namespace interlock {
struct Workspace;
}

namespace ui {

class Dialogs;

void PrintInterlockTable(interlock::Workspace& ws, Dialogs& dialogs, QWidget* parent);

}  // namespace ui
