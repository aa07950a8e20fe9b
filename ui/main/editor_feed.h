#pragma once

// The logic of the current block put into the main window's editor with its colours. A logic
// of many lines goes in steps of the workbench's queue (its text a part at a time, then its
// colours worked out, then put on), so that the windows answer in between; until then the
// logic on its way stands for the editor's text (the window's Pull reads it from the
// workspace), and a newer logic replaces the steps left.

namespace ui {

class LogicEditor;
class Workbench;

class EditorFeed {
public:
    EditorFeed(Workbench& workbench, LogicEditor& editor) : workbench_(workbench), editor_(editor) {}

    // The workspace's editor lines, coloured as its display says.
    void Show();

private:
    void Colour();

    Workbench& workbench_;
    LogicEditor& editor_;
};

}  // namespace ui
