#pragma once

// Puts the colouring of the logic editor (see highlight.h) on a QTextEdit.

#include <vector>

#include "ui/highlight.h"

class QTextEdit;

namespace ui {

// In one edit block: the whole text black and regular, then every run with its colour and
// style. Afterwards the caret is at the end of the text and new typing is black and regular.
// Line i of the runs is block i of the editor's document.
void ApplyColouring(QTextEdit* editor, const std::vector<ColourRun>& runs);

// The whole text black and regular, caret at the end, new typing black and regular.
void ClearHighlighting(QTextEdit* editor);

}  // namespace ui
