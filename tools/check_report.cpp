#include "tools/check_report.h"

#include <cstdio>
#include <utility>

#include "interlock/cp1251.h"
#include "interlock/int_rule.h"
#include "interlock/report.h"
#include "interlock/engine_texts.h"
#include "tools/tool_texts.h"

namespace check {

// A message on one line: every run of control characters becomes one space.
std::string OneLine(const std::string& text) {
    std::string s;
    bool gap = false;
    for (char c : text) {
        if (static_cast<unsigned char>(c) < 32) {
            gap = true;
            continue;
        }
        if (gap && !s.empty() && s.back() != ' ') s += ' ';
        gap = false;
        s += c;
    }
    return s;
}

namespace {

using interlock::Block;
using interlock::BlockStatus;
using interlock::LabelLook;
using interlock::Side;
using interlock::Workspace;

std::string Utf8(const std::string& text) { return cp1251::ToUtf8(text); }

// The hint the label shows, or nothing when the label is hidden or its hint is off.
std::string ShownHint(const LabelLook& label) {
    return label.visible && label.hintOn ? label.hint : std::string();
}

// The TS numbers of a candidate list. Every entry starts with LF CR "- " and ends either in
// "(ТСn)" (a named TS) or reads "ТСn = v".
std::vector<int> CandidateNumbers(const std::string& list) {
    const std::string& ts = interlock::Texts().ts;
    const std::string separator = "\n\r- ";
    std::vector<int> numbers;
    size_t pos = list.find(separator);
    while (pos != std::string::npos) {
        size_t start = pos + separator.size();
        size_t next = list.find(separator, start);
        std::string_view entry(list.data() + start, (next == std::string::npos ? list.size() : next) - start);
        std::string_view digits;
        if (!entry.empty() && entry.back() == ')') {
            size_t open = entry.rfind("(" + ts);
            if (open != std::string_view::npos) {
                size_t first = open + 1 + ts.size();
                digits = entry.substr(first, entry.size() - 1 - first);
            }
        } else if (entry.substr(0, ts.size()) == ts) {
            size_t end = entry.find(' ', ts.size());
            digits =
                entry.substr(ts.size(), (end == std::string_view::npos ? entry.size() : end) - ts.size());
        }
        int32_t n = 0;
        if (interlock::IsIntInRange(digits, 1, interlock::kTsCount, &n)) numbers.push_back(n);
        pos = next;
    }
    return numbers;
}

LogicReport ReportLogic(const Block& block, Side side) {
    Block::ConstSideFields f = block.Of(side);
    LogicReport r;
    r.empty = f.Logic.empty();
    r.error = f.Error;
    r.message = f.ErrorMessage;
    r.errorLine = f.ErrorLine;
    r.result = f.Result;
    if (f.HasCandidates) r.candidates = CandidateNumbers(f.Candidates);
    r.maxUnreliability = f.Unreliability[0];
    for (int n = 1; n <= interlock::kTsCount; ++n) {
        if (f.Unreliability[n] > 0) r.unreliability.emplace_back(n, f.Unreliability[n]);
    }
    return r;
}

LabelsReport ReportLabels(const interlock::Screen& d) {
    LabelsReport r;
    r.name = d.Top_Label_Name.visible ? d.Top_Label_Name.text : std::string();
    r.nameHint = ShownHint(d.Top_Label_Name);
    r.state = d.Top_Label4.text;
    r.stateColour = d.Top_Label4.colour;
    r.stateHint = ShownHint(d.Top_Label4);
    r.operation = d.Top_Label5.text;
    r.verdict = d.Top_Label6.text;
    r.verdictColour = d.Top_Label6.colour;
    r.verdictHint = ShownHint(d.Top_Label6);
    r.warningVisible = d.Top_Label7.visible;
    r.warningHint = ShownHint(d.Top_Label7);
    return r;
}

const char* StatusName(BlockStatus status) {
    switch (status) {
        case BlockStatus::Empty:
            return "empty";
        case BlockStatus::Erroneous:
            return "erroneous";
        case BlockStatus::Normal:
            break;
    }
    return "normal";
}

nlohmann::ordered_json LogicJson(const LogicReport& r) {
    nlohmann::ordered_json ts = nlohmann::ordered_json::array();
    for (auto [n, code] : r.unreliability) ts.push_back({n, code});
    return {{"empty", r.empty},
            {"error", r.error},
            {"message", Utf8(r.message)},
            {"error_line", Utf8(r.errorLine)},
            {"result", r.result},
            {"candidates", r.candidates},
            {"unreliability", {{"max", r.maxUnreliability}, {"ts", ts}}}};
}

nlohmann::ordered_json LabelsJson(const LabelsReport& r) {
    return {{"name", Utf8(r.name)},
            {"name_hint", Utf8(r.nameHint)},
            {"state", Utf8(r.state)},
            {"state_color", ColourText(r.stateColour)},
            {"state_hint", Utf8(r.stateHint)},
            {"operation", Utf8(r.operation)},
            {"verdict", Utf8(r.verdict)},
            {"verdict_color", ColourText(r.verdictColour)},
            {"verdict_hint", Utf8(r.verdictHint)},
            {"warning_visible", r.warningVisible},
            {"warning_hint", Utf8(r.warningHint)}};
}

// The reason given after the verdict: the first logic error, or the TS that would allow the
// operation, or the reason an erroneous block has no verdict.
std::string Reason(const BlockReport& b) {
    const interlock::EngineTexts& tx = interlock::Texts();
    if (b.on.error) return OneLine(tx.inOnLogic + b.on.message);
    if (b.off.error) return OneLine(tx.inOffLogic + b.off.message);
    const LogicReport& governing = b.labels.operation == tx.switchOff ? b.off : b.on;
    if (b.labels.verdict == tx.forbiddenStar && !governing.candidates.empty()) {
        // The heading of the candidate list, on one line: "Возможные ТС для изменения:".
        std::string s = tx.candidatesHeader.substr(0, tx.candidatesHeader.find_last_not_of(" \n\r") + 1);
        s.erase(0, s.find_first_not_of("\n\r"));
        for (size_t i = 0; i < governing.candidates.size(); ++i) {
            s += (i ? ", " : " ") + tx.ts + std::to_string(governing.candidates[i]);
        }
        return s;
    }
    if (b.labels.warningVisible) return OneLine(b.labels.warningHint);
    if (b.status == BlockStatus::Erroneous) return OneLine(b.labels.verdictHint);
    return {};
}

}  // namespace

std::optional<std::map<int, int>> ParseAssignments(std::string_view text, int nLo, int nHi, int vLo,
                                                   int vHi) {
    std::map<int, int> result;
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = text.find(',', start);
        std::string_view item =
            text.substr(start, (comma == std::string_view::npos ? text.size() : comma) - start);
        size_t eq = item.find('=');
        if (eq == std::string_view::npos) return std::nullopt;
        int32_t n = 0;
        int32_t v = 0;
        if (!interlock::IsIntInRange(item.substr(0, eq), nLo, nHi, &n)) return std::nullopt;
        if (!interlock::IsIntInRange(item.substr(eq + 1), vLo, vHi, &v)) return std::nullopt;
        result[n] = v;
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    return result;
}

CheckResult RunCheck(Workspace& ws, const Request& request) {
    for (auto [n, v] : request.values) ws.TsTable.Value[n] = v;
    for (auto [n, code] : request.unreliable) ws.TsTable.Unreliability[n] = code;
    interlock::RecalculateAll(ws);

    CheckResult result;
    for (int n = 1; n <= interlock::kBlockCount; ++n) {
        if (request.block != 0 && n != request.block) continue;
        // The operator selects the block: its tab group comes on show and the block is shown.
        ws.CurrentBlock = n;
        ws.TabGroup = (n - 1) / 16;
        interlock::ShowBlock(ws, n);

        const Block& b = ws.Blocks[n];
        BlockReport r;
        r.number = n;
        r.name = b.Name;
        r.stateSignal = ws.Fields.TS_State_Number;
        r.status = interlock::StatusOf(ws, b);
        r.view = ws.CurrentView;
        r.on = ReportLogic(b, Side::On);
        r.off = ReportLogic(b, Side::Off);
        r.labels = ReportLabels(ws.Display);
        if (r.status == BlockStatus::Erroneous) result.erroneous.push_back(n);
        result.blocks.push_back(std::move(r));
    }
    return result;
}

nlohmann::ordered_json ToJson(const CheckResult& result, const std::string& file) {
    nlohmann::ordered_json blocks = nlohmann::ordered_json::array();
    for (const BlockReport& b : result.blocks) {
        blocks.push_back({{"number", b.number},
                          {"name", Utf8(b.name)},
                          {"state_signal", Utf8(b.stateSignal)},
                          {"status", StatusName(b.status)},
                          {"view", interlock::SideName(b.view)},
                          {"on", LogicJson(b.on)},
                          {"off", LogicJson(b.off)},
                          {"report", LabelsJson(b.labels)}});
    }
    return {{"file", file}, {"erroneous", result.erroneous}, {"blocks", blocks}};
}

std::string ToText(const CheckResult& result) {
    std::string out;
    int normal = 0;
    int erroneous = 0;
    int empty = 0;
    for (const BlockReport& b : result.blocks) {
        switch (b.status) {
            case BlockStatus::Empty:
                ++empty;
                continue;
            case BlockStatus::Erroneous:
                ++erroneous;
                break;
            case BlockStatus::Normal:
                ++normal;
                break;
        }
        std::string line = std::to_string(b.number);
        line.insert(0, line.size() < 2 ? " " : "");
        line += " " + (b.name.empty() ? std::string("-") : b.name);
        line += " [" + b.stateSignal + "]: " + b.labels.state + ", " + b.labels.operation + " " +
                b.labels.verdict;
        if (std::string reason = Reason(b); !reason.empty()) line += " - " + reason;
        out += Utf8(line) + "\n";
    }
    out += tools::Fill(tools::Texts().blocksSummary,
                       {std::to_string(normal), std::to_string(erroneous), std::to_string(empty)}) +
           "\n";
    return out;
}

std::string ColourText(interlock::Colour colour) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%06X", static_cast<unsigned>(colour));
    return buffer;
}

}  // namespace check
