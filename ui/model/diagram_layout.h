#pragma once

// The logic on view as a function-block diagram, laid out in plain C++: one gate per line,
// the TS inputs on the left with their numbers and names, M variables as wires from the line
// that assigns them to the lines that read them, and the output V on the right. Every input
// and wire carries the value it has under the present TS values, and for a logic that gives 0
// the inputs that decide that 0 are marked. A painter draws this; nothing here knows Qt.
//
// Coordinates are in drawing units (a pixel at zoom 1, a point on paper). Texts are
// Windows-1251.

#include <string>
#include <vector>

#include "interlock/workspace.h"

namespace ui::diagram {

// What a wire carries, and the colour it is drawn with.
enum class Tone {
    True,        // 1: green
    False,       // 0: red
    Unreliable,  // a TS marked hardware-unreliable: grey
    Neither,     // a value other than 0 and 1, or an M never assigned: black
};

struct Point {
    double x = 0, y = 0;
};
struct Rect {
    double x = 0, y = 0, w = 0, h = 0;
};

struct Pin {
    Point at;                   // where the wire meets the gate's edge
    bool bubble = false;        // "~" on the operand
    Tone tone = Tone::Neither;  // of the wire that arrives
};

struct Gate {
    int line = 0;        // from 1 in the logic text
    std::string target;  // "M2" / "V5"
    bool isAnd = true;
    bool negated = false;  // "~AND" / "~OR": a bubble on the output
    Rect box;
    std::vector<Pin> inputs;
    Point output;  // the end of the output stub (after the bubble)
    Tone tone = Tone::Neither;
    bool emphasised = false;
};

struct Wire {
    std::vector<Point> path;  // a polyline
    Tone tone = Tone::Neither;
    bool emphasised = false;
};

struct Label {
    enum class Align { Left, Right, Centre };
    Point at;  // the anchor on the text's base line
    std::string text;
    Align align = Align::Left;
    Tone tone = Tone::Neither;
    bool bold = false;
    bool small = false;
    double maxWidth = 0;  // 0: no limit; otherwise the painter elides the text to it
    int ts = 0;           // the TS of an input's label, for its tooltip
    int line = 0;         // the logic line (from 1) an input's label feeds
};

// The output terminal of the logic: the box with the block's V and its value.
struct Terminal {
    Rect box;
    std::string text;
    Tone tone = Tone::Neither;
};

struct Diagram {
    std::string title;  // "Блок 5, включение: Q2 Выключатель линии Л-1"
    std::string note;   // an empty logic, or the parser's message for a logic with an error
    double width = 0, height = 0;
    std::vector<Gate> gates;
    std::vector<Wire> wires;
    std::vector<Label> labels;
    std::vector<Terminal> terminals;
    bool forbidden = false;       // the logic gives 0: the marked inputs decide it
    std::vector<int> decidingTs;  // the TS of the marked inputs, ascending
    std::vector<Rect> found;      // what a search found, marked behind the drawing
};

// Adds under the drawing what an export carries besides it: the legend of the colours, when the
// values were read (`time`, as the caller writes it) and the value of every TS it reads.
void AddExportNotes(Diagram& d, const interlock::TsTableData& table, const std::string& time);

// What a search looks for: a TS (read as S, D or as the state signal) or an M variable.
struct SearchTerm {
    enum class Kind { Ts, M };
    Kind kind = Kind::Ts;
    int number = 0;

    bool operator==(const SearchTerm&) const = default;
};

// The places of the drawing that name `term`, top to bottom: the input labels of a TS, the
// gates that assign an M and the labels of the wires that carry it.
std::vector<Rect> Find(const Diagram& d, const SearchTerm& term);

// Sizes of the drawing, in drawing units.
struct Metrics {
    double pitch = 22;  // between two inputs of a gate
    double gateWidth = 56;
    double columnGap = 70;  // between gate columns, where the M wires turn
    // The widest column of TS labels (narrower when the labels are short): on screen and in the
    // exports every TS name is whole; the printed sheet sets a limit.
    double labelWidth = 1e6;
    double rowGap = 16;  // between the bands of two lines
    double margin = 14;
    double titleHeight = 26;
    bool values = true;  // false: a neutral drawing for paper, without values or marks
    bool title = true;
};

// The diagram of one logic of a block under the present TS values of `ws` (M values are
// computed from the lines, not read from the shared M table).
Diagram LayOut(const interlock::Workspace& ws, int block, interlock::Side side, const Metrics& m = {});

// The TS whose input label (or the start of its wire) lies at `at`, in drawing units; 0 when none.
int TsAt(const Diagram& d, Point at);

// The logic line (from 1) of the gate, or of the input label, at `at`; 0 when none is there.
int LineAt(const Diagram& d, Point at);

// The logic on view: the current block, CurrentView.
Diagram LayOutCurrent(const interlock::Workspace& ws, const Metrics& m = {});

}  // namespace ui::diagram
