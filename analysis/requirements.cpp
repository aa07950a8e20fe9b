#include "analysis/requirements.h"

#include <cctype>
#include <string_view>

#include "analysis/analysis_texts.h"
#include "analysis/model.h"
#include "interlock/cp1251.h"

namespace analysis {
namespace {

using interlock::Side;

struct ParseFailure {
    size_t position;  // from 0 in the line
    std::string message;
};

// A cursor over one line; positions are those of the whole line.
class Reader {
public:
    Reader(std::string_view line, size_t begin, size_t end) : line_(line), p_(begin), end_(end) {}

    void Blanks() {
        while (p_ < end_ && (line_[p_] == ' ' || line_[p_] == '\t')) ++p_;
    }
    bool AtEnd() {
        Blanks();
        return p_ >= end_;
    }
    size_t Position() const { return p_; }
    char Peek() const { return p_ < end_ ? line_[p_] : '\0'; }
    bool Take(char c) {
        Blanks();
        if (Peek() != c) return false;
        ++p_;
        return true;
    }
    // A run of ASCII letters, upper-cased.
    std::string Word() {
        Blanks();
        std::string w;
        while (p_ < end_ && std::isalpha(static_cast<unsigned char>(line_[p_])) &&
               static_cast<unsigned char>(line_[p_]) < 128) {
            w += static_cast<char>(std::toupper(static_cast<unsigned char>(line_[p_++])));
        }
        return w;
    }
    // Decimal digits; nothing when there are none or too many.
    std::optional<int> Number() {
        Blanks();
        int v = 0;
        size_t digits = 0;
        while (p_ < end_ && std::isdigit(static_cast<unsigned char>(line_[p_]))) {
            v = v * 10 + (line_[p_++] - '0');
            if (++digits > 6) return std::nullopt;
        }
        if (digits == 0) return std::nullopt;
        return v;
    }
    void Rewind(size_t p) { p_ = p; }

private:
    std::string_view line_;
    size_t p_;
    size_t end_;
};

Condition ParseCondition(Reader& r, int depth) {
    const AnalysisTexts& tx = Texts();
    if (depth > kMaxConditionDepth) throw ParseFailure{r.Position(), tx.reqDepth};
    Condition c;
    c.negated = r.Take('~');
    r.Blanks();
    const size_t at = r.Position();
    const std::string word = r.Word();
    if (word == "AND" || word == "OR") {
        c.kind = word == "AND" ? Condition::Kind::And : Condition::Kind::Or;
        r.Blanks();
        if (!r.Take('(')) throw ParseFailure{r.Position(), tx.reqOpen};
        for (;;) {
            c.operands.push_back(ParseCondition(r, depth + 1));
            if (r.Take(',')) continue;
            if (r.Take(')')) break;
            r.Blanks();
            throw ParseFailure{r.Position(), tx.reqNext};
        }
        return c;
    }
    if (word == "S" || word == "D") {
        const size_t numberAt = r.Position();
        std::optional<int> n = r.Number();
        if (!n || *n < 1 || *n > interlock::kTsCount) throw ParseFailure{numberAt, tx.reqTs};
        c.kind = Condition::Kind::Ts;
        c.ts = *n;
        return c;
    }
    throw ParseFailure{at, tx.reqOperand};
}

std::string Trimmed(std::string_view s) {
    size_t a = 0;
    size_t b = s.size();
    while (a < b && (s[a] == ' ' || s[a] == '\t')) ++a;
    while (b > a && (s[b - 1] == ' ' || s[b - 1] == '\t' || s[b - 1] == '\r')) --b;
    return std::string(s.substr(a, b - a));
}

// NEVER REACHABLE condition / ALWAYS condition, after the first word.
Requirement& ParseInvariant(Reader& r, const std::string& first, Requirement& req) {
    if (first == "NEVER") {
        r.Blanks();
        const size_t at = r.Position();
        if (r.Word() != "REACHABLE") throw ParseFailure{at, Texts().reqReachable};
    }
    req.kind = first == "NEVER" ? Requirement::Kind::NeverReachable : Requirement::Kind::Always;
    req.condition = ParseCondition(r, 1);
    if (!r.AtEnd()) throw ParseFailure{r.Position(), Texts().reqTrailing};
    return req;
}

Requirement ParseLine(std::string_view line, size_t end) {
    const AnalysisTexts& tx = Texts();
    Requirement req;
    size_t begin = 0;
    const size_t colon = line.substr(0, end).rfind(':');
    if (colon != std::string_view::npos) {
        req.label = Trimmed(line.substr(0, colon));
        begin = colon + 1;
    }
    req.text = Trimmed(line.substr(begin, end - begin));
    Reader r(line, begin, end);
    r.Blanks();
    size_t at = r.Position();
    const std::string side = r.Word();
    if (side == "NEVER" || side == "ALWAYS") return ParseInvariant(r, side, req);
    if (side != "ON" && side != "OFF") throw ParseFailure{at, tx.reqSide};
    req.side = side == "ON" ? Side::On : Side::Off;
    r.Blanks();
    at = r.Position();
    std::optional<int> block = r.Number();
    if (!block || *block < 1 || *block > interlock::kBlockCount) throw ParseFailure{at, tx.reqBlock};
    req.block = *block;
    r.Blanks();
    at = r.Position();
    const std::string kind = r.Word();
    if (kind == "REQUIRES") {
        req.kind = Requirement::Kind::Requires;
    } else if (kind == "FORBIDDEN") {
        r.Blanks();
        const size_t whenAt = r.Position();
        if (r.Word() != "WHEN") throw ParseFailure{whenAt, tx.reqWhen};
        req.kind = Requirement::Kind::ForbiddenWhen;
    } else if (kind == "POSSIBLE") {
        req.kind = Requirement::Kind::Possible;
    } else {
        throw ParseFailure{at, tx.reqKind};
    }
    if (req.kind != Requirement::Kind::Possible) req.condition = ParseCondition(r, 1);
    if (!r.AtEnd()) throw ParseFailure{r.Position(), tx.reqTrailing};
    return req;
}

bdd ConditionModel(const Condition& c, const interlock::TsTableData& table) {
    bdd v;
    if (c.kind == Condition::Kind::Ts) {
        const PairBit b = BitOf(table, c.ts);
        v = BddSession::Value(b.ts);
        if (b.flipped) v = !v;
    } else {
        const bool isAnd = c.kind == Condition::Kind::And;
        v = isAnd ? bddtrue : bddfalse;
        for (const Condition& o : c.operands) {
            const bdd x = ConditionModel(o, table);
            v = isAnd ? (v & x) : (v | x);
        }
    }
    return c.negated ? !v : v;
}

}  // namespace

RequirementsFile ParseRequirements(const std::vector<std::string>& lines) {
    RequirementsFile file;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        size_t end = line.find('#');
        if (end == std::string_view::npos) end = line.size();
        if (Trimmed(line.substr(0, end)).empty()) continue;
        try {
            Requirement req = ParseLine(line, end);
            req.line = static_cast<int>(i + 1);
            file.requirements.push_back(std::move(req));
        } catch (const ParseFailure& f) {
            file.errors.push_back({static_cast<int>(i + 1), static_cast<int>(f.position + 1), f.message});
        }
    }
    return file;
}

// Valid UTF-8 with at least one byte beyond ASCII (overlong forms and surrogates refused).
static bool LooksUtf8(std::string_view s) {
    bool wide = false;
    for (size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        wide = true;
        size_t n = 0;
        unsigned lo = 0x80, hi = 0xBF;
        if (c >= 0xC2 && c <= 0xDF) {
            n = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            n = 2;
            if (c == 0xE0) lo = 0xA0;
            if (c == 0xED) hi = 0x9F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            n = 3;
            if (c == 0xF0) lo = 0x90;
            if (c == 0xF4) hi = 0x8F;
        } else {
            return false;
        }
        for (size_t k = 1; k <= n; ++k) {
            if (i + k >= s.size()) return false;
            const unsigned char b = static_cast<unsigned char>(s[i + k]);
            if (b < (k == 1 ? lo : 0x80) || b > (k == 1 ? hi : 0xBF)) return false;
        }
        i += n + 1;
    }
    return wide;
}

RequirementsFile ParseRequirementsFile(std::string_view bytes) {
    std::string converted;
    if (LooksUtf8(bytes)) {
        converted = cp1251::FromUtf8(bytes);
        bytes = converted;
    }
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = start;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') ++end;
        lines.emplace_back(bytes.substr(start, end - start));
        if (end == bytes.size()) break;
        start = end + (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n' ? 2 : 1);
    }
    return ParseRequirements(lines);
}

const std::string& VerdictText(Verdict v) {
    const AnalysisTexts& tx = Texts();
    switch (v) {
        case Verdict::Proven:
            return tx.proven;
        case Verdict::Refuted:
            return tx.refuted;
        case Verdict::NotChecked:
            return tx.notChecked;
        case Verdict::Undetermined:
            break;
    }
    return tx.undetermined;
}

std::optional<Condition> ParseConditionText(std::string_view text, RequirementError* error) {
    Reader r(text, 0, text.size());
    try {
        Condition c = ParseCondition(r, 1);
        if (!r.AtEnd()) throw ParseFailure{r.Position(), Texts().reqTrailing};
        return c;
    } catch (const ParseFailure& f) {
        if (error) *error = {1, static_cast<int>(f.position + 1), f.message};
        return std::nullopt;
    }
}

bool EvaluateCondition(const Condition& c, const interlock::TsTableData& table) {
    if (c.kind == Condition::Kind::Ts) {
        // A condition is about 0/1 states: a value reads as its lowest bit.
        const bool v = (table.Value[c.ts] & 1) != 0;
        return v != c.negated;
    }
    const bool isAnd = c.kind == Condition::Kind::And;
    bool v = isAnd;
    for (const Condition& o : c.operands) {
        const bool x = EvaluateCondition(o, table);
        v = isAnd ? (v && x) : (v || x);
    }
    return v != c.negated;
}

std::vector<RequirementResult> Prove(Analyser& analyser, const interlock::Workspace& ws,
                                     const std::vector<Requirement>& requirements) {
    const AnalysisTexts& tx = Texts();
    analyser.Update(ws);
    std::vector<RequirementResult> results;
    for (const Requirement& req : requirements) {
        RequirementResult r;
        r.requirement = req;
        const interlock::Block& b = ws.Blocks[req.block];
        const LogicModel* model = analyser.Model(req.block, req.side);
        if (req.IsInvariant()) {
            r.reason = tx.reqInvariant;
        } else if (b.Of(req.side).Logic.empty()) {
            r.reason = tx.reqEmptyLogic;
        } else if (!model) {
            r.reason = tx.reqLogicError + analyser.LogicError(req.block, req.side);
        } else if (b.StateSignal == 0) {
            r.reason = tx.reqNoState;
        } else if (model->undetermined) {
            r.verdict = Verdict::Undetermined;
            r.reason = tx.budget;
        } else {
            r.state = GoverningLiteral(ws.TsTable, b.StateSignal, req.side);
            const bdd state = GoverningState(ws.TsTable, b.StateSignal, req.side);
            const bdd allowed = bdd_restrict(model->output, state);
            bdd bad;
            if (req.kind == Requirement::Kind::Possible) {
                bad = bddfalse;
                r.verdict = allowed == bddfalse ? Verdict::Refuted : Verdict::Proven;
                if (r.verdict == Verdict::Refuted) r.reason = tx.reqNever;
            } else {
                const bdd c = bdd_restrict(ConditionModel(req.condition, ws.TsTable), state);
                bad = allowed & (req.kind == Requirement::Kind::Requires ? !c : c);
                r.verdict = bad == bddfalse ? Verdict::Proven : Verdict::Refuted;
                if (r.verdict == Verdict::Refuted) r.counterexample = SmallestCube(bad);
            }
            if (analyser.Session().Overflowed()) {
                r.verdict = Verdict::Undetermined;
                r.reason = tx.budget;
                r.counterexample.reset();
            }
        }
        results.push_back(std::move(r));
    }
    return results;
}

std::string RequirementsFileFor(const std::string& configPath) {
    const size_t slash = configPath.find_last_of('/');
    const size_t dot = configPath.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return configPath + ".req";
    return configPath.substr(0, dot) + ".req";
}

}  // namespace analysis
