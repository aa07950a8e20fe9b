#include "ui/model/diagram_layout.h"
#include "ui/model/diagram_texts.h"

#include <algorithm>
#include <functional>
#include <map>

#include "analysis/logic_reader.h"
#include "interlock/compiled_logic.h"
#include "interlock/cp1251.h"
#include "interlock/engine_texts.h"
#include "topology/topology_texts.h"
#include "ui/model/analysis_page_texts.h"
#include "ui/model/logic_error.h"
#include "ui/model/window_analysis_texts.h"

namespace ui::diagram {
namespace {

using interlock::Side;
using interlock::Workspace;

// The class of a value as an operand reads it (lowest 8 bits): 0, 1, or -1 for neither.
int ClassOf(int raw) {
    raw &= 0xFF;
    return raw == 0 ? 0 : raw == 1 ? 1 : -1;
}

Tone ToneOf(int cls) { return cls == 1 ? Tone::True : cls == 0 ? Tone::False : Tone::Neither; }

// One operand as evaluated.
struct Read {
    int cls = -1;               // what the operand reads, "~" applied
    Tone tone = Tone::Neither;  // what its wire carries, before the bubble
    int source = -1;            // for M: the line (position in the structure) that assigned it
};

}  // namespace

// The lines to draw: those of the compiled form; for a text with an error, every line that reads
// well once the lines that stop the form are left out (a few at most), numbered as in the text.
static analysis::LogicStructure DrawnLines(const interlock::LogicText& text, int number) {
    analysis::LogicStructure s = analysis::ReadLogic(text, number);
    if (!interlock::CompiledFormOf(text, number).hasError) return s;
    std::vector<std::string> kept = text.lines();
    std::vector<int> index(kept.size());
    for (size_t i = 0; i < index.size(); ++i) index[i] = static_cast<int>(i);
    for (int tries = 0; tries < 16; ++tries) {
        const auto form = interlock::CompileLogic(kept, number);
        s = analysis::ReadLogic(*form);
        for (analysis::LogicLine& l : s.lines) l.index = index[static_cast<size_t>(l.index)];
        if (!form->hasError || !form->errorHasLine) break;
        // The line that stopped it: the first non-empty line after the last one read.
        size_t at = form->lineSource.empty() ? 0 : form->lineSource.back() + 1;
        while (at < kept.size() && kept[at].empty()) ++at;
        if (at >= kept.size()) break;
        kept.erase(kept.begin() + static_cast<long>(at));
        index.erase(index.begin() + static_cast<long>(at));
    }
    return s;
}

Diagram LayOut(const Workspace& ws, int number, Side side, const Metrics& metrics) {
    Diagram d;
    const interlock::Block& block = ws.Blocks[number];
    const auto fields = block.Of(side);
    const topology::TopologyTexts& t = topology::Texts();
    // A logic with a text error has no verdict (the main window says "ошибка!"): it is drawn
    // without values, and the note names the line and the message.
    Metrics m = metrics;
    if (fields.Error) m.values = false;
    d.title = PageWords().block + std::to_string(number) + ", " + (side == Side::On ? t.on : t.off) +
              (block.Name.empty() ? std::string() : ": " + block.Name);
    if (fields.Logic.empty()) d.note = PageWords().emptyLogic;
    if (fields.Error) {
        const int line = ErrorLineNumber(fields.Logic, fields.ErrorLine);
        d.note = line > 0 ? AnalysisTexts().errorInLine + std::to_string(line) + ": " +
                                OneLine(fields.ErrorMessage)
                          : AnalysisTexts().errorNoLine + OneLine(fields.ErrorMessage);
    }

    const analysis::LogicStructure s = DrawnLines(fields.Logic, number);
    const size_t n = s.lines.size();

    // Values line by line, by the evaluator's fold: an AND gives 0 at its first operand that
    // reads 0, an OR 1 at its first that reads 1; other values decide nothing.
    std::vector<std::vector<Read>> reads(n);
    std::vector<int> value(n, 0), depth(n, 0);
    std::map<int, int> lastAssigned;  // M number -> line position
    for (size_t i = 0; i < n; ++i) {
        const analysis::LogicLine& l = s.lines[i];
        int acc = l.isAnd ? 1 : 0;
        bool decided = false;
        for (const analysis::Operand& o : l.operands) {
            Read r;
            if (o.letter == 'M') {
                auto it = lastAssigned.find(o.number);
                if (it != lastAssigned.end()) {
                    r.source = it->second;
                    r.tone = ToneOf(value[r.source]);
                    r.cls = value[r.source] ^ (o.inverted ? 1 : 0);
                    depth[i] = std::max(depth[i], depth[r.source] + 1);
                }
            } else if (o.number >= 1 && o.number <= interlock::kTsCount) {
                const int raw = ws.TsTable.Value[o.number] & 0xFF;
                r.cls = ClassOf(o.inverted ? raw ^ 1 : raw);
                // Coloured as the editor colours the operand: by the value the logic reads ("~" applied).
                r.tone = ws.TsTable.Unreliability[o.number] == 2 ? Tone::Unreliable : ToneOf(r.cls);
            }
            if (!decided && ((l.isAnd && r.cls == 0) || (!l.isAnd && r.cls == 1))) {
                acc = r.cls;
                decided = true;
            }
            reads[i].push_back(r);
        }
        value[i] = l.negated ? acc ^ 1 : acc;
        if (!m.values)
            for (Read& r : reads[i]) r.tone = Tone::Neither;
        if (l.target == 'M') lastAssigned[l.targetNumber] = static_cast<int>(i);
    }

    // A forbidden logic: follow the 0 back through the lines. An operand takes part when it
    // reads the value its operation came to (before "~" on the operation).
    std::vector<bool> gateMarked(n, false);
    std::vector<std::vector<bool>> operandMarked(n);
    for (size_t i = 0; i < n; ++i) operandMarked[i].assign(reads[i].size(), false);
    const bool valid = !fields.Error && s.outputLine >= 0;
    d.forbidden = m.values && valid && value[s.outputLine] == 0;
    if (d.forbidden) {
        std::function<void(int)> mark = [&](int i) {
            if (gateMarked[i]) return;
            gateMarked[i] = true;
            const int acc = s.lines[i].negated ? value[i] ^ 1 : value[i];
            for (size_t k = 0; k < reads[i].size(); ++k) {
                if (reads[i][k].cls != acc) continue;
                operandMarked[i][k] = true;
                const analysis::Operand& o = s.lines[i].operands[k];
                if (o.letter != 'M') d.decidingTs.push_back(o.number);
                if (reads[i][k].source >= 0) mark(reads[i][k].source);
            }
        };
        mark(s.outputLine);
        std::sort(d.decidingTs.begin(), d.decidingTs.end());
        d.decidingTs.erase(std::unique(d.decidingTs.begin(), d.decidingTs.end()), d.decidingTs.end());
    }

    // Geometry: a band per line, a column per depth.
    int columns = 1;
    for (int dd : depth) columns = std::max(columns, dd + 1);
    const double stub = 34;  // output stub with its name
    // Every line that feeds a column gets its own channel before it, 6 units apart.
    std::map<int, std::vector<int>> feeds;  // column -> source lines
    for (size_t i = 0; i < n; ++i)
        for (const Read& r : reads[i]) {
            std::vector<int>& f = feeds[depth[i]];
            if (r.source >= 0 && std::find(f.begin(), f.end(), r.source) == f.end()) f.push_back(r.source);
        }
    size_t channels = 0;
    for (const auto& [column, sources] : feeds) channels = std::max(channels, sources.size());
    const double gap = std::max(m.columnGap, 48 + 6.0 * static_cast<double>(channels));
    const double stride = m.gateWidth + stub + gap;
    // The label column fits the longest TS label, at about 7.2 units a character.
    double labelWidth = 40;
    for (const analysis::LogicLine& l : s.lines)
        for (const analysis::Operand& o : l.operands) {
            if (o.letter == 'M') continue;
            size_t chars = o.text.size() + 1;
            if (o.number >= 1 && o.number <= interlock::kTsCount)
                chars += ws.TsTable.Name[o.number].size() + 1;
            labelWidth = std::max(labelWidth, chars * 7.2 + 12);
        }
    labelWidth = std::min(labelWidth, m.labelWidth);
    const double inputsEnd = m.margin + labelWidth;
    auto gateLeft = [&](int column) { return inputsEnd + m.columnGap * 0.6 + column * stride; };
    const double terminalX = gateLeft(columns) - gap * 0.4;

    if (!m.title) d.title.clear();
    double y = m.margin + (m.title ? m.titleHeight : 0) + (d.note.empty() ? 0 : 20);
    for (size_t i = 0; i < n; ++i) {
        const analysis::LogicLine& l = s.lines[i];
        Gate g;
        g.line = l.index + 1;
        g.target = std::string(1, l.target) + std::to_string(l.targetNumber);
        g.isAnd = l.isAnd;
        g.negated = l.negated;
        g.tone = m.values ? ToneOf(value[i]) : Tone::Neither;
        g.emphasised = gateMarked[i];
        const size_t inputs = std::max<size_t>(1, l.operands.size());
        y += 12;  // the line number above the gate
        g.box = Rect{gateLeft(depth[i]), y, m.gateWidth, inputs * m.pitch};
        d.labels.push_back({{g.box.x, y - 3},
                            DiagramPageTexts().linePrefix + std::to_string(g.line),
                            Label::Align::Left,
                            Tone::Neither,
                            false,
                            true,
                            0});
        d.labels.push_back({{g.box.x + g.box.w / 2, g.box.y + g.box.h / 2 + 4},
                            std::string(g.negated ? "~" : "") + (g.isAnd ? "AND" : "OR"),
                            Label::Align::Centre,
                            Tone::Neither,
                            true,
                            false,
                            0});
        const double outY = g.box.y + g.box.h / 2;
        g.output = {g.box.x + g.box.w + (g.negated ? 8 : 0), outY};
        const bool isOutput = static_cast<int>(i) == s.outputLine;
        const double outEnd = isOutput ? terminalX : g.output.x + stub;
        d.wires.push_back({{g.output, {outEnd, outY}}, g.tone, g.emphasised});
        if (!isOutput)
            d.labels.push_back(
                {{g.output.x + 4, outY - 4}, g.target, Label::Align::Left, g.tone, true, false, 0});

        for (size_t k = 0; k < l.operands.size(); ++k) {
            const analysis::Operand& o = l.operands[k];
            const Read& r = reads[i][k];
            const bool marked = operandMarked[i][k];
            Pin p;
            p.bubble = o.inverted;
            p.tone = r.tone;
            p.at = {g.box.x, g.box.y + (k + 0.5) * m.pitch};
            const double wireEnd = p.at.x - (p.bubble ? 8 : 0);
            if (r.source >= 0) {
                const Gate& from = d.gates[r.source];
                const std::vector<int>& f = feeds[depth[i]];
                const auto slot = std::find(f.begin(), f.end(), r.source) - f.begin();
                const double cx = g.box.x - 28 - static_cast<double>(slot) * 6;
                const double fromY = from.output.y;
                d.wires.push_back(
                    {{{from.output.x + stub, fromY}, {cx, fromY}, {cx, p.at.y}, {wireEnd, p.at.y}},
                     r.tone,
                     marked});
                d.labels.push_back({{cx + 3, p.at.y - 3},
                                    "M" + std::to_string(o.number),
                                    Label::Align::Left,
                                    r.tone,
                                    marked,
                                    true,
                                    0});
            } else {
                std::string text = std::string(1, o.letter) + std::to_string(o.number);
                if (o.letter != 'M' && o.number >= 1 && o.number <= interlock::kTsCount &&
                    !ws.TsTable.Name[o.number].empty())
                    text += " " + ws.TsTable.Name[o.number];
                d.labels.push_back({{inputsEnd - 6, p.at.y + 4},
                                    text,
                                    Label::Align::Right,
                                    r.tone,
                                    marked,
                                    false,
                                    labelWidth - 10,
                                    o.letter == 'M' ? 0 : o.number});
                d.labels.back().line = g.line;
                std::string shown = "?";
                if (o.letter != 'M' && o.number >= 1 && o.number <= interlock::kTsCount)
                    shown = std::to_string(ws.TsTable.Value[o.number]);
                if (m.values)
                    d.labels.push_back(
                        {{inputsEnd + 3, p.at.y - 3}, shown, Label::Align::Left, r.tone, marked, true, 0});
                d.wires.push_back({{{inputsEnd, p.at.y}, {wireEnd, p.at.y}}, r.tone, marked});
            }
            g.inputs.push_back(p);
        }
        if (isOutput) {
            Terminal t;
            t.box = {terminalX, outY - 12, 74, 24};
            t.text = m.values ? g.target + " = " + std::to_string(value[i]) : g.target;
            t.tone = g.tone;
            d.terminals.push_back(t);
        }
        d.gates.push_back(std::move(g));
        y += inputs * m.pitch + m.rowGap;
    }
    // Room for the title and the note on one line (the painter shortens a longer note).
    const double text = 2 * m.margin + 7.2 * static_cast<double>(std::max(d.title.size(), d.note.size()));
    d.width = std::max(terminalX + 74 + m.margin, std::min(text, 1200.0));
    d.height = y + m.margin;
    return d;
}

int LineAt(const Diagram& d, Point at) {
    for (const Gate& g : d.gates)
        if (at.x >= g.box.x - 4 && at.x <= g.box.x + g.box.w + 10 && at.y >= g.box.y - 14 &&
            at.y <= g.box.y + g.box.h + 2)
            return g.line;
    for (const Label& l : d.labels) {
        if (l.line == 0 || at.y < l.at.y - 13 || at.y > l.at.y + 5) continue;
        if (at.x <= l.at.x + 34 && at.x >= l.at.x - l.maxWidth) return l.line;
    }
    return 0;
}

int TsAt(const Diagram& d, Point at) {
    for (const Label& l : d.labels) {
        if (l.ts == 0 || at.y < l.at.y - 13 || at.y > l.at.y + 5) continue;
        // The label, and the start of its wire where the value is written.
        if (at.x <= l.at.x + 34 && at.x >= l.at.x - l.maxWidth) return l.ts;
    }
    return 0;
}

void AddExportNotes(Diagram& d, const interlock::TsTableData& table, const std::string& time) {
    const DiagramTexts& x = DiagramPageTexts();
    const AnalysisViewTexts& t = AnalysisTexts();
    double y = d.height + 6;
    const double left = 14;
    // The legend: a dash in each colour, as the wires are drawn.
    const std::string dash = "\x97\x97 ";  // "—— " in Windows-1251
    double at = left;
    const auto swatch = [&](Tone tone, const std::string& text, bool bold) {
        d.labels.push_back({{at, y + 12}, dash + text, Label::Align::Left, tone, bold, false, 0});
        at += 6.8 * static_cast<double>(dash.size() + text.size()) + 18;
    };
    swatch(Tone::True, "1", false);
    swatch(Tone::False, "0", false);
    swatch(Tone::Unreliable, x.legendUnreliable, false);
    swatch(Tone::Neither, x.legendDecisive, true);
    y += 18;
    if (!time.empty()) {
        d.labels.push_back(
            {{left, y + 12}, t.exportTime + time, Label::Align::Left, Tone::Neither, false, false, 0});
        y += 16;
    }
    // The TS the drawing reads, each once, ascending, wrapped to the drawing's width.
    std::vector<int> read;
    for (const Label& l : d.labels)
        if (l.ts >= 1 && l.ts <= interlock::kTsCount) read.push_back(l.ts);
    std::sort(read.begin(), read.end());
    read.erase(std::unique(read.begin(), read.end()), read.end());
    const size_t perLine = static_cast<size_t>(std::max(40.0, (std::max(d.width, at) - 2 * left) / 6.5));
    std::string line = t.exportValues;
    const auto flush = [&] {
        d.labels.push_back({{left, y + 12}, line, Label::Align::Left, Tone::Neither, false, false, 0});
        y += 16;
        line.clear();
    };
    for (size_t i = 0; i < read.size(); ++i) {
        const int ts = read[i];
        std::string item =
            interlock::Texts().ts + std::to_string(ts) + " = " + std::to_string(table.Value[ts]);
        if (table.Unreliability[ts] == 2) item += " (" + x.legendUnreliable + ")";
        if (i + 1 < read.size()) item += ", ";
        if (!line.empty() && line.size() + item.size() > perLine) flush();
        line += item;
    }
    if (!line.empty()) flush();
    d.width = std::max(d.width, at + left);
    d.height = y + 8;
}

std::vector<Rect> Find(const Diagram& d, const SearchTerm& term) {
    std::vector<Rect> out;
    const std::string m = "M" + std::to_string(term.number);
    // A label's box from its anchor; its width estimated from the text (about 6.5 units a
    // character at the label size), within its limit.
    const auto box = [](const Label& l) {
        double w = 6.5 * static_cast<double>(l.text.size()) * (l.small ? 0.82 : 1.0);
        if (l.maxWidth > 0) w = std::min(w, l.maxWidth);
        const double x = l.align == Label::Align::Right    ? l.at.x - w
                         : l.align == Label::Align::Centre ? l.at.x - w / 2
                                                           : l.at.x;
        return Rect{x - 3, l.at.y - 12, w + 6, 16};
    };
    if (term.kind == SearchTerm::Kind::Ts) {
        for (const Label& l : d.labels)
            if (l.ts == term.number) out.push_back(box(l));
    } else {
        for (const Gate& g : d.gates)
            if (g.target == m) out.push_back({g.box.x - 4, g.box.y - 4, g.box.w + 8, g.box.h + 8});
        // The labels where its wires arrive (the name at a gate's own output is marked with the
        // gate).
        for (const Label& l : d.labels)
            if (l.ts == 0 && l.small && l.text == m) out.push_back(box(l));
    }
    std::stable_sort(out.begin(), out.end(), [](const Rect& a, const Rect& b) { return a.y < b.y; });
    return out;
}

Diagram LayOutCurrent(const Workspace& ws, const Metrics& m) {
    return LayOut(ws, ws.CurrentBlock, ws.CurrentView, m);
}

}  // namespace ui::diagram
