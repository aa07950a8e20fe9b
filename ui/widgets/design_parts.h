#pragma once

// The parts the main window is built of, set up as its design draws them: labels, panels and
// check boxes in the design's fonts, tab looks and verdict labels set from the workspace's
// looks, and one-line fields whose typing limit gives way to a longer text the program puts in.

#include <QRect>
#include <QString>

#include "interlock/workspace.h"

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QWidget;

namespace ui {

class TColorButton;

// How long a hint stays (ms).
inline constexpr int kHintPause = 30000;

QLabel* MakeLabel(QWidget* parent, const QString& text, QRect geometry, int pixelHeight,
                  Qt::Alignment align = Qt::AlignLeft | Qt::AlignTop, bool underline = false);
QFrame* MakePanel(QWidget* parent, QRect geometry, bool bevel);
QCheckBox* MakeCheck(QWidget* parent, const QString& text, const QString& hint, QRect geometry);

// Every colour of the button (normal, hot, pressed) as the look says.
void ApplyLook(TColorButton* b, const interlock::TabLook& look);
// Text, colour, visibility and hint of a label; only what changes is set.
void SetLabel(QLabel* label, const interlock::LabelLook& look);

// The field refuses typing beyond `limit`, and beyond the length of a longer text the program
// put there: once the user shortens such a text the limit follows it down.
void LimitTyping(QLineEdit* field, int limit);
// A text the program puts into a field goes in whole, so that taking the field back loses nothing.
void PutFieldText(QLineEdit* field, const QString& text, int limit);

}  // namespace ui
