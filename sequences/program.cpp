#include "sequences/program.h"

#include "sequences/sequences_texts.h"
#include "topology/topology_texts.h"

namespace sequences {
namespace {

using interlock::Side;

bool Blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// Upper case in Windows-1251: Latin, Cyrillic and Ё.
std::string Upper(std::string_view s) {
    std::string out(s);
    for (char& ch : out) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 'a' && c <= 'z')
            ch = static_cast<char>(c - 32);
        else if (c >= 0xE0)
            ch = static_cast<char>(c - 32);
        else if (c == 0xB8)
            ch = static_cast<char>(0xA8);
    }
    return out;
}

// Blanks trimmed and runs of blanks made one space.
std::string Normal(std::string_view s) {
    std::string out;
    for (char c : s) {
        if (Blank(c)) {
            if (!out.empty() && out.back() != ' ') out += ' ';
        } else {
            out += c;
        }
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return Upper(out);
}

std::string FirstWordOf(std::string_view name) {
    const std::string n = Normal(name);
    return n.substr(0, n.find(' '));
}

struct Failure {
    size_t position;  // from 0
    std::string message;
};

// The blocks a name finds: by the whole name, else by the first word.
std::vector<int> Find(const interlock::Workspace& ws, const std::string& name) {
    std::vector<int> whole, first;
    const std::string want = Normal(name);
    for (int n = 1; n <= interlock::kBlockCount; ++n) {
        const std::string& bn = ws.Blocks[n].Name;
        if (Normal(bn).empty()) continue;
        if (Normal(bn) == want) whole.push_back(n);
        if (FirstWordOf(bn) == want) first.push_back(n);
    }
    return whole.empty() ? first : whole;
}

ProgramStep ParseLine(std::string_view line, size_t end, const interlock::Workspace& ws) {
    const SequenceTexts& tx = Texts();
    size_t p = 0;
    auto blanks = [&] {
        while (p < end && Blank(line[p])) ++p;
    };
    blanks();
    // An optional step number: "12." or "12)".
    size_t q = p;
    while (q < end && line[q] >= '0' && line[q] <= '9') ++q;
    if (q > p && q < end && (line[q] == '.' || line[q] == ')')) {
        p = q + 1;
        blanks();
    }
    const size_t textBegin = p;
    const size_t opAt = p;
    while (p < end && !Blank(line[p])) ++p;
    const std::string word = Upper(line.substr(opAt, p - opAt));
    ProgramStep step;
    if (word == "ON" || word == tx.opOn || word == tx.opOnLong) {
        step.op.side = Side::On;
    } else if (word == "OFF" || word == tx.opOff || word == tx.opOffLong) {
        step.op.side = Side::Off;
    } else {
        throw Failure{opAt, tx.progOperation};
    }
    blanks();
    const size_t nameAt = p;
    std::string_view name = line.substr(p, end - p);
    while (!name.empty() && Blank(name.back())) name.remove_suffix(1);
    if (name.empty()) throw Failure{nameAt, tx.progApparatus};
    if (name.find_first_not_of("0123456789") == std::string_view::npos) {
        int n = 0;
        for (char c : name.substr(0, 3)) n = n * 10 + (c - '0');
        if (name.size() > 2 || n < 1 || n > interlock::kBlockCount)
            throw Failure{nameAt, topology::Texts().block};
        step.op.block = n;
    } else {
        const std::vector<int> found = Find(ws, std::string(name));
        if (found.empty()) throw Failure{nameAt, tx.progUnknown + std::string(name)};
        if (found.size() > 1) {
            std::string list;
            for (int n : found) list += (list.empty() ? "" : ", ") + std::to_string(n);
            throw Failure{nameAt, tx.progAmbiguous + list};
        }
        step.op.block = found[0];
    }
    step.text = std::string(line.substr(textBegin, nameAt + name.size() - textBegin));
    return step;
}

}  // namespace

Program ParseProgram(const std::vector<std::string>& lines, const interlock::Workspace& ws) {
    Program program;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        size_t end = line.find('#');
        if (end == std::string_view::npos) end = line.size();
        if (line.substr(0, end).find_first_not_of(" \t\r") == std::string_view::npos) continue;
        try {
            ProgramStep step = ParseLine(line, end, ws);
            step.line = static_cast<int>(i + 1);
            program.steps.push_back(std::move(step));
        } catch (const Failure& f) {
            program.errors.push_back({static_cast<int>(i + 1), static_cast<int>(f.position + 1), f.message});
        }
    }
    return program;
}

int ProgramCheck::Count(StepVerdict v) const {
    int n = 0;
    for (const CheckedStep& s : steps) n += s.check.verdict == v;
    return n;
}

bool ProgramCheck::Clean(const Program& program) const {
    return program.errors.empty() &&
           Count(StepVerdict::Allowed) + Count(StepVerdict::Already) == static_cast<int>(steps.size());
}

ProgramCheck CheckProgram(System& system, const Program& program) {
    ProgramCheck check;
    check.start = system.Present();
    State s = check.start;
    for (const ProgramStep& step : program.steps) {
        CheckedStep c{step, system.CheckStep(s, step.op)};
        s = c.check.after;
        check.steps.push_back(std::move(c));
    }
    return check;
}

std::string ApparatusName(const interlock::Workspace& ws, int block) {
    const std::string first = FirstWordOf(ws.Blocks[block].Name);
    if (!first.empty()) {
        // The name as written, its first word, must find this block alone.
        const std::string& name = ws.Blocks[block].Name;
        const size_t a = name.find_first_not_of(" \t");
        const std::string word = name.substr(a, name.find_first_of(" \t", a) - a);
        // A name that is all digits would read back as a block number.
        const bool number = word.find_first_not_of("0123456789") == std::string::npos;
        const std::vector<int> found = Find(ws, word);
        if (!number && found.size() == 1 && found[0] == block) return word;
    }
    return std::to_string(block);
}

std::string WriteProgram(const std::vector<ProgramEntry>& entries, const interlock::Workspace& ws,
                         const std::string& title) {
    const SequenceTexts& tx = Texts();
    std::string out;
    if (!title.empty()) out += "# " + title + "\r\n";
    for (const ProgramEntry& e : entries) {
        std::string line = (e.op.side == Side::On ? tx.opOn : tx.opOff) + " " + ApparatusName(ws, e.op.block);
        if (!e.comment.empty()) {
            std::string comment = e.comment;
            for (char& c : comment)
                if (c == '\r' || c == '\n') c = ' ';
            line += "  # " + comment;
        }
        out += line + "\r\n";
    }
    return out;
}

}  // namespace sequences
